/* The repaint announcement: the pending mask, carried out on the
 * user-interface thread and asked for from any other, and the notice to
 * every location's open window. */
#include "repaint.h"
#include "locstore.h"
#include "cs.h"

#include <atomic>
#include <cstring>

static REPAINTHOOKS repaintHooks;
static std::atomic<uint32_t> pendingMask;

void RepaintSetHooks(const REPAINTHOOKS *h)
{
    if (h)
        repaintHooks = *h;
    else
        memset(&repaintHooks, 0, sizeof repaintHooks);
}

const REPAINTHOOKS *RepaintHooks(void)
{
    return &repaintHooks;
}

uint32_t RepaintPendingMask(void)
{
    return pendingMask.load();
}

void RepaintAllWindows(uint32_t mask)
{
    uint32_t before = pendingMask.fetch_or(mask | RP_ALL);
    int ui = !LocGlobals.uiThread || CSGetThreadId() == LocGlobals.uiThread;
    if (!ui) {
        if ((before | mask | RP_ALL) != before && repaintHooks.postMainFrame)
            repaintHooks.postMainFrame(repaintHooks.context);
        return;
    }
    uint32_t todo = pendingMask.exchange(0);
    if (repaintHooks.apply)
        repaintHooks.apply(repaintHooks.context, todo);
}

void LocNotifyWindows(void)
{
    if (!repaintHooks.notifyWindow)
        return;
    LocLockStore();
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        if (((QMS *)e)->openWindow)
            repaintHooks.notifyWindow(repaintHooks.context, ((QMS *)e)->openWindow);
    LocUnlockStore();
}
