/* Test harness of the MQ engine: the stand-in bound behind a recording
 * table (natively the linked core, under Wine the stand-in DLL), the
 * scaled clock, the main window's part and the set-up of each test. */
#include "enginetest.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <thread>

#include "cs.h"
#include "mqsim.h"
#include "prfdata.h"
#include "progress.h"
#include "pwcache.h"
#include "wirelibs.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

Recorder Rec;
MainWindowPlay Main;
TestClock Clock;
MQIEntryTable StandIn;

static MQSimRunMqsc_FN runMqsc;
static MQSimShutdown_FN shutdownSim;
static MQSimFaultAt_FN faultAt;
static MQSimFault_FN fault;

static void SetEnv(const char *name, const char *value)
{
#ifdef _WIN32
    _putenv_s(name, value);
    SetEnvironmentVariableA(name, value);
#else
    setenv(name, value, 1);
#endif
}

/* ---- the stand-in ---- */

static void BindStandIn(void)
{
#ifdef _WIN32
    SetEnv("MQM_DLL_PATH", MQSIM_DIR);
    ASSERT_EQ(LoadMQLibrary("mqm.dll", &StandIn), 0);
    void *module = nullptr;
    char error[300];
    ASSERT_EQ(CSLoadLibrary("mqm.dll", MQSIM_DIR, error, sizeof error, &module), 0) << error;
    runMqsc = (MQSimRunMqsc_FN)CSGetProcAddress(module, "MQSimRunMqsc");
    shutdownSim = (MQSimShutdown_FN)CSGetProcAddress(module, "MQSimShutdown");
    faultAt = (MQSimFaultAt_FN)CSGetProcAddress(module, "MQSimFaultAt");
    fault = (MQSimFault_FN)CSGetProcAddress(module, "MQSimFault");
#else
    MQLinkedTable(&StandIn);
    StandIn.MQSTAT = MQSTAT;                 /* for BreakConnection only */
    runMqsc = MQSimRunMqsc;
    shutdownSim = MQSimShutdown;
    faultAt = MQSimFaultAt;
    fault = MQSimFault;
#endif
}

/* ---- the recording table ---- */

static std::map<std::pair<MQHCONN, MQHOBJ>, std::string> openNames;
static std::map<MQHCONN, std::string> connNames;

static std::string Field(const char *field, size_t size)
{
    size_t n = strnlen(field, size);
    while (n && field[n - 1] == ' ')
        n--;
    return std::string(field, n);
}

void Recorder::Clear()
{
    std::lock_guard<std::mutex> g(lock);
    calls.clear();
    faults.clear();
    onInq = nullptr;
    onCall = nullptr;
    letGo = false;
}

std::vector<MQCall> Recorder::Of(const std::string &verb, const std::string &object)
{
    std::lock_guard<std::mutex> g(lock);
    std::vector<MQCall> out;
    for (const MQCall &c : calls)
        if (c.verb == verb && (object.empty() || c.object == object))
            out.push_back(c);
    return out;
}

size_t Recorder::Count(const std::string &verb, const std::string &object)
{
    return Of(verb, object).size();
}

void Recorder::Fail(const std::string &verb, const std::string &object, MQLONG reason, int count, int skip)
{
    std::lock_guard<std::mutex> g(lock);
    faults.push_back({verb, object, reason, count, skip, false, nullptr});
}

void Recorder::Hold(const std::string &verb, const std::string &object, std::function<bool()> until, int skip)
{
    std::lock_guard<std::mutex> g(lock);
    faults.push_back({verb, object, 0, 1, skip, false, std::move(until)});
}

void Recorder::Break(const std::string &verb, const std::string &object, int skip)
{
    std::lock_guard<std::mutex> g(lock);
    faults.push_back({verb, object, MQRC_CONNECTION_BROKEN, 1, skip, true, nullptr});
}

static std::string ObjectOf(MQHCONN h, MQHOBJ o)
{
    std::lock_guard<std::mutex> g(Rec.lock);
    auto it = openNames.find({h, o});
    return it == openNames.end() ? std::string() : it->second;
}

/* Breaks connection h in the stand-in through its own fault, armed for
 * MQSTAT: the engine never calls it, so no other thread's call can take
 * the fault first. */
