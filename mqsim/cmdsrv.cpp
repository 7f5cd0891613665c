/* The command server of a stand-in queue manager: a thread that serves
 * SYSTEM.ADMIN.COMMAND.QUEUE through the MQI like any client, parses PCF
 * requests, runs them on the queue manager's model and puts one response
 * message per object to the request's reply queue.  MQSC text (format
 * MQSTR) is taken on queue managers that say they run on z/OS. */
#include "cmdsrv.h"
#include "simcall.h"
#include "mqsim.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>

struct CmdServer {
    std::thread thread;
    std::atomic<bool> stop;
    std::string qmgr;
    MQHCONN hconn;            /* its connection and command queue, opened */
    MQHOBJ queue;             /* with the loading (MQHO_NONE: none) */
};

static const MQLONG CmdWaitMs = 50;     /* how soon a stop is noticed */

/* ---- response building ------------------------------------------------ */

/* A message's data starts with room for its header, filled in by
 * CmdFinish; each parameter is written into room added at its end, and
 * a new message is given at once the room its predecessor took (an
 * inquiry's responses are much alike), so that none grows step by step. */
static const size_t CmdHead = sizeof(MQCFH);

static size_t Pad4(size_t n)
{
    return (n + 3) & ~(size_t)3;
}

/* n more bytes at the end of the message, zeroed (the padding). */
static char *Room(CmdMsg *m, size_t n)
{
    size_t at = m->data.size();
    m->data.resize(at + n);
    return &m->data[at];
}

static char *Words(char *p, const MQLONG *w, size_t n)
{
    if (n)
        memcpy(p, w, 4 * n);
    return p + 4 * n;
}

CmdMsg *CmdNewMsg(CmdReply *r)
{
    size_t room = r->msgs.empty() ? 256 : r->msgs.back().data.size();
    r->msgs.push_back(CmdMsg{0, 0, r->ccsid, 0, std::string()});
    CmdMsg *m = &r->msgs.back();
    m->data.reserve(room > 256 ? room : 256);
    m->data.resize(CmdHead);
    return m;
}

void CmdAddInt(CmdMsg *m, MQLONG id, MQLONG v)
{
    const MQLONG w[4] = {MQCFT_INTEGER, 16, id, v};
    Words(Room(m, 16), w, 4);
    m->count++;
}

void CmdAddInt64(CmdMsg *m, MQLONG id, int64_t v)
{
    const MQLONG w[4] = {MQCFT_INTEGER64, 24, id, 0};
    memcpy(Words(Room(m, 24), w, 4), &v, 8);
    m->count++;
}

void CmdAddStr(CmdMsg *m, MQLONG id, const std::string &s, size_t padTo)
{
    size_t n = s.size() < padTo ? padTo : s.size();
    const MQLONG w[5] = {MQCFT_STRING, (MQLONG)(20 + Pad4(n)), id, m->ccsid, (MQLONG)n};
    char *p = Words(Room(m, 20 + Pad4(n)), w, 5);
    memcpy(p, s.data(), s.size());
    memset(p + s.size(), ' ', n - s.size());
    m->count++;
}

void CmdAddIntList(CmdMsg *m, MQLONG id, const std::vector<MQLONG> &v)
{
    const MQLONG w[4] = {MQCFT_INTEGER_LIST, (MQLONG)(16 + 4 * v.size()), id, (MQLONG)v.size()};
    Words(Words(Room(m, 16 + 4 * v.size()), w, 4), v.data(), v.size());
    m->count++;
}

void CmdAddStrList(CmdMsg *m, MQLONG id, const std::vector<std::string> &v, size_t padTo)
{
    size_t wide = padTo;
    for (const std::string &s : v)
        if (s.size() > wide)
            wide = s.size();
    size_t len = 24 + Pad4(wide * v.size());
    const MQLONG w[6] = {MQCFT_STRING_LIST, (MQLONG)len, id, m->ccsid, (MQLONG)v.size(), (MQLONG)wide};
    char *p = Words(Room(m, len), w, 6);
    for (const std::string &s : v) {
        memcpy(p, s.data(), s.size());
        memset(p + s.size(), ' ', wide - s.size());
        p += wide;
    }
    m->count++;
}

void CmdAddBytes(CmdMsg *m, MQLONG id, const std::string &b)
{
    const MQLONG w[4] = {MQCFT_BYTE_STRING, (MQLONG)(16 + Pad4(b.size())), id, (MQLONG)b.size()};
    memcpy(Words(Room(m, 16 + Pad4(b.size())), w, 4), b.data(), b.size());
    m->count++;
}

