// The print window: the printed statement of one list shown as it will be on
// paper, printed through the platform's print dialog or saved as a PDF file.
// One instance lives for the whole run, hidden between uses; closed, it lets
// go of its page, which for a full list is most of the program's memory.
#pragma once

#include <QDialog>
#include <QTextBrowser>
#include <optional>

#include "entry/Counterparty.h"

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

// Sets each table's header row count to the rows of its <thead>, so that the
// head rows repeat at the top of every printed page.
void RepeatTableHeads(QTextDocument& document, const QString& html);

// Prints the document on the printer; false when nothing could be printed.
// Printed into a PDF file, the file is replaced whole or not at all.
bool PrintDocument(const QTextDocument& document, QPrinter& printer);

// The print dialog (or a test's scripted answer), then the document printed;
// a failure shows the printer message. False when cancelled or failed.
bool PrintWithDialog(QWidget* parent, const QTextDocument& document);

class TPrintForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrintForm(QWidget* parent, TKeyLed* keyLed = nullptr);

    // Loads the report file into the pane; false when it cannot be read.
    bool ShowReport(const QString& path, TSide side);
    TPageBrowser* Browser() const { return WebBrowser1; }

    void Button1Click();  // Εκτύπωση
    void Button2Click();  // Αποθήκευση PDF

    // The shown page as an A4 PDF file; false when the file cannot be written.
    bool WritePdf(const QString& path) const;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QString ProposedPdfPath() const;

    TPageBrowser* WebBrowser1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    TKeyLed* keyLed_ = nullptr;
    TSide side_ = TSide::Customers;
};

}  // namespace epinax::ui
