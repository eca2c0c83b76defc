// Formats from the resource library: only the conversions the program passes.
#include <gtest/gtest.h>

#include "message_format.h"

namespace {

TEST(IsFormatSafe, AcceptsFormatsThatAskForAtMostWhatIsPassed)
{
    struct Case {
        const char* format;
        const char* args;
    } cases[] = {
        {"Remove %s from your computer, then %s.", "ss"}, {"only one %s", "ss"}, {"no conversion, 100%% sure", "ss"},
        {"", "s"}, {"%s was removed.", "s"}, {"%-20s|%.5s", "ss"}, {"FEHLER: %s (%d)", "sd"}, {"%s %i", "sd"},
        {"%s %u%%", "sd"}, {"%s only", "sd"}, {"%%s is not a conversion %%", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(IsFormatSafe(c.format, c.args), 1) << c.format;
}

TEST(IsFormatSafe, RefusesMoreOrOtherConversions)
{
    struct Case {
        const char* format;
        const char* args;
        FormatFault fault;  // why it is refused, for the translation check
    };
    const FormatFault kMany = FORMAT_TOO_MANY_ARGUMENTS, kBad = FORMAT_BAD_CONVERSION;
    const Case cases[] = {
        {"%s%s%s", "ss", kMany},      // one more than passed
        {"%s %s", "s", kMany},
        {"%n", "ss", kBad},           // writes to memory
        {"%x %s", "sd", kBad},        // another conversion
        {"%d %s", "sd", kBad},        // wrong order: the text would be read as a number
        {"%s %s", "sd", kBad},        // the number would be read as a text
        {"%s %d %d", "sd", kMany},
        {"%*d", "sd", kBad},          // the width takes an argument
        {"%.*s", "s", kBad},
        {"%ls", "s", kBad},           // length modifiers
        {"%s %ld", "sd", kBad},
        {"%p", "s", kBad},
        {"%c", "s", kBad},
        {"trailing %", "s", kBad},    // a lone '%' at the end
        {"trailing %-", "s", kBad},
        {"%s", "", kMany},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsFormatSafe(c.format, c.args), 0) << c.format;
        EXPECT_EQ(FindFormatFault(c.format, c.args), c.fault) << c.format;
    }
}

}  // namespace
