/* Helpers of the shell's window tests: the program's own loop filters
 * serve every pumped message. */
#include "shelltest.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "shell.h"
#include "splash.h"
#include "tkutil.h"

void PumpAll(void)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!ShellFilterMessage(&msg))
            DispatchMessageA(&msg);
}

bool PumpUntil(const std::function<bool()> &done, int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        PumpAll();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

std::string ScratchDir(void)
{
    /* always a folder made now: Wine hands out process ids again, and a
     * folder an earlier run left (its queue managers and configuration)
     * would be taken for this run's */
    static std::atomic<int> n;
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    for (;;) {
        std::string dir = std::string(tmp) + "ravolt-shell-" + std::to_string(GetCurrentProcessId()) + "-" +
                          std::to_string(n++) + "\\";
        if (CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            return dir;
    }
}

std::string WriteScratch(const std::string &name, const std::string &bytes)
{
    static std::string dir = ScratchDir();
    std::string path = dir + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string ReadWhole(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::vector<HWND> WindowsOfClass(const char *cls)
{
    struct Walk { const char *cls; std::vector<HWND> found; } walk = {cls, {}};
    EnumWindows([](HWND w, LPARAM lp) -> BOOL {
        Walk *k = (Walk *)lp;
        char name[128];
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && IsWindowVisible(w) &&
            GetClassNameA(w, name, sizeof name) && lstrcmpiA(name, k->cls) == 0)
            k->found.push_back(w);
        return TRUE;
    }, (LPARAM)&walk);
    return walk.found;
}

void CloseAllOfClass(const char *cls)
{
    for (HWND w : WindowsOfClass(cls))
        DestroyWindow(w);
    PumpAll();
}

std::string WindowText(HWND hwnd)
{
    int n = GetWindowTextLengthA(hwnd);
    std::string s((size_t)n + 1, '\0');
    n = GetWindowTextA(hwnd, &s[0], n + 1);
    s.resize((size_t)(n > 0 ? n : 0));
    return s;
}

std::vector<ShownBox> &Boxes(void)
{
    static std::vector<ShownBox> boxes;
    return boxes;
}

std::vector<std::string> &OpenedLinks(void)
{
    static std::vector<std::string> links;
    return links;
}

void RecordBoxesAndLinks(void)
{
    Boxes().clear();
    OpenedLinks().clear();
    UtilSetMessageBoxSink([](HWND, const char *text, const char *caption, UINT) {
        Boxes().push_back({text ? text : "", caption ? caption : ""});
        return IDOK;
    });
    ShellSetOpenHook([](HWND, const char *target) {
        OpenedLinks().push_back(target);
        return 1;
    });
}
