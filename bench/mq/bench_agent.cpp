/* Benchmark of the command agent against the stand-in, each beside a raw
 * MQI loop in the same run:
 *   - the message list of N messages through the whole path (the request
 *     posted to the message thread, browsed, and answered in one response
 *     that reaches the receiver holding the last row, with maxb raised to
 *     N; the receiver's walk of it is shown apart)
 *     beside a plain MQGET browse loop of the same queue reading as many
 *     bytes per message;
 *   - a move of N messages with batch commits beside a raw loop of MQGET
 *     and MQPUT under syncpoint committing after the same batches.
 *
 *   bench_agent [N] [list|move] [--check]   (default 100000, both;
 *       RAVOLT_MQSIM_HOME or a temp folder; targets: the list within 1.5 x,
 *       the move within 1.1 x the raw loop's time) */
#include "benchcheck.h"
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "cs.h"
#include "locstore.h"
#include "agent.h"
#include "mq/mqconst.h"
#include "mq/pcf.h"
#include "mqsim.h"
#include "benchmq.h"
#include "prfdata.h"


static const char *QMGR = "BENCH";
static const int LIST_BYTES = 120;     /* what the list reads of each message */
static const int BATCH = 500;          /* a move's batch: half of 1000 */

static std::atomic<long> rows;
static std::atomic<int> answers;
static std::mutex answerLock;          /* the waiter sleeps: no spinning thread */
static std::condition_variable answered;   /* beside the one measured */
static char lastText[300];
static std::chrono::steady_clock::time_point arrived;   /* the answer reached the receiver */
static double walked;                                   /* seconds the receiver walked it */

/* The receiver of the in-process responses: walks each one with the PCF
 * cursor, counting rows. */
static int Receive(QMS *, uint32_t, MQMD *, void *data, uint32_t length)
{
    arrived = std::chrono::steady_clock::now();
    MQPP pp;
    MQLONG command, cc, rc;
    PCFInitParse(&pp, data, (int32_t)length, &command, &cc, &rc);
    long n = 0;
    if (!cc && PCFHeader(&pp)->Reason == 0 && PCFHeader(&pp)->ParameterCount > 0)
        n = 1;
    for (;;) {
        MQLONG type, id, len, count;
        void *value;
        PCFGetNextParm(&pp, &type, &id, &value, &len, &count, &cc, &rc);
        if (cc)
            break;
        if (type == PCF_END_GROUP)
            n++;
        if (id == MYPCFA_INFO_MESSAGE || id == MYPCFA_ERROR_MESSAGE)
            snprintf(lastText, sizeof lastText, "%.*s", (int)len, (const char *)value);
    }
    rows = n;
    walked = BenchSeconds(arrived);
    {
        std::lock_guard<std::mutex> hold(answerLock);
        answers++;
    }
    answered.notify_all();
    return 0;
}

static int Quiet(void *, void *, uint32_t, uintptr_t, void *, int)
{
    return 0;
}

static void Report(void *, void *, QMS *, uint32_t, const char *text)
{
    if (text && strstr(text, "Error"))
        fprintf(stderr, "%s\n", text);
}

static void Fill(MQHCONN h, long n)
{
    MQHOBJ o = BenchOpen(h, "BENCH.Q", MQOO_OUTPUT);
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_SYNCPOINT;
    char data[200];
    MQLONG cc, rc;
    for (long i = 0; i < n; i++) {
        MQMD md = {MQMD_DEFAULT};
        memcpy(md.Format, "MQSTR   ", 8);
        int len = snprintf(data, sizeof data, "message %ld of the benchmark, with some text after it to be "
                                              "a little longer than a list shows of it", i);
        MQPUT(h, o, &md, &pmo, len, data, &cc, &rc);
        BenchCheck("MQPUT", rc);
        if (i % 10000 == 9999)
            MQCMIT(h, &cc, &rc);
    }
    MQCMIT(h, &cc, &rc);
    MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
}

