// Workbooks of counterparties in the usual columns A to J, written with
// libzip as a spreadsheet program writes them.
#pragma once

#include <string>

namespace epinax::bench {

// An .xlsx of `rows` counterparties, texts as inline strings, numbers as numbers.
void WriteCounterpartyWorkbook(const std::string& path, int rows);

}  // namespace epinax::bench
