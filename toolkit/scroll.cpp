/* Scroll-bar state: scroll-bar, wheel and program requests, resizing,
 * changing totals and suspended bar updates. */
#include "tkscroll.h"
#include "tklogic.h"

static int wheel_lines = -1;
static int hbar_height = -1, vbar_width = -1;

int32_t ScrollLargest(const ScrollState *s)
{
    int32_t m = s->total - (int32_t)s->page;
    return m > 0 ? m : 0;
}

void ScrollSetWheelLines(int lines)
{
    wheel_lines = lines;
}

/* the system's wheel-scroll lines, read once */
static int get_wheel_lines(void)
{
    if (wheel_lines < 0) {
        UINT n = 3;
        if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &n, 0))
            n = 3;
        wheel_lines = (int)n;
    }
    return wheel_lines;
}

/* one step: limit the change, move the position and the content */
void ScrollStep(HWND hwnd, ScrollState *s, int vertical, int64_t change, HWND companion)
{
    int64_t lo = -(int64_t)s->position, hi = (int64_t)ScrollLargest(s) - s->position;
    if (change < lo) change = lo;
    if (change > hi) change = hi;
    if (change == 0)
        return;
    s->position += (int32_t)change;
    int unit = s->unit ? s->unit : 1;
    int pixels = (int)(-change * unit);
    HWND wins[2] = {hwnd, companion};
    for (HWND w : wins) {
        if (!w)
            continue;
        ScrollWindowEx(w, vertical ? 0 : pixels, vertical ? pixels : 0, NULL, NULL, NULL, NULL,
                       SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
        UpdateWindow(w);
    }
    if (!(s->flags & SCROLL_SUSPENDED))
        SetScrollPos(hwnd, vertical ? SB_VERT : SB_HORZ, s->position, TRUE);
}

void ScrollIntoView(HWND hwnd, ScrollState *s, int vertical, int32_t start, int32_t count,
                    HWND companion)
{
    int32_t target;
    if (s && ScrollIntoViewTarget(s->position, s->page, start, count, &target))
        ScrollStep(hwnd, s, vertical, (int64_t)target - s->position, companion);
}

/* request 3: both positions from lParam, bars moved, nothing scrolled */
static void set_positions(HWND hwnd, ScrollState *h, ScrollState *v, LPARAM lp)
{
    ScrollState *st[2] = {h, v};
    int32_t want[2] = {LOWORD(lp), HIWORD(lp)};
    for (int i = 0; i < 2; i++) {
        if (!st[i])
            continue;
        int32_t m = ScrollLargest(st[i]);
        st[i]->position = want[i] < m ? want[i] : m;
        SetScrollPos(hwnd, i ? SB_VERT : SB_HORZ, st[i]->position, TRUE);
    }
}

/* the change a scroll-bar code asks for; 0 with *ok clear ends it */
static int64_t bar_change(HWND hwnd, ScrollState *s, int vertical, int code, int *ok)
{
    *ok = 1;
    switch (code) {
    case SB_LINEUP: return -1;
    case SB_LINEDOWN: return 1;
    case SB_PAGEUP: return s->page ? -(int64_t)s->page : -1;
    case SB_PAGEDOWN: return s->page ? s->page : 1;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO si = {sizeof si, SIF_TRACKPOS};
        GetScrollInfo(hwnd, vertical ? SB_VERT : SB_HORZ, &si);
        return (int64_t)si.nTrackPos - s->position;
    }
    case SB_TOP: return -(int64_t)s->position;
    case SB_BOTTOM: return (int64_t)s->total - s->position;
    }
    *ok = 0;
    return 0;
}

/* wheel: 120 / lines per step, Shift scrolls sideways by 10 */
static void wheel(HWND hwnd, ScrollState *h, ScrollState *v, WPARAM wp, HWND companion)
{
    int lines = get_wheel_lines();
    if (lines <= 0)
        return;
    int unit = 120 / lines;
    if (unit <= 0)
        unit = 1;
    int delta = (short)HIWORD(wp);
    int steps = delta / unit;
    if (steps < 0) steps = -steps;
    int shift = (LOWORD(wp) & MK_SHIFT) != 0;
    ScrollState *s = shift ? h : v;
    if (!s)
        return;
    int amount = shift ? 10 : 1;
    int sign = delta > 0 ? -1 : 1;
    for (int i = 0; i < steps; i++)
        ScrollStep(hwnd, s, !shift, sign * amount, companion);
}

LRESULT ScrollHandleMessage(HWND hwnd, ScrollState *h, ScrollState *v, UINT msg, WPARAM wp,
                            LPARAM lp, HWND companion)
{
    int ok;
    switch (msg) {
    case SCROLL_REQ_SETPOS:
        set_positions(hwnd, h, v, lp);
        break;
    case SCROLL_REQ_INVIEW:
        if (h)
            ScrollIntoView(hwnd, h, 0, LOWORD(wp), HIWORD(wp), companion);
        if (v)
            ScrollIntoView(hwnd, v, 1, LOWORD(lp), HIWORD(lp), companion);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        int vert = msg == WM_VSCROLL;
        ScrollState *s = vert ? v : h;
        if (!s)
            break;
        int64_t change = bar_change(hwnd, s, vert, LOWORD(wp), &ok);
        if (ok)
            ScrollStep(hwnd, s, vert, change, companion);
        break;
    }
    case WM_MOUSEWHEEL:
        wheel(hwnd, h, v, wp, companion);
        break;
    }
    return 0;
}

