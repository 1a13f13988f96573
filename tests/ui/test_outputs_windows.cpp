// The print window, the manual and the About window, driven from the main
// window as a user drives them.
#include <sys/resource.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <memory>

#include "FileSizeLimit.h"
#include "UiTestSupport.h"
#include "outputs/Print.h"
#include "ui/About.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/MainWindow.h"
#include "ui/PrintWindow.h"
#include "ui/UserManualWindow.h"

using namespace epinax;
using namespace epinax::ui;
using namespace epinax::ui::test;

namespace {

// The text of a PDF file, as pdftotext reads it; empty when it cannot.
QString PdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool HavePdfToText() { return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(); }

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

}  // namespace

class OutputsWindowsTest : public QObject, public MainWindowFixture {
    Q_OBJECT

    QAction* MenuOf(int position) { return form_->menuBar()->actions().at(position); }

    void New()
    {
        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        TakeShown();
    }

    void TypeHeader()
    {
        Edit("YearOfData")->setFocus();
        TypeFocused(QStringLiteral("2024"));
        Edit("AFM")->setFocus();
        TypeFocused(QStringLiteral("123456783"));
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
        list.Field(field::NoTimologion).SetAsString("3");
        list.Field(field::Value).SetAsString("1500");
        list.Post();
        Form().Grid(TSide::Customers)->FollowStore();
    }

    void PrintCustomers()
    {
        New();
        TypeHeader();
        AddCustomer("100000001", QStringLiteral(u"ΠΑΠΑΔΟΠΟΥΛΟΣ ΓΕΩΡΓΙΟΣ"));
        Form().printCustomerReport();
    }

private slots:
    void initTestCase() { QVERIFY(CopyHelpPagesBesideTheProgram()); }

    void init() { StartWindow(Shown::Active); }
    void cleanup() { StopWindow(); }

    void printEntriesOnlyAfterNewHelpAlways()
    {
        QVERIFY(!MenuOf(1)->isEnabled());
        QVERIFY(MenuOf(3)->isEnabled());
        for (const char* name : {"N13", "N12"})
            QVERIFY(form_->findChild<QAction*>(QString::fromLatin1(name))->isEnabled());
        New();
        QVERIFY(MenuOf(1)->isEnabled());
        for (const char* name : {"N15", "N16"})
            QVERIFY(form_->findChild<QAction*>(QString::fromLatin1(name))->isEnabled());
    }

