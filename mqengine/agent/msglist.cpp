/* MYCMD_INQUIRE_MSGS: the message list of a queue.  A range of messages
 * is browsed, optionally only those holding a search string or chosen
 * by a selector, and answered in one response: for each message the
 * attributes asked for, messages apart by an end-of-group mark. */
#include "agentint.h"

#include <cstring>

#include "cs.h"
#include "cspattern.h"
#include "prfdata.h"

#define LIST_DEFAULT_COUNT 100
#define LIST_DATA_DEFAULT 120          /* bytes read per message */
#define LIST_ALLOWANCE 500             /* bytes of data per message in the answer */
#define LIST_MIN_DATA 10
#define LIST_FIRST_AREA (64 << 20)     /* the answer starts no larger */
#define SEARCH_AREA 30720
#define RANGE_LENGTH 15
#define SELECTOR_LENGTH 10240

struct LISTREQ {
    char queue[AGENT_NAME + 1];
    int64_t first, last;
    int32_t dataSize, allowance;
    uint32_t mask, qualifier;
    const uint8_t *search;
    int32_t searchLength;
    char selector[SELECTOR_LENGTH + 1];
};

/* The answer area of the last list, kept for the next one (a list on any
 * thread takes it whole or not at all): a long list is then answered in
 * memory already in use, not in fresh pages. */
struct KEPTAREA {
    void *area;
    int32_t size;
};
static CSMUTEX keptLock;
static KEPTAREA kept;

/* An answer area of at least size bytes (*got: its size), or null. */
static void *take_area(int32_t size, int32_t *got)
{
    CSLockRecursive(&keptLock, CS_WAIT_FOREVER);
    KEPTAREA k = kept;
    if (k.area && k.size >= size)
        kept.area = nullptr;
    CSUnlockRecursive(&keptLock);
    if (k.area && k.size >= size) {
        *got = k.size;
        return k.area;
    }
    *got = size;
    return CSGetMem((size_t)size, "InquireMsgs Response");
}

static void keep_area(void *area, int32_t size)
{
    CSLockRecursive(&keptLock, CS_WAIT_FOREVER);
    KEPTAREA old = kept;
    if (!old.area || old.size <= size) {
        kept.area = area;
        kept.size = size;
        area = old.area;
    }
    CSUnlockRecursive(&keptLock);
    CSFreeMemAndClear(&area);
}

/* The range of message numbers as the request gives it, bounded by the
 * profile's largest range. */
static void set_range(LISTREQ *l, const char *text)
{
    int32_t a = 0, b = 0;
    if (text)
        SplitCountPair(text, &a, &b);
    int64_t first = a < 1 ? 1 : a;
    int64_t last = b < 1 ? first + LIST_DEFAULT_COUNT - 1 : b;
    if (last < first) {
        int64_t t = first;
        first = last;
        last = t;
    }
    int64_t most = Prf.maxb > 0 ? Prf.maxb : 10000;
    if (last - first > most - 1)
        last = first + most - 1;
    l->first = first;
    l->last = last;
}

/* The attribute list: the mask, or -1 answered. */
static int take_attributes(AGENTREQ *rq, const AGENTPARM *p, uint32_t *mask)
{
    if (p->type != MQCFT_INTEGER_LIST && p->type != MQCFT_INTEGER)
        return AgentUnknown(rq, p);
    for (int32_t i = 0; i < p->count; i++) {
        int32_t id;
        memcpy(&id, p->value + (size_t)i * 4, 4);
        uint32_t bit = MsgAttrBit(id);
        if (!bit) {
            AgentError(rq, MQRCCF_ATTR_VALUE_ERROR, MQIACF_ERROR_IDENTIFIER, id);
            return -1;
        }
        *mask |= bit;
    }
    return 0;
}

/* Reads the request: 0, or -1 answered. */
static int parse(AGENTREQ *rq, MQPP *pp, LISTREQ *l, int32_t *ccsid)
{
    AGENTPARM p;
    int more;
    char range[RANGE_LENGTH + 1];
    while ((more = AgentNext(rq, pp, &p)) > 0) {
        int32_t v;
        switch (p.id) {
        case MQCA_Q_NAME:
            if (AgentString(rq, &p, l->queue, AGENT_NAME))
                return -1;
            break;
        case MYPCFA_MSG_ATTRS:
            if (take_attributes(rq, &p, &l->mask))
                return -1;
            break;
        case MYPCFA_MAX_MSG_SIZE:
            if (AgentInt(rq, &p, &v))
                return -1;
            v = v > LIST_ALLOWANCE ? LIST_ALLOWANCE : v < 0 ? LIST_MIN_DATA : v;
            l->dataSize = l->allowance = v;
            break;
        case MYPCFA_MSG_RANGE:
            if (AgentString(rq, &p, range, RANGE_LENGTH))
                return -1;
            set_range(l, range);
            break;
        case MYPCFA_DIALOG_QUALIFIER:
            if (AgentInt(rq, &p, (int32_t *)&l->qualifier))
                return -1;
            break;
        case MYPCFA_CONVERT_CCSID:
            if (AgentInt(rq, &p, ccsid))
                return -1;
            rq->replyOptions = *ccsid;
            break;
        case MYPCFA_SEARCH:
            if (p.type != MQCFT_STRING)
                return AgentUnknown(rq, &p);
            l->search = p.value;                /* the whole text, blanks and all */
            l->searchLength = (int32_t)strnlen((const char *)p.value, (size_t)p.length);
            break;
        case MYPCFA_MSG_SELECTOR:
            if (AgentString(rq, &p, l->selector, SELECTOR_LENGTH))
                return -1;
            break;
        case MYPCFA_TARGET_Q:
        case MYPCFA_TARGET_QM:
            break;                              /* a copy's target, which the list's fields send along */
        default:
            return AgentUnknown(rq, &p);
        }
    }
    return AgentWalkEnd(rq, more, l->queue);
}

