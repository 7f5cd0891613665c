/* Queued publish/subscribe queries (MYCMD_INQUIRE_SUBSCRIBER and
 * MYCMD_INQUIRE_PUBLISHER): the request read and checked, the broker
 * commands that register on the identity metatopics of the streams, ask
 * for their retained publications and deregister again, each put to the
 * broker's control queue under the query's command in flight, and the
 * broker's replies that end the query. */
#include "psint.h"

#include <cstdio>
#include <cstring>

#include "cs.h"
#include "cstext.h"

/* Attribute ids of a query's attribute list and their bits. */
static const struct { int32_t id; uint32_t bit; } AttrBits[] = {
    { MQCACF_STREAM_NAME, 0x1 }, { MQCACF_TOPIC, 0x2 }, { MQCACF_SUBSCRIPTION_NAME, 0x4 },
    { MQCACF_SUBSCRIPTION_IDENTITY, 0x8 }, { MQIACF_BROKER_COUNT, 0x10 }, { MQIACF_APPL_COUNT, 0x20 },
    { MQIACF_ANONYMOUS_COUNT, 0x40 }, { MQCA_Q_NAME, 0x80 }, { MQCA_Q_MGR_NAME, 0x100 },
    { MQCACF_REG_CORREL_ID, 0x200 }, { MQCACF_REG_USER_ID, 0x400 }, { MQIACF_REGISTRATION_OPTIONS, 0x800 },
    { MQCACF_REG_TIME, 0x1000 }, { MQCACF_SUBSCRIPTION_USER_DATA, 0x2000 },
    { MQIACF_PUBLICATION_OPTIONS, 0x4000 }, { MQCACF_PUBLISH_TIMESTAMP, 0x8000 },
};

/* String parameters of a query: where they go, how long they may be. */
struct PSTEXT {
    int32_t id;
    uint32_t bit;
    size_t offset;
    int max;
};
static const PSTEXT Texts[] = {
    { MQCACF_STREAM_NAME, PSP_STREAM, offsetof(PUBSUBC, stream), PS_NAME },
    { MQCACF_TOPIC, PSP_TOPIC, offsetof(PUBSUBC, topic), PS_TOPIC },
    { MQCACF_SUBSCRIPTION_NAME, PSP_SUBNAME, offsetof(PUBSUBC, subName), PS_TOPIC },
    { MQCACF_SUBSCRIPTION_IDENTITY, PSP_IDENTITY, offsetof(PUBSUBC, identity), PS_TOPIC },
    { MQCA_Q_NAME, PSP_QUEUE, offsetof(PUBSUBC, queue), PS_NAME },
    { MQCA_Q_MGR_NAME, PSP_QMGR, offsetof(PUBSUBC, qmgr), PS_NAME },
};

/* Broker commands: REGISTRATION_OPTIONS and whether the subscription
 * name goes. */
enum { PS_REGISTER, PS_UPDATE, PS_DEREGISTER };
static const struct { int32_t command; int32_t options; int named; } Broker[] = {
    { MQCMD_REGISTER_SUBSCRIBER, 1185, 1 },
    { MQCMD_REQUEST_UPDATE, MQREGO_CORREL_ID_AS_IDENTITY, 0 },
    { MQCMD_DEREGISTER_SUBSCRIBER, MQREGO_CORREL_ID_AS_IDENTITY, 1 },
};

static int Wild(const char *s)
{
    return strchr(s, '*') || strchr(s, '?');
}

/* The broker queue manager's name (49). */
static void BrokerQmgr(const PUBSUBC *q, char *out)
{
    EngTrimName(out, q->location->qmName, PS_NAME);
}

PUBSUBC *PSQueryOf(const IFCMD *r)
{
    return r && r->publish ? (PUBSUBC *)(uintptr_t)r->callerValue : nullptr;
}

PSSTREAM *PSFindCorrel(PUBSUBC *q, const uint8_t *correlId)
{
    for (uint32_t i = 0; q && i < q->count; i++)
        if (q->streams[i].haveCorrel && !memcmp(q->streams[i].correlId, correlId, 24))
            return &q->streams[i];
    return nullptr;
}

