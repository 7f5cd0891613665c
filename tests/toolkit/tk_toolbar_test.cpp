/* The toolbar: clicks, exclusive groups, press-move-release without a
 * command, disabled and inert buttons, width sharing on resize, heights
 * with bands, painted images and the separator's line; and the caption
 * text choice. */
#include <gtest/gtest.h>
#include "tkharness.h"
#include "tktoolbar.h"
#include <commctrl.h>
#include <string>

static HBITMAP solid_bitmap(COLORREF c)
{
    HDC screen = GetDC(NULL);
    HBITMAP bm = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bm);
    RECT r = {0, 0, 16, 16};
    HBRUSH b = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &r, b);                        /* the top-left colour is transparent */
    DeleteObject(b);
    RECT in = {4, 4, 12, 12};
    b = CreateSolidBrush(c);
    FillRect(dc, &in, b);
    DeleteObject(b);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    return bm;
}

static ToolbarButton button(int32_t id, int32_t key, uint32_t flags = 0, int32_t group = 0, void *image = nullptr)
{
    ToolbarButton b = {};
    b.text = "&Refresh\tF5";
    b.id = id;
    b.key = key;
    b.flags = flags;
    b.group = group;
    b.normal = image;
    return b;
}

static std::vector<WPARAM> commands(void)
{
    std::vector<WPARAM> ids;
    for (const Recorded &r : Got(WM_COMMAND))
        ids.push_back(LOWORD(r.wp));
    return ids;
}

TEST(Toolbar, ClicksGroupsAndPressMoveRelease)
{
    HWND parent = TestParent(400, 100);
    ToolbarButton b[] = {button(101, 1), button(0, 2, TBB_SEP), button(201, 3, 0, 7), button(202, 4, 0, 7),
                         button(301, 5, TBB_DISABLED), button(302, 6, TBB_INERT), button(303, 7, TBB_FLIPALT),
                         button(304, 8, TBB_CHECK)};
    HWND bar = TbCreate(parent, 0, 8, b);
    ASSERT_NE(bar, nullptr) << IsWindow(parent) << " " << GetLastError();
    ClearGot();
    Click(bar, 10, 10);                         /* 101 at 0..20 */
    EXPECT_EQ(commands(), std::vector<WPARAM>({101}));
    ClearGot();
    Click(bar, 50, 10);                         /* 201: ticked first of its group: nothing */
    EXPECT_TRUE(commands().empty());
    Click(bar, 70, 10);                         /* 202 ticks, 201 clears */
    EXPECT_EQ(commands(), std::vector<WPARAM>({202}));
    int n;
    const ToolbarButton *bs = TbButtons(bar, &n);
    EXPECT_FALSE(bs[2].flags & TBB_TICKED);
    EXPECT_TRUE(bs[3].flags & TBB_TICKED);
    ClearGot();
    MouseDown(bar, 10, 10);                     /* press, move off, release */
    MouseMove(bar, 200, 10);
    MouseUp(bar, 200, 10);
    EXPECT_TRUE(commands().empty());
    EXPECT_FALSE(bs[0].flags & TBB_PRESSED);
    Click(bar, 90, 10);                         /* disabled */
    Click(bar, 110, 10);                        /* inert */
    EXPECT_TRUE(commands().empty());
    Click(bar, 130, 10);                        /* flips the alternate look */
    EXPECT_TRUE(bs[6].flags & TBB_ALT);
    TbEnableButton(bar, 301, 1);
    Click(bar, 90, 10);
    EXPECT_EQ(commands(), std::vector<WPARAM>({303, 301}));
    TbSetButtonState(bar, 201, 1);
    EXPECT_TRUE(bs[2].flags & TBB_TICKED);
    EXPECT_FALSE(bs[3].flags & TBB_TICKED);
    ClearGot();
    Click(bar, 150, 10);                        /* a toggle of no group ticks */
    EXPECT_TRUE(bs[7].flags & TBB_TICKED);
    Click(bar, 150, 10);                        /* and clears again */
    EXPECT_FALSE(bs[7].flags & TBB_TICKED);
    EXPECT_EQ(commands(), std::vector<WPARAM>({304, 304}));
    TbSetButtonState(bar, 999, 1);              /* no such id: nothing */
    MouseMove(bar, 10, 10, 0);
    EXPECT_TRUE(bs[0].flags & TBB_HOT);
    MouseMove(bar, 90 + 20, 10, 0);             /* inert: never hot */
    EXPECT_FALSE(bs[0].flags & TBB_HOT);
    EXPECT_FALSE(bs[5].flags & TBB_HOT);
    DestroyWindow(bar);
}

