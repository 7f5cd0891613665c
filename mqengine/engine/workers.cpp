/* The two process-wide worker threads of the command agent share one
 * shape: a request queue, a bit of the program state word while the
 * thread runs, a wait of 300 seconds at a time, and the attached block of
 * each request freed before the next wait. */
#include "engint.h"

#include "cs.h"

#define WORKER_WAIT_MS 300000u

struct Worker {
    CSITCQUEUE queue;
    int32_t open;
    uint32_t stateBit;
    void (*atStart)(void);
    /* serves one request; 1 ends the thread */
    int (*serve)(ThreadRequest *request, void *block);
};

int EngServeAnalyser(ThreadRequest *request, void *block);
void EngAnalyserStart(void);
int EngServeMessage(ThreadRequest *request, void *block);

static Worker analyser = { {}, 0, PS_ANALYSER, EngAnalyserStart, EngServeAnalyser };
static Worker messages = { {}, 0, PS_MESSAGE, nullptr, EngServeMessage };

static void WorkerThread(void *arg)
{
    Worker *w = (Worker *)arg;
    MQESetProgramState(w->stateBit, 0);
    if (w->atStart)
        w->atStart();
    void *block = nullptr;
    for (;;) {
        CSFreeMemAndClear(&block);
        ThreadRequest request;
        uint64_t attached = 0;
        int rc = CSQueueGet(&w->queue, &request, sizeof request, &attached, MQEWait(WORKER_WAIT_MS));
        if (rc == CSWAIT_TIMEOUT)
            continue;
        if (rc != CSWAIT_DONE)
            break;
        block = (void *)(uintptr_t)attached;
        if (w->serve(&request, block))
            break;
    }
    CSFreeMemAndClear(&block);
    EngLockThreads();
    EngDrainQueue(&w->queue);
    w->open = 0;
    EngUnlockThreads();
    MQESetProgramState(0, w->stateBit);
}

static int start(Worker *w)
{
    EngLockThreads();
    int rc = 0;
    if (!w->open) {
        rc = CSQueueCreate(&w->queue);
        if (!rc) {
            w->open = 1;
            rc = EngStartThread(WorkerThread, w);
            if (rc) {
                CSQueueDelete(&w->queue);
                w->open = 0;
            }
        }
    }
    EngUnlockThreads();
    return rc;
}

static int queue_to(Worker *w, const ThreadRequest *request, void *block)
{
    EngLockThreads();
    int rc = w->open ? CSQueuePut(&w->queue, request, sizeof *request, (uint64_t)(uintptr_t)block) : -1;
    EngUnlockThreads();
    return rc;
}

int StartAnalyserThread(void) { return start(&analyser); }
int StartMessageThread(void) { return start(&messages); }
int EngQueueToAnalyser(const ThreadRequest *r, void *block) { return queue_to(&analyser, r, block); }
int EngQueueToMessageThread(const ThreadRequest *r, void *block) { return queue_to(&messages, r, block); }

/* Asks both workers to end and waits (about ten engine seconds at most)
 * until they have. */
void EngStopWorkers(void)
{
    ThreadRequest stop = {};
    stop.kind = TRK_END;
    queue_to(&analyser, &stop, nullptr);
    queue_to(&messages, &stop, nullptr);
    for (int i = 0; i < 200; i++) {
        EngLockThreads();
        int running = analyser.open || messages.open;
        EngUnlockThreads();
        if (!running)
            return;
        MQESleep(50);
    }
}
