/* Lists rebuilt for the dialog's columns: a column list checked against
 * what a queue manager supports, a reply area laid out again for other
 * columns (values found by attribute, missing ones empty and marked), the
 * records rebuilt after the columns changed, and the count of selected
 * queue managers. */
#include "pcflists.h"
#include "../pcfint.h"

#include "cs.h"
#include "qms.h"

#define ROW_MAX 65528u

int PCFSameColumns(PCFLISTAREA *area, const PCFLISTENTRY *columns)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    int n = PCFColumnCount(columns);
    if (n != area->columns)
        return 0;
    for (int i = 0; i < n; i++)
        if (parts.columns[i].field != columns[i].field ||
            (parts.columns[i].flags & 0x4D) != (columns[i].flags & 0x4D))
            return 0;
    return 1;
}

/* ---- checking a column list ---- */

static void TraceList(const char *what, QMS *location, const PCFLISTENTRY *columns)
{
    if (!CSTraceIsOn())
        return;
    CSTrace(1, what, location ? location->qmName : "");
    PCFDumpList(location ? location->qmName : "", columns);
}

void CheckValidOneList(DialogWords *d, QMS *location, PCFLISTENTRY *columns, PCFLISTENTRY **slot, uint32_t *owns)
{
    const PCFCommandDef *def = d->definition;
    if (!columns || !def)
        return;
    PCFFieldEntry *detail = def->detail ? def->detail : def->fields;
    const uint8_t *caps = location ? location->caps : PCFDialogCaps(d);
    TraceList("CheckValidOneList(%s)\n", location, columns);
    int n = PCFColumnCount(columns), all = 1;
    for (int i = 0; i < n && all; i++)
        all = PCFFindSameField(caps, detail, columns[i].field) != nullptr;
    if (all) {
        if (!*slot) {
            *slot = columns;
            *owns = 0;
        }
        return;
    }
    PCFLISTENTRY *list = (PCFLISTENTRY *)CSGetMem(sizeof(PCFLISTENTRY) * (size_t)(n + 1), "PCFLIST");
    if (!list)
        return;
    int k = 0;
    for (int i = 0; i < n; i++) {
        if (i && columns[i].field->attrId == columns[i - 1].field->attrId)
            continue;
        if (PCFFindSameField(caps, detail, columns[i].field))
            list[k++] = columns[i];
    }
    list[k] = { nullptr, 0 };
    if (*owns && *slot)
        PCFReleaseColumns(*slot);
    *slot = list;
    *owns = 1;
    TraceList("CheckValidOneList(%s) New List\n", location, list);
}

void PCFCheckListsCore(DialogWords *d)
{
    if (!d->definition || !d->definition->list)
        return;
    PCFLISTENTRY *columns = PCFDialogColumns(d);
    if (d->definition->flags & PCFD_PAIR) {
        d->second.columns = d->first.columns;
        d->second.ownsColumns = 0;
        return;
    }
    CheckValidOneList(d, d->first.location, columns, &d->first.columns, &d->first.ownsColumns);
}

/* ---- rebuilding an area ---- */

/* Room for more bytes in the area being built; a bigger copy when not. */
static PCFLISTAREA *Room(PCFLISTAREA *a, uint32_t more)
{
    if ((uint64_t)a->used + more <= a->size)
        return a;
    uint64_t size = (uint64_t)a->size + (more > 1024 ? more : 1024);
    if (size < (uint64_t)a->size * 3 / 2)
        size = (uint64_t)a->size * 3 / 2;
    if (size > 0x7FFFFFFF)
        return nullptr;
    PCFLISTAREA *g = AllocRefBlock((uint32_t)size, "PCFLISTAREA");
    if (!g)
        return nullptr;
    memcpy(g, a, a->used);
    g->size = (uint32_t)size;
    g->refCount = 1;
    ReleaseRefBlock(&a);
    return g;
}

/* Copies one row for the new columns; *missing set when a value was not
 * in the old row. */
