/* The end-to-end harness (e2e.h): processes, windows, synthesized input,
 * the message-box watchdog, queue snapshots and the fill script. */
#include "e2e.h"
#include "tkharness.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

/* ---- processes ------------------------------------------------------------- */

bool E2EStart(E2EProcess *p, const std::string &cmdline, const std::string &dir)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string cmd = cmdline;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.empty() ? nullptr : dir.c_str(),
                        &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    p->process = pi.hProcess;
    p->pid = pi.dwProcessId;
    return true;
}

bool E2EEnded(E2EProcess *p, int ms)
{
    return !p->process || WaitForSingleObject(p->process, (DWORD)ms) == WAIT_OBJECT_0;
}

int E2ERun(const std::string &cmdline, int ms)
{
    E2EProcess p;
    if (!E2EStart(&p, cmdline, ""))
        return -1;
    DWORD code = (DWORD)-1;
    if (E2EEnded(&p, ms))
        GetExitCodeProcess(p.process, &code);
    else
        TerminateProcess(p.process, 1);
    CloseHandle(p.process);
    return (int)code;
}

void E2EEnd(E2EProcess *p, int ms)
{
    if (!p->process)
        return;
    for (HWND w : E2ETopWindows(p->pid))
        PostMessageA(w, WM_CLOSE, 0, 0);
    if (!E2EEnded(p, ms))
        TerminateProcess(p->process, 1);
    WaitForSingleObject(p->process, 5000);
    CloseHandle(p->process);
    p->process = nullptr;
}

/* ---- windows ----------------------------------------------------------------- */

struct Enum {
    DWORD pid;
    std::vector<HWND> found;
};

static BOOL CALLBACK TopOfProcess(HWND w, LPARAM lp)
{
    Enum *e = (Enum *)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == e->pid && IsWindowVisible(w))
        e->found.push_back(w);
    return TRUE;
}

std::vector<HWND> E2ETopWindows(DWORD pid)
{
    Enum e = {pid, {}};
    EnumWindows(TopOfProcess, (LPARAM)&e);
    return e.found;
}

HWND E2EWaitWindow(DWORD pid, const char *part, int ms, HWND exclude)
{
    HWND found = nullptr;
    E2EUntil(ms, [&] {
        for (HWND w : E2ETopWindows(pid))
            if (w != exclude && (!part || E2EText(w).find(part) != std::string::npos))
                found = w;
        return found != nullptr;
    });
    return found;
}

std::string E2EText(HWND hwnd)
{
    /* the program may change the text between the two questions: a text
       that filled the room its old length gave is read again */
    std::string s;
    for (int tries = 0; tries < 5; tries++) {
        DWORD_PTR len = 0;
        if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len))
            return std::string();
        s.assign(len + 2, '\0');
        DWORD_PTR got = 0;
        SendMessageTimeoutA(hwnd, WM_GETTEXT, len + 2, (LPARAM)&s[0], SMTO_ABORTIFHUNG, 5000, &got);
        s.resize(got);
        if (got <= len)
            break;
    }
    return s;
}

struct ChildFind {
    const char *cls;
    int id;
    HWND found;
};

static BOOL CALLBACK ChildOf(HWND w, LPARAM lp)
{
    ChildFind *f = (ChildFind *)lp;
    char cls[128];
    GetClassNameA(w, cls, sizeof cls);
    if ((!f->cls || _stricmp(cls, f->cls) == 0) && (f->id < 0 || GetDlgCtrlID(w) == f->id)) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND E2EFindChild(HWND parent, const char *cls, int id)
{
    ChildFind f = {cls, id, nullptr};
    EnumChildWindows(parent, ChildOf, (LPARAM)&f);
    return f.found;
}

bool E2EAnswers(HWND w, int ms)
{
    DWORD_PTR out;
    return w && SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, (UINT)ms, &out) != 0;
}

bool E2EBringForward(HWND hwnd)
{
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    BringWindowToTop(hwnd);
    /* the activation is sent to the window's thread ahead of this */
    E2EAnswers(hwnd);
    return E2EUntil(E2E_WINDOW_MS, [&] { return GetForegroundWindow() == hwnd; });
}

