/* The event console's entries, shared by the console and its command. */
#pragma once

#include "agentint.h"

#define CSL_KEY 20                 /* bytes of the key: kind, date, time, uniquifier */

/* One entry (tag "CSL"): the object name (NUL-terminated) and the event
 * data follow it. */
struct CSLENTRY {
    CSTREE tree;
    struct {
        uint8_t kind;              /* the entry's priority or kind */
        char date[10];             /* local "YYYY-MM-DD" */
        char time[8];              /* local "HH.MM.SS" */
        uint8_t uniq;              /* raised until the key is unique */
    } key;
    QMS *location;
    int32_t event;
    int32_t id;
    int32_t nameLength;
    int32_t dataLength;
};
static_assert(sizeof(((CSLENTRY *)0)->key) == CSL_KEY, "the key is 20 bytes");

extern CSTREE *ConsoleTree;        /* under global lock 4 */
extern int32_t ConsoleEntries;

const char *ConsoleName(const CSLENTRY *entry);
const uint8_t *ConsoleData(const CSLENTRY *entry);
/* The tree's free callback: counts one entry fewer. */
void ConsoleFreeEntry(CSTREE *entry, void *context);
