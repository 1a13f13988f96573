// The statement's lifecycle: start, New, the tab switch, the header handlers,
// closing and the removal of the working files.
#include "statement/Statement.h"
#include "entry/Side.h"

#include <sys/stat.h>
#include <unistd.h>

#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "common/Lines.h"
#include "entry/TaxNumber.h"
#include "statement/GeneralData.h"
#include "statement/TaxOffices.h"

namespace epinax {

namespace {

const char* const kWorkingFiles[] = {"generaldata", "record2", "record4", "record21", "record22"};

}  // namespace

TStatement::TStatement(std::string programDirectory, IUserInterface& ui, TClock today)
    : programDirectory_(std::move(programDirectory)), ui_(ui), today_(std::move(today))
{
    if (!programDirectory_.empty() && programDirectory_.back() != '/') programDirectory_ += '/';
    workingDirectory_ = programDirectory_ + "temp/";
    ::mkdir(workingDirectory_.c_str(), 0777);  // an existing directory is fine
    BindStores();
}

TStatement::TStatement(IUserInterface& ui, TClock today) : ui_(ui), today_(std::move(today)) { BindStores(); }

TStatement::~TStatement() = default;

void TStatement::BindStores()
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        if (KeepsWorkingFiles()) {
            List(side).SetFileName(WorkingFile(SideInfo(side).workingFile));
            Scratch(side).SetFileName(WorkingFile(SideInfo(side).scratchFile));
        }
        List(side).SetSchema(CounterpartySchema());
        Scratch(side).SetSchema(CounterpartySchema());
        // Whether the row being posted is new, for the row rules.
        bool& newRow = side == TSide::Customers ? newCustomerRow_ : newSupplierRow_;
        TFixedFormatDataSet& list = List(side);
        list.BeforePost = [this, side](TFixedFormatDataSet& posted) {
            ValidateRow(side);
            KeepRowBefore(side, posted.State() == TDataSetState::dsEdit);
        };
        list.BeforeDelete = [this, side](TFixedFormatDataSet&) { KeepRowBefore(side, true); };
        list.AfterPost = [this, side](TFixedFormatDataSet&) { RowChanged(side, true); };
        list.AfterDelete = [this, side](TFixedFormatDataSet&) { RowChanged(side, false); };
        list.OnNewRecord = [&newRow](TFixedFormatDataSet&) { newRow = true; };
        list.AfterEdit = [&newRow](TFixedFormatDataSet&) { newRow = false; };
    }
}

// ---------------------------------------------------------------- New

TOutcome TStatement::New()
{
    if (auto refusal = WorkingDirectoryRefusal()) return {false, {std::move(*refusal)}};
    customers_.Close();
    suppliers_.Close();
    const bool wasCredit = header_.Credit;
    TOutcome begun{true, {}};
    // An empty "generaldata" is a statement just begun: no header, the debit
    // kind, no public-sector values.
    if (KeepsWorkingFiles()) {
        for (const char* name : {"generaldata", "record2", "record4"}) ReplaceFile(WorkingFile(name), {});
        if (auto problem = LoadHeader()) begun.notices.push_back(std::move(*problem));
    } else {
        SetGeneralData({});
    }
    OpenLists();
    for (TListSum& sum : sums_) sum = {};
    for (bool& shown : totalsShown_) shown = false;
    if (wasCredit) unsavedChanges_ = true;  // as the kind's button marks it
    statementLoaded_ = true;
    SetCountLabel(TSide::Customers);
    SetCountLabel(TSide::Suppliers);
    Changed();
    return begun;
}

void TStatement::OpenLists()
{
    customers_.Open();
    suppliers_.Open();
}

// The header, the kind and the public-sector values, from "generaldata".
std::optional<TNotice> TStatement::LoadHeader()
{
    auto data = ParseGeneralData(ReadWholeFile(WorkingFile("generaldata")));
    std::optional<TNotice> problem;
    if (data) {
        SetGeneralData(std::move(*data));
    } else {
        problem = TNotice::Message("Παρουσιάστηκε πρόβλημα κατά την ανάγνωση των γενικών στοιχείων", true);
    }
    Changed();
    return problem;
}

