/* Value tables of the static structure definitions: constant names and
 * descriptions of enumerated and flag fields, written from IBM MQ's
 * published constant names and values. */
#include "fmtdefs.h"

#define V(v, n, d) { (uint64_t)(int64_t)(v), n, d, 0 }
#define S(s, n, d) { (uint64_t)(uintptr_t)(s), n, d, 0 }
#define VEND { 0, nullptr, nullptr, 0 }

const FmtValueName FmtVnMsgType[] = {
    V(1, "MQMT_REQUEST", "Request msg"), V(2, "MQMT_REPLY", "Reply msg"),
    V(4, "MQMT_REPORT", "Report msg"), V(8, "MQMT_DATAGRAM", "Datagram"),
    V(112, "MQMT_MQE_FIELDS_FROM_MQE", "MQE fields from MQE"),
    V(113, "MQMT_MQE_FIELDS", "MQE fields"), VEND };

const FmtValueName FmtVnReport[] = {
    V(1, "MQRO_PAN", "Positive action notification"),
    V(2, "MQRO_NAN", "Negative action notification"),
    V(4, "MQRO_ACTIVITY", "Activity report"),
    V(64, "MQRO_PASS_CORREL_ID", "Pass correl. id"),
    V(128, "MQRO_PASS_MSG_ID", "Pass msg id"),
    V(1792, "MQRO_COA_WITH_FULL_DATA", "Confirm on arrival with full data"),
    V(768, "MQRO_COA_WITH_DATA", "Confirm on arrival with data"),
    V(256, "MQRO_COA", "Confirm on arrival"),
    V(14336, "MQRO_COD_WITH_FULL_DATA", "Confirm on delivery with full data"),
    V(6144, "MQRO_COD_WITH_DATA", "Confirm on delivery with data"),
    V(2048, "MQRO_COD", "Confirm on delivery"),
    V(16384, "MQRO_PASS_DISCARD_AND_EXPIRY", "Pass discard and expiry"),
    V(14680064, "MQRO_EXPIRATION_WITH_FULL_DATA", "Expiration with full data"),
    V(6291456, "MQRO_EXPIRATION_WITH_DATA", "Expiration with data"),
    V(2097152, "MQRO_EXPIRATION", "Expiration"),
    V(117440512, "MQRO_EXCEPTION_WITH_FULL_DATA", "Exception with full data"),
    V(50331648, "MQRO_EXCEPTION_WITH_DATA", "Exception with data"),
    V(16777216, "MQRO_EXCEPTION", "Exception"),
    V(134217728, "MQRO_DISCARD_MSG", "Discard msg"), VEND };

const FmtValueName FmtVnFeedback[] = {
    V(0, "MQFB_NONE", "None"), V(256, "MQFB_QUIT", "Quit"),
    V(258, "MQFB_EXPIRATION", "Expiration"),
    V(259, "MQFB_COA", "Confirm on arrival"),
    V(260, "MQFB_COD", "Confirm on delivery"),
    V(262, "MQFB_CHANNEL_COMPLETED", "Channel completed"),
    V(263, "MQFB_CHANNEL_FAIL_RETRY", "Channel fail retry"),
    V(264, "MQFB_CHANNEL_FAIL", "Channel fail"),
    V(265, "MQFB_APPL_CANNOT_BE_STARTED", "Appl cannot be started"),
    V(266, "MQFB_TM_ERROR", "Trigger message error"),
    V(267, "MQFB_APPL_TYPE_ERROR", "Appl type error"),
    V(268, "MQFB_STOPPED_BY_MSG_EXIT", "Stopped by msg exit"),
    V(269, "MQFB_ACTIVITY", "Activity"),
    V(271, "MQFB_XMIT_Q_MSG_ERROR", "Xmit queue msg error"),
    V(275, "MQFB_PAN", "Positive action notification"),
    V(276, "MQFB_NAN", "Negative action notification"),
    V(291, "MQFB_DATA_LENGTH_ZERO", "Data length zero"),
    V(292, "MQFB_DATA_LENGTH_NEGATIVE", "Data length negative"),
    V(293, "MQFB_DATA_LENGTH_TOO_BIG", "Data length too big"),
    V(294, "MQFB_BUFFER_OVERFLOW", "Buffer overflow"),
    V(295, "MQFB_LENGTH_OFF_BY_ONE", "Length off by one"),
    V(296, "MQFB_IIH_ERROR", "IIH error"), VEND };

