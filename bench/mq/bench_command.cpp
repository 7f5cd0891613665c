/* Benchmark of the command engine against the stand-in, each beside a raw
 * loop of the same inquiry in the same run:
 *   - the queue-list refresh of a location (the inquiry the engine sends,
 *     its replies read by the get thread and turned into the location's
 *     queue information);
 *   - a Queue List of "*" issued through PCFDoCommand, its replies through
 *     ProcessResponse into the dialog's list area, taken over as the
 *     window takes it;
 * beside a loop that puts the very request the engine sent (captured at
 * its MQPUT) to the command queue and reads every reply with MQGET.
 *
 *   bench_command [N] [--check]   (default 10000 queues; RAVOLT_MQSIM_HOME
 *       or a temp folder; guard: each at least half the raw rate) */
#include "benchcheck.h"
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cs.h"
#include "locstore.h"
#include "mq/capability.h"
#include "command.h"
#include "mq/mqbind.h"
#include "mq/mqconst.h"
#include "mqsim.h"
#include "benchmq.h"
#include "cmddlg.h"
#include "prfdata.h"

static const char *QMGR = "BENCHCMD";

/* The commands the engine put since the last take (the raw loop's
 * requests). */
static std::mutex captureLock;
static std::vector<std::string> captured;
static MQIEntryTable plain;

static void MQENTRY CapturePut(MQHCONN h, MQHOBJ o, PMQVOID md, PMQVOID pmo, MQLONG length, PMQVOID data,
                               PMQLONG cc, PMQLONG rc)
{
    const MQCFH *head = (const MQCFH *)data;
    if (length >= (MQLONG)sizeof(MQCFH) && (head->Type == MQCFT_COMMAND || head->Type == MQCFT_COMMAND_XR)) {
        std::lock_guard<std::mutex> g(captureLock);
        captured.push_back(std::string((const char *)data, (size_t)length));
    }
    plain.MQPUT(h, o, md, pmo, length, data, cc, rc);
}

/* The dialog's window as the engine reaches it: the list area handed
 * over and the end of the command. */
static std::atomic<PCFLISTREQ *> takeEntry;
static std::atomic<PCFLISTAREA *> takeArea;
static std::atomic<int> ended;

static int Post(void *, void *, uint32_t message, uintptr_t wp, intptr_t lp)
{
    if (message == UM_PCF_UPDATE_LIST) {
        takeEntry = (PCFLISTREQ *)wp;
        takeArea = (PCFLISTAREA *)lp;
    } else if (message == UM_PCF_UPDATE_DIALOG) {
        ended++;
    }
    return 1;
}

static int PortMessage(void *, void *, uint32_t message, uintptr_t, void *lParam, int)
{
    if (message == FM_PUT_CONNECTED)
        StartGetThread((QMS *)lParam);
    return 0;
}

static void PortError(void *, void *, QMS *, uint32_t, const char *text)
{
    if (text && strstr(text, "rror"))
        fprintf(stderr, "%s\n", text);
}

static void CapsFor(void *, uint8_t *caps, int32_t platform, int32_t level)
{
    CapSetForQmgr(caps, platform, level);
}

