#include "ui/ProgramDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace epinax::ui {

namespace {

// Written by the build beside the program it builds (ui/CMakeLists.txt) and
// installed by nothing: only a program in its build tree finds it.
constexpr char kBuildTreeMarker[] = "epinax-build-tree";

QString WithSeparator(QString path) { return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'); }

// The pages of an installed program: relative to it first, so that a copy
// installed under another prefix than the build's, or unpacked from the
// package into any folder, reads its own pages rather than another copy's.
QString InstalledResources(const QString& executableDirectory)
{
    const QString beside = QDir::cleanPath(executableDirectory + QStringLiteral("../share/epinax"));
    if (QFileInfo(beside).isDir()) return WithSeparator(beside);
    return WithSeparator(QStringLiteral(EPINAX_DATA_DIR));
}

}  // namespace

TProgramDirectories ProgramDirectories()
{
    const QString executable = WithSeparator(QCoreApplication::applicationDirPath());
    if (QFileInfo(executable + QLatin1String(kBuildTreeMarker)).isFile()) return {executable, executable};
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return {WithSeparator(data), InstalledResources(executable)};
}

}  // namespace epinax::ui
