#include "cli/Import.h"

#include <vector>

#include "cli/CliError.h"
#include "cli/Dates.h"
#include "cli/InputFile.h"
#include "common/Cp1253.h"
#include "import/Import.h"
#include "statement/Statement.h"

namespace epinax::cli {

namespace {

// The keys of --columns, in the order of the fields.
constexpr const char* kFieldKeys[kImportFields] = {"afm",    "name",   "profession", "obliged",  "city",
                                                   "street", "number", "postcode",   "invoices", "value"};

[[noreturn]] void BadOption(const std::string& message)
{
    throw CliError(kExitUsage, "import: " + message + "\n(epinax-cli --help)");
}

std::optional<int> WholeNumber(const std::string& text)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

TSheetChoice SheetFromOption(const std::string& value)
{
    TSheetChoice sheet;
    if (value.empty()) BadOption("το --sheet θέλει το όνομα ή τον αριθμό (από 1) ενός φύλλου");
    if (auto position = WholeNumber(value)) {
        if (*position < 1) BadOption("τα φύλλα αριθμούνται από το 1· δόθηκε --sheet " + value);
        sheet.position = *position;
        return sheet;
    }
    sheet.name = value;
    return sheet;
}

int FieldOfKey(const std::string& key)
{
    for (int field = 0; field < kImportFields; ++field)
        if (key == kFieldKeys[field]) return field;
    BadOption("άγνωστο πεδίο «" + key +
              "» στο --columns· τα πεδία είναι afm, name, profession, obliged, city, street, number, "
              "postcode, invoices, value");
}

// One KEY=COL of --columns into the layout.
void TakeColumn(const std::string& item, TImportLayout& layout, std::vector<bool>& given)
{
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos)
        BadOption("κάθε στοιχείο του --columns είναι ΠΕΔΙΟ=ΣΤΗΛΗ, όπως afm=B· δόθηκε «" + item + "»");
    const std::string key = item.substr(0, equals), column = item.substr(equals + 1);
    const int field = FieldOfKey(key);
    if (given[static_cast<std::size_t>(field)]) BadOption("το πεδίο «" + key + "» δίνεται δύο φορές στο --columns");
    given[static_cast<std::size_t>(field)] = true;
    if (column == "0" || column == "1") {
        if (field != static_cast<int>(TImportField::Obliged))
            BadOption("μόνο το obliged παίρνει σταθερή τιμή 0 ή 1· δόθηκε " + item);
        layout.obligedConstant = column == "1" ? 1 : 0;
        return;
    }
    const auto number = ColumnNumber(column);
    if (!number) BadOption("η στήλη «" + column + "» του πεδίου «" + key + "» δεν είναι γράμματα στήλης (A, B, … AA)");
    if (*number >= TSheetBlock::kMaxKeptColumns)
        BadOption("η στήλη «" + column + "» του πεδίου «" + key + "» είναι πέρα από τη στήλη BL");
    layout.columns[static_cast<std::size_t>(field)] = *number;
}

void TakeColumns(const std::string& value, TImportLayout& layout)
{
    layout.columns.fill(TImportLayout::kEmpty);
    std::vector<bool> given(kImportFields);
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        TakeColumn(value.substr(start, comma - start), layout, given);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

// Every refused row with its row and column, one a line, after the
// messages the import tells as it always has.
std::string ProblemLines(const TRowProblems& problems)
{
    if (problems.listed.empty()) return {};
    std::string text = "Όλες οι γραμμές που απορρίφθηκαν:";
    for (const TRowProblem& problem : problems.listed) {
        text += "\nΓραμμή " + std::to_string(problem.row);
        if (!problem.column.empty()) text += ", στήλη " + problem.column;
        text += ": " + problem.message;
    }
    if (problems.more > 0) text += "\nκαι άλλα " + std::to_string(problems.more) + " προβλήματα";
    return text;
}

// The texts of the notices, one a line, in UTF-8.
std::string Joined(const std::vector<TNotice>& notices)
{
    std::string text;
    for (const TNotice& notice : notices) text += (text.empty() ? "" : "\n") + notice.text;
    return text;
}

[[noreturn]] void RefuseWith(const std::vector<TNotice>& told, int exitCode, const std::string& otherwise,
                             const std::string& problems = {})
{
    std::string text = Joined(told);
    if (!problems.empty()) text += "\n" + problems;
    // The core ends the lines of a message with CR LF.
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
    throw CliError(exitCode, text.empty() ? otherwise : text);
}

// The file is opened as Open opens it, into a statement without working
// files; its bytes go as soon as the lists hold them.
void OpenStatement(TStatement& statement, const std::string& path)
{
    const TOutcome opened = statement.OpenBytes(ReadStatementInput(path));
    if (!statement.StatementLoaded()) {
        const std::string message = Joined(opened.notices);
        throw CliError(kExitRefused, message.empty() ? "Το αρχείο δεν άνοιξε" : message);
    }
}

}  // namespace

std::optional<TImportLayout> ImportLayoutFromOptions(const std::optional<std::string>& sheet,
                                                     const std::optional<std::string>& headerRows,
                                                     const std::optional<std::string>& columns)
{
    if (!sheet && !headerRows && !columns) return std::nullopt;
    TImportLayout layout;
    if (sheet) layout.sheet = SheetFromOption(*sheet);
    if (headerRows) {
        const auto rows = WholeNumber(*headerRows);
        if (!rows || *rows >= TSheetBlock::kMaxRows)
            BadOption("το --header-rows θέλει τον αριθμό των γραμμών επικεφαλίδας, από 0 έως " +
                      std::to_string(TSheetBlock::kMaxRows - 1) + "· δόθηκε «" + *headerRows + "»");
        layout.headingRows = *rows;
    }
    if (columns) TakeColumns(*columns, layout);
    layout.sheet.keptColumns = layout.KeptColumns();
    return layout;
}

void ImportIntoStatement(const std::string& statementPath, const std::string& workbookPath, TSide side,
                         const std::string& outPath, bool force, std::optional<TDate> date,
                         const std::optional<TImportLayout>& layout)
{
    TUnwatched ui;
    TStatement statement(ui, date ? FixedClock(*date) : TClock(LocalToday));
    OpenStatement(statement, statementPath);
    const TImportOutcome outcome =
        layout
            ? ImportWorkbook(
                  statement, side, workbookPath,
                  [&](const std::string& path) { return ReadSheet(path, layout->sheet, [] { return true; }); }, *layout)
            : ImportWorkbook(statement, side, workbookPath, ReadFirstSheet);
    std::vector<TNotice> told;
    for (const std::string& message : outcome.messages) told.push_back(TNotice::Message(message));
    if (outcome.result == TImportResult::Unreadable)
        RefuseWith(told, kExitUsage, "Το " + workbookPath + " δεν διαβάστηκε");
    // Without options, the messages as they always were.
    if (outcome.result != TImportResult::Imported)
        RefuseWith(told, kExitRefused, "Η εισαγωγή από το " + workbookPath + " διακόπηκε",
                   layout ? ProblemLines(outcome.problems) : std::string());
    const std::string notWritten = "Το αρχείο " + outPath + " δεν γράφτηκε";
    if (auto refusal = statement.CheckBeforeSave()) RefuseWith({*refusal}, kExitRefused, notWritten);
    const TOutcome saved = statement.SaveAs(outPath, force);
    if (!saved.done) RefuseWith(saved.notices, kExitRefused, notWritten);
}

}  // namespace epinax::cli
