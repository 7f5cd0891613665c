/* Client channel definition tables: the keyed record file of a binary
 * table ("AMQR"), the channel record that both table readers hand out,
 * the channel-list handle RCHN over a binary table, an MQSERVER channel or
 * a JSON table, and the JSON reader's program-wide channel list.
 *
 * Tables are only read.  Every failure of the channel list returns its
 * code (10001 to 10011) and leaves its text in the caller's error buffer
 * (CHL_ERROR_SIZE bytes); 10008 (no further channel) leaves none. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include "mqi.h"

/* ---- the channel record ---------------------------------------------- */

#define CHL_MAX_VERSION 12
#define CHL_NAME        20             /* channel name, the table's key */
#define CHL_ERROR_SIZE  512            /* error buffers of the readers */
#define CHL_PATH_SIZE   300            /* file specifications and paths */
#define CHL_BUFFER      52136          /* the import's channel buffer */

/* One client channel definition in memory: the MQCD (64-bit layout, ready
 * for MQCONNX) followed by the fields a stored record carries after it,
 * then the tail of exit lists and certificate peer name. */
struct CHLDEF {
    MQCD cd;
    MQLONG newSequence;
    MQLONG encrypt;                    /* user id and password enciphered */
    MQLONG exitListsLen;               /* bytes of the six exit lists */
    MQLONG flags;
    MQCHAR cluster[48];
    int64_t alterTime;                 /* seconds since 1970, UTC */
    MQCHAR longMcaUser[64];
    int32_t tailLength;                /* bytes of the tail that follows */
    int32_t spare;
};
#define CHL_TAIL(c) ((unsigned char *)(c) + sizeof(CHLDEF))
#define CHL_LENGTH(c) (sizeof(CHLDEF) + (size_t)(c)->tailLength)

/* An expanded exit list (held by one of the six list pointers). */
struct CHLEXITLIST {
    int32_t count;
    int32_t entryLength;
    int32_t count2;
    char entries[1];                   /* count entries, blank-padded */
};

/* Kinds of the channel field table. */
enum ChlFieldKind {
    CHF_END, CHF_CHAR, CHF_INT, CHF_INTS, CHF_PTR, CHF_TIME, CHF_MARKER, CHF_PASSWORD
};

/* One row of the channel field table (ends with an all-zero row). */
struct CHLFIELD {
    const char *name;
    uint8_t version;                   /* first stored version holding it */
    uint8_t kind;                      /* ChlFieldKind */
    uint16_t fileBytes;                /* bytes in the stored record */
    int32_t pcfId;                     /* 0: none */
    uint32_t offset;                   /* in CHLDEF */
    uint16_t width;                    /* characters, or integers of a list */
};
extern const CHLFIELD ChlFields[];

/* The first row with this PCF parameter identifier, or null. */
const CHLFIELD *ChlFieldByPcf(int32_t pcfId);
/* Bytes a stored record of this version gives its fields (0: unknown). */
size_t ChlStoredFieldBytes(int32_t version);
/* IBM MQ's default channel values; the record's tail length becomes 0. */
void ChlSetDefaults(CHLDEF *channel);

/* Stored record to channel record: *out is a new block ("CHLDEF") of
 * *outLength bytes.  0, 10001 (version), 10002 (damaged), 10005, or the
 * decryption's code. */
int ConvertChannelRecord(const unsigned char *stored, size_t length, CHLDEF **out,
                         size_t *outLength, char *error);
/* The same into a caller's buffer of room bytes; *needed receives the
 * channel record's length, and 10011 says it does not fit (nothing
 * written, no message). */
int ChlConvertInto(const unsigned char *stored, size_t length, CHLDEF *out, size_t room,
                   size_t *needed, char *error);
/* Expands the exit lists and the peer name into blocks of their own: 0;
 * 1 "File exit format error" or "No storage."; 10005 (peer name). */
int ReadChannelExits(CHLDEF *channel, char *error);
/* Frees what ReadChannelExits attached and, when asked, the record. */
void FreeChannelDef(CHLDEF *channel, int freeRecord);
/* DES in place under the program's key: 0, or 1001 for a length that is
 * not a multiple of 8 (nothing changed). */
int ChlDecryptAuth(unsigned char *buffer, size_t length);

/* ---- the keyed record file ------------------------------------------- */

enum {
    CCDT_OK = 0, CCDT_NOTFOUND = 1000, CCDT_SHORT = 1001,
    CCDT_DAMAGED = 1002,               /* a chain that loops or leaves the file */
    CCDT_GREATER = 1005, CCDT_SMALLER = 1006, CCDT_TOOLONG = 1007,
    CCDT_NOHANDLE = 1011, CCDT_BADSIG = 1012, CCDT_NOFILE = 1013,
    CCDT_KEYLENGTH = 1014, CCDT_NOSTORAGE = 2071
};
#define CCDT_MAX_KEY 350

