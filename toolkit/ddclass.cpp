/* The dialog engine's own window classes: group boxes (DDGROUPBOX),
 * scrolling panes (DDSPANE), twisty headers (DDTWISTY), separators
 * (DDSEPARATOR) and the two-pane splitter (DDSPLIT). */
#include <windows.h>
#include "ddint.h"
#include "cstrace.h"

static DDField *class_field(HWND hwnd, DDHANDLE *dd)
{
    DDField *f = (DDField *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    *dd = (DDHANDLE)GetWindowLongPtrA(hwnd, DD_WB_HANDLE);
    if (!f || !*dd || DDHandleOfField(f) != *dd)
        return nullptr;
    return f;
}

/* a class procedure with the window-message trace around it */
static LRESULT traced(const char *name, LRESULT (*body)(HWND, UINT, WPARAM, LPARAM), HWND hwnd,
                      UINT msg, WPARAM wp, LPARAM lp)
{
    if (!CSTraceIsOn())
        return body(hwnd, msg, wp, lp);
    CSTraceMsgIn(name, hwnd, msg, wp, lp);
    LRESULT r = body(hwnd, msg, wp, lp);
    CSTraceMsgOut(name, hwnd, msg, (uint64_t)r);
    return r;
}

static HBRUSH field_brush(const DDField *f)
{
    return f->brush ? *f->brush : GetSysColorBrush(COLOR_BTNFACE);
}

/* messages every container window hands to the dialog window; 1 when done */
static int to_dialog(DDHANDLE dd, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT *r)
{
    switch (msg) {
    case WM_COMMAND: case WM_NOTIFY: case WM_DRAWITEM: case WM_MEASUREITEM:
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case 1253:
        *r = SendMessageA(dd->root.hwnd, msg, wp, lp);
        return 1;
    case 6032: case 6033:
        PostMessageA(GetParent(hwnd), msg, wp, lp);
        *r = 0;
        return 1;
    case 7025:
        *r = SendMessageA(GetParent(hwnd), msg, wp, lp);
        return 1;
    }
    return 0;
}

/* ---- DDGROUPBOX ---- */

static void draw_embossed(HDC dc, const char *text, RECT rc, UINT fmt)
{
    SetBkMode(dc, TRANSPARENT);
    RECT e = rc;
    OffsetRect(&e, 1, 1);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, text, -1, &e, fmt);
    SetTextColor(dc, DDButtonFaceColour());
    DrawTextA(dc, text, -1, &rc, fmt);
}

static UINT edge_kind(uint32_t v)
{
    static const UINT kinds[] = {EDGE_ETCHED, EDGE_RAISED, EDGE_BUMP, EDGE_SUNKEN};
    return v < 4 ? kinds[v] : EDGE_ETCHED;
}

static void paint_groupbox(DDHANDLE dd, DDField *f, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, field_brush(f));
    int w = rc.right, h = rc.bottom;
    if (!(f->type & DDF_FILL)) {
        if (f->maxCx && w > f->maxCx) w = f->maxCx;
        if (f->maxCy && h > f->maxCy) h = f->maxCy;
    }
    RECT frame = {f->marginL / 2, f->marginT / 2, w - f->marginR / 2, h - f->marginB / 2};
    int enabled = IsWindowEnabled(hwnd);
    if (f->value != 4)
        DrawEdge(dc, &frame, edge_kind(f->value), BF_RECT | (enabled ? 0 : BF_MONO));
    const char *text = f->row ? f->row->text : nullptr;
    if (text && *text) {
        HGDIOBJ old = SelectObject(dc, DDFieldFontOf(dd, f));
        SIZE s;
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
        RECT tr = {frame.left + dd->cw, frame.top - dd->ch / 2, frame.left + dd->cw + s.cx,
                   frame.top - dd->ch / 2 + dd->ch};
        if (enabled) {
            SetTextColor(dc, f->textColour ? *f->textColour : RGB(0, 0, 0));
            SetBkColor(dc, f->backColour ? *f->backColour : GetSysColor(COLOR_BTNFACE));
            SetBkMode(dc, OPAQUE);
            DrawTextA(dc, text, -1, &tr, DT_SINGLELINE | DT_NOPREFIX);
        } else {
            draw_embossed(dc, text, tr, DT_SINGLELINE | DT_NOPREFIX);
        }
        SelectObject(dc, old);
    }
    EndPaint(hwnd, &ps);
}

static LRESULT DDGroupBoxProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

LRESULT CALLBACK DDGroupBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return traced("GroupBoxProc", DDGroupBoxProc_body, hwnd, msg, wp, lp);
}

