/* ZKTSELECTIONBOX: a small coloured button over a cell of a grid-like
 * view that drops down into a list of choices, with an edit field above
 * the list for filtering when there are many. */
#include "tklist.h"

struct SelectionBoxState {
    HWND hwnd;
    int32_t mode;                /* SB_MODE_* */
    uint8_t hover, pressed, pressedInside;
    int32_t width, height;
    int32_t cxIn, cyIn, cxOut, cyOut;   /* SM_C?EDGE and twice that */
    int32_t column, row, cellWidth, cellHeight;
    HWND list, edit;
    int32_t editHeight;
    HFONT font;
};

enum { ID_LIST = 1000, ID_EDIT = 1003, FEW_ITEMS = 9, FILTER_CHARS = 99 };

/* previous procedures of the subclassed edit and list (one box at a time) */
static WNDPROC old_edit_proc, old_list_proc;

static SelectionBoxState *state_of(HWND hwnd)
{
    return hwnd ? (SelectionBoxState *)GetWindowLongPtrA(hwnd, GWLP_USERDATA) : NULL;
}

/* Tab, Enter and Escape of a child go to the box */
static LRESULT child_char(HWND hwnd, WPARAM wp, LPARAM lp, WNDPROC old)
{
    HWND box = GetParent(hwnd);
    if (wp == '\t') {
        SendMessageA(box, GetKeyState(VK_SHIFT) < 0 ? LBM_BACKTAB : LBM_TAB, 0, (LPARAM)hwnd);
        return 0;
    }
    if (wp == 13 || wp == 27) {
        SendMessageA(box, WM_CHAR, wp, lp);
        return 0;
    }
    return CallWindowProcA(old, hwnd, WM_CHAR, wp, lp);
}

static LRESULT CALLBACK SelectionEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CHAR)
        return child_char(hwnd, wp, lp, old_edit_proc);
    if (msg == WM_GETDLGCODE)
        return DLGC_WANTALLKEYS;
    return CallWindowProcA(old_edit_proc, hwnd, msg, wp, lp);
}

static LRESULT CALLBACK SelectionListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CHAR)
        return child_char(hwnd, wp, lp, old_list_proc);
    if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_ESCAPE)) {
        SendMessageA(GetParent(hwnd), WM_CHAR, wp == VK_RETURN ? 13 : 27, 0);
        return 0;
    }
    return CallWindowProcA(old_list_proc, hwnd, msg, wp, lp);
}

/* install the subclass procedures on a box's children */
static void subclass(SelectionBoxState *s)
{
    WNDPROC e = (WNDPROC)GetWindowLongPtrA(s->edit, GWLP_WNDPROC);
    WNDPROC l = (WNDPROC)GetWindowLongPtrA(s->list, GWLP_WNDPROC);
    if (e != SelectionEditProc) {
        old_edit_proc = e;
        SetWindowLongPtrA(s->edit, GWLP_WNDPROC, (LONG_PTR)SelectionEditProc);
    }
    if (l != SelectionListProc) {
        old_list_proc = l;
        SetWindowLongPtrA(s->list, GWLP_WNDPROC, (LONG_PTR)SelectionListProc);
    }
}

/* lay out the children for the mode */
static void layout(SelectionBoxState *s)
{
    int inX = s->cxIn + s->cxOut, inY = s->cyIn + s->cyOut;
    switch (s->mode) {
    case SB_MODE_EDITLIST:
        MoveWindow(s->edit, s->cxIn, s->cyIn, s->width - 2 * s->cxIn, s->editHeight, TRUE);
        MoveWindow(s->list, inX, inY + s->editHeight, s->width - 2 * s->cxIn - 2 * s->cxOut,
                   s->height - 2 * inY - s->editHeight, TRUE);
        break;
    case SB_MODE_LIST:
        ShowWindow(s->edit, SW_HIDE);
        MoveWindow(s->list, inX, inY, s->width - 2 * inX, s->height - 2 * inY, TRUE);
        break;
    default:
        ShowWindow(s->edit, SW_HIDE);
        ShowWindow(s->list, SW_HIDE);
        break;
    }
}

/* the item height of the list */
static int item_height(SelectionBoxState *s)
{
    return (int)SendMessageA(s->list, LB_GETITEMHEIGHT, 0, 0);
}

