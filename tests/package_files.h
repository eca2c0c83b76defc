// The package as it must be, written out here, never read from the program: its 31
// files (where each lies and whether it goes at the next start, "NUL", or at once,
// NULL), its registry plan, its shortcuts and its message texts.
#ifndef REMOVR_TEST_PACKAGE_FILES_H
#define REMOVR_TEST_PACKAGE_FILES_H

#include <string>
#include <vector>

#include "removal_table.h"

inline const RemovalEntry kPackageFiles[] = {
    {LOCATION_INSTALL, "tkpanel.DLL", NULL},
    {LOCATION_INSTALL, "tkpanel.HLP", NULL},
    {LOCATION_INSTALL, "tkpanel.CNT", NULL},
    {LOCATION_INSTALL, "PELTO.HLP", NULL},
    {LOCATION_INSTALL, "PELTOW32.EXE", "NUL"}, {LOCATION_INSTALL, "PELTOAPI.DLL", "NUL"},
    {LOCATION_INSTALL, "REMOVR.EXE", "NUL"}, {LOCATION_INSTALL, "TKSET32.DLL", "NUL"},
    {LOCATION_INSTALL, "TKRES32.DLL", "NUL"}, {LOCATION_INSTALL, "TKSET16.DLL", "NUL"},
    {LOCATION_INSTALL, "TKRES16.DLL", "NUL"}, {LOCATION_INSTALL, "PADCORE.DLL", "NUL"},
    {LOCATION_INSTALL, "KICKER.DLL", "NUL"}, {LOCATION_INSTALL, "PADCORE.LIB", "NUL"},
    {LOCATION_INSTALL, "PADCORE.H", "NUL"}, {LOCATION_INSTALL, "INKCTL32.DLL", "NUL"},
    {LOCATION_INSTALL, "INKRES.DLL", "NUL"}, {LOCATION_INSTALL, "TKCPRES.DLL", "NUL"},
    {LOCATION_INSTALL, "INKCAP.EXE", "NUL"}, {LOCATION_INSTALL, "INKDEST.DLL", "NUL"},
    {LOCATION_INSTALL, "TRAINER.EXE", "NUL"}, {LOCATION_INSTALL, "TRNSUP32.DLL", "NUL"},
    {LOCATION_INSTALL, "TRNSUP16.DLL", "NUL"}, {LOCATION_INSTALL, "MOTION.EXE", "NUL"},
    {LOCATION_INSTALL, "RELNOTE.TXT", "NUL"}, {LOCATION_INSTALL, "DRIFTCD.EXE", "NUL"},
    {LOCATION_INSTALL, "INSTNT.DLL", "NUL"}, {LOCATION_INSTALL, "SHAPREC.DLL", "NUL"},
    {LOCATION_INSTALL, "MOTIONS.BIN", "NUL"},
    {LOCATION_SYSTEM, "PELTO.VXD", "NUL"},
    {LOCATION_INF, "PELTO.INF", NULL},
};
inline const int kPackageFileCount = 31;
// What a next start needs to finish a removal, and by which it finds the package:
// scheduled last, after the registry step.
inline bool NeededByNextStart(int i)
{
    return i == 6 || i == 7 || i == 8 || i == 29;  // REMOVR.EXE, TKSET32.DLL, TKRES32.DLL, PELTO.VXD
}
// The files that go at the restart, in the order they are scheduled: what a next
// start needs last, in reverse, the uninstaller last of all.
inline std::vector<int> ScheduleOrder()
{
    std::vector<int> order;
    for (int last : {0, 1})
        for (int k = 0; k < kPackageFileCount; k++) {
            int i = last ? kPackageFileCount - 1 - k : k;
            if (kPackageFiles[i].pendingName && NeededByNextStart(i) == last) order.push_back(i);
        }
    return order;
}

