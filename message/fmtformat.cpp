/* The structure formatter: walks a structure definition over a byte
 * buffer and hands one display line at a time to the caller's sink.
 * Every length, count and offset read from the data is checked against
 * the data before anything it points at is read. */
#include "fmtint.h"
#include "csmem.h"
#include "cstext.h"
#include "userfmt.h"
#include <atomic>
#include <cstdio>

extern FmtStructDef FmtDefMQTM;

/* ---- line emission ---- */

uint32_t FmtPrefix(const FmtLineRec *lr, char *out, uint32_t dataOffset)
{
    if (!(lr->flags & LR_OFFSET_PREFIX))
        return 0;
    /* "+%8.8X " or "+%8u " */
    char *p = out;
    *p++ = '+';
    p = (lr->options & LO_HEX_OFFSETS) ? FmtPutHex(p, dataOffset, 8) : FmtPutUDecWidth(p, dataOffset, 8);
    *p++ = ' ';
    *p = 0;
    return (uint32_t)(p - out);
}

static uint32_t VEmit(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                      uint32_t lineFlags, const char *fmt, va_list ap)
{
    uint32_t n = FmtPrefix(lr, lr->text, lr->dataOffset);
    int m = vsnprintf(lr->text + n, FMT_LINE_BUFFER - n, fmt, ap);
    if (m < 0)
        m = 0;
    n += (uint32_t)m < FMT_LINE_BUFFER - n ? (uint32_t)m : FMT_LINE_BUFFER - n - 1;
    lr->lineFlags = lineFlags;
    return FmtEmit(lr, sink, context, n);
}

uint32_t FmtEmitText(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                     uint32_t lineFlags, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    uint32_t rc = VEmit(lr, sink, context, lineFlags, fmt, ap);
    va_end(ap);
    return rc;
}

uint32_t FmtMarker(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                   const unsigned char *at, const char *fmt, ...)
{
    lr->field = nullptr;
    lr->lineClass = 0;
    lr->dataOffset = FmtOffsetOf(lr, at);
    lr->fieldLength = lr->valueBytes = 0;
    va_list ap;
    va_start(ap, fmt);
    uint32_t rc = VEmit(lr, sink, context, LF_MARKER, fmt, ap);
    va_end(ap);
    return rc;
}

/* ---- helpers of the walk ---- */

static uint32_t Detail(const FmtLineRec *lr) { return lr->flags & 0xFF; }

static uint32_t Bound(const FmtWalkFrame *fr)
{
    if (!fr->hasLength)
        return fr->remaining;
    uint64_t used = (uint64_t)(fr->cur - fr->start);
    if (fr->strucLength <= used)
        return 0;
    uint64_t rest = fr->strucLength - used;
    return rest < fr->remaining ? (uint32_t)rest : fr->remaining;
}

static void Advance(FmtWalkFrame *fr, uint32_t n)
{
    if (n > fr->remaining)
        n = fr->remaining;
    fr->cur += n;
    fr->remaining -= n;
}

/* Keeps the value of a length or count field as it was read: its row's
 * laid-out offset is wrong when a field of varying length comes before. */
static void KeepRefValue(FmtWalkFrame *fr, const FmtFieldDef *f, int64_t v)
{
    uint32_t i = fr->refCount++ % 4;
    fr->refField[i] = f;
    fr->refValue[i] = v;
}

int FmtRefValue(FmtLineRec *lr, FmtWalkFrame *frame, const FmtFieldDef *f,
                int64_t *value)
{
    if (f && (f->flags & FF_REFERENCED))
        for (FmtWalkFrame *fr = frame; fr; fr = fr->parent)
            for (uint32_t i = 0; i < fr->refCount && i < 4; i++)
                if (fr->refField[i] == f) {
                    *value = fr->refValue[i];
                    return 1;
                }
    for (FmtWalkFrame *fr = frame; fr; fr = fr->parent) {
        for (const FmtStructRow *row = fr->def->rows; row && row->field; row++) {
            if (row->field != f)
                continue;
            const unsigned char *p = fr->start + row->offset;
            uint32_t size = FmtReadSize(f);
            if (p < lr->dataStart || p + size > lr->dataEnd || p + size < p)
                return 0;
            *value = FapGetFieldInt(f, p, fr->encoding, fr->ebcdic);
            return 1;
        }
    }
    return 0;
}

static void SetCcsid(FmtWalkFrame *fr, uint32_t ccsid)
{
    fr->ccsid = ccsid;
    fr->ebcdic = CSIsEbcdicCcsid((int)ccsid);
    fr->cp = FmtGetCodepage(ccsid);
}

/* A structure's frame at its start.  Every field but the value cache,
 * which refCount guards: no block clear for each of the many small
 * structures of a PCF message. */
static void StartFrame(FmtWalkFrame *fr, const FmtMsgInfo *msg, const FmtStructDef *def,
                       FmtWalkFrame *parent, const unsigned char *data, uint32_t remaining)
{
    fr->parent = parent;
    fr->def = def;
    fr->start = fr->cur = fr->extent = data;
    fr->remaining = remaining;
    fr->strucLength = fr->hasLength = 0;
    fr->encoding = (def->kind & SK_PARENT_ENCODING) && parent ? parent->encoding : msg->encoding;
    if (parent && parent->ccsid == msg->ccsid) {
        fr->ccsid = parent->ccsid;
        fr->ebcdic = parent->ebcdic;
        fr->cp = parent->cp;
    } else {
        SetCcsid(fr, msg->ccsid);
    }
    fr->nextEncoding = fr->nextCcsid = 0;
    fr->rowIndex = fr->element = fr->count = fr->stop = fr->headingShown = fr->nameValCcsid = 0;
    fr->repeatStart = nullptr;
    fr->refCount = 0;
    fr->depth = parent ? parent->depth + 1 : 0;
    fr->bodyKind = msg->bodyKind;
}

static uint32_t ResolveCcsid(const FmtLineRec *lr, const FmtWalkFrame *fr,
                             uint32_t value)
{
    switch (value) {
    case 0xFFFFFFFC: return lr->displayCcsid ? lr->displayCcsid : 850;
    case 0xFFFFFFFD: return 850;
    case 0xFFFFFFFE: return fr->ccsid;
    case 0:
        if ((fr->def->kind & SK_PCF_PARM) && fr->parent)
            return fr->parent->ccsid;
        return lr->displayCcsid ? lr->displayCcsid : fr->ccsid;
    default: return value;
    }
}

static uint32_t NameWidth(FmtStructDef *def)
{
    if (!def->nameWidth) {
        uint32_t w = 0;
        for (const FmtStructRow *row = def->rows; row && row->field; row++) {
            uint32_t n = (uint32_t)strlen(row->field->name);
            if (n > w)
                w = n;
        }
        w += 1;
        def->nameWidth = w < 14 ? 14 : w;
    }
    return def->nameWidth;
}

/* The label column; with build 0 (no text wanted) only its width, the
 * text left empty. */
static uint32_t Label(const FmtLineRec *lr, const FmtWalkFrame *fr,
                      const FmtFieldDef *f, int element, char *out, int build = 1)
{
    uint32_t w = fr->def->nameWidth;
    int n;
    if (!build && element <= 0 && !(lr->flags & LR_RUN_OFFSET)) {
        uint32_t len = f->name[0] == '!' ? 0 : f->nameLength ? f->nameLength : (uint32_t)strlen(f->name);
        uint32_t k = len > w - 1 ? len : w - 1;
        out[0] = 0;
        return k + 1 < 127 ? k + 1 : 127;
    }
    if (element > 0) {
        char name[96];
        int digits = 1;
        for (uint32_t c = fr->count; c >= 10; c /= 10)
            digits++;
        char num[16];
        int len = snprintf(num, sizeof num, "%d", element);
        snprintf(name, sizeof name, "%.60s [%.*s%s]", f->name, digits > len ? digits - len : 0,
                 "          ", num);
        n = snprintf(out, 128, "%-*s:", (int)w - 1, name);
    } else {
        /* "%-*s:" cut at 127 characters */
        uint32_t len = f->name[0] == '!' ? 0 : f->nameLength ? f->nameLength : (uint32_t)strlen(f->name);
        uint32_t k = len < 127 ? len : 127;
        FmtPutMem(out, f->name, k);
        uint32_t column = w - 1 < 127 ? w - 1 : 127;
        if (k < column) {
            FmtPutFill(out + k, ' ', column - k);
            k = column;
        }
        if (k < 127)
            out[k++] = ':';
        out[k] = 0;
        n = (int)k;
    }
    if (n > 127)                        /* a longer name is cut at the column's end */
        n = 127;
    if (lr->flags & LR_RUN_OFFSET)
        n += snprintf(out + n, 32, " {+%3.3X}:", (unsigned)(fr->cur - fr->start));
    return (uint32_t)n;
}

/* "%s %s": the label and the value (lengths when known, else -1). */
static uint32_t FieldLine(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                          const char *label, const char *value, int labelLength = -1,
                          int valueLength = -1)
{
    if (FmtNoText(lr)) {
        lr->lineFlags = 0;
        return FmtEmit(lr, sink, context, 0);
    }
    char *p = FmtLineStart(lr);
    p = labelLength < 0 ? FmtPutStr(p, label) : FmtPutMem(p, label, (size_t)labelLength);
    *p++ = ' ';
    p = valueLength < 0 ? FmtPutStr(p, value) : FmtPutMem(p, value, (size_t)valueLength);
    return FmtLineEnd(lr, sink, context, 0, p);
}

static void SetLine(FmtLineRec *lr, const FmtWalkFrame *fr, const FmtFieldDef *f,
                    uint32_t length, uint32_t labelWidth)
{
    lr->field = f;
    lr->lineClass = 0;
    lr->structOffset = (uint32_t)(fr->cur - fr->start);
    lr->dataOffset = lr->valueOffset = FmtOffsetOf(lr, fr->cur);
    lr->fieldLength = lr->valueBytes = length;
    lr->prefixLength = labelWidth;
    lr->frame = (FmtWalkFrame *)fr;
}

/* The heading's text after its byte count: " bytes] " and the title, then
 * " - (name)" with the nested row's name unless one is the other's stem.
 * Returns the new end. */
