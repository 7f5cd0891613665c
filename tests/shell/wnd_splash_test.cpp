/* The splash windows under Xvfb: text and rich-text files in top-most
 * windows whose text cannot be changed and whose links go to the "open"
 * hook, one window per location brought forward on a second request,
 * once per location unless forced, the bracketed size, the error
 * window's reasons, and the two ways the shell reaches it (11388 and the
 * start-up file). */
#include <gtest/gtest.h>

#include <richedit.h>

#include <cstring>
#include <string>

#include "httpserver.h"
#include "shelltest.h"
#include "partshost.h"
#include "splash.h"
#include "cs.h"
#include "prfdata.h"
#include "qms.h"
#include "tkutil.h"

static const char *richClass = "TK47_RICHEDIT";

/* the control's text with its line ends as line feeds */
static std::string SplashText(HWND w)
{
    std::string s = WindowText(GetDlgItem(w, 1000)), out;
    for (char c : s)
        if (c != '\r')
            out += c;
    return out;
}

static std::vector<HWND> SplashWindows(void)
{
    return WindowsOfClass(richClass);
}

/* the error window among the splash windows, by its title */
static HWND ErrorWindow(void)
{
    for (HWND w : SplashWindows())
        if (WindowText(w) == "Ravolt Splash Information")
            return w;
    return nullptr;
}

static std::string ErrorReason(void)
{
    HWND w = ErrorWindow();
    if (!w)
        return "<no error window>";
    std::string t = SplashText(w);
    const std::string head = "\nQueue Manager Splash information not shown because......\n\n";
    return t.compare(0, head.size(), head) == 0 ? t.substr(head.size()) : "<" + t + ">";
}

struct SplashWnd : ::testing::Test {
    QMS loc;
    std::string dir;
    void SetUp() override
    {
        memset(&loc, 0, sizeof loc);
        strcpy(loc.qmName, "QM1");
        strcpy(loc.groupName, "GRP");
        strcpy(loc.locationName, "Local QM1");
        RecordBoxesAndLinks();
        Prf.splashqms = Prf.splashqmn = Prf.splashs = nullptr;
        dir = ScratchDir();
    }
    void TearDown() override
    {
        CloseAllOfClass(richClass);
        CloseAllOfClass("TK47_BROWSER");
        Prf.splashqms = Prf.splashqmn = Prf.splashs = nullptr;
    }
    std::string File(const char *name, const std::string &bytes)
    {
        return WriteScratch(name, bytes);
    }
};

TEST_F(SplashWnd, TextFileIsShownTopMostAndCannotBeChanged)
{
    /* the template names the folder of the files, then %m and the ending */
    std::string path = File("QM1.txt", "Welcome to QM1.\r\nSee http://www.ravolt.example/qm1 for more.\r\n");
    std::string folder = path.substr(0, path.size() - strlen("QM1.txt"));
    std::string templ = folder + "%m.txt";
    Prf.splashqms = templ.c_str();
    EXPECT_EQ(SplashShow(nullptr, nullptr, &loc, 0, 0), 1);
    auto shown = SplashWindows();
    ASSERT_EQ(shown.size(), 1u);
    HWND w = shown[0];
    EXPECT_EQ(loc.splashWindow, (void *)w);
    EXPECT_EQ(WindowText(w), "Ravolt Splash Information for Queue Manager 'QM1'");
    EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    const std::string text = "Welcome to QM1.\nSee http://www.ravolt.example/qm1 for more.\n";
    EXPECT_EQ(SplashText(w), text);

    /* typing, deleting and pasting change nothing */
    HWND c = GetDlgItem(w, 1000);
    SetFocus(c);
    SendMessageA(c, EM_SETSEL, 3, 3);
    SendMessageA(c, WM_CHAR, 'x', 0);
    Key(c, VK_DELETE);
    Key(c, VK_BACK);
    if (OpenClipboard(w)) {
        EmptyClipboard();
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, 8);
        memcpy(GlobalLock(g), "PASTED", 7);
        GlobalUnlock(g);
        SetClipboardData(CF_TEXT, g);
        CloseClipboard();
    }
    SendMessageA(c, WM_PASTE, 0, 0);
    PumpAll();
    EXPECT_EQ(SplashText(w), text);

    /* a click on the link goes to the open hook */
    size_t at = text.find("http://") + 5;
    POINTL p = {};
    SendMessageA(c, EM_POSFROMCHAR, (WPARAM)&p, (LPARAM)at);
    Click(c, p.x + 2, p.y + 4);
    PumpAll();
    ASSERT_EQ(OpenedLinks().size(), 1u);
    EXPECT_EQ(OpenedLinks()[0], "http://www.ravolt.example/qm1");
}

