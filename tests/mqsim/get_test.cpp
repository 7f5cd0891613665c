/* MQGET: browsing, cursors and locks, matching, tokens, waits,
 * truncation and conversion. */
#include "simtest.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

class SimGet : public Sim {
protected:
    MQHCONN h;
    MQHOBJ q;
    void SetUp() override
    {
        Sim::SetUp();
        Mqsc("QM1", "DEFINE QLOCAL(Q1)");
        h = Connect("QM1");
        q = Open(h, "Q1", MQOO_OUTPUT | MQOO_INPUT_SHARED | MQOO_BROWSE);
    }
    void PutN(int n)
    {
        for (int i = 0; i < n; i++) {
            MQMD md = {MQMD_DEFAULT};
            snprintf((char *)md.CorrelId, 24, "C%d", i % 2);
            ASSERT_EQ(Put(h, q, "m" + std::to_string(i), &md), 0);
        }
    }
};

TEST_F(SimGet, BrowseCursorAndDestructiveGetUnderCursor)
{
    PutN(4);
    std::string d;
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_NEXT), 0);    /* no cursor yet: first */
    EXPECT_EQ(d, "m0");
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_NEXT), 0);
    EXPECT_EQ(d, "m1");
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_MSG_UNDER_CURSOR), 0);
    EXPECT_EQ(d, "m1");
    EXPECT_EQ(Get(h, q, &d, MQGMO_MSG_UNDER_CURSOR), 0);
    EXPECT_EQ(d, "m1");
    EXPECT_EQ(Get(h, q, &d, MQGMO_MSG_UNDER_CURSOR), MQRC_NO_MSG_UNDER_CURSOR);
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_NEXT), 0);    /* goes on from the removed one */
    EXPECT_EQ(d, "m2");
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_FIRST), 0);
    EXPECT_EQ(d, "m0");
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_FIRST | MQGMO_BROWSE_NEXT), MQRC_OPTIONS_ERROR);
    MQHOBJ outOnly = Open(h, "Q1", MQOO_OUTPUT);
    EXPECT_EQ(Get(h, outOnly, &d, MQGMO_BROWSE_FIRST), MQRC_NOT_OPEN_FOR_BROWSE);
    EXPECT_EQ(Get(h, outOnly, &d), MQRC_NOT_OPEN_FOR_INPUT);
}

TEST_F(SimGet, LockHidesMessageFromOthers)
{
    PutN(2);
    MQHCONN h2 = Connect("QM1");
    MQHOBJ q2 = Open(h2, "Q1", MQOO_INPUT_SHARED);
    std::string d;
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_FIRST | MQGMO_LOCK), 0);
    EXPECT_EQ(Get(h2, q2, &d), 0);
    EXPECT_EQ(d, "m1");
    EXPECT_EQ(Get(h2, q2, &d), MQRC_NO_MSG_AVAILABLE);
    EXPECT_EQ(Get(h, q, &d, MQGMO_UNLOCK), 0);
    EXPECT_EQ(Get(h, q, &d, MQGMO_UNLOCK), MQRC_NO_MSG_LOCKED);
    EXPECT_EQ(Get(h2, q2, &d), 0);
    EXPECT_EQ(d, "m0");
}

/* A locked message that expires is gone: the lock goes with it. */
TEST_F(SimGet, LockedMessageExpires)
{
    MQMD md = {MQMD_DEFAULT};
    md.Expiry = 1;
    ASSERT_EQ(Put(h, q, "short", &md), 0);
    int64_t put = SimTestClockMs();
    ASSERT_EQ(Put(h, q, "long"), 0);
    std::string d;
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_FIRST | MQGMO_LOCK), 0);
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_NEXT), 0);         /* cursor leaves it, still locked */
    SimTestWaitExpired(put, md.Expiry);
    md = MQMD{MQMD_DEFAULT};
    memcpy(md.MsgId, "no such message", 16);
    EXPECT_EQ(Get(h, q, &d, MQGMO_NO_WAIT, &md), MQRC_NO_MSG_AVAILABLE);  /* the expired one removed */
    EXPECT_EQ(Get(h, q, &d, MQGMO_UNLOCK), MQRC_NO_MSG_LOCKED);
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_FIRST | MQGMO_LOCK), 0);
    EXPECT_EQ(d, "long");
    Close(h, q);
}

