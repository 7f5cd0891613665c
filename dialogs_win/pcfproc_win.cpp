/* PCFCommandProc: the window procedure of RAVOLT_COMMAND and
 * RAVOLT_CHLD_COMMAND.  It hands the private messages of the reply
 * threads (finished lists, converted data, status and title texts), the
 * location and list changes, fonts, printing and panes to their helpers;
 * records placement; colours the children; and closes the dialog.  The
 * commands themselves are pcfcommand_win.cpp's. */
#include "pcfwin.h"
#include "pcflistwin.h"
#include "filters.h"

#include <commctrl.h>
#include <initializer_list>

#include "bag.h"
#include "cnt.h"
#include "confirm.h"
#include "cs.h"
#include "prfdata.h"
#include "qms.h"
#include "tkcontrols.h"
#include "tktoolbar.h"
#include "tkwin.h"

DialogWords *PCFActiveDialog;

DialogWords *PCFDialogOf(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    char cls[32];
    if (GetClassNameA(hwnd, cls, sizeof cls) &&
        (strcmp(cls, PCF_CLASS_COMMAND) == 0 || strcmp(cls, PCF_CLASS_CHILD) == 0))
        return (DialogWords *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    return (DialogWords *)GetPropA(hwnd, "PCFDialog");
}

void PCFBroadcast(UINT msg, WPARAM wp, LPARAM lp)
{
    HWND windows[256];
    int n = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d && n < 256; d = d->next)
        if (!(d->stateFlags & DF_CLOSING) && d->window)
            windows[n++] = PCFWnd(d->window);
    CSUnlockGlobal(CSLOCK_DIALOGS);
    for (int i = 0; i < n; i++)
        if (IsWindow(windows[i]))
            SendMessageA(windows[i], msg, wp, lp);
}

/* ---- messages of the reply threads ---- */

/* 10002: the end of a command; rows rebuilt for the refresh action. */
static LRESULT ReplyDone(DialogWords *d, LPARAM command)
{
    const PCFActionDef *first = d->definition ? d->definition->actions : nullptr;
    if (d->splitList && first && first->id && (uint32_t)command == first->command)
        PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
    if (d->dataWindow)
        SendMessageA(PCFWnd(d->dataWindow), UM_PCF_REPLY_DONE, 0, command);
    return 0;
}

/* 10003: a finished list area. */
static LRESULT UpdateList(DialogWords *d, WPARAM wp, LPARAM lp)
{
    PCFLISTREQ *request = (PCFLISTREQ *)wp;
    PCFLISTAREA *area = (PCFLISTAREA *)lp;
    if (CSTraceIsOn())
        CSTrace(1, "UM_PCF_UPDATE_LIST(%8X,%8X)\n", (unsigned)wp, (unsigned)lp);
    PCFCopySortMarks(d, request, area);
    PCFUpdateList(d, 0, nullptr, 1, wp, area);
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (s->openStartupMessage)
        s->openStartupMessage(s->context, d);
    return 0;
}

/* 10004: converted data taken over; fields, menu and value again.  The
 * pane of a message dialog loads the message of a data area taken over
 * (lParam bit 0), and only of that. */
static LRESULT UpdateDialog(DialogWords *d, WPARAM recheck)
{
    int took = PCFTakeDialogData(d);
    if (recheck || took) {
        PCFCheckDateFields(d, 0);
        PCFCountFields(d);
    }
    if (d->dataWindow)
        SendMessageA(PCFWnd(d->dataWindow), UM_PCF_UPDATE_DIALOG, recheck, took ? 1 : 0);
    PCFSetMenu(d);
    if (d->fieldWindow)
        InvalidateRect(PCFWnd(d->fieldWindow), nullptr, TRUE);
    PCFShowFieldValue(d, 0);
    return 0;
}

/* 10005, 10006, 11244: a text posted with a tagged block, freed here. */
static LRESULT PostedText(DialogWords *d, UINT msg, WPARAM wp, LPARAM lp)
{
    char *text = (char *)lp;
    if (msg == UM_PCF_TITLE)
        PCFDialogTitle(d, text);
    else
        PCFDialogStatus(d, text ? text : "", nullptr, msg == UM_PCF_STATUS ? (uint32_t)wp : 0);
    if (text)
        CSFreeMem(text);
    return 0;
}

