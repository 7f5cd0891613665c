/* Values typed as text: integers of every width, floats and doubles,
 * packed, over-punched and digit fields, encodings, flag words and time
 * stamps.  The text being typed waits in the typing buffer until it is a
 * valid value in its canonical form (or, for a deferred field, until
 * Enter); then it is written over the field in the byte order and float
 * encoding the formatter reads it with. */
#include "edint.h"
#include "eddialog.h"
#include "cscodepage.h"
#include "prfdata.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char emptyValue[] = "Please enter a value for the field";
static const char badNumber[] = "Invalid number format";

int EdIsValueType(uint16_t t)
{
    switch (t) {
    case FT_INT: case FT_BYTE: case FT_FLAGS8: case FT_ENCODING: case FT_SHORT: case FT_FLAGS:
    case FT_REC_OFFSET: case FT_INT_NORMAL: case FT_INTH: case FT_INT64H: case FT_FLAGS16:
    case FT_FLOAT: case FT_DOUBLE: case FT_TIME32: case FT_TIME64: case FT_PACKED: case FT_UPACKED:
    case FT_ZONED: case FT_DIGITS:
        return 1;
    }
    return t >= FT_UINT && t <= FT_UINT8H;
}

uint32_t EdValueWidth(const FmtFieldDef *f)
{
    switch (f->type) {
    case FT_CHAR: case FT_POINTER: case FT_FORMAT: case FT_PUTDATE: case FT_PUTTIME: case FT_CHARV:
        return 0;                       /* read as values, typed as text or not at all */
    }
    return FmtReadSize(f);
}

void EdPutInt(unsigned char *out, uint32_t width, uint64_t value, uint32_t encoding)
{
    int reversed = (encoding & 0xF) == 2;
    for (uint32_t i = 0; i < width; i++)
        out[i] = (unsigned char)(value >> (8 * (reversed ? i : width - 1 - i)));
}

void EdPutFloat(unsigned char *out, uint32_t width, double value, uint32_t encoding)
{
    uint32_t target = encoding & 0xF00;
    if (target != 0x100 && target != 0x200 && target != 0x300)
        target = (encoding & 0xF) == 2 && !(encoding & 0xF00) ? 0x200 : 0x100;
    uint64_t bits;
    if (width == 4) {
        float f = (float)value;
        uint32_t b;
        memcpy(&b, &f, 4);
        bits = b;
    } else {
        memcpy(&bits, &value, 8);
    }
    EdPutInt(out, width, bits, 1);              /* IEEE, most significant byte first */
    if (width == 4)
        CSConvertFloat32(out, 0x100, (int32_t)target);
    else
        CSConvertFloat64(out, 0x100, (int32_t)target);
}

/* ---- what a value text may hold ---- */

enum ValueClass { VC_SIGNED, VC_UNSIGNED, VC_HEX, VC_FLOAT, VC_TIME, VC_DECIMAL };

static ValueClass ClassOf(uint16_t t)
{
    switch (t) {
    case FT_BYTE: case FT_UINT: case FT_UINTH: case FT_UINT64: case FT_UINT64H: case FT_USHORT:
    case FT_USHORTH: case FT_UINT8: case FT_UINT8H:
        return VC_UNSIGNED;
    case FT_FLAGS8: case FT_FLAGS: case FT_FLAGS16: case FT_ENCODING: return VC_HEX;
    case FT_FLOAT: case FT_DOUBLE: return VC_FLOAT;
    case FT_TIME32: case FT_TIME64: return VC_TIME;
    case FT_PACKED: case FT_UPACKED: case FT_ZONED: case FT_DIGITS: return VC_DECIMAL;
    }
    return VC_SIGNED;
}

static const char *Characters(ValueClass c)
{
    static const char *const sets[] = { "0123456789-+", "0123456789-+", "0123456789ABCDEFabcdef",
                                        "0123456789-+.eE", "0123456789/: ", "0123456789-+." };
    return sets[c];
}

