/* Stand-in for the MQ engine's routing of thread requests to the analyser
 * thread, until the engine exists: PostThreadRequest queues requests
 * routed to the analyser (the only ones the version check makes) to a
 * thread that runs kind 11 through VerCheckRun and frees each request's
 * block. */
#include <cstring>
#include <cstddef>
#include <mutex>
#include <thread>

#include "cs.h"
#include "shellhost.h"
#include "version.h"

static CSITCQUEUE analyserQueue;
static std::once_flag started;
static int startResult = -1;

static void analyser_thread(void)
{
    for (;;) {
        ThreadRequest t;
        uint64_t block = 0;
        int rc = CSQueueGet(&analyserQueue, &t, sizeof t, &block, 300000);
        if (rc == CSWAIT_TIMEOUT)
            continue;
        if (rc != CSWAIT_DONE)
            break;
        if (t.kind == TRK_VERCHECK)
            VerCheckRun(&t);
        if (block)
            CSFreeMem((void *)(uintptr_t)block);
        if (t.kind == 2)
            break;
    }
}

static void start_analyser(void)
{
    startResult = CSQueueCreate(&analyserQueue);
    if (startResult == 0)
        std::thread(analyser_thread).detach();
}

int PostThreadRequest(QMS *location, const SELECTIONINFO *, uint32_t flags,
                      const ThreadRequest *templ, const uint8_t *key, void *block,
                      uint32_t length)
{
    if (!(flags & TRF_ANALYSER))
        return -1;
    std::call_once(started, start_analyser);
    if (startResult != 0)
        return startResult;
    ThreadRequest t;
    memset(&t, 0, sizeof t);
    t.kind = (flags & TRF_KIND) && templ ? templ->kind : 1;
    t.flags = flags;
    if (key)
        memcpy(t.key, key, sizeof t.key);
    t.count = 1;
    if ((flags & TRF_MSGINFO) && templ) {
        size_t from = offsetof(ThreadRequest, qmName);
        size_t to = offsetof(ThreadRequest, asynchronous) + sizeof t.asynchronous;
        memcpy((char *)&t + from, (const char *)templ + from, to - from);
    }
    t.dataLength = length;
    t.location = location;
    return CSQueuePut(&analyserQueue, &t, sizeof t, (uint64_t)(uintptr_t)block);
}
