/* A dialog's filter state: its evaluation context made on first use and
 * freed with the dialog, the hooks and settings the filters read, and
 * what the list fill does with the filter for each row. */
#include "fltint.h"

#include "prfdata.h"

static FLTHOOKS Hooks;
FLTPREFS FltPrefs = { 20, 0, 0, 0, 0, 0, 1 };
int FltFlashing;

void FltSetHooks(const FLTHOOKS *hooks)
{
    if (hooks)
        Hooks = *hooks;
    else
        memset(&Hooks, 0, sizeof Hooks);
}

const FLTHOOKS *FltHooks(void) { return &Hooks; }

void FltPrefsDefaults(void)
{
    memset(&FltPrefs, 0, sizeof FltPrefs);
    FltPrefs.recentMax = 20;
    FltPrefs.marksShown = 1;
}

void FltPrefsFromProfile(void)
{
    FltPrefs.recentMax = Prf.hsf;              /* "History of Filter Expressions" */
    FltPrefs.smallPopupFont = (Prf.po[3] & PO4_SMALL_FILTER_FONT) != 0;
    FltPrefs.popupMenuBrush = (Prf.po[3] & PO4_FILTER_BACKGROUND) != 0;
    FltPrefs.markAlways = (Prf.po[3] & PO4_FILTERS_OVER_TITLE) != 0;
    FltPrefs.marksShown = (Prf.po[3] & PO4_COLUMN_FILTERS) != 0;
    FltPrefs.localTimeDefault = (Prf.po[1] & PO2_LOCAL_TIMES) != 0;
}

void FltStatus(DialogWords *dialog, const char *text, int mode)
{
    if (Hooks.status && dialog)
        Hooks.status(Hooks.context, dialog, text, mode);
}

/* ---- the context ------------------------------------------------------- */

FilterEvalContext *FltDialogContext(DialogWords *dialog)
{
    if (!dialog)
        return nullptr;
    if (!dialog->filterContext) {
        FLTDIALOG *f = (FLTDIALOG *)CSGetMem(sizeof(FLTDIALOG), "FLTCONTEXT");
        if (!f)
            return nullptr;
        memset(f, 0, sizeof *f);
        f->ctx.dialog = dialog;
        dialog->filterContext = f;
    }
    return &dialog->filterContext->ctx;
}

FLTDLGSTATE *FltDialogState(DialogWords *dialog)
{
    return FltDialogContext(dialog) ? &dialog->filterContext->state : nullptr;
}

void PCFEvalBindContext(DialogWords *dialog)
{
    /* a template's blocks are not the new instance's */
    dialog->filterContext = nullptr;
    dialog->columnFilters = nullptr;
}

static void FreeUserVar(CSTREE *, void *) {}

void PCFEvalFreeContextRecord(FilterEvalContext *ctx)
{
    PCFEvalCloseFiles(ctx);
    CSTreeFree(&ctx->userVars, FreeUserVar, nullptr);
    CSFreeMemAndClear(&ctx->slots);
    ctx->slotCap = 0;
}

void PCFEvalFreeContext(DialogWords *dialog)
{
    if (!dialog || !dialog->filterContext)
        return;
    PCFEvalFreeContextRecord(&dialog->filterContext->ctx);
    CSFreeMemAndClear(&dialog->filterContext);
}

void PCFFilterFree(DialogWords *dialog)
{
    if (!dialog)
        return;
    FilterProgram *p = dialog->filterProgram;
    PCFFreeProgram(&p);
    dialog->filterProgram = nullptr;
    CSFreeMemAndClear(&dialog->filterText);
}

PCFLISTAREA *FltDialogArea(DialogWords *d)
{
    if (!d)
        return nullptr;
    return d->first.replyArea ? d->first.replyArea : d->columnArea;
}

PCFLISTENTRY *FltDialogColumns(DialogWords *d)
{
    if (!d)
        return nullptr;
    if (d->first.columns)
        return d->first.columns;
    return d->definition && d->definition->list ? d->definition->list->current : nullptr;
}

/* ---- the list fill ----------------------------------------------------- */

void PCFFilterFillBegin(DialogWords *d)
{
    if (d->stateFlags & DF_FILTER_MARKED)
        PCFClearFilterMark(d);
    FilterEvalContext *ctx = FltDialogContext(d);
    if (!ctx)
        return;
    d->filterContext->state.flashing = 0;
    ctx->dialog = d;
    ctx->area = nullptr;
    ctx->row = nullptr;
    PCFEvalInitContext(d->filterProgram, ctx, 0);
}

void PCFFilterFillArea(DialogWords *d, PCFLISTAREA *area)
{
    FilterEvalContext *ctx = FltDialogContext(d);
    if (!ctx)
        return;
    ctx->area = area;
    ctx->items = area ? (int32_t)area->rows : 0;
}

int PCFFilterFillRow(DialogWords *d, PCFROW *row, int index, int last)
{
    row->flags &= FLTR_KEEP;
    FilterProgram *prog = d->filterProgram;
    FilterEvalContext *ctx = FltDialogContext(d);
    if (!prog || !ctx)
        return 1;
    ctx->last = last;
    ctx->index = index;
    ctx->sortText[0] = ctx->sortText[1] = nullptr;
    if (PCFEvalVarColumns(d, row))
        return 0;
    int shown = 0;
    if (PCFEvalExpression(ctx, prog, &shown))
        return -1;
    /* the flags first: rarely set, where a row's verdict is a coin toss */
    if ((row->flags & (FLTR_FLASH | FLTR_CELLFLASH)) && shown) {
        d->filterContext->state.flashing = 1;
        FltFlashing = 1;
    }
    return shown != 0;
}

int PCFFilterFillRescan(DialogWords *d)
{
    FilterEvalContext *ctx = d->filterContext ? FltDialogContext(d) : nullptr;
    if (!ctx || !d->filterProgram || !ctx->rescan || ctx->scan)
        return 0;
    ctx->scan = 1;
    ctx->first = 1;
    ctx->last = ctx->index = 0;
    return 1;
}

void PCFFilterFillEnd(DialogWords *d)
{
    if (!d->filterContext)
        return;
    FilterEvalContext *ctx = FltDialogContext(d);
    PCFEvalCloseFiles(ctx);
    ctx->row = nullptr;
}
