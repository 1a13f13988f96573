#include "outputs/StatementReport.h"

#include "statement/TaxOffices.h"

namespace epinax {

namespace {

// The name and code of the chosen tax office, both empty when none is.
void SetTaxOffice(TReportHeader& out, int position)
{
    if (position < 0 || position >= static_cast<int>(DOYCodes().size())) return;
    out.taxOfficeName = TaxOfficeNames()[position];
    out.taxOfficeCode = DOYCodes()[position];
}

}  // namespace

TReportHeader ReportHeaderOf(const TStatementHeader& header)
{
    TReportHeader out;
    out.year = header.Year;
    SetTaxOffice(out, header.TaxOffice);
    out.folder = header.FolderNumber;
    out.companyName = header.CompanyName;
    out.afm = header.TaxNumber;
    out.profession = header.Activity;
    out.town = header.Town;
    out.street = header.Street;
    out.number = header.StreetNumber;
    out.tk = header.PostCode;
    out.tel = header.Phone;
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
