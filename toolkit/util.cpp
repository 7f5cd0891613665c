/* Shared window services: display layout, size combo boxes, the viewer
 * list, the cross, rotated text and transparent bitmaps, message boxes
 * and error reports from any thread. */
#include "tkutil.h"
#include "tkpriv.h"
#include "dd.h"
#include <cmath>

TkHostSettings tkHost;
static TKHOOKS hooks;

void TkSetHooks(const TKHOOKS *h)
{
    if (h)
        hooks = *h;
    else
        memset(&hooks, 0, sizeof hooks);
}

const TKHOOKS *TkHooks(void)
{
    return &hooks;
}
static TkMessageBoxSink box_sink;
static TkDisplaySource display_source;
static DisplayLayout layout;

void UtilSetMessageBoxSink(TkMessageBoxSink sink)
{
    box_sink = sink;
}

void UtilSetDisplaySource(TkDisplaySource source)
{
    display_source = source;
}

const DisplayLayout *UtilDisplayLayout(void)
{
    if (layout.monitors == 0)
        UtilCheckMonitors();
    return &layout;
}

/* the layout as the system reports it */
static int system_layout(DisplayLayout *d)
{
    RECT wa = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    if (wa.right == 0 && wa.bottom == 0)
        wa = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    d->monitors = GetSystemMetrics(SM_CMONITORS);
    if (d->monitors < 2) {
        d->desktop = {wa.left, wa.top, wa.right, wa.bottom};
    } else {
        int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        d->desktop = {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    }
    struct Walk { DisplayLayout *d; int n; } walk = {d, 0};
    EnumDisplayMonitors(NULL, NULL, [](HMONITOR, HDC, LPRECT rc, LPARAM lp) -> BOOL {
        Walk *w = (Walk *)lp;
        if (w->n < 3)
            w->d->monitor[w->n] = {rc->left, rc->top, rc->right, rc->bottom};
        w->n++;
        return TRUE;
    }, (LPARAM)&walk);
    /* the first monitor (the primary one) is kept as its work area: what
       the task bar leaves, where dialogs fit and windows are tiled */
    d->monitor[0] = {wa.left, wa.top, wa.right, wa.bottom};
    return 1;
}

/* whether two layouts differ in count or any rectangle */
static int layout_differs(const DisplayLayout *a, const DisplayLayout *b)
{
    return memcmp(a, b, sizeof *a) != 0;
}

void UtilCheckMonitors(void)
{
    DisplayLayout old = layout, now;
    memset(&now, 0, sizeof now);
    if (!(display_source ? display_source(&now) : system_layout(&now)))
        return;
    layout = now;
    tkHost.placementLatch = 0;
    tkHost.placementOverride = 0;
    if (old.monitors && layout_differs(&old, &layout) && !tkHost.monitorChecksOff &&
        hooks.repaintAllWindows)
        hooks.repaintAllWindows(hooks.context, 2);
}

void UtilFillSizeComboWindow(HWND combo, int id)
{
    static const char *const sizes[] = {"small", "medium", "large", "z/OS"};
    char kept[201];
    if (!combo)
        return;
    GetWindowTextA(combo, kept, sizeof kept);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    if (id == 384 || id == 387 || id == 390 || id == 393)
        for (int i = 0; i < (id == 393 ? 3 : 4); i++)
            SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)sizes[i]);
    if (hooks.bitmapName)
        for (int i = 0; const char *name = hooks.bitmapName(hooks.context, i); i++)
            SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)name);
    SetWindowTextA(combo, kept);
}

void UtilFillSizeCombo(DDHANDLE dialog, int id)
{
    UtilFillSizeComboWindow(dialog ? DDGetFieldWindow(dialog, id, 0) : NULL, id);
}

void UtilUnlinkWindow(void *entry)
{
    if (!tkHost.viewerList)
        return;
    for (void **slot = tkHost.viewerList; *slot; slot = (void **)*slot)
        if (*slot == entry) {
            *slot = *(void **)entry;
            return;
        }
}

void DrawCross(HDC dc, const RECT *rc)
{
    MoveToEx(dc, rc->left, rc->top, NULL);
    LineTo(dc, rc->right, rc->bottom);
    MoveToEx(dc, rc->right, rc->top, NULL);
    LineTo(dc, rc->left, rc->bottom);
}

