#include "record_store/SdfData.h"

#include <algorithm>

#include "common/Files.h"
#include "common/Lines.h"
#include "common/Text.h"

namespace epinax {

TFixedFormatDataSet::TFixedFormatDataSet(std::string name) : name_(std::move(name)) {}

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
    Notify(TDataEvent::DataSetChanged);
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
