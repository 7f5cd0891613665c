/* The program's bitmaps: the built-in pictures of the tree and the menus
 * (resources 10 to 52 and 501 to 590), the named sets and bitmap files
 * that locations and settings name, and the monitors' rectangles. */
#include "shell.h"
#include "shellint.h"

#include <cstdio>
#include <cstring>

#include "cs.h"
#include "tkutil.h"
#include "tkwin.h"

enum { LIST_FIRST = 10, LIST_LAST = 52, MENU_FIRST = 501, MENU_LAST = 590 };

static HBITMAP listBitmaps[LIST_LAST - LIST_FIRST + 1];
static HBITMAP menuBitmaps[MENU_LAST - MENU_FIRST + 1];

static HBITMAP load(int id)
{
    return (HBITMAP)LoadImageA(Shell.instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0);
}

int LoadBitmaps(void)
{
    for (int id = MENU_FIRST; id <= MENU_LAST; id++)
        if (!menuBitmaps[id - MENU_FIRST] && !(menuBitmaps[id - MENU_FIRST] = load(id))) {
            char text[40];
            snprintf(text, sizeof text, "Loadbitmap of %d", id);
            WinOpError(text);
            return 0;
        }
    for (int id = LIST_FIRST; id <= LIST_LAST; id++)
        if (!listBitmaps[id - LIST_FIRST])
            listBitmaps[id - LIST_FIRST] = load(id);
    return 1;
}

HBITMAP ShellBitmap(int id)
{
    if (id >= LIST_FIRST && id <= LIST_LAST)
        return listBitmaps[id - LIST_FIRST];
    if (id >= MENU_FIRST && id <= MENU_LAST)
        return menuBitmaps[id - MENU_FIRST];
    return nullptr;
}

/* A picture for a menu item: menus draw item bitmaps as they are, so the
 * copy has the key colour (its top-left pixel) replaced by the menu's
 * background.  Copies are made once per picture. */
HBITMAP ShellMenuItemBitmap(HBITMAP source)
{
    static struct { HBITMAP source, copy; } made[64];
    static int count;
    BITMAP bm;
    if (!source || !GetObjectA(source, sizeof bm, &bm))
        return source;
    for (int i = 0; i < count; i++)
        if (made[i].source == source)
            return made[i].copy;
    if (count == (int)(sizeof made / sizeof made[0]))
        return source;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
    ReleaseDC(nullptr, screen);
    if (copy) {
        HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, copy);
        RECT all = { 0, 0, bm.bmWidth, bm.bmHeight };
        FillRect(to, &all, GetSysColorBrush(COLOR_MENU));
        TransparentBlt(to, 0, 0, bm.bmWidth, bm.bmHeight, from, 0, 0, bm.bmWidth, bm.bmHeight,
                       GetPixel(from, 0, 0));
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        made[count].source = source;
        made[count++].copy = copy;
    }
    DeleteDC(from);
    DeleteDC(to);
    return copy ? copy : source;
}

HBITMAP QueueBitmap(int index)
{
    return ShellBitmap(LIST_FIRST + index);
}

/* ---- named bitmaps ---- */

/* The built-in sets: the three sizes and the fourth variant by code. */
static HBITMAP builtin(const char *name, int code)
{
    static const char *const sets[] = { "small", "medium", "large", "z/OS" };
    for (int s = 0; s < 4; s++) {
        if (strcmp(name, sets[s]))
            continue;
        if (code == 10 || code == 11 || code == 12 || (code == 41 && s < 3))
            return ShellBitmap(code);
        return nullptr;
    }
    return nullptr;
}

struct BMLIST {
    BMLIST *next;
    HBITMAP bitmap;
    char name[1];
};
static BMLIST *files;

HBITMAP GetBitmapByName(const char *name, int size)
{
    if (!name || !name[0])
        return nullptr;
    static const char *const sets[] = { "small", "medium", "large", "z/OS" };
    for (const char *s : sets)
        if (!strcmp(name, s))
            return builtin(name, size);
    for (BMLIST *b = files; b; b = b->next)
        if (!strcmp(b->name, name))
            return b->bitmap;
    HBITMAP bitmap = (HBITMAP)LoadImageA(nullptr, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    if (!bitmap)
        return nullptr;
    size_t n = strlen(name);
    BMLIST *b = (BMLIST *)CSGetMem(sizeof(BMLIST) + n, "BMLIST");
    if (!b)
        return bitmap;
    b->bitmap = bitmap;
    memcpy(b->name, name, n + 1);
    b->next = files;
    files = b;
    return bitmap;
}

/* The names of the bitmap files loaded (the size combo boxes). */
const char *ShellBitmapName(int index)
{
    for (BMLIST *b = files; b; b = b->next)
        if (index-- == 0)
            return b->name;
    return nullptr;
}

HBITMAP ShellMenuBitmap(int32_t id)
{
    for (const CTXROW *r = CtxRows; r < CtxRows + CtxRowCount; r++)
        if (r->id == id && r->bitmap)
            return ShellBitmap(r->bitmap);
    return nullptr;
}

/* ---- monitors ---- */

static RECT monitors[3];
static int monitorCount;

BOOL CALLBACK MonitorEnumProc(HMONITOR, HDC, LPRECT rect, LPARAM)
{
    if (monitorCount < 3 && rect)
        monitors[monitorCount] = *rect;
    monitorCount++;
    return TRUE;
}
