// Text with separated values (.csv), as spreadsheet programs write it: fields
// in double quotes may hold separators, line breaks and doubled quotes.
#include <optional>

#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Files.h"
#include "import/WorkbookParts.h"

namespace epinax {

namespace workbook {
namespace {

// Far more than the largest list a statement holds, written out as text.
constexpr std::size_t kMaxCsvBytes = 256u << 20;

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// A Greek spreadsheet writes ';', since its decimal comma would split numbers;
// elsewhere ',' is the separator.
char DetectSeparator(std::string_view text)
{
    bool quoted = false;
    bool sawComma = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == ';')
            return ';';
        else if (c == ',')
            sawComma = true;
        else if (IsLineEnd(c))
            break;
    }
    return sawComma ? ',' : ';';
}

class TCsvParser {
public:
    TCsvParser(std::string_view text, char separator, bool utf8, TBlockBuilder& block)
        : text_(text), separator_(separator), utf8_(utf8), block_(block)
    {
    }

    void Run()
    {
        while (at_ < text_.size()) {
            const std::string field = Field();
            Put(field);
            if (at_ >= text_.size()) break;
            const char end = text_[at_++];
            if (end == separator_) {
                ++column_;
                if (at_ == text_.size()) break;  // a last empty field adds nothing
                continue;
            }
            if (end == '\r' && at_ < text_.size() && text_[at_] == '\n') ++at_;
            ++row_;
            column_ = 0;
        }
    }

private:
    // One field, the position left on the separator or line end after it.
    std::string Field()
    {
        if (at_ < text_.size() && text_[at_] == '"') return QuotedField();
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] != separator_ && !IsLineEnd(text_[at_])) ++at_;
        return std::string(text_.substr(start, at_ - start));
    }
    // A quote that closes the field may be followed by more text before the
    // separator; spreadsheet programs keep it, and so does this reader. A
    // quote never closed takes the rest of the file.
    std::string QuotedField()
    {
        std::string field;
        ++at_;
        for (;;) {
            const std::size_t quote = text_.find('"', at_);
            if (quote == std::string_view::npos) {
                field += text_.substr(at_);
                at_ = text_.size();
                return field;
            }
            field += text_.substr(at_, quote - at_);
            at_ = quote + 1;
            if (at_ < text_.size() && text_[at_] == '"') {
                field += '"';
                ++at_;
                continue;
            }
            const std::size_t start = at_;
            while (at_ < text_.size() && text_[at_] != separator_ && !IsLineEnd(text_[at_])) ++at_;
            field += text_.substr(start, at_ - start);
            return field;
        }
    }
    void Put(const std::string& field)
    {
        if (field.empty()) return;
        if (!utf8_) {
            if (field.size() > kMaxCellText) ThrowTextTooLong(row_, column_);
            block_.Set(row_, column_, TCell::Text(field));
        } else {
            block_.Set(row_, column_, TextCell(row_, column_, field));
        }
    }

    std::string_view text_;
    char separator_;
    bool utf8_;
    TBlockBuilder& block_;
    std::size_t at_ = 0;
    std::int64_t row_ = 0, column_ = 0;
};

}  // namespace
}  // namespace workbook

TSheetBlock ReadCsv(const std::string& path, const TSheetChoice& sheet)
{
    using namespace workbook;
    EnsureReadable(path);
    if (!sheet.name.empty() || sheet.position != 1) ChosenSheet(CsvSheetNames(path), sheet);
    std::optional<std::string> bytes;
    try {
        bytes = ReadFileUpTo(path, kMaxCsvBytes);
    } catch (const EFileError& error) {
        ThrowCannotOpen(path, error.SystemError());
    }
    if (!bytes) ThrowTooLarge(path);
    std::string_view text(*bytes);
    const bool byteOrderMark = text.starts_with("\xEF\xBB\xBF");
    if (byteOrderMark) text.remove_prefix(3);
    const bool utf8 = IsValidUtf8(text);
    // A byte order mark promises UTF-8; bytes that break the promise are no text file of ours.
    if (byteOrderMark && !utf8) ThrowNotWorkbook(path, ".csv");
    TBlockBuilder block(sheet);
    TCsvParser(text, DetectSeparator(text), utf8, block).Run();
    return block.Finish();
}

// A spreadsheet program names the one sheet of a .csv file after the file.
std::vector<std::string> CsvSheetNames(const std::string& path)
{
    workbook::EnsureReadable(path);
    std::string name = path.substr(path.rfind('/') + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    // A name in the Greek code page of older systems is read as such.
    return {IsValidUtf8(name) ? name : cp1253::ToUtf8(name)};
}

}  // namespace epinax
