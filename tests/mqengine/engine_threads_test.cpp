/* A location's put and get threads against the stand-in: setting up,
 * replies through the get thread, retries and idle ends, single-mode
 * polls, failures of the reply queue and of command puts. */
#include "enginetest.h"

#include <algorithm>
#include <cstring>

#include "cs.h"
#include "prfdata.h"

namespace {

MQELOC *Engine(QMS *r)
{
    return MQELocOf(r);
}

/* A command to the location's own reply queue (a PCF message of the
 * given code, padded to length). */
void ToOwnReplyQueue(QMS *r, int32_t command, size_t length, uint8_t keyByte)
{
    std::vector<uint8_t> msg = PcfCommand(command);
    msg.resize(length < msg.size() ? msg.size() : length, 'x');
    uint8_t key[24];
    memset(key, keyByte, sizeof key);
    ASSERT_EQ(PostThreadRequest(r, nullptr, TRF_REPLYQ, nullptr, key, Block(msg.data(), msg.size()),
                                (uint32_t)msg.size()), 0);
}

bool HasText(const std::vector<std::string> &texts, const std::string &part)
{
    for (const std::string &t : texts)
        if (t.find(part) != std::string::npos)
            return true;
    return false;
}

}  // namespace

TEST(EngineNames, DynamicQueueNames)
{
    char out[49];
    MakeDynamicName("RAVOLT.%u.*", "John Smith", out);
    EXPECT_STREQ(out, "RAVOLT.John_Smith.*");
    MakeDynamicName(nullptr, "mq user", out);
    EXPECT_STREQ(out, "RAVOLT.mq_user.*");
    MakeDynamicName("A%%B#%x*", "u", out);
    EXPECT_STREQ(out, "A%B_x*");
    MakeDynamicName("VERY.LONG.PREFIX.%u.*", "abcdefghijklmnopqrstuvwxyz0123456789", out);
    EXPECT_EQ(strlen(out), 48u);
    /* the user's name as the system gives it, or in upper case */
    const uint32_t po = Prf.po[0];
    std::string upper = CSGetUserName();
    for (char &c : upper)
        c = (char)toupper((unsigned char)c);
    ASSERT_NE(upper, CSGetUserName());
    for (uint32_t option : { 0u, (uint32_t)PO1_UPPER_USER_NAMES }) {
        Prf.po[0] = (po & ~(uint32_t)PO1_UPPER_USER_NAMES) | option;
        DynQueueUserNameReset();
        EXPECT_EQ(DynQueueUserName(), option ? upper : std::string(CSGetUserName()));
    }
    Prf.po[0] = po;
    DynQueueUserNameReset();
}

