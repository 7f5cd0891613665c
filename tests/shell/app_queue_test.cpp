/* Opening a queue into a frame's panes: a queue line activated (the
 * panes shown with the queue and location, and the caption), and the
 * start-up options "-m" and "-q". */
#include <gtest/gtest.h>

#include "apptest.h"
#include "cmddlg.h"
#include "pcfwin.h"
#include "mq/command/command.h"
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
    ASSERT_TRUE(AppDemoExpanded(f));
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
            /* ours only: other test programs share the display */
            if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() &&
                WindowText(w).find(item.title) != std::string::npos)
                found = w;
        }
        EXPECT_NE(found, nullptr) << "menu item " << item.id << " opened no " << item.title;
        if (found)
            SendMessageA(found, WM_CLOSE, 0, 0);
        PumpAll();
    }
    tree->selLine = was;
}

/* "-m" and "-q": the queue opens in the main frame once the location's
 * queue list has arrived; a queue manager without a location, and a queue
 * that is no local queue, say so in a box. */
TEST(AppQueue, StartupOptionsOpenTheirQueueOrSayWhatIsWrong)
{
    FrameWords *f = AppMain();
    Boxes().clear();
    strcpy(ShellOptions.qmName, "NO.SUCH.QM");
    strcpy(ShellOptions.queue, "START.Q");
    OpenStartupQMgr(f->window);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Ravolt does not have a definition of Queue Manager 'NO.SUCH.QM'.");
    EXPECT_EQ(Boxes()[0].caption, "Ravolt Error");
    EXPECT_STREQ(ShellOptions.qmName, "");
    EXPECT_STREQ(ShellOptions.queue, "");

    /* as at start-up: a location not yet connected */
    ASSERT_EQ(AppMqsc("RAVOLT.START", "DEFINE QLOCAL(START.Q)\nDEFINE QALIAS(START.ALIAS) TARGET(START.Q)\n"), 0);
    QMS *r = AppLocation("RAVOLT.START");
    ASSERT_NE(r, nullptr);
    Boxes().clear();
    Refreshes().clear();
    strcpy(ShellOptions.qmName, "RAVOLT.START");
    strcpy(ShellOptions.queue, "START.ALIAS");
    OpenStartupQMgr(f->window);
    ASSERT_EQ(Refreshes().size(), 1u);
    EXPECT_EQ(Refreshes()[0].bits, (uint32_t)RK_QUEUES);
    ASSERT_TRUE(AppConnect(r));
    ASSERT_TRUE(PumpUntil([] { return !Boxes().empty(); }, 20000));
    EXPECT_EQ(Boxes()[0].text, "Queue 'START.ALIAS' on Queue Manager 'RAVOLT.START' is not a local queue.");
    ASSERT_TRUE(AppRefreshDone(20000, r));

    ASSERT_EQ(AppMqsc("RAVOLT.START", "DEFINE QLOCAL(START.NEW)\n"), 0);
    strcpy(ShellOptions.qmName, "RAVOLT.START");
    strcpy(ShellOptions.queue, "START.NEW");
    OpenStartupQMgr(f->window);
    ASSERT_TRUE(PumpUntil([&] { return PaneQueue(f->listPane) == "START.NEW"; }, 20000));
    EXPECT_EQ(PaneQueue(f->msgPane), "START.NEW");
    EXPECT_EQ(f->listPane->first.location, r);
    EXPECT_STREQ(ShellOptions.queue, "");
    ASSERT_TRUE(AppRefreshDone(20000, r));
    AppRemoveLocation(r);
}
