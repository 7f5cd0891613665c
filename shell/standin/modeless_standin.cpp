/* Stand-in for the application shell's list of modeless dialogs and its
 * window activation, until the shell exists: the list that the message
 * loop offers each message to. */
#include <windows.h>

#include <vector>

#include "shellhost.h"
#include "shellstandin.h"

struct ModelessEntry {
    HWND window;
    int kind;
};
static std::vector<ModelessEntry> modeless;

int AddModeless(void *window, int kind, void *, void *)
{
    modeless.insert(modeless.begin(), {(HWND)window, kind});
    return 0;
}

void UtilRemoveModeless(void *window)
{
    for (size_t i = 0; i < modeless.size(); i++)
        if (modeless[i].window == (HWND)window) {
            modeless.erase(modeless.begin() + (long)i);
            return;
        }
}

int ModelessDialogMessage(MSG *msg)
{
    for (const ModelessEntry &e : modeless)
        if (e.kind == 1 && IsDialogMessageA(e.window, msg))
            return 1;
    return 0;
}

int ModelessCount(void)
{
    return (int)modeless.size();
}

void ActivateWindow(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}
