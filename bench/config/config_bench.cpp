/* Benchmark: write and read a configuration file of 10,000 locations with
 * a profile holding every section and dialog entries (CfgFileWrite,
 * LoadPrfData and CfgFileRead) beside writing and reading the same bytes
 * with plain stdio calls, in the same run.  The whole write is set beside
 * a plain write that also flushes its file to the disk and puts it in
 * the place of another in one step (what a safe rewrite cannot do
 * without); the text writing beside the plain write alone; the read
 * beside opening the file and reading it whole.  The rewrite's flush,
 * backup and replace are timed apart from the writing, and the read's
 * loading apart from its parsing.  Means of the rounds, then the best
 * round of each side, which the targets compare.  Beside them, the
 * floors no reader or writer of these records goes under: the text cut
 * into tokens and nothing else, as many records made (zeroed, given their
 * defaults) and dropped, and one read of every cache line of the records
 * in the tree's order.  Usage: config_bench [N] [dir] [rounds] [--check]
 * (10,000 locations by default; targets: the whole write within 5 x,
 * the writing and the read within 3 x the plain calls). */
#include "benchcheck.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cfgdialog.h"
#include "cfgfile.h"
#include "cs.h"
#include "prffile.h"

static double now_ms()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

static void clear_tree()
{
    while (LocTree)
        LocDelete(&LocTree, (QMS *)CSTreeLast(LocTree), nullptr);   /* nothing to renumber */
    LocFlushFreed();
}

/* The profile of the file: keys and one of each section. */
static const char profile[] =
    "AP:\nver=933\nFLK:\n n=\"deep\" shr v=\"curdepth > 1000\"\n"
    "FRF:\n1 \"find\"\nDLG:\"Queue List\"\nx=10 y=20 refresh=30 filter\nLST: 2 2016 4 3 0\n"
    "FLT:\n\"curdepth > 0\"\nGDG:\"Message List\"\nLST: 2 10033 20 10027 0\n"
    "PDG:\n gtype=0 type=1 qm=\"QM00001\" rest=1\nMQS:\n\"DISPLAY QMGR\"\n"
    "QPFX:\n\"APP.\"\nOBQ:\n\"Q1\"\n";

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
        if (!getenv("BENCH_NOSUB"))
            CSListAdd(&t.mqscCommands, "MQSCCMD", CSLIST_COPYDATA, "DISPLAY QMGR", 13);
        QMS *r = LocCreate(&LocTree, &t, 0);
        if (!r) {
            LocFreeRecordData(&t);
            continue;
        }
        if (i % 10 == 0 && !getenv("BENCH_NOSUB")) {    /* a dialog layout now and then */
            static const char entry[] = "DLG:\"Queue List\"\nx=1 y=2 refresh=5\nLST: 1 2016 4\n";
            PRFIN in;
            char token[PRF_TOKEN_SIZE];
            uint32_t q;
            PrfOpenText(&in, entry, sizeof entry - 1);
            PrfGetToken(&in, &q, 0, token);
            CfgFileParseDialog(&in, &r->dialogs, nullptr, token);
        }
    }
}

struct Times {
    double write, format, flush, backup, replace, read, load, parse, profile, plainWrite, plainRead,
        plainWhole;
};

/* The fastest round of each: a busy machine only ever adds time, so the
 * best rounds compare the work itself; the means are shown beside. */
struct Best {
    double write = 1e9, format = 1e9, read = 1e9, plainWrite = 1e9, plainRead = 1e9,
        plainWhole = 1e9;
};

/* The floors, each the best of its rounds. */
struct Floors {
    double tokens = 1e9, records = 1e9, walk = 1e9;
};

/* Every token of the text read and dropped. */
static double time_tokens(const char *text, size_t length)
{
    PRFIN in;
    char token[PRF_TOKEN_SIZE];
    uint32_t q;
    double t0 = now_ms();
    PrfOpenText(&in, text, length);
    while (PrfGetToken(&in, &q, 0, token) || q)
        ;
    return now_ms() - t0;
}

