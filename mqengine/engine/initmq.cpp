/* Setting up one side of a location's connection: connecting, the
 * command server, the queue manager's own name and limits, the reply
 * queue; and taking a side down again. */
#include "engint.h"

#include <atomic>
#include <cstring>

#include "cs.h"
#include "mq/mqconst.h"

static QMSTHREAD *side_thread(QMS *r, int side)
{
    return side == MQE_PUTSIDE ? &r->putThread : &r->getThread;
}

static void store_hconn(MQHCONN *slot, MQHCONN h)
{
    std::atomic_ref<MQHCONN>(*slot).store(h);
}

/* The text of a connection attempt, as the location's operational
 * message, after the time of day; a failure's also reaches the location's
 * windows.  A success clears the message: a bare time of day would stand
 * as the location's last error. */
static void post_result(QMS *r, const char *text, int failed)
{
    char line[800] = "", now[9];
    EngTimeOfDay(now);
    if (text[0])
        EngFormat(line, sizeof line, "%8.8s %s", now, text);
    MQEOpError(nullptr, r, failed ? 2 | 4 : 2, line);
}

void CloseQueueAndReset(QMS *r, MQHCONN *slot, int client, int sides)
{
    MQELOC *e = MQELocOf(r);
    MQHCONN h = std::atomic_ref<MQHCONN>(*slot).load();
    if (h != MQHC_UNUSABLE_HCONN) {
        MQLONG cc, rc;
        MQTableFor(client)->MQDISC(&h, &cc, &rc);
        store_hconn(slot, MQHC_UNUSABLE_HCONN);
    }
    int changed = 0;
    for (int side = MQE_PUTSIDE; side <= MQE_GETSIDE; side++) {
        if (!(sides & side))
            continue;
        QMSTHREAD *t = side_thread(r, side);
        changed |= MQEState(t) & TS_CONNECTED;
        MQESetState(t, 0, TS_CONNECTED | TS_SETUP);
        if (!e)
            continue;
        MQEmptyCache(&e->cache[side - 1], 0);
        if (side == MQE_PUTSIDE)
            e->replyQ[0] = 0;
        if (side == MQE_GETSIDE || (MQEState(&r->putThread) & TS_SINGLE))
            e->replyHobj = MQHO_UNUSABLE_HOBJ;
    }
    if (changed) {
        EngSetState2(r, LST2_CHANGED, 0);
        MQEPostFrame(nullptr, FM_STATE, 0, r, 0);
    }
}

/* A failed connection: the reason is recorded and the text made. */
static void connect_failed(QMS *r, MQELOC *e, int side, MQHCONN *slot, MQLONG reason, char *text,
                           size_t size)
{
    int client = EngIsClient(r);
    if (reason == MQRC_NOT_AUTHORIZED && !EngRetryAfterAuthFailure())
        EngSetState2(r, LST2_AUTHFAILED, 0);
    else
        EngSetState2(r, 0, LST2_AUTHFAILED);
    if (side == MQE_PUTSIDE) {
        e->lastFailReason = reason;
        uint64_t now = MQETick();
        std::atomic_ref<uint64_t>(e->lastFailTick).store(now ? now : 1);
    }
    MQESetState(side_thread(r, side), 0, TS_CONNECTED);
    char qm[49];
    EngTrimName(qm, r->qmName, 48);
    if (reason == MQRC_CNO_ERROR)
        EngCopy(text, (r->flags & LF_USRP) && r->userId && r->userId[0] && r->password && r->password[0]
                ? "An explicit client userid/password requires an MQ v6 Client or later"
                : "Local client definition requires an MQ v5.1 Client or later", size);
    else if (!text[0])
        EngFormat(text, size, "Error connecting%s to '%s' RC(%ld) %s", client ? " via client" : "", qm,
                  (long)reason, MQReasonText(reason));
    SetLocationErrorText(r, text);
    EngSetStatus(r, LS_UNAVAILABLE, 0);
    CloseQueueAndReset(r, slot, client, side);
}