TEST_F(SimGet, MatchMsgIdCorrelIdAndToken)
{
    PutN(5);
    MQMD md = {MQMD_DEFAULT};
    memcpy(md.CorrelId, "C1", 3);
    std::string d;
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_FIRST, &md), 0);
    EXPECT_EQ(d, "m1");
    MQBYTE id[24];
    memcpy(id, md.MsgId, 24);
    /* browse-next with the same correlation id skips the others */
    MQMD next = {MQMD_DEFAULT};
    memcpy(next.CorrelId, "C1", 3);
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_NEXT, &next), 0);
    EXPECT_EQ(d, "m3");
    MQMD byId = {MQMD_DEFAULT};
    memcpy(byId.MsgId, id, 24);
    EXPECT_EQ(Get(h, q, &d, MQGMO_NO_WAIT, &byId), 0);
    EXPECT_EQ(d, "m1");
    /* every message has its own token; a get by token finds just it */
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Version = MQGMO_VERSION_3;
    gmo.Options = MQGMO_BROWSE_FIRST;
    gmo.MatchOptions = MQMO_NONE;
    MQMD any = {MQMD_DEFAULT};
    std::vector<std::string> tokens;
    while (Get(h, q, &d, 0, &any, &gmo) == 0) {
        tokens.push_back(std::string((char *)gmo.MsgToken, 16));
        gmo.Options = MQGMO_BROWSE_NEXT;
    }
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_NE(tokens[0], tokens[1]);
    MQGMO byToken = {MQGMO_DEFAULT};
    byToken.Version = MQGMO_VERSION_3;
    byToken.MatchOptions = MQMO_MATCH_MSG_TOKEN;
    memcpy(byToken.MsgToken, tokens[2].data(), 16);
    EXPECT_EQ(Get(h, q, &d, 0, &any, &byToken), 0);
    EXPECT_EQ(d, "m3");
    EXPECT_EQ(Get(h, q, &d, 0, &any, &byToken), MQRC_NO_MSG_AVAILABLE);
    /* group id and sequence number of a version-2 descriptor */
    MQMD g = {MQMD_DEFAULT};
    g.Version = MQMD_VERSION_2;
    memcpy(g.GroupId, "GROUP-A", 7);
    g.MsgSeqNumber = 2;
    ASSERT_EQ(Put(h, q, "g2", &g), 0);
    MQMD want = {MQMD_DEFAULT};
    want.Version = MQMD_VERSION_2;
    memcpy(want.GroupId, "GROUP-A", 7);
    want.MsgSeqNumber = 2;
    MQGMO gm = {MQGMO_DEFAULT};
    gm.Version = MQGMO_VERSION_2;
    gm.MatchOptions = MQMO_MATCH_GROUP_ID | MQMO_MATCH_MSG_SEQ_NUMBER;
    EXPECT_EQ(Get(h, q, &d, 0, &want, &gm), 0);
    EXPECT_EQ(d, "g2");
}

/* A wait interval below zero (other than unlimited) is an error, not a
 * wait of no time. */
TEST_F(SimGet, NegativeWaitIntervalRefused)
{
    PutN(1);
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_WAIT;
    gmo.WaitInterval = -5;
    std::string d;
    EXPECT_EQ(Get(h, q, &d, 0, nullptr, &gmo), MQRC_WAIT_INTERVAL_ERROR);
    gmo.Options = MQGMO_NO_WAIT;
    EXPECT_EQ(Get(h, q, &d, 0, nullptr, &gmo), 0);      /* without a wait it is not looked at */
}

