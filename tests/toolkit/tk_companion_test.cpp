/* List companions (title, title list, title buddy, buddy list, split
 * list), the frame, the progress bar and the button. */
#include <gtest/gtest.h>
#include "tkharness.h"

static HWND make(const char *cls, const char *text, DWORD style, int w, int h, int id = 50)
{
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, w, h, TestHarness().parent,
                           (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
}

TEST(Companions, TitleScrollsWithItsList)
{
    TestParent(400, 200);
    HWND tl = make(ZKT_TITLELIST, "Queue name and more", 0, 200, 150);
    HWND list = (HWND)SendMessageA(tl, LBM_GETLIST, 0, 0);
    HWND title = (HWND)SendMessageA(tl, LBM_GETTITLE, 0, 0);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(title, nullptr);
    SendMessageA(tl, LB_ADDSTRING, 0, (LPARAM)"A.QUEUE.NAME.FAR.WIDER.THAN.THE.LIST.ITSELF.IS.WIDE");
    EXPECT_EQ(SendMessageA(tl, LB_GETCOUNT, 0, 0), 1);
    char buf[100] = "untouched";
    EXPECT_EQ(SendMessageA(tl, LB_GETTEXT, 0, (LPARAM)buf), 0);   /* not passed on */
    EXPECT_STREQ(buf, "untouched");
    int w, h;
    auto before = Capture(title, &w, &h);
    for (int i = 0; i < 40; i++)
        SendMessageA(list, WM_HSCROLL, SB_LINEDOWN, 0);
    auto after = Capture(title, &w, &h);
    /* the text now starts 40 pixels further left */
    int same = 0, dark = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x + 40 < w - 10; x++) {
            same += PixelAt(after, w, x, y) == PixelAt(before, w, x + 40, y);
            dark += PixelAt(after, w, x, y) != PixelAt(after, w, w - 1, y);
        }
    EXPECT_EQ(same, h * (w - 50));
    EXPECT_GT(dark, 10);
}

TEST(Companions, BuddyShowsTheSameRowsAndSelects)
{
    TestParent(400, 200);
    HWND list = make(ZKT_LISTBOX, "", LBS_NOTIFY, 150, 150, 51);
    HWND buddy = make(ZKT_BUDDYLIST, "", 0, 150, 150, 52);
    SetWindowPos(buddy, NULL, 160, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageA(list, LBM_SETBUDDY, 0, (LPARAM)buddy);
    SendMessageA(buddy, LBM_SETBUDDY, 0, (LPARAM)list);
    for (int i = 0; i < 5; i++)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"row");
    int ih = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    ClearGot();
    Click(buddy, 5, ih * 3 + 2);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(Got(WM_COMMAND).size(), 1u);
    SendMessageA(buddy, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 4);
    int w, h;
    auto lpx = Capture(list, &w, &h);           /* the buddy paints in the colours the list read */
    auto px = Capture(buddy, &w, &h);
    EXPECT_EQ(PixelAt(px, w, 140, ih * 4 + ih / 2), PixelAt(lpx, w, 140, ih * 4 + ih / 2));
    EXPECT_NE(PixelAt(px, w, 140, ih * 4 + ih / 2), PixelAt(px, w, 140, ih * 2 + ih / 2));
    /* the buddy keeps its own horizontal position; emptying the list resets it */
    SendMessageA(buddy, LB_SETHORIZONTALEXTENT, 600, 0);
    SendMessageA(buddy, WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(GetScrollPos(buddy, SB_HORZ), 0);
    SetWindowPos(buddy, NULL, 170, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);   /* a move keeps it */
    EXPECT_GT(GetScrollPos(buddy, SB_HORZ), 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(GetScrollPos(buddy, SB_HORZ), 0);
}

TEST(Companions, SplitListShowsTheLeftPaneOnRequest)
{
    TestParent(400, 200);
    HWND sl = make(ZKT_SPLITLIST, "Name", 0, 400, 200);
    HWND right = (HWND)SendMessageA(sl, LBM_GETLIST, 1, 0);
    HWND left = (HWND)SendMessageA(sl, LBM_GETLIST, 2, 0);
    ASSERT_NE(right, nullptr);
    ASSERT_NE(left, nullptr);
    HWND rightPane = GetDlgItem(sl, 1000), leftPane = GetDlgItem(sl, 1001);
    EXPECT_TRUE(IsWindowVisible(rightPane));
    EXPECT_FALSE(IsWindowVisible(leftPane));
    SendMessageA(sl, LB_ADDSTRING, 0, (LPARAM)"one");
    SendMessageA(sl, LB_ADDSTRING, 0, (LPARAM)"two");
    EXPECT_EQ(SendMessageA(sl, LB_GETCOUNT, 0, 0), 2);
    SendMessageA(sl, LBM_SPLIT, 1, 0);
    EXPECT_TRUE(IsWindowVisible(leftPane));
    RECT lr, rr;
    GetWindowRect(leftPane, &lr);
    GetWindowRect(rightPane, &rr);
    EXPECT_LT(lr.right, rr.left + 1);
    SendMessageA(sl, LBM_SPLIT, 0, 0);
    EXPECT_FALSE(IsWindowVisible(leftPane));
    SendMessageA(sl, LBM_TAB, 0, 0);
    EXPECT_EQ((HWND)Got(LBM_TAB).back().lp, sl);
}

TEST(Simple, ButtonPressMoveOutAndSpace)
{
    TestParent();
    HWND b = make(ZKT_BUTTON, "Go", 0, 80, 30);
    ClearGot();
    MouseDown(b, 10, 10);
    EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), 1);
    MouseMove(b, 200, 10);
    MouseUp(b, 200, 10);
    EXPECT_TRUE(Got(WM_COMMAND).empty());
    EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), 0);   /* as before the press */
    Click(b, 10, 10);
    EXPECT_EQ(Got(WM_COMMAND).size(), 1u);
    EXPECT_EQ((HWND)Got(WM_COMMAND)[0].lp, b);
    SendMessageA(b, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(b, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(Got(WM_COMMAND).size(), 2u);
    SendMessageA(b, BM_SETCHECK, 2, 0);         /* other values keep */
    EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), 0);
    char text[20];
    SendMessageA(b, WM_SETTEXT, 0, (LPARAM)"Stop");
    GetWindowTextA(b, text, sizeof text);
    EXPECT_STREQ(text, "Stop");
}