static char *HeadingTail(const FmtStructDef *def, const FmtStructRow *nested, char *p)
{
    p = FmtPutStr(p, " bytes] ");
    size_t t = strlen(def->title);
    p = FmtPutMem(p, def->title, t);
    if (nested && nested->field->name[0] != '!') {
        const FmtFieldDef *f = nested->field;
        int n = f->nameLength ? (int)f->nameLength : (int)strlen(f->name);
        while (n && (f->name[n - 1] == ':' || f->name[n - 1] == ' '))
            n--;
        size_t m = (size_t)n < t ? (size_t)n : t;
        if (memcmp(f->name, def->title, m))         /* not one the other's stem */
        {
            p = FmtPutMem(FmtPutMem(p, " - (", 4), nested->field->name, (size_t)n);
            *p++ = ')';
        }
    }
    return p;
}

static uint32_t Heading(FmtMsgInfo *msg, FmtWalkFrame *fr, FmtLineRec *lr,
                        FmtLineSink sink, uint64_t context)
{
    (void)msg;
    const FmtStructDef *def = fr->def;
    fr->headingShown = 1;
    if (!def->title[0] || def->title[0] == '!')
        return 0;
    uint32_t level = def->kind & 0xFF, detail = Detail(lr);
    int top = fr->parent == nullptr;
    if (level == 0 ? (!top && detail <= 1) : detail < level)
        return 0;
    if ((def->kind & SK_AT_PARENT_POS) && fr->parent && fr->parent->repeatStart != fr->start)
        return 0;
    lr->field = nullptr;
    lr->lineClass = 0;
    lr->dataOffset = FmtOffsetOf(lr, fr->start);
    lr->structOffset = 0;
    if (lr->options & LO_PLAIN)
        return FmtEmitText(lr, sink, context, LF_HEADING, "%s", def->title);
    if (FmtNoText(lr)) {
        lr->lineFlags = LF_HEADING;
        return FmtEmit(lr, sink, context, 0);
    }
    /* "[%5u bytes] %s", then " - (%.*s)" with the nested row's name */
    char *p = FmtLineStart(lr);
    *p++ = '[';
    p = FmtPutUDecWidth(p, fr->remaining, 5);
    return FmtLineEnd(lr, sink, context, LF_HEADING, HeadingTail(def, lr->nestedRow, p));
}

/* "End of structure '%s' (%u bytes)" */
static uint32_t EndLine(FmtLineRec *lr, FmtLineSink sink, uint64_t context, const char *title,
                        uint32_t bytes)
{
    if (FmtNoText(lr)) {
        lr->lineFlags = LF_HEADING;
        return FmtEmit(lr, sink, context, 0);
    }
    char *p = FmtPutStr(FmtPutMem(FmtLineStart(lr), "End of structure '", 18), title);
    p = CSPutUDec(FmtPutMem(p, "' (", 3), bytes);
    return FmtLineEnd(lr, sink, context, LF_HEADING, FmtPutMem(p, " bytes)", 7));
}

/* ---- value text of the simple types ---- */

static uint32_t EncodingName(uint32_t v, char *out)
{
    static const struct { uint32_t mask; } parts[] = { {0xF}, {0xF0}, {0xF00} };
    uint32_t n = 0;
    out[0] = 0;
    for (auto &part : parts) {
        uint32_t bits = v & part.mask;
        if (!bits)
            continue;
        const FmtValueName *vn = FmtVnEncodingInt;
        while (vn->name && vn->value != bits)
            vn++;
        n += (uint32_t)snprintf(out + n, 64, "%s%s", n ? ", " : " (",
                                vn->name ? vn->description : "Undefined");
    }
    if (n)
        n += (uint32_t)snprintf(out + n, 4, ")");
    return n;
}

/* The value text of an integer field, as "%d", "%8.8X", "%hu [0x'%hX']" ... */
static int64_t IntValue(const FmtFieldDef *f, const unsigned char *p, const FmtWalkFrame *fr)
{
    if (f->type == FT_INT || f->type == FT_INTH)      /* the common case, as FapGetFieldInt reads it */
        return (int32_t)FmtRd32(p, fr->encoding);
    return FapGetFieldInt(f, p, f->type == FT_INT_NORMAL ? 1 : fr->encoding, fr->ebcdic);
}

static uint32_t IntText(const FmtFieldDef *f, const unsigned char *p,
                        const FmtWalkFrame *fr, char *out, int64_t v)
{
    char *o = out;
    uint64_t hex;                       /* the value of a " [0x'%X']" suffix */
    switch (f->type) {
    case FT_INT: case FT_INT_NORMAL: case FT_BYTE: case FT_REC_OFFSET:
        o = CSPutDec(o, (int32_t)v);
        break;
    case FT_FLAGS8: o = FmtPutHex(o, (uint32_t)v, 2); break;
    case FT_FLAGS: o = FmtPutHex(o, (uint32_t)v, 8); break;
    case FT_FLAGS16: o = FmtPutHex(o, (uint32_t)v, 4); break;
    case FT_SHORT: case FT_INT8: o = CSPutDec(o, (short)v); break;
    case FT_USHORT: case FT_UINT8: o = CSPutUDec(o, (unsigned short)v); break;
    case FT_UINT: o = CSPutUDec(o, (uint32_t)v); break;
    case FT_INT64: o = CSPutDec(o, v); break;
    case FT_UINT64: o = CSPutUDec(o, (uint64_t)v); break;
    case FT_SHORTH: case FT_INT8H: case FT_USHORTH: case FT_UINT8H: case FT_UINTH: case FT_INTH:
    case FT_INT64H: case FT_UINT64H:
        switch (f->type) {
        case FT_SHORTH: o = CSPutDec(o, (short)v); hex = (unsigned short)v; break;
        case FT_INT8H: o = CSPutDec(o, (short)v); hex = (unsigned)(v & 0xFF); break;
        case FT_USHORTH: o = CSPutUDec(o, (unsigned short)v); hex = (unsigned short)v; break;
        case FT_UINT8H: o = CSPutUDec(o, (unsigned short)v); hex = (unsigned)v; break;
        case FT_UINTH: o = CSPutUDec(o, (uint32_t)v); hex = (uint32_t)v; break;
        case FT_INTH: o = CSPutDec(o, (int32_t)v); hex = (uint32_t)v; break;
        case FT_INT64H: o = CSPutDec(o, v); hex = (uint64_t)v; break;
        default: o = CSPutUDec(o, (uint64_t)v); hex = (uint64_t)v; break;
        }
        o = FmtPutHex(FmtPutMem(o, " [0x'", 5), hex, 1);
        o = FmtPutMem(o, "']", 2);
        break;
    case FT_ENCODING: {
        uint32_t n = (uint32_t)sprintf(out, "0x'%X'", (uint32_t)v);
        return n + EncodingName((uint32_t)v, out + n);
    }
    case FT_POINTER:
        return (uint32_t)sprintf(out, "0x%16.16llX", (unsigned long long)FmtRd64(p, fr->encoding));
    default:
        return 0;
    }
    *o = 0;
    return (uint32_t)(o - out);
}

static int IsIntType(uint16_t t)
{
    switch (t) {
    case FT_INT: case FT_INT_NORMAL: case FT_BYTE: case FT_FLAGS8: case FT_FLAGS:
    case FT_FLAGS16: case FT_SHORT: case FT_INT8: case FT_SHORTH: case FT_INT8H:
    case FT_USHORT: case FT_UINT8: case FT_USHORTH: case FT_UINT8H: case FT_UINT:
    case FT_UINTH: case FT_INTH: case FT_INT64: case FT_INT64H: case FT_UINT64:
    case FT_UINT64H: case FT_ENCODING: case FT_POINTER:
        return 1;
    }
    return 0;
}

/* Types whose value is already bytes or text: no raw hex column. */
static int RawHexExcluded(uint16_t t)
{
    switch (t) {
    case FT_HEX: case FT_CHAR: case FT_TEXT_BYLEN: case FT_HEXDUMP: case FT_MSGDATA:
    case FT_PUTDATE: case FT_PUTTIME: case FT_BYTES_BYLEN:
        return 1;
    }
    return 0;
}

static int IsFlags(uint16_t t) { return t == FT_FLAGS || t == FT_FLAGS8 || t == FT_FLAGS16; }

/* ---- the row walk ---- */

struct Walk {
    FmtMsgInfo *msg;
    FmtWalkFrame *fr;
    FmtLineSink sink;
    uint64_t context;
    FmtLineRec *lr;
};

static uint32_t FormatRow(Walk &w, const FmtStructRow *row, int element,
                          int *skipNext);

static uint32_t Incomplete(Walk &w)
{
    uint32_t rc = FmtMarker(w.lr, w.sink, w.context, w.fr->cur, "** Field Incomplete **");
    return rc ? rc : FMT_RC_INCOMPLETE;
}

/* The condition of a PCF parameter on its own Type: one integer item on
 * the first field of the structure tested, answered as the full test would
 * answer it (100 holds, 0 fails, 200 outside the data); -1 for any other
 * condition list. */
static int FirstFieldTest(const FmtLineRec *lr, const FmtStructDef *def, const unsigned char *start,
                          uint32_t encoding, const FmtCondition *c)
{
    if (!c->field || c[1].field || c->field->type != FT_INT || !def->rows || def->rows[0].field != c->field)
        return -1;
    const unsigned char *p = start + def->rows[0].offset;
    if (p < lr->dataStart || p > lr->dataEnd || (uint64_t)(lr->dataEnd - p) < 4)
        return 200;
    int64_t v = (int32_t)FmtRd32(p, encoding);
    return v >= c->low && v <= c->high ? 100 : 0;
}

static uint32_t Nested(Walk &w, FmtStructDef *def, uint32_t length,
                       const FmtStructRow *row)
{
    FmtWalkFrame *fr = w.fr;
    /* A structure whose first row ends it when its Type does not hold (the
     * PCF parameters tried one after the other): not entered for data of
     * another type, which would show nothing and take nothing. */
    const FmtStructRow *first = def ? def->rows : nullptr;
    if (first && first->field && first->conditions && first->field->type != FT_COUNTED_ARRAY) {
        uint32_t enc = (def->kind & SK_PARENT_ENCODING) ? fr->encoding : w.msg->encoding;
        int c = FirstFieldTest(w.lr, def, fr->cur, enc, first->conditions);
        if (c == 200 || (c == 0 && (first->flags & RF_END_ON_FAIL)))
            return 0;
    }
    const unsigned char *p = fr->cur;
    uint32_t rem = length;
    const FmtStructRow *saved = w.lr->nestedRow;
    w.lr->nestedRow = row;
    uint32_t rc = FapFormatStructure(w.msg, def, fr, w.sink, w.context, w.lr, &rem, &p);
    w.lr->nestedRow = saved;
    Advance(fr, (uint32_t)(p - fr->cur));
    return rc;
}

