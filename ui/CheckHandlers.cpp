// The check of the whole statement and the way from a problem to its field.
#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>

#include "ui/CheckListDialog.h"
#include "ui/CounterpartyGrid.h"
#include "ui/MainWindow.h"

namespace epinax::ui {

namespace {

constexpr size_t kProblemsListed = 1000;

int PageOf(const TStatementProblem& problem)
{
    if (problem.control == TStatementField::CustomerPublicValue) return 0;
    if (problem.control == TStatementField::SupplierPublicValue) return 1;
    return problem.side == TSide::Customers ? 0 : 1;
}

// Below the main window where the screen has room, else at the screen's
// bottom: over the grids it would hide the row it takes the user to.
void PlaceBesideTheGrids(QWidget* window, const QRect& mainWindow)
{
    QScreen* screen = QGuiApplication::screenAt(mainWindow.center());
    if (!screen) return;
    const QRect room = screen->availableGeometry();
    QSize size = window->size().boundedTo(room.size());
    QPoint at(mainWindow.left(), mainWindow.bottom() + 1);
    if (at.y() + size.height() > room.bottom()) at.setY(room.bottom() - size.height());
    if (at.x() + size.width() > room.right()) at.setX(room.right() - size.width());
    window->move(std::max(at.x(), room.left()), std::max(at.y(), room.top()));
}

bool OnATab(const TStatementProblem& problem)
{
    return !problem.control || problem.control == TStatementField::CustomerPublicValue ||
           problem.control == TStatementField::SupplierPublicValue;
}

}  // namespace

// The rows being typed are posted first, as Save As posts them: a refused one
// has been told and keeps its place, and nothing is listed.
void MainWindow::checkStatement()
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->CommitEditor();
    std::optional<TStatementCheck> check;
    Run([&] {
        if (!Refused(statement_->PostPendingRow(TSide::Customers)) &&
            !Refused(statement_->PostPendingRow(TSide::Suppliers)))
            check = CheckStatementBeingEdited(*statement_, kProblemsListed);
    });
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->FollowStore();
    if (!check) return;
    if (check->problems.empty()) {
        if (checkListDialog_) checkListDialog_->hide();
        ShowMessage("Ο έλεγχος δεν βρήκε κανένα πρόβλημα στην κατάσταση.");
        return;
    }
    ShowCheckList().ShowProblems(std::move(*check));
}

CheckListDialog& MainWindow::ShowCheckList()
{
    if (!checkListDialog_) {
        checkListDialog_ = new CheckListDialog(this);
        connect(checkListDialog_, &CheckListDialog::ProblemChosen, this, &MainWindow::GoToProblem);
        connect(checkListDialog_, &CheckListDialog::CheckAgain, this, &MainWindow::checkStatement);
        connect(checkListDialog_, &CheckListDialog::ImportRowChosen, this, &MainWindow::ShowRefusedImportRow);
        PlaceBesideTheGrids(checkListDialog_, frameGeometry());
    }
    checkListDialog_->show();
    checkListDialog_->raise();
    checkListDialog_->activateWindow();
    return *checkListDialog_;
}

void MainWindow::GoToProblem(const TStatementProblem& problem)
{
    activateWindow();
    const int page = PageOf(problem);
    if (OnATab(problem) && tabs->currentIndex() != page) {
        tabs->setCurrentIndex(page);
        if (tabs->currentIndex() != page) return;  // the row being left was refused
    }
    if (problem.control)
        SetFocus(*problem.control);
    else
        Grid(problem.side)->GoToRecord(problem.row, problem.column);
}

}  // namespace epinax::ui
