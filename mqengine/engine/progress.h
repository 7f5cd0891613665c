/* Progress records of long operations and their progress window.
 *
 * The requesting dialog creates a record (ProgCreate) before it sends the
 * command; the worker that carries the operation out finds it by the
 * request's key (ProgFind), marks each MQ or file call, counts messages
 * and bytes and finishes it.  The main window's one-second timer calls
 * ProgUpdateAll, which shows, refreshes and closes the windows.
 *
 * References change under the progress mutex: a record is freed exactly
 * once, by whichever of the worker and the window lets go last.  Counters
 * and flags a worker writes are read with atomic loads.  Every routine
 * accepts a null record and does nothing. */
#pragma once

#include <cstddef>
#include <cstdint>

enum ProgApiCode {
    PROG_MQPUT = 100, PROG_MQGET = 101, PROG_MQOPEN = 102, PROG_MQCLOSE = 103,
    PROG_MQCMIT = 104, PROG_MQBACK = 105, PROG_FOPEN = 106, PROG_FCLOSE = 107,
    PROG_MQINQ = 108,
};

/* Field ids of DLG_PROGRESS. */
enum {
    PROG_STATUS = 50000, PROG_READ = 50001, PROG_WRITTEN = 50002, PROG_MSGRATE = 50003,
    PROG_BYTERATE = 50004, PROG_BAR = 50005, PROG_BUTTON = 50006, PROG_ELAPSED = 50007,
    PROG_REMAINING = 50008,
};

/* The values shown, as the window last showed them (80 bytes). */
struct PROGVALUES {
    uint32_t messagesRead, messagesWritten;
    uint64_t bytesRead, bytesWritten;
    uint64_t done, total;
    uint64_t elapsed, remaining;
    double percent, messagesPerSecond, bytesPerSecond;
};

struct PROGRESS {
    PROGRESS *next;
    int64_t created;           /* seconds */
    uint64_t key[3];
    void *owner;
    void *window;              /* DLG_PROGRESS, null once destroyed */
    void *dialog;              /* its DDHANDLE */
    int32_t hidden;            /* closed by the user while running */
    int32_t rolledBack;        /* atomic */
    char title[300];
    char lastStatus[300];
    int32_t changed;           /* atomic */
    int32_t references;        /* under the progress mutex */
    int32_t forceRedraw;       /* atomic */
    PROGVALUES now;            /* counters atomic; derived values the timer's */
    PROGVALUES previous;
    int32_t apiCode;           /* atomic */
    uint64_t apiStart;         /* atomic tick */
    uint64_t started, finished;    /* atomic ticks, 0 not yet */
    int32_t okShown;
    int32_t abortRequested;    /* atomic */
    int32_t ended;             /* atomic */
};

PROGRESS *ProgCreate(void *owner, const void *key, const char *title);
PROGRESS *ProgFind(const void *key);
void ProgAddRef(PROGRESS *p);
void ProgRelease(PROGRESS *p);
void ProgApiStart(PROGRESS *p, int code);
void ProgApiEnd(PROGRESS *p);
void ProgMarkTime(PROGRESS *p);
void ProgSetDone(PROGRESS *p, int aborted);
void ProgFinish(PROGRESS *p);
int ProgAbortRequested(PROGRESS *p);
void ProgRemove(PROGRESS *p);
/* The worker's counts (added) and position in the operation. */
void ProgCountRead(PROGRESS *p, uint32_t messages, uint64_t bytes);
void ProgCountWritten(PROGRESS *p, uint32_t messages, uint64_t bytes);
void ProgSetPosition(PROGRESS *p, uint64_t done, uint64_t total);
/* The timer routine and the window's procedure (Windows build). */
void ProgUpdateAll(void);

/* ---- texts (window-free) ---- */

/* The texts of the window's fields; a changed flag per field. */
struct PROGTEXTS {
    char status[300];
    int statusChanged;
    char read[120], written[120], messageRate[60], byteRate[80];
    int readChanged, writtenChanged, messageRateChanged, byteRateChanged;
    int percentChanged;
    uint32_t barPosition;      /* of 100000 */
    char caption[400];
    char elapsed[100], remaining[100];
    int elapsedChanged, remainingChanged;
};

/* The status text ("Operation started..." and the like) of the record as
 * it stands; changed when it differs from the last one shown (then kept
 * as the last one). */
void ProgApiText(PROGRESS *p, char *out, size_t size, int *changed);
/* Computes the derived values and the texts of what changed; 0 when
 * nothing changed (and nothing is forced). */
int ProgStatsText(PROGRESS *p, PROGTEXTS *texts);
/* The name of a call: "MQPUT", ... or "API(%d)". */
void ProgApiName(int code, char *out, size_t size);

/* ---- the host half (progwnd_*.cpp) ---- */

/* The window of a new record: 0, or -1 when it cannot be had. */
int ProgHostCreate(PROGRESS *p);
/* Locks of the list (recursive). */
void ProgLock(void);
void ProgUnlock(void);
/* The records, newest first (under ProgLock). */
extern PROGRESS *ProgList;