/* After the headers of "Message Content": the rest by a user format that
 * its format name chooses, when the caller gave the user format state. */
static uint32_t BodyByFormatName(Walk &w, const FmtStructRow *row)
{
    FmtWalkFrame *fr = w.fr;
    const UFMatchState *given = (const UFMatchState *)w.lr->userFormats;
    if (!given || !(fr->def->kind & SK_CONTENT) || Bound(fr) == 0)
        return 0;
    UFMatchState st = *given;
    UFStateFor(&st, w.msg->format, w.msg->encoding, w.msg->ccsid, given->queue, given->queueLength);
    FmtStructDef *def = UFFindFormat(1, st.queue, st.queueLength, fr->cur, Bound(fr), &st);
    return def ? Nested(w, def, Bound(fr), row) : 0;
}

struct RecordPlan;
static RecordPlan *MakePlan(Walk &w, const FmtStructRow *elem);
static int PlanFits(const Walk &w, const RecordPlan *plan);
static void CountPlanned(uint64_t records);
static uint32_t PlanRecord(Walk &w, const RecordPlan *plan);

/* Counted and fixed arrays: the next row repeated. */
static uint32_t FormatArray(Walk &w, const FmtStructRow *row, int *skipNext)
{
    FmtWalkFrame *fr = w.fr;
    const FmtFieldDef *f = row->field;
    const FmtStructRow *elem = row + 1;
    *skipNext = 1;
    if (!elem->field)
        return 0;
    int64_t count = f->length;
    if (f->type == FT_COUNTED_ARRAY && !FmtRefValue(w.lr, fr, (const FmtFieldDef *)f->reference, &count))
        count = 0;
    if (count <= 0)
        return 0;
    /* the element's size, when it is known before reading */
    int64_t elemSize = elem->field->length;
    uint16_t et = elem->field->type;
    if (et == FT_TEXT_BYLEN || et == FT_BYTES_BYLEN) {
        if (!FmtRefValue(w.lr, fr, (const FmtFieldDef *)elem->field->reference, &elemSize) || elemSize < 0)
            elemSize = 0;
    } else if (et == FT_STRUCT || et == FT_REPEAT || et == FT_STRUCT_BYLEN) {
        const FmtStructDef *n = (const FmtStructDef *)elem->field->reference;
        elemSize = et == FT_STRUCT && n && (n->state & 9) == 1 ? n->size : 0;
    } else if (elemSize == 0xFFFFFFFF) {
        elemSize = 0;
    }
    /* "as many as the data holds" */
    int toEnd = f->type == FT_FIXED_ARRAY && f->length == 0xFFFFFFFF;
    if (toEnd && elemSize > 0)
        count = fr->remaining / elemSize;
    if (toEnd && count == 0)
        return 0;
    if (!toEnd && elemSize > 0 && count * elemSize > (int64_t)fr->remaining) {
        uint32_t rc = FmtMarker(w.lr, w.sink, w.context, fr->cur,
                                "Following length is larger than the available data");
        if (rc)
            return rc;
        count = fr->remaining / elemSize;
        if (count == 0)
            return Incomplete(w);
    }
    int unknown = toEnd && elemSize == 0;
    int byProgress = elemSize == 0 && (toEnd || et == FT_STRUCT);
    if (elemSize == 0 && !byProgress && count > 256)
        count = 256;
    if (Detail(w.lr) >= (elem->flags & 0xFF)) {
        SetLine(w.lr, fr, f, 0, 0);
        uint32_t rc = unknown ? FmtEmitText(w.lr, w.sink, w.context, 0, "%s array [1..*]", elem->field->name)
                              : FmtEmitText(w.lr, w.sink, w.context, 0, "%s array [1..%d]",
                                            elem->field->name, (int)count);
        if (rc)
            return rc;
    }
    fr->count = unknown ? 0 : (uint32_t)count;
    RecordPlan *plan = elemSize > 0 && count >= 4 ? MakePlan(w, elem) : nullptr;
    uint32_t rc = 0;
    uint64_t planCount = 0;
    for (int64_t i = 1; i <= count; i++) {
        int dummy;
        const unsigned char *before = fr->cur;
        fr->element = (uint32_t)i;
        w.lr->element = (uint32_t)i;
        int planned = PlanFits(w, plan);
        rc = planned ? PlanRecord(w, plan) : FormatRow(w, elem, (int)i, &dummy);
        planCount += (uint64_t)planned;
        if (rc)
            break;
        /* elements of unknown size end with the data or when one takes nothing */
        if (byProgress && (fr->cur == before || fr->remaining == 0))
            break;
    }
    if (plan) {
        CountPlanned(planCount);
        CSFreeMem(plan);
    }
    if (rc)
        return rc;
    fr->element = 0;
    return 0;
}

/* Size of a record whose rows are all unconditional, else 0. */
static int64_t FixedSize(const FmtStructDef *def)
{
    for (const FmtStructRow *row = def->rows; row && row->field; row++)
        if (row->conditions)
            return 0;
    return def->size;
}

/* Offset of a record array, with the count row that may follow it. */
static uint32_t FormatRecords(Walk &w, const FmtStructRow *row, int64_t offset,
                              int *skipNext)
{
    FmtWalkFrame *fr = w.fr;
    const FmtStructRow *next = row + 1;
    int64_t count = 1;
    if (next->field && next->field->type == FT_REC_COUNT) {
        *skipNext = 1;
        if (!FmtRefValue(w.lr, fr, (const FmtFieldDef *)next->field->reference, &count))
            count = 0;
    }
    if (offset == 0 || count <= 0)
        return 0;
    FmtStructDef *def = (FmtStructDef *)row->field->reference;
    int64_t avail = w.lr->dataEnd - fr->start;
    int64_t size = FixedSize(def);
    if (offset < 0 || offset > avail || (size > 0 && count * size > avail - offset))
        return FmtMarker(w.lr, w.sink, w.context, fr->cur, "Data Appears to be Incomplete");
    if (count > avail - offset)
        count = avail - offset;             /* each record takes at least a byte */
    const unsigned char *p = fr->start + offset;
    for (int64_t i = 0; i < count; i++) {
        uint32_t rem = (uint32_t)(w.lr->dataEnd - p);
        const unsigned char *q = p;
        w.lr->element = (uint32_t)(i + 1);
        uint32_t rc = FapFormatStructure(w.msg, def, fr, w.sink, w.context, w.lr, &rem, &q);
        if (rc)
            return rc;
        if (q == p)
            break;
        p = q;
        if (p > fr->extent)
            fr->extent = p;
    }
    return 0;
}

static uint32_t FormatCharv(Walk &w, const FmtFieldDef *f, const char *label)
{
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    const unsigned char *p = fr->cur;
    uint64_t ptr = FmtRd64(p, fr->encoding);
    int32_t off = (int32_t)FmtRd32(p + 8, fr->encoding);
    int32_t bufSize = (int32_t)FmtRd32(p + 12, fr->encoding);
    int32_t len = (int32_t)FmtRd32(p + 16, fr->encoding);
    int32_t ccsid = (int32_t)FmtRd32(p + 20, fr->encoding);
    uint32_t rc = FieldLine(lr, w.sink, w.context, label,
                            off == 0 && ptr == 0 ? "NULL" : "");
    if (rc)
        return rc;
    struct { uint32_t level; const char *fmt; long long v; } sub[] = {
        { 2, "   VSPtr     :0x%16.16llX", (long long)ptr },
        { 2, "   VSLength  :%lld", len }, { 3, "   VSOffset  :%lld", off },
        { 3, "   VSBufSize :%lld", bufSize }, { 3, "   VSCCSID   :%lld", ccsid } };
    for (auto &s : sub)
        if (Detail(lr) >= s.level && (rc = FmtEmitText(lr, w.sink, w.context, LF_CONTINUATION, s.fmt, s.v)))
            return rc;
    if (off == 0)
        return 0;                       /* pointers held in data are never followed */
    int64_t avail = lr->dataEnd - fr->start;
    if (off < 0 || off > avail || (len >= 0 && len > avail - off))
        return FmtMarker(lr, w.sink, w.context, p, "Data Appears to be Incomplete");
    const unsigned char *s = fr->start + off;
    uint32_t n = (uint32_t)len;
    if (len < 0) {                      /* null-terminated */
        const unsigned char *z = (const unsigned char *)memchr(s, 0, (size_t)(avail - off));
        n = z ? (uint32_t)(z - s) : (uint32_t)(avail - off);
    }
    const FmtCodepage *cp = FmtGetCodepage(ccsid > 0 ? (uint32_t)ccsid : fr->ccsid);
    rc = FmtQuotedLines(lr, w.sink, w.context, cp, 14, "   Value     :", s, n, "");
    if (rc)
        return rc;
    if ((lr->flags & LR_CHARV_FOLLOW) && s + n > fr->extent)
        fr->extent = s + ((n + 3) & ~3u) <= lr->dataEnd ? s + ((n + 3) & ~3u) : lr->dataEnd;
    (void)f;
    return 0;
}

/* Field length of a row: fixed, referenced or to the end of the structure. */
static int FieldLength(Walk &w, const FmtFieldDef *f, int64_t *length)
{
    FmtWalkFrame *fr = w.fr;
    switch (f->type) {
    case FT_TEXT_BYLEN: case FT_BYTES_BYLEN: {
        int64_t v = 0;
        if (!FmtRefValue(w.lr, fr, (const FmtFieldDef *)f->reference, &v))
            return 0;
        *length = v + (f->type == FT_BYTES_BYLEN ? f->length : 0);
        return 1;
    }
    case FT_CHARBP:
        if (f->reference && f->length == 0) {
            int64_t v = 0;
            if (!FmtRefValue(w.lr, fr, (const FmtFieldDef *)f->reference, &v))
                return 0;
            *length = v;
            return 1;
        }
        break;
    case FT_ALIGN: case FT_REC_COUNT: case FT_DESC:
        *length = 0;
        return 1;
    }
    *length = f->length == 0xFFFFFFFF ? Bound(fr) : f->length;
    return 1;
}

