/* Stand-ins for the pieces built later that the command dialog's windows
 * call (laterwin.h): the list rows, title bars, count window and list
 * pane do their least (panes pass messages on and size the list, the
 * count window shows the row counts), filters and export do nothing, the
 * message editor is a placeholder data window, and the queue-manager
 * pair is taken as valid.  The real pieces replace this file. */
#include "pcfwin.h"
#include "laterwin.h"

#include <cstdio>

/* ---- lists ---- */

void PCFUpdateList(DialogWords *, int, HDC, int, uintptr_t, PCFLISTAREA *) {}
void PCFCalculateListSizes(DialogWords *, int) {}
void PCFDrawListItem(DialogWords *, const DRAWITEMSTRUCT *) {}
LRESULT PCFDrawTitleBar(DialogWords *, LPARAM) { return 0; }
void PCFUpdateListCount(DialogWords *) {}
void PCFCheckLists(DialogWords *) {}
void PCFRefreshList(DialogWords *, int) {}
void PCFCopySortMarks(DialogWords *, PCFLISTREQ *, PCFLISTAREA *) {}
void PCFPrintArea(DialogWords *, int, LPARAM) {}
void PCFAlterListOpen(DialogWords *) {}
void PCFBuildQmList(DialogWords *) {}
void PCFStepMessage(DialogWords *, int32_t) {}
void PCFCopyListText(DialogWords *) {}
void PCFAutoRefreshDialog(DialogWords *) {}
void PCFInitAutoRefresh(DialogWords *) {}
void PCFDiffFromDefault(DialogWords *, PCFLISTREQ *) {}
void PCFClickDialog(DialogWords *, int32_t) {}
int PCFSelectedRows(DialogWords *, PCFROW **first, PCFLISTAREA **area)
{
    if (first)
        *first = nullptr;
    if (area)
        *area = nullptr;
    return 0;
}
void PCFSubclassTitleBar(DialogWords *, HWND) {}

LRESULT CALLBACK PCFListPaneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTA *)lp)->lpCreateParams);
        return 0;
    }
    DialogWords *d = (DialogWords *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    switch (msg) {
    case WM_SIZE:
        if (d)
            PCFSizeListArea(d);
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_DRAWITEM: case WM_COMMAND: case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: case UM_DRAW_TITLE: case UM_LIST_SIZE: case UM_LEAVE_NEXT: case UM_LEAVE_PREVIOUS:
    case 1240: case 1253:
        return SendMessageA(GetParent(hwnd), msg, wp, lp);
    case WM_NCDESTROY: SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK PCFCountProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTA *)lp)->lpCreateParams);
        return 0;
    }
    DialogWords *d = (DialogWords *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    if ((msg == WM_PAINT || msg == WM_PRINTCLIENT) && d) {
        PAINTSTRUCT ps;
        HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : (HDC)wp;
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, ColourBrush(4));
        DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
        char text[40] = "";
        if (d->definition && d->definition->list)
            snprintf(text, sizeof text, "%u / %u", (unsigned)d->rowCounts[1], (unsigned)d->rowCounts[0]);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, *ColourRef(1));
        HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0));
        DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
        if (msg == WM_PAINT)
            EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND)
        return 1;
    if (msg == WM_NCDESTROY)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- filters, export ---- */

int PCFNewFilter(DialogWords *, int) { return 0; }
void PCFCheckVars(DialogWords *) {}
void ColFilterClearChanged(DialogWords *) {}
void ExpOpenDialog(DialogWords *) {}

/* ---- the message editor ---- */

LRESULT CALLBACK PCFDataProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT || msg == WM_PRINTCLIENT) {
        PAINTSTRUCT ps;
        HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : (HDC)wp;
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, ColourBrush(19));
        DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0x80, 0x80, 0x80));
        DrawTextA(dc, "(message data)", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (msg == WM_PAINT)
            EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND)
        return 1;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void *PCFEditorCreate(DialogWords *) { return nullptr; }
int EdCommand(DialogWords *, int32_t) { return 0; }
void SetViewModeOption(DialogWords *, int32_t) {}
void ToggleViewOption(DialogWords *, int32_t) {}
void ViewCopyToClipboard(DialogWords *, int32_t) {}
void EdSetLineNumbers(DialogWords *, int) {}
int EdBrowseBits(DialogWords *) { return -1; }
void StructInsertBefore(DialogWords *, int32_t) {}
void StructInsertAfter(DialogWords *, int32_t) {}
void StructRemove(DialogWords *) {}
void StructAddArrayElement(DialogWords *, int) {}
void StructRemoveArrayElement(DialogWords *) {}

/* ---- the queue-manager pair ---- */

int CheckQmgrPair(DialogWords *, int) { return 1; }
void PCFQmgrPairChanged(DialogWords *d, PCFFieldEntry *entry, int)
{
    FieldHWNDData(d, 1, nullptr, 0, entry, nullptr, -1, 0);
    PCFDialogTitle(d, nullptr);
}
