/* The version check's rules as functions of their inputs: month names,
 * the version-line parser, the verdicts, what an automatic result shows
 * and when the next automatic check is due. */
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "version.h"
#include "prfdata.h"
#include "shellhost.h"

static int Parse(const char *text, int32_t v[VER_NUMBERS])
{
    for (int i = 0; i < VER_NUMBERS; i++)
        v[i] = -7;
    return VerParseVersion(v, text, text + strlen(text));
}

TEST(VerText, MonthNamesByTheirFirstThreeLetters)
{
    EXPECT_EQ(MonthIndex("Jan", 3), 1);
    EXPECT_EQ(MonthIndex("december", 8), 12);
    EXPECT_EQ(MonthIndex("SEPTEMBER", 9), 9);
    EXPECT_EQ(MonthIndex("Mayday", 6), 5);      /* only three letters count */
    EXPECT_EQ(MonthIndex("Ju", 2), 0);
    EXPECT_EQ(MonthIndex("Jux", 3), 0);
    EXPECT_EQ(MonthIndex("Oct", 2), 0);         /* the length is respected */
    EXPECT_EQ(MonthIndex(nullptr, 3), 0);
}

TEST(VerText, ParserTakesFieldsInOrderAndSkipsWhatDoesNotFit)
{
    int32_t v[VER_NUMBERS];
    ASSERT_EQ(Parse("9.3.3 Mar  5 2024", v), 1);
    EXPECT_EQ(v[VER_MAJOR], 9);
    EXPECT_EQ(v[VER_MINOR], 3);
    EXPECT_EQ(v[VER_PATCH], 3);
    EXPECT_EQ(v[VER_MONTH], 2);
    EXPECT_EQ(v[VER_DAY], 5);
    EXPECT_EQ(v[VER_YEAR], 2024);

    /* separators are tokens of their own; words in the way are skipped */
    ASSERT_EQ(Parse("v9 10-2/17 (build) of <b>February</b> 14th,*2023\r\n", v), 1);
    EXPECT_EQ(v[VER_MAJOR], 10);
    EXPECT_EQ(v[VER_MINOR], 2);
    EXPECT_EQ(v[VER_PATCH], 17);
    EXPECT_EQ(v[VER_MONTH], 1);
    EXPECT_EQ(v[VER_DAY], 14);                  /* leading digits of "14th" */
    EXPECT_EQ(v[VER_YEAR], 2023);

    /* the month must be a month name: numbers before it are skipped */
    ASSERT_EQ(Parse("1.2.3 4 5 Jul 6 7", v), 1);
    EXPECT_EQ(v[VER_MONTH], 6);
    EXPECT_EQ(v[VER_DAY], 6);
    EXPECT_EQ(v[VER_YEAR], 7);

    /* huge numbers are held, not wrapped */
    ASSERT_EQ(Parse("99999999999999.0.0 Jan 1 2020", v), 1);
    EXPECT_EQ(v[VER_MAJOR], INT32_MAX);
}

TEST(VerText, LineWithoutYearFails)
{
    int32_t v[VER_NUMBERS];
    EXPECT_EQ(Parse("9.3.3 Mar 5", v), 0);
    EXPECT_EQ(Parse("9.3.3", v), 0);
    EXPECT_EQ(Parse("", v), 0);
    EXPECT_EQ(Parse("version unknown", v), 0);
    /* the end bound is respected: the year lies beyond it */
    const char *t = "1.2.3 May 4 2019";
    EXPECT_EQ(VerParseVersion(v, t, t + 12), 0);
}

TEST(VerText, OwnVersionIsTheVersionTextAndBuildDate)
{
    int32_t v[VER_NUMBERS] = {};
    ASSERT_EQ(VerOwnVersion(v), 1);
    EXPECT_EQ(v[VER_MAJOR], 9);
    EXPECT_EQ(v[VER_MINOR], 3);
    EXPECT_EQ(v[VER_PATCH], 3);
    EXPECT_GE(v[VER_YEAR], 2024);
    char text[50];
    VerNumberText(v, text, sizeof text);
    EXPECT_STREQ(text, "9.3.3");
    int32_t shown[VER_NUMBERS] = {2021, 10, 9, 1, 2, 3};
    VerDateText(shown, text, sizeof text);
    EXPECT_STREQ(text, "9 November 2021");
    int32_t none[VER_NUMBERS] = {};
    VerDateText(none, text, sizeof text);
    EXPECT_STREQ(text, "");
}

