/* The queue-manager panel of a frame (class RAVOLTQM): the Queue Prefix,
 * Search Locations and Search Queues fields with their histories and cue
 * texts, the tree of locations and queues, and the status line; the
 * prefix check and the search that the fields' typing applies. */
#include "shell.h"
#include "shellint.h"

#include <cstdio>
#include <cstring>

#include "cs.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "tkutil.h"
#include "tkwin.h"

static const char PROP_FRAME[] = "RavoltFrame";
static const char PROP_PROC[] = "RavoltProc";

/* The record of a panel or of a field inside it. */
static FrameWords *panel_frame(HWND w)
{
    for (; w; w = GetParent(w)) {
        FrameWords *f = (FrameWords *)GetPropA(w, PROP_FRAME);
        if (f)
            return f;
    }
    return nullptr;
}

/* The history of a field. */
static int history_of(FrameWords *f, HWND combo)
{
    return combo == f->prefix ? HISTORY_PREFIX : combo == f->searchQ ? HISTORY_QUEUES
                                                                      : HISTORY_LOCATIONS;
}

void AddSearchHistory(int which, HWND field)
{
    char text[SHELL_SEARCH_TEXT + 1] = "";
    GetWindowTextA(field, text, sizeof text);
    ShellHistoryAdd(ShellHistory(which), text);
}

void FillComboFromHistory(HWND combo, int which)
{
    char text[SHELL_SEARCH_TEXT + 1] = "";
    GetWindowTextA(combo, text, sizeof text);
    DWORD sel = (DWORD)SendMessageA(combo, CB_GETEDITSEL, 0, 0);
    Shell.fillingCombo = 1;
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    const char *texts[SHELL_HISTORY_MAX];
    int n = ShellHistoryTexts(ShellHistory(which), texts, SHELL_HISTORY_MAX);
    for (int i = 0; i < n; i++)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)texts[i]);
    SetWindowTextA(combo, text);
    SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(LOWORD(sel), HIWORD(sel)));
    Shell.fillingCombo = 0;
}

/* ---- the prefix ---- */

int CheckQueuePrefix(FrameWords *f, int report)
{
    static int running;
    if (running || !f || !f->prefix)
        return 1;
    running = 1;
    char text[50] = "", prefix[50], error[100];
    GetWindowTextA(f->prefix, text, sizeof text);
    int ok = ShellCheckPrefix(text, AutQueuePrefixMinimum(), prefix, error);
    if (ok) {
        if (strcmp(text, prefix))
            SetWindowTextA(f->prefix, prefix);
        if (f->prefixError) {
            SetWindowTextA(f->status, "");
            f->prefixError = 0;
        }
        AddSearchHistory(HISTORY_PREFIX, f->prefix);
        strcpy(f->prefixText, prefix);
        f->prefixLength = (int32_t)strlen(prefix);
        f->prefixInUse = strcmp(prefix, "*") != 0;
        if (text[0])
            FillComboFromHistory(f->prefix, HISTORY_PREFIX);
    } else {
        if (report)
            SetWindowTextA(f->status, error);
        SetFocus(f->prefix);
        if (report)
            WinPlaySound(Prf.wsnd[0] ? Prf.wsnd : "beep", 0, 0);
        f->prefixError = 1;
    }
    running = 0;
    return ok;
}

int GetFramePrefix(HWND window, char *prefix)
{
    FrameWords *f = FrameOf(UtilTopLevelParent(window));
    int ok = CheckQueuePrefix(f, 1);
    strcpy(prefix, f ? f->prefixText : "*");
    return ok;
}

/* ---- the search ---- */

void ApplySearch(FrameWords *f)
{
    f->rebuild = 1;
    f->searchTick = 0;
    char text[SHELL_SEARCH_TEXT + 1] = "";
    if (f->search)
        GetWindowTextA(f->search, text, sizeof text);
    ShellSearchBuild(&f->locSearch, text, 1);
    text[0] = 0;
    if (f->searchQ)
        GetWindowTextA(f->searchQ, text, sizeof text);
    ShellSearchBuild(&f->qSearch, text, 0);
    LocListCommand(f->window, 0);
}

/* Typing in a search field (or text set into it): apply after a pause. */
static void search_typed(FrameWords *f)
{
    if (Shell.fillingCombo)
        return;
    Shell.searchPending = 1;
    f->searchTick = GetTickCount();
    if (!f->searchTick)
        f->searchTick = 1;
}

