/* Threads and inter-thread queues.
 *
 * CSITCQUEUE: first-in first-out queue of copied records over a counting
 * semaphore (at most 1000 waiting), many producers, one consumer.  Beside
 * it the small waiting primitives: auto-reset events, the uniform wait
 * result, a sleep, a millisecond tick and the thread id. */
#pragma once

#include <cstddef>
#include <cstdint>

/* Wait results. */
enum CSWaitResult {
    CSWAIT_DONE = 0,
    CSWAIT_TIMEOUT = 2,
    CSWAIT_FAILED = -1
};

#define CSQUEUE_MAX 1000

/* A handle: event, semaphore or process (see CSCloseHandle). */
typedef struct CSHANDLEREC *CSHANDLE;

struct CSITCBLOCK {
    CSITCBLOCK *older;     /* put before it */
    CSITCBLOCK *newer;     /* put after it */
    struct CSITCQUEUE *queue;
    uint64_t request;
    uint32_t length;
    uint32_t spare[3];
    /* length bytes of data follow (48 bytes in) */
};

struct CSITCQUEUE {
    CSITCBLOCK *newest;
    CSITCBLOCK *oldest;
    int32_t count;
    CSHANDLE semaphore;
};

/* 0, or a system error code. */
int CSQueueCreate(CSITCQUEUE *queue);
/* 0; blocks still waiting are not freed (drain first). */
int CSQueueDelete(CSITCQUEUE *queue);
/* 0, or -1 when nothing was queued (no memory, or 1000 already waiting). */
int CSQueuePut(CSITCQUEUE *queue, const void *data, uint32_t length, uint64_t request);
/* Waits up to timeout ms (0xFFFFFFFF: no limit) and takes the oldest
 * record: at most size bytes are copied (a longer record is cut and
 * traced).  The record's own length goes to *length when given. */
int CSQueueGet(CSITCQUEUE *queue, void *buffer, uint32_t size, uint64_t *request,
               uint32_t timeout, uint32_t *length = nullptr);

/* Auto-reset event, initially not signalled; 1 created, 0 failed. */
int CSCreateEvent(CSHANDLE *slot);
void CSSetEvent(CSHANDLE *slot);
/* Waits for an event to be set or a process to end: a CSWaitResult. */
int CSWaitEvent(CSHANDLE *slot, uint32_t timeout);
/* Closes the handle held in the slot when not null; the slot keeps it. */
void CSCloseHandle(CSHANDLE *slot);

void CSSleep(uint32_t milliseconds);
/* Milliseconds since system start, 32-bit, wrapping. */
uint32_t CSGetTickCount(void);
/* The calling thread's id as the system numbers it (never 0). */
uint32_t CSGetThreadId(void);
