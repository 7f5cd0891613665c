/* The client's side of the local channel: a connection to a queue
 * manager that another process has loaded.  Every verb on it travels to
 * the owner as one request; faults armed in this process strike it here,
 * and an injected 2009 (or a channel that breaks) ends it: the owner
 * backs out its unit of work and every later call answers 2009. */
#include "simchannel.h"
#include "simcall.h"
#include "mqsim.h"

#include <atomic>

struct SimRemote {
    MQHCONN hconn;
    std::string qmgr;
    MQLONG options;           /* MQCNO options */
    SimSocket sock;
    std::mutex call;          /* one verb at a time */
    bool broken;
};

static std::mutex &RemoteLock = *new std::mutex;
static std::map<MQHCONN, SimRemote *> &Remotes = *new std::map<MQHCONN, SimRemote *>;  /* ended ones kept, for late callers */
static std::atomic<int> RemoteCount;
static MQHCONN NextRemote = 0x21000001;

static SimRemote *Find(MQHCONN h)
{
    if (RemoteCount.load() == 0)
        return nullptr;
    std::lock_guard<std::mutex> lk(RemoteLock);
    auto it = Remotes.find(h);
    return it == Remotes.end() ? nullptr : it->second;
}

bool SimRemoteHconn(MQHCONN h)
{
    return Find(h) != nullptr;
}

/* A socket to the process that owns the queue manager, the key
 * presented: -1 when none serves it. */
static SimSocket Reach(const std::string &qmgr)
{
    int port;
    std::string key;
    if (qmgr.empty() || !SimChannelRead(SimQMgrDir(qmgr), &port, &key))
        return -1;
    SimSocket s = SimHostConnect(port);
    if (s == -1)
        return -1;
    SimFrame f, r;
    f.Put32(SIMCH_HELLO);
    f.PutString(key);
    if (!SimFrameSend(s, &f) || !SimFrameRecv(s, &r) || r.Get32() != 0 || r.bad) {
        SimHostCloseSocket(s);
        return -1;
    }
    return s;
}

static void Break(SimRemote *r)
{
    if (!r->broken) {
        r->broken = true;
        SimHostShutdownSocket(r->sock);
    }
}

/* Forgets an ended connection; its record stays for late callers. */
static void Forget(SimRemote *r)
{
    std::lock_guard<std::mutex> lk(RemoteLock);
    if (r->hconn != MQHC_UNUSABLE_HCONN) {
        r->hconn = MQHC_UNUSABLE_HCONN;
        r->broken = true;
        SimHostCloseSocket(r->sock);
        RemoteCount--;
    }
}

/* ---- connecting ------------------------------------------------------------- */

static std::string FromPtr(MQPTR p, MQLONG len)
{
    return p && len > 0 ? std::string((const char *)p, (size_t)len) : std::string();
}

MQLONG SimRemoteConnect(const std::string &qmgr, const MQCNO *cno, MQHCONN *out)
{
    const MQCSP *csp = cno->Version >= 5 ? cno->SecurityParmsPtr : nullptr;
    if (csp && (memcmp(csp->StrucId, MQCSP_STRUC_ID, 4) != 0 || !SimLengthOf("CSP ", csp->Version)))
        return MQRC_CSP_ERROR;
    std::string appl = SimHostProgram().substr(0, 28);
    if (cno->Version >= 7 && !SimName(cno->ApplName, 28).empty())
        appl = std::string(cno->ApplName, 28);
    SimSocket s = Reach(qmgr);
    if (s == -1)
        return MQRC_Q_MGR_NOT_AVAILABLE;
    SimFrame f, r;
    f.Put32(SIMCH_CONN);
    f.PutString(qmgr);
    f.PutString(appl);
    f.PutString(csp ? FromPtr(csp->CSPUserIdPtr, csp->CSPUserIdLength) : "");
    f.PutString(csp ? FromPtr(csp->CSPPasswordPtr, csp->CSPPasswordLength) : "");
    f.Put32(cno->Options);
    f.Put32(csp ? 1 : 0);
    f.Put32(csp ? csp->AuthenticationType : 0);
    MQLONG cc = MQCC_FAILED, rc = MQRC_Q_MGR_NOT_AVAILABLE;
    if (SimFrameSend(s, &f) && SimFrameRecv(s, &r)) {
        cc = r.Get32();
        rc = r.Get32();
    }
    if (cc == MQCC_FAILED || r.bad) {
        SimHostCloseSocket(s);
        return rc ? rc : MQRC_Q_MGR_NOT_AVAILABLE;
    }
    SimRemote *x = new SimRemote();
    x->qmgr = qmgr;
    x->options = cno->Options;
    x->sock = s;
    std::lock_guard<std::mutex> lk(RemoteLock);
    x->hconn = NextRemote++;
    Remotes[x->hconn] = x;
    RemoteCount++;
    *out = x->hconn;
    return 0;
}

