#include "cli/Check.h"

#include <algorithm>
#include <unordered_set>

#include "cli/Workspace.h"
#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "common/Text.h"
#include "entry/TaxNumber.h"
#include "statement/Checks.h"
#include "statement/Header.h"

namespace epinax::cli {

namespace {

bool IsCustomers(TSide side) { return side == TSide::Customers; }
char RowType(TSide side) { return IsCustomers(side) ? '2' : '4'; }
char TotalsType(TSide side) { return IsCustomers(side) ? '3' : '5'; }
char TypeOf(std::string_view line) { return line.empty() ? ' ' : line[0]; }


// ------------------------------------------------------------ texts

std::string NulMessage()
{
    return G("Η γραμμή περιέχει τον χαρακτήρα NUL (μηδενικό byte), που δεν επιτρέπεται σε αρχείο κειμένου");
}

std::string NoHeaderMessage()
{
    return G("Το αρχείο δεν έχει γραμμή γενικών στοιχείων του υπόχρεου (γραμμή που αρχίζει με 1)");
}

std::string Shown(std::optional<Decimal> value, std::string_view raw, bool cents)
{
    if (!value) return G("«") + std::string(raw) + G("»");
    return cents ? value->TimesPowerOfTen(-2).ToFixed2() : value->ToGeneral();
}

std::string TotalsMismatchMessage(TSide side, int lineNumber, bool grandTotal, std::string_view expected,
                                  std::string_view found)
{
    std::string whose = G(IsCustomers(side) ? "των πελατών" : "των προμηθευτών");
    std::string what = grandTotal ? G("Η συνολική αξία της γραμμής ") : G("Το σύνολο τιμολογίων της γραμμής ");
    std::string with = grandTotal ? G(" και την αξία δημοσίου") : std::string();
    return what + std::to_string(lineNumber) + G(" δεν συμφωνεί με τις γραμμές ") + whose + with + G(" (αναμενόταν ") +
           Shown(Decimal::Parse(expected), expected, grandTotal) + G(", βρέθηκε ") +
           Shown(Decimal::Parse(found), found, grandTotal) + ")";
}

// ------------------------------------------------------------ the checker

class Checker {
public:
    Checker(std::string_view bytes, TDate today)
        : lines_(StatementLines(bytes)), bad_(lines_.size(), false), workspace_(ui_, FixedClock(today))
    {
    }

    std::vector<TLineProblem> Run();

private:
    void Report(size_t index, std::string message)
    {
        problems_.push_back({static_cast<int>(index + 1), std::move(message)});
    }
    void CheckLines();
    void CheckHeader();
    bool LoadGoodLines();
    std::vector<size_t> GoodLinesOfType(char type) const;
    bool HasBadLineOfType(char type) const;
    void CheckRows(TSide side);
    void CheckRow(TSide side, size_t index, const TRowValues& row, std::unordered_set<std::string>& seen);
    void CheckTotals(TSide side);
    void CompareTotal(TSide side, size_t index, bool grandTotal, const std::string& expectedLine);

