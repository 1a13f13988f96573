// The printed statement of one list: an HTML page laid out as the paper
// form, in Windows-1253 with CR LF line ends, which the print window shows
// and prints. Built from the texts the header and totals edits hold and the
// records of the list, and from nothing else, so that any holder of a
// statement (the window, the command-line tool) can print it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

namespace epinax {

// The header texts the report shows (Windows-1253), as the header edits hold
// them. Fax, e-mail and installation type are not on the form.
struct TReportHeader {
    std::string year;                          // YearOfData
    std::string taxOfficeName;                 // the chosen tax office; empty for none
    std::string taxOfficeCode;                 // its code from DOYCodes; empty for none
    std::string folder;                        // the folder number of Α.Ε. companies
    std::string companyName, afm, profession;  // CompanyName, AFM, AntikeimenoErgasion
    std::string town, street, number, tk, tel;
};

struct TReportInput {
    TSide side = TSide::Customers;
    bool credit = false;  // credit balances ("Πιστωτικά Υπόλοιπα") rather than debit invoices
    TReportHeader header;
    // The list's open record store (customer or supplier schema of `side`).
    // Only its stored records are read, in list order, which is the order of
    // its working file; a row still being edited is not among them, so the
    // caller posts it first. Not changed; non-const only because fields are
    // looked up through it.
    TFixedFormatDataSet* list = nullptr;
    std::string publicValue;   // the public-sector value edit (EditPub1 / EditPub2)
    std::string invoiceTotal;  // the invoice count total edit (EditSum / EditSum2), printed as shown
    std::string valueTotal;    // the value total edit (EditSumValue / EditSumValue2)
};

// The report's bytes. The public-sector value and the value total are read as
// numbers (a text that is none counts as 0) and printed in the form "0.##";
// every other inserted text is HTML-escaped (& < >) and otherwise unchanged.
// Throws EDatabaseError when the list lacks a field of its schema, and
// std::overflow_error when the two amounts cannot be added.
std::string ListReport(const TReportInput& input);

// Writes the report to `path` whole: the bytes go beside it and the new file
// is renamed over it, so a failure leaves any earlier report as it was.
// Throws EFileError ("Cannot create file %s", "Cannot write file %s") and
// whatever ListReport throws.
void WriteListReport(const TReportInput& input, const std::string& path);

// The report as cells rather than markup, for printing it as pages: the
// texts of the HTML report (Windows-1253, not escaped), in its order.
inline constexpr int kReportColumns = 7;
using TReportCells = std::array<std::string, kReportColumns>;

// The heads of the list table's seven columns; the lines of a head are
// separated by '\n'.
const TReportCells& ListHeadCells();

// The counterparty rows of the list: number, tax number, name, obliged flag,
// address, invoices, value. Reads the list's records when asked, so it costs
// no memory of its own; valid while the list is. Throws EDatabaseError when
// the list lacks a field of its schema.
class TReportRows {
public:
    explicit TReportRows(const TReportInput& input);
    int Count() const;
    // The cells of row `index`, counted from 0, into `out` (whose strings
    // keep their room from one row to the next).
    void Cells(int index, TReportCells& out) const;

private:
    TFixedFormatDataSet* list_;
    size_t recordLength_;
    // Offset and size of the tax number, name, obliged flag, city, street,
    // street number, invoices and value.
    std::array<std::pair<size_t, size_t>, 8> places_;
};

// The rows after the list: the public-sector row, under the pseudo tax number
// 99999011, and the total row, 99999999, whose value is the list's total plus
// the public sector's. Throws std::overflow_error when they cannot be added.
struct TClosingRows {
    std::string publicText, publicValue, invoiceTotal, total;
};
TClosingRows ClosingRowsOf(const TReportInput& input);

// "Pelates.htm" or "Promitheftes.htm", written into the program directory.
std::string ReportFileName(TSide side);

// Shown when the report cannot be prepared (any failure after the pending
// row is posted).
std::string PrintFailureMessage();

// Shown when the print window cannot print the page.
std::string PrinterFailureMessage();

}  // namespace epinax
