/* Dates, times and intervals, with the time zone fixed by the test (the
 * host's zone is UTC in the test environment). */
#include "csdate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

/* Central European time of 2024: +1 hour, +2 hours from 31 March to
 * 27 October (01:00 UTC each). */
static int Europe(int64_t utc, CSZoneInfo *zone)
{
    int dst = utc >= 1711846800 && utc < 1729990800;
    zone->standardOffset = 3600;
    zone->offset = dst ? 7200 : 3600;
    zone->isDst = dst;
    return 1;
}

static int Minus5(int64_t, CSZoneInfo *zone)
{
    zone->standardOffset = zone->offset = -5 * 3600;
    zone->isDst = 0;
    return 1;
}

class DateTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        CSSetTimeZoneProc(nullptr);
        CSSetCurrentTime(0);
    }
};

static std::string Adjust(const char *date, const char *time, int minutes)
{
    char d[9], t[9];
    memcpy(d, date, 9);
    memcpy(t, time, 9);
    CSAdjustDateTime(d, t, minutes);
    return std::string(d) + " " + t;
}

TEST_F(DateTest, AdjustAcrossDaysMonthsYearsAndLeapDays)
{
    EXPECT_EQ(Adjust("20240131", "23500000", 20), "20240201 00100000");
    EXPECT_EQ(Adjust("20240301", "00100000", -20), "20240229 23500000");
    EXPECT_EQ(Adjust("20230301", "00100000", -20), "20230228 23500000");
    EXPECT_EQ(Adjust("20231231", "23500000", 20), "20240101 00100000");
    EXPECT_EQ(Adjust("20240101", "00100000", -20), "20231231 23500000");
    EXPECT_EQ(Adjust("20240228", "23500000", 20), "20240229 00100000");
    EXPECT_EQ(Adjust("21000228", "23500000", 20), "21000301 00100000");
    EXPECT_EQ(Adjust("20240615", "12000000", 330), "20240615 17300000");
    EXPECT_EQ(Adjust("20240615", "12000000", -14 * 60), "20240614 22000000");
    EXPECT_EQ(Adjust("20240615", "12345678", 0), "20240615 12345678");
    EXPECT_EQ(Adjust("20240615", "1234  78", 60), "20240615 1234  78");   /* not digits */
    EXPECT_EQ(Adjust("2024XX15", "23000000", 120), "2024XX15 01000000");  /* date left */
    EXPECT_EQ(Adjust("20240115", "00000000", 60 * 24 * 45), "20240229 00000000");
    CSAdjustDateTime(nullptr, nullptr, 5);

    EXPECT_EQ(CSDaysInMonth(2000, 2), 29);
    EXPECT_EQ(CSDaysInMonth(2024, 2), 29);
    EXPECT_EQ(CSDaysInMonth(1900, 2), 28);
    EXPECT_EQ(CSDaysInMonth(2023, 2), 28);
    EXPECT_EQ(CSDaysInMonth(2023, 4), 30);
    EXPECT_EQ(CSDaysInMonth(2023, 12), 31);
    EXPECT_EQ(CSDaysInMonth(2023, 13), 0);
}

TEST_F(DateTest, StampsToTimeValues)
{
    EXPECT_EQ(UTMQTimeToTimeGmt("19700101", "00000000"), 0);
    EXPECT_EQ(UTMQTimeToTimeGmt("20240229", "12000000"), 1709208000);
    EXPECT_EQ(UTMQTimeToTimeGmt("20240230", "12000000"), -1);
    EXPECT_EQ(UTMQTimeToTimeGmt("        ", "12000000"), -1);
    EXPECT_EQ(UTMQTimeToTimeGmt(nullptr, "12000000"), -1);
    EXPECT_EQ(UTMQTimeToTimeGmt("20240229", "24000000"), -1);

    /* The host's zone is UTC here. */
    EXPECT_EQ(UTMQTimeToTime("20240229", "12000000"), 1709208000);

    CSSetTimeZoneProc(Europe);
    /* Local standard time: one hour ahead of UTC, summer or not. */
    EXPECT_EQ(UTMQTimeToTime("20240229", "12000000"), 1709208000 - 3600);
    EXPECT_EQ(UTMQTimeToTime("20240701", "12000000"), 1719835200 - 3600);
    /* Display texts: daylight saving as the zone has it. */
    EXPECT_EQ(UTDateTimeToTime("2024-07-01", 10, "12.00.00", 8), 1719835200 - 7200);
    EXPECT_EQ(UTDateTimeToTime("2024-02-29", 10, "12.00.00", 8), 1709208000 - 3600);
    EXPECT_EQ(UTDateTimeToTime("2024-02", 7, "12.00.00", 8), 12 * 3600 - 3600);
    EXPECT_EQ(UTDateTimeToTime("2024-02-29", 10, "12.00", 5), 1709164800 - 3600);
}