// ------------------------------------------------------------- switching

std::optional<TNotice> TStatement::PostPendingRow(TSide side, bool unreadableStops)
{
    try {
        List(side).Post();
    } catch (const ENotice& refused) {
        return refused.Notice();
    } catch (const EUnreadableNumber& error) {
        if (unreadableStops) return error.Notice();
    } catch (...) {
        // A store with nothing pending says so, and a number that is no
        // number leaves the row pending: neither stops the caller.
    }
    return std::nullopt;
}

std::optional<TNotice> TStatement::ChangeTab(int newPage)
{
    TSide leaving = newPage == 0 ? TSide::Suppliers : TSide::Customers;
    auto refusal = PostPendingRow(leaving);
    activePage_ = refusal ? 1 - newPage : newPage;
    Changed();
    return refusal;
}

// ---------------------------------------------------------------- header

// Every key pressed in a header edit, a grid or a public-sector edit marks the
// statement changed, before its filter runs and whether or not it is then
// refused; the totals are for reading only and mark nothing.
bool TStatement::KeyMarksChange(TStatementField control)
{
    return control == TStatementField::CustomerPublicValue || control == TStatementField::SupplierPublicValue ||
           FindHeaderEdit(control) != nullptr;
}

std::optional<char> TStatement::FieldKeyPress(TStatementField control, std::optional<char> key,
                                              std::string_view currentText)
{
    if (KeyMarksChange(control)) unsavedChanges_ = true;
    std::optional<char> accepted;
    const bool total =
        control == TStatementField::CustomerInvoiceTotal || control == TStatementField::CustomerValueTotal ||
        control == TStatementField::SupplierInvoiceTotal || control == TStatementField::SupplierValueTotal;
    if (!key || total) {
        accepted = std::nullopt;
    } else if (control == TStatementField::CustomerPublicValue || control == TStatementField::SupplierPublicValue) {
        accepted = AmountKeyFilter(*key, currentText);
    } else if (const THeaderEdit* edit = FindHeaderEdit(control)) {
        accepted = HeaderKeyFilter(edit->keys, *key, currentText);
    } else {
        accepted = key;
    }
    return accepted;
}

std::optional<char> TStatement::GridKeyPress(TSide, int column, std::optional<char> key, std::string_view editorText)
{
    unsavedChanges_ = true;
    return key ? GridColumnKeyFilter(column, *key, editorText) : std::nullopt;
}

void TStatement::SetHeaderText(TStatementField control, std::string text)
{
    const THeaderEdit* edit = FindHeaderEdit(control);
    if (!edit) return;
    AbortWith(ChangeGeneralData([&] { header_.*(edit->text) = std::move(text); }));
}

void TStatement::SetPublicValueText(TSide side, std::string text)
{
    AbortWith(ChangeGeneralData([&] { MutablePublicValue(side) = std::move(text); }));
}

void TStatement::SelectTaxOffice(int index)
{
    AbortWith(ChangeGeneralData(
        [&] { header_.TaxOffice = index >= 0 && index < static_cast<int>(DOYCodes().size()) ? index : -1; }));
}

TGeneralData TStatement::GeneralData() const { return {header_, customerPublicValue_, supplierPublicValue_}; }

void TStatement::SetGeneralData(TGeneralData data)
{
    header_ = std::move(data.header);
    customerPublicValue_ = std::move(data.customerPublicValue);
    supplierPublicValue_ = std::move(data.supplierPublicValue);
}

