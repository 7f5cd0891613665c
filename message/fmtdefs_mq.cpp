/* Static definitions of the message descriptor and the chained IBM MQ
 * headers: MQMD, MQMDE, XQH, MQDLH, MQDH with its records, MQRFH, MQRFH2,
 * MQCIH, MQIIH, MQWIH, MQRMH, MQTM, MQTMC2, MQEPH, the header chain and
 * "Message Content". Layouts follow IBM MQ's published definitions. */
#include "fmtdefs.h"

FLD(FmtFStrucId, "StrucId", FT_CHAR, 4, nullptr, FF_STRUCID);
FLD(FmtFVersion, "Version", FT_INT, 4, nullptr, 0);
FLD(FmtFStrucLength, "Struc Length", FT_INT, 4, nullptr, FF_STRUCID);
FLD(FmtFEncoding, "MQEncoding", FT_ENCODING, 4, nullptr, FF_ENCODING);
FLD(FmtFCcsid, "CCSID", FT_INT, 4, nullptr, FF_CCSID);
FLD(FmtFFormat, "Format", FT_FORMAT, 8, FmtVnFormat, FF_FORMAT);
FLD(FmtFFlags, "Flags", FT_INT, 4, nullptr, 0);
FLD(FmtFReason, "Reason", FT_INT, 4, nullptr, 0);
FLD(FmtFCompCode, "Compcode", FT_INT, 4, FmtVnCompCode, 0);

#define VCOND(n) const FmtCondition FmtCondV##n[] = { { &FmtFVersion, n, INT_MAX, nullptr }, CEND }
VCOND(2); VCOND(3); VCOND(4); VCOND(5); VCOND(6); VCOND(7); VCOND(8);

/* ---- MQMD ---- */
static FLD(fReport, "Report", FT_FLAGS, 4, FmtVnReport, 0);
static FLD(fMsgType, "Message Type", FT_INT, 4, FmtVnMsgType, 0);
static FLD(fExpiry, "Expiry", FT_INT, 4, nullptr, 0);
static FLD(fFeedback, "Feedback", FT_INT, 4, FmtVnFeedback, 0);
static FLD(fPriority, "Priority", FT_INT, 4, FmtVnPriority, 0);
static FLD(fPersistence, "Persistence", FT_INT, 4, FmtVnPersistence, 0);
FLD(FmtFMsgId, "Msg Id", FT_ID24, 24, nullptr, 0);
static FLD(fCorrelId, "Correl. Id", FT_ID24, 24, nullptr, 0);
static FLD(fBackout, "Backout Cnt.", FT_INT, 4, nullptr, 0);
static FLD(fReplyQ, "Reply Queue", FT_CHAR, 48, nullptr, 0);
static FLD(fReplyQMgr, "Reply QMgr", FT_CHAR, 48, nullptr, 0);
static FLD(fUserId, "User Id", FT_CHAR, 12, nullptr, 0);
FLD(FmtFAcctToken, "Acct. Token", FT_HEX, 32, nullptr, 0);
static FLD(fApplIdData, "ApplIdData", FT_CHAR, 32, nullptr, 0);
static FLD(fPutApplType, "PutApplType", FT_INT, 4, FmtVnApplType, 0);
static FLD(fPutApplName, "PutApplName", FT_CHAR, 28, nullptr, 0);
static FLD(fPutDate, "Put Date", FT_PUTDATE, 8, nullptr, 0);
static FLD(fPutTime, "Put Time", FT_PUTTIME, 8, nullptr, 0);
static FLD(fApplOrigin, "ApplOriginData", FT_CHAR, 4, nullptr, 0);
static FLD(fGroupId, "Group Id", FT_ID24, 24, nullptr, 0);
static FLD(fSeqNumber, "Msg Seq No.", FT_INT, 4, nullptr, 0);
static FLD(fOffset, "Offset", FT_INT, 4, nullptr, 0);
static FLD(fMsgFlags, "Msg Flags", FT_FLAGS, 4, FmtVnMsgFlags, 0);
static FLD(fOrigLength, "Original Len.", FT_INT, 4, nullptr, 0);

