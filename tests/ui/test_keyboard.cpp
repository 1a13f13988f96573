// The main window by keyboard alone: every key of the README's table, sent
// as real key events to whatever has the focus.
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "UiTestSupport.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/ListNavigator.h"
#include "ui/MainWindow.h"
#include "ui/Mnemonics.h"
#include "ui/PrintWindow.h"
#include "ui/UserManualWindow.h"

using namespace epinax;
using namespace epinax::ui;
using namespace epinax::ui::test;

class KeyboardTest : public QObject, public MainWindowFixture {
    Q_OBJECT

    CounterpartyGrid* Grid(TSide side) { return Form().Grid(side); }

    void New()
    {
        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        TakeShown();
    }

    // One customer that the row rules accept, posted in the core.
    void PostOneCustomer()
    {
        TFixedFormatDataSet& list = Doc().List(TSide::Customers);
        list.Append();
        list.Field(field::Afm).SetAsString("000000050");
        list.Field(field::Ypovolh).SetAsString("1");
        list.Field(field::NoTimologion).SetAsString("1");
        list.Field(field::Value).SetAsString("5");
        list.Post();
    }

    // A statement that Save As accepts, with one customer, saved as `name`.
    void SaveOneCustomer(const QString& name)
    {
        Doc().SetHeaderText(TStatementField::Year, "2024");
        Doc().SetHeaderText(TStatementField::TaxNumber, "123456783");
        Doc().SetHeaderText(TStatementField::Installation, "E");
        Doc().SelectTaxOffice(9);
        PostOneCustomer();
        TDialogs::SetNextFileName(Path(name));
        Form().saveStatementAs();
        QVERIFY(!Doc().UnsavedChanges());
        TakeShown();
    }

    QTabWidget* Tabs() { return Form().findChild<QTabWidget*>(QStringLiteral("PageControl1")); }

    // Types cells of the current row with Tab between them, as an accountant
    // does; the last cell's editor stays open.
    void TypeCellsWithTab(const QStringList& cells)
    {
        for (int i = 0; i < cells.size(); ++i) {
            if (!cells[i].isEmpty()) TypeFocused(cells[i]);
            if (i + 1 < cells.size()) KeyFocused(Qt::Key_Tab);
        }
    }

    void AddRow(TSide side, const char* afm, const QString& name)
    {
        TFixedFormatDataSet& list = Doc().List(side);
        list.Append();
        list.Field(field::Afm).SetAsString(afm);
        list.Field(field::Name).SetAsString(*ToCp1253(name));
        list.Field(field::Ypovolh).SetAsString("1");
        list.Field(field::NoTimologion).SetAsString("1");
        list.Field(field::Value).SetAsString("5");
        list.Post();
        Grid(side)->FollowStore();
    }
    QString FirstName(TSide side) { return Grid(side)->model()->index(0, 1).data().toString(); }

private slots:
    void init() { StartWindow(Shown::Active); }
    void cleanup() { StopWindow(); }

