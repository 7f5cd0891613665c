/* The shell's own windows in the test's process: the About box and the
 * file viewer (a real ini file, a big file's "Loading" notice, reload
 * keeping its place, a file that is no text); Escape closing every
 * window that has a Cancel or Close. */
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "apptest.h"
#include "shelltest.h"
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
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"
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
    std::string path = samples::File("ini-mqsc/ODOWDAIBM__mq01__qm.ini");
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

    /* at the default position: cascaded from the screen's corner, a
       second viewer one step further, both on the screen at their size */
    HWND second = FileViewCreate("qm.ini", path.c_str());
    ASSERT_NE(second, nullptr);
    PumpAll();
    RECT one, two, work;
    GetWindowRect(v, &one);
    GetWindowRect(second, &two);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
    const struct { const char *what; long got, want; } places[] = {
        { "first viewer's x", one.left, work.left + step },
        { "first viewer's y", one.top, work.top + step },
        { "second viewer's x", two.left, one.left + step },
        { "second viewer's y", two.top, one.top + step },
        { "second viewer's width", two.right - two.left, Prf.dialogs[DLG_FILE][2] },
        { "on the screen", two.bottom <= work.bottom && two.right <= work.right, 1 },
    };
    for (const auto &p : places)
        EXPECT_EQ(p.got, p.want) << p.what;
    DestroyWindow(second);
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


/* Preferences changed through the real window, each where the program
 * shows it: every row's control is changed as the user does (a line of an
 * option list clicked, a field typed, a drop-down chosen, a box ticked),
 * "Apply" pressed and every effect read; then each put back and "OK"
 * pressed, which closes the window, and every effect read again.  A
 * preference read but not applied fails, and so do an Apply or an OK that
 * applies nothing.  What a window changed of the profile (the
 * queue-manager list's width) is not lost by the apply but kept; the OEM
 * character set, which no line of the window carries, reaches the fonts. */
enum PrefHow { P_LINE, P_TEXT, P_PICK, P_BOX };
struct PrefCase {
    const char *what;
    int tab, how, id;
    const char *line;                  /* P_LINE: the option's text */
    const char *now, *was;             /* P_LINE: "1" ticked, "" not; else the text */
    std::string (*read)(void);
    const char *wasRead, *nowRead;     /* the effect before and after */
};

static std::string Num(int64_t v) { return std::to_string(v); }
/* A queue's depth of 12345 as a list's count column shows it. */
static std::string DepthShown(void)
{
    PCFFieldDef depth = {};
    depth.attrId = 3;
    depth.type = PCFT_INT;
    char text[32];
    return PCFIntValueText(&depth, 12345, text, sizeof text, 1);
}
/* The queue names a dialog remembers after twelve are shown. */
static std::string NamesKept(void)
{
    PCFHistoryClear();
    for (int i = 0; i < 12; i++)
        PCFHistoryAdd(("PREF.Q" + std::to_string(i)).c_str(), PCFH_QUEUE);
    std::string kept = Num(PCFHistoryCount(PCFH_QUEUE)) + " from " + PCFHistoryName(PCFH_QUEUE, 0);
    PCFHistoryClear();
    return kept;
}
/* A second monitor right of the first, and the repaints a display
 * change asks for. */
static int TwoMonitors(DisplayLayout *d)
{
    d->monitors = 2;
    d->desktop = {0, 0, 3200, 1000};
    d->monitor[0] = {0, 0, 1600, 960};
    d->monitor[1] = {1600, 0, 3200, 1000};
    return 1;
}
static int displayRepaints;
static void CountRepaints(void *, int mask) { displayRepaints += mask; }
/* A window mostly on the second monitor fitted: its x. */
static std::string FittedX(void)
{
    UtilSetDisplaySource(TwoMonitors);
    UtilCheckMonitors();
    PlaceRect over = {1500, 10, 500, 300};
    WinFitRect(&over, 1, 0);
    UtilSetDisplaySource(nullptr);
    UtilCheckMonitors();
    return Num(over.x);
}
/* A display change: the repaints it asks for and whether a placement is
 * recorded though the monitors changed. */