    std::vector<std::string_view> lines_;
    std::vector<bool> bad_;  // refused on its own: left out of the statement
    std::optional<size_t> headerIndex_;
    TStatementHeader header_;
    RecordingUi ui_;
    Workspace workspace_;
    std::vector<TLineProblem> problems_;
};

std::vector<TLineProblem> Checker::Run()
{
    if (lines_.empty() || !IsStatementFormLine(lines_[0])) return {{1, InvalidFileMessage()}};
    CheckLines();
    CheckHeader();
    if (LoadGoodLines()) {
        for (TSide side : {TSide::Customers, TSide::Suppliers}) {
            CheckRows(side);
            CheckTotals(side);
        }
    }
    std::stable_sort(problems_.begin(), problems_.end(),
                     [](const TLineProblem& a, const TLineProblem& b) { return a.lineNumber < b.lineNumber; });
    return std::move(problems_);
}

// The record store cuts its file at a NUL byte, so such a line would lose
// the rows after it: it is reported and left out like a refused one.
void Checker::CheckLines()
{
    for (size_t i = 1; i < lines_.size(); ++i) {
        std::string_view line = lines_[i];
        if (line.find('\0') != std::string_view::npos) {
            Report(i, NulMessage());
            bad_[i] = true;
        } else if (auto problem = StatementLineProblem(line)) {
            Report(i, *problem);
            bad_[i] = true;
        }
        if (!headerIndex_ && TypeOf(line) == '1') headerIndex_ = i;
    }
}

void Checker::CheckHeader()
{
    if (!headerIndex_) {
        Report(0, NoHeaderMessage());
        return;
    }
    try {
        FillHeaderFromLine(header_, lines_[*headerIndex_]);
    } catch (const std::exception&) {
        return;  // a header that cannot be taken apart is refused as a line already
    }
    for (auto& refusal : HeaderRefusals(header_, workspace_.Statement().Today().year))
        Report(*headerIndex_, refusal.message);
}

// The lines that passed on their own make a statement Open accepts; the
// program itself then reads the rows and adds up the totals.
bool Checker::LoadGoodLines()
{
    std::string text(lines_[0]);
    for (size_t i = 1; i < lines_.size(); ++i) {
        if (bad_[i]) continue;
        text += "\r\n";
        text += lines_[i];
    }
    TStatement& statement = workspace_.Statement();
    try {
        std::string path = workspace_.File("statement");
        ReplaceFile(path, text);
        ui_.Clear();
        ui_.openFile = path;
        statement.N2Click();
    } catch (const std::exception& error) {
        ui_.messages.push_back(error.what());
    }
    if (!statement.StatementLoaded) Report(0, ui_.LastMessage());
    return statement.StatementLoaded;
}

std::vector<size_t> Checker::GoodLinesOfType(char type) const
{
    std::vector<size_t> found;
    for (size_t i = 1; i < lines_.size(); ++i)
        if (!bad_[i] && TypeOf(lines_[i]) == type) found.push_back(i);
    return found;
}

bool Checker::HasBadLineOfType(char type) const
{
    for (size_t i = 1; i < lines_.size(); ++i)
        if (bad_[i] && TypeOf(lines_[i]) == type) return true;
    return false;
}

void Checker::CheckRows(TSide side)
{
    TFixedFormatDataSet& list = workspace_.Statement().List(side);
    std::vector<size_t> rowLines = GoodLinesOfType(RowType(side));
    size_t count = std::min(rowLines.size(), static_cast<size_t>(list.RecordCount()));
    const TField& afm = list.FieldByName(AfmFieldName(side));
    const TField& ypovolh = list.FieldByName("Ypovolh");
    const TField& invoices = list.FieldByName("NoTimologion");
    const TField& value = list.FieldByName("Value");
    std::unordered_set<std::string> seen;
    for (size_t k = 0; k < count; ++k) {
        int at = static_cast<int>(k);
        TRowValues row{list.FieldTextAt(at, afm), list.FieldTextAt(at, ypovolh), list.FieldTextAt(at, invoices),
                       list.FieldTextAt(at, value)};
        CheckRow(side, rowLines[k], row, seen);
    }
}

// As if the row were posted after the rows above it: the own tax number, a
// number already in the list (compared as the lookup does, blanks trimmed),
// then the rules of the row alone.
void Checker::CheckRow(TSide side, size_t index, const TRowValues& row, std::unordered_set<std::string>& seen)
{
    if (headerIndex_ && row.afm == header_.AFM) Report(index, SameAsOwnAfmMessage());
    if (!seen.insert(std::string(TrimBlanks(row.afm))).second) Report(index, DuplicateAfmMessage(side, row.afm));
    try {
        if (auto refusal = RowRuleRefusal(side, row)) Report(index, *refusal);
    } catch (const EConvertError& error) {
        Report(index, error.what());
    }
}

// A refused row is missing from the sums, so the totals of its list cannot
// be judged; the row has been reported.
void Checker::CheckTotals(TSide side)
{
    if (HasBadLineOfType(RowType(side))) return;
    TStatement& statement = workspace_.Statement();
    bool customers = IsCustomers(side);
    for (size_t index : GoodLinesOfType(TotalsType(side))) {
        auto publicValue = PublicValueOfTotalsLine(lines_[index]);
        if (!publicValue) continue;
        std::string problem;
        auto expected = TotalsLine(side, *publicValue, customers ? statement.EditSum : statement.EditSum2,
                                   customers ? statement.EditSumValue : statement.EditSumValue2, problem);
        if (!expected) {
            Report(index, problem);
            continue;
        }
        CompareTotal(side, index, false, *expected);
        CompareTotal(side, index, true, *expected);
    }
}

// Invoices at positions 36-51, the grand total at 52-67.
void Checker::CompareTotal(TSide side, size_t index, bool grandTotal, const std::string& expectedLine)
{
    size_t from = grandTotal ? 51 : 35;
    std::string_view expected = std::string_view(expectedLine).substr(from, 16);
    std::string_view found = lines_[index].substr(from, 16);
    if (expected != found)
        Report(index, TotalsMismatchMessage(side, static_cast<int>(index + 1), grandTotal, expected, found));
}

}  // namespace

std::vector<TLineProblem> CheckStatement(std::string_view bytes, TDate today)
{
    return Checker(bytes, today).Run();
}

}  // namespace epinax::cli
