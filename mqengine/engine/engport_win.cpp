/* The default port of the Windows build: messages go to the toolkit's
 * main window (or the window named), operational errors through the
 * toolkit's error report. */
#include <windows.h>

#include "engint.h"
#include "tkutil.h"

static int post_message(void *, void *window, uint32_t message, uintptr_t wParam, void *lParam,
                        int send)
{
    HWND target = window ? (HWND)window : tkHost.mainWindow;
    if (!target || !IsWindow(target))
        return 0;
    if (send) {
        SendMessageA(target, message, wParam, (LPARAM)lParam);
        return 1;
    }
    return PostMessageA(target, message, wParam, (LPARAM)lParam) ? 1 : 0;
}

static void post_error(void *, void *owner, QMS *location, uint32_t flags, const char *text)
{
    UtilPostErrorEx((HWND)owner, location, flags, text);
}

extern const MQEPORT EngDefaultPort = { nullptr, post_message, post_error };
