// Built like the deliverable (no start-up code) but with a global object that needs a
// constructor: nothing would ever run it.
#include <windows.h>

struct Counter {
    DWORD start;
    Counter() : start(GetTickCount()) {}
};

Counter g_counter;

extern "C" void Entry()
{
    ExitProcess(g_counter.start == 0);
}
