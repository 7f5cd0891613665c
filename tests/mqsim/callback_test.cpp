/* MQCB and MQCTL: consumers on a thread of the library, on the caller's
 * thread, suspend and stop. */
#include "simtest.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct Seen {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> data;
    std::vector<MQLONG> types;
    bool stopAfterTwo = false;
};

static void MQENTRY Consumer(MQHCONN hc, PMQVOID md, PMQVOID gmo, PMQVOID buf, PMQCBC ctx)
{
    (void)md;
    (void)gmo;
    Seen *s = (Seen *)ctx->CallbackArea;
    std::lock_guard<std::mutex> lk(s->lock);
    s->types.push_back(ctx->CallType);
    if (ctx->CallType == MQCBCT_MSG_REMOVED || ctx->CallType == MQCBCT_MSG_NOT_REMOVED)
        s->data.push_back(std::string((char *)buf, (size_t)ctx->DataLength));
    s->changed.notify_all();
    if (s->stopAfterTwo && s->data.size() == 2) {
        MQLONG cc, rc;
        MQCTL(hc, MQOP_STOP, nullptr, &cc, &rc);
    }
}

static size_t Count(Seen *s)
{
    std::lock_guard<std::mutex> lk(s->lock);
    return s->data.size();
}

/* Waits until the consumers have had n messages: how many they had. */
static size_t WaitCount(Seen *s, size_t n)
{
    std::unique_lock<std::mutex> lk(s->lock);
    s->changed.wait_for(lk, std::chrono::milliseconds(SimTestEventMs), [&] { return s->data.size() >= n; });
    return s->data.size();
}

TEST_F(Sim, ConsumersOnLibraryThread)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)\nDEFINE QLOCAL(Q2)");
    MQHCONN h = Connect("QM1"), p = Connect("QM1");
    MQHOBJ q1 = Open(h, "Q1", MQOO_INPUT_SHARED), q2 = Open(h, "Q2", MQOO_BROWSE);
    Seen s;
    MQCBD cbd = {MQCBD_DEFAULT};
    cbd.CallbackFunction = (MQPTR)Consumer;
    cbd.CallbackArea = &s;
    cbd.Options = MQCBDO_START_CALL | MQCBDO_STOP_CALL;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_NO_SYNCPOINT;
    MQLONG cc, rc;
    MQCB(h, MQOP_REGISTER, &cbd, q1, &md, &gmo, &cc, &rc);
    EXPECT_EQ(rc, 0);
    MQGMO browse = {MQGMO_DEFAULT};
    browse.Options = MQGMO_BROWSE_FIRST;
    MQCB(h, MQOP_REGISTER, &cbd, q2, &md, &browse, &cc, &rc);
    EXPECT_EQ(rc, 0);
    MQCB(h, MQOP_REGISTER, nullptr, q1, &md, &gmo, &cc, &rc);
    EXPECT_EQ(rc, MQRC_CBD_ERROR);
    MQCTL(h, MQOP_START, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    MQHOBJ o1 = Open(p, "Q1", MQOO_OUTPUT), o2 = Open(p, "Q2", MQOO_OUTPUT);
    Put(p, o1, "a");
    Put(p, o2, "b");
    Put(p, o1, "c");
    EXPECT_EQ(WaitCount(&s, 3), 3u);
    MQCTL(h, MQOP_SUSPEND, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    Put(p, o1, "d");
    /* the suspended dispatcher has passed the message by: a whole pass of
     * it began after the put */
    uint64_t passes = SimTestDispatchPasses(h);
    EXPECT_TRUE(SimTestPoll([&] { return SimTestDispatchPasses(h) >= passes + 2; }));
    EXPECT_EQ(Count(&s), 3u);
    MQCTL(h, MQOP_RESUME, nullptr, &cc, &rc);
    EXPECT_EQ(WaitCount(&s, 4), 4u);
    MQCTL(h, MQOP_STOP, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Depth(p, "Q1"), 0);
    EXPECT_EQ(Depth(p, "Q2"), 1);      /* browsed, not removed */
    std::lock_guard<std::mutex> lk(s.lock);
    EXPECT_EQ(s.types.front(), MQCBCT_START_CALL);
    EXPECT_EQ(s.types.back(), MQCBCT_STOP_CALL);
}

TEST_F(Sim, StartWaitUntilConsumerStops)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ q = Open(h, "Q1", MQOO_INPUT_SHARED | MQOO_OUTPUT);
    for (const char *m : {"x", "y", "z"})
        Put(h, q, m);
    Seen s;
    s.stopAfterTwo = true;
    MQCBD cbd = {MQCBD_DEFAULT};
    cbd.CallbackFunction = (MQPTR)Consumer;
    cbd.CallbackArea = &s;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    MQLONG cc, rc;
    MQCB(h, MQOP_REGISTER, &cbd, q, &md, &gmo, &cc, &rc);
    MQCTL(h, MQOP_START_WAIT, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Count(&s), 2u);
    EXPECT_EQ(Depth(h, "Q1"), 1);
    MQCB(h, MQOP_DEREGISTER, &cbd, q, &md, &gmo, &cc, &rc);
    EXPECT_EQ(rc, 0);
    MQCB(h, MQOP_DEREGISTER, &cbd, q, &md, &gmo, &cc, &rc);
    EXPECT_EQ(rc, MQRC_CALLBACK_NOT_REGISTERED);
}