static PCFLISTAREA *CopyListRow(PCFLISTAREA *to, PCFLISTAREA *from, PCFROW *row, const PCFLISTENTRY *columns,
                                int first, int *missing)
{
    PCFLISTPARTS old, parts;
    PCFListAreaPointers(from, &old);
    int n = PCFColumnCount(columns);
    uint32_t need = row->length + (uint32_t)n * 64 + 8;
    if (!(to = Room(to, need)))
        return nullptr;
    PCFListAreaPointers(to, &parts);
    uint8_t *start = (uint8_t *)to + to->used, *out = start + PCFLA_ROWHEADER;
    memcpy(start, row, PCFLA_ROWHEADER);
    PCFROW *copy = (PCFROW *)start;
    copy->keyOffset = 0;
    for (int i = 0; i < n; i++) {
        const PCFFieldDef *f = columns[i].field;
        uint8_t *value = nullptr;
        int at = -1;
        uint32_t len;
        if (PCFFindParm(old.columns, row, f->attrId, &value, &at, nullptr) &&
            (len = PCFValueLength(value, old.columns[at].field)) + (uint32_t)(out - start) + 64 <= ROW_MAX) {
            if (row->keyOffset && (uint8_t *)row + row->keyOffset == value)
                copy->keyOffset = (uint16_t)(out - start);
            memcpy(out, value, len);
            out += len;
            if (first) {
                memcpy(parts.widths + 8 * i, old.widths + 8 * at, 8);
                memcpy(parts.entries + 16 * i, old.entries + 16 * at, 16);
                memcpy(parts.titles + 18 * i, old.titles + 18 * at, 18);
            }
        } else {
            len = ResetListValue(f->type, out);
            if (f->attrId)
                Put16(out, PCFV_WHITE);
            out += len;
            *missing = 1;
        }
    }
    uint32_t length = ((uint32_t)(out - start) + 7) & ~7u;
    memset(out, 0, length - (uint32_t)(out - start));
    copy->length = (uint16_t)length;
    to->used += length;
    return to;
}

int PCFLoadListData(DialogWords *d, PCFLISTAREA *from, PCFLISTAREA **outNew, int *outRefresh)
{
    const PCFLISTENTRY *columns = PCFDialogColumns(d);
    *outNew = nullptr;
    if (!from || !columns || PCFSameColumns(from, columns))
        return 0;
    int n = PCFColumnCount(columns);
    uint32_t head = (PCFListAreaSize(n) + 7) & ~7u;
    uint32_t size = head + 1024 > from->size ? head + 1024 : from->size;
    PCFLISTAREA *to = AllocRefBlock(size, "PCFLISTAREA");
    if (!to)
        return 1;
    memset((uint8_t *)to + PCFLA_HEADER, 0, head - PCFLA_HEADER);
    to->columns = (uint16_t)n;
    to->flags = from->flags;
    to->sequence = from->sequence;
    to->rows = 0;
    to->used = head;
    PCFLISTPARTS parts;
    PCFListAreaPointers(to, &parts);
    memcpy(parts.columns, columns, sizeof(PCFLISTENTRY) * (size_t)n);
    int missing = 0;
    uint32_t k = 0;
    for (PCFROW *row = PCFFirstRow(from); row && k < from->rows; row = PCFNextRow(from, row), k++) {
        if (!(to = CopyListRow(to, from, row, columns, k == 0, &missing)))
            return 1;
        to->rows++;
    }
    if (!from->rows || missing)
        *outRefresh = 1;
    *outNew = to;
    return 0;
}

int PCFRebuildLists(DialogWords *d)
{
    PCFLISTENTRY *columns = PCFDialogColumns(d);
    int refresh = 0;
    if (!columns)
        return 0;
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r)) {
        if (r != &d->first && r->columns != columns) {
            if (r->ownsColumns)
                PCFReleaseColumns(r->columns);
            r->columns = columns;
            r->ownsColumns = 0;
        }
        if (!r->replyArea)
            continue;
        if (PCFSameColumns(r->replyArea, columns)) {
            ReleaseRefBlock(&r->rebuilt);
            continue;
        }
        PCFLISTAREA *rebuilt = nullptr;
        int missing = 0;
        if (PCFLoadListData(d, r->replyArea, &rebuilt, &missing) == 0 && rebuilt) {
            ReleaseRefBlock(&r->rebuilt);
            r->rebuilt = rebuilt;
            refresh |= missing && r->replyArea->rows;
        }
    }
    return refresh;
}

int PCFCountSelectedLists(DialogWords *d)
{
    int selected = 0, firstOnly = 1;
    PCFLISTENTRY *columns = PCFDialogColumns(d);
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r)) {
        if (!(r->flags & PCFLR_SELECTED)) {
            if (r == &d->first)
                firstOnly = 0;
            continue;
        }
        if (!r->columns) {
            r->columns = columns;
            r->ownsColumns = 0;
        }
        selected++;
        if (r != &d->first)
            firstOnly = 0;
    }
    if (firstOnly && (d->first.flags & PCFLR_SELECTED))
        d->optionFlags &= ~DO_SEVERAL_QMGRS;
    else
        d->optionFlags |= DO_SEVERAL_QMGRS;
    uint32_t before = d->viewOptions;
    if (selected > 1)
        d->viewOptions |= DV_SEVERAL;
    else
        d->viewOptions &= ~DV_SEVERAL;
    return (before ^ d->viewOptions) & DV_SEVERAL ? 1 : 0;
}
