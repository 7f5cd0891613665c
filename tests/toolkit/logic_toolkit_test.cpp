/* Window-free arithmetic of the toolkit: colours, placement, spreading,
 * sound gating, scrolling targets, spinner dates, toolbar widths, caption
 * choice, tip line breaking and box texts. */
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <string>
#include "tklogic.h"

TEST(Colour, ShadeAndBlend)
{
    EXPECT_EQ(WinShadeColour(TK_RGB(255, 255, 255), -2), TK_RGB(175, 175, 175));
    EXPECT_EQ(WinShadeColour(TK_RGB(0, 0, 0), -2), TK_RGB(150, 150, 150));
    EXPECT_EQ(WinShadeColour(TK_RGB(0, 100, 200), 50), TK_RGB(127, 177, 227));
    EXPECT_EQ(WinShadeColour(TK_RGB(200, 10, 120), 1), TK_RGB(255, 160, 255));
    EXPECT_EQ(WinShadeColour(TK_RGB(200, 10, 120), -1), TK_RGB(120, 0, 40));
    /* darkening by a tenth: each channel less a tenth of itself */
    EXPECT_EQ(WinShadeColour(TK_RGB(200, 100, 55), -10), TK_RGB(180, 90, 50));
    EXPECT_EQ(WinBlendColour(TK_RGB(0, 0, 0), TK_RGB(255, 255, 255), 50), TK_RGB(128, 128, 128));
    EXPECT_EQ(WinBlendColour(TK_RGB(255, 0, 0), TK_RGB(0, 0, 255), 100), TK_RGB(255, 0, 0));
}

static void spread(int width, std::initializer_list<int> widths, std::vector<SpreadItem> &it)
{
    it.clear();
    for (int w : widths)
        it.push_back({0, 0, w, 0});
    WinSpreadItems(width, (int)it.size(), it.data());
}

TEST(Placement, SpreadItems)
{
    std::vector<SpreadItem> it;
    spread(100, {10, 20, 30}, it);
    EXPECT_EQ(it[0].pos, 0); EXPECT_EQ(it[1].pos, 30); EXPECT_EQ(it[2].pos, 70);
    spread(101, {10, 20, 30}, it);
    EXPECT_EQ(it[1].pos, 31); EXPECT_EQ(it[2].pos, 71);
    spread(100, {40, 40, 40}, it);
    EXPECT_EQ(it[0].width, 33); EXPECT_EQ(it[1].width, 33); EXPECT_EQ(it[2].width, 34);
    EXPECT_EQ(it[0].pos, 0); EXPECT_EQ(it[1].pos, 33); EXPECT_EQ(it[2].pos, 66);
    spread(50, {80}, it);
    EXPECT_EQ(it[0].pos, 0); EXPECT_EQ(it[0].width, 50);
    WinSpreadItems(10, 0, nullptr);   /* no items: nothing touched */
}

TEST(Placement, FitRect)
{
    AreaRect a = {0, 0, 1200, 900};
    PlaceRect r = {10, 10, 0, 0};
    WinFitRectIn(&r, 1, FIT_THIRD, &a);
    EXPECT_EQ(r.cx, 400);
    EXPECT_EQ(r.cy, 300);
    r = {10, 10, 100, 500};
    WinFitRectIn(&r, 1, FIT_THIRD, &a);
    EXPECT_EQ(r.cx, 600);                 /* below a fifth: half */
    r = {10, 10, 100, 500};
    WinFitRectIn(&r, 1, FIT_THIRD | FIT_KEEP_SMALL, &a);
    EXPECT_EQ(r.cx, 100);
    r = {1000, 800, 5000, 300};
    WinFitRectIn(&r, 1, FIT_TWO_THIRDS, &a);
    EXPECT_EQ(r.cx, 1200);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 600);
    r = {INT32_MIN, 5000, 0, 0};
    WinFitRectIn(&r, 1, FIT_THIRD, &a);  /* no position: only resized */
    EXPECT_EQ(r.x, INT32_MIN);
    EXPECT_EQ(r.y, 5000);
    EXPECT_EQ(r.cx, 400);
}

