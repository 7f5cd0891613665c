/* PCF area and cursor: building, walking, round trips, real messages and
 * damaged input. */
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "mq/pcf.h"
#include "csmem.h"

namespace {

struct Item {
    MQLONG type = 0, parameter = 0, length = 0, count = 0;
    std::vector<uint8_t> bytes;
};

struct Walk {
    MQLONG command = 0, compCode = 0, reason = 0;
    std::vector<Item> items;
};

/* Walks a whole message; every value handed out must lie inside it. */
Walk WalkAll(const void *message, int32_t length)
{
    Walk w;
    MQPP pp;
    PCFInitParse(&pp, message, length, &w.command, &w.compCode, &w.reason);
    const uint8_t *begin = (const uint8_t *)message, *end = begin + length;
    for (int guard = 0; w.compCode == 0; guard++) {
        if (guard > length + 64) {
            ADD_FAILURE() << "walk does not end";
            break;
        }
        Item it;
        void *value = nullptr;
        PCFGetNextParm(&pp, &it.type, &it.parameter, &value, &it.length, &it.count,
                       &w.compCode, &w.reason);
        if (w.compCode) break;
        if (value && it.type != MQCFT_GROUP && it.type != PCF_END_GROUP) {
            const uint8_t *v = (const uint8_t *)value;
            EXPECT_GE(v, begin);
            EXPECT_LE(v + it.length, end);
            it.bytes.assign(v, v + it.length);
        }
        w.items.push_back(it);
    }
    return w;
}

int32_t I32(const void *p, int index = 0)
{
    int32_t v;
    memcpy(&v, (const uint8_t *)p + 4 * index, 4);
    return v;
}

std::vector<uint8_t> ReadData(const char *name)
{
    const char *dir = getenv("RAVOLT_TEST_DATA");
    std::string path = std::string(dir ? dir : "tests/data") + "/mq/" + name;
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

struct Area {
    void *block = nullptr;
    ~Area() { if (block) CSFreeMem(block); }
};

} // namespace

TEST(PcfBuild, StructureLengthsFollowTheValue)
{
    Area a;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &a.block, 1, 0, 0, MQCMD_INQUIRE_Q, &cc, &rc);
    ASSERT_EQ(cc, 0);
    MQCFH *h = PCFHeader(&pp);
    EXPECT_EQ(h->Type, MQCFT_COMMAND);
    EXPECT_EQ(h->StrucLength, 36);
    EXPECT_EQ(h->Command, MQCMD_INQUIRE_Q);
    EXPECT_EQ(h->Control, MQCFC_LAST);

    int32_t at = pp.position;
    PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_NAME, "ABCDE", 5, 0, &cc, &rc);
    EXPECT_EQ(I32(pp.message + at, 1), 28);
    at = pp.position;
    PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_DESC, "", 0, 0, &cc, &rc);
    EXPECT_EQ(I32(pp.message + at, 1), 20);
    at = pp.position;
    PCFAddParm(&pp, MQCFT_STRING_LIST, MQCACF_Q_NAMES, "AAAAAAABBBBBBBCCCCCCC", 21, 3, &cc, &rc);
    EXPECT_EQ(I32(pp.message + at, 1), 48);
    EXPECT_EQ(I32(pp.message + at, 5), 7);
    at = pp.position;
    PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_NAME, "Q1", -2, 0, &cc, &rc);
    EXPECT_EQ(I32(pp.message + at, 4), 3);    /* with its terminator */
    EXPECT_EQ(h, PCFHeader(&pp));
    EXPECT_EQ(PCFHeader(&pp)->ParameterCount, 4);
    EXPECT_EQ(cc, 0);

    PCFAddParm(&pp, 23, 1, nullptr, 8, 1, &cc, &rc);
    EXPECT_EQ(cc, MQCC_FAILED);
    EXPECT_EQ(rc, MQRCCF_CFH_TYPE_ERROR);
    EXPECT_EQ(PCFHeader(&pp)->ParameterCount, 4);
}

