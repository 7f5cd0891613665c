/* The configuration file: every location keyword read, written and read
 * back; sub-blocks kept; the safe rewrite; damaged files. */
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <cstddef>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cfgfile.h"
#include "cfgdialog.h"
#include "cfgtest.h"
#include "cs.h"
#include "dialogs.h"
#include "prffile.h"
#include "wirelibs.h"

namespace {

using cfgtest::Slurp;
using cfgtest::Spit;

struct BoxCall {
    std::string caption, text;
    int lastError;
};

struct Fixture : ::testing::Test {
    std::string dir, cfg;
    std::vector<BoxCall> boxes;
    int answer = 0;                    /* 1: the user presses Cancel */
    std::function<FILE *(const char *)> opener;

    void SetUp() override
    {
        WireLibraries();
        cfgtest::ClearLocations();
        dir = cfgtest::TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        cfg = dir + "/RAVOLT.CFG";
        snprintf(ConfigFile, sizeof ConfigFile, "%s", cfg.c_str());
        snprintf(ConfigPath, sizeof ConfigPath, "%s/", dir.c_str());
        CfgStatus = 0;
        CfgNoWrite = 0;
        CFGHOOKS h = {};
        h.context = this;
        h.errorBox = [](void *ctx, const char *caption, const char *text, int lastError, int) {
            auto *f = (Fixture *)ctx;
            f->boxes.push_back({ caption, text, lastError });
            return f->answer;
        };
        h.notice = [](void *ctx, const char *caption, const char *text) {
            ((Fixture *)ctx)->boxes.push_back({ caption, text, 0 });
        };
        h.openWrite = [](void *ctx, const char *path) -> FILE * {
            auto *f = (Fixture *)ctx;
            return f->opener ? f->opener(path) : fopen(path, "wb");
        };
        CfgSetHooks(&h);
    }
    void TearDown() override
    {
        CfgSetHooks(nullptr);
        cfgtest::ClearLocations();
    }
    void Load()
    {
        cfgtest::ClearLocations();
        LoadPrfData();
        CfgFileRead(ConfigFile, &LocTree, 0, nullptr);
    }
};

QMS *Find(const char *qm, const char *second = "PRIMARY")
{
    return LocFindByNames(qm, second);
}

std::string S(const char *p) { return p ? p : "(null)"; }

/* One row per location keyword: what the fixture's first location must
 * hold after reading. */
struct KeywordCheck {
    const char *keyword;
    std::function<bool(QMS *)> holds;
};

const std::vector<KeywordCheck> keywordChecks = {
    { "mq", [](QMS *r) { return !strcmp(r->secondName, "PRIMARY"); } },
    { "ccsidq", [](QMS *r) { return r->ccsidQm == 1208; } },
    { "ccsidp", [](QMS *r) { return r->ccsidOverride == 819 && r->ccsid == 819; } },
    { "encq", [](QMS *r) { return r->encodingQm == 546; } },
    { "encp", [](QMS *r) { return r->encodingOverride == 273 && r->encoding == 273; } },
    { "grp", [](QMS *r) { return !strcmp(r->groupName, "Group A") && r->group &&
                                 !strcmp(r->group->name, "Group A"); } },
    { "rq", [](QMS *r) { return !strcmp(r->replyModel, "MY.MODEL"); } },
    { "rp", [](QMS *r) { return !strcmp(r->replyPrefix, "REPLY.PREFIX"); } },
    { "cq", [](QMS *r) { return !strcmp(r->commandQueue, "MY CMD.Q"); } },
    { "cmdok", [](QMS *r) { return !strcmp(r->okCommand, "echo ok"); } },
    { "cmdfail", [](QMS *r) { return !strcmp(r->failCommand, "echo \"failed\""); } },
    { "viaqm", [](QMS *r) { return !strcmp(r->viaQm, "GATEWAY"); } },
    { "sq", [](QMS *r) { return !strcmp(r->sqName, "SQ.NAME"); } },
    { "psq", [](QMS *r) { return !strcmp(r->brokerQueue, "MY.BROKER.Q"); } },
    { "nnames", [](QMS *r) { return S(r->networkNames) == "net1,net2"; } },
    { "sgn", [](QMS *r) { return S(r->securityGroup) == "secgrp"; } },
    { "sgd", [](QMS *r) { return S(r->securityGroupDesc) == "Security group"; } },
    { "nms_", [](QMS *r) { return S(r->nameLists[0]) == "QUEUE.*" &&
                                  S(r->nameLists[3]) == "CHAN.*" && !r->nameLists[8]; } },
    { "retryint", [](QMS *r) { return r->retryInterval == 30; } },
    { "discint", [](QMS *r) { return r->disconnectInterval == 600; } },
    { "arr", [](QMS *r) { return r->autoRefresh == 15; } },
    { "arra", [](QMS *r) { return r->autoRefreshOpen == 5; } },
    { "appwnd", [](QMS *r) { return !strcmp(r->appWindow, "vab"); } },
    { "qmicon", [](QMS *r) { return S(r->iconFile[0]) == "n.bmp" && S(r->iconFile[1]) == "b.bmp" &&
                                    S(r->iconFile[2]) == "g.bmp" && S(r->iconFile[3]) == "f.bmp"; } },
    { "ccdturl", [](QMS *r) { return S(r->ccdtUrl) == "file:///tmp/ccdt.json"; } },
    { "usr", [](QMS *r) { return S(r->userId) == "mqadmin"; } },
    { "cln", [](QMS *r) { return S(r->clientChannel) == "SVRCONN.CHANNEL.NAME" &&
                                 (r->status & LS_CLNKEYWORD); } },
    { "interval", [](QMS *r) { return r->interval[0] == 30 && r->interval[1] == 5 &&
                                      r->interval[2] == 900 && r->interval[3] == 7; } },
    { "ux uy", [](QMS *r) {
          uint64_t w = (uint64_t)r->placement[1];
          return (r->placementFlags & 0x24) == 0x24 && (int32_t)(uint32_t)w == 120 &&
                 (int32_t)(uint32_t)(w >> 32) == -40; } },
    { "vo", [](QMS *r) { return r->viewOptions == 0x4220; } },
    { "appview", [](QMS *r) { return r->appView[0] == 10 && r->appView[3] == 400; } },
    { "expf", [](QMS *r) { return !strcmp(r->exportFile, "C:\\exports\\qm1.txt"); } },
    { "expty", [](QMS *r) { return r->exportType == 3; } },
    { "expfr", [](QMS *r) { return r->exportFrequency == 2; } },
    { "expdy", [](QMS *r) { return r->exportDay == 4; } },
    { "expt", [](QMS *r) { return r->exportTime == 1600000000; } },
    { "expi", [](QMS *r) { return r->exportInterval == 3600; } },
    { "expm expo", [](QMS *r) { return r->exportMask == 5; } },
    { "flags", [](QMS *r) { return r->flags == 0x7FBFFD7Fu; } },
    { "flags2 (sslv3 as sslwk)", [](QMS *r) { return r->flags2 == 0x1FFu; } },
    { "disabled", [](QMS *r) { return (r->status & LS_DISABLED) != 0; } },
    { "header", [](QMS *r) { return !strcmp(r->locationName, "First location") &&
                                    r->platform == 11 && r->commandLevel == 940; } },
    { "CLN:", [](QMS *r) {
          uint8_t *a = (uint8_t *)r->clientSettings;
          if (!a)
              return false;
          PCFFieldEntry *exits = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, 3510);
          PCFSTRLIST *l = PCFRecStrList(a + exits->offset);
          return S((char *)PCFGetStrValue(nullptr, &PCFClientChannelDef, a, 3506, nullptr)) ==
                     "host(1414)" &&
                 PCFGetIntValue(nullptr, &PCFClientChannelDef, a, 1501, nullptr) == 2 && l &&
                 l->count == 3 && !strncmp(PCFStrListItem(l, exits->field->maximum, 2), "three ", 6); } },
    { "MQS:", [](QMS *r) {
          if (r->mqscCommands.count != 3)
              return false;
          CSLISTELEM *e = r->mqscCommands.first->next->next;
          return !strcmp((const char *)(e + 1), "ALTER:"); } },
    { "DLG:", [](QMS *r) {
          DLGINFO *d = DlgInfoFind(r->dialogs, "Queue List");
          return d && d->x == 10 && d->refresh == 30 && (d->optA & DLGA_FILTER) &&
                 DlgColumnCount(d->columns) >= 2 &&
                 DefFieldAttribute(d->columns[0].field) == 2016 &&
                 DefFieldAttribute(d->columns[1].field) == 3 && d->filters.count == 1 &&
                 !strcmp((const char *)(d->filters.first + 1), "Depth > 0"); } },
};

