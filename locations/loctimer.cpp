/* The location timer: one pass a second over every location (idle mark,
 * object download, automatic refresh, status poll, automatic connection,
 * download retry, monitor messages) and the counts of the pass. */
#include "loccache.h"
#include "locstore.h"
#include "prfdata.h"
#include "cs.h"

#include <cstring>

LOCCOUNTS LocCounts;
QMS *LocStartupLocation;
LOCTIMERHOOKS locTimerHooks;

static int64_t timerNow;
static int lastNoErrors = 1;           /* the icon shown: the normal one */

#define OPT1_MONITOR 0x1               /* option word 1: monitor messages */
#define DOWNLOADING 0x1ef
#define PUT_TROUBLE 0xA                /* thread state: initialising, retrying */

void LocSetTimerHooks(const LOCTIMERHOOKS *h)
{
    if (h)
        locTimerHooks = *h;
    else
        memset(&locTimerHooks, 0, sizeof locTimerHooks);
}

const LOCTIMERHOOKS *LocTimerHooks(void)
{
    return &locTimerHooks;
}

static int request(QMS *r, uint32_t bits, int wait)
{
    if (!locTimerHooks.requestRefresh)
        return 0;
    return locTimerHooks.requestRefresh(locTimerHooks.context, r, bits, nullptr, wait);
}

int LocInError(const QMS *r)
{
    return (r->status & (LS_UNAVAILABLE | LS_CANTSEND)) ||
           ((r->status & LS_NORESPONSE) && !(r->status & LS_DISABLED));
}

static void end_put_thread(QMS *r)
{
    const LOCHOOKS *h = LocHooks();
    if (r->putThread.state && h->endPutThread)
        h->endPutThread(h->context, r, 0);
}

static void update_row(QMS *r)
{
    const LOCHOOKS *h = LocHooks();
    if (h->updateRow)
        h->updateRow(h->context, r);
}

/* whether the location's connection is up: its own, or its via location's */
static int connected(QMS *r)
{
    if (r->viaQm[0]) {
        QMS *via = LocFind(r->viaQm);
        return via && (via->putThread.state & 0x4);
    }
    return (r->putThread.state & 0x4) != 0;
}

/* whether the object download runs: the engine's own state when it is
 * wired, else the record's word */
static int downloading(QMS *r)
{
    if (locTimerHooks.downloading)
        return locTimerHooks.downloading(locTimerHooks.context, r);
    return (r->downloadState & DOWNLOADING) != 0;
}

static void object_download(QMS *r, int64_t now)
{
    if (Prf.objr && now - r->lastUsed >= Prf.objr) {
        if (!downloading(r) || now - r->lastDownloadRequest > Prf.objrty) {
            r->lastDownloadRequest = now;
            request(r, LOCREF_DOWNLOAD, 1);
        }
    }
    if (r->pendingReply && now - r->lastDownloadRequest > 60) {
        r->lastDownloadRequest = now;
        request(r, LOCREF_QLIST, 0);
    }
    if (Prf.po[2] & PO3_NO_AUTO_REFRESH)
        return;
    int32_t interval;
    if (r->openWindow && r->autoRefreshOpen >= 0)
        interval = r->autoRefreshOpen;
    else if (r->autoRefresh >= 0)
        interval = r->autoRefresh;
    else
        interval = (r->flags & LF_CLIENT) ? Prf.acr : Prf.alr;
    if (interval && now - r->lastAutoRefresh >= interval) {
        r->lastAutoRefresh = now;
        request(r, LOCREF_AUTO | LOCREF_QMGR | LOCREF_QLIST, 1);
    }
}

static int poll_wanted(QMS *r, int up)
{
    int first = (r->flags & LF_NETWORK) && (r->status & LS_FIRSTOFRING);
    int trouble = (r->putThread.state & PUT_TROUBLE) ||
                  (r->status & (LS_CANTSEND | LS_UNAVAILABLE));
    switch (Prf.chstype) {
    case 0: return first && up;
    case 1: return first && !trouble;
    case 2: return up;
    case 3: return !trouble;
    default: return 0;
    }
}

