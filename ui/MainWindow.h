// MainWindow, the main window: the header, the two tabs with their grids, the
// menu, and the welcome panel until a statement is started. The statement
// itself (TStatement) decides everything; the window presents it and is the
// statement's user interface.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <memory>
#include <optional>

#include "common/Date.h"
#include "import/Import.h"
#include "statement/Statement.h"
#include "statement/StatementCheck.h"
#include "statement/UserInterface.h"
#include "ui/Dialogs.h"
#include "ui/KeyLed.h"
#include "ui/RecentFiles.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QProgressDialog;
class QRadioButton;
class QTabWidget;

namespace epinax::ui {

class CheckListDialog;
class CounterpartyGrid;
class ListNavigator;
class FindDialog;
class WaitWindow;
class PrintWindow;
class UserManualWindow;

class MainWindow : public QMainWindow, public IUserInterface {
    Q_OBJECT
public:
    struct Options {
        std::string programDirectory;  // ends with a separator
        TClock today = LocalToday;
    };
    explicit MainWindow(const Options& options, QWidget* parent = nullptr);
    ~MainWindow() override;

    TStatement& Statement() { return *statement_; }
    CounterpartyGrid* Grid(TSide side) const { return side == TSide::Customers ? customerGrid : supplierGrid; }
    ListNavigator* Navigator(TSide side) const
    {
        return side == TSide::Customers ? customerNavigator : supplierNavigator;
    }
    FindDialog* findDialog() const { return findDialog_; }
    CheckListDialog* checkListDialog() const { return checkListDialog_; }

    // Menu and button handlers.
    // At start: a statement a crash left in the working files, offered back.
    void OfferRecovery();
    void newStatement();     // Νέο
    void openStatement();    // Άνοιγμα
    void saveStatementAs();  // Αποθήκευση ως...
    // A statement of the recent list: the unsaved-changes question first.
    void openRecent(const QString& path);
    void exitProgram();               // Έξοδος
    void findCounterparty();          // Εύρεση...
    void importWorkbook();            // Εισαγωγή στοιχείων από Excel
    void exportWorkbook();            // Εξαγωγή σε λογιστικό φύλλο…
    void checkStatement();            // Έλεγχος κατάστασης
    void importWorkbookWithLayout();  // Εισαγωγή με αντιστοίχιση στηλών…
    // A row an import refused, shown in its sheet for the columns to be chosen again.
    void ShowRefusedImportRow(int row);
    // Takes the user to where a problem of the check list is corrected.
    void GoToProblem(const TStatementProblem& problem);
    void sortCustomers();
    void sortSuppliers();
    void changeTab(int index);
    void printCustomerReport();  // Συγκεντρωτική κατάσταση Πελατών
    void printSupplierReport();  // Συγκεντρωτική κατάσταση Προμηθευτών
    void showUserManual();       // Οδηγίες εφαρμογής
    void showAbout();            // Σχετικά...
    void makeZip();              // Δημιουργία συμπιεσμένου αρχείου (zip)
    void makeDesktopShortcut();  // Δημιουργία συντόμευσης στην Επιφ. Εργασίας
    void connectToServer();      // Σύνδεση με εξυπηρετητή ΚΕΦΥΣ
    void submitOnline();         // Ηλεκτρονική υποβολή αρχείου
    // Opens the address in the desktop's default browser; false when nothing
    // could. No message either way.
    bool OpenInBrowser(const QString& address);
    // "what" and the path of a file an output wrote, in the status bar.
    void ReportWritten(const QString& what, const QString& path);
    void helpKeyPressed();  // F1 anywhere in the window, with or without Shift, Ctrl, Alt
    // The print and manual windows: made at their first use, then kept.
    PrintWindow* printWindow();
    UserManualWindow* manualWindow();

    // What the statement says, shown as it says it: the list's cell, the
    // beep, the box, then the focus.
    void Tell(const TNotice& notice);
    void Tell(const std::optional<TNotice>& notice);
    // Tells the refusal; true when there is one.
    bool Refused(const std::optional<TNotice>& refusal);
    // Tells the outcome's notices; true when the operation was done.
    bool Completed(const TOutcome& outcome);

