// Numbered message texts: the resource library's translation when it has one,
// else the built-in English text. Formats from the library are checked before use,
// so a bad translation can neither crash the program nor print its memory.
#include "messages.h"

#include "message_format.h"
#include "path_rules.h"
#include "removal_table.h"
#include "runtime.h"

HMODULE g_hResLib = NULL;
const char g_szProductName[] = "Varsen Software";
const char g_szProgramCaption[] = "Varsen Uninstall";
const char g_szSetupCaption[] = "Setup";
const char g_szProgramFile[] = "REMOVR.EXE";

static const char kResourceLibraryName[] = "TKRES32.DLL";

struct MessageEntry {
    int id;
    const char* builtIn;  // NULL: the dialog template's own text is the fallback
    const char* caption;  // NULL: not a message box
    UINT style;           // icon and buttons
};

// Ids 4 and 10 are shown nowhere.
static const MessageEntry kMessages[] = {
    {MSG_WIZARD_BODY, NULL, NULL, 0},
    {MSG_EXITING, "Exiting Varsen Software uninstall.", g_szProgramCaption, MB_ICONWARNING},
    {MSG_CANT_LOAD_SETUP, "ERROR: Can't load TKSET32.dll", g_szSetupCaption, MB_ICONERROR},
    {MSG_ABORTING, "ERROR: Deleting files - Aborting uninstall.", g_szProgramCaption,
     MB_ICONWARNING},
    {MSG_SETUP_INCOMPLETE,
     "ERROR: Uninstall is unable to completely remove Varsen Software from your system.",
     g_szSetupCaption, MB_ICONERROR},
    {MSG_EXIT_WINDOWS, "ERROR: Exiting Windows", g_szProgramCaption, MB_ICONERROR},
    {MSG_CANCEL_QUESTION, "Cancel Varsen Software uninstall?", g_szProgramCaption,
     MB_ICONQUESTION | MB_YESNO},
    {MSG_RESTART_BODY, NULL, NULL, 0},
    {MSG_UPDATING_REGISTRY, "Uninstall is updating the registry...", NULL, 0},
    {MSG_LEFT_BEHIND,
     "Uninstall could not remove all of Varsen Software. "
     "Some of its files, shortcuts or registry entries will stay on your computer.",
     g_szProgramCaption, MB_ICONWARNING},
    {MSG_NEEDS_ADMINISTRATOR,
     "Uninstall needs the rights of an administrator to remove Varsen Software. "
     "Log on as an administrator and start Uninstall again.",
     g_szProgramCaption, MB_ICONERROR},
    {MSG_NOT_INSTALLED,
     "Varsen Software is not installed in %s. "
     "Use Add/Remove Programs in the Control Panel to remove it.",
     g_szProgramCaption, MB_ICONERROR},
    {MSG_ONLY_RESTART_LEFT,
     "Varsen Software has been removed. Only the restart is left: it deletes the last "
     "files.\n\nDo you wish to restart your computer now?",
     NULL, 0},
};

// Every message-box text and the registry status text are built here just before use.
static char g_szMessage[MESSAGE_BUFFER_SIZE];
// A text of the library, read and checked before it goes into g_szMessage.
static char g_szFormat[LIBRARY_TEXT_READ_SIZE];

static const MessageEntry* FindMessage(int id)
{
    for (size_t i = 0; i < sizeof kMessages / sizeof kMessages[0]; i++)
        if (kMessages[i].id == id) return &kMessages[i];
    return NULL;
}

// The resource library's numbers; messages 12 to 15 are the program's own.
static const int kLastLibraryMessage = 11;

int ReadLibraryText(HMODULE library, int id, char* out)
{
    out[0] = '\0';
    if (library == NULL || id < 1 || id > kLastLibraryMessage) return 0;
    // Room to spare beyond the text's buffer: in a double-byte code page the
    // conversion stops before a character that no longer fits, so a text it cut can
    // end two bytes short of where it read to; it still reaches the limit.
    return LoadStringA(library, static_cast<UINT>(id), out,
                       LibraryTextBufferSize(id) + LIBRARY_TEXT_SPARE) > 0;
}

int LibraryTextBufferSize(int id)
{
    return id == MSG_WIZARD_BODY || id == MSG_RESTART_BODY ? DIALOG_TEXT_SIZE
                                                           : MESSAGE_BUFFER_SIZE;
}

static void CopyText(char* out, size_t outSize, const char* text)
{
    RtFormat(out, outSize, "%s", text != NULL ? text : "");
}

