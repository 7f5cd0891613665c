/* One message: MYCMD_INQUIRE_MSG (and its NEXT_FAST form) answers the
 * leading bytes and the descriptor of one message for a list row;
 * MYCMD_INQUIRE_MSGDETAIL (and its NEXT_FAST form) reads one message in
 * full, up to a size limit, for the message editor.  A message is found
 * by its position on the queue, or by its token. */
#include "agentint.h"

#include <cstring>

#include "cs.h"
#include "prfdata.h"

#define ROW_DATA 120                   /* bytes of a list row's message */
#define ROW_AREA 10000
#define DETAIL_DEFAULT 10000
#define DETAIL_SPARE 2000              /* answer bytes beside the data */
#define SELECTOR_LENGTH 10240
#define LONGEST_MESSAGE 104857600      /* the longest message a queue manager takes */

/* What both commands read from their request. */
struct ONEREQ {
    char queue[AGENT_NAME + 1];
    int32_t position;
    uint32_t qualifier;
    int32_t ccsid;
    int32_t maxSize;                   /* MYPCFA_MAX_MSG_SIZE, 0 not given */
    const uint8_t *token;              /* null: none, or all zeros */
    const uint8_t *msgId;
    char selector[SELECTOR_LENGTH + 1];
};

static int all_zero(const uint8_t *p, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (p[i])
            return 0;
    return 1;
}

/* Reads the request: 0, or -1 answered. */
static int parse(AGENTREQ *rq, MQPP *pp, ONEREQ *o, int detail)
{
    AGENTPARM p;
    int more;
    const uint8_t *bytes;
    int32_t length;
    while ((more = AgentNext(rq, pp, &p)) > 0) {
        switch (p.id) {
        case MQCA_Q_NAME:
            if (AgentString(rq, &p, o->queue, AGENT_NAME))
                return -1;
            break;
        case MYPCFA_POSITION:
            if (AgentInt(rq, &p, &o->position))
                return -1;
            break;
        case MYPCFA_MSG_TOKEN:
            if (!p.length)
                break;                     /* emptied: found by position */
            if (AgentBytes(rq, &p, 16, &bytes, &length))
                return -1;
            o->token = all_zero(bytes, 16) ? nullptr : bytes;
            break;
        case MYPCFA_MSGID:
            if (!p.length)
                break;                     /* emptied by a step: found by position */
            if (AgentBytes(rq, &p, 24, &bytes, &length))
                return -1;
            o->msgId = bytes;
            break;
        case MYPCFA_DIALOG_QUALIFIER:
            if (AgentInt(rq, &p, (int32_t *)&o->qualifier))
                return -1;
            break;
        case MYPCFA_CONVERT_CCSID:
            if (AgentInt(rq, &p, &o->ccsid))
                return -1;
            rq->replyOptions = o->ccsid;
            break;
        case MYPCFA_MSG_SELECTOR:
            if (AgentString(rq, &p, o->selector, SELECTOR_LENGTH))
                return -1;
            break;
        case MYPCFA_MSG_ATTRS:             /* a list's columns, sent along by its Open */
        case MYPCFA_FORMAT:                /* the Message dialog's format and length, */
        case MYPCFA_MSGLEN:                /* taken from the row it was opened from */
            break;
        case MYPCFA_MAX_MSG_SIZE:          /* a row reads its fixed 120 bytes */
            if (AgentInt(rq, &p, &o->maxSize))
                return -1;
            if (!detail)
                o->maxSize = 0;
            break;
        default:
            return AgentUnknown(rq, &p);
        }
    }
    if (AgentWalkEnd(rq, more, o->queue))
        return -1;
    if (!rq->location) {
        AgentError(rq, MQRC_HCONN_ERROR);
        return -1;
    }
    if (o->position < 1)
        o->position = 1;
    return 0;
}

/* Opens the queue for browsing, by token when one is given. */
static MQLONG open_queue(AGENTREQ *rq, MSGREAD *r, const ONEREQ *o)
{
    return AgentOpen(rq, r, o->queue, AgentBrowseOptions(rq->location, o->token != nullptr), MQC_EQUAL,
                     o->selector[0] ? o->selector : nullptr);
}