TEST(Simple, ProgressAndFrame)
{
    TestParent();
    TestHarness().ctlBrush = (HBRUSH)GetStockObject(WHITE_BRUSH);
    TestHarness().ctlText = RGB(0, 0, 255);
    HWND p = make(ZKT_PROGRESS, "", 0, 100, 10);
    int w, h;
    auto px = Capture(p, &w, &h);
    EXPECT_EQ(PixelAt(px, w, 1, 5), 0xFFFFFFu);  /* total 0: empty */
    SendMessageA(p, LBM_PROGRESS, 1, 3);
    px = Capture(p, &w, &h);
    EXPECT_EQ(PixelAt(px, w, 32, 5), 0x0000FFu); /* 33 pixels done */
    EXPECT_EQ(PixelAt(px, w, 33, 5), 0xFFFFFFu);
    HWND f = make(ZKT_FRAME, "", 0, 200, 100, 60);
    SetWindowPos(f, NULL, 120, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND c = make("STATIC", "", 0, 10, 10, 61);
    SetParent(c, f);
    SendMessageA(f, LBM_FRAMECLIENT, (WPARAM)c, 0);
    RECT cr;
    GetWindowRect(c, &cr);
    MapWindowPoints(NULL, f, (POINT *)&cr, 2);
    EXPECT_EQ(cr.left, 5);
    EXPECT_EQ(cr.right, 195);
    int32_t m[4] = {1, 2, 3, 4};
    SendMessageA(f, LBM_FRAMEMARGINS, 0, (LPARAM)m);
    SendMessageA(f, LBM_FRAMEEDGE, EDGE_RAISED, 0);
    GetWindowRect(c, &cr);
    MapWindowPoints(NULL, f, (POINT *)&cr, 2);
    EXPECT_EQ(cr.left, 1 + 2 + 1);              /* margin, raised edge, one pixel */
    EXPECT_EQ(cr.bottom, 100 - 4 - 2 - 1);
    SendMessageA(f, LBM_FRAMECOLOUR, RGB(0, 255, 0), 0);
    px = Capture(f, &w, &h);
    EXPECT_EQ(PixelAt(px, w, 0, 50), 0x00FF00u);
}
