/* The Drask writer: the file header, and per message its index line, its
 * attribute lines and its data as X lines (hex, optionally with a
 * character column) or, in the safe set, S lines of quoted text between
 * X lines.  A message's text is built in the block's output buffer and
 * written with one call. */
#include "drask.h"

#include <cerrno>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "cs.h"

#define DRASK_VERSION "9.0.0"

enum { HOLD_SIZE = 1 << 20 };   /* the piece written when the text is held */

/* a-z, A-Z, 0-9 and " '()+,-./:=?_" */
static int safe_byte(uint8_t c)
{
    static const char extra[] = " '()+,-./:=?_";
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return 1;
    return c && strchr(extra, c) != nullptr;
}

/* Room for n more characters of text: 1, or 0 when storage runs out. */
static int room(DROPT *o, size_t n)
{
    if (o->outLength + n <= o->outCapacity)
        return 1;
    size_t want = o->outCapacity ? o->outCapacity : 65536;
    while (want < o->outLength + n)
        want *= 2;
    char *b = (char *)CSGetMem(want, "DRASKOUT");
    if (!b)
        return 0;
    if (o->outLength)
        memcpy(b, o->outBuffer, o->outLength);
    CSFreeMemAndClear(&o->outBuffer);
    o->outBuffer = b;
    o->outCapacity = want;
    return 1;
}

/* Appends text; the caller made room. */
static void add(DROPT *o, const char *text, size_t n)
{
    memcpy(o->outBuffer + o->outLength, text, n);
    o->outLength += n;
}

/* The two upper-case hex digits of each byte value. */
static char hexPairs[256][2];

static struct PairInit {
    PairInit()
    {
        static const char digits[] = "0123456789ABCDEF";
        for (int i = 0; i < 256; i++) {
            hexPairs[i][0] = digits[i >> 4];
            hexPairs[i][1] = digits[i & 15];
        }
    }
} pairInit;

#ifdef __SSE2__
/* The 32 digits of sixteen bytes: nibbles interleaved, then '0' + n
 * (+ 7 from 10). */
static inline void encode_block(const uint8_t *bytes, char *p)
{
    const __m128i mask = _mm_set1_epi8(0x0F), nine = _mm_set1_epi8(9);
    const __m128i zero = _mm_set1_epi8('0'), letters = _mm_set1_epi8('A' - '0' - 10);
    __m128i v = _mm_loadu_si128((const __m128i *)bytes);
    __m128i hi = _mm_and_si128(_mm_srli_epi16(v, 4), mask), lo = _mm_and_si128(v, mask);
    __m128i first = _mm_unpacklo_epi8(hi, lo), second = _mm_unpackhi_epi8(hi, lo);
    first = _mm_add_epi8(_mm_add_epi8(first, zero), _mm_and_si128(_mm_cmpgt_epi8(first, nine), letters));
    second = _mm_add_epi8(_mm_add_epi8(second, zero), _mm_and_si128(_mm_cmpgt_epi8(second, nine), letters));
    _mm_storeu_si128((__m128i *)p, first);
    _mm_storeu_si128((__m128i *)(p + 16), second);
}
#endif

static void add_hex(DROPT *o, const uint8_t *bytes, uint32_t n)
{
    char *p = o->outBuffer + o->outLength;
    uint32_t i = 0;
#ifdef __SSE2__
    if (n >= 16) {
        for (; i + 16 <= n; i += 16)
            encode_block(bytes + i, p + 2 * i);
        /* the last sixteen bytes again, over digits already there */
        if (i < n)
            encode_block(bytes + n - 16, p + 2 * (n - 16));
        i = n;
    }
#endif
    for (; i < n; i++)
        memcpy(p + 2 * i, hexPairs[bytes[i]], 2);
    o->outLength += 2 * (size_t)n;
}

/* A signed 32-bit value in decimal. */
static void add_int(DROPT *o, int32_t v)
{
    char digits[12];
    int n = 0;
    uint32_t u = v < 0 ? 0u - (uint32_t)v : (uint32_t)v;
    do {
        digits[n++] = (char)('0' + u % 10);
        u /= 10;
    } while (u);
    char *p = o->outBuffer + o->outLength;
    if (v < 0)
        *p++ = '-';
    while (n)
        *p++ = digits[--n];
    o->outLength = (size_t)(p - o->outBuffer);
}

