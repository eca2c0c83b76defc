// The removal run: every stage of the removal, in order, inside the progress dialog.
#ifndef REMOVR_REMOVAL_RUN_H
#define REMOVR_REMOVAL_RUN_H

#include <windows.h>

// Ends dialog with 1 when done.
void RunRemoval(HWND dialog, HWND progressBar, HWND statusText);

#endif
