/* Benchmark of the list fill: the MQCMD_INQUIRE_Q replies (every
 * attribute) for N queues of the stand-in are collected once, then
 * turned into the rows of a queue list (FillListArea), beside a plain
 * walk of the same replies with the PCF cursor (PCFInitParse,
 * PCFGetNextParm) in the same run.
 *
 *   bench_dialogs [N] [--check]   (default 10000; RAVOLT_MQSIM_HOME or a
 *                                  temp folder; target: 2 x the walk) */
#include "benchcheck.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "benchask.h"
#include "dialogs.h"
#include "mq/pcf.h"
#include "mqsim.h"

static double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

/* The baseline: every parameter of every reply handed out once. */
static long Walk(const std::vector<std::string> &replies)
{
    long parms = 0;
    for (const std::string &r : replies) {
        MQPP pp;
        MQLONG command, cc, rc, type, id, length, count;
        void *value;
        PCFInitParse(&pp, r.data(), (int32_t)r.size(), &command, &cc, &rc);
        for (;;) {
            PCFGetNextParm(&pp, &type, &id, &value, &length, &count, &cc, &rc);
            if (cc)
                break;
            parms += id == MQCA_Q_NAME;
        }
    }
    return parms;
}

static PCFLISTAREA *Posted;

static int KeepPosted(void *, void *, uint32_t, uintptr_t, intptr_t lParam)
{
    Posted = (PCFLISTAREA *)lParam;
    return 1;
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    int n = (int)BenchCount(argc, argv, 1, 10000);
    std::string home;
    if (!getenv("RAVOLT_MQSIM_HOME")) {
        home = (std::filesystem::temp_directory_path() / "ravolt-bench-dialogs").string();
        std::filesystem::remove_all(home);
        std::string env = "RAVOLT_MQSIM_HOME=" + home;
        putenv(strdup(env.c_str()));
    }
    std::string script;
    char line[96];
    for (int i = 0; i < n; i++) {
        snprintf(line, sizeof line, "DEFINE QLOCAL(BENCH.Q%06d) DESCR('benchmark queue %d')\n", i, i);
        script += line;
    }
    script += "DEFINE QLOCAL(BENCH.REPLY) MAXDEPTH(999999999)\n";
    if (MQSimRunMqsc((PMQCHAR) "BENCHDLG", (PMQCHAR)script.c_str(), 0, nullptr) != 0) {
        fprintf(stderr, "queue definitions failed\n");
        return 1;
    }
    MQHCONN h;
    MQLONG cc, rc;
    MQCONN((PMQCHAR) "BENCHDLG", &h, &cc, &rc);
    BenchCheck("MQCONN", rc);
    std::vector<std::string> replies = BenchInquireQueues(h, "*", "BENCH.REPLY");
    size_t bytes = 0;
    for (const std::string &r : replies)
        bytes += r.size();
    printf("%zu replies of INQUIRE_Q, %.1f MB\n", replies.size(), bytes / 1048576.0);

    PCFHOOKS hooks = {};
    hooks.post = KeepPosted;
    PCFSetHooks(&hooks);
    PCFInitCommandDefs();
    DialogWords dialog = {};
    dialog.definition = &PCFQueueListDef;
    dialog.window = &dialog;
    QMS *location = nullptr;
    const int rounds = 15;
    double walk = 1e9, fill = 1e9;
    long parms = 0;
    uint32_t rows = 0, used = 0;
    for (int round = 0; round < rounds; round++) {
        auto t0 = std::chrono::steady_clock::now();
        parms = Walk(replies);
        double w = Seconds(t0);
        PCFLISTREQ req = {};
        req.location = location;
        req.columns = PCFQueueListDef.list->current;
        req.sequence = (uint32_t)round;
        t0 = std::chrono::steady_clock::now();
        for (const std::string &r : replies)
            if (FillListArea(&dialog, nullptr, &req, (const uint8_t *)r.data(), (uint32_t)r.size(), 0)) {
                fprintf(stderr, "FillListArea failed\n");
                return 1;
            }
        double f = Seconds(t0);
        rows = Posted ? Posted->rows : 0;
        used = Posted ? Posted->used : 0;
        ReleaseRefBlock(&Posted);
        walk = w < walk ? w : walk;
        fill = f < fill ? f : fill;
    }
    printf("plain PCF walk: %ld queues, %.4f s (%.0f replies/s)\n", parms, walk, replies.size() / walk);
    printf("FillListArea: %u rows of 9 columns, %.1f KB, %.4f s (%.0f replies/s)\n", rows, used / 1024.0, fill,
           replies.size() / fill);
    printf("ratio FillListArea / plain walk: %.2f\n", fill / walk);
    BenchTarget("list fill", fill / walk, 2);
    MQDISC(&h, &cc, &rc);
    MQSimShutdown();
    if (!home.empty())
        std::filesystem::remove_all(home);
    return BenchExit();
}