int DrawRotatedText(HDC dc, const char *text, int length, const RECT *rc, UINT format, int angle)
{
    double rad = angle * 2 * 3.1415926 / 360;
    int oldMode = SetGraphicsMode(dc, GM_ADVANCED);
    XFORM xf;
    xf.eM11 = (FLOAT)cos(rad);
    xf.eM12 = (FLOAT)-sin(rad);
    xf.eM21 = (FLOAT)sin(rad);
    xf.eM22 = (FLOAT)cos(rad);
    xf.eDx = (FLOAT)(rc->left + (rc->right - rc->left) * 0.5f);
    xf.eDy = (FLOAT)(rc->top + (rc->bottom - rc->top) * 0.5f);
    SetWorldTransform(dc, &xf);
    RECT r = {-500, -50, 500, 50};
    int result = DrawTextA(dc, text, length, &r, format);
    ModifyWorldTransform(dc, NULL, MWT_IDENTITY);
    SetGraphicsMode(dc, oldMode);
    return result;
}

int DrawTransparentBitmap(HDC dest, int x, int y, int cx, int cy, HDC src, int sx, int sy,
                          int scx, int scy, COLORREF transparent)
{
    if (cx < 1 || cy < 1 || scx < 1 || scy < 1)
        return 0;
    HDC screen = GetDC(NULL);
    HDC dc[4] = {CreateCompatibleDC(screen), CreateCompatibleDC(screen),
                 CreateCompatibleDC(screen), CreateCompatibleDC(screen)};
    HBITMAP colour = CreateCompatibleBitmap(screen, scx, scy);
    HBITMAP mask = CreateBitmap(scx, scy, 1, 1, NULL);
    HBITMAP bigMask = CreateCompatibleBitmap(screen, cx, cy);
    HBITMAP bigColour = CreateCompatibleBitmap(screen, cx, cy);
    ReleaseDC(NULL, screen);
    int ok = dc[0] && dc[1] && dc[2] && dc[3] && colour && mask && bigMask && bigColour;
    if (ok) {
        HGDIOBJ old[4] = {SelectObject(dc[0], colour), SelectObject(dc[1], mask),
                          SelectObject(dc[2], bigMask), SelectObject(dc[3], bigColour)};
        BitBlt(dc[0], 0, 0, scx, scy, src, sx, sy, SRCCOPY);
        /* mask: white exactly where the source has the transparent colour */
        SetBkColor(dc[0], transparent);
        BitBlt(dc[1], 0, 0, scx, scy, dc[0], 0, 0, SRCCOPY);
        /* blacken those pixels in the colour copy */
        SetBkColor(dc[0], RGB(0, 0, 0));
        SetTextColor(dc[0], RGB(255, 255, 255));
        BitBlt(dc[0], 0, 0, scx, scy, dc[1], 0, 0, SRCAND);
        /* stretch both to the destination size */
        SetStretchBltMode(dc[2], COLORONCOLOR);
        SetStretchBltMode(dc[3], COLORONCOLOR);
        SetBkColor(dc[2], RGB(255, 255, 255));
        SetTextColor(dc[2], RGB(0, 0, 0));
        StretchBlt(dc[2], 0, 0, cx, cy, dc[1], 0, 0, scx, scy, SRCCOPY);
        StretchBlt(dc[3], 0, 0, cx, cy, dc[0], 0, 0, scx, scy, SRCCOPY);
        BitBlt(dest, x, y, cx, cy, dc[2], 0, 0, SRCAND);
        BitBlt(dest, x, y, cx, cy, dc[3], 0, 0, SRCPAINT);
        for (int i = 0; i < 4; i++)
            SelectObject(dc[i], old[i]);
    }
    for (HDC d : dc)
        if (d) DeleteDC(d);
    HBITMAP bms[4] = {colour, mask, bigMask, bigColour};
    for (HBITMAP b : bms)
        if (b) DeleteObject(b);
    return ok;
}

int UtilMessageBox(HWND owner, const char *text, const char *caption, UINT type)
{
    if (tkHost.batch) {
        if (tkHost.logFile) {
            char line[1200];
            UtilLogLine(line, sizeof line, caption, text);
            fputs(line, tkHost.logFile);
            fflush(tkHost.logFile);
        }
        return IDYES;
    }
    if (box_sink)
        return box_sink(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

void UtilPostErrorEx(HWND owner, void *location, uint32_t flags, const char *text)
{
    if (!tkHost.mainWindow)
        return;     /* nobody to report to (a null window would post to this thread) */
    size_t len = text ? strlen(text) : 0;
    ZORVAERROR *e = (ZORVAERROR *)CSGetMem(offsetof(ZORVAERROR, text) + len + 1, "ZORVAERROR");
    if (!e)
        return;
    e->owner = (uint64_t)(uintptr_t)owner;
    e->location = (uint64_t)(uintptr_t)location;
    e->flags = flags;
    memcpy(e->text, text ? text : "", len + 1);
    if (!PostMessageA(tkHost.mainWindow, FRM_OPERROR, 0, (LPARAM)e))
        CSFreeMem(e);
}

void UtilPostError(void *location, uint32_t flags, const char *text)
{
    UtilPostErrorEx(NULL, location, flags, text);
}
