/* The real ravolt.exe started from outside with a configuration of its
 * own in a folder whose name has a dot, and a watchdog that logs every
 * box the program shows and answers it: the frame appears, closing it
 * asks and writes the configuration once (nothing with "-r"), a bad
 * option shows the usage box whose closing ends the program, and a
 * configuration that cannot be read is reported once at start-up (a log
 * line when it runs without a user interface).  Every wait
 * has a hard limit; a test ends only the process it started. */
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

static std::string ProgramDir(void)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p = path;
    return p.substr(0, p.find_last_of("\\/") + 1);
}

static std::string ReadAll(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

static bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

/* A fresh configuration folder "...\ravolt.bb.N" holding text as RAVOLT.CFG. */
static std::string ConfigDir(const std::string &text)
{
    static int n;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string dir;
    do      /* a folder made now: Wine hands out process ids again */
        dir = std::string(temp) + "ravolt.bb." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(++n);
    while (!CreateDirectoryA(dir.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    std::ofstream(dir + "\\RAVOLT.CFG", std::ios::binary) << text;
    return dir;
}

struct Shown {
    std::string caption, text;
};

/* The started program and the watchdog over its boxes. */
struct Program {
    PROCESS_INFORMATION pi = {};
    std::mutex lock;                    /* the boxes and the windows seen */
    std::vector<Shown> boxes;
    std::vector<HWND> seen;
    std::map<HWND, int> tries;
    std::atomic<bool> watching{false};
    std::thread watchdog;
    const char *answer = "Yes";

    HANDLE errRead = nullptr;           /* its standard error, when asked */

    /* desktop: "station\\desktop" to start it on (null: ours); its
     * standard error then comes through a pipe (ErrorText). */
    bool Start(const std::string &args, const char *desktop = nullptr)
    {
        std::string line = "\"" + ProgramDir() + "ravolt.exe\" " + args;
        STARTUPINFOA si = {sizeof si};
        HANDLE errWrite = nullptr;
        if (desktop) {
            SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
            if (!CreatePipe(&errRead, &errWrite, &sa, 1 << 16))
                return false;
            SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
            si.lpDesktop = (char *)desktop;
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdError = errWrite;
        }
        std::vector<char> cmd(line.begin(), line.end());
        cmd.push_back(0);
        BOOL made = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, desktop != nullptr, 0,
                                   nullptr, ProgramDir().c_str(), &si, &pi);
        if (errWrite)
            CloseHandle(errWrite);
        if (!made)
            return false;
        watching = true;
        watchdog = std::thread([this] { Watch(); });
        return true;
    }
    /* The program's visible top-level windows of a class (null: any). */
    std::vector<HWND> Windows(const char *cls)
    {
        struct Ctx { DWORD pid; const char *cls; std::vector<HWND> out; } c{pi.dwProcessId, cls, {}};
        EnumWindows([](HWND w, LPARAM lp) -> BOOL {
            Ctx *c = (Ctx *)lp;
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            char name[64] = "";
            GetClassNameA(w, name, sizeof name);
            if (pid == c->pid && IsWindowVisible(w) && (!c->cls || !strcmp(name, c->cls)))
                c->out.push_back(w);
            return TRUE;
        }, (LPARAM)&c);
        return c.out;
    }
    static std::string Text(HWND w)
    {
        char t[512] = "";
        GetWindowTextA(w, t, sizeof t);
        return t;
    }
    /* A button's text without its mnemonic mark and outer blanks. */
    static std::string Label(HWND w)
    {
        std::string t = Text(w);
        t.erase(std::remove(t.begin(), t.end(), '&'), t.end());
        size_t b = t.find_first_not_of(' '), e = t.find_last_not_of(' ');
        return b == std::string::npos ? "" : t.substr(b, e - b + 1);
    }
    /* The watchdog: a look at the program's boxes every 100 ms. */
    void Watch(void)
    {
        while (watching) {
            Scan();
            Sleep(100);
        }
    }
    /* The boxes logged so far, after a look of our own: a box the program
     * shows before now is among them. */
    std::vector<Shown> Boxes(void)
    {
        Scan();
        std::lock_guard<std::mutex> g(lock);
        return boxes;
    }
    /* Every dialog box shown now: logged once with its static texts, then
     * its answer button (or its close) pressed. */
    void Scan(void)
    {
        std::lock_guard<std::mutex> g(lock);
        for (HWND w : Windows("#32770")) {
            if (std::find(seen.begin(), seen.end(), w) != seen.end())
                continue;
            seen.push_back(w);
            Shown s{Text(w), ""};
            std::vector<HWND> children;
            EnumChildWindows(w, [](HWND c, LPARAM lp) -> BOOL {
                ((std::vector<HWND> *)lp)->push_back(c);
                return TRUE;
            }, (LPARAM)&children);
            HWND button = nullptr;
            for (HWND c : children) {
                char cls[32] = "";
                GetClassNameA(c, cls, sizeof cls);
                if (!strcmp(cls, "Button") && (Label(c) == answer || Label(c) == "OK"))
                    button = c;
                else if (strcmp(cls, "Button") && !Text(c).empty())
                    s.text += Text(c) + "|";
            }
            if (!button && ++tries[w] < 30) {       /* its controls may come later */
                seen.pop_back();
                continue;
            }
            boxes.push_back(s);
            if (button)
                PostMessageA(button, BM_CLICK, 0, 0);
            else
                PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
        }
    }
    /* What it wrote to its standard error until the text came (or ms). */
    std::string ErrorText(const std::string &until, int ms)
    {
        std::string text;
        for (int waited = 0; errRead && waited < ms && text.find(until) == std::string::npos; waited += 100) {
            DWORD n = 0;
            char buffer[4096];
            while (PeekNamedPipe(errRead, nullptr, 0, nullptr, &n, nullptr) && n &&
                   ReadFile(errRead, buffer, sizeof buffer, &n, nullptr) && n)
                text.append(buffer, n);
            Sleep(100);
        }
        return text;
    }
    HWND WaitFor(const char *cls, int ms)
    {
        for (int waited = 0; waited < ms; waited += 100) {
            std::vector<HWND> found = Windows(cls);
            if (!found.empty())
                return found[0];
            if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0)
                return nullptr;
        }
        return nullptr;
    }
    /* Start-up has placed the frame: its status line's "Initialising..."
     * cleared by the second start-up step, which the first one posts after
     * the reports it posts (a report shows its box first); within ms. */
    static bool Started(HWND frame, int ms)
    {
        HWND status = GetDlgItem(FindWindowExA(frame, nullptr, "RAVOLTQM", nullptr), 11);
        for (int waited = 0; waited < ms; waited += 50, Sleep(50))
            if (status && Text(status) != "Initialising...")
                return true;
        return false;
    }
    /* The exit code, or -1 when it did not end within ms (then ended). */
    long WaitExit(int ms)
    {
        DWORD code = 0;
        if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
            return -1;
        }
        GetExitCodeProcess(pi.hProcess, &code);
        return (long)code;
    }
    ~Program()
    {
        if (errRead)
            CloseHandle(errRead);
        if (pi.hProcess) {
            if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
                TerminateProcess(pi.hProcess, 99);
                WaitForSingleObject(pi.hProcess, 5000);
            }
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        watching = false;
        if (watchdog.joinable())
            watchdog.join();
    }
};