    // IUserInterface
    void ShowHourglass() override;
    void BeginLongWork() override;
    void EndLongWork() override;
    void StatementChanged() override;
    bool Progress(const std::string& what, int done, int total) override;
    void ProgressDone() override;

protected:
    void closeEvent(QCloseEvent* event) override;  // FormClose
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void BuildMenu();
    QWidget* BuildHeader(QWidget* parent);
    QWidget* BuildKindButtons(QWidget* parent);
    static void SizeForContent(QLineEdit* edit, int characters, bool digits);
    QWidget* BuildTab(TSide side);
    void BuildWelcomePanel(QWidget* parent);
    QLineEdit* AddEdit(QWidget* parent, const char* name, int maxLength);
    void ReadFromStatement();
    void UpdateTabMarks();
    void FocusTheYear();
    void ShowStatementInTitle();
    void NameStatementFile(const QString& path);
    void FillRecentMenu();
    QString WindowSettingsPath() const;
    void RestoreGeometry();
    void KeepGeometry();
    void LayOutWelcomePanel();
    bool TypeAsCapsLock(QObject* watched, QKeyEvent* event);
    bool EditKeyPress(QLineEdit* edit, QKeyEvent* event);
    void EditExit(QLineEdit* edit);
    bool Passed(const std::optional<THeaderRefusal>& refusal);
    void EditTextEdited(QLineEdit* edit, const QString& text);
    void FocusChanged(QWidget* old, QWidget* now);
    bool OpenMenuByKey(QObject* watched, QEvent* event);
    bool SwitchListByKey(QObject* watched, QEvent* event);
    bool MenuShortcutInAnEdit(QObject* watched, QEvent* event) const;
    bool Run(const std::function<void()>& handler);
    void Beep();
    // A plain message box: no icon, one OK button, the application title.
    void ShowMessage(const std::string& text);
    // Moves the input focus to a control of the window.
    void SetFocus(TStatementField control);
    void PrintListReport(TSide side);
    bool WriteAndShowReport(TSide side);
    void InstallHelpKey();
    // The questions, asked before the statement is called with the answers.
    int AskConfirmation(const std::string& text, const std::vector<TMsgDlgBtn>& buttons,
                        const std::vector<std::string>& captions);
    bool MayReplaceStatement();
    bool SaveAsAsked();
    std::optional<std::string> ChooseSaveFile(const std::string& proposedName);
    std::optional<std::string> ChooseOpenFile();
    std::optional<std::string> ChooseWorkbook();
    std::optional<TSide> AskImportSide();
    // The import of `path` by the rows and columns the user shows, the
    // preview opening on `layout` (else the proposal) at the sheet's `row`.
    void ImportWithLayout(TSide side, const std::string& path, const std::optional<TImportLayout>& layout = {},
                          int row = 1);
    void ShowImportOutcome(const TImportOutcome& outcome, TSide side, const std::string& path,
                           const std::optional<TImportLayout>& layout);
    CheckListDialog& ShowCheckList();
    std::optional<TFindRequest> AskFind();

    std::unique_ptr<TStatement> statement_;
    WaitWindow* wait_ = nullptr;
    FindDialog* findDialog_ = nullptr;
    CheckListDialog* checkListDialog_ = nullptr;  // made at its first use, then kept
    TKeyLed* keyLed_ = nullptr;
    std::optional<TCapsLockAsFound> capsLock_;
    TRecentFiles recent_;
    QMenu* recentMenu_ = nullptr;
    PrintWindow* printWindow_ = nullptr;
    UserManualWindow* manualWindow_ = nullptr;  // a window of its own, deleted with this one

    QMap<QString, QLineEdit*> edits_;
    QComboBox* taxOfficeCombo = nullptr;
    QRadioButton* debitButton = nullptr;
    QRadioButton* creditButton = nullptr;
    QTabWidget* tabs = nullptr;
    CounterpartyGrid* customerGrid = nullptr;
    CounterpartyGrid* supplierGrid = nullptr;
    ListNavigator* customerNavigator = nullptr;
    ListNavigator* supplierNavigator = nullptr;
    QLabel* customerCountLabel = nullptr;
    QLabel* supplierCountLabel = nullptr;
    QWidget* welcomePanel = nullptr;  // the welcome panel
    QWidget* headerArea_ = nullptr;
    QAction* actionSaveAs = nullptr;
    QAction* printMenuAction = nullptr;
    QAction* actionPrintMenu = nullptr;  // Ctrl+P: the print menu
    QAction* actionFind = nullptr;
    QAction* actionImport = nullptr;
    QAction* actionSort = nullptr;  // Ταξινόμηση λίστας: the list of the tab shown
    QAction* actionCheck = nullptr;
    bool reading_ = false;  // the window is being filled from the statement
    bool inExit_ = false;   // an exit check is showing its message
    QWidget* skipExit_ = nullptr;
    QPointer<QWidget> focusBeforeWork_;  // given back when the wait window goes  // took the focus only until a refused
                                         // exit took it back
    bool closing_ = false;
    QString fileName_;        // the statement's file, once opened or saved
    QString chosenFile_;      // the last statement file chosen in a dialog
    QString chosenWorkbook_;  // the last workbook chosen
    QProgressDialog* progress_ = nullptr;
    struct TRefusedImport {
        TSide side;
        std::string path;
        TImportLayout layout;
    };
    std::optional<TRefusedImport> refusedImport_;  // the latest import whose problems the check list shows
};

}  // namespace epinax::ui
