/* Dates, native half: the time zone from the C library (TZ). */
#include "csdatesys.h"

#include <ctime>

int CSSysTimeZone(int64_t utc, CSZoneInfo *zone)
{
    time_t t = (time_t)utc;
    struct tm local;
    if (!localtime_r(&t, &local))
        return 0;
    tzset();
    zone->offset = (int32_t)local.tm_gmtoff;
    zone->standardOffset = (int32_t)-timezone;
    zone->isDst = local.tm_isdst > 0;
    return 1;
}