/* The longest text a value takes. */
static uint32_t Limit(const FmtFieldDef *f)
{
    switch (ClassOf(f->type)) {
    case VC_HEX: return f->type == FT_ENCODING ? 12 : 2 * EdValueWidth(f);
    case VC_TIME: return 30;
    case VC_FLOAT: case VC_DECIMAL: return 21;
    default: return EdValueWidth(f) == 8 ? 21 : 11;
    }
}

/* An encoding shown as 0x'...': the digits inside. */
static void HexDigits(const char **text, uint32_t *length)
{
    const char *t = *text;
    uint32_t n = *length;
    if (n >= 3 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X') && t[2] == '\'') {
        t += 3;
        n -= 3;
        if (n && t[n - 1] == '\'')
            n--;
    }
    *text = t;
    *length = n;
}

static int ParseInt(const FmtFieldDef *f, const char *text, uint32_t n, uint64_t *value)
{
    char buf[32], again[32];
    if (n >= sizeof buf)
        return 0;
    memcpy(buf, text, n);
    buf[n] = 0;
    uint32_t w = EdValueWidth(f);
    char *end;
    if (ClassOf(f->type) == VC_SIGNED) {
        long long v = strtoll(buf, &end, 10);
        if (*end || end == buf)
            return 0;
        if (w == 8) snprintf(again, sizeof again, "%lld", v);
        else if (w == 4) snprintf(again, sizeof again, "%d", (int32_t)v);
        else if (w == 2) snprintf(again, sizeof again, "%hd", (short)v);
        else snprintf(again, sizeof again, "%hd", (short)(signed char)v);
        *value = (uint64_t)v;
    } else {
        unsigned long long v = strtoull(buf, &end, 10);
        if (*end || end == buf)
            return 0;
        if (w == 8) snprintf(again, sizeof again, "%llu", v);
        else if (w == 4) snprintf(again, sizeof again, "%u", (uint32_t)v);
        else if (w == 2) snprintf(again, sizeof again, "%hu", (unsigned short)v);
        else snprintf(again, sizeof again, "%hu", (unsigned short)(unsigned char)v);
        *value = v;
    }
    return strcmp(buf, again) == 0;
}

static int ParseHex(const FmtFieldDef *f, const char *text, uint32_t n, uint64_t *value)
{
    if (f->type == FT_ENCODING)
        HexDigits(&text, &n);
    if (!n || n > 2 * EdValueWidth(f))
        return 0;
    uint64_t v = 0;
    for (uint32_t i = 0; i < n; i++) {
        const char *d = strchr("0123456789ABCDEF", text[i] >= 'a' && text[i] <= 'f' ? text[i] - 32 : text[i]);
        if (!d || !text[i])
            return 0;
        v = v << 4 | (uint64_t)(d - "0123456789ABCDEF");
    }
    *value = v;
    return 1;
}

static int ParseFloat(const FmtFieldDef *f, const char *text, uint32_t n, double *value)
{
    char buf[40], again[80];
    if (n >= sizeof buf)
        return 0;
    memcpy(buf, text, n);
    buf[n] = 0;
    char *end;
    double v = strtod(buf, &end);
    if (*end || end == buf)
        return 0;
    FapFormatFloat(v, again, f->digits);
    *value = v;
    return strcmp(buf, again) == 0;
}

/* A time stamp's text: read in UTC or local time as the field shows it. */
static int ParseTime(const FmtFieldDef *f, const char *text, uint32_t n, int64_t *value)
{
    int64_t t;
    if (!FapParseTime64(&t, f->digits | 1, 0, text, n))
        return 0;
    if (!(f->digits & 1)) {
        char shown[40];                 /* local: move by the offset the formatter applies */
        int64_t back;
        for (int i = 0; i < 2; i++) {
            FapFormatTime64(t, f->digits, shown);
            if (!FapParseTime64(&back, f->digits | 1, 0, shown, (uint32_t)strlen(shown)))
                return 0;
            int64_t want;
            FapParseTime64(&want, f->digits | 1, 0, text, n);
            t += want - back;
        }
    }
    if (f->type == FT_TIME32 && (t < INT32_MIN || t > INT32_MAX))
        return 0;
    *value = t;
    return 1;
}

