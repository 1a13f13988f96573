// The full disk of these tests is real to the program: its own write() calls,
// made inside the core's libraries, meet it.
#include <cerrno>

#include "FailingWrite.h"
#include "TestSupport.h"
#include "common/Errors.h"
#include "common/Files.h"

using namespace epinax;
using namespace epinax::test;

TEST(FailingWrite, ArmedWithNothingTheCoreCannotReplaceAFile)
{
    TempDir dir;
    std::string path = dir.File("kept");
    WriteBytes(path, "earlier");
    try {
        WriteFailure full(0);
        ReplaceFile(path, "later, and longer");
        ADD_FAILURE() << "replaced on a full disk";
    } catch (const EFileError& error) {
        EXPECT_EQ(error.SystemError(), ENOSPC);
    }
    EXPECT_EQ(BytesWrittenSinceArmed(), 0u);
    EXPECT_EQ(WritesRefusedSinceArmed(), 1u);
    EXPECT_EQ(ReadBytes(path), "earlier");

    ReplaceFile(path, "later, and longer");
    EXPECT_EQ(ReadBytes(path), "later, and longer");
}

TEST(FailingWrite, TheWriteThatMeetsTheEndTakesWhatFitsAndTheNextFails)
{
    TempDir dir;
    std::string path = dir.File("kept");
    try {
        WriteFailure full(5);
        ReplaceFile(path, "0123456789");
        ADD_FAILURE() << "replaced on a full disk";
    } catch (const EFileError& error) {
        EXPECT_EQ(error.SystemError(), ENOSPC);
    }
    EXPECT_EQ(BytesWrittenSinceArmed(), 5u);
    EXPECT_EQ(WritesRefusedSinceArmed(), 1u);
    EXPECT_FALSE(FileExists(path));
}

TEST(FailingWrite, CountsWhatAnOperationWrites)
{
    TempDir dir;
    WriteCounter count;
    ReplaceFile(dir.File("a"), std::string(3 << 20, 'x'));
    ReplaceFile(dir.File("b"), "abc");
    EXPECT_EQ(count.Bytes(), (3u << 20) + 3);
    EXPECT_EQ(WritesRefusedSinceArmed(), 0u);
}
