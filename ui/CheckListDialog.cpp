#include "ui/CheckListDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/GreekText.h"
#include "ui/ObjectNames.h"

namespace epinax::ui {

namespace {

QString ListOf(const TStatementProblem& problem)
{
    if (problem.control) return QStringLiteral(u"Γενικά στοιχεία");
    return problem.side == TSide::Customers ? QStringLiteral(u"Πελάτες") : QStringLiteral(u"Προμηθευτές");
}

QString Summary(const TStatementCheck& check)
{
    const size_t found = check.problems.size() + check.notShown;
    QString text =
        found == 1 ? QStringLiteral(u"Βρέθηκε 1 πρόβλημα.") : QStringLiteral(u"Βρέθηκαν %1 προβλήματα.").arg(found);
    if (check.notShown > 0) text += QStringLiteral(u" Εμφανίζονται τα πρώτα %1.").arg(check.problems.size());
    return text + QStringLiteral(u"\nΜε διπλό κλικ ή Enter σε ένα πρόβλημα μεταφέρεστε εκεί που διορθώνεται.");
}

QString ImportSummary(const TRowProblems& problems)
{
    const size_t found = problems.listed.size() + problems.more;
    QString text = found == 1 ? QStringLiteral(u"Η εισαγωγή βρήκε 1 πρόβλημα")
                              : QStringLiteral(u"Η εισαγωγή βρήκε %1 προβλήματα").arg(found);
    text += QStringLiteral(u"· δεν προστέθηκε καμία γραμμή.");
    if (problems.more > 0) text += QStringLiteral(u" Εμφανίζονται τα πρώτα %1.").arg(problems.listed.size());
    return text + QStringLiteral(u"\nΜε διπλό κλικ ή Enter σε ένα πρόβλημα εμφανίζεται η γραμμή του στο φύλλο.");
}

QStringList StatementHeads()
{
    return {QStringLiteral(u"Λίστα"), QStringLiteral(u"Γραμμή"), QStringLiteral(u"Πεδίο"), QStringLiteral(u"Πρόβλημα")};
}

}  // namespace

CheckListDialog::CheckListDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(handle::Name(handle::kCheckListWindow));
    setWindowTitle(QStringLiteral(u"Έλεγχος κατάστασης"));
    auto* layout = new QVBoxLayout(this);
    summaryLabel = new QLabel(this);
    summaryLabel->setObjectName(handle::Name(handle::kCheckSummary));
    layout->addWidget(summaryLabel);

    problemList = new QTreeWidget(this);
    problemList->setObjectName(handle::Name(handle::kProblemList));
    problemList->setRootIsDecorated(false);
    problemList->setUniformRowHeights(true);
    problemList->setAlternatingRowColors(true);
    problemList->setHeaderLabels(StatementHeads());
    problemList->header()->setStretchLastSection(true);
    // Enter and double-click both activate an item.
    connect(problemList, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { Choose(item); });
    layout->addWidget(problemList, 1);

    auto* again = new QPushButton(QStringLiteral(u"Νέος έλεγχος"), this);
    again->setObjectName(handle::Name(handle::kCheckAgainButton));
    auto* close = new QPushButton(QStringLiteral(u"Κλείσιμο"), this);
    close->setObjectName(handle::Name(handle::kCloseButton));
    // Enter belongs to the list: no button takes it as the default.
    again->setAutoDefault(false);
    close->setAutoDefault(false);
    connect(again, &QPushButton::clicked, this, &CheckListDialog::CheckAgain);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(again);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(760, 280);
}

void CheckListDialog::ShowProblems(TStatementCheck check)
{
    check_ = std::move(check);
    importRows_.clear();
    QList<QStringList> rows;
    for (const TStatementProblem& problem : check_.problems)
        rows.push_back({ListOf(problem), problem.control ? QString() : QString::number(problem.row + 1),
                        QString::fromStdString(problem.field), QString::fromStdString(problem.message)});
    Fill(Summary(check_), StatementHeads(), rows);
}

void CheckListDialog::ShowImportProblems(const TRowProblems& problems, const QString& workbook)
{
    check_ = {};
    importRows_.clear();
    QList<QStringList> rows;
    for (const TRowProblem& problem : problems.listed) {
        rows.push_back({workbook, QString::number(problem.row), QString::fromStdString(problem.column),
                        QString::fromStdString(problem.message)});
        importRows_.push_back(problem.row);
    }
    Fill(ImportSummary(problems),
         {QStringLiteral(u"Αρχείο"), QStringLiteral(u"Γραμμή"), QStringLiteral(u"Στήλη"), QStringLiteral(u"Πρόβλημα")},
         rows);
}

void CheckListDialog::Fill(const QString& summary, const QStringList& heads, const QList<QStringList>& rows)
{
    summaryLabel->setText(summary);
    problemList->clear();
    problemList->setHeaderLabels(heads);
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const QStringList& row : rows) {
        auto* item = new QTreeWidgetItem(row);
        item->setToolTip(3, item->text(3));  // a long message, read whole
        items.push_back(item);
    }
    problemList->addTopLevelItems(items);
    for (int column = 0; column < 3; ++column) problemList->resizeColumnToContents(column);
    if (!items.isEmpty()) problemList->setCurrentItem(items.front());
}

void CheckListDialog::Choose(QTreeWidgetItem* item)
{
    const int index = problemList->indexOfTopLevelItem(item);
    if (index >= 0 && static_cast<size_t>(index) < importRows_.size())
        return emit ImportRowChosen(importRows_[static_cast<size_t>(index)]);
    if (index < 0 || static_cast<size_t>(index) >= check_.problems.size()) return;
    emit ProblemChosen(check_.problems[static_cast<size_t>(index)]);
}

}  // namespace epinax::ui
