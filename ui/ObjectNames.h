// The object names of the windows' widgets: the stable handles by which the
// tests, the help key and anyone scripting the program find a widget. They
// are those of the program's first windows and stay as they are whatever the
// code calls the widgets; this is the one place that names them.
#pragma once

#include <QString>

namespace epinax::ui::handle {

// The main window, its tabs and lists.
inline constexpr char kMainWindow[] = "Form1";
inline constexpr char kTabs[] = "PageControl1";
inline constexpr char kStatusBar[] = "StatusBar1";
inline constexpr char kTaxOfficeCombo[] = "ComboBox1";
inline constexpr char kDebitButton[] = "RadioButton1";
inline constexpr char kCreditButton[] = "RadioButton2";
inline constexpr char kCustomerGrid[] = "DBGrid1";
inline constexpr char kSupplierGrid[] = "DBGrid2";
inline constexpr char kCustomerNavigator[] = "DBNavigator1";
inline constexpr char kSupplierNavigator[] = "DBNavigator2";
inline constexpr char kCustomerSortButton[] = "Button2";
inline constexpr char kSupplierSortButton[] = "Button3";
inline constexpr char kCustomerCountLabel[] = "Label32";
inline constexpr char kSupplierCountLabel[] = "Label33";
inline constexpr char kWelcomePanel[] = "Panel2";
inline constexpr char kWelcomePicture[] = "Image1";
inline constexpr char kWelcomeText[] = "Label18";

// The menu's entries.
inline constexpr char kNewAction[] = "N5";
inline constexpr char kOpenAction[] = "N2";
inline constexpr char kSaveAsAction[] = "N7";
inline constexpr char kExitAction[] = "N4";
inline constexpr char kCustomerReportAction[] = "N15";
inline constexpr char kSupplierReportAction[] = "N16";
inline constexpr char kFindAction[] = "N17";
inline constexpr char kImportAction[] = "Excel1";
inline constexpr char kImportWithLayoutAction[] = "ImportLayout1";
inline constexpr char kExportAction[] = "Export1";
inline constexpr char kSortAction[] = "Sort1";
inline constexpr char kCheckAction[] = "Check1";
inline constexpr char kZipAction[] = "zip1";
inline constexpr char kShortcutAction[] = "N9";
inline constexpr char kServerAction[] = "e1";
inline constexpr char kSubmitAction[] = "N20";
inline constexpr char kManualAction[] = "N13";
inline constexpr char kAboutAction[] = "N12";

// The find window.
inline constexpr char kFindWindow[] = "Find";
inline constexpr char kByTaxNumberButton[] = "RadioButton1";
inline constexpr char kByNameButton[] = "RadioButton2";
inline constexpr char kSearchEdit[] = "Edit1";
inline constexpr char kWholeTextBox[] = "CheckBox2";
inline constexpr char kOkButton[] = "Button1";
inline constexpr char kCancelButton[] = "Button2";

// The check list.
inline constexpr char kCheckListWindow[] = "CheckList";
inline constexpr char kCheckSummary[] = "Label1";
inline constexpr char kProblemList[] = "List1";
inline constexpr char kCheckAgainButton[] = "Button1";
inline constexpr char kCloseButton[] = "Button2";

// The print window and the manual.
inline constexpr char kPrintWindow[] = "PrintForm";
inline constexpr char kPageView[] = "WebBrowser1";
inline constexpr char kPrintButton[] = "Button1";
inline constexpr char kPdfButton[] = "Button2";
inline constexpr char kManualWindow[] = "UserManual";
inline constexpr char kManualPrompt[] = "Label4";

// The wait window.
inline constexpr char kWaitWindow[] = "Form2";
inline constexpr char kWaitText[] = "Label1";

inline QString Name(const char* handle) { return QString::fromLatin1(handle); }

}  // namespace epinax::ui::handle
