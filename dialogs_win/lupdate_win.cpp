/* The list window of a list dialog fed from the rows the core builds: the
 * selection and caret read from the window, the rows rebuilt and added in
 * their order, the widths laid out for the window's room and the scroll
 * positions kept; the records rebuilt after a column change, the count of
 * selected queue managers, and the selected rows for the other windows. */
#include "pcflistwin.h"
#include "pcfwin.h"
#include "fltwin.h"

#include <initializer_list>

#include "cs.h"
#include "tkcontrols.h"
#include "tklist.h"

static HWND List(const DialogWords *d)
{
    return PCFWnd(d->rightList);
}

void PCFDeviceCharWidths(HDC dc, PCFCHARWIDTHS *out)
{
    INT widths[256];
    memset(out, 0, sizeof *out);
    out->margin = 2;
    if (!GetCharWidth32A(dc, 0, 255, widths)) {
        TEXTMETRICA tm;
        GetTextMetricsA(dc, &tm);
        for (int i = 0; i < 256; i++)
            widths[i] = tm.tmAveCharWidth;
    }
    for (int i = 0; i < 256; i++)
        out->widths[i] = (int16_t)widths[i];
    for (int c = '0'; c <= '9'; c++)
        out->digitSlot = widths[c] + 1 > out->digitSlot ? widths[c] + 1 : out->digitSlot;
    out->numberRoom = 2 * GetSystemMetrics(SM_CXEDGE);
}

/* The list window's font measured on its own device context. */
static void ListWidths(DialogWords *d, PCFCHARWIDTHS *out)
{
    HWND list = List(d);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(list, WM_GETFONT, 0, 0) ?
                                       (HFONT)SendMessageA(list, WM_GETFONT, 0, 0) : GetStockObject(DEFAULT_GUI_FONT));
    PCFDeviceCharWidths(dc, out);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
}

/* ---- the selection in the window ---- */

static int WindowSelected(DialogWords *d, PCFROW **rows, int max)
{
    HWND list = d->rightList ? List(d) : nullptr;
    if (!list)
        return PCFShownSelected(d, rows, max);
    int n = (int)SendMessageA(list, LB_GETSELCOUNT, 0, 0);
    if (n <= 0)
        return 0;
    int32_t *indexes = (int32_t *)CSGetMem(sizeof *indexes * (size_t)n, "pIndexes 2");
    if (!indexes)
        return 0;
    int got = (int)SendMessageA(list, LB_GETSELITEMS, (WPARAM)n, (LPARAM)indexes);
    for (int i = 0; i < got && i < max; i++)
        rows[i] = (PCFROW *)SendMessageA(list, LB_GETITEMDATA, (WPARAM)indexes[i], 0);
    CSFreeMem(indexes);
    return got;
}

void PCFSelectRows(DialogWords *d, int how)
{
    HWND list = d->rightList ? List(d) : nullptr;
    if (!list)
        return;
    if (how == PCFSEL_INVERT) {
        int n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++)
            SendMessageA(list, LB_SETSEL, SendMessageA(list, LB_GETSEL, (WPARAM)i, 0) <= 0, (LPARAM)i);
    } else {
        SendMessageA(list, LB_SETSEL, how == PCFSEL_ALL, -1);
    }
    InvalidateRect(list, nullptr, FALSE);
    PCFUpdateListCount(d);
    PCFSetMenu(d);
}

int PCFSelectedRows(DialogWords *d, PCFROW **first, PCFLISTAREA **area)
{
    PCFROW *row = nullptr;
    int n = d->rightList ? WindowSelected(d, &row, 1) : 0;
    if (first)
        *first = n ? row : nullptr;
    if (area)
        *area = n && row ? PCFRowArea(d, row) : nullptr;
    return n;
}

/* A new column list: the dialog and the "Change List Contents" window
 * open on it take it up. */
static void NewListSink(DialogWords *d)
{
    for (void *w : { d->window, d->popups[PCF_POPUP_ALTERLIST] })
        if (w && IsWindow(PCFWnd(w)))
            SendMessageA(PCFWnd(w), UM_NEW_LIST, 1, 0);
}

/* A column filter changed: the rows are rebuilt, the selection kept. */
static void ColumnFilterChanged(DialogWords *d)
{
    if (d && d->window && IsWindow(PCFWnd(d->window)))
        PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
}

