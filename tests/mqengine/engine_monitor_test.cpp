/* Monitor messages: a round trip through the stand-in measures the
 * response time, a "loop" location sends "r" and never a test record, a
 * record from another queue manager makes its location and is answered
 * there, and damaged or surplus records change nothing they should not. */
#include "agenttest.h"

#include <cstring>

#include "cs.h"

namespace {

int written;
int CountWrite(void)
{
    return ++written;
}

MQMD MonitorMD(const char *qm, const char *queue)
{
    MQMD md = {MQMD_DEFAULT};
    memcpy(md.Format, MQFMT_NONE, 8);
    md.MsgType = MQMT_DATAGRAM;
    memset(md.ReplyToQMgr, ' ', 48);
    memcpy(md.ReplyToQMgr, qm, strlen(qm));
    memset(md.ReplyToQ, ' ', 48);
    memcpy(md.ReplyToQ, queue, strlen(queue));
    return md;
}

std::string Record(char kind, uint32_t interval = 60, uint32_t tick = 0, uint32_t last = 0, size_t size = 24)
{
    MonMSG m = {};
    m.kind = kind;
    m.interval = interval;
    m.tick = tick;
    m.lastResponse = last;
    std::string s((const char *)&m, sizeof m);
    s.resize(size);
    return s;
}

}  // namespace

TEST_F(AgentTest, ARoundTripMeasuresTheResponseTime)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    r->status |= LS_NORESPONSE;
    ASSERT_EQ(PostMonMsg(r, 0), 0);
    EXPECT_EQ(MonOutstanding(), 1);
    ASSERT_TRUE(WaitFor([r] { return r->monitorCount == 1; }));
    auto puts = Rec.Of("MQPUT", MQELocOf(r)->replyQ);
    ASSERT_EQ(puts.size(), 1u);
    EXPECT_EQ(puts[0].data[0], 'm');
    EXPECT_EQ(puts[0].length, 24);
    EXPECT_EQ(Trim(puts[0].md.Format, 8), "");
    MONSTATS s = MonStatsOf(r);
    EXPECT_GT(s.lastTime, 0);
    EXPECT_EQ(s.totalMs, (int64_t)s.lastResponse);
    EXPECT_GT(s.lastSent, 0);
    EXPECT_TRUE(WaitFor([r] { return !(r->status & LS_NORESPONSE) && (r->status & LS_MONITORED); }));
    EXPECT_EQ(MonOutstanding(), 0);
    /* a test record: sent with its kind only, clears the monitor bits */
    r->status |= LS_SLAVE | LS_MONITORED;
    ASSERT_EQ(PostMonMsg(r, 1), 0);
    ASSERT_TRUE(WaitFor([r] { return !(r->status & (LS_SLAVE | LS_MONITORED)); }));
    EXPECT_EQ(Rec.Of("MQPUT", MQELocOf(r)->replyQ).back().data, Record('t', 0));
    EXPECT_EQ(r->monitorCount, 1);
}

TEST_F(AgentTest, ALoopLocationSendsAnswersAndNeverTests)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1", LF_LOOP);
    const char *reply = MQELocOf(r)->replyQ;
    EXPECT_EQ(PostMonMsg(r, 1), 0);
    EXPECT_EQ(MonOutstanding(), 0);
    ASSERT_EQ(PostMonMsg(r, 0), 0);
    ASSERT_TRUE(WaitFor([r] { return r->monitorCount == 1; }));
    auto puts = Rec.Of("MQPUT", reply);
    ASSERT_EQ(puts.size(), 1u);
    EXPECT_EQ(puts[0].data[0], 'r');
    EXPECT_EQ(Trim(puts[0].md.ReplyToQ, 48), r->secondName);
    EXPECT_EQ(MonOutstanding(), 0);
    EXPECT_EQ(MonStatsOf(r).lastResponse, (uint32_t)r->monitorTotalMs);
}

