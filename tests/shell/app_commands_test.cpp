/* Commands, menus and keys of the shell in the test's process: what the
 * authorities and the options take away or grey, the commands whose parts
 * are now served, keys reaching a stand-alone command dialog, the frame
 * messages of workers (errors, questions) and an exit while connected.
 * The gallery keeps each top-level menu open, the context menu and the
 * usage dialog. */
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <functional>
#include <cstring>
#include <thread>

#include "apptest.h"
#include "autfile.h"
#include "cfgfile.h"
#include "cmddlg.h"
#include "colourwin.h"
#include "cs.h"
#include "fltwin.h"
#include "loccache.h"
#include "locstore.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "pwcache.h"
#include "shellint.h"
#include "shellwork.h"
#include "tkutil.h"

static UINT MenuState(FrameWords *f, UINT id)
{
    SendMessageA(f->window, WM_INITMENU, (WPARAM)f->menu, 0);
    return GetMenuState(f->menu, id, MF_BYCOMMAND);
}

static bool Absent(FrameWords *f, UINT id)
{
    return GetMenuState(f->menu, id, MF_BYCOMMAND) == (UINT)-1;
}

/* The focus on a field of a dialog, taken back when a window of another
 * test program has it: the keys of the loop go to the focus. */
static HWND FocusOn(HWND dialog, HWND field)
{
    auto on = [field] {
        HWND f = GetFocus();
        return f && (f == field || IsChild(field, f)) ? f : nullptr;
    };
    HWND found = nullptr;
    PumpUntil([&] {
        if ((found = on()))
            return true;
        SetForegroundWindow(dialog);
        SetActiveWindow(dialog);
        SetFocus(field);
        PumpAll();
        return (found = on()) != nullptr;
    }, 10000);
    return found;
}

/* ParseOptions over another command line, the test's put back after. */
static void ParseWith(std::vector<const char *> args)
{
    int argc = Shell.argc;
    char **argv = Shell.argv;
    std::vector<char *> v;
    for (const char *a : args)
        v.push_back((char *)a);
    v.push_back(nullptr);
    Shell.argc = (int)args.size();
    Shell.argv = v.data();
    ParseOptions(1);
    Shell.argc = argc;
    Shell.argv = argv;
}

TEST(AppCommands, MenusFollowTheOptionsAndTheServedParts)
{
    /* a frame of its own, made without "-D" and its display flags cleared:
     * nothing that other tests left in the main frame or the options
     * counts */
    ShellOptions.debugWindow = 0;
    ShellOptions.readOnly = 0;
    CfgNoWrite = 0;
    ParseWith({ "ravolt.exe" });
    uint32_t defaults = Shell.defaultFlags;       /* the toggles below keep theirs */
    HWND own = CreateFrame(AppMain());
    ASSERT_NE(own, nullptr);
    PumpAll();
    FrameWords *f = FrameOf(own);
    f->flags = 0;
    EXPECT_TRUE(Absent(f, 723));                  /* no "-D": no debug window command */
    for (UINT id : { 584u, 685u, 546u, 518u })
        EXPECT_FALSE(MenuState(f, id) & MF_GRAYED) << id;
    /* the editor's follow the frame's message pane (an earlier test may
     * have left a message in it) */
    uint32_t ed = ShellWork.editorState && f->msgPane ? ShellWork.editorState(f->msgPane) : 0;
    EXPECT_EQ((MenuState(f, 898) & MF_GRAYED) != 0, !(ed & ED_ACTIVE));
    EXPECT_EQ((MenuState(f, 894) & MF_GRAYED) != 0, !(ed & ED_ACTIVE) || !(ed & ED_UNDO));
    EXPECT_FALSE(MenuState(f, 900) & MF_GRAYED);  /* Find and Replace is always there */
    EXPECT_FALSE(MenuState(f, 522) & MF_GRAYED);
    ParseWith({ "ravolt.exe", "-r" });
    EXPECT_TRUE(ShellOptions.readOnly);
    EXPECT_TRUE(MenuState(f, 522) & MF_GRAYED);
    ShellOptions.readOnly = 0;
    CfgNoWrite = 0;
    EXPECT_FALSE(MenuState(f, 522) & MF_GRAYED);

    /* check marks follow the frame's display flags */
    EXPECT_FALSE(MenuState(f, 885) & MF_CHECKED);
    SendMessageA(f->window, WM_COMMAND, 885, 0);
    EXPECT_TRUE(MenuState(f, 885) & MF_CHECKED);
    SendMessageA(f->window, WM_COMMAND, 885, 0);
    EXPECT_FALSE(MenuState(f, 885) & MF_CHECKED);
    EXPECT_TRUE(MenuState(f, 907) & MF_CHECKED);  /* the queue manager's name by default */

    /* "-D" keeps the debug window's command in the next frame */
    ParseWith({ "ravolt.exe", "-D" });
    HWND w = CreateFrame(f);
    ASSERT_NE(w, nullptr);
    PumpAll();
    EXPECT_FALSE(Absent(FrameOf(w), 723));
    SendMessageA(w, WM_CLOSE, 0, 0);
    SendMessageA(own, WM_CLOSE, 0, 0);
    PumpAll();
    ShellOptions.debugWindow = 0;
    ParseWith({ "ravolt.exe" });
    Shell.defaultFlags = defaults;
    ShellStoreSettings();
}

