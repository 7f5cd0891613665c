/* Helpers for writing the static structure definitions. */
#pragma once
#include "fmtint.h"
#include <climits>

#define FLD(var, name, type, len, ref, flags) \
    FmtFieldDef var = { name, type, len, ref, flags, 0, 0, nullptr, 0 }
#define ROW(field, conds, flags) { 0, &(field), conds, (uint64_t)(flags) }
#define ROWEND { 0, nullptr, nullptr, 0 }
#define CEND { nullptr, 0, 0, nullptr }
/* Pieces of the default instances (IBM MQ's published initial values,
 * little-endian): a 32-bit integer, blanks and zero bytes. */
#define I4(v) (unsigned char)((uint32_t)(v) & 0xFF), (unsigned char)((uint32_t)(v) >> 8 & 0xFF), \
              (unsigned char)((uint32_t)(v) >> 16 & 0xFF), (unsigned char)((uint32_t)(v) >> 24)
#define B4 ' ', ' ', ' ', ' '
#define B8 B4, B4
#define B32 B8, B8, B8, B8
#define Z4 0, 0, 0, 0
#define Z8 Z4, Z4
#define Z16 Z8, Z8
#define Z24 Z16, Z8
#define Z48 Z24, Z24
/* The length of a default instance: the array's size, 0 without one. */
template <size_t N> constexpr uint32_t FmtDefaultSize(const unsigned char (&)[N]) { return N; }
constexpr uint32_t FmtDefaultSize(std::nullptr_t) { return 0; }
#define DEF(var, title, kind, rows, dflt) \
    FmtStructDef var = { title, kind, rows, dflt, 0, 0, 0, FmtDefaultSize(dflt) }

extern const FmtValueName FmtVnMsgType[], FmtVnReport[], FmtVnFeedback[],
    FmtVnPriority[], FmtVnPersistence[], FmtVnApplType[], FmtVnMsgFlags[],
    FmtVnPmrFields[], FmtVnFormat[], FmtVnCfType[], FmtVnControl[],
    FmtVnCompCode[], FmtVnOperator[], FmtVnUowControl[], FmtVnLinkType[],
    FmtVnTranState[], FmtVnCommitMode[], FmtVnSecurityScope[],
    FmtVnObjectType[];

/* Shared field descriptors */
extern FmtFieldDef FmtFStrucId, FmtFVersion, FmtFStrucLength, FmtFEncoding,
    FmtFCcsid, FmtFFormat, FmtFFlags, FmtFReason, FmtFCompCode;
extern const FmtCondition FmtCondV2[], FmtCondV3[], FmtCondV4[],
    FmtCondV5[], FmtCondV6[], FmtCondV7[], FmtCondV8[];
extern FmtFieldDef FmtFPmrFields, FmtFRecsPresent, FmtFObjName, FmtFObjQMgr,
    FmtFAcctToken, FmtFMsgId, FmtFMessageData;
extern FmtFieldDef FmtFOpenOptions, FmtFCloseOptions, FmtFPmoOptions,
    FmtFGmoOptions, FmtFSdOptions, FmtFSroOptions;
