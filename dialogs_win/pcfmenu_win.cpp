/* The three ways a command dialog offers its actions: push buttons, the
 * menu bar (the dialog menu table, then the definition's actions with
 * their submenus) and the toolbar; which of them are enabled and checked
 * (PCFSetMenu), the show/hide texts, and the view commands. */
#include "pcfwin.h"
#include "pcflistwin.h"

#include "autfile.h"
#include "cs.h"
#include "mq/capability.h"
#include "tktoolbar.h"
#include "tkwin.h"

#include <initializer_list>

static HWND Wnd(const DialogWords *d) { return PCFWnd(d->window); }

/* ---- the menu bar from the dialog menu table ---- */

/* The index of the row that closes the submenu opened at row i. */
static int ClosingRow(int i, int count)
{
    int depth = 0;
    for (int j = i; j < count; j++) {
        uint32_t f = PCFDialogMenu[j].flags;
        if (f & PCFM_OPEN)
            depth++;
        if ((f & PCFM_CLOSE) && --depth == 0)
            return j;
    }
    return count;
}

static void AppendSeparator(HMENU menu, int *pending)
{
    if (*pending)
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    *pending = 0;
}

HMENU PCFCreateMenu(DialogWords *d, int isBar, HMENU, int, const PCFCommandDef *def, int download, int *ioRow,
                    int count)
{
    HMENU menu = isBar ? CreateMenu() : CreatePopupMenu();
    if (!menu)
        return nullptr;
    int items = 0, pending = 0, i = *ioRow;
    for (; i < count; i++) {
        const PCFMENUROW *r = &PCFDialogMenu[i];
        if (r->flags & PCFM_CLOSE)
            break;
        if (r->flags & PCFM_OPEN) {
            if (!PCFButtonApplies(d, def, download, r)) {
                i = ClosingRow(i, count);
                continue;
            }
            int j = i + 1;
            HMENU sub = PCFCreateMenu(d, 0, menu, i, def, download, &j, count);
            i = j;
            if (sub) {
                AppendSeparator(menu, &pending);
                AppendMenuA(menu, MF_POPUP, (UINT_PTR)sub, r->label);
                items++;
            }
            continue;
        }
        if (!PCFButtonApplies(d, def, download, r))
            continue;
        if (r->flags & PCFM_SEPARATOR) {
            pending = items > 0;
            continue;
        }
        AppendSeparator(menu, &pending);
        AppendMenuA(menu, MF_STRING, (UINT_PTR)r->id, r->label);
        items++;
    }
    *ioRow = i;
    if (!isBar && !items) {
        DestroyMenu(menu);
        return nullptr;
    }
    if (isBar && pending)
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    return menu;
}

/* ---- buttons and action menu items ---- */

static HWND MakeButton(DialogWords *d, const PCFActionDef *a)
{
    char label[120];
    HWND b = CreateWindowExA(0, "BUTTON", PCFButtonText(d, a, label, sizeof label),
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0, Wnd(d),
                             (HMENU)(intptr_t)a->id, GetModuleHandleA(nullptr), nullptr);
    if (!b) {
        WinOpError("WinCreateWindow failed: BUTTON");
        return nullptr;
    }
    SetPropA(b, "PCFOldProc", (HANDLE)SetWindowLongPtrA(b, GWLP_WNDPROC, (LONG_PTR)PCFButtonProc));
    return b;
}

