/* "Change List Contents": the window in which the user chooses a list
 * dialog's columns, their order and the sort columns.  The chosen columns
 * stand on the left in their order, the fields left over on the right
 * (sorted); ">>", "<<" and double clicks move fields between them, the
 * arrows move a chosen column.  "OK" and "Apply" hand the new list to
 * every open dialog of the kind (lalter.cpp), "Reset" hands the list the
 * window began with back. */
#include "pcflistwin.h"
#include "pcfwin.h"

#include <cstdio>
#include <initializer_list>

#include "confirm.h"
#include "cs.h"
#include "dd.h"
#include "mq/capability.h"
#include "prfdata.h"
#include "tkplace.h"
#include "tkwin.h"

enum {
    ID_UP = 416, ID_DOWN = 417, ID_CHOSEN = 128, ID_LEFT = 129, ID_ALLRIGHT = 212, ID_RIGHT = 130,
    ID_BACK = 132, ID_ALLBACK = 213, ID_SORT1 = 418, ID_SORT2 = 419, ID_ORDER1 = 420, ID_ORDER2 = 421,
    ID_APPLY = 131, ID_RESET = 118
};

#define F(type, id, text, value, style) { (uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0 }
#define L(type, id, style, cx, cy) { (uint32_t)(type), id, nullptr, 0, nullptr, style, cx, cy, 0, 0, 0 }
#define END { 0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0 }
#define LISTSTYLE (LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP)
#define COMBOSTYLE (CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP)

DDFieldDef DLG_ALTERLIST[] = {
    F(DD_BUTTON, ID_UP, "", 0, BS_BITMAP), F(DD_BUTTON, ID_DOWN, "", 0, BS_BITMAP),
    F(DD_STATIC | DDF_NEWROW, 0, "List Contents", 0, 0),
    L(DD_LISTBOX | DDF_NEWROW, ID_CHOSEN, LISTSTYLE, 32, 14),
    F(DD_GROUP, 0, nullptr, 0, 0),
    F(DD_BUTTON | DDF_CLASS1, ID_ALLRIGHT, "All >>", 0, 0),
    F(DD_BUTTON | DDF_NEWROW | DDF_CLASS1, ID_RIGHT, ">>", 0, 0),
    F(DD_BUTTON | DDF_NEWROW | DDF_CLASS1, ID_BACK, "<<", 0, 0),
    F(DD_BUTTON | DDF_NEWROW | DDF_CLASS1, ID_ALLBACK, "<< All", 0, 0),
    F(DD_GROUPE, 0, nullptr, 0, 0),
    L(DD_LISTBOX, ID_LEFT, LISTSTYLE | LBS_SORT, 32, 14),
    F(DD_STATIC | DDF_NEWROW, 0, "Remaining Fields", 0, 0),
    F(DD_GROUPBOX | DDF_NEWROW, 0, "Sort", 0, 0),
    F(DD_STATIC | DDF_CLASS2, 0, "1st Sort  ", 0, 0), L(DD_COMBOBOX, ID_SORT1, COMBOSTYLE | CBS_SORT, 36, 1),
    F(DD_STATIC, 0, "  Order  ", 0, 0), L(DD_COMBOBOX, ID_ORDER1, COMBOSTYLE, 14, 1),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS2, 0, "2st Sort  ", 0, 0), L(DD_COMBOBOX, ID_SORT2, COMBOSTYLE | CBS_SORT, 36, 1),
    F(DD_STATIC, 0, "  Order  ", 0, 0), L(DD_COMBOBOX, ID_ORDER2, COMBOSTYLE, 14, 1),
    F(DD_GROUPE, 0, nullptr, 0, 0),
    F(DD_BUTTON | DDF_NEWROW | DDF_CLASS3, 1, "OK", 1, BS_DEFPUSHBUTTON), F(DD_BUTTON | DDF_CLASS3, ID_APPLY, "Apply", 1, 0),
    F(DD_BUTTON | DDF_CLASS3, ID_RESET, "Reset", 1, 0), F(DD_BUTTON | DDF_CLASS3, 2, "Cancel", 1, 0),
    END,
};

static CHGLIST *Record(HWND hwnd)
{
    return (CHGLIST *)GetWindowLongPtrA(hwnd, 0);
}

static DDHANDLE Dd(CHGLIST *c)
{
    return (DDHANDLE)c->dialogHandle;
}

static LRESULT Send(CHGLIST *c, int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0)
{
    return DDSendFieldMsg(Dd(c), id, msg, wp, lp);
}

/* ---- filling ---- */

