// Format checking for texts of the resource library.
#include "message_format.h"

#include "runtime.h"

static int IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int IsFormatSafe(const char* format, const char* args)
{
    return FindFormatFault(format, args) == FORMAT_OK;
}

FormatFault FindFormatFault(const char* format, const char* args)
{
    size_t used = 0;
    size_t argCount = RtLength(args);
    for (const char* p = format; *p; p++) {
        if (*p != '%') continue;
        p++;
        if (*p == '%') continue;
        while (*p && RtFindChar("-+ #0", *p)) p++;
        while (IsDigit(*p)) p++;
        if (*p == '.') {
            p++;
            while (IsDigit(*p)) p++;
        }
        char kind;
        if (*p == 's') kind = 's';
        else if (*p == 'd' || *p == 'i' || *p == 'u') kind = 'd';
        else return FORMAT_BAD_CONVERSION;  // '*', a length modifier, another one or the end
        if (used >= argCount) return FORMAT_TOO_MANY_ARGUMENTS;
        if (args[used] != kind) return FORMAT_BAD_CONVERSION;
        used++;
    }
    return FORMAT_OK;
}
