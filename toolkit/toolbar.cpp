/* TBCTL: the program's toolbar, a row of image buttons (wrapped onto
 * further rows when the bar is too narrow) with hot tracking, check
 * buttons in exclusive groups, stretchable gaps, a shared tooltip and
 * frame bands above and below. */
#include "tktoolbar.h"
#include "tkutil.h"
#include "tkpriv.h"
#include <commctrl.h>

struct ToolbarState {
    HWND hwnd;
    uint32_t style;
    HBRUSH *light, *middle, *dark;
    COLORREF colour;
    HBRUSH colourBrush;
    uint8_t pressed, pressedInside;
    RECT pressedRect;
    int32_t pressedButton;
    int32_t hot;
    RECT hotRect;
    HWND tipFor;
    HWND tooltip;
    int32_t sepWidth, bandHeight, unit, barHeight, imageWidth, imageHeight;
    int32_t width, height;
    int32_t count;
    ToolbarButton buttons[1];
};

static HBRUSH default_light, default_middle, default_dark;
static char tip_text[256];
static int class_registered;

static ToolbarState *state_of(HWND hwnd)
{
    return hwnd ? (ToolbarState *)GetWindowLongPtrA(hwnd, GWLP_USERDATA) : NULL;
}

/* the button with a command id, -1 when none */
static int find_id(ToolbarState *t, int32_t id)
{
    for (int i = 0; i < t->count; i++)
        if (t->buttons[i].id == id && id != 0)
            return i;
    return -1;
}

/* band heights above and below the buttons */
static int top_band(const ToolbarState *t) { return (t->style & TBS_TOPBANDS) ? t->bandHeight : 0; }
static int bottom_band(const ToolbarState *t) { return (t->style & TBS_BOTTOMBANDS) ? t->bandHeight : 0; }

/* the cell of a button: its row's band of the bar */
static RECT button_rect(ToolbarState *t, int i)
{
    int32_t x, row;
    TbWrapPlace(t->buttons, t->count, t->width, i, &x, &row);
    int top = top_band(t) + row * t->barHeight;
    return {x, top, x + t->buttons[i].width, top + t->barHeight};
}

/* the button under a point, -1 when none */
static int hit(ToolbarState *t, POINT pt, RECT *rc)
{
    for (int i = 0; i < t->count; i++) {
        RECT r = button_rect(t, i);
        if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top - top_band(t) && pt.y < r.bottom + bottom_band(t)) {
            if (rc)
                *rc = {r.left, r.top - top_band(t), r.right, r.bottom + 4};
            return i;
        }
    }
    return -1;
}

/* tick a button and clear the others of its group */
static void tick(ToolbarState *t, int i, int on)
{
    ToolbarButton *b = &t->buttons[i];
    if (on && b->group)
        for (int k = 0; k < t->count; k++)
            if (k != i && t->buttons[k].group == b->group)
                t->buttons[k].flags &= ~(TBB_TICKED | TBB_PRESSED);
    if (on) b->flags |= TBB_TICKED | TBB_PRESSED;
    else b->flags &= ~(TBB_TICKED | TBB_PRESSED);
}

/* a band of two pixels */
static void draw_band(ToolbarState *t, HDC dc, RECT r, uint32_t bits, uint32_t unitBit, int top)
{
    if (bits == unitBit) {
        FillRect(dc, &r, *t->dark);
        return;
    }
    static const UINT edge[] = {EDGE_ETCHED, EDGE_RAISED, EDGE_BUMP, EDGE_SUNKEN};
    for (int k = 0; k < 4; k++)
        if (bits & (unitBit << (k + 1))) {
            UINT flags = k == 3 ? (top ? BF_TOP : BF_BOTTOM) : BF_RECT;
            DrawEdge(dc, &r, edge[k], flags);
            return;
        }
}

/* the image of a button, its top-left pixel transparent */
static void draw_image(ToolbarState *t, HDC dc, HBITMAP bm, RECT slot, int shift)
{
    if (!bm)
        return;
    BITMAP info;
    GetObject(bm, sizeof info, &info);
    int w = info.bmWidth < t->imageWidth ? info.bmWidth : t->imageWidth;
    int h = info.bmHeight < t->imageHeight ? info.bmHeight : t->imageHeight;
    if (w > slot.right - slot.left) w = slot.right - slot.left;
    if (h > slot.bottom - slot.top) h = slot.bottom - slot.top;
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, bm);
    int x = slot.left + (slot.right - slot.left - w) / 2 + shift;
    int y = slot.top + (slot.bottom - slot.top - h) / 2 + shift;
    DrawTransparentBitmap(dc, x, y, w, h, src, 0, 0, w, h, GetPixel(src, 0, 0));
    SelectObject(src, old);
    DeleteDC(src);
}

