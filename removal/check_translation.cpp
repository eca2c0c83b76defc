// The translation check behind scripts/check-translation: reads the texts 1 to 11 of
// a resource library (TKRES32.DLL) the way REMOVR.EXE does (ReadLibraryText, its own
// buffer sizes, in the code page of the process) and judges each with the program's
// own rules (JudgeLibraryText).
//   check_translation --languages [--codepage N] LIBRARY
//     one line per language of the library's texts: its id, the ANSI code page its
//     machines run in (N when given) and a locale of that code page (ja_JP)
//   check_translation --language ID --codepage N LIBRARY
//     judges that language's texts; the process must run in code page N
// Exit code 1 when a text present would be refused, 2 when the check cannot run.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "messages.h"

static const char* ArgumentsInWords(const char* args)
{
    if (strcmp(args, "ss") == 0) return "%s %s (two texts)";
    if (strcmp(args, "sd") == 0) return "%s %d (a text, then a number)";
    return "%s (one text)";
}

// Text of the process's code page to UTF-8, so every language prints readably.
static void PrintUtf8(const char* text, int length)
{
    static WCHAR wide[65536];
    static char utf8[4 * 65536];
    int n = MultiByteToWideChar(CP_ACP, 0, text, length, wide, 65536);
    n = WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, sizeof utf8, NULL, NULL);
    fwrite(utf8, 1, static_cast<size_t>(n), stdout);
}

// The text on one line: quoted, with line breaks and other control bytes escaped.
static void PrintText(const char* text)
{
    putchar('"');
    const char* run = text;
    for (const char* p = text; *p; p++) {
        unsigned char c = static_cast<unsigned char>(*p);
        // A double-byte character's second byte may be '\\': it is part of the character.
        if (IsDBCSLeadByte(c) && p[1] != '\0') {
            p++;
            continue;
        }
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        PrintUtf8(run, static_cast<int>(p - run));
        run = p + 1;
        if (c == '\n') fputs("\\n", stdout);
        else if (c == '"' || c == '\\') printf("\\%c", c);
        else printf("\\x%02x", c);
    }
    PrintUtf8(run, static_cast<int>(strlen(run)));
    puts("\"");
}

static LANGID g_languages[64];
static int g_languageCount = 0;

static BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR)
{
    for (int i = 0; i < g_languageCount; i++)
        if (g_languages[i] == language) return TRUE;
    if (g_languageCount < 64) g_languages[g_languageCount++] = language;
    return TRUE;
}

static UINT LocaleNumber(LCID locale, LCTYPE type)
{
    char text[16];
    return GetLocaleInfoA(locale, type, text, sizeof text) > 0 ? strtoul(text, NULL, 10) : 0;
}

// A locale whose machines run in code page: the language's own when it does.
static LCID g_codePageLocale;
static UINT g_wantedCodePage;
static BOOL CALLBACK TakeLocaleOfCodePage(LPSTR name)
{
    LCID locale = strtoul(name, NULL, 16);
    if (LocaleNumber(locale, LOCALE_IDEFAULTANSICODEPAGE) != g_wantedCodePage) return TRUE;
    g_codePageLocale = locale;
    return FALSE;
}

static int ListLanguages(HMODULE library, UINT codePage)
{
    // Texts 1 to 11 are all in the string table's first block of sixteen.
    EnumResourceLanguagesA(library, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(1), AddLanguage, 0);
    for (int i = 0; i < g_languageCount; i++) {
        LCID locale = MAKELCID(g_languages[i], SORT_DEFAULT);
        // Japanese 932, Chinese 936 or 950, Korean 949, the rest: the platform's table.
        UINT own = LocaleNumber(locale, LOCALE_IDEFAULTANSICODEPAGE);
        UINT page = codePage != 0 ? codePage : own != 0 ? own : 1252;
        g_wantedCodePage = page;
        g_codePageLocale = 0;
        if (own == page) g_codePageLocale = locale;
        else EnumSystemLocalesA(TakeLocaleOfCodePage, LCID_SUPPORTED);
        char language[16] = "";
        char country[16] = "";
        GetLocaleInfoA(g_codePageLocale, LOCALE_SISO639LANGNAME, language, sizeof language);
        GetLocaleInfoA(g_codePageLocale, LOCALE_SISO3166CTRYNAME, country, sizeof country);
        if (language[0] == '\0') {
            fprintf(stderr, "check-translation: no locale runs in code page %u\n", page);
            return 2;
        }
        printf("%04x %u %s_%s\n", g_languages[i], page, language, country);
    }
    return g_languageCount > 0 ? 0 : 2;
}

