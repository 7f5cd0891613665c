/* Applying a filter text to a dialog: deciding whether it needs a
 * compile, compiling it (a failed compile keeps the previous filter and
 * shows the error at its characters), the initial column pass, the
 * recent-filter lists, the columns the filter asks for, its field sorts
 * and the refresh of the list. */
#include "fltint.h"
#include "pcflists.h"

#include <cctype>
#include <cstdio>

void FltClearColumnMarks(DialogWords *d);

void PCFRecentFilter(CSLIST *list, const char *text, int max)
{
    if (!list || !text || !text[0])
        return;
    size_t n = strlen(text);
    for (CSLISTELEM *e = list->first; e; e = e->next)
        if (e->length == n + 1 && !memcmp(e + 1, text, n + 1)) {
            CSListRemove(e);
            break;
        }
    while (max > 0 && list->count >= max && list->last)
        CSListRemove(list->last);
    if (n + 1 > CSLIST_MAXDATA)
        return;
    CSLISTELEM *e = CSListAdd(list, "FILTER", CSLIST_COPYDATA, text, n + 1);
    /* newest first */
    if (e && list->first != e) {
        CSLISTELEM *prev = e->prev;
        if (prev)
            prev->next = e->next;
        if (e->next)
            e->next->prev = prev;
        if (list->last == e)
            list->last = prev;
        e->prev = nullptr;
        e->next = list->first;
        list->first->prev = e;
        list->first = e;
    }
}

/* Field variables lose their value, "%" user variables their binding. */
static void Unbind(FilterProgram *prog)
{
    for (uint32_t i = 0; i < prog->varCount; i++) {
        FVARNODE *v = prog->vars[i];
        if ((v->flags & VF_FIELD) || (v->flags & VF_PERCENT))
            v->value = nullptr;
    }
}

/* The program's column functions run once without a row; 1 when the
 * program asked to stop. */
static int InitialPass(DialogWords *d, FilterEvalContext *ctx, FilterProgram *prog)
{
    prog->flags = (prog->flags | FLTP_INITIAL) & ~(uint32_t)FLTP_STOP;
    ctx->dialog = d;
    ctx->row = nullptr;
    ctx->area = nullptr;
    PCFEvalInitContext(prog, ctx, 1);
    Unbind(prog);
    FltDialogState(d)->hasColumns = 1;
    int ignored;
    PCFEvalExpression(ctx, prog, &ignored);
    prog->flags &= ~(uint32_t)FLTP_INITIAL;
    ctx->initialPass = 0;
    return (prog->flags & FLTP_STOP) != 0;
}

/* Shows a compile error and selects its characters. */
static void ShowError(DialogWords *d, FLTREADER *reader)
{
    const FLTHOOKS *h = FltHooks();
    char text[FLT_ERROR_SIZE + 300];
    FltErrorPrefix(reader, text, sizeof text);
    size_t n = strlen(text);
    snprintf(text + n, sizeof text - n, "%s", reader->error);
    FltStatus(d, text, 6);
    int start, end;
    const char *name = FltErrorFilterName(reader);
    if (reader->errorPlace.origin && name[0]) {
        if (PCFEvalErrorPos(reader, 0, &start, &end) && h->showNamedError)
            h->showNamedError(h->context, name, start, end);
    } else if (PCFEvalErrorPos(reader, 1, &start, &end) && h->selectRange) {
        h->selectRange(h->context, d, start, end);
    }
}

/* The text kept as the current filter and put into the recent lists. */
static int Keep(DialogWords *d, const char *text)
{
    size_t n = strlen(text);
    char *copy = (char *)CSGetMem(n + 1, "FILTER");
    if (!copy)
        return 1;
    memcpy(copy, text, n + 1);
    CSFreeMemAndClear(&d->filterText);
    d->filterText = copy;
    const FLTHOOKS *h = FltHooks();
    if (h->recentLists) {
        CSLIST *own = nullptr, *kind = nullptr;
        h->recentLists(h->context, d, &own, &kind);
        PCFRecentFilter(own, text, FltPrefs.recentMax);
        if (kind && kind != own)
            PCFRecentFilter(kind, text, FltPrefs.recentMax);
    }
    return 0;
}

