/* Responses of the command agent: one part of a response delivered in
 * process or put to the request's reply queue, the one-part error
 * response in its fixed 200-byte area, and the descriptor fields of a
 * message as response parameters. */
#include "agentint.h"

#include <cstring>

#include "cs.h"

/* The MQMD of a response (a datagram until the request asks a reply). */
static void response_md(MQMD *md, const MQMD *request)
{
    const MQMD init = {MQMD_DEFAULT};
    *md = init;
    md->Version = MQMD_VERSION_1;
    md->MsgType = MQMT_REPLY;
    md->Encoding = MQENC_NATIVE;
    md->CodedCharSetId = 0;
    md->Persistence = MQPER_PERSISTENCE_AS_Q_DEF;
    memcpy(md->Format, "MQADMIN ", 8);
    memcpy(md->MsgId, request->MsgId, sizeof md->MsgId);
}

/* A fixed name field without trailing blanks and NULs (49). */
static void field(char *out, const char *name)
{
    EngTrimName(out, name, AGENT_NAME);
}

/* 1 when the response goes to the location's own reply queue, or to no
 * queue at all: it is then handed over in process. */
static int in_process(QMS *r, const MQMD *request, char *qm, char *queue)
{
    field(qm, request->ReplyToQMgr);
    field(queue, request->ReplyToQ);
    if (!r || !queue[0])
        return 1;
    MQELOC *e = MQELocOf(r);
    char own[49];
    field(own, r->qmName);
    return e && strcmp(qm, own) == 0 && strcmp(queue, e->replyQ) == 0;
}

int SendResponse(QMS *r, MQHCONN hconn, void **cache, MQMD *request, MQPP *response, int last)
{
    if (!request || request->MsgType != MQMT_REQUEST)
        return 0;
    MQCFH *h = PCFHeader(response);
    h->Type = MQCFT_RESPONSE;
    h->Control = last ? MQCFC_LAST : MQCFC_NOT_LAST;
    MQMD md;
    response_md(&md, request);
    char qm[49], queue[49];
    if (in_process(r, request, qm, queue))
        return MQEHooks.response(r, (uint32_t)hconn, &md, response->message, (uint32_t)response->position);
    MQIEntryTable *t = AgentTable(r, hconn);
    MQLONG cc, rc;
    MQHOBJ q;
    char text[256];
    MQOpenCached(hconn, t == &MQClientTable, cache, 0, qm, queue, nullptr, nullptr, MQOO_OUTPUT, 0,
                 nullptr, 0, &q, nullptr, &cc, &rc);
    if (cc == MQCC_FAILED) {
        EngMQErrorText(text, sizeof text, "Error opening queue", qm, queue, rc);
        MQEOpError(nullptr, r, 6, text);
        return 0;
    }
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_NO_SYNCPOINT;
    t->MQPUT(hconn, q, &md, &pmo, response->position, response->message, &cc, &rc);
    if (cc == MQCC_FAILED) {
        EngMQErrorText(text, sizeof text, "Error putting to queue", qm, queue, rc);
        MQEOpError(nullptr, r, 6, text);
    }
    return 0;
}

/* The error parameter: an integer or a text, or nothing. */
static void add_error_parm(MQPP *pp, int32_t id, intptr_t value)
{
    MQLONG cc, rc;
    switch (id) {
    case MQIACF_ERROR_OFFSET:
    case MQIA_CODED_CHAR_SET_ID:
    case MQIACF_PARAMETER_ID:
    case MQIACF_ERROR_IDENTIFIER:
    case MQIACF_SELECTOR: {
        int32_t v = (int32_t)value;
        PCFAddParm(pp, MQCFT_INTEGER, id, &v, 4, 1, &cc, &rc);
        break;
    }
    case MYPCFA_ERROR_MESSAGE:
    case MYPCFA_INFO_MESSAGE:
        if (value)
            PCFAddParm(pp, MQCFT_STRING, id, (const char *)value, -2, 1, &cc, &rc);
        break;
    }
}

/* The one-part error response, with a message token after the error
 * parameter when one is given. */
