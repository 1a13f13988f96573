#include "record_store/DataSet.h"

#include <utility>

#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Text.h"

namespace epinax {

namespace {

const char* const kNotEditing = "Dataset not in edit or insert mode";

std::vector<std::string> SplitFieldNames(std::string_view names)
{
    std::vector<std::string> out;
    while (true) {
        auto comma = names.find_first_of(",;");
        out.emplace_back(TrimBlanksAndControls(names.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        names.remove_prefix(comma + 1);
    }
    return out;
}

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

TField::TField(TDataSet& owner, std::string name, int offset, int size)
    : owner_(owner), name_(std::move(name)), offset_(offset), size_(size)
{
}

int TField::Index() const
{
    for (int i = 0; i < owner_.FieldCount(); ++i)
        if (&owner_.Fields(i) == this) return i;
    return -1;
}

bool TField::IsNull() const { return !owner_.ReadActiveField(*this).has_value(); }

std::string TField::AsString() const { return std::string(owner_.ReadActiveField(*this).value_or("")); }

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

void TDataSet::CheckCanModify() const
{
    if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
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

void TDataSet::SetFields(std::vector<TFieldDef> defs, const std::vector<int>& offsets)
{
    fields_.clear();
    for (size_t i = 0; i < defs.size(); ++i)
        fields_.push_back(std::make_unique<TField>(*this, defs[i].Name, offsets[i], defs[i].Size));
    fieldDefs_ = std::move(defs);
}

void TDataSet::ClearFields()
{
    fields_.clear();
    fieldDefs_.clear();
}

// ------------------------------------------------------------ open, close

void TDataSet::Open()
{
    if (Active()) return;
    Fire(BeforeOpen);
    InternalOpen();
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    insertIndex_ = -1;
    current_ = FindAccepted(0, +1);
    bof_ = true;
    eof_ = current_ < 0;
    Notify(TDataEvent::StateChanged);
    Fire(AfterOpen);
}

void TDataSet::Close()
{
    if (!Active()) return;
    Fire(BeforeClose);
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
    bof_ = eof_ = true;
    Notify(TDataEvent::StateChanged);
    Fire(AfterClose);
}

void TDataSet::SetActive(bool active) { active ? Open() : Close(); }

int TDataSet::RecordCount() const { return Active() ? InternalRecordCount() : 0; }

// ----------------------------------------------------------------- cursor

bool TDataSet::Accepts(int index)
{
    if (!Filtered || !OnFilterRecord) return true;
    bool accept = true;
    evaluating_ = index;
    try {
        OnFilterRecord(*this, accept);
    } catch (const std::exception& error) {
        accept = true;
        if (ApplicationErrorDisplay) ApplicationErrorDisplay(error);
    }
    evaluating_ = -1;
    return accept;
}

int TDataSet::FindAccepted(int from, int step)
{
    for (int i = from; i >= 0 && i < InternalRecordCount(); i += step)
        if (Accepts(i)) return i;
    return -1;
}

void TDataSet::MoveTo(int index, bool bof, bool eof)
{
    Fire(BeforeScroll);
    current_ = index;
    bof_ = bof;
    eof_ = eof;
    Notify(TDataEvent::Scrolled);
    Fire(AfterScroll);
}

void TDataSet::First()
{
    CheckActive();
    CheckBrowseMode();
    int first = FindAccepted(0, +1);
    MoveTo(first, true, first < 0);
}

void TDataSet::Last()
{
    CheckActive();
    CheckBrowseMode();
    int last = FindAccepted(InternalRecordCount() - 1, -1);
    MoveTo(last, last < 0, true);
}

void TDataSet::Next()
{
    CheckActive();
    CheckBrowseMode();
    int next = current_ < 0 ? -1 : FindAccepted(current_ + 1, +1);
    if (next < 0) {
        eof_ = true;
        return;
    }
    MoveTo(next, false, false);
}

void TDataSet::Prior()
{
    CheckActive();
    CheckBrowseMode();
    int prior = current_ < 0 ? -1 : FindAccepted(current_ - 1, -1);
    if (prior < 0) {
        bof_ = true;
        return;
    }
    MoveTo(prior, false, false);
}

int TDataSet::RecNo() const
{
    if (evaluating_ >= 0) return evaluating_ + 1;
    if (!Active() || state_ == TDataSetState::dsInsert || current_ < 0) return -1;
    return InternalRecordId(current_);
}

void TDataSet::SetRecNo(int position)
{
    CheckActive();
    if (position < 1 || position > RecordCount() || position == RecNo()) return;
    CheckBrowseMode();
    MoveTo(position - 1, false, false);
}

void TDataSet::Resync()
{
    int count = InternalRecordCount();
    if (current_ >= count) current_ = count - 1;
    if (count > 0 && current_ < 0) current_ = 0;
    bof_ = eof_ = count == 0;
}

// -------------------------------------------------------------- editing

void TDataSet::CheckBrowseMode()
{
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
    if (FlushEditingControl) FlushEditingControl();
    if (modified_)
        Post();
    else
        Cancel();
}

void TDataSet::RunChecked(const std::function<void()>& operation, const TDataSetErrorEvent& onError)
{
    while (true) {
        try {
            operation();
            return;
        } catch (const EDatabaseError& error) {
            if (!onError) throw;
            TDataAction action = TDataAction::daFail;
            onError(*this, error, action);
            if (action == TDataAction::daFail) throw;
            if (action == TDataAction::daAbort) Abort();
        }
    }
}

void TDataSet::Edit()
{
    CheckActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
    if (IsEmpty()) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeEdit);
    RunChecked([this] { editText_ = std::string(InternalRecordText(current_)); }, OnEditError);
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
    CheckCanModify();
    Fire(BeforeInsert);
    Fire(BeforeScroll);
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
    Fire(AfterInsert);
    Fire(AfterScroll);
}

void TDataSet::Post()
{
    CheckActive();
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) DatabaseError(kNotEditing);
    if (FlushEditingControl) FlushEditingControl();
    Fire(BeforePost);
    RunChecked(
        [this] {
            if (state_ == TDataSetState::dsEdit) {
                InternalStore(current_, editText_);
            } else {
                int at = appending_ ? InternalRecordCount() : std::min(insertIndex_, InternalRecordCount());
                InternalInsertRecord(at, editText_);
                current_ = at;
            }
        },
        OnPostError);
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    insertIndex_ = -1;
    Resync();
    Notify(TDataEvent::DataSetChanged);
    Fire(AfterPost);
}

void TDataSet::Cancel()
{
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
    bool wasInsert = state_ == TDataSetState::dsInsert;
    Fire(BeforeCancel);
    if (wasInsert) Fire(BeforeScroll);
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    insertIndex_ = -1;
    modified_ = false;
    Resync();
    Notify(TDataEvent::DataSetChanged);
    Fire(AfterCancel);
    if (wasInsert) Fire(AfterScroll);
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (IsEmpty()) DatabaseError("Cannot perform this operation on an empty dataset");
    CheckCanModify();
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    RunChecked([this] { InternalDelete(current_); }, OnDeleteError);
    state_ = TDataSetState::dsBrowse;
    editText_.clear();
    modified_ = false;
    Resync();
    Notify(TDataEvent::DataSetChanged);
    Fire(AfterDelete);
    Fire(AfterScroll);
}

// --------------------------------------------------------------- fields

TField& TDataSet::Fields(int index)
{
    if (index < 0 || index >= FieldCount()) DatabaseError("Field index out of range");
    return *fields_[index];
}

TField* TDataSet::FindField(std::string_view name)
{
    for (auto& field : fields_)
        if (cp1253::SameTextIgnoringCase(field->FieldName(), name)) return field.get();
    return nullptr;
}

TField& TDataSet::FieldByName(std::string_view name)
{
    if (TField* field = FindField(name)) return *field;
    DatabaseError(FormatMessage("Field '%s' not found", std::string(name)));
}

const TField& TDataSet::FieldByName(std::string_view name) const
{
    return const_cast<TDataSet*>(this)->FieldByName(name);  // finding changes nothing
}

std::optional<std::string_view> TDataSet::ReadActiveField(const TField& field) const
{
    CheckActive();
    if (evaluating_ >= 0) return ReadField(field, InternalRecordText(evaluating_));
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return ReadField(field, editText_);
    if (current_ < 0) return std::nullopt;
    return ReadField(field, InternalRecordText(current_));
}

void TDataSet::WriteActiveField(const TField& field, std::string_view value)
{
    CheckActive();
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) DatabaseError(kNotEditing);
    if (field.ReadOnly) DatabaseError(FormatMessage("Field '%s' cannot be modified", field.DisplayName()));
    WriteField(field, editText_, value);
    modified_ = true;
    Notify(TDataEvent::RecordChanged);
}

std::string TDataSet::FieldTextAt(int index, const TField& field) const
{
    if (index < 0 || index >= RecordCount()) return {};
    return std::string(ReadField(field, InternalRecordText(index)).value_or(""));
}

std::string_view TDataSet::FieldViewAt(int index, const TField& field) const
{
    if (index < 0 || index >= RecordCount()) return {};
    return ReadField(field, InternalRecordText(index)).value_or(std::string_view());
}

std::string_view TDataSet::CurrentRecordText() const
{
    CheckActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return editText_;
    if (current_ < 0) throw EDatabaseError("No Records");
    return InternalRecordText(current_);
}

// ----------------------------------------------------- lookup, bookmarks

bool TDataSet::FindRecord(std::string_view keyFields, const std::vector<std::string>& keyValues, bool caseInsensitive,
                          bool partialKey)
{
    CheckActive();
    CheckBrowseMode();
    if (IsEmpty() || TrimBlanksAndControls(keyFields).empty() || keyValues.empty()) return false;
    std::vector<TField*> keys;
    for (const auto& name : SplitFieldNames(keyFields)) keys.push_back(&FieldByName(name));
    if (keyValues.size() != 1 && keyValues.size() < keys.size()) DatabaseError("Wrong number of key values");
    // The keys are trimmed once, not once per record.
    std::vector<std::string_view> values;
    for (size_t k = 0; k < keys.size(); ++k)
        values.push_back(TrimBlanksAndControls(keyValues[keyValues.size() == 1 ? 0 : k]));

    const int count = InternalRecordCount();
    for (int i = 0; i < count; ++i) {
        std::string_view text = InternalRecordText(i);
        bool all = true;
        for (size_t k = 0; k < keys.size() && all; ++k) {
            std::string_view field = ReadField(*keys[k], text).value_or("");
            // A field shorter than the key cannot match; most records of a
            // miss end here, before any trimming.
            all = field.size() >= values[k].size() && KeyValueMatches(field, values[k], caseInsensitive, partialKey);
        }
        if (all && Accepts(i)) {
            MoveTo(i, false, false);
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
            MoveTo(i, false, false);
            return;
        }
    }
    throw EDatabaseError("Bookmark not found");
}

}  // namespace epinax
