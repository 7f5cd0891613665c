/* Layout and placement of a command dialog: buttons in a row at the
 * bottom, the status line and count window above them, the toolbar at
 * the top (below the fields in a message dialog), the field window and
 * data window or, in list dialogs, the pane layout of fields and list;
 * the window's size and place on the monitors, remembered per kind of
 * dialog and monitor layout. */
#include "pcfwin.h"
#include "pcflistwin.h"

#include <cstdio>
#include <cstring>

#include "bag.h"
#include "expwin.h"
#include "cs.h"
#include "locstore.h"
#include "mq/capability.h"
#include "tkplace.h"
#include "tktoolbar.h"
#include "tkutil.h"
#include "tkwin.h"

static HWND Wnd(const DialogWords *d) { return PCFWnd(d->window); }

/* The part of the client area a layout works out. */
struct Bands {
    int cx, cy;
    int top;                 /* below the toolbar */
    int statusTop;           /* the status line */
    int buttonTop;           /* the button row */
};

/* ---- buttons ---- */

static int LabelWidth(HWND button, const char *text)
{
    HDC dc = GetDC(button);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(button, WM_GETFONT, 0, 0));
    SIZE sz = {};
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &sz);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    return sz.cx;
}

static void Relabel(DialogWords *d, const PCFActionDef *a, const char *label, HWND button)
{
    if (d->menu && !(a->flags & PCFA_NOMENU)) {
        MENUITEMINFOA mi = { sizeof mi };
        mi.fMask = MIIM_STRING;
        mi.dwTypeData = (char *)label;
        SetMenuItemInfoA((HMENU)d->menu, a->id, FALSE, &mi);
    }
    if (button)                                  /* hidden too: showing it relabels nothing */
        SetWindowTextA(button, label);
}

/* Lays out the buttons at the row top; returns the row's height. */
static void PlaceButtons(DialogWords *d, int relabel, int rowTop, int width)
{
    SpreadItem items[64];
    HWND windows[64];
    int n = 0, shown = (d->stateFlags & DF_SHOW_BUTTONS) != 0;
    char buffer[120];
    for (const PCFActionDef *a = d->definition->actions; a && a->id; a++) {
        if (!CapTest(d->definition, PCFDialogCaps(d), a) || !PCFCommandAllowed(d, a))
            continue;
        const char *label = PCFButtonText(d, a, buffer, sizeof buffer);
        HWND b = (a->flags & PCFA_BUTTON) ? GetDlgItem(Wnd(d), a->id) : nullptr;
        if (relabel)
            Relabel(d, a, label, b);
        if (!b)
            continue;
        if (!shown) {
            ShowWindow(b, SW_HIDE);
            continue;
        }
        if (n < 64) {
            items[n] = { 0, 0, PCFButtonWidth(LabelWidth(b, label), d->charWidth), 0 };
            windows[n++] = b;
        }
    }
    if (!shown || !n)
        return;
    WinSpreadItems(width - 2 * d->margin, n, items);
    for (int i = 0; i < n; i++) {
        MoveWindow(windows[i], d->margin + items[i].pos, rowTop, items[i].width, d->buttonHeight, TRUE);
        ShowWindow(windows[i], SW_SHOW);
    }
}

void PCFPositionButtons(DialogWords *d, int relabel)
{
    RECT rc;
    if (!d->definition || !d->definition->actions || !d->definition->actions[0].id)
        return;
    GetClientRect(Wnd(d), &rc);
    PlaceButtons(d, relabel, rc.bottom - d->buttonHeight - d->margin / 2, rc.right);
}

/* ---- the panes ---- */

/* The history combo box laid out by the dialog (the MQSC console lays out
 * the one it takes as its input box). */
static int HistoryInDialog(const DialogWords *d)
{
    return d->historyCombo && GetParent(PCFWnd(d->historyCombo)) == Wnd(d);
}

