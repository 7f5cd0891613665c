/* Stand-ins for the pieces built later that the command dialog's windows
 * call (laterwin.h): the list rows, title bars, count window and list
 * pane do their least (panes pass messages on and size the list, the
 * count window shows the row counts), filters and export do nothing, the
 * message editor is a placeholder data window, and a change of the
 * queue-manager pair retitles the dialog.  The real pieces replace this
 * file. */
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
    DialogWords *d = PCFPaneBind(hwnd, msg, lp);
    if (msg == WM_CREATE || msg == WM_NCDESTROY)
        return 0;
    if (PCFPaneForwards(msg))
        return SendMessageA(GetParent(hwnd), msg, wp, lp);
    if (msg == WM_SIZE && d)
        PCFSizeListArea(d);
    return msg == WM_ERASEBKGND ? 1 : msg == WM_SIZE ? 0 : DefWindowProcA(hwnd, msg, wp, lp);
}

/* A framed placeholder with a centred text. */
static LRESULT Placeholder(HWND hwnd, UINT msg, WPARAM wp, int slot, COLORREF colour, const char *text)
{
    PAINTSTRUCT ps;
    HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : (HDC)wp;
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, ColourBrush(slot));
    DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0));
    DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    if (msg == WM_PAINT)
        EndPaint(hwnd, &ps);
    return 0;
}

LRESULT CALLBACK PCFCountProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DialogWords *d = PCFPaneBind(hwnd, msg, lp);
    if (msg == WM_CREATE || msg == WM_NCDESTROY)
        return 0;
    if ((msg == WM_PAINT || msg == WM_PRINTCLIENT) && d) {
        char text[40] = "";
        if (d->definition && d->definition->list)
            snprintf(text, sizeof text, "%u / %u", (unsigned)d->rowCounts[1], (unsigned)d->rowCounts[0]);
        return Placeholder(hwnd, msg, wp, 4, *ColourRef(1), text);
    }
    return msg == WM_ERASEBKGND ? 1 : DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- filters, export ---- */

int PCFNewFilter(DialogWords *, int) { return 0; }
void PCFCheckVars(DialogWords *) {}
void ColFilterClearChanged(DialogWords *) {}
void ExpOpenDialog(DialogWords *) {}

/* ---- the message editor ---- */

LRESULT CALLBACK PCFDataProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT || msg == WM_PRINTCLIENT)
        return Placeholder(hwnd, msg, wp, 19, RGB(0x80, 0x80, 0x80), "(message data)");
    return msg == WM_ERASEBKGND ? 1 : DefWindowProcA(hwnd, msg, wp, lp);
}

void *PCFEditorCreate(DialogWords *) { return nullptr; }
int EdCommand(DialogWords *, int32_t) { return 0; }
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

void PCFQmgrPairChanged(DialogWords *d, PCFFieldEntry *entry, int)
{
    FieldHWNDData(d, 1, nullptr, 0, entry, nullptr, -1, 0);
    PCFDialogTitle(d, nullptr);
}
