/* Exactly once: copy, move and delete, with and without batches, on one
 * queue manager and to a second one, with a failure injected into MQGET,
 * MQPUT or MQCMIT at the first, a middle and the last call of the action.
 * Afterwards every starting MsgId is counted: a move leaves each exactly
 * once across source and target, a copy leaves the source whole and at
 * most one copy, a delete removes exactly what it reports.  Only a move
 * to a second queue manager whose source commit fails after the target's
 * went through may double a batch, and it does only there.  Also: a move
 * interleaved with a put dialog's commit on the same connection, and a
 * move cut off by a broken connection finished on a new one. */
#include "agenttest.h"

#include <atomic>
#include <cstring>
#include <thread>

#include "cs.h"

namespace {

struct Scenario {
    int32_t command;
    bool batches;
    bool otherQm;
    const char *verb;
    const char *faultQm;
};

const char *Name(int32_t command)
{
    return command == MYCMD_COPY_MSGS ? "copy" : command == MYCMD_MOVE_MSGS ? "move" : "delete";
}

std::map<std::string, int> Census(const std::vector<QMsg> &msgs)
{
    std::map<std::string, int> out;
    for (const QMsg &m : msgs)
        out[m.Id()]++;
    return out;
}

int Reported(const PcfPart &p)
{
    return p.cfh.Reason == MYRC_INFORMATION ? atoi(p.Text().c_str()) : -1;
}

}  // namespace

class ExactlyOnce : public AgentTest {
public:
    QMS *r1 = nullptr, *r2 = nullptr;
    void SetUp() override
    {
        AgentTest::SetUp();
        Clock.SetScale(1);                     /* the get threads' waits outlast the test */
        Mqsc("QM1", "ALTER QMGR MAXUMSGS(10)\nDEFINE QLOCAL(SRC.Q) MAXDEPTH(100000)\n"
                    "DEFINE QLOCAL(TARGET.Q) MAXDEPTH(100000)");
        Mqsc("QM2", "ALTER QMGR MAXUMSGS(10)\nDEFINE QLOCAL(REMOTE.Q) MAXDEPTH(100000)");
        r1 = Connected("QM1");
        r2 = Connected("QM2");
    }

    PcfPart Act(const Scenario &s)
    {
        Pcf req(s.command);
        req.Str(MQCA_Q_NAME, "SRC.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | (s.batches ? 0x20 : 0) |
                                                                     (s.otherQm ? 0x2000 : 0));
        if (s.command != MYCMD_DELETE_MSGS)
            req.Str(MYPCFA_TARGET_Q, s.otherQm ? "REMOTE.Q" : "TARGET.Q").Str(MYPCFA_TARGET_QM, s.otherQm ? "QM2" : "*");
        auto parts = Run(r1, req);
        EXPECT_EQ(parts.size(), 1u);
        return parts.empty() ? PcfPart() : parts.back();
    }

    void Reset()
    {
        Drain("QM1", "SRC.Q");
        Drain("QM1", "TARGET.Q");
        Drain("QM2", "REMOTE.Q");
    }

    const char *TargetQm(const Scenario &s) { return s.otherQm ? "QM2" : "QM1"; }
    const char *TargetQ(const Scenario &s) { return s.otherQm ? "REMOTE.Q" : "TARGET.Q"; }

    /* Calls of the scenario's verb on its queue manager in a run without
     * a failure. */
    int CallsOf(const Scenario &s, int count)
    {
        Reset();
        Fill("QM1", "SRC.Q", count);
        Rec.Clear();
        PcfPart p = Act(s);
        EXPECT_EQ(Reported(p), count) << p.Text();
        MQHCONN h = !strcmp(s.faultQm, "QM1") ? r1->putThread.hConn : r2->putThread.hConn;
        int n = 0;
        for (const MQCall &c : Rec.Of(s.verb))
            if (c.hconn == h)
                n++;
        return n;
    }
};

