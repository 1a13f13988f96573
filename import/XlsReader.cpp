// Excel 97-2003 (.xls) through FreeXL. FreeXL reads numbers, texts and dates
// but gives a formula cell as empty, and an error value as a plain number, so
// the first sheet's record stream (taken out of the compound file by libgsf)
// is walked once for those two kinds of record: a formula gives the value its
// writer stored with it, an error value refuses the sheet, which is never
// read with holes or false numbers in it.
#include <freexl.h>
#include <gsf/gsf.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "import/WorkbookParts.h"

namespace epinax {

namespace workbook {
namespace {

// The largest workbook stream read for the walk; Excel 97-2003 sheets end at
// 65536 rows, which stay far below it.
constexpr gsf_off_t kMaxStream = 256 << 20;

enum : std::uint16_t {
    kFormula = 0x0006,
    kFormulaBiff3 = 0x0206,
    kFormulaBiff4 = 0x0406,
    kFormulaText = 0x0207,
    kSharedFormula = 0x04BC,
    kArrayFormula = 0x0221,
    kDataTable = 0x0236,
    kContinue = 0x003C,
    kBoolErr = 0x0205,
    kBoundSheet = 0x0085,
    kEndOfStream = 0x000A,
    kBeginning = 0x0809,
    kLabel = 0x0204,
    kRichLabel = 0x00D6,
    kFormat = 0x041E,
};

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using TGsfPointer = std::unique_ptr<T, GObjectUnref>;

std::uint16_t Word(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                                  << 8);
}

std::uint32_t DoubleWord(const std::string& bytes, std::size_t at)
{
    return Word(bytes, at) | static_cast<std::uint32_t>(Word(bytes, at + 2)) << 16;
}

// The workbook stream ("Workbook", or "Book" in Excel 5 files); empty when
// the compound file has neither.
std::string WorkbookStream(const std::string& path)
{
    static std::once_flag initialised;
    std::call_once(initialised, gsf_init);
    TGsfPointer<GsfInput> file(gsf_input_stdio_new(path.c_str(), nullptr));
    if (!file) return {};
    TGsfPointer<GsfInfile> compound(gsf_infile_msole_new(file.get(), nullptr));
    if (!compound) return {};
    TGsfPointer<GsfInput> stream(gsf_infile_child_by_name(compound.get(), "Workbook"));
    if (!stream) stream.reset(gsf_infile_child_by_name(compound.get(), "Book"));
    if (!stream) return {};
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size <= 0) return {};
    if (size > kMaxStream) ThrowTooLarge(path);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (gsf_input_read(stream.get(), bytes.size(), reinterpret_cast<guint8*>(bytes.data())) == nullptr) return {};
    return bytes;
}

// Where a sheet's records begin, by its index in the list of sheets of the
// workbook's globals; a file without that list is one sheet from the start.
std::size_t SheetOffset(const std::string& stream, std::size_t index)
{
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const std::uint16_t type = Word(stream, at);
        const std::uint16_t length = Word(stream, at + 2);
        if (type == kBoundSheet && length >= 4 && at + 8 <= stream.size() && index-- == 0)
            return DoubleWord(stream, at + 4);
        if (type == kEndOfStream) break;
        at += 4u + length;
    }
    return 0;
}

const char* ErrorName(unsigned char code)
{
    switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    default: return "#?";
    }
}

// One record of the stream: its type and its body.
struct TRecord {
    std::uint16_t type = 0;
    std::size_t body = 0, length = 0;
};

// The records from `at` on, to the end of the stream or the first one that
// runs past it.
class TRecords {
public:
    TRecords(const std::string& stream, std::size_t at) : stream_(stream), at_(at) {}
    bool Next(TRecord& record)
    {
        if (at_ + 4 > stream_.size()) return false;
        record = {Word(stream_, at_), at_ + 4, Word(stream_, at_ + 2)};
        if (record.body + record.length > stream_.size()) return false;
        at_ = record.body + record.length;
        return true;
    }

private:
    const std::string& stream_;
    std::size_t at_;
};

