/* A location's get thread: its own connection waits on the reply queue
 * and hands every reply to the command agent.  The same reply loop polls
 * the reply queue from the put thread of a single-mode location. */
#include "engint.h"

#include <cstring>

#include "cs.h"
#include "mq/mqconst.h"
#include "mq/pcf.h"

#define REPLY_BUFFER_FIRST 4096
#define REPLY_WAIT_MS 600000u

/* The reply buffer at least size bytes: 0, or 2071 with the text posted. */
static int reply_buffer(QMS *r, MQELOC *e, int32_t size)
{
    if (e->replyBuffer && e->replySize >= size)
        return 0;
    uint8_t *fresh = (uint8_t *)CSGetMem((size_t)size, "Message");
    if (!fresh) {
        char text[80];
        EngFormat(text, sizeof text, "Error allocating %ld bytes", (long)size);
        MQEOpError(nullptr, r, 6, text);
        return MQRC_STORAGE_NOT_AVAILABLE;
    }
    CSFreeMemAndClear(&e->replyBuffer);
    e->replyBuffer = fresh;
    e->replySize = size;
    return 0;
}

/* The wait of one MQGET: 600 s, or what is left of the disconnect
 * interval when that is shorter. */
static MQLONG reply_wait(QMS *r, int wait, int64_t idleSeconds)
{
    if (!wait)
        return 0;
    uint32_t ms = REPLY_WAIT_MS;
    if (r->disconnectInterval > 0 && !(r->flags & LF_AUTO)) {
        int64_t left = (int64_t)r->disconnectInterval - idleSeconds;
        if (left < 1)
            left = 1;
        if (left * 1000 < (int64_t)ms)
            ms = (uint32_t)left * 1000;
    }
    return (MQLONG)MQEWait(ms);
}

/* A reply handed to the agent: 1 when the loop ends with it. */
static int hand_on(QMS *r, MQELOC *e, MQHCONN h, MQMD *md, MQLONG length)
{
    if (!e->firstReplyCcsid)
        e->firstReplyCcsid = md->CodedCharSetId;
    if (MQEState(&r->putThread) & TS_SINGLE)
        e->pollsPending = 2;
    int32_t stop = 0;
    MQELockConnection(r, MQE_GETSIDE);
    int rc = MQEHooks.analyse(r, &stop, h, md, e->replyBuffer, length);
    MQEUnlockConnection(r, MQE_GETSIDE);
    return rc || stop;
}

/* Gets inhibited on the reply queue: the handle is reopened with
 * MQOO_SET, which allows gets again.  0 or the reason. */
static int reopen_reply_queue(QMS *r, MQELOC *e, MQHCONN h, int client, void **cache)
{
    MQLONG cc, rc;
    MQCloseCachedHandle(h, client, cache, e->replyHobj, &cc, &rc);
    MQLONG options = MQOO_INPUT_EXCLUSIVE | MQOO_OUTPUT | MQOO_READ_AHEAD | MQOO_SET;
    MQHOBJ q = MQHO_UNUSABLE_HOBJ;
    int result = MQOpenRetry(h, client, cache, e->objectQMgr, e->replyQ, nullptr, nullptr, options, &q);
    e->replyHobj = q;
    return result;
}

static int mq_failed(QMS *r, MQELOC *e, MQLONG reason)
{
    char text[300];
    EngFormat(text, sizeof text, "Error on MQGET from queue '%s' RC(%ld) %s", e->replyQ, (long)reason,
              MQReasonText(reason));
    MQEOpError(nullptr, r, 6, text);
    return reason;
}

