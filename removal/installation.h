// May this run remove the package? Asked once, before the wizard: the program runs
// where the package is installed, something of it is left to remove, and the user
// has the rights the removal needs.
#ifndef REMOVR_INSTALLATION_H
#define REMOVR_INSTALLATION_H

// 0 when this run may remove the package; else what it shows instead:
// MSG_NOT_INSTALLED for a copy of the uninstaller away from the installed package
// (no mark of an unfinished removal beside it, and no file of the package beside it, the package's uninstall entry names the
// uninstaller of another folder, or nothing of the package is left beyond this
// folder), MSG_ONLY_RESTART_LEFT when an earlier removal went through and only its
// restart is left, MSG_NEEDS_ADMINISTRATOR for a user whom the system denies what
// the removal needs.
int InstallationVerdict();

#endif
