/* Message summaries: the one-line text of a message list's summary column,
 * from the fields a user format marks "summary" or, by the message's
 * format, from its dead-letter, transmission or PCF header.  Every text is
 * cut to the value area the list gives the column. */
#include "ufint.h"
#include "../fmtint.h"
#include "cscodepage.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>

/* The summary parameters of a list record. */
enum { PARM_ENCODING = 10014, PARM_CCSID = 10015, PARM_FORMAT = 10016 };

void UFTextAdd(UFTEXT *t, const char *text, size_t length)
{
    size_t room = t->size - t->length;
    if (length > room)
        length = room;
    memcpy(t->out + t->length, text, length);
    t->length += (uint32_t)length;
}

void UFTextPrintf(UFTEXT *t, const char *fmt, ...)
{
    char buffer[1200];
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(buffer, sizeof buffer, fmt, ap);
    va_end(ap);
    if (n > 0)
        UFTextAdd(t, buffer, (size_t)n < sizeof buffer ? (size_t)n : sizeof buffer - 1);
}

/* ---- user format summary fields ---- */

/* A field whose reference is a value table (not a length field). */
static int HasValueTable(const FmtFieldDef *f)
{
    if (!f->reference)
        return 0;
    switch (f->type) {
    case FT_TEXT_BYLEN: case FT_BYTES_BYLEN: case FT_STRUCT: case FT_COUNTED_ARRAY: case FT_DESC:
        return 0;
    case FT_CHARBP:
        return f->length != 0;
    }
    return 1;
}

static uint32_t DropLeadingBlank(char *out, uint32_t n)
{
    if (n && out[0] == ' ') {
        memmove(out, out + 1, n);
        n--;
    }
    return n;
}

uint32_t SummaryValueName(const FmtFieldDef *f, uint32_t ccsid, uint32_t encoding, const unsigned char *data,
                          char *out, uint32_t length)
{
    out[0] = 0;
    if (!HasValueTable(f))
        return 0;
    switch (f->type) {
    case FT_CHAR: case FT_CHARBP:
        return DropLeadingBlank(out, FapFormatEnum(ccsid, f, 1, data, length, out));
    case FT_FLOAT: case FT_DOUBLE: case FT_PACKED: case FT_UPACKED: case FT_ZONED: case FT_DIGITS: {
        char text[128];
        int valid = 1;
        uint32_t n = f->type == FT_FLOAT || f->type == FT_DOUBLE
            ? FapFormatFloat(FapGetFieldFloat(f, data, encoding), text, f->digits)
            : f->type == FT_ZONED ? FapFormatZoned(f, data, CSIsEbcdicCcsid((int)ccsid), text, &valid)
            : f->type == FT_DIGITS ? FapFormatDigits(f, data, CSIsEbcdicCcsid((int)ccsid), text, &valid)
            : FapFormatPacked(f, data, encoding, text);
        return valid ? DropLeadingBlank(out, FapFormatTextEnum(f, 1, text, n, out)) : 0;
    }
    }
    return FapFormatValueName(f, 1, FapGetFieldInt(f, data, encoding, 0), out, nullptr);
}

int64_t SummaryFieldInt(const unsigned char *data, const FmtStructRow *row, const UFMatchState *state)
{
    return FapGetFieldInt(row->field, data, UFStateEncoding(state),
                          CSIsEbcdicCcsid((int)UFStateCcsid(state)));
}

/* Text of a character field: trailing blanks and NULs off, in the display
 * code page. */
static void TextValue(UFTEXT *t, const unsigned char *p, uint32_t n, uint32_t ccsid, uint16_t type)
{
    const FmtCodepage *cp = FmtGetCodepage(ccsid);
    if (type == FT_CHARBP) {
        const unsigned char *z = (const unsigned char *)memchr(p, 0, n);
        if (z)
            n = (uint32_t)(z - p);
    }
    while (n && (p[n - 1] == 0 || p[n - 1] == cp->ch[CP_BLANK]))
        n--;
    char text[1024];
    if (n > sizeof text)
        n = sizeof text;
    memcpy(text, p, n);
    CSConvertCodepage((unsigned char *)text, (int)n, (int)ccsid, (int)UFPrefs()->displayCcsid, nullptr, nullptr);
    UFTextAdd(t, text, n);
}

