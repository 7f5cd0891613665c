/* The MQI verbs of the stand-in: connections, opening and closing
 * objects, puts, inquiries and settings, units of work, status. */
#include "simcall.h"

#include <chrono>
#include <ctime>

static std::map<MQHCONN, SimConn *> Conns;
static MQHCONN NextHconn = 0x01000001;
static std::vector<SimConn *> *Retired = new std::vector<SimConn *>;  /* ended connections, kept for late waiters */

/* ---- structure versions -------------------------------------------------- */

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
    auto it = Conns.find(h);
    return it == Conns.end() ? nullptr : it->second;
}

SimHandle *SimHandleOf(SimConn *c, MQHOBJ h)
{
    auto it = c->handles.find(h);
    return it == c->handles.end() ? nullptr : it->second;
}

void SimCallBegin(SimCall *call, const char *verb, MQHCONN hconn)
{
    call->conn = nullptr;
    call->reason = SimFaultCheck(verb);
    if (call->reason)
        return;
    std::unique_lock<std::mutex> lk(SimLock);
    SimConn *c = SimConnOf(hconn);
    lk.unlock();
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
    call->reason = 0;
}

/* ---- connections ------------------------------------------------------------- */

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

static MQLONG Connect(PMQCHAR qmName, const MQCNO *cno, MQHCONN *out)
{
    std::string name = qmName ? SimName(qmName, 48) : std::string();
    if (!name.empty() && name[0] == '*')
        name = name.substr(1);
    std::lock_guard<std::mutex> lk(SimLock);
    int reason = MQRC_Q_MGR_NOT_AVAILABLE;
    SimQMgr *q = name.empty() ? SimDefaultQMgr(&reason) : SimFindQMgr(name, &reason);
    if (!q)
        return reason;
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
    SimConn *c = new SimConn();
    c->hconn = NextHconn++;
    c->qmgr = q;
    c->options = cno->Options;
    c->user = user.substr(0, 12);
    c->applName = SimHostProgram().substr(0, 28);
    if (cno->Version >= 7) {
        std::string a = SimName(cno->ApplName, 28);
        std::string full(cno->ApplName, 28);
        while (!full.empty() && (full.back() == ' ' || full.back() == 0))
            full.pop_back();
        if (!a.empty())
            c->applName = full;
    }
    c->nextHobj = 1;
    q->connections++;
    Conns[c->hconn] = c;
    *out = c->hconn;
    return 0;
}

extern "C" void MQENTRY MQCONNX(PMQCHAR pQMgrName, PMQVOID pConnectOpts, PMQHCONN pHconn,
                                PMQLONG pCompCode, PMQLONG pReason)
{
    MQLONG reason = SimFaultCheck("MQCONNX");
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
    MQLONG reason = SimFaultCheck("MQCONN");
    MQCNO cno = {MQCNO_DEFAULT};
    if (!reason)
        reason = pHconn ? Connect(pQMgrName, &cno, pHconn) : MQRC_HCONN_ERROR;
    if (reason && pHconn)
        *pHconn = MQHC_UNUSABLE_HCONN;
    SimResult(pCompCode, pReason, reason);
}

static void CloseHandle(SimConn *c, SimHandle *h, MQLONG options);

/* Ends a connection: what its unit of work holds is committed (done) or
 * backed out, its handles closed. */
static void EndConnection(SimConn *c, bool commit)
{
    if (commit)
        SimCommit(c);
    else
        SimBackout(c);
    while (!c->handles.empty())
        CloseHandle(c, c->handles.begin()->second, MQCO_NONE);
    Conns.erase(c->hconn);
    c->qmgr->connections--;
    c->hconn = MQHC_UNUSABLE_HCONN;
    std::vector<SimUowEntry>().swap(c->uow);
    std::vector<SimConsumer>().swap(c->consumers);
    Retired->push_back(c);
}

