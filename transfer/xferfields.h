/* What the transfer dialogs make of their fields, window-free: the
 * control block of a load or unload from the Load/Unload dialog's
 * fields (with the message range, search and age parsers), and the
 * message and request of the put and publish dialogs (with the line-end
 * rule and the publication headers). */
#pragma once

#include <cstddef>
#include <cstdint>

#include "drask.h"

/* ---- the Load/Unload dialog ------------------------------------------- */

/* Control ids of DRASKDLG. */
enum {
    DF_STATUS = 103, DF_INQUEUE = 171, DF_OVERWRITE = 187, DF_CCSID = 227, DF_INFILE = 286,
    DF_OUTFILE = 287, DF_INCHOOSE = 288, DF_OUTCHOOSE = 289, DF_OUTQUEUE = 290, DF_RANGE = 291,
    DF_FORMAT = 292, DF_CONTEXT = 293, DF_SEARCH = 294, DF_NOTSEARCH = 295, DF_ESEARCH = 296,
    DF_NOTESEARCH = 297, DF_HSEARCH = 298, DF_NOTHSEARCH = 299, DF_INDEX = 300, DF_INPUTTAB = 301,
    DF_OUTPUTTAB = 302, DF_ENCODING = 303, DF_TXNLIMIT = 336, DF_PURGE = 338, DF_MOVE = 339,
    DF_OLDER = 361, DF_YOUNGER = 362, DF_STRIP = 371, DF_ASYNC = 372, DF_READAHEAD = 518,
    DF_FORCERFH2 = 521, DF_OTHERFILE = 564, DF_OTHERCHOOSE = 565, DF_START = 566, DF_END = 567,
    DF_INCLUDE = 568, DF_SINGLE = 569, DF_MULTIPLE = 570, DF_DELIMITERS = 571, DF_APPLY = 131,
};

enum { DRIN_QUEUE, DRIN_DRASK, DRIN_OTHER };
enum { DROUT_QUEUE, DROUT_DRASK };

/* The dialog's fields as the user left them. */
struct DRASKFIELDS {
    int input;                 /* DRIN_* */
    char inQueue[DR_NAME + 1];
    char ccsid[16];
    char encoding[16];         /* text of 303 */
    int move, readAhead, forceRfh2, purge;
    char inFile[DR_FILE + 1];
    char otherFile[DR_FILE + 1];
    int single, include;
    char startDelim[DR_DELIM_SIZE + 1], endDelim[DR_DELIM_SIZE + 1];
    int output;                /* DROUT_* */
    char outQueue[DR_NAME + 1];
    int async;
    char outFile[DR_FILE + 1];
    uint32_t format;           /* 0, DRO_SAFESET or DRO_COLUMN */
    int index, overwrite;
    char range[100];
    uint32_t context;          /* DRO_CTX_* */
    int strip;
    char txnLimit[16];
    char older[100], younger[100];
    char search[DRS_GROUPS][DRS_SIZE];
};

/* What building the block gave besides the block. */
struct DRASKBUILT {
    char status[120];          /* the range's text for 103 */
    char caption[40];          /* of the progress window */
    char older[100], younger[100];   /* written back in the long form */
    int askPurge;              /* the purge question is due */
    int field;                 /* the control in error */
};

/* The combo tables (text, value). */
struct DRVALUE {
    const char *text;
    uint32_t value;
};
extern const DRVALUE DraskEncodings[];     /* "Reversed" 546, "Normal" 273 */
extern const DRVALUE DraskFormats[];       /* "Default", "Ascii", "Ascii Column" */
extern const DRVALUE DraskContexts[];      /* "Set all context", ... */

/* Builds the block from the fields (DraskInit first; now is the time of
 * the run): 0, or 1 with the error text and built->field. */
int DraskBuildBlock(const DRASKFIELDS *f, int64_t now, DROPT *o, DRASKBUILT *built, char *error,
                    size_t size);
/* After the purge question (agreed: every message is got); then read
 * ahead goes when messages are browsed before they are got. */
void DraskSettleBrowse(DROPT *o, int purgeAgreed);

/* The message range: 0 with first and last (0, 0: all) and the status
 * text, or 1 (the error text in status). */
int ParseMessageRange(const char *text, int64_t *first, int64_t *last, char *status, size_t size);
/* A search string in EBCDIC: 0, or the offending character (1 to 255). */
int DraskEbcdicSearch(const char *text, DRSEARCH *out);
/* A search string of hex digits (blanks between pairs allowed): 1, or 0
 * when it is not hex. */
int DraskHexSearch(const char *text, DRSEARCH *out);

/* ---- the put and publish dialogs ------------------------------------- */

/* Control ids of the put and publish windows. */
enum {
    PF_STATUS = 103, PF_QMGR = 105, PF_LENGTH = 168, PF_COUNT = 169, PF_MESSAGE = 170,
    PF_QUEUE = 171, PF_PERSISTENCE = 172, PF_SYNCPOINT = 173, PF_FILE = 286, PF_CHOOSE = 288,
    PF_STREAM = 330, PF_TOPIC = 331, PF_LOCAL = 332, PF_ANONYMOUS = 333, PF_ASYNC = 372,
    PF_TOPICOBJ = 423, PF_PUBLEVEL = 424, PF_TABS = 426,
};

extern const DRVALUE PutPersistence[];     /* "Persistent" 1, "Not Persistent" 0, ... 2 */

/* Unless the platform is Windows (11), every CR directly followed by LF
 * is removed from the text and the freed tail zero-filled; the length
 * of what is left. */
uint32_t PutNormaliseText(uint8_t *text, uint32_t length, int32_t platform);

struct PUTFIELDS {
    char qmgr[DR_NAME + 1];
    char queue[DR_NAME + 1];
    char length[16];           /* 168: read only for typed text */
    char count[16];
    char file[DR_FILE + 1];    /* a file's bytes go as they are */
    const char *text;          /* 170 */
    int32_t persistence;       /* 1, 0 or 2 */
    int syncpoint, async;
    int32_t platform;          /* of the target queue manager */
    void *window;              /* receiver of the result */
};

/* The message (block "PUTMSG") and the request template of a put: 0, or
 * 1 with the error text and *field. */
int PutBuildRequest(const PUTFIELDS *f, uint8_t **message, uint32_t *length, ThreadRequest *request,
                    char *error, size_t size, int *field);

enum { PUB_TOPIC_MAX = 500 };  /* characters of a topic string */

struct PUBFIELDS {
    int queued;                /* the "Queued" tab, else "MQI" */
    char qmgr[DR_NAME + 1];
    char stream[DR_NAME + 1];
    char topicObject[DR_NAME + 1];
    char pubLevel[8];
    char topic[PUB_TOPIC_MAX + 1];
    char length[16];
    char count[16];
    const char *text;
    int32_t persistence;
    int syncpoint, local, anonymous;
    int32_t platform;
    void *window;
};

/* The queued publish's MQRFH with its name/value string into out (room
 * bytes), a topic with blanks or double quotes in double quotes: its
 * length, or 0 when it does not fit. */
uint32_t PubRfhHeader(const char *topic, int local, int anonymous, uint8_t *out, uint32_t room);
/* The message (block "PUBMSG") and request of a publication, with the
 * flags to post it with: 0, or 1 with the error text and *field. */
int PubBuildRequest(const PUBFIELDS *f, uint8_t **message, uint32_t *length, ThreadRequest *request,
                    uint32_t *flags, char *error, size_t size, int *field);
