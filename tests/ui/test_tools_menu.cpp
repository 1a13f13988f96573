// The Tools menu's zip archive, desktop launcher and web pages, driven with
// scripted dialogs on the real main window.
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

#include "UiTestSupport.h"
#include "import/Workbook.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/ImportPreviewDialog.h"
#include "ui/MainWindow.h"

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

    // Runs `open` with the real dialogs: the modal window it shows is handed
    // to `inspect`, then closed by the key `close` sent where the focus is.
    void WithRealDialog(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect,
                        Qt::Key close = Qt::Key_Escape)
    {
        TDialogs::SetRecordOnly(false);
        QTimer timer;  // gone with this call, should no dialog come
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            inspect(modal);
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : modal, close);
        });
        timer.start(0);
        open();
        TDialogs::SetRecordOnly(true);
    }

    QString FolderOfDialog(const std::function<void()>& open)
    {
        QString folder;
        WithRealDialog(open, [&](QWidget* modal) {
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) folder = dialog->directory().absolutePath();
        });
        return folder;
    }

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
        QCOMPARE(TDialogs::Shown(), QStringList{});  // no box on success: a status bar line
        const QString archive = Path(QStringLiteral(u"ΔΗΛΩΣΗ.PIS.zip"));
        QCOMPARE(Form().statusBar()->currentMessage(), QStringLiteral(u"Το συμπιεσμένο αρχείο γράφτηκε: ") + archive);
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

    // The list of the tab shown, its pending row posted first, written where
    // chosen and named in the status bar; "Όχι" to replacing writes nothing,
    // and a .csv of both lists is refused.
    void exportWritesTheChosenListsAsASpreadsheet()
    {
        TDialogs::SetNextAnswer(mrYes);
        Form().newStatement();
        TakeShown();
        auto& list = Doc().List(TSide::Customers);
        list.Append();
        list.Field(field::Afm).SetAsString("012345670");
        list.Field(field::Name).SetAsString(*ToCp1253(QStringLiteral(u"ΠΑΠΑΔΟΠΟΥΛΟΣ")));
        list.Field(field::Ypovolh).SetAsString("1");
        list.Field(field::NoTimologion).SetAsString("3");
        list.Field(field::Value).SetAsString("1500,25");
        const QString path = Path(QStringLiteral("lists.xlsx"));
        TDialogs::SetNextAnswer(mrYes);
        TDialogs::SetNextFileName(path);
        Trigger("Export1");
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"ask: Ποια λίστα θέλετε να εξαγάγετε σε λογιστικό φύλλο;")});
        QCOMPARE(Form().statusBar()->currentMessage(), QStringLiteral(u"Το λογιστικό φύλλο γράφτηκε: ") + path);
        const TSheetBlock block = ReadXlsx(path.toStdString());
        QCOMPARE(block.rows, 2);
        QCOMPARE(block.At(1, 0), TCell::Text("012345670"));
        QCOMPARE(block.At(1, 9), TCell::Number(1500.25));

        const QByteArray written = Bytes(path);
        TDialogs::SetNextAnswer(mrOk);
        TDialogs::SetNextFileName(path);
        TDialogs::SetNextAnswer(mrNo);
        Trigger("Export1");
        QCOMPARE(TakeShown().last(),
                 QStringLiteral(u"ask: Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο lists.xlsx;"));
        QCOMPARE(Bytes(path), written);

        TDialogs::SetNextAnswer(mrOk);
        TDialogs::SetNextFileName(Path(QStringLiteral("lists.csv")));
        Trigger("Export1");
        QVERIFY(TakeShown().last().startsWith(QStringLiteral(u"message: Ένα αρχείο CSV χωράει μία μόνο λίστα")));
        QVERIFY(!QFile::exists(Path(QStringLiteral("lists.csv"))));
    }

    // The documents folder first, then the folder last chosen in; the
    // archive beside the statement; never the program's own folder.
    void fileDialogsStartWhereTheUsersFilesAre()
    {
        QTemporaryDir home;
        const QString documents = home.filePath(QStringLiteral(u"Έγγραφα"));
        const QString statements = home.filePath(QStringLiteral(u"κατάσταση 2024"));
        QDir().mkpath(documents);
        QDir().mkpath(statements);
        QDir().mkpath(home.filePath(QStringLiteral(".config")));
        QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DOCUMENTS_DIR=\"" + documents.toUtf8() + "\"\n");
        dirs.close();
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());

        QCOMPARE(FolderOfDialog([&] { Form().openStatement(); }), documents);
        TDialogs::SetNextFileName(statements + QStringLiteral(u"/ΔΗΛΩΣΗ.PIS"));
        QCOMPARE(FolderOfDialog([&] { Trigger("zip1"); }), statements);
        QCOMPARE(FolderOfDialog([&] { Form().openStatement(); }), statements);

        qputenv("HOME", savedHome);
        qunsetenv("XDG_CONFIG_HOME");
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
        QCOMPARE(Form().statusBar()->currentMessage(), QStringLiteral(u"Η συντόμευση δημιουργήθηκε: ") + launcher);
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

    // A heading row is refused as ever, then the question; "Ναι" opens the
    // columns window on the proposal, where the keys set Υπόχρεος to 0 for
    // every row and Enter imports. The choice comes back for the same headings.
    void headingRowLeadsToTheColumnsWindowByKeys()
    {
        TDialogs::SetNextAnswer(mrYes);
        Trigger("N5");
        const QString sheet =
            WriteText(QStringLiteral("headed.csv"),
                      QStringLiteral(u"Α.Φ.Μ.;Επωνυμία;Επάγγελμα;Πόλη;Οδός;Αριθμός;ΤΚ;Τιμολόγια;Αξία\n"
                                     u"094014201;ΠΑΠΑΔΟΠΟΥΛΟΣ;ΕΜΠΟΡΙΟ;ΑΘΗΝΑ;ΣΤΑΔΙΟΥ;12;10564;3;1.234,50;α\n"
                                     u"045678904;ΓΕΩΡΓΙΟΥ;ΞΥΛΕΙΑ;ΠΑΤΡΑ;ΚΟΡΙΝΘΟΥ;5;26221;2;800;β\n"));
        QString obliged;
        TDialogs::Shown().clear();
        TDialogs::SetNextAnswer(mrYes);
        TDialogs::SetNextFileName(sheet);
        TDialogs::SetNextAnswer(mrYes);
        WhenModalShows<ImportPreviewDialog>(
            [&] { Trigger("Excel1"); },
            [&](ImportPreviewDialog& dialog) {
                obliged = dialog.findChild<QComboBox*>(QStringLiteral("fieldCombo3"))->currentText();
                // From the sheet's list past the heading rows, ΑΦΜ, Επωνυμία and Επάγγελμα to Υπόχρεος.
                for (int field = 0; field < 5; ++field) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            });
        QCOMPARE(obliged, QStringLiteral(u"(κενό)"));
        QCOMPARE(TDialogs::Shown().size(), 3);
        QVERIFY(TDialogs::Shown()[1].startsWith(QStringLiteral(u"message: Λάθος στη γραμμή 1 του αρχείου")));
        QCOMPARE(TDialogs::Shown()[2], QStringLiteral(u"ask: Η γραμμή μοιάζει με επικεφαλίδες. Θέλετε να ορίσετε "
                                                      u"ποιες γραμμές και στήλες θα εισαχθούν;"));
        QCOMPARE(Doc().List(TSide::Customers).RecordCount(), 2);
        QCOMPARE(QString::fromStdString(Doc().ValueTotalText(TSide::Customers)), QStringLiteral("2034,50"));

        // The same headings again, from the menu entry: the choice is back.
        TDialogs::SetNextAnswer(mrNo);
        TDialogs::SetNextFileName(sheet);
        WhenModalShows<ImportPreviewDialog>(
            [&] { Trigger("ImportLayout1"); },
            [&](ImportPreviewDialog& dialog) {
                obliged = dialog.findChild<QComboBox*>(QStringLiteral("fieldCombo3"))->currentText();
                QTest::keyClick(&dialog, Qt::Key_Escape);
            });
        QCOMPARE(obliged, QStringLiteral(u"0 σε όλες τις γραμμές"));
        QCOMPARE(Doc().List(TSide::Suppliers).RecordCount(), 0);
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

    // No browser starts: the address is shown, selectable to be copied, in
    // a message that Enter closes.
    void webPageWithoutABrowserShowsItsAddress()
    {
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        Qt::TextInteractionFlags flags;
        WithRealDialog([&] { Trigger("N20"); },
                       [&](QWidget* modal) {
                           if (auto* label = modal->findChild<QLabel*>(QStringLiteral("Message")))
                               flags = label->textInteractionFlags();
                       },
                       Qt::Key_Return);
        qputenv("PATH", savedPath);
        QVERIFY(flags.testFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard));
        QCOMPARE(TDialogs::Shown().size(), 1);
        QVERIFY(TDialogs::Shown()[0].endsWith(QStringLiteral("\nhttps://www.kefys.example/skpp/afmroot/enter.kefys")));
    }
};

QTEST_MAIN(ToolsMenuTest)
#include "test_tools_menu.moc"
