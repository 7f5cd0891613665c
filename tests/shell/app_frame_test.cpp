/* The frame of the shell running in the test's process: its panel, tree
 * and panes as start-up leaves them. */
#include <gtest/gtest.h>

#include "apptest.h"
#include "cmddlg.h"
#include "pcfwin.h"

TEST(AppFrame, StartsWithThePanelTheTreeAndHiddenPanes)
{
    HWND main = AppStart();
    ASSERT_NE(main, nullptr);
    FrameWords *f = AppMain();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(WindowText(main).rfind("Ravolt", 0), 0u);
    ASSERT_NE(f->listPane, nullptr);
    ASSERT_NE(f->msgPane, nullptr);
    PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000);
    ASSERT_NE(FindLine(f, "RAVOLT.DEMO"), nullptr);
    GalleryDialogShot(main, "frame_start");
}

