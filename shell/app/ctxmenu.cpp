/* The right-button menus: the location commands in the order the user's
 * habits give them, over a frame's panel, a location's own window or a
 * command dialog, and the dialog's own menu elsewhere in a dialog. */
#include "shell.h"
#include "shellint.h"

#include <cstdio>
#include <cstring>

#include "cmddlg.h"
#include "locstore.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "tkwin.h"

static HMENU sharedPopup;

static void empty(HMENU menu)
{
    while (GetMenuItemCount(menu) > 0) {
        HMENU sub = GetSubMenu(menu, 0);
        DeleteMenu(menu, 0, MF_BYPOSITION);   /* destroys the submenu too */
        (void)sub;
    }
}

/* The submenu of a name, made on first use. */
static HMENU named_submenu(HMENU menu, const char *name)
{
    for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
        char text[100] = "";
        GetMenuStringA(menu, (UINT)i, text, sizeof text, MF_BYPOSITION);
        HMENU sub = GetSubMenu(menu, i);
        if (sub && !strcmp(text, name))
            return sub;
    }
    HMENU sub = CreatePopupMenu();
    AppendMenuA(menu, MF_POPUP | MF_STRING, (UINT_PTR)sub, name);
    return sub;
}

void LocContextMenu(QMS *r, HWND window, uint32_t kinds, HMENU menu, int)
{
    empty(menu);
    FrameWords *f = FrameOf(UtilTopLevelParent(window));
    CTXSETTINGS s = { Prf.po[1], Prf.po[2], Prf.po[3], Prf.mitems > 0 ? Prf.mitems : 6 };
    CTXITEM items[64];
    int n = CtxMenuOrder(r, kinds, &s, items, 64);
    for (int i = 0; i < n; i++) {
        const CTXROW &row = CtxRows[items[i].row];
        HMENU to = items[i].submenu ? named_submenu(menu, items[i].submenu) : menu;
        if (row.id < 0) {
            AppendMenuA(to, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        char text[200];
        CtxRowText(&row, r, ShellOptions.diagnostics, text, sizeof text);
        UINT flags = MF_STRING;
        if ((row.id == 885 && f && (f->flags & FF_DEPTH)) ||
            (row.id == 933 && f && (f->flags & FF_QCOUNT)))
            flags |= MF_CHECKED;
        if (row.id == 621 && !ShellCanDisconnect(r))
            flags |= MF_GRAYED;
        AppendMenuA(to, flags, (UINT_PTR)row.id, text);
        if ((Prf.po[0] & PO1_MENU_BITMAPS) && row.bitmap) {
            MENUITEMINFOA mi = { sizeof mi };
            mi.fMask = MIIM_BITMAP;
            mi.hbmpItem = ShellMenuItemBitmap(ShellBitmap(row.bitmap));
            SetMenuItemInfoA(to, (UINT)row.id, FALSE, &mi);
        }
    }
    PruneEmptySubmenus(menu);
}

int UtilTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner)
{
    if (!AutMenuAllowed(751))
        return 0;
    return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

/* A command dialog's own menu as a popup (its bar's submenus lent). */
static void dialog_menu(DialogWords *d, POINT pt)
{
    if (!d->menu) {
        WinOpError("Dialog Popup menu is NULL");
        return;
    }
    HMENU bar = (HMENU)d->menu, popup = CreatePopupMenu();
    for (int i = 0, n = GetMenuItemCount(bar); i < n; i++) {
        char text[100] = "";
        GetMenuStringA(bar, (UINT)i, text, sizeof text, MF_BYPOSITION);
        HMENU sub = GetSubMenu(bar, i);
        if (sub)
            AppendMenuA(popup, MF_POPUP | MF_STRING, (UINT_PTR)sub, text);
        else
            AppendMenuA(popup, MF_STRING, GetMenuItemID(bar, i), text);
    }
    UtilTrackPopupMenu(popup, TPM_RIGHTBUTTON, pt.x, pt.y, PCFWnd(d->window));
    while (GetMenuItemCount(popup) > 0)
        RemoveMenu(popup, 0, MF_BYPOSITION);
    DestroyMenu(popup);
}

static QMS *own_window_location(HWND active)
{
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        if (((QMS *)e)->openWindow && (HWND)((QMS *)e)->openWindow == active)
            return (QMS *)e;
    return nullptr;
}

/* The location of the row under a screen point in a dialog's list, or
 * null where the point is off the list or below its last row. */
static QMS *row_location_at(DialogWords *d, POINT pt)
{
    HWND list = d->definition && d->definition->list ? PCFWnd(d->rightList) : nullptr;
    RECT client;
    if (!list || !IsWindowVisible(list) || !ScreenToClient(list, &pt) || !GetClientRect(list, &client) ||
        !PtInRect(&client, pt))
        return nullptr;
    LRESULT height = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0)
        return nullptr;
    LRESULT index = pt.y / height + SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    if (index >= SendMessageA(list, LB_GETCOUNT, 0, 0))
        return nullptr;
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, (WPARAM)index, 0);
    const PCFROW *row = data != LB_ERR ? (const PCFROW *)data : nullptr;
    return row && row->request ? row->request->location : nullptr;
}

void ContextMenu(HWND window, POINT pt)
{
    if (ShellOptions.diagnostics && Shell.mainWindow)
        SetWindowTextA(Shell.mainWindow, "RBUTTON1DOWN");
    /* a command dialog is owned by a hidden window of its own, not by the
       frame it came from: while it is active a frame stands behind it */
    if (!GetActiveFrameRec() && !(PCFActiveDialog && FrameFirst()))
        return;
    if (!sharedPopup && !(sharedPopup = CreatePopupMenu())) {
        WinOpError("Main Popup menu is NULL");
        return;
    }
    if (pt.x == -1 && pt.y == -1)
        GetCursorPos(&pt);
    FrameWords *f = nullptr;
    for (FrameWords *p = FrameFirst(); p; p = FrameNext(p))
        if (p->panel == window)
            f = p;
    if (f) {
        LocContextMenu(FrameGetSelLocation(f->window), window, 2, sharedPopup, 1);
        UtilTrackPopupMenu(sharedPopup, TPM_RIGHTBUTTON, pt.x, pt.y, f->window);
        return;
    }
    QMS *own = own_window_location(GetActiveWindow());
    if (own) {
        LocContextMenu(own, window, 2, sharedPopup, 1);
        UtilTrackPopupMenu(sharedPopup, TPM_RIGHTBUTTON, pt.x, pt.y, GetActiveWindow());
        return;
    }
    DialogWords *d = PCFActiveDialog;
    if (!d)
        return;
    QMS *rowLocation = row_location_at(d, pt);
    if (!rowLocation) {
        dialog_menu(d, pt);
        return;
    }
    /* the chosen command goes to the row's location, whatever the
       dialog's selection */
    HWND owner = PCFWnd(d->window);
    LocContextMenu(rowLocation, window, 2, sharedPopup, 1);
    int id = UtilTrackPopupMenu(sharedPopup, TPM_RIGHTBUTTON | TPM_RETURNCMD, pt.x, pt.y, owner);
    if (id > 0)
        DoAction(owner, rowLocation, nullptr, id);
}

/* The command dialogs' hook: the window under the click and the point. */
void ShellDialogContextMenu(void *, WPARAM wp, LPARAM lp)
{
    POINT pt = { (short)LOWORD(lp), (short)HIWORD(lp) };
    ContextMenu((HWND)wp, pt);
}
