/* Connecting a location: the channel definition and its version, exits
 * and TLS, the connect-options version and its retry, the queue manager
 * name, credentials through the main window, and missing libraries. */
#include "enginetest.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cs.h"
#include "cssys.h"
#include "dialogs.h"
#include "prfdata.h"
#include "pwcache.h"

namespace {

/* A data area of the client-connection definition (or of another one),
 * filled as typed values. */
struct ClientArea {
    PCFCommandDef *def;
    uint8_t *area;
    explicit ClientArea(PCFCommandDef *d = &PCFClientChannelDef) : def(d)
    {
        PCFInitCommandDefs();
        area = PCFNewData(def, "pClCfgData");
    }
    ~ClientArea() { PCFFreeData(def, area, 1); }
    void *data() { return area; }
    /* a value as typed; a list field takes one more element */
    void Set(uint32_t id, const char *text)
    {
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, def->fields, id);
        ASSERT_NE(e, nullptr) << id;
        char message[200];
        EXPECT_EQ(PCFStoreText(def, area, e, text, -1, message, sizeof message), 0) << message;
    }
};

MQCD Convert(QMS *r, MQSCO **sco)
{
    MQCD cd;
    EXPECT_EQ(ConvertDataMQCD(r, &cd, sco), 0);
    return cd;
}

std::string Text(const char *field, size_t size)
{
    return Trim(field, size);
}

}  // namespace

TEST_F(EngineTest, ChannelVersionIsTheLowestThatCarriesEveryValue)
{
    QMS *r = Location("QM1", LF_CLIENT);
    ClientArea a;
    r->clientSettings = a.data();
    a.Set(MQCACH_CHANNEL_NAME, "APP.SVRCONN");
    a.Set(MQCACH_CONNECTION_NAME, "host(1414)");
    a.Set(MQIACH_HB_INTERVAL, "30");
    MQSCO *sco = nullptr;
    MQCD cd = Convert(r, &sco);
    EXPECT_EQ(cd.Version, 4);
    EXPECT_EQ(cd.StrucLength, 1568);
    EXPECT_EQ(Text(cd.ChannelName, 20), "APP.SVRCONN");
    EXPECT_EQ(Text(cd.ConnectionName, 264), "host(1414)");
    EXPECT_EQ(cd.HeartbeatInterval, 30);
    EXPECT_EQ(cd.MaxMsgLength, 104857600);
    EXPECT_EQ(sco, nullptr);

    MQCD label;
    MQEDefaultMQCD(&label);
    memcpy(label.CertificateLabel, "ibmwebspheremq", 14);
    ChooseMQCDVersion(&label);
    EXPECT_EQ(label.Version, 11);
    EXPECT_EQ(label.StrucLength, 1984);

    /* the last field of version 8 lies past the end the old table gave */
    a.Set(MQIACH_SHARING_CONVERSATIONS, "1");
    cd = Convert(r, &sco);
    EXPECT_EQ(cd.Version, 8);
    EXPECT_EQ(cd.StrucLength, 1888);
    EXPECT_EQ(cd.SharingConversations, 1);

    /* compression lists end with -1; the certificate label has its MQCD
       place */
    a.Set(MQIACH_MSG_COMPRESSION, "ZLIBFAST");
    a.Set(MQIACH_MSG_COMPRESSION, "RLE");
    a.Set(MQCA_CERT_LABEL, "mylabel");
    cd = Convert(r, &sco);
    EXPECT_EQ(cd.MsgCompList[0], MQCOMPRESS_ZLIBFAST);
    EXPECT_EQ(cd.MsgCompList[1], MQCOMPRESS_RLE);
    EXPECT_EQ(cd.MsgCompList[2], -1);
    EXPECT_EQ(cd.HdrCompList[0], MQCOMPRESS_NONE);
    EXPECT_EQ(Text(cd.CertificateLabel, 64), "mylabel");
    EXPECT_EQ(cd.Version, 11);
    EXPECT_EQ(sco, nullptr);
    r->clientSettings = nullptr;
}

