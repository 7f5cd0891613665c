/* The command server's status inquiries: queue-manager status, queue
 * status (counts and open handles) and the connections of the queue
 * manager. */
#include "cmdsrv.h"
#include "simcall.h"

#include <cstring>

/* A connection's 24-byte identifier: the queue manager's name and the
 * connection handle. */
static std::string ConnectionId(const SimConn *c)
{
    char id[24];
    memset(id, ' ', 16);
    memcpy(id, c->qmgr->name.data(), c->qmgr->name.size() < 16 ? c->qmgr->name.size() : 16);
    int64_t h = (int64_t)c->hconn;
    memcpy(id + 16, &h, 8);
    return std::string(id, 24);
}

static void ConnectionAttrs(CmdMsg *m, const SimConn *c)
{
    CmdAddBytes(m, MQBACF_CONNECTION_ID, ConnectionId(c));
    CmdAddStr(m, MQCACF_APPL_TAG, c->applName, 28);
    CmdAddInt(m, MQIA_APPL_TYPE, MQAT_WINDOWS_NT);
    CmdAddStr(m, MQCACF_USER_IDENTIFIER, c->user, 12);
    CmdAddInt(m, MQIACF_PROCESS_ID, 1);
}

static void QMgrStatus(SimQMgr *q, CmdReply *r)
{
    CmdMsg *m = CmdNewMsg(r);
    const SimObject *o = q->qmgrObj;
    CmdAddStr(m, MQCA_Q_MGR_NAME, q->name, 48);
    CmdAddInt(m, MQIACF_Q_MGR_STATUS, MQQMSTA_RUNNING);
    CmdAddInt(m, MQIACF_CMD_SERVER_STATUS, q->server ? MQSVC_STATUS_RUNNING : MQSVC_STATUS_STOPPED);
    CmdAddInt(m, MQIACF_CHINIT_STATUS, MQSVC_STATUS_RUNNING);
    CmdAddInt(m, MQIACF_CONNECTION_COUNT, q->connections);
    CmdAddStr(m, MQCACF_Q_MGR_START_DATE, SimStr(o, MQCA_CREATION_DATE), 12);
    CmdAddStr(m, MQCACF_Q_MGR_START_TIME, SimStr(o, MQCA_CREATION_TIME), 8);
}

static MQLONG Uncommitted(const SimQueue *sq)
{
    MQLONG n = 0;
    for (const SimMsg *m = sq->head; m; m = m->next)
        n += m->state == SIM_MSG_PUT_PENDING || m->state == SIM_MSG_GET_PENDING;
    return n;
}

static void HandleStatus(CmdReply *r, const SimObject *o, const SimHandle *h)
{
    CmdMsg *m = CmdNewMsg(r);
    MQLONG opt = h->options;
    CmdAddStr(m, MQCA_Q_NAME, o->name, 48);
    CmdAddInt(m, MQIACF_Q_STATUS_TYPE, MQIACF_Q_HANDLE);
    ConnectionAttrs(m, h->conn);
    CmdAddInt(m, MQIACF_OPEN_OPTIONS, opt);
    CmdAddInt(m, MQIACF_OPEN_INPUT_TYPE, h->exclusive ? MQQSO_EXCLUSIVE
                                         : (opt & SimInputOptions) ? MQQSO_SHARED : MQQSO_NO);
    CmdAddInt(m, MQIACF_OPEN_BROWSE, (opt & MQOO_BROWSE) ? MQQSO_YES : MQQSO_NO);
    CmdAddInt(m, MQIACF_OPEN_OUTPUT, (opt & MQOO_OUTPUT) ? MQQSO_YES : MQQSO_NO);
    CmdAddInt(m, MQIACF_OPEN_INQUIRE, (opt & MQOO_INQUIRE) ? MQQSO_YES : MQQSO_NO);
    CmdAddInt(m, MQIACF_OPEN_SET, (opt & MQOO_SET) ? MQQSO_YES : MQQSO_NO);
    CmdAddInt(m, MQIACF_HANDLE_STATE, MQHSTATE_ACTIVE);
}

