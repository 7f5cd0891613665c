/* The authorities file: rights per location pattern, queue masks, menu
 * gates and the error reports with their line numbers. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "autfile.h"
#include "cfgfile.h"
#include "cfgtest.h"
#include "cs.h"

namespace {

/* As at start-up: the configuration's locations exist before the
 * authorities file is read (this test runs first, on the store as the
 * program starts it).  An error in the top section must not leave them
 * with every right. */
TEST(AutStartUp, AnErrorInTheTopSectionGrantsNothing)
{
    QMS t;
    InitLocationDefaults(&t);
    strcpy(t.qmName, "START");
    QMS *a = LocCreate(&LocTree, &t, 0);
    ASSERT_NE(a, nullptr);
    std::string path = cfgtest::TempDir("AutStartUp") + "/RAVOLT.AUT";
    cfgtest::Spit(path, "all\nbogus\n");
    EXPECT_EQ(AutLoadFile(path.c_str()), 0);
    EXPECT_EQ(a->authMask, 0u);
    cfgtest::ClearLocations();
    AutReset();
}

struct Aut : ::testing::Test {
    std::string dir, path;
    std::vector<std::string> notices;

    void SetUp() override
    {
        cfgtest::ClearLocations();
        dir = cfgtest::TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        path = dir + "/RAVOLT.AUT";
        CFGHOOKS h = {};
        h.context = this;
        h.notice = [](void *ctx, const char *, const char *text) {
            ((Aut *)ctx)->notices.push_back(text);
        };
        CfgSetHooks(&h);
        LocGlobals.defaultAuthMask = 0;
    }
    void TearDown() override
    {
        CfgSetHooks(nullptr);
        cfgtest::ClearLocations();
        AutReset();
    }
    QMS *Add(const char *name)
    {
        QMS t;
        InitLocationDefaults(&t);
        strcpy(t.qmName, name);
        return LocCreate(&LocTree, &t, 0);
    }
    int Load(const std::string &text)
    {
        cfgtest::Spit(path, text);
        return AutLoadFile(path.c_str());
    }
};

TEST_F(Aut, NoFileGrantsEverything)
{
    QMS *a = Add("A");
    EXPECT_EQ(AutLoadFile(path.c_str()), 1);
    EXPECT_EQ(a->authMask, ~0ull);
    EXPECT_EQ(AutMenuCount(), 0);
    EXPECT_TRUE(AutMenuAllowed(529));
    EXPECT_EQ(LocGlobals.defaultAuthMask, ~0ull);
    EXPECT_EQ(Add("B")->authMask, ~0ull);       /* later locations too */
}

/* Only a missing file grants everything: one that cannot be read gives
 * no more than display rights, with a report. */
TEST_F(Aut, UnreadableFileGrantsOnlyDisplay)
{
    QMS *a = Add("A");
    std::filesystem::create_directories(path);  /* a directory in its place */
    EXPECT_EQ(AutLoadFile(path.c_str()), 0);
    EXPECT_EQ(a->authMask, AUT_ALL_DISPLAY);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("can not be opened"), std::string::npos);
}

TEST_F(Aut, WithdrawingKeepsTheDisplayPartner)
{
    QMS *a = Add("A");
    EXPECT_EQ(Load("all !msg_delete\n"), 1);
    EXPECT_EQ(a->authMask, ~0ull & ~0x8ull);
    EXPECT_EQ(Load("location_all !location_create\n"), 1);
    EXPECT_EQ(a->authMask, 0xB00000000ull);
    EXPECT_TRUE(LocMaskMatch(a->authMask, 0x100000000ull));
    EXPECT_EQ(Load("MSG_DISPLAY\n! msg_display\n"), 1);
    EXPECT_EQ(a->authMask, 0u);
}

TEST_F(Aut, SectionsQueueMasksAndLists)
{
    QMS *a = Add("PROD1"), *b = Add("PROD2"), *c = Add("TEST1");
    EXPECT_EQ(Load("msg_display queue_list = MYQ.* queue_prefix_min=3\n"
                   "queue_mask = { APP.*, !APP.SECRET }\n"
                   "QM: PROD*\n  msg_all queue_mask={OPS.*}\n"
                   "QM: NOTHING*\n msg_copy\n"), 1);
    EXPECT_EQ(a->authMask, 0xFFu);
    EXPECT_EQ(b->authMask, 0xFFu);
    EXPECT_EQ(c->authMask, 0x1u);
    EXPECT_EQ(AutQueuePrefixMin, 3);
    EXPECT_STREQ(AutQueueList, "MYQ.*");
    ASSERT_NE(c->queueMasks, nullptr);
    EXPECT_STREQ(c->queueMasks->mask, "APP.*");
    ASSERT_NE(c->queueMasks->next, nullptr);
    EXPECT_STREQ(c->queueMasks->next->mask, "APP.SECRET");
    EXPECT_EQ(c->queueMasks->next->negate, 1);
    ASSERT_NE(a->queueMasks, nullptr);
    EXPECT_STREQ(a->queueMasks->mask, "OPS.*");
    EXPECT_EQ(AutTotals, 0xFFull | 0x3);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "No Queue Managers found which match authorities for 'NOTHING*'");
}

