/* The owner's side of the local channel: a process that has loaded a
 * queue manager serves it to other processes.  One listening socket per
 * process; each accepted socket is one connection, served by a thread of
 * its own that makes the MQI calls asked for on it.  Faults armed in this
 * process never strike the calls it serves.  A socket that closes
 * without a disconnect ends its connection with its work backed out, as
 * a broken client channel does. */
#include "simchannel.h"
#include "simcall.h"
#include "mqsim.h"

#include <random>
#include <set>

/* Never destroyed: serving threads may run while the process ends. */
static std::mutex &ServeLock = *new std::mutex;
static SimSocket Listener = -1;
static int Port;
static std::string &Key = *new std::string;
static std::set<std::string> &Served = *new std::set<std::string>;   /* queue managers published */
static std::set<SimSocket> &Sockets = *new std::set<SimSocket>;      /* connections being served */

/* ---- frames and the channel file ---------------------------------------- */

bool SimFrameSend(SimSocket s, SimFrame *f)
{
    uint32_t n = (uint32_t)(f->data.size() - 4);
    memcpy(&f->data[0], &n, 4);
    return SimHostSendAll(s, f->data.data(), f->data.size());
}

/* Bytes asked of the socket at once: a small frame arrives whole in one
 * receive (the peer sends nothing more until it is answered). */
static const size_t RecvChunk = 16 * 1024;

bool SimFrameRecv(SimSocket s, SimFrame *f)
{
    f->data.resize(RecvChunk);
    f->pos = 4;
    f->bad = false;
    size_t have = 0;
    while (have < 4) {
        long k = SimHostRecvSome(s, &f->data[have], RecvChunk - have);
        if (k <= 0)
            return false;
        have += (size_t)k;
    }
    uint32_t n;
    memcpy(&n, f->data.data(), 4);
    if (n > SimChannelMaxFrame || have > 4 + (size_t)n)
        return false;
    f->data.resize(4 + (size_t)n);
    return SimHostRecvAll(s, &f->data[have], 4 + (size_t)n - have);
}

bool SimChannelRead(const std::string &dir, int *port, std::string *key)
{
    FILE *f = fopen((dir + "/channel").c_str(), "rb");
    if (!f)
        return false;
    char k[65];
    bool ok = fscanf(f, "%d %64s", port, k) == 2;
    fclose(f);
    if (ok)
        *key = k;
    return ok;
}

static std::string NewKey(void)
{
    std::random_device rd;
    char buf[33];
    snprintf(buf, sizeof buf, "%08x%08x%08x%08x", rd(), rd(), rd(), rd());
    return buf;
}

/* ---- one request each --------------------------------------------------- */

/* A connection being served. */
struct ServedConn {
    MQHCONN hc;
    std::vector<char> buf;    /* the get buffer, kept between gets */
};

/* Points an object descriptor's strings at the frame's copies; its
 * pointers into the client's memory are cleared. */
static void FixOd(MQOD *od, const std::string &obj, const std::string &sel)
{
    od->ObjectRecPtr = od->ResponseRecPtr = nullptr;
    od->ObjectRecOffset = od->ResponseRecOffset = 0;
    od->ObjectString.VSPtr = obj.empty() ? nullptr : (MQPTR)obj.data();
    od->ObjectString.VSOffset = 0;
    od->ObjectString.VSLength = (MQLONG)obj.size();
    od->SelectionString.VSPtr = sel.empty() ? nullptr : (MQPTR)sel.data();
    od->SelectionString.VSOffset = 0;
    od->SelectionString.VSLength = (MQLONG)sel.size();
    od->ResObjectString.VSPtr = nullptr;
    od->ResObjectString.VSOffset = 0;
    od->ResObjectString.VSBufSize = 0;
}

static void FixPmo(MQPMO *pmo)
{
    pmo->PutMsgRecPtr = pmo->ResponseRecPtr = nullptr;
    pmo->PutMsgRecOffset = pmo->ResponseRecOffset = 0;
}

static void Result(SimFrame *r, MQLONG cc, MQLONG rc)
{
    r->Put32(cc);
    r->Put32(rc);
}

static void ServeConn(ServedConn *sc, SimFrame *f, SimFrame *r)
{
    std::string name = f->GetString(), appl = f->GetString(), user = f->GetString(), pwd = f->GetString();
    MQLONG options = f->Get32(), csp = f->Get32(), auth = f->Get32();
    MQLONG cc = MQCC_FAILED, rc = MQRC_Q_MGR_NOT_AVAILABLE;
    bool served;
    {
        std::lock_guard<std::mutex> lk(ServeLock);
        served = Served.count(name) != 0;
    }
    if (served && sc->hc == MQHC_UNUSABLE_HCONN) {
        char qm[48];
        SimPad(qm, sizeof qm, name);
        MQCNO cno = {MQCNO_DEFAULT};
        MQCSP sp = {MQCSP_DEFAULT};
        cno.Version = MQCNO_VERSION_7;
        cno.Options = options & ~MQCNO_HANDLE_SHARE_NO_BLOCK;
        SimPad(cno.ApplName, sizeof cno.ApplName, appl);
        if (csp) {
            sp.AuthenticationType = auth;
            sp.CSPUserIdPtr = (MQPTR)user.data();
            sp.CSPUserIdLength = (MQLONG)user.size();
            sp.CSPPasswordPtr = (MQPTR)pwd.data();
            sp.CSPPasswordLength = (MQLONG)pwd.size();
            cno.SecurityParmsPtr = &sp;
        }
        MQCONNX(qm, &cno, &sc->hc, &cc, &rc);
    }
    Result(r, cc, rc);
}