TEST(PcfBuild, AreaGrowsAndKeepsItsContents)
{
    Area a;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &a.block, 1, 0, 100, MQCMD_CHANGE_Q, &cc, &rc);
    ASSERT_EQ(pp.size, 4096);
    /* 5000 bytes of parameters: 50 strings of 80 characters, 100 bytes each */
    std::string text(80, 'x');
    for (int i = 0; i < 50; i++) {
        text[0] = (char)('A' + i % 26);
        PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_DESC, text.c_str(), -1, 0, &cc, &rc);
        ASSERT_EQ(cc, 0);
    }
    EXPECT_EQ(pp.position, 36 + 5000);
    EXPECT_EQ(pp.size, 8192);
    EXPECT_EQ(pp.extra, 100);
    EXPECT_EQ((void *)pp.message, a.block);
    Walk w = WalkAll(a.block, pp.position);
    ASSERT_EQ(w.items.size(), 50u);
    for (int i = 0; i < 50; i++) EXPECT_EQ(w.items[i].bytes[0], 'A' + i % 26) << i;

    /* One structure larger than the area: the area grows by what it needs. */
    std::vector<int32_t> ints(4000, 7);
    PCFAddParm(&pp, MQCFT_INTEGER_LIST, MQIACF_Q_ATTRS, ints.data(), 16000, 0, &cc, &rc);
    ASSERT_EQ(cc, 0);
    EXPECT_EQ(pp.size, 8192 + 16016);
    EXPECT_EQ(WalkAll(a.block, pp.position).items.back().count, 4000);
}

TEST(PcfBuild, FixedBufferTooSmallChangesNothing)
{
    alignas(4) uint8_t buffer[64];
    void *area = buffer;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &area, 0, sizeof buffer, 0, MQCMD_PING_Q_MGR, &cc, &rc);
    ASSERT_EQ(cc, 0);
    int32_t v = 5;
    PCFAddParm(&pp, MQCFT_INTEGER, MQIA_Q_TYPE, &v, 4, 0, &cc, &rc);
    ASSERT_EQ(cc, 0);
    uint8_t before[64];
    memcpy(before, buffer, sizeof buffer);
    PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_NAME, "A.QUEUE.NAME.TOO.LONG", -1, 0, &cc, &rc);
    EXPECT_EQ(cc, MQCC_FAILED);
    EXPECT_EQ(rc, MQRC_STORAGE_NOT_AVAILABLE);
    EXPECT_EQ(memcmp(before, buffer, sizeof buffer), 0);
    EXPECT_EQ(area, (void *)buffer);

    void *none = nullptr;
    PCFInitArea(&pp, &none, 0, 0, 0, 1, &cc, &rc);
    EXPECT_EQ(rc, MQRC_STORAGE_NOT_AVAILABLE);
    EXPECT_EQ(none, nullptr);
}

namespace {

/* Two areas: what a fast path writes in one is compared with what the
 * general builder writes in the other.  Fixed ones of size bytes hold
 * the same stale bytes; growing ones (size 0) start as allocated. */
struct TwoAreas {
    std::vector<uint8_t> general, fast;
    void *g = nullptr, *f = nullptr;
    MQPP gp, fp;
    explicit TwoAreas(size_t size) : general(size, 0xA5), fast(size, 0xA5)
    {
        MQLONG cc, rc;
        if (size) {
            g = general.data();
            f = fast.data();
        }
        PCFInitArea(&gp, &g, !size, (int32_t)size, 0, MQCMD_INQUIRE_Q, &cc, &rc);
        PCFInitArea(&fp, &f, !size, (int32_t)size, 0, MQCMD_INQUIRE_Q, &cc, &rc);
    }
    ~TwoAreas()
    {
        if (general.empty()) {
            CSFreeMem(g);
            CSFreeMem(f);
        }
    }
    std::string General() const { return std::string((const char *)gp.message, (size_t)gp.position); }
    std::string Fast() const { return std::string((const char *)fp.message, (size_t)fp.position); }
};

} // namespace