void CheckKeywords(const char *when)
{
    QMS *r = Find("QM1");
    ASSERT_NE(r, nullptr) << when;
    for (const KeywordCheck &c : keywordChecks)
        EXPECT_TRUE(c.holds(r)) << c.keyword << " " << when;
    QMS *second = Find("QM1", "SECOND");
    ASSERT_NE(second, nullptr) << when;
    EXPECT_EQ(second->locationName[0], 0);
    /* two definitions of QM1 form a ring with one latest member */
    EXPECT_EQ(r->nextInRing, second);
    EXPECT_EQ(second->nextInRing, r);
    EXPECT_EQ(((r->status | 0) & LS_FIRSTOFRING) + (second->status & LS_FIRSTOFRING),
              (uint32_t)LS_FIRSTOFRING);
    QMS *q2 = Find("QM2", "RAVOLT");
    ASSERT_NE(q2, nullptr);
    EXPECT_EQ(S(q2->clientChannel), "CHL2");
    EXPECT_FALSE(q2->status & LS_CLNKEYWORD);
    EXPECT_EQ(S(q2->commandQueue), "SYSTEM.ADMIN.COMMAND.QUEUE");
}

TEST_F(Fixture, EveryKeywordSurvivesReadWriteRead)
{
    std::string original = Slurp(cfgtest::DataFile("ravolt.cfg"));
    Spit(cfg, original);
    LocGlobals.now = 1700000000;
    Load();
    EXPECT_EQ(CfgStatus & (CFG_STATUS_READ | CFG_STATUS_PRESENT), 10u);
    CheckKeywords("after the first read");
    EXPECT_NE(Find("QM3", "AMQ.TEMP"), nullptr);

    ASSERT_EQ(CfgFileWrite(), 0);
    EXPECT_TRUE(boxes.empty());
    std::string first = Slurp(cfg);
    EXPECT_EQ(Slurp(dir + "/RAVOLT.BAK"), original);
    EXPECT_FALSE(cfgtest::Exists(dir + "/RAVOLT.CFN"));
    /* what the writer must produce */
    EXPECT_NE(first.find("cln=\"SVRCONN.CHANNEL.NAME\""), std::string::npos);
    EXPECT_NE(first.find("cq=\"MY CMD.Q\""), std::string::npos);
    EXPECT_NE(first.find("rq=MY.MODEL\n"), std::string::npos);
    EXPECT_NE(first.find("sslwk "), std::string::npos);
    EXPECT_EQ(first.find("sslv3"), std::string::npos);
    EXPECT_NE(first.find(" npsai "), std::string::npos);
    EXPECT_NE(first.find("QM:QM1 \"\" 0 0\n"), std::string::npos);
    EXPECT_NE(first.find("cl =\"CHL2\""), std::string::npos);
    EXPECT_EQ(first.find("AMQ.TEMP"), std::string::npos);
    EXPECT_EQ(first.find("EVQ:"), std::string::npos);
    EXPECT_NE(first.find("FLK:"), std::string::npos);   /* profile sections kept */

    Load();
    CheckKeywords("after the rewrite");
    EXPECT_EQ(Find("QM3", "AMQ.TEMP"), nullptr);
    ASSERT_EQ(CfgFileWrite(), 0);
    EXPECT_EQ(Slurp(cfg), first);
    EXPECT_EQ(Slurp(dir + "/RAVOLT.BAK"), first);
    LocGlobals.now = 0;
}