/* A reload frees the queue masks the locations had: a file that fails
 * before its masks leaves the locations with none, never with freed ones. */
TEST_F(Aut, ReloadingLeavesNoLocationWithFreedMasks)
{
    QMS *a = Add("PROD1"), *c = Add("TEST1");
    const std::string good = "msg_display queue_mask = { APP.* }\nQM: PROD*\n  queue_mask={OPS.*}\n";
    EXPECT_EQ(Load(good), 1);
    ASSERT_NE(c->queueMasks, nullptr);
    ASSERT_NE(a->queueMasks, nullptr);
    for (const char *failing : { "bogus\n", "queue_mask = { A, B\n", "msg_display\nQM: PROD*\n bogus\n" }) {
        EXPECT_EQ(Load(failing), 0) << failing;
        EXPECT_EQ(c->queueMasks, nullptr) << failing;
        EXPECT_EQ(a->queueMasks, nullptr) << failing;
        EXPECT_EQ(Load(failing), 0) << failing;
        EXPECT_EQ(c->queueMasks, nullptr) << failing;
        EXPECT_EQ(Load(good), 1);
        ASSERT_NE(a->queueMasks, nullptr);
        EXPECT_STREQ(a->queueMasks->mask, "OPS.*");
        EXPECT_STREQ(c->queueMasks->mask, "APP.*");
    }
}

TEST_F(Aut, MenuGates)
{
    Add("A");
    EXPECT_EQ(Load("all nomenu_showhide nomenu_font nomenu_showhide nomenu_bogus\n"
                   "nomenu_import_location\n"), 1);
    std::vector<int32_t> ids(AutMenuIds(), AutMenuIds() + AutMenuCount());
    std::vector<int32_t> want = { 502, 503, 501, 754, 544, 586, 862, 931, 884, 956 };
    EXPECT_EQ(ids, want);
    EXPECT_FALSE(AutMenuEnabled(754));
    EXPECT_TRUE(AutMenuEnabled(529));
    ASSERT_EQ(notices.size(), 1u);              /* the unknown nomenu goes on */
    EXPECT_EQ(notices[0], "Error parsing AUT file '" + path + "' on line 1\n"
                          "Unrecognised keyword 'nomenu_bogus'");
    for (int i = 0; i < 250; i++)
        AutAddMenuRestriction(1000 + i);
    EXPECT_EQ(AutMenuCount(), 260);
    EXPECT_FALSE(AutMenuAllowed(1249));
}

TEST_F(Aut, ErrorsWithLineNumbers)
{
    QMS *a = Add("A");
    a->authMask = 0x42;
    EXPECT_EQ(Load("msg_all\n\nNOMENU_HELP\n"), 0);
    EXPECT_EQ(a->authMask, 0x42u);              /* the top section failed */
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("on line 3\nUnrecognised keyword 'NOMENU_HELP'"), std::string::npos);

    notices.clear();
    EXPECT_EQ(Load("msg_all\nqueue_list MYQ\n"), 0);
    EXPECT_NE(notices[0].find("'MYQ' found where '=' expected"), std::string::npos);
    notices.clear();
    EXPECT_EQ(Load("queue_mask = ( A )\n"), 0);
    EXPECT_NE(notices[0].find("'(' found where '{' expected"), std::string::npos);
    notices.clear();
    EXPECT_EQ(Load("queue_mask = { A, B\n"), 0);
    EXPECT_NE(notices[0].find("Expected '}' before end of file"), std::string::npos);
    notices.clear();
    EXPECT_EQ(Load("queue_mask = { ! }\n"), 0);
    EXPECT_NE(notices[0].find("A queue mask value of '!' is not supported"), std::string::npos);

    notices.clear();
    EXPECT_EQ(Load("msg_display\nQM:A\nmsg_copy bogus\n"), 0);
    EXPECT_EQ(a->authMask, 0x3u);               /* the section's rights so far */
    notices.clear();
    EXPECT_EQ(Load("msg_display\nOTHER:\n"), 0);
    EXPECT_NE(notices[0].find("on line 2\nUnrecognised authority keyword 'OTHER:'"),
              std::string::npos);
}

/* Every prefix of an authorities file loads without a fault. */
TEST_F(Aut, FuzzPrefixes)
{
    Add("PROD1");
    std::string text = "all !msg_delete queue_list=Q.* queue_mask={A.*,!B.*}\n"
                       "nomenu_help nomenu_msg_format\nQM:PROD*\nmsg_all queue_prefix_min=2\n"
                       "QM:X\n!all\n";
    for (size_t i = 0; i <= text.size(); i++) {
        Load(text.substr(0, i));
        AutReset();
    }
}

}  // namespace
