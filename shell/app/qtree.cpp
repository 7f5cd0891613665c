/* The queue-manager tree of the frames: the row functions the location
 * store and the caches call from any thread (off the user-interface
 * thread they post or send to the main frame), the batches that redraw
 * once, the rebuilds the analyser thread carries out, and what the panel
 * does with a line that is expanded, selected or activated. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include <cstdio>
#include <cstring>

#include "cmddlg.h"
#include "cs.h"
#include "locstore.h"
#include "loccache.h"
#include "pcfwin.h"
#include "prfdata.h"

/* The command of the list dialogs that show a location's state: they
 * are refreshed when its row changes. */
#define LOCATION_DIALOG_COMMAND 10029

volatile uint32_t ShellTreeGeneration = 1;
static int batchDepth;
static int takingLines;
static int rebuildWaiting;

static int on_ui_thread(void)
{
    return !LocGlobals.uiThread || CSGetThreadId() == LocGlobals.uiThread;
}

/* Builds every frame's lines now, on this thread, and shows them. */
static void rebuild_now(void)
{
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f)) {
        CntLineSet *set = ShellBuildLines(f);
        if (set)
            FrameTakeLines(f, set, ShellTreeGeneration);
    }
}

void ShellRebuildTrees(int now)
{
    if (batchDepth) {
        rebuildWaiting = 1;
        return;
    }
    rebuildWaiting = 0;
    if (now || !(MQEProgramState() & PS_ANALYSER)) {
        rebuild_now();
        return;
    }
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        f->link.rebuildPending = 1;
    AnalyserRefresh(nullptr);
}

/* ---- the row functions ---- */

/* Display mode 0x1: the row functions only mark the frames for a repaint. */
static int repaint_only(void)
{
    if (!(Shell.displayMode & DM_REPAINT_ONLY))
        return 0;
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        if (f->tree)
            InvalidateRect(f->tree, nullptr, FALSE);
    return 1;
}

void LocAddRow(QMS *r, uint32_t)
{
    if (!on_ui_thread()) {
        MQEPostFrame(nullptr, FRM_ADDROW, 0, r, 0);
        return;
    }
    if (!repaint_only())
        ShellRebuildTrees(0);
}

/* The name lines and titles show (kept in the record). */
static void display_name(QMS *r)
{
    char text[200];
    int byQmgr = (Shell.displayMode & DM_BY_QMGR) || !r->locationName[0];
    snprintf(text, sizeof text, "%s", byQmgr ? r->qmName : r->locationName);
    if (Shell.defaultFlags & FF_MQVERSION) {
        char v[32];
        MQVersionText(r->commandLevel, 1, v, sizeof v);
        snprintf(text + strlen(text), sizeof text - strlen(text), "%s", v);
    }
    if (r->displayName && !strcmp(r->displayName, text))
        return;
    char *copy = (char *)CSGetMem(strlen(text) + 1, "DISPLAYNAME");
    if (!copy)
        return;
    strcpy(copy, text);
    LocLockStore();
    char *old = r->displayName;
    r->displayName = copy;
    LocUnlockStore();
    if (old)
        CSFreeMem(old);
}

void LocUpdateRow(QMS *r, uint32_t)
{
    if (!r)
        return;
    if (!on_ui_thread()) {
        MQEPostFrame(nullptr, FRM_UPDATEROW, 0, r, 0);
        return;
    }
    display_name(r);
    if (r->settingsWindow && IsWindow((HWND)r->settingsWindow))
        PostMessageA((HWND)r->settingsWindow, 11228, 0, 0);
    MarkDialogsStale(r, LOCATION_DIALOG_COMMAND, 0, 1, 0);
    if (!repaint_only())
        ShellRebuildTrees(0);
}

void LocRefreshRow(QMS *r)
{
    ShellTreeGeneration = ShellTreeGeneration + 1;
    if (r) {
        LocLockStore();
        r->status &= ~LS_INTREE;
        LocUnlockStore();
    }
    /* a line of a location that goes is taken out in every display mode:
       it names the record */
    if (on_ui_thread())
        ShellRebuildTrees(1);
}

void LocListBeginUpdate(void)
{
    if (!on_ui_thread()) {
        MQEPostFrame(nullptr, FRM_BEGINBATCH, 0, nullptr, 1);
        return;
    }
    batchDepth++;
}

void LocListEndUpdate(void)
{
    if (!on_ui_thread()) {
        MQEPostFrame(nullptr, FRM_ENDBATCH, 0, nullptr, 1);
        return;
    }
    if (batchDepth > 0 && --batchDepth == 0 && rebuildWaiting)
        ShellRebuildTrees(1);
}