TEST(Placement, ChooseMonitor)
{
    DisplayLayout d = {};
    d.monitors = 2;
    d.desktop = {0, 0, 3200, 1000};
    d.monitor[0] = {0, 0, 1600, 1000};
    d.monitor[1] = {1600, 0, 3200, 1000};
    PlaceRect r = {1500, 100, 400, 300};    /* mostly on the second */
    AreaRect a = WinChooseFitArea(&d, &r, 0);
    EXPECT_EQ(a.left, 1600);
    r = {1300, 100, 400, 300};              /* mostly on the first */
    EXPECT_EQ(WinChooseFitArea(&d, &r, 0).left, 0);
    EXPECT_EQ(WinChooseFitArea(&d, &r, 1).right, 3200);   /* whole desktop */
    d.monitors = 1;
    d.desktop = {0, 0, 1600, 960};
    EXPECT_EQ(WinChooseFitArea(&d, &r, 0).bottom, 960);
    EXPECT_EQ(WinRectOverlap(&r, &d.monitor[1]), 100 * 300);
    PlaceRect empty = {0, 0, 0, 10};
    EXPECT_EQ(WinRectOverlap(&empty, &d.monitor[0]), 0);
}

TEST(Placement, ComparePoint)
{
    TkPoint a = {5, 1}, b = {1, 2}, c = {5, 1};
    EXPECT_EQ(WinComparePoint(&a, &b), -1);
    EXPECT_EQ(WinComparePoint(&b, &a), 1);
    EXPECT_EQ(WinComparePoint(&a, &c), 0);
}

TEST(Sound, IntervalsAndGaps)
{
    SoundTimes t;
    EXPECT_EQ(SoundParseTimes("5:60:2", &t), 3);
    EXPECT_EQ(t.alertGap, 5); EXPECT_EQ(t.alertRun, 60); EXPECT_EQ(t.otherGap, 2);
    EXPECT_EQ(SoundParseTimes("7", &t), 1);
    EXPECT_EQ(t.alertGap, 7); EXPECT_EQ(t.alertRun, 0);
    SoundParseTimes("5:0:2", &t);
    SoundGate g = {};
    EXPECT_TRUE(SoundGateAllow(&g, &t, 1, 1000));
    EXPECT_FALSE(SoundGateAllow(&g, &t, 1, 1004));   /* within the first interval */
    EXPECT_TRUE(SoundGateAllow(&g, &t, 1, 1005));
    EXPECT_TRUE(SoundGateAllow(&g, &t, 0, 1010));
    EXPECT_FALSE(SoundGateAllow(&g, &t, 0, 1011));   /* other sounds: third interval */
    EXPECT_TRUE(SoundGateAllow(&g, &t, 0, 1012));
}

/* A run of alerts ends when no alert was asked for during a whole second
 * interval; alerts sound again afterwards instead of staying silent. */
TEST(Sound, AlertRunEndsAfterQuietInterval)
{
    SoundTimes t;
    SoundParseTimes("0:10", &t);
    SoundGate g = {};
    EXPECT_TRUE(SoundGateAllow(&g, &t, 1, 100));
    EXPECT_TRUE(SoundGateAllow(&g, &t, 1, 105));
    EXPECT_FALSE(SoundGateAllow(&g, &t, 1, 110));    /* the run is 10 s long */
    EXPECT_FALSE(SoundGateAllow(&g, &t, 1, 115));    /* still asked for: still silent */
    EXPECT_FALSE(SoundGateAllow(&g, &t, 1, 124));
    EXPECT_TRUE(SoundGateAllow(&g, &t, 1, 134));     /* 10 s quiet: a new run */
    EXPECT_TRUE(SoundGateAllow(&g, &t, 1, 140));
    EXPECT_FALSE(SoundGateAllow(&g, &t, 1, 144));
}

TEST(Scroll, IntoViewTargets)
{
    int32_t t = -1;
    /* already inside the first page: to the top */
    EXPECT_TRUE(ScrollIntoViewTarget(3, 10, 2, 1, &t));
    EXPECT_EQ(t, 0);
    /* past the end of the view: the range's end at the bottom */
    EXPECT_TRUE(ScrollIntoViewTarget(0, 10, 14, 1, &t));
    EXPECT_EQ(t, 5);
    /* a range reaching more than 100 units into the view past its end: nothing */
    EXPECT_FALSE(ScrollIntoViewTarget(0, 200, 0, 500, &t));
    /* inside the view, not on the first page: nothing */
    EXPECT_FALSE(ScrollIntoViewTarget(20, 10, 25, 1, &t));
    /* above the view: to its start */
    EXPECT_TRUE(ScrollIntoViewTarget(50, 10, 30, 1, &t));
    EXPECT_EQ(t, 30);
    /* positions past 16 bits */
    EXPECT_TRUE(ScrollIntoViewTarget(100000, 40, 70000, 1, &t));
    EXPECT_EQ(t, 70000);
}

