/* The authorities file "RAVOLT.AUT": rights per location pattern, queue
 * lists and queue masks, the minimum queue-prefix length, and the menu
 * commands it removes, read into the records of autdata.h. */
#pragma once

#include <cstdint>
#include "autdata.h"
#include "locstore.h"
#include "prftext.h"

/* A row of the menu-removal table. */
struct AUTMENUROW {
    const char *keyword;
    int32_t id;
    int32_t second;        /* -1: the command's group; 0: none */
};

int AutLoad(void);
/* Loads from a given path (AutLoad: ConfigPath + "RAVOLT.AUT"). */
int AutLoadFile(const char *path);
int AutParseFile(PRFIN *in, char *token, int *tokenLength, uint64_t *mask,
                 uint32_t *reserved, AUTQMASK **queueMasks, char *queueList);
void AutAddMenuGroup(const AUTMENUROW *row);
void AutError(PRFIN *in, const char *text);
/* Forgets everything loaded (start of a load, and tests). */
void AutReset(void);