    void customersReportShownAndSavedAsPdf()
    {
        PrintCustomers();
        QCOMPARE(TakeShown(), QStringList{});
        QVERIFY(QFile::exists(Path(QStringLiteral("Pelates.htm"))));
        PrintWindow* window = Form().printWindow();
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral(u"Εκτύπωση"));
        QCOMPARE(window->size(), QSize(803, 587));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("PageLabel"))->text(), QStringLiteral(u"Σελίδα 1 από 1"));

        const QString pdf = Path(QStringLiteral("Pelates.pdf"));
        TDialogs::SetNextFileName(pdf);
        window->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        QCOMPARE(TakeShown(), QStringList{});
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(Form().statusBar()->currentMessage(), QStringLiteral(u"Το PDF γράφτηκε: ") + pdf);
        if (!HavePdfToText()) QSKIP("pdftotext (poppler-utils) is not installed");
        QString text = PdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral(u"ΣΥΓΚΕΝΤΡΩΤΙΚΗ ΚΑΤΑΣΤΑΣΗ")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral(u"ΠΕΛΑΤΩΝ")));
        QVERIFY(text.contains(QStringLiteral(u"ΠΑΠΑΔΟΠΟΥΛΟΣ ΓΕΩΡΓΙΟΣ")));
        QVERIFY(text.contains(QStringLiteral(u"ΥΠΟΥΡΓΕΙΟ ΣΤΑΘΜΙΣ - ΚΕΦΥΣ")));
    }

    // A PDF that cannot be written whole is a failure, with the message, and
    // the earlier PDF stays as it was.
    void pdfCutShortIsReportedAndTheEarlierOneKept()
    {
        PrintCustomers();
        auto* save = Form().printWindow()->findChild<QPushButton*>(QStringLiteral("Button2"));
        const QString pdf = Path(QStringLiteral("Pelates.pdf"));
        TDialogs::SetNextFileName(pdf);
        save->click();
        const QByteArray earlier = Bytes(pdf);
        QVERIFY(earlier.startsWith("%PDF"));
        const QStringList files = QDir(dir_->path()).entryList(QDir::Files);
        {
            epinax::test::FileSizeLimit limit(1024);
            TDialogs::SetNextFileName(pdf);
            save->click();
        }
        const QStringList shown = TakeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].contains(QStringLiteral("PDF")), qPrintable(shown[0]));
        QCOMPARE(Bytes(pdf), earlier);
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), files);
    }

    // The pages of a longer list turn and zoom by keys; closed, the window
    // lets go of them.
    void pagesTurnAndZoomByKeys()
    {
        New();
        TypeHeader();
        for (int row = 1; row <= 130; ++row)
            AddCustomer(std::to_string(100000000 + row).c_str(), QStringLiteral(u"ΠΕΛΑΤΗΣ %1").arg(row));
        Form().printCustomerReport();
        PrintWindow* window = Form().printWindow();
        TPageView* view = window->View();
        auto* label = window->findChild<QLabel*>(QStringLiteral("PageLabel"));
        QCOMPARE(label->text(), QStringLiteral(u"Σελίδα 1 από 3"));
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(label->text(), QStringLiteral(u"Σελίδα 2 από 3"));
        QTest::keyClick(window->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(label->text(), QStringLiteral(u"Σελίδα 3 από 3"));
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(label->text(), QStringLiteral(u"Σελίδα 3 από 3"));
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_PageUp);
        QCOMPARE(label->text(), QStringLiteral(u"Σελίδα 1 από 3"));
        const int width = view->widget()->width();
        QTest::keyClick(view, Qt::Key_Plus, Qt::ControlModifier);
        QVERIFY(view->widget()->width() > width);
        QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
        QVERIFY(view->widget()->width() < width);
        view->viewport()->repaint();

        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QVERIFY(!window->Pages());
    }

    // The print button prints the shown page; a printer that cannot be
    // written to gives the printer message and the window stays.
    void printButtonPrintsAndReportsFailure()
    {
        PrintCustomers();
        PrintWindow* window = Form().printWindow();
        auto* print = window->findChild<QPushButton*>(QStringLiteral("Button1"));
        QCOMPARE(print->text(), QStringLiteral(u"Εκτύπωση"));
        const QString printed = Path(QStringLiteral("printed.pdf"));
        TDialogs::SetNextFileName(printed);
        print->click();
        QCOMPARE(TakeShown(), QStringList{});
        QVERIFY(QFileInfo(printed).size() > 0);

        TDialogs::SetNextFileName(Path(QStringLiteral("no/such/folder/x.pdf")));
        print->click();
        QCOMPARE(TakeShown(),
                 QStringList{QStringLiteral("message: ") + QString::fromStdString(PrinterFailureMessage())});
        QVERIFY(window->isVisible());

        TDialogs::SetNextFileName(std::nullopt);  // the dialog cancelled
        print->click();
        QCOMPARE(TakeShown(), QStringList{});
    }

    void suppliersReportHasItsOwnFile()
    {
        New();
        TypeHeader();
        Form().printSupplierReport();
        QCOMPARE(TakeShown(), QStringList{});
        QVERIFY(QFile::exists(Path(QStringLiteral("Promitheftes.htm"))));
        QVERIFY(!QFile::exists(Path(QStringLiteral("Pelates.htm"))));
        QVERIFY(Form().printWindow()->Pages()->Title().contains(QStringLiteral(u"ΠΡΟΜΗΘΕΥΤΩΝ")));
    }

    void refusedPendingRowWritesNothing()
    {
        New();
        TypeHeader();
        auto& list = Doc().List(TSide::Customers);
        list.Append();
        list.Field(field::Name).SetAsString(*ToCp1253(QStringLiteral(u"ΧΩΡΙΣ ΑΦΜ")));
        Form().printCustomerReport();
        // The row validation's own beep and message, and nothing of the print.
        QCOMPARE(TakeShown(),
                 (QStringList{QStringLiteral("beep"), QStringLiteral(u"message: Πρέπει να συμπληρώσετε τα πεδία ΑΦΜ, "
                                                                     u"Υπόχρεος, Αριθ. τιμολογίων, Αξία")}));
        QVERIFY(!QFile::exists(Path(QStringLiteral("Pelates.htm"))));
        QVERIFY(!Form().printWindow()->isVisible());
    }

    void reportThatCannotBeWrittenGivesTheMessage()
    {
        New();
        TypeHeader();
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("Pelates.htm")));
        Form().printCustomerReport();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral("message: ") + QString::fromStdString(PrintFailureMessage())});
        QVERIFY(!Form().printWindow()->isVisible());
    }

    void f1WithAModifierOpensTheUsagePage()
    {
        New();
        Edit("CompanyName")->setFocus();
        QTest::keyClick(Edit("CompanyName"), Qt::Key_F1, Qt::ShiftModifier);
        UserManualWindow* manual = Form().manualWindow();
        QVERIFY(manual->isVisible());
        QVERIFY(manual->isWindow());
        QVERIFY(!manual->parentWidget());
        QCOMPARE(manual->Browser()->source().fileName(), QStringLiteral("usermanual.htm"));
        QVERIFY(manual->Browser()->toPlainText().contains(QStringLiteral(u"Εισαγωγή")));

        // The main window stays usable beside it.
        QVERIFY(!QApplication::activeModalWidget());
        QApplication::setActiveWindow(form_.get());
        Edit("CompanyName")->setFocus();
        TypeFocused(QStringLiteral(u"Β"));
        QVERIFY(Edit("CompanyName")->text().endsWith(QStringLiteral(u"Β")));

        for (auto modifiers : {Qt::NoModifier, Qt::ControlModifier, Qt::AltModifier}) {
            manual->hide();
            QTest::keyClick(Edit("CompanyName"), Qt::Key_F1, modifiers);
            QVERIFY(manual->isVisible());
        }
    }

    void n13OpensTheInstallationPage()
    {
        Form().showUserManual();
        UserManualWindow* manual = Form().manualWindow();
        QVERIFY(manual->isVisible());
        QCOMPARE(manual->Browser()->source().fileName(), QStringLiteral("setup.htm"));
        QVERIFY(manual->Browser()->toPlainText().contains(QStringLiteral("cmake --install build")));
        QCOMPARE(manual->findChild<QLabel*>(QStringLiteral("Label4"))->text(), QStringLiteral(u"Επιλέξτε θέμα:"));

        // The topics are clickable labels.
        auto* terms = manual->findChild<QLabel*>(QStringLiteral("Label3"));
        QCOMPARE(terms->text(), QStringLiteral(u"Όροι χρήσης εφαρμογής"));
        QVERIFY(terms->font().bold());
        QCOMPARE(terms->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(terms, Qt::LeftButton);
        QCOMPARE(manual->Browser()->source().fileName(), QStringLiteral("oroi.htm"));
        QVERIFY(manual->Browser()->toPlainText().contains(QStringLiteral("GPL")));

        // Closing hides it; the same window comes back.
        manual->close();
        QVERIFY(!manual->isVisible());
        Form().showUserManual();
        QCOMPARE(Form().manualWindow(), manual);
        QVERIFY(manual->isVisible());
    }

    void aMinimisedManualIsRestored()
    {
        Form().showUserManual();
        UserManualWindow* manual = Form().manualWindow();
        manual->showMinimized();
        QVERIFY(manual->isMinimized());
        QTest::keyClick(form_.get(), Qt::Key_F1);
        QVERIFY(!manual->isMinimized());
        QVERIFY(manual->isVisible());
        QCOMPARE(manual->Browser()->source().fileName(), QStringLiteral("usermanual.htm"));
    }

    void manualPrintFailureGivesTheMessage()
    {
        Form().showUserManual();
        UserManualWindow* manual = Form().manualWindow();
        TDialogs::SetNextFileName(Path(QStringLiteral("no/such/folder/x.pdf")));
        manual->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        QCOMPARE(TakeShown(),
                 QStringList{QStringLiteral("message: ") + QString::fromStdString(PrinterFailureMessage())});
        QVERIFY(manual->isVisible());
    }

    void aboutWindowTexts()
    {
        TAboutBox about;
        QCOMPARE(about.windowTitle(), QStringLiteral(u"Σχετικά"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("ProductName"))->text(), QStringLiteral(u"e-ΠΙΝΑΞ"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("Version"))->text(), QStringLiteral(u"Έκδοση 1.0.1.6"));
        QVERIFY(about.findChild<QPushButton*>(QStringLiteral("OKButton"))->isDefault());
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("ProgramIcon"))->pixmap().isNull());
    }

    void aboutKeySequence()
    {
        TAboutBox about;
        about.show();
        QWidget* ok = about.findChild<QPushButton*>(QStringLiteral("OKButton"));
        Type(ok, QStringLiteral(u"ΠΙΝΑ."));  // one letter short
        QCOMPARE(TakeShown(), QStringList{});
        QCOMPARE(about.SequenceCounter(), 0);
        Type(ok, QStringLiteral(u"ΠΙ1Ν ΑΞ"));  // other characters leave it intact
        QCOMPARE(about.SequenceCounter(), 5);
        QCOMPARE(TakeShown(), QStringList{});
        Type(ok, QStringLiteral(u"."));
        QCOMPARE(TakeShown().size(), 1);
        Type(ok, QStringLiteral(u"."));  // again, and again it shows
        QStringList shown = TakeShown();
        qDebug() << shown;
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().startsWith(QStringLiteral("message: e-ΠΙΝΑΞ")));

        Type(ok, QStringLiteral(u"ΠΙΙΝΑΞ."));  // a letter out of order starts it again
        QCOMPARE(TakeShown(), QStringList{});
        Type(ok, QStringLiteral(u"πιναξ."));  // Caps Lock off: the small letters count
        QCOMPARE(TakeShown().size(), 1);
    }

    void aSecondOpeningStartsAgain()
    {
        int counterAtOpening = -1;
        auto typeAndClose = [&](const QString& keys) {
            QTimer::singleShot(0, this, [&, keys] {
                auto* about = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
                QVERIFY(about);
                counterAtOpening = about->SequenceCounter();
                Type(about->findChild<QPushButton*>(QStringLiteral("OKButton")), keys);
                QTest::keyClick(about->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::Key_Return);
            });
            Form().showAbout();
        };
        typeAndClose(QStringLiteral(u"ΠΙΝΑ"));
        QCOMPARE(counterAtOpening, 0);
        typeAndClose(QStringLiteral(u"Ξ."));
        QCOMPARE(counterAtOpening, 0);
        QCOMPARE(TakeShown(), QStringList{});
    }
};

QTEST_MAIN(OutputsWindowsTest)
#include "test_outputs_windows.moc"
