/* Binary channel tables: the real samples against their golden files and
 * their MQSC script and JSON twin; the generated fixtures of every stored
 * version, exit lists, peer names and stored passwords; damaged tables;
 * finding the table; and the MQSERVER channel. */
#include <regex>

#include "ccdtdump.h"
#include "ccdtfixtures.h"

using namespace loctest;
using namespace ccdtdump;

namespace {

const char *ONE_QMGR = "bdsaen__mqtoolbox__MQSamples_AMQCLCHL_ONE_QMGR.TAB";
const char *MTLS = "ewiger__ibm-mq-mtls__ccdt_AMQCLCHL.TAB";

std::string TempTable(const char *name, const ccdtgen::Bytes &bytes)
{
    static std::string dir = TempDir("binary");
    std::string path = dir + "/" + name;
    WriteBytes(path, bytes);
    return path;
}

struct Opened {
    RCHN *h = nullptr;
    char spec[CHL_PATH_SIZE] = "";
    char error[CHL_ERROR_SIZE] = "";
    std::vector<uint8_t> buffer = std::vector<uint8_t>(CHL_BUFFER);
    int rc = 0;
    explicit Opened(const std::string &path)
    {
        snprintf(spec, sizeof spec, "%s", path.c_str());
        rc = RchnOpen(spec, &h, error);
    }
    ~Opened()
    {
        if (h)
            RchnClose(h, error);
    }
    CHLDEF *c() { return (CHLDEF *)buffer.data(); }
    int First() { size_t n = buffer.size(); return rc = RchnFirst(h, c(), &n, error); }
    int Next() { size_t n = buffer.size(); return rc = RchnNext(h, c(), &n, error); }
    int Find(const char *name) { size_t n = buffer.size(); return rc = RchnFind(h, name, c(), &n, error); }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (int r = First(); r == 0 || r == RCHN_BADHANDLE; r = Next())
            names.push_back(r ? "!" + std::string(error) : TRIM(c()->cd.ChannelName));
        return names;
    }
};

}  // namespace

/* ---- the real samples ------------------------------------------------------ */

TEST(BinarySamples, GoldenFieldsOfEveryChannel)
{
    for (const char *name : {ONE_QMGR, MTLS}) {
        std::string out = WalkBinary(Sample("ccdt-binary", name));
        EXPECT_EQ("", CompareGolden(std::string("golden/") + name + ".golden", out)) << name;
    }
}

TEST(BinarySamples, OneQmgrTableAndItsJsonTwin)
{
    Opened t(Sample("ccdt-binary", ONE_QMGR));
    ASSERT_EQ(t.rc, 0) << t.error;
    EXPECT_EQ(t.Names(), (std::vector<std::string>{"SYSTEM.DEF.CLNTCONN", "TEST.SVRCONN"}));
    ASSERT_EQ(t.Find("TEST.SVRCONN"), 0);
    CHLDEF *c = t.c();
    EXPECT_EQ(c->cd.Version, 11);
    EXPECT_EQ(c->exitListsLen, 6);
    EXPECT_EQ(TRIM(c->cd.QMgrName), "QMGR1");
    EXPECT_EQ(TRIM(c->cd.ConnectionName), "localhost(1414)");

    char spec[CHL_PATH_SIZE];
    snprintf(spec, sizeof spec, "%s", Sample("ccdt-json", "bdsaen__mqtoolbox__MQSamples_AMQCLCHL_QMGR1.JSON").c_str());
    ASSERT_EQ(LoadJsonCcdt(nullptr, nullptr, spec, 0), 1);
    RCHN *j;
    char error[CHL_ERROR_SIZE];
    ASSERT_EQ(RchnOpenJson(&j, spec, error), 0);
    JSONSEARCH s = {};
    std::vector<uint8_t> b(CHL_BUFFER);
    CHLDEF *twin = (CHLDEF *)b.data();
    size_t n = b.size();
    ASSERT_EQ(RchnFirstJson(j, &s, &n, twin), 0);
    EXPECT_EQ(TRIM(twin->cd.ChannelName), TRIM(c->cd.ChannelName));
    EXPECT_EQ(TRIM(twin->cd.QMgrName), TRIM(c->cd.QMgrName));
    EXPECT_EQ(TRIM(twin->cd.ConnectionName), TRIM(c->cd.ConnectionName));
    RchnCloseJson(j);
    JsonCcdtFree();
}

