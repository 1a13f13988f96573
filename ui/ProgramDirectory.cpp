#include "ui/ProgramDirectory.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace epinax::ui {

namespace {

QString WithSeparator(QString path) { return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'); }

bool Writable(const QString& directory) { return ::access(QFile::encodeName(directory).constData(), W_OK | X_OK) == 0; }

}  // namespace

TProgramDirectories ProgramDirectories()
{
    QString executable = WithSeparator(QCoreApplication::applicationDirPath());
    if (Writable(executable)) return {executable, executable};
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return {WithSeparator(data), WithSeparator(QStringLiteral(EPINAX_DATA_DIR))};
}

}  // namespace epinax::ui