TEST_F(EngineTest, ConnectingSetsUpBothSidesAndTellsTheMainWindow)
{
    RecordAgent();
    QMS *r = Location("QM1");
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Connect(r);
    MQELOC *e = Engine(r);
    char user[49];
    MakeDynamicName(nullptr, DynQueueUserName(), user);
    std::string prefix(user, strlen(user) - 1);
    EXPECT_EQ(std::string(e->replyQ).substr(0, prefix.size()), prefix) << e->replyQ;
    EXPECT_GT(strlen(e->replyQ), prefix.size());
    EXPECT_STREQ(e->objectQMgr, "QM1");
    EXPECT_EQ(e->maxUncommitted, 10000);
    /* the get side tells the main window just after it is set up */
    WaitFor([r] { return Main.Count(FM_GET_CONNECTED, r) >= 1 && Main.Count(FM_STATE, r) >= 2; });
    EXPECT_EQ(Main.Count(FM_PUT_CONNECTED, r), 1u);
    EXPECT_EQ(Main.Count(FM_GET_CONNECTED, r), 1u);
    EXPECT_GE(Main.Count(FM_STATE, r), 2u);
    EXPECT_EQ(Rec.Count("MQCONNX"), 2u);
    EXPECT_FALSE(r->status & (LS_UNAVAILABLE | LS_UNKNOWN));
    EXPECT_EQ(MQEState(&r->putThread) & (TS_RUNNING | TS_CONNECTED | TS_SETUP | TS_STARTING),
              TS_RUNNING | TS_CONNECTED | TS_SETUP);

    /* a reply of 10000 bytes is read again into a buffer of 10010 */
    ToOwnReplyQueue(r, 1234, 10000, 0x11);
    ASSERT_TRUE(WaitFor([] { return Agent.Replies() == 1; }));
    EXPECT_EQ(Agent.replies[0].data.size(), 10000u);
    EXPECT_EQ(Agent.replies[0].md.MsgId[0], 0x11);
    EXPECT_EQ(Agent.replies[0].hconn, r->getThread.hConn);
    std::vector<MQCall> gets;
    for (const MQCall &c : Rec.Of("MQGET", e->replyQ))
        if (c.rc != MQRC_NO_MSG_AVAILABLE)       /* a wait that ran out before the reply came */
            gets.push_back(c);
    ASSERT_GE(gets.size(), 2u);
    EXPECT_EQ(gets[0].length, 4086);
    EXPECT_EQ(gets[0].rc, MQRC_TRUNCATED_MSG_FAILED);
    EXPECT_EQ(gets[1].length, 10000);
    EXPECT_EQ(gets[1].rc, 0);

    /* the commands run under the user the queue manager filled in */
    std::vector<MQCall> puts = Rec.Of("MQPUT", e->replyQ);
    ASSERT_EQ(puts.size(), 1u);
    EXPECT_EQ(std::string(e->userIdentifier, 12), std::string(puts[0].md.UserIdentifier, 12));
    EXPECT_EQ(puts[0].md.MsgType, MQMT_REQUEST);
    EXPECT_EQ(puts[0].md.Expiry, MQEI_UNLIMITED);
    EXPECT_EQ(Trim(puts[0].md.ReplyToQ, 48), e->replyQ);
    EXPECT_EQ(Trim(puts[0].md.Format, 8), "MQADMIN");

    /* EndGetThread: MYCMD_STOP_SVR through the reply queue ends the loop */
    ASSERT_EQ(EndGetThread(r), 0);
    /* its end told to the main window after its state is cleared */
    ASSERT_TRUE(WaitFor([r] { return MQEState(&r->getThread) == 0 && Main.Count(FM_GET_ENDED, r) > 0; }));
    EXPECT_EQ(Main.Count(FM_GET_ENDED, r), 1u);
    EXPECT_EQ(Rec.Of("MQPUT", e->replyQ).back().md.Expiry, 150);
    EXPECT_TRUE(MQEState(&r->putThread) & TS_CONNECTED);
}

TEST_F(EngineTest, NoUncommittedLimitMeansOneHundred)
{
    Rec.onInq = [](MQLONG count, const MQLONG *selectors, MQLONG intCount, MQLONG *ints) {
        for (MQLONG i = 0, n = 0; i < count; i++)
            if (selectors[i] >= 1 && selectors[i] < 2000 && n < intCount) {
                if (selectors[i] == MQIA_MAX_UNCOMMITTED_MSGS)
                    ints[n] = 0;
                n++;
            }
    };
    QMS *r = Location("QM1");
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Main.startGetThread = false;
    EXPECT_EQ(InitialiseMQ(r, &r->putThread.hConn, nullptr, nullptr, MQE_PUTSIDE), 0);
    EXPECT_EQ(Engine(r)->maxUncommitted, 100);
    CloseQueueAndReset(r, &r->putThread.hConn, 0, MQE_PUTSIDE);
    EXPECT_FALSE(MQEState(&r->putThread) & TS_CONNECTED);
    EXPECT_STREQ(Engine(r)->replyQ, "");
}

TEST_F(EngineTest, FailedConnectionsAreRetriedButNotWithinFourSeconds)
{
    /* the tick moves only as the test moves it: no real millisecond
       between the calls counts as a hundred engine ones */
    Clock.Freeze();
    QMS *once = Location("QM9");
    EXPECT_EQ(InitialiseMQ(once, &once->putThread.hConn, nullptr, nullptr, MQE_PUTSIDE),
              MQRC_Q_MGR_NOT_AVAILABLE);
    EXPECT_TRUE(once->status & LS_UNAVAILABLE);
    EXPECT_TRUE(HasText(Main.ErrorTexts(once), "Error connecting to 'QM9' RC(2059)"));
    Clock.Advance(3900);
    EXPECT_EQ(InitialiseMQ(once, &once->putThread.hConn, nullptr, nullptr, MQE_PUTSIDE),
              MQRC_Q_MGR_NOT_AVAILABLE);
    EXPECT_EQ(Rec.Count("MQCONNX"), 1u);                 /* answered from the last failure */
    Clock.Advance(1200);
    InitialiseMQ(once, &once->putThread.hConn, nullptr, nullptr, MQE_PUTSIDE);
    EXPECT_EQ(Rec.Count("MQCONNX"), 2u);
    Rec.Clear();
    Clock.Thaw();

    /* a put thread with retry interval 30 tries again after 30 s and
     * connects once the queue manager is there */
    QMS *r = Location("QM8", 0, 30);
    ASSERT_EQ(StartPutThread(r), 0);
    ASSERT_TRUE(WaitFor([] { return Rec.Count("MQCONNX") >= 2; }));
    std::vector<MQCall> tries = Rec.Of("MQCONNX");
    EXPECT_GE(tries[1].tick - tries[0].tick, 30000u);
    EXPECT_TRUE(MQEState(&r->putThread) & TS_RETRYING);
    Mqsc("QM8", "DEFINE QLOCAL(APP.Q)");
    ASSERT_TRUE(WaitFor([r] { return (MQEState(&r->putThread) & TS_SETUP) != 0; }));
    EXPECT_FALSE(r->status & LS_UNAVAILABLE);
    EXPECT_STREQ(r->lastError, nullptr);

    /* without a retry interval the thread ends after the failure */
    QMS *gone = Location("QM7");
    ASSERT_EQ(StartPutThread(gone), 0);
    ASSERT_TRUE(WaitFor([gone] { return MQEState(&gone->putThread) == 0 && Main.Count(FM_PUT_ENDED, gone) > 0; }));
    EXPECT_EQ(Main.Count(FM_PUT_ENDED, gone), 1u);
}

