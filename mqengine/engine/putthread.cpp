/* A location's put thread: it owns the location's request queue and its
 * request connection, connects and reconnects, carries out the requests,
 * polls the reply queue in single mode and disconnects when idle. */
#include "engint.h"

#include <cstring>

#include "cs.h"
#include "locstore.h"

/* The put side's connection (re)made: 0 or the reason. */
static int connect_put_side(QMS *r)
{
    return InitialiseMQ(r, &r->putThread.hConn, nullptr, nullptr, MQE_PUTSIDE);
}

static void disconnect_put_side(QMS *r)
{
    MQELockConnection(r, MQE_PUTSIDE);
    CloseQueueAndReset(r, &r->putThread.hConn, MQEState(&r->putThread) & TS_CLIENT, MQE_PUTSIDE);
    MQEUnlockConnection(r, MQE_PUTSIDE);
}

static int reconnect(QMS *r)
{
    disconnect_put_side(r);
    int rc = connect_put_side(r);
    if (MQEState(&r->putThread) & TS_CONNECTED)
        MQESetState(&r->putThread, 0, TS_RETRYING);
    return rc;
}

static int connected(QMS *r)
{
    return (MQEState(&r->putThread) & TS_CONNECTED) != 0;
}

int EngRemakePutSide(QMS *r)
{
    MQELockConnection(r, MQE_PUTSIDE);
    int rc = 0;
    if (!connected(r) || (r->status & LS_UNAVAILABLE))
        rc = reconnect(r);
    MQEUnlockConnection(r, MQE_PUTSIDE);
    return rc;
}

/* Single mode: one poll of the reply queue and the wait before the next
 * (0.5 s, then 1 s twice, then 2 s). */
static uint32_t poll_replies(QMS *r, MQELOC *e)
{
    int n = e->pollsPending;
    MQELockConnection(r, MQE_PUTSIDE);
    GetReplyLoop(r, 0);
    MQEUnlockConnection(r, MQE_PUTSIDE);
    e->pollCount++;
    e->pollsPending = n - 1;
    if (MQEGlobals.debugMode)
        MQEPostFrame(nullptr, FM_STATE, 0, r, 0);
    return n == 5 ? 500 : (n == 3 || n == 4) ? 1000 : 2000;
}

/* The time-out of the next wait for a request; 0 ends the thread. */
static uint32_t next_timeout(QMS *r, MQELOC *e)
{
    e->idleArmed = 0;
    if (!connected(r)) {
        if (r->retryInterval <= 0 || (r->state & LST2_AUTHFAILED))
            return 0;
        MQESetState(&r->putThread, TS_RETRYING, 0);
        return (uint32_t)r->retryInterval * 1000;
    }
    if (e->pollsPending > 0 && (MQEState(&r->putThread) & TS_SINGLE))
        return poll_replies(r, e);
    if (r->disconnectInterval > 0 && !(r->flags & LF_AUTO)) {
        e->idleArmed = 1;
        return (uint32_t)r->disconnectInterval * 1000;
    }
    return 900000;
}

/* A kind-6 request: the control block gets the connection. */
static void load_unload(QMS *r, ThreadRequest *request, void *block)
{
    MQELockConnection(r, MQE_PUTSIDE);
    MQIEntryTable *table;
    MQHCONN h = MQEConnection(r, MQE_PUTSIDE, &table, nullptr);
    if (block && request->dataLength >= sizeof(MQEDROPTHEAD)) {
        MQEDROPTHEAD *head = (MQEDROPTHEAD *)block;
        head->table = table;
        head->hConn = h;
        head->data = head + 1;
    }
    if (MQEHooks.loadUnload)
        MQEHooks.loadUnload(r, request, block);
    else
        SendErrorText(request->resultWindow, "Load and unload are not available in this build");
    MQEUnlockConnection(r, MQE_PUTSIDE);
}

