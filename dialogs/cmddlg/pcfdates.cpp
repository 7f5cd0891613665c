/* Combined date-time values computed again from their date and time
 * parts: in a dialog's data area, and in a copy of a list area whose
 * rows carry combined columns (after the time display changed). */
#include "cmddlg.h"
#include "../pcfint.h"

#include <cstdio>
#include <cstring>

#include "cs.h"

void (*PCFNoticeSink)(const char *caption, const char *text);

/* With tracing on, a missing piece is reported in a notice box. */
static void Missing(const char *text)
{
    if (CSTraceIsOn() && PCFNoticeSink)
        PCFNoticeSink("TK47 Debuggging", text);
}

static int IsPair(int type)
{
    return type == PCFT_DATETIME || type == PCFT_DATETIME100;
}

/* The text of a data-area string value, its length trimmed. */
static int AreaText(DialogWords *d, uint32_t attrId, const char **text, const char *missing,
                    const char *empty)
{
    uint16_t state = 0;
    uint8_t *v = PCFGetStrValue(PCFDialogCaps(d), d->definition, d->dataArea, attrId, &state);
    if (!v || !(state & PCFS_PRESENT)) {
        Missing(missing);
        return -1;
    }
    int n = (int)strnlen((const char *)v, 64);
    while (n && ((const char *)v)[n - 1] == ' ')
        n--;
    if (!n) {
        Missing(empty);
        return -1;
    }
    *text = (const char *)v;
    return n;
}

/* The 16-byte value of a pair: date and time, eight bytes each. */
static void PairValue(const char *date, int dn, const char *time, int tn, uint8_t value[16])
{
    memset(value, ' ', 16);
    memcpy(value, date, (size_t)(dn > 8 ? 8 : dn));
    if (time)
        memcpy(value + 8, time, (size_t)(tn > 8 ? 8 : tn));
}

int PCFCheckDateFields(DialogWords *d, int rebuild)
{
    if (!d || !d->definition || !d->dataArea)
        return 0;
    for (PCFFieldEntry *e = d->definition->fields; e && e->field; e++) {
        if (!IsPair(e->field->type))
            continue;
        uint32_t dateId, timeId;
        int dateOnly = e->field->attrId == 10235;
        if (!dateOnly && !FindDateTimePair(e->field->attrId, &dateId, &timeId)) {
            Missing("Formatted Date Field not found");
            continue;
        }
        if (dateOnly)
            dateId = 2004, timeId = 0;
        const char *date = nullptr, *time = nullptr;
        int dn = AreaText(d, dateId, &date, "Formatted Date Field Missing", "Formatted Date Field Length Zero");
        if (dn < 0)
            continue;
        int tn = 0;
        if (!dateOnly) {
            tn = AreaText(d, timeId, &time, "Formatted Time Field Missing", "Formatted Time Field Length Zero");
            if (tn < 0)
                continue;
        }
        char text[64];
        snprintf(text, sizeof text, "%.*s %.*s", dn, date, tn, time ? time : "");
        uint8_t value[16];
        PairValue(date, dn, time, tn, value);
        PCFSetPairValue(d->dataArea, e, text, value);
    }
    if (!rebuild || !d->definition->list)
        return 0;
    int rebuilt = 0;
    for (PCFLISTREQ *r = d->lists ? d->lists : &d->first; r; r = d->lists ? r->next : nullptr)
        rebuilt |= PCFRecomputeDateTimes(d, r);
    return rebuilt;
}

/* ---- list areas ---- */

/* A text value of a row (types with the text at +12). */
static int RowText(PCFLISTAREA *area, PCFROW *row, uint32_t attrId, const char **text)
{
    uint8_t *v = FindItemAttr(area, attrId, row);
    if (!v || !(Get16(v) & PCFS_PRESENT))
        return 0;
    *text = (const char *)v + PCFLV_TEXT;
    return PCFTrimmedLength((const uint8_t *)*text, PCFListLength(v));
}

