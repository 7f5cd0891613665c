/* The columns a filter asks for: variables marked "#", by "showcol" or
 * "hidecol" become shown, hidden or new columns of the dialog's lists,
 * user variables get pseudo fields of their own, the marks are undone
 * when the filter changes, and the field sorts set the sort marks. */
#include "fltint.h"

#include <cstdio>
#include <initializer_list>

/* ---- user-variable fields ---------------------------------------------- */

struct FLTUSERFIELD {
    CSTREE tree;
    const char *key;
    PCFFieldDef def;
    char title[FLT_TOKEN_MAX + 1];
    char name[FLT_TOKEN_MAX + 1];
};

static CSTREE *UserFields;
static uint32_t NextUserId = 0x40000000;

const PCFFieldDef *PCFUserVarField(const char *name)
{
    int type = FltUserVarType(name);
    if (!type)
        return nullptr;
    CSTREE *found = CSTreeFind(UserFields, name, CSKEY_STRPTR);
    if (found)
        return &((FLTUSERFIELD *)found)->def;
    FLTUSERFIELD image;
    memset(&image, 0, sizeof image);
    UTStrCopy(image.name, name, sizeof image.name);
    UTStrCopy(image.title, name + (type == FLT_INT ? 1 : 2), sizeof image.title);
    image.key = image.name;
    image.def.attrId = NextUserId++;
    image.def.type = type == FLT_INT ? PCFT_SIGNED : type == FLT_STRING ? PCFT_WIDE17 : PCFT_REAL;
    image.def.maximum = type == FLT_STRING ? 49 : 0x7FFFFFFF;
    image.def.minimum = type == FLT_STRING ? 0 : (int32_t)0x80000000;
    FLTUSERFIELD *f = (FLTUSERFIELD *)CSTreeAdd(&UserFields, "USERPCF", 0, &image, sizeof image, CSKEY_STRPTR);
    if (!f)
        return nullptr;
    f->key = f->name;
    f->def.title = f->def.name = f->def.shortTitle = f->title;
    return &f->def;
}

static void FreeUserField(CSTREE *, void *) {}

void FltFreeUserFields(void)
{
    CSTreeFree(&UserFields, FreeUserField, nullptr);
}

/* ---- column lists ------------------------------------------------------ */

static int Count(const PCFLISTENTRY *list)
{
    int n = 0;
    while (list && list[n].field)
        n++;
    return n;
}

static int Same(const PCFFieldDef *a, const PCFFieldDef *b)
{
    return a == b || (a && b && a->attrId == b->attrId);
}

static int Find(const PCFLISTENTRY *list, int n, const PCFFieldDef *f)
{
    for (int i = 0; i < n; i++)
        if (Same(list[i].field, f))
            return i;
    return -1;
}

/* The dialog's own copy of its current column list (made from the
 * definition's when the dialog has none); null without storage. */
static PCFLISTENTRY *OwnColumns(DialogWords *d)
{
    if (d->first.columns && d->first.ownsColumns)
        return d->first.columns;
    PCFLISTENTRY *from = FltDialogColumns(d);
    int n = Count(from);
    PCFLISTENTRY *list = (PCFLISTENTRY *)CSGetMem(sizeof(PCFLISTENTRY) * (size_t)(n + 1), "PCFLIST");
    if (!list)
        return nullptr;
    if (n)
        memcpy(list, from, sizeof(PCFLISTENTRY) * (size_t)n);
    memset(&list[n], 0, sizeof list[n]);
    d->first.columns = list;
    d->first.ownsColumns = 1;
    return list;
}

/* Remembers a column's flags in the current list and in the area before
 * the filter first changes them. */
