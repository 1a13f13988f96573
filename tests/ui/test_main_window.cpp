// The main window, driven as a user drives it.
#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "UiTestSupport.h"
#include "common/Cp1253.h"
#include "common/Files.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/FindDialog.h"
#include "ui/GreekText.h"
#include "ui/KeyLed.h"
#include "ui/ListNavigator.h"
#include "ui/MainWindow.h"
#include "ui/RecentFiles.h"
#include "ui/RecordStoreModel.h"

using namespace epinax;
using namespace epinax::ui;
using namespace epinax::ui::test;

namespace {

// The lock keys without an X server: their states, and every change made.
class RecordedLocks : public IKeyboardLocks {
public:
    bool caps = true;
    std::vector<bool> capsChanges;
    bool available = true;
    bool IsOn(Lock lock) override { return lock == Lock::Caps && caps; }
    bool Available() override { return available; }
    void Set(Lock lock, bool on) override
    {
        if (lock != Lock::Caps) return;
        caps = on;
        capsChanges.push_back(on);
    }
};

}  // namespace

class MainWindowTest : public QObject, public MainWindowFixture {
    Q_OBJECT

    QString Bytes(const QString& name)
    {
        QFile file(Path(name));
        file.open(QIODevice::ReadOnly);
        return QString::fromLatin1(file.readAll());
    }

    CounterpartyGrid* Grid(TSide side) { return form_->Grid(side); }
    QTabWidget* PageControl() { return form_->findChild<QTabWidget*>(QStringLiteral("PageControl1")); }
    // Puts the focus on a cell of a grid, as a click does.
    void FocusCell(TSide side, int row, int column)
    {
        CounterpartyGrid* grid = Grid(side);
        QApplication::setActiveWindow(form_.get());
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, column));
    }
    // Types a whole row into the current row of a grid, cell by cell.
    void TypeRow(TSide side, const QStringList& cells)
    {
        for (int column = 0; column < cells.size(); ++column) {
            FocusCell(side, Grid(side)->currentIndex().row(), column);
            if (!cells[column].isEmpty()) TypeFocused(cells[column]);
            Grid(side)->CommitEditor();
        }
    }
    // Fills a valid header through the edits.
    void TypeHeader()
    {
        Edit("YearOfData")->setFocus();
        TypeFocused(QStringLiteral("2024"));
        Edit("AFM")->setFocus();
        TypeFocused(QStringLiteral("123456783"));
        Edit("Egatastash")->setFocus();
        TypeFocused(QStringLiteral(u"Ε"));
        Edit("CompanyName")->setFocus();
        TypeFocused(QStringLiteral(u"ΑΚΜΕ ΑΕ"));
        auto* combo = form_->findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        combo->setCurrentIndex(9);
        emit combo->activated(9);
        QTest::qWait(0);
        TakeShown();
    }

    void AddCustomer(const char* afm, const QString& name)
    {
        auto& list = Doc().List(TSide::Customers);
        list.Append();
        list.Field(field::Afm).SetAsString(afm);
        list.Field(field::Name).SetAsString(*ToCp1253(name));
        list.Field(field::Ypovolh).SetAsString("1");
        list.Field(field::NoTimologion).SetAsString("1");
        list.Field(field::Value).SetAsString("1");
        list.Post();
        Grid(TSide::Customers)->FollowStore();
    }
    QString CurrentName()
    {
        return Grid(TSide::Customers)
            ->model()
            ->index(Grid(TSide::Customers)->currentIndex().row(), 1)
            .data()
            .toString();
    }
    // Answers the find window when it shows, as a user would.
    void AnswerFind(const QString& text, bool byName, bool wholeField, bool ok = true)
    {
        QTimer::singleShot(0, this, [=, this] {
            FindDialog* find = Form().findDialog();
            QVERIFY(find->isVisible());
            find->findChild<QRadioButton*>(byName ? QStringLiteral("RadioButton2") : QStringLiteral("RadioButton1"))
                ->setChecked(true);
            auto* edit = find->findChild<QLineEdit*>(QStringLiteral("Edit1"));
            edit->clear();
            edit->setFocus();
            Type(edit, text);
            find->findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->setChecked(wholeField);
            find->findChild<QPushButton*>(ok ? QStringLiteral("Button1") : QStringLiteral("Button2"))->click();
        });
    }

    void New()
    {
        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        TakeShown();
    }