/* a separator: a bump line as wide as the separator width, centred in
 * its slot (the edge is cut to that width: it would draw two pixels) */
static void draw_separator(ToolbarState *t, HDC dc, RECT slot)
{
    RECT s = {slot.left + (slot.right - slot.left - t->sepWidth) / 2, slot.top, 0, slot.bottom};
    s.right = s.left + t->sepWidth;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, s.left, s.top, s.right, s.bottom);
    DrawEdge(dc, &s, EDGE_BUMP, BF_LEFT);
    RestoreDC(dc, saved);
}

static void draw_button(ToolbarState *t, HDC dc, int i, RECT r)
{
    ToolbarButton *b = &t->buttons[i];
    FillRect(dc, &r, *t->light);
    if (b->id == 0) {
        if (b->flags & TBB_SEP)
            draw_separator(t, dc, r);
        return;
    }
    int hot = (b->flags & TBB_HOT) != 0;
    HBITMAP image = (HBITMAP)b->normal;
    if (b->flags & TBB_PRESSED) {
        RECT e = r;
        DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT);
        image = (HBITMAP)(b->pressed ? b->pressed : b->normal);
    } else {
        if ((b->flags & TBB_ALT) && b->alternate)
            image = (HBITMAP)b->alternate;
        RECT e = r;
        if (hot && (t->style & TBS_HOTBUMP) && !(t->style & TBS_NOHOT))
            DrawEdge(dc, &e, EDGE_BUMP, BF_RECT);
        else if (!(t->style & TBS_FLAT))
            DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
        else
            InflateRect(&r, -2, -2);
    }
    RECT inner = r;
    InflateRect(&inner, -2, -2);
    if (b->flags & TBB_DISABLED) {
        if (!t->colourBrush)
            t->colourBrush = CreateSolidBrush(t->colour);
        FillRect(dc, &inner, t->colourBrush);
    } else if (hot && !(t->style & (TBS_NOHOT | TBS_HOTBUMP)) && !(b->flags & TBB_PRESSED)) {
        FillRect(dc, &inner, *t->middle);
    }
    draw_image(t, dc, image, r, (b->flags & TBB_PRESSED) ? 1 : 0);
    if ((b->flags & TBB_ALT) && !b->alternate && !(b->flags & TBB_PRESSED)) {
        RECT f = inner;
        FrameRect(dc, &f, (HBRUSH)GetStockObject(BLACK_BRUSH));
        InflateRect(&f, -1, -1);
        FrameRect(dc, &f, (HBRUSH)GetStockObject(BLACK_BRUSH));
    }
}

static void paint(ToolbarState *t, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(t->hwnd, msg, wp, &ps);
    RECT cr;
    GetClientRect(t->hwnd, &cr);
    int top = top_band(t), bottom = cr.bottom - bottom_band(t);
    RECT buttons = {0, top, cr.right, bottom};
    FillRect(dc, &buttons, *t->light);
    int lastTop = top + (TbWrapRows(t->buttons, t->count, t->width) - 1) * t->barHeight;
    for (int i = 0; i < t->count; i++) {
        RECT r = button_rect(t, i), in;
        if (r.top >= lastTop || r.bottom > bottom)
            r.bottom = bottom;           /* the last row takes what is left */
        if (t->buttons[i].width > 0 && IntersectRect(&in, &r, &ps.rcPaint))
            draw_button(t, dc, i, r);
    }
    if (top) {
        RECT band = {0, 0, cr.right, top};
        FillRect(dc, &band, *t->light);
        draw_band(t, dc, band, t->style & TBS_TOPBANDS, 0x100, 1);
    }
    if (bottom_band(t)) {
        RECT band = {0, bottom, cr.right, cr.bottom};
        FillRect(dc, &band, *t->light);
        draw_band(t, dc, band, t->style & TBS_BOTTOMBANDS, 0x8, 0);
    }
    TkEndPaint(t->hwnd, msg, &ps);
}

