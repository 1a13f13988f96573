// epinax-window-bench: the speed of the main window as the user feels it,
// with full lists, against the core doing the same work without windows in
// the same run. Runs headless (QT_QPA_PLATFORM=offscreen unless set).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "BenchSupport.h"
#include "StatementGenerator.h"
#include "WorkbookGenerator.h"
#include "entry/RecordLayout.h"
#include "import/Workbook.h"
#include "outputs/StatementReport.h"
#include "pages/ReportPages.h"
#include "statement/Statement.h"
#include "statement/UserInterface.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/ImportPreviewDialog.h"
#include "ui/MainWindow.h"
#include "ui/PrintWindow.h"
#include "ui/RecordStoreModel.h"

namespace {

using namespace epinax;

double ResidentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    return statm.readAll().split(' ').value(1).toDouble() * ::sysconf(_SC_PAGESIZE) / (1 << 20);
}

using namespace epinax::bench;
using epinax::ui::MainWindow;
using epinax::ui::TDialogs;

constexpr int kRows = 99'999;
constexpr int kPreviewRows = 10'000;
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
    WindowBench() : statementFile_(data_.Path() + "/statement.txt"), workbook_(data_.Path() + "/counterparties.xlsx")
    {
        GenerateStatementFile(statementFile_, {kRows, kRows, Tails::Distinct});
        WriteCounterpartyWorkbook(workbook_, kPreviewRows);
        TDialogs::SetRecordOnly(true);
        window_ = std::make_unique<MainWindow>(MainWindow::Options{windowDir_.Path() + "/", [] { return kToday; }});
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
            window_->openStatement();
            window_->Grid(TSide::Customers)->viewport()->repaint();
        });
        Require(window_->Statement().List(TSide::Customers).RecordCount() == kRows, "the window did not open the list");
        return spent;
    }

    Seconds CoreOpen()
    {
        core_->MarkSaved();
        TOutcome opened;
        const Seconds spent = Timed([&] { opened = core_->Open(statementFile_); });
        Require(opened.notices.empty() && core_->List(TSide::Customers).RecordCount() == kRows,
                "the core did not open");
        return spent;
    }

    // Down on the last row starts a new row; the cells typed key by key;
    // Down again posts it. The row is deleted afterwards, untimed.
    Seconds WindowPost()
    {
        ui::CounterpartyGrid* grid = window_->Grid(TSide::Customers);
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
            list.Field(field::Afm).SetAsString(ValidAfm(30'000'000));
            list.Field(field::Name).SetAsString(CapitalsToCp1253("ΝΕΟΣ"));
            list.Field(field::Ypovolh).SetAsString("0");
            list.Field(field::NoTimologion).SetAsString("3");
            list.Field(field::Value).SetAsString("10,5");
            list.Post();
        });
        Require(list.RecordCount() == kRows + 1, "the core did not post the row");
        list.Delete();
        return spent;
    }

    // The customers' PDF through the page renderer, and the HTML report of
    // the same list, each replacing its earlier file.
    Seconds Pdf()
    {
        const std::string path = coreDir_.Path() + "/Pelates.pdf";
        const Seconds spent = Timed([&] { WritePdf(TReportPages(ReportInputOf(*core_, TSide::Customers)), path); });
        Require(std::filesystem::file_size(path) > 1'000'000, "the PDF was not written");
        return spent;
    }

    Seconds Html()
    {
        const std::string path = coreDir_.Path() + "/Pelates.htm";
        return Timed([&] { WriteListReport(ReportInputOf(*core_, TSide::Customers), path); });
    }

    // The print menu's handler until page 1 of the print window is painted;
    // the window is closed again afterwards, untimed.
    Seconds printWindow()
    {
        ui::PrintWindow* window = window_->printWindow();
        const Seconds spent = Timed([&] {
            window_->printCustomerReport();
            window->View()->widget()->repaint();
        });
        Require(window->isVisible() && window->Pages() && window->Pages()->PageCount() > 1000,
                "the print window did not show the list's pages");
        window->close();
        return spent;
    }

    // The HTML report of the window's own list, as the print menu writes it.
    Seconds WindowHtml()
    {
        const std::string path = windowDir_.Path() + "/Pelates.htm";
        return Timed([&] { WriteListReport(ReportInputOf(window_->Statement(), TSide::Customers), path); });
    }

    // The import's columns window over a 10,000-row workbook, from its
    // opening until its grid is painted, and the same sheet read alone.
    Seconds Preview()
    {
        const Seconds spent = Timed([&] {
            ui::ImportPreviewDialog preview(
                window_.get(), ReadSheetNames(workbook_),
                [&](const TSheetChoice& choice) { return ReadSheet(workbook_, choice, [] { return true; }); },
                QString::fromStdString(windowDir_.Path() + "/window.ini"));
            Require(preview.Start(std::nullopt), "the columns window did not read the sheet");
            preview.show();
            preview.repaint();
            Require(preview.Sheet().rows == kPreviewRows, "the columns window does not hold the sheet");
        });
        return spent;
    }

    Seconds ReadWorkbook()
    {
        TSheetChoice choice;
        choice.keptColumns = TSheetBlock::kMaxKeptColumns;
        return Timed(
            [&] { Require(ReadSheet(workbook_, choice, [] { return true; }).rows == kPreviewRows, "unread"); });
    }

    // The program's resident memory before the print window opens and after
    // it is closed again.
    double MegabytesKeptAfterClosingThePrintWindow()
    {
        const double before = ResidentMegabytes();
        printWindow();
        QApplication::processEvents();
        return ResidentMegabytes() - before;
    }

#ifdef EPINAX_CLI
    // The peak memory of the tool writing the customers' PDF of the whole
    // statement file, a process of its own doing nothing else.
    double PdfPeakMegabytes()
    {
        const std::string pdf = coreDir_.Path() + "/tool.pdf";
        const pid_t child = ::fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl(EPINAX_CLI, EPINAX_CLI, "report", statementFile_.c_str(), "--customers", "--pdf", "-o", pdf.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        struct rusage usage {};
        ::wait4(child, &status, 0, &usage);
        Require(WIFEXITED(status) && WEXITSTATUS(status) == 0 && std::filesystem::exists(pdf),
                "the tool did not write the PDF");
        return usage.ru_maxrss / 1024.0;
    }
#endif

private:
    TempDir data_, windowDir_, coreDir_;
    std::string statementFile_, workbook_;
    std::unique_ptr<MainWindow> window_;
    TUnwatched coreUi_;
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
            {"pdf-99999", "writing the list's HTML report", 1, [&] { return bench.Pdf(); },
             [&] { return bench.Html(); }},
            {"print-window-99999", "writing the list's HTML report", 3, [&] { return bench.printWindow(); },
             [&] { return bench.WindowHtml(); }},
            {"window-open-99999", "the core's own Open of the same file", 5, [&] { return bench.WindowOpen(); },
             [&] { return bench.CoreOpen(); }},
            {"window-post-into-99999", "the core's post of the same row", 7, [&] { return bench.WindowPost(); },
             [&] { return bench.CorePost(); }},
            {"import-preview-10000", "reading the same workbook's sheet alone", 5, [&] { return bench.Preview(); },
             [&] { return bench.ReadWorkbook(); }},
        });
#ifdef EPINAX_CLI
        std::printf("pdf-99999-memory: MB=%.1f\n", bench.PdfPeakMegabytes());
#endif
        std::printf("print-window-99999-memory-after-close: MB=%.1f\n",
                    bench.MegabytesKeptAfterClosingThePrintWindow());
    } catch (const std::exception& error) {
        std::cerr << "epinax-window-bench: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