TEST_F(DateTest, StampsToLocalTexts)
{
    char date[16], time[9];
    time[8] = 0;
    UTMQTimeToLocal("20241231", "23300000", date, time);
    EXPECT_STREQ(date, "2024-12-31");
    EXPECT_STREQ(time, "23.30.00");

    CSSetTimeZoneProc(Europe);
    UTMQTimeToLocal("20241231", "23300000", date, time);       /* into the new year */
    EXPECT_STREQ(date, "2025-01-01");
    EXPECT_STREQ(time, "00.30.00");
    UTMQTimeToLocal("20240630", "22150099", date, time);       /* summer: +2 */
    EXPECT_STREQ(date, "2024-07-01");
    EXPECT_STREQ(time, "00.15.00");
    UTMQTimeToLocal("2024063", "22150099", date, time);
    EXPECT_STREQ(date, "0000-00-00");
    EXPECT_STREQ(time, "00.00.00");

    CSSetTimeZoneProc(Minus5);
    UTMQTimeToLocal("20240301", "03000000", date, time);       /* back to the leap day */
    EXPECT_STREQ(date, "2024-02-29");
    EXPECT_STREQ(time, "22.00.00");

    CSSetCurrentTime(1709208000);
    EXPECT_EQ(UTTimeToText(nullptr, date, time), 1709208000);
    EXPECT_STREQ(date, "2024-02-29");
    EXPECT_STREQ(time, "07.00.00");
    int64_t bad = -5;
    EXPECT_EQ(UTTimeToText(&bad, date, time), -5);
    EXPECT_STREQ(date, "0000-00-00");
    EXPECT_STREQ(time, "00.00.00");
}

TEST_F(DateTest, DifferencesBetweenStamps)
{
    EXPECT_EQ(UTMQTimeDiffMs("20240101", "23595990", "20240102", "00000010"), 200);
    EXPECT_EQ(UTMQTimeDiffMs("20240102", "00000010", "20240101", "23595990"), -200);
    EXPECT_EQ(UTMQTimeDiffMs("20240101", "10000000", "20240101", "11013050"), 3690500);
    EXPECT_EQ(UTMQTimeDiffMs("20240228", "23595999", "20240301", "00000000"), 86400010);
    EXPECT_EQ(UTMQTimeDiffMs("20231231", "23595999", "20240101", "00000000"), 10);
    EXPECT_EQ(UTMQTimeDiffMs("2023123X", "23595999", "20240101", "00000000"), 0);
}

