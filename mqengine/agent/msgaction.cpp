/* Copy, move, delete, update and add (MsgActionCmd).  The selected
 * messages (by positions, ids, both, tokens, or all of them) are taken
 * from the source queue under syncpoint and put under syncpoint where
 * they go; every unit of work the action touches is committed together,
 * in batches when asked, and backed out on every way out that did not
 * commit, so that no message is lost or doubled within a queue manager.
 * Progress is counted in the request's progress record, which can ask
 * for an abort. */
#include "agentint.h"

#include <algorithm>
#include <cstring>

#include "cs.h"

#define ACTION_AREA 32768
#define BATCH_MOST 1000

static const char SelectionText[] = "A message selection is requried for this operation";

/* What each action does: its verb, and the get options of its walks. */
struct ActionKind {
    int32_t command;
    const char *done;              /* "%d message%s %s" */
    MQLONG walk;                   /* all messages or by token */
    MQLONG take;                   /* the message under the browse cursor */
    int puts;                      /* each message taken is put somewhere */
    int needsTarget;
};

static const ActionKind Kinds[] = {
    { MYCMD_COPY_MSGS, "copied", MQGMO_BROWSE_FIRST | MQGMO_NO_SYNCPOINT, MQGMO_BROWSE_MSG_UNDER_CURSOR, 1, 1 },
    { MYCMD_MOVE_MSGS, "moved", MQGMO_SYNCPOINT, MQGMO_MSG_UNDER_CURSOR | MQGMO_SYNCPOINT, 1, 1 },
    { MYCMD_DELETE_MSGS, "deleted", MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_SYNCPOINT,
      MQGMO_MSG_UNDER_CURSOR | MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_SYNCPOINT, 0, 0 },
    { MYCMD_UPDATE_MSG, "updated", MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_SYNCPOINT, 0, 0, 0 },
    { MYCMD_ADD_MSG, "added", 0, 0, 0, 0 },
};

static const ActionKind *kind_of(int32_t command)
{
    for (const ActionKind &k : Kinds)
        if (k.command == command)
            return &k;
    return &Kinds[0];
}

/* Context options of the qualifier: open options of targets and put
 * options. */
struct ContextRow {
    uint32_t bits;
    MQLONG open, put;
};
static const ContextRow Contexts[] = {
    { DQ_SETALL, MQOO_SET_ALL_CONTEXT, MQPMO_SET_ALL_CONTEXT },
    { DQ_PASSALL, MQOO_PASS_ALL_CONTEXT, MQPMO_PASS_ALL_CONTEXT },
    { DQ_SETIDENTITY, MQOO_SET_IDENTITY_CONTEXT, MQPMO_SET_IDENTITY_CONTEXT },
};
static const ContextRow NoContext = { 0, 0, 0 };

/* The context of the puts.  A copy only browses, and a browse saves no
 * context to pass: it sets all of it from the message it read. */
static const ContextRow *context_of(uint32_t qualifier, int32_t command)
{
    uint32_t bits = qualifier & DQ_CONTEXT;
    if (bits == DQ_PASSALL && command == MYCMD_COPY_MSGS)
        bits = DQ_SETALL;
    for (const ContextRow &c : Contexts)
        if (bits == c.bits)
            return &c;
    return &NoContext;
}

/* ---- the request ---- */

