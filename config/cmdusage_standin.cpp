/* Stand-in for the context menu's usage table: the rows read from the
 * profile are kept in their order and written back as read, until the
 * shell's command table takes them. */
#include "cmdusage.h"
#include "cs.h"

struct USAGE {
    CSLISTELEM links;
    int32_t id, last, mean;
};

static CSLIST rows;

void SetCommandUsage(int32_t commandId, int32_t lastUse, int32_t meanInterval)
{
    for (CSLISTELEM *e = rows.first; e; e = e->next) {
        USAGE *u = (USAGE *)e;
        if (u->id == commandId) {
            u->last = lastUse;
            u->mean = meanInterval;
            return;
        }
    }
    USAGE u = { {}, commandId, lastUse, meanInterval };
    CSListAdd(&rows, "USAGE", 0, &u, sizeof u);
}

void WriteCommandUsage(PRFOUT *out)
{
    for (CSLISTELEM *e = rows.first; e; e = e->next) {
        USAGE *u = (USAGE *)e;
        if ((uint32_t)u->id != 0xFFFFFFFFu)
            PrfOutFormat(out, "(%d %d %d)", (int)u->id, (int)u->last, (int)u->mean);
    }
}

static void nothing(CSLISTELEM *, void *) {}

void FreeCommandUsage(void)
{
    if (rows.first)
        CSListFree(&rows, nothing, nullptr);
    rows = CSLIST{};
}
