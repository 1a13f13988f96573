#include "cli/Build.h"

#include <cstdio>
#include <functional>
#include <utility>

#include "cli/CliError.h"
#include "cli/Dates.h"
#include "common/Cp1253.h"
#include "common/Files.h"
#include "entry/TaxNumber.h"
#include "statement/BulkEntry.h"
#include "statement/Checks.h"
#include "statement/Header.h"
#include "statement/Statement.h"
#include "statement/TaxOffices.h"
#include "statement/UserInterface.h"

namespace epinax::cli {

namespace {

// The name of a field or row in messages, made only when one is refused: a
// long list would otherwise spend much of its time naming rows.
using TNamer = std::function<std::string()>;

[[noreturn]] void Refuse(const std::string& utf8Message) { throw CliError(kExitRefused, utf8Message); }

std::string KeyShown(char key)
{
    auto byte = static_cast<unsigned char>(key);
    if (byte >= 0x20 && byte != 0x7F) return "«" + cp1253::ToUtf8(std::string_view(&key, 1)) + "»";
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", byte);
    return code;
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

// The text an edit of at most `maxLength` characters holds once the value is
// typed into it through its key filter, which may change a key; refused
// whole at the first key the edit would refuse. No control character (a
// backspace among them) gets this far.
std::string Typed(const std::string& utf8, size_t maxLength, const TKeyFilter& filter, const TNamer& what)
{
    TTypedValue typed = TypeValue(Keys(utf8, what), maxLength, filter);
    if (typed.refusedKey) Refuse(what() + ": το πρόγραμμα δεν δέχεται τον χαρακτήρα " + KeyShown(*typed.refusedKey));
    if (typed.tooLong) Refuse(what() + ": χωράει έως " + std::to_string(maxLength) + " χαρακτήρες");
    return std::move(typed.text);
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

// The header typed edit by edit, the tax office chosen and the kind clicked.
void EnterHeader(TStatement& statement, const TStatementInput& input)
{
    for (const THeaderEdit& edit : HeaderEdits()) {
        auto filter = [&](char key, std::string_view text) { return HeaderKeyFilter(edit.keys, key, text); };
        std::string value = WithoutFileFilling(edit, input.header.at(edit.Name()));
        statement.SetHeaderText(edit.control, cp1253::ToUtf8(Typed(value, static_cast<size_t>(edit.maxLength), filter,
                                                                   [&] { return EditNamed(edit.Name()); })));
    }
    // A code the table does not have leaves no office chosen, as an empty one.
    Keys(input.header.at("DOY"), [] { return EditNamed("DOY"); });
    statement.SelectTaxOffice(IndexOfDOYCode(input.header.at("DOY")));
    statement.ChooseKind(input.credit);
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

// Each row typed into the grid's columns and posted as the window posts it.
// The statement keeps the list's tax numbers in an index meanwhile, so that
// the check for a repeated one stays linear.
void EnterRows(TStatement& statement, TSide side, const std::vector<TRowInput>& rows)
{
    TFixedFormatDataSet& list = statement.List(side);
    std::vector<TField*> fields;
    for (const TGridColumn& column : GridColumns(side)) fields.push_back(&list.Field(column.field));
    {
        TBulkEntry bulk(statement, side);
        for (size_t row = 0; row < rows.size(); ++row) {
            auto rowName = [&] { return RowNamed(side, row + 1); };
            list.Append();
            for (size_t c = 0; c < fields.size(); ++c) {
                auto filter = [c](char key, std::string_view text) {
                    return GridColumnKeyFilter(static_cast<int>(c), key, text);
                };
                auto what = [&] { return rowName() + ", πεδίο «" + kRowKeys[c] + "»"; };
                fields[c]->SetAsString(Typed(rows[row][c], static_cast<size_t>(fields[c]->Size()), filter, what));
            }
            if (auto refusal = statement.PostPendingRow(side, true)) Refuse(rowName() + ": " + refusal->text);
        }
    }
    statement.RefreshList(side);
}

// Typed as the window's edit takes it; Save As puts it in the form "0.##".
void EnterPublicValue(TStatement& statement, TSide side, const TStatementInput& input)
{
    std::string name = side == TSide::Customers ? "EditPub1" : "EditPub2";
    const std::string& value = side == TSide::Customers ? input.customerPublicValue : input.supplierPublicValue;
    statement.SetPublicValueText(
        side, Typed(value, kEditPubMaxLength, AmountKeyFilter, [&] { return "Πεδίο «" + name + "»"; }));
}

}  // namespace

void BuildStatement(const TStatementInput& input, const std::string& outPath, bool force)
{
    RefuseTooManyRows(input);
    TUnwatched ui;
    TStatement statement(ui, FixedClock(input.date ? *input.date : LocalToday()));
    statement.New();
    EnterHeader(statement, input);
    EnterRows(statement, TSide::Customers, input.customers);
    EnterRows(statement, TSide::Suppliers, input.suppliers);
    for (TSide side : {TSide::Customers, TSide::Suppliers}) EnterPublicValue(statement, side, input);
    if (auto refusal = statement.CheckBeforeSave()) Refuse(refusal->text);
    // Only a clear Yes replaces a file, and without --force none is given.
    const std::string notWritten = "Το αρχείο " + outPath + " δεν γράφτηκε";
    if (!force && FileExists(outPath)) Refuse(notWritten);
    const TOutcome saved = statement.SaveAs(outPath, true);
    if (!saved.done) Refuse(saved.notices.empty() ? notWritten : saved.notices.back().text);
}

}  // namespace epinax::cli