/* Browses to the wanted position: from the token's message (counted as
 * the given position) or from the first message.  Every step before the
 * last accepts truncation; the last uses lastOptions.  The reason. */
static MQLONG browse_to(MSGREAD *r, const ONEREQ *o, int64_t wanted, MQLONG lastOptions)
{
    int64_t at = o->token ? o->position : 1;
    const uint8_t *token = o->token;
    MQLONG step = MQGMO_BROWSE_FIRST;
    for (;;) {
        MQLONG options = step | (at == wanted ? lastOptions : MQGMO_ACCEPT_TRUNCATED_MSG);
        MQLONG rc = AgentGet(r, options, nullptr, token);
        if (!AgentReadOK(rc) || at >= wanted)
            return rc;
        at++;
        token = nullptr;
        step = MQGMO_BROWSE_NEXT;
    }
}

/* ---- MYCMD_INQUIRE_MSG, MYCMD_INQUIRE_MSG_NEXT_FAST ---- */

static int answer_row(AGENTREQ *rq, const ONEREQ *o, MSGREAD *r, int64_t position)
{
    int32_t pos = (int32_t)position;
    int32_t shown = r->length < ROW_DATA ? r->length : ROW_DATA;
    const AGENTVALUE values[] = {
        { MQCFT_STRING, MQCA_Q_NAME, o->queue, -1 },
        { MQCFT_INTEGER, MYPCFA_POSITION, &pos, 4 },
        { MQCFT_INTEGER, MYPCFA_MSGLEN, &r->length, 4 },
        { PCF_BYTE_STRING, MYPCFA_MSGID, r->md.MsgId, 24 },
        { PCF_BYTE_STRING, MYPCFA_MSG_TOKEN, r->gmo.Version > MQGMO_VERSION_2 ? r->gmo.MsgToken : nullptr, 16 },
        { PCF_BYTE_STRING, MYPCFA_MESSAGE, r->buffer, shown },
    };
    return AgentAnswer(rq, ROW_AREA, "10000 - Message", values, 6, ~(uint32_t)MA_MSGID, &r->md);
}

int GetMsgCmd(QMS *loc, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *pp)
{
    AGENTREQ rq = { loc, command, h, cache, md, 0, nullptr };
    ONEREQ o = {};
    if (parse(&rq, pp, &o, 0))
        return 0;
    int64_t wanted = (int64_t)o.position + (command == MYCMD_INQUIRE_MSG_NEXT_FAST);
    uint8_t data[ROW_DATA];
    MSGREAD r = {};
    r.buffer = data;
    r.size = sizeof data;
    r.ccsid = o.ccsid;
    r.gmoVersion = MQGMO_VERSION_3;
    r.baseOptions = AgentGetOptions(loc, o.qualifier, 0);
    MQLONG rc = open_queue(&rq, &r, &o);
    if (!rc)
        rc = browse_to(&r, &o, wanted, MQGMO_ACCEPT_TRUNCATED_MSG);
    if (!AgentReadOK(rc)) {
        AgentDropHandle(&r, rc);
        return AgentError(&rq, rc);
    }
    return answer_row(&rq, &o, &r, wanted);
}

/* ---- MYCMD_INQUIRE_MSGDETAIL, MYCMD_INQUIRE_MSGDETAIL_NEXT_FAST ---- */

/* The size limit, never above the longest message a queue manager takes. */
static int32_t detail_limit(const ONEREQ *o)
{
    int32_t limit = o->maxSize > 0 ? o->maxSize : Prf.maxm > 0 ? Prf.maxm : DETAIL_DEFAULT;
    return limit < LONGEST_MESSAGE ? limit : LONGEST_MESSAGE;
}

/* Reads the wanted message, growing the area while it is refused as
 * truncated: the reason (2071 when the area cannot grow). */
