/* The debug window's writers without windows (the native build): the
 * window is never open, so nothing is dumped. */
#include "debugwin.h"

void DebugDumpMessage(QMS *, int, const tagMQMD *, const void *, int32_t)
{
}