void LocListCommand(HWND, int32_t)
{
    LocListBeginUpdate();
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        f->rebuild = 1;
    rebuildWaiting = 1;
    LocListEndUpdate();
    FrameWords *main = FrameFirst();
    if (main && main->window) {
        RECT rc;
        GetClientRect(main->window, &rc);
        PostMessageA(main->window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
        FrameInitMenu(main->window);
    }
}

void LocListRebuild(void)
{
    LocListBeginUpdate();
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        LocAddRow((QMS *)e, 0);
    LocListEndUpdate();
}

/* ---- lines into a frame ---- */

void FrameTakeLines(FrameWords *f, CntLineSet *set, uint32_t generation)
{
    if (!f->tree || generation != ShellTreeGeneration) {
        cntFreeLines(set, 1);
        if (f->tree)
            ShellRebuildTrees(0);
        return;
    }
    CntLineSet *old = nullptr;
    takingLines = 1;                   /* the selection kept is not a new one */
    cntSetLines(f->tree, set, &old);
    takingLines = 0;
    f->lines = set;
    f->rebuild = 0;
    f->treeGeneration = generation;
    if (old && old != set)
        cntFreeLines(old, 1);
}

int QListBuild(void *frame)
{
    FrameWords *only = (FrameWords *)frame;
    CSLockGlobal(CSLOCK_OBJECTS);
    uint32_t generation = ShellTreeGeneration;
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f)) {
        if (only && f != only)
            continue;
        CntLineSet *set = ShellBuildLines(f);
        if (set)
            ShellPostBlock(f->window, FRM_LINES, generation, set);
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return 0;
}

/* ---- the lines under the selection ---- */

/* The user data of a line: its location and its kind. */
int ShellLineKind(const cntLINE *line, QMS **location)
{
    *location = nullptr;
    int kind = 0, seen = 0;
    for (cntITEM *it = cntFirstItem(line); it; it = cntNextItem(it))
        if (it->type == CNTI_USERDATA) {
            if (!seen++)
                *location = (QMS *)(uintptr_t)it->value;
            else
                kind = (int)it->value;
        }
    return kind;
}

/* The text of a line's name item. */
static const char *line_name(const cntLINE *line)
{
    for (cntITEM *it = cntFirstItem(line); it; it = cntNextItem(it))
        if (it->type == CNTI_TEXT)
            return it->text;
    return "";
}

int ShellQueueOfLine(const cntLINE *line, char *queue, QMS **location)
{
    if (ShellLineKind(line, location) != LINE_QUEUE || !*location)
        return 0;
    ShellQueueLineName(line_name(line), queue);
    return 1;
}

QMS *FrameGetSelLocation(HWND window)
{
    FrameWords *f = FrameOf(window);
    CNTW *rec = f && f->tree ? (CNTW *)GetWindowLongPtrA(f->tree, GWLP_USERDATA) : nullptr;
    if (!rec || !rec->selLine)
        return nullptr;
    QMS *r;
    ShellLineKind(rec->selLine, &r);
    return r;
}

QMS *ShellSelectedLocation(FrameWords *f)
{
    return f ? FrameGetSelLocation(f->window) : nullptr;
}

void ActivateWindow(HWND window)
{
    if (!window || !IsWindow(window))
        return;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    SetActiveWindow(window);
}

/* The queue type of a location's queue; 0 when the location has none of
 * that name. */
int ShellQueueType(QMS *r, const char *name, uint32_t *type)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    QINFO *q = LocFindQueueInfo(r, name);
    if (q)
        *type = (q->flags & QI_CLUSTER) ? (uint32_t)QT_CLUSTER : q->type;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return q != nullptr;
}

/* ---- the panel's notifications ---- */

LRESULT TreeExpanding(FrameWords *f, cntLINE *line)
{
    QMS *r;
    if (ShellLineKind(line, &r) != LINE_LOCATION || !r)
        return 1;
    if (!CheckQueuePrefix(f, 1))
        return 0;
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    if ((!c || !c->queues) && ShellWork.requestRefresh)
        ShellWork.requestRefresh(r, ShellRefreshBits(REFRESH_KIND_QLIST), f->prefixText, 1);
    return 1;
}

void TreeSelected(FrameWords *f, cntLINE *line)
{
    char queue[49], text[200] = "";
    QMS *r;
    if (takingLines)
        return;
    if (line && ShellQueueOfLine(line, queue, &r))
        snprintf(text, sizeof text, "%s/%s", ShellLocationName(r), queue);
    SetWindowTextA(f->status, text);
}

void TreeActivated(FrameWords *f, cntLINE *line)
{
    char queue[49];
    QMS *r;
    if (line && ShellQueueOfLine(line, queue, &r))
        OpenQueueInFrame(f, r, queue);
}
