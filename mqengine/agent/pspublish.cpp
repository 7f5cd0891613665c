/* Publications of queued publish/subscribe queries: the broker's
 * MQCMD_PUBLISH found by its correlation identifier, its parameters
 * renamed and filtered, its identities split into groups and those that
 * pass the query's queue and queue-manager filters answered to the
 * requester as one response, built anew with the PCF builder. */
#include "psint.h"

#include <cstring>

#include "cs.h"
#include "cstext.h"

/* One parameter of a publication as it goes out. */
struct PSPARM {
    MQLONG type, id, length, count;
    const uint8_t *value;
};

/* Publication ids and the ids they go out as. */
static const struct { int32_t from, to; } Renames[] = {
    { MQCACF_REG_SUB_NAME, MQCACF_SUBSCRIPTION_NAME },
    { MQCACF_REG_SUB_USER_DATA, MQCACF_SUBSCRIPTION_USER_DATA },
    { MQIACF_REG_REG_OPTIONS, MQIACF_REGISTRATION_OPTIONS },
    { MQCACF_REG_Q_MGR_NAME, MQCA_Q_MGR_NAME },
    { MQCACF_REG_Q_NAME, MQCA_Q_NAME },
};

/* The types the builder writes again. */
static int Copied(MQLONG type)
{
    return type == MQCFT_INTEGER || type == MQCFT_STRING || type == MQCFT_INTEGER_LIST ||
           type == MQCFT_STRING_LIST || type == MQCFT_BYTE_STRING;
}

static int32_t Renamed(int32_t id)
{
    for (const auto &r : Renames)
        if (r.from == id)
            return r.to;
    return id;
}

/* Length of a string value without trailing blanks and NULs. */
static int32_t Trimmed(const uint8_t *v, int32_t n)
{
    while (n > 0 && (v[n - 1] == ' ' || !v[n - 1]))
        n--;
    return n;
}

int PSTopicMatch(const char *want, const char *value, int32_t length)
{
    size_t w = strcspn(want, " ");
    int32_t n = 0;
    while (n < length && value[n] != ' ' && value[n])
        n++;
    return (size_t)n == w && !memcmp(want, value, w);
}

/* A pattern of the query against a value (an empty text when absent). */
static int Matches(const char *pattern, const uint8_t *v, int32_t n)
{
    return UTWildMatch(v ? (const char *)v : "", v ? Trimmed(v, n) : 0, pattern, (int)strlen(pattern));
}

/* Step 1: the publication's parameters renamed into out (count *n); 0
 * when the publication is not for the requester. */
static int Rename(PSCALL *c, const PSSTREAM *s, MQPP *pp, PSPARM *out, int32_t most, int32_t *n)
{
    PUBSUBC *q = c->q;
    char prefix[PS_TOPIC];
    int32_t prefixLength = PSTopicPrefix(q, prefix, sizeof prefix);
    int subSeen = 0, identitySeen = 0;
    *n = 0;
    for (;;) {
        PSPARM p;
        MQLONG cc, rc;
        void *value;
        PCFGetNextParm(pp, &p.type, &p.id, &value, &p.length, &p.count, &cc, &rc);
        if (cc)
            break;
        p.value = (const uint8_t *)value;
        if (!Copied(p.type) || *n >= most)
            continue;
        int text = p.type == MQCFT_STRING;
        if (text && p.id == MQCACF_REG_CORREL_ID && Trimmed(p.value, p.length) == 48 &&
            !memcmp(p.value, s->correlHex, 48))
            return 0;                                  /* our own registration */
        p.id = Renamed(p.id);
        if (text && p.id == MQCACF_SUBSCRIPTION_NAME && (q->present & PSP_SUBNAME)) {
            subSeen = 1;
            if (!Matches(q->subName, p.value, p.length))
                return 0;
        }
        if (text && p.id == MQCACF_SUBSCRIPTION_IDENTITY && (q->present & PSP_IDENTITY)) {
            identitySeen = 1;
            if (!Matches(q->identity, p.value, p.length))
                return 0;
        }
        if (text && p.id == MQCACF_TOPIC && p.length > prefixLength && !memcmp(p.value, "MQ/S", 4)) {
            p.value += prefixLength;
            p.length -= prefixLength;
        }
        out[(*n)++] = p;
    }
    if ((q->present & PSP_SUBNAME) && !subSeen && !Matches(q->subName, nullptr, 0))
        return 0;
    if ((q->present & PSP_IDENTITY) && !identitySeen && !Matches(q->identity, nullptr, 0))
        return 0;
    return 1;
}

/* Step 2: the group starting at first (an MQCA_Q_MGR_NAME) passes the
 * query's queue and queue-manager filters. */
