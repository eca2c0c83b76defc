// Time spans on the system's 32-bit millisecond tick counter. Portable.
#ifndef REMOVR_ELAPSED_TICKS_H
#define REMOVR_ELAPSED_TICKS_H

#include <cstdint>

// Milliseconds from start to now, correct across the counter's wrap after 49.7 days.
uint32_t ElapsedTicks(uint32_t start, uint32_t now);

// 1 once at least duration milliseconds have passed since start.
int HasElapsed(uint32_t start, uint32_t now, uint32_t duration);

#endif
