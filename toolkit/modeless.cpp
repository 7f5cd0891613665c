/* The program's one list of open modeless dialogs, newest first: the
 * message loop offers each message to those of kind 1, and font and
 * colour changes, the Windows menu and operational errors reach every
 * one through ModelessForEach. */
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
static void (*notFound)(void *window);

void ModelessSetNotFound(void (*report)(void *window))
{
    notFound = report;
}

ModelessNotFoundProc ModelessNotFoundHook(void)
{
    return notFound;
}

/* The index of a window in the list, or -1. */
static int find_entry(HWND window)
{
    for (int i = 0; i < count; i++)
        if (entries[i].window == window)
            return i;
    return -1;
}

static void drop_entry(int i)
{
    memmove(&entries[i], &entries[i + 1], (size_t)(count - i - 1) * sizeof entries[0]);
    count--;
}

int AddModeless(void *window, int kind, void *owner1, void *owner2)
{
    int i = find_entry((HWND)window);          /* registered once */
    if (i >= 0)
        drop_entry(i);
    if (count == MODELESS_MAX)
        return 0;
    memmove(&entries[1], &entries[0], (size_t)count * sizeof entries[0]);
    entries[0] = { (HWND)window, kind, owner1, owner2 };
    count++;
    return 1;
}

void UtilRemoveModeless(void *window)
{
    int i = find_entry((HWND)window);
    if (i >= 0)
        drop_entry(i);
    else if (notFound)
        notFound(window);
}

HWND ModelessNext(HWND after)
{
    int i = 0;
    if (after) {
        i = find_entry(after);
        if (i < 0)
            return nullptr;
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

void ModelessForEach(void (*fn)(HWND, int, void *, void *, void *), void *ctx)
{
    /* a snapshot: the callback may close windows, which leave the list */
    MODELESS copy[MODELESS_MAX];
    int n = count;
    memcpy(copy, entries, (size_t)n * sizeof entries[0]);
    for (int i = 0; i < n; i++)
        if (find_entry(copy[i].window) >= 0)
            fn(copy[i].window, copy[i].kind, copy[i].owner1, copy[i].owner2, ctx);
}
