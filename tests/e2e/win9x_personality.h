/* Numbers shared by the test library (win9x_personality.c) and the tests that drive it. */
#ifndef REMOVR_WIN9X_PERSONALITY_H
#define REMOVR_WIN9X_PERSONALITY_H

/* Kinds of counted (and failable) calls. The first five count calls on wininit.ini
 * paths only (wininit.ini and our files beside it); WriteFile counts writes through
 * the handles CreateFileA opened on them. PERSONA_SCHEDULE counts every MoveFileExA
 * with MOVEFILE_DELAY_UNTIL_REBOOT, PERSONA_ATTRIBUTES every SetFileAttributesA, on
 * any path. */
enum {
    PERSONA_CREATEFILE,
    PERSONA_WRITEFILE,
    PERSONA_MOVEFILE,
    PERSONA_DELETEFILE,
    PERSONA_MOVEFILEEX,
    PERSONA_SCHEDULE,
    PERSONA_ATTRIBUTES,
    PERSONA_KINDS
};

/* The library's one table of values, shared by every process that loads it: the
 * settings a test writes, then what the library counts and records. */
enum {
    PV_PATCH_ON_LOAD,          /* the next process that loads the library is rewritten */
    PV_WIN9X_CALLS,            /* 1 (the default): the NT-only calls fail as on 95/98 */
    PV_FAIL_GETMESSAGE,        /* the program's next GetMessageA gives -1 */
    PV_FAIL_SHEET,             /* every PropertySheetA gives -1 at once */
    PV_LIMITED_USER,           /* a user of the NT family without an administrator's rights */
    PV_EXIT_ANSWER,            /* what the recorded ExitWindowsEx answers (default TRUE) */
    PV_CANCEL_PROGRESS_EARLY,  /* a Cancel posted to the progress dialog as it is shown */
    PV_POWER_USER,             /* an NT user who may delete but not register for the restart */
    PV_FAIL_DIALOG,            /* the template id whose DialogBoxParamA gives -1 */
    PV_FAIL_MASK,              /* + kind: its calls numbered (from 1) by the bits fail */
    PV_CALLS = PV_FAIL_MASK + PERSONA_KINDS, /* + kind: its calls so far */
    PV_PATCHED_SLOTS = PV_CALLS + PERSONA_KINDS,
    PV_PLATFORM,               /* GetVersion() in the rewritten process */
    PV_WIDE_IMPORTS,           /* ...W functions it imports (-1 before) */
    PV_INJECTED,               /* failures injected on the wininit.ini files */
    PV_NOT_IMPLEMENTED,        /* calls answered ERROR_CALL_NOT_IMPLEMENTED */
    PV_NT_LOOKUPS,             /* NT-only functions looked up by name */
    PV_UNKNOWN_LOOKUPS,        /* ...W lookups refused for want of a stub */
    PV_KEY_REFUSALS,           /* opens and deletions of the refused key */
    PV_ACCESS_DENIALS,         /* calls the limited user was denied */
    PV_SHEETS_REFUSED,         /* PropertySheetA calls answered -1 */
    PV_EXIT_REQUESTS,          /* ExitWindowsEx calls */
    PV_LAST_EXIT_FLAGS,
    PV_SHUTDOWN_PRIVILEGE,     /* at the last ExitWindowsEx: a PRIVILEGE_ value */
    PV_MAIN_PAINTS,            /* the backdrop's paints */
    PV_PROGRESS_PAINTS,        /* the progress dialog's paints */
    PV_PROGRESS_STARTS,        /* its start messages taken from the queue */
    PV_PROGRESS_CANCELS,       /* IDCANCEL commands it took */
    PV_PROGRESS_MARKERS,       /* WM_NULL with PROGRESS_MARKER it took */
    PV_PROGRESS_CANCELS_POSTED,
    PV_REMOVAL_RUNS,           /* ranges set on its bar: removal runs begun */
    PV_CHANGES,                /* calls that change the machine so far (ChangeLog names them) */
    PV_CUT_AT,                 /* N>0: the process ends before the Nth, as at a power cut */
    PV_FAIL_AT,                /* N>0: the Nth is not made and answers its failure */
    PV_POWER_CUT_AT,           /* as PV_CUT_AT, unflushed data lost too; beyond the last change: at the end */
    PV_VALUES
};

/* The shutdown privilege in the process token at ExitWindowsEx. */
enum { PRIVILEGE_NOT_ASKED = -1, PRIVILEGE_DISABLED, PRIVILEGE_ENABLED, PRIVILEGE_NO_TOKEN };

#define PROGRESS_MARKER 0x5EED

/* The exit code of a process ended at PV_CUT_AT. */
#define CUT_EXIT_CODE 0xC07

#endif
