/* Units of work of one message action: one per connection the action
 * touches besides its own, each holding that connection's lock while the
 * action lasts, committed or backed out together with the action's own. */
#include "engint.h"

#include <cstring>

#include "cs.h"
#include "progress.h"

static const char StorageText[] = "Unable to allocate storage";

UOW *FindUOW(MQACTION *a, QMS *r, MQHCONN hconn)
{
    for (UOW *u = a->units; u; u = u->next)
        if (u->location == r)
            return u;
    UOW *u = (UOW *)CSGetMem(sizeof *u, "UOW");
    if (!u) {
        MQEHooks.errorResponse(a->location, 0, a, a->hconn, a->cache, a->command, a->requestMD,
                               MQRC_STORAGE_NOT_AVAILABLE, 0, 0, MYPCFA_ERROR_MESSAGE_ID,
                               (intptr_t)StorageText);
        return nullptr;
    }
    memset(u, 0, sizeof *u);
    int side = hconn == r->getThread.hConn && hconn != r->putThread.hConn ? MQE_GETSIDE : MQE_PUTSIDE;
    u->side = side;
    u->locked = MQELockConnection(r, side);
    u->location = r;
    u->hconn = hconn;
    MQEConnection(r, side, &u->table, &u->cache);
    u->next = a->units;
    a->units = u;
    return u;
}

/* One MQCMIT or MQBACK, marked in the progress record. */
static MQLONG settle(MQACTION *a, MQIEntryTable *t, MQHCONN h, int commit)
{
    MQLONG cc, rc;
    ProgApiStart(a->progress, commit ? PROG_MQCMIT : PROG_MQBACK);
    if (commit)
        t->MQCMIT(h, &cc, &rc);
    else
        t->MQBACK(h, &cc, &rc);
    ProgApiEnd(a->progress);
    return cc == MQCC_FAILED ? rc : 0;
}

/* Commits one pending connection; a failure is answered to the
 * requester with the reason's name.  0 or the reason. */
static MQLONG commit_pending(MQACTION *a, MQIEntryTable *t, MQHCONN h, int32_t *pending)
{
    if (!*pending)
        return 0;
    MQLONG rc = settle(a, t, h, 1);
    if (rc) {
        char shown[200], text[260];
        EngFormat(text, sizeof text, "MQCMIT failed RC(%ld) %s", (long)rc, MQReasonShown(rc, shown, sizeof shown));
        MQEHooks.errorResponse(a->location, 0, a, a->hconn, a->cache, a->command, a->requestMD, rc,
                               0, 0, MYPCFA_ERROR_MESSAGE_ID, (intptr_t)text);
    } else {
        *pending = 0;
    }
    return rc;
}

int CommitAllUOW(MQACTION *a)
{
    for (UOW *u = a->units; u; u = u->next) {
        MQLONG rc = commit_pending(a, u->table, u->hconn, &u->pending);
        if (rc)
            return rc;
    }
    return commit_pending(a, a->table, a->hconn, &a->pending);
}

int BackoutAllUOW(MQACTION *a)
{
    MQLONG last = 0;
    for (UOW *u = a->units; u; u = u->next) {
        if (u->pending)
            last = settle(a, u->table, u->hconn, 0);
        u->pending = 0;
    }
    if (a->pending)
        last = settle(a, a->table, a->hconn, 0);
    a->pending = 0;
    return last;
}

void FreeAllUOW(MQACTION *a)
{
    while (a->units) {
        UOW *u = a->units;
        a->units = u->next;
        if (u->locked)
            MQEUnlockConnection(u->location, u->side);
        CSFreeMem(u);
    }
}
