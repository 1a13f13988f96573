// The check list on the real main window: every problem at once, and a
// chosen problem taking the user to its row and column or header field.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "UiTestSupport.h"
#include "common/Greek.h"
#include "ui/CheckListDialog.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/ImportPreviewDialog.h"
#include "ui/MainWindow.h"

using namespace epinax;
using namespace epinax::ui;
using namespace epinax::ui::test;

// Counts the questions "do you take this key yourself?" that reach a widget.
class KeyWatcher : public QObject {
public:
    int overrides = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        overrides += event->type() == QEvent::ShortcutOverride;
        return false;
    }
};

class CheckListTest : public QObject, public MainWindowFixture {
    Q_OBJECT

    void AddRow(TSide side, const char* afm, const char* ypovolh, const char* invoices, const char* value)
    {
        TFixedFormatDataSet& list = Doc().List(side);
        list.Append();
        list.Field(field::Afm).SetAsString(afm);
        list.Field(field::Name).SetAsString("NAME");
        list.Field(field::Ypovolh).SetAsString(ypovolh);
        list.Field(field::NoTimologion).SetAsString(invoices);
        list.Field(field::Value).SetAsString(value);
        list.Post();
    }

    // A new statement with a header that passes and one customer.
    void NewWithOneRow()
    {
        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        Doc().SetHeaderText(TStatementField::Year, "2024");
        Doc().SetHeaderText(TStatementField::TaxNumber, "123456783");
        Doc().SetHeaderText(TStatementField::Installation, "E");
        Doc().SelectTaxOffice(9);
        AddRow(TSide::Customers, "000000050", "0", "10", "5");
    }

    // A statement with rows that could never be posted, as a file brings
    // them in: saved, its lines changed, opened again.
    void OpenStatementWithFaults()
    {
        NewWithOneRow();
        AddRow(TSide::Customers, "000000104", "0", "1", "1");
        AddRow(TSide::Customers, "123456780", "1", "12", "1");
        AddRow(TSide::Suppliers, "000000050", "0", "2", "5");
        const QString path = Path(QStringLiteral("s"));
        TDialogs::SetNextFileName(path);
        Form().saveStatementAs();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray edited;
        for (QByteArray line : file.readAll().split('\n')) {
            if (line.isEmpty()) continue;
            if (line.startsWith('2') && line.mid(6, 9) == "123456780") line[57] = '0';  // obliged: a bad number
            if (line.startsWith('2') && line.mid(6, 9) == "000000104")
                line.replace(99, 16, QByteArray(16, '0'));  // no value
            edited += line + '\n';
        }
        file.close();
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(edited);
        file.close();
        TDialogs::SetNextAnswer(mrYes);
        TDialogs::SetNextFileName(path);
        Form().openStatement();
        QVERIFY(Doc().StatementLoaded());
        TakeShown();
    }

