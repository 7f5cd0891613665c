/* The put worker: on a location's put thread, puts a request's data to
 * its queue.  A put dialog's request (message information) puts to the
 * named queue or topic, count times, under syncpoint when asked, and
 * answers the dialog with a text; any other request is a command,
 * monitor message or reply put to the command, broker or reply queue. */
#include "engint.h"

#include <cstring>

#include "cs.h"

/* The message format by the request's flags, first match first. */
static const struct { uint32_t flags; const char *format; } formats[] = {
    { TRF_RFH, "MQHRF   " },
    { TRF_TEXT | TRF_MSGINFO | TRF_MSGINFOH, "MQSTR   " },
    { TRF_MONITOR | TRF_NOFORMAT, "        " },
    { TRF_BROKER, "MQPCF   " },
};

static void set_format(MQMD *md, uint32_t flags)
{
    for (const auto &f : formats)
        if (flags & f.flags) {
            memcpy(md->Format, f.format, 8);
            return;
        }
    memcpy(md->Format, "MQADMIN ", 8);
}

/* A text for the requesting window (11244, block "PUTERROR"). */
static void window_text(ThreadRequest *rq, const char *text)
{
    char *block = EngTextBlock(text, "PUTERROR");
    if (block)
        MQEPostBlock(rq->resultWindow, FM_TEXT, 0, block, 0);
}

/* "%d message%sput in %.2f%s (%.0f msg/sec)": the rate in floating point;
 * a put quicker than the clock measures says so, with no rate. */
void MQEFormatRate(char *out, size_t size, uint32_t count, uint64_t elapsedMs)
{
    if (!elapsedMs) {
        EngFormat(out, size, "%u message%sput in less than 1 ms", (unsigned)count, count >= 2 ? "s " : " ");
        return;
    }
    double rate = (double)count * 1000.0 / (double)elapsedMs;
    double shown = elapsedMs >= 1000 ? (double)elapsedMs / 1000.0 : (double)elapsedMs;
    EngFormat(out, size, "%u message%sput in %.2f%s (%.0f msg/sec)", (unsigned)count,
              count >= 2 ? "s " : " ", shown, elapsedMs >= 1000 ? "s" : "ms", rate);
}

/* ---- put dialogs ---- */

/* A publication's header: scope flag, publication level, topic: the
 * data after it, or -1 when the header is incomplete. */
static int32_t publication(const uint8_t *data, uint32_t length, MQOD *od, MQPMO *pmo)
{
    if (!data || length < 9)
        return -1;
    const char *topic = (const char *)data + 8;
    const char *end = (const char *)memchr(topic, 0, length - 8);
    if (!end)
        return -1;
    uint32_t scope, level;
    memcpy(&scope, data, 4);
    memcpy(&level, data + 4, 4);
    od->Version = MQOD_VERSION_4;
    od->ObjectType = MQOT_TOPIC;
    od->ObjectString.VSPtr = (MQPTR)topic;
    od->ObjectString.VSLength = (MQLONG)(end - topic);
    pmo->Version = MQPMO_VERSION_3;
    pmo->PubLevel = (MQLONG)level;
    if (scope)
        pmo->Options |= MQPMO_SCOPE_QMGR;
    return (int32_t)(end + 1 - (const char *)data);
}

/* Under syncpoint, what was put before a failure is committed (backed
 * out when the commit fails). */
static void settle_after_failure(MQIEntryTable *t, MQHCONN h)
{
    MQLONG cc, rc;
    t->MQCMIT(h, &cc, &rc);
    if (cc == MQCC_FAILED)
        t->MQBACK(h, &cc, &rc);
}

