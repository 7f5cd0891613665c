/* The queue-manager tree of a frame over the stand-in, filled by the MQ
 * engine's refresh: location lines, the placeholder and the download
 * icon before and while the queue list comes, where each queue goes, the
 * prefix's errors and the search typed into the panel. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "apptest.h"
#include "locstore.h"
#include "mqsim.h"
#include "command.h"
#include "prfdata.h"
#include "shellint.h"
#include "shellwork.h"

static bool Has(const std::vector<std::string> &v, const std::string &s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

static std::string StatusText(FrameWords *f)
{
    return WindowText(GetDlgItem(f->panel, PANEL_STATUS));
}

/* A location of its own, never connected before, for the road from
 * "not yet loaded" to the queue lines. */
TEST(AppTree, AQueueListAskedBeforeConnectingArrivesWithTheQueueManager)
{
    FrameWords *f = AppMain();
    int32_t idle = Prf.objo;
    Prf.objo = 0;                                     /* never idle: loaded */
    ASSERT_EQ(AppMqsc("RAVOLT.TREE", "DEFINE QLOCAL(TREE.ONE)\nDEFINE QALIAS(TREE.TWO) TARGET(TREE.ONE)\n"), 0);
    QMS *r = AppLocation("RAVOLT.TREE");
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.TREE") != nullptr; }, 5000));
    EXPECT_EQ(ShellDownloadBitmap(r), ShellBitmap(BMP_DL_NOTLOADED));
    Refreshes().clear();
    ASSERT_TRUE(ExpandLine(f, FindLine(f, "RAVOLT.TREE")));
    ASSERT_EQ(Refreshes().size(), 1u);
    EXPECT_EQ(Refreshes()[0].bits, (uint32_t)RK_QUEUES);
    EXPECT_EQ(Refreshes()[0].prefix, "*");
    PumpAll();
    /* the level is not known: the list waits, nothing is outstanding */
    EXPECT_EQ(r->refreshMarks & RM_BUSY, 0u);
    EXPECT_EQ(ChildTexts(FindLine(f, "RAVOLT.TREE")), std::vector<std::string>{"Definitions not yet loaded..."});

    ASSERT_TRUE(AppConnect(r));
    ASSERT_TRUE(AppRefreshDone(20000, r));
    CMDQMGR got;
    ASSERT_TRUE(CmdReported(r, &got));
    EXPECT_STREQ(got.name, "RAVOLT.TREE");
    std::vector<std::string> lines = ChildTexts(FindLine(f, "RAVOLT.TREE"));
    EXPECT_TRUE(Has(lines, "TREE.ONE"));
    EXPECT_TRUE(Has(lines, "Other Queues"));
    EXPECT_FALSE(Has(lines, "Definitions not yet loaded..."));
    EXPECT_TRUE(PumpUntil([r] { return ShellDownloadBitmap(r) == ShellBitmap(BMP_DL_DONE); }, 10000));

    /* a forced refresh: the loading icon until its replies are in (the
       command server stopped meanwhile, so that none comes before the
       look) */
    Refreshes().clear();
    StandInFault(MQSIM_COMMAND_SERVER, 1, MQSIM_CMDSERVER_STOPPED);
    DoAction(f->window, r, nullptr, 508);
    ASSERT_EQ(Refreshes().size(), 1u);
    EXPECT_EQ(Refreshes()[0].bits, (uint32_t)(RK_QMGR | RK_QUEUES));
    EXPECT_NE(r->refreshMarks & RM_BUSY, 0u);
    EXPECT_EQ(ShellDownloadBitmap(r), ShellBitmap(BMP_DL_LOADING));
    StandInFault(MQSIM_COMMAND_SERVER, 0, MQSIM_CMDSERVER_STOPPED);
    ASSERT_TRUE(AppRefreshDone(20000, r));
    EXPECT_TRUE(PumpUntil([r] { return ShellDownloadBitmap(r) == ShellBitmap(BMP_DL_DONE); }, 10000));
    EXPECT_TRUE(Has(ChildTexts(FindLine(f, "RAVOLT.TREE")), "TREE.ONE"));

    /* a permanent dynamic queue has a line only with its option on */
    ASSERT_EQ(AppMqsc("RAVOLT.TREE", "DEFINE QMODEL(TREE.MODEL) DEFTYPE(PERMDYN)\n"), 0);
    {
        MqiSession s("RAVOLT.TREE");
        MqiSession::Name(s.od.DynamicQName, "TREE.PERM", sizeof s.od.DynamicQName);
        ASSERT_TRUE(s.Open("TREE.MODEL", MQOO_INPUT_AS_Q_DEF));
    }
    /* the queue list asks for dynamic queues only with "dynamic"; one
     * refresh brings it, and the lines are built again for each state of
     * the option (a refresh that changes nothing builds none) */
    const uint32_t po4 = Prf.po[3], opt1 = Prf.opt1;
    Prf.opt1 |= 0x4;                                  /* option word 1: list dynamic queues */
    DoAction(f->window, r, nullptr, 508);
    ASSERT_TRUE(AppRefreshDone(20000, r));
    for (uint32_t shown : { 0u, (uint32_t)PO4_PERMANENT_DYNAMIC }) {
        Prf.po[3] = (po4 & ~(uint32_t)PO4_PERMANENT_DYNAMIC) | shown;
        LocListCommand(f->window, 0);
        PumpAll();
        EXPECT_EQ(FindLine(f, "TREE.PERM") != nullptr, shown != 0) << shown;
    }
    Prf.po[3] = po4;
    Prf.opt1 = opt1;
    AppRemoveLocation(r);
    EXPECT_EQ(FindLine(f, "RAVOLT.TREE"), nullptr);
    Prf.objo = idle;
}

