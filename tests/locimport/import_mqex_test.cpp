/* Import from MQ Explorer export files, without windows: the handles of
 * a fixture written from the reader's markers (no public export exists),
 * their attributes, cipher names, security exits and sets, the locations
 * built from them, and files without handles. */
#include "loctest.h"

using namespace loctest;

TEST_F(ImportTest, ExplorerHandlesAndTheirAttributes)
{
    IMPORTLIST *list = ReadList(IMP_MQEX | IMP_SETGROUP | IMP_SETNAMES, DataDir() + "mqexplorer.xml");
    EXPECT_TRUE(Seen().boxes.empty()) << LastBox();
    std::vector<std::string> names;
    for (IMPORTENTRY *e : Entries(list))
        names.push_back(e->qmName);
    /* the handles of the connection information only, a nameless one left out, reversed */
    EXPECT_EQ(names, (std::vector<std::string>{"QM.SPACED", "QM.CCDT", "QM.VIA", "QM.NOEXIT", "QM.EXIT",
                                               "QM.EXPORT", "QM.3DES", "QM.SSL", "QM.TLS", "QM.PLAIN"}));
    IMPORTENTRY *plain = Entry(list, "QM.PLAIN");
    EXPECT_STREQ(plain->channel, "SYSTEM.DEF.SVRCONN");
    EXPECT_STREQ(plain->connection, "plainhost(1414)");
    EXPECT_EQ(plain->platform, 3);
    EXPECT_EQ(plain->commandLevel, 930);
    EXPECT_EQ(plain->autoReconnect, 1);
    IMPORTENTRY *tls = Entry(list, "QM.TLS");
    EXPECT_STREQ(tls->connection, "h1(1414),h2(1415)");
    EXPECT_STREQ(tls->cipher, "TLS_RSA_WITH_AES_128_CBC_SHA256");
    EXPECT_STREQ(tls->peerName, "CN=\"QM TLS\",O=Example");
    EXPECT_STREQ(tls->userId, "app1");
    EXPECT_STREQ(Entry(list, "QM.SSL")->cipher, "TLS_RSA_WITH_AES_128_CBC_SHA");
    EXPECT_STREQ(Entry(list, "QM.3DES")->cipher, "TLS_RSA_WITH_3DES_EDE_CBC_SHA");
    EXPECT_STREQ(Entry(list, "QM.EXPORT")->cipher, "SSL_RSA_EXPORT_WITH_RC4_40_MD5");
    EXPECT_STREQ(Entry(list, "QM.EXIT")->securityExit, "/opt/exits/secexit(SecEntry)");
    EXPECT_STREQ(Entry(list, "QM.EXIT")->securityData, "exitdata");
    EXPECT_STREQ(Entry(list, "QM.NOEXIT")->securityExit, "");
    IMPORTENTRY *via = Entry(list, "QM.VIA");
    EXPECT_EQ(std::string(via->viaQm), std::string("QM.GATEWAY.WITH.A.NAME.OF.FIFTY.CHARACTERS.XXXXXXX").substr(0, 48));
    EXPECT_EQ(via->viaConnection, 1);
    EXPECT_STREQ(Entry(list, "QM.CCDT")->ccdt, "file:///var/mqm/AMQCLCHL.TAB");
    EXPECT_STREQ(Entry(list, "QM.SPACED")->connection, "spaced(1)");

    /* sets: "All" ignored; the first set a handle is in is its group, the
       short-named ones its network names */
    EXPECT_STREQ(plain->group, "Production");
    EXPECT_STREQ(plain->networkNames, "Production,Test");
    EXPECT_STREQ(tls->group, "Production");
    EXPECT_STREQ(tls->networkNames, "Production");
    EXPECT_STREQ(Entry(list, "QM.SSL")->group, "Test");
    EXPECT_STREQ(Entry(list, "QM.3DES")->group, "A set name that is longer than forty-eight chara");
    EXPECT_STREQ(Entry(list, "QM.3DES")->networkNames, "");
    ImportListFree(list);
}

