/* What the files of the command agent share: the request a handler
 * answers, the checked walk of a request's parameters, lists of ids,
 * tokens and positions, and the reading of messages with the settings
 * every message command uses. */
#pragma once

#include <cstddef>
#include <cstdint>

#include "agent.h"
#include "../engine/engint.h"
#include "../engine/progress.h"
#include "mq/mqconst.h"

#define AGENT_NAME 48              /* queue and queue-manager names */
/* An error response never grows: room for the header, a text of
 * AgentErrorText's 400 characters, its integers, an update's message
 * token and the two target names (a text that did not fit was dropped
 * without a word). */
#define AGENT_ERROR_AREA 1024

/* A handler of one command code: it answers through SendResponse. */
typedef int (*AGENTFN)(QMS *location, int32_t command, MQHCONN hconn, void **cache,
                       MQMD *requestMD, MQPP *cursor);

int InquireMsgsCmd(QMS *, int32_t, MQHCONN, void **, MQMD *, MQPP *);
int GetMsgCmd(QMS *, int32_t, MQHCONN, void **, MQMD *, MQPP *);
int MsgDetailCmd(QMS *, int32_t, MQHCONN, void **, MQMD *, MQPP *);
int MsgActionCmd(QMS *, int32_t, MQHCONN, void **, MQMD *, MQPP *);
int CloseQueueCmd(QMS *, int32_t, MQHCONN, void **, MQMD *, MQPP *);
int ConsoleCommand(QMS *, int32_t, MQHCONN, void **, MQMD *, MQPP *);
/* Saved dialogs and queued publish/subscribe (later subsystems). */
int DialogCommand(QMS *, int32_t, MQHCONN, void **, MQMD *, MQPP *);
int PSQueryStreams(QMS *, int32_t, MQHCONN, void **, MQMD *, MQPP *);
int PSQueryReply(QMS *, int32_t, MQHCONN, void **, MQMD *, MQPP *);

/* The request a handler answers and how its errors go back. */
struct AGENTREQ {
    QMS *location;
    int32_t command;               /* the command code responses carry */
    MQHCONN hconn;
    void **cache;
    MQMD *md;
    int32_t replyOptions;          /* echoed in error responses when not 0 */
    MQACTION *action;              /* names the target in error responses */
};

/* One parameter of a request. */
struct AGENTPARM {
    MQLONG type, id, length, count;
    const uint8_t *value;
};

/* The next parameter: 1, or 0 at the end; -1 when the walk failed and the
 * failure has been answered. */
