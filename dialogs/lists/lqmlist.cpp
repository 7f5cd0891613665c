/* The list records of a dialog that lists the objects of several queue
 * managers: one record per location the definition applies to, kept in
 * name order (case aside), the dialog's own one embedded and selected,
 * records of locations that went freed (never the embedded one). */
#include "pcflists.h"
#include "../pcfint.h"

#include "cs.h"
#include "locstore.h"
#include "mq/capability.h"

#ifdef _WIN32
#define strcasecmp _stricmp
#else
#include <strings.h>
#endif

static const char *NameOf(const PCFLISTREQ *r)
{
    return r->location ? r->location->qmName : "";
}

static void Insert(DialogWords *d, PCFLISTREQ *r)
{
    PCFLISTREQ **at = &d->lists;
    while (*at && strcasecmp(NameOf(*at), NameOf(r)) < 0)
        at = &(*at)->next;
    r->next = *at;
    *at = r;
}

struct Walk {
    DialogWords *d;
    int changed, failed;
};

static void Visit(QMS *q, void *ctx)
{
    Walk *w = (Walk *)ctx;
    DialogWords *d = w->d;
    if (w->failed || !CapTest(nullptr, q->caps, d->definition))
        return;
    for (PCFLISTREQ *r = d->lists; r; r = r->next)
        if (r->location == q) {
            r->flags &= ~(uint32_t)PCFLR_REMOVE;
            return;
        }
    PCFLISTREQ *r = q == d->first.location ? &d->first : (PCFLISTREQ *)CSGetMem(sizeof *r, "QMSREQ");
    if (!r) {
        w->failed = 1;
        return;
    }
    if (r != &d->first) {
        memset(r, 0, sizeof *r);
        r->location = q;
        r->caps = q->caps;
    }
    r->flags &= ~(uint32_t)PCFLR_REMOVE;
    Insert(d, r);
    w->changed = 1;
}

static void FreeRecord(DialogWords *d, PCFLISTREQ *r, void (*beforeFree)(DialogWords *, PCFLISTREQ *))
{
    if (beforeFree)
        beforeFree(d, r);
    ReleaseRefBlock(&r->filling);
    ReleaseRefBlock(&r->replyArea);
    ReleaseRefBlock(&r->rebuilt);
    if (r->ownsColumns)
        PCFReleaseColumns(r->columns);
    CSFreeMem(r);
}

int PCFBuildQmListCore(DialogWords *d, void (*beforeFree)(DialogWords *, PCFLISTREQ *))
{
    d->first.flags |= PCFLR_SELECTED;
    if (!d->definition || !(d->definition->flags & PCFD_QMLIST))
        return 0;
    if (!d->lists) {
        d->first.next = nullptr;
        d->lists = &d->first;
    }
    for (PCFLISTREQ *r = d->lists; r; r = r->next)
        r->flags |= PCFLR_REMOVE;
    Walk w = { d, 0, 0 };
    LocLockStore();
    LocForEach(LocTree, Visit, &w);
    LocUnlockStore();
    d->first.flags &= ~(uint32_t)PCFLR_REMOVE;
    for (PCFLISTREQ **p = &d->lists; *p;) {
        PCFLISTREQ *r = *p;
        if (!(r->flags & PCFLR_REMOVE)) {
            p = &r->next;
            continue;
        }
        *p = r->next;
        FreeRecord(d, r, beforeFree);
        w.changed = 1;
    }
    PCFCountSelectedLists(d);
    return w.changed;
}

void PCFFreeQmList(DialogWords *d)
{
    for (PCFLISTREQ *r = d->lists, *next; r; r = next) {
        next = r->next;
        if (r != &d->first && r != &d->second)
            FreeRecord(d, r, nullptr);
    }
    d->lists = nullptr;
}
