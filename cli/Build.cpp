#include "cli/Build.h"

#include "statement/BulkEntry.h"

#include <cstdio>
#include <functional>
#include <utility>

#include "cli/CliError.h"
#include "cli/Workspace.h"
#include "common/Cp1253.h"
#include "common/Errors.h"
#include "entry/TaxNumber.h"
#include "statement/BulkEntry.h"
#include "statement/Statement.h"
#include "statement/StatementFile.h"
#include "statement/TaxOffices.h"

namespace epinax::cli {

namespace {

using TKeyHandler = std::function<std::optional<char>(char key, std::string_view textSoFar)>;
// The name of a field or row in messages, made only when one is refused: a
// long list would otherwise spend much of its time naming rows.
using TNamer = std::function<std::string()>;

std::string Utf8(std::string_view cp1253Text) { return cp1253::ToUtf8(cp1253Text); }

[[noreturn]] void Refuse(const std::string& utf8Message) { throw CliError(kExitRefused, utf8Message); }

std::string KeyShown(char key)
{
    auto byte = static_cast<unsigned char>(key);
    if (byte >= 0x20 && byte != 0x7F) return "«" + Utf8(std::string_view(&key, 1)) + "»";
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", byte);
    return code;
}

// C0 controls, DEL, and the C1 controls the code page's unassigned bytes
// stand for: none is a character a field can show, and a line end would
// split the line it is written into.
bool IsControlCharacter(char key)
{
    char32_t codePoint = cp1253::ToUnicode(static_cast<unsigned char>(key));
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

std::string ControlCharacterShown(char key)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X",
                  static_cast<unsigned>(cp1253::ToUnicode(static_cast<unsigned char>(key))));
    return code;
}

// The value in Windows-1253, refused whole when it holds a character the
// code page lacks or a control character, as the window's edits refuse them.
std::string Keys(const std::string& utf8, const TNamer& what)
{
    std::string bad;
    auto keys = cp1253::FromUtf8(utf8, &bad);
    if (!keys) Refuse(what() + ": ο χαρακτήρας «" + bad + "» δεν υπάρχει στην ελληνική κωδικοσελίδα (Windows-1253)");
    for (char key : *keys)
        if (IsControlCharacter(key))
            Refuse(what() + ": ο χαρακτήρας ελέγχου " + ControlCharacterShown(key) + " δεν επιτρέπεται σε πεδίο");
    return *keys;
}

// Types a value key by key into an edit that holds at most `maxLength`
// characters: the edit's key handler decides on each key and may change it.
// No control character (a backspace among them) gets this far. `what` names
// the edit in messages.
std::string TypeInto(const std::string& utf8, size_t maxLength, const TKeyHandler& keyPress, const TNamer& what)
{
    std::string text;
    for (char key : Keys(utf8, what)) {
        std::optional<char> accepted = keyPress(key, text);
        if (!accepted) Refuse(what() + ": το πρόγραμμα δεν δέχεται τον χαρακτήρα " + KeyShown(key));
        if (text.size() >= maxLength) Refuse(what() + ": χωράει έως " + std::to_string(maxLength) + " χαρακτήρες");
        text += *accepted;
    }
    return text;
}

std::string EditNamed(const std::string& name) { return "Γενικά στοιχεία, πεδίο «" + name + "»"; }

// The file fills a short telephone or fax number with blanks and Open keeps
// them, so `show` prints them; they are the file's filling, not keys typed
// into a digits-only edit, and the line comes out the same without them.
std::string WithoutFileFilling(const THeaderEdit& edit, const std::string& value)
{
    if (edit.keys != TKeyRule::Digits) return value;
    return value.substr(0, value.find_last_not_of(' ') + 1);
}

void TypeHeader(TStatement& statement, const TStatementInput& input)
{
    for (const THeaderEdit& edit : HeaderEdits()) {
        auto keyPress = [&](char key, std::string_view text) {
            return statement.FieldKeyPress(edit.control, key, text);
        };
        std::string value = WithoutFileFilling(edit, input.header.at(edit.name));
        statement.SetHeaderText(edit.control,
                                TypeInto(value, edit.maxLength, keyPress, [&] { return EditNamed(edit.name); }));
    }
    // A code the table does not have leaves no office chosen, as an empty one.
    Keys(input.header.at("DOY"), [] { return EditNamed("DOY"); });
    int office = IndexOfDOYCode(input.header.at("DOY"));
    if (office >= 0) statement.ChooseTaxOffice(office);
    if (input.credit) statement.ChooseKind(true);
}

std::string ListNamed(TSide side) { return side == TSide::Customers ? "Πελάτες" : "Προμηθευτές"; }

std::string RowNamed(TSide side, size_t number) { return ListNamed(side) + ", εγγραφή " + std::to_string(number); }

// The file numbers the rows of a list with five digits.
void RefuseTooManyRows(const TStatementInput& input)
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        size_t count = (side == TSide::Customers ? input.customers : input.suppliers).size();
        if (count > static_cast<size_t>(kMaxRowsPerList))
            Refuse(ListNamed(side) + ": η λίστα έχει " + std::to_string(count) + " εγγραφές· το αρχείο χωράει έως " +
                   std::to_string(kMaxRowsPerList) + " εγγραφές ανά λίστα");
    }
}