static int parse(MSGACTION *a, MQPP *pp)
{
    AGENTREQ *rq = &a->rq;
    AGENTPARM p;
    int more;
    while ((more = AgentNext(rq, pp, &p)) > 0) {
        int rc = 0;
        int32_t v;
        switch (p.id) {
        case MQCA_Q_NAME: rc = AgentString(rq, &p, a->queue, AGENT_NAME); break;
        case MYPCFA_TARGET_Q: rc = AgentString(rq, &p, a->targetQ, AGENT_NAME); break;
        case MYPCFA_TARGET_QM: rc = AgentString(rq, &p, a->targetQM, AGENT_NAME); break;
        case MYPCFA_MSGID: rc = AgentTakeItems(rq, &p, &a->ids); break;
        case MYPCFA_MSG_TOKEN: rc = AgentTakeItems(rq, &p, &a->tokens); break;
        case MYPCFA_POSITION: rc = AgentTakeInts(rq, &p, &a->positions); break;
        case MYPCFA_DIALOG_QUALIFIER: rc = AgentInt(rq, &p, (int32_t *)&a->qualifier); break;
        case MYPCFA_MSG_SELECTOR: rc = AgentString(rq, &p, a->selector, ACTION_SELECTOR); break;
        case MYPCFA_MSGDESCRIPTOR:
            rc = AgentTakeMD(rq, &p, &a->newMD);
            a->haveMD = !rc;
            break;
        case MYPCFA_FULLMESSAGE:
            rc = AgentBytes(rq, &p, 0, &a->newData, &a->newLength);
            a->haveData = !rc;
            break;
        case MYPCFA_CONVERT_CCSID:
            rc = AgentInt(rq, &p, &v);
            a->src.ccsid = rq->replyOptions = v;
            break;
        case MYPCFA_MAX_MSG_SIZE:                /* what a message dialog sends along */
            rc = AgentInt(rq, &p, &v);
            break;
        case MYPCFA_FORMAT:                      /* the descriptor's own is put */
            rc = p.type == MQCFT_STRING ? 0 : AgentUnknown(rq, &p);
            break;
        default:
            return AgentUnknown(rq, &p);
        }
        if (rc)
            return -1;
    }
    return more < 0 ? -1 : 0;
}

/* The checks of what was asked: 0, or -1 answered. */
static int check(MSGACTION *a, const ActionKind *k)
{
    AGENTREQ *rq = &a->rq;
    if (!a->queue[0])
        return AgentMissing(rq, MQCA_Q_NAME), -1;
    if (k->needsTarget && !a->targetQ[0])
        return AgentMissing(rq, MYPCFA_TARGET_Q), -1;
    if (k->needsTarget && !a->targetQM[0])
        return AgentMissing(rq, MYPCFA_TARGET_QM), -1;
    if (!rq->location)
        return AgentError(rq, MQRC_HCONN_ERROR), -1;
    switch (k->command) {
    case MYCMD_UPDATE_MSG:
        if (!a->tokens.count && !a->ids.count)
            return AgentError(rq, MQRCCF_ATTR_VALUE_ERROR, MYPCFA_ERROR_MESSAGE, (intptr_t)SelectionText), -1;
        /* fall through */
    case MYCMD_ADD_MSG:
        if (!a->haveMD)
            return AgentMissing(rq, MYPCFA_MSGDESCRIPTOR), -1;
        if (!a->haveData)
            return AgentMissing(rq, MYPCFA_FULLMESSAGE), -1;
        return 0;
    }
    uint32_t q = a->qualifier;
    if (!(q & DQ_SELECT))
        return AgentError(rq, MQRCCF_CFIN_PARM_ID_ERROR, MQIACF_PARAMETER_ID, MYPCFA_DIALOG_QUALIFIER), -1;
    if (q & DQ_ALL)
        return 0;
    int needIds = (q & (DQ_BOTH | DQ_IDS)) && !a->ids.count;
    int needPositions = (q & (DQ_BOTH | DQ_POSITIONS)) && !a->positions.count;
    int short_ = (q & DQ_BOTH) && a->ids.count < a->positions.count;
    if (needIds || needPositions || short_)
        return AgentError(rq, MQRCCF_ATTR_VALUE_ERROR, MYPCFA_ERROR_MESSAGE, (intptr_t)SelectionText), -1;
    return 0;
}

/* ---- opening and counting ---- */

