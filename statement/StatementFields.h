// The fields of the statement that a user types or reads: a key pressed in
// one, the focus sent back to one. The window finds its edit by the handle.
#pragma once

#include <optional>
#include <string_view>

namespace epinax {

enum class TStatementField {
    Year,
    TaxOffice,
    FolderNumber,
    CompanyName,
    TaxNumber,
    Activity,
    Town,
    Street,
    StreetNumber,
    PostCode,
    Phone,
    Fax,
    Email,
    Installation,
    CustomerPublicValue,
    SupplierPublicValue,
    CustomerInvoiceTotal,
    CustomerValueTotal,
    SupplierInvoiceTotal,
    SupplierValueTotal,
};

// The stable handles of the fields: the window's object names, the keys of
// the command line's JSON and of the working file "generaldata".
inline constexpr std::string_view kFieldHandles[] = {
    "YearOfData", "ComboBox1",    "Edit1",    "CompanyName",   "AFM",   "AntikeimenoErgasion", "Town",     "Street",
    "Number",     "TK",           "Tel",      "Fax",           "email", "Egatastash",          "EditPub1", "EditPub2",
    "EditSum",    "EditSumValue", "EditSum2", "EditSumValue2",
};

constexpr std::string_view FieldHandle(TStatementField field) { return kFieldHandles[static_cast<int>(field)]; }

constexpr std::optional<TStatementField> FieldWithHandle(std::string_view name)
{
    for (int i = 0; i < static_cast<int>(std::size(kFieldHandles)); ++i)
        if (kFieldHandles[i] == name) return static_cast<TStatementField>(i);
    return std::nullopt;
}

static_assert(FieldHandle(TStatementField::SupplierValueTotal) == "EditSumValue2",
              "a handle for every field, in order");

}  // namespace epinax
