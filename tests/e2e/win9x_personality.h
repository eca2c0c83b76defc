/* Numbers shared by the Windows 95/98 personality library and the tests that drive it. */
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

/* The patched functions. */
enum {
    PERSONA_FN_MOVEFILEEX,
    PERSONA_FN_MOVEFILE,
    PERSONA_FN_DELETEFILE,
    PERSONA_FN_CREATEFILE,
    PERSONA_FN_WRITEFILE,
    PERSONA_FN_CLOSEHANDLE,
    PERSONA_FN_GETPROCADDRESS,
    PERSONA_FN_REGOPENKEYEX,
    PERSONA_FN_REGDELETEKEY,
    PERSONA_FN_GETMESSAGE,
    PERSONA_FN_SETATTRIBUTES,
    PERSONA_FUNCTIONS
};

#endif
