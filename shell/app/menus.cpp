/* The frame's menus: enabled states and check marks when a menu opens,
 * the Windows menu with the open windows grouped by kind, the Default
 * Lists menu, and the pruning of submenus the authorities emptied. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "cmddlg.h"
#include "cs.h"
#include "locstore.h"
#include "mq/capability.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "tkutil.h"

/* ---- finding submenus ---- */

/* The submenu (at any depth) that holds a command, with its parent and
 * position. */
static HMENU find_holder(HMENU menu, UINT id, HMENU *parent, int *position)
{
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; i++) {
        HMENU sub = GetSubMenu(menu, i);
        if (!sub)
            continue;
        if (GetMenuState(sub, id, MF_BYCOMMAND) != (UINT)-1) {
            int direct = 0;
            for (int j = 0, m = GetMenuItemCount(sub); j < m && !direct; j++)
                direct = GetMenuItemID(sub, j) == id;
            if (direct) {
                if (parent)
                    *parent = menu;
                if (position)
                    *position = i;
                return sub;
            }
            HMENU deeper = find_holder(sub, id, parent, position);
            if (deeper)
                return deeper;
        }
    }
    return nullptr;
}

/* The Windows submenu: the one that holds "Close all". */
static HMENU windows_menu(HMENU bar)
{
    return bar ? find_holder(bar, 651, nullptr, nullptr) : nullptr;
}

/* The "Default Lists" submenu among the first 12 items of a submenu. */
static HMENU default_lists(HMENU bar)
{
    int n = bar ? GetMenuItemCount(bar) : 0;
    for (int i = 0; i < n; i++) {
        HMENU sub = GetSubMenu(bar, i);
        for (int j = 0, m = sub ? GetMenuItemCount(sub) : 0; j < m && j < 12; j++) {
            char text[64] = "";
            GetMenuStringA(sub, (UINT)j, text, sizeof text, MF_BYPOSITION);
            if (!strcmp(text, "Default Lists") && GetSubMenu(sub, j))
                return GetSubMenu(sub, j);
        }
    }
    return nullptr;
}

/* ---- pruning ---- */

void DeleteMenuItemAt(HMENU menu, int position)
{
    DeleteMenu(menu, (UINT)position, MF_BYPOSITION);
}

int PruneEmptySubmenus(HMENU menu)
{
    int kept = 0, lastSeparator = 1;
    for (int i = 0; i < GetMenuItemCount(menu);) {
        MENUITEMINFOA mi = { sizeof mi };
        mi.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, (UINT)i, TRUE, &mi);
        if (mi.fType & MFT_SEPARATOR) {
            if (lastSeparator) {
                DeleteMenuItemAt(menu, i);
                continue;
            }
            lastSeparator = 1;
        } else if (mi.hSubMenu && !PruneEmptySubmenus(mi.hSubMenu)) {
            DeleteMenuItemAt(menu, i);
            continue;
        } else {
            lastSeparator = 0;
            kept++;
        }
        i++;
    }
    int n = GetMenuItemCount(menu);
    if (n > 0) {
        MENUITEMINFOA mi = { sizeof mi };
        mi.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, (UINT)(n - 1), TRUE, &mi);
        if (mi.fType & MFT_SEPARATOR)
            DeleteMenuItemAt(menu, n - 1);
    }
    return kept;
}

/* ---- enabled states and checks ---- */