#define MD_V1_ROWS \
    ROW(FmtFStrucId, nullptr, 2), \
    ROW(FmtFVersion, nullptr, RF_VERSION), \
    ROW(fReport, nullptr, 0), \
    ROW(fMsgType, nullptr, 0), \
    ROW(fExpiry, nullptr, 0), \
    ROW(fFeedback, nullptr, 0), \
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT), \
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), \
    ROW(FmtFFormat, nullptr, 0), \
    ROW(fPriority, nullptr, 0), \
    ROW(fPersistence, nullptr, 0), \
    ROW(FmtFMsgId, nullptr, 0), \
    ROW(fCorrelId, nullptr, 0), \
    ROW(fBackout, nullptr, 0), \
    ROW(fReplyQ, nullptr, 0), \
    ROW(fReplyQMgr, nullptr, 0), \
    ROW(fUserId, nullptr, 0), \
    ROW(FmtFAcctToken, nullptr, 1), \
    ROW(fApplIdData, nullptr, 1), \
    ROW(fPutApplType, nullptr, 0), \
    ROW(fPutApplName, nullptr, 0), \
    ROW(fPutDate, nullptr, 0), \
    ROW(fPutTime, nullptr, 0), \
    ROW(fApplOrigin, nullptr, 1)

static FmtStructRow rowsMD[] = {
    MD_V1_ROWS,
    ROW(fGroupId, FmtCondV2, 0),
    ROW(fSeqNumber, FmtCondV2, 0),
    ROW(fOffset, FmtCondV2, 0),
    ROW(fMsgFlags, FmtCondV2, 0),
    ROW(fOrigLength, FmtCondV2, 0),
    ROWEND };
static const unsigned char dfltMD[] = {
    'M','D',' ',' ', 1,0,0,0, 0,0,0,0, 8,0,0,0, 0xFF,0xFF,0xFF,0xFF, 0,0,0,0,
    0x22,0x02,0,0, 0,0,0,0, ' ',' ',' ',' ',' ',' ',' ',' ',
    0xFF,0xFF,0xFF,0xFF, 2,0,0,0 };
DEF(FmtDefMQMD, "Message Descriptor (MQMD)", 0, rowsMD, dfltMD);

/* ---- MQMDE ---- */
static FmtStructRow rowsMDE[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFStrucLength, nullptr, RF_STRUCLEN | 2),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), ROW(FmtFFormat, nullptr, 0),
    ROW(FmtFFlags, nullptr, 0), ROW(fGroupId, nullptr, 0),
    ROW(fSeqNumber, nullptr, 0), ROW(fOffset, nullptr, 0),
    ROW(fMsgFlags, nullptr, 0), ROW(fOrigLength, nullptr, 0), ROWEND };
static const unsigned char dfltMDE[] = {
    'M','D','E',' ', I4(2), I4(72), I4(546), I4(0), B8, I4(0), Z24,
    I4(1), I4(0), I4(0), I4(-1) };
DEF(FmtDefMQMDE, "Message Descriptor Extension (MQMDE)", 1, rowsMDE, dfltMDE);

/* ---- XQH: own fields, then the original descriptor inline ---- */
static FLD(fRemoteQ, "Remote Q", FT_CHAR, 48, nullptr, 0);
static FLD(fRemoteQMgr, "Remote QMgr", FT_CHAR, 48, nullptr, 0);
static FmtStructRow rowsXQH[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(fRemoteQ, nullptr, 0), ROW(fRemoteQMgr, nullptr, 0),
    MD_V1_ROWS, ROWEND };
/* its descriptor starts as a version-1 MQMD's published initial values */
static const unsigned char dfltXQH[] = {
    'X','Q','H',' ', I4(1), Z48, Z48,
    'M','D',' ',' ', I4(1), I4(0), I4(8), I4(-1), I4(0), I4(546), I4(0), B8, I4(-1), I4(2) };
DEF(FmtDefXQH, "Transmission Queue Header (XQH)", 1, rowsXQH, dfltXQH);

/* ---- MQDLH ---- */
static FLD(fDestQ, "Dest. Queue", FT_CHAR, 48, nullptr, 0);
static FLD(fDestQMgr, "Dest. QMgr", FT_CHAR, 48, nullptr, 0);
static FmtStructRow rowsDLH[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFReason, nullptr, 0), ROW(fDestQ, nullptr, 0),
    ROW(fDestQMgr, nullptr, 0),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), ROW(FmtFFormat, nullptr, 0),
    ROW(fPutApplType, nullptr, 0), ROW(fPutApplName, nullptr, 0),
    ROW(fPutDate, nullptr, 0), ROW(fPutTime, nullptr, 0), ROWEND };