static void ServeDisc(ServedConn *sc, SimFrame *, SimFrame *r)
{
    MQLONG cc, rc;
    MQDISC(&sc->hc, &cc, &rc);
    Result(r, cc, rc);
}

static void ServeOpen(ServedConn *sc, SimFrame *f, SimFrame *r)
{
    MQOD od;
    f->GetStruct(&od);
    std::string obj = f->GetString(), sel = f->GetString();
    MQLONG options = f->Get32();
    FixOd(&od, obj, sel);
    MQHOBJ ho = MQHO_UNUSABLE_HOBJ;
    MQLONG cc, rc;
    MQOPEN(sc->hc, &od, options, &ho, &cc, &rc);
    Result(r, cc, rc);
    r->Put32(ho);
    r->PutStruct(od);
}

static void ServeClose(ServedConn *sc, SimFrame *f, SimFrame *r)
{
    MQHOBJ ho = f->Get32();
    MQLONG options = f->Get32(), cc, rc;
    MQCLOSE(sc->hc, &ho, options, &cc, &rc);
    Result(r, cc, rc);
    r->Put32(ho);
}

static void ServeGet(ServedConn *sc, SimFrame *f, SimFrame *r)
{
    MQHOBJ ho = f->Get32();
    MQMD md;
    MQGMO gmo;
    f->GetStruct(&md);
    f->GetStruct(&gmo);
    MQLONG bufLen = f->Get32();
    if (bufLen < 0 || (uint32_t)bufLen > SimChannelMaxFrame - 4096)
        bufLen = bufLen < 0 ? bufLen : (MQLONG)(SimChannelMaxFrame - 4096);
    if (bufLen > 0 && sc->buf.size() < (size_t)bufLen)
        sc->buf.resize((size_t)bufLen);
    MQLONG len = 0, cc, rc;
    MQGET(sc->hc, ho, &md, &gmo, bufLen, bufLen > 0 ? sc->buf.data() : nullptr, &len, &cc, &rc);
    Result(r, cc, rc);
    r->Put32(len);
    r->PutStruct(md);
    r->PutStruct(gmo);
    MQLONG n = len < bufLen ? len : bufLen;
    r->PutBytes(sc->buf.data(), n > 0 ? (size_t)n : 0);
}

static void ServePut(ServedConn *sc, SimFrame *f, SimFrame *r)
{
    MQHOBJ ho = f->Get32();
    MQMD md;
    MQPMO pmo;
    f->GetStruct(&md);
    f->GetStruct(&pmo);
    size_t n;
    const char *data = f->GetBytes(&n);
    FixPmo(&pmo);
    MQLONG cc, rc;
    MQPUT(sc->hc, ho, &md, &pmo, (MQLONG)n, (PMQVOID)data, &cc, &rc);
    Result(r, cc, rc);
    r->PutStruct(md);
    r->PutStruct(pmo);
}

static void ServePut1(ServedConn *sc, SimFrame *f, SimFrame *r)
{
    MQOD od;
    MQMD md;
    MQPMO pmo;
    f->GetStruct(&od);
    std::string obj = f->GetString(), sel = f->GetString();
    f->GetStruct(&md);
    f->GetStruct(&pmo);
    size_t n;
    const char *data = f->GetBytes(&n);
    FixOd(&od, obj, sel);
    FixPmo(&pmo);
    MQLONG cc, rc;
    MQPUT1(sc->hc, &od, &md, &pmo, (MQLONG)n, (PMQVOID)data, &cc, &rc);
    Result(r, cc, rc);
    r->PutStruct(od);
    r->PutStruct(md);
    r->PutStruct(pmo);
}

static void ServeInq(ServedConn *sc, SimFrame *f, SimFrame *r)
{
    MQHOBJ ho = f->Get32();
    size_t nsel;
    const char *sel = f->GetBytes(&nsel);
    MQLONG intCount = f->Get32(), charLen = f->Get32();
    if (intCount < 0 || intCount > 4096 || charLen < 0 || charLen > 1 << 20)
        f->bad = true;
    if (f->bad)
        return;
    std::vector<MQLONG> sels(nsel / 4 + 1), ints((size_t)intCount + 1);
    memcpy(sels.data(), sel, nsel / 4 * 4);
    std::string chars((size_t)charLen, ' ');
    MQLONG cc, rc;
    MQINQ(sc->hc, ho, (MQLONG)(nsel / 4), sels.data(), intCount, ints.data(), charLen, &chars[0], &cc, &rc);
    Result(r, cc, rc);
    r->PutBytes(ints.data(), (size_t)intCount * 4);
    r->PutString(chars);
}

