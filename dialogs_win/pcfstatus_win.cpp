/* The status line and title of a command dialog from any thread (off the
 * user-interface thread a copy is posted and the window shows it), the
 * status history of 30 entries, the error sound; the window hooks the
 * core calls (status, value window, focus, repaint); the shell's hooks. */
#include "pcfwin.h"
#include "pcflistwin.h"

#include "cs.h"
#include "locstore.h"
#include "qms.h"
#include "tkutil.h"
#include "tkwin.h"

#define HISTORY_MAX 30

static PCFSHELLHOOKS ShellHooks;

void PCFSetShellHooks(const PCFSHELLHOOKS *hooks)
{
    if (hooks)
        ShellHooks = *hooks;
    else
        memset(&ShellHooks, 0, sizeof ShellHooks);
}

const PCFSHELLHOOKS *PCFShellHooks(void)
{
    return &ShellHooks;
}

/* A tagged copy of a text for a posted message; null for none. */
static char *Copy(const char *text, const char *tag)
{
    size_t n = strlen(text);
    char *block = (char *)CSGetMem(n + 1, tag);
    if (block)
        memcpy(block, text, n + 1);
    return block;
}

/* Posts a copy; the block goes back when the post fails. */
static void PostCopy(HWND hwnd, UINT msg, WPARAM wp, const char *text, int emptyAsNull)
{
    char *block = emptyAsNull && !*text ? nullptr : Copy(text, msg == UM_PCF_TITLE ? "PCFDialogTitle" : "PCFDialogStatus");
    if (!block && !(emptyAsNull && !*text))
        return;
    if (!hwnd || !PostMessageA(hwnd, msg, wp, (LPARAM)block))
        CSFreeMemAndClear(&block);
}

/* Puts a text at the top of the status history (once, at most 30). */
static void History(HWND status, const char *text)
{
    char first[752];
    LRESULT count = SendMessageA(status, CB_GETCOUNT, 0, 0);
    if (count > 0 && SendMessageA(status, CB_GETLBTEXTLEN, 0, 0) < (LRESULT)sizeof first) {
        SendMessageA(status, CB_GETLBTEXT, 0, (LPARAM)first);
        if (strcmp(first, text) == 0)
            return;
    }
    if (count >= HISTORY_MAX)
        SendMessageA(status, CB_DELETESTRING, HISTORY_MAX - 1, 0);
    SendMessageA(status, CB_INSERTSTRING, 0, (LPARAM)text);
}

/* The location's line in every frame drawn again (the store's hook). */
static void LocationRow(QMS *location)
{
    const LOCHOOKS *h = LocHooks();
    if (h->updateRow)
        h->updateRow(h->context, location);
}

/* Without a dialog: the text becomes the location's last error and its
 * line is drawn again; the same text again changes nothing, no text only
 * draws the line again. */
static void LocationError(QMS *location, const char *text)
{
    if (!location || (text && *text && !LocSetLastError(location, text)))
        return;
    LocationRow(location);
}

void PCFDialogStatus(DialogWords *d, const char *text, QMS *location, uint32_t flags)
{
    if (!d) {
        LocationError(location, text);
        return;
    }
    char shown[752];
    PCFStatusText(d, text, location, shown, sizeof shown);
    HWND hwnd = PCFWnd(d->window);
    if (d->optionFlags & DO_IN_CALLER_WINDOW) {
        if (PCFOnUiThread())
            SendMessageA(hwnd, UM_LOCATION_ERROR, 0, (LPARAM)shown);
        else
            PostCopy(hwnd, FM_TEXT, 0, shown, 1);
        return;
    }
    if (!PCFOnUiThread() || (flags & 8)) {
        PostCopy(hwnd, UM_PCF_STATUS, flags & ~8u, shown, 0);
        return;
    }
    if ((flags & 4) && !(d->markFlags & DM_QUIET) && PCFErrorSoundDue(PCFNow()))
        WinPlaySound(PcfWinPrefs.errorSound, 0, 0);
    HWND status = PCFWnd(d->statusWindow);
    if (!status)
        return;
    if (d->fixedStatus && *d->fixedStatus) {
        SetWindowTextA(status, d->fixedStatus);
        return;
    }
    if ((flags & 1) && shown[0])
        History(status, shown);
    /* a text ends the wait for a first answer (the engine arms it again
       after its "Request sent..."); flag 2 makes it a transient text that
       the timed check clears */
    d->markFlags &= ~DM_REQUEST_SENT;
    d->optionFlags &= ~DO_TRANSIENT;
    if (flags & 2) {
        d->optionFlags |= DO_TRANSIENT;
        d->statusTime = PCFNow();
    }
    if (PCFStatusKeeps(d->shownStatus, flags, shown))
        return;
    d->shownStatus = flags;
    SetWindowTextA(status, shown);
}

