/* The stand-in queue manager's internal model, shared by its source files.
 *
 * Every queue manager of the process, its objects, messages, connections
 * and handles live under one process-wide lock (SimLock); waits for
 * messages use one condition variable that every put, commit and backout
 * wakes.  Objects are attribute sets keyed by PCF parameter ids; each
 * object kind has a default object whose attributes a new object copies. */
#pragma once

#include "mqi.h"

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

/* ---- generated tables ------------------------------------------------ */

enum SimAttrType { SIM_INT, SIM_STR, SIM_INTLIST, SIM_STRLIST, SIM_BYTES };
enum { SIM_KW_RO = 1, SIM_KW_CMD = 2 };

struct SimKeyword {           /* an MQSC keyword and the parameter it sets */
    const char *keyword;
    MQLONG id;
    int type;                 /* SimAttrType */
    int maxlen;
    uint32_t kinds;           /* bit per SimKind */
    int flags;                /* SIM_KW_* */
};
struct SimValueKeyword {      /* a value keyword of an enumerated parameter */
    MQLONG id;
    MQLONG value;
    const char *keyword;
};
struct SimDefaultObject {
    int kind;
    const char *name;
    const char *attrs;        /* MQSC attribute text */
};

#include "simtables.inc"

const SimKeyword *SimFindKeyword(int kind, const char *kw, size_t len);
const SimKeyword *SimKeywordById(int kind, MQLONG id);
const SimValueKeyword *SimFindValue(MQLONG id, const char *kw, size_t len);
/* The value keyword given alone (NOSHARE, TRIGGER, ...) for this kind. */
const SimValueKeyword *SimFindFlag(int kind, const char *kw, size_t len);
int SimKindByName(const char *name, size_t len);

/* ---- objects ----------------------------------------------------------- */

struct SimAttr {
    int type;                 /* SimAttrType */
    MQLONG ival;
    std::string sval;         /* string or byte string, without padding */
    std::vector<MQLONG> ilist;
    std::vector<std::string> slist;
};
typedef std::map<MQLONG, SimAttr> SimAttrs;

struct SimQueue;
struct SimObject {
    int kind;                 /* SimKind */
    std::string name;
    SimAttrs attrs;
    SimQueue *queue;          /* messages, for local and dynamic queues */
    struct SimConn *owner;    /* creator of a temporary dynamic queue */
    bool temporary;           /* temporary dynamic queue: not kept on disk */
};

MQLONG SimInt(const SimObject *o, MQLONG id, MQLONG dflt = 0);
std::string SimStr(const SimObject *o, MQLONG id);
void SimSetInt(SimObject *o, MQLONG id, MQLONG v);
void SimSetStr(SimObject *o, MQLONG id, const std::string &v);
/* Blank-padded copy of a string attribute into a fixed-size field. */
void SimPad(char *dst, size_t size, const std::string &src);
/* Generic name match: "ABC*", "*", or the exact name. */
bool SimNameMatch(const std::string &pattern, const std::string &name);
/* A fixed-size name field up to its first blank or null. */
std::string SimName(const char *field, size_t size);

/* Applies MQSC attribute text to an attribute set: 0 or a reason, with
 * the offending keyword's position in *errpos.  lenient: keywords this
 * stand-in does not know are passed over (the built-in default tables). */
int SimApplyAttrs(int kind, SimAttrs *attrs, const char *text, size_t *errpos, bool lenient = false);

/* ---- messages and queues ---------------------------------------------- */

enum SimMsgState { SIM_MSG_LIVE, SIM_MSG_PUT_PENDING, SIM_MSG_GET_PENDING, SIM_MSG_GONE };

struct SimMsg {
    SimMsg *prev, *next;      /* delivery order */
    MQMD md;                  /* version 2, as stored */
    MQBYTE *data;
    MQLONG length;
    uint64_t token;           /* unique within the queue manager */
    int64_t expireAt;         /* ms since the epoch, 0 = never */
    int state;                /* SimMsgState */
    struct SimConn *uow;      /* connection whose unit of work holds it */
    struct SimHandle *lockedBy;
    int pins;                 /* browse cursors resting on it */
    bool persistent;
};

