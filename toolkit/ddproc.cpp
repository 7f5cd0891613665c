/* Dynamic dialog window procedures: the wrapped dialog window (WinProc,
 * DlgProc and their shared handling), the subclass procedures of the
 * standard controls with the engine's keyboard rules, tab changes, focus
 * movement and the default button. */
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include "ddint.h"
#include "cstrace.h"
#include "tklogic.h"
#include "tkutil.h"

/* ---- subclassing: one saved class procedure per kind ---- */

enum DDKindId {
    K_EDIT, K_BUTTON, K_CHECK, K_RADIO, K_COMBO, K_COMBOEDIT, K_LIST, K_RICH, K_TAB,
    K_PROGRESS, K_SPINNER, K_UBUTTON, K_ULIST, K_ULISTS, K_ULISTT, K_COUNT, K_NONE = -1
};
static const char *const kindNames[K_COUNT] = {
    "EditProc", "ButtonProc", "CheckProc", "RadioProc", "ComboProc", "ComboEditProc",
    "ListProc", "RichEditProc", "TabProc", "ProgressProc", "SpinnerProc", "UButtonProc",
    "UListProc", "UListProcS", "UListProcT"};
static WNDPROC classProc[K_COUNT];

static int kind_of_type(int t)
{
    switch (t) {
    case DD_EDIT: case DD_MULTIEDIT: return K_EDIT;
    case DD_BUTTON: return K_BUTTON;
    case DD_CHECKBOX: return K_CHECK;
    case DD_RADIO: return K_RADIO;
    case DD_COMBOBOX: return K_COMBO;
    case DD_LISTBOX: return K_LIST;
    case DD_RICHEDIT: return K_RICH;
    case DD_TABCTL: return K_TAB;
    case DD_PROGRESS: return K_PROGRESS;
    case DD_SPINNER: return K_SPINNER;
    case DD_UBUTTON: return K_UBUTTON;
    case DD_ULISTBOX: return K_ULIST;
    case DD_ULISTBOXS: return K_ULISTS;
    case DD_ULISTBOXT: return K_ULISTT;
    }
    return K_NONE;
}

static LRESULT CALLBACK FieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
static LRESULT CALLBACK ComboEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

void DDSubclass(DDField *f, HWND hwnd)
{
    int k = kind_of_type(DD_TYPE(f));
    if (k == K_NONE)
        return;
    WNDPROC old = (WNDPROC)SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)FieldProc);
    if (!classProc[k] && old != FieldProc)
        classProc[k] = old;
    SetPropA(hwnd, "DDCLASSPROC", (HANDLE)old);
    if (k == K_COMBO) {
        HWND edit = GetDlgItem(hwnd, 1001);
        if (!edit)
            edit = FindWindowExA(hwnd, nullptr, "Edit", nullptr);
        if (edit) {
            SetWindowLongPtrA(edit, GWLP_USERDATA, (LONG_PTR)f);
            WNDPROC eold = (WNDPROC)SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)ComboEditProc);
            if (!classProc[K_COMBOEDIT] && eold != ComboEditProc)
                classProc[K_COMBOEDIT] = eold;
            SetPropA(edit, "DDCLASSPROC", (HANDLE)eold);
        }
    }
}

