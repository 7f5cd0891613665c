/* ZKTLISTBOX under a display: items, selection modes with Shift and Ctrl,
 * keys, filtering, drag-out notifications, hover reports, owner drawing
 * and painted pixels. */
#include <gtest/gtest.h>
#include "tkharness.h"
#include "tkcontrols.h"

static HWND make_list(DWORD style, int n = 0, int w = 200, int h = 160)
{
    HWND parent = TestParent();
    HWND list = CreateWindowExA(0, ZKT_LISTBOX, "", WS_CHILD | WS_VISIBLE | style, 0, 0, w, h, parent,
                                (HMENU)77, GetModuleHandleA(NULL), NULL);
    char text[32];
    for (int i = 0; i < n; i++) {
        snprintf(text, sizeof text, "Item %02d", i);
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
    }
    ClearGot();
    return list;
}

static int item_y(HWND list, int i)
{
    int h = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    return (i - (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0)) * h + h / 2;
}

static std::vector<int> selected(HWND list)
{
    int buf[256];
    int n = (int)SendMessageA(list, LB_GETSELITEMS, 256, (LPARAM)buf);
    return std::vector<int>(buf, buf + (n > 0 ? n : 0));
}

TEST(ListBox, UnsupportedStylesFail)
{
    HWND parent = TestParent();
    DWORD bad[] = {LBS_MULTICOLUMN, LBS_OWNERDRAWVARIABLE, LBS_USETABSTOPS, LBS_WANTKEYBOARDINPUT};
    for (DWORD s : bad) {
        SetLastError(0);
        HWND w = CreateWindowExA(0, ZKT_LISTBOX, "", WS_CHILD | s, 0, 0, 50, 50, parent, NULL,
                                 GetModuleHandleA(NULL), NULL);
        EXPECT_EQ(w, nullptr);
        EXPECT_EQ(GetLastError(), 2002u);
    }
}

TEST(ListBox, ItemsTextsAndFind)
{
    HWND list = make_list(LBS_SORT);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"pear"), 0);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"apple"), 0);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"plum"), 2);
    char buf[32];
    EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 1, (LPARAM)buf), 4);
    EXPECT_STREQ(buf, "pear");
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 0, 0), 5);
    EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 9, (LPARAM)buf), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, 2, (LPARAM)"ap"), 0);   /* wraps */
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, -1, (LPARAM)"pl"), 2);
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, 0, (LPARAM)"PL"), LB_ERR);   /* case counts */
    EXPECT_EQ(SendMessageA(list, LB_SETITEMDATA, 2, 1234), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 2, 0), 1234);
    EXPECT_GT(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 0);
    ItemAddRequest rq = {"banana", 99, 1};
    EXPECT_EQ(SendMessageA(list, LBM_ADDITEM, 0, (LPARAM)&rq), 1);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 1, 0), 99);
    EXPECT_EQ(SendMessageA(list, LBM_ISSELECTED, 1, 0), 1);
    EXPECT_EQ(SendMessageA(list, LBM_ISSELECTED, 7, 0), -1);
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 1, 0), 3);
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), -1);
}

TEST(ListBox, SingleSelectionNotifiesAndEmptyMode)
{
    HWND list = make_list(LBS_NOTIFY, 5);
    Click(list, 10, item_y(list, 2));
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
    auto cmds = Got(WM_COMMAND);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(HIWORD(cmds[0].wp), LBN_SELCHANGE);
    EXPECT_EQ(LOWORD(cmds[0].wp), 77);
    Click(list, 10, item_y(list, 3));
    EXPECT_EQ(selected(list), std::vector<int>({3}));
    ClearGot();
    Click(list, 10, item_y(list, 3));           /* the same item: no change, no report */
    EXPECT_TRUE(Got(WM_COMMAND).empty());
    SendMessageA(list, CN_EMPTYSELECTION, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), -1);
    Click(list, 10, item_y(list, 1));
    Click(list, 10, item_y(list, 1), MK_CONTROL);   /* Ctrl+Click clears in this mode */
    EXPECT_TRUE(selected(list).empty());
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), -1);
    SendMessageA(list, WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, item_y(list, 1)));
    EXPECT_EQ(HIWORD(Got(WM_COMMAND).back().wp), LBN_DBLCLK);
}