static const unsigned char dfltDLH[] = {
    'D','L','H',' ', I4(1), I4(0), Z48, Z48, I4(0), I4(0), B8 };
DEF(FmtDefMQDLH, "Dead Letter Queue Header (MQDLH)", 1, rowsDLH, dfltDLH);

/* ---- MQDH with its object and put-message records ---- */
FLD(FmtFObjName, "Object Name", FT_CHAR, 48, nullptr, 0);
FLD(FmtFObjQMgr, "Object QMgr", FT_CHAR, 48, nullptr, 0);
static FmtStructRow rowsOR[] = {
    ROW(FmtFObjName, nullptr, 0), ROW(FmtFObjQMgr, nullptr, 0), ROWEND };
DEF(FmtDefMQOR, "Object Record (MQOR)", 0, rowsOR, nullptr);

FLD(FmtFPmrFields, "PutMsgRecFlds", FT_FLAGS, 4, FmtVnPmrFields, 0);
static const FmtCondition condPmr1[] = { { &FmtFPmrFields, 1, 0, nullptr }, CEND };
static const FmtCondition condPmr2[] = { { &FmtFPmrFields, 2, 0, nullptr }, CEND };
static const FmtCondition condPmr4[] = { { &FmtFPmrFields, 4, 0, nullptr }, CEND };
static const FmtCondition condPmr8[] = { { &FmtFPmrFields, 8, 0, nullptr }, CEND };
static const FmtCondition condPmr16[] = { { &FmtFPmrFields, 16, 0, nullptr }, CEND };
static FmtStructRow rowsPMR[] = {
    ROW(FmtFMsgId, condPmr1, 0), ROW(fCorrelId, condPmr2, 0),
    ROW(fGroupId, condPmr4, 0), ROW(fFeedback, condPmr8, 0),
    ROW(FmtFAcctToken, condPmr16, 0), ROWEND };
DEF(FmtDefMQPMR, "Put Message Record (MQPMR)", 0, rowsPMR, nullptr);

FLD(FmtFRecsPresent, "Recs Present", FT_INT, 4, nullptr, 0);
static FLD(fObjRecOffset, "Obj Rec Off.", FT_REC_OFFSET, 4, &FmtDefMQOR, 0);
static FLD(fPmrOffset, "PMR Offset", FT_REC_OFFSET, 4, &FmtDefMQPMR, 0);
static FLD(fRecCount, "!Records", FT_REC_COUNT, 0, &FmtFRecsPresent, 0);
static FmtStructRow rowsDH[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFStrucLength, nullptr, RF_STRUCLEN | 2),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), ROW(FmtFFormat, nullptr, 0),
    ROW(FmtFFlags, nullptr, 0), ROW(FmtFPmrFields, nullptr, 0),
    ROW(FmtFRecsPresent, nullptr, 0),
    ROW(fObjRecOffset, nullptr, 0), ROW(fRecCount, nullptr, 0),
    ROW(fPmrOffset, nullptr, 0), ROW(fRecCount, nullptr, 0), ROWEND };
static const unsigned char dfltDH[] = { 'D','H',' ',' ', I4(1), I4(48), I4(0), I4(0), B8 };
DEF(FmtDefMQDH, "Distribution List Header (MQDH)", 1, rowsDH, dfltDH);

/* ---- MQRFH and MQRFH2 ---- */
static FLD(fNameValue, "NameValue", FT_TEXT_TOEND, 0xFFFFFFFF, nullptr, 0);
static FmtStructRow rowsRFH[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFStrucLength, nullptr, RF_STRUCLEN),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), ROW(FmtFFormat, nullptr, 0),
    ROW(FmtFFlags, nullptr, 0), ROW(fNameValue, nullptr, RF_OPTIONAL),
    ROWEND };
static const unsigned char dfltRFH[] = {
    'R','F','H',' ', 1,0,0,0, 32,0,0,0, 0x22,0x02,0,0, 0,0,0,0,
    ' ',' ',' ',' ',' ',' ',' ',' ' };
DEF(FmtDefMQRFH, "Rules and Formatting (MQRFH)", 1, rowsRFH, dfltRFH);

