// Split and join of paths: drives, both separators, extensions, and refusal of
// parts that do not fit.
#include <gtest/gtest.h>

#include <tuple>

#include <cstring>
#include <string>

#include "code_page_932.h"
#include "path_rules.h"

namespace {

struct Parts {
    std::string drive, dir, name, ext;
};

Parts Split(const std::string& path, int* ok = nullptr)
{
    char drive[PATH_DRIVE_SIZE], dir[PATH_DIR_SIZE], name[260], ext[260];
    int result = SplitPath(path.c_str(), drive, sizeof drive, dir, sizeof dir, name, sizeof name,
                           ext, sizeof ext);
    if (ok) *ok = result;
    return {drive, dir, name, ext};
}

TEST(SplitPath, FindsDriveDirectoryNameAndExtension)
{
    struct Case {
        const char* path;
        Parts parts;
    } cases[] = {
        {"C:\\SOMEDIR\\SETUP.EXE", {"C:", "\\SOMEDIR\\", "SETUP", ".EXE"}},
        {"\\SOMEDIR\\SETUP.EXE", {"", "\\SOMEDIR\\", "SETUP", ".EXE"}},
        {"C:/a/b\\c/setup.tar.gz", {"C:", "/a/b\\c/", "setup.tar", ".gz"}},
        {"C:SETUP", {"C:", "", "SETUP", ""}},
        {"D:\\dir.d\\noext", {"D:", "\\dir.d\\", "noext", ""}},
        {"C:\\Program Files\\Varsen\\", {"C:", "\\Program Files\\Varsen\\", "", ""}},
        // A quoted value is a plain path: the quote stays in the directory.
        {"\"C:\\SOMEDIR\\SETUP.EXE\"", {"", "\"C:\\SOMEDIR\\", "SETUP", ".EXE\""}},
        {"", {"", "", "", ""}},
    };
    for (const Case& c : cases) {
        int ok = 0;
        Parts got = Split(c.path, &ok);
        EXPECT_EQ(ok, 1) << c.path;
        EXPECT_EQ(std::tie(got.drive, got.dir, got.name, got.ext),
                  std::tie(c.parts.drive, c.parts.dir, c.parts.name, c.parts.ext)) << c.path;
    }
}

TEST(SplitPath, RefusesADirectoryLongerThanItsBufferInsteadOfCuttingIt)
{
    std::string fits = "C:\\" + std::string(253, 'd') + "\\x.exe";  // 255 of directory
    int ok = 0;
    EXPECT_EQ(Split(fits, &ok).dir.size(), 255u);
    EXPECT_EQ(ok, 1);

    Parts got = Split("C:\\" + std::string(254, 'd') + "\\x.exe", &ok);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(got.drive, "");
    EXPECT_EQ(got.dir, "");
    EXPECT_EQ(got.name, "");

    // Parts that are not asked for need no buffer.
    char drive[PATH_DRIVE_SIZE];
    EXPECT_EQ(SplitPath("C:\\x\\y.z", drive, sizeof drive, NULL, 0, NULL, 0, NULL, 0), 1);
    EXPECT_STREQ(drive, "C:");
}

std::string Join(size_t size, const char* drive, const char* dir, const char* name,
                 const char* ext, int expectOk = 1)
{
    char out[300];
    EXPECT_LE(size, sizeof out);
    std::memset(out, '#', sizeof out);
    int ok = JoinPath(out, size, drive, dir, name, ext);
    EXPECT_EQ(ok, expectOk) << (dir ? dir : "") << " " << (name ? name : "");
    EXPECT_EQ(out[size], '#') << "wrote past the end";
    return out;
}

TEST(JoinPath, AddsSeparatorAndDotOnlyWhereMissing)
{
    EXPECT_EQ(Join(260, "C:", "\\SOMEDIR\\", "oldsig", "backup"), "C:\\SOMEDIR\\oldsig.backup");
    EXPECT_EQ(Join(260, "C:", "\\SOMEDIR", "sig", ".exe"), "C:\\SOMEDIR\\sig.exe");
    EXPECT_EQ(Join(260, "C:", "/a/", "sig", "exe"), "C:/a/sig.exe");
    EXPECT_EQ(Join(260, "", "\\dir\\", "name", ""), "\\dir\\name");
    EXPECT_EQ(Join(260, NULL, NULL, "name", NULL), "name");
    // The install directory: drive and directory alone keep the directory's backslash.
    EXPECT_EQ(Join(260, "D:", "\\Program Files\\Varsen\\", "", ""), "D:\\Program Files\\Varsen\\");
    // Split and join again gives the path back.
    Parts p = Split("E:\\x y\\z\\PROG.EXE");
    EXPECT_EQ(Join(260, p.drive.c_str(), p.dir.c_str(), p.name.c_str(), p.ext.c_str()),
              "E:\\x y\\z\\PROG.EXE");
}

TEST(JoinPath, RefusesWhatDoesNotFitAtEveryPart)
{
    // "C:\d\oldsig.backup" is 18 characters: 19 fit, every shorter size is refused.
    EXPECT_EQ(Join(19, "C:", "\\d", "oldsig", "backup"), "C:\\d\\oldsig.backup");
    for (size_t size = 1; size < 19; size++)
        EXPECT_EQ(Join(size, "C:", "\\d", "oldsig", "backup", 0), "") << size;
    char out[4] = "abc";
    EXPECT_EQ(JoinPath(out, 0, "C:", "", "", ""), 0);
    EXPECT_STREQ(out, "abc");
}

TEST(IsFullDirectory, AcceptsOnlyAbsoluteDirectoriesEndingInASeparator)
{
    EXPECT_EQ(IsFullDirectory("C:\\Program Files\\Varsen\\"), 1);
    EXPECT_EQ(IsFullDirectory("z:/x/"), 1);
    EXPECT_EQ(IsFullDirectory("\\\\server\\share\\"), 1);
    for (const char* dir : {"", "C:", "C:x\\", "\\x\\", "x\\", "C:\\x", "1:\\"})
        EXPECT_EQ(IsFullDirectory(dir), 0) << dir;
    EXPECT_EQ(SamePathIgnoringCase("c:\\progra~1\\Varsen\\", "C:\\PROGRA~1\\VARSEN\\"), 1);
    EXPECT_EQ(SamePathIgnoringCase("C:\\A\\", "C:\\A"), 0);
}

// Code page 932: the second byte of a double-byte character is never a separator.
TEST(PathRules, StepOverDoubleByteCharacters)
{
    ASSERT_TRUE(InCodePage932());
    const std::string so = "\x83\x5C";  // its second byte is '\'
    struct Case {
        std::string path;
        Parts parts;
    } cases[] = {
        {"C:\\" + so + "\x83\x74\x83\x67.EXE", {"C:", "\\", so + "\x83\x74\x83\x67", ".EXE"}},
        {"C:\\" + so + "\\SETUP.EXE", {"C:", "\\" + so + "\\", "SETUP", ".EXE"}},
        {"C:\\a\x83", {"C:", "\\", "a\x83", ""}},  // a lead byte at the very end
    };
    for (const Case& c : cases) {
        Parts got = Split(c.path);
        EXPECT_EQ(got.dir, c.parts.dir) << c.path;
        EXPECT_EQ(got.name, c.parts.name) << c.path;
        EXPECT_EQ(got.ext, c.parts.ext) << c.path;
    }
    EXPECT_EQ(Join(260, "C:", ("\\" + so).c_str(), "sig", "exe"), "C:\\" + so + "\\sig.exe");
    EXPECT_EQ(IsFullDirectory(("C:\\" + so).c_str()), 0);
    EXPECT_EQ(IsFullDirectory(("C:\\" + so + "\\").c_str()), 1);
    // Second bytes are no letters: 0x83 0x61 and 0x83 0x41 are two characters.
    EXPECT_EQ(SamePathIgnoringCase(("c:\\" + so + "\x83\x61\\").c_str(), ("C:\\" + so + "\x83\x61\\").c_str()), 1);
    EXPECT_EQ(SamePathIgnoringCase("C:\\\x83\x61\\", "C:\\\x83\x41\\"), 0);
}

}  // namespace