/* 10008: the location record changed. */
static LRESULT LocationChanged(DialogWords *d)
{
    if (d->first.location)
        d->first.caps = d->first.location->caps;
    PCFDialogTitle(d, nullptr);
    return SendMessageA(PCFWnd(d->window), UM_PCF_UPDATE_DIALOG, 1, 0);
}

/* 11235: the first showing. */
static LRESULT InitDialog(DialogWords *d)
{
    HWND hwnd = PCFWnd(d->window);
    const PCFCommandDef *def = d->definition;
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    int sizedByContent = !(d->markFlags & DM_SIZE_SET);
    PCFPositionDialog(d);
    PCFSetMenu(d);
    PCFViewCommand(d, 0);
    PCFPositionDialogFields(d, 1);
    if (sizedByContent)
        PCFFitFieldLines(d);
    if (def->list && d->saved) {
        SetWindowTextA(PCFWnd(d->filterWindow), d->saved->st.fil);
        int32_t nameAttr = DlgTypeValue1(d->saved->type), second = DlgTypeValue2(d->saved->type);
        if (d->saved->st.obj[0] && nameAttr)
            PCFSetFieldText(d, (uint32_t)nameAttr, d->saved->st.obj);
        if (second && d->saved->st.typ && d->saved->st.typ != PD_UNSET)
            PCFSetFieldInt(d, (uint32_t)second, d->saved->st.typ);
    } else if (def->list && d->dlgInfo && d->dlgInfo->dftFilter) {
        SetWindowTextA(PCFWnd(d->filterWindow), d->dlgInfo->dftFilter);
    }
    if ((def->flags & PCFD_PAIR) && d->first.location)
        PCFSetFieldText(d, 10119, d->first.location->qmName);
    if (d->qmList) {
        if (PcfWinPrefs.showQmList) {
            d->optionFlags |= DO_QMLIST;
            if (d->toolbar)
                TbSetButtonState(PCFWnd(d->toolbar), 780, 1);
            cntScrollToSelection(PCFWnd(d->qmList));
        } else if (d->bag && BagHide((BagRecord *)d->bag, PCFWnd(d->qmList), BAG_LEFT)) {
            WinOpError("BagHide");
        }
    }
    if (!(d->optionFlags & DO_BACKGROUND) || PcfWinPrefs.showBackground) {
        if (!(d->optionFlags & DO_IN_CALLER_WINDOW))
            ShowWindow(hwnd, SW_SHOW);
    }
    PCFFocusFirstField(d);
    return 0;
}

