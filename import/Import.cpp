#include "import/Import.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "common/Errors.h"
#include "common/Greek.h"
#include "entry/TaxNumber.h"
#include "statement/BulkEntry.h"
#include "statement/Statement.h"

namespace epinax {

namespace {

constexpr int kColumnsRead = 10;  // A to J

std::string RowMessage(int row, const char* ending) { return G("Λάθος στη γραμμή ") + std::to_string(row) + G(ending); }

// Spreadsheets drop the leading zeros of numbers: a tax number typed as
// 094014201 comes back as the number 94014201. A whole number of up to eight
// digits in the tax number's column gets them back.
std::string TaxNumberText(const TCell& cell)
{
    std::string text = CellText(cell);
    const bool shortWhole = cell.kind == TCell::Kind::Number && cell.number >= 1 && cell.number < 1e8 &&
                            std::floor(cell.number) == cell.number;
    if (shortWhole) text.insert(0, 9 - text.size(), '0');
    return text;
}

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

std::optional<std::string> RowProblem(const TSheetBlock& block, int row, const std::string& ownAfm)
{
    const int number = row + 1;
    const std::string obliged = CellText(block.At(row, 3));
    if (obliged != "0" && obliged != "1")
        return RowMessage(number,
                          " του αρχείου: Η στήλη Υπόχρεος (Νο 4) πρέπει να έχει τιμή 0 ή 1. "
                          "Διορθώστε το για να προχωρήσετε στην εισαγωγή.");
    if (!ParseInteger(CellText(block.At(row, 8))))
        return RowMessage(number,
                          " του αρχείου: Η στήλη Αριθμός Τιμολογίων (Νο 9) πρέπει να έχει ακέραια τιμή. "
                          "Διορθώστε το για να προχωρήσετε στην εισαγωγή.");
    if (!Decimal::Parse(CellText(block.At(row, 9))))
        return RowMessage(number,
                          " του αρχείου: Η στήλη Αξία (Νο 10) πρέπει να είναι αριθμός (η υποδιαστολή είναι "
                          "το κόμμα). Διορθώστε το για να προχωρήσετε στην εισαγωγή.");
    const std::string afm = TaxNumberText(block.At(row, 0));
    // The Latin H of "H στήλη" is the message's own.
    if (IsZeroValue(block.At(row, 3)) && !CheckAfm(afm))
        return RowMessage(number,
                          " του αρχείου: H στήλη ΑΦΜ (Νο 1) δεν περιέχει αποδεκτό ΑΦΜ. "
                          "Διορθώστε το για να προχωρήσετε στην εισαγωγή.");
    if (afm == ownAfm)
        return RowMessage(number,
                          " του αρχείου: Το ΑΦΜ (στήλη Νο 1) είναι ίδιο με το ΑΦΜ του Υπόχρεου. "
                          "Διορθώστε το για να προχωρήσετε στην εισαγωγή.");
    return std::nullopt;
}

// The ten fields of a row, in the order of the columns.
std::vector<const char*> FieldNames(TSide side)
{
    return {AfmFieldName(side),
            NameFieldName(side),
            ProfFieldName(side),
            "Ypovolh",
            "City",
            "Street",
            "StreetNo",
            "TK",
            "NoTimologion",
            "Value"};
}

void AssignRow(const std::vector<TField*>& fields, const TSheetBlock& block, int row)
{
    fields[0]->SetAsString(FieldText(TaxNumberText(block.At(row, 0))));
    for (int column = 1; column < kColumnsRead - 1; ++column)
        fields[static_cast<size_t>(column)]->SetAsString(FieldText(CellText(block.At(row, column))));
    // The value goes in as its amount: a negative amount is stored positive.
    fields[9]->SetAsString(Decimal::Parse(CellText(block.At(row, 9)))->Abs().ToGeneral());
}

// Every row posted through the list's own post, with the row validation;
// false when one was refused (the validation has said why) or the user
// stopped. The refresh of the working files and totals runs once, at the end.
bool InsertRows(TStatement& statement, TSide side, const TSheetBlock& block)
{
    TFixedFormatDataSet& list = statement.List(side);
    std::vector<TField*> fields;
    for (const char* name : FieldNames(side)) fields.push_back(&list.FieldByName(name));
    for (int row = 0; row < block.rows; ++row) {
        if (!statement.UI().Progress(G("Εισαγωγή γραμμών"), row, block.rows)) return false;
        list.Append();
        AssignRow(fields, block, row);
        // Posted as a pending row is settled: a refusal has told the user, and
        // whether the row went in is read from PostSucceeded alone.
        if (!statement.SettlePendingRow(side)) {
            statement.UI().ShowMessage(ImportInsertFailureMessage());
            return false;
        }
    }
    return true;
}

bool ChecksPass(TStatement& statement, const TSheetBlock& block)
{
    for (int row = 0; row < block.rows; ++row) {
        if (!statement.UI().Progress(G("Έλεγχος γραμμών"), row, block.rows)) return false;
        if (auto problem = RowProblem(block, row, statement.Header().AFM)) {
            statement.UI().ShowMessage(*problem);
            return false;
        }
    }
    return true;
}

// A block that does not reach column J, or a single cell, cannot be read as
// rows of counterparties.
std::optional<TSheetBlock> ReadBlock(TStatement& statement, const std::string& path, const TWorkbookReader& read)
{
    try {
        TSheetBlock block = read(path);
        if (block.rows >= 1 && block.columns >= kColumnsRead) return block;
    } catch (const std::exception&) {
    }
    statement.UI().ShowMessage(ImportOpenFailureMessage());
    return std::nullopt;
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

std::optional<std::string> FirstRowProblem(const TSheetBlock& block, const std::string& ownAfm)
{
    for (int row = 0; row < block.rows; ++row)
        if (auto problem = RowProblem(block, row, ownAfm)) return problem;
    return std::nullopt;
}

std::string ImportOpenFailureMessage()
{
    return G(
        "Υπήρξε πρόβλημα κατά το άνοιγμα του αρχείου. Βεβαιωθείτε ότι έχετε εγκατεστημένο Excel στον "
        "υπολογιστή σας και/ή το αρχείο που προσπαθείτε να ανοίξετε είναι αρχείο Excel.");
}

std::string ImportInsertFailureMessage()
{
    return G("Παρουσιάστηκαν σφάλματα κατά την εισαγωγή των στοιχείων. Η εισαγωγή διακόπηκε");
}

bool ImportWorkbook(TStatement& statement, TSide side, const std::string& path, const TWorkbookReader& read)
{
    auto block = ReadBlock(statement, path, read);
    if (!block) return false;
    bool imported = false;
    {
        TProgressScope progress(statement.UI());
        if (!ChecksPass(statement, *block)) return false;
        {
            TBulkEntry bulk(statement, side);
            imported = InsertRows(statement, side, *block);
        }
        statement.RefreshList(side);  // the rows posted stay, whatever stopped the others
    }
    if (!imported) return false;
    statement.ImportCompleted(side);
    return true;
}

void Excel1Click(TStatement& statement, const TWorkbookReader& read)
{
    if (!statement.SettlePendingRow(TSide::Customers) || !statement.SettlePendingRow(TSide::Suppliers)) return;
    int answer = statement.UI().AskConfirmation(G("Θέλετε να εισάγετε τιμολόγια Πελατών ή Προμηθευτών;"),
                                                {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel},
                                                {G("Πελατών"), G("Προμ/τών"), G("Ακύρωση")});
    if (answer == mrCancel) return;
    auto path = statement.UI().ChooseWorkbook(statement.ProgramDirectory());
    if (!path) return;
    ImportWorkbook(statement, answer == mrYes ? TSide::Customers : TSide::Suppliers, *path, read);
}

}  // namespace epinax