PSSTREAM *PSFindStream(PUBSUBC *q, const char *name)
{
    char padded[PS_NAME + 1];
    snprintf(padded, sizeof padded, "%-48.48s", name);
    for (uint32_t i = 0; i < q->count; i++)
        if (!memcmp(q->streams[i].name, padded, PS_NAME))
            return &q->streams[i];
    if (q->count == q->capacity) {
        uint32_t capacity = q->capacity * 2 + 5;
        PSSTREAM *t = (PSSTREAM *)CSGetMem(capacity * sizeof *t, "PUBSUBSTREAMS");
        if (!t)
            return nullptr;
        memset(t, 0, capacity * sizeof *t);
        if (q->count)
            memcpy(t, q->streams, q->count * sizeof *t);
        CSFreeMemAndClear(&q->streams);
        q->streams = t;
        q->capacity = capacity;
    }
    PSSTREAM *s = &q->streams[q->count++];
    memcpy(s->name, padded, sizeof s->name);
    return s;
}

int PSTopicPrefix(const PUBSUBC *q, char *out, size_t size)
{
    char qm[PS_NAME + 1];
    BrokerQmgr(q, qm);
    const char *kind = q->command == MYCMD_INQUIRE_SUBSCRIBER ? "Subscribers" : "Publishers";
    if (q->location->flags & LF_NPSAI)
        return snprintf(out, size, "MQ/SA/%-48.48s/%s/AllIdentities/", qm, kind);
    return snprintf(out, size, "MQ/S/%-48.48s/%s/Identities/", qm, kind);
}

/* ---- the query's end ---- */

void PSFail(PSCALL *c, int32_t reason, const char *text)
{
    PUBSUBC *q = c->q;
    SendErrorResponse(q->location, 0, nullptr, c->hconn, c->cache, q->command, &q->md, reason, 0, 0,
                      text ? MYPCFA_ERROR_MESSAGE : 0, (intptr_t)text);
    PSEnd(c);
}

static void FreeQuery(PUBSUBC *q)
{
    CSFreeMemAndClear(&q->streams);
    CSFreeMem(q);
}

void PSEnd(PSCALL *c)
{
    PUBSUBC *q = c->q;
    if (!q->record) {
        FreeQuery(q);
        return;
    }
    /* released at once, or by the reply handler that holds it */
    q->record->complete = 1;
    if (!q->record->users)
        IfcmdFree(q->record);
}

void PSFreeQuery(IFCMD *r)
{
    PUBSUBC *q = PSQueryOf(r);
    r->callerValue = 0;
    if (q)
        FreeQuery(q);
}

/* ---- broker commands ---- */

/* The query's command in flight, made with its first broker command. */
static int Record(PUBSUBC *q)
{
    if (q->record)
        return 1;
    IFCMD image = {};
    image.publish = 1;
    image.location = q->location;
    image.command = (uint32_t)q->command;
    image.created = q->start;
    image.callerValue = (uint64_t)(uintptr_t)q;
    IFCMD *r = IfcmdAdd(&image, "IFCMD");
    if (!r)
        return 0;
    IfcmdMakeKey(r, KEY_PROGRAM, 0);
    q->record = r;
    return 1;
}

/* Puts one broker command for a stream: 0, or the reason after the
 * requester was answered and the query ended. */
