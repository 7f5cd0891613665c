/* Message transfer: the Drask message file (its attribute table, writer
 * and readers of Drask, dmpmqmsg, amqsbcg and plain files), the load and
 * unload engine that moves messages between queues and files under one
 * control block (DROPT), and what the transfer dialogs turn their fields
 * into (the block, a put message, a publication).
 *
 * Window-free: the engine runs on a location's put thread; texts and
 * questions for the requesting window go through the put-thread context
 * (DRASKTHREAD).  Every result is an integer: 0, an MQ reason, or one of
 * the codes below with the block's error text set. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "mqi.h"
#include "mqengine.h"
#include "progress.h"
#include "mq/mdconvert.h"

/* Result codes of the transfer (beside MQ reasons). */
enum {
    DRC_WRITE = 2102,          /* write failure */
    DRC_BADFILE = 2208,        /* bad input or file */
    DRC_INTERNAL = 2195,
    DRC_OPTIONS = 3229,        /* option error */
    DRC_OPTIONS2 = 2046,
    DRC_CONTEXT = 2098,
    DRC_ABORTED = 2279,
    DRC_STORAGE = 2071,
    DRC_END = -1,              /* readers: no more messages */
};

/* First option word. */
enum : uint32_t {
    DRO_MOVE = 0x2,            /* get source messages destructively */
    DRO_OVERWRITE = 0x4,       /* an existing output file may be replaced */
    DRO_SAFESET = 0x10,        /* data as S and X lines */
    DRO_COLUMN = 0x20,         /* X lines with a character column */
    DRO_CONVERT = 0x40,        /* convert on get */
    DRO_CTX_DEFAULT = 0x80,
    DRO_CTX_PASSALL = 0x100,
    DRO_CTX_PASSID = 0x200,
    DRO_CTX_SETALL = 0x400,
    DRO_CTX_SETID = 0x800,
    DRO_CTX_NONE = 0x1000,
    DRO_CTX_MASK = 0x1F80,
    DRO_AMQSBCG = 0x10000,     /* the input is amqsbcg output */
    DRO_INDEX = 0x20000,       /* "* Index" lines */
    DRO_BROWSEGET = 0x40000,   /* browse all, get the selected under the cursor */
    DRO_PURGE = 0x80000,       /* the source queue may lose messages */
    DRO_STRIP = 0x1000000,     /* strip dead-letter and transmission headers */
};

/* Second option word. */
enum : uint32_t {
    DRO2_READAHEAD = 0x10,
    DRO2_ASYNC = 0x20,
    DRO2_NORFH2 = 0x40,        /* no message properties as an MQRFH2 */
    DRO2_PLAIN = 0x10000,      /* the input is a plain file */
    DRO2_WHOLE = 0x20000,      /* plain: the whole file is one message */
    DRO2_INCLUDE = 0x40000,    /* plain: the delimiters belong to the messages */
    DRO2_COUNTING = 0x200000,  /* counting pass: read, count, write nothing */
    DRO2_DECODED = 0x800000,   /* the delimiters are decoded already */
};

/* Search groups, in order. */
enum {
    DRS_TEXT, DRS_NOT_TEXT, DRS_EBCDIC, DRS_NOT_EBCDIC, DRS_BYTES, DRS_NOT_BYTES, DRS_GROUPS
};
enum { DRS_ENTRIES = 3, DRS_SIZE = 100, DR_DELIM_SIZE = 100, DR_NAME = 48, DR_FILE = 256 };

struct DRSEARCH {
    int32_t length;
    uint8_t bytes[DRS_SIZE];
};

/* The plain-file reader's buffer. */
struct DRPLAIN {
    uint8_t *buffer;
    size_t capacity;
    size_t start, end;         /* the bytes held: [start, end) of the buffer */
    uint64_t offset;           /* file offset of buffer[0] */
    int eof;
    int done;                  /* no message follows */
};

/* The line reader's state. */
struct DRLINES {
    const uint8_t *chunk;      /* read-ahead: the buffer, or a view of the file */
    size_t chunkCapacity, chunkPos, chunkEnd;
    uint8_t *buffer;           /* "DRASKREAD", where the file is read */
    void *view;                /* a mapped window of the file, or null */
    size_t viewLength;
    int mapping;               /* 0 not tried, 1 the file is mapped, -1 read */
    uint64_t fileSize, fileOffset;   /* of the next window */
    int eof;
    int held;                  /* the line in the buffer is not consumed */
    int atEnd;                 /* the held state is end of file */
};

