/* The shell's own windows in the test's process: the About box and the
 * file viewer (a real ini file, a big file's "Loading" notice, reload
 * keeping its place, a file that is no text); Escape closing every
 * window that has a Cancel or Close. */
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "apptest.h"
#include "sampletest.h"
#include "cs.h"
#include "dd.h"
#include "pcfwin.h"
#include "shellint.h"
#include "mqengine.h"
#include "cmddlg.h"
#include "filters.h"
#include "prefs.h"
#include "prefwin.h"
#include "locdlg.h"
#include "tkharness.h"
#include "prfdata.h"

enum { FV_STATUS = 103, FV_RELOAD = 133, FV_TEXT = 413 };

static std::string FieldText(HWND w, int id)
{
    HWND f = DDGetFieldWindow(DDFindHandle(w), id, 0);
    int n = f ? GetWindowTextLengthA(f) : 0;
    std::string t(n + 1, 0);
    if (f)
        GetWindowTextA(f, t.data(), n + 1);
    t.resize(n);
    return t;
}

TEST(AppWindows, AboutBoxOpensOnceAndCloses)
{
    AppStart();
    AboutDialog(nullptr);
    HWND about = AboutWindow();
    ASSERT_NE(about, nullptr);
    AboutDialog(nullptr);
    EXPECT_EQ(AboutWindow(), about);
    EXPECT_EQ(WindowText(about), "About Kelvane - Ravolt");
    PumpAll();
    GalleryDialogShot(about, "about_box");
    SendMessageA(about, WM_CLOSE, 0, 0);
    PumpAll();
    EXPECT_EQ(AboutWindow(), nullptr);
}

TEST(AppWindows, FileViewerShowsAnIniFileAndKeepsItsPlaceOnReload)
{
    AppStart();
    std::string path = samples::In(std::string(RAVOLT_TOP) + "/../shared/samples", "ini-mqsc/ODOWDAIBM__mq01__qm.ini");
    HWND v = FileViewCreate("qm.ini", path.c_str());
    ASSERT_NE(v, nullptr);
    PumpAll();
    std::string text = FieldText(v, FV_TEXT);
    EXPECT_NE(text.find("Module Name: qm.ini"), std::string::npos);
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    EXPECT_EQ(FieldText(v, FV_STATUS).rfind("File read at ", 0), 0u);
    GalleryDialogShot(v, "file_viewer");
    HWND edit = DDGetFieldWindow(DDFindHandle(v), FV_TEXT, 0);
    SendMessageA(edit, EM_LINESCROLL, 0, 20);
    int first = (int)SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(first, 0);
    SendMessageA(v, WM_COMMAND, FV_RELOAD, 0);
    PumpAll();
    EXPECT_EQ((int)SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), first);
    DestroyWindow(v);
    PumpAll();
}

TEST(AppWindows, FileViewerSaysLoadingForABigFileAndRefusesBinary)
{
    AppStart();
    std::string big = std::string(2 * 1024 * 1024, 'x');
    for (size_t i = 79; i < big.size(); i += 80)
        big[i] = '\n';
    std::string bigPath = WriteScratch("big.log", big);
    HWND v = FileViewCreate("big.log", bigPath.c_str());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(FieldText(v, FV_TEXT).rfind("Loading 2MB from file", 0), 0u);
    PumpAll();
    EXPECT_GT(FieldText(v, FV_TEXT).size(), big.size());   /* every line end as CR LF */
    DestroyWindow(v);

    std::string binPath = WriteScratch("data.bin", std::string("\x01\x02\x03 binary", 10));
    HWND b = FileViewCreate("data.bin", binPath.c_str());
    ASSERT_NE(b, nullptr);
    PumpAll();
    EXPECT_EQ(FieldText(b, FV_TEXT), "");
    EXPECT_NE(FieldText(b, FV_STATUS).find("does not appear to be a text file"), std::string::npos);
    DestroyWindow(b);
    PumpAll();
}

/* Blocks handed to a frame that is gone: a question is answered "no"
 * (its asker goes on), other blocks are released; nothing is posted. */
