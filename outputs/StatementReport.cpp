#include "outputs/StatementReport.h"

#include "statement/TaxOffices.h"

namespace epinax {

namespace {

// The name and code of the chosen tax office, both empty when none is.
void SetTaxOffice(TReportHeader& out, int position)
{
    if (position < 0 || position >= static_cast<int>(DOYCodes().size())) return;
    out.taxOfficeName = ComboBox1Items()[position];
    out.taxOfficeCode = DOYCodes()[position];
}

TReportHeader ReportHeaderOf(const TStatementHeader& header)
{
    TReportHeader out;
    out.year = header.YearOfData;
    SetTaxOffice(out, header.ComboBox1);
    out.folder = header.Edit1;
    out.companyName = header.CompanyName;
    out.afm = header.AFM;
    out.profession = header.AntikeimenoErgasion;
    out.town = header.Town;
    out.street = header.Street;
    out.number = header.Number;
    out.tk = header.TK;
    out.tel = header.Tel;
    return out;
}

}  // namespace

TReportInput ReportInputOf(TStatement& statement, TSide side)
{
    const bool customers = side == TSide::Customers;
    TReportInput input;
    input.side = side;
    input.credit = statement.Header().Credit;
    input.header = ReportHeaderOf(statement.Header());
    input.list = &statement.List(side);
    input.publicValue = statement.EditPub(side);
    input.invoiceTotal = customers ? statement.EditSum() : statement.EditSum2();
    input.valueTotal = customers ? statement.EditSumValue() : statement.EditSumValue2();
    return input;
}

}  // namespace epinax