static std::string DisplayChange(void)
{
    const TKHOOKS program = *TkHooks();
    TKHOOKS counting = program;
    counting.repaintAllWindows = CountRepaints;
    TkSetHooks(&counting);
    displayRepaints = 0;
    UtilSetDisplaySource(TwoMonitors);
    UtilCheckMonitors();
    int32_t start = PCFMonitorsAtStart(), slots[2][4] = {};
    PCFNoteMonitors(start + 1);
    int recorded = PCFSetPlacementPos(slots, 10, 20);
    PCFSetMonitors(start, start);
    UtilSetDisplaySource(nullptr);
    UtilCheckMonitors();
    TkSetHooks(&program);
    return "repaints " + Num(displayRepaints) + ", recorded " + Num(recorded);
}

#define READ(expr) [] { return std::string(expr); }
static const PrefCase PrefCases[] = {
    { "thousands separators in a count column", 2, P_LINE, 344, "Show thousands separators", "", "1",
      DepthShown, "12,345", "12345" },
    { "thousands separator", 2, P_TEXT, PF_SEP1000, nullptr, "'", ",", READ(PcfPrefs.sep1000), ",", "'" },
    { "object name history", 2, P_TEXT, PF_HSO, nullptr, "4", "10", NamesKept, "10 from PREF.Q2", "4 from PREF.Q8" },
    { "integral monitor positioning: a window over two monitors", 2, P_LINE, 344, "Integral monitor positioning",
      "", "1", FittedX, "1600", "1500" },
    { "dual monitors: a display change", 2, P_LINE, 344, "Adjust dialog positions for dual monitors", "", "1",
      DisplayChange, "repaints 4, recorded 0", "repaints 0, recorded 1" },
    { "recent filters", 3, P_TEXT, PF_HSF, nullptr, "3", "10", READ(Num(FltPrefs.recentMax)), "10", "3" },
    { "column filter marks", 3, P_LINE, 347, "Show column filters", "", "1", READ(Num(FltPrefs.marksShown)), "1",
      "0" },
    { "column filter small font", 3, P_LINE, 347, "Use small font for column filters", "", "1",
      READ(Num(FltPrefs.smallPopupFont)), "1", "0" },
    { "column filter mark background", 3, P_LINE, 347, "Use column filter background colour when enabled", "1", "",
      READ(Num(FltPrefs.popupMenuBrush)), "0", "1" },
    { "column filter mark over the title", 3, P_LINE, 347, "Show column filters over column title", "1", "",
      READ(Num(FltPrefs.markAlways)), "0", "1" },
    { "select first entry on refresh", 3, P_LINE, 347, "Select first entry on refresh", "1", "",
      READ(Num(PcfListPrefs.selectFirst)), "0", "1" },
    { "global filter history", 3, P_LINE, 347, "Use global filter history", "1", "",
      READ(Num(PcfWinPrefs.filterListGlobal)), "0", "1" },
    { "size columns by data portion only", 3, P_LINE, 347, "Size columns by data portion only", "1", "",
      READ(Num(PcfListPrefs.valuesOnly)), "0", "1" },
    { "striped lists", 3, P_LINE, 347, "Lists should be striped", "", "1", READ(Num(PcfListPrefs.stripes)), "1", "0" },
    { "list flash interval", 3, P_TEXT, PF_FLASH, nullptr, "3", "1", READ(Num(PcfListPrefs.flashSeconds)), "1", "3" },
    { "object name field as a dropdown", 2, P_LINE, 344, "Show object name field as a dropdown list", "1", "",
      READ(Num(PcfWinPrefs.comboOnNameField)), "0", "1" },
    { "green ticks", 2, P_LINE, 344, "Ticks should be green", "", "1", READ(Num(PcfListPrefs.checkStyle)), "1", "0" },
    { "object name in the title bar", 2, P_LINE, 344, "Show object name in titlebar", "", "1",
      READ(Num(PcfWinPrefs.showObjectName) + Num(PcfWinPrefs.retitleOnName)), "11", "00" },
    { "balloon tips", 2, P_LINE, 344, "Show tooltips as balloons", "", "1", READ(Num(PcfListPrefs.balloonTips)), "1",
      "0" },
    { "Up/Down keys tab between fields", 2, P_LINE, 344, "Up/Down keys should tab between fields", "1", "",
      READ(Num(PcfWinPrefs.arrowKeysMove)), "0", "1" },
    { "read-only fields selectable", 2, P_LINE, 344, "Allow selection of read only fields", "", "1",
      READ(Num(PcfWinPrefs.stopOnReadOnly)), "1", "0" },
    { "right-justified numbers", 3, P_LINE, 347, "Right justify numeric columns", "", "1",
      READ(Num(PcfListPrefs.digitAlign)), "1", "0" },
    { "rule lines", 3, P_LINE, 347, "Show rule lines on lists", "1", "", READ(Num(PcfListPrefs.focusLine)), "0", "1" },
    { "3D selection", 3, P_LINE, 347, "3D Selection", "1", "", READ(Num(PcfListPrefs.grid & 0x100)), "0", "256" },
    { "auto update browse lists", 4, P_LINE, 411, "Auto update browse lists", "", "1",
      READ(Num(PcfPrefs.refreshMessageLists)), "1", "0" },
    { "initial add context", 0, P_PICK, PF_IACTX, nullptr, "Set All", "Default", READ(Num(PcfWinPrefs.addContext)),
      "32", "2048" },
    { "initial update context", 0, P_PICK, PF_IUCTX, nullptr, "Set Identity", "Pass All",
      READ(Num(PcfWinPrefs.updateContext)), "512", "1024" },
    { "local times of the lists' put times", 10, P_BOX, PF_LOCALTIMES, nullptr, "1", "",
      READ(Num(PcfPrefs.localTime)), "0", "1" },
    { "local times of new date-time column filters", 10, P_BOX, PF_LOCALTIMES, nullptr, "1", "",
      READ(Num(FltPrefs.localTimeDefault)), "0", "1" },
};

