// The program's modal dialogs: plain messages, the application's error
// display, questions with caller-given captions, file dialogs. Tests queue the
// answers beforehand and have the messages recorded instead of shown, so that
// no test ever waits on a modal window.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "statement/UserInterface.h"

class QPrinter;
class QPushButton;

namespace epinax::ui {

enum class TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel };

// Result codes of a question.
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

QString ApplicationTitle();

// The question box: no icon, the application title, the buttons in the fixed
// order Yes, No, OK, Cancel with the captions given, Yes the default, Escape
// on Cancel (else No), the close box giving Cancel (2).
class TConfirmDialog : public QDialog {
    Q_OBJECT
public:
    TConfirmDialog(QWidget* parent, const QString& text, const std::vector<TMsgDlgBtn>& buttons,
                   const QStringList& captions);
    int Result() const { return result_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int result_ = mrCancel;  // also what the close box gives
    int escapeResult_ = mrCancel;
};

class TDialogs {
public:
    // --- for tests
    static void SetNextAnswer(int code);
    static void SetNextFileName(const std::optional<QString>& path);
    static void SetNextFind(const std::optional<TFindRequest>& request);
    static void SetRecordOnly(bool recordOnly);  // messages recorded, never shown
    static void ClearQueues();
    static QStringList& Shown();  // "message: ...", "ask: ...", "error: ...", "warning: ..."

    // --- for the program
    static void Beep();
    static void ShowMessage(QWidget* parent, const QString& text);
    // The same, with the text selectable by mouse and keyboard, to be copied.
    static void ShowCopyableMessage(QWidget* parent, const QString& text);
    static void ShowWarning(QWidget* parent, const QString& text);
    static void ShowError(QWidget* parent, const QString& text);
    static int AskConfirmation(QWidget* parent, const QString& text, const std::vector<TMsgDlgBtn>& buttons,
                               const QStringList& captions);
    // The folder a file dialog starts in: the one a file was last chosen in
    // during this session, else the user's documents folder (the home folder
    // when there is none); never the program's own folder, where its working
    // files are.
    static QString StartFolder();
    static void RememberFolderOf(const QString& chosenPath);
    static QString FolderOf(const QString& path);  // with its trailing '/'
    // `directory` ends with '/'.
    static std::optional<QString> SaveFileName(QWidget* parent, const QString& directory, const QString& proposed);
    static std::optional<QString> OpenFileName(QWidget* parent, const QString& directory);
    static std::optional<QString> WorkbookFileName(QWidget* parent, const QString& directory);
    // The printer, through the print dialog; false when the user cancels. A
    // queued file name prints into that PDF file instead, without the dialog.
    static bool ChoosePrinter(QWidget* parent, QPrinter& printer);
    // Where to save a PDF file, the dialog starting at `proposedPath`.
    static std::optional<QString> PdfFileName(QWidget* parent, const QString& proposedPath);
    // Where to export lists as a spreadsheet: .xlsx, .ods or .csv, the
    // chosen filter's extension added to a name given without one of them.
    static std::optional<QString> SpreadsheetFileName(QWidget* parent, const QString& directory,
                                                      const QString& proposed);
    // A queued find answer, if a test gave one.
    static bool TakeQueuedFile(std::optional<QString>& path);
    static bool TakeQueuedFind(std::optional<TFindRequest>& request);
};

}  // namespace epinax::ui