/* parm: the structure's parameter id when it was read already, else null */
static uint32_t ValueNameText(Walk &w, const FmtStructRow *row, int64_t v, char *out,
                              const int64_t *known = nullptr)
{
    const FmtFieldDef *f = row->field;
    uint32_t n = 0;
    if (f->reference && ((f->flags & FF_CCSID) == 0 || (f->flags & 0x2000)) && !IsFlags(f->type) &&
        f->type != FT_ENCODING && f->type != FT_REC_OFFSET)
        n = FapFormatValueName(f, 0, v, out, w.lr);
    if ((row->flags & RF_PCF_PARM_NAME) && FmtLinks.valueName) {
        int64_t parm;
        if (known ? (parm = *known, 1) : FmtRefValue(w.lr, w.fr, &FmtFieldParameterId, &parm)) {
            const char *name = FmtLinks.valueName((int32_t)parm, (int32_t)v);
            if (name) {                 /* " %s", at most 199 characters */
                size_t k = strlen(name);
                out[n] = ' ';
                memcpy(out + n + 1, name, k < 198 ? k : 198);
                n += 1 + (uint32_t)(k < 198 ? k : 198);
                out[n] = 0;
            }
        }
    }
    return n;
}

/* Capture after the value: encodings, CCSIDs, lengths, format names. */
static uint32_t Capture(Walk &w, const FmtStructRow *row, int64_t v)
{
    FmtWalkFrame *fr = w.fr;
    FmtMsgInfo *msg = w.msg;
    uint64_t fl = row->flags;
    if ((fl & RF_ENCODING_NEXT) && v != 0) {
        msg->encoding = (uint32_t)v;
        if (fl & RF_APPLY_NOW)
            fr->encoding = (uint32_t)v;
    }
    if (fl & (RF_CCSID_NEXT | RF_CCSID_OWN)) {
        uint32_t c = ResolveCcsid(w.lr, fr, (uint32_t)v);
        if (fl & RF_CCSID_NEXT) {
            msg->ccsid = c;
            msg->ebcdic = CSIsEbcdicCcsid((int)c);
        }
        if (fl & (RF_CCSID_OWN | RF_APPLY_NOW))
            SetCcsid(fr, c);
    }
    if (fl & RF_NAMEVAL_CCSID)
        fr->nameValCcsid = (uint32_t)v;
    if (fl & (RF_STRUCLEN | RF_LEN_SELF)) {
        int64_t len = v + ((fl & RF_LEN_SELF) ? 4 : 0);
        if (len < 0)
            len = 0;
        fr->strucLength = len > 0xFFFFFFFFll ? 0xFFFFFFFFu : (uint32_t)len;
        fr->hasLength = 1;
    }
    return 0;
}

/* A structure length that reaches past the data: the marker line before
 * the length's own line, whose line state is then set again. */
static uint32_t LengthBeyondData(Walk &w, const FmtStructRow *row, int64_t v, uint32_t len, uint32_t labelWidth)
{
    if (!(row->flags & (RF_STRUCLEN | RF_LEN_SELF)))
        return 0;
    int64_t need = v + ((row->flags & RF_LEN_SELF) ? 4 : 0);
    if (need <= (int64_t)(w.lr->dataEnd - w.fr->start))
        return 0;
    uint32_t rc = FmtMarker(w.lr, w.sink, w.context, w.fr->cur, "Following length is larger than the available data");
    SetLine(w.lr, w.fr, row->field, len, labelWidth);
    return rc;
}

static void RecordFormat(Walk &w, const unsigned char *p)
{
    FmtMsgInfo *msg = w.msg;
    const FmtCodepage *cp = w.fr->cp;
    for (int i = 0; i < 8; i++)
        msg->format[i] = (char)(cp->toAscii ? cp->toAscii[p[i]] : p[i]);
    uint32_t n = 8;
    while (n && (msg->format[n - 1] == ' ' || msg->format[n - 1] == 0))
        n--;
    msg->formatLength = n;
}

/* A value line followed by the date text of the field's date mask in the
 * column 25 places after the names. */
static uint32_t DateLine(Walk &w, const FmtFieldDef *f, const unsigned char *p, const char *fmt,
                         const char *label, const char *value, const char *suffix)
{
    char line[2048], date[96];
    char *end = date;
    int n = snprintf(line, sizeof line - 128, fmt, label, value, suffix);
    if (n < 0)
        n = 0;
    if (n > (int)sizeof line - 128)
        n = (int)sizeof line - 128;
    UFFormatDateTime(w.fr->ccsid, f, 0, p, &end);
    *end = 0;
    if (date[0]) {
        int column = (int)w.fr->def->nameWidth + 25;
        do
            line[n++] = ' ';
        while (n < column && n < (int)sizeof line - 100);
        n += snprintf(line + n, 96, "%s", date);
    }
    return FmtEmitText(w.lr, w.sink, w.context, 0, "%.*s", n, line);
}

/* A text field shown at its length, blanks and all: a field shorter than
 * 10 bytes ends at its first NUL, a longer one leaves out up to 4
 * trailing NULs. */
static uint32_t FieldTextLength(const unsigned char *p, uint32_t len)
{
    if (len < 10) {
        const unsigned char *z = (const unsigned char *)memchr(p, 0, len);
        return z ? (uint32_t)(z - p) : len;
    }
    for (int k = 0; k < 4 && len && !p[len - 1]; k++)
        len--;
    return len;
}

static uint32_t FormatText(Walk &w, const FmtStructRow *row, const char *label,
                           uint32_t labelWidth, const unsigned char *p, uint32_t len)
{
    const FmtFieldDef *f = row->field;
    FmtWalkFrame *fr = w.fr;
    char suffix[256];
    suffix[0] = 0;
    if (f->type == FT_CHARBP) {
        const unsigned char *z = (const unsigned char *)memchr(p, 0, len);
        if (z)
            len = (uint32_t)(z - p);
    }
    int table = f->reference && f->type != FT_TEXT_BYLEN && !(f->type == FT_CHARBP && f->length == 0);
    if (table || f->dateLayout) {
        char *t = w.lr->text + 2048;        /* scratch beyond any label */
        uint32_t n = f->type == FT_CODE1 ? len : FieldTextLength(p, len);
        if (n > 1024)
            n = 1024;
        FmtPrintable(t, p, n, fr->cp);
        t[n] = 0;
        w.lr->valueBytes = n;               /* the characters shown */
        if (table && f->type != FT_TEXT_BYLEN)
            FapFormatEnum(fr->ccsid, f, 0, p, len, suffix);
        if (f->dateLayout && f->type == FT_CHAR)
            return DateLine(w, f, p, "%s '%s'%s", label, t, suffix);
        return FmtEmitText(w.lr, w.sink, w.context, 0, "%s '%s'%s", label, t, suffix);
    }
    return FmtQuotedLines(w.lr, w.sink, w.context, fr->cp, labelWidth, label, p,
                          f->type == FT_TEXT_BYLEN ? len : FmtTextLength(p, len, fr->cp->ch[CP_BLANK]), suffix);
}

static uint32_t FormatBodyField(Walk &w, const FmtStructRow *row, const unsigned char *p,
                                uint32_t len)
{
    FmtMsgInfo *msg = w.msg;
    FmtLineRec *lr = w.lr;
    const FmtCodepage *cp = w.fr->cp;
    const FmtFieldDef *f = row->field;
    uint32_t rc;
    if (len == 0) {
        if (!(lr->options & LO_SHOW_EMPTY_END))
            return 0;
        SetLine(lr, w.fr, f, 0, 0);
        return FmtEmitText(lr, w.sink, w.context, 0, "%s :", f->name);
    }
    if (lr->flags & LR_XML_DETECT) {
        uint32_t i = 0;
        while (i < len && i < 10 && (p[i] == cp->ch[CP_BLANK] || p[i] == cp->ch[CP_TAB] ||
                                     p[i] == cp->ch[CP_CR] || p[i] == cp->ch[CP_LF]))
            i++;
        if (i < len && p[i] == cp->ch[CP_LT]) {
            uint32_t rem = len;
            const unsigned char *q = p;
            return FapFormatXml(msg, w.fr, w.sink, w.context, lr->dataStart, lr, 0, &rem, &q);
        }
    }
    static const char *const textFormats[] = { "MQSTR   ", "MQCMD1  ", "MQCMD2  " };
    int text = w.fr->bodyKind != 0 || lr->forcedBodyKind != 0;
    for (const char *tf : textFormats)
        text |= memcmp(msg->format, tf, 8) == 0;
    if (text)
        return FapFormatBody(msg, w.sink, w.context, lr->dataStart, lr, 0, 20, len, p);
    SetLine(lr, w.fr, f, len, 0);
    if ((rc = FmtEmitText(lr, w.sink, w.context, 0, "%s :", f->name)))
        return rc;
    return FapHexDump(lr, w.sink, w.context, p, len);
}

static uint32_t FormatXmlField(Walk &w, const FmtStructRow *row, const unsigned char *p,
                               uint32_t len)
{
    FmtLineRec *lr = w.lr;
    FmtMsgInfo *msg = w.msg;
    uint32_t savedCcsid = msg->ccsid, savedEbcdic = msg->ebcdic;
    uint32_t nv = 0;
    for (FmtWalkFrame *f = w.fr; f && !nv; f = f->parent)
        nv = f->nameValCcsid;
    if (nv) {
        msg->ccsid = nv;
        msg->ebcdic = CSIsEbcdicCcsid((int)nv);
    }
    uint32_t rc;
    lr->lineClass = 37;
    if (Detail(lr) >= 2) {
        uint32_t rem = len;
        const unsigned char *q = p;
        rc = FapFormatXml(msg, w.fr, w.sink, w.context, lr->dataStart, lr, 2, &rem, &q);
    } else {
        rc = FapOutputLine(msg, w.sink, w.context, lr->dataStart, len, lr, 2, 20, len, p);
    }
    msg->ccsid = savedCcsid;
    msg->ebcdic = savedEbcdic;
    (void)row;
    return rc;
}

static uint32_t FormatDecimal(Walk &w, const FmtFieldDef *f, const char *label, uint32_t labelWidth,
                              const unsigned char *p)
{
    char val[128];
    int valid = 1;
    uint32_t length;
    const char *kind = "Packed";
    switch (f->type) {
    case FT_PACKED: case FT_UPACKED: {
        uint32_t n = f->length;
        for (uint32_t i = 0; i < n && valid; i++) {
            unsigned hi = p[i] >> 4, lo = p[i] & 0xF;
            valid = hi <= 9 && (i + 1 == n || lo <= 9);
        }
        length = FapFormatPacked(f, p, w.fr->encoding, val);
        break;
    }
    case FT_ZONED: kind = "Over-punched"; length = FapFormatZoned(f, p, w.fr->ebcdic, val, &valid); break;
    default: kind = "Digits"; length = FapFormatDigits(f, p, w.fr->ebcdic, val, &valid); break;
    }
    if (!valid)                         /* the marker keeps its field: a new structure's
                                           first value is written through it */
        return FmtEmitText(w.lr, w.sink, w.context, LF_MARKER, "** Invalid %s field '%s' **", kind, f->name);
    if (FmtNoText(w.lr)) {
        w.lr->lineFlags = 0;
        return FmtEmit(w.lr, w.sink, w.context, 0);
    }
    char suffix[256];
    suffix[0] = 0;
    FapFormatTextEnum(f, 0, val, length, suffix);
    if (f->dateLayout)
        return DateLine(w, f, p, "%s %s%s", label, val, suffix);
    char *o = FmtPutMem(FmtLineStart(w.lr), label, labelWidth);   /* "%s %s%s" */
    *o++ = ' ';
    o = FmtPutMem(o, val, length);
    return FmtLineEnd(w.lr, w.sink, w.context, 0, suffix[0] ? FmtPutStr(o, suffix) : o);
}

