/* What the files of the queued publish/subscribe queries share: the
 * running query (PUBSUBC) with its table of streams, the context a step
 * answers in, and the steps that register, ask for updates, deregister
 * and end a query. */
#pragma once

#include "agentint.h"
#include "../command/cmdint.h"

#define PS_NAME 48                 /* stream, queue and queue-manager names */
#define PS_TOPIC 256               /* topic and patterns */
#define PS_ADMIN_STREAM "SYSTEM.BROKER.ADMIN.STREAM"

/* Present parameters and requested attributes (the same bits). */
enum : uint32_t {
    PSP_STREAM = 0x1, PSP_TOPIC = 0x2, PSP_SUBNAME = 0x4, PSP_IDENTITY = 0x8,
    PSP_QUEUE = 0x80, PSP_QMGR = 0x100,
};

/* One stream the query talks to the broker about (table "PUBSUBSTREAMS"). */
struct PSSTREAM {
    char name[PS_NAME + 1];        /* padded with blanks to 48 */
    uint32_t haveCorrel;
    uint8_t correlId[24];          /* from the first broker command of the stream */
    char correlHex[49];
    uint32_t registered;           /* a subscription waits to be deregistered */
    uint32_t support;              /* the stream-support registration */
};

/* One running query (tag "PUBSUBC"), held by its command in flight. */
struct PUBSUBC {
    QMS *location;
    IFCMD *record;                 /* made with the first broker command */
    int32_t command;               /* 10026 or 10027 */
    uint32_t streamPhase;          /* stream names are being learnt */
    int32_t outstanding;           /* broker commands still to answer */
    uint32_t sent;                 /* responses sent */
    uint32_t present;              /* PSP_ bits */
    uint32_t listMode;
    uint32_t attributes;
    int64_t start;
    uint32_t sequence;             /* broker commands put */
    char queue[PS_NAME + 1], qmgr[PS_NAME + 1], stream[PS_NAME + 1];
    char topic[PS_TOPIC + 1], subName[PS_TOPIC + 1], identity[PS_TOPIC + 1];
    MQMD md;                       /* the request, to answer */
    PSSTREAM *streams;
    uint32_t count, capacity;
};

/* The connection a step answers and puts on. */
struct PSCALL {
    PUBSUBC *q;
    MQHCONN hconn;
    void **cache;
};

/* The query of a command in flight, or null. */
PUBSUBC *PSQueryOf(const IFCMD *record);
/* The stream entry of a correlation identifier, or null. */
PSSTREAM *PSFindCorrel(PUBSUBC *q, const uint8_t *correlId);
/* The entry of a stream (name cut to 48 and padded), added when new; null
 * without storage. */
PSSTREAM *PSFindStream(PUBSUBC *q, const char *name);
/* Registers on (or deregisters from) the identity topic of one stream:
 * 0, or the reason after the requester was answered. */
int PSSubscribeOne(PSCALL *c, const char *stream, int reg);
/* Registers on the identities of each supported stream of a stream-support
 * publication that matches the query's pattern. */
int PSSubscribeIdentities(PSCALL *c, MQPP *publication);
/* Ends the query with an error response (text may be null). */
void PSFail(PSCALL *c, int32_t reason, const char *text);
/* Releases the query's command in flight (or the query itself before
 * there is one). */
void PSEnd(PSCALL *c);
/* The identity-topic prefix of the query (77, 76, 81 or 80 characters). */
int PSTopicPrefix(const PUBSUBC *q, char *out, size_t size);
/* A name of the query equals a name of the publication up to the first
 * blank of each. */
int PSTopicMatch(const char *want, const char *value, int32_t length);
/* A publication of the query passed on to the requester. */
void PSForward(PSCALL *c, PSSTREAM *stream, MQPP *publication);
