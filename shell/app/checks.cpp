/* The timer's check of the open command dialogs (command-server
 * time-outs, silent queue managers, due refreshes and exports): what the
 * check asks of a dialog's window. */
#include "shell.h"
#include "shellwork.h"

#include "csdate.h"
#include "export.h"
#include "pcflistwin.h"
#include "pcfwin.h"

static HWND window_of(DialogWords *d)
{
    return d && d->window ? PCFWnd(d->window) : nullptr;
}

/* Rows that lost their replies are rebuilt, keeping the selection. */
static void rebuild(void *, DialogWords *d)
{
    if (window_of(d))
        PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
}

static void auto_export(void *, DialogWords *d)
{
    ExpAutoExport(d, 0);
}

/* The dialog's open "Auto Refresh Rate" window shows the new times. */
static void times_changed(void *, DialogWords *d)
{
    if (HWND w = PCFWnd(d->popups[PCF_POPUP_AUTOREFRESH]))
        PostMessageA(w, UM_REFRESH_TIMES, 0, 0);
}

/* "No response from Command Server" is shown on a visible window. */
static void show(void *, DialogWords *d)
{
    HWND w = window_of(d);
    if (w && !IsWindowVisible(w) && !(GetWindowLongA(w, GWL_STYLE) & WS_CHILD))
        ShowWindow(w, SW_SHOWNA);
}

void ShellCheckDialogs(void)
{
    static const PCFCHECKHOOKS hooks = { nullptr, nullptr, rebuild, auto_export, times_changed, show };
    PCFCheckResponses(Shell.now ? Shell.now : CSGetCurrentTime(), &hooks);
}
