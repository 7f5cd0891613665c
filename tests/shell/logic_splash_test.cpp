/* Splash sources without windows: template expansion, the kind of a name
 * and the placement on one to three monitors. */
#include <gtest/gtest.h>

#include <string>

#include "splash.h"

static SplashSource Expand(const char *templ, const char *qm = "QM1", const char *group = "GRP")
{
    SplashSource s;
    SplashExpand(templ, qm, group, &s);
    return s;
}

TEST(SplashTemplate, NamesAndGroupsAreInserted)
{
    EXPECT_STREQ(Expand("C:\\splash\\%m.rtf").name, "C:\\splash\\QM1.rtf");
    EXPECT_STREQ(Expand("%g/%m-%m.txt").name, "GRP/QM1-QM1.txt");
    EXPECT_STREQ(Expand("C:\\splash\\%%m.rtf").name, "C:\\splash\\%m.rtf");
    EXPECT_STREQ(Expand("100%% %x %").name, "100% %x %");
    /* no location: nothing for %m and %g */
    EXPECT_STREQ(Expand("dir/%m%g.txt", nullptr, nullptr).name, "dir/.txt");
    EXPECT_STREQ(Expand("").name, "");
    SplashSource none;
    SplashExpand(nullptr, "QM1", nullptr, &none);
    EXPECT_STREQ(none.name, "");
    /* a long name is cut, never overrun */
    std::string big(3000, 'a');
    EXPECT_EQ(std::string(Expand((big + "%m").c_str()).name).size(), (size_t)SPLASH_NAME - 1);
}

TEST(SplashTemplate, BracketGivesTheSize)
{
    SplashSource s = Expand("%m.txt[600,400]");
    EXPECT_STREQ(s.name, "QM1.txt");
    EXPECT_EQ(s.cx, 600);
    EXPECT_EQ(s.cy, 400);
    s = Expand("a.txt[0,300]");
    EXPECT_EQ(s.cx, 0);
    EXPECT_EQ(s.cy, 300);
    s = Expand("a.txt[700]");
    EXPECT_EQ(s.cx, 700);
    EXPECT_EQ(s.cy, 0);
    s = Expand("a.txt[-5,x]");
    EXPECT_EQ(s.cx, 0);
    EXPECT_EQ(s.cy, 0);
    s = Expand("[600,400]");
    EXPECT_STREQ(s.name, "");
}

TEST(SplashTemplate, KindByEnding)
{
    EXPECT_EQ(SplashKindOf("a.txt"), SPLASH_TEXT);
    EXPECT_EQ(SplashKindOf("C:\\A.TXT"), SPLASH_TEXT);
    EXPECT_EQ(SplashKindOf("x.Rtf"), SPLASH_RTF);
    EXPECT_EQ(SplashKindOf("x.htm"), SPLASH_HTML);
    EXPECT_EQ(SplashKindOf("x.HTML"), SPLASH_HTML);
    EXPECT_EQ(SplashKindOf("http://host/page.txt"), SPLASH_WEB);
    EXPECT_EQ(SplashKindOf("x.doc"), SPLASH_OTHER);
    EXPECT_EQ(SplashKindOf("txt"), SPLASH_OTHER);
    EXPECT_EQ(SplashKindOf(""), SPLASH_OTHER);
    EXPECT_EQ(SplashKindOf(nullptr), SPLASH_OTHER);
}

static DisplayLayout Monitors(int n)
{
    DisplayLayout d = {};
    d.monitors = n;
    d.monitor[0] = {0, 0, 1600, 1000};
    d.monitor[1] = {1600, 0, 3520, 1200};
    d.monitor[2] = {-1280, 0, 0, 1024};
    d.desktop = n > 1 ? AreaRect{-1280, 0, 3520, 1200} : d.monitor[0];
    return d;
}

TEST(SplashPlacement, MonitorTheOwnerOverlapsMost)
{
    DisplayLayout one = Monitors(1), two = Monitors(2), three = Monitors(3);
    PlaceRect onSecond = {2000, 100, 400, 300};
    PlaceRect straddling = {1500, 100, 300, 300};       /* 100 wide on the first, 200 on the second */
    PlaceRect even = {1400, 100, 400, 300};             /* 200 on each */
    PlaceRect onThird = {-900, 10, 300, 300};
    EXPECT_EQ(SplashChooseMonitor(&one, &onSecond), 0);
    EXPECT_EQ(SplashChooseMonitor(&two, nullptr), 0);
    EXPECT_EQ(SplashChooseMonitor(&two, &onSecond), 1);
    EXPECT_EQ(SplashChooseMonitor(&two, &straddling), 1);
    EXPECT_EQ(SplashChooseMonitor(&two, &even), 1);     /* equal overlap: the second */
    EXPECT_EQ(SplashChooseMonitor(&three, &onThird), 2);
    EXPECT_EQ(SplashChooseMonitor(&two, &onThird), 1);  /* nowhere on two: equal (none) */
    PlaceRect onFirst = {10, 10, 100, 100};
    EXPECT_EQ(SplashChooseMonitor(&three, &onFirst), 0);
}

TEST(SplashPlacement, HalfTheMonitorOrTheGivenSizeCutAndCentred)
{
    AreaRect m = {1600, 0, 3520, 1200};
    PlaceRect r = SplashPlace(&m, 0, 0);
    EXPECT_EQ(r.cx, 960);
    EXPECT_EQ(r.cy, 600);
    EXPECT_EQ(r.x, 1600 + 480);
    EXPECT_EQ(r.y, 300);
    r = SplashPlace(&m, 600, 400);
    EXPECT_EQ(r.cx, 600);
    EXPECT_EQ(r.cy, 400);
    EXPECT_EQ(r.x, 1600 + 660);
    EXPECT_EQ(r.y, 400);
    r = SplashPlace(&m, 0, 400);                         /* a 0 part keeps the half */
    EXPECT_EQ(r.cx, 960);
    EXPECT_EQ(r.cy, 400);
    r = SplashPlace(&m, 6000, 4000);                     /* cut to the monitor */
    EXPECT_EQ(r.cx, 1920);
    EXPECT_EQ(r.cy, 1200);
    EXPECT_EQ(r.x, 1600);
    EXPECT_EQ(r.y, 0);
}