TEST_F(ExactlyOnce, EveryStartingMessageIsAccountedFor)
{
    std::vector<Scenario> scenarios;
    for (int32_t command : {MYCMD_COPY_MSGS, MYCMD_MOVE_MSGS, MYCMD_DELETE_MSGS})
        for (bool batches : {false, true})
            for (bool other : {false, true}) {
                if (command == MYCMD_DELETE_MSGS && other)
                    continue;
                std::vector<std::pair<const char *, const char *>> faults = {{"MQGET", "QM1"}};
                if (command != MYCMD_DELETE_MSGS)
                    faults.push_back({"MQPUT", other ? "QM2" : "QM1"});
                faults.push_back({"MQCMIT", other ? "QM2" : "QM1"});
                if (other && command == MYCMD_MOVE_MSGS)
                    faults.push_back({"MQCMIT", "QM1"});
                for (const auto &f : faults)
                    scenarios.push_back({command, batches, other, f.first, f.second});
            }
    int windowDoubled = 0;
    for (const Scenario &s : scenarios) {
        int count = s.batches ? 12 : 5;
        int calls = CallsOf(s, count);
        ASSERT_GT(calls, 0) << Name(s.command) << " " << s.verb << " " << s.faultQm;
        int32_t batch = !s.batches ? count : s.command == MYCMD_MOVE_MSGS ? 5 : 10;
        for (int nth : {1, (calls + 1) / 2, calls}) {
            SCOPED_TRACE(std::string(Name(s.command)) + (s.batches ? " in batches" : "") +
                         (s.otherQm ? " to QM2" : "") + ", " + s.verb + " on " + s.faultQm +
                         " fails at call " + std::to_string(nth) + " of " + std::to_string(calls));
            Reset();
            std::vector<std::string> ids = Fill("QM1", "SRC.Q", count);
            FaultAt(s.verb, s.faultQm, nth, !strcmp(s.verb, "MQCMIT") ? MQRC_BACKED_OUT : MQRC_RESOURCE_PROBLEM);
            PcfPart p = Act(s);
            StandInFaultAt(s.verb, s.faultQm, 1, 0, 0);
            EXPECT_NE(p.cfh.Reason, MYRC_INFORMATION) << "the failure went unnoticed: " << p.Text();
            const char *name = !strcmp(s.verb, "MQCMIT") ? "MQRC_BACKED_OUT" : "MQRC_RESOURCE_PROBLEM";
            EXPECT_NE(p.Text().find(name), std::string::npos) << "the reason is not named: " << p.Text();
            auto source = Census(Browse("QM1", "SRC.Q"));
            auto target = s.command == MYCMD_DELETE_MSGS ? std::map<std::string, int>()
                                                         : Census(Browse(TargetQm(s), TargetQ(s)));
            size_t known = 0;
            for (const std::string &id : ids)
                known += source.count(id) + target.count(id);
            EXPECT_EQ(known, source.size() + target.size()) << "messages that were not there before";
            bool window = s.command == MYCMD_MOVE_MSGS && s.otherQm && !strcmp(s.verb, "MQCMIT") &&
                          !strcmp(s.faultQm, "QM1");
            int doubled = 0, removed = 0;
            for (const std::string &id : ids) {
                int here = source.count(id) ? source[id] : 0, there = target.count(id) ? target[id] : 0;
                EXPECT_LE(here, 1);
                EXPECT_LE(there, 1);
                switch (s.command) {
                case MYCMD_MOVE_MSGS:
                    EXPECT_GE(here + there, 1) << "a message was lost";
                    if (here + there == 2)
                        doubled++;
                    break;
                case MYCMD_COPY_MSGS:
                    EXPECT_EQ(here, 1) << "the source lost a message";
                    break;
                case MYCMD_DELETE_MSGS:
                    removed += 1 - here;
                    break;
                }
            }
            if (window) {
                windowDoubled += doubled;
                EXPECT_LE(doubled, batch) << "at most the batch whose source commit failed";
            } else {
                EXPECT_EQ(doubled, 0) << "doubled within one queue manager";
            }
            if (s.command == MYCMD_DELETE_MSGS) {
                EXPECT_EQ(removed % batch, 0) << "only committed batches are removed";
            }
        }
    }
    /* the one window there is: the first batch of a move to QM2 doubled
     * when QM1's commit failed after QM2's */
    EXPECT_GT(windowDoubled, 0);

    /* and every action without a failure reports what it did */
    for (const Scenario &s : scenarios) {
        Reset();
        size_t count = s.batches ? 23 : 5;
        Fill("QM1", "SRC.Q", (int)count);
        PcfPart p = Act(s);
        EXPECT_EQ(Reported(p), (int)count) << Name(s.command) << ": " << p.Text();
        size_t left = Browse("QM1", "SRC.Q").size();
        size_t there = s.command == MYCMD_DELETE_MSGS ? 0 : Browse(TargetQm(s), TargetQ(s)).size();
        EXPECT_EQ(left, s.command == MYCMD_COPY_MSGS ? count : 0u) << Name(s.command);
        EXPECT_EQ(there, s.command == MYCMD_DELETE_MSGS ? 0u : count) << Name(s.command);
    }
}

