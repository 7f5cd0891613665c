/* "Change List Contents", the window-free part: the fields it offers, the
 * column list built from the user's choice (chosen columns, sort columns,
 * key columns the definition keeps, the date and time columns behind a
 * combined date-time column), and the hand-over of a new list to the
 * kind's DLGINFO and every open dialog of the kind.
 *
 * A list once handed to a DLGINFO or a dialog belongs to it: a later
 * "Apply" or "Reset" never frees it, and one that is replaced is retired
 * (freed when no dialog is open), since a reply thread may be filling a
 * list area from it. */
#include "pcflists.h"
#include "../pcfint.h"

#include <initializer_list>

#include "cs.h"
#include "dlginfo.h"
#include "locstore.h"
#include "mq/capability.h"

static void DefaultNewListSink(DialogWords *d)
{
    PCFPost(d->window, 11243, 1, 0);
}
void (*PCFNewListSink)(DialogWords *dialog) = DefaultNewListSink;

/* ---- offered fields ---- */

static PCFFieldEntry *ListFields(const PCFCommandDef *def)
{
    return def->detail ? def->detail : def->fields;
}

static int Offered(const CHGLIST *c, const PCFFieldEntry *e, const PCFFieldEntry *previous)
{
    const PCFFieldDef *f = e->field;
    if (f->type == 6 || f->type == 11 || f->type == 12 || f->type == 27)
        return 0;
    if (e->flags & (0x10 | 0x400 | 0x4 | 0x40000000))
        return 0;
    if (!CapTest(nullptr, c->caps, f) || !CapTest(nullptr, c->caps, e))
        return 0;
    if ((e->flags & PCFE_IFCONDITION) && e->conditions)
        return 0;
    return !previous || previous->field->attrId != f->attrId;
}

int PCFAlterOffered(const CHGLIST *c, const PCFFieldDef **out, int max)
{
    int n = 0;
    const PCFFieldEntry *previous = nullptr;
    for (const PCFFieldEntry *e = ListFields(c->definition); e && e->field; previous = e, e++) {
        if (!Offered(c, e, previous))
            continue;
        int seen = 0;
        for (int i = 0; i < n && i < max && !seen; i++)
            seen = out[i]->attrId == e->field->attrId;
        if (!seen) {
            if (n < max)
                out[n] = e->field;
            n++;
        }
    }
    return n;
}

/* ---- building the list ---- */

/* The definition's entry of an attribute that may be a column. */
static const PCFFieldDef *Column(const PCFCommandDef *def, uint32_t attrId)
{
    for (const PCFFieldEntry *e = ListFields(def); e && e->field; e++)
        if (e->field->attrId == attrId && e->field->type != 6 && !((e->flags & PCFE_IFCONDITION) && e->conditions))
            return e->field;
    return nullptr;
}

static int IndexOf(const PCFLISTENTRY *list, int n, const PCFFieldDef *f)
{
    for (int i = 0; i < n; i++)
        if (list[i].field->attrId == f->attrId)
            return i;
    return -1;
}

static int KeyColumns(const PCFLISTENTRY *list)
{
    int n = 0;
    for (int i = 0; list && list[i].field; i++)
        n += (list[i].flags & PCFL_KEEP) != 0;
    return n;
}

/* Step 6: carried bits of the base or default list. */
static void Carry(PCFLISTENTRY *list, int *n, const PCFLISTENTRY *from)
{
    for (int i = 0; from && from[i].field; i++) {
        int at = IndexOf(list, *n, from[i].field);
        uint32_t carried = from[i].flags & PCFL_CARRIED;
        if (at >= 0)
            list[at].flags |= carried;
        else if (from[i].flags & PCFL_KEEP)
            list[(*n)++] = { from[i].field, carried };
    }
}

/* The column bits this window chooses: the chosen columns and the sort
 * marks.  The others are the list's own (a title the layout cut, a width
 * the user dragged) and carried as they are. */
