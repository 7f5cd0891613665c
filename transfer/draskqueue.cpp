/* LoadUnloadQueue: one load, unload, copy or move on a location's put
 * thread.  It opens the queues and files, counts the messages of a
 * delimited plain file and asks whether to go on, runs the message loop,
 * reports the result to the requesting window, has the open lists of the
 * queues refreshed and closes everything. */
#include "drask.h"

#include <cstring>

#include "cs.h"
#include "dialogs.h"
#include "mq/mqconst.h"
#include "prfdata.h"

static void send_text(void *, void *window, const char *text)
{
    SendErrorText(window, text);
}

static int ask_user(void *, void *, const char *question)
{
    return PostAndWaitReply(0, question);
}

int LoadUnloadQueue(QMS *location, ThreadRequest *request, void *block)
{
    if (!block || (request && request->dataLength < sizeof(DROPT)))
        return 0;
    DRASKTHREAD thread = {location, nullptr, send_text, ask_user};
    return DraskLoadUnload(&thread, request, (DROPT *)block);
}

/* ---- opening ---- */

static int open_queue(DROPT *o, const char *name, MQLONG options, MQHOBJ *h)
{
    MQOD od = {MQOD_DEFAULT};
    UTStrCopy(od.ObjectName, name, sizeof od.ObjectName);
    size_t n = strlen(od.ObjectName);
    memset(od.ObjectName + n, ' ', sizeof od.ObjectName - n);
    MQLONG cc, rc;
    ProgApiStart(o->progress, PROG_MQOPEN);
    o->head.table->MQOPEN(o->head.hConn, &od, options, h, &cc, &rc);
    ProgApiEnd(o->progress);
    if (cc == MQCC_FAILED) {
        *h = MQHO_UNUSABLE_HOBJ;
        return rc ? rc : MQRC_UNEXPECTED_ERROR;
    }
    return 0;
}

static int open_failed(DROPT *o, const char *name, int reason)
{
    return DraskFail(o, reason, "MQOPEN on object %s returned %ld %s.", name, (long)reason,
                     MQReasonText(reason));
}

static int open_source(DROPT *o)
{
    int move = (o->options & DRO_MOVE) != 0;
    if ((o->options & (DRO_CTX_PASSALL | DRO_CTX_PASSID)) && !move)
        return DraskFail(o, DRC_CONTEXT, "To pass context you must GET the source message not browse");
    MQLONG options = !move ? MQOO_BROWSE
                     : (o->options & DRO_BROWSEGET) ? MQOO_INPUT_SHARED | MQOO_BROWSE
                                                    : MQOO_INPUT_SHARED;
    if (move)
        options |= MQOO_SAVE_ALL_CONTEXT;
    if (o->progress)
        options |= MQOO_INQUIRE;
    int readAhead = (o->options2 & DRO2_READAHEAD) != 0;
    int rc = open_queue(o, o->sourceQ, options | (readAhead ? MQOO_READ_AHEAD : 0), &o->hSource);
    if (rc == MQRC_OPTIONS_ERROR && readAhead) {
        o->options2 &= ~DRO2_READAHEAD;
        rc = open_queue(o, o->sourceQ, options, &o->hSource);
    }
    return rc ? open_failed(o, o->sourceQ, rc) : 0;
}

static int open_target(DROPT *o)
{
    static const struct { uint32_t bit; MQLONG option; } context[] = {
        {DRO_CTX_PASSALL, MQOO_PASS_ALL_CONTEXT}, {DRO_CTX_PASSID, MQOO_PASS_IDENTITY_CONTEXT},
        {DRO_CTX_SETALL, MQOO_SET_ALL_CONTEXT}, {DRO_CTX_SETID, MQOO_SET_IDENTITY_CONTEXT},
    };
    MQLONG options = MQOO_OUTPUT;
    for (const auto &c : context)
        if (o->options & c.bit)
            options |= c.option;
    int rc = open_queue(o, o->targetQ, options, &o->hTarget);
    return rc ? open_failed(o, o->targetQ, rc) : 0;
}

static int open_files(DROPT *o)
{
    if (o->inFile[0]) {
        ProgApiStart(o->progress, PROG_FOPEN);
        o->in = DraskOpenFile(o->inFile, "rb");
        ProgApiEnd(o->progress);
        if (!o->in)
            return DraskFail(o, DRC_BADFILE, "Can not open input file '%s'", o->inFile);
    }
    if (o->outFile[0]) {
        if (!(o->options & DRO_OVERWRITE) && DraskFileExists(o->outFile))
            return DraskFail(o, DRC_WRITE, "File '%s' exists - specify overwrite", o->outFile);
        ProgApiStart(o->progress, PROG_FOPEN);
        o->out = DraskOpenFile(o->outFile, "wb");
        ProgApiEnd(o->progress);
        if (!o->out)
            return DraskFail(o, DRC_WRITE, "Can not open output file '%s'", o->outFile);
        /* the writer holds its text and writes it in large pieces */
        setvbuf(o->out, nullptr, _IONBF, 0);
        o->holdOutput = 1;
    }
    return 0;
}

static int open_all(DROPT *o)
{
    if (o->sourceQ[0] && o->targetQ[0] && !strcmp(o->sourceQ, o->targetQ))
        return DraskFail(o, DRC_OPTIONS, "Queue names must be different");
    int rc = o->sourceQ[0] ? open_source(o) : 0;
    if (!rc && o->targetQ[0])
        rc = open_target(o);
    if (!rc)
        rc = open_files(o);
    return rc;
}

