/* A tiny MQ library for the binding tests.  Built several times: each
 * build names itself through MQCONN (the connection handle it answers is
 * FAKEMQ_ID) and may leave out MQCB, MQPUT1 or MQCLOSE. */
#include "mqi.h"

#ifdef _WIN32
#define EXPORT extern "C" __declspec(dllexport)
#else
#define EXPORT extern "C" __attribute__((visibility("default")))
#endif

static void Ok(PMQLONG cc, PMQLONG rc) { *cc = 0; *rc = 0; }

EXPORT void MQENTRY MQCONN(PMQCHAR, PMQHCONN pHconn, PMQLONG cc, PMQLONG rc)
{
    *pHconn = FAKEMQ_ID;
    Ok(cc, rc);
}
EXPORT void MQENTRY MQDISC(PMQHCONN, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
EXPORT void MQENTRY MQBACK(MQHCONN, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
EXPORT void MQENTRY MQCMIT(MQHCONN, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
EXPORT void MQENTRY MQPUT(MQHCONN, MQHOBJ, PMQVOID, PMQVOID, MQLONG, PMQVOID, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
EXPORT void MQENTRY MQGET(MQHCONN, MQHOBJ, PMQVOID, PMQVOID, MQLONG, PMQVOID, PMQLONG, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
#ifndef FAKEMQ_NO_MQPUT1
EXPORT void MQENTRY MQPUT1(MQHCONN, PMQVOID, PMQVOID, PMQVOID, MQLONG, PMQVOID, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
#endif
EXPORT void MQENTRY MQINQ(MQHCONN, MQHOBJ, MQLONG, PMQLONG, MQLONG, PMQLONG, MQLONG, PMQCHAR, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
EXPORT void MQENTRY MQSET(MQHCONN, MQHOBJ, MQLONG, PMQLONG, MQLONG, PMQLONG, MQLONG, PMQCHAR, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
EXPORT void MQENTRY MQOPEN(MQHCONN, PMQVOID, MQLONG, PMQHOBJ, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
#ifndef FAKEMQ_NO_MQCLOSE
EXPORT void MQENTRY MQCLOSE(MQHCONN, PMQHOBJ, MQLONG, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
#endif
#ifndef FAKEMQ_ONLY_REQUIRED
EXPORT void MQENTRY MQCONNX(PMQCHAR, PMQVOID, PMQHCONN pHconn, PMQLONG cc, PMQLONG rc)
{
    *pHconn = FAKEMQ_ID;
    Ok(cc, rc);
}
EXPORT void MQENTRY MQCB(MQHCONN, MQLONG, PMQVOID, MQHOBJ, PMQVOID, PMQVOID, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
EXPORT void MQENTRY MQCTL(MQHCONN, MQLONG, PMQVOID, PMQLONG cc, PMQLONG rc) { Ok(cc, rc); }
#endif
