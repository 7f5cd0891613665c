/* Import from a configuration file and the master configuration, without
 * windows: the file's locations listed with their exists and differs
 * marks, created or updated, the group and network-name choices, the open
 * Location Settings dialog, and "-j" with and without "-J". */
#include "cfgfile.h"
#include "loctest.h"

using namespace loctest;

namespace {

const char *FILE_TEXT =
    "AP:\n"
    "QM:QMA \"Location A\" 3 930\n"
    "grp=FILEGRP\nnnames=\"net1,net2\"\nrp=PREFIX.A\nclient\n"
    "\nCLN:\n 3501=\"CHL.A\"\n 3506=\"hosta(1414)\"\n 1563=300\n"
    "QM:QMB \"Location B\" 0 0\nrp=PREFIX.B\n"
    "QM:QMC \"Location C\" 0 0\nrp=PREFIX.C\ngrp=GRPC\n";

std::string ConfigText(const char *name, const char *text)
{
    static std::string dir = TempDir("config");
    std::string path = dir + "/" + name;
    WriteText(path, text);
    return path;
}

/* Defines the file's QMB and QMC (QMC with another reply prefix). */
void DefineFromFile()
{
    CfgReadText(FILE_TEXT, strlen(FILE_TEXT), &LocTree);
    QMS *a = LocFindByNames("QMA", "RAVOLT");
    LocDelete(&LocTree, a, nullptr);
    LocFlushFreed();
    strcpy(LocFind("QMC")->replyPrefix, "DEFINED.C");
}

}  // namespace

TEST_F(ImportTest, ConfigFileListedWithExistsAndDiffers)
{
    DefineFromFile();
    IMPORTLIST *list = ReadList(IMP_CONFIG, ConfigText("a.cfg", FILE_TEXT));
    EXPECT_TRUE(Seen().boxes.empty()) << LastBox();
    std::vector<IMPORTENTRY *> e = Entries(list);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_STREQ(e[0]->qmName, "QMC");
    EXPECT_STREQ(e[2]->qmName, "QMA");
    EXPECT_STREQ(e[2]->channel, "CHL.A");
    EXPECT_STREQ(e[2]->connection, "hosta(1414)");
    EXPECT_TRUE(e[2]->selectable);
    EXPECT_FALSE(e[2]->exists);
    EXPECT_TRUE(e[1]->exists);                 /* QMB: identical */
    EXPECT_FALSE(e[1]->differs);
    EXPECT_TRUE(e[0]->exists);                 /* QMC: its reply prefix differs */
    EXPECT_TRUE(e[0]->differs);
    EXPECT_FALSE(ImportEntryShown(list, e[0], 1));
    EXPECT_FALSE(ImportEntryShown(list, e[1], 1));

    /* importing QMC updates the defined one; QMA is made with the file's group */
    std::vector<IMPORTENTRY *> rows = {e[0], e[2]};
    EXPECT_EQ(ImportConfigEntries(list, rows.data(), 2, IMP_GROUP_TEXT, IMP_NAMES_TEXT), 2);
    EXPECT_EQ(LastBox(), "2 locations imported");
    EXPECT_EQ(Seen().boxes.back().caption, "Ravolt Config Import Result");
    EXPECT_STREQ(LocFind("QMC")->replyPrefix, "PREFIX.C");
    QMS *a = LocFind("QMA");
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->locationName, "Location A");
    EXPECT_STREQ(a->groupName, "FILEGRP");
    EXPECT_STREQ(a->networkNames, "net1,net2");
    EXPECT_EQ(a->platform, 3);
    EXPECT_EQ(a->commandLevel, 930);
    EXPECT_TRUE(a->flags & LF_CLIENT);
    ASSERT_NE(a->clientSettings, nullptr);
    EXPECT_NE(a->clientSettings, e[2]->fileLocation->clientSettings);   /* a copy of its own */
    EXPECT_EQ(Client(a), Client(e[2]->fileLocation));
    EXPECT_FALSE(LocDiffers(a, e[2]->fileLocation));

    /* a group typed in wins over the file's */
    EXPECT_EQ(ImportConfigEntries(list, &e[2], 1, "TYPED", ""), 1);
    EXPECT_EQ(LastBox(), "Location imported");
    EXPECT_STREQ(LocFind("QMA")->groupName, "TYPED");
    EXPECT_EQ(LocFind("QMA")->networkNames, nullptr);
    EXPECT_EQ(ImportConfigEntries(list, nullptr, 0, "", ""), 0);
    EXPECT_EQ(LastBox(), "No locations selected");
    ImportListFree(list);
}

