/* Locks: recursive lock records over mutexes.
 *
 * CSLOCK (CSLockIt/CSUnlockIt) traces every step and reports a release by a
 * thread that does not hold it through CSTrap; ten of them are the global
 * locks.  CSMUTEX is the quieter variant. */
#pragma once

#include <cstdint>

#define CS_WAIT_FOREVER   0xFFFFFFFFu
#define CS_WAIT_TIMEOUT   258          /* result of a wait that timed out */
#define CS_WAIT_ABANDONED 0x80         /* the previous owner ended holding it */

struct CSOSMUTEX;                      /* the mutex itself (cslock.cpp) */

struct CSLOCK {
    CSOSMUTEX *mutex;                  /* null until first use */
    uint32_t owner;                    /* owning thread id, 0 when free */
    int32_t count;                     /* nesting count */
};

struct CSMUTEX {
    int32_t created;
    int32_t held;
    uint32_t owner;
    int32_t count;
    CSOSMUTEX *mutex;
};

/* Global lock numbers. */
enum CSLockIndex {
    CSLOCK_MEMORY = 0,     /* allocator statistics, queues, MQ library load */
    CSLOCK_OBJECTS = 1,    /* the object caches of the locations */
    CSLOCK_DUMP = 2,       /* debug dump of requests and responses */
    CSLOCK_EVENTS = 4,     /* the event console */
    CSLOCK_DIALOGS = 5,    /* open dialogs and the commands in flight */
    CSLOCK_COUNT = 10
};

/* 0 taken (or already held: counted up), 258 timed out, else the failed
 * wait's result (record unchanged).  timeout in ms, CS_WAIT_FOREVER. */
int CSLockIt(CSLOCK *lock, uint32_t timeout);
/* Releases one level; a release without ownership is reported by CSTrap. */
void CSUnlockIt(CSLOCK *lock);
/* CSLockIt for 2 s, then again without limit; the last result. */
int CSLock(CSLOCK *lock);
/* CSLock / CSUnlockIt on a global lock; an index above 9 is ignored. */
void CSLockGlobal(int index);
void CSUnlockGlobal(int index);

/* 1 created, 0 when no mutex could be had. */
int CSCreateLock(CSMUTEX *mutex);
/* 1 taken (a holder re-entering counts up), 0 when the wait failed. */
int CSLockRecursive(CSMUTEX *mutex, uint32_t timeout);
/* Releases one level when the calling thread holds it; else nothing. */
void CSUnlockRecursive(CSMUTEX *mutex);
/* Lets go of the mutex of a lock that nobody holds or waits for any more
 * (a lock inside a block about to be freed). */
void CSDeleteLock(CSMUTEX *mutex);
