/* The main frame's one-second timer: the frame maximised as it was left,
 * the exit, progress windows, column filters, commands without reply, the
 * version check, the search typed into the panels, the tree rebuilds and
 * the location timer. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"
#include "version.h"

/* Without the location timer: every thread asked to end, the locations
 * that still run one counted and named. */
static void end_threads(QMS *r, void *count)
{
    if (r->putThread.state)
        EndPutThread(r, 0);
    if ((r->putThread.state | r->getThread.state) & QMSTHREAD_RUNNING) {
        (*(int *)count)++;
        LocAddToNameList(r);
    }
}

static void count_running(QMS *r, void *count)
{
    if ((r->putThread.state | r->getThread.state) & QMSTHREAD_RUNNING)
        (*(int *)count)++;
}

int ShellExitTick(void)
{
    if (ShellWork.timerTick && ShellWork.runningCount) {
        ShellWork.timerTick(Shell.now ? Shell.now : CSGetCurrentTime());
        return ShellWork.runningCount();
    }
    int running = 0;
    LocResetNameList();
    LocForEach(LocTree, end_threads, &running);
    return running;
}

int ShellCanDisconnect(const QMS *r)
{
    return r && (r->putThread.state & QMSTHREAD_RUNNING);
}

int ShellRunningCount(void)
{
    if (ShellWork.runningCount)
        return ShellWork.runningCount();
    int running = 0;
    LocForEach(LocTree, count_running, &running);
    return running;
}

/* Step 8: the frames whose search typing has paused long enough. */
static void apply_searches(void)
{
    int pending = 0;
    uint32_t now = GetTickCount();
    for (FrameWords *f = FrameFirst(); f; f = FrameNext(f)) {
        if (!f->searchTick)
            continue;
        pending = 1;
        if (ShellSearchDue(now, f->searchTick, Prf.sdelay))
            ApplySearch(f);
    }
    if (!pending)
        Shell.searchPending = 0;
}

void ShellTimerTick(HWND hwnd)
{
    Shell.tick++;
    Shell.now = CSGetCurrentTime();
    if (Shell.startupPending)
        return;
    if (Shell.maximisePending) {
        Shell.maximisePending = 0;
        ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    }
    if (Shell.status & SHELL_EXITING) {
        if (ShellExitTick() == 0)
            PostQuitMessage(0);
    }
    if (ShellWork.progressUpdate)
        ShellWork.progressUpdate();
    if (ShellWork.colFilterDeferred)
        ShellWork.colFilterDeferred();
    if (ShellWork.checkResponses)
        ShellWork.checkResponses();
    if (VerTickConsidered(Shell.tick) && VerCheckDue(Shell.now) && ShellWork.versionCheck)
        ShellWork.versionCheck(hwnd, 0);
    if (Shell.searchPending)
        apply_searches();
    if (MQERebuildAgain)
        AnalyserRefresh(nullptr);
    if (!(Shell.status & SHELL_EXITING) && ShellWork.timerTick)
        ShellWork.timerTick(Shell.now);
}