static DDField *field_of(HWND hwnd, DDHANDLE *dd)
{
    DDField *f = (DDField *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    *dd = f ? DDHandleOfField(f) : nullptr;
    return *dd ? f : nullptr;
}

/* ---- focus movement and the default button ---- */

static int can_focus(DDField *f)
{
    switch (DD_TYPE(f)) {
    case DD_STATIC: case DD_GROUP: case DD_GROUPBOX: case DD_SPANE: case DD_SPACER:
    case DD_SEPARATOR: case DD_SPIN: case DD_SPIN_IND: case DD_ENGINEGROUP: case DD_TAB:
    case DD_ROOT: case DD_SPLITLR: case DD_SPLITTB:
        return 0;
    }
    return f->hwnd && IsWindowVisible(f->hwnd) && IsWindowEnabled(f->hwnd) && DDShowable(f);
}

static void bring_into_view(DDHANDLE dd, DDField *f)
{
    for (DDField *o = f->scrollOrigin; o; o = o->scrollOrigin) {
        if (!o->hwnd)
            break;
        int ch = o->vscroll.unit ? o->vscroll.unit : 1;
        int start = f->y / ch, count = (f->cy + ch - 1) / ch;
        int32_t before = o->vscroll.position;
        int32_t target;
        if (o->vscroll.page && ScrollIntoViewTarget(o->vscroll.position, o->vscroll.page, start,
                                                    count ? count : 1, &target)) {
            o->vscroll.position = target;
            SetScrollPos(o->hwnd, SB_VERT, target, TRUE);
        }
        if (before != o->vscroll.position)
            DDMoveFields(dd, DD_TYPE(o) == DD_ROOT ? o : o->child);
        if (o == o->scrollOrigin)
            break;
        f = o;
    }
}

int DDTabToNext(DDHANDLE dd, DDField *from, int backwards)
{
    if (!dd || dd->count == 0)
        return 0;
    int n = dd->count;
    int inArray = from && from >= dd->fields && from < dd->fields + n;
    int cur = inArray ? (int)(from - dd->fields) : backwards ? n : -1;
    DDField *target = nullptr;
    for (int step = 1; step <= n && !target; step++) {
        int i = backwards ? cur - step : cur + step;
        i = ((i % n) + n) % n;
        DDField *f = &dd->fields[i];
        if (!can_focus(f))
            continue;
        if (!backwards && DD_TYPE(f) == DD_EDIT && (f->value & (1u << 29)))
            continue;
        target = f;
    }
    if (!target)
        return 0;
    bring_into_view(dd, target);
    SetFocus(target->hwnd);
    return 1;
}

/* the first shown and enabled BUTTON row with BS_DEFPUSHBUTTON */
static DDField *default_button(DDHANDLE dd)
{
    for (int i = 0; dd && i < dd->count; i++) {
        DDField *f = &dd->fields[i];
        if (DD_TYPE(f) != DD_BUTTON || !f->row || (f->row->style & 0xF) != BS_DEFPUSHBUTTON)
            continue;
        if (!DDShowable(f) || (f->hwnd && !IsWindowEnabled(f->hwnd)) ||
            (!f->hwnd && (f->handFlags & DDH_DISABLED)))
            continue;
        return f;
    }
    return nullptr;
}

int DDPressDefault(DDHANDLE dd)
{
    DDField *f = default_button(dd);
    if (!f)
        return 0;
    HWND parent = f->hwnd ? GetParent(f->hwnd) : dd->root.hwnd;
    if (f->winParent && f->winParent->hwnd)
        parent = f->winParent->hwnd;
    PostMessageA(parent, WM_COMMAND, MAKEWPARAM(f->row->id, 0), (LPARAM)f->hwnd);
    return 1;
}

/* ---- tab change ---- */

void DDTabChange(DDHANDLE dd, DDField *tab)
{
    if (!tab->hwnd)
        return;
    int sel = (int)SendMessageA(tab->hwnd, TCM_GETCURSEL, 0, 0);
    if (sel < 0) {
        sel = 0;
        SendMessageA(tab->hwnd, TCM_SETCURSEL, 0, 0);
    }
    TCITEMA item = {};
    item.mask = TCIF_PARAM;
    SendMessageA(tab->hwnd, TCM_GETITEMA, (WPARAM)sel, (LPARAM)&item);
    DDField *page = (DDField *)item.lParam;
    if (!page)
        return;
    tab->page = page;
    for (DDField *p = tab->child; p; p = p->next)
        if (p != page)
            DDReleaseControl(dd, p);
    DDLayout(dd);
    InvalidateRect(tab->hwnd, nullptr, TRUE);
    for (int i = 0; i < dd->count; i++)
        dd->fields[i].created = 0;
}

/* ---- the dialog window ---- */

static int is_scroll_field(DDHANDLE dd, HWND w)
{
    if (!(dd->state & 2) || !w)
        return 0;
    DDField *f = (DDField *)GetWindowLongPtrA(w, GWLP_USERDATA);
    return f && DDHandleOfField(f) == dd && DD_TYPE(f) == DD_SCROLL;
}

void DDScrollPane(DDHANDLE dd, DDField *pane, UINT msg, WPARAM wp, LPARAM lp)
{
    int32_t h = pane->hscroll.position, v = pane->vscroll.position;
    ScrollHandleMessage(pane->hwnd, &pane->hscroll, &pane->vscroll, msg, wp, lp, nullptr);
    if (h != pane->hscroll.position || v != pane->vscroll.position) {
        DDMoveFields(dd, DD_TYPE(pane) == DD_ROOT ? pane : pane->child);
        InvalidateRect(pane->hwnd, nullptr, TRUE);
    }
}

static void paint_owner_button(DDField *f, const DRAWITEMSTRUCT *di);

LRESULT DDCommonMessage(DDHANDLE dd, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, int *handled)
{
    *handled = 0;
    switch (msg) {
    case WM_SIZE:
        if (CSTraceIsOn())
            CSTrace(1, "Main Window Sized (%d,%d)\n", LOWORD(lp), HIWORD(lp));
        if (dd->state & 1)
            DDLayout(dd);
        break;
    case WM_GETMINMAXINFO:
        /* a window never smaller than shows all its controls */
        if ((dd->state & 1) && !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
            SIZE need;
            DDCalcMinSize(dd, &need);
            RECT rc = {0, 0, need.cx, need.cy};
            AdjustWindowRectEx(&rc, GetWindowLongA(hwnd, GWL_STYLE), GetMenu(hwnd) != nullptr,
                               GetWindowLongA(hwnd, GWL_EXSTYLE));
            MINMAXINFO *mm = (MINMAXINFO *)lp;
            mm->ptMinTrackSize.x = rc.right - rc.left;
            mm->ptMinTrackSize.y = rc.bottom - rc.top;
        }
        break;
    case WM_ERASEBKGND:
        if (dd->root.brush) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect((HDC)wp, &rc, *dd->root.brush);
            *handled = 1;
            return 1;
        }
        break;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT *di = (const DRAWITEMSTRUCT *)lp;
        DDField *f = di ? (DDField *)GetWindowLongPtrA(di->hwndItem, GWLP_USERDATA) : nullptr;
        if (f && DDHandleOfField(f) == dd &&
            (((DD_TYPE(f) == DD_BUTTON || DD_TYPE(f) == DD_CHECKBOX) && (f->value & 2)) ||
             DD_TYPE(f) == DD_UBUTTON)) {
            *handled = 1;
            if (DD_TYPE(f) == DD_UBUTTON)
                return SendMessageA(di->hwndItem, msg, wp, lp);
            paint_owner_button(f, di);
            return 1;
        }
        break;
    }
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: {
        HBRUSH b = DDCtlColour(hwnd, msg, (HDC)wp, (HWND)lp);
        if (b) {
            *handled = 1;
            return (LRESULT)b;
        }
        break;
    }
    case WM_NOTIFY: {
        const NMHDR *nm = (const NMHDR *)lp;
        if (nm && nm->code == (UINT)TCN_SELCHANGE) {
            DDField *f = (DDField *)GetWindowLongPtrA(nm->hwndFrom, GWLP_USERDATA);
            if (f && DDHandleOfField(f) == dd && DD_TYPE(f) == DD_TABCTL)
                DDTabChange(dd, f);
        }
        break;
    }
    case WM_HSCROLL: case WM_VSCROLL: case WM_MOUSEWHEEL:
        if (msg != WM_MOUSEWHEEL && is_scroll_field(dd, (HWND)lp)) {
            InvalidateRect((HWND)lp, nullptr, FALSE);
            break;
        }
        if (msg != WM_MOUSEWHEEL && lp)
            break;   /* an up-down control or other child: the dialog's procedure */
        DDScrollPane(dd, &dd->root, msg, wp, lp);
        *handled = 1;
        return 0;
    }
    return 0;
}