void AppendUtf8(std::string& out, char32_t point)
{
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// The characters of an Excel 97 text that starts in `record` at `at`, in
// UTF-8: each piece (the record's rest, then each CONTINUE record) says
// whether its characters take one byte or two. Nothing when the text runs
// past its records.
std::optional<std::string> Biff8Text(const std::string& stream, TRecords records, TRecord record, std::size_t at,
                                     std::size_t characters)
{
    std::string utf8;
    char16_t highSurrogate = 0;
    while (characters > 0) {
        const std::size_t end = record.body + record.length;
        if (at >= end) return std::nullopt;
        const bool twoBytes = (static_cast<unsigned char>(stream[at++]) & 0x01) != 0;
        for (; characters > 0 && at + (twoBytes ? 2 : 1) <= end; --characters) {
            const char16_t unit = twoBytes ? Word(stream, at) : static_cast<unsigned char>(stream[at]);
            at += twoBytes ? 2 : 1;
            if (unit >= 0xD800 && unit < 0xDC00) {
                highSurrogate = unit;
                continue;
            }
            const bool paired = highSurrogate != 0 && unit >= 0xDC00 && unit < 0xE000;
            AppendUtf8(utf8, paired ? 0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00) : unit);
            highSurrogate = 0;
        }
        if (characters > 0 && (!records.Next(record) || record.type != kContinue)) return std::nullopt;
        at = record.body;
    }
    return utf8;
}

// The text result of a formula, in the STRING record that follows it (after
// the records of a shared or array formula). An Excel 5 text is read when it
// is plain ASCII, the same in every code page.
std::optional<std::string> FormulaText(const std::string& stream, TRecords records, bool biff8)
{
    TRecord record;
    while (records.Next(record) &&
           (record.type == kSharedFormula || record.type == kArrayFormula || record.type == kDataTable)) {}
    if (record.type != kFormulaText || record.length < 2) return std::nullopt;
    const std::size_t characters = Word(stream, record.body);
    if (characters > kMaxCellText) return std::nullopt;
    if (biff8) return Biff8Text(stream, records, record, record.body + 2, characters);
    if (2 + characters > record.length) return std::nullopt;
    const std::string text = stream.substr(record.body + 2, characters);
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return std::nullopt;
    return text;
}

// The value stored with a formula: a number, or as its last bytes 0xFFFF say,
// a text (in the next record), a truth value, an error or an empty text.
TCell FormulaValue(const std::string& stream, const TRecords& following, const TRecord& formula, bool biff8)
{
    const std::uint16_t row = Word(stream, formula.body), column = Word(stream, formula.body + 2);
    const std::size_t result = formula.body + 6;
    if (Word(stream, result + 6) != 0xFFFF) {
        double number;
        std::memcpy(&number, stream.data() + result, 8);
        return TCell::Number(number);
    }
    const auto detail = static_cast<unsigned char>(stream[result + 2]);
    switch (stream[result]) {
    case 0:
        if (const auto text = FormulaText(stream, following, biff8)) return TextCell(row, column, *text);
        break;
    case 1: return TCell::Number(detail != 0 ? 1 : 0);
    case 2: ThrowErrorValue(row, column, ErrorName(detail));
    case 3: return TCell::Text("");
    default: break;
    }
    ThrowFormulaWithoutValue(row, column);
}

struct TFormulaCell {
    std::uint16_t row, column;
    TCell value;
};

// A sheet's formulas with the values stored with them; a sheet that holds
// an error value, or a formula without its value, is refused.
std::vector<TFormulaCell> FormulaCells(const std::string& stream, std::size_t sheet)
{
    std::vector<TFormulaCell> cells;
    TRecords records(stream, SheetOffset(stream, sheet));
    TRecord record;
    bool biff8 = false;
    for (bool first = true; records.Next(record); first = false) {
        if (record.type == kEndOfStream && !first) break;
        if (record.type == kBeginning && record.length >= 2) biff8 = Word(stream, record.body) == 0x0600;
        if ((record.type == kFormula || record.type == kFormulaBiff3 || record.type == kFormulaBiff4) &&
            record.length >= 14)
            cells.push_back({Word(stream, record.body), Word(stream, record.body + 2),
                             FormulaValue(stream, records, record, biff8)});
        if (record.type == kBoolErr && record.length >= 8 && stream[record.body + 7] != 0)
            ThrowErrorValue(Word(stream, record.body), Word(stream, record.body + 2),
                            ErrorName(static_cast<unsigned char>(stream[record.body + 6])));
    }
    return cells;
}

// Where a record's text begins and how its length is written, for the
// records FreeXL turns into UTF-8 as it opens the file.
struct TTextField {
    std::size_t lengthAt;  // from the start of the body
    bool wideLength;       // two bytes, else one
};
std::optional<TTextField> TextFieldOf(std::uint16_t type, bool biff8)
{
    switch (type) {
    case kLabel:
    case kRichLabel: return TTextField{6, true};
    case kFormat: return TTextField{2, biff8};
    case kBoundSheet: return TTextField{6, false};
    default: return std::nullopt;
    }
}

