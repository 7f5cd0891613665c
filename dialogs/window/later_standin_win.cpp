/* Stand-ins for the pieces built later that the command dialog's windows
 * call (laterwin.h): the message editor is a placeholder data window.
 * The real piece replaces this file. */
#include "pcfwin.h"
#include "laterwin.h"

#include <cstdio>

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


/* ---- the message editor ---- */

LRESULT CALLBACK PCFDataProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT || msg == WM_PRINTCLIENT)
        return Placeholder(hwnd, msg, wp, 19, RGB(0x80, 0x80, 0x80), "(message data)");
    return msg == WM_ERASEBKGND ? 1 : DefWindowProcA(hwnd, msg, wp, lp);
}

void *PCFEditorCreate(DialogWords *) { return nullptr; }
int EdCommand(DialogWords *, int32_t) { return 0; }
void PCFSetViewMode(DialogWords *, int32_t) {}
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
