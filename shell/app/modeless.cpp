/* The report of a window missing from the modeless list (the list itself
 * is the configuration's, modeless.h), the windows that follow font and
 * colour changes, the keyboard's command target and the Alt-key option of
 * opening queues. */
#include "shell.h"

#include <cstring>

#include "cs.h"
#include "prfdata.h"
#include "confirm.h"
#include "tkutil.h"

/* A window the modeless list does not hold, reported when diagnostics
 * are on (set as the list's not-found hook at start-up). */
void ModelessNotFound(void *)
{
    if (!ShellOptions.diagnostics)
        return;
    if (Shell.noUserInterface)
        LogLine(nullptr, "Dialog not found in modeless list", "Parameter error");
    else
        UtilMessageBox(Shell.mainWindow, "Dialog not found in modeless list", "Parameter error", MB_OK);
}

/* ---- the refresh-window list: records whose first word links them ---- */

static void *refreshWindows;

void AddRefreshWindow(void *record)
{
    *(void **)record = refreshWindows;
    refreshWindows = record;
    tkHost.viewerList = &refreshWindows;
}

void RemoveRefreshWindow(void *record)
{
    tkHost.viewerList = &refreshWindows;
    UtilUnlinkWindow(record);
}

int AltKeyOption(void)
{
    int on = (Prf.po[0] & PO1_ALT_KEY) != 0;
    return GetKeyState(VK_MENU) < 0 ? !on : on;
}

HWND UtilTopLevelParent(HWND window)
{
    HWND top = window;
    for (HWND p = window ? GetParent(window) : nullptr; p; p = GetParent(p))
        top = p;
    return top;
}

ShellConfirmProc ShellConfirmHook;

int ShellConfirm(HWND owner, uint32_t nameChanged, const char *verb, const char *name,
                 uint32_t *option, uint32_t mask)
{
    if (option && !(*option & mask))
        return 1;
    if (ShellConfirmHook)
        return ShellConfirmHook(owner, verb, name);
    return WinConfirm(owner, nameChanged, verb, name, option, mask);
}
