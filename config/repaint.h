/* The announcement of a visual change to every window
 * (RepaintAllWindows): a pending mask of what to redo, carried out on the
 * user-interface thread through REPAINTHOOKS. */
#pragma once

#include <cstdint>
#include "colours.h"
#include "cfghooks.h"

/* Adds its bits (and 0x1) to the pending mask; on the user-interface
 * thread the pending mask is carried out, elsewhere 11381 asks for that
 * (once per change of the pending mask). */
void RepaintAllWindows(uint32_t mask);
uint32_t RepaintPendingMask(void);
void LocNotifyWindows(void);