static MQLONG read_detail(MSGREAD *r, const ONEREQ *o, int64_t wanted, int32_t limit)
{
    MQLONG last = (o->qualifier & DQ_NOTRUNCATE) ? 0 : MQGMO_ACCEPT_TRUNCATED_MSG;
    for (;;) {
        MQLONG rc = browse_to(r, o, wanted, last);
        if (rc != MQRC_TRUNCATED_MSG_FAILED)
            return rc;
        int64_t grown = r->size < limit ? (int64_t)limit + 1024 : (int64_t)r->size * 2;
        if (grown < r->length)
            grown = r->length;
        if (grown > INT32_MAX || AgentArea(r, (int32_t)grown))
            return MQRC_STORAGE_NOT_AVAILABLE;
    }
}

static int answer_detail(AGENTREQ *rq, const ONEREQ *o, MSGREAD *r, int64_t position, int32_t limit)
{
    int32_t pos = (int32_t)position;
    int32_t shown = r->length < r->size ? r->length : r->size;
    r->md.Version = r->mdVersion;
    const AGENTVALUE values[] = {
        { MQCFT_STRING, MQCA_Q_NAME, o->queue, -1 },
        { MQCFT_INTEGER, MYPCFA_POSITION, &pos, 4 },
        { MQCFT_INTEGER, MYPCFA_MSGLEN, &r->length, 4 },
        { MQCFT_INTEGER, MYPCFA_MAX_MSG_SIZE, &limit, 4 },
        { PCF_BYTE_STRING, MYPCFA_FULLMESSAGE, r->buffer, shown },
        { PCF_BYTE_STRING, MYPCFA_MSGID, r->md.MsgId, 24 },
        { PCF_BYTE_STRING, MYPCFA_MSG_TOKEN, r->gmo.Version > MQGMO_VERSION_2 ? r->gmo.MsgToken : nullptr, 16 },
        { PCF_BYTE_STRING, MYPCFA_MSGDESCRIPTOR, &r->md, MQMD_LENGTH_2 },
    };
    return AgentAnswer(rq, shown + DETAIL_SPARE, "MsgDetailAns", values, 8, 0, nullptr);
}

int MsgDetailCmd(QMS *loc, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *pp)
{
    AGENTREQ rq = { loc, MYCMD_INQUIRE_MSGDETAIL, h, cache, md, 0, nullptr };
    ONEREQ o = {};
    if (parse(&rq, pp, &o, 1))
        return 0;
    int64_t wanted = (int64_t)o.position + (command == MYCMD_INQUIRE_MSGDETAIL_NEXT_FAST);
    int32_t limit = detail_limit(&o);
    MSGREAD r = {};
    if (AgentArea(&r, limit)) {
        AgentErrorText(&rq, MQRC_STORAGE_NOT_AVAILABLE, "Failure allocating message area");
        return 0;
    }
    r.ccsid = o.ccsid;
    r.gmoVersion = o.token || loc->commandLevel >= 600 ? MQGMO_VERSION_3 : MQGMO_VERSION_1;
    /* the message a dialog shows and edits comes as it lies on the queue
       unless a CCSID to convert to is named: an edit saved with Update or
       Add then keeps the message's own code page and bytes */
    r.baseOptions = AgentGetOptions(loc, o.ccsid ? o.qualifier : o.qualifier | DQ_NOCONVERT, 0);
    MQLONG rc = open_queue(&rq, &r, &o);
    if (!rc)
        rc = read_detail(&r, &o, wanted, limit);
    /* the next message has an id of its own: only the message asked for
       by its place is matched by its id */
    int byId = (o.qualifier & (DQ_BOTH | DQ_IDS)) && o.msgId && command != MYCMD_INQUIRE_MSGDETAIL_NEXT_FAST;
    if (AgentReadOK(rc) && byId && memcmp(r.md.MsgId, o.msgId, 24))
        rc = MQRC_NO_MSG_AVAILABLE;
    if (rc == MQRC_NO_MSG_AVAILABLE && o.token)
        AgentError(&rq, rc, MYPCFA_ERROR_MESSAGE, (intptr_t) "The message is no longer on the queue");
    else if (rc == MQRC_STORAGE_NOT_AVAILABLE)
        AgentErrorText(&rq, rc, "Failure allocating message area");
    else if (!AgentReadOK(rc)) {
        AgentDropHandle(&r, rc);
        AgentError(&rq, rc);
    } else
        answer_detail(&rq, &o, &r, wanted, limit);
    AgentFreeArea(&r);
    return 0;
}
