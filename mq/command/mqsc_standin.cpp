/* Stand-in for the MQSC console, MQSC text and its replies, and the
 * queued publish/subscribe replies, until they exist: a console action
 * does nothing, a command for an mvs location is not converted ("PCF
 * Conversion failed"), an MQSC reply cannot be read ("Error converting
 * MQSC Response.") and a broker reply is dropped.  The real pieces
 * replace this file. */
#include "cmdint.h"

#include "cs.h"

void IssueMQSC(DialogWords *, const PCFActionDef *)
{
}

int PCFBuildMQSC(MQSCPcf *, void **, uint32_t *)
{
    return 1;
}

int MQSCResponseToPcf(IFCMD *, const MQMD *, const uint8_t *, uint32_t, uint8_t **pcf, uint32_t *length)
{
    *pcf = nullptr;
    *length = 0;
    return 1;
}

void MQSCFreeState(IFCMD *record)
{
    MQSCPcf *s = (MQSCPcf *)record->mqscState;
    if (s)
        CSFreeMemAndClear(&s->text);
    CSFreeMemAndClear(&record->mqscState);
}

void PSHandleReply(IFCMD *, uint32_t, const MQMD *, const uint8_t *, uint32_t)
{
}
