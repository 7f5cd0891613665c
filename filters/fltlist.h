/* The named filters the profile and the shared filter file hold: the
 * local and the shared list, each sorted by name (FILKEY). */
#pragma once

#include <cstdint>
#include "cslist.h"

#define FILKEY_NAME 100                /* a name, at most 99 characters */

enum FilkeyFlags : uint32_t {
    FILKEY_LOCAL = 0x1,
    FILKEY_SHARED = 0x2,               /* exported to the shared filter file */
};

struct FILKEY {
    CSTREE tree;
    char name[FILKEY_NAME];            /* key */
    uint32_t flags;
    char *text;                        /* block "FILTER" */
};

extern CSTREE *FltLocalFilters;
extern CSTREE *FltSharedFilters;

/* Adds a copy of the entry to the local list (selector not 0, flag 0x1
 * set) or the shared list (selector 0, flag 0x1 cleared), replacing an
 * entry of the same name; the kept entry goes to *out.  0, or 1004. */
int FltAddFilter(const char *name, int selector, const FILKEY *entry, FILKEY **out);
void FltFreeLists(void);
