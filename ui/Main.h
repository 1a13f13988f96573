// TForm1, the main window: the header, the two tabs with their grids, the
// menu, and the welcome panel until a statement is started. The statement
// itself (TStatement) decides everything; the window presents it and is the
// statement's user interface.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <memory>

#include "common/Date.h"
#include "statement/Statement.h"
#include "statement/StatementCheck.h"
#include "statement/UserInterface.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QProgressDialog;
class QRadioButton;
class QTabWidget;

namespace epinax::ui {

class TCheckList;
class TDBGrid;
class TDBNavigator;
class TFind;
class TForm2;
class TKeyLed;
class TPrintForm;
class TUserManual;

class TForm1 : public QMainWindow, public IUserInterface {
    Q_OBJECT
public:
    struct Options {
        std::string programDirectory;  // ends with a separator
        TClock today = LocalToday;
    };
    explicit TForm1(const Options& options, QWidget* parent = nullptr);
    ~TForm1() override;

    TStatement& Statement() { return *statement_; }
    TDBGrid* Grid(TSide side) const { return side == TSide::Customers ? DBGrid1 : DBGrid2; }
    TDBNavigator* Navigator(TSide side) const { return side == TSide::Customers ? DBNavigator1 : DBNavigator2; }
    TFind* FindWindow() const { return Find; }
    TCheckList* CheckListWindow() const { return CheckList; }

    // Menu and button handlers.
    // At start: a statement a crash left in the working files, offered back.
    void OfferRecovery();
    void N5Click();                  // Νέο
    void N2Click();                  // Άνοιγμα
    void N7Click();                  // Αποθήκευση ως...
    void N4Click();                  // Έξοδος
    void N17Click();                 // Εύρεση...
    void ChooseAndImportWorkbook();  // Εισαγωγή στοιχείων από Excel
    void Check1Click();              // Έλεγχος κατάστασης
    // Takes the user to where a problem of the check list is corrected.
    void GoToProblem(const TStatementProblem& problem);
    void Button2Click();
    void Button3Click();
    void PageControl1Change(int index);
    void N15Click();   // Συγκεντρωτική κατάσταση Πελατών
    void N16Click();   // Συγκεντρωτική κατάσταση Προμηθευτών
    void N13Click();   // Οδηγίες εφαρμογής
    void N12Click();   // Σχετικά...
    void zip1Click();  // Δημιουργία συμπιεσμένου αρχείου (zip)
    void N9Click();    // Δημιουργία συντόμευσης στην Επιφ. Εργασίας
    void e1Click();    // Σύνδεση με εξυπηρετητή ΚΕΦΥΣ
    void N20Click();   // Ηλεκτρονική υποβολή αρχείου
    // Opens the address in the desktop's default browser; false when nothing
    // could. No message either way.
    bool OpenInBrowser(const QString& address);
    // "what" and the path of a file an output wrote, in the status bar.
    void ReportWritten(const QString& what, const QString& path);
    void F1KeyDown();  // F1 anywhere in the window, with or without Shift, Ctrl, Alt
    // The print and manual windows: made at their first use, then kept.
    TPrintForm* PrintWindow();
    TUserManual* ManualWindow();

    // IUserInterface
    void Beep() override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    int AskConfirmation(const std::string& text, const std::vector<TMsgDlgBtn>& buttons,
                        const std::vector<std::string>& captions) override;
    void SetFocus(TStatementField control) override;
    std::optional<std::string> ChooseSaveFile(const std::string& directory, const std::string& proposedName) override;
    std::optional<std::string> ChooseOpenFile(const std::string& directory) override;
    void ShowHourglass() override;
    void BeginLongWork() override;
    void EndLongWork() override;
    void StatementChanged() override;
    void RowRefused(TSide side, int column) override;
    std::optional<TFindRequest> AskFind() override;
    std::optional<std::string> ChooseWorkbook(const std::string& directory) override;
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
    bool EditKeyPress(QLineEdit* edit, QKeyEvent* event);
    void EditExit(QLineEdit* edit);
    void EditTextEdited(QLineEdit* edit, const QString& text);
    void FocusChanged(QWidget* old, QWidget* now);
    bool OpenMenuByKey(QObject* watched, QEvent* event);
    bool SwitchListByKey(QObject* watched, QEvent* event);
    bool MenuShortcutInAnEdit(QObject* watched, QEvent* event) const;
    bool Run(const std::function<void()>& handler);
    void PrintListReport(TSide side);
    bool WriteAndShowReport(TSide side);
    void InstallHelpKey();

    std::unique_ptr<TStatement> statement_;
    TForm2* wait_ = nullptr;
    TFind* Find = nullptr;
    TCheckList* CheckList = nullptr;  // made at its first use, then kept
    TKeyLed* KeyLed1 = nullptr;
    TPrintForm* PrintForm = nullptr;
    TUserManual* UserManual = nullptr;  // a window of its own, deleted with this one

    QMap<QString, QLineEdit*> edits_;
    QComboBox* ComboBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    TDBGrid* DBGrid1 = nullptr;
    TDBGrid* DBGrid2 = nullptr;
    TDBNavigator* DBNavigator1 = nullptr;
    TDBNavigator* DBNavigator2 = nullptr;
    QLabel* Label32 = nullptr;
    QLabel* Label33 = nullptr;
    QWidget* Panel2 = nullptr;  // the welcome panel
    QWidget* headerArea_ = nullptr;
    QAction* N7 = nullptr;
    QAction* N14 = nullptr;
    QAction* PrintKey = nullptr;  // Ctrl+P: the print menu
    QAction* N17 = nullptr;
    QAction* Excel1 = nullptr;
    QAction* Sort1 = nullptr;  // Ταξινόμηση λίστας: the list of the tab shown
    QAction* Check1 = nullptr;
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
};

}  // namespace epinax::ui
