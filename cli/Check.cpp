#include "cli/Check.h"
#include "entry/Side.h"

#include <algorithm>

#include "cli/ReadStatement.h"
#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Lines.h"
#include "common/Text.h"
#include "statement/Checks.h"
#include "statement/Header.h"
#include "statement/StatementCheck.h"

namespace epinax::cli {

namespace {

char RowType(TSide side) { return SideInfo(side).lineType; }
char TotalsType(TSide side) { return SideInfo(side).totalsLineType; }
char TypeOf(std::string_view line) { return line.empty() ? ' ' : line[0]; }

// ------------------------------------------------------------ texts

std::string NulMessage()
{
    return "Η γραμμή περιέχει τον χαρακτήρα NUL (μηδενικό byte), που δεν επιτρέπεται σε αρχείο κειμένου";
}

std::string NoHeaderMessage()
{
    return "Το αρχείο δεν έχει γραμμή γενικών στοιχείων του υπόχρεου (γραμμή που αρχίζει με 1)";
}

std::string Shown(std::optional<Decimal> value, std::string_view raw, bool cents)
{
    if (!value) return "«" + cp1253::ToUtf8(raw) + "»";
    return cents ? value->TimesPowerOfTen(-2).ToFixed2() : value->ToGeneral();
}

std::string TotalsMismatchMessage(TSide side, int lineNumber, bool grandTotal, std::string_view expected,
                                  std::string_view found)
{
    std::string whose = SideInfo(side).ofTheList;
    std::string what = grandTotal ? "Η συνολική αξία της γραμμής " : "Το σύνολο τιμολογίων της γραμμής ";
    std::string with = grandTotal ? " και την αξία δημοσίου" : std::string();
    return what + std::to_string(lineNumber) + " δεν συμφωνεί με τις γραμμές " + whose + with + " (αναμενόταν " +
           Shown(Decimal::Parse(expected), expected, grandTotal) + ", βρέθηκε " +
           Shown(Decimal::Parse(found), found, grandTotal) + ")";
}

// ------------------------------------------------------------ the checker

// Keeps the first `limit` problems in line order, and in the order they were
// found within a line, however many are reported: a file of a million bad
// lines costs no more memory than one of a thousand.
class FirstProblems {
public:
    explicit FirstProblems(size_t limit) : limit_(limit) {}

    // Whether a problem of this line would be among those kept.
    bool Keeps(int lineNumber) const
    {
        return kept_.size() < limit_ || (!kept_.empty() && lineNumber < kept_.front().lineNumber);
    }
    // A problem that is not kept needs no message.
    void CountOnly() { ++count_; }

    void Add(int lineNumber, std::string message)
    {
        ++count_;
        Entry entry{lineNumber, count_, std::move(message)};
        if (kept_.size() == limit_ && !(limit_ > 0 && entry < kept_.front())) return;
        kept_.push_back(std::move(entry));
        std::push_heap(kept_.begin(), kept_.end());
        if (kept_.size() > limit_) {
            std::pop_heap(kept_.begin(), kept_.end());
            kept_.pop_back();
        }
    }

    TCheckOutcome Take()
    {
        std::sort_heap(kept_.begin(), kept_.end());
        TCheckOutcome outcome;
        for (Entry& entry : kept_) outcome.problems.push_back({entry.lineNumber, std::move(entry.message)});
        outcome.notShown = count_ - kept_.size();
        return outcome;
    }

private:
    struct Entry {
        int lineNumber;
        size_t order;
        std::string message;
        bool operator<(const Entry& other) const
        {
            return lineNumber != other.lineNumber ? lineNumber < other.lineNumber : order < other.order;
        }
    };
    size_t limit_;
    size_t count_ = 0;
    std::vector<Entry> kept_;  // a max-heap: the last kept problem on top
};

// A line that passed on its own, with its index in the file.
struct TGoodLine {
    size_t index;
    std::string_view text;
};

class Checker {
public:
    Checker(std::string_view bytes, TDate today, size_t problemsShown)
        : bytes_(bytes), today_(today), problems_(problemsShown)
    {
    }

    TCheckOutcome Run();

private:
    void Report(size_t index, std::string message) { problems_.Add(static_cast<int>(index + 1), std::move(message)); }
    void CheckLines();
    void CheckLine(size_t index, std::string_view line);
    void CheckHeader();
    bool LoadGoodLines();
    std::vector<TGoodLine> GoodLinesOfType(char type) const;
    void CheckRows(TSide side);
    void CheckTotals(TSide side);
    void CompareTotal(TSide side, const TGoodLine& line, bool grandTotal, const std::string& expectedLine);

