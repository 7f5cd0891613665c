/* Static definitions of the MQI records: MQOD, MQPMO, MQGMO, MQCNO, MQSD,
 * MQSRO, MQBO, MQRR and the one-field records, as laid out on Windows
 * x86-64 (8-byte pointers, natural alignment). */
#include "fmtdefs.h"

FLD(FmtFOpenOptions, "Open Options", FT_FLAGS, 4, nullptr, 0);
FLD(FmtFCloseOptions, "Close Options", FT_FLAGS, 4, nullptr, 0);
FLD(FmtFPmoOptions, "PMO Options", FT_FLAGS, 4, nullptr, 0);
FLD(FmtFGmoOptions, "GMO Options", FT_FLAGS, 4, nullptr, 0);
FLD(FmtFSdOptions, "SD Options", FT_FLAGS, 4, nullptr, 0);
FLD(FmtFSroOptions, "SRO Options", FT_FLAGS, 4, nullptr, 0);

static FLD(fPtr, "Pointer", FT_POINTER, 8, nullptr, 0);
static FLD(fAlign8, "!align8", FT_ALIGN, 8, nullptr, 0);
static FLD(fObjType, "Object Type", FT_INT, 4, FmtVnObjectType, 0);
static FLD(fObjNameOD, "Object Name", FT_CHAR, 48, nullptr, 0);
static FLD(fDynQ, "Dynamic Queue", FT_CHAR, 48, nullptr, 0);
static FLD(fAltUser, "Alt. User Id", FT_CHAR, 12, nullptr, 0);
static FLD(fKnown, "Known Dests", FT_INT, 4, nullptr, 0);
static FLD(fUnknown, "Unknown Dests", FT_INT, 4, nullptr, 0);
static FLD(fInvalid, "Invalid Dests", FT_INT, 4, nullptr, 0);
static FLD(fObjRecOff, "Obj Rec Off.", FT_REC_OFFSET, 4, &FmtDefMQOR, 0);
static FLD(fRespRecOff, "Resp Rec Off.", FT_REC_OFFSET, 4, &FmtDefMQRR, 0);
static FLD(fPmrOff, "PMR Offset", FT_REC_OFFSET, 4, &FmtDefMQPMR, 0);
static FLD(fRecCount, "!Records", FT_REC_COUNT, 0, &FmtFRecsPresent, 0);
static FLD(fObjRecPtr, "Obj Rec Ptr", FT_POINTER, 8, nullptr, 0);
static FLD(fRespRecPtr, "Resp Rec Ptr", FT_POINTER, 8, nullptr, 0);
static FLD(fAltSecId, "Alt. Sec. Id", FT_HEX, 40, nullptr, 0);
static FLD(fResolvedQ, "Resolved Q", FT_CHAR, 48, nullptr, 0);
static FLD(fResolvedQMgr, "Resolved QMgr", FT_CHAR, 48, nullptr, 0);
static FLD(fObjString, "Object String", FT_CHARV, 24, nullptr, 0);
static FLD(fSelString, "Selection Str", FT_CHARV, 24, nullptr, 0);
static FLD(fResObjString, "Res. Obj. Str", FT_CHARV, 24, nullptr, 0);
static FLD(fResolvedType, "Resolved Type", FT_INT, 4, FmtVnObjectType, 0);