TEST(BinarySamples, MutualTlsTableInKeyOrderAsItsScriptDefines)
{
    Opened t(Sample("ccdt-binary", MTLS));
    ASSERT_EQ(t.rc, 0) << t.error;
    /* stored SYSTEM.DEF.CLNTCONN, CERT.SVRCONN, CERT.SVRCONN_CLNT; listed by key */
    EXPECT_EQ(t.Names(), (std::vector<std::string>{"CERT.SVRCONN", "CERT.SVRCONN_CLNT", "SYSTEM.DEF.CLNTCONN"}));
    std::string script = ReadText(Sample("ini-mqsc", "ewiger__ibm-mq-mtls__scripts_client.mqsc"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(script, m, std::regex(R"(DEFINE CHANNEL \((\S+)\))")));
    ASSERT_EQ(t.Find(m[1].str().c_str()), 0) << t.error;
    CHLDEF *c = t.c();
    ASSERT_TRUE(std::regex_search(script, m, std::regex(R"(QMNAME\((\w+)\))")));
    EXPECT_EQ(TRIM(c->cd.QMgrName), m[1].str());
    ASSERT_TRUE(std::regex_search(script, m, std::regex(R"(CONNAME\('([^']+)'\))")));
    EXPECT_EQ(TRIM(c->cd.ConnectionName), m[1].str());
    ASSERT_TRUE(std::regex_search(script, m, std::regex(R"(SSLCIPH\('([^']+)'\))")));
    EXPECT_EQ(TRIM(c->cd.SSLCipherSpec), m[1].str());
    EXPECT_EQ(TRIM(c->cd.SSLCipherSpec), "TLS_RSA_WITH_AES_256_CBC_SHA256");
    EXPECT_EQ(t.Find("NO.SUCH.CHANNEL"), RCHN_NOTFOUND);
    EXPECT_STREQ(t.error, "AMQ8147: WebSphere MQ channel 'NO.SUCH.CHANNEL' not found");
}

/* ---- generated fixtures -------------------------------------------------------- */

TEST(BinaryFixtures, CommittedFilesAreTheGeneratorsOutput)
{
    for (const auto &f : ccdtfix::All()) {
        ccdtgen::Bytes b = f.make();
        EXPECT_EQ("", CompareGolden(f.name, std::string(b.begin(), b.end()))) << f.name;
    }
}

TEST(BinaryFixtures, EveryStoredVersionKeepsItsFieldsAndDefaultsTheRest)
{
    Opened t(DataDir() + "versions.TAB");
    ASSERT_EQ(t.rc, 0) << t.error;
    int version = 0;
    for (int rc = t.First(); rc != RCHN_END; rc = t.Next()) {
        version++;
        if (version == 13) {
            /* reported, and the walk goes on past it */
            EXPECT_EQ(rc, RCHN_BADHANDLE);
            EXPECT_STREQ(t.error, "AMQ8427: Sorry, this program does not support reading version 13 channel records");
            continue;
        }
        ASSERT_EQ(rc, 0) << t.error;
        CHLDEF *c = t.c();
        EXPECT_EQ(TRIM(c->cd.ChannelName), ccdtfix::VersionName(version));
        EXPECT_EQ(c->cd.Version, version);
        for (const auto &m : ccdtfix::Markers()) {
            const CHLFIELD *f = nullptr;
            for (const CHLFIELD *x = ChlFields; x->kind != CHF_END; x++)
                if (!strcmp(x->name, m.field))
                    f = x;
            ASSERT_NE(f, nullptr) << m.field;
            const char *p = (const char *)c + f->offset;
            bool stored = m.version <= version;
            if (m.text) {
                EXPECT_EQ(Trim(p, f->width), stored ? m.text : "") << m.field << " v" << version;
            } else {
                int64_t v = 0;
                if (f->kind == CHF_TIME)
                    memcpy(&v, p, 8);
                else
                    v = *(const int32_t *)p;
                EXPECT_EQ(v, stored ? m.value : m.missing) << m.field << " v" << version;
            }
        }
        /* without exit lists before version 4: six empty ones are built */
        EXPECT_EQ(c->exitListsLen, 6);
        EXPECT_EQ(c->tailLength, 6);
    }
    EXPECT_EQ(version, 13);
}

TEST(BinaryFixtures, SingleExitsOfVersionThreeBecomeLists)
{
    Opened t(DataDir() + "send3.TAB");
    ASSERT_EQ(t.First(), 0) << t.error;
    CHLDEF *c = t.c();
    std::string name = "sendexit(Entry)";
    EXPECT_EQ(c->exitListsLen, (int)name.size() + 7);
    std::string want = "\x01\x01" + name + "\x02\x01\x01\x01\x01";
    EXPECT_EQ(std::string((char *)CHL_TAIL(c), c->tailLength), want);
    ASSERT_EQ(ReadChannelExits(c, t.error), 0);
    const CHLEXITLIST *send = (const CHLEXITLIST *)c->cd.SendExitPtr;
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send->count, 1);
    EXPECT_EQ(send->count2, 1);
    EXPECT_EQ(send->entryLength, 128);
    EXPECT_EQ(Trim(send->entries, 128), name);
    EXPECT_EQ(c->cd.MsgExitPtr, nullptr);
    EXPECT_EQ(c->cd.SendUserDataPtr, nullptr);
    FreeChannelDef(c, 0);
    EXPECT_EQ(c->cd.SendExitPtr, nullptr);
}