struct SimQueue {
    SimMsg *head, *tail;
    SimMsg *prioTail[10];     /* last message of each priority */
    MQLONG depth;             /* messages not gone */
    std::unordered_map<uint64_t, SimMsg *> byToken;
    MQLONG openInput, openOutput, openBrowse;
    bool exclusive;           /* held by an exclusive input handle */
    /* the statistics since the last reset (MQCMD_RESET_Q_STATS): messages
       placed and taken, the highest depth, when the counting began */
    MQLONG enqCount, deqCount, highDepth;
    int64_t statsSinceMs;
};

/* ---- queue managers, connections, handles ----------------------------- */

struct SimQMgr {
    std::string name;
    std::string dir;
    SimObject *qmgrObj;
    std::map<std::string, SimObject *> objects[SIM_K_COUNT]; /* queues under SIM_K_QLOCAL */
    uint64_t tokenSeed;       /* high word of every message token */
    uint64_t nextToken;
    uint64_t dynSeq;
    FILE *log;                /* append-only log, null while not persistent */
    bool batching;            /* records gathered into one, for a commit */
    std::string batch;
    int64_t logBytes, liveBytes;
    void *ownerLock;          /* host lock that makes this process the owner */
    int connections;
    void *server;             /* state of services run beside it (command server) */
};

/* Services that run beside a queue manager, such as a command server
 * thread serving SYSTEM.ADMIN.COMMAND.QUEUE through the MQI like any
 * client: started (under SimLock; connect and open through the model,
 * start a thread, make no MQI call) when a queue manager is loaded,
 * stopped (SimLock not held; may join the thread) before the queue
 * managers are released. */
extern void (*SimServiceStart)(SimQMgr *q);
extern void (*SimServiceStop)(SimQMgr *q);
void SimForEachQMgr(void (*fn)(SimQMgr *, void *), void *ctx);

struct SimConsumer {          /* a callback registered with MQCB */
    MQHOBJ hobj;
    MQCBD cbd;
    MQMD md;
    MQGMO gmo;
    bool suspended;
    bool started;             /* the start call has been made */
};

struct SimUowEntry {
    SimObject *queue;
    SimMsg *msg;
    SimQMgr *qmgr;            /* where the queue lives */
};

struct SimConn {
    MQHCONN hconn;
    SimQMgr *qmgr;
    MQLONG options;           /* MQCNO options */
    std::string user;         /* user identifier of the connection */
    std::string applName;
    std::recursive_mutex call; /* one verb at a time on a shared handle */
    std::map<MQHOBJ, struct SimHandle *> handles;
    MQHOBJ nextHobj;
    std::vector<SimUowEntry> uow;
    std::vector<SimConsumer> consumers;
    std::vector<SimConsumer> handlers;  /* event handlers */
    int ctlState;             /* 0 stopped, 1 started, 2 suspended */
    bool ctlStop;
    std::thread dispatcher;
    std::thread::id dispatcherId;
    uint64_t dispatchPasses;  /* the dispatcher's passes over its consumers, delivering or not */
    bool broken;              /* broken: every call answers 2009 */
};

struct SimHandle {
    MQHOBJ hobj;
    SimConn *conn;
    SimQMgr *qmgr;            /* the queue manager the object lives on */
    SimObject *obj;           /* the object opened (alias, remote, model...) */
    SimObject *target;        /* the local queue reached, or null */
    MQLONG options;
    SimMsg *cursor;           /* browse cursor, pinned */
    SimMsg *locked;           /* message locked with MQGMO_LOCK */
    std::string selection;    /* MQOD selection string */
    std::vector<struct SimSelTerm> *selector;
    MQMD context;             /* saved context of the last message got */
    bool topic;               /* a topic opened for publishing */
    std::string topicString;  /* the topic's full string */
    bool creator;             /* this open made the dynamic queue */
    bool exclusive;           /* holds its queue for exclusive input */
    bool deleted;             /* its queue was deleted meanwhile */
};

extern std::mutex &SimLock;
extern std::condition_variable &SimWake;

