/* Structure-aware editing: the table of structures that can be added,
 * locating the structures of a message around the cursor (one walk of
 * the formatter), and adding or removing a header, a PCF parameter, an
 * XML section or a list element inside one undo group, with the chain of
 * Format, Encoding and CodedCharSetId fields, the enclosing lengths and
 * the PCF parameter counts rewritten.  New structures start from their
 * definition's default instance (written in 546 and 850) converted to the
 * byte order and code page in force where they go. */
#include "edstruct.h"
#include "edint.h"
#include "eddialog.h"
#include "structconv.h"
#include "csmem.h"
#include <cstring>

extern FmtFieldDef FmtFFormat;
extern FmtStructDef *FmtDefCFHAdmin, *FmtDefCFHEvent, *FmtDefUnknownParm, *FmtDefCFHStats, *FmtDefCFHAcct,
    *FmtDefCFHRoute, *FmtDefCFHActivity;

enum { MD_LENGTH = 364, MD_V1 = 324, XQH_MD = 104, PCF_COUNT = 32, GROUP_COUNT = 12, EPH_LENGTH = 8,
       RFH2_LENGTH = 8, LIST_FIXED = 16 };

/* ---- the table ---- */

static FmtFieldDef rowFields[STRUCT_ROWS];
static const char pcfTitle[] = "PCF Header(MQCFH)";

#define ROW(n, flags) { &rowFields[n], flags, 0, 0, 0, 0, 0 }
#define SEPARATOR { nullptr, SMR_SEPARATOR, 0, 0, 0, 0, 0 }
StructMenuRow StructMenuTable[] = {
    ROW(0, 0x41), ROW(1, 0x41), ROW(2, 0x41), SEPARATOR,
    { pcfTitle, SMR_POPUP, 0, 0, 0, 0, 0 },
    ROW(5, 0x21), ROW(6, 0x21), ROW(7, 0x21), ROW(8, 0x21), ROW(9, 0x21), ROW(10, 0x21), ROW(11, 0x21),
    ROW(12, 0x21), ROW(13, 0x121), ROW(14, 0x121), ROW(15, 0x121), ROW(16, 0x121),
    { nullptr, SMR_POPUP_END, 0, 0, 0, 0, 0 }, SEPARATOR,
    ROW(19, 0x41), ROW(20, 0x01), ROW(21, 0x41), ROW(22, 0x441), ROW(23, 0x41), SEPARATOR,
    ROW(25, 0x41), ROW(26, 0x41), ROW(27, 0x41), ROW(28, 0x10), ROW(29, 0x110), ROW(30, 0x10), ROW(31, 0x10),
    ROW(32, 0x10), ROW(33, 0x10), ROW(34, 0x10), ROW(35, 0x10), ROW(36, 0x10), ROW(37, 0x10), ROW(38, 0x10),
    ROW(39, 0x10), ROW(40, 0x200),
    { nullptr, 0, 0, 0, 0, 0, 0 },
    { &rowFields[0], 0xC0, 0, 0, 0, 0, 0 },        /* the root row: its field is set to the MQMD */
};
#undef ROW

/* Field names and the titles of rows whose structure is not defined
 * here (they stay in the table for their command ids, never offered). */
static const struct { int row; const char *name, *title; } rowNames[] = {
    { 0, "!MQDLH", nullptr }, { 1, "!MQXQH", nullptr }, { 2, "!MQMDE", nullptr }, { 5, "!MQCFH", nullptr },
    { 6, "!MQCFH", "PCF Header XR (MQCFH)" }, { 7, "!MQCFH", nullptr }, { 8, "!MQCFH", nullptr },
    { 9, "!MQCFH", nullptr }, { 10, "!MQCFH", nullptr }, { 11, "!MQTRTE", nullptr }, { 12, "!MQCFH", nullptr },
    { 13, "!MQCFH", nullptr }, { 14, "!MQCFH", nullptr }, { 15, "!MQCFH", nullptr }, { 16, "!MQCFH", nullptr },
    { 19, "!EPH", nullptr }, { 20, "!MQTM", nullptr }, { 21, "!RFH", nullptr }, { 22, "!RFH2", nullptr },
    { 23, "!SAPH", "SAP Header (SAPH)" }, { 25, "!MQCIH", nullptr }, { 26, "!MQIIH", nullptr },
    { 27, "!MQWIH", nullptr }, { 28, "!MQCFIN", nullptr }, { 29, "!MQCFIN", nullptr }, { 30, "!MQCFIL", nullptr },
    { 31, "!MQCFIN64", nullptr }, { 32, "!MQCFIL64", nullptr }, { 33, "!MQCFST", nullptr },
    { 34, "!MQCFSL", nullptr }, { 35, "!MQCFBS", nullptr }, { 36, "!MQCFIF", nullptr }, { 37, "!MQCFSF", nullptr },
    { 38, "!MQCFBF", nullptr }, { 39, "!MQCFGR", nullptr }, { 40, "!XMLSECT", nullptr },
};
static FmtFieldDef rootField = { "!MQMD", FT_STRUCT, 0, &FmtDefMQMD, 0, 0, 0, nullptr, 0 };