    QTreeWidget* ProblemList() { return Form().checkListDialog()->List(); }
    QString Cell(int row, int column) { return ProblemList()->topLevelItem(row)->text(column); }
    void DoubleClick(int row)
    {
        QTreeWidget* list = ProblemList();
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        QRect rect = list->visualItemRect(list->topLevelItem(row));
        // A double-click is a press and release, then a second press that
        // comes as the double-click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Runs `command`, answering the import preview it opens by `answer`;
    // the sheet row the preview's grid has current then.
    int InPreview(const std::function<void()>& command, Qt::Key answer)
    {
        int row = 0;
        WhenModalShows<ImportPreviewDialog>(command, [&](ImportPreviewDialog& preview) {
            auto* grid = preview.findChild<QTableWidget*>(QStringLiteral("rowsGrid"));
            row = grid->verticalHeaderItem(std::max(0, grid->currentRow()))->text().toInt();
            QTest::keyClick(preview.focusWidget(), answer);
        });
        return row;
    }

private slots:
    void init() { StartWindow(Shown::Exposed); }
    void cleanup() { StopWindow(); }

    void theEntryIsInTheToolsMenuWithItsShortcut()
    {
        auto* action = Form().findChild<QAction*>(QStringLiteral("Check1"));
        QVERIFY(action);
        QCOMPARE(action->text().remove(QLatin1Char('&')), QStringLiteral(u"Έλεγχος κατάστασης"));
        QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
        QVERIFY(!action->isEnabled());  // nothing to check before New or Open
        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        QVERIFY(action->isEnabled());
    }

    void listsEveryProblemAndTakesTheUserToEach()
    {
        OpenStatementWithFaults();
        Doc().SetHeaderText(TStatementField::Year, "20");
        Form().findChild<QAction*>(QStringLiteral("Check1"))->trigger();
        CheckListDialog* window = Form().checkListDialog();
        QVERIFY(window && window->isVisible());
        QCOMPARE(ProblemList()->topLevelItemCount(), 3);
        QCOMPARE(Cell(0, 0), QStringLiteral(u"Γενικά στοιχεία"));
        QCOMPARE(Cell(0, 2), QStringLiteral(u"Έτος"));
        QCOMPARE(Cell(1, 0), QStringLiteral(u"Πελάτες"));
        QCOMPARE(Cell(1, 1), QStringLiteral("2"));
        QCOMPARE(Cell(1, 2), QStringLiteral(u"ΑΡΙΘΜΟΣ ΤΙΜΟΛΟΓΙΩΝ (*)"));
        QCOMPARE(Cell(1, 3), QStringLiteral(u"Εφόσον η αξία είναι 0, ο αριθμός τιμολογίων πρέπει να είναι >1 "));
        QCOMPARE(Cell(2, 1), QStringLiteral("3"));
        QCOMPARE(Cell(2, 2), QStringLiteral(u"ΑΦΜ (*)"));
        QVERIFY(window->findChild<QLabel*>(QStringLiteral("Label1"))->text().startsWith(QStringLiteral(u"Βρέθηκαν 3")));

        // Double-click: the grid's row and column of the problem.
        DoubleClick(2);
        CounterpartyGrid* grid = Form().Grid(TSide::Customers);
        QCOMPARE(grid->currentIndex().row(), 2);
        QCOMPARE(grid->currentIndex().column(), 0);
        QCOMPARE(Doc().List(TSide::Customers).CurrentIndex(), 2);
        DoubleClick(1);
        QCOMPARE(grid->currentIndex().row(), 1);
        QCOMPARE(grid->currentIndex().column(), 8);

        // Enter on the header's problem: the focus in its field.
        ProblemList()->setCurrentItem(ProblemList()->topLevelItem(0));
        QTest::keyClick(ProblemList(), Qt::Key_Return);
        QCOMPARE(Form().focusWidget(), Form().findChild<QLineEdit*>(QStringLiteral("YearOfData")));

        // Corrected and run again: the list says what is left.
        Doc().SetHeaderText(TStatementField::Year, "2024");
        window->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        QCOMPARE(ProblemList()->topLevelItemCount(), 2);
        QCOMPARE(Cell(0, 1), QStringLiteral("2"));
        QVERIFY(TakeShown().isEmpty());
    }

    void aSupplierProblemShowsTheSuppliersTab()
    {
        OpenStatementWithFaults();
        Doc().SetHeaderText(TStatementField::TaxNumber, "000000050");  // now the supplier's and a customer's number
        Form().checkStatement();
        const int last = ProblemList()->topLevelItemCount() - 1;
        QCOMPARE(Cell(last, 0), QStringLiteral(u"Προμηθευτές"));
        DoubleClick(last);
        QCOMPARE(Form().findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex(), 1);
        QCOMPARE(Form().Grid(TSide::Suppliers)->currentIndex().row(), 0);
        QCOMPARE(Form().focusWidget(), Form().Grid(TSide::Suppliers));
    }

    // Ctrl+E is also an editing key of line edits (the end of the line):
    // in a header field or a cell being edited it still runs the check.
    void ctrlEReachesTheCheckFromAnEditOrACell()
    {
        OpenStatementWithFaults();
        Doc().SetHeaderText(TStatementField::Year, "20");
        QApplication::setActiveWindow(&Form());
        // The edit is never asked whether it wants the key for itself, as
        // on X11 it would (offscreen it never claims it).
        KeyWatcher watcher;
        Edit("CompanyName")->installEventFilter(&watcher);
        QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_E, Qt::ControlModifier);
        override.ignore();
        QApplication::sendEvent(Edit("CompanyName"), &override);
        QVERIFY(!override.isAccepted());
        QCOMPARE(watcher.overrides, 0);
        Edit("CompanyName")->setFocus();
        QTest::keyClick(Edit("CompanyName"), Qt::Key_E, Qt::ControlModifier);
        QVERIFY(Form().checkListDialog() && Form().checkListDialog()->isVisible());
        QCOMPARE(ProblemList()->topLevelItemCount(), 3);

        Form().checkListDialog()->hide();
        Doc().SetHeaderText(TStatementField::Year, "2024");
        QApplication::setActiveWindow(&Form());
        CounterpartyGrid* grid = Form().Grid(TSide::Customers);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 1));
        TypeFocused(QStringLiteral("X"));  // the cell's editor open
        QVERIFY(grid->CellEditorOpen());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier);
        QVERIFY(Form().checkListDialog()->isVisible());
    }

    // A heading row and two rows the import refuses: the preview proposes the
    // columns by their headings and Enter imports; nothing goes in, both
    // problems are listed, and Enter on the second shows its row again.
    void importProblemsAreListedAndLeadBackToTheirRow()
    {
        NewWithOneRow();
        const QString workbook =
            WriteText(QStringLiteral("export.csv"),
                      QStringLiteral(u"Επωνυμία;Α.Φ.Μ.;Επάγγελμα;Υπόχρεος;Πόλη;Οδός;Αριθμός;Τ.Κ.;Τιμολόγια;Αξία\n"
                                     u"ΑΛΦΑ;094014201;;0;;;;;1;10\nΒΗΤΑ;111111111;;0;;;;;1;10\n"
                                     u"ΓΑΜΜΑ;999999999;;0;;;;;1;10\n"));
        TDialogs::SetNextAnswer(mrYes);
        TDialogs::SetNextFileName(workbook);
        InPreview([&] { Form().findChild<QAction*>(QStringLiteral("ImportLayout1"))->trigger(); }, Qt::Key_Return);
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 1);
        QCOMPARE(ProblemList()->topLevelItemCount(), 2);
        QCOMPARE(Cell(0, 1), QStringLiteral("3"));
        QCOMPARE(Cell(1, 1), QStringLiteral("4"));
        QCOMPARE(Cell(1, 2), QStringLiteral("B"));
        ProblemList()->setFocus();
        QTest::keyClick(ProblemList(), Qt::Key_Down);
        QCOMPARE(InPreview([&] { QTest::keyClick(ProblemList(), Qt::Key_Return); }, Qt::Key_Escape), 4);
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 1);
    }

    void noProblemIsSaidSo()
    {
        NewWithOneRow();
        TakeShown();
        Form().checkStatement();
        QCOMPARE(TakeShown(),
                 QStringList{QStringLiteral(u"message: Ο έλεγχος δεν βρήκε κανένα πρόβλημα στην κατάσταση.")});
        QVERIFY(!Form().checkListDialog() || !Form().checkListDialog()->isVisible());
    }
};

QTEST_MAIN(CheckListTest)
#include "test_check_list.moc"