LRESULT CALLBACK DDWinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WNDPROC old = (WNDPROC)GetWindowLongPtrA(hwnd, DD_WB_SAVEDPROC);
    DDHANDLE dd = DDFindHandle(hwnd);
    int traced = CSTraceIsOn();
    if (traced)
        CSTraceMsgIn("WinProc", hwnd, msg, wp, lp);
    LRESULT r = 0;
    int handled = 0;
    if (dd && dd->root.hwnd == hwnd)
        r = DDCommonMessage(dd, hwnd, msg, wp, lp, &handled);
    if (!handled)
        r = old ? CallWindowProcA(old, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
    if (traced)
        CSTraceMsgOut("WinProc", hwnd, msg, (uint64_t)r);
    return r;
}

/* the modal dialog being started (ddcreate.cpp) */
extern DDFieldDef *ddPendingTable;
extern DLGPROC ddPendingProc;

static INT_PTR dlg_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

INT_PTR CALLBACK DDDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (!CSTraceIsOn())
        return dlg_message(hwnd, msg, wp, lp);
    CSTraceMsgIn("DlgProc", hwnd, msg, wp, lp);
    INT_PTR r = dlg_message(hwnd, msg, wp, lp);
    CSTraceMsgOut("DlgProc", hwnd, msg, (uint64_t)r);
    return r;
}

