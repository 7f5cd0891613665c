/* Fault injection for tests: the next N calls of a verb fail with a
 * chosen reason, or are delayed first. */
#include "sim.h"
#include "mqsim.h"

#include <chrono>
#include <cstring>

struct SimFault {
    char verb[16];
    MQLONG count;      /* calls still to fail or delay */
    MQLONG reason;     /* 0: delay only */
    MQLONG delayMs;
};

static std::mutex FaultLock;
static std::vector<SimFault> Faults;

/* verb: "MQGET", ... or "*" for every verb; count 0 removes the fault. */
extern "C" void MQENTRY MQSimFault(PMQCHAR verb, MQLONG count, MQLONG reason, MQLONG delayMs)
{
    if (!verb)
        return;
    std::lock_guard<std::mutex> lk(FaultLock);
    for (size_t i = 0; i < Faults.size(); i++)
        if (strcmp(Faults[i].verb, verb) == 0)
            Faults.erase(Faults.begin() + (long)i--);
    if (count <= 0)
        return;
    SimFault f = {};
    snprintf(f.verb, sizeof f.verb, "%s", verb);
    f.count = count;
    f.reason = reason;
    f.delayMs = delayMs;
    Faults.push_back(f);
}

thread_local bool SimFaultExempt;

MQLONG SimFaultCheck(const char *verb)
{
    MQLONG reason = 0, delay = 0;
    bool server = strcmp(verb, MQSIM_COMMAND_SERVER) == 0;
    if (SimFaultExempt && !server)
        return 0;
    {
        std::lock_guard<std::mutex> lk(FaultLock);
        for (size_t i = 0; i < Faults.size(); i++) {
            SimFault &f = Faults[i];
            if (strcmp(f.verb, verb) != 0 && (server || strcmp(f.verb, "*") != 0))
                continue;
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
