/* The default port of the native build: there is no user interface, so
 * no message is received (the port has no message hook: MQEPostFrame
 * answers 0 and a block goes back to its sender); operational errors go
 * to the trace. */
#include "engint.h"

#include "cstrace.h"

static void trace_error(void *, void *, QMS *, uint32_t flags, const char *text)
{
    CSTrace(1, "Operational error (%u): %s\n", (unsigned)flags, text ? text : "");
}

extern const MQEPORT EngDefaultPort = { nullptr, nullptr, trace_error };
