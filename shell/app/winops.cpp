/* Operations on the program's windows: closing and minimizing every frame,
 * dialog or list window, tiling them over the primary work area, and
 * connecting or disconnecting every location a frame's search shows. */
#include "shell.h"
#include "shellint.h"

#include <cstdio>
#include <vector>

#include "cmddlg.h"
#include "locstore.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "tkutil.h"

HWND TileList[100];
int TileCount;

enum { OP_CLOSE = 1, OP_MINIMIZE = 2, OP_HIDE = 3, OP_COLLECT = 4, OP_SHOW = 5 };

static void operate(HWND w, int op)
{
    if (!w || !IsWindow(w))
        return;
    switch (op) {
    case OP_CLOSE:
        SendMessageA(w, WM_CLOSE, 0, 0);
        break;
    case OP_MINIMIZE: {
        WINDOWPLACEMENT wp = { sizeof wp };
        GetWindowPlacement(w, &wp);
        wp.showCmd = SW_MINIMIZE;
        SetWindowPlacement(w, &wp);
        break;
    }
    case OP_COLLECT:
        if (TileCount < 100)
            TileList[TileCount++] = w;
        break;
    }
}

void WindowOpFrames(int op)
{
    for (FrameWords *f = FrameFirst(), *next; f; f = next) {
        next = FrameNext(f);
        operate(f->window, op);
    }
}

static void modeless_op(HWND window, int, void *, void *, void *ctx)
{
    operate(window, *(int *)ctx);
}

void WindowOpDialogs(int op)
{
    ModelessForEach(modeless_op, &op);
    if (!tkHost.viewerList)
        return;
    for (REFRESHRECORD *r = (REFRESHRECORD *)*tkHost.viewerList, *next; r; r = next) {
        next = (REFRESHRECORD *)r->link;
        operate(r->window, op);
    }
}

static void location_op(QMS *r, void *ctx)
{
    if (r->openWindow)
        operate((HWND)r->openWindow, *(int *)ctx);
}

static int dialog_op(DialogWords *d, void *ctx)
{
    int op = *(int *)ctx;
    if (d->ownerSlot || !d->window)
        return 0;
    HWND w = PCFWnd(d->window);
    if (d->optionFlags & DO_BACKGROUND) {
        if (op == OP_HIDE || op == OP_SHOW)
            ShowWindow(w, op == OP_HIDE ? SW_HIDE : SW_SHOWNA);
        return 0;
    }
    operate(w, op);
    return 0;
}

void WindowOpLists(int op)
{
    LocForEach(LocTree, location_op, &op);
    /* closing changes the list of dialogs: collect first, then act */
    HWND closing[256];
    int n = 0;
    if (op == OP_CLOSE) {
        struct C { HWND *w; int *n; } c = { closing, &n };
        PCFForEachDialog([](DialogWords *d, void *ctx) {
            C *c = (C *)ctx;
            if (!d->ownerSlot && d->window && *c->n < 256)
                c->w[(*c->n)++] = PCFWnd(d->window);
            return 0;
        }, &c);
        for (int i = 0; i < n; i++)
            operate(closing[i], op);
        return;
    }
    PCFForEachDialog(dialog_op, &op);
}

void DropMinimized(void)
{
    int kept = 0;
    for (int i = 0; i < TileCount; i++)
        if (!IsIconic(TileList[i]))
            TileList[kept++] = TileList[i];
    TileCount = kept;
}

static void tile(int rows)
{
    TileCount = 0;
    WindowOpFrames(OP_COLLECT);
    WindowOpDialogs(OP_COLLECT);
    WindowOpLists(OP_COLLECT);
    DropMinimized();
    if (!TileCount)
        return;
    UtilCheckMonitors();                 /* monitors come and go while the program runs */
    AreaRect area = UtilDisplayLayout()->monitor[0];    /* the primary monitor's work area */
    PlaceRect r[100];
    ShellTile(&area, TileCount, rows, r);
    for (int i = 0; i < TileCount; i++)
        SetWindowPos(TileList[i], nullptr, r[i].x, r[i].y, r[i].cx, r[i].cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void TileRows(void)
{
    tile(1);
}

void TileColumns(void)
{
    tile(0);
}

/* ---- connecting what a frame shows ---- */

struct SHOWN {
    FrameWords *frame;
    int connect;
    std::vector<QMS *> list;
};

static void collect_shown(QMS *r, void *ctx)
{
    SHOWN *s = (SHOWN *)ctx;
    if (!(r->status & LS_FIRSTOFRING) && r->nextInRing)
        return;
    if (!LocMatchesSearch(&s->frame->locSearch, r))
        return;
    uint16_t state = r->putThread.state;
    int wanted = s->connect ? !(state & 0x6) && !r->viaQm[0] : (state & 0x4) != 0;
    if (wanted)
        s->list.push_back(r);
}

void ConnectAllShown(FrameWords *f, int connect)
{
    SHOWN s = { f, connect, {} };
    LocForEach(LocTree, collect_shown, &s);
    int count = (int)s.list.size();
    if (!count) {
        ShellBox(f->window, connect ? "There are no Queue Managers in the list which need to be connected to"
                                    : "There are no connected Queue Managers in the list",
                 "Ravolt Information", MB_OK | MB_ICONINFORMATION);
        return;
    }
    char question[200];
    if (connect)
        snprintf(question, sizeof question, count == 1
                     ? "!This will attempt to connect to one Queue Manager.\nDo you want to continue?"
                     : "!This will attempt to connect to %d Queue Managers.\nDo you want to continue?",
                 count);
    else
        snprintf(question, sizeof question, count == 1
                     ? "!This will disconnect from one Queue Manager.\nDo you want to continue?"
                     : "!This will disconnect from %d Queue Managers.\nDo you want to continue?",
                 count);
    if (!ShellConfirm(f->window, 0, question, nullptr, nullptr, 0))
        return;
    for (QMS *r : s.list) {
        if (connect) {
            StartPutThread(r);
        } else {
            r->state |= LST_SUSPENDED;
            EndPutThread(r, 0);
        }
    }
}
