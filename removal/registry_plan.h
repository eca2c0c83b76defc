// The package's registry entries: the plan of keys and values it deletes and the
// walks that delete them.
#ifndef REMOVR_REGISTRY_PLAN_H
#define REMOVR_REGISTRY_PLAN_H

#include <windows.h>

// The registry step: deletes the plan's keys with their subtrees and its values, in
// the plan's order, all but the uninstall entry. The Mouse control panel's page
// handlers are every maker's: only the package's own handler goes. The number of
// the plan's items that stay.
int RunRegistryPlan();

// The run's last step: deletes the uninstall entry, which Add/Remove Programs lists;
// 1 when it is gone.
int DeleteUninstallEntry();

// 1 while an item of the plan is there: a key, the package's own Mouse page handler,
// a Run value, the Help value, the uninstall entry. An item that cannot be asked for
// counts as there.
int PackageRegistered();

// Writes what the registry step changed through to the disk, before anything that
// relies on it: Windows writes the registry back later, in no set order.
void FlushRegistry();

// The package's uninstall entry, which Add/Remove Programs lists and runs.
extern const char g_szPackageUninstallKey[];

#endif
