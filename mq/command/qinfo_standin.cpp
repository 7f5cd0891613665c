/* Stand-in for the location timer's queue information (qinfo_standin.h):
 * a tree of queue records per location under global lock 1, updated in
 * place by inquiry replies, marked before and after an inquiry, and
 * pruned of what no reply renewed.  The real records replace this file. */
#include "qinfo_standin.h"

#include <cstddef>
#include <cstring>

#include "cs.h"

#define KEY (QMS_NAME + 1)

static CSTREE **TreeOf(QMS *r)
{
    return (CSTREE **)&r->objectCaches;
}

QINFO *LocAddQueueInfo(QINFO *in)
{
    if (!in || !in->location || !in->name[0])
        return nullptr;
    QMS *r = in->location;
    in->nameLength = (uint8_t)strlen(in->name);
    in->descLength = (uint8_t)strlen(in->description);
    char key[KEY] = "";
    memcpy(key, in->name, strnlen(in->name, QMS_NAME));
    memcpy(in->name, key, KEY);
    CSLockGlobal(CSLOCK_OBJECTS);
    QINFO *q = (QINFO *)CSTreeFind(*TreeOf(r), key, KEY);
    if (q && !(q->flags & QI_UNCONFIRMED) && !(q->flags & QI_REMOVE)) {
        CSUnlockGlobal(CSLOCK_OBJECTS);
        CSStringRelease(in->cluster);          /* a second entry of one inquiry */
        in->cluster = nullptr;
        return q;
    }
    if (!q) {
        QINFO image = *in;
        image.cluster = nullptr;
        q = (QINFO *)CSTreeAdd(TreeOf(r), "QINFO1", 0, &image, sizeof image, KEY);
        if (!q) {
            CSUnlockGlobal(CSLOCK_OBJECTS);
            CSStringRelease(in->cluster);
            in->cluster = nullptr;
            return nullptr;
        }
    } else {
        const char *old = q->cluster;
        size_t from = offsetof(QINFO, nameLength);
        memcpy((uint8_t *)q + from, (uint8_t *)in + from, sizeof *q - from);
        CSStringRelease(old);
    }
    q->cluster = in->cluster;
    in->cluster = nullptr;
    q->flags &= (uint16_t)~(QI_UNCONFIRMED | QI_REMOVE);
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return q;
}

/* Sets bits on every record whose name matches and that has need. */
static void Mark(QMS *r, const char *pattern, uint16_t need, uint16_t set)
{
    if (!r || !pattern)
        return;
    int n = (int)strlen(pattern);
    CSLockGlobal(CSLOCK_OBJECTS);
    for (QINFO *q = (QINFO *)CSTreeFirst(*TreeOf(r)); q; q = (QINFO *)q->tree.next)
        if ((q->flags & need) == need && UTWildMatch(q->name, q->nameLength, pattern, n))
            q->flags |= set;
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

void LocMarkQueues(QMS *r, const char *pattern)
{
    Mark(r, pattern, 0, QI_UNCONFIRMED);
}

void LocMarkObjectsByName(QMS *r, const char *pattern)
{
    Mark(r, pattern, QI_UNCONFIRMED, QI_REMOVE);
}

static void Release(CSTREE *e, void *)
{
    CSStringRelease(((QINFO *)e)->cluster);
}

void LocRefreshQueueInfo(QMS *r)
{
    if (!r)
        return;
    CSLockGlobal(CSLOCK_OBJECTS);
    for (QINFO *q = (QINFO *)CSTreeFirst(*TreeOf(r)), *next; q; q = next) {
        next = (QINFO *)q->tree.next;
        if ((q->flags & QI_REMOVE) && !(q->flags & QI_KEEP)) {
            CSTreeUnlink(TreeOf(r), &q->tree, KEY);
            Release(&q->tree, nullptr);
            CSFreeMem(q);
        }
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

QINFO *LocFindQueueInfo(QMS *r, const char *name)
{
    char key[KEY] = "";
    memcpy(key, name, strnlen(name, QMS_NAME));
    CSLockGlobal(CSLOCK_OBJECTS);
    QINFO *q = r ? (QINFO *)CSTreeFind(*TreeOf(r), key, KEY) : nullptr;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return q;
}

int32_t LocQueueInfoCount(QMS *r)
{
    int32_t n = 0;
    CSLockGlobal(CSLOCK_OBJECTS);
    for (CSTREE *e = r ? CSTreeFirst(*TreeOf(r)) : nullptr; e; e = e->next)
        n++;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return n;
}

void LocFreeQueueInfo(QMS *r)
{
    if (!r)
        return;
    CSLockGlobal(CSLOCK_OBJECTS);
    CSTreeFree(TreeOf(r), Release, nullptr);
    CSUnlockGlobal(CSLOCK_OBJECTS);
}
