/* More frames than one: what a second frame costs and gives back, the
 * accelerators of the active frame, the Windows menu and tiling, connecting
 * what a frame shows, and the main frame closed while another lives on
 * (the timer, its work and the blocks queued for it move over). */
#include <gtest/gtest.h>

#include <algorithm>

#include "apptest.h"
#include "command.h"
#include "cs.h"
#include "locstore.h"
#include "prfdata.h"
#include "shellint.h"
#include "tkutil.h"

static int64_t Blocks(void)
{
    CSMEMSTATS s;
    CSMemStats(&s);
    return s.blocks;
}

/* An operational-error block as a worker posts it. */
static ZORVAERROR *ErrorBlock(uint32_t flags, const char *text, QMS *location = nullptr)
{
    ZORVAERROR *e = (ZORVAERROR *)CSGetMem(sizeof *e + strlen(text), "ERR");
    e->owner = 0;
    e->location = (uint64_t)(uintptr_t)location;
    e->flags = flags;
    strcpy(e->text, text);
    return e;
}

static FrameWords *NewFrame(void)
{
    HWND w = CreateFrame(AppMain());
    PumpAll();
    FrameWords *f = w ? FrameOf(w) : nullptr;
    if (f)
        PumpUntil([f] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000);
    return f;
}

static void CloseFrame(FrameWords *f)
{
    SendMessageA(f->window, WM_CLOSE, 0, 0);
    AppSettled();
}

static void Select(FrameWords *f, cntLINE *line)
{
    TreeRecord(f)->selLine = line;
}

/* The frame becomes the active one as its activation makes it (without
 * the desktop's foreground, which other test programs share). */
static bool Activate(FrameWords *f)
{
    SendMessageA(f->window, WM_ACTIVATE, WA_ACTIVE, 0);
    return GetActiveFrameRec() == f;
}

/* A frame's panes, panel, lines and record go with it; blocks posted to
 * it and not yet taken are handed to the main frame or released. */
TEST(AppFrames, ASecondFrameCreatedAndClosedLeavesNoBlockBehind)
{
    ASSERT_TRUE(AppDemoExpanded(AppMain()));
    PumpAll();
    /* a frame used as a user does: the demo expanded, a queue opened */
    auto use = [](void) {
        FrameWords *f = NewFrame();
        if (!f)
            return false;
        EXPECT_EQ(FrameCount(), 2);
        cntLINE *demo = FindLine(f, "RAVOLT.DEMO");
        if (demo && !(demo->flags & CNTL_EXPANDED))
            ExpandLine(f, demo);
        AppRefreshDone();
        if (cntLINE *q = FindLine(f, "DEMO.REQUEST"))
            TreeActivated(f, q);
        AppSettled();
        CloseFrame(f);
        return true;
    };
    ASSERT_TRUE(use());                           /* what the first one sets up for good */
    int64_t before = Blocks();
    for (int i = 0; i < 3; i++) {
        ASSERT_TRUE(use());
    }
    EXPECT_EQ(FrameCount(), 1);
    /* the panes' close commands (their queue let go) answered, and what
       the threads still carried for the frames let go as it comes in */
    AppSettled();
    EXPECT_TRUE(PumpUntil([before] { return Blocks() == before; }, 60000)) << Blocks() << " blocks, " << before << " before";

    FrameWords *f = NewFrame();
    ASSERT_NE(f, nullptr);
    HWND gone = f->window;
    ASSERT_TRUE(ShellPostBlock(gone, FRM_LINES, 0, ShellBuildLines(f)));
    ASSERT_TRUE(ShellPostBlock(gone, FRM_TEXT, 0, CSGetMem(64, "TEXT")));
    ASSERT_TRUE(ShellPostBlock(gone, FRM_OPERROR, 0, ErrorBlock(0, "quiet")));
    CloseFrame(f);                                /* closed before its queue was read */
    EXPECT_EQ(FrameCount(), 1);
    EXPECT_TRUE(PumpUntil([before] { return Blocks() == before; }, 60000)) << Blocks() << " blocks, " << before << " before";
}

/* Ctrl+D acts on the frame it is pressed in: the second frame's selected
 * location goes, the main frame's stays. */