/* The baseline: a browse of every message, as many bytes as a list reads. */
static double RawBrowse(MQHCONN h, long *count)
{
    auto start = std::chrono::steady_clock::now();
    MQHOBJ o = BenchOpen(h, "BENCH.Q", MQOO_BROWSE);
    char buffer[LIST_BYTES];
    MQLONG options = MQGMO_BROWSE_FIRST | MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_NO_WAIT;
    long n = 0;
    for (;;) {
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = options;
        MQLONG len, cc, rc;
        MQGET(h, o, &md, &gmo, sizeof buffer, buffer, &len, &cc, &rc);
        if (cc == MQCC_FAILED)
            break;
        n++;
        options = MQGMO_BROWSE_NEXT | MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_NO_WAIT;
    }
    MQLONG cc, rc;
    MQCLOSE(h, &o, MQCO_NONE, &cc, &rc);
    *count = n;
    return BenchSeconds(start);
}

/* Posts one command to the message thread and waits for its answer. */
static double Agent(QMS *r, int32_t command, const char *queue, const char *target, long n)
{
    void *area = nullptr;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &area, 1, 0, 0, command, &cc, &rc);
    PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_NAME, queue, -1, 1, &cc, &rc);
    if (target) {
        PCFAddParm(&pp, MQCFT_STRING, MYPCFA_TARGET_Q, target, -1, 1, &cc, &rc);
        PCFAddParm(&pp, MQCFT_STRING, MYPCFA_TARGET_QM, "*", -1, 1, &cc, &rc);
        int32_t q = 0x8 | 0x20;
        PCFAddParm(&pp, MQCFT_INTEGER, MYPCFA_DIALOG_QUALIFIER, &q, 4, 1, &cc, &rc);
    } else {
        char range[32];
        snprintf(range, sizeof range, "1,%ld", n);
        PCFAddParm(&pp, MQCFT_STRING, MYPCFA_MSG_RANGE, range, -1, 1, &cc, &rc);
        const int32_t attrs[] = { MYPCFA_POSITION, MYPCFA_MSGLEN, MYPCFA_MESSAGE, MYPCFA_MSGID, MYPCFA_FORMAT,
                                  MYPCFA_PUTDATE, MYPCFA_PUTTIME };
        PCFAddParm(&pp, MQCFT_INTEGER_LIST, MYPCFA_MSG_ATTRS, attrs, sizeof attrs, 0, &cc, &rc);
    }
    int before = answers;
    uint8_t key[24] = {1};
    auto start = std::chrono::steady_clock::now();
    if (PostThreadRequest(r, nullptr, TRF_MESSAGE, nullptr, key, area, (uint32_t)pp.position)) {
        fprintf(stderr, "PostThreadRequest failed\n");
        exit(1);
    }
    {
        std::unique_lock<std::mutex> hold(answerLock);
        answered.wait(hold, [before] { return answers != before; });
    }
    return std::chrono::duration<double>(arrived - start).count();
}

/* The baseline of a move: get and put under syncpoint, a commit after
 * every batch. */
