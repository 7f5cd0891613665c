/* Dates and times: calendar arithmetic, the time-zone source, MQ put
 * stamps to time values and texts, and intervals and numbers with units. */
#include "csdate.h"
#include "csdatesys.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

/* ---- Calendar ---- */

static int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

/* Days since 1970-01-01 of a Gregorian date (month 1-12). */
static int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    int64_t era = FloorDiv(y, 400);
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

static void CivilFromDays(int64_t z, int64_t *y, int *m, int *d)
{
    z += 719468;
    int64_t era = FloorDiv(z, 146097);
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    *d = (int)(doy - (153 * mp + 2) / 5 + 1);
    *m = (int)(mp < 10 ? mp + 3 : mp - 9);
    *y = yoe + era * 400 + (*m <= 2);
}

static int IsLeap(int64_t y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int CSDaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return days[month - 1] + (month == 2 && IsLeap(year));
}

int64_t CSCivilToSeconds(int year, int month, int day, int hour, int minute, int second)
{
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

void CSBreakDown(int64_t seconds, struct tm *tm)
{
    int64_t days = FloorDiv(seconds, 86400), rest = seconds - days * 86400;
    int64_t y;
    int m, d;
    CivilFromDays(days, &y, &m, &d);
    memset(tm, 0, sizeof *tm);
    tm->tm_year = (int)(y - 1900);
    tm->tm_mon = m - 1;
    tm->tm_mday = d;
    tm->tm_hour = (int)(rest / 3600);
    tm->tm_min = (int)(rest / 60 % 60);
    tm->tm_sec = (int)(rest % 60);
    tm->tm_wday = (int)(((days % 7) + 11) % 7);      /* 1970-01-01 was a Thursday */
    tm->tm_yday = (int)(days - DaysFromCivil(y, 1, 1));
}

/* ---- Clock and zone ---- */

static int64_t currentTime;
static CSTimeZoneProc zoneProc;

void CSSetCurrentTime(int64_t now) { currentTime = now; }

int64_t CSGetCurrentTime(void)
{
    return currentTime ? currentTime : (int64_t)time(nullptr);
}

void CSSetTimeZoneProc(CSTimeZoneProc proc) { zoneProc = proc; }

int CSGetTimeZone(int64_t utc, CSZoneInfo *zone)
{
    if ((zoneProc ? zoneProc : CSSysTimeZone)(utc, zone))
        return 1;
    memset(zone, 0, sizeof *zone);
    return 0;
}

int CSLocalTm(int64_t value, struct tm *tm)
{
    if (value < CS_TIME_MIN || value > CS_TIME_MAX)
        return 0;
    CSZoneInfo zone;
    CSGetTimeZone(value, &zone);
    CSBreakDown(value + zone.offset, tm);
    tm->tm_isdst = zone.isDst;
    return 1;
}

/* Local wall-clock seconds to a time value: at standard time, or with
 * daylight saving as the zone has it at that moment. */
static int64_t LocalToTime(int64_t local, int daylight)
{
    CSZoneInfo zone;
    CSGetTimeZone(local, &zone);
    int64_t t = local - zone.standardOffset;
    if (!daylight)
        return t;
    CSGetTimeZone(t, &zone);
    t = local - zone.offset;
    CSZoneInfo check;
    CSGetTimeZone(t, &check);
    return check.offset == zone.offset ? t : local - check.offset;
}

/* ---- MQ stamps ---- */

/* n decimal digits at p into *value; 0 when one is not a digit. */
static int Digits(const char *p, int n, int *value)
{
    int v = 0;
    for (int i = 0; i < n; i++) {
        if (p[i] < '0' || p[i] > '9')
            return 0;
        v = v * 10 + (p[i] - '0');
    }
    *value = v;
    return 1;
}

static void PutDigits(char *p, int n, int value)
{
    for (int i = n - 1; i >= 0; i--, value /= 10)
        p[i] = (char)('0' + value % 10);
}

struct Stamp {
    int year, month, day, hour, minute, second, hundredths;
};

/* "YYYYMMDD" and "HHMMSS[TH]"; 0 when missing or out of range. */
static int ReadStamp(const char *date, const char *time, Stamp *s)
{
    if (!date || !time || !Digits(date, 4, &s->year) || !Digits(date + 4, 2, &s->month) ||
        !Digits(date + 6, 2, &s->day) || !Digits(time, 2, &s->hour) ||
        !Digits(time + 2, 2, &s->minute) || !Digits(time + 4, 2, &s->second))
        return 0;
    if (!Digits(time + 6, 2, &s->hundredths))
        s->hundredths = 0;
    return s->month >= 1 && s->month <= 12 && s->day >= 1 &&
           s->day <= CSDaysInMonth(s->year, s->month) && s->hour < 24 && s->minute < 60 &&
           s->second < 60;
}

static int64_t StampSeconds(const Stamp *s)
{
    return CSCivilToSeconds(s->year, s->month, s->day, s->hour, s->minute, s->second);
}

void CSAdjustDateTime(char *date, char *time, int minutes)
{
    int hh, mm, ss;
    if (!date || !time || !minutes || !Digits(time, 2, &hh) || !Digits(time + 2, 2, &mm) ||
        !Digits(time + 4, 4, &ss))
        return;
    int64_t m = mm + (int64_t)minutes;
    int64_t h = hh + FloorDiv(m, 60);
    m -= FloorDiv(m, 60) * 60;
    int64_t carry = FloorDiv(h, 24);
    h -= carry * 24;
    PutDigits(time, 2, (int)h);
    PutDigits(time + 2, 2, (int)m);

    int y, mo, d;
    if (!carry || !Digits(date, 4, &y) || !Digits(date + 4, 2, &mo) ||
        !Digits(date + 6, 2, &d) || mo < 1 || mo > 12)
        return;
    int64_t day = d + carry;
    while (day < 1) {                       /* back a month at a time */
        if (--mo < 1) {
            mo = 12;
            y--;
        }
        day += CSDaysInMonth(y, mo);
    }
    while (day > CSDaysInMonth(y, mo)) {
        day -= CSDaysInMonth(y, mo);
        if (++mo > 12) {
            mo = 1;
            y++;
        }
    }
    if (y < 0 || y > 9999)
        return;
    PutDigits(date, 4, y);
    PutDigits(date + 4, 2, mo);
    PutDigits(date + 6, 2, (int)day);
}

/* "YYYY-MM-DD" into 16 bytes and "HH.MM.SS" into 8 (no terminator). */
static void PutTexts(const struct tm *tm, char *dateText, char *timeText)
{
    char t[48];
    memset(dateText, 0, 16);
    if (tm)
        snprintf(t, sizeof t, "%4.4d-%2.2d-%2.2d", tm->tm_year + 1900, tm->tm_mon + 1,
                 tm->tm_mday);
    else
        strcpy(t, "0000-00-00");
    memcpy(dateText, t, 10);
    snprintf(t, sizeof t, "%2.2d.%2.2d.%2.2d", tm ? tm->tm_hour : 0, tm ? tm->tm_min : 0,
             tm ? tm->tm_sec : 0);
    memcpy(timeText, t, 8);
}

void UTMQTimeToLocal(const char *date, const char *time, char *dateText, char *timeText)
{
    Stamp s;
    struct tm tm;
    int ok = ReadStamp(date, time, &s) && CSLocalTm(StampSeconds(&s), &tm);
    PutTexts(ok ? &tm : nullptr, dateText, timeText);
}

int64_t UTTimeToText(const int64_t *value, char *dateText, char *timeText)
{
    int64_t now = CSGetCurrentTime();
    int64_t v = value ? *value : now;
    int debug = getenv("MQ_TIMEDEBUG") != nullptr;
    struct tm tm;
    if (debug)
        printf("Time passed  : %lld (Now is %lld)\n", (long long)v, (long long)now);
    if (CSLocalTm(v, &tm)) {
        PutTexts(&tm, dateText, timeText);
    } else {
        if (debug)
            printf("Invalid time received : %lld (Now is %lld)\n", (long long)v, (long long)now);
        PutTexts(nullptr, dateText, timeText);
    }
    return v;
}

int64_t UTDateTimeToTime(const char *date, int dateLength, const char *time, int timeLength)
{
    int y = 1970, mo = 1, d = 1, h = 0, mi = 0, s = 0;
    int y2, mo2, d2, h2, mi2, s2;
    if (date && dateLength >= 10 && Digits(date, 4, &y2) && Digits(date + 5, 2, &mo2) &&
        Digits(date + 8, 2, &d2) && mo2 >= 1 && mo2 <= 12) {
        y = y2;
        mo = mo2;
        d = d2;
    }
    if (time && timeLength >= 8 && Digits(time, 2, &h2) && Digits(time + 3, 2, &mi2) &&
        Digits(time + 6, 2, &s2)) {
        h = h2;
        mi = mi2;
        s = s2;
    }
    return LocalToTime(CSCivilToSeconds(y, mo, d, h, mi, s), 1);
}

int64_t UTMQTimeToTime(const char *date, const char *time)
{
    Stamp s;
    return ReadStamp(date, time, &s) ? LocalToTime(StampSeconds(&s), 0) : -1;
}

int64_t UTMQTimeToTimeGmt(const char *date, const char *time)
{
    Stamp s;
    return ReadStamp(date, time, &s) ? StampSeconds(&s) : -1;
}

/* The zone's offset is the same for both stamps read as standard time, so
 * the difference of the calendar moments is the difference of the times. */
int64_t UTMQTimeDiffMs(const char *date1, const char *time1, const char *date2,
                       const char *time2)
{
    Stamp a, b;
    if (!ReadStamp(date1, time1, &a) || !ReadStamp(date2, time2, &b))
        return 0;
    return (StampSeconds(&b) - StampSeconds(&a)) * 1000 + (b.hundredths - a.hundredths) * 10;
}

/* ---- Intervals ---- */

struct IntervalUnit {
    int64_t size;
    const char *name;       /* long form, singular */
    char letter;            /* short form */
};

/* Largest first; parsing tries them smallest first. */
static const IntervalUnit intervalUnits[] = {
    {31536000, "year", 'y'}, {604800, "week", 'w'}, {86400, "day", 'd'},
    {3600, "hour", 'h'},     {60, "minute", 'm'},   {1, "second", 's'},
};
#define INTERVAL_UNITS 6

void UTFormatInterval(char *out, int64_t seconds, int shortForm)
{
    char *p = out;
    uint64_t rest = seconds < 0 ? 0 - (uint64_t)seconds : (uint64_t)seconds;
    if (seconds < 0)
        *p++ = '-';
    *p = 0;
    for (int i = 0; i < INTERVAL_UNITS; i++) {
        const IntervalUnit *u = &intervalUnits[i];
        uint64_t count = rest / (uint64_t)u->size;
        rest %= (uint64_t)u->size;
        int last = i == INTERVAL_UNITS - 1;
        if (!count && !(last && p == out + (seconds < 0)))
            continue;
        if (p > out + (seconds < 0))
            *p++ = ' ';
        if (shortForm)
            p += sprintf(p, "%llu%c", (unsigned long long)count, u->letter);
        else
            p += sprintf(p, "%llu %s%s", (unsigned long long)count, u->name,
                         count == 1 ? "" : "s");
    }
}

static int PrefixNoCase(const char *word, size_t length, const char *name)
{
    if (length > strlen(name))
        return 0;
    for (size_t i = 0; i < length; i++) {
        char c = word[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + 32);
        if (c != name[i])
            return 0;
    }
    return 1;
}

int64_t UTParseInterval(const char *text)
{
    static const char *const names[INTERVAL_UNITS] = {"seconds", "minutes", "hours",
                                                      "days",    "weeks",   "years"};
    int64_t total = 0;
    const char *p = text;
    for (;;) {
        while (*p == ' ')
            p++;
        if (!*p)
            return total;
        if (*p < '0' || *p > '9')
            return -1;
        int64_t number = 0;
        for (; *p >= '0' && *p <= '9'; p++) {
            if (number > (INT64_MAX - 9) / 10)
                return -1;
            number = number * 10 + (*p - '0');
        }
        while (*p == ' ')
            p++;
        const char *word = p;
        while (*p && *p != ' ' && (*p < '0' || *p > '9'))
            p++;
        size_t length = (size_t)(p - word);
        int unit = -1;
        for (int i = 0; i < INTERVAL_UNITS && unit < 0 && length; i++)
            if (PrefixNoCase(word, length, names[i]))
                unit = i;
        if (unit < 0)
            return -1;
        int64_t size = intervalUnits[INTERVAL_UNITS - 1 - unit].size;
        if (number > (INT64_MAX - total) / size)
            return -1;
        total += number * size;
    }
}

/* ---- Numbers with units ---- */

void CSFormatUnitValue(const CSUnitRow *row, int shortName, double count, char *out)
{
    int plural = count > 1 || count == 0 || count != (double)(int64_t)count;
    if (plural && row->pluralName) {
        strcpy(out, row->pluralName);
        return;
    }
    const char *name = shortName && row->shortName ? row->shortName : row->longName;
    sprintf(out, "%s%s", name, plural ? "s" : "");
}

void CSFormatNumberUnits(int64_t value, char *out, const CSUnitRow *table, int flags)
{
    char name[128];
    int shortNames = (flags & CSUNITS_SHORT) != 0;
    char *p = out;
    *p = 0;
    if (!table[0].size)
        return;
    if (value < 0) {
        *p++ = '-';
        value = value == INT64_MIN ? INT64_MAX : -value;
    } else if (flags & CSUNITS_PLUS) {
        *p++ = '+';
    }
    if (!(flags & CSUNITS_ALL)) {
        const CSUnitRow *row = table;
        while (row->size > value && row[1].size)
            row++;
        double q = (double)value / row->size;
        CSFormatUnitValue(row, shortNames, q, name);
        sprintf(p, q == (double)(int64_t)q ? "%.0f %s " : "%.1f %s ", q, name);
        return;
    }
    for (const CSUnitRow *row = table; row->size; row++) {
        if (row->size > value && row->size != 1)
            continue;
        int64_t count = value / row->size;
        CSFormatUnitValue(row, shortNames, (double)count, name);
        p += sprintf(p, "%lld %s ", (long long)count, name);
        value -= count * row->size;
        if (!value)
            break;
    }
    *p = 0;
}

static int EqualNoCase(const char *a, const char *b, int length)
{
    for (int i = 0; i < length; i++) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = (char)(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = (char)(y + 32);
        if (x != y)
            return 0;
        if (!x)
            return 1;
    }
    return 1;
}

/* A decimal number with an optional "-" and fraction; 0 when none. */
static int ReadNumber(const char **p, double *value)
{
    const char *s = *p;
    int negative = *s == '-';
    s += negative;
    if (*s < '0' || *s > '9')
        return 0;
    double v = 0;
    for (; *s >= '0' && *s <= '9'; s++)
        v = v * 10 + (*s - '0');
    if (*s == '.')
        for (double f = 0.1; *++s >= '0' && *s <= '9'; f /= 10)
            v += (*s - '0') * f;
    *value = negative ? -v : v;
    *p = s;
    return 1;
}

int64_t CSParseNumberUnits(const char *text, const CSUnitRow *table, int length)
{
    double total = 0, number;
    const char *p = text;
    while (*p) {
        if (!ReadNumber(&p, &number)) {
            p++;
            continue;
        }
        while (*p == ' ')
            p++;
        if (!*p) {
            total += number;
            break;
        }
        for (const CSUnitRow *row = table; row->size; row++)
            if (EqualNoCase(p, row->longName, length)) {
                total += number * row->size;
                break;
            }
        while (*p && *p != '-' && (*p < '0' || *p > '9'))
            p++;
    }
    if (total != total)
        return 0;
    if (total >= 9.2e18 || total <= -9.2e18)
        return total < 0 ? INT64_MIN : INT64_MAX;
    return (int64_t)total;
}