static FLD(fXmlLength, "XML Length", FT_INT, 4, nullptr, 0);
static FLD(fXmlData, "XML", FT_XMLTEXT, 0xFFFFFFFF, nullptr, 0);
static FmtStructRow rowsXmlSection[] = {
    ROW(fXmlLength, nullptr, RF_LEN_SELF | 2),
    ROW(fXmlData, nullptr, RF_SHOW_EMPTY), ROWEND };
DEF(FmtDefXmlSection, "XML Section", 2 | SK_PARENT_ENCODING, rowsXmlSection, nullptr);

static FLD(fNameValCcsid, "NameVal CCSID", FT_INT, 4, nullptr, FF_CCSID);
static FLD(fXmlSections, "XML Sections", FT_STRUCTS_BYLEN, 0, &FmtDefXmlSection, 0);
static FmtStructRow rowsXmlSections[] = { ROW(fXmlSections, nullptr, 0), ROWEND };
DEF(FmtDefXmlSections, "XML Sections", 3, rowsXmlSections, nullptr);
static FmtStructRow rowsRFH2[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFStrucLength, nullptr, RF_STRUCLEN),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), ROW(FmtFFormat, nullptr, 0),
    ROW(FmtFFlags, nullptr, 0),
    ROW(fNameValCcsid, nullptr, RF_NAMEVAL_CCSID),
    ROW(fXmlSections, nullptr, 0), ROWEND };
static unsigned char dfltRFH2[] = {
    'R','F','H',' ', 2,0,0,0, 36,0,0,0, 0x22,0x02,0,0, 0xFE,0xFF,0xFF,0xFF,
    ' ',' ',' ',' ',' ',' ',' ',' ', 0,0,0,0, 0xB8,0x04,0,0 };
DEF(FmtDefMQRFH2, "Rules and Formatting (MQRFH2)", 1, rowsRFH2, dfltRFH2);
unsigned char *FmtRfh2Default = dfltRFH2;

/* ---- MQCIH ---- */
static FLD(fReturnCode, "Return Code", FT_INT, 4, nullptr, 0);
static FLD(fUowControl, "UOW Control", FT_INT, 4, FmtVnUowControl, 0);
static FLD(fGetWait, "Get Wait Int.", FT_INT, 4, nullptr, 0);
static FLD(fLinkType, "Link Type", FT_INT, 4, FmtVnLinkType, 0);
static FLD(fOutDataLen, "Out Data Len.", FT_INT, 4, nullptr, 0);
static FLD(fKeepTime, "Facility Keep", FT_INT, 4, nullptr, 0);
static FLD(fAdsDesc, "ADS Descr.", FT_INT, 4, nullptr, 0);
static FLD(fConvTask, "Conv. Task", FT_INT, 4, nullptr, 0);
static FLD(fTaskEnd, "Task End Stat", FT_INT, 4, nullptr, 0);
static FLD(fFacility, "Facility", FT_HEX, 8, nullptr, 0);
static FLD(fFunction, "Function", FT_CHAR, 4, nullptr, 0);
static FLD(fAbendCode, "Abend Code", FT_CHAR, 4, nullptr, 0);
static FLD(fAuthenticator, "Authenticator", FT_CHAR, 8, nullptr, 0);
static FLD(fReserved8, "Reserved", FT_CHAR, 8, nullptr, 0);
static FLD(fReplyFormat, "Reply Format", FT_CHAR, 8, FmtVnFormat, 0);
static FLD(fRemoteSys, "Remote Sys Id", FT_CHAR, 4, nullptr, 0);
static FLD(fRemoteTran, "Remote Tran", FT_CHAR, 4, nullptr, 0);
static FLD(fTranId, "Trans. Id", FT_CHAR, 4, nullptr, 0);
static FLD(fFacLike, "Facility Like", FT_CHAR, 4, nullptr, 0);
static FLD(fAttnId, "Attention Id", FT_CHAR, 4, nullptr, 0);
static FLD(fStartCode, "Start Code", FT_CHAR, 4, nullptr, 0);
static FLD(fCancelCode, "Cancel Code", FT_CHAR, 4, nullptr, 0);
static FLD(fNextTran, "Next Trans.", FT_CHAR, 4, nullptr, 0);
static FLD(fCursorPos, "Cursor Posn", FT_INT, 4, nullptr, 0);
static FLD(fErrorOffset, "Error Offset", FT_INT, 4, nullptr, 0);
static FLD(fInputItem, "Input Item", FT_INT, 4, nullptr, 0);
static FLD(fReserved4, "Reserved", FT_INT, 4, nullptr, 0);
static FmtStructRow rowsCIH[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFStrucLength, nullptr, RF_STRUCLEN | 2),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), ROW(FmtFFormat, nullptr, 0),
    ROW(FmtFFlags, nullptr, 0), ROW(fReturnCode, nullptr, 0),
    ROW(FmtFCompCode, nullptr, 0), ROW(FmtFReason, nullptr, 0),
    ROW(fUowControl, nullptr, 0), ROW(fGetWait, nullptr, 0),
    ROW(fLinkType, nullptr, 0), ROW(fOutDataLen, nullptr, 0),
    ROW(fKeepTime, nullptr, 0), ROW(fAdsDesc, nullptr, 0),
    ROW(fConvTask, nullptr, 0), ROW(fTaskEnd, nullptr, 0),
    ROW(fFacility, nullptr, 0), ROW(fFunction, nullptr, 0),
    ROW(fAbendCode, nullptr, 0), ROW(fAuthenticator, nullptr, 0),
    ROW(fReserved8, nullptr, 3), ROW(fReplyFormat, nullptr, 0),
    ROW(fRemoteSys, nullptr, 0), ROW(fRemoteTran, nullptr, 0),
    ROW(fTranId, nullptr, 0), ROW(fFacLike, nullptr, 0),
    ROW(fAttnId, nullptr, 0), ROW(fStartCode, nullptr, 0),
    ROW(fCancelCode, nullptr, 0), ROW(fNextTran, nullptr, 0),
    ROW(fReserved8, nullptr, 3), ROW(fReserved8, nullptr, 3),
    ROW(fCursorPos, FmtCondV2, 0), ROW(fErrorOffset, FmtCondV2, 0),
    ROW(fInputItem, FmtCondV2, 0), ROW(fReserved4, FmtCondV2, 3), ROWEND };
