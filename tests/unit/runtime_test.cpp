// The program's runtime: bounded formatting against hand-made expectations and the
// C library's own answers, and the file streams (natively over the C library, under
// Wine over KERNEL32).
#include "runtime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string Format(size_t size, const char* format, ...)
{
    char out[600];
    for (char& c : out) c = '#';
    va_list args;
    va_start(args, format);
    int length = RtFormatV(out, size, format, args);
    va_end(args);
    std::string result = size > 0 ? std::string(out) : std::string("<none>");
    // Nothing is written beyond the given size.
    for (size_t i = size; i < sizeof out; i++)
        if (out[i] != '#') return "<overrun>";
    return std::to_string(length) + ":" + result;
}

TEST(RuntimeFormat, ConversionsFlagsWidthsAndPrecisions)
{
    EXPECT_EQ("14:NUL=C:\\A\\B.DLL", Format(100, "NUL=%s%s", "C:\\A\\", "B.DLL"));
    EXPECT_EQ("38:ERROR: REMOVR.EXE 1 -7 4294967295 100%",
              Format(100, "ERROR: %s %d %i %u %d%%", "REMOVR.EXE", 1, -7, -1, 100));
    EXPECT_EQ("20:[  ab][ab  ][a][   ]", Format(100, "[%4s][%-4s][%.1s][%3.0s]", "ab", "ab", "ab", "ab"));
    EXPECT_EQ("31:[   42][42   ][00042][+42][ 42]",
              Format(100, "[%5d][%-5d][%05d][%+d][% d]", 42, 42, 42, 42, 42));
    EXPECT_EQ("27:[-0042][  -42][-2147483648]", Format(100, "[%05d][%5d][%d]", -42, -42, -2147483647 - 1));
    EXPECT_EQ("17:[  007][][0][ 42]", Format(100, "[%5.3d][%.0d][%d][%#3d]", 7, 0, 0, 42));
    // Conversions the program never passes are shown as they stand and take nothing.
    EXPECT_EQ("12:%x %ld %* ok", Format(100, "%x %ld %* %s", "ok"));
    EXPECT_EQ("5:tail%", Format(100, "tail%"));
}

TEST(RuntimeFormat, CutsToTheBufferAndTellsTheWholeLength)
{
    EXPECT_EQ("15:Varsen Sof", Format(11, "%s", "Varsen Software"));
    EXPECT_EQ("15:Varsen Software", Format(16, "%s", "Varsen Software"));
    EXPECT_EQ("15:", Format(1, "%s", "Varsen Software"));
    EXPECT_EQ("15:<none>", Format(0, "%s", "Varsen Software"));
    EXPECT_EQ("6:-12", Format(4, "-12345"));
    EXPECT_EQ("5:  ", Format(3, "%5d", 1));
}

TEST(RuntimeFormat, AgreesWithTheCLibraryOnEverySafeSpec)
{
    const char* formats[] = {"%d", "%5d", "%-5d", "%05d", "%+d", "% d", "%.3d", "%8.3d", "%-+6d", "%u", "%3u"};
    const int values[] = {0, 1, -1, 42, -42, 99999, -2147483647 - 1, 2147483647};
    for (const char* format : formats) {
        for (int value : values) {
            char ours[64];
            char theirs[64];
            int a = RtFormat(ours, sizeof ours, format, value);
            int b = std::snprintf(theirs, sizeof theirs, format, value);
            EXPECT_EQ(b, a) << format << " " << value;
            EXPECT_STREQ(theirs, ours) << format << " " << value;
        }
    }
    const char* textFormats[] = {"%s", "%10s", "%-10s", "%.2s", "%6.2s", "%-6.0s"};
    for (const char* format : textFormats) {
        char ours[64];
        char theirs[64];
        RtFormat(ours, sizeof ours, format, "Uninstall");
        std::snprintf(theirs, sizeof theirs, format, "Uninstall");
        EXPECT_STREQ(theirs, ours) << format;
    }
}