TEST(AppFrames, CtrlDInASecondFrameDeletesThatFramesLocation)
{
    FrameWords *main = AppMain();
    QMS *gone = AppLocation("RAVOLT.GONE");
    ASSERT_NE(gone, nullptr);
    FrameWords *second = NewFrame();
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return FindLine(second, "RAVOLT.GONE") && FindLine(main, "RAVOLT.GONE"); }, 5000));
    Select(main, FindLine(main, "RAVOLT.DEMO"));
    Select(second, FindLine(second, "RAVOLT.GONE"));
    ASSERT_TRUE(Activate(second));
    uint32_t co = Prf.co;
    Prf.co |= 0x80000000u;
    AnswerQuestions(1);
    LoopKey(second->tree, 'D', true);
    Prf.co = co;
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].name, "RAVOLT.GONE");
    PumpAll();
    EXPECT_EQ(LocFind("RAVOLT.GONE"), nullptr);
    EXPECT_NE(LocFind("RAVOLT.DEMO"), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !FindLine(main, "RAVOLT.GONE") && FindLine(main, "RAVOLT.DEMO"); }, 5000));
    CloseFrame(second);
}

/* The Windows menu lists the other frames and the modeless windows by
 * their captions and activates them; tiling gives each its own tile. */
TEST(AppFrames, TheWindowsMenuListsTheOpenWindowsAndTilingSharesTheScreen)
{
    FrameWords *main = AppMain();
    HMENU windows = WindowsMenu(main);
    ASSERT_NE(windows, nullptr);
    SendMessageA(main->window, WM_INITMENU, (WPARAM)main->menu, 0);
    std::vector<std::string> alone = MenuTexts(windows);
    EXPECT_EQ(alone.size(), 1u);                  /* nothing else open: "Close all" only */
    EXPECT_EQ(alone[0], "Close &all");
    EXPECT_TRUE(GetMenuState(windows, 651, MF_BYCOMMAND) & MF_GRAYED);

    FrameWords *second = NewFrame();
    ASSERT_NE(second, nullptr);
    SetWindowTextA(second->window, "Ravolt - second");
    AboutDialog(main->window);
    PumpAll();
    SendMessageA(main->window, WM_INITMENU, (WPARAM)main->menu, 0);
    std::vector<std::string> texts = MenuTexts(windows);
    auto has = [&](const std::string &t) { return std::find(texts.begin(), texts.end(), t) != texts.end(); };
    EXPECT_TRUE(has("Close &all"));
    EXPECT_TRUE(has("&Tile Horizontal all"));
    EXPECT_TRUE(has("Close all &dialogs"));
    EXPECT_TRUE(has("Ravolt - second"));
    EXPECT_TRUE(has("About Kelvane - Ravolt"));
    EXPECT_FALSE(has(WindowText(main->window)));  /* the frame itself is not listed */
    int second_id = -1;
    for (int i = 0, n = GetMenuItemCount(windows); i < n; i++)
        if (texts[i] == "Ravolt - second")
            second_id = (int)GetMenuItemID(windows, i);
    ASSERT_GE(second_id, 3000);
    ShowWindow(second->window, SW_MINIMIZE);
    SendMessageA(main->window, WM_COMMAND, (WPARAM)second_id, 0);
    PumpAll();
    EXPECT_FALSE(IsIconic(second->window));       /* brought back and activated */

    for (WPARAM tile : { 806, 805 }) {                /* rows, then columns */
        SendMessageA(main->window, WM_COMMAND, tile, 0);
        PumpAll();
        RECT r[3], overlap;
        GetWindowRect(main->window, &r[0]);
        GetWindowRect(second->window, &r[1]);
        GetWindowRect(AboutWindow(), &r[2]);
        for (int i = 0; i < 3; i++)
            for (int j = i + 1; j < 3; j++)
                EXPECT_FALSE(IntersectRect(&overlap, &r[i], &r[j])) << tile << " " << i << " " << j;
        /* three windows: one band of one, one of two */
        EXPECT_EQ(tile == 806 ? r[0].right - r[0].left : r[0].bottom - r[0].top,
                  tile == 806 ? 2 * (r[1].right - r[1].left) : 2 * (r[1].bottom - r[1].top));
    }
    /* a second monitor plugged in while the program runs: the tiles share
       the primary monitor's work area, not both screens or the task bar */
    UtilSetDisplaySource([](DisplayLayout *d) {
        *d = {2, {0, 0, 3200, 1000}, {{0, 0, 1600, 960}, {1600, 0, 3200, 1000}}};
        return 1;
    });
    SendMessageA(main->window, WM_COMMAND, 805, 0);
    PumpAll();
    RECT r, within = {0, 0, 1600, 960}, both;
    for (HWND w : { main->window, second->window, AboutWindow() })
        EXPECT_TRUE(GetWindowRect(w, &r) && UnionRect(&both, &r, &within) && EqualRect(&both, &within));
    UtilSetDisplaySource(nullptr);
    UtilCheckMonitors();
    SendMessageA(main->window, WM_COMMAND, 652, 0);   /* close all dialogs */
    PumpAll();
    EXPECT_EQ(AboutWindow(), nullptr);
    CloseFrame(second);
}

