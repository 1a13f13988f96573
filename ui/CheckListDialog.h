// The check list: every problem of the statement being edited, found at once,
// each with the list, row and field where it is corrected. Choosing one
// (double-click or Enter) takes the user there. One instance is kept and
// filled again at each run.
#pragma once

#include <QDialog>

#include "import/Import.h"
#include "statement/StatementCheck.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace epinax::ui {

class CheckListDialog : public QDialog {
    Q_OBJECT
public:
    explicit CheckListDialog(QWidget* parent = nullptr);

    // The problems of the latest run; those of an earlier run go.
    void ShowProblems(TStatementCheck check);
    // The rows an import refused in the sheet of `workbook`; choosing one
    // asks for that row.
    void ShowImportProblems(const TRowProblems& problems, const QString& workbook);
    const TStatementCheck& Check() const { return check_; }
    QTreeWidget* List() const { return problemList; }

signals:
    void ProblemChosen(const epinax::TStatementProblem& problem);
    void CheckAgain();
    void ImportRowChosen(int row);

private:
    void Choose(QTreeWidgetItem* item);
    void Fill(const QString& summary, const QStringList& heads, const QList<QStringList>& rows);

    TStatementCheck check_;
    std::vector<int> importRows_;  // the sheet's rows of the import's problems shown, else empty
    QLabel* summaryLabel;
    QTreeWidget* problemList;
};

}  // namespace epinax::ui
