/* The command dialog instance: made from a caller's template, linked at
 * the head of the open-dialog list, and freed when its window ends, or
 * kept (close-pending) while one of its commands is still being
 * processed and freed when that command is done.  Every walk of the
 * open-dialog list passes over closing instances. */
#include "cmddlg.h"
#include "../pcfint.h"
#include "../lists/pcflists.h"

#include <ctime>
#include <initializer_list>

#include "cs.h"
#include "locstore.h"

static int32_t FilterMarked;          /* dialogs carrying DF_FILTER_MARKED */

/* ---- small program-wide services ---- */

int PCFOnUiThread(void)
{
    return !LocGlobals.uiThread || LocGlobals.uiThread == CSGetThreadId();
}

void (*PCFErrorSink)(const char *text);

void PCFReportError(const char *text)
{
    if (PCFErrorSink)
        PCFErrorSink(text);
    else if (CSTraceIsOn())
        CSTrace(1, "%s\n", text);
}

int64_t (*PCFClock)(void);

int64_t PCFNow(void)
{
    return PCFClock ? PCFClock() : (int64_t)time(nullptr);
}

/* ---- the list of open dialogs ---- */

static void Link(DialogWords *d)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    d->next = PCFOpenDialogs;
    PCFOpenDialogs = d;
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

static void Unlink(DialogWords *d)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords **p = &PCFOpenDialogs; *p; p = &(*p)->next)
        if (*p == d) {
            *p = d->next;
            break;
        }
    d->next = nullptr;
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

int PCFForEachDialog(int (*fn)(DialogWords *dialog, void *ctx), void *ctx)
{
    int rc = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs, *next; d && !rc; d = next) {
        next = d->next;
        if (!(d->stateFlags & DF_CLOSING))
            rc = fn(d, ctx);
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return rc;
}

int PCFCountSharing(const DialogWords *dialog)
{
    int n = 0;
    if (!dialog->dlgInfo)
        return 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d; d = d->next)
        if (!(d->stateFlags & DF_CLOSING) && d->dlgInfo == dialog->dlgInfo)
            n++;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return n;
}

void PCFRenumberSharing(DialogWords *closed, void (*retitle)(DialogWords *dialog))
{
    if (!closed->dlgInfo || !closed->instance)
        return;
    DialogWords *moved[64];
    int n = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d; d = d->next)
        if (d != closed && !(d->stateFlags & DF_CLOSING) && d->dlgInfo == closed->dlgInfo &&
            d->instance > closed->instance) {
            d->instance--;
            if (n < 64)
                moved[n++] = d;
        }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    for (int i = 0; i < n && retitle; i++)
        retitle(moved[i]);
}

/* Whether a dialog's actions include a command. */
static int HasCommand(const DialogWords *d, uint32_t command)
{
    for (const PCFActionDef *a = d->definition ? d->definition->actions : nullptr; a && a->id; a++)
        if (a->command == command)
            return 1;
    return 0;
}

int MarkDialogsStale(QMS *location, uint32_t command, int, int listOnly, int firstOnly)
{
    int n = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d; d = d->next) {
        if ((d->stateFlags & DF_CLOSING) || !d->definition || (location && d->first.location != location))
            continue;
        if (listOnly && !d->definition->list)
            continue;
        const PCFActionDef *a = d->definition->actions;
        if (firstOnly ? !(a && a->id && a->command == command) : !HasCommand(d, command))
            continue;
        d->stateFlags |= DF_STALE;
        n++;
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return n;
}

/* The saved dialogs' list is stale: the dialogs without location that
 * list saved dialogs (10020). */
static void SavedListsStale(void)
{
    int n = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d; d = d->next)
        if (!(d->stateFlags & DF_CLOSING) && !d->first.location && d->definition &&
            d->definition->list && HasCommand(d, 10020)) {
            d->stateFlags |= DF_STALE;
            n++;
        }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    (void)n;
}

int32_t PCFFilterMarkedCount(void)
{
    return FilterMarked;
}

void PCFClearFilterMark(DialogWords *dialog)
{
    if (!(dialog->stateFlags & DF_FILTER_MARKED))
        return;
    dialog->stateFlags &= ~DF_FILTER_MARKED;
    if (FilterMarked > 0)
        FilterMarked--;
}

void PCFSetFilterMark(DialogWords *dialog)
{
    if (dialog->stateFlags & DF_FILTER_MARKED)
        return;
    dialog->stateFlags |= DF_FILTER_MARKED;
    FilterMarked++;
}

/* ---- making and freeing ---- */

static PCFPARTHOOKS Parts;

void PCFSetPartHooks(const PCFPARTHOOKS *hooks)
{
    Parts = hooks ? *hooks : PCFPARTHOOKS{};
}

const PCFPARTHOOKS *PCFPartHooks(void)
{
    return &Parts;
}