TEST(BinaryFixtures, ExitListsExpandedOrRefused)
{
    auto table = [](const ccdtgen::Bytes &tail, int32_t listsLen) {
        ccdtgen::Record r = ccdtgen::Channel("EXITS.CHL", 12);
        r.Tail(tail).Int("ExitListsLen", listsLen).Int("Exit Name Length", 8).Int("Exit Data Length", 4);
        return TempTable("exits.TAB", ccdtgen::Table({ccdtgen::FromRecord(r)}));
    };
    ccdtgen::Bytes good = ccdtgen::ExitLists({{"m1"}, {"d1"}, {"s1", "s2-is-too-long"}, {"a", "bb"}, {}, {"r"}});
    Opened t(table(good, (int32_t)good.size()));
    ASSERT_EQ(t.First(), 0) << t.error;
    ASSERT_EQ(ReadChannelExits(t.c(), t.error), 0) << t.error;
    EXPECT_EQ(ExitList(t.c()->cd.SendExitPtr), "2x8 [s1|s2-is-to]");
    EXPECT_EQ(ExitList(t.c()->cd.SendUserDataPtr), "2x4 [a|bb]");
    EXPECT_EQ(ExitList(t.c()->cd.ReceiveExitPtr), "-");
    EXPECT_EQ(ExitList(t.c()->cd.ReceiveUserDataPtr), "1x4 [r]");
    FreeChannelDef(t.c(), 0);
    /* a length past the tail: the lists are read from what is there */
    Opened over(table(good, 0x7FFFFFFF));
    ASSERT_EQ(over.First(), 0) << over.error;
    EXPECT_EQ(ReadChannelExits(over.c(), over.error), 0);
    EXPECT_EQ(ExitList(over.c()->cd.SendExitPtr), "2x8 [s1|s2-is-to]");
    FreeChannelDef(over.c(), 0);

    /* damaged lists stop with the format message, never read past the tail */
    struct { ccdtgen::Bytes tail; int32_t listsLen; } bad[] = {
        {{'a', 'b', 0x01}, 10},                                   /* an entry without 0x02 */
        {ccdtgen::ExitLists({{"x"}, {}, {}, {}, {}}), 60},          /* five lists in the tail */
        {good, (int32_t)good.size() - 2},                         /* the lists cut short */
        {good, -3},
    };
    for (auto &b : bad) {
        Opened d(table(b.tail, b.listsLen));
        ASSERT_EQ(d.First(), 0) << d.error;
        EXPECT_EQ(ReadChannelExits(d.c(), d.error), 1);
        EXPECT_STREQ(d.error, "File exit format error");
        FreeChannelDef(d.c(), 0);
    }
}

