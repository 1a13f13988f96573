// Where the program keeps its working files and finds its resources.
#pragma once

#include <QString>

namespace epinax::ui {

struct TProgramDirectories {
    QString program;    // working files and reports; ends with a separator
    QString resources;  // read-only pages shipped with the program; ends with a separator
};

// Run from its build tree, the program keeps everything beside it, so a
// developer sees its files where it was built. Installed anywhere else
// (the system, ~/.local, a package unpacked by hand), it writes only to the
// user's data folder of the application: a folder it can write there may
// still be shared by other users or belong to a package, and its files must
// not depend on where it was put. It finds its pages then in the share
// folder beside its bin folder, or in the one it was built for.
TProgramDirectories ProgramDirectories();

}  // namespace epinax::ui
