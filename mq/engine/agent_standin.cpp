/* Stand-in for the command agent until it exists: a reply read from a
 * reply queue goes to the debug dump and, like an in-process command, is
 * looked at only for MYCMD_STOP_SVR, which ends the reply loop; error
 * answers go nowhere. */
#include "engint.h"

#include "mq/pcf.h"

/* 1 when the message is a MYCMD_STOP_SVR command. */
static int is_stop(const void *data, int32_t length)
{
    MQPP pp;
    MQLONG command = 0, cc = 0, rc = 0;
    if (!data)
        return 0;
    PCFInitParse(&pp, data, length, &command, &cc, &rc);
    return cc == 0 && command == MYCMD_STOP_SVR_CODE;
}

int AnalyseCommand(QMS *location, int32_t *stopIndicator, MQHCONN, MQMD *md, void *data,
                   int32_t length)
{
    MQEHooks.debugDump(location, 0, md, data, length);
    if (!is_stop(data, length))
        return 0;
    if (stopIndicator)
        *stopIndicator = 1;
    return 1;
}

int ProcessCommand(QMS *, int32_t *stopIndicator, MQHCONN, MQMD *, void *data, int32_t length)
{
    if (is_stop(data, length) && stopIndicator)
        *stopIndicator = 1;
    return 0;
}

int SendErrorResponse(QMS *, int32_t, MQACTION *, MQHCONN, void **, int32_t, MQMD *, int32_t,
                      int32_t, int32_t, int32_t, intptr_t)
{
    return 0;
}