static void RawValue(UFTEXT *t, const FmtFieldDef *f, const unsigned char *p, uint32_t present,
                     uint32_t size, uint32_t enc, uint32_t ccsid)
{
    static const char hex[] = "0123456789ABCDEF";
    switch (f->type) {
    case FT_HEX: case FT_BYTES_BYLEN:
        for (uint32_t i = 0; i < present && t->length + 2 <= t->size; i++) {
            char pair[2] = { hex[p[i] >> 4], hex[p[i] & 15] };
            UFTextAdd(t, pair, 2);
        }
        return;
    case FT_CHAR: case FT_TEXT_BYLEN: case FT_CHARBP:
        TextValue(t, p, present, ccsid, f->type);
        return;
    }
    if (present < size)
        return;                         /* the data does not hold the whole field */
    int64_t v = FapGetFieldInt(f, p, enc, CSIsEbcdicCcsid((int)ccsid));
    char text[128];
    int valid = 1;
    switch (f->type) {
    case FT_INT: case FT_INTH: UFTextPrintf(t, "%d", (int32_t)v); return;
    case FT_FLAGS8: case FT_FLAGS16: UFTextPrintf(t, "0x%hX", (unsigned short)v); return;
    case FT_FLAGS: UFTextPrintf(t, "0x%X", (uint32_t)v); return;
    case FT_SHORT: case FT_SHORTH: UFTextPrintf(t, "%hd", (short)v); return;
    case FT_INT64H: case FT_INT64: UFTextPrintf(t, "%lld", (long long)v); return;
    case FT_UINT: case FT_UINTH: UFTextPrintf(t, "%u", (uint32_t)v); return;
    case FT_UINT64: case FT_UINT64H: UFTextPrintf(t, "%llu", (unsigned long long)v); return;
    case FT_USHORT: case FT_USHORTH: UFTextPrintf(t, "%hu", (unsigned short)v); return;
    case FT_INT8: case FT_INT8H: UFTextPrintf(t, "%d", (int)(int8_t)v); return;
    case FT_UINT8: case FT_UINT8H: UFTextPrintf(t, "%u", (unsigned)(uint8_t)v); return;
    case FT_FLOAT: case FT_DOUBLE:
        FapFormatFloat(FapGetFieldFloat(f, p, enc), text, f->digits);
        break;
    case FT_PACKED: case FT_UPACKED: FapFormatPacked(f, p, enc, text); break;
    case FT_ZONED: FapFormatZoned(f, p, CSIsEbcdicCcsid((int)ccsid), text, &valid); break;
    case FT_DIGITS: FapFormatDigits(f, p, CSIsEbcdicCcsid((int)ccsid), text, &valid); break;
    default: UFTextAdd(t, "?", 1); return;
    }
    UFTextPrintf(t, "%s", text);
}

struct RefValue {
    const FmtFieldDef *field;
    int64_t value;
};

struct SumWalk {
    const UFMatchState *state;
    uint32_t encoding, ccsid;
    UFTEXT *text;
    int written;
    RefValue refs[32];          /* length and count fields read so far, newest last */
    uint32_t refCount;
};

static int FindRef(const SumWalk *w, const void *field, int64_t *value)
{
    for (uint32_t i = w->refCount; i-- > 0;)
        if (w->refs[i].field == field) {
            *value = w->refs[i].value;
            return 1;
        }
    return 0;
}

static void Summary(SumWalk *w, const FmtStructRow *row, const unsigned char *p, uint32_t present, uint32_t size)
{
    const FmtFieldDef *f = row->field;
    UFTEXT *t = w->text;
    UFTextPrintf(t, "%s(", f->name);
    if (present >= size || f->type == FT_HEX || f->type == FT_CHAR || f->type == FT_TEXT_BYLEN) {
        char name[512];
        char *end = name;
        uint32_t n = 0;
        if (present >= size) {
            n = SummaryValueName(f, w->ccsid, w->encoding, p, name, size);
            if (!n && f->dateLayout && UFFormatDateTime(w->ccsid, f, 1, p, &end))
                n = (uint32_t)(end - name);
        }
        if (n)
            UFTextAdd(t, name, n);
        else
            RawValue(t, f, p, present, size, w->encoding, w->ccsid);
    }
    UFTextAdd(t, ") ", 2);
    w->written = 1;
}