static void enable(HMENU menu, UINT id, int on)
{
    on = on && ShellCommandServed((int32_t)id) && AutMenuEnabled((int32_t)id);
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

static void check(HMENU menu, UINT id, int on)
{
    CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

/* Whether a location's queue manager runs a queued publish/subscribe
 * broker: its broker control queue is among the queues it listed. */
static int queued_broker(QMS *r)
{
    uint32_t type;
    return r && ShellQueueType(r, r->brokerQueue[0] ? r->brokerQueue : "SYSTEM.BROKER.CONTROL.QUEUE", &type);
}

void FrameInitMenu(HWND window)
{
    FrameWords *f = FrameOf(window);
    if (!f || !f->menu)
        return;
    HMENU m = f->menu;
    QMS *r = FrameGetSelLocation(window);
    uint64_t mask = r ? r->authMask : AutTotals;
    HMENU windows = windows_menu(m);
    if (windows)
        BuildWindowsMenu(window, 1, windows, 1);
    HMENU lists = default_lists(m);
    if (lists)
        BuildDefaultListsMenu(lists);
    for (const PCFCommandDef *broker : { &PCFBrokerSubscribersDef, &PCFBrokerPublishersDef })
        enable(m, broker->menuId, queued_broker(r));
    uint32_t ed = ShellWork.editorState && f->msgPane ? ShellWork.editorState(f->msgPane) : 0;
    int active = (ed & ED_ACTIVE) != 0;
    int qmgr = r && LocMaskMatch(mask, 0x1000000000000000ull);
    enable(m, IDM_REFRESH, qmgr);
    enable(m, IDM_LOCATION_STATUS, qmgr);
    enable(m, IDM_OPEN_LOCATION, r && LocMaskMatch(mask, 0x100000000ull));
    enable(m, IDM_DELETE_LOCATION, r && LocMaskMatch(mask, 0x900000000ull));
    enable(m, IDM_ADD_LOCATION, LocMaskMatch(AutTotals, 0x500000000ull));
    enable(m, IDM_COPY_LOCATION, r && LocMaskMatch(AutTotals, 0x500000000ull));
    enable(m, IDM_SAVE_CONFIG, !ShellOptions.readOnly && LocMaskMatch(mask, 0x300000000ull));
    enable(m, IDM_UNDO, active && (ed & ED_UNDO));
    enable(m, IDM_REDO, active && (ed & ED_REDO));
    enable(m, IDM_COPY, active && (ed & ED_SELECTION));
    enable(m, IDM_CUT, active && (ed & ED_SELECTION));
    enable(m, IDM_PASTE, active);
    enable(m, IDM_PASTE_ALL, active);
    enable(m, IDM_REPEAT, active && (ed & ED_REPEAT));
    for (UINT id : { IDM_LOAD_UNLOAD, IDM_PUT_MESSAGE, IDM_PUBLISH })
        enable(m, id, r && LocMaskMatch(mask, 0x4));
    enable(m, IDM_FILTERS, 1);
    enable(m, IDM_DISCONNECT, ShellCanDisconnect(r));
    enable(m, IDM_ERROR_LOG, r && !r->viaQm[0]);
    enable(m, IDM_INI_FILE, r && !r->viaQm[0]);
    static const UINT served[] = { IDM_IMPORT_CCDT, IDM_IMPORT_LOCAL, IDM_IMPORT_EXPLORER,
                                   IDM_IMPORT_CONFIG, IDM_CHANGE_LOCATIONS, IDM_PREFERENCES,
                                   IDM_COLOURS, IDM_CHECK_VERSION, IDM_DEBUG_WINDOW, IDM_FIND,
                                   IDM_FIND_NEXT, IDM_FIND_PREVIOUS, IDM_GOTO_PARTNER,
                                   IDM_SELECT_ALL };
    for (UINT id : served)
        enable(m, id, 1);
    if ((Prf.po[0] & PO1_MENU_BITMAPS) && r) {
        MENUITEMINFOA mi = { sizeof mi };
        mi.fMask = MIIM_BITMAP;
        mi.hbmpItem = ShellMenuItemBitmap(LocStatusBitmap(r));
        SetMenuItemInfoA(m, IDM_LOCATION_STATUS, FALSE, &mi);
    }
    if (!(f->flags & (FF_QMNAME | FF_LOCATION)))
        f->flags |= FF_QMNAME;
    static const struct { UINT id; uint32_t flag; } checks[] = {
        { IDM_SHOW_MQVERSION, FF_MQVERSION }, { IDM_QUEUE_PREFIX, FF_PREFIX },
        { IDM_SEARCH_LOCATIONS, FF_SEARCH }, { IDM_SEARCH_QUEUES, FF_SEARCHQ },
        { IDM_SHOW_DEPTH, FF_DEPTH }, { IDM_SHOW_QCOUNT, FF_QCOUNT },
        { IDM_SHOW_QMNAME, FF_QMNAME }, { IDM_SHOW_LOCATION, FF_LOCATION },
        { IDM_EXPAND_EDIT, FF_ZOOMED },
    };
    for (const auto &c : checks)
        check(m, c.id, (f->flags & c.flag) != 0);
    check(m, IDM_EXPERT_MODE, (Prf.opt1 & 0x200000) != 0);
}

/* ---- the Windows menu ---- */

struct WINGROUP {
    HMENU menu;
    int32_t next;                  /* the next entry's id */
    int added[5];                  /* entries per group */
};

static void add_entry(WINGROUP *g, int group, HWND window, const char *text)
{
    if (!g->added[group] && g->next < 3999)
        AppendMenuA(g->menu, MF_SEPARATOR, 0, nullptr);
    MENUITEMINFOA mi = { sizeof mi };
    mi.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA;
    mi.wID = (UINT)g->next++;
    mi.dwItemData = (ULONG_PTR)window;
    mi.dwTypeData = (char *)text;
    InsertMenuItemA(g->menu, (UINT)GetMenuItemCount(g->menu), TRUE, &mi);
    g->added[group]++;
}

static void add_titled(WINGROUP *g, int group, HWND window)
{
    char title[201] = "";
    if (!window || !IsWindow(window) || !GetWindowTextA(window, title, sizeof title))
        return;
    add_entry(g, group, window, title);
}

static void modeless_entry(HWND window, int, void *, void *, void *ctx)
{
    add_titled((WINGROUP *)ctx, 2, window);
}

static void location_entry(QMS *r, void *ctx)
{
    if (r->openWindow)
        add_titled((WINGROUP *)ctx, 3, (HWND)r->openWindow);
}

static int dialog_entry(DialogWords *d, void *ctx)
{
    WINGROUP *g = (WINGROUP *)ctx;
    int browser = (d->optionFlags & DO_BACKGROUND) != 0;
    if (d->ownerSlot || !d->window || (browser && !(Prf.po[1] & PO2_LIST_BROWSERS)))
        return 0;
    QMS *r = d->first.location;
    WINENTRY e = {};
    e.browser = browser;
    e.several = (d->optionFlags & DO_SEVERAL_QMGRS) != 0;
    e.location = r ? ShellLocationName(r) : nullptr;
    e.viaQm = r ? r->viaQm : nullptr;
    e.title = d->definition ? d->definition->title : "";
    e.objectName = d->definition && d->definition->nameField ? d->objectName : nullptr;
    e.instance = d->instance;
    char text[300];
    ShellWindowEntryText(&e, text, sizeof text);
    add_entry(g, 4, PCFWnd(d->window), text);
    return 0;
}

void BuildWindowsMenu(HWND frame, int, HMENU menu, int)
{
    while (GetMenuItemCount(menu) > 0)
        DeleteMenu(menu, 0, MF_BYPOSITION);
    static const struct { UINT id; const char *text; } fixed[] = {
        { 651, "Close &all" }, { 654, "&Minimize all" }, { 806, "&Tile Horizontal all" },
        { 805, "&Tile Vertical all" }, { 652, "Close all &dialogs" }, { 653, "Close all &windows" },
    };
    for (const auto &item : fixed)
        AppendMenuA(menu, MF_STRING, item.id, item.text);
    WINGROUP g = { menu, 3000, {} };
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        if (f->window != frame)
            add_titled(&g, 1, f->window);
    ModelessForEach(modeless_entry, &g);
    if (tkHost.viewerList)
        for (REFRESHRECORD *r = (REFRESHRECORD *)*tkHost.viewerList; r; r = (REFRESHRECORD *)r->link)
            add_titled(&g, 2, r->window);
    LocForEach(LocTree, location_entry, &g);
    PCFForEachDialog(dialog_entry, &g);
    int any = g.added[1] + g.added[2] + g.added[3] + g.added[4];
    EnableMenuItem(menu, 651, MF_BYCOMMAND | (any ? MF_ENABLED : MF_GRAYED));
    if (!any)
        for (UINT id : { 654u, 806u, 805u })
            DeleteMenu(menu, id, MF_BYCOMMAND);
    if (!g.added[3] && !g.added[4])
        DeleteMenu(menu, 653, MF_BYCOMMAND);
    if (!g.added[2])
        DeleteMenu(menu, 652, MF_BYCOMMAND);
    if (frame)
        DrawMenuBar(frame);
}

void ActivateMenuWindow(HMENU menu, int32_t id)
{
    HMENU windows = windows_menu(menu);
    MENUITEMINFOA mi = { sizeof mi };
    mi.fMask = MIIM_DATA;
    if (windows && GetMenuItemInfoA(windows, (UINT)id, FALSE, &mi) && mi.dwItemData)
        ActivateWindow((HWND)mi.dwItemData);
}

void BuildDefaultListsMenu(HMENU menu)
{
    while (GetMenuItemCount(menu) > 0)
        DeleteMenu(menu, 0, MF_BYPOSITION);
    std::vector<const PCFCommandDef *> defs;
    for (PCFCommandDef *const *table : { PCFCommandDefs, PCFInternalDefs })
        for (int i = 0; table[i]; i++)
            if (table[i]->list && table[i]->menuId && CapTest(nullptr, LocGlobals.allCaps, table[i]))
                defs.push_back(table[i]);
    std::stable_sort(defs.begin(), defs.end(), [](const PCFCommandDef *a, const PCFCommandDef *b) {
        return strcmp(a->title, b->title) < 0;
    });
    for (const PCFCommandDef *d : defs) {
        char text[200];
        snprintf(text, sizeof text, "%s...", d->title);
        AppendMenuA(menu, MF_STRING, d->menuId, text);
    }
}
