#include "ui/PrintWindow.h"

#include <malloc.h>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>
#include <memory>

#include "common/Errors.h"
#include "common/Files.h"
#include "outputs/Print.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/KeyLed.h"
#include "ui/ObjectNames.h"

namespace epinax::ui {

namespace {

constexpr int kClientWidth = 803;
constexpr int kClientHeight = 587;
// The page is laid out this wide, in screen pixels, and scaled down to the
// paper: wide enough that the seven columns keep their words whole.
constexpr qreal kPrintLayoutWidth = 820;
constexpr qreal kPrintMargin = 12;

// Only the head of a page names its character set.
bool DeclaresUtf8(const QByteArray& bytes)
{
    static const QRegularExpression utf8(QStringLiteral("charset\\s*=\\s*[\"']?utf-?8"),
                                         QRegularExpression::CaseInsensitiveOption);
    return utf8.match(QString::fromLatin1(bytes.left(2048))).hasMatch();
}

QString PdfFailureMessage()
{
    return QStringLiteral(
        u"Υπήρξε ένα πρόβλημα κατά την αποθήκευση του αρχείου PDF. "
        u"Βεβαιωθείτε ότι ο φάκελος υπάρχει και ότι μπορείτε να γράψετε σε αυτόν.");
}

}  // namespace

// ------------------------------------------------------------- TPageBrowser

TPageBrowser::TPageBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

std::optional<QString> TPageBrowser::ReadPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    if (DeclaresUtf8(bytes)) return QString::fromUtf8(bytes);
    return FromCp1253(bytes.toStdString());
}

QVariant TPageBrowser::loadResource(int type, const QUrl& name)
{
    if (type == QTextDocument::HtmlResource && name.isLocalFile()) {
        if (auto page = ReadPage(name.toLocalFile())) return *page;
    }
    return QTextBrowser::loadResource(type, name);
}

// ------------------------------------------------------------------ printing

namespace {

// The page laid out as wide as the screen shows it, scaled down to the
// printable area of the paper.
void PrintOn(const QTextDocument& document, QPagedPaintDevice& device, const QRectF& paper)
{
    std::unique_ptr<QTextDocument> page(document.clone());
    QTextFrameFormat frame = page->rootFrame()->frameFormat();
    frame.setMargin(kPrintMargin);
    page->rootFrame()->setFrameFormat(frame);
    page->setPageSize(QSizeF(kPrintLayoutWidth, kPrintLayoutWidth * paper.height() / paper.width()));
    page->print(&device);
}

// A PDF file is made whole in memory and then replaces the file at `path` in
// one step, as every file the program writes: a full disk leaves the earlier
// file as it was and is reported, never a file cut short.
bool SavePdf(const QTextDocument& document, const QPrinter& layout, const QString& path)
{
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&bytes);
        writer.setPageLayout(layout.pageLayout());
        writer.setResolution(layout.resolution());
        writer.setTitle(layout.docName());
        PrintOn(document, writer, layout.pageLayout().paintRectPixels(layout.resolution()));
    }
    if (bytes.data().isEmpty()) return false;
    try {
        ReplaceFile(QFile::encodeName(path).toStdString(),
                    std::string_view(bytes.data().constData(), static_cast<size_t>(bytes.data().size())),
                    TDurability::UserFile);
    } catch (const EFileError&) {
        return false;
    }
    return true;
}

}  // namespace

bool PrintDocument(const QTextDocument& document, QPrinter& printer)
{
    if (!printer.isValid()) return false;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return SavePdf(document, printer, printer.outputFileName());
    PrintOn(document, printer, printer.pageLayout().paintRectPixels(printer.resolution()));
    return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

bool PrintWithDialog(QWidget* parent, const QTextDocument& document)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(document.metaInformation(QTextDocument::DocumentTitle));
    if (!TDialogs::ChoosePrinter(parent, printer)) return false;
    bool printed = PrintDocument(document, printer);
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    if (!printed) TDialogs::ShowMessage(parent, QString::fromStdString(PrinterFailureMessage()));
    return printed;
}

// ----------------------------------------------------------------- TPageView