static const char demoConfig[] = "AP:\nQM:RAVOLT.DEMO \"RAVOLT.DEMO\" 0 0\n";

TEST(Program, FrameAppearsAndClosingAsksThenWritesTheConfigurationOnce)
{
    std::string dir = ConfigDir(demoConfig);
    Program p;
    ASSERT_TRUE(p.Start("-f \"" + dir + "\""));
    HWND frame = p.WaitFor("RAVOLT", 30000);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(Program::Text(frame).rfind("Ravolt", 0), 0u);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(30000), 0);
    std::vector<Shown> boxes = p.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Ravolt - Confirmation");
    std::string written = ReadAll(dir + "\\RAVOLT.CFG");
    EXPECT_NE(written.find("AP:"), std::string::npos);
    EXPECT_NE(written.find("QM:RAVOLT.DEMO"), std::string::npos);
    EXPECT_NE(written.find("sdelay="), std::string::npos);
    EXPECT_EQ(ReadAll(dir + "\\RAVOLT.BAK"), demoConfig);
}

/* The value of a key's line of a configuration ("" when it has none). */
static std::string KeyLine(const std::string &text, const std::string &key)
{
    size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return "";
    at += key.size() + 2;
    return text.substr(at, text.find_first_of("\r\n", at) - at);
}