TEST_F(EngineTest, DisconnectOnlyLeavesTheThreadToReconnectWhenNeeded)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QM1", 0, 30);
    Main.startGetThread = false;
    ASSERT_EQ(StartPutThread(r), 0);
    ASSERT_TRUE(WaitFor([r] { return (MQEState(&r->putThread) & TS_SETUP) != 0; }));
    ASSERT_EQ(EndPutThread(r, 1), 0);
    ASSERT_TRUE(WaitFor([r] { return !(MQEState(&r->putThread) & (TS_CONNECTED | TS_ENDREQ)); }));
    EXPECT_TRUE(MQEState(&r->putThread) & TS_RUNNING);
    EXPECT_EQ(Rec.Count("MQDISC"), 1u);
    /* a command connects it again */
    strcpy(r->commandQueue, "APP.Q");
    std::vector<uint8_t> msg = PcfCommand(1);
    ASSERT_EQ(PostThreadRequest(r, nullptr, 0, nullptr, nullptr, Block(msg.data(), msg.size()),
                                (uint32_t)msg.size()), 0);
    ASSERT_TRUE(WaitFor([] { return Rec.Count("MQPUT", "APP.Q") == 1; }));
    EXPECT_EQ(Rec.Count("MQCONNX"), 2u);
    /* and a later end is not taken for the one already done */
    ASSERT_EQ(EndPutThread(r, 0), 0);
    ASSERT_TRUE(WaitFor([r] { return MQEState(&r->putThread) == 0; }));
}

TEST_F(EngineTest, AnEndServedAtOnceLeavesNoMarkBehind)
{
    /* the thread may serve a disconnect before EndPutThread returns: the
       end-requested mark must not outlive it, or every later end is lost */
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QM1", 0, 30);
    Main.startGetThread = false;
    ASSERT_EQ(StartPutThread(r), 0);
    ASSERT_TRUE(WaitFor([r] { return (MQEState(&r->putThread) & TS_SETUP) != 0; }));
    for (int i = 0; i < 500; i++) {
        ASSERT_EQ(EndPutThread(r, 1), 0);
        ASSERT_TRUE(WaitFor([r] { return !(MQEState(&r->putThread) & TS_ENDREQ); })) << "round " << i;
    }
    ASSERT_EQ(EndPutThread(r, 0), 0);
    ASSERT_TRUE(WaitFor([r] { return MQEState(&r->putThread) == 0; }));
}

TEST_F(EngineTest, IdleThreadsEndAfterTheDisconnectInterval)
{
    Clock.SetScale(1000);
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QM1", 0, 0, 300);
    uint64_t start = MQETick();
    Connect(r);
    ASSERT_TRUE(WaitFor([r] {
        return MQEState(&r->putThread) == 0 && MQEState(&r->getThread) == 0 &&
               Main.Count(FM_PUT_ENDED, r) > 0 && Main.Count(FM_GET_ENDED, r) > 0;
    }));
    EXPECT_GE(MQETick() - start, 300000u);
    EXPECT_EQ(Main.Count(FM_PUT_ENDED, r), 1u);
    EXPECT_EQ(Main.Count(FM_GET_ENDED, r), 1u);
    std::vector<MQCall> gets = Rec.Of("MQGET");
    ASSERT_FALSE(gets.empty());
    EXPECT_LE(gets[0].waitInterval, 300000 / 1000);    /* the rest of the interval, scaled */
}