const FmtValueName FmtVnPriority[] = {
    V(-1, "MQPRI_PRIORITY_AS_Q_DEF", "As Definition"),
    V(-2, "MQPRI_PRIORITY_AS_PARENT", "As Parent"),
    V(-3, "MQPRI_PRIORITY_AS_PUBLISHED", "As Published"),
    V(0, "0", "Lowest"), V(1, "1", "1"), V(2, "2", "2"), V(3, "3", "3"), V(4, "4", "4"),
    V(5, "5", "5"), V(6, "6", "6"), V(7, "7", "7"), V(8, "8", "8"), V(9, "9", "Highest"), VEND };

const FmtValueName FmtVnPersistence[] = {
    V(0, "MQPER_NOT_PERSISTENT", "Not persistent"),
    V(1, "MQPER_PERSISTENT", "Persistent"),
    V(2, "MQPER_PERSISTENCE_AS_Q_DEF", "As Definition"),
    V(-1, "MQPER_PERSISTENCE_AS_PARENT", "As Parent"), VEND };

const FmtValueName FmtVnApplType[] = {
    V(-1, "MQAT_UNKNOWN", "Unknown"), V(0, "MQAT_NO_CONTEXT", "No context"),
    V(1, "MQAT_CICS", "CICS"), V(2, "MQAT_ZOS", "z/OS"),
    V(3, "MQAT_IMS", "IMS"), V(4, "MQAT_OS2", "OS/2"), V(5, "MQAT_DOS", "DOS"),
    V(6, "MQAT_UNIX", "Unix"), V(7, "MQAT_QMGR", "Queue manager"),
    V(8, "MQAT_OS400", "IBM i"), V(9, "MQAT_WINDOWS", "Windows"),
    V(10, "MQAT_CICS_VSE", "CICS VSE"), V(11, "MQAT_WINDOWS_NT", "Windows NT"),
    V(12, "MQAT_VMS", "VMS"), V(13, "MQAT_NSK", "NonStop"),
    V(14, "MQAT_VOS", "VOS"), V(15, "MQAT_OPEN_TP1", "Open TP1"),
    V(18, "MQAT_VM", "VM"), V(19, "MQAT_IMS_BRIDGE", "IMS bridge"),
    V(20, "MQAT_XCF", "XCF"), V(21, "MQAT_CICS_BRIDGE", "CICS bridge"),
    V(22, "MQAT_NOTES_AGENT", "Notes agent"), V(23, "MQAT_TPF", "TPF"),
    V(25, "MQAT_USER", "User"), V(26, "MQAT_BROKER", "Broker"),
    V(28, "MQAT_JAVA", "Java"), V(29, "MQAT_DQM", "Distributed queue manager"),
    V(30, "MQAT_CHANNEL_INITIATOR", "Channel initiator"),
    V(31, "MQAT_WLM", "WLM"), V(32, "MQAT_BATCH", "Batch"),
    V(33, "MQAT_RRS_BATCH", "RRS batch"), V(34, "MQAT_SIB", "SIB"),
    V(35, "MQAT_SYSTEM_EXTENSION", "System extension"),
    V(36, "MQAT_MCAST_PUBLISH", "Multicast publish"),
    V(37, "MQAT_AMQP", "AMQP"), VEND };

const FmtValueName FmtVnMsgFlags[] = {
    V(1, "MQMF_SEGMENTATION_ALLOWED", "Segmentation allowed"),
    V(2, "MQMF_SEGMENT", "Segment"), V(4, "MQMF_LAST_SEGMENT", "Last segment"),
    V(8, "MQMF_MSG_IN_GROUP", "Msg in group"),
    V(16, "MQMF_LAST_MSG_IN_GROUP", "Last msg in group"), VEND };