static void AddItem(CHGLIST *c, int id, const PCFFieldDef *f, int at, int combo)
{
    const char *text = PCFFieldTitleWithKeyword(f);
    LRESULT i = combo ? Send(c, id, CB_ADDSTRING, 0, (LPARAM)text)
                      : Send(c, id, at < 0 ? LB_ADDSTRING : LB_INSERTSTRING, (WPARAM)at, (LPARAM)text);
    Send(c, id, combo ? CB_SETITEMDATA : LB_SETITEMDATA, (WPARAM)i, (LPARAM)f);
}

static int Contains(const PCFFieldDef *const *list, int n, const PCFFieldDef *f)
{
    for (int i = 0; i < n; i++)
        if (list[i]->attrId == f->attrId)
            return 1;
    return 0;
}

/* Selects the combo entry of a field (null: the blank one). */
static void SelectField(CHGLIST *c, int id, const PCFFieldDef *f)
{
    int n = (int)Send(c, id, CB_GETCOUNT);
    for (int i = 0; i < n; i++)
        if ((const PCFFieldDef *)Send(c, id, CB_GETITEMDATA, (WPARAM)i) == f) {
            Send(c, id, CB_SETCURSEL, (WPARAM)i);
            return;
        }
}

static void ReadSort(CHGLIST *c)
{
    const PCFLISTENTRY *columns = c->dialog ? PCFDialogColumns(c->dialog) : c->base;
    const PCFFieldDef *p = nullptr, *s = nullptr;
    int pd = 0, sd = 0;
    for (int i = 0; columns && columns[i].field; i++) {
        if ((columns[i].flags & PCFL_SORT1) && !p) {
            p = columns[i].field;
            pd = (columns[i].flags & PCFL_DESCEND) != 0;
        } else if ((columns[i].flags & PCFL_SORT2) && !s) {
            s = columns[i].field;
            sd = (columns[i].flags & PCFL_DESCEND) != 0;
        }
    }
    SelectField(c, ID_SORT1, p);
    SelectField(c, ID_SORT2, s);
    Send(c, ID_ORDER1, CB_SETCURSEL, (WPARAM)pd);
    Send(c, ID_ORDER2, CB_SETCURSEL, (WPARAM)sd);
}

static void Enabling(CHGLIST *c)
{
    int chosen = (int)Send(c, ID_CHOSEN, LB_GETSELCOUNT), left = (int)Send(c, ID_LEFT, LB_GETSELCOUNT);
    int count = (int)Send(c, ID_CHOSEN, LB_GETCOUNT);
    DDEnableField(Dd(c), ID_UP, chosen == 1, 0);
    DDEnableField(Dd(c), ID_DOWN, chosen == 1, 0);
    DDEnableField(Dd(c), ID_RIGHT, chosen > 0, 0);
    DDEnableField(Dd(c), ID_BACK, left > 0, 0);
    DDEnableField(Dd(c), 1, count > 0, 0);
    DDEnableField(Dd(c), ID_APPLY, count > 0, 0);
}

void PCFAlterListFill(CHGLIST *c)
{
    const PCFFieldDef *offered[512], *chosen[512];
    int n = PCFAlterOffered(c, offered, 512), k = 0;
    if (n > 512)
        n = 512;
    const PCFLISTENTRY *columns = c->dialog ? PCFDialogColumns(c->dialog) : c->base;
    for (int id : { ID_CHOSEN, ID_LEFT })
        Send(c, id, LB_RESETCONTENT);
    for (int id : { ID_SORT1, ID_SORT2, ID_ORDER1, ID_ORDER2 })
        Send(c, id, CB_RESETCONTENT);
    for (int i = 0; columns && columns[i].field && k < 512; i++) {
        const PCFFieldDef *f = columns[i].field;
        if (!(columns[i].flags & PCFL_USER) || !CapTest(nullptr, c->caps, f) || Contains(chosen, k, f))
            continue;
        chosen[k++] = f;
        AddItem(c, ID_CHOSEN, f, -1, 0);
    }
    for (int i = 0; i < n; i++) {
        if (!Contains(chosen, k, offered[i]))
            AddItem(c, ID_LEFT, offered[i], -1, 0);
        AddItem(c, ID_SORT1, offered[i], -1, 1);
        AddItem(c, ID_SORT2, offered[i], -1, 1);
    }
    LRESULT blank = Send(c, ID_SORT2, CB_ADDSTRING, 0, (LPARAM)" ");
    Send(c, ID_SORT2, CB_SETITEMDATA, (WPARAM)blank, 0);
    for (int id : { ID_ORDER1, ID_ORDER2 }) {
        Send(c, id, CB_ADDSTRING, 0, (LPARAM)"Ascending");
        Send(c, id, CB_ADDSTRING, 0, (LPARAM)"Descending");
    }
    ReadSort(c);
    Enabling(c);
}

/* ---- moving fields ---- */