static const FmtStructDef *DefForRow(int row)
{
    switch (row) {
    case 0: return &FmtDefMQDLH;
    case 1: return &FmtDefXQH;
    case 2: return &FmtDefMQMDE;
    case 5: return &FmtDefMQCFH;
    case 7: return FmtDefCFHAdmin;
    case 8: return FmtDefCFHEvent;
    case 9: return FmtDefCFHAcct;
    case 10: return FmtDefCFHStats;
    case 11: return FmtDefCFHRoute;
    case 12: return FmtDefCFHActivity;
    case 13: return &FmtDefCFHGenericPcf;
    case 14: return &FmtDefCFHGenericPcf2;
    case 15: return &FmtDefCFHGenericAdmin;
    case 16: return &FmtDefCFHGenericEvent;
    case 19: return &FmtDefMQEPH;
    case 20: return &FmtDefMQTM;
    case 21: return &FmtDefMQRFH;
    case 22: return &FmtDefMQRFH2;
    case 25: return &FmtDefMQCIH;
    case 26: return &FmtDefMQIIH;
    case 27: return &FmtDefMQWIH;
    case 28: return &FmtDefMQCFIN;
    case 29: return FmtDefUnknownParm;
    case 30: return &FmtDefMQCFIL;
    case 31: return &FmtDefMQCFIN64;
    case 32: return &FmtDefMQCFIL64;
    case 33: return &FmtDefMQCFST;
    case 34: return &FmtDefMQCFSL;
    case 35: return &FmtDefMQCFBS;
    case 36: return &FmtDefMQCFIF;
    case 37: return &FmtDefMQCFSF;
    case 38: return &FmtDefMQCFBF;
    case 39: return &FmtDefMQCFGR;
    case 40: return &FmtDefXmlSection;
    }
    return nullptr;
}

/* Offsets of the Encoding, CodedCharSetId and Format fields (nested
 * structures walked too); 1 when all three were found. */
static int FieldOffsets(const FmtStructDef *def, uint32_t base, StructMenuRow *r)
{
    for (const FmtStructRow *row = def ? def->rows : nullptr; row && row->field; row++) {
        uint32_t at = base + row->offset;
        if ((row->flags & RF_ENCODING_NEXT) && !r->encodingAt)
            r->encodingAt = at;
        if ((row->flags & (RF_CCSID_NEXT | RF_CCSID_OWN)) && !r->ccsidAt)
            r->ccsidAt = at;
        if (row->field == &FmtFFormat && !r->formatAt)
            r->formatAt = at;
        if (row->field->type == FT_STRUCT && FieldOffsets((const FmtStructDef *)row->field->reference, at, r))
            return 1;
        if (r->encodingAt && r->ccsidAt && r->formatAt)
            return 1;
    }
    return 0;
}

/* Bytes of the fixed part when the layout gives none. */
static uint32_t FixedSum(const FmtStructDef *def)
{
    uint32_t n = 0;
    for (const FmtStructRow *row = def->rows; row && row->field; row++) {
        const FmtFieldDef *f = row->field;
        switch (f->type) {
        case FT_HEX: case FT_INT: case FT_FLAGS8: case FT_CHAR: case FT_ENCODING: case FT_FLAGS: case FT_FORMAT:
        case FT_INTH: case FT_INT64H: case FT_PUTDATE: case FT_PUTTIME: case FT_FLAGS16: case FT_ID24: case FT_CODE1:
            n += f->length;
            break;
        case FT_STRUCT:
            n += FixedSum((const FmtStructDef *)f->reference);
            break;
        case FT_COUNTED_ARRAY:
            if (row[1].field)
                row++;
            break;
        case FT_STRUCT_BYLEN:
            return n;
        }
    }
    return n;
}

static void TableInit(void)
{
    static int done;
    if (done)
        return;
    done = 1;
    FmtLayoutAll();
    for (auto &n : rowNames)
        rowFields[n.row] = FmtFieldDef{ n.name, FT_STRUCT, 0, DefForRow(n.row), 0, 0, 0, nullptr, 0 };
    StructMenuTable[STRUCT_ROOT].item = &rootField;
    for (int i = 0; i <= STRUCT_ROOT; i++) {
        StructMenuRow *r = &StructMenuTable[i];
        if (!(r->flags & (SMR_CHAINS | SMR_ROOT)) || r->reserved)
            continue;
        FieldOffsets(StructRowDef(i), 0, r);
        r->reserved = 1;
    }
}

const FmtStructDef *StructRowDef(int row)
{
    if (row < 0 || row > STRUCT_ROOT)
        return nullptr;
    const StructMenuRow *r = &StructMenuTable[row];
    if (!r->item || (r->flags & (SMR_SEPARATOR | SMR_POPUP | SMR_POPUP_END)))
        return nullptr;
    return (const FmtStructDef *)((const FmtFieldDef *)r->item)->reference;
}

