/* Benchmark: walk a binary channel table and a JSON channel table of
 * N channels each (every channel converted and its exits expanded),
 * beside reading the same bytes with plain stdio calls, in the same run;
 * the JSON table also beside a DOM parse of the same file by a JSON
 * library from the system's packages, where the build found one.
 * Usage: ccdt_bench [N] [dir] [--check]   (10,000 channels by default;
 * targets: the binary walk within 5 x the plain read, the JSON walk
 * within 3 x the DOM parse). */
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#ifdef BENCH_JSON_DOM
#define JSON_NOEXCEPTION 1
#include <nlohmann/json.hpp>
#endif

#include "benchcheck.h"
#include "ccdtgen.h"
#include "ccdtjson.h"
#include "cs.h"

static int CHANNELS = 10000;
#define ROUNDS 5

static double now_ms()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

static std::string name_of(int i)
{
    char name[24];
    snprintf(name, sizeof name, "APP%05d.SVRCONN", i);
    return name;
}

/* 10,000 version 11 channels with exit lists, stored in an order other
 * than their key order. */
static ccdtgen::Bytes binary_table()
{
    std::vector<ccdtgen::Slot> slots;
    for (int i = 0; i < CHANNELS; i++) {
        int n = (i * 7919) % CHANNELS;
        ccdtgen::Record r = ccdtgen::Channel(name_of(n), 11, "QM" + std::to_string(n % 100),
                                             "host" + std::to_string(n) + "(1414)");
        r.Tail(ccdtgen::ExitLists({{}, {}, {"sendexit(Entry)"}, {"data"}, {}, {}}))
            .Int("ExitListsLen", 28).Text("SSL Cipher Spec", "TLS_RSA_WITH_AES_256_CBC_SHA256");
        slots.push_back(ccdtgen::FromRecord(r));
    }
    return ccdtgen::Table(slots);
}

static std::string json_table()
{
    std::string t = "{\n  \"channel\": [\n";
    for (int i = 0; i < CHANNELS; i++) {
        t += std::string(i ? ",\n" : "") + "    {\n      \"name\": \"" + name_of(i) +
             "\",\n      \"type\": \"clientConnection\",\n      \"clientConnection\": {\n"
             "        \"connection\": [{\"host\": \"host" + std::to_string(i) + "\", \"port\": 1414}],\n"
             "        \"queueManager\": \"QM" + std::to_string(i % 100) + "\"\n      },\n"
             "      \"exits\": {\"send\": [{\"name\": \"sendexit(Entry)\", \"userData\": \"data\"}]},\n"
             "      \"transmissionSecurity\": {\"cipherSpecification\": \"TLS_RSA_WITH_AES_256_CBC_SHA256\"}\n    }";
    }
    return t + "\n  ]\n}\n";
}

static void write_file(const std::string &path, const void *data, size_t n)
{
    FILE *f = fopen(path.c_str(), "wb");
    fwrite(data, 1, n, f);
    fclose(f);
}

static double plain_read(const std::string &path, size_t *bytes)
{
    double t0 = now_ms();
    FILE *f = fopen(path.c_str(), "rb");
    static char buffer[65536];
    size_t n, total = 0;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        total += n;
    fclose(f);
    *bytes = total;
    return now_ms() - t0;
}

static int walk_binary(const std::string &path, std::vector<uint8_t> &buffer)
{
    char spec[CHL_PATH_SIZE], error[CHL_ERROR_SIZE];
    snprintf(spec, sizeof spec, "%s", path.c_str());
    RCHN *h;
    if (RchnOpen(spec, &h, error))
        return -1;
    CHLDEF *c = (CHLDEF *)buffer.data();
    int count = 0;
    for (int rc = 0;; count++) {
        size_t n = buffer.size();
        rc = count ? RchnNext(h, c, &n, error) : RchnFirst(h, c, &n, error);
        if (rc)
            break;
        ReadChannelExits(c, error);
        FreeChannelDef(c, 0);
    }
    RchnClose(h, error);
    return count;
}