static INT_PTR dlg_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        DDHANDLE dd = nullptr;
        int rc = DDCreate(hwnd, ddPendingTable, 13, &dd);
        if (rc) {
            EndDialog(hwnd, rc);
            return TRUE;
        }
        DDModalHandle = dd;
        dd->dialogProc = (WNDPROC)ddPendingProc;
        SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) | WS_CLIPCHILDREN);
        return ddPendingProc ? ddPendingProc(hwnd, msg, wp, 0) : TRUE;
    }
    DDHANDLE dd = DDFindHandle(hwnd);
    if (!dd || dd->root.hwnd != hwnd)
        return FALSE;
    int handled = 0;
    LRESULT r = DDCommonMessage(dd, hwnd, msg, wp, lp, &handled);
    if (handled) {
        if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC)
            return (INT_PTR)r;
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, r);
        return TRUE;
    }
    DLGPROC proc = (DLGPROC)dd->dialogProc;
    INT_PTR done = proc ? proc(hwnd, msg, wp, lp) : FALSE;
    if (!done && msg == DM_GETDEFID) {
        /* Return in the modal loop: the row's default button, not IDOK (the
         * dialog manager never saw the engine's BS_DEFPUSHBUTTON, and an
         * owner-drawn button does not report it) */
        DDField *f = default_button(dd);
        if (f) {
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, MAKELONG(f->row->id, DC_HASDEFID));
            return TRUE;
        }
    }
    return done;
}

/* ---- owner-drawn buttons ---- */

