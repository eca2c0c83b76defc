// The GUI driver: polling every 20 ms with deadlines, never blind waits.
#include "gui_driver.h"

#include <algorithm>
#include <utility>

namespace {

struct FindRequest {
    const char* className;
    const char* caption;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    FindRequest* request = reinterpret_cast<FindRequest*>(lParam);
    if (!IsWindowVisible(window)) return TRUE;
    if (request->processId != 0) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != request->processId) return TRUE;
    }
    if (request->className != NULL && WindowClass(window) != request->className) return TRUE;
    if (request->caption != NULL && WindowText(window) != request->caption) return TRUE;
    request->found = window;
    return FALSE;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
    return TRUE;
}

}  // namespace

HWND FindWindowWithin(const char* className, const char* caption, DWORD processId,
                      DWORD timeoutMs)
{
    FindRequest request = {className, caption, processId, NULL};
    WaitUntil(
        [&] {
            request.found = NULL;
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&request));
            return request.found != NULL;
        },
        timeoutMs);
    return request.found;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId)
{
    std::vector<HWND> windows, visible;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) visible.push_back(window);
    }
    return visible;
}

HWND DialogWithControl(DWORD processId, int controlId)
{
    for (HWND window : VisibleWindowsOf(processId)) {
        if (WindowClass(window) != "#32770" || IsMessageBox(window)) continue;
        HWND control = GetDlgItem(window, controlId);
        for (HWND child = GetWindow(window, GW_CHILD); control == NULL && child != NULL;
             child = GetWindow(child, GW_HWNDNEXT))
            control = GetDlgItem(child, controlId);
        if (control != NULL) return window;
    }
    return NULL;
}

HWND FindDialogWithControl(DWORD processId, int controlId, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitUntil([&] { return (found = DialogWithControl(processId, controlId)) != NULL; },
              timeoutMs);
    return found;
}

std::string WindowText(HWND window)
{
    // WM_GETTEXT with a timeout: the owner thread may be busy.
    char text[2048];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &length))
        return "";
    return std::string(text, std::min<DWORD_PTR>(length, sizeof text - 1));
}

