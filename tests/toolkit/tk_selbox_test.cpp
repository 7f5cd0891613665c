/* The selection box (button mode, drop-down with and without the filter
 * field, Enter and Escape, sizing inside the parent) and the drop tip. */
#include <gtest/gtest.h>
#include "tkharness.h"
#include "tkutil.h"

static HWND make_box(int items)
{
    HWND parent = TestParent(600, 400);
    HWND box = CreateWindowExA(0, ZKT_SELECTIONBOX, "", WS_CHILD, 0, 0, 10, 10, parent, (HMENU)9,
                               GetModuleHandleA(NULL), NULL);
    char t[32];
    for (int i = 0; i < items; i++) {
        snprintf(t, sizeof t, "VALUE_%02d", i);
        SendMessageA(box, LB_ADDSTRING, 0, (LPARAM)t);
    }
    ClearGot();
    return box;
}

static bool edit_visible(HWND box)
{
    return IsWindowVisible(GetDlgItem(box, 1003)) != FALSE;
}

TEST(SelectionBox, ButtonClickDropsDown)
{
    HWND box = make_box(8);
    ShowSelectionBox(box, 2, 3, 100, 20, SB_MODE_BUTTON);
    RECT rc;
    GetWindowRect(box, &rc);
    MapWindowPoints(NULL, GetParent(box), (POINT *)&rc, 2);
    EXPECT_EQ(rc.left, 201);
    EXPECT_EQ(rc.top, 61);
    EXPECT_EQ(rc.right - rc.left, 98);
    int w, h;
    MouseMove(box, 5, 5, 0);
    auto px = Capture(box, &w, &h);
    EXPECT_EQ(PixelAt(px, w, w / 2, h / 2), 0xFF0000u);   /* hovered: red */
    SendMessageA(box, WM_MOUSELEAVE, 0, 0);
    px = Capture(box, &w, &h);
    EXPECT_EQ(PixelAt(px, w, w / 2, h / 2), 0xFFFF00u);   /* yellow */
    Click(box, 5, 5);
    EXPECT_EQ(Got(CN_BUTTON).size(), 1u);
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_FALSE(edit_visible(box));            /* 8 items: no edit field */
    GetWindowRect(box, &rc);
    MapWindowPoints(NULL, GetParent(box), (POINT *)&rc, 2);
    EXPECT_EQ(rc.left, 200);                    /* at the cell */
    EXPECT_EQ(rc.top, 60);
}

TEST(SelectionBox, NineItemsFilterAndEnter)
{
    HWND box = make_box(12);
    ShowSelectionBox(box, 0, 0, 100, 20, SB_MODE_EDITLIST);
    EXPECT_TRUE(edit_visible(box));
    HWND edit = GetDlgItem(box, 1003);
    SetWindowTextA(edit, "e_1");               /* EN_CHANGE filters the list */
    Pump();
    EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 2);   /* VALUE_10, VALUE_11 */
    HWND list = GetDlgItem(box, 1000);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    SendMessageA(edit, WM_CHAR, 13, 0);        /* Enter in the edit */
    ASSERT_EQ(Got(CN_ACCEPT).size(), 1u);
    EXPECT_EQ((HWND)Got(CN_ACCEPT)[0].lp, box);
    EXPECT_EQ(SendMessageA(box, LB_GETCURSEL, 0, 0), 1);
    EXPECT_FALSE(IsWindowVisible(box));
}

TEST(SelectionBox, EscapeCancelsAndRemembersTheCell)
{
    HWND box = make_box(3);
    ShowSelectionBox(box, 1, 1, 80, 20, SB_MODE_EDITLIST);
    SendMessageA(GetDlgItem(box, 1000), WM_CHAR, 27, 0);
    EXPECT_EQ(Got(CN_CANCEL).size(), 1u);
    EXPECT_FALSE(IsWindowVisible(box));
    ShowSelectionBox(box, 0, 0, -1, 0, SB_MODE_BUTTON);
    RECT rc;
    GetWindowRect(box, &rc);
    MapWindowPoints(NULL, GetParent(box), (POINT *)&rc, 2);
    EXPECT_EQ(rc.left, 81);
    EXPECT_EQ(rc.top, 21);
    HideSelectionBox(box);
    EXPECT_FALSE(IsWindowVisible(box));
}

