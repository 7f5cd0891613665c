/* List companions: ZKTTITLE (a column title that scrolls sideways with
 * its list), ZKTBUDDYLIST (a second view of a list's rows with its own
 * horizontal position), ZKTTITLELIST (a list with its title) and
 * ZKTTITLEBUDDY (a second view with its title). */
#include "tklist.h"

/* ---- title ---- */

struct TitleState {
    char eye[4];                 /* "MYTT" */
    uint32_t style;
    const ScrollState *hs;       /* of the list it heads */
    LPARAM drawData;             /* 1228 */
    uint8_t redrawOff;
    HFONT font;
    int32_t height;              /* text height * 3 / 2 */
    int32_t width, winHeight;
    char text[1];
};

/* ---- title list and title buddy ---- */

struct TitleListState {
    char eye[4];                 /* "MYTL" */
    HWND title, list;
    uint32_t style;
    int32_t width, height;
};

/* ---- buddy list ---- */

struct BuddyState {
    char eye[4];                 /* "MYBL" */
    HWND hwnd;
    HWND list;                   /* whose rows it shows (1225) */
    HWND title;                  /* 1226 */
    ScrollState hs;
    int32_t width, height;
    uint8_t captured, redrawOff;
};

/* a record of a given eye-catcher in slot 0 */
template <typename T> static T *record(HWND hwnd, const char *eye)
{
    T *r = TkRecord<T>(hwnd);
    return r && memcmp(r->eye, eye, 4) == 0 ? r : NULL;
}

ScrollState *BuddyHScroll(HWND buddy)
{
    BuddyState *b = record<BuddyState>(buddy, "MYBL");
    return b ? &b->hs : NULL;
}

/* the title's height for a font */
static int32_t title_height(HWND hwnd, HFONT font)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return tm.tmHeight * 3 / 2;
}

/* paint the title: own text, or the parent draws it (1227) */
static void title_paint(HWND hwnd, TitleState *t, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(hwnd, msg, wp, &ps);
    RECT cr;
    GetClientRect(hwnd, &cr);
    int32_t hpos = t->hs ? t->hs->position : 0;
    RECT rc = {-hpos, 0, ps.rcPaint.right + 5, cr.bottom};
    if (t->redrawOff || !(t->style & LBS_OWNERDRAWFIXED)) {
        FillRect(dc, &cr, GetSysColorBrush(COLOR_MENU));
        if (!t->redrawOff) {
            HGDIOBJ old = SelectObject(dc, t->font ? t->font : GetStockObject(DEFAULT_GUI_FONT));
            SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
            SetBkColor(dc, GetSysColor(COLOR_MENU));
            DrawTextA(dc, t->text, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            SelectObject(dc, old);
        }
    } else {
        TitleDrawBlock b;
        memset(&b, 0, sizeof b);
        b.dis.CtlType = ODT_LISTBOX;
        b.dis.CtlID = 1001;
        b.dis.itemAction = ODA_DRAWENTIRE;
        b.dis.hwndItem = GetParent(hwnd);
        b.dis.hDC = dc;
        b.dis.rcItem = rc;
        b.dis.itemData = (ULONG_PTR)t->drawData;
        b.hpos = (uint32_t)hpos;
        b.width = (uint32_t)t->width;
        b.title = hwnd;
        SendMessageA(GetParent(hwnd), LBM_DRAWTITLE, 1001, (LPARAM)&b);
    }
    TkEndPaint(hwnd, msg, &ps);
}

static LRESULT title_create(HWND hwnd, const CREATESTRUCTA *cs)
{
    size_t n = cs->lpszName ? strlen(cs->lpszName) : 0;
    TitleState *t = (TitleState *)TkGetMem(sizeof *t + n, "MYTT");
    if (!t)
        return -1;
    memcpy(t->eye, "MYTT", 4);
    t->style = (uint32_t)cs->style;
    t->hs = (const ScrollState *)cs->lpCreateParams;
    memcpy(t->text, cs->lpszName ? cs->lpszName : "", n + 1);
    t->height = title_height(hwnd, NULL);
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)t);
    return 0;
}