// FreeXL trusts the length a record gives its text and reads past the record
// when it lies, so such a file is refused before FreeXL sees it.
bool TextLengthsFit(const std::string& stream)
{
    bool biff8 = false;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const std::uint16_t type = Word(stream, at);
        const std::size_t length = Word(stream, at + 2);
        const std::size_t body = at + 4;
        if (body + length > stream.size()) return true;  // the stream's end; FreeXL stops there too
        if (type == kBeginning && length >= 2) biff8 = Word(stream, body) == 0x0600;
        if (const auto field = TextFieldOf(type, biff8)) {
            const std::size_t header = field->lengthAt + (field->wideLength ? 2 : 1) + (biff8 ? 1 : 0);
            if (length < header) return false;
            const std::size_t characters = field->wideLength
                                               ? Word(stream, body + field->lengthAt)
                                               : static_cast<unsigned char>(stream[body + field->lengthAt]);
            const bool twoBytes = biff8 && (static_cast<unsigned char>(stream[body + header - 1]) & 0x01) != 0;
            if (header + characters * (twoBytes ? 2 : 1) > length) return false;
        }
        at = body + length;
    }
    return true;
}

struct FreeXlClose {
    void operator()(const void* handle) const { freexl_close(handle); }
};

TCell CellValue(const void* handle, unsigned row, unsigned short column)
{
    FreeXL_CellValue value{};
    if (freexl_get_cell_value(handle, row, column, &value) != FREEXL_OK) ThrowDamagedCell(row, column);
    switch (value.type) {
    case FREEXL_CELL_INT: return TCell::Number(value.value.int_value);
    case FREEXL_CELL_DOUBLE: return TCell::Number(value.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT: return TextCell(row, column, value.value.text_value ? value.value.text_value : "");
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: {
        // FreeXL writes dates out; they are given back as the serial number Excel keeps.
        const auto serial = DateSerial(value.value.text_value ? value.value.text_value : "");
        if (!serial) ThrowDamagedCell(row, column);
        return TCell::Number(*serial);
    }
    default: return {};
    }
}

std::unique_ptr<const void, FreeXlClose> OpenWorkbook(const std::string& path)
{
    const void* raw = nullptr;
    const int opened = freexl_open(path.c_str(), &raw);
    std::unique_ptr<const void, FreeXlClose> handle(raw);
    if (opened != FREEXL_OK) ThrowNotWorkbook(path, ".xls");
    unsigned int password = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password != FREEXL_BIFF_PLAIN)
        ThrowPasswordProtected(path);
    return handle;
}

std::vector<std::string> SheetNames(const void* handle, const std::string& path)
{
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) ThrowNotWorkbook(path, ".xls");
    std::vector<std::string> names;
    for (unsigned int index = 0; index < count && index <= 0xFFFF; ++index) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(index), &name) != FREEXL_OK)
            ThrowNotWorkbook(path, ".xls");
        names.push_back(SheetName(name == nullptr ? "" : name));
    }
    return names;
}

// The first sheet, as ever, needs no list of names: a workbook whose list
// FreeXL cannot give is still read when it holds a first sheet.
std::size_t SheetIndex(const void* handle, const std::string& path, const TSheetChoice& sheet)
{
    if (sheet.name.empty() && sheet.position == 1) return 0;
    return ChosenSheet(SheetNames(handle, path), sheet);
}

}  // namespace
}  // namespace workbook

TSheetBlock ReadXls(const std::string& path, const TSheetChoice& sheet)
{
    using namespace workbook;
    EnsureReadable(path);
    const std::string stream = WorkbookStream(path);
    // The walk for formulas needs the stream; a compound file libgsf cannot
    // take apart is damaged, whatever FreeXL would make of it.
    if (stream.empty() || !TextLengthsFit(stream)) ThrowNotWorkbook(path, ".xls");
    const auto handle = OpenWorkbook(path);
    const std::size_t index = SheetIndex(handle.get(), path, sheet);
    if (freexl_select_active_worksheet(handle.get(), static_cast<unsigned short>(index)) != FREEXL_OK)
        ThrowNotWorkbook(path, ".xls");
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(handle.get(), &rows, &columns) != FREEXL_OK) ThrowNotWorkbook(path, ".xls");
    // The formulas first, so that an error value is refused before the cells cost anything.
    const std::vector<TFormulaCell> formulas = FormulaCells(stream, index);
    TBlockBuilder block(sheet);
    for (unsigned row = 0; row < rows; ++row)
        for (unsigned short column = 0; column < columns; ++column)
            block.Set(row, column, CellValue(handle.get(), row, column));
    for (const TFormulaCell& formula : formulas) block.Set(formula.row, formula.column, formula.value);
    return block.Finish();
}

std::vector<std::string> XlsSheetNames(const std::string& path)
{
    using namespace workbook;
    EnsureReadable(path);
    const auto handle = OpenWorkbook(path);
    return SheetNames(handle.get(), path);
}

}  // namespace epinax
