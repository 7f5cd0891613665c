/* The stand-in's own entry points: MQSC scripts against a queue manager. */
#include "mqsim.h"
#include "sim.h"

#include <cstdio>
#include <cstring>

extern "C" MQLONG MQENTRY MQSimRunMqsc(PMQCHAR qmgrName, PMQCHAR text, MQLONG outLength, PMQCHAR out)
{
    std::string output;
    MQLONG failed = -1;
    {
        std::lock_guard<std::mutex> lk(SimLock);
        int reason = MQRC_Q_MGR_NAME_ERROR;
        SimQMgr *q = qmgrName ? SimCreateQMgr(qmgrName, &reason) : nullptr;
        if (!q || !text) {
            /* The caller is told why, never left with its buffer as it was. */
            char line[128];
            snprintf(line, sizeof line, "AMQ8118E: queue manager %.48s cannot be used (reason %d).\n",
                     qmgrName ? (const char *)qmgrName : "(none)", q ? MQRC_UNEXPECTED_ERROR : reason);
            output = line;
        } else {
            failed = SimRunMqsc(q, text, &output);
            SimStoreMaybeCompact(q);
            SimWake.notify_all();
        }
    }
    if (out && outLength > 0) {
        size_t n = output.size() < (size_t)outLength - 1 ? output.size() : (size_t)outLength - 1;
        memcpy(out, output.data(), n);
        out[n] = 0;
    }
    return failed;
}