static LRESULT CALLBACK TitleWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return title_create(hwnd, (const CREATESTRUCTA *)lp);
    TitleState *t = record<TitleState>(hwnd, "MYTT");
    if (!t)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY:
        SetWindowLongPtrA(hwnd, 0, 0);
        CSFreeMem(t);
        return 0;
    case WM_SETFONT:
        t->font = (HFONT)wp;
        t->height = title_height(hwnd, t->font);
        InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case WM_SIZE: t->width = LOWORD(lp); t->winHeight = HIWORD(lp); return 0;
    case LBM_TITLEDATA: t->drawData = lp; InvalidateRect(hwnd, NULL, FALSE); return 0;
    case LBM_REDRAW: t->redrawOff = !wp; InvalidateRect(hwnd, NULL, FALSE); return 0;
    case LBM_TITLEHEIGHT: return t->height;   /* the title height, for the layout */
    case WM_PAINT:
    case WM_PRINTCLIENT: title_paint(hwnd, t, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- buddy list ---- */

/* the list whose rows a buddy shows */
static ListBoxState *buddy_list(BuddyState *b)
{
    return b->list ? ListState(b->list) : NULL;
}

static void buddy_paint(HWND hwnd, BuddyState *b, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(hwnd, msg, wp, &ps);
    ListBoxState *st = buddy_list(b);
    RECT cr;
    GetClientRect(hwnd, &cr);
    if (b->redrawOff) {
        TkEndPaint(hwnd, msg, &ps);
        return;
    }
    if (b->title) {
        InvalidateRect(b->title, NULL, FALSE);
    }
    COLORREF bgc = st ? st->bgColour : 0xFFFFFF, tc = st ? st->textColour : 0;
    HBRUSH bg = CreateSolidBrush(bgc);
    if (!st) {
        FillRect(dc, &ps.rcPaint, bg);
    } else {
        HDC mem = CreateCompatibleDC(dc);
        int w = ps.rcPaint.right > 0 ? ps.rcPaint.right : 1, h = ps.rcPaint.bottom > 0 ? ps.rcPaint.bottom : 1;
        HBITMAP bm = CreateCompatibleBitmap(dc, w, h);
        HGDIOBJ old = SelectObject(mem, bm);
        ListPaintRows(st, hwnd, mem, &ps.rcPaint, b->hs.position, bg, tc, bgc);
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bm);
        DeleteDC(mem);
    }
    DeleteObject(bg);
    TkEndPaint(hwnd, msg, &ps);
}

static LRESULT buddy_create(HWND hwnd)
{
    BuddyState *b = (BuddyState *)TkGetMem(sizeof *b, "MYBL");
    if (!b)
        return -1;
    memcpy(b->eye, "MYBL", 4);
    b->hwnd = hwnd;
    b->hs.unit = 1;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)b);
    return 0;
}

/* mouse messages of the buddy act on the list, without drag-out */
static void buddy_mouse(BuddyState *b, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    ListBoxState *st = buddy_list(b);
    if (!st)
        return;
    if (msg == WM_LBUTTONDOWN) ListMouseDown(st, hwnd, wp, lp);
    else if (msg == WM_MOUSEMOVE) ListMouseMove(st, hwnd, wp, lp, 0);
    else ListMouseUp(st, hwnd, wp, lp);
}