static void BreakConnection(MQHCONN h)
{
    static std::mutex one;
    std::lock_guard<std::mutex> g(one);
    StandInFaultAt("MQSTAT", nullptr, 1, 1, MQRC_CONNECTION_BROKEN);
    MQSTS sts = {MQSTS_DEFAULT};
    MQLONG cc, rc;
    StandIn.MQSTAT(h, MQSTAT_TYPE_ASYNC_ERROR, &sts, &cc, &rc);
}

/* An injected fault of the call on connection h, or 0; its hold is
 * served first.  Every matching fault still skipping counts the call; the
 * first other one fires.  A fault that breaks the connection does so and
 * answers 0: the call goes on and meets the broken connection. */
static MQLONG Injected(const std::string &verb, const std::string &object, MQHCONN h)
{
    MQLONG reason = 0;
    std::function<bool()> until;
    bool breaks = false;
    {
        std::lock_guard<std::mutex> g(Rec.lock);
        bool fired = false;
        for (size_t i = 0; i < Rec.faults.size(); i++) {
            MQFault &f = Rec.faults[i];
            if (f.verb != verb || (!f.object.empty() && f.object != object))
                continue;
            if (f.skip > 0) {
                f.skip--;
                continue;
            }
            if (fired)
                continue;
            fired = true;
            reason = f.reason;
            until = f.until;
            breaks = f.breaks;
            if (f.count > 0 && --f.count == 0)
                Rec.faults.erase(Rec.faults.begin() + (long)i--);
        }
    }
    if (until) {
        EXPECT_TRUE(WaitFor([&until] { return until() || Rec.letGo; }))
            << verb << " " << object << " held for an event that never came";
    }
    if (breaks) {
        BreakConnection(h);
        return 0;
    }
    return reason;
}

static void Keep(MQCall &c)
{
    c.tick = MQETick();
    c.thread = CSGetThreadId();
    std::function<void(const MQCall &)> after;
    {
        std::lock_guard<std::mutex> g(Rec.lock);
        Rec.calls.push_back(c);
        after = Rec.onCall;
    }
    if (after)
        after(c);
}

static void Fake(PMQLONG cc, PMQLONG rc, MQLONG reason)
{
    *cc = MQCC_FAILED;
    *rc = reason;
}

static void CopyExits(MQCall &c, const MQCD *cd)
{
    for (MQLONG i = 0; cd->Version >= 4 && i < cd->MsgExitsDefined; i++) {
        if (cd->MsgExitPtr)
            c.msgExits.push_back(Field((const char *)cd->MsgExitPtr + i * cd->ExitNameLength, cd->ExitNameLength));
        if (cd->MsgUserDataPtr)
            c.msgUserData.push_back(std::string((const char *)cd->MsgUserDataPtr + i * cd->ExitDataLength,
                                                cd->ExitDataLength));
    }
}

static void MQENTRY RecCONNX(PMQCHAR name, PMQVOID options, PMQHCONN h, PMQLONG cc, PMQLONG rc)
{
    MQCall c;
    c.verb = "MQCONNX";
    c.object = Field(name, 48);
    const MQCNO *cno = (const MQCNO *)options;
    if (cno) {
        c.cno = *cno;
        c.options = cno->Options;
        if (cno->ClientConnPtr) {
            c.hasCd = true;
            c.cd = *(const MQCD *)cno->ClientConnPtr;
            CopyExits(c, &c.cd);
        }
        if (cno->Version >= 5 && cno->SecurityParmsPtr) {
            c.hasCsp = true;
            c.csp = *cno->SecurityParmsPtr;
            c.cspUser.assign((const char *)c.csp.CSPUserIdPtr, (size_t)c.csp.CSPUserIdLength);
            c.cspPassword.assign((const char *)c.csp.CSPPasswordPtr, (size_t)c.csp.CSPPasswordLength);
        }
        if (cno->Version >= 4 && cno->SSLConfigPtr) {
            c.hasSco = true;
            c.sco = *cno->SSLConfigPtr;
        }
        if (cno->Version >= 6 && cno->CCDTUrlPtr)
            c.ccdtUrl.assign(cno->CCDTUrlPtr, (size_t)cno->CCDTUrlLength);
    }
    MQLONG reason = Injected(c.verb, c.object, MQHC_UNUSABLE_HCONN);
    if (reason)
        Fake(cc, rc, reason);
    else
        StandIn.MQCONNX(name, options, h, cc, rc);
    c.hconn = *h;
    c.cc = *cc;
    c.rc = *rc;
    if (*cc != MQCC_FAILED) {
        std::lock_guard<std::mutex> g(Rec.lock);
        connNames[*h] = c.object;
    }
    Keep(c);
}