TEST(BinaryFixtures, PeerNameAfterTheListsOrRefused)
{
    Opened t(DataDir() + "peer8.TAB");
    ASSERT_EQ(t.First(), 0) << t.error;
    ASSERT_EQ(ReadChannelExits(t.c(), t.error), 0) << t.error;
    EXPECT_STREQ((const char *)t.c()->cd.SSLPeerNamePtr, "CN=QM1,O=Example");
    FreeChannelDef(t.c(), 0);

    /* a version 12 record: right after the lists; a length past the tail refused */
    for (int32_t length : {7, 8, 40}) {
        ccdtgen::Bytes tail = ccdtgen::ExitLists({{}, {}, {}, {}, {}, {}});
        std::string peer = "CN=ABCD";
        tail.insert(tail.end(), peer.begin(), peer.end());
        ccdtgen::Record r = ccdtgen::Channel("PEER12.CHL", 12);
        r.Tail(tail).Int("ExitListsLen", 6).Int("SSL PeerName Length", length);
        Opened p(TempTable("peer12.TAB", ccdtgen::Table({ccdtgen::FromRecord(r)})));
        ASSERT_EQ(p.First(), 0);
        int rc = ReadChannelExits(p.c(), p.error);
        if (length == 7) {
            EXPECT_EQ(rc, 0);
            EXPECT_STREQ((const char *)p.c()->cd.SSLPeerNamePtr, "CN=ABCD");
        } else {
            EXPECT_EQ(rc, 1);
            EXPECT_STREQ(p.error, "File exit format error");
            EXPECT_EQ(p.c()->cd.SSLPeerNamePtr, nullptr);
        }
        FreeChannelDef(p.c(), 0);
    }
}

TEST(BinaryFixtures, StoredUserIdAndPasswordDecryptedOnlyWhenMarked)
{
    Opened t(DataDir() + "encrypt.TAB");
    ASSERT_EQ(t.Find("ENC.ON"), 0) << t.error;
    EXPECT_EQ(std::string(t.c()->cd.UserIdentifier, 24), "mquser      mqpass      ");
    ASSERT_EQ(t.Find("ENC.OFF"), 0) << t.error;
    ccdtgen::Bytes stored = ccdtfix::EncryptedAuth();
    EXPECT_EQ(0, memcmp(t.c()->cd.UserIdentifier, stored.data(), 24));

    /* a version 1 record has no user id or password to decrypt */
    ccdtgen::Record v1 = ccdtgen::Channel("ENC.V1", 1);
    v1.Int("Encrypt", 1);
    Opened one(TempTable("encv1.TAB", ccdtgen::Table({ccdtgen::FromRecord(v1)})));
    ASSERT_EQ(one.First(), 0) << one.error;
    EXPECT_EQ(Trim(one.c()->cd.UserIdentifier, 24), "");

    unsigned char odd[7] = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(ChlDecryptAuth(odd, 7), 1001);
    EXPECT_EQ(odd[6], 7);
    EXPECT_EQ(ChlDecryptAuth(odd, 0), 0);
}

TEST(BinaryFixtures, FreeSlotsPassedAndSpecialRecordsEndTheWalk)
{
    Opened t(DataDir() + "special.TAB");
    ASSERT_EQ(t.rc, 0);
    EXPECT_EQ(t.Names(), (std::vector<std::string>{"ALPHA.CHL", "MIKE.CHL", "ZULU.CHL"}));
    EXPECT_EQ(t.Find("{000SSL_CRL_DATA000}"), RCHN_NOTFOUND);
}