/* "nomenu" commands of the authorities: gone from a new frame's menu (an
 * emptied submenu with them) and refused however they are asked for. */
TEST(AppCommands, NomenuCommandsAreRemovedAndRefused)
{
    FrameWords *main = AppMain();
    QMS *kept = AppLocation("RAVOLT.KEPT");
    ASSERT_NE(kept, nullptr);
    uint64_t totals = AutTotals, global = AutGlobalMask;
    for (int32_t id : { 750, 528, 884, 862, 956, 931 })
        AutAddMenuRestriction(id);
    HWND w = CreateFrame(main);
    ASSERT_NE(w, nullptr);
    PumpAll();
    FrameWords *f = FrameOf(w);
    for (UINT id : { 750u, 528u, 884u })
        EXPECT_TRUE(Absent(f, id)) << id;
    EXPECT_FALSE(Absent(f, 749u));
    for (int i = 0, n = GetMenuItemCount(f->menu); i < n; i++) {
        HMENU sub = GetSubMenu(f->menu, i);
        for (int j = 0, m = sub ? GetMenuItemCount(sub) : 0; j < m; j++) {
            char text[100] = "";
            GetMenuStringA(sub, (UINT)j, text, sizeof text, MF_BYPOSITION);
            EXPECT_STRNE(text, "&Import Locations");  /* every entry gone: the submenu too */
        }
    }
    AnswerQuestions(1);
    DoAction(w, kept, nullptr, 750);
    EXPECT_NE(LocFind("RAVOLT.KEPT"), nullptr);
    SendMessageA(w, WM_COMMAND, 528, 0);
    PumpAll();
    EXPECT_EQ(AboutWindow(), nullptr);
    SendMessageA(w, WM_CLOSE, 0, 0);
    PumpAll();
    AutReset();
    AutTotals = totals;
    AutGlobalMask = global;
    DoAction(main->window, kept, nullptr, 750);
    EXPECT_EQ(LocFind("RAVOLT.KEPT"), nullptr);
    PumpAll();
}

/* The colour schemes and the Filter Manager open their windows; "-P"
 * gives the password cache its password. */
TEST(AppCommands, ServedCommandsOpenTheirPartsWindows)
{
    FrameWords *f = AppMain();
    SendMessageA(f->window, WM_COMMAND, 584, 0);
    PumpAll();
    HWND chooser = ColourChooserWindow();
    ASSERT_NE(chooser, nullptr);
    EXPECT_TRUE(IsWindowVisible(chooser));
    SendMessageA(f->window, WM_COMMAND, 584, 0);   /* once only */
    EXPECT_EQ(ColourChooserWindow(), chooser);
    SendMessageA(chooser, WM_CLOSE, 0, 0);
    PumpAll();
    EXPECT_EQ(ColourChooserWindow(), nullptr);

    SendMessageA(f->window, WM_COMMAND, 685, 0);
    PumpAll();
    HWND manager = FltManagerWindow();
    ASSERT_NE(manager, nullptr);
    EXPECT_TRUE(IsWindowVisible(manager));
    EXPECT_EQ(GetWindow(manager, GW_OWNER), f->window);
    FltCloseDialog();
    PumpAll();
    EXPECT_EQ(FltManagerWindow(), nullptr);

    ParseWith({ "ravolt.exe", "-P", "cache secret" });
    EXPECT_STREQ(PWCCurrentPassword(), "cache secret");
    PWCSetPassword("");
    ShellOptions.password = nullptr;
}

