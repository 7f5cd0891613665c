/* The command agent's two entry points: ProcessCommand runs one request
 * by its command code, on the connection it is given with that
 * connection's handle cache and under its lock; AnalyseCommand sorts a
 * message read from a reply queue into a request, a reply or a returned
 * monitor message; a request runs only when this program sealed it.
 * CloseQueueCmd is the smallest handler. */
#include "agentint.h"

#include <cstring>

#include "cs.h"

struct AgentCommand {
    int32_t code;
    AGENTFN handler;
};

static const AgentCommand Commands[] = {
    { MQCMD_PUBLISH, PSQueryReply },
    { MYCMD_INQUIRE_MSG, GetMsgCmd },
    { MYCMD_INQUIRE_MSG_NEXT_FAST, GetMsgCmd },
    { MYCMD_INQUIRE_MSGS, InquireMsgsCmd },
    { MYCMD_INQUIRE_MSGDETAIL, MsgDetailCmd },
    { MYCMD_INQUIRE_MSGDETAIL_NEXT_FAST, MsgDetailCmd },
    { MYCMD_COPY_MSGS, MsgActionCmd },
    { MYCMD_MOVE_MSGS, MsgActionCmd },
    { MYCMD_DELETE_MSGS, MsgActionCmd },
    { MYCMD_UPDATE_MSG, MsgActionCmd },
    { MYCMD_ADD_MSG, MsgActionCmd },
    { MYCMD_CLOSE_QUEUE, CloseQueueCmd },
    { MYCMD_INQUIRE_CONSOLE, ConsoleCommand },
    { MYCMD_DELETE_CONSOLE, ConsoleCommand },
    { MYCMD_INQUIRE_DIALOG, DialogCommand },
    { MYCMD_DELETE_DIALOG, DialogCommand },
    { MYCMD_CHANGE_DIALOG, DialogCommand },
    { MYCMD_SWITCH_DIALOG, DialogCommand },
    { MYCMD_START_DIALOG, DialogCommand },
    { MYCMD_CREATE_DIALOG, DialogCommand },
    { MYCMD_INQUIRE_SUBSCRIBER, PSQueryStreams },
    { MYCMD_INQUIRE_PUBLISHER, PSQueryStreams },
};

static AGENTFN handler_of(int32_t code)
{
    for (const AgentCommand &c : Commands)
        if (c.code == code)
            return c.handler;
    return nullptr;
}

/* The side of a location whose connection the handle is. */
static int side_of(QMS *r, MQHCONN h)
{
    return h == r->getThread.hConn && h != r->putThread.hConn ? MQE_GETSIDE : MQE_PUTSIDE;
}

int ProcessCommand(QMS *r, int32_t *stop, MQHCONN h, MQMD *md, void *data, int32_t length)
{
    MQPP pp;
    MQLONG command = 0, cc, rc;
    PCFInitParse(&pp, data, length, &command, &cc, &rc);
    if (cc == MQCC_FAILED)
        return 0;
    if (command == MYCMD_STOP_SVR) {
        if (stop)
            *stop = 1;
        return 0;
    }
    int side = r ? side_of(r, h) : 0;
    void **cache = nullptr;
    if (r) {
        MQELockConnection(r, side);
        MQEConnection(r, side, nullptr, &cache);
    }
    AGENTFN handler = handler_of(command);
    if (handler)
        handler(r, command, h, cache, md, &pp);
    else
        SendErrorResponse(r, 0, nullptr, h, cache, command, md, MQRCCF_CFH_COMMAND_ERROR, 0, 0, 0, 0);
    if (r)
        MQEUnlockConnection(r, side);
    return 0;
}

/* A fixed name field with its trailing blanks and NULs made NULs. */
static void trim_field(char *field, size_t width)
{
    size_t n = width;
    while (n && (field[n - 1] == ' ' || field[n - 1] == 0))
        field[--n] = 0;
}

