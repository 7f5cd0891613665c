/* Robustness: every prefix of every sample and a bounded number of random
 * mutations format to the end (the sanitizers of the native build catch
 * any read outside the data). RAVOLT_FUZZ_COUNT sets the mutation count. */
#include "fmtfuzz.h"
#include <gtest/gtest.h>

TEST(FmtFuzz, EveryPrefixFormats)
{
    InstallStubTables();
    FuzzCheck check;
    uint64_t runs = FuzzPrefixes(&check);
    EXPECT_GT(runs, 10000u);
    EXPECT_GT(check.markers, 1000u);     /* short data shows as marker lines */
}

TEST(FmtFuzz, RandomMutationsFormat)
{
    InstallStubTables();
    const char *env = getenv("RAVOLT_FUZZ_COUNT");
    uint64_t count = env ? strtoull(env, nullptr, 10) : 30000;
    FuzzCheck check;
    FuzzMutations(&check, count, 0x5EED1234);
    EXPECT_GT(check.lines, count);
}
