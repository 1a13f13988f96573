// The printed statement of one list as pages of paper: laid out once, with
// fixed row heights, and each page painted on demand onto the screen, a
// printer or a PDF file. The same texts, columns and order as the HTML
// report, taken from the report's input rather than from its markup.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "outputs/Print.h"

class QPainter;
class QPagedPaintDevice;

namespace epinax {

class TReportPages {
public:
    // The input's list must outlive the pages and stay as it is: its rows are
    // read again whenever a page is painted. Throws what TReportRows and
    // ClosingRowsOf throw.
    explicit TReportPages(const TReportInput& input);

    int PageCount() const { return pageCount_; }
    // A4 portrait, in points; painting is in points from its top left corner.
    static QSizeF PageSize();

    // The first row of `page` (from 0) and the number of its rows.
    int FirstRowOf(int page) const;
    int RowsOn(int page) const;

    // The statement's title, list, year and tax number, for the PDF's
    // metadata and the print queue.
    QString Title() const { return title_; }

    // Paints `page` (from 0) with the painter's coordinates in points.
    void Paint(QPainter& painter, int page) const;

private:
    qreal PaintPageHead(QPainter& painter, int page) const;
    qreal PaintFirstPageBlocks(QPainter& painter, qreal y) const;
    qreal PaintListHead(QPainter& painter, qreal y) const;
    qreal PaintRows(QPainter& painter, qreal y, int page) const;
    void PaintClosingRows(QPainter& painter, qreal y) const;
    void PaintFoot(QPainter& painter, int page) const;
    void PaintCell(QPainter& painter, qreal y, int column, const QString& text) const;
    void PaintRowBorders(QPainter& painter, qreal top, qreal bottom) const;
    void PaintColumnLines(QPainter& painter, qreal top, qreal bottom) const;
    int CapacityOf(int page) const;
    static qreal CellWidth(int column);
    static qreal CellLeft(int column, qreal width);

    TReportRows rows_;
    TReportHeader header_;
    bool credit_;
    QString whose_, title_;
    QStringList closing_;  // public-sector text, its value, invoice total, total
    QFont body_, bold_, headFont_, small_, titleFont_;
    struct TGlyphTable;
    std::shared_ptr<const TGlyphTable> glyphs_;
    int firstPageRows_ = 0, pageRows_ = 0, pageCount_ = 0;
    bool closingAlone_ = false;  // the closing rows on a page of their own
};

// Called after each page printed with its number (from 1) and the count;
// false stops the printing.
using TPageProgress = std::function<bool(int page, int pages)>;

// Paints the pages `from` to `to` (counted from 1; 0 for all) onto `device`
// (a printer or a PDF writer), scaled from points to its resolution. False
// when stopped or the painter cannot start.
bool PrintPages(const TReportPages& pages, QPagedPaintDevice& device, const TPageProgress& progress = {}, int from = 0,
                int to = 0);

// Writes the pages `from` to `to` (as PrintPages) as an A4 PDF file at
// `path`, with the title in its metadata, beside the name and then renamed
// over it: stopped or failed, it leaves no file and any earlier one whole.
// False when stopped. Throws EFileError ("Cannot create file %s", "Cannot
// write file %s").
bool WritePdf(const TReportPages& pages, const std::string& path, const TPageProgress& progress = {}, int from = 0,
              int to = 0);

// A Windows-1253 text of the core as Qt's text.
QString TextOf(std::string_view cp1253Text);

}  // namespace epinax
