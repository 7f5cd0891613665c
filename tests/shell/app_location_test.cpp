/* A location's life as the user meets it in a frame: automatic
 * connection to a queue manager that is not there, a location expanded
 * before it connects, depths that change, a connection that fails, and
 * the commands the tree's menu and the View menu offer, and a deletion
 * that leaves no window holding the location. */
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "apptest.h"
#include "cmddlg.h"
#include "cs.h"
#include "dd.h"
#include "locdlg.h"
#include "locdlgwin.h"
#include "locstore.h"
#include "command.h"
#include "mq/mqconst.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "pwcreds.h"
#include "pwcwin.h"
#include "shellint.h"
#include "shellwork.h"

static std::string StatusText(FrameWords *f)
{
    return WindowText(GetDlgItem(f->panel, PANEL_STATUS));
}

/* Runs the program's loop for ms, counting the put-thread ends of a
 * location that reach the main frame. */
static int PutThreadEnds(QMS *r, int ms)
{
    int ends = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == FM_PUT_ENDED && (QMS *)m.lParam == r)
                ends++;
            if (!ShellFilterMessage(&m))
                DispatchMessageA(&m);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return ends;
}

/* An "auto" location whose queue manager does not exist: the location
 * timer tries again only every "autod" seconds, not at every tick. */
TEST(AppLocation, AnAutomaticLocationWithoutItsQueueManagerIsTriedEveryAutodSeconds)
{
    AppMain();
    int32_t saved = Prf.autod;
    Prf.autod = 4;
    QMS *r = AppLocation("RAVOLT.NOWHERE");
    ASSERT_NE(r, nullptr);
    r->flags |= LF_AUTO;                              /* "Auto Connect" ticked */
    int attempts = PutThreadEnds(r, 10500);
    r->flags &= ~LF_AUTO;
    EXPECT_GE(attempts, 2);                           /* at 0, 4 and 8 seconds */
    EXPECT_LE(attempts, 4);
    EXPECT_NE(r->status & LS_UNAVAILABLE, 0u);
    AppRemoveLocation(r);
    Prf.autod = saved;
}

/* A connection that fails says why: the reason's number and name on the
 * panel's status line and as the location's last error, which the
 * location's state shows as unavailable. */
TEST(AppLocation, AFailedConnectionSaysWhyOnTheStatusLine)
{
    FrameWords *f = AppMain();
    QMS *r = AppLocation("RAVOLT.ABSENT");
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.ABSENT") != nullptr; }, 5000));
    SetWindowTextA(GetDlgItem(f->panel, PANEL_STATUS), "");
    StartPutThread(r);                                /* as Connect does */
    std::string want = std::string("RC(2059) ") + MQReasonText(2059);
    EXPECT_TRUE(PumpUntil([&] { return StatusText(f).find(want) != std::string::npos; }, 10000))
        << StatusText(f);
    EXPECT_NE(StatusText(f).find("RAVOLT.ABSENT"), std::string::npos);
    EXPECT_NE(r->status & LS_UNAVAILABLE, 0u);
    ASSERT_NE(r->lastError, nullptr);
    EXPECT_NE(std::string(r->lastError).find(want), std::string::npos);
    AppRemoveLocation(r);
}

/* Expanded before it is connected: once the queue list has come the
 * location counts as used (its last-used time is set), so its idle mark
 * and default-definition download follow from a real time. */
TEST(AppLocation, ALocationExpandedBeforeItConnectsIsUsedOnceItsListArrives)
{
    FrameWords *f = AppMain();
    ASSERT_EQ(AppMqsc("RAVOLT.USED", "DEFINE QLOCAL(USED.ONE)\n"), 0);
    QMS *r = AppLocation("RAVOLT.USED");
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.USED") != nullptr; }, 5000));
    EXPECT_EQ(r->lastUsed, 0);
    ASSERT_TRUE(ExpandLine(f, FindLine(f, "RAVOLT.USED")));
    int64_t before = LocNow();
    ASSERT_TRUE(AppConnect(r));
    ASSERT_TRUE(AppRefreshDone(20000, r));
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "USED.ONE") != nullptr; }, 5000));
    EXPECT_TRUE(PumpUntil([&] { return r->lastUsed >= before; }, 5000)) << r->lastUsed;
    EXPECT_EQ(r->state & LST_IDLE, 0u);
    AppRemoveLocation(r);
}

