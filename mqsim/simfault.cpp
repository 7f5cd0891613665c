/* Fault injection for tests: calls of a verb fail with a chosen reason,
 * or are delayed first; a fault may wait for the n-th call from now, and
 * may hit only calls on one queue manager. */
#include "sim.h"
#include "mqsim.h"

#include <chrono>
#include <cstring>

struct SimFault {
    char verb[16];
    std::string qmgr;  /* "" any queue manager */
    MQLONG skip;       /* matching calls let through first */
    MQLONG count;      /* calls still to fail or delay */
    MQLONG reason;     /* 0: delay only */
    MQLONG delayMs;
};

static std::mutex FaultLock;
static std::vector<SimFault> &Faults = *new std::vector<SimFault>;

void SimFaultArm(const char *verb, const std::string &qmgr, MQLONG skip, MQLONG count, MQLONG reason,
                     MQLONG delayMs)
{
    if (!verb)
        return;
    std::lock_guard<std::mutex> lk(FaultLock);
    for (size_t i = 0; i < Faults.size(); i++)
        if (strcmp(Faults[i].verb, verb) == 0 && Faults[i].qmgr == qmgr)
            Faults.erase(Faults.begin() + (long)i--);
    if (count <= 0)
        return;
    SimFault f = {};
    snprintf(f.verb, sizeof f.verb, "%s", verb);
    f.qmgr = qmgr;
    f.skip = skip > 0 ? skip : 0;
    f.count = count;
    f.reason = reason;
    f.delayMs = delayMs;
    Faults.push_back(f);
}

extern "C" void MQENTRY MQSimFault(PMQCHAR verb, MQLONG count, MQLONG reason, MQLONG delayMs)
{
    SimFaultArm(verb, "", 0, count, reason, delayMs);
}

extern "C" void MQENTRY MQSimFaultAt(PMQCHAR verb, PMQCHAR qmgr, MQLONG nth, MQLONG count, MQLONG reason)
{
    SimFaultArm(verb, qmgr ? SimName(qmgr, strnlen(qmgr, 48)) : "", nth - 1, count, reason, 0);
}

thread_local bool SimFaultExempt;

/* Whether a fault concerns a call of the verb on that queue manager. */
static bool Concerns(const SimFault &f, const char *verb, const char *qmgr, bool server)
{
    if (strcmp(f.verb, verb) != 0 && (server || strcmp(f.verb, "*") != 0))
        return false;
    return f.qmgr.empty() || (qmgr && f.qmgr == qmgr);
}

MQLONG SimFaultCheck(const char *verb, const char *qmgr)
{
    MQLONG reason = 0, delay = 0;
    bool server = strcmp(verb, MQSIM_COMMAND_SERVER) == 0;
    if (SimFaultExempt && !server)
        return 0;
    {
        std::lock_guard<std::mutex> lk(FaultLock);
        for (size_t i = 0; i < Faults.size(); i++) {
            SimFault &f = Faults[i];
            if (!Concerns(f, verb, qmgr, server))
                continue;
            if (f.skip > 0) {
                f.skip--;
                break;
            }
            if (f.reason == MQSIM_CMDSERVER_STOPPED)
                break;                    /* a request taken before the stop is answered */
            reason = f.reason;
            delay = f.delayMs;
            if (--f.count == 0)
                Faults.erase(Faults.begin() + (long)i);
            break;
        }
    }
    if (delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    return reason;
}

bool SimCommandServerStopped(const char *qmgr)
{
    std::lock_guard<std::mutex> lk(FaultLock);
    for (const SimFault &f : Faults)
        if (Concerns(f, MQSIM_COMMAND_SERVER, qmgr, true) && f.reason == MQSIM_CMDSERVER_STOPPED && f.skip == 0)
            return true;
    return false;
}
