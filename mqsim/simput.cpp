/* MQPUT and MQPUT1: the descriptor filled as a queue manager does,
 * context options, queue limits, priority and persistence defaults,
 * syncpoint. */
#include "simcall.h"
#include "simchannel.h"

#include <chrono>
#include <ctime>

static void Digits(char *p, int v, int n)
{
    for (int i = n - 1; i >= 0; i--, v /= 10)
        p[i] = (char)('0' + v % 10);
}

void SimPutTimeFields(int64_t ms, char *date, char *clock)
{
    time_t secs = (time_t)(ms / 1000);
    struct tm t;
#ifdef _WIN32
    gmtime_s(&t, &secs);
#else
    gmtime_r(&secs, &t);
#endif
    Digits(date, t.tm_year + 1900, 4);
    Digits(date + 4, t.tm_mon + 1, 2);
    Digits(date + 6, t.tm_mday, 2);
    Digits(clock, t.tm_hour, 2);
    Digits(clock + 2, t.tm_min, 2);
    Digits(clock + 4, t.tm_sec, 2);
    Digits(clock + 6, (int)(ms % 1000) / 10, 2);
}

static void PutDateTime(MQMD *md)
{
    SimPutTimeFields(SimNowMs(), md->PutDate, md->PutTime);
}

/* Unique within the queue manager across runs too: the count starts at
 * the time the process first makes one. */
static void NewId(SimQMgr *q, MQBYTE *id)
{
    static uint64_t counter = (uint64_t)SimNowMs() << 20;
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
    /* MQCCSI_Q_MGR: the message is stored with the queue manager's CCSID */
    if (m.CodedCharSetId == MQCCSI_Q_MGR)
        m.CodedCharSetId = SimInt(c->qmgr->qmgrObj, MQIA_CODED_CHAR_SET_ID, 437);
    if (h->topic) {
        /* a publication goes to the subscriptions of its topic */
        if (m.Persistence == MQPER_PERSISTENCE_AS_Q_DEF)
            m.Persistence = MQPER_NOT_PERSISTENT;
        if (m.Priority == MQPRI_PRIORITY_AS_Q_DEF)
            m.Priority = 0;
        if ((pmo->Options & MQPMO_NEW_MSG_ID) || AllZero(m.MsgId, 24))
            NewId(c->qmgr, m.MsgId);
        MQLONG failed = 0;
        int reached = SimPublish(c, h->qmgr, h->topicString, &m, len, buf,
                                 (pmo->Options & MQPMO_SYNCPOINT) != 0, &failed);
        if (reached < 0)
            return failed;
        memcpy(md->MsgId, m.MsgId, 24);
        CopyIdentity(md, &m);
        CopyOrigin(md, &m);
        return !reached && (pmo->Options & MQPMO_WARN_IF_NO_SUBS_MATCHED) ? MQRC_NO_SUBS_MATCHED : 0;
    }
    if (SimInhibited(obj, MQIA_INHIBIT_PUT) || SimInhibited(t, MQIA_INHIBIT_PUT))
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
    SimQMgr *tq = h->qmgr;
    SimEnqueue(c, tq, t, &m, len, buf, syncpoint);
    /* What the caller's descriptor gets back. */
    memcpy(md->MsgId, m.MsgId, 24);
    memcpy(md->CorrelId, m.CorrelId, 24);
    CopyIdentity(md, &m);
    CopyOrigin(md, &m);
    SimPad(pmo->ResolvedQName, 48, t->name);
    SimPad(pmo->ResolvedQMgrName, 48, tq->name);
    return warn;
}

void SimEnqueue(SimConn *c, SimQMgr *tq, SimObject *t, MQMD *m, MQLONG len, const void *buf, bool syncpoint)
{
    m->BackoutCount = 0;
    SimMsg *msg = SimMsgNew(m, buf, len);
    msg->token = tq->nextToken++;
    msg->persistent = m->Persistence == MQPER_PERSISTENT;
    msg->expireAt = m->Expiry == MQEI_UNLIMITED ? 0 : SimNowMs() + (int64_t)m->Expiry * 100;
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
    if (SimRemotePut(Hconn, Hobj, pMsgDesc, pPutMsgOpts, BufferLength, pBuffer, pCompCode, pReason))
        return;
    SimCall call;
    SimCallBegin(&call, "MQPUT", Hconn);
    SimHandle *h;
    MQLONG reason = SimCallHandle(&call, Hobj, 0, 0, &h);
    if (!reason)
        reason = PutCall(&call, h, pMsgDesc, pPutMsgOpts, BufferLength, pBuffer);
    SimResult(pCompCode, pReason, reason);
}

/* Several messages put to one open queue, as many MQPUT calls would
 * put them, a run of them under one taking of the connection and the
 * lock: who waits for them takes them in runs too, not one wake and
 * one wait for the lock each.  For the stand-in's own threads, whose
 * calls injected faults pass by.  A connection served by another
 * process takes them one MQPUT at a time. */
static const size_t SimPutRun = 512;

size_t SimPutSeries(MQHCONN hc, MQHOBJ ho, size_t from, size_t to, SimPutNext next, void *ctx, MQLONG *reason)
{
    *reason = 0;
    size_t i = from;
    while (i < to && !*reason) {
        SimCall call;
        SimCallBegin(&call, "MQPUT", hc);
        bool local = call.reason != MQRC_HCONN_ERROR;
        if (!local && call.lock.owns_lock())
            call.lock.unlock();
        if (!local && call.callLock.owns_lock())
            call.callLock.unlock();
        size_t end = local && to - i > SimPutRun ? i + SimPutRun : to;
        for (; i < end; i++) {
            MQMD md;
            MQPMO pmo;
            const void *data;
            MQLONG len;
            next(ctx, i, &md, &pmo, &data, &len);
            SimHandle *h;
            MQLONG cc;
            if (!local)
                MQPUT(hc, ho, &md, &pmo, len, (PMQVOID)data, &cc, reason);
            else if (!(*reason = SimCallHandle(&call, ho, 0, 0, &h)))
                *reason = PutCall(&call, h, &md, &pmo, len, (PMQVOID)data);
            if (*reason)
                break;
        }
    }
    return i - from;
}

extern "C" void MQENTRY MQPUT1(MQHCONN Hconn, PMQVOID pObjDesc, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts,
                               MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pCompCode, PMQLONG pReason)
{
    if (SimRemotePut1(Hconn, pObjDesc, pMsgDesc, pPutMsgOpts, BufferLength, pBuffer, pCompCode, pReason))
        return;
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
        reason = SimOpen(call.conn, &od, pObjDesc, oo, &h);
    }
    if (!reason) {
        reason = PutCall(&call, h, pMsgDesc, pPutMsgOpts, BufferLength, pBuffer);
        SimCloseHandle(call.conn, h, MQCO_NONE);
    }
    SimResult(pCompCode, pReason, reason);
}

