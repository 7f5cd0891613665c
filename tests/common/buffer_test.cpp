/* Growable buffers and shared strings. */
#include "cs.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

TEST(Data, GrowthInPageMultiples)
{
    CSDATA d = {};
    std::vector<uint8_t> bytes(5000, 7);
    ASSERT_EQ(CSDataAppend(&d, bytes.data(), 4097, 0), 1);
    EXPECT_EQ(d.capacity, 8192u);
    EXPECT_EQ(d.length, 4097u);
    CSDataFree(&d);
    EXPECT_EQ(d.data, nullptr);
    EXPECT_EQ(d.capacity, 0u);

    ASSERT_EQ(CSDataAppend(&d, bytes.data(), 4096, 0), 1);
    EXPECT_EQ(d.capacity, 4096u);
    CSDATA e = {};
    ASSERT_EQ(CSDataAppend(&e, bytes.data(), 4096, 0), 1);
    ASSERT_EQ(CSDataAppend(&d, "x", 1, 0), 1);
    EXPECT_EQ(d.capacity, 8192u);
    ASSERT_EQ(CSDataAppend(&e, "x", 1, 5000), 1);
    EXPECT_EQ(e.capacity, 12288u);
    EXPECT_EQ(e.data[4096], 'x');
    EXPECT_EQ(e.data[4095], 7);
    /* Appending part of its own content while it moves. */
    ASSERT_EQ(CSDataAppend(&e, e.data, 4097, 0), 1);
    EXPECT_EQ(e.length, 8194u);
    EXPECT_EQ(e.data[8193], 'x');
    /* A total past 32 bits is refused, the buffer unchanged. */
    EXPECT_EQ(CSDataAppend(&e, bytes.data(), (size_t)UINT32_MAX, 0), 0);
    EXPECT_EQ(e.length, 8194u);
    CSDataFree(&d);
    CSDataFree(&e);
}

TEST(Data, EnsureGrowMovesTheCursor)
{
    CSDATA d = {};
    ASSERT_EQ(CSDataSet(&d, "0123456789", 10, 0), 1);
    uint8_t *cursor = d.data + 6;
    EXPECT_EQ(CSDataEnsure(&d, 100, &cursor), 1);
    EXPECT_EQ(cursor, d.data + 6);
    ASSERT_EQ(CSDataEnsure(&d, 5000, &cursor), 1);
    EXPECT_EQ(d.capacity, 8192u);
    EXPECT_EQ(cursor, d.data + 6);
    EXPECT_EQ(*cursor, '6');
    CSDataFree(&d);
}

TEST(Data, SetCompareAndShift)
{
    CSDATA d = {};
    ASSERT_EQ(CSDataSet(&d, "abc", -1, 0), 1);
    EXPECT_EQ(d.length, 4u);
    EXPECT_EQ(d.capacity, 4096u);
    EXPECT_EQ(CSDataCompare(&d, "abc", -1), 0);
    EXPECT_EQ(CSDataCompare(&d, "abd", -1), -1);
    EXPECT_EQ(CSDataCompare(&d, "ab", -1), 1);
    EXPECT_EQ(CSDataCompare(&d, nullptr, 0), 1);

    /* When new storage cannot be had, the old content stays. */
    EXPECT_EQ(CSDataSet(&d, "xyz", 3, (size_t)UINT32_MAX), 0);
    EXPECT_EQ(d.length, 4u);
    EXPECT_EQ(d.capacity, 4096u);
    EXPECT_EQ(CSDataCompare(&d, "abc", -1), 0);

    ASSERT_EQ(CSDataSet(&d, "abcdef", 6, 0), 1);
    uint8_t *end2 = d.data + 4;
    EXPECT_EQ(CSDataShift(&d, end2, -3), 0);
    EXPECT_EQ(d.length, 6u);
    EXPECT_EQ(CSDataShift(&d, d.data - 1, 1), 0);
    EXPECT_EQ(CSDataShift(&d, d.data + 7, 1), 0);
    ASSERT_EQ(CSDataShift(&d, d.data + 2, 2), 1);
    EXPECT_EQ(d.length, 8u);
    EXPECT_EQ(memcmp(d.data, "abcdcdef", 8), 0);
    ASSERT_EQ(CSDataShift(&d, d.data + 1, -3), 1);
    EXPECT_EQ(memcmp(d.data, "acdef", 5), 0);
    d.length = d.capacity - 2;
    EXPECT_EQ(CSDataShift(&d, d.data, 3), 0);
    CSDataFree(&d);
    CSDATA empty = {};
    EXPECT_EQ(CSDataCompare(&empty, nullptr, 0), 0);
}

