/* Simple controls: ZKTFRAME (a coloured frame holding one child window),
 * ZKTPROGRESS (a bar filled in proportion) and ZKTBUTTON (an
 * owner-coloured push or toggle button). */
#include "tkcontrols.h"
#include "tkpriv.h"

struct FrameState {
    char eye[4];                 /* "MYFW" */
    uint32_t style;
    HWND client;
    COLORREF colour;
    HBRUSH brush;
    int32_t width, height;
    int32_t margin[4];           /* left, top, right, bottom */
    int32_t edgeWidth[4];
    RECT edgeRect, clientRect;
    UINT edge;                   /* DrawEdge edge value, 0 none */
};

struct ProgressState {
    char eye[4];                 /* "MYPW" */
    uint32_t style;
    int32_t width, height;
    uint32_t position, total;
    HFONT font;
    COLORREF textColour, bgColour;
};

enum { BS_PRESSED = 1, BS_DISABLEDLOOK = 4, BS_CHECKED = 8, BS_FOCUSED = 16 };

struct ButtonState {
    char eye[4];                 /* "MYBW" */
    uint32_t style;
    uint32_t state;
    uint8_t captured, inside;
    HFONT font;
    COLORREF textColour, bgColour;
    RECT client;
    char caption[101];
};

/* a record of a given eye-catcher in slot 0 */
template <typename T> static T *record(HWND hwnd, const char *eye)
{
    T *r = TkRecord<T>(hwnd);
    return r && memcmp(r->eye, eye, 4) == 0 ? r : NULL;
}

/* a zeroed record put in slot 0 */
template <typename T> static T *new_record(HWND hwnd, const char *eye)
{
    T *r = (T *)TkGetMem(sizeof(T), eye);
    if (r) {
        memcpy(r->eye, eye, 4);
        SetWindowLongPtrA(hwnd, 0, (LONG_PTR)r);
    }
    return r;
}

/* free the record of slot 0 */
static void free_record(HWND hwnd, void *r)
{
    SetWindowLongPtrA(hwnd, 0, 0);
    CSFreeMem(r);
}

/* ---- frame ---- */

/* edge widths of EDGE_RAISED, measured on a probe rectangle */
static void frame_measure(HWND hwnd, FrameState *f)
{
    HDC dc = GetDC(hwnd);
    RECT probe = {0, 0, 100, 100};
    DrawEdge(dc, &probe, EDGE_RAISED, BF_RECT | BF_ADJUST);
    ReleaseDC(hwnd, dc);
    f->edgeWidth[0] = probe.left;
    f->edgeWidth[1] = probe.top;
    f->edgeWidth[2] = 100 - probe.right;
    f->edgeWidth[3] = 100 - probe.bottom;
}

/* edge and client rectangles, client window moved there */
static void frame_layout(HWND hwnd, FrameState *f)
{
    f->edgeRect = {f->margin[0], f->margin[1], f->width - f->margin[2], f->height - f->margin[3]};
    f->clientRect = f->edgeRect;
    if (f->edge) {
        f->clientRect.left += f->edgeWidth[0] + 1;
        f->clientRect.top += f->edgeWidth[1] + 1;
        f->clientRect.right -= f->edgeWidth[2] + 1;
        f->clientRect.bottom -= f->edgeWidth[3] + 1;
    }
    if (f->client)
        SetWindowPos(f->client, NULL, f->clientRect.left, f->clientRect.top,
                     f->clientRect.right - f->clientRect.left, f->clientRect.bottom - f->clientRect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd, NULL, TRUE);
}

static void frame_paint(HWND hwnd, FrameState *f, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(hwnd, msg, wp, &ps);
    RECT cr;
    GetClientRect(hwnd, &cr);
    if (!f->brush)
        f->brush = CreateSolidBrush(f->colour);
    FillRect(dc, &cr, f->brush);
    if (f->edge) {
        RECT er = f->edgeRect;
        DrawEdge(dc, &er, f->edge, BF_RECT);
    }
    TkEndPaint(hwnd, msg, &ps);
}

