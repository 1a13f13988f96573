#include "record_store/SdfData.h"

#include <algorithm>

#include "common/Files.h"
#include "common/Lines.h"
#include "common/Text.h"

namespace epinax {

TFixedFormatDataSet::TFixedFormatDataSet(std::string name) : TDataSet(std::move(name)) {}

TFixedFormatDataSet::~TFixedFormatDataSet()
{
    // Closing writes unsaved changes; a destructor must not throw, and the
    // owner closes its stores explicitly where a failure must be reported.
    try {
        Close();
    } catch (...) {
    }
}

void TFixedFormatDataSet::SetFileName(std::string path)
{
    CheckInactive();
    fileName_ = std::move(path);
}
void TFixedFormatDataSet::SetSchema(std::vector<int> fieldWidths)
{
    CheckInactive();
    fieldWidths_ = std::move(fieldWidths);
}

// ------------------------------------------------------------ open, close

void TFixedFormatDataSet::OpenWithText(std::string fileText)
{
    if (Active()) return;
    givenText_ = std::move(fileText);
    try {
        Open();
    } catch (...) {
        givenText_.reset();
        throw;
    }
    givenText_.reset();
}

void TFixedFormatDataSet::InternalOpen()
{
    TakeRecords(givenText_ ? std::move(*givenText_) : fileName_.empty() ? std::string() : ReadWholeFile(fileName_));
    recordLength_ = 0;
    for (int width : fieldWidths_) recordLength_ += width;
    SetFields(fieldWidths_);
}

void TFixedFormatDataSet::TakeRecords(std::string fileText)
{
    ClearList();
    fileText_ = std::move(fileText);
    if (auto nul = fileText_.find('\0'); nul != std::string::npos) fileText_.resize(nul);

    ForEachLine(fileText_, [&](std::string_view line) {
        records_.push_back({line, static_cast<TBookmark>(records_.size() + 1)});
    });
    lastId_ = static_cast<TBookmark>(records_.size());
    changed_ = false;
}

// The fields are not made again: the views that show the store hold them.
void TFixedFormatDataSet::Reload()
{
    CheckActive();
    if (State() != TDataSetState::dsBrowse) DatabaseError("Dataset in edit or insert mode");
    // Read whole before anything is dropped: a file that cannot be read
    // leaves the list as it was.
    std::string text = ReadWholeFile(fileName_);
    TakeRecords(std::move(text));
    Resync();
    NotifyDataSetChanged();
}

void TFixedFormatDataSet::InternalClose()
{
    if (changed_ && !fileName_.empty()) WriteRecordFile(fileName_);
    ClearList();
}

void TFixedFormatDataSet::ClearList()
{
    records_.clear();
    keptTexts_.clear();
    fileText_.clear();
    fileText_.shrink_to_fit();
    lastId_ = 0;
    changed_ = false;
}

// ---------------------------------------------------------------- saving

void TFixedFormatDataSet::WriteRecordFile(const std::string& path) const
{
    FileReplacer out(path);
    for (const auto& entry : records_) {
        out.Write(entry.text);
        out.Write("\r\n");
    }
    out.Commit();
}

void TFixedFormatDataSet::SaveAs(const std::string& path)
{
    CheckActive();
    WriteRecordFile(path);
    fileName_ = path;
    changed_ = false;
}

// -------------------------------------------------------- record storage

std::string_view TFixedFormatDataSet::Keep(std::string_view recordText)
{
    keptTexts_.emplace_back(recordText.substr(0, recordLength_));
    return keptTexts_.back();
}

std::string_view TFixedFormatDataSet::InternalRecordText(int index) const { return records_.at(index).text; }

TBookmark TFixedFormatDataSet::InternalRecordId(int index) const { return records_.at(index).id; }

void TFixedFormatDataSet::InternalStore(int index, std::string_view recordText)
{
    records_.at(index).text = Keep(recordText);
    changed_ = true;
}

void TFixedFormatDataSet::InternalInsertRecord(int index, std::string_view recordText)
{
    records_.insert(records_.begin() + index, Entry{Keep(recordText), ++lastId_});
    changed_ = true;
}

void TFixedFormatDataSet::InternalDelete(int index)
{
    records_.erase(records_.begin() + index);
    changed_ = true;
}

// ----------------------------------------------------------------- fields

std::string_view TFixedFormatDataSet::ReadField(const TField& field, std::string_view recordText) const
{
    std::string_view text = recordText.substr(0, recordLength_);
    if (static_cast<size_t>(field.Offset()) >= text.size()) return {};
    return TrimTrailingBlanks(text.substr(field.Offset(), field.Size()));
}

void TFixedFormatDataSet::WriteField(const TField& field, std::string& recordText, std::string_view value) const
{
    size_t offset = field.Offset();
    size_t end = offset + field.Size();
    if (recordText.size() < end) recordText.resize(end, ' ');
    std::fill(recordText.begin() + offset, recordText.begin() + end, ' ');
    value = value.substr(0, field.Size());
    // A line end or a NUL inside a field would split or cut the record when
    // the file is read again: such bytes are stored as blanks.
    std::transform(value.begin(), value.end(), recordText.begin() + offset,
                   [](char c) { return c == '\r' || c == '\n' || c == '\0' ? ' ' : c; });
    if (recordText.size() > static_cast<size_t>(recordLength_)) recordText.resize(recordLength_);
}

}  // namespace epinax
