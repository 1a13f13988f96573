#include "pages/ReportPages.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <array>
#include <exception>

#include "common/Cp1253.h"
#include "common/Files.h"

namespace epinax {

namespace {

// The paper and its margins, in points.
constexpr qreal kLeft = 36, kTop = 28, kBottom = 28;
constexpr qreal kRowHeight = 12;
constexpr qreal kPageHeadHeight = 12;  // the ministry line, on every page
constexpr qreal kListHeadHeight = 40;  // the column heads, up to four lines
constexpr qreal kFootHeight = 16;      // "Σελίδα N από M"
constexpr qreal kCellPadding = 2;
constexpr int kClosingRows = 3;  // a blank row, the public sector, the total
// Title, the credit balances line, the header and taxpayer blocks of page 1.
constexpr qreal kFirstPageBlocksHeight = 20 + kRowHeight + 2 * kRowHeight + 18 + 5 * kRowHeight + kRowHeight;
// The seven columns, as wide as their longest field allows at the body size.
constexpr std::array<qreal, kReportColumns> kColumnWidths{28, 44, 128, 52, 158, 48, 65};
// Numbers stand to the right of their cells, texts to the left, the one-digit
// obliged flag under the middle of its wide head.
constexpr std::array<Qt::Alignment::Int, kReportColumns> kAlignments{
    Qt::AlignRight, Qt::AlignLeft, Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight};

constexpr qreal ColumnLeft(int column)
{
    qreal x = kLeft;
    for (int i = 0; i < column; ++i) x += kColumnWidths[static_cast<size_t>(i)];
    return x;
}
constexpr qreal kTableRight = ColumnLeft(kReportColumns);

QFont Font(int pixels, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    // Sizes in points of the page, whatever the device's resolution: the
    // painter scales them with everything else.
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

qreal RowsHeightOnPage(bool first)
{
    const qreal body =
        TReportPages::PageSize().height() - kTop - kBottom - kPageHeadHeight - kListHeadHeight - kFootHeight;
    return first ? body - kFirstPageBlocksHeight : body;
}

QString JoinAddress(const TReportHeader& h)
{
    return TextOf(h.town) + QStringLiteral(", ") + TextOf(h.street) + QStringLiteral(" ") + TextOf(h.number) +
           QStringLiteral(", ") + TextOf(h.tk);
}

}  // namespace

// The glyph and advance of every Windows-1253 byte in the body's font.
struct TReportPages::TGlyphTable {
    TGlyphTable(const QFont& body, qreal rowHeight) : font(QRawFont::fromFont(body))
    {
        QString bytes;
        for (int byte = 0; byte < 256; ++byte)
            bytes.append(QChar(static_cast<char16_t>(cp1253::ToUnicode(static_cast<unsigned char>(byte)))));
        const QList<quint32> indexes = font.glyphIndexesForString(bytes);
        const QList<QPointF> advances = font.advancesForGlyphIndexes(indexes, QRawFont::UseDesignMetrics);
        for (size_t byte = 0; byte < 256 && byte < static_cast<size_t>(indexes.size()); ++byte) {
            glyph[byte] = indexes[static_cast<qsizetype>(byte)];
            advance[byte] = advances[static_cast<qsizetype>(byte)].x();
        }
        baseline = (rowHeight + font.ascent() - font.descent()) / 2;
    }
    qreal Width(std::string_view text) const
    {
        qreal width = 0;
        for (char c : text) width += advance[static_cast<unsigned char>(c)];
        return width;
    }

