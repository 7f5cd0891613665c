/* Stand-in for the queued publish/subscribe queries (MYCMD_INQUIRE_
 * SUBSCRIBER, MYCMD_INQUIRE_PUBLISHER) and the broker's publications
 * until they exist: each is answered as a command the agent does not
 * know. */
#include "agentint.h"

int PSQueryStreams(QMS *r, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *)
{
    return SendErrorResponse(r, 0, nullptr, h, cache, command, md, MQRCCF_CFH_COMMAND_ERROR, 0, 0, 0, 0);
}

int PSQueryReply(QMS *r, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *)
{
    return SendErrorResponse(r, 0, nullptr, h, cache, command, md, MQRCCF_CFH_COMMAND_ERROR, 0, 0, 0, 0);
}
