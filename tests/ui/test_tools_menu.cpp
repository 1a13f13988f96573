// The Tools menu's zip archive, desktop launcher and web pages, driven with
// scripted dialogs on the real main window.
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "UiTestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Main.h"

using namespace epinax;
using namespace epinax::ui;
using namespace epinax::ui::test;

// Records the addresses the desktop would have been asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void Open(const QUrl& url) { opened.push_back(url.toString()); }
};

class ToolsMenuTest : public QObject, public MainWindowFixture {
    Q_OBJECT

    QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    void Trigger(const char* name) { form_->findChild<QAction*>(QString::fromLatin1(name))->trigger(); }

private slots:
    void init() { StartWindow(Shown::No); }
    void cleanup() { StopWindow(); }

    // Available from the start, before any statement.
    void zipPacksTheChosenFileAndAsksBeforeReplacing()
    {
        QFile source(Path(QStringLiteral(u"ΔΗΛΩΣΗ.PIS")));
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write("0IL01 statement bytes\r\n");
        source.close();
        TDialogs::SetNextFileName(source.fileName());
        TDialogs::SetNextFileName(Path(QStringLiteral(u"ΔΗΛΩΣΗ.PIS")));
        Trigger("zip1");
        QCOMPARE(TDialogs::Shown(), QStringList{});  // no message on success
        const QString archive = Path(QStringLiteral(u"ΔΗΛΩΣΗ.PIS.zip"));
        QVERIFY(QFile::exists(archive));
        const QByteArray written = Bytes(archive);
        QCOMPARE(written.left(4), QByteArray("PK\x03\x04", 4));

        // "Όχι" to the replacement writes nothing.
        source.open(QIODevice::WriteOnly);
        source.write("changed");
        source.close();
        TDialogs::SetNextFileName(source.fileName());
        TDialogs::SetNextFileName(Path(QStringLiteral(u"ΔΗΛΩΣΗ.PIS")));
        TDialogs::SetNextAnswer(mrNo);
        Trigger("zip1");
        QCOMPARE(TDialogs::Shown(),
                 QStringList{
                     QStringLiteral(u"ask: Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο ΔΗΛΩΣΗ.PIS.zip;")});
        QCOMPARE(Bytes(archive), written);

        // A source that cannot be read: the general error display, naming it.
        TDialogs::Shown().clear();
        TDialogs::SetNextFileName(Path(QStringLiteral("missing.PIS")));
        TDialogs::SetNextFileName(Path(QStringLiteral("missing.PIS")));
        Trigger("zip1");
        QCOMPARE(TDialogs::Shown().size(), 1);
        QVERIFY(TDialogs::Shown()[0].startsWith(QStringLiteral("error: ")));
        QVERIFY(TDialogs::Shown()[0].contains(QStringLiteral("missing.PIS")));
        QVERIFY(!QFile::exists(Path(QStringLiteral("missing.PIS.zip"))));
    }

