/* The "Ravolt Version Check" dialog under Xvfb, fed by the loopback
 * server through the host frame: menu command 932, the About box's
 * button 557, the timer's automatic check as "vct" says, the failure box
 * from the fifth failure in a row, and results whose window went. */
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "httpserver.h"
#include "shelltest.h"
#include "partshost.h"
#include "shellhost.h"
#include "mqengine.h"
#include "version.h"
#include "cs.h"
#include "dd.h"
#include "prfdata.h"
#include "wirelibs.h"

static HWND VersionDialog(void)
{
    auto found = WindowsOfClass("DD_TK47_VERSION");
    return found.empty() ? nullptr : found[0];
}

static std::string Field(HWND dialog, int id)
{
    char text[400] = "";
    DDGetFieldText(DDFindHandle(dialog), id, text, sizeof text);
    return text;
}

struct VersionWnd : ::testing::Test {
    TestHttpServer server;
    std::string url;
    HWND frame = nullptr;
    CSMEMSTATS before;
    void SetUp() override
    {
        WireLibraries();             /* the analyser's follow-up of a check */
        RecordBoxesAndLinks();
        url = server.Url("download/version.html");
        verPageAddress = url.c_str();
        Prf.vct = 'B';
        Prf.vcf = Prf.vcn = 0;
        Prf.vcl = 0;
        frame = HostFrameCreate();
        /* the dialog engine keeps one table for the process from the first dialog on */
        static HWND first = VerShowDialog(nullptr, 1, nullptr);
        if (IsWindow(first))
            DestroyWindow(first);
        CSMemStats(&before);
    }
    void TearDown() override
    {
        CloseAllOfClass("DD_TK47_VERSION");
        DestroyWindow(frame);
        PumpAll();
        verPageAddress = verDownloadAddress;
        CSMEMSTATS after;
        CSMemStats(&after);
        EXPECT_EQ(after.blocks, before.blocks);
    }
    /* a page served after a pause, so that the dialog is seen waiting */
    void ServeSlowly(const char *versionLine)
    {
        std::string body = VersionPage(versionLine);
        HttpScript s;
        s.pieces = {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n", body};
        s.pauseMs = 400;
        server.Serve(s);
    }
    /* one tick of the frame's timer at the given count */
    void TickAt(int32_t tick)
    {
        hostTick = tick - 1;
        verResultArrived = 0;
        SendMessageA(frame, WM_TIMER, 5, 0);
    }
};

TEST_F(VersionWnd, MenuCommandShowsRetrievingThenTheVersions)
{
    ServeSlowly("9.4.0 Jan 1 2030");
    SendMessageA(frame, WM_COMMAND, IDM_CHECK_VERSION, 0);
    HWND d = VersionDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(WindowText(d), "Ravolt Version Check");
    EXPECT_EQ(Field(d, 103), "Retrieving information...");
    int32_t own[VER_NUMBERS];
    ASSERT_EQ(VerOwnVersion(own), 1);
    char date[60];
    VerDateText(own, date, sizeof date);
    EXPECT_EQ(Field(d, 553), "9.3.3");
    EXPECT_EQ(Field(d, 552), date);
    EXPECT_EQ(Field(d, 555), "");
    ASSERT_TRUE(PumpUntil([&] { return Field(d, 103) != "Retrieving information..."; }));
    EXPECT_EQ(Field(d, 103), "A later version of Ravolt is available.");
    EXPECT_EQ(Field(d, 555), "9.4.0");
    EXPECT_EQ(Field(d, 554), "1 January 2030");
    EXPECT_EQ(Field(d, 553), "9.3.3");
    EXPECT_EQ(Prf.vcn, 1);
    GalleryShot(d, "version_dialog", true);
    /* the link button opens the product page through the open hook */
    SendMessageA(d, WM_COMMAND, 399, 0);
    ASSERT_EQ(OpenedLinks().size(), 1u);
    EXPECT_EQ(OpenedLinks()[0], verProductAddress);
    /* the close icon posts WM_CLOSE */
    SendMessageA(d, WM_COMMAND, 2, 0);
    PumpAll();
    EXPECT_FALSE(IsWindow(d));
}

TEST_F(VersionWnd, AboutBoxButtonStartsACheck)
{
    server.ServeBody(VersionPage("9.3.3 Jan 1 2001"));
    HWND about = HostAboutBox(frame);
    ASSERT_NE(about, nullptr);
    SendMessageA(GetDlgItem(about, ABOUT_CHECK_VERSION), BM_CLICK, 0, 0);
    PumpAll();
    HWND d = VersionDialog();
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Field(d, 103) != "Retrieving information..."; }));
    EXPECT_EQ(Field(d, 103), "You are using a more recent build than is available for download.");
    EXPECT_EQ(Field(d, 554), "1 January 2001");
    /* a failed check shows its error in the dialog */
    server.ServeBody("nothing here", 404);
    SendMessageA(GetDlgItem(about, ABOUT_CHECK_VERSION), BM_CLICK, 0, 0);
    PumpAll();
    auto both = WindowsOfClass("DD_TK47_VERSION");
    ASSERT_EQ(both.size(), 2u);
    HWND second = both[0] == d ? both[1] : both[0];
    ASSERT_TRUE(PumpUntil([&] { return Field(second, 103) != "Retrieving information..."; }));
    EXPECT_EQ(Field(second, 103),
              "Error retrieving version information : Web page format does not appear to be correct");
    DestroyWindow(about);
}

