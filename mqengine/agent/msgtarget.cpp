/* Where a copied or moved message goes, and the put that takes it there:
 * the target names as asked or as the message's header gives them, the
 * connection (the location's own, or with qualifier 0x2000 the put
 * connection of the target queue manager's location, under its lock and
 * in a unit of work of its own), and the open and put through that
 * connection's handle cache. */
#include "agentint.h"

#include <cstring>

#include "cs.h"
#include "locstore.h"

typedef ACTIONTARGET TARGET;

void ActionPrefix(const MSGACTION *a, char *out)
{
    int32_t command = a->base.command;
    if (command == MYCMD_UPDATE_MSG || command == MYCMD_ADD_MSG)
        out[0] = 0;
    else
        EngFormat(out, 40, "Message(%d) : ", (int)a->handled + 1);
}

static int is_star(const char *name)
{
    return !strcmp(name, "*");
}

/* The location whose put connection reaches a queue manager. */
static QMS *location_of(const char *qmName)
{
    QMS *t = LocFind(qmName);
    if (t && t->viaQm[0])
        t = LocFind(t->viaQm);
    return t;
}

UOW *ConnectTargetQmgr(MSGACTION *a, const char *qmName)
{
    QMS *t = location_of(qmName);
    if (!t) {
        AgentErrorText(&a->rq, MQRCCF_CFH_COMMAND_ERROR, "Unable to find definition of target queue manager");
        return nullptr;
    }
    if (!(MQEState(&t->putThread) & TS_SETUP) &&
        (!EngWaitForConnection(t) || !(MQEState(&t->putThread) & TS_SETUP))) {
        MQELOC *e = MQELocOf(t);
        MQLONG reason = e && e->lastFailReason ? e->lastFailReason : MQRC_Q_MGR_NOT_AVAILABLE;
        char shown[200];
        AgentErrorText(&a->rq, MQRCCF_CFH_COMMAND_ERROR, "Error connecting%s to '%s' RC(%ld) %s",
                       EngIsClient(t) ? " via client" : "", qmName, (long)reason,
                       MQReasonShown(reason, shown, sizeof shown));
        return nullptr;
    }
    return FindUOW(&a->base, t, MQEConnection(t, MQE_PUTSIDE, nullptr, nullptr));
}

/* The connection of a target: 0, or -1 answered. */
static int connect_target(MSGACTION *a, TARGET *t, const char *qm, int named)
{
    char own[49];
    AgentQMgr(a->rq.location, own);
    EngCopy(t->qm, qm[0] ? qm : own, sizeof t->qm);
    t->named = named && qm[0];
    t->table = a->base.table;
    t->hconn = a->base.hconn;
    t->cache = a->base.cache;
    t->pending = &a->base.pending;
    if (!(a->qualifier & DQ_OTHERQM) || !t->named || !strcmp(t->qm, own) ||
        !strcmp(t->qm, a->rq.location->qmName))
        return 0;
    UOW *u = ConnectTargetQmgr(a, t->qm);
    if (!u)
        return -1;
    if (u->location == a->rq.location)
        return 0;
    t->table = u->table;
    t->hconn = u->hconn;
    t->cache = u->cache;
    t->pending = &u->pending;
    return 0;
}

/* The target of a copy or move: names resolved, connection chosen;
 * 0, or -1 answered. */
static int resolve(MSGACTION *a, const STRIPPED *s, TARGET *t)
{
    const char *queue = a->targetQ, *qm = a->targetQM;
    int strip = (a->qualifier & DQ_STRIP) != 0;
    if (strip && s->found && is_star(queue)) {
        queue = s->queue;
        if (is_star(qm))
            qm = s->qm;
    }
    if (is_star(queue) || !queue[0]) {
        AgentErrorText(&a->rq, MQRCCF_CFH_COMMAND_ERROR,
                       strip ? "Message(%d) : No header and no defined target queue"
                             : "Message(%d) : No defined target queue and 'strip header' not specified",
                       (int)a->handled + 1);
        return -1;
    }
    EngCopy(t->queue, queue, sizeof t->queue);
    int named = !is_star(qm);
    return connect_target(a, t, named ? qm : "", named);
}

/* "QM/QUEUE" when a queue manager was named, else the queue. */
static void shown_name(const TARGET *t, char *out, size_t size)
{
    if (t->named)
        EngFormat(out, size, "%s/%s", t->qm, t->queue);
    else
        EngCopy(out, t->queue, size);
}