static int GroupTaken(const PUBSUBC *q, const PSPARM *p, int32_t first, int32_t end)
{
    int qmOk = !(q->present & PSP_QMGR), queueOk = !(q->present & PSP_QUEUE);
    for (int32_t i = first; i < end; i++) {
        if (p[i].type != MQCFT_STRING)
            continue;
        if (p[i].id == MQCA_Q_MGR_NAME && !qmOk)
            qmOk = PSTopicMatch(q->qmgr, (const char *)p[i].value, p[i].length);
        else if (p[i].id == MQCA_Q_NAME && !queueOk)
            queueOk = PSTopicMatch(q->queue, (const char *)p[i].value, p[i].length);
    }
    return qmOk && queueOk;
}

/* Appends parameters [from, to) to the response: 0, or the builder's
 * reason. */
static MQLONG PSAddOutput(MQPP *out, const PSPARM *p, int32_t from, int32_t to)
{
    MQLONG cc = 0, rc = 0;
    for (int32_t i = from; i < to && !cc; i++)
        PCFAddParm(out, p[i].type == MQCFT_STRING_LIST ? PCF_STRING_LIST : p[i].type, p[i].id, p[i].value,
                   p[i].length, p[i].count, &cc, &rc);
    return cc ? rc : 0;
}

/* Step 3: the common parameters and every group taken, separated; 0 with
 * *taken 0 when filters were given and no group passed them. */
static MQLONG PSScanIdentities(const PUBSUBC *q, const PSPARM *p, int32_t n, MQPP *out, int *taken)
{
    int32_t common = 0;
    while (common < n && p[common].id != MQCA_Q_MGR_NAME)
        common++;
    *taken = 0;
    if (common == n) {                              /* no identity groups */
        *taken = !(q->present & (PSP_QUEUE | PSP_QMGR));
        return *taken ? PSAddOutput(out, p, 0, n) : 0;
    }
    MQLONG rc = 0;
    for (int32_t first = common; first < n && !rc;) {
        int32_t end = first + 1;
        while (end < n && p[end].id != MQCA_Q_MGR_NAME)
            end++;
        if (GroupTaken(q, p, first, end)) {
            if (*taken) {
                MQLONG cc, zero = 0;
                PCFAddParm(out, MQCFT_INTEGER, ZKT_OBJECT_SEPARATOR, &zero, 4, 1, &cc, &rc);
            }
            if (!rc)
                rc = PSAddOutput(out, p, 0, common);
            if (!rc)
                rc = PSAddOutput(out, p, first, end);
            (*taken)++;
        }
        first = end;
    }
    return rc;
}

void PSForward(PSCALL *c, PSSTREAM *s, MQPP *pp)
{
    PUBSUBC *q = c->q;
    int32_t most = pp->size / 16 + 1;
    PSPARM *p = (PSPARM *)CSGetMem((size_t)most * sizeof *p, "PUBSUBPARMS");
    void *area = nullptr;
    int32_t n = 0;
    if (!p || !Rename(c, s, pp, p, most, &n)) {
        CSFreeMemAndClear(&p);
        return;
    }
    /* every group may carry the common part again */
    MQPP out;
    MQLONG cc, rc;
    PCFInitArea(&out, &area, 1, pp->size + 1024, 10240, q->command, &cc, &rc);
    int taken = 0;
    if (!cc)
        rc = PSScanIdentities(q, p, n, &out, &taken);
    if (!cc && !rc && taken) {
        SendResponse(q->location, c->hconn, c->cache, &q->md, &out, !q->listMode);
        q->sent++;
    }
    CSFreeMemAndClear(&area);
    CSFreeMem(p);
}

/* The query a publication's correlation identifier names. */
static int Names(const IFCMD *r, const void *correlId)
{
    return PSFindCorrel(PSQueryOf(r), (const uint8_t *)correlId) != nullptr;
}

int PSQueryReply(QMS *, int32_t, MQHCONN h, void **cache, MQMD *md, MQPP *pp)
{
    IFCMD *r = IfcmdHoldMatch(Names, md->CorrelId);
    if (!r)
        return 0;
    PUBSUBC *q = PSQueryOf(r);
    PSCALL c = { q, h, cache };
    PSSTREAM *s = q && !r->complete ? PSFindCorrel(q, md->CorrelId) : nullptr;
    if (s && s->support) {
        if (q->streamPhase)
            PSSubscribeIdentities(&c, pp);
    } else if (s && (q->listMode || !q->sent)) {
        PSForward(&c, s, pp);
    }
    IfcmdLetGo(r);
    return 0;
}