/* A connection made: the location's failure marks are cleared. */
static void connect_done(QMS *r, int side, int client)
{
    EngSetState2(r, 0, LST2_AUTHFAILED);
    QMSTHREAD *t = side_thread(r, side);
    int single = MQEState(&r->putThread) & TS_SINGLE;
    for (QMSTHREAD *s : { t, single ? &r->getThread : t })
        MQESetState(s, client ? TS_CLIENT : 0, client ? 0 : TS_CLIENT);
    SetLocationErrorText(r, "");
    EngSetStatus(r, 0, LS_UNKNOWN | LS_UNAVAILABLE);
    MQESetState(t, TS_CONNECTED, 0);
    EngSetState2(r, LST2_CHANGED, 0);
}

/* How many read the command queue; -1 when it cannot be told. */
static MQLONG command_readers(MQHCONN h, MQHOBJ q, MQIEntryTable *t)
{
    MQLONG cc, rc, selector = MQIA_OPEN_INPUT_COUNT, count = -1;
    t->MQINQ(h, q, 1, &selector, 1, &count, 0, nullptr, &cc, &rc);
    return cc == MQCC_FAILED ? -1 : count;
}

/* A local queue manager's command server is started when nothing reads
 * its command queue.  A start that fails is a failure only while still
 * nothing reads the queue: a queue manager just started opens it with
 * its command server a moment after the connection may look. */
static void start_command_server(QMS *r, MQHCONN h, MQIEntryTable *t, char *text, size_t size)
{
    MQOD od = {MQOD_DEFAULT};
    EngPadName(od.ObjectName, ENGINE_COMMAND_QUEUE, 48);
    MQHOBJ q;
    MQLONG cc, rc;
    t->MQOPEN(h, &od, MQOO_INQUIRE, &q, &cc, &rc);
    if (cc == MQCC_FAILED) {
        EngFormat(text, size, "Error opening command queue '%s' RC(%ld) %s", ENGINE_COMMAND_QUEUE,
                  (long)rc, MQReasonText(rc));
        return;
    }
    if (command_readers(h, q, t) == 0) {
        char qm[49], line[80], *error = nullptr;
        EngTrimName(qm, r->qmName, 48);
        EngFormat(line, sizeof line, "strmqcsv %s", qm);
        CSHANDLE process = nullptr;
        if (!CSRunCommand(line, CSRUN_HIDDEN, &process, &error) && command_readers(h, q, t) == 0)
            EngCopy(text, "Failed to start the command server", size);
        CSFreeMemAndClear(&error);
        CSCloseHandle(&process);
    }
    t->MQCLOSE(h, &q, MQCO_NONE, &cc, &rc);
}

/* The queue manager's own name and its uncommitted-message limit. */
static void inquire_qmgr(QMS *r, MQELOC *e, MQHCONN h, MQIEntryTable *t, char *text, size_t size)
{
    MQOD od = {MQOD_DEFAULT};
    od.ObjectType = MQOT_Q_MGR;
    MQHOBJ q;
    MQLONG cc, rc;
    t->MQOPEN(h, &od, MQOO_INQUIRE, &q, &cc, &rc);
    if (cc == MQCC_FAILED) {
        char qm[49];
        EngTrimName(qm, r->qmName, 48);
        EngFormat(text, size, "Error opening queue manager '%s' RC(%ld) %s", qm, (long)rc, MQReasonText(rc));
        return;
    }
    MQLONG selectors[2] = { MQCA_Q_MGR_NAME, MQIA_MAX_UNCOMMITTED_MSGS }, maximum = 0;
    int nameOnly = (r->flags & LF_MVS) && r->commandLevel < 530;
    char name[48];
    t->MQINQ(h, q, nameOnly ? 1 : 2, selectors, nameOnly ? 0 : 1, &maximum, 48, name, &cc, &rc);
    if (cc != MQCC_FAILED) {
        UTStrCopyToBlank(e->objectQMgr, name, 48, 48);
        if (!nameOnly)
            e->maxUncommitted = maximum ? maximum : 100;
    }
    t->MQCLOSE(h, &q, MQCO_NONE, &cc, &rc);
}

