// The printed statement of one list: an HTML page laid out as the paper
// form, in Windows-1253 with CR LF line ends, which the print window shows
// and prints. Built from the texts the header and totals edits hold and the
// records of the list, and from nothing else, so that any holder of a
// statement (the window, the command-line tool) can print it.
#pragma once

#include <string>

#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

namespace epinax {

// The header texts the report shows (Windows-1253), as the header edits hold
// them. Fax, e-mail and installation type are not on the form.
struct TReportHeader {
    std::string year;                          // YearOfData
    std::string taxOfficeName;                 // the name chosen in ComboBox1; empty for none
    std::string taxOfficeCode;                 // its code from DOYCodes; empty for none
    std::string folder;                        // Edit1, the folder number of Α.Ε. companies
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
    // caller settles it first. Not changed; non-const only because fields are
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

// "Pelates.htm" or "Promitheftes.htm", written into the program directory.
std::string ReportFileName(TSide side);

// Shown when the report cannot be prepared (any failure after the pending
// row is settled); Windows-1253.
std::string PrintFailureMessage();

// Shown when the print window cannot print the page; Windows-1253.
std::string PrinterFailureMessage();

}  // namespace epinax