TEST(ListBox, ReportsBy1240And1253)
{
    HWND list = make_list(0, 4);
    SendMessageA(list, LBM_REPORT1240, 1, 0);
    SendMessageA(list, LBM_REPORT1253, 1, 0);
    SendMessageA(list, LB_SETITEMDATA, 2, 4242);
    Click(list, 10, item_y(list, 2));
    EXPECT_EQ(Got(LBM_SELCHANGED).size(), 1u);
    auto sel = Got(LBM_ITEMSELECTED);
    ASSERT_EQ(sel.size(), 1u);
    ItemSelectedInfo info;
    memcpy(&info, sel[0].block, sizeof info);
    EXPECT_EQ(info.list, list);
    EXPECT_EQ(info.data, 4242u);
}

TEST(ListBox, MultipleStyleToggles)
{
    HWND list = make_list(LBS_MULTIPLESEL, 6);
    Click(list, 10, item_y(list, 1));
    Click(list, 10, item_y(list, 4));
    EXPECT_EQ(selected(list), std::vector<int>({1, 4}));
    MouseDown(list, 10, item_y(list, 2));       /* dragging over items does not flip them */
    MouseMove(list, 10, item_y(list, 3));
    MouseUp(list, 10, item_y(list, 3));
    EXPECT_EQ(selected(list), std::vector<int>({1, 2, 4}));
    Key(list, VK_DOWN);                         /* arrows only move the caret */
    EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), 4);
    Key(list, VK_SPACE);
    EXPECT_EQ(selected(list), std::vector<int>({1, 2}));
    EXPECT_EQ(SendMessageA(list, LB_SETSEL, 1, -1), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 6);
}

TEST(ListBox, ExtendedSelectionWithShiftAndCtrl)
{
    HWND list = make_list(LBS_EXTENDEDSEL, 10);
    Click(list, 10, item_y(list, 1));
    Click(list, 10, item_y(list, 3), MK_SHIFT);
    EXPECT_EQ(selected(list), std::vector<int>({1, 2, 3}));
    Click(list, 10, item_y(list, 6), MK_CONTROL);
    EXPECT_EQ(selected(list), std::vector<int>({1, 2, 3, 6}));
    Click(list, 10, item_y(list, 8), MK_SHIFT);  /* earlier selections outside the range stay */
    EXPECT_EQ(selected(list), std::vector<int>({1, 2, 3, 6, 7, 8}));
    Click(list, 10, item_y(list, 2), MK_CONTROL);   /* Ctrl on a selected item deselects it */
    EXPECT_EQ(SendMessageA(list, LB_GETSEL, 2, 0), 0);
    Click(list, 10, item_y(list, 5));           /* a plain click starts a new range */
    EXPECT_EQ(selected(list), std::vector<int>({5}));
    Key(list, VK_DOWN, true);
    Key(list, VK_DOWN, true);
    EXPECT_EQ(selected(list), std::vector<int>({5, 6, 7}));
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 5);   /* the anchor */
    Key(list, VK_HOME);
    EXPECT_EQ(selected(list), std::vector<int>({0}));
    EXPECT_EQ(SendMessageA(list, LB_SETSEL, 1, 42), LB_ERR);
}

TEST(ListBox, KeysMoveTheCaretAndScroll)
{
    HWND list = make_list(0, 40, 200, 100);
    int h = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    int page = 100 / h;
    SetFocus(list);
    Key(list, VK_END);
    EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), 39);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 39);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 40 - page);
    Key(list, VK_NEXT);                         /* past the end stops at the last item */
    EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), 39);
    Key(list, VK_HOME);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);
    Key(list, VK_NEXT);
    EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), page);
    Key(list, VK_TAB);
    Key(list, VK_TAB, true);
    EXPECT_EQ(Got(LBM_TAB).size(), 1u);
    EXPECT_EQ(Got(LBM_BACKTAB).size(), 1u);
    EXPECT_EQ((HWND)Got(LBM_TAB)[0].lp, list);
}

