/* Dates, times and intervals.
 *
 * MQ stamps messages with a put date "YYYYMMDD" and a put time "HHMMSSTH"
 * (TH: hundredths) in UTC.  Here: those stamps as time values (seconds
 * since 1970, UTC) and display texts, their adjustment by a time-zone
 * offset, the time between two stamps, the user's date masks, and
 * intervals and numbers with units.
 *
 * Local time comes from one time-zone function (the host's, or one set
 * with CSSetTimeZoneProc, as tests do). */
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

/* ---- Clock and time zone ---- */

/* The program-wide current time: set by the shell's timer; until set (or
 * after setting 0), the system clock. */
void CSSetCurrentTime(int64_t now);
int64_t CSGetCurrentTime(void);

struct CSZoneInfo {
    int32_t offset;          /* seconds east of UTC at that moment */
    int32_t standardOffset;  /* the same without daylight saving */
    int32_t isDst;
};
/* 1 with the zone at a UTC moment, 0 when it cannot be told. */
typedef int (*CSTimeZoneProc)(int64_t utc, CSZoneInfo *zone);
/* null: the host's zone. */
void CSSetTimeZoneProc(CSTimeZoneProc proc);
int CSGetTimeZone(int64_t utc, CSZoneInfo *zone);

/* ---- MQ stamps ---- */

/* Adds minutes to an 8-digit date (YYYYMMDD) and a time whose first four
 * characters are HHMM, in place. */
void CSAdjustDateTime(char *date, char *time, int minutes);
/* 28 to 31; 0 for a month outside 1 to 12. */
int CSDaysInMonth(int year, int month);
/* UTC stamp to local "YYYY-MM-DD" (16 bytes written, terminated) and
 * "HH.MM.SS" (8 characters, no terminator); zeros when not valid. */
void UTMQTimeToLocal(const char *date, const char *time, char *dateText, char *timeText);
/* The same texts for a time value (null: now); returns the value used. */
int64_t UTTimeToText(const int64_t *value, char *dateText, char *timeText);
/* "YYYY-MM-DD" and "HH.MM.SS" read as local time, daylight saving as the
 * zone has it. */
int64_t UTDateTimeToTime(const char *date, int dateLength, const char *time,
                         int timeLength);
/* MQ stamp as local standard time, or as UTC; -1 when missing or not
 * valid. */
int64_t UTMQTimeToTime(const char *date, const char *time);
int64_t UTMQTimeToTimeGmt(const char *date, const char *time);
/* Milliseconds from the first stamp to the second, hundredths included. */
int64_t UTMQTimeDiffMs(const char *date1, const char *time1, const char *date2,
                       const char *time2);

/* ---- Intervals and units ---- */

/* "1 day 1 hour", or short "1d 1h". out holds at least 80 characters. */
void UTFormatInterval(char *out, int64_t seconds, int shortForm);
/* Seconds of "1 hour 30 minutes", "5m", ...; -1 when not an interval. */
int64_t UTParseInterval(const char *text);

/* A unit table row; tables run from the largest unit down and end with a
 * row of size 0. */
struct CSUnitRow {
    int32_t size;             /* in base units */
    const char *longName;
    const char *shortName;    /* may be null */
    const char *pluralName;   /* may be null: long name + "s" */
};

#define CSUNITS_ALL    1      /* split into all units */
#define CSUNITS_SHORT  2      /* short names */
#define CSUNITS_PLUS   4      /* "+" before a value that is not negative */

/* Each part is followed by one blank. */
void CSFormatNumberUnits(int64_t value, char *out, const CSUnitRow *table, int flags);
/* The unit's name for a count. */
void CSFormatUnitValue(const CSUnitRow *row, int shortName, double count, char *out);
/* Numbers each followed by a unit word (compared over length characters,
 * case aside, with the long names); the value in base units. */
int64_t CSParseNumberUnits(const char *text, const CSUnitRow *table, int length);

/* ---- Date masks ---- */

/* Date mask state flags. */
#define FMTDT_TIMEVALUE    1   /* value is a time value: to local time first */
#define FMTDT_ESCAPE_SEP   2   /* a backslash separator gets a backslash before it */
#define FMTDT_RAW_BACKSLASH 4  /* backslashes are copied literally */
#define FMTDT_ORIGIN       8   /* the time is the origin's */
#define FMTDT_UTC          16  /* the time is UTC */
#define FMTDT_HUNDREDTHS   32  /* hundredths after the seconds */

/* Where the location escapes take their names. */
struct FmtDateNames {
    const char *qmgrName;
    const char *secondName;
    int multiple;             /* the listed messages come from several locations */
};

struct FmtDateState {
    uint32_t flags;
    int hundredths;
    struct tm tm;             /* broken-down time; all zero when cleared */
    int valid;                /* tm holds a time */
    int64_t value;            /* the time value (FMTDT_TIMEVALUE; "e") */
    const FmtDateNames *names;
    const char *name;         /* the caller's name text ("c") */
    char separator;           /* "s" */
};

/* Local broken-down time of *value into the state; with no value or a
 * failed conversion clears it and answers 0, else 1. */
int TimeToTm(FmtDateState *state, const int64_t *value);
/* Expands the simple date mask for a time value in local time into out
 * (size bytes, always terminated); null mask or no time: "". */
void FmtDateTime(int64_t value, const FmtDateNames *location, const char *name,
                 char separator, const char *mask, char *out, size_t size);
/* The full mask language of the message list's date columns: expands
 * [*mask, maskEnd) into [*out, outEnd), advancing both cursors; the output
 * is terminated when room is left. */
void FmtPutDateTime(FmtDateState *state, const char **mask, const char *maskEnd,
                    char **out, char *outEnd);
/* One escape at *mask (just after the "%"): writes its value when write is
 * non-zero; returns 1 when the escape has a value, 0 when not, -1 when no
 * escape is there (cursors unchanged). */
int FmtDateEscape(FmtDateState *state, int write, const char **mask, const char *maskEnd,
                  char **out, char *outEnd);