/* The one-second timer reports a command server that gave no answer on
 * the dialog waiting for it. */
TEST(AppCommands, TheTimerReportsACommandServerThatDoesNotAnswer)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppConnect());
    DialogWords *d = DoAction(f->window, AppDemo(), nullptr, 534);
    ASSERT_NE(d, nullptr);
    PumpUntil([d] { return !(d->markFlags & DM_REQUEST_SENT); }, 2000);
    d->markFlags |= DM_REQUEST_SENT;              /* as if still waiting, long since */
    d->requestSent = CSGetCurrentTime() - 30;
    ShellTimerTick(Shell.mainWindow);
    PumpAll();
    EXPECT_FALSE(d->markFlags & DM_REQUEST_SENT);
    EXPECT_NE(WindowText(PCFWnd(d->statusWindow)).find("No response from Command Server"), std::string::npos);
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
}

/* A dialog that got its answer waits for nothing: however long after,
 * the timer reports no silent command server (the Queue Manager dialog,
 * answered with a follow-up, and a list). */
TEST(AppCommands, AnAnsweredDialogIsNotReportedSilent)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppConnect());
    for (int id : {542, 534}) {
        DialogWords *d = DoAction(f->window, AppDemo(), nullptr, id);
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(AppSettled()) << id;             /* the answers, follow-up included */
        EXPECT_FALSE(d->markFlags & DM_REQUEST_SENT) << id;
        d->requestSent = CSGetCurrentTime() - 30;
        ShellTimerTick(Shell.mainWindow);
        PumpAll();
        EXPECT_EQ(WindowText(PCFWnd(d->statusWindow)).find("No response"), std::string::npos) << id;
        SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
        PumpAll();
    }
}

/* Tab, Return and F5 reach a stand-alone command dialog from its fields;
 * "t", "#" and "$" typed there are only characters. */
TEST(AppCommands, KeysReachAStandAloneCommandDialog)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppConnect());
    DialogWords *d = DoAction(f->window, AppDemo(), nullptr, 534);
    ASSERT_NE(d, nullptr);
    HWND dialog = PCFWnd(d->window);
    char cls[64] = "";
    GetClassNameA(dialog, cls, sizeof cls);
    EXPECT_STREQ(cls, "RAVOLT_COMMAND");
    PumpUntil([d] { return !(d->markFlags & DM_REQUEST_SENT); }, 2000);
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    ASSERT_NE(first, nullptr);
    HWND focus = FocusOn(dialog, first);
    ASSERT_NE(focus, nullptr);

    d->requestSent = 0;
    for (const char *c = "t#$"; *c; c++) {
        LoopMessage(focus, WM_CHAR, (WPARAM)*c, 1);
        PumpAll();
    }
    EXPECT_EQ(d->requestSent, 0);

    for (WPARAM key : { (WPARAM)VK_F5, (WPARAM)VK_RETURN }) {
        d->requestSent = 0;
        for (int attempt = 0; attempt < 5 && !d->requestSent; attempt++)
            if (HWND at = FocusOn(dialog, first))
                LoopKey(at, key);
        EXPECT_NE(d->requestSent, 0) << key;
        PumpUntil([d] { return !(d->markFlags & DM_REQUEST_SENT); }, 2000);
    }
    /* Tab moves the focus to the dialog's next field (tried again when
     * another program's window took the focus meanwhile) */
    bool moved = false;
    for (int attempt = 0; attempt < 5 && !moved; attempt++) {
        HWND at = FocusOn(dialog, first);
        if (!at)
            continue;
        LoopKey(at, VK_TAB);
        HWND now = GetFocus();
        moved = now && now != at && !IsChild(first, now) && IsChild(dialog, now);
    }
    EXPECT_TRUE(moved);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    PumpAll();
}

/* 11227: flag 1 shows the box, 2 keeps the text on the location, 4 tells
 * the location's open dialogs. */