static const unsigned char dfltCIH[] = {
    'C','I','H',' ', I4(2), I4(180), I4(0), I4(0), B8, I4(0), I4(0), I4(0), I4(0),
    I4(273), I4(-2), I4(1), I4(-1), I4(0), I4(0), I4(0), I4(0), Z8,
    B32, B32, B8, B8 };
DEF(FmtDefMQCIH, "CICS Information Header (MQCIH)", 1, rowsCIH, dfltCIH);

/* ---- MQIIH ---- */
static FLD(fLTerm, "LTerm Overr.", FT_CHAR, 8, nullptr, 0);
static FLD(fMfsMap, "MFS Map Name", FT_CHAR, 8, nullptr, 0);
static FLD(fTranInst, "Tran Inst. Id", FT_HEX, 16, nullptr, 0);
static FLD(fTranState, "Tran State", FT_CODE1, 1, FmtVnTranState, 0);
static FLD(fCommitMode, "Commit Mode", FT_CODE1, 1, FmtVnCommitMode, 0);
static FLD(fSecScope, "Sec. Scope", FT_CODE1, 1, FmtVnSecurityScope, 0);
static FLD(fReserved1, "Reserved", FT_CHAR, 1, nullptr, 0);
static FmtStructRow rowsIIH[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFStrucLength, nullptr, RF_STRUCLEN | 2),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), ROW(FmtFFormat, nullptr, 0),
    ROW(FmtFFlags, nullptr, 0), ROW(fLTerm, nullptr, 0),
    ROW(fMfsMap, nullptr, 0), ROW(fReplyFormat, nullptr, 0),
    ROW(fAuthenticator, nullptr, 0), ROW(fTranInst, nullptr, 0),
    ROW(fTranState, nullptr, 0), ROW(fCommitMode, nullptr, 0),
    ROW(fSecScope, nullptr, 0), ROW(fReserved1, nullptr, 3), ROWEND };
static const unsigned char dfltIIH[] = {
    'I','I','H',' ', I4(1), I4(84), I4(0), I4(0), B8, I4(0), B32, Z16, ' ', '0', 'C', ' ' };
DEF(FmtDefMQIIH, "IMS Information Header (MQIIH)", 1, rowsIIH, dfltIIH);