/* ---- layout ---- */

/* The height of a combo box's edit (its window without the list). */
static int edit_height(HWND combo)
{
    RECT r;
    if (!combo || !GetWindowRect(combo, &r))
        return 0;
    return r.bottom - r.top;
}

/* The narrowest panel still readable: a queue name of common length
 * beside its icons, in the panel's font. */
int PanelReadableWidth(FrameWords *f)
{
    static const char sample[] = "SYSTEM.DEFAULT.LOCAL.QUEUE";
    HWND w = f->tree ? f->tree : f->panel;
    HDC dc = w ? GetDC(w) : nullptr;
    if (!dc)
        return 200;
    HGDIOBJ old = SelectObject(dc, winFonts.mainFont ? winFonts.mainFont
                                                     : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    GetTextExtentPoint32A(dc, sample, (int)sizeof sample - 1, &size);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return size.cx + 3 * GetSystemMetrics(SM_CXSMICON) + GetSystemMetrics(SM_CXVSCROLL);
}

void FrameLayout(FrameWords *f)
{
    if (!f->panel)
        return;
    RECT rc;
    GetClientRect(f->panel, &rc);
    int width = rc.right, line = winFonts.mainLineHeight ? winFonts.mainLineHeight : 16;
    int edge = GetSystemMetrics(SM_CYEDGE);
    struct { HWND w; uint32_t flag; } fields[] = {
        { f->prefix, FF_PREFIX }, { f->search, FF_SEARCH }, { f->searchQ, FF_SEARCHQ },
    };
    int top = 0, height = 0;
    for (auto &field : fields)
        if ((f->flags & field.flag) && field.w) {
            height = edit_height(field.w);
            break;
        }
    for (auto &field : fields) {
        if (!field.w)
            continue;
        if (!(f->flags & field.flag)) {
            ShowWindow(field.w, SW_HIDE);
            continue;
        }
        MoveWindow(field.w, 0, top, width, height + 15 * line + 2 * edge, TRUE);
        ShowWindow(field.w, SW_SHOWNA);
        top += height;
    }
    int statusHeight = line + 2 * edge + 2;
    int treeHeight = rc.bottom - top - statusHeight;
    if (f->tree)
        MoveWindow(f->tree, 0, top, width, treeHeight > 0 ? treeHeight : 0, TRUE);
    if (f->status)
        MoveWindow(f->status, 0, rc.bottom - statusHeight, width, statusHeight, TRUE);
}

/* ---- the fields' edit controls ---- */

/* Where Tab goes from a field: the next shown of a list, else the tree. */
static HWND tab_target(FrameWords *f, HWND from, int forward)
{
    struct { HWND w; uint32_t flag; } order[] = {
        { f->prefix, FF_PREFIX }, { f->search, FF_SEARCH }, { f->searchQ, FF_SEARCHQ },
    };
    int at = from == f->prefix ? 0 : from == f->search ? 1 : 2;
    if (from == f->prefix && !forward)
        return f->tree;
    for (int i = at + (forward ? 1 : -1); i >= 0 && i < 3; i += forward ? 1 : -1)
        if (order[i].w && (f->flags & order[i].flag))
            return order[i].w;
    return f->tree;
}

/* The cue text of an empty field. */
static void cue_text(FrameWords *f, HWND combo, char *out, size_t size)
{
    if (combo == f->search)
        snprintf(out, size, "  Search Location");
    else if (combo == f->searchQ)
        snprintf(out, size, "  Search Queue");
    else {
        static const char *const words[] = { "One", "Two", "Three", "Four", "Five", "Six",
                                             "Seven", "Eight", "Nine" };
        int32_t min = AutQueuePrefixMinimum();
        if (min <= 0)
            snprintf(out, size, "  Queue Prefix");
        else if (min <= 9)
            snprintf(out, size, "  %s Character Queue Prefix", words[min - 1]);
        else
            snprintf(out, size, "  %d Character Queue Prefix", (int)min);
    }
}

static void paint_cue(FrameWords *f, HWND edit, HWND combo)
{
    char cue[80];
    cue_text(f, combo, cue, sizeof cue);
    HDC dc = GetDC(edit);
    RECT rc;
    GetClientRect(edit, &rc);
    COLORREF text = *ColourRef(10), back = *ColourRef(9);
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, WinBlendColour(text, back, 50));
    HGDIOBJ old = SelectObject(dc, winFonts.mainFont ? winFonts.mainFont
                                                     : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, cue, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
}

/* The subclass of the edit controls of the three fields. */
static LRESULT CALLBACK FieldEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WNDPROC proc = (WNDPROC)GetPropA(hwnd, PROP_PROC);
    HWND combo = GetParent(hwnd);
    FrameWords *f = panel_frame(combo);
    if (!f)
        return CallWindowProcA(proc, hwnd, msg, wp, lp);
    int prefix = combo == f->prefix;
    switch (msg) {
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, TRUE);
        if (!prefix)
            AddSearchHistory(history_of(f, combo), combo);
        break;
    case WM_SETTEXT: {
        LRESULT r = CallWindowProcA(proc, hwnd, msg, wp, lp);
        if (!prefix || CheckQueuePrefix(f, 0))
            search_typed(f);
        return r;
    }
    case WM_PAINT:
        /* an empty field says what it is for, focused or not */
        if (!GetWindowTextLengthA(hwnd)) {
            LRESULT r = CallWindowProcA(proc, hwnd, msg, wp, lp);
            paint_cue(f, hwnd, combo);
            return r;
        }
        break;
    case WM_KEYDOWN:
        if (wp == VK_TAB) {
            HWND to = tab_target(f, combo, GetKeyState(VK_SHIFT) >= 0);
            SetFocus(to);
            return 0;
        }
        break;
    case WM_KEYUP:
    case WM_CHAR:
        if (wp == VK_TAB)
            return 0;
        break;
    case WM_NCDESTROY:
        RemovePropA(hwnd, PROP_PROC);
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)proc);
        break;
    }
    return CallWindowProcA(proc, hwnd, msg, wp, lp);
}

