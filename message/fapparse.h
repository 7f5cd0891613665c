/* Message formatter: structure definitions, the line record and the
 * formatting entry points.
 *
 * The formatter walks a byte buffer by a structure definition (message
 * descriptor, chained headers, PCF, body) and hands each display line to a
 * caller-supplied sink together with a caller-owned line record. It draws
 * nothing itself. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "msghooks.h"

/* ---- Static structure definitions ------------------------------------ */

enum FmtFieldType : uint16_t {
    FT_HEX = 1, FT_INT = 2, FT_BYTE = 3, FT_FLAGS8 = 4, FT_CHAR = 5,
    FT_ENCODING = 6, FT_SHORT = 7, FT_STRUCT = 8, FT_FLAGS = 9,
    FT_COUNTED_ARRAY = 10, FT_TEXT_BYLEN = 11, FT_REC_OFFSET = 13,
    FT_POINTER = 14, FT_REC_COUNT = 15, FT_INT_NORMAL = 16, FT_FORMAT = 17,
    FT_HEXDUMP = 18, FT_REPEAT = 19, FT_TEXT_TOEND = 20, FT_INTH = 21,
    FT_MSGDATA = 22, FT_XMLTEXT = 23, FT_XMLMSG = 24, FT_INT64H = 25,
    FT_FIXED_ARRAY = 26, FT_PUTDATE = 27, FT_PUTTIME = 28, FT_CHARV = 29,
    FT_ALIGN = 30, FT_FLAGS16 = 31, FT_ID24 = 34, FT_CODE1 = 35,
    FT_UNKNOWN_REST = 36, FT_CHARBP = 37, FT_STRUCT_BYLEN = 38,
    FT_EDIFACT = 39, FT_UINT = 40, FT_UINTH = 41, FT_INT64 = 42,
    FT_UINT64 = 43, FT_UINT64H = 44, FT_SHORTH = 45, FT_USHORT = 46,
    FT_USHORTH = 47, FT_INT8 = 48, FT_INT8H = 49, FT_UINT8 = 50,
    FT_UINT8H = 51, FT_DESC = 52, FT_FLOAT = 53, FT_DOUBLE = 54,
    FT_TIME32 = 55, FT_TIME64 = 56, FT_PACKED = 57, FT_UPACKED = 58,
    FT_STRUCTS_BYLEN = 59, FT_ZONED = 60, FT_DIGITS = 61,
    FT_BYTES_BYLEN = 1025
};

struct FmtValueName {           /* same shape as MQConstRow */
    uint64_t value;             /* integer, or pointer to 8 characters */
    const char *name;
    const char *description;
    uint64_t reserved;
};

struct FmtStructDef;

struct FmtFieldDef {
    const char *name;
    uint16_t type;
    uint32_t length;
    const void *reference;      /* FmtStructDef, FmtValueName[] or FmtFieldDef */
    uint32_t flags;
    uint32_t digits;
    uint32_t decimals;
    const void *dateLayout;
    uint32_t nameLength;        /* set by the layout pass */
};

struct FmtCondition {
    FmtFieldDef *field;         /* null ends the list */
    int32_t low;
    int32_t high;
    const char *formatName;
};

struct FmtStructRow {
    uint32_t offset;            /* set by the layout pass */
    FmtFieldDef *field;         /* null ends the rows */
    const FmtCondition *conditions;
    uint64_t flags;
};

struct FmtStructDef {
    const char *title;
    uint32_t kind;
    FmtStructRow *rows;
    const unsigned char *defaultInstance;
    uint32_t size;              /* set by the layout pass */
    uint32_t state;             /* 1 run-time built, 2 laid out, 4 no end line,
                                   8 its size varies with the data */
    uint32_t nameWidth;
    uint32_t defaultLength;     /* bytes of defaultInstance */
};

struct FmtStructList {
    FmtStructDef *def;
    const char *eyeCatcher;
    uintptr_t reserved;
};

