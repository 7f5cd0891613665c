/* A connection that MQ has ended under a location: the reasons that say
 * so, and the mark that has the put side made again before it is used
 * next, so that a batched move cut off by a broken connection can be
 * finished on a fresh one. */
#include "engint.h"

int MQEEndsConnection(int32_t reason)
{
    switch (reason) {
    case MQRC_CONNECTION_BROKEN:
    case MQRC_Q_MGR_QUIESCING:
    case MQRC_Q_MGR_STOPPING:
    case MQRC_CONNECTION_QUIESCING:
    case MQRC_CONNECTION_STOPPING:
        return 1;
    default:
        return 0;
    }
}

void MQEConnectionLost(QMS *r, int32_t reason)
{
    if (!r || !MQELocOf(r) || !MQEEndsConnection(reason))
        return;
    uint16_t state = MQEState(&r->putThread);
    if (!(state & TS_CONNECTED))
        return;
    char qm[49], text[300];
    EngTrimName(qm, r->qmName, 48);
    EngFormat(text, sizeof text, "Connection to '%s' lost RC(%ld) %s", qm, (long)reason, MQReasonText(reason));
    SetLocationErrorText(r, text);
    EngSetStatus(r, LS_UNAVAILABLE, 0);
    /* still set up, no longer connected: the mark the next user of the
       put side looks for */
    MQESetState(&r->putThread, 0, TS_CONNECTED);
    MQEPostFrame(nullptr, FM_STATE, 0, r, 0);
}

int EngPutSideLost(QMS *r)
{
    uint16_t state = MQEState(&r->putThread);
    return (state & TS_SETUP) && !(state & TS_CONNECTED);
}
