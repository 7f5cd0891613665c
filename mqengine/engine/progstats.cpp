/* The texts of a progress window: the status line, counts, rates, the
 * bar's position and the times, computed from a record without any
 * window, so that the timer only has to set the fields that changed. */
#include "progress.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "cs.h"
#include "mqengine.h"

#define SLOW_CALL_MS 10000

static const char *const apiNames[] = {
    "MQPUT", "MQGET", "MQOPEN", "MQCLOSE", "MQCMIT", "MQBACK", "fopen", "fclose", "MQINQ",
};

static const CSUnitRow byteUnits[] = {
    { 1073741824, "GB", "GB", "GB" }, { 1048576, "MB", "MB", "MB" },
    { 1024, "KB", "KB", "KB" }, { 1, "byte", "byte", "bytes" }, { 0, nullptr, nullptr, nullptr },
};

template <class T> static T load(T &field)
{
    return std::atomic_ref<T>(field).load();
}

void ProgApiName(int code, char *out, size_t size)
{
    if (code >= PROG_MQPUT && code <= PROG_MQINQ)
        snprintf(out, size, "%s", apiNames[code - PROG_MQPUT]);
    else
        snprintf(out, size, "API(%d)", code);
}

void ProgApiText(PROGRESS *p, char *out, size_t size, int *changed)
{
    int code = load(p->apiCode);
    uint64_t age = code ? MQETick() - load(p->apiStart) : 0;
    if (load(p->ended)) {
        snprintf(out, size, "%s", load(p->abortRequested) ? "Operation Aborted by request." : "Operation Aborted.");
    } else if (code && age > SLOW_CALL_MS) {
        char name[20];
        ProgApiName(code, name, sizeof name);
        snprintf(out, size, "API '%s' appears to be slow %dms", name, (int)age);
    } else if (load(p->finished)) {
        snprintf(out, size, "Operation completed.");
    } else if (load(p->abortRequested)) {
        snprintf(out, size, "Abort requested.");
    } else {
        snprintf(out, size, "%s", load(p->started) ? "Operation started..." : "Waiting to start...");
    }
    *changed = strcmp(out, p->lastStatus) != 0;
    if (*changed)
        UTStrCopy(p->lastStatus, out, sizeof p->lastStatus);
}

/* A size in the program's size format, without the trailing blank. */
static void size_text(uint64_t bytes, char *out)
{
    CSFormatNumberUnits((int64_t)bytes, out, byteUnits, CSUNITS_SHORT);
    size_t n = strlen(out);
    if (n && out[n - 1] == ' ')
        out[n - 1] = 0;
}

static void count_text(char *out, size_t size, const char *what, uint32_t count, uint64_t bytes,
                       int rolledBack)
{
    char sizeText[64];
    size_text(bytes, sizeText);
    snprintf(out, size, "%s : %u msg%s (%s) %s", what, (unsigned)count, count < 2 ? "" : "s", sizeText,
             rolledBack ? "(before rollback)" : "");
}

static void duration_text(char *out, uint64_t ms, int allowMs)
{
    if (allowMs && ms < 1000)
        sprintf(out, "%llu milliseconds", (unsigned long long)ms);
    else
        UTFormatInterval(out, (int64_t)(ms / 1000), 0);
}

/* The counts as the worker left them, and the values derived from them. */
static void current_values(PROGRESS *p, PROGVALUES *v)
{
    v->messagesRead = load(p->now.messagesRead);
    v->messagesWritten = load(p->now.messagesWritten);
    v->bytesRead = load(p->now.bytesRead);
    v->bytesWritten = load(p->now.bytesWritten);
    v->done = load(p->now.done);
    v->total = load(p->now.total);
    v->messagesPerSecond = p->now.messagesPerSecond;
    v->bytesPerSecond = p->now.bytesPerSecond;
    v->remaining = p->now.remaining;
    /* a run that stopped claims only what it did: nothing of nothing */
    int ended = load(p->ended) != 0;
    v->percent = v->total ? (double)v->done * 100.0 / (double)v->total : ended ? 0.0 : 100.0;
    if (v->percent > 100.0)
        v->percent = 100.0;
    uint64_t started = load(p->started), finished = load(p->finished);
    v->elapsed = started ? (finished ? finished : MQETick()) - started : 0;
    if (!v->elapsed)
        return;
    uint64_t messages = (uint64_t)v->messagesRead + v->messagesWritten;
    uint64_t bytes = v->bytesRead + v->bytesWritten;
    if (messages)
        v->messagesPerSecond = (double)messages * 1000.0 / (double)v->elapsed;
    if (bytes)
        v->bytesPerSecond = (double)bytes * 1000.0 / (double)v->elapsed;
    if (v->percent != 0)
        v->remaining = (uint64_t)((100.0 - v->percent) / v->percent * (double)v->elapsed);
}

int ProgStatsText(PROGRESS *p, PROGTEXTS *t)
{
    memset(t, 0, sizeof *t);
    ProgApiText(p, t->status, sizeof t->status, &t->statusChanged);
    int force = std::atomic_ref<int32_t>(p->forceRedraw).exchange(0);
    PROGVALUES v, &was = p->previous;
    memset(&v, 0, sizeof v);
    current_values(p, &v);
    p->now.percent = v.percent;
    p->now.messagesPerSecond = v.messagesPerSecond;
    p->now.bytesPerSecond = v.bytesPerSecond;
    p->now.remaining = v.remaining;
    std::atomic_ref<int32_t>(p->changed).store(0);
    if (!force && !memcmp(&v, &was, sizeof v))
        return t->statusChanged;
    int rolledBack = load(p->rolledBack);
    t->readChanged = v.messagesRead != was.messagesRead || v.bytesRead != was.bytesRead || (force && v.messagesRead);
    if (t->readChanged)
        count_text(t->read, sizeof t->read, "Read", v.messagesRead, v.bytesRead, rolledBack);
    t->writtenChanged = v.messagesWritten != was.messagesWritten || v.bytesWritten != was.bytesWritten ||
                        (force && v.messagesWritten);
    if (t->writtenChanged)
        count_text(t->written, sizeof t->written, "Written", v.messagesWritten, v.bytesWritten, rolledBack);
    if ((t->messageRateChanged = v.messagesPerSecond != was.messagesPerSecond || force) != 0)
        snprintf(t->messageRate, sizeof t->messageRate, "%.1f Messages/Second", v.messagesPerSecond);
    if ((t->byteRateChanged = v.bytesPerSecond != was.bytesPerSecond || force) != 0) {
        char sizeText[64];
        size_text((uint64_t)v.bytesPerSecond, sizeText);
        snprintf(t->byteRate, sizeof t->byteRate, "%s/Second", sizeText);
    }
    if ((t->percentChanged = v.percent != was.percent || force) != 0) {
        t->barPosition = (uint32_t)(v.percent / 100.0 * 100000.0);
        /* the caption says what the status line says: an aborted or failed
           run tells how far it came, never that it completed */
        if (load(p->ended))
            snprintf(t->caption, sizeof t->caption, "%s : Aborted at %.0f%%", p->title, v.percent);
        else
            snprintf(t->caption, sizeof t->caption, "%s : %.0f%% Completed", p->title, v.percent);
    }
    if ((t->elapsedChanged = v.elapsed != was.elapsed || force) != 0)
        duration_text(t->elapsed, v.elapsed, 1);
    if ((t->remainingChanged = v.remaining != was.remaining || force) != 0)
        duration_text(t->remaining, v.remaining, 0);
    was = v;
    return 1;
}
