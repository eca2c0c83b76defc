// The translation check behind scripts/check-translation: reads the texts 1 to 11 of
// a resource library (TKRES32.DLL) the way REMOVR.EXE does and judges each with the
// program's own rules (JudgeLibraryText). Exit code 1 when a text present would be
// refused, 2 when the library cannot be read.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "messages.h"

static const char* ArgumentsInWords(const char* args)
{
    if (strcmp(args, "ss") == 0) return "%s %s (two texts)";
    if (strcmp(args, "sd") == 0) return "%s %d (a text, then a number)";
    return "%s (one text)";
}

// The text on one line: quoted, with line breaks and other control bytes escaped.
static void PrintText(const char* text)
{
    putchar('"');
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; p++) {
        if (*p == '\n') fputs("\\n", stdout);
        else if (*p == '"' || *p == '\\') printf("\\%c", *p);
        else if (*p < 0x20) printf("\\x%02x", *p);
        else putchar(*p);
    }
    puts("\"");
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fputs("usage: check_translation TKRES32.DLL\n", stderr);
        return 2;
    }
    // As data only: none of the library's code runs here.
    HMODULE library = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (library == NULL) {
        fprintf(stderr, "check-translation: cannot read %s (error %lu)\n", argv[1],
                GetLastError());
        return 2;
    }
    int refused = 0;
    for (int id = 1; id <= 11; id++) {
        // Read whole (a string holds at most 65535 characters), then judged as a whole.
        static char text[65536 * 2];
        int length = LoadStringA(library, static_cast<UINT>(id), text, sizeof text);
        TextVerdict verdict = JudgeLibraryText(id, text);
        const char* args = LibraryTextArguments(id);
        const char* fallback = LibraryTextBufferSize(id) == DIALOG_TEXT_SIZE
                                   ? "the dialog's own text"
                                   : "the built-in English text";
        printf("%2d  ", id);
        if (length > 0) PrintText(text);
        else puts("none");

        if (verdict == TEXT_NOT_USED) {
            puts("    not used: REMOVR.EXE shows no text under this number");
            continue;
        }
        if (length <= 0) {
            printf("    falls back: REMOVR.EXE shows %s\n", fallback);
            continue;
        }
        if (verdict == TEXT_SHOWN) {
            if (args != NULL)
                printf("    shown: a format, filled in as %s\n", ArgumentsInWords(args));
            else if (strchr(text, '%') != NULL)
                puts("    shown as it stands: no format, every % shows as it is");
            else
                puts("    shown");
            continue;
        }
        refused++;
        printf("    REFUSED, REMOVR.EXE shows %s instead: ", fallback);
        if (verdict == TEXT_BAD_CONVERSION)
            printf("a conversion it does not pass; it passes %s\n", ArgumentsInWords(args));
        else if (verdict == TEXT_TOO_MANY_ARGUMENTS)
            printf("more conversions than it passes: %s\n", ArgumentsInWords(args));
        else
            printf("%s does not fit its buffer of %d characters (the text has %d)\n",
                   args != NULL ? "the text with its arguments filled in" : "the text",
                   LibraryTextBufferSize(id), length);
    }
    FreeLibrary(library);
    printf("check-translation: %d %s refused\n", refused, refused == 1 ? "text" : "texts");
    return refused > 0 ? 1 : 0;
}