static FmtStructRow rowsOD[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(fObjType, nullptr, 0), ROW(fObjNameOD, nullptr, 0),
    ROW(FmtFObjQMgr, nullptr, 0), ROW(fDynQ, nullptr, 0),
    ROW(fAltUser, nullptr, 0),
    ROW(FmtFRecsPresent, FmtCondV2, 0), ROW(fKnown, FmtCondV2, 0),
    ROW(fUnknown, FmtCondV2, 0), ROW(fInvalid, FmtCondV2, 0),
    ROW(fObjRecOff, FmtCondV2, 0), ROW(fRecCount, FmtCondV2, 0),
    ROW(fRespRecOff, FmtCondV2, 0), ROW(fRecCount, FmtCondV2, 0),
    ROW(fObjRecPtr, FmtCondV2, 2), ROW(fRespRecPtr, FmtCondV2, 2),
    ROW(fAltSecId, FmtCondV3, 0), ROW(fResolvedQ, FmtCondV3, 0),
    ROW(fResolvedQMgr, FmtCondV3, 0),
    ROW(fObjString, FmtCondV4, 0), ROW(fSelString, FmtCondV4, 0),
    ROW(fResObjString, FmtCondV4, 0), ROW(fResolvedType, FmtCondV4, 0),
    ROW(fAlign8, FmtCondV4, 0), ROWEND };
static const unsigned char dfltOD[] = { 'O','D',' ',' ', 1,0,0,0, 1,0,0,0 };
DEF(FmtDefMQOD, "Object Descriptor (MQOD)", 0, rowsOD, dfltOD);

static FLD(fTimeout, "Timeout", FT_INT, 4, nullptr, 0);
static FLD(fContext, "Context", FT_INT, 4, nullptr, 0);
static FLD(fPmrPtr, "PMR Ptr", FT_POINTER, 8, nullptr, 0);
static FLD(fOrigHandle, "Orig. Handle", FT_INT64H, 8, nullptr, 0);
static FLD(fNewHandle, "New Handle", FT_INT64H, 8, nullptr, 0);
static FLD(fAction, "Action", FT_INT, 4, nullptr, 0);
static FLD(fPubLevel, "Pub Level", FT_INT, 4, nullptr, 0);
static FmtStructRow rowsPMO[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFPmoOptions, nullptr, 0), ROW(fTimeout, nullptr, 0),
    ROW(fContext, nullptr, 0), ROW(fKnown, nullptr, 0),
    ROW(fUnknown, nullptr, 0), ROW(fInvalid, nullptr, 0),
    ROW(fResolvedQ, nullptr, 0), ROW(fResolvedQMgr, nullptr, 0),
    ROW(FmtFRecsPresent, FmtCondV2, 0), ROW(FmtFPmrFields, FmtCondV2, 0),
    ROW(fPmrOff, FmtCondV2, 0), ROW(fRecCount, FmtCondV2, 0),
    ROW(fRespRecOff, FmtCondV2, 0), ROW(fRecCount, FmtCondV2, 0),
    ROW(fPmrPtr, FmtCondV2, 2), ROW(fRespRecPtr, FmtCondV2, 2),
    ROW(fOrigHandle, FmtCondV3, 0), ROW(fNewHandle, FmtCondV3, 0),
    ROW(fAction, FmtCondV3, 0), ROW(fPubLevel, FmtCondV3, 0), ROWEND };
static const unsigned char dfltPMO[] = { 'P','M','O',' ', 1,0,0,0, 0,0,0,0,
    0xFF,0xFF,0xFF,0xFF };
DEF(FmtDefMQPMO, "Put Options (MQPMO)", 0, rowsPMO, dfltPMO);