static uint32_t FormatRow(Walk &w, const FmtStructRow *row, int element, int *skipNext)
{
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    FmtMsgInfo *msg = w.msg;
    const FmtFieldDef *f = row->field;
    int shown = Detail(lr) >= (row->flags & 0xFF);
    uint32_t rc = 0;

    if (f->type == FT_COUNTED_ARRAY || f->type == FT_FIXED_ARRAY)
        return FormatArray(w, row, skipNext);
    if (f->type == FT_STRUCT || f->type == FT_REPEAT) {
        FmtStructDef *def = (FmtStructDef *)f->reference;
        if (f->type == FT_STRUCT)
            return Nested(w, def, Bound(fr), row);
        for (;;) {
            const unsigned char *before = fr->cur;
            fr->repeatStart = before;
            if ((rc = Nested(w, def, Bound(fr), row)))
                return rc;
            if (fr->cur == before || Bound(fr) == 0)
                break;
        }
        return BodyByFormatName(w, row);
    }
    if (f->type == FT_STRUCT_BYLEN || f->type == FT_STRUCTS_BYLEN) {
        uint32_t rest = fr->hasLength
            ? (fr->strucLength > (uint64_t)(fr->cur - fr->start)
                   ? fr->strucLength - (uint32_t)(fr->cur - fr->start) : 0)
            : fr->remaining;
        if (rest > fr->remaining) {
            if ((rc = FmtMarker(lr, w.sink, w.context, fr->cur, "Data Appears to be Incomplete")))
                return rc;
            rest = fr->remaining;
        }
        int sections = f->type == FT_STRUCTS_BYLEN && Detail(lr) >= 3;
        const unsigned char *begin = fr->cur;
        if (sections) {
            SetLine(lr, fr, f, rest, 0);
            if ((rc = FmtEmitText(lr, w.sink, w.context, LF_HEADING, "[%5u bytes] %s", rest, f->name)))
                return rc;
        }
        while (rest > 0) {
            const unsigned char *before = fr->cur;
            uint32_t saved = fr->remaining;
            fr->remaining = rest;
            rc = Nested(w, (FmtStructDef *)f->reference, rest, row);
            uint32_t used = (uint32_t)(fr->cur - before);
            fr->remaining = saved - used;
            rest -= used;
            if (rc)
                return rc;
            if (!used)
                break;
        }
        if (sections && (!lr->endLevel || lr->endLevel < 4)) {
            lr->field = nullptr;
            lr->lineClass = 0;
            lr->dataOffset = FmtOffsetOf(lr, fr->cur);
            rc = EndLine(lr, w.sink, w.context, f->name, (uint32_t)(fr->cur - begin));
        }
        return rc;
    }

    int64_t len64;
    if (!FieldLength(w, f, &len64))
        len64 = 0;
    if (len64 < 0 || len64 > fr->remaining)
        return Incomplete(w);
    uint32_t len = (uint32_t)len64;
    const unsigned char *p = fr->cur;
    int wantText = shown && !FmtNoText(lr);
    /* an integer line shown before in this run is taken from its cache;
       only lines that look a name up are worth it (a bare number is
       written sooner than its cache slot is read) */
    int cacheable = wantText && element <= 0 && !(lr->flags & (LR_RUN_OFFSET | LR_HEX_RAW)) &&
                    IsIntType(f->type) && f->type != FT_ENCODING && f->type != FT_POINTER &&
                    (f->reference || (f->flags & FF_CCSID) || (row->flags & RF_PCF_PARM_NAME)) &&
                    len >= FmtReadSize(f);
    char label[192];
    label[0] = 0;
    /* a cached line knows its label's width; others measure it now */
    uint32_t labelWidth = cacheable ? 0 : Label(lr, fr, f, element, label, wantText);
    if ((lr->flags & LR_HEX_RAW) && len && len < 9 && !RawHexExcluded(f->type)) {
        static const char hx[] = "0123456789ABCDEF";
        char raw[17];
        for (uint32_t i = 0; i < len; i++)
            raw[2 * i] = hx[p[i] >> 4], raw[2 * i + 1] = hx[p[i] & 15];
        raw[2 * len] = 0;
        labelWidth += (uint32_t)snprintf(label + labelWidth, 24, " %-16s:", raw);
    }
    SetLine(lr, fr, f, len, labelWidth);
    char val[512];
    int64_t v = 0;
    if (len < FmtReadSize(f)) {
        /* a field shorter than its type reads (user formats): its bytes only */
        if (shown && (rc = FmtHexField(lr, fr, f, w.sink, w.context, label, labelWidth, p, len)))
            return rc;
        Advance(fr, len);
        return 0;
    }

    if (IsIntType(f->type) || f->type == FT_REC_OFFSET) {
        if ((row->flags & RF_VERSION) && !(lr->options & LO_KEEP_ENCODING) &&
            FmtRd32(p, fr->encoding) > 0xFFFFFF) {
            uint32_t flipped = (fr->encoding & ~0xFu) | (FmtReversed(fr->encoding) ? 1 : 2);
            fr->encoding = flipped;
            msg->encoding = (msg->encoding & ~0xFu) | (flipped & 0xF);
        }
        v = IntValue(f, p, fr);
        if (f->flags & FF_REFERENCED)
            KeepRefValue(fr, f, v);
        if ((rc = LengthBeyondData(w, row, v, len, labelWidth)))
            return rc;
        int64_t parm = INT64_MIN;
        int parmKnown = 0;
        if (f->type == FT_INTH && (row->flags & RF_PCF_PARM_NAME)) {
            parmKnown = FmtRefValue(lr, fr, &FmtFieldParameterId, &parm);
            if (!parmKnown)
                parm = INT64_MIN;
            if (parmKnown && parm == 1022 && FmtLinks.openOptions) {
                if (cacheable)
                    lr->prefixLength = labelWidth = Label(lr, fr, f, element, label, 1);
                snprintf(val, sizeof val, "%8.8X", (uint32_t)v);
                if (shown && (rc = FieldLine(lr, w.sink, w.context, label, val)))
                    return rc;
                FmtFieldDef oo = { "Open Options", FT_FLAGS, 4, FmtLinks.openOptions, 0, 0, 0, nullptr, 0 };
                if (shown && (rc = FapFormatFlags(w.sink, w.context, &oo, (uint32_t)v, labelWidth + 1, lr)))
                    return rc;
                Advance(fr, len);
                return 0;
            }
        }
        FmtLineCacheEntry *e = cacheable ? FmtCacheSlot(lr, row, v, parm) : nullptr;
        if (e && e->row == row && e->value == v && e->parm == parm) {
            lr->prefixLength = labelWidth = e->labelWidth;
            if ((rc = FmtLineEnd(lr, w.sink, w.context, 0, FmtPutMem(FmtLineStart(lr), e->text, e->length))))
                return rc;
        } else {
            if (cacheable)
                lr->prefixLength = labelWidth = Label(lr, fr, f, element, label, 1);
            uint32_t n = wantText ? IntText(f, p, fr, val, v) : 0;
            if (wantText) {
                n += ValueNameText(w, row, v, val + n, parmKnown ? &parm : nullptr);
                if ((f->flags & FF_CCSID) && (lr->options & LO_CONV_NOTE) && v == (int64_t)lr->displayCcsid)
                    n += (uint32_t)snprintf(val + n, 32, " (after conversion)");
            }
            val[n] = 0;
            if (shown && (rc = FieldLine(lr, w.sink, w.context, label, val, (int)labelWidth, (int)n)))
                return rc;
            if (e && labelWidth + 1 + n <= FMT_LINE_CACHE_TEXT) {
                e->row = row;
                e->value = v;
                e->parm = parm;
                e->length = labelWidth + 1 + n;
                e->labelWidth = labelWidth;
                memcpy(e->text, label, labelWidth);
                e->text[labelWidth] = ' ';
                memcpy(e->text + labelWidth + 1, val, n);
            }
        }
        if (shown && IsFlags(f->type) && f->reference &&
            (rc = FapFormatFlags(w.sink, w.context, f, (uint64_t)v, labelWidth + 1, lr)))
            return rc;
        if (f->type == FT_REC_OFFSET) {
            Advance(fr, len);
            if ((rc = Capture(w, row, v)))
                return rc;
            return FormatRecords(w, row, v, skipNext);
        }
    } else {
        switch (f->type) {
        case FT_FORMAT: {
            RecordFormat(w, p);
            if (!shown)
                break;
            char t[9];
            FmtPrintable(t, p, 8, fr->cp);
            t[8] = 0;
            uint32_t n = (uint32_t)snprintf(val, sizeof val, "'%s'", t);
            if (msg->overrideFormat[0] && memcmp(msg->overrideFormat, msg->format, 8)) {
                /* the note in the column 25 places after the names */
                uint32_t column = fr->def->nameWidth + 25, at = labelWidth + 1 + n;
                while (at < column && n < 128)
                    val[n++] = ' ', at++;
                n += (uint32_t)snprintf(val + n, 64, " Override('%.8s')", msg->overrideFormat);
            }
            uint32_t m = FapFormatEnum(fr->ccsid, f, 1, p, 8, val + n);
            if (m) {
                memmove(val + n, val + n + 1, m);   /* the constant name follows the quote */
            } else if (const UFFormatName *u = UFFindByName(t, 8)) {
                if (u->description)
                    snprintf(val + n, sizeof val - n, " (%s)", u->description);
            } else {
                snprintf(val + n, 32, " (Unrecognised)");
            }
            rc = FieldLine(lr, w.sink, w.context, label, val);
            break;
        }
        case FT_HEX: case FT_ID24: case FT_BYTES_BYLEN:
            if (shown)
                rc = FmtHexField(lr, fr, f, w.sink, w.context, label, labelWidth, p, len);
            break;
        case FT_HEXDUMP:
            if (shown && !(rc = FieldLine(lr, w.sink, w.context, label, "")))
                rc = FapHexDump(lr, w.sink, w.context, p, len);
            break;
        case FT_CHAR: case FT_TEXT_BYLEN: case FT_CHARBP: case FT_CODE1:
            if (shown)
                rc = FormatText(w, row, label, labelWidth, p, len);
            break;
        case FT_TEXT_TOEND:
            if (shown && !(rc = FieldLine(lr, w.sink, w.context, label, "")))
                rc = FapOutputLine(msg, w.sink, w.context, lr->dataStart, len, lr, 2, 20, len, p);
            break;
        case FT_MSGDATA:
            if (shown)
                rc = FormatBodyField(w, row, p, len);
            break;
        case FT_XMLTEXT:
            if (shown)
                rc = FormatXmlField(w, row, p, len);
            break;
        case FT_XMLMSG: {
            uint32_t rem = len;
            const unsigned char *q = p;
            if (shown)
                rc = FapFormatXml(msg, fr, w.sink, w.context, lr->dataStart, lr, 0, &rem, &q);
            break;
        }
        case FT_EDIFACT: {
            uint32_t rem = len;
            const unsigned char *q = p;
            if (shown)
                rc = EdiFormatSegments(msg, fr, w.sink, w.context, lr->dataStart, lr, 0, &rem, &q);
            break;
        }
        case FT_PUTDATE: case FT_PUTTIME: {
            char t[9];
            FmtPrintable(t, p, 8, fr->cp);
            t[8] = 0;
            /* local time needs both halves: the date and the time after it */
            const unsigned char *d = f->type == FT_PUTDATE ? p : p - 8;
            if ((lr->flags & LR_LOCAL_TIME) && d >= lr->dataStart && lr->dataEnd - d >= 16) {
                char both[17];
                FmtPrintable(both, d, 16, fr->cp);
                if (FmtPutToLocal(both, both + 8)) {
                    memcpy(t, f->type == FT_PUTDATE ? both : both + 8, 8);
                    lr->converted = 1;
                }
            }
            if (shown)
                rc = FmtEmitText(lr, w.sink, w.context, 0, "%s '%s'", label, t);
            break;
        }
        case FT_CHARV:
            if (shown)
                rc = FormatCharv(w, f, label);
            break;
        case FT_ALIGN: {
            uint32_t a = f->length ? f->length : 1;
            uint32_t pad = (a - (uint32_t)(fr->cur - fr->start) % a) % a;
            Advance(fr, pad);
            return 0;
        }
        case FT_REC_COUNT:
            return 0;
        case FT_UNKNOWN_REST:
            if (shown)
                rc = FmtEmitText(lr, w.sink, w.context, 0, "%s <Unknown format %u bytes>", label, len);
            break;
        case FT_DESC:
            lr->field = nullptr;
            if (shown)
                rc = FmtEmitText(lr, w.sink, w.context, LF_HEADING, "%s%s",
                                 (lr->flags & LR_OFFSET_PREFIX) ? "" : "",
                                 f->reference ? (const char *)f->reference : "");
            break;
        case FT_FLOAT: case FT_DOUBLE: {
            uint32_t n = FapFormatFloat(FapGetFieldFloat(f, p, fr->encoding), val, f->digits);
            FapFormatTextEnum(f, 0, val, n, val + n);
            if (shown)
                rc = FieldLine(lr, w.sink, w.context, label, val);
            break;
        }
        case FT_TIME32: case FT_TIME64: {
            int64_t t = f->type == FT_TIME32 ? (int64_t)(int32_t)FmtRd32(p, 2) : (int64_t)FmtRd64(p, 2);
            uint32_t n = f->type == FT_TIME32 ? FapFormatTime32(t, f->digits, val)
                                              : FapFormatTime64(t, f->digits, val);
            snprintf(val + n, 16, (f->digits & 1) ? " (UTC)" : " (Local)");
            if (shown)
                rc = FieldLine(lr, w.sink, w.context, label, val);
            break;
        }
        case FT_PACKED: case FT_UPACKED: case FT_ZONED: case FT_DIGITS:
            v = FapGetFieldInt(f, p, fr->encoding, fr->ebcdic);
            if (f->flags & FF_REFERENCED)
                KeepRefValue(fr, f, v);
            if ((rc = LengthBeyondData(w, row, v, len, labelWidth)))
                return rc;
            if (shown)
                rc = FormatDecimal(w, f, label, labelWidth, p);
            break;
        default:
            lr->lineClass = 41;
            rc = FmtEmitText(lr, w.sink, w.context, LF_MARKER,
                             "** INTERNAL ERROR ** Unknown field type %hd (0x%hX)",
                             (short)f->type, (unsigned short)f->type);
            break;
        }
    }
    if (rc)
        return rc;
    uint32_t step = len;
    if ((row->flags & RF_PAD4) && ((step + 3) & ~3u) <= fr->remaining)
        step = (step + 3) & ~3u;
    Advance(fr, step);
    if (!(row->flags & (RF_ENCODING_NEXT | RF_CCSID_NEXT | RF_CCSID_OWN | RF_NAMEVAL_CCSID | RF_STRUCLEN |
                        RF_LEN_SELF)))
        return 0;                       /* nothing to capture */
    return Capture(w, row, v);
}

