/* Reading messages as every message command does: the queue opened
 * through the connection's handle cache on the queue manager's own name,
 * MQGET with a version 2 descriptor lowered when the queue manager
 * refuses it, conversion and properties as the request and the queue
 * manager allow, and the message area. */
#include "agentint.h"

#include <cstring>

#include "cs.h"
#include "mq/capability.h"

/* Capability flag of queue managers that give properties as MQRFH2. */
#define CAP_PROPERTIES 30

MQIEntryTable *AgentTable(QMS *r, MQHCONN h)
{
    if (!r)
        return &MQServerTable;
    int side = h == r->getThread.hConn && h != r->putThread.hConn ? MQE_GETSIDE : MQE_PUTSIDE;
    MQIEntryTable *t;
    MQEConnection(r, side, &t, nullptr);
    return t;
}

void AgentQMgr(QMS *r, char *out)
{
    EngObjectQMgr(r, out);
}

/* The get options of a read.  Copy, move and the other actions carry a
 * message on as it is (bytes, encoding and CCSID): only the reads that
 * show a message convert it, unless the dialog says not to. */
MQLONG AgentGetOptions(QMS *r, uint32_t qualifier, int forAction)
{
    MQLONG o = (forAction || (qualifier & DQ_NOCONVERT)) ? 0 : MQGMO_CONVERT;
    int properties = forAction ? r->commandLevel >= 700
                               : CapGet(r->caps, CAP_PROPERTIES) && !(qualifier & DQ_NOPROPERTIES);
    if (properties)
        o |= MQGMO_PROPERTIES_FORCE_MQRFH2;
    return o;
}

MQLONG AgentBrowseOptions(QMS *r, int withToken)
{
    if (withToken)
        return MQOO_BROWSE;
    if (EngNoReadAhead() || (r->flags & LF_DRA))
        return MQOO_BROWSE | MQOO_NO_READ_AHEAD;
    return MQOO_BROWSE | MQOO_READ_AHEAD;
}

MQLONG AgentOpen(AGENTREQ *rq, MSGREAD *r, const char *queue, MQLONG options, uint32_t match,
                 const char *selector)
{
    QMS *loc = rq->location;
    char qm[49];
    AgentQMgr(loc, qm);
    r->table = AgentTable(loc, rq->hconn);
    r->hconn = rq->hconn;
    r->cache = rq->cache;
    r->mdVersion = MQMD_VERSION_2;
    if (selector && selector[0] && !(loc->flags & LF_MVS) && loc->commandLevel < 710)
        match |= MQC_REOPEN;
    MQLONG cc, rc;
    ProgApiStart(r->progress, PROG_MQOPEN);
    MQOpenCached(rq->hconn, r->table == &MQClientTable, rq->cache, match, qm, queue, nullptr, nullptr,
                 options, 0, selector, selector ? (int32_t)strlen(selector) : 0, &r->hobj, nullptr,
                 &cc, &rc);
    ProgApiEnd(r->progress);
    return cc == MQCC_FAILED ? rc : 0;
}

/* The default descriptor laid over md in 64-byte steps: the string move
 * the compiler makes of a whole-structure copy took a tenth of a list's
 * time, one per message read. */
static void default_md(MQMD *md, const MQMD *init)
{
    uint8_t *to = (uint8_t *)md;
    const uint8_t *from = (const uint8_t *)init;
    size_t at = 0;
    for (; at + 64 <= sizeof *md; at += 64)
        memcpy(to + at, from + at, 64);
    memcpy(to + at, from + at, sizeof *md - at);
}

MQLONG AgentGet(MSGREAD *r, MQLONG options, const uint8_t *msgId, const uint8_t *token)
{
    static const MQMD mdInit = {MQMD_DEFAULT};
    static const MQGMO gmoInit = {MQGMO_DEFAULT};
    for (;;) {
        default_md(&r->md, &mdInit);
        r->md.Version = r->mdVersion;
        r->md.Encoding = MQENC_NATIVE;
        r->md.CodedCharSetId = r->ccsid;
        if (msgId)
            memcpy(r->md.MsgId, msgId, sizeof r->md.MsgId);
        r->gmo = gmoInit;
        r->gmo.Version = token || r->gmoVersion >= MQGMO_VERSION_3 ? MQGMO_VERSION_3 : MQGMO_VERSION_1;
        r->gmo.Options = options | r->baseOptions;
        r->gmo.MatchOptions = MQMO_MATCH_MSG_ID | MQMO_MATCH_CORREL_ID;
        if (token) {
            r->gmo.MatchOptions = MQMO_MATCH_MSG_TOKEN;
            memcpy(r->gmo.MsgToken, token, sizeof r->gmo.MsgToken);
        }
        MQLONG cc, rc;
        r->length = 0;
        ProgApiStart(r->progress, PROG_MQGET);
        r->table->MQGET(r->hconn, r->hobj, &r->md, &r->gmo, r->size, r->buffer, &r->length, &cc, &rc);
        ProgApiEnd(r->progress);
        if (rc == MQRC_MD_ERROR && r->mdVersion > MQMD_VERSION_1) {
            r->mdVersion--;
            continue;
        }
        if (cc != MQCC_FAILED && r->length < 0)
            r->length = 0;
        return cc == MQCC_OK ? 0 : rc;
    }
}

int AgentReadOK(MQLONG reason)
{
    return reason == MQRC_NONE || reason == MQRC_TRUNCATED_MSG_ACCEPTED ||
           reason == MQRC_FORMAT_ERROR || reason == MQRC_NOT_CONVERTED ||
           reason == MQRC_CONVERTED_MSG_TOO_BIG;
}

int AgentArea(MSGREAD *r, int32_t size)
{
    if (r->buffer && r->size >= size)
        return 0;
    uint8_t *fresh = (uint8_t *)CSGetMem((size_t)(size > 0 ? size : 1), "Msg Area");
    if (!fresh)
        return MQRC_STORAGE_NOT_AVAILABLE;
    AgentFreeArea(r);
    r->buffer = fresh;
    r->size = size;
    r->owned = 1;
    return 0;
}

void AgentFreeArea(MSGREAD *r)
{
    if (r->owned)
        CSFreeMemAndClear(&r->buffer);
    r->buffer = nullptr;
    r->size = 0;
    r->owned = 0;
}

void AgentDropHandle(MSGREAD *r, MQLONG reason)
{
    if (reason != MQRC_HOBJ_ERROR && reason != MQRC_OBJECT_CHANGED)
        return;
    MQLONG cc, rc;
    MQCloseCachedHandle(r->hconn, r->table == &MQClientTable, r->cache, r->hobj, &cc, &rc);
    r->hobj = MQHO_UNUSABLE_HOBJ;
}
