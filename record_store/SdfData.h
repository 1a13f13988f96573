// TFixedFormatDataSet: a table of fixed-width text records kept in a text
// file, one record per line, cut into the fields of its schema.
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

class TFixedFormatDataSet : public TDataSet {
public:
    explicit TFixedFormatDataSet(std::string name = "FixedFormatDataSet");
    ~TFixedFormatDataSet() override;

    // Properties; set only while the store is closed. The file must exist
    // when the store opens. A store without a file lives in memory alone: it
    // opens empty (or on the text given to OpenWithText) and closes unwritten.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string path);
    // The widths of the record's fields, in their order in the record.
    void SetSchema(std::vector<int> fieldWidths);

    // The sum of the field widths; a stored record is cut to it.
    int RecordLength() const { return recordLength_; }

    // Opens the store as Open does, on the contents of its file that the
    // caller already holds (having just written them), sparing a second read.
    void OpenWithText(std::string fileText);

    // Writes the list to `path` at once and makes it the file of the store.
    void SaveAs(const std::string& path);
    // Reads the store's file again, giving up every change not yet written
    // to it: after a write that failed, the list holds what its file holds.
    // Only while no record is being edited.
    void Reload();

    // The stored text of the record at a list index.
    std::string_view RecordTextAt(int index) const { return InternalRecordText(index); }

protected:
    void InternalOpen() override;
    void InternalClose() override;
    int InternalRecordCount() const override { return static_cast<int>(records_.size()); }
    std::string_view InternalRecordText(int index) const override;
    TBookmark InternalRecordId(int index) const override;
    void InternalStore(int index, std::string_view recordText) override;
    void InternalInsertRecord(int index, std::string_view recordText) override;
    void InternalDelete(int index) override;
    std::string_view ReadField(const TField& field, std::string_view recordText) const override;
    void WriteField(const TField& field, std::string& recordText, std::string_view value) const override;

private:
    struct Entry {
        std::string_view text;  // into fileText_ or keptTexts_
        TBookmark id;
    };

    // Keeps the records of a file's text, stored as read.
    void TakeRecords(std::string fileText);
    void WriteRecordFile(const std::string& path) const;
    // A record text cut to the record length, kept in place until the list goes.
    std::string_view Keep(std::string_view recordText);
    void ClearList();

    std::string fileName_;
    std::vector<int> fieldWidths_;

    std::string fileText_;                  // the file as read at open
    std::optional<std::string> givenText_;  // the file's contents, when the caller holds them
    std::deque<std::string> keptTexts_;     // texts stored since open; deque keeps them in place
    std::vector<Entry> records_;
    int recordLength_ = 0;
    TBookmark lastId_ = 0;
    bool changed_ = false;
};

}  // namespace epinax