/* Field flags */
enum : uint32_t {
    FF_TESTED = 0x100, FF_ENCODING = 0x200, FF_STRUCID = 0x400,
    FF_CCSID = 0x800, FF_FORMAT = 0x4000, FF_SIGN_FIRST = 0x8000,
    FF_SHOW_PLUS = 0x20000,
    FF_REFERENCED = 0x40000     /* a length or count of a later field: the walk
                                   keeps its value where it was read */
};

/* Row flags (low byte: detail level) */
enum : uint64_t {
    RF_OPTIONAL = 0x100, RF_ENCODING_NEXT = 0x200, RF_APPLY_NOW = 0x400,
    RF_CCSID_NEXT = 0x800, RF_END_ON_FAIL = 0x1000, RF_STRUCLEN = 0x2000,
    RF_PCF_PARM_NAME = 0x4000, RF_CCSID_OWN = 0x8000,
    RF_AT_REPEAT_START = 0x80000, RF_SHOW_EMPTY = 0x100000,
    RF_NOTHING_CONSUMED = 0x200000, RF_LEN_SELF = 0x400000,
    RF_COND_NESTED = 0x2000000, RF_NAMEVAL_CCSID = 0x4000000,
    RF_STRING_LIST = 0x10000000, RF_PAD4 = 0x20000000,
    RF_VERSION = 0x80000000ull,
    /* user formats only (also as structure kinds): a conditional value,
       a summary field */
    RF_UF_CONDITION = 0x8000000, RF_UF_SUMMARY = 0x40000000
};

/* Structure kinds */
enum : uint32_t {
    SK_PCF_HEADER = 0x10000, SK_PCF_GROUP = 0x20000, SK_PCF_PARM = 0x40000,
    SK_CONTENT = 0x100000, SK_AT_PARENT_POS = 0x800000,
    SK_PARENT_ENCODING = 0x1000000
};

extern FmtStructList FmtStructListAll[];

/* Well-known definitions */
extern FmtStructDef FmtDefMQMD, FmtDefMQMDE, FmtDefXQH, FmtDefMQDLH,
    FmtDefMQDH, FmtDefMQOR, FmtDefMQPMR, FmtDefMQRFH, FmtDefMQRFH2,
    FmtDefMQCIH, FmtDefMQIIH, FmtDefMQWIH, FmtDefMQRMH, FmtDefMQTM,
    FmtDefMQTMC2, FmtDefMQEPH, FmtDefHeaderChain, FmtDefMessageContent,
    FmtDefMQCFH, FmtDefPcfFields, FmtDefMQCFIN, FmtDefMQCFST, FmtDefMQCFIL,
    FmtDefMQCFSL, FmtDefMQCFBS, FmtDefMQCFGR, FmtDefMQCFIN64,
    FmtDefMQCFIL64, FmtDefMQCFIF, FmtDefMQCFSF, FmtDefMQCFBF,
    FmtDefMQOD, FmtDefMQPMO, FmtDefMQGMO, FmtDefMQCNO, FmtDefMQSD,
    FmtDefMQSRO, FmtDefMQBO, FmtDefMQCD, FmtDefMQRR, FmtDefXmlSections, FmtDefXmlSection;
/* MQCFH variants that only the editor chooses (new messages of their format) */
extern FmtStructDef FmtDefCFHGenericPcf, FmtDefCFHGenericPcf2,
    FmtDefCFHGenericAdmin, FmtDefCFHGenericEvent;

void FmtLayoutAll();
void FmtLayoutStruct(FmtStructDef *def, int builtAtRunTime);

/* ---- Formatting ------------------------------------------------------ */

struct FmtWalkFrame;
struct FmtLineRec;

