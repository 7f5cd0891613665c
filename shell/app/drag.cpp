/* Dragging messages out of a frame's message list: the queue under the
 * mouse (a queue line of a frame's tree or another frame's message list)
 * and the drop tip that says whether a drop copies or moves there. */
#include "shell.h"
#include "shellint.h"

#include <cstdio>
#include <cstring>

#include "cmddlg.h"
#include "cstext.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "tkcontrols.h"
#include "tkwin.h"

struct DRAGSTATE {
    int active;
    int copyAllowed;
    HWND source;
    HWND tipOwner;                 /* the window the tip stays inside */
    char text[200];
    char queue[49];
    QMS *location;
};
static DRAGSTATE drag;

/* The queue and location of a frame's queue line under a screen point. */
static int tree_target(FrameWords *f, POINT screen, char *queue, QMS **location)
{
    CNTW *rec = (CNTW *)GetWindowLongPtrA(f->tree, GWLP_USERDATA);
    if (!rec || !rec->child)
        return 0;
    POINT pt = screen;
    ScreenToClient(rec->child, &pt);
    RECT rc;
    cntITEM *item;
    cntLINE *line = cntLineAtPos(rec, pt.x, pt.y, nullptr, &rc, &item);
    return line && ShellQueueOfLine(line, queue, location);
}

int DragOverTarget(HWND source, POINT screen, HCURSOR *cursor)
{
    DialogWords *from = PCFDialogOf(GetParent(source));
    QMS *sourceLocation = from ? from->first.location : nullptr;
    HWND under = WindowFromPoint(screen);
    char queue[49] = "";
    QMS *location = nullptr;
    int found = 0;
    for (FrameWords *f = FrameFirst(); f && !found; f = FrameNext(f)) {
        if (f->tree && (under == f->tree || IsChild(f->tree, under)))
            found = tree_target(f, screen, queue, &location);
        else if (f->listPane && f->listPane != from && f->listPane->window &&
                 IsChild(PCFWnd(f->listPane->window), under)) {
            char text[64] = "";
            const char *q = PCFGetValueText(f->listPane, 2016, text, sizeof text);
            if (q && *q) {
                snprintf(queue, sizeof queue, "%s", q);
                location = f->listPane->first.location;
                found = 1;
            }
        }
    }
    drag.location = found ? location : nullptr;
    snprintf(drag.queue, sizeof drag.queue, "%s", found ? queue : "");
    if (!found) {
        snprintf(drag.text, sizeof drag.text, "Please move mouse over target Queue");
        *cursor = LoadCursorA(nullptr, (LPCSTR)IDC_NO);
        return 0;
    }
    if (location == sourceLocation || !location)
        snprintf(drag.text, sizeof drag.text, "%s", queue);
    else
        snprintf(drag.text, sizeof drag.text, "%s / %s", ShellLocationName(location), queue);
    *cursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    return 1;
}

void DragSetCursorMode(HWND list, const char *text, int copyAllowed, POINT position)
{
    if (list)
        drag.source = list;
    if (text)
        snprintf(drag.text, sizeof drag.text, "%s", text);
    drag.copyAllowed = copyAllowed;
    drag.active = 1;
    char tip[260];
    if (drag.queue[0] && copyAllowed)
        snprintf(tip, sizeof tip, "%s %s", GetKeyState(VK_SHIFT) < 0 ? "Copy to" : "Move to",
                 drag.text);
    else
        snprintf(tip, sizeof tip, "%s", drag.text);
    /* the tip goes with the pointer: it stays inside the program's window
       under the pointer (the frame whose tree it is over), not inside the
       list the drag started from */
    HWND under = WindowFromPoint(position);
    DWORD pid = 0;
    if (under)
        GetWindowThreadProcessId(under, &pid);
    char cls[32] = "";
    if (under)
        GetClassNameA(under, cls, sizeof cls);
    HWND owner = under && pid == GetCurrentProcessId() && strcmp(cls, ZKT_DROPTIP) ? under : drag.source;
    if (drag.tipOwner && drag.tipOwner != GetAncestor(owner, GA_ROOT))
        HideDropTip(drag.tipOwner);
    drag.tipOwner = GetAncestor(owner, GA_ROOT);
    DropTipRequest r = {};
    r.owner = drag.tipOwner;
    r.body = tip;
    r.bodyLength = (uint32_t)strlen(tip);
    r.cursor = position;
    r.font = winFonts.mainFont;
    ShowDropTip(&r);
}

void DragCancel(void)
{
    if (drag.tipOwner)
        HideDropTip(drag.tipOwner);
    memset(&drag, 0, sizeof drag);
}

int DragInProgress(void)
{
    return drag.active;
}

/* The list panes' hooks: the queue under the point (a drop there copies
 * or moves the rows to it: its queue and queue manager become the
 * target of the command the drop builds), and the drag's end. */
static HCURSOR pane_over_target(void *, HWND pane, POINT screen)
{
    HCURSOR cursor = nullptr;
    int found = DragOverTarget(pane, screen, &cursor);
    DragSetCursorMode(pane, nullptr, 1, screen);
    if (!found)
        return nullptr;
    char qm[49] = "";
    if (drag.location)
        snprintf(qm, sizeof qm, "%.48s", drag.location->qmName);
    UTTrimRight(qm, (int)strlen(qm));
    PCFSetDropTarget(drag.queue, qm);
    return cursor;
}

static void pane_drag_cancel(void *)
{
    DragCancel();
}

void DragInstallHooks(void)
{
    PCFDRAGHOOKS h = {};
    h.overTarget = pane_over_target;
    h.cancel = pane_drag_cancel;
    PCFSetDragHooks(&h);
}