static LRESULT DDGroupBoxProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DDHANDLE dd;
    DDField *f = class_field(hwnd, &dd);
    LRESULT r;
    if (!f)
        return DefWindowProcA(hwnd, msg, wp, lp);
    if (to_dialog(dd, hwnd, msg, wp, lp, &r))
        return r;
    switch (msg) {
    case WM_HSCROLL: case WM_VSCROLL:
        return SendMessageA(dd->root.hwnd, msg, wp, lp);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint_groupbox(dd, f, hwnd);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- DDSPANE ---- */

static LRESULT DDSpaneProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

LRESULT CALLBACK DDSpaneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return traced("SpaneProc", DDSpaneProc_body, hwnd, msg, wp, lp);
}

static LRESULT DDSpaneProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DDHANDLE dd;
    DDField *f = class_field(hwnd, &dd);
    LRESULT r;
    if (!f)
        return DefWindowProcA(hwnd, msg, wp, lp);
    if (to_dialog(dd, hwnd, msg, wp, lp, &r))
        return r;
    switch (msg) {
    case WM_SIZE:
        if (!f->child) {
            DDTrap(2081, 0);
            break;
        }
        if (CSTraceIsOn())
            CSTrace(1, "Spane Window Sized (%d,%d)\n", LOWORD(lp), HIWORD(lp));
        if (!(f->state & DDS_PLACING) && (dd->state & 1)) {
            /* the pane's own size (its client area shrinks with its scroll bars) */
            RECT rc;
            GetWindowRect(hwnd, &rc);
            f->state |= DDS_PLACING;
            DDSizePane(dd, f, f->x, f->y, rc.right - rc.left, rc.bottom - rc.top);
            f->state &= ~DDS_PLACING;
        }
        break;
    case WM_HSCROLL: case WM_VSCROLL: case WM_MOUSEWHEEL: {
        HWND from = (HWND)lp;
        DDField *sf = from && msg != WM_MOUSEWHEEL ? (DDField *)GetWindowLongPtrA(from, GWLP_USERDATA) : nullptr;
        if (sf && DDHandleOfField(sf) == dd && DD_TYPE(sf) == DD_SCROLL)
            return SendMessageA(dd->root.hwnd, msg, wp, lp);
        if (from && msg != WM_MOUSEWHEEL)
            return SendMessageA(dd->root.hwnd, msg, wp, lp);
        DDScrollPane(dd, f, msg, wp, lp);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, field_brush(f));
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- DDTWISTY ---- */

void DDApplyTwisty(DDHANDLE dd, DDField *t)
{
    if (!t->child)
        return;
    int hide = (t->value & 1) || (t->handFlags & DDH_COLLAPSED) || (t->type & DDF_HIDDEN);
    for (DDField *s = t->next; s; s = s->next) {
        if (hide)
            s->handFlags |= DDH_COLLAPSED;
        else
            s->handFlags &= ~DDH_COLLAPSED;
        if (s == t->child)
            break;
    }
    if (!hide)
        for (DDField *s = t->next; s; s = s->next) {
            if (DD_TYPE(s) == DD_TWISTY && s != t)
                DDApplyTwisty(dd, s);
            if (s == t->child)
                break;
        }
    for (DDField *p = t->parent; p; p = p->parent)
        p->state |= DDS_REPLACE;
    dd->sizesValid = 0;
}

static void twisty_toggle(DDHANDLE dd, DDField *f)
{
    f->value ^= 1;
    DDApplyTwisty(dd, f);
    DDLayout(dd);
    InvalidateRect(dd->root.hwnd, nullptr, TRUE);
}

static void paint_twisty(DDHANDLE dd, DDField *f, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, field_brush(f));
    int shift = (f->state & DDS_DRAWNPRESSED) ? 2 : 0;
    OffsetRect(&rc, shift, shift);
    uint32_t v = f->value;
    int collapsed = v & 1;
    if ((v & 64) && f->twisty[0]) {
        HBITMAP bm = (f->state & DDS_DRAWNPRESSED) && f->twisty[2] ? f->twisty[2]
                     : collapsed ? f->twisty[1] : f->twisty[0];
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, bm);
        TransparentBlt(dc, 4 + shift, 4 + shift, 16, 16, mem, 0, 0, 16, 16, GetPixel(mem, 0, 0));
        SelectObject(mem, old);
        DeleteDC(mem);
    } else {
        int h = rc.bottom - rc.top;
        int cx = (v & 8) ? rc.right - 12 : rc.left + 12, cy = rc.top + h / 2;
        int hw, hh;
        if (collapsed && !(v & 16)) { hw = 6; hh = h / 5; }
        else { hw = 4; hh = h / 4; }
        POINT pt[3];
        if (!collapsed) {            /* points down */
            pt[0] = {cx - hw, cy - hh}; pt[1] = {cx + hw, cy - hh}; pt[2] = {cx, cy + hh};
        } else if (v & 16) {         /* points up */
            pt[0] = {cx - hw, cy + hh}; pt[1] = {cx + hw, cy + hh}; pt[2] = {cx, cy - hh};
        } else {                     /* points right */
            pt[0] = {cx - hh, cy - hw}; pt[1] = {cx - hh, cy + hw}; pt[2] = {cx + hh, cy};
        }
        COLORREF colour = f->textColour ? *f->textColour : RGB(0x80, 0x80, 0x80);
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        HBRUSH fill = (v & 2) ? CreateSolidBrush(colour) : nullptr;
        HGDIOBJ op = SelectObject(dc, pen);
        HGDIOBJ ob = SelectObject(dc, fill ? (HGDIOBJ)fill : GetStockObject(NULL_BRUSH));
        Polygon(dc, pt, 3);
        SelectObject(dc, op);
        SelectObject(dc, ob);
        DeleteObject(pen);
        if (fill)
            DeleteObject(fill);
    }
    const char *text = f->row ? f->row->text : nullptr;
    if (text && *text) {
        HGDIOBJ old = SelectObject(dc, DDFieldFontOf(dd, f));
        RECT tr = rc;
        if (!(v & 8))
            tr.left += 24;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, f->textColour ? *f->textColour : GetSysColor(COLOR_BTNTEXT));
        DrawTextA(dc, text, -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(dc, old);
    }
    if (f->state & DDS_FOCUS) {
        RECT fr;
        GetClientRect(hwnd, &fr);
        DrawFocusRect(dc, &fr);
    }
    EndPaint(hwnd, &ps);
}

