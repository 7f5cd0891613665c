/* Progress records without their window: one worker per record, the
 * status and value texts, and records freed exactly once when the worker
 * and the window let go at the same time. */
#include "enginetest.h"

#include <cstring>
#include <thread>

#include "progress.h"
#include "prfdata.h"

namespace {

uint8_t keyA[24] = {1}, keyB[24] = {2};

std::string Status(PROGRESS *p)
{
    char text[300];
    int changed;
    ProgApiText(p, text, sizeof text, &changed);
    return text;
}

size_t Listed(void)
{
    ProgLock();
    size_t n = 0;
    for (PROGRESS *p = ProgList; p; p = p->next)
        n++;
    ProgUnlock();
    return n;
}

}  // namespace

/* The Windows build makes a record with its window: the window tests
 * cover it there; the records alone are tested natively. */
#ifdef _WIN32
#define RECORDS_ONLY() GTEST_SKIP() << "records with windows: mq_progress_window_tests"
#else
#define RECORDS_ONLY() (void)0
#endif

TEST_F(EngineTest, ARecordServesOneWorker)
{
    RECORDS_ONLY();
    Prf.prgdelay = -1;
    EXPECT_EQ(ProgCreate(nullptr, keyA, "Copy"), nullptr);   /* progress windows switched off */
    Prf.prgdelay = 3;
    PROGRESS *p = ProgCreate(nullptr, keyA, "Copy");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(ProgFind(keyB), nullptr);
    EXPECT_EQ(ProgFind(keyA), p);
    EXPECT_EQ(ProgFind(keyA), nullptr);                       /* a second worker gets nothing */
    EXPECT_EQ(p->references, 2);
    ProgFinish(p);
    EXPECT_EQ(p->references, 1);
    EXPECT_EQ(Listed(), 1u);
    ProgRelease(p);                                           /* the window's */
    EXPECT_EQ(Listed(), 0u);
    /* every routine takes a missing record */
    ProgApiStart(nullptr, PROG_MQPUT);
    ProgApiEnd(nullptr);
    ProgMarkTime(nullptr);
    ProgSetDone(nullptr, 1);
    ProgCountRead(nullptr, 1, 1);
    EXPECT_EQ(ProgAbortRequested(nullptr), 0);
    ProgFinish(nullptr);
}

TEST_F(EngineTest, StatusAndValueTexts)
{
    RECORDS_ONLY();
    Clock.Freeze();
    PROGRESS *p = ProgCreate(nullptr, keyA, "Copying");
    ASSERT_NE(p, nullptr);
    PROGTEXTS t;
    EXPECT_EQ(Status(p), "Waiting to start...");
    ProgMarkTime(p);
    EXPECT_EQ(Status(p), "Operation started...");
    ProgApiStart(p, PROG_MQGET);
    Clock.Advance(10000);
    EXPECT_EQ(Status(p), "Operation started...");
    Clock.Advance(1);
    EXPECT_EQ(Status(p), "API 'MQGET' appears to be slow 10001ms");
    Clock.Advance(999);
    EXPECT_EQ(Status(p), "API 'MQGET' appears to be slow 11000ms");
    ProgApiEnd(p);
    char name[20];
    ProgApiName(999, name, sizeof name);
    EXPECT_STREQ(name, "API(999)");

    /* total 0 counts as done */
    ASSERT_EQ(ProgStatsText(p, &t), 1);
    EXPECT_TRUE(t.percentChanged);
    EXPECT_EQ(t.barPosition, 100000u);
    EXPECT_STREQ(t.caption, "Copying : 100% Completed");
    EXPECT_STREQ(t.elapsed, "11 seconds");
    EXPECT_FALSE(t.readChanged);
    EXPECT_EQ(ProgStatsText(p, &t), 0);                       /* nothing new */

    ProgCountRead(p, 1, 1536);
    ProgCountWritten(p, 3, 3 * 1048576);
    ProgSetPosition(p, 25, 100);
    ASSERT_EQ(ProgStatsText(p, &t), 1);
    EXPECT_STREQ(t.read, "Read : 1 msg (1.5 KB) ");
    EXPECT_STREQ(t.written, "Written : 3 msgs (3 MB) ");
    EXPECT_STREQ(t.caption, "Copying : 25% Completed");
    EXPECT_EQ(t.barPosition, 25000u);
    EXPECT_STREQ(t.messageRate, "0.4 Messages/Second");      /* 4 in 11 s */
    EXPECT_FALSE(t.elapsedChanged);
    EXPECT_STREQ(t.remaining, "33 seconds");

    /* an abort: counts "before rollback", every line again */
    std::atomic_ref<int32_t>(p->abortRequested).store(1);
    EXPECT_EQ(ProgAbortRequested(p), 1);
    EXPECT_EQ(Status(p), "Abort requested.");
    ProgSetDone(p, 1);
    ASSERT_EQ(ProgStatsText(p, &t), 1);
    EXPECT_STREQ(t.status, "Operation Aborted by request.");
    EXPECT_STREQ(t.caption, "Copying : Aborted at 25%");   /* as the status says, never "Completed" */
    EXPECT_STREQ(t.read, "Read : 1 msg (1.5 KB) (before rollback)");
    EXPECT_TRUE(t.elapsedChanged);
    ProgFind(keyA);
    ProgFinish(p);
    EXPECT_EQ(Status(p), "Operation Aborted by request.");
    ProgRelease(p);
}