static double RawMove(MQHCONN h, const char *from, const char *to)
{
    auto start = std::chrono::steady_clock::now();
    MQHOBJ in = BenchOpen(h, from, MQOO_INPUT_SHARED), out = BenchOpen(h, to, MQOO_OUTPUT);
    static char buffer[32768];
    long n = 0;
    MQLONG cc, rc;
    for (;;) {
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_SYNCPOINT | MQGMO_NO_WAIT;
        MQLONG len;
        MQGET(h, in, &md, &gmo, sizeof buffer, buffer, &len, &cc, &rc);
        if (cc == MQCC_FAILED)
            break;
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Options = MQPMO_SYNCPOINT;
        MQPUT(h, out, &md, &pmo, len, buffer, &cc, &rc);
        BenchCheck("MQPUT", rc);
        if (++n % BATCH == 0)
            MQCMIT(h, &cc, &rc);
    }
    MQCMIT(h, &cc, &rc);
    MQCLOSE(h, &in, MQCO_NONE, &cc, &rc);
    MQCLOSE(h, &out, MQCO_NONE, &cc, &rc);
    return BenchSeconds(start);
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    long n = BenchCount(argc, argv, 1, 100000);
    const char *only = argc > 2 ? argv[2] : "";
    std::string home = BenchHome("ravolt-bench-agent");
    BenchMqsc(QMGR, "DEFINE QLOCAL(BENCH.Q) MAXDEPTH(999999999) REPLACE\nDEFINE QLOCAL(BENCH.T) MAXDEPTH(999999999) REPLACE\n"
         "ALTER QMGR MAXUMSGS(999999999)");
    BenchBindStandIn();
    PrfSetDefaults();
    Prf.maxb = (int32_t)n;
    MQEPORT port = { nullptr, Quiet, Report };
    MQESetPort(&port);
    MQEHooks.response = Receive;
    QMS t;
    InitLocationDefaults(&t);
    strcpy(t.qmName, QMGR);
    QMS *r = LocCreate(&LocTree, &t, 0);
    if (!r || StartPutThread(r) || StartMessageThread()) {
        fprintf(stderr, "no location\n");
        return 1;
    }
    while (!(MQEState(&r->putThread) & TS_SETUP))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    MQHCONN h = BenchConnect(QMGR);
    Fill(h, n);

    double raw = 1e9, agent = 1e9, walk = 1e9;
    long browsed = 0;
    for (int round = 0; round < 5 && strcmp(only, "move"); round++) {
        double a = RawBrowse(h, &browsed);
        double b = Agent(r, MYCMD_INQUIRE_MSGS, "BENCH.Q", nullptr, n);
        raw = a < raw ? a : raw;
        agent = b < agent ? b : agent;
        walk = walked < walk ? walked : walk;
    }
    if (rows != n || browsed != n)
        fprintf(stderr, "listed %ld rows, browsed %ld of %ld\n", (long)rows, browsed, n);
    if (strcmp(only, "move")) {
        printf("list of %ld messages (best of 5):\n", n);
        printf("  raw MQGET browse loop    %8.3f s  %10.0f msg/s\n", raw, n / raw);
        printf("  MYCMD_INQUIRE_MSGS       %8.3f s  %10.0f msg/s  %.2f of the raw rate\n", agent, n / agent,
               raw / agent);
        printf("  (the receiver then walked it with the PCF cursor in %.3f s)\n", walk);
        BenchTarget("message list", agent / raw, 1.5);
    }
    if (!strcmp(only, "list"))
        n = 0;
    double rawMove = 1e9, agentMove = 1e9;
    for (int round = 0; round < 3 && n; round++) {
        double a = RawMove(h, "BENCH.Q", "BENCH.T");
        double b = Agent(r, MYCMD_MOVE_MSGS, "BENCH.T", "BENCH.Q", n);
        rawMove = a < rawMove ? a : rawMove;
        agentMove = b < agentMove ? b : agentMove;
    }
    if (n) {
        printf("move of %ld messages, commits every %d (best of 3):\n", n, BATCH);
        printf("  raw MQGET+MQPUT loop     %8.3f s  %10.0f msg/s\n", rawMove, n / rawMove);
        printf("  MYCMD_MOVE_MSGS          %8.3f s  %10.0f msg/s  %.2f of the raw rate\n", agentMove,
               n / agentMove, rawMove / agentMove);
        printf("  (%s)\n", lastText);
        BenchTarget("move with batch commits", agentMove / rawMove, 1.1);
    }

    MQLONG cc, rc;
    MQDISC(&h, &cc, &rc);
    MQEShutdown();
    MQSimShutdown();
    BenchRemoveHome(home);
    return BenchExit();
}
