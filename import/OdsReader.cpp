// OpenDocument spreadsheets (.ods): the first table of content.xml. Rows and
// cells carry repetition counts instead of positions; a sheet's empty tail is
// one row repeated up to the end of the sheet, so repeated empty rows and
// cells only move the position and are never stored.
#include "import/WorkbookParts.h"
#include "import/ZipXml.h"

namespace epinax {

namespace workbook {
namespace {

// The text of a list of 99999 rows, each cell with its formatting, and as
// much again for columns and sheets the import does not read.
constexpr std::uint64_t kContentLimit = 256u << 20;

// "PT12H30M15.5S" (ODF's time of day) as the fraction of a day.
std::optional<double> DurationFraction(std::string_view text)
{
    if (!text.starts_with("PT")) return std::nullopt;
    text.remove_prefix(2);
    double seconds = 0;
    while (!text.empty()) {
        const std::size_t unit = text.find_first_of("HMS");
        if (unit == std::string_view::npos) return std::nullopt;
        const auto amount = ParseXmlNumber(text.substr(0, unit));
        if (!amount) return std::nullopt;
        seconds += *amount * (text[unit] == 'H' ? 3600 : text[unit] == 'M' ? 60 : 1);
        text.remove_prefix(unit + 1);
    }
    return seconds / 86400.0;
}

// What a cell's start tag says about its value.
struct TCellStart {
    std::string type;  // office:value-type
    std::string value, dateValue, timeValue, booleanValue, stringValue;
    bool hasStringValue = false;
    bool error = false;
    bool covered = false;
    std::int64_t repeat = 1;
};

std::string AttributeText(const char** attributes, std::string_view name)
{
    const char* value = Attribute(attributes, name);
    return value == nullptr ? std::string() : std::string(value);
}

// The paragraphs of a cell, joined by line breaks; what a note (annotation)
// on the cell says is no part of its value.
class TCellText {
public:
    void Reset() { text_.clear(), paragraphs_ = 0, paragraphDepth_ = 0, noteDepth_ = 0; }
    int Paragraphs() const { return paragraphs_; }
    const std::string& Value() const { return text_; }

    // False when the text grows past what a cell may hold.
    bool Start(std::string_view name, const char** attributes)
    {
        if (name == "annotation") ++noteDepth_;
        if (noteDepth_ > 0) return true;
        if (name == "p" || name == "h") {
            if (paragraphDepth_++ == 0 && paragraphs_++ > 0) text_ += '\n';
        } else if (paragraphDepth_ > 0 && name == "s") {
            const std::int64_t count = RepeatAttribute(attributes, "c");
            if (count > static_cast<std::int64_t>(kMaxCellText)) return false;
            text_.append(static_cast<std::size_t>(count), ' ');
        } else if (paragraphDepth_ > 0 && name == "tab") {
            text_ += '\t';
        } else if (paragraphDepth_ > 0 && name == "line-break") {
            text_ += '\n';
        }
        return text_.size() <= kMaxCellText * 4;
    }
    void End(std::string_view name)
    {
        if (name == "annotation" && noteDepth_ > 0)
            --noteDepth_;
        else if (noteDepth_ == 0 && (name == "p" || name == "h") && paragraphDepth_ > 0)
            --paragraphDepth_;
    }
    bool Text(std::string_view text)
    {
        if (paragraphDepth_ > 0 && noteDepth_ == 0) text_ += text;
        return text_.size() <= kMaxCellText * 4;
    }

private:
    std::string text_;
    int paragraphs_ = 0, paragraphDepth_ = 0, noteDepth_ = 0;
};

class TOneTable : public TXmlHandler {
public:
    // The table at `index` from 0 among the top-level tables.
    TOneTable(TBlockBuilder& block, std::size_t index) : block_(block), skip_(index) {}

