// The GUI driver of the Wine tests: finds windows with a deadline, reads their
// texts, presses buttons, and records every message box of a process in a
// transcript while answering it from a script.
#ifndef REMOVR_GUI_DRIVER_H
#define REMOVR_GUI_DRIVER_H

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

const DWORD kDriverPollInterval = 20;

// The first visible top-level window of that class and caption (either may be NULL
// for any) of process processId (0 for any), polled until timeoutMs has passed.
HWND FindWindowWithin(const char* className, const char* caption, DWORD processId,
                      DWORD timeoutMs);

// Polls until condition() holds or timeoutMs has passed; the last result.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return condition();
        Sleep(kDriverPollInterval);
    }
}

// The visible top-level windows of process processId, now.
std::vector<HWND> VisibleWindowsOf(DWORD processId);

// The visible top-level dialog (not a message box) of process processId that holds
// the control controlId, also inside a child dialog as a property page's controls
// are; NULL when there is none now.
HWND DialogWithControl(DWORD processId, int controlId);
// The same, polled until timeoutMs has passed.
HWND FindDialogWithControl(DWORD processId, int controlId, DWORD timeoutMs);

std::string WindowText(HWND window);
std::string WindowClass(HWND window);

// A message box: a dialog with its text in the static control 0xFFFF.
bool IsMessageBox(HWND window);
std::string MessageBoxText(HWND box);
// "warning", "error", "question", "information" or "none", from the box's icon;
// "other" for another icon, and for a box of another process "unpainted" when its
// icon has not been on screen within a few seconds.
std::string MessageBoxIcon(HWND box);

// Presses the button with that id (IDOK, IDYES, ...) of a dialog or box.
void PressButton(HWND dialog, int id);

struct BoxRecord {
    std::string caption;
    std::string icon;
    std::string text;
    HWND owner;
    std::string ownerName;  // class:title of the owner, "" for none
    std::string buttons;    // by id, in id order: "ok", "yes no", ...
    DWORD answeredAt;       // tick count when the answer was posted
    int answer;
};

// A box as it is now, all but the answer.
BoxRecord ReadMessageBox(HWND box);
// caption|icon|text|owner|buttons.
std::string FullLine(const BoxRecord& box);

// Records every message box once and answers it with the next answer of the script
// (IDOK when the script has run out). With processId 0 it watches the boxes of the
// calling thread through a hook on that thread, in step with the code under test;
// with another process's id it polls that process from a thread of its own.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(std::vector<int> answers = {}, DWORD processId = 0);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // "caption|icon|text" per box, in order.
    std::vector<std::string> Transcript();
    std::vector<BoxRecord> Records();
    // Waits until at least count boxes were answered.
    bool WaitForBoxes(size_t count, DWORD timeoutMs);
    void Stop();

private:
    void Run();
    void Poll();
    void Answer(HWND box);
    static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook_ = NULL;

    DWORD processId_;
    std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<BoxRecord> records_;
    std::vector<HWND> seen_;
    bool stop_ = false;
    std::thread thread_;
};

#endif