/* Strings and byte strings through the list's fast path: the bytes of
 * the general builder at every length's padding, inside a group, across
 * the area's growth, and the same refusals. */
TEST(PcfBuild, StringFastPathWritesTheGeneralBuildersBytes)
{
    std::string value(1500 + 16, 0);   /* the longest, from any of the first 16 bytes */
    for (size_t i = 0; i < value.size(); i++) value[i] = (char)(i * 7 + 1);
    const int32_t lengths[] = { 0, 1, 2, 3, 4, 5, 6, 7, 8, 23, 24, 25, 120, 499, 500, 1500 };
    for (int32_t type : { (int32_t)MQCFT_STRING, (int32_t)PCF_BYTE_STRING }) {
        TwoAreas a(8192);
        MQLONG cc = 0, rc = 0, fcc = 0, frc = 0;
        for (int grouped = 0; grouped < 2; grouped++) {
            if (grouped) {
                PCFAddParm(&a.gp, MQCFT_GROUP, MQGACF_Q_STATISTICS_DATA, nullptr, 0, 0, &cc, &rc);
                PCFAddParm(&a.fp, MQCFT_GROUP, MQGACF_Q_STATISTICS_DATA, nullptr, 0, 0, &fcc, &frc);
            }
            for (int32_t n : lengths) {
                if (n > 500) continue;
                PCFAddParm(&a.gp, type, 10000 + n, value.data(), n, 1, &cc, &rc);
                PCFAddString(&a.fp, type, 10000 + n, value.data(), n, &fcc, &frc);
                ASSERT_EQ(cc, 0) << n;
                ASSERT_EQ(fcc, 0) << n;
            }
        }
        EXPECT_EQ(a.Fast(), a.General()) << type;
        EXPECT_EQ(WalkAll(a.fp.message, a.fp.position).reason, PCF_RC_END_OF_PARMS);

        /* Up to a fixed area's end: the same bytes, then refused alike
         * with nothing written past the end. */
        for (int i = 0; i < 8 && !cc; i++) {
            std::vector<uint8_t> before(a.fast);
            PCFAddParm(&a.gp, type, i, value.data(), 1500, 1, &cc, &rc);
            PCFAddString(&a.fp, type, i, value.data(), 1500, &fcc, &frc);
            EXPECT_EQ(fcc, cc) << i;
            EXPECT_EQ(frc, rc) << i;
            if (cc) {
                EXPECT_EQ(a.fast, before);
            }
        }
        EXPECT_EQ(cc, MQCC_FAILED);
        EXPECT_EQ(rc, MQRC_STORAGE_NOT_AVAILABLE);
        EXPECT_EQ(a.Fast(), a.General()) << type;
    }

    /* A growing area: the same bytes through every growth. */
    TwoAreas grown(0);
    MQLONG cc = 0, rc = 0, fcc = 0, frc = 0;
    for (int round = 0; round < 12; round++)
        for (int32_t n : lengths) {
            PCFAddParm(&grown.gp, PCF_BYTE_STRING, n, value.data() + round, n, 1, &cc, &rc);
            PCFAddString(&grown.fp, PCF_BYTE_STRING, n, value.data() + round, n, &fcc, &frc);
        }
    ASSERT_EQ(fcc, 0);
    EXPECT_EQ(grown.fp.size, grown.gp.size);
    EXPECT_EQ(grown.Fast(), grown.General());

    /* Values read into their place first (where the list reads each
     * message), over stale bytes: the same bytes again. */
    TwoAreas placed(8192);
    for (int32_t n : lengths) {
        if (n > 500) continue;
        uint8_t *at = placed.fp.message + placed.fp.position + 20;
        memcpy(at, value.data() + n % 16, (size_t)n);
        PCFAddParm(&placed.gp, MQCFT_STRING, n, value.data() + n % 16, n, 1, &cc, &rc);
        PCFAddString(&placed.fp, MQCFT_STRING, n, at, n, &fcc, &frc);
    }
    ASSERT_EQ(fcc, 0);
    EXPECT_EQ(placed.Fast(), placed.General());

    /* What the fast path leaves to the general builder: texts measured
     * up to their terminator, values filled in later, other types. */
    TwoAreas other(4096);
    int32_t seven = 7;
    PCFAddParm(&other.gp, MQCFT_STRING, 1, "TERMINATED", -1, 1, &cc, &rc);
    PCFAddString(&other.fp, MQCFT_STRING, 1, "TERMINATED", -1, &fcc, &frc);
    PCFAddParm(&other.gp, MQCFT_STRING, 2, "WITH NUL", -2, 1, &cc, &rc);
    PCFAddString(&other.fp, MQCFT_STRING, 2, "WITH NUL", -2, &fcc, &frc);
    PCFAddParm(&other.gp, MQCFT_STRING, 3, nullptr, 6, 1, &cc, &rc);
    PCFAddString(&other.fp, MQCFT_STRING, 3, nullptr, 6, &fcc, &frc);
    PCFAddParm(&other.gp, MQCFT_INTEGER, 4, &seven, 4, 1, &cc, &rc);
    PCFAddString(&other.fp, MQCFT_INTEGER, 4, &seven, 4, &fcc, &frc);
    EXPECT_EQ(other.Fast(), other.General());
    PCFAddParm(&other.gp, MQCFT_STRING, 5, "x", -3, 1, &cc, &rc);
    PCFAddString(&other.fp, MQCFT_STRING, 5, "x", -3, &fcc, &frc);
    EXPECT_EQ(fcc, MQCC_FAILED);
    EXPECT_EQ(frc, MQRCCF_CFST_STRING_LENGTH_ERR);
    EXPECT_EQ(other.Fast(), other.General());
}