TEST_F(DateTest, Intervals)
{
    char out[128];
    UTFormatInterval(out, 90061, 0);
    EXPECT_STREQ(out, "1 day 1 hour 1 minute 1 second");
    UTFormatInterval(out, 90061, 1);
    EXPECT_STREQ(out, "1d 1h 1m 1s");
    UTFormatInterval(out, 0, 1);
    EXPECT_STREQ(out, "0s");
    UTFormatInterval(out, 0, 0);
    EXPECT_STREQ(out, "0 seconds");
    UTFormatInterval(out, 31536000 + 2 * 604800 + 120, 0);
    EXPECT_STREQ(out, "1 year 2 weeks 2 minutes");
    UTFormatInterval(out, 7200, 1);
    EXPECT_STREQ(out, "2h");

    EXPECT_EQ(UTParseInterval("1 hour 30 minutes"), 5400);
    EXPECT_EQ(UTParseInterval("10"), -1);
    EXPECT_EQ(UTParseInterval("5 fortnights"), -1);
    EXPECT_EQ(UTParseInterval("5 m"), 300);
    EXPECT_EQ(UTParseInterval("5s"), 5);
    EXPECT_EQ(UTParseInterval("2W 1D"), 2 * 604800 + 86400);
    EXPECT_EQ(UTParseInterval("1y"), 31536000);
    EXPECT_EQ(UTParseInterval("1d1h"), 90000);
    EXPECT_EQ(UTParseInterval("  "), 0);
    EXPECT_EQ(UTParseInterval("hours"), -1);
    EXPECT_EQ(UTParseInterval("99999999999999999999 s"), -1);
    for (int64_t s : {0LL, 59LL, 61LL, 3599LL, 90061LL, 700000LL, 40000000LL}) {
        UTFormatInterval(out, s, 0);
        EXPECT_EQ(UTParseInterval(out), s) << out;
        UTFormatInterval(out, s, 1);
        EXPECT_EQ(UTParseInterval(out), s) << out;
    }
}

static const CSUnitRow timeUnits[] = {
    {3600, "hour", "hr", nullptr}, {60, "minute", "min", nullptr},
    {1, "second", "sec", nullptr}, {0, nullptr, nullptr, nullptr}};

TEST_F(DateTest, NumbersWithUnits)
{
    char out[128];
    CSFormatNumberUnits(90, out, timeUnits, 0);
    EXPECT_STREQ(out, "1.5 minutes ");
    CSFormatNumberUnits(90, out, timeUnits, CSUNITS_ALL);
    EXPECT_STREQ(out, "1 minute 30 seconds ");
    CSFormatNumberUnits(7200, out, timeUnits, CSUNITS_SHORT | CSUNITS_PLUS);
    EXPECT_STREQ(out, "+2 hrs ");
    CSFormatNumberUnits(-3660, out, timeUnits, CSUNITS_ALL | CSUNITS_PLUS);
    EXPECT_STREQ(out, "-1 hour 1 minute ");
    CSFormatNumberUnits(0, out, timeUnits, 0);
    EXPECT_STREQ(out, "0 seconds ");
    CSFormatNumberUnits(0, out, timeUnits, CSUNITS_ALL);
    EXPECT_STREQ(out, "0 seconds ");

    static const CSUnitRow bytes[] = {{1024, "kilobyte", "KB", "kilobytes"},
                                      {1, "byte", "B", "bytes"},
                                      {0, nullptr, nullptr, nullptr}};
    CSFormatUnitValue(&bytes[0], 1, 2.5, out);
    EXPECT_STREQ(out, "kilobytes");
    CSFormatUnitValue(&bytes[0], 1, 1, out);
    EXPECT_STREQ(out, "KB");

    EXPECT_EQ(CSParseNumberUnits("1 hour 30 minute", timeUnits, 3), 5400);
    EXPECT_EQ(CSParseNumberUnits("2 HOURS", timeUnits, 4), 7200);
    EXPECT_EQ(CSParseNumberUnits("1.5 min", timeUnits, 3), 90);
    EXPECT_EQ(CSParseNumberUnits("45", timeUnits, 3), 45);
    EXPECT_EQ(CSParseNumberUnits("5 parsecs", timeUnits, 3), 0);
    EXPECT_EQ(CSParseNumberUnits("-2 min", timeUnits, 3), -120);
    static const CSUnitRow refresh[] = {{604800, "Week", nullptr, nullptr},
                                        {86400, "Day", nullptr, nullptr},
                                        {3600, "Hr", nullptr, nullptr},
                                        {60, "Min", nullptr, nullptr},
                                        {1, "Sec", nullptr, nullptr},
                                        {0, nullptr, nullptr, nullptr}};
    EXPECT_EQ(CSParseNumberUnits("1 Hr 5 Min", refresh, 2), 3900);
}

static std::string Simple(int64_t value, const char *mask, const FmtDateNames *names = nullptr,
                          const char *name = nullptr, char sep = '/')
{
    char out[256];
    FmtDateTime(value, names, name, sep, mask, out, sizeof out);
    return out;
}

