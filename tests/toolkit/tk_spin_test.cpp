/* ZKTSPINNERS: carries across month and year ends and leap days, the
 * interval table, keys, wheel and bars with the repeat timer driven by
 * hand, check boxes that disable groups, and change reports. */
#include <gtest/gtest.h>
#include "tkharness.h"
#include "tkspin.h"

static HWND make_spinner(const SpinDefBlock *def, DWORD style = SPS_REPORTALL)
{
    HWND parent = TestParent();
    HWND s = CreateWindowExA(0, ZKT_SPINNERS, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 400, 40, parent,
                             (HMENU)33, GetModuleHandleA(NULL), (LPVOID)def);
    ClearGot();
    return s;
}

/* day, month, year, hour, minutes, seconds, hundredths */
static void set_date(HWND s, int d, int m, int y, int hh = 0, int mm = 0, int ss = 0, int cc = 0)
{
    int64_t v[7] = {d, m, y, hh, mm, ss, cc};
    SpinSetValues(s, 7, v);
}

static std::vector<int64_t> values(HWND s, int n = 7)
{
    std::vector<int64_t> v(n);
    SpinGetValues(s, n, v.data());
    return v;
}

/* x at the middle of the n-th number field (0-based), found by probing */
static int field_x(HWND s, int n)
{
    int seen = -1, last = -2;
    for (int x = 0; x < 400; x++) {
        SendMessageA(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 20));
        SendMessageA(s, WM_LBUTTONUP, 0, MAKELPARAM(x, 20));
        /* the field becomes current; probe with an Up and Down to learn which */
        std::vector<int64_t> before = values(s, 7);
        SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
        std::vector<int64_t> after = values(s, 7);
        SendMessageA(s, WM_KEYDOWN, VK_DOWN, 0);
        int changed = -1;
        for (int i = 0; i < 7; i++)
            if (before[i] != after[i]) { changed = i; break; }
        if (changed >= 0 && changed != last) {
            seen = changed;
            last = changed;
        }
        if (seen == n)
            return x + 2;
    }
    return -1;
}

TEST(Spinner, DayCarriesThroughLeapFebruary)
{
    HWND s = make_spinner(&SpinDateTime);
    set_date(s, 28, 1, 2024);
    int dx = field_x(s, 0);
    ASSERT_GE(dx, 0);
    set_date(s, 28, 1, 2024);
    Click(s, dx, 20);
    SetFocus(s);
    SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(values(s)[0], 29);
    SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(values(s), std::vector<int64_t>({1, 2, 2024, 0, 0, 0, 0}));   /* 1 Mar */
    set_date(s, 1, 2, 2023);
    SendMessageA(s, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(values(s), std::vector<int64_t>({28, 1, 2023, 0, 0, 0, 0}));  /* 28 Feb */
    auto rep = Got(SPM_NOTIFY);
    ASSERT_FALSE(rep.empty());
    SpinNotifyBlock b;
    memcpy(&b, rep.back().block, sizeof b);
    EXPECT_EQ(b.code, (uint32_t)SPN_CHANGED);
    EXPECT_EQ(b.ctlId, 33u);
}

TEST(Spinner, MonthAndYearEnds)
{
    HWND s = make_spinner(&SpinDateTime);
    int mx = field_x(s, 1);
    ASSERT_GE(mx, 0);
    set_date(s, 15, 11, 2023);
    Click(s, mx, 20);
    SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(values(s), std::vector<int64_t>({15, 0, 2024, 0, 0, 0, 0}));
    set_date(s, 31, 11, 3000);
    SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(values(s)[2], 3000);             /* the year never wraps */
    EXPECT_EQ(values(s)[1], 0);
}

TEST(Spinner, HundredthsCarryIntoTheDay)
{
    HWND s = make_spinner(&SpinDateTime);
    int cx = field_x(s, 6);
    ASSERT_GE(cx, 0);
    set_date(s, 31, 11, 2023, 23, 59, 59, 99);
    Click(s, cx, 20);
    SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(values(s), std::vector<int64_t>({1, 0, 2024, 0, 0, 0, 0}));
    SpinSetState(s, 1);                        /* state on: no carries */
    set_date(s, 31, 11, 2023, 23, 59, 59, 99);
    SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(values(s), std::vector<int64_t>({31, 11, 2023, 23, 59, 59, 0}));
}

TEST(Spinner, IntervalHoursIntoDays)
{
    HWND s = make_spinner(&SpinInterval);
    int64_t v[5] = {3, 23, 10, 0, 0};
    SpinSetValues(s, 5, v);
    int hx = -1;
    /* the second number field of the interval is the hour */
    for (int x = 0; x < 400 && hx < 0; x++) {
        Click(s, x, 20);
        std::vector<int64_t> before = values(s, 5);
        SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
        std::vector<int64_t> after = values(s, 5);
        if (after[0] == 4 && after[1] == 0)
            hx = x;
        else
            SpinSetValues(s, 5, v);
    }
    ASSERT_GE(hx, 0);
    EXPECT_EQ(values(s, 5), std::vector<int64_t>({4, 0, 10, 0, 0}));
    SendMessageA(s, WM_KEYDOWN, VK_LEFT, 0);   /* to the days */
    Key(s, VK_UP, true);                       /* Shift: ten */
    EXPECT_EQ(values(s, 5)[0], 14);
    SendMessageA(s, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, (WORD)(short)-120), 0);
    EXPECT_EQ(values(s, 5)[0], 9);
    SendMessageA(s, WM_KEYDOWN, VK_SPACE, 0);  /* reset to 0 */
    EXPECT_EQ(values(s, 5)[0], 0);
}

