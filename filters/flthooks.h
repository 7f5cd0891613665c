/* The filters' hooks: what a dialog's filter asks of the dialog windows,
 * the command engine and the Filter Manager above it (FLTHOOKS, filled
 * by the filter windows' FltInstallWindowHooks at start-up), and the
 * column filters' two window calls, which the list and filter windows set.
 * An unset hook does nothing. */
#pragma once

#include <cstdint>

struct QMS;
struct DialogWords;
struct PCFROW;
struct CSLIST;
struct PCFLISTFILTER;

struct FLTHOOKS {
    void *context;
    void (*beep)(void *ctx);
    void (*sound)(void *ctx, const char *name);
    /* PCFDialogStatus with its mode (1, 2 information, 6 error, 129). */
    void (*status)(void *ctx, DialogWords *dialog, const char *text, int mode);
    /* RunUserCommand: 0 started, else an error text (freed by the caller). */
    int (*runCommand)(void *ctx, QMS *location, DialogWords *dialog, PCFROW *row,
                      const char *text, char **errorText);
    void (*noteBox)(void *ctx, DialogWords *dialog, const char *text);
    /* The filter field's text: its length, or -1 when the dialog has none. */
    int (*fieldText)(void *ctx, DialogWords *dialog, char *buffer, int size);
    /* Focus the filter field and select a range of its text. */
    void (*selectRange)(void *ctx, DialogWords *dialog, int start, int end);
    /* FltShowError: the Filter Manager opened on a named filter. */
    void (*showNamedError)(void *ctx, const char *name, int start, int end);
    void (*setFilterValues)(void *ctx, DialogWords *dialog);
    /* PCFUpdateList, PCFPostRefresh, PCFRefreshList. */
    void (*updateList)(void *ctx, DialogWords *dialog);
    void (*postRefresh)(void *ctx, DialogWords *dialog);
    void (*refreshList)(void *ctx, DialogWords *dialog);
    /* SetWhereFilter: the dialog's WHERE condition rebuilt from its new
       filter (PCFFilterWhere); 1 when it changed, so that the list is
       asked for again. */
    int (*setWhereFilter)(void *ctx, DialogWords *dialog);
    /* The recent-filter lists of a dialog (its own and its definition's;
     * they may be the same); null ones are skipped. */
    void (*recentLists)(void *ctx, DialogWords *dialog, CSLIST **own, CSLIST **kind);
};
void FltSetHooks(const FLTHOOKS *hooks);
const FLTHOOKS *FltHooks(void);

/* The open column-filter pop-up shown again with the counts of a rebuild
 * (the window code sets it). */
extern void (*PCFColumnRecountSink)(DialogWords *dialog);
/* An open column-filter pop-up destroyed before ColFilterFreeAll frees
 * its records (the window code sets it). */
extern void (*ColFilterDestroyPopup)(void *popup);

/* ---- what the filters fill in the dialogs' hooks ----------------------- */

/* The list fill's hooks (PCFSetListFilter of the dialogs' lists): the
 * filter of each row (PCFFilterFillRow and the others, filters.h) and
 * the column filters. */
extern const PCFLISTFILTER PCFFilterListHooks;