static void MQENTRY RecDISC(PMQHCONN h, PMQLONG cc, PMQLONG rc)
{
    MQCall c;
    c.verb = "MQDISC";
    c.hconn = *h;
    StandIn.MQDISC(h, cc, rc);
    c.cc = *cc;
    c.rc = *rc;
    Keep(c);
}

static void MQENTRY RecOPEN(MQHCONN h, PMQVOID odp, MQLONG options, PMQHOBJ o, PMQLONG cc, PMQLONG rc)
{
    MQCall c;
    c.verb = "MQOPEN";
    c.hconn = h;
    c.options = options;
    MQOD *od = (MQOD *)odp;
    c.od = *od;
    c.object = od->ObjectType == MQOT_Q_MGR ? std::string("qmgr") : Field(od->ObjectName, 48);
    if (od->Version >= 4 && od->ObjectString.VSPtr)
        c.objectString.assign((const char *)od->ObjectString.VSPtr, (size_t)od->ObjectString.VSLength);
    MQLONG reason = Injected(c.verb, c.object, h);
    if (reason)
        Fake(cc, rc, reason);
    else
        StandIn.MQOPEN(h, odp, options, o, cc, rc);
    c.hobj = *o;
    c.cc = *cc;
    c.rc = *rc;
    if (*cc != MQCC_FAILED) {
        std::string name = od->ObjectType == MQOT_Q_MGR ? "qmgr" : Field(od->ObjectName, 48);
        std::lock_guard<std::mutex> g(Rec.lock);
        openNames[{h, *o}] = name;
    }
    Keep(c);
}

static void MQENTRY RecCLOSE(MQHCONN h, PMQHOBJ o, MQLONG options, PMQLONG cc, PMQLONG rc)
{
    MQCall c;
    c.verb = "MQCLOSE";
    c.hconn = h;
    c.hobj = *o;
    c.object = ObjectOf(h, *o);
    c.options = options;
    StandIn.MQCLOSE(h, o, options, cc, rc);
    c.cc = *cc;
    c.rc = *rc;
    Keep(c);
}

static void MQENTRY RecGET(MQHCONN h, MQHOBJ o, PMQVOID md, PMQVOID gmo, MQLONG length, PMQVOID buffer,
                           PMQLONG dataLength, PMQLONG cc, PMQLONG rc)
{
    MQCall c;
    c.verb = "MQGET";
    c.hconn = h;
    c.hobj = o;
    c.object = ObjectOf(h, o);
    c.length = length;
    c.options = ((MQGMO *)gmo)->Options;
    c.waitInterval = ((MQGMO *)gmo)->WaitInterval;
    c.tick = MQETick();
    MQLONG reason = Injected(c.verb, c.object, h);
    if (reason)
        Fake(cc, rc, reason);
    else
        StandIn.MQGET(h, o, md, gmo, length, buffer, dataLength, cc, rc);
    c.cc = *cc;
    c.rc = *rc;
    c.dataLength = reason ? 0 : *dataLength;
    c.md = *(MQMD *)md;
    uint64_t at = c.tick;
    Keep(c);
    std::lock_guard<std::mutex> g(Rec.lock);
    Rec.calls.back().tick = at;
}

static void MQENTRY RecPUT(MQHCONN h, MQHOBJ o, PMQVOID md, PMQVOID pmo, MQLONG length, PMQVOID buffer,
                           PMQLONG cc, PMQLONG rc)
{
    MQCall c;
    c.verb = "MQPUT";
    c.hconn = h;
    c.hobj = o;
    c.object = ObjectOf(h, o);
    c.length = length;
    c.pmo = *(MQPMO *)pmo;
    c.options = c.pmo.Options;
    if (buffer && length > 0)
        c.data.assign((const char *)buffer, (size_t)(length < 4096 ? length : 4096));
    MQLONG reason = Injected(c.verb, c.object, h);
    if (reason)
        Fake(cc, rc, reason);
    else
        StandIn.MQPUT(h, o, md, pmo, length, buffer, cc, rc);
    c.md = *(MQMD *)md;
    c.cc = *cc;
    c.rc = *rc;
    Keep(c);
}

/* MQINQ and MQSET share their parameters; an MQSET keeps its first
 * value, an MQINQ that worked passes its values to Rec.onInq. */