LRESULT CALLBACK PCFButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_ERASEBKGND)
        return 1;
    WNDPROC old = (WNDPROC)GetPropA(hwnd, "PCFOldProc");
    return old ? CallWindowProcA(old, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

/* The row that ends the submenu started at row i. */
static int SubmenuEnd(const PCFActionDef *actions, int i)
{
    int depth = 0;
    for (; actions[i].id; i++) {
        if (actions[i].flags & PCFA_SUBMENU)
            depth++;
        if ((actions[i].flags & PCFA_ENDMENU) && --depth == 0)
            return i;
    }
    return i - 1;
}

/* Rows that only shape the menu pass on capabilities alone. */
static int Offered(DialogWords *d, const PCFActionDef *a)
{
    if (a->id == PCFID_SEPARATOR || (a->flags & (PCFA_SEPARATOR | PCFA_SUBMENU | PCFA_ENDMENU)))
        return CapTest(d->definition, PCFDialogCaps(d), a);
    return PCFActionOffered(d, a);
}

int PCFCreateButtons(DialogWords *d, HMENU menu, int *hasToolbar, int *ioRow)
{
    const PCFActionDef *actions = d->definition->actions;
    int added = 0, pending = 0, i = *ioRow;
    char label[120];
    for (; actions && actions[i].id; i++) {
        const PCFActionDef *a = &actions[i];
        if (a->flags & PCFA_ENDMENU) {
            i++;
            break;
        }
        if (!Offered(d, a)) {
            if (a->flags & PCFA_SUBMENU)
                i = SubmenuEnd(actions, i);
            continue;
        }
        if (a->flags & PCFA_TOOLBAR)
            *hasToolbar = 1;
        if ((a->flags & PCFA_BUTTON) && !MakeButton(d, a))
            break;
        if (a->flags & PCFA_NOMENU)
            continue;
        if (a->flags & PCFA_SUBMENU) {
            HMENU sub = CreatePopupMenu();
            int j = i + 1;
            int n = sub ? PCFCreateButtons(d, sub, hasToolbar, &j) : 0;
            i = j - 1;
            if (n && menu) {
                AppendSeparator(menu, &pending);
                AppendMenuA(menu, MF_POPUP, (UINT_PTR)sub, a->text ? a->text : "");
                added++;
            } else if (sub) {
                DestroyMenu(sub);
            }
        } else if (a->flags & PCFA_SEPARATOR) {
            pending = menu && GetMenuItemCount(menu) > 0;
        } else if (menu) {
            AppendSeparator(menu, &pending);
            AppendMenuA(menu, MF_STRING, a->id, PCFButtonText(d, a, label, sizeof label));
            added++;
        }
    }
    *ioRow = i;
    return added;
}

/* ---- one menu of each name ---- */

/* An item's text without its mnemonic marks and key text. */
static void PlainText(HMENU menu, int at, char *out, int size)
{
    char text[120] = "";
    GetMenuStringA(menu, (UINT)at, text, sizeof text, MF_BYPOSITION);
    int n = 0;
    for (const char *t = text; *t && *t != '\t' && n + 1 < size; t++)
        if (*t != '&')
            out[n++] = *t;
    out[n] = 0;
}

/* Moves the items of one menu to the end (or, with top, the start) of
 * another, a separator between them. */
static void MoveItems(HMENU from, HMENU to, int top)
{
    int at = top ? 0 : GetMenuItemCount(to);
    if (!top && at > 0)
        InsertMenuA(to, (UINT)at++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    while (GetMenuItemCount(from) > 0) {
        char text[120] = "";
        MENUITEMINFOA mi = { sizeof mi };
        mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_STATE;
        mi.dwTypeData = text;
        mi.cch = sizeof text;
        GetMenuItemInfoA(from, 0, TRUE, &mi);
        RemoveMenu(from, 0, MF_BYPOSITION);
        mi.dwTypeData = text;
        InsertMenuItemA(to, (UINT)at++, TRUE, &mi);
    }
    if (top && GetMenuItemCount(to) > at)
        InsertMenuA(to, (UINT)at, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void PCFMergeSameMenus(HMENU menu)
{
    for (int i = 0; menu && i < GetMenuItemCount(menu); i++) {
        char name[120];
        PlainText(menu, i, name, sizeof name);
        if (!name[0])
            continue;
        for (int j = i + 1; j < GetMenuItemCount(menu); j++) {
            char other[120];
            PlainText(menu, j, other, sizeof other);
            HMENU a = GetSubMenu(menu, i), b = GetSubMenu(menu, j);
            if (strcmp(name, other) || (!a && !b))
                continue;
            if (a && b) {                     /* two submenus: the second's items join the first */
                MoveItems(b, a, 0);
                DeleteMenu(menu, (UINT)j, MF_BYPOSITION);
            } else {                          /* a command of the submenu's name leads it */
                HMENU holder = CreatePopupMenu();
                int command = a ? j : i;
                MENUITEMINFOA mi = { sizeof mi };
                char text[120] = "";
                mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_STATE;
                mi.dwTypeData = text;
                mi.cch = sizeof text;
                GetMenuItemInfoA(menu, (UINT)command, TRUE, &mi);
                mi.dwTypeData = text;
                InsertMenuItemA(holder, 0, TRUE, &mi);
                MoveItems(holder, a ? a : b, 1);
                DestroyMenu(holder);
                DeleteMenu(menu, (UINT)command, MF_BYPOSITION);
                if (command == i) {
                    i--;
                    break;
                }
            }
            j--;
        }
    }
}

/* ---- the toolbar ---- */

/* The program's toolbar pictures are bitmap resources numbered from here
 * plus the command. */
#define TOOLBAR_PICTURES 20000

/* A button's 16 by 16 image: the program's picture of the command, the
 * shell's menu picture, else a colour of the command and its letter. */
static HBITMAP Image(int32_t id, const char *label)
{
    static struct { int32_t id; HBITMAP bitmap; } cache[64];
    static int cached;
    for (int i = 0; i < cached; i++)
        if (cache[i].id == id)
            return cache[i].bitmap;
    const PCFSHELLHOOKS *s = PCFShellHooks();
    HBITMAP bm = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(TOOLBAR_PICTURES + id));
    if (!bm && s->toolbarImage)
        bm = s->toolbarImage(s->context, id);
    if (!bm) {
        HDC screen = GetDC(nullptr);
        bm = CreateCompatibleBitmap(screen, 16, 16);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, bm);
        RECT all = { 0, 0, 16, 16 }, face = { 1, 1, 15, 15 };
        HBRUSH clear = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(dc, &all, clear);
        DeleteObject(clear);
        uint32_t h = (uint32_t)id * 2654435761u;
        HBRUSH b = CreateSolidBrush(RGB(64 + (h >> 24) % 160, 64 + (h >> 16) % 160, 64 + (h >> 8) % 160));
        FillRect(dc, &face, b);
        DeleteObject(b);
        char letter[2] = { 0, 0 };
        for (const char *p = label; p && *p && !letter[0]; p++)
            if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9'))
                letter[0] = *p;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextA(dc, letter, 1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    if (cached < 64)
        cache[cached++] = { id, bm };
    return bm;
}

/* Commands of the dialog menu table with a toolbar button, and their keys. */
static int32_t ViewKey(int32_t id)
{
    static const int32_t ids[] = { 501, 502, 503, 684, 762, 780, 789, 960 };
    for (int i = 0; i < 8; i++)
        if (ids[i] == id)
            return 801 + i;
    return 0;
}

static int ActionImage(int32_t id)
{
    static const int32_t ids[] = { 1, 551, 562, 563, 568, 569, 570, 571, 572, 573, 609, 640, 888, 894, 895, 896,
                                   897, 898, 899, 900, 904, 905, 906, 918, 920, 921, 6004 };
    for (int32_t i : ids)
        if (i == id)
            return 1;
    return 0;
}

struct Entries {
    ToolbarButton b[128];
    int n;
    int32_t key;
};

static void Add(Entries *e, const char *text, int32_t id, uint32_t flags, int32_t key, int32_t group)
{
    if (e->n >= 128)
        return;
    ToolbarButton &b = e->b[e->n++];
    memset(&b, 0, sizeof b);
    b.text = text;
    b.id = id;
    b.flags = flags;
    e->key = b.key = key ? key : e->key + 1;
    b.group = group;
    if (id && !(flags & (TBB_SEP | TBB_STRETCH)))
        b.normal = Image(id, text);
}

/* First pass: the dialog menu table's view buttons. */
static void ViewButtons(DialogWords *d, Entries *e)
{
    int download = PCFHasDownloadEntry(d->definition), from = 0;
    for (int i = 0; i < PCFM_ROWS; i++) {
        const PCFMENUROW *r = &PCFDialogMenu[i];
        if (r->id == 501)
            from = 1;
        if (r->id <= 0 || !PCFButtonApplies(d, d->definition, download, r))
            continue;
        if (from == 1) {
            Add(e, nullptr, 0, TBB_SEP, 0, 0);
            from = 2;
        }
        if (r->id == 754) {
            Add(e, nullptr, 0, TBB_STRETCH, 899, 0);
            Add(e, r->label, r->id, TBB_CHECK, 900, 0);
        } else if (int32_t key = ViewKey(r->id)) {
            /* the panes shown are toggles; resetting widths, the
               queue-manager list and column filters are acts */
            int act = r->id == 762 || r->id == 789 || r->id == 960;
            Add(e, r->label, r->id, act ? 0 : TBB_CHECK, key, 0);
        }
    }
}

/* Second pass: the actions with a toolbar button. */
static void ActionButtons(DialogWords *d, Entries *e)
{
    int any = 0, group = 0;
    for (const PCFActionDef *a = d->definition->actions; a && a->id; a++) {
        if (!(a->flags & PCFA_TOOLBAR) && !(a->flags & (PCFA_SEPARATOR | PCFA_SUBMENU)))
            continue;
        if (a->flags & (PCFA_SEPARATOR | PCFA_SUBMENU)) {
            group = 1;
            continue;
        }
        if (!AutMenuEnabled(a->id) || !ActionImage(a->id))
            continue;
        if ((group && any) || a->id == 569 || a->id == 570)
            Add(e, nullptr, 0, TBB_SEP, 0, 0);
        group = 0;
        int32_t tbGroup = (a->id == 568 || a->id == 569) ? 1 : (a->id >= 570 && a->id <= 572) ? 2 : 0;
        Add(e, a->text, a->id, tbGroup ? TBB_CHECK : 0, 0, tbGroup);
        any = 1;
    }
}

int PCFCreateToolbar(DialogWords *d)
{
    Entries e;
    e.n = 0;
    e.key = 0;
    ViewButtons(d, &e);
    ActionButtons(d, &e);
    if (!e.n)
        return 0;
    HWND bar = TbCreate(Wnd(d), PcfWinPrefs.toolbarStyle, e.n, e.b);
    if (!bar)
        return 0;
    static HBRUSH brushes[3];
    brushes[0] = ColourBrush(4);
    brushes[1] = ColourBrush(7);
    brushes[2] = ColourBrush(13);
    TbSetBrushes(bar, &brushes[0], &brushes[1], &brushes[2]);
    TbSetColour(bar, WinShadeColour(*ColourRef(4), -20));
    ShowWindow(bar, (d->optionFlags & DO_TOOLBAR) ? SW_SHOW : SW_HIDE);
    d->toolbar = bar;
    return 1;
}

/* ---- texts and marks ---- */

static void SetItemText(HMENU menu, int32_t id, const char *text)
{
    MENUITEMINFOA mi = { sizeof mi };
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = (char *)text;
    SetMenuItemInfoA(menu, (UINT)id, FALSE, &mi);
}

void PCFSetShowHideTexts(DialogWords *d)
{
    static const int32_t ids[] = { 501, 754, 502, 503, 961, 780 };
    HMENU menu = (HMENU)d->menu;
    for (int32_t id : ids) {
        const char *text = PCFShowHideText(d, id);
        if (text && menu)
            SetItemText(menu, id, text);
    }
    if (d->toolbar) {
        HWND bar = PCFWnd(d->toolbar);
        TbSetButtonState(bar, 501, (d->stateFlags & DF_SHOW_BUTTONS) != 0);
        TbSetButtonState(bar, 502, (d->stateFlags & DF_SHOW_FIELDS) != 0);
        TbSetButtonState(bar, 503, (d->stateFlags & DF_SHOW_FILTER) != 0);
        TbSetButtonState(bar, 754, (d->optionFlags & DO_TOOLBAR) != 0);
    }
    if (menu && PcfWinPrefs.menuCheckBitmap)
        SetMenuItemBitmaps(menu, 655, MF_BYCOMMAND, nullptr, nullptr);
}

void PCFSetContextMenuTexts(DialogWords *d)
{
    if (!d->menu)
        return;
    SetItemText((HMENU)d->menu, 941, PCFContextMenuText(d, 941));
    SetItemText((HMENU)d->menu, 946, PCFContextMenuText(d, 946));
}

/* ---- enabling ---- */

/* An action's button, menu item and toolbar button enabled or greyed;
 * 1 when the menu item changed (an item of the bar is then drawn anew). */
static int Enable(DialogWords *d, const PCFActionDef *a, int on)
{
    int changed = 0;
    if (a->flags & PCFA_BUTTON) {
        HWND b = GetDlgItem(Wnd(d), a->id);
        if (b && (IsWindowEnabled(b) != 0) != (on != 0)) {
            EnableWindow(b, on);
            InvalidateRect(b, nullptr, FALSE);
        }
    }
    if (d->menu && !(a->flags & PCFA_NOMENU)) {
        UINT was = EnableMenuItem((HMENU)d->menu, a->id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
        changed = was != (UINT)-1 && ((was & MF_GRAYED) != 0) == (on != 0);
    }
    if (d->toolbar && (a->flags & PCFA_TOOLBAR))
        TbEnableButton(PCFWnd(d->toolbar), a->id, on);
    return changed;
}

/* The object of the dialog is still the one it was opened with. */
static int SameObject(const DialogWords *d)
{
    return strcmp(d->objectName, d->initialName) == 0;
}

/* Whether an action of a list dialog is enabled for the selection. */
static int ListActionEnabled(DialogWords *d, const PCFActionDef *a, int selected, PCFROW *row, PCFLISTAREA *area)
{
    if (a->id == PCFID_DEFAULT || a->id == PCFID_CANCEL || (a->flags2 & 0x20000))
        return 1;
    if (a->id >= 597 && a->id <= 599) {
        if (a->id == 597 && (d->viewOptions & 0x200))
            return 0;
        return selected > 0 || (d->viewOptions & 0x8);
    }
    if (!selected || ((a->flags & 0x200) && selected != 1))
        return 0;
    if ((d->definition->flags & PCFD_PAIR) && row) {
        if ((a->id == 517 || a->id == 520) && !(row->flags & 0x1000))
            return 0;
        if ((a->id == 704 || a->id == 705) && !(row->flags & 0x2000))
            return 0;
    }
    if ((a->flags2 & 0x10000) && !SameObject(d))
        return 0;
    const uint8_t *caps = row && row->request && row->request->caps ? row->request->caps : PCFDialogCaps(d);
    return !a->conditions || PCFFieldApplies(caps, d->stateFlags, d->definition, area, row, nullptr, nullptr,
                                             a->conditions, nullptr);
}

/* Whether an action of a dialog without a list is enabled. */
static int DataActionEnabled(DialogWords *d, const PCFActionDef *a)
{
    if (a->id == 597 && (d->viewOptions & 0x200))
        return 0;
    if ((a->flags2 & 0x80) && !d->editor)
        return 0;
    if ((a->flags2 & 0x10) && (d->optionFlags & 0x300000))
        return 0;
    if ((a->flags2 & 0x10000) && !SameObject(d))
        return 0;
    return !a->conditions || PCFFieldApplies(PCFDialogCaps(d), d->stateFlags, d->definition, nullptr, nullptr,
                                             d->dataArea, nullptr, a->conditions, nullptr);
}

/* The editor's items and the browse-state bits that enable each: the
 * XML rows follow the cursor's line (0x40 a tag, 0x80 a comment). */
static const struct { int32_t id; uint32_t bits; } editorItems[] = {
    { 894, 1 }, { 895, 2 }, { 896, 8 }, { 897, 8 }, { 898, 4 }, { 899, 4 }, { 905, 4 }, { 906, 32 }, { 6004, 16 },
    { 937, 4 }, { 900, 4 }, { 912, 0x40 }, { 914, 0x40 }, { 916, 0x40 | 0x80 }, { 917, 0x40 },
};

static int IsEditorItem(int32_t id)
{
    for (const auto &it : editorItems)
        if (it.id == id)
            return 1;
    return 0;
}

/* The editor's items, by the browse-state word. */
static void EditorItems(DialogWords *d)
{
    HMENU menu = (HMENU)d->menu;
    for (const auto &it : editorItems) {
        int on = (d->browseState & it.bits) == it.bits;
        if (menu)
            EnableMenuItem(menu, it.id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
        if (d->toolbar)
            TbEnableButton(PCFWnd(d->toolbar), it.id, on);
    }
    int differ = d->numericWords[0] != PcfWinPrefs.numericWords[0] || d->numericWords[1] != PcfWinPrefs.numericWords[1];
    if (menu) {
        EnableMenuItem(menu, 945, MF_BYCOMMAND | (differ ? MF_ENABLED : MF_GRAYED));
        EnableMenuItem(menu, 951, MF_BYCOMMAND | (differ ? MF_ENABLED : MF_GRAYED));
    }
}

/* The rows that compare with the default objects (735, 736) wait for the
 * location's download of them. */
static void DefaultItems(DialogWords *d)
{
    if (!d->menu || !PCFHasDownloadEntry(d->definition))
        return;
    int on = PCFDefaultsDownloaded(d->first.location, d->definition);
    for (const PCFMENUROW &r : PCFDialogMenu)
        if (r.id > 0 && (r.flags & 0x100))
            EnableMenuItem((HMENU)d->menu, (UINT)r.id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

static void CheckMarks(DialogWords *d)
{
    HMENU menu = (HMENU)d->menu;
    if (!menu)
        return;
    static const int32_t ids[] = { 600, 604, 608, 617, 697, 781, 812, 834, 892, 942, 943, 944, 947, 948, 949, 950,
                                   952, 953, 954, 955, 610, 611, 612, 613, 515, 748, 684 };
    for (int32_t id : ids) {
        int c = PCFViewCheck(d, id);
        if (c >= 0)
            CheckMenuItem(menu, id, MF_BYCOMMAND | (c ? MF_CHECKED : MF_UNCHECKED));
    }
}

void PCFSetMenu(DialogWords *d)
{
    if (!d || !d->definition)
        return;
    if (!PCFOnUiThread()) {
        if (d->window)
            PostMessageA(Wnd(d), UM_PCF_SETMENU, 0, 0);
        return;
    }
    const PCFCommandDef *def = d->definition;
    int none = !d->first.location && !(def->flags & 0x200);
    if (def->flags & PCFD_MSGDIALOG)
        PCFUpdateBrowseState(d, 0);
    PCFROW *row = nullptr;
    PCFLISTAREA *area = nullptr;
    int selected = def->list ? PCFSelectedRows(d, &row, &area) : 0;
    int barChanged = 0;
    if (def->list && d->menu) {
        int rows = d->rowCounts[0] > 0;
        EnableMenuItem((HMENU)d->menu, 655, MF_BYCOMMAND | (rows ? MF_ENABLED : MF_GRAYED));
        EnableMenuItem((HMENU)d->menu, 657, MF_BYCOMMAND | (rows ? MF_ENABLED : MF_GRAYED));
    }
    for (const PCFActionDef *a = def->actions; a && a->id; a++) {
        if (a->id == PCFID_SEPARATOR || (a->flags & (PCFA_SEPARATOR | PCFA_SUBMENU | PCFA_ENDMENU)))
            continue;
        /* the editor's items follow the browse state below: set here as
           well, their tool-bar buttons flipped twice and were drawn again
           at every call with nothing changed */
        if (!def->list && !(a->flags & PCFA_BUTTON) && IsEditorItem(a->id))
            continue;
        int on;
        if (a->id == PCFID_CANCEL)
            on = 1;
        else if (none)
            on = 0;
        else
            on = def->list ? ListActionEnabled(d, a, selected, row, area) : DataActionEnabled(d, a);
        barChanged |= Enable(d, a, on && PCFOwnRowOffered(d, (int32_t)a->id));
    }
    if (!def->list)
        EditorItems(d);
    DefaultItems(d);
    /* rows of the dialog menu table that need a state of the dialog */
    for (int32_t id : { 960 }) {
        int on = PCFOwnRowOffered(d, id);
        if (d->menu)
            EnableMenuItem((HMENU)d->menu, (UINT)id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
        if (d->toolbar)
            TbEnableButton(PCFWnd(d->toolbar), id, on);
    }
    CheckMarks(d);
    /* the bar draws its items' states only when drawn again */
    if (barChanged && d->menu && GetMenu(Wnd(d)) == (HMENU)d->menu)
        DrawMenuBar(Wnd(d));
}

/* ---- view commands ---- */

void PCFViewCommand(DialogWords *d, int32_t command)
{
    uint32_t before = d->viewOptions;
    int ctrl = GetKeyState(VK_CONTROL) < 0, list = d->definition && d->definition->list;
    if (command && PCFViewApply(&d->viewOptions, d->numericWords, command, ctrl, list)) {
        uint32_t changed = before ^ d->viewOptions;
        PcfWinPrefs.defaultView = (PcfWinPrefs.defaultView & ~changed) | (d->viewOptions & changed);
        if (d->saved)
            d->saved->st.ds3 = (int32_t)((d->saved->st.ds3 & ~0x3F) | (d->displayFlags & 0x3F));
    }
    PCFEditorLineNumbers(d);
    if ((before ^ d->viewOptions) & 0x8)
        PCFPositionButtons(d, 1);
    PCFSetMenu(d);
    if (command == 735 || command == 736) {
        for (PCFLISTREQ *r = d->lists ? d->lists : &d->first; r; r = d->lists ? r->next : nullptr)
            PCFDiffFromDefault(d, r);
        PCFCountFields(d);
        InvalidateRect(Wnd(d), nullptr, TRUE);
    }
    if (command == 706) {
        InvalidateRect(Wnd(d), nullptr, TRUE);
        if (d->fieldWindow)
            InvalidateRect(PCFWnd(d->fieldWindow), nullptr, TRUE);
    }
    if (command >= 707 && command <= 712)
        PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
    if (command == 834 && d->countWindow)
        InvalidateRect(PCFWnd(d->countWindow), nullptr, TRUE);
}

void PCFUpdateBrowseState(DialogWords *d, int notify)
{
    int bits = PCFEditorBrowseBits(d);
    uint32_t state = 0;
    if (bits >= 0) {
        state = d->repeatMessage ? 20 : 4;
        state |= (uint32_t)bits & (0x1 | 0x2 | 0x8 | 0x20 | 0x40 | 0x80);
    }
    if (state != d->browseState) {
        d->browseState = state;
        if (notify)
            PCFSetMenu(d);
    }
}

int PCFCheckBrowsable(DialogWords *d)
{
    PCFROW *row = nullptr;
    PCFLISTAREA *area = nullptr;
    if (PCFSelectedRows(d, &row, &area) < 1 || !row)
        return 0;
    const PCFActionDef *browse = PCFFindActionDef(d->definition->actions, 566);
    return browse && (!browse->conditions || PCFFieldApplies(PCFDialogCaps(d), d->stateFlags, d->definition, area,
                                                             row, nullptr, nullptr, browse->conditions, nullptr));
}

/* ---- the filter field's recent filters ---- */

void PCFSetFilterValues(DialogWords *d)
{
    HWND combo = PCFWnd(d->filterWindow);
    if (!combo)
        return;
    int global = PcfWinPrefs.filterListGlobal;
    if (GetKeyState(VK_MENU) < 0)
        global = !global;
    DLGINFO *info = global && d->globalInfo ? d->globalInfo : d->dlgInfo;
    char kept[302];
    GetWindowTextA(combo, kept, sizeof kept);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (CSLISTELEM *e = info ? info->filters.first : nullptr; e; e = e->next)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)(const char *)(e + 1));
    SetWindowTextA(combo, kept);
}