int EdValueTextValid(const LINEDATA *line, const char *text, uint32_t n)
{
    const FmtFieldDef *f = line ? line->field : nullptr;
    if (!f || !n || n > Limit(f))
        return 0;
    uint64_t u;
    double d;
    int64_t t;
    switch (ClassOf(f->type)) {
    case VC_SIGNED: case VC_UNSIGNED: return ParseInt(f, text, n, &u);
    case VC_HEX: return ParseHex(f, text, n, &u);
    case VC_FLOAT: return ParseFloat(f, text, n, &d);
    case VC_TIME: return ParseTime(f, text, n, &t);
    case VC_DECIMAL: return FapCheckNumber(f, text, n);
    }
    return 0;
}

int EdStoreValueText(PCFDATA *ed, LINEDATA *line, const char *text, uint32_t n)
{
    const FmtFieldDef *f = line->field;
    uint32_t w = EdValueWidth(f), at = line->lineOffset;
    CSDATA *b = line->buffer;
    if (!w || w > 64 || !b || at > b->length || w > b->length - at)
        return 0;
    unsigned char bytes[64];
    uint64_t u = 0;
    double d = 0;
    int64_t t = 0;
    int ebcdic = CSIsEbcdicCcsid((int)line->dataCcsid);
    uint32_t encoding = f->type == FT_INT_NORMAL ? 1 : line->encoding;
    switch (ClassOf(f->type)) {
    case VC_SIGNED: case VC_UNSIGNED:
        if (!ParseInt(f, text, n, &u))
            return 0;
        EdPutInt(bytes, w, u, encoding);
        break;
    case VC_HEX:
        if (!ParseHex(f, text, n, &u))
            return 0;
        EdPutInt(bytes, w, u, encoding);
        break;
    case VC_FLOAT:
        if (!ParseFloat(f, text, n, &d))
            return 0;
        EdPutFloat(bytes, w, d, encoding);
        break;
    case VC_TIME:
        if (!ParseTime(f, text, n, &t))
            return 0;
        EdPutInt(bytes, w, (uint64_t)t, 2);     /* the formatter reads them little-endian */
        break;
    case VC_DECIMAL: {
        uint32_t made = f->type == FT_ZONED ? FapParseZoned(f, text, n, ebcdic, bytes)
                        : f->type == FT_DIGITS ? FapParseDigits(f, text, n, ebcdic, bytes)
                                               : FapParseDecimal(f, text, n, ebcdic, bytes);
        if (made != w)
            return 0;
        break;
    }
    }
    return EdReplaceBytes(ed, b, at, bytes, w);
}

int EdSetFieldValue(PCFDATA *ed, LINEDATA *line, const char *text, int force)
{
    uint32_t n = (uint32_t)strlen(text);
    if (line->field && (line->field->flags & EF_FIELD_DEFERRED) && !force) {
        EdSetPending(ed, 1);
        ed->deferred = 1;
        return 1;
    }
    if (!EdValueTextValid(line, text, n)) {
        if (!n)
            EdSetStatus(ed, emptyValue);
        EdSetPending(ed, 1);
        return 0;
    }
    if (!EdStoreValueText(ed, line, text, n))
        return 0;
    EdSetPending(ed, 0);
    return 1;
}

/* ---- the typing buffer ---- */

/* The text being typed: the shown value when typing starts. */
static int StartText(PCFDATA *ed, const LINEDATA *l)
{
    if (ed->typing && ed->typed.data)
        return 1;
    int32_t n = l->valueLength;
    if (!l->text || l->valueColumn + n > (int32_t)l->textLength)
        n = l->text && l->textLength > l->valueColumn ? l->textLength - l->valueColumn : 0;
    if (!CSDataSet(&ed->typed, l->text ? l->text + l->valueColumn : "", n, 64))
        return 0;
    ed->typed.data[n] = 0;
    return 1;
}

