/* MQGET: browse cursors, locks, matching by MsgId, CorrelId and message
 * token, selection strings, truncation, conversion, syncpoint, and waits
 * that any put, commit or backout of the process ends at once. */
#include "simcall.h"
#include "simchannel.h"

#include <chrono>

#ifdef MQSIM_CODEPAGES
int SimConvertCodepage(MQLONG fromCcsid, MQLONG toCcsid, MQBYTE *data, MQLONG length);
int (*SimConvertHook)(MQLONG fromCcsid, MQLONG toCcsid, MQBYTE *data, MQLONG length) = SimConvertCodepage;
#else
int (*SimConvertHook)(MQLONG fromCcsid, MQLONG toCcsid, MQBYTE *data, MQLONG length);
#endif

static const MQLONG BrowseOptions = MQGMO_BROWSE_FIRST | MQGMO_BROWSE_NEXT | MQGMO_BROWSE_MSG_UNDER_CURSOR;
static const MQLONG KnownGetOptions = MQGMO_WAIT | MQGMO_NO_WAIT | MQGMO_SET_SIGNAL |
    MQGMO_FAIL_IF_QUIESCING | MQGMO_SYNCPOINT | MQGMO_SYNCPOINT_IF_PERSISTENT | MQGMO_NO_SYNCPOINT |
    MQGMO_MARK_SKIP_BACKOUT | BrowseOptions | MQGMO_MSG_UNDER_CURSOR | MQGMO_LOCK | MQGMO_UNLOCK |
    MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_CONVERT | MQGMO_LOGICAL_ORDER | MQGMO_COMPLETE_MSG |
    MQGMO_ALL_MSGS_AVAILABLE | MQGMO_ALL_SEGMENTS_AVAILABLE | MQGMO_MARK_BROWSE_HANDLE |
    MQGMO_MARK_BROWSE_CO_OP | MQGMO_UNMARK_BROWSE_CO_OP | MQGMO_UNMARK_BROWSE_HANDLE |
    MQGMO_UNMARKED_BROWSE_MSG | MQGMO_PROPERTIES_FORCE_MQRFH2 | MQGMO_NO_PROPERTIES |
    MQGMO_PROPERTIES_IN_HANDLE | MQGMO_PROPERTIES_COMPATIBILITY | MQGMO_PROPERTIES_AS_Q_DEF;

static MQLONG CheckOptions(const SimHandle *h, MQLONG o)
{
    MQLONG pos = o & (BrowseOptions | MQGMO_MSG_UNDER_CURSOR);
    if ((o & ~KnownGetOptions) || (pos & (pos - 1)))
        return MQRC_OPTIONS_ERROR;
    MQLONG sp = o & (MQGMO_SYNCPOINT | MQGMO_NO_SYNCPOINT | MQGMO_SYNCPOINT_IF_PERSISTENT);
    if ((sp & (sp - 1)) || ((o & MQGMO_WAIT) && (o & MQGMO_NO_WAIT)))
        return MQRC_OPTIONS_ERROR;
    if ((o & MQGMO_LOCK) && !(o & BrowseOptions))
        return MQRC_OPTIONS_ERROR;
    if ((o & MQGMO_UNLOCK) && (o & ~(MQGMO_UNLOCK | MQGMO_FAIL_IF_QUIESCING | MQGMO_NO_WAIT)))
        return MQRC_OPTIONS_ERROR;
    if ((o & BrowseOptions) && !(h->options & MQOO_BROWSE))
        return MQRC_NOT_OPEN_FOR_BROWSE;
    if (!(o & (BrowseOptions | MQGMO_UNLOCK)) &&
        !(h->options & (MQOO_INPUT_AS_Q_DEF | MQOO_INPUT_SHARED | MQOO_INPUT_EXCLUSIVE)))
        return MQRC_NOT_OPEN_FOR_INPUT;
    return 0;
}

/* The 16-byte token of a message: its number within the queue manager
 * and the queue manager's seed. */
static void TokenOf(const SimQMgr *q, uint64_t token, MQBYTE *out)
{
    memcpy(out, &token, 8);
    memcpy(out + 8, &q->tokenSeed, 8);
}

struct Match {
    bool msgId, correlId, token, groupId, seqNumber, offset;
    MQBYTE id[24], correl[24], group[24];
    MQLONG seq, off;
    uint64_t tokenValue;
    const std::vector<SimSelTerm> *selector;
};

