#include "ui/PrintForm.h"

#include <malloc.h>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHideEvent>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <memory>
#include <vector>

#include "common/Errors.h"
#include "common/Files.h"
#include "outputs/Print.h"
#include "ui/Dialogs.h"
#include "ui/GreekText.h"
#include "ui/KeyLed.h"

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

// The number of <thead> rows of every table of the page, in the order the
// tables open, which is the order of their frames in the document.
std::vector<int> HeadRowsPerTable(const QString& html)
{
    static const QRegularExpression tags(QStringLiteral("<(/?)(table|thead|tr)\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    std::vector<int> rows;
    std::vector<std::pair<int, bool>> open;  // table index, inside its head
    for (auto it = tags.globalMatch(html); it.hasNext();) {
        auto match = it.next();
        bool closing = !match.captured(1).isEmpty();
        QString tag = match.captured(2).toLower();
        if (tag == QStringLiteral("table")) {
            if (!closing) {
                open.emplace_back(static_cast<int>(rows.size()), false);
                rows.push_back(0);
            } else if (!open.empty()) {
                open.pop_back();
            }
        } else if (open.empty()) {
            continue;
        } else if (tag == QStringLiteral("thead")) {
            open.back().second = !closing;
        } else if (!closing && open.back().second) {
            ++rows[open.back().first];
        }
    }
    return rows;
}

void CollectTables(QTextFrame* frame, std::vector<QTextTable*>& tables)
{
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) tables.push_back(table);
        CollectTables(child, tables);
    }
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

void RepeatTableHeads(QTextDocument& document, const QString& html)
{
    std::vector<int> headRows = HeadRowsPerTable(html);
    std::vector<QTextTable*> tables;
    CollectTables(document.rootFrame(), tables);
    for (size_t i = 0; i < tables.size() && i < headRows.size(); ++i) {
        QTextTableFormat format = tables[i]->format();
        if (headRows[i] == 0 || format.headerRowCount() == headRows[i]) continue;
        format.setHeaderRowCount(headRows[i]);
        tables[i]->setFormat(format);
    }
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
    if (!printed) TDialogs::ShowMessage(parent, FromCp1253(PrinterFailureMessage()));
    return printed;
}

// ---------------------------------------------------------------- TPrintForm

TPrintForm::TPrintForm(QWidget* parent, TKeyLed* keyLed) : QDialog(parent), keyLed_(keyLed)
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral(u"Εκτύπωση"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // Shown over the main window, which waits until it is closed.
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(kClientWidth, kClientHeight);

    WebBrowser1 = new TPageBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(8, 8, 705, 553);
    Button1 = new QPushButton(QStringLiteral(u"Εκτύπωση"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(720, 64, 81, 65);
    connect(Button1, &QPushButton::clicked, this, &TPrintForm::Button1Click);
    // Two lines: the button is no wider than the one above it.
    Button2 = new QPushButton(QStringLiteral(u"Αποθήκευση\nPDF"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAccessibleName(QStringLiteral(u"Αποθήκευση PDF"));
    Button2->setGeometry(720, 137, 81, 65);
    connect(Button2, &QPushButton::clicked, this, &TPrintForm::Button2Click);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool TPrintForm::ShowReport(const QString& path, TSide side)
{
    auto html = TPageBrowser::ReadPage(path);
    if (!html) return false;
    side_ = side;
    WebBrowser1->setHtml(*html);
    RepeatTableHeads(*WebBrowser1->document(), *html);
    return true;
}

// A window minimised keeps its page; one closed gives the memory back to the
// system, which the allocator would otherwise keep for the program.
void TPrintForm::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous()) return;
    WebBrowser1->clear();
    ::malloc_trim(0);
}

void TPrintForm::Button1Click() { PrintWithDialog(this, *WebBrowser1->document()); }

void TPrintForm::Button2Click()
{
    TCapsLockOff namesAsTyped(keyLed_);
    auto path = TDialogs::PdfFileName(this, ProposedPdfPath());
    if (!path) return;
    TDialogs::RememberFolderOf(*path);
    if (!WritePdf(*path)) TDialogs::ShowMessage(this, PdfFailureMessage());
}

bool TPrintForm::WritePdf(const QString& path) const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(path);
    printer.setDocName(WebBrowser1->documentTitle());
    return PrintDocument(*WebBrowser1->document(), printer);
}

// Pelates.pdf or Promitheftes.pdf, named as the report file is, in the
// folder the file dialogs start in.
QString TPrintForm::ProposedPdfPath() const
{
    QString name = FromCp1253(ReportFileName(side_));
    name = QFileInfo(name).completeBaseName() + QStringLiteral(".pdf");
    return TDialogs::StartFolder() + name;
}

}  // namespace epinax::ui
