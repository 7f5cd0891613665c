/* Columns and records of a list dialog: which columns show, the dialog's
 * column list and the records whose rows show, column lists copied and
 * retired, the per-dialog list state, and the list settings. */
#include "pcflists.h"
#include "../pcfint.h"

#include <initializer_list>

#include "cs.h"
#include "prfdata.h"

PCFLISTPREFS PcfListPrefs;

void PCFListPrefsDefaults(void)
{
    memset(&PcfListPrefs, 0, sizeof PcfListPrefs);
    PcfListPrefs.invertSelected = 1;
    PcfListPrefs.markWidth = 12;
    PcfListPrefs.keepSelectionOnSort = 1;
    PcfListPrefs.responseTimeout = 10;
    PcfListPrefs.timeoutOption = 1;
    PcfListPrefs.flashSeconds = 1;
}

/* The option words as the Preferences dialog sets them: striped rows, a
 * focus line, green ticks and columns sized by their values alone in the
 * first; balloon tips, the list lines and the 3D selection in the second;
 * right-justified numbers and the first row selected on a refresh in the
 * third. */
void PCFListPrefsFromProfile(void)
{
    PCFListPrefsDefaults();
    PcfListPrefs.stripes = (Prf.po[0] & PO1_STRIPED_LISTS) != 0;
    PcfListPrefs.focusLine = (Prf.po[0] & PO1_RULE_LINES) != 0;
    PcfListPrefs.balloonTips = (Prf.po[1] & PO2_BALLOON_TIPS) != 0;
    PcfListPrefs.checkStyle = (Prf.po[0] & PO1_GREEN_TICKS) != 0;
    PcfListPrefs.digitAlign = (Prf.po[2] & PO3_RIGHT_JUSTIFY) != 0;
    PcfListPrefs.grid = Prf.po[1] & PO2_LIST_LINES;
    PcfListPrefs.selectFirst = (Prf.po[2] & PO3_SELECT_FIRST) != 0;
    PcfListPrefs.valuesOnly = (Prf.po[0] & PO1_SIZE_BY_DATA) != 0;
    PcfListPrefs.flashSeconds = Prf.fint < 1 ? 1 : Prf.fint;
}

/* ---- columns ---- */

int PCFColumnShown(const DialogWords *d, uint32_t flags)
{
    if (flags & PCFL_HIDDEN)
        return 0;
    uint32_t mask = PCFL_USER | PCFL_SHOWN | PCFL_EXPORTED;
    if (d && (d->markFlags & DM_HTTP))
        mask |= PCFL_HTTP;
    return (flags & mask) != 0;
}

PCFLISTENTRY *PCFDialogColumns(const DialogWords *d)
{
    if (d->first.columns)
        return d->first.columns;
    return d->definition && d->definition->list ? d->definition->list->current : nullptr;
}

int PCFColumnCount(const PCFLISTENTRY *columns)
{
    int n = 0;
    while (columns && columns[n].field)
        n++;
    return n;
}

PCFLISTAREA *PCFCurrentArea(const PCFLISTREQ *r)
{
    return r->rebuilt ? r->rebuilt : r->replyArea;
}

PCFLISTREQ *PCFFirstList(DialogWords *d)
{
    return d->lists ? d->lists : &d->first;
}

PCFLISTREQ *PCFNextList(DialogWords *d, PCFLISTREQ *r)
{
    if (d->lists)
        return r->next;
    if (r == &d->first && d->definition && (d->definition->flags & PCFD_PAIR))
        return &d->second;
    return nullptr;
}

int PCFListShown(const DialogWords *d, const PCFLISTREQ *r)
{
    if (d->lists && d->definition && (d->definition->flags & PCFD_QMLIST))
        return (r->flags & PCFLR_SELECTED) != 0;
    return 1;
}

PCFLISTENTRY *PCFCopyColumns(const PCFLISTENTRY *columns, int extra)
{
    int n = PCFColumnCount(columns);
    PCFLISTENTRY *copy = (PCFLISTENTRY *)CSGetMem(sizeof(PCFLISTENTRY) * (size_t)(n + 1 + extra), "PCFLIST");
    if (!copy)
        return nullptr;
    if (n)
        memcpy(copy, columns, sizeof(PCFLISTENTRY) * (size_t)n);
    memset(copy + n, 0, sizeof(PCFLISTENTRY) * (size_t)(1 + extra));
    return copy;
}