static bool Matches(const Match &mt, const SimMsg *m)
{
    if (mt.msgId && memcmp(m->md.MsgId, mt.id, 24) != 0)
        return false;
    if (mt.correlId && memcmp(m->md.CorrelId, mt.correl, 24) != 0)
        return false;
    if (mt.token && m->token != mt.tokenValue)
        return false;
    if (mt.groupId && memcmp(m->md.GroupId, mt.group, 24) != 0)
        return false;
    if ((mt.seqNumber && m->md.MsgSeqNumber != mt.seq) || (mt.offset && m->md.Offset != mt.off))
        return false;
    return !mt.selector || SimSelMatch(*mt.selector, &m->md);
}

/* Whether this handle may see the message; expired ones are removed. */
static bool Visible(SimHandle *h, SimMsg *m, int64_t now)
{
    if (m->state != SIM_MSG_LIVE)
        return false;
    if (m->lockedBy && m->lockedBy != h)
        return false;
    if (SimMsgExpired(m, now)) {
        SimStoreRemove(h->qmgr, h->target, m);
        SimMsgRemove(h->target->queue, m);
        return false;
    }
    return true;
}

/* The next message the get may take, or null. */
static SimMsg *Find(SimHandle *h, MQLONG options, const Match &mt, MQLONG *reason)
{
    SimQueue *q = h->target->queue;
    int64_t now = SimNowMs();
    *reason = 0;
    if (options & (MQGMO_MSG_UNDER_CURSOR | MQGMO_BROWSE_MSG_UNDER_CURSOR)) {
        SimMsg *m = h->cursor;
        if (!m || m->state == SIM_MSG_GONE) {
            *reason = MQRC_NO_MSG_UNDER_CURSOR;
            return nullptr;
        }
        return Visible(h, m, now) ? m : nullptr;
    }
    if (mt.token) {
        auto it = q->byToken.find(mt.tokenValue);
        if (it == q->byToken.end())
            return nullptr;
        SimMsg *m = it->second;
        return Visible(h, m, now) && Matches(mt, m) ? m : nullptr;
    }
    SimMsg *m = (options & MQGMO_BROWSE_NEXT) && h->cursor ? h->cursor->next : q->head;
    while (m) {
        SimMsg *next = m->next;
        if (Visible(h, m, now) && Matches(mt, m))
            return m;
        m = next;
    }
    return nullptr;
}

static void MoveCursor(SimHandle *h, SimMsg *m)
{
    if (h->cursor == m)
        return;
    m->pins++;
    if (h->cursor)
        SimMsgUnpin(h->target->queue, h->cursor);
    h->cursor = m;
}

static void Unlock(SimHandle *h)
{
    if (h->locked && h->locked->lockedBy == h)
        h->locked->lockedBy = nullptr;
    h->locked = nullptr;
}

static bool ConvertibleFormat(const MQMD *md)
{
    return memcmp(md->Format, MQFMT_STRING, 8) == 0;
}

/* Copies the message out; conversion of "MQSTR" data when asked.  Data
 * converted (or a string already in the CCSID asked for) is described by
 * the CCSID and encoding asked for, as IBM MQ leaves them; data that is
 * not converted keeps the message's own. */
static MQLONG Deliver(SimConn *c, SimHandle *h, SimMsg *m, MQMD *md, MQGMO *gmo, MQLONG bufLen,
                      void *buf, MQLONG *dataLen)
{
    MQLONG wantCcsid = md->CodedCharSetId, wantEncoding = md->Encoding;
    MQLONG n = m->length < bufLen ? m->length : bufLen;
    MQLONG reason = 0;
    if (n > 0)
        memcpy(buf, m->data, (size_t)n);
    *dataLen = m->length;
    *md = m->md;
    if (m->expireAt) {        /* what is left of the expiry, in tenths of a second */
        int64_t left = (m->expireAt - SimNowMs() + 99) / 100;
        md->Expiry = left < 1 ? 1 : left > 999999999 ? 999999999 : (MQLONG)left;
    }
    if (gmo->Options & MQGMO_CONVERT) {
        if (wantCcsid == MQCCSI_Q_MGR)
            wantCcsid = SimInt(c->qmgr->qmgrObj, MQIA_CODED_CHAR_SET_ID, 437);
        int string = ConvertibleFormat(&m->md);
        if (wantCcsid != m->md.CodedCharSetId &&
            !(string && SimConvertHook && SimConvertHook(m->md.CodedCharSetId, wantCcsid, (MQBYTE *)buf, n) == 0))
            reason = MQRC_NOT_CONVERTED;
        else if (string) {
            md->CodedCharSetId = wantCcsid;
            md->Encoding = wantEncoding;
        }
    }
    if (gmo->Version >= 3)
        gmo->ReturnedLength = n;
    return reason;
}

