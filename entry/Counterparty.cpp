#include "entry/Counterparty.h"
#include "entry/Side.h"

#include <utility>

#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "entry/RecordLayout.h"
#include "entry/TaxNumber.h"

namespace epinax {

namespace {

bool IsCustomers(TSide side) { return side == TSide::Customers; }

}  // namespace

std::vector<int> CounterpartySchema()
{
    std::vector<int> widths;
    for (const TRecordField& field : kRecordFields) widths.push_back(field.width);
    return widths;
}

std::vector<TGridColumn> GridColumns(TSide side)
{
    // The supplier grid's titles of the tax number and value end with a blank.
    std::string tail = IsCustomers(side) ? "" : " ";
    return {
        {field::Afm, "ΑΦΜ (*)" + tail, 0},
        {field::Name, "ΕΠΩΝΥΜΙΑ", IsCustomers(side) ? 141 : 140},
        {field::Prof, "ΕΠΑΓΓΕΛΜΑ", IsCustomers(side) ? 92 : 103},
        {field::Ypovolh, "ΥΠΟΧΡΕΟΣ (*)", 74},
        {field::City, "ΠΟΛΗ", 0},
        {field::Street, "ΟΔΟΣ", 0},
        {field::StreetNo, "ΑΡΙΘΜΟΣ", 0},
        {field::TK, "TK", 0},
        {field::NoTimologion, "ΑΡΙΘΜΟΣ ΤΙΜΟΛΟΓΙΩΝ (*)", 125},
        {field::Value, "ΑΞΙΑ (*)" + tail, 0},
    };
}

std::optional<char> GridColumnKeyFilter(int column, char key, std::string_view editorText)
{
    switch (column) {
    case 3: return ZeroOneKeyFilter(key);
    case 7:
    case 8: return DigitKeyFilter(key);
    case 9: return AmountKeyFilter(key, editorText);
    default: return key;
    }
}

Decimal StrToFloat(const std::string& text)
{
    if (auto value = Decimal::Parse(text)) return *value;
    throw EConvertError("'" + cp1253::ToUtf8(text) + "' is not a valid floating point value");
}

int StrToInt(const std::string& text)
{
    if (auto value = ParseInteger(text)) return *value;
    throw EConvertError("'" + cp1253::ToUtf8(text) + "' is not a valid integer value");
}

std::string SameAsOwnAfmMessage() { return "O ΑΦΜ που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου."; }

std::string DuplicateAfmMessage(TSide side, const std::string& afm)
{
    return "Ο ΑΦΜ: " + cp1253::ToUtf8(afm) + " έχει εισαχθεί 2 φορές " + SideInfo(side).inTheList;
}

std::optional<TRowRefusal> RowRuleProblem(TSide side, const TRowValues& row)
{
    const std::pair<const std::string*, int> required[] = {{&row.afm, kAfmColumn},
                                                           {&row.ypovolh, kYpovolhColumn},
                                                           {&row.noTimologion, kInvoicesColumn},
                                                           {&row.value, kValueColumn}};
    for (const auto& [text, column] : required)
        if (text->empty())
            return TRowRefusal{"Πρέπει να συμπληρώσετε τα πεδία ΑΦΜ, Υπόχρεος, Αριθ. τιμολογίων, Αξία", column};
    if (row.ypovolh == "0" && !CheckAfm(row.afm))
        return TRowRefusal{IsCustomers(side) ? "Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή πελάτη"
                                             : "Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή προμηθευτή",
                           kAfmColumn};
    if (StrToFloat(row.value).IsZero() && StrToInt(row.noTimologion) < 2)
        return TRowRefusal{"Εφόσον η αξία είναι 0, ο αριθμός τιμολογίων πρέπει να είναι >1 ", kInvoicesColumn};
    if (IsCustomers(side) && StrToFloat(row.noTimologion) < Decimal::FromInteger(1))
        return TRowRefusal{"Ο αριθμός τιμολογίων πρέπει να είναι >0 ", kInvoicesColumn};
    return std::nullopt;
}

int ColumnOfUnreadableNumber(const TRowValues& row)
{
    return Decimal::Parse(row.value) ? kInvoicesColumn : kValueColumn;
}

std::optional<std::string> RowRuleRefusal(TSide side, const TRowValues& row)
{
    if (auto refusal = RowRuleProblem(side, row)) return std::move(refusal->message);
    return std::nullopt;
}

}  // namespace epinax
