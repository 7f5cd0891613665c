/* The window procedure of every frame (class RAVOLT): layout, placement,
 * activation, the caption texts, close and commands; on the main frame
 * also the timer and the frame messages by which worker threads and
 * other parts hand work to the user-interface thread. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include <cstring>

#include "cfgfile.h"
#include "cmddlg.h"
#include "cs.h"
#include "locimport.h"
#include "locstore.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "prefwin.h"
#include "tktoolbar.h"
#include "tkutil.h"

/* ---- messages carrying blocks: what frees a block nobody takes ---- */

static void free_block(void *block) { CSFreeMem(block); }
static void free_lines(void *block) { cntFreeLines((CntLineSet *)block, 1); }
static void free_import(void *block) { ImportListFree((IMPORTLIST *)block); }
static void answer_no(void *block)
{
    MQEASK *ask = (MQEASK *)block;
    ask->answer = 0;
    ask->done = 1;
}

static const struct {
    UINT msg;
    void (*release)(void *block);
} blockMessages[] = {
    { FRM_OPERROR, free_block }, { FRM_TEXT, free_block }, { UM_VERSION_RESULT, free_block },
    { CRED_MSG_REQUEST, free_block }, { FRM_LINES, free_lines }, { FRM_IMPORTLOCAL, free_import },
    { FM_ASK, answer_no }, { FM_TALK, free_block },
};

/* The frame after this one takes what is still queued for it; what no
 * frame takes is released. */
static void hand_over_queued(HWND hwnd)
{
    FrameWords *next = nullptr;
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f))
        if (f->window != hwnd && IsWindow(f->window)) {
            next = f;
            break;
        }
    MSG msg;
    for (const auto &b : blockMessages)
        while (PeekMessageA(&msg, hwnd, b.msg, b.msg, PM_REMOVE)) {
            if (!msg.lParam)
                continue;
            int lines = b.msg == FRM_LINES;
            if (!lines && next && PostMessageA(next->window, msg.message, msg.wParam, msg.lParam))
                continue;
            b.release((void *)msg.lParam);
        }
}

int ShellPostBlock(HWND window, UINT msg, WPARAM wp, void *block)
{
    if (window && IsWindow(window) && PostMessageA(window, msg, wp, (LPARAM)block))
        return 1;
    for (const auto &b : blockMessages)
        if (b.msg == msg && block) {
            b.release(block);
            return 0;
        }
    if (block)
        CSFreeMem(block);
    return 0;
}

/* ---- the frame messages ---- */

static void put_thread_ended(QMS *r, int put)
{
    if (r->state & LST_DELETING) {
        LocDelete(&LocTree, r, nullptr);
        return;
    }
    QMSTHREAD &other = put ? r->getThread : r->putThread;
    if (other.state & QMSTHREAD_RUNNING) {
        if (put)
            EndGetThread(r);
        else
            EndPutThread(r, 1);
    } else if (r->status & LS_RESTARTING) {
        LocSetStatus(r, 0, LS_RESTARTING, 0);
        StartPutThread(r);
    }
    LocSetStatus(r, 0, 0, 1);
}

static void ask(MQEASK *a)
{
    a->answer = ShellConfirm(Shell.mainWindow, 0, a->text ? a->text : "", nullptr, nullptr, 0) ? 1 : 0;
    a->done = 1;
}

/* 11385: a question was switched on or off ("Don't show again") or the
 * colours applied: the settings are written, and an open Preferences
 * shows its option lists from the words again. */
static void save_settings(void)
{
    ShellWriteConfig();
    if (HWND p = PrefWindow())
        PostMessageA(p, UM_PREF_OPTIONS, 0, 0);
}

/* 11384: the frame's message pane shows the message of a message list. */
static LRESULT which_pane(FrameWords *f, DialogWords *d)
{
    if (!f || !d || d->definition != &PCFMessageDef || !f->msgPane)
        return 0;
    if (f->listPane)
        f->msgPane->first.location = f->listPane->first.location;
    return (LRESULT)f->msgPane;
}

/* The messages every frame handles. */
static int any_frame(FrameWords *f, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT *result)
{
    char error[CFG_ERROR_TEXT];
    switch (msg) {
    case FRM_STARTUP1:
        if (f)
            LoadConfigAndRefresh(hwnd, error);
        return 1;
    case FRM_STARTUP2:
        if (f)
            StartupStep2(f);
        *result = DefWindowProcA(hwnd, msg, wp, lp);
        return 1;
    case FRM_LINES:
        if (f)
            FrameTakeLines(f, (CntLineSet *)lp, (uint32_t)wp);
        else
            cntFreeLines((CntLineSet *)lp, 1);
        return 1;
    case FRM_REFRESH: {
        char prefix[50];
        if (f && lp && CheckQueuePrefix(f, 1) && ShellWork.requestRefresh) {
            strcpy(prefix, f->prefixText);
            ShellWork.requestRefresh((QMS *)lp, (uint32_t)wp, prefix, 0);
        }
        return 1;
    }
    case UM_FRAME_WHICHPANE:
        *result = which_pane(f, (DialogWords *)lp);
        return 1;
    case FRM_TITLE:
        if (f)
            ShellFrameTitle(f);
        return 1;
    }
    return 0;
}

