/* The queue-manager tree of a frame over the stand-in: location lines,
 * the queue list a refresh brings, where each queue goes, searches and
 * the prefix. */
#include <gtest/gtest.h>

#include <algorithm>

#include "apptest.h"
#include "locstore.h"

static bool Has(const std::vector<std::string> &v, const std::string &s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

TEST(AppTree, ExpandingTheDemoLocationBringsItsQueuesIntoTheirPlaces)
{
    FrameWords *f = AppMain();
    PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000);
    cntLINE *demo = FindLine(f, "RAVOLT.DEMO");
    ASSERT_NE(demo, nullptr);
    Refreshes().clear();
    ASSERT_TRUE(ExpandLine(f, demo));
    ASSERT_EQ(Refreshes().size(), 1u);
    EXPECT_EQ(Refreshes()[0].qm, "RAVOLT.DEMO");
    EXPECT_EQ(Refreshes()[0].prefix, "*");
    ASSERT_TRUE(AppRefreshDone());
    demo = FindLine(f, "RAVOLT.DEMO");
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
