// The report's input as a statement holds it: its header, the list, the
// list's totals and public-sector value, for the print menu and the tool.
#pragma once

#include "entry/Counterparty.h"
#include "outputs/Print.h"
#include "statement/Statement.h"

namespace epinax {

TReportInput ReportInputOf(TStatement& statement, TSide side);
// The texts of a header the report shows, for a holder of a statement other
// than the window's.
TReportHeader ReportHeaderOf(const TStatementHeader& header);

}  // namespace epinax
