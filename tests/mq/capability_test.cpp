/* Capability flags: the triple rule and the flags of platforms and levels. */
#include <gtest/gtest.h>

#include <cstring>

#include "mq/capability.h"

namespace {

struct Caps {
    CapabilityFlags f;
    Caps(int32_t platform, int32_t level)
    {
        memset(f, 0, sizeof f);
        CapSetForQmgr(f, platform, level);
    }
};

int Check(const uint8_t *caps, uint16_t a, uint16_t b, uint16_t x)
{
    CapTriple t = { a, b, x };
    return CapCheckTriple(caps, &t);
}

} // namespace

TEST(Capability, NullArrayPassesEverything)
{
    EXPECT_EQ(CapGet(nullptr, 5), 1);
    EXPECT_EQ(Check(nullptr, 5, 6, 7), 1);
    CapSet(nullptr, 3);
    CapClear(nullptr, 3);
    CapTriple t = { 1, 0, 0 };
    EXPECT_EQ(CapTest(nullptr, nullptr, &t), 1);
}

TEST(Capability, TripleRule)
{
    Caps win200(11, 200), win230(11, 230);
    EXPECT_EQ(Check(win200.f, 0, 0, 0), 1);
    EXPECT_EQ(Check(win200.f, 5, 0, 0), 0);
    EXPECT_EQ(Check(win230.f, 5, 0, 0), 1);
    EXPECT_EQ(Check(win230.f, 5, 4, 0), 1);
    EXPECT_EQ(Check(win230.f, 5, 4, 25), 0);     /* excluded: Windows */
    EXPECT_EQ(Check(win230.f, 0, 7, 0), 0);

    struct { CapTriple t; int payload; } record = { { 5, 0, 0 }, 99 };
    EXPECT_EQ(CapTest(&record, win200.f, &record), 0);
    EXPECT_EQ(CapTest(nullptr, win230.f, &record), 1);
}

TEST(Capability, PlatformsAndLevels)
{
    EXPECT_EQ(Caps(11, 850).f[52], 0);
    EXPECT_EQ(Caps(11, 900).f[52], 1);
    EXPECT_EQ(Caps(3, 850).f[52], 1);
    EXPECT_EQ(Caps(1, 904).f[53], 1);
    EXPECT_EQ(Caps(3, 904).f[53], 0);
    EXPECT_EQ(Caps(3, 905).f[53], 1);
    EXPECT_EQ(Caps(4, 905).f[53], 1);

    Caps zos(1, 100);
    EXPECT_EQ(zos.f[9], 1);
    EXPECT_EQ(zos.f[10], 0);
    EXPECT_EQ(zos.f[19], 1);
    Caps zos114(1, 114);
    EXPECT_EQ(zos114.f[9], 0);
    EXPECT_EQ(zos114.f[11], 1);

    Caps ibmi(4, 510);
    for (int i : { 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 27 }) EXPECT_EQ(ibmi.f[i], 1) << i;
    EXPECT_EQ(ibmi.f[9], 0);

    EXPECT_EQ(Caps(28, 0).f[71], 1);
    EXPECT_EQ(Caps(11, 0).f[71], 0);
    EXPECT_EQ(Caps(11, 711).f[37], 1);
    EXPECT_EQ(Caps(12, 711).f[37], 0);           /* OpenVMS: not this one */
    EXPECT_EQ(Caps(13, 931).f[16], 1);
    EXPECT_EQ(Caps(1, 931).f[16], 0);

    Caps none(99, 999);
    for (int i = 0; i < CAP_COUNT; i++) EXPECT_EQ(none.f[i], 0);
    for (int level : { 0, 500, 900, 999 })
        EXPECT_EQ(Caps(11, level).f[0], 0) << level;
}

TEST(Capability, SetForQmgrOnlyAddsAndMergeJoins)
{
    CapabilityFlags f;
    memset(f, 0, sizeof f);
    CapSet(f, 40);
    CapSetForQmgr(f, 11, 900);
    EXPECT_EQ(f[40], 1);                          /* not cleared first */
    CapSet(f, 52);
    CapSetForQmgr(f, 11, 850);
    EXPECT_EQ(f[52], 0);                          /* the one flag cleared */

    CapabilityFlags a, b;
    memset(a, 0, sizeof a);
    memset(b, 0, sizeof b);
    b[3] = 1;
    CapMerge(a, b);
    EXPECT_EQ(a[3], 1);
    EXPECT_EQ(a[4], 0);
    CapMerge(a, nullptr);
    for (int i = 0; i < CAP_COUNT; i++) EXPECT_EQ(a[i], 1);
    EXPECT_EQ(CapGet(a, CAP_COUNT), 0);           /* outside the array */
    CapSet(a, 500);
}
