// Numbered texts shown to the user: from the package's resource library when it
// holds them, else built in (or, for dialog bodies, the template's own text).
#ifndef REMOVR_MESSAGES_H
#define REMOVR_MESSAGES_H

#include <windows.h>

enum MessageId {
    MSG_WIZARD_BODY = 1,         // format, two %s: the product name
    MSG_EXITING = 2,             // closing before the sequence finished
    MSG_CANT_LOAD_SETUP = 3,     // format: %s "REMOVR.EXE", then an integer 1
    MSG_ABORTING = 5,            // progress dialog ended without finishing
    MSG_SETUP_INCOMPLETE = 6,    // setup library lacks its entry point
    MSG_EXIT_WINDOWS = 7,        // restart refused
    MSG_CANCEL_QUESTION = 8,     // Cancel in the progress dialog
    MSG_RESTART_BODY = 9,        // format, one %s: the product name
    MSG_UPDATING_REGISTRY = 11,  // status line before the registry step
    MSG_LEFT_BEHIND = 12,        // something of the package stays after the run
    MSG_NEEDS_ADMINISTRATOR = 13, // no rights to remove the package
    MSG_NOT_INSTALLED = 14,       // a format: %s the install directory
    MSG_ONLY_RESTART_LEFT = 15    // restart body when an earlier removal went through
};

#define MESSAGE_BUFFER_SIZE 512
#define DIALOG_TEXT_SIZE 500
// A library text is read with room to spare beyond its buffer (see ReadLibraryText).
#define LIBRARY_TEXT_SPARE 8
#define LIBRARY_TEXT_READ_SIZE (MESSAGE_BUFFER_SIZE + LIBRARY_TEXT_SPARE)

extern HMODULE g_hResLib;
extern const char g_szProductName[];     // "Varsen Software"
extern const char g_szProgramCaption[];  // "Varsen Uninstall"
extern const char g_szSetupCaption[];    // "Setup"
extern const char g_szProgramFile[];     // "REMOVR.EXE", the uninstaller's own file

// Loads TKRES32.DLL by full path from the install directory into g_hResLib; silent.
void LoadResourceLibrary();
void FreeResourceLibrary();

// The text of id in the shared 512-character message buffer.
const char* LoadMessageText(int id);

// Fills the body control of a dialog (ids 1 and 9) from its format.
void LoadDialogText(int id, HWND control);

// Whether the program shows a text of the resource library under id, by the rules
// LoadMessageText and LoadDialogText apply; the translation check
// (check_translation.exe) reports with the same function.
enum TextVerdict {
    TEXT_SHOWN,
    TEXT_NOT_USED,            // no text under this number is ever shown
    TEXT_BAD_CONVERSION,      // a conversion the program does not pass
    TEXT_TOO_MANY_ARGUMENTS,  // more conversions than the program passes
    TEXT_TOO_LONG             // it, or its filled-in result, does not fit its buffer
};
TextVerdict JudgeLibraryText(int id, const char* text);
// Reads the text of id from library as the program does, into out of
// LIBRARY_TEXT_READ_SIZE characters; 1 when there is a non-empty text.
int ReadLibraryText(HMODULE library, int id, char* out);
// The conversions a format of id is filled with ("ss", "sd", "s"); NULL for a plain
// text, shown as it stands. Its buffer size in characters.
const char* LibraryTextArguments(int id);
int LibraryTextBufferSize(int id);

// Every message box goes through here: the text of id, caption and style.
int ShowMessage(HWND owner, int id, const char* caption, UINT style);

// ShowMessage with the caption, icon and buttons of the message table; 0 for an id
// that is no message box.
int ShowTabledMessage(HWND owner, int id);

#endif