TEST(Spinner, DaysInMonth)
{
    EXPECT_EQ(SpinDaysInMonth(1, 2024), 29);
    EXPECT_EQ(SpinDaysInMonth(1, 2023), 28);
    EXPECT_EQ(SpinDaysInMonth(1, 1900), 28);
    EXPECT_EQ(SpinDaysInMonth(1, 2000), 29);
    EXPECT_EQ(SpinDaysInMonth(3, 2023), 30);
    EXPECT_EQ(SpinDaysInMonth(11, 2023), 31);
    EXPECT_EQ(SpinDaysInMonth(12, 2023), 31);   /* out of range */
}

static ToolbarButton tb(int32_t id, uint32_t flags, int32_t key, int32_t width, int32_t group = 0, int32_t base = 0)
{
    ToolbarButton b = {};
    b.id = id;
    b.flags = flags;
    b.key = key;
    b.width = width;
    b.group = group;
    b.base = base;
    return b;
}

TEST(Toolbar, PrepareSortsWidthsAndGroups)
{
    ToolbarButton b[] = {
        tb(0, TBB_SEP, 1, 0), tb(0, TBB_SEP, 2, 0), tb(11, 0, 3, 2), tb(12, 0, 4, -7),
        tb(0, TBB_SEP, 5, 0), tb(0, TBB_SEP, 6, 0), tb(21, 0, 7, 0, 9), tb(22, TBB_STARTTICK, 8, 0, 9),
        tb(0, TBB_SEP, 10, 0), tb(0, 0, 11, 0),
    };
    std::swap(b[2], b[3]);                      /* out of key order */
    TbPrepareButtons(b, 10);
    EXPECT_EQ(b[2].id, 11);
    EXPECT_EQ(b[0].width, 0);                   /* separator first */
    EXPECT_EQ(b[1].width, 0);                   /* after a separator */
    EXPECT_EQ(b[2].width, 40);
    EXPECT_EQ(b[3].width, 7);
    EXPECT_EQ(b[4].width, 20);
    EXPECT_EQ(b[5].width, 0);                   /* two in a row */
    EXPECT_TRUE(b[6].flags & TBB_CHECK);
    EXPECT_FALSE(b[6].flags & TBB_TICKED);      /* the later 0x80 takes the tick */
    EXPECT_TRUE(b[7].flags & TBB_TICKED);
    EXPECT_EQ(b[8].width, 0);                   /* trailing separator and spacer */
    EXPECT_EQ(b[9].width, 0);
}

TEST(Toolbar, WidthSharing)
{
    ToolbarButton b[] = {tb(1, 0, 0, 0), tb(0, TBB_STRETCH, 1, 0), tb(0, TBB_STRETCH, 2, 0)};
    TbPrepareButtons(b, 3);
    b[1].width = b[2].width = 0;
    TbShareWidths(b, 3, 31);                    /* 11 free pixels */
    EXPECT_EQ(b[1].width, 6);
    EXPECT_EQ(b[2].width, 5);
    b[2].base = 4;
    TbShareWidths(b, 3, 31);
    EXPECT_EQ(b[2].width, 4);
    ToolbarButton s[] = {tb(1, TBB_SHRINK, 0, 3), tb(2, TBB_SHRINK, 1, 3), tb(3, 0, 2, 1)};
    TbPrepareButtons(s, 3);
    TbShareWidths(s, 3, 100);                   /* 140 wanted: shrinkables give 40 */
    EXPECT_EQ(s[0].width + s[1].width + s[2].width, 100);
    EXPECT_EQ(s[2].width, 20);
    TbShareWidths(s, 3, 400);                   /* back to their base widths */
    EXPECT_EQ(s[0].width, 60);
}

/* A bar narrower than its buttons: a button that would pass the edge
 * starts the next row; one wider than the bar stands alone on its row. */