static MQLONG open_source(MSGACTION *a, const ActionKind *k)
{
    QMS *r = a->rq.location;
    uint32_t q = a->qualifier;
    const ContextRow *context = context_of(q, k->command);
    a->targetOptions = MQOO_OUTPUT | context->open;
    a->putOptions = MQPMO_SYNCPOINT | context->put;
    MQLONG options = MQOO_INPUT_SHARED | MQOO_BROWSE;
    if (context->bits == DQ_PASSALL)
        options |= MQOO_SAVE_ALL_CONTEXT;
    if (q & DQ_ALL)
        options |= MQOO_INQUIRE;
    if ((q & DQ_ALL) && k->command == MYCMD_DELETE_MSGS && !EngNoReadAhead() && !(r->flags & LF_DRA))
        options |= MQOO_READ_AHEAD;
    if (k->command == MYCMD_UPDATE_MSG)
        options |= a->targetOptions;
    return AgentOpen(&a->rq, &a->src, a->queue, options, MQC_EQUAL, a->selector[0] ? a->selector : nullptr);
}

/* The operation's total: the queue's depth, or the messages selected. */
static MQLONG count_total(MSGACTION *a)
{
    if (!(a->qualifier & DQ_ALL)) {
        int32_t n = a->tokens.count ? a->tokens.count
                    : (a->qualifier & DQ_IDS) ? a->ids.count : a->positions.count;
        a->total = n;
        return 0;
    }
    MQLONG selector = MQIA_CURRENT_Q_DEPTH, depth = 0, cc, rc;
    ProgApiStart(a->base.progress, PROG_MQINQ);
    a->src.table->MQINQ(a->src.hconn, a->src.hobj, 1, &selector, 1, &depth, 0, nullptr, &cc, &rc);
    ProgApiEnd(a->base.progress);
    if (cc == MQCC_FAILED)
        return rc;
    a->total = depth;
    return 0;
}

/* The batch size: the smaller of 1000 and the queue managers' limits of
 * uncommitted messages; half of it for a move (a get and a put each). */
static int32_t batch_size(MSGACTION *a)
{
    if (!(a->qualifier & DQ_BATCH))
        return 0;
    MQELOC *e = MQELocOf(a->rq.location);
    int32_t n = e && e->maxUncommitted > 0 && e->maxUncommitted < BATCH_MOST ? e->maxUncommitted : BATCH_MOST;
    if (a->base.command == MYCMD_MOVE_MSGS)
        n /= 2;
    return n > 0 ? n : 1;
}

/* ---- reading ---- */

/* One get into the message area, which grows while a message is refused
 * as too long.  A destructive get with MQRC_CONVERTED_MSG_TOO_BIG has
 * taken the message unconverted: it counts as read, never got again.  A
 * message taken under syncpoint leaves the connection with work to
 * commit or back out. */
static MQLONG read_msg(MSGACTION *a, MQLONG options, const uint8_t *msgId, const uint8_t *token)
{
    MSGREAD *r = &a->src;
    for (;;) {
        MQLONG rc = AgentGet(r, options, msgId, token);
        if (rc != MQRC_TRUNCATED_MSG_FAILED) {
            if (AgentReadOK(rc) && (options & MQGMO_SYNCPOINT))
                a->base.pending = 1;
            AgentDropHandle(r, rc);
            return rc;
        }
        int64_t grown = ((int64_t)r->length + 4096) & ~(int64_t)4095;
        if (grown <= r->size)
            grown = (int64_t)r->size * 2;
        if (grown > INT32_MAX || AgentArea(r, (int32_t)grown))
            return MQRC_STORAGE_NOT_AVAILABLE;
    }
}

void ActionCommitted(const MSGACTION *a, char *out)
{
    out[0] = 0;
    if (a->committed > 0)
        EngFormat(out, 80, "; %d message%s %s before the failure", (int)a->committed, a->committed == 1 ? "" : "s",
                  kind_of(a->base.command)->done);
}

/* A failure of the source queue: the record marked, the reason answered
 * with its name and the message it struck ("Error getting from queue"
 * in the walk, "Error opening queue" before it). */
