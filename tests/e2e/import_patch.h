/* Import-slot patching for the test libraries that the end-to-end tests load into a
 * program under test (the restart recorder, the Windows 95/98 personality). */
#ifndef REMOVR_IMPORT_PATCH_H
#define REMOVR_IMPORT_PATCH_H

#include <windows.h>

/* Points every import slot of module that holds real at replacement; the number of
 * slots changed. */
int PatchImportSlots(HMODULE module, FARPROC real, FARPROC replacement);

/* Points every slot of module that imports dll's function name at replacement and
 * gives the function's own address in *real (NULL when dll does not export it). */
int PatchImport(HMODULE module, const char* dll, const char* name, FARPROC replacement,
                FARPROC* real);

/* Calls visit(name, context) for every function that module imports by name. */
typedef void (*ImportVisitor)(const char* dll, const char* name, void* context);
void ForEachNamedImport(HMODULE module, ImportVisitor visit, void* context);

#endif
