#include "record_store/DataSet.h"

#include <utility>

#include "common/Errors.h"
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

TField::TField(TDataSet& owner, int offset, int size) : owner_(owner), offset_(offset), size_(size) {}

std::string TField::AsString() const { return std::string(owner_.ReadActiveField(*this)); }

void TField::SetAsString(std::string_view value) { owner_.WriteActiveField(*this, value); }

// ---------------------------------------------------------------- TDataSet

TDataSet::TDataSet(std::string name) : name_(std::move(name)) {}

TDataSet::~TDataSet() = default;

void TDataSet::DatabaseError(const std::string& message) const
{
    throw EDatabaseError(name_.empty() ? message : name_ + ": " + message);
}

void TDataSet::CheckActive() const
{
    if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const
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

TDataSubscription TDataSet::AddDataListener(TDataListener listener)
{
    return TDataSubscription(listeners_, listeners_->Add(std::move(listener)));
}

void TDataSet::Notify(TDataEvent event) { listeners_->Notify(event); }

void TDataSet::NotifyDataSetChanged() { Notify(TDataEvent::DataSetChanged); }

void TDataSet::SetFields(const std::vector<int>& widths)
{
    fields_.clear();
    int offset = 0;
    for (int width : widths) {
        fields_.push_back(std::make_unique<TField>(*this, offset, width));
        offset += width;
    }
}

void TDataSet::ClearFields() { fields_.clear(); }

// ------------------------------------------------------------ open, close

void TDataSet::Open()
{
    if (Active()) return;
    InternalOpen();
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    insertIndex_ = -1;
    current_ = InternalRecordCount() > 0 ? 0 : -1;
    Notify(TDataEvent::StateChanged);
}

void TDataSet::Close()
{
    if (!Active()) return;
    // A pending record is dropped, never posted.
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    insertIndex_ = -1;
    // If the file cannot be written the store stays open with its list, so
    // nothing is lost; the error passes on.
    InternalClose();
    ClearFields();
    state_ = TDataSetState::dsInactive;
    current_ = -1;
    Notify(TDataEvent::StateChanged);
}

int TDataSet::RecordCount() const { return Active() ? InternalRecordCount() : 0; }

// ----------------------------------------------------------------- cursor

void TDataSet::MoveTo(int index)
{
    current_ = index;
    Notify(TDataEvent::Scrolled);
}

void TDataSet::First()
{
    CheckActive();
    CheckBrowseMode();
    MoveTo(InternalRecordCount() > 0 ? 0 : -1);
}

void TDataSet::Last()
{
    CheckActive();
    CheckBrowseMode();
    MoveTo(InternalRecordCount() - 1);
}

void TDataSet::Resync()
{
    int count = InternalRecordCount();
    if (current_ >= count) current_ = count - 1;
    if (count > 0 && current_ < 0) current_ = 0;
}

// -------------------------------------------------------------- editing

void TDataSet::CheckBrowseMode()
{
    if (!Editing()) return;
    if (FlushEditingControl) FlushEditingControl();
    if (modified_)
        Post();
    else
        Cancel();
}

void TDataSet::Edit()
{
    CheckActive();
    if (Editing()) return;
    if (RecordCount() == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    editText_ = std::string(InternalRecordText(current_));
    state_ = TDataSetState::dsEdit;
    modified_ = false;
    Notify(TDataEvent::StateChanged);
    Fire(AfterEdit);
}

void TDataSet::Insert() { BeginInsert(false); }

void TDataSet::Append() { BeginInsert(true); }

void TDataSet::BeginInsert(bool append)
{
    CheckActive();
    CheckBrowseMode();
    editText_.clear();
    appending_ = append;
    insertIndex_ = (append || current_ < 0) ? InternalRecordCount() : current_;
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

void TDataSet::Post()
{
    CheckActive();
    if (!Editing()) DatabaseError(kNotEditing);
    if (FlushEditingControl) FlushEditingControl();
    Fire(BeforePost);
    if (state_ == TDataSetState::dsEdit) {
        InternalStore(current_, editText_);
    } else {
        int at = appending_ ? InternalRecordCount() : std::min(insertIndex_, InternalRecordCount());
        InternalInsertRecord(at, editText_);
        current_ = at;
    }
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    insertIndex_ = -1;
    Resync();
    Notify(TDataEvent::DataSetChanged);
    Fire(AfterPost);
}

void TDataSet::Cancel()
{
    if (!Editing()) return;
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    insertIndex_ = -1;
    modified_ = false;
    Resync();
    Notify(TDataEvent::DataSetChanged);
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (RecordCount() == 0) DatabaseError("Cannot perform this operation on an empty dataset");
    Fire(BeforeDelete);
    InternalDelete(current_);
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    modified_ = false;
    Resync();
    Notify(TDataEvent::DataSetChanged);
    Fire(AfterDelete);
}

// --------------------------------------------------------------- fields

TField& TDataSet::Field(std::size_t index)
{
    if (index >= fields_.size()) DatabaseError("Field index out of range");
    return *fields_[index];
}

const TField& TDataSet::Field(std::size_t index) const { return const_cast<TDataSet*>(this)->Field(index); }

std::string_view TDataSet::ReadActiveField(const TField& field) const
{
    CheckActive();
    if (Editing()) return ReadField(field, editText_);
    if (current_ < 0) return {};
    return ReadField(field, InternalRecordText(current_));
}

void TDataSet::WriteActiveField(const TField& field, std::string_view value)
{
    CheckActive();
    if (!Editing()) DatabaseError(kNotEditing);
    WriteField(field, editText_, value);
    modified_ = true;
    Notify(TDataEvent::RecordChanged);
}

std::string TDataSet::FieldTextAt(int index, const TField& field) const
{
    if (index < 0 || index >= RecordCount()) return {};
    return std::string(ReadField(field, InternalRecordText(index)));
}

std::string_view TDataSet::FieldViewAt(int index, const TField& field) const
{
    if (index < 0 || index >= RecordCount()) return {};
    return ReadField(field, InternalRecordText(index));
}

// ----------------------------------------------------- lookup, bookmarks

bool TDataSet::FindRecord(const TField& field, std::string_view key, bool caseInsensitive, bool partialKey)
{
    CheckActive();
    CheckBrowseMode();
    if (RecordCount() == 0) return false;
    key = TrimBlanksAndControls(key);  // once, not once per record
    const int count = InternalRecordCount();
    for (int i = 0; i < count; ++i) {
        std::string_view text = ReadField(field, InternalRecordText(i));
        // A field shorter than the key cannot match; most records of a miss
        // end here, before any trimming.
        if (text.size() >= key.size() && KeyValueMatches(text, key, caseInsensitive, partialKey)) {
            MoveTo(i);
            return true;
        }
    }
    return false;
}

std::optional<TBookmark> TDataSet::GetBookmark() const
{
    if (!Active() || current_ < 0) return std::nullopt;
    return InternalRecordId(current_);
}

void TDataSet::GotoBookmark(TBookmark bookmark)
{
    CheckActive();
    CheckBrowseMode();
    for (int i = 0; i < InternalRecordCount(); ++i) {
        if (InternalRecordId(i) == bookmark) {
            MoveTo(i);
            return;
        }
    }
    throw EDatabaseError("Bookmark not found");
}

}  // namespace epinax