const char *StructRowTitle(int row)
{
    for (auto &n : rowNames)
        if (n.row == row && n.title)
            return n.title;
    const FmtStructDef *def = StructRowDef(row);
    if (!def)
        return "";
    return def->title[0] == '!' ? def->title + 1 : def->title;
}

/* The row's fixed length, computed on first use. */
static uint32_t FixedLength(int row)
{
    if (row < 0 || row >= STRUCT_ROWS)
        return 0;
    StructMenuRow *r = &StructMenuTable[row];
    const FmtStructDef *def = StructRowDef(row);
    if (!r->fixedLength && def)
        r->fixedLength = def->size ? def->size : FixedSum(def);
    return r->fixedLength;
}

static int RowOf(const FmtStructDef *def)
{
    for (int i = 0; i < STRUCT_ROWS; i++)
        if (StructRowDef(i) == def)
            return i;
    return def == &FmtDefMQMD ? STRUCT_ROOT : -1;
}

/* ---- locating ---- */

static StructContext *visiting;     /* the walk in progress (interface thread only) */

/* A structure of its own (not a grouping, not the message or descriptor). */
static int Real(const FmtStructDef *def)
{
    return def && def->title && def->title[0] && def->title[0] != '!' && !(def->kind & SK_CONTENT) &&
           def != &FmtDefMQMD && def != &FmtDefXmlSections;
}

static uint32_t NodeLength(const CSDATA *b, const FmtStructDef *def, uint32_t start, uint32_t encoding)
{
    const FmtStructRow *row = EdLengthRow(def);
    uint64_t n = def->size;
    if (row) {
        int64_t v = EdReadInt(b, start + row->offset, encoding);
        n = v < 0 ? 0 : (uint64_t)v + ((row->flags & RF_LEN_SELF) ? 4 : 0);
    }
    if (start + n > b->length)
        n = b->length - start;
    return (uint32_t)n;
}

static uint32_t StructVisitField(uint64_t context, FmtLineRec *lr, char *, uint32_t)
{
    PCFDATA *ed = (PCFDATA *)(uintptr_t)context;
    StructContext *c = visiting;
    ed->runLine++;
    FmtWalkFrame *fr = lr->frame;
    if (!c || ed->runBuffer != &ed->data || !fr || !lr->field || (lr->lineFlags & (LF_HEADING | LF_MARKER)))
        return FMT_GO_ON;
    const FmtStructDef *def = fr->def;
    if (!Real(def))
        return FMT_GO_ON;
    uint32_t start = FmtOffsetOf(lr, fr->start);
    uint32_t cursor = ed->cursor.buffer == &ed->data ? ed->cursor.digit / 2 : 0;
    if (c->count && c->nodes[c->count - 1].start > cursor && start > cursor)
        return FMT_STOP;
    for (uint32_t i = c->count; i-- > 0;)
        if (c->nodes[i].start == start && c->nodes[i].def == def)
            return FMT_GO_ON;
    if (c->count == c->capacity) {
        uint32_t more = c->capacity ? 2 * c->capacity : 64;
        StructNode *n = (StructNode *)CSGetMem(sizeof(StructNode) * more, "STRUCTNODE");
        if (!n)
            return FMT_STOP;
        if (c->nodes) {
            memcpy(n, c->nodes, sizeof(StructNode) * c->count);
            CSFreeMem(c->nodes);
        }
        c->nodes = n;
        c->capacity = more;
    }
    StructNode *n = &c->nodes[c->count++];
    memset(n, 0, sizeof *n);
    n->def = def;
    n->buffer = &ed->data;
    n->start = start;
    n->encoding = fr->encoding;
    n->ccsid = fr->ccsid;
    n->length = NodeLength(&ed->data, def, start, fr->encoding);
    n->row = RowOf(def);
    for (FmtWalkFrame *p = fr->parent; p; p = p->parent) {
        if (!n->parent && Real(p->def) && p->def != &FmtDefXmlSection) {
            n->parent = p->def;
            n->parentStart = FmtOffsetOf(lr, p->start);
            n->parentEncoding = p->encoding;
        }
        if (p->def == &FmtDefMQEPH && !n->eph) {
            n->eph = p->def;
            n->ephStart = FmtOffsetOf(lr, p->start);
            n->ephEncoding = p->encoding;
        }
    }
    if ((def->kind & (SK_PCF_PARM | SK_PCF_GROUP)) && lr->groups) {
        n->hasPcf = 1;
        n->pcfDef = lr->groups->def;
        n->pcfStart = FmtOffsetOf(lr, lr->groups->start);
    }
    return FMT_GO_ON;
}

const StructNode *StructNodeAt(const StructContext *c, int i)
{
    if (i == STRUCT_MD)
        return &c->md;
    return i >= 0 && (uint32_t)i < c->count ? &c->nodes[i] : nullptr;
}

static int64_t NodeInt(const StructNode *n, uint32_t offset)
{
    return EdReadInt(n->buffer, n->start + offset, n->encoding);
}

static uint32_t RowFlags(const StructContext *c, int i)
{
    const StructNode *n = StructNodeAt(c, i);
    return n && n->row >= 0 ? StructMenuTable[n->row].flags : 0;
}