#define PCFL_CHOSEN (PCFL_USER | PCFL_SORTMARKS)

/* Two lists alike in what the user chooses here: the same columns in the
 * same order with the same chosen bits. */
static int SameList(const PCFLISTENTRY *a, const PCFLISTENTRY *b)
{
    int na = PCFColumnCount(a), nb = PCFColumnCount(b);
    if (na != nb)
        return 0;
    for (int i = 0; i < na; i++)
        if (a[i].field->attrId != b[i].field->attrId || ((a[i].flags ^ b[i].flags) & PCFL_CHOSEN))
            return 0;
    return 1;
}

PCFLISTENTRY *PCFAlterBuild(const CHGLIST *c, const PCFFieldDef *const *chosen, int count, const PCFFieldDef *sort1,
                            int descending1, const PCFFieldDef *sort2, int descending2)
{
    const PCFCommandDef *def = c->definition;
    const PCFLISTENTRY *base = c->base, *defaults = def->list ? def->list->defaults : nullptr;
    int pairs = 0;
    for (int i = 0; i < count; i++)
        pairs += chosen[i]->type == PCFT_DATETIME || chosen[i]->type == PCFT_DATETIME100;
    for (const PCFFieldDef *s : { sort1, sort2 })
        pairs += s && (s->type == PCFT_DATETIME || s->type == PCFT_DATETIME100);
    int room = count + 2 + KeyColumns(base) + KeyColumns(defaults) + 2 * pairs + 1;
    PCFLISTENTRY *list = (PCFLISTENTRY *)CSGetMem(sizeof *list * (size_t)room, "PCFLIST");
    if (!list)
        return nullptr;
    int n = 0;
    for (int i = 0; i < count; i++) {
        const PCFFieldDef *f = Column(def, chosen[i]->attrId);
        if (f && IndexOf(list, n, f) < 0)
            list[n++] = { f, PCFL_USER };
    }
    if (sort1) {
        int at = IndexOf(list, n, sort1);
        if (at < 0)
            list[at = n++] = { sort1, 0 };
        list[at].flags |= PCFL_SORT1 | (descending1 ? PCFL_DESCEND : 0);
    }
    if (sort2 && (!sort1 || sort2->attrId != sort1->attrId)) {
        int at = IndexOf(list, n, sort2);
        if (at < 0)
            list[at = n++] = { sort2, 0 };
        list[at].flags |= PCFL_SORT2 | (descending2 ? PCFL_DESCEND : 0);
    }
    /* a chosen column keeps the shown marks it had; a sort column that
       is not chosen carries its sort marks alone */
    for (int i = 0; i < n; i++) {
        int at = base && (list[i].flags & PCFL_USER) ? IndexOf(base, PCFColumnCount(base), list[i].field) : -1;
        if (at >= 0)
            list[i].flags |= base[at].flags & (PCFL_SHOWN | PCFL_EXPORTED | PCFL_HTTP);
    }
    list[n] = { nullptr, 0 };
    DlgFieldsMergeFlags(list, base);
    Carry(list, &n, base);
    Carry(list, &n, defaults);
    for (int i = 0, end = n; i < end; i++) {
        uint32_t dateId, timeId;
        if ((list[i].field->type == PCFT_DATETIME || list[i].field->type == PCFT_DATETIME100) &&
            FindDateTimePair(list[i].field->attrId, &dateId, &timeId))
            for (uint32_t id : { dateId, timeId }) {
                const PCFFieldDef *f = Column(def, id);
                if (f && IndexOf(list, n, f) < 0)
                    list[n++] = { f, 0 };
            }
    }
    list[n] = { nullptr, 0 };
    if (base && SameList(list, base)) {
        CSFreeMem(list);
        return nullptr;
    }
    return list;
}

/* ---- handing on ---- */

static void PointRecords(DialogWords *d, PCFLISTENTRY *list)
{
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r))
        if (r != &d->first) {
            if (r->ownsColumns && r->columns != list)
                PCFReleaseColumns(r->columns);
            r->columns = list;
            r->ownsColumns = 0;
        }
}

