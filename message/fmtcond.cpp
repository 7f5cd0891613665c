/* Row conditions, value names of integer, character and numeric-text
 * values, flag lines, and the end lines of PCF headers and groups. */
#include "fmtint.h"
#include "csmem.h"
#include <cstdio>

static uint32_t Be32(const char *s)
{
    return (uint32_t)(unsigned char)s[0] << 24 | (uint32_t)(unsigned char)s[1] << 16 |
           (uint32_t)(unsigned char)s[2] << 8 | (unsigned char)s[3];
}

static uint32_t Swap32(uint32_t v)
{
    return v >> 24 | (v >> 8 & 0xFF00) | (v << 8 & 0xFF0000) | v << 24;
}

static int TestFormat(const FmtLineRec *lr, const FmtWalkFrame *frame, const FmtCondition *c)
{
    const FmtMsgInfo *msg = lr->msgInfo;
    if (!c->formatName) {
        uint32_t a = Be32(msg->format), b = Be32(msg->format + 4);
        if ((int32_t)a == c->low && (int32_t)b == c->high)
            return 1;
        return (int32_t)Swap32(a) == c->low && (int32_t)Swap32(b) == c->high;
    }
    if (memcmp(c->formatName, "<ANYMSG>", 8) == 0) {
        static const char *const text[] = { "MQSTR   ", "        ", "MQCMD1  ", "MQCMD2  " };
        for (const char *t : text)
            if (memcmp(msg->format, t, 8) == 0)
                return 1;
        return (frame && frame->bodyKind) || lr->forcedBodyKind;
    }
    return memcmp(c->formatName, msg->format, 8) == 0;
}

int FapTestConditions(FmtLineRec *lr, FmtWalkFrame *frames, const FmtCondition *c)
{
    for (; c && c->field; c++) {
        if (c->field->type == FT_FORMAT) {
            if (!TestFormat(lr, frames, c))
                return 0;
            continue;
        }
        const FmtWalkFrame *found = nullptr;
        const FmtStructRow *row = nullptr;
        for (const FmtWalkFrame *fr = frames; fr && !found; fr = fr->parent)
            for (const FmtStructRow *r = fr->def->rows; r && r->field; r++)
                if (r->field == c->field) {
                    found = fr;
                    row = r;
                    break;
                }
        if (!found)
            return 0;
        const unsigned char *p = found->start + row->offset;
        uint32_t size = FmtReadSize(c->field);
        if (p < lr->dataStart || p > lr->dataEnd || size > (uint64_t)(lr->dataEnd - p))
            return 200;
        uint16_t t = c->field->type;
        int64_t v = t == FT_INT || t == FT_INTH ? (int64_t)(int32_t)FmtRd32(p, found->encoding)
                                                : FapGetFieldSigned(c->field, p, found->encoding, found->ebcdic);
        if (t == FT_FLAGS8 || t == FT_FLAGS) {
            if (!(v & (int64_t)(uint32_t)c->low))
                return 0;
        } else if (v < c->low || v > c->high) {
            return 0;
        }
    }
    return 100;
}

static const FmtValueName *Table(const FmtFieldDef *f)
{
    return (const FmtValueName *)f->reference;
}

/* Sorted tables, registered once before formatting starts. */
static struct { const FmtValueName *table; uint32_t count; } sortedTables[16];
static uint32_t sortedCount;

void FmtMarkSortedTable(const FmtValueName *table, uint32_t count)
{
    if (sortedCount < 16)
        sortedTables[sortedCount++] = { table, count };
}