/* A file with every keyword, sub-block and profile section is written
 * exactly as the golden file has it (the writer's speed work keeps it). */
TEST_F(Fixture, WrittenFileEqualsTheGoldenFile)
{
    Spit(cfg, Slurp(cfgtest::DataFile("golden-in.cfg")));
    Load();
    ASSERT_EQ(CfgFileWrite(), 0);
    EXPECT_EQ(Slurp(cfg), Slurp(cfgtest::DataFile("golden.cfg")));
    Load();                                     /* and reads back to the same */
    ASSERT_EQ(CfgFileWrite(), 0);
    EXPECT_EQ(Slurp(cfg), Slurp(cfgtest::DataFile("golden.cfg")));
    /* the input with CR LF line ends gives the same file */
    std::string crlf;
    for (char c : Slurp(cfgtest::DataFile("golden-in.cfg")))
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Spit(cfg, crlf);
    Load();
    ASSERT_EQ(CfgFileWrite(), 0);
    EXPECT_EQ(Slurp(cfg), Slurp(cfgtest::DataFile("golden.cfg")));
    /* the host's line ends, put by the writer: CR LF on Windows (never a
       doubled CR), LF elsewhere */
    std::ifstream raw(cfg, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    size_t lfs = 0, pairs = 0;
    for (size_t i = 0; i < bytes.size(); i++)
        if (bytes[i] == '\n') {
            lfs++;
            pairs += i > 0 && bytes[i - 1] == '\r';
        }
    ASSERT_GT(lfs, 100u);
#ifdef _WIN32
    EXPECT_EQ(pairs, lfs);
    EXPECT_EQ(bytes.find("\r\r"), std::string::npos);
#else
    EXPECT_EQ(pairs, 0u);
#endif
}

TEST_F(Fixture, ExportTimeInTheFutureComesBackAsReadTime)
{
    Spit(cfg, "AP:\nQM:A \"\" 0 0\nexpt=4000000000\nmvs\n");
    LocGlobals.now = 1700000000;
    Load();
    QMS *a = Find("A", "RAVOLT");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->exportTime, 1700000000);
    EXPECT_STREQ(a->commandQueue, "SYSTEM.COMMAND.INPUT");
    /* the usroam and npsai defaults */
    EXPECT_EQ(a->flags & (LF_USROAM | LF_NPSAI), (uint32_t)(LF_USROAM | LF_NPSAI));
    LocGlobals.now = 0;
    ASSERT_EQ(CfgFileWrite(), 0);
    std::string text = Slurp(cfg);
    EXPECT_EQ(text.find("cq="), std::string::npos);
    EXPECT_EQ(text.find("usroam"), std::string::npos);
    EXPECT_EQ(text.find("interval="), std::string::npos);
}

/* Names that would not read back as one word are written quoted. */
TEST_F(Fixture, NamesThatAreNotWordsAreQuoted)
{
    Spit(cfg, "AP:\nQM:\"A B\" \"\" 0 0\nmq=\"TWO;WORDS\" rq=\"R=Q\"\n");
    Load();
    ASSERT_NE(Find("A B", "TWO;WORDS"), nullptr);
    ASSERT_EQ(CfgFileWrite(), 0);
    std::string text = Slurp(cfg);
    EXPECT_NE(text.find("QM:\"A B\" \"\" 0 0\nmq=\"TWO;WORDS\"\n"), std::string::npos);
    Load();
    QMS *r = Find("A B", "TWO;WORDS");
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->replyModel, "R=Q");
    /* a blank queue-manager name (the default queue manager) is read,
       written as two double quotes and read back */
    Spit(cfg, "AP:\nQM:\"\" \"Default\" 0 0\nQM:\"\" \"Again\" 0 0\nmq=SECOND\n");
    Load();
    ASSERT_NE(Find("", "RAVOLT"), nullptr);
    EXPECT_STREQ(Find("", "RAVOLT")->locationName, "Default");
    ASSERT_NE(Find("", "SECOND"), nullptr);
    ASSERT_EQ(CfgFileWrite(), 0);
    text = Slurp(cfg);
    EXPECT_NE(text.find("QM:\"\" \"Default\" 0 0\n"), std::string::npos) << text;
    Load();
    EXPECT_NE(Find("", "RAVOLT"), nullptr);
    EXPECT_NE(Find("", "SECOND"), nullptr);
}

/* A network-names, security-group or name-list text of blanks only must
 * not end the location's keywords when it is read back. */
TEST_F(Fixture, BlankTextsDoNotCutTheLocationShort)
{
    Spit(cfg, "AP:\nQM:A \"\" 0 0\n");
    Load();
    QMS *a = Find("A", "RAVOLT");
    ASSERT_NE(a, nullptr);
    CSStringSet(&a->networkNames, "  ", -1);
    CSStringSet(&a->securityGroup, " ", -1);
    CSStringSet(&a->securityGroupDesc, "   ", -1);
    a->flags |= LF_MVS;
    a->retryInterval = 45;
    CSStringSet(&a->clientChannel, "CHL", -1);
    CSListAdd(&a->mqscCommands, "MQSCCMD", CSLIST_COPYDATA, "DISPLAY QMGR", 13);
    ASSERT_EQ(CfgFileWrite(), 0);
    Load();
    a = Find("A", "RAVOLT");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->flags & LF_MVS);
    EXPECT_EQ(a->retryInterval, 45);
    EXPECT_EQ(S(a->clientChannel), "CHL");
    EXPECT_EQ(a->mqscCommands.count, 1);
}