static FLD(fWait, "Wait Interval", FT_INT, 4, nullptr, 0);
static FLD(fSignal1, "Signal1", FT_INT, 4, nullptr, 0);
static FLD(fSignal2, "Signal2", FT_INT, 4, nullptr, 0);
static FLD(fMatch, "Match Options", FT_FLAGS, 4, nullptr, 0);
static FLD(fGroupStatus, "Group Status", FT_CHAR, 1, nullptr, 0);
static FLD(fSegStatus, "Seg. Status", FT_CHAR, 1, nullptr, 0);
static FLD(fSegmentation, "Segmentation", FT_CHAR, 1, nullptr, 0);
static FLD(fReserved1, "Reserved", FT_CHAR, 1, nullptr, 0);
static FLD(fMsgToken, "Msg Token", FT_HEX, 16, nullptr, 0);
static FLD(fRetLength, "Returned Len.", FT_INT, 4, nullptr, 0);
static FLD(fReserved4, "Reserved", FT_INT, 4, nullptr, 0);
static FLD(fMsgHandle, "Msg Handle", FT_INT64H, 8, nullptr, 0);
static FmtStructRow rowsGMO[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFGmoOptions, nullptr, 0), ROW(fWait, nullptr, 0),
    ROW(fSignal1, nullptr, 2), ROW(fSignal2, nullptr, 2),
    ROW(fResolvedQ, nullptr, 0),
    ROW(fMatch, FmtCondV2, 0), ROW(fGroupStatus, FmtCondV2, 0),
    ROW(fSegStatus, FmtCondV2, 0), ROW(fSegmentation, FmtCondV2, 0),
    ROW(fReserved1, FmtCondV2, 3),
    ROW(fMsgToken, FmtCondV3, 0), ROW(fRetLength, FmtCondV3, 0),
    ROW(fReserved4, FmtCondV4, 3), ROW(fMsgHandle, FmtCondV4, 0), ROWEND };
static const unsigned char dfltGMO[] = { 'G','M','O',' ', 1,0,0,0 };
DEF(FmtDefMQGMO, "Get Options (MQGMO)", 0, rowsGMO, dfltGMO);

static FLD(fCnoOptions, "Options", FT_FLAGS, 4, nullptr, 0);
static FLD(fClientOff, "ClientConnOff", FT_INT, 4, nullptr, 0);
static FLD(fConnTag, "Conn. Tag", FT_HEX, 128, nullptr, 0);
static FLD(fSslOff, "SSL Cfg Off.", FT_INT, 4, nullptr, 0);
static FLD(fConnId, "Connection Id", FT_HEX, 24, nullptr, 0);
static FLD(fSecOff, "Sec Parms Off", FT_INT, 4, nullptr, 0);
static FLD(fCcdtOff, "CCDT Url Off.", FT_INT, 4, nullptr, 0);
static FLD(fCcdtLen, "CCDT Url Len.", FT_INT, 4, nullptr, 0);
static FLD(fReserved8, "Reserved", FT_HEX, 8, nullptr, 0);
static FLD(fApplName, "Appl Name", FT_CHAR, 28, nullptr, 0);
static FLD(fReservedH4, "Reserved", FT_HEX, 4, nullptr, 0);
static FLD(fBalOff, "Bal Parms Off", FT_INT, 4, nullptr, 0);
static FmtStructRow rowsCNO[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(fCnoOptions, nullptr, 0),
    ROW(fClientOff, FmtCondV2, 0), ROW(fPtr, FmtCondV2, 2),
    ROW(fConnTag, FmtCondV3, 0),
    ROW(fPtr, FmtCondV4, 2), ROW(fSslOff, FmtCondV4, 0),
    ROW(fConnId, FmtCondV5, 0), ROW(fSecOff, FmtCondV5, 0), ROW(fPtr, FmtCondV5, 2),
    ROW(fPtr, FmtCondV6, 2), ROW(fCcdtOff, FmtCondV6, 0), ROW(fCcdtLen, FmtCondV6, 0),
    ROW(fReserved8, FmtCondV6, 3),
    ROW(fApplName, FmtCondV7, 0), ROW(fReservedH4, FmtCondV7, 3),
    ROW(fPtr, FmtCondV8, 2), ROW(fBalOff, FmtCondV8, 0),
    ROW(fReservedH4, FmtCondV8, 3), ROWEND };
static const unsigned char dfltCNO[] = { 'C','N','O',' ', 1,0,0,0 };
DEF(FmtDefMQCNO, "Connect Options (MQCNO)", 0, rowsCNO, dfltCNO);