static LRESULT CALLBACK BuddyListWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return buddy_create(hwnd);
    BuddyState *b = record<BuddyState>(hwnd, "MYBL");
    if (!b)
        return DefWindowProcA(hwnd, msg, wp, lp);
    ListBoxState *st = buddy_list(b);
    switch (msg) {
    case WM_DESTROY:
        SetWindowLongPtrA(hwnd, 0, 0);
        CSFreeMem(b);
        return 0;
    case LBM_SETBUDDY: b->list = (HWND)lp; return 0;
    case LBM_SETTITLE: b->title = (HWND)lp; return 0;
    case LBM_REDRAW:
        b->redrawOff = !wp;
        ScrollEnableUpdates(hwnd, &b->hs, NULL, wp != 0);
        if (wp) InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case LB_SETHORIZONTALEXTENT: ScrollSetTotal(hwnd, &b->hs, NULL, (int32_t)wp, 1); return 0;
    case WM_HSCROLL:
        ScrollHandleMessage(hwnd, &b->hs, NULL, msg, wp, lp, NULL);
        if (b->title) InvalidateRect(b->title, NULL, FALSE);
        return 0;
    case WM_MOUSEWHEEL:
        ScrollHandleMessage(hwnd, &b->hs, NULL, msg, wp, lp, NULL);
        if (st) ScrollHandleMessage(st->hwnd, &st->hs, &st->vs, msg, wp, lp, hwnd);
        return 0;
    case WM_KEYDOWN:
        if (st && ListKeyDown(st, hwnd, wp)) return 1;
        break;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: buddy_mouse(b, hwnd, msg, wp, lp); return 0;
    case WM_LBUTTONDBLCLK:
        if (st && (st->style & LBS_NOTIFY))
            SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(st->id, LBN_DBLCLK), (LPARAM)st->hwnd);
        return 0;
    case WM_RBUTTONDOWN: SetFocus(hwnd); return 0;
    case WM_SETFOCUS: if (st) ListFocus(st, 1); return 0;
    case WM_KILLFOCUS: if (st) ListFocus(st, 0); return 0;
    case WM_SIZE:
        b->width = LOWORD(lp);
        b->height = HIWORD(lp);
        b->hs.page = (uint16_t)b->width;
        ScrollUpdateBars(hwnd, &b->hs, NULL, 1);
        return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT: buddy_paint(hwnd, b, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- title list and title buddy ---- */

/* the title at the top, the list below */
static void tl_layout(TitleListState *t)
{
    int32_t th = (int32_t)SendMessageA(t->title, LBM_TITLEHEIGHT, 0, 0);
    MoveWindow(t->title, 0, 0, t->width, th, TRUE);
    MoveWindow(t->list, 0, th, t->width, t->height - th > 0 ? t->height - th : 0, TRUE);
}

/* creates the list (or buddy list) and the title of a container */
static LRESULT tl_create(HWND hwnd, const CREATESTRUCTA *cs, int buddy)
{
    TitleListState *t = (TitleListState *)TkGetMem(sizeof *t, "MYTL");
    if (!t)
        return -1;
    memcpy(t->eye, "MYTL", 4);
    t->style = (uint32_t)cs->style & ~(uint32_t)(WS_VSCROLL | WS_HSCROLL);
    DWORD child = (t->style & ~(uint32_t)(WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE)) | WS_CHILD | WS_VISIBLE;
    t->list = CreateWindowExA(0, buddy ? ZKT_BUDDYLIST : ZKT_LISTBOX, "", child, 0, 0, 0, 0, hwnd,
                              (HMENU)1000, TkInstance(), NULL);
    ScrollState *hs = buddy ? BuddyHScroll(t->list) : (t->list ? &ListState(t->list)->hs : NULL);
    t->title = t->list ? CreateWindowExA(0, ZKT_TITLE, cs->lpszName, child, 0, 0, 0, 0, hwnd,
                                         (HMENU)1001, TkInstance(), hs) : NULL;
    if (!t->list || !t->title) {
        CSFreeMem(t);
        return 0;     /* creation completes without a record */
    }
    SendMessageA(t->list, LBM_SETTITLE, 0, (LPARAM)t->title);
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)t);
    return 0;
}

/* the LB_ messages a container passes on (not LB_GETTEXT, LB_GETTEXTLEN) */
static int passes_lb(UINT msg)
{
    return msg >= LB_ADDSTRING && msg <= LB_GETITEMHEIGHT && msg != LB_GETTEXT && msg != LB_GETTEXTLEN &&
           msg != LB_DIR && msg != LB_SELECTSTRING;
}