static void Wait(const char *what, bool (*done)(QMS *), QMS *r)
{
    auto start = std::chrono::steady_clock::now();
    while (!done(r)) {
        if (BenchSeconds(start) > 600) {
            fprintf(stderr, "%s did not end (marks %llx, level %d)\n", what, (unsigned long long)r->refreshMarks,
                    (int)r->commandLevel);
            exit(1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

static bool QueuesDone(QMS *r)
{
    return (r->refreshMarks & RM_QUEUES_DONE) && !(r->refreshMarks & RM_BUSY);
}

static bool LevelKnown(QMS *r)
{
    return (r->refreshMarks & RM_QMGR_DONE) && !(r->refreshMarks & RM_BUSY);
}

/* The refresh: the queue list asked (forced) until the location holds it. */
static double Refresh(QMS *r)
{
    auto start = std::chrono::steady_clock::now();
    RequestQmgrRefresh(r, RK_QUEUES, "*", 1);
    Wait("refresh", QueuesDone, r);
    return BenchSeconds(start);
}

/* The Queue List through the engine, up to the window's take-over. */
static double QueueList(DialogWords *d, long *rows)
{
    int before = ended;
    auto start = std::chrono::steady_clock::now();
    if (PCFDoCommand(d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 1, 0, nullptr, nullptr, nullptr)) {
        fprintf(stderr, "Queue List not sent\n");
        exit(1);
    }
    while (ended == before || IfcmdCount())
        std::this_thread::yield();
    PCFLISTAREA *area = takeArea.exchange(nullptr);
    if (area)
        PCFTakeListArea(d, takeEntry, area);
    double s = BenchSeconds(start);
    long n = 0;
    for (PCFROW *row = PCFFirstRow(d->first.replyArea); row; row = PCFNextRow(d->first.replyArea, row))
        n++;
    *rows = n;
    return s;
}

static std::vector<std::string> Take(void)
{
    std::lock_guard<std::mutex> g(captureLock);
    std::vector<std::string> out;
    out.swap(captured);
    return out;
}

/* The baseline: the captured requests put to the command queue, every
 * reply read until the last of each. */
static double Raw(MQHCONN h, const std::vector<std::string> &requests, long *replies)
{
    auto start = std::chrono::steady_clock::now();
    MQHOBJ q = BenchOpen(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_OUTPUT);
    MQHOBJ in = BenchOpen(h, "BENCH.REPLY", MQOO_INPUT_EXCLUSIVE);
    MQMD md = { MQMD_DEFAULT };
    memcpy(md.Format, MQFMT_ADMIN, 8);
    md.MsgType = MQMT_REQUEST;
    memset(md.ReplyToQ, ' ', sizeof md.ReplyToQ);
    memcpy(md.ReplyToQ, "BENCH.REPLY", 11);
    MQPMO pmo = { MQPMO_DEFAULT };
    pmo.Options = MQPMO_NO_SYNCPOINT | MQPMO_NEW_MSG_ID;
    MQLONG cc, rc;
    for (const std::string &request : requests) {
        std::string copy = request;
        MQPUT(h, q, &md, &pmo, (MQLONG)copy.size(), &copy[0], &cc, &rc);
        BenchCheck("MQPUT", rc);
    }
    static char buffer[65536];
    long n = 0;
    for (size_t last = 0; last < requests.size();) {
        MQMD rmd = { MQMD_DEFAULT };
        MQGMO gmo = { MQGMO_DEFAULT };
        gmo.Options = MQGMO_WAIT | MQGMO_NO_SYNCPOINT | MQGMO_CONVERT;
        gmo.WaitInterval = 30000;
        MQLONG len;
        MQGET(h, in, &rmd, &gmo, sizeof buffer, buffer, &len, &cc, &rc);
        BenchCheck("MQGET", rc);
        n++;
        if (((MQCFH *)buffer)->Control == MQCFC_LAST)
            last++;
    }
    MQCLOSE(h, &in, MQCO_NONE, &cc, &rc);
    MQCLOSE(h, &q, MQCO_NONE, &cc, &rc);
    *replies = n;
    return BenchSeconds(start);
}

static void Line(const char *what, double raw, double engine, long n)
{
    printf("  %-34s %8.3f s  %10.0f/s\n", "raw MQPUT + MQGET loop", raw, n / raw);
    printf("  %-34s %8.3f s  %10.0f/s  %.2f of the raw rate (raw/engine)\n", what, engine, n / engine,
           raw / engine);
    BenchAtLeast(what, raw / engine, 0.5);
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    long n = BenchCount(argc, argv, 1, 10000);
    std::string home = BenchHome("ravolt-bench-command");
    /* the engine's reply queues hold every reply of a list at once (a
     * model of the default depth, 5000, overflows when the command server
     * outpaces the get thread) */
    std::string script = "DEFINE QLOCAL(BENCH.REPLY) MAXDEPTH(999999999) REPLACE\n"
                         "ALTER QMODEL(SYSTEM.DEFAULT.MODEL.QUEUE) MAXDEPTH(999999999)\n";
    for (long i = 0; i < n; i++) {
        char line[80];
        snprintf(line, sizeof line, "DEFINE QLOCAL(BENCH.Q%05ld) MAXDEPTH(5000) REPLACE\n", i);
        script += line;
    }
    BenchMqsc(QMGR, script.c_str());
    BenchBindStandIn();
    plain = MQServerTable;
    MQServerTable.MQPUT = MQClientTable.MQPUT = CapturePut;
    PrfSetDefaults();
    PCFInitCommandDefs();
    MQEPORT port = { nullptr, PortMessage, PortError };
    MQESetPort(&port);
    LOCHOOKS l = {};
    l.capsForQmgr = CapsFor;
    LocSetHooks(&l);
    PCFHOOKS p = {};
    p.post = Post;
    CmdDialogHooks(&p);
    PCFSetHooks(&p);

    QMS t;
    InitLocationDefaults(&t);
    strcpy(t.qmName, QMGR);
    QMS *r = LocCreate(&LocTree, &t, 0);
    if (!r) {
        fprintf(stderr, "no location\n");
        return 1;
    }
    r->authMask = ~0ull;
    RequestQmgrRefresh(r, RK_QMGR, nullptr, 0);
    Wait("queue-manager inquiry", LevelKnown, r);
    MQHCONN h = BenchConnect(QMGR);

    /* the refresh, the queue list: best of 3 each */
    double raw = 1e9, refresh = 1e9;
    long replies = 0;
    for (int round = 0; round < 3; round++) {
        Take();
        double b = Refresh(r);
        double a = Raw(h, Take(), &replies);
        raw = a < raw ? a : raw;
        refresh = b < refresh ? b : refresh;
    }
    printf("queue-list refresh of %ld queues (best of 3, %ld replies):\n", n, replies);
    Line("RequestQmgrRefresh (queue list)", raw, refresh, n);

    DialogWords t2 = {};
    t2.definition = &PCFQueueListDef;
    t2.first.location = r;
    t2.first.caps = r->caps;
    t2.listIndex = -1;
    DialogWords *d = GetDialogWords(&t2, 0);
    d->window = d;
    d->dataArea = (uint8_t *)CSGetMem(PCFQueueListDef.dataSize, "Dialog Data Area");
    PCFInitData(&PCFQueueListDef, d->dataArea, d, 0, 0, 0);
    d->first.columns = PCFQueueListDef.list->current;
    PCFSetFieldText(d, MQCA_Q_NAME, "*");
    double rawList = 1e9, list = 1e9;
    long rows = 0;
    for (int round = 0; round < 3; round++) {
        Take();
        double b = QueueList(d, &rows);
        double a = Raw(h, Take(), &replies);
        rawList = a < rawList ? a : rawList;
        list = b < list ? b : list;
    }
    printf("Queue List of \"*\" (best of 3, %ld rows, %ld replies):\n", rows, replies);
    Line("PCFDoCommand to the list area", rawList, list, rows);

    FreeDialogWords(d);
    MQLONG cc, rc;
    MQDISC(&h, &cc, &rc);
    EndGetThread(r);
    EndPutThread(r, 0);
    MQEShutdown();
    MQSimShutdown();
    BenchRemoveHome(home);
    return BenchExit();
}