/* 11236: the program font. */
static LRESULT NewFont(DialogWords *d, WPARAM repaint)
{
    HWND hwnd = PCFWnd(d->window);
    PCFSetFontMetrics(d);
    HFONT font = winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    WinSetChildFonts(hwnd, font);
    if (d->qmList)
        cntSetFont(PCFWnd(d->qmList), font);
    PCFCalculateMaxSizes(d);
    if (repaint) {
        PCFPositionDialogFields(d, 1);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    return 0;
}

/* 11346: a named filter changed; a filter naming it is compiled again
 * (its old program and text go, so the filter button takes the field anew). */
static LRESULT FilterNames(DialogWords *d, LPARAM name)
{
    char text[302];
    if (!d->filterWindow || !name)
        return 0;
    GetWindowTextA(PCFWnd(d->filterWindow), text, sizeof text);
    if (text[0] == '$' && strcmp(text + 1, (const char *)name) == 0) {
        PCFFilterFree(d);
        PostMessageA(PCFWnd(d->window), WM_COMMAND, PCFC_FILTERBUTTON, 0);
    }
    return 0;
}

/* 1236, 1237: focus handed between the lists and the field pane. */
static LRESULT LeaveControl(DialogWords *d, UINT msg, LPARAM control)
{
    HWND from = (HWND)control;
    if (from == PCFWnd(d->splitList) && (d->stateFlags & DF_SHOW_FIELDS) && d->valueWindow)
        SetFocus(PCFWnd(d->valueWindow));
    else if ((from == PCFWnd(d->fieldWindow) || !from) && d->splitList)
        SetFocus(PCFWnd(d->splitList));
    else if (!d->splitList)
        TabWindowByPosition(PCFWnd(d->window), 1, msg == LBM_TAB, 0);
    return 0;
}

static LRESULT PrivateMessage(DialogWords *d, UINT msg, WPARAM wp, LPARAM lp, int *handled)
{
    *handled = 1;
    switch (msg) {
    case UM_PCF_REPLY_DONE: return ReplyDone(d, lp);
    case UM_PCF_UPDATE_LIST: return UpdateList(d, wp, lp);
    case UM_PCF_UPDATE_DIALOG: return UpdateDialog(d, wp);
    case UM_PCF_TITLE: case UM_PCF_STATUS: case FM_TEXT: return PostedText(d, msg, wp, lp);
    case UM_LOCATION_ERROR: PCFDialogStatus(d, (const char *)lp, nullptr, 4); return 0;
    case UM_PCF_LOCATION: return LocationChanged(d);
    case UM_INITDLG: return InitDialog(d);
    case UM_NEWFONT: return NewFont(d, wp);
    case UM_NEW_LIST:
        PCFDialogTitle(d, nullptr);
        PCFCheckLists(d);
        PCFCheckVars(d, 1);
        PCFRefreshList(d, 1);
        return 0;
    case UM_QMLIST_CHANGED: PCFBuildQmList(d); return 0;
    case UM_PRINT_MEASURE: case UM_PRINT_PAGE: PCFPrintArea(d, msg == UM_PRINT_MEASURE, lp); return 0;
    case UM_PRINT_RELEASE: {
        void **payload = (void **)lp;
        if (payload && *payload)
            CSFreeMemAndClear(payload);
        return 0;
    }
    case UM_RESIZE_COLUMNS: PCFCalculateListSizes(d, 0); return 0;
    case UM_FLT_NAMECHANGED: return FilterNames(d, lp);
    case UM_CLEAR_COLFILTER: d->columnFilters = nullptr; return 0;
    case UM_PANE_POS:
        if ((HWND)wp == PCFWnd(d->qmList) && (d->optionFlags & DO_QMLIST))
            Prf.qmlistwid = PcfWinPrefs.qmListPosition = LOWORD(lp);
        return 0;
    case UM_PCF_SETMENU: PCFSetMenu(d); return 0;
    case UM_FIELDS_CHANGED:
        PCFCreateFieldWindows(d, 1);
        PCFCountFields(d);
        PCFPositionDialogFields(d, 1);
        return 0;
    case UM_DATE_FIELDS:
        if (PCFCheckDateFields(d, 1))
            PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
        return 0;
    case LBM_BARNEEDED: d->listSizeOption = (uint32_t)wp; PCFCalculateListSizes(d, 0); return 0;
    case LBM_TAB: case LBM_BACKTAB: return LeaveControl(d, msg, lp);
    case LBM_DRAWTITLE: return wp == 1001 ? PCFDrawTitleBar(d, lp) : 1;
    }
    *handled = 0;
    return 0;
}

/* ---- system messages ---- */

static void Paint(DialogWords *d, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if ((d->displayFlags & 0x2000) || d->countWidth)
        FillRect(dc, &ps.rcPaint, ColourBrush(4));
    EndPaint(hwnd, &ps);
}

static void SetFocusInside(DialogWords *d)
{
    if (d->splitList && IsWindowVisible(PCFWnd(d->splitList)))
        SetFocus(PCFWnd(d->splitList));
    else if (d->historyCombo)
        SetFocus(PCFWnd(d->historyCombo));
    else if (d->dataWindow)
        SetFocus(PCFWnd(d->dataWindow));
    else if (d->valueWindow && IsWindowVisible(PCFWnd(d->valueWindow))) {
        SetFocus(PCFWnd(d->valueWindow));
        SendMessageA(PCFWnd(d->valueWindow), EM_SETSEL, 0, -1);
    }
}

static LRESULT MeasureItem(DialogWords *d, MEASUREITEMSTRUCT *mi)
{
    if (mi->CtlType == ODT_MENU)
        PCFMeasureBarItem(d, mi);
    else if (mi->CtlID == 18)
        mi->itemHeight = (UINT)d->lineHeight + 4;
    return TRUE;
}

static LRESULT DrawItem(DialogWords *d, const DRAWITEMSTRUCT *di)
{
    if (di->CtlType == ODT_MENU)
        PCFDrawBarItem(d, di);
    else if (di->CtlType == ODT_BUTTON)
        PCFDrawButton(d, di);
    else if (di->CtlID == PCFC_LISTS)
        PCFDrawListItem(d, di);
    return TRUE;
}

CaptionTexts *PCFCaptionTexts(DialogWords *d)
{
    if (!d->captionTexts && (d->captionTexts = (CaptionTexts *)CSGetMem(sizeof(CaptionTexts), "CAPTION")) != nullptr)
        memset(d->captionTexts, 0, sizeof(CaptionTexts));
    return d->captionTexts;
}

static int UsesCaptionTexts(const DialogWords *d)
{
    return !PcfWinPrefs.captionTagsOff && !(d->optionFlags & DO_CHILD);
}

/* The parts that go before the window: pop-ups, menu, editors, lines. */
static void DestroyParts(DialogWords *d)
{
    for (void *&w : d->popups)
        if (w) {
            DestroyWindow(PCFWnd(w));
            w = nullptr;
        }
    for (void **w : { &d->editWindow, &d->comboWindow, &d->combo2Window })
        if (*w) {
            DestroyWindow(PCFWnd(*w));
            *w = nullptr;
        }
    d->valueWindow = nullptr;
    if (d->qmList) {
        CntLineSet *old = nullptr;
        cntSetLines(PCFWnd(d->qmList), nullptr, &old);
        if (old)
            cntFreeLines(old, 1);
    }
}

void PCFCloseDialog(DialogWords *d)
{
    HWND hwnd = PCFWnd(d->window);
    if (CSTraceIsOn())
        CSTrace(1, "WM_CLOSE\n");
    d->stateFlags |= DF_CLOSING;
    /* the definition's close command (the message kinds close their
       queue's cached handles), sent while the editors still hold what
       was typed */
    const PCFHOOKS *h = PCFHooks();
    if (d->definition && d->definition->secondCommand && d->first.location && h->doCommand)
        h->doCommand(h->context, d, d->definition->secondCommand, nullptr, nullptr);
    DestroyParts(d);
    if (d->optionFlags & DO_IN_CALLER_WINDOW) {
        RemovePropA(hwnd, "PCFDialog");
        if (d->menu)
            DestroyMenu((HMENU)d->menu);
        d->menu = nullptr;
        PCFRenumberSharing(d, [](DialogWords *o) { PCFDialogTitle(o, nullptr); });
        CSFreeMemAndClear(&d->bag);
        FreeDialogWords(d);
        return;
    }
    DestroyWindow(hwnd);              /* WM_NCDESTROY frees the instance */
}

/* The texts posted to the window and not yet taken go with it (a reply
 * that came in while it closed, such as its close command's). */
static void DropPostedTexts(HWND hwnd)
{
    MSG m;
    for (UINT msg : { (UINT)UM_PCF_TITLE, (UINT)UM_PCF_STATUS, (UINT)FM_TEXT })
        while (PeekMessageA(&m, hwnd, msg, msg, PM_REMOVE))
            if (m.lParam)
                CSFreeMem((void *)m.lParam);
}

/* WM_NCDESTROY: the window has gone; others renumbered, the hidden owner
 * asked to go, the instance freed. */
static void Destroyed(DialogWords *d, HWND hwnd)
{
    /* a worker's late text goes to no window from here on (workers read
       the window under the dialogs lock), and what came before is
       dropped: a text posted in between was left in the queue for good */
    CSLockGlobal(CSLOCK_DIALOGS);
    d->stateFlags |= DF_CLOSING;
    d->markFlags |= DM_DESTROYED;
    d->window = nullptr;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    DropPostedTexts(hwnd);
    HWND owner = PCFWnd(d->ownerWindow);
    if (owner && !(d->optionFlags & (DO_CHILD | DO_IN_CALLER_WINDOW)))
        PostMessageA(owner, WM_CLOSE, 0, 0);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (PCFActiveDialog == d)
        PCFActiveDialog = nullptr;
    PCFRenumberSharing(d, [](DialogWords *o) { PCFDialogTitle(o, nullptr); });
    CSFreeMemAndClear(&d->bag);
    d->menu = nullptr;
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (s->removeModeless)
        s->removeModeless(s->context, hwnd);
    FreeDialogWords(d);
}

static LRESULT SystemMessage(DialogWords *d, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        d->addContext = PcfWinPrefs.addContext;
        d->updateContext = PcfWinPrefs.updateContext;
        PCFSetFontMetrics(d);
        return 0;
    case WM_MOVE: PCFRecordPlacement(d, 1); return 0;
    case WM_SIZE:
        if (wp == SIZE_MINIMIZED && d->ownerWindow && !(d->optionFlags & DO_CHILD)) {
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        }
        PCFRecordPlacement(d, 0);
        PCFPositionDialogFields(d, 0);
        return 0;
    case WM_ACTIVATE:
        PCFActiveDialog = LOWORD(wp) == WA_INACTIVE ? (PCFActiveDialog == d ? nullptr : PCFActiveDialog) : d;
        return 0;
    case WM_SETFOCUS: SetFocusInside(d); return 0;
    case WM_PAINT: Paint(d, hwnd); return 0;
    case WM_ERASEBKGND:
        if (d->definition && d->definition->list)
            return 1;
        break;
    case WM_DRAWITEM: return DrawItem(d, (const DRAWITEMSTRUCT *)lp);
    case WM_MEASUREITEM: return MeasureItem(d, (MEASUREITEMSTRUCT *)lp);
    case WM_NOTIFY:
        if (((NMHDR *)lp)->idFrom == PCFC_TABS && ((NMHDR *)lp)->code == TCN_SELCHANGE)
            PCFSelectTab(d);
        return 0;
    case WM_CONTEXTMENU: {
        if (d->optionFlags & DO_CHILD)
            PCFActiveDialog = d;
        const PCFSHELLHOOKS *s = PCFShellHooks();
        if (s->contextMenu)
            s->contextMenu(s->context, wp, lp);
        return 0;
    }
    case WM_INITMENU:
        PCFSetMenu(d);
        PCFPaneStructMenus(d);
        return 0;
    case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORDLG: {
        HBRUSH b = PCFChildColours(d, (HWND)lp, (HDC)wp);
        if (b)
            return (LRESULT)b;
        break;
    }
    case WM_COMMAND: return PCFCommand(d, wp, lp);
    case WM_CLOSE: PCFCloseDialog(d); return 0;
    case WM_NCDESTROY: Destroyed(d, hwnd); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK PCFCommandProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        DialogWords *d = (DialogWords *)((CREATESTRUCTA *)lp)->lpCreateParams;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)d);
        if (d)
            d->window = hwnd;
    }
    DialogWords *d = PCFDialogOf(hwnd);
    if (!d)
        return DefWindowProcA(hwnd, msg, wp, lp);
    if (CSTraceIsOn())
        CSTraceMsgIn("PCFCommandProc", hwnd, msg, (uint64_t)wp, (uint64_t)lp);
    int handled = 0;
    LRESULT r = 0;
    if (UsesCaptionTexts(d) && (msg == WM_SETTEXT || msg == WM_SETTINGCHANGE || msg == WM_NCPAINT ||
                            msg == WM_NCACTIVATE)) {
        CaptionTexts *texts = PCFCaptionTexts(d);
        if (texts)
            r = CaptionDefWindowProc(hwnd, msg, wp, lp, texts, &handled);
    }
    if (!handled)
        r = PrivateMessage(d, msg, wp, lp, &handled);
    if (!handled)
        r = SystemMessage(d, hwnd, msg, wp, lp);
    if (CSTraceIsOn())
        CSTraceMsgOut("PCFCommandProc", hwnd, msg, (uint64_t)r);
    return r;
}
