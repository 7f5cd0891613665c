/* Units of work: one per connection.  Messages put under syncpoint stay
 * invisible and messages got under syncpoint stay in their place, hidden,
 * until MQCMIT makes the change or MQBACK undoes it.  Persistent changes
 * reach the log only when committed. */
#include "sim.h"

void SimCommit(SimConn *c)
{
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