struct FmtMsgInfo {
    uint32_t encoding;
    uint32_t ebcdic;
    uint32_t ccsid;
    char format[8];
    uint32_t formatLength;
    uint8_t bodyKind;           /* 0 by format, 1 csv, 2 fix, 3 json,
                                   4 text, 5 xml, 6 edifact */
    const int32_t *override;    /* [0] encoding, [2] CCSID, or null */
    uint32_t overrideCcsid;
    uint32_t overrideEncoding;
    char overrideFormat[8];
    char csvSeparator;          /* record separator of the csv kind */
};

/* Sink results */
enum : uint32_t { FMT_GO_ON = 0, FMT_BUILD_TEXT = 10, FMT_COUNT_ONLY = 11,
                  FMT_STOP = 12 };

typedef uint32_t (*FmtLineSink)(uint64_t context, FmtLineRec *line,
                                char *text, uint32_t textLength);

/* Line record flags (low byte: detail level 1..4) */
enum : uint32_t {
    LR_NO_TEXT = 0x2000, LR_HEX_RAW = 0x4000, LR_OFFSET_PREFIX = 0x8000,
    LR_HEX_GROUP_BLANK = 0x10000, LR_HEX_CHARLINE = 0x20000,
    LR_XML_DETECT = 0x80000, LR_XML_NAMES = 0x100000,
    LR_TRUNCATED = 0x200000, LR_LOCAL_TIME = 0x400000,
    LR_DUMP_NO_CHARS = 0x800000, LR_CHARV_FOLLOW = 0x1000000,
    LR_CONST_NAMES = 0x2000000, LR_RUN_OFFSET = 0x4000000,
    LR_FORCE_REVERSED = 0x8000000, LR_FORCE_NORMAL = 0x10000000,
    LR_FORCE_ASCII = 0x20000000, LR_FORCE_EBCDIC = 0x40000000,
    LR_DATA_COPY = 0x80000000u
};
/* Line record options */
enum : uint32_t {
    LO_KEEP_ENCODING = 1, LO_NO_SPLIT = 2, LO_EMPTY_LINE = 4,
    LO_CONV_NOTE = 8, LO_EBCDIC_TO_ASCII = 16, LO_SHOW_EMPTY_END = 32,
    LO_CALC_EXTENT = 64, LO_EDITING_MD = 0x100, LO_HEX_OFFSETS = 0x200,
    LO_DECODE_ENTITIES = 0x400, LO_PLAIN = 0x800
};
/* Line flags, rebuilt per line */
enum : uint32_t {
    LF_TEXT = 1, LF_HEADING = 2, LF_MARKER = 4, LF_GROUP_END = 8,
    LF_CONTINUATION = 16, LF_XML = 32, LF_XML_TAG = 64, LF_XML_END = 128,
    LF_XML_SPECIAL = 0x100,
    LF_DUMP = 0x200             /* a hex dump's line (its hex or its characters) */
};

struct FmtResume { const unsigned char *data; uint32_t remaining; };

/* What the XML formatter reports with each XML line (FmtLineRec.tag):
 * the element the line belongs to and, on a tag line, the tag and the
 * data offset of its partner (the end tag of a start tag, the start tag
 * of an end tag).  Valid during the sink call only; sinks copy it. */
struct FmtTagInfo {
    uint32_t element;           /* data offset of the enclosing start tag ("<") */
    uint32_t tag;               /* this tag's "<"; FMT_NO_TAG on a text line */
    uint32_t tagLength;         /* bytes up to and with its ">" */
    uint32_t partner;           /* the partner's "<", or FMT_NO_TAG */
    uint32_t flags;             /* FMT_TAG_* of the tag */
};
enum : uint32_t { FMT_NO_TAG = 0xFFFFFFFFu };
struct FmtPcfGroup;

