/* Dates, Windows half: the time zone from the system's zone rules. */
#include "csdatesys.h"

#include <windows.h>

/* 100-ns ticks from 1601 to 1970. */
#define EPOCH_TICKS 116444736000000000LL

static int ToSystemTime(int64_t seconds, SYSTEMTIME *st)
{
    ULARGE_INTEGER u;
    u.QuadPart = (ULONGLONG)(seconds * 10000000LL + EPOCH_TICKS);
    FILETIME ft = {u.LowPart, u.HighPart};
    return FileTimeToSystemTime(&ft, st);
}

static int64_t FromSystemTime(const SYSTEMTIME *st)
{
    FILETIME ft;
    if (!SystemTimeToFileTime(st, &ft))
        return 0;
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    return ((int64_t)u.QuadPart - EPOCH_TICKS) / 10000000LL;
}

int CSSysTimeZone(int64_t utc, CSZoneInfo *zone)
{
    TIME_ZONE_INFORMATION tzi;
    SYSTEMTIME st, local;
    if (GetTimeZoneInformation(&tzi) == TIME_ZONE_ID_INVALID || !ToSystemTime(utc, &st) ||
        !SystemTimeToTzSpecificLocalTime(&tzi, &st, &local))
        return 0;
    zone->offset = (int32_t)(FromSystemTime(&local) - utc);
    zone->standardOffset = (int32_t)-(tzi.Bias + tzi.StandardBias) * 60;
    zone->isDst = zone->offset != zone->standardOffset;
    return 1;
}
