/* What the transfer windows share: reading fields, field errors in the
 * status line, combo boxes of remembered names and of value tables, the
 * platform of a target queue manager, remembered sizes, the program's
 * font and colours, texts from the put thread and list refreshes. */
#include "xferwnd.h"

#include <commctrl.h>
#include <cstring>

#include "confirm.h"
#include "cs.h"
#include "dialogs.h"
#include "locstore.h"
#include "mqengine.h"
#include "prfdata.h"
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"

#define DEFAULT_STREAM "SYSTEM.BROKER.DEFAULT.STREAM"

int XferFieldText(DDHANDLE dd, int id, char *out, int size)
{
    out[0] = 0;
    DDGetFieldText(dd, id, out, size);
    int n = (int)strlen(out);
    while (n && (out[n - 1] == ' ' || out[n - 1] == '\t'))
        out[--n] = 0;
    return n;
}

/* The message box's keys: Ctrl+A selects the whole text (the control's
 * character for it is swallowed, so nothing is typed). */
static LRESULT CALLBACK MessageEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR)
{
    int ctrlA = (msg == WM_KEYDOWN && wp == 'A' && (GetKeyState(VK_CONTROL) & 0x8000) &&
                 !(GetKeyState(VK_MENU) & 0x8000)) ||
                (msg == WM_CHAR && wp == 1);
    if (ctrlA) {
        if (msg == WM_KEYDOWN)
            SendMessageA(hwnd, EM_SETSEL, 0, -1);
        return 0;
    }
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, MessageEditProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void XferMessageKeys(DDHANDLE dd)
{
    HWND edit = DDGetFieldWindow(dd, PF_MESSAGE, 0);
    if (edit)
        SetWindowSubclass(edit, MessageEditProc, 1, 0);
}

void XferStatus(DDHANDLE dd, const char *text)
{
    DDSetFieldText(dd, DF_STATUS, -1, text ? text : "");
}

void XferFieldError(DDHANDLE dd, int field, const char *text)
{
    if (!DDFindField(dd, DF_STATUS)) {
        UtilMessageBox(dd->root.hwnd, "Field is mandatory", "Parameter error", MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    XferStatus(dd, text);
    MessageBeep(MB_ICONEXCLAMATION);
    HWND w = field ? DDGetFieldWindow(dd, field, 0) : nullptr;
    if (w && IsWindowVisible(w))
        SetFocus(w);
}

/* ---- remembered names ---- */

enum { STREAMS = 20 };
static char streams[STREAMS][DR_NAME + 1];

static void add_name(HWND combo, const char *name)
{
    if (name && name[0] && SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)name) == CB_ERR)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)name);
}

static void add_location(QMS *location, void *combo)
{
    add_name((HWND)combo, location->qmName);
}

static void add_history(HWND combo, int kind)
{
    for (int i = PCFHistoryCount(kind) - 1; i >= 0; i--)
        add_name(combo, PCFHistoryName(kind, i));
}

void XferFillNames(DDHANDLE dd, int id, int kind, const char *current)
{
    HWND combo = DDGetFieldWindow(dd, id, 0);
    if (combo) {
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        switch (kind) {
        case XN_QMGR:
            if (LocTree)
                LocForEach(LocTree, add_location, combo);
            add_history(combo, PCFH_QMGR);
            break;
        case XN_QUEUE:
            add_history(combo, PCFH_QUEUE);
            break;
        case XN_STREAM:
            add_name(combo, DEFAULT_STREAM);
            for (const char *s : streams)
                add_name(combo, s);
            break;
        case XN_TOPIC:
            add_history(combo, PCFH_TOPIC);
            break;
        }
    }
    DDSetFieldText(dd, id, -1, current ? current : "");
}

void XferRememberName(int kind, const char *name)
{
    if (!name || !name[0])
        return;
    if (kind == XN_STREAM) {
        for (const char *s : streams)
            if (!strcmp(s, name))
                return;
        memmove(streams[1], streams[0], sizeof streams - sizeof streams[0]);
        UTStrCopy(streams[0], name, sizeof streams[0]);
        return;
    }
    PCFHistoryAdd(name, kind == XN_QMGR ? PCFH_QMGR : kind == XN_QUEUE ? PCFH_QUEUE : PCFH_TOPIC);
}

/* ---- value tables ---- */

