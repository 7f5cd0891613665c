/* Formatter internals shared by the message library's files: the walk
 * frame, the code-page record of syntax characters, byte readers and the
 * line emitter. */
#pragma once

#include "fapparse.h"
#include "cscodepage.h"
#include <cstdarg>
#include <cstring>

/* Syntax characters of a code page, in this order. */
enum {
    CP_BLANK, CP_LF, CP_CR, CP_TAB, CP_LT, CP_GT, CP_LPAR, CP_RPAR,
    CP_LBRK, CP_RBRK, CP_LBRACE, CP_RBRACE, CP_SLASH, CP_QUEST, CP_EXCL,
    CP_MINUS, CP_PLUS, CP_COLON, CP_COMMA, CP_DOT, CP_APOS, CP_QUOTE,
    CP_U, CP_N, CP_A, CP_B, CP_BSLASH, CP_AMP, CP_SEMI, CP_EQUALS,
    CP_COUNT
};

/* One CCSID's record (fmtcp.cpp); shared between threads, never changed. */
struct FmtCodepage {
    uint32_t ccsid;                    /* 0 in the record shared by CCSIDs without a table */
    uint32_t ebcdic;
    const unsigned char *toAscii;      /* the bytes as Latin-1; null when not known */
    unsigned char ch[CP_COUNT];
};

const FmtCodepage *FmtGetCodepage(uint32_t ccsid);

struct FmtPcfGroup {
    FmtPcfGroup *next;
    const FmtStructDef *def;
    const unsigned char *start;
    int32_t count;
    int32_t seen;
    int32_t command;            /* command or parameter id of the group */
    uint32_t commandIsParm;
};

struct FmtWalkFrame {
    FmtWalkFrame *parent;
    const FmtStructDef *def;
    const unsigned char *start;
    const unsigned char *cur;
    uint32_t remaining;
    uint32_t strucLength;
    uint32_t hasLength;         /* strucLength was recorded */
    uint32_t encoding, ccsid, ebcdic;
    const FmtCodepage *cp;
    uint32_t nextEncoding, nextCcsid;
    uint32_t rowIndex;
    uint32_t element, count;
    uint32_t stop;
    uint32_t headingShown;
    uint32_t nameValCcsid;
    uint8_t bodyKind;
    const unsigned char *extent;   /* furthest byte reached by records */
    const unsigned char *repeatStart;
    uint32_t depth;
    /* values of length and count fields (FF_REFERENCED) where they were read */
    const FmtFieldDef *refField[4];
    int64_t refValue[4];
    uint32_t refCount;
};

