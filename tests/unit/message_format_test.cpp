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
        {"Remove %s from your computer, then %s.", "ss"},
        {"only one %s", "ss"},
        {"no conversion, 100%% sure", "ss"},
        {"", "s"},
        {"%s was removed.", "s"},
        {"%-20s|%.5s", "ss"},
        {"FEHLER: %s (%d)", "sd"},
        {"%s %i", "sd"},
        {"%s %u%%", "sd"},
        {"%s only", "sd"},
        {"%%s is not a conversion %%", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(IsFormatSafe(c.format, c.args), 1) << c.format;
}

TEST(IsFormatSafe, RefusesMoreOrOtherConversions)
{
    struct Case {
        const char* format;
        const char* args;
    } cases[] = {
        {"%s%s%s", "ss"},         // one more than passed
        {"%s %s", "s"},
        {"%n", "ss"},             // writes to memory
        {"%x %s", "sd"},          // another conversion
        {"%d %s", "sd"},          // wrong order: the text would be read as a number
        {"%s %s", "sd"},          // the number would be read as a text
        {"%s %d %d", "sd"},
        {"%*d", "sd"},            // the width takes an argument
        {"%.*s", "s"},
        {"%ls", "s"},             // length modifiers
        {"%s %ld", "sd"},
        {"%p", "s"},
        {"%c", "s"},
        {"trailing %", "s"},      // a lone '%' at the end
        {"trailing %-", "s"},
        {"%s", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(IsFormatSafe(c.format, c.args), 0) << c.format;
}

}  // namespace
