// Code page 932 for the double-byte cases: the host build's runtime is set to it, and
// under Wine the unit programs run in a Japanese locale, which gives it. False when
// it did not take, so those cases never pass in a single-byte code page.
#include "runtime.h"

inline bool InCodePage932()
{
#ifndef _WIN32
    RtSetCodePage(932);
#endif
    return RtIsLeadByte(0x83) && RtIsLeadByte(0xE0) && !RtIsLeadByte(0x5C) && !RtIsLeadByte(0xA0);
}
