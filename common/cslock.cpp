/* Locks: CSLOCK records (traced, global locks) and CSMUTEX records.
 *
 * The mutex under both records is our own small one over the standard
 * mutex and condition variable, so that a thread that ends while holding
 * it leaves it "abandoned": the next waiter gets it with that result. */
#include "cslock.h"
#include "cstrace.h"
#include "cssys.h"
#include "cswait.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <cstdlib>
#include <pthread.h>

struct CSOSMUTEX {
    std::mutex guard;
    std::condition_variable freed;
    uint32_t holder;           /* thread id, 0 when free */
    bool abandoned;
};

/* The holder is written under the guard and read without it by a thread
 * asking whether it holds the mutex itself: only that thread writes its
 * own id there, and takes it out again before it lets go. */
static uint32_t HolderOf(CSOSMUTEX *mx)
{
    return std::atomic_ref<uint32_t>(mx->holder).load(std::memory_order_acquire);
}

static void SetHolder(CSOSMUTEX *mx, uint32_t id)
{
    std::atomic_ref<uint32_t>(mx->holder).store(id, std::memory_order_release);
}

/* Mutexes the calling thread holds, kept where the thread-exit hook of a
 * thread key finds them: those still held at its end become abandoned.
 * (The key's own value carries the list, so the hook needs no other
 * thread-local storage, whose teardown order is not defined.) */
struct HeldList {
    size_t count;
    size_t size;
    CSOSMUTEX **items;
};

static void AbandonHeld(void *value)
{
    HeldList *list = (HeldList *)value;
    for (size_t i = 0; i < list->count; i++) {
        CSOSMUTEX *mx = list->items[i];
        std::lock_guard<std::mutex> g(mx->guard);
        SetHolder(mx, 0);
        mx->abandoned = true;
        mx->freed.notify_all();
    }
    free(list->items);
    free(list);
}

/* The key, made on first use: a static's own guard, which once made is
 * one load (a call_once goes through the host's once and thread-local
 * calls on every use). */
static pthread_key_t HeldKey(void)
{
    static const pthread_key_t key = [] {
        pthread_key_t k;
        pthread_key_create(&k, AbandonHeld);
        return k;
    }();
    return key;
}

static HeldList *Held(void)
{
    pthread_key_t heldKey = HeldKey();
    HeldList *list = (HeldList *)pthread_getspecific(heldKey);
    if (!list) {
        list = (HeldList *)calloc(1, sizeof *list);
        if (list)
            pthread_setspecific(heldKey, list);
    }
    return list;
}

static void HeldAdd(CSOSMUTEX *mx)
{
    HeldList *list = Held();
    if (!list)
        return;
    if (list->count == list->size) {
        size_t size = list->size ? list->size * 2 : 8;
        CSOSMUTEX **items = (CSOSMUTEX **)realloc(list->items, size * sizeof *items);
        if (!items)
            return;   /* not tracked: only its abandonment goes unseen */
        list->items = items;
        list->size = size;
    }
    list->items[list->count++] = mx;
}

static void HeldRemove(CSOSMUTEX *mx)
{
    HeldList *list = Held();
    if (!list)
        return;
    for (size_t i = list->count; i-- > 0;)
        if (list->items[i] == mx) {
            list->items[i] = list->items[--list->count];
            return;
        }
}

static std::mutex creation;
static CSLOCK globalLocks[CSLOCK_COUNT];

static CSOSMUTEX *MutexOf(CSOSMUTEX **slot)
{
    CSOSMUTEX *mx = std::atomic_ref<CSOSMUTEX *>(*slot).load(std::memory_order_acquire);
    if (mx)
        return mx;
    std::lock_guard<std::mutex> g(creation);
    mx = *slot;
    if (!mx) {
        mx = new (std::nothrow) CSOSMUTEX();
        if (mx)
            std::atomic_ref<CSOSMUTEX *>(*slot).store(mx, std::memory_order_release);
    }
    return mx;
}

/* 0 taken, CS_WAIT_ABANDONED taken from a thread that ended, 258 time-out. */
static int MutexWait(CSOSMUTEX *mx, uint32_t timeout)
{
    std::unique_lock<std::mutex> g(mx->guard);
    auto isFree = [mx] { return HolderOf(mx) == 0; };
    if (!CSWaitUntilReady(mx->freed, g, timeout, isFree))
        return CS_WAIT_TIMEOUT;
    SetHolder(mx, CSSysThreadId());
    int rc = mx->abandoned ? CS_WAIT_ABANDONED : 0;
    mx->abandoned = false;
    HeldAdd(mx);
    return rc;
}

/* Whether the thread holds the mutex itself: a record's owner id may be
 * that of a thread that ended holding it, whose id the system has since
 * given to the caller.  No lock: taking the lock again while holding it
 * (the common case) then costs no call into the host. */