    // Every menu key from the start window, a header field and a cell being
    // edited; a key whose entry is disabled there does nothing. The answers
    // queued keep each command from going further than its first question.
    void menuKeysReachTheirCommandsFromAnywhere_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("triggered");
        const QList<std::pair<int, const char*>> keys = {
            {Qt::Key_N, "N5"},  {Qt::Key_O, "N2"},    {Qt::Key_S, "N7"}, {Qt::Key_P, "PrintKey"},
            {Qt::Key_F, "N17"}, {Qt::Key_T, "Sort1"}, {Qt::Key_Q, "N4"},
        };
        for (const char* where : {"start", "header", "cell"}) {
            for (auto [key, action] : keys) {
                const bool disabledAtStart = QByteArray("N7 PrintKey N17 Sort1").contains(action);
                QTest::addRow("%s Ctrl+%c", where, char(key))
                    << QString::fromLatin1(where) << key << QString::fromLatin1(action)
                    << (QByteArray(where) == "start" && disabledAtStart ? 0 : 1);
            }
        }
    }
    void menuKeysReachTheirCommandsFromAnywhere()
    {
        QFETCH(QString, where);
        QFETCH(int, key);
        QFETCH(QString, action);
        QFETCH(int, triggered);
        if (where != QStringLiteral("start")) New();
        if (where == QStringLiteral("header")) Edit("CompanyName")->setFocus();
        if (where == QStringLiteral("cell")) {
            Grid(TSide::Customers)->setFocus();
            TypeFocused(QStringLiteral("X"));
            QVERIFY(Grid(TSide::Customers)->CellEditorOpen());
        }
        QSignalSpy spy(Form().findChild<QAction*>(action), &QAction::triggered);
        for (int answer : {mrNo, mrCancel, mrCancel}) TDialogs::SetNextAnswer(answer);
        TDialogs::SetNextFileName(std::nullopt);
        TDialogs::SetNextFind(std::nullopt);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : form_.get(), Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(spy.count(), triggered);
        if (action == QStringLiteral("PrintKey") && triggered) {
            QTRY_VERIFY(QApplication::activePopupWidget());
            QCOMPARE(QApplication::activePopupWidget(), form_->menuBar()->actions().at(1)->menu());
            QApplication::activePopupWidget()->close();
        }
    }

    // From a header field, the grid and a cell being edited; a row that its
    // post refuses keeps its list, as a click on the other tab does.
    void ctrlTabAndCtrlPageKeysSwitchTheLists()
    {
        New();
        struct Step {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int page;
        };
        const Step steps[] = {{Qt::Key_Tab, Qt::ControlModifier, 1},
                              {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0},
                              {Qt::Key_PageDown, Qt::ControlModifier, 1},
                              {Qt::Key_PageUp, Qt::ControlModifier, 0},
                              {Qt::Key_M, Qt::AltModifier, 1},
                              {Qt::Key_P, Qt::AltModifier, 0},
                              {Qt::Key(0x39C), Qt::AltModifier, 1},   // Alt+Μ
                              {Qt::Key(0x3A0), Qt::AltModifier, 0}};  // Alt+Π
        for (QWidget* start :
             {static_cast<QWidget*>(Edit("CompanyName")), static_cast<QWidget*>(Grid(TSide::Customers))}) {
            for (const Step& step : steps) {
                start->setFocus();
                // With its text, as a Greek key comes: QTest knows no Greek.
                const bool greek = step.key > 0xff && step.key <= 0xffff;
                const QString text = greek ? QString(QChar(step.key)).toLower() : QString();
                QTest::sendKeyEvent(QTest::Click, start, step.key, text, step.modifiers);
                QCOMPARE(Tabs()->currentIndex(), step.page);
            }
        }
        QCOMPARE(QApplication::focusWidget(), Grid(TSide::Customers));

        Grid(TSide::Customers)->setCurrentIndex(Grid(TSide::Customers)->model()->index(0, 1));
        TypeFocused(QStringLiteral("X"));
        QVERIFY(Grid(TSide::Customers)->CellEditorOpen());
        KeyFocused(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(Tabs()->currentIndex(), 0);
        // An empty tax number is the header's, still empty too.
        QVERIFY(TakeShown().contains(QStringLiteral(u"message: O ΑΦΜ που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου.")));
        QTRY_COMPARE(Grid(TSide::Customers)->currentIndex().column(), 0);
    }

    // However the row is posted, a refusal puts the cursor in the first field
    // its message names that is empty or wrong; Down then begins the next
    // row in the tax number, wherever the cursor was.
    void aRefusedRowShowsItsFieldAndANewRowStartsAtTheTaxNumber_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Down") << QStringLiteral("Down");
        QTest::newRow("Tab") << QStringLiteral("Tab");
        QTest::newRow("post button") << QStringLiteral("post");
    }
    void aRefusedRowShowsItsFieldAndANewRowStartsAtTheTaxNumber()
    {
        QFETCH(QString, how);
        New();
        CounterpartyGrid* grid = Grid(TSide::Customers);
        grid->setFocus();
        TypeCellsWithTab({QStringLiteral("000000050"),
                          {},
                          {},
                          QStringLiteral("1"),
                          {},
                          {},
                          {},
                          {},
                          {},
                          QStringLiteral("7")});  // no invoice count
        QCOMPARE(grid->currentIndex().column(), 9);
        if (how == QStringLiteral("Down"))
            KeyFocused(Qt::Key_Down);
        else if (how == QStringLiteral("Tab"))
            KeyFocused(Qt::Key_Tab);
        else
            Form().Navigator(TSide::Customers)->BtnClick(ListNavigator::nbPost);
        QVERIFY(TakeShown().contains(
            QStringLiteral(u"message: Πρέπει να συμπληρώσετε τα πεδία ΑΦΜ, Υπόχρεος, Αριθ. τιμολογίων, Αξία")));
        QTRY_COMPARE(grid->currentIndex().column(), 8);
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(QApplication::focusWidget(), grid);

        TypeFocused(QStringLiteral("3"));
        KeyFocused(Qt::Key_Down);
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 1);
        QCOMPARE(grid->currentIndex().row(), 1);
        QCOMPARE(grid->currentIndex().column(), 0);
    }

    // The grid's own delete question, which the platform would ask in
    // English, is Greek.
    void theGridsQuestionIsGreekAndBoxesShowTheirTitle()
    {
        New();
        PostOneCustomer();
        TakeShown();
        TDialogs::SetNextAnswer(mrCancel);
        Grid(TSide::Customers)->setFocus();
        KeyFocused(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"ask: Διαγραφή εγγραφής;")});
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 1);

        // A short message still shows the whole title, and the box is no
        // larger than its content (no strip below the buttons).
        TConfirmDialog box(&Form(), QStringLiteral("x"), {TMsgDlgBtn::mbOK}, {QStringLiteral("OK")});
        box.show();
        QFont bold = box.font();
        bold.setBold(true);
        QVERIFY(box.width() > QFontMetrics(bold).horizontalAdvance(box.windowTitle()));
        QCOMPARE(box.size(), box.sizeHint());
        box.hide();
    }

    // Ctrl+T sorts the list of the tab shown; the kinds take Alt and their
    // letter, Greek or Latin.
    void sortAndTheKindByKeyboard()
    {
        New();
        for (TSide side : {TSide::Customers, TSide::Suppliers}) {
            AddRow(side, "100000001", QStringLiteral(u"ΓΑΜΜΑ"));
            AddRow(side, "100000002", QStringLiteral(u"ΑΛΦΑ"));
        }
        Grid(TSide::Customers)->setFocus();
        KeyFocused(Qt::Key_Tab, Qt::ControlModifier);
        KeyFocused(Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(FirstName(TSide::Suppliers), QStringLiteral(u"ΑΛΦΑ"));
        QCOMPARE(FirstName(TSide::Customers), QStringLiteral(u"ΓΑΜΜΑ"));

        auto* debit = Form().findChild<QRadioButton*>(QStringLiteral("RadioButton1"));
        auto* credit = Form().findChild<QRadioButton*>(QStringLiteral("RadioButton2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
        QVERIFY(credit->isChecked());
        QVERIFY(Doc().Header().Credit);
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(0x3A7), QStringLiteral(u"χ"),
                            Qt::AltModifier);  // Alt+Χ
        QTRY_VERIFY(debit->isChecked());
        QVERIFY(!Doc().Header().Credit);
    }

    // One Greek letter per entry in each menu, reached on the Greek layout
    // and on the Latin key in its place.
    void everyMenuEntryHasAGreekLetterAlsoOnItsLatinKey()
    {
        QMenuBar* bar = Form().menuBar();
        QSet<QChar> titles;
        for (QAction* title : bar->actions()) {
            QVERIFY2(!LatinKeyOf(MnemonicOf(title->text())).isNull(), qPrintable(title->text()));
            titles << MnemonicOf(title->text());
            QSet<QChar> letters;
            int entries = 0;
            for (QAction* entry : title->menu()->actions()) {
                if (entry->isSeparator()) continue;
                QVERIFY2(!LatinKeyOf(MnemonicOf(entry->text())).isNull(), qPrintable(entry->text()));
                letters << MnemonicOf(entry->text());
                ++entries;
            }
            QCOMPARE(letters.size(), entries);
        }
        QCOMPARE(titles.size(), bar->actions().size());

        New();
        QSignalSpy open(Form().findChild<QAction*>(QStringLiteral("N2")), &QAction::triggered);
        TDialogs::SetNextFileName(std::nullopt);
        QTest::keyClick(&Form(), Qt::Key_A, Qt::AltModifier);  // Αρχείο, by its Latin key
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_O);  // Άνοιγμα
        QTRY_COMPARE(open.count(), 1);

        QSignalSpy sort(Form().findChild<QAction*>(QStringLiteral("Sort1")), &QAction::triggered);
        QTest::sendKeyEvent(QTest::Click, &Form(), Qt::Key(0x3A1), QStringLiteral(u"ρ"), Qt::AltModifier);  // Εργαλεία
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::sendKeyEvent(QTest::Click, QApplication::activePopupWidget(), Qt::Key(0x3A4), QStringLiteral(u"τ"),
                            Qt::NoModifier);  // Ταξινόμηση
        QTRY_COMPARE(sort.count(), 1);
    }

    // The title as the desktop shows it: the file's name, "*" while there
    // are unsaved changes, the application's title alone without a file.
    void theTitleNamesTheStatementFile()
    {
        const QString application = QStringLiteral(u"Συγκεντρωτικές καταστάσεις πελατών-προμηθευτών");
        auto shown = [this] {
            return Form().windowTitle().replace(QStringLiteral("[*]"),
                                                Form().isWindowModified() ? QStringLiteral("*") : QString());
        };
        QCOMPARE(shown(), application);
        New();
        QCOMPARE(shown(), application);
        SaveOneCustomer(QStringLiteral("ΑΡΧΕΙΟ.stm"));
        QCOMPARE(shown(), QStringLiteral(u"ΑΡΧΕΙΟ.stm — ") + application);
        QApplication::setActiveWindow(&Form());
        Edit("Town")->setFocus();
        TypeFocused(QStringLiteral(u"Α"));
        QCOMPARE(shown(), QStringLiteral(u"ΑΡΧΕΙΟ.stm* — ") + application);
        TDialogs::SetNextAnswer(mrNo);  // not saved first
        New();
        QCOMPARE(shown(), application);
    }

    // The manual without the mouse: F1, the topics by arrows and Enter, Tab
    // on to the print button and the page and back, Esc to close it.
    void theManualByKeyboard()
    {
        Form().setFocus();
        KeyFocused(Qt::Key_F1);
        UserManualWindow* manual = Form().manualWindow();
        QVERIFY(manual->isVisible());
        QApplication::setActiveWindow(manual);
        auto* usage = manual->findChild<QLabel*>(QStringLiteral("Label2"));
        QCOMPARE(QApplication::focusWidget(), usage);
        KeyFocused(Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), manual->findChild<QLabel*>(QStringLiteral("Label3")));
        KeyFocused(Qt::Key_Return);
        QCOMPARE(manual->Browser()->source().fileName(), QStringLiteral("oroi.htm"));
        KeyFocused(Qt::Key_Up);
        KeyFocused(Qt::Key_Space);
        QCOMPARE(manual->Browser()->source().fileName(), QStringLiteral("usermanual.htm"));
        KeyFocused(Qt::Key_Tab);
        KeyFocused(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), manual->findChild<QPushButton*>(QStringLiteral("Button1")));
        KeyFocused(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), manual->Browser());
        KeyFocused(Qt::Key_Tab);  // out of the page, whatever links it holds
        QCOMPARE(QApplication::focusWidget(), manual->findChild<QLabel*>(QStringLiteral("Label1")));
        KeyFocused(Qt::Key_Escape);
        QVERIFY(!manual->isVisible());
    }

    // What is typed right after New or Open goes into the year.
    void newAndOpenLeaveTheCursorInTheYear()
    {
        New();
        TypeFocused(QStringLiteral("2023"));
        QCOMPARE(Edit("YearOfData")->text(), QStringLiteral("2023"));

        SaveOneCustomer(QStringLiteral("s"));
        QApplication::setActiveWindow(&Form());  // after the wait window
        Edit("Town")->setFocus();
        TDialogs::SetNextFileName(Path(QStringLiteral("s")));
        Form().openStatement();
        QCOMPARE(QApplication::focusWidget(), Edit("YearOfData"));

        Edit("Town")->setFocus();  // an Open the user cancels leaves the cursor where it was
        TDialogs::SetNextFileName(std::nullopt);
        Form().openStatement();
        QCOMPARE(QApplication::focusWidget(), Edit("Town"));
    }

    // The README's walk, keys only: New, the header, three rows with Tab,
    // Save As with a lower-case name, Exit. The dialogs' answers are queued
    // as the user gives them.
    void aWholeStatementByKeyboard()
    {
        TDialogs::SetNextAnswer(mrYes);
        Key(&Form(), Qt::Key_N, Qt::ControlModifier);
        TypeFocused(QStringLiteral("2024"));
        KeyFocused(Qt::Key_Tab);
        KeyFocused(Qt::Key_Down);  // the first tax office
        for (const QString& field : {QString(), QStringLiteral(u"ΠΑΠΑΣ"), QStringLiteral("123456783")}) {
            KeyFocused(Qt::Key_Tab);
            TypeFocused(field);
        }
        while (QApplication::focusWidget() != Edit("Egatastash")) KeyFocused(Qt::Key_Tab);
        TypeFocused(QStringLiteral("E"));
        for (int tabs = 0; QApplication::focusWidget() != Grid(TSide::Customers) && tabs < 12; ++tabs)
            KeyFocused(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Grid(TSide::Customers));
        for (const char* afm : {"094014201", "998877665", "000000050"}) {
            TypeCellsWithTab({QString::fromLatin1(afm),
                              QStringLiteral(u"ΟΝΟΜΑ"),
                              {},
                              QStringLiteral("1"),
                              {},
                              {},
                              {},
                              {},
                              QStringLiteral("2"),
                              QStringLiteral("10,5")});
            KeyFocused(Qt::Key_Down);
        }
        KeyFocused(Qt::Key_Escape);  // the empty new row goes
        TDialogs::SetNextFileName(Path(QStringLiteral("katastasi")));
        KeyFocused(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!Doc().UnsavedChanges());
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 3);
        QCOMPARE(Doc().ValueTotalText(TSide::Customers), std::string("31,50"));
        KeyFocused(Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!Form().isVisible());
    }
};

QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
