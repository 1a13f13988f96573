// The statement being edited: the header, the two lists in their record
// stores over the working files (or in memory alone), the totals and the
// editing state, with the main window's handlers that change them. The
// window only presents what this class decides.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Date.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "entry/Counterparty.h"
#include "entry/ListRefresh.h"
#include "entry/RowValidation.h"
#include "record_store/SdfData.h"
#include "statement/Checks.h"
#include "statement/GeneralData.h"
#include "statement/Header.h"
#include "statement/Notice.h"
#include "statement/StatementFile.h"
#include "statement/UserInterface.h"

namespace epinax {

// The text of the box that confirms a completed Save As.
std::string SaveAsSuccessText();
// The message of a statement file that could not be written at `path`.
std::string SaveFailedText(const std::string& path, int systemError);

// A list whose working file could not be written after a change, the list
// showing again what its file holds; the notice says why. One base only, so
// that a handler of std::exception catches it too.
class EListNotWritten : public ENotice {
public:
    using ENotice::ENotice;
};

class TStatement {
public:
    // `programDirectory` ends with a separator; the working files live in its
    // "temp/" subdirectory, which is created here.
    TStatement(std::string programDirectory, IUserInterface& ui, TClock today = LocalToday);
    // A statement without working files, for work without a window: its
    // lists live in memory alone, and nothing is written but what Save As
    // writes.
    explicit TStatement(IUserInterface& ui, TClock today = LocalToday);
    ~TStatement();
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    // ------------------------------------------------------------- state
    // What the window shows; it changes only through the handlers below.
    const TStatementHeader& Header() const { return header_; }
    // The totals of a list; nothing while their edits are empty, from New
    // until the list first changes.
    std::optional<TListTotals> Totals(TSide side) const;
    // The texts of the totals edits: the invoice count and the value.
    std::string InvoiceTotalText(TSide side) const;
    std::string ValueTotalText(TSide side) const;
    // The public-sector value of a list, as typed.
    const std::string& PublicValue(TSide side) const
    {
        return side == TSide::Customers ? customerPublicValue_ : supplierPublicValue_;
    }
    // The row count line under a list.
    const std::string& CountText(TSide side) const
    {
        return side == TSide::Customers ? customerCountText_ : supplierCountText_;
    }

    bool UnsavedChanges() const { return unsavedChanges_; }
    // New or a completed Open has run: Save As, Print, Find and the import are
    // available and the welcome panel is gone.
    bool StatementLoaded() const { return statementLoaded_; }
    int ActivePage() const { return activePage_; }  // 0 customers, 1 suppliers

    TFixedFormatDataSet& List(TSide side) { return side == TSide::Customers ? customers_ : suppliers_; }
    const TFixedFormatDataSet& List(TSide side) const { return side == TSide::Customers ? customers_ : suppliers_; }

    // Every change of the header and of the public-sector values, here and
    // by the choices and leaves below, is kept in the working file
    // "generaldata" at once; one that cannot be kept is undone and ends with
    // ENotice.
    // The text of a header edit as the user left it (the key that changed it
    // has marked the statement changed already).
    void SetHeaderText(TStatementField control, std::string text);
    // The text of a public-sector value edit, as typed.
    void SetPublicValueText(TSide side, std::string text);
    // The tax office shown, as a loaded header chooses it: no mark of change.
    void SelectTaxOffice(int index);
    // The statement as a completed Save As leaves it, or as a key leaves it:
    // for callers that saved or changed it some other way (tests, benches).
    void MarkSaved();
    void MarkChanged();
    // A completed import into the list: its tab shown, the statement changed.
    void ImportCompleted(TSide side);

    const std::string& ProgramDirectory() const { return programDirectory_; }
    std::string WorkingFile(const char* name) const { return workingDirectory_ + name; }
    TDate Today() const { return today_(); }
    IUserInterface& UI() { return ui_; }

    // ---------------------------------------------------------- lifecycle
    // Each takes what the user has decided: the questions before it (keep
    // the unsaved changes? a new file? which file?) are the caller's, so
    // that the core never waits on a window.
    TOutcome New();                          // done: a statement was begun
    TOutcome Open(const std::string& path);  // done: the statement was opened
    // Open of a statement file's bytes that the caller has read.
    TOutcome OpenBytes(std::string_view bytes);
    // The name the save dialog proposes: the tax number, ".PIS" for credit.
    std::string ProposedFileName() const;
    // Writes the statement to `path` once CheckBeforeSave has passed; an
    // existing file is left alone unless `replaceExisting`. Done when
    // written, the notices ending with the box that says so.
    TOutcome SaveAs(const std::string& path, bool replaceExisting);
    void Close();
    // ActivePage says where the user ended up; the refusal of the row left.
    std::optional<TNotice> ChangeTab(int newPage);
    void RemoveWorkingFiles();
    // Nothing when "generaldata" was read; else what to tell.
    std::optional<TNotice> LoadHeader();
    // At start, working files that a copy of the program left when it ended
    // without closing (a crash, a kill, a power cut) are offered back. The
    // caller holds the program directory's lock, so that no running copy
    // owns them. When they were last changed; nothing when none were left.
    std::optional<std::time_t> LeftWork() const;
    // Yes makes them the statement being edited, with unsaved changes; any
    // other answer moves them aside into "temp/recovered-DATE-TIME/". Done
    // when the statement was recovered.
    TOutcome Recover(bool takeBack);
    // Nothing when the working directory is a real directory of this user;
    // otherwise the message that says why it is not used.
    std::optional<std::string> WorkingDirectoryProblem() const;

