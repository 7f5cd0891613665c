/* MQCB and MQCTL: message consumers of a connection, called on a thread
 * of the stand-in (MQOP_START) or on the caller's thread
 * (MQOP_START_WAIT), with suspend, resume and stop. */
#include "simcall.h"
#include "simchannel.h"

#include <chrono>
#include <cstdlib>

enum { CTL_STOPPED, CTL_STARTED, CTL_SUSPENDED };

static SimConsumer *ConsumerOf(SimConn *c, MQHOBJ h)
{
    for (SimConsumer &x : c->consumers)
        if (x.hobj == h)
            return &x;
    return nullptr;
}

static void Invoke(SimConn *c, SimConsumer *x, MQLONG callType, MQMD *md, MQGMO *gmo, void *buf,
                   MQLONG bufLen, MQLONG dataLen, MQLONG reason, MQPTR connArea)
{
    MQCBC cbc = {MQCBC_DEFAULT};
    cbc.CallType = callType;
    cbc.Hobj = x->hobj;
    cbc.CallbackArea = x->cbd.CallbackArea;
    cbc.ConnectionArea = connArea;
    cbc.CompCode = reason ? (reason == MQRC_TRUNCATED_MSG_ACCEPTED || reason == MQRC_TRUNCATED_MSG_FAILED ?
                             MQCC_WARNING : MQCC_FAILED) : MQCC_OK;
    cbc.Reason = reason;
    cbc.DataLength = dataLen;
    cbc.BufferLength = bufLen;
    MQCB_FUNCTION *fn = (MQCB_FUNCTION *)x->cbd.CallbackFunction;
    fn(c->hconn, md, gmo, buf, &cbc);
}

/* One round over the consumers: true when a message was delivered. */
static bool Round(SimConn *c, std::unique_lock<std::mutex> *lock, MQPTR connArea)
{
    bool delivered = false;
    for (size_t i = 0; i < c->consumers.size() && c->ctlState == CTL_STARTED && !c->ctlStop; i++) {
        SimConsumer *x = &c->consumers[i];
        if (x->suspended || x->cbd.CallbackType != MQCBT_MESSAGE_CONSUMER)
            continue;
        SimHandle *h = SimHandleOf(c, x->hobj);
        if (!h)
            continue;
        MQHOBJ hobj = x->hobj;
        if (!x->started) {
            x->started = true;
            if (x->cbd.Options & MQCBDO_START_CALL) {
                SimConsumer copy = *x;
                lock->unlock();
                Invoke(c, &copy, MQCBCT_START_CALL, nullptr, nullptr, nullptr, 0, 0, 0, connArea);
                lock->lock();
                continue;
            }
        }
        MQMD md = x->md;
        MQGMO gmo = x->gmo;
        gmo.Options &= ~(MQGMO_WAIT | MQGMO_ACCEPT_TRUNCATED_MSG);
        MQLONG len = 0;
        MQLONG reason = SimGet(c, h, &md, &gmo, 0, nullptr, &len, lock);
        if (reason != MQRC_TRUNCATED_MSG_FAILED && reason != 0 && reason != MQRC_NOT_CONVERTED)
            continue;
        MQLONG bufLen = x->cbd.MaxMsgLength == MQCBD_FULL_MSG_LENGTH || x->cbd.MaxMsgLength > len ?
                        len : x->cbd.MaxMsgLength;
        void *buf = malloc(bufLen > 0 ? (size_t)bufLen : 1);
        if (reason == MQRC_TRUNCATED_MSG_FAILED) {   /* else a message without data, already got */
            md = x->md;
            gmo = x->gmo;
            gmo.Options &= ~MQGMO_WAIT;    /* too long for MaxMsgLength: 2080 unless truncation accepted */
            reason = SimGet(c, h, &md, &gmo, bufLen, buf, &len, lock);
        }
        if (reason == 0 || reason == MQRC_TRUNCATED_MSG_ACCEPTED || reason == MQRC_NOT_CONVERTED ||
            reason == MQRC_TRUNCATED_MSG_FAILED) {
            SimConsumer copy = *x;
            bool browse = (gmo.Options & (MQGMO_BROWSE_FIRST | MQGMO_BROWSE_NEXT)) != 0;
            bool left = reason == MQRC_TRUNCATED_MSG_FAILED;
            lock->unlock();
            Invoke(c, &copy, browse || left ? MQCBCT_MSG_NOT_REMOVED : MQCBCT_MSG_REMOVED, &md, &gmo, buf,
                   bufLen, len, reason, connArea);
            lock->lock();
            delivered = !left;      /* a message left in place is offered again at the next wake */
            /* a browse-first consumer moves on to browse-next */
            SimConsumer *again = ConsumerOf(c, hobj);
            if (again && !left && (again->gmo.Options & MQGMO_BROWSE_FIRST))
                again->gmo.Options = (again->gmo.Options & ~MQGMO_BROWSE_FIRST) | MQGMO_BROWSE_NEXT;
        }
        free(buf);
    }
    return delivered;
}

