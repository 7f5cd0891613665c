/* Private to the dialogs library: the reply walker, record helpers and
 * the calls the files of this folder share. */
#pragma once

#include <cstring>
#include "dialogs.h"
#include "mqi.h"

/* Unaligned 16- and 32-bit access. */
inline uint16_t Get16(const uint8_t *p) { uint16_t v; memcpy(&v, p, 2); return v; }
inline void Put16(uint8_t *p, uint16_t v) { memcpy(p, &v, 2); }
inline int32_t Get32(const uint8_t *p) { int32_t v; memcpy(&v, p, 4); return v; }
inline void Put32(uint8_t *p, int32_t v) { memcpy(p, &v, 4); }

/* Data-area record layout. */
#define REC_VALUE     2     /* integer, text, attached block */
#define REC_BYTESLEN  6     /* byte strings: reserved u32 at 2, length at 6 */
#define REC_BYTES     10
#define REC_PAIRTEXT  18    /* date-time pair: 16-byte value at 2 */
#define PAIR_TEXT_MAX 100

/* The program's own structure type of a byte string and its separators. */
#define PCFT_OWN_BYTES   1001
#define PCFT_OWN_END     1000
#define OBJECT_SEPARATOR 301162
#define RESPONSE_DELIMITER 40000

/* One parameter of a reply, as the walker hands it out. */
struct PCFPARM {
    const uint8_t *start;    /* the structure */
    int32_t type;
    int32_t id;
    int32_t length;          /* structure length */
    const uint8_t *value;    /* integer, text, bytes or first element */
    int32_t valueLength;     /* texts and bytes: bytes; lists: element count */
    int32_t itemLength;      /* string lists: bytes per string */
};

/* A walk over the parameters of one reply (after its MQCFH). */
struct PCFWALK {
    const uint8_t *pos;
    const uint8_t *end;
    int32_t left;            /* parameters the header counts, -1: by length */
    int32_t platform;        /* MQPL_OS400: string-list lengths recomputed */
};

/* The code of a parameter type a value may not hold: 1000 plus the type
 * (a type no structure has gives 1000). */
inline int PCFTypeError(int32_t type) { return type >= 0 && type < 100000 ? 1000 + type : 1000; }

/* Sets a walk on a reply; 0 when it is shorter than an MQCFH. */
int PCFWalkStart(PCFWALK *walk, const uint8_t *reply, uint32_t length, int32_t platform);
/* The next parameter: 1 handed out, 0 at the end (also a structure that
 * does not lie inside the reply).  A type the walker does not know is
 * handed out with its type and nothing else (and ends the walk). */
int PCFWalkNext(PCFWALK *walk, PCFPARM *parm);

/* Record sizes. */
int PCFIsIntType(int type);
int PCFIsTextType(int type);
int PCFIsAttachedType(int type);
int PCFIsIntListType(int type);

/* The condition-free lookup of an entry by attribute id in a field list,
 * capability-tested when caps is given. */
PCFFieldEntry *PCFFindEntry(const uint8_t *caps, PCFFieldEntry *fields, uint32_t attrId);
int PCFEntryCaps(const uint8_t *caps, const PCFFieldEntry *entry);

/* Attached blocks. */
PCFSTRLIST *PCFNewStrList(int capacity, int maximum, const char *tag);
PCFINTLIST *PCFNewIntList(int capacity, const char *tag);
uint32_t PCFAttachedSize(int type, const void *block);

/* Hooks with their defaults. */
int PCFPost(void *window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PCFStatus(DialogWords *dialog, const char *text, uint32_t flags);

/* A value text for a list record (hexadecimal, cut to room). */
void PCFHexText(const uint8_t *bytes, uint32_t count, char *out, uint32_t room);

/* Cuts a blank-padded PCF string: its length without trailing blanks and
 * NULs. */
int32_t PCFTrimmedLength(const uint8_t *text, int32_t length);

/* A copy of a definition and its field list (reply-fields kinds). */
PCFCommandDef *PCFCopyDef(const PCFCommandDef *def, int extraEntries);
void PCFFreeDefCopy(PCFCommandDef *def);

/* Unhandled parameter ids of a dialog (developer diagnostics). */
void PCFUnhandled(DialogWords *dialog, int32_t id);

/* A message dialog given another queue (pcfrename.cpp): whether the text
 * replaces the queue its area names, the close command for that queue,
 * and the shown message's position forgotten. */
int PCFNameReplaced(const DialogWords *dialog, uint8_t *area, const PCFFieldEntry *entry, const char *text);
void PCFCloseOldName(DialogWords *dialog);
void PCFForgetMessage(DialogWords *dialog, uint8_t *area);