static int source_failed(MSGACTION *a, MQLONG reason, const char *what)
{
    ProgSetDone(a->base.progress, 1);
    if (reason == MQRC_STORAGE_NOT_AVAILABLE)
        return AgentErrorText(&a->rq, reason, "Failure allocating message area");
    char prefix[40], shown[200], committed[80];
    ActionPrefix(a, prefix);
    ActionCommitted(a, committed);
    return AgentErrorText(&a->rq, reason, "%s%s '%s' RC(%ld) %s%s", prefix, what, a->queue, (long)reason,
                          MQReasonShown(reason, shown, sizeof shown), committed);
}

static int walk_failed(MSGACTION *a, MQLONG reason)
{
    return source_failed(a, reason, "Error getting from queue");
}

static int selection_failed(MSGACTION *a, const char *format)
{
    ProgSetDone(a->base.progress, 1);
    return AgentErrorText(&a->rq, MQRCCF_ATTR_VALUE_ERROR, format, (int)a->handled + 1);
}

static int aborted(MSGACTION *a)
{
    if (!ProgAbortRequested(a->base.progress))
        return 0;
    ProgSetDone(a->base.progress, 1);
    AgentErrorText(&a->rq, MQRC_CHANNEL_STOPPED_BY_USER, "Message(%d) : Operation aborted by user.",
                   (int)a->handled);
    return MQRC_CHANNEL_STOPPED_BY_USER;
}

/* Every message a walk reads, taken or passed over: counted as read,
 * then the test for an abort.  0, or the reason answered. */
static int seen(MSGACTION *a)
{
    ProgCountRead(a->base.progress, 1, (uint64_t)(a->src.length > 0 ? a->src.length : 0));
    return aborted(a);
}

/* What follows the taking of one message: its put, the counts, a batch
 * commit and the test for an abort.  0, or the reason answered. */
static int handled(MSGACTION *a, const ActionKind *k)
{
    MSGREAD *r = &a->src;
    if (k->puts) {
        int32_t got = r->length < r->size ? r->length : r->size;
        int rc = MoveMsgToTarget(a, &r->md, r->buffer, got);
        if (rc)
            return rc;
    }
    a->handled++;
    ProgSetPosition(a->base.progress, (uint64_t)a->handled, (uint64_t)a->total);
    if (a->batch && a->handled % a->batch == 0) {
        int rc = CommitAllUOW(&a->base);
        if (rc) {
            ProgSetDone(a->base.progress, 1);
            return rc;
        }
        a->committed = a->handled;
    }
    return aborted(a);
}

/* The lock of a browse, unless the queue manager is z/OS. */
static MQLONG lock_option(MSGACTION *a)
{
    if (a->rq.location->flags & LF_MVS)
        return 0;
    a->lockHeld = 1;
    return MQGMO_LOCK;
}

/* Takes the message under the browse cursor: 0, or the reason answered. */
static int take(MSGACTION *a, const ActionKind *k)
{
    MQLONG rc = read_msg(a, k->take, nullptr, nullptr);
    if (rc == MQRC_NO_MSG_AVAILABLE || rc == MQRC_NO_MSG_UNDER_CURSOR)
        return selection_failed(a, "Message gone missing between LOCK");
    if (!AgentReadOK(rc))
        return walk_failed(a, rc);
    return handled(a, k);
}

/* ---- the walks ---- */

/* Every message of the queue, as many as it held at the start. */
static int walk_all(MSGACTION *a, const ActionKind *k)
{
    MQLONG options = k->walk;
    while (a->handled < a->total) {
        MQLONG rc = read_msg(a, options, nullptr, nullptr);
        if (rc == MQRC_NO_MSG_AVAILABLE)
            return 0;
        if (!AgentReadOK(rc))
            return walk_failed(a, rc);
        if (options & MQGMO_BROWSE_FIRST)
            options = (options & ~MQGMO_BROWSE_FIRST) | MQGMO_BROWSE_NEXT;
        if ((rc = seen(a)) != 0 || (rc = handled(a, k)) != 0)
            return rc;
    }
    return 0;
}

