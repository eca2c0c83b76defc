// May this run remove the package? Asked once, before the wizard: the program runs
// where the package is installed, and the user has the rights the removal needs.
#ifndef REMOVR_INSTALLATION_H
#define REMOVR_INSTALLATION_H

// 0 when this run may remove the package; else the message that says why not:
// MSG_NOT_INSTALLED for a copy of the uninstaller away from the installed package
// (no file of the package beside it, or the package's uninstall entry names the
// uninstaller of another folder), MSG_NEEDS_ADMINISTRATOR for a user whom the system
// denies what the removal needs.
int InstallationRefusal();

#endif