/* The connection's lock holds for the whole move: a put dialog's commit
 * on the same connection waits for it, and so commits nothing of the
 * move's, which then fails at its last put and backs everything out. */
TEST_F(ExactlyOnce, AMoveAndAPutDialogShareTheConnectionSafely)
{
    std::vector<std::string> ids = Fill("QM1", "SRC.Q", 4);
    ASSERT_EQ(StartMessageThread(), 0);
    /* the move's second get waits until the put thread has taken the
       dialog's request; its last put fails.  A put thread that did not
       wait for the connection's lock would commit from then on: nothing
       marks a thread blocked on the lock, so such a commit is caught when
       it comes before the move's back-out */
    static std::atomic<bool> posted;
    posted = false;
    QMS *r = r1;
    Rec.Hold("MQGET", "SRC.Q", [r] { return posted && PutRequestsWaiting(r) == 0; }, 1);
    Rec.Fail("MQPUT", "TARGET.Q", MQRC_RESOURCE_PROBLEM, 1, 3);
    std::vector<uint8_t> move = Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "SRC.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q")
                                    .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8).Data();
    void *block = Block(move.data(), move.size());
    uint8_t key[24] = {7};
    ASSERT_EQ(PostThreadRequest(r1, nullptr, TRF_MESSAGE, nullptr, key, block, (uint32_t)move.size()), 0);
    ASSERT_TRUE(WaitFor([] { return Rec.Count("MQGET", "SRC.Q") >= 1; }));
    /* a put dialog's request under syncpoint on the same location meanwhile */
    ThreadRequest put = {};
    strncpy(put.qmName, "QM1", sizeof put.qmName);
    strncpy(put.queueName, "TARGET.Q", sizeof put.queueName);
    put.count = 2;
    put.syncpoint = 1;
    put.resultWindow = (void *)0x4711;
    void *data = Block("dialog", 6);
    ASSERT_EQ(PostThreadRequest(r1, nullptr, TRF_MSGINFO | TRF_TEXT, &put, nullptr, data, 6), 0);
    posted = true;
    ASSERT_TRUE(WaitFor([] { return Got.Count() == 1; }));
    ASSERT_TRUE(WaitFor([] { return Main.Texts(FM_TEXT).size() == 1; }));
    PcfPart p = Got.All()[0];
    EXPECT_EQ(p.cfh.Reason, MQRC_RESOURCE_PROBLEM) << p.Text();
    auto source = Census(Browse("QM1", "SRC.Q"));
    for (const std::string &id : ids)
        EXPECT_EQ(source.count(id), 1u);
    auto target = Browse("QM1", "TARGET.Q");
    ASSERT_EQ(target.size(), 2u);
    EXPECT_EQ(target[0].data, "dialog");
    /* the dialog's commit came after the move had backed out */
    std::lock_guard<std::mutex> g(Rec.lock);
    size_t back = 0, commit = 0;
    for (size_t i = 0; i < Rec.calls.size(); i++) {
        if (Rec.calls[i].verb == "MQBACK" && !back)
            back = i + 1;
        if (Rec.calls[i].verb == "MQCMIT")
            commit = i + 1;
    }
    EXPECT_GT(back, 0u);
    EXPECT_GT(commit, back);
}

