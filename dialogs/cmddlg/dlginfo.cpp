/* Dialog records: the column list merge, finding a record and freeing a
 * tree of records. */
#include "dlginfo.h"
#include "cs.h"

#include <cstring>

CSTREE *DlgInfoGlobal;

/* ---- columns ---------------------------------------------------------- */

int DlgColumnCount(const DLGCOLUMN *list)
{
    int n = 0;
    while (list && list[n].field)
        n++;
    return n;
}

int DlgColumnsHold(const DLGCOLUMN *list, int count, int32_t attribute)
{
    for (int i = 0; i < count; i++)
        if (DefFieldAttribute(list[i].field) == attribute)
            return 1;
    return 0;
}

void DlgFieldsMergeFlags(DLGCOLUMN *target, const DLGCOLUMN *source)
{
    if (!target || !source)
        return;
    for (const DLGCOLUMN *t = target; t->field; t++)
        if (t->flags & DLGCOL_SORTS)
            return;
    for (const DLGCOLUMN *s = source; s->field; s++)
        for (DLGCOLUMN *t = target; t->field; t++)
            if (DefFieldAttribute(t->field) == DefFieldAttribute(s->field))
                t->flags |= s->flags & DLGCOL_SORTS;
}

/* ---- freeing ---------------------------------------------------------- */

static void free_line(CSLISTELEM *, void *) {}

void DlgInfoFreeData(DLGINFO *d)
{
    CSFreeMemAndClear(&d->dftFilter);
    CSFreeMemAndClear(&d->columns);
    CSFreeMemAndClear(&d->raw);
    if (d->filters.first)
        CSListFree(&d->filters, free_line, nullptr);
}

static void free_info(CSTREE *e, void *)
{
    DlgInfoFreeData((DLGINFO *)e);
}

void DlgInfoFreeTree(CSTREE **tree)
{
    CSTreeFree(tree, free_info, nullptr);
}

DLGINFO *DlgInfoFind(CSTREE *tree, const char *title)
{
    char key[DLGINFO_TITLE] = { 0 };
    memcpy(key, title, strnlen(title, DLGINFO_TITLE - 1));
    return (DLGINFO *)CSTreeFind(tree, key, DLGINFO_TITLE);
}
