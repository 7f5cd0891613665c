/* The column filter pop-up window ("ZKTCOLFLT"): opened and closed from
 * the filter mark of a title cell, placed under its column and kept in
 * the work area, moved by its caption strip (after which the list no
 * longer moves it), and a window procedure that hands each message to a
 * helper. */
#include "colpopint.h"
#include "tkspin.h"
#include "tkwin.h"
#include "cs.h"

#include <cstring>

static const char PopupClass[] = ZKT_COLFILTER;

COLPOPUP *ColPopup(HWND hwnd)
{
    COLPOPUP *p = hwnd ? (COLPOPUP *)GetWindowLongPtrA(hwnd, GWLP_USERDATA) : nullptr;
    return p && !memcmp(p->eye, "CFLT", 4) ? p : nullptr;
}

COLFSTATE *ColState(DialogWords *d) { return ColFilterState(d, 0); }

COLFILTER *ColOpenFilter(DialogWords *d)
{
    COLFSTATE *st = ColState(d);
    return st && st->open ? ColFilterFind(d, st->open, 0) : nullptr;
}

int64_t ColNow(void)
{
    const FLTWINHOOKS *h = FltWinHooks();
    return h->clock ? h->clock(h->context) : CSGetCurrentTime();
}

HWND ColFilterWindow(DialogWords *d)
{
    COLFSTATE *st = ColState(d);
    return st ? (HWND)st->popup : nullptr;
}

void ColRepaintTitles(DialogWords *d)
{
    COLFSTATE *st = ColState(d);
    if (st && st->titleBar)
        InvalidateRect((HWND)st->titleBar, nullptr, TRUE);
}

/* ---- placement ------------------------------------------------------------ */