TEST(SharedString, EqualTextsShareOneCopy)
{
    const char *a = CSStringGet("QUEUE.A", -1);
    const char *b = CSStringGet("QUEUE.AB", 7);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_STREQ(a, "QUEUE.A");
    std::string longText(500, 'q');
    const char *l1 = CSStringGet(longText.c_str(), -1);
    const char *l2 = CSStringGet(longText.c_str(), 500);
    EXPECT_EQ(l1, l2);
    const char *q = CSStringGet("QUEUE", -1);
    EXPECT_NE(q, a);
    EXPECT_EQ(CSStringGet("x", -2), nullptr);
    EXPECT_EQ(CSStringGet(nullptr, -1), nullptr);
    CSMEMSTATS before, after;
    CSMemStats(&before);
    CSStringRelease(l1);
    CSStringRelease(l2);
    CSStringRelease(a);
    CSStringRelease(b);
    CSStringRelease(q);
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks - 3);
    CSStringRelease(nullptr);
}

TEST(SharedString, SetSlot)
{
    const char *slot = nullptr;
    EXPECT_EQ(CSStringSet(&slot, nullptr, -1), 0);
    EXPECT_EQ(CSStringSet(&slot, "A", -1), 1);
    const char *held = slot;
    EXPECT_EQ(CSStringSet(&slot, "A", -1), 0);
    EXPECT_EQ(slot, held);
    EXPECT_EQ(CSStringSet(&slot, "B", -1), 1);
    EXPECT_STREQ(slot, "B");
    EXPECT_EQ(CSStringSet(&slot, nullptr, -1), 1);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(CSStringSet(&slot, "", -1), 0);
}

/* A slot set from a part of its own text (its start or its end): the
 * part is read before the old text is let go. */
TEST(SharedString, SetSlotFromItsOwnText)
{
    const char *slot = nullptr;
    ASSERT_EQ(CSStringSet(&slot, "QMGR1.SYSTEM.QUEUE", -1), 1);
    EXPECT_EQ(CSStringSet(&slot, slot, 5), 1);
    EXPECT_STREQ(slot, "QMGR1");
    EXPECT_EQ(CSStringSet(&slot, slot + 2, -1), 1);
    EXPECT_STREQ(slot, "GR1");
    EXPECT_EQ(CSStringGet("GR1", -1), slot);
    CSStringRelease(slot);
    EXPECT_EQ(CSStringSet(&slot, nullptr, -1), 1);
}

/* The 16-bit count must not wrap: a text held 65535 times and more is
 * kept, never freed under its holders. */
TEST(SharedString, CountAtItsLimitKeepsTheText)
{
    const char *first = CSStringGet("MANY.HOLDERS", -1);
    for (int i = 1; i < 70000; i++)
        ASSERT_EQ(CSStringGet("MANY.HOLDERS", -1), first);
    for (int i = 0; i < 70000; i++)
        CSStringRelease(first);
    EXPECT_STREQ(first, "MANY.HOLDERS");
    EXPECT_EQ(CSStringGet("MANY.HOLDERS", -1), first);
}

/* Threads take, set and let go of the same texts at once (a get thread's
 * queue refresh beside the window thread's location changes): every
 * count stays right, so that nothing is freed under a holder and
 * everything is freed at the end. */
TEST(SharedString, ThreadsRacing)
{
    static const char *const names[] = { "CLUSTER.A", "CLUSTER.B", "QM1", "QM2", "APP.QUEUE.1",
                                         "APP.QUEUE.2", "SYSTEM.CLUSTER.TRANSMIT.QUEUE", "Z" };
    const int kinds = (int)(sizeof names / sizeof names[0]);
    const char *shared[4] = {};
    CSMEMSTATS before, after;
    CSMemStats(&before);
    auto work = [&](int seed) {
        const char *own[4] = {};
        for (int i = 0; i < 20000; i++) {
            const char *name = names[(i * 7 + seed) % kinds];
            if ((i + seed) % 3 < 2) {
                CSStringSet(&((i + seed) % 3 ? own : shared)[i % 4], name, -1);
                continue;
            }
            const char *held = CSStringGet(name, -1);
            ASSERT_STREQ(held, name);
            CSStringRelease(held);
        }
        for (const char *&slot : own)
            CSStringSet(&slot, nullptr, -1);
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++)
        threads.emplace_back(work, t);
    for (std::thread &t : threads)
        t.join();
    for (const char *&slot : shared)
        CSStringSet(&slot, nullptr, -1);
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
}
