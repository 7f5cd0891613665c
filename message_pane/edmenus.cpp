/* The structure sub-menus of a context menu bar: the pop-ups whose first
 * item reads "<AMP>" (add) and "<RMP>" (remove), found once, emptied and
 * filled from the structure menus of the cursor's place before the menu
 * shows, and greyed when they offer nothing. */
#include "edwnd.h"
#include "edstruct.h"

static int addAt = -2, removeAt = -2;   /* positions in the bar; -2 not yet looked for */

/* The pop-up whose first item reads the text (the first 100 positions). */
static int Placeholder(HMENU bar, const char *text)
{
    int n = GetMenuItemCount(bar);
    for (int i = 0; i < n && i < 100; i++) {
        HMENU sub = GetSubMenu(bar, i);
        char first[16] = "";
        if (sub && GetMenuStringA(sub, 0, first, sizeof first, MF_BYPOSITION) > 0 && strcmp(first, text) == 0)
            return i;
    }
    return -1;
}

/* The model's items from *i up to the end of their level. */
static void Append(HMENU menu, const StructMenu *m, uint32_t *i)
{
    for (; *i < m->count; (*i)++) {
        const StructMenuItem &it = m->items[*i];
        switch (it.kind) {
        case SMI_POPUP_END:
            return;
        case SMI_SEPARATOR:
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            break;
        case SMI_POPUP: {
            HMENU sub = CreatePopupMenu();
            (*i)++;
            Append(sub, m, i);
            AppendMenuA(menu, MF_POPUP, (UINT_PTR)sub, it.text);
            break;
        }
        default:
            AppendMenuA(menu, MF_STRING, (UINT_PTR)it.id, it.text);
            break;
        }
    }
}

static void Rebuild(HMENU bar, int at, const StructMenu *m)
{
    HMENU sub = at >= 0 ? GetSubMenu(bar, at) : nullptr;
    if (!sub)
        return;
    while (GetMenuItemCount(sub) > 0)
        DeleteMenu(sub, 0, MF_BYPOSITION);
    uint32_t i = 0;
    Append(sub, m, &i);
    EnableMenuItem(bar, (UINT)at, MF_BYPOSITION | (m->enabled ? MF_ENABLED : MF_GRAYED));
}

int StructShowMenus(DialogWords *d, HMENU bar)
{
    if (addAt == -2) {
        addAt = Placeholder(bar, "<AMP>");
        removeAt = Placeholder(bar, "<RMP>");
    }
    if (addAt < 0 && removeAt < 0)
        return 0;
    StructContext c;
    StructLocate(&c, d);
    static StructMenu add, remove;
    StructBuildAddMenu(d, &c, &add);
    StructBuildRemoveMenu(d, &c, &remove);
    StructFreeContext(&c);
    Rebuild(bar, addAt, &add);
    Rebuild(bar, removeAt, &remove);
    return add.enabled || remove.enabled;
}
