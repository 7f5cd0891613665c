/* Tagged memory: header, classes, statistics, size limits, the cursor
 * buffer and the static pool. */
#include "cs.h"

#include <gtest/gtest.h>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

static const CSMEMHEADER *HeaderOf(void *block)
{
    return (const CSMEMHEADER *)((char *)block - 48);
}

TEST(Memory, HeaderClassesAndStatistics)
{
    CSMEMSTATS before, peak, after;
    CSMemStats(&before);
    void *zero = CSGetMem(0, "TEST");
    void *small = CSGetMem(247, "TEST");
    void *large = CSGetMem(248, "TEST");
    ASSERT_TRUE(zero && small && large);
    EXPECT_EQ(HeaderOf(zero)->total, 52u);
    EXPECT_EQ(HeaderOf(small)->total, 299u);
    EXPECT_EQ(HeaderOf(small)->cls, 1u);
    EXPECT_EQ(HeaderOf(large)->total, 300u);
    EXPECT_EQ(HeaderOf(large)->cls, 2u);
    EXPECT_EQ(HeaderOf(small)->sequence + 1, HeaderOf(large)->sequence);
    memset(small, 0xAB, 247);
    CSMemStats(&peak);
    EXPECT_EQ(peak.blocks, before.blocks + 3);
    EXPECT_EQ(peak.bytes, before.bytes + 52 + 299 + 300);
    EXPECT_GE(peak.highWater, peak.bytes);
    CSFreeMem(zero);
    CSFreeMem(small);
    CSFreeMemAndClear(&large);
    EXPECT_EQ(large, nullptr);
    CSFreeMemAndClear(&large);   /* empty slot: nothing happens */
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
    EXPECT_EQ(after.bytes, before.bytes);
    EXPECT_GE(after.highWater, peak.bytes);
    EXPECT_EQ(after.sequence, before.sequence + 3);
}

TEST(Memory, StatisticsStayExactUnderThreads)
{
    enum { THREADS = 4, ROUNDS = 20000 };
    CSMEMSTATS before, after;
    CSMemStats(&before);
    std::vector<uint32_t> kept[THREADS];
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; t++)
        threads.emplace_back([t, &kept] {
            for (int i = 0; i < ROUNDS; i++) {
                void *a = CSGetMem((size_t)(i % 500), "TEST");
                void *b = CSGetMem(16, "TEST");
                if (!a || !b)
                    return;
                kept[t].push_back(HeaderOf(a)->sequence);
                kept[t].push_back(HeaderOf(b)->sequence);
                CSFreeMem(a);
                CSFreeMem(b);
            }
        });
    for (std::thread &t : threads)
        t.join();
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
    EXPECT_EQ(after.bytes, before.bytes);
    EXPECT_EQ(after.sequence, before.sequence + THREADS * ROUNDS * 2);
    /* No two blocks were given the same sequence number. */
    std::set<uint32_t> seen;
    for (auto &k : kept)
        seen.insert(k.begin(), k.end());
    EXPECT_EQ(seen.size(), (size_t)THREADS * ROUNDS * 2);
    /* The high water mark saw at least one block of each thread at once. */
    EXPECT_GE(after.highWater, before.bytes);
}

#if defined(__SANITIZE_ADDRESS__)
/* The sanitizer build gives a block no spare bytes: a write one byte past
 * the data is an overflow the sanitizer reports. */
TEST(MemoryDeathTest, WritePastABlockIsReported)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            volatile char *p = (volatile char *)CSGetMem(10, "TEST");
            p[10] = 1;
        },
        "heap-buffer-overflow");
    EXPECT_DEATH(
        {
            volatile char *p = (volatile char *)CSGetMem(300, "TEST");
            p[303] = 1;
        },
        "heap-buffer-overflow");
}
#endif

TEST(Memory, SizesThatWouldWrapAreRefused)
{
    CSMEMSTATS before, after;
    CSMemStats(&before);
    EXPECT_EQ(CSGetMem(SIZE_MAX, "TEST"), nullptr);
    EXPECT_EQ(CSGetMem(SIZE_MAX - 51, "TEST"), nullptr);
    EXPECT_EQ(CSGetMem((size_t)UINT32_MAX - 51, "TEST"), nullptr);
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
    EXPECT_EQ(after.sequence, before.sequence);
}

