// Whole-file copy and safe replacement.
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "TestSupport.h"
#include "common/Errors.h"
#include "common/Files.h"

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
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1 << 20;
    ::setrlimit(RLIMIT_FSIZE, &small);
    try {
        ReplaceFile(dir.File("f"), std::string(3 << 20, 'x'));
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write file " + dir.File("f"));
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(ReadBytes(dir.File("f")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}
