// The small windows around the main one: the wait box, the start-up message
// and the lock-key helper.
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include "ui/KeyLed.h"
#include "ui/MessageWindow.h"
#include "ui/WaitWindow.h"

using epinax::ui::MessageWindow;
using epinax::ui::TKeyLed;
using epinax::ui::WaitWindow;

namespace {

QString WaitWords() { return QStringLiteral(u"Παρακαλώ περιμένετε"); }

QLabel* LabelWithText(QWidget* parent, const QString& text)
{
    for (QLabel* label : parent->findChildren<QLabel*>())
        if (label->text() == text) return label;
    return nullptr;
}

bool HasNoCloseBox(const QWidget& window)
{
    const Qt::WindowFlags flags = window.windowFlags();
    return flags.testFlag(Qt::CustomizeWindowHint) && flags.testFlag(Qt::WindowTitleHint) &&
           !flags.testFlag(Qt::WindowCloseButtonHint) && !flags.testFlag(Qt::WindowMinimizeButtonHint) &&
           !flags.testFlag(Qt::WindowMaximizeButtonHint);
}

}  // namespace

// Resources may sit in a static library, where nothing else pulls them in.
static void LoadPictures() { Q_INIT_RESOURCE(pictures); }

class TestAuxWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void waitWindowShowsTheWords();
    void waitWindowShowNowCentresAndPaints();
    void messageWindowTexts();
    void messageTextFitsWithoutScrolling();
    void messageWindowIgnoresEscapeAndClose();
    void messageWindowClosesWithButton();
    void messageWindowExecEndsOnlyWithButton();
    void keyLedAbout();
    void keyLedReadsAndWritesLocks();
};

void TestAuxWindows::initTestCase() { LoadPictures(); }

void TestAuxWindows::waitWindowShowsTheWords()
{
    WaitWindow wait;
    QCOMPARE(wait.windowTitle(), WaitWords());
    QLabel* label = LabelWithText(&wait, WaitWords());
    QVERIFY(label);
    QCOMPARE(label->font().pixelSize(), 24);
    QVERIFY(!wait.isModal());
    QVERIFY(HasNoCloseBox(wait));
    QVERIFY(wait.width() >= 262);
    QVERIFY(wait.height() >= 49);
}

