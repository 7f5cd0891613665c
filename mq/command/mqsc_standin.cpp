/* Stand-in for the queued publish/subscribe replies until they exist: a
 * broker reply is dropped.  The real piece replaces this file. */
#include "cmdint.h"

void PSHandleReply(IFCMD *, uint32_t, const MQMD *, const uint8_t *, uint32_t)
{
}
