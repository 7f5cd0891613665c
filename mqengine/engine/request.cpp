/* Thread requests: PostThreadRequest builds the 200-byte record and
 * routes it to a location's put thread (starting it when needed), the
 * analyser thread or the message thread. */
#include "engint.h"

#include <cstring>

#include "locstore.h"

/* Sets a status bit once: 1 for the caller that set it. */
static int first_time(QMS *r, uint32_t bit)
{
    LocLockStore();
    int first = !(r->status & bit);
    r->status |= bit;
    LocUnlockStore();
    return first;
}

/* The location whose connection carries the requests of r: itself, or
 * its use-connection-of location (null when that is not defined). */
static QMS *consumer_of(QMS *r)
{
    if (!r->viaQm[0])
        return r;
    QMS *via = LocFind(r->viaQm);
    if (!via) {
        char text[120];
        EngFormat(text, sizeof text, "No definition of '%s' connection", r->viaQm);
        MQEOpError(nullptr, r, 1, text);
        return nullptr;
    }
    if (MQEState(&via->putThread) & TS_RUNNING) {
        if (first_time(r, 0x20000000u))
            MQEHooks.requestRefresh(r, 0x1, nullptr, 0);
        if (!(r->flags & LF_NDFTD) && first_time(r, 0x40000000u))
            MQEHooks.startDownload(r, 0);
    }
    return via;
}

static void build(ThreadRequest *t, QMS *r, const SELECTIONINFO *selection, uint32_t flags,
                  const ThreadRequest *templ, const uint8_t *key, uint32_t length)
{
    memset(t, 0, sizeof *t);
    t->kind = (flags & TRF_KIND) && templ ? templ->kind : TRK_PUT;
    t->flags = flags;
    if (key)
        memcpy(t->key, key, sizeof t->key);
    t->count = 1;
    if ((flags & (TRF_MSGINFO | TRF_MSGINFOH)) && templ) {
        size_t from = offsetof(ThreadRequest, qmName);
        size_t to = offsetof(ThreadRequest, asynchronous) + sizeof t->asynchronous;
        memcpy((char *)t + from, (const char *)templ + from, to - from);
    }
    if (selection && (selection->flags & TRF_CORRELID)) {
        memcpy(t->correlId, selection->correlId, sizeof t->correlId);
        t->flags |= TRF_CORRELID;
    }
    if (selection && (selection->flags & TRF_USERID)) {
        memcpy(t->userId, selection->userId, sizeof t->userId);
        t->flags |= TRF_USERID;
    }
    t->dataLength = length;
    t->location = r;
}

int PostThreadRequest(QMS *r, const SELECTIONINFO *selection, uint32_t flags,
                      const ThreadRequest *templ, const uint8_t *key, void *block, uint32_t length)
{
    int routed = flags & (TRF_ANALYSER | TRF_MESSAGE);
    if (!r && !routed)
        return -1;
    ThreadRequest t;
    build(&t, r, selection, flags, templ, key, length);
    if (routed)
        return (flags & TRF_ANALYSER) ? EngQueueToAnalyser(&t, block) : EngQueueToMessageThread(&t, block);
    QMS *consumer = consumer_of(r);
    if (!consumer)
        return 1;
    EngLockThreads();
    int rc = 0;
    if (!(MQEState(&consumer->putThread) & (TS_RUNNING | TS_STARTING)))
        rc = StartPutThread(consumer);
    if (!rc)
        rc = EngQueueToPutThread(consumer, &t, block);
    EngUnlockThreads();
    return rc;
}
