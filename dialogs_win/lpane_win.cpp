/* The list pane that holds a list dialog's split list (sizing it, passing
 * its notifications on, dragging rows onto a drop target), the count
 * window ("%d / %d"), showing and hiding the panes together, stepping a
 * message dialog to the previous or next message, and copying the rows
 * as text or as an export onto the clipboard. */
#include "pcflistwin.h"
#include "pcfwin.h"

#include <cstdio>
#include <initializer_list>

#include "cs.h"
#include "edpane.h"
#include "loccache.h"
#include "prfdata.h"
#include "export.h"
#include "expwin.h"
#include "tkcontrols.h"
#include "tkwin.h"

#define MSG_POSITION 10033
#define MSG_RANGE    10047
#define MSG_TOKEN    10038
#define MSG_ID       10019

static PCFDRAGHOOKS DragHooks;

void PCFSetDragHooks(const PCFDRAGHOOKS *hooks)
{
    if (hooks)
        DragHooks = *hooks;
    else
        memset(&DragHooks, 0, sizeof DragHooks);
}

const PCFDRAGHOOKS *PCFDragHooks(void)
{
    return &DragHooks;
}

/* ---- the list pane ---- */

static HCURSOR Target(HWND pane, LPARAM lp)
{
    POINT pt = { (short)LOWORD(lp), (short)HIWORD(lp) };
    return DragHooks.overTarget ? DragHooks.overTarget(DragHooks.context, pane, pt) : nullptr;
}

/* 6027: a drop; over a target, copy (Shift) or move the rows there. */
static void Drop(DialogWords *d, HWND pane, LPARAM lp)
{
    HCURSOR over = Target(pane, lp);
    if (DragHooks.cancel)
        DragHooks.cancel(DragHooks.context);
    if (!over)
        return;
    uint32_t id = GetKeyState(VK_SHIFT) < 0 ? 597 : 598;
    const PCFHOOKS *h = PCFHooks();
    d->displayFlags |= PCFDISP_DROP;
    if (h->doCommand)
        h->doCommand(h->context, d, id, nullptr, nullptr);
    d->displayFlags &= ~PCFDISP_DROP;
}

