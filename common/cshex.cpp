/* Hex dump lines and their layout, hex texts to and from bytes, and
 * nibble-addressed reads and writes. */
#include "cstext.h"
#include "cscodepage.h"

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

/* The character column's view of every byte value: itself when printable,
 * else ".". */
struct Shown {
    char c[256];
    constexpr Shown() : c()
    {
        for (int b = 0; b < 256; b++)
            c[b] = b >= 0x20 && b < 0x7F ? (char)b : '.';
    }
};
static constexpr Shown shown;

/* Bytes as they lie in memory, gathered into a word: its lowest byte
 * first on a little-endian machine, else its highest. */
static inline uint64_t Place(uint64_t value, int byteIndex)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return value << (8 * (7 - byteIndex));
#else
    return value << (8 * byteIndex);
#endif
}

/* The eight hex digits of four bytes, in the order they are written. */
static inline uint64_t Pairs4(const unsigned char *b)
{
    uint64_t v = 0;
    for (int i = 0; i < 4; i++) {
        v |= Place((unsigned char)hexPairs.pair[b[i]][0], 2 * i);
        v |= Place((unsigned char)hexPairs.pair[b[i]][1], 2 * i + 1);
    }
    return v;
}

#ifdef __SSE2__
/* The hex digits of the first fours * 4 bytes of v (4 or 2) at out; with
 * groups a blank before each four (the first only when lead is set).  The
 * position after them. */
static inline char *Digits(__m128i v, int fours, char *out, int lead, int groups)
{
    const __m128i low = _mm_set1_epi8(15), nine = _mm_set1_epi8(9), zero = _mm_set1_epi8('0');
    const __m128i letters = _mm_set1_epi8('A' - '0' - 10);
    __m128i hi = _mm_and_si128(_mm_srli_epi16(v, 4), low), lo = _mm_and_si128(v, low);
    hi = _mm_add_epi8(_mm_add_epi8(hi, zero), _mm_and_si128(_mm_cmpgt_epi8(hi, nine), letters));
    lo = _mm_add_epi8(_mm_add_epi8(lo, zero), _mm_and_si128(_mm_cmpgt_epi8(lo, nine), letters));
    __m128i first = _mm_unpacklo_epi8(hi, lo), second = _mm_unpackhi_epi8(hi, lo);
    if (!groups) {
        _mm_storeu_si128((__m128i *)out, first);
        if (fours == 4)
            _mm_storeu_si128((__m128i *)(out + 16), second);
        return out + 8 * fours;
    }
    const __m128i halves[4] = { first, _mm_srli_si128(first, 8), second, _mm_srli_si128(second, 8) };
    for (int g = 0; g < fours; g++) {
        if (lead || g)
            *out++ = ' ';
        _mm_storel_epi64((__m128i *)out, halves[g]);
        out += 8;
    }
    return out;
}

/* The character column's view of the bytes of v. */
static inline __m128i ShownBytes(__m128i v)
{
    __m128i ok = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(0x1F)), _mm_cmplt_epi8(v, _mm_set1_epi8(0x7F)));
    return _mm_or_si128(_mm_and_si128(ok, v), _mm_andnot_si128(ok, _mm_set1_epi8('.')));
}
#endif

/* The character column of eight bytes. */
static inline uint64_t Shown8(const unsigned char *b)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; i++)
        v |= Place((unsigned char)shown.c[b[i]], i);
    return v;
}

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
#ifdef __SSE2__
    /* the usual line: 16 to 32 bytes, whole, neither grouped nor shown
       from EBCDIC: two overlapping sixteens for both columns */
    if (count == width && width >= 16 && width <= 32 && gap > 0 && gap <= 16
        && !(flags & UTHEX_GROUPS) && (~flags & (UTHEX_EBCDIC | UTHEX_SHOWEBCDIC))) {
        __m128i first = _mm_loadu_si128((const __m128i *)bytes);
        __m128i last = _mm_loadu_si128((const __m128i *)(bytes + width - 16));
        Digits(first, 4, out, 0, 0);
        Digits(last, 4, out + 2 * (width - 16), 0, 0);
        char *c = out + 2 * width + gap;
        _mm_storeu_si128((__m128i *)(out + 2 * width), _mm_set1_epi8(' '));
        _mm_storeu_si128((__m128i *)c, ShownBytes(first));
        _mm_storeu_si128((__m128i *)(c + width - 16), ShownBytes(last));
        if (!(flags & UTHEX_NOTERM))
            c[width] = 0;
        return 0;
    }
