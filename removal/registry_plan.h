// The package's registry entries: the plan of keys and values it deletes, the walks
// that delete them, and the check that this user may.
#ifndef REMOVR_REGISTRY_PLAN_H
#define REMOVR_REGISTRY_PLAN_H

#include <windows.h>

// Deletes the plan's keys with their subtrees and its values, in the plan's order,
// every result ignored. The Mouse control panel's page handlers are every maker's:
// only the package's own handler goes.
void RunRegistryPlan();

// 0 when the system denies this user what the removal needs (a user of the NT
// family without an administrator's rights, or a Power User): deleting the package's
// uninstall key (or, where it is gone, writing the Uninstall key) and registering
// deletions for the restart. A key that is missing is no refusal.
int HasRightsToRemove();

#endif