/* A message without data reaches its consumer like any other. */
TEST_F(Sim, ConsumerGetsEmptyMessages)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ q = Open(h, "Q1", MQOO_INPUT_SHARED | MQOO_OUTPUT);
    for (const char *m : {"", "y", ""})
        Put(h, q, m);
    Seen s;
    MQCBD cbd = {MQCBD_DEFAULT};
    cbd.CallbackFunction = (MQPTR)Consumer;
    cbd.CallbackArea = &s;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_NO_SYNCPOINT;
    MQLONG cc, rc;
    MQCB(h, MQOP_REGISTER, &cbd, q, &md, &gmo, &cc, &rc);
    EXPECT_EQ(rc, 0);
    MQCTL(h, MQOP_START, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    WaitCount(&s, 3);
    MQCTL(h, MQOP_STOP, nullptr, &cc, &rc);
    std::lock_guard<std::mutex> lk(s.lock);
    EXPECT_EQ(s.data, (std::vector<std::string>{"", "y", ""}));
}

/* A consumer that could never take a message is refused when registered. */
TEST_F(Sim, ConsumerWithNegativeMaxMsgLengthRefused)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ q = Open(h, "Q1", MQOO_INPUT_SHARED);
    Seen s;
    MQCBD cbd = {MQCBD_DEFAULT};
    cbd.CallbackFunction = (MQPTR)Consumer;
    cbd.CallbackArea = &s;
    cbd.MaxMsgLength = -5;
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    MQLONG cc, rc;
    MQCB(h, MQOP_REGISTER, &cbd, q, &md, &gmo, &cc, &rc);
    EXPECT_EQ(rc, MQRC_MAX_MSG_LENGTH_ERROR);
    cbd.MaxMsgLength = 0;
    MQCB(h, MQOP_REGISTER, &cbd, q, &md, &gmo, &cc, &rc);
    EXPECT_EQ(rc, 0);
}

struct Truncated {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<MQLONG> reasons;
    std::vector<std::string> data;
    std::vector<MQLONG> lengths;
};

static void MQENTRY TruncConsumer(MQHCONN, PMQVOID, PMQVOID, PMQVOID buf, PMQCBC ctx)
{
    Truncated *t = (Truncated *)ctx->CallbackArea;
    std::lock_guard<std::mutex> lk(t->lock);
    if (ctx->CallType != MQCBCT_MSG_REMOVED && ctx->CallType != MQCBCT_MSG_NOT_REMOVED)
        return;
    t->reasons.push_back(ctx->Reason);
    t->lengths.push_back(ctx->DataLength);
    MQLONG n = ctx->DataLength < ctx->BufferLength ? ctx->DataLength : ctx->BufferLength;
    t->data.push_back(std::string((char *)buf, (size_t)n));
    t->changed.notify_all();
}

/* A message longer than the consumer's MaxMsgLength stays on the queue
 * (2080) unless the consumer accepts truncation (2079); the buffer length
 * it is told is that of the buffer it gets. */
TEST_F(Sim, ConsumerMaxMsgLengthTruncation)
{
    Mqsc("QM1", "DEFINE QLOCAL(Q1)");
    MQHCONN h = Connect("QM1");
    MQHOBJ q = Open(h, "Q1", MQOO_INPUT_SHARED | MQOO_OUTPUT);
    Put(h, q, "abcdef");
    for (MQLONG accept : {0, MQGMO_ACCEPT_TRUNCATED_MSG}) {
        Truncated t;
        MQCBD cbd = {MQCBD_DEFAULT};
        cbd.CallbackFunction = (MQPTR)TruncConsumer;
        cbd.CallbackArea = &t;
        cbd.MaxMsgLength = 3;
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_NO_SYNCPOINT | accept;
        MQLONG cc, rc;
        MQCB(h, MQOP_REGISTER, &cbd, q, &md, &gmo, &cc, &rc);
        ASSERT_EQ(rc, 0);
        MQCTL(h, MQOP_START, nullptr, &cc, &rc);
        {
            std::unique_lock<std::mutex> lk(t.lock);
            t.changed.wait_for(lk, std::chrono::milliseconds(SimTestEventMs), [&] { return !t.reasons.empty(); });
        }
        MQCTL(h, MQOP_STOP, nullptr, &cc, &rc);
        MQCB(h, MQOP_DEREGISTER, &cbd, q, &md, &gmo, &cc, &rc);
        std::lock_guard<std::mutex> lk(t.lock);
        ASSERT_FALSE(t.reasons.empty());
        EXPECT_EQ(t.reasons[0], accept ? MQRC_TRUNCATED_MSG_ACCEPTED : MQRC_TRUNCATED_MSG_FAILED);
        EXPECT_EQ(t.lengths[0], 6);
        EXPECT_EQ(t.data[0], "abc");
        EXPECT_EQ(Depth(h, "Q1"), accept ? 0 : 1);
    }
}
