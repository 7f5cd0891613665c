/* Scroll-bar state on a real window: bar codes, wheel steps, the
 * program's requests in 16 bits and the 32-bit entry point, totals that
 * shrink, and suspended bar updates. */
#include <gtest/gtest.h>
#include "tkharness.h"
#include "tkscroll.h"

struct ScrollFixture : ::testing::Test {
    HWND win = nullptr;
    ScrollState h = {}, v = {};
    void SetUp() override
    {
        HWND parent = TestParent();
        win = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, parent, NULL,
                              GetModuleHandleA(NULL), NULL);
        v.total = 100;
        v.page = 10;
        v.unit = 16;
        h.total = 500;
        h.page = 300;
        h.unit = 1;
        ScrollSetWheelLines(3);
    }
};

TEST_F(ScrollFixture, BarCodes)
{
    ScrollMessage(win, &h, &v, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(v.position, 1);
    ScrollMessage(win, &h, &v, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(v.position, 11);
    ScrollMessage(win, &h, &v, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(v.position, 90);                  /* the largest position */
    ScrollMessage(win, &h, &v, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(v.position, 90);
    ScrollMessage(win, &h, &v, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(v.position, 0);
    ScrollMessage(win, &h, &v, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(v.position, 0);
    v.page = 0;
    ScrollMessage(win, &h, &v, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(v.position, 1);                   /* page 0 moves one unit */
    ScrollMessage(win, &h, &v, WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(h.position, 200);
}

TEST_F(ScrollFixture, WheelSteps)
{
    ScrollMessage(win, &h, &v, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-360), 0);
    EXPECT_EQ(v.position, 9);                   /* three notches, 3 lines each */
    ScrollMessage(win, &h, &v, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, (WORD)(short)-360), 0);
    EXPECT_EQ(h.position, 90);                  /* 9 steps of 10 */
    ScrollMessage(win, &h, &v, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(v.position, 6);
    ScrollSetWheelLines(0);
    ScrollMessage(win, &h, &v, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(v.position, 6);                   /* no wheel lines: nothing */
}

TEST_F(ScrollFixture, ProgramRequests)
{
    ScrollMessage(win, &h, &v, SCROLL_REQ_SETPOS, 0, MAKELPARAM(1000, 50));
    EXPECT_EQ(h.position, 200);                 /* limited to the largest */
    EXPECT_EQ(v.position, 50);
    ScrollMessage(win, nullptr, &v, SCROLL_REQ_INVIEW, 0, MAKELPARAM(3, 1));
    EXPECT_EQ(v.position, 0);                   /* inside the first page: to the top */
    ScrollMessage(win, nullptr, &v, SCROLL_REQ_INVIEW, 0, MAKELPARAM(40, 1));
    EXPECT_EQ(v.position, 31);
    h.position = 0;
    ScrollMessage(win, &h, nullptr, SCROLL_REQ_INVIEW, MAKEWPARAM(450, 20), 0);
    EXPECT_EQ(h.position, 170);
}

/* A view of more than 65535 lines reaches a far line through the
 * 32-bit entry point; the 16-bit message form keeps its meaning. */
TEST_F(ScrollFixture, IntoViewBeyondSixteenBits)
{
    v.total = 200000;
    v.page = 40;
    ScrollIntoView(win, &v, 1, 150000, 1, nullptr);
    EXPECT_EQ(v.position, 150000 + 1 - 40);     /* the line at the bottom of the view */
    ScrollIntoView(win, &v, 1, 70000, 1, nullptr);
    EXPECT_EQ(v.position, 70000);
    ScrollIntoView(win, &v, 1, 70010, 1, nullptr);
    EXPECT_EQ(v.position, 70000);               /* already in view */
}

TEST_F(ScrollFixture, TotalsAndBars)
{
    v.position = 85;
    v.total = 50;                               /* shrinks below position + page */
    ScrollUpdateBars(win, &h, &v, 2);
    EXPECT_EQ(v.position, 40);
    SCROLLINFO si = {sizeof si, SIF_ALL};
    GetScrollInfo(win, SB_VERT, &si);
    EXPECT_EQ(si.nMax, 49);
    EXPECT_EQ(si.nPos, 40);
    v.total = 0;
    ScrollUpdateBars(win, &h, &v, 2);
    EXPECT_EQ(v.position, 0);
    EXPECT_EQ(ScrollLargest(&v), 0);
    h.flags = SCROLL_FOLLOWEND;
    h.position = 200;
    ScrollSetTotal(win, &h, nullptr, 800, 1);
    EXPECT_EQ(h.position, 500);                 /* kept at the end */
    EXPECT_EQ(h.needed, 1);
    ScrollEnableUpdates(win, &h, &v, 0);
    EXPECT_TRUE(v.flags & SCROLL_SUSPENDED);
    ScrollEnableUpdates(win, &h, &v, 1);
    EXPECT_FALSE(h.flags & SCROLL_SUSPENDED);
}

TEST_F(ScrollFixture, SizeChangedDropsBothBarsWhenTheyAloneNeedThem)
{
    int bar = GetSystemMetrics(SM_CYHSCROLL);
    h.total = 300 + bar - 1;
    h.page = 300;
    v.total = 11;
    v.page = 10;
    v.unit = (uint16_t)GetSystemMetrics(SM_CXVSCROLL);
    ScrollSizeChanged(win, &h, &v);
    EXPECT_EQ(h.page, h.total);
    EXPECT_EQ(v.page, v.total);
}

/* The vertical bar's pixels as the screen shows them. */
static std::vector<uint32_t> BarPixels(HWND hwnd)
{
    SCROLLBARINFO sbi = {sizeof sbi};
    GetScrollBarInfo(hwnd, OBJID_VSCROLL, &sbi);
    RECT wr;
    GetWindowRect(hwnd, &wr);
    int x = sbi.rcScrollBar.left - wr.left, y = sbi.rcScrollBar.top - wr.top;
    int w = sbi.rcScrollBar.right - sbi.rcScrollBar.left, h = sbi.rcScrollBar.bottom - sbi.rcScrollBar.top;
    std::vector<uint32_t> px;
    if (w <= 0 || h <= 0)
        return px;
    HDC wdc = GetWindowDC(hwnd);
    HDC mem = CreateCompatibleDC(wdc);
    void *bits = NULL;
    HBITMAP dib = Dib32(wdc, w, h, &bits);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, wdc, x, y, SRCCOPY);
    GdiFlush();
    px.assign((const uint32_t *)bits, (const uint32_t *)bits + (size_t)w * h);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(hwnd, wdc);
    return px;
}

/* Red over the whole window, frame and bar included. */
static void Smear(HWND hwnd)
{
    RECT wr;
    GetWindowRect(hwnd, &wr);
    RECT all = {0, 0, wr.right - wr.left, wr.bottom - wr.top};
    HDC wdc = GetWindowDC(hwnd);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(wdc, &all, red);
    DeleteObject(red);
    ReleaseDC(hwnd, wdc);
}

/* A bar that already shows the values is not drawn again; a change draws
 * it as a paint of the frame does, enabled and disabled with the range. */
TEST(ScrollBarUpdates, UnchangedValuesDrawNothingAndChangesDrawAsAPaintDoes)
{
    HWND parent = TestParent();
    HWND win = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, 300, 200, parent, NULL,
                               GetModuleHandleA(NULL), NULL);
    ASSERT_NE(win, nullptr);
    ScrollState v = {};
    v.total = 100;
    v.page = 10;
    v.unit = 16;
    v.position = 20;
    v.flags = SCROLL_DISABLENOSCROLL;
    ScrollUpdateBars(win, NULL, &v, 2);
    UpdateWindow(win);
    SCROLLINFO si = {sizeof si, SIF_ALL};
    GetScrollInfo(win, SB_VERT, &si);
    EXPECT_EQ(si.nMax, 99);
    EXPECT_EQ(si.nPage, 10u);
    EXPECT_EQ(si.nPos, 20);

    struct { int32_t total, position; int same; } steps[] = {
        {100, 20, 1}, {100, 30, 0}, {200, 30, 0}, {200, 30, 1}, {5, 0, 0}, {5, 0, 1}, {100, 0, 0}, {100, 0, 1},
    };
    for (auto &st : steps) {
        v.total = st.total;
        v.position = st.position;
        Smear(win);
        auto smeared = BarPixels(win);
        ScrollUpdateBars(win, NULL, &v, 2);
        auto updated = BarPixels(win);
        ASSERT_FALSE(updated.empty());
        if (st.same) {
            EXPECT_TRUE(updated == smeared) << st.total << " " << st.position;   /* not drawn again */
        } else {
            Smear(win);
            RedrawWindow(win, NULL, NULL, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
            auto painted = BarPixels(win);
            EXPECT_FALSE(painted == smeared);
            EXPECT_TRUE(updated == painted) << st.total << " " << st.position;
        }
        SCROLLBARINFO sbi = {sizeof sbi};
        ASSERT_TRUE(GetScrollBarInfo(win, OBJID_VSCROLL, &sbi));
        EXPECT_EQ((sbi.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) != 0, st.total <= 10) << st.total;
        GetScrollInfo(win, SB_VERT, &si);
        EXPECT_EQ(si.nMax, st.total - 1);
        EXPECT_EQ(si.nPos, st.position);
    }
    DestroyWindow(win);
}
