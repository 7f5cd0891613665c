/* The title bars of a list dialog's split list: a press and release on a
 * heading sorts by it (Alt: the secondary key), a drag onto another
 * heading moves the column there, a drag from a border resizes the column
 * (never below 1 pixel); a release outside the title band does neither.
 * A press and release on a column's filter mark opens or closes that
 * column's filter pop-up.  A tool tip names the column under the mouse
 * and its MQSC keyword. */
#include "pcflistwin.h"
#include "pcfwin.h"
#include "fltwin.h"
#include "colfilter.h"

#include <commctrl.h>
#include <cstdio>

#include "cs.h"
#include "tklist.h"

#define SUBCLASS_ID 0x7469746c          /* "titl" */
#define BORDER 3

/* The one drag of the program (press x -1000: none). */
static struct {
    int32_t pressX = -1000, pressY;
    int resizing;
    int filter;                 /* the press was on a filter mark */
    int column;
    int32_t width;
    HWND bar;
} Drag;

static int32_t ScrollPos(DialogWords *d, HWND bar)
{
    HWND list = bar == PCFWnd(d->leftTitle) ? PCFWnd(d->leftList) : PCFWnd(d->rightList);
    ListBoxState *st = list ? ListState(list) : nullptr;
    ScrollState *s = st ? &st->hs : list ? BuddyHScroll(list) : nullptr;
    return s ? s->position : 0;
}

static int InBand(DialogWords *d, int32_t y)
{
    return y >= 0 && y < d->lineHeight + 4;
}

/* ---- filter marks ---- */

int PCFFilterMarkAt(DialogWords *d, const PCFFieldDef *field, const RECT *cell, RECT *mark)
{
    return FltPrefs.marksShown && !(d->displayFlags & PCFDISP_NO_COLFILTERS) && field && ColFilterable(field) &&
           ColFilterHeaderRect(d, cell, cell->right, 0, mark);
}

int PCFFilterMarkPressed(DialogWords *d, const RECT *mark)
{
    COLFSTATE *st = ColFilterState(d, 0);
    return st && st->pressed && st->pressRect[0] == mark->left && st->pressRect[2] == mark->right;
}

/* The title cell of a column in the bar's own coordinates. */
static RECT Cell(HWND bar, int32_t left, int32_t right, int32_t scroll)
{
    RECT band;
    GetClientRect(bar, &band);
    return { left - scroll, 0, right - scroll, band.bottom };
}

/* 1 when a press at x, y lies on the filter mark of the column; the
 * press is recorded in the dialog's column-filter state. */
static int PressMark(DialogWords *d, HWND bar, int column, int32_t left, int32_t right, int32_t x, int32_t y)
{
    const PCFLISTENTRY *columns = PCFDialogColumns(d);
    RECT cell = Cell(bar, left, right, ScrollPos(d, bar)), mark;
    POINT pt = { x, y };
    if (column < 0 || !columns || !PCFFilterMarkAt(d, columns[column].field, &cell, &mark) || !PtInRect(&mark, pt))
        return 0;
    COLFSTATE *st = ColFilterState(d, 1);
    if (!st)
        return 0;
    st->pressed = 1;
    st->pressRect[0] = mark.left;
    st->pressRect[1] = mark.top;
    st->pressRect[2] = mark.right;
    st->pressRect[3] = mark.bottom;
    return 1;
}

/* A press on a filter mark released: on the same column the column's
 * pop-up opens, or closes when it is open. */
static void ReleaseMark(DialogWords *d, HWND bar, int from, int column, int32_t left, int32_t right)
{
    COLFSTATE *st = ColFilterState(d, 0);
    if (st)
        st->pressed = 0;
    const PCFLISTENTRY *columns = PCFDialogColumns(d);
    if (column < 0 || column != from || !columns)
        return;
    COLFANCHOR anchor = { bar == PCFWnd(d->leftTitle) ? PCFWnd(d->leftList) : PCFWnd(d->rightList), bar,
                          Cell(bar, left, right, ScrollPos(d, bar)) };
    ColFilterToggle(d, columns[column].field, &anchor);
}

/* ---- tips ---- */