/* repaint one button */
static void repaint_button(ToolbarState *t, int i)
{
    if (i < 0)
        return;
    RECT r = button_rect(t, i);
    r.top -= top_band(t);
    r.bottom += bottom_band(t);
    InvalidateRect(t->hwnd, &r, FALSE);
}

/* whether a button takes the mouse: a ticked button of a group stays
 * ticked until another is chosen; a toggle of no group is clicked off */
static int clickable(const ToolbarButton *b)
{
    return b->id && !(b->flags & (TBB_DISABLED | TBB_INERT)) &&
           !((b->flags & TBB_CHECK) && (b->flags & TBB_TICKED) && b->group);
}

static void mouse_move(ToolbarState *t, LPARAM lp)
{
    TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, t->hwnd, 0};
    TrackMouseEvent(&tme);
    POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
    if (t->pressed) {
        int in = PtInRect(&t->pressedRect, pt);
        if (in != t->pressedInside) {
            ToolbarButton *b = &t->buttons[t->pressedButton];
            t->pressedInside = (uint8_t)in;
            int ticked = (b->flags & TBB_TICKED) != 0;
            /* held: drawn pressed (a ticked check button released) */
            if (in != ticked) b->flags |= TBB_PRESSED;
            else b->flags &= ~TBB_PRESSED;
            repaint_button(t, t->pressedButton);
        }
        return;
    }
    RECT rc;
    int i = hit(t, pt, &rc);
    if (i == t->hot)
        return;
    if (t->hot >= 0) {
        t->buttons[t->hot].flags &= ~TBB_HOT;
        repaint_button(t, t->hot);
    }
    t->hot = -1;
    if (i >= 0 && clickable(&t->buttons[i])) {
        t->hot = i;
        t->hotRect = rc;
        t->buttons[i].flags |= TBB_HOT;
        repaint_button(t, i);
    }
}

static void mouse_down(ToolbarState *t, LPARAM lp)
{
    POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
    RECT rc;
    int i = hit(t, pt, &rc);
    if (i < 0 || !clickable(&t->buttons[i]))
        return;
    SetCapture(t->hwnd);
    t->pressed = t->pressedInside = 1;
    t->pressedButton = i;
    t->pressedRect = rc;
    ToolbarButton *b = &t->buttons[i];
    if (b->flags & TBB_TICKED) b->flags &= ~TBB_PRESSED;
    else b->flags |= TBB_PRESSED;
    repaint_button(t, i);
}

static void mouse_up(ToolbarState *t, LPARAM lp)
{
    if (!t->pressed)
        return;
    ReleaseCapture();
    t->pressed = 0;
    int i = t->pressedButton;
    ToolbarButton *b = &t->buttons[i];
    POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
    int same = hit(t, pt, NULL) == i && PtInRect(&t->pressedRect, pt);
    if (b->flags & TBB_TICKED) b->flags |= TBB_PRESSED;
    else b->flags &= ~TBB_PRESSED;
    if (same) {
        if (b->flags & TBB_FLIPALT)
            b->flags ^= TBB_ALT;
        if (b->flags & TBB_CHECK)
            tick(t, i, !(b->flags & TBB_TICKED));
        SendMessageA(GetParent(t->hwnd), WM_COMMAND, MAKEWPARAM(b->id, 0), 0);
        if (t->tooltip) {
            SendMessageA(t->tooltip, TTM_ACTIVATE, FALSE, 0);
            SendMessageA(t->tooltip, TTM_ACTIVATE, TRUE, 0);
        }
    }
    InvalidateRect(t->hwnd, NULL, FALSE);
}

/* tooltip notifications: the text of the button a tool stands for, else
 * of the button under the cursor */
static LRESULT on_notify(ToolbarState *t, NMHDR *nm)
{
    if (nm->code == TTN_GETDISPINFOA) {
        NMTTDISPINFOA *di = (NMTTDISPINFOA *)nm;
        int i = (int)nm->idFrom - 1;
        if (i < 0) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(t->hwnd, &pt);
            i = hit(t, pt, NULL);
        }
        tip_text[0] = 0;
        if (i >= 0 && i < t->count && t->buttons[i].text)
            TbTooltipText(t->buttons[i].text, tip_text, sizeof tip_text);
        di->lpszText = tip_text;
    }
    return 0;
}