TEST(ListBox, DeletingTheCaretMovesTheMarkBack)
{
    HWND list = make_list(0, 5);
    SetFocus(list);
    SendMessageA(list, LB_SETCARETINDEX, 3, 0);
    SendMessageA(list, LB_DELETESTRING, 3, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), 2);
    SendMessageA(list, LB_SETCARETINDEX, 0, 0);
    SendMessageA(list, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), 0);
}

TEST(ListBox, FilteringKeepsHiddenItems)
{
    HWND list = make_list(0);
    SendMessageA(list, CN_OPTIONS, 0, LBO_KEEPALL);
    const char *names[] = {"SYSTEM.ADMIN.QUEUE", "APP.ORDERS", "SYSTEM.DEAD.LETTER", "APP.ADMINS"};
    for (const char *n : names)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)n);
    SendMessageA(list, CN_FILTER, 0, (LPARAM)" min ");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    char buf[64];
    SendMessageA(list, LB_GETTEXT, 1, (LPARAM)buf);
    EXPECT_STREQ(buf, "APP.ADMINS");
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"OTHER.QUEUE"), -99);
    EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"MORE.ADMIN"), 2);
    SendMessageA(list, LBM_SETLASTDATA, 0, 555);
    SendMessageA(list, LB_SETSEL, 1, 0);       /* single style: refused */
    SendMessageA(list, LB_SETCURSEL, 0, 0);    /* selects SYSTEM.ADMIN.QUEUE */
    SendMessageA(list, CN_FILTER, 0, (LPARAM)"");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(SendMessageA(list, LB_GETSEL, 0, 0), 1);   /* the selection followed */
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 5, 0), 555);
    SendMessageA(list, LB_DELETESTRING, 4, 0);  /* OTHER.QUEUE and its hidden twin */
    SendMessageA(list, CN_FILTER, 0, (LPARAM)"QUEUE");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
}

TEST(ListBox, DragOutAndBackAndDrop)
{
    HWND list = make_list(LBS_EXTENDEDSEL, 5);
    SendMessageA(list, CN_ALLOWDRAG, 0, 0);
    Click(list, 10, item_y(list, 1));
    ClearGot();
    MouseDown(list, 10, item_y(list, 1));       /* on a selected item: a pending drag */
    MouseMove(list, 400, 300);                  /* outside the list */
    MouseMove(list, 10, item_y(list, 2));       /* back in */
    MouseUp(list, 10, item_y(list, 2));
    EXPECT_EQ(Got(CN_DRAGOUT).size(), 1u);
    EXPECT_EQ(Got(CN_DRAGBACK).size(), 1u);
    EXPECT_TRUE(Got(CN_DROP).empty());
    EXPECT_EQ(selected(list), std::vector<int>({1}));
    ClearGot();
    MouseDown(list, 10, item_y(list, 1));
    MouseMove(list, 400, 300);
    MouseUp(list, 400, 300);
    ASSERT_EQ(Got(CN_DROP).size(), 1u);
    POINT pt = {400, 300};
    ClientToScreen(list, &pt);
    EXPECT_EQ((int)(short)LOWORD(Got(CN_DROP)[0].lp), pt.x);
    EXPECT_EQ(selected(list), std::vector<int>({1}));   /* unchanged */
}

TEST(ListBox, HoverReports)
{
    HWND list = make_list(0, 5);
    SendMessageA(list, CN_OPTIONS, 0, LBO_HOVER);
    SendMessageA(list, LB_SETITEMDATA, 2, 77);
    SendMessageA(list, WM_MOUSEHOVER, 0, MAKELPARAM(15, item_y(list, 2)));
    auto h = Got(CN_HOVER);
    ASSERT_EQ(h.size(), 1u);
    HoverInfo hi;
    memcpy(&hi, h[0].block, sizeof hi);
    EXPECT_EQ(hi.row, 2);
    EXPECT_EQ(hi.data, 77u);
    EXPECT_EQ(hi.x, 15);
    SendMessageA(list, WM_MOUSEHOVER, 0, MAKELPARAM(15, 150));
    memcpy(&hi, Got(CN_HOVER)[1].block, sizeof hi);
    EXPECT_EQ(hi.row, -1);
    SendMessageA(list, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Got(CN_HOVEREND).size(), 1u);     /* a tip was shown */
}