static int inside(HWND hwnd, LPARAM lp)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    POINT p = {(short)LOWORD(lp), (short)HIWORD(lp)};
    return PtInRect(&rc, p);
}

static void set_drawn(HWND hwnd, DDField *f, int pressed)
{
    uint32_t before = f->state;
    if (pressed)
        f->state |= DDS_DRAWNPRESSED;
    else
        f->state &= ~DDS_DRAWNPRESSED;
    if (before != f->state)
        InvalidateRect(hwnd, nullptr, FALSE);
}

static LRESULT DDTwistyProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

LRESULT CALLBACK DDTwistyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return traced("TwistyProc", DDTwistyProc_body, hwnd, msg, wp, lp);
}

static LRESULT DDTwistyProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DDHANDLE dd;
    DDField *f = class_field(hwnd, &dd);
    if (!f)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        f->state |= DDS_PRESSED;
        set_drawn(hwnd, f, 1);
        return 0;
    case WM_MOUSEMOVE:
        if (f->state & DDS_PRESSED)
            set_drawn(hwnd, f, inside(hwnd, lp));
        return 0;
    case WM_LBUTTONUP:
        if (f->state & DDS_PRESSED) {
            ReleaseCapture();
            f->state &= ~DDS_PRESSED;
            set_drawn(hwnd, f, 0);
            if (inside(hwnd, lp))
                twisty_toggle(dd, f);
        }
        return 0;
    case WM_CAPTURECHANGED:   /* the capture taken away ends the press */
        if (f->state & DDS_PRESSED) {
            f->state &= ~DDS_PRESSED;
            set_drawn(hwnd, f, 0);
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (wp == VK_SPACE) { set_drawn(hwnd, f, 1); return 0; }
        if (wp == VK_TAB) { DDTabToNext(dd, f, GetKeyState(VK_SHIFT) < 0); return 0; }
        if (wp == VK_RETURN) { DDPressDefault(dd); return 0; }
        break;
    case WM_KEYUP:
        if (wp == VK_SPACE) {
            set_drawn(hwnd, f, 0);
            twisty_toggle(dd, f);
            return 0;
        }
        if (wp == VK_TAB)
            return 0;
        break;
    case WM_CHAR:
        if (wp == '\t')
            return 0;
        break;
    case WM_SETFOCUS: case WM_KILLFOCUS:
        if (msg == WM_SETFOCUS) f->state |= DDS_FOCUS; else f->state &= ~DDS_FOCUS;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint_twisty(dd, f, hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- DDSEPARATOR ---- */

static LRESULT DDSeparatorProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

LRESULT CALLBACK DDSeparatorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return traced("SeparatorProc", DDSeparatorProc_body, hwnd, msg, wp, lp);
}

static LRESULT DDSeparatorProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DDHANDLE dd;
    DDField *f = class_field(hwnd, &dd);
    if (!f)
        return DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_ERASEBKGND)
        return 1;
    if (msg != WM_PAINT)
        return DefWindowProcA(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, field_brush(f));
    RECT line = {0, rc.bottom / 2 - 1, rc.right, rc.bottom / 2 + 1};
    DrawEdge(dc, &line, edge_kind(f->value), BF_TOP);
    const char *text = f->row ? f->row->text : nullptr;
    if (text && *text) {
        HGDIOBJ old = SelectObject(dc, DDFieldFontOf(dd, f));
        SIZE s;
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
        RECT tr = {3 * dd->cw, 0, 3 * dd->cw + s.cx + 4, rc.bottom};
        SetTextColor(dc, f->textColour ? *f->textColour : GetSysColor(COLOR_BTNTEXT));
        SetBkColor(dc, f->backColour ? *f->backColour : GetSysColor(COLOR_BTNFACE));
        SetBkMode(dc, OPAQUE);
        DrawTextA(dc, text, -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
        SelectObject(dc, old);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

/* ---- DDSPLIT ---- */

static HPEN splitPens[3];
static const uint8_t barPattern[12] = {2, 1, 1, 2, 0, 2, 2, 1, 2, 0, 0, 2};

static void split_pens(void)
{
    if (splitPens[0])
        return;
    splitPens[0] = CreatePen(PS_SOLID, 1, RGB(0x80, 0x80, 0x80));
    splitPens[1] = CreatePen(PS_SOLID, 1, RGB(0xFF, 0xFF, 0xFF));
    splitPens[2] = CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0));
}