static bool AnyActive(SimConn *c)
{
    for (const SimConsumer &x : c->consumers)
        if (!x.suspended && x.cbd.CallbackType == MQCBT_MESSAGE_CONSUMER)
            return true;
    return false;
}

/* Runs the consumers until stopped; the caller holds neither lock. */
static MQLONG Dispatch(SimConn *c, MQHCONN hconn, MQPTR connArea, bool untilIdle)
{
    MQLONG reason = 0;
    for (;;) {
        std::unique_lock<std::recursive_mutex> callLock(c->call);
        std::unique_lock<std::mutex> lock(SimLock);
        if (c->hconn != hconn || c->ctlStop)
            break;
        if (untilIdle && !AnyActive(c)) {
            reason = MQRC_NO_CALLBACKS_ACTIVE;
            break;
        }
        bool delivered = c->ctlState == CTL_STARTED && Round(c, &lock, connArea);
        c->dispatchPasses++;
        callLock.unlock();
        if (!delivered && c->hconn == hconn && !c->ctlStop)
            SimWake.wait_for(lock, std::chrono::milliseconds(200));
    }
    std::lock_guard<std::mutex> lock(SimLock);
    if (c->hconn == hconn) {
        for (SimConsumer &x : c->consumers) {
            if (x.started && (x.cbd.Options & MQCBDO_STOP_CALL) && x.cbd.CallbackFunction) {
                SimConsumer copy = x;
                SimLock.unlock();
                Invoke(c, &copy, MQCBCT_STOP_CALL, nullptr, nullptr, nullptr, 0, 0, 0, connArea);
                SimLock.lock();
            }
            x.started = false;
        }
        c->ctlState = CTL_STOPPED;
    }
    return reason;
}

void SimStopConsumers(SimCall *call)
{
    SimConn *c = call->conn;
    if (c->ctlState == CTL_STOPPED && !c->dispatcher.joinable())
        return;
    c->ctlStop = true;
    SimWake.notify_all();
    if (c->dispatcher.joinable()) {
        if (std::this_thread::get_id() == c->dispatcherId) {
            c->dispatcher.detach();
        } else {
            std::thread t = std::move(c->dispatcher);
            bool held = call->callLock.owns_lock();
            call->lock.unlock();
            if (held)
                call->callLock.unlock();      /* the dispatcher needs it to end */
            t.join();
            if (held)
                call->callLock.lock();
            call->lock.lock();
        }
    }
    c->ctlState = CTL_STOPPED;
}

static MQLONG Register(SimConn *c, MQLONG op, const void *pCbd, MQHOBJ hobj, const void *pMd, const void *pGmo)
{
    MQCBD cbd = {MQCBD_DEFAULT};
    MQLONG reason = SimCopyIn(&cbd, cbd, pCbd, MQCBD_STRUC_ID, MQRC_CBD_ERROR);
    if (reason)
        return reason;
    if (cbd.CallbackType != MQCBT_MESSAGE_CONSUMER && cbd.CallbackType != MQCBT_EVENT_HANDLER)
        return MQRC_CALLBACK_TYPE_ERROR;
    if (!cbd.CallbackFunction)
        return MQRC_CALLBACK_ROUTINE_ERROR;
    if (cbd.MaxMsgLength < 0 && cbd.MaxMsgLength != MQCBD_FULL_MSG_LENGTH)
        return MQRC_MAX_MSG_LENGTH_ERROR;
    SimConsumer x = {};
    x.cbd = cbd;
    x.hobj = hobj;
    x.suspended = (op & MQOP_SUSPEND) != 0;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    if (cbd.CallbackType == MQCBT_MESSAGE_CONSUMER) {
        SimHandle *h = SimHandleOf(c, hobj);
        if (!h)
            return MQRC_HOBJ_ERROR;
        if (pMd && (reason = SimCopyIn(&md, md, pMd, MQMD_STRUC_ID, MQRC_MD_ERROR)) != 0)
            return reason;
        if (pGmo && (reason = SimCopyIn(&gmo, gmo, pGmo, MQGMO_STRUC_ID, MQRC_GMO_ERROR)) != 0)
            return reason;
        md.Version = MQMD_VERSION_2;
        gmo.Version = MQGMO_VERSION_4;
    }
    x.md = md;
    x.gmo = gmo;
    std::vector<SimConsumer> &list = cbd.CallbackType == MQCBT_MESSAGE_CONSUMER ? c->consumers : c->handlers;
    for (SimConsumer &old : list)
        if (old.hobj == hobj) {
            old = x;
            return 0;
        }
    list.push_back(x);
    return 0;
}

