// The import of a workbook into a list: in the usual columns, or where the
// user shows the rows lie; and the way from a refused row back to the sheet.
#include <QFile>
#include <QFileInfo>

#include "import/Import.h"
#include "ui/CheckListDialog.h"
#include "ui/CounterpartyGrid.h"
#include "ui/GreekText.h"
#include "ui/ImportPreviewDialog.h"
#include "ui/MainWindow.h"

namespace epinax::ui {

namespace {

using TKeepReading = std::function<bool()>;

// The workbook is read by a helper program; the progress window keeps the
// window alive meanwhile and its "Διακοπή" ends the reading. It closes with
// the reading, so that no message of the import finds it on top.
TSheetBlock ReadShowingProgress(MainWindow& window, const std::function<TSheetBlock(const TKeepReading&)>& read)
{
    struct TClose {
        MainWindow& window;
        ~TClose() { window.ProgressDone(); }
    } closeProgress{window};
    return read([&window] { return window.Progress("Ανάγνωση του αρχείου", 0, 0); });
}

QString WorkbookName(const std::string& path)
{
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
}

}  // namespace

std::optional<TSide> MainWindow::AskImportSide()
{
    const int answer = AskConfirmation("Θέλετε να εισάγετε τιμολόγια Πελατών ή Προμηθευτών;",
                                       {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel},
                                       {"Πελατών", "Προμ/τών", "Ακύρωση"});
    if (answer == mrCancel) return std::nullopt;
    return answer == mrYes ? TSide::Customers : TSide::Suppliers;
}

void MainWindow::importWorkbook()
{
    Run([&] {
        if (Refused(statement_->PostPendingRows())) return;
        const std::optional<TSide> side = AskImportSide();
        if (!side) return;
        const auto path = ChooseWorkbook();
        if (!path) return;
        const TImportOutcome outcome = ImportWorkbook(*statement_, *side, *path, [this](const std::string& workbook) {
            return ReadShowingProgress(*this, [&](const TKeepReading& keep) { return ReadFirstSheet(workbook, keep); });
        });
        // Rows under headings are better shown in the preview than listed.
        ShowImportOutcome(outcome, *side, *path,
                          outcome.looksLikeHeadings ? std::nullopt : std::optional<TImportLayout>(TImportLayout{}));
        if (outcome.looksLikeHeadings &&
            AskConfirmation("Η γραμμή μοιάζει με επικεφαλίδες. Θέλετε να ορίσετε ποιες γραμμές και στήλες θα "
                            "εισαχθούν;",
                            {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, {"Ναι", "Όχι"}) == mrYes)
            ImportWithLayout(*side, *path);
    });
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->FollowStore();
}

void MainWindow::importWorkbookWithLayout()
{
    Run([&] {
        if (Refused(statement_->PostPendingRows())) return;
        const std::optional<TSide> side = AskImportSide();
        if (!side) return;
        if (const auto path = ChooseWorkbook()) ImportWithLayout(*side, *path);
    });
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->FollowStore();
}

// The sheet as the preview read it goes in: the file is not read twice.
void MainWindow::ImportWithLayout(TSide side, const std::string& path, const std::optional<TImportLayout>& layout,
                                  int row)
{
    std::vector<std::string> sheetNames;
    try {
        sheetNames = ReadSheetNames(path);
    } catch (const EWorkbookError& error) {
        return ShowMessage(ImportOpenFailureMessage(error.what()));
    }
    const auto readSheet = [&](const TSheetChoice& choice) -> std::optional<TSheetBlock> {
        try {
            return ReadShowingProgress(*this, [&](const TKeepReading& keep) { return ReadSheet(path, choice, keep); });
        } catch (const EWorkbookReadingStopped&) {
            return std::nullopt;
        } catch (const EWorkbookError& error) {
            ShowMessage(ImportOpenFailureMessage(error.what()));
            return std::nullopt;
        }
    };
    ImportPreviewDialog preview(this, sheetNames, readSheet, WindowSettingsPath());
    if (!preview.Start(layout, row) || preview.exec() != QDialog::Accepted) return;
    const TImportLayout chosen = preview.Layout();
    const TImportOutcome outcome = ImportWorkbook(
        *statement_, side, path, [&](const std::string&) { return preview.Sheet(); }, chosen);
    ShowImportOutcome(outcome, side, path, chosen);
}

// The first problem as a message, as always; all of them in the check list,
// from where each leads back to its row in the sheet (`layout` nothing: the
// list is not shown).
void MainWindow::ShowImportOutcome(const TImportOutcome& outcome, TSide side, const std::string& path,
                                   const std::optional<TImportLayout>& layout)
{
    if (outcome.beep) Beep();
    for (const std::string& message : outcome.messages) ShowMessage(message);
    if (!layout || outcome.problems.listed.empty()) return;
    refusedImport_ = TRefusedImport{side, path, *layout};
    ShowCheckList().ShowImportProblems(outcome.problems, WorkbookName(path));
}

void MainWindow::ShowRefusedImportRow(int row)
{
    if (!refusedImport_) return;
    const TRefusedImport refused = *refusedImport_;
    Run([&] {
        if (!Refused(statement_->PostPendingRows())) ImportWithLayout(refused.side, refused.path, refused.layout, row);
    });
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->FollowStore();
}

}  // namespace epinax::ui
