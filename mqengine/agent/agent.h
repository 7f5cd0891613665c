/* The command agent: the program's own PCF commands (MYCMD_) executed
 * inside the program and answered like a command server would, the
 * sorting of what a location's reply queue brings, monitor messages that
 * measure a location's response time, and the event console.
 *
 * ProcessCommand and AnalyseCommand are declared with the engine
 * (mqengine.h), which calls them from its worker threads; a handler runs
 * on the connection it is given, with that connection's handle cache,
 * under that connection's lock.  Responses addressed to the location's
 * own reply queue (or to no queue) go in process to the receiver of
 * responses (MQEHooks.response), others are put to their reply queue. */
#pragma once

#include <cstddef>
#include <cstdint>

#include "mqengine.h"
#include "mq/pcf.h"

/* ---- responses ------------------------------------------------------------ */

/* Sends one part of a response (last non-zero: the final part).  Only a
 * request of MsgType MQMT_REQUEST is answered.  location may be null:
 * the response is then delivered in process. */
int SendResponse(QMS *location, MQHCONN hconn, void **cache, MQMD *requestMD, MQPP *response,
                 int last);

/* Descriptor-field selection of the message commands (MYPCFA_MSG_ATTRS). */
enum : uint32_t {
    MA_REPORT = 0x1, MA_MSGTYPE = 0x2, MA_EXPIRY = 0x4, MA_FEEDBACK = 0x8, MA_ENCODING = 0x10,
    MA_CCSID = 0x20, MA_FORMAT = 0x40, MA_PRIORITY = 0x80, MA_PERSISTENCE = 0x100,
    MA_MSGID = 0x200, MA_CORRELID = 0x400, MA_BACKOUT = 0x800, MA_REPLYTOQ = 0x1000,
    MA_REPLYTOQMGR = 0x2000, MA_USERID = 0x4000, MA_PUTAPPLTYPE = 0x8000,
    MA_PUTAPPLNAME = 0x10000, MA_PUTDATE = 0x20000, MA_PUTTIME = 0x40000,
    MA_GROUPID = 0x80000, MA_SEQNUMBER = 0x100000, MA_OFFSET = 0x200000,
    MA_MSGFLAGS = 0x400000, MA_POSITION = 0x800000, MA_MESSAGE = 0x1000000,
    MA_MSGLEN = 0x2000000, MA_CMSGID = 0x4000000, MA_CCORRELID = 0x8000000,
    MA_ORIGINDATA = 0x10000000, MA_IDENTITYDATA = 0x20000000, MA_TOKEN = 0x40000000,
};

/* Appends the descriptor fields the mask selects, in their fixed order;
 * 0, or the failure of the area. */
int AddMsgDescParms(MQPP *cursor, uint32_t mask, const MQMD *md);
/* The same fields appended to a row stamped many times, their values
 * taken from the descriptor at bases[source]; 0, or the reason. */
int AddMsgDescStamp(PCFSTAMP *row, uint32_t mask, int source);
/* The mask bit of an attribute id; 0 for an id that is not one. */
uint32_t MsgAttrBit(int32_t attribute);
/* Bytes AddMsgDescParms adds for the mask; bytes of one parameter. */
int32_t MsgDescParmsSize(uint32_t mask);
int32_t MsgParmSize(int32_t type, int32_t length);

/* ---- monitor messages ------------------------------------------------------ */

/* The record sent out and back: these 24 bytes travel, in a block of
 * MONMSG_BLOCK bytes (tag "MonMSG").  A test record carries only its
 * kind. */
struct MonMSG {
    char kind;                 /* 'm' measure, 'r' answer, 't' test; also 's', '"' */
    uint8_t spare[3];
    uint32_t sent;             /* wall clock of sending, seconds (low 32 bits) */
    uint32_t interval;         /* the sender's monitor interval */
    uint32_t spare2;
    uint32_t tick;             /* millisecond tick of sending */
    uint32_t lastResponse;     /* the sender's last response time, ms */
};
static_assert(sizeof(MonMSG) == 24, "a monitor record travels as 24 bytes");
#define MONMSG_WIRE 24
#define MONMSG_BLOCK 30

/* Response-time statistics of a location. */
struct MONSTATS {
    uint32_t lastResponse;     /* ms */
    int64_t count;
    int64_t totalMs;
    int64_t lastTime;          /* seconds */
    int64_t forwardedTime;     /* when a forwarded measurement was taken */
    int64_t lastSent;
};

/* Starts a round trip (test non-zero: a test record): 0, or the failure
 * of queueing it. */
int PostMonMsg(QMS *location, int test);
/* A returned monitor message read from the location's reply queue. */
int HandleMonitorMessage(QMS *location, MQHCONN hconn, MQMD *md, const void *data, int32_t length);
/* The statistics of a location (a copy). */
MONSTATS MonStatsOf(QMS *location);
/* Monitor messages sent and not yet answered. */
int32_t MonOutstanding(void);
void MonResetOutstanding(void);
/* The text of a talk record to the main window (11233, block "TALK"). */
void PostTalkText(QMS *receiver, QMS *location, const MQMD *md, const void *record, int32_t length);

/* ---- the event console ----------------------------------------------------- */

enum { CSL_NORMAL = 0, CSL_RECORD = 1, CSL_RECORD_REMOVE = 2, CSL_REMOVE = 3 };

/* Records an event and removes what it makes obsolete.  mqDate and
 * mqTime: an MQ put stamp (UTC), or null for now; objectNameLength -1
 * for a NUL-terminated name.  0, or 2071. */
int ConsoleAddEntry(QMS *location, int32_t event, int mode, int kind, const char *mqDate,
                    const char *mqTime, const char *objectName, int32_t objectNameLength,
                    int32_t dataLength, const void *data);
/* The location store's event hook (LOCHOOKS.consoleEvent). */
void ConsoleLocationEvent(void *ctx, QMS *location, int32_t code, int32_t kind);
/* Removes a location's entries (before the location record goes). */
void ConsoleForgetLocation(QMS *location);
/* Entries now kept. */
int32_t ConsoleCount(void);
/* Empties the console (program end, tests). */
void ConsoleClear(void);
