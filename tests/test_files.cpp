// Whole-file copy and safe replacement.
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "TestSupport.h"
#include "common/Errors.h"
#include "common/Files.h"
#include "common/Greek.h"

using namespace epinax;
using namespace epinax::test;

TEST(FileCopy, CopiesBytesAndReplacesTheDestination)
{
    TempDir dir;
    std::string bytes(20000, '\xC1');
    bytes += std::string("\0\r\n", 3);
    WriteBytes(dir.File("record2"), bytes);
    WriteBytes(dir.File("record21"), "older and longer contents than nothing");
    copy(dir.File("record2"), dir.File("record21"));
    EXPECT_EQ(ReadBytes(dir.File("record21")), bytes);

    WriteBytes(dir.File("empty"), "");
    copy(dir.File("empty"), dir.File("record21"));
    EXPECT_EQ(ReadBytes(dir.File("record21")), "");
}

TEST(FileCopy, IntoADirectoryKeepsTheFileName)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("sub"));
    WriteBytes(dir.File("record2"), "x");
    copy(dir.File("record2"), dir.File("sub"));
    EXPECT_EQ(ReadBytes(dir.File("sub/record2")), "x");
    copy(dir.File("record2"), dir.File("sub") + "/");
    EXPECT_EQ(ReadBytes(dir.File("sub/record2")), "x");
}

TEST(FileCopy, Errors)
{
    TempDir dir;
    try {
        copy(dir.File("missing"), dir.File("out"));
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.File("missing"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));

    WriteBytes(dir.File("in"), "x");
    try {
        copy(dir.File("in"), dir.File("no/dir/out"));
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.File("no/dir/out"));
    }
}

