/* Static definitions of PCF: the MQCFH header in its variants, the
 * parameter and group structures, and the groupings that put a header in
 * front of its parameters. */
#include "fmtdefs.h"

static FLD(fType, "Type", FT_INT, 4, FmtVnCfType, 0);
static FLD(fStrucLen, "Struc Length", FT_INT, 4, nullptr, FF_STRUCID);
FLD(FmtFieldCommand, "Command", FT_INT, 4, nullptr, 0);
static FLD(fSeqNo, "Msg Seq No.", FT_INT, 4, nullptr, 0);
static FLD(fControl, "Control", FT_INT, 4, FmtVnControl, 0);
FLD(FmtFieldParmCount, "Parm Count", FT_INT, 4, nullptr, 0);
FLD(FmtFieldParameterId, "Parameter Id", FT_INT, 4, nullptr, 0);

static FmtStructRow rowsCFH[] = {
    ROW(fType, nullptr, 0), ROW(fStrucLen, nullptr, RF_STRUCLEN | 2),
    ROW(FmtFVersion, nullptr, RF_VERSION), ROW(FmtFieldCommand, nullptr, 0),
    ROW(fSeqNo, nullptr, 0), ROW(fControl, nullptr, 0),
    ROW(FmtFCompCode, nullptr, 0), ROW(FmtFReason, nullptr, 0),
    ROW(FmtFieldParmCount, nullptr, 0), ROWEND };
static const unsigned char dfltCFH[] = {
    1,0,0,0, 36,0,0,0, 1,0,0,0, 0,0,0,0, 1,0,0,0, 1,0,0,0 };