static TK47VERSION Result(int major, int minor, int patch, int year, int month, int day)
{
    TK47VERSION r = {};
    int32_t own[VER_NUMBERS] = {2024, 5, 15, 9, 3, 3};
    memcpy(r.own, own, sizeof own);
    int32_t page[VER_NUMBERS] = {year, month, day, major, minor, patch};
    memcpy(r.page, page, sizeof page);
    return r;
}

TEST(VerRules, FiveVerdictsAndTheReportedFlag)
{
    struct { TK47VERSION r; const char *text; int vcn; int newer; } cases[] = {
        {Result(9, 4, 0, 2000, 0, 1), "A later version of Ravolt is available.", 1, 0},
        {Result(10, 0, 0, 2030, 0, 1), "A later version of Ravolt is available.", 1, 1},
        {Result(9, 3, 2, 2030, 0, 1), "You are using a more recent version than is available for download.", 1, 1},
        {Result(9, 3, 3, 2024, 5, 16), "A later build of this Ravolt version is available.", 1, 1},
        {Result(9, 3, 3, 2024, 4, 30), "You are using a more recent build than is available for download.", 1, 0},
        {Result(9, 3, 3, 2024, 5, 15), "Your version of Ravolt is up to date.", 0, 0},
    };
    for (auto &c : cases) {
        Prf.vcn = 0;
        VerCompare(&c.r);
        EXPECT_STREQ(c.r.text, c.text);
        EXPECT_EQ(Prf.vcn, c.vcn) << c.text;
        EXPECT_EQ(VerSameBuildNewer(&c.r), c.newer) << c.text;
    }
    TK47VERSION same = Result(9, 3, 3, 2024, 5, 15);
    VerCompare(&same);
    EXPECT_EQ(same.sameVersion, 1);
    EXPECT_EQ(same.sameBuild, 1);
}

TEST(VerRules, WhatAnAutomaticResultShows)
{
    TK47VERSION newerVersion = Result(9, 4, 0, 2000, 0, 1);
    TK47VERSION newerBuild = Result(9, 3, 3, 2025, 0, 1);
    TK47VERSION older = Result(9, 3, 2, 2030, 0, 1);
    TK47VERSION failed = {};
    failed.failed = 1;
    EXPECT_EQ(VerResultAction('B', 0, &newerVersion), VER_SHOW_DIALOG);
    EXPECT_EQ(VerResultAction('B', 0, &newerBuild), VER_SHOW_DIALOG);
    EXPECT_EQ(VerResultAction('V', 0, &newerVersion), VER_SHOW_DIALOG);
    EXPECT_EQ(VerResultAction('V', 0, &newerBuild), VER_SHOW_NOTHING);
    EXPECT_EQ(VerResultAction('B', 0, &older), VER_SHOW_NOTHING);
    EXPECT_EQ(VerResultAction('N', 0, &newerVersion), VER_SHOW_NOTHING);
    for (int vcf = 1; vcf <= 4; vcf++)
        EXPECT_EQ(VerResultAction('B', vcf, &failed), VER_SHOW_NOTHING) << vcf;
    EXPECT_EQ(VerResultAction('B', 5, &failed), VER_SHOW_FAILURE);
    EXPECT_EQ(VerResultAction('V', 9, &failed), VER_SHOW_FAILURE);
    EXPECT_EQ(VerResultAction('N', 9, &failed), VER_SHOW_NOTHING);
}

TEST(VerRules, ScheduleOfAutomaticChecks)
{
    EXPECT_TRUE(VerTickConsidered(60));
    EXPECT_TRUE(VerTickConsidered(60 + 86400));
    EXPECT_FALSE(VerTickConsidered(7));
    EXPECT_FALSE(VerTickConsidered(61));
    EXPECT_FALSE(VerTickConsidered(60 - 86400 + 1));

    int64_t now = 1700000000;
    Prf.vct = 'B';
    Prf.vcf = 0;
    Prf.vcn = 0;
    Prf.vcl = now - 86400;
    EXPECT_EQ(VerCheckInterval(), 86400);
    EXPECT_TRUE(VerCheckDue(now));
    Prf.vcl = now - 86399;
    EXPECT_FALSE(VerCheckDue(now));
    Prf.vcn = 1;                                /* a difference was reported: weekly */
    Prf.vcl = now - 86400;
    EXPECT_EQ(VerCheckInterval(), 604800);
    EXPECT_FALSE(VerCheckDue(now));
    Prf.vcf = 2;                                /* failing: daily again */
    EXPECT_EQ(VerCheckInterval(), 86400);
    EXPECT_TRUE(VerCheckDue(now));
    Prf.vct = 'N';
    Prf.vcl = 0;
    EXPECT_FALSE(VerCheckDue(now));
    Prf.vct = 'B';
    Prf.vcf = 0;
    Prf.vcn = 0;
}