LRESULT CALLBACK PCFListPaneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DialogWords *d = PCFPaneBind(hwnd, msg, lp);
    if (msg == WM_CREATE || msg == WM_NCDESTROY)
        return 0;
    if (PCFPaneForwards(msg))
        return SendMessageA(GetParent(hwnd), msg, wp, lp);
    switch (msg) {
    case WM_SIZE:
        if (d)
            PCFSizeListArea(d);
        return 0;
    case WM_MEASUREITEM: {          /* a row: the list's font with room for the cells' edges */
        MEASUREITEMSTRUCT *mi = (MEASUREITEMSTRUCT *)lp;
        if (mi->CtlType != ODT_LISTBOX || !mi->itemHeight)
            return FALSE;
        mi->itemHeight += (UINT)PCFRowEdgeRoom();
        return TRUE;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: case WM_PRINTCLIENT:   /* what the split list leaves, all while it is hidden */
        PCFPaintBackground(hwnd, msg == WM_PRINTCLIENT ? (HDC)wp : nullptr);
        return 0;
    case CN_DRAGOUT: {
        HCURSOR c = Target(hwnd, lp);
        SetCursor(c ? c : LoadCursor(nullptr, IDC_NO));
        return 0;
    }
    case CN_DROP:
        if (d)
            Drop(d, hwnd, lp);
        return 0;
    case CN_DRAGBACK:
        if (DragHooks.cancel)
            DragHooks.cancel(DragHooks.context);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- the count window ---- */

/* A message dialog's count: the cursor's line (line numbers shown) or
 * its offset in the message data, in hexadecimal when the offsets are. */
static void EditorCount(const DialogWords *d, char *out, size_t size)
{
    const PCFDATA *ed = d->editor;
    if (!ed || ed->cursor.line < 0 || (!ed->descriptor.length && !ed->data.length))
        return;
    if (d->viewOptions & DV_LINE_NUMBERS)
        snprintf(out, size, "Line:%d", (int)ed->cursor.line + 1);
    else if (ed->cursor.buffer == &ed->data && (Prf.po[3] & PO4_HEX_OFFSETS))
        snprintf(out, size, "Offset:0x%8.8X", (unsigned)(ed->cursor.digit / 2));
    else if (ed->cursor.buffer == &ed->data)
        snprintf(out, size, "Offset:%10d", (int)(ed->cursor.digit / 2));
}

/* While the editor runs a long operation (Replace All), how far it is:
 * the line its walk has reached of all the lines; 0 otherwise. */
static int EditorProgress(const DialogWords *d, int32_t *done, int32_t *total)
{
    const PCFDATA *ed = d->editor;
    if (!ed || !ed->findState.replacingAll || ed->scroll.lineCount <= 0)
        return 0;
    *total = ed->scroll.lineCount;
    *done = ed->runLine < 0 ? 0 : ed->runLine > *total ? *total : ed->runLine;
    return 1;
}

/* The bar of a long operation inside the window's edge, in "Field
 * Foreground" on the count window's "Dialog Background". */
static void PaintProgress(HDC dc, RECT rc, int32_t done, int32_t total)
{
    InflateRect(&rc, -2, -2);
    int width = rc.right - rc.left;
    if (width <= 0)
        return;
    int fill = (int)((int64_t)width * done / total);
    rc.right = rc.left + (fill < 1 ? 1 : fill);
    FillRect(dc, &rc, ColourBrush(1));
}

/* A message list's rows are messages: when they fill their page of a
 * deeper queue, the total is the queue's depth as the location last
 * reported it (the tree's number), not the page's rows. */
static uint32_t MessageTotal(const DialogWords *d)
{
    uint32_t rows = d->rowCounts[0];
    QMS *r = d->first.location;
    char queue[64] = "", range[40] = "";
    DialogWords *dw = (DialogWords *)d;
    const char *q = PCFGetValueText(dw, 2016, queue, sizeof queue);
    if (d->definition != &PCFMessageListDef || !r || !q || !*q ||
        (int32_t)rows < PCFPageLength(PCFGetValueText(dw, MSG_RANGE, range, sizeof range)))
        return rows;
    int32_t depth = -1;
    CSLockGlobal(CSLOCK_OBJECTS);
    QINFO *info = LocFindQueueInfo(r, q);
    if (info && info->type == 1)
        depth = ((const QATTRLOCAL *)info->attrs)->depth;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return depth > (int32_t)rows ? (uint32_t)depth : rows;
}

void PCFCountText(const DialogWords *d, char *out, size_t size)
{
    out[0] = 0;
    if (d->definition && d->definition->list)
        snprintf(out, size, "%u / %u", (unsigned)d->rowCounts[1], (unsigned)MessageTotal(d));
    else if (d->definition && (d->definition->flags & PCFD_MSGDIALOG))
        EditorCount(d, out, size);
}

static void PaintCount(DialogWords *d, HWND hwnd, HDC dc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, ColourBrush(4));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, *ColourRef(1));
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0));
    if (d->definition && d->definition->list && (d->definition->flags & PCFD_PAIR)) {
        char left[40], right[40];
        snprintf(left, sizeof left, "%u / %u", (unsigned)d->rowCounts[1], (unsigned)d->rowCounts[0]);
        snprintf(right, sizeof right, "%u / %u", (unsigned)d->rowCounts[3], (unsigned)d->rowCounts[2]);
        RECT a = rc, b = rc;
        a.right = b.left = rc.right / 2;
        DrawTextA(dc, left, -1, &a, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        DrawTextA(dc, right, -1, &b, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else if (int32_t done, total; EditorProgress(d, &done, &total)) {
        PaintProgress(dc, rc, done, total);
    } else {
        char text[40];
        PCFCountText(d, text, sizeof text);
        DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, old);
    DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
}

LRESULT CALLBACK PCFCountProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DialogWords *d = PCFPaneBind(hwnd, msg, lp);
    if (msg == WM_CREATE || msg == WM_NCDESTROY)
        return 0;
    if ((msg == WM_PAINT || msg == WM_PRINTCLIENT) && d) {
        PAINTSTRUCT ps;
        HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : (HDC)wp;
        PaintCount(d, hwnd, dc);
        if (msg == WM_PAINT)
            EndPaint(hwnd, &ps);
        return 0;
    }
    return msg == WM_ERASEBKGND ? 1 : DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- panes shown and hidden, and refreshed ---- */

/* The dialog's default refresh (its command 1), posted. */
void PCFPostRefresh(DialogWords *d)
{
    if (d && d->window)
        PostMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
}

void PCFShowPanes(DialogWords *d, int show)
{
    int cmd = show ? SW_SHOW : SW_HIDE;
    for (void *w : { d->splitList, d->statusWindow, d->fieldWindow, d->dataWindow })
        if (w)
            ShowWindow(PCFWnd(w), cmd);
    if (show) {
        d->displayFlags &= ~0x2000u;
        PCFPositionDialogFields(d, 1);
        for (void *w : { d->splitList, d->statusWindow })
            if (w)
                InvalidateRect(PCFWnd(w), nullptr, TRUE);
    } else {
        d->displayFlags |= 0x2000;
        for (void *w : { d->toolbar, d->qmList })
            if (w)
                ShowWindow(PCFWnd(w), SW_HIDE);
    }
}

/* ---- stepping messages ---- */

void PCFStepMessage(DialogWords *d, int32_t command)
{
    const PCFHOOKS *h = PCFHooks();
    int forward = command == 563;
    uint16_t state = 0;
    uint8_t *token = PCFGetStrValue(PCFDialogCaps(d), d->definition, d->dataArea, MSG_TOKEN, &state);
    if (forward && token && (state & PCFS_PRESENT)) {
        if (h->doCommand)
            h->doCommand(h->context, d, 887, nullptr, nullptr);
        return;
    }
    int32_t position = PCFGetIntValue(PCFDialogCaps(d), d->definition, d->dataArea, MSG_POSITION, nullptr);
    if (!forward && position < 2) {
        PCFDialogStatus(d, "Already at first message.", nullptr, 4);
        return;
    }
    if (!forward && token) {
        uint8_t *record = token - 2;
        PCFSetState(record, (uint16_t)(PCFState(record) & ~(PCFS_PRESENT | PCFS_SPECIFIED | PCFS_NAMECHG)));
    }
    char text[24];
    snprintf(text, sizeof text, "%ld", (long)(forward ? position + 1 : position - 1));
    PCFSetFieldText(d, MSG_POSITION, text);
    PCFSetFieldText(d, MSG_ID, "");
    d->viewOptions &= ~(uint32_t)DV_STEPPED;
    PostMessageA(PCFWnd(d->window), WM_COMMAND, MAKEWPARAM(PCFID_DEFAULT, PCFN_STEP_REFRESH), 0);
    if (d->fieldWindow)
        InvalidateRect(PCFWnd(d->fieldWindow), nullptr, TRUE);
}

/* ---- copying ---- */

/* Every row (Shift) or the selected ones as lines of tab-separated cells. */
static char *RowsText(DialogWords *d, int all, size_t *length)
{
    PCFLISTSTATE *st = PCFListState(d);
    size_t capacity = 4096, used = 0;
    char *text = (char *)CSGetMem(capacity, "CLIPTEXT");
    if (!text || !st)
        return text;
    HWND list = PCFWnd(d->rightList);
    for (uint32_t i = 0; i < st->count; i++) {
        if (!all && !(list ? SendMessageA(list, LB_GETSEL, i, 0) > 0 : st->rows[i].selected))
            continue;
        char line[8192];
        int n = PCFRowText(d, st->rows[i].row, line, sizeof line);
        if (used + (size_t)n + 3 > capacity) {
            size_t grown = 2 * capacity + (size_t)n;
            char *g = (char *)CSGetMem(grown, "CLIPTEXT");
            if (!g)
                break;
            memcpy(g, text, used);
            CSFreeMem(text);
            text = g;
            capacity = grown;
        }
        memcpy(text + used, line, (size_t)n);
        used += (size_t)n;
        text[used++] = '\r';
        text[used++] = '\n';
    }
    text[used] = 0;
    *length = used;
    return text;
}

/* The selected rows (Shift: every row shown) exported as the dialog's
 * last export type onto the clipboard; the count or the failure goes to
 * the status line. */
static void ExportRows(DialogWords *d, int all)
{
    EXPTARGET target = { nullptr, ExpNewTextArea(d), 0 };
    if (!target.area)
        return;
    EXPORTRUN run;
    memset(&run, 0, sizeof run);
    run.dialog = d;
    run.type = d->exportType >= 0 && d->exportType < EXP_TYPES ? d->exportType : EXP_TEXT;
    run.selection = all ? EXP_SHOWN : EXP_SELECTED;
    run.target = &target;
    int count = ExpRun(&run);
    char text[200];
    if (count < 0)
        snprintf(text, sizeof text, "%s", run.message);
    else if (!ExpPutClipboard(PCFWnd(d->window), target.area->text, target.area->used))
        snprintf(text, sizeof text, "Sorry, can't access clipboard");
    else
        ExpCountText(count, text, sizeof text);
    ExpFreeTextArea(target.area);
    PCFDialogStatus(d, text, nullptr, count < 0 ? 5 : 1);
}

void PCFCopyListText(DialogWords *d)
{
    int ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    int export_ = d->definition == &PCFMessageListDef ? !ctrl : ctrl;
    if (export_) {
        ExportRows(d, shift);
        return;
    }
    size_t length = 0;
    char *text = RowsText(d, shift, &length);
    if (!text)
        return;
    if (!length) {                /* no row: the clipboard keeps what it holds */
        CSFreeMem(text);
        return;
    }
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, length + 1);
    if (mem) {
        memcpy(GlobalLock(mem), text, length + 1);
        GlobalUnlock(mem);
        if (OpenClipboard(PCFWnd(d->window))) {
            EmptyClipboard();
            if (!SetClipboardData(CF_TEXT, mem))
                GlobalFree(mem);
            CloseClipboard();
        } else {
            GlobalFree(mem);
            WinOpError("OpenClipboard");
        }
    }
    CSFreeMem(text);
}
