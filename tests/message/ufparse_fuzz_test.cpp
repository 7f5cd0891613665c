/* Robustness of the user format parser: the fixtures load cleanly, every
 * prefix and a bounded number of mutations end in success or one of the
 * language's errors (RAVOLT_FUZZ_COUNT sets the count; bench/message has
 * the long run), and nothing is left allocated afterwards. */
#include "ufparsefuzz.h"
#include "csmem.h"
#include <chrono>
#include <gtest/gtest.h>

static std::string FuzzDir(const char *name)
{
    return (std::filesystem::temp_directory_path() /
            (std::string("ravolt_uffuzz_") + name + "_" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))).string();
}

TEST(UserFormatFuzz, FixturesLoadCleanly)
{
    InstallStubTables();
    UFFuzzer f;
    f.Start(FuzzDir("fixtures"));
    UFFuzzRng r{ 99 };
    for (const std::string &text : f.fixtures) {
        f.LoadAndUse(text, &r, true);
        EXPECT_EQ(f.check.errors, 0u) << f.check.firstUnexpected;
    }
    EXPECT_GT(f.check.structs, 5u);
    EXPECT_GT(f.check.lines, 50u);
    f.Stop();
}

TEST(UserFormatFuzz, PrefixesAndMutationsEndInAKnownResult)
{
    InstallStubTables();
    CSMEMSTATS before, after;
    CSMemStats(&before);
    UFFuzzer f;
    f.Start(FuzzDir("run"));
    const char *env = getenv("RAVOLT_FUZZ_COUNT");
    uint64_t count = env ? strtoull(env, nullptr, 10) : 20000;
    uint64_t prefixes = f.Prefixes(env ? 1 : 3);
    f.Mutations(count, 0xF00D);
    EXPECT_GT(prefixes, 300u);
    EXPECT_EQ(f.check.unexpected, 0u) << f.check.firstUnexpected;
    EXPECT_GT(f.check.errors, count / 4);
    EXPECT_GT(f.check.structs, count / 16);
    f.Stop();
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
}