DialogWords *GetDialogWords(const DialogWords *templ, int existingWindow)
{
    DialogWords *d = (DialogWords *)CSGetMem(sizeof *d, "DIALOG WORDS");
    if (!d)
        return nullptr;
    *d = *templ;
    d->next = nullptr;
    if (existingWindow)
        d->optionFlags |= DO_IN_CALLER_WINDOW;
    if (d->stateFlags & DF_FILTER_MARKED)
        FilterMarked++;
    Link(d);
    if (Parts.bindFilter)
        Parts.bindFilter(Parts.context, d);
    if (d->ownerSlot)
        *d->ownerSlot = d;
    if (d->saved && !d->saved->openDialog && !(d->stateFlags & DF_NAME_ASKED)) {
        d->saved->openDialog = d;
        SavedListsStale();
    }
    return d;
}

/* A saved dialog that goes: the dialogs opened from it let go of it. */
void PCFForgetSaved(SAVEDDIALOG *record)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d; d = d->next)
        if (d->saved == record)
            d->saved = nullptr;
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

/* The blocks of one list record; the record itself stays. */
static void ReleaseList(PCFLISTREQ *r)
{
    ReleaseRefBlock(&r->filling);
    ReleaseRefBlock(&r->replyArea);
    ReleaseRefBlock(&r->rebuilt);
}

static void FreeParts(DialogWords *d)
{
    if ((d->stateFlags & DF_KEEP_PREVIOUS) && !(d->stateFlags & DF_CANCELLED) && d->previousData &&
        d->dataArea && d->definition)
        PCFCopyData(d->definition, d->previousData, d->dataArea);
    if (d->release)
        d->release(d);
    if (Parts.freeEditor)
        Parts.freeEditor(Parts.context, d);
    CSFreeMemAndClear(&d->filterText);
    if (Parts.freeFilter)
        Parts.freeFilter(Parts.context, d);
    PCFFreePending(d->pending);
    d->pending = nullptr;
    PCFListStateFree(d);
    if (d->dataArea && d->definition)
        PCFFreeData(d->definition, d->dataArea, 1);
    d->dataArea = nullptr;
    if (d->altDataArea && d->definition)
        PCFFreeData(d->definition, d->altDataArea, 1);
    d->altDataArea = nullptr;
    if (d->ownsDefinition)
        PCFFreeDefCopy(d->definition);
    d->definition = nullptr;
    ReleaseList(&d->first);
    ReleaseList(&d->second);
    for (PCFLISTREQ *r = d->lists, *next; r; r = next) {
        next = r->next;
        if (r == &d->first || r == &d->second)
            continue;
        ReleaseList(r);
        if (r->ownsColumns)
            CSFreeMemAndClear(&r->columns);
        CSFreeMem(r);
    }
    d->lists = nullptr;
    ReleaseRefBlock(&d->columnArea);
    CSFreeMemAndClear(&d->captionTexts);
    CSFreeMemAndClear(&d->listState);
    if (Parts.freeColumnFilters)
        Parts.freeColumnFilters(Parts.context, d);
    for (PCFLISTREQ *r : { &d->first, &d->second })
        if (r->ownsColumns) {
            CSFreeMemAndClear(&r->columns);
            r->ownsColumns = 0;
        }
    CSFreeMemAndClear(&d->unhandled);
    CSFreeMemAndClear(&d->fixedStatus);
    if (d->saved && d->saved->openDialog == d) {
        d->saved->openDialog = nullptr;
        SavedListsStale();
    }
    if (d->ownerSlot && *d->ownerSlot == d)
        *d->ownerSlot = nullptr;
}

/* Under lock 5: whether a command of the dialog is still being processed
 * (its finished ones are released). */
static int CommandsBusy(DialogWords *d)
{
    const PCFHOOKS *h = PCFHooks();
    return h->dropCommands ? h->dropCommands(h->context, d) : 0;
}

int FreeDialogWords(DialogWords *dialog)
{
    if (!dialog)
        return 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    int busy = CommandsBusy(dialog);
    if (busy) {
        dialog->closePending = 1;
        dialog->stateFlags |= DF_CLOSING;
        dialog->markFlags |= DM_DESTROYED;
        dialog->window = nullptr;        /* late replies post to nothing */
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (busy)
        return 0;
    PCFClearFilterMark(dialog);
    Unlink(dialog);
    FreeParts(dialog);
    CSFreeMem(dialog);
    return 1;
}

int PCFReleaseClosing(DialogWords *dialog)
{
    if (!dialog)
        return 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    int listed = 0;
    for (DialogWords *d = PCFOpenDialogs; d; d = d->next)
        listed |= d == dialog;
    int pending = listed && dialog->closePending == 1 && (dialog->stateFlags & DF_CLOSING);
    if (pending)
        dialog->closePending = 2;        /* this caller frees it */
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (!pending)
        return 0;
    return FreeDialogWords(dialog);
}
