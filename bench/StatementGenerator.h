// Statement files of any size, written byte by byte here rather than through
// the program's writer, so that the files the program is timed on do not
// depend on the code being timed.
#pragma once

#include <string>

namespace epinax::bench {

// The own tax number in every generated header; no counterparty has it.
inline constexpr const char* kOwnAfm = "123456783";

enum class Tails {
    Distinct,          // no two rows of a list alike after the tax number
    OneInTenRepeated,  // about one row in ten shares its tail with another
};

struct StatementShape {
    int customers;
    int suppliers;
    Tails tails;
};

// Nine digits: `first8` zero-filled to eight and its check digit.
std::string ValidAfm(int first8);

// A debit statement of 2024 dated 14 March 2025: form line, header, the
// customer rows and their totals, the supplier rows and theirs (a list with
// no rows has no totals line). Rows are in random order.
void GenerateStatementFile(const std::string& path, const StatementShape& shape);

}  // namespace epinax::bench
