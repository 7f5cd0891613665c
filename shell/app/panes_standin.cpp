/* Stand-in for two services of the command dialogs that a frame uses on
 * its panes, until the dialogs give them: showing or hiding a dialog's
 * panes (the dialog then paints only its background) and posting its
 * default refresh.  The dialogs' own versions replace this file. */
#include "shell.h"

#include "cmddlg.h"
#include "pcfwin.h"

#define PANES_HIDDEN 0x2000u
static const char PROP_SHOWN[] = "RavoltShown";

static BOOL CALLBACK hide_child(HWND child, LPARAM parent)
{
    if (GetParent(child) != (HWND)parent)
        return TRUE;
    if (IsWindowVisible(child)) {
        SetPropA(child, PROP_SHOWN, (HANDLE)1);
        ShowWindow(child, SW_HIDE);
    }
    return TRUE;
}

static BOOL CALLBACK show_child(HWND child, LPARAM parent)
{
    if (GetParent(child) == (HWND)parent && RemovePropA(child, PROP_SHOWN))
        ShowWindow(child, SW_SHOWNA);
    return TRUE;
}

void PCFShowPanes(DialogWords *d, int show)
{
    if (!d || !d->window)
        return;
    HWND w = PCFWnd(d->window);
    int hidden = (d->displayFlags & PANES_HIDDEN) != 0;
    if (!show) {
        d->displayFlags |= PANES_HIDDEN;
        EnumChildWindows(w, hide_child, (LPARAM)w);
    } else if (hidden) {
        d->displayFlags &= ~PANES_HIDDEN;
        EnumChildWindows(w, show_child, (LPARAM)w);
        PCFPositionDialogFields(d, 1);
    }
    InvalidateRect(w, nullptr, TRUE);
}

void PCFPostRefresh(DialogWords *d)
{
    if (d && d->window)
        PostMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
}