    void Start(std::string_view name, const char** attributes) override
    {
        if (skipping_ > 0) {
            if (name == "table") ++skipping_;
            return;
        }
        if (name == "table" && tableDepth_ == 0 && skip_ > 0) {
            --skip_;
            skipping_ = 1;
            return;
        }
        if (name == "table") ++tableDepth_;
        if (inCell_ && !text_.Start(name, attributes)) ThrowTextTooLong(row_, column_);
        if (tableDepth_ != 1 || inCell_) return;
        if (name == "table-row")
            StartRow(attributes);
        else if (name == "table-cell" || name == "covered-table-cell")
            StartCell(name, attributes);
    }
    void End(std::string_view name) override
    {
        if (skipping_ > 0) {
            if (name == "table") --skipping_;
            return;
        }
        if (inCell_ && (name == "table-cell" || name == "covered-table-cell") && cellDepth_ == tableDepth_) {
            EndCell();
        } else if (inCell_) {
            text_.End(name);
        } else if (tableDepth_ == 1 && name == "table-row") {
            EndRow();
        }
        if (name == "table" && --tableDepth_ == 0) Stop();  // the first table is all there is to read
    }
    void Text(std::string_view text) override
    {
        if (inCell_ && !text_.Text(text)) ThrowTextTooLong(row_, column_);
    }

private:
    void StartRow(const char** attributes)
    {
        rowRepeat_ = RepeatAttribute(attributes, "number-rows-repeated");
        column_ = 0;
        rowUsed_ = false;
    }
    void EndRow()
    {
        if (rowUsed_) block_.RepeatRow(row_, rowRepeat_ - 1);
        row_ += rowRepeat_;
    }
    void StartCell(std::string_view name, const char** attributes)
    {
        cell_ = TCellStart{AttributeText(attributes, "value-type"),
                           AttributeText(attributes, "value"),
                           AttributeText(attributes, "date-value"),
                           AttributeText(attributes, "time-value"),
                           AttributeText(attributes, "boolean-value"),
                           AttributeText(attributes, "string-value"),
                           Attribute(attributes, "string-value") != nullptr,
                           false,
                           name == "covered-table-cell",
                           RepeatAttribute(attributes, "number-columns-repeated")};
        // LibreOffice marks a formula that failed with its own value type.
        for (const char** at = attributes; at[0] != nullptr; at += 2)
            if (std::string_view(at[0]).ends_with("value-type") && std::string_view(at[1]) == "error")
                cell_.error = true;
        text_.Reset();
        inCell_ = true;
        cellDepth_ = tableDepth_;
    }
    void EndCell()
    {
        inCell_ = false;
        const TCell cell = CellValue();
        if (!cell.IsEmpty()) {
            block_.Set(row_, column_, cell, cell_.repeat);
            rowUsed_ = true;
        }
        column_ += cell_.repeat;
    }
    TCell CellValue() const
    {
        // Excel keeps the value of a merged area in its first cell only.
        if (cell_.covered) return {};
        if (cell_.error && block_.Keeps(column_)) ThrowErrorValue(row_, column_, text_.Value());
        const std::string& type = cell_.type;
        if (type == "float" || type == "percentage" || type == "currency") return Number(ParseXmlNumber(cell_.value));
        if (type == "date") return Number(DateSerial(cell_.dateValue));
        if (type == "time") return Number(DurationFraction(cell_.timeValue));
        if (type == "boolean") return Boolean();
        if (type == "string") return TextCell(row_, column_, cell_.hasStringValue ? cell_.stringValue : text_.Value());
        if (type.empty() && text_.Paragraphs() > 0 && !text_.Value().empty())
            return TextCell(row_, column_, text_.Value());
        if (type.empty()) return {};
        ThrowDamagedCell(row_, column_);
    }
    TCell Number(std::optional<double> number) const
    {
        if (!number) ThrowDamagedCell(row_, column_);
        return TCell::Number(*number);
    }
    TCell Boolean() const
    {
        if (cell_.booleanValue == "true") return TCell::Number(1);
        if (cell_.booleanValue == "false") return TCell::Number(0);
        ThrowDamagedCell(row_, column_);
    }

    TBlockBuilder& block_;
    std::size_t skip_;  // top-level tables still to pass by
    int skipping_ = 0;  // depth inside a table passed by
    int tableDepth_ = 0, cellDepth_ = 0;
    std::int64_t row_ = 0, column_ = 0, rowRepeat_ = 1;
    bool rowUsed_ = false, inCell_ = false;
    TCellStart cell_;
    TCellText text_;
};

// The names of the top-level tables, the sheets, in their order.
class TTableNames : public TXmlHandler {
public:
    std::vector<std::string> names;

    void Start(std::string_view name, const char** attributes) override
    {
        if (name != "table" || depth_++ > 0) return;
        const char* tableName = Attribute(attributes, "name");
        names.push_back(SheetName(tableName == nullptr ? "" : tableName));
    }
    void End(std::string_view name) override
    {
        if (name == "table") --depth_;
    }
    void Text(std::string_view) override {}

private:
    int depth_ = 0;
};

}  // namespace
}  // namespace workbook

TSheetBlock ReadOds(const std::string& path, const TSheetChoice& sheet)
{
    using namespace workbook;
    const TZipArchive zip(path, ".ods");
    std::size_t index = 0;
    if (!sheet.name.empty() || sheet.position != 1) {
        TTableNames names;
        zip.Parse("content.xml", names, kContentLimit);
        index = ChosenSheet(names.names, sheet);
    }
    TBlockBuilder block(sheet);
    TOneTable table(block, index);
    zip.Parse("content.xml", table, kContentLimit);
    return block.Finish();
}

std::vector<std::string> OdsSheetNames(const std::string& path)
{
    using namespace workbook;
    const TZipArchive zip(path, ".ods");
    TTableNames names;
    zip.Parse("content.xml", names, kContentLimit);
    return names.names;
}

}  // namespace epinax