/* The reply queue: made from the model queue on the put side, opened
 * for input on the get side.  0 or the reason, with its text. */
static int open_reply_queue(QMS *r, MQELOC *e, int side, MQHCONN h, int client, char *text, size_t size)
{
    int single = MQEState(&r->putThread) & TS_SINGLE;
    if (side == MQE_PUTSIDE && !r->replyModel[0]) {
        EngCopy(text, "No reply queue specified", size);
        return MQRC_UNKNOWN_OBJECT_NAME;
    }
    const char *name = side == MQE_PUTSIDE || !e->replyQ[0] ? r->replyModel : e->replyQ;
    MQLONG options = MQOO_OUTPUT | MQOO_READ_AHEAD;
    if (side == MQE_GETSIDE || single)
        options |= MQOO_INPUT_EXCLUSIVE;
    MQHOBJ q = MQHO_UNUSABLE_HOBJ;
    char resolved[49] = "";
    int rc = MQOpenRetry(h, client, &e->cache[side - 1], e->objectQMgr, name, r->replyPrefix,
                         resolved, options, &q);
    if (rc) {
        EngMQErrorText(text, size, "Error opening queue", e->objectQMgr, name, rc);
        return rc;
    }
    if (side == MQE_PUTSIDE)
        EngCopy(e->replyQ, resolved, sizeof e->replyQ);
    if (side == MQE_GETSIDE || single)
        e->replyHobj = q;
    return 0;
}

/* Connects one side and sets it up under the side's connection lock. */
int InitialiseMQ(QMS *r, MQHCONN *slot, char *qmName, MQIEntryTable **tablep, int side)
{
    MQELOC *e = MQELocOf(r);
    if (!e)
        return MQRC_STORAGE_NOT_AVAILABLE;
    uint64_t failed = std::atomic_ref<uint64_t>(e->lastFailTick).load();
    if (side == MQE_PUTSIDE && failed && MQETick() - failed <= 4000)
        return e->lastFailReason;
    char text[600];
    MQHCONN h;
    MQIEntryTable *table;
    MQLONG cc, reason;
    ConnectMQ(r, &h, &table, text, sizeof text, &cc, &reason);
    if (tablep)
        *tablep = table;
    int client = EngIsClient(r);
    /* the connection is made outside the lock (a credentials prompt may
     * take long); what uses it is set up under it */
    MQELockConnection(r, side);
    if (cc == MQCC_FAILED) {
        connect_failed(r, e, side, slot, reason, text, sizeof text);
        MQEUnlockConnection(r, side);
        post_result(r, text, 1);
        return reason;
    }
    store_hconn(slot, h);
    connect_done(r, side, client);
    text[0] = 0;
    if (side == MQE_PUTSIDE && !client && EngStartCommandServers())
        start_command_server(r, h, table, text, sizeof text);
    if (side == MQE_PUTSIDE)
        inquire_qmgr(r, e, h, table, text, sizeof text);
    int rc = open_reply_queue(r, e, side, h, client, text, sizeof text);
    if (rc) {
        EngSetStatus(r, LS_UNAVAILABLE, 0);
        CloseQueueAndReset(r, slot, client, side);
        MQEUnlockConnection(r, side);
        post_result(r, text, 1);
        return rc;
    }
    if (qmName)
        EngCopy(qmName, e->objectQMgr, 49);
    QMSTHREAD *t = side_thread(r, side);
    MQESetState(t, TS_SETUP, 0);
    MQEUnlockConnection(r, side);
    MQEPostFrame(nullptr, side == MQE_PUTSIDE ? FM_PUT_CONNECTED : FM_GET_CONNECTED, 0, r, 0);
    MQEPostFrame(nullptr, FM_STATE, 0, r, 0);
    post_result(r, text, text[0] != 0);
    return 0;
}