TEST_F(Fixture, MissingFilesAndFilesWithoutProfile)
{
    char error[CFG_ERROR_TEXT] = "";
    CfgFileRead(cfg.c_str(), &LocTree, 1, error);
    EXPECT_EQ(CfgStatus & CFG_STATUS_READ, 0u);
    EXPECT_EQ(std::string(error), "File '" + cfg + "' can not be opened.");
    CfgFileRead(cfg.c_str(), &LocTree, 0, nullptr);
    EXPECT_EQ(CfgStatus & CFG_STATUS_READ, (uint32_t)CFG_STATUS_READ);

    CfgStatus = 0;
    Spit(cfg, "QM:A \"x\" 0 0\n");
    CfgFileRead(cfg.c_str(), &LocTree, 0, nullptr);
    EXPECT_EQ(LocTree, nullptr);
    EXPECT_EQ(CfgStatus, (uint32_t)(CFG_STATUS_READ | CFG_STATUS_PRESENT));
}

/* Only a file that is not there counts as an empty configuration: one
 * that is there but cannot be read is never overwritten by a rewrite. */
TEST_F(Fixture, UnreadableFileIsNotOverwritten)
{
    std::filesystem::create_directories(cfg);   /* there, but not readable as a file */
    CfgFileRead(cfg.c_str(), &LocTree, 0, nullptr);
    EXPECT_EQ(CfgStatus & CFG_STATUS_READ, 0u);
    EXPECT_EQ(CfgFileWrite(), 0);
    EXPECT_FALSE(cfgtest::Exists(dir + "/RAVOLT.CFN"));
    EXPECT_TRUE(std::filesystem::is_directory(cfg));
}

TEST_F(Fixture, RefusedAndDamagedBlocksDoNotLoseTheirNeighbours)
{
    Spit(cfg, "AP:\n"
              "QM:A \"first\" 0 0\n"
              "QM:A \"duplicate\" 0 0\nMQS:\n\"X\"\n"
              "QM:A \"duplicate again\" 0 0\n"
              "QM:B \"\" 0 0\nXYZ:\nfoo bar\n"
              "QM:C \"\" 0 0\nMQS:\n\"ends with:\"\nDLG:\"t\"\nQM:D \"\" 0 0\n"
              "QM:E \"\" 0 0\nnnames DLG:\"x\"\n"
              "QM:G \"\" 0 0\nDLG:\nQM:F \"\" 0 0\n"
              "QM:\"F\x01G\" \"tab\there\" 0 0\n");
    Load();
    QMS *a = Find("A", "RAVOLT");
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->locationName, "first");
    EXPECT_EQ(a->mqscCommands.count, 0);
    EXPECT_NE(Find("B", "RAVOLT"), nullptr);
    QMS *c = Find("C", "RAVOLT");
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->mqscCommands.count, 1);
    EXPECT_STREQ((const char *)(c->mqscCommands.first + 1), "ends with:");
    EXPECT_NE(Find("D", "RAVOLT"), nullptr);
    QMS *e = Find("E", "RAVOLT");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->networkNames, nullptr);
    /* a title that names no dialog kind is kept as read */
    DLGINFO *kept = DlgInfoFind(e->dialogs, "x");
    ASSERT_NE(kept, nullptr);
    EXPECT_STREQ(kept->raw, "DLG:\"x\"");
    /* an entry without even a title leaves the next location alone */
    EXPECT_NE(Find("G", "RAVOLT"), nullptr);
    EXPECT_NE(Find("F", "RAVOLT"), nullptr);
    EXPECT_EQ(CfgStatus & CFG_STATUS_READ, (uint32_t)CFG_STATUS_READ);
    /* what was not read is told once, by file and line */
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Ravolt Configuration");
    EXPECT_EQ(boxes[0].text,
              "Configuration file '" + cfg + "', line 3: a location given before is given again and not read: "
              "'A \"duplicate\"'\n"
              "Configuration file '" + cfg + "', line 6: a location given before is given again and not read: "
              "'A \"duplicate again\"'\n"
              "Configuration file '" + cfg + "', line 8: a section out of place ends the location's block at "
              "'XYZ:'\n"
              "Configuration file '" + cfg + "', line 20: a location whose names hold control characters is not "
              "read: 'F.G \"tab.here\"'\n");
    /* the names a note gives are cut at 48 and 99 characters */
    boxes.clear();
    std::string qm(48, 'Q'), name(150, 'n');
    Spit(cfg, "AP:\nQM:" + qm + " \"" + name + "\" 0 0\nQM:" + qm + " \"" + name + "\" 0 0\n");
    Load();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Configuration file '" + cfg + "', line 3: a location given before is given "
              "again and not read: '" + qm + " \"" + name.substr(0, 99) + "\"'\n");
    /* a file read whole without fault says nothing */
    boxes.clear();
    Spit(cfg, "AP:\nQM:A \"first\" 0 0\nMQS:\n\"X\"\n");
    Load();
    EXPECT_TRUE(boxes.empty());
}

/* Every kind of refused location block goes back where its record came
 * from: the allocator's count of blocks is the same after as before. */