/* The answer's bytes for one listed message at most. */
static int64_t message_size(const LISTREQ *l)
{
    const struct { uint32_t bit; int32_t type, length; } own[] = {
        { MA_POSITION, MQCFT_INTEGER, 4 }, { MA_TOKEN, PCF_BYTE_STRING, 16 },
        { MA_MSGLEN, MQCFT_INTEGER, 4 }, { MA_MESSAGE, PCF_BYTE_STRING, l->allowance },
    };
    int64_t n = 4 + MsgDescParmsSize(l->mask);
    for (const auto &o : own)
        if (l->mask & o.bit)
            n += MsgParmSize(o.type, o.length);
    return n;
}

/* A listed message's parameters, laid down once for the list and
 * stamped for each message: those before its data (the second head
 * begins with the end mark that parts it from the message before) and
 * the descriptor fields after it.  The values come from the read. */
struct LISTROW {
    PCFSTAMP head[2];
    PCFSTAMP tail;
};
enum { FROM_POSITION, FROM_TOKEN, FROM_LENGTH, FROM_MD };

/* The rows of the list's attributes: 0, or the reason. */
static MQLONG make_rows(LISTROW *row, const LISTREQ *l)
{
    MQLONG rc = 0;
    for (int marked = 0; marked < 2 && !rc; marked++) {
        PCFSTAMP *h = &row->head[marked];
        PCFStampInit(h);
        if (marked)
            rc = PCFStampAdd(h, PCF_END_GROUP, 0, 0, 0, 0);
        if (!rc && (l->mask & MA_POSITION))
            rc = PCFStampAdd(h, MQCFT_INTEGER, MYPCFA_POSITION, 4, FROM_POSITION, 0);
        if (!rc && (l->mask & MA_TOKEN))
            rc = PCFStampAdd(h, PCF_BYTE_STRING, MYPCFA_MSG_TOKEN, 16, FROM_TOKEN, 0);
        if (!rc && (l->mask & MA_MSGLEN))
            rc = PCFStampAdd(h, MQCFT_INTEGER, MYPCFA_MSGLEN, 4, FROM_LENGTH, 0);
    }
    PCFStampInit(&row->tail);
    return rc ? rc : AddMsgDescStamp(&row->tail, l->mask, FROM_MD);
}

/* The parameters of one listed message (after the end mark of the one
 * before when marked); 0 or the area's failure. */
static MQLONG add_message(MQPP *out, const LISTREQ *l, const LISTROW *row, int marked, const MSGREAD *r,
                          int64_t position, const uint8_t *data, int32_t shown)
{
    int32_t at = (int32_t)position;
    const void *bases[] = { &at, r->gmo.MsgToken, &r->length, &r->md };
    MQLONG cc = 0, rc = 0;
    PCFStampPut(out, &row->head[marked], bases, &cc, &rc);
    if (!cc && (l->mask & MA_MESSAGE))
        PCFAddString(out, PCF_BYTE_STRING, MYPCFA_MESSAGE, data, shown, &cc, &rc);
    if (!cc)
        PCFStampPut(out, &row->tail, bases, &cc, &rc);
    return cc ? rc : 0;
}

/* Where the search string begins in what was read, or null. */
static const uint8_t *find(const LISTREQ *l, const MSGREAD *r, int32_t got)
{
    return (const uint8_t *)UTMemFind(r->buffer, got, l->search, l->searchLength);
}

/* Where a message is read when no search looks into it: in the answer,
 * where its data parameter's value goes after the row's head, so that
 * the get is its only copy.  Room is made for the whole row first; null
 * when the area cannot grow. */