static void Remember(DialogWords *d, FLTDLGSTATE *st, const PCFFieldDef *f)
{
    if (!st)
        return;
    for (int i = 0; i < st->markCount; i++)
        if (Same(st->marks[i].field, f))
            return;
    if (st->markCount >= (int)(sizeof st->marks / sizeof st->marks[0]))
        return;
    PCFLISTENTRY *list = FltDialogColumns(d);
    int k = Find(list, Count(list), f);
    FLTMARK m = { f, k >= 0 ? list[k].flags : 0, 0 };
    PCFLISTAREA *area = FltDialogArea(d);
    if (area) {
        PCFLISTPARTS parts;
        PCFListAreaPointers(area, &parts);
        k = Find(parts.columns, area->columns, f);
        m.flagsArea = k >= 0 ? parts.columns[k].flags : 0;
    }
    st->marks[st->markCount++] = m;
}

static void Mark(PCFLISTENTRY *e, uint16_t varFlags)
{
    if (varFlags & VF_SHOW)
        e->flags = (e->flags | PCFL_SHOWN) & ~0x10000u;
    else if (varFlags & VF_HIDE)
        e->flags = (e->flags | 0x10000u) & ~(uint32_t)PCFL_SHOWN;
}

void FltClearColumnMarks(DialogWords *d)
{
    FLTDLGSTATE *st = d->filterContext ? FltDialogState(d) : nullptr;
    if (!st)
        return;
    PCFLISTENTRY *list = d->first.ownsColumns ? d->first.columns : nullptr;
    PCFLISTAREA *area = FltDialogArea(d);
    PCFLISTPARTS parts = {};
    if (area)
        PCFListAreaPointers(area, &parts);
    const uint32_t marks = PCFL_SHOWN | 0x10000u;
    for (int i = 0; i < st->markCount; i++) {
        const FLTMARK *m = &st->marks[i];
        int k = Find(list, Count(list), m->field);
        if (k >= 0)
            list[k].flags = (list[k].flags & ~marks) | (m->flagsList & marks);
        k = area ? Find(parts.columns, area->columns, m->field) : -1;
        if (k >= 0)
            parts.columns[k].flags = (parts.columns[k].flags & ~marks) | (m->flagsArea & marks);
    }
    st->markCount = 0;
}

/* The date and time fields of a date-time pair column of the definition. */
static int PairFields(const PCFCommandDef *def, const PCFFieldDef *f, const PCFFieldDef **date,
                      const PCFFieldDef **time)
{
    uint32_t dateId, timeId;
    if ((f->type != PCFT_DATETIME && f->type != PCFT_DATETIME100) || !def ||
        !FindDateTimePair(f->attrId, &dateId, &timeId))
        return 0;
    PCFFieldEntry *list = def->detail ? def->detail : def->fields;
    PCFFieldEntry *d = PCFFindField(nullptr, nullptr, list, dateId);
    PCFFieldEntry *t = PCFFindField(nullptr, nullptr, list, timeId);
    *date = d ? d->field : nullptr;
    *time = t ? t->field : nullptr;
    return 1;
}

struct NEWCOL {
    const PCFFieldDef *field;
    uint32_t flags;
    int32_t position;
};

/* Marks the fields' columns in a list; the missing ones into want. */
static int Examine(DialogWords *d, FilterProgram *prog, PCFLISTENTRY *list, int n, FLTDLGSTATE *st,
                   NEWCOL *want, int *wanted, int max)
{
    int missing = 0;
    *wanted = 0;
    for (uint32_t i = 0; i < prog->varCount; i++) {
        FVARNODE *v = prog->vars[i];
        if (!(v->flags & VF_FIELD) || !v->field)
            continue;
        int k = Find(list, n, v->field);
        if (k >= 0) {
            if (v->flags & (VF_SHOW | VF_HIDE)) {
                Remember(d, st, v->field);
                Mark(&list[k], v->flags);
            }
            continue;
        }
        missing++;
        int seen = 0;
        for (int w = 0; w < *wanted; w++)
            if (Same(want[w].field, v->field))
                seen = 1;
        if (!seen && *wanted < max) {
            uint32_t flags = v->flags & VF_SHOW ? PCFL_SHOWN : v->flags & VF_HIDE ? 0x10000u : 0;
            want[(*wanted)++] = { v->field, flags, -1 };
        }
    }
    return missing;
}