TEST_F(Fixture, RefusedBlocksGoBackToTheRecordPool)
{
    Spit(cfg, std::string("AP:\n"
                          "QM:\"\" \"Empty name\" 11 940\n"
                          "QM:A \"a\" 0 0\n"
                          "QM:A \"the same again\" 0 0\nMQS:\n\"X\"\n"
                          "QM:\"\" \"empty with blocks\" 0 0\nMQS:\n\"Y\"\nDLG:\"Queue List\"\n"
                          "QM:B \"\" 0 0\n"
                          "QM:   \"blank name\" 0 0\n"
                          "QM:\"\" \"at the end\" 0 0"));
    Load();
    cfgtest::ClearLocations();
    CSMEMSTATS before, after;
    CSMemStats(&before);
    for (int i = 0; i < 3; i++) {
        Load();
        EXPECT_NE(Find("A", "RAVOLT"), nullptr);
        EXPECT_NE(Find("B", "RAVOLT"), nullptr);
        cfgtest::ClearLocations();
    }
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
}

/* A damaged dialog entry, kept as read because it names no dialog kind,
 * is written so that it reads back as itself: the second and the third
 * writings are the same, and a damage that ends within the entry costs
 * no location after it. */
TEST_F(Fixture, DamagedDialogEntriesReadBackAsThemselves)
{
    struct Form {
        std::string entry;
        bool bounded;                  /* the locations after it survive */
    };
    using namespace std::string_literals;
    const Form forms[] = {
        { "DLG:\"Unknown\0kind\" x=1"s, true },
        { "DLG:\"zz\" a\0b \"c\0\""s, true },
        { "DLG:\"\0\""s, true },
        { "DLG:\"Queue List\" x=1\nFLT:\n\"a\0b\""s, true },
        { "DLG:\"\x01" "ctl\x02\" \x7f x\x1b"s, true },
        { "DLG:\"\" y"s, true },
        { "DLG:\"open quote"s, false },
        { "DLG:\"escape at the end~"s, false },
        { "DLG:\"t\" \"open in the body"s, false },
    };
    for (const Form &f : forms) {
        std::string tail = "\nQM:B \"b\" 0 0\nmq=SECOND\nQM:C \"\" 0 0\n";
        Spit(cfg, "AP:\nQM:A \"\" 0 0\n" + f.entry + tail);
        std::string writings[3];
        for (std::string &w : writings) {
            Load();
            ASSERT_NE(Find("A", "RAVOLT"), nullptr);
            if (f.bounded) {
                EXPECT_NE(Find("B", "SECOND"), nullptr) << f.entry;
                EXPECT_NE(Find("C", "RAVOLT"), nullptr) << f.entry;
            }
            ASSERT_EQ(CfgFileWrite(), 0);
            w = Slurp(cfg);
        }
        EXPECT_EQ(writings[1], writings[2]) << f.entry;
        EXPECT_EQ(writings[1].find('\0'), std::string::npos) << f.entry;
    }
}

/* The column list of a "DLG:" entry as it was read before its block was
 * made to measure: room for the stored count, twenty more and every
 * default column, all of it zeroed first. */
int OldReadColumns(PRFIN *in, DLGINFO *d, char *token, uint32_t *q, std::vector<DLGCOLUMN> *out,
                   bool *made)
{
    auto tag = [](const char *t, int len, uint32_t quoted) { return PrfIsSectionTag(t, len, quoted); };
    auto skip = [&](int len) {
        while (!((len == 0 && !*q) || tag(token, len, *q)))
            len = PrfGetToken(in, q, 0, token);
        return len;
    };
    const DLGCOLUMN *defaults = DefDefaultColumns(d->def);
    std::vector<DLGCOLUMN> list;
    int count = 0;
    auto finish = [&] {
        for (const DLGCOLUMN *c = defaults; c && c->field; c++)
            if ((c->flags & DLGCOL_ALWAYS) &&
                !DlgColumnsHold(list.data(), count, DefFieldAttribute(c->field))) {
                list[count].field = c->field;
                list[count].flags = DLGCOL_ALWAYS;
                count++;
            }
        DlgFieldsMergeFlags(list.data(), defaults);
        *out = std::vector<DLGCOLUMN>(list.begin(), list.begin() + count);
        *made = true;
    };
    int64_t n;
    int len = PrfGetToken(in, q, 0, token);
    if (*q || !PrfBoundedCount(token, DLG_MAXCOLUMNS, &n))
        return tag(token, len, *q) ? len : skip(PrfGetToken(in, q, 0, token));
    list.assign((size_t)n + 20 + (size_t)DlgColumnCount(defaults) + 1, DLGCOLUMN{});
    int32_t previous = INT32_MIN;
    for (int64_t i = 0; i < n; i++) {
        len = PrfGetToken(in, q, 0, token);
        if ((len == 0 && !*q) || tag(token, len, *q)) {
            finish();
            return len;
        }
        int32_t id = (int32_t)PrfDecimal(token);
        len = PrfGetToken(in, q, 0, token);
        if ((len == 0 && !*q) || tag(token, len, *q)) {
            finish();
            return len;
        }
        int32_t flags = (int32_t)PrfDecimal(token);
        if (id == previous || DlgColumnsHold(list.data(), count, id))
            continue;                   /* since: a column is listed once */
        previous = id;
        if (const PCFFieldDef *field = DefFindField(d->def, id, nullptr)) {
            list[count].field = field;
            list[count].flags = (uint32_t)flags;
            count++;
        }
    }
    finish();
    return PrfGetToken(in, q, 0, token);
}

/* Column lists read into blocks of their own measure against the reader
 * of before: generated lists with stored, unknown, repeated and
 * always-present columns, counts above and below what follows, every
 * prefix of them and random damage, compared column by column with the
 * token that ended the entry. */
