// Where the program keeps its working files and finds its resources.
#pragma once

#include <QString>

namespace epinax::ui {

struct TProgramDirectories {
    QString program;    // working files and reports; ends with a separator
    QString resources;  // read-only pages shipped with the program
};

// The directory of the executable when it is writable (a build tree or an
// unpacked copy); otherwise the user's data directory of the application for
// everything the program writes, the installed data directory for the rest.
TProgramDirectories ProgramDirectories();

}  // namespace epinax::ui