/* Each listed token's message, checked against its id when ids select. */
static int walk_tokens(MSGACTION *a, const ActionKind *k)
{
    for (int32_t i = 0; i < a->tokens.count; i++) {
        MQLONG rc = read_msg(a, k->walk, nullptr, AgentItem(&a->tokens, i));
        if (rc == MQRC_NO_MSG_AVAILABLE)
            return selection_failed(a, "Message %d is missing");
        if (!AgentReadOK(rc))
            return walk_failed(a, rc);
        if ((rc = seen(a)) != 0)
            return rc;
        int byId = (a->qualifier & (DQ_BOTH | DQ_IDS)) && i < a->ids.count;
        if (byId && memcmp(a->src.md.MsgId, AgentItem(&a->ids, i), 24))
            return selection_failed(a, "Message %d no longer on queue");
        if ((rc = handled(a, k)) != 0)
            return rc;
    }
    return 0;
}

/* Each listed id: browsed (and locked) from the start, then taken. */
static int walk_ids(MSGACTION *a, const ActionKind *k)
{
    MQLONG browse = MQGMO_BROWSE_FIRST | MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_NO_SYNCPOINT | lock_option(a);
    for (int32_t i = 0; i < a->ids.count; i++) {
        const uint8_t *id = AgentItem(&a->ids, i);
        MQLONG rc = read_msg(a, browse, id, nullptr);
        if (rc == MQRC_NO_MSG_AVAILABLE)
            return selection_failed(a, "Message %d is missing");
        if (!AgentReadOK(rc))
            return walk_failed(a, rc);
        if ((rc = seen(a)) != 0)
            return rc;
        if (memcmp(a->src.md.MsgId, id, 24))
            return selection_failed(a, "Message %d no longer on queue");
        if ((rc = take(a, k)) != 0)
            return rc;
    }
    return 0;
}

/* One listed position and where it stands in the lists. */
struct PLACE {
    int32_t position, index;
};

/* The queue browsed from its start, numbered from 1; the listed
 * positions are taken (with 0x1 each only when its id is still there). */
static int walk_positions(MSGACTION *a, const ActionKind *k)
{
    int32_t n = a->positions.count;
    PLACE *places = (PLACE *)CSGetMem(sizeof(PLACE) * (size_t)n, "AGENTLIST");
    if (!places)
        return walk_failed(a, MQRC_STORAGE_NOT_AVAILABLE);
    for (int32_t i = 0; i < n; i++) {
        memcpy(&places[i].position, AgentItem(&a->positions, i), 4);
        places[i].index = i;
    }
    std::sort(places, places + n, [](const PLACE &x, const PLACE &y) {
        return x.position != y.position ? x.position < y.position : x.index < y.index;
    });
    MQLONG browse = MQGMO_BROWSE_FIRST | MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_NO_SYNCPOINT | lock_option(a);
    int32_t next = 0, at = 0;
    int result = 0;
    while (next < n && !result) {
        while (next < n && places[next].position <= at)
            next++;                                /* duplicates and positions below 1 */
        if (next == n)
            break;
        MQLONG rc = read_msg(a, browse, nullptr, nullptr);
        if (rc == MQRC_NO_MSG_AVAILABLE)
            break;
        if (!AgentReadOK(rc)) {
            result = walk_failed(a, rc);
            break;
        }
        browse = (browse & ~MQGMO_BROWSE_FIRST) | MQGMO_BROWSE_NEXT;
        at++;
        if ((result = seen(a)) != 0)
            break;
        if (places[next].position != at)
            continue;
        int32_t index = places[next++].index;
        if ((a->qualifier & DQ_BOTH) && memcmp(a->src.md.MsgId, AgentItem(&a->ids, index), 24))
            result = selection_failed(a, "Selected message number %d has changed it's position");
        else
            result = take(a, k);
    }
    CSFreeMem(places);
    return result;
}