static int error_response(QMS *r, int32_t replyOptions, MQACTION *action, MQHCONN hconn, void **cache,
                          int32_t command, MQMD *request, int32_t reason, int32_t extraId,
                          int32_t extraValue, int32_t errorParmId, intptr_t errorParmValue,
                          const uint8_t *token)
{
    alignas(8) uint8_t area[AGENT_ERROR_AREA];
    void *slot = area;
    MQPP pp;
    MQLONG cc, rc;
    /* a command that failed because MQ ended the connection has the
       location connect again before its next command */
    if (r && MQEEndsConnection(reason) && hconn == MQEConnection(r, MQE_PUTSIDE, nullptr, nullptr))
        MQEConnectionLost(r, reason);
    PCFInitArea(&pp, &slot, 0, sizeof area, 0, command, &cc, &rc);
    if (extraId)
        PCFAddParm(&pp, MQCFT_INTEGER, extraId, &extraValue, 4, 1, &cc, &rc);
    MQCFH *h = PCFHeader(&pp);
    h->CompCode = MQCC_FAILED;
    h->Reason = reason;
    add_error_parm(&pp, errorParmId, errorParmValue);
    if (token)
        PCFAddParm(&pp, PCF_BYTE_STRING, MYPCFA_MSG_TOKEN, token, 16, 1, &cc, &rc);
    if (replyOptions)
        PCFAddParm(&pp, MQCFT_INTEGER, MYIA_REPLY_OPTIONS, &replyOptions, 4, 1, &cc, &rc);
    if (action && action->targetChosen) {
        PCFAddParm(&pp, MQCFT_STRING, MYCA_ACTION_TARGET_QM, action->targetQMgr, -2, 1, &cc, &rc);
        PCFAddParm(&pp, MQCFT_STRING, MYCA_ACTION_TARGET_Q, action->targetQ, -2, 1, &cc, &rc);
    }
    return SendResponse(r, hconn, cache, request, &pp, 1);
}

int SendErrorResponse(QMS *r, int32_t replyOptions, MQACTION *action, MQHCONN hconn, void **cache,
                      int32_t command, MQMD *request, int32_t reason, int32_t extraId,
                      int32_t extraValue, int32_t errorParmId, intptr_t errorParmValue)
{
    return error_response(r, replyOptions, action, hconn, cache, command, request, reason, extraId,
                          extraValue, errorParmId, errorParmValue, nullptr);
}

int AgentInfo(AGENTREQ *rq, const char *text, const uint8_t *token)
{
    error_response(rq->location, rq->replyOptions, rq->action, rq->hconn, rq->cache, rq->command, rq->md,
                   MYRC_INFORMATION, 0, 0, MYPCFA_INFO_MESSAGE, (intptr_t)text, token);
    return MYRC_INFORMATION;
}

int AgentAnswer(AGENTREQ *rq, int32_t size, const char *tag, const AGENTVALUE *values, int count,
                uint32_t mask, const MQMD *md)
{
    void *area = CSGetMem((size_t)size, tag);
    if (!area)
        return AgentError(rq, MQRC_STORAGE_NOT_AVAILABLE);
    MQPP out;
    MQLONG cc, rc = 0;
    PCFInitArea(&out, &area, 1, size, 0, rq->command, &cc, &rc);
    for (int i = 0; i < count && !cc; i++)
        if (values[i].value)
            PCFAddParm(&out, values[i].type, values[i].id, values[i].value, values[i].length, 1, &cc, &rc);
    if (!cc && mask)
        rc = AddMsgDescParms(&out, mask, md);
    if (cc || rc)
        AgentError(rq, rc);
    else
        SendResponse(rq->location, rq->hconn, rq->cache, rq->md, &out, 1);
    CSFreeMem(area);
    return rc;
}

/* ---- descriptor fields ---- */

struct DescField {
    uint32_t bit;
    int32_t parameter;
    int32_t type;
    uint16_t offset, length;
};

#define F(bit, parm, type, member) \
    { bit, parm, type, (uint16_t)offsetof(MQMD, member), (uint16_t)sizeof(((MQMD *)0)->member) }