/* size and place a dropped-down box inside the parent */
static void drop_down(SelectionBoxState *s, int mode)
{
    RECT pc;
    GetClientRect(GetParent(s->hwnd), &pc);
    int count = (int)SendMessageA(s->list, LB_GETCOUNT, 0, 0);
    ListBoxState *ls = ListState(s->list);
    int widest = ls ? ls->hs.total : 0;
    int w = widest + 2 * (tkMetrics.cxEdge + tkMetrics.cxEdge2);
    if (w < 10 * tkMetrics.cxEdge2)
        w = 14 * tkMetrics.cxEdge2;
    int h = item_height(s) * count + (count > 8 ? s->editHeight : 0) + 2 * (tkMetrics.cyEdge + tkMetrics.cyEdge2);
    if (w > pc.right) w = pc.right;
    if (h > pc.bottom) {
        h = pc.bottom;
        w += tkMetrics.cxVScroll;
        if (w > pc.right) w = pc.right;
    }
    int x = s->column * s->cellWidth, y = s->row * s->cellHeight;
    if (x + w > pc.right) x = pc.right - w;
    if (y + h > pc.bottom) y = pc.bottom - h;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    SendMessageA(s->list, LBM_REDRAW, 1, 0);
    s->mode = mode;
    ShowWindow(s->list, SW_SHOW);
    ShowWindow(s->edit, mode == SB_MODE_EDITLIST ? SW_SHOW : SW_HIDE);
    SetWindowPos(s->hwnd, HWND_TOP, x, y, w, h, SWP_SHOWWINDOW);
    s->width = w;
    s->height = h;
    layout(s);
    SetFocus(s->hwnd);
}

int ShowSelectionBox(HWND box, int column, int row, int cellWidth, int cellHeight, int mode)
{
    SelectionBoxState *s = state_of(box);
    if (!s)
        return 1;
    if (cellWidth < 0) {
        column = s->column;
        row = s->row;
        cellWidth = s->cellWidth;
        cellHeight = s->cellHeight;
    } else {
        s->column = column;
        s->row = row;
        s->cellWidth = cellWidth;
        s->cellHeight = cellHeight;
    }
    if (mode == SB_MODE_EDITLIST && SendMessageA(s->list, LB_GETCOUNT, 0, 0) < FEW_ITEMS)
        mode = SB_MODE_LIST;
    if (mode == SB_MODE_BUTTON) {
        if (s->mode != SB_MODE_BUTTON) {
            SendMessageA(s->list, LBM_REDRAW, 0, 0);
            ShowWindow(s->edit, SW_HIDE);
            ShowWindow(s->list, SW_HIDE);
        }
        s->mode = SB_MODE_BUTTON;
        SetWindowPos(box, HWND_TOP, column * cellWidth + 1, row * cellHeight + 1, cellWidth - 2,
                     cellHeight - 2, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        InvalidateRect(box, NULL, FALSE);
        return 1;
    }
    drop_down(s, mode);
    return 1;
}

int HideSelectionBox(HWND box)
{
    SelectionBoxState *s = state_of(box);
    if (s && s->mode != SB_MODE_HIDDEN) {
        SendMessageA(s->list, LBM_REDRAW, 0, 0);
        ShowWindow(box, SW_HIDE);
        s->mode = SB_MODE_HIDDEN;
    }
    return 1;
}

static void paint(SelectionBoxState *s, UINT msg, WPARAM wp)
{
    PAINTSTRUCT ps;
    HDC dc = TkBeginPaint(s->hwnd, msg, wp, &ps);
    RECT rc;
    GetClientRect(s->hwnd, &rc);
    if (s->mode == SB_MODE_BUTTON) {
        HBRUSH b = CreateSolidBrush(s->hover ? RGB(255, 0, 0) : RGB(255, 255, 0));
        FillRect(dc, &rc, b);
        DeleteObject(b);
        if (s->hover && s->pressed && s->pressedInside) {
            HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_PEN));
            MoveToEx(dc, rc.left, rc.bottom - 1, NULL);
            LineTo(dc, rc.left, rc.top);
            LineTo(dc, rc.right - 1, rc.top);
            SelectObject(dc, GetStockObject(WHITE_PEN));
            LineTo(dc, rc.right - 1, rc.bottom - 1);
            LineTo(dc, rc.left, rc.bottom - 1);
            SelectObject(dc, old);
        }
    } else {
        FillRect(dc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
        DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
    }
    TkEndPaint(s->hwnd, msg, &ps);
}

/* Enter: accepted; Escape: cancelled */
static void on_char(SelectionBoxState *s, WPARAM ch)
{
    HWND parent = GetParent(s->hwnd);
    if (ch == 13) {
        SendMessageA(parent, CN_ACCEPT, 0, (LPARAM)s->hwnd);
        HideSelectionBox(s->hwnd);
        SetFocus(parent);
    } else if (ch == 27) {
        SendMessageA(parent, CN_CANCEL, 0, (LPARAM)s->hwnd);
        ShowSelectionBox(s->hwnd, 0, 0, -1, 0, SB_MODE_BUTTON);
        HideSelectionBox(s->hwnd);
        SetFocus(parent);
    }
}