static int HeadingDue(const FmtStructRow *row, const FmtLineRec *lr)
{
    return (row->flags & 0xFF) <= Detail(lr) && row->field->type != FT_ALIGN &&
           row->field->type != FT_REC_COUNT;
}

static uint32_t WalkRows(Walk &w)
{
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    const FmtStructDef *def = fr->def;
    for (const FmtStructRow *row = def->rows; row && row->field; row++) {
        const FmtFieldDef *f = row->field;
        int consumed = fr->cur != fr->start;
        if ((row->flags & RF_NOTHING_CONSUMED) && consumed)
            continue;
        if ((row->flags & RF_AT_REPEAT_START) && fr->parent && fr->parent->repeatStart != fr->cur)
            continue;
        if (row->conditions && f->type != FT_COUNTED_ARRAY) {
            int c;
            if ((row->flags & RF_COND_NESTED) && f->type == FT_STRUCT && f->reference) {
                const FmtStructDef *nested = (const FmtStructDef *)f->reference;
                c = FirstFieldTest(lr, nested, fr->cur, fr->encoding, row->conditions);
                if (c < 0) {
                    /* the nested structure's own data: what the test reads of a frame */
                    FmtWalkFrame probe;
                    probe.parent = fr;
                    probe.def = nested;
                    probe.start = probe.cur = fr->cur;
                    probe.encoding = fr->encoding;
                    probe.ebcdic = fr->ebcdic;
                    probe.bodyKind = fr->bodyKind;
                    c = FapTestConditions(lr, &probe, row->conditions);
                }
            } else {
                c = FirstFieldTest(lr, def, fr->start, fr->encoding, row->conditions);
                if (c < 0)
                    c = FapTestConditions(lr, fr, row->conditions);
            }
            if (c == 0) {
                if (row->flags & RF_END_ON_FAIL)
                    break;
                continue;
            }
            if (c == 200)
                break;
        }
        if ((row->flags & RF_OPTIONAL) &&
            (fr->remaining == 0 || (f->length != 0xFFFFFFFF && fr->remaining < f->length)))
            continue;
        if (fr->remaining == 0 && f->type != FT_ALIGN && f->type != FT_REC_COUNT) {
            int showEmpty = (lr->options & LO_SHOW_EMPTY_END) &&
                            ((row->flags & RF_SHOW_EMPTY) || (def->kind & SK_CONTENT) ||
                             f->type == FT_STRUCT || f->type == FT_REPEAT);
            if (!showEmpty)
                break;
        }
        uint32_t rc;
        if (!fr->headingShown && HeadingDue(row, lr) && (rc = Heading(w.msg, fr, lr, w.sink, w.context)))
            return rc;
        int skipNext = 0;
        if ((rc = FormatRow(w, row, 0, &skipNext)))
            return rc;
        if (skipNext && row[1].field)
            row++;
    }
    return 0;
}

/* ---- end of a structure ---- */

static uint32_t PcfBookkeeping(Walk &w)
{
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    uint32_t kind = fr->def->kind;
    if (fr->cur == fr->start || !(kind & (SK_PCF_HEADER | SK_PCF_GROUP | SK_PCF_PARM)))
        return 0;
    if (kind & (SK_PCF_PARM | SK_PCF_GROUP)) {
        if (lr->groups)
            lr->groups->seen++;
    }
    if (kind & (SK_PCF_HEADER | SK_PCF_GROUP)) {
        int64_t count = 0, id = 0;
        FmtRefValue(lr, fr, &FmtFieldParmCount, &count);
        int isGroup = (kind & SK_PCF_GROUP) != 0;
        FmtRefValue(lr, fr, isGroup ? &FmtFieldParameterId : &FmtFieldCommand, &id);
        FmtPcfGroup *g = (FmtPcfGroup *)CSGetMem(sizeof *g, "PCFSTRUCT");
        if (!g)
            return 0;
        *g = FmtPcfGroup{ lr->groups, fr->def, fr->start, (int32_t)count, 0, (int32_t)id,
                          (uint32_t)isGroup };
        lr->groups = g;
    }
    if (!lr->groups || lr->groups->seen < lr->groups->count)
        return 0;                       /* no group is complete */
    return FapFormatEndLines(w.msg, fr, lr, w.sink, w.context, fr->remaining);
}

static uint32_t EndStructure(Walk &w, uint32_t originalRemaining)
{
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    const FmtStructDef *def = fr->def;
    uint32_t rc;
    if (fr->hasLength) {
        uint32_t len = fr->strucLength < originalRemaining ? fr->strucLength : originalRemaining;
        fr->cur = fr->start + len;
        fr->remaining = originalRemaining - len;
    } else if (fr->extent > fr->cur && fr->extent <= fr->start + originalRemaining) {
        fr->remaining = originalRemaining - (uint32_t)(fr->extent - fr->start);
        fr->cur = fr->extent;
    }
    uint32_t consumed = (uint32_t)(fr->cur - fr->start);
    if (lr->endLevel && Detail(lr) >= lr->endLevel && consumed && def->title[0] &&
        def->title[0] != '!' && !(def->state & 4)) {
        lr->field = nullptr;
        lr->lineClass = 0;
        lr->dataOffset = FmtOffsetOf(lr, fr->cur);
        if ((rc = EndLine(lr, w.sink, w.context, def->title, consumed)))
            return rc;
    }
    if ((rc = PcfBookkeeping(w)))
        return rc;
    if (def == &FmtDefMQTM && consumed) {
        memset(w.msg->format, ' ', 8);
        w.msg->formatLength = 0;
        if (fr->remaining && (rc = FmtMarker(lr, w.sink, w.context, fr->cur,
                                             "<Unexpected %u bytes following header>", fr->remaining)))
            return rc;
    }
    return 0;
}

