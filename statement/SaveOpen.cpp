// Save As and Open of the statement file.
#include <memory>
#include <utility>

#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "statement/Statement.h"
#include "statement/StatementFile.h"

namespace epinax {

namespace {

std::string SuccessText()
{
    const char* const lines[] = {
        "Επιτυχής Αποθήκευση Αρχείου.",
        "",
        "Η Συγκεντρωτική Κατάσταση έχει αποθηκευτεί στον υπολογιστή σας.",
        "",
        "Για να υποβάλλετε ηλεκτρονικά την Συγκεντρωτική Κατάσταση Πελατών-Προμηθευτών ",
        "θα πρέπει να συμπιέσετε (zip) το αρχείο που αποθηκεύσατε και να συνδεθείτε μέσω ",
        "διαδικτύου στην αντίστοιχη υπηρεσία της ΚΕΦΥΣ (e-ΠΙΝΑΞ).",
        "",
        "Για να συμπιέσετε το αρχείο επιλέξτε το μενού \"Εργαλεία\" -> \"Δημιουργία Συμπιεσμένου",
        "Αρχείου (zip)\". Για να συνδεθείτε μέσω διαδικτύου στην υπηρεσία e-ΠΙΝΑΞ επιλέξτε το μενού",
        "\"Εργαλεία\" -> \"Ηλεκτρονική υποβολή αρχείου Συγκεντρωτικής Κατάστασης\".",
    };
    std::string text;
    for (const char* line : lines) text += (text.empty() ? "" : "\r\n") + std::string(line);
    return text;
}

// The system's reason is named: a user told only what to check would not
// know that the disk is full rather than the folder unwritable.
std::string CannotWriteMessage(const std::string& path, int error)
{
    return "Η αποθήκευση σε αρχείο απέτυχε: Δεν ήταν δυνατή η εγγραφή του αρχείου " + DisplayPath(path) + " (" +
           SystemReason(error) +
           "). Ελέγξτε ότι ο φάκελος υπάρχει, ότι έχετε δικαίωμα εγγραφής και ότι υπάρχει ελεύθερος χώρος.";
}

}  // namespace

std::string SaveAsSuccessText() { return SuccessText(); }

std::string SaveFailedText(const std::string& path, int systemError) { return CannotWriteMessage(path, systemError); }

// ------------------------------------------------------------------ Save As

std::string TStatement::ProposedFileName() const { return header_.TaxNumber + (header_.Credit ? ".PIS" : ""); }

// A public-sector value whose normal form cannot be kept in the working
// files is said so, and the statement is written all the same: the file
// chosen may well have the room that the program's folder lacks.
TOutcome TStatement::SaveAs(const std::string& path, bool replaceExisting)
{
    TOutcome saved;
    if (!replaceExisting && FileExists(path)) return saved;
    ui_.ShowHourglass();
    for (std::string* value : {&customerPublicValue_, &supplierPublicValue_})
        if (auto notKept = NormalisePublicValue(*value)) saved.notices.push_back(std::move(*notKept));
    TLongWork wait(ui_);
    std::optional<std::string> problem = WriteStatementFile(path);
    wait.End();
    if (problem) {
        saved.notices.push_back(TNotice::Message(std::move(*problem), true));
        return saved;
    }
    unsavedChanges_ = false;
    Changed();
    saved.done = true;
    saved.notices.push_back(TNotice::Message(SuccessText()));
    return saved;
}

// The file is written beside its place and renamed over it at the end, so a
// statement that cannot be written whole leaves any earlier file as it was.
std::optional<std::string> TStatement::WriteStatementFile(const std::string& path)
{
    auto listToWrite = [&](TSide side) {
        const TFixedFormatDataSet& list = List(side);
        return TListToWrite{list.RecordCount(), [&list](int i) { return list.RecordTextAt(i); }, PublicValue(side),
                            InvoiceTotalText(side), ValueTotalText(side)};
    };
    try {
        FileReplacer out(path, TDurability::UserFile);
        auto problem =
            WriteStatementText(header_, Today(), listToWrite(TSide::Customers), listToWrite(TSide::Suppliers),
                               [&](std::string_view piece) { out.Write(piece); });
        if (problem) return problem;
        for (TSide side : {TSide::Customers, TSide::Suppliers})
            if (List(side).Active()) List(side).First();
        out.Commit();
    } catch (const EFileError& error) {
        return CannotWriteMessage(path, error.SystemError());
    }
    return std::nullopt;
}

// --------------------------------------------------------------------- Open

TOutcome TStatement::Open(const std::string& path)
{
    auto refused = [](TNotice notice) { return TOutcome{false, {std::move(notice)}}; };
    if (auto refusal = WorkingDirectoryRefusal()) return refused(std::move(*refusal));
    std::optional<std::string> bytes;
    try {
        bytes = ReadFileUpTo(path, kLargestStatementFileBytes);
    } catch (const EFileError& error) {
        return refused(TNotice::Error("Δεν ήταν δυνατό να διαβαστεί το αρχείο " + DisplayPath(path) + " (" +
                                      SystemReason(error.SystemError()) + ")."));
    }
    if (!bytes) return refused(TNotice::Message(InvalidFileMessage()));
    return LoadStatement(*bytes);
}

TOutcome TStatement::OpenBytes(std::string_view bytes)
{
    if (auto refusal = WorkingDirectoryRefusal()) return {false, {std::move(*refusal)}};
    return LoadStatement(bytes);
}

namespace {

// The header is the file's first header line.
TGeneralData GeneralDataOf(const TStatementContents& contents)
{
    TGeneralData data;
    if (!contents.headerLines.empty()) FillHeaderFromLine(data.header, contents.headerLines.front());
    data.header.Credit = contents.credit;
    data.customerPublicValue = contents.customerPublicValue;
    data.supplierPublicValue = contents.supplierPublicValue;
    return data;
}

std::unique_ptr<FileReplacer> Stage(const std::string& path, const std::string& text)
{
    auto out = std::make_unique<FileReplacer>(path);
    out->Write(text);
    out->Finish();
    return out;
}

}  // namespace

// The new working files and their scratch copies, where the statement keeps
// any, are written in full beside the old ones before any of them replaces
// its predecessor: a full disk leaves the statement being edited exactly as
// it was.
TOutcome TStatement::LoadStatement(std::string_view bytes)
{
    TReadOutcome outcome = ReadStatement(bytes);
    if (outcome.problem)
        return {false, {TNotice::Message(std::move(outcome.problem->message), !outcome.notAStatement)}};
    TStatementContents& contents = *outcome.contents;
    std::string customers = std::move(contents.customers);
    std::string suppliers = std::move(contents.suppliers);
    TGeneralData general = GeneralDataOf(contents);
    std::vector<std::unique_ptr<FileReplacer>> staged;
    try {
        if (KeepsWorkingFiles()) {
            staged.push_back(Stage(WorkingFile("generaldata"), GeneralDataText(general)));
            staged.push_back(Stage(WorkingFile("record2"), customers));
            staged.push_back(Stage(WorkingFile("record4"), suppliers));
        }
    } catch (const EFileError& error) {
        return {
            false,
            {TNotice::Error("Δεν ήταν δυνατό να ανοίξει η κατάσταση: τα αρχεία εργασίας δεν γράφτηκαν στον φάκελο " +
                            DisplayPath(workingDirectory_) + " (" + SystemReason(error.SystemError()) +
                            "). Η κατάσταση που επεξεργάζεστε δεν άλλαξε.")}};
    }
    customers_.Close();
    suppliers_.Close();
    for (auto& file : staged) file->Commit();
    // The scratch copies are made again after every post and delete; one
    // that cannot be made now is no reason to leave the statement half open.
    try {
        if (KeepsWorkingFiles()) {
            ReplaceWithCopy(WorkingFile("record2"), WorkingFile("record21"));
            ReplaceWithCopy(WorkingFile("record4"), WorkingFile("record22"));
        }
    } catch (const EFileError&) {
    }

    // A kind other than the one shown counts as a click on its button.
    if (header_.Credit != contents.credit) unsavedChanges_ = true;
    TOutcome opened{true, {}};
    if (!KeepsWorkingFiles())
        SetGeneralData(std::move(general));
    else if (auto problem = LoadHeader())
        opened.notices.push_back(std::move(*problem));
    // The lists take the bytes just written rather than reading them back.
    customers_.OpenWithText(std::move(customers));
    suppliers_.OpenWithText(std::move(suppliers));
    sums_[0] = contents.customerSum;
    sums_[1] = contents.supplierSum;
    totalsShown_[0] = totalsShown_[1] = true;
    SetCountLabel(TSide::Customers);
    SetCountLabel(TSide::Suppliers);
    statementLoaded_ = true;
    Changed();
    return opened;
}

}  // namespace epinax