static FLD(fSubExpiry, "Sub Expiry", FT_INT, 4, nullptr, 0);
static FLD(fSubName, "Sub Name", FT_CHARV, 24, nullptr, 0);
static FLD(fSubUserData, "Sub User Data", FT_CHARV, 24, nullptr, 0);
static FLD(fSubCorrelId, "Sub Correl Id", FT_ID24, 24, nullptr, 0);
static FLD(fPubPriority, "Pub Priority", FT_INT, 4, nullptr, 0);
static FLD(fPubAcct, "Pub Acct Tok.", FT_HEX, 32, nullptr, 0);
static FLD(fPubApplId, "Pub ApplId", FT_CHAR, 32, nullptr, 0);
static FLD(fSubLevel, "Sub Level", FT_INT, 4, nullptr, 0);
static FmtStructRow rowsSD[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFSdOptions, nullptr, 0), ROW(fObjNameOD, nullptr, 0),
    ROW(fAltUser, nullptr, 0), ROW(fAltSecId, nullptr, 0),
    ROW(fSubExpiry, nullptr, 0), ROW(fAlign8, nullptr, 0),
    ROW(fObjString, nullptr, 0), ROW(fSubName, nullptr, 0),
    ROW(fSubUserData, nullptr, 0), ROW(fSubCorrelId, nullptr, 0),
    ROW(fPubPriority, nullptr, 0), ROW(fPubAcct, nullptr, 0),
    ROW(fPubApplId, nullptr, 0), ROW(fAlign8, nullptr, 0),
    ROW(fSelString, nullptr, 0), ROW(fSubLevel, nullptr, 0),
    ROW(fAlign8, nullptr, 0), ROW(fResObjString, nullptr, 0), ROWEND };
static const unsigned char dfltSD[] = { 'S','D',' ',' ', 1,0,0,0 };
DEF(FmtDefMQSD, "Subscription Descriptor (MQSD)", 0, rowsSD, dfltSD);

static FLD(fNumPubs, "Num Pubs", FT_INT, 4, nullptr, 0);
static FmtStructRow rowsSRO[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFSroOptions, nullptr, 0), ROW(fNumPubs, nullptr, 0), ROWEND };
static const unsigned char dfltSRO[] = { 'S','R','O',' ', 1,0,0,0 };
DEF(FmtDefMQSRO, "Sub Request Options (MQSRO)", 0, rowsSRO, dfltSRO);

static FLD(fBoOptions, "Options", FT_FLAGS, 4, nullptr, 0);
static FmtStructRow rowsBO[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(fBoOptions, nullptr, 0), ROWEND };
static const unsigned char dfltBO[] = { 'B','O',' ',' ', 1,0,0,0 };
DEF(FmtDefMQBO, "Begin Options (MQBO)", 0, rowsBO, dfltBO);

static FmtStructRow rowsRR[] = {
    ROW(FmtFCompCode, nullptr, 0), ROW(FmtFReason, nullptr, 0), ROWEND };
DEF(FmtDefMQRR, "Response Record (MQRR)", 0, rowsRR, nullptr);

static FmtStructRow rowsReason[] = { ROW(FmtFReason, nullptr, 0), ROWEND };
static FmtStructRow rowsCompcode[] = { ROW(FmtFCompCode, nullptr, 0), ROWEND };
static FmtStructRow rowsOpen[] = { ROW(FmtFOpenOptions, nullptr, 0), ROWEND };
static FmtStructRow rowsClose[] = { ROW(FmtFCloseOptions, nullptr, 0), ROWEND };
static DEF(defReason, "Reason", 0, rowsReason, nullptr);
static DEF(defCompcode, "Compcode", 0, rowsCompcode, nullptr);
static DEF(defOpen, "OpenOptions", 0, rowsOpen, nullptr);
static DEF(defClose, "CloseOptions", 0, rowsClose, nullptr);

extern FmtStructDef *FmtDefCFHAdmin, *FmtDefCFHEvent, *FmtDefUnknownParm, *FmtDefCFHStats, *FmtDefCFHAcct,
    *FmtDefCFHRoute, *FmtDefCFHActivity;
