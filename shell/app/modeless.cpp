/* The modeless dialogs the message loop serves, the windows that follow
 * font and colour changes, the keyboard's command target and the Alt-key
 * option of opening queues. */
#include "shell.h"

#include <cstring>

#include "cs.h"
#include "prfdata.h"
#include "confirm.h"
#include "tkutil.h"

struct ModelessEntry {
    HWND window;
    int kind;                      /* 1: needs IsDialogMessage */
    void *owner1, *owner2;
    ModelessEntry *next;
};

static ModelessEntry *modeless;

int AddModeless(void *window, int kind, void *owner1, void *owner2)
{
    ModelessEntry *e = (ModelessEntry *)HeapAlloc(GetProcessHeap(), 0, sizeof *e);
    if (!e)
        return 0;
    *e = { (HWND)window, kind, owner1, owner2, modeless };
    modeless = e;
    return 1;
}

void UtilRemoveModeless(void *window)
{
    for (ModelessEntry **link = &modeless; *link; link = &(*link)->next)
        if ((*link)->window == (HWND)window) {
            ModelessEntry *e = *link;
            *link = e->next;
            HeapFree(GetProcessHeap(), 0, e);
            return;
        }
    if (ShellOptions.diagnostics) {
        if (Shell.noUserInterface)
            LogLine(nullptr, "Dialog not found in modeless list", "Parameter error");
        else
            UtilMessageBox(Shell.mainWindow, "Dialog not found in modeless list", "Parameter error",
                           MB_OK);
    }
}

int ModelessDialogMessage(MSG *msg)
{
    for (ModelessEntry *e = modeless; e; e = e->next)
        if (e->kind == 1 && IsWindow(e->window) && IsDialogMessageA(e->window, msg))
            return 1;
    return 0;
}

int ModelessCount(void)
{
    int n = 0;
    for (ModelessEntry *e = modeless; e; e = e->next)
        n++;
    return n;
}

void ModelessForEach(void (*fn)(HWND, int, void *, void *, void *), void *ctx)
{
    for (ModelessEntry *e = modeless, *next; e; e = next) {
        next = e->next;
        fn(e->window, e->kind, e->owner1, e->owner2, ctx);
    }
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
    int on = (Prf.po[0] & 0x10000) != 0;
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
