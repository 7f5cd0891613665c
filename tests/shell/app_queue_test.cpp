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

/* The Objects menu opens its object and list dialogs for the location
 * selected in the tree: Queue Manager, Queue, Queue List, Message List. */
TEST(AppQueue, TheObjectsMenuOpensItsDialogsForTheSelectedLocation)
{
    FrameWords *f = AppMain();
    PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000);
    cntLINE *demo = FindLine(f, "RAVOLT.DEMO");
    ASSERT_NE(demo, nullptr);
    CNTW *tree = TreeRecord(f);
    ASSERT_NE(tree, nullptr);
    cntLINE *was = tree->selLine;
    tree->selLine = demo;
    const struct { int32_t id; const char *title; } items[] = {
        { 542, "RAVOLT.DEMO/Queue Manager" }, { 533, "RAVOLT.DEMO/Queue" },
        { 534, "RAVOLT.DEMO/Queue List" }, { 566, "RAVOLT.DEMO/Message List" },
    };
    for (const auto &item : items) {
        FrameCommand(f, item.id);
        PumpAll();
        HWND found = nullptr;
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, PCF_CLASS_COMMAND, nullptr)) != nullptr;) {
            if (WindowText(w).find(item.title) != std::string::npos)
                found = w;
        }
        EXPECT_NE(found, nullptr) << "menu item " << item.id << " opened no " << item.title;
        if (found)
            SendMessageA(found, WM_CLOSE, 0, 0);
        PumpAll();
    }
    tree->selLine = was;
}
