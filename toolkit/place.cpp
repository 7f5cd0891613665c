/* Window placement on the monitors of the display layout. */
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"

int WinGetWindowRect(HWND hwnd, PlaceRect *r)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    *r = {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
    return 1;
}

void WinGetClientScreenRect(HWND hwnd, AreaRect *a)
{
    RECT wr, cr, adj;
    GetWindowRect(hwnd, &wr);
    GetClientRect(hwnd, &cr);
    adj = cr;
    AdjustWindowRect(&adj, (DWORD)GetWindowLongA(hwnd, GWL_STYLE), GetMenu(hwnd) != NULL);
    /* the frame's left and top parts lie in front of the client area */
    a->left = wr.left - adj.left;
    a->top = wr.top - adj.top;
    a->right = a->left + cr.right;
    a->bottom = a->top + cr.bottom;
}

void WinCentreOnRect(AreaRect *a, HWND hwnd)
{
    AreaRect c;
    WinGetClientScreenRect(hwnd, &c);
    int w = a->right - a->left, h = a->bottom - a->top;
    a->left = c.left + (c.right - c.left - w) / 2;
    a->top = c.top + (c.bottom - c.top - h) / 2;
    a->right = a->left + w;
    a->bottom = a->top + h;
}

void WinCentreWindow(HWND hwnd)
{
    RECT wa, rc;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    GetWindowRect(hwnd, &rc);
    SetWindowPos(hwnd, NULL, ((wa.right - wa.left) - (rc.right - rc.left)) / 2,
                 ((wa.bottom - wa.top) - (rc.bottom - rc.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinCentreOverWindow(HWND hwnd, HWND other)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    AreaRect a = {rc.left, rc.top, rc.right, rc.bottom};
    WinCentreOnRect(&a, other);
    SetWindowPos(hwnd, NULL, a.left, a.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

/* fit and apply position and size; a window that takes another size
 * than asked (its least size is larger) is fitted again at the size it
 * took, about the same centre, so no part of it leaves the area */
static void apply(HWND hwnd, PlaceRect *r, uint32_t fit)
{
    WinFitRect(r, 1, fit);
    SetWindowPos(hwnd, NULL, r->x, r->y, r->cx, r->cy, SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceRect took;
    WinGetWindowRect(hwnd, &took);
    if (took.cx == r->cx && took.cy == r->cy)
        return;
    took.x = r->x - (took.cx - r->cx) / 2;
    took.y = r->y - (took.cy - r->cy) / 2;
    WinFitRect(&took, 1, 0);
    SetWindowPos(hwnd, NULL, took.x, took.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinCentreOnWindow(HWND hwnd, HWND other, int cx, int cy, uint32_t fit)
{
    RECT o;
    GetWindowRect(other, &o);
    PlaceRect r = {o.left + (o.right - o.left - cx) / 2, o.top + (o.bottom - o.top - cy) / 2, cx, cy};
    apply(hwnd, &r, fit);
}

void WinPositionAtCursor(HWND hwnd, int cx, int cy, uint32_t fit)
{
    POINT pt;
    GetCursorPos(&pt);
    if (cx == 0 && cy == 0) {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        cx = rc.right - rc.left;
        cy = rc.bottom - rc.top;
    }
    PlaceRect r = {pt.x - cx / 2, pt.y - cy / 2, cx, cy};
    apply(hwnd, &r, fit);
}

/* A window opened from another (its frame): centred over that window and
 * kept on the screen, wherever the menu or click that opened it left the
 * cursor (at the cursor it lay over the frame's top-left corner after a
 * menu command); at the cursor when it has no opener. */
void WinPositionNear(HWND hwnd, HWND opener, int cx, int cy, uint32_t fit)
{
    if (opener && IsWindow(opener))
        WinCentreOnWindow(hwnd, opener, cx, cy, fit);
    else
        WinPositionAtCursor(hwnd, cx, cy, fit);
}

void WinPositionAtCursorChars(HWND hwnd, int columns, int rows)
{
    int cw = 0, lh = 0;
    WinGetCharSize(hwnd, winFonts.mainFont, &cw, &lh);
    if (cw <= 0) {
        cw = 5;
        lh = 13;
    }
    WinPositionAtCursor(hwnd, columns * cw, rows * lh, 0);
}

void WinFitRect(PlaceRect *r, int clamp, uint32_t fit)
{
    AreaRect a = WinChooseFitArea(UtilDisplayLayout(), r, tkHost.wholeDesktop);
    WinFitRectIn(r, clamp, fit, &a);
}

void WinFitRectSaved(PlaceRect pair[2], int clamp, uint32_t fit)
{
    WinFitRect(&pair[UtilDisplayLayout()->monitors > 1 ? 1 : 0], clamp, fit);
}

void WinFitWindowRect(HWND hwnd, PlaceRect *r, int clamp, uint32_t fit)
{
    WinFitRect(r, clamp, fit);
    SetWindowPos(hwnd, NULL, r->x, r->y, r->cx, r->cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

int WinPointInClient(HWND hwnd, POINT screen)
{
    if (!hwnd)
        return 0;
    RECT rc;
    GetClientRect(hwnd, &rc);
    ScreenToClient(hwnd, &screen);
    return PtInRect(&rc, screen);
}
