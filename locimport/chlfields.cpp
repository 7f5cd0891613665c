/* The channel field table: every field a stored channel record may hold,
 * the version that brought it, its width in the file, the PCF parameter
 * that names it and its place in the channel record; with the default
 * channel values. */
#include "ccdt.h"

#include <cstddef>
#include <cstring>

#define CD(f) (uint32_t)offsetof(CHLDEF, cd.f)
#define EX(f) (uint32_t)offsetof(CHLDEF, f)
#define CHR(n, v, f, w, pcf) { n, v, CHF_CHAR, w, pcf, CD(f), w }
#define PWD(n, v, f, w) { n, v, CHF_PASSWORD, w, 0, CD(f), w }
#define INT(n, v, f, pcf) { n, v, CHF_INT, 4, pcf, CD(f), 1 }
#define PTR(n, v, f, pcf) { n, v, CHF_PTR, 4, pcf, CD(f), 1 }

const CHLFIELD ChlFields[] = {
    CHR("Channel Name", 1, ChannelName, 20, 3501),
    INT("Version", 1, Version, 0),
    INT("Channel Type", 1, ChannelType, 1511),
    INT("Transport Type", 1, TransportType, 1501),
    CHR("Description", 1, Desc, 64, 3502),
    CHR("QMgr Name", 1, QMgrName, 48, 2015),
    CHR("XmitQ name", 1, XmitQName, 48, 0),
    CHR("Short Connection Name", 1, ShortConnectionName, 20, 0),
    CHR("MCA Name", 1, MCAName, 20, 0),
    CHR("Mode Name", 1, ModeName, 8, 0),
    CHR("Tp Name", 1, TpName, 64, 0),
    INT("Batch Size", 1, BatchSize, 0),
    INT("Disc. Interval", 1, DiscInterval, 1503),
    INT("Short Retry Count", 1, ShortRetryCount, 0),
    INT("Short Retry Interval", 1, ShortRetryInterval, 0),
    INT("Long Retry Count", 1, LongRetryCount, 0),
    INT("Long Retry Interval", 1, LongRetryInterval, 0),
    CHR("Security Exit", 1, SecurityExit, 128, 3508),
    CHR("Message Exit", 1, MsgExit, 128, 0),
    CHR("Send Exit", 1, SendExit, 128, 0),
    CHR("Receive Exit", 1, ReceiveExit, 128, 0),
    INT("Sequence Wrap", 1, SeqNumberWrap, 0),
    INT("Max Message Length", 1, MaxMsgLength, 1510),
    INT("Put Authority", 1, PutAuthority, 0),
    INT("Data Conversion", 1, DataConversion, 0),
    CHR("Security User Data", 1, SecurityUserData, 32, 3513),
    CHR("Message User Data", 1, MsgUserData, 32, 0),
    CHR("Send User Data", 1, SendUserData, 32, 0),
    CHR("Receive User Data", 1, ReceiveUserData, 32, 0),
    CHR("User Identifier", 2, UserIdentifier, 12, 0),
    PWD("Password", 2, Password, 12),
    CHR("MCA User Id", 2, MCAUserIdentifier, 12, 0),
    INT("MCA Type", 2, MCAType, 0),
    CHR("Connection Name", 2, ConnectionName, 264, 3506),
    CHR("Remote Useridentifer", 2, RemoteUserIdentifier, 12, 0),
    PWD("Remote Password", 2, RemotePassword, 12),
    CHR("Msg Retry Exit", 3, MsgRetryExit, 128, 0),
    CHR("Msg Retry User Data", 3, MsgRetryUserData, 32, 0),
    INT("Msg Retry Count", 3, MsgRetryCount, 0),
    INT("Msg Retry Interval", 3, MsgRetryInterval, 0),
    INT("Heartbeat Interval", 4, HeartbeatInterval, 1563),
    INT("Batch Interval", 4, BatchInterval, 0),
    INT("NPM Speed", 4, NonPersistentMsgSpeed, 0),
    INT("Struc Length", 4, StrucLength, 0),
    INT("Exit Name Length", 4, ExitNameLength, 0),
    INT("Exit Data Length", 4, ExitDataLength, 0),
    INT("Msg Exits Defined", 4, MsgExitsDefined, 0),
    INT("Snd Exits Defined", 4, SendExitsDefined, 0),
    INT("Rcv Exits Defined", 4, ReceiveExitsDefined, 0),
    PTR("Msg Exits Ptr", 4, MsgExitPtr, 0),
    PTR("Msg Data Ptr", 4, MsgUserDataPtr, 0),
    PTR("Snd Exits Ptr", 4, SendExitPtr, 3510),
    PTR("Snd Data Ptr", 4, SendUserDataPtr, 3515),
    PTR("Rcv Exits Ptr", 4, ReceiveExitPtr, 3511),
    PTR("Rcv Data Ptr", 4, ReceiveUserDataPtr, 3516),
    PTR("Cluster Ptr", 5, ClusterPtr, 0),
    INT("Clusters Defined", 5, ClustersDefined, 0),
    INT("Network Priority", 5, NetworkPriority, 0),
    INT("Long MCA UserId Length", 6, LongMCAUserIdLength, 0),
    INT("Long Remote UserId Length", 6, LongRemoteUserIdLength, 0),
    PTR("Long MCA Userid Ptr", 6, LongMCAUserIdPtr, 0),
    PTR("Long Remote Ptr", 6, LongRemoteUserIdPtr, 0),
    CHR("MCA Security Id", 6, MCASecurityId, 40, 0),
    CHR("Remote Security Id", 6, RemoteSecurityId, 40, 0),
    CHR("SSL Cipher Spec", 7, SSLCipherSpec, 32, 3544),
    PTR("SSL PeerName Ptr", 7, SSLPeerNamePtr, 3545),
    INT("SSL PeerName Length", 7, SSLPeerNameLength, 0),
    INT("SSL Client Auth", 7, SSLClientAuth, 0),
    INT("Keep Alive Int.", 7, KeepAliveInterval, 1566),
    CHR("Local Address", 7, LocalAddress, 48, 3520),
    INT("Batch Heartbeat", 7, BatchHeartbeat, 0),
    { "Hdr Comp", 8, CHF_INTS, 8, 1575, CD(HdrCompList), 2 },
    { "Msg Comp", 8, CHF_INTS, 64, 1576, CD(MsgCompList), 16 },
    INT("CLWL Rank", 8, CLWLChannelRank, 0),
    INT("CLWL Priority", 8, CLWLChannelPriority, 0),
    INT("CLWL Weight", 8, CLWLChannelWeight, 0),
    INT("Monitoring", 8, ChannelMonitoring, 0),
    INT("Statistics", 8, ChannelStatistics, 0),
    INT("Sharing Conversations", 9, SharingConversations, 1615),
    INT("Property Control", 9, PropertyControl, 0),
    INT("Maximum Instances", 9, MaxInstances, 0),
    INT("Max Instances per Client", 9, MaxInstancesPerClient, 0),
    INT("Client Channel Weight", 9, ClientChannelWeight, 1620),
    INT("Connection Affinity", 9, ConnectionAffinity, 1621),
    INT("Batch Data Limit", 10, BatchDataLimit, 0),
    INT("Use DLQ", 10, UseDLQ, 0),
    INT("Default Reconnect", 10, DefReconnect, 1640),
    CHR("Certificate Label", 11, CertificateLabel, 64, 2121),
    INT("SPL Protection", 12, SPLProtection, 0),
    { "End of MQCD Marker", 1, CHF_MARKER, 0, 0, EX(newSequence), 0 },
    { "New Sequence Number", 1, CHF_INT, 4, 0, EX(newSequence), 1 },
    { "Encrypt", 1, CHF_INT, 4, 0, EX(encrypt), 1 },
    { "ExitListsLen", 4, CHF_INT, 4, 0, EX(exitListsLen), 1 },
    { "Flags", 5, CHF_INT, 4, 0, EX(flags), 1 },
    { "Cluster", 5, CHF_CHAR, 48, 0, EX(cluster), 48 },
    { "Alter Time", 5, CHF_TIME, 4, 2028, EX(alterTime), 1 },
    { "Long MCA User", 6, CHF_CHAR, 64, 0, EX(longMcaUser), 64 },
    { nullptr, 0, CHF_END, 0, 0, 0, 0 },
};

