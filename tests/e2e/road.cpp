/* The road: ravolt.exe driven as a user drives it, against a queue
 * manager filled by fill.mqsim, each step followed by a check of the
 * queues through the MQI and a picture into the gallery.
 *
 *   e2e_road RAVOLT.EXE MQSIM.EXE FILL-SCRIPT
 *
 * Exit code 0 when every step driven passed, 1 when one failed, 77 (the
 * test skipped) when the program opens no window. */
#include "e2e.h"
#include "mqsim.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

/* The queues the fill script fills or leaves empty for the road. */
static const char *const RoadQueues[] = {
    "E2E.TEXT", "E2E.XML", "E2E.JSON", "E2E.PCF", "E2E.RFH2", "E2E.MANY",
    "E2E.TARGET1", "E2E.TARGET2", "E2E.LOADED", "E2E.DLQ",
};
static const int RoadQueueCount = (int)(sizeof RoadQueues / sizeof RoadQueues[0]);

struct Road {
    std::string ravolt, tool, fill, home, config;
    E2EProcess program;
    HWND frame;
    std::vector<E2EMsg> queues[RoadQueueCount];     /* as the last check left them */
    int failures;
};

/* A path as Windows takes it (Wine's Z: drive for a Unix path). */
static std::string WinPath(std::string p)
{
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    for (char &c : p)
        if (c == '/')
            c = '\\';
    return p;
}

static void Fail(Road *r, const char *step, const std::string &why)
{
    fprintf(stderr, "e2e: %s: %s\n", step, why.c_str());
    r->failures++;
}

/* Every road queue as it is now: nothing lost or doubled anywhere, and
 * the queues a step did not touch exactly as they were. */
static void CheckQueues(Road *r, const char *step, const char *const *touched, int ntouched)
{
    std::vector<E2EMsg> was, now;
    for (int i = 0; i < RoadQueueCount; i++) {
        std::vector<E2EMsg> q;
        MQLONG rc = E2EQueue("E2EQM", RoadQueues[i], &q);
        if (rc) {
            Fail(r, step, std::string("browse of ") + RoadQueues[i] + " failed, reason " + std::to_string(rc));
            continue;
        }
        bool isTouched = false;
        for (int t = 0; t < ntouched; t++)
            isTouched |= strcmp(touched[t], RoadQueues[i]) == 0;
        std::string diff = E2ESameMessages(r->queues[i], q);
        if (!isTouched && !diff.empty())
            Fail(r, step, std::string(RoadQueues[i]) + " changed:\n" + diff);
        was.insert(was.end(), r->queues[i].begin(), r->queues[i].end());
        now.insert(now.end(), q.begin(), q.end());
        r->queues[i] = q;
    }
    std::map<std::string, E2EMsg> ids;
    std::string why;
    if (!E2EById(now, &ids, &why))
        Fail(r, step, why);
}

/* ---- the steps -------------------------------------------------------------- */

static bool Prepare(Road *r)
{
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    r->home = std::string(tmp) + "ravolt-e2e-" + std::to_string(GetCurrentProcessId());
    r->config = r->home + "\\config.road";          /* a dot in the path */
    CreateDirectoryA(r->home.c_str(), nullptr);
    CreateDirectoryA(r->config.c_str(), nullptr);
    std::string qmHome = r->home + "\\qm";
    SetEnvironmentVariableA("RAVOLT_MQSIM_HOME", qmHome.c_str());
    _putenv_s("RAVOLT_MQSIM_HOME", qmHome.c_str());
    const char *samples = getenv("RAVOLT_SAMPLES");
    std::string failed = E2EFill(r->tool, r->fill, qmHome, samples ? samples : "");
    if (!failed.empty()) {
        Fail(r, "fill", failed);
        return false;
    }
    for (int i = 0; i < RoadQueueCount; i++)
        E2EQueue("E2EQM", RoadQueues[i], &r->queues[i]);
    MQSimShutdown();                               /* the program owns the queue manager */
    if (r->queues[5].size() != 3000)
        Fail(r, "fill", "E2E.MANY holds " + std::to_string(r->queues[5].size()) + " messages");
    return true;
}

/* 1: the program starts with its own configuration and shows its frame. */
static int Start(Road *r)
{
    std::string cmd = "\"" + r->ravolt + "\" -f \"" + r->config + "\\ravolt.cfg\"";
    if (!E2EStart(&r->program, cmd, r->config)) {
        Fail(r, "start", "cannot start " + r->ravolt);
        return 1;
    }
    E2EWatchdogStart(r->program.pid, IDOK);
    for (int waited = 0; !r->frame && waited < 30000 && !E2EEnded(&r->program, 0); waited += 200)
        r->frame = E2EWaitWindow(r->program.pid, nullptr, 200);
    if (!r->frame)
        return 77;
    E2EBringForward(r->frame);
    E2EShot(r->frame, "road-01-start");
    CheckQueues(r, "start", nullptr, 0);
    return 0;
}

/* The road's folders go unless a step failed (kept to look into). */
static int Finish(Road *r, int result)
{
    MQSimShutdown();
    if (result != 1) {
        std::error_code ec;
        std::filesystem::remove_all(r->home, ec);
    }
    return result;
}

/* 10: the program ends through its own exit; nothing changed meanwhile. */
static void Exit(Road *r)
{
    E2EWatchdogStop();
    E2EEnd(&r->program, 20000);
    CheckQueues(r, "exit", nullptr, 0);
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: e2e_road RAVOLT.EXE MQSIM.EXE FILL-SCRIPT\n");
        return 2;
    }
    Road r = {};
    r.ravolt = WinPath(argv[1]);
    r.tool = WinPath(argv[2]);
    r.fill = argv[3];
    if (!Prepare(&r))
        return Finish(&r, 1);
    int started = Start(&r);
    if (started) {
        E2EWatchdogStop();
        E2EEnd(&r.program, 1000);
        if (started == 77)
            fprintf(stderr, "e2e: the program opened no window: the road is not driven\n");
        return Finish(&r, started);
    }
    Exit(&r);
    fprintf(stderr, "e2e: %d failure(s)\n", r.failures);
    return Finish(&r, r.failures ? 1 : 0);
}
