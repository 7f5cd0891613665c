/* Queue managers of the process: found by name under the stand-in's home
 * folder (RAVOLT_MQSIM_HOME), loaded from their log on first use and
 * owned by this process from then on; their objects. */
#include "sim.h"
#include "simchannel.h"

#include <chrono>
#include <random>

/* never destroyed, as SimConns: a process that returns from main runs
 * the destructors of statics while the command server thread may still
 * wait on the wake (a destroyed condition there is an access violation) */
std::mutex &SimLock = *new std::mutex;
std::condition_variable &SimWake = *new std::condition_variable;
static std::map<std::string, SimQMgr *> &QMgrs = *new std::map<std::string, SimQMgr *>;
void (*SimServiceStart)(SimQMgr *q) = SimCommandServerStart;
void (*SimServiceStop)(SimQMgr *q) = SimCommandServerStop;

int64_t SimNowMs(void)
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string SimHome(void)
{
    return SimHostEnv("RAVOLT_MQSIM_HOME");
}

/* A queue manager's folder: its name with the characters a file name
 * cannot hold replaced. */
static std::string QMgrDir(const std::string &home, const std::string &name);

std::string SimQMgrDir(const std::string &name)
{
    return QMgrDir(SimHome(), name);
}

bool SimQMgrLoaded(const std::string &name)
{
    return QMgrs.count(name) != 0;
}

static std::string QMgrDir(const std::string &home, const std::string &name)
{
    std::string d = name;
    for (char &c : d)
        if (c == '/' || c == '\\' || c == ':')
            c = '&';
    return home + "/" + d;
}

static bool ValidName(const std::string &name)
{
    if (name.empty() || name.size() > 48)
        return false;
    for (char c : name)
        if (!isalnum((unsigned char)c) && c != '.' && c != '_' && c != '/' && c != '%')
            return false;
    return true;
}

static SimQMgr *NewQMgr(const std::string &name, const std::string &dir)
{
    SimQMgr *q = new SimQMgr();
    q->name = name;
    q->dir = dir;
    std::random_device rd;
    q->tokenSeed = ((uint64_t)rd() << 32) ^ rd() ^ (uint64_t)SimNowMs();
    q->nextToken = 1;
    q->qmgrObj = new SimObject();
    q->qmgrObj->kind = SIM_K_QMGR;
    q->qmgrObj->name = name;
    return q;
}

static void FreeQMgr(SimQMgr *q)
{
    for (int k = 0; k < SIM_K_COUNT; k++)
        for (auto &kv : q->objects[k]) {
            if (kv.second->queue) {
                SimMsgFreeAll(kv.second->queue);
                delete kv.second->queue;
            }
            delete kv.second;
        }
    delete q->qmgrObj;
    delete q;
}

/* Loads or (create) makes the queue manager; caller holds SimLock. */
static SimQMgr *OpenQMgr(const std::string &name, bool create, int *reason)
{
    auto it = QMgrs.find(name);
    if (it != QMgrs.end())
        return it->second;
    std::string home = SimHome();
    *reason = MQRC_Q_MGR_NAME_ERROR;
    if (!ValidName(name))
        return nullptr;
    *reason = MQRC_Q_MGR_NOT_AVAILABLE;      /* unknown, or owned by another process */
    if (home.empty())
        return nullptr;
    std::string dir = QMgrDir(home, name);
    FILE *f = fopen((dir + "/qm.log").c_str(), "rb");
    bool exists = f != nullptr;
    if (f)
        fclose(f);
    if (!exists && (!create || SimHostMkdir(home) || SimHostMkdir(dir)))
        return nullptr;
    void *lock = SimHostLockDir(dir);
    if (!lock)
        return nullptr;       /* owned by another process */
    SimQMgr *q = NewQMgr(name, dir);
    q->ownerLock = lock;
    if (!exists)
        SimDefineDefaults(q);
    if (SimStoreOpen(q) != 0) {
        SimHostUnlockDir(lock);
        FreeQMgr(q);
        *reason = MQRC_RESOURCE_PROBLEM;
        return nullptr;
    }
    QMgrs[name] = q;
    if (SimServiceStart)
        SimServiceStart(q);
    SimChannelPublish(q);
    return q;
}

SimQMgr *SimFindQMgr(const std::string &name, int *reason)
{
    return OpenQMgr(name, false, reason);
}

SimQMgr *SimCreateQMgr(const std::string &name, int *reason)
{
    return OpenQMgr(name, true, reason);
}

/* The queue manager a blank name means: the one named by
 * RAVOLT_MQSIM_DEFAULT, else the first one this process has loaded. */
SimQMgr *SimDefaultQMgr(int *reason)
{
    std::string dflt = SimHostEnv("RAVOLT_MQSIM_DEFAULT");
    if (!dflt.empty())
        return SimFindQMgr(dflt, reason);
    if (!QMgrs.empty())
        return QMgrs.begin()->second;
    *reason = MQRC_Q_MGR_NOT_AVAILABLE;
    return nullptr;
}

void SimForEachQMgr(void (*fn)(SimQMgr *, void *), void *ctx)
{
    for (auto &kv : QMgrs)
        fn(kv.second, ctx);
}

void SimReleaseQMgrs(void)
{
    for (auto &kv : QMgrs) {
        SimChannelWithdraw(kv.second);
        SimStoreClose(kv.second);
        SimHostUnlockDir(kv.second->ownerLock);
        FreeQMgr(kv.second);
    }
    QMgrs.clear();
}

static int Namespace(int kind)
{
    return kind == SIM_K_QMODEL || kind == SIM_K_QALIAS || kind == SIM_K_QREMOTE ||
           kind == SIM_K_QCLUSTER ? SIM_K_QLOCAL : kind;
}

SimObject *SimLookup(SimQMgr *q, int kind, const std::string &name)
{
    if (kind == SIM_K_QMGR)
        return q->qmgrObj;
    auto &m = q->objects[Namespace(kind)];
    auto it = m.find(name);
    return it == m.end() ? nullptr : it->second;
}

SimObject *SimNewObject(SimQMgr *q, int kind, const std::string &name, const SimObject *like)
{
    SimObject *o = new SimObject();
    o->kind = kind;
    o->name = name;
    if (like)
        o->attrs = like->attrs;
    if (kind == SIM_K_QLOCAL) {
        o->queue = new SimQueue();
        o->queue->statsSinceMs = SimNowMs();
    }
    q->objects[Namespace(kind)][name] = o;
    return o;
}

void SimDeleteObject(SimQMgr *q, SimObject *o)
{
    q->objects[Namespace(o->kind)].erase(o->name);
    if (o->queue) {
        SimMsgFreeAll(o->queue);
        delete o->queue;
    }
    delete o;
}
