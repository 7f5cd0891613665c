/* The PCF message area and its cursor.
 *
 * One builder and one walker of Programmable Command Format messages:
 * PCFInitArea starts a message in an "MQPCF Area" and PCFAddParm appends
 * parameters to it; PCFInitParse sets the same cursor type on a received
 * message and PCFGetNextParm hands out its parameters one by one, as
 * addresses inside the message.  Integers are in the host's byte order.
 *
 * Every call reports failure as CompCode 2 (MQCC_FAILED) and a reason;
 * success leaves both 0.  The walker never writes into the message and
 * checks every structure against the message length. */
#pragma once

#include <cstdint>

#include "mqi.h"

/* The program's own structure types beside IBM MQ's. */
enum PCFOwnType {
    PCF_END_GROUP   = 1000,  /* end-of-group mark: the Type word alone */
    PCF_BYTE_STRING = 1001,  /* binary value in the MQCFST layout */
    PCF_STRING_LIST = 1002,  /* string list in the MQCFSL layout (read only) */
};

/* Reason of the ordinary end of a walk (not an error). */
#define PCF_RC_END_OF_PARMS 10000

#define PCF_AREA_TAG      "MQPCF Area"
#define PCF_MAX_GROUP_DEPTH 32      /* nesting of groups a walk follows */

/* The cursor. */
struct MQPP {
    char     signature[4];   /* "MQPP" */
    uint8_t *message;        /* the MQCFH at the start of the area or message */
    int32_t  group;          /* build: offset of the current group header, 0 at the top */
    void   **area;           /* build: the owner's variable holding the area */
    int32_t  mayAllocate;    /* build: 0 when the area is the caller's fixed buffer */
    int32_t  position;       /* offset of the next parameter */
    int32_t  size;           /* area size (build) or message length (walk) */
    int32_t  extra;          /* build: bytes allocated beyond size */
    /* walk: parameters left at each open level; level 0 is the message */
    int32_t  depth;
    int32_t  left[PCF_MAX_GROUP_DEPTH + 1];
};

/* Starts a message with the header of a command (Type 1, Version 1,
 * MsgSeqNumber 1, Control 1).  Without an area, or with a size under 36,
 * a new area of 4096 + extra bytes is allocated when allowed (reason 2071
 * when not). */
void PCFInitArea(MQPP *pp, void **area, int mayAllocate, int32_t areaSize,
                 int32_t extra, int32_t command, MQLONG *compCode, MQLONG *reason);

/* Appends one parameter of type 3, 4, 5, 6, 9, 13, 14, 15, 20, 1000, 1001
 * or 1002 (written as 6).  Strings: length -1 takes the text up to its
 * zero, -2 the same with the zero; lists: length is the total in bytes;
 * string lists: count is the number of strings; filters (integer, string,
 * byte string): count is the operator, value the filter value.  value may be null: the bytes are then left
 * for the caller to fill through the returned address (the Value field,
 * first element or first string byte), which stays valid until the next
 * call that may grow the area.  Null for a group, an end mark or failure. */
void *PCFAddParm(MQPP *pp, int32_t type, int32_t parameter, const void *value,
                 int32_t length, int32_t count, MQLONG *compCode, MQLONG *reason);

/* A row of parameters of fixed length, laid down once by PCFAddParm and
 * stamped for each of many records (the rows of a list): the bytes, and
 * for each value where it lies in the row and where a stamp takes it
 * from (bases[source] + offset). */
#define PCF_STAMP_BYTES 1024
#define PCF_STAMP_VALUES 32
struct PCFSTAMPVALUE {
    uint16_t at, length;
    uint16_t source, offset;
};
struct PCFSTAMP {
    int32_t length;                  /* bytes a stamp adds */
    int32_t count;                   /* parameters a stamp adds */
    int32_t values;
    PCFSTAMPVALUE value[PCF_STAMP_VALUES];
    uint8_t area[36 + PCF_STAMP_BYTES];   /* a header, then the row */
};

/* Starts an empty row. */
void PCFStampInit(PCFSTAMP *row);

/* Appends a parameter as PCFAddParm would (no groups); its value of
 * length bytes (4 for an integer, none for an end mark) comes at each
 * stamp from bases[source] + offset.  0, or the reason. */
MQLONG PCFStampAdd(PCFSTAMP *row, int32_t type, int32_t parameter, int32_t length, int source, size_t offset);

/* Appends the row's parameters with their values taken from bases: the
 * same bytes as one PCFAddParm a parameter. */
void PCFStampPut(MQPP *pp, const PCFSTAMP *row, const void *const *bases, MQLONG *compCode, MQLONG *reason);

/* A string or byte string (MQCFT_STRING, PCF_BYTE_STRING) of length
 * bytes at value: the same bytes as PCFAddParm, without its general
 * checks where length is known and value given (the rows of a list add
 * one per record).  A value that already lies where the parameter's
 * value goes (read there, after the fixed 20 bytes, once room for the
 * whole parameter was made) stays in place. */
void PCFAddString(MQPP *pp, int32_t type, int32_t parameter, const void *value, int32_t length,
                  MQLONG *compCode, MQLONG *reason);

/* Makes room for need more bytes, at least doubling the area. */
void PCFGrowArea(MQPP *pp, int32_t need, MQLONG *compCode, MQLONG *reason);

/* Sets the cursor on a received message and returns its Command through
 * command.  A message under 36 bytes gives reason 2071. */
void PCFInitParse(MQPP *pp, const void *message, int32_t length, MQLONG *command,
                  MQLONG *compCode, MQLONG *reason);

/* Hands out the next parameter: its type, id, value address, length in
 * bytes and count.  A finished group reports type 1000 without consuming
 * anything; a group header (20) reports only type and id.  Read-only types
 * beside the built ones: 23 and 25 64-bit integer and list;
 * 13, 14, 15 filters, whose value address is the Operator word followed by
 * the rest of the structure.  The end of the parameters gives CompCode 2
 * with reason 10000; a structure that does not lie inside the message or
 * is shorter than its fixed part ends the walk with CompCode 2 and a
 * length or count reason, an unknown type with reason 3001. */
void PCFGetNextParm(MQPP *pp, MQLONG *type, MQLONG *parameter, void **value,
                    MQLONG *length, MQLONG *count, MQLONG *compCode, MQLONG *reason);

/* The header of the message a cursor builds or walks. */
inline MQCFH *PCFHeader(const MQPP *pp) { return (MQCFH *)pp->message; }
