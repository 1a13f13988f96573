// The dates the user gives the tool: the statement's date in the JSON and
// the --date of a check or an import.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/Date.h"

namespace epinax::cli {

// "YYYYMMDD" as a date, or nothing when it is not one or names a day the
// calendar does not have (31 April, 29 February of a common year).
std::optional<TDate> ParseDate(std::string_view text);
// Why `text` was not taken as a date (UTF-8).
std::string DateRefusal(const std::string& text);
TClock FixedClock(TDate date);

}  // namespace epinax::cli
