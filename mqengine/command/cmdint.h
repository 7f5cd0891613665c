/* What the files of the command engine share: the hook calls with their
 * defaults, the engine's block of a location (what its queue manager
 * reported, the refresh and the download), the dialog bits the engine
 * reads, and the pieces other subsystems supply (their stand-ins'
 * declarations until they land). */
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "command.h"
#include "mq/capability.h"
#include "../engine/engint.h"
#include "cmddlg.h"
#include "pcflists.h"
#include "loccache.h"

/* ---- the hooks ---- */

void CmdStatus(DialogWords *dialog, const char *text, QMS *location, uint32_t kind, int show = 0);
void CmdTitle(DialogWords *dialog, const char *suffix);
void CmdSetMenu(DialogWords *dialog);
void CmdViewCommand(DialogWords *dialog, int32_t command);
int CmdDialogMessage(DialogWords *dialog, uint32_t message, uintptr_t wParam, intptr_t lParam, int send);
void CmdFrameMessage(uint32_t message, uintptr_t wParam, QMS *location);
/* 1 yes (also without a hook). */
int CmdConfirm(DialogWords *dialog, uint32_t style, const char *text, const char *name,
               uint32_t *options, uint32_t bit);
int CmdBox(DialogWords *dialog, const char *text, const char *caption, int yesNo);
int CmdPostRequest(QMS *location, const SELECTIONINFO *selection, uint32_t flags, const uint8_t *key,
                   void *block, uint32_t length);
int CmdEditedMessage(DialogWords *dialog, CMDMESSAGE *out);
/* The message editor around a put or update (the engine's editor calls
 * when the hooks are unset): 1 when the user keeps unsaved edits. */
int CmdKeepEdits(DialogWords *dialog);
void CmdMessageFormat(DialogWords *dialog);
void CmdGenericFormat(DialogWords *dialog, const char *format);
void CmdFormatName(DialogWords *dialog);

/* ---- the engine's block of a location ---- */

struct CMDLOC {
    CMDQMGR reported;
    uint32_t notifyMain, notifyList;
    /* the download */
    uint32_t downloadState;
    uint32_t generation;
    uint32_t lastGeneration;     /* the last one given: never given again */
    int64_t lastReply;
    int64_t startedAt, doneAt;   /* the last start, the last complete download */
    int kept;                    /* a complete download is stored */
    uint8_t shown[DOWNLOAD_ROWS];/* which of a row's two lists the lookups read */
    int32_t nextRow;
    uint32_t stored;
    PCFCommandDef *current;
    const DOWNLOADROW *row;
    uint8_t *area;
    uint32_t areaSize;
    CSLIST objects[2][DOWNLOAD_ROWS];  /* the stored objects; the other list fills */
};
/* The block, made on first use; null without storage. */
CMDLOC *CmdLocOf(QMS *location);
/* The block when it exists. */
CMDLOC *CmdLocFind(QMS *location);
/* Frees a block (the engine's block of the location goes). */
void CmdFreeBlock(void *block);

/* A stored default object: a list element with its type and data area. */
struct DEFOBJ {
    CSLISTELEM link;
    int32_t type;
    uint32_t spare;
    /* the data area follows */
};
inline uint8_t *DefObjArea(DEFOBJ *o) { return (uint8_t *)(o + 1); }


/* ---- dialog bits ---- */

/* Put-context bits of a dialog qualifier, and the view option the
 * edited-message guard sets. */
#define DV_CONTEXT_BITS   0xF00u
#define DV_EDIT_GUARD     DV_STEPPED

/* The entry flag of a default action issued through it. */
#define PCFLR_DEFAULT_ISSUED 0x4

/* The program's seconds clock. */
int64_t CmdNow(void);
/* The time of day of a trace or status: "now" of the location store. */

/* Text helpers. */
void CmdCopy(char *out, const char *text, size_t size);
/* A PCF string without trailing blanks and NULs into out (size). */
void CmdTakeString(char *out, size_t size, const void *value, int32_t length);

/* The queue a request of these flags goes to (the failure text). */
void CmdTargetQueue(QMS *location, uint32_t flags, char *out, size_t size);

/* ---- pieces of other subsystems ---- */

/* The MQSC console and MQSC text (until they exist: an mvs command is not
 * converted, an MQSC reply cannot be read). */
struct MQSCPcf {
    const PCFCommandDef *definition;
    uint32_t command;
    uint32_t complete;           /* the command's replies are complete */
    int32_t reason;
    uint32_t hasText;
    char *text;                  /* collected text */
    uint32_t replies, items;     /* replies seen, sum of their counts */
    uint32_t returnCode;
    uint32_t outstanding;        /* queue managers still to answer */
    char member[6];              /* the queue manager of the last notice */
};
void IssueMQSC(DialogWords *dialog, const PCFActionDef *action);
/* The request message replaced by MQSC text: 0, 1 when it could not be
 * converted, 2071 when the text would not fit. */
int PCFBuildMQSC(DialogWords *dialog, const uint8_t *caps, const PCFCommandDef *dialogDef,
                 MQSCPcf *state, void **message, uint32_t *length);
/* 0 converted (a PCF message in *pcf or none), else the failure. */
int MQSCResponseToPcf(IFCMD *record, const MQMD *md, const uint8_t *data, uint32_t length,
                      uint8_t **pcf, uint32_t *pcfLength);
void MQSCFreeState(IFCMD *record);
/* The header an MQSC console reply of an mvs location stands under: empty,
 * marked last at a completion message. */
void MQSCConsoleHeader(const uint8_t *data, uint32_t length, MQCFH *head);
/* The broker's reply handler, and the release of a query's record. */
void PSFreeQuery(IFCMD *record);
void PSHandleReply(IFCMD *record, uint32_t value, const MQMD *md, const uint8_t *data, uint32_t length);

/* The selected rows of a list dialog: their count, and the row at an
 * index of the selection (null past its end). */
int32_t SelectedRowCount(DialogWords *dialog);
PCFROW *SelectedRowAt(DialogWords *dialog, int32_t index);

/* ---- one command being issued (PCFDoCommand and its passes) ---- */

struct DOCMD {
    DialogWords *dialog;
    PCFCommandDef *definition;
    const PCFActionDef *action;
    uint8_t *area;
    PCFLISTREQ *entry;
    QMS *location;
    uint32_t compileFilter, quiet;
    uint64_t callerValue;
    IFCMDCALLBACK callback;
    const char *objectText;
    CMDSEQ *sequence;            /* the block the caller shares (until a record takes it) */
    int followUp;                /* the status follow-up is due */
    CMDSEQ *made;                /* the block made for it, or null */
    int32_t continuation;        /* -1 first; -2 nothing left */
    int parts;                   /* requests sent for listed names: they share one
                                    sequence, and their rows one area */
    int confirmed;               /* the confirmation was asked */
    int sameQueueYes;            /* the same-queue question got a yes */
    void *buffer;
    int32_t bufferSize;
    int result;
};
/* One pass: builds and sends one request; 0 go on (when the continuation
 * says so), 1 the command ends here. */
int CmdPass(DOCMD *c);

/* The value of a row (its request's list area) for an attribute (0: the
 * first object-name column): its text cut to size, or its integer; 0
 * when the row holds none. */
int CmdRowValue(PCFROW *row, uint32_t attrId, char *text, size_t size, int32_t *integer);
