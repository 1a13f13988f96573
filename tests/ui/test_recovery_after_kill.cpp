// A real copy of the program killed (SIGKILL) while rows are being typed, then
// started again over the same working files: every posted row and the header
// come back.
#include <signal.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class RecoveryAfterKillTest : public QObject {
    Q_OBJECT

    static QProcessEnvironment Offscreen()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return environment;
    }

private slots:
    void everyPostedRowAndTheHeaderComeBack()
    {
        QTemporaryDir dir;
        QProcess typing;
        typing.setProcessEnvironment(Offscreen());
        typing.start(QStringLiteral(EPINAX_RECOVERY_CHILD), {QStringLiteral("type"), dir.path()});
        QVERIFY(typing.waitForStarted());

        // Killed in the middle of typing: some rows posted, the next one half
        // typed.
        QStringList posted;
        bool header = false;
        while (posted.size() < 12) {
            if (!typing.canReadLine() && !typing.waitForReadyRead(30000)) QFAIL("the typing copy stopped talking");
            while (typing.canReadLine()) {
                const QString line = QString::fromUtf8(typing.readLine()).trimmed();
                QVERIFY2(!line.startsWith(QStringLiteral("refused")), qPrintable(line));
                if (line == QStringLiteral("header")) header = true;
                if (line.startsWith(QStringLiteral("posted "))) posted << line.mid(7);
            }
        }
        QVERIFY(header);
        QTest::qWait(15);
        ::kill(static_cast<pid_t>(typing.processId()), SIGKILL);
        QVERIFY(typing.waitForFinished());
        QCOMPARE(typing.exitStatus(), QProcess::CrashExit);
        while (typing.canReadLine()) {
            const QString line = QString::fromUtf8(typing.readLine()).trimmed();
            if (line.startsWith(QStringLiteral("posted "))) posted << line.mid(7);
        }

        QProcess again;
        again.setProcessEnvironment(Offscreen());
        again.start(QStringLiteral(EPINAX_RECOVERY_CHILD), {QStringLiteral("recover"), dir.path()});
        QVERIFY(again.waitForFinished(60000));
        QCOMPARE(again.exitCode(), 0);
        const QStringList report = QString::fromUtf8(again.readAllStandardOutput()).split(QLatin1Char('\n'));
        QVERIFY2(report.value(0).startsWith(
                     QStringLiteral(u"shown ask: Βρέθηκαν στοιχεία κατάστασης που δεν αποθηκεύτηκαν (")),
                 qPrintable(report.join(QLatin1Char('\n'))));
        QVERIFY(report.contains(QStringLiteral("unsaved 1")));
        QVERIFY(report.contains(QStringLiteral("afm 123456783")));
        QVERIFY(report.contains(QStringLiteral(u"name ΑΚΜΕ ΑΕ")));
        QVERIFY(report.contains(QStringLiteral("office 9")));
        QStringList rows;
        for (const QString& line : report)
            if (line.startsWith(QStringLiteral("row "))) rows << line.mid(4);
        // A row posted just before the kill may not have been announced.
        QVERIFY2(rows.size() == posted.size() || rows.size() == posted.size() + 1,
                 qPrintable(QStringLiteral("%1 posted, %2 back").arg(posted.size()).arg(rows.size())));
        QCOMPARE(rows.mid(0, posted.size()), posted);
        QVERIFY(report.contains(QStringLiteral("shown rows %1").arg(rows.size())));
    }
};

QTEST_MAIN(RecoveryAfterKillTest)
#include "test_recovery_after_kill.moc"