/* ---- one call ----------------------------------------------------------------- */

struct RemoteCall {
    SimRemote *r;
    std::unique_lock<std::mutex> lock;
    MQLONG reason;
    MQLONG cc;                /* the owner's completion code, once answered */
    bool answered;
};

/* Takes a remote connection for one verb: false when the handle is not
 * one (the call is a local one). */
static bool Begin(RemoteCall *call, const char *verb, MQHCONN h)
{
    call->r = Find(h);
    call->answered = false;
    call->reason = 0;
    if (!call->r)
        return false;
    SimRemote *r = call->r;
    call->lock = std::unique_lock<std::mutex>(r->call, std::defer_lock);
    if (r->options & MQCNO_HANDLE_SHARE_NO_BLOCK) {
        if (!call->lock.try_lock()) {
            call->reason = MQRC_CALL_IN_PROGRESS;
            return true;
        }
    } else {
        call->lock.lock();
    }
    if (r->hconn != h) {
        call->reason = MQRC_HCONN_ERROR;
        return true;
    }
    call->reason = SimFaultCheck(verb, r->qmgr.c_str());
    if (call->reason == MQRC_CONNECTION_BROKEN)
        Break(r);
    if (!call->reason && r->broken)
        call->reason = MQRC_CONNECTION_BROKEN;
    return true;
}

/* Sends the request and reads the reply up to its completion code and
 * reason; false (2009, the connection broken) when the channel fails. */
static bool Exchange(RemoteCall *call, SimFrame *req, SimFrame *rep)
{
    if (!SimFrameSend(call->r->sock, req) || !SimFrameRecv(call->r->sock, rep)) {
        Break(call->r);
        call->reason = MQRC_CONNECTION_BROKEN;
        return false;
    }
    call->cc = rep->Get32();
    call->reason = rep->Get32();
    call->answered = true;
    return true;
}

static void Finish(const RemoteCall &call, PMQLONG pcc, PMQLONG prc)
{
    if (!call.answered) {
        SimResult(pcc, prc, call.reason);
        return;
    }
    if (pcc)
        *pcc = call.cc;
    if (prc)
        *prc = call.reason;
}

/* An object descriptor with its strings, as the owner takes it. */
static void PutOd(SimFrame *f, const MQOD &od, const void *userOd)
{
    f->PutStruct(od);
    f->PutString(od.Version >= 4 ? SimCharV(od.ObjectString, userOd) : "");
    f->PutString(od.Version >= 4 ? SimCharV(od.SelectionString, userOd) : "");
}

/* The owner's descriptor back into the caller's, the caller's own
 * pointers and strings kept. */
static void CopyOdOut(void *user, MQOD back, const MQOD &mine)
{
    back.ObjectRecPtr = mine.ObjectRecPtr;
    back.ResponseRecPtr = mine.ResponseRecPtr;
    back.ObjectRecOffset = mine.ObjectRecOffset;
    back.ResponseRecOffset = mine.ResponseRecOffset;
    back.ObjectString = mine.ObjectString;
    back.SelectionString = mine.SelectionString;
    back.ResObjectString = mine.ResObjectString;
    back.Version = mine.Version;
    SimCopyOut(user, back);
}

static void CopyPmoOut(void *user, MQPMO back, const MQPMO &mine)
{
    back.PutMsgRecPtr = mine.PutMsgRecPtr;
    back.ResponseRecPtr = mine.ResponseRecPtr;
    back.PutMsgRecOffset = mine.PutMsgRecOffset;
    back.ResponseRecOffset = mine.ResponseRecOffset;
    back.Version = mine.Version;
    SimCopyOut(user, back);
}

/* ---- the verbs ---------------------------------------------------------------- */