void StructLocate(StructContext *c, DialogWords *d)
{
    TableInit();
    memset(c, 0, sizeof *c);
    c->dialog = d;
    c->current = c->previous = -1;
    PCFDATA *ed = d ? d->editor : nullptr;
    c->ed = ed;
    c->md = StructNode{ &FmtDefMQMD, ed ? &ed->descriptor : nullptr, 0, MD_LENGTH, 546, 850, STRUCT_ROOT,
                        nullptr, 0, 0, 0, nullptr, 0, nullptr, 0, 0 };
    c->located = 1;
    if (!ed || !ed->descriptor.length || !ed->dataSlot || (d->viewWords[0] & VW_RAW_BYTES))
        return;
    uint32_t view = d->viewWords[0];
    if ((view & 0xFF) < 3)
        d->viewWords[0] = (view & ~0xFFu) | 3;  /* every field's line */
    visiting = c;
    EdRegisterPaneSink(StructVisitField);
    ed->runFirst = 0;
    if (ed->format)
        ed->format(StructVisitField, ed);
    else
        EdFormatMessage(StructVisitField, ed);
    visiting = nullptr;
    d->viewWords[0] = view;
    if (ed->cursor.buffer != &ed->data)
        return;
    uint32_t at = ed->cursor.digit / 2;
    for (uint32_t i = 0; i < c->count; i++)
        if (at >= c->nodes[i].start && at < c->nodes[i].start + c->nodes[i].length)
            c->current = (int)i;
    if (c->current < 0)
        return;
    c->previous = c->current - 1;
    /* a structure inside one that ends before the current one (an MQEPH's
     * PCF, an MQRFH2's sections) is not its neighbour: the outer one is */
    if (c->previous >= 0) {
        const StructNode *cur = &c->nodes[c->current];
        for (int j = 0; j < c->previous; j++) {
            const StructNode *o = &c->nodes[j], *p = &c->nodes[c->previous];
            if (o->start <= p->start && o->start + o->length >= p->start + p->length &&
                o->start + o->length <= cur->start) {
                c->previous = j;
                break;
            }
        }
    }
    if (c->previous < 0 || c->nodes[c->current].row < 0 || c->nodes[c->previous].row < 0)
        c->previous = STRUCT_MD;
    uint32_t r = RowFlags(c, c->current);
    c->flags = (r & SMR_PCF_PARM ? SC_PCF_PARM : 0) | (r & SMR_HEADER ? SC_HEADER : 0) |
               (r & SMR_PCF_HEADER ? SC_PCF_HEADER : 0) | (r & SMR_XML_SECTION ? SC_XML_SECTION : 0) |
               (r & SMR_RFH2 ? SC_RFH2 : 0);
    if (c->previous == STRUCT_MD || (RowFlags(c, c->previous) & SMR_HEADER))
        c->flags |= SC_PREVIOUS_HEADER;
}

void StructFreeContext(StructContext *c)
{
    CSFreeMemAndClear(&c->nodes);
    c->count = c->capacity = 0;
}

int StructHoldsParameters(const StructNode *n)
{
    uint32_t kind = n->def->kind;
    if (!(kind & (SK_PCF_HEADER | SK_PCF_GROUP)))
        return 0;
    if ((kind & SK_PCF_HEADER) && n->eph)
        return 1;                           /* an MQEPH's own PCF header */
    return NodeInt(n, (kind & SK_PCF_HEADER) ? PCF_COUNT : GROUP_COUNT) != 0;
}

/* ---- lists ---- */

struct ListShape {
    uint32_t element, countAt, valuesAt;    /* element length; offsets from the start */
    int strings;
};

static int ListOf(const StructNode *n, ListShape *s)
{
    memset(s, 0, sizeof *s);
    if (n->def == &FmtDefMQCFIL || n->def == &FmtDefMQCFIL64) {
        s->element = n->def == &FmtDefMQCFIL ? 4 : 8;
        s->countAt = 12;
        s->valuesAt = 16;
        return 1;
    }
    if (n->def == &FmtDefMQCFSL) {
        int64_t sl = EdReadInt(n->buffer, n->start + 20, n->encoding);
        s->element = sl > 0 ? (uint32_t)sl : 0;
        s->countAt = 16;
        s->valuesAt = 24;
        s->strings = 1;
        return 1;
    }
    return 0;
}

int StructArrayIndex(const StructContext *c, int *index)
{
    *index = -1;
    const StructNode *n = StructNodeAt(c, c->current);
    ListShape s;
    if (!n || c->current < 0 || !ListOf(n, &s))
        return 0;
    PCFDATA *ed = c->ed;
    int64_t count = EdReadInt(n->buffer, n->start + s.countAt, n->encoding);
    uint32_t at = ed->cursor.digit / 2, values = n->start + s.valuesAt;
    if (at < values || count <= 0)
        return 1;
    int64_t i = s.element ? (int64_t)(at - values) / s.element : count - 1;
    *index = (int)(i < count - 1 ? i : count - 1);
    return 1;
}

/* ---- writing into the chain ---- */


