/* What the files of the engine share among themselves: fixed-field
 * copies, MQ error texts, the preferences they read and the pieces that
 * other subsystems supply. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "mqengine.h"
#include "mq/mqconst.h"
#include "pwcache.h"
#include "dialogs.h"

/* The program's own codes the engine uses. */
enum {
    MYCMD_STOP_SVR_CODE = 10003,
    MYPCFA_ERROR_MESSAGE_ID = 10050,
    MYPCFA_INFO_MESSAGE_ID = 10084,
    CLN_KDB_LOOKUP = 10297,        /* look up the key-database password */
};

#define ENGINE_APPL_NAME "Vorsk Software Ravolt"
#define ENGINE_DYNAMIC_DEFAULT "RAVOLT.%s.*"
#define ENGINE_COMMAND_QUEUE "SYSTEM.ADMIN.COMMAND.QUEUE"

/* ---- names ---- */

/* A blank-padded field of width characters from a text (null: blanks). */
void EngPadName(char *field, const char *text, size_t width);
/* A field without trailing blanks and NULs into out (width + 1 bytes). */
void EngTrimName(char *out, const char *field, size_t width);
/* A text copy into a fixed buffer, always terminated. */
void EngCopy(char *out, const char *text, size_t size);

/* ---- texts ---- */

/* "<what> '%s/%s' RC(%ld) %s" and the like: the formats of the Parts with
 * the reason and its description appended by the caller's format. */
void EngFormat(char *out, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
/* A text block of the given tag holding a copy of text; null when out of
 * storage. */
char *EngTextBlock(const char *text, const char *tag);
/* The time of day as "HH.MM.SS" into out (9). */
void EngTimeOfDay(char *out);

/* ---- preferences ---- */

int EngLeaveGetInhibit(void);      /* no 2042 recovery, no 2016 reopen */
int EngRetryAfterAuthFailure(void);
int EngStartCommandServers(void);
int EngUpperUserNames(void);
int EngImportLocalAtStart(void);
int EngNoReadAhead(void);
int32_t EngCommandExpiry(void);    /* seconds, 0 none */

/* ---- locations ---- */

/* The location's status word changed under the store's lock (LocSetStatus
 * does the rest); state word 2 likewise. */
void EngSetStatus(QMS *location, uint32_t set, uint32_t clear);
void EngSetState2(QMS *location, uint32_t set, uint32_t clear);
int EngIsClient(QMS *location);
/* The queue manager a location's requests are addressed to: its inquired
 * name, else its own; without a leading "*" (49). */
void EngObjectQMgr(QMS *location, char *out);

/* ---- threads ---- */

/* Starts a detached thread running fn(arg); 0 or -1. */
int EngStartThread(void (*fn)(void *), void *arg);
/* The analyser's and the message thread's queues. */
int EngQueueToAnalyser(const ThreadRequest *request, void *block);
int EngQueueToMessageThread(const ThreadRequest *request, void *block);
/* Ends the analyser and message threads and waits for them. */
void EngStopWorkers(void);
/* Queues a request to a location's put thread: 0 or non-zero. */
int EngQueueToPutThread(QMS *location, const ThreadRequest *request, void *block);
/* Frees what waits in a queue of ThreadRequests, then deletes it. */
void EngDrainQueue(CSITCQUEUE *queue);
/* 1 when a thread of the location may not start: it runs, the location
 * restarts, or it is never refreshed ("fgn"). */
int EngThreadBarred(QMS *location, QMSTHREAD *thread);
/* Starts a location thread under the threads lock unless it runs or is
 * starting: prepare (0 or a failure), the state "starting", the thread;
 * undo when the thread cannot start.  0 or the failure. */
int EngStartThreadOf(QMS *location, QMSTHREAD *thread, int (*prepare)(MQELOC *),
                     void (*proc)(void *), void (*undo)(MQELOC *));
/* Starts the location's put thread when it does not run and waits for
 * its connection: 1 when set up, or after 20 s of waiting; 0 when the
 * connection attempt failed or gave way to a new one. */
int EngWaitForConnection(QMS *location);
/* 1 when the put side is set up but its connection was marked lost. */
int EngPutSideLost(QMS *location);
/* Makes the put side again, under its lock, when it is not connected or
 * the location is unavailable: 0 or the reason. */
int EngRemakePutSide(QMS *location);
/* The engine-wide lock of thread starts and ends and of the request
 * queues' lives. */
void EngLockThreads(void);
void EngUnlockThreads(void);

/* ---- the seal of the program's own requests ---- */

/* Seals a request about to be put to the location's own reply queue: a
 * fresh random CorrelId, remembered for the location. */
void EngSealRequest(QMS *location, MQMD *md);
/* 1 when the request read from the location's reply queue carries a seal
 * still outstanding (the seal is used up), else 0. */
int EngTakeSeal(QMS *location, const MQMD *md);
/* Counts a message of another sender discarded from the location's reply
 * queue; the first one is reported, naming the queue, the user and the
 * application that put it.  Returns 0. */
int EngDiscardStranger(QMS *location, const MQMD *md);

/* Frees the command engine's block of a location (../command). */
void CmdFreeBlock(void *block);

/* The MQ error texts of an MQI call. */
void EngMQErrorText(char *out, size_t size, const char *what, const char *qm,
                    const char *object, MQLONG reason);