int DraskWriteHeld(DROPT *o)
{
    size_t n = o->outLength;
    o->outLength = 0;
    if (!o->out || !n)
        return 0;
    errno = 0;
    return fwrite(o->outBuffer, 1, n, o->out) == n ? 0 : errno ? errno : EIO;
}

/* Writes and empties the text, or holds it while it is under the piece
 * size: 0 or 2102. */
static int emit(DROPT *o, int withReason)
{
    o->flushed = 0;
    if (o->holdOutput && o->outLength < HOLD_SIZE)
        return 0;
    int e = DraskWriteHeld(o);
    if (e && withReason)
        return DraskFail(o, DRC_WRITE, "Can not write to file '%s' RC(%d)", o->outFile, e);
    if (e)
        return DraskFail(o, DRC_WRITE, "Can not write to file '%s'", o->outFile);
    return 0;
}

int DraskWriteHeader(DROPT *o, const char *queue)
{
    char created[64], text[200];
    DraskTimeText(DraskHeaderTime(), created, sizeof created);
    int n = snprintf(text, sizeof text, "* DRASK Version:%s Created:%s", DRASK_VERSION, created);
    if (queue && queue[0])
        n += snprintf(text + n, sizeof text - (size_t)n, "* Queue = %.48s\n", queue);
    n += snprintf(text + n, sizeof text - (size_t)n, "\n");
    if (!room(o, (size_t)n))
        return DraskFail(o, DRC_STORAGE, "Unable to allocate %d bytes line storage", n);
    add(o, text, (size_t)n);
    return emit(o, 0);
}

/* ---- attribute lines ---- */

/* The characters of a field up to its length or its first NUL, CR or
 * LF (a later line could not hold them). */
static uint32_t char_length(const uint8_t *field, uint32_t length)
{
    uint32_t n = 0;
    while (n < length && field[n] && field[n] != '\r' && field[n] != '\n')
        n++;
    return n;
}

static int written_row(const DraskAttr *a, int32_t version)
{
    if (!a->code[0] || a->form == DRF_CHARFORM)
        return 0;
    return !a->minVersion || version >= (int32_t)a->minVersion;
}

void DraskWriteAttr(DROPT *o, const MQMD *md)
{
    const uint8_t *base = (const uint8_t *)md;
    if (!room(o, 2048))
        return;
    for (const DraskAttr *a = DraskAttrTable; a->kind; a++) {
        if (!written_row(a, md->Version))
            continue;
        const uint8_t *field = base + a->offset;
        char head[6] = {'A', ' ', a->code[0], a->code[1], a->code[2], ' '};
        add(o, head, sizeof head);
        if (a->kind == DRA_INT) {
            int32_t v;
            memcpy(&v, field, 4);
            add_int(o, v);
        } else if (a->kind == DRA_CHAR) {
            add(o, (const char *)field, char_length(field, a->length));
        } else {
            add_hex(o, field, a->length);
        }
        add(o, "\n", 1);
    }
}

/* ---- data lines ---- */

/* X lines of lineWidth bytes; with the column, padding and "<...>".
 * Empty data is the single line "X ", column or not. */
static int write_hex(DROPT *o, const uint8_t *data, uint32_t length)
{
    uint32_t width = o->lineWidth > 0 ? (uint32_t)o->lineWidth : 25;
    int column = length && (o->options & DRO_COLUMN) != 0;
    uint32_t perLine = 3 + 2 * width + (column ? 2 * (width + 1) + width + 2 : 0);
    uint64_t lines = length ? (length + (uint64_t)width - 1) / width : 1;
    if (!room(o, (size_t)(lines * perLine)))
        return DRC_STORAGE;
    uint32_t at = 0;
    do {
        uint32_t n = length - at < width ? length - at : width;
        add(o, "X ", 2);
        add_hex(o, data + at, n);
        if (column) {
            size_t pad = 2 * (size_t)(width + 1 - n);
            memset(o->outBuffer + o->outLength, ' ', pad);
            o->outLength += pad;
            add(o, "<", 1);
            UTPrintableCopy(o->outBuffer + o->outLength, data + at, (int)n);
            o->outLength += n;
            add(o, ">", 1);
        }
        add(o, "\n", 1);
        at += n;
    } while (at < length);
    return 0;
}

