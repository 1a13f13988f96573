// The main window, driven as a user drives it.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>

#include "UiTestSupport.h"
#include "common/Cp1253.h"
#include "common/Files.h"
#include "ui/DBGrid.h"
#include "ui/DBNavigator.h"
#include "ui/Dialogs.h"
#include "ui/Main.h"
#include "ui/RecordStoreModel.h"

using namespace epinax;
using namespace epinax::ui;
using namespace epinax::ui::test;

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TForm1> form_;

    TForm1& Form() { return *form_; }
    TStatement& Doc() { return form_->Statement(); }
    QLineEdit* Edit(const char* name) { return form_->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QStringList TakeShown() { return std::exchange(TDialogs::Shown(), {}); }
    QString Path(const QString& name) { return dir_->filePath(name); }
    QString Bytes(const QString& name)
    {
        QFile file(Path(name));
        file.open(QIODevice::ReadOnly);
        return QString::fromLatin1(file.readAll());
    }

    void New()
    {
        TDialogs::SetNextAnswer(mrYes);
        Form().N5Click();
        TakeShown();
    }

private slots:
    void init()
    {
        TDialogs::SetRecordOnly(true);
        TDialogs::Shown().clear();
        dir_ = std::make_unique<QTemporaryDir>();
        TForm1::Options options{dir_->path().toStdString() + "/", [] { return TDate{2025, 3, 14}; }};
        form_ = std::make_unique<TForm1>(options);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void cleanup()
    {
        TDialogs::SetNextAnswer(mrNo);  // closing with changes: do not save
        form_->close();
        form_.reset();
        TDialogs::Shown().clear();
    }

    void newAnsweredNoThenYes()
    {
        QVERIFY(form_->findChild<QWidget*>(QStringLiteral("Panel2"))->isVisible());
        QVERIFY(!form_->findChild<QAction*>(QStringLiteral("N7"))->isEnabled());
        TDialogs::SetNextAnswer(mrNo);
        Form().N5Click();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"ask: Δημιουργία νέου αρχείου;")});
        QVERIFY(form_->findChild<QWidget*>(QStringLiteral("Panel2"))->isVisible());

        TDialogs::SetNextAnswer(mrYes);
        Form().N5Click();
        QCOMPARE(TakeShown(), QStringList{QStringLiteral(u"ask: Δημιουργία νέου αρχείου;")});
        QVERIFY(!form_->findChild<QWidget*>(QStringLiteral("Panel2"))->isVisible());
        QVERIFY(form_->findChild<QAction*>(QStringLiteral("N7"))->isEnabled());
        QCOMPARE(form_->findChild<QLabel*>(QStringLiteral("Label32"))->text(), QStringLiteral(u"0 Εγγραφές (Πελάτες)"));
        QVERIFY(QFile::exists(Path(QStringLiteral("temp/record2"))));
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