void PCFTitleTipText(DialogWords *d, HWND bar, int32_t x, char *out, size_t size)
{
    int32_t left, right;
    int border;
    int column = PCFColumnAt(d, x + ScrollPos(d, bar), BORDER, &left, &right, &border);
    const PCFLISTENTRY *columns = PCFDialogColumns(d);
    if (column < 0 || !columns) {
        snprintf(out, size, " ");
        return;
    }
    const PCFFieldDef *f = columns[column].field;
    snprintf(out, size, "%s (%s)", f->title ? f->title : "", f->keyword ? f->keyword : "");
}

const PCFFieldDef *PCFListColumnAtCursor(DialogWords *d, HWND bar, RECT *rect)
{
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(bar, &pt);
    int32_t scroll = ScrollPos(d, bar), left, right;
    int border;
    int column = PCFColumnAt(d, pt.x + scroll, BORDER, &left, &right, &border);
    if (column < 0)
        return nullptr;
    if (rect)
        *rect = { left - scroll, 0, right - scroll, 1000 };
    return PCFDialogColumns(d)[column].field;
}

static void UpdateTip(DialogWords *d, HWND bar)
{
    if (!d->tipWindow)
        return;
    TOOLINFOA ti = { sizeof ti };
    ti.hwnd = bar;
    ti.uId = 1;
    RECT rc;
    GetClientRect(bar, &rc);
    if (d->tipTitle == bar)
        PCFListColumnAtCursor(d, bar, &rc);
    ti.rect = rc;
    SendMessageA(PCFWnd(d->tipWindow), TTM_NEWTOOLRECTA, 0, (LPARAM)&ti);
}

static void CreateTips(DialogWords *d, HWND bar)
{
    if (!d->tipWindow) {
        DWORD style = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX;
        HWND tip = nullptr;
        if (PcfListPrefs.balloonTips)
            tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, style | TTS_BALLOON, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, PCFWnd(d->window), nullptr, nullptr,
                                  nullptr);
        if (!tip)
            tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, PCFWnd(d->window), nullptr, nullptr, nullptr);
        if (!tip)
            return;
        SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageA(tip, TTM_ACTIVATE, TRUE, 0);
        SendMessageA(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 200);
        d->tipWindow = tip;
    }
    TOOLINFOA ti = { sizeof ti };
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = bar;
    ti.uId = 1;
    GetClientRect(bar, &ti.rect);
    ti.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(PCFWnd(d->tipWindow), TTM_ADDTOOLA, 0, (LPARAM)&ti);
}

static void DeleteTip(DialogWords *d, HWND bar)
{
    if (!d->tipWindow)
        return;
    TOOLINFOA ti = { sizeof ti };
    ti.hwnd = bar;
    ti.uId = 1;
    SendMessageA(PCFWnd(d->tipWindow), TTM_DELTOOLA, 0, (LPARAM)&ti);
    if (d->tipTitle == bar)
        d->tipTitle = nullptr;
}

static LRESULT Notify(DialogWords *d, HWND bar, NMHDR *n)
{
    static char text[200];
    switch (n->code) {
    case TTN_GETDISPINFOA: {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(bar, &pt);
        PCFTitleTipText(d, bar, pt.x, text, sizeof text);
        ((NMTTDISPINFOA *)n)->lpszText = text;
        return 0;
    }
    case TTN_SHOW: d->tipTitle = bar; UpdateTip(d, bar); return 0;
    case TTN_POP: d->tipTitle = nullptr; UpdateTip(d, bar); return 0;
    }
    return 0;
}

/* ---- sorting ---- */

void PCFSortList(DialogWords *d, int32_t x)
{
    int32_t left, right;
    int border;
    int column = PCFColumnAt(d, x, BORDER, &left, &right, &border);
    if (column < 0 || (Drag.pressX != -1000 && column != Drag.column))
        return;
    int alt = GetKeyState(VK_MENU) < 0;
    if (!PCFSortColumn(d, column, alt))
        return;
    PCFUpdateList(d, 0, nullptr, PcfListPrefs.keepSelectionOnSort, 0, nullptr);
    HWND partner = PCFWnd(d->popups[PCF_POPUP_ALTERLIST]);
    if (partner)
        SendMessageA(partner, UM_SORTED, 0, 0);
}

/* ---- the mouse ---- */

