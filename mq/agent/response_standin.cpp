/* Stand-in for reply processing until it exists: replies and in-process
 * responses reach no dialog.  Tests put their own receiver in
 * MQEHooks.response. */
#include "agentint.h"

int ProcessResponse(QMS *, uint32_t, MQMD *, void *, uint32_t)
{
    return 0;
}