TEST(AppWindows, BlocksPostedToAGoneFrameAreReleased)
{
    AppStart();
    PumpAll();
    HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    MQEASK ask = {};
    ask.answer = 1;
    EXPECT_EQ(ShellPostBlock(gone, FM_ASK, 0, &ask), 0);
    EXPECT_EQ(ask.done, 1);
    EXPECT_EQ(ask.answer, 0);
    EXPECT_EQ(ShellPostBlock(gone, FRM_TEXT, 0, CSGetMem(100, "TEXT")), 0);
    EXPECT_EQ(ShellPostBlock(nullptr, FRM_OPERROR, 0, CSGetMem(100, "ERR")), 0);
    EXPECT_EQ(ShellPostBlock(gone, FRM_LINES, 0, ShellBuildLines(AppMain())), 0);
    /* a monitor message's talk text: shown on the main frame's status
       line and released, or released when no frame takes it */
    EXPECT_EQ(ShellPostBlock(gone, FM_TALK, 0, CSGetMem(16, "TALK")), 0);
    char *talk = (char *)CSGetMem(16, "TALK");
    strcpy(talk, "hello there");
    EXPECT_EQ(ShellPostBlock(AppMain()->window, FM_TALK, 0, talk), 1);
    PumpAll();
    char shown[32] = "";
    GetWindowTextA(AppMain()->status, shown, sizeof shown);
    EXPECT_STREQ(shown, "hello there");
}

/* Menu items show the pictures on the menu's background, not on their
 * key colour; one copy per picture. */
TEST(AppWindows, MenuItemPicturesLoseTheirKeyColour)
{
    AppStart();
    HBITMAP source = ShellBitmap(BMP_BROWSE);
    ASSERT_NE(source, nullptr);
    HBITMAP item = ShellMenuItemBitmap(source);
    ASSERT_NE(item, nullptr);
    EXPECT_NE(item, source);
    EXPECT_EQ(ShellMenuItemBitmap(source), item);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, source);
    COLORREF key = GetPixel(dc, 0, 0);
    SelectObject(dc, item);
    EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_MENU));
    EXPECT_NE(GetPixel(dc, 0, 0), key);
    SelectObject(dc, old);
    DeleteDC(dc);
}

/* Preferences applied, through the hook the program installs: the
 * settings the dialogs, lists and filters keep of the profile follow it
 * (histories, thousands separators, the initial add context), and what a
 * window changed of them (the queue-manager list's width) is not lost but
 * kept in the profile. */
TEST(AppWindows, AppliedPreferencesReachTheSettingsTheWindowsRead)
{
    AppStart();
    const PRFDATA saved = Prf;
    Prf.hsf = 3;
    Prf.hso = 4;
    Prf.iactx = 0x800;
    Prf.po[2] ^= PO3_THOUSANDS;
    Prf.po[3] ^= PO4_SMALL_FILTER_FONT | PO4_FILTER_BACKGROUND | PO4_FILTERS_OVER_TITLE | PO4_COLUMN_FILTERS;
    Prf.po[1] ^= PO2_LOCAL_TIMES;
    PcfWinPrefs.qmListPosition = 123;
    const PREFHOOKS *h = PrefHooks();
    ASSERT_NE(h->repaint, nullptr);
    h->repaint(h->context, 0);
    const struct { const char *what; int64_t got, want; } read[] = {
        { "recent filters", FltPrefs.recentMax, 3 },
        { "object name history", PcfPrefs.historyMax, 4 },
        { "initial add context", PcfWinPrefs.addContext, 0x800 },
        { "thousands separators", PcfPrefs.thousands, (Prf.po[2] & PO3_THOUSANDS) != 0 },
        { "column filter small font", FltPrefs.smallPopupFont, (Prf.po[3] & PO4_SMALL_FILTER_FONT) != 0 },
        { "column filter mark background", FltPrefs.popupMenuBrush, (Prf.po[3] & PO4_FILTER_BACKGROUND) != 0 },
        { "column filter mark over the title", FltPrefs.markAlways, (Prf.po[3] & PO4_FILTERS_OVER_TITLE) != 0 },
        { "column filter marks", FltPrefs.marksShown, (Prf.po[3] & PO4_COLUMN_FILTERS) != 0 },
        { "column filter local time", FltPrefs.localTimeDefault, (Prf.po[1] & PO2_LOCAL_TIMES) != 0 },
        { "queue-manager list width", PcfWinPrefs.qmListPosition, 123 },
        { "its width in the profile", Prf.qmlistwid, 123 },
    };
    for (const auto &r : read)
        EXPECT_EQ(r.got, r.want) << r.what;
    Prf = saved;
    h->repaint(h->context, 0);
}

/* The hooks the program installs keep what the parts reach without the
 * shell: Preferences resolves a password cache file name as it is typed
 * and offers its buttons; the location dialogs reach a location's
 * credentials and the dialog colours. */