TEST(Toolbar, NarrowBarsWrapOntoRows)
{
    ToolbarButton b[] = {tb(1, 0, 0, 1), tb(2, 0, 1, 1), tb(3, 0, 2, 1), tb(4, 0, 3, -100), tb(5, 0, 4, 1)};
    TbPrepareButtons(b, 5);                     /* 20, 20, 20, 100, 20 pixels */
    int32_t x, row;
    TbWrapPlace(b, 5, 50, 1, &x, &row);
    EXPECT_EQ(x, 20);
    EXPECT_EQ(row, 0);
    TbWrapPlace(b, 5, 50, 2, &x, &row);         /* 40 + 20 passes 50 */
    EXPECT_EQ(x, 0);
    EXPECT_EQ(row, 1);
    TbWrapPlace(b, 5, 50, 3, &x, &row);         /* wider than the bar */
    EXPECT_EQ(x, 0);
    EXPECT_EQ(row, 2);
    TbWrapPlace(b, 5, 50, 4, &x, &row);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(TbWrapRows(b, 5, 50), 4);
    EXPECT_EQ(TbWrapRows(b, 5, 180), 1);        /* exactly as wide: one row */
    EXPECT_EQ(TbWrapRows(b, 5, 0), 1);          /* not sized yet */
}

TEST(Toolbar, TooltipAndCaptionTexts)
{
    char out[64];
    TbTooltipText("&Refresh list\tF5", out, sizeof out);
    EXPECT_STREQ(out, "Refresh list");
    const char *texts[3] = {"a very long text", "medium", ""};
    uint32_t widths[3] = {200, 80, 0};
    EXPECT_EQ(CaptionChooseEntry(widths, texts, 100, 400), 0);
    EXPECT_EQ(CaptionChooseEntry(widths, texts, 100, 250), 1);
    EXPECT_EQ(CaptionChooseEntry(widths, texts, 100, 150), -1);
}

/* every character 10 pixels wide */
static int ten(void *, const char *, int n)
{
    return n * 10;
}

TEST(Tip, LineBreaking)
{
    TipLine l[60];
    const char *t = "short\nthis line is much too wide\nend";
    int n = TipBreakLines(t, (int)strlen(t), 100, 0, ten, nullptr, l, 60);
    ASSERT_EQ(n, 5);
    EXPECT_EQ(std::string(t + l[0].start, l[0].length), "short");
    EXPECT_EQ(std::string(t + l[1].start, l[1].length), "this line ");   /* broken inside a word */
    EXPECT_EQ(std::string(t + l[2].start, l[2].length), "is much to");
    EXPECT_EQ(std::string(t + l[4].start, l[4].length), "end");
    EXPECT_EQ(TipBreakLines(t, (int)strlen(t), 100, 1, ten, nullptr, l, 60), 1);   /* title */
    /* more lines than room: the rest is dropped */
    std::string many;
    for (int i = 0; i < 100; i++) many += "x\n";
    EXPECT_EQ(TipBreakLines(many.c_str(), (int)many.size(), 100, 0, ten, nullptr, l, 60), 60);
    /* a limit below one character still advances */
    EXPECT_EQ(TipBreakLines("abc\nd", 5, 5, 0, ten, nullptr, l, 60), 4);
}

TEST(Text, FilterMatchAndBoxTexts)
{
    EXPECT_TRUE(TkContainsNoCase("SYSTEM.ADMIN.QUEUE", "min"));
    EXPECT_FALSE(TkContainsNoCase("SYSTEM", "xyz"));
    EXPECT_TRUE(TkContainsNoCase("abc", ""));
    char buf[500];
    WinOpErrorText(buf, sizeof buf, "Open failed", 5, "Access is denied.");
    EXPECT_STREQ(buf, "Open failed\n\nLast error = 5 (X'5') \n\nAccess is denied.");
    std::string longText(800, 'a');
    WinOpErrorText(buf, sizeof buf, longText.c_str(), 255, "sys");
    EXPECT_LT(strlen(buf), 500u);
    EXPECT_NE(strstr(buf, "Last error = 255 (X'FF') "), nullptr);   /* always kept */
    UtilLogLine(buf, sizeof buf, "Error", "text");
    EXPECT_STREQ(buf, "Error                    :text\n");
    UtilLogLine(buf, sizeof buf, "A caption of more than 25 chars", "t");
    EXPECT_STREQ(buf, "A caption of more than 25 chars:t\n");
}