// The working files hold the whole statement at every moment: a change that
// cannot be written to them is not made, so that what the window shows is
// what a crash would leave.
std::optional<TNotice> TStatement::ChangeGeneralData(const std::function<void()>& change)
{
    TGeneralData before = GeneralData();
    change();
    if (!statementLoaded_ || GeneralData() == before) return std::nullopt;
    auto notKept = KeepGeneralData();
    if (!notKept) return std::nullopt;
    SetGeneralData(std::move(before));
    Changed();
    return notKept;
}

std::optional<TNotice> TStatement::KeepGeneralData()
{
    if (!KeepsWorkingFiles()) return std::nullopt;
    const std::string path = WorkingFile("generaldata");
    try {
        ReplaceFile(path, GeneralDataText(GeneralData()));
        return std::nullopt;
    } catch (const EFileError& error) {
        return TNotice::Error(
            "Η αλλαγή των γενικών στοιχείων δεν κρατήθηκε: δεν ήταν δυνατή η εγγραφή του αρχείου εργασίας " +
            DisplayPath(path) + " (" + SystemReason(error.SystemError()) +
            "). Τα γενικά στοιχεία έμειναν όπως ήταν πριν από την αλλαγή.");
    }
}

void TStatement::MarkSaved() { unsavedChanges_ = false; }

void TStatement::MarkChanged() { unsavedChanges_ = true; }

void TStatement::ImportCompleted(TSide side)
{
    activePage_ = SideInfo(side).index;
    unsavedChanges_ = true;
    Changed();
}

void TStatement::ChooseTaxOffice(int index)
{
    unsavedChanges_ = true;
    SelectTaxOffice(index);
}

// A kind that cannot be kept is a click on its button all the same.
void TStatement::ChooseKind(bool credit)
{
    unsavedChanges_ = true;
    AbortWith(ChangeGeneralData([&] { header_.Credit = credit; }));
}

std::optional<THeaderRefusal> TStatement::LeaveYear() const
{
    if (YearAccepted(header_.Year, Today().year)) return std::nullopt;
    return THeaderRefusal{"Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία", TStatementField::Year, true};
}

std::optional<THeaderRefusal> TStatement::LeaveTaxNumber() const
{
    if (CheckAfm(header_.TaxNumber)) return std::nullopt;
    return THeaderRefusal{"Λάθος ΑΦΜ Υπόχρεου", TStatementField::TaxNumber, false};
}

// --------------------------------------------------------------- closing

void TStatement::Close()
{
    for (auto* store : {&customers_, &suppliers_}) {
        try {
            store->Close();
        } catch (...) {
        }
    }
    RemoveWorkingFiles();
}

// The working directory is used only when it is a real directory of this
// user, looked at without following links: through a link, New and close
// would truncate and delete files of the same names somewhere else.
std::optional<std::string> TStatement::WorkingDirectoryProblem() const
{
    std::string directory = workingDirectory_.substr(0, workingDirectory_.size() - 1);
    struct stat info {};
    if (::lstat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid())
        return std::nullopt;
    return "Ο φάκελος εργασίας " + DisplayPath(directory) +
           " δεν είναι φάκελος του προγράμματος (είναι σύνδεσμος, αρχείο ή φάκελος άλλου χρήστη). "
           "Δεν έγινε καμία αλλαγή. Μετονομάστε τον ή μετακινήστε τον και ξεκινήστε ξανά το πρόγραμμα.";
}

std::optional<TNotice> TStatement::WorkingDirectoryRefusal()
{
    if (!KeepsWorkingFiles()) return std::nullopt;
    ::mkdir(workingDirectory_.c_str(), 0777);  // removed meanwhile: made again
    auto problem = WorkingDirectoryProblem();
    if (!problem) return std::nullopt;
    return TNotice::Message(std::move(*problem), true);
}

void TStatement::RemoveWorkingFiles()
{
    if (!KeepsWorkingFiles() || WorkingDirectoryProblem()) return;
    for (const char* name : kWorkingFiles) ::unlink(WorkingFile(name).c_str());
    RemoveDiscardedFiles(workingDirectory_);
    ::rmdir(workingDirectory_.c_str());
}

}  // namespace epinax