/* First row of a sorted table with the value, else the ending row. */
static const FmtValueName *SortedFind(const FmtValueName *vn, int64_t value)
{
    for (uint32_t i = 0; i < sortedCount; i++) {
        if (sortedTables[i].table != vn)
            continue;
        uint32_t lo = 0, hi = sortedTables[i].count;
        while (lo < hi) {
            uint32_t mid = (lo + hi) / 2;
            if ((int64_t)vn[mid].value < value)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo < sortedTables[i].count && (int64_t)vn[lo].value == value ? vn + lo
                                                                              : vn + sortedTables[i].count;
    }
    return nullptr;
}

uint32_t FapFormatValueName(const FmtFieldDef *f, int bare, int64_t value, char *out,
                            const FmtLineRec *lr)
{
    const FmtValueName *vn = Table(f);
    out[0] = 0;
    if (!vn)
        return 0;
    if (const FmtValueName *hit = SortedFind(vn, (int32_t)value))
        vn = hit;
    for (; vn->name; vn++) {
        if ((int64_t)vn->value != value && (uint32_t)vn->value != (uint32_t)value)
            continue;
        if (!vn->description || !vn->description[0])
            break;
        if (bare)
            return (uint32_t)sprintf(out, "%s", vn->description);
        if (lr && (lr->flags & LR_CONST_NAMES))
            return (uint32_t)sprintf(out, " %s (%s)", vn->name, vn->description);
        char *p = FmtPutStr(FmtPutMem(out, " (", 2), vn->description);    /* " (%s)" */
        *p++ = ')';
        *p = 0;
        return (uint32_t)(p - out);
    }
    if ((f->flags & FF_CCSID) || bare)
        return 0;
    return (uint32_t)sprintf(out, " (Unrecognised)");
}

static uint32_t NameOut(const FmtValueName *vn, int bare, char *out)
{
    if (bare)
        return (uint32_t)sprintf(out, " %s", vn->name);
    if (vn->description && strcmp(vn->description, vn->name))
        return (uint32_t)sprintf(out, " %s (%s)", vn->name, vn->description);
    return (uint32_t)sprintf(out, " %s", vn->name);
}

uint32_t FapFormatEnum(uint32_t ccsid, const FmtFieldDef *f, int bare, const unsigned char *data,
                       uint32_t length, char *out)
{
    const FmtValueName *vn = Table(f);
    out[0] = 0;
    if (!vn)
        return 0;
    const FmtCodepage *cp = FmtGetCodepage(ccsid);
    for (; vn->name; vn++) {
        const char *v = (const char *)(uintptr_t)vn->value;
        uint32_t n = (uint32_t)strlen(v), i;
        if (n > length)
            continue;
        for (i = 0; i < n; i++) {
            unsigned char c = cp->toAscii ? cp->toAscii[data[i]] : data[i];
            if ((char)c != v[i])
                break;
        }
        if (i < n)
            continue;
        for (; i < length && data[i] == cp->ch[CP_BLANK]; i++)
            ;
        if (i == length)
            return NameOut(vn, bare, out);
    }
    if ((f->flags & FF_CCSID) || bare)
        return 0;
    return (uint32_t)sprintf(out, " (Unrecognised)");
}

/* Numeric text normalised: sign, no leading zeros, no trailing fraction zeros. */
static void Normalise(const char *t, uint32_t n, char *out, int *negative)
{
    uint32_t i = 0;
    *negative = 0;
    if (i < n && (t[i] == '-' || t[i] == '+'))
        *negative = t[i++] == '-';
    while (i + 1 < n && t[i] == '0' && t[i + 1] != '.')
        i++;
    uint32_t len = n - i;
    memcpy(out, t + i, len);
    out[len] = 0;
    if (memchr(out, '.', len) && !memchr(out, 'e', len) && !memchr(out, 'E', len)) {
        while (len && out[len - 1] == '0')
            out[--len] = 0;
        if (len && out[len - 1] == '.')
            out[--len] = 0;
    }
}

uint32_t FapFormatTextEnum(const FmtFieldDef *f, int bare, const char *text, uint32_t length,
                           char *out)
{
    const FmtValueName *vn = Table(f);
    out[0] = 0;
    if (!vn || length > 60)
        return 0;
    char a[64], b[64];
    int na, nb;
    Normalise(text, length, a, &na);
    for (; vn->name; vn++) {
        const char *v = (const char *)(uintptr_t)vn->value;
        uint32_t n = (uint32_t)strlen(v);
        if (n > 60)
            continue;
        Normalise(v, n, b, &nb);
        if (na == nb && strcmp(a, b) == 0)
            return NameOut(vn, bare, out);
    }
    if ((f->flags & FF_CCSID) || bare)
        return 0;
    return (uint32_t)sprintf(out, " (Unrecognised)");
}

uint32_t FapFormatFlags(FmtLineSink sink, uint64_t context, const FmtFieldDef *f, uint64_t value,
                        uint32_t indent, FmtLineRec *lr)
{
    const FmtValueName *vn = Table(f);
    int narrow = f->type == FT_FLAGS8;
    uint32_t rc;
    if (!vn)
        return 0;
    for (; vn->name; vn++) {
        uint64_t bits = vn->value & 0xFFFFFFFFu;
        if (!bits || (value & bits) != bits)
            continue;
        if (lr->flags & LR_CONST_NAMES)
            rc = FmtEmitText(lr, sink, context, LF_CONTINUATION, "%*s%*.*llX %s (%s)", (int)indent, "",
                             narrow ? 2 : 8, narrow ? 2 : 8, (unsigned long long)bits, vn->name,
                             vn->description);
        else
            rc = FmtEmitText(lr, sink, context, LF_CONTINUATION, "%*s%*.*llX %s", (int)indent, "",
                             narrow ? 2 : 8, narrow ? 2 : 8, (unsigned long long)bits, vn->description);
        if (rc)
            return rc;
        value &= ~bits;
    }
    if (value)
        return FmtEmitText(lr, sink, context, LF_CONTINUATION, "%*s%*.*llX ** Unrecognised **",
                           (int)indent, "", narrow ? 2 : 8, narrow ? 2 : 8, (unsigned long long)value);
    return 0;
}

int BlankPadCompare(const char *a, uint32_t an, const char *b, uint32_t bn)
{
    uint32_t n = an > bn ? an : bn;
    for (uint32_t i = 0; i < n; i++) {
        char x = i < an ? a[i] : ' ', y = i < bn ? b[i] : ' ';
        if (x != y)
            return 0;
    }
    return 1;
}

/* ---- PCF groups ---- */

uint32_t FmtGroupText(const FmtPcfGroup *g, const char *prefix, char *out, uint32_t size)
{
    extern FmtFieldDef FmtFieldCommand, FmtFieldParameterId;
    const FmtFieldDef *f = g->commandIsParm ? &FmtFieldParameterId : &FmtFieldCommand;
    char name[256];
    FapFormatValueName(f, 1, g->command, name, nullptr);
    const char *what = g->commandIsParm ? "PCF group" : "Command";
    if (name[0])
        return (uint32_t)snprintf(out, size, "%s %s (%s) --", prefix, what, name);
    if (f->flags & FF_CCSID)
        return (uint32_t)snprintf(out, size, "%s %s --", prefix, what);
    return (uint32_t)snprintf(out, size, "%s %s (Unrecognised) --", prefix, what);
}

uint32_t FmtRightAligned(FmtLineRec *lr, FmtLineSink sink, uint64_t context, uint32_t lineFlags,
                         const char *text)
{
    char line[512];
    uint32_t n = (uint32_t)strlen(text), w = lr->width;
    if (lr->flags & LR_OFFSET_PREFIX)
        w = w > 30 ? w - 10 : 20;
    if (w > 400)
        w = 400;
    lr->field = nullptr;
    if (n + 1 >= w)
        return FmtEmitText(lr, sink, context, lineFlags, "%s", text);
    memset(line, '-', w - n - 1);
    line[w - n - 1] = ' ';
    memcpy(line + w - n, text, n);
    line[w] = 0;
    return FmtEmitText(lr, sink, context, lineFlags, "%s", line);
}

uint32_t FapFormatEndLines(FmtMsgInfo *msg, FmtWalkFrame *frame, FmtLineRec *lr, FmtLineSink sink,
                           uint64_t context, uint32_t remaining)
{
    (void)msg;
    uint32_t rc;
    int closed = 0;
    while (lr->groups && lr->groups->seen >= lr->groups->count) {
        FmtPcfGroup *g = lr->groups;
        char text[300];
        FmtGroupText(g, "-- End of", text, sizeof text);
        lr->groups = g->next;
        CSFreeMem(g);
        closed = 1;
        lr->dataOffset = FmtOffsetOf(lr, frame->cur);
        if ((rc = FmtRightAligned(lr, sink, context, LF_GROUP_END, text)))
            return rc;
        if (lr->groups)
            continue;
    }
    if (closed && !lr->groups && remaining)
        return FmtRightAligned(lr, sink, context, LF_MARKER, "-- Fields not in PCF parameter count --");
    return 0;
}

uint32_t FmtGroupIncompleteLines(FmtLineRec *lr, FmtLineSink sink, uint64_t context)
{
    while (lr->groups) {
        FmtPcfGroup *g = lr->groups;
        char text[300];
        uint32_t n = FmtGroupText(g, "-- Field", text, sizeof text);
        if (n >= 3 && n < sizeof text)
            snprintf(text + n - 3, sizeof text - (n - 3), " incomplete --");
        lr->groups = g->next;
        CSFreeMem(g);
        uint32_t rc = FmtRightAligned(lr, sink, context, LF_MARKER, text);
        if (rc)
            return rc;
    }
    return 0;
}

void FmtFreeGroups(FmtLineRec *lr)
{
    while (lr->groups) {
        FmtPcfGroup *g = lr->groups;
        lr->groups = g->next;
        CSFreeMem(g);
    }
}