/* A move in batches cut off by a broken connection: the batches committed
 * before the break have moved and the rest is still on the source, the
 * answer names the reason, the location shows the connection lost, and
 * the next move runs on a connection made again and moves the rest. */
TEST_F(ExactlyOnce, AMoveCutOffByABrokenConnectionFinishesOnANewOne)
{
    std::vector<std::string> ids = Fill("QM1", "SRC.Q", 23);
    ASSERT_EQ(StartMessageThread(), 0);
    auto move = [this](uint8_t keyByte) {
        std::vector<uint8_t> m = Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "SRC.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q")
                                     .Str(MYPCFA_TARGET_QM, "*").Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | 0x20).Data();
        uint8_t key[24] = {keyByte};
        Got.Clear();
        EXPECT_EQ(PostThreadRequest(r1, nullptr, TRF_MESSAGE, nullptr, key, Block(m.data(), m.size()),
                                    (uint32_t)m.size()), 0);
        EXPECT_TRUE(WaitFor([] { return Got.Count() == 1; }));
        std::vector<PcfPart> all = Got.All();
        return all.empty() ? PcfPart() : all[0];
    };
    MQHCONN before = r1->putThread.hConn;
    /* the fourteenth get from the source: the get thread's own gets on
       the reply queue never take it */
    Rec.Break("MQGET", "SRC.Q", 13);
    PcfPart p = move(7);
    EXPECT_EQ(p.cfh.Reason, MQRC_CONNECTION_BROKEN) << p.Text();
    EXPECT_NE(p.Text().find("Error getting from queue 'SRC.Q' RC(2009) MQRC_CONNECTION_BROKEN"), std::string::npos)
        << p.Text();
    EXPECT_NE(r1->status & LS_UNAVAILABLE, 0u);
    auto source = Census(Browse("QM1", "SRC.Q")), target = Census(Browse("QM1", "TARGET.Q"));
    EXPECT_GT(target.size(), 0u) << "a committed batch is kept";
    EXPECT_NE(p.Text().find("; " + std::to_string(target.size()) + " messages moved before the failure"),
              std::string::npos) << p.Text();
    EXPECT_GT(source.size(), 0u) << "the batch cut off is back on the source";
    EXPECT_EQ(target.size() % 5, 0u) << "only whole batches moved";
    /* broken for real: every call on it from the break on answers 2009 */
    std::vector<MQCall> calls, after;
    {
        std::lock_guard<std::mutex> g(Rec.lock);
        calls = Rec.calls;
    }
    for (const MQCall &c : calls)
        if (c.hconn == before && (!after.empty() || c.rc == MQRC_CONNECTION_BROKEN))
            after.push_back(c);
    ASSERT_FALSE(after.empty());
    for (const MQCall &c : after)
        EXPECT_EQ(c.rc, MQRC_CONNECTION_BROKEN) << c.verb << " on the broken connection";
    for (const std::string &id : ids)
        EXPECT_EQ(source.count(id) + target.count(id), 1u);

    p = move(8);
    EXPECT_EQ(p.cfh.Reason, MYRC_INFORMATION) << p.Text();
    EXPECT_EQ(Reported(p), (int)source.size());
    EXPECT_NE(r1->putThread.hConn, before);
    EXPECT_EQ(r1->status & LS_UNAVAILABLE, 0u);
    EXPECT_TRUE(Browse("QM1", "SRC.Q").empty());
    target = Census(Browse("QM1", "TARGET.Q"));
    for (const std::string &id : ids)
        EXPECT_EQ(target.count(id), 1u);
}
