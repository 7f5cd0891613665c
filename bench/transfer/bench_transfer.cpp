/* Benchmark of the load and unload engine against the stand-in, each
 * beside a raw loop in the same run:
 *   - an unload of N messages to a Drask file (browse), beside a loop of
 *     MQGETs (browse) writing the same message bytes to a plain file;
 *   - a load of that file into a queue under syncpoint with a commit
 *     every 200 messages (set all context), beside a loop that reads the
 *     same Drask file in as many pieces as it holds messages and MQPUTs
 *     the message's length of each piece with the same options, syncpoint
 *     and commit interval: the same file read and the same puts, without
 *     the decoding.  (The rate of the same loop over the plain file of
 *     the message bytes alone is shown beside it.)
 *
 *   bench_transfer [N] [bytes] [rounds]   (default 100000 messages of
 *       1024 bytes, the best of 3 rounds; RAVOLT_MQSIM_HOME or a temp folder) */
#include "benchcheck.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cs.h"
#include "drask.h"
#include "mqsim.h"

static const char *QMGR = "BENCH";

static double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

static void Check(const char *what, MQLONG rc)
{
    if (rc != 0) {
        fprintf(stderr, "%s failed: %d\n", what, (int)rc);
        exit(1);
    }
}

static void Mqsc(const char *text)
{
    static char out[65536];
    if (MQSimRunMqsc((PMQCHAR)QMGR, (PMQCHAR)text, sizeof out, out) != 0) {
        fprintf(stderr, "MQSC failed:\n%s\n", out);
        exit(1);
    }
}

static MQIEntryTable table;

static void Bind(void)
{
    MQLinkedTable(&table);
}

static MQHOBJ Open(MQHCONN h, const char *queue, MQLONG options)
{
    MQOD od = {MQOD_DEFAULT};
    memset(od.ObjectName, ' ', 48);
    memcpy(od.ObjectName, queue, strlen(queue));
    MQHOBJ o;
    MQLONG cc, rc;
    MQOPEN(h, &od, options, &o, &cc, &rc);
    Check("MQOPEN", rc);
    return o;
}

static void Fill(MQHCONN h, int n, int size)
{
    MQHOBJ o = Open(h, "SOURCE.Q", MQOO_OUTPUT);
    std::string data(size, 'x');
    for (int i = 0; i < size; i++)
        data[i] = (char)(' ' + (i * 7) % 90);
    for (int i = 0; i < n; i++) {
        MQMD md = {MQMD_DEFAULT};
        memcpy(md.Format, MQFMT_STRING, 8);
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Options = MQPMO_NO_SYNCPOINT;
        MQLONG cc, rc;
        MQPUT(h, o, &md, &pmo, size, &data[0], &cc, &rc);
        Check("MQPUT", rc);
    }
    MQLONG cc, rc;
    MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
}

/* Raw unload: browse every message, write its bytes to a plain file. */
static double RawUnload(MQHCONN h, const std::string &file, int size)
{
    auto t = std::chrono::steady_clock::now();
    MQHOBJ o = Open(h, "SOURCE.Q", MQOO_BROWSE);
    FILE *f = fopen(file.c_str(), "wb");
    std::vector<char> buf((size_t)size + 1024);
    for (;;) {
        MQMD md = {MQMD_DEFAULT};
        md.Version = MQMD_VERSION_2;
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_BROWSE_NEXT | MQGMO_NO_SYNCPOINT | MQGMO_PROPERTIES_FORCE_MQRFH2;
        MQLONG n, cc, rc;
        MQGET(h, o, &md, &gmo, (MQLONG)buf.size(), buf.data(), &n, &cc, &rc);
        if (rc == MQRC_NO_MSG_AVAILABLE)
            break;
        Check("MQGET", rc);
        fwrite(buf.data(), 1, (size_t)n, f);
    }
    fclose(f);
    MQLONG cc, rc;
    MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    return Seconds(t);
}

/* Raw load: the file read in n pieces (the last one takes the rest),
 * the first size bytes of each MQPUT under syncpoint, a commit every
 * 200. */
static double RawLoad(MQHCONN h, const std::string &file, int n, int size)
{
    auto t = std::chrono::steady_clock::now();
    MQHOBJ o = Open(h, "RAW.Q", MQOO_OUTPUT | MQOO_SET_ALL_CONTEXT);
    FILE *f = fopen(file.c_str(), "rb");
    fseek(f, 0, SEEK_END);
    size_t total = (size_t)ftell(f);
    rewind(f);
    size_t piece = total / (size_t)n;
    if (piece < (size_t)size) {
        fprintf(stderr, "%s holds less than %d messages of %d bytes\n", file.c_str(), n, size);
        exit(1);
    }
    std::vector<char> buf(piece + total % (size_t)n);
    int pending = 0;
    MQLONG cc, rc;
    for (int i = 0; i < n; i++) {
        size_t want = i + 1 < n ? piece : buf.size();
        if (fread(buf.data(), 1, want, f) != want) {
            fprintf(stderr, "reading %s failed\n", file.c_str());
            exit(1);
        }
        MQMD md = {MQMD_DEFAULT};
        md.Version = MQMD_VERSION_2;
        memcpy(md.Format, MQFMT_STRING, 8);
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Options = MQPMO_SYNCPOINT | MQPMO_SET_ALL_CONTEXT;
        MQPUT(h, o, &md, &pmo, size, buf.data(), &cc, &rc);
        Check("MQPUT", rc);
        if (++pending == 200) {
            MQCMIT(h, &cc, &rc);
            pending = 0;
        }
    }
    if (pending)
        MQCMIT(h, &cc, &rc);
    fclose(f);
    MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    return Seconds(t);
}