// The text of id in language as the library holds it, converted whole; 0 when none.
static int WholeText(HMODULE library, LANGID language, int id, char* out, int size)
{
    HRSRC found = FindResourceExA(library, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(id / 16 + 1),
                                  language);
    const WCHAR* p = found != NULL ? static_cast<const WCHAR*>(LockResource(LoadResource(library, found)))
                                   : NULL;
    out[0] = '\0';
    if (p == NULL) return 0;
    for (int skip = id % 16; skip > 0; skip--) p += *p + 1;
    int n = *p > 0 ? WideCharToMultiByte(CP_ACP, 0, p + 1, *p, out, size - 1, NULL, NULL) : 0;
    out[n] = '\0';
    return n;
}

static int JudgeLanguage(HMODULE library, LANGID language, UINT codePage)
{
    if (GetACP() != codePage) {
        fprintf(stderr, "check-translation: runs in code page %u, not %u\n", GetACP(), codePage);
        return 2;
    }
    // The language the library is read in, as the program's lookup chooses it.
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    printf("check-translation: language %04x in code page %u\n", language, codePage);
    int refused = 0;
    for (int id = 1; id <= 11; id++) {
        char text[LIBRARY_TEXT_READ_SIZE];
        static char whole[65536 * 2];
        int present = ReadLibraryText(library, id, text);
        int length = static_cast<int>(strlen(text));
        WholeText(library, language, id, whole, sizeof whole);
        if (strncmp(whole, text, static_cast<size_t>(length)) != 0) {
            fprintf(stderr, "check-translation: text %d was not read in language %04x\n", id,
                    language);
            return 2;
        }
        TextVerdict verdict = JudgeLibraryText(id, text);
        const char* args = LibraryTextArguments(id);
        const char* fallback = LibraryTextBufferSize(id) == DIALOG_TEXT_SIZE
                                   ? "the dialog's own text"
                                   : "the built-in English text";
        printf("%2d  ", id);
        if (present) PrintText(whole);
        else puts("none");

        if (verdict == TEXT_NOT_USED) {
            puts("    not used: REMOVR.EXE shows no text under this number");
            continue;
        }
        if (!present) {
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
            printf("%s does not fit its buffer of %d bytes (the text has %d)\n",
                   args != NULL ? "the text with its arguments filled in" : "the text",
                   LibraryTextBufferSize(id), static_cast<int>(strlen(whole)));
    }
    printf("check-translation: %d %s refused\n", refused, refused == 1 ? "text" : "texts");
    return refused > 0 ? 1 : 0;
}

int main(int argc, char** argv)
{
    int list = 0;
    long language = -1;
    UINT codePage = 0;
    const char* path = NULL;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--languages") == 0) list = 1;
        else if (strcmp(argv[i], "--language") == 0 && i + 1 < argc)
            language = strtol(argv[++i], NULL, 16);
        else if (strcmp(argv[i], "--codepage") == 0 && i + 1 < argc)
            codePage = strtoul(argv[++i], NULL, 10);
        else path = argv[i];
    }
    if (path == NULL || list == (language >= 0) || (language >= 0 && codePage == 0)) {
        fputs("usage: check_translation --languages [--codepage N] TKRES32.DLL\n"
              "       check_translation --language ID --codepage N TKRES32.DLL\n",
              stderr);
        return 2;
    }
    // As data only: none of the library's code runs here.
    HMODULE library = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (library == NULL) {
        fprintf(stderr, "check-translation: cannot read %s (error %lu)\n", path, GetLastError());
        return 2;
    }
    int status = list ? ListLanguages(library, codePage)
                      : JudgeLanguage(library, static_cast<LANGID>(language), codePage);
    FreeLibrary(library);
    return status;
}
