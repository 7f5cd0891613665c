/* The debug window under Xvfb: opened by menu command 723 through the
 * stand-in frame, its keys with the status and help lines, the debug file
 * holding everything shown, dumps of a real PCF request and reply between
 * the MQ engine's threads and the stand-in's command server, the version
 * check's HTTP lines, the view's trimming (fault 2) and writers on several
 * threads at once (fault 3). */
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "httpserver.h"
#include "shelltest.h"
#include "shellstandin.h"
#include "debugwin.h"
#include "version.h"
#include "cs.h"
#include "mq/pcf.h"
#include "mqi.h"
#include "enginetest.h"
#include "qms.h"

namespace {

HWND Edit(void)
{
    return GetDlgItem(DebugWindow(), DEBUG_EDIT);
}

/* a text's lines, without their line ends */
std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

/* the view's lines, once the window has shown what waits */
std::vector<std::string> ViewLines(void)
{
    PumpAll();
    return SplitLines(WindowText(Edit()));
}

std::vector<std::string> FileLines(const std::string &path)
{
    return SplitLines(ReadWhole(path));
}

void Type(int key)
{
    SendMessageA(Edit(), WM_CHAR, (WPARAM)key, 0);
}

std::string Status(const char *req, const char *rsp, const char *http, const char *lists,
                   const char *monitor, const std::string &file)
{
    return std::string("Debug Req(") + req + "] Rsp[" + rsp + "] HTTP[" + http + "] Lists[" + lists +
           "] Monitor[" + monitor + "] File[" + file + "]";
}

}  // namespace

/* What each debug window test sets up: the switches, the debug file (left
 * over from an earlier run, replaced when the window opens) and the
 * stand-in frame. */
struct DebugSetup {
    std::string file;
    HWND frame = nullptr;
    void Begin(void)
    {
        debugSwitches = {1, 0, 1, 0, 1, 1};
        file = WriteScratch("debug.txt", "left over from an earlier run\r\n");
        _putenv_s("RAVOLT_DEBUGFILE", file.c_str());
        frame = StandinFrameCreate();
    }
    void End(void)
    {
        if (DebugWindow())
            SendMessageA(DebugWindow(), WM_CLOSE, 0, 0);
        DestroyWindow(frame);
        PumpAll();
        _putenv_s("RAVOLT_DEBUGFILE", "");
    }
    void Open(void)
    {
        SendMessageA(frame, WM_COMMAND, IDM_DEBUG_WINDOW, 0);
        PumpAll();
        ASSERT_NE(DebugWindow(), nullptr);
    }
};

struct DebugWnd : ::testing::Test, DebugSetup {
    QMS loc;
    void SetUp() override
    {
        Begin();
        memset(&loc, 0, sizeof loc);
        strcpy(loc.qmName, "QMDBG");
        strcpy(loc.locationName, "Test QMDBG");
    }
    void TearDown() override { End(); }
};

/* The same with the MQ engine connecting locations to the stand-in. */
struct DebugEngine : EngineTest, DebugSetup {
    void SetUp() override
    {
        EngineTest::SetUp();
        Begin();
    }
    void TearDown() override
    {
        End();
        EngineTest::TearDown();
    }
};

TEST_F(DebugWnd, MenuCommandOpensItOnceWithItsStatus)
{
    int modeless = ModelessCount();
    Open();
    HWND w = DebugWindow();
    EXPECT_EQ(WindowText(w), "Debug");
    EXPECT_EQ(ModelessCount(), modeless + 1);
    RECT rc;
    GetWindowRect(w, &rc);
    EXPECT_EQ(rc.right - rc.left, GetSystemMetrics(SM_CXSCREEN) / 2);
    EXPECT_EQ(rc.bottom - rc.top, GetSystemMetrics(SM_CYSCREEN) / 2);
    std::vector<std::string> view = ViewLines();
    ASSERT_EQ(view.size(), 2u);
    EXPECT_EQ(view[0], "Debugging Started");
    EXPECT_EQ(view[1], Status("yes", "no", "yes", "no", "yes", file));
    /* the earlier file was replaced */
    EXPECT_EQ(FileLines(file), view);
    /* a second command focuses the open window */
    SetFocus(frame);
    SendMessageA(frame, WM_COMMAND, IDM_DEBUG_WINDOW, 0);
    EXPECT_EQ(DebugWindow(), w);
    EXPECT_EQ(GetFocus(), Edit());
    /* Escape (through the modeless list) closes it */
    MSG esc = {Edit(), WM_KEYDOWN, VK_ESCAPE, 0};
    EXPECT_TRUE(ModelessDialogMessage(&esc));
    PumpAll();
    EXPECT_EQ(DebugWindow(), nullptr);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(ModelessCount(), modeless);
}

