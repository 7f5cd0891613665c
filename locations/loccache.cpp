/* The cached object lists of a location (kinds 1 and 3 to 7): adding
 * entries, the refresh family that removes stale entries on the
 * user-interface thread, the same-name chains of kind 7, and freeing
 * everything a location caches. */
#include "loccache.h"
#include "locstore.h"
#include "cs.h"

#include <cstring>
#include <initializer_list>

extern LOCTIMERHOOKS locTimerHooks;

#define BATCH_CHANGES 11               /* entries changes that batch the redraw;
                                          values are redrawn line by line */

/* ---- small helpers -------------------------------------------------- */

int LocOnUiThread(void)
{
    return !LocGlobals.uiThread || CSGetThreadId() == LocGlobals.uiThread;
}

static void post_frame(uint32_t message, QMS *r)
{
    if (locTimerHooks.postFrame)
        locTimerHooks.postFrame(locTimerHooks.context, message, r);
}

static void batch(int begin)
{
    const LOCHOOKS *h = LocHooks();
    void (*fn)(void *) = begin ? h->beginBatch : h->endBatch;
    if (fn)
        fn(h->context);
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

static int key_length(int kind)
{
    return (kind == 1 || kind == 5) ? 20 : QMS_NAME;
}

LOCOBJ *LocAddObject(QMS *r, int kind, const LOCOBJ *templ, size_t size)
{
    LOCCACHES *c = LocCaches(r);
    if (!c || kind < 1 || kind > 6 || kind == 2 || size < sizeof(LOCOBJ))
        return nullptr;
    return (LOCOBJ *)CSTreeAdd(&c->lists[kind], "LOCOBJ", CSTREE_NORENUM, templ, size,
                               key_length(kind));
}

LOCGROUPENT *LocAddGroupEntry(QMS *r, const char *name)
{
    LOCCACHES *c = LocCaches(r);
    if (!c)
        return nullptr;
    LOCGROUPENT g;
    memset(&g, 0, sizeof g);
    memcpy(g.name, name, strnlen(name, QMS_NAME));
    CSTREE *found = CSTreeFind(c->groups, g.name, QMS_NAME);
    if (found)
        return (LOCGROUPENT *)found;
    return (LOCGROUPENT *)CSTreeAdd(&c->groups, "LOCGROUP", CSTREE_NORENUM, &g, sizeof g,
                                    QMS_NAME);
}

LOCMEMBER *LocAddMember(QMS *r, LOCGROUPENT *group, const LOCMEMBER *templ)
{
    (void)r;
    LOCMEMBER *m = (LOCMEMBER *)CSTreeAdd(&group->members, "LOCMEMBER", CSTREE_NORENUM,
                                          templ, sizeof *templ, LOCMEMBER_KEY);
    if (m) {
        m->group = group;
        m->head = nullptr;
        m->nextSame = nullptr;
    }
    return m;
}

LOCNAMED *LocAddNamed(QMS *r, const char *name)
{
    LOCCACHES *c = LocCaches(r);
    if (!c)
        return nullptr;
    LOCNAMED n;
    memset(&n, 0, sizeof n);
    memcpy(n.name, name, strnlen(name, QMS_NAME));
    return (LOCNAMED *)CSTreeAdd(&c->named, "LOCNAMED", CSTREE_NORENUM, &n, sizeof n,
                                 QMS_NAME);
}

/* ---- removal steps -------------------------------------------------- */

/* Drops an entry's cross references, counting each as an entries change
 * of the block of a kind. */
static void release_links(QMS *r, void *entry, int kind)
{
    CSLINK *l;
    while ((l = CSLinkNext(entry, LOCOBJ_LINK, nullptr)) != nullptr) {
        CSLinkRemove(l);
        r->caches[kind].count++;
    }
}

static void release_object(QMS *r, LOCOBJ *o, int kind)
{
    switch (kind) {
    case 1: case 5:
        if (o->typeWord == 6) {
            release_links(r, o, 5);
            break;
        }
        CSStringSet(&o->shared, nullptr, 0);
        release_links(r, o, 1);
        break;
    case 3:
        for (int i = 0; i < o->nameCount; i++)
            CSStringSet(&o->names[i], nullptr, 0);
        CSFreeMemAndClear(&o->names);
        o->nameCount = 0;
        release_links(r, o, kind);
        break;
    case 6:
        CSStringSet(&o->shared, nullptr, 0);
        release_links(r, o, kind);
        break;
    default:
        release_links(r, o, kind);
        break;
    }
}

/* ---- the refresh family --------------------------------------------- */

/* The part every refresh shares: off the user-interface thread the work
 * is only recorded and posted.  1 when the list is to be walked here,
 * -1 when the frame was asked to do it, 0 when nothing changed. */
static int refresh_begin(QMS *r, int kind, uint32_t message, int *batched)
{
    QMSCACHE *b = &r->caches[kind];
    *batched = 0;
    if (!LocOnUiThread()) {
        if (b->count)
            r->entriesChanged = 1;
        if (b->values)
            r->valuesChanged = 1;
        if (!b->count && !b->values)
            return 0;
        post_frame(message, r);
        return -1;
    }
    if ((b->flags & 0x2) || (!(b->flags & 0x4) && !b->count && !b->values))
        return 0;
    if ((b->flags & 0x4) || b->count >= BATCH_CHANGES) {
        *batched = 1;
        batch(1);
    }
    b->flags &= ~0x4u;
    b->count = b->values = 0;
    return 1;
}

/* Removes the stale entries of a list of kind 1 or 3 to 6. */
static int refresh_list(QMS *r, int kind, uint32_t message)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    int batched;
    if (refresh_begin(r, kind, message, &batched) <= 0) {
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return 0;
    }
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    CSTREE **tree = c ? &c->lists[kind] : nullptr;
    /* from the last: each removal renumbers the entries after it, and
       those still to be walked are then not among them */
    for (CSTREE *e = tree ? CSTreeLast(*tree) : nullptr, *prev; e; e = prev) {
        prev = e->prev;
        LOCOBJ *o = (LOCOBJ *)e;
        if (!(o->flags & LOCOBJ_STALE))
            continue;
        release_object(r, o, kind);
        CSTreeUnlink(tree, e, key_length(kind));
        LocFreeLater(e, 1);
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
    if (batched)
        batch(0);
    return 0;
}

int LocRefreshListB(QMS *r) { return refresh_list(r, 1, FRM_LISTB); }
int LocRefreshListC(QMS *r) { return refresh_list(r, 5, FRM_LISTC); }
int LocRefreshListD(QMS *r) { return refresh_list(r, 3, FRM_LISTD); }
int LocRefreshListE(QMS *r) { return refresh_list(r, 4, FRM_LISTE); }
int LocRefreshListF(QMS *r) { return refresh_list(r, 6, FRM_LISTF); }

static void release_text(const char **slot)
{
    CSStringSet(slot, nullptr, 0);
}

/* The start-up queue of "-m" opens after every refresh of its location's
 * queue information, an unchanged one too: on the user-interface thread
 * now, from another through the frame's message (unless the refresh
 * posted it already). */
static void startup_queue(QMS *r, int posted)
{
    if (r != LocStartupLocation)
        return;
    if (!LocOnUiThread()) {
        if (!posted)
            post_frame(FRM_QINFO, r);
    } else if (locTimerHooks.openStartupQueue) {
        locTimerHooks.openStartupQueue(locTimerHooks.context, r);
    }
}

int LocRefreshQueueInfo(QMS *r)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    int batched;
    int begun = refresh_begin(r, 2, FRM_QINFO, &batched);
    if (begun <= 0) {
        CSUnlockGlobal(CSLOCK_OBJECTS);
        startup_queue(r, begun < 0);
        return 0;
    }
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    for (CSTREE *e = c ? CSTreeLast(c->queues) : nullptr, *prev; e; e = prev) {   /* as above */
        prev = e->prev;
        QINFO *q = (QINFO *)e;
        if (!(q->flags & QI_REMOVE) || (q->flags & QI_KEEP))
            continue;
        release_text(&q->text);
        release_links(r, q, 2);
        CSTreeUnlink(&c->queues, e, QMS_NAME + 1);
        LocFreeLater(e, 1);
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
    if (batched)
        batch(0);
    startup_queue(r, 1);
    LocFlushFreed();
    return 0;
}

/* ---- kind 7: groups, members and same-name chains ------------------- */

typedef void (*MEMBERFUNC)(LOCMEMBER *m, void *ctx);

static void each_member(LOCCACHES *c, MEMBERFUNC fn, void *ctx)
{
    for (CSTREE *g = CSTreeFirst(c->groups); g; g = g->next)
        for (CSTREE *e = CSTreeFirst(((LOCGROUPENT *)g)->members), *next; e; e = next) {
            next = e->next;
            fn((LOCMEMBER *)e, ctx);
        }
}

struct PASS {
    QMS *r;
    LOCCACHES *c;
    LOCNAMED *named;
    LOCMEMBER *found;
    LOCMEMBER *member;
};

static void mark_changed(QMS *r, LOCMEMBER *m)
{
    m->flags |= LOCM_CHANGED;
    r->caches[7].count++;
}

static void forget_named(LOCMEMBER *m, void *ctx)
{
    PASS *p = (PASS *)ctx;
    if (m->named == p->named) {
        m->named = nullptr;
        mark_changed(p->r, m);
    }
}

/* the first other chained member of the same name */
static void find_same(LOCMEMBER *m, void *ctx)
{
    PASS *p = (PASS *)ctx;
    if (!p->found && m != p->member && m->head && !(m->flags & LOCM_FREED) &&
        memcmp(m->key, p->member->key, QMS_NAME) == 0)
        p->found = m;
}

static void join_chain(PASS *p, LOCMEMBER *m)
{
    p->member = m;
    p->found = nullptr;
    each_member(p->c, find_same, p);
    if (!p->found) {
        m->head = m;
        m->nextSame = nullptr;
    } else {
        LOCMEMBER *last = p->found->head;
        while (last->nextSame)
            last = last->nextSame;
        last->nextSame = m;
        m->head = p->found->head;
        m->nextSame = nullptr;
    }
    m->flags &= ~LOCM_CHAIN;
}

static int attributes_differ(const LOCMEMBER *a, const LOCMEMBER *b)
{
    return a->sharedName != b->sharedName || memcmp(a->values, b->values, sizeof a->values) ||
           (a->flagWord & 0x3000) != (b->flagWord & 0x3000) ||
           memcmp(a->values64, b->values64, sizeof a->values64);
}

static void pass_attributes(QMS *r, LOCMEMBER *head)
{
    for (LOCMEMBER *x = head->head ? head->head : head; x; x = x->nextSame) {
        if (x == head || !attributes_differ(x, head))
            continue;
        CSStringSet(&x->sharedName, head->sharedName, -1);
        memcpy(x->values, head->values, sizeof x->values);
        x->flagWord = (x->flagWord & ~0x3000u) | (head->flagWord & 0x3000u);
        memcpy(x->values64, head->values64, sizeof x->values64);
        mark_changed(r, x);
    }
    head->flags &= ~LOCM_PASS;
}

static void leave_chain(QMS *r, LOCMEMBER *m)
{
    LOCMEMBER *head = m->head;
    if (!head)
        return;
    if (head == m) {
        LOCMEMBER *newHead = m->nextSame;
        for (LOCMEMBER *x = newHead; x; x = x->nextSame) {
            x->head = newHead;
            mark_changed(r, x);
        }
    } else {
        for (LOCMEMBER *x = head; x; x = x->nextSame)
            if (x->nextSame == m) {
                x->nextSame = m->nextSame;
                break;
            }
        for (LOCMEMBER *x = head; x; x = x->nextSame)
            mark_changed(r, x);
    }
    m->head = m->nextSame = nullptr;
}

static void remove_member(QMS *r, LOCMEMBER *m)
{
    leave_chain(r, m);
    for (CSTREE *&ref : m->refs)
        CSTreeFree(&ref, nullptr, nullptr);
    m->flags |= LOCM_FREED;
    CSStringSet(&m->sharedName, nullptr, 0);
    CSTreeUnlink(&m->group->members, &m->tree, LOCMEMBER_KEY);
    r->caches[7].count++;
    LocFreeLater(m, 1);
}

static void chain_member(LOCMEMBER *m, void *ctx)
{
    if (m->flags & LOCM_CHAIN)
        join_chain((PASS *)ctx, m);
}

/* with every chain established: attributes passed on, stale members gone */
static void settle_member(LOCMEMBER *m, void *ctx)
{
    PASS *p = (PASS *)ctx;
    if ((m->flags & LOCM_PASS) && m->head == m)
        pass_attributes(p->r, m);
    if (m->flags & LOCM_STALE)
        remove_member(p->r, m);
}

int LocRefreshListA(QMS *r)
{
    CSLockGlobal(CSLOCK_OBJECTS);
    int batched;
    if (refresh_begin(r, 7, FRM_LISTA, &batched) <= 0) {
        CSUnlockGlobal(CSLOCK_OBJECTS);
        return 0;
    }
    PASS p = { r, (LOCCACHES *)r->objectCaches, nullptr, nullptr, nullptr };
    for (int changes = 1; p.c && changes;) {
        uint32_t before = r->caches[7].count;
        for (CSTREE *e = CSTreeLast(p.c->named), *prev; e; e = prev) {     /* as above */
            prev = e->prev;
            LOCNAMED *n = (LOCNAMED *)e;
            if (!(n->flags & LOCOBJ_STALE))
                continue;
            p.named = n;
            each_member(p.c, forget_named, &p);
            CSTreeUnlink(&p.c->named, e, QMS_NAME);
            r->caches[7].count++;
            LocFreeLater(e, 1);
        }
        each_member(p.c, chain_member, &p);
        each_member(p.c, settle_member, &p);
        changes = r->caches[7].count != before;
    }
    r->caches[7].count = 0;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    if (batched)
        batch(0);
    if (locTimerHooks.markDialogsStale)
        locTimerHooks.markDialogsStale(locTimerHooks.context, r, 10200);
    LocSetStatus(r, 0, 0, 0);
    if (r->entriesChanged) {
        r->entriesChanged = 0;
        post_frame(FRM_TOUCH, r);
    }
    if (r->openWindow && locTimerHooks.postWindow)
        locTimerHooks.postWindow(locTimerHooks.context, r->openWindow, LOCMSG_WINDOW);
    return 0;
}

/* ---- freeing everything ----------------------------------------------- */

struct FREECTX {
    QMS *r;
    int kind;
};

static void free_object(CSTREE **, CSTREE *e, void *ctx)
{
    FREECTX *f = (FREECTX *)ctx;
    if (f->kind == 2)
        release_text(&((QINFO *)e)->text);
    else
        release_object(f->r, (LOCOBJ *)e, f->kind);
    LocFreeLater(e, 1);
}

static void free_member(CSTREE **, CSTREE *e, void *)
{
    LOCMEMBER *m = (LOCMEMBER *)e;
    for (CSTREE *&ref : m->refs)
        CSTreeFree(&ref, nullptr, nullptr);
    CSStringSet(&m->sharedName, nullptr, 0);
    m->flags |= LOCM_FREED;
    LocFreeLater(e, 1);
}

static void free_group(CSTREE **, CSTREE *e, void *)
{
    CSTreeWalk(&((LOCGROUPENT *)e)->members, free_member, nullptr);
    LocFreeLater(e, 1);
}

static void free_named(CSTREE **, CSTREE *e, void *)
{
    LocFreeLater(e, 1);
}

void LocFreeCache(QMS *r, int alsoSettings)
{
    if (alsoSettings && r->clientSettings && locTimerHooks.freeClientSettings)
        locTimerHooks.freeClientSettings(locTimerHooks.context, r);
    CSLockGlobal(CSLOCK_OBJECTS);
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    if (c) {
        FREECTX f = { r, 2 };
        CSTreeWalk(&c->queues, free_object, &f);
        for (int kind : { 1, 3, 4, 5, 6 }) {
            f.kind = kind;
            CSTreeWalk(&c->lists[kind], free_object, &f);
        }
        CSTreeWalk(&c->groups, free_group, nullptr);
        CSTreeWalk(&c->named, free_named, nullptr);
        r->objectCaches = nullptr;
        CSFreeMem(c);
    }
    memset(r->caches, 0, sizeof r->caches);
    CSUnlockGlobal(CSLOCK_OBJECTS);
    const LOCRELEASEHOOKS *release = LocReleaseHooks();
    if (r->dialogs && release->freeDialogs)
        release->freeDialogs(release->context, &r->dialogs);
    if (locTimerHooks.freeDownloadData)
        locTimerHooks.freeDownloadData(locTimerHooks.context, r);
    CSFreeMemAndClear(&r->lastError);
    while (r->mqscCommands.first)
        CSListRemove(r->mqscCommands.first);
}
