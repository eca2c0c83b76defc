// Tick arithmetic: differences of unsigned 32-bit counts, never comparisons of
// absolute counts, so a wrap can neither stretch a wait nor cut it short.
#include "elapsed_ticks.h"

uint32_t ElapsedTicks(uint32_t start, uint32_t now)
{
    return static_cast<uint32_t>(now - start);
}

int HasElapsed(uint32_t start, uint32_t now, uint32_t duration)
{
    return ElapsedTicks(start, now) >= duration;
}