/* A row's control changed as the user changes it. */
static void PrefChange(HWND h, const PrefCase &c, const char *value)
{
    DDHANDLE dd = DDFindHandle(h);
    TestSelectTab(dd, h, PF_TABS, c.tab);
    HWND f = DDGetFieldWindow(dd, c.id, 0);
    ASSERT_NE(f, nullptr) << c.what;
    switch (c.how) {
    case P_LINE: {
        LRESULT at = SendMessageA(f, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)c.line);
        ASSERT_NE(at, LB_ERR) << c.line;
        if ((SendMessageA(f, LB_GETSEL, (WPARAM)at, 0) > 0) != (*value != 0)) {
            SendMessageA(f, LB_SETSEL, *value != 0, at);
            SendMessageA(h, WM_COMMAND, MAKEWPARAM(c.id, LBN_SELCHANGE), (LPARAM)f);
        }
        break;
    }
    case P_TEXT:
        SetWindowTextA(f, value);
        SendMessageA(h, WM_COMMAND, MAKEWPARAM(c.id, EN_CHANGE), (LPARAM)f);
        break;
    case P_PICK:
        ASSERT_NE(SendMessageA(f, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)value), CB_ERR) << value;
        SendMessageA(h, WM_COMMAND, MAKEWPARAM(c.id, CBN_SELCHANGE), (LPARAM)f);
        break;
    case P_BOX:
        if ((SendMessageA(f, BM_GETCHECK, 0, 0) == BST_CHECKED) != (*value != 0))
            SendMessageA(f, BM_CLICK, 0, 0);
        break;
    }
    PumpAll();
}

/* Every row's effect: the value it must show once the rows before end
 * are applied (a row sharing a control with one of them: applied too). */
static void PrefEffects(const char *when, size_t end)
{
    for (const PrefCase &c : PrefCases) {
        bool changed = false;
        for (size_t i = 0; i < end; i++)
            changed |= PrefCases[i].id == c.id && !strcmp(PrefCases[i].line ? PrefCases[i].line : "", c.line ? c.line : "");
        EXPECT_EQ(c.read(), changed ? c.nowRead : c.wasRead) << c.what << " " << when;
    }
}

