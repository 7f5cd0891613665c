/* Import from channel tables, without windows: the list read from a table,
 * the locations built from selected rows (MVS, groups and network names,
 * client settings), the result texts, tables named without their kind,
 * and the "QM Group" preset. */
#include "ccdtfixtures.h"
#include "cfgfile.h"
#include "loctest.h"

using namespace loctest;

namespace {

const std::string MTLS = Sample("ccdt-binary", "ewiger__ibm-mq-mtls__ccdt_AMQCLCHL.TAB");

std::vector<std::string> Names(IMPORTLIST *list)
{
    std::vector<std::string> v;
    for (IMPORTENTRY *e : Entries(list))
        v.push_back(std::string(e->qmName) + "/" + e->channel + "/" + e->connection);
    return v;
}

}  // namespace

TEST_F(ImportTest, CcdtListIsTheTableReversedWithBlankQueueManagers)
{
    IMPORTLIST *list = ReadList(IMP_CCDT, MTLS);
    EXPECT_TRUE(Seen().boxes.empty()) << LastBox();
    EXPECT_EQ(Names(list), (std::vector<std::string>{"<Blank>/SYSTEM.DEF.CLNTCONN/", "QM1/CERT.SVRCONN_CLNT/ibmmq(1414)",
                                                     "QM1/CERT.SVRCONN/ibmmq(1414)"}));
    for (IMPORTENTRY *e : Entries(list)) {
        EXPECT_TRUE(e->selectable);
        EXPECT_EQ(e->position, 0);
    }
    /* three rows chosen, two locations made: the count is of those made */
    std::vector<IMPORTENTRY *> rows = Entries(list);
    EXPECT_EQ(ImportEntries(list, rows.data(), 3, "", "", 0), 2);
    EXPECT_EQ(LastBox(), "2 locations imported");
    ImportListFree(list);
}

TEST_F(ImportTest, TwoChannelsOfOneQueueManagerMakeOneMvsLocation)
{
    IMPORTLIST *list = ReadList(IMP_CCDT, MTLS);
    std::vector<IMPORTENTRY *> rows = {Entry(list, "QM1"), Entries(list)[2]};
    EXPECT_EQ(ImportEntries(list, rows.data(), 2, "GROUP.A", "net1,net2", 1), 1);
    ASSERT_EQ(Seen().boxes.size(), 1u);
    EXPECT_EQ(Seen().boxes[0].text, "Location imported");
    EXPECT_EQ(Seen().boxes[0].caption, "CCDT Import Result");
    EXPECT_EQ(Seen().boxes[0].error, 0);
    QMS *r = LocFind("QM1");
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->locationName, "QM1");
    EXPECT_EQ(r->platform, 1);
    EXPECT_TRUE(r->flags & LF_MVS);
    EXPECT_TRUE(r->flags & LF_CLIENT);
    EXPECT_STREQ(r->commandQueue, "SYSTEM.COMMAND.INPUT");
    EXPECT_STREQ(r->groupName, "GROUP.A");
    EXPECT_STREQ(r->networkNames, "net1,net2");
    char channel[CHL_NAME + 1], conn[265];
    ImportClientNames(r, channel, conn);
    EXPECT_STREQ(channel, "CERT.SVRCONN_CLNT");     /* the first row imported */
    EXPECT_STREQ(conn, "ibmmq(1414)");
    EXPECT_NE(Client(r).find(" 3544=\"TLS_RSA_WITH_AES_256_CBC_SHA256\""), std::string::npos);
    EXPECT_TRUE(rows[0]->exists);
    EXPECT_FALSE(rows[1]->exists);

    /* now defined: both rows exist, hidden when asked */
    ImportMarkEntries(list);
    for (IMPORTENTRY *e : rows) {
        EXPECT_TRUE(e->exists);
        EXPECT_FALSE(e->selectable);
        EXPECT_TRUE(ImportEntryShown(list, e, 0));
        EXPECT_FALSE(ImportEntryShown(list, e, 1));
    }
    EXPECT_TRUE(ImportEntryShown(list, Entry(list, "<Blank>"), 1));
    EXPECT_EQ(ImportEntries(list, nullptr, 0, "", "", 0), 0);
    EXPECT_EQ(LastBox(), "No locations selected");
    /* a channel without a queue manager becomes a location named "<Blank>" */
    IMPORTENTRY *blank = Entry(list, "<Blank>");
    EXPECT_EQ(ImportEntries(list, &blank, 1, "", "", 0), 1);
    QMS *b = LocFind("<Blank>");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->platform, 0);
    EXPECT_FALSE(b->flags & LF_MVS);
    EXPECT_STREQ(b->commandQueue, "SYSTEM.ADMIN.COMMAND.QUEUE");
    ImportListFree(list);
}

