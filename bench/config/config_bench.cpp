/* Benchmark: write and read a configuration file of 10,000 locations
 * (CfgFileWrite, CfgFileRead) beside writing and reading the same bytes
 * with plain stdio calls, in the same run.  Usage: config_bench [dir]. */
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cfgfile.h"
#include "cs.h"
#include "prfdata.h"

static double now_ms()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

static void clear_tree()
{
    while (LocTree)
        LocDelete(&LocTree, (QMS *)CSTreeFirst(LocTree), nullptr);
    LocFlushFreed();
}

static void add_locations(int count)
{
    for (int i = 0; i < count; i++) {
        QMS t;
        CfgLocationDefaults(&t);
        snprintf(t.qmName, sizeof t.qmName, "QM%05d", i);
        snprintf(t.locationName, sizeof t.locationName, "Location number %d", i);
        if (getenv("BENCH_NOGROUP") == nullptr)
            snprintf(t.groupName, sizeof t.groupName, "GROUP%02d", i % 50);
        snprintf(t.okCommand, sizeof t.okCommand, "notify ok %%m");
        t.platform = 11;
        t.commandLevel = 940;
        t.flags |= LF_CLIENT | LF_AUTO;
        CSStringSet(&t.clientChannel, "SVRCONN.CHANNEL", -1);
        CSListAdd(&t.mqscCommands, "MQSCCMD", CSLIST_COPYDATA, "DISPLAY QMGR", 13);
        if (!LocCreate(&LocTree, &t, 0))
            LocFreeRecordData(&t);
    }
}

int main(int argc, char **argv)
{
    std::string dir = argc > 1 ? argv[1] : ".";
    snprintf(ConfigFile, sizeof ConfigFile, "%s/BENCH.CFG", dir.c_str());
    std::string copy = dir + "/PLAIN.CFG";
    remove(ConfigFile);
    PrfSetDefaults();
    add_locations(10000);
    CfgStatus = CFG_STATUS_READ;
    const int rounds = 5;
    double cfgWrite = 0, cfgRead = 0, plainWrite = 0, plainRead = 0;
    size_t bytes = 0;
    int locations = 0;
    for (int r = 0; r < rounds; r++) {
        double t0 = now_ms();
        if (CfgFileWrite() != 0) {
            fprintf(stderr, "write failed\n");
            return 1;
        }
        cfgWrite += now_ms() - t0;

        /* the same bytes with plain calls */
        FILE *f = fopen(ConfigFile, "rb");
        std::vector<char> data;
        t0 = now_ms();
        char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
            data.insert(data.end(), buffer, buffer + n);
        plainRead += now_ms() - t0;
        fclose(f);
        bytes = data.size();
        t0 = now_ms();
        f = fopen(copy.c_str(), "wb");
        fwrite(data.data(), 1, data.size(), f);
        fclose(f);
        plainWrite += now_ms() - t0;

        LocGlobals.now = 0;
        clear_tree();
        t0 = now_ms();
        CfgFileRead(ConfigFile, &LocTree, 0, nullptr);
        cfgRead += now_ms() - t0;
        locations = 0;
        for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
            locations++;
    }
    {
        /* where the time goes: the tokenizer alone, and the host heap for
           one block of a location's size per location */
        PRFIN in;
        double t0 = now_ms();
        PrfOpenFile(&in, ConfigFile);
        char token[PRF_TOKEN_SIZE];
        uint32_t q;
        long n = 0;
        while (PrfGetToken(&in, &q, 0, token) || q)
            n++;
        PrfClose(&in);
        printf("  tokenizing the file alone      %8.2f ms (%ld tokens)\n", now_ms() - t0, n);
        std::vector<void *> blocks;
        t0 = now_ms();
        for (int i = 0; i < 10000; i++)
            blocks.push_back(malloc(sizeof(QMS)));
        printf("  10000 malloc(%zu) kept alive  %8.2f ms\n", sizeof(QMS), now_ms() - t0);
        for (void *p : blocks)
            free(p);
    }
    printf("configuration file: %d locations, %zu bytes, mean of %d rounds\n", locations, bytes,
           rounds);
    printf("  CfgFileWrite  %8.2f ms   plain fwrite %8.2f ms   ratio %6.1f\n", cfgWrite / rounds,
           plainWrite / rounds, cfgWrite / plainWrite);
    printf("  CfgFileRead   %8.2f ms   plain fread  %8.2f ms   ratio %6.1f\n", cfgRead / rounds,
           plainRead / rounds, cfgRead / plainRead);
    clear_tree();
    remove(copy.c_str());
    return locations == 10000 ? 0 : 1;
}