static int64_t WalkStruct(SumWalk *w, const FmtStructDef *def, const unsigned char *data, uint32_t length);

/* One row at p: its summary when marked; its size, or -1 when the
 * positions after it cannot be known. */
static int64_t Element(SumWalk *w, const FmtStructRow *row, const unsigned char *p, uint32_t avail)
{
    const FmtFieldDef *f = row->field;
    if (f->type == FT_STRUCT) {
        int before = w->written;
        w->written = 0;
        int64_t n = WalkStruct(w, (const FmtStructDef *)f->reference, p, avail);
        if (w->written && (row->flags & RF_UF_SUMMARY))
            UFTextAdd(w->text, " ", 1);
        w->written |= before;
        return n;
    }
    int64_t size = f->length;
    if (f->type == FT_TEXT_BYLEN || f->type == FT_BYTES_BYLEN || (f->type == FT_CHARBP && f->reference && !f->length)) {
        if (!FindRef(w, f->reference, &size) || size < 0)
            return -1;
        size += f->type == FT_BYTES_BYLEN ? f->length : 0;
    } else if (f->length == 0xFFFFFFFF) {
        size = avail;
    }
    uint32_t present = size < avail ? (uint32_t)size : avail;
    if ((f->flags & FF_REFERENCED) && present == size && w->refCount < 32)
        w->refs[w->refCount++] = { f, SummaryFieldInt(p, row, w->state) };
    if (row->flags & RF_UF_SUMMARY)
        Summary(w, row, p, present, (uint32_t)size);
    if (row->flags & RF_PAD4)
        size = (size + 3) & ~3ll;
    return size;
}

static int64_t WalkStruct(SumWalk *w, const FmtStructDef *def, const unsigned char *data, uint32_t length)
{
    uint64_t pos = 0;
    for (const FmtStructRow *row = def->rows; row && row->field; row++) {
        const FmtFieldDef *f = row->field;
        if (f->type == FT_DESC)
            continue;
        if (f->type == FT_ALIGN) {
            uint32_t a = f->length ? f->length : 1;
            pos = (pos + a - 1) / a * a;
            continue;
        }
        if (pos >= length)
            break;                      /* rows beyond the data */
        if (f->type == FT_COUNTED_ARRAY || f->type == FT_FIXED_ARRAY) {
            const FmtStructRow *elem = row + 1;
            if (!elem->field)
                break;
            int64_t count = f->length;
            if (f->type == FT_COUNTED_ARRAY && !FindRef(w, f->reference, &count))
                return -1;
            for (int64_t k = 0; k < count && pos < length; k++) {
                int64_t n = Element(w, elem, data + pos, (uint32_t)(length - pos));
                if (n < 0)
                    return -1;
                if (n == 0)
                    break;
                pos += (uint64_t)n;
            }
            row++;
            continue;
        }
        int64_t n = Element(w, row, data + pos, (uint32_t)(length - pos));
        if (n < 0)
            return -1;
        pos += (uint64_t)n;
    }
    return (int64_t)(pos < length ? pos : length);
}

int StructSummaryFields(const FmtStructDef *def, const UFMatchState *state, const unsigned char *data,
                        uint32_t length, UFTEXT *text)
{
    SumWalk w = {};
    w.state = state;
    w.encoding = UFStateEncoding(state);
    w.ccsid = UFStateCcsid(state);
    w.text = text;
    WalkStruct(&w, def, data, length);
    while (text->length && text->out[text->length - 1] == ' ')
        text->length--;                 /* the text ends at the last ")" */
    return w.written && text->length;
}

/* ---- the column ---- */

UFTEXT UFValueText(const MSGSUMCTX *ctx, unsigned char *value)
{
    UFTEXT t = { (char *)value + 4, ctx->valueSize ? ctx->valueSize : 1024, 0 };
    if (t.size > 0xFFFF)
        t.size = 0xFFFF;
    return t;
}

