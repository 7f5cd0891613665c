/* Frame windows: the list of frames (the first is the main window), a
 * frame's creation with its panel and its two command-dialog panes laid
 * out in a bag, the hand-over of the main window when the main frame
 * goes, the edit-panel zoom, and opening a queue into a frame's panes. */
#include "shell.h"
#include "shellint.h"

#include <cstdio>
#include <cstring>

#include "cmddlg.h"
#include "cs.h"
#include "edpane.h"
#include "mq/mqown.h"
#include "pcflists.h"
#include "locstore.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "tkutil.h"
#include "tkwin.h"

SHELLSTATE Shell;

/* The frame list is the engine's list of frames the analyser rebuilds
 * (MQEFrames). */
FrameWords *FrameFirst(void)
{
    return (FrameWords *)MQEFrames;
}

FrameWords *FrameNext(FrameWords *f)
{
    return (FrameWords *)f->link.next;
}

FrameWords *FrameOf(HWND window)
{
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        if (f->window == window)
            return f;
    return nullptr;
}

int FrameCount(void)
{
    int n = 0;
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        n++;
    return n;
}

/* Appends a record to the frame list (under the lock the analyser's
 * builds take). */
static void link_frame(FrameWords *f)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    MQEFRAMELINK **tail = &MQEFrames;
    while (*tail)
        tail = &(*tail)->next;
    *tail = &f->link;
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

/* The head's window becomes the main window, its status line the
 * program's; it owns the one-second timer. */
static void become_main(FrameWords *f)
{
    Shell.mainWindow = f->window;
    Shell.statusLine = f->status;
    tkHost.mainWindow = f->window;
    ShellFollowMainWindow(f->window);
    if (!Shell.accelTarget || !IsWindow(Shell.accelTarget))
        Shell.accelTarget = f->window;
    if (f->window)
        SetTimer(f->window, SHELL_TIMER, 1000, nullptr);
}

HWND CreateFrame(FrameWords *templ)
{
    FrameWords *f = (FrameWords *)CSGetMem(sizeof(FrameWords), "FrameWords");
    if (!f)
        return nullptr;
    memset(f, 0, sizeof *f);
    f->rebuild = 1;
    f->locSearch.fields = f->qSearch.fields = -1;
    link_frame(f);
    f->menu = LoadMenuA(Shell.instance, MAKEINTRESOURCEA(101));
    if (!f->menu)
        ShowFunctionError("LoadMenu");
    f->flags = (templ ? templ->flags : Shell.defaultFlags) & ~FF_ZOOMED;
    HWND w = CreateWindowExA(0, "RAVOLT", "Ravolt", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 0,
                             0, nullptr, f->menu, Shell.instance, f);
    if (!w) {
        ShowFunctionError("CreateWindow(hFrame)");
        FrameUnlink(nullptr, f);
        return nullptr;
    }
    f->window = w;
    ShellFrameTitle(f);
    PostMessageA(w, FRM_STARTUP1, 0, 0);
    f->link.rebuildPending = 1;
    if (FrameFirst() == f)
        become_main(f);
    else
        AnalyserRefresh(&f->link);
    return w;
}

/* The pane record of a frame's command dialog. */
static DialogWords *make_pane(FrameWords *f, PCFCommandDef *def, DialogWords **slot)
{
    DialogWords t;
    memset(&t, 0, sizeof t);
    t.definition = def;
    t.optionFlags = DO_CHILD;
    t.ownerSlot = slot;
    DialogWords *d = PCFCommandDialog(nullptr, f->window, &t, nullptr);
    if (d)
        PCFShowPanes(d, 0);
    return d;
}

int CreateMessagePane(FrameWords *f)
{
    return make_pane(f, &PCFMessageDef, &f->msgPane) != nullptr;
}

int CreateMessageListPane(FrameWords *f)
{
    return make_pane(f, &PCFMessageListDef, &f->listPane) != nullptr;
}

