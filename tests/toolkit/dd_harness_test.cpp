/* The host window and helpers of the dialog engine's window tests. */
#include "dd_test.h"
#include <cstdio>
#include "tkcontrols.h"
#include "tkharness.h"

static std::vector<DDTestCommand> got;

std::vector<DDTestCommand> &DDTestGot(void)
{
    return got;
}

static LRESULT CALLBACK host_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND: case WM_CLOSE: case DDM_UNDO: case DDM_REDO:
        got.push_back({hwnd, msg, wp, lp});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static void init_once(void)
{
    static bool done;
    if (done)
        return;
    done = true;
    int version = 100;
    DDInitialise(GetModuleHandleA(nullptr), &version, nullptr, nullptr);
    RegisterControlClasses(GetModuleHandleA(nullptr));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = host_proc;
    wc.cbWndExtra = 24;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "DDTESTHOST";
    RegisterClassA(&wc);
}

/* hosts are children of one visible top-level window (top-level windows
 * are slow to make and destroy without a window manager) */
static HWND top_window(void)
{
    static HWND top;
    if (!top)
        top = CreateWindowExA(0, "DDTESTHOST", "dialog tests", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                              0, 0, 1400, 900, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return top;
}

HWND DDTestWindow(int cx, int cy)
{
    init_once();
    HWND top = top_window();
    SetForegroundWindow(top);
    return CreateWindowExA(0, "DDTESTHOST", "dialog test", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                           10, 10, cx, cy, top, nullptr, GetModuleHandleA(nullptr), nullptr);
}

int DDTestDialog(DDFieldDef *table, uint32_t flags, int cx, int cy, HWND *hwnd, DDHANDLE *dd)
{
    *hwnd = DDTestWindow(cx, cy);
    *dd = nullptr;
    got.clear();
    int rc = DDCreate(*hwnd, table, flags, dd);
    DDTestPump();
    return rc;
}

void DDTestClose(HWND hwnd, DDHANDLE *dd)
{
    DDDestroy(dd);
    DestroyWindow(hwnd);
    DDTestPump();
}

void DDTestPump(void)
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

RECT DDTestRect(DDHANDLE dd, int id)
{
    RECT r = {-1, -1, -1, -1};
    HWND w = DDGetFieldWindow(dd, id, 0);
    if (!w)
        return r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, dd->root.hwnd, (POINT *)&r, 2);
    return r;
}

void DDTestResize(HWND hwnd, int cx, int cy)
{
    SetWindowPos(hwnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
    DDTestPump();
}

void DDTestKey(HWND hwnd, WPARAM vk, bool shift)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageA(hwnd, WM_KEYDOWN, vk, 1);
    if (vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE)
        SendMessageA(hwnd, WM_CHAR, vk == VK_TAB ? '\t' : vk == VK_RETURN ? '\r' : 27, 1);
    SendMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

bool DDTestShot(HWND hwnd, const char *name)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DDTestPump();
    return GalleryShot(hwnd, name, true);
}
