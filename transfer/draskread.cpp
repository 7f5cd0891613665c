/* The Drask message reader (also dmpmqmsg files): "N" and "A" attribute
 * lines into the descriptor, then X (hex), S (quoted or plain text) and T
 * (text and a line end) lines into the data, up to the next message. */
#include "draskint.h"

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "cs.h"

static int8_t hexTable[256];
/* A digit's value, or 0x100 for a byte that is none (two of them or'ed
 * show a bad pair in one test). */
static uint16_t digitValue[256];

static struct HexInit {
    HexInit()
    {
        memset(hexTable, -1, sizeof hexTable);
        for (int i = 0; i < 256; i++)
            digitValue[i] = 0x100;
        for (int i = 0; i < 10; i++)
            hexTable['0' + i] = (int8_t)i;
        for (int i = 0; i < 6; i++)
            hexTable['A' + i] = hexTable['a' + i] = (int8_t)(10 + i);
        for (int i = 0; i < 256; i++)
            if (hexTable[i] >= 0)
                digitValue[i] = (uint16_t)hexTable[i];
    }
} hexInit;

const int8_t *const DraskHexTable = hexTable;

int DraskBadLine(DROPT *o, int code, const char *what)
{
    return DraskFail(o, code, "%s on line %lld of file '%s'", what, (long long)o->lineNumber,
                     o->inFile);
}

/* A digit's value, 0xFF for a byte that is none. */
static uint8_t nibble[256];

static struct NibbleInit {
    NibbleInit()
    {
        for (int i = 0; i < 256; i++)
            nibble[i] = hexTable[i] >= 0 ? (uint8_t)hexTable[i] : 0xFF;
    }
} nibbleInit;

int64_t DraskHexPairs(const char *text, uint32_t length, uint8_t *out, uint64_t max)
{
    const uint8_t *p = (const uint8_t *)text;
    uint64_t n = 0;
    uint32_t i = 0;
#ifdef __SSE2__
    /* sixteen digits at a time while they are all digits */
    const __m128i zero = _mm_setzero_si128(), low = _mm_set1_epi16(0x00FF);
    while (n + 8 <= max && i + 16 <= length) {
        __m128i v = _mm_loadu_si128((const __m128i *)(p + i));
        __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));
        __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                                      _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
        __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                       _mm_cmplt_epi8(folded, _mm_set1_epi8('f' + 1)));
        if (_mm_movemask_epi8(_mm_or_si128(digit, letter)) != 0xFFFF)
            break;
        __m128i value = _mm_or_si128(_mm_and_si128(digit, _mm_sub_epi8(v, _mm_set1_epi8('0'))),
                                     _mm_and_si128(letter, _mm_sub_epi8(folded, _mm_set1_epi8('a' - 10))));
        __m128i pairs = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(value, low), 4), _mm_srli_epi16(value, 8));
        _mm_storel_epi64((__m128i *)(out + n), _mm_packus_epi16(pairs, zero));
        n += 8;
        i += 16;
    }
#endif
    /* eight digits at a time while they are all digits */
    while (n + 4 <= max && i + 8 <= length) {
        const uint8_t *q = p + i;
        uint32_t a = nibble[q[0]], b = nibble[q[1]], c = nibble[q[2]], d = nibble[q[3]];
        uint32_t e = nibble[q[4]], f = nibble[q[5]], g = nibble[q[6]], h = nibble[q[7]];
        if ((a | b | c | d | e | f | g | h) & 0xF0)
            break;
        uint32_t word = (a << 4 | b) | (c << 4 | d) << 8 | (e << 4 | f) << 16 | (g << 4 | h) << 24;
        memcpy(out + n, &word, 4);
        n += 4;
        i += 8;
    }
    while (n < max && i + 1 < length) {
        uint8_t hi = nibble[p[i]], lo = nibble[p[i + 1]];
        if ((hi | lo) & 0xF0)
            break;
        out[n++] = (uint8_t)(hi << 4 | lo);
        i += 2;
    }
    if (n < max && i < length && hexTable[p[i]] >= 0 && (i + 1 >= length || hexTable[p[i + 1]] < 0))
        return -1;             /* a digit without its partner */
    return (int64_t)n;
}

/* ---- attribute lines ---- */

int DraskParseInt(const char *v, uint32_t n, int32_t *out)
{
    uint32_t i = 0;
    while (i < n && v[i] == ' ')
        i++;
    int negative = 0;
    if (i < n && (v[i] == '-' || v[i] == '+'))
        negative = v[i++] == '-';
    int64_t value = 0;
    for (; i < n && v[i] >= '0' && v[i] <= '9'; i++) {
        value = value * 10 + (v[i] - '0');
        if (value > 0xFFFFFFFFll)
            return 0;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN)
        return 0;
    *out = (int32_t)(uint32_t)value;
    return 1;
}

static int attr_line(DROPT *o)
{
    if (o->lineLength < 5)
        return DraskBadLine(o, DRC_BADFILE, "Invalid attribute line");
    const DraskAttr *a = DraskFindCode(o->line + 2);
    if (!a)
        return DraskBadLine(o, DRC_BADFILE, "Unrecognised attribute");
    if (o->lineLength < 7)
        return 0;
    uint8_t *field = (uint8_t *)&o->md + a->offset;
    const char *value = o->line + 6;
    uint32_t n = o->lineLength - 6;
    switch (a->kind) {
    case DRA_INT: {
        int32_t v;
        if (!DraskParseInt(value, n, &v))
            return DraskBadLine(o, DRC_BADFILE, "Invalid attribute line");
        memcpy(field, &v, 4);
        return 0;
    }
    case DRA_CHAR: {
        uint32_t copy = n < a->length ? n : a->length;
        memcpy(field, value, copy);
        memset(field + copy, ' ', a->length - copy);
        return 0;
    }
    case DRA_HEX: {
        uint8_t bytes[64];
        uint64_t max = n / 2 < a->length ? n / 2 : a->length;
        int64_t got = DraskHexPairs(value, n, bytes, max);
        if (got < 0)
            return DraskBadLine(o, DRC_BADFILE, "Badly formed HEX string");
        memcpy(field, bytes, (size_t)got);
        return 0;
    }
    }
    return DraskFail(o, DRC_INTERNAL,
                     "Internal Eror:Unrecognised attribute type %d on line %lld of file '%s'",
                     (int)a->kind, (long long)o->lineNumber, o->inFile);
}