/* Adds a pane to the frame's bag; the error's function name or null. */
static const char *add_pane(FrameWords *f, HWND w, int x0, int y0, int x1, int y1,
                            uint32_t pct, int horizontal)
{
    BagPanePlacement pl = {};
    if (horizontal)
        pl.pctCx = pct;
    else
        pl.pctCy = pct;
    return BagAdd(&f->bag, w, x0, y0, x1, y1, &pl, nullptr) ? "BagAdd failed" : nullptr;
}

int FrameCreateChildren(FrameWords *f)
{
    if (!CreateMessagePane(f) || !CreateMessageListPane(f) || !CreateQmPanel(f))
        return 0;
    const char *failed = nullptr;
    if (BagInitialise(&f->bag, f->window, 0, 0))
        failed = "BagInitialise failed";
    if (!failed)
        failed = add_pane(f, f->panel, 0, 0, 1, 4, 25, 1);
    if (!failed)
        failed = add_pane(f, PCFWnd(f->listPane->window), 1, 0, 4, 2, 40, 0);
    if (!failed)
        failed = add_pane(f, PCFWnd(f->msgPane->window), 1, 2, 4, 4, 0, 0);
    if (!failed && BagValidate(&f->bag))
        failed = "BagValidate";
    if (failed) {
        ShowFunctionError(failed);
        return 0;
    }
    int slot = PCFPlacementSlot();
    BagPanePlacement pl;
    if (Shell.panelWidth[slot] >= PanelReadableWidth(f) && !BagGetPlacement(&f->bag, f->panel, &pl)) {
        pl.initCx = (uint32_t)Shell.panelWidth[slot];
        pl.pctCx = 0;
        BagSetPlacement(&f->bag, f->panel, &pl);
    }
    int32_t height = slot ? PcfWinPrefs.listHeightMany : PcfWinPrefs.listHeightOne;
    HWND list = PCFWnd(f->listPane->window);
    if (height > 0 && !BagGetPlacement(&f->bag, list, &pl)) {
        pl.initCy = (uint32_t)height;
        pl.pctCy = 0;
        BagSetPlacement(&f->bag, list, &pl);
    }
    return 1;
}

/* Frees a frame's searches, lines and record. */
static void free_frame(FrameWords *f)
{
    ShellSearchFree(&f->locSearch);
    ShellSearchFree(&f->qSearch);
    if (f->lines)
        cntFreeLines(f->lines, 1);
    CSFreeMem(f);
}

void FrameUnlink(FrameWords *previous, FrameWords *f)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    MQEFRAMELINK *head = MQEFrames;
    if (previous)
        previous->link.next = f->link.next;
    else
        MQEFrames = f->link.next;
    int headChanged = head != MQEFrames;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    if (Shell.activeFrame == f)
        Shell.activeFrame = nullptr;
    free_frame(f);
    FrameWords *first = FrameFirst();
    if (headChanged && first) {
        Shell.accelTarget = nullptr;
        become_main(first);
    } else if (!first) {
        Shell.mainWindow = nullptr;
        Shell.statusLine = nullptr;
        tkHost.mainWindow = nullptr;
        ShellFollowMainWindow(nullptr);
    }
}

void ToggleEditPanel(HWND window)
{
    FrameWords *f = FrameOf(UtilTopLevelParent(window));
    if (!f || !f->msgPane)
        return;
    f->flags ^= FF_ZOOMED;
    BagZoomPane(&f->bag, (f->flags & FF_ZOOMED) ? PCFWnd(f->msgPane->window) : nullptr);
    RECT rc;
    GetClientRect(f->window, &rc);
    BagResize(&f->bag, 0, 0, rc.right, rc.bottom);
}

int IsWindowShown(HWND window)
{
    WINDOWPLACEMENT wp = { sizeof wp };
    if (!GetWindowPlacement(window, &wp))
        return 0;
    switch (wp.showCmd) {
    case SW_HIDE: case SW_SHOWMINIMIZED: case SW_MINIMIZE: case SW_SHOWMINNOACTIVE:
        return 0;
    }
    return 1;
}

