/* The message loop of the user-interface thread: modeless dialogs first,
 * then the accelerators of the active frame, then the keys that belong to
 * the command dialog holding the focus, and Escape as Cancel in any other
 * window. */
#include "shell.h"
#include "shellint.h"

#include "pcfwin.h"
#include "tkwin.h"

/* The frame the accelerators act on: the active one, else the main one. */
static HWND accelerator_target(void)
{
    FrameWords *f = GetActiveFrameRec();
    if (f && IsWindow(f->window))
        return f->window;
    return Shell.mainWindow;
}

int ShellFilterMessage(MSG *msg)
{
    if (ModelessDialogMessage(msg))
        return 1;
    HWND target = accelerator_target();
    if (Shell.accelerators && target && TranslateAcceleratorA(target, Shell.accelerators, msg))
        return 1;
    TranslateMessage(msg);
    if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_SHIFT &&
        DragInProgress()) {
        POINT pt;
        GetCursorPos(&pt);
        DragSetCursorMode(nullptr, nullptr, 1, pt);
    }
    return PCFTranslateKey(msg) || WinEscapeCancels(msg);
}

int ShellMessageLoop(void)
{
    MSG msg;
    int rc;
    while ((rc = GetMessageA(&msg, nullptr, 0, 0)) != 0 && rc != -1)
        if (!ShellFilterMessage(&msg))
            DispatchMessageA(&msg);
    return rc == -1 ? 0 : (int)msg.wParam;
}