TEST(AppWindows, AppliedPreferencesReachTheSettingsTheWindowsRead)
{
    AppStart();
    FrameWords *f = AppMain();
    const PRFDATA saved = Prf;
    Prf.po[0] ^= PO1_OEM_CHARSET;
    PcfWinPrefs.qmListPosition = 123;
    PrefEffects("before", 0);
    FrameCommand(f, 546);
    PumpAll();
    HWND h = PrefWindow();
    ASSERT_NE(h, nullptr);
    /* a row at a time, each applied alone: a row that sets another's
       setting shows early */
    for (size_t i = 0; i < std::size(PrefCases); i++) {
        PrefChange(h, PrefCases[i], PrefCases[i].now);
        PrefEffects(("before Apply of '" + std::string(PrefCases[i].what) + "'").c_str(), i);
        SendMessageA(DDGetFieldWindow(DDFindHandle(h), PF_APPLY, 0), BM_CLICK, 0, 0);
        PumpAll();
        ASSERT_EQ(PrefWindow(), h) << "Apply closed the window";
        PrefEffects(("after Apply of '" + std::string(PrefCases[i].what) + "'").c_str(), i + 1);
    }
    HFONT font = nullptr;
    LOGFONTA lf = {};
    FontDesc desc = winFonts.mainDesc;
    if (WinCreateFontFromDesc(&desc, &font) && font)
        GetObjectA(font, sizeof lf, &lf);
    if (font)
        DeleteObject(font);
    EXPECT_EQ(lf.lfCharSet, OEM_CHARSET) << "OEM character set of the fonts";
    EXPECT_EQ(PcfWinPrefs.qmListPosition, 123) << "queue-manager list width";
    EXPECT_EQ(Prf.qmlistwid, 123) << "its width in the profile";
    for (const PrefCase &c : PrefCases)
        PrefChange(h, c, c.was);
    SendMessageA(DDGetFieldWindow(DDFindHandle(h), 1, 0), BM_CLICK, 0, 0);
    PumpAll();
    EXPECT_EQ(PrefWindow(), nullptr) << "OK left the window open";
    PrefEffects("after OK", 0);
    Prf = saved;
    PrefHooks()->repaint(PrefHooks()->context, 0);
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
        FileViewCreate("qm.ini", samples::File("ini-mqsc/ODOWDAIBM__mq01__qm.ini").c_str());
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

/* The splash "Test" buttons: the queue-manager sources are shown for the
 * sample queue manager under their own caption, the start-up source under
 * the start-up caption. */
TEST(AppWindows, SplashTestsShowTheSampleQueueManager)
{
    AppStart();
    FrameWords *f = AppMain();
    std::string file = WriteScratch("vorskqm.txt", "sample splash\r\n");
    std::string templ = file.substr(0, file.size() - strlen("vorskqm.txt")) + "%m.txt";
    FrameCommand(f, 546);
    PumpAll();
    HWND h = PrefWindow();
    ASSERT_NE(h, nullptr);
    DDHANDLE dd = DDFindHandle(h);
    const struct { int field, button; const char *source, *caption; } rows[] = {
        { 558, 559, templ.c_str(), "Ravolt Queue Manager Splash Test" },
        { 560, 561, templ.c_str(), "Ravolt Queue Manager Splash Test" },
        { 550, 551, file.c_str(), "Ravolt Start-up" },
    };
    for (const auto &r : rows) {
        DDSetFieldValue(dd, r.field, r.source);
        SendMessageA(DDGetFieldWindow(dd, r.button, 0), BM_CLICK, 0, 0);
        PumpAll();
        HWND shown = FindWindowA(nullptr, r.caption);
        char other[200] = "";
        HWND info = FindWindowA(nullptr, "Ravolt Splash Test");
        if (!info)
            info = FindWindowA(nullptr, "Ravolt Splash Information");
        if (info)
            GetWindowTextA(info, other, sizeof other);
        EXPECT_NE(shown, nullptr) << r.button << ": shown instead: '" << other << "'";
        for (HWND w : { shown, info })
            if (w)
                SendMessageA(w, WM_CLOSE, 0, 0);
        PumpAll();
    }
    SendMessageA(DDGetFieldWindow(dd, 2, 0), BM_CLICK, 0, 0);
    PumpAll();
}
