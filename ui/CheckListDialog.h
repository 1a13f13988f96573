// The check list: every problem of the statement being edited, found at once,
// each with the list, row and field where it is corrected. Choosing one
// (double-click or Enter) takes the user there. One instance is kept and
// filled again at each run.
#pragma once

#include <QDialog>

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
    const TStatementCheck& Check() const { return check_; }
    QTreeWidget* List() const { return List1; }

signals:
    void ProblemChosen(const epinax::TStatementProblem& problem);
    void CheckAgain();

private:
    void Choose(QTreeWidgetItem* item);

    TStatementCheck check_;
    QLabel* summaryLabel;
    QTreeWidget* List1;
};

}  // namespace epinax::ui
