/* The queue-manager list pane of a list dialog that shows the objects of
 * several queue managers: a container line per location with a
 * selection mark and a state picture.  Clicking a mark selects or deselects
 * a queue manager: one without a list yet is asked for it, otherwise the
 * rows are rebuilt at once. */
#include "pcflistwin.h"
#include "pcfwin.h"
#include "filters.h"

#include "cnt.h"
#include "cs.h"
#include "locstore.h"
#include "tkwin.h"

static DialogWords *DialogOf(cntITEM *item)
{
    return (DialogWords *)(uintptr_t)item->extra;
}

static PCFLISTREQ *RecordOf(cntITEM *item)
{
    return (PCFLISTREQ *)(uintptr_t)item->value;
}

static int Listed(DialogWords *d, PCFLISTREQ *r)
{
    for (PCFLISTREQ *x = PCFFirstList(d); x; x = PCFNextList(d, x))
        if (x == r)
            return 1;
    return 0;
}

/* Issues the dialog's list command (its default action) for one record. */
static void AskList(DialogWords *d, PCFLISTREQ *r)
{
    const PCFActionDef *a = PCFFindActionFlags(d->definition->actions, PCFA_DEFAULT, 0);
    const PCFHOOKS *h = PCFHooks();
    if (a && h->doCommand) {
        r->flags |= PCFLR_ISSUED;
        h->doCommand(h->context, d, a->id, r, nullptr);
    }
}

/* A picture of the pane, as the program names it. */
static void Picture(CNTW *rec, int picture)
{
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (s->listBitmap)
        cntDrawItemBitmap(rec, s->listBitmap(s->context, picture));
}

/* The selection mark: a ticked or empty box, the dialog's own location
 * framed. */
static int MarkProc(HWND child, UINT code, cntITEM *item, CNTW *rec)
{
    DialogWords *d = DialogOf(item);
    PCFLISTREQ *r = RecordOf(item);
    if (!d || !Listed(d, r))
        return 0;
    if (code == 6024) {
        if (r->location && r->location->nextInRing)
            r->location = LocRingLatest(r->location);
        if (r == &d->first)
            DrawEdge(rec->paintDC, &rec->itemRect, EDGE_BUMP, BF_RECT);
        if (PcfListPrefs.noQmBoxes)
            return 0;
        Picture(rec, !(r->flags & PCFLR_SELECTED) ? PCF_BMP_UNCHECKED
                     : PcfListPrefs.checkStyle    ? PCF_BMP_CHECKED_GREEN
                                                  : PCF_BMP_CHECKED);
        return 0;
    }
    if (code != 6027)
        return 0;
    r->flags ^= PCFLR_SELECTED;
    PCFUpdateListCount(d);
    if (!PCFCurrentArea(r) && (r->flags & PCFLR_SELECTED))
        AskList(d, r);
    else
        PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
    PCFDialogTitle(d, nullptr);
    InvalidateRect(child, nullptr, FALSE);
    return 0;
}

/* The state picture: not responding, no list yet, a list.  A click gives
 * the record the dialog's columns and its filter; the list is asked only
 * when the filter cannot run. */
static int StateProc(HWND child, UINT code, cntITEM *item, CNTW *rec)
{
    DialogWords *d = DialogOf(item);
    PCFLISTREQ *r = RecordOf(item);
    if (!d || !Listed(d, r))
        return 0;
    if (code == 6024) {
        Picture(rec, (r->flags & PCFLR_SILENT) ? PCF_BMP_SILENT : PCFCurrentArea(r) ? PCF_BMP_LIST : PCF_BMP_NOLIST);
        return 0;
    }
    if (code != 6027)
        return 0;
    if (!r->columns) {
        r->columns = PCFDialogColumns(d);
        r->ownsColumns = 0;
    }
    if (PCFNewFilter(d, 0))
        AskList(d, r);
    InvalidateRect(child, nullptr, FALSE);
    return 0;
}

void PCFQmListInit(DialogWords *d)
{
    if (!d->qmList)
        return;
    CntLineSet *set = (CntLineSet *)CSGetMem(sizeof *set, "cntHEADER");
    cntLINE *b = (cntLINE *)CSGetMem(500, "cntLINE");
    if (!set || !b) {
        WinOpError(set ? "CSGetMem(cntLINE)" : "CSGetMem(cntHEADER)");
        CSFreeMemAndClear(&set);
        CSFreeMemAndClear(&b);
        return;
    }
    memset(set, 0, sizeof *set);
    cntLINE *last = nullptr;
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r)) {
        QMS *q = r->location;
        if (!q || !(q->status & LS_FIRSTOFRING))
            continue;
        cntInitLine(b, 500, 0, 0, nullptr, nullptr);
        if (cntAddDrawEx(b, &b, CNTI_PRESSABLE | CNTI_NOFRAME, r, d, MarkProc) ||
            cntAddDrawEx(b, &b, CNTI_PRESSABLE | CNTI_NOFRAME, r, d, StateProc) ||
            cntAddSortLabelNoCase(b, &b, CNTI_SELECTABLE, (uint64_t)(uintptr_t)q, nullptr, q->qmName, -1, nullptr,
                                  nullptr) ||
            cntAddUserData(b, &b, 0, q))
            break;
        cntAddLine(set, last, b, &last);
    }
    CSFreeMem(b);
    CntLineSet *old = nullptr;
    cntSetLines(PCFWnd(d->qmList), set, &old);
    if (old)
        cntFreeLines(old, 1);
}

void PCFBuildQmList(DialogWords *d)
{
    if (!d || !d->definition)
        return;
    int changed = PCFBuildQmListCore(d, nullptr);
    PCFUpdateListCount(d);
    if (changed || (d->qmList && !d->lists)) {
        PCFQmListInit(d);
        if (d->splitList)
            PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
    }
}
