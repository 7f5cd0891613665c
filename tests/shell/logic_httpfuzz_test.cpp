/* Robustness of the response parser: every prefix of each sample, and
 * random mutations with hostile numbers, fed in random pieces, always end
 * with a verdict once the peer closes, and the parser never reads or
 * holds more than its bounds (the sanitizers of the native build catch a
 * read outside the block).  RAVOLT_FUZZ_COUNT sets the mutation count. */
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "version.h"
#include "cs.h"

namespace {

struct Rng {
    uint64_t s;
    uint32_t Next() { s ^= s << 13; s ^= s >> 7; s ^= s << 17; return (uint32_t)(s >> 11); }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

const std::vector<std::string> &Samples()
{
    static const std::vector<std::string> s = {
        "HTTP/1.1 200 OK\r\nContent-Length: 52\r\n\r\n<p>Ravolt Program version</p>\nVersion 9.4.0 Jan 1 2030\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nRavo\r\n12\r\nlt Program version\r\n"
        "A;x=y\r\n\nVersion 9\r\n0\r\n\r\n",
        "HTTP/1.0 404 Not Found\nServer: test\n\n<h1>404</h1>",
        "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
    };
    return s;
}

const char *const hostile[] = {
    "99999999999999999999", "4294967296", "1048577", "FFFFFFFFFFFFFFFF", "-1", "0", "7fffffff",
    "\r\n\r\n", "chunked", "Content-Length: ", "Transfer-Encoding: chunked\r\n",
};

void Mutate(Rng &r, std::string &b)
{
    int edits = 1 + (int)r.Below(4);
    for (int e = 0; e < edits; e++) {
        uint32_t at = r.Below((uint32_t)b.size() + 1);
        switch (r.Below(5)) {
        case 0: if (at < b.size()) b[at] = (char)r.Next(); break;
        case 1: if (at < b.size()) b.erase(at, 1 + r.Below(8)); break;
        case 2: b.insert(at, 1 + r.Below(4), (char)r.Next()); break;
        case 3: b.insert(at, hostile[r.Below(sizeof hostile / sizeof *hostile)]); break;
        case 4: if (at < b.size()) b.insert(at, b.substr(at, r.Below(64))); break;
        }
    }
}

/* feeds the bytes in random pieces, then closes: a verdict always comes */
void FeedAll(Rng &r, const std::string &bytes)
{
    VERHTTP h;
    VerHttpInit(&h);
    size_t at = 0;
    int rc = VERHTTP_MORE;
    while (at < bytes.size() && rc == VERHTTP_MORE) {
        size_t n = std::min<size_t>(bytes.size() - at, 1 + r.Below(40));
        rc = VerHttpFeed(&h, bytes.data() + at, (uint32_t)n);
        at += n;
        ASSERT_LE(h.size, VERHTTP_HEADER_MAX + VERHTTP_BODY_MAX + VERHTTP_LINE_MAX + 1);
        ASSERT_LT(h.length, h.size > 0 ? h.size : 1);
        ASSERT_LE(h.parsed, h.length);
    }
    if (rc == VERHTTP_MORE)
        rc = VerHttpClosed(&h);
    ASSERT_TRUE(rc == VERHTTP_DONE || rc == VERHTTP_BAD) << rc;
    if (rc == VERHTTP_DONE) {
        ASSERT_LE(h.headerLength, VERHTTP_HEADER_MAX + 1);
        ASSERT_LE(h.bodyLength, VERHTTP_BODY_MAX);
        ASSERT_EQ(h.length, h.headerLength + h.bodyLength);
        ASSERT_EQ(h.data[h.length], 0);
    }
    VerHttpFree(&h);
}

}  // namespace

TEST(HttpFuzz, EveryPrefixEndsWithAVerdict)
{
    Rng r{0x1234567};
    for (const std::string &s : Samples())
        for (size_t n = 0; n <= s.size(); n++)
            FeedAll(r, s.substr(0, n));
}

TEST(HttpFuzz, RandomMutationsEndWithAVerdictInsideTheBounds)
{
    CSMEMSTATS before, after;
    CSMemStats(&before);
    const char *env = getenv("RAVOLT_FUZZ_COUNT");
#ifdef _WIN32
    uint64_t count = env ? strtoull(env, nullptr, 10) : 50000;
#else
    uint64_t count = env ? strtoull(env, nullptr, 10) : 1000000;
#endif
    Rng r{0x5EED1234};
    for (uint64_t i = 0; i < count; i++) {
        std::string b = Samples()[r.Below((uint32_t)Samples().size())];
        Mutate(r, b);
        FeedAll(r, b);
        if (HasFatalFailure())
            return;
    }
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
}
