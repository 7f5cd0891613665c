/* Sort marks and column moves: a click on a heading chooses the primary
 * and secondary sort columns and their directions, marks carry over to a
 * newly arrived area, and a column dragged onto another moves in the
 * column list and in every row of the dialog's areas. */
#include "pcflists.h"
#include "../pcfint.h"

#include <initializer_list>

#include "cs.h"

/* Marks on a column list by index (-1: none). */
static void SetMarks(PCFLISTENTRY *list, int primary, int pd, int secondary, int sd)
{
    for (int i = 0; list && list[i].field; i++) {
        list[i].flags &= ~PCFL_SORTMARKS;
        if (i == primary)
            list[i].flags |= PCFL_SORT1 | (pd ? PCFL_DESCEND : 0);
        if (i == secondary)
            list[i].flags |= PCFL_SORT2 | (sd ? PCFL_DESCEND : 0);
    }
}

/* The same marks on another list by field. */
static void CopyMarks(const PCFLISTENTRY *from, PCFLISTENTRY *to)
{
    if (!from || !to || from == to)
        return;
    for (int i = 0; to[i].field; i++) {
        to[i].flags &= ~PCFL_SORTMARKS;
        for (int j = 0; from[j].field; j++)
            if (from[j].field == to[i].field)
                to[i].flags |= from[j].flags & PCFL_SORTMARKS;
    }
}

static void MarkAreas(DialogWords *d, const PCFLISTENTRY *marks)
{
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r)) {
        for (PCFLISTAREA *a : { r->replyArea, r->rebuilt }) {
            if (!a)
                continue;
            PCFLISTPARTS parts;
            PCFListAreaPointers(a, &parts);
            CopyMarks(marks, parts.columns);
        }
        if (r->columns != marks)
            CopyMarks(marks, r->columns);
    }
}

int PCFSortColumn(DialogWords *d, int column, int alt)
{
    if (!PCFOwnColumns(d))
        return 0;
    PCFLISTENTRY *list = PCFDialogColumns(d);
    if (column < 0 || column >= PCFColumnCount(list) || (list[column].flags & PCFL_NOSORT))
        return 0;
    int p = -1, s = -1, pd = 0, sd = 0;
    for (int i = 0; list[i].field; i++) {
        if ((list[i].flags & PCFL_SORT1) && p < 0) {
            p = i;
            pd = (list[i].flags & PCFL_DESCEND) != 0;
        } else if ((list[i].flags & PCFL_SORT2) && s < 0) {
            s = i;
            sd = (list[i].flags & PCFL_DESCEND) != 0;
        }
    }
    if (column == p) {
        pd = !pd;
        d->displayFlags |= 0x200;
    } else if (column == s && alt) {
        s = -1;
        d->displayFlags &= ~0x400u;
    } else if (column == s) {
        sd = !sd;
        d->displayFlags |= 0x400;
    } else if (alt) {
        s = column;
        sd = 0;
        d->displayFlags |= 0x400;
    } else {
        p = column;
        pd = 0;
        d->displayFlags |= 0x200;
    }
    SetMarks(list, p, pd, s, sd);
    MarkAreas(d, list);
    return 1;
}

void PCFCopySortMarks(DialogWords *d, PCFLISTREQ *, PCFLISTAREA *area)
{
    const PCFLISTENTRY *marks = PCFDialogColumns(d);
    int any = 0;
    for (int i = 0; marks && marks[i].field; i++)
        any |= (marks[i].flags & (PCFL_SORT1 | PCFL_SORT2)) != 0;
    if (!area || !any)
        return;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    CopyMarks(marks, parts.columns);
}

/* ---- moves ---- */

void PCFMoveArrayEntryTo(void *array, size_t size, int count, int from, int to)
{
    if (from == to || count <= 0 || from < 0 || to < 0 || from >= count || to >= count || size > 64)
        return;
    uint8_t *a = (uint8_t *)array, keep[64];
    memcpy(keep, a + size * (size_t)from, size);
    if (from < to)
        memmove(a + size * (size_t)from, a + size * (size_t)(from + 1), size * (size_t)(to - from));
    else
        memmove(a + size * (size_t)(to + 1), a + size * (size_t)to, size * (size_t)(from - to));
    memcpy(a + size * (size_t)to, keep, size);
}

void PCFMoveArrayEntry(void *array, size_t size, int count, int from, int to)
{
    if (from == to || count <= 0 || from < 0 || from >= count || to < 0 || to > count)
        return;
    PCFMoveArrayEntryTo(array, size, count, from, from < to ? to - 1 : to);
}