static LRESULT CALLBACK FrameWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE) {
        FrameState *f = new_record<FrameState>(hwnd, "MYFW");
        if (!f)
            return -1;
        f->style = ((CREATESTRUCTA *)lp)->style;
        for (int i = 0; i < 4; i++)
            f->margin[i] = 5;
        frame_measure(hwnd, f);
        return 0;
    }
    FrameState *f = record<FrameState>(hwnd, "MYFW");
    if (!f)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY:
        if (f->brush) DeleteObject(f->brush);
        free_record(hwnd, f);
        return 0;
    case LBM_FRAMECLIENT: f->client = (HWND)wp; frame_layout(hwnd, f); return 0;
    case LBM_FRAMEMARGINS:
        if (lp) memcpy(f->margin, (const int32_t *)lp, sizeof f->margin);
        frame_layout(hwnd, f);
        return 0;
    case LBM_FRAMECOLOUR:
        f->colour = (COLORREF)wp;
        if (f->brush) DeleteObject(f->brush);
        f->brush = CreateSolidBrush(f->colour);
        InvalidateRect(hwnd, NULL, TRUE);
        return 0;
    case LBM_FRAMEEDGE: f->edge = (UINT)wp; frame_layout(hwnd, f); return 0;
    case WM_SIZE: f->width = LOWORD(lp); f->height = HIWORD(lp); frame_layout(hwnd, f); return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT: frame_paint(hwnd, f, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    case LBM_DRAWTITLE: case LBM_BARNEEDED: case LBM_SELCHANGED: case LBM_ITEMSELECTED:
    case WM_COMMAND: case WM_DRAWITEM: case WM_MEASUREITEM:
        return SendMessageA(GetParent(hwnd), msg, wp, lp);
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSTATIC:
        if (f->brush) {
            SetBkColor((HDC)wp, f->colour);
            return (LRESULT)f->brush;
        }
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- progress bar ---- */

static void progress_paint(HWND hwnd, ProgressState *p, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(hwnd, msg, wp, &ps);
    RECT cr;
    GetClientRect(hwnd, &cr);
    HBRUSH bg = (HBRUSH)SendMessageA(GetParent(hwnd), WM_CTLCOLORLISTBOX, (WPARAM)dc, (LPARAM)hwnd);
    if (!bg)
        bg = GetSysColorBrush(COLOR_WINDOW);
    p->textColour = GetTextColor(dc);
    p->bgColour = GetBkColor(dc);
    int done = p->total ? (int)((double)cr.right * p->position / p->total) : 0;
    if (done > cr.right) done = cr.right;
    RECT a = {0, 0, done, cr.bottom}, b = {done, 0, cr.right, cr.bottom};
    HBRUSH fg = CreateSolidBrush(p->textColour);
    if (done > 0)
        FillRect(dc, &a, fg);
    FillRect(dc, &b, bg);
    DeleteObject(fg);
    TkEndPaint(hwnd, msg, &ps);
}

static LRESULT CALLBACK ProgressWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE) {
        ProgressState *p = new_record<ProgressState>(hwnd, "MYPW");
        if (!p)
            return -1;
        p->style = ((CREATESTRUCTA *)lp)->style;
        return 0;
    }
    ProgressState *p = record<ProgressState>(hwnd, "MYPW");
    if (!p)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY: free_record(hwnd, p); return 0;
    case LBM_PROGRESS:
        p->position = (uint32_t)wp;
        p->total = (uint32_t)lp;
        InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case WM_SETFONT: p->font = (HFONT)wp; return 0;
    case WM_SIZE: p->width = LOWORD(lp); p->height = HIWORD(lp); return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT: progress_paint(hwnd, p, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- button ---- */

/* the grey of disabled text */
COLORREF TkGrayText(void)
{
    COLORREF c = GetSysColor(COLOR_GRAYTEXT);
    return c ? c : 0xC0C0C0;
}

static void button_paint(HWND hwnd, ButtonState *b, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(hwnd, msg, wp, &ps);
    GetClientRect(hwnd, &b->client);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SendMessageA(GetParent(hwnd), WM_CTLCOLORBTN, (WPARAM)dc, (LPARAM)hwnd);
    b->textColour = GetTextColor(dc);
    b->bgColour = GetBkColor(dc);
    HBRUSH bg = CreateSolidBrush(b->bgColour);
    FillRect(dc, &b->client, bg);
    DeleteObject(bg);
    int cx = tkMetrics.cxEdge, cy = tkMetrics.cyEdge;
    RECT cap = {b->client.left + cx, b->client.top + cy, b->client.right - cx, b->client.bottom - cy};
    int shift = (b->state & BS_PRESSED) ? 3 : (b->state & BS_CHECKED) ? 2 : 0;
    RectOffset(&cap, shift, shift);
    HGDIOBJ old = SelectObject(dc, b->font ? b->font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    UINT fmt = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (b->state & BS_DISABLEDLOOK) {
        RECT w = cap;
        RectOffset(&w, 1, 1);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextA(dc, b->caption, -1, &w, fmt);
        SetTextColor(dc, TkGrayText());
    } else {
        SetTextColor(dc, b->textColour);
    }
    DrawTextA(dc, b->caption, -1, &cap, fmt);
    SelectObject(dc, old);
    RECT e = b->client;
    DrawEdge(dc, &e, (b->state & (BS_PRESSED | BS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (b->state & BS_FOCUSED) {
        InflateRect(&e, -cx, -cy);
        DrawFocusRect(dc, &e);
    }
    TkEndPaint(hwnd, msg, &ps);
}

/* tell the parent of a click */
static void button_click(HWND hwnd)
{
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), (LPARAM)hwnd);
}

/* mouse of the button */
static void button_mouse(HWND hwnd, ButtonState *b, UINT msg, LPARAM lp)
{
    POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
    RECT cr;
    GetClientRect(hwnd, &cr);
    int in = PtInRect(&cr, pt);
    if (msg == WM_LBUTTONDOWN) {
        SetCapture(hwnd);
        b->captured = b->inside = 1;
        b->state |= BS_PRESSED;
        b->state ^= BS_CHECKED;
        SetFocus(hwnd);
    } else if (msg == WM_MOUSEMOVE) {
        if (!b->captured || in == b->inside)
            return;
        b->inside = (uint8_t)in;
        b->state ^= BS_PRESSED | BS_CHECKED;
    } else {
        if (!b->captured)
            return;
        b->captured = 0;
        ReleaseCapture();
        b->state &= ~BS_PRESSED;
        if (in && b->inside)
            button_click(hwnd);
    }
    InvalidateRect(hwnd, NULL, FALSE);
}

static LRESULT CALLBACK ButtonWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE) {
        ButtonState *b = new_record<ButtonState>(hwnd, "MYBW");
        if (!b)
            return -1;
        const CREATESTRUCTA *cs = (const CREATESTRUCTA *)lp;
        b->style = cs->style;
        lstrcpynA(b->caption, cs->lpszName ? cs->lpszName : "", sizeof b->caption);
        return 0;
    }
    ButtonState *b = record<ButtonState>(hwnd, "MYBW");
    if (!b)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY: free_record(hwnd, b); return 0;
    case WM_SETTEXT:
        lstrcpynA(b->caption, lp ? (const char *)lp : "", sizeof b->caption);
        InvalidateRect(hwnd, NULL, FALSE);
        return TRUE;
    case WM_GETTEXT:
        lstrcpynA((char *)lp, b->caption, (int)wp);
        return lstrlenA((char *)lp);
    case WM_SETFONT: b->font = (HFONT)wp; return 0;
    case BM_GETCHECK: return (b->state & BS_CHECKED) ? 1 : 0;
    case BM_SETCHECK:
        if (wp == 1) b->state |= BS_CHECKED;
        else if (wp == 0) b->state &= ~BS_CHECKED;
        InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case ZKTBM_DISABLEDLOOK:
        b->state = wp ? (b->state | BS_DISABLEDLOOK) : (b->state & ~BS_DISABLEDLOOK);
        InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case WM_SETFOCUS: b->state |= BS_FOCUSED; InvalidateRect(hwnd, NULL, FALSE); return 0;
    case WM_KILLFOCUS: b->state &= ~BS_FOCUSED; InvalidateRect(hwnd, NULL, FALSE); return 0;
    case WM_KEYDOWN:
        if (wp != VK_SPACE) break;
        b->state |= BS_PRESSED;
        InvalidateRect(hwnd, NULL, FALSE);
        return 0;
    case WM_KEYUP:
        if (wp != VK_SPACE) break;
        b->state ^= BS_CHECKED;
        b->state &= ~BS_PRESSED;
        InvalidateRect(hwnd, NULL, FALSE);
        button_click(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: button_mouse(hwnd, b, msg, lp); return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT: button_paint(hwnd, b, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static constexpr char FrameWndProc_name[] = "FrameWndProc";
WNDPROC TkFrameProc(void) { return TkTraced<FrameWndProc, FrameWndProc_name>; }
static constexpr char ProgressWndProc_name[] = "ProgressWndProc";
WNDPROC TkProgressProc(void) { return TkTraced<ProgressWndProc, ProgressWndProc_name>; }
static constexpr char ButtonWndProc_name[] = "ButtonWndProc";
WNDPROC TkButtonProc(void) { return TkTraced<ButtonWndProc, ButtonWndProc_name>; }
