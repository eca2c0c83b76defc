// Resource and control numbers of REMOVR. The template and control numbers are
// fixed by the package's resource library, which translates these dialogs.
#ifndef REMOVR_RESOURCE_H
#define REMOVR_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif

// Dialog templates
#define IDD_PROGRESS 104
#define IDD_WIZARD_PAGE 10205
#define IDD_RESTART 10206

// Controls
#define IDC_RESTART_BODY 202
#define IDC_WIZARD_BODY 1001
#define IDC_PROGRESS_BAR 1003
#define IDC_STATUS_LINE 1004

#endif
