/* The schedule of automatic exports: a location's next export time from
 * its day (a weekday, every day, or none for an interval), its time of
 * day or interval in minutes and its last export, and the earliest
 * export of all locations. */
#include "export.h"

#include <cstring>

#include "cs.h"
#include "locstore.h"

int64_t ExpEarliest;

/* The local date of a moment, as "YYYY-MM-DD", and its weekday. */
static int LocalDate(int64_t moment, char *date, int *weekday, int *minuteOfDay)
{
    FmtDateState s;
    memset(&s, 0, sizeof s);
    if (!TimeToTm(&s, &moment)) {
        /* a moment no calendar holds (a damaged file): the epoch's day */
        snprintf(date, 32, "1970-01-01");
        *weekday = 4;
        *minuteOfDay = 0;
        return 0;
    }
    snprintf(date, 32, "%4.4d-%2.2d-%2.2d", s.tm.tm_year + 1900, s.tm.tm_mon + 1, s.tm.tm_mday);
    *weekday = s.tm.tm_wday;
    *minuteOfDay = s.tm.tm_hour * 60 + s.tm.tm_min;
    return 1;
}

/* The moment of a time of day, some days after the local date of base. */
static int64_t DayAt(int64_t base, int days, int minutes)
{
    char date[32], time[16];
    int wd, mod;
    LocalDate(base, date, &wd, &mod);
    int64_t noon = UTDateTimeToTime(date, 10, "12.00.00", 8) + (int64_t)days * 86400;
    LocalDate(noon, date, &wd, &mod);
    snprintf(time, sizeof time, "%2.2d.%2.2d.00", minutes / 60 % 24, minutes % 60);
    return UTDateTimeToTime(date, 10, time, 8);
}

static void Earliest(void)
{
    ExpEarliest = 0;
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next) {
        int64_t t = ((QMS *)e)->exportTime;
        if (t && (!ExpEarliest || t < ExpEarliest))
            ExpEarliest = t;
    }
}

void ExpScheduleNext(QMS *r)
{
    int64_t now = LocNow();
    int32_t time = r->exportInterval;
    if (time <= 0) {
        r->exportTime = 0;
        Earliest();
        return;
    }
    int64_t next;
    if (r->exportDay > 0) {
        int64_t base = r->exportLast ? r->exportLast : now;
        char date[32];
        int weekday, minute;
        LocalDate(base, date, &weekday, &minute);
        int days = 0;
        if (r->exportDay >= 1 && r->exportDay <= 7)
            days = ((r->exportDay - 1) - weekday + 7) % 7;
        next = DayAt(base, days, time);
        if (days == 0 && next <= base)
            next = DayAt(base, r->exportDay == 8 ? 1 : 7, time);
    } else {
        next = (r->exportLast ? r->exportLast : now) + (int64_t)time * 60;
    }
    r->exportTime = next < now ? now : next;
    Earliest();
}