    std::string_view bytes_;
    std::string_view formLine_;
    // Only the lines that passed are kept (refused ones are left out of the
    // statement), so that a file of short lines needs no list of them all.
    std::vector<TGoodLine> goodLines_;
    bool badLineOfType_[256] = {};
    std::optional<size_t> headerIndex_;
    std::string_view headerLine_;
    TStatementHeader header_;
    TDate today_;
    std::unique_ptr<TReadStatement> statement_;  // the good lines, once read
    FirstProblems problems_;
};

TCheckOutcome Checker::Run()
{
    formLine_ = bytes_.substr(0, bytes_.find_first_of("\r\n"));
    if (bytes_.empty() || !IsStatementFormLine(formLine_)) {
        Report(0, InvalidFileMessage());
        return problems_.Take();
    }
    CheckLines();
    CheckHeader();
    if (LoadGoodLines()) {
        for (TSide side : {TSide::Customers, TSide::Suppliers}) {
            CheckRows(side);
            CheckTotals(side);
        }
    }
    return problems_.Take();
}

void Checker::CheckLines()
{
    size_t index = 0;
    ForEachLine(bytes_, [&](std::string_view line) {
        if (index > 0) CheckLine(index, line);
        ++index;
    });
}

// The record store cuts its file at a NUL byte, so such a line would lose
// the rows after it: it is reported and left out like a refused one.
void Checker::CheckLine(size_t index, std::string_view line)
{
    // A line of the wrong length has one problem whatever else is wrong with
    // it; past the problems shown it is only counted, which keeps a file of a
    // million short lines quick.
    bool wrongLength = line.size() != static_cast<size_t>(kLineLength);
    std::optional<std::string> problem;
    if (wrongLength && !problems_.Keeps(static_cast<int>(index + 1)))
        problems_.CountOnly();
    else if (line.find('\0') != std::string_view::npos)
        problem = NulMessage();
    else
        problem = StatementLineProblem(line);
    if (problem) Report(index, std::move(*problem));
    if (problem || wrongLength)
        badLineOfType_[static_cast<unsigned char>(TypeOf(line))] = true;
    else
        goodLines_.push_back({index, line});
    if (!headerIndex_ && TypeOf(line) == '1') {
        headerIndex_ = index;
        headerLine_ = line;
    }
}

// A header line of the wrong length has been refused for it; its fields,
// taken from the wrong places, would only add false problems.
void Checker::CheckHeader()
{
    if (!headerIndex_) {
        Report(0, NoHeaderMessage());
        return;
    }
    try {
        FillHeaderFromLine(header_, headerLine_);
    } catch (const std::exception&) {
        return;  // a header that cannot be taken apart is refused as a line already
    }
    if (headerLine_.size() != static_cast<size_t>(kLineLength)) return;
    HeaderProblems(header_, today_.year,
                   [&](TStatementProblem&& problem) { Report(*headerIndex_, std::move(problem.message)); });
}

// The lines that passed on their own make a statement the reader accepts,
// unless their totals cannot be added up; the reader's lists and totals
// then judge the rows and the totals lines.
bool Checker::LoadGoodLines()
{
    std::string text(formLine_);
    text.reserve(formLine_.size() + goodLines_.size() * (kLineLength + 2));
    for (const TGoodLine& line : goodLines_) {
        text += "\r\n";
        text += line.text;
    }
    TReadOutcome outcome = ReadStatement(text);
    if (outcome.problem) {
        Report(0, std::move(outcome.problem->message));
        return false;
    }
    statement_ = std::make_unique<TReadStatement>(std::move(*outcome.contents));
    return true;
}

std::vector<TGoodLine> Checker::GoodLinesOfType(char type) const
{
    std::vector<TGoodLine> found;
    for (const TGoodLine& line : goodLines_)
        if (TypeOf(line.text) == type) found.push_back(line);
    return found;
}

// The rows as the statement holds them, each reported at its line.
void Checker::CheckRows(TSide side)
{
    const TFixedFormatDataSet& list = statement_->List(side);
    std::vector<TGoodLine> rowLines = GoodLinesOfType(RowType(side));
    std::string ownAfm = headerIndex_ ? header_.TaxNumber : std::string();
    ListProblems(list, side, ownAfm, [&](TStatementProblem&& problem) {
        if (static_cast<size_t>(problem.row) < rowLines.size())
            Report(rowLines[static_cast<size_t>(problem.row)].index, std::move(problem.message));
    });
}

// A refused row is missing from the sums, so the totals of its list cannot
// be judged; the row has been reported.
void Checker::CheckTotals(TSide side)
{
    if (badLineOfType_[static_cast<unsigned char>(RowType(side))]) return;
    const TListTotals& totals = statement_->Totals(side);
    for (const TGoodLine& line : GoodLinesOfType(TotalsType(side))) {
        auto publicValue = PublicValueOfTotalsLine(line.text);
        if (!publicValue) continue;
        std::string problem;
        auto expected = TotalsLine(side, *publicValue, totals.InvoicesText(), totals.ValueText(), problem);
        if (!expected) {
            Report(line.index, problem);
            continue;
        }
        CompareTotal(side, line, false, *expected);
        CompareTotal(side, line, true, *expected);
    }
}

// Invoices at positions 36-51, the grand total at 52-67.
void Checker::CompareTotal(TSide side, const TGoodLine& line, bool grandTotal, const std::string& expectedLine)
{
    size_t from = grandTotal ? 51 : 35;
    std::string_view expected = std::string_view(expectedLine).substr(from, 16);
    std::string_view found = line.text.substr(from, 16);
    if (expected != found)
        Report(line.index, TotalsMismatchMessage(side, static_cast<int>(line.index + 1), grandTotal, expected, found));
}

}  // namespace

TCheckOutcome CheckStatement(std::string_view bytes, TDate today, size_t problemsShown)
{
    return Checker(bytes, today, problemsShown).Run();
}

}  // namespace epinax::cli
