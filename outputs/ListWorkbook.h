// The lists of a statement written out as a spreadsheet: .xlsx (through
// libxlsxwriter), .ods (libzip and libxml2) or .csv, one sheet per list, a
// heading row and then one row per stored record in list order, for the user
// to send, reconcile or keep. Read from the records alone, as the printed
// statement is, so any holder of a statement can write it.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "entry/Counterparty.h"
#include "record_store/SdfData.h"

namespace epinax {

enum class TWorkbookFormat { Xlsx, Ods, Csv };

// The format a file name asks for by its extension, in any letter case.
std::optional<TWorkbookFormat> WorkbookFormatOf(const std::string& path);

// One list to write: its side (the sheet's name, the field names) and its
// open record store. Only stored records are read; a row still being edited
// is not among them, so the caller posts it first. Not changed.
struct TWorkbookList {
    TSide side = TSide::Customers;
    TFixedFormatDataSet* list = nullptr;
};

// Asked with the rows written so far and the rows of all the lists: at the
// start, about every 256 rows and at the end. Returning false stops the
// export.
using TExportProgress = std::function<bool(int done, int total)>;

// "Πελάτες", "Προμηθευτές".
std::string WorkbookSheetName(TSide side);
// The heading row, in the lists' column order.
inline constexpr int kWorkbookColumns = 10;
const std::array<std::string, kWorkbookColumns>& WorkbookHeadings();

// Writes the lists to `path` whole: the file is made beside it (no temporary
// folder is used) and takes the name only when complete, so a stopped or
// failed export leaves no new file and any earlier file as it was. Cells:
// the tax number and the texts as text (Windows-1253 turned into UTF-8), the
// obliged flag and the invoice count as whole numbers, the value as a number
// shown with two decimals; a field that is empty is an empty cell, and one
// that is no number (a record the row rules never saw) is kept as its text.
// A .csv holds one list: UTF-8 with a byte order mark, ';' between fields,
// CR LF at line ends, the value with a decimal comma.
// Returns false when `progress` stopped it. Throws EFileError with a Greek
// message when the file cannot be written,
// std::invalid_argument for a .csv of two lists, EDatabaseError when a list
// lacks a field of its schema.
bool WriteListWorkbook(const std::vector<TWorkbookList>& lists, const std::string& path, TWorkbookFormat format,
                       const TExportProgress& progress = nullptr);

// "Ένα αρχείο CSV χωράει μία μόνο λίστα· ...".
std::string CsvHoldsOneListMessage();

}  // namespace epinax
