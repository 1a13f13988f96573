#include "record_store/SdfData.h"

#include <utility>

#include "common/Errors.h"
#include "common/Files.h"
#include "common/Text.h"

namespace epinax {

namespace {

const char* const kNotEditing = "Dataset not in edit or insert mode";

}  // namespace

static unsigned char UpperLatin(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

bool KeyValueMatches(std::string_view fieldText, std::string_view key, bool caseInsensitive, bool partialKey)
{
    fieldText = TrimBlanksAndControls(fieldText);
    key = TrimBlanksAndControls(key);
    if (fieldText.size() < key.size() || (!partialKey && fieldText.size() != key.size())) return false;
    if (!caseInsensitive) return fieldText.compare(0, key.size(), key) == 0;
    for (size_t i = 0; i < key.size(); ++i)
        if (UpperLatin(fieldText[i]) != UpperLatin(key[i])) return false;
    return true;
}

// ---------------------------------------------------------------- TField

TField::TField(TFixedFormatDataSet& owner, int offset, int size) : owner_(owner), offset_(offset), size_(size) {}

std::string TField::AsString() const { return std::string(owner_.ReadActiveField(*this)); }

void TField::SetAsString(std::string_view value) { owner_.WriteActiveField(*this, value); }

// -------------------------------------------------------- the record store

void TFixedFormatDataSet::DatabaseError(const std::string& message) const
{
    throw EDatabaseError(name_.empty() ? message : name_ + ": " + message);
}

void TFixedFormatDataSet::CheckActive() const
{
    if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TFixedFormatDataSet::CheckInactive() const
{
    if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
}

int TDataListeners::Add(TDataListener listener)
{
    std::erase_if(entries_, [](const auto& entry) { return !entry.second; });
    entries_.emplace_back(nextId_, std::move(listener));
    return nextId_++;
}

// A listener may let go of its subscription while it is being told of a
// change; its place is then only emptied, and swept at the next Add.
void TDataListeners::Remove(int id)
{
    for (auto& entry : entries_)
        if (entry.first == id) entry.second = nullptr;
    if (notifying_ == 0) std::erase_if(entries_, [](const auto& entry) { return !entry.second; });
}

void TDataListeners::Notify(TDataEvent event)
{
    ++notifying_;
    struct Done {
        int& depth;
        ~Done() { --depth; }
    } done{notifying_};
    // By index: a listener may add another while being told.
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].second) continue;
        TDataListener listener = entries_[i].second;
        listener(event);
    }
}