TEST(Toolbar, StretchersShareTheWidthAndBandsAddHeight)
{
    HWND parent = TestParent(400, 100);
    ToolbarButton b[] = {button(1, 1), button(0, 2, TBB_STRETCH), button(2, 3), button(0, 4, TBB_STRETCH), button(3, 5)};
    HWND bar = TbCreate(parent, 0x10 | 0x100, 5, b);
    EXPECT_EQ(TbGetHeight(bar), 24);
    SetWindowPos(bar, NULL, 0, 0, 71, 24, SWP_NOMOVE | SWP_NOZORDER);
    int n;
    const ToolbarButton *bs = TbButtons(bar, &n);
    EXPECT_EQ(bs[1].width, 6);
    EXPECT_EQ(bs[3].width, 5);
    ClearGot();
    Click(bar, 60 + 11 - 1, 12);                /* the last button sits at 66..86: x 70 */
    EXPECT_EQ(commands(), std::vector<WPARAM>({3}));
    TbSetStyle(bar, 0);
    EXPECT_EQ(TbGetHeight(bar), 20);
    DestroyWindow(bar);
}

TEST(Toolbar, PaintsImagesTransparently)
{
    HWND parent = TestParent(400, 100);
    HBITMAP red = solid_bitmap(RGB(255, 0, 0)), green = solid_bitmap(RGB(0, 255, 0));
    ToolbarButton b[] = {button(1, 1, 0, 0, red), button(0, 2, TBB_SEP), button(2, 3, TBB_DISABLED, 0, green)};
    HWND bar = TbCreate(parent, TBS_FLAT, 3, b);
    TbSetColour(bar, RGB(0, 0, 255));
    int w, h;
    auto px = Capture(bar, &w, &h);
    EXPECT_EQ(PixelAt(px, w, 10, 10), 0xFF0000u);          /* the image's middle */
    EXPECT_EQ(PixelAt(px, w, 10 - 6, 10 - 6) , 0xC0C0C0u); /* transparent: light brush */
    EXPECT_EQ(PixelAt(px, w, 45, 5), 0x0000FFu);           /* disabled: background colour */
    /* the separator (20..40): one column of the bump's light shade at 29,
       the bar's whole height, and the light brush beside it */
    COLORREF bump = GetSysColor(COLOR_3DLIGHT);
    uint32_t line = (uint32_t)GetRValue(bump) << 16 | GetGValue(bump) << 8 | GetBValue(bump);
    ASSERT_NE(line, 0xC0C0C0u);
    std::string wrong;                                      /* "x:colour" of each wrong column */
    for (int x = 20; x < 40; x++)
        for (int y = 0; y < h; y++)
            if (PixelAt(px, w, x, y) != (x == 29 ? line : 0xC0C0C0u)) {
                char cell[24];
                snprintf(cell, sizeof cell, " %d:%06X", x, PixelAt(px, w, x, y));
                wrong += cell;
                break;
            }
    EXPECT_EQ(wrong, "");
    DestroyWindow(bar);
    DeleteObject(red);
    DeleteObject(green);
}

/* A state or enabling set again as it was asks for no paint; a changed
 * tick draws its group's buttons again, a changed enabling its button, and the screen then shows what a paint of
 * the whole bar shows. */