DEF(FmtDefMQCFH, "PCF Header (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltCFH);
static DEF(defCFHAdmin, "Admin Header (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltCFH);
static DEF(defCFHEvent, "Event Header (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltCFH);

/* Each parameter starts with its Type, tested against its own value. */
#define TCOND(var, t) static const FmtCondition var[] = { { &fType, t, t, nullptr }, CEND }
TCOND(tIN, 3); TCOND(tST, 4); TCOND(tIL, 5); TCOND(tSL, 6); TCOND(tBS, 9);
TCOND(tIF, 13); TCOND(tSF, 14); TCOND(tBF, 15); TCOND(tGR, 20);
TCOND(tIN64, 23); TCOND(tIL64, 25);
#define PTYPE(c) ROW(fType, c, RF_END_ON_FAIL | 2), ROW(fStrucLen, nullptr, RF_STRUCLEN | 2), \
                 ROW(FmtFieldParameterId, nullptr, 0)

static FLD(fValue, "Value", FT_INTH, 4, nullptr, 0);
static FLD(fValue64, "Value", FT_INT64H, 8, nullptr, 0);
static FLD(fCount, "Count", FT_INT, 4, nullptr, 0);
static FLD(fStrLen, "String Length", FT_INT, 4, nullptr, 0);
static FLD(fString, "String", FT_TEXT_BYLEN, 0, &fStrLen, 0);
static FLD(fByteStr, "Byte String", FT_BYTES_BYLEN, 0, &fStrLen, 0);
static FLD(fValues, "Values", FT_COUNTED_ARRAY, 0, &fCount, 0);
static FLD(fStrings, "Strings", FT_COUNTED_ARRAY, 0, &fCount, 0);
static FLD(fOperator, "Operator", FT_INT, 4, FmtVnOperator, 0);
static FLD(fFiltLen, "Filter Length", FT_INT, 4, nullptr, 0);
static FLD(fFiltStr, "Filter Value", FT_TEXT_BYLEN, 0, &fFiltLen, 0);
static FLD(fFiltBytes, "Filter Value", FT_BYTES_BYLEN, 0, &fFiltLen, 0);
static FLD(fFiltInt, "Filter Value", FT_INTH, 4, nullptr, 0);
static FLD(fReserved, "Reserved", FT_INT, 4, nullptr, 0);
static FLD(fUnknown, "Data", FT_UNKNOWN_REST, 0xFFFFFFFF, nullptr, 0);

static FmtStructRow rowsIN[] = { PTYPE(tIN), ROW(fValue, nullptr, RF_PCF_PARM_NAME), ROWEND };
static FmtStructRow rowsST[] = { PTYPE(tST), ROW(FmtFCcsid, nullptr, RF_CCSID_OWN | 2),
    ROW(fStrLen, nullptr, 2), ROW(fString, nullptr, RF_SHOW_EMPTY | RF_PAD4), ROWEND };
static FmtStructRow rowsIL[] = { PTYPE(tIL), ROW(fCount, nullptr, 0),
    ROW(fValues, nullptr, 0), ROW(fValue, nullptr, RF_PCF_PARM_NAME), ROWEND };
static FmtStructRow rowsSL[] = { PTYPE(tSL), ROW(FmtFCcsid, nullptr, RF_CCSID_OWN | 2),
    ROW(fCount, nullptr, 0), ROW(fStrLen, nullptr, 2), ROW(fStrings, nullptr, 0),
    ROW(fString, nullptr, RF_STRING_LIST | RF_SHOW_EMPTY), ROWEND };
static FmtStructRow rowsBS[] = { PTYPE(tBS), ROW(fStrLen, nullptr, 2),
    ROW(fByteStr, nullptr, RF_PAD4), ROWEND };
static FmtStructRow rowsGR[] = { PTYPE(tGR), ROW(FmtFieldParmCount, nullptr, 0), ROWEND };
static FmtStructRow rowsIN64[] = { PTYPE(tIN64), ROW(fReserved, nullptr, 3),
    ROW(fValue64, nullptr, 0), ROWEND };
static FmtStructRow rowsIL64[] = { PTYPE(tIL64), ROW(fCount, nullptr, 0),
    ROW(fValues, nullptr, 0), ROW(fValue64, nullptr, 0), ROWEND };
static FmtStructRow rowsIF[] = { PTYPE(tIF), ROW(fOperator, nullptr, 0),
    ROW(fFiltInt, nullptr, RF_PCF_PARM_NAME), ROWEND };
static FmtStructRow rowsSF[] = { PTYPE(tSF), ROW(fOperator, nullptr, 0),
    ROW(FmtFCcsid, nullptr, RF_CCSID_OWN | 2), ROW(fFiltLen, nullptr, 2),
    ROW(fFiltStr, nullptr, RF_SHOW_EMPTY | RF_PAD4), ROWEND };
static FmtStructRow rowsBF[] = { PTYPE(tBF), ROW(fOperator, nullptr, 0),
    ROW(fFiltLen, nullptr, 2), ROW(fFiltBytes, nullptr, RF_PAD4), ROWEND };
static FmtStructRow rowsUnk[] = { ROW(fType, nullptr, 0),
    ROW(fStrucLen, nullptr, RF_STRUCLEN), ROW(FmtFieldParameterId, nullptr, 0),
    ROW(fUnknown, nullptr, 0), ROWEND };

#define PDFLT(name, t, len) static const unsigned char name[] = { t,0,0,0, len,0,0,0 }
PDFLT(dIN, 3, 16); PDFLT(dST, 4, 20); PDFLT(dIL, 5, 16); PDFLT(dSL, 6, 24);
PDFLT(dBS, 9, 16); PDFLT(dGR, 20, 16); PDFLT(dIN64, 23, 24); PDFLT(dIL64, 25, 16);
PDFLT(dIF, 13, 20); PDFLT(dSF, 14, 24); PDFLT(dBF, 15, 20);

DEF(FmtDefMQCFIN, "Integer (MQCFIN)", SK_PCF_PARM, rowsIN, dIN);
DEF(FmtDefMQCFST, "String (MQCFST)", SK_PCF_PARM, rowsST, dST);
DEF(FmtDefMQCFIL, "Integer List (MQCFIL)", SK_PCF_PARM, rowsIL, dIL);
DEF(FmtDefMQCFSL, "String List (MQCFSL)", SK_PCF_PARM, rowsSL, dSL);
DEF(FmtDefMQCFBS, "Bytes (MQCFBS)", SK_PCF_PARM, rowsBS, dBS);
DEF(FmtDefMQCFGR, "PCF Group (MQCFGR)", SK_PCF_GROUP, rowsGR, dGR);
DEF(FmtDefMQCFIN64, "Integer 64 (MQCFIN64)", SK_PCF_PARM, rowsIN64, dIN64);
DEF(FmtDefMQCFIL64, "Integer List 64 (MQCFIL64)", SK_PCF_PARM, rowsIL64, dIL64);
DEF(FmtDefMQCFIF, "Integer Filter (MQCFIF)", SK_PCF_PARM, rowsIF, dIF);
DEF(FmtDefMQCFSF, "String Filter (MQCFSF)", SK_PCF_PARM, rowsSF, dSF);
DEF(FmtDefMQCFBF, "Byte String Filter (MQCFBF)", SK_PCF_PARM, rowsBF, dBF);
static DEF(defUnknown, "Unrecognised (MQCF?)", SK_PCF_PARM | 1, rowsUnk, nullptr);

#define PSTRUCT(var, def) static FLD(var, "!" #def, FT_STRUCT, 0, &def, 0)
PSTRUCT(pIN, FmtDefMQCFIN); PSTRUCT(pIL, FmtDefMQCFIL); PSTRUCT(pSL, FmtDefMQCFSL);
PSTRUCT(pST, FmtDefMQCFST); PSTRUCT(pBS, FmtDefMQCFBS); PSTRUCT(pIF, FmtDefMQCFIF);
PSTRUCT(pSF, FmtDefMQCFSF); PSTRUCT(pBF, FmtDefMQCFBF); PSTRUCT(pGR, FmtDefMQCFGR);
PSTRUCT(pIN64, FmtDefMQCFIN64); PSTRUCT(pIL64, FmtDefMQCFIL64);
PSTRUCT(pUnk, defUnknown);

static FmtStructRow rowsFields[] = {
    ROW(pIN, nullptr, 0), ROW(pIL, nullptr, 0), ROW(pSL, nullptr, 0),
    ROW(pST, nullptr, 0), ROW(pBS, nullptr, 0), ROW(pIF, nullptr, 0),
    ROW(pSF, nullptr, 0), ROW(pBF, nullptr, 0), ROW(pGR, nullptr, 0),
    ROW(pIN64, nullptr, 0), ROW(pIL64, nullptr, 0),
    ROW(pUnk, nullptr, RF_NOTHING_CONSUMED | 1), ROWEND };
DEF(FmtDefPcfFields, "!PCF Fields", 0, rowsFields, nullptr);

static FLD(fFields, "!PCF Fields", FT_REPEAT, 0, &FmtDefPcfFields, 0);
static FLD(gCFH, "!MQCFH", FT_STRUCT, 0, &FmtDefMQCFH, 0);
static FLD(gAdmin, "!MQCFH", FT_STRUCT, 0, &defCFHAdmin, 0);
static FLD(gEvent, "!MQCFH", FT_STRUCT, 0, &defCFHEvent, 0);
static FmtStructRow rowsPcf[] = { ROW(gCFH, nullptr, 0), ROW(fFields, nullptr, 0), ROWEND };
static DEF(defCFHStats, "Statistics Header (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltCFH);
static DEF(defCFHAcct, "Accounting Header (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltCFH);
static FLD(gStats, "!MQCFH", FT_STRUCT, 0, &defCFHStats, 0);
static FLD(gAcct, "!MQCFH", FT_STRUCT, 0, &defCFHAcct, 0);
/* Trace-route messages and application activity trace records travel as
 * admin messages too; their default images carry their own Type so that an
 * inserted header formats as the variant it was chosen as. */
static const unsigned char dfltRoute[] = {
    10,0,0,0, 36,0,0,0, 1,0,0,0, 75,0,0,0, 1,0,0,0, 1,0,0,0 };
static const unsigned char dfltActivity[] = {
    26,0,0,0, 36,0,0,0, 1,0,0,0, 209,0,0,0, 1,0,0,0, 1,0,0,0 };
static DEF(defCFHRoute, "Trace Route (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltRoute);
static DEF(defCFHActivity, "Application Activity Header (MQCFH)", SK_PCF_HEADER,
           rowsCFH, dfltActivity);
static FLD(gRoute, "!MQTRTE", FT_STRUCT, 0, &defCFHRoute, 0);
static FLD(gActivity, "!MQCFH", FT_STRUCT, 0, &defCFHActivity, 0);
TCOND(tStats, 21); TCOND(tAcct, 22); TCOND(tRoute, 10); TCOND(tActivity, 26);
/* Statistics, accounting, trace-route and application activity messages
 * are told apart from other admin messages by the header's Type. */
static FmtStructRow rowsAdmin[] = {
    ROW(gStats, tStats, RF_COND_NESTED), ROW(gAcct, tAcct, RF_COND_NESTED),
    ROW(gRoute, tRoute, RF_COND_NESTED), ROW(gActivity, tActivity, RF_COND_NESTED),
    ROW(gAdmin, nullptr, RF_NOTHING_CONSUMED), ROW(fFields, nullptr, 0), ROWEND };
static FmtStructRow rowsEvent[] = { ROW(gEvent, nullptr, 0), ROW(fFields, nullptr, 0), ROWEND };
DEF(FmtDefPcfPcf, "!MQCFH", 0, rowsPcf, nullptr);
DEF(FmtDefPcfAdmin, "!MQCFH", 0, rowsAdmin, nullptr);
DEF(FmtDefPcfEvent, "!MQCFH", 0, rowsEvent, nullptr);
static FmtStructRow rowsEmbedded[] = { ROW(gAdmin, nullptr, 0), ROW(fFields, nullptr, 0), ROWEND };
DEF(FmtDefPcfEmbedded, "!MQCFH", 0, rowsEmbedded, nullptr);
/* The generic variants are never chosen by the data: the editor inserts
 * them as the header of a new message of their format. */
static const unsigned char dfltEventCFH[] = {
    7,0,0,0, 36,0,0,0, 1,0,0,0, 0,0,0,0, 1,0,0,0, 1,0,0,0 };
DEF(FmtDefCFHGenericPcf, "Generic PCF Header (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltCFH);
DEF(FmtDefCFHGenericPcf2, "Generic PCF Header (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltCFH);
DEF(FmtDefCFHGenericAdmin, "Generic Admin PCF Header (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltCFH);
DEF(FmtDefCFHGenericEvent, "Generic Event Header (MQCFH)", SK_PCF_HEADER, rowsCFH, dfltEventCFH);

FmtStructDef *FmtDefCFHAdmin = &defCFHAdmin, *FmtDefCFHEvent = &defCFHEvent,
    *FmtDefCFHStats = &defCFHStats, *FmtDefCFHAcct = &defCFHAcct,
    *FmtDefCFHRoute = &defCFHRoute, *FmtDefCFHActivity = &defCFHActivity;
FmtStructDef *FmtDefUnknownParm = &defUnknown;