TDataSubscription& TDataSubscription::operator=(TDataSubscription&& other) noexcept
{
    if (this != &other) {
        Reset();
        listeners_ = std::move(other.listeners_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void TDataSubscription::Reset()
{
    if (auto listeners = listeners_.lock()) listeners->Remove(id_);
    listeners_.reset();
    id_ = 0;
}

TDataSubscription TFixedFormatDataSet::AddDataListener(TDataListener listener)
{
    return TDataSubscription(listeners_, listeners_->Add(std::move(listener)));
}

// ------------------------------------------------------------ open, close

void TFixedFormatDataSet::Open()
{
    if (Active()) return;
    TakeRecords(fileName_.empty() ? std::string() : ReadWholeFile(fileName_));
    BeginBrowsing();
}

void TFixedFormatDataSet::OpenWithText(std::string fileText)
{
    if (Active()) return;
    TakeRecords(std::move(fileText));
    BeginBrowsing();
}

void TFixedFormatDataSet::BeginBrowsing()
{
    recordLength_ = 0;
    fields_.clear();
    for (int width : fieldWidths_) {
        fields_.push_back(std::make_unique<TField>(*this, recordLength_, width));
        recordLength_ += width;
    }
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    insertIndex_ = -1;
    current_ = RecordCount() > 0 ? 0 : -1;
    Notify(TDataEvent::StateChanged);
}

void TFixedFormatDataSet::Close()
{
    if (!Active()) return;
    // A pending record is dropped, never posted.
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    insertIndex_ = -1;
    // If the file cannot be written the store stays open with its list, so
    // nothing is lost; the error passes on.
    if (changed_ && !fileName_.empty()) WriteRecordFile(fileName_);
    ClearList();
    fields_.clear();
    state_ = TDataSetState::dsInactive;
    current_ = -1;
    Notify(TDataEvent::StateChanged);
}

// ----------------------------------------------------------------- cursor

void TFixedFormatDataSet::MoveTo(int index)
{
    current_ = index;
    Notify(TDataEvent::Scrolled);
}

void TFixedFormatDataSet::First()
{
    CheckActive();
    CheckBrowseMode();
    MoveTo(RecordCount() > 0 ? 0 : -1);
}

void TFixedFormatDataSet::Last()
{
    CheckActive();
    CheckBrowseMode();
    MoveTo(RecordCount() - 1);
}

void TFixedFormatDataSet::Resync()
{
    int count = RecordCount();
    if (current_ >= count) current_ = count - 1;
    if (count > 0 && current_ < 0) current_ = 0;
}

// -------------------------------------------------------------- editing

void TFixedFormatDataSet::CheckBrowseMode()
{
    if (!Editing()) return;
    if (FlushEditingControl) FlushEditingControl();
    if (modified_)
        Post();
    else
        Cancel();
}

void TFixedFormatDataSet::Edit()
{
    CheckActive();
    if (Editing()) return;
    if (RecordCount() == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    editText_ = std::string(RecordTextAt(current_));
    state_ = TDataSetState::dsEdit;
    modified_ = false;
    Notify(TDataEvent::StateChanged);
    Fire(AfterEdit);
}

void TFixedFormatDataSet::Insert() { BeginInsert(false); }

void TFixedFormatDataSet::Append() { BeginInsert(true); }

void TFixedFormatDataSet::BeginInsert(bool append)
{
    CheckActive();
    CheckBrowseMode();
    editText_.clear();
    appending_ = append;
    insertIndex_ = (append || current_ < 0) ? RecordCount() : current_;
    state_ = TDataSetState::dsInsert;
    Notify(TDataEvent::StateChanged);
    try {
        Fire(OnNewRecord);
    } catch (...) {
        state_ = TDataSetState::dsBrowse;
        insertIndex_ = -1;
        Resync();
        Notify(TDataEvent::StateChanged);
        throw;
    }
    modified_ = false;
}

void TFixedFormatDataSet::Post()
{
    CheckActive();
    if (!Editing()) DatabaseError(kNotEditing);
    if (FlushEditingControl) FlushEditingControl();
    Fire(BeforePost);
    if (state_ == TDataSetState::dsEdit) {
        records_.at(current_).text = Keep(editText_);
    } else {
        int at = appending_ ? RecordCount() : std::min(insertIndex_, RecordCount());
        records_.insert(records_.begin() + at, Entry{Keep(editText_), ++lastId_});
        current_ = at;
    }
    changed_ = true;
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    insertIndex_ = -1;
    Resync();
    Notify(TDataEvent::DataSetChanged);
    Fire(AfterPost);
}

void TFixedFormatDataSet::Cancel()
{
    if (!Editing()) return;
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    insertIndex_ = -1;
    modified_ = false;
    Resync();
    Notify(TDataEvent::DataSetChanged);
}

void TFixedFormatDataSet::Delete()
{
    CheckActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (RecordCount() == 0) DatabaseError("Cannot perform this operation on an empty dataset");
    Fire(BeforeDelete);
    records_.erase(records_.begin() + current_);
    changed_ = true;
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    modified_ = false;
    Resync();
    Notify(TDataEvent::DataSetChanged);
    Fire(AfterDelete);
}

// --------------------------------------------------------------- fields

TField& TFixedFormatDataSet::Field(std::size_t index)
{
    if (index >= fields_.size()) DatabaseError("Field index out of range");
    return *fields_[index];
}

const TField& TFixedFormatDataSet::Field(std::size_t index) const
{
    return const_cast<TFixedFormatDataSet*>(this)->Field(index);
}

std::string_view TFixedFormatDataSet::ReadActiveField(const TField& field) const
{
    CheckActive();
    if (Editing()) return ReadField(field, editText_);
    if (current_ < 0) return {};
    return ReadField(field, RecordTextAt(current_));
}

void TFixedFormatDataSet::WriteActiveField(const TField& field, std::string_view value)
{
    CheckActive();
    if (!Editing()) DatabaseError(kNotEditing);
    WriteField(field, editText_, value);
    modified_ = true;
    Notify(TDataEvent::RecordChanged);
}

std::string TFixedFormatDataSet::FieldTextAt(int index, const TField& field) const
{
    if (index < 0 || index >= RecordCount()) return {};
    return std::string(ReadField(field, RecordTextAt(index)));
}

std::string_view TFixedFormatDataSet::FieldViewAt(int index, const TField& field) const
{
    if (index < 0 || index >= RecordCount()) return {};
    return ReadField(field, RecordTextAt(index));
}

// ----------------------------------------------------- lookup, bookmarks

bool TFixedFormatDataSet::FindRecord(const TField& field, std::string_view key, bool caseInsensitive, bool partialKey)
{
    CheckActive();
    CheckBrowseMode();
    if (RecordCount() == 0) return false;
    key = TrimBlanksAndControls(key);  // once, not once per record
    const int count = RecordCount();
    for (int i = 0; i < count; ++i) {
        std::string_view text = ReadField(field, RecordTextAt(i));
        // A field shorter than the key cannot match; most records of a miss
        // end here, before any trimming.
        if (text.size() >= key.size() && KeyValueMatches(text, key, caseInsensitive, partialKey)) {
            MoveTo(i);
            return true;
        }
    }
    return false;
}

std::optional<TBookmark> TFixedFormatDataSet::GetBookmark() const
{
    if (!Active() || current_ < 0) return std::nullopt;
    return RecordIdAt(current_);
}

void TFixedFormatDataSet::GotoBookmark(TBookmark bookmark)
{
    CheckActive();
    CheckBrowseMode();
    for (int i = 0; i < RecordCount(); ++i) {
        if (RecordIdAt(i) == bookmark) {
            MoveTo(i);
            return;
        }
    }
    throw EDatabaseError("Bookmark not found");
}

}  // namespace epinax