TEST_F(Fixture, DialogColumnListsReadAsBefore)
{
    const void *def = DefFindCommand("Queue List");
    ASSERT_NE(def, nullptr);
    std::vector<int32_t> ids = { 0, 1, -5, 99999 };
    for (const DLGCOLUMN *c = DefDefaultColumns(def); c && c->field; c++)
        ids.push_back(DefFieldAttribute(c->field));
    for (const DLGCOLUMN *c = DefCurrentColumns(def); c && c->field; c++)
        ids.push_back(DefFieldAttribute(c->field));
    ASSERT_GT(ids.size(), 6u);
    const std::string head = "DLG:\"Queue List\"\n";
    int compared = 0, withColumns = 0;
    auto check = [&](const std::string &body) {
        std::string text = head + body;
        /* before: the keywords (none in these bodies) up to a tag, the
           list, then the filter lines */
        PRFIN in;
        char token[PRF_TOKEN_SIZE];
        uint32_t q;
        PrfOpenText(&in, text.data(), text.size());
        PrfGetToken(&in, &q, 0, token);
        PrfGetToken(&in, &q, 0, token);
        DLGINFO d = {};
        d.def = def;
        int len;
        do
            len = PrfGetToken(&in, &q, 0, token);
        while (!((len == 0 && !q) || PrfIsSectionTag(token, len, q)));
        std::vector<DLGCOLUMN> want;
        bool made = false;
        if (len && !strcmp(token, "LST:"))
            len = OldReadColumns(&in, &d, token, &q, &want, &made);
        if (len && !strcmp(token, "FLT:"))
            do
                len = PrfGetToken(&in, &q, 0, token);
            while (!((len == 0 && !q) || PrfIsSectionTag(token, len, q)));
        std::string wantToken = token;
        size_t wantPos = in.pos;

        CSTREE *tree = nullptr;
        PrfOpenText(&in, text.data(), text.size());
        PrfGetToken(&in, &q, 0, token);
        int got = CfgFileParseDialog(&in, &tree, nullptr, token);
        ASSERT_EQ(got, len) << body;
        ASSERT_EQ(token, wantToken) << body;
        ASSERT_EQ(in.pos, wantPos) << body;
        DLGINFO *info = DlgInfoFind(tree, "Queue List");
        ASSERT_NE(info, nullptr) << body;
        int n = DlgColumnCount(info->columns);
        ASSERT_EQ(n, (int)want.size()) << body;
        ASSERT_EQ(info->columns != nullptr, made) << body;
        for (int i = 0; i < n; i++) {
            /* the entries are packed: compared as copies */
            const PCFFieldDef *field = info->columns[i].field, *wantField = want[i].field;
            uint32_t flags = info->columns[i].flags, wantFlags = want[i].flags;
            ASSERT_EQ(field, wantField) << body << " column " << i;
            ASSERT_EQ(flags, wantFlags) << body << " column " << i;
        }
        compared++;
        withColumns += n > 0;
        DlgInfoFreeTree(&tree);
    };
    std::mt19937 rng(41);
    std::vector<std::string> bodies;
    for (int b = 0; b < 40; b++) {
        int pairs = (int)(rng() % 30);
        int count = b % 4 == 0 ? pairs : b % 4 == 1 ? pairs + 1 + (int)(rng() % 5)
                  : b % 4 == 2 ? (pairs ? pairs - 1 : 0) : pairs / 2;
        std::string body = "LST: " + std::to_string(count);
        for (int i = 0; i < pairs; i++) {
            int32_t id = ids[rng() % ids.size()];
            body += " " + std::to_string(id) + " " + std::to_string((int)(rng() % 3 ? rng() % 8 : 0x44));
            if (rng() % 6 == 0)             /* the same column again */
                body += " " + std::to_string(id) + " 1";
        }
        body += b % 3 ? "\nFLT:\n\"curdepth > 0\"\n" : "\n";
        body += "QM:X \"\" 0 0\n";
        bodies.push_back(body);
    }
    for (const std::string &body : bodies)
        for (size_t i = 0; i <= body.size(); i++)
            check(body.substr(0, i));
    const char alphabet[] = "0123456789 -\n\"~=:;#LST:FLT:QM:";
    for (int n = 0; n < 4000; n++) {
        std::string m = bodies[rng() % bodies.size()];
        for (int k = 1 + (int)(rng() % 4); k > 0 && !m.empty(); k--) {
            size_t at = rng() % m.size();
            switch (rng() % 3) {
            case 0: m[at] = alphabet[rng() % (sizeof alphabet - 1)]; break;
            case 1: m.erase(at, 1 + rng() % 6); break;
            default: m.insert(at, std::string(1 + rng() % 3, alphabet[rng() % (sizeof alphabet - 1)]));
            }
        }
        check(m);
    }
    EXPECT_GT(withColumns, compared / 4);
}

/* The text without blanks before its line ends. */
std::string TrimmedLines(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            size_t cr = !out.empty() && out.back() == '\r';
            std::string end = cr ? "\r\n" : "\n";
            if (cr)
                out.pop_back();
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
            out += end;
            continue;
        }
        out += c;
    }
    return out;
}

/* Damaged files the fuzz campaigns found (tests/data/config/damaged): a
 * filter text whose quote stays open, NUL bytes inside kept sections (and
 * after an empty one), zero and bad numbers, an option word before its
 * mask, a column list cut short or naming a column twice, a queue-manager
 * name ending in a blank beside the same name without it.  Each start writes what the next one reads back as itself: the
 * first writing says what the second says (blanks at line ends aside),
 * and the second and third are the same bytes. */
TEST_F(Fixture, DamagedFilesReadBackAsTheyWereWritten)
{
    std::vector<std::string> files;
    for (const auto &e : std::filesystem::directory_iterator(cfgtest::DataFile("damaged")))
        files.push_back(e.path().string());
    ASSERT_GE(files.size(), 9u);
    for (const std::string &file : files) {
        Spit(cfg, Slurp(file));
        std::string writings[3];
        for (std::string &w : writings) {
            Load();
            ASSERT_EQ(CfgFileWrite(), 0) << file;
            w = Slurp(cfg);
        }
        EXPECT_EQ(TrimmedLines(writings[0]), TrimmedLines(writings[1])) << file;
        EXPECT_EQ(writings[1], writings[2]) << file;
    }
    PrfSetDefaults();
}