/* Where a column dragged from one place onto another ends: the two swap
 * when they are neighbours from the left, else it goes before the other. */
static int Destination(int from, int to)
{
    if (from == to - 1)
        return to;
    return from < to ? to - 1 : to;
}

int PCFMoveRowValue(PCFLISTAREA *, const PCFLISTENTRY *columns, PCFROW *row, int from, int to)
{
    int n = PCFColumnCount(columns);
    if (from == to || from < 0 || to < 0 || from >= n || to >= n || n > 512)
        return 1;
    uint8_t *start[513];
    uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; i < n; i++) {
        start[i] = v;
        v = PCFNextValue(v, columns[i].field);
    }
    start[n] = v;
    uint32_t bytes = (uint32_t)(v - ((uint8_t *)row + PCFLA_ROWHEADER));
    uint8_t *copy = (uint8_t *)CSGetMem(bytes ? bytes : 1, "ROWVALUES");
    if (!copy)
        return 0;
    int order[512];
    for (int i = 0; i < n; i++)
        order[i] = i;
    PCFMoveArrayEntryTo(order, sizeof order[0], n, from, to);
    uint32_t at = 0;
    for (int i = 0; i < n; i++) {
        uint32_t len = (uint32_t)(start[order[i] + 1] - start[order[i]]);
        memcpy(copy + at, start[order[i]], len);
        at += len;
    }
    uint8_t *values = (uint8_t *)row + PCFLA_ROWHEADER;
    if (row->keyOffset) {
        for (int i = 0; i < n; i++)
            if ((uint32_t)(start[i] - (uint8_t *)row) == row->keyOffset) {
                uint32_t before = 0;
                for (int j = 0; order[j] != i; j++)
                    before += (uint32_t)(start[order[j] + 1] - start[order[j]]);
                row->keyOffset = (uint16_t)(PCFLA_ROWHEADER + before);
                break;
            }
    }
    memcpy(values, copy, bytes);
    CSFreeMem(copy);
    return 1;
}

void PCFMoveAreaColumn(PCFLISTAREA *area, int from, int to)
{
    if (!area || from == to)
        return;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    int n = area->columns;
    int dest = Destination(from, to);
    if (from < 0 || from >= n || dest < 0 || dest >= n)
        return;
    uint32_t k = 0;
    for (PCFROW *row = PCFFirstRow(area); row && k < area->rows; row = PCFNextRow(area, row), k++)
        PCFMoveRowValue(area, parts.columns, row, from, dest);
    PCFMoveArrayEntryTo(parts.columns, sizeof(PCFLISTENTRY), n, from, dest);
    PCFMoveArrayEntryTo(parts.widths, 8, n, from, dest);
    PCFMoveArrayEntryTo(parts.entries, 16, n, from, dest);
    PCFMoveArrayEntryTo(parts.titles, 18, n, from, dest);
}

void PCFDumpList(const char *title, const PCFLISTENTRY *columns)
{
    if (!CSTraceIsOn())
        return;
    CSTrace(1, "List from '%s' @ %p\n", title ? title : "", (const void *)columns);
    for (int i = 0; columns && columns[i].field; i++)
        CSTrace(1, "  %20.20s %2d 0x%4.4hX\n", columns[i].field->title, (int)columns[i].field->type,
                (unsigned short)columns[i].flags);
}

void PCFMoveColumns(DialogWords *d, int from, int to)
{
    PCFLISTENTRY *list = PCFDialogColumns(d);
    int n = PCFColumnCount(list);
    if (from == to || from < 0 || from >= n || to < 0 || to >= n)
        return;
    int dest = Destination(from, to);
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r)) {
        PCFLISTAREA *a = PCFCurrentArea(r);
        if (a && PCFSameColumns(a, list))
            PCFMoveAreaColumn(a, from, to);
        if (r->rebuilt && r->replyArea && PCFSameColumns(r->replyArea, list))
            PCFMoveAreaColumn(r->replyArea, from, to);
    }
    PCFLISTENTRY *moved = PCFCopyColumns(list, 0);
    if (!moved)
        return;
    PCFMoveArrayEntryTo(moved, sizeof *moved, n, from, dest);
    PCFLISTSTATE *st = PCFListState(d);
    if (st && st->colCount == (uint32_t)n)
        PCFMoveArrayEntryTo(st->cols, sizeof *st->cols, n, from, dest);
    PCFDumpList(d->definition ? d->definition->title : "", moved);
    CHGLIST request = {};
    request.dialog = d;
    request.definition = d->definition;
    request.newList = moved;
    request.caps = PCFDialogCaps(d);
    request.requestCode = 131;
    PCFNotifyListUpdate(d->definition, &request);
}