/* ---- depths are values ---- */

static int batches;
static LOCHOOKS shellHooks;

static void counting_batch(void *ctx)
{
    batches++;
    if (shellHooks.beginBatch)
        shellHooks.beginBatch(ctx);
}

/* Eleven queues whose depths change are redrawn line by line with their
 * new depths: no queue counts as a new entry, so the whole list is not
 * rebuilt in one batch. */
TEST(AppLocation, NewDepthsRedrawTheirLinesWithoutABatch)
{
    FrameWords *f = AppMain();
    std::string script;
    for (int i = 0; i < 12; i++)
        script += "DEFINE QLOCAL(DEPTH.Q" + std::to_string(10 + i) + ") MAXDEPTH(5000)\n";
    ASSERT_EQ(AppMqsc("RAVOLT.DEPTH", script), 0);
    QMS *r = AppLocation("RAVOLT.DEPTH");
    ASSERT_NE(r, nullptr);
    if (!(f->flags & FF_DEPTH))
        SendMessageA(f->window, WM_COMMAND, 885, 0);  /* View > Show Queue Depth */
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.DEPTH") != nullptr; }, 5000));
    ASSERT_TRUE(AppConnect(r));
    ASSERT_TRUE(ExpandLine(f, FindLine(f, "RAVOLT.DEPTH")));
    ASSERT_TRUE(AppRefreshDone(20000, r));
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "DEPTH.Q21") != nullptr; }, 5000));

    for (int i = 0; i < 11; i++)
        ASSERT_TRUE(AppPut("RAVOLT.DEPTH", ("DEPTH.Q" + std::to_string(10 + i)).c_str(), {"one"}));
    shellHooks = *LocHooks();
    LOCHOOKS counting = shellHooks;
    counting.beginBatch = counting_batch;
    LocSetHooks(&counting);
    batches = 0;
    DoAction(f->window, r, nullptr, 508);             /* Refresh */
    bool done = AppRefreshDone(20000, r);
    bool shown = PumpUntil([&] { return FindLine(f, "DEPTH.Q20  (1)") != nullptr; }, 5000);
    LocSetHooks(&shellHooks);
    ASSERT_TRUE(done);
    EXPECT_TRUE(shown);
    EXPECT_NE(FindLine(f, "DEPTH.Q10  (1)"), nullptr);
    EXPECT_EQ(batches, 0);
    SendMessageA(f->window, WM_COMMAND, 885, 0);
    AppRemoveLocation(r);
}

/* ---- the menus ---- */

static UINT MenuState(HMENU menu, UINT id)
{
    return GetMenuState(menu, id, MF_BYCOMMAND);
}

/* "Disconnect" in the tree's menu is offered only for a location whose
 * connection runs, as the File menu does. */
TEST(AppLocation, TheTreesMenuGreysDisconnectWhileNotConnected)
{
    FrameWords *f = AppMain();
    QMS *r = AppLocation("RAVOLT.MENU");
    ASSERT_NE(r, nullptr);
    HMENU popup = CreatePopupMenu();
    LocContextMenu(r, f->panel, 2, popup, 1);
    UINT state = MenuState(popup, 621);
    ASSERT_NE(state, (UINT)-1);
    EXPECT_TRUE(state & MF_GRAYED);

    QMS *demo = AppDemo();
    ASSERT_TRUE(AppConnect(demo));
    LocContextMenu(demo, f->panel, 2, popup, 1);
    state = MenuState(popup, 621);
    ASSERT_NE(state, (UINT)-1);
    EXPECT_FALSE(state & MF_GRAYED);
    DestroyMenu(popup);
    AppRemoveLocation(r);
}