static int walk_json(const std::string &path, std::vector<uint8_t> &buffer)
{
    char spec[CHL_PATH_SIZE], error[CHL_ERROR_SIZE];
    snprintf(spec, sizeof spec, "%s", path.c_str());
    if (!LoadJsonCcdt(nullptr, nullptr, spec, 0))
        return -1;
    RCHN *h;
    RchnOpenJson(&h, spec, error);
    JSONSEARCH s = {};
    CHLDEF *c = (CHLDEF *)buffer.data();
    int count = 0;
    for (int rc = 0;; count++) {
        size_t n = buffer.size();
        rc = count ? RchnNextJson(h, &s, &n, c) : RchnFirstJson(h, &s, &n, c);
        if (rc)
            break;
        ReadChannelExits(c, error);
        FreeChannelDef(c, 0);
    }
    RchnCloseJson(h);
    return count;
}

#ifdef BENCH_JSON_DOM
/* The baseline of the JSON walk: the file read whole and parsed into a
 * document, its channels counted; -1 when it does not parse. */
static int dom_parse(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return -1;
    std::string text;
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    fclose(f);
    nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.contains("channel"))
        return -1;
    return (int)doc["channel"].size();
}
#endif

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    CHANNELS = (int)BenchCount(argc, argv, 1, 10000);
    std::string dir = argc > 2 ? argv[2] : ".";
    std::string bin = dir + "/BENCH.TAB", json = dir + "/bench.json";
    ccdtgen::Bytes table = binary_table();
    std::string text = json_table();
    write_file(bin, table.data(), table.size());
    write_file(json, text.data(), text.size());
    std::vector<uint8_t> buffer(CHL_BUFFER);
    double walkBin = 0, walkJson = 0, plainBin = 0, plainJson = 0, windowed = 0;
    size_t binBytes = 0, jsonBytes = 0;
    int binCount = 0, jsonCount = 0, domCount = CHANNELS;
    double domJson = 0;
    for (int r = 0; r < ROUNDS; r++) {
        plainBin += plain_read(bin, &binBytes);
        double t0 = now_ms();
        binCount = walk_binary(bin, buffer);
        walkBin += now_ms() - t0;
        /* the same walk through a moving window of the file, as tables
           that cannot be mapped and are too large to read whole are read */
        CcdtMapTables(0);
        CcdtWholeFileLimit(0);
        t0 = now_ms();
        walk_binary(bin, buffer);
        windowed += now_ms() - t0;
        CcdtWholeFileLimit(32 << 20);
        CcdtMapTables(1);
        plainJson += plain_read(json, &jsonBytes);
        t0 = now_ms();
        jsonCount = walk_json(json, buffer);
        walkJson += now_ms() - t0;
#ifdef BENCH_JSON_DOM
        t0 = now_ms();
        domCount = dom_parse(json);
        domJson += now_ms() - t0;
#endif
    }
    JsonCcdtFree();
    printf("binary table: %d channels, %zu bytes\n", binCount, binBytes);
    printf("  walk %.2f ms, plain read %.2f ms, ratio %.1f (read through a window: %.2f ms, ratio %.1f)\n",
           walkBin / ROUNDS, plainBin / ROUNDS, walkBin / plainBin, windowed / ROUNDS, windowed / plainBin);
    printf("JSON table: %d channels, %zu bytes\n", jsonCount, jsonBytes);
    printf("  load and walk %.2f ms, plain read %.2f ms, ratio %.1f\n", walkJson / ROUNDS,
           plainJson / ROUNDS, walkJson / plainJson);
    BenchTarget("binary channel table", walkBin / plainBin, 5);
#ifdef BENCH_JSON_DOM
    printf("  DOM parse of the same file %.2f ms (%d channels), ratio %.1f\n", domJson / ROUNDS, domCount,
           walkJson / domJson);
    BenchTarget("JSON channel table, x a DOM parse", walkJson / domJson, 3);
#else
    printf("  (no JSON library was found by the build: no DOM parse beside the walk)\n");
#endif
    remove(bin.c_str());
    remove(json.c_str());
    return binCount == CHANNELS && jsonCount == CHANNELS && domCount == CHANNELS ? BenchExit() : 1;
}
