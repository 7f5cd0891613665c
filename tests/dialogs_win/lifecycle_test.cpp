/* Dialogs opened and closed: each kind with its windows (a list's title
 * tips balloons only while the preference asks for them), private
 * definition copies, default capabilities without a location, the hidden
 * owner, instance numbers renumbered on closing, texts posted from worker
 * threads, the repeat command, the close-pending instance, and nothing
 * left behind after many dialogs. */
#include "wintest.h"

#include <commctrl.h>
#include <thread>

#include "cs.h"
#include "mq/capability.h"
#include "pcflists.h"
#include "tkcontrols.h"

using namespace wintest;
using namespace dlgtest;

namespace {

struct Life : Windows {};

std::string Text(HWND w)
{
    char t[800] = "";
    GetWindowTextA(w, t, sizeof t);
    return t;
}

TEST_F(Life, EveryKindOpensWithItsWindowsAndCloses)
{
    Location qm("QMLIFE");
    /* balloon: the list's title tips are balloons (as the preference is set) */
    struct Kind { PCFCommandDef *def; const char *title; bool list, count, data, balloon; } kinds[] = {
        { &PCFQueueManagerDef, "QMLIFE/Queue Manager", false, false, false, false },
        { &PCFQueueDef, "QMLIFE/Queue", false, false, false, false },
        { &PCFQueueListDef, "QMLIFE/Queue List", true, true, false, true },
        { &PCFMessageListDef, "QMLIFE/Message List", true, true, false, false },
        { &PCFMessageDef, "QMLIFE/Message", false, true, true, false },
    };
    const int balloons = PcfListPrefs.balloonTips;
    for (const Kind &k : kinds) {
        SCOPED_TRACE(k.def->title);
        PcfListPrefs.balloonTips = k.balloon;
        DialogWords *d = Open(k.def, &qm.q);
        ASSERT_NE(d, nullptr);
        HWND hwnd = PCFWnd(d->window);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        EXPECT_EQ(Text(hwnd).rfind(k.title, 0), 0u) << Text(hwnd);
        EXPECT_EQ(PCFDialogOf(hwnd), d);
        EXPECT_EQ(FindChild(hwnd, "COMBOBOX", PCFC_STATUS), PCFWnd(d->statusWindow));
        EXPECT_EQ(d->countWindow != nullptr, k.count);
        EXPECT_EQ(d->splitList != nullptr, k.list);
        EXPECT_EQ(d->fieldsPane != nullptr, k.list);
        EXPECT_EQ(d->dataWindow != nullptr, k.data);
        EXPECT_NE(d->fieldWindow, nullptr);
        EXPECT_NE(GetMenu(hwnd), nullptr);
        EXPECT_TRUE(d->stateFlags & DF_MADE);
        if (k.list)
            EXPECT_EQ(GetWindowLongA(PCFWnd(d->tipWindow), GWL_STYLE) & TTS_BALLOON, k.balloon ? TTS_BALLOON : 0);
        Close(d);
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(PCFOpenDialogs, nullptr);
    }
    PcfListPrefs.balloonTips = balloons;
    Forget(&qm.q);
    EXPECT_EQ(Blocks(), blocks);
}

TEST_F(Life, PrivateCopiesCapabilitiesAndTheHiddenOwner)
{
    /* a reply-fields definition opened twice: two independent copies */
    static PCFCommandDef replyFields = PCFMessageDef;
    replyFields.flags |= PCFD_REPLYFIELDS;
    DialogWords *a = Open(&replyFields), *b = Open(&replyFields);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a->definition, &replyFields);
    EXPECT_NE(a->definition, b->definition);
    EXPECT_NE(a->definition->fields, b->definition->fields);
    EXPECT_EQ(a->fieldCount, b->fieldCount);
    EXPECT_GT(a->fieldCount, 0);
    Close(a);
    EXPECT_STREQ(b->definition->title, "Message");
    EXPECT_EQ(b->definition->fields[0].field, PCFMessageDef.fields[0].field);
    EXPECT_TRUE(b->ownsDefinition);
    /* no location: the program-wide capabilities, no command-level query */
    EXPECT_EQ(b->first.location, nullptr);
    for (int i = 1; i < CAP_COUNT; i++)
        ASSERT_TRUE(CapGet(b->first.caps, i)) << i;
    EXPECT_TRUE(engine.calls.empty());
    /* a top-level dialog has its hidden owner, unless the option says not */
    HWND owner = GetWindow(PCFWnd(b->window), GW_OWNER);
    char cls[40] = "";
    GetClassNameA(owner, cls, sizeof cls);
    EXPECT_STREQ(cls, PCF_CLASS_HIDDEN);
    EXPECT_FALSE(b->stateFlags & DF_NO_HIDDEN_OWNER);
    Close(b);
    EXPECT_EQ(CountWindows(PCF_CLASS_HIDDEN), 0);
    PcfWinPrefs.ownTaskbarWindows = 1;
    DialogWords *c = Open(&PCFQueueDef);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(CountWindows(PCF_CLASS_HIDDEN), 0);
    EXPECT_EQ(GetWindow(PCFWnd(c->window), GW_OWNER), nullptr);
    EXPECT_TRUE(c->stateFlags & DF_NO_HIDDEN_OWNER);
    Close(c);
    Forget(nullptr);
    EXPECT_EQ(Blocks(), blocks);
}

