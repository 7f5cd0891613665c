/* The port: every message of the engine's worker threads to the user
 * interface, and every operational error, goes through one replaceable
 * pair of functions.  Also the program state word of the engine. */
#include "engint.h"

#include <atomic>

#include "cs.h"

MQEGLOBALS MQEGlobals;

/* The default port of the build (engport_win.cpp, engport_posix.cpp). */
extern const MQEPORT EngDefaultPort;

static MQEPORT port = EngDefaultPort;

/* Replaced only while no engine thread runs. */
void MQESetPort(const MQEPORT *p)
{
    port = p ? *p : EngDefaultPort;
}

const MQEPORT *MQEPort(void)
{
    return &port;
}

int MQEPostFrame(void *window, uint32_t message, uintptr_t wParam, void *lParam, int send)
{
    return port.message ? port.message(port.context, window, message, wParam, lParam, send) : 0;
}

int MQEPostBlock(void *window, uint32_t message, uintptr_t wParam, void *block, int send)
{
    int delivered = MQEPostFrame(window, message, wParam, block, send);
    if (!delivered && block)
        CSFreeMem(block);
    return delivered;
}

void MQEOpError(void *owner, QMS *location, uint32_t flags, const char *text)
{
    if (port.opError)
        port.opError(port.context, owner, location, flags, text);
}

uint32_t MQEProgramState(void)
{
    return std::atomic_ref<uint32_t>(MQEGlobals.programState).load();
}

void MQESetProgramState(uint32_t set, uint32_t clear)
{
    std::atomic_ref<uint32_t> word(MQEGlobals.programState);
    uint32_t old = word.load();
    while (!word.compare_exchange_weak(old, (old | set) & ~clear)) {
    }
}