void PostRow(TFixedFormatDataSet& list, RecordingUi& ui, const TNamer& rowName)
{
    ui.Clear();
    try {
        list.Post();
    } catch (const EAbort&) {
        Refuse(rowName() + ": " + Utf8(ui.LastMessage()));
    } catch (const EConvertError& error) {
        Refuse(rowName() + ": " + Utf8(error.what()));
    }
}

// The grid's columns in order, each with the field it edits.
struct TRowColumns {
    std::vector<TGridColumn> columns;
    std::vector<TField*> fields;
};

TRowColumns RowColumns(TFixedFormatDataSet& list, TSide side)
{
    TRowColumns out{GridColumns(side), {}};
    for (const TGridColumn& column : out.columns) out.fields.push_back(&list.FieldByName(column.field));
    return out;
}

void EnterRow(TStatement& statement, RecordingUi& ui, TSide side, const TRowColumns& grid, const TRowInput& row,
              size_t number)
{
    TFixedFormatDataSet& list = statement.List(side);
    auto rowName = [&] { return RowNamed(side, number); };
    list.Append();
    for (size_t c = 0; c < grid.fields.size() && c < row.size(); ++c) {
        int column = static_cast<int>(c);
        auto keyPress = [&](char key, std::string_view text) {
            return statement.GridKeyPress(side, column, key, text);
        };
        auto what = [&] { return rowName() + ", πεδίο «" + kRowKeys[c] + "»"; };
        grid.fields[c]->SetAsString(TypeInto(row[c], static_cast<size_t>(grid.fields[c]->Size()), keyPress, what));
    }
    PostRow(list, ui, rowName);
}

void EnterRows(TStatement& statement, RecordingUi& ui, TSide side, const std::vector<TRowInput>& rows)
{
    {
        TBulkEntry bulk(statement, side);
        TRowColumns grid = RowColumns(statement.List(side), side);
        for (size_t i = 0; i < rows.size(); ++i) EnterRow(statement, ui, side, grid, rows[i], i + 1);
    }
    if (!rows.empty()) statement.RefreshList(side);
}

// Leaving each edit normalises its text.
void TypePublicValues(TStatement& statement, const TStatementInput& input)
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        std::string name = side == TSide::Customers ? "EditPub1" : "EditPub2";
        const TStatementField control =
            side == TSide::Customers ? TStatementField::CustomerPublicValue : TStatementField::SupplierPublicValue;
        auto keyPress = [&](char key, std::string_view text) { return statement.FieldKeyPress(control, key, text); };
        const std::string& value = side == TSide::Customers ? input.customerPublicValue : input.supplierPublicValue;
        statement.SetPublicValueText(
            side, TypeInto(value, kEditPubMaxLength, keyPress, [&] { return "Πεδίο «" + name + "»"; }));
        try {
            side == TSide::Customers ? statement.LeavePublicValue(TSide::Customers)
                                     : statement.LeavePublicValue(TSide::Suppliers);
        } catch (const EConvertError& error) {
            Refuse("Πεδίο «" + name + "»: " + Utf8(error.what()));
        }
    }
}

void SaveAs(TStatement& statement, RecordingUi& ui, const std::string& outPath, bool force)
{
    ui.Clear();
    if (statement.CheckBeforeSave() && statement.SaveAs(outPath, force)) return;
    Refuse(ui.messages.empty() ? "Το αρχείο " + outPath + " δεν γράφτηκε" : Utf8(ui.LastMessage()));
}

}  // namespace

void BuildStatement(const TStatementInput& input, const std::string& outPath, bool force)
{
    RefuseTooManyRows(input);
    RecordingUi ui;
    Workspace workspace(ui, input.date ? FixedClock(*input.date) : TClock(LocalToday));
    TStatement& statement = workspace.Statement();
    // The statement's own files are all in the private directory and Save As
    // turns a failure to write the user's file into its message, so a file
    // error that gets here is the working space's.
    try {
        statement.New();
        if (ui.errorShown || !statement.StatementLoaded()) workspace.Failed();
        // A header value that the working files could not keep is not
        // taken, and the user told so: never a statement without it.
        TypeHeader(statement, input);
        if (ui.errorShown) workspace.Failed();
        EnterRows(statement, ui, TSide::Customers, input.customers);
        EnterRows(statement, ui, TSide::Suppliers, input.suppliers);
        TypePublicValues(statement, input);
        if (ui.errorShown) workspace.Failed();
        SaveAs(statement, ui, outPath, force);
    } catch (const EFileError&) {
        workspace.Failed();
    } catch (const EListNotWritten&) {
        workspace.Failed();
    }
}

}  // namespace epinax::cli