/* Whatever value a location keyword is given, damaged, emptied or blank,
 * what is written reads back as the same value. */
TEST_F(Fixture, EveryLocationKeywordReadsBackWhatWasWritten)
{
    const char *names[] = {
        "mq", "ccsidq", "ccsidp", "encq", "encp", "grp", "rq", "rp", "cq", "cmdok", "cmdfail",
        "viaqm", "sq", "psq", "nnames", "sgn", "sgd", "nms_0", "nms_8", "retryint", "discint",
        "arr", "arra", "appwnd", "qmiconn", "qmiconb", "qmicong", "qmiconf", "ccdturl", "usr",
        "cl", "cln", "interval", "ux", "uy", "vo", "appview", "expf", "expty", "expfr", "expdy",
        "expt", "expi", "expm", "expo",
    };
    const char *values[] = { "\"\"", "\" \"", "\"x \"", "\"  x\"", "0", "-1", "abc", "99999999999",
                             "\"~\"\"", "1e2x3" };
    for (const char *name : names)
        for (const char *value : values) {
            std::string text = std::string("AP:\nQM:A \"\" 0 0\n") + name + "=" + value + "\nQM:B \"\" 0 0\n";
            Spit(cfg, text);
            Load();
            ASSERT_EQ(CfgFileWrite(), 0);
            std::string first = Slurp(cfg);
            Load();
            ASSERT_EQ(CfgFileWrite(), 0);
            EXPECT_EQ(Slurp(cfg), first) << text;
        }
}

TEST_F(Fixture, NoWriteBeforeAReadOrWithOptionR)
{
    Spit(cfg, "AP:\nQM:A \"\" 0 0\n");
    std::string before = Slurp(cfg);
    EXPECT_EQ(CfgFileWrite(), 0);                 /* not read yet */
    EXPECT_FALSE(cfgtest::Exists(dir + "/RAVOLT.CFN"));
    Load();
    CfgNoWrite = 1;
    EXPECT_EQ(CfgFileWrite(), 0);
    EXPECT_EQ(Slurp(cfg), before);
    EXPECT_FALSE(cfgtest::Exists(dir + "/RAVOLT.CFN"));
    EXPECT_FALSE(cfgtest::Exists(dir + "/RAVOLT.BAK"));
}

