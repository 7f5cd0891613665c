/* Benchmark of the local channel: a browse of N small messages by a
 * process that reaches the queue manager over the channel, beside the
 * same browse (the raw MQI loop) in the process that owns it.  The owner
 * of the channel run is this program started again ("--own"), which
 * holds the queue manager until the file "quit" appears in the home.
 *
 * Each browse is made five times and the fastest counts.
 *
 *   bench_channel [N] [--check]   (default 3000; RAVOLT_MQSIM_HOME or a temp
 *       folder, removed at the end; guard: the browse over the channel
 *       within 4 s per 3,000 messages, what Wine's sockets allow) */
#include "benchcheck.h"
#include "mqi.h"
#include "mqsim.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

static const char *const QMgr = "BENCHCHAN";

static double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

static std::string QuitFile;     /* set while an owner runs: it ends when this exists */

static void Touch(const std::string &path)
{
    if (FILE *f = fopen(path.c_str(), "wb"))
        fclose(f);
}

static bool Exists(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

/* Ends the run (the owner told to quit too). */
static void Fail(const std::string &why)
{
    fprintf(stderr, "%s\n", why.c_str());
    if (!QuitFile.empty())
        Touch(QuitFile);
    exit(1);
}

static void Check(const char *what, MQLONG rc)
{
    if (rc != 0)
        Fail(std::string(what) + " failed: " + std::to_string(rc));
}

static MQHCONN Connect(void)
{
    char name[48];
    memset(name, ' ', sizeof name);
    memcpy(name, QMgr, strlen(QMgr));
    MQHCONN hc;
    MQLONG cc, rc;
    MQCONN(name, &hc, &cc, &rc);
    Check("MQCONN", rc);
    return hc;
}

static MQHOBJ Open(MQHCONN hc, MQLONG options)
{
    MQOD od = {MQOD_DEFAULT};
    memset(od.ObjectName, ' ', 48);
    memcpy(od.ObjectName, "MANY", 4);
    MQHOBJ o;
    MQLONG cc, rc;
    MQOPEN(hc, &od, options, &o, &cc, &rc);
    Check("MQOPEN", rc);
    return o;
}

/* The browse every list and check makes: first, then next until none
 * is left, each message's data and descriptor into the caller's. */
static double Browse(MQHCONN hc, long n)
{
    MQHOBJ o = Open(hc, MQOO_BROWSE);
    std::vector<char> buf(64 * 1024);
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Options = MQGMO_BROWSE_FIRST | MQGMO_NO_WAIT;
    auto t = std::chrono::steady_clock::now();
    long got = 0;
    for (;;) {
        MQMD md = {MQMD_DEFAULT};
        md.Version = MQMD_VERSION_2;
        MQLONG len, cc, rc;
        MQGET(hc, o, &md, &gmo, (MQLONG)buf.size(), buf.data(), &len, &cc, &rc);
        if (rc == MQRC_NO_MSG_AVAILABLE)
            break;
        Check("MQGET browse", rc);
        gmo.Options = MQGMO_BROWSE_NEXT | MQGMO_NO_WAIT;
        got++;
    }
    double s = Seconds(t);
    if (got != n)
        Fail("browsed " + std::to_string(got) + " of " + std::to_string(n));
    MQLONG cc, rc;
    MQCLOSE(hc, &o, MQCO_NONE, &cc, &rc);
    return s;
}

/* The fastest of a few browses. */
static double BestBrowse(MQHCONN hc, long n)
{
    double best = 1e9;
    for (int i = 0; i < 5; i++) {
        double s = Browse(hc, n);
        best = s < best ? s : best;
    }
    return best;
}

/* The owner: loads the queue manager and serves it until told to quit. */
static int Own(const std::string &home)
{
    MQHCONN hc = Connect();
    Touch(home + "/ready");
    while (!Exists(home + "/quit"))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    MQLONG cc, rc;
    MQDISC(&hc, &cc, &rc);
    MQSimShutdown();
    return 0;
}

static intptr_t StartOwner(const char *self, const std::string &home)
{
#ifdef _WIN32
    (void)self;
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string cmd = "\"" + std::string(exe) + "\" --own \"" + home + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    return (intptr_t)pi.hProcess;
#else
    pid_t pid = fork();
    if (pid == 0) {
        execl("/proc/self/exe", self, "--own", home.c_str(), (char *)nullptr);
        _exit(127);
    }
    return pid;
#endif
}

static void WaitOwner(intptr_t child)
{
#ifdef _WIN32
    WaitForSingleObject((HANDLE)child, INFINITE);
    CloseHandle((HANDLE)child);
#else
    int status;
    waitpid((pid_t)child, &status, 0);
#endif
}

static std::string SetHome(void)
{
    if (const char *h = getenv("RAVOLT_MQSIM_HOME"))
        return h;
#ifdef _WIN32
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    std::string home = std::string(tmp) + "ravolt-channel-bench";
    CreateDirectoryA(home.c_str(), nullptr);
    _putenv_s("RAVOLT_MQSIM_HOME", home.c_str());
#else
    std::string home = "/tmp/ravolt-channel-bench-" + std::to_string(getpid());
    setenv("RAVOLT_MQSIM_HOME", home.c_str(), 1);
#endif
    return home;
}

int main(int argc, char **argv)
{
    if (argc > 2 && strcmp(argv[1], "--own") == 0)
        return Own(argv[2]);
    BenchTakeCheck(&argc, argv);
    long n = BenchCount(argc, argv, 1, 3000);
    bool ownHome = !getenv("RAVOLT_MQSIM_HOME");
    std::string home = SetHome();
    remove((home + "/quit").c_str());
    remove((home + "/ready").c_str());

    /* the queue filled afresh, then browsed in this process */
    char out[4096];
    char qm[16];
    snprintf(qm, sizeof qm, "%s", QMgr);
    std::string script = "DEFINE QLOCAL(MANY) MAXDEPTH(999999999) REPLACE\nCLEAR QLOCAL(MANY)\n"
                         "ALTER QMGR MAXUMSGS(999999)";
    if (MQSimRunMqsc(qm, &script[0], sizeof out, out) != 0) {
        fprintf(stderr, "cannot set up %s:\n%s\n", QMgr, out);
        return 1;
    }
    MQHCONN hc = Connect();
    MQHOBJ o = Open(hc, MQOO_OUTPUT);
    std::string text(200, 'm');
    MQLONG cc, rc;
    for (long i = 0; i < n; i++) {
        MQMD md = {MQMD_DEFAULT};
        memcpy(md.Format, MQFMT_STRING, 8);
        md.Persistence = MQPER_PERSISTENT;           /* kept for the owner that loads it next */
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Options = MQPMO_SYNCPOINT;
        MQPUT(hc, o, &md, &pmo, (MQLONG)text.size(), &text[0], &cc, &rc);
        Check("MQPUT", rc);
    }
    MQCMIT(hc, &cc, &rc);
    Check("MQCMIT", rc);
    MQCLOSE(hc, &o, MQCO_NONE, &cc, &rc);
    double local = BestBrowse(hc, n);
    MQDISC(&hc, &cc, &rc);
    MQSimShutdown();

    /* the same browse from here while another process owns it */
    QuitFile = home + "/quit";
    intptr_t owner = StartOwner(argv[0], home);
    for (int i = 0; i < 3000 && !Exists(home + "/ready"); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    hc = Connect();
    double remote = BestBrowse(hc, n);
    MQDISC(&hc, &cc, &rc);
    Touch(QuitFile);
    WaitOwner(owner);
    remove((home + "/quit").c_str());
    remove((home + "/ready").c_str());

    printf("browse of %ld messages of %zu bytes\n", n, text.size());
    printf("  in the owning process  %9.4f s  %8.2f us a message\n", local, local * 1e6 / n);
    printf("  over the channel       %9.4f s  %8.2f us a message\n", remote, remote * 1e6 / n);
    printf("  channel / in-process   %9.1f x\n", remote / local);
    BenchTarget("channel browse, s per 3,000 messages", remote * 3000 / n, 4.0);
    std::error_code ec;
    if (ownHome)
        std::filesystem::remove_all(home, ec);
    return BenchExit();
}