TEST_F(DateTest, SimpleMasks)
{
    const int64_t t = 1709208000 + 3 * 3600 + 4 * 60 + 5;    /* Thu 2024-02-29 15:04:05 */
    EXPECT_EQ(Simple(t, "%D|%DD|%E|%M|%MM|%MMM|%N"), "29|29th|29|2|Feb|February|02");
    EXPECT_EQ(Simple(t, "%T %TT %Y %YY %d %dd"), "15:04 15:04:05 24 2024 Thu Thursday");
    FmtDateNames names = {"QM1", "Second", 0};
    EXPECT_EQ(Simple(t, "%l:%m:%c%S", &names, "Col"), "Second:QM1:Col/");
    EXPECT_EQ(Simple(t, "%l{[%l]}%c{ no }", &names, ""), "[%l]");  /* braces' text as it stands */
    EXPECT_EQ(Simple(t, "\\\\a\\nb\\q}c%"), "\\a\r\nbc%");
    EXPECT_EQ(Simple(t, "%%D %x"), "%29 %x");
    EXPECT_EQ(Simple(t, nullptr), "");
    EXPECT_EQ(Simple(-1, "%D"), "");
    EXPECT_EQ(Simple(978307200 + 86400 + 3600, "%DD %DD"), "2nd 2nd");  /* 2001-01-02 */

    /* Two-digit years outside 2000-2099 are the year within its century. */
    EXPECT_EQ(Simple(915148800, "%Y %YY"), "99 1999");      /* 1999-01-01 */
    EXPECT_EQ(Simple(4102444800, "%Y %YY"), "00 2100");     /* 2100-01-01 */
    EXPECT_EQ(Simple(2208988800LL + 86400 * 365, "%Y"), "40");     /* 2040-12-31 */

    CSSetTimeZoneProc(Minus5);
    EXPECT_EQ(Simple(1709251200, "%YY-%N-%E %TT"), "2024-02-29 19:00:00");   /* 03-01 00:00 UTC */

    char small[8];
    FmtDateTime(t, nullptr, nullptr, 0, "%MMM %MMM %MMM", small, sizeof small);
    EXPECT_STREQ(small, "Februar");
}

static std::string Full(FmtDateState *state, const char *mask)
{
    char out[256], *o = out;
    const char *m = mask;
    FmtPutDateTime(state, &m, mask + strlen(mask), &o, out + sizeof out);
    EXPECT_EQ(m, mask + strlen(mask));
    return out;
}

