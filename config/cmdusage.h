/* How often the commands of the location context menu are used, as the
 * profile's "MNU:" section keeps it. */
#pragma once

#include <cstdint>
#include <cstdio>
#include "prftext.h"

/* The row of the command id takes its last use and mean interval. */
void SetCommandUsage(int32_t commandId, int32_t lastUse, int32_t meanInterval);
/* "(%d %d %d)" for each row. */
void WriteCommandUsage(PRFOUT *out);
void FreeCommandUsage(void);