TEST_F(EngineTest, SingleModePollsTheReplyQueueAfterACommand)
{
    Clock.SetScale(20);
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QM1", LF_SINGLE);
    strcpy(r->commandQueue, "APP.Q");          /* nothing answers there */
    Connect(r);
    EXPECT_EQ(MQEState(&r->getThread), 0);     /* no get thread in single mode */
    MQELOC *e = Engine(r);
    std::vector<uint8_t> msg = PcfCommand(1234);
    ASSERT_EQ(PostThreadRequest(r, nullptr, 0, nullptr, nullptr, Block(msg.data(), msg.size()),
                                (uint32_t)msg.size()), 0);
    ASSERT_TRUE(WaitFor([e] { return e->pollCount == 5 && e->pollsPending == 0; }));
    std::vector<MQCall> polls = Rec.Of("MQGET", e->replyQ);
    ASSERT_EQ(polls.size(), 5u);
    static const uint32_t gaps[] = {500, 1000, 1000, 2000};
    for (int i = 0; i < 4; i++) {
        uint64_t gap = polls[i + 1].tick - polls[i].tick;
        EXPECT_GE(gap, gaps[i] - 20) << i;
        EXPECT_EQ(polls[i].waitInterval, 0);
    }
    /* between the polls the put thread waited for just those steps (the
       engine's own asks: a loaded machine may stretch the gaps) */
    std::vector<uint32_t> waits = Clock.WaitsOf(e->putThreadId);
    auto first = std::find(waits.begin(), waits.end(), gaps[0]);
    ASSERT_GE(waits.end() - first, 4) << "the put thread's waits: " << testing::PrintToString(waits);
    EXPECT_EQ(std::vector<uint32_t>(first, first + 4), std::vector<uint32_t>(gaps, gaps + 4));
    EXPECT_EQ(Depth("QM1", "APP.Q"), 1);
}

TEST_F(EngineTest, ReplyQueueFailures)
{
    RecordAgent();
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QM1");
    Connect(r);
    MQELOC *e = Engine(r);

    /* gets inhibited: the queue is opened again with MQOO_SET and the loop
     * goes on */
    std::string reply = e->replyQ;
    Rec.Fail("MQGET", reply, MQRC_GET_INHIBITED);
    ToOwnReplyQueue(r, 1, 36, 1);
    ASSERT_TRUE(WaitFor([] { return Agent.Replies() == 1; }));
    ASSERT_TRUE(WaitFor([&reply] { return Rec.Count("MQSET", reply) == 1; }));
    size_t reopened = 0;
    for (const MQCall &open : Rec.Of("MQOPEN", reply))
        reopened += (open.options & MQOO_SET) && (open.options & MQOO_INPUT_EXCLUSIVE);
    EXPECT_EQ(reopened, 1u);
    ASSERT_FALSE(Rec.Of("MQSET", reply).empty());
    EXPECT_EQ(Rec.Of("MQSET", reply).back().options, MQQA_GET_ALLOWED);
    EXPECT_TRUE(MQEState(&r->getThread) & TS_RUNNING);

    MQHCONN putSide = r->putThread.hConn;

    /* the queue deleted: the get thread ends without a word */
    Rec.Fail("MQGET", reply, MQRC_Q_DELETED);
    ToOwnReplyQueue(r, 1, 36, 2);
    ASSERT_TRUE(WaitFor([r] { return MQEState(&r->getThread) == 0; }));
    EXPECT_FALSE(HasText(Main.ErrorTexts(r), "Error on MQGET"));
    EXPECT_FALSE(r->status & LS_UNAVAILABLE);

    /* a broken handle or a stopping queue manager: connection failed.
       The get after the reply's is struck, so the put thread has served
       the reply's request by then: struck first, the failed connection
       would have the put thread connect again for the request, and the
       new connection bring a get thread of its own */
    for (MQLONG reason : {MQRC_HOBJ_ERROR, MQRC_Q_MGR_QUIESCING, MQRC_Q_MGR_STOPPING}) {
        LocSetStatus(r, 0, LS_UNAVAILABLE, 0);
        ASSERT_EQ(StartGetThread(r), 0);
        ASSERT_TRUE(WaitFor([r] { return (MQEState(&r->getThread) & TS_SETUP) != 0; }));
        {
            std::lock_guard<std::mutex> g(Rec.lock);
            Rec.onCall = [reply, reason](const MQCall &c) {
                if (c.verb == "MQGET" && c.object == reply && c.rc == 0 && c.md.MsgId[0] == 3)
                    Rec.Fail("MQGET", reply, reason);
            };
        }
        ToOwnReplyQueue(r, 1, 36, 3);
        ASSERT_TRUE(WaitFor([r] { return MQEState(&r->getThread) == 0; })) << reason;
        EXPECT_EQ(r->putThread.hConn, putSide) << reason << ": the put thread connected again";
        EXPECT_TRUE(r->status & LS_UNAVAILABLE) << reason;
        EXPECT_TRUE(HasText(Main.ErrorTexts(r), "Error on MQGET from queue '" + reply + "' RC(" +
                            std::to_string(reason) + ")"));
    }
}

