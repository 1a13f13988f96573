#include "import/Import.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <utility>
#include <variant>

#include "common/Errors.h"
#include "common/Text.h"
#include "entry/RecordLayout.h"
#include "entry/RowValidation.h"
#include "entry/TaxNumber.h"
#include "statement/BulkEntry.h"
#include "statement/Statement.h"

namespace epinax {

namespace {

constexpr int kColumnsRead = 10;  // A to J
enum TColumn { kAfm = 0, kObliged = 3, kInvoices = 8, kValue = 9 };

// The endings of the row messages, one per column checked. The Latin H of
// "H στήλη" in the tax number's is the message's own.
constexpr const char* kObligedEnding =
    " του αρχείου: Η στήλη Υπόχρεος (Νο 4) πρέπει να έχει τιμή 0 ή 1. "
    "Διορθώστε το για να προχωρήσετε στην εισαγωγή.";
constexpr const char* kInvoicesEnding =
    " του αρχείου: Η στήλη Αριθμός Τιμολογίων (Νο 9) πρέπει να έχει ακέραια τιμή. "
    "Διορθώστε το για να προχωρήσετε στην εισαγωγή.";
constexpr const char* kValueEnding =
    " του αρχείου: Η στήλη Αξία (Νο 10) πρέπει να είναι αριθμός (η υποδιαστολή είναι "
    "το κόμμα). Διορθώστε το για να προχωρήσετε στην εισαγωγή.";
constexpr const char* kAfmEnding =
    " του αρχείου: H στήλη ΑΦΜ (Νο 1) δεν περιέχει αποδεκτό ΑΦΜ. "
    "Διορθώστε το για να προχωρήσετε στην εισαγωγή.";
constexpr const char* kOwnAfmEnding =
    " του αρχείου: Το ΑΦΜ (στήλη Νο 1) είναι ίδιο με το ΑΦΜ του Υπόχρεου. "
    "Διορθώστε το για να προχωρήσετε στην εισαγωγή.";

std::string RowMessage(int row, const char* ending) { return "Λάθος στη γραμμή " + std::to_string(row) + ending; }

// A refused row's message, with the field (the column of the usual layout,
// from 0) it is to be corrected in.
struct TFieldRefusal {
    int field;
    std::string message;
};

// A line break or another control character in a cell (an address on two
// lines) would end up in the fixed-width line; a blank takes its place.
std::string FieldText(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

bool IsZeroValue(const TCell& cell)
{
    return (cell.kind == TCell::Kind::Number && cell.number == 0) ||
           (cell.kind == TCell::Kind::Text && cell.text == "0");
}

// `number`: the row's number in the sheet, from 1.
std::optional<TFieldRefusal> RowProblem(const TSheetBlock& block, int row, int number, const std::string& ownAfm)
{
    const std::string obliged = CellText(block.At(row, kObliged));
    if (obliged != "0" && obliged != "1") return TFieldRefusal{kObliged, RowMessage(number, kObligedEnding)};
    if (!ParseInteger(CellText(block.At(row, kInvoices))))
        return TFieldRefusal{kInvoices, RowMessage(number, kInvoicesEnding)};
    if (!Decimal::Parse(CellText(block.At(row, kValue))))
        return TFieldRefusal{kValue, RowMessage(number, kValueEnding)};
    const std::string afm = TaxNumberOfCell(block.At(row, kAfm));
    if (IsZeroValue(block.At(row, kObliged)) && !CheckAfm(afm))
        return TFieldRefusal{kAfm, RowMessage(number, kAfmEnding)};
    if (afm == ownAfm) return TFieldRefusal{kAfm, RowMessage(number, kOwnAfmEnding)};
    return std::nullopt;
}

// The texts a row's ten fields receive, in the order of the columns. The
// numbers go in by their value: "00000012" invoices are 12, a negative
// amount is stored positive. Only rows the checking pass let through.
using TRowTexts = std::array<std::string, kColumnsRead>;

TRowTexts RowTexts(const TSheetBlock& block, int row)
{
    TRowTexts texts;
    texts[kAfm] = FieldText(TaxNumberOfCell(block.At(row, kAfm)));
    for (int column = 1; column < kInvoices; ++column)
        texts[static_cast<size_t>(column)] = FieldText(CellText(block.At(row, column)));
    texts[kInvoices] = std::to_string(*ParseInteger(CellText(block.At(row, kInvoices))));
    texts[kValue] = Decimal::Parse(CellText(block.At(row, kValue)))->Abs().ToGeneral();
    return texts;
}

// The ten fields of a row, in the order of the columns.
std::vector<TField*> RowFields(TFixedFormatDataSet& list)
{
    std::vector<TField*> fields;
    for (std::size_t field : kTypedFields) fields.push_back(&list.Field(field));
    return fields;
}

void AssignRow(const std::vector<TField*>& fields, const TRowTexts& texts)
{
    for (size_t column = 0; column < texts.size(); ++column) fields[column]->SetAsString(texts[column]);
}

// A number cut to its field would be another number, and a tax number cut
// to nine characters another counterparty; the row is refused instead. The
// value must fit also in the form "0.##" the post rewrites it in. Other texts
// are cut to their fields.
std::optional<TFieldRefusal> WidthProblem(const std::vector<TField*>& fields, const TRowTexts& texts, int number)
{
    auto tooLong = [&](TColumn column, std::string_view text) {
        return TrimTrailingBlanks(text).size() > static_cast<size_t>(fields[column]->Size());
    };
    if (tooLong(kAfm, texts[kAfm])) return TFieldRefusal{kAfm, RowMessage(number, kAfmEnding)};
    if (tooLong(kInvoices, texts[kInvoices])) return TFieldRefusal{kInvoices, RowMessage(number, kInvoicesEnding)};
    if (tooLong(kValue, texts[kValue]) || tooLong(kValue, StrToFloat(texts[kValue]).ToHashHash()))
        return TFieldRefusal{kValue, RowMessage(number, kValueEnding)};
    return std::nullopt;
}

// A copy of a list in memory, where the rows are tried before any goes into
// the list itself; without a file, nothing of it is ever written.
class TTrialList : public TFixedFormatDataSet {
public:
    explicit TTrialList(const TFixedFormatDataSet& list) : TFixedFormatDataSet("Import")
    {
        SetSchema(CounterpartySchema());
        std::string text;
        for (int i = 0; i < list.RecordCount(); ++i) text.append(list.RecordTextAt(i)).append("\r\n");
        OpenWithText(std::move(text));
    }
};

// The row posted into the trial list through the row validation, as the
// list's own post will take it; the message that post would refuse it with.
// A post that raises (a number it cannot convert) refuses the row too. A
// refused row leaves the trial list as it was.
std::optional<TFieldRefusal> TryPost(TTrialList& trial, TSide side, const TPostedRow& posted,
                                     const std::vector<TField*>& fields, const TRowTexts& texts)
{
    trial.Append();
    AssignRow(fields, texts);
    std::optional<TFieldRefusal> refused;
    try {
        if (auto refusal = ValidatePostedRow(trial, side, posted))
            refused = TFieldRefusal{refusal->column, std::move(refusal->message)};
    } catch (const std::exception& error) {
        refused = TFieldRefusal{kValue, error.what()};
    }
    if (refused) {
        trial.Cancel();
        return refused;
    }
    trial.Post();
    return std::nullopt;
}

using TPassEnd = std::optional<TImportOutcome>;  // nothing when every row passed

// A refused row of the block (row from 0), and whether the post refused it.
struct TFound {
    int row;
    TFieldRefusal refusal;
    bool postRefused;
};

// What one pass over the rows found; nothing when the user stopped it.
using TFindings = std::optional<std::vector<TFound>>;

TFindings CheckRows(TStatement& statement, const TSheetBlock& block, int firstRow, std::vector<bool>& refused)
{
    std::vector<TFound> found;
    for (int row = 0; row < block.rows; ++row) {
        if (!statement.UI().Progress("Έλεγχος γραμμών", row, block.rows)) return std::nullopt;
        if (auto problem = RowProblem(block, row, firstRow + row, statement.Header().TaxNumber)) {
            found.push_back({row, std::move(*problem), false});
            refused[static_cast<std::size_t>(row)] = true;
        }
    }
    return found;
}

// The rows the checking pass let through, tried in order, each against the
// list and the rows before it, so that the inserting pass cannot be refused.
TFindings TryRows(TStatement& statement, TSide side, const TSheetBlock& block, int firstRow,
                  const std::vector<bool>& refused)
{
    IUserInterface& ui = statement.UI();
    TTrialList trial(statement.List(side));
    const std::vector<TField*> fields = RowFields(trial);
    TAfmIndex index;  // repeats found as the inserting pass finds them
    const TPostedRow posted{statement.Header().TaxNumber, true, &index};
    std::vector<TFound> found;
    for (int row = 0; row < block.rows; ++row) {
        if (!ui.Progress("Έλεγχος γραμμών", row, block.rows)) return std::nullopt;
        if (refused[static_cast<std::size_t>(row)]) continue;
        const TRowTexts texts = RowTexts(block, row);
        bool postRefused = false;
        auto problem = WidthProblem(fields, texts, firstRow + row);
        if (!problem) postRefused = (problem = TryPost(trial, side, posted, fields, texts)).has_value();
        if (problem) found.push_back({row, std::move(*problem), postRefused});
    }
    return found;
}

// Both passes' findings in the order of the rows, as the user reads them.
TRowProblems Listed(const std::vector<TFound>& checked, const std::vector<TFound>& tried, const TImportLayout& layout)
{
    std::vector<TFound> all;
    std::merge(checked.begin(), checked.end(), tried.begin(), tried.end(), std::back_inserter(all),
               [](const TFound& a, const TFound& b) { return a.row < b.row; });
    TRowProblems problems;
    for (const TFound& found : all) {
        if (problems.listed.size() == TRowProblems::kMaxListed) {
            ++problems.more;
            continue;
        }
        problems.listed.push_back({layout.headingRows + found.row + 1,
                                   layout.SourceName(static_cast<TImportField>(found.refusal.field)),
                                   found.refusal.message});
    }
    return problems;
}

struct TAllFindings {
    std::vector<TFound> checked, tried;
};

std::optional<TAllFindings> FindAll(TStatement& statement, TSide side, const TSheetBlock& block,
                                    const TImportLayout& layout)
{
    const int firstRow = layout.headingRows + 1;
    std::vector<bool> refused(static_cast<std::size_t>(block.rows));
    TFindings checked = CheckRows(statement, block, firstRow, refused);
    if (!checked) return std::nullopt;
    TFindings tried = TryRows(statement, side, block, firstRow, refused);
    if (!tried) return std::nullopt;
    return TAllFindings{std::move(*checked), std::move(*tried)};
}

// Every refused row is listed; the user is told the first the checking pass
// refused, or else the first the post would refuse, told as the post tells
// it (with a beep when the post refused it) followed by the import's own
// message.
TPassEnd CheckAndTryRows(TStatement& statement, TSide side, const TSheetBlock& block, const TImportLayout& layout)
{
    auto findings = FindAll(statement, side, block, layout);
    if (!findings) return TImportOutcome{};
    const auto& [checked, tried] = *findings;
    if (checked.empty() && tried.empty()) return std::nullopt;
    TImportOutcome outcome{TImportResult::Refused, {}, false, {}, false};
    if (!checked.empty()) {
        outcome.messages = {checked.front().refusal.message};
    } else {
        outcome.messages = {tried.front().refusal.message, ImportInsertFailureMessage()};
        outcome.beep = tried.front().postRefused;
    }
    outcome.problems = Listed(checked, tried, layout);
    return outcome;
}

// The list's refresh after a delete held back for a scope, and given back
// however the scope ends.
class TWithoutRefresh {
public:
    explicit TWithoutRefresh(TFixedFormatDataSet& list)
        : list_(list), afterDelete_(std::exchange(list.AfterDelete, nullptr))
    {
    }
    ~TWithoutRefresh() { list_.AfterDelete = std::move(afterDelete_); }
    TWithoutRefresh(const TWithoutRefresh&) = delete;
    TWithoutRefresh& operator=(const TWithoutRefresh&) = delete;

private:
    TFixedFormatDataSet& list_;
    TDataSetNotifyEvent afterDelete_;
};

// Puts the list back as it was on every way out of the inserting pass but a
// completed one: the pending row and the rows appended go (appended rows
// stand at the end). The working files, count and totals were not touched
// meanwhile, the refresh being held back to the end.
class TRowsBack {
public:
    explicit TRowsBack(TFixedFormatDataSet& list)
        : list_(list), rowsBefore_(list.RecordCount()), bookmark_(list.GetBookmark())
    {
    }
    ~TRowsBack()
    {
        if (kept_) return;
        try {
            Restore();
        } catch (...) {
            // Deleting rows in memory does not fail; a destructor must not throw.
        }
    }
    TRowsBack(const TRowsBack&) = delete;
    TRowsBack& operator=(const TRowsBack&) = delete;
    void Keep() { kept_ = true; }

private:
    void Restore()
    {
        list_.Cancel();
        if (list_.RecordCount() <= rowsBefore_) return;
        {
            // Not the refresh after a delete: the files never held these rows.
            TWithoutRefresh held(list_);
            while (list_.RecordCount() > rowsBefore_) {
                list_.Last();
                list_.Delete();
            }
        }
        if (bookmark_) list_.GotoBookmark(*bookmark_);
    }

    TFixedFormatDataSet& list_;
    int rowsBefore_;
    std::optional<TBookmark> bookmark_;
    bool kept_ = false;
};

// Every row posted through the list's own post, with the row validation. A
// row is in when the validation let it through and the post did not raise
// (a post that raises leaves the row pending).
TPassEnd InsertRows(TStatement& statement, TSide side, const TSheetBlock& block)
{
    TFixedFormatDataSet& list = statement.List(side);
    const std::vector<TField*> fields = RowFields(list);
    for (int row = 0; row < block.rows; ++row) {
        if (!statement.UI().Progress("Εισαγωγή γραμμών", row, block.rows))
            return TImportOutcome{
                TImportResult::Stopped, {"Η εισαγωγή διακόπηκε· δεν προστέθηκε καμία γραμμή."}, false, {}, false};
        list.Append();
        AssignRow(fields, RowTexts(block, row));
        // Refused here, a row the trial took: the refusal, then that the import stopped.
        if (auto refusal = statement.PostPendingRow(side))
            return TImportOutcome{
                TImportResult::Refused, {refusal->text, ImportInsertFailureMessage()}, refusal->beep, {}, false};
        if (list.State() != TDataSetState::dsBrowse)
            return TImportOutcome{TImportResult::Refused, {ImportInsertFailureMessage()}, false, {}, false};
    }
    return std::nullopt;
}

// The refresh of the working files and totals runs once, after the last row;
// until then the list is put back on every way out.
TPassEnd InsertAll(TStatement& statement, TSide side, const TSheetBlock& block)
{
    TRowsBack rowsBack(statement.List(side));
    {
        TBulkEntry bulk(statement, side);
        if (auto end = InsertRows(statement, side, block)) return end;
    }
    statement.RefreshList(side);
    rowsBack.Keep();
    return std::nullopt;
}

std::string SheetColumnName(int column)
{
    std::string name = CellName(0, column);
    return name.substr(0, name.size() - 1);  // without the row's 1
}

// The block, or how the import ends: a block that does not reach column J, or
// holds no row, cannot be read as rows of counterparties. Under a layout, a
// sheet needs a row below its heading rows, and is as wide as it is.
std::variant<TSheetBlock, TImportOutcome> ReadBlock(const std::string& path, const TWorkbookReader& read,
                                                    const TImportLayout* layout)
{
    std::string reason;
    try {
        TSheetBlock block = read(path);
        if (layout && block.rows > layout->headingRows) return ApplyLayout(block, *layout);
        if (layout)
            reason = layout->headingRows == 0
                         ? "Το φύλλο του αρχείου δεν έχει καμία γραμμή."
                         : "Το φύλλο του αρχείου δεν έχει καμία γραμμή κάτω από τις γραμμές επικεφαλίδας.";
        else if (block.rows >= 1 && block.columns >= kColumnsRead)
            return block;
        else
            reason = block.rows < 1
                         ? "Το πρώτο φύλλο του αρχείου δεν έχει καμία γραμμή."
                         : "Το πρώτο φύλλο του αρχείου φτάνει μόνο ως τη στήλη " + SheetColumnName(block.columns - 1) +
                               "· κάθε γραμμή χρειάζεται τις στήλες A έως J.";
    } catch (const EWorkbookReadingStopped&) {
        return TImportOutcome{};
    } catch (const EWorkbookError& error) {
        reason = error.what();
    }
    return TImportOutcome{TImportResult::Unreadable, {ImportOpenFailureMessage(reason)}, false, {}, false};
}

}  // namespace

std::string CellText(const TCell& cell)
{
    switch (cell.kind) {
    case TCell::Kind::Empty: return {};
    case TCell::Kind::Text: return cell.text;
    case TCell::Kind::Number: break;
    }
    char digits[64];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, cell.number);
    std::string text(digits, error == std::errc() ? end : digits);
    for (char& c : text)
        if (c == '.') c = ',';
    if (auto value = Decimal::Parse(text)) return value->ToGeneral();
    return text;
}

std::string TaxNumberOfCell(const TCell& cell)
{
    // Spreadsheets drop the leading zeros of numbers: a tax number typed as
    // 094014201 comes back as the number 94014201. A whole number of up to
    // eight digits gets them back, but only when that makes a valid tax
    // number: another identifier keeps the digits it has.
    std::string text = CellText(cell);
    const bool shortWhole = cell.kind == TCell::Kind::Number && cell.number >= 1 && cell.number < 1e8 &&
                            std::floor(cell.number) == cell.number;
    if (!shortWhole) return text;
    std::string padded = std::string(9 - text.size(), '0') + text;
    return CheckAfm(padded) ? padded : text;
}

std::optional<std::string> FirstRowProblem(const TSheetBlock& block, const std::string& ownAfm)
{
    for (int row = 0; row < block.rows; ++row)
        if (auto problem = RowProblem(block, row, row + 1, ownAfm)) return std::move(problem->message);
    return std::nullopt;
}

TRowProblems AllRowProblems(TStatement& statement, TSide side, const TSheetBlock& block, const TImportLayout& layout)
{
    auto findings = FindAll(statement, side, block, layout);
    if (!findings) return {};
    return Listed(findings->checked, findings->tried, layout);
}

std::string ImportOpenFailureMessage(const std::string& reason)
{
    return "Υπήρξε πρόβλημα κατά το άνοιγμα του αρχείου.\r\n" + reason;
}

std::string ImportInsertFailureMessage()
{
    return "Παρουσιάστηκαν σφάλματα κατά την εισαγωγή των στοιχείων. Η εισαγωγή διακόπηκε";
}

namespace {

bool LooksLikeHeadings(const TSheetBlock& block, const TRowProblems& problems)
{
    if (problems.listed.empty() || problems.listed.front().row > 2) return false;
    return ProposeLayout(block).headingRows >= problems.listed.front().row;
}

// The statement file holds at most 99,999 rows a list: an import that would
// take the list past them adds none, rather than leave a list that cannot be
// saved until rows are deleted again.
std::optional<TImportOutcome> OverfilledList(const TStatement& statement, TSide side, const TSheetBlock& rows)
{
    const int held = statement.List(side).RecordCount();
    if (held + rows.rows <= kMaxRowsPerList) return std::nullopt;
    return TImportOutcome{TImportResult::Refused,
                          {"Η λίστα έχει ήδη " + std::to_string(held) + " εγγραφές και το φύλλο " +
                           std::to_string(rows.rows) + " γραμμές· μια λίστα χωράει έως " +
                           std::to_string(kMaxRowsPerList) + " εγγραφές. Δεν προστέθηκε καμία γραμμή."},
                          false,
                          {},
                          false};
}

TImportOutcome ImportRows(TStatement& statement, TSide side, const std::string& path, const TWorkbookReader& read,
                          const TImportLayout* layout)
{
    auto block = ReadBlock(path, read, layout);
    if (auto* end = std::get_if<TImportOutcome>(&block)) return std::move(*end);
    const TSheetBlock& rows = std::get<TSheetBlock>(block);
    if (auto end = OverfilledList(statement, side, rows)) return std::move(*end);
    TProgressScope progress(statement.UI());
    if (auto end = CheckAndTryRows(statement, side, rows, layout ? *layout : TImportLayout{})) {
        end->looksLikeHeadings = !layout && LooksLikeHeadings(rows, end->problems);
        return std::move(*end);
    }
    if (auto end = InsertAll(statement, side, rows)) return std::move(*end);
    statement.ImportCompleted(side);
    return TImportOutcome{TImportResult::Imported, {}, false, {}, false};
}

}  // namespace

TImportOutcome ImportWorkbook(TStatement& statement, TSide side, const std::string& path, const TWorkbookReader& read)
{
    return ImportRows(statement, side, path, read, nullptr);
}

TImportOutcome ImportWorkbook(TStatement& statement, TSide side, const std::string& path, const TWorkbookReader& read,
                              const TImportLayout& layout)
{
    return ImportRows(statement, side, path, read, &layout);
}

}  // namespace epinax