TEST(BinaryFixtures, FilesThatAreNoTables)
{
    struct { const char *file; int rc; const char *message; } cases[] = {
        {"empty.TAB", 0, nullptr},
        {"short.TAB", RCHN_ACCESS, "Error accessing file '%s' RC[1001]"},
        {"badsig.TAB", RCHN_NOTBINARY, "File '%s' does not appear to be binary CCDT file"},
        {"missing.TAB", RCHN_NOFILE, "Can not find file '%s'"},
    };
    for (auto &c : cases) {
        std::string path = DataDir() + c.file;
        Opened t(path);
        EXPECT_EQ(t.rc, c.rc) << c.file;
        if (c.message) {
            char want[CHL_ERROR_SIZE];
            snprintf(want, sizeof want, c.message, path.c_str());
            EXPECT_STREQ(t.error, want);
        } else {
            EXPECT_EQ(t.First(), RCHN_END);
        }
    }
}

TEST(BinaryFixtures, ChannelLargerThanTheBufferGivesItsLeadingFields)
{
    Opened t(DataDir() + "versions.TAB");
    size_t n = sizeof(CHLDEF) + 2;
    EXPECT_EQ(RchnFirst(t.h, t.c(), &n, t.error), RCHN_TOOLARGE);
    EXPECT_STREQ(t.error, "AMQ8147: WebSphere MQ channel 'V01.CHL             ' too large");
    EXPECT_EQ(TRIM(t.c()->cd.ChannelName), "V01.CHL");
    EXPECT_EQ(t.c()->tailLength, 2);
    EXPECT_EQ(n, sizeof(CHLDEF) + 6);
    RCHN fake = *t.h;
    memcpy(fake.eye, "XXXX", 4);
    EXPECT_EQ(RchnFirst(&fake, t.c(), &n, t.error), RCHN_BADHANDLE);
    EXPECT_STREQ(t.error, "Bad file handle");
}

/* ---- damaged tables ------------------------------------------------------------------ */

TEST(BinaryDamage, LoopsAndStrayOffsetsStopTheWalk)
{
    using namespace ccdtgen;
    Bytes base = Table({FromRecord(Channel("A.CHL")), FromRecord(Channel("B.CHL")), FromRecord(Channel("C.CHL"))});
    std::vector<size_t> at = SlotOffsets(base);
    struct { const char *what; size_t slot, word; uint32_t value; } damage[] = {
        {"greater link back to itself", 1, 16, 0},
        {"greater link back to the first", 1, 16, 0},
        {"greater link outside the file", 0, 16, 0x7FFFFFF0},
        {"greater link into the signature", 0, 16, 2},
        {"smaller link forward from the first", 0, 12, 0},
        {"content longer than the file", 2, 4, 0x10000000},
        {"free slot of one byte", 1, 4, 0},
    };
    damage[0].value = (uint32_t)at[1];
    damage[1].value = (uint32_t)at[0];
    damage[4].value = (uint32_t)at[2];
    for (auto &d : damage) {
        Bytes b = base;
        Put32(b, at[d.slot] + d.word, d.value);
        if (!strcmp(d.what, "free slot of one byte"))
            Put32(b, at[d.slot], 1);
        Opened t(TempTable("damaged.TAB", b));
        ASSERT_EQ(t.rc, 0);
        int n = 0, rc = t.First();
        while (rc == 0 && n++ < 10)
            rc = t.Next();
        EXPECT_LE(n, 3) << d.what;
        EXPECT_TRUE(rc == RCHN_END || rc == RCHN_ACCESS) << d.what << " " << rc;
        if (rc == RCHN_ACCESS) {
            EXPECT_EQ(std::string(t.error).rfind("Error accessing file RC(", 0), 0u) << t.error;
        }
    }
}

/* A table mapped at its opening, the same table read whole and read
 * through the moving window give the same walk: a large table stored out
 * of key order (jumps across windows), the samples, and each damaged
 * copy. */