/* simqmgr.cpp */
SimQMgr *SimFindQMgr(const std::string &name, int *reason);
SimQMgr *SimCreateQMgr(const std::string &name, int *reason);
SimQMgr *SimDefaultQMgr(int *reason);
void SimReleaseQMgrs(void);
SimConn *SimConnOf(MQHCONN h);
SimObject *SimLookup(SimQMgr *q, int kind, const std::string &name);
SimObject *SimNewObject(SimQMgr *q, int kind, const std::string &name, const SimObject *like);
void SimDeleteObject(SimQMgr *q, SimObject *o);
std::string SimHome(void);
/* The folder of a queue manager under the home folder. */
std::string SimQMgrDir(const std::string &name);
/* Whether this process has the queue manager loaded. */
bool SimQMgrLoaded(const std::string &name);
int64_t SimNowMs(void);

/* simqueue.cpp */
SimMsg *SimMsgNew(const MQMD *md, const void *data, MQLONG length);
void SimMsgInsert(SimQueue *q, SimMsg *m, bool priorityOrder);
void SimMsgRemove(SimQueue *q, SimMsg *m);       /* gone; freed when unpinned */
void SimMsgUnpin(SimQueue *q, SimMsg *m);
void SimMsgFreeAll(SimQueue *q);
bool SimMsgExpired(const SimMsg *m, int64_t now);

/* simstore.cpp */
int SimStoreOpen(SimQMgr *q);                    /* replay and open for append */
void SimStoreObject(SimQMgr *q, const SimObject *o);
void SimStoreDelete(SimQMgr *q, const SimObject *o);
void SimStorePut(SimQMgr *q, const SimObject *queue, const SimMsg *m);
void SimStoreRemove(SimQMgr *q, const SimObject *queue, const SimMsg *m);
void SimStoreBackout(SimQMgr *q, const SimObject *queue, const SimMsg *m);
void SimStoreMaybeCompact(SimQMgr *q);
/* Gathers the records written between begin and end into one record, so
 * that a process killed meanwhile leaves all of them or none. */
void SimStoreBatchBegin(SimQMgr *q);
void SimStoreBatchEnd(SimQMgr *q);
void SimStoreClose(SimQMgr *q);

/* simmqsc.cpp: runs MQSC text; output lines appended to *out. */
int SimRunMqsc(SimQMgr *q, const char *text, std::string *out);
/* One MQSC command without echo: each output message (a message line
 * and the lines that belong to it) as one string. */
int SimMqscCommand(SimQMgr *q, const std::string &text, std::vector<std::string> *msgs);
/* simmqscdisplay.cpp: DISPLAY of an object kind; obj is the object token. */
int SimMqscDisplay(SimQMgr *q, const struct SimToken &obj, const char *rest, std::vector<std::string> *out);
/* KEYWORD(value) items two to a line, as DISPLAY lays them out. */
std::string SimMqscLayout(const std::vector<std::string> &items);
/* simmqscqstatus.cpp: DISPLAY QSTATUS of local queues or their handles. */
int SimMqscQueueStatus(SimQMgr *q, const struct SimToken &obj, const char *rest, std::vector<std::string> *out);
int SimDefineDefaults(SimQMgr *q);
SimObject *SimTypeDefault(SimQMgr *q, int kind, MQLONG chltype);
void SimSetFixed(SimObject *o);               /* queue type, definition type */
void SimStamp(SimObject *o);                  /* alteration date and time */
void SimFinishObject(SimQMgr *q, SimObject *o); /* fixed attributes, stamp, store */
/* A queue open or holding messages of a unit of work. */
bool SimQueueBusy(const SimObject *o);
void SimRemoveObject(SimQMgr *q, SimObject *o);
void SimClearQueue(SimQMgr *q, SimObject *o);
/* Attributes read-only to IBM MQ that the stand-in lets a test set
 * (platform and command level of the queue manager). */
bool SimWritableAttr(int kind, MQLONG id);

/* zosmqsc.cpp: an MQSC command taken as text on a z/OS queue manager's
 * command queue, answered as the z/OS command server does. */
void SimZosCommand(SimQMgr *q, const std::string &text, MQLONG injected, std::vector<std::string> *replies);