TEST_F(ImportTest, ImportedChannelSurvivesASave)
{
    IMPORTLIST *list = ReadList(IMP_CCDT, MTLS);
    IMPORTENTRY *row = Entries(list)[2];
    ASSERT_EQ(ImportEntries(list, &row, 1, "", "", 0), 1);
    QMS *r = LocFind("QM1");
    std::string path = TempDir("save") + "/saved.cfg";
    FILE *f = fopen(path.c_str(), "wb");
    fputs("AP:\n", f);
    CfgFileWriteLocation(r, f);
    fclose(f);
    CSTREE *tree = nullptr;
    char error[CFG_ERROR_TEXT] = "";
    CfgFileRead(path.c_str(), &tree, 1, error);
    ASSERT_NE(tree, nullptr) << error;
    QMS *back = (QMS *)CSTreeFirst(tree);
    EXPECT_TRUE(PCFCompareData(&PCFClientChannelDef, (const uint8_t *)r->clientSettings,
                              (const uint8_t *)back->clientSettings));
    char channel[CHL_NAME + 1], conn[265];
    ImportClientNames(back, channel, conn);
    EXPECT_STREQ(channel, "CERT.SVRCONN");
    EXPECT_STREQ(conn, "ibmmq(1414)");
    EXPECT_TRUE(back->flags & LF_CLIENT);
    EXPECT_FALSE(LocDiffers(r, back));
    ImportEmptyTree(&tree);
    ImportListFree(list);
}

TEST_F(ImportTest, ClientSettingsFromAChannel)
{
    std::string dir = TempDir("convert");
    std::string path = dir + "/full.json";
    WriteText(path, "{\"channel\": [{\"name\": \"FULL.CHL\", \"clientConnection\": {\"connection\": "
                    "[{\"host\": \"h\", \"port\": 1}], \"queueManager\": \"QMF\"},"
                    "\"compression\": {\"header\": [\"system\"], \"message\": [\"rle\", \"zlibfast\"]},"
                    "\"exits\": {\"send\": [{\"name\": \"s1\", \"userData\": \"d~1\"}, {\"name\": \"s\\\"2\"}]},"
                    "\"transmissionSecurity\": {\"certificatePeerName\": \"CN=x\"}}]}");
    IMPORTLIST *list = ReadList(IMP_CCDT, path);
    ASSERT_EQ(Entries(list).size(), 1u) << LastBox();
    IMPORTENTRY *row = Entries(list)[0];
    EXPECT_EQ(row->position, 1);
    ASSERT_EQ(ImportEntries(list, &row, 1, "", "", 0), 1);
    std::string cln = Client(LocFind("QMF"));
    for (const char *line : {" 3501=\"FULL.CHL\"", " 1511=6", " 1501=2", " 3506=\"h(1)\"", " 1575=1 8",
                             " 1576=2 1 2", " 3510=2\n\"s1\"\n\"s~\"2\"", " 3515=2\n\"d~~1\"\n\"\"",
                             " 3545=\"CN=x\"", " 1566=-1", " 2015=\"QMF\""})
        EXPECT_NE(cln.find(line), std::string::npos) << line << "\n" << cln;
    /* empty lists and texts are not written */
    for (const char *id : {" 3511=", " 3516=", " 3508=", " 3544=", " 2121="})
        EXPECT_EQ(cln.find(id), std::string::npos) << id;
    ImportListFree(list);
}

TEST_F(ImportTest, JsonTableNamedWithoutItsKindIsReadAndImported)
{
    std::string path = TempDir("kind") + "/table.dat";
    WriteText(path, ReadText(Sample("ccdt-json", "bdsaen__mqtoolbox__MQSamples_AMQCLCHL_MANY_QMGRS.JSON")));
    EXPECT_EQ(ImportCcdtIsJson(path.c_str()), 1);
    EXPECT_EQ(ImportCcdtIsJson(MTLS.c_str()), 0);
    IMPORTLIST *list = ReadList(IMP_CCDT, path);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"QMGR2/TEST.SVRCONN/localhost(1415)",
                                                     "QMGR1/TEST.SVRCONN/localhost(1414)"}));
    std::vector<IMPORTENTRY *> rows = Entries(list);
    EXPECT_EQ(ImportEntries(list, rows.data(), 2, "", "", 0), 2);
    EXPECT_EQ(LastBox(), "2 locations imported");
    char channel[CHL_NAME + 1], conn[265];
    ImportClientNames(LocFind("QMGR2"), channel, conn);
    EXPECT_STREQ(conn, "localhost(1415)");
    ImportListFree(list);
}