/* View > Include Queue Manager Name cannot go while Include Location is
 * off (a line needs a name): the click is refused and the status line
 * says why; with the location included it goes. */
TEST(AppLocation, TheQueueManagerNameStaysWhileTheLocationIsNotIncluded)
{
    FrameWords *f = AppMain();
    uint32_t saved = f->flags;
    if (f->flags & FF_LOCATION)
        SendMessageA(f->window, WM_COMMAND, 908, 0);
    ASSERT_FALSE(f->flags & FF_LOCATION);
    ASSERT_TRUE(f->flags & FF_QMNAME);
    SendMessageA(f->window, WM_COMMAND, 907, 0);
    EXPECT_TRUE(f->flags & FF_QMNAME);
    EXPECT_NE(StatusText(f).find("location is not included"), std::string::npos) << StatusText(f);

    SendMessageA(f->window, WM_COMMAND, 908, 0);       /* Include Location */
    SendMessageA(f->window, WM_COMMAND, 907, 0);
    EXPECT_FALSE(f->flags & FF_QMNAME);
    EXPECT_TRUE(f->flags & FF_LOCATION);
    if ((f->flags ^ saved) & FF_QMNAME)
        SendMessageA(f->window, WM_COMMAND, 907, 0);
    if ((f->flags ^ saved) & FF_LOCATION)
        SendMessageA(f->window, WM_COMMAND, 908, 0);
    PumpAll();
}

/* ---- the panel ---- */

/* The width a queue line needs in the tree's font. */
static int QueueLineWidth(FrameWords *f, const char *name)
{
    HDC dc = GetDC(f->tree);
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(f->tree, WM_GETFONT, 0, 0));
    SIZE size = {};
    GetTextExtentPoint32A(dc, name, (int)strlen(name), &size);
    SelectObject(dc, old);
    ReleaseDC(f->tree, dc);
    return size.cx + 32;
}

/* A frame made small and large again leaves the panel of the next frame,
 * and the width the profile keeps for the next start, wide enough to
 * read a queue name. */