/* Room for more bytes in the copy: regrown by 10240 when less than 1024
 * remain; null when storage runs out. */
static PCFLISTAREA *Room(PCFLISTAREA *copy, uint32_t more)
{
    if (copy->size - copy->used >= more + 1024)
        return copy;
    uint32_t size = copy->size + 10240 + more;
    PCFLISTAREA *grown = AllocRefBlock(size, "PCFLISTAREA");
    if (grown) {
        uint32_t refs = grown->refCount;
        memcpy(grown, copy, copy->used);
        grown->size = size;
        grown->refCount = refs;
    }
    ReleaseRefBlock(&copy);
    return grown;
}

/* Appends one row, its pair columns made again; null when out of storage. */
static PCFLISTAREA *CopyRow(PCFLISTAREA *copy, PCFLISTAREA *area, PCFROW *row, const PCFLISTENTRY *columns)
{
    uint32_t length = row->length ? row->length : PCFLA_ROWHEADER;
    copy = Room(copy, length + 64 * 8);
    if (!copy)
        return nullptr;
    uint8_t *start = (uint8_t *)copy + copy->used, *out = start;
    memcpy(out, row, PCFLA_ROWHEADER);
    out += PCFLA_ROWHEADER;
    uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; columns[i].field; i++) {
        const PCFFieldDef *f = columns[i].field;
        uint32_t n = PCFValueLength(v, f);
        uint32_t dateId, timeId;
        const char *date = nullptr, *time = nullptr;
        int dn, tn;
        if (IsPair(f->type) && FindDateTimePair(f->attrId, &dateId, &timeId) &&
            (dn = RowText(area, row, dateId, &date)) > 0 && (tn = RowText(area, row, timeId, &time)) >= 0) {
            if ((uint32_t)(out - start) + 36 + 64 > copy->size - copy->used)
                return copy;
            char text[64];
            int tl = snprintf(text, sizeof text, "%.*s %.*s", dn > 20 ? 20 : dn, date, tn > 20 ? 20 : tn,
                              time ? time : "");
            memset(out, 0, 36);
            Put16(out, PCFS_PRESENT);
            Put16(out + 2, (uint16_t)tl);
            PairValue(date, dn, time, tn, out + 12);
            memcpy(out + 36, text, (size_t)tl + 1);
            out += 36 + tl;
        } else {
            memcpy(out, v, n);
            out += n;
        }
        v += n;
    }
    uint32_t used = (uint32_t)((out - start + 7) & ~7);
    ((PCFROW *)start)->length = (uint16_t)used;
    copy->used += used;
    return copy;
}

int PCFRecomputeDateTimes(DialogWords *, PCFLISTREQ *r)
{
    PCFLISTAREA *area = r->rebuilt ? r->rebuilt : r->replyArea;
    if (!area)
        return 0;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    int pairs = 0;
    for (int i = 0; parts.columns[i].field; i++)
        pairs |= IsPair(parts.columns[i].field->type);
    if (!pairs)
        return 0;
    uint32_t head = (uint32_t)(parts.rows - (uint8_t *)area);
    PCFLISTAREA *copy = AllocRefBlock(area->size + 1024, "PCFLISTAREA");
    if (!copy)
        return 0;
    uint32_t refs = copy->refCount;
    memcpy(copy, area, head);
    copy->size = area->size + 1024;
    copy->refCount = refs;
    copy->used = head;
    copy->rows = 0;
    for (PCFROW *row = PCFFirstRow(area); row && copy; row = PCFNextRow(area, row)) {
        copy = CopyRow(copy, area, row, parts.columns);
        if (copy)
            copy->rows++;
    }
    if (!copy)
        return 0;
    PCFLISTAREA **slot = r->rebuilt ? &r->rebuilt : &r->replyArea;
    ReleaseRefBlock(slot);
    *slot = copy;
    return 1;
}
