/* Connections: MQCONN, MQCONNX (channel definitions and credentials),
 * MQDISC, connections broken, and the end of every connection at
 * shutdown.  A queue manager that another process owns is reached over
 * the local channel (simremote.cpp). */
#include "simcall.h"
#include "simchannel.h"

static MQHCONN NextHconn = 0x01000001;
static std::vector<SimConn *> *Retired = new std::vector<SimConn *>;  /* ended connections, kept for late waiters */

static std::string FromPtr(MQPTR p, MQLONG len)
{
    if (!p || len <= 0)
        return std::string();
    return std::string((const char *)p, (size_t)len);
}

/* User and password the queue manager asks for: CUSTOM('SIMUSER(u) SIMPWD(p)'). */
static bool CredentialsNeeded(SimQMgr *q, std::string *user, std::string *pwd)
{
    std::string custom = SimStr(q->qmgrObj, MQCA_CUSTOM);
    size_t u = custom.find("SIMUSER("), p = custom.find("SIMPWD(");
    if (u == std::string::npos || p == std::string::npos)
        return false;
    u += 8;
    p += 7;
    *user = custom.substr(u, custom.find(')', u) - u);
    *pwd = custom.substr(p, custom.find(')', p) - p);
    return true;
}

SimConn *SimNewConn(SimQMgr *q, const std::string &user, MQLONG options)
{
    SimConn *c = new SimConn();
    c->hconn = NextHconn++;
    c->qmgr = q;
    c->options = options;
    c->user = user.substr(0, 12);
    c->applName = SimHostProgram().substr(0, 28);
    c->nextHobj = 1;
    q->connections++;
    SimConns[c->hconn] = c;
    return c;
}

/* Connects to a queue manager of this process (loaded now if need be);
 * one that is not available here is looked for in the process that owns
 * it. */
static MQLONG ConnectHere(const std::string &name, const MQCNO *cno, MQHCONN *out, std::string *elsewhere)
{
    std::lock_guard<std::mutex> lk(SimLock);
    int reason = MQRC_Q_MGR_NOT_AVAILABLE;
    SimQMgr *q = name.empty() ? SimDefaultQMgr(&reason) : SimFindQMgr(name, &reason);
    if (!q) {
        if (reason == MQRC_Q_MGR_NOT_AVAILABLE)
            *elsewhere = name.empty() ? SimHostEnv("RAVOLT_MQSIM_DEFAULT") : name;
        return reason;
    }
    std::string user = SimHostUser(), needUser, needPwd;
    const MQCSP *csp = cno->Version >= 5 ? cno->SecurityParmsPtr : nullptr;
    if (csp && (memcmp(csp->StrucId, MQCSP_STRUC_ID, 4) != 0 || !SimLengthOf("CSP ", csp->Version)))
        return MQRC_CSP_ERROR;
    std::string cuser = csp ? FromPtr(csp->CSPUserIdPtr, csp->CSPUserIdLength) : "";
    std::string cpwd = csp ? FromPtr(csp->CSPPasswordPtr, csp->CSPPasswordLength) : "";
    if (CredentialsNeeded(q, &needUser, &needPwd) &&
        (!csp || csp->AuthenticationType != MQCSP_AUTH_USER_ID_AND_PWD || cuser != needUser || cpwd != needPwd))
        return MQRC_NOT_AUTHORIZED;
    if (!cuser.empty())
        user = cuser;
    SimConn *c = SimNewConn(q, user, cno->Options);
    if (cno->Version >= 7) {
        std::string a = SimName(cno->ApplName, 28);
        std::string full(cno->ApplName, 28);
        while (!full.empty() && (full.back() == ' ' || full.back() == 0))
            full.pop_back();
        if (!a.empty())
            c->applName = full;
    }
    *out = c->hconn;
    return 0;
}

static MQLONG Connect(PMQCHAR qmName, const MQCNO *cno, MQHCONN *out)
{
    std::string name = qmName ? SimName(qmName, 48) : std::string();
    if (!name.empty() && name[0] == '*')
        name = name.substr(1);
    std::string elsewhere;
    MQLONG reason = ConnectHere(name, cno, out, &elsewhere);
    if (reason == MQRC_Q_MGR_NOT_AVAILABLE && !elsewhere.empty())
        reason = SimRemoteConnect(elsewhere, cno, out);
    return reason;
}

