/* Every reader on damaged input: each prefix of each fixture and real
 * sample, then random mutations of them, read as Drask, dmpmqmsg or
 * amqsbcg files and as plain files whole or cut by delimiters; and the
 * range, interval, hex and EBCDIC search parsers on random texts.  Each
 * run ends with messages or an error text, never a crash (the native
 * build runs it under the sanitizers).  RAVOLT_FUZZ_COUNT raises the
 * number of mutations (a million by hand; CI runs a bounded count). */
#include "xfertest.h"

#include <cstdlib>
#include <cstring>

#include "cs.h"
#include "xferfields.h"

namespace {

long FuzzCount(long ci)
{
    const char *s = getenv("RAVOLT_FUZZ_COUNT");
    return s && atol(s) > 0 ? atol(s) : ci;
}

std::vector<std::string> Fixtures(void)
{
    std::vector<std::string> out;
    for (const char *f : {"golden/default.drask", "golden/ascii.drask", "golden/column.drask",
                          "amqsbcg/newer_several.txt", "amqsbcg/newer_dlh.txt", "dmpmqmsg/stdout_capture.dmp"})
        out.push_back(ReadAll(DataPath(f)));
    for (const char *s : {"amqsbcg/vdesabou__kafka-docker-playground__connect_connect-ibm-mq-sink_README.amqsbcg.txt",
                          "amqsbcg/yukun-blog__websphere-mq-dead-letter.amqsbcg.txt"})
        out.push_back(ReadAll(SamplePath(s)));
    for (const std::string &f : out)
        EXPECT_FALSE(f.empty());
    return out;
}

/* One read of bytes in one of the reader kinds: a result within bounds. */
void ReadOnce(const std::string &bytes, int kind)
{
    static const struct {
        uint32_t options2;
        const char *start, *end;
    } kinds[] = {
        {0, "", ""},                               /* Drask, dmpmqmsg, amqsbcg */
        {DRO2_PLAIN, "", ""},                      /* lines */
        {DRO2_PLAIN, "* ", "\\10\\10"},
        {DRO2_PLAIN | DRO2_INCLUDE, "(", ")"},
        {DRO2_PLAIN | DRO2_WHOLE, "", ""},
    };
    const auto &k = kinds[kind];
    XRead r = ReadMessages(TempFile("fuzz.bin", bytes), k.options2 ? DRO_CTX_DEFAULT : 0, k.options2,
                           k.start, k.end);
    if (r.rc) {
        EXPECT_TRUE(r.rc == DRC_BADFILE || r.rc == DRC_STORAGE) << r.rc << " " << r.error;
        EXPECT_FALSE(r.error.empty());
    }
    uint64_t total = 0;
    for (const XMsg &m : r.msgs)
        total += m.data.size();
    EXPECT_LE(total, (uint64_t)bytes.size() + 172 * r.msgs.size() + r.msgs.size()) << "more data than input";
}

std::string Mutate(std::mt19937 &rng, std::string s)
{
    int edits = 1 + (int)(rng() % 8);
    static const char interesting[] = "\n\r\t '\":*X~S A0F\f";
    for (int i = 0; i < edits; i++) {
        size_t at = s.empty() ? 0 : rng() % s.size();
        switch (rng() % 5) {
        case 0:
            if (!s.empty())
                s[at] = (char)(rng() & 0xFF);
            break;
        case 1:
            s.insert(s.begin() + (long)at, interesting[rng() % (sizeof interesting - 1)]);
            break;
        case 2:
            if (!s.empty())
                s.erase(at, 1 + rng() % 40);
            break;
        case 3: {
            size_t from = s.empty() ? 0 : rng() % s.size();
            s.insert(at, s.substr(from, rng() % 200));
            break;
        }
        default:
            if (!s.empty())
                s[at] = interesting[rng() % (sizeof interesting - 1)];
        }
    }
    return s;
}

} // namespace

TEST(ReaderFuzz, EveryPrefixOfEveryFixture)
{
    for (const std::string &f : Fixtures()) {
#ifdef _WIN32
        size_t step = f.size() / 400 + 1;      /* files are slow under Wine: a bounded count */
#else
        size_t step = 1;
#endif
        for (size_t n = 0; n <= f.size(); n += step)
            ReadOnce(f.substr(0, n), n % 5);
        if (HasFailure())
            return;
    }
}

TEST(ReaderFuzz, RandomMutations)
{
    std::vector<std::string> fixtures = Fixtures();
    std::mt19937 rng(2024);
#ifdef _WIN32
    long count = FuzzCount(600);
#else
    long count = FuzzCount(4000);
#endif
    for (long i = 0; i < count && !HasFailure(); i++)
        ReadOnce(Mutate(rng, fixtures[i % fixtures.size()]), (int)(rng() % 5));
}

TEST(ParserFuzz, RangesIntervalsAndSearches)
{
    std::mt19937 rng(7);
    static const char alphabet[] = "0123456789..# x9";
    long count = FuzzCount(20000) * 5;
    for (long i = 0; i < count && !HasFailure(); i++) {
        std::string text;
        int n = (int)(rng() % 24);
        for (int k = 0; k < n; k++)
            text += alphabet[rng() % (sizeof alphabet - 1)];
        int64_t first = -1, last = -1;
        char status[160];
        if (!ParseMessageRange(text.c_str(), &first, &last, status, sizeof status)) {
            EXPECT_GE(first, 0) << text;
            EXPECT_LE(first, 0x7FFFFFFF) << text;
            EXPECT_LE(last, 0x7FFFFFFF) << text;
            EXPECT_TRUE(last == 0 || first <= last) << text;
            EXPECT_TRUE(first > 0 || last == 0) << text;
        }
        std::string interval = std::to_string(rng()) + std::string(rng() % 12, '9') + " " +
                               (rng() % 2 ? "years" : "seconds") + (rng() % 2 ? " 5 days" : "");
        int64_t seconds = UTParseInterval(interval.c_str());
        EXPECT_TRUE(seconds == -1 || seconds >= 0) << interval;
        DRSEARCH s;
        std::string bytes = RandomBytes(rng, rng() % 120);
        std::replace(bytes.begin(), bytes.end(), '\0', ' ');
        if (DraskHexSearch(bytes.c_str(), &s)) {
            EXPECT_LE(s.length, DRS_SIZE);
        }
        int bad = DraskEbcdicSearch(bytes.c_str(), &s);
        EXPECT_TRUE(bad || s.length <= DRS_SIZE);
    }
    /* numbers beyond 32 bits are refused, not wrapped */
    for (const char *text : {"4294967297", "1..4294967297", "4294967296#1", "#4294967297", "..18446744073709551617"}) {
        int64_t first, last;
        char status[160];
        EXPECT_EQ(ParseMessageRange(text, &first, &last, status, sizeof status), 1) << text;
    }
    EXPECT_EQ(UTParseInterval("99999999999999999999 seconds"), -1);
    EXPECT_EQ(UTParseInterval("9999999999999999 years"), -1);
}