TEST_F(ImportTest, ExplorerLocationsWithTheirClientSettings)
{
    IMPORTLIST *list = ReadList(IMP_MQEX | IMP_SETGROUP | IMP_SETNAMES, DataDir() + "mqexplorer.xml");
    std::vector<IMPORTENTRY *> rows = Entries(list);
    EXPECT_EQ(ImportEntries(list, rows.data(), (int)rows.size(), "TYPED", "typed", 0), (int)rows.size());
    EXPECT_EQ(Seen().boxes.back().caption, "MQ Explorer Import Result");
    EXPECT_EQ(LastBox(), "10 locations imported");

    QMS *plain = LocFind("QM.PLAIN");
    EXPECT_TRUE(plain->flags & LF_CLIENT);
    EXPECT_TRUE(plain->flags & LF_AUTO);
    EXPECT_EQ(plain->platform, 3);
    EXPECT_EQ(plain->commandLevel, 930);
    EXPECT_STREQ(plain->groupName, "Production");
    EXPECT_STREQ(plain->networkNames, "Production,Test");
    EXPECT_NE(Client(plain).find(" 3501=\"SYSTEM.DEF.SVRCONN\""), std::string::npos);
    EXPECT_NE(Client(plain).find(" 3506=\"plainhost(1414)\""), std::string::npos);
    EXPECT_NE(Client(plain).find(" 1501=2"), std::string::npos);

    QMS *tls = LocFind("QM.TLS");
    EXPECT_TRUE(tls->flags & LF_USRP);
    ASSERT_NE(tls->userId, nullptr);
    EXPECT_STREQ(tls->userId, "app1");
    EXPECT_NE(Client(tls).find(" 3544=\"TLS_RSA_WITH_AES_128_CBC_SHA256\""), std::string::npos);
    EXPECT_NE(Client(tls).find(" 3545=\"CN=~\"QM TLS~\",O=Example\""), std::string::npos);
    EXPECT_NE(Client(LocFind("QM.EXIT")).find(" 3508=\"/opt/exits/secexit(SecEntry)\""), std::string::npos);
    EXPECT_NE(Client(LocFind("QM.EXIT")).find(" 3513=\"exitdata\""), std::string::npos);
    EXPECT_EQ(Client(LocFind("QM.NOEXIT")).find(" 3508="), std::string::npos);

    QMS *via = LocFind("QM.VIA");
    EXPECT_EQ(strlen(via->viaQm), 48u);
    EXPECT_STREQ(via->replyModel, "");
    EXPECT_TRUE(via->flags & LF_MVS);
    EXPECT_STREQ(via->commandQueue, "SYSTEM.COMMAND.INPUT");
    /* no set: the typed group and names */
    EXPECT_STREQ(via->groupName, "TYPED");
    EXPECT_STREQ(via->networkNames, "typed");
    QMS *ccdt = LocFind("QM.CCDT");
    EXPECT_TRUE(ccdt->flags & LF_CLIENT);
    EXPECT_EQ(ccdt->clientSettings, nullptr);
    ImportListFree(list);
}

TEST_F(ImportTest, ExplorerSetsOnlyWhenChosen)
{
    IMPORTLIST *list = ReadList(IMP_MQEX, DataDir() + "mqexplorer.xml");
    IMPORTENTRY *plain = Entry(list, "QM.PLAIN");
    EXPECT_EQ(ImportEntries(list, &plain, 1, "TYPED", "typed", 0), 1);
    EXPECT_STREQ(LocFind("QM.PLAIN")->groupName, "TYPED");
    EXPECT_STREQ(LocFind("QM.PLAIN")->networkNames, "typed");
    /* defined now: listed with the exists mark */
    ImportListFree(list);
    list = ReadList(IMP_MQEX, DataDir() + "mqexplorer.xml");
    EXPECT_TRUE(Entry(list, "QM.PLAIN")->exists);
    EXPECT_FALSE(Entry(list, "QM.TLS")->exists);
    ImportListFree(list);
}