extern "C" void MQENTRY MQCB(MQHCONN Hconn, MQLONG Operation, PMQVOID pCallbackDesc, MQHOBJ Hobj,
                             PMQVOID pMsgDesc, PMQVOID pGetMsgOpts, PMQLONG pCompCode, PMQLONG pReason)
{
    if (SimRemoteUnsupported(Hconn, pCompCode, pReason))
        return;
    SimCall call;
    SimCallBegin(&call, "MQCB", Hconn);
    MQLONG reason = call.reason;
    SimConn *c = call.conn;
    if (!reason) {
        SimConsumer *x = ConsumerOf(c, Hobj);
        MQLONG op = Operation & ~(MQOP_SUSPEND | MQOP_RESUME);
        if (op == MQOP_REGISTER)
            reason = Register(c, Operation, pCallbackDesc, Hobj, pMsgDesc, pGetMsgOpts);
        else if (Operation == MQOP_DEREGISTER || Operation == MQOP_SUSPEND || Operation == MQOP_RESUME) {
            if (!x)
                reason = MQRC_CALLBACK_NOT_REGISTERED;
            else if (Operation == MQOP_DEREGISTER)
                c->consumers.erase(c->consumers.begin() + (x - c->consumers.data()));
            else
                x->suspended = Operation == MQOP_SUSPEND;
        } else {
            reason = MQRC_OPERATION_ERROR;
        }
        SimWake.notify_all();
    }
    SimResult(pCompCode, pReason, reason);
}

extern "C" void MQENTRY MQCTL(MQHCONN Hconn, MQLONG Operation, PMQVOID pControlOpts, PMQLONG pCompCode, PMQLONG pReason)
{
    if (SimRemoteUnsupported(Hconn, pCompCode, pReason))
        return;
    SimCall call;
    SimCallBegin(&call, "MQCTL", Hconn);
    MQLONG reason = call.reason;
    SimConn *c = call.conn;
    MQCTLO ctlo = {MQCTLO_DEFAULT};
    if (!reason && pControlOpts)
        reason = SimCopyIn(&ctlo, ctlo, pControlOpts, MQCTLO_STRUC_ID, MQRC_CTLO_ERROR);
    if (!reason) {
        switch (Operation) {
        case MQOP_START:
            if (c->ctlState != CTL_STOPPED || c->dispatcher.joinable()) {
                reason = MQRC_HCONN_ASYNC_ACTIVE;
                break;
            }
            c->ctlState = CTL_STARTED;
            c->ctlStop = false;
            c->dispatcher = std::thread(Dispatch, c, Hconn, ctlo.ConnectionArea, false);
            c->dispatcherId = c->dispatcher.get_id();
            break;
        case MQOP_START_WAIT:
            if (c->ctlState != CTL_STOPPED) {
                reason = MQRC_HCONN_ASYNC_ACTIVE;
                break;
            }
            c->ctlState = CTL_STARTED;
            c->ctlStop = false;
            c->dispatcherId = std::this_thread::get_id();
            call.lock.unlock();
            call.callLock.unlock();
            reason = Dispatch(c, Hconn, ctlo.ConnectionArea, true);
            if (reason == MQRC_NO_CALLBACKS_ACTIVE)
                reason = 0;
            break;
        case MQOP_STOP:
            SimStopConsumers(&call);
            break;
        case MQOP_SUSPEND:
        case MQOP_RESUME:
            if (c->ctlState == CTL_STOPPED)
                reason = MQRC_OPERATION_ERROR;
            else
                c->ctlState = Operation == MQOP_SUSPEND ? CTL_SUSPENDED : CTL_STARTED;
            SimWake.notify_all();
            break;
        default:
            reason = MQRC_OPERATION_ERROR;
        }
    }
    SimResult(pCompCode, pReason, reason);
}