static HWND make_combo(FrameWords *f, int id, int limit, const char *failure)
{
    HWND c = CreateWindowExA(WS_EX_CLIENTEDGE, "COMBOBOX", "",
                             WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                             0, 0, 100, 200, f->panel, (HMENU)(INT_PTR)id, Shell.instance, nullptr);
    if (!c) {
        WinOpError(failure);
        return nullptr;
    }
    if (limit)
        SendMessageA(c, CB_LIMITTEXT, (WPARAM)limit, 0);
    HWND edit = GetDlgItem(c, PANEL_COMBOEDIT);
    if (!edit)
        edit = FindWindowExA(c, nullptr, "EDIT", nullptr);
    if (edit) {
        SetPropA(edit, PROP_PROC, (HANDLE)GetWindowLongPtrA(edit, GWLP_WNDPROC));
        SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)FieldEditProc);
    }
    return c;
}

int CreateQmPanel(FrameWords *f)
{
    f->panel = CreateWindowExA(0, "RAVOLTQM", "QmPanel", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                               0, 0, 0, f->window, nullptr, Shell.instance, f);
    if (!f->panel) {
        WinOpError("CreateWindow (hQmPanel) failed");
        return 0;
    }
    SetPropA(f->panel, PROP_FRAME, f);
    f->tree = cntCreateWindow(f->panel, ShellBitmap(BMP_COLLAPSED), ShellBitmap(BMP_EXPANDED),
                              ShellBitmap(BMP_PRESSED));
    if (!f->tree) {
        WinOpError("CreateWindow (Qm Container) failed");
        return 0;
    }
    cntSetColours(f->tree, ColourRef(28), ColourRef(29), ColourRef(30));
    cntSetStyle(f->tree, 15);
    f->status = CreateWindowExA(0, "EDIT", "Initialising...",
                                WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, 0, 0, 0, 0,
                                f->panel, (HMENU)(INT_PTR)PANEL_STATUS, Shell.instance, nullptr);
    if (!f->status) {
        WinOpError("CreateWindow (Status) failed");
        return 0;
    }
    if (FrameFirst() == f)
        Shell.statusLine = f->status;
    f->prefix = make_combo(f, PANEL_PREFIX, 48, "CreateWindow (Prefix) failed");
    f->search = f->prefix ? make_combo(f, PANEL_SEARCH, 0, "CreateWindow (Search) failed") : nullptr;
    f->searchQ = f->search ? make_combo(f, PANEL_SEARCHQ, 0, "CreateWindow (Search Queues) failed")
                           : nullptr;
    if (!f->searchQ)
        return 0;
    Shell.fillingCombo = 1;
    SetWindowTextA(f->search, Shell.defaultSearch[0]);
    SetWindowTextA(f->searchQ, Shell.defaultSearch[1]);
    Shell.fillingCombo = 0;
    ShellSearchBuild(&f->locSearch, Shell.defaultSearch[0], 1);
    ShellSearchBuild(&f->qSearch, Shell.defaultSearch[1], 0);
    strcpy(f->prefixText, "*");
    f->prefixLength = 1;
    return 1;
}