extern "C" void MQENTRY MQCONNX(PMQCHAR pQMgrName, PMQVOID pConnectOpts, PMQHCONN pHconn,
                                PMQLONG pCompCode, PMQLONG pReason)
{
    MQLONG reason = SimFaultCheck("MQCONNX", pQMgrName ? SimName(pQMgrName, 48).c_str() : "");
    MQCNO cno = {MQCNO_DEFAULT};
    if (!reason && pConnectOpts)
        reason = SimCopyIn(&cno, cno, pConnectOpts, MQCNO_STRUC_ID, MQRC_CNO_ERROR);
    MQLONG share = cno.Options & (MQCNO_HANDLE_SHARE_NONE | MQCNO_HANDLE_SHARE_BLOCK | MQCNO_HANDLE_SHARE_NO_BLOCK);
    if (!reason && share && (share & (share - 1)))
        reason = MQRC_OPTIONS_ERROR;
    if (!reason && !pHconn)
        reason = MQRC_HCONN_ERROR;
    if (!reason)
        reason = Connect(pQMgrName, &cno, pHconn);
    if (reason && pHconn)
        *pHconn = MQHC_UNUSABLE_HCONN;
    SimResult(pCompCode, pReason, reason);
}

extern "C" void MQENTRY MQCONN(PMQCHAR pQMgrName, PMQHCONN pHconn, PMQLONG pCompCode, PMQLONG pReason)
{
    MQLONG reason = SimFaultCheck("MQCONN", pQMgrName ? SimName(pQMgrName, 48).c_str() : "");
    MQCNO cno = {MQCNO_DEFAULT};
    if (!reason)
        reason = pHconn ? Connect(pQMgrName, &cno, pHconn) : MQRC_HCONN_ERROR;
    if (reason && pHconn)
        *pHconn = MQHC_UNUSABLE_HCONN;
    SimResult(pCompCode, pReason, reason);
}


/* Ends a connection: what its unit of work holds is committed (done) or
 * backed out, its handles closed. */
static void EndConnection(SimConn *c, bool commit)
{
    if (commit)
        SimCommit(c);
    else
        SimBackout(c);
    while (!c->handles.empty())
        SimCloseHandle(c, c->handles.begin()->second, MQCO_NONE);
    SimConns.erase(c->hconn);
    c->qmgr->connections--;
    c->hconn = MQHC_UNUSABLE_HCONN;
    std::vector<SimUowEntry>().swap(c->uow);
    std::vector<SimConsumer>().swap(c->consumers);
    Retired->push_back(c);
}

/* Breaks a connection as a lost channel does: its unit of work backed
 * out, its handles closed; every later call answers 2009. */
void SimBreakConnection(SimCall *call)
{
    SimConn *c = call->conn;
    SimStopConsumers(call);
    SimBackout(c);
    while (!c->handles.empty())
        SimCloseHandle(c, c->handles.begin()->second, MQCO_NONE);
    c->broken = true;
    SimWake.notify_all();
}

extern "C" void MQENTRY MQDISC(PMQHCONN pHconn, PMQLONG pCompCode, PMQLONG pReason)
{
    if (SimRemoteDisc(pHconn, pCompCode, pReason))
        return;
    SimCall call;
    SimCallBegin(&call, "MQDISC", pHconn ? *pHconn : MQHC_UNUSABLE_HCONN);
    SimConn *c = call.conn ? call.conn : call.brokenConn;
    if (c) {
        /* a broken connection ends too, answering 2009 */
        call.conn = c;
        SimStopConsumers(&call);
        EndConnection(c, !c->broken);
        *pHconn = MQHC_UNUSABLE_HCONN;
        SimWake.notify_all();
    }
    SimResult(pCompCode, pReason, call.reason);
}

/* Ends every connection (backing out their work) and lets go of the
 * queue managers, as when the process ends. */
extern "C" void MQENTRY MQSimShutdown(void)
{
    if (SimServiceStop) {
        std::vector<SimQMgr *> qmgrs;
        {
            std::lock_guard<std::mutex> lk(SimLock);
            SimForEachQMgr([](SimQMgr *q, void *v) { ((std::vector<SimQMgr *> *)v)->push_back(q); }, &qmgrs);
        }
        for (SimQMgr *q : qmgrs)
            SimServiceStop(q);
    }
    SimRemoteEndAll();
    SimChannelEndServed();
    std::vector<MQHCONN> all;
    {
        std::lock_guard<std::mutex> lk(SimLock);
        for (auto &kv : SimConns)
            all.push_back(kv.first);
    }
    for (MQHCONN h : all) {
        SimCall call;
        SimCallBegin(&call, "", h);
        if (!call.conn)
            call.conn = call.brokenConn;
        if (!call.conn)
            continue;
        SimStopConsumers(&call);
        EndConnection(call.conn, false);
    }
    std::lock_guard<std::mutex> lk(SimLock);
    SimReleaseQMgrs();
    SimWake.notify_all();
}

