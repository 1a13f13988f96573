// A copy of the program's main window that a test can kill: "type DIR" starts
// a statement and types customers into its grid without end, telling its
// parent after each row is posted; "recover DIR" starts again over the same
// working files, answers Yes to the recovery question and reports what it
// found.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <cstdio>

#include "UiTestSupport.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/MainWindow.h"

using namespace epinax;
using namespace epinax::ui;
using namespace epinax::ui::test;

namespace {

void Say(const QString& line)
{
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void TypeInto(MainWindow& form, const char* edit, const QString& text)
{
    auto* widget = form.findChild<QLineEdit*>(QString::fromLatin1(edit));
    widget->setFocus();
    TypeFocused(text);
}

QString CustomerAfm(int row) { return QStringLiteral("%1").arg(100000000 + row); }

int TypeWithoutEnd(MainWindow& form)
{
    TDialogs::SetNextAnswer(mrYes);
    form.newStatement();
    TypeInto(form, "YearOfData", QStringLiteral("2024"));
    TypeInto(form, "AFM", QStringLiteral("123456783"));
    TypeInto(form, "Egatastash", QStringLiteral(u"Ε"));
    TypeInto(form, "CompanyName", QStringLiteral(u"ΑΚΜΕ ΑΕ"));
    auto* combo = form.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    combo->setCurrentIndex(9);
    emit combo->activated(9);
    Say(QStringLiteral("header"));

    CounterpartyGrid* grid = form.Grid(TSide::Customers);
    const QStringList cells = {{},
                               QStringLiteral(u"ΠΕΛΑΤΗΣ"),
                               {},
                               QStringLiteral("1"),
                               {},
                               {},
                               {},
                               {},
                               QStringLiteral("2"),
                               QStringLiteral("10")};
    for (int row = 0;; ++row) {
        for (int column = 0; column < cells.size(); ++column) {
            grid->setFocus();
            grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), column));
            TypeFocused(column == 0 ? CustomerAfm(row) : cells[column]);
            grid->CommitEditor();
            QTest::qWait(1);
        }
        Key(grid, Qt::Key_Down);  // leaving the row posts it
        if (form.Statement().List(TSide::Customers).RecordCount() != row + 1) {
            Say(QStringLiteral("refused ") + TDialogs::Shown().join(QLatin1Char('|')));
            return 1;
        }
        Say(QStringLiteral("posted ") + CustomerAfm(row));
    }
}

int Recover(MainWindow& form)
{
    TDialogs::SetNextAnswer(mrYes);
    form.OfferRecovery();
    for (const QString& shown : TDialogs::Shown()) Say(QStringLiteral("shown ") + shown);
    TStatement& doc = form.Statement();
    Say(QStringLiteral("unsaved %1").arg(doc.UnsavedChanges() ? 1 : 0));
    Say(QStringLiteral("afm ") + QString::fromStdString(doc.Header().TaxNumber));
    Say(QStringLiteral("name ") + QString::fromStdString(doc.Header().CompanyName));
    Say(QStringLiteral("office %1").arg(doc.Header().TaxOffice));
    Say(QStringLiteral("shown rows %1").arg(form.Grid(TSide::Customers)->model()->rowCount()));
    TFixedFormatDataSet& list = doc.List(TSide::Customers);
    const TField& afm = list.Field(field::Afm);
    for (int i = 0; i < list.RecordCount(); ++i) Say(QStringLiteral("row ") + FromCp1253(list.FieldTextAt(i, afm)));
    doc.MarkSaved();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 3) return 2;
    const std::string mode = argv[1];
    TDialogs::SetRecordOnly(true);
    MainWindow form({std::string(argv[2]) + "/", [] { return TDate{2025, 3, 14}; }});
    form.show();
    QApplication::setActiveWindow(&form);
    if (mode == "type") return TypeWithoutEnd(form);
    if (mode == "recover") return Recover(form);
    return 2;
}