static uint8_t *read_in_place(MQPP *out, const LISTROW *row, int marked, int32_t readSize)
{
    int32_t before = row->head[marked].length + MQCFST_STRUC_LENGTH_FIXED;
    int64_t need = (int64_t)before + readSize + 3 + row->tail.length;
    if (need > out->size - out->position) {
        MQLONG cc, rc;
        PCFGrowArea(out, (int32_t)need, &cc, &rc);
        if (cc)
            return nullptr;
    }
    return out->message + out->position + before;
}

/* Browses the range into the answer: 0, or the reason (answered). */
static MQLONG browse(AGENTREQ *rq, LISTREQ *l, const LISTROW *row, MSGREAD *r, MQPP *out)
{
    int searching = l->searchLength > 0;
    MQLONG next = MQGMO_BROWSE_FIRST | (searching ? 0 : MQGMO_ACCEPT_TRUNCATED_MSG);
    int32_t readSize = searching ? r->size : l->dataSize;
    int64_t position = 0, n = 0;
    for (;;) {
        if (!searching && !(r->buffer = read_in_place(out, row, n + 1 > l->first, readSize)))
            return AgentError(rq, MQRC_STORAGE_NOT_AVAILABLE);
        MQLONG saved = r->size;
        r->size = readSize;
        MQLONG rc = AgentGet(r, next, nullptr, nullptr);
        r->size = saved;
        if (rc == MQRC_NO_MSG_AVAILABLE)
            return 0;
        if (rc == MQRC_TRUNCATED_MSG_FAILED && searching) {
            int64_t want = ((int64_t)r->length + 4096) & ~(int64_t)4095;
            if (want > INT32_MAX || AgentArea(r, (int32_t)want))
                return AgentErrorText(rq, MQRC_STORAGE_NOT_AVAILABLE, "Failure allocating message area");
            readSize = r->size;
            continue;
        }
        if (!AgentReadOK(rc)) {
            AgentDropHandle(r, rc);
            return AgentError(rq, rc);
        }
        position++;
        next = MQGMO_BROWSE_NEXT | (searching ? 0 : MQGMO_ACCEPT_TRUNCATED_MSG);
        int32_t got = r->length < readSize ? r->length : readSize;
        const uint8_t *data = r->buffer;
        if (searching) {
            const uint8_t *at = find(l, r, got);
            if (!at)
                continue;
            if (!(l->qualifier & DQ_FROMSTART)) {
                got -= (int32_t)(at - data);
                data = at;
            }
        }
        n++;
        if (n >= l->first &&
            add_message(out, l, row, n > l->first, r, position, data, got < l->allowance ? got : l->allowance))
            return AgentError(rq, MQRC_STORAGE_NOT_AVAILABLE);
        if (n >= l->last)
            return 0;
    }
}

int InquireMsgsCmd(QMS *loc, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *pp)
{
    AGENTREQ rq = { loc, command, h, cache, md, 0, nullptr };
    LISTREQ l = {};
    l.dataSize = LIST_DATA_DEFAULT;
    l.allowance = LIST_ALLOWANCE;
    set_range(&l, nullptr);
    MSGREAD r = {};
    LISTROW row;                        /* set by make_rows */
    int32_t ccsid = 0;
    if (parse(&rq, pp, &l, &ccsid))
        goto done;
    if (!loc) {
        AgentError(&rq, MQRC_HCONN_ERROR);
        goto done;
    }
    if (loc->commandLevel < 600)
        l.mask &= ~MA_TOKEN;
    if (make_rows(&row, &l)) {
        AgentError(&rq, MQRC_STORAGE_NOT_AVAILABLE);
        goto done;
    }
    {
        if (l.searchLength > 0 && AgentArea(&r, SEARCH_AREA)) {
            AgentErrorText(&rq, MQRC_STORAGE_NOT_AVAILABLE, "Failure allocating message area");
            goto done;
        }
        r.ccsid = ccsid;
        r.gmoVersion = (l.mask & MA_TOKEN) ? MQGMO_VERSION_3 : MQGMO_VERSION_1;
        r.baseOptions = AgentGetOptions(loc, l.qualifier, 0);
        MQLONG rc = AgentOpen(&rq, &r, l.queue, AgentBrowseOptions(loc, 0), MQC_EQUAL,
                              l.selector[0] ? l.selector : nullptr);
        if (rc) {
            AgentError(&rq, rc);
            goto done;
        }
        int64_t want = 36 + (l.last - l.first + 1) * message_size(&l);
        int32_t size;
        void *area = take_area(want > LIST_FIRST_AREA ? LIST_FIRST_AREA : (int32_t)want, &size);
        if (!area) {
            AgentError(&rq, MQRC_STORAGE_NOT_AVAILABLE);
            goto done;
        }
        MQPP out;
        MQLONG cc;
        PCFInitArea(&out, &area, 1, size, 0, command, &cc, &rc);
        if (!browse(&rq, &l, &row, &r, &out))
            SendResponse(loc, h, cache, md, &out, 1);
        keep_area(area, out.size);
    }
done:
    AgentFreeArea(&r);
    return 0;
}