std::string WindowClass(HWND window)
{
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

bool IsMessageBox(HWND window)
{
    HWND text = GetDlgItem(window, 0xFFFF);
    return WindowClass(window) == "#32770" && text != NULL && WindowClass(text) == "Static";
}

std::string MessageBoxText(HWND box)
{
    return WindowText(GetDlgItem(box, 0xFFFF));
}

namespace {

const std::pair<LPCSTR, const char*> kIcons[] = {
    {IDI_WARNING, "warning"}, {IDI_ERROR, "error"}, {IDI_QUESTION, "question"},
    {IDI_INFORMATION, "information"}};

// An icon handle belongs to the process that loaded it, so the icon of another
// process's box is read from the screen: the icon control's pixels, held against
// each standard icon drawn here over the colour of the control's top-left pixel
// (transparent in every standard icon). Empty while none matches.
std::string IconOnScreen(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return "";
    HDC screen = GetDC(NULL);
    HDC shot = CreateCompatibleDC(screen), drawn = CreateCompatibleDC(screen);
    HBITMAP shotBitmap = CreateCompatibleBitmap(screen, width, height);
    HBITMAP drawnBitmap = CreateCompatibleBitmap(screen, width, height);
    SelectObject(shot, shotBitmap);
    SelectObject(drawn, drawnBitmap);
    BitBlt(shot, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ReleaseDC(NULL, screen);
    std::string found;
    for (const auto& known : kIcons) {
        HBRUSH background = CreateSolidBrush(GetPixel(shot, 0, 0));
        RECT all = {0, 0, width, height};
        FillRect(drawn, &all, background);
        DeleteObject(background);
        DrawIconEx(drawn, 0, 0, LoadIconA(NULL, known.first), width, height, 0, NULL, DI_NORMAL);
        bool same = true;
        for (int i = 0; same && i < width * height; i++)
            same = GetPixel(drawn, i % width, i / width) == GetPixel(shot, i % width, i / width);
        if (same) {
            found = known.second;
            break;
        }
    }
    DeleteDC(shot);
    DeleteDC(drawn);
    DeleteObject(shotBitmap);
    DeleteObject(drawnBitmap);
    return found;
}

}  // namespace

std::string MessageBoxIcon(HWND box)
{
    // The icon static: id 0x14 on Windows; found by its SS_ICON style elsewhere.
    HWND iconControl = GetDlgItem(box, 0x14);
    if (iconControl == NULL) {
        for (HWND child = GetWindow(box, GW_CHILD); child != NULL;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                iconControl = child;
                break;
            }
        }
    }
    if (iconControl == NULL) return "none";
    HICON icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    if (icon == NULL) return "none";
    DWORD processId = 0;
    GetWindowThreadProcessId(box, &processId);
    if (processId != GetCurrentProcessId()) {
        std::string name;
        WaitUntil([&] { return !(name = IconOnScreen(iconControl)).empty(); }, 5000);
        return name.empty() ? "unpainted" : name;
    }
    for (const auto& known : kIcons)
        if (LoadIconA(NULL, known.first) == icon) return known.second;
    return "other";
}

BoxRecord ReadMessageBox(HWND box)
{
    static const char* const kButtons[] = {"ok", "cancel", "abort", "retry", "ignore", "yes", "no"};
    BoxRecord record = {};
    record.caption = WindowText(box);
    record.icon = MessageBoxIcon(box);
    record.text = MessageBoxText(box);
    record.owner = GetWindow(box, GW_OWNER);
    if (record.owner != NULL)
        record.ownerName = WindowClass(record.owner) + ":" + WindowText(record.owner);
    for (int id = IDOK; id <= IDNO; id++) {
        HWND button = GetDlgItem(box, id);
        if (button == NULL || !IsWindowVisible(button)) continue;
        record.buttons += (record.buttons.empty() ? "" : " ") + std::string(kButtons[id - IDOK]);
    }
    return record;
}

std::string FullLine(const BoxRecord& box)
{
    return box.caption + "|" + box.icon + "|" + box.text + "|" + box.ownerName + "|" + box.buttons;
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The watcher hooked on this thread. A polling thread beside the code under test
// crashed Wine under qemu-i386 now and then while that code loaded and freed
// libraries; the hook needs no second thread.
static thread_local MessageBoxWatcher* t_hookedWatcher;

MessageBoxWatcher::MessageBoxWatcher(std::vector<int> answers, DWORD processId)
    : processId_(processId ? processId : GetCurrentProcessId()),
      answers_(answers.begin(), answers.end())
{
    if (processId == 0) {
        t_hookedWatcher = this;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, NULL, GetCurrentThreadId());
    } else {
        thread_ = std::thread(&MessageBoxWatcher::Run, this);
    }
}

LRESULT CALLBACK MessageBoxWatcher::AfterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    MessageBoxWatcher* watcher = t_hookedWatcher;
    // A box is complete, text and icon, once its WM_INITDIALOG has been handled.
    if (code == HC_ACTION && watcher != NULL && message->message == WM_INITDIALOG &&
        IsMessageBox(message->hwnd))
        watcher->Answer(message->hwnd);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    Stop();
}

void MessageBoxWatcher::Stop()
{
    if (hook_ != NULL) {
        UnhookWindowsHookEx(hook_);
        hook_ = NULL;
        t_hookedWatcher = NULL;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    if (thread_.joinable()) thread_.join();
}

void MessageBoxWatcher::Run()
{
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) return;
        }
        Poll();
        Sleep(kDriverPollInterval);
    }
}

void MessageBoxWatcher::Poll()
{
    // Forget boxes that are gone, so that a reused handle counts as a new box.
    seen_.erase(std::remove_if(seen_.begin(), seen_.end(),
                               [](HWND w) { return !IsWindow(w); }),
                seen_.end());
    for (HWND window : VisibleWindowsOf(processId_)) {
        if (!IsMessageBox(window)) continue;
        if (std::find(seen_.begin(), seen_.end(), window) != seen_.end()) continue;
        seen_.push_back(window);
        Answer(window);
    }
}

void MessageBoxWatcher::Answer(HWND window)
{
    BoxRecord record = ReadMessageBox(window);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        record.answer = IDOK;
        if (!answers_.empty()) {
            record.answer = answers_.front();
            answers_.pop_front();
        }
    }
    record.answeredAt = GetTickCount();
    PressButton(window, record.answer);
    std::lock_guard<std::mutex> lock(mutex_);
    records_.push_back(record);
}

std::vector<std::string> MessageBoxWatcher::Transcript()
{
    std::vector<std::string> lines;
    for (const BoxRecord& r : Records()) lines.push_back(r.caption + "|" + r.icon + "|" + r.text);
    return lines;
}

std::vector<BoxRecord> MessageBoxWatcher::Records()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return records_;
}

bool MessageBoxWatcher::WaitForBoxes(size_t count, DWORD timeoutMs)
{
    return WaitUntil([&] { return Records().size() >= count; }, timeoutMs);
}
