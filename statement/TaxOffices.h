// The tax-office table: 285 office names paired by position with their codes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace epinax {

// The names, in the order shown to the user.
const std::vector<std::string>& TaxOfficeNames();
// The four-digit code of each office, at the same position as its name.
const std::vector<std::string>& DOYCodes();
// The position of a code, or -1 when the table has no such code.
int IndexOfDOYCode(std::string_view code);

}  // namespace epinax