void CmdError(CmdReply *r, MQLONG reason, MQLONG errParm, MQLONG errValue)
{
    CmdMsg *m = CmdNewMsg(r);
    m->compCode = MQCC_FAILED;
    m->reason = reason;
    if (errParm)
        CmdAddInt(m, errParm, errValue);
}

void CmdFinish(CmdReply *r, std::vector<std::string> *out)
{
    size_t n = r->msgs.size();
    out->reserve(out->size() + n);
    for (size_t i = 0; i < n; i++) {
        CmdMsg &m = r->msgs[i];
        MQCFH h = {MQCFH_DEFAULT};
        h.Type = MQCFT_RESPONSE;
        h.Version = r->version >= 1 && r->version <= 3 ? r->version : 1;
        h.Command = r->command;
        h.MsgSeqNumber = (MQLONG)i + 1;
        h.Control = i + 1 == n ? MQCFC_LAST : MQCFC_NOT_LAST;
        h.CompCode = m.compCode;
        h.Reason = m.reason;
        h.ParameterCount = m.count;
        memcpy(&m.data[0], &h, sizeof h);
        out->push_back(std::move(m.data));
    }
    r->msgs.clear();
}

/* ---- request parsing ---------------------------------------------------- */

static MQLONG Get32(const MQBYTE *p)
{
    MQLONG v;
    memcpy(&v, p, 4);
    return v;
}

static std::string Trimmed(const MQBYTE *p, size_t n)
{
    std::string s((const char *)p, n);
    size_t e = s.find_last_not_of(' ');
    s.resize(e == std::string::npos ? 0 : e + 1);
    size_t z = s.find('\0');
    if (z != std::string::npos)
        s.resize(z);
    return s;
}

/* One parameter structure at p (len bytes left): 0 or a reason. */
static MQLONG ParseParm(const MQBYTE *p, size_t left, CmdParm *out, size_t *used)
{
    if (left < 12)
        return MQRCCF_STRUCTURE_TYPE_ERROR;
    MQLONG type = Get32(p), len = Get32(p + 4);
    out->type = type;
    out->id = Get32(p + 8);
    if (len < 16 || (size_t)len > left)
        return MQRCCF_CFH_LENGTH_ERROR;
    *used = (size_t)len;
    switch (type) {
    case MQCFT_INTEGER:
        out->ival = Get32(p + 12);
        return len == 16 ? 0 : MQRCCF_CFIN_LENGTH_ERROR;
    case MQCFT_INTEGER64:
        if (len != 24)
            return MQRCCF_CFIN_LENGTH_ERROR;
        memcpy(&out->i64, p + 16, 8);
        return 0;
    case MQCFT_STRING: {
        if (len < 20)
            return MQRCCF_CFST_LENGTH_ERROR;
        MQLONG sl = Get32(p + 16);
        if (sl < 0 || sl > len - 20)
            return MQRCCF_CFST_STRING_LENGTH_ERR;
        out->sval = Trimmed(p + 20, (size_t)sl);
        return 0;
    }
    case MQCFT_INTEGER_LIST: {
        MQLONG n = Get32(p + 12);
        if (n < 0 || n > (len - 16) / 4)
            return MQRCCF_CFIL_COUNT_ERROR;
        for (MQLONG i = 0; i < n; i++)
            out->ilist.push_back(Get32(p + 16 + 4 * i));
        return 0;
    }
    case MQCFT_STRING_LIST: {
        if (len < 24)
            return MQRCCF_CFSL_LENGTH_ERROR;
        MQLONG n = Get32(p + 16), w = Get32(p + 20);
        if (n < 0 || w < 0 || (n && (int64_t)n * w > len - 24))
            return MQRCCF_CFSL_TOTAL_LENGTH_ERROR;
        for (MQLONG i = 0; i < n && w > 0; i++)   /* empty strings are not kept */
            out->slist.push_back(Trimmed(p + 24 + (size_t)i * w, (size_t)w));
        return 0;
    }
    case MQCFT_BYTE_STRING: {
        MQLONG sl = Get32(p + 12);
        if (sl < 0 || sl > len - 16)
            return MQRCCF_CFBS_STRING_LENGTH_ERR;
        out->sval.assign((const char *)p + 16, (size_t)sl);
        return 0;
    }
    case MQCFT_INTEGER_FILTER:
        if (len != 20)
            return MQRCCF_CFIF_LENGTH_ERROR;
        out->op = Get32(p + 12);
        out->ival = Get32(p + 16);
        return 0;
    case MQCFT_STRING_FILTER: {
        if (len < 24)
            return MQRCCF_CFSF_LENGTH_ERROR;
        out->op = Get32(p + 12);
        MQLONG sl = Get32(p + 20);
        if (sl < 0 || sl > len - 24)
            return MQRCCF_CFSF_FILTER_VAL_LEN_ERR;
        out->sval = Trimmed(p + 24, (size_t)sl);
        return 0;
    }
    case MQCFT_BYTE_STRING_FILTER: {
        if (len < 20)
            return MQRCCF_CFBF_LENGTH_ERROR;
        out->op = Get32(p + 12);
        MQLONG sl = Get32(p + 16);
        if (sl < 0 || sl > len - 20)
            return MQRCCF_CFBF_FILTER_VAL_LEN_ERR;
        out->sval.assign((const char *)p + 20, (size_t)sl);
        return 0;
    }
    default:
        return MQRCCF_STRUCTURE_TYPE_ERROR;
    }
}