/* The control block of one load, unload, copy or move (tag "DROPT").
 * Built by a dialog, copied into the block queued to the put thread, run
 * once and freed by the put thread.  It holds no pointer into itself. */
struct DROPT {
    MQEDROPTHEAD head;         /* entry table and connection: the put thread's */
    MQMD md;                   /* the current message's descriptor (364 bytes) */
    PROGRESS *progress;        /* the operation's progress record, or null */
    void *window;              /* the requesting window */
    char sourceQ[DR_NAME + 1];
    MQHOBJ hSource;            /* -1: not open */
    char targetQ[DR_NAME + 1];
    MQHOBJ hTarget;
    char inFile[DR_FILE + 1];
    char outFile[DR_FILE + 1];
    FILE *in, *out;
    uint32_t options, options2;
    int32_t lineWidth;         /* bytes per X line */
    DRSEARCH search[DRS_GROUPS][DRS_ENTRIES];
    int64_t first, last;       /* message range: 0 no range / no upper bound */
    int64_t runTime;           /* seconds */
    int64_t olderBound, youngerBound;   /* put times, 0: no bound */
    int32_t commitInterval;
    int32_t uow;               /* the run uses a unit of work */
    int32_t uncommitted;
    int32_t ccsid, encoding;   /* conversion on get */
    uint8_t startDelim[DR_DELIM_SIZE];
    int32_t startLength;
    uint8_t endDelim[DR_DELIM_SIZE];
    int32_t endLength;
    DRPLAIN plain;
    int64_t index;             /* of the message read, 1-based */
    int64_t selected, read, written;
    uint64_t bytesWritten;
    int64_t counted;           /* messages the counting pass found */
    uint64_t inPosition;       /* bytes of the input consumed */
    uint64_t total;            /* of the progress: source depth or input size */
    uint8_t *msg;              /* data buffer, "DRASKMSG" */
    uint32_t msgCapacity, msgLength, dataStart;
    char *line;                /* the current line: in the read-ahead or the store */
    uint32_t lineLength;
    char *lineStore;           /* lines that cross a read-ahead, "DRASKLINE" */
    uint32_t lineCapacity;
    int64_t lineNumber;
    DRLINES lines;
    char *outBuffer;           /* writer's text of one message, "DRASKOUT" */
    size_t outCapacity, outLength;
    int32_t holdOutput;        /* the output file is unbuffered: the writer holds the
                                  text of several messages and writes it in large pieces */
    int32_t asyncRefused;      /* the target refused asynchronous puts */
    int32_t flushed;           /* the output was flushed since the last write */
    char error[600];
    int32_t finished;
};

/* ---- the attribute table ---------------------------------------------- */

enum { DRA_INT = 1, DRA_CHAR = 2, DRA_HEX = 3 };
enum { DRF_ORDINARY = 0, DRF_CHARFORM = 1, DRF_HEXFORM = 2 };

struct DraskAttr {
    uint32_t kind;
    uint32_t offset;
    uint32_t length;
    uint32_t minVersion;
    const char *code;          /* "" for StrucId */
    const char *name;
    uint32_t form;
};
extern const DraskAttr DraskAttrTable[];

/* The reader's default descriptor (version 2, 364 bytes). */
void DraskDefaultMD(MQMD *md);
/* The row of a three-letter code, or null. */
const DraskAttr *DraskFindCode(const char *code);
/* The row of an MQMD field name (table order), or null. */
const DraskAttr *DraskFindName(const char *name, size_t length);

/* ---- the block --------------------------------------------------------- */

void DraskInit(DROPT *o);
/* Frees what the block holds (buffers) and closes its files; the block
 * itself stays. */