void PCFListWindowHooks(void)
{
    PCFSetSelectionSource(WindowSelected);
    PCFNewListSink = NewListSink;
    PCFColumnRecountSink = ColFilterRecount;
    ColFilterRefreshList = ColumnFilterChanged;
}

/* ---- flashing ---- */

#define FLASH_TIMER 0x464C   /* the dialog window's flash timer */

/* Every flashing list shows the same phase: the one of the clock. */
static void CALLBACK FlashTick(HWND hwnd, UINT, UINT_PTR, DWORD)
{
    uint64_t period = 1000ull * (uint64_t)(PcfListPrefs.flashSeconds > 0 ? PcfListPrefs.flashSeconds : 1);
    PCFFlashPhase = (int)((GetTickCount() / period) & 1);
    HANDLE shown = (HANDLE)(uintptr_t)(PCFFlashPhase + 1);
    if (GetPropA(hwnd, "PCFFlashShown") == shown)
        return;
    SetPropA(hwnd, "PCFFlashShown", shown);
    DialogWords *d = PCFDialogOf(hwnd);
    if (d && d->rightList)
        InvalidateRect(List(d), nullptr, FALSE);
    if (d && d->leftList)
        InvalidateRect(PCFWnd(d->leftList), nullptr, FALSE);
}

/* The flash timer runs while a shown row or cell flashes. */
static void FlashTimer(DialogWords *d)
{
    HWND w = d->window ? PCFWnd(d->window) : nullptr;
    if (!w)
        return;
    if (d->markFlags & DM_FLASHING)
        SetTimer(w, FLASH_TIMER, 250, FlashTick);
    else if (KillTimer(w, FLASH_TIMER))
        RemovePropA(w, "PCFFlashShown");
}

/* ---- rebuilding ---- */

/* The selection before: rows, caret and top row of the window. */
static int ReadBefore(DialogWords *d, PCFSELECTION *before, PCFROW **few, PCFROW ***block)
{
    HWND list = List(d);
    memset(before, 0, sizeof *before);
    *block = nullptr;
    int n = (int)SendMessageA(list, LB_GETSELCOUNT, 0, 0);
    PCFROW **rows = few;
    if (n > 20 && !(rows = *block = (PCFROW **)CSGetMem(sizeof *rows * (size_t)n, "pIndexes 2"))) {
        rows = few;
        n = 20;
    }
    if (n > 0)
        n = WindowSelected(d, rows, n);
    before->rows = rows;
    before->count = n > 0 ? n : 0;
    int caret = (int)SendMessageA(list, LB_GETCARETINDEX, 0, 0);
    LRESULT data = caret >= 0 ? SendMessageA(list, LB_GETITEMDATA, (WPARAM)caret, 0) : LB_ERR;
    before->caret = data != LB_ERR ? (PCFROW *)data : nullptr;
    before->top = (int32_t)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    return 1;
}

/* The rows into the window, selected again, caret and top row set. */
static void Fill(DialogWords *d, const PCFLISTSTATE *st, int mode)
{
    HWND list = List(d);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (uint32_t i = 0; i < st->count; i++) {
        ItemAddRequest rq = { "", (uint64_t)(uintptr_t)st->rows[i].row, st->rows[i].selected };
        SendMessageA(list, LBM_ADDITEM, 0, (LPARAM)&rq);
    }
    if (st->count)
        SendMessageA(list, LB_SETTOPINDEX, (WPARAM)((mode & PCFU_NOTOP) ? 0 : st->top), 0);
    if (st->caret >= 0)
        SendMessageA(list, LB_SETCARETINDEX, (WPARAM)st->caret, 0);
}

/* The horizontal scroll state of the list or of its second view. */
static ScrollState *HScroll(HWND w)
{
    ListBoxState *st = w ? ListState(w) : nullptr;
    return st ? &st->hs : w ? BuddyHScroll(w) : nullptr;
}

static int HPos(HWND w)
{
    ScrollState *s = HScroll(w);
    return s ? s->position : 0;
}

static void SetHPos(HWND w, int pos)
{
    ScrollState *s = HScroll(w);
    if (s && pos != s->position)
        ScrollStep(w, s, 0, (int64_t)pos - s->position, nullptr);
}

