/* A queue's messages: one list in delivery order with the last message
 * of each priority remembered, so that a put, a step of a browse cursor
 * and a lookup by token cost the same on a deep queue as on a short one.
 * A removed message on which a browse cursor rests stays in the list,
 * marked gone, until the cursor moves on. */
#include "sim.h"

#include <cstdlib>
#include <cstring>

SimMsg *SimMsgNew(const MQMD *md, const void *data, MQLONG length)
{
    SimMsg *m = new SimMsg();
    m->md = *md;
    m->length = length;
    m->data = (MQBYTE *)malloc(length ? (size_t)length : 1);
    if (length)
        memcpy(m->data, data, (size_t)length);
    return m;
}

static void Link(SimQueue *q, SimMsg *m, SimMsg *after)
{
    m->prev = after;
    m->next = after ? after->next : q->head;
    if (m->next)
        m->next->prev = m;
    else
        q->tail = m;
    if (after)
        after->next = m;
    else
        q->head = m;
}

void SimMsgInsert(SimQueue *q, SimMsg *m, bool priorityOrder)
{
    int p = m->md.Priority < 0 ? 0 : m->md.Priority > 9 ? 9 : m->md.Priority;
    SimMsg *after = q->tail;
    if (priorityOrder) {
        after = nullptr;
        for (int i = p; i <= 9 && !after; i++)
            after = q->prioTail[i];
    }
    Link(q, m, after);
    q->prioTail[p] = m;
    q->depth++;
    q->enqCount++;
    if (q->depth > q->highDepth)
        q->highDepth = q->depth;
    q->byToken[m->token] = m;
}

static void Unlink(SimQueue *q, SimMsg *m)
{
    int p = m->md.Priority < 0 ? 0 : m->md.Priority > 9 ? 9 : m->md.Priority;
    if (q->prioTail[p] == m) {
        SimMsg *pr = m->prev;
        int pp = pr ? (pr->md.Priority < 0 ? 0 : pr->md.Priority > 9 ? 9 : pr->md.Priority) : -1;
        q->prioTail[p] = pp == p ? pr : nullptr;
    }
    if (m->prev)
        m->prev->next = m->next;
    else
        q->head = m->next;
    if (m->next)
        m->next->prev = m->prev;
    else
        q->tail = m->prev;
    free(m->data);
    delete m;
}

void SimMsgRemove(SimQueue *q, SimMsg *m)
{
    if (m->state == SIM_MSG_GONE)
        return;
    m->state = SIM_MSG_GONE;
    if (m->lockedBy) {        /* the lock goes with the message */
        m->lockedBy->locked = nullptr;
        m->lockedBy = nullptr;
    }
    q->depth--;
    q->deqCount++;
    q->byToken.erase(m->token);
    if (m->pins == 0)
        Unlink(q, m);
}

void SimMsgUnpin(SimQueue *q, SimMsg *m)
{
    if (--m->pins == 0 && m->state == SIM_MSG_GONE)
        Unlink(q, m);
}

void SimMsgFreeAll(SimQueue *q)
{
    SimMsg *m = q->head;
    while (m) {
        SimMsg *n = m->next;
        free(m->data);
        delete m;
        m = n;
    }
    q->head = q->tail = nullptr;
    memset(q->prioTail, 0, sizeof q->prioTail);
    q->byToken.clear();
    q->depth = 0;
}

bool SimMsgExpired(const SimMsg *m, int64_t now)
{
    return m->expireAt != 0 && now >= m->expireAt;
}
