#include "outputs/StatementReport.h"

#include "common/Cp1253.h"
#include "statement/TaxOffices.h"

namespace epinax {

namespace {

// The name and code of the chosen tax office, both empty when none is.
void SetTaxOffice(TReportHeader& out, int position)
{
    if (position < 0 || position >= static_cast<int>(DOYCodes().size())) return;
    out.taxOfficeName = cp1253::FromUtf8OrThrow(TaxOfficeNames()[position]);  // the report is Windows-1253
    out.taxOfficeCode = DOYCodes()[position];
}

}  // namespace

TReportHeader ReportHeaderOf(const TStatementHeader& header)
{
    // The report is written in Windows-1253.
    auto bytes = [](const std::string& text) { return cp1253::FromUtf8OrThrow(text); };
    TReportHeader out;
    out.year = bytes(header.Year);
    SetTaxOffice(out, header.TaxOffice);
    out.folder = bytes(header.FolderNumber);
    out.companyName = bytes(header.CompanyName);
    out.afm = bytes(header.TaxNumber);
    out.profession = bytes(header.Activity);
    out.town = bytes(header.Town);
    out.street = bytes(header.Street);
    out.number = bytes(header.StreetNumber);
    out.tk = bytes(header.PostCode);
    out.tel = bytes(header.Phone);
    return out;
}

TReportInput ReportInputOf(TStatement& statement, TSide side)
{
    TReportInput input;
    input.side = side;
    input.credit = statement.Header().Credit;
    input.header = ReportHeaderOf(statement.Header());
    input.list = &statement.List(side);
    input.publicValue = statement.PublicValue(side);
    input.invoiceTotal = statement.InvoiceTotalText(side);
    input.valueTotal = statement.ValueTotalText(side);
    return input;
}

}  // namespace epinax