TEST_F(ImportTest, JsonImportReadsItsOwnTableAgain)
{
    /* two windows read two JSON tables; the one program-wide list holds the
       second when the first imports */
    IMPORTLIST *first = ReadList(IMP_CCDT, Sample("ccdt-json", "Jencheng1__jms-2__mq_ccdt_ccdt-uniform.json"));
    IMPORTLIST *second = ReadList(IMP_CCDT, Sample("ccdt-json", "ibm-messaging__mq-dev-patterns__ccdt.json"));
    IMPORTENTRY *qm2 = Entry(first, "QM2");
    ASSERT_NE(qm2, nullptr);
    EXPECT_EQ(qm2->position, 2);
    EXPECT_EQ(ImportEntries(first, &qm2, 1, "", "", 0), 1);
    char channel[CHL_NAME + 1], conn[265];
    ImportClientNames(LocFind("QM2"), channel, conn);
    EXPECT_STREQ(channel, "APP.SVRCONN");
    EXPECT_STREQ(conn, "10.10.10.11(1414)");
    ImportListFree(first);
    ImportListFree(second);
}

TEST_F(ImportTest, ReaderMessagesAndTablesWithoutChannels)
{
    IMPORTLIST *list = ReadList(IMP_CCDT, Sample("ccdt-json", "ewiger__ibm-mq-mtls__client_ccdt.json"));
    ASSERT_EQ(Seen().boxes.size(), 1u);
    EXPECT_EQ(Seen().boxes[0].caption, "CCDT Import Error");
    EXPECT_EQ(Seen().boxes[0].text.rfind("At line 7 of file '", 0), 0u);
    EXPECT_NE(Seen().boxes[0].text.find("unrecognised field name 'queueManagerName' found\n\nCCDT file '"),
              std::string::npos);
    EXPECT_EQ(Entries(list).size(), 1u);
    ImportListFree(list);

    struct { std::string file; std::string box; } cases[] = {
        {"", "Please enter a CCDT file name"},
        {DataDir() + "empty.TAB", "The CCDT file is empty"},
        {DataDir() + "badsig.TAB", "File '" + DataDir() + "badsig.TAB' does not appear to be binary CCDT file"},
        {DataDir() + "absent.json", "Can not find file '"},
    };
    for (auto &c : cases) {
        Seen().boxes.clear();
        list = ReadList(IMP_CCDT, c.file);
        if (c.box == "Can not find file '") {   /* the path as the reader joined it */
            EXPECT_EQ(LastBox().rfind(c.box, 0), 0u) << LastBox();
        } else {
            EXPECT_EQ(LastBox(), c.box);
        }
        EXPECT_EQ(Seen().boxes.back().error, 1);
        EXPECT_EQ(list->entries, nullptr);
        ImportListFree(list);
    }
}

TEST_F(ImportTest, RowsWhoseChannelIsGoneOrDamagedArePassedOver)
{
    std::string path = TempDir("gone") + "/t.TAB";
    WriteBytes(path, ccdtfix::Specials());
    IMPORTLIST *list = ReadList(IMP_CCDT, path);
    ASSERT_EQ(Entries(list).size(), 3u);
    /* the table changes between reading and importing */
    ccdtgen::Record r = ccdtgen::Channel("ALPHA.CHL");
    r.Tail({'x'}).Int("ExitListsLen", 9);
    WriteBytes(path, ccdtgen::Table({ccdtgen::FromRecord(r), ccdtgen::FromRecord(ccdtgen::Channel("MIKE.CHL", 12, "QM2"))}));
    std::vector<IMPORTENTRY *> rows = Entries(list);
    EXPECT_EQ(ImportEntries(list, rows.data(), 3, "", "", 0), 1);
    EXPECT_EQ(LastBox(), "Location imported");
    char channel[CHL_NAME + 1], conn[265];
    ImportClientNames(LocFind("QM1"), channel, conn);
    EXPECT_STREQ(channel, "MIKE.CHL");
    ImportListFree(list);
}

TEST_F(ImportTest, QmGroupPresetFromTheLocalLocations)
{
    char group[QMS_NAME + 1];
    ImportPresetGroup(group);
    EXPECT_STREQ(group, "");
    AddLocation("QA", "ONE");
    AddLocation("QB", "ONE");
    AddLocation("QC", "", LF_CLIENT);
    AddLocation("QD", "CLIENTS", LF_CLIENT);
    ImportPresetGroup(group);
    EXPECT_STREQ(group, "ONE");
    AddLocation("QE", "TWO");
    ImportPresetGroup(group);
    EXPECT_STREQ(group, "ONE");                 /* the more frequent */
    ClearLocations();
    AddLocation("QA", "FIRST");
    AddLocation("QB", "SECOND");
    ImportPresetGroup(group);
    EXPECT_STREQ(group, "SECOND");              /* a tie: the second */
    AddLocation("QC", "THIRD");
    ImportPresetGroup(group);
    EXPECT_STREQ(group, "");
}
