/* The MQ engine: connecting a location, its put and get threads, thread
 * requests and their routing, the queue handle cache, the analyser and
 * message threads, and units of work.  The command agent that serves the
 * requests is ../agent/agent.h.
 *
 * Windows never call the MQ interface: every piece of MQ work is a
 * ThreadRequest queued by PostThreadRequest to a location's put thread,
 * to the message thread or to the analyser thread.  Worker threads reach
 * the user interface only through the port (MQEPORT): the main window's
 * messages and operational errors.  Time, ticks, sleeps and every wait
 * come from one replaceable clock (MQECLOCK).
 *
 * One connection may be used by the put thread and the message thread:
 * each connection has a lock (MQELockConnection) held by whoever uses the
 * connection or its handle cache, for a whole request. */
#pragma once

#include <cstddef>
#include <cstdint>

#include "mqi.h"
#include "mq/mqbind.h"
#include "qms.h"
#include "pwcreds.h"
#include "csthread.h"
#include "cslock.h"
#include "mqehooks.h"

/* ---- the clock (MQECLOCK: mqehooks.h) ------------------------------------ */

int64_t MQETime(void);
uint64_t MQETick(void);
void MQESleep(uint32_t ms);
/* A wait of ms (0xFFFFFFFF: unlimited, kept) as the clock has it. */
uint32_t MQEWait(uint32_t ms);

/* ---- the main window's messages (FrameMessages) -------------------------- */

/* Their names and numbers are in ravoltids.h (FM_*, FRM_OPERROR,
 * CRED_MSG_*). */
#include "ravoltids.h"

/* lParam of FM_ASK (tag "ASKREPLY"): the receiver sets answer, then done;
 * the asking worker frees the block. */
struct MQEASK {
    int32_t value;
    char *text;
    int32_t done;
    int32_t answer;
};

/* A posted (send 0) or sent message with the location (or nothing) in
 * lParam; 1 when received. */
int MQEPostFrame(void *window, uint32_t message, uintptr_t wParam, void *lParam, int send);
/* The same with a block for the receiver: a block nothing received is
 * freed here. */
int MQEPostBlock(void *window, uint32_t message, uintptr_t wParam, void *block, int send);
void MQEOpError(void *owner, QMS *location, uint32_t flags, const char *text);

/* Program-wide state of the engine. */
enum { PS_ENDING = 0x1, PS_ANALYSER = 0x4, PS_MESSAGE = 0x10 };
struct MQEGLOBALS {
    uint32_t programState;      /* PS_* (atomic access) */
    int32_t debugMode;          /* option -d */
};
extern MQEGLOBALS MQEGlobals;
uint32_t MQEProgramState(void);
void MQESetProgramState(uint32_t set, uint32_t clear);

/* ---- the pieces the engine calls: replaceable (MQEHOOKS: mqehooks.h) --- */

struct ThreadRequest;
struct MQACTION;

/* The functions themselves (real ones, or stand-ins until they exist). */
int AnalyseCommand(QMS *location, int32_t *stopIndicator, MQHCONN hconn, MQMD *md,
                   void *data, int32_t length);
int ProcessCommand(QMS *location, int32_t *stopIndicator, MQHCONN hconn, MQMD *requestMD,
                   void *data, int32_t length);
/* errorParmValue: an integer, or for MYPCFA_ERROR_MESSAGE and
 * MYPCFA_INFO_MESSAGE the address of the text. */
int SendErrorResponse(QMS *location, int32_t replyOptions, MQACTION *action, MQHCONN hconn,
                      void **handleCache, int32_t command, MQMD *requestMD, int32_t reason,
                      int32_t extraId, int32_t extraValue, int32_t errorParmId,
                      intptr_t errorParmValue);
/* The queue-manager refresh and the object download (../command). */
int RequestQmgrRefresh(QMS *location, uint32_t kinds, const char *prefix, int force);
int StartDownload(QMS *location, uint32_t force);
/* The refresh's request for the defaults: started when due (0 started). */
int RequestDownload(QMS *location);
/* The receiver of replies and in-process responses (reply processing);
 * value: the connection handle the reply came on. */
int ProcessResponse(QMS *location, uint32_t value, MQMD *md, void *data, uint32_t length);
struct DialogWords;
/* The main window's list of modeless dialogs (the progress window). */
int AddModeless(void *window, int kind, void *owner1, void *owner2);
void UtilRemoveModeless(void *window);