/* In the order the responses carry them. */
static const DescField DescFields[] = {
    F(MA_REPORT, MYPCFA_REPORT, MQCFT_INTEGER, Report),
    F(MA_MSGTYPE, MYPCFA_MSGTYPE, MQCFT_INTEGER, MsgType),
    F(MA_EXPIRY, MYPCFA_EXPIRY, MQCFT_INTEGER, Expiry),
    F(MA_FEEDBACK, MYPCFA_FEEDBACK, MQCFT_INTEGER, Feedback),
    F(MA_ENCODING, MYPCFA_ENCODING, MQCFT_INTEGER, Encoding),
    F(MA_CCSID, MYPCFA_CODEDCHARSETID, MQCFT_INTEGER, CodedCharSetId),
    F(MA_FORMAT, MYPCFA_FORMAT, MQCFT_STRING, Format),
    F(MA_PRIORITY, MYPCFA_PRIORITY, MQCFT_INTEGER, Priority),
    F(MA_PERSISTENCE, MYPCFA_PERSISTENCE, MQCFT_INTEGER, Persistence),
    F(MA_MSGID, MYPCFA_MSGID, PCF_BYTE_STRING, MsgId),
    F(MA_CMSGID, MYPCFA_CMSGID, PCF_BYTE_STRING, MsgId),
    F(MA_CORRELID, MYPCFA_CORRELID, PCF_BYTE_STRING, CorrelId),
    F(MA_CCORRELID, MYPCFA_CCORRELID, PCF_BYTE_STRING, CorrelId),
    F(MA_BACKOUT, MYPCFA_BACKOUTCOUNT, MQCFT_INTEGER, BackoutCount),
    F(MA_REPLYTOQ, MYPCFA_REPLYTOQ, MQCFT_STRING, ReplyToQ),
    F(MA_REPLYTOQMGR, MYPCFA_REPLYTOQMGR, MQCFT_STRING, ReplyToQMgr),
    F(MA_USERID, MYPCFA_MSG_USER_ID, MQCFT_STRING, UserIdentifier),
    F(MA_PUTAPPLTYPE, MYPCFA_PUTAPPLTYPE, MQCFT_INTEGER, PutApplType),
    F(MA_PUTAPPLNAME, MYPCFA_PUTAPPLNAME, MQCFT_STRING, PutApplName),
    F(MA_PUTDATE, MYPCFA_PUTDATE, MQCFT_STRING, PutDate),
    F(MA_PUTTIME, MYPCFA_PUTTIME, MQCFT_STRING, PutTime),
    F(MA_GROUPID, MYPCFA_GROUPID, PCF_BYTE_STRING, GroupId),
    F(MA_OFFSET, MYPCFA_OFFSET, MQCFT_INTEGER, Offset),
    F(MA_SEQNUMBER, MYPCFA_MSG_SEQUENCE_NUMBER, MQCFT_INTEGER, MsgSeqNumber),
    F(MA_MSGFLAGS, MYPCFA_MSGFLAGS, MQCFT_INTEGER, MsgFlags),
    F(MA_ORIGINDATA, MYPCFA_APPLORIGINDATA, MQCFT_STRING, ApplOriginData),
    F(MA_IDENTITYDATA, MYPCFA_APPLIDENTITYDATA, MQCFT_STRING, ApplIdentityData),
};

#undef F

int AddMsgDescParms(MQPP *pp, uint32_t mask, const MQMD *md)
{
    MQLONG cc = 0, rc = 0;
    for (const DescField &f : DescFields) {
        if (!(mask & f.bit))
            continue;
        const uint8_t *value = (const uint8_t *)md + f.offset;
        PCFAddParm(pp, f.type, f.parameter, value, f.length, 1, &cc, &rc);
        if (cc == MQCC_FAILED)
            return rc;
    }
    return 0;
}

int AddMsgDescStamp(PCFSTAMP *row, uint32_t mask, int source)
{
    for (const DescField &f : DescFields) {
        if (!(mask & f.bit))
            continue;
        MQLONG rc = PCFStampAdd(row, f.type, f.parameter, f.length, source, f.offset);
        if (rc)
            return rc;
    }
    return 0;
}

/* Bytes of a parameter of that type and value length. */
static int32_t parm_size(int32_t type, int32_t length)
{
    return type == MQCFT_INTEGER ? 16 : (length + 23) & ~3;
}

int32_t MsgDescParmsSize(uint32_t mask)
{
    int32_t n = 0;
    for (const DescField &f : DescFields)
        if (mask & f.bit)
            n += parm_size(f.type, f.length);
    return n;
}

int32_t MsgParmSize(int32_t type, int32_t length)
{
    return parm_size(type, length);
}

/* The attributes a list may ask for that are no descriptor fields. */
static const struct { int32_t attribute; uint32_t bit; } OwnAttrs[] = {
    { MYPCFA_POSITION, MA_POSITION }, { MYPCFA_MESSAGE, MA_MESSAGE },
    { MYPCFA_MSGLEN, MA_MSGLEN }, { MYPCFA_MSG_TOKEN, MA_TOKEN },
};

uint32_t MsgAttrBit(int32_t attribute)
{
    for (const DescField &f : DescFields)
        if (f.parameter == attribute)
            return f.bit;
    for (const auto &o : OwnAttrs)
        if (o.attribute == attribute)
            return o.bit;
    return 0;
}