TEST_F(DebugWnd, KeysChangeTheSwitchesAndTheFileKeepsEverything)
{
    Open();
    Type('r');
    EXPECT_EQ(ViewLines().back(), Status("no", "no", "yes", "no", "yes", file));
    Type('s');
    Type('h');
    Type('l');
    Type('m');
    EXPECT_EQ(ViewLines().back(), Status("no", "yes", "no", "yes", "no", file));
    Type('3');
    EXPECT_EQ(debugSwitches.level, 3);
    Type('\r');
    EXPECT_EQ(ViewLines().back(), Status("no", "yes", "no", "yes", "no", file));
    size_t before = ViewLines().size();
    Type('?');
    std::vector<std::string> view = ViewLines();
    ASSERT_EQ(view.size(), before + 8);
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(view[before + i], DebugHelpLines[i]);
    EXPECT_EQ(view.back(), Status("no", "yes", "no", "yes", "no", file));
    /* a key that is not a command changes nothing and the text stays */
    Type('x');
    EXPECT_EQ(ViewLines(), view);
    /* "c" empties the view; the file keeps every line shown */
    std::vector<std::string> shown = view;
    Type('c');
    view = ViewLines();
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view[0], Status("no", "yes", "no", "yes", "no", file));
    DebugPrint(DBG_LISTS, "a list line");
    DebugPrint(DBG_MONITOR, "a monitor line (monitor is off)");
    shown.push_back(view[0]);
    shown.push_back("a list line");
    EXPECT_EQ(ViewLines().back(), "a list line");
    EXPECT_EQ(FileLines(file), shown);

    /* closed: nothing is shown or written */
    SendMessageA(DebugWindow(), WM_CLOSE, 0, 0);
    PumpAll();
    ASSERT_EQ(DebugWindow(), nullptr);
    DebugPrint(DBG_ALWAYS, "while closed");
    MQMD md = {MQMD_DEFAULT};
    DebugDumpMessage(&loc, 1, &md, "abc", 3);
    EXPECT_EQ(FileLines(file), shown);
}

namespace {

/* Replies the get thread handed to the agent, counted once the agent (and
 * the dump in it) is done; the last one kept. */
std::atomic<int> repliesDone;
std::mutex replyLock;
MQMD lastReplyMD;
std::vector<char> lastReply;

int CountedReply(QMS *r, int32_t *stop, MQHCONN h, MQMD *md, void *data, int32_t length)
{
    int rc = AnalyseCommand(r, stop, h, md, data, length);
    {
        std::lock_guard<std::mutex> g(replyLock);
        lastReplyMD = *md;
        lastReply.assign((char *)data, (char *)data + length);
    }
    repliesDone++;
    return rc;
}

/* Asks the location's queue manager for its attributes through the engine
 * and waits until the reply has been through the agent. */
void Inquire(QMS *r)
{
    std::vector<uint8_t> msg = PcfCommand(MQCMD_INQUIRE_Q_MGR);
    int before = repliesDone;
    ASSERT_EQ(PostThreadRequest(r, nullptr, 0, nullptr, nullptr, Block(msg.data(), msg.size()),
                                (uint32_t)msg.size()), 0);
    ASSERT_TRUE(PumpUntil([&] { return repliesDone > before; }));
}

std::vector<std::string> Banners(const std::vector<std::string> &lines, size_t from)
{
    std::vector<std::string> banners;
    for (size_t i = from; i < lines.size(); i++)
        if (lines[i].rfind("**********", 0) == 0)
            banners.push_back(lines[i]);
    return banners;
}

}  // namespace

TEST_F(DebugEngine, RealRequestAndReplyOfTheCommandServer)
{
    /* a queue manager of the stand-in, asked for its attributes by the
       engine's put thread; its command server's reply read by the get thread */
    Mqsc("QMDBG", "DEFINE QLOCAL(APP.Q)");
    QMS *r = Location("QMDBG");
    snprintf(r->locationName, sizeof r->locationName, "Test QMDBG");
    MQEHooks.analyse = CountedReply;
    debugSwitches.level = 3;
    Open();
    Connect(r);
    size_t first = ViewLines().size();
    Inquire(r);
    std::vector<std::string> view = ViewLines();
    std::vector<std::string> tail(view.begin() + (long)first, view.end());
    /* requests on, responses off (the defaults): the request alone */
    ASSERT_GT(tail.size(), 2u);
    EXPECT_EQ(Banners(tail, 0), std::vector<std::string>{"********** > Test QMDBG QMDBG **********"});
    std::string joined;
    for (const std::string &l : tail) {
        EXPECT_LE(l.size(), 100u) << l;
        joined += l + "\n";
    }
    EXPECT_NE(joined.find("Inquire Queue Manager"), std::string::npos) << joined;

    /* requests off, responses on: only "<" banners */
    Type('r');
    Type('s');
    first = ViewLines().size();
    Inquire(r);
    {
        std::lock_guard<std::mutex> g(replyLock);
        DebugDumpMessage(nullptr, 0, &lastReplyMD, lastReply.data(), (int32_t)lastReply.size());
    }
    view = ViewLines();
    EXPECT_EQ(Banners(view, first), (std::vector<std::string>{"********** < Test QMDBG QMDBG **********",
                                                               "********** < <Unknown> **********"}));
    joined.clear();
    for (size_t i = first; i < view.size(); i++)
        joined += view[i] + "\n";
    EXPECT_NE(joined.find("QMDBG"), std::string::npos) << joined;

    /* both on: the request and its reply */
    Type('r');
    first = ViewLines().size();
    Inquire(r);
    std::vector<std::string> banners = Banners(ViewLines(), first);
    std::sort(banners.begin(), banners.end());
    EXPECT_EQ(banners, (std::vector<std::string>{"********** < Test QMDBG QMDBG **********",
                                                 "********** > Test QMDBG QMDBG **********"}));
    GalleryShot(DebugWindow(), "debug_window", true);
    /* the file has the view's lines */
    EXPECT_EQ(FileLines(file), ViewLines());
}

