/* Credentials: the worker's back-off, the requests waiting for the cache
 * password and their fallback, the dialogs' decisions, and connections
 * made by the engine to a stand-in queue manager that asks for a user id
 * and password, with a test frame that routes 11354, 11378 and 11379 on
 * this thread. */
#include "mqsim/simtest.h"
#include "pwcreds.h"
#include "cfgfile.h"
#include "locstore.h"
#include "prfdata.h"
#include "mq/mqbind.h"
#include "mqengine.h"
#include "cs.h"
#include "config/cfgtest.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <thread>

int SimChildMain(const char *, const char *)
{
    return 1;
}

namespace {

/* What the dialogs were asked to do, and what the prompt answers. */
struct Ui {
    std::vector<std::string> calls;
    std::string user = "app", password = "pw1";
    int accessOpens = 0;                /* the log-on dialog opens */
    int confirmYes = 0;
    std::vector<std::string> errors;
};
Ui ui;

void install_ui()
{
    PWCHOOKS h = {};
    h.userIdDialog = [](void *, QMS *r, int askUser, int askKdb) {
        ui.calls.push_back(std::string("prompt ") + r->qmName + (askKdb ? " kdb" : ""));
        CredPromptAccepted(r, askUser, askKdb, ui.user.c_str(), ui.password.c_str(), "kdbpw");
        CredPromptClosed(r);
    };
    h.accessDialog = [](void *, int cancel, int creation) {
        ui.calls.push_back(std::string("logon") + (cancel ? " cancel" : "") +
                           (creation ? " create" : ""));
        return ui.accessOpens;
    };
    h.confirm = [](void *, const char *) { return ui.confirmYes; };
    h.postError = [](void *, QMS *, const char *text) { ui.errors.push_back(text); };
    PWCSetHooks(&h);
}

QMS *add(const char *name, uint32_t flags = LF_USRP, const char *group = nullptr)
{
    QMS t;
    InitLocationDefaults(&t);
    snprintf(t.qmName, sizeof t.qmName, "%s", name);
    t.flags |= flags;
    if (group)
        CSStringSet(&t.securityGroup, group, -1);
    return LocCreate(&LocTree, &t, 0);
}

void forget(QMS *r)
{
    CSFreeMemAndClear(&r->userId);
    if (r->password) {
        CSFreeMem(r->password);
        r->password = nullptr;
    }
}

class Creds : public Sim {
public:
    std::string dir, file;
    std::mutex lock;
    std::deque<std::pair<uint32_t, void *>> posted;
    std::vector<uint32_t> routed;

