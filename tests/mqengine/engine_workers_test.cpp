/* The command agent's worker threads and units of work: the analyser's
 * rebuilds, version checks and start-up import (and a version check
 * where none is wired); the message thread
 * waiting for its connection; committing and backing out the units of
 * work of several connections; and the connection lock that keeps a
 * message command's unit of work apart from a put dialog's. */
#include "enginetest.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "cs.h"
#include "prfdata.h"

namespace {

std::mutex seenLock;
std::vector<void *> rebuilt;
int versionChecks, imports;

struct ErrorAnswer {
    int32_t command, reason, parmId;
    std::string text;
};
std::vector<ErrorAnswer> errorAnswers;

int RecordErrorAnswer(QMS *, int32_t, MQACTION *, MQHCONN, void **, int32_t command, MQMD *, int32_t reason,
                      int32_t, int32_t, int32_t parmId, intptr_t value)
{
    std::lock_guard<std::mutex> g(seenLock);
    ErrorAnswer a = { command, reason, parmId, "" };
    if (parmId == 10050 || parmId == 10084)
        a.text = (const char *)value;
    errorAnswers.push_back(a);
    return 0;
}

int Post(QMS *r, uint32_t flags, const ThreadRequest *templ = nullptr)
{
    std::vector<uint8_t> msg = PcfCommand(10002);
    void *block = Block(msg.data(), msg.size());
    int rc = PostThreadRequest(r, nullptr, flags, templ, nullptr, block, (uint32_t)msg.size());
    if (rc)
        CSFreeMem(block);
    return rc;
}

/* Puts one message under syncpoint through a table. */
void PutUnderSyncpoint(MQIEntryTable *t, MQHCONN h, const char *queue, const char *text)
{
    MQOD od = {MQOD_DEFAULT};
    memset(od.ObjectName, ' ', 48);
    memcpy(od.ObjectName, queue, strlen(queue));
    MQHOBJ o;
    MQLONG cc, rc;
    t->MQOPEN(h, &od, MQOO_OUTPUT, &o, &cc, &rc);
    ASSERT_EQ(rc, 0);
    MQMD md = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_SYNCPOINT;
    t->MQPUT(h, o, &md, &pmo, (MQLONG)strlen(text), (PMQVOID)text, &cc, &rc);
    ASSERT_EQ(rc, 0);
    t->MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
}

std::vector<std::string> CommitOrder(const char *verb)
{
    std::vector<std::string> out;
    for (const MQCall &c : Rec.Of(verb))
        out.push_back(c.object);
    return out;
}

/* On a manual clock: the sleeps of ms after the first seen sleeps pass
 * one by one, each once a thread has begun it, until done() holds or n
 * have passed; how many passed. */
int PassSleeps(uint32_t ms, size_t seen, int n, std::function<bool()> done)
{
    for (int i = 0; i < n; i++) {
        if (!WaitFor([&] { return Clock.Sleeps(ms) > seen + i || done(); }))
            return -1;
        if (done())
            return i;
        Clock.Advance(ms);
    }
    return n;
}

}  // namespace

void EngAnalyserStart(void);