TEST(AppTree, ExpandingTheDemoLocationBringsItsQueuesIntoTheirPlaces)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    cntLINE *demo = FindLine(f, "RAVOLT.DEMO");
    ASSERT_NE(demo, nullptr);
    std::vector<std::string> top = ChildTexts(demo);
    EXPECT_TRUE(Has(top, "Other Queues"));
    EXPECT_TRUE(Has(top, "System Queues"));
    EXPECT_TRUE(Has(top, "DEMO.REQUEST"));
    EXPECT_TRUE(Has(top, "DEMO.REPLY"));
    EXPECT_FALSE(Has(top, "DEMO.MODEL"));
    std::vector<std::string> other = ChildTexts(FindLine(f, "Other Queues"));
    EXPECT_EQ(other, std::vector<std::string>{"DEMO.ALIAS"});
    std::vector<std::string> system = ChildTexts(FindLine(f, "System Queues"));
    EXPECT_TRUE(Has(system, "SYSTEM.ADMIN.COMMAND.QUEUE"));
    for (const std::string &s : system)
        EXPECT_EQ(s.rfind("SYSTEM.", 0), 0u) << s;
    for (const TreeLine &l : TreeLines(f))
        EXPECT_EQ(l.text.find("MODEL"), std::string::npos) << l.text;
    EXPECT_TRUE(FindLine(f, "RAVOLT.DEMO")->flags & CNTL_EXPANDED);
    GalleryDialogShot(f->window, "frame_demo_expanded");
}

/* A bad prefix: its error on the panel's status line (11), the line
 * does not expand and no refresh is asked; a good one clears it. */
TEST(AppTree, PrefixErrorsShowOnTheStatusLine)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    cntLINE *demo = FindLine(f, "RAVOLT.DEMO");
    struct { const char *text, *error; } bad[] = {
        { "DE*MO", "Asterisk can only be at the end of the Queue prefix" },
        { "DEMO Q", "Queue Prefix contains invalid characters" },
    };
    for (const auto &b : bad) {
        SetWindowTextA(f->prefix, b.text);
        Refreshes().clear();
        EXPECT_EQ(SendMessageA(f->panel, CN_EXPANDING, 0, (LPARAM)demo), 0) << b.text;
        EXPECT_EQ(StatusText(f), b.error);
        EXPECT_TRUE(Refreshes().empty());
    }
    SetWindowTextA(f->prefix, "DEMO.RE");
    EXPECT_TRUE(CheckQueuePrefix(f, 1));
    EXPECT_EQ(StatusText(f), "");
    EXPECT_STREQ(f->prefixText, "DEMO.RE*");
    SetWindowTextA(f->prefix, "*");
    EXPECT_TRUE(CheckQueuePrefix(f, 1));
    PumpAll();
}

