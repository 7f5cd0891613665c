/* The default port of the native build: no user interface receives
 * anything; operational errors go to the trace. */
#include "engint.h"

#include "cstrace.h"

static int no_message(void *, void *, uint32_t, uintptr_t, void *, int)
{
    return 0;
}

static void trace_error(void *, void *, QMS *, uint32_t flags, const char *text)
{
    CSTrace(1, "Operational error (%u): %s\n", (unsigned)flags, text ? text : "");
}

extern const MQEPORT EngDefaultPort = { nullptr, no_message, trace_error };
