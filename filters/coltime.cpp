/* The time range of a date-time column filter: dates checked by the
 * Gregorian rule, local times to time values, durations, at most two of
 * the three spinners ("From: ", "Until: ", "For: ") on, the third
 * derived from the two, hundredths carried at 100, and an "Until" that
 * follows the clock. */
#include "fltint.h"

#include <cstdio>

int ColFilterDateValid(int year, int month, int day)
{
    return month >= 1 && month <= 12 && day >= 1 && day <= CSDaysInMonth(year, month);
}

int ColFilterLocalTime(int year, int month, int day, int hour, int minute, int second, int64_t *value)
{
    if (!ColFilterDateValid(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return 0;
    char date[16], time[16];
    snprintf(date, sizeof date, "%4.4d-%2.2d-%2.2d", year, month, day);
    snprintf(time, sizeof time, "%2.2d.%2.2d.%2.2d", hour, minute, second);
    int64_t t = UTDateTimeToTime(date, 10, time, 8);
    if (t < 0)
        return 0;
    *value = t;
    return 1;
}

int64_t ColFilterDuration(int64_t days, int64_t hours, int64_t minutes, int64_t seconds)
{
    return ((days * 24 + hours) * 60 + minutes) * 60 + seconds;
}

static uint32_t BoundOf(int32_t spinner)
{
    return spinner == CFC_FROM ? CFB_FROM : spinner == CFC_UNTIL ? CFB_UNTIL : spinner == CFC_FOR ? CFB_FOR : 0;
}

int32_t ColFilterSpinner(COLFILTER *cf, int32_t spinner, int action)
{
    uint32_t bound = BoundOf(spinner);
    if (!bound)
        return 0;
    if (action == 0) {
        cf->bounds &= ~bound;
        if (spinner == CFC_UNTIL)
            cf->bounds &= ~(uint32_t)CFB_NOW;
        return 0;
    }
    cf->bounds |= bound;
    if (cf->lastEdited != spinner) {
        cf->editedBefore = cf->lastEdited;
        cf->lastEdited = spinner;
    }
    const int32_t all[] = { CFC_FROM, CFC_UNTIL, CFC_FOR };
    int on = 0;
    for (int32_t s : all)
        on += (cf->bounds & BoundOf(s)) != 0;
    if (on < 3)
        return 0;
    /* of the other two, the one edited longer ago goes off */
    int32_t off = 0;
    for (int32_t s : all)
        if (s != spinner && s != cf->editedBefore) {
            off = s;
            break;
        }
    cf->bounds &= ~BoundOf(off);
    if (off == CFC_UNTIL)
        cf->bounds &= ~(uint32_t)CFB_NOW;
    return off;
}

static COLTIME Add(COLTIME a, COLTIME b, int sign)
{
    int64_t h = (int64_t)a.hundredths + sign * (int64_t)b.hundredths;
    int64_t s = a.seconds + sign * b.seconds;
    while (h >= 100) {
        h -= 100;
        s++;
    }
    while (h < 0) {
        h += 100;
        s--;
    }
    COLTIME r = { s, (uint8_t)h };
    return r;
}

int32_t ColFilterDerive(COLFILTER *cf)
{
    uint32_t b = cf->bounds;
    if ((b & CFB_FROM) && (b & CFB_FOR) && !(b & CFB_UNTIL)) {
        if (b & CFB_FROM_BAD)
            return 0;
        cf->until = Add(cf->from, cf->length, 1);
        return CFC_UNTIL;
    }
    if ((b & CFB_UNTIL) && (b & CFB_FOR) && !(b & CFB_FROM)) {
        if (b & CFB_UNTIL_BAD)
            return 0;
        cf->from = Add(cf->until, cf->length, -1);
        return CFC_FROM;
    }
    if ((b & CFB_FROM) && (b & CFB_UNTIL) && !(b & CFB_FOR)) {
        if (b & (CFB_FROM_BAD | CFB_UNTIL_BAD))
            return 0;
        cf->length = Add(cf->until, cf->from, -1);
        return CFC_FOR;
    }
    return 0;
}

void ColFilterUntilNow(COLFILTER *cf, int on, int64_t now)
{
    if (!on) {
        cf->bounds &= ~(uint32_t)CFB_NOW;
        return;
    }
    cf->bounds |= CFB_NOW;
    cf->until.seconds = now;
    cf->until.hundredths = 0;
}

void ColFilterFollowNow(DialogWords *d, int64_t now)
{
    COLFSTATE *st = ColFilterState(d, 0);
    for (COLFILTER *cf = st ? st->chain : nullptr; cf; cf = cf->next) {
        if ((cf->bounds & (CFB_UNTIL | CFB_NOW)) != (CFB_UNTIL | CFB_NOW))
            continue;
        ColFilterUntilNow(cf, 1, now);
        cf->bounds &= ~(uint32_t)CFB_UNTIL_BAD;
        ColFilterDerive(cf);
    }
}
