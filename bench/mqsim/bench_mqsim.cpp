/* Benchmark of the stand-in queue manager on a deep queue: put N 1 KB
 * messages in units of work of 1,000, browse them all, get them all by
 * message token; beside a memcpy of the same bytes, and a browse of a
 * 1,000-message queue to show that a browse step does not grow with the
 * depth.  Also the peak memory per message, and the same put and get
 * with persistent messages (log writes).
 *
 *   bench_mqsim [N] [--check]   (default 1000000; RAVOLT_MQSIM_HOME or a temp
 *       folder; target: a browse step of the deep queue within 2 x one of
 *       the short queue) */
#include "benchcheck.h"
#include "mqi.h"
#include "mqsim.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
static double PeakMB(void)
{
    PROCESS_MEMORY_COUNTERS pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize / 1048576.0;
}
static double NowMB(void)
{
    PROCESS_MEMORY_COUNTERS pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.WorkingSetSize / 1048576.0;
}
#else
#include <sys/resource.h>
#include <unistd.h>
static double PeakMB(void)
{
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0;
}
static double NowMB(void)
{
    long pages = 0, rss = 0;
    FILE *f = fopen("/proc/self/statm", "r");
    if (f) {
        if (fscanf(f, "%ld %ld", &pages, &rss) != 2)
            rss = 0;
        fclose(f);
    }
    return rss * (double)sysconf(_SC_PAGESIZE) / 1048576.0;
}
#endif

static double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

static void Check(const char *what, MQLONG rc)
{
    if (rc != 0 && rc != MQRC_NO_MSG_AVAILABLE) {
        fprintf(stderr, "%s failed: %d\n", what, (int)rc);
        exit(1);
    }
}

static MQHOBJ Open(MQHCONN hc, const char *name, MQLONG options)
{
    MQOD od = {MQOD_DEFAULT};
    memset(od.ObjectName, ' ', 48);
    memcpy(od.ObjectName, name, strlen(name));
    MQHOBJ o;
    MQLONG cc, rc;
    MQOPEN(hc, &od, options, &o, &cc, &rc);
    Check("MQOPEN", rc);
    return o;
}

static double PutAll(MQHCONN hc, MQHOBJ o, long n, MQLONG persistence, const std::vector<char> &msg)
{
    auto t = std::chrono::steady_clock::now();
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_SYNCPOINT;
    MQLONG cc, rc;
    for (long i = 0; i < n; i++) {
        MQMD md = {MQMD_DEFAULT};
        md.Persistence = persistence;
        MQPUT(hc, o, &md, &pmo, (MQLONG)msg.size(), (PMQVOID)msg.data(), &cc, &rc);
        Check("MQPUT", rc);
        if ((i + 1) % 1000 == 0) {
            MQCMIT(hc, &cc, &rc);
            Check("MQCMIT", rc);
        }
    }
    MQCMIT(hc, &cc, &rc);
    return Seconds(t);
}

static double BrowseAll(MQHCONN hc, MQHOBJ o, long n, std::vector<char> *tokens)
{
    std::vector<char> buf(4096);
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Version = MQGMO_VERSION_3;
    gmo.Options = MQGMO_BROWSE_FIRST | MQGMO_NO_WAIT;
    gmo.MatchOptions = MQMO_NONE;
    auto t = std::chrono::steady_clock::now();
    long got = 0;
    for (;;) {
        MQMD md = {MQMD_DEFAULT};
        MQLONG len, cc, rc;
        MQGET(hc, o, &md, &gmo, (MQLONG)buf.size(), buf.data(), &len, &cc, &rc);
        if (rc == MQRC_NO_MSG_AVAILABLE)
            break;
        Check("MQGET browse", rc);
        if (tokens)
            tokens->insert(tokens->end(), (char *)gmo.MsgToken, (char *)gmo.MsgToken + 16);
        gmo.Options = MQGMO_BROWSE_NEXT | MQGMO_NO_WAIT;
        got++;
    }
    double s = Seconds(t);
    if (got != n) {
        fprintf(stderr, "browsed %ld of %ld\n", got, n);
        exit(1);
    }
    return s;
}