/* ---- the panel's procedure ---- */

static LRESULT panel_command(FrameWords *f, WPARAM wp, LPARAM lp)
{
    int id = LOWORD(wp), code = HIWORD(wp);
    HWND combo = (HWND)lp;
    if (id == PANEL_SEARCH || id == PANEL_SEARCHQ) {
        if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE || code == CBN_EDITUPDATE)
            search_typed(f);
        else if (code == CBN_DROPDOWN)
            FillComboFromHistory(combo, history_of(f, combo));
    } else if (id == PANEL_PREFIX && code == CBN_DROPDOWN) {
        FillComboFromHistory(combo, HISTORY_PREFIX);
    }
    return 0;
}

static LRESULT panel_colour(HWND hwnd, WPARAM wp, LPARAM lp)
{
    HDC dc = (HDC)wp;
    SetTextColor(dc, *ColourRef(10));
    SetBkColor(dc, *ColourRef(9));
    (void)hwnd;
    (void)lp;
    return (LRESULT)ColourBrush(9);
}

/* The panel's width in the frame's normal placement, for a width it has
 * in the maximised frame: restored, the frame's panes keep their lines
 * in proportion to its client width, and the panel's line lies one
 * splitter beyond its right edge. */
static int32_t normal_width(FrameWords *f, int32_t width)
{
    WINDOWPLACEMENT wp = { sizeof wp };
    RECT wr;
    if (f->cx <= 0 || !GetWindowPlacement(f->window, &wp) || !GetWindowRect(f->window, &wr))
        return 0;
    int32_t frame = (wr.right - wr.left) - f->cx;
    int64_t normal = (wp.rcNormalPosition.right - wp.rcNormalPosition.left) - frame;
    int32_t line = width + BAG_THICK / 10;
    return normal > 0 ? (int32_t)((line * normal + f->cx / 2) / f->cx) - BAG_THICK / 10 : 0;
}

/* The width kept for the next frames and the next start is the panel's
 * in the normal frame.  In the maximised frame (the normal one
 * stretched) only the user's dragging sets it, as the width it will have
 * when the frame is restored: the stretch alone would bring it back
 * wider at each start. */
static void remember_width(FrameWords *f)
{
    if (!IsWindowVisible(f->window) || IsIconic(f->window))
        return;
    int32_t width = f->panelCx;
    if (IsZoomed(f->window))
        width = f->bag.dragging ? normal_width(f, width) : 0;
    if (width >= PanelReadableWidth(f))
        Shell.panelWidth[PCFPlacementSlot()] = width;
}

LRESULT CALLBACK QmPanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    FrameWords *f = (FrameWords *)GetPropA(hwnd, PROP_FRAME);
    if (msg == WM_NCDESTROY)
        RemovePropA(hwnd, PROP_FRAME);
    if (!f)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_SIZE:
        f->panelCx = LOWORD(lp);
        f->panelCy = HIWORD(lp);
        remember_width(f);
        FrameLayout(f);
        return 0;
    case WM_CONTEXTMENU: {
        POINT pt = { (short)LOWORD(lp), (short)HIWORD(lp) };
        ContextMenu(hwnd, pt);
        return 0;
    }
    case WM_COMMAND:
        return panel_command(f, wp, lp);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return panel_colour(hwnd, wp, lp);
    case CN_EXPANDING:
        return TreeExpanding(f, (cntLINE *)lp);
    case CN_COLLAPSING:
        return 1;
    case CN_SELCHANGE:
        TreeSelected(f, (cntLINE *)lp);
        return 0;
    case CN_ACTIVATE:
        TreeActivated(f, (cntLINE *)lp);
        return 0;
    case FRM_APPLYSEARCH:
        ApplySearch(f);
        AnalyserRefresh(nullptr);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}