void E2ETypeText(const char *text)
{
    for (const char *p = text; *p; p++) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = (WORD)(unsigned char)*p;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
    }
}

void E2EKey(WORD vk, bool ctrl, bool shift, bool alt)
{
    std::vector<INPUT> in;
    auto key = [&](WORD k, bool up) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    const WORD mods[] = {VK_CONTROL, VK_SHIFT, VK_MENU};
    const bool held[] = {ctrl, shift, alt};
    for (int i = 0; i < 3; i++)
        if (held[i])
            key(mods[i], false);
    key(vk, false);
    key(vk, true);
    for (int i = 2; i >= 0; i--)
        if (held[i])
            key(mods[i], true);
    SendInput((UINT)in.size(), in.data(), sizeof(INPUT));
}

void E2EKeys(std::initializer_list<WORD> keys, bool down)
{
    std::vector<INPUT> in;
    for (WORD k : keys) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput((UINT)in.size(), in.data(), sizeof(INPUT));
}

/* When and where the last button was pressed, for the pause before a
 * press on the same spot. */
static ULONGLONG LastPress;
static POINT LastPressAt;

void E2EMouse(POINT screen, DWORD buttons)
{
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3] = {};
    for (INPUT &i : in)
        i.type = INPUT_MOUSE;
    in[0].mi.dx = screen.x * 65535 / (w - 1);
    in[0].mi.dy = screen.y * 65535 / (h - 1);
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    UINT n = 1;
    if (buttons & (MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN)) {
        /* the pause that keeps two presses two single clicks: it is the
           time itself that the system tells a double click by */
        ULONGLONG apart = GetDoubleClickTime() + 100, since = GetTickCount64() - LastPress;
        bool sameSpot = abs(screen.x - LastPressAt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                    abs(screen.y - LastPressAt.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
        if (LastPress && sameSpot && since < apart)
            Sleep((DWORD)(apart - since));
        LastPress = GetTickCount64();
        LastPressAt = screen;
    }
    for (DWORD b : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP})
        if (buttons & b)
            in[n++].mi.dwFlags = b;
    SendInput(n, in, sizeof(INPUT));
}

