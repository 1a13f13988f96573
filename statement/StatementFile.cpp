#include "statement/StatementFile.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "common/Greek.h"
#include "common/Lines.h"
#include "common/Numbers.h"

namespace epinax {

namespace {

bool IsCustomers(TSide side) { return side == TSide::Customers; }

std::string_view TrimRight(std::string_view text)
{
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The slice of a record at 1-based positions, as the record store reads a
// field: cut where the record ends, trailing blanks removed.
std::string_view FieldOf(std::string_view record, size_t from, size_t width)
{
    if (from - 1 >= record.size()) return {};
    return TrimRight(record.substr(from - 1, width));
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

std::string SideWord(TSide side) { return G(IsCustomers(side) ? "στους πελάτες" : "στους προμηθευτές"); }

std::string RowProblem(TSide side, int position, const char* what)
{
    return G("Η αποθήκευση σε αρχείο απέτυχε: ") + G(what) + G(" της εγγραφής ") + std::to_string(position) +
           " " + SideWord(side) + ".";
}

std::string TotalsProblem(TSide side, const char* what)
{
    return G("Η αποθήκευση σε αρχείο απέτυχε: ") + G(what) + " " +
           G(IsCustomers(side) ? "των πελατών" : "των προμηθευτών") + G(" δεν χωράει στο αρχείο.");
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

std::optional<std::string> CounterpartyLine(TSide side, int position, std::string_view record, std::string& problem)
{
    auto number = ZeroFilled(std::to_string(position), 5);
    if (!number) {
        problem = G("Η αποθήκευση σε αρχείο απέτυχε: Η λίστα ") +
                  G(IsCustomers(side) ? "των πελατών" : "των προμηθευτών") +
                  G(" έχει περισσότερες από 99999 εγγραφές.");
        return std::nullopt;
    }
    std::string_view invoicesText = FieldOf(record, 93, 7);
    if (!ParseInteger(invoicesText)) {
        problem = RowProblem(side, position, "Ο αριθμός τιμολογίων");
        problem.replace(problem.size() - 1, 1, G(" δεν είναι αριθμός."));
        return std::nullopt;
    }
    auto value = Decimal::Parse(FieldOf(record, 100, 16));
    if (!value) {
        problem = RowProblem(side, position, "Η αξία");
        problem.replace(problem.size() - 1, 1, G(" δεν είναι αριθμός."));
        return std::nullopt;
    }
    auto cents = WholeNumber(value->TimesPowerOfTen(2), 16);
    auto invoices = ZeroFilled(invoicesText, 7);
    if (!cents) {
        problem = RowProblem(side, position, "Η αξία");
        problem.replace(problem.size() - 1, 1, G(" δεν χωράει στο αρχείο (έως 16 ψηφία σε λεπτά, χωρίς πρόσημο)."));
        return std::nullopt;
    }

    // Positions 7 to 92 are text fields at the same places as in the record:
    // each is its field text, blank-filled to its width.
    std::string line(kLineLength, ' ');
    line[0] = IsCustomers(side) ? '2' : '4';
    line.replace(1, 5, *number);
    static constexpr struct { size_t from, width; } kTextFields[] = {
        {7, 9}, {16, 27}, {43, 15}, {58, 1}, {59, 10}, {69, 16}, {85, 3}, {88, 5}};
    for (auto field : kTextFields) {
        std::string_view text = FieldOf(record, field.from, field.width);
        line.replace(field.from - 1, text.size(), text);
    }
    line.replace(92, 7, *invoices);
    line.replace(99, 16, *cents);
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
    if (!pubText) problem = TotalsProblem(side, "Η Αξία Δημοσίου");
    else if (!invoicesText) problem = TotalsProblem(side, "Ο αριθμός τιμολογίων");
    else if (!grandText) problem = TotalsProblem(side, "Η συνολική αξία");
    if (!pubText || !invoicesText || !grandText) return std::nullopt;

    std::string line = IsCustomers(side) ? "3999999011" : "5999999011";
    line += *pubText;
    line += "999999999";
    line += *invoicesText;
    line += *grandText;
    line.resize(kLineLength, ' ');
    return line;
}

// ---------------------------------------------------------------- reader

std::string InvalidFileMessage() { return G("Μη έγκυρο αρχείο"); }
std::string OpenProblemMessage() { return G("Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου"); }
std::string LineLengthMessage()
{
    return G("Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής είναι λανθασμένο");
}

bool IsStatementFormLine(std::string_view line)
{
    if (line.size() < 5 || line[0] != '0') return false;
    char i = line[1];
    bool iota = i == 'I' || i == 'i' || static_cast<unsigned char>(i) == 201;
    char l = line[2];
    return iota && (l == 'L' || l == 'l') && line.substr(3, 2) == "01";
}

bool IsCreditForm(std::string_view firstLine) { return firstLine.find(".PIS") != std::string_view::npos; }

std::vector<std::string_view> StatementLines(std::string_view bytes) { return SplitLines(bytes); }

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
        (line[0] == '3' ? contents.editPub1 : contents.editPub2) = *value;
        break;
    }
    default: {
        std::string record = ToWorkingRecord(line);
        // The totals read every row's invoice count and value as numbers.
        if (!Decimal::Parse(FieldOf(record, 93, 7)) || !Decimal::Parse(FieldOf(record, 100, 16)))
            return OpenProblemMessage();
        (line[0] == '2' ? contents.customers : contents.suppliers).push_back(std::move(record));
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
    if (record.size() < 115) return record;
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

TReadOutcome ReadStatement(std::string_view bytes)
{
    TReadOutcome outcome;
    std::vector<std::string_view> lines = StatementLines(bytes);
    if (lines.empty() || !IsStatementFormLine(lines[0])) {
        outcome.notAStatement = true;
        outcome.problem = TLineProblem{1, InvalidFileMessage()};
        return outcome;
    }
    TStatementContents contents;
    contents.credit = IsCreditForm(lines[0]);
    for (size_t i = 1; i < lines.size(); ++i) {
        if (auto problem = TakeLine(lines[i], contents)) {
            outcome.problem = TLineProblem{static_cast<int>(i + 1), *problem};
            return outcome;
        }
    }
    outcome.contents = std::move(contents);
    return outcome;
}

}  // namespace epinax