/* A waiting get is woken by another connection's put, and by the commit
 * of a put under syncpoint, which it does not see before (a put behind
 * the uncommitted one reaches it first).  Each put or commit is made once
 * the get is seen in its call; each get ends before its interval would:
 * a get not woken finds the message only when its interval runs out. */
TEST_F(SimGet, WaitIsWokenByPutFromAnotherThread)
{
    MQHCONN h2 = Connect("QM1");
    MQHOBJ out = Open(h2, "Q1", MQOO_OUTPUT);
    const int interval = 10000;
    std::atomic<int> gets{0};
    /* what the other thread does once get n + 1 is in its call */
    std::vector<std::function<void()>> steps = {
        [&] { EXPECT_EQ(Put(h2, out, "wake"), 0); },
        [&] {
            EXPECT_EQ(Put(h2, out, "later", nullptr, MQPMO_SYNCPOINT), 0);
            EXPECT_EQ(Put(h2, out, "behind"), 0);
        },
        [&] {
            MQLONG cc, rc;
            MQCMIT(h2, &cc, &rc);
            EXPECT_EQ(rc, 0);
        },
    };
    std::thread t([&] {
        for (size_t n = 0; n < steps.size(); n++) {
            if (!SimTestPoll([&] { return gets == (int)n + 1 && SimTestInputCallInProgress("Q1"); }))
                return;
            steps[n]();
        }
    });
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_WAIT;
    gmo.WaitInterval = interval;
    for (const char *want : {"wake", "behind", "later"}) {
        gets++;
        auto start = std::chrono::steady_clock::now();
        std::string d;
        EXPECT_EQ(Get(h, q, &d, 0, nullptr, &gmo), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(interval)) << want;
        EXPECT_EQ(d, want);
    }
    t.join();
    gmo.WaitInterval = 50;
    EXPECT_EQ(Get(h, q, nullptr, 0, nullptr, &gmo), MQRC_NO_MSG_AVAILABLE);
}

TEST(SimGetRace, WaitEndingAsItsQueueIsDeletedReports2052)
{
    /* the deletion lands near the end of the wait, now before, now after
     * it ran out: the waiter gets 2052 or 2033, never a crash */
    std::string home = SimTestHome();
    MQLONG failed = MQSimRunMqsc((PMQCHAR) "QM1", (PMQCHAR) "", 0, nullptr);
    ASSERT_EQ(failed, 0);
    for (int round = 0; round < 40; round++) {
        char name[48];
        MQHCONN owner, reader;
        MQLONG cc, rc;
        SimFill(name, sizeof name, "QM1");
        MQCONN(name, &owner, &cc, &rc);
        MQCONN(name, &reader, &cc, &rc);
        MQOD od = {MQOD_DEFAULT};
        FILL(od.ObjectName, "SYSTEM.DEFAULT.MODEL.QUEUE");
        FILL(od.DynamicQName, "RACE.*");
        MQHOBJ dyn, in;
        MQOPEN(owner, &od, MQOO_OUTPUT, &dyn, &cc, &rc);
        ASSERT_EQ(rc, 0);
        MQOPEN(reader, &od, MQOO_INPUT_SHARED, &in, &cc, &rc);
        ASSERT_EQ(rc, 0);
        std::thread t([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20 + round % 3));
            MQLONG c2, r2;
            MQDISC(&owner, &c2, &r2);
        });
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_WAIT;
        gmo.WaitInterval = 21;
        char buf[16];
        MQLONG len;
        MQGET(reader, in, &md, &gmo, sizeof buf, buf, &len, &cc, &rc);
        t.join();
        EXPECT_TRUE(rc == MQRC_Q_DELETED || rc == MQRC_NO_MSG_AVAILABLE) << rc;
        MQDISC(&reader, &cc, &rc);
    }
    MQSimShutdown();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

