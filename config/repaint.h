/* The announcement of a visual change to every window
 * (RepaintAllWindows): a pending mask of what to redo, carried out on the
 * user-interface thread through REPAINTHOOKS. */
#pragma once

#include <cstdint>
#include "colours.h"

/* What RepaintAllWindows and LocNotifyWindows ask of the windows. */
struct REPAINTHOOKS {
    void *context;
    /* message 11381 to the main frame */
    void (*postMainFrame)(void *ctx);
    /* on the user-interface thread: carry out a mask */
    void (*apply)(void *ctx, uint32_t mask);
    /* message 11228 with wParam 1 to a location's open window */
    void (*notifyWindow)(void *ctx, void *window);
};
void RepaintSetHooks(const REPAINTHOOKS *hooks);
const REPAINTHOOKS *RepaintHooks(void);

/* Adds its bits (and 0x1) to the pending mask; on the user-interface
 * thread the pending mask is carried out, elsewhere 11381 asks for that
 * (once per change of the pending mask). */
void RepaintAllWindows(uint32_t mask);
uint32_t RepaintPendingMask(void);
void LocNotifyWindows(void);