TEST(BinaryTables, WholeFileReadsMatchTheWindowedReads)
{
    using namespace ccdtgen;
    std::vector<Slot> slots;
    for (int i = 0; i < 600; i++) {
        int n = (i * 389) % 600;
        char name[24];
        snprintf(name, sizeof name, "APP%05d.SVRCONN", n);
        Record r = Channel(name, 11, "QM" + std::to_string(n % 7), "host" + std::to_string(n) + "(1414)");
        r.Tail(ExitLists({{}, {}, {"sendexit(Entry)"}, {"data"}, {}, {}})).Int("ExitListsLen", 28);
        slots.push_back(FromRecord(r));
    }
    Bytes big = Table(slots);
    ASSERT_GT(big.size(), 3u * 65536);
    {
        Opened large(TempTable("mapped.TAB", big));
        ASSERT_EQ(large.rc, 0);
        EXPECT_EQ(large.h->file->mapped, 1);       /* large enough to be mapped */
    }
    std::vector<std::string> paths = {TempTable("scrambled.TAB", big), DataDir() + "special.TAB",
                                      DataDir() + "versions.TAB", DataDir() + ONE_QMGR};
    std::vector<size_t> at = SlotOffsets(big);
    for (size_t k : {(size_t)0, at.size() / 2, at.size() - 1}) {
        Bytes b = big;
        Put32(b, at[k] + 16, (uint32_t)at[k ? k - 1 : 1]);          /* a loop in the chain */
        paths.push_back(TempTable(("loop" + std::to_string(k) + ".TAB").c_str(), b));
        b = big;
        b.resize(at[k] + 30);                                           /* cut inside a slot */
        paths.push_back(TempTable(("cut" + std::to_string(k) + ".TAB").c_str(), b));
    }
    for (const std::string &path : paths) {
        std::vector<std::string> names;
        std::string mapped = WalkBinary(path, &names);
        CcdtMapTables(0);
        std::string whole = WalkBinary(path);
        CcdtWholeFileLimit(0);
        std::string windowed = WalkBinary(path);
        CcdtWholeFileLimit(32 << 20);
        CcdtMapTables(1);
        EXPECT_EQ(mapped, whole) << path;
        EXPECT_EQ(whole, windowed) << path;
        if (path == paths[0]) {
            EXPECT_EQ(names.size(), 600u);
        }
    }
}

/* The conversion as it was written first, field by field down the field
 * table: the reference of the conversion by runs of fields. */
static void ReferenceFields(CHLDEF *c, const unsigned char *p, int32_t version)
{
    ChlSetDefaults(c);
    for (const CHLFIELD *f = ChlFields; f->kind != CHF_END; f++) {
        if (f->version > version)
            continue;
        char *to = (char *)c + f->offset;
        if (f->kind == CHF_CHAR || f->kind == CHF_PASSWORD) {
            memcpy(to, p, f->fileBytes);
        } else if (f->kind == CHF_INT || f->kind == CHF_INTS) {
            for (int i = 0; i < f->width; i++) {
                const unsigned char *q = p + 4 * i;
                int32_t v = (int32_t)((uint32_t)q[0] | (uint32_t)q[1] << 8 | (uint32_t)q[2] << 16 |
                                      (uint32_t)q[3] << 24);
                memcpy(to + 4 * i, &v, 4);
            }
        } else if (f->kind == CHF_TIME) {
            int64_t t = (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
                                  (uint32_t)p[3] << 24);
            memcpy(to, &t, 8);
        }
        p += f->fileBytes;
    }
}

/* Records of every stored version full of varied bytes: each field lands
 * where the field table says, the rest keeps its default, and the tail
 * follows the fields. */