/* Typing in the search field applies only after "sdelay" of quiet. */
TEST(AppTree, ASearchIsAppliedAfterTheDelayWithoutTyping)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    int32_t saved = Prf.sdelay;
    Prf.sdelay = 60000;                               /* no tick of this test comes that late */
    SetWindowTextA(f->search, "NOSUCHLOCATION");
    ASSERT_TRUE(Shell.searchPending);
    ASSERT_NE(f->searchTick, 0u);
    ShellTimerTick(Shell.mainWindow);                 /* too soon: not yet */
    EXPECT_NE(f->searchTick, 0u);
    PumpAll();
    EXPECT_NE(FindLine(f, "RAVOLT.DEMO"), nullptr);
    f->searchTick -= 60001;                           /* as typed the delay and a moment ago */
    ShellTimerTick(Shell.mainWindow);
    EXPECT_EQ(f->searchTick, 0u);
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") == nullptr; }, 5000));
    ShellTimerTick(Shell.mainWindow);                 /* no frame waits: the flag goes */
    EXPECT_FALSE(Shell.searchPending);

    SetWindowTextA(f->search, "");
    ApplySearch(f);
    EXPECT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000));
    Prf.sdelay = saved;
}

/* A queue search leaves out the groups it empties; clearing it brings
 * them back.  With queue counts on, the location's line counts the queues
 * of the prefix and search of the same build. */
TEST(AppTree, AQueueSearchHidesTheGroupsItEmpties)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    ASSERT_NE(f->searchQ, nullptr);
    SetWindowTextA(f->searchQ, "DEMO.REQ*");
    ApplySearch(f);
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "System Queues") == nullptr; }, 5000));
    std::vector<std::string> top = ChildTexts(FindLine(f, "RAVOLT.DEMO"));
    EXPECT_TRUE(Has(top, "DEMO.REQUEST"));
    EXPECT_FALSE(Has(top, "Other Queues"));
    SetWindowTextA(f->searchQ, "DEMO.ALI*");
    ApplySearch(f);
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "Other Queues") != nullptr; }, 5000));
    EXPECT_EQ(ChildTexts(FindLine(f, "Other Queues")), std::vector<std::string>{"DEMO.ALIAS"});
    EXPECT_EQ(FindLine(f, "System Queues"), nullptr);
    SetWindowTextA(f->searchQ, "");
    ApplySearch(f);
    EXPECT_TRUE(PumpUntil([&] { return FindLine(f, "System Queues") != nullptr; }, 5000));
    EXPECT_NE(FindLine(f, "Other Queues"), nullptr);

    uint32_t flags = f->flags;
    f->flags = (f->flags | FF_QCOUNT | FF_QMNAME) & ~(FF_LOCATION | FF_MQVERSION);
    auto demoText = [&] {
        cntLINE *demo = FindLine(f, "RAVOLT.DEMO");
        for (const TreeLine &l : TreeLines(f))
            if (l.line == demo)
                return l.text;
        return std::string("(none)");
    };
    const struct { const char *prefix, *search, *line; } counts[] = {
        { "DEMO.RE", "", "RAVOLT.DEMO - (2/2)" },
        { "DEMO.RE", "DEMO.REQ*", "RAVOLT.DEMO - (1/2)" },
        { "DEMO.REQ", "", "RAVOLT.DEMO - (1/1)" },
    };
    for (const auto &c : counts) {
        SetWindowTextA(f->prefix, c.prefix);
        SetWindowTextA(f->searchQ, c.search);
        ApplySearch(f);
        std::string shown;
        EXPECT_TRUE(PumpUntil([&] { return (shown = demoText()) == c.line; }, 3000))
            << c.prefix << " " << c.search << ": " << shown;
    }
    f->flags = flags;
    SetWindowTextA(f->prefix, "*");
    SetWindowTextA(f->searchQ, "");
    ApplySearch(f);
    EXPECT_TRUE(PumpUntil([&] { return FindLine(f, "System Queues") != nullptr; }, 5000));
}

