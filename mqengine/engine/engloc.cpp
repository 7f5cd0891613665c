/* The engine's block of each location: made on first use, found through
 * the location's thread blocks; the connection locks; the thread state
 * words; the engine-wide lock of thread starts and request queues; and
 * the end of everything at program end. */
#include "engint.h"

#include <atomic>
#include <cstring>

#include "cs.h"

static CSMUTEX blocksLock;             /* the list of blocks */
static CSMUTEX threadsLock;            /* thread starts and ends, queue lives */
static MQELOC *blocks;

void EngLockThreads(void)
{
    CSLockRecursive(&threadsLock, CS_WAIT_FOREVER);
}

void EngUnlockThreads(void)
{
    CSUnlockRecursive(&threadsLock);
}

/* A record copied from another keeps that one's pointer: the block
 * names its owner, so a copy has none until it gets one of its own. */
MQELOC *MQELocFind(QMS *r)
{
    if (!r)
        return nullptr;
    MQELOC *e = (MQELOC *)std::atomic_ref<void *>(r->putThread.engine).load();
    return e && e->location == r ? e : nullptr;
}

MQELOC *MQELocOf(QMS *r)
{
    if (!r)
        return nullptr;
    MQELOC *e = MQELocFind(r);
    if (e)
        return e;
    CSLockRecursive(&blocksLock, CS_WAIT_FOREVER);
    e = (MQELOC *)r->putThread.engine;
    if (!e || e->location != r) {
        e = (MQELOC *)CSGetMem(sizeof *e, "MQELOC");
        if (e) {
            memset(e, 0, sizeof *e);
            e->location = r;
            e->maxUncommitted = 10000;
            e->replyHobj = MQHO_UNUSABLE_HOBJ;
            e->next = blocks;
            blocks = e;
            r->getThread.engine = e;
            std::atomic_ref<void *>(r->putThread.engine).store(e);
        }
    }
    CSUnlockRecursive(&blocksLock);
    return e;
}

/* The get side of a single-mode location is its put side. */
static int side_index(QMS *r, int side)
{
    if (side == MQE_GETSIDE && (MQEState(&r->putThread) & TS_SINGLE))
        return 0;
    return side == MQE_GETSIDE ? 1 : 0;
}

int MQELockConnection(QMS *r, int side)
{
    MQELOC *e = MQELocOf(r);
    return e ? CSLockRecursive(&e->lock[side_index(r, side)], CS_WAIT_FOREVER) : 0;
}

void MQEUnlockConnection(QMS *r, int side)
{
    MQELOC *e = MQELocOf(r);
    if (e)
        CSUnlockRecursive(&e->lock[side_index(r, side)]);
}

MQHCONN MQEConnection(QMS *r, int side, MQIEntryTable **table, void ***cache)
{
    MQELOC *e = MQELocOf(r);
    int i = side_index(r, side);
    QMSTHREAD *t = i ? &r->getThread : &r->putThread;
    if (table)
        *table = MQTableFor(MQEState(t) & TS_CLIENT);
    if (cache)
        *cache = e ? &e->cache[i] : nullptr;
    return std::atomic_ref<int32_t>(t->hConn).load();
}

int EngThreadBarred(QMS *r, QMSTHREAD *t)
{
    return (MQEState(t) & TS_RUNNING) || (r->status & LS_RESTARTING) || (r->flags & LF_FGN);
}

uint16_t MQEState(QMSTHREAD *t)
{
    return std::atomic_ref<uint16_t>(t->state).load();
}

void MQESetState(QMSTHREAD *t, uint16_t set, uint16_t clear)
{
    std::atomic_ref<uint16_t> word(t->state);
    uint16_t old = word.load();
    while (!word.compare_exchange_weak(old, (uint16_t)((old & ~clear) | set))) {
    }
}

int EngStartThreadOf(QMS *r, QMSTHREAD *t, int (*prepare)(MQELOC *), void (*proc)(void *),
                     void (*undo)(MQELOC *))
{
    MQELOC *e = MQELocOf(r);
    if (!e)
        return MQRC_STORAGE_NOT_AVAILABLE;
    EngLockThreads();
    int rc = 0;
    if (!(MQEState(t) & (TS_RUNNING | TS_STARTING))) {
        rc = prepare(e);
        if (!rc) {
            MQESetState(t, TS_STARTING, 0xFFFF);
            rc = EngStartThread(proc, r);
            if (rc) {
                MQESetState(t, 0, 0xFFFF);
                undo(e);
            }
        }
    }
    EngUnlockThreads();
    return rc;
}

/* ---- request queues ---- */

int EngQueueToPutThread(QMS *r, const ThreadRequest *request, void *block)
{
    MQELOC *e = MQELocOf(r);
    if (!e)
        return MQRC_STORAGE_NOT_AVAILABLE;
    EngLockThreads();
    int rc = e->queueOpen ? CSQueuePut(&e->requests, request, sizeof *request, (uint64_t)(uintptr_t)block) : -1;
    EngUnlockThreads();
    return rc;
}

void EngDrainQueue(CSITCQUEUE *queue)
{
    ThreadRequest request;
    uint64_t block = 0;
    while (CSQueueGet(queue, &request, sizeof request, &block, 0) == CSWAIT_DONE)
        if (block)
            CSFreeMem((void *)(uintptr_t)block);
    CSQueueDelete(queue);
}

/* Frees a block that nothing uses any more. */
static void free_block(MQELOC *e)
{
    QMS *r = e->location;
    if (r->putThread.engine == e)
        r->putThread.engine = r->getThread.engine = nullptr;
    MQEmptyCache(&e->cache[0], 1);
    MQEmptyCache(&e->cache[1], 1);
    CSFreeMemAndClear(&e->replyBuffer);
    CmdFreeBlock(e->command);
    CSDeleteLock(&e->lock[0]);
    CSDeleteLock(&e->lock[1]);
    CSFreeMem(e);
}

void MQEForgetLocation(QMS *r)
{
    CSLockRecursive(&blocksLock, CS_WAIT_FOREVER);
    MQELOC **link = &blocks;
    while (*link && (*link)->location != r)
        link = &(*link)->next;
    MQELOC *e = *link;
    if (e)
        *link = e->next;
    CSUnlockRecursive(&blocksLock);
    if (e)
        free_block(e);
}

/* ---- program end ---- */

/* Waits up to about ten engine seconds for a condition. */
template <class Done> static void wait_for(Done done)
{
    for (int i = 0; i < 200 && !done(); i++)
        MQESleep(50);
}

void MQEShutdown(void)
{
    MQESetProgramState(PS_ENDING, 0);
    EngStopWorkers();
    CSLockRecursive(&blocksLock, CS_WAIT_FOREVER);
    MQELOC *list = blocks;
    blocks = nullptr;
    CSUnlockRecursive(&blocksLock);
    for (MQELOC *e = list; e; e = e->next) {
        QMS *r = e->location;
        if (r->putThread.engine != e)
            continue;
        EndGetThread(r);
        EndPutThread(r, 0);
        wait_for([r] { return !MQEState(&r->putThread) && !MQEState(&r->getThread); });
    }
    while (list) {
        MQELOC *next = list->next;
        QMS *r = list->location;
        if (!MQEState(&r->putThread) && !MQEState(&r->getThread))
            free_block(list);
        list = next;
    }
    MQESetProgramState(0, PS_ENDING);
}