TEST(BinaryConversion, EveryVersionConvertsAsFieldByField)
{
    uint32_t seed = 12345;
    for (int32_t version = 1; version <= CHL_MAX_VERSION; version++) {
        for (int round = 0; round < 4; round++) {
            size_t fields = ChlStoredFieldBytes(version), tail = 37;
            std::vector<unsigned char> stored(fields + tail);
            for (auto &b : stored) {
                seed = seed * 1103515245u + 12345u;
                b = (unsigned char)(seed >> 16);
            }
            memcpy(stored.data() + CHL_NAME, &version, 4);
            if (round % 2) {               /* no stored user id to restore */
                size_t at = 0;
                for (const CHLFIELD *f = ChlFields; f->kind != CHF_END && strcmp(f->name, "Encrypt"); f++)
                    at += f->version <= version ? f->fileBytes : 0;
                memset(stored.data() + at, 0, 4);
            }
            std::vector<unsigned char> got(CHL_BUFFER), want(CHL_BUFFER);
            CHLDEF *g = (CHLDEF *)got.data(), *w = (CHLDEF *)want.data();
            size_t needed = 0;
            char error[CHL_ERROR_SIZE] = "";
            ASSERT_EQ(ChlConvertInto(stored.data(), stored.size(), g, got.size(), &needed, error), 0)
                << version << " " << error;
            ReferenceFields(w, stored.data(), version);
            if (w->encrypt && version >= 2) {
                ASSERT_EQ(ChlDecryptAuth((unsigned char *)w->cd.UserIdentifier, 24), 0);
            }
            /* what the tail gives: the lists built before version 4 */
            w->tailLength = g->tailLength;
            if (version < 4) {
                w->exitListsLen = g->exitListsLen;
            } else {
                EXPECT_EQ(g->tailLength, (int32_t)tail);
                EXPECT_EQ(memcmp(CHL_TAIL(g), stored.data() + fields, tail), 0) << version;
            }
            EXPECT_EQ(memcmp(g, w, sizeof(CHLDEF)), 0) << "version " << version << " round " << round;
            EXPECT_EQ(needed, CHL_LENGTH(g));
        }
    }
}

TEST(BinaryDamage, RecordShorterThanItsVersionIsRefused)
{
    using namespace ccdtgen;
    Record r = Channel("CUT.CHL", 11);
    Bytes content = r.Content();
    content.resize(900);               /* a version 11 record needs 2072 bytes */
    Slot s{content, r.Key(), 0};
    Opened t(TempTable("cut.TAB", Table({s})));
    EXPECT_EQ(t.First(), RCHN_ACCESS);
    EXPECT_STREQ(t.error, "Error accessing file RC(1001)");
    CHLDEF *out;
    size_t n;
    char error[CHL_ERROR_SIZE];
    EXPECT_EQ(ConvertChannelRecord(content.data(), 10, &out, &n, error), RCHN_ACCESS);
}

/* ---- finding the table ----------------------------------------------------------------- */

TEST(BinaryPath, SpecificationEnvironmentAndLimits)
{
    std::string dir = TempDir("path");
    WriteBytes(dir + "/AMQCLCHL.TAB", ccdtfix::Specials());
    WriteBytes(dir + "/OTHER.TAB", ccdtfix::Specials());
    char path[CHL_PATH_SIZE], error[CHL_ERROR_SIZE];
    std::string sep(1, CSPathSep);
    SetEnv("MQCHLLIB", dir.c_str());
    SetEnv("MQCHLTAB", nullptr);
    ASSERT_EQ(RchnResolvePath("", path, error), 0);
    EXPECT_EQ(std::string(path), dir + sep + "AMQCLCHL.TAB");
    ASSERT_EQ(RchnResolvePath("*", path, error), 0);
    EXPECT_EQ(std::string(path), dir + sep + "AMQCLCHL.TAB");
    ASSERT_EQ(RchnResolvePath("OTHER.TAB", path, error), 0);
    EXPECT_EQ(std::string(path), dir + sep + "OTHER.TAB");
    SetEnv("MQCHLTAB", "OTHER.TAB");
    ASSERT_EQ(RchnResolvePath((dir + "/").c_str(), path, error), 0);
    EXPECT_EQ(std::string(path), dir + sep + "OTHER.TAB");
    ASSERT_EQ(RchnResolvePath((dir + "/x.TAB").c_str(), path, error), 0);
    EXPECT_EQ(std::string(path), dir + "/x.TAB");

    /* opening writes the resolved path back */
    char spec[CHL_PATH_SIZE] = "";
    RCHN *h;
    ASSERT_EQ(RchnOpen(spec, &h, error), 0) << error;
    EXPECT_EQ(std::string(spec), dir + sep + "OTHER.TAB");
    RchnClose(h, error);

    /* 256 and 246 */
    std::string longSpec(256, 'a');
    EXPECT_EQ(RchnResolvePath(longSpec.c_str(), path, error), RCHN_BADHANDLE);
    EXPECT_STREQ(error, "Channel File name too large");
    std::string name246(246 - dir.size(), 'n'), name247(247 - dir.size(), 'n');
    EXPECT_EQ(RchnResolvePath(name246.c_str(), path, error), 0);
    EXPECT_EQ(RchnResolvePath(name247.c_str(), path, error), RCHN_BADHANDLE);
    SetEnv("MQCHLTAB", std::string(256, 't').c_str());
    EXPECT_EQ(RchnResolvePath("", path, error), RCHN_BADHANDLE);
    SetEnv("MQCHLTAB", nullptr);
    SetEnv("MQCHLLIB", std::string(256, 'd').c_str());
    EXPECT_EQ(RchnResolvePath("", path, error), RCHN_BADHANDLE);
    SetEnv("MQCHLLIB", nullptr);
}

