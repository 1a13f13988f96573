#include "cli/Build.h"

#include <cstdio>
#include <functional>
#include <utility>

#include "cli/CliError.h"
#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Files.h"
#include "entry/ListRefresh.h"
#include "entry/RowValidation.h"
#include "entry/Side.h"
#include "entry/TaxNumber.h"
#include "statement/Checks.h"
#include "statement/Header.h"
#include "statement/Statement.h"
#include "statement/StatementFile.h"
#include "statement/TaxOffices.h"

namespace epinax::cli {

namespace {

// The name of a field or row in messages, made only when one is refused: a
// long list would otherwise spend much of its time naming rows.
using TNamer = std::function<std::string()>;

int IndexOf(TSide side) { return SideInfo(side).index; }

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

TStatementHeader TypedHeader(const TStatementInput& input)
{
    TStatementHeader header;
    for (const THeaderEdit& edit : HeaderEdits()) {
        auto filter = [&](char key, std::string_view text) { return HeaderKeyFilter(edit.keys, key, text); };
        std::string value = WithoutFileFilling(edit, input.header.at(edit.Name()));
        header.*edit.text = cp1253::ToUtf8(
            Typed(value, static_cast<size_t>(edit.maxLength), filter, [&] { return EditNamed(edit.Name()); }));
    }
    // A code the table does not have leaves no office chosen, as an empty one.
    Keys(input.header.at("DOY"), [] { return EditNamed("DOY"); });
    header.TaxOffice = IndexOfDOYCode(input.header.at("DOY"));
    header.Credit = input.credit;
    return header;
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

// One list in a record store of its own, each row typed into the grid's
// columns and posted through the row validation of the window's post. The
// index of tax numbers keeps the check for a repeated one linear.
class ListEntry {
public:
    ListEntry(TSide side, const std::string& ownAfm) : side_(side), ownAfm_(ownAfm)
    {
        list_.SetSchema(CounterpartySchema());
        list_.OpenWithText({});
        for (const TGridColumn& column : GridColumns(side)) fields_.push_back(&list_.Field(column.field));
    }

    void Post(const TRowInput& row, size_t number)
    {
        auto rowName = [&] { return RowNamed(side_, number); };
        list_.Append();
        for (size_t c = 0; c < fields_.size() && c < row.size(); ++c) {
            auto filter = [c](char key, std::string_view text) {
                return GridColumnKeyFilter(static_cast<int>(c), key, text);
            };
            auto what = [&] { return rowName() + ", πεδίο «" + kRowKeys[c] + "»"; };
            fields_[c]->SetAsString(Typed(row[c], static_cast<size_t>(fields_[c]->Size()), filter, what));
        }
        std::optional<TRowRefusal> refusal;
        try {
            refusal = ValidatePostedRow(list_, side_, TPostedRow{ownAfm_, true, &afms_});
        } catch (const EConvertError& error) {
            Refuse(rowName() + ": " + error.what());
        }
        if (refusal) Refuse(rowName() + ": " + refusal->message);
        list_.Post();
    }

    TFixedFormatDataSet& List() { return list_; }

private:
    TSide side_;
    const std::string& ownAfm_;
    TFixedFormatDataSet list_;
    std::vector<TField*> fields_;
    TAfmIndex afms_;
};

struct TEnteredList {
    std::unique_ptr<ListEntry> entry;
    TListTotals totals;
    std::string publicValue;
};

TEnteredList EnterRows(TSide side, const std::string& ownAfm, const std::vector<TRowInput>& rows)
{
    TEnteredList entered{std::make_unique<ListEntry>(side, ownAfm), {}, {}};
    for (size_t i = 0; i < rows.size(); ++i) entered.entry->Post(rows[i], i + 1);
    entered.totals = SumList(entered.entry->List()).totals;
    return entered;
}

// Leaving the edit keeps every number in the form "0.##".
std::string TypedPublicValue(TSide side, const TStatementInput& input)
{
    std::string name = side == TSide::Customers ? "EditPub1" : "EditPub2";
    const std::string& value = side == TSide::Customers ? input.customerPublicValue : input.supplierPublicValue;
    return NormalisedPublicValue(
        Typed(value, kEditPubMaxLength, AmountKeyFilter, [&] { return "Πεδίο «" + name + "»"; }));
}

// The checks Save As makes before it writes, with its first message.
void CheckBeforeSave(const TStatementHeader& header, int currentYear, TEnteredList (&lists)[2])
{
    auto refusals = HeaderRefusals(header, currentYear);
    if (!refusals.empty()) Refuse(refusals.front().message);
    for (TSide side : {TSide::Customers, TSide::Suppliers})
        if (auto refusal = ListAfmRefusal(lists[IndexOf(side)].entry->List(), side, header.TaxNumber)) Refuse(*refusal);
}

TListToWrite ToWrite(TEnteredList& entered)
{
    const TFixedFormatDataSet& list = entered.entry->List();
    return TListToWrite{list.RecordCount(), [&list](int i) { return list.RecordTextAt(i); }, entered.publicValue,
                        entered.totals.InvoicesText(), entered.totals.ValueText()};
}

// Written beside its place and renamed over it, as Save As writes it.
void WriteFile(const std::string& outPath, const TStatementHeader& header, TDate today, TEnteredList (&lists)[2])
{
    try {
        FileReplacer out(outPath, TDurability::UserFile);
        auto problem = WriteStatementText(header, today, ToWrite(lists[0]), ToWrite(lists[1]),
                                          [&](std::string_view piece) { out.Write(piece); });
        if (problem) Refuse(*problem);
        out.Commit();
    } catch (const EFileError& error) {
        Refuse(SaveFailedText(outPath, error.SystemError()));
    }
}

}  // namespace

void BuildStatement(const TStatementInput& input, const std::string& outPath, bool force)
{
    RefuseTooManyRows(input);
    const TDate today = input.date ? *input.date : LocalToday();
    const TStatementHeader header = TypedHeader(input);
    TEnteredList lists[2] = {EnterRows(TSide::Customers, header.TaxNumber, input.customers),
                             EnterRows(TSide::Suppliers, header.TaxNumber, input.suppliers)};
    for (TSide side : {TSide::Customers, TSide::Suppliers})
        lists[IndexOf(side)].publicValue = TypedPublicValue(side, input);
    CheckBeforeSave(header, today.year, lists);
    // Only a clear Yes replaces a file, and without --force none is given.
    if (!force && FileExists(outPath)) Refuse("Το αρχείο " + outPath + " δεν γράφτηκε");
    WriteFile(outPath, header, today, lists);
}

}  // namespace epinax::cli