TEST(Spinner, NowDisablesTheDateFields)
{
    HWND s = make_spinner(&SpinDateTimeNow);
    set_date(s, 10, 4, 2024);
    EXPECT_EQ(SpinGetField(s, 1010), 0);
    SpinSetCheck(s, 1010, 1);
    EXPECT_EQ(SpinGetField(s, 1010), 1);
    auto rep = Got(SPM_NOTIFY);
    ASSERT_FALSE(rep.empty());
    SpinNotifyBlock b;
    memcpy(&b, rep.back().block, sizeof b);
    EXPECT_EQ(b.code, (uint32_t)SPN_TICKED);
    EXPECT_EQ(b.fieldId, 1010u);
    /* no date or time field can become current: clicks and keys change nothing */
    for (int x = 0; x < 400; x += 3) {
        Click(s, x, 20);
        SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
    }
    EXPECT_EQ(values(s), std::vector<int64_t>({10, 4, 2024, 0, 0, 0, 0}));
    EXPECT_EQ(SpinGetField(s, 1010), 1);
    /* grey text: no pixel of the default text colour in the value row */
    int w, h;
    auto px = Capture(s, &w, &h);
    int black = 0;
    for (uint32_t p : px)
        black += p == 0;
    SpinSetCheck(s, 1010, 0);
    auto px2 = Capture(s, &w, &h);
    int black2 = 0;
    for (uint32_t p : px2)
        black2 += p == 0;
    EXPECT_GT(black2, black);
}

TEST(Spinner, BarsRepeatFasterAndFaster)
{
    HWND s = make_spinner(&SpinDateTime, 0);
    int yx = field_x(s, 2);
    ASSERT_GE(yx, 0);
    set_date(s, 1, 0, 2000);
    Click(s, yx, 20);
    SetFocus(s);
    /* the up bar lies above the value row */
    int y = 0;
    for (; y < 40; y++) {
        SendMessageA(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(yx, y));
        if (values(s)[2] != 2000)
            break;
        SendMessageA(s, WM_LBUTTONUP, 0, MAKELPARAM(yx, y));
    }
    ASSERT_EQ(values(s)[2], 2001);             /* one step at once */
    for (int tick = 1; tick <= 40; tick++) {
        SendMessageA(s, WM_TIMER, 25, 0);
        if (tick == 7) {
            EXPECT_EQ(values(s)[2], 2002);      /* after 700 ms */
        }
        if (tick == 13) {
            EXPECT_EQ(values(s)[2], 2003);      /* 600 ms later */
        }
    }
    /* 7+6+5+4+3+2 = 27 ticks for six steps, then one a tick */
    EXPECT_EQ(values(s)[2], 2001 + 6 + 13);
    SendMessageA(s, WM_LBUTTONUP, 0, MAKELPARAM(yx, y));
    int64_t after = values(s)[2];
    SendMessageA(s, WM_TIMER, 25, 0);
    EXPECT_EQ(values(s)[2], after);            /* released: no more steps */
    EXPECT_TRUE(Got(SPM_NOTIFY).empty());      /* style reports nothing */
}

TEST(Spinner, SizeAndLeadingCheckBox)
{
    HWND s = make_spinner(&SpinDateTime, SPS_CHECK | SPS_REPORTALL);
    int w, h;
    SpinGetSize(s, &w, &h);
    EXPECT_GT(w, 50);
    EXPECT_GT(h, 8);
    EXPECT_EQ(SpinGetField(s, -1), 1);         /* the leading check box starts ticked */
    int dx = field_x(s, 0);
    ASSERT_GE(dx, 0);
    SpinSetCheck(s, -1, 0);
    set_date(s, 5, 5, 2020);
    Click(s, dx, 20);
    SendMessageA(s, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(values(s), std::vector<int64_t>({5, 5, 2020, 0, 0, 0, 0}));   /* all disabled */
    EnableWindow(s, FALSE);
    EXPECT_EQ(SpinGetField(s, 12345), 0);
}