void PCFDialogStatusShow(DialogWords *d, const char *text, QMS *location, uint32_t flags)
{
    if (d && (d->markFlags & DM_CREATED_HIDDEN) && PCFOnUiThread()) {
        d->markFlags &= ~DM_CREATED_HIDDEN;
        ShowWindow(PCFWnd(d->window), SW_SHOW);
    }
    PCFDialogStatus(d, text, location, flags);
}

void PCFDialogTitle(DialogWords *d, const char *suffix)
{
    if (!d || (d->optionFlags & DO_IN_CALLER_WINDOW) || (d->markFlags & DM_TITLE_FROZEN))
        return;
    if (!PCFOnUiThread()) {
        PostCopy(PCFWnd(d->window), UM_PCF_TITLE, 0, suffix ? suffix : "", 1);
        return;
    }
    char title[600];
    PCFComposeTitle(d, suffix, title, sizeof title);
    if (d->window)
        SetWindowTextA(PCFWnd(d->window), title);
}

/* ---- the core's window hooks ---- */

static void HookStatus(void *, DialogWords *d, const char *text, uint32_t flags)
{
    PCFDialogStatus(d, text, nullptr, flags);
}

static int HookPost(void *, void *window, uint32_t msg, uintptr_t wp, intptr_t lp)
{
    return window && PostMessageA((HWND)window, msg, wp, lp);
}

static int HookValueText(void *, DialogWords *d, char *buffer, int size)
{
    if (!d->valueWindow)
        return 0;
    GetWindowTextA(PCFWnd(d->valueWindow), buffer, size);
    return 1;
}

static void HookSetValueText(void *, DialogWords *d, const char *text)
{
    if (d->valueWindow)
        SetWindowTextA(PCFWnd(d->valueWindow), text);
}

static void HookSelectionText(void *, DialogWords *d, const char *text)
{
    if (d->selectionWindow)
        SetWindowTextA(PCFWnd(d->selectionWindow), text);
}

static void HookFocusField(void *, DialogWords *d, PCFFieldEntry *entry)
{
    d->currentField = entry;
    d->listIndex = 0;
    PCFCountFields(d);
    if (d->currentLine != 0xFFFFFFFF) {
        d->shownTab = d->currentTab;
        PCFBuildTabs(d);
        ActivateField(d, (int32_t)d->currentLine, 0);
    }
}

static void HookRepaint(void *, DialogWords *d)
{
    if (d->fieldWindow)
        InvalidateRect(PCFWnd(d->fieldWindow), nullptr, TRUE);
}

static void HookDepend(void *, DialogWords *d)
{
    PCFDependChanged(d);
}

static void HookDiff(void *, DialogWords *d)
{
    PCFDiffFromDefault(d, nullptr);
}

/* A failure of reply processing (storage) for the location's error
 * display; any thread. */
static void HookPostError(void *, QMS *location, uint32_t flags, const char *text)
{
    UtilPostError(location, flags, text);
}

void PCFWindowHooks(PCFHOOKS *h)
{
    h->post = HookPost;
    h->status = HookStatus;
    h->valueText = HookValueText;
    h->setValueText = HookSetValueText;
    h->setSelectionText = HookSelectionText;
    h->focusField = HookFocusField;
    h->repaintFields = HookRepaint;
    h->dependChanged = HookDepend;
    h->diffFromDefault = HookDiff;
    h->postError = HookPostError;
    PCFListWindowHooks();
}