TEST_F(Life, CommandLevelQueryBeforeOpening)
{
    Location unknown("QMNEW", 0);
    DialogWords *d = Open(&PCFQueueManagerDef, &unknown.q);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(engine.calls, std::vector<std::string>({ "level QMNEW", "do 1" }));
    EXPECT_TRUE(unknown.q.downloadState & 0x1);
    Close(d);
    /* asked once: the next dialog does not ask again */
    engine.calls.clear();
    d = Open(&PCFQueueManagerDef, &unknown.q);
    EXPECT_EQ(engine.calls, std::vector<std::string>({ "do 1" }));
    Close(d);
    /* a query that cannot be sent: no dialog */
    Location other("QMFAIL", 0);
    engine.levelFails = 1;
    EXPECT_EQ(Open(&PCFQueueDef, &other.q), nullptr);
    EXPECT_EQ(PCFOpenDialogs, nullptr);
    EXPECT_EQ(CountWindows(PCF_CLASS_COMMAND), 0);
    EXPECT_EQ(CountWindows(PCF_CLASS_HIDDEN), 0);
    Forget(&unknown.q);
    EXPECT_EQ(Blocks(), blocks);
}

TEST_F(Life, ClosingTheSecondOfThreeRenumbersTheThird)
{
    Location qm("QMNUM");
    DialogWords *a = Open(&PCFQueueDef, &qm.q), *b = Open(&PCFQueueDef, &qm.q), *c = Open(&PCFQueueDef, &qm.q);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->instance, 1u);
    EXPECT_EQ(c->instance, 3u);
    EXPECT_EQ(a->dlgInfo, c->dlgInfo);
    EXPECT_EQ(Text(PCFWnd(c->window)), "QMNUM/Queue:3");
    Close(b);
    EXPECT_EQ(c->instance, 2u);
    EXPECT_EQ(Text(PCFWnd(c->window)), "QMNUM/Queue:2");
    EXPECT_EQ(a->instance, 1u);
    EXPECT_EQ(Text(PCFWnd(a->window)), "QMNUM/Queue");
}