static int PSPutBrokerCommand(PSCALL *c, PSSTREAM *s, const uint8_t *message, int32_t length)
{
    PUBSUBC *q = c->q;
    QMS *r = q->location;
    MQIEntryTable *t = AgentTable(r, c->hconn);
    char qm[49], queue[49], text[300];
    AgentQMgr(r, qm);
    CmdTargetQueue(r, TRF_BROKER, queue, sizeof queue);
    MQLONG cc, rc;
    MQHOBJ hobj;
    MQOpenCached(c->hconn, t == &MQClientTable, c->cache, 0, qm, queue, nullptr, nullptr, MQOO_OUTPUT, 0,
                 nullptr, 0, &hobj, nullptr, &cc, &rc);
    if (cc == MQCC_FAILED) {
        snprintf(text, sizeof text, "Error opening queue '%s/%s' RC(%ld) %s", qm, queue, (long)rc, MQReasonText(rc));
        PSFail(c, rc, text);
        return rc;
    }
    if (!Record(q)) {
        PSFail(c, MQRC_STORAGE_NOT_AVAILABLE, "No Storage");
        return MQRC_STORAGE_NOT_AVAILABLE;
    }
    MQMD md = {MQMD_DEFAULT};
    md.Version = MQMD_VERSION_1;
    md.Report = MQRO_PASS_MSG_ID | MQRO_PASS_CORREL_ID;
    md.MsgType = MQMT_REQUEST;
    md.Expiry = 3000;
    md.Encoding = MQENC_NATIVE;
    md.CodedCharSetId = 0;
    memcpy(md.Format, "MQPCF   ", 8);
    md.Priority = MQPRI_PRIORITY_AS_Q_DEF;
    md.Persistence = MQPER_PERSISTENCE_AS_Q_DEF;
    CMDKEY key = q->record->key;
    key.sequence = ++q->sequence;
    memcpy(md.MsgId, &key, sizeof md.MsgId);
    MQELOC *e = MQELocOf(r);
    CmdCopy(md.ReplyToQ, e ? e->replyQ : "", sizeof md.ReplyToQ);
    CmdCopy(md.ReplyToQMgr, r->qmName, sizeof md.ReplyToQMgr);
    MQPMO pmo = {MQPMO_DEFAULT};
    pmo.Options = MQPMO_NO_SYNCPOINT;
    if (s->haveCorrel)
        memcpy(md.CorrelId, s->correlId, sizeof md.CorrelId);
    else
        pmo.Options |= MQPMO_NEW_CORREL_ID;
    if (MQEGlobals.debugMode && MQEHooks.debugDump)
        MQEHooks.debugDump(r, 1, &md, message, length);
    t->MQPUT(c->hconn, hobj, &md, &pmo, length, (void *)message, &cc, &rc);
    if (cc == MQCC_FAILED) {
        snprintf(text, sizeof text, "Error putting to queue '%s/%s' RC(%ld) %s", qm, queue, (long)rc, MQReasonText(rc));
        PSFail(c, rc, text);
        return rc;
    }
    if (!s->haveCorrel) {
        memcpy(s->correlId, md.CorrelId, sizeof s->correlId);
        UTBytesToHex(s->correlId, 24, s->correlHex, 48);
        s->haveCorrel = 1;
    }
    q->outstanding++;
    return 0;
}

/* One broker command (PS_REGISTER, PS_UPDATE, PS_DEREGISTER) on a topic. */
static int Command(PSCALL *c, PSSTREAM *s, int which, const char *topic)
{
    PUBSUBC *q = c->q;
    alignas(8) uint8_t area[1000];
    void *slot = area;
    char stream[PS_NAME + 1], qm[PS_NAME + 1];
    EngTrimName(stream, s->name, PS_NAME);
    BrokerQmgr(q, qm);
    MQELOC *e = MQELocOf(q->location);
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &slot, 0, sizeof area, 0, Broker[which].command, &cc, &rc);
    int32_t options = Broker[which].options;
    PCFAddParm(&pp, MQCFT_STRING, MQCACF_TOPIC, topic, -1, 1, &cc, &rc);
    if (!cc)
        PCFAddParm(&pp, MQCFT_INTEGER, MQIACF_REGISTRATION_OPTIONS, &options, 4, 1, &cc, &rc);
    if (!cc)
        PCFAddParm(&pp, MQCFT_STRING, MQCACF_STREAM_NAME, stream, -1, 1, &cc, &rc);
    if (!cc && Broker[which].named)
        PCFAddParm(&pp, MQCFT_STRING, MQCACF_SUBSCRIPTION_NAME, "RAVOLT", -1, 1, &cc, &rc);
    if (!cc)
        PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_MGR_NAME, qm, -1, 1, &cc, &rc);
    if (!cc)
        PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_NAME, e ? e->replyQ : "", -1, 1, &cc, &rc);
    if (cc) {
        PSFail(c, rc, nullptr);
        return rc;
    }
    return PSPutBrokerCommand(c, s, pp.message, pp.position);
}

/* The topic a stream's subscription is on (300). */
static void TopicOf(const PUBSUBC *q, const PSSTREAM *s, char *out, size_t size)
{
    char qm[PS_NAME + 1];
    if (s->support) {
        BrokerQmgr(q, qm);
        snprintf(out, size, "MQ/%-48.48s/StreamSupport", qm);
        return;
    }
    int n = PSTopicPrefix(q, out, size);
    if (n > 0 && (size_t)n < size)
        snprintf(out + n, size - (size_t)n, "%s", q->topic);
}

