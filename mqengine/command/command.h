/* The command engine: every action of an object, list or message dialog
 * and every command the program sends on its own behalf leaves through
 * PCFDoCommand (checks and confirmations, a PCF request built from the
 * dialog's data, a command in flight with its request key, a thread
 * request); its replies come back through ProcessResponse into the
 * dialog's data or list area, status line and reply callback.  Built on
 * it: the queue-manager refresh and the object-definition download.
 *
 * Nothing here touches a window: status lines, titles, menus, messages to
 * dialogs and to the main window, confirmations and the dialogs an action
 * opens go through CMDHOOKS, which the shell fills (recorders in tests);
 * an unset hook does nothing (a question then counts as answered no, and
 * a dialog an action opens is said to be not available). */
#pragma once

#include <cstddef>
#include <cstdint>

#include "mqengine.h"
#include "mq/pcf.h"
#include "cslist.h"
#include "dialogs.h"

/* ---- commands in flight ------------------------------------------------- */

/* The request key: the MsgId of every command request, carried back in
 * the replies.  serial tells a record from a later one at the same
 * address made in the same second. */
struct CMDKEY {
    uint16_t origin;             /* 1 issued from a dialog, 2 without one */
    uint16_t reserved;
    uint32_t sequence;           /* the entry's request counter; 1 without a dialog */
    uint64_t reference;          /* the IFCMD record */
    uint32_t created;            /* low 32 bits of the record's creation time */
    uint32_t serial;
};
static_assert(sizeof(CMDKEY) == 24, "the request key is a MsgId");
enum { KEY_DIALOG = 1, KEY_PROGRAM = 2 };

/* Shared by a command and its follow-up (tag "CMDSEQ"): freed with its
 * data when the last of the two records goes. */
struct CMDSEQ {
    uint32_t users;
    uint32_t spare;
    void *data;
    uint64_t spare2;
};

struct IFCMD;
/* Called for each reply instead of the dialog handling: the record, the
 * command code, the reply (or null), its length, 0 for a good reply, 1
 * for a failed one (or an MQSC reply state's reason), and a text. */
typedef void (*IFCMDCALLBACK)(IFCMD *record, uint32_t command, const uint8_t *data,
                              uint32_t length, uint32_t error, const char *text);

/* One command in flight, an element of the in-flight list (lock 5). */
struct IFCMD {
    CSLISTELEM link;
    uint32_t complete;           /* the last reply was processed, or the command failed */
    uint32_t keep;               /* stays on the list after completion (the console's) */
    uint32_t publish;            /* a broker request */
    CMDSEQ *sequenceBlock;
    uint32_t errorReplies;
    uint32_t otherReplies;
    int64_t created;             /* seconds */
    uint32_t users;              /* reply handlers working on it */
    CMDKEY key;
    void *mqscState;             /* a converted MQSC reply's state */
    uint32_t command;
    PCFLISTREQ *entry;           /* the dialog's entry the command went through */
    QMS *location;
    PCFCommandDef *definition;
    DialogWords *dialog;         /* null for the program's own commands */
    const PCFActionDef *action;
    char objectText[500];
    CSLIST consoleCommands;
    uint32_t highestAnswered;
    uint32_t replySequence;
    uint64_t callerValue;
    IFCMDCALLBACK callback;
    uint32_t released;           /* asked to go while handlers were at work */
    uint32_t rowsReceived;       /* list rows of the current reply sequence */
};

/* Adds a copy of a filled record to the in-flight list (tag "IFCMD2",
 * "IFCMD5", "IFCMD"); the new record, or null without storage. */
IFCMD *IfcmdAdd(const IFCMD *image, const char *tag);
/* Releases a record (its sequence block, console entries, MQSC state);
 * a record a reply handler is working on is marked and released by the
 * handler that finishes last. */
void IfcmdFree(IFCMD *record);
/* Releases every record of a location (all of them when null). */
void IfcmdPurge(int64_t now, QMS *location, int all);
/* The record a key names, held (users raised) for a reply handler; null
 * when it is no longer in flight. */
IFCMD *IfcmdHold(const uint8_t *key);
/* The handler is done: lowers users, releases a record that completed or
 * was asked to go, frees a closing dialog whose last command ended.
 * 1 when the record was released. */
int IfcmdLetGo(IFCMD *record);
/* For FreeDialogWords (under lock 5): releases the finished records of a
 * dialog and its console's record, answered or not; 1 while one of them
 * still waits for replies or is being processed (the dialog is then freed
 * when it ends). */
int IfcmdDropDialog(DialogWords *dialog);
/* The record of a dialog with a callback (the console's), or null. */
IFCMD *IfcmdFind(DialogWords *dialog, IFCMDCALLBACK callback);
/* The first record the match accepts (under lock 5), held like
 * IfcmdHold; null when none. */
