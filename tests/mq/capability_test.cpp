/* Capability flags: the triple rule and the flags of platforms and levels. */
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

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

namespace {

/* The flags of each platform as the capability table lists them: from a
 * command level on (INT32_MIN: always), these flags are set. */
struct LevelFlags {
    int32_t level;
    std::vector<int> flags;
};

const int32_t Always = INT32_MIN;

const std::vector<LevelFlags> ZosFlags = {
    { Always, { 3, 7, 19 } }, { 114, { 10, 11 } }, { 120, { 6 } }, { 210, { 4, 8, 29 } },
    { 220, { 12, 13, 14 } }, { 520, { 20 } }, { 530, { 1, 21, 22, 34 } }, { 600, { 2, 26, 33, 50 } },
    { 700, { 30 } }, { 701, { 31 } }, { 710, { 36, 48 } }, { 750, { 38 } }, { 800, { 42, 43 } },
    { 900, { 49 } }, { 902, { 51 } }, { 904, { 53 } }, { 911, { 55 } }, { 913, { 56 } }, { 914, { 59 } },
    { 915, { 60 } }, { 921, { 66 } }, { 923, { 63 } }, { 924, { 67 } }, { 930, { 18, 23, 35 } },
    { 932, { 70 } },
};

const std::vector<LevelFlags> IbmiFlags = {
    { Always, { 11, 12, 13, 27, 29 } }, { 510, { 1, 2, 3, 4, 5, 6, 7, 8, 10 } }, { 530, { 20, 21, 22 } },
    { 600, { 26, 35, 43, 48 } }, { 700, { 30, 39, 50 } }, { 701, { 31, 32, 33, 34 } }, { 710, { 36 } },
    { 750, { 38 } }, { 800, { 42, 65 } }, { 801, { 45, 52 } },
};

const std::vector<LevelFlags> DistributedFlags = {
    { Always, { 10, 11, 12, 13, 29 } }, { 201, { 2, 3 } }, { 230, { 1, 4, 5, 6 } }, { 510, { 7, 8 } },
    { 530, { 20, 21, 22 } }, { 600, { 26, 35, 43, 48 } }, { 700, { 30, 39, 50 } },
    { 701, { 31, 32, 33, 34, 41 } }, { 710, { 36 } }, { 750, { 38 } }, { 800, { 42, 65 } },
    { 801, { 44, 45, 52 } },
};

const std::vector<LevelFlags> UnixLikeFlags = { { 711, { 37 } }, { 802, { 47 } } };

const std::vector<LevelFlags> TailFlags = {
    { 900, { 49 } }, { 902, { 51 } }, { 905, { 53 } }, { 911, { 55 } }, { 913, { 56 } }, { 914, { 59 } },
    { 915, { 60 } }, { 921, { 66 } }, { 923, { 18, 63 } }, { 924, { 67 } }, { 930, { 23 } },
    { 931, { 16 } }, { 932, { 70 } },
};

std::vector<LevelFlags> TableOf(int32_t platform)
{
    std::vector<LevelFlags> rows;
    auto add = [&rows](const std::vector<LevelFlags> &more) { rows.insert(rows.end(), more.begin(), more.end()); };
    switch (platform) {
    case 1: add(ZosFlags); break;
    case 4: add(IbmiFlags); add(TailFlags); break;
    case 2: case 3: case 11: case 28: add(DistributedFlags); add(UnixLikeFlags); add(TailFlags); break;
    case 12: case 13: add(DistributedFlags); add(TailFlags); break;
    }
    if (platform == 11) rows.push_back({ Always, { 25 } });
    if (platform == 28) rows.push_back({ Always, { 71 } });
    return rows;
}

/* The flags the table gives a platform at a level, with the two rules
 * bound above: z/OS's flag 9 below 114 and Windows' flag 52 cleared from
 * 801 to 899. */
std::vector<int> Expected(int32_t platform, int32_t level)
{
    std::vector<int> set(CAP_COUNT, 0);
    for (const LevelFlags &row : TableOf(platform))
        if (level >= row.level)
            for (int f : row.flags) set[f] = 1;
    if (platform == 1 && level < 114) set[9] = 1;
    if (platform == 11 && level >= 801 && level <= 899) set[52] = 0;
    return set;
}

} // namespace

TEST(Capability, EveryRowOfEveryPlatformFromItsLevelOn)
{
    for (int32_t platform : { 1, 2, 3, 4, 11, 12, 13, 28 }) {
        std::vector<int32_t> levels = { INT32_MIN, -1, 0, 113, 114, 899, 900, 999, 1000, INT32_MAX };
        for (const LevelFlags &row : TableOf(platform))
            if (row.level != Always) {
                levels.push_back(row.level - 1);
                levels.push_back(row.level);
            }
        for (int32_t level : levels) {
            Caps got(platform, level);
            std::vector<int> want = Expected(platform, level);
            for (int i = 0; i < CAP_COUNT; i++)
                EXPECT_EQ(got.f[i], want[i]) << "platform " << platform << " level " << level << " flag " << i;
        }
    }
}
