/* Queue information of a location: marking before an inquiry, merging
 * each queue of a reply, and marking what the inquiry did not confirm.
 * The removal itself is LocRefreshQueueInfo (loccache.cpp). */
#include "loccache.h"
#include "locstore.h"
#include "cs.h"

#include <cstddef>
#include <cstring>

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

static const char *type_tag(uint32_t type)
{
    return type == 3 ? "QINFO2" : type == 6 ? "QINFO3" : "QINFO1";
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
    int plen = (int)strlen(pattern);
    for (CSTREE *e = c ? CSTreeFirst(c->queues) : nullptr; e; e = e->next) {
        QINFO *q = (QINFO *)e;
        if (UTWildMatch(q->name, (int)strlen(q->name), pattern, plen))
            q->flags |= QI_UNCONFIRMED;
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

void LocMarkObjectsByName(const char *pattern, QMS *r)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    int plen = (int)strlen(pattern);
    for (CSTREE *e = c ? CSTreeFirst(c->queues) : nullptr; e; e = e->next) {
        QINFO *q = (QINFO *)e;
        if ((q->flags & QI_UNCONFIRMED) &&
            UTWildMatch(q->name, (int)strlen(q->name), pattern, plen)) {
            q->flags |= QI_REMOVE;
            r->caches[2].count++;
        }
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

QINFO *LocAddQueueInfoRec(QMS *r, const QINFO *in)
{
    size_t attrs = QInfoAttrSize(in->type);
    LOCCACHES *c = LocCaches(r);
    if (!attrs || !c)
        return nullptr;
    size_t size = offsetof(QINFO, attrs) + attrs;
    QINFO *q = (QINFO *)CSTreeAdd(&c->queues, type_tag(in->type), CSTREE_NORENUM, in, size,
                                  QINFO_KEY);
    if (!q)
        return nullptr;
    q->location = r;
    r->caches[2].count++;
    return q;
}

/* A record of another type takes the old one's place: its line words and
 * cross references move over; the old one waits on the freed list. */
static QINFO *replace_type(QMS *r, QINFO *old, const QINFO *in)
{
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    CSTreeUnlink(&c->queues, &old->tree, QINFO_KEY);
    QINFO *q = LocAddQueueInfoRec(r, in);
    if (!q) {
        CSLINK *links = old->tree.links;
        CSTreeAdd(&c->queues, type_tag(old->type), CSTREE_INSERT | CSTREE_NORENUM, old,
                  offsetof(QINFO, attrs) + QInfoAttrSize(old->type), QINFO_KEY);
        old->tree.links = links;
        return nullptr;
    }
    q->text = old->text;
    old->text = nullptr;
    memcpy(q->line, old->line, sizeof q->line);
    q->flags = old->flags;
    CSLINK *l;
    while ((l = CSLinkNext(old, LOCOBJ_LINK, nullptr)) != nullptr) {
        void *other = l->first == old ? l->second : l->first;
        uint32_t value = l->value;
        CSLinkRemove(l);
        CSLinkAdd(q, other, LOCOBJ_LINK, value);
        r->caches[2].count++;
    }
    LocFreeLater(old, 1);
    return q;
}

QINFO *LocAddQueueInfo(QINFO *in)
{
    QMS *r = in->location;
    in->nameLength = (uint8_t)strnlen(in->name, QMS_NAME);
    in->descLength = (uint8_t)strnlen(in->desc, 64);
    CSLockGlobal(CSLOCK_OBJECTS);
    QINFO *q = LocFindQueueInfo(r, in->name);
    int change = 0;
    if (!q) {
        q = LocAddQueueInfoRec(r, in);
        if (q)
            q->flags &= ~QI_UNCONFIRMED;
        else
            CSStringSet(&in->text, nullptr, 0);
        in->text = nullptr;              /* the kept record holds it now */
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return q;
    }
    if (q->flags & QI_KEEP) {
        q->flags &= ~QI_KEEP;
        change = 1;
    }
    if (!(q->flags & QI_UNCONFIRMED)) {
        CSStringSet(&in->text, nullptr, 0);
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return q;
    }
    if (q->type != in->type) {
        QINFO *fresh = replace_type(r, q, in);
        if (!fresh) {
            CSStringSet(&in->text, nullptr, 0);
            CSUnlockGlobal(CSLOCK_OBJECTS);
            return nullptr;
        }
        q = fresh;
        change = 1;
    }
    size_t attrs = QInfoAttrSize(q->type);
    if (q->text != in->text)
        change = 1;
    if (q->descLength != in->descLength || memcmp(q->desc, in->desc, sizeof q->desc)) {
        memcpy(q->desc, in->desc, sizeof q->desc);
        q->descLength = in->descLength;
        change = 1;
    }
    /* the current depth leads a local queue's block: it is a value, as
       its depth class is, and never makes the queue a changed entry */
    size_t from = (q->type == 1 || q->type == 2) ? offsetof(QATTRLOCAL, maxDepth) : 0;
    if (memcmp(q->attrs + from, in->attrs + from, attrs - from)) {
        memcpy(q->attrs + from, in->attrs + from, attrs - from);
        change = 1;
    }
    if (from && (memcmp(q->attrs, in->attrs, from) || q->depthClass != in->depthClass)) {
        memcpy(q->attrs, in->attrs, from);
        q->depthClass = in->depthClass;
        r->caches[2].values++;
    }
    /* the incoming record's reference moves into the kept record */
    if (q->text != in->text) {
        CSStringRelease(q->text);
        q->text = in->text;
    } else {
        CSStringSet(&in->text, nullptr, 0);
    }
    in->text = nullptr;
    /* whether the depth class is known goes with the depth: a value too */
    if (!change && ((q->flags ^ in->flags) & ~(0xFu | QI_DEPTHKNOWN)) == 0) {
        q->flags = (uint16_t)((q->flags & ~QI_DEPTHKNOWN) | (in->flags & QI_DEPTHKNOWN));
        q->flags &= ~QI_UNCONFIRMED;
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return q;
    }
    q->flags = (uint16_t)((q->flags & 0xF) | (in->flags & ~0xFu));
    r->caches[2].count++;
    q->flags &= ~QI_UNCONFIRMED;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return q;
}
