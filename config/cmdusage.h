/* How often the commands of the location context menu are used, as the
 * profile's "MNU:" section keeps it. */
#pragma once

#include <cstdint>
#include <cstdio>
#include "prftext.h"

/* The context menu's command table, installed by the shell: set gives a
 * row its last use and mean interval, text writes "(%d %d %d)" of each
 * row through put. */
struct CMDUSAGEHOOKS {
    void (*set)(int32_t commandId, int32_t lastUse, int32_t meanInterval);
    void (*text)(void (*put)(void *ctx, const char *text), void *ctx);
};
void CmdUsageSetHooks(const CMDUSAGEHOOKS *hooks);
const CMDUSAGEHOOKS *CmdUsageHooks(void);
/* A row read from the profile: to the command table, or kept. */
void PrfCommandUsage(int32_t commandId, int32_t lastUse, int32_t meanInterval);
/* "(%d %d %d)" for each row. */
void WriteCommandUsage(PRFOUT *out);
void FreeCommandUsage(void);
