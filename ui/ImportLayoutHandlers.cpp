// The import of a workbook laid out otherwise: the user says which sheet,
// how many heading rows and which columns, over a preview of the sheet.
#include "common/Greek.h"
#include "import/Import.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/ImportLayoutDialog.h"
#include "ui/MainWindow.h"

namespace epinax::ui {

void MainWindow::importWorkbookWithLayout()
{
    Run([&] {
        if (!statement_->SettlePendingRows()) return;
        const int answer = AskConfirmation(G("Θέλετε να εισάγετε τιμολόγια Πελατών ή Προμηθευτών;"),
                                           {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel},
                                           {G("Πελατών"), G("Προμ/τών"), G("Ακύρωση")});
        if (answer == mrCancel) return;
        const auto path = ChooseWorkbook();
        if (!path) return;
        ImportWithLayout(answer == mrYes ? TSide::Customers : TSide::Suppliers, *path);
    });
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->FollowStore();
}

bool MainWindow::AskHeadingsQuestion()
{
    return AskConfirmation(G("Η γραμμή μοιάζει με επικεφαλίδες. Θέλετε να ορίσετε ποιες γραμμές και στήλες θα "
                             "εισαχθούν;"),
                           {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, {G("Ναι"), G("Όχι")}) == mrYes;
}

// The sheet is read once, with every column a layout may name, for the
// preview and again for the import; a sheet that cannot be read is told as
// the import tells it.
void MainWindow::ImportWithLayout(TSide side, const std::string& path)
{
    std::vector<std::string> names;
    try {
        names = ReadSheetNames(path);
    } catch (const EWorkbookError& error) {
        ShowMessage(ImportOpenFailureMessage(error.what()));
        return;
    }
    const auto read = [&](const TSheetChoice& sheet) -> std::optional<TSheetBlock> {
        struct TClose {
            MainWindow* form;
            ~TClose() { form->ProgressDone(); }
        } closeProgress{this};
        try {
            return ReadSheet(path, sheet, [this] { return Progress(G("Ανάγνωση του αρχείου"), 0, 0); });
        } catch (const EWorkbookReadingStopped&) {
        } catch (const EWorkbookError& error) {
            ShowMessage(ImportOpenFailureMessage(error.what()));
        }
        return std::nullopt;
    };
    ImportLayoutDialog dialog(names, read, WindowSettingsPath(), this);
    if (!dialog.Start() || dialog.exec() != QDialog::Accepted) return;
    const TImportOutcome outcome = ImportWorkbook(
        *statement_, side, path, [&](const std::string&) { return dialog.Sheet(); }, dialog.Layout());
    if (outcome.beep) Beep();
    for (const std::string& message : outcome.messages) ShowMessage(message);
}

}  // namespace epinax::ui