static void Attributes(const char *verb, MQINQ_FN call, MQHCONN h, MQHOBJ o, MQLONG count,
                       PMQLONG selectors, MQLONG intCount, PMQLONG ints, MQLONG charLength,
                       PMQCHAR chars, PMQLONG cc, PMQLONG rc)
{
    MQCall c;
    c.verb = verb;
    c.hconn = h;
    c.hobj = o;
    c.object = ObjectOf(h, o);
    bool set = call == StandIn.MQSET;
    c.options = set && intCount > 0 ? ints[0] : 0;
    MQLONG reason = Injected(c.verb, c.object, h);
    if (reason)
        Fake(cc, rc, reason);
    else
        call(h, o, count, selectors, intCount, ints, charLength, chars, cc, rc);
    if (!set && *cc != MQCC_FAILED && Rec.onInq)
        Rec.onInq(count, selectors, intCount, ints);
    c.cc = *cc;
    c.rc = *rc;
    Keep(c);
}

static void MQENTRY RecINQ(MQHCONN h, MQHOBJ o, MQLONG count, PMQLONG selectors, MQLONG intCount,
                           PMQLONG ints, MQLONG charLength, PMQCHAR chars, PMQLONG cc, PMQLONG rc)
{
    Attributes("MQINQ", StandIn.MQINQ, h, o, count, selectors, intCount, ints, charLength, chars, cc, rc);
}

static void MQENTRY RecSET(MQHCONN h, MQHOBJ o, MQLONG count, PMQLONG selectors, MQLONG intCount,
                           PMQLONG ints, MQLONG charLength, PMQCHAR chars, PMQLONG cc, PMQLONG rc)
{
    Attributes("MQSET", StandIn.MQSET, h, o, count, selectors, intCount, ints, charLength, chars, cc, rc);
}

static std::string ConnName(MQHCONN h)
{
    std::lock_guard<std::mutex> g(Rec.lock);
    auto it = connNames.find(h);
    return it == connNames.end() ? std::string() : it->second;
}

/* MQCMIT and MQBACK: recorded under the connection's queue manager. */
static void Settle(const char *verb, MQHCONN h, PMQLONG cc, PMQLONG rc, MQBACK_FN call)
{
    MQCall c;
    c.verb = verb;
    c.hconn = h;
    c.object = ConnName(h);
    MQLONG reason = Injected(c.verb, c.object, h);
    if (reason)
        Fake(cc, rc, reason);
    else
        call(h, cc, rc);
    c.cc = *cc;
    c.rc = *rc;
    Keep(c);
}

static void MQENTRY RecCMIT(MQHCONN h, PMQLONG cc, PMQLONG rc)
{
    Settle("MQCMIT", h, cc, rc, StandIn.MQCMIT);
}

static void MQENTRY RecBACK(MQHCONN h, PMQLONG cc, PMQLONG rc)
{
    Settle("MQBACK", h, cc, rc, StandIn.MQBACK);
}

static void InstallRecorder(void)
{
    MQIEntryTable t = StandIn;
    t.MQCONNX = RecCONNX;
    t.MQDISC = RecDISC;
    t.MQOPEN = RecOPEN;
    t.MQCLOSE = RecCLOSE;
    t.MQGET = RecGET;
    t.MQPUT = RecPUT;
    t.MQINQ = RecINQ;
    t.MQSET = RecSET;
    t.MQCMIT = RecCMIT;
    t.MQBACK = RecBACK;
    MQClientTable = t;
    MQServerTable = t;
}

/* ---- the clock ---- */

static uint64_t RealMs(void)
{
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return (uint64_t)duration_cast<milliseconds>(steady_clock::now() - start).count();
}

