/* Publications: the full topic string of a topic object and a given
 * string, and the delivery of a publication to the destination queue of
 * every administrative subscription (DEFINE SUB) whose topic string
 * equals the publication's. */
#include "simcall.h"

std::string SimTopicString(SimQMgr *q, const std::string &objectName, const std::string &given)
{
    std::string base;
    if (!objectName.empty())
        if (SimObject *o = SimLookup(q, SIM_K_TOPIC, objectName))
            base = SimStr(o, MQCA_TOPIC_STRING);
    if (base.empty())
        return given;
    return given.empty() ? base : base + "/" + given;
}

/* The local queue a subscription names, or null. */
static SimObject *Destination(SimQMgr *q, const SimObject *sub, SimQMgr **where)
{
    std::string qmName = SimStr(sub, MQCACF_DESTINATION_Q_MGR);
    int reason;
    SimQMgr *tq = qmName.empty() || qmName == q->name ? q : SimFindQMgr(qmName, &reason);
    SimObject *t = tq ? SimLookup(tq, SIM_K_QLOCAL, SimStr(sub, MQCACF_DESTINATION)) : nullptr;
    *where = tq;
    return t && t->kind == SIM_K_QLOCAL && t->queue ? t : nullptr;
}

static int HexDigit(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

/* The correlation id of a subscription's publications: its DESTCORL,
 * else its SUBID (both kept as the hex digits MQSC gives). */
static void CorrelId(const SimObject *sub, MQBYTE *out)
{
    std::string id = SimStr(sub, MQBACF_DESTINATION_CORREL_ID);
    if (id.empty())
        id = SimStr(sub, MQBACF_SUB_ID);
    memset(out, 0, 24);
    for (size_t i = 0; i + 1 < id.size() && i / 2 < 24; i += 2) {
        int hi = HexDigit(id[i]), lo = HexDigit(id[i + 1]);
        if (hi < 0 || lo < 0)
            break;
        out[i / 2] = (MQBYTE)(hi << 4 | lo);
    }
}

int SimPublish(SimConn *c, SimQMgr *q, const std::string &topic, const MQMD *md, MQLONG len,
               const void *buf, bool syncpoint, MQLONG *reason)
{
    int reached = 0;
    for (auto &entry : q->objects[SIM_K_SUB]) {
        const SimObject *sub = entry.second;
        if (SimTopicString(q, SimStr(sub, MQCA_TOPIC_NAME), SimStr(sub, MQCA_TOPIC_STRING)) != topic)
            continue;
        SimQMgr *tq;
        SimObject *t = Destination(q, sub, &tq);
        if (!t || (SimInt(t, MQIA_INHIBIT_PUT) == MQQA_PUT_INHIBITED))
            continue;
        if (t->queue->depth >= SimInt(t, MQIA_MAX_Q_DEPTH, 5000) || len > SimInt(t, MQIA_MAX_MSG_LENGTH, 4194304))
            continue;
        if (syncpoint && (MQLONG)c->uow.size() >= SimInt(c->qmgr->qmgrObj, MQIA_MAX_UNCOMMITTED_MSGS, 10000)) {
            *reason = MQRC_SYNCPOINT_LIMIT_REACHED;
            return -1;
        }
        MQMD m = *md;
        CorrelId(sub, m.CorrelId);
        SimEnqueue(c, tq, t, &m, len, buf, syncpoint);
        reached++;
    }
    return reached;
}
