/* The compiler's robustness, bounded for every run (bench/filters runs
 * it a million times and more): every prefix of a corpus of filters,
 * random token streams and byte mutations each compile to a program or
 * to a known message with its range inside the text, and programs
 * evaluate over Queue List rows; random statusf and date$ formats stay
 * within their output; "%" names complete within their bounds. */
#include <gtest/gtest.h>

#include "fltfuzz.h"
#include "filters.h"

namespace {

struct Fuzz : ::testing::Test {
    static void SetUpTestSuite() { FltFuzzSetUp(); }
    static void TearDownTestSuite() { FltFuzzTearDown(); }
};

void Expect(const FltFuzzResult &r)
{
    EXPECT_EQ(r.problems, 0u) << r.firstProblem;
    EXPECT_GT(r.runs, 0u);
}

TEST_F(Fuzz, EveryPrefixOfTheCorpus)
{
    FltFuzzResult r;
    FltFuzzPrefixes(&r);
    Expect(r);
    EXPECT_GT(r.compiled, 50u);
    EXPECT_GT(r.failed, 50u);
}

TEST_F(Fuzz, RandomTokenStreams)
{
    FltFuzzResult r;
    FltFuzzTokens(20000, 0x5EED, &r);
    Expect(r);
    EXPECT_GT(r.compiled, 200u);
}

TEST_F(Fuzz, ByteMutations)
{
    FltFuzzResult r;
    FltFuzzMutations(20000, 0xB17E, &r);
    Expect(r);
}

TEST_F(Fuzz, FormatsAndNames)
{
    FltFuzzResult r;
    FltFuzzFormats(20000, 0xF0F0, &r);
    FltFuzzNames(3000, 0xAAAA, &r);
    Expect(r);
}

}  // namespace