static bool MutexHeldBy(CSOSMUTEX *mx, uint32_t self)
{
    return HolderOf(mx) == self;
}

static void MutexRelease(CSOSMUTEX *mx)
{
    HeldRemove(mx);
    std::lock_guard<std::mutex> g(mx->guard);
    SetHolder(mx, 0);
    mx->freed.notify_all();
}

/* Owner and count are written only by the holder; others merely look. */
static uint32_t LoadOwner(uint32_t *owner)
{
    return std::atomic_ref<uint32_t>(*owner).load(std::memory_order_relaxed);
}

static void StoreOwner(uint32_t *owner, uint32_t value)
{
    std::atomic_ref<uint32_t>(*owner).store(value, std::memory_order_relaxed);
}

static void TraceState(CSLOCK *lock, const char *suffix)
{
    CSTrace(1, "     LOCK(%p) OWNER(%d) CNT(%d)%s%s\n", (void *)lock,
            (int)lock->owner, (int)lock->count, suffix ? " " : "", suffix ? suffix : "");
}

int CSLockIt(CSLOCK *lock, uint32_t timeout)
{
    uint32_t self = CSSysThreadId();
    int tracing = CSTraceIsOn();
    int rc = 0;
    if (tracing) {
        CSTraceEntry("CSLockIt");
        TraceState(lock, LoadOwner(&lock->owner) == self ? "" : "WAIT");
    }
    CSOSMUTEX *mx = MutexOf(&lock->mutex);
    if (!mx)
        rc = -1;
    else if (LoadOwner(&lock->owner) == self && lock->count != 0 && MutexHeldBy(mx, self))
        lock->count++;
    else {
        rc = MutexWait(mx, timeout);
        if (rc == 0 || rc == CS_WAIT_ABANDONED) {
            StoreOwner(&lock->owner, self);
            lock->count = 1;
            if (rc == CS_WAIT_ABANDONED)
                CSTrace(1, "     LOCK(%p) ABANDONED by its previous owner, now taken\n",
                        (void *)lock);
            rc = 0;
        }
    }
    if (tracing) {
        TraceState(lock, nullptr);
        CSTraceExit("CSLockIt", (uint32_t)rc);
    }
    return rc;
}

void CSUnlockIt(CSLOCK *lock)
{
    int tracing = CSTraceIsOn();
    if (tracing) {
        CSTraceEntry("CSUnlockIt");
        TraceState(lock, nullptr);
    }
    if (LoadOwner(&lock->owner) != CSSysThreadId() || lock->count == 0)
        CS_TRAP(lock->count);
    else if (--lock->count == 0) {
        StoreOwner(&lock->owner, 0);
        MutexRelease(lock->mutex);
    }
    if (tracing) {
        TraceState(lock, nullptr);
        CSTraceExit("CSUnlockIt", 0);
    }
}

int CSLock(CSLOCK *lock)
{
    int rc = CSLockIt(lock, 2000);
    if (rc == CS_WAIT_TIMEOUT)
        rc = CSLockIt(lock, CS_WAIT_FOREVER);
    return rc;
}

void CSLockGlobal(int index)
{
    if (index >= 0 && index < CSLOCK_COUNT)
        CSLock(&globalLocks[index]);
}

void CSUnlockGlobal(int index)
{
    if (index >= 0 && index < CSLOCK_COUNT)
        CSUnlockIt(&globalLocks[index]);
}

int CSCreateLock(CSMUTEX *mutex)
{
    if (!MutexOf(&mutex->mutex))
        return 0;
    mutex->held = 0;
    mutex->created = 1;
    return 1;
}

int CSLockRecursive(CSMUTEX *mutex, uint32_t timeout)
{
    uint32_t self = CSSysThreadId();
    CSOSMUTEX *mx = MutexOf(&mutex->mutex);
    if (!mx)
        return 0;
    if (LoadOwner(&mutex->owner) == self && mutex->held && MutexHeldBy(mx, self)) {
        mutex->count++;
        return 1;
    }
    int rc = MutexWait(mx, timeout);
    if (rc != 0 && rc != CS_WAIT_ABANDONED)
        return 0;
    StoreOwner(&mutex->owner, self);
    mutex->count = 1;
    mutex->held = 1;
    return 1;
}

void CSUnlockRecursive(CSMUTEX *mutex)
{
    if (LoadOwner(&mutex->owner) != CSSysThreadId() || !mutex->held || mutex->count == 0)
        return;
    if (--mutex->count == 0) {
        mutex->held = 0;
        StoreOwner(&mutex->owner, 0);
        MutexRelease(mutex->mutex);
    }
}

void CSDeleteLock(CSMUTEX *mutex)
{
    delete mutex->mutex;
    mutex->mutex = nullptr;
    mutex->created = mutex->held = mutex->count = 0;
    mutex->owner = 0;
}