/* ---- the message an update put ---- */

/* The tokens of the messages that carry an id, browsed in queue order;
 * each token is handed to take, with its context.  0, or the reason of a
 * failed browse or take. */
static MQLONG each_with_id(MSGACTION *a, const uint8_t *id, int (*take)(MSGACTION *, const uint8_t *))
{
    MQLONG browse = MQGMO_BROWSE_FIRST | MQGMO_ACCEPT_TRUNCATED_MSG | MQGMO_NO_SYNCPOINT;
    for (;;) {
        MQLONG rc = AgentGet(&a->src, browse, id, nullptr);
        if (rc == MQRC_NO_MSG_AVAILABLE)
            return 0;
        if (!AgentReadOK(rc))
            return rc;
        if ((rc = take(a, a->src.gmo.MsgToken)) != 0)
            return rc;
        browse = (browse & ~MQGMO_BROWSE_FIRST) | MQGMO_BROWSE_NEXT;
    }
}

static int note_sharer(MSGACTION *a, const uint8_t *token)
{
    return AgentListAdd(&a->sharers, token);
}

/* A message with the id that was not there before the put: the last of
 * them is the one put (only a put of another program meanwhile adds one). */
static int note_put(MSGACTION *a, const uint8_t *token)
{
    for (int32_t i = 0; i < a->sharers.count; i++)
        if (!memcmp(AgentItem(&a->sharers, i), token, 16))
            return 0;
    memcpy(a->putToken, token, 16);
    a->putFound = 1;
    return 0;
}

/* Before the put: the messages that already carry the id it puts with (an
 * id left to the queue manager is a new one, which none carries).  The
 * message put can then be told from them, wherever it stands. */
static int note_sharers(MSGACTION *a)
{
    if (UTTrimZeroLength(a->newMD.MsgId, sizeof a->newMD.MsgId) == 0)
        return 0;
    MQLONG rc = each_with_id(a, a->newMD.MsgId, note_sharer);
    return rc ? walk_failed(a, rc) : 0;
}

/* After the commit: the token of the message put, for the window to take
 * its next Update by; none when it cannot be told (gone already). */
static void find_put(MSGACTION *a)
{
    a->putFound = 0;
    each_with_id(a, a->putId, note_put);
}

/* An update: the old message taken by its token (or id), the new one put
 * through the same handle. */
static int update(MSGACTION *a, const ActionKind *k)
{
    const uint8_t *token = a->tokens.count ? AgentItem(&a->tokens, 0) : nullptr;
    const uint8_t *id = !token && a->ids.count ? AgentItem(&a->ids, 0) : nullptr;
    if (note_sharers(a))
        return -1;
    MQLONG rc = read_msg(a, k->walk, id, token);
    if (rc == MQRC_NO_MSG_AVAILABLE)
        return AgentErrorText(&a->rq, MQRCCF_ATTR_VALUE_ERROR, "Message is no longer on the queue");
    if (!AgentReadOK(rc))
        return walk_failed(a, rc);
    if ((rc = MoveMsgToTarget(a, &a->newMD, a->newData, a->newLength)) != 0)
        return rc;
    a->handled = 1;
    return 0;
}

static int walk(MSGACTION *a, const ActionKind *k)
{
    switch (k->command) {
    case MYCMD_ADD_MSG:
        if (MoveMsgToTarget(a, &a->newMD, a->newData, a->newLength))
            return -1;
        a->handled = 1;
        return 0;
    case MYCMD_UPDATE_MSG:
        return update(a, k);
    }
    if (a->qualifier & DQ_ALL)
        return walk_all(a, k);
    if (a->tokens.count)
        return walk_tokens(a, k);
    if ((a->qualifier & DQ_IDS) && !(a->qualifier & (DQ_BOTH | DQ_POSITIONS)))
        return walk_ids(a, k);
    return walk_positions(a, k);
}