TEST(RuntimeText, SearchCompareCopyDuplicate)
{
    const char* path = "C:\\A\\B.C.D";
    EXPECT_EQ(path + 2, RtFindChar(path, '\\'));
    EXPECT_EQ(path + 4, RtFindLastChar(path, '\\'));
    EXPECT_EQ(path + 8, RtFindLastChar(path, '.'));
    EXPECT_EQ(NULL, RtFindChar(path, '/'));
    EXPECT_EQ(path + 10, RtFindChar(path, '\0'));
    EXPECT_EQ(10u, RtLength(path));
    EXPECT_EQ(0, RtCompare("rename", "rename"));
    EXPECT_LT(RtCompare("Rename", "rename"), 0);
    EXPECT_GT(RtCompare("rename ", "rename"), 0);
    EXPECT_GT(RtCompare("\xE4", "a"), 0);  // bytes compare unsigned
    char* copy = RtDuplicate(path);
    ASSERT_TRUE(copy != NULL);
    EXPECT_STREQ(path, copy);
    RtFree(copy);
}

struct Counted {
    int value;
    Counted() : value(7) {}
};

TEST(RuntimeHeap, RecordsAreConstructed)
{
    Counted* record = RtNew<Counted>();
    ASSERT_TRUE(record != NULL);
    EXPECT_EQ(7, record->value);
    RtDelete(record);
    RtDelete<Counted>(NULL);
}

class RuntimeStream : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override
    {
        // One folder per test: ctest runs them side by side.
        dir = (std::filesystem::temp_directory_path() /
               ("removr_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
                  .string();
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Path(const char* name) { return (std::filesystem::path(dir) / name).string(); }
};

TEST_F(RuntimeStream, WritesAndReadsBackAcrossBufferBoundaries)
{
    // More than two of the stream's buffers, written in uneven pieces.
    std::string bytes;
    for (int i = 0; i < 10000; i++) bytes += static_cast<char>((i * 7 + i / 256) & 0xFF);
    RtStream* out = RtOpenWrite(Path("a.bin").c_str());
    ASSERT_TRUE(out != NULL);
    for (size_t at = 0; at < bytes.size(); at += 333) {
        size_t part = bytes.size() - at < 333 ? bytes.size() - at : 333;
        EXPECT_EQ(1, RtWrite(out, bytes.data() + at, part));
    }
    EXPECT_EQ(1, RtClose(out));

    int missing = 5;
    RtStream* in = RtOpenRead(Path("a.bin").c_str(), &missing);
    ASSERT_TRUE(in != NULL);
    EXPECT_EQ(0, missing);
    std::string back;
    for (;;) {
        int peeked = RtPeekByte(in);
        int c = RtReadByte(in);
        ASSERT_EQ(peeked, c);
        if (c < 0) break;
        back += static_cast<char>(c);
    }
    EXPECT_EQ(bytes.size(), back.size());
    EXPECT_TRUE(bytes == back);
    EXPECT_EQ(RT_END, RtReadByte(in));
    EXPECT_EQ(RT_END, RtPeekByte(in));
    EXPECT_EQ(0, RtWrite(in, "x", 1));  // a read stream takes no writes
    EXPECT_EQ(0, RtClose(in));          // and says so when closed
}

TEST_F(RuntimeStream, MissingFilesAndDeletion)
{
    int missing = 0;
    EXPECT_TRUE(RtOpenRead(Path("none.ini").c_str(), &missing) == NULL);
    EXPECT_EQ(1, missing);
    missing = 0;
    EXPECT_TRUE(RtOpenRead(Path("nodir/none.ini").c_str(), &missing) == NULL);
    EXPECT_EQ(1, missing);
    // A directory exists but is no file to read or write.
    EXPECT_TRUE(RtOpenWrite(dir.c_str()) == NULL);
    EXPECT_TRUE(RtOpenWrite(Path("nodir/new.ini").c_str()) == NULL);

    RtStream* out = RtOpenWrite(Path("b.ini").c_str());
    ASSERT_TRUE(out != NULL);
    EXPECT_EQ(1, RtClose(out));  // an empty file is a file
    EXPECT_TRUE(std::filesystem::exists(Path("b.ini")));
    EXPECT_EQ(0u, std::filesystem::file_size(Path("b.ini")));
    EXPECT_EQ(1, RtDeleteFile(Path("b.ini").c_str()));
    EXPECT_EQ(0, RtDeleteFile(Path("b.ini").c_str()));
}

} // namespace