static void QueueStatus(SimQMgr *q, const CmdRequest *req, CmdReply *r)
{
    const CmdParm *name = CmdFind(req, MQCA_Q_NAME);
    if (!name)
        return CmdError(r, MQRCCF_PARM_COUNT_TOO_SMALL, MQIACF_PARAMETER_ID, MQCA_Q_NAME);
    const CmdParm *tp = CmdFind(req, MQIACF_Q_STATUS_TYPE);
    bool handles = tp && tp->ival == MQIACF_Q_HANDLE;
    bool any = false;
    for (auto &kv : q->objects[SIM_K_QLOCAL]) {
        const SimObject *o = kv.second;
        if (!o->queue || !SimNameMatch(name->sval, o->name))
            continue;
        any = true;
        if (handles) {
            for (auto &cv : SimConns)
                for (auto &hv : cv.second->handles)
                    if (hv.second->target == o)
                        HandleStatus(r, o, hv.second);
            continue;
        }
        CmdMsg *m = CmdNewMsg(r);
        CmdAddStr(m, MQCA_Q_NAME, o->name, 48);
        CmdAddInt(m, MQIACF_Q_STATUS_TYPE, MQIACF_Q_STATUS);
        CmdAddInt(m, MQIA_CURRENT_Q_DEPTH, o->queue->depth);
        CmdAddInt(m, MQIA_OPEN_INPUT_COUNT, o->queue->openInput);
        CmdAddInt(m, MQIA_OPEN_OUTPUT_COUNT, o->queue->openOutput);
        CmdAddInt(m, MQIACF_UNCOMMITTED_MSGS, Uncommitted(o->queue));
    }
    if (!any)
        return CmdError(r, MQRC_UNKNOWN_OBJECT_NAME);
    if (r->msgs.empty())
        CmdNewMsg(r);
}

/* Reset Queue Statistics: each local queue the name matches answers its
 * counts since the last reset, which start again from now. */
static void ResetQueueStats(SimQMgr *q, const CmdRequest *req, CmdReply *r)
{
    const CmdParm *name = CmdFind(req, MQCA_Q_NAME);
    if (!name)
        return CmdError(r, MQRCCF_PARM_COUNT_TOO_SMALL, MQIACF_PARAMETER_ID, MQCA_Q_NAME);
    int64_t now = SimNowMs();
    bool any = false, other = false;
    for (auto &kv : q->objects[SIM_K_QLOCAL]) {
        SimObject *o = kv.second;
        if (!SimNameMatch(name->sval, o->name))
            continue;
        if (!o->queue) {          /* an alias, remote or model queue */
            other = true;
            continue;
        }
        any = true;
        SimQueue *sq = o->queue;
        CmdMsg *m = CmdNewMsg(r);
        CmdAddStr(m, MQCA_Q_NAME, o->name, 48);
        CmdAddInt(m, MQIA_TIME_SINCE_RESET, (MQLONG)((now - sq->statsSinceMs) / 1000));
        CmdAddInt(m, MQIA_HIGH_Q_DEPTH, sq->highDepth);
        CmdAddInt(m, MQIA_MSG_ENQ_COUNT, sq->enqCount);
        CmdAddInt(m, MQIA_MSG_DEQ_COUNT, sq->deqCount);
        sq->enqCount = sq->deqCount = 0;
        sq->highDepth = sq->depth;
        sq->statsSinceMs = now;
    }
    if (!any)
        CmdError(r, other ? MQRCCF_Q_WRONG_TYPE : MQRC_UNKNOWN_OBJECT_NAME);
}

static void Connections(SimQMgr *q, CmdReply *r)
{
    for (auto &cv : SimConns) {
        const SimConn *c = cv.second;
        if (c->qmgr != q)
            continue;
        CmdMsg *m = CmdNewMsg(r);
        CmdAddInt(m, MQIACF_CONN_INFO_TYPE, MQIACF_CONN_INFO_CONN);
        ConnectionAttrs(m, c);
        CmdAddInt(m, MQIACF_CONNECT_OPTIONS, c->options);
    }
    if (r->msgs.empty())
        CmdNewMsg(r);
}

int CmdStatusCommand(SimQMgr *q, const CmdRequest *req, CmdReply *r)
{
    switch (req->command) {
    case MQCMD_INQUIRE_Q_MGR_STATUS:
        return QMgrStatus(q, r), 0;
    case MQCMD_INQUIRE_Q_STATUS:
        return QueueStatus(q, req, r), 0;
    case MQCMD_INQUIRE_CONNECTION:
        return Connections(q, r), 0;
    case MQCMD_RESET_Q_STATS:
        return ResetQueueStats(q, req, r), 0;
    default:
        return -1;
    }
}