MQLONG CmdParse(const void *data, MQLONG length, CmdRequest *req, MQLONG *badParm)
{
    const MQBYTE *p = (const MQBYTE *)data;
    *badParm = 0;
    if (length < (MQLONG)sizeof(MQCFH))
        return MQRCCF_CFH_LENGTH_ERROR;
    MQCFH h;
    memcpy(&h, p, sizeof h);
    req->command = h.Command;
    req->version = h.Version;
    if (h.Type != MQCFT_COMMAND && h.Type != MQCFT_COMMAND_XR)
        return MQRCCF_CFH_TYPE_ERROR;
    if (h.StrucLength != (MQLONG)sizeof(MQCFH))
        return MQRCCF_CFH_LENGTH_ERROR;
    if (h.Version < MQCFH_VERSION_1 || h.Version > MQCFH_VERSION_3)
        return MQRCCF_CFH_VERSION_ERROR;
    if (h.MsgSeqNumber != 1)
        return MQRCCF_CFH_MSG_SEQ_NUMBER_ERR;
    if (h.Control != MQCFC_LAST)
        return MQRCCF_CFH_CONTROL_ERROR;
    if (h.ParameterCount < 0)
        return MQRCCF_CFH_PARM_COUNT_ERROR;
    size_t pos = sizeof h, end = (size_t)length;
    for (MQLONG i = 0; i < h.ParameterCount; i++) {
        CmdParm parm = {};
        size_t used = 0;
        if (pos >= end)
            return MQRCCF_CFH_PARM_COUNT_ERROR;
        MQLONG rc = ParseParm(p + pos, end - pos, &parm, &used);
        if (rc) {
            *badParm = parm.id;
            return rc;
        }
        req->parms.push_back(parm);
        pos += used;
    }
    return 0;
}

const CmdParm *CmdFind(const CmdRequest *req, MQLONG id)
{
    for (const CmdParm &p : req->parms)
        if (p.id == id && p.type != MQCFT_INTEGER_FILTER && p.type != MQCFT_STRING_FILTER &&
            p.type != MQCFT_BYTE_STRING_FILTER)
            return &p;
    return nullptr;
}

/* ---- commands of the server itself ------------------------------------- */

static void PingQMgr(CmdReply *r)
{
    CmdNewMsg(r);
}

/* MQCMD_ESCAPE: MQSC text run by the interpreter, one response per
 * message of its output, each holding the escape type and the text. */
static void Escape(SimQMgr *q, const CmdRequest *req, CmdReply *r)
{
    const CmdParm *type = CmdFind(req, MQIACF_ESCAPE_TYPE);
    const CmdParm *text = CmdFind(req, MQCACF_ESCAPE_TEXT);
    if (!type)
        return CmdError(r, MQRCCF_PARM_MISSING, MQIACF_PARAMETER_ID, MQIACF_ESCAPE_TYPE);
    if (type->ival != MQET_MQSC)
        return CmdError(r, MQRCCF_ESCAPE_TYPE_ERROR);
    if (!text)
        return CmdError(r, MQRCCF_PARM_MISSING, MQIACF_PARAMETER_ID, MQCACF_ESCAPE_TEXT);
    std::vector<std::string> msgs;
    SimMqscCommand(q, text->sval, &msgs);
    for (const std::string &t : msgs) {
        CmdMsg *m = CmdNewMsg(r);
        CmdAddInt(m, MQIACF_ESCAPE_TYPE, MQET_MQSC);
        CmdAddStr(m, MQCACF_ESCAPE_TEXT, t, 0);
    }
    if (r->msgs.empty())
        CmdNewMsg(r);
}