static LRESULT on_create(HWND hwnd)
{
    SelectionBoxState *s = (SelectionBoxState *)TkGetMem(sizeof *s, "SB");
    if (!s)
        return -1;
    s->hwnd = hwnd;
    s->edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0,
                              hwnd, (HMENU)ID_EDIT, TkInstance(), NULL);
    s->list = CreateWindowExA(0, ZKT_LISTBOX, "", WS_CHILD | WS_TABSTOP | LBS_NOTIFY | LBS_SORT, 0, 0, 0, 0,
                              hwnd, (HMENU)ID_LIST, TkInstance(), NULL);
    if (!s->edit || !s->list) {
        CSFreeMem(s);
        return -1;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)s);
    subclass(s);
    SendMessageA(s->list, CN_OPTIONS, 0, LBO_KEEPALL);
    s->cxIn = tkMetrics.cxEdge;
    s->cyIn = tkMetrics.cyEdge;
    s->cxOut = tkMetrics.cxEdge2;
    s->cyOut = tkMetrics.cyEdge2;
    s->editHeight = 20;
    return 0;
}

/* the button part's mouse */
static void mouse(SelectionBoxState *s, UINT msg, LPARAM lp)
{
    POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
    RECT rc;
    GetClientRect(s->hwnd, &rc);
    int in = PtInRect(&rc, pt);
    if (msg == WM_LBUTTONDOWN) {
        s->pressed = s->pressedInside = 1;
        SetCapture(s->hwnd);
    } else if (msg == WM_MOUSEMOVE) {
        if (!s->hover) {
            TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, s->hwnd, 0};
            TrackMouseEvent(&tme);
            s->hover = 1;
        }
        if (s->pressed && in != s->pressedInside)
            s->pressedInside = (uint8_t)in;
    } else if (msg == WM_LBUTTONUP) {
        if (!s->pressed)
            return;
        s->pressed = 0;
        ReleaseCapture();
        if (in) {
            SendMessageA(GetParent(s->hwnd), CN_BUTTON, 0, (LPARAM)s->hwnd);
            ShowSelectionBox(s->hwnd, 0, 0, -1, 0, SB_MODE_EDITLIST);
        }
    }
    InvalidateRect(s->hwnd, NULL, FALSE);
}

static LRESULT CALLBACK SelectionBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return on_create(hwnd);
    SelectionBoxState *s = state_of(hwnd);
    if (!s)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        CSFreeMem(s);
        return 0;
    case WM_SIZE: s->width = LOWORD(lp); s->height = HIWORD(lp); layout(s); return 0;
    case WM_SETFOCUS:
        if (s->mode == SB_MODE_EDITLIST) SetFocus(s->edit);
        else if (s->mode == SB_MODE_LIST) SetFocus(s->list);
        return 0;
    case WM_SETTEXT: return SendMessageA(s->edit, msg, wp, lp);
    case WM_SETFONT: {
        s->font = (HFONT)wp;
        SendMessageA(s->edit, msg, wp, lp);
        SendMessageA(s->list, msg, wp, lp);
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, s->font ? s->font : GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICA tm;
        GetTextMetricsA(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        s->editHeight = tm.tmHeight * 3 / 2;
        return 0;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT: paint(s, msg, wp); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CHAR: on_char(s, wp); return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == ID_LIST && HIWORD(wp) == LBN_DBLCLK)
            on_char(s, 13);
        else if (LOWORD(wp) == ID_EDIT && HIWORD(wp) == EN_CHANGE) {
            char text[FILTER_CHARS + 1];
            GetWindowTextA(s->edit, text, sizeof text);
            SendMessageA(s->list, CN_FILTER, 0, (LPARAM)text);
        }
        return 0;
    case LBM_TAB:
    case LBM_BACKTAB:
        if (s->mode == SB_MODE_EDITLIST)
            SetFocus((HWND)lp == s->list ? s->edit : s->list);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: mouse(s, msg, lp); return 0;
    case WM_MOUSELEAVE: s->hover = 0; InvalidateRect(hwnd, NULL, FALSE); return 0;
    case CN_RESUBCLASS: subclass(s); return 1;
    case LB_ADDSTRING: case LB_RESETCONTENT: case LB_GETSEL: case LB_GETCURSEL: case LB_GETTEXT:
    case LB_GETTEXTLEN: case LB_GETCOUNT: case LB_GETITEMDATA: case LB_SETITEMDATA: case LB_SELITEMRANGE:
        return SendMessageA(s->list, msg, wp, lp);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static constexpr char SelectionBoxWndProc_name[] = "SelectionBoxWndProc";
WNDPROC TkSelectionBoxProc(void) { return TkTraced<SelectionBoxWndProc, SelectionBoxWndProc_name>; }