// The message boxes as the GUI driver transcribes them, caption|icon|text, in the
// order of their numbers: built in, and from the translated resource library of
// tests/fixtures (whose text under 12 is never shown).
enum {
    BOX_EXITING, BOX_CANT_LOAD_SETUP, BOX_ABORTING, BOX_SETUP_INCOMPLETE, BOX_EXIT_WINDOWS,
    BOX_CANCEL_QUESTION, BOX_LEFT_BEHIND, BOX_NEEDS_ADMINISTRATOR
};
inline const std::vector<std::string> kBoxes = {
    "Varsen Uninstall|warning|Exiting Varsen Software uninstall.",
    "Setup|error|ERROR: Can't load TKSET32.dll",
    "Varsen Uninstall|warning|ERROR: Deleting files - Aborting uninstall.",
    "Setup|error|ERROR: Uninstall is unable to completely remove Varsen Software from your "
    "system.",
    "Varsen Uninstall|error|ERROR: Exiting Windows",
    "Varsen Uninstall|question|Cancel Varsen Software uninstall?",
    "Varsen Uninstall|warning|Uninstall could not remove all of Varsen Software. Some of its "
    "files, shortcuts or registry entries will stay on your computer.",
    "Varsen Uninstall|error|Uninstall needs the rights of an administrator to remove Varsen "
    "Software. Log on as an administrator and start Uninstall again.",
};
inline const std::vector<std::string> kGermanBoxes = {
    "Varsen Uninstall|warning|Deinstallation von Varsen Software wird beendet.",
    // id 3 from the library is a format: program name and the number 1.
    "Setup|error|FEHLER: REMOVR.EXE kann TKSET32.dll nicht laden (Code 1, 100%)",
    "Varsen Uninstall|warning|FEHLER: Dateien werden geloescht - Deinstallation abgebrochen.",
    "Setup|error|FEHLER: Varsen Software kann nicht vollstaendig entfernt werden.",
    "Varsen Uninstall|error|FEHLER: Windows wird beendet",
    "Varsen Uninstall|question|Deinstallation von Varsen Software abbrechen?",
    kBoxes[BOX_LEFT_BEHIND],
    kBoxes[BOX_NEEDS_ADMINISTRATOR],
};
inline std::string TextOf(const std::string& box) { return box.substr(box.rfind('|') + 1); }

inline const char kOnlyRestartLeftBody[] =
    "Varsen Software has been removed. Only the restart is left: it deletes the last files.\n\n"
    "Do you wish to restart your computer now?";
inline const char kUpdatingRegistry[] = "Uninstall is updating the registry...";
inline const char kGermanUpdatingRegistry[] = "Die Registrierung wird aktualisiert...";
inline const char kGermanWizardBody[] =
    "Dieses Programm entfernt Varsen Software von Ihrem Computer. Klicken Sie auf Fertig "
    "stellen, um Varsen Software zu entfernen.";
inline const char kGermanRestartBody[] = "Varsen Software wurde entfernt. Windows jetzt neu starten?";

#ifdef _WIN32
#include <windows.h>
// The registry plan: keys deleted with their subkeys, and values of the Run and Help keys.
struct PackageKey {
    HKEY root;
    const char* path;
};
inline const PackageKey kPackageKeys[] = {
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelto95"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen\\Lumatrak"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Varsen\\Varsen Software"},
    {HKEY_CLASSES_ROOT, "CLSID\\{3b8e6f12-9c4d-11d1-8e5a-0080c7a41f90}"},
    {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Mouse\\shellex"
                         "\\PropertySheetHandlers\\{3b8e6f12-9c4d-11d1-8e5a-0080c7a41f90}"},
};
// Shared by every maker's Mouse pages: it goes only when the package's handler leaves it empty.
inline const char kMouseKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Mouse";
inline const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const char* const kRunValues[] = {"Pelto", "VarsenTrainer", "VarsenMotion"};
inline const char kHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\Help";  // its value PELTO.HLP
// Read, never changed: the earlier setup's entry and the shell folders.
inline const char kEarlierSetupKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PeltoSetup";
inline const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The shortcuts of the program folder "Varsen Software"; the first is in Startup too.
inline const char* const kShortcuts[] = {"Ink Capture.lnk", "Pelto Help.lnk", "Trainer.lnk"};
#endif

#endif