TEST_F(EngineTest, AnalyserRebuildsChecksVersionsAndImportsAtStart)
{
    rebuilt.clear();
    versionChecks = imports = 0;
    MQEHooks.qlistBuild = [](void *frame) {
        std::lock_guard<std::mutex> g(seenLock);
        rebuilt.push_back(frame);
        return 0;
    };
    MQEHooks.verCheckRun = [](ThreadRequest *request) {
        EXPECT_EQ(request->kind, (uint32_t)TRK_VERCHECK);
        versionChecks++;
        return 0;
    };
    MQEHooks.importLocal = [](int interactive) {
        EXPECT_EQ(interactive, 0);
        imports++;
    };
    Prf.po[3] |= 0x100;
    Clock.SetScale(1000);                      /* the analyser's 300-second waits last 0.3 s */
    MQEFRAMELINK main = {}, second = {};
    main.next = &second;
    main.rebuildPending = 1;
    MQEFrames = &main;
    MQERebuildAgain = 1;
    ASSERT_EQ(StartAnalyserThread(), 0);
    AnalyserRefresh(nullptr);
    AnalyserRefresh(nullptr);                  /* the flag is already clear */
    ASSERT_TRUE(WaitFor([] { std::lock_guard<std::mutex> g(seenLock); return rebuilt.size() == 1; }));
    EXPECT_EQ(rebuilt[0], (void *)&main);
    EXPECT_EQ(main.rebuildPending, 0u);
    EXPECT_EQ(MQERebuildAgain, 0u);
    second.rebuildPending = 1;
    main.rebuildPending = 1;
    AnalyserRefresh(&second);                  /* only the one given */
    ASSERT_TRUE(WaitFor([] { std::lock_guard<std::mutex> g(seenLock); return rebuilt.size() == 2; }));
    EXPECT_EQ(rebuilt[1], (void *)&second);
    EXPECT_EQ(main.rebuildPending, 1u);
    EXPECT_EQ(imports, 1);

    /* 300-second waits come and go; a version check is still served.
       Two waits begun with nothing queued: the first ended by its time-out */
    size_t waits = Clock.Waits(300000);
    ASSERT_TRUE(WaitFor([waits] { return Clock.Waits(300000) >= waits + 2; }));
    ThreadRequest check = {};
    check.kind = TRK_VERCHECK;
    ASSERT_EQ(Post(nullptr, TRF_ANALYSER | TRF_KIND, &check), 0);
    ASSERT_TRUE(WaitFor([] { return versionChecks == 1; }));

    /* where the program installed neither piece: a rebuild goes without
       the builder, a version check says it is not available */
    MQEHooks.qlistBuild = nullptr;
    MQEHooks.verCheckRun = nullptr;
    main.rebuildPending = 1;
    AnalyserRefresh(&main);
    check.resultWindow = &check;
    ASSERT_EQ(Post(nullptr, TRF_ANALYSER | TRF_KIND | TRF_MSGINFO, &check), 0);
    ASSERT_TRUE(WaitFor([] { return Main.Count(FM_TEXT) == 1; }));
    EXPECT_EQ(Main.Texts(FM_TEXT), std::vector<std::string>({ "The version check is not available in this build" }));
    EXPECT_EQ(Main.messages.back().window, (void *)&check);
    EXPECT_EQ(main.rebuildPending, 0u);
    EXPECT_EQ(versionChecks, 1);
    MQEFrames = nullptr;

    /* a start without the preference imports nothing */
    Prf.po[3] &= ~(uint32_t)PO4_IMPORT_LOCAL;
    EngAnalyserStart();
    EXPECT_EQ(imports, 1);
}

