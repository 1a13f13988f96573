// The files the user hands the tool, read once from start to end, so that a
// pipe or a FIFO serves as well as a file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace epinax::cli {

// The bytes of `path` ("-" for stdin), or nothing when there are more than
// `limit`: a regular file's size is looked at before anything is read.
// Throws CliError (bad usage) when the file cannot be read.
std::optional<std::string> ReadInputUpTo(const std::string& path, std::size_t limit);

// The same for a statement file, refused with Open's message (a rule
// refusal) when it is larger than the largest statement there can be.
std::string ReadStatementInput(const std::string& path);

}  // namespace epinax::cli