/* Byte readers: encoding low nibble 2 = reversed (little-endian). */
static inline int FmtReversed(uint32_t enc) { return (enc & 0x0F) == 2; }
static inline uint16_t FmtRd16(const unsigned char *p, uint32_t enc)
{
    return FmtReversed(enc) ? (uint16_t)(p[0] | p[1] << 8)
                            : (uint16_t)(p[1] | p[0] << 8);
}
static inline uint32_t FmtRd32(const unsigned char *p, uint32_t enc)
{
    return FmtReversed(enc)
        ? (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24
        : (uint32_t)p[3] | (uint32_t)p[2] << 8 | (uint32_t)p[1] << 16 | (uint32_t)p[0] << 24;
}
static inline uint64_t FmtRd64(const unsigned char *p, uint32_t enc)
{
    uint64_t a = FmtRd32(p, enc), b = FmtRd32(p + 4, enc);
    return FmtReversed(enc) ? (b << 32 | a) : (a << 32 | b);
}

/* Line emission: sets the line flags, calls the sink, handles 10/11/12.
 * Returns FMT_STOP when the run must end, else 0. */
static inline uint32_t FmtEmit(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                               uint32_t length)
{
    if (lr->flags & LR_NO_TEXT) {
        length = 0;
        lr->text[0] = 0;
    } else {
        lr->lineFlags |= LF_TEXT;
    }
    uint32_t rc = sink(context, lr, lr->text, length);
    switch (rc) {
    case FMT_GO_ON: return 0;
    case FMT_BUILD_TEXT: lr->flags &= ~LR_NO_TEXT; return 0;
    case FMT_COUNT_ONLY: lr->flags |= LR_NO_TEXT; return 0;
    case FMT_STOP: return FMT_STOP;
    default: lr->sinkResult = rc; return 0;
    }
}
uint32_t FmtEmitText(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                     uint32_t lineFlags, const char *fmt, ...);
uint32_t FmtPrefix(const FmtLineRec *lr, char *out, uint32_t dataOffset);

/* Line text written directly (fmtput.cpp): each appends at p and returns
 * the new end; FmtLineStart gives the place after the offset prefix and
 * FmtLineEnd terminates the line and hands it to the sink. */
char *FmtPutUDecWidth(char *p, uint64_t v, int width);
char *FmtPutHex(char *p, uint64_t v, int minDigits);
/* Short pieces (labels, names, numbers) in words of 8 bytes: cheaper than
 * the block-copy instructions a variable-length copy would become. */
static inline char *FmtPutMem(char *p, const void *s, size_t n)
{
    const char *q = (const char *)s;
    for (; n >= 8; n -= 8, p += 8, q += 8)
        memcpy(p, q, 8);
    for (; n; n--)
        *p++ = *q++;
    return p;
}
static inline char *FmtPutStr(char *p, const char *s) { return FmtPutMem(p, s, strlen(s)); }
static inline char *FmtPutFill(char *p, char c, size_t n)
{
    uint64_t word = 0x0101010101010101ull * (unsigned char)c;
    for (; n >= 8; n -= 8, p += 8)
        memcpy(p, &word, 8);
    for (; n; n--)
        *p++ = c;
    return p;
}
static inline char *FmtLineStart(FmtLineRec *lr)
{
    return (lr->flags & LR_OFFSET_PREFIX) ? lr->text + FmtPrefix(lr, lr->text, lr->dataOffset) : lr->text;
}
static inline uint32_t FmtLineEnd(FmtLineRec *lr, FmtLineSink sink, uint64_t context, uint32_t lineFlags,
                                  char *end)
{
    *end = 0;
    lr->lineFlags = lineFlags;
    return FmtEmit(lr, sink, context, (uint32_t)(end - lr->text));
}
static inline int FmtNoText(const FmtLineRec *lr) { return (lr->flags & LR_NO_TEXT) != 0; }
static inline uint32_t FmtOffsetOf(const FmtLineRec *lr, const unsigned char *p)
{
    return lr->dataStart && p >= lr->dataStart ? (uint32_t)(p - lr->dataStart) : 0;
}

/* Texts of integer field lines (label, blank, value, value name) already
 * built in this run, by row, value and parameter id: a PCF message repeats
 * the same few lines hundreds of thousands of times.  Made once a run has
 * shown enough such lines, freed at its end. */
enum { FMT_LINE_CACHE_SLOTS = 512, FMT_LINE_CACHE_TEXT = 100, FMT_LINE_CACHE_AFTER = 512 };
struct FmtLineCacheEntry {
    const FmtStructRow *row;            /* null: empty */
    int64_t value, parm;
    uint32_t length, labelWidth;
    char text[FMT_LINE_CACHE_TEXT];
};
struct FmtLineCache {
    FmtLineCacheEntry slots[FMT_LINE_CACHE_SLOTS];
};
FmtLineCache *FmtCacheMake(FmtLineRec *lr);
/* The slot of a line: null until the run has shown enough integer lines
 * (small messages do without the cache). */
static inline FmtLineCacheEntry *FmtCacheSlot(FmtLineRec *lr, const FmtStructRow *row, int64_t value,
                                              int64_t parm)
{
    FmtLineCache *cache = lr->lineCache ? lr->lineCache : FmtCacheMake(lr);
    if (!cache)
        return nullptr;
    uint64_t h = ((uint64_t)(uintptr_t)row >> 3) * 0x9E3779B97F4A7C15ull ^ (uint64_t)value * 0xC2B2AE3D27D4EB4Full ^
                 (uint64_t)parm * 0x165667B19E3779F9ull;
    return &cache->slots[(h >> 32) % FMT_LINE_CACHE_SLOTS];
}
void FmtCacheFree(FmtLineRec *lr);

/* Arrays of fixed records formatted by plans made once per array (on by
 * default; off lets a test compare them with the row walk). */
void FmtSetRecordPlans(int on);
/* Records the plans have formatted since the program started. */
uint64_t FmtRecordPlanRecords(void);

/* A marker line (line flag 4) at the given data position. */
uint32_t FmtMarker(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                   const unsigned char *at, const char *fmt, ...);

/* Text field lines: quoted pieces cut at line ends. */
uint32_t FmtQuotedLines(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                        const FmtCodepage *cp, uint32_t labelWidth,
                        const char *label, const unsigned char *data,
                        uint32_t length, const char *suffix);

/* Hex field lines (types 1, 34, 1025). */
uint32_t FmtHexField(FmtLineRec *lr, FmtWalkFrame *frame,
                     const FmtFieldDef *f, FmtLineSink sink, uint64_t context,
                     const char *label, uint32_t labelWidth,
                     const unsigned char *data, uint32_t length);

void FmtSetDumpLayout(FmtLineRec *lr);

/* Text length of a character field (trailing NULs, then blanks). */
uint32_t FmtTextLength(const unsigned char *data, uint32_t length, unsigned char blank);

/* Translate to printable ASCII for display. */
void FmtPrintable(char *out, const unsigned char *data, uint32_t length,
                  const FmtCodepage *cp);

/* Value of a referenced field, from the innermost frame holding it. */
int FmtRefValue(FmtLineRec *lr, FmtWalkFrame *frame, const FmtFieldDef *f,
                int64_t *value);

/* PCF group bookkeeping. */
uint32_t FapFormatEndLines(FmtMsgInfo *msg, FmtWalkFrame *frame,
                           FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                           uint32_t remaining);
uint32_t FmtGroupIncompleteLines(FmtLineRec *lr, FmtLineSink sink,
                                 uint64_t context);
void FmtFreeGroups(FmtLineRec *lr);
uint32_t FmtGroupText(const FmtPcfGroup *g, const char *prefix, char *out,
                      uint32_t outSize);
uint32_t FmtRightAligned(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                         uint32_t lineFlags, const char *text);

int FmtPutToLocal(char *date, char *time);
/* Bytes of an integer type, 0 for others. */
static inline uint32_t FmtIntSize(uint16_t t)
{
    switch (t) {
    case FT_INT: case FT_CHAR: case FT_ENCODING: case FT_FLAGS: case FT_REC_OFFSET:
    case FT_INT_NORMAL: case FT_INTH: case FT_UINT: case FT_UINTH:
        return 4;
    case FT_POINTER: case FT_INT64H: case FT_INT64: case FT_UINT64: case FT_UINT64H:
        return 8;
    case FT_BYTE: case FT_FLAGS8: case FT_UINT8: case FT_UINT8H: case FT_INT8: case FT_INT8H:
        return 1;
    case FT_SHORT: case FT_SHORTH: case FT_FLAGS16: case FT_USHORT: case FT_USHORTH:
        return 2;
    }
    return 0;
}
/* Registers a value table sorted by value (searched by halving). */
void FmtMarkSortedTable(const FmtValueName *table, uint32_t count);
/* Bytes a value read of the field takes. */
static inline uint32_t FmtReadSize(const FmtFieldDef *f)
{
    switch (f->type) {
    case FT_FLOAT: case FT_TIME32: return 4;
    case FT_DOUBLE: case FT_TIME64: return 8;
    case FT_FORMAT: case FT_PUTDATE: case FT_PUTTIME: return 8;
    case FT_CHARV: return 24;
    case FT_PACKED: case FT_UPACKED: case FT_ZONED: case FT_DIGITS: return f->length;
    case FT_CHAR: return f->length < 4 ? f->length : 4;
    }
    return FmtIntSize(f->type);
}
enum : uint32_t { FMT_RC_INCOMPLETE = 0x1000C };
static inline int FmtStopped(uint32_t rc) { return rc == FMT_STOP || rc == FMT_RC_INCOMPLETE; }
void FmtLinkTables();
extern FmtFieldDef FmtFieldParameterId, FmtFieldCommand, FmtFieldParmCount,
    FmtFieldGroupCount;
extern const FmtValueName FmtVnEncodingInt[];