const FmtValueName FmtVnPmrFields[] = {
    V(1, "MQPMRF_MSG_ID", "Msg id"), V(2, "MQPMRF_CORREL_ID", "Correl. id"),
    V(4, "MQPMRF_GROUP_ID", "Group id"), V(8, "MQPMRF_FEEDBACK", "Feedback"),
    V(16, "MQPMRF_ACCOUNTING_TOKEN", "Accounting token"), VEND };

const FmtValueName FmtVnEncodingInt[] = {
    V(1, "MQENC_INTEGER_NORMAL", "Normal integers"),
    V(2, "MQENC_INTEGER_REVERSED", "Reversed integers"),
    V(16, "MQENC_DECIMAL_NORMAL", "Normal decimals"),
    V(32, "MQENC_DECIMAL_REVERSED", "Reversed decimals"),
    V(256, "MQENC_FLOAT_IEEE_NORMAL", "IEEE floats"),
    V(512, "MQENC_FLOAT_IEEE_REVERSED", "Reversed IEEE floats"),
    V(768, "MQENC_FLOAT_S390", "S390 floats"),
    V(1024, "MQENC_FLOAT_TNS", "TNS floats"), VEND };

const FmtValueName FmtVnFormat[] = {
    S("        ", "MQFMT_NONE", "No format"),
    S("MQADMIN ", "MQFMT_ADMIN", "Admin PCF"),
    S("MQCHCOM ", "MQFMT_CHANNEL_COMPLETED", "Channel completed"),
    S("MQCICS  ", "MQFMT_CICS", "CICS header"),
    S("MQCMD1  ", "MQFMT_COMMAND_1", "Command 1"),
    S("MQCMD2  ", "MQFMT_COMMAND_2", "Command 2"),
    S("MQDEAD  ", "MQFMT_DEAD_LETTER_HEADER", "Dead letter header"),
    S("MQHDIST ", "MQFMT_DIST_HEADER", "Distribution header"),
    S("MQHEPCF ", "MQFMT_EMBEDDED_PCF", "Embedded PCF"),
    S("MQEVENT ", "MQFMT_EVENT", "Event"),
    S("MQIMS   ", "MQFMT_IMS", "IMS header"),
    S("MQIMSVS ", "MQFMT_IMS_VAR_STRING", "IMS variable string"),
    S("MQHMDE  ", "MQFMT_MD_EXTENSION", "MD extension"),
    S("MQPCF   ", "MQFMT_PCF", "PCF"),
    S("MQHREF  ", "MQFMT_REF_MSG_HEADER", "Reference msg header"),
    S("MQHRF   ", "MQFMT_RF_HEADER", "Rules and formatting header"),
    S("MQHRF2  ", "MQFMT_RF_HEADER_2", "Rules and formatting header 2"),
    S("MQSTR   ", "MQFMT_STRING", "String"),
    S("MQTRIG  ", "MQFMT_TRIGGER", "Trigger"),
    S("MQHWIH  ", "MQFMT_WORK_INFO_HEADER", "Work information header"),
    S("MQXMIT  ", "MQFMT_XMIT_Q_HEADER", "Transmission queue header"),
    S("MQHSAP  ", "MQFMT_SAP", "SAP header"), VEND };

const FmtValueName FmtVnCfType[] = {
    V(1, "MQCFT_COMMAND", "Command"), V(2, "MQCFT_RESPONSE", "Response"),
    V(3, "MQCFT_INTEGER", "Integer"), V(4, "MQCFT_STRING", "String"),
    V(5, "MQCFT_INTEGER_LIST", "Integer list"),
    V(6, "MQCFT_STRING_LIST", "String list"), V(7, "MQCFT_EVENT", "Event"),
    V(8, "MQCFT_USER", "User"), V(9, "MQCFT_BYTE_STRING", "Byte string"),
    V(10, "MQCFT_TRACE_ROUTE", "Trace route"), V(12, "MQCFT_REPORT", "Report"),
    V(13, "MQCFT_INTEGER_FILTER", "Integer filter"),
    V(14, "MQCFT_STRING_FILTER", "String filter"),
    V(15, "MQCFT_BYTE_STRING_FILTER", "Byte string filter"),
    V(16, "MQCFT_COMMAND_XR", "Command XR"), V(17, "MQCFT_XR_MSG", "XR msg"),
    V(18, "MQCFT_XR_ITEM", "XR item"), V(19, "MQCFT_XR_SUMMARY", "XR summary"),
    V(20, "MQCFT_GROUP", "Group"), V(21, "MQCFT_STATISTICS", "Statistics"),
    V(22, "MQCFT_ACCOUNTING", "Accounting"),
    V(23, "MQCFT_INTEGER64", "64-bit integer"),
    V(25, "MQCFT_INTEGER64_LIST", "64-bit integer list"),
    V(26, "MQCFT_APP_ACTIVITY", "Application activity"),
    V(27, "MQCFT_STATUS", "Status"), VEND };