TEST_F(VersionWnd, TimerChecksAtTick60AndShowsAsTheSettingSays)
{
    server.ServeBody(VersionPage("9.4.0 Jan 1 2001"));
    TickAt(59);
    PumpAll();
    EXPECT_EQ(server.Connections(), 0);
    TickAt(60);
    ASSERT_TRUE(PumpUntil([] { return verResultArrived != 0; }));
    EXPECT_EQ(server.Connections(), 1);
    HWND d = VersionDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Field(d, 103), "A later version of Ravolt is available.");
    DestroyWindow(d);
    /* the check just made: not due again a day of ticks later */
    TickAt(60 + 86400);
    PumpAll();
    Sleep(200);
    PumpAll();
    EXPECT_EQ(server.Connections(), 1);

    /* same version, later build: "V" shows nothing, "B" the dialog */
    server.ServeBody(VersionPage("9.3.3 Dec 31 2099"));
    Prf.vct = 'V';
    Prf.vcl = 0;
    TickAt(60);
    ASSERT_TRUE(PumpUntil([] { return verResultArrived != 0; }));
    EXPECT_EQ(VersionDialog(), nullptr);
    Prf.vct = 'B';
    Prf.vcl = 0;
    TickAt(60);
    ASSERT_TRUE(PumpUntil([] { return verResultArrived != 0; }));
    ASSERT_NE(VersionDialog(), nullptr);
    EXPECT_EQ(Field(VersionDialog(), 103), "A later build of this Ravolt version is available.");

    /* "N": never */
    Prf.vct = 'N';
    Prf.vcl = 0;
    int connections = server.Connections();
    TickAt(60);
    Sleep(300);
    PumpAll();
    EXPECT_EQ(server.Connections(), connections);
}

TEST_F(VersionWnd, FailureBoxFromTheFifthFailureInARow)
{
    server.ServeBody("gone", 404);
    for (int i = 1; i <= 6; i++) {
        Prf.vcl = 0;
        TickAt(60);
        ASSERT_TRUE(PumpUntil([] { return verResultArrived != 0; })) << i;
        EXPECT_EQ(Prf.vcf, i);
        EXPECT_EQ(Boxes().size(), i < 5 ? 0u : (size_t)(i - 4)) << i;
    }
    EXPECT_EQ(Boxes()[0].caption, "Ravolt Version Check Failed");
    EXPECT_EQ(Boxes()[0].text,
              "Error retrieving version information : Web page format does not appear to be correct");
    EXPECT_EQ(VersionDialog(), nullptr);
}

TEST_F(VersionWnd, ResultsForWindowsThatWentAreFreed)
{
    /* the worker's post to a window that no longer exists */
    server.ServeBody(VersionPage("9.4.0 Jan 1 2030"));
    HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    ThreadRequest t = {};
    t.kind = TRK_VERCHECK;
    t.resultWindow = gone;
    EXPECT_EQ(VerCheckRun(&t), 0);
    /* a result still queued for a dialog that closes */
    SendMessageA(frame, WM_COMMAND, IDM_CHECK_VERSION, 0);
    HWND d = VersionDialog();
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return server.Connections() == 2; }));
    Sleep(300);
    TK47VERSION *extra = (TK47VERSION *)CSGetMem(sizeof(TK47VERSION), "TK47VERSION");
    memset(extra, 0, sizeof *extra);
    PostMessageA(d, UM_VERSION_RESULT, 0, (LPARAM)extra);
    DestroyWindow(d);
    PumpAll();
}