TEST_F(ImportTest, ConfigFileErrorsAndTheProgramsOwnStatus)
{
    uint32_t status = CfgStatus = 0;
    struct { std::string file; std::string box; } cases[] = {
        {"", "Please enter an Ravolt Configuration file"},
        {ConfigText("empty.cfg", "AP:\n"), "The Ravolt Configuration file is empty"},
        {ConfigText("gone.cfg", "") + ".missing", ""},
    };
    cases[2].box = "File '" + cases[2].file + "' can not be opened.";
    for (auto &c : cases) {
        Seen().boxes.clear();
        IMPORTLIST *list = ReadList(IMP_CONFIG, c.file);
        ASSERT_EQ(Seen().boxes.size(), 1u) << c.file;
        EXPECT_EQ(LastBox(), c.box);
        EXPECT_EQ(Seen().boxes[0].caption, "Ravolt Config Import Error");
        ImportListFree(list);
    }
    /* reading another file leaves the program's configuration unread */
    EXPECT_EQ(CfgStatus, status);
}

TEST_F(ImportTest, LocationsDifferInEveryImportedSetting)
{
    QMS *a = AddLocation("QMD", "G");
    CSTREE *tree = nullptr;
    QMS t;
    memcpy(&t, a, sizeof t);
    t.clientSettings = nullptr;
    t.networkNames = t.ccdtUrl = nullptr;
    QMS *b = LocCreate(&tree, &t, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(LocDiffers(a, b));
    auto flip = [&](auto change, const char *what) {
        change(b);
        EXPECT_TRUE(LocDiffers(a, b)) << what;
        ImportEmptyTree(&tree);
        b = LocCreate(&tree, &t, 0);
    };
    flip([](QMS *r) { strcpy(r->groupName, "H"); }, "group");
    flip([](QMS *r) { strcpy(r->locationName, "x"); }, "location name");
    flip([](QMS *r) { strcpy(r->viaQm, "V"); }, "via");
    flip([](QMS *r) { strcpy(r->replyModel, "M"); }, "reply model");
    flip([](QMS *r) { strcpy(r->replyPrefix, "P"); }, "reply prefix");
    flip([](QMS *r) { strcpy(r->commandQueue, "C"); }, "command queue");
    flip([](QMS *r) { strcpy(r->sqName, "S"); }, "sq");
    flip([](QMS *r) { CSStringSet(&r->ccdtUrl, "http://x", -1); }, "ccdt url");
    flip([](QMS *r) { LocSetSharedText(r, "n"); }, "network names");
    for (uint32_t bit : {LF_MVS, LF_CLIENT, LF_AUTO, LF_USRP, LF_USROAM})
        flip([bit](QMS *r) { r->flags ^= bit; }, "flag");
    flip([](QMS *r) { r->clientSettings = ClientArea("X", "h(1)"); }, "client settings");
    /* both with client settings: a moved connection counts */
    a->clientSettings = ClientArea("X", "h(1)");
    b->clientSettings = ClientArea("X", "h(1)");
    EXPECT_FALSE(LocDiffers(a, b));
    PCFFreeData(&PCFClientChannelDef, (uint8_t *)b->clientSettings, 1);
    b->clientSettings = ClientArea("X", "moved(1)");
    EXPECT_TRUE(LocDiffers(a, b));
    PCFFreeData(&PCFClientChannelDef, (uint8_t *)a->clientSettings, 1);
    a->clientSettings = nullptr;
    ImportEmptyTree(&tree);
    b = LocCreate(&tree, &t, 0);
    /* what is not imported does not count */
    b->flags ^= LF_NC;
    strcpy(b->okCommand, "echo");
    EXPECT_FALSE(LocDiffers(a, b));
    ImportEmptyTree(&tree);
    LocFlushFreed();
}

TEST_F(ImportTest, UpdateClosesOrRefreshesTheSettingsDialog)
{
    DefineFromFile();
    QMS *c = LocFind("QMC");
    c->settingsWindow = (void *)c;             /* "open" for the hooks */
    CSTREE *tree = nullptr;
    CfgReadText(FILE_TEXT, strlen(FILE_TEXT), &tree);
    QMS *fileC = nullptr;
    for (CSTREE *e = CSTreeFirst(tree); e; e = e->next)
        if (!strcmp(((QMS *)e)->qmName, "QMC"))
            fileC = (QMS *)e;
    ASSERT_NE(fileC, nullptr);
    EXPECT_EQ(ImportLocationFromFile(fileC, nullptr, nullptr), c);
    /* without client settings in the file: closed (not left alive), then the
       new settings offered and shown */
    std::vector<int> events;
    for (auto &s : Seen().settings) {
        EXPECT_EQ(s.first, c);
        events.push_back(s.second);
    }
    EXPECT_EQ(events, (std::vector<int>{0, 1, 2}));
    EXPECT_STREQ(c->groupName, "GRPC");
    c->settingsWindow = nullptr;
    ImportEmptyTree(&tree);
}

TEST_F(ImportTest, MasterConfigurationAddsUpdatesAndPrunes)
{
    std::string master = ConfigText("master.cfg", "AP:\nQM:QMA \"A from master\" 0 0\nrp=MASTER.A\n"
                                                  "QM:QMSAME \"\" 0 0\nrp=SAME\n");
    auto reset = [&]() {
        ClearLocations();
        const char *defined = "AP:\nQM:QMB \"\" 0 0\nQM:QMSAME \"\" 0 0\nrp=SAME\n";
        CfgReadText(defined, strlen(defined), &LocTree);
        QMS *same = LocFind("QMSAME");
        same->settingsWindow = same;           /* an update would tell it */
        Seen().settings.clear();
    };
    snprintf(ImportMasterPath, sizeof ImportMasterPath, "%s", master.c_str());
    reset();
    ImportMasterPrune = 0;
    ImportMasterConfig();
    ASSERT_NE(LocFind("QMA"), nullptr);
    EXPECT_STREQ(LocFind("QMA")->replyPrefix, "MASTER.A");
    EXPECT_TRUE(LocFind("QMA")->flags2 & LF2_MASTER);
    EXPECT_NE(LocFind("QMB"), nullptr);
    EXPECT_FALSE(LocFind("QMB")->flags2 & LF2_MASTER);
    QMS *same = LocFind("QMSAME");
    EXPECT_TRUE(same->flags2 & LF2_MASTER);    /* identical: marked, not updated */
    EXPECT_TRUE(Seen().settings.empty());
    same->settingsWindow = nullptr;

    reset();
    ImportMasterPrune = 1;
    ImportMasterConfig();
    LocFlushFreed();
    EXPECT_NE(LocFind("QMA"), nullptr);
    EXPECT_EQ(LocFind("QMB"), nullptr);
    EXPECT_NE(LocFind("QMSAME"), nullptr);
    LocFind("QMSAME")->settingsWindow = nullptr;

    /* a master file that cannot be read changes nothing */
    snprintf(ImportMasterPath, sizeof ImportMasterPath, "%s.missing", master.c_str());
    ImportMasterConfig();
    EXPECT_NE(LocFind("QMA"), nullptr);
    EXPECT_EQ(Seen().boxes.back().caption, "Ravolt Master Config Import Error");
    ImportMasterPath[0] = 0;
    ImportMasterPrune = 0;
    Seen().boxes.clear();
    ImportMasterConfig();
    EXPECT_TRUE(Seen().boxes.empty());
}