void TestAuxWindows::waitWindowShowNowCentresAndPaints()
{
    WaitWindow wait;
    // Without a window manager (Xvfb) the X server reports the minimised
    // state back late, so the window is minimised first only offscreen.
    if (QGuiApplication::platformName() == QStringLiteral(u"offscreen")) wait.showMinimized();
    wait.ShowNow();
    QVERIFY(wait.isVisible());
    QVERIFY(!(wait.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
    QLabel* label = LabelWithText(&wait, WaitWords());
    QVERIFY(label);
    // Never clipped: the label is as wide as the words need.
    QVERIFY(label->width() >= QFontMetrics(label->font()).horizontalAdvance(WaitWords()));
    const QRect screen = wait.screen()->availableGeometry();
    QVERIFY(qAbs(wait.frameGeometry().center().x() - screen.center().x()) <= 2);
    QVERIFY(qAbs(wait.frameGeometry().center().y() - screen.center().y()) <= 2);
    wait.hide();
    QVERIFY(!wait.isVisible());
    wait.ShowNow();
    QVERIFY(wait.isVisible());
    wait.hide();
}

void TestAuxWindows::messageWindowTexts()
{
    MessageWindow message;
    QCOMPARE(message.windowTitle(), QStringLiteral(u"e-ΠΙΝΑΞ"));
    QVERIFY(message.isModal());
    QVERIFY(HasNoCloseBox(message));
    QVERIFY(LabelWithText(&message, QStringLiteral(u"ΥΠΟΥΡΓΕΙΟ ΣΤΑΘΜΙΣ")));
    QVERIFY(LabelWithText(&message, QStringLiteral(u"ΚΕΦΥΣ")));
    QVERIFY(LabelWithText(&message,
                          QStringLiteral(u"Καλώς ήλθατε στην Ηλεκτρονική Συμπλήρωση Καταστάσεων Πελατών-Προμηθευτών")));
    auto* button = message.findChild<QPushButton*>(QStringLiteral(u"Button1"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral(u"Πατήστε εδώ για να συνεχίσετε"));

    auto* memo = message.findChild<QPlainTextEdit*>(QStringLiteral(u"Memo1"));
    QVERIFY(memo);
    QVERIFY(memo->isReadOnly());
    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 14);
    QCOMPARE(lines[4], QString());
    QCOMPARE(
        lines[5],
        QStringLiteral(u"Το πρόγραμμα διανέμεται δωρεάν και απευθύνεται στους επιτηδευματίες και τις επιχειρήσεις, "));
    QCOMPARE(lines[6],
             QStringLiteral(u"απαλλάσσοντάς τους από την υποχρέωση επίσκεψης στη Δ.Ο.Υ., προσφέροντας ταυτόχρονα "));
    QCOMPARE(lines[7], QStringLiteral(u"ευκολία και ταχύτητα. "));
    QCOMPARE(lines[8], QString());
    QVERIFY(lines[10].contains(QStringLiteral(u"www.kefys.example")));
    QCOMPARE(lines[12], QString());
    QCOMPARE(lines[13], QStringLiteral(u"Σας προσκαλούμε να έρθετε μαζί μας στην ηλεκτρονική εποχή!"));
    QCOMPARE(memo->toPlainText(), MessageWindow::MessageText());

    QVERIFY(QFile::exists(QStringLiteral(u":/pictures/message.png")));
    auto* picture = message.findChild<QLabel*>(QStringLiteral(u"Image1"));
    QVERIFY(picture);
    QVERIFY(!picture->pixmap().isNull());
}

void TestAuxWindows::messageTextFitsWithoutScrolling()
{
    MessageWindow message;
    message.show();
    QVERIFY(QTest::qWaitForWindowExposed(&message));
    auto* memo = message.findChild<QPlainTextEdit*>(QStringLiteral(u"Memo1"));
    QVERIFY(memo);
    QCOMPARE(memo->verticalScrollBar()->maximum(), 0);
    QCOMPARE(memo->horizontalScrollBar()->maximum(), 0);
    // A fixed-size window.
    QCOMPARE(message.minimumSize(), message.maximumSize());
    message.findChild<QPushButton*>(QStringLiteral(u"Button1"))->click();
}

void TestAuxWindows::messageWindowIgnoresEscapeAndClose()
{
    MessageWindow message;
    message.show();
    QVERIFY(QTest::qWaitForWindowExposed(&message));
    QTest::keyClick(&message, Qt::Key_Escape);
    QVERIFY(message.isVisible());
    QVERIFY(!message.close());
    QVERIFY(message.isVisible());
    message.reject();
    QVERIFY(message.isVisible());
    message.findChild<QPushButton*>(QStringLiteral(u"Button1"))->click();
}

void TestAuxWindows::messageWindowClosesWithButton()
{
    MessageWindow message;
    message.show();
    QVERIFY(QTest::qWaitForWindowExposed(&message));
    auto* button = message.findChild<QPushButton*>(QStringLiteral(u"Button1"));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!message.isVisible());
    QCOMPARE(message.result(), int(QDialog::Accepted));
}

void TestAuxWindows::messageWindowExecEndsOnlyWithButton()
{
    MessageWindow message;
    bool stillOpenAfterEscape = false;
    QTimer::singleShot(0, &message, [&message, &stillOpenAfterEscape] {
        QTest::keyClick(&message, Qt::Key_Escape);
        stillOpenAfterEscape = message.isVisible();
        // Enter presses the default button.
        QTest::keyClick(&message, Qt::Key_Return);
    });
    QCOMPARE(message.exec(), int(QDialog::Accepted));
    QVERIFY(stillOpenAfterEscape);
}

void TestAuxWindows::keyLedAbout()
{
    TKeyLed keys;
    QVERIFY(keys.About().startsWith(QStringLiteral(u"Version 1.1")));
    QCOMPARE(keys.property("About").toString(), keys.About());
}

void TestAuxWindows::keyLedReadsAndWritesLocks()
{
    TKeyLed keys;
    if (QGuiApplication::platformName() != QStringLiteral(u"xcb")) {
        // Nothing to reach: reads false, writes change nothing and do no harm.
        keys.SetCapsLock(true);
        keys.SetNumLock(true);
        keys.SetScrollLock(true);
        QVERIFY(!keys.CapsLock());
        QVERIFY(!keys.NumLock());
        QVERIFY(!keys.ScrollLock());
        QVERIFY(keys.setProperty("CapsLock", true));
        QCOMPARE(keys.property("CapsLock").toBool(), false);
        return;
    }
    // On X11 the user's keyboard is real: put Caps Lock back as it was.
    const bool before = keys.CapsLock();
    keys.SetCapsLock(true);
    const bool on = keys.CapsLock();
    keys.SetCapsLock(false);
    const bool off = keys.CapsLock();
    keys.SetCapsLock(before);
    QVERIFY(on);
    QVERIFY(!off);
}

QTEST_MAIN(TestAuxWindows)
#include "test_aux_windows.moc"