/* Compiles the text into a new program for the dialog; 0, or 1. */
static int Compile(DialogWords *d, const char *text, int *replaced)
{
    FilterEvalContext *ctx = FltDialogContext(d);
    if (!ctx) {
        FltStatus(d, "Out of memory", 6);
        return 1;
    }
    ctx->dialog = d;
    char error[FLT_ERROR_SIZE];
    FLTREADER reader;
    FltReaderInit(&reader, text, -1, "", error);
    FilterProgram *prog = nullptr;
    int rc = PCFEvalParse(PCFDialogCaps(d), d->definition, ctx, &prog, &reader);
    if (rc) {
        ShowError(d, &reader);
        FltReaderFree(&reader);
        return 1;
    }
    FltReaderFree(&reader);
    if ((prog->flags & FLTP_COLUMNS) && InitialPass(d, ctx, prog)) {
        PCFFreeProgram(&prog);
        return 1;
    }
    if (Keep(d, text)) {
        FltStatus(d, "Out of memory", 6);
        PCFFreeProgram(&prog);
        return 1;
    }
    FilterProgram *old = d->filterProgram;
    PCFFreeProgram(&old);
    d->filterProgram = prog;
    d->displayFlags &= ~(uint32_t)DD_USER_SORTS;
    const FLTHOOKS *h = FltHooks();
    if (h->setFilterValues)
        h->setFilterValues(h->context, d);
    *replaced = PCFCheckVars(d, 0);
    return 0;
}

int PCFNewFilter(DialogWords *d, int refresh)
{
    const FLTHOOKS *h = FltHooks();
    if (!d || !h->fieldText)
        return 0;
    char text[FLT_TEXT_MAX + 1];
    int n = h->fieldText(h->context, d, text, sizeof text);
    if (n < 0)
        return 0;
    text[n < (int)sizeof text ? n : (int)sizeof text - 1] = 0;
    char *t = text;
    while (*t == ' ' || *t == '\t')
        t++;
    size_t len = strlen(t);
    while (len && (t[len - 1] == ' ' || t[len - 1] == '\t'))
        t[--len] = 0;
    int compile = 0, removed = 0, replaced = 0, whereChanged = 0;
    if (!*t)
        removed = d->filterText != nullptr || d->filterProgram != nullptr;
    else if (!d->filterText || strcmp(d->filterText, t))
        compile = 1;
    else
        compile = PCFCheckVars(d, refresh);
    /* a dialog that shows the lists of several queue managers */
    int several = d->lists && d->definition && (d->definition->flags & PCFD_QMLIST);
    if (compile || removed) {
        FltClearColumnMarks(d);
        if (several)
            FltDefaultSortMarks(d);
        if (removed) {
            PCFFilterFree(d);
            d->displayFlags &= ~(uint32_t)DD_USER_SORTS;
            if (several)               /* its own list shown again */
                d->first.flags |= PCFLR_SELECTED;
        } else if (Compile(d, t, &replaced)) {
            return 1;                  /* the previous filter, and its condition, stay */
        }
        /* the WHERE condition follows the program now in force */
        if (h->setWhereFilter)
            whereChanged = h->setWhereFilter(h->context, d);
    }
    if (d->filterProgram)
        PCFFieldSortMarks(d);
    if (refresh) {
        if (FltDialogArea(d) && !replaced) {
            PCFCheckVars(d, 1);
            if (h->updateList)
                h->updateList(h->context, d);
        }
        /* rows that came under another condition are asked for again */
        if ((!FltDialogArea(d) || replaced || whereChanged) && h->postRefresh)
            h->postRefresh(h->context, d);
    }
    return 0;
}
