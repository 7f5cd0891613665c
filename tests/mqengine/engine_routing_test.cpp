/* Thread requests: routing to the three kinds of consumer, a location
 * reached through another's connection, and the put worker's put-dialog
 * requests (counts, syncpoint, failures, publications, texts). */
#include "enginetest.h"

#include <cstring>

#include "cs.h"

namespace {

int Post(QMS *r, uint32_t flags, const std::vector<uint8_t> &msg, const ThreadRequest *templ = nullptr,
         const uint8_t *key = nullptr)
{
    void *block = Block(msg.data(), msg.size());
    int rc = PostThreadRequest(r, nullptr, flags, templ, key, block, (uint32_t)msg.size());
    if (rc)
        CSFreeMem(block);
    return rc;
}

ThreadRequest PutRequest(const char *qm, const char *queue, uint32_t count, int syncpoint)
{
    ThreadRequest t = {};
    strncpy(t.qmName, qm, sizeof t.qmName);
    strncpy(t.queueName, queue, sizeof t.queueName);
    t.resultWindow = (void *)0x4711;
    t.count = count;
    t.syncpoint = (uint8_t)syncpoint;
    t.persistent = 1;
    return t;
}

std::vector<uint8_t> Bytes(const std::string &s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

}  // namespace

TEST(EnginePutRate, RateIsCountedInFloatingPoint)
{
    char text[200];
    MQEFormatRate(text, sizeof text, 3, 1500);
    EXPECT_STREQ(text, "3 messages put in 1.50s (2 msg/sec)");
    /* quicker than the clock: no made-up rate */
    MQEFormatRate(text, sizeof text, 1, 0);
    EXPECT_STREQ(text, "1 message put in less than 1 ms");
    MQEFormatRate(text, sizeof text, 500, 0);
    EXPECT_STREQ(text, "500 messages put in less than 1 ms");
    MQEFormatRate(text, sizeof text, 10, 250);
    EXPECT_STREQ(text, "10 messages put in 250.00ms (40 msg/sec)");
    MQEFormatRate(text, sizeof text, 2, 3000);
    EXPECT_STREQ(text, "2 messages put in 3.00s (1 msg/sec)");
}

TEST_F(EngineTest, RequestsReachTheirConsumers)
{
    RecordAgent();
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QM1");
    std::vector<uint8_t> msg = PcfCommand(10002);
    uint8_t key[24];
    memset(key, 7, sizeof key);

    /* nowhere to go: refused, the block stays the caller's */
    EXPECT_NE(Post(nullptr, 0, msg), 0);

    /* the analyser: in process, without a connection */
    ASSERT_EQ(StartAnalyserThread(), 0);
    ASSERT_EQ(Post(nullptr, TRF_ANALYSER, msg, nullptr, key), 0);
    ASSERT_TRUE(WaitFor([] { return Agent.Commands() == 1; }));
    EXPECT_EQ(Agent.commands[0].hconn, MQHC_UNUSABLE_HCONN);
    EXPECT_EQ(Agent.commands[0].location, nullptr);
    EXPECT_EQ(Agent.commands[0].md.MsgId[5], 7);
    EXPECT_EQ(Trim(Agent.commands[0].md.Format, 8), "MQADMIN");
    EXPECT_EQ(Trim(Agent.commands[0].md.ReplyToQ, 48), "");

    /* a location's put thread starts when a request comes for it */
    ASSERT_EQ(Post(r, 0, msg), 0);
    ASSERT_TRUE(WaitFor([] { return Rec.Count("MQPUT", "SYSTEM.ADMIN.COMMAND.QUEUE") == 1; }));
    EXPECT_TRUE(MQEState(&r->putThread) & TS_RUNNING);
    EXPECT_EQ(Main.Count(FM_PUT_CONNECTED, r), 1u);
    ASSERT_TRUE(WaitFor([r] { return (MQEState(&r->getThread) & TS_SETUP) != 0; }));

    /* the message thread: on the put thread's connection */
    ASSERT_EQ(StartMessageThread(), 0);
    ASSERT_EQ(Post(r, TRF_MESSAGE, msg), 0);
    ASSERT_TRUE(WaitFor([] { return Agent.Commands() == 2; }));
    EXPECT_EQ(Agent.commands[1].hconn, r->putThread.hConn);
    EXPECT_EQ(Agent.commands[1].location, r);
    EXPECT_EQ(Trim(Agent.commands[1].md.ReplyToQ, 48), MQELocOf(r)->replyQ);
    EXPECT_EQ(Trim(Agent.commands[1].md.ReplyToQMgr, 48), "QM1");

    /* an analyser command with a location is addressed like the message
     * thread's: the location's own reply queue, never a blank one */
    ASSERT_EQ(Post(r, TRF_ANALYSER, msg), 0);
    ASSERT_TRUE(WaitFor([] { return Agent.Commands() == 3; }));
    EXPECT_EQ(Trim(Agent.commands[2].md.ReplyToQ, 48), MQELocOf(r)->replyQ);
    EXPECT_EQ(Trim(Agent.commands[2].md.ReplyToQMgr, 48), "QM1");
    EXPECT_NE(Agent.commands[2].thread, Agent.commands[1].thread);
    for (const MQCall &open : Rec.Of("MQOPEN"))
        EXPECT_FALSE(open.od.ObjectType == MQOT_Q && open.object.empty());
}

TEST_F(EngineTest, ALocationReachedThroughAnothersConnection)
{
    int refreshes = 0, downloads = 0;
    static int *refreshCount, *downloadCount;
    refreshCount = &refreshes;
    downloadCount = &downloads;
    MQEHooks.requestRefresh = [](QMS *, uint32_t kinds, const char *, int) {
        EXPECT_EQ(kinds, 0x1u);
        ++*refreshCount;
        return 0;
    };
    MQEHooks.startDownload = [](QMS *, uint32_t) { return ++*downloadCount, 0; };
    Mqsc("QMA", "DEFINE QLOCAL(APP.Q)");
    Mqsc("QMB", "DEFINE QLOCAL(APP.Q)");
    QMS *a = Location("QMA");
    QMS *b = Location("QMB");
    strcpy(b->viaQm, "QMA");
    std::vector<uint8_t> msg = PcfCommand(MQCMD_INQUIRE_Q_MGR);

    ASSERT_EQ(Post(b, 0, msg), 0);
    ASSERT_TRUE(WaitFor([] { return Rec.Count("MQPUT", "SYSTEM.ADMIN.COMMAND.QUEUE") == 1; }));
    MQCall open = Rec.Of("MQOPEN", "SYSTEM.ADMIN.COMMAND.QUEUE").back();
    EXPECT_EQ(Trim(open.od.ObjectQMgrName, 48), "QMB");
    EXPECT_EQ(open.hconn, a->putThread.hConn);
    EXPECT_EQ(MQEState(&b->putThread), 0);
    EXPECT_EQ(refreshes, 0);                   /* QMA's thread was not running yet */
    MQCall put = Rec.Of("MQPUT", "SYSTEM.ADMIN.COMMAND.QUEUE").back();
    EXPECT_EQ(Trim(put.md.ReplyToQMgr, 48), "QMA");
    EXPECT_EQ(Trim(put.md.ReplyToQ, 48), MQELocOf(a)->replyQ);

    ASSERT_EQ(Post(b, 0, msg), 0);
    ASSERT_EQ(Post(b, 0, msg), 0);
    ASSERT_TRUE(WaitFor([] { return Rec.Count("MQPUT", "SYSTEM.ADMIN.COMMAND.QUEUE") == 3; }));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(Rec.Count("MQCONNX", "QMB"), 0u);

    /* a use-connection-of name that is not defined: its text, result 1 */
    QMS *c = Location("QMC");
    strcpy(c->viaQm, "NOPE");
    EXPECT_EQ(Post(c, 0, msg), 1);
    EXPECT_EQ(Main.ErrorTexts(c), std::vector<std::string>{"No definition of 'NOPE' connection"});
    EXPECT_EQ(MQEState(&c->putThread), 0);
}

TEST_F(EngineTest, PutDialogRequests)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)\nDEFINE QLOCAL(SMALL.Q) MAXDEPTH(2)");
    QMS *r = Location("QM1");
    Connect(r);
    uint8_t key[24];
    memset(key, 0x5A, sizeof key);

    /* three under syncpoint: three puts, one commit, the plural text */
    ThreadRequest t = PutRequest("QM1", "APP.Q", 3, 1);
    ASSERT_EQ(Post(r, TRF_MSGINFO, Bytes("hello"), &t, key), 0);
    ASSERT_TRUE(WaitFor([] { return Main.Count(FM_TEXT) == 1; }));
    std::vector<MQCall> puts = Rec.Of("MQPUT", "APP.Q");
    ASSERT_EQ(puts.size(), 3u);
    for (const MQCall &p : puts) {
        EXPECT_TRUE(p.pmo.Options & MQPMO_SYNCPOINT);
        EXPECT_EQ(p.md.MsgId[23], 0x5A);
        EXPECT_EQ(p.md.MsgType, MQMT_DATAGRAM);
        EXPECT_EQ(p.md.Persistence, MQPER_PERSISTENT);
        EXPECT_EQ(Trim(p.md.Format, 8), "MQSTR");
        EXPECT_EQ(p.data, "hello");
    }
    EXPECT_EQ(Rec.Count("MQCMIT"), 1u);
    EXPECT_EQ(Depth("QM1", "APP.Q"), 3);
    std::string text = Main.Texts(FM_TEXT)[0];
    EXPECT_EQ(text.rfind("3 messages put in ", 0), 0u) << text;
    for (const PortMessage &m : Main.messages) {
        if (m.message == FM_TEXT) {
            EXPECT_EQ(m.window, (void *)0x4711);
        }
    }

    /* one without syncpoint: no commit, the singular text */
    t = PutRequest("QM1", "APP.Q", 1, 0);
    ASSERT_EQ(Post(r, TRF_MSGINFO, Bytes("x"), &t), 0);
    ASSERT_TRUE(WaitFor([] { return Main.Count(FM_TEXT) == 2; }));
    EXPECT_EQ(Main.Texts(FM_TEXT)[1].rfind("1 message put in ", 0), 0u);
    EXPECT_EQ(Rec.Count("MQCMIT"), 1u);

    /* a failure on the way: its text, what was put is committed */
    t = PutRequest("QM1", "SMALL.Q", 3, 1);
    ASSERT_EQ(Post(r, TRF_MSGINFO, Bytes("y"), &t), 0);
    ASSERT_TRUE(WaitFor([] { return Main.Count(FM_TEXT) == 3; }));
    EXPECT_EQ(Main.Texts(FM_TEXT)[2].rfind("Error putting to queue 'QM1/SMALL.Q' RC(2053)", 0), 0u)
        << Main.Texts(FM_TEXT)[2];
    EXPECT_EQ(Rec.Count("MQCMIT"), 2u);
    EXPECT_EQ(Depth("QM1", "SMALL.Q"), 2);

    /* a queue that does not exist */
    t = PutRequest("QM1", "NO.SUCH.Q", 1, 0);
    ASSERT_EQ(Post(r, TRF_MSGINFO, Bytes("z"), &t), 0);
    ASSERT_TRUE(WaitFor([] { return Main.Count(FM_TEXT) == 4; }));
    EXPECT_EQ(Main.Texts(FM_TEXT)[3].rfind("Error opening queue 'QM1/NO.SUCH.Q' RC(2085)", 0), 0u);
    EXPECT_TRUE(MQEState(&r->putThread) & TS_RUNNING);
}