/* Runs a parsed request (SimLock held). */
static void RunRequest(SimQMgr *q, const CmdRequest *req, CmdReply *r)
{
    switch (req->command) {
    case MQCMD_PING_Q_MGR:
        return PingQMgr(r);
    case MQCMD_ESCAPE:
        return Escape(q, req, r);
    default:
        break;
    }
    if (CmdObjectCommand(q, req, r) == 0 || CmdStatusCommand(q, req, r) == 0)
        return;
    CmdError(r, MQRCCF_CFH_COMMAND_ERROR);
}

/* ---- the server thread ---------------------------------------------------- */

/* The reply messages of one request message (SimLock taken here). */
static void Answer(CmdServer *srv, const MQMD *md, const std::string &msg, std::vector<std::string> *out,
                   MQLONG *format, std::string *dlq, MQLONG *ccsid)
{
    MQLONG injected = SimFaultCheck(MQSIM_COMMAND_SERVER, srv->qmgr.c_str());  /* may sleep: a late reply */
    if (injected == -1)
        return;                           /* no reply at all */
    CmdReply r = {};
    std::lock_guard<std::mutex> lk(SimLock);
    int reason;
    SimQMgr *q = SimFindQMgr(srv->qmgr, &reason);
    if (!q)
        return;
    *dlq = SimStr(q->qmgrObj, MQCA_DEAD_LETTER_Q_NAME);
    *ccsid = SimInt(q->qmgrObj, MQIA_CODED_CHAR_SET_ID, 437);
    bool zos = SimInt(q->qmgrObj, MQIA_PLATFORM) == MQPL_ZOS;
    if (zos && memcmp(md->Format, MQFMT_STRING, 8) == 0) {
        *format = 1;
        SimZosCommand(q, msg, injected, out);
        return;
    }
    MQLONG bad = 0;
    CmdRequest req = {};
    MQLONG rc = memcmp(md->Format, MQFMT_ADMIN, 8) != 0 ? MQRCCF_MD_FORMAT_ERROR
                                                        : CmdParse(msg.data(), (MQLONG)msg.size(), &req, &bad);
    r.command = req.command;
    r.version = req.version;
    r.ccsid = SimInt(q->qmgrObj, MQIA_CODED_CHAR_SET_ID);
    if (rc)
        CmdError(&r, rc, bad ? MQIACF_PARAMETER_ID : 0, bad);
    else
        RunRequest(q, &req, &r);
    SimStoreMaybeCompact(q);
    if (injected > 0) {
        r.msgs.clear();
        CmdError(&r, injected);
    }
    CmdFinish(&r, out);
    SimWake.notify_all();
}

/* A reply that cannot be put to its reply queue goes to the dead-letter
 * queue behind a dead-letter header, as IBM MQ's command server does. */
static void DeadLetter(MQHCONN hc, const std::string &dlq, const MQMD *req, MQMD md, MQLONG reason,
                       const std::string &msg)
{
    if (dlq.empty())
        return;
    MQDLH dlh = {MQDLH_DEFAULT};
    dlh.Reason = reason;
    memcpy(dlh.DestQName, req->ReplyToQ, sizeof dlh.DestQName);
    memcpy(dlh.DestQMgrName, req->ReplyToQMgr, sizeof dlh.DestQMgrName);
    dlh.Encoding = md.Encoding;
    dlh.CodedCharSetId = md.CodedCharSetId;
    memcpy(dlh.Format, md.Format, sizeof dlh.Format);
    dlh.PutApplType = MQAT_QMGR;
    SimPad(dlh.PutApplName, sizeof dlh.PutApplName, "command server");
    SimPad(dlh.PutDate, sizeof dlh.PutDate, "");
    SimPad(dlh.PutTime, sizeof dlh.PutTime, "");
    std::string data((const char *)&dlh, sizeof dlh);
    data += msg;
    memcpy(md.Format, MQFMT_DEAD_LETTER_HEADER, 8);
    MQOD od = {MQOD_DEFAULT};
    SimPad(od.ObjectName, sizeof od.ObjectName, dlq);
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_NO_SYNCPOINT;
    MQLONG cc, rc;
    MQPUT1(hc, &od, &md, &pmo, (MQLONG)data.size(), &data[0], &cc, &rc);
}