TEST(Memory, TestsCanRefuseOneTag)
{
    CSMemFailTag("REFUSED", 2);
    void *other = CSGetMem(10, "OTHER");
    EXPECT_NE(other, nullptr);
    EXPECT_EQ(CSGetMem(10, "REFUSED"), nullptr);
    EXPECT_EQ(CSGetMem(10, "REFUSED"), nullptr);
    void *third = CSGetMem(10, "REFUSED");
    EXPECT_NE(third, nullptr);
    CSFreeMem(other);
    CSFreeMem(third);
}

TEST(Memory, BufferReserveGrowth)
{
    CSBUFFER buf = {nullptr, 0, "TESTBUF"};
    uint8_t *cur = nullptr;
    ASSERT_EQ(CSBufferReserve(&buf, &cur, 1000), 1);
    ASSERT_NE(cur, nullptr);
    EXPECT_EQ(buf.size, 1000u);
    memset(cur, 'x', 990);
    cur += 990;
    EXPECT_EQ(CSBufferReserve(&buf, &cur, 9), 0);       /* 999 < 1000 */
    EXPECT_EQ(CSBufferReserve(&buf, &cur, 10), 1);      /* 1000 is not < 1000 */
    EXPECT_EQ(buf.size, 2000u);
    EXPECT_EQ(cur, buf.block + 990);
    EXPECT_EQ(buf.block[989], 'x');
    CSFreeMem(buf.block);

    CSBUFFER b2 = {nullptr, 0, "TESTBUF"};
    ASSERT_EQ(CSBufferReserve(&b2, &cur, 1000), 1);
    cur += 990;
    EXPECT_EQ(CSBufferReserve(&b2, &cur, 5000), 1);
    EXPECT_EQ(b2.size, 6000u);
    CSFreeMem(b2.block);

    CSBUFFER b3 = {nullptr, 0, "TESTBUF"};
    ASSERT_EQ(CSBufferReserve(&b3, &cur, 600000), 1);
    cur += 599999;
    EXPECT_EQ(CSBufferReserve(&b3, &cur, 10), 1);
    EXPECT_EQ(b3.size, 1112000u);
    /* A need that would take the size past 32 bits: the old block stays. */
    uint8_t *old = b3.block;
    EXPECT_EQ(CSBufferReserve(&b3, &cur, (size_t)UINT32_MAX), 1);
    EXPECT_EQ(cur, nullptr);
    EXPECT_EQ(b3.block, old);
    CSFreeMem(b3.block);

    /* A cursor beyond the end is reported and only the block is kept. */
    CSBUFFER b4 = {nullptr, 0, "TESTBUF"};
    ASSERT_EQ(CSBufferReserve(&b4, &cur, 100), 1);
    memset(b4.block, 'k', 100);
    cur = b4.block + 150;
    EXPECT_EQ(CSBufferReserve(&b4, &cur, 1), 1);
    EXPECT_EQ(b4.size, 200u);
    EXPECT_EQ(cur, b4.block + 100);
    EXPECT_EQ(b4.block[99], 'k');
    CSFreeMem(b4.block);
}

TEST(Memory, StaticPool)
{
    CSSTATIC pool = {nullptr, 0};
    char *a = (char *)CSStaticAlloc(&pool, 1, "abc", 3);
    char *b = (char *)CSStaticAlloc(&pool, 1, nullptr, 8);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(pool.blockSize, 1024u);
    EXPECT_EQ(b, a + 4);
    EXPECT_EQ(memcmp(a, "abc", 3), 0);
    EXPECT_EQ(((uintptr_t)b) % 4, 0u);
    char *c = (char *)CSStaticAlloc(&pool, 0, "z", 1);
    EXPECT_EQ(c, b + 8);
    char big[3000] = {0};
    char *d = (char *)CSStaticAlloc(&pool, 1, big, sizeof big);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(pool.blockSize, 3000u);
    EXPECT_EQ(pool.first->next->capacity, 3000u);
    /* Pieces fill the first block before a new one is taken. */
    for (int i = 0; i < 200; i++)
        ASSERT_NE(CSStaticAlloc(&pool, 1, nullptr, 4), nullptr);
    CSStaticReset(&pool);
    EXPECT_EQ(CSStaticAlloc(&pool, 1, nullptr, 1), a);
    EXPECT_EQ(pool.first->next->used, 0u);
    for (CSSTATICBLOCK *blk = pool.first; blk;) {
        CSSTATICBLOCK *next = blk->next;
        CSFreeMem(blk);
        blk = next;
    }
}
