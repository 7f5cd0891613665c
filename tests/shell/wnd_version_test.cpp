/* The "Ravolt Version Check" dialog under Xvfb, fed by the loopback
 * server through the host frame: menu command 932, the About box's
 * button 557, the timer's automatic check as "vct" says, the failure box
 * from the fifth failure in a row, and results whose window went. */
#include <gtest/gtest.h>

#include <algorithm>
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

/* Waits until a message is queued for a window, not taking it; every
 * other message is taken through the loop filters meanwhile. */
static bool QueuedFor(HWND w, UINT message, int ms)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < (DWORD)ms;) {
        MSG m;
        if (PeekMessageA(&m, w, message, message, PM_NOREMOVE))
            return true;
        while (PeekMessageA(&m, nullptr, 0, message - 1, PM_REMOVE) ||
               PeekMessageA(&m, nullptr, message + 1, 0xFFFFFFFF, PM_REMOVE))
            if (!ShellFilterMessage(&m))
                DispatchMessageA(&m);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
}

struct VersionWnd : ::testing::Test {
    TestHttpServer server;
    std::string url;
    HWND frame = nullptr;
    CSMEMSTATS before;
    HANDLE answer = CreateEventA(nullptr, TRUE, FALSE, nullptr);   /* lets a held page go */
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
        SetEvent(answer);
        CloseAllOfClass("DD_TK47_VERSION");
        DestroyWindow(frame);
        PumpAll();
        verPageAddress = verDownloadAddress;
        CSMEMSTATS after;
        CSMemStats(&after);
        EXPECT_EQ(after.blocks, before.blocks);
        CloseHandle(answer);
    }
    /* a page whose body is held until answer is set, so that the dialog
     * is seen waiting */
    void ServeHeld(const char *versionLine)
    {
        std::string body = VersionPage(versionLine);
        HttpScript s;
        s.pieces = {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n", body};
        s.held = answer;
        server.Serve(s);
    }
    /* The connections made up to the end of a check the user asks for:
     * the analyser thread serves checks in the order asked, so a check an
     * earlier tick asked for has connected, and posted its result to the
     * frame, before this one's result comes. */
    int ConnectionsAfterACommand(void)
    {
        std::vector<HWND> open = WindowsOfClass("DD_TK47_VERSION");
        SendMessageA(frame, WM_COMMAND, IDM_CHECK_VERSION, 0);
        HWND d = nullptr;
        for (HWND w : WindowsOfClass("DD_TK47_VERSION"))
            if (std::find(open.begin(), open.end(), w) == open.end())
                d = w;
        EXPECT_NE(d, nullptr);
        if (!d)
            return -1;
        EXPECT_TRUE(PumpUntil([&] { return Field(d, 103) != "Retrieving information..."; }, 20000));
        DestroyWindow(d);
        PumpAll();
        return server.Connections();
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
    ServeHeld("9.4.0 Jan 1 2030");
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
    /* asked and still unanswered, the messages taken: still waiting */
    ASSERT_TRUE(PumpUntil([&] { return server.Connections() == 1; }));
    PumpAll();
    EXPECT_EQ(Field(d, 103), "Retrieving information...");
    SetEvent(answer);
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
    EXPECT_EQ(ConnectionsAfterACommand(), 1);        /* the command's own */
    EXPECT_EQ(verResultArrived, 0);
    Prf.vcl = 0;
    TickAt(60);
    ASSERT_TRUE(PumpUntil([] { return verResultArrived != 0; }));
    EXPECT_EQ(server.Connections(), 2);
    HWND d = VersionDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Field(d, 103), "A later version of Ravolt is available.");
    DestroyWindow(d);
    /* the check just made: not due again a day of ticks later */
    TickAt(60 + 86400);
    EXPECT_EQ(ConnectionsAfterACommand(), 3);
    EXPECT_EQ(verResultArrived, 0);

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
    EXPECT_EQ(ConnectionsAfterACommand(), connections + 1);
    EXPECT_EQ(verResultArrived, 0);
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
    /* a result still queued for a dialog that closes: the worker's,
       waited for in the queue (not taken), and one more */
    SendMessageA(frame, WM_COMMAND, IDM_CHECK_VERSION, 0);
    HWND d = VersionDialog();
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(QueuedFor(d, UM_VERSION_RESULT, 20000));
    TK47VERSION *extra = (TK47VERSION *)CSGetMem(sizeof(TK47VERSION), "TK47VERSION");
    memset(extra, 0, sizeof *extra);
    PostMessageA(d, UM_VERSION_RESULT, 0, (LPARAM)extra);
    DestroyWindow(d);
    PumpAll();
}