/* The text's new form is taken when it fits; the cursor follows it. */
static int PutText(PCFDATA *ed, EdFieldAt *at, const char *text, uint32_t n, uint32_t column)
{
    LINEDATA *l = at->line;
    if (!CSDataSet(&ed->typed, text, n, 64)) {
        EdSetErrorText(ed, edNoMemory);
        return 0;
    }
    ed->typed.data[n] = 0;
    ed->cursor.valueColumn = (uint8_t)(column > 255 ? 255 : column);
    ed->cursor.column = l->valueColumn + (int32_t)ed->cursor.valueColumn;
    ed->cursor.overflow = (int8_t)((int32_t)n > l->valueLength ? n - (uint32_t)l->valueLength : 0);
    ed->rememberedColumn = ed->cursor.column;
    char copy[64];
    memcpy(copy, text, n);
    copy[n] = 0;
    int stored = EdSetFieldValue(ed, l, copy, 0);
    if (!stored && ed->status[0] && strcmp(ed->status, emptyValue) != 0)
        return 0;                       /* the value could not be written */
    ed->status[0] = 0;
    return 1;
}

/* The typing text begun for the line (n characters) and the cursor's
 * index k in it; 0 (the status text set) without storage. */
static int TypedAtCursor(PCFDATA *ed, const LINEDATA *l, uint32_t *n, uint32_t *k)
{
    if (!StartText(ed, l)) {
        EdSetErrorText(ed, edNoMemory);
        return 0;
    }
    *n = (uint32_t)strlen((const char *)ed->typed.data);
    *k = ed->cursor.column > l->valueColumn ? (uint32_t)(ed->cursor.column - l->valueColumn) : 0;
    return 1;
}

int EdTypeValue(PCFDATA *ed, EdFieldAt *at, const char *text, uint32_t length, int insert)
{
    LINEDATA *l = at->line;
    const FmtFieldDef *f = l->field;
    if (!f || !EdValueWidth(f)) {
        EdSetErrorText(ed, edNotAtField);
        return 0;
    }
    if (length && (text[0] == '\r' || text[0] == '\n')) {
        if (!(ed->typing && ed->deferred)) {
            EdSetErrorText(ed, "Newline character is not valid for this type of field");
            return 0;
        }
        if (EdSetFieldValue(ed, l, (const char *)ed->typed.data, 1))
            return 1;
        if (ed->typed.data[0])
            EdSetErrorText(ed, badNumber);
        return 0;
    }
    const char *allowed = Characters(ClassOf(f->type));
    for (uint32_t i = 0; i < length; i++)
        if (!text[i] || !strchr(allowed, text[i])) {
            EdSetErrorText(ed, edBadChar);
            return 0;
        }
    uint32_t n, k;
    if (!TypedAtCursor(ed, l, &n, &k))
        return 0;
    char now[64];
    if (k > n)
        k = n;
    uint32_t keep = insert ? n - k : (n - k > length ? n - k - length : 0);
    uint32_t total = k + length + keep;
    if (total > Limit(f) || total >= sizeof now) {
        EdSetErrorText(ed, "The current field is full");
        return 0;
    }
    memcpy(now, ed->typed.data, k);
    memcpy(now + k, text, length);
    memcpy(now + k + length, ed->typed.data + n - keep, keep);
    return PutText(ed, at, now, total, k + length);
}

int EdDeleteValue(PCFDATA *ed, EdFieldAt *at, int count, int backward)
{
    LINEDATA *l = at->line;
    if (!l->field || !EdValueWidth(l->field)) {
        EdSetErrorText(ed, edNotAtField);
        return 0;
    }
    uint32_t n, k;
    if (!TypedAtCursor(ed, l, &n, &k))
        return 0;
    char now[64];
    if (n >= sizeof now)
        n = sizeof now - 1;
    uint32_t c = (uint32_t)count;
    if (backward) {
        if (k < c) {
            EdSetErrorText(ed, "Cannot delete before the start of data");
            return 0;
        }
        k -= c;
    }
    if (k >= n || c > n - k) {
        EdSetErrorText(ed, n ? "Cannot delete beyond end of data" : "There is no data to delete");
        return 0;
    }
    memcpy(now, ed->typed.data, k);
    memcpy(now + k, ed->typed.data + k + c, n - k - c);
    return PutText(ed, at, now, n - c, k);
}