static void MoveSelected(CHGLIST *c, int from, int to, int all)
{
    int n = (int)Send(c, from, LB_GETCOUNT), at = -1;
    if (to == ID_CHOSEN) {
        int count = (int)Send(c, to, LB_GETCOUNT);
        for (int i = 0; i < count && at < 0; i++)
            if (Send(c, to, LB_GETSEL, (WPARAM)i) > 0)
                at = i;
    }
    for (int i = 0; i < n;) {
        if (!all && Send(c, from, LB_GETSEL, (WPARAM)i) <= 0) {
            i++;
            continue;
        }
        const PCFFieldDef *f = (const PCFFieldDef *)Send(c, from, LB_GETITEMDATA, (WPARAM)i);
        Send(c, from, LB_DELETESTRING, (WPARAM)i);
        n--;
        AddItem(c, to, f, at, 0);
        if (at >= 0)
            at++;
    }
    Enabling(c);
}

static void Shift(CHGLIST *c, int down)
{
    int i, n = (int)Send(c, ID_CHOSEN, LB_GETCOUNT);
    if (Send(c, ID_CHOSEN, LB_GETSELCOUNT) != 1 || Send(c, ID_CHOSEN, LB_GETSELITEMS, 1, (LPARAM)&i) != 1)
        return;
    int to = down ? i + 1 : i - 1;
    if (to < 0 || to >= n)
        return;
    const PCFFieldDef *f = (const PCFFieldDef *)Send(c, ID_CHOSEN, LB_GETITEMDATA, (WPARAM)i);
    Send(c, ID_CHOSEN, LB_DELETESTRING, (WPARAM)i);
    AddItem(c, ID_CHOSEN, f, to, 0);
    Send(c, ID_CHOSEN, LB_SETSEL, TRUE, to);
    Enabling(c);
}

/* ---- the buttons ---- */

static const PCFFieldDef *ComboField(CHGLIST *c, int id)
{
    LRESULT sel = Send(c, id, CB_GETCURSEL);
    return sel >= 0 ? (const PCFFieldDef *)Send(c, id, CB_GETITEMDATA, (WPARAM)sel) : nullptr;
}

static int Apply(CHGLIST *c)
{
    const PCFFieldDef *chosen[512];
    int n = (int)Send(c, ID_CHOSEN, LB_GETCOUNT);
    if (n > 512)
        n = 512;
    for (int i = 0; i < n; i++)
        chosen[i] = (const PCFFieldDef *)Send(c, ID_CHOSEN, LB_GETITEMDATA, (WPARAM)i);
    return PCFAlterListApply(c, chosen, n, ComboField(c, ID_SORT1), Send(c, ID_ORDER1, CB_GETCURSEL) == 1,
                             ComboField(c, ID_SORT2), Send(c, ID_ORDER2, CB_GETCURSEL) == 1);
}

static void Command(HWND hwnd, CHGLIST *c, int id, int notify)
{
    switch (id) {
    case ID_UP: case ID_DOWN: Shift(c, id == ID_DOWN); return;
    case ID_RIGHT: case ID_ALLRIGHT: MoveSelected(c, ID_CHOSEN, ID_LEFT, id == ID_ALLRIGHT); return;
    case ID_BACK: case ID_ALLBACK: MoveSelected(c, ID_LEFT, ID_CHOSEN, id == ID_ALLBACK); return;
    case ID_CHOSEN: case ID_LEFT:
        if (notify == LBN_DBLCLK)
            MoveSelected(c, id, id == ID_CHOSEN ? ID_LEFT : ID_CHOSEN, 0);
        else if (notify == LBN_SELCHANGE)
            Enabling(c);
        return;
    case 1: Apply(c); PostMessageA(hwnd, WM_CLOSE, 0, 0); return;
    case ID_APPLY: Apply(c); return;
    case ID_RESET: PCFAlterListReset(c); PCFAlterListFill(c); return;
    case 2: PostMessageA(hwnd, WM_CLOSE, 0, 0); return;
    }
}

/* ---- the window ---- */

static HBITMAP Arrow(int down)
{
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bm = CreateCompatibleBitmap(screen, 12, 12);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bm);
    RECT rc = { 0, 0, 12, 12 };
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    WinDrawArrow(dc, pen, pen, 1, RGB(0, 0, 0), down ? 4 : 3, { 6, 6 }, { 8, 8 });
    DeleteObject(pen);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bm;
}

static LRESULT Create(HWND hwnd, CHGLIST *c)
{
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)c);
    c->window = hwnd;
    DDHANDLE dd = nullptr;
    if (DDCreate(hwnd, DLG_ALTERLIST, 0, &dd)) {
        WinOpError("DDCreate");
        SetWindowLongPtrA(hwnd, 0, 0);
        return -1;
    }
    c->dialogHandle = dd;
    char title[120];
    snprintf(title, sizeof title, "Change %s attributes", c->definition->title);
    SetWindowTextA(hwnd, title);
    Send(c, ID_UP, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)Arrow(0));
    Send(c, ID_DOWN, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)Arrow(1));
    PCFAlterListFill(c);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    return 0;
}

