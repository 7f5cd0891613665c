/* Inside the date routines (private to this folder): calendar arithmetic
 * shared by the stamp and mask code, and the host half that reads the
 * system's time zone (Win32 in csdate_win.cpp, the C library in
 * csdate_posix.cpp). */
#pragma once

#include "csdate.h"

/* Time values the routines accept: 1970 to the end of 3000. */
#define CS_TIME_MIN 0LL
#define CS_TIME_MAX 32535215999LL

/* Seconds since 1970 of a calendar moment (no zone). */
int64_t CSCivilToSeconds(int year, int month, int day, int hour, int minute, int second);
/* Calendar fields of seconds since 1970 (no zone); tm_isdst 0. */
void CSBreakDown(int64_t seconds, struct tm *tm);
/* Local broken-down time of a time value; 0 when not valid. */
int CSLocalTm(int64_t value, struct tm *tm);

/* 1 with the zone at a UTC moment, 0 when the system cannot tell. */
int CSSysTimeZone(int64_t utc, CSZoneInfo *zone);