TEST(AppLocation, AFrameMadeSmallLeavesNewFramesAReadablePanel)
{
    FrameWords *f = AppMain();
    RECT was;
    GetWindowRect(f->window, &was);
    int readable = QueueLineWidth(f, "DEMO.REQUEST");
    SetWindowPos(f->window, nullptr, 0, 0, 120, 300, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    AppSettled();
    ASSERT_LT(f->panelCx, readable);                    /* the frame is too small to read */
    SetWindowPos(f->window, nullptr, 0, 0, was.right - was.left, was.bottom - was.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    AppSettled();

    HWND second = CreateFrame(f);
    ASSERT_NE(second, nullptr);
    AppSettled();
    FrameWords *g = FrameOf(second);
    ASSERT_NE(g, nullptr);
    RECT gr, pr;
    GetWindowRect(second, &gr);
    GetClientRect(g->panel, &pr);
    EXPECT_GE(g->panelCx, readable) << "frame " << gr.right - gr.left << "x" << gr.bottom - gr.top
                                    << " panel " << pr.right << " kept " << Shell.panelWidth[0] << "/"
                                    << Shell.panelWidth[1] << " main " << f->panelCx;
    SendMessageA(second, WM_CLOSE, 0, 0);
    AppSettled();

    ShellStoreSettings();
    int32_t kept = Prf.mainQm[PCFPlacementSlot()];
    EXPECT_TRUE(kept == 0 || kept >= readable) << kept;
}

/* Sends WM_PAINT to an edit now and counts its pixels that differ from
 * the background at its right end (where no cue text reaches). */
static int InkedPixels(HWND edit)
{
    RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    GdiFlush();
    RECT rc;
    GetClientRect(edit, &rc);
    HDC dc = GetDC(edit);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    COLORREF back = GetPixel(mem, rc.right - 2, rc.bottom / 2);
    int n = 0;
    for (int x = 6; x < rc.right / 2; x++)
        for (int y = 1; y < rc.bottom - 1; y++)
            if (GetPixel(mem, x, y) != back)
                n++;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(edit, dc);
    return n;
}

/* An empty field shows what it is for, also while it has the focus. */
TEST(AppLocation, AnEmptyFieldShowsItsCueTextWithOrWithoutTheFocus)
{
    FrameWords *f = AppMain();
    uint32_t had = f->flags & FF_SEARCH;
    if (!had)
        SendMessageA(f->window, WM_COMMAND, 881, 0);    /* View > Search Locations */
    PumpAll();
    HWND edit = FindWindowExA(f->search, nullptr, "EDIT", nullptr);
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(WindowText(f->search), "");
    SetFocus(f->tree);
    EXPECT_GT(InkedPixels(edit), 20);
    SetForegroundWindow(f->window);
    SendMessageA(f->window, WM_ACTIVATE, WA_ACTIVE, 0);
    SetFocus(edit);
    PumpAll();
    EXPECT_GT(InkedPixels(edit), 20) << (GetFocus() == edit) << " " << WindowText(f->search);
    SetFocus(f->tree);
    if (!had)
        SendMessageA(f->window, WM_COMMAND, 881, 0);
    PumpAll();
}

/* ---- the display-mode word ---- */

/* Lines the display-mode word and the program's option word leave out:
 * with only locations in trouble, a location whose queue manager is not
 * there keeps its line and the others leave the tree; a foreign location
 * leaves it with either word's "hide foreign" bit.  Each comes back when
 * the bit is off. */
TEST(AppLocation, TheDisplayModeAndOptionWordLeaveOutLines)
{
    FrameWords *f = AppMain();
    QMS *r = AppLocation("RAVOLT.TROUBLE");
    QMS *g = AppLocation("RAVOLT.FOREIGN");
    ASSERT_NE(r, nullptr);
    ASSERT_NE(g, nullptr);
    g->flags |= LF_FGN;
    StartPutThread(r);                                   /* its queue manager does not exist */
    ASSERT_TRUE(PumpUntil([&] { return (r->status & LS_UNAVAILABLE) != 0; }, 10000));
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000));
    const struct { uint32_t mode, po; const char *gone, *kept; } cases[] = {
        { DM_TROUBLE_ONLY, 0, "RAVOLT.DEMO", "RAVOLT.TROUBLE" },
        { DM_NO_FOREIGN, 0, "RAVOLT.FOREIGN", "RAVOLT.DEMO" },
        { 0, PO1_HIDE_FOREIGN, "RAVOLT.FOREIGN", "RAVOLT.DEMO" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.gone);
        uint32_t mode = Shell.displayMode, po = Prf.po[0];
        Shell.displayMode |= c.mode;
        Prf.po[0] |= c.po;
        LocListCommand(f->window, 0);
        EXPECT_TRUE(PumpUntil([&] { return FindLine(f, c.gone) == nullptr; }, 5000));
        EXPECT_NE(FindLine(f, c.kept), nullptr);
        Shell.displayMode = mode;
        Prf.po[0] = po;
        LocListCommand(f->window, 0);
        EXPECT_TRUE(PumpUntil([&] { return FindLine(f, c.gone) != nullptr; }, 5000));
    }
    AppRemoveLocation(g);
    AppRemoveLocation(r);
}

/* Names by queue manager: the name titles and sorting use is the queue
 * manager's; repaint only: a new location waits for the next rebuild of
 * the trees instead of rebuilding them itself. */
