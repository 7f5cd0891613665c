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

static struct HexInit {
    HexInit()
    {
        memset(hexTable, -1, sizeof hexTable);
        for (int i = 0; i < 10; i++)
            hexTable['0' + i] = (int8_t)i;
        for (int i = 0; i < 6; i++)
            hexTable['A' + i] = hexTable['a' + i] = (int8_t)(10 + i);
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

#ifdef __SSE2__
/* Sixteen characters as eight bytes at out (pairs that hold a byte
 * that is no digit come out as anything); the mask of the characters
 * that are digits. */
static inline unsigned decode_block(const uint8_t *p, uint8_t *out)
{
    __m128i v = _mm_loadu_si128((const __m128i *)p);
    __m128i d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    __m128i l = _mm_sub_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
    __m128i letter = _mm_cmpeq_epi8(_mm_min_epu8(l, _mm_set1_epi8(5)), l);
    /* a digit's d is below its l + 10, a letter's l + 10 below its d */
    __m128i value = _mm_min_epu8(d, _mm_add_epi8(l, _mm_set1_epi8(10)));
    __m128i pairs = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(value, _mm_set1_epi16(0x00FF)), 4),
                                 _mm_srli_epi16(value, 8));
    _mm_storel_epi64((__m128i *)out, _mm_packus_epi16(pairs, pairs));
    return (unsigned)_mm_movemask_epi8(_mm_or_si128(digit, letter));
}
#endif