static int put_dialog(QMS *threadLoc, ThreadRequest *rq, uint8_t *data)
{
    MQIEntryTable *t;
    MQHCONN h = MQEConnection(threadLoc, MQE_PUTSIDE, &t, nullptr);
    char qm[49], queue[49], text[400];
    EngTrimName(qm, rq->qmName, 48);
    EngTrimName(queue, rq->queueName, 48);
    MQOD od = {MQOD_DEFAULT};
    EngPadName(od.ObjectName, queue, 48);
    EngPadName(od.ObjectQMgrName, qm, 48);
    MQPMO pmo = {MQPMO_DEFAULT};
    uint32_t length = rq->dataLength;
    MQLONG cc = MQCC_OK, rc = 0;
    MQHOBJ q = MQHO_UNUSABLE_HOBJ;
    if (rq->flags & TRF_PUBLISH) {
        int32_t skip = publication(data, length, &od, &pmo);
        if (skip < 0) {
            cc = MQCC_FAILED;
            rc = MQRC_BUFFER_LENGTH_ERROR;
        } else {
            data += skip;
            length -= (uint32_t)skip;
        }
    }
    if (cc != MQCC_FAILED)
        t->MQOPEN(h, &od, MQOO_OUTPUT, &q, &cc, &rc);
    if (cc == MQCC_FAILED) {
        EngMQErrorText(text, sizeof text, "Error opening queue", qm, queue, rc);
        window_text(rq, text);
        return 0;
    }
    pmo.Options = (rq->syncpoint ? MQPMO_SYNCPOINT : MQPMO_NO_SYNCPOINT) |
                  (rq->asynchronous ? MQPMO_ASYNC_RESPONSE : 0) | (pmo.Options & MQPMO_SCOPE_QMGR);
    MQMD base = {MQMD_DEFAULT};
    base.MsgType = MQMT_DATAGRAM;
    /* 2: as the queue's definition */
    base.Persistence = rq->persistent == MQPER_PERSISTENCE_AS_Q_DEF ? MQPER_PERSISTENCE_AS_Q_DEF
                       : rq->persistent ? MQPER_PERSISTENT : MQPER_NOT_PERSISTENT;
    base.Priority = MQPRI_PRIORITY_AS_Q_DEF;
    EngPadName(base.ReplyToQ, "", 48);
    set_format(&base, rq->flags);
    memcpy(base.MsgId, rq->key, sizeof base.MsgId);
    uint32_t total = rq->count;
    uint64_t start = MQETick();
    for (; rq->count > 0; rq->count--) {
        MQMD md = base;
        t->MQPUT(h, q, &md, &pmo, (MQLONG)length, data, &cc, &rc);
        if (cc == MQCC_FAILED)
            break;
    }
    if (cc == MQCC_FAILED) {
        /* settled before the window hears of it */
        EngMQErrorText(text, sizeof text, "Error putting to queue", qm, queue, rc);
        if (rq->syncpoint)
            settle_after_failure(t, h);
        window_text(rq, text);
    } else if (rq->syncpoint && (t->MQCMIT(h, &cc, &rc), cc == MQCC_FAILED)) {
        EngFormat(text, sizeof text, "MQCMIT failed RC(%ld) %s", (long)rc, MQReasonText(rc));
        window_text(rq, text);
    } else {
        MQEFormatRate(text, sizeof text, total, MQETick() - start);
        window_text(rq, text);
    }
    EngSetStatus(rq->location, 0, LS_CANTSEND);
    t->MQCLOSE(h, &q, MQCO_NONE, &cc, &rc);
    return 0;
}

/* ---- commands, monitor messages and replies ---- */

/* The queue a command goes to. */
static const char *command_target(QMS *threadLoc, QMS *r, uint32_t flags)
{
    if (flags & TRF_REPLYQ) {
        if (r == threadLoc)
            return MQELocOf(threadLoc)->replyQ;
        return (flags & TRF_MONITOR) ? r->secondName : r->sqName;
    }
    return (flags & TRF_BROKER) ? r->brokerQueue : r->commandQueue;
}

/* Expiry in tenths of a second. */
static MQLONG command_expiry(QMS *r, uint32_t flags)
{
    if (flags & (TRF_EXPIRY15 | TRF_EXPIRY15B))
        return 150;
    if ((flags & TRF_IFCMD) && EngCommandExpiry())
        return 10 * EngCommandExpiry();
    if (flags & TRF_MONITOR) {
        const int32_t *pair = (r->status & LS_NORESPONSE) ? &r->interval[2] : &r->interval[0];
        return pair[1] ? 10 * pair[1] : 10 * (pair[0] + 15);
    }
    return MQEI_UNLIMITED;
}

