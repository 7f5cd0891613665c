/* The order in which Tab visits a dialog's windows: by top edge, then by
 * left edge, whatever order they were made in. */
#include "cmddlg.h"

static int Before(const PCFTABRECT *a, const PCFTABRECT *b)
{
    return a->top < b->top || (a->top == b->top && a->left < b->left);
}

/* Neighbours exchanged until a pass makes no exchange (stable). */
static void Sort(PCFTABRECT *r, int n)
{
    for (int swapped = 1; swapped;) {
        swapped = 0;
        for (int i = 0; i + 1 < n; i++)
            if (Before(&r[i + 1], &r[i])) {
                PCFTABRECT t = r[i];
                r[i] = r[i + 1];
                r[i + 1] = t;
                swapped = 1;
            }
    }
}

int PCFTabOrderPick(PCFTABRECT *r, int n, int forward, int fromEnd)
{
    if (n <= 0)
        return -1;
    Sort(r, n);
    int focused = -1;
    for (int i = 0; i < n; i++)
        if (r[i].focused)
            focused = i;
    if (fromEnd) {
        int pick = forward ? n - 1 : 0;
        if (pick == focused && n > 1)
            pick += forward ? -1 : 1;
        return pick;
    }
    if (focused < 0)
        return forward ? 0 : n - 1;
    int pick = focused + (forward ? 1 : -1);
    return pick < 0 ? 0 : pick >= n ? n - 1 : pick;
}