const CHLFIELD *ChlFieldByPcf(int32_t pcfId)
{
    for (const CHLFIELD *f = ChlFields; f->kind != CHF_END; f++)
        if (f->pcfId == pcfId)
            return f;
    return nullptr;
}

size_t ChlStoredFieldBytes(int32_t version)
{
    if (version < 1 || version > CHL_MAX_VERSION)
        return 0;
    size_t n = 0;
    for (const CHLFIELD *f = ChlFields; f->kind != CHF_END; f++)
        if (f->version <= version)
            n += f->fileBytes;
    return n;
}

void ChlSetDefaults(CHLDEF *c)
{
    memset(c, 0, sizeof *c);
    MQCD *d = &c->cd;
    d->Version = CHL_MAX_VERSION;
    d->BatchSize = 50;
    d->DiscInterval = 6000;
    d->ShortRetryCount = 10;
    d->ShortRetryInterval = 60;
    d->LongRetryCount = 999999999;
    d->LongRetryInterval = 1200;
    d->SeqNumberWrap = 999999999;
    d->MaxMsgLength = 4194304;
    d->PutAuthority = 1;
    d->MCAType = 1;
    d->MsgRetryCount = 10;
    d->MsgRetryInterval = 1000;
    d->HeartbeatInterval = 300;
    d->NonPersistentMsgSpeed = 2;
    d->StrucLength = 1992;
    d->ExitNameLength = 128;
    d->ExitDataLength = 32;
    d->KeepAliveInterval = -1;
    d->CLWLChannelWeight = 50;
    d->SharingConversations = 10;
    d->MaxInstances = d->MaxInstancesPerClient = 999999999;
    d->ConnectionAffinity = 1;
    d->BatchDataLimit = 5000;
    d->UseDLQ = 2;
    for (int i = 0; i < 2; i++)
        d->HdrCompList[i] = i ? -1 : 0;
    for (int i = 0; i < 16; i++)
        d->MsgCompList[i] = i ? -1 : 0;
}
