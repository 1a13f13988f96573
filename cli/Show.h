// The show command: a statement file opened as Open does, as JSON.
#pragma once

#include <string>

#include <ostream>
#include <string_view>

namespace epinax::cli {

class RecordingUi;
class Workspace;

// Opens statement bytes in the workspace as Open does. Throws CliError:
// refused with Open's message when Open refuses them; the working space's
// failure when Open fails on a copy of its own.
void OpenStatement(Workspace& workspace, RecordingUi& ui, std::string bytes);

// Prints the statement as JSON to `out`, nothing when it throws CliError:
// bad usage when the file cannot be read at all, refused with Open's message
// when Open refuses it.
void ShowStatement(const std::string& path, std::ostream& out);

// The date on the form line (positions 10-17) when it is eight digits.
std::string DateOfFormLine(std::string_view bytes);

}  // namespace epinax::cli