/* Register and at once ask for the retained publications. */
static int PSRegister(PSCALL *c, PSSTREAM *s)
{
    char topic[PS_TOPIC + 100];
    TopicOf(c->q, s, topic, sizeof topic);
    int rc = Command(c, s, PS_REGISTER, topic);
    if (rc)
        return rc;
    s->registered = 1;
    return Command(c, s, PS_UPDATE, topic);
}

static int PSDeregister(PSCALL *c, PSSTREAM *s)
{
    char topic[PS_TOPIC + 100];
    TopicOf(c->q, s, topic, sizeof topic);
    s->registered = 0;
    return Command(c, s, PS_DEREGISTER, topic);
}

/* Learn the stream names: register on the broker's stream support. */
static int PSSubscribeStreams(PSCALL *c)
{
    PSSTREAM *s = PSFindStream(c->q, PS_ADMIN_STREAM);
    if (!s) {
        PSFail(c, MQRC_STORAGE_NOT_AVAILABLE, "No Storage");
        return MQRC_STORAGE_NOT_AVAILABLE;
    }
    s->support = 1;
    c->q->streamPhase = 1;
    return PSRegister(c, s);
}

int PSSubscribeOne(PSCALL *c, const char *stream, int reg)
{
    PSSTREAM *s = PSFindStream(c->q, stream);
    if (!s) {
        PSFail(c, MQRC_STORAGE_NOT_AVAILABLE, "No Storage");
        return MQRC_STORAGE_NOT_AVAILABLE;
    }
    return reg ? PSRegister(c, s) : PSDeregister(c, s);
}

int PSSubscribeIdentities(PSCALL *c, MQPP *pp)
{
    PUBSUBC *q = c->q;
    q->streamPhase = 0;
    for (uint32_t i = 0; i < q->count; i++)
        if (q->streams[i].support && q->streams[i].registered) {
            int rc = PSDeregister(c, &q->streams[i]);
            if (rc)
                return rc;
            break;
        }
    for (;;) {
        MQLONG type, id, length, count, cc, rc;
        void *value;
        PCFGetNextParm(pp, &type, &id, &value, &length, &count, &cc, &rc);
        if (cc)
            break;
        if (id != MQCACF_SUPPORTED_STREAM_NAME || (type != MQCFT_STRING && type != MQCFT_STRING_LIST))
            continue;
        int32_t each = type == MQCFT_STRING ? length : count ? length / count : 0;
        for (MQLONG i = 0; i < count && each > 0; i++) {
            char name[PS_NAME + 1];
            const char *v = (const char *)value + (size_t)i * (size_t)each;
            int32_t n = each;
            while (n && (v[n - 1] == ' ' || !v[n - 1]))
                n--;
            /* a name the query's record cannot hold is passed over whole,
             * never cut to another stream's name */
            if (n == 0 || n > PS_NAME || !UTWildMatch(v, n, q->stream, (int)strlen(q->stream)))
                continue;
            memcpy(name, v, (size_t)n);
            name[n] = 0;
            int rc2 = PSSubscribeOne(c, name, 1);
            if (rc2)
                return rc2;
        }
    }
    return 0;
}

/* ---- the request ---- */

static uint32_t AttrBit(int32_t id)
{
    for (const auto &a : AttrBits)
        if (a.id == id)
            return a.bit;
    return 0;
}