void ColClampToWorkArea(RECT *r)
{
    RECT area;
    HMONITOR m = MonitorFromRect(r, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi = { sizeof mi };
    if (m && GetMonitorInfoA(m, &mi))
        area = mi.rcWork;
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    int w = r->right - r->left, h = r->bottom - r->top;
    if (r->left < area.left)
        r->left = area.left;
    if (r->top < area.top)
        r->top = area.top;
    if (r->left + w > area.right)
        r->left = area.right - w;
    if (r->top + h > area.bottom)
        r->top = area.bottom - h;
    r->right = r->left + w;
    r->bottom = r->top + h;
}

/* Moves the window to a screen point, kept in the work area. */
static void MoveTo(HWND hwnd, int x, int y)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, x - r.left, y - r.top);
    ColClampToWorkArea(&r);
    SetWindowPos(hwnd, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

/* The screen point under the open column's title cell. */
static POINT Under(COLFSTATE *st)
{
    POINT pt = { st->cell[0], st->cell[3] };
    if (st->titleBar)
        ClientToScreen((HWND)st->titleBar, &pt);
    return pt;
}

static void Record(COLFSTATE *st, const COLFANCHOR *a)
{
    if (!a)
        return;
    st->list = a->list;
    st->titleBar = a->titleBar;
    st->cell[0] = a->cell.left;
    st->cell[1] = a->cell.top;
    st->cell[2] = a->cell.right;
    st->cell[3] = a->cell.bottom;
}

void ColFilterPosition(DialogWords *d, const COLFANCHOR *anchor)
{
    COLFSTATE *st = ColState(d);
    if (!st || !st->popup || st->dragged)
        return;
    Record(st, anchor);
    POINT pt = Under(st);
    MoveTo((HWND)st->popup, pt.x, pt.y);
}

void ColFilterFollow(DialogWords *d, int x, int y)
{
    COLFSTATE *st = ColState(d);
    if (!st || !st->popup || st->dragged)
        return;
    MoveTo((HWND)st->popup, x, y);
}

void ColFilterPlace(DialogWords *d, int dx, int dy)
{
    COLFSTATE *st = ColState(d);
    if (!st || !st->popup)
        return;
    HWND hwnd = (HWND)st->popup;
    HWND owner = d->window ? GetAncestor((HWND)d->window, GA_ROOT) : nullptr;
    if (owner && IsIconic(owner)) {
        ShowWindow(hwnd, SW_HIDE);
        return;
    }
    if (!IsWindowVisible(hwnd))
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    RECT r;
    GetWindowRect(hwnd, &r);
    MoveTo(hwnd, r.left + dx, r.top + dy);
}

/* ---- the caption strip ------------------------------------------------------- */

static void PaintCaption(COLPOPUP *p, HDC dc)
{
    COLFSTATE *st = ColState(p->dialog);
    RECT client;
    GetClientRect(p->hwnd, &client);
    HBRUSH back = CreateSolidBrush(FltColours.menuBack);
    FillRect(dc, &client, back);
    DeleteObject(back);
    RECT strip = { 0, 0, client.right, p->caption };
    HBRUSH fore = CreateSolidBrush(FltColours.menuFore);
    FillRect(dc, &strip, fore);
    DeleteObject(fore);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, FltColours.menuBack);
    HGDIOBJ old = SelectObject(dc, p->font);
    RECT text = strip;
    text.left += GetSystemMetrics(SM_CXEDGE);
    text.right -= CLOSE_SIZE;
    const char *title = st && st->open && st->open->title ? st->open->title : "";
    DrawTextA(dc, title, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
}

static void StartDrag(COLPOPUP *p, LPARAM lp)
{
    if ((short)HIWORD(lp) >= p->caption)
        return;
    p->dragging = 1;
    POINT pt = { (short)LOWORD(lp), (short)HIWORD(lp) };
    ClientToScreen(p->hwnd, &pt);
    p->dragStart = pt;
    GetWindowRect(p->hwnd, &p->dragRect);
    SetCapture(p->hwnd);
}

static void Drag(COLPOPUP *p, LPARAM lp)
{
    if (!p->dragging)
        return;
    POINT pt = { (short)LOWORD(lp), (short)HIWORD(lp) };
    ClientToScreen(p->hwnd, &pt);
    int x = p->dragRect.left + pt.x - p->dragStart.x, y = p->dragRect.top + pt.y - p->dragStart.y;
    if (x != p->dragRect.left || y != p->dragRect.top) {
        COLFSTATE *st = ColState(p->dialog);
        if (st)
            st->dragged = 1;
    }
    SetWindowPos(p->hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void EndDrag(COLPOPUP *p)
{
    if (!p->dragging)
        return;
    p->dragging = 0;
    if (GetCapture() == p->hwnd)
        ReleaseCapture();
}

/* ---- creation and the window procedure -------------------------------------- */

static LRESULT OnCreate(HWND hwnd, const CREATESTRUCTA *cs)
{
    COLPOPUP *p = (COLPOPUP *)CSGetMem(sizeof(COLPOPUP), "COLPOPUP");
    if (!p)
        return -1;
    memset(p, 0, sizeof *p);
    memcpy(p->eye, "CFLT", 4);
    p->hwnd = hwnd;
    p->dialog = (DialogWords *)cs->lpCreateParams;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)p);
    COLFSTATE *st = ColState(p->dialog);
    st->popup = hwnd;
    p->font = FltPrefs.smallPopupFont && winFonts.smallFont ? winFonts.smallFont
              : winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, p->font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    p->cw = tm.tmAveCharWidth;
    p->lineHeight = tm.tmHeight;
    CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, CLOSE_SIZE, CLOSE_SIZE, hwnd,
                    (HMENU)(INT_PTR)CFC_CLOSE, GetModuleHandleA(nullptr), nullptr);
    COLFILTER *cf = ColOpenFilter(p->dialog);
    if (cf && cf->values == nullptr)
        ColFilterCount(p->dialog, cf, st->open, 0);
    ColBuildControls(p);
    ColSetControls(p);
    return 0;
}

static void OnDestroy(COLPOPUP *p)
{
    COLFSTATE *st = ColState(p->dialog);
    if (st && st->popup == p->hwnd) {
        st->popup = nullptr;
        for (COLFCTL *c = st->controls; c && c->layoutRow; c++)
            c->window = nullptr;
    }
    SetWindowLongPtrA(p->hwnd, GWLP_USERDATA, 0);
    CSFreeMem(p);
}

static LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return OnCreate(hwnd, (const CREATESTRUCTA *)lp);
    COLPOPUP *p = ColPopup(hwnd);
    if (!p)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintCaption(p, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintCaption(p, (HDC)wp);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        static HBRUSH brush;
        static COLORREF made = (COLORREF)-1;
        if (!brush || made != FltColours.menuBack) {
            if (brush)
                DeleteObject(brush);
            brush = CreateSolidBrush(FltColours.menuBack);
            made = FltColours.menuBack;
        }
        SetTextColor((HDC)wp, FltColours.menuFore);
        SetBkColor((HDC)wp, FltColours.menuBack);
        return (LRESULT)brush;
    }
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT *mi = (MEASUREITEMSTRUCT *)lp;
        mi->itemHeight = (UINT)(p->lineHeight < 14 ? 14 : p->lineHeight);
        return TRUE;
    }
    case WM_DRAWITEM:
        ColDrawItem(p, (const DRAWITEMSTRUCT *)lp);
        return TRUE;
    case WM_COMMAND:
        ColOnCommand(p, LOWORD(wp), HIWORD(wp), (HWND)lp);
        return 0;
    case SPM_NOTIFY:
        ColOnSpinner(p, (const SpinNotifyBlock *)lp);
        return 0;
    case WM_LBUTTONDOWN:
        StartDrag(p, lp);
        return 0;
    case WM_MOUSEMOVE:
        Drag(p, lp);
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        EndDrag(p);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_DESTROY:
        OnDestroy(p);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static int Register(void)
{
    WNDCLASSA wc;
    if (GetClassInfoA(GetModuleHandleA(nullptr), PopupClass, &wc))
        return 1;
    memset(&wc, 0, sizeof wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PopupProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_MENU + 1);
    wc.lpszClassName = PopupClass;
    return RegisterClassA(&wc) != 0;
}

int ColFilterCreate(DialogWords *d, const COLFANCHOR *anchor)
{
    COLFSTATE *st = ColState(d);
    if (!st || !st->open)
        return 0;
    Record(st, anchor);
    HWND owner = d->window ? GetAncestor((HWND)d->window, GA_ROOT) : nullptr;
    if (!Register()) {
        WinNoteBox((HWND)st->list, 1, 0, "RegisterClass failed");
        return 0;
    }
    POINT pt = Under(st);
    st->dragged = 0;
    HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, PopupClass, "", WS_POPUP | WS_BORDER, pt.x, pt.y, 100, 50,
                                owner, nullptr, GetModuleHandleA(nullptr), d);
    if (!hwnd) {
        WinNoteBox((HWND)st->list, 1, 0, "Error creating window");
        return 0;
    }
    COLPOPUP *p = ColPopup(hwnd);
    ColLayout(p);
    MoveTo(hwnd, pt.x, pt.y);
    st->x = pt.x;
    st->y = pt.y;
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    int type = st->open->type;
    if ((type == PCFT_INT || type == PCFT_ENUM || type == PCFT_ENUMNUM || type == PCFT_NUMBER ||
         type == PCFT_ENUMLIST || type == PCFT_FLAGSET) && ColFilterRefreshList)
        ColFilterRefreshList(d);
    return 1;
}

void ColFilterClose(DialogWords *d)
{
    COLFSTATE *st = ColState(d);
    if (!st)
        return;
    if (st->popup) {
        ColFilterApply(d, 0);
        if (st->popup)
            DestroyWindow((HWND)st->popup);
    }
    st->open = nullptr;
    ColRepaintTitles(d);
}

void ColFilterToggle(DialogWords *d, const PCFFieldDef *column, const COLFANCHOR *anchor)
{
    COLFSTATE *st = ColFilterState(d, 1);
    if (!st)
        return;
    if (st->popup && st->open == column) {
        ColFilterClose(d);
        return;
    }
    if (st->popup)
        ColFilterClose(d);
    st->open = column;
    if (column && ColFilterFind(d, column, 1)) {
        st->active = 1;
        ColFilterCreate(d, anchor);
    } else if (column) {
        st->open = nullptr;
    }
    ColRepaintTitles(d);
}