TEST_F(EngineTest, MessageCommandsWaitForTheirConnection)
{
    RecordAgent();
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Mqsc("QM2", "DEFINE QLOCAL(APP.Q)");
    ASSERT_EQ(StartMessageThread(), 0);

    /* queued while connecting: runs once connected, on that connection.
       Engine time passes only as the test lets it: ten of the command's
       twenty seconds, then the connection is made, then one more step */
    Clock.Manual();
    QMS *r = Location("QM1");
    static std::atomic<bool> connect;
    connect = false;
    Rec.Hold("MQCONNX", "QM1", [] { return connect.load(); });
    size_t rounds = Clock.Sleeps(250);
    ASSERT_EQ(Post(r, TRF_MESSAGE), 0);
    ASSERT_EQ(PassSleeps(250, rounds, 40, [] { return Agent.Commands() > 0; }), 40);
    connect = true;
    ASSERT_TRUE(WaitFor([r] { return (MQEState(&r->putThread) & TS_SETUP) != 0; }));
    EXPECT_EQ(Agent.Commands(), 0u);
    ASSERT_EQ(PassSleeps(250, rounds + 40, 1, [] { return Agent.Commands() > 0; }), 1);
    ASSERT_TRUE(WaitFor([] { return Agent.Commands() == 1; }));
    EXPECT_EQ(Agent.commands[0].hconn, r->putThread.hConn);
    EXPECT_NE(Agent.commands[0].hconn, MQHC_UNUSABLE_HCONN);
    EXPECT_GE(Agent.commands[0].tick, Rec.Of("MQCONNX", "QM1")[0].tick);

    /* an unknown kind is dropped, the next request served */
    ThreadRequest odd = {};
    odd.kind = 5;
    ASSERT_EQ(Post(r, TRF_MESSAGE | TRF_KIND, &odd), 0);
    ASSERT_EQ(Post(r, TRF_MESSAGE), 0);
    ASSERT_TRUE(WaitFor([] { return Agent.Commands() == 2; }));

    /* a connection that takes too long: the command runs after its twenty
       seconds (the connection is made only once it has) */
    QMS *slow = Location("QM2");
    Rec.Hold("MQCONNX", "QM2", [] { return Agent.Commands() == 3; });
    uint64_t posted = MQETick();
    rounds = Clock.Sleeps(250);
    ASSERT_EQ(Post(slow, TRF_MESSAGE), 0);
    EXPECT_EQ(PassSleeps(250, rounds, 100, [] { return Agent.Commands() == 3; }), 80);
    ASSERT_TRUE(WaitFor([] { return Agent.Commands() == 3; }));
    EXPECT_EQ(Agent.commands[2].tick - posted, 20000u);
    EXPECT_EQ(Agent.commands[2].hconn, MQHC_UNUSABLE_HCONN);
    ASSERT_TRUE(WaitFor([slow] { return (MQEState(&slow->putThread) & TS_SETUP) != 0; }));

    /* a connection that fails: dropped, though the thread retries */
    Clock.Thaw();
    QMS *gone = Location("QM9", 0, 30);
    ASSERT_EQ(Post(gone, TRF_MESSAGE), 0);
    ASSERT_TRUE(WaitFor([gone] { return (MQEState(&gone->putThread) & TS_RETRYING) != 0; }));
    ASSERT_EQ(Post(r, TRF_MESSAGE), 0);        /* behind it in the queue */
    ASSERT_TRUE(WaitFor([] { return Agent.Commands() == 4; }));
    EXPECT_EQ(Agent.commands[3].location, r);
}

TEST_F(EngineTest, UnitsOfWorkAreCommittedTogetherOtherConnectionsFirst)
{
    errorAnswers.clear();
    MQEHooks.errorResponse = RecordErrorAnswer;
    Mqsc("QMA", "DEFINE QLOCAL(APP.Q)");
    Mqsc("QMB", "DEFINE QLOCAL(APP.Q)");
    QMS *a = Location("QMA");
    QMS *b = Location("QMB");
    Connect(a);
    Connect(b);
    MQMD request = {MQMD_DEFAULT};
    MQACTION act = {};
    act.location = a;
    act.command = 10008;
    act.requestMD = &request;
    MQELockConnection(a, MQE_PUTSIDE);
    act.hconn = MQEConnection(a, MQE_PUTSIDE, &act.table, &act.cache);
    UOW *u = FindUOW(&act, b, b->putThread.hConn);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(FindUOW(&act, b, b->putThread.hConn), u);
    EXPECT_EQ(u->table, &MQServerTable);
    EXPECT_EQ(u->cache, &MQELocOf(b)->cache[0]);

    PutUnderSyncpoint(act.table, act.hconn, "APP.Q", "on A");
    PutUnderSyncpoint(u->table, u->hconn, "APP.Q", "on B");
    act.pending = u->pending = 1;
    Rec.Clear();
    EXPECT_EQ(CommitAllUOW(&act), 0);
    EXPECT_EQ(CommitOrder("MQCMIT"), (std::vector<std::string>{"QMB", "QMA"}));
    EXPECT_EQ(Depth("QMA", "APP.Q"), 1);
    EXPECT_EQ(Depth("QMB", "APP.Q"), 1);
    EXPECT_EQ(act.pending + u->pending, 0);

    /* the other queue manager's commit fails: answered, A stays pending */
    PutUnderSyncpoint(act.table, act.hconn, "APP.Q", "second on A");
    act.pending = u->pending = 1;
    Rec.Clear();
    Rec.Fail("MQCMIT", "QMB", MQRC_BACKED_OUT);
    EXPECT_EQ(CommitAllUOW(&act), MQRC_BACKED_OUT);
    EXPECT_EQ(CommitOrder("MQCMIT"), std::vector<std::string>{"QMB"});
    ASSERT_EQ(errorAnswers.size(), 1u);
    EXPECT_EQ(errorAnswers[0].reason, MQRC_BACKED_OUT);
    EXPECT_EQ(errorAnswers[0].command, 10008);
    EXPECT_EQ(act.pending, 1);

    /* backing out walks every unit, failures and all */
    Rec.Fail("MQBACK", "QMB", MQRC_CONNECTION_BROKEN);
    EXPECT_EQ(BackoutAllUOW(&act), 0);
    EXPECT_EQ(CommitOrder("MQBACK"), (std::vector<std::string>{"QMB", "QMA"}));
    EXPECT_EQ(act.pending + u->pending, 0);
    EXPECT_EQ(Depth("QMA", "APP.Q"), 1);

    /* no storage for a unit: reason 2071 with its text as an error */
    MQACTION other = act;
    other.units = nullptr;
    CSMemFailTag("UOW", 1);
    EXPECT_EQ(FindUOW(&other, b, b->putThread.hConn), nullptr);
    ASSERT_EQ(errorAnswers.size(), 2u);
    EXPECT_EQ(errorAnswers[1].reason, MQRC_STORAGE_NOT_AVAILABLE);
    EXPECT_EQ(errorAnswers[1].parmId, 10050);
    EXPECT_EQ(errorAnswers[1].text, "Unable to allocate storage");

    /* the units let go of the other connection's lock */
    FreeAllUOW(&act);
    EXPECT_EQ(act.units, nullptr);
    bool taken = false;
    std::thread t([&] {
        taken = MQELockConnection(b, MQE_PUTSIDE) != 0;
        MQEUnlockConnection(b, MQE_PUTSIDE);
    });
    t.join();
    EXPECT_TRUE(taken);
    MQEUnlockConnection(a, MQE_PUTSIDE);
}