/* Moves element from to position to, the others closing up. */
static void MoveTo(PCFLISTENTRY *list, int n, int from, int to)
{
    if (to >= n)
        to = n - 1;
    if (from == to || from < 0 || to < 0)
        return;
    PCFLISTENTRY e = list[from];
    if (from < to)
        memmove(&list[from], &list[from + 1], sizeof e * (size_t)(to - from));
    else
        memmove(&list[to + 1], &list[to], sizeof e * (size_t)(from - to));
    list[to] = e;
}

int PCFCheckVars(DialogWords *d, int useList)
{
    FilterProgram *prog = d->filterProgram;
    if (!prog)
        return 0;
    FLTDLGSTATE *st = FltDialogState(d);
    for (uint32_t i = 0; i < prog->varCount; i++) {
        FVARNODE *v = prog->vars[i];
        if ((v->flags & VF_USER) && !(v->flags & VF_FIELD) && (v->flags & VF_SHOW)) {
            const PCFFieldDef *f = PCFUserVarField(v->name);
            if (f) {
                v->field = f;
                v->flags |= VF_FIELD | VF_COLUMN;
                v->value = nullptr;
            }
        }
    }
    PCFLISTAREA *area = FltDialogArea(d);
    enum { WANT_MAX = 64 };
    NEWCOL want[WANT_MAX];
    int wanted = 0, missing = 0;
    int examinedIsCurrent = !(useList && area);
    if (!examinedIsCurrent) {
        PCFLISTPARTS parts;
        PCFListAreaPointers(area, &parts);
        missing = Examine(d, prog, parts.columns, area->columns, st, want, &wanted, WANT_MAX);
    }
    if (examinedIsCurrent || missing) {
        PCFLISTENTRY *list = FltDialogColumns(d);
        if (list && !(d->first.ownsColumns))
            list = OwnColumns(d);
        missing = Examine(d, prog, list, Count(list), st, want, &wanted, WANT_MAX);
    }
    PCFLISTENTRY *current = FltDialogColumns(d);
    int n = Count(current);
    /* date-time pairs bring their date and time fields, hidden */
    for (int w = 0, end = wanted; w < end; w++) {
        const PCFFieldDef *date, *time;
        if (!PairFields(d->definition, want[w].field, &date, &time))
            continue;
        for (const PCFFieldDef *f : { date, time })
            if (f && Find(current, n, f) < 0 && wanted < WANT_MAX) {
                int seen = 0;
                for (int k = 0; k < wanted; k++)
                    seen |= Same(want[k].field, f);
                if (!seen)
                    want[wanted++] = { f, 0x10000u, -1 };
            }
    }
    /* positions asked by showcol: a change only when a column is not
       where it is asked to be */
    int moves = 0;
    for (uint32_t i = 0; i < prog->varCount; i++) {
        FVARNODE *v = prog->vars[i];
        if (!(v->flags & VF_FIELD) || v->column < 0)
            continue;
        int k = Find(current, n, v->field);
        int at = v->column < n ? v->column : n - 1;
        if (k < 0 || k != at)
            moves++;
    }
    if (!wanted && !moves)
        return 0;
    PCFLISTENTRY *list = (PCFLISTENTRY *)CSGetMem(sizeof(PCFLISTENTRY) * (size_t)(n + wanted + 1), "PCFLIST");
    if (!list) {
        FltStatus(d, "Out of memory", 6);
        return 0;
    }
    if (n)
        memcpy(list, current, sizeof(PCFLISTENTRY) * (size_t)n);
    for (int w = 0; w < wanted; w++) {
        list[n + w].field = want[w].field;
        list[n + w].flags = want[w].flags;
        Remember(d, st, want[w].field);
    }
    int total = n + wanted;
    memset(&list[total], 0, sizeof list[total]);
    for (uint32_t i = 0; i < prog->varCount; i++) {
        FVARNODE *v = prog->vars[i];
        if ((v->flags & VF_FIELD) && v->column >= 0)
            MoveTo(list, total, Find(list, total, v->field), v->column);
    }
    if (d->first.ownsColumns)
        CSFreeMemAndClear(&d->first.columns);
    d->first.columns = list;
    d->first.ownsColumns = 1;
    if (st)
        st->hasColumns = 1;
    const FLTHOOKS *h = FltHooks();
    if (h->refreshList)
        h->refreshList(h->context, d);
    return 1;
}