/* The program has taken in what the display server made of what it has
 * asked so far (a late answer to the frame's showing would undo a
 * maximising done before it): it sends its requests before it waits for
 * a message, so once it answers ours they are sent; a round trip of our
 * own to the same server (a pixel of the screen read) comes back after
 * the server has handled them and sent their events; and the program
 * reads the events that came before it takes its next message.  Twice:
 * an event may make the program ask again. */
static bool DisplayCaughtUp(HWND frame)
{
    for (int i = 0; i < 2; i++) {
        DWORD_PTR ignored;
        if (!SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_BLOCK, 30000, &ignored))
            return false;
        HDC screen = GetDC(nullptr);
        GetPixel(screen, 0, 0);
        ReleaseDC(nullptr, screen);
    }
    DWORD_PTR ignored;
    return SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_BLOCK, 30000, &ignored) != 0;
}

/* The width of a frame's queue-manager panel. */
static int PanelWidth(HWND frame)
{
    RECT r = {};
    GetClientRect(FindWindowExA(frame, nullptr, "RAVOLTQM", nullptr), &r);
    return r.right;
}

/* Drags the splitter right of the frame's queue-manager panel by dx. */
static void DragPanelEdge(HWND frame, int dx)
{
    HWND panel = FindWindowExA(frame, nullptr, "RAVOLTQM", nullptr);
    RECT pr;
    GetWindowRect(panel, &pr);
    for (HWND s = nullptr; (s = FindWindowExA(frame, s, "BAGSPLIT", nullptr));) {
        RECT sr;
        GetWindowRect(s, &sr);
        if (sr.left != pr.right || sr.bottom - sr.top < 10)
            continue;
        int y = (sr.bottom - sr.top) / 2;
        DWORD_PTR ignored;
        SendMessageTimeoutA(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, y), SMTO_BLOCK, 5000, &ignored);
        SendMessageTimeoutA(s, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + dx, y), SMTO_BLOCK, 5000, &ignored);
        SendMessageTimeoutA(s, WM_LBUTTONUP, 0, MAKELPARAM(1 + dx, y), SMTO_BLOCK, 5000, &ignored);
        return;
    }
}

/* Left maximised, the frame comes back maximised over the normal
 * placement it keeps, and the queue-manager panel keeps the width it had
 * in the normal frame (a maximised frame's panel is that one stretched);
 * a width the user drags in the maximised frame is kept as the normal
 * frame's, and is back in the maximised frame at the next start: start
 * after start, nothing drifts that the user did not change; the last
 * time it is restored to its normal placement and left so. */
TEST(Program, TheFrameComesBackAsItWasLeft)
{
    std::string dir = ConfigDir("AP:\nmainqm=300 300\nQM:RAVOLT.DEMO \"RAVOLT.DEMO\" 0 0\n");
    std::string placement, kept;
    RECT normal = {};
    int dragged = 0;
    for (int run = 0; run < 3; run++) {
        Program p;
        ASSERT_TRUE(p.Start("-f \"" + dir + "\"")) << run;
        HWND frame = p.WaitFor("RAVOLT", 30000);
        ASSERT_NE(frame, nullptr) << run;
        ASSERT_TRUE(Program::Started(frame, 30000)) << run;
        for (int i = 0; i < 50 && run && !IsZoomed(frame); i++)   /* at the timer's first tick */
            Sleep(100);
        ASSERT_TRUE(DisplayCaughtUp(frame)) << run;      /* the user acts on the frame as shown */
        EXPECT_EQ(IsZoomed(frame) != 0, run > 0) << run;
        if (!run) {
            GetWindowRect(frame, &normal);
            EXPECT_EQ(PanelWidth(frame), 300);
            ShowWindow(frame, SW_MAXIMIZE);
            EXPECT_TRUE(IsZoomed(frame));
            int stretched = PanelWidth(frame);
            DragPanelEdge(frame, 120);
            dragged = PanelWidth(frame);
            EXPECT_GT(dragged, stretched + 100);        /* (the drag snaps to a few pixels) */
        } else if (run == 1) {
            EXPECT_NEAR(PanelWidth(frame), dragged, 1);
        } else {
            ShowWindow(frame, SW_RESTORE);
            RECT now;
            GetWindowRect(frame, &now);
            EXPECT_TRUE(EqualRect(&now, &normal)) << now.left << "," << now.top << " " << now.right << ","
                                                   << now.bottom;
            EXPECT_EQ(std::to_string(PanelWidth(frame)) + " 300", kept);
        }
        ASSERT_TRUE(DisplayCaughtUp(frame)) << run;      /* the placement it keeps is the one shown */
        PostMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(p.WaitExit(30000), 0) << run;
        std::string written = ReadAll(dir + "\\RAVOLT.CFG");
        if (!run) {
            placement = KeyLine(written, "main");
            kept = KeyLine(written, "mainqm");
            EXPECT_NE(kept, "300 300");
        }
        EXPECT_EQ(KeyLine(written, "mainmax"), run < 2 ? "1" : "") << run;
        EXPECT_EQ(KeyLine(written, "mainqm"), kept) << run;
        EXPECT_EQ(KeyLine(written, "main"), placement) << run;
    }
}