void PCFUpdateList(DialogWords *d, int mode, HDC device, int keep, uintptr_t request, PCFLISTAREA *area)
{
    if (!d || !d->definition || !d->definition->list)
        return;
    if (area)
        PCFTakeNewArea(d, (PCFLISTREQ *)request, area);
    if (!d->splitList) {
        PCFBuildRows(d, mode, nullptr, nullptr);
        return;
    }
    HWND split = PCFWnd(d->splitList);
    int hpos[2] = { HPos(List(d)), HPos(PCFWnd(d->leftList)) };
    SendMessageA(split, LBM_REDRAW, 0, 0);
    PCFCHARWIDTHS listWidths, deviceWidths;
    ListWidths(d, &listWidths);
    if (device)
        PCFDeviceCharWidths(device, &deviceWidths);
    PCFMEASURE measure = { &listWidths, device ? &deviceWidths : nullptr };
    PCFSELECTION before;
    PCFROW *few[20], **block = nullptr;
    if (keep && !(mode & PCFU_MEASUREONLY))
        ReadBefore(d, &before, few, &block);
    else
        memset(&before, 0, sizeof before);
    PCFBuildRows(d, mode, &before, &measure);
    CSFreeMemAndClear(&block);
    PCFLISTSTATE *st = PCFListState(d);
    if (st && !(mode & PCFU_MEASUREONLY))
        Fill(d, st, mode);
    PCFCalculateListSizes(d, 0);
    /* the list's bars are set again as it draws again: they are drawn
     * once, with its rows, when it is painted next */
    HWND list = List(d);
    int shown = IsWindowVisible(list);
    if (shown)
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(split, LBM_REDRAW, 1, 0);
    SetHPos(list, hpos[0]);
    SetHPos(PCFWnd(d->leftList), hpos[1]);
    if (shown) {
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
    }
    PCFSetMenu(d);
    FlashTimer(d);
    InvalidateRect(split, nullptr, TRUE);
    if (d->countWindow)
        InvalidateRect(PCFWnd(d->countWindow), nullptr, TRUE);
}

void PCFCalculateListSizes(DialogWords *d, int flags)
{
    if (!d || !d->definition || !d->definition->list || !d->rightList)
        return;
    PCFLISTSTATE *st = PCFListState(d);
    if (st && st->colCount != (uint32_t)PCFColumnCount(PCFDialogColumns(d))) {
        PCFCHARWIDTHS widths;
        ListWidths(d, &widths);
        PCFMEASURE measure = { &widths, nullptr };
        PCFBuildRows(d, PCFU_MEASUREONLY, nullptr, &measure);
    }
    RECT rc;
    GetClientRect(List(d), &rc);
    int32_t room = rc.right;
    int32_t needed = PCFLayoutColumns(d, room, flags);
    int32_t extent = needed > room ? needed : room;
    SendMessageA(List(d), LB_SETHORIZONTALEXTENT, (WPARAM)extent, 0);
    if (d->leftList)
        SendMessageA(PCFWnd(d->leftList), LB_SETHORIZONTALEXTENT, (WPARAM)extent, 0);
    for (void *title : { d->leftTitle, d->rightTitle })
        if (title)
            InvalidateRect(PCFWnd(title), nullptr, FALSE);
    InvalidateRect(List(d), nullptr, FALSE);
    if (d->leftList)
        InvalidateRect(PCFWnd(d->leftList), nullptr, FALSE);
}

void PCFCheckLists(DialogWords *d)
{
    PCFCheckListsCore(d);
}

void PCFRefreshList(DialogWords *d, int postRefresh)
{
    if (!d || !d->definition || !d->definition->list)
        return;
    int missing = PCFRebuildLists(d);
    PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
    if (postRefresh && missing)
        PostMessageA(PCFWnd(d->window), WM_COMMAND, PCFID_DEFAULT, 0);
}

void PCFUpdateListCount(DialogWords *d)
{
    uint32_t before = d->optionFlags & DO_SEVERAL_QMGRS;
    int changed = PCFCountSelectedLists(d);
    if ((d->optionFlags & DO_SEVERAL_QMGRS) != before)
        PCFDialogTitle(d, nullptr);
    if (changed)
        PCFPositionButtons(d, 1);
}

void PCFDiffFromDefault(DialogWords *d, PCFLISTREQ *r)
{
    PCFDiffFromDefaultCore(d, r);
}