static void paint_owner_button(DDField *f, const DRAWITEMSTRUCT *di)
{
    HDC dc = di->hDC;
    RECT rc = di->rcItem;
    HBRUSH brush = f->brush ? *f->brush : GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &rc, brush);
    int pressed = (di->itemState & (ODS_SELECTED | ODS_CHECKED)) != 0;
    RECT edge = rc;
    DrawEdge(dc, &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    char text[101];
    GetWindowTextA(di->hwndItem, text, sizeof text);
    RECT tr = edge;
    if (pressed)
        OffsetRect(&tr, 2, 2);
    DDHANDLE dd = DDHandleOfField(f);
    HGDIOBJ old = SelectObject(dc, dd ? DDFieldFontOf(dd, f) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    if (di->itemState & ODS_DISABLED) {
        RECT e = tr;
        OffsetRect(&e, 1, 1);
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextA(dc, text, -1, &e, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SetTextColor(dc, DDButtonFaceColour());
    } else {
        SetTextColor(dc, f->textColour ? *f->textColour : GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextA(dc, text, -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    if (di->itemState & ODS_FOCUS) {
        RECT fr = edge;
        InflateRect(&fr, -ddCxEdge, -ddCyEdge);
        DrawFocusRect(dc, &fr);
    }
}

/* ---- rich edit sized to its text ---- */

static void size_rich_to_text(DDHANDLE dd, DDField *f, const char *text)
{
    if (!text)
        text = "";
    int limit = GetSystemMetrics(SM_CXFULLSCREEN) / 2;
    HDC dc = GetDC(f->hwnd);
    HGDIOBJ old = SelectObject(dc, DDFieldFontOf(dd, f));
    int widest = 0, height = 0;
    const char *p = text;
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    int lh = tm.tmHeight;
    while (*p || p == text) {
        /* one line: as many words as stay within the limit */
        const char *start = p, *lastBreak = nullptr;
        int width = 0;
        while (*p && *p != '\n') {
            const char *q = p;
            while (*q && *q != ' ' && *q != '\n')
                q++;
            while (*q == ' ')
                q++;
            SIZE s;
            GetTextExtentPoint32A(dc, start, (int)(q - start), &s);
            if (s.cx + 30 > limit && lastBreak)
                break;
            if (s.cx + 30 > limit) {
                /* one word wider than the limit: the control breaks it
                 * where the line is full */
                int fit = 0;
                GetTextExtentExPointA(dc, start, (int)(q - start), limit - 30, &fit, nullptr, &s);
                p = start + (fit > 0 ? fit : 1);
                width = limit;
                break;
            }
            width = s.cx + 30;
            lastBreak = q;
            p = q;
        }
        if (width > widest)
            widest = width;
        height += lh;
        if (*p == '\r')
            p++;
        if (*p == '\n')
            p++;
        if (!*p)
            break;
        (void)start;
    }
    SelectObject(dc, old);
    ReleaseDC(f->hwnd, dc);
    int w = widest + 2 * ddCxEdge + 8, h = height + 2 * ddCyEdge + 4;
    const DDFieldDef *r = f->row;
    if (r) {
        int mnx = (int)(r->minCx < 0 ? -r->minCx : r->minCx), mny = (int)(r->minCy < 0 ? -r->minCy : r->minCy);
        int mxx = (int)(r->maxCx < 0 ? -r->maxCx : r->maxCx), mxy = (int)(r->maxCy < 0 ? -r->maxCy : r->maxCy);
        if (mxx && w > mxx) w = mxx;
        if (mxy && h > mxy) h = mxy;
        if (w < mnx) w = mnx;
        if (h < mny) h = mny;
    }
    f->minCx = f->maxCx = w;
    f->minCy = f->maxCy = h;
    f->state |= DDS_TEXTSIZED;
    dd->sizesValid = 0;
}

/* ---- engine-painted tabs ---- */

static void paint_tab(HDC dc, DDHANDLE dd, DDField *f, HWND hwnd, int index, int selected, LONG style)
{
    RECT rc;
    if (!SendMessageA(hwnd, TCM_GETITEMRECT, (WPARAM)index, (LPARAM)&rc))
        return;
    COLORREF back = f->backColour ? *f->backColour : GetSysColor(COLOR_BTNFACE);
    int buttons = (style & TCS_BUTTONS) != 0;
    COLORREF fill = selected && buttons ? DDShadeColour(back, 30) : !selected && !buttons ? DDShadeColour(back, -7) : back;
    HBRUSH brush = CreateSolidBrush(fill);
    if (selected && !buttons)
        InflateRect(&rc, 2, 2);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    UINT sides = BF_RECT;
    if (selected && !buttons)
        sides = (style & TCS_VERTICAL) ? ((style & TCS_RIGHT) ? BF_TOP | BF_RIGHT | BF_BOTTOM : BF_LEFT | BF_TOP | BF_BOTTOM)
                : (style & TCS_BOTTOM) ? BF_LEFT | BF_RIGHT | BF_BOTTOM : BF_LEFT | BF_TOP | BF_RIGHT;
    UINT edge = buttons ? (selected ? EDGE_SUNKEN : ((style & TCS_FLATBUTTONS) ? 0 : EDGE_RAISED))
                        : (selected ? EDGE_RAISED : EDGE_ETCHED);
    RECT er = rc;
    if (edge)
        DrawEdge(dc, &er, edge, sides);
    char text[101] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(hwnd, TCM_GETITEMA, (WPARAM)index, (LPARAM)&item);
    HGDIOBJ old = SelectObject(dc, DDFieldFontOf(dd, f));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, f->textColour ? *f->textColour : GetSysColor(COLOR_BTNTEXT));
    if (style & TCS_VERTICAL)
        DrawRotatedText(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE, (style & TCS_RIGHT) ? 270 : 90);
    else
        DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    if (selected && GetFocus() == hwnd) {
        InflateRect(&rc, -3, -3);
        DrawFocusRect(dc, &rc);
    }
}

static void paint_tabs(DDHANDLE dd, DDField *f, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH brush = f->brush ? *f->brush : GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &rc, brush);
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    RECT page = rc;
    SendMessageA(hwnd, TCM_ADJUSTRECT, FALSE, (LPARAM)&page);
    if (!(style & TCS_BUTTONS)) {
        InflateRect(&page, 2, 2);
        DrawEdge(dc, &page, EDGE_RAISED, BF_RECT);
    }
    int n = (int)SendMessageA(hwnd, TCM_GETITEMCOUNT, 0, 0);
    int sel = (int)SendMessageA(hwnd, TCM_GETCURSEL, 0, 0);
    for (int i = 0; i < n; i++)
        if (i != sel)
            paint_tab(dc, dd, f, hwnd, i, 0, style);
    if (sel >= 0)
        paint_tab(dc, dd, f, hwnd, sel, 1, style);
    EndPaint(hwnd, &ps);
}

/* ---- the subclass procedures ---- */

static int wants_return(DDField *f, HWND hwnd)
{
    int t = DD_TYPE(f);
    return (t == DD_EDIT || t == DD_MULTIEDIT || t == DD_RICHEDIT) &&
           (GetWindowLongA(hwnd, GWL_STYLE) & ES_WANTRETURN);
}

/* the keyboard rules every field shares; 1 when the message is consumed */
static int field_keys(DDHANDLE dd, DDField *f, HWND hwnd, int kind, UINT msg, WPARAM wp,
                      LRESULT *result)
{
    *result = 0;
    switch (msg) {
    case WM_KEYDOWN:
        if (wp == VK_TAB) {
            DDTabToNext(dd, f, GetKeyState(VK_SHIFT) < 0);
            return 1;
        }
        if (wp == VK_RETURN) {
            if (wants_return(f, hwnd))
                return 0;
            return DDPressDefault(dd);
        }
        if (wp == VK_ESCAPE) {
            if (kind == K_COMBO || kind == K_PROGRESS || kind == K_SPINNER || kind == K_UBUTTON)
                return 0;
            if (kind == K_COMBOEDIT && SendMessageA(f->hwnd, CB_GETDROPPEDSTATE, 0, 0))
                return 0;
            if (dd->flags & DDC_ESCAPECLOSES) {
                PostMessageA(dd->root.hwnd, WM_CLOSE, 0, 0);
                return 1;
            }
            return 0;
        }
        if ((kind == K_BUTTON) && (dd->flags & DDC_UNDOKEYS) && GetKeyState(VK_CONTROL) < 0 &&
            (wp == 'Z' || wp == 'Y')) {
            PostMessageA(dd->root.hwnd, wp == 'Z' ? DDM_UNDO : DDM_REDO, 0, 0);
            return 1;
        }
        break;
    case WM_KEYUP: case WM_CHAR:
        if (wp == VK_TAB || (msg == WM_CHAR && wp == '\t'))
            return 1;
        if (wp == VK_RETURN || (msg == WM_CHAR && wp == '\r'))
            return !wants_return(f, hwnd);
        break;
    }
    return 0;
}

static LRESULT call_class(int kind, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    WNDPROC p = kind >= 0 ? classProc[kind] : nullptr;
    return p ? CallWindowProcA(p, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

static void pass_to_dialog(DDHANDLE dd, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT *r)
{
    (void)hwnd;
    *r = SendMessageA(dd->root.hwnd, msg, wp, lp);
}

static LRESULT field_message(HWND hwnd, int kind, DDHANDLE dd, DDField *f, UINT msg, WPARAM wp,
                             LPARAM lp)
{
    LRESULT r;
    if (field_keys(dd, f, hwnd, kind, msg, wp, &r))
        return r;
    switch (msg) {
    case WM_GETDLGCODE:
        r = call_class(kind, hwnd, msg, wp, lp);
        /* a radio button asks its own kind as a click ends (and checks
           itself only when it is a radio button's alone): keys are asked
           for with their message */
        if (kind == K_RADIO && !lp)
            return r;
        r |= DLGC_WANTTAB;
        if (kind == K_BUTTON || kind == K_RADIO || kind == K_UBUTTON)
            r |= DLGC_WANTARROWS;
        return r;
    case WM_LBUTTONDBLCLK:
        if ((kind == K_EDIT || kind == K_COMBOEDIT || kind == K_RICH) && (f->type & DDF_DBLCLICK))
            PostMessageA(GetParent(f->hwnd), WM_COMMAND, MAKEWPARAM(f->row->id, 2),
                         (LPARAM)f->hwnd);
        break;
    case WM_SETFONT:
        if (kind == K_BUTTON || kind == K_TAB || kind == K_UBUTTON)
            f->font = (HFONT)wp == DDFont(dd) ? f->font : (HFONT)wp;
        break;
    case WM_ERASEBKGND:
        if (kind == K_BUTTON || (kind == K_EDIT && !(GetWindowLongA(hwnd, GWL_STYLE) & ES_MULTILINE)))
            return 1;
        if (kind == K_TAB && f->brush) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect((HDC)wp, &rc, *f->brush);
            return 1;
        }
        break;
    case WM_DRAWITEM:
        if (kind == K_BUTTON && (f->value & 2)) {
            paint_owner_button(f, (const DRAWITEMSTRUCT *)lp);
            return 1;
        }
        if (kind == K_TAB) {
            pass_to_dialog(dd, hwnd, msg, wp, lp, &r);
            return r;
        }
        break;
    case WM_PAINT:
        if (kind == K_TAB && (f->value & 1)) {
            paint_tabs(dd, f, hwnd);
            return 0;
        }
        if (kind == K_EDIT && !(GetWindowLongA(hwnd, GWL_STYLE) & ES_MULTILINE)) {
            /* the background first, in the field's brush or the parent's */
            HDC dc = GetDC(hwnd);
            HBRUSH b = f->brush ? *f->brush
                                : (HBRUSH)SendMessageA(GetParent(hwnd), WM_CTLCOLOREDIT, (WPARAM)dc, (LPARAM)hwnd);
            if (b) {
                RECT rc;
                GetClientRect(hwnd, &rc);
                FillRect(dc, &rc, b);
            }
            ReleaseDC(hwnd, dc);
        }
        break;
    case WM_KILLFOCUS:
        if (kind == K_TAB && (f->value & 1))
            InvalidateRect(hwnd, nullptr, FALSE);
        break;
    case 6032: case 6033:
        if (kind == K_TAB) {
            PostMessageA(GetParent(hwnd), msg, wp, lp);
            return 0;
        }
        break;
    case 7025:
        if (kind == K_TAB)
            return SendMessageA(GetParent(hwnd), msg, wp, lp);
        break;
    case WM_SETTEXT:
        if (kind == K_RICH && (f->value & 1)) {
            r = call_class(kind, hwnd, msg, wp, lp);
            size_rich_to_text(dd, f, (const char *)lp);
            return r;
        }
        break;
    case WM_COMMAND: case WM_NOTIFY: case WM_MEASUREITEM:
        if (kind == K_TAB) {
            pass_to_dialog(dd, hwnd, msg, wp, lp, &r);
            return r;
        }
        break;
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
        if (kind == K_TAB) {
            pass_to_dialog(dd, hwnd, msg, wp, lp, &r);
            return r;
        }
        break;
    }
    return call_class(kind, hwnd, msg, wp, lp);
}

static LRESULT CALLBACK FieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DDHANDLE dd;
    DDField *f = field_of(hwnd, &dd);
    int kind = f ? kind_of_type(DD_TYPE(f)) : K_NONE;
    if (!f || kind == K_NONE) {
        /* a control whose field is gone: its own class procedure */
        WNDPROC p = (WNDPROC)GetPropA(hwnd, "DDCLASSPROC");
        if (msg == WM_NCDESTROY)
            RemovePropA(hwnd, "DDCLASSPROC");
        return p ? CallWindowProcA(p, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
    }
    int traced = CSTraceIsOn();
    if (traced)
        CSTraceMsgIn(kindNames[kind], hwnd, msg, wp, lp);
    LRESULT r = field_message(hwnd, kind, dd, f, msg, wp, lp);
    if (traced)
        CSTraceMsgOut(kindNames[kind], hwnd, msg, (uint64_t)r);
    return r;
}

static LRESULT CALLBACK ComboEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DDHANDLE dd;
    DDField *f = field_of(hwnd, &dd);
    if (!f) {
        WNDPROC p = (WNDPROC)GetPropA(hwnd, "DDCLASSPROC");
        if (msg == WM_NCDESTROY)
            RemovePropA(hwnd, "DDCLASSPROC");
        return p ? CallWindowProcA(p, hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
    }
    if (msg == WM_SETTEXT && (f->state & DDS_PLACING))
        return 0;
    return field_message(hwnd, K_COMBOEDIT, dd, f, msg, wp, lp);
}
