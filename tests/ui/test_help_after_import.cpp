// F1 after imports whose messages the user closed with Esc, and after the
// print window: the real message boxes, offscreen, driven by keys. Built
// with the sanitizers (EPINAX_SANITIZE), it is the sequence of a report of
// the program ending on F1.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "UiTestSupport.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/MainWindow.h"
#include "ui/PrintWindow.h"
#include "ui/UserManualWindow.h"

using namespace epinax;
using namespace epinax::ui;
using namespace epinax::ui::test;

class HelpAfterImportTest : public QObject, public MainWindowFixture {
    Q_OBJECT

    // Runs `command`; whenever a modal window has stood open for `reading`
    // ms, presses Esc and then F1 where the keyboard's keys go. The number
    // of message boxes so closed.
    int EscapeEachMessage(const std::function<void()>& command, int reading)
    {
        int closed = 0;
        QTimer poll;
        QElapsedTimer quiet;
        quiet.start();
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || quiet.elapsed() < reading) return;
            auto keys = [&] { return QApplication::focusWidget() ? QApplication::focusWidget() : modal; };
            QPointer<TConfirmDialog> box = qobject_cast<TConfirmDialog*>(modal);
            QTest::keyClick(keys(), Qt::Key_Escape);
            if (box && !box->isVisible()) ++closed;
            if (QApplication::activeModalWidget()) QTest::keyClick(keys(), Qt::Key_F1);
            quiet.restart();
        });
        poll.start(10);
        command();
        return closed;
    }

    void Import(int answer, const char* workbook, int reading = 0, int* messages = nullptr)
    {
        TDialogs::SetNextAnswer(answer);
        TDialogs::SetNextFileName(QString::fromUtf8(EPINAX_TEST_DATA "/workbooks/") + QString::fromUtf8(workbook));
        int closed =
            EscapeEachMessage([&] { form_->findChild<QAction*>(QStringLiteral("Excel1"))->trigger(); }, reading);
        if (messages) *messages = closed;
    }

    void PressF1()
    {
        QWidget* keys = QApplication::focusWidget() ? QApplication::focusWidget() : form_.get();
        QTest::keyClick(keys, Qt::Key_F1);
        QTest::qWait(50);  // painted, as the window beside it is
    }

private slots:
    void initTestCase() { QVERIFY(CopyHelpPagesBesideTheProgram()); }
    void init()
    {
        StartWindow(Shown::Active);
        TDialogs::SetRecordOnly(false);
    }
    void cleanup()
    {
        TDialogs::SetRecordOnly(true);
        StopWindow();
    }

    void f1AfterAFailedReimportAndThePrintWindow()
    {
        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        TypeFocused(QStringLiteral("2024"));  // New leaves the cursor in the year, which may not be left empty
        Edit("AFM")->setFocus();
        TypeFocused(QStringLiteral("123456783"));
        for (int answer : {mrYes, mrNo}) Import(answer, "import-good.csv");
        int messages = 0;
        Import(mrYes, "import-good.csv", 1500, &messages);  // the rows are there already
        QVERIFY(messages >= 1);
        PressF1();
        UserManualWindow* manual = Form().manualWindow();
        QVERIFY(manual->isVisible());
        QCOMPARE(manual->Browser()->source().fileName(), QStringLiteral("usermanual.htm"));

        // Esc in the grid gives up any row the refused import left pending.
        manual->hide();
        QApplication::setActiveWindow(form_.get());
        Form().Grid(TSide::Customers)->setFocus();
        KeyFocused(Qt::Key_Escape);
        EscapeEachMessage([&] { Form().printCustomerReport(); }, 0);
        PrintWindow* print = Form().printWindow();
        QVERIFY(print->isVisible());
        PressF1();
        QTest::keyClick(print, Qt::Key_Escape);
        QVERIFY(!print->isVisible());
        QApplication::setActiveWindow(form_.get());
        PressF1();
        QVERIFY(manual->isVisible());
    }
};

QTEST_MAIN(HelpAfterImportTest)
#include "test_help_after_import.moc"