/* As many records as the tree holds made ready to be read into, and
 * dropped. */
static double time_records(int count)
{
    double t0 = now_ms();
    for (int i = 0; i < count; i++) {
        QMS *r = LocNewRecord(&LocTree);
        if (!r)
            break;
        CfgLocationDefaults(r);
        LocDropRecord(r);
    }
    return now_ms() - t0;
}

/* One byte of every cache line of every record, in the tree's order, as
 * a writer that asks each field reads them. */
static double time_walk(void)
{
    static volatile unsigned sink;
    unsigned sum = 0;
    double t0 = now_ms();
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        for (size_t at = 0; at < sizeof(QMS); at += 64)
            sum += ((const unsigned char *)e)[at];
    sink = sink + sum;
    return now_ms() - t0;
}

static void keep_best(double *best, double value)
{
    if (value < *best)
        *best = value;
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    int count = (int)BenchCount(argc, argv, 1, 10000);
    std::string dir = argc > 2 ? argv[2] : ".";
    int rounds = (int)BenchCount(argc, argv, 3, 5);
    snprintf(ConfigFile, sizeof ConfigFile, "%s/BENCH.CFG", dir.c_str());
    std::string copy = dir + "/PLAIN.CFG", bak = dir + "/BENCH.BAK", scratch = dir + "/SCRATCH.CFG";
    remove(ConfigFile);
    PrfLoadText(profile, sizeof profile - 1);
    add_locations(count);
    CfgStatus = CFG_STATUS_READ;
    Times t = {};
    Best b;
    Floors fl;
    size_t bytes = 0;
    int locations = 0;
    for (int r = 0; r < rounds; r++) {
        double t0 = now_ms();
        if (CfgFileWrite() != 0) {
            fprintf(stderr, "write failed\n");
            return 1;
        }
        t.write += now_ms() - t0;
        keep_best(&b.write, now_ms() - t0);

        /* the parts of a rewrite, apart */
        /* the writing timed with its file's opening and closing, as the
           plain write is */
        t0 = now_ms();
        FILE *f = fopen(scratch.c_str(), "wb");      /* as CfgFileWrite does */
        double opening = now_ms() - t0;
        t0 = now_ms();
        PRFOUT text;
        PrfOutOpenBinary(&text, f);
        SavePrfData(&text);
        CfgFileWriteLocations(&text);
        PrfOutClose(&text);
        fflush(f);
        double writing = opening + (now_ms() - t0);
        t0 = now_ms();
        CfgHostFlush(f);
        t.flush += now_ms() - t0;
        t0 = now_ms();
        fclose(f);
        writing += now_ms() - t0;
        t.format += writing;
        keep_best(&b.format, writing);
        t0 = now_ms();
        {
            FILE *in = fopen(ConfigFile, "rb"), *out = fopen(bak.c_str(), "wb");
            static char buffer[65536];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, in)) > 0)
                fwrite(buffer, 1, n, out);
            fclose(in);
            fclose(out);
        }
        t.backup += now_ms() - t0;
        t0 = now_ms();
        CfgHostReplace(scratch.c_str(), copy.c_str());
        t.replace += now_ms() - t0;

        /* the same bytes with plain calls: the file opened, read and
           closed as the read does */
        std::vector<char> data;
        t0 = now_ms();
        f = fopen(ConfigFile, "rb");
        char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
            data.insert(data.end(), buffer, buffer + n);
        fclose(f);
        t.plainRead += now_ms() - t0;
        keep_best(&b.plainRead, now_ms() - t0);
        bytes = data.size();
        remove(copy.c_str());       /* a new file, as the writing's is */
        t0 = now_ms();
        f = fopen(copy.c_str(), "wb");
        fwrite(data.data(), 1, data.size(), f);
        fclose(f);
        t.plainWrite += now_ms() - t0;
        keep_best(&b.plainWrite, now_ms() - t0);
        /* and a plain safe write: the bytes flushed to the disk, the file
           put in the place of the copy */
        t0 = now_ms();
        f = fopen(scratch.c_str(), "wb");
        fwrite(data.data(), 1, data.size(), f);
        fflush(f);
        CfgHostFlush(f);
        fclose(f);
        CfgHostReplace(scratch.c_str(), copy.c_str());
        t.plainWhole += now_ms() - t0;
        keep_best(&b.plainWhole, now_ms() - t0);

        LocGlobals.now = 0;
        clear_tree();
        t0 = now_ms();
        LoadPrfData();
        t.profile += now_ms() - t0;
        t0 = now_ms();
        CfgFileRead(ConfigFile, &LocTree, 0, nullptr);
        t.read += now_ms() - t0;
        keep_best(&b.read, now_ms() - t0);
        locations = 0;
        for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
            locations++;

        /* the read's parts: loading the file, and parsing it from memory */
        PRFIN in;
        t0 = now_ms();
        PrfOpenFile(&in, ConfigFile);
        t.load += now_ms() - t0;
        clear_tree();
        t0 = now_ms();
        CfgReadText(in.text, in.length, &LocTree);
        t.parse += now_ms() - t0;
        PrfClose(&in);
    }
    /* the floors apart, after every timed round: records made and
       dropped between two reads would leave the next one warm memory */
    for (int r = 0; r < rounds; r++) {
        PRFIN in;
        PrfOpenFile(&in, ConfigFile);
        keep_best(&fl.tokens, time_tokens(in.text, in.length));
        PrfClose(&in);
        keep_best(&fl.walk, time_walk());
        keep_best(&fl.records, time_records(locations));
    }
    double n = rounds;
    printf("configuration file: %d locations, %zu bytes, mean of %d rounds\n", locations, bytes,
           rounds);
    printf("  CfgFileWrite  %8.2f ms   plain fwrite, flush and replace %8.2f ms   ratio %6.1f\n",
           t.write / n, t.plainWhole / n, t.write / t.plainWhole);
    printf("    plain fwrite alone %8.2f ms\n", t.plainWrite / n);
    printf("    writing %8.2f ms (ratio %5.1f)  flush %8.2f  backup %8.2f  replace %8.2f ms\n",
           t.format / n, t.format / t.plainWrite, t.flush / n, t.backup / n, t.replace / n);
    printf("  CfgFileRead   %8.2f ms   plain fread  %8.2f ms   ratio %6.1f\n", t.read / n,
           t.plainRead / n, t.read / t.plainRead);
    printf("    loading %8.2f ms   parsing %8.2f ms   (the profile alone: %.2f ms)\n",
           t.load / n, t.parse / n, t.profile / n);
    printf("  best rounds: CfgFileWrite %.2f ms / plain safe write %.2f ms = %.1f;  writing %.2f ms / "
           "plain %.2f ms = %.1f;  CfgFileRead %.2f ms / plain %.2f ms = %.1f\n", b.write,
           b.plainWhole, b.write / b.plainWhole, b.format, b.plainWrite, b.format / b.plainWrite,
           b.read, b.plainRead, b.read / b.plainRead);
    printf("  floors (best rounds): the tokens alone %.2f ms, the records made alone %.2f ms (%zu bytes "
           "each), every line of the records read %.2f ms\n", fl.tokens, fl.records, sizeof(QMS),
           fl.walk);
    /* the targets by the best rounds: one stall of a short plain round
       weighs on its mean alone, and made the writing look faster than
       the plain write of its own bytes */
    BenchTarget("configuration whole write", b.write / b.plainWhole, 5);
    BenchTarget("configuration text writing", b.format / b.plainWrite, 3);
    BenchTarget("configuration read", b.read / b.plainRead, 3);
    clear_tree();
    remove(copy.c_str());
    remove(bak.c_str());
    remove(ConfigFile);
    return locations == count ? BenchExit() : 1;
}
