/* The message loop of a load, unload, copy or move: each message read
 * (by MQGET from the source queue, or by the reader of the input's kind)
 * is selected, stripped, and written to the output file or put to the
 * target queue, in units of work committed every N messages; a failure
 * or an abort backs the unit out. */
#include "drask.h"

#include <cstring>

#include "cs.h"
#include "mq/mqconst.h"

static void trimmed(char *out, const char *name)
{
    UTCopyTrimmed(out, name, DR_NAME, DR_NAME);
}

static int mq_fail(DROPT *o, const char *verb, const char *name, MQLONG reason)
{
    return DraskFail(o, reason, "%s(%s) failed RC(%d) %s", verb, name, (int)reason,
                     MQReasonText(reason));
}

/* ---- getting ---- */

static MQLONG get_options(const DROPT *o, int underCursor)
{
    MQLONG options;
    if (underCursor)
        options = MQGMO_MSG_UNDER_CURSOR | (o->uow ? MQGMO_SYNCPOINT : MQGMO_NO_SYNCPOINT);
    else if (!(o->options & DRO_MOVE) || (o->options & DRO_BROWSEGET))
        options = MQGMO_BROWSE_NEXT | MQGMO_NO_SYNCPOINT;
    else
        options = o->uow ? MQGMO_SYNCPOINT : MQGMO_NO_SYNCPOINT;
    if (!(o->options2 & DRO2_NORFH2))
        options |= MQGMO_PROPERTIES_FORCE_MQRFH2;
    if (o->options & DRO_CONVERT)
        options |= MQGMO_CONVERT;
    return options;
}

/* One MQGET into the block: 0, DRC_END (no message), MQRC_NO_MSG_UNDER_CURSOR
 * (under the cursor: gone meanwhile), or an error code. */
static int get_message(DROPT *o, int underCursor)
{
    MQIEntryTable *t = o->head.table;
    for (;;) {
        if (!o->msgCapacity && DraskReserve(o, 1))
            return DRC_STORAGE;
        DraskDefaultMD(&o->md);
        if (o->options & DRO_CONVERT) {
            o->md.CodedCharSetId = o->ccsid;
            o->md.Encoding = o->encoding;
        }
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Version = MQGMO_VERSION_1;
        gmo.Options = get_options(o, underCursor);
        MQLONG length = 0, cc, rc;
        ProgApiStart(o->progress, PROG_MQGET);
        t->MQGET(o->head.hConn, o->hSource, &o->md, &gmo, (MQLONG)o->msgCapacity, o->msg, &length,
                 &cc, &rc);
        ProgApiEnd(o->progress);
        if (rc == MQRC_TRUNCATED_MSG_FAILED && length > 0 && (uint32_t)length >= o->msgCapacity) {
            o->msgLength = 0;
            int r = DraskReserve(o, (uint64_t)length);
            if (r)
                return r;
            continue;
        }
        if (cc == MQCC_FAILED && rc == MQRC_NO_MSG_AVAILABLE && !underCursor)
            return DRC_END;
        if (cc == MQCC_FAILED && rc == MQRC_NO_MSG_UNDER_CURSOR && underCursor)
            return MQRC_NO_MSG_UNDER_CURSOR;
        if (cc == MQCC_FAILED || rc == MQRC_TRUNCATED_MSG_FAILED) {
            char name[DR_NAME + 1];
            trimmed(name, o->sourceQ);
            return mq_fail(o, "MQGET", name, rc);
        }
        o->msgLength = (uint32_t)length;
        o->dataStart = 0;
        return 0;
    }
}

/* ---- putting ---- */

static MQLONG context_option(uint32_t options)
{
    static const struct { uint32_t bit; MQLONG pmo; } table[] = {
        {DRO_CTX_PASSALL, MQPMO_PASS_ALL_CONTEXT}, {DRO_CTX_PASSID, MQPMO_PASS_IDENTITY_CONTEXT},
        {DRO_CTX_SETALL, MQPMO_SET_ALL_CONTEXT}, {DRO_CTX_SETID, MQPMO_SET_IDENTITY_CONTEXT},
        {DRO_CTX_NONE, MQPMO_NO_CONTEXT},
    };
    for (const auto &r : table)
        if (options & r.bit)
            return r.pmo;
    return 0;
}

static int put_message(DROPT *o)
{
    MQIEntryTable *t = o->head.table;
    for (;;) {
        MQPMO pmo = {MQPMO_DEFAULT};
        pmo.Version = MQPMO_VERSION_1;
        int async = (o->options2 & DRO2_ASYNC) && !o->asyncRefused;
        pmo.Options = (o->uow ? MQPMO_SYNCPOINT : MQPMO_NO_SYNCPOINT) | context_option(o->options) |
                      (async ? MQPMO_ASYNC_RESPONSE : 0);
        pmo.Context = o->hSource;
        MQMD md = o->md;
        MQLONG cc, rc;
        ProgApiStart(o->progress, PROG_MQPUT);
        t->MQPUT(o->head.hConn, o->hTarget, &md, &pmo, (MQLONG)(o->msgLength - o->dataStart),
                 o->msg + o->dataStart, &cc, &rc);
        ProgApiEnd(o->progress);
        if (cc == MQCC_FAILED && rc == MQRC_OPTIONS_ERROR && async) {
            o->asyncRefused = 1;
            continue;
        }
        if (cc == MQCC_FAILED) {
            char name[DR_NAME + 1];
            trimmed(name, o->targetQ);
            return mq_fail(o, "MQPUT", name, rc);
        }
        return 0;
    }
}