/* One request: 1 when the thread ends with it. */
static int run_request(QMS *r, ThreadRequest *request, void *block)
{
    uint32_t kind = request->kind;
    if (kind == TRK_END) {
        CSFreeMemAndClear(&block);
        return 1;
    }
    if (kind == TRK_DISCONNECT) {
        disconnect_put_side(r);
        MQESetState(&r->putThread, 0, TS_ENDREQ);
        CSFreeMemAndClear(&block);
        return 0;
    }
    if ((kind == TRK_PUT || kind == TRK_LOADUNLOAD) && (!connected(r) || (r->status & LS_UNAVAILABLE)) &&
        EngRemakePutSide(r)) {
        CSFreeMemAndClear(&block);
        return 0;
    }
    if (kind == TRK_PUT) {
        MQELockConnection(r, MQE_PUTSIDE);
        int rc = PutMessagesToQueue(r, request, block);
        MQEUnlockConnection(r, MQE_PUTSIDE);
        return rc != 0;
    }
    if (kind == TRK_LOADUNLOAD)
        load_unload(r, request, block);
    CSFreeMemAndClear(&block);
    return 0;
}

/* The end: the request queue goes with the state, under the threads lock,
 * so that no request is queued to a thread that is gone. */
static void end_put_thread(QMS *r, MQELOC *e)
{
    e->putGeneration++;
    disconnect_put_side(r);
    if (MQEState(&r->putThread) & TS_SINGLE) {
        CSFreeMemAndClear(&e->replyBuffer);
        e->replySize = 0;
        MQESetState(&r->getThread, 0, 0xFFFF);
    }
    EngLockThreads();
    if (e->queueOpen)
        EngDrainQueue(&e->requests);
    e->queueOpen = 0;
    MQESetState(&r->putThread, 0, 0xFFFF);
    EngUnlockThreads();
    MQEPostFrame(nullptr, FM_PUT_ENDED, 0, r, 0);
}

static void PutThreadProc(void *arg)
{
    QMS *r = (QMS *)arg;
    MQELOC *e = MQELocOf(r);
    e->putThreadId = CSGetThreadId();
    e->pollsPending = 0;
    MQESetState(&r->putThread, TS_RUNNING | ((r->flags & LF_SINGLE) ? TS_SINGLE : 0), 0);
    connect_put_side(r);
    MQESetState(&r->putThread, 0, TS_STARTING);
    while (connected(r) || r->retryInterval > 0) {
        if (MQEProgramState() & PS_ENDING)
            break;
        uint32_t timeout = next_timeout(r, e);
        if (!timeout)
            break;
        ThreadRequest request;
        uint64_t block = 0;
        int got = CSQueueGet(&e->requests, &request, sizeof request, &block, MQEWait(timeout));
        if (got == CSWAIT_TIMEOUT) {
            if ((r->status & LS_UNAVAILABLE) || EngPutSideLost(r))
                EngRemakePutSide(r);
            else if (e->idleArmed)
                break;
            continue;
        }
        if (got != CSWAIT_DONE)
            break;
        if (run_request(r, &request, (void *)(uintptr_t)block))
            break;
    }
    end_put_thread(r, e);
}

/* The request queue of a new put thread, and its next generation. */
static int open_requests(MQELOC *e)
{
    int rc = CSQueueCreate(&e->requests);
    if (rc)
        return rc;
    e->queueOpen = 1;
    e->putGeneration++;
    return 0;
}

static void close_requests(MQELOC *e)
{
    EngDrainQueue(&e->requests);
    e->queueOpen = 0;
}

int StartPutThread(QMS *r)
{
    if (EngThreadBarred(r, &r->putThread) || (MQEProgramState() & PS_ENDING))
        return 0;
    /* the location timer's next automatic connection waits "autod" from here */
    if (!(MQEState(&r->putThread) & (TS_RUNNING | TS_STARTING)))
        r->lastAutoConnect = LocNow();
    return EngStartThreadOf(r, &r->putThread, open_requests, PutThreadProc, close_requests);
}

int EndPutThread(QMS *r, int disconnectOnly)
{
    if (MQEState(&r->getThread) & TS_RUNNING)
        return EndGetThread(r);
    uint16_t state = MQEState(&r->putThread);
    if (!(state & TS_RUNNING) || (state & TS_ENDREQ))
        return 0;
    ThreadRequest request = {};
    request.kind = disconnectOnly ? TRK_DISCONNECT : TRK_END;
    request.count = 1;
    request.location = r;
    /* marked before it is queued: the thread may serve a disconnect at
       once, and a mark set after that would refuse every later end */
    MQESetState(&r->putThread, TS_ENDREQ, 0);
    int rc = EngQueueToPutThread(r, &request, nullptr);
    if (rc)
        MQESetState(&r->putThread, 0, TS_ENDREQ);
    MQEPostFrame(nullptr, FM_STATE, 0, r, 0);
    return rc;
}
