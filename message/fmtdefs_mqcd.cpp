/* Static definition of MQCD, the channel definition, as laid out on
 * Windows x86-64; fields of later versions carry their Version condition. */
#include "fmtdefs.h"

static FLD(fAlign8, "!align8", FT_ALIGN, 8, nullptr, 0);
static const FmtCondition cV9[] = { { &FmtFVersion, 9, INT_MAX, nullptr }, CEND };
static const FmtCondition cV10[] = { { &FmtFVersion, 10, INT_MAX, nullptr }, CEND };
static const FmtCondition cV11[] = { { &FmtFVersion, 11, INT_MAX, nullptr }, CEND };
static const FmtCondition cV12[] = { { &FmtFVersion, 12, INT_MAX, nullptr }, CEND };
static FLD(cdChannelName, "ChannelName", FT_CHAR, 20, nullptr, 0);
static FLD(cdChannelType, "ChannelType", FT_INT, 4, nullptr, 0);
static FLD(cdTransportType, "TransportType", FT_INT, 4, nullptr, 0);
static FLD(cdDesc, "Desc", FT_CHAR, 64, nullptr, 0);
static FLD(cdQMgrName, "QMgrName", FT_CHAR, 48, nullptr, 0);
static FLD(cdXmitQName, "XmitQName", FT_CHAR, 48, nullptr, 0);
static FLD(cdShortConnectionName, "ShConnName", FT_CHAR, 20, nullptr, 0);
static FLD(cdMCAName, "MCAName", FT_CHAR, 20, nullptr, 0);
static FLD(cdModeName, "ModeName", FT_CHAR, 8, nullptr, 0);
static FLD(cdTpName, "TpName", FT_CHAR, 64, nullptr, 0);
static FLD(cdBatchSize, "BatchSize", FT_INT, 4, nullptr, 0);
static FLD(cdDiscInterval, "DiscInterval", FT_INT, 4, nullptr, 0);
static FLD(cdShortRetryCount, "ShRtryCount", FT_INT, 4, nullptr, 0);
static FLD(cdShortRetryInterval, "ShRtryInt", FT_INT, 4, nullptr, 0);
static FLD(cdLongRetryCount, "LgRtryCount", FT_INT, 4, nullptr, 0);
static FLD(cdLongRetryInterval, "LgRtryInt", FT_INT, 4, nullptr, 0);
static FLD(cdSecurityExit, "SecurityExit", FT_CHAR, 128, nullptr, 0);
static FLD(cdMsgExit, "MsgExit", FT_CHAR, 128, nullptr, 0);
static FLD(cdSendExit, "SendExit", FT_CHAR, 128, nullptr, 0);
static FLD(cdReceiveExit, "ReceiveExit", FT_CHAR, 128, nullptr, 0);
static FLD(cdSeqNumberWrap, "SeqNumberWrap", FT_INT, 4, nullptr, 0);
static FLD(cdMaxMsgLength, "MaxMsgLength", FT_INT, 4, nullptr, 0);
static FLD(cdPutAuthority, "PutAuthority", FT_INT, 4, nullptr, 0);
static FLD(cdDataConversion, "DataConv", FT_INT, 4, nullptr, 0);
static FLD(cdSecurityUserData, "SecUsrData", FT_CHAR, 32, nullptr, 0);
static FLD(cdMsgUserData, "MsgUserData", FT_CHAR, 32, nullptr, 0);
static FLD(cdSendUserData, "SendUserData", FT_CHAR, 32, nullptr, 0);
static FLD(cdReceiveUserData, "RcvUsrData", FT_CHAR, 32, nullptr, 0);
static FLD(cdUserIdentifier, "UsrId", FT_CHAR, 12, nullptr, 0);
static FLD(cdPassword, "Password", FT_CHAR, 12, nullptr, 0);
static FLD(cdMCAUserIdentifier, "MCAUsrId", FT_CHAR, 12, nullptr, 0);
static FLD(cdMCAType, "MCAType", FT_INT, 4, nullptr, 0);
static FLD(cdConnectionName, "ConnName", FT_CHAR, 264, nullptr, 0);
static FLD(cdRemoteUserIdentifier, "RemUsrId", FT_CHAR, 12, nullptr, 0);
static FLD(cdRemotePassword, "RemPwd", FT_CHAR, 12, nullptr, 0);
static FLD(cdMsgRetryExit, "MsgRetryExit", FT_CHAR, 128, nullptr, 0);
static FLD(cdMsgRetryUserData, "MsgRtryUsrDat", FT_CHAR, 32, nullptr, 0);
static FLD(cdMsgRetryCount, "MsgRetryCount", FT_INT, 4, nullptr, 0);
static FLD(cdMsgRetryInterval, "MsgRtryInt", FT_INT, 4, nullptr, 0);
static FLD(cdHeartbeatInterval, "HbInt", FT_INT, 4, nullptr, 0);
static FLD(cdBatchInterval, "BatchInterval", FT_INT, 4, nullptr, 0);
static FLD(cdNonPersistentMsgSpeed, "NonPersMsgSpd", FT_INT, 4, nullptr, 0);
static FLD(cdStrucLength, "StrucLength", FT_INT, 4, nullptr, 0);
static FLD(cdExitNameLength, "ExitNameLen", FT_INT, 4, nullptr, 0);
static FLD(cdExitDataLength, "ExitDataLen", FT_INT, 4, nullptr, 0);
static FLD(cdMsgExitsDefined, "MsgExitsDefs", FT_INT, 4, nullptr, 0);
static FLD(cdSendExitsDefined, "SendExitsDefs", FT_INT, 4, nullptr, 0);
static FLD(cdReceiveExitsDefined, "RcvExitsDefs", FT_INT, 4, nullptr, 0);
static FLD(cdMsgExitPtr, "MsgExitPtr", FT_POINTER, 8, nullptr, 0);
static FLD(cdMsgUserDataPtr, "MsgUsrDataPtr", FT_POINTER, 8, nullptr, 0);
static FLD(cdSendExitPtr, "SendExitPtr", FT_POINTER, 8, nullptr, 0);
static FLD(cdSendUserDataPtr, "SendUsrDataPt", FT_POINTER, 8, nullptr, 0);
static FLD(cdReceiveExitPtr, "RcvExitPtr", FT_POINTER, 8, nullptr, 0);
static FLD(cdReceiveUserDataPtr, "RcvUsrDataPtr", FT_POINTER, 8, nullptr, 0);
static FLD(cdClusterPtr, "ClusterPtr", FT_POINTER, 8, nullptr, 0);
static FLD(cdClustersDefined, "ClustersDefs", FT_INT, 4, nullptr, 0);
static FLD(cdNetworkPriority, "NetPri", FT_INT, 4, nullptr, 0);
static FLD(cdLongMCAUserIdLength, "LgMCAUsrIdLen", FT_INT, 4, nullptr, 0);
static FLD(cdLongRemoteUserIdLength, "LgRemUsrIdLen", FT_INT, 4, nullptr, 0);
static FLD(cdLongMCAUserIdPtr, "LgMCAUsrIdPtr", FT_POINTER, 8, nullptr, 0);
static FLD(cdLongRemoteUserIdPtr, "LgRemUsrIdPtr", FT_POINTER, 8, nullptr, 0);
static FLD(cdMCASecurityId, "MCASecurityId", FT_HEX, 40, nullptr, 0);
static FLD(cdRemoteSecurityId, "RemSecId", FT_HEX, 40, nullptr, 0);
static FLD(cdSSLCipherSpec, "SSLCipherSpec", FT_CHAR, 32, nullptr, 0);
static FLD(cdSSLPeerNamePtr, "SSLPeerNamePt", FT_POINTER, 8, nullptr, 0);
static FLD(cdSSLPeerNameLength, "SSLPeerNameLe", FT_INT, 4, nullptr, 0);
static FLD(cdSSLClientAuth, "SSLClientAuth", FT_INT, 4, nullptr, 0);
static FLD(cdKeepAliveInterval, "KeepAliveInt", FT_INT, 4, nullptr, 0);
static FLD(cdLocalAddress, "LocalAddress", FT_CHAR, 48, nullptr, 0);
static FLD(cdBatchHeartbeat, "BatHb", FT_INT, 4, nullptr, 0);
static FLD(cdHdrCompList, "HdrCompList", FT_FIXED_ARRAY, 2, nullptr, 0);
static FLD(cdHdrCompListV, "Hdr Comp", FT_INT, 4, nullptr, 0);
static FLD(cdMsgCompList, "MsgCompList", FT_FIXED_ARRAY, 16, nullptr, 0);
static FLD(cdMsgCompListV, "Msg Comp", FT_INT, 4, nullptr, 0);
static FLD(cdCLWLChannelRank, "CLWLChlRank", FT_INT, 4, nullptr, 0);
static FLD(cdCLWLChannelPriority, "CLWLChlPri", FT_INT, 4, nullptr, 0);
static FLD(cdCLWLChannelWeight, "CLWLChlWt", FT_INT, 4, nullptr, 0);
static FLD(cdChannelMonitoring, "ChlMon", FT_INT, 4, nullptr, 0);
static FLD(cdChannelStatistics, "ChlStats", FT_INT, 4, nullptr, 0);
static FLD(cdSharingConversations, "ShrConvs", FT_INT, 4, nullptr, 0);
static FLD(cdPropertyControl, "PropCtl", FT_INT, 4, nullptr, 0);
static FLD(cdMaxInstances, "MaxInstances", FT_INT, 4, nullptr, 0);
static FLD(cdMaxInstancesPerClient, "MaxInstPerCln", FT_INT, 4, nullptr, 0);
static FLD(cdClientChannelWeight, "ClntChlWt", FT_INT, 4, nullptr, 0);
static FLD(cdConnectionAffinity, "ConnAff", FT_INT, 4, nullptr, 0);
static FLD(cdBatchDataLimit, "BatDataLim", FT_INT, 4, nullptr, 0);
static FLD(cdUseDLQ, "UseDLQ", FT_INT, 4, nullptr, 0);
static FLD(cdDefReconnect, "DefReconnect", FT_INT, 4, nullptr, 0);
static FLD(cdCertificateLabel, "CertLabel", FT_CHAR, 64, nullptr, 0);
static FLD(cdSPLProtection, "SPLProtection", FT_INT, 4, nullptr, 0);
static FmtStructRow rowsCD[] = {
    ROW(cdChannelName, nullptr, 0),
    ROW(FmtFVersion, nullptr, RF_VERSION),
    ROW(cdChannelType, nullptr, 0),
    ROW(cdTransportType, nullptr, 0),
    ROW(cdDesc, nullptr, 0),
    ROW(cdQMgrName, nullptr, 0),
    ROW(cdXmitQName, nullptr, 0),
    ROW(cdShortConnectionName, nullptr, 0),
    ROW(cdMCAName, nullptr, 0),
    ROW(cdModeName, nullptr, 0),
    ROW(cdTpName, nullptr, 0),
    ROW(cdBatchSize, nullptr, 0),
    ROW(cdDiscInterval, nullptr, 0),
    ROW(cdShortRetryCount, nullptr, 0),
    ROW(cdShortRetryInterval, nullptr, 0),
    ROW(cdLongRetryCount, nullptr, 0),
    ROW(cdLongRetryInterval, nullptr, 0),
    ROW(cdSecurityExit, nullptr, 0),
    ROW(cdMsgExit, nullptr, 0),
    ROW(cdSendExit, nullptr, 0),
    ROW(cdReceiveExit, nullptr, 0),
    ROW(cdSeqNumberWrap, nullptr, 0),
    ROW(cdMaxMsgLength, nullptr, 0),
    ROW(cdPutAuthority, nullptr, 0),
    ROW(cdDataConversion, nullptr, 0),
    ROW(cdSecurityUserData, nullptr, 0),
    ROW(cdMsgUserData, nullptr, 0),
    ROW(cdSendUserData, nullptr, 0),
    ROW(cdReceiveUserData, nullptr, 0),
    ROW(cdUserIdentifier, FmtCondV2, 0),
    ROW(cdPassword, FmtCondV2, 0),
    ROW(cdMCAUserIdentifier, FmtCondV2, 0),
    ROW(cdMCAType, FmtCondV2, 0),
    ROW(cdConnectionName, FmtCondV2, 0),
    ROW(cdRemoteUserIdentifier, FmtCondV2, 0),
    ROW(cdRemotePassword, FmtCondV2, 0),
    ROW(cdMsgRetryExit, FmtCondV3, 0),
    ROW(cdMsgRetryUserData, FmtCondV3, 0),
    ROW(cdMsgRetryCount, FmtCondV3, 0),
    ROW(cdMsgRetryInterval, FmtCondV3, 0),
    ROW(cdHeartbeatInterval, FmtCondV4, 0),
    ROW(cdBatchInterval, FmtCondV4, 0),
    ROW(cdNonPersistentMsgSpeed, FmtCondV4, 0),
    ROW(cdStrucLength, FmtCondV4, 0),
    ROW(cdExitNameLength, FmtCondV4, 0),
    ROW(cdExitDataLength, FmtCondV4, 0),
    ROW(cdMsgExitsDefined, FmtCondV4, 0),
    ROW(cdSendExitsDefined, FmtCondV4, 0),
    ROW(cdReceiveExitsDefined, FmtCondV4, 0),
    ROW(fAlign8, FmtCondV4, 0),
    ROW(cdMsgExitPtr, FmtCondV4, 0),
    ROW(cdMsgUserDataPtr, FmtCondV4, 0),
    ROW(cdSendExitPtr, FmtCondV4, 0),
    ROW(cdSendUserDataPtr, FmtCondV4, 0),
    ROW(cdReceiveExitPtr, FmtCondV4, 0),
    ROW(cdReceiveUserDataPtr, FmtCondV4, 0),
    ROW(cdClusterPtr, FmtCondV5, 0),
    ROW(cdClustersDefined, FmtCondV5, 0),
    ROW(cdNetworkPriority, FmtCondV5, 0),
    ROW(cdLongMCAUserIdLength, FmtCondV6, 0),
    ROW(cdLongRemoteUserIdLength, FmtCondV6, 0),
    ROW(cdLongMCAUserIdPtr, FmtCondV6, 0),
    ROW(cdLongRemoteUserIdPtr, FmtCondV6, 0),
    ROW(cdMCASecurityId, FmtCondV6, 0),
    ROW(cdRemoteSecurityId, FmtCondV6, 0),
    ROW(cdSSLCipherSpec, FmtCondV7, 0),
    ROW(cdSSLPeerNamePtr, FmtCondV7, 0),
    ROW(cdSSLPeerNameLength, FmtCondV7, 0),
    ROW(cdSSLClientAuth, FmtCondV7, 0),
    ROW(cdKeepAliveInterval, FmtCondV7, 0),
    ROW(cdLocalAddress, FmtCondV7, 0),
    ROW(cdBatchHeartbeat, FmtCondV7, 0),
    ROW(cdHdrCompList, FmtCondV8, 0), ROW(cdHdrCompListV, FmtCondV8, 0),
    ROW(cdMsgCompList, FmtCondV8, 0), ROW(cdMsgCompListV, FmtCondV8, 0),
    ROW(cdCLWLChannelRank, FmtCondV8, 0),
    ROW(cdCLWLChannelPriority, FmtCondV8, 0),
    ROW(cdCLWLChannelWeight, FmtCondV8, 0),
    ROW(cdChannelMonitoring, FmtCondV8, 0),
    ROW(cdChannelStatistics, FmtCondV8, 0),
    ROW(cdSharingConversations, FmtCondV8, 0),
    ROW(cdPropertyControl, cV9, 0),
    ROW(cdMaxInstances, cV9, 0),
    ROW(cdMaxInstancesPerClient, cV9, 0),
    ROW(cdClientChannelWeight, cV9, 0),
    ROW(cdConnectionAffinity, cV9, 0),
    ROW(cdBatchDataLimit, cV9, 0),
    ROW(cdUseDLQ, cV10, 0),
    ROW(cdDefReconnect, cV10, 0),
    ROW(cdCertificateLabel, cV11, 0),
    ROW(cdSPLProtection, cV12, 0),
    ROW(fAlign8, cV12, 0),
    ROWEND };
DEF(FmtDefMQCD, "Channel Definition (MQCD)", 0, rowsCD, nullptr);
