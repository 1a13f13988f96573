#include "cli/JsonIo.h"

#include "cli/CliError.h"
#include "cli/Dates.h"
#include "cli/ReadStatement.h"
#include "common/Cp1253.h"
#include "entry/RecordLayout.h"
#include "statement/Header.h"
#include "statement/TaxOffices.h"

namespace epinax::cli {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

[[noreturn]] void BadInput(const std::string& message) { throw CliError(kExitUsage, message); }

std::string StringAt(const json& object, const char* key, const std::string& where)
{
    auto it = object.find(key);
    if (it == object.end()) return {};
    if (!it->is_string()) BadInput("Η τιμή του «" + where + key + "» πρέπει να είναι κείμενο (JSON string)");
    return it->get<std::string>();
}

const json& ObjectAt(const json& object, const char* key, const std::string& where)
{
    static const json empty = json::object();
    auto it = object.find(key);
    if (it == object.end()) return empty;
    if (!it->is_object()) BadInput("Το «" + where + key + "» πρέπει να είναι αντικείμενο JSON (object)");
    return *it;
}

std::vector<TRowInput> RowsAt(const json& object, const char* key)
{
    std::vector<TRowInput> rows;
    auto it = object.find(key);
    if (it == object.end()) return rows;
    if (!it->is_array()) BadInput(std::string("Το «") + key + "» πρέπει να είναι πίνακας JSON (array)");
    for (size_t i = 0; i < it->size(); ++i) {
        std::string where = std::string(key) + "[" + std::to_string(i) + "].";
        const json& row = (*it)[i];
        if (!row.is_object())
            BadInput("Το «" + where.substr(0, where.size() - 1) + "» πρέπει να είναι αντικείμενο JSON");
        TRowInput values;
        for (size_t c = 0; c < kRowKeys.size(); ++c) values[c] = StringAt(row, kRowKeys[c], where);
        rows.push_back(std::move(values));
    }
    return rows;
}

void ReadDateAndKind(const json& root, TStatementInput& input)
{
    if (std::string date = StringAt(root, "date", ""); !date.empty()) {
        input.date = ParseDate(date);
        if (!input.date) BadInput(DateRefusal(date));
    }
    std::string kind = StringAt(root, "kind", "");
    if (kind != "" && kind != "debit" && kind != "credit")
        BadInput("Το «kind» είναι «debit» (χρεωστικά τιμολόγια) ή «credit» (πιστωτικά), όχι «" + kind + "»");
    input.credit = kind == "credit";
}

}  // namespace

TStatementInput ParseStatementInput(std::string_view jsonText)
{
    json root;
    try {
        root = json::parse(jsonText);
    } catch (const json::exception& error) {  // a syntax error, or a number no double can hold
        BadInput(std::string("Μη έγκυρο JSON: ") + error.what());
    }
    if (!root.is_object()) BadInput("Το JSON πρέπει να είναι αντικείμενο (object)");
    TStatementInput input;
    ReadDateAndKind(root, input);
    const json& header = ObjectAt(root, "header", "");
    for (const THeaderEdit& edit : HeaderEdits())
        input.header[edit.Name()] = StringAt(header, edit.Name().c_str(), "header.");
    input.header["DOY"] = StringAt(header, "DOY", "header.");
    input.customerPublicValue = StringAt(root, "EditPub1", "");
    input.supplierPublicValue = StringAt(root, "EditPub2", "");
    input.customers = RowsAt(root, "customers");
    input.suppliers = RowsAt(root, "suppliers");
    return input;
}

namespace {

ordered_json HeaderToJson(const TStatementHeader& header)
{
    ordered_json out = ordered_json::object();
    for (const THeaderEdit& edit : HeaderEdits()) out[edit.Name()] = header.*edit.text;
    bool chosen = header.TaxOffice >= 0 && header.TaxOffice < static_cast<int>(DOYCodes().size());
    out["DOY"] = chosen ? DOYCodes()[header.TaxOffice] : std::string();
    return out;
}

ordered_json RowToJson(TFixedFormatDataSet& list, const std::vector<TGridColumn>& columns, int row)
{
    ordered_json out = ordered_json::object();
    out["AA"] = cp1253::ToUtf8(list.FieldTextAt(row, list.Field(field::AA)));
    for (size_t c = 0; c < columns.size() && c < kRowKeys.size(); ++c)
        out[kRowKeys[c]] = cp1253::ToUtf8(list.FieldTextAt(row, list.Field(columns[c].field)));
    return out;
}

// Dump's text of a value that sits `depth` levels deep.
std::string DumpAt(const ordered_json& value, size_t depth)
{
    std::string text = Dump(value);
    std::string indented;
    indented.reserve(text.size());
    for (char c : text) {
        indented += c;
        if (c == '\n') indented.append(depth * 2, ' ');
    }
    return indented;
}

// Row after row, as Dump would print the array, without holding it whole.
void WriteRows(std::ostream& out, TReadStatement& statement, TSide side)
{
    TFixedFormatDataSet& list = statement.List(side);
    int count = list.RecordCount();
    if (count == 0) {
        out << "[]";
        return;
    }
    std::vector<TGridColumn> columns = GridColumns(side);
    out << "[\n";
    for (int i = 0; i < count; ++i)
        out << "    " << DumpAt(RowToJson(list, columns, i), 2) << (i + 1 < count ? ",\n" : "\n");
    out << "  ]";
}

}  // namespace

void WriteStatementJson(std::ostream& out, TReadStatement& statement, const std::string& date)
{
    ordered_json head = ordered_json::object();
    if (!date.empty()) head["date"] = date;
    head["kind"] = statement.Header().Credit ? "credit" : "debit";
    head["header"] = HeaderToJson(statement.Header());
    head["EditPub1"] = cp1253::ToUtf8(statement.PublicValue(TSide::Customers));
    head["EditPub2"] = cp1253::ToUtf8(statement.PublicValue(TSide::Suppliers));
    const TListTotals& customers = statement.Totals(TSide::Customers);
    const TListTotals& suppliers = statement.Totals(TSide::Suppliers);
    const std::pair<const char*, std::string> texts[] = {
        {"EditSum", customers.InvoicesText()},
        {"EditSumValue", customers.ValueText()},
        {"EditSum2", suppliers.InvoicesText()},
        {"EditSumValue2", suppliers.ValueText()},
        {"Label32", CountLabel(TSide::Customers, statement.List(TSide::Customers).RecordCount())},
        {"Label33", CountLabel(TSide::Suppliers, statement.List(TSide::Suppliers).RecordCount())}};
    ordered_json tail = ordered_json::object();
    for (const auto& [key, text] : texts) tail[key] = text;

    bool first = true;
    auto member = [&](const std::string& name) -> std::ostream& {
        out << (first ? "{\n" : ",\n") << "  " << ordered_json(name).dump() << ": ";
        first = false;
        return out;
    };
    for (const auto& [name, value] : head.items()) member(name) << DumpAt(value, 1);
    WriteRows(member("customers"), statement, TSide::Customers);
    WriteRows(member("suppliers"), statement, TSide::Suppliers);
    for (const auto& [name, value] : tail.items()) member(name) << DumpAt(value, 1);
    out << "\n}";
}

std::string Dump(const ordered_json& value)
{
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace epinax::cli