/* The messages of the main frame. */
static int main_frame(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT *result)
{
    QMS *r = (QMS *)lp;
    if (msg >= FRM_LISTA && msg <= FRM_TOUCH) {
        int (*refresh)(QMS *) = ShellWork.refreshList[msg - FRM_LISTA];
        if (msg == FRM_TOUCH && r)
            LocTouch(r);
        else if (refresh && r)
            refresh(r);
        if (msg == FRM_QINFO && r)
            LocUpdateRow(r, 0);
        return 1;
    }
    switch (msg) {
    case FRM_OPERROR: ReportOpError((ZORVAERROR *)lp); return 1;
    case FRM_UPDATEROW: LocUpdateRow(r, 0); return 1;
    case FRM_ENDSTATUS: ShowEndStatus(0); return 1;
    case FM_PUT_CONNECTED:
        if (!(r->flags & LF_SINGLE)) {
            StartGetThread(r);
            LocSetStatus(r, 0, 0, 1);
        }
        if (!(r->status & LS_FIRSTREFRESH)) {
            LocSetStatus(r, LS_FIRSTREFRESH, 0, 0);
            if (ShellWork.requestRefresh)
                ShellWork.requestRefresh(r, REFRESH_QMGR, nullptr, 1);
        }
        return 1;
    case FM_PUT_ENDED: put_thread_ended(r, 1); return 1;
    case FM_GET_CONNECTED: StartPutThread(r); LocSetStatus(r, 0, 0, 1); return 1;
    case FM_GET_ENDED: put_thread_ended(r, 0); return 1;
    case FM_STATE: LocSetStatus(r, 0, 0, 1); ShowEndStatus(0); return 1;
    case FRM_ADDROW: LocAddRow(r, 0); return 1;
    case FRM_BEGINBATCH: LocListBeginUpdate(); return 1;
    case FRM_ENDBATCH: LocListEndUpdate(); return 1;
    case CRED_MSG_REQUEST:
        if (ShellWork.getCredentials && lp)
            ShellWork.getCredentials(((CREDREQUEST *)lp)->location, (void *)lp);
        else if (lp)
            CSFreeMem((void *)lp);
        return 1;
    case FRM_AVAILABLE: if (ShellWork.releaseWaiting) ShellWork.releaseWaiting(r); return 1;
    case FRM_TEXT:
    case FM_TALK:                 /* a monitor message's talk text */
        if (lp) {
            if (Shell.statusLine)
                SetWindowTextA(Shell.statusLine, (const char *)lp);
            CSFreeMem((void *)lp);
        }
        return 1;
    case FRM_IMPORTLOCAL:
        if (ShellWork.importLocalOpen && lp)
            ShellWork.importLocalOpen((void *)lp);
        else if (lp)
            ImportListFree((IMPORTLIST *)lp);
        return 1;
    case CRED_MSG_SAVE: if (ShellWork.saveCredentials) ShellWork.saveCredentials(r); return 1;
    case CRED_MSG_FORGET: if (ShellWork.forgetCredentials) ShellWork.forgetCredentials(r); return 1;
    case FRM_REPAINT: if (ShellWork.repaintAllWindows) ShellWork.repaintAllWindows(0); return 1;
    case UM_VERSION_RESULT:
        if (ShellWork.versionResult && lp)
            ShellWork.versionResult(hwnd, (void *)lp);
        else if (lp)
            CSFreeMem((void *)lp);
        return 1;
    case UM_SPLASH_SHOW:
        if (ShellWork.splashShow && r)
            ShellWork.splashShow(Shell.mainWindow, nullptr, r, 0, 1);
        return 1;
    case FM_ASK: if (lp) ask((MQEASK *)lp); return 1;
    case UM_SAVESETTINGS: save_settings(); return 1;
    case UM_STARTDIALOG: case UM_SWITCHDIALOG:
        OpenSavedDialog((int32_t)lp, msg == UM_SWITCHDIALOG);
        return 1;
    }
    (void)result;
    return 0;
}

int ShellFrameMessage(FrameWords *f, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT *result)
{
    *result = 0;
    if (any_frame(f, hwnd, msg, wp, lp, result))
        return 1;
    if (msg < 11225 || msg > 11393)
        return 0;
    if (hwnd == Shell.mainWindow && main_frame(hwnd, msg, wp, lp, result))
        return 1;
    *result = DefWindowProcA(hwnd, msg, wp, lp);
    return 1;
}