/* ---- data lines ---- */

static int x_line(DROPT *o)
{
    uint32_t i = 1;
    while (i < o->lineLength && o->line[i] == ' ')
        i++;
    int64_t got = DraskHexPairs(o->line + i, o->lineLength - i, o->msg + o->msgLength, UINT64_MAX);
    if (got < 0)
        return DraskBadLine(o, DRC_BADFILE, "Badly formed HEX string");
    o->msgLength += (uint32_t)got;
    return 0;
}

static int s_line(DROPT *o)
{
    const char *p = o->line + 1, *end = o->line + o->lineLength;
    while (p < end && *p == ' ')
        p++;
    uint8_t *out = o->msg + o->msgLength;
    if (p < end && *p == '"') {
        for (p++;; p++) {
            if (p >= end)
                return DraskBadLine(o, DRC_BADFILE, "Invalid string line - no terminating \" symbol");
            if (*p == '"')
                break;
            if (*p == '~') {
                if (p + 1 >= end || (p[1] != '"' && p[1] != '~'))
                    return DraskBadLine(o, DRC_BADFILE, "Unexpected escape sequence");
                p++;
            }
            *out++ = (uint8_t)*p;
        }
    } else {
        const char *last = end;
        while (last > p && last[-1] == ' ')
            last--;
        memcpy(out, p, (size_t)(last - p));
        out += last - p;
    }
    o->msgLength = (uint32_t)(out - o->msg);
    return 0;
}

static int t_line(DROPT *o)
{
    uint32_t n = o->lineLength > 2 ? o->lineLength - 2 : 0;
    memcpy(o->msg + o->msgLength, o->line + 2, n);
    o->msgLength += n;
    o->msg[o->msgLength++] = '\n';
    return 0;
}

static int data_kind(const DROPT *o)
{
    if (!o->lineLength)
        return 0;
    char c = o->line[0];
    return c == 'X' || c == 'S' || c == 'T' ? c : 0;
}

/* The X lines that follow in the read-ahead, whole and well formed,
 * decoded where they lie (a line of any other kind, a comment, a bad
 * pair or the read-ahead's end leaves the rest to the line reader). */
static int x_lines_ahead(DROPT *o)
{
    DRLINES *l = &o->lines;
    while (l->chunkPos + 2 < l->chunkEnd && l->chunk[l->chunkPos] == 'X' && l->chunk[l->chunkPos + 1] == ' ') {
        const char *line = (const char *)l->chunk + l->chunkPos;
        const char *nl = (const char *)memchr(line, '\n', l->chunkEnd - l->chunkPos);
        if (!nl)
            return 0;
        uint32_t n = (uint32_t)(nl - line), i = 2;
        uint32_t end = n && line[n - 1] == '\r' ? n - 1 : n;
        while (i < end && line[i] == ' ')
            i++;
        int rc = DraskReserve(o, (uint64_t)o->msgLength + end + 1);
        if (rc)
            return rc;
        int64_t got = DraskHexPairs(line + i, end - i, o->msg + o->msgLength, UINT64_MAX);
        if (got < 0)
            return 0;
        o->msgLength += (uint32_t)got;
        o->lineNumber++;
        l->chunkPos += n + 1;
        o->inPosition += n + 1;
    }
    return 0;
}

static int read_data(DROPT *o)
{
    while (int kind = data_kind(o)) {
        int rc = DraskReserve(o, (uint64_t)o->msgLength + o->lineLength + 1);
        if (rc)
            return rc;
        rc = kind == 'X' ? x_line(o) : kind == 'S' ? s_line(o) : t_line(o);
        if (!rc && kind == 'X')
            rc = x_lines_ahead(o);
        if (rc)
            return rc;
        rc = DraskNextLine(o);
        if (rc == 0)
            break;
        if (rc != 1)
            return rc;
    }
    return 0;
}

int DraskReadAttributes(DROPT *o)
{
    DraskDefaultMD(&o->md);
    o->msgLength = 0;
    o->dataStart = 0;
    int rc = DraskReadLine(o, DRL_PEEK);
    if (rc == 0)
        return DRC_END;
    if (rc != 1)
        return rc;
    if (o->line[0] != 'A' && o->line[0] != 'N')
        return DraskFail(o, DRC_BADFILE, "Expected message attribute at line %lld of file '%s'",
                         (long long)o->lineNumber, o->inFile);
    if (o->line[0] == 'N' && (rc = DraskNextLine(o)) < 0)
        return rc;
    while (o->lineLength && o->line[0] == 'A') {
        if ((rc = attr_line(o)) != 0)
            return rc;
        if ((rc = DraskNextLine(o)) < 0 || rc > 1)
            return rc;
    }
    if (!data_kind(o))
        return DraskFail(o, DRC_BADFILE, "Expected message at line %lld of file '%s'",
                         (long long)o->lineNumber, o->inFile);
    if ((rc = read_data(o)) != 0)
        return rc;
    ProgSetPosition(o->progress, o->inPosition, o->total);
    return 0;
}
