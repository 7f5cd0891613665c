/* The authorities' records: the rights mask and queue masks every
 * location is given, the queue list and the minimum queue-prefix length,
 * and the menu commands removed.  The authorities file
 * (config/autfile.h) fills them; the dialogs and the commands consult
 * them. */
#pragma once

#include <cstdint>
#include "qms.h"

/* One queue mask (tag "QMSK"), in the order given. */
struct AUTQMASK {
    AUTQMASK *next;
    int32_t negate;
    int32_t length;
    char mask[QMS_NAME + 1];
};

/* Rights masks. */
#define AUT_ALL_DISPLAY 0x1101181101111101ull

extern uint64_t AutGlobalMask;
extern AUTQMASK *AutGlobalQueueMasks;
extern char AutQueueList[QMS_NAME + 1];
extern int32_t AutQueueListLength;
extern int32_t AutQueuePrefixMin;
extern uint64_t AutTotals;             /* union of every mask granted */

void AutApplyToLocation(QMS *location);
bool AutMenuAllowed(int32_t id);
bool AutMenuEnabled(int32_t id);
void AutAddMenuRestriction(int32_t id);
/* The disabled command ids in the order of their addition. */
int32_t AutMenuCount(void);
const int32_t *AutMenuIds(void);
void AutFreeMasks(AUTQMASK *masks);
/* Frees the global masks and the menu list and clears every record. */
void AutClearRecords(void);