/* The frames the analyser rebuilds the lines of: each frame record
 * begins with this link (the main window first). */
struct MQEFRAMELINK {
    MQEFRAMELINK *next;
    uint32_t rebuildPending;
};
extern MQEFRAMELINK *MQEFrames;
extern uint32_t MQERebuildAgain;           /* the line builder asks to run again */

/* The control block of a kind-6 request (load, unload, copy, move)
 * begins with this head, which the put thread fills before the call. */
struct MQEDROPTHEAD {
    MQIEntryTable *table;
    MQHCONN hConn;
    void *data;                /* the block's own data, just after the head */
};

/* ---- thread requests ----------------------------------------------------- */

/* ThreadRequestKind */
enum {
    TRK_PUT = 1,               /* put: put the data; message/analyser thread: run it */
    TRK_END = 2,
    TRK_LOADUNLOAD = 6,
    TRK_DISCONNECT = 7,
    TRK_REBUILD = 10,          /* analyser: rebuild a frame's lines */
    TRK_VERCHECK = 11,         /* analyser: version-check follow-up */
};

/* ThreadRequestFlags */
enum : uint32_t {
    TRF_TEXT = 0x1, TRF_REPLYQ = 0x2, TRF_MONITOR = 0x4, TRF_NOFORMAT = 0x8,
    TRF_EXPIRY15 = 0x10, TRF_MSGINFO = 0x20, TRF_KIND = 0x40, TRF_BROKER = 0x80,
    TRF_CORRELID = 0x100, TRF_USERID = 0x200, TRF_RFH = 0x400, TRF_IFCMD = 0x800,
    TRF_EXPIRY15B = 0x1000, TRF_PUBLISH = 0x2000, TRF_ANALYSER = 0x4000,
    TRF_MSGINFOH = 0x8000, TRF_MESSAGE = 0x20000,
};

/* One request, copied whole into the consumer's queue (200 bytes). */
struct ThreadRequest {
    uint32_t kind;
    uint32_t flags;
    uint8_t key[24];           /* MsgId of every message put for it */
    char qmName[48];           /* message information from here ... */
    uint16_t info1;
    char queueName[48];
    uint16_t info2;
    void *resultWindow;
    uint32_t dataLength;
    uint32_t count;
    uint8_t persistent;
    uint8_t syncpoint;
    uint8_t asynchronous;      /* ... to here */
    uint8_t correlId[24];
    char userId[12];
    QMS *location;
};
static_assert(sizeof(ThreadRequest) == 200, "a thread request is 200 bytes");

/* Selection information beside a request. */
struct SELECTIONINFO {
    uint32_t flags;            /* TRF_CORRELID, TRF_USERID */
    uint8_t correlId[24];
    char userId[12];
};

/* 0 queued; 1 the use-connection-of location is not defined; else the
 * failure of starting the put thread or of queueing.  The block passes to
 * the consumer only when 0 is returned. */
int PostThreadRequest(QMS *location, const SELECTIONINFO *selection, uint32_t flags,
                      const ThreadRequest *templ, const uint8_t *key, void *block,
                      uint32_t length);
/* The put worker: 0 keeps the put thread running. */
int PutMessagesToQueue(QMS *threadLocation, ThreadRequest *request, void *block);
/* The put dialog's rate text: "%d message%sput in %.2f%s (%.0f msg/sec)". */
void MQEFormatRate(char *out, size_t size, uint32_t count, uint64_t elapsedMs);

/* ---- the engine's block of a location ------------------------------------ */

/* Thread state bits (QMSTHREAD.state). */
enum : uint16_t {
    TS_RUNNING = 0x1, TS_STARTING = 0x2, TS_CONNECTED = 0x4, TS_RETRYING = 0x8,
    TS_CLIENT = 0x10, TS_SINGLE = 0x20, TS_ENDREQ = 0x40, TS_SETUP = 0x80,
};
/* State word 2 (QMS.state) bits the engine writes. */
/* (The mark to save the credentials after the next connection is the
 * location record's LST_SAVECREDS.) */
enum : uint32_t { LST2_CHANGED = 0x2, LST2_AUTHFAILED = 0x20 };

enum { MQE_PUTSIDE = 1, MQE_GETSIDE = 2 };