/* ---- MQWIH ---- */
static FLD(fServiceName, "Service Name", FT_CHAR, 32, nullptr, 0);
static FLD(fServiceStep, "Service Step", FT_CHAR, 8, nullptr, 0);
static FLD(fMsgToken, "Msg Token", FT_HEX, 16, nullptr, 0);
static FLD(fReserved32, "Reserved", FT_CHAR, 32, nullptr, 0);
static FmtStructRow rowsWIH[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFStrucLength, nullptr, RF_STRUCLEN | 2),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), ROW(FmtFFormat, nullptr, 0),
    ROW(FmtFFlags, nullptr, 0), ROW(fServiceName, nullptr, 0),
    ROW(fServiceStep, nullptr, 0), ROW(fMsgToken, nullptr, 0),
    ROW(fReserved32, nullptr, 3), ROWEND };
static const unsigned char dfltWIH[] = {
    'W','I','H',' ', I4(1), I4(120), I4(0), I4(0), B8, I4(0), B32, B8, Z16, B32 };
DEF(FmtDefMQWIH, "Work Information Header (MQWIH)", 1, rowsWIH, dfltWIH);

/* ---- MQRMH: offset and length pairs into the header's own data ---- */
static FLD(fObjType8, "Object Type", FT_CHAR, 8, nullptr, 0);
static FLD(fObjInst, "Obj Inst. Id", FT_ID24, 24, nullptr, 0);
static FLD(fSrcEnvLen, "SrcEnvLength", FT_INT, 4, nullptr, 0);
static FLD(fSrcNameLen, "SrcNameLength", FT_INT, 4, nullptr, 0);
static FLD(fDstEnvLen, "DestEnvLength", FT_INT, 4, nullptr, 0);
static FLD(fDstNameLen, "DestNameLen.", FT_INT, 4, nullptr, 0);
static FLD(fSrcEnv, "Source Env.", FT_TEXT_BYLEN, 0, &fSrcEnvLen, 0);
static FLD(fSrcName, "Source Name", FT_TEXT_BYLEN, 0, &fSrcNameLen, 0);
static FLD(fDstEnv, "Dest. Env.", FT_TEXT_BYLEN, 0, &fDstEnvLen, 0);
static FLD(fDstName, "Dest. Name", FT_TEXT_BYLEN, 0, &fDstNameLen, 0);
static FmtStructRow rowsSrcEnv[] = { ROW(fSrcEnv, nullptr, 0), ROWEND };
static FmtStructRow rowsSrcName[] = { ROW(fSrcName, nullptr, 0), ROWEND };
static FmtStructRow rowsDstEnv[] = { ROW(fDstEnv, nullptr, 0), ROWEND };
static FmtStructRow rowsDstName[] = { ROW(fDstName, nullptr, 0), ROWEND };
static DEF(defSrcEnv, "!Source Env", 0, rowsSrcEnv, nullptr);
static DEF(defSrcName, "!Source Name", 0, rowsSrcName, nullptr);
static DEF(defDstEnv, "!Dest Env", 0, rowsDstEnv, nullptr);
static DEF(defDstName, "!Dest Name", 0, rowsDstName, nullptr);
static FLD(fSrcEnvOff, "SrcEnvOffset", FT_REC_OFFSET, 4, &defSrcEnv, 0);
static FLD(fSrcNameOff, "SrcNameOffset", FT_REC_OFFSET, 4, &defSrcName, 0);
static FLD(fDstEnvOff, "DestEnvOffset", FT_REC_OFFSET, 4, &defDstEnv, 0);
static FLD(fDstNameOff, "DestNameOff.", FT_REC_OFFSET, 4, &defDstName, 0);
static FLD(fDataLogLen, "DataLogLength", FT_INT, 4, nullptr, 0);
static FLD(fDataLogOff, "DataLogOffset", FT_INT, 4, nullptr, 0);
static FLD(fDataLogOff2, "DataLogOff2", FT_INT, 4, nullptr, 0);
static FmtStructRow rowsRMH[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFStrucLength, nullptr, RF_STRUCLEN),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT), ROW(FmtFFormat, nullptr, 0),
    ROW(FmtFFlags, nullptr, 0), ROW(fObjType8, nullptr, 0),
    ROW(fObjInst, nullptr, 0),
    ROW(fSrcEnvLen, nullptr, 0), ROW(fSrcEnvOff, nullptr, 0),
    ROW(fSrcNameLen, nullptr, 0), ROW(fSrcNameOff, nullptr, 0),
    ROW(fDstEnvLen, nullptr, 0), ROW(fDstEnvOff, nullptr, 0),
    ROW(fDstNameLen, nullptr, 0), ROW(fDstNameOff, nullptr, 0),
    ROW(fDataLogLen, nullptr, 0), ROW(fDataLogOff, nullptr, 0),
    ROW(fDataLogOff2, nullptr, 0), ROWEND };
