/* How often the commands of the location context menu are used, as the
 * profile's "MNU:" section keeps it. */
#pragma once

#include <cstdint>
#include <cstdio>
#include "prftext.h"
#include "cfghooks.h"

/* A row read from the profile: to the command table, or kept. */
void PrfCommandUsage(int32_t commandId, int32_t lastUse, int32_t meanInterval);
/* "(%d %d %d)" for each row. */
void WriteCommandUsage(PRFOUT *out);
void FreeCommandUsage(void);
