// The block of cells, the choice of reader and what the readers share.
#include "import/Workbook.h"

#include "import/Isolated.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Cp1253.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "import/WorkbookParts.h"

namespace epinax {

namespace {

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Extension(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return LowerAscii(path.substr(dot));
}

std::string FirstBytes(const std::string& path, std::size_t count)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) workbook::ThrowCannotOpen(path, errno);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// A file named otherwise is read only when its first bytes show a workbook:
// the compound file of .xls, or the zip container of .xlsx and .ods.
TSheetBlock ReadByContent(const std::string& path)
{
    const std::string head = FirstBytes(path, 8);
    if (head == std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return ReadXls(path);
    if (head.starts_with("PK\x03\x04")) {
        try {
            return ReadXlsx(path);
        } catch (const EWorkbookError&) {
            return ReadOds(path);
        }
    }
    workbook::ThrowNotWorkbook(path, "");
}

}  // namespace

const TCell& TSheetBlock::At(int row, int column) const
{
    if (row < 0 || row >= rows || column < 0 || column >= columns)
        throw std::out_of_range("cell " + std::to_string(row) + "," + std::to_string(column) + " outside the block");
    static const TCell empty;
    if (column >= StoredColumns()) return empty;
    return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(StoredColumns()) +
                 static_cast<std::size_t>(column)];
}

TSheetBlock ReadSheet(const std::string& path, const TSheetChoice& sheet, const std::function<bool()>& keepReading)
{
    return ReadSheetInHelper(path, sheet, keepReading);
}

std::vector<std::string> ReadSheetNames(const std::string& path) { return SheetNamesInHelper(path); }

TSheetBlock TReadFirstSheet::operator()(const std::string& path) const
{
    return ReadInHelper(path, [] { return true; });
}

TSheetBlock TReadFirstSheet::operator()(const std::string& path, const std::function<bool()>& keepReading) const
{
    return ReadInHelper(path, keepReading);
}

std::string CellName(int row, int column)
{
    std::string letters;
    for (int rest = column + 1; rest > 0; rest = (rest - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (rest - 1) % 26));
    return letters + std::to_string(row + 1);
}