static double Engine(MQHCONN h, const char *source, const char *target, const std::string &in,
                     const std::string &out, std::string *result)
{
    DROPT *o = (DROPT *)CSGetMem(sizeof(DROPT), "DROPT");
    DraskInit(o);
    o->head.table = &table;
    o->head.hConn = h;
    snprintf(o->sourceQ, sizeof o->sourceQ, "%s", source);
    snprintf(o->targetQ, sizeof o->targetQ, "%s", target);
    snprintf(o->inFile, sizeof o->inFile, "%s", in.c_str());
    snprintf(o->outFile, sizeof o->outFile, "%s", out.c_str());
    o->options |= DRO_OVERWRITE;
    struct Sink {
        static void Text(void *ctx, void *, const char *text) { *(std::string *)ctx = text; }
        static int Ask(void *, void *, const char *) { return 1; }
    };
    DRASKTHREAD thread = {nullptr, result, Sink::Text, Sink::Ask};
    auto t = std::chrono::steady_clock::now();
    int rc = DraskLoadUnload(&thread, nullptr, o);
    double s = Seconds(t);
    CSFreeMem(o);
    if (rc) {
        fprintf(stderr, "engine: %s\n", result->c_str());
        exit(1);
    }
    return s;
}

static double Report(const char *what, int n, int size, double engine, double raw)
{
    double mb = (double)n * size / 1e6;
    printf("%-8s engine %8.0f msg/s %7.1f MB/s   raw %8.0f msg/s %7.1f MB/s   ratio %5.1f%%\n", what,
           n / engine, mb / engine, n / raw, mb / raw, 100.0 * raw / engine);
    return raw / engine;
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    int n = (int)BenchCount(argc, argv, 1, 100000);
    int size = (int)BenchCount(argc, argv, 2, 1024);
    int rounds = (int)BenchCount(argc, argv, 3, 3);
    /* A home given by the caller is kept; our own scratch home goes. */
    bool ownHome = !getenv("RAVOLT_MQSIM_HOME");
    std::string home = !ownHome ? getenv("RAVOLT_MQSIM_HOME")
                       : (std::filesystem::temp_directory_path() / "ravolt-bench-transfer").string();
    std::filesystem::create_directories(home);
#ifdef _WIN32
    _putenv_s("RAVOLT_MQSIM_HOME", home.c_str());
#else
    setenv("RAVOLT_MQSIM_HOME", home.c_str(), 1);
#endif
    Bind();
    char depth[400];
    snprintf(depth, sizeof depth,
             "DEFINE QLOCAL(SOURCE.Q) MAXDEPTH(%d) REPLACE\nDEFINE QLOCAL(LOADED.Q) MAXDEPTH(%d) REPLACE\n"
             "DEFINE QLOCAL(RAW.Q) MAXDEPTH(%d) REPLACE\nALTER QMGR MAXUMSGS(100000)\n"
             "CLEAR QLOCAL(SOURCE.Q)\nCLEAR QLOCAL(LOADED.Q)\nCLEAR QLOCAL(RAW.Q)",
             n + 10, n + 10, n + 10);
    Mqsc(depth);
    char name[48];
    memset(name, ' ', sizeof name);
    memcpy(name, QMGR, strlen(QMGR));
    MQHCONN h;
    MQLONG cc, rc;
    MQCONN(name, &h, &cc, &rc);
    Check("MQCONN", rc);
    Fill(h, n, size);
    std::string raw = home + "/raw.bin", drask = home + "/unload.drask", result;
    DraskTakeTime(0);

    /* the best of several rounds: the machine may be busy with others */
    double rawUnload = 1e9, unload = 1e9, rawPlain = 1e9, rawLoad = 1e9, load = 1e9;
    const char *empty = "CLEAR QLOCAL(RAW.Q)\nCLEAR QLOCAL(LOADED.Q)";
    for (int round = 0; round < rounds; round++) {
        rawUnload = std::min(rawUnload, RawUnload(h, raw, size));
        unload = std::min(unload, Engine(h, "SOURCE.Q", "", "", drask, &result));
        /* each load starts with both queues empty: the messages of the
         * one before it freed, none left to make the heap grow */
        Mqsc(empty);
        rawPlain = std::min(rawPlain, RawLoad(h, raw, n, size));
        Mqsc(empty);
        rawLoad = std::min(rawLoad, RawLoad(h, drask, n, size));
        Mqsc(empty);
        load = std::min(load, Engine(h, "", "LOADED.Q", drask, "", &result));
    }
    printf("%s\n", result.c_str());
    printf("%d messages of %d bytes\n", n, size);
    Report("unload", n, size, unload, rawUnload);
    printf("(load beside the raw loop over the plain file of the message bytes: %.1f%%)\n",
           100.0 * rawPlain / load);
    BenchAtLeast("load, share of the raw rate", Report("load", n, size, load, rawLoad), 0.7);
    MQDISC(&h, &cc, &rc);
    MQSimShutdown();
    std::error_code ec;
    if (ownHome)
        std::filesystem::remove_all(home, ec);
    else {
        std::filesystem::remove(raw, ec);
        std::filesystem::remove(drask, ec);
    }
    return BenchExit();
}