int AgentNext(AGENTREQ *rq, MQPP *cursor, AGENTPARM *p);
/* A one-part error response; errorParm 0 for none.  Returns reason. */
int AgentError(AGENTREQ *rq, int32_t reason, int32_t errorParm = 0, intptr_t value = 0);
/* The same with a text as MYPCFA_ERROR_MESSAGE, formatted. */
int AgentErrorText(AGENTREQ *rq, int32_t reason, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
/* A parameter the handler does not take: 3014 with its id. */
int AgentUnknown(AGENTREQ *rq, const AGENTPARM *p);
/* A required name missing: 3015 with the parameter id. */
int AgentMissing(AGENTREQ *rq, int32_t parameter);

/* The end of a walk that needs a queue name: 0, or -1 when the walk
 * failed or the name is missing (answered). */
int AgentWalkEnd(AGENTREQ *rq, int more, const char *queue);
/* Length of a string parameter up to its first NUL, without trailing
 * blanks. */
int32_t AgentTextLength(const AGENTPARM *p);

/* Values of parameters; each answers a wrong type (3014) or a bad length
 * itself and returns -1 then, else 0. */
/* A string without trailing blanks and NULs, at most max characters
 * (3011 with the parameter id when longer) into out (max + 1). */
int AgentString(AGENTREQ *rq, const AGENTPARM *p, char *out, int max);
int AgentInt(AGENTREQ *rq, const AGENTPARM *p, int32_t *out);
/* A byte string (types 1001 and 9, or the MQCFST in which a dialog's
 * byte field travels) of at least need bytes (3257 when shorter). */
int AgentBytes(AGENTREQ *rq, const AGENTPARM *p, int32_t need, const uint8_t **bytes,
               int32_t *length);

/* A growable list of fixed-size items (tag "AGENTLIST"). */
struct AGENTLIST {
    uint8_t *items;
    int32_t count, capacity, size;
};
int AgentListAdd(AGENTLIST *list, const void *item);   /* 0, or 2071 */
void AgentListFree(AGENTLIST *list);
inline uint8_t *AgentItem(const AGENTLIST *l, int32_t i) { return l->items + (size_t)i * l->size; }
/* Ids or tokens of a parameter into a list of items of list->size
 * bytes: a byte string holds one or more of them, a string list one per
 * element; a piece shorter than an item is 3257. */
int AgentTakeItems(AGENTREQ *rq, const AGENTPARM *p, AGENTLIST *list);
/* Integers of an MQCFIN or MQCFIL into a list of int32_t. */
int AgentTakeInts(AGENTREQ *rq, const AGENTPARM *p, AGENTLIST *list);
/* A message descriptor of a request (version 1 or 2, at least as long as
 * its version) into a whole version 2 MQMD. */
int AgentTakeMD(AGENTREQ *rq, const AGENTPARM *p, MQMD *md);

/* One answer of these values (those with a value: then the descriptor
 * fields of the mask), as the last part, in an area of size bytes that
 * grows when needed: 0, or the reason (answered). */
struct AGENTVALUE {
    int32_t type, id;
    const void *value;
    int32_t length;
};
int AgentAnswer(AGENTREQ *rq, int32_t size, const char *tag, const AGENTVALUE *values, int count,
                uint32_t mask, const MQMD *md);
/* The information that ends an action (MYRC_INFORMATION with its text),
 * with MYPCFA_MSG_TOKEN when a token is given. */
int AgentInfo(AGENTREQ *rq, const char *text, const uint8_t *token);

/* ---- reading messages ---- */

/* Bits of MYPCFA_DIALOG_QUALIFIER. */
enum : uint32_t {
    DQ_BOTH = 0x1, DQ_POSITIONS = 0x2, DQ_IDS = 0x4, DQ_ALL = 0x8, DQ_SELECT = 0xF,
    DQ_STRIP = 0x10, DQ_BATCH = 0x20, DQ_NOCONVERT = 0x40, DQ_CONTEXT = 0xF00,
    DQ_SETALL = 0x100, DQ_PASSALL = 0x200, DQ_SETIDENTITY = 0x800, DQ_NOPROPERTIES = 0x1000,
    DQ_FROMSTART = 0x2000, DQ_OTHERQM = 0x2000, DQ_NOTRUNCATE = 0x8000000,
};

/* A queue opened for reading and the area messages are read into. */
struct MSGREAD {
    MQIEntryTable *table;
    MQHCONN hconn;
    void **cache;
    MQHOBJ hobj;
    MQLONG mdVersion;              /* 2, lowered on MQRC_MD_ERROR */
    MQLONG ccsid;                  /* MYPCFA_CONVERT_CCSID */
    MQLONG gmoVersion;
    MQLONG baseOptions;            /* conversion and properties */
    MQMD md;
    MQGMO gmo;
    uint8_t *buffer;               /* tag "Msg Area" unless the caller's own */
    int32_t size;
    int32_t owned;                 /* the buffer is ours to free */
    MQLONG length;                 /* whole length of the message read */
    PROGRESS *progress;
};

/* The connection's table, for handlers given a location and handle. */
MQIEntryTable *AgentTable(QMS *location, MQHCONN hconn);
/* The queue manager named in opens (49). */
void AgentQMgr(QMS *location, char *out);
/* Conversion and properties options of the message commands. */
MQLONG AgentGetOptions(QMS *location, uint32_t qualifier, int forAction);
/* Browse open options as the preferences and the location allow. */
MQLONG AgentBrowseOptions(QMS *location, int withToken);
/* Opens a queue through the handle cache: 0 or the reason. */
MQLONG AgentOpen(AGENTREQ *rq, MSGREAD *r, const char *queue, MQLONG options, uint32_t match,
                 const char *selector);
/* One MQGET with the settings of every message command; msgId and token
 * select a message when given.  Retries on MQRC_MD_ERROR with a lower
 * descriptor version.  Returns the reason. */
MQLONG AgentGet(MSGREAD *r, MQLONG options, const uint8_t *msgId, const uint8_t *token);
/* The area at least size bytes (contents not kept): 0, or 2071. */
int AgentArea(MSGREAD *r, int32_t size);
void AgentFreeArea(MSGREAD *r);
/* After MQRC_HOBJ_ERROR or MQRC_OBJECT_CHANGED the cached handle is
 * closed, so that the next request opens the queue again. */
void AgentDropHandle(MSGREAD *r, MQLONG reason);
/* A message read: the reasons that deliver data. */
int AgentReadOK(MQLONG reason);

/* ---- copy, move, delete, update and add ---- */

/* A message without its transmission or dead-letter header. */
struct STRIPPED {
    int found;                     /* a whole header with its StrucId */
    MQMD md;                       /* the descriptor the header gives back */
    const uint8_t *data;
    int32_t length;
    char queue[49], qm[49];        /* where the header says it was going */
};
/* 1 when the message of format "MQXMIT  " or "MQDEAD  " carries a whole
 * header (out filled), else 0. */
int StripHeader(const MQMD *md, const uint8_t *data, int32_t length, STRIPPED *out);

#define ACTION_SELECTOR 10240

/* Where the puts of an action go: the connection, the names, and the
 * handle opened through that connection's cache. */
struct ACTIONTARGET {
    MQIEntryTable *table;
    MQHCONN hconn;
    void **cache;
    int32_t *pending;
    char qm[49], queue[49];
    int named;                     /* the queue manager was named */
    MQHOBJ hobj;                   /* MQHO_UNUSABLE_HOBJ until opened */
};

/* The context of one copy, move, delete, update or add. */
struct MSGACTION {
    MQACTION base;                 /* own connection, units of work, target names */
    AGENTREQ rq;
    uint32_t qualifier;
    char queue[AGENT_NAME + 1];
    char targetQ[AGENT_NAME + 1];  /* as asked: a name or "*" */
    char targetQM[AGENT_NAME + 1];
    AGENTLIST ids, positions, tokens;
    MQMD newMD;                    /* update and add */
    const uint8_t *newData;
    int32_t newLength;
    int haveMD, haveData;
    char selector[ACTION_SELECTOR + 1];
    MSGREAD src;                   /* the source queue and the message area */
    MQLONG putOptions;             /* syncpoint and context of every put */
    MQLONG targetOptions;          /* open options of targets */
    int32_t handled;               /* messages handled */
    int32_t batch;                 /* commit every so many; 0 only at the end */
    int32_t committed;             /* handled when the last batch was committed */
    int64_t total;
    int lockHeld;                  /* a browse may have locked a message */
    ACTIONTARGET target;           /* of every put, when no message header decides it */
    int targetKnown;
    uint8_t putId[24];             /* the MsgId of the last put, as the queue manager left it */
    AGENTLIST sharers;             /* update: tokens of the messages that carried its id before */
    uint8_t putToken[16];          /* update: the token of the message it put, when found again */
    int putFound;
};

/* Puts one message (copy, move, update or add) where it goes: 0, or the
 * reason after the error response went out. */
int MoveMsgToTarget(MSGACTION *a, const MQMD *md, const uint8_t *data, int32_t length);
/* The unit of work on the put connection of the location of a target
 * queue manager, connected when needed; null after the error response. */
UOW *ConnectTargetQmgr(MSGACTION *a, const char *qmName);
/* "Message(%d) : " with the number of the message being handled, or
 * nothing for update and add (out: 40). */
void ActionPrefix(const MSGACTION *a, char *out);
/* "; %d messages moved before the failure" (copied, deleted) when
 * batches were committed before it, else nothing (out: 80). */
void ActionCommitted(const MSGACTION *a, char *out);