void PCFSizeListArea(DialogWords *d)
{
    RECT rc;
    if (!d->splitList || !d->listPane)
        return;
    GetClientRect(PCFWnd(d->listPane), &rc);
    MoveWindow(PCFWnd(d->splitList), 0, 0, rc.right, rc.bottom, TRUE);
    PCFCalculateListSizes(d, 0);
    InvalidateRect(PCFWnd(d->splitList), nullptr, TRUE);
}

void PCFPositionListPane(DialogWords *d)
{
    if (!d->fieldsPane)
        return;
    RECT rc;
    GetClientRect(PCFWnd(d->fieldsPane), &rc);
    int filterBand = (5 * d->lineHeight) / 3;
    int fields = (d->stateFlags & DF_SHOW_FIELDS) != 0, filter = (d->stateFlags & DF_SHOW_FILTER) != 0;
    HWND fw = PCFWnd(d->fieldWindow);
    if (fw) {
        if (fields) {
            MoveWindow(fw, 0, 0, rc.right, rc.bottom - (filter ? filterBand : 0), TRUE);
            ShowWindow(fw, SW_SHOW);
        } else {
            ShowWindow(fw, SW_HIDE);
        }
    }
    HWND button = PCFWnd(d->filterButton), combo = PCFWnd(d->filterWindow);
    if (button && combo) {
        int top = rc.bottom - filterBand, bw = 4 * d->charWidth;
        MoveWindow(button, 0, top, bw, filterBand, TRUE);
        MoveWindow(combo, bw, top, rc.right - bw > 0 ? rc.right - bw : 0, 11 * d->lineHeight, TRUE);
        ShowWindow(button, filter ? SW_SHOW : SW_HIDE);
        ShowWindow(combo, filter ? SW_SHOW : SW_HIDE);
    }
    int content = (fields ? d->paneHeight : 0) + (filter ? filterBand : 0);
    BagRecord *bag = (BagRecord *)d->bag;
    if (!bag)
        return;
    if (content >= 1) {
        BagShow(bag, PCFWnd(d->fieldsPane));
        BagSetPanePos(bag, PCFWnd(d->fieldsPane), 0, content, 0);
    } else {
        BagHide(bag, PCFWnd(d->fieldsPane), BAG_UP);
    }
}