MQLONG SimGet(SimConn *c, SimHandle *h, MQMD *md, MQGMO *gmo, MQLONG bufLen, void *buf,
              MQLONG *dataLen, std::unique_lock<std::mutex> *lock)
{
    MQLONG reason = CheckOptions(h, gmo->Options);
    if (reason)
        return reason;
    if (h->deleted)
        return MQRC_Q_DELETED;
    if (!h->target)
        return MQRC_NOT_OPEN_FOR_INPUT;
    if (bufLen < 0)
        return MQRC_BUFFER_LENGTH_ERROR;
    if ((gmo->Options & MQGMO_WAIT) && gmo->WaitInterval < 0 && gmo->WaitInterval != MQWI_UNLIMITED)
        return MQRC_WAIT_INTERVAL_ERROR;
    if (bufLen > 0 && !buf)
        return MQRC_BUFFER_ERROR;
    if (gmo->Options & MQGMO_UNLOCK) {
        if (!h->locked)
            return MQRC_NO_MSG_LOCKED;
        Unlock(h);
        return 0;
    }
    Match mt = {};
    MQLONG mo = gmo->Version >= 2 ? gmo->MatchOptions : MQMO_MATCH_MSG_ID | MQMO_MATCH_CORREL_ID;
    mt.msgId = (mo & MQMO_MATCH_MSG_ID) && memcmp(md->MsgId, MQMI_NONE, 24) != 0;
    mt.correlId = (mo & MQMO_MATCH_CORREL_ID) && memcmp(md->CorrelId, MQCI_NONE, 24) != 0;
    memcpy(mt.id, md->MsgId, 24);
    memcpy(mt.correl, md->CorrelId, 24);
    if (md->Version >= MQMD_VERSION_2) {
        mt.groupId = (mo & MQMO_MATCH_GROUP_ID) && memcmp(md->GroupId, MQGI_NONE, 24) != 0;
        mt.seqNumber = (mo & MQMO_MATCH_MSG_SEQ_NUMBER) != 0;
        mt.offset = (mo & MQMO_MATCH_OFFSET) != 0;
        memcpy(mt.group, md->GroupId, 24);
        mt.seq = md->MsgSeqNumber;
        mt.off = md->Offset;
    }
    if (gmo->Version >= 3 && (mo & MQMO_MATCH_MSG_TOKEN)) {
        uint64_t seed;
        memcpy(&mt.tokenValue, gmo->MsgToken, 8);
        memcpy(&seed, gmo->MsgToken + 8, 8);
        mt.token = true;
        if (seed != h->qmgr->tokenSeed)
            mt.tokenValue = 0;     /* a token of another queue manager: no match */
    }
    mt.selector = h->selector;
    bool browse = (gmo->Options & BrowseOptions) != 0;
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(gmo->WaitInterval < 0 ? 0 : gmo->WaitInterval);
    SimMsg *m;
    for (;;) {
        if (h->deleted)
            return MQRC_Q_DELETED;
        if (c->hconn == MQHC_UNUSABLE_HCONN || c->broken)
            return MQRC_CONNECTION_BROKEN;
        if (!browse && (SimInt(h->target, MQIA_INHIBIT_GET) == 1 || (h->obj && SimInt(h->obj, MQIA_INHIBIT_GET) == 1)))
            return MQRC_GET_INHIBITED;
        m = Find(h, gmo->Options, mt, &reason);
        if (m || reason)
            break;
        if (!(gmo->Options & MQGMO_WAIT))
            return MQRC_NO_MSG_AVAILABLE;
        if (gmo->WaitInterval == MQWI_UNLIMITED)
            SimWake.wait(*lock);
        else if (SimWake.wait_until(*lock, deadline) == std::cv_status::timeout) {
            /* the queue may have gone while the wait ran out */
            if (h->deleted)
                return MQRC_Q_DELETED;
            if (c->hconn == MQHC_UNUSABLE_HCONN || c->broken)
                return MQRC_CONNECTION_BROKEN;
            m = Find(h, gmo->Options, mt, &reason);
            if (!m && !reason)
                return MQRC_NO_MSG_AVAILABLE;
            break;
        }
    }
    if (!m)
        return reason;
    SimQMgr *q = h->qmgr;
    if (m->length > bufLen && !(gmo->Options & MQGMO_ACCEPT_TRUNCATED_MSG)) {
        /* 2080: nothing moves, the caller learns the length */
        *md = m->md;
        *dataLen = m->length;
        if (bufLen > 0)
            memcpy(buf, m->data, (size_t)bufLen);
        if (gmo->Version >= 3)
            TokenOf(q, m->token, gmo->MsgToken);
        return MQRC_TRUNCATED_MSG_FAILED;
    }
    bool syncpoint = !browse && ((gmo->Options & MQGMO_SYNCPOINT) ||
                     ((gmo->Options & MQGMO_SYNCPOINT_IF_PERSISTENT) && m->persistent));
    if (syncpoint && (MQLONG)c->uow.size() >= SimInt(c->qmgr->qmgrObj, MQIA_MAX_UNCOMMITTED_MSGS, 10000))
        return MQRC_SYNCPOINT_LIMIT_REACHED;
    reason = Deliver(c, h, m, md, gmo, bufLen, buf, dataLen);
    if (m->length > bufLen)
        reason = MQRC_TRUNCATED_MSG_ACCEPTED;
    SimPad(gmo->ResolvedQName, 48, h->target->name);
    if (gmo->Version >= 2) {
        gmo->GroupStatus = MQGS_NOT_IN_GROUP;
        gmo->SegmentStatus = MQSS_NOT_A_SEGMENT;
        gmo->Segmentation = MQSEG_INHIBITED;
    }
    if (gmo->Version >= 3)
        TokenOf(q, m->token, gmo->MsgToken);
    if (browse) {
        MoveCursor(h, m);
        if (gmo->Options & MQGMO_LOCK) {
            Unlock(h);
            m->lockedBy = h;
            h->locked = m;
        }
        return reason;
    }
    /* destructive get */
    if (h->locked == m)
        Unlock(h);
    h->context = m->md;
    if (syncpoint) {
        m->state = SIM_MSG_GET_PENDING;
        m->uow = c;
        c->uow.push_back({h->target, m, q});
    } else {
        SimStoreRemove(q, h->target, m);
        SimMsgRemove(h->target->queue, m);
        SimStoreMaybeCompact(q);
    }
    return reason;
}