void XferFillValues(DDHANDLE dd, int id, const DRVALUE *table, uint32_t value)
{
    HWND combo = DDGetFieldWindow(dd, id, 0);
    if (!combo)
        return;
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    int selected = -1;
    for (int i = 0; table[i].text; i++) {
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)table[i].text);
        if (table[i].value == value && selected < 0)
            selected = i;
    }
    SendMessageA(combo, CB_SETCURSEL, (WPARAM)selected, 0);
}

uint32_t XferSelectedValue(DDHANDLE dd, int id, const DRVALUE *table, uint32_t fallback)
{
    char text[100];
    XferFieldText(dd, id, text, sizeof text);
    for (int i = 0; table[i].text; i++)
        if (!strcmp(table[i].text, text))
            return table[i].value;
    return fallback;
}

int32_t XferPlatformOf(const char *qmgr, QMS *location)
{
    QMS *target = qmgr && qmgr[0] ? LocFind(qmgr) : nullptr;
    if (target)
        return target->platform;
    return location ? location->platform : 0;
}

/* ---- placement, font, colours ---- */

void XferPlaceWindow(HWND hwnd, DDHANDLE dd, int slot)
{
    SIZE need;
    DDCalcMinSize(dd, &need);
    int cx = Prf.dialogs[slot][2], cy = Prf.dialogs[slot][3];
    if (cx <= 0 || cy <= 0) {
        RECT frame = {0, 0, need.cx, need.cy};
        AdjustWindowRectEx(&frame, (DWORD)GetWindowLongA(hwnd, GWL_STYLE), FALSE,
                           (DWORD)GetWindowLongA(hwnd, GWL_EXSTYLE));
        cx = frame.right - frame.left;
        cy = frame.bottom - frame.top;
    }
    /* sized before it is placed, so that the place suits the size it
       takes: a frame wider than the system said still leaves the fields
       room, and grown after its placement the window could reach past
       the screen's edge */
    SetWindowPos(hwnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client, window;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &window);
    int dx = need.cx - client.right, dy = need.cy - client.bottom;
    WinPositionAtCursor(hwnd, window.right - window.left + (dx > 0 ? dx : 0),
                        window.bottom - window.top + (dy > 0 ? dy : 0), 0);
}

void XferRememberSize(HWND hwnd, int slot)
{
    RECT rc;
    if (IsWindowVisible(hwnd) && !IsIconic(hwnd) && GetWindowRect(hwnd, &rc)) {
        Prf.dialogs[slot][2] = rc.right - rc.left;
        Prf.dialogs[slot][3] = rc.bottom - rc.top;
    }
}

void XferSetFont(DDHANDLE dd)
{
    DDSetFont(dd, winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT));
}

void XferSetColours(HWND hwnd, DDHANDLE dd)
{
    if (dlgColours.brush)
        SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
    DDSetFieldColours(dd, DD_BACKGROUND, 0, 0, 0, dlgColours.text, dlgColours.back, dlgColours.brush);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void XferTakeText(DDHANDLE dd, LPARAM block)
{
    XferStatus(dd, block ? (const char *)block : "");
    if (block)
        CSFreeMem((void *)block);
}

void XferRefreshLists(const char *qmgr, const char *queue)
{
    QMS *location = qmgr && qmgr[0] && queue && queue[0] ? LocFind(qmgr) : nullptr;
    if (location)
        DraskRefreshLists(location, queue);
}

int XferWindowMessage(HWND hwnd, DDHANDLE *dd, void *record, UINT msg, WPARAM, LPARAM lp, int slot)
{
    switch (msg) {
    case FM_TEXT:
        if (record)
            XferTakeText(*dd, lp);
        else if (lp)
            CSFreeMem((void *)lp);
        return 1;
    case UM_LOCATION_ERROR:
        if (record)
            XferStatus(*dd, (const char *)lp);
        return 1;
    case UM_NEWFONT:
        if (record)
            XferSetFont(*dd);
        return 1;
    case UM_COLOURSCHANGED:
        if (record)
            XferSetColours(hwnd, *dd);
        return 1;
    case WM_SIZE:
        XferRememberSize(hwnd, slot);
        return 1;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 1;
    case WM_DESTROY:
        UtilRemoveModeless(hwnd);
        if (record) {
            SetWindowLongPtrA(hwnd, 0, 0);
            DDDestroy(dd);
            CSFreeMem(record);
        }
        return 1;
    }
    return 0;
}