IFCMD *IfcmdHoldMatch(int (*match)(const IFCMD *, const void *), const void *context);
/* Records in flight (tests, the no-response watch). */
int32_t IfcmdCount(void);
/* The key of a record: origin, sequence, its address, time and serial. */
void IfcmdMakeKey(IFCMD *record, uint16_t origin, uint32_t sequence);
/* A new sequence block for two users; null without storage. */
CMDSEQ *CmdSeqNew(void);
/* One user less; freed with its data at none. */
void CmdSeqRelease(CMDSEQ *block);

/* ---- issuing ------------------------------------------------------------ */

/* Status kinds of the status line. */
enum {
    SK_PLAIN = 0, SK_INFO = 1, SK_NOTICE = 2, SK_NOTICE2 = 3, SK_INPUT = 4, SK_ERROR = 5,
    SK_FAILURE = 6, SK_UNHANDLED = 0x20, SK_LAST = 0x43, SK_MQSC_LAST = 0x53,
};

/* The action of a dialog (or, without one, of a definition for a data
 * area), sent through an entry (null: the dialog's own) to a location
 * (null: the entry's).  0 sent, nothing to send, or stopped by a check
 * or the user; 1 an error was shown; else the filter's error code. */
int PCFDoCommand(DialogWords *dialog, uint32_t compileFilter, uint32_t fieldsRead,
                 uint32_t actionId, PCFCommandDef *definition, uint8_t *dataArea,
                 PCFLISTREQ *entry, QMS *location, uint32_t quiet, uint64_t callerValue,
                 IFCMDCALLBACK callback, const char *objectText, CMDSEQ *sequence);
/* The action to the dialog's own queue manager and every other selected
 * one of its group; the last non-zero result. */
int SendToAllInGroup(DialogWords *dialog, uint32_t fieldsRead, uint32_t actionId,
                     PCFCommandDef *definition, uint8_t *dataArea, uint64_t callerValue);
/* The put, load/unload or publish dialog for the next selected row
 * (*continuation -1 first; -2 when nothing is left). */
void SelectedRowNames(DialogWords *dialog, const PCFActionDef *action, int32_t *continuation);
/* A user command template expanded ("%l", "%m", "%o", "%c") and run;
 * CSRunCommand's result, its error text left in *errorText. */
int RunUserCommand(QMS *location, DialogWords *dialog, PCFROW *row, const char *templ,
                   char **errorText);
/* The expansion alone (at most 499 characters). */
void ExpandUserCommand(QMS *location, DialogWords *dialog, PCFROW *row, const char *templ,
                       char *out);
/* The dialog qualifier of a message put: the view options with the put
 * context bits of the dialog's option for updates and adds. */
uint32_t PutContextFlags(DialogWords *dialog, const PCFActionDef *action);
/* The hooks for the dialogs library (doCommand, sendToAll, levelQuery,
 * dropCommands) into a hook table. */
void CmdDialogHooks(PCFHOOKS *hooks);

/* ---- pre-action checks -------------------------------------------------- */

/* Non-zero: go on.  style goes to the confirmation unchanged. */
int ConfirmAction(DialogWords *dialog, uint32_t style, const PCFActionDef *action, int32_t count,
                  const char *objectName);
/* The confirmation text and the option bit it asks under: what
 * ConfirmAction shows (name: the object name to show, or null). */
void ConfirmText(DialogWords *dialog, const PCFActionDef *action, int32_t count, char *text,
                 size_t size, const char **name, uint32_t *bit);
/* 1 when Queue Manager A and B name two locations. */
int CheckQmgrPair(DialogWords *dialog, uint32_t report);
int CheckNamingStandard(DialogWords *dialog);
int CheckNamingPattern(DialogWords *dialog, int type, int *matched);
int CheckGlobalNaming(DialogWords *dialog);
int CheckContextFields(DialogWords *dialog, uint32_t putContext);
uint32_t DialogPutContext(DialogWords *dialog, const PCFActionDef *action);

/* ---- the PCF request from a dialog's data ------------------------------- */

struct CHECKINPUT {
    QMS *location;
    DialogWords *dialog;
    uint32_t dialogFlags;        /* the dialog's state flags */
    uint32_t qualifier;          /* the dialog qualifier (PutContextFlags) */
    const PCFCommandDef *definition;
    const PCFLISTENTRY *columns; /* the list's current columns, or null */
    const PCFActionDef *action;
    uint8_t *area;               /* null: the entries' default texts */
    int32_t index;               /* in/out: the multi-name element; -2 when all are used */
    void *buffer;                /* null: validation only */
    int32_t size;
    SELECTIONINFO *request;      /* correlation id and user id of the request */
    char *objectName;            /* in/out, 500 bytes */
    const uint8_t *filter;       /* the dialog's WHERE filter structure, or null */
    const uint8_t *editedMd;     /* the edited message of a put (type 28 fields) */
    uint32_t editedMdLength;
    const uint8_t *editedMsg;
    uint32_t editedMsgLength;
    /* out */
    uint32_t length;
    int32_t count;               /* names the command acts on */
    char error[300];
};
/* 0 built (or valid); 1 with the text in error (empty: a mandatory
 * field is empty); reason 2071 when the buffer is too small. */