static const unsigned char dfltRMH[] = {
    'R','M','H',' ', 1,0,0,0, 108,0,0,0, 0x22,0x02,0,0, 0,0,0,0,
    ' ',' ',' ',' ',' ',' ',' ',' ' };
DEF(FmtDefMQRMH, "Reference Message Header (MQRMH)", 1, rowsRMH, dfltRMH);

/* ---- MQTM and MQTMC2 ---- */
static FLD(fQName, "Queue Name", FT_CHAR, 48, nullptr, 0);
static FLD(fProcess, "Process Name", FT_CHAR, 48, nullptr, 0);
static FLD(fTrigData, "Trigger Data", FT_CHAR, 64, nullptr, 0);
static FLD(fApplType, "Appl Type", FT_INT, 4, FmtVnApplType, 0);
static FLD(fApplType4, "Appl Type", FT_CHAR, 4, nullptr, 0);
static FLD(fApplId, "Appl Id", FT_CHAR, 256, nullptr, 0);
static FLD(fEnvData, "Env Data", FT_CHAR, 128, nullptr, 0);
static FLD(fUserData, "User Data", FT_CHAR, 128, nullptr, 0);
static FLD(fQMgrName, "QMgr Name", FT_CHAR, 48, nullptr, 0);
static FLD(fVersion4, "Version", FT_CHAR, 4, nullptr, 0);
static FmtStructRow rowsTM[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(fQName, nullptr, 0), ROW(fProcess, nullptr, 0),
    ROW(fTrigData, nullptr, 0), ROW(fApplType, nullptr, 0),
    ROW(fApplId, nullptr, 0), ROW(fEnvData, nullptr, 0),
    ROW(fUserData, nullptr, 0), ROWEND };
static const unsigned char dfltTM[] = { 'T','M',' ',' ', 1,0,0,0 };
DEF(FmtDefMQTM, "Trigger Message (MQTM)", 1, rowsTM, dfltTM);
static FmtStructRow rowsTMC2[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(fVersion4, nullptr, 0),
    ROW(fQName, nullptr, 0), ROW(fProcess, nullptr, 0),
    ROW(fTrigData, nullptr, 0), ROW(fApplType4, nullptr, 0),
    ROW(fApplId, nullptr, 0), ROW(fEnvData, nullptr, 0),
    ROW(fUserData, nullptr, 0), ROW(fQMgrName, nullptr, RF_OPTIONAL),
    ROWEND };
static const unsigned char dfltTMC2[] = { 'T','M','C',' ', ' ',' ',' ','2' };
DEF(FmtDefMQTMC2, "Trigger Message (MQTMC2)", 1, rowsTMC2, dfltTMC2);

/* ---- MQEPH: own fields, then a PCF header and its parameters ---- */
extern FmtStructDef FmtDefPcfAdmin, FmtDefPcfEmbedded;
static FLD(fEphPcf, "PCF Header", FT_STRUCT, 0, &FmtDefPcfEmbedded, 0);
static FmtStructRow rowsEPH[] = {
    ROW(FmtFStrucId, nullptr, 2), ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(FmtFStrucLength, nullptr, RF_STRUCLEN),
    ROW(FmtFEncoding, nullptr, RF_ENCODING_NEXT | RF_APPLY_NOW),
    ROW(FmtFCcsid, nullptr, RF_CCSID_NEXT | RF_APPLY_NOW),
    ROW(FmtFFormat, nullptr, 0), ROW(FmtFFlags, nullptr, 0),
    ROW(fEphPcf, nullptr, 0), ROWEND };
static const unsigned char dfltEPH[] = {
    'E','P','H',' ', 1,0,0,0, 68,0,0,0, 0,0,0,0, 0,0,0,0,
    ' ',' ',' ',' ',' ',' ',' ',' ', 0,0,0,0,
    1,0,0,0, 36,0,0,0, 3,0,0,0, 0,0,0,0, 1,0,0,0, 1,0,0,0 };
DEF(FmtDefMQEPH, "Embedded PCF Header (MQEPH)", 1, rowsEPH, dfltEPH);