/* A dialog's column list replaced; the dialog told. */
static void Give(DialogWords *d, PCFLISTENTRY *list, int owns)
{
    if (d->first.ownsColumns && d->first.columns != list)
        PCFReleaseColumns(d->first.columns);
    d->first.columns = list;
    d->first.ownsColumns = (uint32_t)owns;
    PointRecords(d, list);
    PCFListColumnsChanged(d);
    if (PCFNewListSink)
        PCFNewListSink(d);
}

static void NotifyProc(QMS *location, CHGLIST *c)
{
    const PCFCommandDef *def = c->definition;
    DLGINFO *info = PCFGetDlgInfo(def, location);
    PCFLISTENTRY *fallback = def->list ? def->list->current : nullptr;
    if (info && c->requestCode == 152) {
        PCFLISTENTRY *old = info->columns;
        info->columns = c->dialog ? c->newList : nullptr;
        if (old && old != info->columns)
            PCFReleaseColumns(old);
    }
    DialogWords *open[256];
    int n = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d && n < 256; d = d->next)
        if (!(d->stateFlags & DF_CLOSING))
            open[n++] = d;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    for (int i = 0; i < n; i++) {
        DialogWords *d = open[i];
        if ((d->optionFlags & DO_BACKGROUND) && d->definition == def) {
            PCFPost(d->window, 0x0010, 0, 0);
            continue;
        }
        int mine = d == c->dialog;
        if (!(info && d->dlgInfo == info) && !mine)
            continue;
        if (c->requestCode == 131 && mine)
            Give(d, c->newList, 1);
        else if (c->requestCode != 131 && !info && mine && c->newList)
            Give(d, c->newList, 1);
        else if (c->requestCode != 131)
            Give(d, info && info->columns ? info->columns : fallback, 0);
    }
}

void PCFNotifyListUpdate(const PCFCommandDef *def, CHGLIST *c)
{
    if (!c->dialog && c->newList && c->resultSlot) {
        *c->resultSlot = c->newList;
        if (c->ownedFlag)
            *c->ownedFlag = 1;
    }
    if (c->dialog) {
        NotifyProc(def->flags & 0x200 ? nullptr : c->dialog->first.location, c);
        return;
    }
    if (def->flags & 0x200) {
        NotifyProc(nullptr, c);
        return;
    }
    struct Ctx { CHGLIST *c; } ctx = { c };
    LocForEach(LocTree, [](QMS *q, void *p) { NotifyProc(q, ((Ctx *)p)->c); }, &ctx);
}

int PCFAlterListApply(CHGLIST *c, const PCFFieldDef *const *chosen, int count, const PCFFieldDef *sort1,
                      int descending1, const PCFFieldDef *sort2, int descending2)
{
    if (c->newList) {                     /* made earlier and never handed on */
        CSFreeMem(c->newList);
        c->newList = nullptr;
    }
    PCFLISTENTRY *list = PCFAlterBuild(c, chosen, count, sort1, descending1, sort2, descending2);
    if (!list)
        return 0;
    c->newList = list;
    c->requestCode = 152;
    PCFNotifyListUpdate(c->definition, c);
    c->newList = nullptr;                 /* taken: the DLGINFO or dialogs own it */
    c->applied = 1;
    return 1;
}

void PCFAlterListReset(CHGLIST *c)
{
    if (!c->base || !c->applied)          /* nothing of this window's to drop */
        return;
    c->applied = 0;
    PCFLISTENTRY *current = c->dialog ? PCFDialogColumns(c->dialog) : nullptr;
    if (current && SameList(current, c->base))
        return;
    PCFLISTENTRY *copy = PCFCopyColumns(c->base, 0);
    if (!copy)
        return;
    c->newList = copy;
    c->requestCode = 152;
    PCFNotifyListUpdate(c->definition, c);
    c->newList = nullptr;
}
