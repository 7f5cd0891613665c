/* Monitor messages: small records a location's put thread sends out and
 * its get thread reads back, recognised by their blank format, from
 * which the location's response time is measured.  A record that comes
 * from another queue manager is answered back there, so that two
 * programs watching each other's queue managers measure through each
 * other. */
#include "agentint.h"

#include <atomic>
#include <cstring>

#include "cs.h"
#include "locstore.h"

static std::atomic<int32_t> outstanding;

int32_t MonOutstanding(void)
{
    return outstanding.load();
}

void MonResetOutstanding(void)
{
    outstanding.store(0);
}

/* One answer fewer outstanding, never below 0. */
static void answered(void)
{
    int32_t n = outstanding.load();
    while (n > 0 && !outstanding.compare_exchange_weak(n, n - 1)) {
    }
}

/* The monitor interval in force: the silent pair's while no answer comes. */
static int32_t interval_of(QMS *r)
{
    return (r->status & LS_NORESPONSE) ? r->interval[2] : r->interval[0];
}

int PostMonMsg(QMS *r, int test)
{
    EngSetStatus(r, 0, LS_PROCESSNOW);
    if (test && (r->flags & LF_LOOP))
        return 0;
    MonMSG *m = (MonMSG *)CSGetMem(MONMSG_BLOCK, "MonMSG");
    if (!m) {
        MQEOpError(nullptr, r, 6, "Can't allocate MONMSG bytes\n");
        return 0;
    }
    memset(m, 0, MONMSG_BLOCK);
    if (test) {
        m->kind = 't';
    } else {
        MQELOC *e = MQELocOf(r);
        m->kind = (r->flags & LF_LOOP) ? 'r' : 'm';
        m->sent = (uint32_t)MQETime();
        m->interval = (uint32_t)interval_of(r);
        m->tick = (uint32_t)MQETick();
        m->lastResponse = e ? e->monLastResponse : 0;
    }
    const uint8_t key[24] = {};
    /* counted before it goes: its answer may come back before the post returns */
    outstanding++;
    int rc = PostThreadRequest(r, nullptr, TRF_REPLYQ | TRF_MONITOR, nullptr, key, m, MONMSG_WIRE);
    if (rc) {
        answered();
        CSFreeMem(m);
        return rc;
    }
    if (!test)
        r->monitorSent = MQETime();
    return 0;
}

MONSTATS MonStatsOf(QMS *r)
{
    MONSTATS s = {};
    MQELOC *e = MQELocOf(r);
    s.lastResponse = e ? e->monLastResponse : 0;
    s.forwardedTime = e ? e->monForwardedTime : 0;
    s.count = r->monitorCount;
    s.totalMs = r->monitorTotalMs;
    s.lastTime = r->monitorAnswered;
    s.lastSent = r->monitorSent;
    return s;
}

/* Books one measured round trip of a location. */
static void book(QMS *r, uint32_t ms, int64_t when, int last)
{
    r->monitorCount++;
    r->monitorTotalMs += ms;
    r->monitorAnswered = when;
    MQELOC *e = MQELocOf(r);
    if (e && last)
        e->monLastResponse = ms;
}

/* An answered round trip: the time since the record's tick. */
static void UpdateResponseStats(QMS *r, const MonMSG *m)
{
    book(r, (uint32_t)MQETick() - m->tick, MQETime(), 1);
    answered();
    LocSetStatus(r, 0, LS_NORESPONSE | LS_UNKNOWN, 1);
}

void PostTalkText(QMS *, QMS *location, const MQMD *, const void *record, int32_t length)
{
    const char *text = (const char *)record + 1;
    size_t n = length > 1 ? strnlen(text, (size_t)length - 1) : 0;
    char *block = (char *)CSGetMem(n + 1, "TALK");
    if (!block)
        return;
    memcpy(block, text, n);
    block[n] = 0;
    MQEPostBlock(nullptr, FM_TALK, (uintptr_t)location, block, 0);
}

/* Answers a measurement of another location back to its reply queue,
 * through the receiving location's connection: 0, or the reason. */
static int PutCommandMsg(QMS *r, MQHCONN h, QMS *target, MonMSG *m)
{
    MQELOC *e = MQELocOf(r);
    if (!e)
        return MQRC_STORAGE_NOT_AVAILABLE;
    int side = h == r->getThread.hConn && h != r->putThread.hConn ? MQE_GETSIDE : MQE_PUTSIDE;
    MQIEntryTable *t;
    void **cache;
    MQEConnection(r, side, &t, &cache);
    int client = t == &MQClientTable;
    char qm[49], queue[49], text[300];
    EngCopy(qm, target->qmName, sizeof qm);
    EngCopy(queue, target->secondName, sizeof queue);
    MQLONG cc, rc;
    if (e->monAnswerQ[0] && (strcmp(e->monAnswerQ, queue) || strcmp(e->monAnswerQMgr, qm)))
        MQCloseCachedByName(h, client, cache, e->monAnswerQMgr, e->monAnswerQ, &cc, &rc);
    MQHOBJ q;
    MQOpenCached(h, client, cache, 0, qm, queue, "AMQ.*", nullptr, MQOO_OUTPUT, 0, nullptr, 0, &q,
                 nullptr, &cc, &rc);
    if (cc == MQCC_FAILED) {
        e->monAnswerQ[0] = 0;
        EngMQErrorText(text, sizeof text, "Error opening queue", qm, queue, rc);
        MQEOpError(nullptr, r, 6, text);
        return rc;
    }
    EngCopy(e->monAnswerQ, queue, sizeof e->monAnswerQ);
    EngCopy(e->monAnswerQMgr, qm, sizeof e->monAnswerQMgr);
    m->kind = 'r';
    MQMD md = {MQMD_DEFAULT};
    md.MsgType = MQMT_DATAGRAM;
    md.Persistence = MQPER_NOT_PERSISTENT;
    char own[49];
    EngObjectQMgr(r, own);
    EngPadName(md.ReplyToQ, e->replyQ, 48);
    EngPadName(md.ReplyToQMgr, own, 48);
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_NO_SYNCPOINT;
    t->MQPUT(h, q, &md, &pmo, MONMSG_WIRE, m, &cc, &rc);
    if (cc == MQCC_FAILED) {
        MQLONG closeCc, closeRc;                   /* the put's reason is the one told */
        MQCloseCachedHandle(h, client, cache, q, &closeCc, &closeRc);
        e->monAnswerQ[0] = 0;
        EngMQErrorText(text, sizeof text, "Error putting to queue", qm, queue, rc);
        MQEOpError(nullptr, r, 6, text);
        return rc;
    }
    return 0;
}

