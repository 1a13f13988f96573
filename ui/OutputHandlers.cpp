// The main window's commands of the print and help menus: the printed
// statement of each list, the manual (also on F1) and the About window.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>

#include "outputs/Print.h"
#include "outputs/StatementReport.h"
#include "statement/TaxOffices.h"
#include "ui/About.h"
#include "ui/DBGrid.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/Handlers.h"
#include "ui/Main.h"
#include "ui/PrintForm.h"
#include "ui/UserManualUnit.h"

namespace epinax::ui {

namespace {

// F1 anywhere in the main window, whatever the modifiers and whichever of
// its controls has the focus.
class THelpKey : public QObject {
public:
    explicit THelpKey(TForm1* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != form_) return false;
        form_->F1KeyDown();
        return true;
    }

private:
    TForm1* form_;
};

}  // namespace

// ------------------------------------------------------------ printed lists

void TForm1::N15Click() { PrintListReport(TSide::Customers); }
void TForm1::N16Click() { PrintListReport(TSide::Suppliers); }

// A refused pending row has shown its own message and stops the print.
void TForm1::PrintListReport(TSide side)
{
    Grid(side)->CommitEditor();
    const bool settled = statement_->SettlePendingRow(side);
    ReadFromStatement();
    if (!settled) return;
    Grid(side)->FollowStore();
    if (!WriteAndShowReport(side)) TDialogs::ShowMessage(this, FromCp1253(PrintFailureMessage()));
}

// The HTML file as ever, and the window's pages from the same input.
bool TForm1::WriteAndShowReport(TSide side)
{
    const std::string path = statement_->ProgramDirectory() + ReportFileName(side);
    TPrintForm* window = PrintWindow();
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

TPrintForm* TForm1::PrintWindow()
{
    if (!PrintForm) PrintForm = new TPrintForm(this, KeyLed1);
    return PrintForm;
}

// ------------------------------------------------------------------- help

TUserManual* TForm1::ManualWindow()
{
    if (UserManual) return UserManual;
    UserManual = new TUserManual(HelpDirectory());
    // A window of its own has no parent to take it down.
    connect(this, &QObject::destroyed, UserManual, [manual = UserManual] { delete manual; });
    return UserManual;
}

// The help runs as every other command does: an error (memory running out
// while a page is read) is shown, rather than escaping into the event loop,
// which would end the program without a word.
void TForm1::N13Click()
{
    RunHandler(this, [&] { ManualWindow()->ShowTopic(THelpTopic::Setup); });
}
void TForm1::F1KeyDown()
{
    RunHandler(this, [&] { ManualWindow()->ShowTopic(THelpTopic::Usage); });
}

void TForm1::InstallHelpKey() { qApp->installEventFilter(new THelpKey(this)); }

void TForm1::N12Click()
{
    RunHandler(this, [&] {
        TAboutBox about(this);
        about.exec();
    });
}

}  // namespace epinax::ui