struct CCDTFILE {
    FILE *file;
    int64_t size;
    int32_t keyLength;
    int64_t stopOffset;                /* where the last search stopped */
    int64_t lastOffset;                /* the last record read */
    unsigned char lastKey[CCDT_MAX_KEY];
    const unsigned char *whole;        /* the whole file, mapped or read; null: windowed */
    int64_t wholeLength;               /* its bytes (a file cut while read holds fewer) */
    int32_t mapped;                    /* whole is a mapping of the file */
    unsigned char *window;             /* read-ahead of the file, or the whole file read */
    int64_t windowStart;
    int32_t windowLength;
};

/* A table of ordinary size (under 1 MB) is read whole at its opening; a
 * larger one is mapped whole where the system can map it, else read whole
 * up to the whole-file limit (the default 32 MB) and through a moving
 * window beyond it.  Tests: the limit, and mapping off (0) or on (1, the
 * default). */
void CcdtWholeFileLimit(int64_t bytes);
void CcdtMapTables(int on);

/* 0 with *handle set, or a result code. */
int CcdtOpen(const char *path, int keyLength, CCDTFILE **handle);
/* Mode 1: the record with exactly this key; mode 2: the first record whose
 * key is greater.  *length: the buffer's size in, the content's full
 * length out. */
int CcdtReadRecord(CCDTFILE *handle, const unsigned char *key, unsigned char *buffer,
                   size_t *length, int mode);
/* The same without a copy where the file is held whole: *content points
 * at the record's content (*length bytes) inside the file's image, valid
 * until the handle is closed.  A file read through a window gives 0 with
 * *content null, nothing searched: the record is then read with
 * CcdtReadRecord. */
int CcdtRecordView(CCDTFILE *handle, const unsigned char *key, int mode,
                   const unsigned char **content, size_t *length);
int CcdtClose(CCDTFILE *handle);

/* ---- the channel list ------------------------------------------------ */

enum {
    RCHN_BADHANDLE = 10001, RCHN_ACCESS = 10002, RCHN_NOFILE = 10003,
    RCHN_NOTBINARY = 10004, RCHN_NOSTORAGE = 10005, RCHN_MQSERVER = 10006,
    RCHN_END = 10008, RCHN_NOTFOUND = 10009, RCHN_TOOLARGE = 10011
};

struct RCHN {
    char eye[4];                       /* "RCHN" */
    int32_t kind;                      /* 0 binary, 1 JSON */
    CCDTFILE *file;                    /* null: the MQSERVER channel */
    int32_t returned;                  /* a channel has been returned */
    char lastName[CHL_NAME + 1];
    char path[CHL_PATH_SIZE];
    unsigned char *stored;             /* buffer of stored records */
    size_t storedSize;
};

/* The path of a binary table for a specification (without "!"): 0, or
 * 10001 with its message. */
int RchnResolvePath(const char *spec, char *path, char *error);
int RchnOpen(char *spec, RCHN **handle, char *error);
int RchnFirst(RCHN *handle, CHLDEF *channel, size_t *length, char *error);
int RchnNext(RCHN *handle, CHLDEF *channel, size_t *length, char *error);
int RchnFind(RCHN *handle, const char *name, CHLDEF *channel, size_t *length, char *error);
int RchnClose(RCHN *handle, char *error);

/* ---- the JSON table -------------------------------------------------- */

/* Severities of the JSON reader's messages. */
#define JSON_PROBLEM 16
#define JSON_INFO    32
typedef void (*JSONREPORT)(void *context, int severity, const char *text);

/* Search state of the JSON list. */
struct JSONSEARCH {
    int32_t ordinal;                   /* wanted; 0 any */
    int32_t position;                  /* wanted, from 1; 0 any */
    const char *qmPattern;
    int32_t qmLength;                  /* 0: any queue manager */
    const char *channelPattern;
    int32_t channelLength;
    int32_t current;                   /* position of the entry handed out */
    int32_t currentOrdinal;
};

/* Reads a table into the program-wide list: 1 read as a channel table, 0
 * not.  spec receives the resolved path (CHL_PATH_SIZE bytes). */
int LoadJsonCcdt(JSONREPORT report, void *context, char *spec, int reportMissing);
int RchnOpenJson(RCHN **handle, const char *fileName, char *error);
int RchnFirstJson(RCHN *handle, JSONSEARCH *search, size_t *length, CHLDEF *channel);
int RchnNextJson(RCHN *handle, JSONSEARCH *search, size_t *length, CHLDEF *channel);
int RchnFindJson(RCHN *handle, JSONSEARCH *search, size_t *length, CHLDEF *channel,
                 char *error);
int RchnCloseJson(RCHN *handle);
/* Channels in the list; frees the list (at exit and in tests). */
int JsonCcdtCount(void);
void JsonCcdtFree(void);