TEST_F(Life, TextsPostedFromAWorkerShowWhenHandled)
{
    DialogWords *d = Open(&PCFQueueDef);
    ASSERT_NE(d, nullptr);
    HWND status = PCFWnd(d->statusWindow), hwnd = PCFWnd(d->window);
    int64_t before = Blocks();
    std::thread([d] {
        PCFDialogStatus(d, "from a worker", nullptr, 1);
        PCFDialogTitle(d, " (worker)");
        PCFSetMenu(d);
    }).join();
    EXPECT_EQ(Text(status), "");
    EXPECT_EQ(Text(hwnd), "Queue");
    EXPECT_EQ(Blocks(), before + 2);          /* two copies wait in the queue */
    MSG m;
    EXPECT_TRUE(PeekMessageA(&m, hwnd, UM_PCF_SETMENU, UM_PCF_SETMENU, PM_NOREMOVE));
    Pump();
    EXPECT_EQ(Text(status), "from a worker");
    EXPECT_EQ(SendMessageA(status, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(Text(hwnd), "Queue (worker)");
    EXPECT_EQ(Blocks(), before);
    /* 10006 without a block shows an empty status; 10005 without one the plain title */
    PostMessageA(hwnd, UM_PCF_STATUS, 0, 0);
    PostMessageA(hwnd, UM_PCF_TITLE, 0, 0);
    Pump();
    EXPECT_EQ(Text(status), "");
    EXPECT_EQ(Text(hwnd), "Queue");
    /* a post to a window that has gone gives its block back */
    DialogWords *gone = Open(&PCFQueueDef);
    HWND goneWindow = PCFWnd(gone->window);
    DestroyWindow(goneWindow);
    Pump();
    DialogWords ghost = {};
    ghost.window = goneWindow;
    before = Blocks();
    std::thread([&ghost] { PCFDialogStatus(&ghost, "lost", nullptr, 0); }).join();
    EXPECT_EQ(Blocks(), before);
}

TEST_F(Life, TheRepeatCommand)
{
    DialogWords *d = Open(&PCFMessageDef);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window);
    engine.calls.clear();
    SendMessageA(hwnd, WM_COMMAND, 6004, 0);    /* nothing remembered: nothing happens */
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, hwnd, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    EXPECT_EQ(d->repeatMessage, 0u);
    SendMessageA(hwnd, WM_COMMAND, 4003, 0);    /* a structure insert: repeatable */
    EXPECT_EQ(d->repeatMessage, (uint32_t)WM_COMMAND);
    EXPECT_EQ(LOWORD(d->repeatWParam), 4003);
    SendMessageA(hwnd, WM_COMMAND, 6004, 0);
    ASSERT_TRUE(PeekMessageA(&m, hwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(m.wParam), 4003);
    EXPECT_EQ(d->repeatMessage, (uint32_t)WM_COMMAND);
    SendMessageA(hwnd, WM_COMMAND, 1, 0);       /* any other command forgets it */
    EXPECT_EQ(d->repeatMessage, 0u);
    EXPECT_EQ(engine.calls, std::vector<std::string>({ "do 1" }));
}

TEST_F(Life, AClosedDialogWithACommandInFlightIsFreedWhenItEnds)
{
    Location qm("QMBUSY");
    DialogWords *d = Open(&PCFQueueDef, &qm.q);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window);
    engine.busy = 1;
    Close(d);
    EXPECT_FALSE(IsWindow(hwnd));
    ASSERT_EQ(PCFOpenDialogs, d);               /* kept, marked closing */
    EXPECT_TRUE(d->stateFlags & DF_CLOSING);
    EXPECT_EQ(d->closePending, 1u);
    EXPECT_EQ(d->window, nullptr);
    /* the late reply of that command reaches no window, and nothing waits */
    int64_t before = Blocks();
    std::thread([d] {
        PCFDialogStatus(d, "late", nullptr, 0);
        PCFDialogTitle(d, nullptr);
        PCFSetMenu(d);
    }).join();
    EXPECT_EQ(Blocks(), before);
    PCFBroadcast(WM_NULL, 0, 0);
    /* the command ends on a worker: the instance goes */
    engine.busy = 0;
    int freed = 0;
    std::thread([d, &freed] { freed = PCFReleaseClosing(d); }).join();
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(PCFOpenDialogs, nullptr);
    Forget(&qm.q);
    EXPECT_EQ(Blocks(), blocks);
}

TEST_F(Life, AHundredDialogsOfEachKindLeaveNothing)
{
    /* child dialogs and unshown (background) top-level ones: closing a shown
     * top-level window costs seconds under Wine without a window manager */
    Location qm("QMLEAK");
    for (PCFCommandDef *def : { &PCFQueueManagerDef, &PCFQueueDef, &PCFQueueListDef, &PCFMessageListDef, &PCFMessageDef }) {
        for (int i = 0; i < 100; i++) {
            DialogWords *d = Open(def, i % 2 ? &qm.q : nullptr, i % 4 < 2 ? DO_CHILD : DO_BACKGROUND);
            ASSERT_NE(d, nullptr);
            Close(d);
        }
        Forget(&qm.q);
        EXPECT_EQ(Blocks(), blocks) << def->title;
        EXPECT_EQ(CountWindows(PCF_CLASS_HIDDEN), 0);
    }
}

}  // namespace
