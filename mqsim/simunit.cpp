/* Units of work: one per connection.  Messages put under syncpoint stay
 * invisible and messages got under syncpoint stay in their place, hidden,
 * until MQCMIT makes the change or MQBACK undoes it.  Persistent changes
 * reach the log only when committed. */
#include "simcall.h"
#include "simchannel.h"

void SimCommit(SimConn *c)
{
    for (const SimUowEntry &e : c->uow)
        SimStoreBatchBegin(e.qmgr);
    for (const SimUowEntry &e : c->uow) {
        SimMsg *m = e.msg;
        if (m->state == SIM_MSG_PUT_PENDING) {
            m->state = SIM_MSG_LIVE;
            m->uow = nullptr;
            SimStorePut(e.qmgr, e.queue, m);
        } else if (m->state == SIM_MSG_GET_PENDING) {
            SimStoreRemove(e.qmgr, e.queue, m);
            SimMsgRemove(e.queue->queue, m);
        }
    }
    for (const SimUowEntry &e : c->uow)
        SimStoreBatchEnd(e.qmgr);
    for (const SimUowEntry &e : c->uow)
        SimStoreMaybeCompact(e.qmgr);
    c->uow.clear();
    SimWake.notify_all();
}

void SimBackout(SimConn *c)
{
    for (const SimUowEntry &e : c->uow) {
        SimMsg *m = e.msg;
        if (m->state == SIM_MSG_PUT_PENDING) {
            SimMsgRemove(e.queue->queue, m);
        } else if (m->state == SIM_MSG_GET_PENDING) {
            m->state = SIM_MSG_LIVE;
            m->uow = nullptr;
            m->md.BackoutCount++;
            SimStoreBackout(e.qmgr, e.queue, m);
        }
    }
    c->uow.clear();
    SimWake.notify_all();
}

/* The verbs; MQSTAT has no asynchronous put errors to tell of. */

extern "C" void MQENTRY MQCMIT(MQHCONN Hconn, PMQLONG pCompCode, PMQLONG pReason)
{
    if (SimRemoteSyncpoint(Hconn, true, pCompCode, pReason))
        return;
    SimCall call;
    SimCallBegin(&call, "MQCMIT", Hconn);
    if (call.conn)
        SimCommit(call.conn);
    SimResult(pCompCode, pReason, call.reason);
}

extern "C" void MQENTRY MQBACK(MQHCONN Hconn, PMQLONG pCompCode, PMQLONG pReason)
{
    if (SimRemoteSyncpoint(Hconn, false, pCompCode, pReason))
        return;
    SimCall call;
    SimCallBegin(&call, "MQBACK", Hconn);
    if (call.conn)
        SimBackout(call.conn);
    SimResult(pCompCode, pReason, call.reason);
}

extern "C" void MQENTRY MQSTAT(MQHCONN Hconn, MQLONG Type, PMQVOID pStatus, PMQLONG pCompCode, PMQLONG pReason)
{
    /* a remote connection has no asynchronous put errors either */
    SimCall call;
    bool remote = SimRemoteHconn(Hconn);
    if (!remote)
        SimCallBegin(&call, "MQSTAT", Hconn);
    MQLONG reason = remote ? 0 : call.reason;
    MQSTS sts = {MQSTS_DEFAULT};
    if (!reason)
        reason = SimCopyIn(&sts, sts, pStatus, MQSTS_STRUC_ID, MQRC_STS_ERROR);
    if (!reason && Type != MQSTAT_TYPE_ASYNC_ERROR && Type != MQSTAT_TYPE_RECONNECTION &&
        Type != MQSTAT_TYPE_RECONNECTION_ERROR)
        reason = MQRC_STAT_TYPE_ERROR;
    if (!reason) {
        sts.CompCode = MQCC_OK;
        sts.Reason = MQRC_NONE;
        SimCopyOut(pStatus, sts);
    }
    SimResult(pCompCode, pReason, reason);
}

