/* Benchmark: LocTimerTick over 10,000 locations of mixed kinds (connected
 * with automatic refreshes and status polls, via another queue manager,
 * automatic connection, monitored, foreign, idle), its hooks counting the
 * requests, beside a plain walk of the same tree that reads each record.
 * Usage: locations_bench [N] [passes] [--check]   (10,000 locations and 100
 * passes by default; guard: the tick within 25 x the walk). */
#include "benchcheck.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cs.h"
#include "loccache.h"
#include "locstore.h"
#include "prfdata.h"

static double now_ms()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

static long requests, starts, monitors;

static void install_hooks()
{
    LOCTIMERHOOKS t = {};
    t.requestRefresh = [](void *, QMS *, uint32_t, const char *, int) {
        requests++;
        return 1;
    };
    t.startPutThread = [](void *, QMS *r) {
        starts++;
        r->lastAutoConnect = LocNow();
    };
    t.postMonitor = [](void *, QMS *r) {
        monitors++;
        r->monitorSent = LocNow();
    };
    LocSetTimerHooks(&t);
}

static void add_locations(int count, int64_t now)
{
    for (int i = 0; i < count; i++) {
        QMS t;
        InitLocationDefaults(&t);
        snprintf(t.qmName, sizeof t.qmName, "QM%05d", i);
        t.lastUsed = now - i % 900;               /* some lists unused long enough to reload */
        switch (i % 8) {
        case 0:                                   /* connected, refreshed */
        case 1:
            t.putThread.state = 0x5;
            t.flags |= LF_OBJD | LF_NETWORK;
            t.autoRefresh = 30 + i % 60;
            t.lastAutoRefresh = now - i % 90;
            break;
        case 2:                                   /* through another queue manager */
            snprintf(t.viaQm, sizeof t.viaQm, "QM%05d", i - 2);
            t.flags |= LF_OBJD;
            break;
        case 3:                                   /* connects by itself */
            t.flags |= LF_AUTO;
            t.lastAutoConnect = now - i % 120;
            break;
        case 4:                                   /* monitored */
            t.status |= LS_SLAVE;
            t.monitorAnswered = now - i % 40;
            break;
        case 5:
            t.flags |= LF_FGN;
            break;
        default:                                  /* idle, never connected */
            t.lastUsed = now - 10000;
            break;
        }
        if (!LocCreate(&LocTree, &t, 0))
            LocFreeRecordData(&t);
    }
}

static void clear_tree()
{
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        ((QMS *)e)->putThread.state = ((QMS *)e)->getThread.state = 0;
    while (LocTree)
        LocDelete(&LocTree, (QMS *)CSTreeLast(LocTree), nullptr);   /* nothing to renumber */
    LocFlushFreed();
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    int count = (int)BenchCount(argc, argv, 1, 10000);
    int passes = (int)BenchCount(argc, argv, 2, 100);
    const int64_t start = 1700000000;
    PrfSetDefaults();
    Prf.objr = 600;
    Prf.objo = 300;
    Prf.chstype = 2;
    Prf.chsrate = 180;
    Prf.opt1 |= 0x1;                              /* monitor messages */
    LocGlobals.now = start;
    install_hooks();
    add_locations(count, start);

    double tick = 0, walk = 0;
    volatile uint64_t sink = 0;
    for (int p = 0; p < passes; p++) {
        LocGlobals.now = start + p;               /* one second per pass */
        double t0 = now_ms();
        LocTimerTick(LocGlobals.now);
        tick += now_ms() - t0;

        t0 = now_ms();
        uint64_t sum = 0;
        LocLockStore();
        for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next) {
            const QMS *r = (const QMS *)e;
            sum += r->status + r->flags + r->putThread.state + (uint64_t)r->lastAutoRefresh;
        }
        LocUnlockStore();
        walk += now_ms() - t0;
        sink = sink + sum;
    }
    int seen = LocCounts.seen;
    printf("location timer: %d locations, mean of %d passes\n", seen, passes);
    printf("  LocTimerTick  %8.3f ms   plain walk %8.3f ms   ratio %6.1f\n", tick / passes,
           walk / passes, tick / walk);
    printf("  per 100 locations %.4f ms; %ld refresh requests, %ld connections, %ld monitor "
           "messages\n", tick / passes / (seen / 100.0), requests, starts, monitors);
    clear_tree();
    LocSetTimerHooks(nullptr);
    BenchTarget("location timer tick", tick / walk, 25);
    return seen == count ? BenchExit() : 1;
}