TEST_F(EngineTest, PublicationsGoToTheirTopic)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QM1");
    Connect(r);
    std::vector<uint8_t> pub(8, 0);
    uint32_t scope = 1, level = 7;
    memcpy(pub.data(), &scope, 4);
    memcpy(pub.data() + 4, &level, 4);
    for (char ch : std::string("prices/fruit"))
        pub.push_back((uint8_t)ch);
    pub.push_back(0);
    for (char ch : std::string("apples 3"))
        pub.push_back((uint8_t)ch);
    ThreadRequest t = PutRequest("", "", 1, 0);
    ASSERT_EQ(Post(r, TRF_MSGINFO | TRF_PUBLISH, pub, &t), 0);
    ASSERT_TRUE(WaitFor([] { return Main.Count(FM_TEXT) == 1; }));
    MQCall open = Rec.Of("MQOPEN").back();
    EXPECT_EQ(open.od.Version, MQOD_VERSION_4);
    EXPECT_EQ(open.od.ObjectType, MQOT_TOPIC);
    EXPECT_EQ(open.objectString, "prices/fruit");
    std::vector<MQCall> puts = Rec.Of("MQPUT");
    ASSERT_FALSE(puts.empty());
    EXPECT_EQ(puts.back().data, "apples 3");
    EXPECT_EQ(puts.back().pmo.Version, MQPMO_VERSION_3);
    EXPECT_EQ(puts.back().pmo.PubLevel, 7);
    EXPECT_TRUE(puts.back().pmo.Options & MQPMO_SCOPE_QMGR);

    /* a header without its topic's end is refused, nothing is opened */
    size_t opens = Rec.Count("MQOPEN");
    std::vector<uint8_t> cut(pub.begin(), pub.begin() + 12);
    ASSERT_EQ(Post(r, TRF_MSGINFO | TRF_PUBLISH, cut, &t), 0);
    ASSERT_TRUE(WaitFor([] { return Main.Count(FM_TEXT) == 2; }));
    EXPECT_EQ(Main.Texts(FM_TEXT)[1].rfind("Error opening queue", 0), 0u);
    EXPECT_EQ(Rec.Count("MQOPEN"), opens);
}