namespace {

constexpr qreal kZoomStep = 1.25, kZoomMin = 0.5, kZoomMax = 4;
// Writing more pages than this shows its progress, with a way to stop.
constexpr int kProgressFromPages = 300;

QString PageOfPages(int page, int pages) { return QStringLiteral(u"Σελίδα %1 από %2").arg(page).arg(pages); }

}  // namespace

// The paper of the page shown, as large as the zoom makes it.
class TPageView::TSheet : public QWidget {
public:
    explicit TSheet(TPageView* view) : QWidget(view), view_(view) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (!view_->pages_) return;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(view_->zoom_, view_->zoom_);
        view_->pages_->Paint(painter, view_->page_);
    }

private:
    TPageView* view_;
};

TPageView::TPageView(QWidget* parent) : QScrollArea(parent), sheet_(new TSheet(this))
{
    setWidget(sheet_);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setBackgroundRole(QPalette::Dark);
    setFocusPolicy(Qt::StrongFocus);
}

void TPageView::SetPages(const TReportPages* pages)
{
    pages_ = pages;
    page_ = 0;
    if (pages_) {
        // The page as wide as the pane, less its frame and scroll bar; the
        // viewport has no size of its own until the window is first shown.
        const qreal room = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width();
        zoom_ = std::max(kZoomMin, room / TReportPages::PageSize().width());
    }
    Resize();
}

void TPageView::ShowPage(int page)
{
    if (!pages_) return;
    page_ = std::clamp(page, 0, pages_->PageCount() - 1);
    verticalScrollBar()->setValue(0);
    sheet_->update();
}

void TPageView::SetZoom(qreal zoom)
{
    zoom_ = std::clamp(zoom, kZoomMin, kZoomMax);
    Resize();
}

void TPageView::Resize()
{
    const QSizeF page = pages_ ? TReportPages::PageSize() * zoom_ : QSizeF();
    sheet_->resize(page.toSize());
    sheet_->update();
}

// ---------------------------------------------------------------- PrintWindow

PrintWindow::PrintWindow(QWidget* parent, TKeyLed* keyLed) : QDialog(parent), keyLed_(keyLed)
{
    setObjectName(handle::Name(handle::kPrintWindow));
    setWindowTitle(QStringLiteral(u"Εκτύπωση"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // Shown over the main window, which waits until it is closed.
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(kClientWidth, kClientHeight);

    pageView = new TPageView(this);
    pageView->setObjectName(handle::Name(handle::kPageView));
    pageView->setGeometry(8, 8, 705, 553);
    pageView->installEventFilter(this);
    printButton = new QPushButton(QStringLiteral(u"Εκτύπωση"), this);
    printButton->setObjectName(handle::Name(handle::kPrintButton));
    printButton->setGeometry(720, 64, 81, 65);
    connect(printButton, &QPushButton::clicked, this, &PrintWindow::print);
    // Two lines: the button is no wider than the one above it.
    pdfButton = new QPushButton(QStringLiteral(u"Αποθήκευση\nPDF"), this);
    pdfButton->setObjectName(handle::Name(handle::kPdfButton));
    pdfButton->setAccessibleName(QStringLiteral(u"Αποθήκευση PDF"));
    pdfButton->setGeometry(720, 137, 81, 65);
    connect(pdfButton, &QPushButton::clicked, this, &PrintWindow::savePdf);
    PageLabel = new QLabel(this);
    PageLabel->setObjectName(QStringLiteral("PageLabel"));
    PageLabel->setGeometry(716, 220, 87, 40);
    PageLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PageLabel->setWordWrap(true);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

PrintWindow::~PrintWindow() = default;

void PrintWindow::ShowReport(const TReportInput& input)
{
    pageView->SetPages(nullptr);
    pages_ = std::make_unique<TReportPages>(input);
    side_ = input.side;
    pageView->SetPages(pages_.get());
    ShowPage(0);
    pageView->setFocus();
}

void PrintWindow::ShowPage(int page)
{
    pageView->ShowPage(page);
    PageLabel->setText(pages_ ? PageOfPages(pageView->Page() + 1, pages_->PageCount()) : QString());
}

// The keys of the pages, taken before the scroll area would scroll with them.
bool PrintWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pageView && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (PageKey(key->key(), key->modifiers())) return true;
    }
    return QDialog::eventFilter(watched, event);
}

// The same keys with the focus on a button, which lets them through.
void PrintWindow::keyPressEvent(QKeyEvent* event)
{
    if (!PageKey(event->key(), event->modifiers())) QDialog::keyPressEvent(event);
}

bool PrintWindow::PageKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (!pages_) return false;
    const bool control = modifiers & Qt::ControlModifier;
    const int page = pageView->Page();
    if (key == Qt::Key_PageDown && !control)
        ShowPage(page + 1);
    else if (key == Qt::Key_PageUp && !control)
        ShowPage(page - 1);
    else if (key == Qt::Key_Home && control)
        ShowPage(0);
    else if (key == Qt::Key_End && control)
        ShowPage(pages_->PageCount() - 1);
    else if ((key == Qt::Key_Plus || key == Qt::Key_Equal) && control)
        pageView->SetZoom(pageView->Zoom() * kZoomStep);
    else if (key == Qt::Key_Minus && control)
        pageView->SetZoom(pageView->Zoom() / kZoomStep);
    else
        return false;
    return true;
}

