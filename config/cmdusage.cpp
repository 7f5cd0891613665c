/* The usage rows of the profile's "MNU:" section: handed to the context
 * menu's command table when the shell has installed it, else kept in
 * their order and written back as read, so a profile read without the
 * shell loses nothing. */
#include "cmdusage.h"
#include "cs.h"

struct USAGE {
    CSLISTELEM links;
    int32_t id, last, mean;
};

static CSLIST rows;
static CMDUSAGEHOOKS hooks;

void CmdUsageSetHooks(const CMDUSAGEHOOKS *table)
{
    hooks = table ? *table : CMDUSAGEHOOKS{};
}

const CMDUSAGEHOOKS *CmdUsageHooks(void)
{
    return &hooks;
}

void PrfCommandUsage(int32_t commandId, int32_t lastUse, int32_t meanInterval)
{
    if (hooks.set) {
        hooks.set(commandId, lastUse, meanInterval);
        return;
    }
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

static void put_row(void *ctx, const char *text)
{
    PrfOutFormat((PRFOUT *)ctx, "%s", text);
}

void WriteCommandUsage(PRFOUT *out)
{
    if (hooks.text) {
        hooks.text(put_row, out);
        return;
    }
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
