// The authority's addresses and the desktop launcher's text.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "TestSupport.h"
#include "common/Errors.h"
#include "outputs/Links.h"

using namespace epinax;
using namespace epinax::test;

TEST(Links, AddressesOfTheSiteAndTheSubmissionPage)
{
    EXPECT_EQ(WebSiteAddress(), "http://www.kefys.example/");
    EXPECT_EQ(SubmissionAddress(), "https://www.kefys.example/skpp/afmroot/enter.kefys");
}

// Exec takes the program's path quoted as the desktop entry rules ask, with
// the string value's own escaping of backslashes on top; Path ends with '/'.
TEST(Links, LauncherQuotesTheProgramsPath)
{
    std::string text = DesktopEntryText("/opt/e pinax/epinax", "epinax");
    EXPECT_NE(text.find("\nExec=\"/opt/e pinax/epinax\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nPath=/opt/e pinax/\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nIcon=epinax\n"), std::string::npos) << text;
    text = DesktopEntryText("/home/a\"b$c`d\\e%f/epinax", "/x/epinax.png");
    EXPECT_NE(text.find("\nExec=\"/home/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f/epinax\"\n"), std::string::npos) << text;
}

TEST(Links, LauncherWrittenExecutableOrRefusedWithoutADesktop)
{
    TempDir dir;
    WriteDesktopLauncher(dir.Path(), "/usr/local/bin/epinax", "epinax");
    const std::string path = dir.File(kLauncherFileName);
    EXPECT_EQ(ReadBytes(path), DesktopEntryText("/usr/local/bin/epinax", "epinax"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    EXPECT_THROW(WriteDesktopLauncher(dir.File("missing"), "/usr/local/bin/epinax", "epinax"), EFileError);
}

// A path the desktop reads back as it was written passes the validator; one
// holding a line break (a second Exec to run) or another control character
// is refused and nothing is written.
TEST(Links, LauncherValidOrRefused)
{
    TempDir dir;
    const std::string path = dir.File(kLauncherFileName);
    WriteDesktopLauncher(dir.Path(), "/home/ο χρήστης/a\"b$c`d\\e%f/epinax", "/x/y z/epinax.png");
    if (std::system("command -v desktop-file-validate >/dev/null") == 0) {
        EXPECT_EQ(std::system(("desktop-file-validate '" + path + "'").c_str()), 0) << ReadBytes(path);
    }
    for (const char* hostile : {"/tmp/a\nExec=/bin/evil\n/epinax", "/tmp/a\rb/epinax", "/tmp/a\x7F/epinax"}) {
        std::filesystem::remove(path);
        EXPECT_THROW(WriteDesktopLauncher(dir.Path(), hostile, "epinax"), EFileError) << hostile;
        EXPECT_THROW(WriteDesktopLauncher(dir.Path(), "/usr/bin/epinax", hostile), EFileError) << hostile;
        EXPECT_FALSE(std::filesystem::exists(path)) << hostile;
    }
}