TEST_F(EngineTest, ExitListsGetAUserDataEntryForEveryExit)
{
    QMS *r = Location("QM1", LF_CLIENT);
    ClientArea a;
    r->clientSettings = a.data();
    for (const char *exit : {"EXITA(entry)", "EXITB(entry)", "EXITC(entry)"})
        a.Set(MQCACH_SEND_EXIT_NAME, exit);
    MQSCO *sco = nullptr;
    MQCD cd = Convert(r, &sco);
    ASSERT_EQ(cd.SendExitsDefined, 3);
    ASSERT_NE(cd.SendUserDataPtr, nullptr);
    const char *names = (const char *)cd.SendExitPtr, *data = (const char *)cd.SendUserDataPtr;
    EXPECT_EQ(Text(names + 2 * cd.ExitNameLength, cd.ExitNameLength), "EXITC(entry)");
    EXPECT_EQ(std::string(data, 3 * cd.ExitDataLength), std::string(3 * cd.ExitDataLength, ' '));
    EXPECT_EQ(cd.ReceiveExitsDefined, 0);
    EXPECT_EQ(cd.ReceiveExitPtr, nullptr);
    EXPECT_EQ(cd.MsgExitsDefined, 0);
    MQEFreeChannel(&cd, &sco);

    a.Set(MQCACH_SEND_EXIT_USER_DATA, "first data");
    cd = Convert(r, &sco);
    data = (const char *)cd.SendUserDataPtr;
    EXPECT_EQ(Text(data, cd.ExitDataLength), "first data");
    EXPECT_EQ(std::string(data + cd.ExitDataLength, 2 * cd.ExitDataLength),
              std::string(2 * cd.ExitDataLength, ' '));
    MQEFreeChannel(&cd, &sco);
    EXPECT_EQ(cd.SendExitPtr, nullptr);
    r->clientSettings = nullptr;
}

TEST_F(EngineTest, TlsValuesOfTheChannelDefinition)
{
    QMS *r = Location("QM1", LF_CLIENT);
    ClientArea a;
    r->clientSettings = a.data();
    a.Set(MQCACH_SSL_CIPHER_SPEC, "TLS_RSA_WITH_AES_128_CBC_SHA256");
    a.Set(MQCACH_SSL_PEER_NAME, "CN=QM1,O=Example");
    MQSCO *sco = nullptr;
    MQCD cd = Convert(r, &sco);
    EXPECT_EQ(Text(cd.SSLCipherSpec, 32), "TLS_RSA_WITH_AES_128_CBC_SHA256");
    /* the peer name by pointer and length, the fields after it untouched */
    ASSERT_NE(cd.SSLPeerNamePtr, nullptr);
    EXPECT_EQ(std::string((const char *)cd.SSLPeerNamePtr, (size_t)cd.SSLPeerNameLength), "CN=QM1,O=Example");
    EXPECT_EQ(cd.KeepAliveInterval, MQKAI_AUTO);
    EXPECT_EQ(Text(cd.LocalAddress, 48), "");
    EXPECT_EQ(cd.Version, 7);
    EXPECT_EQ(sco, nullptr);                   /* nothing for an MQSCO */
    MQEFreeChannel(&cd, &sco);
    r->clientSettings = nullptr;
}