TEST(AppCommands, OperationalErrorsGoWhereTheirFlagsSay)
{
    FrameWords *f = AppMain();
    QMS *demo = AppDemo();
    PumpAll();
    Boxes().clear();
    UtilPostError(demo, 2, "Kept on the location");
    UtilPostError(demo, 1, "Shown in a box");
    UtilPostError(nullptr, 4, "No location: nobody to tell");
    PumpAll();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Shown in a box");
    EXPECT_EQ(Boxes()[0].caption, "Ravolt - Operational error");
    ASSERT_NE(demo->lastError, nullptr);
    EXPECT_STREQ(demo->lastError, "Kept on the location");

    DialogWords *d = DoAction(f->window, demo, nullptr, 534);
    ASSERT_NE(d, nullptr);
    PumpUntil([d] { return !(d->markFlags & DM_REQUEST_SENT); }, 5000);
    PumpAll();
    UtilPostError(demo, 4, "Told to its dialogs");
    EXPECT_TRUE(PumpUntil([d] {
        return WindowText(PCFWnd(d->statusWindow)).find("Told to its dialogs") != std::string::npos;
    }, 2000));
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();

    /* the timer pass's counts on the frame's status line, while the
       option asks for them (it takes back only its own text) */
    static const struct { int32_t seen, inError; uint32_t opt; const char *said; } ends[] = {
        { 3, 1, 0x1, "1 of 3 are in error." }, { 3, 0, 0x1, "No errors detected." }, { 3, 2, 0, "" } };
    const LOCCOUNTS counts = LocCounts;
    const uint32_t opt1 = Prf.opt1;
    for (const auto &e : ends) {
        LocCounts.seen = e.seen;
        LocCounts.inError = e.inError;
        Prf.opt1 = (opt1 & ~0x1u) | e.opt;
        ShowEndStatus(1);
        EXPECT_EQ(WindowText(f->status), e.said) << e.seen << " " << e.inError;
    }
    LocCounts = counts;
    Prf.opt1 = opt1;
    /* with the icon option a location in error gives the main window the
       error icon, and the next pass without one the program's own */
    const uint32_t po1 = Prf.po[0];
    Prf.po[0] |= PO1_SWAP_ICON;
    for (uint32_t error : { (uint32_t)LS_CANTSEND, 0u }) {
        LocSetStatus(demo, error, LS_CANTSEND & ~error, 0);
        LocTimerTick(CSGetCurrentTime());
        EXPECT_EQ((HICON)SendMessageA(f->window, WM_GETICON, ICON_BIG, 0), Shell.icons[error ? 2 : 0]) << error;
    }
    Prf.po[0] = po1;
}

/* 11391: a worker's question, answered on the user-interface thread while
 * the worker polls the block's done word. */
TEST(AppCommands, AWorkersQuestionIsAnsweredWhileItWaits)
{
    AppMain();
    for (int answer : { 1, 0 }) {
        AnswerQuestions(answer);
        MQEASK ask = {};
        ask.text = (char *)"Go on with the copy?";
        ask.answer = -1;
        std::atomic<bool> finished{false};
        std::thread worker([&] {
            MQEPostFrame(nullptr, FM_ASK, 0, &ask, 0);
            while (!((volatile MQEASK &)ask).done)
                Sleep(5);
            finished = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return finished.load(); }, 5000));
        worker.join();
        ASSERT_EQ(Questions().size(), 1u);
        EXPECT_EQ(Questions()[0].verb, "Go on with the copy?");
        EXPECT_EQ(ask.answer, answer ? 1 : 0);
    }
}

/* ---- the gallery: menus and the usage dialog, shot while open ---- */

static const char *shotName;
static bool shotTaken;
static int shotTicks;

/* A top-level window of this thread by its class and, when given, its
 * title.  The display is shared with other test programs (the program
 * test shows the same usage dialog in a ravolt.exe of its own): a window
 * of theirs must never be shot or closed in place of ours, which would
 * leave ours open and the test waiting for good. */
struct OWNWINDOW {
    const char *cls, *title;
    HWND found;
};

static BOOL CALLBACK FindOwn(HWND w, LPARAM lp)
{
    OWNWINDOW *o = (OWNWINDOW *)lp;
    char cls[16] = "", title[100] = "";
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    if (strcmp(cls, o->cls) || (o->title && strcmp(title, o->title)))
        return TRUE;
    o->found = w;
    return FALSE;
}

static HWND OwnWindow(const char *cls, const char *title)
{
    OWNWINDOW o = { cls, title, nullptr };
    EnumThreadWindows(GetCurrentThreadId(), FindOwn, (LPARAM)&o);
    return o.found;
}

/* Each tick: the window shot once it shows, then closed; closed unshot
 * when it has not shown in 10 s, so that the test fails and goes on. */
