/* The name history: per name-history kind, the object names the user
 * typed, newest last, at most the preference's count. */
#include "pcfint.h"

#include "cs.h"

static CSLIST History[PCFH_KINDS];

static void Drop(CSLISTELEM *, void *) {}

static CSLISTELEM *Find(CSLIST *list, const char *name)
{
    for (CSLISTELEM *e = list->first; e; e = e->next)
        if (!strcmp((const char *)(e + 1), name))
            return e;
    return nullptr;
}

static void AddOne(const char *name, int kind)
{
    CSLIST *list = &History[kind];
    if (PcfPrefs.historyMax <= 0) {
        if (list->first)
            CSListFree(list, Drop, nullptr);
        memset(list, 0, sizeof *list);
        return;
    }
    CSLISTELEM *old = Find(list, name);
    if (old)
        CSListRemove(old);
    else
        while (list->first && CSListCount(list) >= PcfPrefs.historyMax)
            CSListRemove(list->first);
    CSListAdd(list, "NAMEHIST", CSLIST_COPYDATA, name, strlen(name) + 1);
}

void PCFHistoryAdd(const char *name, int kind)
{
    if (!name || kind <= 0 || kind >= PCFH_KINDS)
        return;
    AddOne(name, kind);
    if (kind == PCFH_XMITQ || kind == PCFH_INITQ)
        AddOne(name, PCFH_QUEUE);
}

int PCFHistoryCount(int kind)
{
    return kind > 0 && kind < PCFH_KINDS ? CSListCount(&History[kind]) : 0;
}

const char *PCFHistoryName(int kind, int index)
{
    if (kind <= 0 || kind >= PCFH_KINDS)
        return nullptr;
    for (CSLISTELEM *e = History[kind].first; e; e = e->next)
        if (index-- == 0)
            return (const char *)(e + 1);
    return nullptr;
}

void PCFHistoryClear(void)
{
    for (CSLIST &l : History) {
        if (l.first)
            CSListFree(&l, Drop, nullptr);
        memset(&l, 0, sizeof l);
    }
}