TEST_F(EngineTest, APutDialogNeverCommitsAMessageCommandsWork)
{
    RecordAgent();
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QM1");
    Connect(r);
    ASSERT_EQ(StartMessageThread(), 0);
    static std::atomic<bool> commandPut, dialogPosted;
    commandPut = dialogPosted = false;
    Agent.onCommand = [](const AgentCall &c) {
        MQIEntryTable *t;
        MQHCONN h = MQEConnection(c.location, MQE_PUTSIDE, &t, nullptr);
        for (int i = 0; i < 3; i++)
            PutUnderSyncpoint(t, h, "APP.Q", "command's");
        commandPut = true;
        WaitFor([] { return dialogPosted.load(); });
        /* the put thread has taken the dialog's request: one that did not
           wait for the connection's lock would put and commit from here on.
           Nothing marks a thread blocked on the lock, so such a commit is
           caught when it comes before the back-out below */
        WaitFor([r = c.location] { return PutRequestsWaiting(r) == 0; });
        MQLONG cc, rc;
        t->MQBACK(h, &cc, &rc);
    };
    ASSERT_EQ(Post(r, TRF_MESSAGE), 0);
    ASSERT_TRUE(WaitFor([] { return commandPut.load(); }));
    ThreadRequest t = {};
    strcpy(t.qmName, "QM1");
    strcpy(t.queueName, "APP.Q");
    t.count = 2;
    t.syncpoint = 1;
    void *data = Block("dialog's", 8);
    ASSERT_EQ(PostThreadRequest(r, nullptr, TRF_MSGINFO, &t, nullptr, data, 8), 0);
    dialogPosted = true;
    ASSERT_TRUE(WaitFor([] { return Main.Count(FM_TEXT) == 1; }));
    EXPECT_EQ(Main.Texts(FM_TEXT)[0].rfind("2 messages put in ", 0), 0u);
    EXPECT_EQ(Depth("QM1", "APP.Q"), 2);
    /* the dialog's puts began only after the command had backed out */
    std::vector<std::string> order;
    {
        std::lock_guard<std::mutex> g(Rec.lock);
        for (const MQCall &c : Rec.calls)
            if (c.verb == "MQBACK" || c.verb == "MQCMIT" || (c.verb == "MQPUT" && c.object == "APP.Q"))
                order.push_back(c.verb + (c.data.empty() ? "" : " " + c.data));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"MQPUT command's", "MQPUT command's", "MQPUT command's",
                                                "MQBACK", "MQPUT dialog's", "MQPUT dialog's", "MQCMIT"}));
}