/* Adds to an integer of a node (a count or a length), in its encoding. */
static int AddToField(PCFDATA *ed, CSDATA *b, uint32_t at, uint32_t encoding, int32_t difference)
{
    int64_t v = EdReadInt(b, at, encoding);
    if (v < 0 && difference < 0)
        return 0;
    return EdWriteInt(ed, b, at, encoding, v + difference);
}

/* The PCF header or group whose ParameterCount counts a parameter added
 * before (or after) the current structure; its count offset. */
static int Holder(const StructContext *c, int after, uint32_t *start, uint32_t *countAt, uint32_t *encoding)
{
    const StructNode *n = StructNodeAt(c, c->current);
    if (!n || c->current < 0)
        return 0;
    *encoding = n->encoding;
    if (after && (n->def->kind & (SK_PCF_HEADER | SK_PCF_GROUP))) {
        *start = n->start;
        *countAt = n->start + ((n->def->kind & SK_PCF_HEADER) ? PCF_COUNT : GROUP_COUNT);
        return 1;
    }
    if (!n->hasPcf || !n->pcfDef)
        return 0;
    *start = n->pcfStart;
    *countAt = n->pcfStart + ((n->pcfDef->kind & SK_PCF_HEADER) ? PCF_COUNT : GROUP_COUNT);
    for (uint32_t i = 0; i < c->count; i++)
        if (c->nodes[i].start == n->pcfStart)
            *encoding = c->nodes[i].encoding;
    return 1;
}

/* A length change of a PCF structure inside an MQEPH reaches its length. */
static int AdjustEph(PCFDATA *ed, const StructNode *n, int32_t difference)
{
    if (!n || !n->eph || !difference)
        return 1;
    return AddToField(ed, &ed->data, n->ephStart + EPH_LENGTH, n->ephEncoding, difference);
}

/* The identifying conditions of a header in the header chain: the
 * previous header's format name and integer fields of its own. */
struct HeaderConditions {
    const char *format;
    const FmtCondition *own[4];
    uint32_t count;
};

static int FindConditions(const FmtStructDef *within, const FmtStructDef *def, HeaderConditions *h, int depth)
{
    for (const FmtStructRow *row = within->rows; row && row->field; row++) {
        const FmtFieldDef *f = row->field;
        if (f->type != FT_STRUCT && f->type != FT_REPEAT)
            continue;
        const FmtStructDef *sub = (const FmtStructDef *)f->reference;
        int here = sub == def;
        if (!here && (depth > 3 || !sub || !FindConditions(sub, def, h, depth + 1)))
            continue;
        for (const FmtCondition *cond = row->conditions; cond && cond->field; cond++) {
            if (cond->field == &FmtFFormat && cond->formatName && !h->format && strcmp(cond->formatName, "<ANYMSG>"))
                h->format = cond->formatName;
            else if (cond->field->type == FT_INT && h->count < 4)
                h->own[h->count++] = cond;
        }
        return 1;
    }
    return 0;
}

/* Offset of a field of a structure (first level), or -1. */
static int64_t OffsetOf(const FmtStructDef *def, const FmtFieldDef *field)
{
    for (const FmtStructRow *row = def->rows; row && row->field; row++)
        if (row->field == field)
            return row->offset;
    return -1;
}

/* The new header takes over what the previous one said follows it, and
 * the previous one names the new header's format. */
static int Chain(StructContext *c, int previous, int row, unsigned char *bytes, uint32_t n, uint32_t encoding,
                 uint32_t ccsid)
{
    PCFDATA *ed = c->ed;
    const StructNode *p = StructNodeAt(c, previous);
    const StructMenuRow *pr = &StructMenuTable[p->row], *nr = &StructMenuTable[row];
    const FmtStructDef *def = StructRowDef(row);
    if ((nr->flags & SMR_CHAINS) && nr->encodingAt + 4 <= n && nr->ccsidAt + 4 <= n && nr->formatAt + 8 <= n) {
        EdPutInt(bytes + nr->encodingAt, 4, (uint64_t)NodeInt(p, pr->encodingAt), encoding);
        EdPutInt(bytes + nr->ccsidAt, 4, (uint64_t)NodeInt(p, pr->ccsidAt), encoding);
        memcpy(bytes + nr->formatAt, p->buffer->data + p->start + pr->formatAt, 8);
        if (!EdConvertText(ed, bytes + nr->formatAt, 8, p->ccsid, ccsid))
            return 0;
    }
    HeaderConditions h = {};
    if (!FindConditions(&FmtDefHeaderChain, def, &h, 0))
        FindConditions(&FmtDefMessageContent, def, &h, 0);
    for (uint32_t i = 0; i < h.count; i++) {
        int64_t at = OffsetOf(def, h.own[i]->field);
        if (at >= 0 && at + 4 <= n)
            EdPutInt(bytes + at, 4, (uint64_t)(int64_t)h.own[i]->low, encoding);
    }
    if (!h.format)
        return 1;
    unsigned char name[8];
    memcpy(name, h.format, 8);
    return EdConvertText(ed, name, 8, 850, p->ccsid) &&
           EdReplaceBytes(ed, p->buffer, p->start + pr->formatAt, name, 8);
}

