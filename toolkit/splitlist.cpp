/* ZKTSPLITLIST: a two-pane list, a second view with its title (left)
 * beside a list with its title (right), with a splitter between them;
 * the left pane is shown or hidden on request. */
#include "tklist.h"
#include "bag.h"

struct SplitListState {
    char eye[4];                 /* "MYSL" */
    HWND titleList, titleBuddy;
    uint32_t style;
    COLORREF colour;             /* splitter base colour (1233) */
    BagRecord bag;
};

enum { ID_TITLELIST = 1000, ID_TITLEBUDDY = 1001 };

static SplitListState *state_of(HWND hwnd)
{
    SplitListState *s = TkRecord<SplitListState>(hwnd);
    return s && memcmp(s->eye, "MYSL", 4) == 0 ? s : NULL;
}

/* both panes (on) or the list pane alone (off) */
static int split(SplitListState *s, int on)
{
    SendMessageA(s->titleList, CN_HSCROLLOPTION, on != 0, 0);
    return BagZoomPane(&s->bag, on ? NULL : s->titleList);
}

/* children, cross-links and the layout; 0 when any step fails */
static int build(HWND hwnd, SplitListState *s, const CREATESTRUCTA *cs)
{
    DWORD child = ((uint32_t)cs->style & ~(uint32_t)(WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                                                     WS_VISIBLE)) | WS_CHILD | WS_VISIBLE;
    s->titleList = CreateWindowExA(0, ZKT_TITLELIST, cs->lpszName, child, 0, 0, 0, 0, hwnd,
                                   (HMENU)ID_TITLELIST, TkInstance(), NULL);
    s->titleBuddy = CreateWindowExA(0, ZKT_TITLEBUDDY, cs->lpszName, child, 0, 0, 0, 0, hwnd,
                                    (HMENU)ID_TITLEBUDDY, TkInstance(), NULL);
    if (!s->titleList || !s->titleBuddy)
        return 0;
    HWND list = GetDlgItem(s->titleList, 1000), buddy = GetDlgItem(s->titleBuddy, 1000);
    if (!list || !buddy)
        return 0;
    SendMessageA(list, LBM_SETBUDDY, 0, (LPARAM)buddy);
    SendMessageA(buddy, LBM_SETBUDDY, 0, (LPARAM)list);
    BagPanePlacement place;
    memset(&place, 0, sizeof place);
    if (BagInitialise(&s->bag, hwnd, cs->cx, cs->cy) ||
        BagAdd(&s->bag, s->titleBuddy, 0, 0, 2, 4, &place, NULL) ||
        BagAdd(&s->bag, s->titleList, 2, 0, 4, 4, &place, NULL) || BagValidate(&s->bag))
        return 0;
    return split(s, 0) == 0;
}

static LRESULT on_create(HWND hwnd, const CREATESTRUCTA *cs)
{
    SplitListState *s = (SplitListState *)TkGetMem(sizeof *s, "MYSL");
    if (!s)
        return -1;
    memcpy(s->eye, "MYSL", 4);
    s->style = (uint32_t)cs->style & ~(uint32_t)(WS_VSCROLL | WS_HSCROLL | WS_TABSTOP);
    if (!build(hwnd, s, cs)) {
        CSFreeMem(s);        /* creation completes without a record */
        return 0;
    }
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)s);
    return 0;
}

/* a message to both children, the title list's answer */
static LRESULT to_both(SplitListState *s, UINT msg, WPARAM wp, LPARAM lp)
{
    SendMessageA(s->titleBuddy, msg, wp, lp);
    return SendMessageA(s->titleList, msg, wp, lp);
}

/* the LB_ messages the split list passes on */
static int passes_lb(UINT msg)
{
    return msg >= LB_ADDSTRING && msg <= LB_GETITEMHEIGHT && msg != LB_GETTEXT && msg != LB_GETTEXTLEN &&
           msg != LB_DIR && msg != LB_SELECTSTRING;
}

static LRESULT CALLBACK SplitListWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return on_create(hwnd, (const CREATESTRUCTA *)lp);
    SplitListState *s = state_of(hwnd);
    if (!s)
        return msg == WM_ERASEBKGND ? 1 : DefWindowProcA(hwnd, msg, wp, lp);
    HWND parent = GetParent(hwnd);
    if (passes_lb(msg))
        return to_both(s, msg, wp, lp);
    switch (msg) {
    case LBM_DRAWTITLE: case LBM_BARNEEDED: case LBM_SELCHANGED: case LBM_ITEMSELECTED:
    case CN_HOVER: case CN_HOVEREND: case WM_COMMAND: case WM_DRAWITEM: case WM_MEASUREITEM:
        return SendMessageA(parent, msg, wp, lp);
    case LBM_TITLEDATA: case LBM_REDRAW: case LBM_ISSELECTED: case LBM_REPORT1240:
    case LBM_DELETEUNSELECTED: case LBM_FIXEDWIDTH: case LBM_SETLASTDATA: case LBM_BULKLOAD:
    case LBM_INSERTITEM: case LBM_ADDITEM: case CN_OPTIONS:
        return to_both(s, msg, wp, lp);
    case LBM_SPLIT: return split(s, wp != 0);
    case LBM_GETLIST:
    case LBM_GETTITLE:
        return SendMessageA(wp == 1 ? s->titleList : s->titleBuddy, msg, 0, 0);
    case LBM_SPLITCOLOUR:
        s->colour = (COLORREF)lp;
        return BagSetColour(&s->bag, &s->colour);
    case LBM_TAB: case LBM_BACKTAB: return SendMessageA(parent, msg, wp, (LPARAM)hwnd);
    case CN_ALLOWDRAG: return SendMessageA(s->titleList, msg, wp, lp);
    case CN_DRAGOUT: case CN_DROP: case CN_DRAGBACK: return SendMessageA(parent, msg, (WPARAM)hwnd, lp);
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSTATIC:
        return SendMessageA(parent, msg, wp, (LPARAM)hwnd);
    case WM_SETFONT: to_both(s, msg, wp, lp); return 0;
    case WM_SETFOCUS: SetFocus(s->titleList); return 0;
    case WM_SIZE: BagResize(&s->bag, 0, 0, LOWORD(lp), HIWORD(lp)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_DESTROY:
        SetWindowLongPtrA(hwnd, 0, 0);
        CSFreeMem(s);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static constexpr char SplitListWndProc_name[] = "SplitListWndProc";
WNDPROC TkSplitListProc(void) { return TkTraced<SplitListWndProc, SplitListWndProc_name>; }