int PCFCheckInput(CHECKINPUT *input);
/* An MQCFSL of a string-list value; 0, or the failure's reason. */
int PCFPackStringList(MQPP *cursor, int32_t parameter, const void *list, int32_t maximum);
/* The location's queue-name mask (else the global one) up to and with
 * its first "*", or the default text. */
const char *PCFGetNameMaskPrefix(QMS *location, char *out, const char *dflt);

/* ---- reply processing --------------------------------------------------- */

void SetDialogObjectName(DialogWords *dialog);
/* Three 56-byte texts from the profile's templates for a time. */
void ResponseTimeText(char texts[3][56], int64_t time);
/* The same for one template into one text. */
void ResponseTimeFormat(const char *templ, int64_t time, char *out, size_t size);
int LoadMessageFields(DialogWords *dialog);
/* A copy of bytes into the block in *slot (tag "PHEX Copy"); 1 copied. */
int MessageCopyBuffer(void **slot, const void *bytes, uint32_t length);
/* The status text of an error reply (its parameters walked); info set
 * by an information message. */
void ErrorReplyText(IFCMD *record, const uint8_t *reply, uint32_t length, char *text,
                    size_t size, int *info);

/* ---- refresh and download ----------------------------------------------- */

/* Refresh kinds (the bits of RequestQmgrRefresh). */
enum : uint32_t {
    RK_QMGR = 0x1, RK_QUEUES = 0x2, RK_POLL = 0x4, RK_DOWNLOAD = 0x8, RK_AUTO = 0x10,
};
/* Refresh marks (QMS.refreshMarks). */
#define RM_QMGR_ASKED   0x1ull
#define RM_QUEUES_ASKED 0x2ull
#define RM_ARRIVING     0x20000ull
#define RM_QMGR_DONE    0x100000000ull
#define RM_QUEUES_DONE  0x200000000ull
#define RM_BUSY         0x1EFull
/* Download states. */
enum : uint32_t { DL_RUNNING = 0x1, DL_DONE = 0x2, DL_FAILED = 0x4, DL_NOSTORAGE = 0x8 };

/* The location callers' kinds by meaning: 2 queue list, 3 queue list of a
 * prefix, 4 status poll, 7 download, 16 automatic, 23 forced; the bits
 * (and whether forced), or 0 for a kind not in the table. */
uint32_t RefreshKindBits(int32_t kind, int *force);
/* Sends the queue-manager inquiry of a location: 0 when it was queued. */
int SendQmgrInquiry(QMS *location, int quiet);
void SendRefreshCommands(QMS *location, const char *namePattern);

/* What a location's queue manager reported. */
struct CMDQMGR {
    char name[49], deadLetterQ[49], xmitQ[49], repository[49];
    int32_t inGroup;
    uint32_t pendingKinds;
    int64_t lastRefresh;
};
/* A copy of the reported values; 0 when the location has none. */
int CmdReported(QMS *location, CMDQMGR *out);

struct DOWNLOADROW;
void NextDownload(QMS *location);
void SetDownloadState(QMS *location, uint32_t bits);
uint32_t DownloadState(QMS *location);
void FreeDownloadData(QMS *location);
/* The kept object of a row (the download table's, pcflists.h): of the
 * type, or with index not negative the index-th one (from 0); null while
 * the download is not done.  What FindDownloadedObject reads. */
const uint8_t *CmdKeptDefault(QMS *location, const DOWNLOADROW *row, int32_t type, int index);
/* The index-th stored default object of a definition's row (from 0),
 * or null past the last one or while the download is not done. */
const uint8_t *DownloadedObjectAt(QMS *location, const PCFCommandDef *definition, int index);
/* The reply callbacks. */
void DownloadResponse(IFCMD *, uint32_t, const uint8_t *, uint32_t, uint32_t, const char *);
void QmgrInfoReplyUpdate(IFCMD *, uint32_t, const uint8_t *, uint32_t, uint32_t, const char *);
void QmgrInfoReplyQuiet(IFCMD *, uint32_t, const uint8_t *, uint32_t, uint32_t, const char *);

/* ---- the windows (CMDHOOKS: mqehooks.h) --------------------------------- */

/* The edited message of a message dialog (the editor's state). */
struct CMDMESSAGE {
    const uint8_t *md;           /* the edited descriptor */
    uint32_t mdLength;
    const uint8_t *data;         /* the edited message */
    uint32_t dataLength;
    const uint8_t *savedMd;      /* the copy kept when it was loaded */
    uint32_t savedMdLength;
    void **dataCopy;             /* the slot of the kept message copy */
    void **mdCopy;               /* the slot of the kept descriptor copy (may be null) */
};

