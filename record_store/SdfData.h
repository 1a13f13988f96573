// TFixedFormatDataSet: a table of fixed-width text records kept in a text
// file, one record per line, cut into the fields of its schema, with the
// cursor, editing states and events the lists are edited through.
// The whole file is held in memory while the store is open; the texts are
// Windows-1253 bytes and are never converted.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record_store/DataSet.h"

namespace epinax {

class TFixedFormatDataSet {
public:
    explicit TFixedFormatDataSet(std::string name = "FixedFormatDataSet");
    ~TFixedFormatDataSet();
    TFixedFormatDataSet(const TFixedFormatDataSet&) = delete;
    TFixedFormatDataSet& operator=(const TFixedFormatDataSet&) = delete;

    // Properties; set only while the store is closed. The file must exist
    // when the store opens. A store without a file lives in memory alone: it
    // opens empty (or on the text given to OpenWithText) and closes unwritten. A store without a file lives in memory
    // alone: it opens empty (or on the text given to OpenWithText) and closes unwritten.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string path);
    // The widths of the record's fields, in their order in the record.
    void SetSchema(std::vector<int> fieldWidths);

    // The sum of the field widths; a stored record is cut to it.
    int RecordLength() const { return recordLength_; }

    // Open and close. Closing writes the file when the list changed.
    void Open();
    // Opens the store as Open does, on the contents of its file that the
    // caller already holds (having just written them), sparing a second read.
    void OpenWithText(std::string fileText);
    void Close();
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    TDataSetState State() const { return state_; }

    // Writes the list to `path` at once and makes it the file of the store.
    void SaveAs(const std::string& path);
    // Reads the store's file again, giving up every change not yet written
    // to it: after a write that failed, the list holds what its file holds.
    // Only while no record is being edited.
    void Reload();

    // Cursor.
    void First();
    void Last();
    int RecordCount() const { return Active() ? static_cast<int>(records_.size()) : 0; }
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

    // The field at a place of the schema, counted from 0.
    TField& Field(std::size_t index);
    const TField& Field(std::size_t index) const;

    // Moves to the first record whose field matches the key (KeyValueMatches).
    bool FindRecord(const TField& field, std::string_view key, bool caseInsensitive, bool partialKey);
    std::optional<TBookmark> GetBookmark() const;
    void GotoBookmark(TBookmark bookmark);

    // The id of the stored record at a list index, for views that move the
    // cursor to a row they show.
    TBookmark RecordIdAt(int index) const { return records_.at(index).id; }
    // The stored text of the record at a list index.
    std::string_view RecordTextAt(int index) const { return records_.at(index).text; }

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

private:
    friend class TField;

    struct Entry {
        std::string_view text;  // into fileText_ or keptTexts_
        TBookmark id;
    };

    [[noreturn]] void DatabaseError(const std::string& message) const;  // "Name: message"
    void CheckActive() const;
    void CheckInactive() const;
    std::string_view ReadField(const TField& field, std::string_view recordText) const;
    void WriteField(const TField& field, std::string& recordText, std::string_view value) const;
    std::string_view ReadActiveField(const TField& field) const;
    void WriteActiveField(const TField& field, std::string_view value);
    void CheckBrowseMode();
    void BeginInsert(bool append);
    void MoveTo(int index);
    void Resync();
    bool Editing() const { return state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert; }
    void Notify(TDataEvent event) { listeners_->Notify(event); }
    void Fire(const TDataSetNotifyEvent& event)
    {
        if (event) event(*this);
    }

    // Keeps the records of a file's text, stored as read.
    void TakeRecords(std::string fileText);
    // Makes the fields and enters browse mode on the records taken.
    void BeginBrowsing();
    void WriteRecordFile(const std::string& path) const;
    // A record text cut to the record length, kept in place until the list goes.
    std::string_view Keep(std::string_view recordText);
    void ClearList();

    std::string name_;
    std::string fileName_;
    std::vector<int> fieldWidths_;
    int recordLength_ = 0;

    std::string fileText_;               // the file as read at open
    std::deque<std::string> keptTexts_;  // texts stored since open; deque keeps them in place
    std::vector<Entry> records_;
    TBookmark lastId_ = 0;
    bool changed_ = false;

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
