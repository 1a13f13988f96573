// Prints where the program would keep its working files and find its pages,
// so that a script can copy it into build trees and installed layouts and see.
#include <QCoreApplication>
#include <QTextStream>

#include "ui/ProgramDirectory.h"

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("epinax"));
    const epinax::ui::TProgramDirectories directories = epinax::ui::ProgramDirectories();
    QTextStream out(stdout);
    out << "program=" << directories.program << '\n' << "resources=" << directories.resources << '\n';
    return 0;
}
