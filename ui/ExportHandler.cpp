// The Tools menu's export of the lists to a spreadsheet: which list, where,
// whether to replace, then the core writes it with the progress window.
#include <QFile>
#include <QFileInfo>
#include <vector>

#include "common/Files.h"
#include "common/Greek.h"
#include "outputs/ListWorkbook.h"
#include "outputs/Print.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/KeyLed.h"
#include "ui/MainWindow.h"

namespace epinax::ui {

namespace {

std::string ListName(TSide side) { return side == TSide::Customers ? "Πελάτες" : "Προμηθευτές"; }

// "Pelates.xlsx", "Promitheftes.xlsx", or both names for both lists.
QString ProposedName(const std::vector<TSide>& sides)
{
    auto base = [](TSide side) {
        const std::string name = ReportFileName(side);
        return QString::fromStdString(name.substr(0, name.rfind('.')));
    };
    QString name = base(sides.front());
    if (sides.size() > 1) name += QLatin1Char('-') + base(sides.back());
    return name + QStringLiteral(".xlsx");
}

}  // namespace

// The pending rows are posted first, as the commands that read whole lists
// do. The list of the tab shown is the first answer, and the default.
void MainWindow::exportWorkbook()
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->CommitEditor();
    Run([&] {
        if (!statement_->StatementLoaded() || Refused(statement_->PostPendingRows())) return;
        const TSide shown = tabs->currentIndex() == 0 ? TSide::Customers : TSide::Suppliers;
        const TSide other = shown == TSide::Customers ? TSide::Suppliers : TSide::Customers;
        const int answer =
            AskConfirmation("Ποια λίστα θέλετε να εξαγάγετε σε λογιστικό φύλλο;",
                            {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel},
                            {ListName(shown), ListName(other), "Και τις δύο", "Ακύρωση"});
        std::vector<TSide> sides;
        if (answer == mrYes)
            sides = {shown};
        else if (answer == mrNo)
            sides = {other};
        else if (answer == mrOk)
            sides = {TSide::Customers, TSide::Suppliers};
        else
            return;
        std::optional<QString> chosen;
        {
            TCapsLockOff typedNamesAsTyped(keyLed_);
            chosen = TDialogs::SpreadsheetFileName(this, TDialogs::StartFolder(), ProposedName(sides));
            if (!chosen) return;
            TDialogs::RememberFolderOf(*chosen);
        }
        const std::string path = QFile::encodeName(*chosen).toStdString();
        const std::optional<TWorkbookFormat> format = WorkbookFormatOf(path);
        if (!format) return ShowMessage("Διαλέξτε αρχείο .xlsx, .ods ή .csv");
        if (*format == TWorkbookFormat::Csv && sides.size() > 1) return ShowMessage(CsvHoldsOneListMessage());
        const std::string shownName = DisplayPath(QFileInfo(*chosen).fileName().toStdString()) + ";";
        if (FileExists(path) && AskConfirmation("Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο " + shownName,
                                                {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, {"Ναι", "Όχι"}) != mrYes)
            return;
        std::vector<TWorkbookList> lists;
        for (TSide side : sides) lists.push_back({side, &statement_->List(side)});
        // The progress window shows itself past a second, with "Διακοπή";
        // it closes with the writing, before any message.
        struct TClose {
            MainWindow* form;
            ~TClose() { form->ProgressDone(); }
        } closeProgress{this};
        const std::string what = "Εξαγωγή σε λογιστικό φύλλο";
        const bool written = WriteListWorkbook(lists, path, *format, [this, &what](int done, int total) {
            return Progress(what, done, total > 0 ? total : 1);
        });
        if (written)
            ReportWritten(QStringLiteral(u"Το λογιστικό φύλλο γράφτηκε: "), *chosen);
        else
            ReportWritten(QStringLiteral(u"Η εξαγωγή διακόπηκε· δεν γράφτηκε το "), *chosen);
    });
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->FollowStore();
}

}  // namespace epinax::ui
