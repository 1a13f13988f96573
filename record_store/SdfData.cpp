#include "record_store/SdfData.h"

#include <algorithm>
#include <cstring>

#include "common/Errors.h"
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

void TFixedFormatDataSet::SetFileMustExist(bool value)
{
    CheckInactive();
    fileMustExist_ = value;
}
void TFixedFormatDataSet::SetReadOnly(bool value)
{
    CheckInactive();
    readOnly_ = value;
}
void TFixedFormatDataSet::SetFileName(std::string path)
{
    CheckInactive();
    fileName_ = std::move(path);
}
void TFixedFormatDataSet::SetSchema(std::vector<TFieldSpec> fields)
{
    CheckInactive();
    schema_ = std::move(fields);
}
void TFixedFormatDataSet::SetTrimSpace(bool value)
{
    CheckInactive();
    trimSpace_ = value;
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
    if (!fileMustExist_ && !FileExists(fileName_)) ReplaceFile(fileName_, {});
    ReadRecordFile();
}

void TFixedFormatDataSet::ReadRecordFile()
{
    ClearList();
    TakeRecords(givenText_ ? std::move(*givenText_) : ReadWholeFile(fileName_));
    BuildFields();
}

void TFixedFormatDataSet::TakeRecords(std::string fileText)
{
    ClearList();
    fileText_ = std::move(fileText);
    if (auto nul = fileText_.find('\0'); nul != std::string::npos) fileText_.resize(nul);

    ForEachLine(fileText_, [&](std::string_view line) {
        records_.push_back({TextToRecordView(line), static_cast<TBookmark>(records_.size() + 1)});
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

std::string_view TFixedFormatDataSet::TextToRecordView(std::string_view line)
{
    if (!ConvertsLines()) return line;
    std::string record = TextToRecord(line);
    if (record == line) return line;
    return Keep(std::move(record));
}

void TFixedFormatDataSet::BuildFields()
{
    std::vector<TFieldDef> defs;
    std::vector<int> offsets;
    int length = 0;
    for (const TFieldSpec& field : schema_) {
        defs.push_back({field.name, "ftString", field.width});
        offsets.push_back(length);
        length += field.width;
    }
    recordLength_ = length;
    SetFields(std::move(defs), offsets);
}

void TFixedFormatDataSet::InternalClose()
{
    if (!readOnly_ && changed_) WriteRecordFile(fileName_);
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

void TFixedFormatDataSet::DropBlankRecords()
{
    CheckActive();
    CheckCanModify();
    if (State() != TDataSetState::dsBrowse) DatabaseError("Dataset in edit or insert mode");
    for (int i = static_cast<int>(records_.size()) - 1; i >= 0; --i) {
        if (!TrimBlanksAndControls(records_[i].text).empty()) continue;
        records_.erase(records_.begin() + i);
        changed_ = true;
    }
    Resync();
    NotifyDataSetChanged();
}

void TFixedFormatDataSet::RewriteFile()
{
    CheckActive();
    std::vector<Entry> rewritten = records_;
    for (auto& entry : rewritten) {
        std::string text = RecordToText(TextToRecord(entry.text));
        if (text != entry.text) entry.text = Keep(std::move(text));
    }
    std::swap(records_, rewritten);
    try {
        WriteRecordFile(fileName_);
    } catch (...) {
        std::swap(records_, rewritten);
        throw;
    }
}

// -------------------------------------------------------- record storage

std::string TFixedFormatDataSet::RecordToText(std::string_view recordText) const
{
    return std::string(recordText.substr(0, recordLength_));
}

std::string TFixedFormatDataSet::TextToRecord(std::string_view line) const { return std::string(line); }

std::string_view TFixedFormatDataSet::Keep(std::string text)
{
    keptTexts_.push_back(std::move(text));
    return keptTexts_.back();
}

std::string_view TFixedFormatDataSet::InternalRecordText(int index) const { return records_.at(index).text; }

TBookmark TFixedFormatDataSet::InternalRecordId(int index) const { return records_.at(index).id; }

void TFixedFormatDataSet::InternalStore(int index, std::string_view recordText)
{
    records_.at(index).text = Keep(RecordToText(recordText));
    changed_ = true;
}

void TFixedFormatDataSet::InternalInsertRecord(int index, std::string_view recordText)
{
    std::string_view text = Keep(RecordToText(recordText));
    records_.insert(records_.begin() + index, Entry{text, ++lastId_});
    changed_ = true;
}

void TFixedFormatDataSet::InternalDelete(int index)
{
    records_.erase(records_.begin() + index);
    changed_ = true;
}

// ----------------------------------------------------------------- fields

std::optional<std::string_view> TFixedFormatDataSet::ReadField(const TField& field, std::string_view recordText) const
{
    std::string_view text = recordText.substr(0, recordLength_);
    if (static_cast<size_t>(field.Offset()) >= text.size()) return std::nullopt;
    std::string_view value = text.substr(field.Offset(), field.Size());
    return trimSpace_ ? TrimTrailingBlanks(value) : value;
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