/* A stamped row holds values of every width a row takes (integers,
 * formats, tokens, ids, names, texts): each stamp is the bytes of the
 * general builder given the same values, over stale bytes. */
TEST(PcfBuild, StampsWriteTheGeneralBuildersBytes)
{
    struct Source {
        uint8_t bytes[256];
    } records[3];
    for (int r = 0; r < 3; r++)
        for (int i = 0; i < 256; i++) records[r].bytes[i] = (uint8_t)(r * 31 + i * 5 + 3);
    int32_t numbers[3] = { 1, -7, 123456789 };
    const struct { int32_t type, length; uint16_t offset; } parms[] = {
        { MQCFT_INTEGER, 4, 0 }, { MQCFT_STRING, 8, 4 }, { PCF_BYTE_STRING, 16, 12 },
        { PCF_BYTE_STRING, 24, 28 }, { MQCFT_STRING, 12, 52 }, { MQCFT_STRING, 28, 64 },
        { MQCFT_STRING, 32, 92 }, { MQCFT_STRING, 48, 124 }, { MQCFT_STRING, 4, 172 },
        { MQCFT_INTEGER, 4, 176 }, { MQCFT_STRING, 1, 180 }, { MQCFT_STRING, 0, 181 },
    };
    PCFSTAMP row;
    PCFStampInit(&row);
    ASSERT_EQ(PCFStampAdd(&row, PCF_END_GROUP, 0, 0, 0, 0), 0);
    ASSERT_EQ(PCFStampAdd(&row, MQCFT_INTEGER, 1, 4, 1, 0), 0);
    for (size_t i = 0; i < std::size(parms); i++)
        ASSERT_EQ(PCFStampAdd(&row, parms[i].type, (int32_t)(100 + i), parms[i].length, 0, parms[i].offset), 0);

    TwoAreas a(4096);
    MQLONG cc = 0, rc = 0, fcc = 0, frc = 0;
    for (int r = 0; r < 3; r++) {
        const void *bases[] = { records[r].bytes, &numbers[r] };
        PCFStampPut(&a.fp, &row, bases, &fcc, &frc);
        ASSERT_EQ(fcc, 0);
        PCFAddParm(&a.gp, PCF_END_GROUP, 0, nullptr, 0, 0, &cc, &rc);
        PCFAddParm(&a.gp, MQCFT_INTEGER, 1, &numbers[r], 4, 1, &cc, &rc);
        for (size_t i = 0; i < std::size(parms); i++)
            PCFAddParm(&a.gp, parms[i].type, (int32_t)(100 + i), records[r].bytes + parms[i].offset,
                       parms[i].length, 1, &cc, &rc);
    }
    EXPECT_EQ(a.Fast(), a.General());
    EXPECT_EQ(PCFHeader(&a.fp)->ParameterCount, 3 * (int32_t)(2 + std::size(parms)));
}