TEST_F(DateTest, FullMasks)
{
    FmtDateState s;
    memset(&s, 0, sizeof s);
    s.flags = FMTDT_TIMEVALUE;
    s.value = 1709208000 + 3 * 3600 + 4 * 60 + 5;         /* Thu 2024-02-29 15:04:05 */
    s.hundredths = 7;
    s.separator = '-';
    FmtDateNames names = {"QM1", "Second", 0};
    s.names = &names;
    EXPECT_EQ(Full(&s, "%H %HH %HP %HHP %I %J %j %P %p"), "15 15 3 03 04 60 59 PM pm");
    EXPECT_EQ(Full(&s, "%S|%TT|%TTP|%TTp|%W|%w|%Mm|%tD"),
              "05|15:04:05|3:04:05 PM|3:04:05 pm|Thursday|Thu|02|29");
    s.flags |= FMTDT_HUNDREDTHS;
    EXPECT_EQ(Full(&s, "%S %TT"), "05.07 15:04:05.07");
    EXPECT_EQ(Full(&s, "%YY%s%N%s%E %z %%"), "2024-02-29 Local %");
    s.flags |= FMTDT_ORIGIN;
    EXPECT_EQ(Full(&s, "%z"), "Origin");
    s.flags |= FMTDT_UTC;
    EXPECT_EQ(Full(&s, "%z %H"), "UTC 15");
    s.flags = FMTDT_TIMEVALUE;

    /* Conditions: nested, expanded, inverted. */
    EXPECT_EQ(Full(&s, "%m{<%m%l{/%l}>}"), "<QM1/Second>");
    names.secondName = "";
    EXPECT_EQ(Full(&s, "%m{<%m%l{/%l}>}"), "<QM1>");
    EXPECT_EQ(Full(&s, "%!l{no second name}"), "no second name");
    EXPECT_EQ(Full(&s, "%!m{x}%!m"), "QM1");
    names.multiple = 1;
    EXPECT_EQ(Full(&s, "%m %l"), "(Multiple) (Multiple)");

    /* Backslashes and separators. */
    s.separator = '\\';
    EXPECT_EQ(Full(&s, "%D%s%M\\n"), "29\\2\r\n");
    s.flags |= FMTDT_ESCAPE_SEP;
    EXPECT_EQ(Full(&s, "%D%s%M"), "29\\\\2");
    s.flags |= FMTDT_RAW_BACKSLASH;
    EXPECT_EQ(Full(&s, "a\\nb"), "a\\nb");
    s.flags = FMTDT_TIMEVALUE;

    /* Elapsed since the value. */
    CSSetCurrentTime(s.value + 2 * 3600 + 5 * 60 + 59);
    EXPECT_EQ(Full(&s, "%e"), "2:05");

    /* A value that cannot be converted: nothing at all. */
    s.value = -1;
    EXPECT_EQ(Full(&s, "Date %D"), "");
    /* A cleared time: escapes write nothing, text stays. */
    s.flags = 0;
    EXPECT_EQ(TimeToTm(&s, nullptr), 0);
    EXPECT_EQ(Full(&s, "[%D]%D{x}%!D{none}"), "[]none");

    /* Escape one at a time. */
    int64_t v = 1709208000;
    EXPECT_EQ(TimeToTm(&s, &v), 1);
    char out[16], *o = out;
    const char *m = "MMMx";
    EXPECT_EQ(FmtDateEscape(&s, 1, &m, m + 4, &o, out + sizeof out), 1);
    *o = 0;
    EXPECT_STREQ(out, "February");
    EXPECT_STREQ(m, "x");
    EXPECT_EQ(FmtDateEscape(&s, 1, &m, m + 1, &o, out + sizeof out), -1);
}

/* Damaged masks and interval texts: every prefix and random mutations,
 * masks in exactly sized buffers and a small output. */
TEST_F(DateTest, DamagedMasksAndIntervals)
{
    std::mt19937 rng(9);
    const char alphabet[] = "%!{}\\nDMYTtHSsPpzelmcEW 1";
    FmtDateNames names = {"QM1", "", 1};
    for (int round = 0; round < 3000; round++) {
        std::string mask;
        int len = (int)(rng() % 14);
        for (int i = 0; i < len; i++)
            mask += alphabet[rng() % (sizeof alphabet - 1)];
        for (size_t cut = 0; cut <= mask.size(); cut++) {
            std::vector<char> exact(mask.begin(), mask.begin() + (long)cut);
            FmtDateState s;
            memset(&s, 0, sizeof s);
            s.flags = FMTDT_TIMEVALUE | (uint32_t)(rng() % 64);
            s.value = 1709208000;
            s.names = &names;
            s.separator = '\\';
            char out[12], *o = out;
            const char *m = exact.data();
            FmtPutDateTime(&s, &m, exact.data() + exact.size(), &o, out + sizeof out);
            ASSERT_LT(o, out + sizeof out);
            ASSERT_EQ(*o, 0);
            std::string terminated(exact.begin(), exact.end());
            char small[6];
            FmtDateTime(s.value, &names, "n", '-', terminated.c_str(), small, sizeof small);
            ASSERT_LT(strlen(small), sizeof small);
        }
    }
    const char units[] = "0123456789 smhdwy-.x";
    for (int round = 0; round < 3000; round++) {
        std::string text;
        int len = (int)(rng() % 12);
        for (int i = 0; i < len; i++)
            text += units[rng() % (sizeof units - 1)];
        int64_t v = UTParseInterval(text.c_str());
        ASSERT_GE(v, -1);
        CSParseNumberUnits(text.c_str(), timeUnits, 3);
        char d[9] = "20240229", t[9] = "12000000";
        memcpy(d, text.c_str(), text.size() < 8 ? text.size() : 8);
        CSAdjustDateTime(d, t, (int)(rng() % 200000) - 100000);
        UTMQTimeToTimeGmt(d, t);
    }
}
