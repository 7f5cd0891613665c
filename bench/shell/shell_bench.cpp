/* Shell benchmark, run in one process with the real shell started over a
 * scratch configuration folder: the tree's lines of a frame built
 * (ShellBuildLines, what QListBuild hands the frames) for 1,000 locations
 * with 100 cached queues each, beside a plain container line set of the
 * same 101,000 lines with one text each; then one one-second timer tick
 * with 10,000 locations, beside a loop touching every location record. */
#include "benchcheck.h"
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cnt.h"
#include "cs.h"
#include "loccache.h"
#include "locstore.h"
#include "shell.h"
#include "shellint.h"

static int LOCATIONS = 1000, TICK_LOCATIONS = 10000;
enum { QUEUES = 100, RUNS = 5 };

static double Now(void)
{
    static LARGE_INTEGER freq;
    LARGE_INTEGER t;
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)freq.QuadPart;
}

/* Locations from first up to count, each with queues cached queues. */
static void AddLocations(int first, int count, int queues)
{
    LocListBeginUpdate();               /* one rebuild at the end, as imports do */
    for (int i = first; i < count; i++) {
        QMS t;
        memset(&t, 0, sizeof t);
        InitLocationDefaults(&t);
        snprintf(t.qmName, sizeof t.qmName, "QM.BENCH.%05d", i);
        snprintf(t.locationName, sizeof t.locationName, "QM.BENCH.%05d", i);
        QMS *r = LocCreate(&LocTree, &t, 0);
        if (!r)
            continue;
        r->downloadState |= 0x200000000ull;
        for (int q = 0; q < queues; q++) {
            QINFO in;
            memset(&in, 0, sizeof in);
            in.location = r;
            snprintf(in.name, sizeof in.name, "APP.QUEUE.%03d", q);
            in.nameLength = (uint8_t)strlen(in.name);
            in.type = 1;
            in.flags = QI_DEPTHKNOWN;
            in.depthClass = (uint32_t)(q % 5);
            int32_t defType = 1;
            memcpy(in.attrs + 12, &defType, 4);
            LocAddQueueInfo(&in);
        }
    }
    LocListEndUpdate();
}

/* Runs the queue until start-up is done (the engine's threads started). */
static void Pump(void)
{
    MSG msg;
    for (int i = 0; i < 200 && Shell.startupPending; i++) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
}

/* The baseline: as many lines with one text each, under their parents. */
static CntLineSet *PlainLines(void)
{
    CntLineSet *set = (CntLineSet *)CSGetMem(sizeof *set, "cntHEADER");
    memset(set, 0, sizeof *set);
    cntLINE *b = (cntLINE *)CSGetMem(256, "cntLINE");
    char name[64];
    for (int i = 0; i < LOCATIONS; i++) {
        snprintf(name, sizeof name, "QM.BENCH.%05d", i);
        cntInitLine(b, 256, 0, 0, nullptr, nullptr);
        cntAddText(b, &b, 0, 0, nullptr, name, -1, nullptr, nullptr);
        cntLINE *loc = nullptr;
        cntAddLine(set, nullptr, b, &loc);
        for (int q = 0; q < QUEUES; q++) {
            snprintf(name, sizeof name, "APP.QUEUE.%03d", q);
            cntInitLine(b, 256, 0, 0, nullptr, nullptr);
            cntAddText(b, &b, 0, 0, nullptr, name, -1, nullptr, nullptr);
            cntAddChildLine(set, loc, nullptr, b, nullptr);
        }
    }
    CSFreeMem(b);
    return set;
}

static int CountLines(const cntLINE *l)
{
    int n = 0;
    for (; l; l = l->next)
        n += 1 + CountLines(l->child);
    return n;
}

static void Touch(QMS *r, void *sum)
{
    *(uint64_t *)sum += r->downloadState + (uint64_t)r->qmName[9];
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    /* shell_bench [locations] [--check]: 1,000 locations for the tree and
       ten times as many for the tick; guards: the tree within 2 x the
       plain lines, the tick within 50 x the walk */
    int args = __argc;
    BenchTakeCheck(&args, __argv);
    LOCATIONS = (int)BenchCount(args, __argv, 1, 1000);
    TICK_LOCATIONS = LOCATIONS * 10;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static char dir[MAX_PATH + 40];
    snprintf(dir, sizeof dir, "%sravolt.bench.%lu", temp, (unsigned long)GetCurrentProcessId());
    CreateDirectoryA(dir, nullptr);
    static char *argv[] = { (char *)"ravolt.exe", (char *)"-r", (char *)"-f", dir, nullptr };
    if (!ShellStartup(instance, 4, argv) || !CreateFrame(nullptr)) {
        fprintf(stderr, "shell_bench: the shell did not start\n");
        return 1;
    }
    Pump();
    FrameWords *f = FrameFirst();
    AddLocations(0, LOCATIONS, QUEUES);

    double tree = 1e30, plain = 1e30;
    int treeLines = 0, plainLines = 0;
    for (int run = 0; run < RUNS; run++) {
        double t0 = Now();
        CntLineSet *set = ShellBuildLines(f);
        double t1 = Now();
        treeLines = set ? CountLines(set->first) : 0;
        if (set)
            cntFreeLines(set, 1);
        double t2 = Now();
        CntLineSet *p = PlainLines();
        double t3 = Now();
        plainLines = CountLines(p->first);
        cntFreeLines(p, 1);
        tree = t1 - t0 < tree ? t1 - t0 : tree;
        plain = t3 - t2 < plain ? t3 - t2 : plain;
    }
    printf("tree lines: %d built in %.1f ms; plain container lines: %d in %.1f ms; ratio %.2f\n",
           treeLines, tree, plainLines, plain, tree / plain);
    BenchTarget("tree lines", tree / plain, 2);

    double a0 = Now();
    AddLocations(LOCATIONS, TICK_LOCATIONS, 0);
    printf("(%d more locations added in %.0f ms)\n", TICK_LOCATIONS - LOCATIONS, Now() - a0);
    fflush(stdout);
    double tick = 1e30, walk = 1e30;
    for (int run = 0; run < RUNS; run++) {
        double t0 = Now();
        ShellTimerTick(f->window);
        double t1 = Now();
        uint64_t sum = 0;
        LocForEach(LocTree, Touch, &sum);
        double t2 = Now();
        tick = t1 - t0 < tick ? t1 - t0 : tick;
        walk = t2 - t1 < walk ? t2 - t1 : walk;
        if (sum == 1)
            printf(" ");
    }
    printf("timer tick over %d locations: %.3f ms; a walk touching each location: %.3f ms; ratio %.1f\n",
           TICK_LOCATIONS, tick, walk, tick / walk);
    BenchTarget("timer tick", tick / walk, 50);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);       /* the scratch folder goes */
    return BenchExit();
}