const FmtValueName FmtVnControl[] = {
    V(0, "MQCFC_NOT_LAST", "Not last"), V(1, "MQCFC_LAST", "Last"), VEND };

const FmtValueName FmtVnCompCode[] = {
    V(0, "MQCC_OK", "OK"), V(1, "MQCC_WARNING", "Warning"),
    V(2, "MQCC_FAILED", "Failed"), V(-1, "MQCC_UNKNOWN", "Unknown"), VEND };

const FmtValueName FmtVnOperator[] = {
    V(1, "MQCFOP_LESS", "Less"), V(2, "MQCFOP_EQUAL", "Equal"),
    V(3, "MQCFOP_NOT_GREATER", "Not greater"), V(4, "MQCFOP_GREATER", "Greater"),
    V(5, "MQCFOP_NOT_EQUAL", "Not equal"), V(6, "MQCFOP_NOT_LESS", "Not less"),
    V(10, "MQCFOP_CONTAINS", "Contains"), V(13, "MQCFOP_EXCLUDES", "Excludes"),
    V(18, "MQCFOP_LIKE", "Like"), V(21, "MQCFOP_NOT_LIKE", "Not like"),
    V(26, "MQCFOP_CONTAINS_GEN", "Contains generic"),
    V(29, "MQCFOP_EXCLUDES_GEN", "Excludes generic"), VEND };

const FmtValueName FmtVnUowControl[] = {
    V(16, "MQCUOWC_MIDDLE", "Middle"), V(17, "MQCUOWC_FIRST", "First"),
    V(256, "MQCUOWC_COMMIT", "Commit"), V(272, "MQCUOWC_LAST", "Last"),
    V(273, "MQCUOWC_ONLY", "Only"), V(4352, "MQCUOWC_BACKOUT", "Backout"),
    V(65536, "MQCUOWC_CONTINUE", "Continue"), VEND };

const FmtValueName FmtVnLinkType[] = {
    V(1, "MQCLT_PROGRAM", "Program"), V(2, "MQCLT_TRANSACTION", "Transaction"),
    VEND };

const FmtValueName FmtVnTranState[] = {
    S("C", "MQITS_IN_CONVERSATION", "In conversation"),
    S(" ", "MQITS_NOT_IN_CONVERSATION", "Not in conversation"),
    S("A", "MQITS_ARCHITECTED", "Architected"), VEND };

const FmtValueName FmtVnCommitMode[] = {
    S("0", "MQICM_COMMIT_THEN_SEND", "Commit then send"),
    S("1", "MQICM_SEND_THEN_COMMIT", "Send then commit"), VEND };

const FmtValueName FmtVnSecurityScope[] = {
    S("C", "MQISS_CHECK", "Check"), S("F", "MQISS_FULL", "Full"), VEND };

const FmtValueName FmtVnObjectType[] = {
    V(1, "MQOT_Q", "Queue"), V(2, "MQOT_NAMELIST", "Namelist"),
    V(3, "MQOT_PROCESS", "Process"), V(4, "MQOT_STORAGE_CLASS", "Storage class"),
    V(5, "MQOT_Q_MGR", "Queue manager"), V(6, "MQOT_CHANNEL", "Channel"),
    V(7, "MQOT_AUTH_INFO", "Authentication information"),
    V(8, "MQOT_TOPIC", "Topic"), V(10, "MQOT_CF_STRUC", "CF structure"),
    V(11, "MQOT_LISTENER", "Listener"), V(12, "MQOT_SERVICE", "Service"),
    VEND };