/* Each NUL-separated MQSC text of a reply goes to the receiver alone;
 * the result is that of the last call. */
static int split_mqsc(QMS *r, MQHCONN h, MQMD *md, uint8_t *data, int32_t length)
{
    int result = 0;
    int32_t start = 0;
    for (int32_t i = 0; i <= length; i++) {
        if (i < length && data[i])
            continue;
        if (i > start)
            result = MQEHooks.response(r, (uint32_t)h, md, data + start, (uint32_t)(i - start));
        start = i + 1;
    }
    return result;
}

static int is_mqsc(const MQMD *md)
{
    return !memcmp(md->Format, "MQCMD1  ", 8) || !memcmp(md->Format, "MQCMD2  ", 8);
}

/* A publication the broker puts to the reply queue, for the publish and
 * subscribe query that asked for it (its handler takes only those). */
static int is_publication(void *data, int32_t length)
{
    MQPP pp;
    MQLONG command = 0, cc, rc;
    PCFInitParse(&pp, data, length, &command, &cc, &rc);
    return cc != MQCC_FAILED && command == MQCMD_PUBLISH;
}

int AnalyseCommand(QMS *r, int32_t *stop, MQHCONN h, MQMD *md, void *data, int32_t length)
{
    trim_field(md->ReplyToQMgr, sizeof md->ReplyToQMgr);
    trim_field(md->ReplyToQ, sizeof md->ReplyToQ);
    if (length < 0 || (!data && length))
        length = 0;
    if (MQEHooks.debugDump)
        MQEHooks.debugDump(r, 0, md, data, length);
    if (!memcmp(md->Format, MQFMT_NONE, 8))
        return HandleMonitorMessage(r, h, md, data, length);
    uint8_t *bytes = (uint8_t *)data;
    switch (md->MsgType) {
    case MQMT_REQUEST:
    case MQMT_DATAGRAM:
        if (!EngTakeSeal(r, md) && !is_publication(data, length))
            return EngDiscardStranger(r, md);
        return MQEHooks.process(r, stop, h, md, data, length);
    case MQMT_REPLY:
        if (is_mqsc(md) && length >= 9 && bytes[8] == '*')
            return split_mqsc(r, h, md, bytes, length);
        return MQEHooks.response(r, (uint32_t)h, md, data, (uint32_t)length);
    case MQMT_REPORT:
        return MQEHooks.response(r, (uint32_t)h, md, data, (uint32_t)length);
    default:
        return EngDiscardStranger(r, md);
    }
}

/* ---- MYCMD_CLOSE_QUEUE ---- */

int CloseQueueCmd(QMS *r, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *pp)
{
    AGENTREQ rq = { r, command, h, cache, md, 0, nullptr };
    char queue[AGENT_NAME + 1] = "";
    AGENTPARM p;
    int more;
    while ((more = AgentNext(&rq, pp, &p)) > 0) {
        if (p.id != MQCA_Q_NAME)
            return AgentUnknown(&rq, &p);
        if (AgentString(&rq, &p, queue, AGENT_NAME))
            return 0;
    }
    if (AgentWalkEnd(&rq, more, queue))
        return 0;
    if (!r)
        return AgentError(&rq, MQRC_HCONN_ERROR);
    char qm[49];
    AgentQMgr(r, qm);
    MQLONG cc, rc;
    MQCloseCachedByName(h, AgentTable(r, h) == &MQClientTable, cache, qm, queue, &cc, &rc);
    if (cc == MQCC_FAILED)
        return AgentError(&rq, rc);
    void *area = CSGetMem(36, "CloseQueue Response");
    if (!area)
        return AgentError(&rq, MQRC_STORAGE_NOT_AVAILABLE);
    MQPP out;
    PCFInitArea(&out, &area, 1, 36, 0, command, &cc, &rc);
    SendResponse(r, h, cache, md, &out, 1);
    CSFreeMem(area);
    return 0;
}