static int near_bar(DDField *f, int pos)
{
    return pos >= f->bar - 3 && pos <= f->bar + 3;
}

static LRESULT DDSplitProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

LRESULT CALLBACK DDSplitProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return traced("SplitProc", DDSplitProc_body, hwnd, msg, wp, lp);
}

static LRESULT DDSplitProc_body(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DDHANDLE dd;
    DDField *f = class_field(hwnd, &dd);
    LRESULT r;
    if (!f)
        return DefWindowProcA(hwnd, msg, wp, lp);
    if (to_dialog(dd, hwnd, msg, wp, lp, &r))
        return r;
    int lr = DD_TYPE(f) == DD_SPLITLR;
    int pos = lr ? (short)LOWORD(lp) : (short)HIWORD(lp);
    LPCSTR cursor = lr ? IDC_SIZEWE : IDC_SIZENS;
    switch (msg) {
    case WM_SIZE:
        if (!(f->state & DDS_PLACING) && (dd->state & 1)) {
            f->cx = LOWORD(lp);
            f->cy = HIWORD(lp);
            DDPlaceSplit(dd, f);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        split_pens();
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, field_brush(f));
        HGDIOBJ old = SelectObject(dc, splitPens[0]);
        for (int i = 0; i < 12; i++) {
            SelectObject(dc, splitPens[barPattern[i]]);
            int p = f->bar - 1 + i - 5;
            if (lr) { MoveToEx(dc, p, 0, nullptr); LineTo(dc, p, rc.bottom); }
            else { MoveToEx(dc, 0, p, nullptr); LineTo(dc, rc.right, p); }
        }
        SelectObject(dc, old);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (near_bar(f, pos)) {
            SetCapture(hwnd);
            f->handFlags |= DDH_DRAGGING;
            f->dragOffset = pos - f->bar;
            SetCursor(LoadCursor(nullptr, cursor));
        }
        return 0;
    case WM_MOUSEMOVE:
        if (f->handFlags & DDH_DRAGGING) {
            int extent = lr ? f->cx : f->cy;
            int bar = pos - f->dragOffset;
            int top = lr ? extent : extent - 1;
            if (bar > top) bar = top;
            if (bar < 0) bar = 0;
            if (bar != f->bar && extent > 0) {
                f->value = (uint32_t)(((int64_t)bar * 100000 + extent / 2) / extent);
                DDPlaceSplit(dd, f);
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            SetCursor(LoadCursor(nullptr, cursor));
        } else if (near_bar(f, pos)) {
            SetCursor(LoadCursor(nullptr, cursor));
        }
        return 0;
    case WM_LBUTTONUP:
        if (f->handFlags & DDH_DRAGGING) {
            f->handFlags &= ~DDH_DRAGGING;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:   /* the capture taken away ends the drag */
        f->handFlags &= ~DDH_DRAGGING;
        return 0;
    case DDM_SPLITSET:
        f->value = (uint32_t)wp;
        DDPlaceSplit(dd, f);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case DDM_SPLITGET:
        return f->value;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}