TEST_F(SplashWnd, RichTextFileKeepsItsFormatting)
{
    std::string path = File("QM2.rtf",
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}"
        "\\f0\\fs32 {\\b\\cf1 Queue manager QM2}\\par\\fs22 Maintenance every Sunday from 02:00 to 04:00.\\par "
        "Contact the MQ team before changing channels.\\par See http://www.ravolt.example/qm2\\par}");
    strcpy(loc.qmName, "QM2");
    std::string templ = path.substr(0, path.size() - strlen("QM2.rtf")) + "%m.rtf[640,300]";
    Prf.splashqmn = templ.c_str();
    EXPECT_EQ(SplashShow(nullptr, "Queue Manager QM2", &loc, 0, 0), 1);
    auto shown = SplashWindows();
    ASSERT_EQ(shown.size(), 1u);
    std::string text = SplashText(shown[0]);
    EXPECT_EQ(text.find("\\rtf"), std::string::npos) << text;
    EXPECT_EQ(text, "Queue manager QM2\nMaintenance every Sunday from 02:00 to 04:00.\n"
                    "Contact the MQ team before changing channels.\nSee http://www.ravolt.example/qm2");
    RECT rc;
    GetWindowRect(shown[0], &rc);
    EXPECT_EQ(rc.right - rc.left, 640);
    EXPECT_EQ(rc.bottom - rc.top, 300);
    RedrawWindow(shown[0], nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpAll();
    GalleryShot(shown[0], "splash_rtf", true);
}

TEST_F(SplashWnd, OneWindowPerLocationAndOncePerRunUnlessForced)
{
    std::string path = File("once.txt", "Shown once.\r\n");
    Prf.splashqms = path.c_str();
    ASSERT_EQ(SplashShow(nullptr, nullptr, &loc, 0, 0), 1);
    HWND w = (HWND)loc.splashWindow;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(loc.splashShown, 1);
    /* a second request, even forced, brings the open window forward */
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    EXPECT_EQ(SplashShow(nullptr, nullptr, &loc, 0, 1), 1);
    EXPECT_EQ(SplashWindows().size(), 1u);
    /* above the other window (the foreground itself may go to another
     * test's process meanwhile) */
    HWND first = GetTopWindow(nullptr);
    while (first && first != w && first != other)
        first = GetWindow(first, GW_HWNDNEXT);
    EXPECT_EQ(first, w);
    DestroyWindow(other);
    DestroyWindow(w);
    PumpAll();
    EXPECT_EQ(loc.splashWindow, nullptr);
    /* shown once: a later use does not show it again, a forced request does */
    EXPECT_EQ(SplashShow(nullptr, nullptr, &loc, 0, 0), 0);
    EXPECT_EQ(SplashWindows().size(), 0u);
    EXPECT_EQ(SplashShow(nullptr, nullptr, &loc, 0, 1), 1);
    EXPECT_EQ(SplashWindows().size(), 1u);
}

TEST_F(SplashWnd, GivenSizeIsCutToTheScreen)
{
    std::string path = File("big.txt", "A big window.\r\n");
    std::string templ = path + "[6000,4000]";
    EXPECT_EQ(SplashShowFile(nullptr, "Big", &loc, templ.c_str(), 1, 0), 1);
    auto shown = SplashWindows();
    ASSERT_EQ(shown.size(), 1u);
    const DisplayLayout *d = UtilDisplayLayout();
    RECT rc;
    GetWindowRect(shown[0], &rc);
    EXPECT_EQ(rc.right - rc.left, d->monitor[0].right - d->monitor[0].left);
    EXPECT_EQ(rc.bottom - rc.top, d->monitor[0].bottom - d->monitor[0].top);
    EXPECT_EQ(rc.left, d->monitor[0].left);
}