/* S lines of at most 2 * width - 2 bytes, each '"' and '~' escaped. */
static int write_string(DROPT *o, const uint8_t *data, uint32_t length)
{
    uint32_t width = o->lineWidth > 0 ? (uint32_t)o->lineWidth : 25;
    uint32_t chunk = 2 * width - 2;
    if (!length) {
        if (!room(o, 3))
            return DRC_STORAGE;
        add(o, "S \n", 3);
        return 0;
    }
    uint64_t lines = (length + (uint64_t)chunk - 1) / chunk;
    if (!room(o, (size_t)(lines * 5 + 2 * (uint64_t)length)))
        return DRC_STORAGE;
    for (uint32_t at = 0; at < length; at += chunk) {
        uint32_t n = length - at < chunk ? length - at : chunk;
        add(o, "S \"", 3);
        for (uint32_t i = 0; i < n; i++) {
            uint8_t c = data[at + i];
            if (c == '"' || c == '~')
                o->outBuffer[o->outLength++] = '~';
            o->outBuffer[o->outLength++] = (char)c;
        }
        add(o, "\"\n", 2);
    }
    return 0;
}

/* The safe set: alternating runs, the first always as S lines. */
static int write_safe(DROPT *o, const uint8_t *data, uint32_t length)
{
    uint32_t at = 0;
    int text = 1;
    do {
        uint32_t end = at;
        while (end < length && safe_byte(data[end]) == text)
            end++;
        int rc = text ? write_string(o, data + at, end - at) : write_hex(o, data + at, end - at);
        if (rc)
            return rc;
        at = end;
        text = !text;
    } while (at < length);
    return 0;
}

int DraskWriteMessage(DROPT *o, const MQMD *md, const uint8_t *data, uint32_t length, int noBlank)
{
    size_t start = o->outLength;   /* after the text held */
    if (o->options & DRO_INDEX) {
        char index[40];
        int n = snprintf(index, sizeof index, "* Index %lld\n", (long long)o->selected);
        if (!room(o, (size_t)n))
            return DraskFail(o, DRC_STORAGE, "Unable to allocate %d bytes line storage", n);
        add(o, index, (size_t)n);
    }
    if (!room(o, 2048))
        return DraskFail(o, DRC_STORAGE, "Unable to allocate %d bytes line storage", 2048);
    DraskWriteAttr(o, md);
    int rc = (o->options & DRO_SAFESET) ? write_safe(o, data, length) : write_hex(o, data, length);
    if (!rc && !noBlank) {
        rc = room(o, 1) ? 0 : DRC_STORAGE;
        if (!rc)
            add(o, "\n", 1);
    }
    if (rc) {
        o->outLength = start;
        return DraskFail(o, DRC_STORAGE, "Unable to allocate %llu bytes line storage",
                         (unsigned long long)length * 3);
    }
    return emit(o, (o->options & DRO_SAFESET) != 0);
}

int DraskFlushOutput(DROPT *o, int durable)
{
    if (!o->out)
        return 0;
    int e = DraskWriteHeld(o);
    if (e)
        return DraskFail(o, DRC_WRITE, "Error flushing data to file '%s'RC(%d)", o->outFile, e);
    errno = 0;
    if (fflush(o->out) || ferror(o->out))
        return DraskFail(o, DRC_WRITE, "Error flushing data to file '%s'RC(%d)", o->outFile,
                         errno ? errno : EIO);
    if (durable) {
        e = DraskSyncFile(o->out);
        if (e)
            return DraskFail(o, DRC_WRITE, "Error flushing data to file '%s'RC(%d)", o->outFile, e);
    }
    o->flushed = 1;
    return 0;
}