/* A location marked "auto" (as scripts/run writes RAVOLT.DEMO) is
 * connected by the location timer, learns its queue manager at once and
 * shows its queues as soon as it is expanded. */
TEST(AppTree, AnAutomaticLocationConnectsOnTheTimerAndExpandsStraightAway)
{
    FrameWords *f = AppMain();
    ASSERT_EQ(AppMqsc("RAVOLT.AUTO", "DEFINE QLOCAL(AUTO.Q)\n"), 0);
    QMS *r = AppLocation("RAVOLT.AUTO");
    ASSERT_NE(r, nullptr);
    r->flags |= LF_AUTO;
    ASSERT_TRUE(PumpUntil([&] { return (r->putThread.state & 0x4) && r->commandLevel > 0; }, 20000));
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.AUTO") != nullptr; }, 5000));
    Refreshes().clear();
    ASSERT_TRUE(ExpandLine(f, FindLine(f, "RAVOLT.AUTO")));
    /* sent at once: asked, or already answered (the stand-in's reply may
     * come back before the expand returns) */
    EXPECT_NE(r->refreshMarks & (RM_QUEUES_ASKED | RM_QUEUES_DONE), 0u);
    ASSERT_TRUE(AppRefreshDone(20000, r));
    EXPECT_TRUE(Has(ChildTexts(FindLine(f, "RAVOLT.AUTO")), "AUTO.Q"));
    r->flags &= ~LF_AUTO;
    AppRemoveLocation(r);
}

/* Two locations of one queue manager make a ring with one line, the
 * latest used: using the other member hands the line to it at the next
 * repaint, its name and icon's location alike, with no rebuild asked. */
TEST(AppTree, ARingsLineNamesTheMemberUsedLast)
{
    FrameWords *f = AppMain();
    uint32_t flags = f->flags;
    f->flags = (f->flags & ~FF_QMNAME) | FF_LOCATION;     /* lines named by location */
    QMS *a = AppLocation("RAVOLT.RING");
    ASSERT_NE(a, nullptr);
    QMS t;
    memset(&t, 0, sizeof t);
    InitLocationDefaults(&t);
    snprintf(t.qmName, sizeof t.qmName, "RAVOLT.RING");
    snprintf(t.locationName, sizeof t.locationName, "RING.OTHER");
    snprintf(t.secondName, sizeof t.secondName, "OTHER");
    QMS *b = LocCreate(&LocTree, &t, 0);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(a->nextInRing, b);
    PostMessageA(f->window, FRM_TOUCH, 0, (LPARAM)a);
    PumpAll();
    SetWindowTextA(f->search, "RAVOLT.RING");           /* its line alone, in sight */
    ApplySearch(f);
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.RING") != nullptr; }, 5000));
    EXPECT_EQ(FindLine(f, "RING.OTHER"), nullptr);

    a->lastUsed -= 10;                                  /* b is used later */
    PostMessageA(f->window, FRM_TOUCH, 0, (LPARAM)b);
    PumpAll();
    EXPECT_TRUE(b->status & LS_FIRSTOFRING);
    RedrawWindow(f->tree, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(PumpUntil([&] { return FindLine(f, "RING.OTHER") != nullptr; }, 5000));
    EXPECT_EQ(FindLine(f, "RAVOLT.RING"), nullptr);
    QMS *owner = nullptr;
    if (cntLINE *line = FindLine(f, "RING.OTHER"))
        ShellLineKind(line, &owner);
    EXPECT_EQ(owner, b);

    f->flags = flags;
    SetWindowTextA(f->search, "");
    ApplySearch(f);
    AppRemoveLocation(b);
    AppRemoveLocation(a);
    PumpAll();
}
