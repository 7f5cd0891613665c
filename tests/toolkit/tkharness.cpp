/* Test harness of the window tests: a recording parent window, pixel
 * capture and synthesized input. */
#include "tkharness.h"
#include "tkspin.h"
#include "dd.h"
#include "tkutil.h"
#include <commctrl.h>
#include <cstdio>
#include <string>

#ifndef RAVOLT_GALLERY_DIR
#define RAVOLT_GALLERY_DIR "gallery"
#endif

static Harness harness;

/* The parent sits topmost, away from the corner where other test programs
 * sharing the display open their windows: captures read the screen. */
enum { TEST_X = 960, TEST_Y = 560 };

Harness &TestHarness(void)
{
    return harness;
}

/* the size of the block an lParam points to, for the messages that carry one */
static size_t block_size(UINT msg)
{
    switch (msg) {
    case CN_HOVER: return sizeof(HoverInfo);
    case LBM_ITEMSELECTED: return sizeof(ItemSelectedInfo);
    case SPM_NOTIFY: return sizeof(SpinNotifyBlock);
    }
    return 0;
}

/* whether a message is one the tests look at */
static bool recorded(UINT msg)
{
    return msg == WM_COMMAND || (msg >= 1225 && msg <= 1258) || (msg >= 6024 && msg <= 6038) ||
           msg == SPM_NOTIFY || msg == 11227 || msg == 11376;
}

static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (recorded(msg)) {
        Recorded r = {msg, wp, lp, {0}};
        size_t n = block_size(msg);
        if (n && lp)
            memcpy(r.block, (const void *)lp, n);
        harness.got.push_back(r);
        if (msg == CN_HOVER)
            return harness.hoverAnswer;
        if (msg == LBM_BARNEEDED)
            return harness.barAnswer;
        return 0;
    }
    switch (msg) {
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
        if (!harness.ctlBrush)
            break;
        SetTextColor((HDC)wp, harness.ctlText);
        SetBkColor((HDC)wp, harness.ctlBack);
        return (LRESULT)harness.ctlBrush;
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT *mi = (MEASUREITEMSTRUCT *)lp;
        if (harness.measureHeight && mi->itemData == 0)
            mi->itemHeight = harness.measureHeight;
        if (harness.measureWidth && mi->itemData)
            mi->itemWidth = harness.measureWidth;
        return harness.measureHeight != 0;
    }
    case WM_DRAWITEM: {
        DRAWITEMSTRUCT *di = (DRAWITEMSTRUCT *)lp;
        Recorded r = {msg, wp, (LPARAM)di->itemState, {0}};
        memcpy(r.block, &di->itemID, sizeof di->itemID);
        harness.got.push_back(r);
        HBRUSH b = CreateSolidBrush((di->itemState & 1) ? RGB(0, 0, 128) : RGB(255, 255, 255));
        FillRect(di->hDC, &di->rcItem, b);
        DeleteObject(b);
        return TRUE;
    }
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND TestParent(int width, int height)
{
    static bool registered;
    if (!registered) {
        WNDCLASSA wc;
        memset(&wc, 0, sizeof wc);
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.hCursor = LoadCursor(NULL, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
        wc.lpszClassName = "TKTESTPARENT";
        RegisterClassA(&wc);
        RegisterControlClasses(GetModuleHandleA(NULL));
        registered = true;
    }
    /* one parent for the whole run (a new top-level window costs seconds
     * under a display without a window manager): its children go */
    if (harness.parent) {
        while (HWND child = GetWindow(harness.parent, GW_CHILD))
            DestroyWindow(child);
        SetWindowPos(harness.parent, HWND_TOPMOST, TEST_X, TEST_Y, width, height, SWP_NOACTIVATE);
    }
    harness.got.clear();
    harness.hoverAnswer = 1;
    harness.barAnswer = 0;
    harness.ctlBrush = nullptr;
    harness.measureHeight = harness.measureWidth = 0;
    if (!harness.parent)
        harness.parent = CreateWindowExA(WS_EX_TOPMOST, "TKTESTPARENT", "test",
                                     WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, TEST_X, TEST_Y, width, height, NULL, NULL, GetModuleHandleA(NULL), NULL);
    Pump();
    return harness.parent;
}

std::vector<Recorded> Got(UINT msg)
{
    std::vector<Recorded> out;
    for (const Recorded &r : harness.got)
        if (r.msg == msg)
            out.push_back(r);
    return out;
}

void ClearGot(void)
{
    harness.got.clear();
}

void Pump(void)
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

/* draws a window and its visible children into dc, its client area at
 * origin: erase, then WM_PRINTCLIENT, children from the bottom up */
static void render(HWND top, HWND hwnd, HDC dc, POINT origin)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    HRGN clip = CreateRectRgn(origin.x, origin.y, origin.x + rc.right, origin.y + rc.bottom);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    SetViewportOrgEx(dc, origin.x, origin.y, NULL);
    SendMessageA(hwnd, WM_ERASEBKGND, (WPARAM)dc, 0);
    SendMessageA(hwnd, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
    HWND first = GetWindow(hwnd, GW_CHILD);
    for (HWND c = first ? GetWindow(first, GW_HWNDLAST) : NULL; c; c = GetWindow(c, GW_HWNDPREV)) {
        if (!IsWindowVisible(c))
            continue;
        POINT p = {0, 0};
        ClientToScreen(c, &p);
        ScreenToClient(top, &p);
        render(top, c, dc, p);
    }
}

HBITMAP Dib32(HDC dc, int w, int h, void **bits)
{
    BITMAPINFO bi;
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, NULL, 0);
}