static int failed(MSGACTION *a, const TARGET *t, const char *what, MQLONG reason)
{
    char prefix[40], name[100];
    ActionPrefix(a, prefix);
    shown_name(t, name, sizeof name);
    ProgSetDone(a->base.progress, 1);
    char shown[200], committed[80];
    ActionCommitted(a, committed);
    AgentErrorText(&a->rq, reason, "%s%s '%s' RC(%ld) %s%s", prefix, what, name, (long)reason,
                   MQReasonShown(reason, shown, sizeof shown), committed);
    return reason;
}

/* Opens (through the cache, unless the target holds its handle) and
 * puts: 0, or the reason answered. */
static int put_to(MSGACTION *a, TARGET *t, const MQMD *md, const uint8_t *data, int32_t length)
{
    MQLONG cc = MQCC_OK, rc = 0;
    PROGRESS *p = a->base.progress;
    if (t->hobj == MQHO_UNUSABLE_HOBJ) {
        ProgApiStart(p, PROG_MQOPEN);
        MQOpenCached(t->hconn, t->table == &MQClientTable, t->cache, 0, t->qm, t->queue, nullptr, nullptr,
                     a->targetOptions, 0, nullptr, 0, &t->hobj, nullptr, &cc, &rc);
        ProgApiEnd(p);
        if (cc == MQCC_FAILED) {
            t->hobj = MQHO_UNUSABLE_HOBJ;
            return failed(a, t, "Error opening queue", rc);
        }
    }
    MQMD put = *md;
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = a->putOptions;
    if (pmo.Options & MQPMO_PASS_ALL_CONTEXT)
        pmo.Context = a->src.hobj;
    ProgApiStart(p, PROG_MQPUT);
    t->table->MQPUT(t->hconn, t->hobj, &put, &pmo, length, (void *)data, &cc, &rc);
    ProgApiEnd(p);
    if (cc == MQCC_FAILED) {
        t->hobj = MQHO_UNUSABLE_HOBJ;
        return failed(a, t, "Error putting to queue", rc);
    }
    memcpy(a->putId, put.MsgId, sizeof a->putId);
    if (a->putOptions & MQPMO_SYNCPOINT)
        *t->pending = 1;
    ProgCountWritten(p, 1, (uint64_t)length);
    if (!a->base.targetChosen) {
        a->base.targetChosen = 1;
        EngCopy(a->base.targetQMgr, t->qm, sizeof a->base.targetQMgr);
        EngCopy(a->base.targetQ, t->queue, sizeof a->base.targetQ);
    }
    return 0;
}

/* The target of every message of a copy or move whose headers cannot
 * name it: resolved at the first message, its handle kept for the action
 * (the walk opens nothing else through the cache meanwhile).  Null after
 * the error response. */
static TARGET *fixed_target(MSGACTION *a)
{
    if (!a->targetKnown) {
        STRIPPED none;
        none.found = 0;
        a->target = {};
        if (resolve(a, &none, &a->target))
            return nullptr;
        a->target.hobj = MQHO_UNUSABLE_HOBJ;
        a->targetKnown = 1;
    }
    return &a->target;
}

int MoveMsgToTarget(MSGACTION *a, const MQMD *md, const uint8_t *data, int32_t length)
{
    TARGET t = {};
    t.hobj = MQHO_UNUSABLE_HOBJ;
    switch (a->base.command) {
    case MYCMD_UPDATE_MSG:             /* through the source queue's own handle */
        connect_target(a, &t, "", 0);
        EngCopy(t.queue, a->queue, sizeof t.queue);
        t.hobj = a->src.hobj;
        return put_to(a, &t, md, data, length);
    case MYCMD_ADD_MSG:
        connect_target(a, &t, "", 0);
        EngCopy(t.queue, a->queue, sizeof t.queue);
        return put_to(a, &t, md, data, length);
    }
    /* only stripped headers with "*" as the queue asked for name a target
     * per message */
    int strip = (a->qualifier & DQ_STRIP) != 0;
    if (!strip || !is_star(a->targetQ)) {
        TARGET *fixed = fixed_target(a);
        if (!fixed)
            return MQRCCF_CFH_COMMAND_ERROR;
        STRIPPED s;
        if (strip && StripHeader(md, data, length, &s))
            return put_to(a, fixed, &s.md, s.data, s.length);
        return put_to(a, fixed, md, data, length);
    }
    STRIPPED s = {};
    StripHeader(md, data, length, &s);
    if (resolve(a, &s, &t))
        return MQRCCF_CFH_COMMAND_ERROR;
    if (s.found)
        return put_to(a, &t, &s.md, s.data, s.length);
    return put_to(a, &t, md, data, length);
}