TEST_F(AgentTest, AnotherQueueManagersRecordMakesItsLocationAndIsAnswered)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    Mqsc("QM2", "DEFINE QLOCAL(WATCHER.Q)");
    QMS *r = Connected("QM1");
    MQMD md = MonitorMD("QM2", "WATCHER.Q");
    Put("QM1", MQELocOf(r)->replyQ, Record('m', 120, 5, 250), &md);
    ASSERT_TRUE(WaitFor([] { return LocFindByNames("QM2", "WATCHER.Q") != nullptr; }));
    QMS *made = LocFindByNames("QM2", "WATCHER.Q");
    locations.push_back(made);
    EXPECT_STREQ(made->viaQm, "QM1");
    EXPECT_STREQ(made->locationName, "QM2(WATCHER.Q)");
    EXPECT_EQ(made->interval[0], 120);
    ASSERT_TRUE(WaitFor([this] { return Browse("QM2", "WATCHER.Q").size() == 1; }));
    QMsg answer = Browse("QM2", "WATCHER.Q")[0];
    EXPECT_EQ(answer.data, Record('r', 120, 5, 250));
    EXPECT_EQ(answer.md.MsgType, MQMT_DATAGRAM);
    EXPECT_EQ(answer.md.Persistence, MQPER_NOT_PERSISTENT);
    EXPECT_EQ(Trim(answer.md.ReplyToQ, 48), MQELocOf(r)->replyQ);
    EXPECT_EQ(Trim(answer.md.ReplyToQMgr, 48), "QM1");
    ASSERT_TRUE(WaitFor([made] { return made->monitorCount == 1; }));
    EXPECT_EQ(made->monitorTotalMs, 250);          /* the sender's own measurement */
    EXPECT_TRUE(made->status & LS_MONITORED);
    /* the same names again: the same location, an answer through the kept handle */
    Put("QM1", MQELocOf(r)->replyQ, Record('m', 120, 6, 300), &md);
    ASSERT_TRUE(WaitFor([made] { return made->monitorCount == 2; }));
    EXPECT_EQ(LocFindByNames("QM2", "WATCHER.Q"), made);
    EXPECT_EQ(Rec.Count("MQOPEN", "WATCHER.Q"), 1u);
    /* an answer that cannot be put: its reason told, the location not
       marked monitored */
    Mqsc("QM2", "ALTER QLOCAL(WATCHER.Q) MAXDEPTH(2)");
    LocSetStatus(made, 0, LS_MONITORED, 0);
    Put("QM1", MQELocOf(r)->replyQ, Record('m', 120, 7, 350), &md);
    ASSERT_TRUE(WaitFor([made] { return made->monitorCount == 3; }));
    std::string full = std::string("Error putting to queue 'QM2/WATCHER.Q' RC(2053) ") + MQReasonText(2053);
    ASSERT_TRUE(WaitFor([r, &full] {
        for (const std::string &t : Main.ErrorTexts(r))
            if (t.find(full) == 0)
                return true;
        return false;
    })) << full;
    EXPECT_FALSE(made->status & LS_MONITORED);
    /* a queue that cannot be opened: reported, nothing else */
    md = MonitorMD("QM2", "GONE.Q");
    Put("QM1", MQELocOf(r)->replyQ, Record('m'), &md);
    ASSERT_TRUE(WaitFor([r] {
        for (const std::string &t : Main.ErrorTexts(r))
            if (t.find("Error opening queue 'QM2/GONE.Q'") == 0)
                return true;
        return false;
    }));
    QMS *gone = LocFindByNames("QM2", "GONE.Q");
    if (gone)
        locations.push_back(gone);
}

TEST_F(AgentTest, DamagedAndSurplusRecords)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1");
    MQEHooks.writeConfig = CountWrite;
    written = 0;
    const char *reply = MQELocOf(r)->replyQ;
    auto handle = [&](const std::string &data, const char *qm = "QM1", const char *queue = nullptr) {
        MQMD md = MonitorMD(qm, queue ? queue : reply);
        return HandleMonitorMessage(r, r->getThread.hConn, &md, data.data(), (int32_t)data.size());
    };
    /* "m" and "r" shorter than 24 bytes are ignored: nothing counted, nothing made */
    handle(Record('m', 60, 0, 0, 23));
    handle(Record('r', 60, 0, 0, 8));
    handle(Record('m', 60, 0, 0, 23), "QM7", "NEW.Q");
    EXPECT_EQ(r->monitorCount, 0);
    EXPECT_EQ(LocFindByNames("QM7", "NEW.Q"), nullptr);
    /* unknown kinds and records without reply-to names make nothing either */
    handle("x", "QM7", "NEW.Q");
    handle(Record('m'), "", "");
    EXPECT_EQ(LocFindByNames("QM7", "NEW.Q"), nullptr);
    EXPECT_EQ(LocFindByNames("", ""), nullptr);
    /* reply-to names with a line end or another control character make no
       location: read back at the next start they would be other names,
       and a new location would be made every time */
    auto count = [] {
        int n = 0;
        for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
            n++;
        return n;
    };
    int before = count();
    for (const char *qm : { "QM7\r\nQM:X", "QM7\n", "Q\tM7" })
        handle(Record('m'), qm, "NEW.Q");
    handle(Record('m'), "QM7", "NEW.Q\r");
    EXPECT_EQ(count(), before);
    /* more answers than were sent: the counter stays at 0 */
    MonResetOutstanding();
    for (int i = 0; i < 3; i++)
        handle(Record('r'));
    EXPECT_EQ(MonOutstanding(), 0);
    EXPECT_EQ(r->monitorCount, 3);
    /* "s" writes the configuration */
    handle("s");
    EXPECT_EQ(written, 1);
    /* a talk text ends with the message, with or without its NUL */
    handle(std::string("\"hello there"));
    handle(std::string("\"short\0tail", 11));
    handle(std::string("\""));
    auto talk = Main.Texts(FM_TALK);
    ASSERT_EQ(talk.size(), 3u);
    EXPECT_EQ(talk[0], "hello there");
    EXPECT_EQ(talk[1], "short");
    EXPECT_EQ(talk[2], "");
}

TEST_F(AgentTest, TheMonitorCounterIsSafeAcrossThreads)
{
    MonResetOutstanding();
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Connected("QM1", LF_LOOP);
    const int rounds = 40;
    for (int i = 0; i < rounds; i++)
        ASSERT_EQ(PostMonMsg(r, 0), 0);
    ASSERT_TRUE(WaitFor([r] { return r->monitorCount == rounds; }));
    EXPECT_EQ(MonOutstanding(), 0);
}