void DraskFreeBuffers(DROPT *o);
/* Sets the error text (printf style) and answers code. */
int DraskFail(DROPT *o, int code, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

/* The program-wide time of file headers: DraskTakeTime takes it anew
 * (each run does), DraskHeaderTime takes it only when none was taken. */
void DraskTakeTime(int64_t now);
int64_t DraskHeaderTime(void);
/* The 24-character local-time text of a time, with its newline. */
void DraskTimeText(int64_t t, char *out, size_t size);

/* ---- writer -------------------------------------------------------------- */

/* The file header; queue may be null (no queue line). */
int DraskWriteHeader(DROPT *o, const char *queue);
/* One message: index line, attribute lines, data lines, an empty line
 * unless noBlank.  md and data are the message's. */
int DraskWriteMessage(DROPT *o, const MQMD *md, const uint8_t *data, uint32_t length, int noBlank);
/* The attribute lines of a descriptor into the block's text. */
void DraskWriteAttr(DROPT *o, const MQMD *md);
/* Writes the text the writer holds (holdOutput): 0, or the errno of a
 * failed write (the error text is left alone). */
int DraskWriteHeld(DROPT *o);
/* Writes the text held (holdOutput), then flushes the output: 0, or
 * 2102 when it cannot be written or flushed (and made durable when
 * durable is set). */
int DraskFlushOutput(DROPT *o, int durable);

/* ---- readers ------------------------------------------------------------- */

enum { DRL_PEEK = 0, DRL_NEXT = 1, DRL_RAW = 2 };
/* One line into the block's line buffer: 1 a line, 0 end of file, or an
 * error code (storage). */
int DraskReadLine(DROPT *o, int mode);
/* DraskReadLine(o, DRL_NEXT), quicker for the common lines. */
int DraskNextLine(DROPT *o);
/* The first line of a file without the UTF-8 byte order mark that text
 * editors put in front of it. */
void DraskSkipByteOrderMark(DROPT *o);
/* Recognises an input file (amqsbcg or Drask layout): 0, DRC_END (no
 * message in it), or 2208. */
int DraskRecognise(DROPT *o);
/* The next message into md and the data buffer: 0, DRC_END, or an error
 * code with the error text set. */
int DraskReadAttributes(DROPT *o);
int DraskReadBcg(DROPT *o);
int DraskReadPlain(DROPT *o);
/* Checks and decodes the plain-file options: 0 or 3229. */
int DraskCheckPlain(DROPT *o);
/* The input file made ready (plain-file options checked, or the file
 * recognised): 0, DRC_END (nothing in it) or an error code. */
int DraskPrepareInput(DROPT *o);
/* The next message of the input file by its kind: 0, DRC_END, or an
 * error code with the error text set. */
int DraskReadMessage(DROPT *o);
/* Makes room for more data bytes in the message buffer: 0 or 2071. */
int DraskReserve(DROPT *o, uint64_t needed);

/* ---- the engine ---------------------------------------------------------- */

/* What the engine asks of the put thread it runs on: a text for the
 * requesting window, and a yes/no question the user answers. */
struct DRASKTHREAD {
    QMS *location;
    void *context;
    void (*sendText)(void *ctx, void *window, const char *text);
    int (*ask)(void *ctx, void *window, const char *question);
};

/* The put thread's entry for a request of kind 6: opens, counts, runs,
 * reports and closes.  Answers the MQ reason or 0. */
int LoadUnloadQueue(QMS *location, ThreadRequest *request, void *block);
/* The same with the put-thread context given. */
int DraskLoadUnload(DRASKTHREAD *thread, ThreadRequest *request, DROPT *o);
/* The message loop: 0 or an error code with the error text set. */
int DraskRun(DROPT *o);
/* Asks the open lists of a queue whose messages changed to refresh, as
 * the program-wide options ask (queue lists, message lists). */
void DraskRefreshLists(QMS *location, const char *queue);
/* Strips dead-letter and transmission headers from the current message. */
void DraskStripHeaders(DROPT *o);
/* 1 when the current message is selected by the searches and ages. */
int DraskSelected(const DROPT *o);


/* ---- host (draskhost_*.cpp) ------------------------------------------- */

FILE *DraskOpenFile(const char *name, const char *mode);
int DraskFileExists(const char *name);
/* Size of an open file, -1 when it cannot be told. */
int64_t DraskFileSize(FILE *f);
/* A read-only view of length bytes of the file from offset (a multiple
 * of DraskMapGranularity), or null; released with DraskUnmapView. */
void *DraskMapView(FILE *f, uint64_t offset, size_t length);
void DraskUnmapView(void *view, size_t length);
uint32_t DraskMapGranularity(void);
/* Flushes the system's buffers of the file to the disk: 0 or errno. */
int DraskSyncFile(FILE *f);
int DraskLastError(void);