/* ---- counting and the total ---- */

/* A delimited plain file is counted first; the user decides whether to
 * go on.  0 go on, 1 cancelled, or an error code. */
static int count_first(DRASKTHREAD *t, void *window, DROPT *o)
{
    if (!(o->options2 & DRO2_PLAIN) || (o->options2 & DRO2_WHOLE) || !o->in)
        return 0;
    o->options2 |= DRO2_COUNTING;
    int rc = DraskRun(o);
    o->options2 &= ~DRO2_COUNTING;
    if (rc)
        return rc;
    char question[200];
    snprintf(question, sizeof question, "!%lld messages found in the file.\n\nDo you want to continue ?",
             (long long)o->counted);
    if (!t->ask(t->context, window, question)) {
        DraskFail(o, 0, "Message load operation cancelled by user.");
        return 1;
    }
    rewind(o->in);
    CSFreeMemAndClear(&o->plain.buffer);
    memset(&o->plain, 0, sizeof o->plain);
    o->inPosition = 0;
    return 0;
}

static void set_total(DROPT *o)
{
    if (o->hSource != MQHO_UNUSABLE_HOBJ && o->progress) {
        MQLONG selector = MQIA_CURRENT_Q_DEPTH, depth = 0, cc, rc;
        ProgApiStart(o->progress, PROG_MQINQ);
        o->head.table->MQINQ(o->head.hConn, o->hSource, 1, &selector, 1, &depth, 0, nullptr, &cc, &rc);
        ProgApiEnd(o->progress);
        if (cc != MQCC_FAILED && depth > 0)
            o->total = (uint64_t)depth;
    } else if (o->in) {
        int64_t size = DraskFileSize(o->in);
        o->total = size > 0 ? (uint64_t)size : 0;
    }
    ProgSetPosition(o->progress, 0, o->total);
}

/* ---- closing ---- */

/* 0, or 2102 when the output file cannot be closed. */
static int close_files(DROPT *o)
{
    int rc = 0;
    if (o->in) {
        fclose(o->in);
        o->in = nullptr;
    }
    if (o->out) {
        /* a run that stopped short may leave text held: it goes out as a
         * stream's buffer would (the run has failed already) */
        DraskWriteHeld(o);
        ProgApiStart(o->progress, PROG_FCLOSE);
        int failed = fclose(o->out) != 0;
        ProgApiEnd(o->progress);
        o->out = nullptr;
        if (failed)
            rc = DraskFail(o, DRC_WRITE, "Error closing file '%s' RC(%d)", o->outFile, DraskLastError());
    }
    return rc;
}

static void close_queue(DROPT *o, MQHOBJ *h)
{
    if (*h == MQHO_UNUSABLE_HOBJ)
        return;
    MQLONG cc, rc;
    ProgApiStart(o->progress, PROG_MQCLOSE);
    o->head.table->MQCLOSE(o->head.hConn, h, MQCO_NONE, &cc, &rc);
    ProgApiEnd(o->progress);
    *h = MQHO_UNUSABLE_HOBJ;
}

void DraskRefreshLists(QMS *location, const char *queue)
{
    if (!location || !queue[0])
        return;
    int64_t now = CSGetCurrentTime();
    if (Prf.po[2] & PO3_REFRESH_AFTER_CHANGE)
        PCFRefreshObjectDialogs(location, nullptr, 0, MQCMD_INQUIRE_Q, MQCA_Q_NAME, queue, now);
    PCFRefreshObjectDialogs(location, nullptr, 0, 10002, MQCA_Q_NAME, queue, now);
}

static void report(DRASKTHREAD *t, void *window, DROPT *o, int rc)
{
    char text[200];
    if (rc) {
        t->sendText(t->context, window, o->error);
        return;
    }
    snprintf(text, sizeof text, "Completed: %lld Message%s (%llu Bytes) written",
             (long long)o->written, o->written == 1 ? "" : "s", (unsigned long long)o->bytesWritten);
    t->sendText(t->context, window, text);
}

int DraskLoadUnload(DRASKTHREAD *t, ThreadRequest *request, DROPT *o)
{
    void *window = request && request->resultWindow ? request->resultWindow : o->window;
    o->hSource = o->hTarget = MQHO_UNUSABLE_HOBJ;
    o->in = o->out = nullptr;
    o->error[0] = 0;
    ProgMarkTime(o->progress);
    int rc = open_all(o);
    int cancelled = 0;
    if (!rc) {
        rc = count_first(t, window, o);
        cancelled = rc == 1;
    }
    if (!rc) {
        set_total(o);
        DraskTakeTime(0);
        rc = DraskRun(o);
    }
    int closed = close_files(o);
    if (!rc && !cancelled)
        rc = closed;
    if (cancelled) {
        t->sendText(t->context, window, o->error);
        rc = 0;
    } else {
        report(t, window, o, rc);
    }
    if (rc)
        ProgSetDone(o->progress, rc == DRC_ABORTED || o->uow);
    if (o->hSource != MQHO_UNUSABLE_HOBJ && (o->options & (DRO_MOVE | DRO_PURGE)))
        DraskRefreshLists(t->location, o->sourceQ);
    if (o->hTarget != MQHO_UNUSABLE_HOBJ && o->written)
        DraskRefreshLists(t->location, o->targetQ);
    close_queue(o, &o->hSource);
    close_queue(o, &o->hTarget);
    ProgFinish(o->progress);
    o->progress = nullptr;
    DraskFreeBuffers(o);
    return rc;
}