TEST(AppLocation, TheDisplayModeNamesByQueueManagerAndRepaintsOnly)
{
    FrameWords *f = AppMain();
    uint32_t saved = Shell.displayMode;
    QMS *r = AppLocation("RAVOLT.NAMED");
    ASSERT_NE(r, nullptr);
    snprintf(r->locationName, sizeof r->locationName, "Named Location");
    Shell.displayMode |= DM_BY_QMGR;
    LocUpdateRow(r, 0);
    ASSERT_NE(r->displayName, nullptr);
    EXPECT_EQ(std::string(r->displayName).rfind("RAVOLT.NAMED", 0), 0u) << r->displayName;
    Shell.displayMode &= ~DM_BY_QMGR;
    LocUpdateRow(r, 0);
    EXPECT_EQ(std::string(r->displayName).rfind("Named Location", 0), 0u) << r->displayName;

    AppSettled();                                      /* the rebuilds asked so far are done */
    Shell.displayMode |= DM_REPAINT_ONLY;
    QMS *quiet = AppLocation("RAVOLT.QUIET");
    ASSERT_NE(quiet, nullptr);
    AppSettled();                                      /* a line would come with a rebuild asked by now */
    EXPECT_EQ(FindLine(f, "RAVOLT.QUIET"), nullptr);
    /* a location deleted meanwhile leaves no line naming it */
    ASSERT_NE(FindLine(f, "RAVOLT.NAMED"), nullptr);
    AppRemoveLocation(r);
    EXPECT_EQ(FindLine(f, "RAVOLT.NAMED"), nullptr);
    Shell.displayMode = saved;
    LocListCommand(f->window, 0);
    EXPECT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.QUIET") != nullptr; }, 5000));
    AppRemoveLocation(quiet);
}

/* Deleting a location closes every window that holds it: its splash
 * information and its credentials prompt go, and an open Change Multiple
 * Locations drops its line (it went on painting the deleted record). */
TEST(AppLocation, DeletingALocationLeavesNoWindowHoldingIt)
{
    FrameWords *f = AppMain();
    QMS *r = AppLocation("RAVOLT.GONE");
    ASSERT_NE(r, nullptr);
    std::string file = AppConfigDir() + "gone.txt";
    FILE *out = fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    fputs("About RAVOLT.GONE\n", out);
    fclose(out);
    std::string saved = Prf.splashqms ? Prf.splashqms : "";
    CSStringSet(&Prf.splashqms, file.c_str(), -1);
    EXPECT_EQ(ShellWork.splashShow(f->window, nullptr, r, 1, 1), 1);
    CSStringSet(&Prf.splashqms, saved.empty() ? nullptr : saved.c_str(), -1);
    HWND splash = (HWND)r->splashWindow;
    ASSERT_TRUE(splash && IsWindow(splash));
    UserIdDialog(r, 1, 0);
    HWND prompt = (HWND)r->credDialog;
    ASSERT_TRUE(prompt && IsWindow(prompt));
    SendMessageA(f->window, WM_COMMAND, 938, 0);     /* Change Multiple Locations */
    PumpAll();
    HWND multi = FindWindowA(nullptr, "Change Multiple Location");
    ASSERT_NE(multi, nullptr);
    MCDIALOG *d = MultiChgRecord(multi);
    ASSERT_NE(d, nullptr);
    int before = d->count;

    AppRemoveLocation(r);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_FALSE(IsWindow(prompt));
    EXPECT_EQ(d->count, before - 1);
    for (int i = 0; i < d->count; i++)
        EXPECT_NE(d->entries[i].location, r);
    HWND list = GetDlgItem(multi, MC_LOCLIST);
    for (int i = 0, n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; i++) {
        char line[100] = "";
        SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)line);
        EXPECT_EQ(strstr(line, "RAVOLT.GONE"), nullptr) << line;
    }
    LocFlushFreed();
    RedrawWindow(multi, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendMessageA(multi, WM_CLOSE, 0, 0);
    PumpAll();
    remove(file.c_str());
}

/* A location that connects with a user id and password asks for them: the
 * worker's request reaches the credentials prompt (it was answered at once
 * with nothing, and the connection failed for want of a password), placed
 * at the mouse cursor and top-most, and what the user types is what the
 * connection then uses. */