TEST_F(DebugWnd, VersionCheckWritesItsHttpLines)
{
    TestHttpServer server;
    server.ServeBody(VersionPage("9.4.0 Jan 1 2030"));
    Open();
    VERHTTP h;
    char error[VER_TEXT];
    std::string url = server.Url("download/version.html");
    ASSERT_EQ(VerHttpGet(url.c_str(), &h, error), 1) << error;
    VerHttpFree(&h);
    std::vector<std::string> view = ViewLines();
    std::string joined;
    for (const std::string &l : view)
        joined += l + "\n";
    EXPECT_NE(joined.find("\nGET /download/version.html HTTP/1.1 \n"), std::string::npos) << joined;
    EXPECT_NE(joined.find("\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\n"), std::string::npos);
    EXPECT_NE(joined.find("\nHTTP/1.1 200 OK\n"), std::string::npos);
    /* with HTTP off, none */
    Type('h');
    size_t count = ViewLines().size();
    ASSERT_EQ(VerHttpGet(url.c_str(), &h, error), 1) << error;
    VerHttpFree(&h);
    EXPECT_EQ(ViewLines().size(), count);
}

TEST_F(DebugWnd, ManyLinesKeepArrivingAtTheEnd)
{
    Open();
    char line[100];
    for (int i = 0; i < 5000; i++) {
        snprintf(line, sizeof line, "dump line %05d ....+....1....+....2....+....3....+....4....+", i);
        DebugPrint(DBG_ALWAYS, line);
    }
    std::vector<std::string> view = ViewLines();
    EXPECT_LE(GetWindowTextLengthA(Edit()), DEBUG_TEXT_LIMIT);
    EXPECT_EQ(view.back(), line);
    EXPECT_LE(view.size(), 2001u);
    EXPECT_EQ(FileLines(file).size(), 5002u);
    /* a line longer than the whole view still ends it */
    std::string huge(150000, 'h');
    DebugPrint(DBG_ALWAYS, huge.c_str());
    DebugPrint(DBG_ALWAYS, "after the huge line");
    EXPECT_LE(GetWindowTextLengthA(Edit()), DEBUG_TEXT_LIMIT);
    EXPECT_TRUE(ViewLines().back() == "after the huge line") << ViewLines().back().substr(0, 80);
}

TEST_F(DebugWnd, WorkersAndTheInterfaceThreadWriteAtOnce)
{
    CSMEMSTATS before;
    CSMemStats(&before);
    Open();
    MQMD md = {MQMD_DEFAULT};
    memcpy(md.Format, MQFMT_STRING, 8);
    const char *body = "a short message body";
    std::atomic<bool> stop{false};
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; t++)
        workers.emplace_back([&, t] {
            char line[64];
            for (int i = 0; !stop; i++) {
                snprintf(line, sizeof line, "worker %d line %d", t, i);
                DebugPrint(DBG_ALWAYS, line);
                if (i % 20 == 0)
                    DebugDumpMessage(&loc, 1, &md, body, (int32_t)strlen(body));
            }
            finished++;
        });
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int own = 0;
    char line[64];
    while (std::chrono::steady_clock::now() < end) {
        snprintf(line, sizeof line, "interface line %d", own++);
        DebugPrint(DBG_ALWAYS, line);
        DebugDumpMessage(&loc, 1, &md, body, (int32_t)strlen(body));
        /* a bounded share of the messages: the workers keep posting */
        MSG msg;
        for (int k = 0; k < 200 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); k++) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    stop = true;
    bool done = PumpUntil([&] { return finished == 4; }, 10000);
    EXPECT_TRUE(done) << "writers still blocked";
    for (std::thread &w : workers)
        done ? w.join() : w.detach();
    ASSERT_TRUE(done);
    PumpAll();
    /* each line once in the file */
    std::vector<std::string> lines = FileLines(file);
    std::set<std::string> seen;
    int workerLines = 0;
    for (const std::string &l : lines) {
        if (l.rfind("worker ", 0) != 0 && l.rfind("interface line ", 0) != 0)
            continue;
        EXPECT_TRUE(seen.insert(l).second) << "twice: " << l;
        workerLines++;
    }
    EXPECT_GT(workerLines, own);
    SendMessageA(DebugWindow(), WM_CLOSE, 0, 0);
    PumpAll();
    CSMEMSTATS after;
    CSMemStats(&after);
    EXPECT_EQ(after.blocks, before.blocks);
}