/* The encoding and CCSID in force at the insertion: the nearest header
 * before it that describes what follows, else the descriptor's. */
static void Target(const StructContext *c, int previous, uint32_t *encoding, uint32_t *ccsid)
{
    for (int i = previous; i >= 0; i--) {
        const StructNode *n = &c->nodes[i];
        if (n->row < 0 || !StructMenuTable[n->row].ccsidAt)
            continue;
        *encoding = (uint32_t)NodeInt(n, StructMenuTable[n->row].encodingAt);
        *ccsid = (uint32_t)NodeInt(n, StructMenuTable[n->row].ccsidAt);
        return;
    }
    *encoding = (uint32_t)NodeInt(&c->md, 24);
    *ccsid = (uint32_t)NodeInt(&c->md, 28);
}

/* The MQRFH2 a node is or lies in, or null. */
static const StructNode *Rfh2Of(const StructContext *c, int i, StructNode *out)
{
    const StructNode *n = StructNodeAt(c, i);
    if (!n || i < 0)
        return nullptr;
    if (n->def == &FmtDefMQRFH2)
        return n;
    if (n->parent != &FmtDefMQRFH2)
        return nullptr;
    *out = *n;
    out->def = &FmtDefMQRFH2;
    out->start = n->parentStart;
    out->encoding = n->parentEncoding;
    return out;
}

static void Done(PCFDATA *ed, uint32_t at)
{
    EdCursorTo(ed, &ed->data, 2 * at);
    ed->anchor.column = ED_UNSET;
    ed->flush = 1;
    ed->editFlags |= EF_REBUILD;
}

static uint32_t TableFlags(int row)
{
    return row >= 0 && row < STRUCT_ROWS ? StructMenuTable[row].flags : 0;
}

static int StructInsert(StructContext *c, int after, int previous, uint32_t at, int row)
{
    PCFDATA *ed = c->ed;
    DialogWords *d = c->dialog;
    const FmtStructDef *def = StructRowDef(row);
    uint32_t flags = TableFlags(row);
    uint32_t n = FixedLength(row);
    if (!def || !n)
        return 0;
    if (def == &FmtDefMQCFIL || def == &FmtDefMQCFIL64)
        n = LIST_FIXED;
    unsigned char *bytes = (unsigned char *)CSGetMem(n, "STRUCTNODE");
    if (!bytes) {
        EdSetStatus(ed, edNoMemory);
        return 0;
    }
    memset(bytes, 0, n);
    if (def->defaultInstance)
        memcpy(bytes, def->defaultInstance, def->defaultLength < n ? def->defaultLength : n);
    if (def == &FmtDefXQH && n >= XQH_MD + MD_V1 && ed->descriptor.length >= MD_V1 &&
        ED_HOST(edHost, confirm, d,
                "!Would you like to copy the Message Descriptor into the Transmission Header (MQXQH)", nullptr, 0))
        memcpy(bytes + XQH_MD, ed->descriptor.data, MD_V1);
    uint32_t encoding, ccsid;
    Target(c, after ? previous : previous, &encoding, &ccsid);
    EdBeginUndoGroup(ed);
    unsigned char *p = bytes;
    int rc = StructConvertFields(def, &p, n, 850, 546, (int)ccsid, (int32_t)encoding);
    int ok = rc == 0;
    if (!ok)
        EdSetErrorText(ed, rc == 4 ? "Character not valid in source codepage" : "Character not valid in target codepage");
    if (ok && (flags & SMR_HEADER) && previous != -1 && (RowFlags(c, previous) & SMR_CHAINS))
        ok = Chain(c, previous, row, bytes, n, encoding, ccsid);
    ok = ok && EdInsertBytes(ed, &ed->data, at, bytes, n);
    StructNode rfh;
    const StructNode *rfh2 = (flags & SMR_XML_SECTION) ? Rfh2Of(c, previous, &rfh) : nullptr;
    if (ok && rfh2)
        ok = AddToField(ed, &ed->data, rfh2->start + RFH2_LENGTH, rfh2->encoding, (int32_t)n);
    if (ok && (flags & SMR_PCF_PARM)) {
        uint32_t start, countAt, enc;
        ok = Holder(c, after, &start, &countAt, &enc);
        if (!ok)
            EdSetErrorText(ed, "No previous structure for insertion");
        ok = ok && AddToField(ed, &ed->data, countAt + (at <= countAt ? n : 0), enc, 1) &&
             AdjustEph(ed, StructNodeAt(c, c->current), (int32_t)n);
    }
    CSFreeMem(bytes);
    if (ok)
        Done(ed, at);
    EdEndUndoGroup(ed, ok);
    return ok;
}

/* ---- the commands ---- */

/* The context of a command, after the edit check. */
static int Begin(DialogWords *d, StructContext *c)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed || !EdCanEdit(ed, nullptr)) {
        if (ed && ed->status[0])
            EdSetStatus(ed, ed->status);
        return 0;
    }
    StructLocate(c, d);
    return 1;
}