int64_t DraskHexPairs(const char *text, uint32_t length, uint8_t *out, uint64_t max)
{
    const uint8_t *p = (const uint8_t *)text;
    uint64_t n = 0;
    uint32_t i = 0;
#ifdef __SSE2__
    /* sixteen digits at a time, up to the first byte that is no digit */
    while (n + 8 <= max && i + 16 <= length) {
        unsigned valid = decode_block(p + i, out + n);
        if (valid != 0xFFFF) {
            unsigned digits = (unsigned)__builtin_ctz(~valid) & ~1u;
            n += digits / 2;
            i += digits;
            break;
        }
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

/* The end of a line at p: the LF that follows at once or after one CR,
 * else null. */
static inline const uint8_t *line_end_at(const uint8_t *p, const uint8_t *end)
{
    if (p < end && *p == '\n')
        return p;
    return p + 1 < end && p[0] == '\r' && p[1] == '\n' ? p + 1 : nullptr;
}

/* A decimal value that ends its line (a sign, one to ten digits) into
 * out: the LF ending the line, or null for any other value. */
static inline const uint8_t *plain_int(const uint8_t *p, const uint8_t *end, int32_t *out)
{
    int negative = p < end && *p == '-';
    p += negative;
    uint64_t value = 0;
    const uint8_t *digits = p;
    while (p < end && (unsigned)(*p - '0') < 10 && p - digits < 10)
        value = value * 10 + (*p++ - '0');
    if (p == digits || value > 0xFFFFFFFFull || (negative && value > 0x80000000ull))
        return nullptr;
    *out = (int32_t)(uint32_t)(negative ? 0 - value : value);
    return line_end_at(p, end);
}

/* One attribute line at at, set where it lies when it is plain: "A",
 * its code and a blank, then an integer, text or hex digits that run
 * to the line's end.  *row is the row expected (or null), then the row
 * of the line.  The LF ending it, or null to leave it to the line
 * reader. */
static const uint8_t *plain_attr(DROPT *o, const uint8_t *at, const uint8_t *end, const DraskAttr **row)
{
    if (end - at < 7 || at[0] != 'A' || at[1] != ' ' || at[5] != ' ')
        return nullptr;
    const DraskAttr *a = *row;
    if (!a || memcmp(at + 2, a->code, 3))
        *row = a = DraskFindCode((const char *)at + 2);
    if (!a)
        return nullptr;
    uint8_t *field = (uint8_t *)&o->md + a->offset;
    const uint8_t *value = at + 6, *nl;
    switch (a->kind) {
    case DRA_INT: {
        int32_t v;
        if (!(nl = plain_int(value, end, &v)))
            return nullptr;
        memcpy(field, &v, 4);
        return nl;
    }
    case DRA_HEX: {
        uint8_t bytes[64];
        size_t avail = (size_t)(end - value) < UINT32_MAX ? (size_t)(end - value) : UINT32_MAX;
        int64_t got = DraskHexPairs((const char *)value, (uint32_t)avail, bytes, a->length);
        if (got < 0 || !(nl = line_end_at(value + 2 * got, end)))
            return nullptr;
        memcpy(field, bytes, (size_t)got);
        return nl;
    }
    case DRA_CHAR: {
        if (!(nl = DraskFindNewline(value, (size_t)(end - value))))
            return nullptr;
        uint32_t n = (uint32_t)(nl - value);
        if (n && value[n - 1] == '\r')
            n--;
        if (!n)
            return nl;         /* a line of six characters sets nothing */
        uint32_t copy = n < a->length ? n : a->length;
        memcpy(field, value, copy);
        memset(field + copy, ' ', a->length - copy);
        return nl;
    }
    }
    return nullptr;
}

/* The row the writer writes after a (its code looked at before the
 * table's index), or null. */
static const DraskAttr *row_after(const DraskAttr *a)
{
    for (a++; a->kind; a++)
        if (a->code[0] && a->form != DRF_CHARFORM)
            return a;
    return nullptr;
}

/* The attribute lines that follow in the read-ahead, as long as they are
 * plain (see plain_attr), set where they lie; the first one that is not
 * (a comment, a blank line, another kind, a value the line reader must
 * judge, a line the read-ahead does not hold whole) is left to the line
 * reader. */
static void attr_lines_ahead(DROPT *o)
{
    DRLINES *l = &o->lines;
    const uint8_t *from = l->chunk + l->chunkPos, *at = from, *end = l->chunk + l->chunkEnd;
    int64_t lines = 0;
    const DraskAttr *row = nullptr;         /* the one expected next */
    while (const uint8_t *nl = plain_attr(o, at, end, &row)) {
        row = row_after(row);
        at = nl + 1;
        lines++;
    }
    o->lineNumber += lines;
    l->chunkPos += (size_t)(at - from);
    o->inPosition += (uint64_t)(at - from);
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

#ifdef __SSE2__
/* A line of the width of the one before it: "X ", digits (an even number,
 * sixteen or more) and the line end of term characters, at at.  Its
 * bytes decoded at out (up to limit), sixteen digits at a time, the last
 * step over digits decoded already; 1 when all of them were digits, else
 * 0 (what was written beyond out counts for nothing). */
static inline int same_width_line(const uint8_t *at, const uint8_t *end, uint32_t digits, uint32_t term,
                                  uint8_t *out, const uint8_t *limit)
{
    const uint8_t *p = at + 2;
    if ((size_t)(end - p) < (size_t)digits + term || (size_t)(limit - out) < digits / 2 ||
        p[digits + term - 1] != '\n' || (term == 2 && p[digits] != '\r') || at[0] != 'X' || at[1] != ' ')
        return 0;
    unsigned valid = 0xFFFF;
    uint32_t i = 0;
    for (; i + 16 <= digits; i += 16)
        valid &= decode_block(p + i, out + i / 2);
    if (i < digits)
        valid &= decode_block(p + digits - 16, out + (digits - 16) / 2);
    return valid == 0xFFFF;
}
#endif

/* The X lines that follow in the read-ahead, whole and well formed,
 * decoded where they lie: each line's digits are decoded up to the first
 * byte that is none, and its end is looked for only when that byte is no
 * line end (a line of any other kind, a comment, a bad pair, a line
 * longer than the buffer's room or the read-ahead's end leaves the rest
 * to the line reader).  A line of digits to its end tells the width of
 * the next one, whose end is then looked at first and whose digits are
 * decoded without a search. */
static int x_lines_ahead(DROPT *o)
{
    enum { ROOM = 64 * 1024 };
    DRLINES *l = &o->lines;
    const uint8_t *from = l->chunk + l->chunkPos, *at = from, *end = l->chunk + l->chunkEnd;
    uint8_t *out = o->msg + o->msgLength, *limit = o->msg + o->msgCapacity;
    int64_t lines = 0;
    int rc = 0;
    uint32_t width = 0, term = 0;      /* digits and line end of the last line, 0: none */
    while (end - at > 2 && at[0] == 'X' && at[1] == ' ') {
        if (limit - out < ROOM / 16) {
            o->msgLength = (uint32_t)(out - o->msg);
            if ((rc = DraskReserve(o, (uint64_t)o->msgLength + ROOM)) != 0)
                break;
            out = o->msg + o->msgLength;
            limit = o->msg + o->msgCapacity;
        }
#ifdef __SSE2__
        if (width && same_width_line(at, end, width, term, out, limit)) {
            out += width / 2;
            at += 2 + width + term;
            lines++;
            continue;
        }
#endif
        const uint8_t *p = at + 2;
        while (p < end && *p == ' ')
            p++;
        uint8_t *q = out;
        int stopped = 0, odd = 0;
#ifdef __SSE2__
        while (end - p >= 16 && limit - q >= 8) {
            unsigned valid = decode_block(p, q);
            if (valid != 0xFFFF) {
                unsigned digits = (unsigned)__builtin_ctz(~valid);
                odd = digits & 1;
                p += digits & ~1u;
                q += digits / 2;
                stopped = 1;
                break;
            }
            p += 16;
            q += 8;
        }
#endif
        if (odd)
            break;             /* a digit without its partner: the line reader tells */
        if (!stopped) {
            size_t avail = (size_t)(end - p) < UINT32_MAX ? (size_t)(end - p) : UINT32_MAX;
            int64_t got = DraskHexPairs((const char *)p, (uint32_t)avail, q, (uint64_t)(limit - q));
            if (got < 0 || got == limit - q)
                break;
            p += 2 * got;
            q += got;
        }
        const uint8_t *nl = p;
        if (p < end && *p == '\r' && p + 1 < end && p[1] == '\n')
            nl = p + 1;
        else if (p >= end || *p != '\n')
            nl = DraskFindNewline(p, (size_t)(end - p));
        if (!nl)
            break;
        uint32_t decoded = (uint32_t)(q - out) * 2;
        int plain = p == at + 2 + decoded && decoded >= 16 && (nl == p || (nl == p + 1 && *p == '\r'));
        width = plain ? decoded : 0;
        term = (uint32_t)(nl - p) + 1;
        out = q;
        at = nl + 1;
        lines++;
    }
    o->msgLength = (uint32_t)(out - o->msg);
    o->lineNumber += lines;
    l->chunkPos += (size_t)(at - from);
    o->inPosition += (uint64_t)(at - from);
    return rc;
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
        attr_lines_ahead(o);
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