/* a tool of the tooltip: a button with a command, over its cell on its row */
static void tool_info(ToolbarState *t, int i, TOOLINFOA *ti)
{
    memset(ti, 0, sizeof *ti);
    ti->cbSize = sizeof *ti;
    ti->uFlags = TTF_SUBCLASS;
    ti->hwnd = t->hwnd;
    ti->uId = (UINT_PTR)i + 1;
    ti->lpszText = LPSTR_TEXTCALLBACKA;
    RECT r = button_rect(t, i);
    ti->rect = {r.left, r.top - top_band(t), r.right, r.bottom + bottom_band(t)};
}

/* the tools follow the buttons when the widths are shared out again */
static void place_tools(ToolbarState *t)
{
    for (int i = 0; t->tooltip && i < t->count; i++) {
        if (!t->buttons[i].id)
            continue;
        TOOLINFOA ti;
        tool_info(t, i, &ti);
        SendMessageA(t->tooltip, TTM_NEWTOOLRECTA, 0, (LPARAM)&ti);
    }
}

/* the tooltip: one tool per button, text by callback */
static void make_tooltip(ToolbarState *t)
{
    t->tooltip = CreateWindowExA(0, "tooltips_class32", NULL, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, t->hwnd, NULL,
                                 TkInstance(), NULL);
    if (!t->tooltip)
        return;
    SetWindowPos(t->tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(t->tooltip, TTM_ACTIVATE, TRUE, 0);
    for (int i = 0; i < t->count; i++) {
        if (!t->buttons[i].id)
            continue;
        TOOLINFOA ti;
        tool_info(t, i, &ti);
        SendMessageA(t->tooltip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
    }
    SendMessageA(t->tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 200);
}

static void on_destroy(ToolbarState *t)
{
    if (t->tooltip)
        DestroyWindow(t->tooltip);
    if (t->colourBrush)
        DeleteObject(t->colourBrush);
    SetWindowLongPtrA(t->hwnd, GWLP_USERDATA, 0);
    CSFreeMem(t);
}

static LRESULT CALLBACK TbWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        ToolbarState *t = (ToolbarState *)((CREATESTRUCTA *)lp)->lpCreateParams;
        t->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)t);
    }
    ToolbarState *t = state_of(hwnd);
    if (!t)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY: on_destroy(t); return 0;
    case WM_SIZE:
        t->height = HIWORD(lp);
        if (LOWORD(lp) != t->width) {
            t->width = LOWORD(lp);
            TbShareWidths(t->buttons, t->count, t->width);
            place_tools(t);
            InvalidateRect(hwnd, NULL, FALSE);
        }
        return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT: paint(t, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: mouse_move(t, lp); return 0;
    case WM_LBUTTONDOWN: mouse_down(t, lp); return 0;
    case WM_LBUTTONUP: mouse_up(t, lp); return 0;
    case WM_MOUSELEAVE:
        if (t->hot >= 0 && !t->pressed) {
            t->buttons[t->hot].flags &= ~TBB_HOT;
            repaint_button(t, t->hot);
            t->hot = -1;
        }
        return 0;
    case WM_NOTIFY: return on_notify(t, (NMHDR *)lp);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static constexpr char TbWndProc_name[] = "TbWndProc";

/* the class and the default brushes, once */
static int register_once(void)
{
    if (class_registered)
        return 1;
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = TkTraced<TbWndProc, TbWndProc_name>;
    wc.cbWndExtra = 8;
    wc.hInstance = TkInstance();
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.lpszClassName = TB_CLASS;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return 0;
    default_light = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    default_middle = (HBRUSH)GetStockObject(GRAY_BRUSH);
    default_dark = (HBRUSH)GetStockObject(DKGRAY_BRUSH);
    class_registered = 1;
    return 1;
}

HWND TbCreate(HWND parent, uint32_t style, int count, const ToolbarButton *buttons)
{
    if (!register_once() || count < 0)
        return NULL;
    ToolbarState *t = (ToolbarState *)TkGetMem(sizeof *t + sizeof(ToolbarButton) * (count ? count : 1), "TBCTL");
    if (!t)
        return NULL;
    memcpy(t->buttons, buttons, sizeof(ToolbarButton) * count);
    t->count = count;
    t->style = style;
    t->light = &default_light;
    t->middle = &default_middle;
    t->dark = &default_dark;
    t->hot = -1;
    t->sepWidth = 1;
    t->bandHeight = 2;
    t->unit = 20;
    t->barHeight = 20;
    t->imageWidth = t->imageHeight = 16;
    t->colour = GetSysColor(COLOR_BTNFACE);
    TbPrepareButtons(t->buttons, count);
    RECT pr;
    GetClientRect(parent, &pr);
    HWND bar = CreateWindowExA(0, TB_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, pr.right,
                               t->barHeight + top_band(t) + bottom_band(t), parent, NULL, TkInstance(), t);
    if (!bar) {
        CSFreeMem(t);
        return NULL;
    }
    make_tooltip(t);
    return bar;
}

int TbGetHeight(HWND bar)
{
    ToolbarState *t = state_of(bar);
    return t ? TbWrapRows(t->buttons, t->count, t->width) * t->barHeight + top_band(t) + bottom_band(t) : 0;
}

int TbHeightFor(HWND bar, int width)
{
    ToolbarState *t = state_of(bar);
    if (!t)
        return 0;
    ToolbarButton *shared = (ToolbarButton *)TkGetMem(sizeof *shared * (t->count ? t->count : 1), "TBWRAP");
    if (!shared)
        return TbGetHeight(bar);
    memcpy(shared, t->buttons, sizeof *shared * t->count);
    TbShareWidths(shared, t->count, width);
    int rows = TbWrapRows(shared, t->count, width);
    CSFreeMem(shared);
    return rows * t->barHeight + top_band(t) + bottom_band(t);
}

void TbSetBrushes(HWND bar, HBRUSH *light, HBRUSH *middle, HBRUSH *dark)
{
    ToolbarState *t = state_of(bar);
    if (!t)
        return;
    if (light && *light) t->light = light;
    if (middle && *middle) t->middle = middle;
    if (dark && *dark) t->dark = dark;
    InvalidateRect(bar, NULL, FALSE);
}

void TbSetButtonData(HWND bar, int32_t id, HBITMAP normal, HBITMAP pressed, HBITMAP alternate)
{
    ToolbarState *t = state_of(bar);
    int i = t ? find_id(t, id) : -1;
    if (i < 0)
        return;
    if (normal) t->buttons[i].normal = normal;
    if (pressed) t->buttons[i].pressed = pressed;
    if (alternate) t->buttons[i].alternate = alternate;
    repaint_button(t, i);
}

void TbSetButtonState(HWND bar, int32_t id, int ticked)
{
    ToolbarState *t = state_of(bar);
    int i = t ? find_id(t, id) : -1;
    if (i < 0)
        return;
    /* only the buttons whose look changes are drawn again: a state set
       again as it was (as every message a dialog shows does) costs no
       paint; ticking one clears the others of its group */
    const uint32_t look = TBB_TICKED | TBB_PRESSED;
    ToolbarButton *b = t->buttons;
    if (ticked && b[i].group)
        for (int k = 0; k < t->count; k++)
            if (k != i && b[k].group == b[i].group && (b[k].flags & look))
                repaint_button(t, k);
    uint32_t before = b[i].flags;
    tick(t, i, ticked);
    if ((before ^ b[i].flags) & look)
        repaint_button(t, i);
}

void TbEnableButton(HWND bar, int32_t id, int enable)
{
    ToolbarState *t = state_of(bar);
    int i = t ? find_id(t, id) : -1;
    if (i < 0)
        return;
    uint32_t before = t->buttons[i].flags;
    if (enable) t->buttons[i].flags &= ~TBB_DISABLED;
    else t->buttons[i].flags |= TBB_DISABLED;
    if (before != t->buttons[i].flags)
        repaint_button(t, i);           /* the menu state sets every button at each move */
}

void TbSetColour(HWND bar, COLORREF colour)
{
    ToolbarState *t = state_of(bar);
    if (!t)
        return;
    t->colour = colour;
    if (t->colourBrush) {
        DeleteObject(t->colourBrush);
        t->colourBrush = NULL;
    }
    InvalidateRect(bar, NULL, FALSE);
}

void TbSetStyle(HWND bar, uint32_t style)
{
    ToolbarState *t = state_of(bar);
    if (!t)
        return;
    t->style = style;
    InvalidateRect(bar, NULL, FALSE);
}

const ToolbarButton *TbButtons(HWND bar, int *count)
{
    ToolbarState *t = state_of(bar);
    *count = t ? t->count : 0;
    return t ? t->buttons : NULL;
}