/* A run that fails before it knows its total, or after its last message
 * (its commit refused), never reads "100% Completed" over "Operation
 * Aborted.". */
TEST_F(EngineTest, AFailedRunNeverClaimsToHaveCompleted)
{
    RECORDS_ONLY();
    Clock.Freeze();
    PROGTEXTS t;
    PROGRESS *early = ProgCreate(nullptr, keyA, "Moving messages");
    ASSERT_NE(early, nullptr);
    ProgFind(keyA);
    ProgSetDone(early, 1);
    ProgFinish(early);
    ProgStatsText(early, &t);
    EXPECT_STREQ(t.status, "Operation Aborted.");
    EXPECT_STREQ(t.caption, "Moving messages : Aborted at 0%");
    EXPECT_EQ(t.barPosition, 0u);
    ProgRelease(early);
    PROGRESS *late = ProgCreate(nullptr, keyA, "Moving messages");
    ASSERT_NE(late, nullptr);
    ProgFind(keyA);
    ProgMarkTime(late);
    ProgCountRead(late, 4, 40);
    ProgCountWritten(late, 4, 40);
    ProgSetPosition(late, 4, 4);
    ProgSetDone(late, 1);
    ProgFinish(late);
    ProgStatsText(late, &t);
    EXPECT_STREQ(t.status, "Operation Aborted.");
    EXPECT_STREQ(t.caption, "Moving messages : Aborted at 100%");
    EXPECT_STREQ(t.written, "Written : 4 msgs (40 bytes) (before rollback)");
    ProgRelease(late);
}

TEST_F(EngineTest, ShortOperationsAndCompletion)
{
    RECORDS_ONLY();
    Clock.Freeze();
    PROGRESS *p = ProgCreate(nullptr, keyA, "Move");
    PROGTEXTS t;
    ProgMarkTime(p);
    ProgSetPosition(p, 10, 40);
    Clock.Advance(250);
    ProgStatsText(p, &t);
    EXPECT_STREQ(t.elapsed, "250 milliseconds");
    EXPECT_STREQ(t.caption, "Move : 25% Completed");
    ProgFind(keyA);
    ProgFinish(p);                                            /* not ended: all done */
    ProgStatsText(p, &t);
    EXPECT_STREQ(t.status, "Operation completed.");
    EXPECT_STREQ(t.caption, "Move : 100% Completed");
    ProgRelease(p);
}

TEST_F(EngineTest, FinishAndDestroyRacingFreeARecordOnce)
{
    RECORDS_ONLY();
    const int rounds = 2000;
    for (int i = 0; i < rounds; i++) {
        uint8_t key[24] = {};
        memcpy(key, &i, sizeof i);
        PROGRESS *p = ProgCreate(nullptr, key, "Race");
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(ProgFind(key), p);
        std::atomic<int> go{0};
        /* both start together; on one core a spinner gives way */
        std::thread worker([&] {
            while (!go.load())
                std::this_thread::yield();
            ProgCountWritten(p, 1, 10);
            ProgFinish(p);
        });
        std::thread window([&] {
            while (!go.load())
                std::this_thread::yield();
            ProgRelease(p);
        });
        go = 1;
        worker.join();
        window.join();
        ASSERT_EQ(Listed(), 0u) << i;
    }
}