/* Field window (and tabs) over an area; the data window below. */
static void PlaceFields(DialogWords *d, const Bands *b, int bottom)
{
    HWND fw = PCFWnd(d->fieldWindow), tab = PCFWnd(d->tabWindow), data = PCFWnd(d->dataWindow);
    int fields = (d->stateFlags & DF_SHOW_FIELDS) != 0;
    int available = bottom - b->top, height = available;
    if (data)
        height = fields ? (d->paneHeight < available / 2 ? d->paneHeight : available / 2) : 0;
    RECT area = { 0, b->top, b->cx, b->top + height };
    if (tab) {
        MoveWindow(tab, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
        ShowWindow(tab, fields && height > 0 ? SW_SHOW : SW_HIDE);
        RECT inner = { 0, 0, area.right - area.left, area.bottom - area.top };
        PCFSizeFieldTabs(tab, &inner);
        OffsetRect(&inner, area.left, area.top);
        area = inner;
    }
    if (fw) {
        MoveWindow(fw, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
        ShowWindow(fw, fields && height > 0 ? SW_SHOW : SW_HIDE);
        if (tab)
            SetWindowPos(fw, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    int y = b->top + height;
    int message = (d->definition->flags & PCFD_MSGDIALOG) != 0;
    if (data && message) {
        int toolbar = (d->toolbar && (d->optionFlags & DO_TOOLBAR)) ? TbHeightFor(PCFWnd(d->toolbar), b->cx) : 0;
        if (d->toolbar && toolbar) {
            MoveWindow(PCFWnd(d->toolbar), 0, y, b->cx, toolbar, TRUE);
            ShowWindow(PCFWnd(d->toolbar), SW_SHOW);
        }
        y += toolbar;
    }
    if (data)
        MoveWindow(data, 0, y, b->cx, bottom - y > 0 ? bottom - y : 0, TRUE);
    if (HistoryInDialog(d)) {
        MoveWindow(PCFWnd(d->historyCombo), 0, bottom, b->cx, 11 * d->lineHeight, TRUE);
        bottom += (5 * d->lineHeight) / 3;
    }
    if (data && d->filterWindow)
        MoveWindow(PCFWnd(d->filterWindow), 0, bottom, b->cx, 11 * d->lineHeight, TRUE);
    d->visibleLines = (uint16_t)(d->linePitch ? (area.bottom - area.top) / d->linePitch : 0);
}

void PCFPositionDialogFields(DialogWords *d, int)
{
    RECT rc;
    if (!d->window || (d->displayFlags & 0x2000))
        return;
    GetClientRect(Wnd(d), &rc);
    if (rc.right < 1 || rc.bottom < 1)
        return;
    const PCFCommandDef *def = d->definition;
    Bands b = { rc.right, rc.bottom, 0, 0, 0 };
    int buttons = (d->stateFlags & DF_SHOW_BUTTONS) ? d->buttonHeight + d->margin : 0;
    int statusBand = (5 * d->lineHeight) / 3, history = HistoryInDialog(d) ? statusBand : 0;
    int toolbar = (d->toolbar && (d->optionFlags & DO_TOOLBAR)) ? TbHeightFor(PCFWnd(d->toolbar), rc.right) : 0;
    int message = (def->flags & PCFD_MSGDIALOG) && !def->list;
    d->countWidth = (uint16_t)(def->list ? ((def->flags & PCFD_PAIR) ? 32 : 16) * d->charWidth
                                         : message ? 16 * d->charWidth : 0);
    b.buttonTop = rc.bottom - buttons;
    b.statusTop = b.buttonTop - statusBand;
    PCFPositionButtons(d, 0);
    if (d->statusWindow)
        MoveWindow(PCFWnd(d->statusWindow), 0, b.statusTop, rc.right - d->countWidth, 10 * d->lineHeight, TRUE);
    if (d->countWindow)
        MoveWindow(PCFWnd(d->countWindow), rc.right - d->countWidth, b.statusTop, d->countWidth, statusBand, TRUE);
    if (d->toolbar && !message) {
        ShowWindow(PCFWnd(d->toolbar), toolbar ? SW_SHOW : SW_HIDE);
        if (toolbar)
            MoveWindow(PCFWnd(d->toolbar), 0, d->margin / 2, rc.right, toolbar, TRUE);
    } else if (d->toolbar && !toolbar) {
        ShowWindow(PCFWnd(d->toolbar), SW_HIDE);
    }
    b.top = message ? 0 : (toolbar ? toolbar + d->margin / 2 : 0);
    if (def->list && d->bag) {
        BagRecord *bag = (BagRecord *)d->bag;
        PCFPositionListPane(d);
        int height = b.statusTop - b.top;
        BagResize(bag, 0, b.top, rc.right, height > 1 ? height : 1);
        PCFSizeListArea(d);
        PCFPositionButtons(d, 0);
    } else {
        PlaceFields(d, &b, b.statusTop - history - ((message && d->filterWindow) ? statusBand : 0));
    }
    if (!(d->markFlags & DM_LAID_OUT)) {
        d->markFlags |= DM_LAID_OUT;
        if (!(d->optionFlags & 0x40000)) {
            PCFSetWindowsColours(d);
            PCFSetShowHideTexts(d);
        }
    }
    InvalidateRect(Wnd(d), nullptr, TRUE);
}

/* ---- the window on the monitors ---- */

/* The work area of the layout (one monitor: its work area). */
static AreaRect WorkArea(void)
{
    const DisplayLayout *l = UtilDisplayLayout();
    return l->monitors > 1 ? l->desktop : l->monitor[0];
}

void PCFMoveToPlacement(DialogWords *d, int slot, int32_t cx, int32_t cy)
{
    PlaceRect pair[2];
    for (int i = 0; i < 2; i++)
        pair[i] = { d->placement[i][0], d->placement[i][1], d->placement[i][2], d->placement[i][3] };
    pair[slot].cx = cx;
    pair[slot].cy = cy;
    WinFitRectSaved(pair, 1, 0);
    MoveWindow(Wnd(d), pair[slot].x, pair[slot].y, pair[slot].cx, pair[slot].cy, TRUE);
}

void PCFPositionDialog(DialogWords *d)
{
    if (d->optionFlags & (DO_CHILD | DO_IN_CALLER_WINDOW))
        return;
    AreaRect work = WorkArea();
    int32_t workCx = work.right - work.left, workCy = work.bottom - work.top;
    int slot = PCFPlacementSlot();
    if (!(d->markFlags & DM_SIZE_SET)) {
        GetDialogSize(d, workCx, workCy);
        d->placement[slot][2] += 2 * d->margin;
        d->placement[slot][3] += 2 * (d->margin + GetSystemMetrics(SM_CYSIZEFRAME)) + GetSystemMetrics(SM_CYCAPTION) +
                                 GetSystemMetrics(SM_CYMENU);
    }
    int32_t cx = d->placement[slot][2], cy = d->placement[slot][3];
    if (cx > workCx)
        cx = workCx;
    if (cy > workCy)
        cy = workCy;
    HWND hwnd = Wnd(d);
    if (d->markFlags & DM_POS_SET) {
        PCFSetPlacementSize(d->placement, cx, cy);
        PCFMoveToPlacement(d, slot, cx, cy);
    } else {
        /* before the first showing the active window is the one it was
         * opened from: the frame, or another dialog */
        HWND opener = GetActiveWindow();
        WinPositionNear(hwnd, opener != hwnd ? opener : nullptr, cx, cy, 0);
    }
    if (d->saved && d->saved->showState == 2)
        ShowWindow(hwnd, SW_MAXIMIZE);
    else if (d->saved && d->saved->showState == 1)
        ShowWindow(hwnd, SW_MINIMIZE);
}

/* A dialog sized by its content, once laid out: its height corrected so
 * that the tallest tab's lines show with no line to spare (the tab strip,
 * toolbar and status bands are known only now). */
void PCFFitFieldLines(DialogWords *d)
{
    if (!d->tabWindow || d->dataWindow || d->definition->list || !(d->stateFlags & DF_SHOW_FIELDS) ||
        !d->linePitch || (d->optionFlags & (DO_CHILD | DO_IN_CALLER_WINDOW)))
        return;
    int tallest = 0;
    for (const auto &t : d->tabs)
        tallest = t.lines > tallest ? t.lines : tallest;
    int change = (tallest - d->visibleLines) * d->linePitch;
    if (!tallest || !change)
        return;
    HWND hwnd = Wnd(d);
    RECT r;
    GetWindowRect(hwnd, &r);
    AreaRect work = WorkArea();
    int cy = r.bottom - r.top + change, most = work.bottom - work.top;
    if (cy > most)
        cy = most;
    /* a window placed by the program keeps the centre it was placed on,
       inside the work area; a remembered place keeps its top */
    int top = (d->markFlags & DM_POS_SET) ? r.top : r.top - (cy - (r.bottom - r.top)) / 2;
    top = top + cy > work.bottom ? work.bottom - cy : top;
    top = top < work.top ? work.top : top;
    SetWindowPos(hwnd, nullptr, r.left, top, r.right - r.left, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    PCFPositionDialogFields(d, 1);
}

/* Remembers the Message List's height program-wide. */
static void ListHeight(DialogWords *d, int32_t cy)
{
    if (d->definition != &PCFMessageListDef)
        return;
    if (PCFMonitorsAtStart() > 1)
        PcfWinPrefs.listHeightMany = cy;
    else
        PcfWinPrefs.listHeightOne = cy;
}

void PCFRecordPlacement(DialogWords *d, int moved)
{
    HWND hwnd = Wnd(d);
    if (!hwnd || (d->optionFlags & (DO_CHILD | DO_IN_CALLER_WINDOW)))
        return;
    WINDOWPLACEMENT wp = { sizeof wp };
    GetWindowPlacement(hwnd, &wp);
    if (!IsWindowVisible(hwnd) || wp.showCmd == SW_SHOWMINIMIZED || wp.showCmd == SW_MINIMIZE ||
        wp.showCmd == SW_SHOWMINNOACTIVE)
        return;
    RECT r;
    GetWindowRect(hwnd, &r);
    PCFNoteMonitors(UtilDisplayLayout()->monitors);
    int slot = PCFPlacementSlot();
    d->placement[slot][0] = r.left;
    d->placement[slot][1] = r.top;
    d->placement[slot][2] = r.right - r.left;
    d->placement[slot][3] = r.bottom - r.top;
    if (d->saved) {
        PCFSavePlacement(d);
    } else if (d->instance == 1 && d->dlgInfo) {
        int32_t(*slots)[4] = (int32_t(*)[4]) & d->dlgInfo->x;
        if (moved && PCFSetPlacementPos(slots, r.left, r.top))
            d->dlgInfo->optA |= DLGA_POSSAVED;
        if (!moved && PCFSetPlacementSize(slots, r.right - r.left, r.bottom - r.top))
            d->dlgInfo->optA |= DLGA_SIZESAVED;
    }
    if (!moved)
        ListHeight(d, r.bottom - r.top);
}

void PCFSavePlacement(DialogWords *d)
{
    if (!d->saved || PcfWinPrefs.captureOff)
        return;
    WINDOWPLACEMENT wp = { sizeof wp };
    GetWindowPlacement(Wnd(d), &wp);
    if (wp.showCmd != SW_SHOWNORMAL && wp.showCmd != SW_SHOW && wp.showCmd != SW_RESTORE)
        return;
    RECT r;
    GetWindowRect(Wnd(d), &r);
    int32_t slots[2][4] = { { d->saved->st.x, d->saved->st.y, d->saved->st.cx, d->saved->st.cy },
                            { d->saved->st.x2, d->saved->st.y2, d->saved->st.cx2, d->saved->st.cy2 } };
    if (!PCFSetPlacementPos(slots, r.left, r.top) || !PCFSetPlacementSize(slots, r.right - r.left, r.bottom - r.top))
        return;
    PDGSTATE &s = d->saved->st;
    s.x = slots[0][0], s.y = slots[0][1], s.cx = slots[0][2], s.cy = slots[0][3];
    s.x2 = slots[1][0], s.y2 = slots[1][1], s.cx2 = slots[1][2], s.cy2 = slots[1][3];
    MarkDialogsStale(nullptr, 10020, 0, 1, 0);
}

/* A saved dialog's kind and queue manager bound to its template: the
 * kinds that name a queue manager (all but 8, 10 and 11, which need none)
 * open on its location; "<Prompt>" asks for the queue manager each time
 * the dialog opens.  0: not to be opened. */
int PCFResolveObjectName(HWND owner, DialogWords *t)
{
    static uint32_t openings;
    SAVEDDIALOG *s = t->saved;
    if (!s || !DlgTypeValue3(s->type))
        return 0;
    if (s->type == 8 || s->type == 10 || s->type == 11)
        return 1;
    char name[50];
    snprintf(name, sizeof name, "%s", s->qm);
    if (strstr(s->qm, "<Prompt>")) {
        t->chooseGeneration = 0x80000000u | ++openings;
        if (!ChooseQMgrDialog(owner, name, t->chooseGeneration))
            return 0;
        t->stateFlags |= DF_NAME_ASKED;
    }
    QMS *location = LocFind(name);
    if (!location)
        return 0;
    t->first.location = location;
    return 1;
}