/* Every type the builder writes comes back from the walker as built. */
TEST(PcfWalk, RoundTripOfEveryBuiltType)
{
    Area a;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &a.block, 1, 0, 0, 10002, &cc, &rc);
    int32_t depth = 42;
    const int32_t list[3] = { 1, -2, 3 };
    const uint8_t id[24] = { 0, 1, 2, 3, 0xFF, 0, 9 };
    PCFAddParm(&pp, MQCFT_INTEGER, MQIA_CURRENT_Q_DEPTH, &depth, 4, 0, &cc, &rc);
    PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_NAME, "Q.ONE", -1, 0, &cc, &rc);
    PCFAddParm(&pp, PCF_BYTE_STRING, 10019, id, 24, 0, &cc, &rc);
    PCFAddParm(&pp, MQCFT_INTEGER_LIST, MQIACF_Q_ATTRS, list, 12, 0, &cc, &rc);
    PCFAddParm(&pp, PCF_STRING_LIST, MQCACF_Q_NAMES, "ABCD", 4, 2, &cc, &rc);
    PCFAddParm(&pp, PCF_END_GROUP, 0, nullptr, 0, 0, &cc, &rc);
    PCFAddParm(&pp, MQCFT_GROUP, MQGACF_Q_STATISTICS_DATA, nullptr, 0, 0, &cc, &rc);
    PCFAddParm(&pp, MQCFT_INTEGER, MQIA_Q_TYPE, &depth, 4, 0, &cc, &rc);
    int32_t *late = (int32_t *)PCFAddParm(&pp, MQCFT_INTEGER, MQIA_MAX_Q_DEPTH, nullptr, 4, 0, &cc, &rc);
    ASSERT_EQ(cc, 0);
    ASSERT_NE(late, nullptr);
    *late = 5000;
    EXPECT_EQ(PCFHeader(&pp)->ParameterCount, 7);

    std::vector<uint8_t> before((uint8_t *)a.block, (uint8_t *)a.block + pp.position);
    Walk w = WalkAll(a.block, pp.position);
    EXPECT_EQ(w.command, 10002);
    EXPECT_EQ(w.reason, PCF_RC_END_OF_PARMS);
    const MQLONG types[] = { 3, 4, 1001, 5, 6, 1000, 20, 3, 3, 1000 };
    ASSERT_EQ(w.items.size(), std::size(types));
    for (size_t i = 0; i < std::size(types); i++) EXPECT_EQ(w.items[i].type, types[i]) << i;
    EXPECT_EQ(I32(w.items[0].bytes.data()), 42);
    EXPECT_EQ(std::string(w.items[1].bytes.begin(), w.items[1].bytes.end()), "Q.ONE");
    EXPECT_EQ(w.items[2].bytes, std::vector<uint8_t>(id, id + 24));
    EXPECT_EQ(w.items[3].count, 3);
    EXPECT_EQ(I32(w.items[3].bytes.data(), 1), -2);
    EXPECT_EQ(w.items[4].count, 2);
    EXPECT_EQ(w.items[4].length, 4);
    EXPECT_EQ(w.items[6].parameter, MQGACF_Q_STATISTICS_DATA);
    EXPECT_EQ(I32(w.items[8].bytes.data()), 5000);

    /* The walker leaves the message as it was: a second walk is the same. */
    EXPECT_EQ(before, std::vector<uint8_t>((uint8_t *)a.block, (uint8_t *)a.block + pp.position));
    EXPECT_EQ(WalkAll(a.block, pp.position).items.size(), w.items.size());
}