TEST_F(EngineTest, CommandPutFailures)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QM1");
    Connect(r);
    std::vector<uint8_t> msg = PcfCommand(MQCMD_INQUIRE_Q_MGR);

    /* a command queue that does not exist: "can't send", the thread lives */
    strcpy(r->commandQueue, "NO.SUCH.QUEUE");
    ASSERT_EQ(PostThreadRequest(r, nullptr, 0, nullptr, nullptr, Block(msg.data(), msg.size()),
                                (uint32_t)msg.size()), 0);
    ASSERT_TRUE(WaitFor([r] { return (r->status & LS_CANTSEND) != 0; }));
    EXPECT_TRUE(HasText(Main.ErrorTexts(r), "Error opening queue 'QM1/NO.SUCH.QUEUE' RC(2085)"));
    EXPECT_TRUE(MQEState(&r->putThread) & TS_RUNNING);

    /* a good put clears it */
    strcpy(r->commandQueue, "APP.Q");
    ASSERT_EQ(PostThreadRequest(r, nullptr, 0, nullptr, nullptr, Block(msg.data(), msg.size()),
                                (uint32_t)msg.size()), 0);
    ASSERT_TRUE(WaitFor([r] { return !(r->status & LS_CANTSEND); }));

    /* a broken connection ends the put thread (and with it the get thread) */
    Rec.Fail("MQPUT", "APP.Q", MQRC_CONNECTION_BROKEN);
    ASSERT_EQ(PostThreadRequest(r, nullptr, 0, nullptr, nullptr, Block(msg.data(), msg.size()),
                                (uint32_t)msg.size()), 0);
    ASSERT_TRUE(WaitFor([r] {
        return MQEState(&r->putThread) == 0 && MQEState(&r->getThread) == 0 && Main.Count(FM_PUT_ENDED, r) > 0;
    }));
    EXPECT_EQ(Main.Count(FM_PUT_ENDED, r), 1u);
    EXPECT_TRUE(HasText(Main.ErrorTexts(r), "Error putting to queue 'QM1/APP.Q' RC(2009)"));
}

/* A local queue manager's command server: started when nothing reads
 * its command queue, and a failure only when still nothing reads it; a
 * first look that lands before the server has opened its queue (a
 * queue manager just started) is no failure. */
TEST_F(EngineTest, ALocalQueueManagerWithoutCommandServer)
{
    static int early;
    const struct { const char *qm, *script; int early; bool failed; } cases[] = {
        { "QM1", "ALTER QMGR SCMDSERV(MANUAL)", 0, true },   /* none runs */
        { "QM2", "DEFINE QLOCAL(APP.Q)", 1, false },          /* the first look came too early */
        { "QM3", "DEFINE QLOCAL(APP.Q)", 0, false },          /* it runs */
    };
    for (const auto &c : cases) {
        Mqsc(c.qm, c.script);
        ShutdownStandIn();
        QMS *r = Location(c.qm);
        Main.startGetThread = false;
        Main.Clear();
        Rec.Clear();
        early = c.early;
        Rec.onInq = [](MQLONG count, const MQLONG *selectors, MQLONG intCount, MQLONG *ints) {
            if (count == 1 && selectors[0] == MQIA_OPEN_INPUT_COUNT && intCount == 1 && early > 0) {
                early--;
                ints[0] = 0;
            }
        };
        EXPECT_EQ(InitialiseMQ(r, &r->putThread.hConn, nullptr, nullptr, MQE_PUTSIDE), 0) << c.qm;
        Rec.onInq = nullptr;
        EXPECT_EQ(HasText(Main.ErrorTexts(r), "Failed to start the command server"), c.failed) << c.qm;
        EXPECT_EQ(Rec.Of("MQINQ", "SYSTEM.ADMIN.COMMAND.QUEUE").size(), c.failed || c.early ? 2u : 1u) << c.qm;
        CloseQueueAndReset(r, &r->putThread.hConn, 0, MQE_PUTSIDE);
    }
}