/* routing shared by the title list and the title buddy */
static LRESULT tl_route(HWND hwnd, TitleListState *t, UINT msg, WPARAM wp, LPARAM lp, int buddy)
{
    HWND parent = GetParent(hwnd);
    if (passes_lb(msg))
        return SendMessageA(t->list, msg, wp, lp);
    switch (msg) {
    case LBM_SETBUDDY: return buddy ? SendMessageA(t->list, msg, wp, lp) : 0;
    case LBM_DRAWTITLE: return SendMessageA(parent, msg, wp, lp);
    case LBM_BARNEEDED: case LBM_SELCHANGED: case LBM_ITEMSELECTED:
        return buddy ? 0 : SendMessageA(parent, msg, wp, lp);
    case LBM_TITLEDATA: return SendMessageA(t->title, msg, wp, lp);
    case LBM_GETLIST: return (LRESULT)t->list;
    case LBM_GETTITLE: return (LRESULT)t->title;
    case LBM_REDRAW: case LBM_ISSELECTED: case LBM_REPORT1240: case LBM_DELETEUNSELECTED:
    case LBM_SETLASTDATA: case LBM_BULKLOAD: case LBM_INSERTITEM: case LBM_ADDITEM:
        return SendMessageA(t->list, msg, wp, lp);
    case LBM_FIXEDWIDTH: case CN_HSCROLLOPTION: case CN_ALLOWDRAG: case CN_OPTIONS:
        return buddy ? 0 : SendMessageA(t->list, msg, wp, lp);
    case LBM_TAB: case LBM_BACKTAB: return SendMessageA(parent, msg, wp, (LPARAM)hwnd);
    case CN_DRAGOUT: case CN_DROP: case CN_DRAGBACK:
        return buddy ? 0 : SendMessageA(parent, msg, (WPARAM)hwnd, lp);
    case CN_HOVER: case CN_HOVEREND: return buddy ? 0 : SendMessageA(parent, msg, wp, lp);
    case WM_COMMAND: case WM_DRAWITEM: case WM_MEASUREITEM: return SendMessageA(parent, msg, wp, lp);
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSTATIC:
        return SendMessageA(parent, msg, wp, (LPARAM)hwnd);
    case WM_SETFONT:
        SendMessageA(t->list, msg, wp, lp);
        SendMessageA(t->title, msg, wp, lp);
        tl_layout(t);
        return 0;
    case WM_SETFOCUS: if (!buddy) SetFocus(t->list); return 0;
    case WM_SIZE: t->width = LOWORD(lp); t->height = HIWORD(lp); tl_layout(t); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_DESTROY: SetWindowLongPtrA(hwnd, 0, 0); CSFreeMem(t); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static LRESULT CALLBACK TitleListWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return tl_create(hwnd, (const CREATESTRUCTA *)lp, 0);
    TitleListState *t = record<TitleListState>(hwnd, "MYTL");
    return t ? tl_route(hwnd, t, msg, wp, lp, 0) : DefWindowProcA(hwnd, msg, wp, lp);
}

static LRESULT CALLBACK TitleBuddyWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return tl_create(hwnd, (const CREATESTRUCTA *)lp, 1);
    TitleListState *t = record<TitleListState>(hwnd, "MYTL");
    return t ? tl_route(hwnd, t, msg, wp, lp, 1) : DefWindowProcA(hwnd, msg, wp, lp);
}

static constexpr char TitleWndProc_name[] = "TitleWndProc";
WNDPROC TkTitleProc(void) { return TkTraced<TitleWndProc, TitleWndProc_name>; }
static constexpr char BuddyListWndProc_name[] = "BuddyListWndProc";
WNDPROC TkBuddyListProc(void) { return TkTraced<BuddyListWndProc, BuddyListWndProc_name>; }
static constexpr char TitleListWndProc_name[] = "TitleListWndProc";
WNDPROC TkTitleListProc(void) { return TkTraced<TitleListWndProc, TitleListWndProc_name>; }
static constexpr char TitleBuddyWndProc_name[] = "TitleBuddyWndProc";
WNDPROC TkTitleBuddyProc(void) { return TkTraced<TitleBuddyWndProc, TitleBuddyWndProc_name>; }