private slots:
    void init() { StartWindow(Shown::Active); }
    void cleanup() { StopWindow(); }

    // The window goes with the focus in its find window and a cell being
    // edited: nothing may reach it while it is half gone (the sanitizer tree
    // runs this too).
    void destroyingTheWindowWithFocusAnywhereIsSafe()
    {
        New();
        TypeHeader();
        FocusCell(TSide::Customers, 0, 1);
        TypeFocused(QStringLiteral(u"ΟΝΟΜΑ"));
        FindDialog* find = Form().findDialog();
        find->show();
        QApplication::setActiveWindow(find);
        auto* search = find->findChild<QLineEdit*>(QStringLiteral("Edit1"));
        search->setFocus();
        QTest::qWait(0);
        QCOMPARE(QApplication::focusWidget(), search);
        Doc().MarkSaved();
        form_.reset();
        QTest::qWait(0);
    }

    // Before a statement is open the menu is reached by keyboard alone, and
    // nothing hidden under the welcome panel holds the focus or checks itself.
    void menuByKeyboardOnTheStartWindow()
    {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(!focus || !focus->isEnabled() || !Edit("YearOfData")->isEnabled());
        QVERIFY(!Edit("YearOfData")->isEnabled());
        QVERIFY(!Grid(TSide::Customers)->isEnabled());

        QMenuBar* bar = form_->menuBar();
        QTest::keyClick(form_.get(), Qt::Key_F10);
        QTRY_VERIFY(bar->activeAction() != nullptr);
        QCOMPARE(bar->activeAction()->text(), QStringLiteral(u"&Αρχείο"));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : form_.get(), Qt::Key_Escape);
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        QTest::keyClick(form_.get(), Qt::Key_Alt);
        QTest::qWait(0);
        QCOMPARE(TakeShown(), QStringList{});  // no year message, however often

        // The entries carry Greek mnemonics.
        QCOMPARE(QKeySequence::mnemonic(bar->actions().first()->text()),
                 QKeySequence(QKeyCombination(Qt::ALT, Qt::Key(0x0391))));  // Alt+Α
        New();
        QVERIFY(Edit("YearOfData")->isEnabled());
        QVERIFY(Grid(TSide::Customers)->isEnabled());
    }

    void confirmationBoxButtonsEscapeAndCloseBox()
    {
        auto ask = [](std::vector<TMsgDlgBtn> buttons, QStringList captions, std::function<void(TConfirmDialog&)> act) {
            TConfirmDialog box(nullptr, QStringLiteral(u"Ερώτηση;"), buttons, captions);
            QTimer::singleShot(0, &box, [&] { act(box); });
            box.exec();
            return box.Result();
        };
        using B = TMsgDlgBtn;
        auto escape = [](TConfirmDialog& box) { QTest::keyClick(&box, Qt::Key_Escape); };
        auto closeBox = [](TConfirmDialog& box) { box.close(); };
        QCOMPARE(ask({B::mbYes, B::mbNo}, {QStringLiteral(u"Ναι"), QStringLiteral(u"Όχι")}, escape), mrNo);
        QCOMPARE(ask({B::mbYes, B::mbNo, B::mbCancel}, {}, escape), mrCancel);
        QCOMPARE(ask({B::mbYes, B::mbNo}, {}, closeBox), mrCancel);
        QCOMPARE(ask({B::mbYes, B::mbNo, B::mbCancel},
                     {QStringLiteral(u"Πελατών"), QStringLiteral(u"Προμ/τών"), QStringLiteral(u"Ακύρωση")},
                     [](TConfirmDialog& box) {
                         auto buttons = box.findChildren<QPushButton*>();
                         std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
                         QCOMPARE(buttons.size(), 3);
                         QCOMPARE(buttons[0]->text(), QStringLiteral(u"Πελατών"));
                         QCOMPARE(buttons[1]->text(), QStringLiteral(u"Προμ/τών"));
                         QCOMPARE(buttons[2]->text(), QStringLiteral(u"Ακύρωση"));
                         QVERIFY(buttons[0]->isDefault());
                         buttons[1]->click();
                     }),
                 mrNo);
        QCOMPARE(ask({B::mbYes, B::mbNo}, {}, [](TConfirmDialog& box) { QTest::keyClick(&box, Qt::Key_Return); }),
                 mrYes);
        // A line longer than the screen is wrapped, so the box shows it whole.
        TConfirmDialog wide(nullptr, QStringLiteral(u"Η αποθήκευση απέτυχε ").repeated(40), {B::mbOK}, {});
        wide.show();
        QVERIFY(wide.frameGeometry().width() <= wide.screen()->availableGeometry().width());
    }

    void newAnsweredNoThenYes()
    {
        QVERIFY(form_->findChild<QWidget*>(QStringLiteral("Panel2"))->isVisible());
        QVERIFY(!form_->findChild<QAction*>(QStringLiteral("N7"))->isEnabled());
        TDialogs::SetNextAnswer(mrNo);
        Form().newStatement();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"ask: Δημιουργία νέου αρχείου;")});
        QVERIFY(form_->findChild<QWidget*>(QStringLiteral("Panel2"))->isVisible());

        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"ask: Δημιουργία νέου αρχείου;")});
        QVERIFY(!form_->findChild<QWidget*>(QStringLiteral("Panel2"))->isVisible());
        QVERIFY(form_->findChild<QAction*>(QStringLiteral("N7"))->isEnabled());
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("Label32"))->text(), QStringLiteral(u"0 Εγγραφές (Πελάτες)"));
        QVERIFY(QFile::exists(Path(QStringLiteral("temp/record2"))));
    }

    void headerKeysAreFilteredAndBeep()
    {
        New();
        Doc().MarkSaved();
        Edit("TK")->setFocus();
        TypeFocused(QStringLiteral("1a2"));
        QCOMPARE(Edit("TK")->text(), QStringLiteral("12"));
        QVERIFY(Doc().UnsavedChanges());
        QCOMPARE(TakeShown(), QStringList{QStringLiteral("beep")});
        Edit("Egatastash")->setFocus();
        TypeFocused(QStringLiteral(u"Εe1E"));
        QCOMPARE(Edit("Egatastash")->text(), QStringLiteral("E1"));
        QCOMPARE(TakeShown().count(QStringLiteral("beep")), 2);
        QCOMPARE(Doc().Header().Installation, std::string("E1"));
        Edit("CompanyName")->setFocus();
        TypeFocused(QStringLiteral(u"ΠΑΠΑΣ Ж"));  // a character outside the code page is refused
        QCOMPARE(Edit("CompanyName")->text(), QStringLiteral(u"ΠΑΠΑΣ "));
        QCOMPARE(TakeShown(), QStringList{QStringLiteral("beep")});
        QCOMPARE(Doc().Header().CompanyName, std::string("ΠΑΠΑΣ "));
        Doc().MarkSaved();
        TypeFocused(QStringLiteral(u"Ж"));  // refused, yet a key pressed like any other
        QVERIFY(Doc().UnsavedChanges());
        TakeShown();
        Edit("EditSum")->setFocus();
        Doc().MarkSaved();
        TypeFocused(QStringLiteral("5"));
        QVERIFY(!Doc().UnsavedChanges());
        QCOMPARE(TakeShown(), QStringList{QStringLiteral("beep")});
    }

    void pastedTextIsHeldToLimitsAndCodePage()
    {
        New();
        Edit("AFM")->setFocus();
        Edit("AFM")->insert(QStringLiteral("12345678901234"));
        QCOMPARE(Edit("AFM")->text(), QStringLiteral("123456789"));
        Edit("CompanyName")->insert(QStringLiteral(u"中文"));
        QCOMPARE(Edit("CompanyName")->text(), QString());
    }

    void pastedNumbersThatAreNoNumbersEndInAMessage()
    {
        New();
        TypeHeader();
        FocusCell(TSide::Customers, 0, 0);
        TypeRow(TSide::Customers, {QStringLiteral("000000050"), QStringLiteral("A"), QString(), QStringLiteral("1"),
                                   QString(), QString(), QString(), QString(), QStringLiteral("1")});
        FocusCell(TSide::Customers, 0, 9);
        TypeFocused(QStringLiteral("1"));
        qobject_cast<QLineEdit*>(QApplication::focusWidget())->insert(QStringLiteral("2a"));  // a paste
        Key(Grid(TSide::Customers), Qt::Key_Down);
        QCOMPARE(TakeShown(), QStringList{QStringLiteral("error: '12a' is not a valid floating point value")});
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsInsert);
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 0);
        KeyFocused(Qt::Key_S, Qt::ControlModifier);  // not saved without the row
        QCOMPARE(TakeShown(), QStringList{QStringLiteral("error: '12a' is not a valid floating point value")});

        Edit("EditPub2")->setFocus();
        Edit("EditPub2")->insert(QStringLiteral("x9"));
        Edit("Town")->setFocus();
        QTest::qWait(0);
        // What is no number counts as no public-sector value at all.
        QCOMPARE(TakeShown(), QStringList{});
        QCOMPARE(Edit("EditPub2")->text(), QStringLiteral("0"));
    }

    void leavingYearAndTaxNumberChecksThem()
    {
        New();
        Edit("YearOfData")->setFocus();
        TypeFocused(QStringLiteral("1899"));
        Edit("AFM")->setFocus();
        QTest::qWait(0);
        QCOMPARE(TakeShown(),
                 (QStringList{QStringLiteral("beep"),
                              QStringLiteral(u"message: Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία")}));
        QCOMPARE(QApplication::focusWidget(), Edit("YearOfData"));

        Edit("YearOfData")->selectAll();
        TypeFocused(QStringLiteral("2025"));
        Edit("AFM")->setFocus();
        TypeFocused(QStringLiteral("123456789"));
        Edit("Town")->setFocus();
        QTest::qWait(0);
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"message: Λάθος ΑΦΜ Υπόχρεου")});
        QCOMPARE(QApplication::focusWidget(), Edit("AFM"));
    }

    // What the statement says comes back to the window, which shows it where
    // it is corrected: a Save As refused takes the focus to its field; a
    // header change that cannot be kept is the error display's, and undone.
    void refusalsAndFailuresAreShownWhereTheyAreCorrected()
    {
        New();
        TypeHeader();
        Edit("Egatastash")->setFocus();
        KeyFocused(Qt::Key_Backspace);
        FocusCell(TSide::Customers, 0, 1);
        KeyFocused(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"message: Η αποθήκευση σε αρχείο απέτυχε: Συμπληρώστε "
                                                         u"το Είδος εγκατάστασης και επαναλάβετε την αποθήκευση.")});
        QCOMPARE(QApplication::focusWidget(), Edit("Egatastash"));

        // A working file marked read-only is never replaced, whoever runs the test.
        QFile::setPermissions(Path(QStringLiteral("temp/generaldata")), QFileDevice::ReadOwner);
        Edit("CompanyName")->setFocus();
        TypeFocused(QStringLiteral("X"));
        const QStringList shown = TakeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith(QStringLiteral(u"error: Η αλλαγή των γενικών στοιχείων δεν κρατήθηκε")),
                 qPrintable(shown[0]));
        QCOMPARE(Edit("CompanyName")->text(), QStringLiteral(u"ΑΚΜΕ ΑΕ"));
        QFile::setPermissions(Path(QStringLiteral("temp/generaldata")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void rowTypedRefusedCorrectedAndPosted()
    {
        New();
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsBrowse);
        TypeHeader();
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsBrowse);
        QAbstractItemModelTester tester(Grid(TSide::Customers)->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        FocusCell(TSide::Customers, 0, 0);
        TypeFocused(QStringLiteral("1"));
        KeyFocused(Qt::Key_Down);  // from the open editor: the row is posted, and refused
        QCOMPARE(TakeShown(), (QStringList{QStringLiteral("beep"),
                                           QStringLiteral(u"message: Πρέπει να συμπληρώσετε τα πεδία ΑΦΜ, Υπόχρεος, "
                                                          u"Αριθ. τιμολογίων, Αξία")}));
        FocusCell(TSide::Customers, 0, 0);
        TypeRow(TSide::Customers,
                {QStringLiteral("123456780"), QStringLiteral(u"ΠΑΠΑΔΟΠΟΥΛΟΣ"), QString(), QStringLiteral("0"),
                 QString(), QString(), QString(), QString(), QStringLiteral("3"), QStringLiteral("100,5")});
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsInsert);
        Key(Grid(TSide::Customers), Qt::Key_Down);  // leaving the row posts it
        QCOMPARE(TakeShown(),
                 (QStringList{QStringLiteral("beep"),
                              QStringLiteral(u"message: Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή πελάτη")}));
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsInsert);
        QCOMPARE(Grid(TSide::Customers)->currentIndex().row(), 0);
        QCOMPARE(Grid(TSide::Customers)->model()->index(0, 1).data().toString(), QStringLiteral(u"ΠΑΠΑΔΟΠΟΥΛΟΣ"));
        QCOMPARE(QApplication::focusWidget(), Grid(TSide::Customers));

        FocusCell(TSide::Customers, 0, 0);
        TypeFocused(QStringLiteral("000000050"));
        Grid(TSide::Customers)->CommitEditor();
        auto* post = Form().Navigator(TSide::Customers)->Button(ListNavigator::nbPost);
        QVERIFY(Grid(TSide::Customers)->CellEditorOpen());
        post->click();
        QCOMPARE(TakeShown(), QStringList{});
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 1);
        QVERIFY(!Grid(TSide::Customers)->CellEditorOpen());  // no editor left open
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsBrowse);
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("Label32"))->text(), QStringLiteral(u"1 Εγγραφές (Πελάτες)"));
        QCOMPARE(Edit("EditSum")->text(), QStringLiteral("3"));
        QCOMPARE(Edit("EditSumValue")->text(), QStringLiteral("100,50"));
    }

    void gridColumnsFilterKeys()
    {
        New();
        FocusCell(TSide::Customers, 0, 3);
        TypeFocused(QStringLiteral("2"));
        QCOMPARE(TakeShown(), QStringList{QStringLiteral("beep")});
        FocusCell(TSide::Customers, 0, 9);
        TypeFocused(QStringLiteral("1,5,a"));
        Grid(TSide::Customers)->CommitEditor();
        QCOMPARE(Grid(TSide::Customers)->model()->index(0, 9).data().toString(), QStringLiteral("1,5"));
        QCOMPARE(TakeShown().count(QStringLiteral("beep")), 2);
        FocusCell(TSide::Customers, 0, 1);
        TypeFocused(QStringLiteral(u"Όνομα 1,"));
        Grid(TSide::Customers)->CommitEditor();
        QCOMPARE(Grid(TSide::Customers)->model()->index(0, 1).data().toString(), QStringLiteral(u"Όνομα 1,"));
    }

    void tabSwitchWithARefusedRowStays()
    {
        New();
        TypeHeader();
        FocusCell(TSide::Customers, 0, 0);
        TypeRow(TSide::Customers, {QStringLiteral("123456783")});  // the own number
        auto* tabs = form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        tabs->setCurrentIndex(1);
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(TakeShown(),
                 (QStringList{QStringLiteral("beep"),
                              QStringLiteral(u"message: O ΑΦΜ που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου.")}));
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsInsert);

        Doc().List(TSide::Customers).Cancel();
        tabs->setCurrentIndex(1);
        QCOMPARE(tabs->currentIndex(), 1);
    }

    void deleteAsksFirst()
    {
        New();
        TypeHeader();
        FocusCell(TSide::Suppliers, 0, 0);
        TypeRow(TSide::Suppliers,
                {QStringLiteral("000000050"), QStringLiteral("A"), QString(), QStringLiteral("1"), QString(), QString(),
                 QString(), QString(), QStringLiteral("0"), QStringLiteral("7")});
        Form().Navigator(TSide::Suppliers)->BtnClick(ListNavigator::nbPost);
        QCOMPARE(Doc().List(TSide::Suppliers).RecordCount(), 1);
        TakeShown();
        TDialogs::SetNextAnswer(mrNo);
        Form().Navigator(TSide::Suppliers)->BtnClick(ListNavigator::nbDelete);
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"ask: Είστε σίγουρος;")});
        QCOMPARE(Doc().List(TSide::Suppliers).RecordCount(), 1);
        TDialogs::SetNextAnswer(mrYes);
        Form().Navigator(TSide::Suppliers)->BtnClick(ListNavigator::nbDelete);
        QCOMPARE(Doc().List(TSide::Suppliers).RecordCount(), 0);
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("Label33"))->text(),
                 QStringLiteral(u"0 Εγγραφές (Προμηθευτές)"));
        QCOMPARE(Edit("EditSumValue2")->text(), QStringLiteral("0,00"));
    }

    void downOnTheLastRowAppendsAndInsertInserts()
    {
        New();
        TypeHeader();
        FocusCell(TSide::Customers, 0, 0);
        TypeRow(TSide::Customers,
                {QStringLiteral("000000050"), QStringLiteral("B"), QString(), QStringLiteral("1"), QString(), QString(),
                 QString(), QString(), QStringLiteral("1"), QStringLiteral("7")});
        Key(Grid(TSide::Customers), Qt::Key_Down);
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 1);
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsInsert);
        QCOMPARE(Grid(TSide::Customers)->currentIndex().row(), 1);
        Key(Grid(TSide::Customers), Qt::Key_Up);  // the untouched new row is dropped
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsBrowse);
        QCOMPARE(Grid(TSide::Customers)->model()->rowCount(), 1);
        Key(Grid(TSide::Customers), Qt::Key_Insert);
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsInsert);
        QCOMPARE(Doc().List(TSide::Customers).PendingInsertIndex(), 0);
        Edit("Town")->setFocus();  // leaving the grid drops the untouched row
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsBrowse);
    }

    // A whole row typed with Tab between the cells, as an accountant types:
    // Tab out of the last cell starts the next row, never the first one, and
    // Shift+Tab goes back along the rows without wrapping either.
    void tabMovesAlongRowsAndNeverWraps()
    {
        New();
        TypeHeader();
        CounterpartyGrid* grid = Grid(TSide::Customers);
        FocusCell(TSide::Customers, 0, 0);
        auto typeRowWithTabs = [&](const QStringList& cells) {
            for (const QString& cell : cells) {
                if (!cell.isEmpty()) TypeFocused(cell);
                KeyFocused(Qt::Key_Tab);
            }
        };
        typeRowWithTabs({QStringLiteral("000000050"), QStringLiteral("A"), QString(), QStringLiteral("1"), QString(),
                         QString(), QString(), QString(), QStringLiteral("1"), QStringLiteral("7")});
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 1);
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, 0));
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsInsert);
        typeRowWithTabs({QStringLiteral("000000104"), QStringLiteral("B"), QString(), QStringLiteral("1"), QString(),
                         QString(), QString(), QString(), QStringLiteral("2"), QStringLiteral("8")});
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 2);
        QCOMPARE(grid->currentIndex(), grid->model()->index(2, 0));
        QCOMPARE(TakeShown(), QStringList{});

        // From a middle row's last cell to the next row's first, not editing.
        Key(grid, Qt::Key_Escape);
        grid->setCurrentIndex(grid->model()->index(0, 9));
        Key(grid, Qt::Key_Tab);
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, 0));
        Key(grid, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 9));
        grid->setCurrentIndex(grid->model()->index(0, 0));
        Key(grid, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 0));
        // The first customer was never typed over.
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("A"));
        QCOMPARE(grid->model()->index(1, 1).data().toString(), QStringLiteral("B"));
    }

    // File names are typed as they are while a file dialog is open; the
    // Greek capitals of the data come back afterwards.
    void capsLockIsOffWhileAFileDialogIsOpen()
    {
        RecordedLocks locks;
        TKeyLed::SetLocksForTests(&locks);
        New();
        TypeHeader();
        TDialogs::SetNextFileName(Path(QStringLiteral("saved")));
        Form().saveStatementAs();
        QCOMPARE(locks.capsChanges, (std::vector<bool>{false, true}));
        TDialogs::SetNextFileName(std::nullopt);  // the open dialog cancelled
        Form().openStatement();
        QCOMPARE(locks.capsChanges, (std::vector<bool>{false, true, false, true}));
        locks.caps = false;  // switched off by the user: left off
        Form().openStatement();
        QCOMPARE(locks.capsChanges.size(), size_t{4});
        TKeyLed::SetLocksForTests(nullptr);
        TakeShown();
    }

    // Caps Lock goes back at exit to what the user had, also after a run
    // that ended without closing had left it on.
    void capsLockAtExitAsFoundAtStart()
    {
        RecordedLocks locks;
        TKeyLed::SetLocksForTests(&locks);
        const std::string directory = dir_->path().toStdString() + "/";
        auto run = [&](bool closeIt) {
            MainWindow window({directory, [] { return TDate{2025, 3, 14}; }});
            QVERIFY(locks.caps);
            if (closeIt) window.close();
        };
        form_->close();
        locks.caps = true;
        run(true);  // found on, left on
        QVERIFY(locks.caps);
        locks.caps = false;
        run(false);  // ended without closing: the lock stays on
        QVERIFY(locks.caps);
        run(true);  // the next run gives back what the crashed one found
        QVERIFY(!locks.caps);
        TKeyLed::SetLocksForTests(nullptr);
    }

    // Where the locks cannot be switched (Wayland), letters typed into the
    // window's edits and grids arrive as capitals, with Shift as small ones.
    void capitalsWhereCapsLockCannotBeSwitched()
    {
        RecordedLocks locks;
        locks.available = false;
        TKeyLed::SetLocksForTests(&locks);
        New();
        QLineEdit* name = Edit("CompanyName");
        name->setFocus();
        TypeFocused(QStringLiteral(u"παπάς"));
        QTest::keyClick(name, Qt::Key_B, Qt::ShiftModifier);
        QCOMPARE(name->text(), QStringLiteral(u"ΠΑΠΆΣb"));
        FocusCell(TSide::Customers, 0, 1);
        TypeFocused(QStringLiteral(u"όνομα"));
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text(), QStringLiteral(u"ΌΝΟΜΑ"));
        TKeyLed::SetLocksForTests(nullptr);
    }

    // A statement saved comes back from the recent list, which the next run
    // reads too; one gone is taken off the list with a message.
    void recentFilesOpenAgainAndForgetTheMissing()
    {
        New();
        TypeHeader();
        TDialogs::SetNextFileName(Path(QStringLiteral("saved")));
        Form().saveStatementAs();
        TakeShown();
        const QStringList kept = TRecentFiles(Path(QStringLiteral("recent")).toStdString()).Paths();
        QCOMPARE(kept.size(), 1);
        auto* recent = form_->findChild<QMenu*>(QStringLiteral("RecentFiles"));
        QCOMPARE(recent->actions().size(), 1);
        QCOMPARE(recent->actions().first()->text(), QStringLiteral("&1 ") + kept.first());
        recent->actions().first()->trigger();
        QCOMPARE(TakeShown(), QStringList{});
        QVERIFY(Form().windowTitle().startsWith(QFileInfo(kept.first()).fileName()));
        QVERIFY(QFile::remove(kept.first()));
        recent->actions().first()->trigger();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"message: Το αρχείο ") + kept.first() +
                                          QStringLiteral(u" δεν βρέθηκε· αφαιρέθηκε από τα πρόσφατα αρχεία.")});
        QVERIFY(!recent->isEnabled());
    }

    void saveAsThenOpenRestoresEverything()
    {
        New();
        TypeHeader();
        FocusCell(TSide::Customers, 0, 0);
        TypeRow(TSide::Customers,
                {QStringLiteral("000000050"), QStringLiteral(u"ΠΕΛΑΤΗΣ"), QString(), QStringLiteral("0"), QString(),
                 QString(), QString(), QString(), QStringLiteral("12"), QStringLiteral("1234,5")});
        Edit("EditPub1")->setFocus();
        TypeFocused(QStringLiteral("50"));
        TDialogs::SetNextFileName(Path(QStringLiteral("out")));
        Form().saveStatementAs();
        QStringList shown = TakeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].startsWith(QStringLiteral(u"message: Επιτυχής Αποθήκευση Αρχείου.")));
        QVERIFY(!Doc().UnsavedChanges());
        QString bytes = Bytes(QStringLiteral("out"));
        QStringList lines = bytes.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("0IL01    20250314").leftJustified(150));
        QCOMPARE(lines[2].mid(0, 15), QStringLiteral("200001000000050"));
        QCOMPARE(lines[2].mid(92, 23), QStringLiteral("00000120000000000123450"));
        QCOMPARE(lines[3].mid(10, 16), QStringLiteral("0000000000005000"));
        QVERIFY(Grid(TSide::Customers)->isVisible());

        New();
        QCOMPARE(Edit("AFM")->text(), QString());
        TDialogs::SetNextFileName(Path(QStringLiteral("out")));
        Form().openStatement();
        QCOMPARE(TakeShown(), QStringList{});
        QCOMPARE(Edit("AFM")->text(), QStringLiteral("123456783"));
        QCOMPARE(Edit("CompanyName")->text(), QStringLiteral(u"ΑΚΜΕ ΑΕ"));
        QCOMPARE(form_->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->currentIndex(), 9);
        QCOMPARE(Edit("EditPub1")->text(), QStringLiteral("50"));
        QCOMPARE(Edit("EditSumValue")->text(), QStringLiteral("1234,50"));
        QCOMPARE(Grid(TSide::Customers)->model()->index(0, 1).data().toString(), QStringLiteral(u"ΠΕΛΑΤΗΣ"));
        QVERIFY(form_->findChild<QRadioButton*>(QStringLiteral("RadioButton1"))->isChecked());
    }

    void closingAsksOnlyWithUnsavedChanges()
    {
        QVERIFY(form_->close());
        QCOMPARE(TakeShown(), QStringList{});
        QVERIFY(!QFile::exists(Path(QStringLiteral("temp"))));
    }

    void closingWithChangesFollowsTheAnswer()
    {
        New();
        TypeHeader();
        TDialogs::SetNextAnswer(mrCancel);
        QVERIFY(!form_->close());
        TDialogs::SetNextAnswer(mrYes);
        TDialogs::SetNextFileName(std::nullopt);  // the save dialog is cancelled: the window stays
        QVERIFY(!form_->close());
        QVERIFY(QFile::exists(Path(QStringLiteral("temp/record2"))));
        TDialogs::SetNextAnswer(mrYes);
        TDialogs::SetNextFileName(Path(QStringLiteral("saved")));
        QVERIFY(form_->close());
        QVERIFY(QFile::exists(Path(QStringLiteral("saved"))));
        QVERIFY(!QFile::exists(Path(QStringLiteral("temp"))));
    }

    void closingWithChangesAnsweredNo()
    {
        New();
        Doc().MarkChanged();
        TDialogs::SetNextAnswer(mrNo);
        QVERIFY(form_->close());
        QCOMPARE(TakeShown(),
                 QStringList{QStringLiteral(u"ask: Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο;")});
    }

    // New and Open through the menu ask as closing does, before anything.
    void newAndOpenWithUnsavedChangesAskFirst()
    {
        const QString question = QStringLiteral(u"ask: Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο;");
        New();
        TypeHeader();
        AddCustomer("100000001", QStringLiteral(u"ΠΡΩΤΟΣ"));
        Doc().MarkChanged();
        TDialogs::SetNextAnswer(mrCancel);
        Form().openStatement();
        QCOMPARE(TakeShown(), QStringList{question});
        TDialogs::SetNextAnswer(mrCancel);
        Form().newStatement();
        QCOMPARE(TakeShown(), QStringList{question});
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 1);
        // A save that did not happen replaces nothing: the dialog cancelled,
        // then the file there kept.
        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        QCOMPARE(TakeShown(), QStringList{question});
        QFile there(Path(QStringLiteral("there")));
        QVERIFY(there.open(QIODevice::WriteOnly));
        there.close();
        TDialogs::SetNextAnswer(mrYes);
        TDialogs::SetNextFileName(there.fileName());
        TDialogs::SetNextAnswer(mrNo);
        Form().newStatement();
        QCOMPARE(TakeShown(), (QStringList{question, QStringLiteral(u"ask: Είστε σίγουρος ότι θέλετε να "
                                                                    u"αντικαταστήσετε το αρχείο there;")}));
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 1);
        TDialogs::SetNextAnswer(mrNo);
        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        QCOMPARE(TakeShown(), (QStringList{question, QStringLiteral(u"ask: Δημιουργία νέου αρχείου;")}));
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 0);
    }

    // Every column shows whole, with or without a vertical scroll bar, on
    // both tabs: no horizontal scrolling ever hides the tax number.
    void everyColumnFitsTheGrid()
    {
        New();
        TypeHeader();
        auto columnsFit = [&](TSide side) {
            CounterpartyGrid* grid = Grid(side);
            int right = grid->horizontalHeader()->sectionViewportPosition(9) + grid->columnWidth(9);
            return right <= grid->viewport()->width() && !grid->horizontalScrollBar()->isVisible();
        };
        for (int rows : {0, 1, 40}) {
            for (TSide side : {TSide::Customers, TSide::Suppliers}) {
                auto& list = Doc().List(side);
                while (list.RecordCount() < rows) {
                    list.Append();
                    list.Field(field::Afm).SetAsString(std::to_string(100000000 + list.RecordCount() * 10));
                    list.Field(field::Ypovolh).SetAsString("1");
                    list.Field(field::NoTimologion).SetAsString("1");
                    list.Field(field::Value).SetAsString("1");
                    list.Post();
                }
                PageControl()->setCurrentIndex(side == TSide::Customers ? 0 : 1);
                QTest::qWait(0);
                QVERIFY2(columnsFit(side), qPrintable(QStringLiteral("%1 rows").arg(rows)));
                Grid(side)->setCurrentIndex(Grid(side)->model()->index(0, 9));  // the value column
                QCOMPARE(Grid(side)->horizontalScrollBar()->value(), 0);
            }
        }
        PageControl()->setCurrentIndex(0);
        QTest::qWait(0);
        QVERIFY(Grid(TSide::Customers)->verticalScrollBar()->isVisible());  // 40 rows do not fit
        QVERIFY(columnsFit(TSide::Customers));
        QCOMPARE(CounterpartyGrid::FittedWidths({100, 200}, {50, 60}, 300), (std::vector<int>{100, 200}));
        auto shrunk = CounterpartyGrid::FittedWidths({100, 200}, {50, 60}, 200);
        QCOMPARE(shrunk[0] + shrunk[1], 200);
        QVERIFY(shrunk[0] >= 50 && shrunk[1] >= 60);
        auto cut = CounterpartyGrid::FittedWidths({100, 200}, {50, 60}, 80);
        QVERIFY(cut[0] + cut[1] <= 80);
    }

    // A larger window gives the grids the room (more rows, wider columns),
    // and the next run opens at the size the user left.
    void aLargerWindowIsKeptForTheNextRun()
    {
        New();
        CounterpartyGrid* grid = Grid(TSide::Customers);
        const int heightBefore = grid->viewport()->height(), nameWidthBefore = grid->columnWidth(1);
        form_->resize(form_->size() + QSize(300, 200));
        QTRY_VERIFY(grid->viewport()->height() > heightBefore);
        QTRY_VERIFY(grid->columnWidth(1) > nameWidthBefore);
        QVERIFY(grid->horizontalHeader()->sectionViewportPosition(9) + grid->columnWidth(9) <=
                grid->viewport()->width());
        const QSize larger = form_->size();
        Doc().MarkSaved();
        form_->close();
        MainWindow next({dir_->path().toStdString() + "/", [] { return TDate{2025, 3, 14}; }});
        QCOMPARE(next.size(), larger);
    }

    // A workbook imported through the menu fills the list, its counts and
    // totals, and shows its tab, as typed rows would.
    void importThroughTheMenu()
    {
        New();
        TypeHeader();
        QVERIFY(form_->findChild<QAction*>(QStringLiteral("Excel1"))->isEnabled());
        Doc().MarkSaved();
        TDialogs::SetNextAnswer(mrNo);  // "Προμ/τών"
        TDialogs::SetNextFileName(QString::fromUtf8(EPINAX_TEST_DATA "/workbooks/import-good.xlsx"));
        form_->findChild<QAction*>(QStringLiteral("Excel1"))->trigger();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"ask: Θέλετε να εισάγετε τιμολόγια Πελατών ή Προμηθευτών;")});
        QCOMPARE(PageControl()->currentIndex(), 1);
        QCOMPARE(Grid(TSide::Suppliers)->model()->rowCount(), 2);
        QCOMPARE(Grid(TSide::Suppliers)->model()->index(1, 0).data().toString(), QStringLiteral("000000104"));
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("Label33"))->text(),
                 QStringLiteral(u"2 Εγγραφές (Προμηθευτές)"));
        QCOMPARE(Edit("EditSumValue2")->text(), QStringLiteral("1750,50"));
        QVERIFY(Doc().UnsavedChanges());
    }

    void wheelMovesOneRowPerNotch()
    {
        New();
        TypeHeader();
        for (const char* afm : {"000000050", "000000104"}) {
            Doc().List(TSide::Customers).Append();
            Doc().List(TSide::Customers).Field(field::Afm).SetAsString(afm);
            Doc().List(TSide::Customers).Field(field::Ypovolh).SetAsString("1");
            Doc().List(TSide::Customers).Field(field::NoTimologion).SetAsString("1");
            Doc().List(TSide::Customers).Field(field::Value).SetAsString("1");
            Doc().List(TSide::Customers).Post();
        }
        Doc().List(TSide::Customers).First();
        QWidget* viewport = Grid(TSide::Customers)->viewport();
        QPoint at = viewport->rect().center();
        QWheelEvent toUser(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                           Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &toUser);
        QCOMPARE(Doc().List(TSide::Customers).CurrentIndex(), 1);
        QWheelEvent away(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &away);
        QCOMPARE(Doc().List(TSide::Customers).CurrentIndex(), 0);
    }

    void sortButtonsSortTheirListOnly()
    {
        New();
        TypeHeader();
        AddCustomer("100000001", QStringLiteral(u"ΓΑΜΜΑ"));
        AddCustomer("100000002", QStringLiteral(u"ΑΛΦΑ"));
        Doc().MarkSaved();
        form_->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        QCOMPARE(Grid(TSide::Customers)->model()->index(0, 1).data().toString(), QStringLiteral(u"ΑΛΦΑ"));
        QCOMPARE(Grid(TSide::Customers)->currentIndex().row(), 0);
        QVERIFY(Doc().UnsavedChanges());
        QVERIFY(Grid(TSide::Customers)->isVisible());
        QVERIFY(!QApplication::overrideCursor());

        // A refused pending row: nothing changes.
        FocusCell(TSide::Customers, 0, 0);
        Key(Grid(TSide::Customers), Qt::Key_Insert);
        TypeRow(TSide::Customers,
                {QStringLiteral("123456780"), QStringLiteral(u"ΩΜΕΓΑ"), QString(), QStringLiteral("0")});
        Doc().MarkSaved();
        TakeShown();
        form_->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        QCOMPARE(TakeShown(),
                 (QStringList{QStringLiteral("beep"),
                              QStringLiteral(
                                  u"message: Πρέπει να συμπληρώσετε τα πεδία ΑΦΜ, Υπόχρεος, Αριθ. τιμολογίων, Αξία")}));
        QVERIFY(!Doc().UnsavedChanges());
        QCOMPARE(Doc().List(TSide::Customers).State(), TDataSetState::dsInsert);
    }

    void findThroughTheWindow()
    {
        New();
        TypeHeader();
        AddCustomer("100000001", QStringLiteral(u"ΠΑΠΑΣ ΑΕ"));
        AddCustomer("123450000", QStringLiteral(u"ΠΑΠΑΣ"));
        AddCustomer("200000001", QStringLiteral(u"ΑΛΛΟΣ"));
        Doc().List(TSide::Customers).First();

        AnswerFind(QStringLiteral(u"ΠΑΠΑΣ"), true, true);
        Form().findCounterparty();
        QCOMPARE(CurrentName(), QStringLiteral(u"ΠΑΠΑΣ"));
        AnswerFind(QStringLiteral(u"ΠΑΠΑΣ"), true, false);
        Form().findCounterparty();
        QCOMPARE(CurrentName(), QStringLiteral(u"ΠΑΠΑΣ ΑΕ"));
        AnswerFind(QStringLiteral("2000"), false, false);
        Form().findCounterparty();
        QCOMPARE(CurrentName(), QStringLiteral(u"ΑΛΛΟΣ"));
        TakeShown();
        AnswerFind(QStringLiteral(u"παπας"), true, false);
        Form().findCounterparty();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"warning: Δεν βρέθηκε η Επωνυμία")});
        QCOMPARE(Doc().List(TSide::Customers).CurrentIndex(), 0);

        // The window keeps its text and choices; cancelling searches nothing.
        FindDialog* find = Form().findDialog();
        QTimer::singleShot(0, this, [&] {
            QCOMPARE(find->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral(u"παπας"));
            QVERIFY(find->findChild<QRadioButton*>(QStringLiteral("RadioButton2"))->isChecked());
            QVERIFY(!find->findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->isChecked());
            find->close();  // the close box counts as cancelling
        });
        Form().findCounterparty();
        QVERIFY(find->Cancelled);
        QCOMPARE(TakeShown(), QStringList{});
    }

    // The search box takes the first key typed and keeps cursor and
    // selection as any edit does.
    void findBoxTakesTheFirstKeyAndKeepsTheCursor()
    {
        New();
        TypeHeader();
        AddCustomer("100000001", QStringLiteral(u"ΠΑΠΑΣ"));
        AddCustomer("123450000", QStringLiteral(u"ΑΛΛΟΣ"));
        Doc().List(TSide::Customers).First();
        FindDialog* find = Form().findDialog();
        auto* search = find->findChild<QLineEdit*>(QStringLiteral("Edit1"));
        search->setText(QStringLiteral("999"));  // remembered from an earlier use
        QTimer::singleShot(0, this, [&] {
            QApplication::setActiveWindow(find);  // the desktop would
            QCOMPARE(QApplication::focusWidget(), search);
            QCOMPARE(search->selectedText(), QStringLiteral("999"));
            TypeFocused(QStringLiteral("12"));  // replaces the remembered text
            QCOMPARE(search->text(), QStringLiteral("12"));
            KeyFocused(Qt::Key_Left);
            KeyFocused(Qt::Key_Left);
            TypeFocused(QStringLiteral("0"));
            QCOMPARE(search->text(), QStringLiteral("012"));
            QCOMPARE(search->cursorPosition(), 1);
            search->setSelection(1, 2);
            TypeFocused(QStringLiteral("3"));
            QCOMPARE(search->text(), QStringLiteral("03"));
            search->setText(QStringLiteral("1234"));
            find->findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->setChecked(false);
            search->setFocus();
            KeyFocused(Qt::Key_Return);
        });
        Form().findCounterparty();
        QCOMPARE(CurrentName(), QStringLiteral(u"ΑΛΛΟΣ"));
    }

    void findOnTheSupplierTabAndDigitsOnlyForTaxNumbers()
    {
        New();
        TypeHeader();
        auto& suppliers = Doc().List(TSide::Suppliers);
        suppliers.Append();
        suppliers.Field(field::Afm).SetAsString("000000050");
        suppliers.Field(field::Ypovolh).SetAsString("1");
        suppliers.Field(field::NoTimologion).SetAsString("1");
        suppliers.Field(field::Value).SetAsString("1");
        suppliers.Post();
        form_->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
        TakeShown();
        AnswerFind(QStringLiteral("0a00000050"), false, true);
        Form().findCounterparty();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral("beep")});  // the letter
        QCOMPARE(Form().findDialog()->SearchText, QStringLiteral("000000050"));
        QCOMPARE(suppliers.CurrentIndex(), 0);
        AnswerFind(QStringLiteral("999"), false, true);
        Form().findCounterparty();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"warning: Δεν βρέθηκε ο ΑΦΜ")});
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