/* ---- MQSERVER ----------------------------------------------------------------------- */

TEST(MqServer, ChannelFromTheEnvironment)
{
    auto server = [](const char *value, int *rc, std::string *error) {
        SetEnv("MQSERVER", value);
        static std::vector<uint8_t> b(CHL_BUFFER);
        char spec[CHL_PATH_SIZE] = "!", err[CHL_ERROR_SIZE] = "";
        RCHN *h = nullptr;
        EXPECT_EQ(RchnOpen(spec, &h, err), 0);
        size_t n = b.size();
        *rc = RchnFirst(h, (CHLDEF *)b.data(), &n, err);
        *error = err;
        n = b.size();
        if (*rc == 0) {
            EXPECT_EQ(RchnNext(h, (CHLDEF *)b.data(), &n, err), RCHN_END);
        }
        RchnClose(h, err);
        return (CHLDEF *)b.data();
    };
    int rc;
    std::string error;
    CHLDEF *c = server("CHAN/TCP/host(1414)", &rc, &error);
    ASSERT_EQ(rc, 0) << error;
    EXPECT_EQ(std::string(c->cd.ChannelName, 20), "CHAN                ");
    EXPECT_EQ(c->cd.TransportType, 2);
    EXPECT_EQ(c->cd.ChannelType, 6);
    EXPECT_EQ(TRIM(c->cd.ConnectionName), "host(1414)");
    EXPECT_EQ(TRIM(c->cd.QMgrName), "*");
    EXPECT_EQ(c->cd.HeartbeatInterval, 1);
    EXPECT_EQ(c->exitListsLen, 0);

    c = server("CHAN/lu62/partner/MODE01/TPNAME/*", &rc, &error);
    ASSERT_EQ(rc, 0) << error;
    EXPECT_EQ(c->cd.TransportType, 1);
    EXPECT_EQ(TRIM(c->cd.ConnectionName), "partner");
    EXPECT_EQ(TRIM(c->cd.ModeName), "MODE01");
    EXPECT_EQ(TRIM(c->cd.TpName), "TPNAME");
    EXPECT_EQ(TRIM(c->cd.UserIdentifier), "*");

    struct { const char *value, *message; } bad[] = {
        {"CHAN/FOO/host", "Invalid MQSERVER Environment variable protocol 'CHAN/FOO/host'"},
        {"CHAN", "Invalid MQSERVER Environment variable 'CHAN'"},
        {"CHAN/TCP", "Invalid MQSERVER Environment variable 'CHAN/TCP'"},
        {"CHAN/LU62/partner/MODE01", "Invalid MQSERVER Environment variable 'CHAN/LU62/partner/MODE01'"},
        {"CHAN/LU62/p/M/T/X", "Invalid MQSERVER Environment variable 'CHAN/LU62/p/M/T/X'"},
    };
    for (auto &b : bad) {
        server(b.value, &rc, &error);
        EXPECT_EQ(rc, RCHN_MQSERVER) << b.value;
        EXPECT_EQ(error, b.message);
    }
    /* without the variable, "!" names a file like any other */
    SetEnv("MQSERVER", nullptr);
    char spec[CHL_PATH_SIZE] = "!", err[CHL_ERROR_SIZE];
    RCHN *h;
    EXPECT_EQ(RchnOpen(spec, &h, err), RCHN_NOFILE);
}