static int Finish(DialogWords *d, StructContext *c, int ok)
{
    StructFreeContext(c);
    if (ok) {
        EdBuildLineData(d->editor, 1);
        ED_HOST(edHost, postUpdate, d, 0, 2);
    }
    return ok;
}

/* A command with nothing to act on at the cursor: said, nothing changed. */
static int Refused(DialogWords *d, StructContext *c, const char *why)
{
    if (c->ed)
        EdSetStatus(c->ed, why);
    return Finish(d, c, 0);
}

static int RowOfCommand(int id, int base)
{
    int row = id - base;
    return row >= 0 && row < STRUCT_ROWS && StructRowDef(row) ? row : -1;
}

int StructInsertBefore(DialogWords *d, int id)
{
    StructContext c;
    if (!Begin(d, &c))
        return 0;
    int row = RowOfCommand(id, SM_BEFORE), ok = 0;
    if (row >= 0) {
        if (c.current < 0) {
            ok = StructInsert(&c, 0, STRUCT_MD, 0, row);
        } else if (c.previous == -1 || ((TableFlags(row) & SMR_HEADER) && c.nodes[c.current].eph)) {
            /* (a header cannot go inside an MQEPH before its PCF header) */
            EdSetStatus(c.ed, "No previous structure for insertion");
        } else {
            ok = StructInsert(&c, 0, c.previous, c.nodes[c.current].start, row);
        }
    }
    return Finish(d, &c, ok);
}

int StructInsertAfter(DialogWords *d, int id)
{
    StructContext c;
    if (!Begin(d, &c))
        return 0;
    int row = RowOfCommand(id, SM_AFTER), ok = 0;
    if (row >= 0) {
        PCFDATA *ed = c.ed;
        if (c.current >= 0) {
            const StructNode *n = &c.nodes[c.current];
            ok = StructInsert(&c, 1, c.current, n->start + n->length, row);
        } else {
            uint32_t at = ed->cursor.buffer == &ed->data ? ed->cursor.digit / 2 : 0;
            ok = StructInsert(&c, 1, -1, at > ed->data.length ? ed->data.length : at, row);
        }
    }
    return Finish(d, &c, ok);
}

int StructRemove(DialogWords *d)
{
    StructContext c;
    if (!Begin(d, &c))
        return 0;
    const StructNode *n = StructNodeAt(&c, c.current);
    if (!n || c.current < 0 || n->row < 0)
        return Refused(d, &c, "There is no structure to remove at the cursor");
    PCFDATA *ed = c.ed;
    StructNode node = *n;
    uint32_t flags = StructMenuTable[node.row].flags;
    if (StructHoldsParameters(&node))           /* its parameters would be left uncounted */
        return Refused(d, &c, "The structure still holds parameters");
    EdBeginUndoGroup(ed);
    int ok = 1;
    if ((flags & SMR_HEADER) && c.previous != -1 && (RowFlags(&c, c.previous) & SMR_CHAINS)) {
        const StructNode *p = StructNodeAt(&c, c.previous);
        const StructMenuRow *pr = &StructMenuTable[p->row], *nr = &StructMenuTable[node.row];
        unsigned char format[8];
        if (flags & SMR_CHAINS) {
            memcpy(format, node.buffer->data + node.start + nr->formatAt, 8);
            ok = EdConvertText(ed, format, 8, node.ccsid, p->ccsid) &&
                 EdWriteInt(ed, p->buffer, p->start + pr->encodingAt, p->encoding, NodeInt(&node, nr->encodingAt)) &&
                 EdWriteInt(ed, p->buffer, p->start + pr->ccsidAt, p->encoding, NodeInt(&node, nr->ccsidAt));
        } else {
            memset(format, ' ', 8);     /* nothing follows a header that describes nothing */
            ok = EdConvertText(ed, format, 8, 850, p->ccsid);
        }
        ok = ok && EdReplaceBytes(ed, p->buffer, p->start + pr->formatAt, format, 8);
    }
    if (ok && node.def == &FmtDefXQH && node.length >= XQH_MD + MD_V1 &&
        ED_HOST(edHost, confirm, d,
                "!Would you like to copy Transmission Header (MQXQH) fields in to the Message Descriptor", nullptr, 0)) {
        unsigned char header[XQH_MD + MD_V1];
        memcpy(header, node.buffer->data + node.start, sizeof header);
        unsigned char *p = header;
        StructConvertFields(&FmtDefXQH, &p, sizeof header, (int)node.ccsid, (int32_t)node.encoding, 850, 546);
        /* behind another header the descriptor keeps describing that one:
         * its Encoding, CodedCharSetId and Format stay */
        if (c.previous != STRUCT_MD && ed->descriptor.length >= 40)
            memcpy(header + XQH_MD + 24, ed->descriptor.data + 24, 16);
        ok = EdReplaceBytes(ed, &ed->descriptor, 0, header + XQH_MD, MD_V1);
    }
    StructNode rfh;
    const StructNode *rfh2 = (flags & SMR_XML_SECTION) ? Rfh2Of(&c, c.current, &rfh) : nullptr;
    if (ok && rfh2 && rfh2 != n)
        ok = AddToField(ed, &ed->data, rfh2->start + RFH2_LENGTH, rfh2->encoding, -(int32_t)node.length);
    ok = ok && EdDeleteBytes(ed, &ed->data, node.start, node.length);
    if (ok && (flags & SMR_PCF_PARM)) {
        uint32_t start, countAt, enc;
        ok = Holder(&c, 0, &start, &countAt, &enc) &&
             AddToField(ed, &ed->data, countAt - (countAt > node.start ? node.length : 0), enc, -1) &&
             AdjustEph(ed, &node, -(int32_t)node.length);
    }
    if (ok)
        Done(ed, node.start);
    EdEndUndoGroup(ed, ok);
    return Finish(d, &c, ok);
}