TEST(AppWindows, TheWiringKeepsThePartsOwnHooks)
{
    FrameWords *f = AppMain();
    const LOCDLGHOOKS *l = LocDlgHooks();
    const struct { const char *what; bool set; } hooks[] = {
        { "Preferences: dialog colours", PrefHooks()->setDlgColours != nullptr },
        { "Location Settings: user id dialog", l->userIdDialog != nullptr },
        { "Location Settings: delete credentials", l->deleteCredentials != nullptr },
        { "Location Settings: forget the key database password", l->kdbForget != nullptr },
        { "location dialogs: dialog colours", l->setDlgColours != nullptr },
    };
    for (const auto &h : hooks)
        EXPECT_TRUE(h.set) << h.what;
    FrameCommand(f, 546);
    PumpAll();
    HWND h = PrefWindow();
    ASSERT_NE(h, nullptr);
    DDHANDLE dd = DDFindHandle(h);
    TestSelectTab(dd, h, PF_TABS, 5);
    DDSetFieldValue(dd, PF_PWC, "C:\\probe\\cache.pwc");
    SendMessageA(h, WM_COMMAND, MAKEWPARAM(PF_PWC, EN_CHANGE), (LPARAM)DDGetFieldWindow(dd, PF_PWC, 0));
    PumpAll();
    EXPECT_NE(FieldText(h, PF_PWCACTUAL).find("cache.pwc"), std::string::npos);
    EXPECT_TRUE(IsWindowEnabled(DDGetFieldWindow(dd, PF_SETPW, 0)));
    EXPECT_TRUE(IsWindowEnabled(DDGetFieldWindow(dd, PF_ACCESS, 0)));
    SendMessageA(h, WM_CLOSE, 0, 0);
    PumpAll();
}

/* ---- Escape ---- */

/* A window opened as the program opens it: by the frame's command, then
 * the Queue Manager dialog's or (a queue shown) the message pane's. */
static HWND OpenWindow(int frameId, int dialogId, bool pane, const char *cls, const char *title)
{
    FrameWords *f = AppDemoSelected();
    if (pane)
        OpenQueueInFrame(f, AppDemo(), "DEMO.REQUEST");
    else if (frameId)
        FrameCommand(f, frameId);
    PumpAll();
    HWND from = pane ? PCFWnd(f->msgPane->window) : AppWindow("RAVOLT_COMMAND", "RAVOLT.DEMO/Queue Manager");
    if (dialogId && from)
        SendMessageA(from, WM_COMMAND, (WPARAM)dialogId, 0);
    if (!strcmp(cls, "DD_DLG_ABOUTDLG"))
        AboutDialog(f->window);
    if (!strcmp(cls, "RAVOLT_FILE"))
        FileViewCreate("qm.ini", samples::In(std::string(RAVOLT_TOP) + "/../shared/samples",
                                             "ini-mqsc/ODOWDAIBM__mq01__qm.ini").c_str());
    PumpAll();
    return AppWindow(cls, title);
}

/* Escape, pressed where the program leaves the focus, closes every
 * window that has a Cancel or Close button (or is made to close on it). */
TEST(AppWindows, EscapeClosesEveryWindowThatHasACancelOrClose)
{
    const struct { int frameId, dialogId; bool pane; const char *cls, *title; } windows[] = {
        {0, 0, false, "DD_DLG_ABOUTDLG", "About"}, {641, 0, false, "RAVOLT_PUT", "MQPUT from"},
        {747, 0, false, "RAVOLT_PUBLISH", "Publish from"}, {685, 0, false, "DD_DLG_FILTERS", "Filter Manager"},
        {0, 0, false, "RAVOLT_FILE", "qm.ini"}, {542, 504, false, "DD_DLG_AUTOREFRESH", "Auto Refresh Rate"},
        {542, 657, false, "DD_DLG_EXPORTDLG", "Export"}, {0, 919, true, "DD_DLG_LOADMSG", "Load Message"},
        {0, 918, true, "DD_DLG_SAVEMSG", "Save Message"},
    };
    AppStart();
    for (const auto &w : windows) {
        HWND window = OpenWindow(w.frameId, w.dialogId, w.pane, w.cls, w.title);
        EXPECT_NE(window, nullptr) << w.title << " did not open";
        HWND focus = GetFocus();
        if (window)
            LoopKey(focus && (focus == window || IsChild(window, focus)) ? focus : window, VK_ESCAPE);
        EXPECT_FALSE(window && IsWindow(window) && IsWindowVisible(window)) << "Escape left " << w.title << " open";
        for (HWND qm; (qm = AppWindow("RAVOLT_COMMAND", "RAVOLT.DEMO/Queue Manager")) != nullptr;)
            SendMessageA(qm, WM_CLOSE, 0, 0);
        PumpAll();
    }
}
