/* Hex dump lines and their layout, hex texts to and from bytes, and
 * nibble-addressed reads and writes. */
#include "cstext.h"
#include "cscodepage.h"

#include <cstring>

static const char hexDigits[] = "0123456789ABCDEF";

/* The two upper-case hex digits of every byte value. */
struct HexPairs {
    char pair[256][2];
    constexpr HexPairs() : pair()
    {
        for (int b = 0; b < 256; b++) {
            pair[b][0] = "0123456789ABCDEF"[b >> 4];
            pair[b][1] = "0123456789ABCDEF"[b & 15];
        }
    }
};
static constexpr HexPairs hexPairs;

/* 0-15 for a hex digit of either case, else -1. */
static int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

static int Printable(unsigned char c)
{
    return c >= 0x20 && c < 0x7F;
}

void CSSetDumpLayout(CSDumpLayout *layout)
{
    if (layout->bytesPerLine)
        return;
    if (layout->width == 0)
        layout->width = 80;
    else if (layout->width < 20)
        layout->width = 20;
    int available = layout->width - (layout->flags & CSDUMP_OFFSET ? 10 : 0);
    int chars = !(layout->flags & CSDUMP_NOCHARS);
    int group = (chars ? 12 : 8) + (layout->flags & CSDUMP_GROUPBLANK ? 1 : 0);
    if (chars) {
        if (layout->gap == 0)
            layout->gap = 2;
        available -= layout->gap;
    }
    int groups = available / group;
    if (groups < 1)
        groups = 1;
    layout->bytesPerLine = 4 * groups;
    if (!chars) {
        layout->gap = 0;
        layout->spare = 0;
    } else {
        layout->spare = available - groups * group;
        if (layout->spare < layout->gap)
            layout->spare = layout->gap;
    }
}

int UTHexDumpLine(const unsigned char *bytes, int count, int width, char *out,
                  int gap, int flags)
{
    if (count > width)
        count = width;
    if (count < 0)
        count = 0;
    int groups = (flags & UTHEX_GROUPS) && width >= 8;
    int charStart = 2 * width + gap + (groups ? (width - 1) / 4 : 0);
    if (gap)
        memset(out, ' ', (size_t)(charStart + width));

    char *p = out;
    for (int i = 0; i < count; i++) {
        if (groups && i && i % 4 == 0)
            *p++ = ' ';
        memcpy(p, hexPairs.pair[bytes[i]], 2);
        p += 2;
    }
    for (int i = count; i < width; i++) {     /* missing bytes: two blanks each */
        if (groups && i && i % 4 == 0 && gap)
            *p++ = ' ';
        *p++ = ' ';
        *p++ = ' ';
    }

    int translated = 0;
    if (gap) {
        char *c = out + charStart;
        if ((flags & UTHEX_EBCDIC) && (flags & UTHEX_SHOWEBCDIC) && count < 200) {
            CSMakePrintable((unsigned char *)c, bytes, count);
            translated = 1;
        }
        for (int i = 0; i < count; i++) {
            unsigned char b = translated ? (unsigned char)c[i] : bytes[i];
            c[i] = Printable(b) ? (char)b : '.';
        }
        p = c + count;
    }
    if (!(flags & UTHEX_NOTERM))
        *p = 0;
    return translated;
}

void UTBytesToHex(const unsigned char *bytes, int count, char *out, int width)
{
    if (width == 0)
        width = 2 * count;
    memset(out, ' ', (size_t)width);
    out[width] = 0;
    if (count > width / 2)                    /* never past the field */
        count = width / 2;
    for (int i = 0; i < count; i++) {
        out[2 * i] = hexDigits[bytes[i] >> 4];
        out[2 * i + 1] = hexDigits[bytes[i] & 15];
    }
}

int UTHexToBytes(const char *hex, int size, unsigned char *out)
{
    int field = size / 2, i = 0;
    for (; i < field && hex[2 * i]; i++) {
        int hi = HexValue(hex[2 * i]);
        int lo = hi < 0 ? -1 : HexValue(hex[2 * i + 1]);
        if (lo < 0)
            return 1;
        out[i] = (unsigned char)(hi << 4 | lo);
    }
    if (i < field)
        memset(out + i, 0, (size_t)(field - i));
    return 0;
}

int UTCountHexDigits(const char *text, int count)
{
    int digits = 0;
    for (int i = 0; i < count && text[i]; i++) {
        if (text[i] == ' ')
            continue;
        if (HexValue(text[i]) < 0)
            return 0;
        digits++;
    }
    return digits;
}

int UTGetNibble(const unsigned char *bytes, int n)
{
    unsigned char b = bytes[n / 2];
    return n % 2 ? b & 15 : b >> 4;
}

void UTSetNibble(unsigned char *bytes, int n, int value)
{
    if (n < 0)
        return;
    unsigned char *b = &bytes[n / 2];
    if (n % 2)
        *b = (unsigned char)((*b & 0xF0) | (value & 15));
    else
        *b = (unsigned char)((*b & 0x0F) | (value & 15) << 4);
}

int UTHexMatch(const unsigned char *bytes, int firstNibble, const char *hex, int count)
{
    int n = firstNibble;
    for (int i = 0; i < count; i++) {
        if (hex[i] == ' ')
            continue;
        int v = HexValue(hex[i]);
        if (v < 0 || v != UTGetNibble(bytes, n++))
            return 0;
    }
    return 1;
}

void UTCopyNibbles(unsigned char *out, int outNibble, const unsigned char *in,
                   int inNibble, int count)
{
    /* Target after the source (in one buffer): from the end back. */
    uintptr_t target = (uintptr_t)out * 2 + (uintptr_t)outNibble;
    uintptr_t source = (uintptr_t)in * 2 + (uintptr_t)inNibble;
    int backwards = target > source;
    if (backwards)
        for (int i = count - 1; i >= 0; i--)
            UTSetNibble(out, outNibble + i, UTGetNibble(in, inNibble + i));
    else
        for (int i = 0; i < count; i++)
            UTSetNibble(out, outNibble + i, UTGetNibble(in, inNibble + i));
}

void UTFillNibbles(unsigned char *bytes, int firstNibble, int value, int count)
{
    for (int i = 0; i < count; i++)
        UTSetNibble(bytes, firstNibble + i, value);
}

int UTPrintableCopy(char *out, const unsigned char *in, int count)
{
    int shown = 0;
    for (int i = 0; i < count; i++) {
        int ok = Printable(in[i]);
        out[i] = ok ? (char)in[i] : '.';
        shown += ok;
    }
    return shown;
}
