/* The stand-in's own entry points: MQSC scripts against a queue manager. */
#include "mqsim.h"
#include "sim.h"

#include <cstring>

extern "C" MQLONG MQENTRY MQSimRunMqsc(PMQCHAR qmgrName, PMQCHAR text, MQLONG outLength, PMQCHAR out)
{
    std::string output;
    MQLONG failed;
    {
        std::lock_guard<std::mutex> lk(SimLock);
        int reason;
        SimQMgr *q = qmgrName ? SimCreateQMgr(qmgrName, &reason) : nullptr;
        if (!q || !text)
            return -1;
        failed = SimRunMqsc(q, text, &output);
        SimStoreMaybeCompact(q);
        SimWake.notify_all();
    }
    if (out && outLength > 0) {
        size_t n = output.size() < (size_t)outLength - 1 ? output.size() : (size_t)outLength - 1;
        memcpy(out, output.data(), n);
        out[n] = 0;
    }
    return failed;
}