/* Put and get side of a location, hung on QMSTHREAD.engine of both. */
struct MQELOC {
    QMS *location;
    MQELOC *next;              /* every block, freed at MQEShutdown */
    CSMUTEX lock[2];           /* connection locks: put side, get side */
    void *cache[2];            /* handle caches (MQCACHE), null until used */
    CSITCQUEUE requests;       /* the put thread's request queue */
    int32_t queueOpen;
    uint16_t putGeneration;    /* raised at each start and end of the put thread */
    uint16_t getGeneration;    /* the put generation the get thread belongs to */
    uint32_t putThreadId, getThreadId;
    char replyQ[49];           /* dynamic reply queue */
    char objectQMgr[49];       /* the queue manager's own name as inquired */
    int32_t maxUncommitted;
    int32_t lastFailReason;
    uint64_t lastFailTick;     /* engine tick of the last failed connection; 0 none */
    int32_t pollsPending, pollCount;
    int32_t idleArmed;
    MQHOBJ replyHobj;          /* the get side's reply queue */
    uint8_t *replyBuffer;
    int32_t replySize;
    int32_t firstReplyCcsid;
    char userIdentifier[13];   /* commands run under it, blank padded */
    uint32_t strangers;        /* messages of other senders discarded from the reply queue */
    /* monitor messages (the command agent's) */
    uint32_t monLastResponse;  /* ms */
    int64_t monForwardedTime;  /* when a forwarded measurement was taken */
    char monAnswerQ[49], monAnswerQMgr[49];    /* where answers were last put */
    void *command;             /* the command engine's block (refresh, download) */
};

/* The block of a location, made on first use; null when out of storage. */
MQELOC *MQELocOf(QMS *location);
/* The block of a location if it has one (none is made). */
MQELOC *MQELocFind(QMS *location);
/* Takes (1) or releases the lock of one connection of a location. */
int MQELockConnection(QMS *location, int side);
void MQEUnlockConnection(QMS *location, int side);
/* A location's connection: handle, table and handle cache (side 1 or 2). */
MQHCONN MQEConnection(QMS *location, int side, MQIEntryTable **table, void ***cache);
/* Atomic access to a thread state word (clear, then set). */
uint16_t MQEState(QMSTHREAD *thread);
void MQESetState(QMSTHREAD *thread, uint16_t set, uint16_t clear);
/* Frees a location's block once its threads have ended (the location
 * store calls it before the record goes). */
void MQEForgetLocation(QMS *location);
/* Ends every engine thread (program end) and frees the blocks of the
 * locations that have not been forgotten. */
void MQEShutdown(void);

/* ---- connecting ---------------------------------------------------------- */

/* 0 on CompCode 0 with *hconn valid; *table names the table used. */
int ConnectMQ(QMS *location, MQHCONN *hconn, MQIEntryTable **table, char *errorText,
              int errorSize, MQLONG *compCode, MQLONG *reason);
/* 0, or 2071; *sco is null without TLS data.  Free with MQEFreeChannel. */
int ConvertDataMQCD(QMS *location, MQCD *mqcd, MQSCO **sco);
/* The same from a data area of a client-connection definition. */
struct PCFCommandDef;
int MQEConvertChannel(const PCFCommandDef *def, const uint8_t *area, QMS *location,
                      MQCD *mqcd, MQSCO **sco);
void MQEFreeChannel(MQCD *mqcd, MQSCO **sco);
/* The generic default MQCD with MaxMsgLength 104857600. */
void MQEDefaultMQCD(MQCD *mqcd);
void ChooseMQCDVersion(MQCD *mqcd);
/* 1 complete, 0 still missing after asking; the location's user id and
 * password are handed out (null when none). */
int RequestCredentials(QMS *location, const char **userId, const char **password);

/* ---- location threads ---------------------------------------------------- */

int StartPutThread(QMS *location);
int StartGetThread(QMS *location);
int EndPutThread(QMS *location, int disconnectOnly);
int EndGetThread(QMS *location);
/* side 1 put, 2 get: 0 or the reason. */
int InitialiseMQ(QMS *location, MQHCONN *hconn, char *qmName, MQIEntryTable **table, int side);
int GetReplyLoop(QMS *location, int wait);
void CloseQueueAndReset(QMS *location, MQHCONN *hconn, int client, int sides);
/* Sleeps while *flag is set, letting go of the password-cache lock (held
 * says whether this caller holds it) while asleep.  The wait is given up,
 * the flag cleared, when the program ends or, with a location, when its
 * threads are asked to end. */
