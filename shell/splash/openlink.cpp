/* Opening a link or document the way the user's system opens it, behind
 * one hook that tests replace so that nothing is launched. */
#include <windows.h>
#include <shellapi.h>

#include "splash.h"

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