/* ---- units of work ---- */

/* The output flushed (and made durable for a move), then MQCMIT. */
static int commit(DROPT *o)
{
    if (o->out) {
        int rc = DraskFlushOutput(o, (o->options & DRO_MOVE) != 0);
        if (rc)
            return rc;
    }
    MQLONG cc, rc;
    ProgApiStart(o->progress, PROG_MQCMIT);
    o->head.table->MQCMIT(o->head.hConn, &cc, &rc);
    ProgApiEnd(o->progress);
    if (cc == MQCC_FAILED)
        return DraskFail(o, rc, "MQCMIT(%s) failed RC(%d) %s", "", (int)rc, MQReasonText(rc));
    o->uncommitted = 0;
    return 0;
}

static void backout(DROPT *o)
{
    MQLONG cc, rc;
    ProgApiStart(o->progress, PROG_MQBACK);
    o->head.table->MQBACK(o->head.hConn, &cc, &rc);
    ProgApiEnd(o->progress);
    o->uncommitted = 0;
    if (cc == MQCC_FAILED && !o->error[0])
        DraskFail(o, rc, "MQBCK(%s) failed RC(%d) %s", "", (int)rc, MQReasonText(rc));
}

/* ---- one message ---- */

int DraskReadMessage(DROPT *o)
{
    if (o->options2 & DRO2_PLAIN)
        return DraskReadPlain(o);
    if (o->options & DRO_AMQSBCG)
        return DraskReadBcg(o);
    return DraskReadAttributes(o);
}

static int read_next(DROPT *o)
{
    if (o->hSource != MQHO_UNUSABLE_HOBJ)
        return get_message(o, 0);
    return DraskReadMessage(o);
}

static int deliver(DROPT *o)
{
    if (o->options & DRO_STRIP)
        DraskStripHeaders(o);
    uint32_t length = o->msgLength - o->dataStart;
    int rc = o->out ? DraskWriteMessage(o, &o->md, o->msg + o->dataStart, length, 0)
             : o->hTarget != MQHO_UNUSABLE_HOBJ ? put_message(o) : 0;
    if (rc)
        return rc;
    o->written++;
    o->bytesWritten += length;
    ProgCountWritten(o->progress, 1, length);
    return 0;
}

static int process(DROPT *o)
{
    o->read++;
    ProgCountRead(o->progress, 1, o->msgLength);
    int selected = DraskSelected(o);
    if (selected && (o->options & DRO_BROWSEGET)) {
        int rc = get_message(o, 1);
        if (rc == MQRC_NO_MSG_UNDER_CURSOR)
            selected = 0;
        else if (rc)
            return rc;
    }
    if (selected) {
        o->selected++;
        int rc = deliver(o);
        if (rc)
            return rc;
    }
    if (o->first && o->last && o->index >= o->last)    /* a first index of 0 is no range */
        o->finished = 1;
    if (o->uow && ++o->uncommitted >= o->commitInterval && o->commitInterval > 0)
        return commit(o);
    return 0;
}

/* The counting pass of a delimited plain file. */
static int count_messages(DROPT *o)
{
    for (;;) {
        int rc = DraskReadPlain(o);
        if (rc == DRC_END)
            return 0;
        if (rc)
            return rc;
        o->counted++;
    }
}

int DraskPrepareInput(DROPT *o)
{
    if (o->options2 & DRO2_PLAIN)
        return DraskCheckPlain(o);
    return DraskRecognise(o);
}

static int prepare(DROPT *o)
{
    if ((o->options & (DRO_CTX_PASSALL | DRO_CTX_PASSID)) && !o->sourceQ[0])
        return DraskFail(o, DRC_CONTEXT, "An input queue must be supplied to pass context");
    if (!o->msgCapacity && DraskReserve(o, 1))
        return DraskFail(o, DRC_STORAGE, "Unable to allocate %d bytes message storage", 4);
    return o->in ? DraskPrepareInput(o) : 0;
}

int DraskRun(DROPT *o)
{
    o->error[0] = 0;
    o->finished = 0;
    int rc = prepare(o);
    if (rc == DRC_END) {                /* an empty file: a run of no messages */
        o->finished = 1;
        rc = 0;
    } else if (rc) {
        return rc;
    }
    if (o->in && (o->options2 & DRO2_PLAIN) && (o->options2 & DRO2_COUNTING))
        return count_messages(o);
    if (o->out && (rc = DraskWriteHeader(o, o->hSource != MQHO_UNUSABLE_HOBJ ? o->sourceQ : nullptr)) != 0)
        return rc;
    int destructive = (o->options & DRO_MOVE) && o->hSource != MQHO_UNUSABLE_HOBJ;
    int interval = o->commitInterval ? o->commitInterval : destructive ? 1 : 0;
    o->commitInterval = interval;
    o->uow = interval > 0 && (destructive || o->hTarget != MQHO_UNUSABLE_HOBJ);
    o->uncommitted = 0;
    while (!rc && !o->finished) {
        if (ProgAbortRequested(o->progress)) {
            ProgSetDone(o->progress, 1);
            rc = DraskFail(o, DRC_ABORTED, "Operation aborted by user");
            break;
        }
        o->index++;
        rc = read_next(o);
        if (rc == DRC_END) {
            rc = 0;
            break;
        }
        if (!rc)
            rc = process(o);
    }
    if (o->uow) {
        if (!rc && o->uncommitted)
            rc = commit(o);
        if (rc)
            backout(o);
    } else if (!rc && o->out) {
        rc = DraskFlushOutput(o, 0);
    }
    return rc;
}