TEST(FileReplace, KeepsPermissionsAndLeavesNoStrayFiles)
{
    TempDir dir;
    WriteBytes(dir.File("f"), "old");
    ::chmod(dir.File("f").c_str(), 0640);
    ReplaceFile(dir.File("f"), "new");
    EXPECT_EQ(ReadBytes(dir.File("f")), "new");
    struct stat info {};
    ::stat(dir.File("f").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(FileReplace, UnfinishedReplacementLeavesTheOldFile)
{
    TempDir dir;
    WriteBytes(dir.File("f"), "old");
    {
        FileReplacer out(dir.File("f"));
        out.Write(std::string(3 << 20, 'x'));  // more than one buffer
    }
    EXPECT_EQ(ReadBytes(dir.File("f")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(FileReplace, FullDiskKeepsTheOldFile)
{
    // A file size limit makes write() fail the way a full disk does.
    TempDir dir;
    WriteBytes(dir.File("f"), "old");
    {
        FileSizeLimit limit(1 << 20);
        try {
            ReplaceFile(dir.File("f"), std::string(3 << 20, 'x'));
            ADD_FAILURE() << "no error";
        } catch (const EFileError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot write file " + dir.File("f"));
        }
    }
    EXPECT_EQ(ReadBytes(dir.File("f")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

// What the directory saw of a file's name while it was replaced: the name
// must never be moved away or deleted, only taken over by the new file.
TEST(FileReplace, TheNameIsNeverEmptyNotEvenForAMoment)
{
    TempDir dir;
    const std::string big(2 << 20, 'o');  // large files were once set aside first
    for (TDurability durability : {TDurability::WorkingFile, TDurability::UserFile}) {
        WriteBytes(dir.File("f"), big);
        int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, dir.Path().c_str(), IN_MOVED_FROM | IN_DELETE | IN_MOVED_TO), 0);
        ReplaceFile(dir.File("f"), std::string(2 << 20, 'n'), durability);
        ReplaceWithCopy(dir.File("f"), dir.File("g"));
        ReplaceWithCopy(dir.File("f"), dir.File("g"));

        std::vector<std::string> gone, arrived;
        alignas(inotify_event) char buffer[1 << 16];
        for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + got;) {
                auto* event = reinterpret_cast<inotify_event*>(p);
                std::string name = event->len ? event->name : "";
                (event->mask & IN_MOVED_TO ? arrived : gone).push_back(name);
                p += sizeof(inotify_event) + event->len;
            }
        }
        ::close(watch);
        for (const auto& name : gone) EXPECT_TRUE(name != "f" && name != "g") << name;
        EXPECT_EQ(std::count(arrived.begin(), arrived.end(), "f"), 1);
        // The second copy finds the same file under both names already.
        EXPECT_EQ(std::count(arrived.begin(), arrived.end(), "g"), 1);
        EXPECT_EQ(ReadBytes(dir.File("f")), std::string(2 << 20, 'n'));
        EXPECT_EQ(ReadBytes(dir.File("g")), std::string(2 << 20, 'n'));
        // Besides the two, at most the old data's second names, which a worker is freeing.
        int named = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            named += entry.path().filename().string().find(".discarded-") == std::string::npos;
        EXPECT_EQ(named, 2);
        std::filesystem::remove(dir.File("g"));
    }
}

// Staged files are written out whole before any replaces its predecessor.
TEST(FileReplace, FinishShowsAFullDiskBeforeAnythingIsReplaced)
{
    TempDir dir;
    WriteBytes(dir.File("f"), "old");
    int reason = 0;
    {
        FileSizeLimit limit(100);
        FileReplacer out(dir.File("f"));
        out.Write(std::string(200, 'x'));  // buffered: nothing is written yet
        try {
            out.Finish();
        } catch (const EFileError& e) {
            reason = e.SystemError();
        }
    }
    EXPECT_EQ(reason, EFBIG);
    EXPECT_EQ(SystemReason(reason), "το αρχείο ξεπερνά το επιτρεπόμενο μέγεθος");
    EXPECT_EQ(ReadBytes(dir.File("f")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(FileRead, UpToALimitReadsPipesOnceAndRefusesWhatIsLarger)
{
    TempDir dir;
    WriteBytes(dir.File("f"), std::string(1000, 'a'));
    EXPECT_EQ(ReadFileUpTo(dir.File("f"), 1000), std::string(1000, 'a'));
    EXPECT_EQ(ReadFileUpTo(dir.File("f"), 999), std::nullopt);
    // A sparse file far larger than memory is refused without being read.
    ::truncate(dir.File("f").c_str(), off_t{1} << 40);
    EXPECT_EQ(ReadFileUpTo(dir.File("f"), 1 << 20), std::nullopt);

    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    for (size_t size : {size_t{70000}, size_t{70001}}) {
        pid_t writer = ::fork();
        if (writer == 0) {
            int fd = ::open(dir.File("pipe").c_str(), O_WRONLY);
            std::string bytes(size, 'p');
            for (size_t at = 0; at < bytes.size();) {
                ssize_t put = ::write(fd, bytes.data() + at, bytes.size() - at);
                if (put <= 0) ::_exit(1);
                at += static_cast<size_t>(put);
            }
            ::_exit(0);
        }
        auto text = ReadFileUpTo(dir.File("pipe"), 70000);
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        if (size == 70000)
            EXPECT_EQ(text, std::string(size, 'p'));
        else
            EXPECT_EQ(text, std::nullopt);
    }
}

TEST(FileRead, ARegularFileOnlyRefusesFifosDevicesAndRefusedLinksWithoutBlocking)
{
    TempDir dir;
    WriteBytes(dir.File("f"), "abc");
    ASSERT_EQ(::symlink(dir.File("f").c_str(), dir.File("link").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadRegularFileUpTo(dir.File("link"), 3), "abc");
    EXPECT_EQ(ReadRegularFileUpTo(dir.File("f"), 2), std::nullopt);
    auto errorOf = [](const std::string& path, TLinks links) {
        try {
            ReadRegularFileUpTo(path, 1 << 20, links);
        } catch (const EFileError& error) {
            return error.SystemError();
        }
        return 0;
    };
    EXPECT_EQ(errorOf(dir.File("pipe"), TLinks::Follow), EINVAL);  // no writer: a blocking open would hang here
    EXPECT_EQ(errorOf("/dev/zero", TLinks::Follow), EINVAL);
    EXPECT_EQ(errorOf(dir.File("link"), TLinks::Refuse), ELOOP);
    EXPECT_EQ(errorOf(dir.Path(), TLinks::Follow), EISDIR);
}
