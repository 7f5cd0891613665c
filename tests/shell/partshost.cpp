/* The host frame of the shell parts' window tests: the analyser thread
 * started as at start-up, the one-second timer's version-check step, the
 * menu commands "Check for latest Ravolt version..." (932) and "View Debug
 * Window..." (723), the version-check result (11387), a location's splash
 * (11388), the start-up file, and a box whose button 557 starts a check. */
#include <windows.h>

#include "partshost.h"
#include "shellhost.h"
#include "version.h"
#include "splash.h"
#include "debugwin.h"
#include "cs.h"
#include "prfdata.h"
#include "qms.h"
#include "mqengine.h"

int32_t hostTick = 7;

/* the timer's step 7 */
static void timer_tick(HWND hwnd)
{
    hostTick++;
    if (VerTickConsidered(hostTick) && VerCheckDue(CSGetCurrentTime()))
        VerCheckRequest(hwnd, 0);
}

static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_TIMER:
        if (wp == 5)
            timer_tick(hwnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == IDM_CHECK_VERSION)
            VerCheckRequest(hwnd, 1);
        else if (LOWORD(wp) == IDM_DEBUG_WINDOW)
            DebugStart();
        return 0;
    case UM_VERSION_RESULT:
        if (lp)
            VerCheckResult(hwnd, (TK47VERSION *)lp);
        return 0;
    case UM_SPLASH_SHOW:
        SplashShow(hwnd, nullptr, (QMS *)lp, 0, 1);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND HostFrameCreate(void)
{
    StartAnalyserThread();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "RAVOLT_PARTSHOST";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "RAVOLT_PARTSHOST", "Ravolt", WS_OVERLAPPEDWINDOW, 100, 100, 500, 300,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

int HostStartupSplash(HWND frame)
{
    if (!Prf.splashs || !*Prf.splashs)
        return 0;
    return SplashShowFile(frame, "Ravolt Start-up", nullptr, Prf.splashs, 1, 0);
}

static LRESULT CALLBACK AboutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND && LOWORD(wp) == ABOUT_CHECK_VERSION) {
        VerCheckRequest(hwnd, 1);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND HostAboutBox(HWND owner)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AboutProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "RAVOLT_PARTSHOST_ABOUT";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, "About Kelvane - Ravolt",
                             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 150, 150, 360,
                             140, owner, nullptr, wc.hInstance, nullptr);
    if (w)
        CreateWindowExA(0, "BUTTON", "Check for later version...", WS_CHILD | WS_VISIBLE, 20, 40,
                        220, 28, w, (HMENU)(INT_PTR)ABOUT_CHECK_VERSION, wc.hInstance, nullptr);
    return w;
}
