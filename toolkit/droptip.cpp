/* ZKTDROPTIP: the one process-wide tip that follows the cursor during a
 * drag, a blue title over lines of text, placed beside the cursor so that
 * it stays on the screen and inside the window dragged over. */
#include "tkcontrols.h"
#include "tkpriv.h"
#include "tkutil.h"
#include "tklogic.h"

enum { MAX_LINES = 60, X_RIGHT = 20, X_LEFT = 30, Y_BELOW = 30, Y_ABOVE = 20 };

struct TipTextLine {
    RECT rc;
    const char *text;
    uint32_t length;
};

struct DropTipState {
    HWND owner;
    uint32_t style;
    POINT cursor;
    HFONT font;
    char *title, *body;          /* copies */
    uint32_t bodyLength;
    RECT tip;                    /* screen */
    TipTextLine titleLine;
    TipTextLine lines[MAX_LINES];
    int32_t lineCount;
};

static HWND tip_window;
static DropTipState *tip;

HWND DropTipWindow(void)
{
    return tip_window;
}

/* replace a copy when the text differs; 1 when it changed */
static int copy_text(char **slot, const char *text, uint32_t length)
{
    const char *t = text ? text : "";
    if (*slot && strlen(*slot) == length && memcmp(*slot, t, length) == 0)
        return 0;
    char *c = (char *)CSGetMem(length + 1, "DTW");
    if (!c)
        return 0;
    memcpy(c, t, length);
    c[length] = 0;
    if (*slot)
        CSFreeMem(*slot);
    *slot = c;
    return 1;
}

/* the screen area holding the cursor, or the nearest by centre */
static AreaRect screen_area(POINT c)
{
    const DisplayLayout *d = UtilDisplayLayout();
    int n = d->monitors < 1 ? 1 : d->monitors > 3 ? 3 : d->monitors;
    for (int i = 0; i < n; i++) {
        const AreaRect &a = d->monitor[i];
        if (c.x >= a.left && c.x < a.right && c.y >= a.top && c.y < a.bottom)
            return a;
    }
    int best = 0;
    int64_t bestDist = INT64_MAX;
    for (int i = 0; i < n; i++) {
        const AreaRect &a = d->monitor[i];
        int64_t dx = (a.left + a.right) / 2 - c.x, dy = (a.top + a.bottom) / 2 - c.y;
        if (dx * dx + dy * dy < bestDist) {
            bestDist = dx * dx + dy * dy;
            best = i;
        }
    }
    return d->monitor[best];
}

/* measure callback of the line breaker */
static int measure(void *ctx, const char *text, int length)
{
    SIZE sz = {0, 0};
    GetTextExtentPoint32A((HDC)ctx, text, length, &sz);
    return sz.cx;
}

/* lines of the title and body, and the tip's size */
static void layout(HWND hwnd, int limit, SIZE *size)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, tip->font ? tip->font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE ch;
    GetTextExtentPoint32A(dc, "Ay", 2, &ch);
    int x = tkMetrics.cxEdge2, y = tkMetrics.cyEdge2;
    TipLine tl;
    int tlen = (int)strlen(tip->title ? tip->title : "");
    int width = 0;
    tip->titleLine = {{x, y, x, y}, tip->title, 0};
    if (tlen && TipBreakLines(tip->title, tlen, limit, 1, measure, dc, &tl, 1)) {
        tip->titleLine = {{x, y, x + tl.width, y + ch.cy}, tip->title, (uint32_t)tl.length};
        width = tl.width;
    }
    int top = tip->titleLine.rc.bottom + tkMetrics.cyEdge2;
    TipLine lines[MAX_LINES];
    int n = TipBreakLines(tip->body, (int)tip->bodyLength, limit, 0, measure, dc, lines, MAX_LINES);
    tip->lineCount = n;
    int bottom = tip->titleLine.rc.bottom;
    for (int i = 0; i < n; i++) {
        tip->lines[i] = {{x, top, x + lines[i].width, top + ch.cy}, tip->body + lines[i].start,
                         (uint32_t)lines[i].length};
        bottom = top + ch.cy;
        top += ch.cy + tkMetrics.cyEdge2;
        if (lines[i].width > width)
            width = lines[i].width;
    }
    size->cx = width + 2 * tkMetrics.cxEdge2;
    size->cy = bottom + tkMetrics.cyEdge2;
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
}

/* push a rectangle into an area (left and top win) */
static void adjust(RECT *r, const AreaRect &a)
{
    int w = r->right - r->left, h = r->bottom - r->top;
    if (r->right > a.right) r->left = a.right - w;
    if (r->bottom > a.bottom) r->top = a.bottom - h;
    if (r->left < a.left) r->left = a.left;
    if (r->top < a.top) r->top = a.top;
    r->right = r->left + w;
    r->bottom = r->top + h;
}