LRESULT ScrollMessage(HWND hwnd, ScrollState *h, ScrollState *v, UINT msg, WPARAM wp, LPARAM lp)
{
    return ScrollHandleMessage(hwnd, h, v, msg, wp, lp, NULL);
}

/* whether the bar holds the range, page and position of si already (and
 * so is enabled, or disabled, as setting them would leave it) */
static int shown_as(HWND hwnd, int bar, const SCROLLINFO *si, SCROLLINFO *now)
{
    if (!GetScrollInfo(hwnd, bar, now))
        return 0;
    /* as the system keeps them: the page at most the range, the position
       between the first and the last one a whole page shows */
    int64_t range = (int64_t)si->nMax - si->nMin + 1;
    int64_t page = (int64_t)si->nPage > range ? range : si->nPage;
    int64_t last = si->nMax - (page > 1 ? page - 1 : 0), pos = si->nPos;
    if (pos > last)
        pos = last;
    if (pos < si->nMin)
        pos = si->nMin;
    if (now->nMin != si->nMin || now->nMax != si->nMax || (int64_t)now->nPage != page || now->nPos != pos)
        return 0;
    SCROLLBARINFO sbi = {sizeof sbi};
    if (!GetScrollBarInfo(hwnd, bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &sbi))
        return 0;
    if (sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE)
        return 0;
    const DWORD off = STATE_SYSTEM_UNAVAILABLE;
    int scrolls = si->nMax - si->nMin >= (int)(si->nPage ? si->nPage : 1);
    int bothOff = (sbi.rgstate[1] & off) && (sbi.rgstate[5] & off);
    int anyOff = (sbi.rgstate[0] & off) || (sbi.rgstate[1] & off) || (sbi.rgstate[5] & off);
    if (scrolls)
        return !anyOff;
    return (si->fMask & SIF_DISABLENOSCROLL) && bothOff;
}

/* one bar: keep the position in range and tell Windows */
static void update_bar(HWND hwnd, ScrollState *s, int bar, int selected)
{
    if (s->nesting > 2)
        s->nesting = 0;
    if (s->nesting == 2)
        return;
    s->nesting++;
    if (s->position != 0 && (int64_t)s->position + s->page > s->total) {
        int32_t p = s->total - (int32_t)s->page;
        s->position = p > 0 ? p : 0;
        InvalidateRect(hwnd, NULL, TRUE);
    }
    if (selected && !(s->flags & SCROLL_SUSPENDED)) {
        SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS};
        if (s->flags & SCROLL_DISABLENOSCROLL)
            si.fMask |= SIF_DISABLENOSCROLL;
        si.nMin = 0;
        si.nMax = s->total > 1 ? s->total - 1 : 0;
        si.nPage = s->page;
        si.nPos = s->position;
        /* the system draws the whole bar again at every call, even with
           nothing changed (a themed bar costs milliseconds): a bar that
           already shows these values is left as it is */
        SCROLLINFO now = {sizeof now, SIF_RANGE | SIF_PAGE | SIF_POS};
        if (!shown_as(hwnd, bar, &si, &now))
            SetScrollInfo(hwnd, bar, &si, TRUE);
    }
    s->nesting--;
}

void ScrollUpdateBars(HWND hwnd, ScrollState *h, ScrollState *v, int which)
{
    if (h)
        update_bar(hwnd, h, SB_HORZ, which & 1);
    if (v)
        update_bar(hwnd, v, SB_VERT, which & 2);
}

void ScrollSizeChanged(HWND hwnd, ScrollState *h, ScrollState *v)
{
    if (hbar_height < 0) {
        hbar_height = GetSystemMetrics(SM_CYHSCROLL);
        vbar_width = GetSystemMetrics(SM_CXVSCROLL);
    }
    if (h && v && h->page < h->total && v->page < v->total) {
        int64_t hu = h->unit ? h->unit : 1, vu = v->unit ? v->unit : 1;
        if ((int64_t)h->page * hu + hbar_height >= (int64_t)h->total * hu &&
            (int64_t)v->page * vu + vbar_width >= (int64_t)v->total * vu) {
            h->page = (uint16_t)h->total;
            v->page = (uint16_t)v->total;
        }
    }
    ScrollUpdateBars(hwnd, h, v, 3);
}

void ScrollSetTotal(HWND hwnd, ScrollState *h, ScrollState *v, int32_t total, int update)
{
    (void)v;
    if (!h)
        return;
    if ((h->flags & SCROLL_FOLLOWEND) && (int64_t)h->position + h->page >= h->total) {
        int32_t p = total - (int32_t)h->page;
        h->position = p > 0 ? p : 0;
    }
    h->total = total;
    h->needed = total > (int32_t)h->page;
    if (update)
        ScrollUpdateBars(hwnd, h, NULL, 1);
}

void ScrollEnableUpdates(HWND hwnd, ScrollState *h, ScrollState *v, int enable)
{
    ScrollState *st[2] = {h, v};
    for (ScrollState *s : st)
        if (s) {
            if (enable) s->flags &= ~SCROLL_SUSPENDED;
            else s->flags |= SCROLL_SUSPENDED;
        }
    if (enable)
        ScrollUpdateBars(hwnd, h, v, 3);
}

void ScrollNoop(HWND, ScrollState *, ScrollState *)
{
}