/* ---- The header chain and "Message Content" ---- */
#define FCOND(var, name) static const FmtCondition var[] = { { &FmtFFormat, 0, 0, name }, CEND }
FCOND(cDead, "MQDEAD  "); FCOND(cXmit, "MQXMIT  "); FCOND(cMde, "MQHMDE  ");
FCOND(cDist, "MQHDIST "); FCOND(cRf2, "MQHRF2  "); FCOND(cRf, "MQHRF   ");
FCOND(cCics, "MQCICS  "); FCOND(cIms, "MQIMS   "); FCOND(cWih, "MQHWIH  ");
FCOND(cEpcf, "MQHEPCF "); FCOND(cAny, "<ANYMSG>"); FCOND(cTrig, "MQTRIG  ");
FCOND(cAdmin, "MQADMIN "); FCOND(cPcf, "MQPCF   "); FCOND(cEvent, "MQEVENT ");
FCOND(cRef, "MQHREF  ");

extern FmtStructDef FmtDefPcfPcf, FmtDefPcfEvent;
static FLD(hDLH, "!MQDLH", FT_STRUCT, 0, &FmtDefMQDLH, 0);
static FLD(hXQH, "!XQH", FT_STRUCT, 0, &FmtDefXQH, 0);
static FLD(hMDE, "!MQMDE", FT_STRUCT, 0, &FmtDefMQMDE, 0);
static FLD(hDH, "!MQDH", FT_STRUCT, 0, &FmtDefMQDH, 0);
static FLD(hRFH2, "!MQRFH2", FT_STRUCT, 0, &FmtDefMQRFH2, 0);
static FLD(hRFH, "!MQRFH", FT_STRUCT, 0, &FmtDefMQRFH, 0);
static FLD(hCIH, "!MQCIH", FT_STRUCT, 0, &FmtDefMQCIH, 0);
static FLD(hIIH, "!MQIIH", FT_STRUCT, 0, &FmtDefMQIIH, 0);
static FLD(hWIH, "!MQWIH", FT_STRUCT, 0, &FmtDefMQWIH, 0);
static FLD(hRMH, "!MQRMH", FT_STRUCT, 0, &FmtDefMQRMH, 0);
static FLD(hEPH, "!MQEPH", FT_STRUCT, 0, &FmtDefMQEPH, 0);
static FLD(hTM, "!MQTM", FT_STRUCT, 0, &FmtDefMQTM, 0);
static FLD(hAdmin, "!MQCFH", FT_STRUCT, 0, &FmtDefPcfAdmin, 0);
static FLD(hPcf, "!MQCFH", FT_STRUCT, 0, &FmtDefPcfPcf, 0);
static FLD(hEvent, "!MQCFH", FT_STRUCT, 0, &FmtDefPcfEvent, 0);
FLD(FmtFMessageData, "Message Data", FT_MSGDATA, 0xFFFFFFFF, nullptr, 0);

static FmtStructRow rowsChain[] = {
    ROW(hDLH, cDead, 0), ROW(hXQH, cXmit, 0), ROW(hMDE, cMde, 0),
    ROW(hDH, cDist, 0), ROW(hRFH2, cRf2, 0), ROW(hRFH, cRf, 0),
    ROW(hCIH, cCics, 0), ROW(hIIH, cIms, 0), ROW(hWIH, cWih, 0),
    ROW(hRMH, cRef, 0), ROW(hEPH, cEpcf, 0),
    ROW(FmtFMessageData, cAny, RF_SHOW_EMPTY),
    ROW(hTM, cTrig, 0),
    ROW(hAdmin, cAdmin, RF_AT_REPEAT_START), ROW(hPcf, cPcf, RF_AT_REPEAT_START),
    ROW(hEvent, cEvent, RF_AT_REPEAT_START),
    ROWEND };
DEF(FmtDefHeaderChain, "", 0, rowsChain, nullptr);

static FLD(fHdr, "!MQHDR", FT_REPEAT, 0, &FmtDefHeaderChain, 0);
static FmtStructRow rowsContent[] = { ROW(fHdr, nullptr, 0), ROW(hRFH2, cRf2, 0), ROWEND };
FmtStructDef FmtDefMessageContent = { "Message Content", SK_CONTENT,
                                      rowsContent, nullptr, 0, 4, 0 };