int GetReplyLoop(QMS *r, int wait)
{
    MQELOC *e = MQELocOf(r);
    if (!e)
        return MQRC_STORAGE_NOT_AVAILABLE;
    MQIEntryTable *table;
    void **cache;
    MQHCONN h = MQEConnection(r, MQE_GETSIDE, &table, &cache);
    int client = table == &MQClientTable;
    if (reply_buffer(r, e, REPLY_BUFFER_FIRST))
        return MQRC_STORAGE_NOT_AVAILABLE;
    int64_t idle = 0;
    int reopened = 0;
    for (;;) {
        MQMD md = {MQMD_DEFAULT};
        md.Encoding = MQENC_NATIVE;
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_WAIT | MQGMO_NO_SYNCPOINT | MQGMO_FAIL_IF_QUIESCING | MQGMO_CONVERT;
        gmo.WaitInterval = reply_wait(r, wait, idle);
        MQLONG length = 0, cc, rc;
        table->MQGET(h, e->replyHobj, &md, &gmo, e->replySize - 10, e->replyBuffer, &length, &cc, &rc);
        switch (rc) {
        case MQRC_NONE:
            idle = 0;
            if (hand_on(r, e, h, &md, length))
                return 0;
            break;
        case MQRC_NO_MSG_AVAILABLE:
            if (!wait)
                return 0;
            idle += REPLY_WAIT_MS / 1000;
            if (r->disconnectInterval > 0 && !(r->flags & LF_AUTO) && idle >= r->disconnectInterval)
                return 0;
            break;
        case MQRC_TRUNCATED_MSG_FAILED:
            if (length > INT32_MAX - 10 || reply_buffer(r, e, length + 10))
                return MQRC_STORAGE_NOT_AVAILABLE;
            break;
        case MQRC_NOT_CONVERTED:        /* taken as it came: never the end of the replies */
            idle = 0;
            if (hand_on(r, e, h, &md, length))
                return 0;
            break;
        case MQRC_FORMAT_ERROR:
            if (memcmp(md.Format, MQFMT_NONE, 8) && hand_on(r, e, h, &md, length))
                return 0;
            break;
        case MQRC_GET_INHIBITED:
            if (reopened || EngLeaveGetInhibit())
                return mq_failed(r, e, rc);
            reopened = 1;
            if ((rc = reopen_reply_queue(r, e, h, client, cache)) != 0)
                return mq_failed(r, e, rc);
            break;
        case MQRC_Q_DELETED:
        case MQRC_CALL_IN_PROGRESS:
            return 0;
        case MQRC_HOBJ_ERROR:
        case MQRC_Q_MGR_QUIESCING:
        case MQRC_Q_MGR_STOPPING:
            EngSetStatus(r, LS_UNAVAILABLE, 0);
            return mq_failed(r, e, rc);
        default:
            return mq_failed(r, e, rc);
        }
    }
}

static void GetThreadProc(void *arg)
{
    QMS *r = (QMS *)arg;
    MQELOC *e = MQELocOf(r);
    e->getThreadId = CSGetThreadId();
    if ((MQEState(&r->putThread) & TS_CONNECTED) && e->putGeneration == e->getGeneration) {
        MQESetState(&r->getThread, TS_RUNNING, TS_STARTING);
        int rc = InitialiseMQ(r, &r->getThread.hConn, nullptr, nullptr, MQE_GETSIDE);
        if (rc == 0 && e->putGeneration == e->getGeneration)
            GetReplyLoop(r, 1);
    }
    MQELockConnection(r, MQE_GETSIDE);
    CloseQueueAndReset(r, &r->getThread.hConn, MQEState(&r->getThread) & TS_CLIENT, MQE_GETSIDE);
    CSFreeMemAndClear(&e->replyBuffer);
    e->replySize = 0;
    MQEUnlockConnection(r, MQE_GETSIDE);
    MQESetState(&r->getThread, 0, 0xFFFF);
    MQEPostFrame(nullptr, FM_GET_ENDED, 0, r, 0);
}

/* A new get thread belongs to the put thread of this generation. */
static int take_generation(MQELOC *e)
{
    e->getGeneration = e->putGeneration;
    return 0;
}

static void no_undo(MQELOC *)
{
}

int StartGetThread(QMS *r)
{
    if (EngThreadBarred(r, &r->getThread) || (MQEState(&r->putThread) & TS_SINGLE))
        return 0;
    return EngStartThreadOf(r, &r->getThread, take_generation, GetThreadProc, no_undo);
}

int EndGetThread(QMS *r)
{
    if (!(MQEState(&r->putThread) & TS_RUNNING) || !(MQEState(&r->getThread) & TS_RUNNING))
        return 0;
    void *area = CSGetMem(36, "MQCFH");
    if (!area)
        return MQRC_STORAGE_NOT_AVAILABLE;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &area, 0, 36, 0, MYCMD_STOP_SVR_CODE, &cc, &rc);
    MQEPostFrame(nullptr, FM_STATE, 0, r, 0);
    int result = PostThreadRequest(r, nullptr, TRF_REPLYQ | TRF_EXPIRY15, nullptr, nullptr, area, 36);
    if (result)
        CSFreeMem(area);
    return result;
}