/* MQCFBS (type 9): written as IBM MQ lays it out, its length rounded up
 * to a multiple of 4 with the padding cleared, and walked back. */
TEST(PcfWalk, ByteStringsOfTypeNine)
{
    Area a;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &a.block, 1, 0, 0, 10001, &cc, &rc);
    const uint8_t id[21] = { 1, 2, 3, 0, 0xFE };
    uint8_t *at = (uint8_t *)PCFAddParm(&pp, MQCFT_BYTE_STRING, 10019, id, 21, 0, &cc, &rc);
    ASSERT_EQ(cc, 0);
    EXPECT_EQ(at, (uint8_t *)a.block + 36 + 16);
    PCFAddParm(&pp, MQCFT_BYTE_STRING, 10038, nullptr, 0, 0, &cc, &rc);
    EXPECT_EQ(pp.position, 36 + 40 + 16);
    const uint8_t *s = (const uint8_t *)a.block + 36;
    EXPECT_EQ(I32(s), MQCFT_BYTE_STRING);
    EXPECT_EQ(I32(s, 1), 40);
    EXPECT_EQ(I32(s, 3), 21);
    EXPECT_EQ(s[16 + 21], 0);
    Walk w = WalkAll(a.block, pp.position);
    EXPECT_EQ(w.reason, PCF_RC_END_OF_PARMS);
    ASSERT_EQ(w.items.size(), 2u);
    EXPECT_EQ(w.items[0].bytes, std::vector<uint8_t>(id, id + 21));
    EXPECT_EQ(w.items[1].length, 0);
    PCFAddParm(&pp, MQCFT_BYTE_STRING, 10038, id, -1, 0, &cc, &rc);
    EXPECT_EQ(rc, MQRCCF_CFBS_STRING_LENGTH_ERR);
}

/* A group in the middle: its parameters, the end mark, then the rest. */
TEST(PcfWalk, GroupsEndBeforeTheParametersAfterThem)
{
    std::vector<int32_t> m = { MQCFT_RESPONSE, 36, 1, 42, 1, 1, 0, 0, 3,
                               MQCFT_GROUP, 16, 8001, 2,
                               MQCFT_INTEGER, 16, 1, 11,
                               MQCFT_GROUP, 16, 8002, 1,
                               MQCFT_INTEGER, 16, 2, 22,
                               MQCFT_INTEGER, 16, 3, 33,
                               MQCFT_GROUP, 16, 8003, 0 };
    Walk w = WalkAll(m.data(), (int32_t)(m.size() * 4));
    const MQLONG types[] = { 20, 3, 20, 3, 1000, 1000, 3, 20, 1000 };
    ASSERT_EQ(w.items.size(), std::size(types));
    for (size_t i = 0; i < std::size(types); i++) EXPECT_EQ(w.items[i].type, types[i]) << i;
    EXPECT_EQ(w.items[6].parameter, 3);
    EXPECT_EQ(w.reason, PCF_RC_END_OF_PARMS);
}