void WaitWhileFlagSet(volatile uint8_t *flag, int *held, QMS *location);
int PostAndWaitReply(int32_t value, const char *text);
void SendErrorText(void *window, const char *text);
void SetLocationErrorText(QMS *location, const char *text);
/* Whether a reason means MQ has ended the connection (2009 and the
 * quiescing and stopping reasons). */
int MQEEndsConnection(int32_t reason);
/* A put-side connection that such a reason ended is marked: the location
 * shows it as unavailable, and the put side is made again before its next
 * request or message command. */
void MQEConnectionLost(QMS *location, int32_t reason);

/* ---- handle cache --------------------------------------------------------- */

#define MQCACHE_ENTRIES 20
enum { MQC_EQUAL = 0x1, MQC_REOPEN = 0x2 };

struct MQCACHEENTRY {
    char qmName[49];
    char objectName[49];       /* empty: a free entry */
    char *selection;           /* tag "Selector" */
    int32_t selectionLength;
    uint32_t options;
    uint32_t getOptions;
    MQHOBJ hobj;
    int32_t deadLetter;        /* opened for "#DLQ" */
    uint64_t lastUse;
};

struct MQCACHE {
    MQCACHEENTRY entries[MQCACHE_ENTRIES];
    uint64_t uses;             /* ordering of last uses */
};

void MQOpenCached(MQHCONN hconn, int client, void **cache, uint32_t match, const char *qmName,
                  const char *objectName, const char *dynamicTemplate, char *resolvedName,
                  MQLONG options, MQLONG getOptions, const void *selection,
                  int32_t selectionLength, MQHOBJ *hobj, MQCACHEENTRY **entry,
                  MQLONG *compCode, MQLONG *reason);
void MQCloseCachedByName(MQHCONN hconn, int client, void **cache, const char *qmName,
                         const char *objectName, MQLONG *compCode, MQLONG *reason);
void MQCloseCachedHandle(MQHCONN hconn, int client, void **cache, MQHOBJ hobj,
                         MQLONG *compCode, MQLONG *reason);
/* Empties every entry (the handles went with the connection). */
void MQEmptyCache(void **cache, int freeBlock);
int MQOpenRetry(MQHCONN hconn, int client, void **cache, const char *qmName,
                const char *objectName, const char *dynamicTemplate, char *resolvedName,
                MQLONG options, MQHOBJ *hobj);
int InquireDLQName(MQHCONN hconn, int client, char *name);
const char *DynQueueUserName(void);
void DynQueueUserNameReset(void);
/* A dynamic queue name from a template ("%u" the user) into out (49). */
void MakeDynamicName(const char *templ, const char *user, char *out);

/* ---- analyser and message threads --------------------------------------- */

int StartAnalyserThread(void);
void AnalyserRefresh(MQEFRAMELINK *frame);
int StartMessageThread(void);

/* ---- units of work -------------------------------------------------------- */

struct PROGRESS;

struct UOW {
    UOW *next;
    QMS *location;
    MQIEntryTable *table;
    MQHCONN hconn;
    int32_t side;              /* MQE_PUTSIDE or MQE_GETSIDE */
    void **cache;
    int32_t pending;           /* the connection has uncommitted work */
    int32_t locked;            /* this unit holds the connection's lock */
};

/* The context of one message action: its own connection and the units
 * of work of the other connections it touches. */
struct MQACTION {
    QMS *location;
    UOW *units;                /* newest first */
    MQIEntryTable *table;
    MQHCONN hconn;
    int32_t pending;
    int32_t command;
    MQMD *requestMD;
    void **cache;
    PROGRESS *progress;
    int32_t targetChosen;      /* the names below were used */
    char targetQMgr[49];       /* the first target of a copy or move */
    char targetQ[49];
};

UOW *FindUOW(MQACTION *action, QMS *location, MQHCONN hconn);
int CommitAllUOW(MQACTION *action);
int BackoutAllUOW(MQACTION *action);
/* Releases the units' connection locks and frees them. */
void FreeAllUOW(MQACTION *action);