TEST(AppLocation, ALocationWithUseridAndPasswordAsksForThem)
{
    AppMain();
    QMS *r = AppLocation("RAVOLT.CREDS");
    ASSERT_NE(r, nullptr);
    r->flags |= LF_USRP;                              /* "Userid and Password" ticked */
    SetCursorPos(700, 400);
    ASSERT_EQ(StartPutThread(r), 0);                  /* the connection starts */
    ASSERT_TRUE(PumpUntil([r] { return r->credDialog && IsWindow((HWND)r->credDialog); }, 10000));
    HWND w = (HWND)r->credDialog;
    EXPECT_EQ(WindowText(w), "Credentials for connecting to 'RAVOLT.CREDS'");
    RECT at;                                          /* at the cursor, over every window */
    GetWindowRect(w, &at);
    EXPECT_LE(abs((at.left + at.right) / 2 - 700), 1);
    EXPECT_LE(abs((at.top + at.bottom) / 2 - 400), 1);
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(r->credentialsPending);               /* the worker waits */
    DDHANDLE dd = DDFindHandle(w);
    SetWindowTextA(DDGetFieldWindow(dd, USR_USERID, 0), "app");
    SetWindowTextA(DDGetFieldWindow(dd, USR_PASSWORD, 0), "pw1");
    PumpAll();
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil([r] { return !r->credentialsPending; }, 5000));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_STREQ(r->userId, "app");
    EXPECT_STREQ(r->password, "pw1");
    r->flags &= ~LF_USRP;
    AppRemoveLocation(r);
}

/* A location's failure and success commands ("cmdfail=", "cmdok=") run
 * when it fails and when it recovers: a connection to a queue manager
 * that is not there runs the failure command with the queue manager's
 * name in place of "%m" (nothing ran them). */
TEST(AppLocation, TheFailureCommandRunsWhenTheLocationFails)
{
    AppMain();
    QMS *r = AppLocation("RAVOLT.FAILCMD");
    ASSERT_NE(r, nullptr);
    std::string file = AppConfigDir() + "failed.txt";
    remove(file.c_str());
    snprintf(r->failCommand, sizeof r->failCommand, "cmd /c echo %%m> \"%s\"", file.c_str());
    StartPutThread(r);                                /* as Connect does */
    EXPECT_TRUE(PumpUntil([r] { return (r->status & LS_UNAVAILABLE) != 0; }, 10000));
    std::string text;
    EXPECT_TRUE(PumpUntil([&] {
        FILE *in = fopen(file.c_str(), "r");
        if (!in)
            return false;
        char line[100] = "";
        fgets(line, sizeof line, in);
        fclose(in);
        text = line;
        return !text.empty();
    }, 15000));
    EXPECT_EQ(text.substr(0, 14), "RAVOLT.FAILCMD");
    r->failCommand[0] = 0;
    AppRemoveLocation(r);
    remove(file.c_str());
}

/* A status text without a dialog becomes the location's last error, from
 * any thread: the location's open settings show it at once, whatever the
 * length of the text the connection left there before. */
TEST(AppLocation, AnErrorWithoutDialogShowsInTheLocationsSettings)
{
    FrameWords *f = AppMain();
    QMS *r = AppDemo();
    ASSERT_TRUE(AppConnect(r));
    ASSERT_TRUE(PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000));
    TreeRecord(f)->selLine = FindLine(f, "RAVOLT.DEMO");
    FrameCommand(f, 749);                             /* Location Settings */
    PumpAll();
    HWND settings = (HWND)r->settingsWindow;
    ASSERT_TRUE(settings && IsWindow(settings));
    DDHANDLE dd = DDFindHandle(settings);
    auto shown = [&] {
        char text[300] = "";
        DDGetFieldText(dd, RTF_ERROR, text, sizeof text);
        return std::string(text);
    };
    const std::string texts[] = { "Error putting to RAVOLT.DEMO/SYSTEM.ADMIN.COMMAND.QUEUE RC(2053)",
                                  std::string(300, 'x') };
    for (const std::string &text : texts) {
        std::thread worker([&] { PCFDialogStatus(nullptr, text.c_str(), r, 5); });
        worker.join();
        EXPECT_TRUE(PumpUntil([&] { return shown() == text.substr(0, 249); }, 5000)) << shown();
        EXPECT_EQ(std::string(r->lastError ? r->lastError : ""), text.substr(0, 249));
    }
    SendMessageA(settings, WM_CLOSE, 0, 0);
    PumpAll();
}
