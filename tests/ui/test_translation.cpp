// Qt's own dialogs in Greek: the translation the program installs at start
// reaches the file dialog's labels and buttons and the standard buttons.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "ui/Translation.h"

namespace {

QString Cancel() { return QStringLiteral(u"Άκυρο"); }

// No Latin letter left: the text was translated, not passed through.
bool IsGreek(const QString& text)
{
    bool greek = false;
    for (QChar c : text) {
        if (c.script() == QChar::Script_Latin) return false;
        greek = greek || c.script() == QChar::Script_Greek;
    }
    return greek;
}

QString LabelText(const QFileDialog& dialog, const char* name)
{
    auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

}  // namespace

class TestTranslation : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void greekForStandardTexts();
    void fileDialogOpenIsGreek();
    void fileDialogSaveIsGreek();
    void editMenuIsGreek();
};

void TestTranslation::initTestCase() { QVERIFY(epinax::ui::InstallGreekTranslation(*QCoreApplication::instance())); }

void TestTranslation::greekForStandardTexts()
{
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), Cancel());
    QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral(u"Όνομα &αρχείου:"));
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    QCOMPARE(box.button(QDialogButtonBox::Ok)->text(), QStringLiteral(u"Εντάξει"));
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), Cancel());
    QCOMPARE(box.button(QDialogButtonBox::Save)->text(), QStringLiteral(u"Αποθήκευση"));
}

void TestTranslation::fileDialogOpenIsGreek()
{
    QFileDialog dialog(nullptr, QStringLiteral(u"Άνοιγμα"), QDir::tempPath(), QStringLiteral(u"Κείμενο (*.txt)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);

    QCOMPARE(LabelText(dialog, "lookInLabel"), QStringLiteral(u"Αναζήτηση σε:"));
    QCOMPARE(LabelText(dialog, "fileNameLabel"), QStringLiteral(u"Όνομα &αρχείου:"));
    QCOMPARE(LabelText(dialog, "fileTypeLabel"), QStringLiteral(u"Αρχεία τύπου:"));
    QCOMPARE(dialog.labelText(QFileDialog::Accept), QStringLiteral(u"Ά&νοιγμα"));
    QCOMPARE(dialog.labelText(QFileDialog::Reject), Cancel());

    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(buttons);
    for (QAbstractButton* button : buttons->buttons()) QVERIFY2(IsGreek(button->text()), qPrintable(button->text()));
    for (QToolButton* button : dialog.findChildren<QToolButton*>()) {
        if (!button->toolTip().isEmpty()) QVERIFY2(IsGreek(button->toolTip()), qPrintable(button->toolTip()));
    }
    for (QAction* action : dialog.findChildren<QAction*>()) {
        if (!action->text().isEmpty()) QVERIFY2(IsGreek(action->text()), qPrintable(action->text()));
    }
}

void TestTranslation::fileDialogSaveIsGreek()
{
    QFileDialog dialog(nullptr, QStringLiteral(u"Αποθήκευση ως"), QDir::tempPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QCOMPARE(dialog.labelText(QFileDialog::Accept), QStringLiteral(u"&Αποθήκευση"));

    // With no filter of its own the dialog offers every file.
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QCOMPARE(types->itemText(0), QStringLiteral(u"Όλα τα αρχεία (*)"));
}

void TestTranslation::editMenuIsGreek()
{
    QLineEdit edit(QStringLiteral("abc"));
    QScopedPointer<QMenu> menu(edit.createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        // The key after the tab is the keyboard's, not a word.
        const QString words = action->text().section(QLatin1Char('\t'), 0, 0);
        if (!action->isSeparator()) QVERIFY2(IsGreek(words), qPrintable(action->text()));
    }
}

QTEST_MAIN(TestTranslation)
#include "test_translation.moc"