/* ---- retired column lists ---- */

/* Lists replaced while a reply thread may still be reading them (a fill
 * reads its record's list): freed once no dialog is open, when no fill can
 * be running. */
static PCFLISTENTRY **Retired;
static int RetiredCount, RetiredCapacity;

static int IsStatic(const PCFLISTENTRY *columns)
{
    for (PCFCommandDef *const *t : { PCFCommandDefs, PCFInternalDefs })
        for (int i = 0; t[i]; i++)
            if (t[i]->list && (t[i]->list->current == columns || t[i]->list->defaults == columns))
                return 1;
    return 0;
}

static void FlushRetired(void)
{
    for (int i = 0; i < RetiredCount; i++)
        CSFreeMem(Retired[i]);
    RetiredCount = 0;
    CSFreeMemAndClear(&Retired);
    RetiredCapacity = 0;
}

void PCFReleaseColumns(PCFLISTENTRY *columns)
{
    if (!columns || IsStatic(columns))
        return;
    for (int i = 0; i < RetiredCount; i++)
        if (Retired[i] == columns)
            return;
    if (RetiredCount == RetiredCapacity) {
        int capacity = RetiredCapacity ? 2 * RetiredCapacity : 16;
        PCFLISTENTRY **grown = (PCFLISTENTRY **)CSGetMem(sizeof *grown * (size_t)capacity, "RETIREDLISTS");
        if (!grown)
            return;                           /* kept: a small leak, never a dangling list */
        if (RetiredCount)
            memcpy(grown, Retired, sizeof *grown * (size_t)RetiredCount);
        CSFreeMemAndClear(&Retired);
        Retired = grown;
        RetiredCapacity = capacity;
    }
    Retired[RetiredCount++] = columns;
}

int PCFOwnColumns(DialogWords *d)
{
    PCFLISTENTRY *current = PCFDialogColumns(d);
    if (!current)
        return 0;
    if (!IsStatic(current))
        return 1;
    PCFLISTENTRY *copy = PCFCopyColumns(current, 0);
    if (!copy)
        return 0;
    if (d->dlgInfo && !d->dlgInfo->columns) {
        d->dlgInfo->columns = copy;
        d->first.ownsColumns = 0;
    } else {
        d->first.ownsColumns = 1;
    }
    d->first.columns = copy;
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r))
        if (r != &d->first && (r->columns == current || !r->columns)) {
            if (r->ownsColumns)
                PCFReleaseColumns(r->columns);
            r->columns = copy;
            r->ownsColumns = 0;
        }
    return 1;
}

/* ---- the list state ---- */

PCFLISTSTATE *PCFListState(DialogWords *d)
{
    PCFLISTSTATE *st = d->listState;
    if (st)
        return st;
    st = (PCFLISTSTATE *)CSGetMem(sizeof *st, "LISTSTATE");
    if (!st)
        return nullptr;
    memset(st, 0, sizeof *st);
    st->caret = -1;
    d->listState = st;
    return st;
}

void PCFListColumnsChanged(DialogWords *d)
{
    if (d->listState)
        d->listState->colCount = 0;
}

void PCFListStateFree(DialogWords *d)
{
    PCFLISTSTATE *st = d->listState;
    PCFFreeWhereFilter(d);
    PCFFreeQmList(d);
    if (st) {
        for (uint32_t i = 0; i < st->heldCount; i++)
            ReleaseRefBlock(&st->held[i]);
        CSFreeMemAndClear(&st->held);
        CSFreeMemAndClear(&st->rows);
        CSFreeMemAndClear(&st->keys);
        CSFreeMemAndClear(&st->cols);
        CSFreeMem(st);
        d->listState = nullptr;
    }
    int others = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *o = PCFOpenDialogs; o; o = o->next)
        others |= o != d;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (!others)
        FlushRetired();
}