static bool ShotDone(HWND w, UINT_PTR id, bool (*shoot)(HWND, const char *))
{
    bool shown = w && IsWindowVisible(w);
    if (shown)
        shotTaken = shoot(w, shotName);
    if (!shown && ++shotTicks < 50)
        return false;
    KillTimer(nullptr, id);
    return true;
}

static void CALLBACK ShootMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    auto screen = [](HWND w, const char *name) { return GalleryShot(w, name, true); };
    if (ShotDone(OwnWindow("#32768", nullptr), id, screen))
        EndMenu();
}

static void CALLBACK ShootDialog(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND w = OwnWindow("#32770", "Ravolt - Program Usage");
    if (ShotDone(w, id, GalleryDialogShot) && w)
        PostMessageA(w, WM_CLOSE, 0, 0);
}

static bool Shoot(const char *name, TIMERPROC proc, const std::function<void()> &open)
{
    shotName = name;
    shotTaken = false;
    shotTicks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 200, proc);
    open();
    KillTimer(nullptr, timer);
    PumpAll();
    return shotTaken;
}

TEST(AppCommands, GalleryOfTheMenusAndTheUsageDialog)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    SetForegroundWindow(f->window);
    PumpAll();
    SendMessageA(f->window, WM_INITMENU, (WPARAM)f->menu, 0);
    for (int i = 0, n = GetMenuItemCount(f->menu); i < n; i++) {
        char text[64] = "", name[80] = "menu_";
        GetMenuStringA(f->menu, (UINT)i, text, sizeof text, MF_BYPOSITION);
        size_t len = strlen(name);
        for (char *c = text; *c && len + 1 < sizeof name; c++)
            if (isalnum((unsigned char)*c))
                name[len++] = (char)tolower((unsigned char)*c);
        name[len] = 0;
        HMENU sub = GetSubMenu(f->menu, i);
        ASSERT_NE(sub, nullptr) << text;
        SendMessageA(f->window, WM_INITMENUPOPUP, (WPARAM)sub, i);
        RECT r;
        GetMenuItemRect(f->window, f->menu, (UINT)i, &r);
        EXPECT_TRUE(Shoot(name, ShootMenu, [&] {
            TrackPopupMenu(sub, TPM_LEFTALIGN, r.left, r.bottom, 0, f->window, nullptr);
        })) << name;
    }
    TreeRecord(f)->selLine = FindLine(f, "RAVOLT.DEMO");
    SendMessageA(f->window, WM_ACTIVATE, WA_ACTIVE, 0);   /* the frame the menu is for */
    EXPECT_TRUE(Shoot("menu_context_location", ShootMenu, [&] {
        ContextMenu(f->panel, POINT{ 120, 160 });
    }));
    EXPECT_TRUE(Shoot("usage_dialog", ShootDialog, [] {
        EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), "DLG_USAGE", nullptr, UsageDlgProc, 0), 0);
    }));
}

/* The exit confirmed while a location is connected: threads are asked to
 * end, and the quit message comes on the first tick at which none runs. */
TEST(AppCommands, AnExitWhileConnectedQuitsOnceNoThreadRuns)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppConnect());
    ASSERT_GT(ShellRunningCount(), 0);
    uint32_t po = Prf.po[2];
    Prf.po[2] |= 0x40000u;
    AnswerQuestions(1);
    ExitProgram(f->window);
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].verb, "exit the program");
    EXPECT_TRUE(Shell.status & SHELL_EXITING);
    bool quit = false;
    int runningAtQuit = -1, ticksAfterNone = 0;
    DWORD end = GetTickCount() + 20000;
    while (!quit && GetTickCount() < end) {
        bool none = ShellRunningCount() == 0;
        ShellTimerTick(f->window);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                quit = true;
                runningAtQuit = ShellRunningCount();
                break;
            }
            if (m.message == WM_TIMER && m.hwnd == f->window)
                continue;                         /* the ticks are the test's */
            if (!ShellFilterMessage(&m))
                DispatchMessageA(&m);
        }
        if (none && !quit)
            ticksAfterNone++;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_TRUE(quit);
    EXPECT_EQ(runningAtQuit, 0);
    EXPECT_EQ(ticksAfterNone, 0);
    Shell.status &= ~SHELL_EXITING;
    LocGlobals.exiting = 0;
    Prf.po[2] = po;
    AnswerQuestions(1);
}
