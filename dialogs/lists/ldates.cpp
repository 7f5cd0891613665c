/* Date and time texts of list columns: an MQ date and time read as local
 * time and written with the date formats for today, yesterday and other
 * days, and the date-time pair records of list rows (the time as their
 * sort value, the text after it). */
#include "pcflists.h"
#include "../pcfint.h"

#include <cstdio>

#include "csdate.h"
#include "prfdata.h"

/* Fields of a pair record: the MQ date and time as they came (8
 * characters each, read by the column filters), the time as a number,
 * the display text. */
#define PAIR_HUNDREDTHS 8         /* int32 */
#define PAIR_DATE       12
#define PAIR_CLOCK      20
#define PAIR_TIME       28        /* int64: seconds, or hundredths for type 36 */
#define PAIR_TEXT       36

/* Digits of a fixed-width field; -1 when one is not a digit. */
static int Digits(const char *p, int n)
{
    int v = 0;
    for (int i = 0; i < n; i++) {
        if (p[i] == ' ' && v == 0)
            continue;
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

/* Both forms into "YYYY-MM-DD" and "HH.MM.SS"; hundredths from the second. */
static int Normalise(const char *date, int dn, const char *time, int tn, char d[48], char t[48], int *hundredths)
{
    *hundredths = 0;
    if (dn == 8 && tn == 8) {
        int y = Digits(date, 4), m = Digits(date + 4, 2), day = Digits(date + 6, 2);
        int h = Digits(time, 2), mi = Digits(time + 2, 2), s = Digits(time + 4, 2), th = Digits(time + 6, 2);
        if (y < 0 || m < 0 || day < 0 || h < 0 || mi < 0 || s < 0 || th < 0)
            return 0;
        snprintf(d, 48, "%04d-%02d-%02d", y, m, day);
        snprintf(t, 48, "%02d.%02d.%02d", h, mi, s);
        *hundredths = th;
        return 1;
    }
    if (dn < 10)
        return 0;
    int y = Digits(date, 4), m = Digits(date + 5, 2), day = Digits(date + 8, 2);
    int h = tn >= 8 ? Digits(time, 2) : 0, mi = tn >= 8 ? Digits(time + 3, 2) : 0, s = tn >= 8 ? Digits(time + 6, 2) : 0;
    if (y < 0 || m < 0 || day < 0 || h < 0 || mi < 0 || s < 0)
        return 0;
    snprintf(d, 48, "%04d-%02d-%02d", y, m, day);
    snprintf(t, 48, "%02d.%02d.%02d", h, mi, s);
    return 1;
}

static int Trimmed(const char *p, int n)
{
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
        n--;
    return n;
}

/* The local day number of a time. */
static int64_t LocalDay(int64_t t)
{
    CSZoneInfo z = {};
    CSGetTimeZone(t, &z);
    int64_t local = t + z.offset;
    return local >= 0 ? local / 86400 : (local - 86399) / 86400;
}

int FormatRelativeTime(char *out, int size, int64_t value, int hundredths)
{
    (void)hundredths;
    int64_t now = CSGetCurrentTime();
    const char *mask = Prf.fmtdate ? Prf.fmtdate : "%DD %MM %YY %TT";
    int today, yesterday;
    if (PcfListPrefs.elapsedDays) {
        today = now - value < 86400;
        yesterday = !today && now - value < 172800;
    } else {
        int64_t days = LocalDay(now) - LocalDay(value);
        today = days == 0;
        yesterday = days == 1;
    }
    if (today && Prf.fmtdatet && *Prf.fmtdatet)
        mask = Prf.fmtdatet;
    else if (yesterday && Prf.fmtdatey && *Prf.fmtdatey)
        mask = Prf.fmtdatey;
    FmtDateTime(value, nullptr, nullptr, 0, mask, out, (size_t)size);
    return (int)strlen(out);
}

int FormatMQDateTime(char *out, int size, const char *date, int dn, const char *time, int tn, int64_t *value,
                     int *hundredths)
{
    *value = INT64_MIN;
    *hundredths = 0;
    out[0] = 0;
    dn = date ? Trimmed(date, dn) : 0;
    tn = time ? Trimmed(time, tn) : 0;
    if (!dn && !tn)
        return 0;
    if (!dn)
        return snprintf(out, (size_t)size, "????");
    char d[48], t[48];
    if (!Normalise(date, dn, time, tn, d, t, hundredths))
        return snprintf(out, (size_t)size, "%.*s %.*s", dn > 20 ? 20 : dn, date, tn > 20 ? 20 : tn, time ? time : "");
    *value = UTDateTimeToTime(d, 10, t, 8);
    return FormatRelativeTime(out, size, *value, *hundredths);
}

uint32_t PCFPairRecord(uint8_t *out, int type, const char *date, int dn, const char *time, int tn)
{
    char text[120];
    int64_t value;
    int hundredths;
    int n = FormatMQDateTime(text, sizeof text, date, dn, time, tn, &value, &hundredths);
    memset(out, 0, PAIR_TEXT);
    Put16(out, PCFS_PRESENT);
    Put16(out + 2, (uint16_t)n);
    int64_t sort = value;
    if (value != INT64_MIN && type == PCFT_DATETIME100)
        sort = value * 100 + hundredths;
    memcpy(out + PAIR_TIME, &sort, 8);
    Put32(out + PAIR_HUNDREDTHS, hundredths);
    if (date && dn > 0)
        memcpy(out + PAIR_DATE, date, (size_t)(dn > 8 ? 8 : dn));
    if (time && tn > 0)
        memcpy(out + PAIR_CLOCK, time, (size_t)(tn > 8 ? 8 : tn));
    memcpy(out + PAIR_TEXT, text, (size_t)n + 1);
    return PAIR_TEXT + (uint32_t)n;
}

int64_t PCFPairTime(const uint8_t *record)
{
    int64_t v;
    memcpy(&v, record + PAIR_TIME, 8);
    return v;
}
