// The JSON the tool reads and writes: a statement as the values a user types,
// every value a UTF-8 string.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/Date.h"

namespace epinax::cli {

class TReadStatement;

// The keys of a row, in the order of the grid columns.
constexpr std::array<const char*, 10> kRowKeys = {"AFM",    "Name",     "Prof", "Ypovolh",      "City",
                                                  "Street", "StreetNo", "TK",   "NoTimologion", "Value"};
using TRowInput = std::array<std::string, kRowKeys.size()>;

struct TStatementInput {
    std::optional<TDate> date;
    bool credit = false;
    std::map<std::string, std::string, std::less<>> header;  // by edit name, and "DOY"
    std::string customerPublicValue, supplierPublicValue;
    std::vector<TRowInput> customers, suppliers;
};

// Missing keys are empty and unknown keys ignored. Throws CliError with the
// bad-usage code on malformed JSON, a value that is not a string (a list that
// is not an array of objects), a date that is not YYYYMMDD or an unknown kind.
TStatementInput ParseStatementInput(std::string_view jsonText);

// The statement in the same shape, with each row's "AA" and the texts under
// the grids; `date` is left out when empty. Printed as Dump prints, a row at
// a time, so that a long list never stands whole in memory as JSON.
void WriteStatementJson(std::ostream& out, TReadStatement& statement, const std::string& date);

// Indented JSON for stdout; never throws on odd bytes.
std::string Dump(const nlohmann::ordered_json& value);

}  // namespace epinax::cli