FrameWords *FindFrameByList(DialogWords *pane)
{
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        if (pane && (f->msgPane == pane || f->listPane == pane))
            return f;
    return nullptr;
}

FrameWords *GetActiveFrameRec(void)
{
    if (Shell.activeFrame)
        return Shell.activeFrame;
    HWND active = GetActiveWindow();
    for (HWND w = active; w; w = GetWindow(w, GW_OWNER)) {
        FrameWords *f = FrameOf(w);
        if (f)
            return f;
    }
    return nullptr;
}

/* The caption: the program and the queue the message pane shows. */
void ShellFrameTitle(FrameWords *f)
{
    char title[200] = "Ravolt";
    DialogWords *m = f->msgPane;
    if (m && m->first.location) {
        char queue[64] = "";
        const char *q = PCFGetValueText(m, 2016, queue, sizeof queue);
        snprintf(title, sizeof title, "Ravolt - [%s%s%s]", ShellLocationName(m->first.location),
                 q && *q ? "/" : "", q && *q ? q : "");
    }
    SetWindowTextA(f->window, title);
}

/* A pane takes a location and its capabilities (its lists' records). */
static void pane_location(DialogWords *d, QMS *location)
{
    d->first.location = location;
    d->first.caps = location ? location->caps : d->first.caps;
}

void SetMessagePaneQueue(FrameWords *f, QMS *location, const char *queue)
{
    DialogWords *m = f->msgPane;
    if (!m)
        return;
    char was[64] = "";
    const char *shown = PCFGetValueText(m, 2016, was, sizeof was);
    /* another queue's message goes with its queue (an unsaved edit stays) */
    if ((m->first.location != location || !shown || strcmp(shown, queue)) && EdForgetMessage(m) && m->dataWindow)
        SendMessageA(PCFWnd(m->dataWindow), UM_PCF_UPDATE_DIALOG, 0, 3);
    pane_location(m, location);
    PCFSetFieldText(m, 2016, queue);
    PCFSetMenu(m);
    ShellFrameTitle(f);
}

void OpenQueueInFrame(FrameWords *f, QMS *location, const char *queue)
{
    DialogWords *l = f->listPane;
    if (!l)
        return;
    pane_location(l, location);
    PCFSetFieldText(l, 2016, queue);
    /* a queue opened starts at its first page, whatever page was shown */
    char range[40] = "", first[40];
    const char *paged = PCFGetValueText(l, MYPCFA_MSG_RANGE, range, sizeof range);
    if (paged && *paged && PCFPageRange(paged, PCFPAGE_FIRST, first, sizeof first))
        PCFSetFieldText(l, MYPCFA_MSG_RANGE, first);
    PCFDialogTitle(l, nullptr);
    PCFPostRefresh(l);
    SetMessagePaneQueue(f, location, queue);
    PCFShowPanes(l, 1);
    PCFShowPanes(f->msgPane, 1);
}

void SyncPanelQMgr(DialogWords *pane)
{
    FrameWords *f = FindFrameByList(pane);
    if (!f || !f->msgPane || pane == f->msgPane)
        return;
    char a[64] = "", b[64] = "";
    const char *q = PCFGetValueText(pane, 2016, a, sizeof a);
    const char *m = PCFGetValueText(f->msgPane, 2016, b, sizeof b);
    if (q && (!m || strcmp(q, m)))
        SetMessagePaneQueue(f, pane->first.location, q);
}

void SetFrameFonts(FrameWords *f)
{
    HFONT font = winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HWND fields[] = { f->prefix, f->search, f->searchQ, f->status };
    for (HWND w : fields)
        if (w)
            SendMessageA(w, WM_SETFONT, (WPARAM)font, TRUE);
    if (f->tree)
        cntSetFont(f->tree, font);
}

void SetAllFrameFonts(void)
{
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f)) {
        SetFrameFonts(f);
        FrameLayout(f);
    }
}