int UFSetValueLength(unsigned char *value, const UFTEXT *t)
{
    uint16_t n = (uint16_t)t->length;
    memcpy(value + 2, &n, 2);
    return n != 0;
}

int UserFormatSummary(const MSGSUMCTX *ctx, UFMatchState *state, const MSGRECORD *msg, unsigned char *value)
{
    if (!(UFOptions() & UF_OPT_SUMMARY))
        return 0;
    FmtStructDef *def = UFFindFormat(1, ctx->queue, ctx->queueLength, msg->data, msg->length, state);
    if (!def || !(def->kind & RF_UF_SUMMARY))
        return 0;
    UFTEXT t = UFValueText(ctx, value);
    if (!StructSummaryFields(def, state, msg->data, msg->length, &t))
        return 0;
    return UFSetValueLength(value, &t);
}

/* The three values; 0 when one is missing or a parameter does not fit. */
static int ListValues(const unsigned char *parms, uint32_t parmsLength, int32_t count, int32_t *encoding,
                      int32_t *ccsid, char *format)
{
    int found = 0;
    uint32_t at = 0;
    for (int32_t i = 0; i < count && found != 7 && parmsLength - at >= 12; i++) {
        int32_t type, length, id;
        memcpy(&type, parms + at, 4);
        memcpy(&length, parms + at + 4, 4);
        memcpy(&id, parms + at + 8, 4);
        if (length < 12 || (uint32_t)length > parmsLength - at)
            break;
        const unsigned char *p = parms + at;
        if (type == 3 && length >= 16 && (id == PARM_ENCODING || id == PARM_CCSID)) {
            memcpy(id == PARM_ENCODING ? encoding : ccsid, p + 12, 4);
            found |= id == PARM_ENCODING ? 1 : 2;
        } else if (type == 4 && length >= 20 && id == PARM_FORMAT) {
            int32_t n;
            memcpy(&n, p + 16, 4);
            if (n < 0 || n > length - 20)
                break;
            memset(format, ' ', 8);
            memcpy(format, p + 20, n < 8 ? (size_t)n : 8);
            found |= 4;
        }
        at += (uint32_t)length;
    }
    return found == 7;
}

int MessageSummaryText(const MSGSUMCTX *ctx, const unsigned char *parms, uint32_t parmsLength,
                       int32_t parmCount, const MSGRECORD *msg, unsigned char *value)
{
    if (parmCount <= 0 || !parms)
        return 0;
    int32_t encoding = 0, ccsid = 0;
    char format[8];
    if (!ListValues(parms, parmsLength, parmCount, &encoding, &ccsid, format))
        return 0;
    return MessageSummaryFor(ctx, encoding, ccsid, format, msg, value);
}

int MessageSummaryFor(const MSGSUMCTX *ctx, int32_t encoding, int32_t ccsid, const char format[8],
                      const MSGRECORD *msg, unsigned char *value)
{
    if ((ctx->options1 | ctx->options2) & MSGSUM_SUPPRESS)
        return 0;
    MSGRECORD data = *msg;
    if (!data.data)
        data.length = 0;
    UFMatchState state = {};
    UFStateFor(&state, format, (uint32_t)encoding, (uint32_t)ccsid, ctx->queue, ctx->queueLength);
    if (UserFormatSummary(ctx, &state, &data, value))
        return 1;
    static const struct {
        const char *format;
        int (*summary)(const MSGSUMCTX *, uint32_t, uint32_t, const MSGRECORD *, unsigned char *);
    } byFormat[] = {
        { "MQEVENT ", PCFSummary }, { "MQADMIN ", PCFSummary }, { "MQPCF   ", PCFSummary },
        { "MQXMIT  ", XmitSummary }, { "MQDEAD  ", DeadLetterSummary },
    };
    for (auto &b : byFormat)
        if (memcmp(format, b.format, 8) == 0)
            return b.summary(ctx, (uint32_t)ccsid, (uint32_t)encoding, &data, value);
    return 0;
}