/* ---- record plans ----
 * The elements of an array of a structure made only of fixed-size fields
 * that nothing in the data chooses (no conditions, lengths, counts,
 * captures, value names or flag lines) are formatted by a plan made once
 * for the array: each field's label built once and the value's writer
 * chosen once.  A record runs its plan's steps in the rows' order and the
 * sink sees the very lines, line records and frame the row walk gives;
 * anything else is left to the walk. */

enum { PLAN_ROWS = 64, PLAN_TAIL = 256 };

struct PlanField;
typedef uint32_t (*PlanStep)(Walk &w, const PlanField *pf);

struct PlanField {
    const FmtStructRow *row;
    PlanStep step;
    uint32_t length, labelWidth, shown;
    char label[128];
};

struct RecordPlan {
    FmtStructDef *def;
    const FmtStructRow *row;            /* the array's element row */
    uint32_t flags, options, endLevel;  /* of the line record it was made for (but LR_NO_TEXT) */
    uint32_t size, count;
    uint32_t heading;                   /* the heading comes before this field (count: none) */
    uint32_t tailLength;                /* of the heading's text after the byte count; 0: the
                                           heading is left to its own function */
    char tail[PLAN_TAIL];
    PlanField fields[PLAN_ROWS];
};

static int plansOff;
static std::atomic<uint64_t> planRecords;

void FmtSetRecordPlans(int on) { plansOff = !on; }

uint64_t FmtRecordPlanRecords(void) { return planRecords.load(std::memory_order_relaxed); }

static void CountPlanned(uint64_t records) { planRecords.fetch_add(records, std::memory_order_relaxed); }

static uint32_t PlanInteger(Walk &w, const PlanField *pf)
{
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    const FmtFieldDef *f = pf->row->field;
    int64_t v = IntValue(f, fr->cur, fr);
    if (f->flags & FF_REFERENCED)
        KeepRefValue(fr, f, v);
    if (!pf->shown)
        return 0;
    if (FmtNoText(lr)) {
        lr->lineFlags = 0;
        return FmtEmit(lr, w.sink, w.context, 0);
    }
    char *o = FmtPutMem(FmtLineStart(lr), pf->label, pf->labelWidth);
    *o++ = ' ';
    return FmtLineEnd(lr, w.sink, w.context, 0, o + IntText(f, fr->cur, fr, o, v));
}

/* Whether text is shown on one line as its bytes are, as FmtQuotedLines
 * would show it: it fits the line, holds no line end or NUL and is not
 * converted. */
static int OneLineText(const FmtLineRec *lr, const FmtCodepage *cp, uint32_t labelWidth,
                       const unsigned char *p, uint32_t n)
{
    int64_t room = (int64_t)lr->width - labelWidth - 4 - ((lr->flags & LR_OFFSET_PREFIX) ? 10 : 0);
    if (room < 20)
        room = 20;
    if (room > FMT_LINE_BUFFER / 2)
        room = FMT_LINE_BUFFER / 2;
    if (n == 0 || n > room || FmtNoText(lr) || (cp->toAscii && (lr->options & LO_EBCDIC_TO_ASCII)))
        return 0;
    unsigned char cr = cp->ch[CP_CR], lf = cp->ch[CP_LF];
    unsigned odd = 0;
    for (uint32_t i = 0; i < n; i++)
        odd |= (p[i] == cr) | (p[i] == lf) | (p[i] == 0);
    return !odd;
}

static uint32_t PlanText(Walk &w, const PlanField *pf)
{
    if (!pf->shown)
        return 0;
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    const unsigned char *p = fr->cur;
    uint32_t len = pf->length;
    if (pf->row->field->type == FT_CHARBP) {
        const unsigned char *z = (const unsigned char *)memchr(p, 0, len);
        if (z)
            len = (uint32_t)(z - p);
    }
    uint32_t n = FmtTextLength(p, len, fr->cp->ch[CP_BLANK]);
    if (!OneLineText(lr, fr->cp, pf->labelWidth, p, n))
        return FmtQuotedLines(lr, w.sink, w.context, fr->cp, pf->labelWidth, pf->label, p, n, "");
    /* "%s '%.*s'" */
    lr->prefixLength = pf->labelWidth;
    lr->dataOffset = lr->valueOffset = FmtOffsetOf(lr, p);
    lr->valueBytes = n;
    char *o = FmtPutMem(FmtPutMem(FmtLineStart(lr), pf->label, pf->labelWidth), " '", 2);
    o = FmtPutMem(o, p, n);
    *o++ = '\'';
    return FmtLineEnd(lr, w.sink, w.context, 0, o);
}

static uint32_t PlanDecimal(Walk &w, const PlanField *pf)
{
    const FmtFieldDef *f = pf->row->field;
    FmtWalkFrame *fr = w.fr;
    if (f->flags & FF_REFERENCED)
        KeepRefValue(fr, f, FapGetFieldInt(f, fr->cur, fr->encoding, fr->ebcdic));
    return pf->shown ? FormatDecimal(w, f, pf->label, pf->labelWidth, fr->cur) : 0;
}

/* A packed field of at most 16 bytes and 31 decimals, without a table or
 * a date: its line as FormatDecimal writes it (the digits without leading
 * zeros, padded to one before the point and the decimals after it);
 * bytes that are no packed number are left to FormatDecimal's marker. */
static uint32_t PlanPacked(Walk &w, const PlanField *pf)
{
    const FmtFieldDef *f = pf->row->field;
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    const unsigned char *p = fr->cur;
    if (f->flags & FF_REFERENCED)
        KeepRefValue(fr, f, FapGetFieldInt(f, p, fr->encoding, fr->ebcdic));
    if (!pf->shown)
        return 0;
    char digits[32];
    uint32_t n = pf->length, k = 0;
    unsigned bad = 0;
    for (uint32_t i = 0; i < n; i++) {
        unsigned hi = p[i] >> 4, lo = p[i] & 15;
        bad |= hi > 9;
        digits[k++] = (char)('0' + hi);
        if (i + 1 < n) {
            bad |= lo > 9;
            digits[k++] = (char)('0' + lo);
        }
    }
    if (bad || FmtNoText(lr))
        return FormatDecimal(w, f, pf->label, pf->labelWidth, p);
    unsigned sign = p[n - 1] & 15;
    uint32_t first = 0;
    while (first < k && digits[first] == '0')
        first++;
    uint32_t shown = k - first, decimals = f->decimals, total = shown > decimals ? shown : decimals + 1;
    uint32_t pad = total - shown, point = total - decimals;
    char *o = FmtPutMem(FmtLineStart(lr), pf->label, pf->labelWidth);   /* "%s %s" */
    *o++ = ' ';
    if (f->type == FT_PACKED && (sign == 0xB || sign == 0xD))
        *o++ = '-';
    else if (f->flags & FF_SHOW_PLUS)
        *o++ = '+';
    for (uint32_t i = 0; i < total; i++) {
        if (i == point)
            *o++ = '.';
        *o++ = i < pad ? '0' : digits[first + i - pad];
    }
    return FmtLineEnd(lr, w.sink, w.context, 0, o);
}

static uint32_t PlanHex(Walk &w, const PlanField *pf)
{
    return pf->shown ? FmtHexField(w.lr, w.fr, pf->row->field, w.sink, w.context, pf->label, pf->labelWidth,
                                   w.fr->cur, pf->length)
                     : 0;
}

static uint32_t PlanFloat(Walk &w, const PlanField *pf)
{
    const FmtFieldDef *f = pf->row->field;
    char val[512];
    uint32_t n = FapFormatFloat(FapGetFieldFloat(f, w.fr->cur, w.fr->encoding), val, f->digits);
    FapFormatTextEnum(f, 0, val, n, val + n);
    return pf->shown ? FieldLine(w.lr, w.sink, w.context, pf->label, val) : 0;
}

/* The step of a field the plan can take, else null. */
static PlanStep StepOf(const FmtStructRow *row)
{
    const FmtFieldDef *f = row->field;
    switch (f->type) {
    case FT_INT: case FT_INT_NORMAL: case FT_BYTE: case FT_SHORT: case FT_INT8: case FT_USHORT:
    case FT_UINT8: case FT_UINT: case FT_INT64: case FT_UINT64: case FT_SHORTH: case FT_INT8H:
    case FT_USHORTH: case FT_UINT8H: case FT_UINTH: case FT_INTH: case FT_INT64H: case FT_UINT64H:
        /* value names, CCSID notes, parameter names and version checks look further */
        return f->reference || (f->flags & FF_CCSID) || (row->flags & (RF_PCF_PARM_NAME | RF_VERSION))
            ? nullptr : PlanInteger;
    case FT_FLAGS8: case FT_FLAGS: case FT_FLAGS16:
        return f->reference || (f->flags & FF_CCSID) || (row->flags & (RF_PCF_PARM_NAME | RF_VERSION))
            ? nullptr : PlanInteger;           /* a table would add flag lines */
    case FT_CHAR: case FT_CHARBP:
        return f->reference || f->dateLayout ? nullptr : PlanText;
    case FT_PACKED: case FT_UPACKED:
        return f->reference || f->dateLayout || f->length > 16 || f->decimals > 31 ? PlanDecimal : PlanPacked;
    case FT_ZONED: case FT_DIGITS:
        return PlanDecimal;
    case FT_HEX:
        return PlanHex;
    case FT_FLOAT: case FT_DOUBLE:
        return PlanFloat;
    }
    return nullptr;
}

/* Row flags and structure kinds the walk acts on nothing of: the detail
 * level and the user formats' own marks. */
static const uint64_t planRowFlags = 0xFF | RF_UF_CONDITION | RF_UF_SUMMARY;
static const uint32_t planKinds = 0xFF | SK_PARENT_ENCODING | (uint32_t)RF_UF_CONDITION | (uint32_t)RF_UF_SUMMARY;

