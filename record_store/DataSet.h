// What the record store shares with its views: its states, its change
// notices and its fields.
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

class TFixedFormatDataSet;
class TField;

using TDataSetNotifyEvent = std::function<void(TFixedFormatDataSet&)>;
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
    TField(TFixedFormatDataSet& owner, int offset, int size);

    int Size() const { return size_; }
    int Offset() const { return offset_; }

    std::string AsString() const;
    void SetAsString(std::string_view value);

private:
    TFixedFormatDataSet& owner_;
    int offset_;
    int size_;
};

// The key comparison of FindRecord: blanks trimmed from both ends of both
// texts; the key must equal the field text, or only its beginning when
// `partialKey`; `caseInsensitive` folds the Latin letters a to z only.
bool KeyValueMatches(std::string_view fieldText, std::string_view key, bool caseInsensitive, bool partialKey);

}  // namespace epinax