TEST_F(EngineTest, TlsValuesWithoutAnMqcdPlaceCountOnlyWithACipher)
{
    /* a definition that also holds the key repository, its password
       lookup and an LDAP user, none with an MQCD place */
    PCFInitCommandDefs();
    std::vector<PCFFieldEntry> fields;
    for (PCFFieldEntry *e = PCFClientChannelDef.fields; e->field; e++)
        fields.push_back(*e);
    auto field = [](uint32_t id, int16_t type, int32_t max) {
        PCFFieldDef f = {};
        f.title = "TLS";
        f.attrId = id;
        f.type = type;
        f.maximum = max;
        return f;
    };
    static const PCFFieldDef extra[] = {
        field(MQCA_SSL_KEY_REPOSITORY, PCFT_STRING, 256), field(10297, PCFT_INT, 1),
        field(MQCA_LDAP_USER_NAME, PCFT_STRING, 100), field(MQCACH_SSL_SHORT_PEER_NAME, PCFT_STRING, 256),
    };
    for (const PCFFieldDef &f : extra) {
        PCFFieldEntry e = {};
        e.field = &f;
        e.mqcdOffset = 0xFFFFFFFF;
        fields.push_back(e);
    }
    fields.push_back(PCFFieldEntry{});
    PCFCommandDef def = PCFClientChannelDef;
    def.fields = fields.data();
    PCFPrepareDef(&def);

    QMS *r = Location("QM1", LF_CLIENT);
    ClientArea a(&def);
    a.Set(MQCA_SSL_KEY_REPOSITORY, "C:\\keys\\client");
    a.Set(MQCA_LDAP_USER_NAME, "cn=ldap");
    a.Set(10297, "1");
    MQSCO *sco = nullptr;
    MQCD cd;
    ASSERT_EQ(MQEConvertChannel(&def, a.area, r, &cd, &sco), 0);
    EXPECT_EQ(sco, nullptr);                   /* no cipher: no TLS */
    EXPECT_EQ(r->kdbEntry, nullptr);

    a.Set(MQCACH_SSL_CIPHER_SPEC, "TLS_RSA_WITH_AES_128_CBC_SHA256");
    a.Set(MQCACH_SSL_SHORT_PEER_NAME, "CN=QM1");
    ASSERT_EQ(MQEConvertChannel(&def, a.area, r, &cd, &sco), 0);
    ASSERT_NE(sco, nullptr);
    EXPECT_EQ(Text(sco->KeyRepository, 256), "C:\\keys\\client");
    ASSERT_NE(r->kdbEntry, nullptr);
    EXPECT_EQ(sco->Version, 6);                /* the location now has TLS settings */
    EXPECT_EQ(sco->KeyRepoPasswordPtr, ((KDBS *)r->kdbEntry)->password);
    ASSERT_EQ(sco->AuthInfoRecCount, 1);
    EXPECT_EQ(std::string(sco->AuthInfoRecPtr->LDAPUserNamePtr, (size_t)sco->AuthInfoRecPtr->LDAPUserNameLength),
              "cn=ldap");
    EXPECT_EQ(std::string((const char *)cd.SSLPeerNamePtr, (size_t)cd.SSLPeerNameLength), "CN=QM1");
    EXPECT_GE(cd.Version, 7);
    MQEFreeChannel(&cd, &sco);
    EXPECT_EQ(sco, nullptr);
    r->kdbEntry = nullptr;
}

TEST_F(EngineTest, ConnectNameAndOptions)
{
    Mqsc("QM1", "DEFINE QLOCAL(APP.Q)");
    QMS *plain = Location("QM1");
    QMS *group = Location("QM1", LF_LOGNM);
    QMS *star = Location("*QM1", LF_LOGNM);
    for (QMS *r : {plain, group, star}) {
        MQHCONN h;
        MQIEntryTable *t;
        MQLONG cc, rc;
        char text[300];
        EXPECT_EQ(ConnectMQ(r, &h, &t, text, sizeof text, &cc, &rc), 0) << text;
        EXPECT_EQ(t, &MQServerTable);
        t->MQDISC(&h, &cc, &rc);
    }
    std::vector<MQCall> calls = Rec.Of("MQCONNX");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].object, "QM1");
    EXPECT_EQ(calls[1].object, "*QM1");
    EXPECT_EQ(calls[2].object, "*QM1");
    EXPECT_EQ(calls[0].cno.Version, MQCNO_VERSION_7);
    EXPECT_EQ(calls[0].cno.Options, MQCNO_HANDLE_SHARE_BLOCK);
    EXPECT_EQ(Trim(calls[0].cno.ApplName, 28), "Vorsk Software Ravolt");
}