static int PlanFields(RecordPlan *plan, const FmtLineRec *lr, const FmtWalkFrame *fr)
{
    uint32_t offset = 0;
    plan->heading = PLAN_ROWS;
    for (const FmtStructRow *row = plan->def->rows; row->field; row++) {
        const FmtFieldDef *f = row->field;
        PlanField *pf = &plan->fields[plan->count];
        if (plan->count == PLAN_ROWS || row->conditions || (row->flags & ~planRowFlags) ||
            !(pf->step = StepOf(row)) || f->length == 0 || f->length == 0xFFFFFFFF ||
            f->length < FmtReadSize(f))
            return 0;
        pf->row = row;
        pf->length = f->length;
        pf->shown = Detail(lr) >= (row->flags & 0xFF);
        pf->labelWidth = Label(lr, fr, f, 0, pf->label, 1);
        pf->label[pf->labelWidth] = 0;
        if (plan->heading == PLAN_ROWS && HeadingDue(row, lr))
            plan->heading = plan->count;
        offset += f->length;
        plan->count++;
    }
    return offset == plan->size;
}

/* A plan for the elements of an array (element row elem), or null when
 * the walk must take them. */
static RecordPlan *MakePlan(Walk &w, const FmtStructRow *elem)
{
    FmtStructDef *def = (FmtStructDef *)elem->field->reference;
    const FmtLineRec *lr = w.lr;
    if (plansOff || elem->field->type != FT_STRUCT || !def || !def->rows || (def->state & 9) != 1 ||
        !def->size || (def->kind & ~planKinds) || def == &FmtDefMQTM || w.fr->depth > 64 ||
        (lr->flags & (LR_RUN_OFFSET | LR_HEX_RAW)) || !lr->text)
        return nullptr;
    RecordPlan *plan = (RecordPlan *)CSGetMem(sizeof(RecordPlan), "RecordPlan");
    if (!plan)
        return nullptr;
    plan->def = def;
    plan->row = elem;
    plan->flags = lr->flags & ~LR_NO_TEXT;
    plan->options = lr->options;
    plan->endLevel = lr->endLevel;
    plan->size = def->size;
    plan->count = 0;
    plan->tailLength = 0;
    NameWidth(def);
    FmtWalkFrame fr;
    StartFrame(&fr, w.msg, def, w.fr, w.fr->cur, 0);
    if (!PlanFields(plan, lr, &fr)) {
        CSFreeMem(plan);
        return nullptr;
    }
    /* the heading's text after its byte count, when Heading would show it */
    uint32_t level = def->kind & 0xFF, detail = Detail(lr);
    const FmtFieldDef *nf = elem->field;
    if (def->title[0] && def->title[0] != '!' && !(level == 0 ? detail <= 1 : detail < level) &&
        !(lr->options & LO_PLAIN) && strlen(def->title) + strlen(nf->name) + 16 < PLAN_TAIL)
        plan->tailLength = (uint32_t)(HeadingTail(def, elem, plan->tail) - plan->tail);
    return plan;
}

/* The heading of a record, as Heading writes it. */
static uint32_t PlanHeading(Walk &w, const RecordPlan *plan)
{
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    if (!plan->tailLength || FmtNoText(lr))
        return Heading(w.msg, fr, lr, w.sink, w.context);
    fr->headingShown = 1;
    lr->field = nullptr;
    lr->lineClass = 0;
    lr->dataOffset = FmtOffsetOf(lr, fr->start);
    lr->structOffset = 0;
    char *p = FmtLineStart(lr);
    *p++ = '[';
    p = FmtPutUDecWidth(p, fr->remaining, 5);
    return FmtLineEnd(lr, w.sink, w.context, LF_HEADING, FmtPutMem(p, plan->tail, plan->tailLength));
}

/* Whether the next element can run the plan: the whole record within the
 * data and the line record as the plan was made for. */
static int PlanFits(const Walk &w, const RecordPlan *plan)
{
    const FmtLineRec *lr = w.lr;
    return plan && Bound(w.fr) >= plan->size && (lr->flags & ~LR_NO_TEXT) == plan->flags &&
           lr->options == plan->options && lr->endLevel == plan->endLevel;
}

/* One element: what Nested and FapFormatStructure do for it. */
static uint32_t PlanRecord(Walk &w, const RecordPlan *plan)
{
    FmtWalkFrame *parent = w.fr;
    FmtLineRec *lr = w.lr;
    uint32_t remaining = Bound(parent);
    const FmtStructRow *savedRow = lr->nestedRow;
    FmtWalkFrame *savedFrame = lr->frame;
    FmtWalkFrame fr;
    StartFrame(&fr, w.msg, plan->def, parent, parent->cur, remaining);
    lr->nestedRow = plan->row;
    lr->frame = &fr;
    lr->runDepth++;
    Walk rw = { w.msg, &fr, w.sink, w.context, lr };
    uint32_t rc = 0;
    for (uint32_t i = 0; i < plan->count && !rc; i++) {
        const PlanField *pf = &plan->fields[i];
        if (i == plan->heading && (rc = PlanHeading(rw, plan)))
            break;
        SetLine(lr, &fr, pf->row->field, pf->length, pf->labelWidth);
        if ((rc = pf->step(rw, pf)))
            break;
        Advance(&fr, pf->length);
    }
    if (!FmtStopped(rc))
        rc = EndStructure(rw, remaining);
    lr->runDepth--;
    lr->frame = savedFrame;
    lr->nestedRow = savedRow;
    Advance(parent, (uint32_t)(fr.cur - fr.start));
    return rc;
}

static uint32_t EndOfRun(Walk &w, uint32_t rc)
{
    FmtWalkFrame *fr = w.fr;
    FmtLineRec *lr = w.lr;
    if (rc == FMT_STOP)
        return rc;
    if (lr->groups) {
        uint32_t r = FmtGroupIncompleteLines(lr, w.sink, w.context);
        if (r)
            return r;
    }
    if (rc == 0 && fr->remaining && !(lr->options & LO_PLAIN)) {
        if ((rc = FmtMarker(lr, w.sink, w.context, fr->cur, "<%u Remaining Bytes>", fr->remaining)))
            return rc;
        if ((rc = FapHexDump(lr, w.sink, w.context, fr->cur, fr->remaining)))
            return rc;
        Advance(fr, fr->remaining);
    }
    if (rc == 0 && (lr->flags & LR_TRUNCATED))
        rc = FmtMarker(lr, w.sink, w.context, fr->cur, "<Message Truncated>");
    return rc == FMT_RC_INCOMPLETE ? FMT_STOP : rc;
}

static void StartRun(FmtMsgInfo *msg, FmtLineRec *lr, const unsigned char *data,
                     uint32_t remaining)
{
    if (msg->override) {
        if (msg->override[2])
            msg->ccsid = (uint32_t)msg->override[2];
        if (msg->override[0])
            msg->encoding = (uint32_t)msg->override[0];
    }
    if (msg->overrideCcsid)
        msg->ccsid = msg->overrideCcsid;
    if (msg->overrideEncoding)
        msg->encoding = msg->overrideEncoding;
    if (lr->flags & LR_FORCE_REVERSED)
        msg->encoding = (msg->encoding & ~0xFu) | 2;
    else if (lr->flags & LR_FORCE_NORMAL)
        msg->encoding = (msg->encoding & ~0xFu) | 1;
    if (lr->flags & LR_FORCE_ASCII)
        msg->ccsid = 850;
    else if (lr->flags & LR_FORCE_EBCDIC)
        msg->ccsid = 500;
    lr->flags &= ~(LR_FORCE_REVERSED | LR_FORCE_NORMAL | LR_FORCE_ASCII | LR_FORCE_EBCDIC);
    msg->ebcdic = CSIsEbcdicCcsid((int)msg->ccsid);
    if (!lr->displayCcsid)
        lr->displayCcsid = 850;
    lr->msgInfo = msg;
    lr->lineCache = nullptr;
    lr->integerLines = 0;
    lr->dataStart = data;
    lr->dataEnd = data + remaining;
    lr->sinkResult = 0;
    FmtSetDumpLayout(lr);
}

uint32_t FapFormatStructure(FmtMsgInfo *msg, FmtStructDef *def, FmtWalkFrame *parent,
                            FmtLineSink sink, uint64_t context, FmtLineRec *lr,
                            uint32_t *remaining, const unsigned char **data)
{
    if (!def)
        return 0;
    int top = parent == nullptr && lr->runDepth == 0;
    char *ownBuffer = nullptr;
    if (top) {
        FmtLayoutAll();
        if (!lr->text) {
            ownBuffer = (char *)CSGetMem(FMT_LINE_BUFFER + 256, "StructLine");
            if (!ownBuffer)
                return 0;
            lr->text = ownBuffer;
        }
        StartRun(msg, lr, *data, *remaining);
    }
    if (parent && parent->depth > 64)
        return 0;
    FmtWalkFrame fr;
    StartFrame(&fr, msg, def, parent, *data, *remaining);
    NameWidth(def);
    FmtWalkFrame *savedFrame = lr->frame;
    lr->frame = &fr;
    lr->runDepth++;
    Walk w = { msg, &fr, sink, context, lr };
    uint32_t rc = WalkRows(w);
    if (!FmtStopped(rc))
        rc = EndStructure(w, *remaining);
    if (top)
        rc = EndOfRun(w, rc);
    lr->runDepth--;
    lr->frame = savedFrame;
    *data = fr.cur;
    *remaining = fr.remaining;
    if (top) {
        FmtFreeGroups(lr);
        FmtCacheFree(lr);
        if (ownBuffer) {
            CSFreeMem(ownBuffer);
            lr->text = nullptr;
        }
        if (rc == 0)
            rc = lr->sinkResult;
    }
    return rc;
}

uint32_t FapFormatMessage(const unsigned char *md, uint32_t mdLength,
                          const unsigned char *msg, uint32_t length, FmtMsgInfo *info,
                          FmtLineSink sink, uint64_t context, FmtLineRec *lr)
{
    uint32_t rc = 0;
    uint32_t savedOptions = lr->options;
    if (md && mdLength) {
        lr->options |= LO_EDITING_MD;
        const unsigned char *p = md;
        uint32_t rem = mdLength;
        rc = FapFormatStructure(info, &FmtDefMQMD, nullptr, sink, context, lr, &rem, &p);
        lr->options = savedOptions;
        if (rc == FMT_STOP)
            return rc;
    }
    const unsigned char *p = msg;
    uint32_t rem = length;
    uint32_t rc2 = FapFormatStructure(info, &FmtDefMessageContent, nullptr, sink, context, lr,
                                      &rem, &p);
    return rc2 ? rc2 : rc;
}