extern FmtStructDef FmtDefPcfPcf, FmtDefPcfAdmin, FmtDefPcfEvent, FmtDefPcfEmbedded;

FmtStructList FmtStructListAll[] = {
    { &FmtDefMQBO, "BO  ", 0 }, { &FmtDefMQCIH, "CIH ", 0 },
    { &FmtDefMQCNO, "CNO ", 0 }, { &FmtDefMQDH, "DH  ", 0 },
    { &FmtDefMQDLH, "DLH ", 0 }, { &FmtDefXQH, "XQH ", 0 },
    { &FmtDefMQGMO, "GMO ", 0 }, { &FmtDefMQIIH, "IIH ", 0 },
    { &FmtDefMQMD, "MD  ", 0 }, { &FmtDefMQMDE, "MDE ", 0 },
    { &FmtDefMQOD, "OD  ", 0 }, { &FmtDefMQPMO, "PMO ", 0 },
    { &FmtDefMQRFH2, "RFH ", 0 }, { &FmtDefMQRMH, "RMH ", 0 },
    { &FmtDefMQSD, "SD  ", 0 }, { &FmtDefMQSRO, "SRO ", 0 },
    { &FmtDefMQTM, "TM  ", 0 }, { &FmtDefMQTMC2, "TMC ", 0 },
    { &FmtDefMQWIH, "WIH ", 0 }, { &FmtDefMQEPH, "EPH ", 0 },
    { &FmtDefMQCD, nullptr, 0 }, { &FmtDefMQOR, nullptr, 0 }, { &FmtDefMQPMR, nullptr, 0 },
    { &FmtDefMQRFH, nullptr, 0 }, { &FmtDefMQRR, nullptr, 0 },
    { &FmtDefPcfFields, nullptr, 0 }, { &FmtDefMQCFH, nullptr, 0 },
    { FmtDefCFHAdmin, nullptr, 0 }, { FmtDefCFHEvent, nullptr, 0 },
    { FmtDefCFHStats, nullptr, 0 }, { FmtDefCFHAcct, nullptr, 0 },
    { &FmtDefCFHGenericAdmin, nullptr, 0 }, { &FmtDefCFHGenericPcf, nullptr, 0 },
    { &FmtDefCFHGenericPcf2, nullptr, 0 }, { &FmtDefCFHGenericEvent, nullptr, 0 },
    { &FmtDefPcfPcf, nullptr, 0 }, { &FmtDefPcfAdmin, nullptr, 0 },
    { &FmtDefPcfEvent, nullptr, 0 }, { &FmtDefPcfEmbedded, nullptr, 0 },
    { &FmtDefMQCFIL, nullptr, 0 }, { &FmtDefMQCFIN, nullptr, 0 },
    { &FmtDefMQCFSL, nullptr, 0 }, { &FmtDefMQCFST, nullptr, 0 },
    { &FmtDefMQCFBS, nullptr, 0 }, { &FmtDefMQCFGR, nullptr, 0 },
    { &FmtDefMQCFIF, nullptr, 0 }, { &FmtDefMQCFIL64, nullptr, 0 },
    { &FmtDefMQCFIN64, nullptr, 0 }, { &FmtDefMQCFSF, nullptr, 0 },
    { &FmtDefMQCFBF, nullptr, 0 }, { FmtDefUnknownParm, nullptr, 0 },
    { &FmtDefHeaderChain, nullptr, 0 }, { &FmtDefMessageContent, nullptr, 0 },
    { &FmtDefXmlSections, nullptr, 0 }, { &FmtDefXmlSection, nullptr, 0 },
    { &defReason, nullptr, 0 }, { &defCompcode, nullptr, 0 },
    { &defOpen, nullptr, 0 }, { &defClose, nullptr, 0 },
    { nullptr, nullptr, 0 } };