namespace workbook {

TSheetBlock ReadFirstSheetHere(const std::string& path)
{
    const std::string extension = Extension(path);
    if (extension == ".xls") return ReadXls(path);
    if (extension == ".xlsx") return ReadXlsx(path);
    if (extension == ".ods") return ReadOds(path);
    if (extension == ".csv") return ReadCsv(path);
    return ReadByContent(path);
}

TSheetBlock ReadSheetHere(const std::string& path, const TSheetChoice& sheet)
{
    const std::string extension = Extension(path);
    if (extension == ".xls") return ReadXls(path, sheet);
    if (extension == ".xlsx") return ReadXlsx(path, sheet);
    if (extension == ".ods") return ReadOds(path, sheet);
    if (extension == ".csv") return ReadCsv(path, sheet);
    const std::string head = FirstBytes(path, 8);
    if (head == std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return ReadXls(path, sheet);
    if (!head.starts_with("PK\x03\x04")) ThrowNotWorkbook(path, "");
    try {
        return ReadXlsx(path, sheet);
    } catch (const EWorkbookError&) {
        return ReadOds(path, sheet);
    }
}

std::vector<std::string> SheetNamesHere(const std::string& path)
{
    const std::string extension = Extension(path);
    if (extension == ".xls") return XlsSheetNames(path);
    if (extension == ".xlsx") return XlsxSheetNames(path);
    if (extension == ".ods") return OdsSheetNames(path);
    if (extension == ".csv") return CsvSheetNames(path);
    const std::string head = FirstBytes(path, 8);
    if (head == std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) return XlsSheetNames(path);
    if (!head.starts_with("PK\x03\x04")) ThrowNotWorkbook(path, "");
    try {
        return XlsxSheetNames(path);
    } catch (const EWorkbookError&) {
        return OdsSheetNames(path);
    }
}

std::size_t ChosenSheet(const std::vector<std::string>& names, const TSheetChoice& sheet)
{
    if (!sheet.name.empty()) {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == sheet.name) return i;
        throw EWorkbookError("Το αρχείο δεν έχει φύλλο με το όνομα «" + sheet.name + "».");
    }
    if (sheet.position >= 1 && static_cast<std::size_t>(sheet.position) <= names.size())
        return static_cast<std::size_t>(sheet.position - 1);
    throw EWorkbookError("Το αρχείο δεν έχει φύλλο με αριθμό " + std::to_string(sheet.position) +
                         "· τα φύλλα του είναι " + std::to_string(names.size()) + ".");
}

std::string SheetName(std::string_view utf8) { return DisplayPath(std::string(utf8)); }

namespace {

std::string Cell(std::int64_t row, std::int64_t column)
{
    return CellName(static_cast<int>(std::min<std::int64_t>(row, TSheetBlock::kMaxRows)),
                    static_cast<int>(std::min<std::int64_t>(column, TSheetBlock::kMaxColumns)));
}

std::string FileName(const std::string& path) { return DisplayPath(path.substr(path.rfind('/') + 1)); }

std::string OpenReason(int systemError)
{
    switch (systemError) {
    case ENOENT:
    case ENOTDIR: return "το αρχείο δεν υπάρχει";
    case EACCES:
    case EPERM: return "δεν έχετε δικαίωμα ανάγνωσης";
    case EISDIR: return "είναι φάκελος";
    default: return SystemReason(systemError);
    }
}

// The sheet as the messages name it: the first, as ever, or the one chosen.
std::string SheetWords(bool first, const char* firstWords, const char* chosenWords)
{
    return first ? firstWords : chosenWords;
}

[[noreturn]] void ThrowTooManyRows(bool first)
{
    throw EWorkbookError(SheetWords(first, "Το πρώτο φύλλο", "Το φύλλο") + " του αρχείου έχει περισσότερες από " +
                         std::to_string(TSheetBlock::kMaxRows) +
                         " γραμμές, όσες το πολύ χωράει μια λίστα. Χωρίστε το σε μικρότερα αρχεία.");
}

[[noreturn]] void ThrowTooManyColumns(bool first)
{
    throw EWorkbookError(SheetWords(first, "Το πρώτο φύλλο", "Το φύλλο") + " του αρχείου έχει περισσότερες από " +
                         std::to_string(TSheetBlock::kMaxColumns) + " στήλες.");
}

[[noreturn]] void ThrowTooMuchText(bool first)
{
    throw EWorkbookError("Τα κείμενα " + SheetWords(first, "του πρώτου φύλλου", "του φύλλου") +
                         " του αρχείου είναι πάρα πολλά για να εισαχθούν.");
}

std::optional<int> Digits(std::string_view text, std::size_t count)
{
    if (text.size() < count) return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The code point of a character that a UTF-8 text starts with.
char32_t FirstCodePoint(std::string_view utf8)
{
    if (utf8.empty()) return 0xFFFD;
    static const unsigned char leadMask[] = {0x7F, 0x1F, 0x0F, 0x07};
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t point = lead & leadMask[length - 1];
    for (std::size_t i = 1; i < length && i < utf8.size(); ++i)
        point = (point << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    return point;
}

std::optional<double> TimeFraction(std::string_view text)
{
    const auto h = Digits(text, 2);
    if (!h || text.size() < 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
    const auto m = Digits(text.substr(3), 2);
    const auto s = Digits(text.substr(6), 2);
    if (!m || !s || *h > 23 || *m > 59 || *s > 59) return std::nullopt;
    double seconds = *h * 3600.0 + *m * 60.0 + *s;
    std::string_view rest = text.substr(8);
    if (rest.starts_with('.') && rest.size() > 1) {
        const auto fraction =
            ParseXmlNumber("0" + std::string(rest.substr(0, rest.find_first_not_of("0123456789", 1))));
        if (!fraction) return std::nullopt;
        seconds += *fraction;
    }
    return seconds / 86400.0;
}

}  // namespace

void TBlockBuilder::Grow(std::int64_t rows)
{
    if (rows <= storedRows_) return;
    cells_.resize(static_cast<std::size_t>(rows * kept_));
    storedRows_ = rows;
}

void TBlockBuilder::Set(std::int64_t row, std::int64_t column, const TCell& cell, std::int64_t repeat)
{
    if (cell.IsEmpty() || repeat <= 0) return;
    // A cell before the first row or column (one outside any row element,
    // in a damaged sheet) has no place in the block.
    if (row < 0 || column < 0) ThrowDamagedCell(std::max<std::int64_t>(row, 0), std::max<std::int64_t>(column, 0));
    if (row >= TSheetBlock::kMaxRows) ThrowTooManyRows(first_);
    if (column >= TSheetBlock::kMaxColumns || repeat > TSheetBlock::kMaxColumns - column) ThrowTooManyColumns(first_);
    lastRow_ = std::max(lastRow_, row);
    lastColumn_ = std::max(lastColumn_, column + repeat - 1);
    const std::int64_t end = std::min<std::int64_t>(column + repeat, kept_);
    if (column >= end) return;
    Grow(row + 1);
    for (std::int64_t c = column; c < end; ++c) {
        TCell& slot = cells_[static_cast<std::size_t>(row * kept_ + c)];
        textBytes_ = textBytes_ - slot.text.size() + cell.text.size();
        if (textBytes_ > kMaxBlockText) ThrowTooMuchText(first_);
        slot = cell;
    }
}

void TBlockBuilder::RepeatRow(std::int64_t row, std::int64_t count)
{
    if (count <= 0 || row < 0) return;
    if (count >= TSheetBlock::kMaxRows - row) ThrowTooManyRows(first_);
    lastRow_ = std::max(lastRow_, row + count);
    if (row >= storedRows_) return;  // its values lie past the stored columns
    for (std::int64_t c = 0; c < kept_; ++c) {
        const TCell cell = cells_[static_cast<std::size_t>(row * kept_ + c)];
        for (std::int64_t r = row + 1; r <= row + count; ++r) Set(r, c, cell);
    }
}

TSheetBlock TBlockBuilder::Finish()
{
    TSheetBlock block;
    block.keptColumns = static_cast<int>(kept_);
    block.rows = static_cast<int>(lastRow_ + 1);
    block.columns = static_cast<int>(lastColumn_ + 1);
    const int stored = block.StoredColumns();
    block.cells.resize(static_cast<std::size_t>(block.rows) * static_cast<std::size_t>(stored));
    for (std::int64_t r = 0; r < std::min<std::int64_t>(block.rows, storedRows_); ++r)
        for (int c = 0; c < stored; ++c)
            block.cells[static_cast<std::size_t>(r * stored + c)] =
                std::move(cells_[static_cast<std::size_t>(r * kept_ + c)]);
    cells_.clear();
    return block;
}

void EnsureReadable(const std::string& path)
{
    // Without blocking, so that a pipe under a workbook's name cannot hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) ThrowCannotOpen(path, errno);
    struct stat status {};
    const bool known = ::fstat(fd, &status) == 0;
    ::close(fd);
    if (!known || !S_ISREG(status.st_mode)) ThrowCannotOpen(path, known && S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
}

void ThrowCannotOpen(const std::string& path, int systemError)
{
    throw EWorkbookError("Δεν ήταν δυνατό να ανοίξει το αρχείο " + FileName(path) + " (" + OpenReason(systemError) +
                         ").");
}

void ThrowNotWorkbook(const std::string& path, std::string_view kind)
{
    if (kind.empty())
        throw EWorkbookError("Το αρχείο " + FileName(path) +
                             " δεν είναι βιβλίο εργασίας (.xls, .xlsx, .ods) ή αρχείο κειμένου .csv.");
    throw EWorkbookError("Το αρχείο " + FileName(path) + " δεν είναι έγκυρο αρχείο " + std::string(kind) +
                         " ή είναι κατεστραμμένο.");
}

void ThrowTooLarge(const std::string& path)
{
    throw EWorkbookError("Το αρχείο " + FileName(path) + " είναι πολύ μεγάλο για να εισαχθεί.");
}

void ThrowPasswordProtected(const std::string& path)
{
    throw EWorkbookError("Το αρχείο " + FileName(path) +
                         " προστατεύεται με κωδικό. Αποθηκεύστε το χωρίς κωδικό για να το εισαγάγετε.");
}

void ThrowUnsupportedCharacter(std::int64_t row, std::int64_t column, std::string_view utf8Text)
{
    // Malformed UTF-8 is reported as the replacement character.
    std::string bad;
    cp1253::FromUtf8(utf8Text, &bad);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(FirstCodePoint(bad)));
    throw EWorkbookError("Το κελί " + Cell(row, column) + " περιέχει χαρακτήρα που δεν υποστηρίζεται (" + code +
                         "). Χρησιμοποιήστε μόνο ελληνικούς και λατινικούς χαρακτήρες.");
}

void ThrowDamagedCell(std::int64_t row, std::int64_t column)
{
    throw EWorkbookError("Το κελί " + Cell(row, column) +
                         " δεν ήταν δυνατό να διαβαστεί: το αρχείο είναι κατεστραμμένο.");
}

void ThrowErrorValue(std::int64_t row, std::int64_t column, std::string_view shown)
{
    throw EWorkbookError("Το κελί " + Cell(row, column) + " περιέχει σφάλμα τύπου (" +
                         DisplayPath(std::string(shown.substr(0, 32))) +
                         ") αντί για τιμή. Διορθώστε το για να προχωρήσετε στην εισαγωγή.");
}

void ThrowFormulaWithoutValue(std::int64_t row, std::int64_t column)
{
    throw EWorkbookError("Το κελί " + Cell(row, column) +
                         " περιέχει τύπο χωρίς αποθηκευμένη τιμή. Ανοίξτε το αρχείο με το πρόγραμμα "
                         "λογιστικών φύλλων και αποθηκεύστε το ξανά, ή επικολλήστε τιμές στη θέση των τύπων.");
}

void ThrowTextTooLong(std::int64_t row, std::int64_t column)
{
    throw EWorkbookError("Το κελί " + Cell(row, column) + " έχει κείμενο μεγαλύτερο από " +
                         std::to_string(kMaxCellText) + " χαρακτήρες.");
}

TCell TextCell(std::int64_t row, std::int64_t column, std::string_view utf8Text)
{
    if (utf8Text.size() > kMaxCellText * 4) ThrowTextTooLong(row, column);
    auto text = cp1253::FromUtf8(utf8Text);
    if (!text) ThrowUnsupportedCharacter(row, column, utf8Text);
    if (text->size() > kMaxCellText) ThrowTextTooLong(row, column);
    return TCell::Text(std::move(*text));
}

std::optional<double> ParseXmlNumber(std::string_view text)
{
    if (text.starts_with('+')) text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::optional<double> DateSerial(std::string_view text)
{
    if (text.size() == 8 && text[2] == ':') return TimeFraction(text);
    const auto y = Digits(text, 4);
    if (!y || text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto m = Digits(text.substr(5), 2);
    const auto d = Digits(text.substr(8), 2);
    // Excel counts a 29 February 1900 that never was (serial 60), so dates
    // before March 1900 are one day lower than the days since 30 December 1899.
    const bool excelsLeapDay = *y == 1900 && m == 2 && d == 29;
    if (!m || !d || *m < 1 || *m > 12 || *d < 1 || (*d > DaysInMonth(*y, *m) && !excelsLeapDay)) return std::nullopt;
    double serial = excelsLeapDay ? 60 : static_cast<double>(DaysFromCivil(*y, *m, *d) - DaysFromCivil(1899, 12, 30));
    if (!excelsLeapDay && serial < 61) serial -= 1;
    std::string_view rest = text.substr(10);
    if (rest.empty()) return serial;
    if (rest[0] != 'T' && rest[0] != ' ') return std::nullopt;
    const auto time = TimeFraction(rest.substr(1));
    if (!time) return std::nullopt;
    return serial + *time;
}

}  // namespace workbook

}  // namespace epinax
