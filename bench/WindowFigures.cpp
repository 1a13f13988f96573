// epinax-window-bench: the speed of the main window as the user feels it,
// with full lists, against the core doing the same work without windows in
// the same run. Runs headless (QT_QPA_PLATFORM=offscreen unless set).
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <iostream>
#include <memory>

#include "BenchSupport.h"
#include "BenchUi.h"
#include "StatementGenerator.h"
#include "statement/Statement.h"
#include "ui/DBGrid.h"
#include "ui/Dialogs.h"
#include "ui/Main.h"
#include "ui/RecordStoreModel.h"

namespace {

using namespace epinax;
using namespace epinax::bench;
using epinax::ui::TDialogs;
using epinax::ui::TForm1;

constexpr int kRows = 99'999;
constexpr TDate kToday{2025, 3, 14};

void SendKey(QWidget* widget, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

void TypeInto(QWidget* grid, const QString& text)
{
    for (QChar c : text) SendKey(QApplication::focusWidget() ? QApplication::focusWidget() : grid, 0, QString(c));
}

class WindowBench {
public:
    WindowBench() : statementFile_(data_.Path() + "/statement.txt")
    {
        GenerateStatementFile(statementFile_, {kRows, kRows, Tails::Distinct});
        TDialogs::SetRecordOnly(true);
        window_ = std::make_unique<TForm1>(TForm1::Options{windowDir_.Path() + "/", [] { return kToday; }});
        window_->show();
        QApplication::setActiveWindow(window_.get());
        QApplication::processEvents();
        core_ = std::make_unique<TStatement>(coreDir_.Path() + "/", coreUi_, [] { return kToday; });
        WindowOpen();
        CoreOpen();
    }

    // Through the menu handler with a scripted dialog, until the grid has
    // taken the list and is ready to paint.
    Seconds WindowOpen()
    {
        window_->Statement().MarkSaved();
        TDialogs::SetNextFileName(QString::fromStdString(statementFile_));
        const Seconds spent = Timed([&] {
            window_->N2Click();
            window_->Grid(TSide::Customers)->viewport()->repaint();
        });
        Require(window_->Statement().List(TSide::Customers).RecordCount() == kRows, "the window did not open the list");
        return spent;
    }

    Seconds CoreOpen()
    {
        core_->MarkSaved();
        coreUi_.files.push_back(statementFile_);
        const Seconds spent = Timed([&] { core_->N2Click(); });
        Require(coreUi_.messages == 0 && core_->List(TSide::Customers).RecordCount() == kRows, "the core did not open");
        return spent;
    }

    // Down on the last row starts a new row; the cells typed key by key;
    // Down again posts it. The row is deleted afterwards, untimed.
    Seconds WindowPost()
    {
        ui::TDBGrid* grid = window_->Grid(TSide::Customers);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(kRows - 1, 0));
        const QStringList cells{QString::fromStdString(ValidAfm(30'000'000)),
                                QStringLiteral(u"ΝΕΟΣ"),
                                QString(),
                                QStringLiteral("0"),
                                QString(),
                                QString(),
                                QString(),
                                QString(),
                                QStringLiteral("3"),
                                QStringLiteral("10,5")};
        const Seconds spent = Timed([&] {
            SendKey(grid, Qt::Key_Down);
            for (int column = 0; column < cells.size(); ++column) {
                grid->setFocus();
                grid->setCurrentIndex(grid->model()->index(kRows, column));
                if (!cells[column].isEmpty()) TypeInto(grid, cells[column]);
                grid->CommitEditor();
            }
            grid->FinishEditing();
            SendKey(grid, Qt::Key_Down);
        });
        auto& list = window_->Statement().List(TSide::Customers);
        Require(list.RecordCount() == kRows + 1,
                "the typed row was not posted: " + TDialogs::Shown().join(QStringLiteral(" | ")).toStdString());
        if (list.State() != TDataSetState::dsBrowse) list.Cancel();
        list.Last();
        list.Delete();
        Require(list.RecordCount() == kRows, "the typed row was not deleted");
        return spent;
    }

    Seconds CorePost()
    {
        auto& list = core_->List(TSide::Customers);
        const Seconds spent = Timed([&] {
            list.Append();
            list.FieldByName("AFMCust").SetAsString(ValidAfm(30'000'000));
            list.FieldByName("NameCust").SetAsString(CapitalsToCp1253("ΝΕΟΣ"));
            list.FieldByName("Ypovolh").SetAsString("0");
            list.FieldByName("NoTimologion").SetAsString("3");
            list.FieldByName("Value").SetAsString("10,5");
            list.Post();
        });
        Require(list.RecordCount() == kRows + 1, "the core did not post the row");
        list.Delete();
        return spent;
    }

private:
    TempDir data_, windowDir_, coreDir_;
    std::string statementFile_;
    std::unique_ptr<TForm1> window_;
    BenchUi coreUi_;
    std::unique_ptr<TStatement> core_;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    try {
        WindowBench bench;
        Report({
            {"window-open-99999", "the core's own Open of the same file", 5, [&] { return bench.WindowOpen(); },
             [&] { return bench.CoreOpen(); }},
            {"window-post-into-99999", "the core's post of the same row", 7, [&] { return bench.WindowPost(); },
             [&] { return bench.CorePost(); }},
        });
    } catch (const std::exception& error) {
        std::cerr << "epinax-window-bench: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
