// The launch benchmark's baseline program: one modal dialog from an in-memory
// template, holding one static control with the id the benchmark looks for, and
// nothing else (no common controls, no other window, no files, no registry).
#include <windows.h>

// The control the launch benchmark finds, the same id as the uninstaller's wizard.
static const WORD kBodyControlId = 1001;

static INT_PTR CALLBACK OneDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// A DLGTEMPLATE with one item, laid out in WORDs as the template format demands:
// the dialog header, empty menu and class, a caption, then one DWORD-aligned item.
struct OneDialogTemplate {
    WORD words[96];
    int count;

    void Add(WORD w) { words[count++] = w; }
    void AddDword(DWORD d)
    {
        Add(LOWORD(d));
        Add(HIWORD(d));
    }
    void AddString(const char* text)
    {
        do
            Add(static_cast<WORD>(static_cast<unsigned char>(*text)));
        while (*text++ != '\0');
    }
    void AlignDword()
    {
        if (count % 2 != 0)
            Add(0);
    }
};

static void BuildTemplate(OneDialogTemplate* t)
{
    t->count = 0;
    t->AddDword(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    t->AddDword(0);  // extended style
    t->Add(1);       // one item
    t->Add(0);       // x, y, cx, cy in dialog units
    t->Add(0);
    t->Add(200);
    t->Add(60);
    t->Add(0);  // no menu
    t->Add(0);  // the dialog class
    t->AddString("One dialog");

    t->AlignDword();
    t->AddDword(WS_CHILD | WS_VISIBLE | SS_LEFT);
    t->AddDword(0);
    t->Add(10);
    t->Add(10);
    t->Add(180);
    t->Add(20);
    t->Add(kBodyControlId);
    t->Add(0xFFFF);  // a predefined class by atom: static
    t->Add(0x0082);
    t->AddString("Nothing but this dialog.");
    t->Add(0);  // no creation data
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nCmdShow;
    OneDialogTemplate t;
    BuildTemplate(&t);
    return static_cast<int>(DialogBoxIndirectParamA(
        hInstance, reinterpret_cast<LPCDLGTEMPLATEA>(t.words), NULL, OneDialogProc, 0));
}