const char* LibraryTextArguments(int id)
{
    if (id == MSG_WIZARD_BODY) return "ss";
    if (id == MSG_CANT_LOAD_SETUP) return "sd";
    if (id == MSG_RESTART_BODY) return "s";
    return NULL;
}

// Fills the format of id with the arguments the program passes; 1 when all of it fits.
static int FillFormat(int id, const char* format, char* out, size_t size)
{
    int length = id == MSG_CANT_LOAD_SETUP
                     ? RtFormat(out, size, format, g_szProgramFile, 1)
                     : RtFormat(out, size, format, g_szProductName, g_szProductName);
    return length >= 0 && static_cast<size_t>(length) < size;
}

TextVerdict JudgeLibraryText(int id, const char* text)
{
    const MessageEntry* entry = FindMessage(id);
    if (entry == NULL || id > kLastLibraryMessage) return TEXT_NOT_USED;
    size_t size = static_cast<size_t>(LibraryTextBufferSize(id));
    // A text with its terminator beyond its buffer does not fit, or was cut by the
    // read (which reads past the buffer): refused, never shown cut.
    if (RtLength(text) >= size) return TEXT_TOO_LONG;
    const char* args = LibraryTextArguments(id);
    if (args == NULL) return TEXT_SHOWN;
    FormatFault fault = FindFormatFault(text, args);
    if (fault == FORMAT_BAD_CONVERSION) return TEXT_BAD_CONVERSION;
    if (fault == FORMAT_TOO_MANY_ARGUMENTS) return TEXT_TOO_MANY_ARGUMENTS;
    char filled[MESSAGE_BUFFER_SIZE];
    return FillFormat(id, text, filled, size) ? TEXT_SHOWN : TEXT_TOO_LONG;
}

void LoadResourceLibrary()
{
    char path[REMOVR_PATH_SIZE];
    g_hResLib = NULL;
    // A full path, so that no library of the same name elsewhere is ever loaded.
    if (!IsFullDirectory(g_szInstallDir) ||
        !FormatPath(path, sizeof path, "%s%s", g_szInstallDir, kResourceLibraryName))
        return;
    HMODULE library = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (reinterpret_cast<UINT_PTR>(library) <= 32) return;
    g_hResLib = library;
}

void FreeResourceLibrary()
{
    if (g_hResLib != NULL) FreeLibrary(g_hResLib);
    g_hResLib = NULL;
}

const char* LoadMessageText(int id)
{
    const MessageEntry* entry = FindMessage(id);
    if (ReadLibraryText(g_hResLib, id, g_szFormat) &&
        JudgeLibraryText(id, g_szFormat) == TEXT_SHOWN) {
        // Only a text from the library is a format; a built-in one is shown as it is.
        if (LibraryTextArguments(id) != NULL)
            FillFormat(id, g_szFormat, g_szMessage, sizeof g_szMessage);
        else
            CopyText(g_szMessage, sizeof g_szMessage, g_szFormat);
        return g_szMessage;
    }
    // The one built-in format names the folder the program runs from.
    if (id == MSG_NOT_INSTALLED)
        RtFormat(g_szMessage, sizeof g_szMessage, entry->builtIn, g_szInstallDir);
    else
        CopyText(g_szMessage, sizeof g_szMessage, entry != NULL ? entry->builtIn : NULL);
    return g_szMessage;
}

void LoadDialogText(int id, HWND control)
{
    const char* args = LibraryTextArguments(id);
    if (LibraryTextBufferSize(id) != DIALOG_TEXT_SIZE) return;

    char format[LIBRARY_TEXT_READ_SIZE];
    char result[DIALOG_TEXT_SIZE];
    if (!ReadLibraryText(g_hResLib, id, format) ||
        JudgeLibraryText(id, format) != TEXT_SHOWN) {
        GetWindowTextA(control, format, DIALOG_TEXT_SIZE);
        // The template is ours, but a text that is no fitting format is left as it is.
        if (!IsFormatSafe(format, args)) return;
    }
    FillFormat(id, format, result, DIALOG_TEXT_SIZE);
    SetWindowTextA(control, result);
}

int ShowMessage(HWND owner, int id, const char* caption, UINT style)
{
    return MessageBoxA(owner, LoadMessageText(id), caption, style);
}

int ShowTabledMessage(HWND owner, int id)
{
    const MessageEntry* entry = FindMessage(id);
    if (entry == NULL || entry->caption == NULL) return 0;
    return ShowMessage(owner, id, entry->caption, entry->style);
}