/* Connect All Shown asks about the locations the frame shows that are
 * not connected, Disconnect All Shown about the connected ones. */
TEST(AppFrames, ConnectAndDisconnectAllShownAskFirst)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppConnect());
    QMS *other = AppLocation("RAVOLT.OTHER");
    ASSERT_EQ(AppMqsc("RAVOLT.OTHER", "DEFINE QLOCAL(OTHER.Q)\n"), 0);
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.OTHER") != nullptr; }, 5000));
    AnswerQuestions(0);
    SendMessageA(f->window, WM_COMMAND, 883, 0);
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].verb, "!This will attempt to connect to one Queue Manager.\nDo you want to continue?");
    EXPECT_FALSE(other->putThread.state & 0x4);
    AnswerQuestions(1);
    SendMessageA(f->window, WM_COMMAND, 883, 0);
    ASSERT_TRUE(PumpUntil([&] { return (other->putThread.state & 0x4) != 0; }, 20000));

    AnswerQuestions(0);
    SendMessageA(f->window, WM_COMMAND, 882, 0);
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].verb, "!This will disconnect from 2 Queue Managers.\nDo you want to continue?");
    /* a search hides RAVOLT.OTHER: only what is shown counts */
    SetWindowTextA(f->search, "RAVOLT.OTHER");
    ApplySearch(f);
    AnswerQuestions(1);
    SendMessageA(f->window, WM_COMMAND, 882, 0);
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].verb, "!This will disconnect from one Queue Manager.\nDo you want to continue?");
    ASSERT_TRUE(PumpUntil([&] { return !((other->putThread.state | other->getThread.state) & QMSTHREAD_RUNNING); }, 20000));
    EXPECT_TRUE(AppDemo()->putThread.state & 0x4);
    Boxes().clear();
    SendMessageA(f->window, WM_COMMAND, 882, 0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "There are no connected Queue Managers in the list");
    SetWindowTextA(f->search, "");
    ApplySearch(f);
    /* both let go: the question counts them; both connected: nothing asked */
    AnswerQuestions(1);
    SendMessageA(f->window, WM_COMMAND, 882, 0);
    ASSERT_TRUE(PumpUntil([&] { return !(AppDemo()->putThread.state & QMSTHREAD_RUNNING); }, 20000));
    AnswerQuestions(1);
    SendMessageA(f->window, WM_COMMAND, 883, 0);
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].verb, "!This will attempt to connect to 2 Queue Managers.\nDo you want to continue?");
    ASSERT_TRUE(PumpUntil([&] { return (AppDemo()->putThread.state & 0x4) && (other->putThread.state & 0x4); }, 20000));
    Boxes().clear();
    AnswerQuestions(1);
    SendMessageA(f->window, WM_COMMAND, 883, 0);
    EXPECT_TRUE(Questions().empty());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "There are no Queue Managers in the list which need to be connected to");
    AppRemoveLocation(other);
    PumpAll();
}

/* The main frame closed while a second lives: the second becomes the main
 * frame with the one-second timer and its work (a search typed applies);
 * an error posted to the closed frame is reported by the new one. */
TEST(AppFrames, ClosingTheMainFrameMovesTheTimerAndWhatWasQueuedForIt)
{
    FrameWords *first = AppMain();
    ASSERT_TRUE(AppDemoExpanded(first));
    FrameWords *second = NewFrame();
    ASSERT_NE(second, nullptr);
    HWND old = first->window;
    Boxes().clear();
    ASSERT_TRUE(ShellPostBlock(old, FRM_OPERROR, 0, ErrorBlock(1, "Handed over")));
    CloseFrame(FrameOf(old));
    EXPECT_FALSE(IsWindow(old));
    ASSERT_EQ(FrameFirst(), second);
    EXPECT_EQ(Shell.mainWindow, second->window);
    ASSERT_TRUE(PumpUntil([] { return !Boxes().empty(); }, 2000));
    EXPECT_EQ(Boxes()[0].text, "Handed over");
    EXPECT_EQ(Boxes()[0].caption, "Ravolt - Operational error");

    int32_t tick = Shell.tick;
    EXPECT_TRUE(PumpUntil([&] { return Shell.tick >= tick + 2; }, 5000));
    int32_t saved = Prf.sdelay;
    Prf.sdelay = 100;
    SetWindowTextA(second->search, "NOSUCHLOCATION");
    EXPECT_TRUE(PumpUntil([&] { return !FindLine(second, "RAVOLT.DEMO"); }, 5000));
    SetWindowTextA(second->search, "");
    EXPECT_TRUE(PumpUntil([&] { return FindLine(second, "RAVOLT.DEMO") != nullptr; }, 5000));
    Prf.sdelay = saved;
    GalleryDialogShot(second->window, "frame_second_main");
}