static void RealSleep(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

static int64_t startTime;

uint64_t TestClock::Running()
{
    std::lock_guard<std::mutex> g(lock);
    return base + (RealMs() - since) * scale;
}

void TestClock::SetScale(uint32_t n)
{
    std::lock_guard<std::mutex> g(lock);
    uint64_t now = RealMs();
    base += (now - since) * scale;
    since = now;
    scale = n;
}

void TestClock::Advance(int64_t ms)
{
    offsetMs += ms;
    std::lock_guard<std::mutex> g(lock);
    moved.notify_all();
}

void TestClock::Freeze()
{
    frozenAt = Running();
    frozen = true;
}

void TestClock::Manual()
{
    Freeze();
    manual = true;
}

void TestClock::Thaw()
{
    std::lock_guard<std::mutex> g(lock);
    if (!frozen)
        return;
    base = frozenAt;
    since = RealMs();
    manual = false;
    frozen = false;
    moved.notify_all();
}

/* Notes a sleep or wait the engine asked for. */
static void NoteAsked(uint32_t ms, bool wait)
{
    std::lock_guard<std::mutex> g(Clock.lock);
    Clock.asked[{wait, ms}]++;
    Clock.recent.push_back({CSGetThreadId(), ms, wait});
    if (Clock.recent.size() > 1000)
        Clock.recent.pop_front();
}

static size_t CountAsked(uint32_t ms, bool wait)
{
    std::lock_guard<std::mutex> g(Clock.lock);
    auto it = Clock.asked.find({wait, ms});
    return it == Clock.asked.end() ? 0 : it->second;
}

size_t TestClock::Sleeps(uint32_t ms)
{
    return CountAsked(ms, false);
}

size_t TestClock::Waits(uint32_t ms)
{
    return CountAsked(ms, true);
}

std::vector<uint32_t> TestClock::WaitsOf(uint32_t thread)
{
    std::lock_guard<std::mutex> g(lock);
    std::vector<uint32_t> out;
    for (const Asked &a : recent)
        if (a.wait && a.thread == thread)
            out.push_back(a.ms);
    return out;
}

/* A test's own clock: scale 100, the tick going on from where it
 * stands, nothing asked yet. */
void TestClock::Reset()
{
    Thaw();
    SetScale(100);
    std::lock_guard<std::mutex> g(lock);
    base += (uint64_t)offsetMs.exchange(0);
    asked.clear();
    recent.clear();
}

static uint64_t ClockTick(void *)
{
    uint64_t base = Clock.frozen ? Clock.frozenAt.load() : Clock.Running();
    return base + (uint64_t)Clock.offsetMs.load();
}

static int64_t ClockTime(void *ctx)
{
    return startTime + (int64_t)(ClockTick(ctx) / 1000);
}

static void ClockSleep(void *, uint32_t ms)
{
    if (Clock.manual) {
        /* its end reckoned before it is counted as asked: the test moves
           the clock once it sees the sleep asked, and a move made before
           the end was reckoned would lengthen the sleep by itself */
        uint64_t end = ClockTick(nullptr) + ms;
        NoteAsked(ms, false);
        std::unique_lock<std::mutex> g(Clock.lock);
        Clock.moved.wait(g, [end] { return !Clock.manual || ClockTick(nullptr) >= end; });
        return;
    }
    NoteAsked(ms, false);
    if (Clock.frozen) {
        Clock.Advance(ms);
        return;
    }
    /* a sleep lasts at least its engine time, however coarse the host's
     * sleeps are */
    uint64_t before = ClockTick(nullptr);
    uint64_t micros = (uint64_t)ms * 1000 / Clock.scale;
    if (micros)
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
    else
        std::this_thread::yield();
    uint64_t slept = ClockTick(nullptr) - before;
    if (slept < ms)
        Clock.Advance((int64_t)(ms - slept));
}

static uint32_t ClockWait(void *, uint32_t ms)
{
    NoteAsked(ms, true);
    if (!ms)
        return 0;
    uint32_t real = ms / Clock.scale;
    return real ? real : 1;
}

static const MQECLOCK testClock = { nullptr, ClockTime, ClockTick, ClockSleep, ClockWait };

bool WaitFor(std::function<bool()> done, uint32_t realMs)
{
    uint64_t until = RealMs() + realMs;
    while (!done()) {
        if (RealMs() > until)
            return done();
        RealSleep(2);
    }
    return true;
}

/* ---- the main window ---- */

void MainWindowPlay::Clear()
{
    std::lock_guard<std::mutex> g(lock);
    messages.clear();
    errors.clear();
    credentialRequests.clear();
    startGetThread = true;
    fillCredentials = true;
    user.clear();
    password.clear();
    keyPassword.clear();
    answer = 1;
}

size_t MainWindowPlay::Count(uint32_t message, QMS *location)
{
    std::lock_guard<std::mutex> g(lock);
    size_t n = 0;
    for (const PortMessage &m : messages)
        if (m.message == message && (!location || m.lParam == location))
            n++;
    return n;
}

std::vector<std::string> MainWindowPlay::Texts(uint32_t message)
{
    std::lock_guard<std::mutex> g(lock);
    std::vector<std::string> out;
    for (const PortMessage &m : messages)
        if (m.message == message)
            out.push_back(m.text);
    return out;
}

std::vector<std::string> MainWindowPlay::ErrorTexts(QMS *location)
{
    std::lock_guard<std::mutex> g(lock);
    std::vector<std::string> out;
    for (const PortError &e : errors)
        if (!location || e.location == location)
            out.push_back(e.text);
    return out;
}

static char *Dup(const std::string &s, const char *tag)
{
    char *b = (char *)CSGetMem(s.size() + 1, tag);
    memcpy(b, s.c_str(), s.size() + 1);
    return b;
}

/* The prompt's answer: the credentials, or nothing. */
static void AnswerCredentials(CREDREQUEST *ask)
{
    int held = 0;
    QMS *r = ask->location;
    PWCLock(&held);
    if (Main.fillCredentials) {
        if (ask->needUser) {
            CSFreeMemAndClear(&r->userId);
            CSFreeMemAndClear(&r->password);
            r->userId = Dup(Main.user, "USR");
            r->password = Dup(Main.password, "PWD");
        }
        if (ask->needKdb && r->kdbEntry)
            snprintf(((KDBS *)r->kdbEntry)->password, sizeof ((KDBS *)nullptr)->password, "%s",
                     Main.keyPassword.c_str());
    }
    std::atomic_ref<uint8_t>(r->credentialsPending).store(0);
    PWCUnlock(&held);
}

static int PortMessageIn(void *, void *window, uint32_t message, uintptr_t, void *lParam, int send)
{
    PortMessage m = { message, window, lParam, "", send };
    switch (message) {
    case FM_TEXT:
    case FM_TALK:
        m.text = (const char *)lParam;
        CSFreeMem(lParam);
        m.lParam = nullptr;
        break;
    case CRED_MSG_REQUEST: {
        CREDREQUEST ask = *(CREDREQUEST *)lParam;
        CSFreeMem(lParam);
        m.lParam = ask.location;
        {
            std::lock_guard<std::mutex> g(Main.lock);
            Main.credentialRequests.push_back(ask);
        }
        AnswerCredentials(&ask);
        break;
    }
    case FM_ASK: {
        MQEASK *ask = (MQEASK *)lParam;
        m.text = ask->text;
        std::atomic_ref<int32_t>(ask->answer).store(Main.answer);
        std::atomic_ref<int32_t>(ask->done).store(1);
        break;
    }
    case FM_PUT_CONNECTED:
        if (Main.startGetThread)
            StartGetThread((QMS *)lParam);
        break;
    }
    std::lock_guard<std::mutex> g(Main.lock);
    Main.messages.push_back(m);
    return 1;
}

static void PortErrorIn(void *, void *, QMS *location, uint32_t flags, const char *text)
{
    std::lock_guard<std::mutex> g(Main.lock);
    Main.errors.push_back({location, flags, text ? text : ""});
}

static const MQEPORT testPort = { nullptr, PortMessageIn, PortErrorIn };

void RecordPort(void)
{
    MQESetPort(&testPort);
}

/* ---- the agent ---- */

AgentLog Agent;

void AgentLog::Clear()
{
    std::lock_guard<std::mutex> g(lock);
    replies.clear();
    commands.clear();
    onCommand = nullptr;
}

size_t AgentLog::Replies()
{
    std::lock_guard<std::mutex> g(lock);
    return replies.size();
}

size_t AgentLog::Commands()
{
    std::lock_guard<std::mutex> g(lock);
    return commands.size();
}

static AgentCall Note(QMS *r, MQHCONN h, MQMD *md, void *data, int32_t length)
{
    AgentCall c = { r, h, *md, std::string(data ? (const char *)data : "", data ? (size_t)length : 0),
                    CSGetThreadId(), MQETick() };
    return c;
}

static int RecordReply(QMS *r, int32_t *stop, MQHCONN h, MQMD *md, void *data, int32_t length)
{
    {
        std::lock_guard<std::mutex> g(Agent.lock);
        Agent.replies.push_back(Note(r, h, md, data, length));
    }
    return AnalyseCommand(r, stop, h, md, data, length);
}

static int RecordCommand(QMS *r, int32_t *stop, MQHCONN h, MQMD *md, void *data, int32_t length)
{
    AgentCall c = Note(r, h, md, data, length);
    {
        std::lock_guard<std::mutex> g(Agent.lock);
        Agent.commands.push_back(c);
    }
    if (Agent.onCommand)
        Agent.onCommand(c);
    return ProcessCommand(r, stop, h, md, data, length);
}

void RecordAgent(void)
{
    MQEHooks.analyse = RecordReply;
    MQEHooks.process = RecordCommand;
}

/* ---- the fixture ---- */

void EngineTest::SetUp()
{
    static bool bound = false;
    if (!bound) {
        BindStandIn();
        bound = true;
        startTime = (int64_t)time(nullptr);
    }
    InstallRecorder();
    PrfSetDefaults();
    Rec.Clear();
    Main.Clear();
    Agent.Clear();
    Clock.Reset();
    MQESetClock(&testClock);
    MQESetPort(&testPort);
    MQEResetHooks();
    WireLibraries();             /* the program's loads, dumps, editor and exports */
    static std::atomic<int> n;
    std::filesystem::path base = std::filesystem::temp_directory_path() /
        ("ravolt-engine-" + std::to_string((long)
#ifdef _WIN32
        GetCurrentProcessId()
#else
        getpid()
#endif
        ) + "-" + std::to_string(n++));
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
    std::filesystem::create_directories(base, ec);
    home = base.string();
    SetEnv("RAVOLT_MQSIM_HOME", home.c_str());
}

static void StopWorker(uint32_t flag, uint32_t bit)
{
    if (!(MQEProgramState() & bit))
        return;
    ThreadRequest stop = {};
    stop.kind = TRK_END;
    PostThreadRequest(nullptr, nullptr, flag | TRF_KIND, &stop, nullptr, nullptr, 0);
    WaitFor([bit] { return !(MQEProgramState() & bit); }, 10000);
}

void EngineTest::TearDown()
{
    Clock.Thaw();                /* no engine thread sleeps on a stopped clock */
    Rec.letGo = true;            /* nor waits in a held call */
    Main.startGetThread = false;
    for (QMS *r : locations)
        Stop(r);
    StopWorker(TRF_ANALYSER, PS_ANALYSER);
    StopWorker(TRF_MESSAGE, PS_MESSAGE);
    Clock.SetScale(1000);
    MQEShutdown();
    for (QMS *r : locations)
        LocDelete(&LocTree, r, nullptr);
    LocFlushFreed();
    PWCResetState();             /* no key-database password outlives a test */
    locations.clear();
    for (MQHCONN h : own) {
        MQLONG cc, rc;
        StandIn.MQDISC(&h, &cc, &rc);
    }
    own.clear();
    ProgLock();
    while (ProgList)
        ProgRemove(ProgList);
    ProgUnlock();
    shutdownSim();
    MQESetPort(nullptr);
    MQEResetHooks();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

std::string EngineTest::Mqsc(const char *qmgr, const char *text, bool ok)
{
    std::string out(1 << 20, '\0');
    MQLONG failed = runMqsc((PMQCHAR)qmgr, (PMQCHAR)text, (MQLONG)out.size(), &out[0]);
    out.resize(strlen(out.c_str()));
    if (ok) {
        EXPECT_EQ(failed, 0) << out;
    }
    return out;
}

QMS *EngineTest::Location(const char *qm, uint32_t flags, int retry, int disconnect)
{
    QMS t;
    InitLocationDefaults(&t);
    snprintf(t.qmName, sizeof t.qmName, "%s", qm);
    snprintf(t.secondName, sizeof t.secondName, "TEST%zu", locations.size());
    t.flags |= flags;
    t.retryInterval = retry;
    t.disconnectInterval = disconnect;
    QMS *r = LocCreate(&LocTree, &t, 0);
    EXPECT_NE(r, nullptr);
    locations.push_back(r);
    return r;
}

void EngineTest::Connect(QMS *r)
{
    ASSERT_EQ(StartPutThread(r), 0);
    bool single = (r->flags & LF_SINGLE) != 0;
    ASSERT_TRUE(WaitFor([r, single] {
        /* the put side's start ends after its notices to the main window */
        return (MQEState(&r->putThread) & (TS_SETUP | TS_STARTING)) == TS_SETUP &&
               (single || (MQEState(&r->getThread) & TS_SETUP));
    })) << "put state " << MQEState(&r->putThread) << " get state " << MQEState(&r->getThread);
}

void EngineTest::Stop(QMS *r)
{
    for (int round = 0; round < 3; round++) {
        if (MQEState(&r->getThread)) {
            EndGetThread(r);
            WaitFor([r] { return !MQEState(&r->getThread); }, 5000);
        }
        if (MQEState(&r->getThread) && !(MQEState(&r->putThread) & TS_RUNNING)) {
            /* a get thread left without its put thread: its connection goes */
            MQHCONN h = std::atomic_ref<MQHCONN>(r->getThread.hConn).load();
            MQLONG cc, rc;
            StandIn.MQDISC(&h, &cc, &rc);
            WaitFor([r] { return !MQEState(&r->getThread); }, 5000);
        }
        if (MQEState(&r->putThread) && !MQEState(&r->getThread)) {
            MQESetState(&r->putThread, 0, TS_ENDREQ);
            EndPutThread(r, 0);
            WaitFor([r] { return !MQEState(&r->putThread); }, 5000);
        }
        if (!MQEState(&r->putThread) && !MQEState(&r->getThread))
            return;
    }
    ADD_FAILURE() << "threads of " << r->qmName << " did not end: put " << MQEState(&r->putThread)
                  << " get " << MQEState(&r->getThread);
}

MQHCONN EngineTest::Own(const char *qm)
{
    char name[48];
    memset(name, ' ', sizeof name);
    memcpy(name, qm, strlen(qm));
    MQCNO cno = {MQCNO_DEFAULT};
    MQHCONN h = MQHC_UNUSABLE_HCONN;
    MQLONG cc, rc;
    StandIn.MQCONNX(name, &cno, &h, &cc, &rc);
    EXPECT_EQ(rc, 0);
    own.push_back(h);
    return h;
}

int32_t PutRequestsWaiting(QMS *r)
{
    CSLockGlobal(CSLOCK_MEMORY);
    int32_t n = MQELocOf(r)->requests.count;
    CSUnlockGlobal(CSLOCK_MEMORY);
    return n;
}

MQHOBJ OpenOwn(MQHCONN h, const char *queue, MQLONG options)
{
    MQOD od = {MQOD_DEFAULT};
    memset(od.ObjectName, ' ', 48);
    memcpy(od.ObjectName, queue, strlen(queue));
    MQHOBJ o = MQHO_UNUSABLE_HOBJ;
    MQLONG cc, rc;
    StandIn.MQOPEN(h, &od, options, &o, &cc, &rc);
    EXPECT_EQ(rc, 0) << queue;
    return o;
}

MQLONG EngineTest::Depth(const char *qm, const char *queue)
{
    MQHCONN h = Own(qm);
    MQHOBJ o = OpenOwn(h, queue, MQOO_INQUIRE);
    MQLONG selector = MQIA_CURRENT_Q_DEPTH, depth = -1, cc, rc;
    StandIn.MQINQ(h, o, 1, &selector, 1, &depth, 0, nullptr, &cc, &rc);
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    return depth;
}

void EngineTest::Put(const char *qm, const char *queue, const std::string &data, MQMD *md)
{
    MQHCONN h = Own(qm);
    MQHOBJ o = OpenOwn(h, queue, MQOO_OUTPUT);
    MQMD dflt = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_NO_SYNCPOINT;
    MQLONG cc, rc;
    StandIn.MQPUT(h, o, md ? md : &dflt, &pmo, (MQLONG)data.size(), (PMQVOID)data.data(), &cc, &rc);
    EXPECT_EQ(rc, 0);
    StandIn.MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
}

void ShutdownStandIn(void)
{
    shutdownSim();
}

void StandInFaultAt(const char *verb, const char *qmgr, MQLONG nth, MQLONG count, MQLONG reason)
{
    faultAt((PMQCHAR)verb, (PMQCHAR)qmgr, nth, count, reason);
}

void StandInFault(const char *verb, MQLONG count, MQLONG reason, MQLONG delayMs)
{
    fault((PMQCHAR)verb, count, reason, delayMs);
}

std::vector<uint8_t> PcfCommand(int32_t command)
{
    MQCFH h = {MQCFH_DEFAULT};
    h.Command = command;
    std::vector<uint8_t> out(sizeof h);
    memcpy(out.data(), &h, sizeof h);
    return out;
}

void *Block(const void *data, size_t length)
{
    void *b = CSGetMem(length ? length : 1, "TESTBLOCK");
    if (length)
        memcpy(b, data, length);
    return b;
}

std::string Trim(const char *field, size_t size)
{
    return Field(field, size);
}
