// The print window: the printed statement of one list shown page by page as
// it will be on paper, printed through the platform's print dialog or saved
// as a PDF file. One instance lives for the whole run, hidden between uses.
// The manual's pages are shown and printed with the browser pane here.
#pragma once

#include <QDialog>
#include <QScrollArea>
#include <QTextBrowser>
#include <memory>
#include <optional>

#include "entry/Counterparty.h"
#include "pages/ReportPages.h"

class QLabel;
class QPrinter;
class QPushButton;

namespace epinax::ui {

class TKeyLed;

// A pane that shows local HTML pages. The program's pages are Windows-1253
// unless their head names UTF-8, and Qt alone would read them as Latin-1.
class TPageBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit TPageBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;

    // The page's text, read and decoded; nothing when the file cannot be read.
    static std::optional<QString> ReadPage(const QString& path);
};

// Prints the document on the printer; false when nothing could be printed.
// Printed into a PDF file, the file is replaced whole or not at all.
bool PrintDocument(const QTextDocument& document, QPrinter& printer);

// The print dialog (or a test's scripted answer), then the document printed;
// a failure shows the printer message. False when cancelled or failed.
bool PrintWithDialog(QWidget* parent, const QTextDocument& document);

// The pages of the printed statement, one at a time, painted as they are
// shown: page 1 is there at once whatever the list's length.
class TPageView : public QScrollArea {
    Q_OBJECT
public:
    explicit TPageView(QWidget* parent);
    void SetPages(const TReportPages* pages);  // nothing: an empty view
    int Page() const { return page_; }
    void ShowPage(int page);  // brought within the pages
    qreal Zoom() const { return zoom_; }
    void SetZoom(qreal zoom);

private:
    class TSheet;
    void Resize();

    TSheet* sheet_;
    const TReportPages* pages_ = nullptr;
    int page_ = 0;
    qreal zoom_ = 1;
};

class PrintWindow : public QDialog {
    Q_OBJECT
public:
    explicit PrintWindow(QWidget* parent, TKeyLed* keyLed = nullptr);
    ~PrintWindow() override;

    // Lays the report of the input's list out as pages and shows page 1; the
    // list is read again as pages are painted, so it must stay as it is
    // while the window is open (the window is modal). Throws what
    // TReportPages throws.
    void ShowReport(const TReportInput& input);
    const TReportPages* Pages() const { return pages_.get(); }
    TPageView* View() const { return pageView; }

    void print();    // Εκτύπωση
    void savePdf();  // Αποθήκευση PDF

signals:
    // A PDF was written whole at `path`.
    void pdfWritten(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool PageKey(int key, Qt::KeyboardModifiers modifiers);
    void ShowPage(int page);
    QString ProposedPdfPath() const;

    std::unique_ptr<TReportPages> pages_;
    TPageView* pageView = nullptr;
    QLabel* PageLabel = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* pdfButton = nullptr;
    TKeyLed* keyLed_ = nullptr;
    TSide side_ = TSide::Customers;
};

}  // namespace epinax::ui