#endif
    if (count > width)
        count = width;
    if (count < 0)
        count = 0;
    int groups = (flags & UTHEX_GROUPS) && width >= 8;
    int charStart = 2 * width + gap + (groups ? (width - 1) / 4 : 0);

    char *p = out;
    int i = 0;
#ifdef __SSE2__
    /* sixteen bytes at a time, then groups of four, then the bytes left */
    for (; i + 16 <= count; i += 16)
        p = Digits(_mm_loadu_si128((const __m128i *)(bytes + i)), 4, p, groups && i, groups);
    if (!groups && i && i < count) {          /* the last sixteen again, overlapping */
        Digits(_mm_loadu_si128((const __m128i *)(bytes + count - 16)), 4, out + 2 * (count - 16), 0, 0);
        p = out + 2 * count;
        i = count;
    }
    if (i + 8 <= count) {
        p = Digits(_mm_loadl_epi64((const __m128i *)(bytes + i)), 2, p, groups && i, groups);
        i += 8;
    }
#endif
    for (; i + 4 <= count; i += 4) {
        if (groups && i)
            *p++ = ' ';
        uint64_t digits = Pairs4(bytes + i);
        memcpy(p, &digits, 8);
        p += 8;
    }
    for (; i < count; i++) {
        if (groups && i && i % 4 == 0)
            *p++ = ' ';
        memcpy(p, hexPairs.pair[bytes[i]], 2);
        p += 2;
    }
    for (int j = count; j < width; j++) {     /* missing bytes: two blanks each */
        if (groups && j && j % 4 == 0 && gap)
            *p++ = ' ';
        *p++ = ' ';
        *p++ = ' ';
    }

    int translated = 0;
    if (gap) {
        char *c = out + charStart;
#ifdef __SSE2__
        if (gap <= 16 && gap + width >= 16)    /* the gap, in one store the column overwrites */
            _mm_storeu_si128((__m128i *)p, _mm_set1_epi8(' '));
        else
#endif
            memset(p, ' ', (size_t)(c - p));    /* the gap */
        for (char *q = c + count; q < c + width; q++)   /* blanks after a short line */
            *q = ' ';
        if ((flags & UTHEX_EBCDIC) && (flags & UTHEX_SHOWEBCDIC) && count < 200) {
            CSMakePrintable((unsigned char *)c, bytes, count);
            translated = 1;
        }
        const unsigned char *from = translated ? (const unsigned char *)c : bytes;
        int k = 0;
#ifdef __SSE2__
        for (; k + 16 <= count; k += 16)
            _mm_storeu_si128((__m128i *)(c + k), ShownBytes(_mm_loadu_si128((const __m128i *)(from + k))));
        if (k && k < count) {                   /* the last sixteen again, overlapping */
            _mm_storeu_si128((__m128i *)(c + count - 16),
                             ShownBytes(_mm_loadu_si128((const __m128i *)(from + count - 16))));
            k = count;
        }
        if (k + 8 <= count) {
            _mm_storel_epi64((__m128i *)(c + k), ShownBytes(_mm_loadl_epi64((const __m128i *)(from + k))));
            k += 8;
        }
#endif
        for (; k + 8 <= count; k += 8) {
            uint64_t eight = Shown8(from + k);
            memcpy(c + k, &eight, 8);
        }
        for (; k < count; k++)
            c[k] = shown.c[from[k]];
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
