// The wininit.ini document: what a load and save keep and change, the header rule,
// the line capacity, and that a failed save leaves the file on disk as it was.
#include "code_page_932.h"
#include "ini_document.h"
#include "runtime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace {

class IniDocumentTest : public testing::Test {
protected:
    void SetUp() override
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        std::random_device random;
        do {
            dir_ = testing::TempDir() + "removr_ini_" + info->name() + "_" +
                   std::to_string(random());
        } while (!std::filesystem::create_directory(dir_));
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void Put(const std::string& path, const std::string& bytes)
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(f) << path;
        ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), f));
        ASSERT_EQ(0, std::fclose(f));
    }
    std::string Get(const std::string& path)
    {
        std::string bytes;
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            return "<missing>";
        for (int ch; (ch = std::getc(f)) != EOF;)
            bytes += static_cast<char>(ch);
        std::fclose(f);
        return bytes;
    }
    // Loads bytes as a file and saves the document again; returns what was saved.
    std::string LoadSave(const std::string& bytes, int expectLoad = 1)
    {
        Put(Path("in.ini"), bytes);
        IniDocument doc;
        EXPECT_EQ(expectLoad, doc.Load(Path("in.ini").c_str()));
        EXPECT_EQ(1, doc.Save(Path("out.ini").c_str()));
        return Get(Path("out.ini"));
    }

    std::string dir_;
};

TEST_F(IniDocumentTest, LoadAndSaveKeepLinesAndNormaliseLineEnds)
{
    const std::string file =
        "top;line\r\n\r\n# comment\n#\r\n[rename] ; note\r\nNUL=C:\\A[1]\\B.TXT\n"
        "  [rename]\r\n; [rename]\r\n[re;name]\r\nx]y[z\r\na\rb\r\r\n  # not a comment\n"
        "[Rename]\r\nlast without line feed\x1A" "after ctrl-z\r\n";
    const std::string expected =
        "top;line\r\n\r\n[rename]\r\nNUL=C:\\A[1]\\B.TXT\r\n"
        "[rename]\r\n; [rename]\r\n[re;name]\r\nx]y[z\r\na\rb\r\r\n  # not a comment\r\n"
        "[Rename]\r\nlast without line feed\r\n";
    std::string once = LoadSave(file);
    EXPECT_EQ(expected, once);
    EXPECT_EQ(once, LoadSave(once));
    EXPECT_EQ("<missing>", Get(Path("out.rvn")));

    EXPECT_EQ("[s]\r\nx\r\n", LoadSave("[s]\nx\n#c1\n#c2"));
    EXPECT_EQ("a\r\nb\r\n", LoadSave("a\nb\r\n"));
    EXPECT_EQ("a\r\n", LoadSave("a\r\n\x1A\r\nb\r\n"));
    EXPECT_EQ("", LoadSave("\x1A[s]\r\n"));
    EXPECT_EQ("", LoadSave(""));

    // Once the end of the file is met every later read meets it too.
    Put(Path("z.ini"), "a\r\x1A" "b\n");
    RtStream* f = RtOpenRead(Path("z.ini").c_str(), NULL);
    ASSERT_TRUE(f);
    char buffer[INI_LINE_SIZE];
    EXPECT_EQ(1, ReadIniLine(buffer, sizeof buffer, f));
    EXPECT_STREQ("a\r", buffer);
    EXPECT_EQ(0, ReadIniLine(buffer, sizeof buffer, f));
    EXPECT_EQ(0, ReadIniLine(buffer, sizeof buffer, f));
    EXPECT_STREQ("", buffer);
    RtClose(f);

    // A line that does not fit the caller's buffer is refused whole, never cut.
    Put(Path("z.ini"), "abcd\nabc\n");
    f = RtOpenRead(Path("z.ini").c_str(), NULL);
    ASSERT_TRUE(f);
    char small[4];
    EXPECT_EQ(-1, ReadIniLine(small, sizeof small, f));
    EXPECT_STREQ("", small);
    RtClose(f);
    f = RtOpenRead(Path("z.ini").c_str(), NULL);
    ASSERT_TRUE(f);
    char exact[5];
    EXPECT_EQ(1, ReadIniLine(exact, sizeof exact, f));
    EXPECT_STREQ("abcd", exact);
    EXPECT_EQ(1, ReadIniLine(exact, sizeof exact, f));
    EXPECT_STREQ("abc", exact);
    RtClose(f);
}