/* The pixels come from the windows' own painting into a memory bitmap
 * (WM_PRINTCLIENT), not from the screen: another program's window on the
 * same display, or a desktop on another display, cannot spoil them.
 * Non-client parts (borders, scroll bars) are not drawn. */
std::vector<uint32_t> Capture(HWND hwnd, int *width, int *height)
{
    RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    RECT rc;
    GetClientRect(hwnd, &rc);
    int w = rc.right, h = rc.bottom;
    std::vector<uint32_t> px((size_t)(w > 0 ? w : 0) * (h > 0 ? h : 0));
    *width = w;
    *height = h;
    if (w <= 0 || h <= 0)
        return px;
    void *bits = NULL;
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    ReleaseDC(NULL, screen);
    HBITMAP dib = Dib32(mem, w, h, &bits);
    HGDIOBJ old = SelectObject(mem, dib);
    render(hwnd, hwnd, mem, POINT{0, 0});
    GdiFlush();
    const uint32_t *p = (const uint32_t *)bits;
    for (size_t i = 0; i < px.size(); i++)
        px[i] = p[i] & 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    return px;
}

uint32_t PixelAt(const std::vector<uint32_t> &px, int width, int x, int y)
{
    return px[(size_t)y * width + x];
}

bool WriteBmp(const char *path, const std::vector<uint32_t> &px, int w, int h)
{
    FILE *f = fopen(path, "wb");
    if (!f)
        return false;
    int row = (w * 3 + 3) & ~3;
    uint32_t size = 54 + (uint32_t)row * h;
    uint8_t hdr[54] = {'B', 'M'};
    auto put32 = [&](int at, uint32_t v) { memcpy(hdr + at, &v, 4); };
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)w);
    put32(22, (uint32_t)h);
    hdr[26] = 1;
    hdr[28] = 24;
    put32(34, (uint32_t)row * h);
    fwrite(hdr, 1, 54, f);
    std::vector<uint8_t> line(row, 0);
    for (int y = h - 1; y >= 0; y--) {
        for (int x = 0; x < w; x++) {
            uint32_t c = px[(size_t)y * w + x];
            line[x * 3] = c & 0xFF;
            line[x * 3 + 1] = (c >> 8) & 0xFF;
            line[x * 3 + 2] = (c >> 16) & 0xFF;
        }
        fwrite(line.data(), 1, row, f);
    }
    return fclose(f) == 0;
}

std::vector<uint32_t> ScreenCapture(HWND hwnd, int *width, int *height)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    int w = *width = rc.right, h = *height = rc.bottom;
    std::vector<uint32_t> px((size_t)(w > 0 ? w : 0) * (h > 0 ? h : 0));
    if (w <= 0 || h <= 0)
        return px;
    void *bits = NULL;
    HDC wdc = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(wdc);
    HBITMAP dib = Dib32(wdc, w, h, &bits);
    HGDIOBJ old = SelectObject(mem, dib);
    PrintWindow(hwnd, mem, PW_CLIENTONLY);
    BitBlt(mem, 0, 0, w, h, wdc, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t *p = (const uint32_t *)bits;
    for (size_t i = 0; i < px.size(); i++)
        px[i] = p[i] & 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(hwnd, wdc);
    return px;
}