TEST(PcfWalk, ShortEmptyAndUnknown)
{
    MQPP pp;
    MQLONG cmd, cc, rc, type, parm, len, count;
    void *value;
    int32_t header[9] = { 2, 36, 1, 7, 1, 1, 0, 0, 0 };
    PCFInitParse(&pp, header, 35, &cmd, &cc, &rc);
    EXPECT_EQ(rc, MQRC_STORAGE_NOT_AVAILABLE);
    PCFInitParse(&pp, header, 36, &cmd, &cc, &rc);
    EXPECT_EQ(cmd, 7);
    PCFGetNextParm(&pp, &type, &parm, &value, &len, &count, &cc, &rc);
    EXPECT_EQ(cc, MQCC_FAILED);
    EXPECT_EQ(rc, PCF_RC_END_OF_PARMS);

    std::vector<int32_t> m = { 2, 36, 1, 7, 1, 1, 0, 0, 2,
                               MQCFT_INTEGER64, 24, 1, 0, 5, 0,
                               99, 16, 1, 0 };
    Walk w = WalkAll(m.data(), (int32_t)(m.size() * 4));
    ASSERT_EQ(w.items.size(), 1u);
    EXPECT_EQ(w.items[0].type, MQCFT_INTEGER64);
    EXPECT_EQ(w.items[0].length, 8);
    EXPECT_EQ(w.reason, MQRCCF_CFH_TYPE_ERROR);
}

/* Damaged structures end the walk with a reason, never a read outside. */
TEST(PcfWalk, DamagedStructuresEndTheWalk)
{
    struct Case { std::vector<int32_t> tail; int32_t count; MQLONG reason; };
    const Case cases[] = {
        { { MQCFT_INTEGER, 12, 1, 5 }, 1, MQRCCF_CFIN_LENGTH_ERROR },
        { { MQCFT_INTEGER, 400, 1, 5 }, 1, MQRCCF_CFIN_LENGTH_ERROR },
        { { MQCFT_INTEGER, 18, 1, 5, 0 }, 1, MQRCCF_CFIN_LENGTH_ERROR },
        { { MQCFT_STRING, 24, 1, 0, 100, 0 }, 1, MQRCCF_CFST_STRING_LENGTH_ERR },
        { { MQCFT_STRING, 24, 1, 0, -1, 0 }, 1, MQRCCF_CFST_STRING_LENGTH_ERR },
        { { MQCFT_INTEGER_LIST, 20, 1, 9, 0 }, 1, MQRCCF_CFIL_COUNT_ERROR },
        { { MQCFT_STRING_LIST, 28, 1, 0, 0x10000, 0x10000, 0 }, 1, MQRCCF_CFSL_TOTAL_LENGTH_ERROR },
        { { MQCFT_BYTE_STRING, 16, 1, 1 }, 1, MQRCCF_CFBS_STRING_LENGTH_ERR },
        { { MQCFT_GROUP, 16, 1, -1 }, 1, MQRCCF_CFGR_PARM_COUNT_ERROR },
        { { MQCFT_INTEGER, 16, 1, 5 }, 2, MQRCCF_CFH_PARM_COUNT_ERROR },
        { { MQCFT_GROUP, 16, 1, 2, MQCFT_INTEGER, 16, 1, 5 }, 1, MQRCCF_CFGR_PARM_COUNT_ERROR },
        { { MQCFT_INTEGER }, 1, MQRCCF_CFIN_LENGTH_ERROR },
    };
    for (const Case &c : cases) {
        std::vector<int32_t> m = { 2, 36, 1, 7, 1, 1, 0, 0, c.count };
        m.insert(m.end(), c.tail.begin(), c.tail.end());
        size_t bytes = m.size() * 4;
        std::vector<uint8_t> exact((uint8_t *)m.data(), (uint8_t *)m.data() + bytes);
        Walk w = WalkAll(exact.data(), (int32_t)bytes);
        EXPECT_EQ(w.compCode, MQCC_FAILED);
        EXPECT_EQ(w.reason, c.reason) << "structure type " << c.tail[0];
    }
}