    QRawFont font;
    std::array<quint32, 256> glyph{};
    std::array<qreal, 256> advance{};
    qreal baseline = 0;
};

QString TextOf(std::string_view cp1253Text)
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> out{};
        for (int byte = 0; byte < 256; ++byte)
            out[static_cast<size_t>(byte)] = static_cast<char16_t>(cp1253::ToUnicode(static_cast<unsigned char>(byte)));
        return out;
    }();
    QString text(static_cast<qsizetype>(cp1253Text.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : cp1253Text) *out++ = QChar(table[static_cast<unsigned char>(c)]);
    return text;
}

QSizeF TReportPages::PageSize() { return QPageSize(QPageSize::A4).size(QPageSize::Point); }

TReportPages::TReportPages(const TReportInput& input)
    : rows_(input),
      header_(input.header),
      credit_(input.credit),
      whose_(input.side == TSide::Customers ? QStringLiteral(u"ΠΕΛΑΤΩΝ") : QStringLiteral(u"ΠΡΟΜΗΘΕΥΤΩΝ")),
      body_(Font(7, false)),
      bold_(Font(7, true)),
      headFont_(Font(6, true)),
      small_(Font(6, false)),
      titleFont_(Font(10, true))
{
    const TClosingRows closing = ClosingRowsOf(input);
    closing_ = {TextOf(closing.publicText), TextOf(closing.publicValue), TextOf(closing.invoiceTotal),
                TextOf(closing.total)};
    title_ = QStringLiteral(u"ΣΥΓΚΕΝΤΡΩΤΙΚΗ ΚΑΤΑΣΤΑΣΗ ") + whose_ + QStringLiteral(u" ") + TextOf(header_.year) +
             QStringLiteral(u" ΑΦΜ ") + TextOf(header_.afm);
    glyphs_ = std::make_shared<const TGlyphTable>(body_, kRowHeight);

    firstPageRows_ = static_cast<int>(RowsHeightOnPage(true) / kRowHeight);
    pageRows_ = static_cast<int>(RowsHeightOnPage(false) / kRowHeight);
    const int n = rows_.Count();
    const int rowPages = n <= firstPageRows_ ? 1 : 1 + (n - firstPageRows_ + pageRows_ - 1) / pageRows_;
    const int onLast = n - (rowPages == 1 ? 0 : firstPageRows_ + (rowPages - 2) * pageRows_);
    closingAlone_ = onLast + kClosingRows > CapacityOf(rowPages - 1);
    pageCount_ = rowPages + (closingAlone_ ? 1 : 0);
}

int TReportPages::CapacityOf(int page) const { return page == 0 ? firstPageRows_ : pageRows_; }

int TReportPages::FirstRowOf(int page) const
{
    const int first = page == 0 ? 0 : firstPageRows_ + (page - 1) * pageRows_;
    return std::min(first, rows_.Count());
}

int TReportPages::RowsOn(int page) const
{
    return std::max(0, std::min(CapacityOf(page), rows_.Count() - FirstRowOf(page)));
}

void TReportPages::Paint(QPainter& painter, int page) const
{
    painter.save();
    painter.setPen(QPen(Qt::black, 0.5));
    qreal y = PaintPageHead(painter, page);
    y = PaintListHead(painter, y);
    y = PaintRows(painter, y, page);
    if (page == pageCount_ - 1) PaintClosingRows(painter, y);
    PaintFoot(painter, page);
    painter.restore();
}

// The ministry line on every page, as the HTML's repeated outer head; the
// title and the statement's blocks on the first.
qreal TReportPages::PaintPageHead(QPainter& painter, int page) const
{
    painter.setFont(small_);
    painter.drawText(QRectF(kLeft, kTop, kTableRight - kLeft, kPageHeadHeight), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral(u"ΥΠΟΥΡΓΕΙΟ ΣΤΑΘΜΙΣ - ΚΕΦΥΣ"));
    const qreal y = kTop + kPageHeadHeight;
    return page == 0 ? PaintFirstPageBlocks(painter, y) : y;
}

qreal TReportPages::PaintFirstPageBlocks(QPainter& painter, qreal y) const
{
    const qreal width = kTableRight - kLeft;
    auto line = [&](const QFont& font, qreal height, Qt::Alignment align, const QStringList& texts) {
        painter.setFont(font);
        painter.drawText(QRectF(kLeft, y, width, height), align | Qt::AlignVCenter, texts.join(QStringLiteral("   ")));
        y += height;
    };
    const qreal top = y;
    line(titleFont_, 20, Qt::AlignHCenter, {QStringLiteral(u"ΣΥΓΚΕΝΤΡΩΤΙΚΗ ΚΑΤΑΣΤΑΣΗ ") + whose_});
    line(body_, kRowHeight, Qt::AlignHCenter, {credit_ ? QStringLiteral(u"ΠΙΣΤΩΤΙΚΑ ΥΠΟΛΟΙΠΑ") : QString()});
    line(body_, kRowHeight, Qt::AlignLeft,
         {QStringLiteral(u"Προς Δ.Ο.Υ.:"), TextOf(header_.taxOfficeName), TextOf(header_.taxOfficeCode),
          QStringLiteral(u"Έτος:"), TextOf(header_.year), QStringLiteral(u"Αριθ. Κατάστασης:"),
          QStringLiteral(u"* Συμπληρώνεται από την Υπηρεσία")});
    line(body_, kRowHeight, Qt::AlignRight,
         {QStringLiteral(u"Αριθ. Φακέλου:"), TextOf(header_.folder), QStringLiteral(u"(για τις Α.Ε.)")});
    line(bold_, 18, Qt::AlignHCenter, {QStringLiteral(u"ΣΤΟΙΧΕΙΑ ΥΠΟΧΡΕΟΥ")});
    line(body_, kRowHeight, Qt::AlignLeft,
         {QStringLiteral(u"Ονοματεπώνυμο ή Επωνυμία:"), TextOf(header_.companyName), QStringLiteral(u"ΑΦΜ:"),
          TextOf(header_.afm)});
    line(body_, kRowHeight, Qt::AlignLeft, {QStringLiteral(u"Πατρώνυμο:")});
    line(body_, kRowHeight, Qt::AlignLeft,
         {QStringLiteral(u"Επάγγελμα:"), TextOf(header_.profession), QStringLiteral(u"Διεύθυνση:"),
          JoinAddress(header_), QStringLiteral(u"Τηλ:"), TextOf(header_.tel)});
    line(small_, kRowHeight, Qt::AlignHCenter, {QStringLiteral(u"(πόλη, οδός, αριθμός, Τ.Κ.)")});
    return top + kFirstPageBlocksHeight;
}

qreal TReportPages::PaintListHead(QPainter& painter, qreal y) const
{
    painter.setFont(headFont_);
    for (int column = 0; column < kReportColumns; ++column) {
        const QRectF cell(ColumnLeft(column) + kCellPadding, y,
                          kColumnWidths[static_cast<size_t>(column)] - 2 * kCellPadding, kListHeadHeight);
        painter.drawText(cell, Qt::AlignCenter | Qt::TextWordWrap,
                         TextOf(ListHeadCells()[static_cast<size_t>(column)]));
    }
    for (qreal line : {y, y + kListHeadHeight}) painter.drawLine(QPointF(kLeft, line), QPointF(kTableRight, line));
    PaintColumnLines(painter, y, y + kListHeadHeight);
    return y + kListHeadHeight;
}

// The rows of a page as one run of glyphs: every byte of the code page has
// its glyph and advance looked up once, so that a page of rows costs no text
// shaping, which would otherwise be most of the time of a long PDF.
qreal TReportPages::PaintRows(QPainter& painter, qreal y, int page) const
{
    const int first = FirstRowOf(page), count = RowsOn(page);
    const qreal top = y;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(count * 128);
    positions.reserve(count * 128);
    TReportCells cells;
    for (int row = first; row < first + count; ++row, y += kRowHeight) {
        rows_.Cells(row, cells);
        const qreal baseline = y + glyphs_->baseline;
        for (int column = 0; column < kReportColumns; ++column) {
            const std::string& text = cells[static_cast<size_t>(column)];
            const qreal width = glyphs_->Width(text);
            if (width > CellWidth(column)) {
                PaintCell(painter, y, column, TextOf(text));
                continue;
            }
            qreal x = CellLeft(column, width);
            for (char c : text) {
                const auto byte = static_cast<unsigned char>(c);
                glyphs.push_back(glyphs_->glyph[byte]);
                positions.push_back(QPointF(x, baseline));
                x += glyphs_->advance[byte];
            }
        }
    }
    QGlyphRun run;
    run.setRawFont(glyphs_->font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter.drawGlyphRun(QPointF(), run);
    if (count > 0) PaintRowBorders(painter, top, y);
    return y;
}

void TReportPages::PaintClosingRows(QPainter& painter, qreal y) const
{
    painter.setFont(body_);
    const qreal top = y;
    y += kRowHeight;  // the blank row
    const qreal spanLeft = ColumnLeft(2) + kCellPadding, spanWidth = ColumnLeft(5) - ColumnLeft(2) - 2 * kCellPadding;
    PaintCell(painter, y, 1, QStringLiteral("99999011"));
    painter.drawText(QRectF(spanLeft, y, spanWidth, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter, closing_[0]);
    PaintCell(painter, y, 6, closing_[1]);
    y += kRowHeight;
    PaintCell(painter, y, 1, QStringLiteral("99999999"));
    painter.drawText(QRectF(spanLeft, y, spanWidth, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral(u"ΣΥΝΟΛΟ"));
    PaintCell(painter, y, 5, closing_[2]);
    PaintCell(painter, y, 6, closing_[3]);
    y += kRowHeight;
    painter.drawLine(QPointF(kLeft, y), QPointF(kTableRight, y));
    for (qreal x : {kLeft, kTableRight}) painter.drawLine(QPointF(x, top), QPointF(x, y));
}

void TReportPages::PaintFoot(QPainter& painter, int page) const
{
    painter.setFont(body_);
    const qreal bottom = PageSize().height() - kBottom;
    painter.drawText(QRectF(kLeft, bottom - kFootHeight, kTableRight - kLeft, kFootHeight),
                     Qt::AlignHCenter | Qt::AlignBottom,
                     QStringLiteral(u"Σελίδα %1 από %2").arg(page + 1).arg(pageCount_));
}

// A text too wide for its cell is narrowed to fit rather than cut: nothing
// of a row may go missing from the paper.
void TReportPages::PaintCell(QPainter& painter, qreal y, int column, const QString& text) const
{
    painter.setFont(body_);
    const qreal width = CellWidth(column);
    const QRectF cell(ColumnLeft(column) + kCellPadding, y, width, kRowHeight);
    const Qt::Alignment align = Qt::Alignment(kAlignments[static_cast<size_t>(column)]) | Qt::AlignVCenter;
    const qreal textWidth = QFontMetricsF(painter.font()).horizontalAdvance(text);
    if (textWidth <= width) {
        painter.drawText(cell, align, text);
        return;
    }
    const QFont wide = painter.font();
    QFont narrow = wide;
    narrow.setStretch(std::max(40, static_cast<int>(98 * width / textWidth)));
    painter.setFont(narrow);
    painter.drawText(cell, align, text);
    painter.setFont(wide);
}

// The grid of the list table: a line under every row, the column lines.
void TReportPages::PaintRowBorders(QPainter& painter, qreal top, qreal bottom) const
{
    QList<QLineF> lines;
    for (qreal y = top + kRowHeight; y <= bottom + 0.01; y += kRowHeight)
        lines.append(QLineF(kLeft, y, kTableRight, y));
    painter.drawLines(lines);
    PaintColumnLines(painter, top, bottom);
}

void TReportPages::PaintColumnLines(QPainter& painter, qreal top, qreal bottom) const
{
    QList<QLineF> lines;
    for (int column = 0; column <= kReportColumns; ++column)
        lines.append(QLineF(ColumnLeft(column), top, ColumnLeft(column), bottom));
    painter.drawLines(lines);
}

qreal TReportPages::CellWidth(int column) { return kColumnWidths[static_cast<size_t>(column)] - 2 * kCellPadding; }

// Where a text `width` wide starts in its cell, as the column aligns it.
qreal TReportPages::CellLeft(int column, qreal width)
{
    const qreal left = ColumnLeft(column) + kCellPadding, room = CellWidth(column);
    switch (kAlignments[static_cast<size_t>(column)]) {
    case Qt::AlignRight: return left + room - width;
    case Qt::AlignHCenter: return left + (room - width) / 2;
    default: return left;
    }
}

// ------------------------------------------------------------------ devices

bool PrintPages(const TReportPages& pages, QPagedPaintDevice& device, const TPageProgress& progress, int from, int to)
{
    const int first = from > 0 ? std::min(from, pages.PageCount()) - 1 : 0;
    const int last = to > 0 ? std::clamp(to, first + 1, pages.PageCount()) - 1 : pages.PageCount() - 1;
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const qreal scale = device.logicalDpiX() / 72.0;
    for (int page = first; page <= last; ++page) {
        if (page > first) device.newPage();
        painter.resetTransform();
        painter.scale(scale, scale);
        pages.Paint(painter, page);
        if (progress && !progress(page - first + 1, last - first + 1)) {
            painter.end();
            return false;
        }
    }
    return painter.end();
}

namespace {

// The PDF writer's output, streamed into the new file beside the old one. A
// write that fails is kept and raised once the writer is done with it.
class TReplacingDevice : public QIODevice {
public:
    explicit TReplacingDevice(FileReplacer& file) : file_(file) { open(QIODevice::WriteOnly); }
    void RaiseFailure() const
    {
        if (failure_) std::rethrow_exception(failure_);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (failure_) return -1;
        try {
            file_.Write(std::string_view(data, static_cast<size_t>(size)));
        } catch (...) {
            failure_ = std::current_exception();
            return -1;
        }
        return size;
    }

private:
    FileReplacer& file_;
    std::exception_ptr failure_;
};

}  // namespace

bool WritePdf(const TReportPages& pages, const std::string& path, const TPageProgress& progress, int from, int to)
{
    FileReplacer file(path, TDurability::UserFile);
    TReplacingDevice device(file);
    bool whole = false;
    {
        QPdfWriter writer(&device);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        writer.setResolution(1200);
        writer.setTitle(pages.Title());
        writer.setCreator(QStringLiteral(u"e-ΠΙΝΑΞ"));
        whole = PrintPages(pages, writer, progress, from, to);
    }
    device.RaiseFailure();
    if (!whole) return false;
    file.Commit();
    return true;
}

}  // namespace epinax