TEST(ListBox, OwnerDrawnRowStates)
{
    HWND parent = TestParent();
    TestHarness().measureHeight = 22;
    HWND list = CreateWindowExA(0, ZKT_LISTBOX, "", WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_MULTIPLESEL,
                                0, 0, 200, 150, parent, (HMENU)5, GetModuleHandleA(NULL), NULL);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 22);
    for (int i = 0; i < 4; i++)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"x");
    SendMessageA(list, LB_SETSEL, 1, 1);
    SendMessageA(list, LB_SETSEL, 1, 2);
    ClearGot();
    int w, h;
    auto px = Capture(parent, &w, &h);
    UINT state[4] = {0, 0, 0, 0};
    for (const Recorded &r : Got(WM_DRAWITEM)) {
        UINT id;
        memcpy(&id, r.block, sizeof id);
        if (id < 4) state[id] = (UINT)r.lp;
    }
    EXPECT_EQ(state[0] & 0x4000, 0x4000u);     /* next selected */
    EXPECT_EQ(state[1], 0x1u | 0x4000);
    EXPECT_EQ(state[2], 0x1u | 0x2000);
    EXPECT_EQ(state[3] & 0x2000, 0x2000u);
    EXPECT_EQ(PixelAt(px, w, 50, 22 + 11), 0x000080u);   /* the owner's fill of a selected row */
}

TEST(ListBox, PaintsSelectedRowsInverted)
{
    HWND list = make_list(0, 3);
    TestHarness().ctlBrush = (HBRUSH)GetStockObject(WHITE_BRUSH);
    TestHarness().ctlText = RGB(0, 0, 255);
    TestHarness().ctlBack = RGB(255, 255, 255);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    int w, h;
    auto px = Capture(list, &w, &h);
    int ih = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    EXPECT_EQ(PixelAt(px, w, w - 5, ih + ih / 2), 0x0000FFu);   /* selected: text colour fill */
    EXPECT_EQ(PixelAt(px, w, w - 5, ih / 2), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(px, w, w - 5, h - 2), 0xFFFFFFu);         /* below the rows */
}

TEST(ListBox, ScrollBarNeedReported)
{
    HWND list = make_list(0, 0, 200, 60);
    for (int i = 0; i < 20; i++)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"row");
    SetWindowPos(list, NULL, 0, 0, 200, 61, SWP_NOMOVE | SWP_NOZORDER);
    auto need = Got(LBM_BARNEEDED);
    ASSERT_FALSE(need.empty());
    EXPECT_EQ(need.back().wp, 1u);
    SendMessageA(list, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);
    SendMessageA(list, LB_SETTOPINDEX, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);
}

TEST(ListBox, SortedListStaysSortedThroughAFilter)
{
    HWND list = make_list(LBS_SORT);
    SendMessageA(list, CN_OPTIONS, 0, LBO_KEEPALL);
    const char *names[] = {"PEAR", "APPLE", "PLUM", "APRICOT"};
    for (const char *n : names)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)n);
    const char *order[] = {"APPLE", "APRICOT", "PEAR", "PLUM"};
    char buf[32];
    SendMessageA(list, CN_FILTER, 0, (LPARAM)"p");
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; i++) {
        SendMessageA(list, LB_GETTEXT, i, (LPARAM)buf);
        EXPECT_STREQ(buf, order[i]);
    }
    SendMessageA(list, CN_FILTER, 0, (LPARAM)"ap");
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    SendMessageA(list, LB_GETTEXT, 0, (LPARAM)buf);
    EXPECT_STREQ(buf, "APPLE");
}

TEST(ListBox, SelectedItemsIntoNoBufferFails)
{
    HWND list = make_list(LBS_MULTIPLESEL, 3);
    SendMessageA(list, LB_SETSEL, 1, -1);
    EXPECT_EQ(SendMessageA(list, LB_GETSELITEMS, 3, 0), LB_ERR);
    EXPECT_EQ(selected(list), std::vector<int>({0, 1, 2}));
}