// Closed, the window lets go of its pages and the memory their painting
// took, which the allocator would otherwise keep for the program.
void PrintWindow::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous()) return;
    pageView->SetPages(nullptr);
    pages_.reset();
    ::malloc_trim(0);
}

namespace {

// "Σελίδα N από M" with "Διακοπή" while many pages are written; none for few.
class TPrintProgress {
public:
    TPrintProgress(QWidget* parent, int pages)
    {
        if (pages <= kProgressFromPages) return;
        dialog_ =
            std::make_unique<QProgressDialog>(PageOfPages(0, pages), QStringLiteral(u"Διακοπή"), 0, pages, parent);
        dialog_->setWindowTitle(QStringLiteral(u"Εκτύπωση"));
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setValue(0);
    }
    // A printer stopped drops the job rather than print half of it.
    TPageProgress Callback(QPrinter* printer = nullptr)
    {
        if (!dialog_) return {};
        return [this, printer](int page, int pages) {
            dialog_->setLabelText(PageOfPages(page, pages));
            dialog_->setValue(page);
            QCoreApplication::processEvents();
            if (!dialog_->wasCanceled()) return true;
            if (printer) printer->abort();
            return false;
        };
    }
    bool Stopped() const { return dialog_ && dialog_->wasCanceled(); }

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace

// A printer that writes into a file (the print dialog's "print to file")
// gets the file replaced whole, as every file the program writes.
void PrintWindow::print()
{
    if (!pages_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setFullPage(true);
    printer.setDocName(pages_->Title());
    if (!TDialogs::ChoosePrinter(this, printer)) return;
    TPrintProgress progress(this, pages_->PageCount());
    bool printed = true;  // stopped by the user is no failure
    try {
        if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
            WritePdf(*pages_, QFile::encodeName(printer.outputFileName()).toStdString(), progress.Callback(),
                     printer.fromPage(), printer.toPage());
        else if (!PrintPages(*pages_, printer, progress.Callback(&printer), printer.fromPage(), printer.toPage()))
            printed = progress.Stopped();
    } catch (const EFileError&) {
        printed = false;
    }
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    if (!printed) TDialogs::ShowMessage(this, QString::fromStdString(PrinterFailureMessage()));
}

void PrintWindow::savePdf()
{
    if (!pages_) return;
    TCapsLockOff namesAsTyped(keyLed_);
    auto path = TDialogs::PdfFileName(this, ProposedPdfPath());
    if (!path) return;
    TDialogs::RememberFolderOf(*path);
    TPrintProgress progress(this, pages_->PageCount());
    try {
        if (WritePdf(*pages_, QFile::encodeName(*path).toStdString(), progress.Callback())) emit pdfWritten(*path);
    } catch (const EFileError&) {
        TDialogs::ShowMessage(this, PdfFailureMessage());
    }
}

// Pelates.pdf or Promitheftes.pdf, named as the report file is, in the
// folder the file dialogs start in.
QString PrintWindow::ProposedPdfPath() const
{
    QString name = FromCp1253(ReportFileName(side_));
    name = QFileInfo(name).completeBaseName() + QStringLiteral(".pdf");
    return TDialogs::StartFolder() + name;
}

}  // namespace epinax::ui
