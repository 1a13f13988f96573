#include "statement/StatementFile.h"
#include "entry/Side.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "common/Cp1253.h"
#include "common/Lines.h"
#include "common/Numbers.h"
#include "common/Text.h"

namespace epinax {

namespace {

// The slice of a record at 1-based positions, as the record store reads a
// field: cut where the record ends, trailing blanks removed.
std::string_view FieldOf(std::string_view record, size_t from, size_t width)
{
    if (from - 1 >= record.size()) return {};
    return TrimTrailingBlanks(record.substr(from - 1, width));
}

std::optional<std::string> ZeroFilled(std::string_view digits, size_t width)
{
    if (digits.size() > width) return std::nullopt;
    return std::string(width - digits.size(), '0') + std::string(digits);
}

// A whole, non-negative amount of at most `width` digits, zero-filled. The
// general form would write 10^15 and more with an exponent, which no reader
// of the file expects; such amounts are refused instead.
std::optional<std::string> WholeNumber(const Decimal& number, size_t width)
{
    auto whole = number.ToInt64();
    if (!whole || *whole < 0) return std::nullopt;
    return ZeroFilled(std::to_string(*whole), width);
}

std::string SideWord(TSide side) { return SideInfo(side).inTheList; }

std::string RowProblem(TSide side, int position, const char* what)
{
    return "Η αποθήκευση σε αρχείο απέτυχε: " + std::string(what) + " της εγγραφής " + std::to_string(position) + " " +
           SideWord(side) + ".";
}

std::string TotalsProblem(TSide side, const char* what)
{
    return "Η αποθήκευση σε αρχείο απέτυχε: " + std::string(what) + " " + SideInfo(side).ofTheList +
           " δεν χωράει στο αρχείο.";
}

}  // namespace

// ---------------------------------------------------------------- writer

std::string FormCodeLine(bool credit, TDate date)
{
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d", date.year % 10000, date.month % 100, date.day % 100);
    std::string line = "0";
    line += credit ? "IL01.PIS" : "IL01    ";
    line += stamp;
    line.resize(kLineLength, ' ');
    return line;
}

namespace {

constexpr std::int64_t kCentsLimit = 10'000'000'000'000'000;  // 16 digits

// Zero-fills a non-negative number into line[at, at + width).
void PutZeroFilled(char* line, size_t at, size_t width, std::int64_t value)
{
    for (size_t i = width; i-- > 0; value /= 10) line[at + i] = static_cast<char>('0' + value % 10);
}

// The invoice count as the line takes it: the stored digits zero-filled. A
// count stored with blanks or a sign before it (from a hand-made file) is
// written as its value, so that the file can be read again; a negative count
// has no place in the field. `isNumber` tells the two refusals apart.
bool PutInvoices(char* line, std::string_view text, bool& isNumber)
{
    isNumber = true;
    if (auto plain = PlainDigits(text); plain && text.size() <= 7) {
        PutZeroFilled(line, 92, 7, *plain);
        return true;
    }
    auto value = ParseInteger(text);
    if (!value) {
        isNumber = false;
        return false;
    }
    if (*value < 0 || *value > 9'999'999) return false;
    PutZeroFilled(line, 92, 7, *value);
    return true;
}

// The value in cents, or nothing when it is no number (`isNumber` false) or
// does not fit the field.
std::optional<std::int64_t> ValueCents(std::string_view text, bool& isNumber)
{
    isNumber = true;
    if (auto cents = PlainAmountCents(text)) {
        if (*cents < kCentsLimit) return cents;
        return std::nullopt;
    }
    auto value = Decimal::Parse(text);
    if (!value) {
        isNumber = false;
        return std::nullopt;
    }
    auto cents = value->TimesPowerOfTen(2).ToInt64();
    if (!cents || *cents < 0 || *cents >= kCentsLimit) return std::nullopt;
    return cents;
}

}  // namespace

namespace {

// Reads the digits of a blank-padded field: true with the value and digit
// count when the field is digits followed only by blanks.
bool ReadPaddedDigits(const char* field, size_t width, std::int64_t& value, size_t& digits)
{
    value = 0;
    digits = 0;
    while (digits < width && field[digits] >= '0' && field[digits] <= '9') value = value * 10 + (field[digits++] - '0');
    for (size_t i = digits; i < width; ++i)
        if (field[i] != ' ') return false;
    return digits > 0;
}

// A blank-padded "digits[,d[d]]" field written as zero-filled cents into
// out[0, 16), by copying its digits; false for any other text or for an
// amount of 16 digits or more in cents.
bool PutPaddedCents(const char* field, char* out)
{
    constexpr size_t kWidth = 16;
    size_t units = 0;
    while (units < kWidth && field[units] >= '0' && field[units] <= '9') ++units;
    if (units == 0 || units > 14) return false;
    char fraction[2] = {'0', '0'};
    size_t at = units;
    if (at < kWidth && field[at] == ',') {
        ++at;
        int places = 0;
        while (at < kWidth && places < 2 && field[at] >= '0' && field[at] <= '9') fraction[places++] = field[at++];
        if (places == 0) return false;
    }
    for (; at < kWidth; ++at)
        if (field[at] != ' ') return false;
    std::fill(out, out + kWidth - units - 2, '0');
    std::copy(field, field + units, out + kWidth - units - 2);
    out[kWidth - 2] = fraction[0];
    out[kWidth - 1] = fraction[1];
    return true;
}

// The common case, a full record whose numbers are in the forms the row
// rules store, without any copying but the line's own bytes.
bool PutPlainCounterpartyLine(char* line, TSide side, int position, std::string_view record)
{
    if (record.size() < 115) return false;
    std::int64_t invoices;
    size_t digits;
    if (!ReadPaddedDigits(record.data() + 92, 7, invoices, digits)) return false;
    if (!PutPaddedCents(record.data() + 99, line + 99)) return false;
    line[0] = SideInfo(side).lineType;
    PutZeroFilled(line, 1, 5, position);
    std::copy(record.data() + 6, record.data() + 92, line + 6);
    std::fill(line + 92, line + 99 - digits, '0');
    std::copy(record.data() + 92, record.data() + 92 + digits, line + 99 - digits);
    return true;
}

}  // namespace

bool AppendCounterpartyLine(std::string& out, TSide side, int position, std::string_view record, std::string& problem)
{
    if (position > kMaxRowsPerList) {
        problem = std::string("Η αποθήκευση σε αρχείο απέτυχε: Η λίστα ") + SideInfo(side).ofTheList +
                  " έχει περισσότερες από 99999 εγγραφές.";
        return false;
    }
    return AppendPlainCounterpartyLine(out, side, position, record) ||
           AppendGeneralCounterpartyLine(out, side, position, record, problem);
}

bool AppendPlainCounterpartyLine(std::string& out, TSide side, int position, std::string_view record)
{
    // The common case fills positions 1 to 115 itself; only the filler is
    // left to blank.
    char plain[kLineLength];
    std::fill(plain + 115, plain + kLineLength, ' ');
    if (!PutPlainCounterpartyLine(plain, side, position, record)) return false;
    out.append(plain, kLineLength);
    return true;
}

bool AppendGeneralCounterpartyLine(std::string& out, TSide side, int position, std::string_view record,
                                   std::string& problem)
{
    // The line is made in place at the end of `out` and taken back on a refusal.
    size_t start = out.size();
    out.resize(start + kLineLength, ' ');
    char* line = out.data() + start;
    auto refuse = [&](const char* what, const char* ending) {
        out.resize(start);
        problem = RowProblem(side, position, what);
        problem.replace(problem.size() - 1, 1, ending);
        return false;
    };
    line[0] = SideInfo(side).lineType;
    PutZeroFilled(line, 1, 5, position);
    // Positions 7 to 92 are text fields at the same places as in the record:
    // each is its field text, blank-filled to its width.
    static constexpr struct {
        size_t from, width;
    } kTextFields[] = {{7, 9}, {16, 27}, {43, 15}, {58, 1}, {59, 10}, {69, 16}, {85, 3}, {88, 5}};
    for (auto field : kTextFields) {
        std::string_view text = FieldOf(record, field.from, field.width);
        std::copy(text.begin(), text.end(), line + field.from - 1);
    }
    bool isNumber = true;
    if (!PutInvoices(line, FieldOf(record, 93, 7), isNumber))
        return refuse("Ο αριθμός τιμολογίων",
                      isNumber ? " δεν χωράει στο αρχείο (έως 7 ψηφία, χωρίς πρόσημο)." : " δεν είναι αριθμός.");
    auto cents = ValueCents(FieldOf(record, 100, 16), isNumber);
    if (!cents)
        return refuse("Η αξία", isNumber ? " δεν χωράει στο αρχείο (έως 16 ψηφία σε λεπτά, χωρίς πρόσημο)."
                                         : " δεν είναι αριθμός.");
    PutZeroFilled(line, 99, 16, *cents);
    return true;
}

std::optional<std::string> CounterpartyLine(TSide side, int position, std::string_view record, std::string& problem)
{
    std::string line;
    if (!AppendCounterpartyLine(line, side, position, record, problem)) return std::nullopt;
    return line;
}

Decimal PublicValueCents(const std::string& editPub)
{
    auto value = Decimal::Parse(editPub);
    return value ? value->TimesPowerOfTen(2) : Decimal();
}

std::optional<std::string> TotalsLine(TSide side, const std::string& editPub, const std::string& editSum,
                                      const std::string& editSumValue, std::string& problem)
{
    Decimal pubCents = PublicValueCents(editPub);
    auto invoices = Decimal::Parse(editSum);
    auto totalValue = Decimal::Parse(editSumValue);
    std::optional<std::string> pubText, invoicesText, grandText;
    try {
        Decimal grand = totalValue ? totalValue->TimesPowerOfTen(2) + pubCents : pubCents;
        pubText = WholeNumber(pubCents, 16);
        invoicesText = WholeNumber(invoices ? *invoices : Decimal(), 16);
        grandText = WholeNumber(grand, 16);
    } catch (const std::overflow_error&) {
    }
    if (!pubText)
        problem = TotalsProblem(side, "Η Αξία Δημοσίου");
    else if (!invoicesText)
        problem = TotalsProblem(side, "Ο αριθμός τιμολογίων");
    else if (!grandText)
        problem = TotalsProblem(side, "Η συνολική αξία");
    if (!pubText || !invoicesText || !grandText) return std::nullopt;

    std::string line = SideInfo(side).totalsCode;
    line += *pubText;
    line += "999999999";
    line += *invoicesText;
    line += *grandText;
    line.resize(kLineLength, ' ');
    return line;
}

namespace {

constexpr size_t kPieceBytes = 1 << 20;

// A list's rows and totals line; false with the reason in `problem`.
bool WriteList(TSide side, const TListToWrite& list, std::string& text,
               const std::function<void(std::string_view)>& write, std::string& problem)
{
    for (int i = 0; i < list.count; ++i) {
        if (!AppendCounterpartyLine(text, side, i + 1, list.recordAt(i), problem)) return false;
        text += "\r\n";
        if (text.size() >= kPieceBytes) {
            write(text);
            text.clear();
        }
    }
    if (list.count == 0 && PublicValueCents(list.publicValue).IsZero()) return true;
    auto line = TotalsLine(side, list.publicValue, list.invoiceTotal, list.valueTotal, problem);
    if (!line) return false;
    text += *line;
    text += "\r\n";
    return true;
}

}  // namespace

std::optional<std::string> WriteStatementText(const TStatementHeader& header, TDate date, const TListToWrite& customers,
                                              const TListToWrite& suppliers,
                                              const std::function<void(std::string_view)>& write)
{
    std::string text = FormCodeLine(header.Credit, date) + "\r\n" + HeaderLine(header) + "\r\n";
    text.reserve(kPieceBytes + 2 * (kLineLength + 2));
    std::string problem;
    if (!WriteList(TSide::Customers, customers, text, write, problem)) return problem;
    if (!WriteList(TSide::Suppliers, suppliers, text, write, problem)) return problem;
    write(text);
    return std::nullopt;
}

// ---------------------------------------------------------------- reader

std::string InvalidFileMessage() { return "Μη έγκυρο αρχείο"; }
std::string OpenProblemMessage() { return "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου"; }
std::string LineLengthMessage()
{
    return "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής είναι λανθασμένο";
}

bool IsStatementFormLine(std::string_view line)
{
    if (line.size() < 5 || line[0] != '0') return false;
    // Letter case is ignored for the Greek iota as for the Latin letters.
    unsigned char i = cp1253::ToUpper(static_cast<unsigned char>(line[1]));
    bool iota = i == 'I' || i == 0xC9;  // Latin I or Greek capital iota
    return iota && cp1253::ToUpper(static_cast<unsigned char>(line[2])) == 'L' && line.substr(3, 2) == "01";
}

bool IsCreditForm(std::string_view firstLine) { return firstLine.find(".PIS") != std::string_view::npos; }

std::vector<std::string_view> StatementLines(std::string_view bytes) { return SplitLines(bytes); }

namespace {

bool AllDigits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Writes the digits of a zero-filled number without its leading zeros
// (one "0" for zero) left-aligned and blank-filled into out[0, width); the
// last `decimals` digits go after a comma, trailing zeros dropped.
void PutWithoutLeadingZeros(char* out, size_t width, std::string_view digits, size_t decimals)
{
    std::string_view whole = digits.substr(0, digits.size() - decimals);
    std::string_view fraction = digits.substr(digits.size() - decimals);
    size_t zeros = 0;
    while (zeros + 1 < whole.size() && whole[zeros] == '0') ++zeros;
    whole.remove_prefix(zeros);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    char* end = std::copy(whole.begin(), whole.end(), out);
    if (!fraction.empty()) {
        *end++ = ',';
        end = std::copy(fraction.begin(), fraction.end(), end);
    }
    std::fill(end, out + width, ' ');
}

// Converts the two numbers of a record in place when both are plain
// zero-filled numbers, as the program writes them, by moving their digits;
// false otherwise.
bool ConvertPlainNumbers(char* record, std::string_view line)
{
    std::string_view invoices = line.substr(92, 7), cents = line.substr(99, 16);
    // Below 10^15 cents the general form rounds nothing.
    if (!AllDigits(invoices) || !AllDigits(cents) || cents[0] != '0') return false;
    char converted[23];
    PutWithoutLeadingZeros(converted, 7, invoices, 0);
    PutWithoutLeadingZeros(converted + 7, 16, cents, 2);
    // "0,00" cents come out as "0": the fraction drops and one zero stays.
    std::copy(converted, converted + 23, record + 92);
    return true;
}

bool ConvertPlainNumbers(std::string& record, std::string_view line)
{
    return ConvertPlainNumbers(record.data(), line);
}

}  // namespace

namespace {

// Checks one line after the first and takes what it carries into `contents`.
std::optional<std::string> TakeLine(std::string_view line, TStatementContents& contents)
{
    if (!line.empty() && (line[0] < '1' || line[0] > '5')) return OpenProblemMessage();
    if (line.size() != kLineLength) return LineLengthMessage();
    // A NUL ends a line for the record store that reads the working file, so
    // such a line could not be kept whole.
    if (line.find('\0') != std::string_view::npos) return OpenProblemMessage();
    switch (line[0]) {
    case '1': contents.headerLines.emplace_back(line); break;
    case '3':
    case '5': {
        auto value = PublicValueOfTotalsLine(line);
        if (!value) return OpenProblemMessage();
        (line[0] == '3' ? contents.customerPublicValue : contents.supplierPublicValue) = *value;
        break;
    }
    default: {
        // The record goes straight into the list's working-file text. The
        // totals read every row's invoice count and value as numbers; plain
        // zero-filled numbers are numbers by their form.
        bool customer = line[0] == '2';
        std::string& text = customer ? contents.customers : contents.suppliers;
        size_t start = text.size();
        text.append(line);
        if (!ConvertPlainNumbers(text.data() + start, line)) {
            std::string record = ToWorkingRecord(line);
            if (!Decimal::Parse(FieldOf(record, 93, 7)) || !Decimal::Parse(FieldOf(record, 100, 16))) {
                text.resize(start);
                return OpenProblemMessage();
            }
            text.replace(start, record.size(), record);
        }
        text += "\r\n";
        ++(customer ? contents.customerCount : contents.supplierCount);
    }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> StatementLineProblem(std::string_view line)
{
    TStatementContents scratch;
    return TakeLine(line, scratch);
}

std::string ToWorkingRecord(std::string_view line)
{
    std::string record(line);
    if (record.size() < 115 || ConvertPlainNumbers(record, line)) return record;
    std::string_view invoices = std::string_view(line).substr(92, 7);
    if (auto count = ParseInteger(invoices)) {
        std::string text = std::to_string(*count);
        text.resize(7, ' ');
        record.replace(92, 7, text);
    }
    if (auto cents = Decimal::Parse(std::string_view(line).substr(99, 16))) {
        std::string text = cents->TimesPowerOfTen(-2).ToGeneral();
        if (text.size() <= 16) {
            text.resize(16, ' ');
            record.replace(99, 16, text);
        }
    }
    return record;
}

std::optional<std::string> PublicValueOfTotalsLine(std::string_view line)
{
    if (line.size() < 26) return std::nullopt;
    auto cents = Decimal::Parse(line.substr(10, 16));
    if (!cents) return std::nullopt;
    return cents->TimesPowerOfTen(-2).ToGeneral();
}

namespace {

// The line number of the n-th line (from 0) of a line type.
int LineNumberOfRow(std::string_view bytes, char type, int row)
{
    int lineNumber = 0, found = -1, result = 0;
    ForEachLine(bytes, [&](std::string_view line) {
        ++lineNumber;
        if (lineNumber > 1 && !line.empty() && line[0] == type && ++found == row && result == 0) result = lineNumber;
    });
    return result;
}

std::optional<TLineProblem> SumTotals(std::string_view bytes, TStatementContents& contents)
{
    constexpr size_t stride = kLineLength + 2;  // every working record is a whole line with CR LF
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        const bool customers = side == TSide::Customers;
        std::string_view text = customers ? contents.customers : contents.suppliers;
        int failedAt = 0;
        try {
            (customers ? contents.customerSum : contents.supplierSum) = SumList(
                customers ? contents.customerCount : contents.supplierCount,
                [&](int i) { return text.substr(static_cast<size_t>(i) * stride, kLineLength); }, &failedAt);
        } catch (const std::exception&) {
            return TLineProblem{LineNumberOfRow(bytes, SideInfo(side).lineType, failedAt), OpenProblemMessage()};
        }
    }
    return std::nullopt;
}

}  // namespace

TReadOutcome ReadStatement(std::string_view bytes)
{
    TReadOutcome outcome;
    TStatementContents contents;
    // Reserving costs no memory until it is written; it spares the copies of
    // a growing text.
    contents.customers.reserve(bytes.size());
    contents.suppliers.reserve(bytes.size());
    int lineNumber = 0;
    ForEachLine(bytes, [&](std::string_view line) {
        if (outcome.problem) return;
        if (++lineNumber == 1) {
            if (!IsStatementFormLine(line)) {
                outcome.notAStatement = true;
                outcome.problem = TLineProblem{1, InvalidFileMessage()};
            }
            contents.credit = IsCreditForm(line);
            return;
        }
        if (auto problem = TakeLine(line, contents)) outcome.problem = TLineProblem{lineNumber, *problem};
    });
    if (lineNumber == 0) {
        outcome.notAStatement = true;
        outcome.problem = TLineProblem{1, InvalidFileMessage()};
    }
    if (!outcome.problem) outcome.problem = SumTotals(bytes, contents);
    if (!outcome.problem) outcome.contents = std::move(contents);
    return outcome;
}

}  // namespace epinax
