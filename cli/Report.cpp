#include "cli/Report.h"

#include "cli/CliError.h"
#include "cli/InputFile.h"
#include "cli/Show.h"
#include "cli/Workspace.h"
#include "common/Cp1253.h"
#include "common/Errors.h"
#include "statement/TaxOffices.h"

namespace epinax::cli {

namespace {

bool IsCustomers(TSide side) { return side == TSide::Customers; }

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

std::string PrintFailure(const std::exception& error)
{
    return cp1253::ToUtf8(PrintFailureMessage()) + ": " + cp1253::ToUtf8(error.what());
}

}  // namespace

TReportInput ReportInputOf(TStatement& statement, TSide side)
{
    TReportInput input;
    input.side = side;
    input.credit = statement.Header().Credit;
    input.header = ReportHeaderOf(statement.Header());
    input.list = &statement.List(side);
    input.publicValue = statement.EditPub(side);
    input.invoiceTotal = IsCustomers(side) ? statement.EditSum() : statement.EditSum2();
    input.valueTotal = IsCustomers(side) ? statement.EditSumValue() : statement.EditSumValue2();
    return input;
}

// An opened statement has no row pending, so the list is printed as Open
// left it.
void WriteStatementReport(const std::string& path, TSide side, const std::string& output)
{
    RecordingUi ui;
    Workspace workspace(ui, LocalToday);
    OpenStatement(workspace, ui, ReadStatementInput(path));
    try {
        WriteListReport(ReportInputOf(workspace.Statement(), side), output);
    } catch (const EFileError& error) {
        throw CliError(kExitUsage, PrintFailure(error));
    } catch (const std::exception& error) {
        throw CliError(kExitRefused, PrintFailure(error));
    }
}

}  // namespace epinax::cli
