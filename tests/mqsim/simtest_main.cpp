/* Test helpers and main(): the executable also serves as the child
 * process of the persistence tests ("--child MODE HOME"). */
#include "simtest.h"
#include "simcall.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

static std::string ExePath;

intptr_t SimTestStartChild(const char *mode, const std::string &home)
{
#ifdef _WIN32
    std::string cmd = "\"" + ExePath + "\" --child " + mode + " \"" + home + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    return (intptr_t)pi.hProcess;
#else
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        execl(ExePath.c_str(), ExePath.c_str(), "--child", mode, home.c_str(), (char *)nullptr);
        _exit(127);
    }
    return pid;
#endif
}

int SimTestWaitChild(intptr_t child)
{
    if (child == -1)
        return -1;
#ifdef _WIN32
    WaitForSingleObject((HANDLE)child, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess((HANDLE)child, &code);
    CloseHandle((HANDLE)child);
    return (int)code;
#else
    int status = 0;
    waitpid((pid_t)child, &status, 0);
    if (WIFSIGNALED(status))
        return 100 + WTERMSIG(status);
    return WEXITSTATUS(status);
#endif
}

int SimTestRunChild(const char *mode, const std::string &home)
{
    return SimTestWaitChild(SimTestStartChild(mode, home));
}

bool SimTestPoll(const std::function<bool()> &done, int ms)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool SimTestWaitFile(const std::string &path, int ms)
{
    return SimTestPoll([&] {
        FILE *f = fopen(path.c_str(), "rb");
        if (f)
            fclose(f);
        return f != nullptr;
    }, ms);
}

/* Whether another thread holds the connection's call lock (it is inside
 * a verb on it); SimLock held.  Only tried: the lock is taken before
 * SimLock by the verbs. */
static bool CallHeld(SimConn *c)
{
    if (!c->call.try_lock())
        return true;
    c->call.unlock();
    return false;
}

/* Whether the connection has the queue open for input. */
static bool OpenForInput(const SimConn *c, const char *queue)
{
    for (const auto &hv : c->handles) {
        const SimHandle *x = hv.second;
        if (x->target && x->target->name == queue && (x->options & SimInputOptions))
            return true;
    }
    return false;
}

bool SimTestInputCallInProgress(const char *queue)
{
    std::lock_guard<std::mutex> lk(SimLock);
    for (const auto &kv : SimConns)
        if (OpenForInput(kv.second, queue) && CallHeld(kv.second))
            return true;
    return false;
}

bool SimTestWaitInputCall(const char *queue, const std::atomic<bool> *ended)
{
    bool seen = false;
    SimTestPoll([&] { return (seen = SimTestInputCallInProgress(queue)) || (ended && *ended); });
    return seen;
}

uint64_t SimTestDispatchPasses(MQHCONN h)
{
    std::lock_guard<std::mutex> lk(SimLock);
    auto it = SimConns.find(h);
    return it == SimConns.end() ? 0 : it->second->dispatchPasses;
}

int64_t SimTestClockMs(void)
{
    return SimNowMs();
}

void SimTestWaitExpired(int64_t putDoneMs, MQLONG tenths)
{
    SimTestPoll([&] { return SimNowMs() >= putDoneMs + (int64_t)tenths * 100; });
}

void SimTestTouch(const std::string &path)
{
    if (FILE *f = fopen(path.c_str(), "wb"))
        fclose(f);
}

void Sim::SetUp()
{
    home = SimTestHome();
}

void Sim::TearDown()
{
    MQSimFault((PMQCHAR) "*", 0, 0, 0);
    MQSimShutdown();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

std::string Sim::Mqsc(const char *qmgr, const char *text, bool ok)
{
    std::string out(1 << 20, '\0');
    MQLONG failed = MQSimRunMqsc((PMQCHAR)qmgr, (PMQCHAR)text, (MQLONG)out.size(), &out[0]);
    out.resize(strlen(out.c_str()));
    if (ok) {
        EXPECT_EQ(failed, 0) << out;
    }
    return out;
}

MQHCONN Sim::Connect(const char *qmgr, MQLONG expectReason, MQCNO *cno)
{
    char name[48];
    FILL(name, qmgr);
    MQCNO dflt = {MQCNO_DEFAULT};
    MQHCONN h;
    MQLONG cc, rc;
    MQCONNX(name, cno ? cno : &dflt, &h, &cc, &rc);
    EXPECT_EQ(rc, expectReason);
    return h;
}

MQHOBJ Sim::Open(MQHCONN h, const char *name, MQLONG options, MQLONG expectReason, MQOD *od)
{
    MQOD dflt = {MQOD_DEFAULT};
    if (!od) {
        od = &dflt;
        FILL(od->ObjectName, name);
    }
    MQHOBJ o;
    MQLONG cc, rc;
    MQOPEN(h, od, options, &o, &cc, &rc);
    EXPECT_EQ(rc, expectReason) << name;
    return o;
}

void Sim::Close(MQHCONN h, MQHOBJ o, MQLONG options)
{
    MQLONG cc, rc;
    MQCLOSE(h, &o, options, &cc, &rc);
    EXPECT_EQ(rc, 0);
}

MQLONG Sim::Put(MQHCONN h, MQHOBJ o, const std::string &data, MQMD *md, MQLONG pmoOptions, MQPMO *pmo)
{
    MQMD dmd = {MQMD_DEFAULT};
    MQPMO dpmo = {MQPMO_DEFAULT};
    if (!pmo) {
        pmo = &dpmo;
        pmo->Options = pmoOptions;
    }
    MQLONG cc, rc;
    MQPUT(h, o, md ? md : &dmd, pmo, (MQLONG)data.size(), (PMQVOID)data.data(), &cc, &rc);
    return rc;
}

MQLONG Sim::Get(MQHCONN h, MQHOBJ o, std::string *data, MQLONG options, MQMD *md, MQGMO *gmo, MQLONG bufLen)
{
    MQMD dmd = {MQMD_DEFAULT};
    MQGMO dgmo = {MQGMO_DEFAULT};
    if (!gmo) {
        gmo = &dgmo;
        gmo->Options = options;
    }
    std::string buf((size_t)bufLen, '\0');
    MQLONG len = 0, cc, rc;
    MQGET(h, o, md ? md : &dmd, gmo, bufLen, &buf[0], &len, &cc, &rc);
    if (data)
        *data = buf.substr(0, (size_t)(len < bufLen ? len : bufLen));
    return rc;
}

MQLONG Sim::Depth(MQHCONN h, const char *queue)
{
    MQHOBJ o = Open(h, queue, MQOO_INQUIRE);
    MQLONG sel = MQIA_CURRENT_Q_DEPTH, depth = -1, cc, rc;
    MQINQ(h, o, 1, &sel, 1, &depth, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    Close(h, o);
    return depth;
}

int SimChildMain(const char *mode, const char *home);

int main(int argc, char **argv)
{
    ExePath = argv[0];
#ifdef _WIN32
    char buf[MAX_PATH];
    if (GetModuleFileNameA(nullptr, buf, sizeof buf))
        ExePath = buf;
#endif
    if (argc == 4 && strcmp(argv[1], "--child") == 0)
        return SimChildMain(argv[2], argv[3]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

std::string Trim(const char *field, size_t size)
{
    size_t n = 0;
    while (n < size && field[n] && field[n] != ' ')
        n++;
    return std::string(field, n);
}

std::string SimTestExeDir(void)
{
    size_t slash = ExePath.find_last_of("/\\");
    return slash == std::string::npos ? std::string("./") : ExePath.substr(0, slash + 1);
}

std::string SimTestRun(const std::string &cmd, int *rc)
{
#ifdef _WIN32
    FILE *p = _popen(("\"" + cmd + "\"").c_str(), "rb");
#else
    FILE *p = popen(cmd.c_str(), "r");
#endif
    std::string out;
    if (!p) {
        *rc = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
#ifdef _WIN32
    *rc = _pclose(p);
#else
    *rc = pclose(p);
#endif
    return out;
}