TEST_F(ImportTest, ExplorerCipherWiderThanTheChannelField)
{
    IMPORTLIST *list = ImportListCreate(IMP_MQEX);
    std::string wide(64, 'C');
    std::string text = "<category IMemento.internal.id=\"com.ibm.mq.explorer.ui.category.conn.info\">"
                       "<subcategory IMemento.internal.id=\"com.ibm.mq.explorer.ui.subcategory.handles\">"
                       "<QueueManagerHandle name=\"QW\" channel=\"W.CHL\" sslciphersuite=\"" + wide + "\" "
                       "connName=\"" + std::string(266, 'h') + "\"/></subcategory>";
    ParseMQExplorerXml(list, text.c_str());
    ASSERT_NE(Entry(list, "QW"), nullptr);
    EXPECT_EQ(strlen(Entry(list, "QW")->connection), 264u);
    IMPORTENTRY *e = Entry(list, "QW");
    EXPECT_EQ(ImportEntries(list, &e, 1, "", "", 0), 1);
    EXPECT_NE(Client(LocFind("QW")).find(" 3544=\"" + std::string(32, 'C') + "\"\n"), std::string::npos);
    ImportListFree(list);
}

TEST_F(ImportTest, ExplorerFilesWithoutHandles)
{
    struct { std::string file, box; } cases[] = {
        {"", "Please enter an MQ Explorer Configuration XML Export file name"},
        {DataDir() + "mqexplorer_nohandles.xml", "No MQ Explorer Client Locations found in the file."},
        {DataDir() + "absent.xml", "Can not open file '" + DataDir() + "absent.xml'"},
    };
    for (auto &c : cases) {
        Seen().boxes.clear();
        IMPORTLIST *list = ReadList(IMP_MQEX, c.file);
        ASSERT_EQ(Seen().boxes.size(), 1u) << c.file;
        EXPECT_EQ(LastBox(), c.box);
        EXPECT_EQ(Seen().boxes[0].caption, "MQ Explorer Import Error");
        EXPECT_EQ(list->entries, nullptr);
        ImportListFree(list);
    }
}

TEST(ExplorerTokens, AttributeTokenizer)
{
    const char *p = "  <Q a=\"x y\" b=w-1 c<>d e!=f g>=h i<=j k==l m;n,\"&quot;q&quot;&amp;\"\t\r\n";
    std::vector<std::string> tokens;
    char token[64];
    int n;
    while (!ScanToken(&p, token, sizeof token, &n)) {
        EXPECT_EQ((int)strlen(token), n);
        tokens.push_back(token);
    }
    EXPECT_EQ(tokens, (std::vector<std::string>{"<", "Q", "a", "=", "x y", "b", "=", "w", "-", "1", "c", "<>", "d",
                                                "e", "!=", "f", "g", ">=", "h", "i", "<=", "j", "k", "==", "l",
                                                "m", ";", "n", ",", "\"q\"&amp;"}));
    /* a token longer than the buffer is cut to it */
    const char *longText = "abcdefghijklmnopqrstuvwxyz next";
    ASSERT_EQ(ScanToken(&longText, token, 8, &n), 0);
    EXPECT_STREQ(token, "abcdefg");
    ASSERT_EQ(ScanToken(&longText, token, 8, &n), 0);
    EXPECT_STREQ(token, "next");

    IMPORTENTRY e = {};
    EXPECT_EQ(ParseQMgrHandle("<QueueManagerHandle name=&quot;QQ&quot; platform=99999999999>", &e), 1);
    EXPECT_STREQ(e.qmName, "&");                /* "&" is a token of its own */
    EXPECT_EQ(e.platform, INT32_MAX);
    IMPORTENTRY q = {};
    EXPECT_EQ(ParseQMgrHandle("<QueueManagerHandle name=\"&quot;QQ&quot;\" channel>", &q), 1);
    EXPECT_STREQ(q.qmName, "QQ");               /* quotes left by the entity are dropped */
}