void E2EClick(HWND hwnd, int x, int y, bool right)
{
    POINT pt = {x, y};
    ClientToScreen(hwnd, &pt);
    E2EMouse(pt, right ? MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
}

void E2ECommand(HWND frame, int id)
{
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

bool E2EDo(HWND w, int id, LPARAM lp)
{
    DWORD_PTR out;
    return w && SendMessageTimeoutA(w, WM_COMMAND, MAKEWPARAM(id, 0), lp, SMTO_ABORTIFHUNG, E2E_WINDOW_MS, &out) != 0;
}

/* The clipboard opened: another process may hold it for a moment. */
static bool OpenedClipboard(void)
{
    return E2EUntil(E2E_WINDOW_MS, [] { return OpenClipboard(nullptr) != FALSE; }, 20);
}

void E2EEmptyClipboard(void)
{
    if (OpenedClipboard()) {
        EmptyClipboard();
        CloseClipboard();
    }
}

std::string E2EClipboard(void)
{
    std::string s;
    if (!OpenedClipboard())
        return s;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char *p = (const char *)GlobalLock(h)) {
            s = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return s;
}

std::string E2ECopiedText(int ms)
{
    if (!E2EUntil(ms, [] { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }, 20))
        return std::string();
    return E2EClipboard();
}

bool E2EShot(HWND hwnd, const char *name)
{
    int w, h;
    std::vector<uint32_t> px = ScreenCapture(hwnd, &w, &h);
    if (px.empty())
        return false;
    CreateDirectoryA(RAVOLT_GALLERY_DIR, nullptr);
    std::string path = std::string(RAVOLT_GALLERY_DIR) + "/" + name + ".bmp";
    return WriteBmp(path.c_str(), px, w, h);
}

/* ---- the watchdog --------------------------------------------------------------- */

static std::mutex WatchLock;
static std::vector<E2EBox> Boxes;
static std::atomic<bool> Watching;
static std::atomic<int> Answer;
static std::thread Watcher;

static BOOL CALLBACK StaticText(HWND w, LPARAM lp)
{
    char cls[32];
    GetClassNameA(w, cls, sizeof cls);
    if (_stricmp(cls, "Static") == 0) {
        std::string t = E2EText(w);
        if (!t.empty())
            *(std::string *)lp += (((std::string *)lp)->empty() ? "" : "\n") + t;
    }
    return TRUE;
}

/* Each dialog box of the process: logged once, then answered. */
static void Watch(DWORD pid)
{
    while (Watching) {
        for (HWND w : E2ETopWindows(pid)) {
            char cls[32];
            GetClassNameA(w, cls, sizeof cls);
            if (strcmp(cls, "#32770") != 0 || !E2EFindChild(w, "Button", Answer))
                continue;
            E2EBox b;
            b.caption = E2EText(w);
            EnumChildWindows(w, StaticText, (LPARAM)&b.text);
            {
                std::lock_guard<std::mutex> lk(WatchLock);
                Boxes.push_back(b);
            }
            fprintf(stderr, "e2e: message box \"%s\": %s\n", b.caption.c_str(), b.text.c_str());
            PostMessageA(w, WM_COMMAND, MAKEWPARAM(Answer.load(), BN_CLICKED), 0);
            /* logged once: the box gone before the next look */
            E2EUntil(E2E_WINDOW_MS, [&] { return !Watching || !IsWindow(w) || !IsWindowVisible(w); });
        }
        Sleep(100);                                /* the next look */
    }
}

void E2EWatchdogStart(DWORD pid, int answer)
{
    E2EWatchdogStop();
    Answer = answer;
    Watching = true;
    Watcher = std::thread(Watch, pid);
}

void E2EWatchdogAnswer(int answer)
{
    Answer = answer;
}

std::vector<E2EBox> E2EWatchdogTake(void)
{
    std::lock_guard<std::mutex> lk(WatchLock);
    std::vector<E2EBox> b;
    b.swap(Boxes);
    return b;
}

void E2EWatchdogStop(void)
{
    Watching = false;
    if (Watcher.joinable())
        Watcher.join();
}

/* ---- queues -------------------------------------------------------------------- */

std::string E2EDigest(const void *p, size_t n)
{
    uint64_t h = 1469598103934665603ull;           /* FNV-1a, 64 bits */
    for (size_t i = 0; i < n; i++)
        h = (h ^ ((const unsigned char *)p)[i]) * 1099511628211ull;
    char buf[17];
    snprintf(buf, sizeof buf, "%016llx", (unsigned long long)h);
    return buf;
}

static std::string Hex(const MQBYTE *p, size_t n)
{
    std::string s;
    char b[3];
    for (size_t i = 0; i < n; i++) {
        snprintf(b, sizeof b, "%02X", p[i]);
        s += b;
    }
    return s;
}

MQLONG E2EConnect(const char *qmgr, MQHCONN *hc)
{
    char name[48];
    memset(name, ' ', 48);
    memcpy(name, qmgr, strnlen(qmgr, 48));
    MQLONG cc, rc;
    MQCONN(name, hc, &cc, &rc);
    return cc == MQCC_FAILED ? rc : 0;
}

MQLONG E2EQueue(const char *qmgr, const char *queue, std::vector<E2EMsg> *out, size_t limit, const MQBYTE *id)
{
    out->clear();
    MQHCONN hc;
    MQHOBJ ho;
    MQLONG cc = MQCC_OK, rc = E2EConnect(qmgr, &hc);
    if (rc)
        return rc;
    MQOD od = {MQOD_DEFAULT};
    memset(od.ObjectName, ' ', 48);
    memcpy(od.ObjectName, queue, strnlen(queue, 48));
    MQOPEN(hc, &od, MQOO_BROWSE, &ho, &cc, &rc);
    std::vector<char> buf(1 << 20);
    MQGMO gmo = {MQGMO_DEFAULT};
    gmo.Version = MQGMO_VERSION_2;
    gmo.Options = MQGMO_BROWSE_FIRST | MQGMO_NO_WAIT;
    gmo.MatchOptions = id ? MQMO_MATCH_MSG_ID : MQMO_NONE;
    while (cc != MQCC_FAILED && out->size() < limit) {
        E2EMsg m;
        MQMD md = {MQMD_DEFAULT};
        md.Version = MQMD_VERSION_2;
        if (id)
            memcpy(md.MsgId, id, 24);
        MQLONG len = 0;
        MQGET(hc, ho, &md, &gmo, (MQLONG)buf.size(), buf.data(), &len, &cc, &rc);
        if (rc == MQRC_TRUNCATED_MSG_FAILED) {
            buf.resize((size_t)len);
            MQGET(hc, ho, &md, &gmo, (MQLONG)buf.size(), buf.data(), &len, &cc, &rc);
        }
        if (cc == MQCC_FAILED)
            break;
        m.msgId = Hex(md.MsgId, 24);
        m.digest = E2EDigest(buf.data(), (size_t)len);
        m.data.assign(buf.data(), (size_t)len);
        m.md = md;
        m.length = len;
        out->push_back(m);
        gmo.Options = MQGMO_BROWSE_NEXT | MQGMO_NO_WAIT;
    }
    if (rc == MQRC_NO_MSG_AVAILABLE)
        rc = 0;
    MQLONG c2, r2;
    MQDISC(&hc, &c2, &r2);
    return rc;
}

bool E2EById(const std::vector<E2EMsg> &msgs, std::map<std::string, E2EMsg> *out, std::string *why)
{
    out->clear();
    for (const E2EMsg &m : msgs)
        if (!out->emplace(m.msgId, m).second) {
            *why = "message " + m.msgId + " is there twice";
            return false;
        }
    return true;
}

std::string E2ESameMessages(const std::vector<E2EMsg> &before, const std::vector<E2EMsg> &after)
{
    std::map<std::string, E2EMsg> a, b;
    std::string why;
    if (!E2EById(before, &a, &why) || !E2EById(after, &b, &why))
        return why;
    for (auto &kv : a) {
        auto it = b.find(kv.first);
        if (it == b.end())
            why += "lost " + kv.first + "\n";
        else if (it->second.digest != kv.second.digest)
            why += "changed data of " + kv.first + "\n";
        else if (it->second.md.CodedCharSetId != kv.second.md.CodedCharSetId ||
                 it->second.md.Encoding != kv.second.md.Encoding)
            why += "changed CCSID or encoding of " + kv.first + ": " + std::to_string(it->second.md.CodedCharSetId) +
                   "/" + std::to_string(it->second.md.Encoding) + "\n";
    }
    for (auto &kv : b)
        if (!a.count(kv.first))
            why += "new " + kv.first + "\n";
    return why;
}

/* ---- the fill script -------------------------------------------------------------- */

static void Replace(std::string *s, const std::string &what, const std::string &with)
{
    for (size_t at; (at = s->find(what)) != std::string::npos;)
        s->replace(at, what.size(), with);
}

std::string E2EFill(const std::string &tool, const std::string &script, const std::string &home,
                    const std::string &samples, const char *qmgr)
{
    FILE *f = fopen(script.c_str(), "rb");
    if (!f)
        return "cannot read " + script;
    std::string here = script.substr(0, script.find_last_of("/\\"));
    char line[4096];
    std::string failed;
    while (failed.empty() && fgets(line, sizeof line, f)) {
        std::string l = line;
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
            l.pop_back();
        if (l.empty() || l[0] == '#')
            continue;
        Replace(&l, "${SAMPLES}", samples);
        Replace(&l, "${HERE}", here);
        if (E2ERun("\"" + tool + "\" -d \"" + home + "\" -m " + qmgr + " " + l, 120000) != 0)
            failed = l;
    }
    fclose(f);
    return failed;
}