/* The descriptor and options of reply i: z/OS text replies (text) the
 * count line first, then the others. */
struct ReplyMaker {
    const MQMD *req;
    const std::vector<std::string> *msgs;
    bool text;
    MQLONG ccsid;
};

static void MakeReply(void *ctx, size_t i, MQMD *md, MQPMO *pmo, const void **data, MQLONG *len)
{
    const ReplyMaker *x = (const ReplyMaker *)ctx;
    const MQMD *req = x->req;
    *md = MQMD{MQMD_DEFAULT};
    *pmo = MQPMO{MQPMO_DEFAULT};
    pmo->Options = MQPMO_NO_SYNCPOINT;
    md->MsgType = MQMT_REPLY;
    memcpy(md->Format, !x->text ? MQFMT_ADMIN : i == 0 ? "MQCMD1  " : "MQCMD2  ", 8);
    md->Encoding = MQENC_NATIVE;
    md->CodedCharSetId = x->ccsid;            /* built in the queue manager's own code page */
    md->Priority = req->Priority;
    md->Persistence = req->Persistence;
    if (req->Report & MQRO_PASS_DISCARD_AND_EXPIRY)
        md->Expiry = req->Expiry;
    if (req->Report & MQRO_PASS_MSG_ID)
        memcpy(md->MsgId, req->MsgId, sizeof md->MsgId);
    else
        pmo->Options |= MQPMO_NEW_MSG_ID;
    memcpy(md->CorrelId, (req->Report & MQRO_PASS_CORREL_ID) ? req->CorrelId : req->MsgId,
           sizeof md->CorrelId);
    *data = (*x->msgs)[i].data();
    *len = (MQLONG)(*x->msgs)[i].size();
}

/* Puts the replies to the request's reply queue, in runs; one that
 * cannot be put goes to the dead-letter queue and the rest follow it. */
static void Reply(MQHCONN hc, const MQMD *req, const std::vector<std::string> &msgs, bool text,
                  const std::string &dlq, MQLONG ccsid)
{
    if (SimName(req->ReplyToQ, sizeof req->ReplyToQ).empty())
        return;
    MQOD od = {MQOD_DEFAULT};
    memcpy(od.ObjectName, req->ReplyToQ, sizeof od.ObjectName);
    memcpy(od.ObjectQMgrName, req->ReplyToQMgr, sizeof od.ObjectQMgrName);
    MQLONG cc, rc, openRc;
    MQHOBJ ho = MQHO_NONE;
    MQOPEN(hc, &od, MQOO_OUTPUT | MQOO_FAIL_IF_QUIESCING, &ho, &cc, &openRc);
    ReplyMaker x = {req, &msgs, text, ccsid};
    for (size_t i = 0; i < msgs.size(); i++) {
        rc = openRc;
        if (!openRc)
            i += SimPutSeries(hc, ho, i, msgs.size(), MakeReply, &x, &rc);
        if (!rc)
            break;
        MQMD md;
        MQPMO pmo;
        const void *data;
        MQLONG len;
        MakeReply(&x, i, &md, &pmo, &data, &len);
        DeadLetter(hc, dlq, req, md, rc, msgs[i]);
    }
    if (!openRc)
        MQCLOSE(hc, &ho, MQCO_NONE, &cc, &rc);
}

/* Waits for the next request and takes it, into *buf: 0, or the reason
 * there is none (2033 after the wait).  The request is seen first by a
 * browse and taken only when the server is not stopped meanwhile: a
 * request that comes while it is stopped stays on the queue. */
static MQLONG TakeRequest(CmdServer *srv, MQHCONN hc, MQHOBJ ho, MQMD *md, std::string *buf, MQLONG *len)
{
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_BROWSE_FIRST | MQGMO_WAIT | MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_FAIL_IF_QUIESCING;
    gmo.WaitInterval = CmdWaitMs;
    MQMD seen = {MQMD_DEFAULT};
    MQLONG cc, rc;
    MQGET(hc, ho, &seen, &gmo, 0, nullptr, len, &cc, &rc);
    if (cc == MQCC_FAILED)
        return rc;
    if (SimCommandServerStopped(srv->qmgr.c_str()))
        return MQRC_NO_MSG_AVAILABLE;
    for (;;) {
        gmo.Options = MQGMO_MSG_UNDER_CURSOR | MQGMO_NO_WAIT | MQGMO_NO_SYNCPOINT | MQGMO_FAIL_IF_QUIESCING;
        *md = MQMD{MQMD_DEFAULT};
        MQGET(hc, ho, md, &gmo, (MQLONG)buf->size(), &(*buf)[0], len, &cc, &rc);
        if (rc != MQRC_TRUNCATED_MSG_FAILED)
            return rc == MQRC_NO_MSG_UNDER_CURSOR ? MQRC_NO_MSG_AVAILABLE : rc;
        buf->resize((size_t)*len);
    }
}

