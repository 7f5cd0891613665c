/* Opening a queue into a frame's panes: a queue line activated, the
 * panes shown with the queue and location, and the caption. */
#include <gtest/gtest.h>

#include "apptest.h"
#include "cmddlg.h"
#include "pcfwin.h"
#include "shellint.h"

static std::string PaneQueue(DialogWords *d)
{
    char text[64] = "";
    const char *q = PCFGetValueText(d, 2016, text, sizeof text);
    return q ? q : "";
}

TEST(AppQueue, ActivatingAQueueLineFillsBothPanes)
{
    FrameWords *f = AppMain();
    PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000);
    cntLINE *demo = FindLine(f, "RAVOLT.DEMO");
    ASSERT_NE(demo, nullptr);
    if (!FindLine(f, "DEMO.REQUEST")) {
        ASSERT_TRUE(ExpandLine(f, demo));
        ASSERT_TRUE(AppRefreshDone());
    }
    cntLINE *q = FindLine(f, "DEMO.REQUEST");
    ASSERT_NE(q, nullptr);
    TreeActivated(f, q);
    PumpAll();
    EXPECT_EQ(PaneQueue(f->listPane), "DEMO.REQUEST");
    EXPECT_EQ(PaneQueue(f->msgPane), "DEMO.REQUEST");
    EXPECT_EQ(f->listPane->first.location, AppDemo());
    EXPECT_EQ(f->msgPane->first.location, AppDemo());
    EXPECT_TRUE(IsWindowVisible(PCFWnd(f->listPane->window)));
    EXPECT_EQ(WindowText(f->window), "Ravolt - [RAVOLT.DEMO/DEMO.REQUEST]");
    GalleryDialogShot(f->window, "frame_queue_open");
}
