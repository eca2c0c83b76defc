// The package's registry entries: the plan of keys and values it deletes and the
// walks that delete them.
#ifndef REMOVR_REGISTRY_PLAN_H
#define REMOVR_REGISTRY_PLAN_H

#include <windows.h>

// Deletes the plan's keys with their subtrees and its values, in the plan's order,
// every result ignored. The Mouse control panel's page handlers are every maker's:
// only the package's own handler goes.
void RunRegistryPlan();

// 1 while a key of the plan is there, the uninstall entry among them: the package is
// registered. A key that cannot be opened for another reason than its absence counts
// as there.
int PackageRegistered();

// The package's uninstall entry, which Add/Remove Programs lists and runs.
extern const char g_szPackageUninstallKey[];

#endif
