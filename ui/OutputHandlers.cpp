// The main window's commands of the print and help menus: the printed
// statement of each list, the manual (also on F1) and the About window.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>

#include "outputs/Print.h"
#include "outputs/StatementReport.h"
#include "statement/TaxOffices.h"
#include "ui/About.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/Handlers.h"
#include "ui/MainWindow.h"
#include "ui/PrintWindow.h"
#include "ui/UserManualWindow.h"

namespace epinax::ui {

namespace {

// F1 anywhere in the main window, whatever the modifiers and whichever of
// its controls has the focus.
class THelpKey : public QObject {
public:
    explicit THelpKey(MainWindow* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != form_) return false;
        form_->helpKeyPressed();
        return true;
    }

private:
    MainWindow* form_;
};

}  // namespace

// ------------------------------------------------------------ printed lists

void MainWindow::printCustomerReport() { PrintListReport(TSide::Customers); }
void MainWindow::printSupplierReport() { PrintListReport(TSide::Suppliers); }

// A refused pending row stops the print, with its message.
void MainWindow::PrintListReport(TSide side)
{
    Grid(side)->CommitEditor();
    const bool posted = !Refused(statement_->PostPendingRow(side));
    ReadFromStatement();
    if (!posted) return;
    Grid(side)->FollowStore();
    if (!WriteAndShowReport(side)) TDialogs::ShowMessage(this, QString::fromStdString(PrintFailureMessage()));
}

// The HTML file as ever, and the window's pages from the same input.
bool MainWindow::WriteAndShowReport(TSide side)
{
    const std::string path = statement_->ProgramDirectory() + ReportFileName(side);
    PrintWindow* window = printWindow();
    try {
        const TReportInput input = ReportInputOf(*statement_, side);
        WriteListReport(input, path);
        window->ShowReport(input);
    } catch (...) {
        return false;  // whatever went wrong, the user is told the one message
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

PrintWindow* MainWindow::printWindow()
{
    if (printWindow_) return printWindow_;
    printWindow_ = new PrintWindow(this, keyLed_);
    connect(printWindow_, &PrintWindow::pdfWritten, this,
            [this](const QString& path) { ReportWritten(QStringLiteral(u"Το PDF γράφτηκε: "), path); });
    return printWindow_;
}

// ------------------------------------------------------------------- help

UserManualWindow* MainWindow::manualWindow()
{
    if (manualWindow_) return manualWindow_;
    manualWindow_ = new UserManualWindow(HelpDirectory());
    // A window of its own has no parent to take it down.
    connect(this, &QObject::destroyed, manualWindow_, [manual = manualWindow_] { delete manual; });
    return manualWindow_;
}

// The help runs as every other command does: an error (memory running out
// while a page is read) is shown, rather than escaping into the event loop,
// which would end the program without a word.
void MainWindow::showUserManual()
{
    RunHandler(this, [&] { manualWindow()->ShowTopic(THelpTopic::Setup); });
}
void MainWindow::helpKeyPressed()
{
    RunHandler(this, [&] { manualWindow()->ShowTopic(THelpTopic::Usage); });
}

void MainWindow::InstallHelpKey() { qApp->installEventFilter(new THelpKey(this)); }

void MainWindow::showAbout()
{
    RunHandler(this, [&] {
        TAboutBox about(this);
        about.exec();
    });
}

}  // namespace epinax::ui