TEST_F(IniDocumentTest, HeadersSectionsAndNames)
{
    Put(Path("w.ini"), "before\r\n[rename]\r\nA\r\n[Rename]\r\nR\r\n[rename]\r\nB\r\n[]\r\n");
    IniDocument doc;
    ASSERT_EQ(1, doc.Load(Path("w.ini").c_str()));
    IniSection* first = doc.FindSection("rename");
    ASSERT_TRUE(first);
    EXPECT_STREQ("A", first->firstLine->text);
    EXPECT_STREQ("R", doc.FindSection("Rename")->firstLine->text);
    EXPECT_STREQ("rename", first->next->next->name);  // two headers, two sections
    EXPECT_STREQ("B", first->next->next->firstLine->text);
    EXPECT_EQ(nullptr, doc.FindSection("renam"));
    EXPECT_EQ(nullptr, doc.FindSection(nullptr));
    EXPECT_EQ(nullptr, doc.firstSection->name);  // unnamed sections never match
    EXPECT_TRUE(doc.FindSection(""));            // "[]" gives the empty name

    const struct { const char* line; int header; } cases[] = {
        {"[rename]", 1}, {"  [rename]", 1}, {"\t[rename] ; note", 1}, {"[a]b;c]", 1},
        {"[x", 0}, {"x[y]", 0}, {"[a;]", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.header, IsSectionHeader(c.line)) << c.line;
    EXPECT_EQ(0, IsSectionHeader(nullptr));

    IniSection section;
    EXPECT_EQ(0, section.SetNameFromHeader("no brackets"));
    EXPECT_EQ(0, section.SetNameFromHeader("]x[y"));
    EXPECT_EQ(nullptr, section.name);
    EXPECT_EQ(1, section.SetNameFromHeader(" [ rename ] ; [x]"));
    EXPECT_STREQ(" rename ", section.name);

    // Code page 932: a second byte ']' or '[' is no bracket.
    ASSERT_TRUE(InCodePage932());
    const std::string zone = "\x83\x5D\x81\x5B\x83\x93";  // its bytes hold ']' and '['
    EXPECT_EQ(0, IsSectionHeader("[\x83\x5D"));
    EXPECT_EQ(1, section.SetNameFromHeader(("[" + zone + "] ; x").c_str()));
    EXPECT_EQ(zone, section.name);
    EXPECT_EQ("[" + zone + "]\r\nx\r\n", LoadSave("[" + zone + "]\r\nx\r\n"));
}

TEST_F(IniDocumentTest, LineCapacityAndUnreadableFiles)
{
    for (size_t length : {199u, 200u, 519u}) {
        std::string line = "NUL=" + std::string(length - 4, 'x');
        EXPECT_EQ("[rename]\r\n" + line + "\r\n", LoadSave("[rename]\n" + line + "\n"));
    }
    // A comment is dropped, so its length does not matter.
    EXPECT_EQ("a\r\n", LoadSave("#" + std::string(600, 'c') + "\na\n"));
    // What cannot be held faithfully fails the load; what came before it stays.
    EXPECT_EQ("[s]\r\nok\r\n", LoadSave("[s]\nok\n" + std::string(520, 'x') + "\n", 0));
    const char zero[] = "[s]\r\nNUL=a\0b\r\nc\r\n";
    EXPECT_EQ("[s]\r\n", LoadSave(std::string(zero, sizeof zero - 1), 0));

    IniDocument doc;
    EXPECT_EQ(0, doc.Load(dir_.c_str()));  // a directory exists, so it is not missing
    EXPECT_EQ(0, doc.missing);
#ifndef _WIN32
    Put(Path("file.ini"), "");
    EXPECT_EQ(0, doc.Load(Path("file.ini/sub.ini").c_str()));  // ENOTDIR
    EXPECT_EQ(0, doc.missing);
#endif

    IniSection section;
    EXPECT_EQ(0, section.AddLine(std::string(520, 'y').c_str()));
    EXPECT_EQ(0, section.AddLine(nullptr));
    EXPECT_EQ(nullptr, section.firstLine);
    EXPECT_EQ(1, section.AddLine(std::string(519, 'y').c_str()));
}

TEST_F(IniDocumentTest, MissingFileAndLoadingIntoAFilledDocument)
{
    IniDocument doc;
    IniSection* rename = RtNew<IniSection>();
    ASSERT_EQ(1, rename->SetName("rename"));
    ASSERT_EQ(1, doc.AppendSection(rename));
    ASSERT_EQ(1, rename->AddLine("A"));
    ASSERT_EQ(1, rename->AddLine("B"));

    EXPECT_EQ(0, doc.Load(Path("missing.ini").c_str()));
    EXPECT_EQ(1, doc.missing);
    EXPECT_EQ(rename, doc.lastSection);
    ASSERT_EQ(1, doc.Save(Path("missing.ini").c_str()));
    EXPECT_EQ("[rename]\r\nA\r\nB\r\n", Get(Path("missing.ini")));

    // A second load appends its own sections; lines before its first header
    // go to a nameless section of its own, never to "rename".
    Put(Path("more.ini"), "P\r\n[rename]\r\nQ\r\n");
    EXPECT_EQ(1, doc.Load(Path("more.ini").c_str()));
    EXPECT_EQ(0, doc.missing);
    EXPECT_EQ(rename, doc.FindSection("rename"));
    EXPECT_STREQ("B", rename->lastLine->text);
    EXPECT_EQ(1, doc.Save(Path("more.ini").c_str()));
    EXPECT_EQ("[rename]\r\nA\r\nB\r\nP\r\n[rename]\r\nQ\r\n", Get(Path("more.ini")));

    // An inconsistent list takes nothing.
    IniSection* last = doc.lastSection;
    doc.lastSection = nullptr;
    IniSection extra;
    EXPECT_EQ(0, doc.AppendSection(&extra));
    doc.lastSection = last;
    IniLine* lastLine = rename->lastLine;
    rename->lastLine = nullptr;
    EXPECT_EQ(0, rename->AddLine("C"));
    rename->lastLine = lastLine;
    EXPECT_EQ(nullptr, lastLine->next);
}

TEST_F(IniDocumentTest, FailedSaveLeavesTheOldFile)
{
    IniDocument doc;
    IniSection* section = RtNew<IniSection>();
    ASSERT_EQ(1, doc.AppendSection(section));
    ASSERT_EQ(1, section->AddLine("NUL=C:\\NEW.DLL"));

    EXPECT_EQ(0, doc.Save(Path("no/such/dir/wininit.ini").c_str()));

    const std::string old = "[rename]\r\nNUL=C:\\OLD.DLL\r\n# kept as it was\r\n";
    Put(Path("wininit.ini"), old);
    ASSERT_TRUE(std::filesystem::create_directory(Path("wininit.rvn")) &&
                std::filesystem::create_directory(Path("wininit.rvm")));
    EXPECT_EQ(0, doc.Save(Path("wininit.ini").c_str()));
    EXPECT_EQ(old, Get(Path("wininit.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(Path("wininit.rvn")));

    // The replacement itself fails: the temporary file goes too.
    ASSERT_TRUE(std::filesystem::create_directory(Path("dir.ini")));
    Put(Path("dir.ini/inside"), "x");
    EXPECT_EQ(0, doc.Save(Path("dir.ini").c_str()));
    EXPECT_EQ("<missing>", Get(Path("dir.rvn")));

    // The temporary name must fit the platform's 260 characters.
    std::string prefix = Path("");
    ASSERT_LT(prefix.size(), 200u);
    std::string fits = prefix + std::string(255 - prefix.size(), 'f');
    std::string tooLong = prefix + std::string(256 - prefix.size(), 'g');
    EXPECT_EQ(1, doc.Save(fits.c_str()));
    EXPECT_EQ(0, doc.Save(tooLong.c_str()));
    EXPECT_EQ("<missing>", Get(tooLong));

    // A successful save replaces a longer file completely.
    Put(Path("big.ini"), std::string(5000, 'z'));
    EXPECT_EQ(1, doc.Save(Path("big.ini").c_str()));
    EXPECT_EQ("NUL=C:\\NEW.DLL\r\n", Get(Path("big.ini")));
}

// The lines an old copy holds that the file written anew meanwhile lacks go into
// their own sections, made where missing (lines before any header at the head);
// nothing is added twice.
TEST_F(IniDocumentTest, MissingLinesOfAnOldCopyArePutBack)
{
    Put(Path("now.ini"), "[rename]\r\nNUL=C:\\NEW.TMP\r\n[Other]\r\nx=1\r\n");
    Put(Path("old.ini"), "first\r\n[Other]\r\nx=1\r\ny=2\r\n[rename]\r\nNUL=C:\\OLD.TMP\r\n[gone]\r\nz\r\n");
    IniDocument now, old;
    ASSERT_EQ(1, now.Load(Path("now.ini").c_str()));
    ASSERT_EQ(1, old.Load(Path("old.ini").c_str()));
    EXPECT_EQ(4, now.AddMissingLines(old));
    EXPECT_EQ(0, now.AddMissingLines(old));
    ASSERT_EQ(1, now.Save(Path("now.ini").c_str()));
    EXPECT_EQ("first\r\n[rename]\r\nNUL=C:\\NEW.TMP\r\nNUL=C:\\OLD.TMP\r\n[Other]\r\nx=1\r\ny=2\r\n"
              "[gone]\r\nz\r\n",
              Get(Path("now.ini")));
}

} // namespace
