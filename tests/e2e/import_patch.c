/* Import-slot patching for the end-to-end test libraries: the program's import table
 * is walked and its slots rewritten in place. */
#include "import_patch.h"

static IMAGE_IMPORT_DESCRIPTOR* FirstImport(BYTE* base)
{
    IMAGE_DOS_HEADER* dos = (IMAGE_DOS_HEADER*)base;
    IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    IMAGE_DATA_DIRECTORY* directory =
        &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory->VirtualAddress == 0) return NULL;
    return (IMAGE_IMPORT_DESCRIPTOR*)(base + directory->VirtualAddress);
}

int PatchImportSlots(HMODULE module, FARPROC real, FARPROC replacement)
{
    BYTE* base = (BYTE*)module;
    int patched = 0;
    if (base == NULL || real == NULL) return 0;
    IMAGE_IMPORT_DESCRIPTOR* import = FirstImport(base);
    if (import == NULL) return 0;
    for (; import->Name != 0; import++) {
        IMAGE_THUNK_DATA* slot = (IMAGE_THUNK_DATA*)(base + import->FirstThunk);
        for (; slot->u1.Function != 0; slot++) {
            if ((FARPROC)slot->u1.Function != real) continue;
            DWORD old;
            if (!VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old))
                continue;
            slot->u1.Function = (DWORD_PTR)replacement;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
            patched++;
        }
    }
    return patched;
}

int PatchImport(HMODULE module, const char* dll, const char* name, FARPROC replacement,
                FARPROC* real)
{
    HMODULE exporter = GetModuleHandleA(dll);
    FARPROC function = exporter != NULL ? GetProcAddress(exporter, name) : NULL;
    if (real != NULL) *real = function;
    return PatchImportSlots(module, function, replacement);
}

void ForEachNamedImport(HMODULE module, ImportVisitor visit, void* context)
{
    BYTE* base = (BYTE*)module;
    if (base == NULL) return;
    IMAGE_IMPORT_DESCRIPTOR* import = FirstImport(base);
    if (import == NULL) return;
    for (; import->Name != 0; import++) {
        /* The name table; an image without one names nothing. */
        if (import->OriginalFirstThunk == 0) continue;
        IMAGE_THUNK_DATA* entry = (IMAGE_THUNK_DATA*)(base + import->OriginalFirstThunk);
        for (; entry->u1.AddressOfData != 0; entry++) {
            if (IMAGE_SNAP_BY_ORDINAL(entry->u1.Ordinal)) continue;
            IMAGE_IMPORT_BY_NAME* byName = (IMAGE_IMPORT_BY_NAME*)(base + entry->u1.AddressOfData);
            visit((const char*)(base + import->Name), (const char*)byName->Name, context);
        }
    }
}
