// The statement a crash left in the working files, offered back at start.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "entry/ListRefresh.h"
#include "entry/Side.h"
#include "statement/GeneralData.h"
#include "statement/Statement.h"
#include "statement/StatementFile.h"

namespace epinax {

namespace {

// The files that hold the statement; the scratch copies are made from them.
const char* const kStatementFiles[] = {"generaldata", "record2", "record4"};
const char* const kLeftFiles[] = {"generaldata", "record2", "record4", "record21", "record22"};

struct TLeftWork {
    time_t lastChange = 0;
    bool holdsSomething = false;
};

TLeftWork LookAtLeftWork(const TStatement& statement)
{
    TLeftWork left;
    for (const char* name : kStatementFiles) {
        struct stat info {};
        if (::lstat(statement.WorkingFile(name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        left.holdsSomething = left.holdsSomething || info.st_size > 0;
        left.lastChange = std::max(left.lastChange, info.st_mtime);
    }
    return left;
}

std::string LocalTime(time_t when, const char* format)
{
    struct tm parts {};
    ::localtime_r(&when, &parts);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &parts));
}

// A list's working file: whole records of the list's line type, each with
// its CR LF, whose invoice counts and values the totals can read.
bool ListFileSound(std::string_view text, TSide side)
{
    constexpr size_t stride = kRecordLength + 2;
    if (text.size() % stride != 0) return false;
    const int count = static_cast<int>(text.size() / stride);
    for (int i = 0; i < count; ++i) {
        std::string_view record = text.substr(static_cast<size_t>(i) * stride, stride);
        if (record[0] != SideInfo(side).lineType || record.substr(kRecordLength) != "\r\n" ||
            record.find('\0') != std::string_view::npos)
            return false;
    }
    try {
        SumList(count, [&](int i) { return text.substr(static_cast<size_t>(i) * stride, kRecordLength); });
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// Only what this program leaves under a working file's name is read: a
// regular file of this user, no larger than the largest statement. Anything
// else found there (a FIFO, a device, a link, a huge sparse file) is not
// opened at all, and a FIFO put in its place meanwhile cannot block the read.
std::optional<std::string> ReadWorkingFile(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return std::string();  // a list file missing after a crash is an empty list
        throw EFileError(FormatMessage("Cannot open file %s", path), errno);
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        static_cast<std::uintmax_t>(info.st_size) > kLargestStatementFileBytes)
        return std::nullopt;
    return ReadRegularFileUpTo(path, kLargestStatementFileBytes, TLinks::Refuse);
}

// What a write cut short leaves beside a working file: the new file it was
// writing ("record2.Ab3xZ9") or the second name of a copy ("record21.link").
// The working file itself is whole under its own name.
std::vector<std::string> UnfinishedPieces(const std::string& directory)
{
    std::vector<std::string> pieces;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".discarded-") != std::string::npos) continue;  // freed as at every close
        for (const char* file : kLeftFiles)
            if (name.size() > std::strlen(file) + 1 && name.starts_with(file) && name[std::strlen(file)] == '.')
                pieces.push_back(name);
    }
    return pieces;
}

}  // namespace

std::optional<std::time_t> TStatement::LeftWork() const
{
    if (WorkingDirectoryProblem()) return std::nullopt;
    TLeftWork left = LookAtLeftWork(*this);
    if (!left.holdsSomething) return std::nullopt;
    return left.lastChange;
}

// Files not taken back are kept aside, where nothing that starts afresh can
// overwrite them.
TOutcome TStatement::Recover(bool takeBack) { return takeBack ? RecoverWorkingFiles() : MoveWorkingFilesAside({}); }

// Read whole and checked before anything is shown: damaged files are kept
// aside as they are, as Open keeps a damaged statement file untouched.
TOutcome TStatement::RecoverWorkingFiles()
{
    std::optional<std::string> general, customers, suppliers;
    try {
        general = ReadWorkingFile(WorkingFile("generaldata"));
        customers = ReadWorkingFile(WorkingFile("record2"));
        suppliers = ReadWorkingFile(WorkingFile("record4"));
    } catch (const EFileError& error) {
        return MoveWorkingFilesAside(" δεν ήταν δυνατό να διαβαστούν (" + SystemReason(error.SystemError()) +
                                     ") και δεν ανακτήθηκαν.");
    }
    std::optional<TGeneralData> data = general ? ParseGeneralData(*general) : std::nullopt;
    if (!data || !HeaderAsTyped(data->header) || !customers || !suppliers ||
        !ListFileSound(*customers, TSide::Customers) || !ListFileSound(*suppliers, TSide::Suppliers))
        return MoveWorkingFilesAside(" είναι κατεστραμμένα και δεν ανακτήθηκαν.");
    try {
        // A list file missing after a crash is an empty list.
        for (const char* name : {"record2", "record4"})
            if (!FileExists(WorkingFile(name))) ReplaceFile(WorkingFile(name), {});
        ReplaceWithCopy(WorkingFile("record2"), WorkingFile("record21"));
        ReplaceWithCopy(WorkingFile("record4"), WorkingFile("record22"));
    } catch (const EFileError&) {
        // The scratch copies are made again after every post and delete.
    }
    for (const std::string& piece : UnfinishedPieces(workingDirectory_)) ::unlink((workingDirectory_ + piece).c_str());
    customers_.Close();
    suppliers_.Close();
    header_ = std::move(data->header);
    customerPublicValue_ = std::move(data->customerPublicValue);
    supplierPublicValue_ = std::move(data->supplierPublicValue);
    customers_.OpenWithText(std::move(*customers));
    suppliers_.OpenWithText(std::move(*suppliers));
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        UpdateTotals(side);
        SetCountLabel(side);
    }
    activePage_ = 0;
    statementLoaded_ = true;
    unsavedChanges_ = true;
    Changed();
    return {true, {}};
}

// Into a folder of their own, named by the moment, so that a second crash
// never mixes its files with the first one's. The statement is not
// recovered; why its files were moved is said when there is a `why`, that
// they could not be, always.
TOutcome TStatement::MoveWorkingFilesAside(const std::string& why)
{
    const std::string stamp = LocalTime(std::time(nullptr), "%Y%m%d-%H%M%S");
    std::string folder = workingDirectory_ + "recovered-" + stamp;
    for (int n = 2; ::mkdir(folder.c_str(), 0700) != 0; ++n) {
        if (errno != EEXIST || n > 100)
            return {false,
                    {TNotice::Error("Τα στοιχεία που βρέθηκαν στον φάκελο " + DisplayPath(workingDirectory_) +
                                    " δεν μετακινήθηκαν (" + SystemReason(errno) +
                                    "). Μένουν εκεί μέχρι να ξεκινήσετε νέα κατάσταση ή να ανοίξετε αρχείο.")}};
        folder = workingDirectory_ + "recovered-" + stamp + "-" + std::to_string(n);
    }
    for (const char* name : kLeftFiles) ::rename(WorkingFile(name).c_str(), (folder + "/" + name).c_str());
    for (const std::string& piece : UnfinishedPieces(workingDirectory_))
        ::rename((workingDirectory_ + piece).c_str(), (folder + "/" + piece).c_str());
    if (why.empty()) return {};
    return {false,
            {TNotice::Message("Τα στοιχεία κατάστασης που βρέθηκαν" + why + " Φυλάχτηκαν όπως ήταν στον φάκελο " +
                              DisplayPath(folder) + ".")}};
}

}  // namespace epinax