/* The descriptor of a command. */
static void command_md(MQMD *md, QMS *threadLoc, ThreadRequest *rq)
{
    QMS *r = rq->location;
    MQELOC *e = MQELocOf(threadLoc);
    const MQMD init = {MQMD_DEFAULT};
    *md = init;
    md->MsgType = MQMT_REQUEST;
    md->Report = MQRO_PASS_DISCARD_AND_EXPIRY | MQRO_PASS_MSG_ID;
    md->Persistence = MQPER_NOT_PERSISTENT;
    md->Priority = MQPRI_PRIORITY_AS_Q_DEF;
    md->Expiry = command_expiry(r, rq->flags);
    memcpy(md->MsgId, rq->key, sizeof md->MsgId);
    if (rq->flags & TRF_CORRELID)
        memcpy(md->CorrelId, rq->correlId, sizeof md->CorrelId);
    if (rq->flags & TRF_USERID)
        memcpy(md->UserIdentifier, rq->userId, sizeof md->UserIdentifier);
    char replyQm[49];
    if ((rq->flags & TRF_MONITOR) && (r->flags & LF_LOOP)) {
        EngObjectQMgr(r, replyQm);
        EngPadName(md->ReplyToQ, r->secondName, 48);
    } else {
        EngObjectQMgr(threadLoc, replyQm);
        EngPadName(md->ReplyToQ, e->replyQ, 48);
    }
    EngPadName(md->ReplyToQMgr, replyQm, 48);
    set_format(md, rq->flags);
    if ((rq->flags & (TRF_REPLYQ | TRF_MONITOR)) == TRF_REPLYQ && r == threadLoc)
        EngSealRequest(threadLoc, md);
}

/* 1 when a failure means the connection is lost for this thread. */
static int connection_lost(QMS *threadLoc, ThreadRequest *rq, MQLONG reason, int put)
{
    if (put && reason == MQRC_CONNECTION_BROKEN)
        return 1;
    return (rq->flags & TRF_REPLYQ) && rq->location == threadLoc;
}

static int put_command(QMS *threadLoc, ThreadRequest *rq, uint8_t *data)
{
    QMS *r = rq->location;
    MQELOC *e = MQELocOf(threadLoc);
    MQIEntryTable *t;
    void **cache;
    MQHCONN h = MQEConnection(threadLoc, MQE_PUTSIDE, &t, &cache);
    int client = t == &MQClientTable;
    char qm[49], queue[49], text[400];
    EngObjectQMgr(r, qm);
    EngCopy(queue, command_target(threadLoc, r, rq->flags), sizeof queue);
    int context = (rq->flags & TRF_USERID) != 0;
    MQLONG cc, rc;
    MQHOBJ q;
    MQOpenCached(h, client, cache, 0, qm, queue, nullptr, nullptr,
                 MQOO_OUTPUT | (context ? MQOO_SET_IDENTITY_CONTEXT : 0), 0, nullptr, 0, &q, nullptr, &cc, &rc);
    if (cc == MQCC_FAILED) {
        EngMQErrorText(text, sizeof text, "Error opening queue", qm, queue, rc);
        MQEOpError(nullptr, r, 6, text);
        EngSetStatus(r, LS_CANTSEND, 0);
        return connection_lost(threadLoc, rq, rc, 0) ? rc : 0;
    }
    MQMD md;
    command_md(&md, threadLoc, rq);
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_NO_SYNCPOINT | MQPMO_FAIL_IF_QUIESCING | (context ? MQPMO_SET_IDENTITY_CONTEXT : 0);
    t->MQPUT(h, q, &md, &pmo, (MQLONG)rq->dataLength, data, &cc, &rc);
    if (cc == MQCC_FAILED) {
        EngMQErrorText(text, sizeof text, "Error putting to queue", qm, queue, rc);
        MQEOpError(nullptr, r, 6, text);
        EngSetStatus(r, LS_CANTSEND, 0);
        return connection_lost(threadLoc, rq, rc, 1) ? rc : 0;
    }
    if (MQEHooks.debugDump)
        MQEHooks.debugDump(r, 1, &md, data, (int32_t)rq->dataLength);
    if (MQEState(&threadLoc->putThread) & TS_SINGLE) {
        e->pollsPending = 5;
        e->pollCount = 0;
    }
    if (!context) {
        memcpy(e->userIdentifier, md.UserIdentifier, 12);
        e->userIdentifier[12] = 0;
    }
    EngSetStatus(r, 0, LS_CANTSEND);
    return 0;
}

int PutMessagesToQueue(QMS *threadLoc, ThreadRequest *rq, void *block)
{
    int rc = (rq->flags & (TRF_MSGINFO | TRF_MSGINFOH)) ? put_dialog(threadLoc, rq, (uint8_t *)block)
             : put_command(threadLoc, rq, (uint8_t *)block);
    CSFreeMemAndClear(&block);
    return rc;
}