extern "C" void MQENTRY MQDISC(PMQHCONN pHconn, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQDISC", pHconn ? *pHconn : MQHC_UNUSABLE_HCONN);
    if (call.conn) {
        SimStopConsumers(&call);
        EndConnection(call.conn, true);
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
    std::vector<MQHCONN> all;
    {
        std::lock_guard<std::mutex> lk(SimLock);
        for (auto &kv : Conns)
            all.push_back(kv.first);
    }
    for (MQHCONN h : all) {
        SimCall call;
        SimCallBegin(&call, "", h);
        if (!call.conn)
            continue;
        SimStopConsumers(&call);
        EndConnection(call.conn, false);
    }
    std::lock_guard<std::mutex> lk(SimLock);
    SimReleaseQMgrs();
    SimWake.notify_all();
}

/* ---- opening objects ------------------------------------------------------------ */

static std::string CharV(const MQCHARV &v, const void *base)
{
    if (v.VSLength == 0)
        return std::string();
    const char *p = v.VSPtr ? (const char *)v.VSPtr : v.VSOffset ? (const char *)base + v.VSOffset : nullptr;
    if (!p)
        return std::string();
    return v.VSLength == MQVS_NULL_TERMINATED ? std::string(p) : std::string(p, (size_t)(v.VSLength < 0 ? 0 : v.VSLength));
}

static const MQLONG InputOptions = MQOO_INPUT_AS_Q_DEF | MQOO_INPUT_SHARED | MQOO_INPUT_EXCLUSIVE;
static const MQLONG ContextOptions = MQOO_PASS_IDENTITY_CONTEXT | MQOO_PASS_ALL_CONTEXT |
                                     MQOO_SET_IDENTITY_CONTEXT | MQOO_SET_ALL_CONTEXT;
static const MQLONG KnownOpenOptions = InputOptions | MQOO_BROWSE | MQOO_OUTPUT | MQOO_INQUIRE |
    MQOO_SET | MQOO_SAVE_ALL_CONTEXT | ContextOptions | MQOO_ALTERNATE_USER_AUTHORITY |
    MQOO_FAIL_IF_QUIESCING | MQOO_BIND_ON_OPEN | MQOO_BIND_NOT_FIXED | MQOO_BIND_ON_GROUP |
    MQOO_RESOLVE_NAMES | MQOO_RESOLVE_LOCAL_Q | MQOO_RESOLVE_LOCAL_TOPIC | MQOO_READ_AHEAD |
    MQOO_NO_READ_AHEAD | MQOO_CO_OP | MQOO_NO_MULTICAST;

static MQLONG CheckOpenOptions(MQLONG o)
{
    MQLONG in = o & InputOptions;
    if ((o & ~KnownOpenOptions) || (in & (in - 1)))
        return MQRC_OPTIONS_ERROR;
    if ((o & MQOO_READ_AHEAD) && (o & MQOO_NO_READ_AHEAD))
        return MQRC_OPTIONS_ERROR;
    if ((o & ContextOptions) && !(o & MQOO_OUTPUT))
        return MQRC_OPTIONS_ERROR;
    if ((o & MQOO_SAVE_ALL_CONTEXT) && !in)
        return MQRC_OPTIONS_ERROR;
    if (!(o & (InputOptions | MQOO_BROWSE | MQOO_OUTPUT | MQOO_INQUIRE | MQOO_SET)))
        return MQRC_OPTIONS_ERROR;
    return 0;
}

/* A unique name from a DynamicQName template ("prefix*"). */
static std::string DynamicName(SimQMgr *q, const char *tmpl)
{
    std::string t = SimName(tmpl, 48);
    size_t star = t.find('*');
    if (star == std::string::npos)
        return t;
    char suffix[40];
    snprintf(suffix, sizeof suffix, "%08X%08X", (unsigned)(SimNowMs() / 1000), (unsigned)++q->dynSeq);
    std::string n = t.substr(0, star) + suffix;
    return n.size() > 48 ? n.substr(0, 48) : n;
}

/* Resolves aliases and remote definitions to the local queue a handle
 * reaches: 0 or a reason. */
static MQLONG Resolve(SimQMgr **qm, SimObject **obj, MQLONG options, SimObject **target)
{
    SimObject *o = *obj;
    *target = nullptr;
    if (o->kind == SIM_K_QALIAS) {
        std::string base = SimStr(o, MQCA_BASE_Q_NAME);
        SimObject *b = SimLookup(*qm, SIM_K_QLOCAL, base);
        if (!b || b->kind == SIM_K_QALIAS || b->kind == SIM_K_QMODEL)
            return MQRC_UNKNOWN_ALIAS_BASE_Q;
        if (b->kind == SIM_K_QREMOTE && (options & (InputOptions | MQOO_BROWSE)))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        o = b;
    }
    if (o->kind == SIM_K_QREMOTE) {
        if (options & (InputOptions | MQOO_BROWSE | MQOO_SET))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        std::string rqm = SimStr(o, MQCA_REMOTE_Q_MGR_NAME), rq = SimStr(o, MQCA_REMOTE_Q_NAME);
        int reason;
        SimQMgr *other = rqm.empty() || rqm == (*qm)->name ? *qm : SimFindQMgr(rqm, &reason);
        if (!other)
            return MQRC_UNKNOWN_REMOTE_Q_MGR;
        SimObject *r = SimLookup(other, SIM_K_QLOCAL, rq);
        if (!r || r->kind != SIM_K_QLOCAL)
            return MQRC_UNKNOWN_OBJECT_NAME;
        *qm = other;
        o = r;
    }
    *target = o->kind == SIM_K_QLOCAL ? o : nullptr;
    return 0;
}

static bool Inhibited(const SimObject *o, MQLONG id)
{
    return o && SimInt(o, id) == 1;
}

static MQLONG CheckInput(SimObject *obj, SimObject *t, MQLONG options, MQLONG *effective)
{
    MQLONG in = options & InputOptions;
    if (!in)
        return 0;
    if (Inhibited(obj, MQIA_INHIBIT_GET) || Inhibited(t, MQIA_INHIBIT_GET))
        return MQRC_GET_INHIBITED;
    if (in == MQOO_INPUT_AS_Q_DEF)
        in = SimInt(t, MQIA_DEF_INPUT_OPEN_OPTION, MQOO_INPUT_SHARED) == MQOO_INPUT_EXCLUSIVE ?
             MQOO_INPUT_EXCLUSIVE : MQOO_INPUT_SHARED;
    if (in == MQOO_INPUT_SHARED && SimInt(t, MQIA_SHAREABILITY, MQQA_SHAREABLE) == MQQA_NOT_SHAREABLE)
        in = MQOO_INPUT_EXCLUSIVE;
    if (t->queue->exclusive || (in == MQOO_INPUT_EXCLUSIVE && t->queue->openInput > 0))
        return MQRC_OBJECT_IN_USE;
    *effective = in;
    return 0;
}

static MQLONG Open(SimConn *c, MQOD *od, const void *userOd, MQLONG options, SimHandle **out)
{
    MQLONG reason = CheckOpenOptions(options);
    if (reason)
        return reason;
    SimQMgr *qm = c->qmgr;
    std::string qmName = SimName(od->ObjectQMgrName, 48);
    if (!qmName.empty() && qmName != qm->name && od->ObjectType != MQOT_Q_MGR) {
        int r;
        qm = SimFindQMgr(qmName, &r);
        if (!qm)
            return MQRC_UNKNOWN_REMOTE_Q_MGR;
        if (options & ~(MQOO_OUTPUT | ContextOptions | MQOO_FAIL_IF_QUIESCING |
                        MQOO_ALTERNATE_USER_AUTHORITY | MQOO_BIND_ON_OPEN | MQOO_BIND_NOT_FIXED))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
    }
    std::string name = SimName(od->ObjectName, 48);
    SimObject *obj = nullptr, *target = nullptr;
    bool creator = false;
    std::string selection = od->Version >= 4 ? CharV(od->SelectionString, userOd) : "";
    std::vector<SimSelTerm> terms;
    if (!selection.empty() && SimSelCompile(selection, &terms) != 0)
        return MQRC_SELECTOR_SYNTAX_ERROR;
    switch (od->ObjectType) {
    case MQOT_Q_MGR:
        if (options & ~(MQOO_INQUIRE | MQOO_FAIL_IF_QUIESCING | MQOO_ALTERNATE_USER_AUTHORITY))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        if (!name.empty() && name != qm->name)
            return MQRC_UNKNOWN_OBJECT_NAME;
        obj = qm->qmgrObj;
        break;
    case MQOT_TOPIC: {
        std::string str = od->Version >= 4 ? CharV(od->ObjectString, userOd) : "";
        if (name.empty() && str.empty())
            return MQRC_UNKNOWN_OBJECT_NAME;
        if (!name.empty() && !(obj = SimLookup(qm, SIM_K_TOPIC, name)))
            return MQRC_UNKNOWN_OBJECT_NAME;
        if (options & (InputOptions | MQOO_BROWSE | MQOO_SET))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        break;
    }
    case MQOT_Q: {
        if (name.empty() || !(obj = SimLookup(qm, SIM_K_QLOCAL, name)))
            return MQRC_UNKNOWN_OBJECT_NAME;
        if (!(options & (InputOptions | MQOO_BROWSE | MQOO_OUTPUT)) && obj->kind != SIM_K_QMODEL) {
            /* inquire or set only: the definition itself */
            target = obj->kind == SIM_K_QLOCAL ? obj : nullptr;
            break;
        }
        if (obj->kind == SIM_K_QMODEL) {
            if (qm != c->qmgr)
                return MQRC_UNKNOWN_OBJECT_NAME;
            std::string dyn = DynamicName(qm, od->DynamicQName);
            if (dyn.empty())
                return MQRC_OBJECT_NAME_ERROR;
            if (SimLookup(qm, SIM_K_QLOCAL, dyn))
                return MQRC_OBJECT_ALREADY_EXISTS;
            SimObject *model = obj;
            obj = SimNewObject(qm, SIM_K_QLOCAL, dyn, model);
            MQLONG deftype = SimInt(model, MQIA_DEFINITION_TYPE, MQQDT_TEMPORARY_DYNAMIC);
            obj->temporary = deftype == MQQDT_TEMPORARY_DYNAMIC;
            SimSetInt(obj, MQIA_DEFINITION_TYPE, deftype == MQQDT_PERMANENT_DYNAMIC ?
                      MQQDT_PERMANENT_DYNAMIC : MQQDT_TEMPORARY_DYNAMIC);
            SimSetInt(obj, MQIA_Q_TYPE, MQQT_LOCAL);
            obj->owner = c;
            SimStoreObject(qm, obj);
            SimPad(od->ObjectName, 48, dyn);
            creator = true;
        }
        if ((reason = Resolve(&qm, &obj, options, &target)) != 0)
            break;
        if (!target && (options & (InputOptions | MQOO_BROWSE)))
            return MQRC_OPTION_NOT_VALID_FOR_TYPE;
        if ((options & MQOO_OUTPUT) && (Inhibited(obj, MQIA_INHIBIT_PUT) || Inhibited(target, MQIA_INHIBIT_PUT)))
            reason = MQRC_PUT_INHIBITED;
        break;
    }
    default:
        return MQRC_OBJECT_TYPE_ERROR;
    }
    MQLONG input = 0;
    if (!reason && target)
        reason = CheckInput(obj, target, options, &input);
    if (reason) {
        if (obj && obj->temporary && obj->owner == c && obj->queue && obj->queue->openInput == 0 &&
            obj->queue->openOutput == 0 && obj->queue->openBrowse == 0)
            SimDeleteObject(qm, obj);
        return reason;
    }
    SimHandle *h = new SimHandle();
    h->hobj = c->nextHobj++;
    h->conn = c;
    h->qmgr = qm;
    h->obj = obj;
    h->target = target;
    h->options = options;
    h->selection = selection;
    h->topic = od->ObjectType == MQOT_TOPIC;
    h->creator = creator;
    MQMD blank = {MQMD_DEFAULT};
    h->context = blank;
    if (!terms.empty())
        h->selector = new std::vector<SimSelTerm>(terms);
    if (target) {
        if (input) {
            target->queue->openInput++;
            target->queue->exclusive = input == MQOO_INPUT_EXCLUSIVE;
        }
        if (options & MQOO_OUTPUT)
            target->queue->openOutput++;
        if (options & MQOO_BROWSE)
            target->queue->openBrowse++;
        h->exclusive = input == MQOO_INPUT_EXCLUSIVE;
    }
    if (od->Version >= 3) {
        SimPad(od->ResolvedQName, 48, target ? target->name : obj ? obj->name : "");
        SimPad(od->ResolvedQMgrName, 48, qm->name);
    }
    if (od->Version >= 4)
        od->ResolvedType = od->ObjectType;
    c->handles[h->hobj] = h;
    *out = h;
    return 0;
}

extern "C" void MQENTRY MQOPEN(MQHCONN Hconn, PMQVOID pObjDesc, MQLONG Options, PMQHOBJ pHobj,
                               PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQOPEN", Hconn);
    MQLONG reason = call.reason;
    MQOD od = {MQOD_DEFAULT};
    if (!reason)
        reason = SimCopyIn(&od, od, pObjDesc, MQOD_STRUC_ID, MQRC_OD_ERROR);
    if (!reason && !pHobj)
        reason = MQRC_HOBJ_ERROR;
    SimHandle *h = nullptr;
    if (!reason)
        reason = Open(call.conn, &od, pObjDesc, Options, &h);
    if (!reason) {
        SimCopyOut(pObjDesc, od);
        *pHobj = h->hobj;
    } else if (pHobj) {
        *pHobj = MQHO_UNUSABLE_HOBJ;
    }
    SimResult(pCompCode, pReason, reason);
}

/* Forgets every reference to a queue that is being deleted: handles on it
 * see 2052 from now on, units of work drop its messages. */
void SimForgetQueue(SimObject *o)
{
    for (auto &kv : Conns) {
        SimConn *c = kv.second;
        for (auto &hv : c->handles) {
            SimHandle *h = hv.second;
            if (h->target == o || h->obj == o) {
                h->cursor = h->locked = nullptr;
                h->target = nullptr;
                h->obj = nullptr;
                h->deleted = true;
            }
        }
        std::vector<SimUowEntry> keep;
        for (const SimUowEntry &e : c->uow)
            if (e.queue != o)
                keep.push_back(e);
        c->uow.swap(keep);
    }
}

static void DeleteQueue(SimQMgr *q, SimObject *o)
{
    SimForgetQueue(o);
    SimStoreDelete(q, o);
    SimDeleteObject(q, o);
}

static void CloseHandle(SimConn *c, SimHandle *h, MQLONG options)
{
    SimObject *t = h->target;
    if (t) {
        SimQueue *q = t->queue;
        if (h->cursor)
            SimMsgUnpin(q, h->cursor);
        if (h->locked && h->locked->lockedBy == h)
            h->locked->lockedBy = nullptr;
        if (h->options & InputOptions) {
            q->openInput--;
            if (h->exclusive)
                q->exclusive = false;
        }
        if (h->options & MQOO_OUTPUT)
            q->openOutput--;
        if (h->options & MQOO_BROWSE)
            q->openBrowse--;
        bool dynamic = SimInt(t, MQIA_DEFINITION_TYPE) != MQQDT_PREDEFINED && t->owner == c;
        /* a temporary dynamic queue goes with the handle that made it,
         * whoever else has it open; a permanent one only when asked
         * and no longer open */
        if (t->temporary ? dynamic && t->owner == c && h->creator :
            (options & (MQCO_DELETE | MQCO_DELETE_PURGE)) && !q->openInput && !q->openOutput && !q->openBrowse)
            DeleteQueue(h->qmgr, t);
    }
    c->handles.erase(h->hobj);
    delete h->selector;
    delete h;
    SimWake.notify_all();
}

extern "C" void MQENTRY MQCLOSE(MQHCONN Hconn, PMQHOBJ pHobj, MQLONG Options, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQCLOSE", Hconn);
    MQLONG reason = call.reason;
    SimHandle *h = nullptr;
    if (!reason && (!pHobj || !(h = SimHandleOf(call.conn, *pHobj))))
        reason = MQRC_HOBJ_ERROR;
    if (!reason && (Options & ~(MQCO_DELETE | MQCO_DELETE_PURGE | MQCO_KEEP_SUB | MQCO_REMOVE_SUB |
                                MQCO_QUIESCE)))
        reason = MQRC_OPTIONS_ERROR;
    if (!reason && (Options & MQCO_DELETE) && h->target && h->target->queue->depth > 0 &&
        !(Options & MQCO_DELETE_PURGE) && !h->target->temporary)
        reason = MQRC_Q_NOT_EMPTY;
    if (!reason) {
        CloseHandle(call.conn, h, Options);
        *pHobj = MQHO_UNUSABLE_HOBJ;
    }
    SimResult(pCompCode, pReason, reason);
}

/* ---- putting messages ------------------------------------------------------------ */

static void PutDateTime(MQMD *md)
{
    using namespace std::chrono;
    int64_t ms = SimNowMs();
    time_t secs = (time_t)(ms / 1000);
    struct tm t;
#ifdef _WIN32
    gmtime_s(&t, &secs);
#else
    gmtime_r(&secs, &t);
#endif
    char buf[48];
    snprintf(buf, sizeof buf, "%04d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    memcpy(md->PutDate, buf, 8);
    snprintf(buf, sizeof buf, "%02d%02d%02d%02d", t.tm_hour, t.tm_min, t.tm_sec, (int)(ms % 1000) / 10);
    memcpy(md->PutTime, buf, 8);
}

static void NewId(SimQMgr *q, MQBYTE *id)
{
    static uint64_t counter;
    memcpy(id, "AMQ ", 4);
    SimPad((char *)id + 4, 12, q->name);
    uint64_t v = q->tokenSeed + ++counter;
    memcpy(id + 16, &v, 8);
}

static bool AllZero(const MQBYTE *p, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (p[i])
            return false;
    return true;
}

/* The context a PASS_* put copies: the last message got on that handle. */

static void CopyIdentity(MQMD *to, const MQMD *from)
{
    memcpy(to->UserIdentifier, from->UserIdentifier, 12);
    memcpy(to->AccountingToken, from->AccountingToken, 32);
    memcpy(to->ApplIdentityData, from->ApplIdentityData, 32);
}

static void CopyOrigin(MQMD *to, const MQMD *from)
{
    to->PutApplType = from->PutApplType;
    memcpy(to->PutApplName, from->PutApplName, 28);
    memcpy(to->PutDate, from->PutDate, 8);
    memcpy(to->PutTime, from->PutTime, 8);
    memcpy(to->ApplOriginData, from->ApplOriginData, 4);
}

static void DefaultOrigin(SimConn *c, MQMD *md)
{
    md->PutApplType = MQAT_WINDOWS_NT;
    SimPad(md->PutApplName, 28, c->applName);
    PutDateTime(md);
    memset(md->ApplOriginData, ' ', 4);
}

static void DefaultIdentity(SimConn *c, MQMD *md)
{
    SimPad(md->UserIdentifier, 12, c->user);
    memset(md->AccountingToken, 0, 32);
    memset(md->ApplIdentityData, ' ', 32);
}

/* Context of a put, as the put options ask: 0 or a reason. */
static MQLONG SetContext(SimConn *c, SimHandle *h, const MQPMO *pmo, const MQMD *given, MQMD *md)
{
    static const struct { MQLONG pmo, needs; } rules[] = {
        {MQPMO_PASS_IDENTITY_CONTEXT, MQOO_PASS_IDENTITY_CONTEXT | MQOO_PASS_ALL_CONTEXT | MQOO_SET_IDENTITY_CONTEXT | MQOO_SET_ALL_CONTEXT},
        {MQPMO_PASS_ALL_CONTEXT, MQOO_PASS_ALL_CONTEXT | MQOO_SET_ALL_CONTEXT},
        {MQPMO_SET_IDENTITY_CONTEXT, MQOO_SET_IDENTITY_CONTEXT | MQOO_SET_ALL_CONTEXT},
        {MQPMO_SET_ALL_CONTEXT, MQOO_SET_ALL_CONTEXT},
    };
    MQLONG ctx = pmo->Options & (MQPMO_PASS_IDENTITY_CONTEXT | MQPMO_PASS_ALL_CONTEXT |
                                 MQPMO_SET_IDENTITY_CONTEXT | MQPMO_SET_ALL_CONTEXT |
                                 MQPMO_DEFAULT_CONTEXT | MQPMO_NO_CONTEXT);
    if (ctx & (ctx - 1))
        return MQRC_OPTIONS_ERROR;
    for (const auto &r : rules)
        if (ctx == r.pmo && !(h->options & r.needs))
            return MQRC_OPTIONS_ERROR;
    const MQMD *saved = nullptr;
    if (ctx == MQPMO_PASS_IDENTITY_CONTEXT || ctx == MQPMO_PASS_ALL_CONTEXT) {
        SimHandle *from = SimHandleOf(c, pmo->Context);
        if (!from || !(from->options & MQOO_SAVE_ALL_CONTEXT))
            return MQRC_CONTEXT_HANDLE_ERROR;
        saved = &from->context;
    }
    switch (ctx) {
    case MQPMO_NO_CONTEXT:
        memset(md->UserIdentifier, ' ', 12);
        memset(md->AccountingToken, 0, 32);
        memset(md->ApplIdentityData, ' ', 32);
        md->PutApplType = MQAT_NO_CONTEXT;
        memset(md->PutApplName, ' ', 28);
        memset(md->PutDate, ' ', 8);
        memset(md->PutTime, ' ', 8);
        memset(md->ApplOriginData, ' ', 4);
        break;
    case MQPMO_PASS_IDENTITY_CONTEXT:
        CopyIdentity(md, saved);
        DefaultOrigin(c, md);
        break;
    case MQPMO_PASS_ALL_CONTEXT:
        CopyIdentity(md, saved);
        CopyOrigin(md, saved);
        break;
    case MQPMO_SET_IDENTITY_CONTEXT:
        CopyIdentity(md, given);
        DefaultOrigin(c, md);
        break;
    case MQPMO_SET_ALL_CONTEXT:
        CopyIdentity(md, given);
        CopyOrigin(md, given);
        break;
    default:
        DefaultIdentity(c, md);
        DefaultOrigin(c, md);
        break;
    }
    return 0;
}

static MQLONG UncommittedLimit(SimConn *c)
{
    MQLONG max = SimInt(c->qmgr->qmgrObj, MQIA_MAX_UNCOMMITTED_MSGS, 10000);
    return max > 0 ? max : 10000;
}

static MQLONG Put(SimConn *c, SimHandle *h, MQMD *md, MQLONG mdLen, MQPMO *pmo, MQLONG len, const void *buf)
{
    static const MQLONG known = MQPMO_SYNCPOINT | MQPMO_NO_SYNCPOINT | MQPMO_NEW_MSG_ID |
        MQPMO_NEW_CORREL_ID | MQPMO_LOGICAL_ORDER | MQPMO_NO_CONTEXT | MQPMO_DEFAULT_CONTEXT |
        MQPMO_PASS_IDENTITY_CONTEXT | MQPMO_PASS_ALL_CONTEXT | MQPMO_SET_IDENTITY_CONTEXT |
        MQPMO_SET_ALL_CONTEXT | MQPMO_ALTERNATE_USER_AUTHORITY | MQPMO_FAIL_IF_QUIESCING |
        MQPMO_RESOLVE_LOCAL_Q | MQPMO_ASYNC_RESPONSE | MQPMO_SYNC_RESPONSE | MQPMO_RETAIN |
        MQPMO_WARN_IF_NO_SUBS_MATCHED | MQPMO_SUPPRESS_REPLYTO | MQPMO_SCOPE_QMGR |
        MQPMO_MD_FOR_OUTPUT_ONLY | MQPMO_NOT_OWN_SUBS | MQPMO_PUB_OPTIONS_MASK;
    if ((pmo->Options & ~known) || ((pmo->Options & MQPMO_SYNCPOINT) && (pmo->Options & MQPMO_NO_SYNCPOINT)))
        return MQRC_OPTIONS_ERROR;
    if (len < 0)
        return MQRC_BUFFER_LENGTH_ERROR;
    if (len > 0 && !buf)
        return MQRC_BUFFER_ERROR;
    if (!(h->options & MQOO_OUTPUT))
        return MQRC_NOT_OPEN_FOR_OUTPUT;
    if (h->deleted)
        return MQRC_Q_DELETED;
    SimObject *t = h->target, *obj = h->obj;
    if (md->Persistence < MQPER_NOT_PERSISTENT || md->Persistence > MQPER_PERSISTENCE_AS_Q_DEF)
        return MQRC_PERSISTENCE_ERROR;
    if (md->Priority < MQPRI_PRIORITY_AS_Q_DEF)
        return MQRC_PRIORITY_ERROR;
    if (md->Expiry <= 0 && md->Expiry != MQEI_UNLIMITED)
        return MQRC_EXPIRY_ERROR;
    MQMD m = *md;
    if (mdLen < MQMD_LENGTH_2) {
        MQMD dflt = {MQMD_DEFAULT};
        memcpy((char *)&m + MQMD_LENGTH_1, (char *)&dflt + MQMD_LENGTH_1, MQMD_LENGTH_2 - MQMD_LENGTH_1);
    }
    m.Version = MQMD_VERSION_2;
    MQLONG reason = SetContext(c, h, pmo, md, &m);
    if (reason)
        return reason;
    if (h->topic) {
        /* a publication is accepted; nothing subscribes here */
        PutDateTime(md);
        return (pmo->Options & MQPMO_WARN_IF_NO_SUBS_MATCHED) ? MQRC_NO_SUBS_MATCHED : 0;
    }
    if (Inhibited(obj, MQIA_INHIBIT_PUT) || Inhibited(t, MQIA_INHIBIT_PUT))
        return MQRC_PUT_INHIBITED;
    if (len > SimInt(t, MQIA_MAX_MSG_LENGTH, 4194304))
        return len > SimInt(h->qmgr->qmgrObj, MQIA_MAX_MSG_LENGTH, 4194304) ? MQRC_MSG_TOO_BIG_FOR_Q_MGR : MQRC_MSG_TOO_BIG_FOR_Q;
    if (t->queue->depth >= SimInt(t, MQIA_MAX_Q_DEPTH, 5000))
        return MQRC_Q_FULL;
    MQLONG warn = 0;
    if (m.Priority == MQPRI_PRIORITY_AS_Q_DEF)
        m.Priority = SimInt(obj, MQIA_DEF_PRIORITY, 0);
    if (m.Priority > 9) {
        m.Priority = 9;
        warn = MQRC_PRIORITY_EXCEEDS_MAXIMUM;
    }
    if (m.Persistence == MQPER_PERSISTENCE_AS_Q_DEF)
        m.Persistence = SimInt(obj, MQIA_DEF_PERSISTENCE, MQPER_NOT_PERSISTENT);
    bool syncpoint = (pmo->Options & MQPMO_SYNCPOINT) != 0;
    if (syncpoint && (MQLONG)c->uow.size() >= UncommittedLimit(c))
        return MQRC_SYNCPOINT_LIMIT_REACHED;
    if ((pmo->Options & MQPMO_NEW_MSG_ID) || AllZero(m.MsgId, 24))
        NewId(c->qmgr, m.MsgId);
    if (pmo->Options & MQPMO_NEW_CORREL_ID)
        NewId(c->qmgr, m.CorrelId);
    m.BackoutCount = 0;
    SimMsg *msg = SimMsgNew(&m, buf, len);
    SimQMgr *tq = h->qmgr;
    msg->token = tq->nextToken++;
    msg->persistent = m.Persistence == MQPER_PERSISTENT;
    msg->expireAt = m.Expiry == MQEI_UNLIMITED ? 0 : SimNowMs() + (int64_t)m.Expiry * 100;
    SimMsgInsert(t->queue, msg, SimInt(t, MQIA_MSG_DELIVERY_SEQUENCE) == MQMDS_PRIORITY);
    if (syncpoint) {
        msg->state = SIM_MSG_PUT_PENDING;
        msg->uow = c;
        c->uow.push_back({t, msg, tq});
    } else {
        SimStorePut(tq, t, msg);
        SimStoreMaybeCompact(tq);
        SimWake.notify_all();
    }
    /* What the caller's descriptor gets back. */
    memcpy(md->MsgId, m.MsgId, 24);
    memcpy(md->CorrelId, m.CorrelId, 24);
    CopyIdentity(md, &m);
    CopyOrigin(md, &m);
    SimPad(pmo->ResolvedQName, 48, t->name);
    SimPad(pmo->ResolvedQMgrName, 48, tq->name);
    return warn;
}

static MQLONG PutCall(SimCall *call, SimHandle *h, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts, MQLONG len, PMQVOID buf)
{
    MQMD md = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    MQLONG reason = SimCopyIn(&md, md, pMsgDesc, MQMD_STRUC_ID, MQRC_MD_ERROR);
    if (!reason)
        reason = SimCopyIn(&pmo, pmo, pPutMsgOpts, MQPMO_STRUC_ID, MQRC_PMO_ERROR);
    if (!reason)
        reason = Put(call->conn, h, &md, SimLengthOf("MD  ", md.Version), &pmo, len, buf);
    if (!reason || reason == MQRC_PRIORITY_EXCEEDS_MAXIMUM || reason == MQRC_NO_SUBS_MATCHED) {
        SimCopyOut(pMsgDesc, md);
        SimCopyOut(pPutMsgOpts, pmo);
    }
    return reason;
}

extern "C" void MQENTRY MQPUT(MQHCONN Hconn, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts,
                              MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQPUT", Hconn);
    MQLONG reason = call.reason;
    SimHandle *h = nullptr;
    if (!reason && !(h = SimHandleOf(call.conn, Hobj)))
        reason = MQRC_HOBJ_ERROR;
    if (!reason)
        reason = PutCall(&call, h, pMsgDesc, pPutMsgOpts, BufferLength, pBuffer);
    SimResult(pCompCode, pReason, reason);
}

extern "C" void MQENTRY MQPUT1(MQHCONN Hconn, PMQVOID pObjDesc, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts,
                               MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQPUT1", Hconn);
    MQLONG reason = call.reason;
    MQOD od = {MQOD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    if (!reason)
        reason = SimCopyIn(&od, od, pObjDesc, MQOD_STRUC_ID, MQRC_OD_ERROR);
    if (!reason)
        reason = SimCopyIn(&pmo, pmo, pPutMsgOpts, MQPMO_STRUC_ID, MQRC_PMO_ERROR);
    SimHandle *h = nullptr;
    if (!reason) {
        static const struct { MQLONG pmo, oo; } ctx[] = {
            {MQPMO_PASS_IDENTITY_CONTEXT, MQOO_PASS_IDENTITY_CONTEXT}, {MQPMO_PASS_ALL_CONTEXT, MQOO_PASS_ALL_CONTEXT},
            {MQPMO_SET_IDENTITY_CONTEXT, MQOO_SET_IDENTITY_CONTEXT}, {MQPMO_SET_ALL_CONTEXT, MQOO_SET_ALL_CONTEXT},
        };
        MQLONG oo = MQOO_OUTPUT;
        for (const auto &x : ctx)
            if (pmo.Options & x.pmo)
                oo |= x.oo;
        reason = Open(call.conn, &od, pObjDesc, oo, &h);
    }
    if (!reason) {
        reason = PutCall(&call, h, pMsgDesc, pPutMsgOpts, BufferLength, pBuffer);
        CloseHandle(call.conn, h, MQCO_NONE);
    }
    SimResult(pCompCode, pReason, reason);
}

/* ---- inquiries and settings -------------------------------------------------------- */

/* Attributes worked out when asked rather than stored. */
static bool Dynamic(const SimHandle *h, const SimObject *o, MQLONG id, MQLONG *iv, std::string *sv)
{
    SimQueue *q = o->queue;
    switch (id) {
    case MQIA_CURRENT_Q_DEPTH: if (!q) return false; *iv = q->depth; return true;
    case MQIA_OPEN_INPUT_COUNT: if (!q) return false; *iv = q->openInput; return true;
    case MQIA_OPEN_OUTPUT_COUNT: if (!q) return false; *iv = q->openOutput; return true;
    case MQCA_Q_NAME: if (o->kind == SIM_K_QMGR) return false; *sv = o->name; return true;
    case MQCA_Q_MGR_NAME: if (o->kind != SIM_K_QMGR) return false; *sv = h->qmgr->name; return true;
    case MQIA_Q_TYPE: if (o->kind == SIM_K_QMGR) return false; *iv = SimInt(o, MQIA_Q_TYPE); return true;
    }
    return false;
}

static bool IntSelector(MQLONG s) { return s >= MQIA_FIRST && s <= MQIA_LAST; }
static bool CharSelector(MQLONG s) { return s >= MQCA_FIRST && s <= MQCA_LAST; }

static MQLONG Inquire(SimHandle *h, MQLONG n, const MQLONG *sel, MQLONG ni, MQLONG *ints, MQLONG nc, char *chars)
{
    const SimObject *o = h->obj;
    if (h->deleted)
        return MQRC_Q_DELETED;
    if (!o)
        return MQRC_SELECTOR_ERROR;
    if (n < 0 || n > 256)
        return MQRC_SELECTOR_COUNT_ERROR;
    if (ni < 0)
        return MQRC_INT_ATTR_COUNT_ERROR;
    if (nc < 0)
        return MQRC_CHAR_ATTR_LENGTH_ERROR;
    if (n > 0 && !sel)
        return MQRC_SELECTOR_ERROR;
    MQLONG warn = 0, iUsed = 0, cUsed = 0;
    for (MQLONG i = 0; i < n; i++) {
        MQLONG iv = 0;
        std::string sv;
        const SimKeyword *k = SimKeywordById(o->kind, sel[i]);
        bool known = Dynamic(h, o, sel[i], &iv, &sv);
        if (!known && k && !(k->flags & SIM_KW_CMD)) {
            known = true;
            iv = SimInt(o, sel[i]);
            sv = SimStr(o, sel[i]);
        }
        if (!known || (!IntSelector(sel[i]) && !CharSelector(sel[i])))
            return MQRC_SELECTOR_ERROR;
        if (IntSelector(sel[i])) {
            if (iUsed < ni && ints)
                ints[iUsed] = iv;
            else
                warn = MQRC_INT_ATTR_COUNT_TOO_SMALL;
            iUsed++;
        } else {
            MQLONG len = k && k->maxlen ? k->maxlen : 48;
            if (cUsed + len <= nc && chars)
                SimPad(chars + cUsed, (size_t)len, sv);
            else if (!warn)
                warn = MQRC_CHAR_ATTRS_TOO_SHORT;
            cUsed += len;
        }
    }
    return warn;
}

extern "C" void MQENTRY MQINQ(MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors,
                              MQLONG IntAttrCount, PMQLONG pIntAttrs, MQLONG CharAttrLength,
                              PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQINQ", Hconn);
    MQLONG reason = call.reason;
    SimHandle *h = nullptr;
    if (!reason && !(h = SimHandleOf(call.conn, Hobj)))
        reason = MQRC_HOBJ_ERROR;
    if (!reason && !(h->options & MQOO_INQUIRE))
        reason = MQRC_NOT_OPEN_FOR_INQUIRE;
    if (!reason)
        reason = Inquire(h, SelectorCount, pSelectors, IntAttrCount, pIntAttrs, CharAttrLength, pCharAttrs);
    SimResult(pCompCode, pReason, reason);
}

static MQLONG SetAttrs(SimHandle *h, MQLONG n, const MQLONG *sel, MQLONG ni, const MQLONG *ints, MQLONG nc, const char *chars)
{
    static const MQLONG settable[] = {
        MQIA_INHIBIT_GET, MQIA_INHIBIT_PUT, MQIA_DIST_LISTS, MQIA_TRIGGER_CONTROL,
        MQIA_TRIGGER_DEPTH, MQIA_TRIGGER_MSG_PRIORITY, MQIA_TRIGGER_TYPE, MQCA_TRIGGER_DATA,
    };
    SimObject *o = h->obj;
    if (h->deleted)
        return MQRC_Q_DELETED;
    if (!o)
        return MQRC_SELECTOR_ERROR;
    if (n < 0 || n > 256)
        return MQRC_SELECTOR_COUNT_ERROR;
    MQLONG iUsed = 0, cUsed = 0;
    SimAttrs next = o->attrs;
    for (MQLONG i = 0; i < n; i++) {
        bool ok = false;
        for (MQLONG s : settable)
            ok |= s == sel[i];
        if (!ok || !SimKeywordById(o->kind, sel[i]))
            return MQRC_SELECTOR_ERROR;
        if (IntSelector(sel[i])) {
            if (iUsed >= ni || !ints)
                return MQRC_INT_ATTR_COUNT_ERROR;
            MQLONG v = ints[iUsed++];
            if ((sel[i] == MQIA_INHIBIT_GET || sel[i] == MQIA_INHIBIT_PUT) && v != 0 && v != 1)
                return MQRC_INHIBIT_VALUE_ERROR;
            next[sel[i]].type = SIM_INT;
            next[sel[i]].ival = v;
        } else {
            MQLONG len = SimKeywordById(o->kind, sel[i])->maxlen;
            if (cUsed + len > nc || !chars)
                return MQRC_CHAR_ATTR_LENGTH_ERROR;
            std::string v(chars + cUsed, (size_t)len);
            while (!v.empty() && v.back() == ' ')
                v.pop_back();
            next[sel[i]].type = SIM_STR;
            next[sel[i]].sval = v;
            cUsed += len;
        }
    }
    o->attrs = next;
    SimStoreObject(h->qmgr, o);
    SimWake.notify_all();
    return 0;
}

extern "C" void MQENTRY MQSET(MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors,
                              MQLONG IntAttrCount, PMQLONG pIntAttrs, MQLONG CharAttrLength,
                              PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQSET", Hconn);
    MQLONG reason = call.reason;
    SimHandle *h = nullptr;
    if (!reason && !(h = SimHandleOf(call.conn, Hobj)))
        reason = MQRC_HOBJ_ERROR;
    if (!reason && !(h->options & MQOO_SET))
        reason = MQRC_NOT_OPEN_FOR_SET;
    if (!reason)
        reason = SetAttrs(h, SelectorCount, pSelectors, IntAttrCount, pIntAttrs, CharAttrLength, pCharAttrs);
    SimResult(pCompCode, pReason, reason);
}

/* ---- units of work and status -------------------------------------------------------- */

extern "C" void MQENTRY MQCMIT(MQHCONN Hconn, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQCMIT", Hconn);
    if (call.conn)
        SimCommit(call.conn);
    SimResult(pCompCode, pReason, call.reason);
}

extern "C" void MQENTRY MQBACK(MQHCONN Hconn, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQBACK", Hconn);
    if (call.conn)
        SimBackout(call.conn);
    SimResult(pCompCode, pReason, call.reason);
}

extern "C" void MQENTRY MQSTAT(MQHCONN Hconn, MQLONG Type, PMQVOID pStatus, PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQSTAT", Hconn);
    MQLONG reason = call.reason;
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

/* ---- MQGET --------------------------------------------------------------------------- */

extern "C" void MQENTRY MQGET(MQHCONN Hconn, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pGetMsgOpts,
                              MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pDataLength,
                              PMQLONG pCompCode, PMQLONG pReason)
{
    SimCall call;
    SimCallBegin(&call, "MQGET", Hconn);
    MQLONG reason = call.reason;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    SimHandle *h = nullptr;
    if (!reason && !(h = SimHandleOf(call.conn, Hobj)))
        reason = MQRC_HOBJ_ERROR;
    if (!reason)
        reason = SimCopyIn(&md, md, pMsgDesc, MQMD_STRUC_ID, MQRC_MD_ERROR);
    if (!reason)
        reason = SimCopyIn(&gmo, gmo, pGetMsgOpts, MQGMO_STRUC_ID, MQRC_GMO_ERROR);
    if (!reason && !pDataLength)
        reason = MQRC_DATA_LENGTH_ERROR;
    if (!reason) {
        MQLONG mdVersion = md.Version, gmoVersion = gmo.Version;
        reason = SimGet(call.conn, h, &md, &gmo, BufferLength, pBuffer, pDataLength, &call.lock);
        md.Version = mdVersion;
        gmo.Version = gmoVersion;
        SimCopyOut(pGetMsgOpts, gmo);
        if (!reason || reason == MQRC_TRUNCATED_MSG_ACCEPTED || reason == MQRC_TRUNCATED_MSG_FAILED ||
            reason == MQRC_NOT_CONVERTED)
            SimCopyOut(pMsgDesc, md);
    }
    SimResult(pCompCode, pReason, reason);
}