/* ---- window messages ---- */

static LRESULT on_create(HWND hwnd, LPARAM lp)
{
    FrameWords *f = (FrameWords *)((CREATESTRUCTA *)lp)->lpCreateParams;
    f->window = hwnd;
    if (!Shell.accelTarget)
        Shell.accelTarget = hwnd;
    if (FrameFirst() == f) {
        Shell.mainWindow = hwnd;
        tkHost.mainWindow = hwnd;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)f);
    if (!FrameCreateChildren(f))
        return -1;
    if (AutQueuePrefixMinimum() > 0)
        f->flags |= FF_PREFIX;
    FillComboFromHistory(f->prefix, HISTORY_PREFIX);
    SetFrameFonts(f);
    return 0;
}

/* The main frame in its normal show state keeps its placement. */
static int placement_kept(FrameWords *f)
{
    WINDOWPLACEMENT wp = { sizeof wp };
    return f->window == Shell.mainWindow && IsWindowVisible(f->window) &&
           GetWindowPlacement(f->window, &wp) && wp.showCmd == SW_SHOWNORMAL;
}

static void on_move(FrameWords *f)
{
    RECT rc;
    GetWindowRect(f->window, &rc);
    if (ShellWork.colFilterFollow && f->listPane)
        ShellWork.colFilterFollow(f->listPane, rc.left, rc.top);
    if (placement_kept(f))
        PCFSetPlacementPos((int32_t(*)[4])Prf.main, rc.left, rc.top);
}

static void on_size(FrameWords *f, int cx, int cy)
{
    f->cx = cx;
    f->cy = cy;
    if (ShellWork.colFilterPlace && f->listPane)
        ShellWork.colFilterPlace(f->listPane, cx - 1, cy);
    if (placement_kept(f)) {
        RECT rc;
        GetWindowRect(f->window, &rc);
        PCFSetPlacementSize((int32_t(*)[4])Prf.main, rc.right - rc.left, rc.bottom - rc.top);
    }
    if (cx > 0 && cy > 0)
        BagResize(&f->bag, 0, 0, cx, cy);
}

/* The caption texts of the frame's list pane, when the profile asks. */
static int caption(FrameWords *f, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT *result)
{
    DialogWords *l = f->listPane;
    if (!l || !(Prf.po[2] & PO3_TIME_ON_RIGHT) || (Prf.po[0] & PO1_NO_TITLE_TIME))
        return 0;
    CaptionTexts *texts = PCFCaptionTexts(l);
    int handled = 0;
    if (texts)
        *result = CaptionDefWindowProc(hwnd, msg, wp, lp, texts, &handled);
    return handled;
}

static void on_destroy(FrameWords *f, HWND hwnd)
{
    KillTimer(hwnd, SHELL_TIMER);
    hand_over_queued(hwnd);
    if (f) {
        if (f->listPane)
            PCFCloseDialog(f->listPane);
        if (f->msgPane)
            PCFCloseDialog(f->msgPane);
        f->listPane = f->msgPane = nullptr;
    }
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE) {
        if (on_create(hwnd, lp) < 0)
            return -1;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    FrameWords *f = (FrameWords *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    LRESULT result = 0;
    if (msg >= FRM_FIRST && msg <= FRM_LAST && ShellFrameMessage(f, hwnd, msg, wp, lp, &result))
        return result;
    if (!f)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_MOVE:
        on_move(f);
        break;
    case WM_SIZE:
        on_size(f, LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE)
            Shell.activeFrame = f;
        else if (Shell.activeFrame == f)
            Shell.activeFrame = nullptr;
        break;
    case WM_SETFOCUS:
        if (f->msgPane && f->msgPane->dataWindow && IsWindowVisible(PCFWnd(f->msgPane->dataWindow)))
            SetFocus(PCFWnd(f->msgPane->dataWindow));
        else if (f->tree)
            SetFocus(f->tree);
        break;
    case WM_DISPLAYCHANGE:
        UtilCheckMonitors();          /* the monitors counted again, not only at start-up */
        break;
    case WM_SETTEXT: case WM_SETTINGCHANGE: case WM_NCPAINT: case WM_NCACTIVATE:
        if (msg == WM_SETTINGCHANGE && wp == SPI_SETWORKAREA)
            UtilCheckMonitors();
        if (caption(f, hwnd, msg, wp, lp, &result))
            return result;
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CLOSE:
        ExitProgram(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_INITMENU:
        FrameInitMenu(hwnd);
        break;
    case WM_TIMER:
        if (wp == SHELL_TIMER)
            ShellTimerTick(hwnd);
        break;
    case WM_COMMAND:
        FrameCommand(f, LOWORD(wp));
        return 0;
    case WM_DESTROY:
        on_destroy(f, hwnd);
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}