/* One element more (at index) or one fewer in the current list. */
static int Element(DialogWords *d, int add, int after)
{
    StructContext c;
    if (!Begin(d, &c))
        return 0;
    int index, ok = 0;
    const StructNode *n = StructNodeAt(&c, c.current);
    ListShape s;
    if (!StructArrayIndex(&c, &index) || !ListOf(n, &s))
        return Refused(d, &c, "The cursor is not on a list of values");
    if (!add && index < 0)
        return Refused(d, &c, "The cursor is not on an element of the list");
    PCFDATA *ed = c.ed;
    StructNode node = *n;
    uint32_t count = (uint32_t)NodeInt(&node, s.countAt);
    if (add) {
        index = index < 0 ? 0 : index + (after ? 1 : 0);
        if ((uint32_t)index > count)
            index = (int)count;
    }
    uint32_t element = s.element, fixed = s.valuesAt;
    uint32_t newElement = s.strings && !element ? 1 : element;
    uint32_t newCount = add ? count + 1 : count - 1;
    uint32_t oldSize = node.length;
    uint32_t newSize = s.strings ? (uint32_t)(((uint64_t)fixed + (uint64_t)newCount * newElement + 3) & ~3ull)
                                 : oldSize + (add ? newElement : 0) - (add ? 0 : element);
    EdBeginUndoGroup(ed);
    if (s.strings) {
        /* the list rebuilt: elements, then zero padding to a multiple of 4 */
        unsigned char *block = (unsigned char *)CSGetMem(newSize ? newSize : 1, "NEWCFSL");
        if (!block) {
            EdSetErrorText(ed, edNoMemory);
        } else {
            unsigned char blank = FmtGetCodepage(node.ccsid)->ch[CP_BLANK];
            memset(block, 0, newSize);
            memcpy(block, node.buffer->data + node.start, fixed);
            EdPutInt(block + 4, 4, newSize, node.encoding);
            EdPutInt(block + s.countAt, 4, newCount, node.encoding);
            EdPutInt(block + 20, 4, newElement, node.encoding);
            const unsigned char *from = node.buffer->data + node.start + fixed;
            for (uint32_t i = 0, j = 0; j < newCount; j++) {
                unsigned char *to = block + fixed + j * newElement;
                if (add && j == (uint32_t)index) {
                    memset(to, blank, newElement);
                    continue;
                }
                if (!add && i == (uint32_t)index)
                    i++;
                memset(to, blank, newElement);
                if (element)
                    memcpy(to, from + i * element, element);
                i++;
            }
            int32_t difference = (int32_t)newSize - (int32_t)oldSize;
            ok = (difference > 0 ? EdInsertBytes(ed, &ed->data, node.start, block, (uint32_t)difference)
                  : difference < 0 ? EdDeleteBytes(ed, &ed->data, node.start, (uint32_t)-difference) : 1) &&
                 EdReplaceBytes(ed, &ed->data, node.start, block, newSize) && AdjustEph(ed, &node, difference);
            CSFreeMem(block);
        }
    } else {
        uint32_t at = node.start + fixed + (uint32_t)index * element;
        ok = (add ? EdInsertRun(ed, &ed->data, at, 0, element) : EdDeleteBytes(ed, &ed->data, at, element)) &&
             EdWriteInt(ed, &ed->data, node.start + s.countAt, node.encoding, newCount) &&
             EdWriteInt(ed, &ed->data, node.start + 4, node.encoding, newSize) &&
             AdjustEph(ed, &node, (int32_t)newSize - (int32_t)oldSize);
    }
    if (ok) {
        uint32_t shown = (uint32_t)index;
        if (!add && shown >= newCount && shown)
            shown--;                    /* the last one went: back one element */
        EdCursorTo(ed, &ed->data, 2 * (node.start + fixed + shown * newElement));
        ed->editFlags |= EF_REBUILD;
    }
    EdEndUndoGroup(ed, ok);
    return Finish(d, &c, ok);
}

int StructAddArrayElementBefore(DialogWords *d) { return Element(d, 1, 0); }
int StructAddArrayElementAfter(DialogWords *d) { return Element(d, 1, 1); }
int StructRemoveArrayElement(DialogWords *d) { return Element(d, 0, 0); }
