// The Tools menu's ties to the outside: the zip archive for upload, the
// desktop launcher and the authority's web pages.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "common/Cp1253.h"
#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "outputs/Links.h"
#include "outputs/ZipCommand.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/KeyLed.h"
#include "ui/MainWindow.h"

namespace epinax::ui {

namespace {

QString ProgramDirectoryOf(const TStatement& statement)
{
    return QFile::decodeName(QByteArray::fromStdString(statement.ProgramDirectory()));
}

std::string FileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The launcher's icon: the installed one by name; for a copy run from where
// it was built, the program's own picture written beside it.
std::string LauncherIcon(const QString& programDirectory)
{
    if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                QStringLiteral("icons/hicolor/256x256/apps/epinax.png"))
             .isEmpty())
        return "epinax";
    const QString picture = programDirectory + QStringLiteral("epinax.png");
    if (!QFileInfo::exists(picture)) QFile::copy(QStringLiteral(":/pictures/icon-256.png"), picture);
    return FileSystemPath(picture);
}

}  // namespace

void MainWindow::makeZip()
{
    Run([&] {
        std::optional<QString> source, chosen;
        {
            TCapsLockOff typedNamesAsTyped(keyLed_);
            source = TDialogs::OpenFileName(this, TDialogs::StartFolder());
            if (!source) return;
            TDialogs::RememberFolderOf(*source);
            // The archive is proposed beside the statement, where the user
            // will look for it when uploading.
            chosen = TDialogs::SaveFileName(this, TDialogs::FolderOf(*source), QFileInfo(*source).fileName());
            if (!chosen) return;
            TDialogs::RememberFolderOf(*chosen);
        }
        const std::string archive = DefaultArchivePath(FileSystemPath(*chosen));
        const std::string shownName = DisplayPath(QFileInfo(*chosen).fileName().toStdString()) + ".zip;";
        if (ArchiveNameTaken(archive) &&
            AskConfirmation("Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο " + shownName,
                            {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, {"Ναι", "Όχι"}) != mrYes)
            return;
        // Its errors name the file and reach the general error display.
        ZipOneFile(FileSystemPath(*source), archive);
        ReportWritten(QStringLiteral(u"Το συμπιεσμένο αρχείο γράφτηκε: "), QFile::decodeName(archive.c_str()));
    });
}

// A desktop directory that is missing or cannot be written gets the
// launcher's own failure message, and nothing is written.
void MainWindow::makeDesktopShortcut()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString program = QCoreApplication::applicationFilePath();
    try {
        if (desktop.isEmpty()) throw EFileError("no desktop directory", ENOENT);
        WriteDesktopLauncher(FileSystemPath(desktop), FileSystemPath(program),
                             LauncherIcon(ProgramDirectoryOf(*statement_)));
        ReportWritten(QStringLiteral(u"Η συντόμευση δημιουργήθηκε: "),
                      QDir(desktop).filePath(QString::fromUtf8(kLauncherFileName)));
    } catch (const EFileError&) {
        ShowMessage("Υπήρξε κάποιο πρόβλημα κατά τη δημιουργία της συντόμευσης");
    }
}

// Without a browser that starts, the user still gets the address, to copy
// into one by hand.
bool MainWindow::OpenInBrowser(const QString& address)
{
    if (QDesktopServices::openUrl(QUrl(address))) return true;
    TDialogs::ShowCopyableMessage(this,
                                  QStringLiteral(u"Δεν ήταν δυνατό να ανοίξει ο φυλλομετρητής ιστού.\n"
                                                 u"Αντιγράψτε τη διεύθυνση και ανοίξτε τη σε έναν φυλλομετρητή:\n") +
                                      address);
    return false;
}

void MainWindow::connectToServer() { OpenInBrowser(QString::fromStdString(WebSiteAddress())); }

void MainWindow::submitOnline() { OpenInBrowser(QString::fromStdString(SubmissionAddress())); }

}  // namespace epinax::ui