TEST_F(SplashWnd, ErrorWindowSaysWhy)
{
    TestHttpServer server;
    server.ServeBody("<h1>Not here</h1>", 404);
    std::string missing = dir + "missing.txt";
    std::string page = server.Url("gone.html");
    struct { std::string templ; int report; int result; std::string reason; } cases[] = {
        {"", 1, 1, "No Splash file given."},
        {"", 0, 0, ""},
        {"[600,400]", 1, 1, "No Splash screen file name supplied."},
        {missing, 1, 1, "Can not access file '" + missing + "'"},
        {missing, 0, 0, ""},
        {dir + "%m.doc", 0, 1, "Unrecognised file name format '" + dir + "QM1.doc'"},
        {page, 1, 1, "Web Page '" + page + "' was not found"},
        {page, 0, 0, ""},
        {"http://127.0.0.1", 1, 1,
         "Error retrieving version information : Urecognised URL format 'http://127.0.0.1'"},
    };
    for (auto &c : cases) {
        EXPECT_EQ(SplashShowFile(nullptr, "T", &loc, c.templ.c_str(), c.report, 0), c.result) << c.templ;
        if (c.reason.empty()) {
            EXPECT_EQ(SplashWindows().size(), 0u) << c.templ;
        } else {
            EXPECT_EQ(ErrorReason(), c.reason);
            HWND e = ErrorWindow();
            ASSERT_NE(e, nullptr);
            EXPECT_TRUE(GetWindowLongA(e, GWL_EXSTYLE) & WS_EX_TOPMOST);
            if (c.templ == missing)
                GalleryShot(e, "splash_error", true);
        }
        CloseAllOfClass(richClass);
        loc.splashWindow = nullptr;
    }
    /* nothing configured for the queue manager, and asked to report */
    EXPECT_EQ(SplashShow(nullptr, nullptr, &loc, 1, 1), 1);
    EXPECT_EQ(ErrorReason(), "No Splash information available for Queue Manager 'QM1'");
    HWND e = ErrorWindow();
    ASSERT_NE(e, nullptr);
    RECT rc;
    GetWindowRect(e, &rc);
    const DisplayLayout *d = UtilDisplayLayout();
    EXPECT_EQ(rc.right - rc.left, (d->monitor[0].right - d->monitor[0].left) / 3);
    EXPECT_EQ(rc.bottom - rc.top, (d->monitor[0].bottom - d->monitor[0].top) / 5);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SplashWnd, EmptyFileIsReportedAndShownAllTheSame)
{
    std::string path = File("empty.txt", "x");
    EXPECT_EQ(SplashShowFile(nullptr, "Empty", &loc, path.c_str(), 1, 0), 1);
    EXPECT_EQ(ErrorReason(), "File '" + path + "' apears to be empty");
    EXPECT_EQ(SplashWindows().size(), 2u);
    HWND w = (HWND)loc.splashWindow;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(WindowText(w), "Empty");
    EXPECT_EQ(SplashText(w), "x");
}

TEST_F(SplashWnd, ShellReachesItThroughMessage11388AndTheStartupFile)
{
    std::string path = File("qm.txt", "Queue manager information.\r\n");
    std::string start = File("start.txt", "Good morning.\r\n");
    Prf.splashqmn = path.c_str();
    Prf.splashs = start.c_str();
    HWND frame = HostFrameCreate();
    loc.splashShown = 1;                 /* 11388 forces it */
    SendMessageA(frame, UM_SPLASH_SHOW, 0, (LPARAM)&loc);
    ASSERT_NE(loc.splashWindow, nullptr);
    EXPECT_EQ(SplashText((HWND)loc.splashWindow), "Queue manager information.\n");
    EXPECT_EQ(HostStartupSplash(frame), 1);
    HWND startup = nullptr;
    for (HWND w : SplashWindows())
        if (WindowText(w) == "Ravolt Start-up")
            startup = w;
    ASSERT_NE(startup, nullptr);
    EXPECT_EQ(SplashText(startup), "Good morning.\n");
    DestroyWindow(frame);
}