static void Serve(CmdServer *srv)
{
    SimFaultExempt = true;
    MQHCONN hc = srv->hconn;
    MQHOBJ ho = srv->queue;
    MQLONG cc = ho == MQHO_NONE ? MQCC_FAILED : MQCC_OK, rc;
    std::string buf(65536, '\0');
    while (cc != MQCC_FAILED && !srv->stop) {
        if (SimCommandServerStopped(srv->qmgr.c_str())) {   /* requests wait on the queue */
            std::this_thread::sleep_for(std::chrono::milliseconds(CmdWaitMs));
            continue;
        }
        MQMD md = {MQMD_DEFAULT};
        MQLONG len = 0;
        rc = TakeRequest(srv, hc, ho, &md, &buf, &len);
        if (rc == MQRC_NO_MSG_AVAILABLE)
            continue;
        if (rc == MQRC_GET_INHIBITED) {           /* served again once enabled */
            std::this_thread::sleep_for(std::chrono::milliseconds(CmdWaitMs));
            continue;
        }
        if (rc)
            break;
        std::vector<std::string> replies;
        MQLONG text = 0;
        std::string dlq;
        MQLONG ccsid = md.CodedCharSetId;
        Answer(srv, &md, buf.substr(0, (size_t)len), &replies, &text, &dlq, &ccsid);
        Reply(hc, &md, replies, text != 0, dlq, ccsid);
    }
    MQDISC(&hc, &cc, &rc);
}

/* A process that ends without MQSimShutdown stops its servers before
 * the library's data is destroyed (in the Windows DLL the threads are
 * gone by then, and the module is pinned). */
#ifndef _WIN32
static void StopAllAtExit(void)
{
    std::vector<SimQMgr *> qmgrs;
    {
        std::lock_guard<std::mutex> lk(SimLock);
        SimForEachQMgr([](SimQMgr *q, void *v) { ((std::vector<SimQMgr *> *)v)->push_back(q); }, &qmgrs);
    }
    for (SimQMgr *q : qmgrs)
        SimCommandServerStop(q);
}
#endif

/* Started when a queue manager is loaded (SimLock held), unless its
 * command server is under manual control.  As with a started IBM MQ
 * queue manager, its command server reads the command queue from the
 * moment the queue manager can be reached: the server's connection and
 * its open of the queue are made here, under the loading's lock, and
 * the thread only serves. */
void SimCommandServerStart(SimQMgr *q)
{
    if (SimInt(q->qmgrObj, MQIA_CMD_SERVER_CONTROL) == MQSVC_CONTROL_MANUAL)
        return;
    SimHostPinModule();
#ifndef _WIN32
    static bool atExit = std::atexit(StopAllAtExit) == 0;
    (void)atExit;
#endif
    CmdServer *srv = new CmdServer();
    srv->stop = false;
    srv->qmgr = q->name;
    SimConn *c = SimNewConn(q, SimHostUser(), MQCNO_NONE);
    MQOD od = {MQOD_DEFAULT};
    SimPad(od.ObjectName, sizeof od.ObjectName, "SYSTEM.ADMIN.COMMAND.QUEUE");
    SimHandle *h = nullptr;
    srv->hconn = c->hconn;
    srv->queue = SimOpen(c, &od, &od, MQOO_INPUT_SHARED | MQOO_BROWSE | MQOO_FAIL_IF_QUIESCING, &h) == 0
                     ? h->hobj : MQHO_NONE;
    q->server = srv;
    srv->thread = std::thread(Serve, srv);
}

void SimCommandServerStop(SimQMgr *q)
{
    CmdServer *srv = (CmdServer *)q->server;
    if (!srv)
        return;
    srv->stop = true;
    if (srv->thread.joinable())
        srv->thread.join();
    q->server = nullptr;
    delete srv;
}

