/* Inter-thread queues and the waiting primitives: handles for events,
 * counting semaphores and processes, the uniform wait result, sleep, tick
 * and thread id. */
#include "csthread.h"
#include "csmem.h"
#include "cslock.h"
#include "cstrace.h"
#include "cssys.h"
#include "cswait.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>

enum HandleKind { HANDLE_SEMAPHORE, HANDLE_PROCESS };

/* An event is a semaphore whose count never exceeds 1 (auto-reset). */
struct CSHANDLEREC {
    HandleKind kind;
    std::mutex guard;
    std::condition_variable posted;
    int32_t count;
    int32_t maximum;
    void *process;
};

static CSHANDLE NewSemaphore(int32_t maximum)
{
    CSHANDLEREC *h = new (std::nothrow) CSHANDLEREC();
    if (h) {
        h->kind = HANDLE_SEMAPHORE;
        h->maximum = maximum;
    }
    return h;
}

/* Raises the count by one; 0 when it is already at its maximum. */
static int Post(CSHANDLEREC *h)
{
    std::lock_guard<std::mutex> g(h->guard);
    if (h->count >= h->maximum)
        return 0;
    h->count++;
    h->posted.notify_all();
    return 1;
}

static int Wait(CSHANDLEREC *h, uint32_t timeout)
{
    if (h->kind == HANDLE_PROCESS)
        return CSSysWaitProcess(h->process, timeout);
    std::unique_lock<std::mutex> g(h->guard);
    auto ready = [h] { return h->count > 0; };
    if (!CSWaitUntilReady(h->posted, g, timeout, ready))
        return CSWAIT_TIMEOUT;
    h->count--;
    return CSWAIT_DONE;
}

CSHANDLE CSNewProcessHandle(void *process)
{
    CSHANDLEREC *h = new (std::nothrow) CSHANDLEREC();
    if (h) {
        h->kind = HANDLE_PROCESS;
        h->process = process;
    }
    return h;
}

int CSCreateEvent(CSHANDLE *slot)
{
    *slot = NewSemaphore(1);
    return *slot != nullptr;
}

void CSSetEvent(CSHANDLE *slot)
{
    if (*slot && (*slot)->kind == HANDLE_SEMAPHORE)
        Post(*slot);
}

int CSWaitEvent(CSHANDLE *slot, uint32_t timeout)
{
    return *slot ? Wait(*slot, timeout) : CSWAIT_FAILED;
}

void CSCloseHandle(CSHANDLE *slot)
{
    CSHANDLEREC *h = *slot;
    if (!h)
        return;
    if (h->kind == HANDLE_PROCESS)
        CSSysCloseProcess(h->process);
    delete h;
}

void CSSleep(uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t CSGetTickCount(void)
{
    using namespace std::chrono;
    return (uint32_t)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

uint32_t CSGetThreadId(void)
{
    return CSSysThreadId();
}

/* Queues.  The block list and count change only under global lock 0. */
#define BLOCK_HEADER 48
static_assert(sizeof(CSITCBLOCK) == BLOCK_HEADER, "queue block header is 48 bytes");

int CSQueueCreate(CSITCQUEUE *queue)
{
    memset(queue, 0, sizeof *queue);
    queue->semaphore = NewSemaphore(CSQUEUE_MAX);
    return queue->semaphore ? 0 : 8;   /* 8: not enough memory */
}

int CSQueueDelete(CSITCQUEUE *queue)
{
    CSCloseHandle(&queue->semaphore);
    queue->semaphore = nullptr;
    return 0;
}

int CSQueuePut(CSITCQUEUE *queue, const void *data, uint32_t length, uint64_t request)
{
    CSLockGlobal(CSLOCK_MEMORY);
    if (queue->count >= CSQUEUE_MAX) {
        CSUnlockGlobal(CSLOCK_MEMORY);
        CSTrace(1, "CSQueuePut queue %p full, %d waiting\n", (void *)queue, CSQUEUE_MAX);
        return -1;
    }
    CSITCBLOCK *b = (CSITCBLOCK *)CSGetMem((size_t)length + BLOCK_HEADER, "CSITCBLOCK");
    if (!b) {
        CSUnlockGlobal(CSLOCK_MEMORY);
        return -1;
    }
    b->older = queue->newest;
    b->newer = nullptr;
    b->queue = queue;
    b->request = request;
    b->length = length;
    if (length)
        memcpy(b + 1, data, length);
    if (queue->newest)
        queue->newest->newer = b;
    else
        queue->oldest = b;
    queue->newest = b;
    queue->count++;
    CSUnlockGlobal(CSLOCK_MEMORY);
    Post(queue->semaphore);
    return 0;
}

int CSQueueGet(CSITCQUEUE *queue, void *buffer, uint32_t size, uint64_t *request,
               uint32_t timeout, uint32_t *length)
{
    if (!queue->semaphore)
        return CSWAIT_FAILED;
    int rc = Wait(queue->semaphore, timeout);
    if (rc != CSWAIT_DONE)
        return rc;
    CSLockGlobal(CSLOCK_MEMORY);
    CSITCBLOCK *b = queue->oldest;
    if (b) {
        queue->oldest = b->newer;
        if (queue->oldest)
            queue->oldest->older = nullptr;
        else
            queue->newest = nullptr;
        queue->count--;
        if (request)
            *request = b->request;
        uint32_t n = b->length;
        if (n > size) {
            CSTrace(1, "CSQueueGet queue %p record of %u bytes cut to %u\n", (void *)queue,
                    b->length, size);
            n = size;
        }
        if (n)
            memcpy(buffer, b + 1, n);
        if (length)
            *length = b->length;
        CSFreeMem(b);
    }
    CSUnlockGlobal(CSLOCK_MEMORY);
    return b ? CSWAIT_DONE : CSWAIT_FAILED;
}
