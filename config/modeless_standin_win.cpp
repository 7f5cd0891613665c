/* Stand-in for the shell's list of modeless dialogs, until the shell's
 * own list replaces it: the one list of the program, newest first. */
#include "modeless.h"

#include <cstring>

#define MODELESS_MAX 256

struct MODELESS {
    HWND window;
    int kind;
    void *owner1, *owner2;
};

static MODELESS entries[MODELESS_MAX];
static int count;

int AddModeless(void *window, int kind, void *owner1, void *owner2)
{
    UtilRemoveModeless(window);                /* registered once */
    if (count == MODELESS_MAX)
        return 1;
    memmove(&entries[1], &entries[0], (size_t)count * sizeof entries[0]);
    entries[0] = { (HWND)window, kind, owner1, owner2 };
    count++;
    return 0;
}

void UtilRemoveModeless(void *window)
{
    for (int i = 0; i < count; i++)
        if (entries[i].window == (HWND)window) {
            memmove(&entries[i], &entries[i + 1], (size_t)(count - i - 1) * sizeof entries[0]);
            count--;
            return;
        }
}

HWND ModelessNext(HWND after)
{
    int i = 0;
    if (after) {
        while (i < count && entries[i].window != after)
            i++;
        i++;
    }
    return i < count ? entries[i].window : nullptr;
}

int ModelessCount(void)
{
    return count;
}

int ModelessDialogMessage(MSG *msg)
{
    for (int i = 0; i < count; i++)
        if (entries[i].kind == 1 && IsWindow(entries[i].window) &&
            IsDialogMessageA(entries[i].window, msg))
            return 1;
    return 0;
}
