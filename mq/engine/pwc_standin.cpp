/* Stand-in for the password cache's lock and key-database passwords:
 * one recursive lock of the engine's own, and the list of remembered
 * key-database passwords without any file behind it. */
#include "kdbs_standin.h"

#include <cstring>

#include "cs.h"

static CSMUTEX cacheLock;
static KDBS *entries;

void PWCLock(uint32_t *token)
{
    if (token && *token)
        return;
    CSLockRecursive(&cacheLock, CS_WAIT_FOREVER);
    if (token)
        *token = 1;
}

void PWCUnlock(uint32_t *token)
{
    if (token && !*token)
        return;
    CSUnlockRecursive(&cacheLock);
    if (token)
        *token = 0;
}

int KDBFind(const char *file, KDBS **slot, int add)
{
    uint32_t token = 0;
    PWCLock(&token);
    KDBS *e = entries, *last = nullptr;
    while (e && strcmp(e->file, file) != 0) {
        last = e;
        e = e->next;
    }
    if (!e && add && strlen(file) < sizeof e->file) {
        e = (KDBS *)CSGetMem(sizeof *e, "KDBS");
        if (e) {
            memset(e, 0, sizeof *e);
            strcpy(e->file, file);
            if (last)
                last->next = e;
            else
                entries = e;
        }
    }
    if (slot)
        *slot = e;
    int known = e && e->password[0];
    PWCUnlock(&token);
    return known;
}

void KDBForgetAll(void)
{
    uint32_t token = 0;
    PWCLock(&token);
    while (entries) {
        KDBS *next = entries->next;
        CSFreeMem(entries);
        entries = next;
    }
    PWCUnlock(&token);
}