TEST(SelectionBox, FitsInsideTheParent)
{
    HWND box = make_box(60);                    /* taller than the parent */
    ShowSelectionBox(box, 5, 0, 110, 20, SB_MODE_EDITLIST);
    RECT rc, pc;
    GetWindowRect(box, &rc);
    MapWindowPoints(NULL, GetParent(box), (POINT *)&rc, 2);
    GetClientRect(GetParent(box), &pc);
    EXPECT_EQ(rc.bottom - rc.top, pc.bottom);   /* cut to the parent's height */
    EXPECT_EQ(rc.right, pc.right);              /* moved left to end at the edge */
    EXPECT_GE(rc.left, 0);
    HWND box2 = make_box(2);
    ShowSelectionBox(box2, 0, 0, 100, 20, SB_MODE_LIST);
    RECT r2;
    GetWindowRect(box2, &r2);
    EXPECT_LT(r2.right - r2.left, rc.right - rc.left);   /* no scroll bar width added */
}

static int one_monitor(DisplayLayout *d)
{
    d->monitors = 1;
    d->desktop = d->monitor[0] = {0, 0, 1600, 1000};
    return 1;
}

TEST(DropTip, PlacedBesideTheCursorAndHiddenByItsOwner)
{
    UtilSetDisplaySource(one_monitor);
    UtilCheckMonitors();
    HWND parent = TestParent(800, 600);
    SetWindowPos(parent, NULL, 10, 10, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    HWND other = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, NULL,
                                 GetModuleHandleA(NULL), NULL);
    DropTipRequest rq = {};
    rq.owner = parent;
    rq.title = "Copy to";
    std::string body = "QUEUE.ONE\nQUEUE.TWO";
    rq.body = body.c_str();
    rq.bodyLength = (uint32_t)body.size();
    rq.cursor = {100, 100};
    ShowDropTip(&rq);
    HWND tip = DropTipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(IsWindowVisible(tip));
    RECT rc;
    GetWindowRect(tip, &rc);
    EXPECT_EQ(rc.left, 120);                    /* 20 right of the cursor */
    EXPECT_EQ(rc.top, 130);                     /* 30 below */
    int w, h;
    auto px = Capture(tip, &w, &h);
    EXPECT_EQ(PixelAt(px, w, w - 3, h - 3), 0xFFFFE1u);   /* light yellow */
    bool blue = false;
    for (uint32_t p : px)
        blue |= p == 0x0000FFu;
    EXPECT_TRUE(blue);                          /* the blue title */
    int shortHeight = h;
    rq.cursor = {780, 580};                     /* near the owner's bottom right: left and above */
    ShowDropTip(&rq);
    GetWindowRect(tip, &rc);
    EXPECT_EQ(rc.right, 750);
    EXPECT_EQ(rc.bottom, 560);
    /* a line wider than the limit breaks inside a word */
    SetWindowPos(parent, NULL, 10, 10, 1500, 900, SWP_NOZORDER);
    body = "QUEUE.ONE\n" + std::string(300, 'Q');
    rq.body = body.c_str();
    rq.bodyLength = (uint32_t)body.size();
    rq.cursor = {800, 100};
    ShowDropTip(&rq);
    GetWindowRect(tip, &rc);
    EXPECT_LE(rc.right - rc.left, 750 + 8);
    EXPECT_GT(rc.bottom - rc.top, shortHeight + 10);
    HideDropTip(other);                         /* another owner: stays */
    EXPECT_TRUE(IsWindowVisible(tip));
    HideDropTip(parent);
    EXPECT_FALSE(IsWindowVisible(tip));
    UtilSetDisplaySource(nullptr);
    UtilCheckMonitors();
}
