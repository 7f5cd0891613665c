/* Progress records: the program-wide list under its own mutex, the
 * references of the window and the worker, and what the worker marks and
 * counts while it runs. */
#include "progress.h"

#include <atomic>
#include <cstring>

#include "cs.h"
#include "mqengine.h"
#include "prfdata.h"

PROGRESS *ProgList;
static CSMUTEX progressLock;

void ProgLock(void)
{
    CSLockRecursive(&progressLock, CS_WAIT_FOREVER);
}

void ProgUnlock(void)
{
    CSUnlockRecursive(&progressLock);
}

template <class T> static void store(T &field, T value)
{
    std::atomic_ref<T>(field).store(value);
}

template <class T> static void add(T &field, T value)
{
    std::atomic_ref<T>(field).fetch_add(value);
}

PROGRESS *ProgCreate(void *owner, const void *key, const char *title)
{
    if (Prf.prgdelay == -1)
        return nullptr;
    PROGRESS *p = (PROGRESS *)CSGetMem(sizeof *p, "PROGRESS");
    if (!p)
        return nullptr;
    memset(p, 0, sizeof *p);
    p->owner = owner;
    p->changed = 1;
    p->references = 1;
    p->created = MQETime();
    UTStrCopy(p->title, title ? title : "", sizeof p->title);
    if (key)
        memcpy(p->key, key, sizeof p->key);
    if (ProgHostCreate(p)) {
        CSFreeMem(p);
        return nullptr;
    }
    ProgLock();
    p->next = ProgList;
    ProgList = p;
    ProgUnlock();
    return p;
}

PROGRESS *ProgFind(const void *key)
{
    ProgLock();
    PROGRESS *p = ProgList;
    while (p && (memcmp(p->key, key, sizeof p->key) || p->references != 1))
        p = p->next;
    if (p)
        p->references = 2;
    ProgUnlock();
    return p;
}

void ProgAddRef(PROGRESS *p)
{
    if (!p)
        return;
    ProgLock();
    p->references++;
    ProgUnlock();
}

void ProgRemove(PROGRESS *p)
{
    if (!p)
        return;
    ProgLock();
    PROGRESS **link = &ProgList;
    while (*link && *link != p)
        link = &(*link)->next;
    if (*link)
        *link = p->next;
    CSFreeMem(p);
    ProgUnlock();
}

void ProgRelease(PROGRESS *p)
{
    if (!p)
        return;
    ProgLock();
    if (p->references > 0)
        p->references--;
    if (p->references == 0)
        ProgRemove(p);
    ProgUnlock();
}

void ProgApiStart(PROGRESS *p, int code)
{
    if (!p)
        return;
    store(p->apiStart, MQETick());
    store(p->apiCode, (int32_t)code);
}

void ProgApiEnd(PROGRESS *p)
{
    if (p)
        store(p->apiCode, 0);
}

void ProgMarkTime(PROGRESS *p)
{
    if (!p)
        return;
    uint64_t now = MQETick();
    store(p->started, now ? now : 1);
    store(p->changed, 1);
}

void ProgSetDone(PROGRESS *p, int aborted)
{
    if (!p)
        return;
    store(p->ended, 1);
    if (aborted) {
        store(p->forceRedraw, 1);
        store(p->rolledBack, 1);
    }
}

void ProgFinish(PROGRESS *p)
{
    if (!p)
        return;
    uint64_t now = MQETick();
    store(p->finished, now ? now : 1);
    if (!std::atomic_ref<int32_t>(p->ended).load())
        store(p->now.done, std::atomic_ref<uint64_t>(p->now.total).load());
    store(p->changed, 1);
    ProgRelease(p);
}

int ProgAbortRequested(PROGRESS *p)
{
    if (!p)
        return 0;
    store(p->changed, 1);
    return std::atomic_ref<int32_t>(p->abortRequested).load();
}

void ProgCountRead(PROGRESS *p, uint32_t messages, uint64_t bytes)
{
    if (!p)
        return;
    add(p->now.messagesRead, messages);
    add(p->now.bytesRead, bytes);
}

void ProgCountWritten(PROGRESS *p, uint32_t messages, uint64_t bytes)
{
    if (!p)
        return;
    add(p->now.messagesWritten, messages);
    add(p->now.bytesWritten, bytes);
}

void ProgSetPosition(PROGRESS *p, uint64_t done, uint64_t total)
{
    if (!p)
        return;
    store(p->now.total, total);
    store(p->now.done, done);
}