/* ---- sort marks -------------------------------------------------------- */

void FltMarkSort(PCFLISTENTRY *columns, int count, const PCFFieldDef *field, uint32_t mark,
                 int descending)
{
    uint32_t other = mark == PCFL_SORT1 ? PCFL_SORT2 : PCFL_SORT1;
    for (int i = 0; i < count && columns[i].field; i++) {
        PCFLISTENTRY *c = &columns[i];
        if (Same(c->field, field)) {
            c->flags |= mark;
            if (descending)
                c->flags |= PCFL_DESCEND;
            else if (!(c->flags & other))
                c->flags &= ~(uint32_t)PCFL_DESCEND;
        } else if (c->flags & mark) {
            c->flags &= ~mark;
            if (!(c->flags & other))
                c->flags &= ~(uint32_t)PCFL_DESCEND;
        }
    }
}

/* The marks set on the dialog's own list and on its list area's; with no
 * field, every sort mark taken off both. */
static void MarkBoth(DialogWords *d, const PCFFieldDef *field, uint32_t mark, int descending)
{
    PCFLISTENTRY *list = OwnColumns(d);
    PCFLISTAREA *area = FltDialogArea(d);
    PCFLISTPARTS parts;
    if (area)
        PCFListAreaPointers(area, &parts);
    if (!field) {
        const uint32_t marks = PCFL_SORT1 | PCFL_SORT2 | PCFL_DESCEND;
        for (int i = 0; list && list[i].field; i++)
            list[i].flags &= ~marks;
        for (int i = 0; area && i < area->columns && parts.columns[i].field; i++)
            parts.columns[i].flags &= ~marks;
        return;
    }
    if (list)
        FltMarkSort(list, Count(list), field, mark, descending);
    if (area)
        FltMarkSort(parts.columns, area->columns, field, mark, descending);
}

/* The sorts the previous filter chose give way to the definition's own:
 * a mark the defaults do not carry is not kept either. */
void FltDefaultSortMarks(DialogWords *d)
{
    const PCFListDef *l = d->definition ? d->definition->list : nullptr;
    MarkBoth(d, nullptr, 0, 0);
    for (const PCFLISTENTRY *e = l ? l->defaults : nullptr; e && e->field; e++)
        for (uint32_t mark : { (uint32_t)PCFL_SORT1, (uint32_t)PCFL_SORT2 })
            if (e->flags & mark)
                MarkBoth(d, e->field, mark, (e->flags & PCFL_DESCEND) != 0);
}

void PCFFieldSortMarks(DialogWords *d)
{
    FilterProgram *prog = d->filterProgram;
    if (!prog || !(prog->flags & FLTP_SORTS))
        return;
    const uint8_t *end = prog->first + prog->used;
    for (const uint8_t *at = prog->first; at < end; at += ((const FNODE *)at)->length) {
        const FCALLNODE *c = (const FCALLNODE *)at;
        if (c->n.code != FOP_CALL || c->func->sort >= 0 || c->count != 1)
            continue;
        const FVARNODE *v = (const FVARNODE *)(at + c->n.length);
        if (FNodeKind(&v->n) != FK_VAR || !(v->flags & VF_FIELD) || !v->field)
            continue;
        int kind = -c->func->sort;
        MarkBoth(d, v->field, kind <= 2 ? PCFL_SORT1 : PCFL_SORT2, kind == 2 || kind == 4);
    }
}