TEST_F(EngineTest, CcdtUrlWithCredentialsRetriesWithTheUrlKept)
{
    Mqsc("QM1", "ALTER QMGR CUSTOM('SIMUSER(app) SIMPWD(secret)')");
    QMS *r = Location("QM1", LF_CLIENT | LF_USRP);
    CSStringSet(&r->ccdtUrl, "file:///var/mqm/ccdt.json", 25);
    Main.user = "app";
    Main.password = "secret";
    Rec.Fail("MQCONNX", "QM1", MQRC_CNO_ERROR);
    MQHCONN h;
    MQIEntryTable *t;
    MQLONG cc, rc;
    char text[300];
    EXPECT_EQ(ConnectMQ(r, &h, &t, text, sizeof text, &cc, &rc), 0) << text;
    EXPECT_EQ(t, &MQClientTable);
    std::vector<MQCall> calls = Rec.Of("MQCONNX");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].cno.Version, MQCNO_VERSION_7);
    EXPECT_EQ(calls[0].rc, MQRC_CNO_ERROR);
    EXPECT_GE(calls[1].cno.Version, 6);       /* not 5: the URL needs 6 */
    EXPECT_EQ(calls[1].ccdtUrl, "file:///var/mqm/ccdt.json");
    EXPECT_EQ(calls[1].cspUser, "app");
    EXPECT_EQ(calls[1].csp.AuthenticationType, MQCSP_AUTH_USER_ID_AND_PWD);
    EXPECT_EQ(calls[1].rc, 0);
    t->MQDISC(&h, &cc, &rc);
    CSStringSet(&r->ccdtUrl, nullptr, 0);
}

TEST_F(EngineTest, CredentialsComeFromThePromptOrTheConnectionFails)
{
    Mqsc("QM1", "ALTER QMGR CUSTOM('SIMUSER(app) SIMPWD(secret)')");
    QMS *r = Location("QM1", LF_USRP);
    MQHCONN h;
    MQIEntryTable *t;
    MQLONG cc, rc;
    char text[300];

    /* filled by the prompt: connected with them */
    Main.user = "app";
    Main.password = "secret";
    EXPECT_EQ(ConnectMQ(r, &h, &t, text, sizeof text, &cc, &rc), 0);
    ASSERT_EQ(Main.credentialRequests.size(), 1u);
    EXPECT_EQ(Main.credentialRequests[0].location, r);
    EXPECT_EQ(Main.credentialRequests[0].needUser, 1u);
    EXPECT_EQ(Rec.Of("MQCONNX").back().cspPassword, "secret");
    EXPECT_EQ(r->credentialsPending, 0);
    t->MQDISC(&h, &cc, &rc);

    /* the prompt left empty: reason 10, no call */
    CSFreeMemAndClear(&r->userId);
    CSFreeMemAndClear(&r->password);
    Main.fillCredentials = false;
    size_t calls = Rec.Count("MQCONNX");
    EXPECT_EQ(ConnectMQ(r, &h, &t, text, sizeof text, &cc, &rc), 10);
    EXPECT_EQ(cc, MQCC_FAILED);
    EXPECT_EQ(Rec.Count("MQCONNX"), calls);

    /* a wrong password: 2035, the location suspended, the remembered
     * password reported refused */
    Main.fillCredentials = true;
    Main.password = "wrong";
    Main.messages.clear();
    EXPECT_EQ(InitialiseMQ(r, &r->putThread.hConn, nullptr, nullptr, MQE_PUTSIDE), MQRC_NOT_AUTHORIZED);
    EXPECT_TRUE(r->state & LST2_AUTHFAILED);
    EXPECT_TRUE(r->status & LS_UNAVAILABLE);
    EXPECT_EQ(Main.Count(CRED_MSG_FORGET, r), 1u);
    EXPECT_NE(std::string(r->lastError ? r->lastError : "").find("RC(2035)"), std::string::npos);

    /* nobody to ask: no wait, reason 10 */
    CSFreeMemAndClear(&r->password);
    MQESetPort(nullptr);
    EXPECT_EQ(ConnectMQ(r, &h, &t, text, sizeof text, &cc, &rc), 10);
    EXPECT_EQ(r->credentialsPending, 0);
    static const MQEPORT none = { nullptr, [](void *, void *, uint32_t, uintptr_t, void *, int) { return 0; },
                                  nullptr };
    MQESetPort(&none);
    EXPECT_EQ(ConnectMQ(r, &h, &t, text, sizeof text, &cc, &rc), 10);
    RecordPort();
    Main.password = "wrong";

    /* keeping on after authorisation failures is a preference */
    Clock.Advance(5000);
    Prf.po[2] |= 0x2000;
    EXPECT_EQ(InitialiseMQ(r, &r->putThread.hConn, nullptr, nullptr, MQE_PUTSIDE), MQRC_NOT_AUTHORIZED);
    EXPECT_FALSE(r->state & LST2_AUTHFAILED);
}

