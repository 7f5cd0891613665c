/* The start of every MQI verb of the stand-in: structure versions and
 * their lengths, the connection registry, handle lookup and the taking of
 * a connection for one call (fault injection, handle sharing). */
#include "simcall.h"

/* never destroyed: a server thread may still look a connection up while
 * the process ends */
std::map<MQHCONN, SimConn *> &SimConns = *new std::map<MQHCONN, SimConn *>;

struct SimStrucLengths { const char *id; MQLONG lengths[8]; };
static const SimStrucLengths StrucLengths[] = {
    {"MD  ", {MQMD_LENGTH_1, MQMD_LENGTH_2}},
    {"GMO ", {MQGMO_LENGTH_1, MQGMO_LENGTH_2, MQGMO_LENGTH_3, MQGMO_LENGTH_4}},
    {"PMO ", {MQPMO_LENGTH_1, MQPMO_LENGTH_2, MQPMO_LENGTH_3}},
    {"OD  ", {MQOD_LENGTH_1, MQOD_LENGTH_2, MQOD_LENGTH_3, MQOD_LENGTH_4}},
    {"CNO ", {MQCNO_LENGTH_1, MQCNO_LENGTH_2, MQCNO_LENGTH_3, MQCNO_LENGTH_4, MQCNO_LENGTH_5,
              MQCNO_LENGTH_6, MQCNO_LENGTH_7, MQCNO_LENGTH_8}},
    {"CSP ", {MQCSP_LENGTH_1, MQCSP_LENGTH_2, MQCSP_LENGTH_3}},
    {"CBD ", {MQCBD_LENGTH_1}},
    {"CTLO", {MQCTLO_LENGTH_1}},
    {"STAT", {MQSTS_LENGTH_1, MQSTS_LENGTH_2}},
};

MQLONG SimLengthOf(const char *strucId, MQLONG version)
{
    for (const SimStrucLengths &s : StrucLengths)
        if (memcmp(s.id, strucId, 4) == 0)
            return version >= 1 && version <= 8 ? s.lengths[version - 1] : 0;
    return 0;
}

/* ---- calls and handles ------------------------------------------------------- */

SimConn *SimConnOf(MQHCONN h)
{
    auto it = SimConns.find(h);
    return it == SimConns.end() ? nullptr : it->second;
}

SimHandle *SimHandleOf(SimConn *c, MQHOBJ h)
{
    auto it = c->handles.find(h);
    return it == c->handles.end() ? nullptr : it->second;
}

MQLONG SimCallHandle(const SimCall *call, MQHOBJ hobj, MQLONG need, MQLONG notOpen, SimHandle **out)
{
    *out = nullptr;
    if (call->reason)
        return call->reason;
    SimHandle *h = SimHandleOf(call->conn, hobj);
    if (!h)
        return MQRC_HOBJ_ERROR;
    if (need && !(h->options & need))
        return notOpen;
    *out = h;
    return 0;
}

void SimCallBegin(SimCall *call, const char *verb, MQHCONN hconn)
{
    call->conn = call->brokenConn = nullptr;
    std::unique_lock<std::mutex> lk(SimLock);
    SimConn *c = SimConnOf(hconn);
    std::string qmgr = c && c->qmgr ? c->qmgr->name : std::string();
    lk.unlock();
    call->reason = SimFaultCheck(verb, c ? qmgr.c_str() : nullptr);
    /* an injected 2009 breaks the connection, as a lost channel does */
    bool breaking = call->reason == MQRC_CONNECTION_BROKEN && c;
    if (call->reason && !breaking)
        return;
    if (!c) {
        call->reason = MQRC_HCONN_ERROR;
        return;
    }
    /* A connection is never freed, so that a waiting thread may still
     * look at it after another disconnected it. */
    call->callLock = std::unique_lock<std::recursive_mutex>(c->call, std::defer_lock);
    if (c->options & MQCNO_HANDLE_SHARE_NO_BLOCK) {
        if (!call->callLock.try_lock()) {
            call->reason = MQRC_CALL_IN_PROGRESS;
            return;
        }
    } else {
        call->callLock.lock();
    }
    call->lock = std::unique_lock<std::mutex>(SimLock);
    if (c->hconn != hconn) {
        call->reason = MQRC_HCONN_ERROR;
        return;
    }
    call->conn = c;
    if (breaking && !c->broken)
        SimBreakConnection(call);
    call->reason = 0;
    if (c->broken) {
        call->conn = nullptr;
        call->brokenConn = c;
        call->reason = MQRC_CONNECTION_BROKEN;
    }
}