TEST_F(Fixture, FailingWriteKeepsTheOldFile)
{
    Spit(cfg, Slurp(cfgtest::DataFile("ravolt.cfg")));
    std::string before = Slurp(cfg);
    Load();
    std::string blocker = dir + "/readonly.txt";
    Spit(blocker, "x");
    /* a stream on which every write fails */
    opener = [&](const char *) { return fopen(blocker.c_str(), "r"); };
    answer = 1;
    EXPECT_EQ(CfgFileWrite(), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Operational Error");
    EXPECT_NE(boxes[0].text.find("Can not write to config file '"), std::string::npos);
    EXPECT_EQ(Slurp(cfg), before);
    EXPECT_FALSE(cfgtest::Exists(dir + "/RAVOLT.BAK"));

    answer = 0;
    EXPECT_EQ(CfgFileWrite(), 0);                 /* OK: the same, result 0 */
    EXPECT_EQ(Slurp(cfg), before);

    boxes.clear();
    opener = [](const char *) -> FILE * { return nullptr; };
    answer = 1;
    EXPECT_EQ(CfgFileWrite(), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Operation Error");
    EXPECT_EQ(boxes[0].text, "Can not open file '" + dir + "/RAVOLT.CFN' for writing\n");
    EXPECT_EQ(Slurp(cfg), before);
}

/* A backup that cannot be made is reported: Cancel keeps the new file
 * beside the old one, OK replaces the old file all the same. */
TEST_F(Fixture, BackupFailure)
{
    Spit(cfg, "AP:\nQM:A \"\" 0 0\n");
    Load();
    std::filesystem::create_directories(dir + "/RAVOLT.BAK");
    answer = 1;
    EXPECT_EQ(CfgFileWrite(), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can not backup current config file '" + cfg + "'");
    EXPECT_EQ(Slurp(cfg), "AP:\nQM:A \"\" 0 0\n");
    EXPECT_TRUE(cfgtest::Exists(dir + "/RAVOLT.CFN"));
    answer = 0;
    EXPECT_EQ(CfgFileWrite(), 0);
    EXPECT_NE(Slurp(cfg).find("\nAP:\n"), std::string::npos);
    EXPECT_FALSE(cfgtest::Exists(dir + "/RAVOLT.CFN"));
}

/* A rewrite asked for on a worker thread while the user-interface thread
 * adds and deletes locations writes a whole file each time. */
TEST_F(Fixture, RewriteOnAWorkerThread)
{
    Spit(cfg, "AP:\n");
    Load();
    std::thread worker([] {
        for (int i = 0; i < 20; i++)
            CfgFileWrite();
    });
    for (int i = 0; i < 400; i++) {
        QMS t;
        CfgLocationDefaults(&t);
        snprintf(t.qmName, sizeof t.qmName, "T%03d", i);
        CSListAdd(&t.mqscCommands, "MQSCCMD", CSLIST_COPYDATA, "DISPLAY QMGR", 13);
        if (!LocCreate(&LocTree, &t, 0))
            LocFreeRecordData(&t);
        if (i % 3 == 0)
            LocDelete(&LocTree, Find(t.qmName, "RAVOLT"), nullptr);
    }
    worker.join();
    ASSERT_EQ(CfgFileWrite(), 0);
    Load();
    int n = 0;
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next)
        n++;
    EXPECT_EQ(n, 266);
}

TEST_F(Fixture, RewriteNamesReplaceTheLastThreeCharacters)
{
    char out[64];
    CfgSiblingName(out, sizeof out, "conf.TXT", "CFN");
    EXPECT_STREQ(out, "conf.CFN");
    CfgSiblingName(out, sizeof out, "ab", "BAK");
    EXPECT_STREQ(out, "abBAK");

    std::string txt = dir + "/other.TXT";
    snprintf(ConfigFile, sizeof ConfigFile, "%s", txt.c_str());
    Spit(txt, "AP:\nQM:A \"\" 0 0\n");
    Load();
    ASSERT_EQ(CfgFileWrite(), 0);
    EXPECT_EQ(Slurp(dir + "/other.BAK"), "AP:\nQM:A \"\" 0 0\n");
    EXPECT_NE(Slurp(txt).find("QM:A \"\" 0 0"), std::string::npos);
    EXPECT_FALSE(cfgtest::Exists(dir + "/other.CFN"));
}

/* Every prefix and thousands of random mutations of a real configuration
 * file are read, written and freed without a fault. */
TEST_F(Fixture, FuzzReader)
{
    std::string text = Slurp(cfgtest::DataFile("ravolt.cfg"));
    ASSERT_FALSE(text.empty());
    FILE *sink = tmpfile();
    ASSERT_NE(sink, nullptr);
    auto run = [&](const std::string &t) {
        std::vector<char> copy(t.begin(), t.end());
        CSTREE *tree = nullptr;
        CfgReadText(copy.data(), copy.size(), &tree);
        for (CSTREE *e = CSTreeFirst(tree); e; e = e->next)
            CfgFileWriteLocation((QMS *)e, sink);
        while (tree)
            LocDelete(&tree, (QMS *)CSTreeFirst(tree), nullptr);
        LocFlushFreed();
        rewind(sink);
    };
    for (size_t i = 0; i <= text.size(); i++)
        run(text.substr(0, i));
    std::mt19937 rng(7);
    const char alphabet[] = "\"~=:;#\n {}(),QM:CLN:MQS:DLG:EVQ:nms_9 -1 99999999999";
    for (int n = 0; n < 3000; n++) {
        std::string m = text;
        int edits = 1 + rng() % 8;
        for (int k = 0; k < edits; k++) {
            size_t at = rng() % m.size();
            switch (rng() % 3) {
            case 0: m[at] = alphabet[rng() % (sizeof alphabet - 1)]; break;
            case 1: m.erase(at, 1 + rng() % 20); break;
            default: m.insert(at, std::string(1 + rng() % 1200, alphabet[rng() % (sizeof alphabet - 1)]));
            }
            if (m.empty())
                m = "AP:";
        }
        run(m);
    }
    fclose(sink);
}

/* The name-field keywords against the way they were read before (the
 * value read as a string, cut to the field, its trailing blanks then
 * trimmed one by one; "appwnd" keeps them, its four bytes are the value):
 * quoted and bare values of every length around the field's width, with
 * blanks at their ends, escapes, bytes above 127 and NUL bytes, into
 * records whose fields hold their defaults; the records are compared
 * whole. */
TEST(LocationKeywords, NameFieldsReadAsBefore)
{
    struct Field { const char *key; size_t offset, width; bool trim; };
    const Field fields[] = {
        { "grp", offsetof(QMS, groupName), QMS_NAME, true }, { "psq", offsetof(QMS, brokerQueue), QMS_NAME, true },
        { "appwnd", offsetof(QMS, appWindow), 3, false }, { "cmdok", offsetof(QMS, okCommand), QMS_CMDLEN, true },
        { "expf", offsetof(QMS, exportFile), QMS_EXPFILE - 1, true },
        { "mq", offsetof(QMS, secondName), QMS_NAME, true },
    };
    const char alphabet[] = { 'a', 'Z', ' ', ' ', '"', '~', (char)0xE9, '\0', '.', '9' };
    uint32_t seed = 41;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    QMS *got = new QMS, *want = new QMS;
    for (const Field &f : fields)
        for (int round = 0; round < 400; round++) {
            size_t length = round < 300 ? round % (f.width + 6) : next() % 300;
            std::string value;
            for (size_t i = 0; i < length; i++)
                value += alphabet[next() % sizeof alphabet];
            if (round % 4 == 1)
                value += "   ";
            int quoted = round % 5 != 0;
            std::string body;                  /* what follows the key */
            if (quoted) {
                body = round % 3 ? "=\"" : " = \"";
                for (char c : value) {
                    if (c == '"' || c == '~')
                        body += '~';
                    body += c;
                }
                body += "\"";
            } else {
                std::string word;
                for (char c : value)
                    if (c != ' ' && c != '"' && c != '~' && c)
                        word += c;
                body = "=" + word;
            }
            body += "\nauto\n";
            std::string text = f.key + body;

            memset(got, 0xA5, sizeof *got);
            memset(want, 0xA5, sizeof *want);
            CfgLocationDefaults(got);
            CfgLocationDefaults(want);
            PRFIN in;
            char token[PRF_TOKEN_SIZE];
            uint32_t q;
            PrfOpenText(&in, text.data(), text.size());
            CfgReadLocationKeywords(&in, got, token, &q);

            PrfOpenText(&in, body.data(), body.size());
            char *field = (char *)want + f.offset;
            PrfGetString(&in, field, f.width + 1, token);
            if (f.trim)
                UTTrimRightChars(field, (int)strlen(field), " ");
            CfgReadLocationKeywords(&in, want, token, &q);      /* what follows it */
            ASSERT_EQ(memcmp(got, want, sizeof *got), 0) << f.key << " " << round;
        }
    delete got;
    delete want;
}

}  // namespace
