/* Stand-in for the queue information of the location caches until they
 * land: records kept in a tree per location by name, marked before an
 * inquiry, merged from its replies and the unconfirmed ones removed at
 * its end.  The real caches replace this file and loccache.h. */
#include "loccache.h"

#include <cstring>

#include "cs.h"

#define QINFO_KEY (QMS_NAME + 1)

size_t QInfoAttrSize(uint32_t type)
{
    switch (type) {
    case 1: case 2: return 116;
    case 3: return 50;
    case 6: return 150;
    default: return 0;
    }
}

LOCCACHES *LocCaches(QMS *r)
{
    if (!r->objectCaches) {
        LOCCACHES *c = (LOCCACHES *)CSGetMem(sizeof(LOCCACHES), "LOCCACHES");
        if (!c)
            return nullptr;
        memset(c, 0, sizeof *c);
        r->objectCaches = c;
    }
    return (LOCCACHES *)r->objectCaches;
}

QINFO *LocFindQueueInfo(QMS *r, const char *name)
{
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    if (!c)
        return nullptr;
    char key[QINFO_KEY] = { 0 };
    memcpy(key, name, strnlen(name, QMS_NAME));
    return (QINFO *)CSTreeFind(c->queues, key, QINFO_KEY);
}

void LocMarkQueues(QMS *r, const char *pattern)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    for (CSTREE *e = c ? CSTreeFirst(c->queues) : nullptr; e; e = e->next) {
        QINFO *q = (QINFO *)e;
        if (UTWildMatch(q->name, (int)strlen(q->name), pattern, (int)strlen(pattern)))
            q->flags |= QI_UNCONFIRMED;
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

void LocMarkObjectsByName(const char *pattern, QMS *r)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    for (CSTREE *e = c ? CSTreeFirst(c->queues) : nullptr; e; e = e->next) {
        QINFO *q = (QINFO *)e;
        if ((q->flags & QI_UNCONFIRMED) &&
            UTWildMatch(q->name, (int)strlen(q->name), pattern, (int)strlen(pattern)))
            q->flags |= QI_REMOVE;
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

QINFO *LocAddQueueInfo(QINFO *in)
{
    QMS *r = in->location;
    size_t attrs = QInfoAttrSize(in->type);
    CSLockGlobal(CSLOCK_OBJECTS);
    QINFO *q = LocFindQueueInfo(r, in->name);
    if (q && q->type != in->type) {
        CSTreeDelete(&((LOCCACHES *)r->objectCaches)->queues, nullptr, nullptr, &q->tree, QINFO_KEY);
        q = nullptr;
    }
    LOCCACHES *c = LocCaches(r);
    if (!q && attrs && c)
        q = (QINFO *)CSTreeAdd(&c->queues, "QINFO1", CSTREE_NORENUM, in,
                               offsetof(QINFO, attrs) + attrs, QINFO_KEY);
    else if (q)
        memcpy((char *)q + sizeof(CSTREE), (const char *)in + sizeof(CSTREE),
               offsetof(QINFO, attrs) + attrs - sizeof(CSTREE));
    if (q) {
        q->location = r;
        q->flags &= ~(QI_UNCONFIRMED | QI_REMOVE);
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return q;
}

int LocRefreshQueueInfo(QMS *r)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    for (CSTREE *e = c ? CSTreeFirst(c->queues) : nullptr, *next; e; e = next) {
        next = e->next;
        if ((((QINFO *)e)->flags & QI_REMOVE) && !(((QINFO *)e)->flags & QI_KEEP))
            CSTreeDelete(&c->queues, nullptr, nullptr, e, QINFO_KEY);
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return 0;
}
