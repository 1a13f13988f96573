// Qt ships no Greek for the texts of its own dialogs (file and print dialogs,
// standard buttons, edit menus); the program carries its own, built in.
#pragma once

#include <QCoreApplication>

namespace epinax::ui {

// Installs the Greek texts of Qt's dialogs on the application and makes Greek
// the default locale; false when the texts could not be loaded, and Qt's own
// English stays.
bool InstallGreekTranslation(QCoreApplication& application);

}  // namespace epinax::ui
