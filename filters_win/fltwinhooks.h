/* The filter windows' hooks: what the Filter Manager and the column
 * filter pop-up ask of the main window and the list windows above them.
 * The shell fills FLTWINHOOKS when the main window comes
 * (ShellFollowMainWindow, shell/app/wiring.cpp); the list windows set
 * ColFilterRefreshList (PCFListWindowHooks). */
#pragma once

#include <windows.h>
#include <cstdint>

struct DialogWords;
struct FLTHOOKS;

/* What the filter windows ask of the host, installed with one
 * FltWinSetHooks call (null puts back the defaults: no owner, no active
 * dialog, WinConfirm, CSGetCurrentTime). */
struct FLTWINHOOKS {
    void *context;
    HWND owner;                        /* the Filter Manager's owner (main window) */
    /* The active command dialog (its filter field opens the manager). */
    DialogWords *(*activeDialog)(void *ctx);
    /* A yes-or-no question ("!" texts) or "Are you sure ..." of a verb
     * and a name: non-zero when the user agrees (WinConfirm). */
    int (*confirm)(void *ctx, HWND owner, const char *question, const char *name);
    /* The program clock in seconds (CSGetCurrentTime). */
    int64_t (*clock)(void *ctx);
};
void FltWinSetHooks(const FLTWINHOOKS *hooks);
const FLTWINHOOKS *FltWinHooks(void);

/* The list's rebuild after an apply (PCFUpdateList keeping the
 * selection); the dialog code sets it. */
extern void (*ColFilterRefreshList)(DialogWords *dialog);

/* ---- what the filter windows fill in the filters' hooks ---------------- */

/* The Windows pieces of FLTHOOKS (beep, sound, boxes, the filter field,
 * its selection, the manager on an error, user commands) put into a
 * table whose other hooks the dialog code fills; then installed. */
void FltInstallWindowHooks(FLTHOOKS *hooks);