/* ---- the action ---- */

static void run(MSGACTION *a, const ActionKind *k)
{
    int tokens = a->tokens.count || k->command == MYCMD_UPDATE_MSG;
    a->src.gmoVersion = tokens ? MQGMO_VERSION_3 : MQGMO_VERSION_1;
    a->src.baseOptions = AgentGetOptions(a->rq.location, a->qualifier, 1);
    if (AgentArea(&a->src, ACTION_AREA)) {
        AgentErrorText(&a->rq, MQRC_STORAGE_NOT_AVAILABLE, "Failure allocating message area");
        return;
    }
    if (k->command != MYCMD_ADD_MSG) {
        MQLONG rc = open_source(a, k);
        if (!rc)
            rc = count_total(a);
        if (rc) {
            source_failed(a, rc, "Error opening queue");
            return;
        }
    } else {
        const ContextRow *context = context_of(a->qualifier, k->command);
        a->targetOptions = MQOO_OUTPUT | context->open;
        a->putOptions = MQPMO_NO_SYNCPOINT | context->put;
        a->total = 1;
    }
    ProgSetPosition(a->base.progress, 0, (uint64_t)a->total);
    ProgMarkTime(a->base.progress);
    a->batch = batch_size(a);
    if (walk(a, k))
        return;
    if (CommitAllUOW(&a->base)) {
        ProgSetDone(a->base.progress, 1);
        return;
    }
    if (k->command == MYCMD_UPDATE_MSG)
        find_put(a);
    char text[100];
    EngFormat(text, sizeof text, "%d message%s %s", (int)a->handled, a->handled == 1 ? "" : "s", k->done);
    AgentInfo(&a->rq, text, a->putFound ? a->putToken : nullptr);
}

/* Every way out: what is pending backed out, a browse lock let go, the
 * record finished, everything freed. */
static void finish(MSGACTION *a)
{
    while (BackoutAllUOW(&a->base)) {
    }
    if (a->lockHeld && a->src.hobj != MQHO_UNUSABLE_HOBJ) {
        MQMD md = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_UNLOCK;
        MQLONG length, cc, rc;
        a->src.table->MQGET(a->src.hconn, a->src.hobj, &md, &gmo, 0, nullptr, &length, &cc, &rc);
    }
    ProgFinish(a->base.progress);
    AgentFreeArea(&a->src);
    AgentListFree(&a->ids);
    AgentListFree(&a->positions);
    AgentListFree(&a->tokens);
    AgentListFree(&a->sharers);
    FreeAllUOW(&a->base);
}

int MsgActionCmd(QMS *loc, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *pp)
{
    MSGACTION *a = (MSGACTION *)CSGetMem(sizeof *a, "MSGACTION");
    if (!a)
        return SendErrorResponse(loc, 0, nullptr, h, cache, command, md, MQRC_STORAGE_NOT_AVAILABLE, 0, 0,
                                 0, 0);
    memset(a, 0, sizeof *a);
    const ActionKind *k = kind_of(command);
    a->base.location = loc;
    a->base.table = AgentTable(loc, h);
    a->base.hconn = h;
    a->base.command = command;
    a->base.requestMD = md;
    a->base.cache = cache;
    a->rq = { loc, command, h, cache, md, 0, &a->base };
    a->ids.size = 24;
    a->tokens.size = 16;
    a->sharers.size = 16;
    a->positions.size = 4;
    a->src.hobj = MQHO_UNUSABLE_HOBJ;
    a->src.progress = nullptr;
    if (command == MYCMD_COPY_MSGS || command == MYCMD_MOVE_MSGS || command == MYCMD_DELETE_MSGS)
        a->base.progress = ProgFind(md->MsgId);
    a->src.progress = a->base.progress;
    if (!parse(a, pp) && !check(a, k))
        run(a, k);
    else
        ProgSetDone(a->base.progress, 0);
    finish(a);
    CSFreeMem(a);
    return 0;
}