bool SimRemoteDisc(PMQHCONN pHconn, PMQLONG pCompCode, PMQLONG pReason)
{
    RemoteCall call;
    if (!pHconn || !Begin(&call, "MQDISC", *pHconn))
        return false;
    if (!call.reason) {
        SimFrame f, r;
        f.Put32(SIMCH_DISC);
        Exchange(&call, &f, &r);
    }
    /* ended when the owner disconnected it or the channel is lost; an
     * injected failure leaves it connected, as in the owner */
    if (call.answered || call.reason == MQRC_CONNECTION_BROKEN) {
        Forget(call.r);
        *pHconn = MQHC_UNUSABLE_HCONN;
    }
    Finish(call, pCompCode, pReason);
    return true;
}

bool SimRemoteOpen(MQHCONN Hconn, PMQVOID pObjDesc, MQLONG Options, PMQHOBJ pHobj, PMQLONG pCompCode,
                   PMQLONG pReason)
{
    RemoteCall call;
    if (!Begin(&call, "MQOPEN", Hconn))
        return false;
    MQOD od = {MQOD_DEFAULT};
    if (!call.reason)
        call.reason = SimCopyIn(&od, od, pObjDesc, MQOD_STRUC_ID, MQRC_OD_ERROR);
    if (!call.reason && !pHobj)
        call.reason = MQRC_HOBJ_ERROR;
    SimFrame f, r;
    if (!call.reason) {
        f.Put32(SIMCH_OPEN);
        PutOd(&f, od, pObjDesc);
        f.Put32(Options);
        if (Exchange(&call, &f, &r)) {
            MQHOBJ ho = r.Get32();
            MQOD back = od;
            r.GetStruct(&back);
            *pHobj = ho;
            if (call.cc != MQCC_FAILED)
                CopyOdOut(pObjDesc, back, od);
        }
    }
    if (pHobj && (call.reason && (!call.answered || call.cc == MQCC_FAILED)))
        *pHobj = MQHO_UNUSABLE_HOBJ;
    Finish(call, pCompCode, pReason);
    return true;
}

bool SimRemoteClose(MQHCONN Hconn, PMQHOBJ pHobj, MQLONG Options, PMQLONG pCompCode, PMQLONG pReason)
{
    RemoteCall call;
    if (!Begin(&call, "MQCLOSE", Hconn))
        return false;
    if (!call.reason && !pHobj)
        call.reason = MQRC_HOBJ_ERROR;
    SimFrame f, r;
    if (!call.reason) {
        f.Put32(SIMCH_CLOSE);
        f.Put32(*pHobj);
        f.Put32(Options);
        if (Exchange(&call, &f, &r))
            *pHobj = r.Get32();
    }
    Finish(call, pCompCode, pReason);
    return true;
}

bool SimRemoteGet(MQHCONN Hconn, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pGetMsgOpts, MQLONG BufferLength,
                  PMQVOID pBuffer, PMQLONG pDataLength, PMQLONG pCompCode, PMQLONG pReason)
{
    RemoteCall call;
    if (!Begin(&call, "MQGET", Hconn))
        return false;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    if (!call.reason)
        call.reason = SimCopyIn(&md, md, pMsgDesc, MQMD_STRUC_ID, MQRC_MD_ERROR);
    if (!call.reason)
        call.reason = SimCopyIn(&gmo, gmo, pGetMsgOpts, MQGMO_STRUC_ID, MQRC_GMO_ERROR);
    if (!call.reason && !pDataLength)
        call.reason = MQRC_DATA_LENGTH_ERROR;
    if (!call.reason && BufferLength > 0 && !pBuffer)
        call.reason = MQRC_BUFFER_ERROR;
    SimFrame f, r;
    if (!call.reason) {
        f.Put32(SIMCH_GET);
        f.Put32(Hobj);
        f.PutStruct(md);
        f.PutStruct(gmo);
        f.Put32(BufferLength);
        if (Exchange(&call, &f, &r)) {
            MQLONG len = r.Get32();
            MQMD mdBack = md;
            MQGMO gmoBack = gmo;
            r.GetStruct(&mdBack);
            r.GetStruct(&gmoBack);
            size_t n;
            const char *data = r.GetBytes(&n);
            if (n > 0 && (MQLONG)n <= BufferLength)
                memcpy(pBuffer, data, n);
            *pDataLength = len;
            SimCopyOut(pMsgDesc, mdBack);
            SimCopyOut(pGetMsgOpts, gmoBack);
        }
    }
    Finish(call, pCompCode, pReason);
    return true;
}

