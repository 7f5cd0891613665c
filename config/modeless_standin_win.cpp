/* Stand-in for the shell's list of modeless dialogs, until the shell's
 * own list replaces it: one list of window handles. */
#include "modeless.h"

#define MODELESS_MAX 64

static HWND dialogs[MODELESS_MAX];
static int count;

int AddModeless(HWND hwnd)
{
    for (int i = 0; i < count; i++)
        if (dialogs[i] == hwnd)
            return 1;
    if (count == MODELESS_MAX)
        return 0;
    dialogs[count++] = hwnd;
    return 1;
}

void UtilRemoveModeless(HWND hwnd)
{
    for (int i = 0; i < count; i++)
        if (dialogs[i] == hwnd) {
            dialogs[i] = dialogs[--count];
            return;
        }
}

HWND ModelessNext(HWND after)
{
    int i = 0;
    if (after) {
        while (i < count && dialogs[i] != after)
            i++;
        i++;
    }
    return i < count ? dialogs[i] : nullptr;
}

int ModelessDialogMessage(MSG *msg)
{
    for (int i = 0; i < count; i++)
        if (IsWindow(dialogs[i]) && IsDialogMessageA(dialogs[i], msg))
            return 1;
    return 0;
}