struct FmtLineRec {
    uint32_t flags;
    uint32_t options;
    uint8_t forcedBodyKind;
    uint8_t bodyKind;
    uint32_t displayCcsid;
    uint32_t dumpLayoutSet;
    uint32_t converted;
    uint32_t width;
    uint32_t dumpGap;
    uint32_t dumpBytesPerLine;
    uint32_t dumpCharColumn;
    FmtResume *resume;
    uint32_t lineFlags;
    uint32_t structOffset;
    uint32_t dataOffset;
    uint32_t fieldLength;
    uint32_t valueOffset;
    uint32_t valueBytes;
    uint32_t prefixLength;
    uint32_t valueTextLength;
    uint32_t valueWidth;
    uint64_t extentPosition;
    const FmtFieldDef *field;
    uint32_t lineClass;
    uint32_t element;
    const unsigned char *dataStart;
    const unsigned char *dataEnd;
    FmtWalkFrame *frame;
    FmtMsgInfo *msgInfo;
    FmtPcfGroup *groups;
    uint64_t result;
    const FmtStructRow *nestedRow;
    const void *userFormats;    /* a UFMatchState (userfmt.h) naming the queue: the
                                   data after the headers of "Message Content" is
                                   formatted by the user structure its format
                                   name chooses; null: never */
    uint32_t endLevel;
    const FmtTagInfo *tag;      /* XML lines, else null */
    /* private to a run */
    char *text;                 /* the run's 16 KB line buffer */
    uint32_t sinkResult;        /* last result other than 0, 10, 11 */
    uint32_t runDepth;
    struct FmtLineCache *lineCache;   /* texts of integer lines met before */
    uint32_t integerLines;
};

enum { FMT_LINE_BUFFER = 16384 };

uint32_t FapFormatStructure(FmtMsgInfo *msg, FmtStructDef *def,
                            FmtWalkFrame *parent, FmtLineSink sink,
                            uint64_t context, FmtLineRec *lr,
                            uint32_t *remaining, const unsigned char **data);

/* Formats a whole message: descriptor (when md is given) then content. */
uint32_t FapFormatMessage(const unsigned char *md, uint32_t mdLength,
                          const unsigned char *msg, uint32_t length,
                          FmtMsgInfo *info, FmtLineSink sink,
                          uint64_t context, FmtLineRec *lr);

uint32_t FapOutputLine(FmtMsgInfo *msg, FmtLineSink sink, uint64_t context,
                       const unsigned char *messageStart, uint32_t fieldLength,
                       FmtLineRec *lr, uint32_t indent, uint32_t minimumWidth,
                       uint32_t length, const unsigned char *data);

uint32_t FapFormatBody(FmtMsgInfo *msg, FmtLineSink sink, uint64_t context,
                       const unsigned char *messageStart, FmtLineRec *lr,
                       uint32_t indent, uint32_t minimumWidth,
                       uint32_t length, const unsigned char *data);

uint32_t FapHexDump(FmtLineRec *lr, FmtLineSink sink, uint64_t context,
                    const unsigned char *data, int64_t length);

/* XML */
uint32_t FapFormatXml(FmtMsgInfo *msg, FmtWalkFrame *frame, FmtLineSink sink,
                      uint64_t context, const unsigned char *messageStart,
                      FmtLineRec *lr, uint32_t indent, uint32_t *remaining,
                      const unsigned char **data);

struct FmtCodepage;
struct FmtXmlTag {
    const unsigned char *name; uint32_t nameLength;
    const unsigned char *start, *end;       /* end: its last character */
    const unsigned char *attrStart, *attrEnd;
    const char *display; uint32_t displayLength;
    uint32_t flags;                         /* FMT_TAG_* */
};
enum : uint32_t { FMT_TAG_END = 1, FMT_TAG_EMPTY = 2, FMT_TAG_SPECIAL = 4,
                  FMT_TAG_COMPLETE = 8 };
enum { FMT_XML_MAX_DEPTH = 256 };
uint32_t FapXmlScanTag(const unsigned char **pos, uint32_t *remaining,
                       int useDisplayNames, const FmtCodepage *cp,
                       FmtXmlTag *result);
uint32_t FapDecodeEntities(uint32_t ccsid, char *out,
                           const unsigned char *data, uint32_t length);
