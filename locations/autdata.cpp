/* The authorities' records the program consults: the rights and queue
 * masks given to every location, the queue list and prefix length, and
 * the menu commands removed.  The authorities file (config/autfile.cpp)
 * fills them. */
#include "autdata.h"
#include "cs.h"

#include <cstring>

uint64_t AutGlobalMask;
AUTQMASK *AutGlobalQueueMasks;
char AutQueueList[QMS_NAME + 1];
int32_t AutQueueListLength;
int32_t AutQueuePrefixMin;
uint64_t AutTotals;

/* The disabled-menu list (tag "MENUR"): capacity, count, ids. */
struct MENUR {
    int32_t capacity;
    int32_t count;
    int32_t ids[1];
};
static MENUR *menuList;

void AutFreeMasks(AUTQMASK *m)
{
    while (m) {
        AUTQMASK *next = m->next;
        CSFreeMem(m);
        m = next;
    }
}

void AutAddMenuRestriction(int32_t id)
{
    if (menuList)
        for (int32_t i = 0; i < menuList->count; i++)
            if (menuList->ids[i] == id)
                return;
    if (!menuList || menuList->count == menuList->capacity) {
        int32_t capacity = menuList ? menuList->capacity + 100 : 100;
        MENUR *n = (MENUR *)CSGetMem(sizeof(MENUR) + sizeof(int32_t) * capacity, "MENUR");
        if (!n)
            return;
        n->capacity = capacity;
        n->count = 0;
        if (menuList) {
            n->count = menuList->count;
            memcpy(n->ids, menuList->ids, sizeof(int32_t) * menuList->count);
            CSFreeMem(menuList);
        }
        menuList = n;
    }
    menuList->ids[menuList->count++] = id;
}

bool AutMenuAllowed(int32_t id)
{
    if (menuList)
        for (int32_t i = 0; i < menuList->count; i++)
            if (menuList->ids[i] == id)
                return false;
    return true;
}

bool AutMenuEnabled(int32_t id)
{
    return AutMenuAllowed(id);
}

int32_t AutMenuCount(void) { return menuList ? menuList->count : 0; }
const int32_t *AutMenuIds(void) { return menuList ? menuList->ids : nullptr; }

void AutApplyToLocation(QMS *r)
{
    r->authMask = AutGlobalMask;
    r->queueMasks = AutGlobalQueueMasks;
    AutTotals |= AutGlobalMask;
}

void AutClearRecords(void)
{
    AutFreeMasks(AutGlobalQueueMasks);
    AutGlobalQueueMasks = nullptr;
    CSFreeMemAndClear(&menuList);
    AutGlobalMask = 0;
    AutTotals = 0;
    AutQueueList[0] = 0;
    AutQueueListLength = 0;
    AutQueuePrefixMin = 0;
}
