// The show command: a statement file read as Open reads it, as JSON.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace epinax::cli {

// Prints the statement as JSON to `out`, nothing when it throws CliError:
// bad usage when the file cannot be read at all, refused with Open's message
// when Open refuses it.
void ShowStatement(const std::string& path, std::ostream& out);

// The date on the form line (positions 10-17) when it is eight digits.
std::string DateOfFormLine(std::string_view bytes);

}  // namespace epinax::cli