uint32_t FapEntityDecodedLen(uint32_t ccsid, const unsigned char *data,
                             uint32_t length);
uint32_t FapEntityFit(uint32_t ccsid, const unsigned char *data,
                      uint32_t length, uint32_t width, int *needsDecoding);

/* The code-page record (syntax characters) of a CCSID. */
const FmtCodepage *FmtGetCodepage(uint32_t ccsid);

/* EDIFACT and JSON */
int EdiIsServiceString(const FmtCodepage *cp, const unsigned char *data,
                       uint32_t length);
uint32_t EdiFormatSegments(FmtMsgInfo *msg, FmtWalkFrame *frame,
                           FmtLineSink sink, uint64_t context,
                           const unsigned char *messageStart, FmtLineRec *lr,
                           uint32_t indent, uint32_t *remaining,
                           const unsigned char **data);
uint32_t FmtWrapValue(FmtMsgInfo *msg, FmtLineSink sink, uint64_t context,
                      const unsigned char *messageStart, FmtLineRec *lr,
                      uint32_t indent, uint32_t minimumWidth,
                      uint32_t length, const unsigned char *data);

/* Field values */
int64_t FapGetFieldInt(const FmtFieldDef *f, const unsigned char *data,
                       uint32_t encoding, int ebcdic);
int64_t FapGetFieldSigned(const FmtFieldDef *f, const unsigned char *data,
                          uint32_t encoding, int ebcdic);
double FapGetFieldFloat(const FmtFieldDef *f, const unsigned char *data,
                        uint32_t encoding);
uint32_t FapFormatFloat(double value, char *out, uint32_t digits);
/* Decimal text: out holds at least 100 bytes. */
uint32_t FapFormatPacked(const FmtFieldDef *f, const unsigned char *data,
                         uint32_t encoding, char *out);
uint32_t FapFormatZoned(const FmtFieldDef *f, const unsigned char *data,
                        int ebcdic, char *out, int *valid);
uint32_t FapFormatDigits(const FmtFieldDef *f, const unsigned char *data,
                         int ebcdic, char *out, int *valid);
uint32_t FapFormatTime32(int64_t value, uint32_t mode, char *out);
uint32_t FapFormatTime64(int64_t value, uint32_t mode, char *out);
int FapParseTime32(int32_t *out, uint32_t mode, int32_t minutesOffset,
                   const char *text, uint32_t length);
int FapParseTime64(int64_t *out, uint32_t mode, int32_t minutesOffset,
                   const char *text, uint32_t length);
int FapCheckNumber(const FmtFieldDef *f, const char *text, uint32_t length);
uint32_t FapParseDecimal(const FmtFieldDef *f, const char *text,
                         uint32_t length, int ebcdic, unsigned char *out);
uint32_t FapParseZoned(const FmtFieldDef *f, const char *text,
                       uint32_t length, int ebcdic, unsigned char *out);
uint32_t FapParseDigits(const FmtFieldDef *f, const char *text,
                        uint32_t length, int ebcdic, unsigned char *out);

/* Conditions and value names */
int FapTestConditions(FmtLineRec *lr, FmtWalkFrame *frames,
                      const FmtCondition *conditions);
uint32_t FapFormatValueName(const FmtFieldDef *f, int bare, int64_t value,
                            char *out, const FmtLineRec *lr);
uint32_t FapFormatEnum(uint32_t ccsid, const FmtFieldDef *f, int bare,
                       const unsigned char *data, uint32_t length, char *out);
uint32_t FapFormatTextEnum(const FmtFieldDef *f, int bare, const char *text,
                           uint32_t length, char *out);
uint32_t FapFormatFlags(FmtLineSink sink, uint64_t context,
                        const FmtFieldDef *f, uint64_t value, uint32_t indent,
                        FmtLineRec *lr);
int BlankPadCompare(const char *a, uint32_t aLength, const char *b,
                    uint32_t bLength);