/* The verb. */

extern "C" void MQENTRY MQGET(MQHCONN Hconn, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pGetMsgOpts,
                              MQLONG BufferLength, PMQVOID pBuffer, PMQLONG pDataLength,
                              PMQLONG pCompCode, PMQLONG pReason)
{
    if (SimRemoteGet(Hconn, Hobj, pMsgDesc, pGetMsgOpts, BufferLength, pBuffer, pDataLength, pCompCode, pReason))
        return;
    SimCall call;
    SimCallBegin(&call, "MQGET", Hconn);
    SimHandle *h;
    MQLONG reason = SimCallHandle(&call, Hobj, 0, 0, &h);
    MQMD md = {MQMD_DEFAULT};
    MQGMO gmo = {MQGMO_DEFAULT};
    if (!reason)
        reason = SimCopyIn(&md, md, pMsgDesc, MQMD_STRUC_ID, MQRC_MD_ERROR);
    if (!reason)
        reason = SimCopyIn(&gmo, gmo, pGetMsgOpts, MQGMO_STRUC_ID, MQRC_GMO_ERROR);
    if (!reason && !pDataLength)
        reason = MQRC_DATA_LENGTH_ERROR;
    if (!reason) {
        MQLONG mdVersion = md.Version, gmoVersion = gmo.Version;
        reason = SimGet(call.conn, h, &md, &gmo, BufferLength, pBuffer, pDataLength, &call.lock);
        md.Version = mdVersion;
        gmo.Version = gmoVersion;
        SimCopyOut(pGetMsgOpts, gmo);
        if (!reason || reason == MQRC_TRUNCATED_MSG_ACCEPTED || reason == MQRC_TRUNCATED_MSG_FAILED ||
            reason == MQRC_NOT_CONVERTED)
            SimCopyOut(pMsgDesc, md);
    }
    SimResult(pCompCode, pReason, reason);
}