static void Close(HWND hwnd, CHGLIST *c)
{
    if (c) {
        if (c->ownerSlot && *c->ownerSlot == hwnd)
            *c->ownerSlot = nullptr;
        const PCFSHELLHOOKS *s = PCFShellHooks();
        if (s->removeModeless)
            s->removeModeless(s->context, hwnd);
        for (int id : { ID_UP, ID_DOWN }) {
            HBITMAP bm = (HBITMAP)Send(c, id, BM_GETIMAGE, IMAGE_BITMAP);
            if (bm)
                DeleteObject(bm);
        }
        DDHANDLE dd = Dd(c);
        DDDestroy(&dd);
        CSFreeMemAndClear(&c->base);
        CSFreeMem(c);
        SetWindowLongPtrA(hwnd, 0, 0);
    }
}

static void RememberSize(HWND hwnd)
{
    RECT rc;
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd) || !GetWindowRect(hwnd, &rc))
        return;
    Prf.dialogs[DLG_ALIST][2] = rc.right - rc.left;
    Prf.dialogs[DLG_ALIST][3] = rc.bottom - rc.top;
}

static void Show(HWND hwnd, CHGLIST *c)
{
    SIZE need = {};
    DDCalcMinSize(Dd(c), &need);
    RECT rc = { 0, 0, need.cx, need.cy };
    AdjustWindowRectEx(&rc, (DWORD)GetWindowLongA(hwnd, GWL_STYLE), FALSE, (DWORD)GetWindowLongA(hwnd, GWL_EXSTYLE));
    int cx = Prf.dialogs[DLG_ALIST][2] > 0 ? Prf.dialogs[DLG_ALIST][2] : rc.right - rc.left;
    int cy = Prf.dialogs[DLG_ALIST][3] > 0 ? Prf.dialogs[DLG_ALIST][3] : rc.bottom - rc.top;
    WinPositionAtCursor(hwnd, cx, cy, 0);
    ShowWindow(hwnd, SW_SHOW);
}

static LRESULT CALLBACK PCFAlterListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return Create(hwnd, (CHGLIST *)((CREATESTRUCTA *)lp)->lpCreateParams);
    CHGLIST *c = Record(hwnd);
    if (!c)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case UM_INITDLG: Show(hwnd, c); return 0;
    case WM_SIZE: RememberSize(hwnd); return 0;
    case WM_COMMAND: Command(hwnd, c, LOWORD(wp), HIWORD(wp)); return 0;
    case UM_NEW_LIST: PCFAlterListFill(c); return 0;
    case UM_SORTED: ReadSort(c); return 0;
    case UM_NEWFONT:
        if (winFonts.mainFont)
            DDSetFont(Dd(c), winFonts.mainFont);
        return 0;
    case UM_COLOURSCHANGED:
        SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)ColourBrush(4));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: Close(hwnd, c); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static int Registered(void)
{
    static int done;
    if (done)
        return 1;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PCFAlterListProc;
    wc.cbClsExtra = 80;
    wc.cbWndExtra = 24;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(3));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = ColourBrush(4);
    wc.lpszClassName = PCF_CLASS_ALTERLIST;
    done = RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return done;
}

void PCFAlterListOpen(DialogWords *d)
{
    HWND open = PCFWnd(d->popups[PCF_POPUP_ALTERLIST]);
    if (open && IsWindow(open)) {
        SetFocus(open);
        return;
    }
    if (!Registered()) {
        WinOpError("RegisterClass failed");
        return;
    }
    CHGLIST *c = (CHGLIST *)CSGetMem(sizeof *c, "CHGLIST");
    if (!c)
        return;
    memset(c, 0, sizeof *c);
    c->ownerSlot = &d->popups[PCF_POPUP_ALTERLIST];
    c->dialog = d;
    c->definition = d->definition;
    c->caps = PCFDialogCaps(d);
    c->requestCode = 152;
    c->base = PCFCopyColumns(PCFDialogColumns(d), 0);
    HWND w = CreateWindowExA(0, PCF_CLASS_ALTERLIST, "Change List Contents", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             CW_USEDEFAULT, CW_USEDEFAULT, 500, 400, PCFWnd(d->window), nullptr,
                             GetModuleHandleA(nullptr), c);
    if (!w) {
        WinOpError("CreateWindow");
        CSFreeMemAndClear(&c->base);
        CSFreeMem(c);
        return;
    }
    *c->ownerSlot = w;
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (s->addModeless)
        s->addModeless(s->context, w, 0, d->first.location, 0);
    PostMessageA(w, UM_INITDLG, 0, 0);
}
