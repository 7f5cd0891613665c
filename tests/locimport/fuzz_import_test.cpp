/* Robustness of the readers of foreign files: every prefix and random
 * mutations of every sample and fixture through the binary table reader
 * (open, walk, find, exits, free), the stored-record conversion, the JSON
 * reader, the MQ Explorer reader and the mqs.ini reader.  Each must end by
 * itself, without reading outside its data (the sanitizers watch that
 * natively) or leaking.  RAVOLT_FUZZ_COUNT sets the mutations per input
 * (a bounded count by default; a million by hand). */
#include "ccdtfixtures.h"
#include "ccdtjson.h"
#include "loctest.h"

using namespace loctest;

namespace {

struct Rng {
    uint64_t s;
    uint32_t Next() { s ^= s << 13; s ^= s >> 7; s ^= s << 17; return (uint32_t)(s >> 11); }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

int Count(int fallback)
{
    const char *env = getenv("RAVOLT_FUZZ_COUNT");
    return env ? atoi(env) : fallback;
}

/* Every how many prefixes one is tried (all natively; Wine's file calls
 * are slower). */
size_t PrefixStep()
{
#ifdef _WIN32
    return 23;
#else
    return 1;
#endif
}

using Bytes = std::vector<uint8_t>;

/* A mutation: bytes changed, 32-bit words set to telling values, a cut or
 * an insertion. */
Bytes Mutate(const Bytes &in, Rng &r)
{
    Bytes b = in;
    int changes = 1 + (int)r.Below(8);
    for (int i = 0; i < changes && !b.empty(); i++) {
        uint32_t at = r.Below((uint32_t)b.size());
        switch (r.Below(6)) {
        case 0: b[at] = (uint8_t)r.Next(); break;
        case 1: b[at] ^= (uint8_t)(1u << r.Below(8)); break;
        case 2: {
            static const uint32_t words[] = {0, 1, 4, 6, 7, 20, 0x7FFFFFFF, 0xFFFFFFFF, 0x80000000};
            uint32_t v = r.Below(3) ? words[r.Below(9)] : r.Below((uint32_t)b.size() + 64);
            for (int k = 0; k < 4 && at + k < b.size(); k++)
                b[at + k] = (uint8_t)(v >> (8 * k));
            break;
        }
        case 3: b.resize(at); break;
        case 4: b.insert(b.begin() + at, (uint8_t)r.Next()); break;
        default: {
            static const char structural[] = "{}[]:,\"\\\x01\x02<>=&;";
            b[at] = (uint8_t)structural[r.Below(sizeof structural - 1)];
            break;
        }
        }
    }
    return b;
}

/* ---- the binary reader over a file ------------------------------------------ */

void WalkTable(const std::string &path, const Bytes &bytes)
{
    WriteBytes(path, bytes);
    char spec[CHL_PATH_SIZE], error[CHL_ERROR_SIZE];
    snprintf(spec, sizeof spec, "%s", path.c_str());
    RCHN *h;
    if (RchnOpen(spec, &h, error))
        return;
    static Bytes buffer(CHL_BUFFER);
    CHLDEF *c = (CHLDEF *)buffer.data();
    int steps = 0, rc;
    for (rc = 0; steps < 5000; steps++) {
        size_t n = buffer.size();
        rc = steps ? RchnNext(h, c, &n, error) : RchnFirst(h, c, &n, error);
        if (rc == 0 || rc == RCHN_TOOLARGE) {
            ReadChannelExits(c, error);
            FreeChannelDef(c, 0);
        } else if (rc != RCHN_BADHANDLE) {
            break;
        }
    }
    ASSERT_LT(steps, 5000) << "the walk did not end";
    for (const char *name : {"TEST.SVRCONN", "CERT.SVRCONN_CLNT", "V05.CHL", "MIKE.CHL", "ZZZ"}) {
        size_t n = buffer.size();
        if (RchnFind(h, name, c, &n, error) == 0) {
            ReadChannelExits(c, error);
            FreeChannelDef(c, 0);
        }
    }
    RchnClose(h, error);
}

std::vector<std::pair<std::string, Bytes>> Tables()
{
    std::vector<std::pair<std::string, Bytes>> t;
    for (const char *s : {"bdsaen__mqtoolbox__MQSamples_AMQCLCHL_ONE_QMGR.TAB", "ewiger__ibm-mq-mtls__ccdt_AMQCLCHL.TAB"})
        t.push_back({s, ReadBytes(Sample("ccdt-binary", s))});
    for (const auto &f : ccdtfix::All())
        t.push_back({f.name, f.make()});
    return t;
}

}  // namespace

TEST(Fuzz, BinaryTablesEveryPrefixAndMutations)
{
    std::string path = TempDir("fuzz") + "/f.TAB";
    Rng r{0x9E3779B97F4A7C15ull};
    int count = Count(150);
    for (auto &t : Tables()) {
        ASSERT_FALSE(t.second.empty()) << t.first;
        for (size_t n = 0; n <= t.second.size(); n += PrefixStep())
            WalkTable(path, Bytes(t.second.begin(), t.second.begin() + n));
        for (int i = 0; i < count; i++)
            WalkTable(path, Mutate(t.second, r));
    }
}

TEST(Fuzz, StoredRecordsOfEveryVersion)
{
    Rng r{12345};
    int count = Count(150) * 20;
    std::vector<Bytes> records;
    for (int v = 1; v <= 12; v++) {
        ccdtgen::Record rec = ccdtgen::Channel("FUZZ", v);
        rec.Text("Send Exit", "exit").Int("SSL PeerName Length", 5);
        if (v >= 4)
            rec.Tail(ccdtgen::ExitLists({{"a"}, {"b"}, {"c", "d"}, {}, {"e"}, {}})).Int("ExitListsLen", 13);
        records.push_back(rec.Content());
    }
    for (const Bytes &rec : records) {
        for (int i = 0; i < count / 12; i++) {
            Bytes m = Mutate(rec, r);
            /* the record lies in a block of exactly its own size */
            uint8_t *copy = (uint8_t *)malloc(m.size() ? m.size() : 1);
            if (!m.empty())
                memcpy(copy, m.data(), m.size());
            CHLDEF *c;
            size_t n;
            char error[CHL_ERROR_SIZE];
            if (ConvertChannelRecord(copy, m.size(), &c, &n, error) == 0) {
                ReadChannelExits(c, error);
                FreeChannelDef(c, 1);
            }
            free(copy);
        }
    }
}

TEST(Fuzz, JsonTablesEveryPrefixAndMutations)
{
    Rng r{777};
    int count = Count(150);
    std::vector<Bytes> inputs;
    for (auto &e : std::filesystem::directory_iterator(Sample("ccdt-json", "")))
        if (e.path().extension() != ".txt")
            inputs.push_back(ReadBytes(e.path().string()));
    std::string crafted = "{\"channel\": [{\"name\": \"X\", \"exits\": {\"send\": [{\"name\": \"a\"}], \"receive\": "
                          "[{\"userData\": \"b\"}]}, \"timestamps\": {\"altered\": \"2018-12-04T15:37:22.000+01:30\"},"
                          "\"connectionManagement\": {\"localAddress\": [{\"host\": \"h\", \"port\": 1, \"portRange\":"
                          "{\"low\": 2, \"high\": 3}}]}, \"compression\": {\"message\": [\"rle\"]}}]}";
    inputs.push_back(Bytes(crafted.begin(), crafted.end()));
    auto read = [](const Bytes &b) {
        char *copy = (char *)malloc(b.size() ? b.size() : 1);
        if (!b.empty())
            memcpy(copy, b.data(), b.size());
        auto sink = [](void *, CHLDEF *c) {
            char error[CHL_ERROR_SIZE];
            ReadChannelExits(c, error);
            FreeChannelDef(c, 1);
        };
        JsonReadText(copy, b.size(), "f.json", [](void *, int, const char *) {}, nullptr, sink, nullptr);
        free(copy);
    };
    for (const Bytes &in : inputs) {
        for (size_t n = 0; n <= in.size(); n++)
            read(Bytes(in.begin(), in.begin() + n));
        for (int i = 0; i < count; i++)
            read(Mutate(in, r));
    }
}

TEST(Fuzz, ExplorerFilesAndIniFiles)
{
    IMPORTHOOKS quiet = {};
    quiet.box = [](void *, void *, const char *, const char *, int) {};
    ImportSetHooks(&quiet);
    Rng r{4242};
    int count = Count(150);
    Bytes xml = ReadBytes(DataDir() + "mqexplorer.xml");
    auto parse = [](const Bytes &b) {
        std::string text(b.begin(), b.end());
        IMPORTLIST *list = ImportListCreate(IMP_MQEX);
        ParseMQExplorerXml(list, text.c_str());
        ImportListFree(list);
    };
    for (size_t n = 0; n <= xml.size(); n += 3)
        parse(Bytes(xml.begin(), xml.begin() + n));
    for (int i = 0; i < count * 4; i++)
        parse(Mutate(xml, r));

    std::string path = TempDir("fuzzini") + "/mqs.ini";
    for (const char *s : {"SalaiMadhavan__MQ__mqs.ini", "ibm-doc-example__mqs.ini"}) {
        Bytes ini = ReadBytes(Sample("ini-mqsc", s));
        for (int i = 0; i < count; i++) {
            WriteBytes(path, Mutate(ini, r));
            FILE *f = fopen(path.c_str(), "rb");
            ImportReadMqsIni(f, [](void *, const char *qm) { ASSERT_LT(strlen(qm), 500u); }, nullptr);
            fclose(f);
        }
    }
    ImportSetHooks(nullptr);
}
