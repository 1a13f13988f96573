// The show command: a statement file opened as Open does, as JSON.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace epinax::cli {

// Throws CliError: bad usage when the file cannot be read at all, refused
// with Open's message when Open refuses it.
nlohmann::ordered_json ShowStatement(const std::string& path);

// The date on the form line (positions 10-17) when it is eight digits.
std::string DateOfFormLine(std::string_view bytes);

}  // namespace epinax::cli