/* The request's parameters into the query: 0, or -1 when answered. */
static int ReadRequest(AGENTREQ *rq, MQPP *pp, PUBSUBC *q)
{
    AGENTPARM p;
    int more;
    while ((more = AgentNext(rq, pp, &p)) > 0) {
        const PSTEXT *t = nullptr;
        for (const PSTEXT &x : Texts)
            if (x.id == p.id)
                t = &x;
        if (t) {
            if (AgentString(rq, &p, (char *)q + t->offset, t->max))
                return -1;
            q->present |= t->bit;
            continue;
        }
        if (p.id != MYPCFA_PUB_ATTRS && p.id != MYPCFA_SUB_ATTRS) {
            AgentUnknown(rq, &p);
            return -1;
        }
        if (p.type != MQCFT_INTEGER && p.type != MQCFT_INTEGER_LIST) {
            AgentUnknown(rq, &p);
            return -1;
        }
        for (int32_t i = 0; i < p.count; i++) {
            int32_t id;
            memcpy(&id, p.value + (size_t)i * 4, 4);
            uint32_t bit = AttrBit(id);
            if (!bit) {
                AgentError(rq, MQRCCF_ATTR_VALUE_ERROR, MQIACF_ERROR_IDENTIFIER, id);
                return -1;
            }
            q->attributes |= bit;
        }
        q->listMode = 1;
    }
    if (more < 0)
        return -1;
    if (!(q->present & PSP_STREAM) || !(q->present & PSP_TOPIC)) {
        AgentMissing(rq, (q->present & PSP_STREAM) ? MQCACF_TOPIC : MQCACF_STREAM_NAME);
        return -1;
    }
    return 0;
}

int PSQueryStreams(QMS *r, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *pp)
{
    AGENTREQ rq = { r, command, h, cache, md, 0, nullptr };
    if (command != MYCMD_INQUIRE_SUBSCRIBER && command != MYCMD_INQUIRE_PUBLISHER)
        return AgentError(&rq, MQRCCF_CFH_COMMAND_ERROR);
    PUBSUBC *q = (PUBSUBC *)CSGetMem(sizeof *q, "PUBSUBC");
    if (!q)
        return AgentErrorText(&rq, MQRC_STORAGE_NOT_AVAILABLE, "No Storage");
    memset(q, 0, sizeof *q);
    if (ReadRequest(&rq, pp, q)) {
        FreeQuery(q);
        return 0;
    }
    if (!r) {
        FreeQuery(q);
        return AgentError(&rq, MQRC_HCONN_ERROR);
    }
    q->location = r;
    q->command = command;
    q->start = CmdNow();
    q->md = *md;
    PSCALL c = { q, h, cache };
    if (Wild(q->stream))
        PSSubscribeStreams(&c);
    else
        PSSubscribeOne(&c, q->stream, 1);
    return 0;
}

/* ---- the broker's replies ---- */

/* The last broker reply came: the final response, or "None Found". */
static void Finish(PSCALL *c)
{
    PUBSUBC *q = c->q;
    if (!q->sent) {
        PSFail(c, MQRCCF_NONE_FOUND, "None Found");
        return;
    }
    if (q->listMode) {
        alignas(8) uint8_t area[64];
        void *slot = area;
        MQPP pp;
        MQLONG cc, rc;
        PCFInitArea(&pp, &slot, 0, sizeof area, 0, q->command, &cc, &rc);
        SendResponse(q->location, c->hconn, c->cache, &q->md, &pp, 1);
    }
    PSEnd(c);
}

void PSHandleReply(IFCMD *record, uint32_t value, const MQMD *md, const uint8_t *data, uint32_t length)
{
    PUBSUBC *q = PSQueryOf(record);
    if (!q || record->complete || length < sizeof(MQCFH))
        return;
    MQCFH head;
    memcpy(&head, data, sizeof head);
    QMS *r = q->location;
    MQHCONN h = (MQHCONN)value;
    int side = h == r->getThread.hConn && h != r->putThread.hConn ? MQE_GETSIDE : MQE_PUTSIDE;
    void **cache = nullptr;
    MQELockConnection(r, side);
    MQEConnection(r, side, nullptr, &cache);
    PSCALL c = { q, h, cache };
    PSSTREAM *s = PSFindCorrel(q, md->CorrelId);
    int last = (head.Control & MQCFC_LAST) != 0;
    int ended = 0;
    if (last && (head.Command == MQCMD_REGISTER_SUBSCRIBER || head.Command == MQCMD_REQUEST_UPDATE ||
                 head.Command == MQCMD_DEREGISTER_SUBSCRIBER))
        q->outstanding--;
    if (head.Command == MQCMD_REGISTER_SUBSCRIBER && head.Reason) {
        PSFail(&c, head.Reason, nullptr);
        ended = 1;
    } else if (head.Command == MQCMD_REQUEST_UPDATE && last && s && s->registered) {
        ended = PSDeregister(&c, s) != 0;
    }
    if (!ended && q->outstanding <= 0)
        Finish(&c);
    MQEUnlockConnection(r, side);
}