    // ------------------------------------------------------------- header
    // The key handlers of the edits: they set the unsaved-changes flag and
    // filter the key; nothing when it is refused, which the window tells with
    // a beep. `control` is the edit's name; a key that Windows-1253 cannot
    // hold arrives as nothing and is refused.
    std::optional<char> FieldKeyPress(TStatementField control, std::optional<char> key, std::string_view currentText);
    std::optional<char> GridKeyPress(TSide side, int column, std::optional<char> key, std::string_view editorText);
    static bool KeyMarksChange(TStatementField control);
    void ChooseTaxOffice(int index);
    void ChooseKind(bool credit);  // debit invoices or credit balances
    // Leaving the year or the tax number: nothing when it passes, else the
    // refusal to tell, with the field the focus goes back to.
    std::optional<THeaderRefusal> LeaveYear() const;
    std::optional<THeaderRefusal> LeaveTaxNumber() const;
    void LeavePublicValue(TSide side) { AbortWith(NormalisePublicValue(MutablePublicValue(side))); }

    // -------------------------------------------------------- sort, find
    // Each returns what to tell: nothing when there is nothing.
    std::optional<TNotice> SortList(TSide side);
    // Posts the pending rows of both lists, as the commands that read whole
    // lists (find, import) do before they ask anything; the refusal.
    std::optional<TNotice> PostPendingRows();
    std::optional<TNotice> Find(const TFindRequest& request);  // in the list of the active tab

    // ------------------------------------------------------------- checks
    // Nothing when the statement may be saved; else its first problem.
    std::optional<TNotice> CheckBeforeSave();

    // Posts a pending row of the list, swallowing every other error; the
    // refusal of the row, or why the list was not written. A number that is
    // no number leaves the row pending, and stops the caller too when
    // `unreadableStops`.
    std::optional<TNotice> PostPendingRow(TSide side, bool unreadableStops = false);

    // While rows are appended by the thousand (the import), the
    // list keeps its rows' tax numbers in an index, so that each post finds a
    // repeated number without reading every row. The window never uses it.
    void BeginBulkEntry(TSide side);
    void EndBulkEntry(TSide side);

    // Recomputes the count label and totals of a list from its record store;
    // a working file not written ends with EListNotWritten.
    void RefreshList(TSide side) { Refresh(side, nullptr); }

private:
    void BindStores();
    bool KeepsWorkingFiles() const { return !workingDirectory_.empty(); }
    std::optional<TNotice> WorkingDirectoryRefusal();
    void ValidateRow(TSide side);
    // The refresh after a post or delete, which counts a `change` of one row
    // alone when it can.
    void Refresh(TSide side, const TRowChange* change);
    void KeepRowBefore(TSide side, bool storedRow);
    void RowChanged(TSide side, bool posted);
    void UpdateTotals(TSide side, const TRowChange* change = nullptr);
    void OpenLists();
    void SetCountLabel(TSide side);
    std::optional<TNotice> CheckListAfms(TSide side);
    TGeneralData GeneralData() const;
    void SetGeneralData(TGeneralData data);
    // Each says why the change was not kept, when it was not.
    std::optional<TNotice> ChangeGeneralData(const std::function<void()>& change);
    std::optional<TNotice> KeepGeneralData();
    std::optional<TNotice> NormalisePublicValue(std::string& text);
    TOutcome RecoverWorkingFiles();
    TOutcome MoveWorkingFilesAside(const std::string& why);
    std::optional<std::string> WriteStatementFile(const std::string& path);
    TOutcome LoadStatement(std::string_view bytes);
    void Changed() { ui_.StatementChanged(); }

    std::optional<TAfmIndex> afmIndex_[2];  // customers, suppliers; only during a bulk entry

    TStatementHeader header_;
    TListSum sums_[2];                                       // customers, suppliers
    bool totalsShown_[2] = {};                               // New leaves the totals edits empty
    std::optional<std::string> rowBefore_[2];                // what a post or delete replaces
    std::string customerPublicValue_, supplierPublicValue_;  // public-sector values
    std::string customerCountText_, supplierCountText_;      // row counts
    bool unsavedChanges_ = false;
    bool newCustomerRow_ = false;
    bool newSupplierRow_ = false;
    bool statementLoaded_ = false;
    int activePage_ = 0;

    TFixedFormatDataSet customers_{"FixedFormatDataSet1"};  // customers, temp/record2
    TFixedFormatDataSet suppliers_{"FixedFormatDataSet2"};  // suppliers, temp/record4
    // The scratch copies' stores are given their files but never opened: the
    // scratch files are kept equal to the working files (as links, after
    // every post, delete and Open), and whole-list work reads the lists in
    // memory, which hold the same rows.
    TFixedFormatDataSet customerScratch_{"FixedFormatDataSet3"};  // scratch, temp/record21
    TFixedFormatDataSet supplierScratch_{"FixedFormatDataSet4"};  // scratch, temp/record22
    TFixedFormatDataSet& Scratch(TSide side) { return side == TSide::Customers ? customerScratch_ : supplierScratch_; }
    std::string& MutablePublicValue(TSide side)
    {
        return side == TSide::Customers ? customerPublicValue_ : supplierPublicValue_;
    }

    std::string programDirectory_;
    std::string workingDirectory_;  // empty without working files
    IUserInterface& ui_;
    TClock today_;
};

}  // namespace epinax