/* MQPUT (open object) and MQPUT1 (od given). */
static void RemotePut(RemoteCall *call, MQHOBJ Hobj, PMQVOID pObjDesc, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts,
                      MQLONG BufferLength, PMQVOID pBuffer)
{
    MQOD od = {MQOD_DEFAULT};
    MQMD md = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    if (!call->reason && pObjDesc)
        call->reason = SimCopyIn(&od, od, pObjDesc, MQOD_STRUC_ID, MQRC_OD_ERROR);
    if (!call->reason)
        call->reason = SimCopyIn(&md, md, pMsgDesc, MQMD_STRUC_ID, MQRC_MD_ERROR);
    if (!call->reason)
        call->reason = SimCopyIn(&pmo, pmo, pPutMsgOpts, MQPMO_STRUC_ID, MQRC_PMO_ERROR);
    if (!call->reason && BufferLength < 0)
        call->reason = MQRC_BUFFER_LENGTH_ERROR;
    if (!call->reason && BufferLength > 0 && !pBuffer)
        call->reason = MQRC_BUFFER_ERROR;
    if (call->reason)
        return;
    SimFrame f, r;
    f.Put32(pObjDesc ? SIMCH_PUT1 : SIMCH_PUT);
    if (pObjDesc)
        PutOd(&f, od, pObjDesc);
    else
        f.Put32(Hobj);
    f.PutStruct(md);
    f.PutStruct(pmo);
    f.PutBytes(pBuffer, (size_t)BufferLength);
    if (!Exchange(call, &f, &r))
        return;
    MQOD odBack = od;
    MQMD mdBack = md;
    MQPMO pmoBack = pmo;
    if (pObjDesc)
        r.GetStruct(&odBack);
    r.GetStruct(&mdBack);
    r.GetStruct(&pmoBack);
    if (call->cc == MQCC_FAILED)
        return;
    if (pObjDesc)
        CopyOdOut(pObjDesc, odBack, od);
    SimCopyOut(pMsgDesc, mdBack);
    CopyPmoOut(pPutMsgOpts, pmoBack, pmo);
}

bool SimRemotePut(MQHCONN Hconn, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts, MQLONG BufferLength,
                  PMQVOID pBuffer, PMQLONG pCompCode, PMQLONG pReason)
{
    RemoteCall call;
    if (!Begin(&call, "MQPUT", Hconn))
        return false;
    RemotePut(&call, Hobj, nullptr, pMsgDesc, pPutMsgOpts, BufferLength, pBuffer);
    Finish(call, pCompCode, pReason);
    return true;
}

bool SimRemotePut1(MQHCONN Hconn, PMQVOID pObjDesc, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts, MQLONG BufferLength,
                   PMQVOID pBuffer, PMQLONG pCompCode, PMQLONG pReason)
{
    RemoteCall call;
    if (!Begin(&call, "MQPUT1", Hconn))
        return false;
    if (!call.reason && !pObjDesc)
        call.reason = MQRC_OD_ERROR;
    RemotePut(&call, MQHO_NONE, pObjDesc, pMsgDesc, pPutMsgOpts, BufferLength, pBuffer);
    Finish(call, pCompCode, pReason);
    return true;
}

/* Selector, integer and character counts as the owner takes them. */
static MQLONG CheckAttrs(MQLONG n, const MQLONG *sel, MQLONG ni, MQLONG nc)
{
    if (n < 0 || n > 256)
        return MQRC_SELECTOR_COUNT_ERROR;
    if (n > 0 && !sel)
        return MQRC_SELECTOR_ERROR;
    if (ni < 0 || ni > 4096)
        return MQRC_INT_ATTR_COUNT_ERROR;
    if (nc < 0 || nc > 1 << 20)
        return MQRC_CHAR_ATTR_LENGTH_ERROR;
    return 0;
}