/* Real event and statistics messages walk to their end. */
TEST(PcfWalk, RealMessagesGiveEveryParameter)
{
    struct Sample { const char *file; size_t items; MQLONG firstType; };
    /* statistics: 375 structures and the end marks of its 16 groups */
    const Sample samples[] = {
        { "statistics_q.dat", 375 + 16, MQCFT_STRING },
        { "event_cfif.dat", 10 + 2, MQCFT_GROUP },
        { "event_cfsf.dat", 10 + 2, MQCFT_GROUP },
    };
    for (const Sample &s : samples) {
        std::vector<uint8_t> m = ReadData(s.file);
        ASSERT_FALSE(m.empty()) << s.file;
        Walk w = WalkAll(m.data(), (int32_t)m.size());
        EXPECT_EQ(w.reason, PCF_RC_END_OF_PARMS) << s.file;
        EXPECT_EQ(w.items.size(), s.items) << s.file;
        EXPECT_EQ(w.items[0].type, s.firstType) << s.file;
    }
    std::vector<uint8_t> m = ReadData("statistics_q.dat");
    Walk w = WalkAll(m.data(), (int32_t)m.size());
    EXPECT_EQ(w.command, MQCMD_STATISTICS_Q);
    EXPECT_EQ(std::string(w.items[0].bytes.begin(), w.items[0].bytes.begin() + 8), "mq_mgr1 ");
    size_t lists64 = 0;
    for (const Item &it : w.items)
        if (it.type == MQCFT_INTEGER64_LIST) lists64++;
    EXPECT_EQ(lists64, 64u);
}

/* Every prefix and many random mutations of valid messages: the walk ends
 * and nothing is read outside the message (exact-size copies let the
 * address sanitizer see any overread). */
TEST(PcfWalk, PrefixesAndMutationsNeverReadOutside)
{
    std::vector<std::vector<uint8_t>> seeds = { ReadData("statistics_q.dat"),
                                                ReadData("event_cfif.dat"),
                                                ReadData("event_cfsf.dat") };
    std::vector<int32_t> built = { 2, 36, 1, 7, 1, 1, 0, 0, 4,
                                   MQCFT_STRING_LIST, 36, 1, 0, 2, 6, 0x41414141, 0x42424141, 0x4242,
                                   MQCFT_BYTE_STRING, 20, 2, 3, 0x010203,
                                   MQCFT_GROUP, 16, 3, 2, PCF_END_GROUP,
                                   MQCFT_STRING_FILTER, 28, 4, 1, 0, 2, 0x4141 ,
                                   MQCFT_INTEGER64_LIST, 32, 5, 2, 1, 0, 2, 0 };
    seeds.emplace_back((uint8_t *)built.data(), (uint8_t *)built.data() + built.size() * 4);
    /* The other byte order is not decoded, but must be walked safely. */
    std::vector<uint8_t> swapped = seeds[0];
    for (size_t i = 0; i + 4 <= swapped.size(); i += 4) {
        std::swap(swapped[i], swapped[i + 3]);
        std::swap(swapped[i + 1], swapped[i + 2]);
    }
    seeds.push_back(swapped);

    for (const auto &seed : seeds) {
        ASSERT_FALSE(seed.empty());
        for (size_t n = 0; n <= seed.size(); n++) {
            std::vector<uint8_t> prefix(seed.begin(), seed.begin() + n);
            WalkAll(prefix.data(), (int32_t)n);
        }
    }

    std::mt19937 rng(20261207);
    for (int round = 0; round < 6000; round++) {
        std::vector<uint8_t> m = seeds[round % seeds.size()];
        int edits = 1 + rng() % 8;
        for (int e = 0; e < edits; e++) {
            size_t at = rng() % m.size();
            switch (rng() % 4) {
            case 0: m[at] = (uint8_t)rng(); break;
            case 1: m[at & ~(size_t)3] = (uint8_t)(rng() % 32); break;   /* plausible small words */
            case 2: {
                int32_t v = (int32_t)(rng() % 2 ? rng() : -(int32_t)(rng() % 100));
                if (at + 4 <= m.size()) memcpy(&m[at & ~(size_t)3], &v, 4);
                break;
            }
            case 3: m.resize(1 + rng() % m.size()); break;
            }
            if (m.empty()) m.push_back(0);
        }
        std::vector<uint8_t> exact(m);
        exact.shrink_to_fit();
        WalkAll(exact.data(), (int32_t)exact.size());
        if (::testing::Test::HasFailure()) break;
    }
}
