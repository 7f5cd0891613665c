/* The message thread's work: each in-process message command runs on the
 * connection of its location's put thread, under that connection's lock,
 * once the put thread has set the connection up. */
#include "engint.h"

#include <atomic>
#include <cstddef>
#include <cstring>

void EngRequestMD(MQMD *md, const ThreadRequest *request);

#define CONNECT_ROUNDS 80
#define CONNECT_ROUND_MS 250

int EngWaitForConnection(QMS *r)
{
    uint16_t state = MQEState(&r->putThread);
    if (!(state & (TS_RUNNING | TS_STARTING)) && StartPutThread(r))
        return 0;
    MQELOC *e = MQELocOf(r);
    if (!e)
        return 0;
    uint64_t failed = std::atomic_ref<uint64_t>(e->lastFailTick).load();
    for (int i = 0; i < CONNECT_ROUNDS; i++) {
        state = MQEState(&r->putThread);
        if (state & TS_SETUP)
            return 1;
        uint64_t now = std::atomic_ref<uint64_t>(e->lastFailTick).load();
        if (!(state & TS_STARTING) || (now && now != failed))
            return 0;
        MQESleep(CONNECT_ROUND_MS);
    }
    return 1;
}

/* A command whose location has no connection to run on: answered at
 * once, in process, with the reason and why, instead of being dropped. */
static void refuse(QMS *r, const ThreadRequest *request, const void *block)
{
    MQMD md;
    EngRequestMD(&md, request);
    int32_t command = 0;
    if (block && request->dataLength >= sizeof(MQCFH))
        memcpy(&command, (const uint8_t *)block + offsetof(MQCFH, Command), sizeof command);
    MQELOC *e = MQELocOf(r);
    int32_t reason = e && e->lastFailReason ? e->lastFailReason : MQRC_HCONN_ERROR;
    char text[200];
    EngFormat(text, sizeof text, "Not connected to queue manager '%s' RC(%d) %s", r->qmName, (int)reason,
              MQReasonText(reason));
    MQEHooks.errorResponse(r, 0, nullptr, MQHC_UNUSABLE_HCONN, nullptr, command, &md, reason, 0, 0,
                           MYPCFA_ERROR_MESSAGE, (intptr_t)text);
}

int EngServeMessage(ThreadRequest *request, void *block)
{
    if (request->kind == TRK_END)
        return 1;
    if (request->kind != TRK_PUT)
        return 0;
    QMS *r = request->location;
    if (r && !EngWaitForConnection(r)) {
        refuse(r, request, block);
        return 0;
    }
    /* a connection MQ ended under an earlier command is made again first,
       before the request's descriptor names the (new) reply queue */
    if (r && EngPutSideLost(r))
        EngRemakePutSide(r);
    MQMD md;
    EngRequestMD(&md, request);
    if (MQEHooks.debugDump)
        MQEHooks.debugDump(r, 1, &md, block, (int32_t)request->dataLength);
    int32_t stop = 0;
    if (!r) {
        MQEHooks.process(nullptr, &stop, MQHC_UNUSABLE_HCONN, &md, block, (int32_t)request->dataLength);
        return 0;
    }
    MQELockConnection(r, MQE_PUTSIDE);
    MQHCONN h = MQEConnection(r, MQE_PUTSIDE, nullptr, nullptr);
    MQEHooks.process(r, &stop, h, &md, block, (int32_t)request->dataLength);
    MQEUnlockConnection(r, MQE_PUTSIDE);
    return 0;
}