/* cmdsrv.cpp: the command server thread of a queue manager */
void SimCommandServerStart(SimQMgr *q);
void SimCommandServerStop(SimQMgr *q);

/* simpub.cpp: the full topic string of a topic object and a string
 * given with it (joined by "/"); delivery of a publication to the
 * destination queue of each administrative subscription of the same
 * topic string: the number of subscriptions reached, or -1 with *reason
 * when one of them failed. */
std::string SimTopicString(SimQMgr *q, const std::string &objectName, const std::string &given);
int SimPublish(SimConn *c, SimQMgr *q, const std::string &topic, const MQMD *md, MQLONG len,
               const void *buf, bool syncpoint, MQLONG *reason);
/* simput.cpp: a message of a put (or a delivered publication) onto a
 * local queue, in the connection's unit of work when syncpoint. */
void SimEnqueue(SimConn *c, SimQMgr *tq, SimObject *t, MQMD *m, MQLONG len, const void *buf, bool syncpoint);
/* A put date (YYYYMMDD) and time (HHMMSSTH) of ms since the epoch, UTC,
 * written into the two 8-character fields. */
void SimPutTimeFields(int64_t ms, char *date, char *clock);
/* Puts messages from to to - 1 to an open queue, each as MQPUT would,
 * in runs under one taking of the lock; next makes message i.  Stops at
 * the first that fails: the number put, and that one's reason in
 * *reason (0 when all went). */
typedef void (*SimPutNext)(void *ctx, size_t i, MQMD *md, MQPMO *pmo, const void **data, MQLONG *len);
size_t SimPutSeries(MQHCONN hc, MQHOBJ ho, size_t from, size_t to, SimPutNext next, void *ctx, MQLONG *reason);

/* simunit.cpp */
void SimCommit(SimConn *c);
void SimBackout(SimConn *c);

/* simfault.cpp: 0, or the injected reason for this call of the verb on
 * that queue manager (null: not known). */
MQLONG SimFaultCheck(const char *verb, const char *qmgr = nullptr);
/* Whether the command server of qmgr is stopped by a fault now. */
bool SimCommandServerStopped(const char *qmgr);
/* Replaces the fault of the verb and queue manager ("" any): skip calls
 * let through, then count calls failed with reason after delayMs; count
 * 0 removes it. */
void SimFaultArm(const char *verb, const std::string &qmgr, MQLONG skip, MQLONG count, MQLONG reason, MQLONG delayMs);
/* Set on threads of the stand-in itself (the command server): their MQI
 * calls are never failed by injected faults. */
extern thread_local bool SimFaultExempt;

/* simsel.cpp: selection strings */
struct SimSelTerm { int field; int op; std::string text; MQLONG num; int join; };
int SimSelCompile(const std::string &text, std::vector<SimSelTerm> *out);
bool SimSelMatch(const std::vector<SimSelTerm> &terms, const MQMD *md);

/* host functions: sim_posix.cpp / sim_win.cpp */
void *SimHostLockDir(const std::string &dir);    /* null when another process owns it */
void SimHostUnlockDir(void *lock);
int SimHostReplace(const std::string &from, const std::string &to);
int SimHostMkdir(const std::string &dir);
std::string SimHostUser(void);
std::string SimHostProgram(void);
std::string SimHostEnv(const char *name);
void SimHostPinModule(void);                     /* the library stays loaded */
/* Sockets of the local channel, on the loopback address only: -1 when
 * none.  Listen picks a free port and tells it. */
typedef intptr_t SimSocket;
SimSocket SimHostListen(int *port);
SimSocket SimHostAccept(SimSocket s);
SimSocket SimHostConnect(int port);
bool SimHostSendAll(SimSocket s, const void *p, size_t n);
bool SimHostRecvAll(SimSocket s, void *p, size_t n);
long SimHostRecvSome(SimSocket s, void *p, size_t n);   /* what has come, up to n: <= 0 when closed */
void SimHostShutdownSocket(SimSocket s);         /* wakes a blocked receive */
void SimHostCloseSocket(SimSocket s);
int SimHostRemove(const std::string &path);