int PixelsOf(HWND hwnd, const RECT &cell, COLORREF colour)
{
    int width = 0, height = 0, n = 0;
    std::vector<uint32_t> px = ScreenCapture(hwnd, &width, &height);
    for (int y = cell.top > 0 ? cell.top : 0; y < cell.bottom && y < height; y++)
        for (int x = cell.left > 0 ? cell.left : 0; x < cell.right && x < width; x++)
            n += PixelAt(px, width, x, y) ==
                 (uint32_t)(GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour));
    return n;
}

bool GalleryShot(HWND hwnd, const char *name, bool fromScreen)
{
    CreateDirectoryA(RAVOLT_GALLERY_DIR, NULL);
    int w, h;
    std::vector<uint32_t> px = fromScreen ? ScreenCapture(hwnd, &w, &h) : Capture(hwnd, &w, &h);
    std::string path = std::string(RAVOLT_GALLERY_DIR) + "/" + name + ".bmp";
    return w > 0 && h > 0 && WriteBmp(path.c_str(), px, w, h);
}

void MouseDown(HWND hwnd, int x, int y, WPARAM keys)
{
    SendMessageA(hwnd, WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(x, y));
}

void MouseMove(HWND hwnd, int x, int y, WPARAM keys)
{
    SendMessageA(hwnd, WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
}

void MouseUp(HWND hwnd, int x, int y, WPARAM keys)
{
    SendMessageA(hwnd, WM_LBUTTONUP, keys, MAKELPARAM(x, y));
}

void Click(HWND hwnd, int x, int y, WPARAM keys)
{
    MouseDown(hwnd, x, y, keys);
    MouseUp(hwnd, x, y, keys);
}

void Key(HWND hwnd, WPARAM vk, bool shift, bool ctrl)
{
    BYTE ks[256];
    GetKeyboardState(ks);
    ks[VK_SHIFT] = shift ? 0x80 : 0;
    ks[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(ks);
    SendMessageA(hwnd, WM_KEYDOWN, vk, 0);
    SendMessageA(hwnd, WM_KEYUP, vk, 0);
    ks[VK_SHIFT] = ks[VK_CONTROL] = 0;
    SetKeyboardState(ks);
}

/* ---- dialogs of the program ---- */

void TestDialogsInit(void)
{
    static bool done;
    if (done)
        return;
    done = true;
    int version = 100;
    DDInitialise(GetModuleHandleA(NULL), &version, NULL, NULL);
    RegisterControlClasses(GetModuleHandleA(NULL));
}

void TestSelectTab(DDHANDLE_ *dd, HWND dialog, int tabId, int index)
{
    HWND tab = DDGetFieldWindow(dd, tabId, 0);
    SendMessageA(tab, TCM_SETCURSEL, (WPARAM)index, 0);
    NMHDR nm = {tab, (UINT_PTR)tabId, (UINT)TCN_SELCHANGE};
    SendMessageA(dialog, WM_NOTIFY, (WPARAM)tabId, (LPARAM)&nm);
    Pump();
}

void TestType(HWND edit, const char *text)
{
    SetFocus(edit);
    for (const char *p = text; *p; p++)
        SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)*p, 0);
    Pump();
}

static std::vector<TestBox> boxes;
static int boxAnswer = IDOK;

std::vector<TestBox> &TestBoxes(void)
{
    return boxes;
}

static int CatchBox(HWND, const char *text, const char *caption, UINT)
{
    boxes.push_back({text ? text : "", caption ? caption : ""});
    return boxAnswer;
}

void TestCatchBoxes(int answer)
{
    boxAnswer = answer;
    boxes.clear();
    UtilSetMessageBoxSink(CatchBox);
}

bool GalleryDialogShot(HWND hwnd, const char *name)
{
    RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    return GalleryShot(hwnd, name, true);
}