TEST_F(SimGet, Truncation)
{
    PutN(2);
    std::string d;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_BROWSE_FIRST;
    MQLONG len, cc, rc;
    char buf[1];
    MQGET(h, q, &md, &gmo, 1, buf, &len, &cc, &rc);
    EXPECT_EQ(rc, MQRC_TRUNCATED_MSG_FAILED);
    EXPECT_EQ(cc, MQCC_WARNING);
    EXPECT_EQ(len, 2);
    /* the cursor did not move: browse-next still gives the first */
    EXPECT_EQ(Get(h, q, &d, MQGMO_BROWSE_NEXT), 0);
    EXPECT_EQ(d, "m0");
    MQMD md2 = {MQMD_DEFAULT};
    gmo.Options = MQGMO_ACCEPT_TRUNCATED_MSG;
    MQGET(h, q, &md2, &gmo, 1, buf, &len, &cc, &rc);
    EXPECT_EQ(rc, MQRC_TRUNCATED_MSG_ACCEPTED);
    EXPECT_EQ(len, 2);
    EXPECT_EQ(buf[0], 'm');
    EXPECT_EQ(Depth(h, "Q1"), 1);    /* the truncated one was removed */
    gmo.Options = 0;
    MQMD md3 = {MQMD_DEFAULT};
    MQGET(h, q, &md3, &gmo, 0, nullptr, &len, &cc, &rc);
    EXPECT_EQ(rc, MQRC_TRUNCATED_MSG_FAILED);
    EXPECT_EQ(Depth(h, "Q1"), 1);
}

TEST_F(SimGet, ConvertUnknownIsNotConverted)
{
    MQMD md = {MQMD_DEFAULT};
    FILL(md.Format, MQFMT_STRING);
    md.CodedCharSetId = 1208;
    md.Encoding = 785;
    ASSERT_EQ(Put(h, q, "abc", &md), 0);
    MQMD want = {MQMD_DEFAULT};
    want.CodedCharSetId = 65000;
    std::string d;
    EXPECT_EQ(Get(h, q, &d, MQGMO_CONVERT, &want), MQRC_NOT_CONVERTED);
    EXPECT_EQ(d, "abc");
    EXPECT_EQ(want.CodedCharSetId, 1208);      /* the message's own */
    EXPECT_EQ(want.Encoding, 785);
}

#ifdef MQSIM_CODEPAGES
TEST_F(SimGet, ConvertSingleByteString)
{
    MQMD md = {MQMD_DEFAULT};
    FILL(md.Format, MQFMT_STRING);
    md.CodedCharSetId = 437;
    md.Encoding = 785;
    ASSERT_EQ(Put(h, q, "abc 1", &md), 0);
    MQMD want = {MQMD_DEFAULT};
    want.CodedCharSetId = 500;
    std::string d;
    EXPECT_EQ(Get(h, q, &d, MQGMO_CONVERT | MQGMO_BROWSE_FIRST, &want), 0);
    EXPECT_EQ(d, "\x81\x82\x83\x40\xF1");
    EXPECT_EQ(want.CodedCharSetId, 500);       /* what the data is now */
    EXPECT_EQ(want.Encoding, 546);
    /* a string already in the CCSID asked for: only its encoding changes */
    MQMD same = {MQMD_DEFAULT};
    same.CodedCharSetId = 437;
    EXPECT_EQ(Get(h, q, &d, MQGMO_CONVERT | MQGMO_BROWSE_FIRST, &same), 0);
    EXPECT_EQ(d, "abc 1");
    EXPECT_EQ(same.CodedCharSetId, 437);
    EXPECT_EQ(same.Encoding, 546);
    /* not a string: returned as it is */
    MQMD bin = {MQMD_DEFAULT};
    bin.CodedCharSetId = 437;
    ASSERT_EQ(Put(h, q, "xyz", &bin), 0);
    MQMD want2 = {MQMD_DEFAULT};
    want2.CodedCharSetId = 500;
    EXPECT_EQ(Get(h, q, &d, MQGMO_CONVERT | MQGMO_BROWSE_NEXT, &want2), MQRC_NOT_CONVERTED);
    EXPECT_EQ(d, "xyz");
}
#endif