TEST_F(EngineTest, ClientWithoutMqconnxIsRefusedWithItsText)
{
    QMS *r = Location("QM1", LF_CLIENT);
    ClientArea a;
    a.Set(MQCACH_CHANNEL_NAME, "APP.SVRCONN");
    MQIEntryTable saved = MQClientTable;
    MQClientTable.MQCONNX = nullptr;
    MQHCONN h;
    MQIEntryTable *t;
    MQLONG cc, rc;
    char text[300];
    r->clientSettings = a.data();
    EXPECT_EQ(ConnectMQ(r, &h, &t, text, sizeof text, &cc, &rc), MQRC_ENVIRONMENT_ERROR);
    EXPECT_STREQ(text, "The IBM MQ client must support MQCONNX. RC(2012)");
    EXPECT_STREQ(r->lastError, text);
    EXPECT_TRUE(r->status & LS_UNAVAILABLE);
    r->clientSettings = nullptr;
    CSStringSet(&r->ccdtUrl, "http://host/ccdt.json", 21);
    EXPECT_EQ(ConnectMQ(r, &h, &t, text, sizeof text, &cc, &rc), MQRC_ENVIRONMENT_ERROR);
    EXPECT_STREQ(text, "The IBM MQ client must support MQCONNX to use the CCDT URL. RC(2012)");
    CSStringSet(&r->ccdtUrl, nullptr, 0);
    /* a client library that cannot be loaded: the system's reason with the
       message, the end of a name too long to show whole before it */
    MQClientTable = {};
    std::string dir(600, 'p'), name = dir + "/mqic.dll";
#ifdef _WIN32
    const int tooLong = 206;
    _putenv_s("RAVOLT_MQLIBNAME", name.c_str());
#else
    const int tooLong = ENAMETOOLONG;
    setenv("RAVOLT_MQLIBNAME", name.c_str(), 1);
#endif
    char big[600], said[200];
    ConnectMQ(r, &h, &t, big, sizeof big, &cc, &rc);
#ifdef _WIN32
    _putenv_s("RAVOLT_MQLIBNAME", "");
#else
    unsetenv("RAVOLT_MQLIBNAME");
#endif
    MQClientTable = saved;
    EXPECT_EQ(rc, MQRC_ENVIRONMENT_ERROR);
    CSSysErrorText(tooLong, said, sizeof said);
    std::string end = ") on this machine. errno(" + std::to_string(tooLong) + ") " + said;
    EXPECT_GT(strlen(said), 5u);
    EXPECT_EQ(std::string(big), "Can not find IBM MQ client (..." + dir.substr(0, 248) + "/mqic.dll" + end);
}