/* the first candidate beside the cursor that lies inside the owner */
static RECT place(SIZE size, const AreaRect &screen)
{
    POINT c = tip->cursor;
    int xr = (tip->style & 1) ? 0 : X_RIGHT, xl = (tip->style & 1) ? 0 : X_LEFT;
    AreaRect owner = screen;
    if (tip->owner) {
        RECT oc;
        GetClientRect(tip->owner, &oc);
        MapWindowPoints(tip->owner, NULL, (POINT *)&oc, 2);
        owner = {oc.left, oc.top, oc.right, oc.bottom};
    }
    POINT cand[6] = {
        {c.x + xr, c.y + Y_BELOW},
        {c.x + xr, c.y - Y_ABOVE - size.cy},
        {c.x - xl - size.cx, c.y + Y_BELOW},
        {c.x - xl - size.cx, c.y - Y_ABOVE - size.cy},
        {c.x + xr, owner.top + 20},
        {c.x - xl - size.cx, owner.top + 20},
    };
    RECT r = {0, 0, 0, 0};
    for (const POINT &p : cand) {
        r = {p.x, p.y, p.x + size.cx, p.y + size.cy};
        adjust(&r, screen);
        if (r.left >= owner.left && r.top >= owner.top && r.right <= owner.right && r.bottom <= owner.bottom)
            break;
    }
    return r;
}

int ShowDropTip(const DropTipRequest *rq)
{
    if (!tip) {
        tip = (DropTipState *)TkGetMem(sizeof *tip, "DTW");
        if (!tip)
            return 1;
    }
    if (!tip_window) {
        tip_window = CreateWindowExA(0, ZKT_DROPTIP, "", WS_POPUP, 0, 0, 30, 30, NULL, NULL, TkInstance(), NULL);
        if (!tip_window)
            return 1;
    }
    AreaRect screen = screen_area(rq->cursor);
    int limit = (int)(rq->cursor.x - screen.left - 30) > (int)(screen.right - rq->cursor.x - 20)
                    ? rq->cursor.x - screen.left - 30 : screen.right - rq->cursor.x - 20;
    limit -= 30;
    tip->owner = rq->owner;
    tip->style = rq->style;
    int repaint = copy_text(&tip->title, rq->title, rq->title ? (uint32_t)strlen(rq->title) : 0);
    repaint |= copy_text(&tip->body, rq->body, rq->body ? rq->bodyLength : 0);
    tip->bodyLength = tip->body ? (uint32_t)strlen(tip->body) : 0;
    if (rq->font != tip->font) {
        tip->font = rq->font;
        repaint = 1;
    }
    int relayout = repaint || rq->cursor.x != tip->cursor.x || rq->cursor.y != tip->cursor.y ||
                   tip->tip.right == tip->tip.left;
    tip->cursor = rq->cursor;
    if (relayout) {
        SIZE size;
        layout(tip_window, limit, &size);
        tip->tip = place(size, screen);
    }
    SetWindowPos(tip_window, HWND_TOPMOST, tip->tip.left, tip->tip.top, tip->tip.right - tip->tip.left,
                 tip->tip.bottom - tip->tip.top, SWP_NOACTIVATE);
    if (!IsWindowVisible(tip_window))
        ShowWindow(tip_window, SW_SHOWNOACTIVATE);
    if (repaint)
        InvalidateRect(tip_window, NULL, TRUE);
    return 1;
}

int HideDropTip(HWND owner)
{
    if (tip_window && tip && (!owner || !tip->owner || owner == tip->owner))
        ShowWindow(tip_window, SW_HIDE);
    return 1;
}

static void paint(HWND hwnd, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(hwnd, msg, wp, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH bg = CreateSolidBrush(RGB(255, 255, 225));
    FillRect(dc, &rc, bg);
    DeleteObject(bg);
    static const UINT edges[] = {EDGE_SUNKEN, EDGE_RAISED, EDGE_ETCHED, EDGE_BUMP};
    uint32_t border = tip ? tip->style >> 28 : 0;
    int e = border == 1 ? 0 : border == 2 ? 1 : border == 4 ? 2 : border == 8 ? 3 : -1;
    if (e >= 0) {
        RECT r = rc;
        DrawEdge(dc, &r, edges[e], BF_RECT);
    } else {
        FrameRect(dc, &rc, (HBRUSH)GetStockObject(BLACK_BRUSH));
    }
    if (tip) {
        HGDIOBJ old = SelectObject(dc, tip->font ? tip->font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 255));
        if (tip->titleLine.length) {
            RECT t = tip->titleLine.rc;
            DrawTextA(dc, tip->titleLine.text, (int)tip->titleLine.length, &t, DT_SINGLELINE | DT_NOPREFIX);
            if (tip->style & 2) {
                HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
                HGDIOBJ op = SelectObject(dc, pen);
                MoveToEx(dc, t.left, t.bottom + 1, NULL);
                LineTo(dc, t.right, t.bottom + 1);
                SelectObject(dc, op);
                DeleteObject(pen);
            }
        }
        SetTextColor(dc, RGB(0, 0, 0));
        for (int i = 0; i < tip->lineCount; i++) {
            RECT l = tip->lines[i].rc;
            DrawTextA(dc, tip->lines[i].text, (int)tip->lines[i].length, &l, DT_SINGLELINE | DT_NOPREFIX);
        }
        SelectObject(dc, old);
    }
    TkEndPaint(hwnd, msg, &ps);
}

static LRESULT CALLBACK DropTipWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT: paint(hwnd, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_DESTROY: if (hwnd == tip_window) tip_window = NULL; return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static constexpr char DropTipWndProc_name[] = "DropTipWndProc";
WNDPROC TkDropTipProc(void) { return TkTraced<DropTipWndProc, DropTipWndProc_name>; }
