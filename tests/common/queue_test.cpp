/* Inter-thread queues and events: order, request words, time-outs, the
 * refusals and many producers at once. */
#include "cs.h"

#include <gtest/gtest.h>
#include <cstring>
#include <thread>
#include <vector>

TEST(Queue, OrderRequestWordsAndTimeouts)
{
    CSITCQUEUE q;
    ASSERT_EQ(CSQueueCreate(&q), 0);
    uint64_t rq = 0;
    char buf[16];
    uint32_t t0 = CSGetTickCount();
    EXPECT_EQ(CSQueueGet(&q, buf, sizeof buf, &rq, 0), CSWAIT_TIMEOUT);
    EXPECT_EQ(CSQueueGet(&q, buf, sizeof buf, &rq, 60), CSWAIT_TIMEOUT);
    EXPECT_GE(CSGetTickCount() - t0, 50u);
    ASSERT_EQ(CSQueuePut(&q, "one", 4, 1), 0);
    ASSERT_EQ(CSQueuePut(&q, "two", 4, 2), 0);
    ASSERT_EQ(CSQueuePut(&q, "three", 6, 3), 0);
    ASSERT_EQ(CSQueuePut(&q, nullptr, 0, 4), 0);
    EXPECT_EQ(q.count, 4);
    const char *want[] = {"one", "two", "three"};
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(CSQueueGet(&q, buf, sizeof buf, &rq, 0), CSWAIT_DONE);
        EXPECT_STREQ(buf, want[i]);
        EXPECT_EQ(rq, (uint64_t)i + 1);
    }
    memset(buf, 'z', sizeof buf);
    uint32_t len = 99;
    ASSERT_EQ(CSQueueGet(&q, buf, sizeof buf, &rq, 0, &len), CSWAIT_DONE);
    EXPECT_EQ(rq, 4u);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(buf[0], 'z');
    EXPECT_EQ(q.count, 0);
    EXPECT_EQ(q.oldest, nullptr);
    EXPECT_EQ(q.newest, nullptr);
    EXPECT_EQ(CSQueueDelete(&q), 0);
}

TEST(Queue, LongRecordIsCutToTheBuffer)
{
    CSITCQUEUE q;
    ASSERT_EQ(CSQueueCreate(&q), 0);
    char record[100];
    memset(record, 'r', sizeof record);
    ASSERT_EQ(CSQueuePut(&q, record, sizeof record, 7), 0);
    char area[64];
    memset(area, 0, sizeof area);
    uint64_t rq = 0;
    uint32_t len = 0;
    ASSERT_EQ(CSQueueGet(&q, area, 16, &rq, 0, &len), CSWAIT_DONE);
    EXPECT_EQ(rq, 7u);
    EXPECT_EQ(len, 100u);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(area[i], 'r');
    for (size_t i = 16; i < sizeof area; i++)
        ASSERT_EQ(area[i], 0) << "written past the buffer at " << i;
    CSQueueDelete(&q);
}

TEST(Queue, PutRefusedWhenFull)
{
    CSITCQUEUE q;
    ASSERT_EQ(CSQueueCreate(&q), 0);
    CSMEMSTATS before, after;
    for (uint32_t i = 0; i < CSQUEUE_MAX; i++)
        ASSERT_EQ(CSQueuePut(&q, &i, 4, i), 0);
    CSMemStats(&before);
    EXPECT_EQ(CSQueuePut(&q, "x", 1, 5000), -1);
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);   /* nothing stranded */
    EXPECT_EQ(q.count, CSQUEUE_MAX);
    uint32_t v;
    uint64_t rq;
    for (uint32_t i = 0; i < CSQUEUE_MAX; i++) {
        ASSERT_EQ(CSQueueGet(&q, &v, 4, &rq, 0), CSWAIT_DONE);
        ASSERT_EQ(v, i);
    }
    EXPECT_EQ(CSQueueGet(&q, &v, 4, &rq, 0), CSWAIT_TIMEOUT);
    EXPECT_EQ(CSQueuePut(&q, "x", 1, 1), 0);   /* room again */
    ASSERT_EQ(CSQueueGet(&q, &v, 4, &rq, 0), CSWAIT_DONE);
    CSQueueDelete(&q);
}

TEST(Queue, ManyProducersOneConsumer)
{
    const int producers = 6, perProducer = 4000;
    CSITCQUEUE q;
    ASSERT_EQ(CSQueueCreate(&q), 0);
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; p++)
        threads.emplace_back([&q, p] {
            for (int i = 0; i < perProducer; i++) {
                uint32_t rec[2] = {(uint32_t)p, (uint32_t)i};
                while (CSQueuePut(&q, rec, sizeof rec, ((uint64_t)p << 32) | (uint32_t)i) != 0)
                    CSSleep(1);   /* full: the consumer catches up */
            }
        });
    std::vector<int> next(producers, 0);
    int got = 0, bad = 0;
    while (got < producers * perProducer) {
        uint32_t rec[2];
        uint64_t rq;
        int rc = CSQueueGet(&q, rec, sizeof rec, &rq, 10000);
        ASSERT_EQ(rc, CSWAIT_DONE);
        if (rec[0] >= (uint32_t)producers || (int)rec[1] != next[rec[0]] ||
            rq != (((uint64_t)rec[0] << 32) | rec[1]))
            bad++;
        else
            next[rec[0]]++;
        got++;
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(bad, 0);
    for (int p = 0; p < producers; p++)
        EXPECT_EQ(next[p], perProducer);
    uint64_t rq;
    uint32_t rec[2];
    EXPECT_EQ(CSQueueGet(&q, rec, sizeof rec, &rq, 0), CSWAIT_TIMEOUT);
    CSQueueDelete(&q);
}

TEST(Event, AutoReset)
{
    CSHANDLE ev = nullptr;
    ASSERT_EQ(CSCreateEvent(&ev), 1);
    EXPECT_EQ(CSWaitEvent(&ev, 0), CSWAIT_TIMEOUT);
    CSSetEvent(&ev);
    CSSetEvent(&ev);
    EXPECT_EQ(CSWaitEvent(&ev, 0), CSWAIT_DONE);
    EXPECT_EQ(CSWaitEvent(&ev, 30), CSWAIT_TIMEOUT);
    std::thread setter([&] { CSSleep(30); CSSetEvent(&ev); });
    EXPECT_EQ(CSWaitEvent(&ev, 5000), CSWAIT_DONE);
    setter.join();
    CSCloseHandle(&ev);
    CSHANDLE none = nullptr;
    EXPECT_EQ(CSWaitEvent(&none, 0), CSWAIT_FAILED);
    CSCloseHandle(&none);
}