static void Down(DialogWords *d, HWND bar, LPARAM lp)
{
    int32_t x = (short)LOWORD(lp) + ScrollPos(d, bar), left, right;
    int border;
    int column = PCFColumnAt(d, x, BORDER, &left, &right, &border);
    SetCapture(bar);
    Drag.pressX = x;
    Drag.pressY = (short)HIWORD(lp);
    Drag.bar = bar;
    Drag.column = column;
    Drag.resizing = border;
    Drag.filter = !border && PressMark(d, bar, column, left, right, (short)LOWORD(lp), (short)HIWORD(lp));
    Drag.width = column >= 0 ? right - left : 0;
    if (border)
        SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
    InvalidateRect(bar, nullptr, FALSE);
}

static void Move(DialogWords *d, HWND bar, LPARAM lp)
{
    int32_t x = (short)LOWORD(lp) + ScrollPos(d, bar), y = (short)HIWORD(lp), left, right;
    int border;
    if (Drag.pressX == -1000 || Drag.bar != bar) {
        if (PCFColumnAt(d, x, BORDER, &left, &right, &border) >= 0 && border)
            SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
        return;
    }
    if (Drag.resizing) {
        int32_t w = Drag.width + (x - Drag.pressX);
        PCFSetUserWidth(d, Drag.column, w < 1 ? 1 : w);
        PCFCalculateListSizes(d, 0);
        return;
    }
    int column = PCFColumnAt(d, x, BORDER, &left, &right, &border);
    LPCSTR cursor = !InBand(d, y) ? IDC_NO : column == Drag.column ? IDC_ARROW : column >= 0 && !Drag.filter ? IDC_CROSS
                                                                                                            : IDC_NO;
    SetCursor(LoadCursor(nullptr, cursor));
}

static void Up(DialogWords *d, HWND bar, LPARAM lp)
{
    /* the press is read first: releasing the capture ends the drag */
    int32_t pressX = Drag.pressX, from = Drag.column;
    int resizing = Drag.resizing, filter = Drag.filter;
    Drag.pressX = -1000;
    Drag.filter = 0;
    ReleaseCapture();
    int32_t x = (short)LOWORD(lp) + ScrollPos(d, bar), y = (short)HIWORD(lp), left, right;
    int border;
    int column = PCFColumnAt(d, x, BORDER, &left, &right, &border);
    if (filter) {
        ReleaseMark(d, bar, from, pressX != -1000 ? column : -1, left, right);
    } else if (pressX != -1000 && !resizing && InBand(d, y) && column >= 0 && from >= 0) {
        if (column != from) {
            PCFMoveColumns(d, from, column);
            RedrawWindow(PCFWnd(d->splitList), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        } else {
            PCFSortList(d, pressX);
        }
    }
    Drag.pressX = -1000;
    Drag.resizing = 0;
    Drag.bar = nullptr;
    InvalidateRect(bar, nullptr, FALSE);
}

static LRESULT CALLBACK PCFTitleBarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref)
{
    DialogWords *d = (DialogWords *)ref;
    switch (msg) {
    case WM_LBUTTONDOWN: {
        int32_t left, right;
        int border;
        if (PCFColumnAt(d, (short)LOWORD(lp) + ScrollPos(d, bar), BORDER, &left, &right, &border) < 0)
            break;
        Down(d, bar, lp);
        return 1;
    }
    case WM_MOUSEMOVE:
        Move(d, bar, lp);
        break;
    case WM_LBUTTONUP:
        if (Drag.bar != bar)
            break;
        Up(d, bar, lp);
        return 1;
    case WM_CAPTURECHANGED:
        if (Drag.bar == bar && (HWND)lp != bar) {
            if (Drag.filter)
                ReleaseMark(d, bar, -1, -1, 0, 0);
            Drag.filter = 0;
            Drag.pressX = -1000;
            Drag.bar = nullptr;
        }
        break;
    case WM_NOTIFY:
        return Notify(d, bar, (NMHDR *)lp);
    case WM_SIZE: case UM_PCF_UPDATE_LIST:
        UpdateTip(d, bar);
        break;
    case WM_DESTROY:
        DeleteTip(d, bar);
        RemoveWindowSubclass(bar, PCFTitleBarProc, id);
        break;
    }
    return DefSubclassProc(bar, msg, wp, lp);
}

void PCFSubclassTitleBar(DialogWords *d, HWND bar)
{
    if (!bar)
        return;
    SetWindowSubclass(bar, PCFTitleBarProc, SUBCLASS_ID, (DWORD_PTR)d);
    CreateTips(d, bar);
}