/* monitor messages; 1 when one was sent */
static int monitor(QMS *r, int64_t now)
{
    if (!(Prf.opt1 & OPT1_MONITOR) || (r->status & LS_DISABLED))
        return 0;
    int64_t age = now - r->monitorSent;
    if ((r->status & LS_SLAVE) && now - r->monitorAnswered > 25) {
        LocLockStore();
        r->status &= ~LS_SLAVE;
        LocUnlockStore();
    }
    if (r->monitorSent > r->monitorAnswered && age >= 15)
        LocSetStatus(r, LS_NORESPONSE, 0, 0);
    int32_t interval = (r->status & LS_NORESPONSE) ? r->interval[2] : r->interval[0];
    if (!(r->status & LS_SLAVE) && age >= interval) {
        if (locTimerHooks.postMonitor)
            locTimerHooks.postMonitor(locTimerHooks.context, r);
        update_row(r);
        return 1;
    }
    return 0;
}

static void count(QMS *r)
{
    LocCounts.seen++;
    if (LocInError(r))
        LocCounts.inError++;
    if (!((r->putThread.state | r->getThread.state) & QMSTHREAD_RUNNING))
        return;
    if (r->threadStop == 0)
        LocCounts.running++;
    if (LocGlobals.exiting)
        LocAddToNameList(r);
}

int LocTimerOne(QMS *r)
{
    int64_t now = timerNow ? timerNow : LocNow();
    if (LocGlobals.exiting) {
        end_put_thread(r);
        count(r);
        return 0;
    }
    int up = connected(r);
    int suspended = (r->state & LST_SUSPENDED) != 0;
    /* a use met while its refresh ran counts once the refresh is done */
    if ((r->state & LST_TOUCHPENDING) && !(r->downloadState & DOWNLOADING))
        LocTouch(r);
    if (Prf.objo && !(r->state & LST_IDLE) && now - r->lastUsed >= Prf.objo)
        r->state |= LST_IDLE;
    if (up && (r->flags & LF_OBJD) && !(r->flags & (LF_FGN | LF_NC)) &&
        !(r->status & LS_CANTSEND) && !suspended)
        object_download(r, now);
    if (now - r->lastStatusPoll >= Prf.chsrate && poll_wanted(r, up) && !suspended) {
        request(r, LOCREF_POLL, 1);
        r->lastStatusPoll = now;
    }
    if (r->flags & LF_FGN) {
        end_put_thread(r);
        count(r);
        return 0;
    }
    if ((r->flags & LF_AUTO) && !r->viaQm[0] && !suspended && r->putThread.state == 0 &&
        now >= r->lastAutoConnect + Prf.autod && locTimerHooks.startPutThread)
        locTimerHooks.startPutThread(locTimerHooks.context, r);
    if ((r->downloadRetry & 0x1) && now - r->downloadRetryTime > 30) {
        r->downloadRetry &= ~0x1u;
        if (locTimerHooks.setDownloadState)
            locTimerHooks.setDownloadState(locTimerHooks.context, r, 0);
    }
    if (!monitor(r, now) && (r->status & LS_PROCESSNOW)) {
        if (locTimerHooks.postMonitor)
            locTimerHooks.postMonitor(locTimerHooks.context, r);
        update_row(r);
    }
    count(r);
    return 0;
}

int LocTimerTick(int64_t now)
{
    timerNow = now;
    memset(&LocCounts, 0, sizeof LocCounts);
    LocResetNameList();
    LocLockStore();
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        LocTimerOne((QMS *)e);
    LocUnlockStore();
    if (!LocGlobals.exiting && (Prf.po[0] & PO1_SWAP_ICON)) {
        int noErrors = LocCounts.inError == 0;
        if (noErrors != lastNoErrors && locTimerHooks.setMainIcon)
            locTimerHooks.setMainIcon(locTimerHooks.context, !noErrors);
        lastNoErrors = noErrors;
    }
    if (locTimerHooks.postFrame)
        locTimerHooks.postFrame(locTimerHooks.context, FRM_ENDSTATUS, nullptr);
    timerNow = 0;
    return 0;
}