/* A name as a blank-padded 48-byte field. */
static void padded(char *out, const char *name)
{
    EngPadName(out, name, 48);
}

/* The location a monitor message belongs to: the receiving one when the
 * reply-to names are its own, else the one of those names, made (reached
 * through the receiving one) when there is none. */
static QMS *owner_of(QMS *r, const char *qm, const char *queue, uint32_t interval)
{
    MQELOC *e = MQELocOf(r);
    char own[49], inquired[49];
    EngTrimName(own, r->qmName, 48);
    EngObjectQMgr(r, inquired);
    int ownQm = !strcmp(qm, own) || !strcmp(qm, inquired);
    if (ownQm && ((e && !strcmp(queue, e->replyQ)) || !strcmp(queue, r->secondName)))
        return r;
    QMS *found = LocFindByNames(qm, queue);
    if (found)
        return found;
    QMS t;
    InitLocationDefaults(&t);
    EngCopy(t.qmName, qm, sizeof t.qmName);
    EngCopy(t.secondName, queue, sizeof t.secondName);
    EngCopy(t.viaQm, own, sizeof t.viaQm);
    EngFormat(t.locationName, sizeof t.locationName, "%s(%s)", qm, queue);
    t.interval[0] = (int32_t)interval;
    QMS *made = LocCreate(&LocTree, &t, 0);
    if (!made)
        LocFreeRecordData(&t);
    return made;
}

/* A measurement: booked, answered back when it came from elsewhere. */
static void measure(QMS *r, MQHCONN h, QMS *loc, const char *qm, const char *queue, MonMSG *m)
{
    uint32_t old = loc->status;
    if (!(old & LS_SLAVE) && interval_of(loc) >= (int32_t)m->interval) {
        char a[48], b[48], c[48], d[48];
        padded(a, qm);
        padded(b, loc->qmName);
        padded(c, queue);
        padded(d, loc->secondName);
        if (memcmp(a, b, 48) < 0 || memcmp(c, d, 48) < 0)
            LocSetStatus(loc, LS_SLAVE, 0, 0);
    }
    /* the status settles before the measurement counts: whoever sees the
       count sees the status it left */
    if (loc == r) {
        LocSetStatus(loc, LS_MONITORED, LS_NORESPONSE, 1);
        book(loc, (uint32_t)MQETick() - m->tick, MQETime(), 1);
        answered();
        return;
    }
    int64_t when = MQETime() - m->lastResponse / 1000;
    MQELOC *e = MQELocOf(loc);
    if (e)
        e->monForwardedTime = when;
    if (!PutCommandMsg(r, h, loc, m))
        LocSetStatus(loc, LS_MONITORED, LS_NORESPONSE, 1);
    book(loc, m->lastResponse, when, 0);
}

int HandleMonitorMessage(QMS *r, MQHCONN h, MQMD *md, const void *data, int32_t length)
{
    if (!r || !data || length < 1)
        return 0;
    MonMSG m = {};
    memcpy(&m, data, (size_t)(length < MONMSG_WIRE ? length : MONMSG_WIRE));
    if (!strchr("mrts\"", m.kind) || !m.kind)
        return 0;
    if ((m.kind == 'm' || m.kind == 'r') && length < MONMSG_WIRE)
        return 0;
    char qm[49], queue[49];
    EngTrimName(qm, md->ReplyToQMgr, 48);
    EngTrimName(queue, md->ReplyToQ, 48);
    if (!qm[0] || !queue[0])
        return 0;
    QMS *loc = owner_of(r, qm, queue, m.interval);
    if (!loc)
        return 0;
    LocSetStatus(loc, 0, LS_NORESPONSE | LS_UNKNOWN, 0);
    switch (m.kind) {
    case 'm':
        measure(r, h, loc, qm, queue, &m);
        break;
    case 'r':
        UpdateResponseStats(loc, &m);
        break;
    case 't':
        LocSetStatus(loc, 0, LS_SLAVE | LS_MONITORED, 0);
        break;
    case 's':
        if (MQEHooks.writeConfig)
            MQEHooks.writeConfig();
        break;
    case '"':
        PostTalkText(r, loc, md, data, length);
        break;
    }
    return 0;
}