    void SetUp() override
    {
        Sim::SetUp();
        dir = cfgtest::TempDir("pwcreds");
        file = dir + "/RAVOLT.PWC";
        PrfSetDefaults();
        Prf.po[3] |= PO4_USE_CACHE_FILE;
        snprintf(Prf.pwc, sizeof Prf.pwc, "%s", file.c_str());
        PWCResetState();
        PWCRefreshFileName();
        ui = Ui();
        install_ui();
        /* the engine's main-window messages are kept for Route */
        MQEPORT port = {};
        port.context = this;
        port.message = [](void *ctx, void *, uint32_t message, uintptr_t, void *block, int) {
            Creds *c = (Creds *)ctx;
            std::lock_guard<std::mutex> g(c->lock);
            c->posted.emplace_back(message, block);
            return 1;
        };
        MQESetPort(&port);
        /* the worker's waits short */
        MQECLOCK clock = {};
        clock.time = [](void *) { return (int64_t)time(nullptr); };
        clock.tick = [](void *) {
            using namespace std::chrono;
            return (uint64_t)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        };
        clock.sleep = [](void *, uint32_t) { CSSleep(1); };
        clock.wait = [](void *, uint32_t ms) { return ms; };
        MQESetClock(&clock);
        MQServerTable.MQCONN = MQCONN;
        MQServerTable.MQCONNX = MQCONNX;
        MQServerTable.MQDISC = MQDISC;
    }
    void TearDown() override
    {
        ui.accessOpens = 0;
        while (LocTree)
            LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
        LocFlushFreed();
        MQESetPort(nullptr);
        MQESetClock(nullptr);
        PWCSetHooks(nullptr);
        EXPECT_EQ(PWCPendingCount(), 0);    /* a deleted location's requests go with it */
        PWCResetState();
        Sim::TearDown();
    }
    /* The main frame's part of the exchange, on this thread. */
    int Route()
    {
        std::pair<uint32_t, void *> m;
        {
            std::lock_guard<std::mutex> g(lock);
            if (posted.empty())
                return 0;
            m = posted.front();
            posted.pop_front();
        }
        routed.push_back(m.first);
        if (m.first == CRED_MSG_REQUEST) {
            CREDREQUEST *rq = (CREDREQUEST *)m.second;
            PWCGetCredentials(rq->location, (int)rq->needUser, (int)rq->needKdb);
            CSFreeMem(rq);
        } else if (m.first == CRED_MSG_SAVE) {
            PWCSaveCredentials((QMS *)m.second);
        } else if (m.first == CRED_MSG_FORGET) {
            PWCDeleteCredentials((QMS *)m.second);
        }
        return 1;
    }
    /* Connects on a worker thread while this thread routes; the reason. */
    MQLONG ConnectOn(QMS *r)
    {
        std::atomic<int> done{0};
        MQLONG cc = 0, reason = 0;
        MQHCONN hc = MQHC_UNUSABLE_HCONN;
        std::thread worker([&] {
            MQIEntryTable *table;
            char text[300];
            ConnectMQ(r, &hc, &table, text, sizeof text, &cc, &reason);
            done = 1;
        });
        while (!done)
            if (!Route())
                CSSleep(1);
        worker.join();
        while (Route()) {
        }
        if (cc != 2) {
            MQLONG c2, r2;
            MQDISC(&hc, &c2, &r2);
        }
        return cc == 2 ? reason : 0;
    }
    int InCache(const char *qm, const char *group = nullptr)
    {
        PWCHND *h = nullptr;
        if (PWCOpen(file.c_str(), PWCCurrentPassword(), nullptr, nullptr, 0, 1, &h))
            return 0;
        char *u = nullptr, *p = nullptr;
        int rc = PWCFindEntry(h, qm, "RAVOLT", group, &u, &p);
        CSFreeMemAndClear(&u);
        CSFreeMemAndClear(&p);
        PWCClose(&h);
        return rc == 0;
    }
};

TEST(CredWait, BackOffSchedule)
{
    const struct { int64_t slept; uint32_t step; } rows[] = {
        { 0, 200 }, { 20000, 200 }, { 20001, 1000 }, { 40000, 1000 }, { 40001, 2000 },
        { 60001, 4000 }, { 120000, 4000 }, { 120001, 10000 }, { 300000, 10000 },
        { 300001, 20000 }, { 86400000, 20000 },
    };
    for (const auto &r : rows)
        EXPECT_EQ(CredWaitStep(r.slept), r.step) << r.slept;
}

TEST_F(Creds, PromptConnectCacheReconnectAndRefusal)
{
    Mqsc("QMCRED", "ALTER QMGR CUSTOM('SIMUSER(app) SIMPWD(pw1)')\n");
    ASSERT_EQ(PWCLogon("cachepw", "hint"), 0);
    QMS *r = add("QMCRED");
    EXPECT_EQ(ConnectOn(r), 0);
    EXPECT_EQ(ui.calls, std::vector<std::string>{ "prompt QMCRED" });
    EXPECT_TRUE(InCache("QMCRED"));
    /* a reconnect takes the cached credentials without a prompt */
    forget(r);
    ui.calls.clear();
    EXPECT_EQ(ConnectOn(r), 0);
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_STREQ(r->password, "pw1");
    /* with the cache file switched off in the preferences: the prompt again */
    Prf.po[3] &= ~(uint32_t)PO4_USE_CACHE_FILE;
    forget(r);
    ui.calls.clear();
    EXPECT_EQ(ConnectOn(r), 0);
    EXPECT_EQ(ui.calls, std::vector<std::string>{ "prompt QMCRED" });
    Prf.po[3] |= PO4_USE_CACHE_FILE;
    /* the queue manager's password changed: 2035 forgets the entry */
    Mqsc("QMCRED", "ALTER QMGR CUSTOM('SIMUSER(app) SIMPWD(pw2)')\n");
    forget(r);
    EXPECT_EQ(ConnectOn(r), 2035);
    EXPECT_EQ(routed.back(), (uint32_t)CRED_MSG_FORGET);
    EXPECT_FALSE(InCache("QMCRED"));
    EXPECT_EQ(r->password, nullptr);
    /* without a password nothing is forgotten; the prompt's Cancel ends
       the wait and the connection fails for want of one */
    ui.password = "";
    routed.clear();
    EXPECT_EQ(ConnectOn(r), 10);
    EXPECT_EQ(std::count(routed.begin(), routed.end(), (uint32_t)CRED_MSG_FORGET), 0);
}

TEST_F(Creds, SaveOnlyAfterSuccessAndAuthorisationFaults)
{
    Mqsc("QMSUC", "ALTER QMGR CUSTOM('SIMUSER(app) SIMPWD(pw1)')\n");
    ASSERT_EQ(PWCLogon("cachepw", "hint"), 0);
    QMS *r = add("QMSUC");
    r->flags2 |= LF2_USRSUC;
    ui.password = "wrong";
    EXPECT_EQ(ConnectOn(r), 2035);           /* typed, refused: never saved */
    EXPECT_FALSE(InCache("QMSUC"));
    forget(r);
    ui.password = "pw1";
    EXPECT_EQ(ConnectOn(r), 0);
    EXPECT_EQ(routed.back(), (uint32_t)CRED_MSG_SAVE);
    EXPECT_TRUE(InCache("QMSUC"));
    /* 2217 forgets as 2035 does */
    forget(r);
    MQSimFault((PMQCHAR) "MQCONNX", 1, 2217, 0);
    EXPECT_EQ(ConnectOn(r), 2217);
    EXPECT_FALSE(InCache("QMSUC"));
}

TEST_F(Creds, SecurityGroupSharesOneEntry)
{
    Mqsc("QMG1", "ALTER QMGR CUSTOM('SIMUSER(app) SIMPWD(pw1)')\n");
    Mqsc("QMG2", "ALTER QMGR CUSTOM('SIMUSER(app) SIMPWD(pw1)')\n");
    ASSERT_EQ(PWCLogon("cachepw", "hint"), 0);
    QMS *a = add("QMG1", LF_USRP, "SG"), *b = add("QMG2", LF_USRP, "SG");
    EXPECT_EQ(ConnectOn(a), 0);
    EXPECT_TRUE(InCache("ANY", "SG"));
    EXPECT_FALSE(InCache("QMG1"));
    EXPECT_STREQ(b->password, "pw1");       /* shared at once */
    forget(b);
    ui.calls.clear();
    EXPECT_EQ(ConnectOn(b), 0);              /* found by the group */
    EXPECT_TRUE(ui.calls.empty());
}

/* The log-on dialog cannot open: the waiting worker must not wait for
 * ever, so a get goes to the prompt at once and a save is dropped. */
TEST_F(Creds, NoLogonDialogFallsBackAtOnce)
{
    QMS *r = add("QMFB");
    /* no cache file and "no" to its creation */
    PWCGetCredentials(r, 1, 0);
    EXPECT_EQ(ui.calls, std::vector<std::string>{ "prompt QMFB" });
    EXPECT_EQ(PWCPendingCount(), 0);
    /* a file that is not a cache */
    cfgtest::Spit(file, "not a cache\n");
    ui.calls.clear();
    PWCGetCredentials(r, 1, 0);
    EXPECT_EQ(ui.calls, std::vector<std::string>{ "prompt QMFB" });
    EXPECT_FALSE(ui.errors.empty());
    PWCSaveCredentials(r);
    EXPECT_EQ(PWCPendingCount(), 0);
    /* locked out: straight to the prompt */
    remove(file.c_str());
    ASSERT_EQ(PWCLogon("cachepw", "hint"), 0);
    for (int i = 0; i < 4; i++)
        PWCLogon("bad", nullptr);
    ui.calls.clear();
    PWCGetCredentials(r, 1, 0);
    EXPECT_EQ(ui.calls, std::vector<std::string>{ "prompt QMFB" });
}

TEST_F(Creds, PendingRequestsRunInOrderOnce)
{
    ASSERT_EQ(PWCLogon("cachepw", "hint"), 0);
    QMS *a = add("QMA"), *b = add("QMB"), *c = add("QMC");
    CSFreeMemAndClear(&a->userId);
    for (QMS *r : { a, b }) {
        CredPromptAccepted(r, 1, 0, "u", "p", nullptr);   /* saved at once */
        CredPromptClosed(r);
    }
    ASSERT_TRUE(InCache("QMA"));
    forget(c);
    /* the cache password is asked for again: everything waits */
    PWCSetPassword("");
    ui.accessOpens = 1;
    PWCDeleteCredentials(a);
    PWCSaveCredentials(b);
    PWCGetCredentials(c, 1, 1);
    EXPECT_EQ(PWCPendingCount(), 3);
    EXPECT_EQ(ui.calls, (std::vector<std::string>{ "logon", "logon", "logon" }));
    /* the log-on closes without one: the get goes to the prompt, the
       others are dropped; the prompt's save waits for the next pass */
    ui.calls.clear();
    PWCRunPendingRequests();
    EXPECT_EQ(ui.calls, (std::vector<std::string>{ "prompt QMC kdb", "logon" }));
    EXPECT_EQ(PWCPendingCount(), 1);
    /* after a log-on they run in order of arrival */
    PWCDeleteCredentials(a);
    PWCSaveCredentials(c);
    forget(b);
    PWCGetCredentials(b, 1, 0);
    ASSERT_EQ(PWCLogon("cachepw", nullptr), 0);
    ui.calls.clear();
    PWCRunPendingRequests();
    EXPECT_TRUE(ui.calls.empty());           /* b came from the cache */
    EXPECT_STREQ(b->password, "p");
    EXPECT_FALSE(InCache("QMA"));
    EXPECT_TRUE(InCache("QMC"));
    /* a request queued during a pass waits for the next one */
    PWCSetPassword("wrong");
    forget(b);
    PWCGetCredentials(b, 1, 0);              /* 1003: asks for the password again */
    EXPECT_EQ(PWCPendingCount(), 1);
    PWCSetPassword("wrong");
    PWCRunPendingRequests();
    EXPECT_EQ(PWCPendingCount(), 1);
}

TEST_F(Creds, WaitEndsWithTheThread)
{
    QMS *r = add("QMSTOP");
    const char *user, *pw;
    std::atomic<int> result{-1};
    std::thread worker([&] { result = RequestCredentials(r, &user, &pw); });
    while (true) {
        std::lock_guard<std::mutex> g(lock);
        if (!posted.empty())
            break;
    }
    r->threadStop = 1;                       /* nobody answers; the thread is asked to end */
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(r->credentialsPending, 0);
    std::lock_guard<std::mutex> g(lock);
    CSFreeMem(posted.front().second);
    posted.clear();
}

/* ---- the dialogs' decisions ----------------------------------------------- */

TEST_F(Creds, AccessAndSetPasswordDecisions)
{
    char status[PWC_TEXT_MAX];
    int clear, sound;
    EXPECT_EQ(PWCAccessDecide(0, nullptr, nullptr), -1);       /* no file, no offer */
    auto no = [](void *, const char *) { return 0; };
    auto yes = [](void *, const char *q) -> int {
        return strstr(q, "does not exist - do you want to create it?") != nullptr;
    };
    EXPECT_EQ(PWCAccessDecide(1, no, nullptr), -1);
    EXPECT_EQ(PWCAccessDecide(1, yes, nullptr), 1);
    EXPECT_EQ(PWCSetDecide(), 1);                             /* no file: the log-on */
    /* creation */
    EXPECT_EQ(PWCAccessOk(1, "abc", "abd", "h", status, &clear, &sound), 1);
    EXPECT_STREQ(status, "Password fields do not match");
    EXPECT_EQ(clear, 2);
    EXPECT_EQ(PWCAccessOk(1, "abc", "abc", "my hint", status, &clear, &sound), 0);
    EXPECT_TRUE(PWCIsOpen());
    EXPECT_EQ(PWCAccessDecide(1, no, nullptr), 0);
    EXPECT_EQ(PWCSetDecide(), 0);
    /* log-on: three wrong tries show the count, the fourth locks out */
    for (int left = 3; left >= 1; left--) {
        EXPECT_EQ(PWCAccessOk(0, "bad", "", "", status, &clear, &sound), 1);
        EXPECT_EQ(std::string(status),
                  "Incorrect password. " + std::to_string(left) + " attempts remaining");
        EXPECT_EQ(clear, 1);
        EXPECT_EQ(sound, 1);
    }
    EXPECT_EQ(PWCAccessOk(0, "bad", "", "", status, &clear, &sound), 0);   /* closes */
    EXPECT_FALSE(PWCIsEnabled());
    EXPECT_EQ(PWCSetDecide(), -1);
    PWCResetState();
    /* set password */
    EXPECT_EQ(PWCSetOk("abc", "new", "nex", "", status, &clear, &sound), 1);
    EXPECT_EQ(clear, 2);
    EXPECT_EQ(PWCSetOk("bad", "new", "new", "", status, &clear, &sound), 1);
    EXPECT_STREQ(status, "Incorrect password. 3 attempts remaining");
    EXPECT_EQ(PWCSetOk("abc", "new", "new", "new hint", status, &clear, &sound), 0);
    EXPECT_STREQ(PWCCurrentPassword(), "new");
    EXPECT_EQ(PWCAttemptsLeft(), 4);
}

TEST_F(Creds, PromptTexts)
{
    QMS *r = add("QMTXT");
    EXPECT_EQ(CredPromptLines(1, 1), 18);
    EXPECT_EQ(CredPromptLines(1, 0), 14);
    EXPECT_EQ(CredPromptLines(0, 1), 11);
    EXPECT_EQ(CredPromptNote(r), nullptr);
    r->flags2 |= LF2_UCPW;
    EXPECT_STREQ(CredPromptNote(r), "Note: Password is uppercased");
    r->flags2 |= LF2_UCUSER;
    EXPECT_STREQ(CredPromptNote(r), "Note: Both UserId and Password are uppercased");
    r->flags2 &= ~LF2_UCPW;
    EXPECT_STREQ(CredPromptNote(r), "Note: UserId is uppercased");
    /* the key-database password goes into the location's entry */
    KDBS *kdb = nullptr;
    KDBFind("/k/key.kdb", &kdb, 1);
    r->kdbEntry = kdb;
    CredPromptAccepted(r, 0, 1, nullptr, nullptr, "kdb-secret");
    EXPECT_STREQ(kdb->password, "kdb-secret");
}

}  // namespace
