/* Locks: CSLOCK records (traced, global locks) and CSMUTEX records.
 *
 * The mutex under both records is our own small one over the standard
 * mutex and condition variable, so that a thread that ends while holding
 * it leaves it "abandoned": the next waiter gets it with that result. */
#include "cslock.h"
#include "cstrace.h"
#include "cssys.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <vector>

struct CSOSMUTEX {
    std::mutex guard;
    std::condition_variable freed;
    uint32_t holder;           /* thread id, 0 when free */
    bool abandoned;
};

/* Mutexes the calling thread holds; released as abandoned at its end. */
struct HeldMutexes {
    std::vector<CSOSMUTEX *> list;
    ~HeldMutexes()
    {
        for (CSOSMUTEX *mx : list) {
            std::lock_guard<std::mutex> g(mx->guard);
            mx->holder = 0;
            mx->abandoned = true;
            mx->freed.notify_one();
        }
    }
};
static thread_local HeldMutexes held;

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
    auto isFree = [mx] { return mx->holder == 0; };
    if (timeout == CS_WAIT_FOREVER)
        mx->freed.wait(g, isFree);
    else if (!mx->freed.wait_for(g, std::chrono::milliseconds(timeout), isFree))
        return CS_WAIT_TIMEOUT;
    mx->holder = CSSysThreadId();
    int rc = mx->abandoned ? CS_WAIT_ABANDONED : 0;
    mx->abandoned = false;
    held.list.push_back(mx);
    return rc;
}

static void MutexRelease(CSOSMUTEX *mx)
{
    for (size_t i = held.list.size(); i-- > 0;)
        if (held.list[i] == mx) {
            held.list.erase(held.list.begin() + (ptrdiff_t)i);
            break;
        }
    std::lock_guard<std::mutex> g(mx->guard);
    mx->holder = 0;
    mx->freed.notify_one();
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
    else if (LoadOwner(&lock->owner) == self && lock->count != 0)
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
    if (LoadOwner(&mutex->owner) == self && mutex->held) {
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