static double GetByToken(MQHCONN hc, MQHOBJ o, long n, const std::vector<char> &tokens)
{
    std::vector<char> buf(4096);
    auto t = std::chrono::steady_clock::now();
    for (long i = n - 1; i >= 0; i--) {      /* last first: no help from the queue's order */
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Version = MQGMO_VERSION_3;
        gmo.Options = MQGMO_NO_WAIT | MQGMO_NO_SYNCPOINT;
        gmo.MatchOptions = MQMO_MATCH_MSG_TOKEN;
        memcpy(gmo.MsgToken, &tokens[(size_t)i * 16], 16);
        MQLONG len, cc, rc;
        MQGET(hc, o, &md, &gmo, (MQLONG)buf.size(), buf.data(), &len, &cc, &rc);
        Check("MQGET by token", rc);
    }
    return Seconds(t);
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    long n = BenchCount(argc, argv, 1, 1000000);
    bool ownHome = !getenv("RAVOLT_MQSIM_HOME");
    if (ownHome) {
#ifdef _WIN32
        char tmp[MAX_PATH];
        GetTempPathA(sizeof tmp, tmp);
        std::string home = std::string(tmp) + "ravolt-mqsim-bench";
        CreateDirectoryA(home.c_str(), nullptr);
        _putenv_s("RAVOLT_MQSIM_HOME", home.c_str());
#else
        std::string home = "/tmp/ravolt-mqsim-bench-" + std::to_string(getpid());
        setenv("RAVOLT_MQSIM_HOME", home.c_str(), 1);
#endif
    }
    char out[4096];
    /* The count is reduced before any cast: a 32-bit long (Windows) would
     * otherwise make the name negative, which is no valid name. */
    uint64_t ticks = (uint64_t)std::chrono::system_clock::now().time_since_epoch().count();
    std::string qm = "BENCH" + std::to_string((unsigned)(ticks % 100000));
    std::string script = "DEFINE QLOCAL(DEEP) MAXDEPTH(999999999)\nDEFINE QLOCAL(SHORT) MAXDEPTH(999999999)\n"
                         "DEFINE QLOCAL(PERSIST) MAXDEPTH(999999999)\nALTER QMGR MAXUMSGS(10000)";
    if (MQSimRunMqsc(&qm[0], &script[0], sizeof out, out) != 0) {
        fprintf(stderr, "cannot set up %s:\n%s\n", qm.c_str(), out);
        return 1;
    }
    char name[48];
    memset(name, ' ', sizeof name);
    memcpy(name, qm.data(), qm.size());
    MQHCONN hc;
    MQLONG cc, rc;
    MQCONN(name, &hc, &cc, &rc);
    Check("MQCONN", rc);
    std::vector<char> msg(1024, 'x');

    /* baseline: memcpy of the same bytes */
    std::vector<char> sink(1 << 20);
    auto t = std::chrono::steady_clock::now();
    for (long i = 0; i < n; i++) {
        memcpy(&sink[((size_t)i * 1024) % sink.size()], msg.data(), msg.size());
        msg[(size_t)i % 1024] ^= (char)sink[(size_t)i % sink.size()];   /* keep the copy alive */
    }
    double memcpyS = Seconds(t);
    std::fill(msg.begin(), msg.end(), 'x');

    double before = NowMB();
    MQHOBJ deep = Open(hc, "DEEP", MQOO_OUTPUT | MQOO_BROWSE | MQOO_INPUT_SHARED);
    double putS = PutAll(hc, deep, n, MQPER_NOT_PERSISTENT, msg);
    std::vector<char> tokens;
    tokens.reserve((size_t)n * 16);
    double browseS = BrowseAll(hc, deep, n, &tokens);
    double peak = PeakMB();
    double getS = GetByToken(hc, deep, n, tokens);

    MQHOBJ shortQ = Open(hc, "SHORT", MQOO_OUTPUT | MQOO_BROWSE);
    PutAll(hc, shortQ, 1000, MQPER_NOT_PERSISTENT, msg);
    double shortS = 0;
    for (int r = 0; r < 10; r++)
        shortS += BrowseAll(hc, shortQ, 1000, nullptr);

    long pn = n / 10 > 0 ? n / 10 : 1;
    MQHOBJ pq = Open(hc, "PERSIST", MQOO_OUTPUT | MQOO_BROWSE | MQOO_INPUT_SHARED);
    double pputS = PutAll(hc, pq, pn, MQPER_PERSISTENT, msg);
    std::vector<char> ptokens;
    BrowseAll(hc, pq, pn, &ptokens);
    double pgetS = GetByToken(hc, pq, pn, ptokens);

    printf("stand-in queue manager, %ld messages of 1 KB\n", n);
    printf("  memcpy of the same bytes     %12.0f msg/s\n", n / memcpyS);
    printf("  put (units of 1,000)         %12.0f msg/s  (memcpy / put = %.0f)\n", n / putS, putS / memcpyS);
    printf("  browse first/next            %12.0f msg/s  (memcpy / browse = %.0f)\n", n / browseS, browseS / memcpyS);
    printf("  get by token                 %12.0f msg/s  (memcpy / get = %.0f)\n", n / getS, getS / memcpyS);
    printf("  browse of a 1,000-deep queue %12.0f msg/s  (per message, deep / short = %.2f)\n",
           10000 / shortS, (browseS / n) / (shortS / 10000));
    printf("  peak memory                  %12.0f MB, %.0f bytes per message (1,024 of them data)\n", peak,
           (peak - before) * 1048576.0 / n);
    printf("  persistent put (%ld)      %12.0f msg/s\n", pn, pn / pputS);
    printf("  persistent get by token      %12.0f msg/s\n", pn / pgetS);
    MQDISC(&hc, &cc, &rc);
    MQSimShutdown();
    std::error_code ec;
    std::string home = getenv("RAVOLT_MQSIM_HOME");
    std::filesystem::remove_all(ownHome ? home : home + "/" + qm, ec);
    BenchTarget("browse step, deep / short queue", (browseS / n) / (shortS / 10000), 2);
    return BenchExit();
}
