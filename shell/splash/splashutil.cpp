/* Small window services the splash display, the version dialog and the
 * debug window share: opening a link or document the way the user's
 * system opens it (behind a hook that tests replace, so that nothing is
 * launched), registering a splash window class, and freeing the blocks
 * of messages still queued for a window that goes. */
#include <windows.h>
#include <shellapi.h>

#include "splashint.h"
#include "cs.h"

static int shell_open(HWND owner, const char *target)
{
    return (INT_PTR)ShellExecuteA(owner, "open", target, nullptr, nullptr, SW_SHOWNORMAL) > 32;
}

static ShellOpenHook openHook = shell_open;

void ShellSetOpenHook(ShellOpenHook hook)
{
    openHook = hook ? hook : shell_open;
}

int ShellOpenLink(HWND owner, const char *target)
{
    return openHook(owner, target);
}

int SplashRegisterWindowClass(const char *name, WNDPROC proc)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void ShellDropPostedBlocks(HWND hwnd, UINT message)
{
    MSG msg;
    while (PeekMessageA(&msg, hwnd, message, message, PM_REMOVE))
        if (msg.lParam)
            CSFreeMem((void *)msg.lParam);
}
