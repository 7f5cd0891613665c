/* The Drask message reader (also dmpmqmsg files): "N" and "A" attribute
 * lines into the descriptor, then X (hex), S (quoted or plain text) and T
 * (text and a line end) lines into the data, up to the next message. */
#include "draskint.h"

#include <cstring>

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

extern const int8_t *const DraskHexTable;
const int8_t *const DraskHexTable = hexTable;

int DraskBadLine(DROPT *o, int code, const char *what)
{
    return DraskFail(o, code, "%s on line %lld of file '%s'", what, (long long)o->lineNumber,
                     o->inFile);
}

int64_t DraskHexPairs(const char *text, uint32_t length, uint8_t *out, uint64_t max)
{
    const uint8_t *p = (const uint8_t *)text;
    uint64_t n = 0;
    uint32_t i = 0;
    while (n < max && i < length) {
        int hi = hexTable[p[i]];
        if (hi < 0)
            break;
        int lo = i + 1 < length ? hexTable[p[i + 1]] : -1;
        if (lo < 0)
            return -1;
        out[n++] = (uint8_t)(hi << 4 | lo);
        i += 2;
    }
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

static int read_data(DROPT *o)
{
    while (int kind = data_kind(o)) {
        int rc = DraskReserve(o, (uint64_t)o->msgLength + o->lineLength + 1);
        if (rc)
            return rc;
        rc = kind == 'X' ? x_line(o) : kind == 'S' ? s_line(o) : t_line(o);
        if (rc)
            return rc;
        rc = DraskReadLine(o, DRL_NEXT);
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
    if (o->line[0] == 'N' && (rc = DraskReadLine(o, DRL_NEXT)) < 0)
        return rc;
    while (o->lineLength && o->line[0] == 'A') {
        if ((rc = attr_line(o)) != 0)
            return rc;
        if ((rc = DraskReadLine(o, DRL_NEXT)) < 0 || rc > 1)
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
