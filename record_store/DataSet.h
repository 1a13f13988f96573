// TDataSet: the cursor, editing states and events of a record store. The
// storage of the records is left to a subclass (TFixedFormatDataSet).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace epinax {

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// What a view of the store needs to hear about to stay in step with it.
enum class TDataEvent { StateChanged, DataSetChanged, RecordChanged, Scrolled };

using TBookmark = std::int32_t;

class TDataSet;
class TField;

using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
using TDataListener = std::function<void(TDataEvent)>;

// The views listening to a store. Shared with the subscriptions, so that a
// view and its store may go in either order.
class TDataListeners {
public:
    int Add(TDataListener listener);
    void Remove(int id);
    void Notify(TDataEvent event);

private:
    std::vector<std::pair<int, TDataListener>> entries_;
    int nextId_ = 1;
    int notifying_ = 0;
};

// A view's hold on its store's change notices; it lets go when destroyed.
class [[nodiscard]] TDataSubscription {
public:
    TDataSubscription() = default;
    TDataSubscription(std::weak_ptr<TDataListeners> listeners, int id) : listeners_(std::move(listeners)), id_(id) {}
    ~TDataSubscription() { Reset(); }
    TDataSubscription(TDataSubscription&& other) noexcept { *this = std::move(other); }
    TDataSubscription& operator=(TDataSubscription&& other) noexcept;
    TDataSubscription(const TDataSubscription&) = delete;
    TDataSubscription& operator=(const TDataSubscription&) = delete;

    void Reset();

private:
    std::weak_ptr<TDataListeners> listeners_;
    int id_ = 0;
};

// A text field at a fixed place of the record. Values are Windows-1253 bytes.
class TField {
public:
    TField(TDataSet& owner, int offset, int size);

    int Size() const { return size_; }
    int Offset() const { return offset_; }

    std::string AsString() const;
    void SetAsString(std::string_view value);

private:
    TDataSet& owner_;
    int offset_;
    int size_;
};

// The key comparison of FindRecord: blanks trimmed from both ends of both
// texts; the key must equal the field text, or only its beginning when
// `partialKey`; `caseInsensitive` folds the Latin letters a to z only.
bool KeyValueMatches(std::string_view fieldText, std::string_view key, bool caseInsensitive, bool partialKey);

class TDataSet {
public:
    explicit TDataSet(std::string name);
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    // Open and close.
    void Open();
    void Close();
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    TDataSetState State() const { return state_; }

    // Cursor.
    void First();
    void Last();
    int RecordCount() const;
    int CurrentIndex() const { return current_; }  // 0-based list index, -1 when none

    // Editing.
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    bool Modified() const { return modified_; }
    // Where a pending new record stands in the list (its future index).
    int PendingInsertIndex() const { return insertIndex_; }

    // Fields.
    // The field at a place of the schema, counted from 0.
    TField& Field(std::size_t index);
    const TField& Field(std::size_t index) const;

    // Lookup and bookmarks.
    // Moves to the first record whose field matches the key (KeyValueMatches).
    bool FindRecord(const TField& field, std::string_view key, bool caseInsensitive, bool partialKey);
    std::optional<TBookmark> GetBookmark() const;
    void GotoBookmark(TBookmark bookmark);

    // The id of the stored record at a list index, for views that move the
    // cursor to a row they show.
    TBookmark RecordIdAt(int index) const { return InternalRecordId(index); }

    // Reading a field of any stored record without moving the cursor, for
    // views that show many rows at once.
    std::string FieldTextAt(int index, const TField& field) const;
    // The same without a copy, valid until the list changes.
    std::string_view FieldViewAt(int index, const TField& field) const;

    // The control that edits a field on screen (a grid's cell editor) writes
    // its text into the field when this is called, before a post.
    std::function<void()> FlushEditingControl;
    // Views listening for changes; they hear nothing more once the returned
    // subscription is gone.
    TDataSubscription AddDataListener(TDataListener listener);

    // BeforePost may refuse the record by throwing; OnNewRecord fills a new one.
    TDataSetNotifyEvent AfterEdit, BeforePost, AfterPost, BeforeDelete, AfterDelete, OnNewRecord;

protected:
    // Storage, supplied by the subclass.
    virtual void InternalOpen() = 0;   // reads the records and calls SetFields
    virtual void InternalClose() = 0;  // writes when needed and empties the list
    virtual int InternalRecordCount() const = 0;
    virtual std::string_view InternalRecordText(int index) const = 0;
    virtual TBookmark InternalRecordId(int index) const = 0;
    virtual void InternalStore(int index, std::string_view recordText) = 0;
    virtual void InternalInsertRecord(int index, std::string_view recordText) = 0;
    virtual void InternalDelete(int index) = 0;

    // The value of a field in a record text; empty when the record ends before it.
    virtual std::string_view ReadField(const TField& field, std::string_view recordText) const = 0;
    virtual void WriteField(const TField& field, std::string& recordText, std::string_view value) const = 0;

    // The fields follow one another in the record, each as wide as given.
    void SetFields(const std::vector<int>& widths);
    void ClearFields();
    [[noreturn]] void DatabaseError(const std::string& message) const;  // "Name: message"
    void CheckActive() const;
    void CheckInactive() const;
    void NotifyDataSetChanged();
    void Resync();

private:
    friend class TField;

    std::string_view ReadActiveField(const TField& field) const;
    void WriteActiveField(const TField& field, std::string_view value);
    void CheckBrowseMode();
    void BeginInsert(bool append);
    void MoveTo(int index);
    bool Editing() const { return state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert; }
    void Notify(TDataEvent event);
    void Fire(const TDataSetNotifyEvent& event)
    {
        if (event) event(*this);
    }

    std::string name_;
    TDataSetState state_ = TDataSetState::dsInactive;
    int current_ = -1;
    std::string editText_;
    bool modified_ = false;
    bool appending_ = false;
    int insertIndex_ = -1;
    std::vector<std::unique_ptr<TField>> fields_;
    std::shared_ptr<TDataListeners> listeners_ = std::make_shared<TDataListeners>();
};

}  // namespace epinax