TEST(Program, ReadOnlyRunWritesNothing)
{
    std::string dir = ConfigDir(demoConfig);
    Program p;
    ASSERT_TRUE(p.Start("-r -f \"" + dir + "\""));
    HWND frame = p.WaitFor("RAVOLT", 30000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(30000), 0);
    EXPECT_EQ(ReadAll(dir + "\\RAVOLT.CFG"), demoConfig);
    EXPECT_FALSE(Exists(dir + "\\RAVOLT.BAK"));
}

TEST(Program, BadOptionShowsTheUsageAndClosingItEnds)
{
    std::string dir = ConfigDir(demoConfig);
    Program p;
    p.answer = "OK";
    ASSERT_TRUE(p.Start("-x -f \"" + dir + "\""));
    EXPECT_GE(p.WaitExit(30000), 0);
    std::vector<Shown> boxes = p.Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].caption, "Ravolt - Program Usage");
    EXPECT_TRUE(p.Windows("RAVOLT").empty());
    EXPECT_EQ(ReadAll(dir + "\\RAVOLT.CFG"), demoConfig);
}

/* A folder whose RAVOLT.CFG is a folder: there, but no file to read. */
static std::string UnreadableConfigDir(void)
{
    std::string dir = ConfigDir("");
    DeleteFileA((dir + "\\RAVOLT.CFG").c_str());
    CreateDirectoryA((dir + "\\RAVOLT.CFG").c_str(), nullptr);
    return dir;
}

/* A window station of our own that is not the visible one, with its
 * desktop: a program started there runs without a user interface. */
static const char *HiddenDesktop(void)
{
    static bool made;
    if (!made) {
        HWINSTA station = CreateWindowStationA("RavoltHidden", 0, GENERIC_ALL, nullptr);
        HWINSTA ours = GetProcessWindowStation();
        if (station && SetProcessWindowStation(station)) {
            made = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr) != nullptr;
            SetProcessWindowStation(ours);
        }
    }
    return made ? "RavoltHidden\\Default" : nullptr;
}

TEST(Program, UnreadableConfigurationIsReportedOnceAndStartUpGoesOn)
{
    std::string dir = UnreadableConfigDir();
    Program p;
    ASSERT_TRUE(p.Start("-f \"" + dir + "\""));
    HWND frame = p.WaitFor("RAVOLT", 30000);
    ASSERT_NE(frame, nullptr);
    /* the report is posted at the first start-up step, before the second:
       a second report would show its box before that step ends */
    ASSERT_TRUE(Program::Started(frame, 30000));
    std::vector<Shown> boxes = p.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Ravolt - Operational error");
    EXPECT_NE(boxes[0].text.find("can not be opened"), std::string::npos) << boxes[0].text;
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(30000), 0);
    boxes = p.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].caption, "Ravolt - Confirmation");
    EXPECT_FALSE(Exists(dir + "\\RAVOLT.BAK"));

    /* without a user interface (a window station nobody sees) the same
       report is a log line, not a box that would wait for a click forever */
    const char *desktop = HiddenDesktop();
    ASSERT_NE(desktop, nullptr);
    Program hidden;
    ASSERT_TRUE(hidden.Start("-f \"" + UnreadableConfigDir() + "\"", desktop));
    std::string err = hidden.ErrorText("can not be opened", 30000);
    EXPECT_NE(err.find("Ravolt - Operational error"), std::string::npos) << err;
    EXPECT_NE(err.find("can not be opened"), std::string::npos) << err;
}
