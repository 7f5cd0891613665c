/* The authorities file "RAVOLT.AUT": rights per location pattern, queue
 * lists and queue masks, the minimum queue-prefix length, and the menu
 * commands it removes. */
#pragma once

#include <cstdint>
#include "locstore.h"
#include "prftext.h"

/* One queue mask (tag "QMSK"), in the order given. */
struct AUTQMASK {
    AUTQMASK *next;
    int32_t negate;
    int32_t length;
    char mask[QMS_NAME + 1];
};

/* A row of the menu-removal table. */
struct AUTMENUROW {
    const char *keyword;
    int32_t id;
    int32_t second;        /* -1: the command's group; 0: none */
};

/* Rights masks. */
#define AUT_ALL_DISPLAY 0x1101181101111101ull

extern uint64_t AutGlobalMask;
extern AUTQMASK *AutGlobalQueueMasks;
extern char AutQueueList[QMS_NAME + 1];
extern int32_t AutQueueListLength;
extern int32_t AutQueuePrefixMin;
extern uint64_t AutTotals;             /* union of every mask granted */

int AutLoad(void);
/* Loads from a given path (AutLoad: ConfigPath + "RAVOLT.AUT"). */
int AutLoadFile(const char *path);
int AutParseFile(PRFIN *in, char *token, int *tokenLength, uint64_t *mask,
                 uint32_t *reserved, AUTQMASK **queueMasks, char *queueList);
void AutApplyToLocation(QMS *location);
bool AutMenuAllowed(int32_t id);
bool AutMenuEnabled(int32_t id);
void AutAddMenuRestriction(int32_t id);
void AutAddMenuGroup(const AUTMENUROW *row);
void AutError(PRFIN *in, const char *text);
/* The disabled command ids in the order of their addition. */
int32_t AutMenuCount(void);
const int32_t *AutMenuIds(void);
/* Forgets everything loaded (start of a load, and tests). */
void AutReset(void);