TEST(Toolbar, StateChangesRepaintOnlyTheButtonsThatChange)
{
    HWND parent = TestParent(400, 100);
    HBITMAP red = solid_bitmap(RGB(255, 0, 0)), green = solid_bitmap(RGB(0, 255, 0));
    ToolbarButton b[] = {button(101, 1, 0, 0, red), button(201, 2, TBB_CHECK, 7, green),
                         button(202, 3, TBB_CHECK, 7, red), button(301, 4, TBB_CHECK, 0, green)};
    HWND bar = TbCreate(parent, 0, 4, b);
    ASSERT_NE(bar, nullptr);
    TbSetColour(bar, RGB(0, 0, 255));
    TbSetButtonState(bar, 201, 1);
    UpdateWindow(bar);
    RECT dirty;
    TbSetButtonState(bar, 201, 1);
    TbSetButtonState(bar, 202, 0);
    TbSetButtonState(bar, 301, 0);
    TbEnableButton(bar, 101, 1);
    EXPECT_FALSE(GetUpdateRect(bar, &dirty, FALSE));
    int w, h;
    auto before = ScreenCapture(bar, &w, &h);
    TbSetButtonState(bar, 202, 1);              /* 202 ticks, 201 clears */
    ASSERT_TRUE(GetUpdateRect(bar, &dirty, FALSE));
    EXPECT_EQ(dirty.left, 20);
    EXPECT_EQ(dirty.right, 60);
    UpdateWindow(bar);
    auto partial = ScreenCapture(bar, &w, &h);
    RedrawWindow(bar, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    auto whole = ScreenCapture(bar, &w, &h);
    EXPECT_TRUE(partial == whole);
    EXPECT_FALSE(partial == before);
    EXPECT_EQ(PixelAt(partial, w, 5, 5), PixelAt(before, w, 5, 5));
    TbEnableButton(bar, 101, 0);                /* disabled: drawn again, alone */
    ASSERT_TRUE(GetUpdateRect(bar, &dirty, FALSE));
    EXPECT_EQ(dirty.left, 0);
    EXPECT_EQ(dirty.right, 20);
    UpdateWindow(bar);
    partial = ScreenCapture(bar, &w, &h);
    RedrawWindow(bar, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(partial == ScreenCapture(bar, &w, &h));
    EXPECT_EQ(PixelAt(partial, w, 4, 4), 0x0000FFu);       /* disabled: background colour */
    EXPECT_NE(PixelAt(before, w, 4, 4), 0x0000FFu);
    DestroyWindow(bar);
    DeleteObject(red);
    DeleteObject(green);
}

TEST(Toolbar, TooltipTextOfTheButtonUnderTheCursor)
{
    HWND parent = TestParent(400, 100);
    ToolbarButton b[] = {button(101, 1), button(102, 2)};
    b[1].text = "Save &as...\tCtrl+S";
    HWND bar = TbCreate(parent, 0, 2, b);
    POINT pt = {30, 10};                        /* over the second button */
    ClientToScreen(bar, &pt);
    SetCursorPos(pt.x, pt.y);
    NMTTDISPINFOA di = {};
    di.hdr.hwndFrom = bar;
    di.hdr.code = TTN_GETDISPINFOA;
    SendMessageA(bar, WM_NOTIFY, 0, (LPARAM)&di);
    ASSERT_NE(di.lpszText, nullptr);
    EXPECT_STREQ(di.lpszText, "Save as...");
    pt = {300, 10};                             /* past the buttons: no text */
    ClientToScreen(bar, &pt);
    SetCursorPos(pt.x, pt.y);
    SendMessageA(bar, WM_NOTIFY, 0, (LPARAM)&di);
    EXPECT_STREQ(di.lpszText, "");
    DestroyWindow(bar);
}

TEST(Caption, ChoosesTheLongestTextThatFits)
{
    TestParent();
    HWND win = CreateWindowExA(0, "STATIC", "Title", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 200,
                               NULL, NULL, GetModuleHandleA(NULL), NULL);
    CaptionTexts t = {};
    strcpy(t.entry[0].text, std::string(200, 'W').c_str() + 150);
    strcpy(t.entry[1].text, "QM1 on host.example");
    strcpy(t.entry[2].text, "QM1");
    EXPECT_EQ(CaptionChosen(win, &t), 1);
    SetWindowPos(win, NULL, 0, 0, 2000, 200, SWP_NOMOVE | SWP_NOZORDER);
    t.titleWidth = 0;
    EXPECT_EQ(CaptionChosen(win, &t), 0);
    SetWindowPos(win, NULL, 0, 0, 130, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(CaptionChosen(win, &t), -1);
    int handled = 0;
    CaptionDefWindowProc(win, WM_NCACTIVATE, 1, 0, &t, &handled);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(t.active, 1u);
    CaptionDefWindowProc(win, WM_SETTEXT, 0, (LPARAM)"New", &t, &handled);
    EXPECT_EQ(handled, 1);
    CaptionDefWindowProc(win, WM_SIZE, 0, 0, &t, &handled);
    EXPECT_EQ(handled, 0);
    DestroyWindow(win);
}