    void launcherOnTheDesktop()
    {
        QTemporaryDir config;
        const QString desktop = config.filePath(QStringLiteral(u"Επιφάνεια εργασίας"));
        QDir().mkpath(desktop);
        QFile dirs(config.filePath(QStringLiteral("user-dirs.dirs")));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DESKTOP_DIR=\"" + desktop.toUtf8() + "\"\n");
        dirs.close();
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation), desktop);

        Trigger("N9");
        QCOMPARE(TDialogs::Shown(), QStringList{});
        const QString launcher = desktop + QStringLiteral(u"/E-ΠΙΝΑΞ.desktop");
        const QString text = QString::fromUtf8(Bytes(launcher));
        QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(text.contains(QStringLiteral("\nType=Application\n")));
        QVERIFY(text.contains(QStringLiteral(u"\nName=e-ΠΙΝΑΞ\n")));
        QVERIFY(text.contains(QStringLiteral("\nExec=\"") + QCoreApplication::applicationFilePath() +
                              QStringLiteral("\"\n")));
        QVERIFY(
            text.contains(QStringLiteral("\nPath=") + QCoreApplication::applicationDirPath() + QStringLiteral("/\n")));
        QVERIFY(text.contains(QStringLiteral("\nTerminal=false\n")));
        QVERIFY(QFileInfo(launcher).isExecutable());
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validator.isEmpty()) {
            QProcess check;
            check.start(validator, {launcher});
            QVERIFY(check.waitForFinished());
            QCOMPARE(QString::fromUtf8(check.readAll()), QString());
            QCOMPARE(check.exitCode(), 0);
        }

        // No desktop directory: the launcher's own message, nothing written.
        QDir(desktop).removeRecursively();
        Trigger("N9");
        QCOMPARE(TDialogs::Shown(),
                 QStringList{QStringLiteral(u"message: Υπήρξε κάποιο πρόβλημα κατά τη δημιουργία της συντόμευσης")});
        QVERIFY(!QFile::exists(launcher));
        qunsetenv("XDG_CONFIG_HOME");
    }

    // The progress window shows itself a second into a long import; a
    // message of the import must not sit under it, and Enter closes it.
    void importMessageComesFirstAndGoesWithEnter()
    {
        TDialogs::SetNextAnswer(mrYes);
        Trigger("N5");
        QFile sheet(Path(QStringLiteral("sheet.csv")));
        QVERIFY(sheet.open(QIODevice::WriteOnly));
        for (int row = 1; row <= 20; ++row)
            sheet.write(row == 3 ? QStringLiteral(u"ΑΦΜ;ΕΠΩΝΥΜΙΑ;ΕΠΑΓΓΕΛΜΑ;ΥΠΟΧΡΕΟΣ\n").toUtf8()
                                 : QByteArray("000000104;A;B;1;C;D;1;10564;1;10\n"));
        sheet.close();
        TDialogs::SetRecordOnly(false);
        TDialogs::SetNextAnswer(mrYes);
        TDialogs::SetNextFileName(sheet.fileName());
        TDialogs::Shown().clear();
        // The first modal window is answered once it has been up longer than
        // the second after which a progress window shows itself.
        QStringList answered;
        QElapsedTimer up;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            if (!up.isValid()) up.start();
            if (up.elapsed() < 1500) return;
            answer.stop();
            answered << QString::fromLatin1(modal->metaObject()->className());
            QTest::keyClick(modal, Qt::Key_Return);
        });
        answer.start(50);
        // Whatever is still open later is closed, so that a failure does not hang.
        QTimer::singleShot(10000, [] {
            for (int i = 0; i < 5 && QApplication::activeModalWidget(); ++i) QApplication::activeModalWidget()->close();
        });
        Trigger("Excel1");
        TDialogs::SetRecordOnly(true);
        QCOMPARE(answered, QStringList{QStringLiteral("epinax::ui::TConfirmDialog")});
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(TDialogs::Shown().size(), 2);
        QVERIFY(TDialogs::Shown()[1].startsWith(QStringLiteral(u"message: Λάθος στη γραμμή 3 του αρχείου")));
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 0);
    }

    void webPagesOpenTheirAddresses()
    {
        UrlRecorder recorder;
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &recorder, "Open");
        Trigger("e1");
        auto* submit = form_->findChild<QAction*>(QStringLiteral("N20"));
        QCOMPARE(submit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
        submit->trigger();
        for (const char* scheme : {"http", "https"}) QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        QCOMPARE(recorder.opened, (QStringList{QStringLiteral("http://www.kefys.example/"),
                                               QStringLiteral("https://www.kefys.example/skpp/afmroot/enter.kefys")}));
        QCOMPARE(form_->findChild<QAction*>(QStringLiteral("e1"))->text(),
                 QStringLiteral(u"Σύν&δεση με εξυπηρετητή ΚΕΦΥΣ (www.kefys.example)"));
        QCOMPARE(TDialogs::Shown(), QStringList{});
    }
};

QTEST_MAIN(ToolsMenuTest)
#include "test_tools_menu.moc"
