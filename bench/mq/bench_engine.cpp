/* Benchmark of the MQ engine against the stand-in, each beside a raw MQI
 * loop in the same run:
 *   - a put-dialog request of N 1 KB messages under syncpoint, posted
 *     with PostThreadRequest and put by the put worker on the location's
 *     put thread, beside a plain loop of N MQPUTs and one MQCMIT;
 *   - an open through the handle cache that hits, beside MQOPEN+MQCLOSE.
 *
 *   bench_engine [N] [--check]   (default 100000; RAVOLT_MQSIM_HOME or a temp
 *       folder; guards: the put within 1.5 x the raw loop, a cache hit
 *       within half an MQOPEN + MQCLOSE) */
#include "benchcheck.h"
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "cs.h"
#include "locstore.h"
#include "mqengine.h"
#include "mqsim.h"
#include "benchmq.h"
#include "prfdata.h"


static const char *QMGR = "BENCH";
static const char *QUEUE = "BENCH.Q";
static std::atomic<int> texts;
static char lastText[400];

/* Empties the queue once the put worker has closed it. */
static void Clear(void)
{
    static char out[65536];
    for (int i = 0; i < 1000; i++) {
        if (MQSimRunMqsc((PMQCHAR)QMGR, (PMQCHAR) "CLEAR QLOCAL(BENCH.Q)", sizeof out, out) == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    fprintf(stderr, "CLEAR failed:\n%s\n", out);
    exit(1);
}

/* The main window of the benchmark: it keeps the put worker's texts. */
static int Receive(void *, void *, uint32_t message, uintptr_t, void *block, int)
{
    if (message == FM_TEXT && block) {
        snprintf(lastText, sizeof lastText, "%s", (const char *)block);
        CSFreeMem(block);
        texts++;
    }
    return 1;
}

static void Report(void *, void *, QMS *, uint32_t, const char *text)
{
    if (text && strstr(text, "Error"))
        fprintf(stderr, "%s\n", text);
}

/* The baseline: N puts under syncpoint and one commit. */
static double RawPuts(MQHCONN h, long n, const char *data)
{
    auto start = std::chrono::steady_clock::now();
    MQHOBJ o = BenchOpen(h, QUEUE, MQOO_OUTPUT);
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_SYNCPOINT;
    MQLONG cc, rc;
    for (long i = 0; i < n; i++) {
        MQMD md = {MQMD_DEFAULT};
        MQPUT(h, o, &md, &pmo, 1024, (PMQVOID)data, &cc, &rc);
        BenchCheck("MQPUT", rc);
    }
    MQCMIT(h, &cc, &rc);
    BenchCheck("MQCMIT", rc);
    MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    return BenchSeconds(start);
}

/* The same through the engine: posted to the put thread, done when the
 * put worker's text arrives. */
static double EnginePuts(QMS *r, long n, const char *data)
{
    ThreadRequest t = {};
    memcpy(t.qmName, QMGR, strlen(QMGR));
    memcpy(t.queueName, QUEUE, strlen(QUEUE));
    t.count = (uint32_t)n;
    t.syncpoint = 1;
    void *block = CSGetMem(1024, "BENCH");
    memcpy(block, data, 1024);
    int before = texts;
    auto start = std::chrono::steady_clock::now();
    if (PostThreadRequest(r, nullptr, TRF_MSGINFO, &t, nullptr, block, 1024)) {
        fprintf(stderr, "PostThreadRequest failed\n");
        exit(1);
    }
    while (texts == before)
        std::this_thread::yield();
    double took = BenchSeconds(start);
    if (!strstr(lastText, "messages put in")) {
        fprintf(stderr, "%s\n", lastText);
        exit(1);
    }
    return took;
}

static double CacheHits(MQHCONN h, long n)
{
    void *cache = nullptr;
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < n; i++) {
        MQHOBJ o;
        MQLONG cc, rc;
        MQOpenCached(h, 0, &cache, 0, nullptr, QUEUE, nullptr, nullptr, MQOO_OUTPUT, 0, nullptr, 0, &o,
                     nullptr, &cc, &rc);
        BenchCheck("MQOpenCached", rc);
    }
    double took = BenchSeconds(start);
    MQEmptyCache(&cache, 1);
    return took;
}

static double OpenClose(MQHCONN h, long n)
{
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < n; i++) {
        MQHOBJ o = BenchOpen(h, QUEUE, MQOO_OUTPUT);
        MQLONG cc, rc;
        MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    }
    return BenchSeconds(start);
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    long n = BenchCount(argc, argv, 1, 100000);
    std::string home = BenchHome("ravolt-bench-engine");
    BenchMqsc(QMGR, "DEFINE QLOCAL(BENCH.Q) MAXDEPTH(999999999) REPLACE\nALTER QMGR MAXUMSGS(999999999)");
    BenchBindStandIn();
    PrfSetDefaults();
    MQEPORT port = { nullptr, Receive, Report };
    MQESetPort(&port);
    QMS t;
    InitLocationDefaults(&t);
    strcpy(t.qmName, QMGR);
    QMS *r = LocCreate(&LocTree, &t, 0);
    if (!r || StartPutThread(r)) {
        fprintf(stderr, "no location\n");
        return 1;
    }
    while (!(MQEState(&r->putThread) & TS_SETUP))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::string data(1024, 'x');
    MQHCONN h = BenchConnect(QMGR);
    double raw = 1e9, engine = 1e9;
    for (int round = 0; round < 3; round++) {
        double a = RawPuts(h, n, data.data());
        Clear();
        double b = EnginePuts(r, n, data.data());
        Clear();
        raw = a < raw ? a : raw;
        engine = b < engine ? b : engine;
    }
    printf("put %ld x 1 KB under syncpoint, one commit (best of 3):\n", n);
    printf("  raw MQPUT loop         %8.3f s  %10.0f msg/s\n", raw, n / raw);
    printf("  PostThreadRequest      %8.3f s  %10.0f msg/s  ratio %.2f\n", engine, n / engine, engine / raw);
    printf("  (%s)\n", lastText);

    long m = n * 2;
    double open = OpenClose(h, m), hit = CacheHits(h, m);
    printf("open the same queue %ld times:\n", m);
    printf("  MQOPEN + MQCLOSE       %8.3f s  %10.0f /s\n", open, m / open);
    printf("  handle cache hit       %8.3f s  %10.0f /s  ratio %.3f\n", hit, m / hit, hit / open);
    BenchTarget("put through the engine", engine / raw, 1.5);
    BenchTarget("handle cache hit", hit / open, 0.5);

    MQLONG cc, rc;
    MQDISC(&h, &cc, &rc);
    EndPutThread(r, 0);
    while (MQEState(&r->putThread))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    MQEShutdown();
    MQSimShutdown();
    BenchRemoveHome(home);
    return BenchExit();
}