static void ServeSet(ServedConn *sc, SimFrame *f, SimFrame *r)
{
    MQHOBJ ho = f->Get32();
    size_t nsel, nint, nchar;
    const char *sel = f->GetBytes(&nsel);
    const char *ints = f->GetBytes(&nint);
    const char *chars = f->GetBytes(&nchar);
    std::vector<MQLONG> s(nsel / 4 + 1), i(nint / 4 + 1);
    memcpy(s.data(), sel, nsel / 4 * 4);
    memcpy(i.data(), ints, nint / 4 * 4);
    std::string c(chars, nchar);
    MQLONG cc, rc;
    MQSET(sc->hc, ho, (MQLONG)(nsel / 4), s.data(), (MQLONG)(nint / 4), i.data(), (MQLONG)nchar, &c[0], &cc, &rc);
    Result(r, cc, rc);
}

static void ServeCmit(ServedConn *sc, SimFrame *, SimFrame *r)
{
    MQLONG cc, rc;
    MQCMIT(sc->hc, &cc, &rc);
    Result(r, cc, rc);
}

static void ServeBack(ServedConn *sc, SimFrame *, SimFrame *r)
{
    MQLONG cc, rc;
    MQBACK(sc->hc, &cc, &rc);
    Result(r, cc, rc);
}

/* A fault armed by another process, for this process's own calls. */
static void ServeFault(ServedConn *, SimFrame *f, SimFrame *r)
{
    std::string verb = f->GetString(), qmgr = f->GetString();
    MQLONG nth = f->Get32(), count = f->Get32(), reason = f->Get32(), delay = f->Get32();
    if (!f->bad && verb.size() < 16)
        SimFaultArm(verb.c_str(), qmgr, nth - 1, count, reason, delay);
    Result(r, MQCC_OK, 0);
}

static void (*const Handlers[SIMCH_OP_COUNT])(ServedConn *, SimFrame *, SimFrame *) = {
    nullptr, ServeConn, ServeDisc, ServeOpen, ServeClose, ServeGet, ServePut, ServePut1,
    ServeInq, ServeSet, ServeCmit, ServeBack, ServeFault,
};

/* ---- the threads ---------------------------------------------------------- */

static void Serve(SimSocket s)
{
    SimFaultExempt = true;
    ServedConn sc = {MQHC_UNUSABLE_HCONN, {}};
    SimFrame f, r;
    bool ok = SimFrameRecv(s, &f) && f.Get32() == SIMCH_HELLO && f.GetString() == Key && !f.bad;
    r.Put32(ok ? 0 : MQRC_NOT_AUTHORIZED);
    ok = SimFrameSend(s, &r) && ok;
    while (ok && SimFrameRecv(s, &f)) {
        MQLONG op = f.Get32();
        if (f.bad || op <= SIMCH_HELLO || op >= SIMCH_OP_COUNT)
            break;
        r.Reset();
        Handlers[op](&sc, &f, &r);
        if (f.bad || !SimFrameSend(s, &r))
            break;
    }
    if (sc.hc != MQHC_UNUSABLE_HCONN) {      /* the client went away */
        MQLONG cc, rc;
        MQBACK(sc.hc, &cc, &rc);
        MQDISC(&sc.hc, &cc, &rc);
    }
    {
        std::lock_guard<std::mutex> lk(ServeLock);
        Sockets.erase(s);
    }
    SimHostCloseSocket(s);
}

static void Listen(SimSocket l)
{
    for (;;) {
        SimSocket s = SimHostAccept(l);
        if (s == -1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        std::lock_guard<std::mutex> lk(ServeLock);
        Sockets.insert(s);
        std::thread(Serve, s).detach();
    }
}

/* ---- publishing ------------------------------------------------------------- */

void SimChannelPublish(SimQMgr *q)
{
    std::lock_guard<std::mutex> lk(ServeLock);
    if (Listener == -1) {
        Listener = SimHostListen(&Port);
        if (Listener == -1)
            return;
        Key = NewKey();
        SimHostPinModule();
        std::thread(Listen, Listener).detach();
    }
    std::string tmp = q->dir + "/channel.new";
    FILE *f = fopen(tmp.c_str(), "wb");
    if (!f)
        return;
    fprintf(f, "%d %s\n", Port, Key.c_str());
    if (fclose(f) == 0 && SimHostReplace(tmp, q->dir + "/channel") == 0)
        Served.insert(q->name);
}

void SimChannelWithdraw(SimQMgr *q)
{
    std::lock_guard<std::mutex> lk(ServeLock);
    if (Served.erase(q->name))
        SimHostRemove(q->dir + "/channel");
}

void SimChannelEndServed(void)
{
    std::lock_guard<std::mutex> lk(ServeLock);
    for (SimSocket s : Sockets)
        SimHostShutdownSocket(s);
}