bool SimRemoteInq(MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors, MQLONG IntAttrCount,
                  PMQLONG pIntAttrs, MQLONG CharAttrLength, PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason)
{
    RemoteCall call;
    if (!Begin(&call, "MQINQ", Hconn))
        return false;
    if (!call.reason)
        call.reason = CheckAttrs(SelectorCount, pSelectors, IntAttrCount, CharAttrLength);
    SimFrame f, r;
    if (!call.reason) {
        MQLONG ni = pIntAttrs ? IntAttrCount : 0, nc = pCharAttrs ? CharAttrLength : 0;
        f.Put32(SIMCH_INQ);
        f.Put32(Hobj);
        f.PutBytes(pSelectors, (size_t)SelectorCount * 4);
        f.Put32(ni);
        f.Put32(nc);
        if (Exchange(&call, &f, &r)) {
            size_t n, m;
            const char *ints = r.GetBytes(&n);
            const char *chars = r.GetBytes(&m);
            if (n == (size_t)ni * 4 && n)
                memcpy(pIntAttrs, ints, n);
            if (m == (size_t)nc && m)
                memcpy(pCharAttrs, chars, m);
        }
    }
    Finish(call, pCompCode, pReason);
    return true;
}

bool SimRemoteSet(MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors, MQLONG IntAttrCount,
                  PMQLONG pIntAttrs, MQLONG CharAttrLength, PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason)
{
    RemoteCall call;
    if (!Begin(&call, "MQSET", Hconn))
        return false;
    if (!call.reason)
        call.reason = CheckAttrs(SelectorCount, pSelectors, IntAttrCount, CharAttrLength);
    SimFrame f, r;
    if (!call.reason) {
        f.Put32(SIMCH_SET);
        f.Put32(Hobj);
        f.PutBytes(pSelectors, (size_t)SelectorCount * 4);
        f.PutBytes(pIntAttrs, pIntAttrs ? (size_t)IntAttrCount * 4 : 0);
        f.PutBytes(pCharAttrs, pCharAttrs ? (size_t)CharAttrLength : 0);
        Exchange(&call, &f, &r);
    }
    Finish(call, pCompCode, pReason);
    return true;
}

/* MQCMIT and MQBACK. */
bool SimRemoteSyncpoint(MQHCONN Hconn, bool commit, PMQLONG pCompCode, PMQLONG pReason)
{
    RemoteCall call;
    if (!Begin(&call, commit ? "MQCMIT" : "MQBACK", Hconn))
        return false;
    SimFrame f, r;
    if (!call.reason) {
        f.Put32(commit ? SIMCH_CMIT : SIMCH_BACK);
        Exchange(&call, &f, &r);
    }
    Finish(call, pCompCode, pReason);
    return true;
}

/* Verbs the channel does not carry (MQCB, MQCTL): 2298. */
bool SimRemoteUnsupported(MQHCONN Hconn, PMQLONG pCompCode, PMQLONG pReason)
{
    if (!Find(Hconn))
        return false;
    SimResult(pCompCode, pReason, MQRC_FUNCTION_NOT_SUPPORTED);
    return true;
}

void SimRemoteEndAll(void)
{
    std::vector<SimRemote *> all;
    {
        std::lock_guard<std::mutex> lk(RemoteLock);
        for (auto &kv : Remotes)
            all.push_back(kv.second);
    }
    for (SimRemote *r : all) {
        std::lock_guard<std::mutex> lk(r->call);
        Forget(r);
    }
}

/* ---- faults in the owner ----------------------------------------------------- */

extern "C" MQLONG MQENTRY MQSimFaultInOwner(PMQCHAR verb, PMQCHAR qmgr, MQLONG nth, MQLONG count, MQLONG reason,
                                            MQLONG delayMs)
{
    std::string name = qmgr ? SimName(qmgr, strnlen(qmgr, 48)) : "";
    if (!verb || strlen(verb) >= 16 || name.empty())
        return MQRC_Q_MGR_NAME_ERROR;
    {
        std::lock_guard<std::mutex> lk(SimLock);
        if (SimQMgrLoaded(name)) {
            SimFaultArm(verb, name, nth - 1, count, reason, delayMs);
            return 0;
        }
    }
    SimSocket s = Reach(name);
    if (s == -1)
        return MQRC_Q_MGR_NOT_AVAILABLE;
    SimFrame f, r;
    f.Put32(SIMCH_FAULT);
    f.PutString(verb);
    f.PutString(name);
    f.Put32(nth);
    f.Put32(count);
    f.Put32(reason);
    f.Put32(delayMs);
    bool ok = SimFrameSend(s, &f) && SimFrameRecv(s, &r) && r.Get32() == MQCC_OK && !r.bad;
    SimHostCloseSocket(s);
    return ok ? 0 : MQRC_Q_MGR_NOT_AVAILABLE;
}
