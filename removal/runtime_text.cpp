// The runtime's text helpers and bounded formatting, the same code in both builds.
#include "runtime.h"

size_t RtLength(const char* text)
{
    size_t length = 0;
    while (text[length] != '\0') length++;
    return length;
}

const char* RtNextChar(const char* text)
{
    if (*text == '\0') return text;
    if (RtIsLeadByte(static_cast<unsigned char>(*text)) && text[1] != '\0') return text + 2;
    return text + 1;
}

const char* RtFindChar(const char* text, char c)
{
    for (;; text = RtNextChar(text)) {
        if (*text == c) return text;
        if (*text == '\0') return NULL;
    }
}

const char* RtFindLastChar(const char* text, char c)
{
    const char* found = NULL;
    for (;; text = RtNextChar(text)) {
        if (*text == c) found = text;
        if (*text == '\0') return found;
    }
}

int RtCompare(const char* a, const char* b)
{
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    while (*x != '\0' && *x == *y) {
        x++;
        y++;
    }
    return (*x > *y) - (*x < *y);
}

void RtCopyBytes(void* to, const void* from, size_t count)
{
    unsigned char* out = static_cast<unsigned char*>(to);
    const unsigned char* in = static_cast<const unsigned char*>(from);
    while (count-- > 0) *out++ = *in++;
}

char* RtDuplicate(const char* text)
{
    size_t size = RtLength(text) + 1;
    char* copy = static_cast<char*>(RtAlloc(size));
    if (copy != NULL) RtCopyBytes(copy, text, size);
    return copy;
}

namespace {

// The output of one formatting: bytes beyond the buffer are counted, not stored.
struct FormatOutput {
    char* out;
    size_t size;
    size_t length;
};

void Put(FormatOutput* o, char c)
{
    if (o->size > 0 && o->length < o->size - 1) o->out[o->length] = c;
    o->length++;
}

void PutRepeated(FormatOutput* o, char c, size_t count)
{
    while (count-- > 0) Put(o, c);
}

struct Conversion {
    int leftAlign;
    int zeroPad;
    char sign;  // '+', ' ' or 0
    size_t width;
    int hasPrecision;
    size_t precision;
};

// Digits, at most so many that the value cannot overflow what a width can mean here.
const char* ReadCount(const char* p, size_t* count)
{
    *count = 0;
    while (*p >= '0' && *p <= '9') {
        if (*count < 100000) *count = *count * 10 + static_cast<size_t>(*p - '0');
        p++;
    }
    return p;
}

void PutText(FormatOutput* o, const Conversion& conv, const char* text)
{
    if (text == NULL) text = "(null)";
    size_t length = 0;
    while (text[length] != '\0' && (!conv.hasPrecision || length < conv.precision)) length++;
    size_t pad = conv.width > length ? conv.width - length : 0;
    if (!conv.leftAlign) PutRepeated(o, ' ', pad);
    for (size_t i = 0; i < length; i++) Put(o, text[i]);
    if (conv.leftAlign) PutRepeated(o, ' ', pad);
}

void PutNumber(FormatOutput* o, const Conversion& conv, unsigned long magnitude, int negative)
{
    char digits[24];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    // A precision of 0 prints no digit for the value 0.
    if (conv.hasPrecision && conv.precision == 0 && count == 1 && digits[0] == '0') count = 0;

    char sign = negative ? '-' : conv.sign;
    size_t zeros = conv.hasPrecision && conv.precision > count ? conv.precision - count : 0;
    size_t body = count + zeros + (sign != 0 ? 1 : 0);
    size_t pad = conv.width > body ? conv.width - body : 0;
    // The 0 flag pads with zeros after the sign; a precision or '-' switches it off.
    if (conv.zeroPad && !conv.leftAlign && !conv.hasPrecision) {
        zeros += pad;
        pad = 0;
    }
    if (!conv.leftAlign) PutRepeated(o, ' ', pad);
    if (sign != 0) Put(o, sign);
    PutRepeated(o, '0', zeros);
    while (count > 0) Put(o, digits[--count]);
    if (conv.leftAlign) PutRepeated(o, ' ', pad);
}

} // namespace

int RtFormatV(char* out, size_t size, const char* format, va_list args)
{
    FormatOutput o = {out, size, 0};
    for (const char* p = format; *p != '\0'; p++) {
        if (*p != '%') {
            Put(&o, *p);
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            Put(&o, '%');
            continue;
        }
        Conversion conv = {0, 0, 0, 0, 0, 0};
        for (;; p++) {
            if (*p == '-') conv.leftAlign = 1;
            else if (*p == '0') conv.zeroPad = 1;
            else if (*p == '+') conv.sign = '+';
            else if (*p == ' ') { if (conv.sign == 0) conv.sign = ' '; }
            else if (*p != '#') break;
        }
        p = ReadCount(p, &conv.width);
        if (*p == '.') {
            conv.hasPrecision = 1;
            p = ReadCount(p + 1, &conv.precision);
        }
        if (*p == 's') {
            PutText(&o, conv, va_arg(args, const char*));
        } else if (*p == 'd' || *p == 'i') {
            int value = va_arg(args, int);
            unsigned long magnitude = value < 0 ? 0ul - static_cast<unsigned long>(value)
                                                : static_cast<unsigned long>(value);
            PutNumber(&o, conv, magnitude, value < 0);
        } else if (*p == 'u') {
            conv.sign = 0;
            PutNumber(&o, conv, va_arg(args, unsigned int), 0);
        } else {
            // Not ours: shown as it stands, no argument taken.
            for (const char* q = start; q < p; q++) Put(&o, *q);
            if (*p == '\0') break;
            Put(&o, *p);
        }
    }
    if (size > 0) o.out[o.length < size ? o.length : size - 1] = '\0';
    return o.length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(o.length);
}

int RtFormat(char* out, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = RtFormatV(out, size, format, args);
    va_end(args);
    return length;
}
