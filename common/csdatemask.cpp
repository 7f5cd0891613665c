/* Date masks: the user's patterns for showing a date and time.
 *
 * "%" and an escape stand for a part of the time ("%YY-%N-%E"); an escape
 * directly followed by "{...}" writes the braces' text instead of its value
 * when it has a value, and nothing when not ("%!" inverts that).  "\\" is a
 * backslash, "\n" a line end.  FmtDateTime speaks the simple language,
 * FmtPutDateTime the full one of the message list's date columns. */
#include "csdate.h"
#include "csdatesys.h"

#include <cstdio>
#include <cstring>

#define FMTDT_SIMPLE_MASK 0x10000   /* private: the simple language */

static const char *const monthNames[12] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
static const char *const dayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
static const char *const ordinals[32] = {
    "th", "st", "nd", "rd", "th", "th", "th", "th", "th", "th", "th",
    "th", "th", "th", "th", "th", "th", "th", "th", "th", "th", "st",
    "nd", "rd", "th", "th", "th", "th", "th", "th", "th", "st"};

enum Escape {
    E_DAY, E_DAY_ORDINAL, E_DAY2, E_MONTH, E_MONTH_SHORT, E_MONTH_FULL, E_MONTH2,
    E_HM, E_HMS, E_HMS_FULL, E_YEAR2, E_YEAR4, E_WEEKDAY_SHORT, E_WEEKDAY_FULL,
    E_SEPARATOR, E_NAME, E_SECOND_NAME, E_QMGR, E_HOUR, E_HOUR2, E_HOUR12, E_HOUR12_2,
    E_MINUTE, E_YEARDAY1, E_YEARDAY0, E_AMPM, E_AMPM_LOWER, E_SECONDS, E_HMS12,
    E_HMS12_LOWER, E_ELAPSED, E_ZONE
};

#define SIMPLE 1
#define FULL 2
#define BOTH 3

struct EscapeRow {
    const char *name;
    int languages;
    Escape id;
};

/* Longest names first: the first row that matches is the escape. */
static const EscapeRow escapes[] = {
    {"TTP", FULL, E_HMS12},       {"TTp", FULL, E_HMS12_LOWER}, {"HHP", FULL, E_HOUR12_2},
    {"MMM", BOTH, E_MONTH_FULL},  {"TT", SIMPLE, E_HMS},        {"TT", FULL, E_HMS_FULL},
    {"DD", BOTH, E_DAY_ORDINAL},  {"MM", BOTH, E_MONTH_SHORT},  {"Mm", FULL, E_MONTH2},
    {"YY", BOTH, E_YEAR4},        {"dd", BOTH, E_WEEKDAY_FULL}, {"HH", FULL, E_HOUR2},
    {"HP", FULL, E_HOUR12},       {"D", BOTH, E_DAY},           {"E", BOTH, E_DAY2},
    {"M", BOTH, E_MONTH},         {"N", BOTH, E_MONTH2},        {"T", BOTH, E_HM},
    {"Y", BOTH, E_YEAR2},         {"d", BOTH, E_WEEKDAY_SHORT}, {"S", SIMPLE, E_SEPARATOR},
    {"S", FULL, E_SECONDS},       {"c", BOTH, E_NAME},          {"l", BOTH, E_SECOND_NAME},
    {"m", BOTH, E_QMGR},          {"H", FULL, E_HOUR},          {"I", FULL, E_MINUTE},
    {"J", FULL, E_YEARDAY1},      {"j", FULL, E_YEARDAY0},      {"P", FULL, E_AMPM},
    {"p", FULL, E_AMPM_LOWER},    {"W", FULL, E_WEEKDAY_FULL},  {"w", FULL, E_WEEKDAY_SHORT},
    {"e", FULL, E_ELAPSED},       {"z", FULL, E_ZONE},          {"s", FULL, E_SEPARATOR},
};

static int Language(const FmtDateState *state)
{
    return state->flags & FMTDT_SIMPLE_MASK ? SIMPLE : FULL;
}

static const EscapeRow *FindEscape(int language, const char *p, const char *end)
{
    for (const EscapeRow &row : escapes) {
        size_t n = strlen(row.name);
        if ((row.languages & language) && (size_t)(end - p) >= n && memcmp(p, row.name, n) == 0)
            return &row;
    }
    return nullptr;
}

static void Put(char **out, char *outEnd, const char *text, size_t n)
{
    while (n-- && *out < outEnd - 1)
        *(*out)++ = *text++;
}

static void PutText(char **out, char *outEnd, const char *text)
{
    Put(out, outEnd, text, strlen(text));
}

static int Hour12(const struct tm *tm)
{
    return tm->tm_hour % 12 ? tm->tm_hour % 12 : 12;
}

static void SecondsText(const FmtDateState *s, char *buf, size_t size)
{
    if (s->flags & FMTDT_HUNDREDTHS)
        snprintf(buf, size, "%2.2d.%2.2d", s->tm.tm_sec, s->hundredths);
    else
        snprintf(buf, size, "%2.2d", s->tm.tm_sec);
}

/* A name escape: its text, or null when it has none. */
static const char *NameValue(const FmtDateState *s, Escape id)
{
    const char *text;
    if (id == E_NAME)
        text = s->name;
    else if (!s->names)
        text = nullptr;
    else if (s->names->multiple && Language(s) == FULL)
        text = "(Multiple)";
    else
        text = id == E_QMGR ? s->names->qmgrName : s->names->secondName;
    return text && *text ? text : nullptr;
}

/* The escape's text into buf; 0 when it has no value. */
static int EscapeValue(const FmtDateState *s, Escape id, char *buf, size_t size)
{
    const struct tm *tm = &s->tm;
    char sec[16];
    switch (id) {
    case E_NAME: case E_SECOND_NAME: case E_QMGR: {
        const char *text = NameValue(s, id);
        if (text)
            snprintf(buf, size, "%s", text);
        return text != nullptr;
    }
    case E_SEPARATOR:
        if (!s->separator)
            return 0;
        snprintf(buf, size, "%s%c",
                 s->separator == '\\' && (s->flags & FMTDT_ESCAPE_SEP) ? "\\" : "", s->separator);
        return 1;
    case E_ZONE:
        snprintf(buf, size, "%s", s->flags & FMTDT_UTC ? "UTC"
                                  : s->flags & FMTDT_ORIGIN ? "Origin" : "Local");
        return 1;
    default:
        break;
    }
    if (!s->valid)
        return 0;
    int year = tm->tm_year + 1900;
    switch (id) {
    case E_DAY:            snprintf(buf, size, "%d", tm->tm_mday); break;
    case E_DAY_ORDINAL:    snprintf(buf, size, "%d%s", tm->tm_mday, ordinals[tm->tm_mday & 31]); break;
    case E_DAY2:           snprintf(buf, size, "%2.2d", tm->tm_mday); break;
    case E_MONTH:          snprintf(buf, size, "%d", tm->tm_mon + 1); break;
    case E_MONTH_SHORT:    snprintf(buf, size, "%.3s", monthNames[tm->tm_mon]); break;
    case E_MONTH_FULL:     snprintf(buf, size, "%s", monthNames[tm->tm_mon]); break;
    case E_MONTH2:         snprintf(buf, size, "%2.2d", tm->tm_mon + 1); break;
    case E_HM:             snprintf(buf, size, "%2.2d:%2.2d", tm->tm_hour, tm->tm_min); break;
    case E_HMS:
        snprintf(buf, size, "%2.2d:%2.2d:%2.2d", tm->tm_hour, tm->tm_min, tm->tm_sec);
        break;
    case E_HMS_FULL:
        SecondsText(s, sec, sizeof sec);
        snprintf(buf, size, "%2.2d:%2.2d:%s", tm->tm_hour, tm->tm_min, sec);
        break;
    case E_HMS12: case E_HMS12_LOWER:
        SecondsText(s, sec, sizeof sec);
        snprintf(buf, size, "%d:%2.2d:%s %s", Hour12(tm), tm->tm_min, sec,
                 tm->tm_hour < 12 ? (id == E_HMS12 ? "AM" : "am") : (id == E_HMS12 ? "PM" : "pm"));
        break;
    /* Two digits for any year: the year within its century. */
    case E_YEAR2:          snprintf(buf, size, "%2.2d", (year % 100 + 100) % 100); break;
    case E_YEAR4:          snprintf(buf, size, "%4.4d", year); break;
    case E_WEEKDAY_SHORT:  snprintf(buf, size, "%.3s", dayNames[tm->tm_wday]); break;
    case E_WEEKDAY_FULL:   snprintf(buf, size, "%s", dayNames[tm->tm_wday]); break;
    case E_HOUR:           snprintf(buf, size, "%d", tm->tm_hour); break;
    case E_HOUR2:          snprintf(buf, size, "%2.2d", tm->tm_hour); break;
    case E_HOUR12:         snprintf(buf, size, "%d", Hour12(tm)); break;
    case E_HOUR12_2:       snprintf(buf, size, "%2.2d", Hour12(tm)); break;
    case E_MINUTE:         snprintf(buf, size, "%2.2d", tm->tm_min); break;
    case E_YEARDAY1:       snprintf(buf, size, "%d", tm->tm_yday + 1); break;
    case E_YEARDAY0:       snprintf(buf, size, "%d", tm->tm_yday); break;
    case E_AMPM:           snprintf(buf, size, "%s", tm->tm_hour < 12 ? "AM" : "PM"); break;
    case E_AMPM_LOWER:     snprintf(buf, size, "%s", tm->tm_hour < 12 ? "am" : "pm"); break;
    case E_SECONDS:        SecondsText(s, buf, size); break;
    case E_ELAPSED: {
        int64_t gone = CSGetCurrentTime() - s->value;
        if (gone < 0)
            gone = 0;
        snprintf(buf, size, "%lld:%2.2d", (long long)(gone / 3600), (int)(gone / 60 % 60));
        break;
    }
    default:
        return 0;
    }
    return 1;
}

int FmtDateEscape(FmtDateState *state, int write, const char **mask, const char *maskEnd,
                  char **out, char *outEnd)
{
    int language = Language(state);
    const char *p = *mask;
    if (language == FULL && p < maskEnd && *p == 't' && FindEscape(language, p + 1, maskEnd))
        p++;                                   /* "%t" before an escape: the same escape */
    const EscapeRow *row = p < maskEnd ? FindEscape(language, p, maskEnd) : nullptr;
    if (!row)
        return -1;
    char buf[160];
    int has = EscapeValue(state, row->id, buf, sizeof buf);
    if (has && write)
        PutText(out, outEnd, buf);
    *mask = p + strlen(row->name);
    return has;
}

/* The "}" closing the brace at open (nested braces count in the full
 * language), or end. */
static const char *BraceEnd(const char *open, const char *end, int nested)
{
    int depth = 0;
    for (const char *p = open; p < end; p++) {
        if (*p == '{' && nested)
            depth++;
        else if (*p == '{' && p == open)
            depth = 1;
        else if (*p == '}' && --depth == 0)
            return p;
    }
    return end;
}

static void Expand(FmtDateState *state, const char *p, const char *end, char **out,
                   char *outEnd)
{
    int full = Language(state) == FULL;
    while (p < end) {
        if (*p == '%') {
            const char *q = p + 1;
            if (full && q < end && *q == '%') {
                PutText(out, outEnd, "%");
                p = q + 1;
                continue;
            }
            int invert = full && q < end && *q == '!';
            q += invert;
            const char *after = q;
            int has = FmtDateEscape(state, 0, &after, end, out, outEnd);
            if (has < 0) {                    /* no escape: the "%" stays */
                PutText(out, outEnd, "%");
                p++;
                continue;
            }
            if (after < end && *after == '{') {
                const char *close = BraceEnd(after, end, full);
                if (invert ? !has : has) {
                    if (full)
                        Expand(state, after + 1, close, out, outEnd);
                    else
                        Put(out, outEnd, after + 1, (size_t)(close - after - 1));
                }
                p = close < end ? close + 1 : end;
            } else {
                FmtDateEscape(state, 1, &q, end, out, outEnd);
                p = q;
            }
            continue;
        }
        if (*p == '\\' && !(state->flags & FMTDT_RAW_BACKSLASH)) {
            if (p + 1 < end && p[1] == '\\')
                PutText(out, outEnd, "\\");
            else if (p + 1 < end && p[1] == 'n')
                PutText(out, outEnd, "\r\n");
            p += p + 1 < end ? 2 : 1;
            continue;
        }
        if (*p != '}')                         /* a stray "}" is dropped */
            Put(out, outEnd, p, 1);
        p++;
    }
}

int TimeToTm(FmtDateState *state, const int64_t *value)
{
    int ok = 0;
    if (value) {
        state->value = *value;
        if (state->flags & FMTDT_UTC) {
            ok = *value >= CS_TIME_MIN && *value <= CS_TIME_MAX;
            if (ok)
                CSBreakDown(*value, &state->tm);
        } else {
            ok = CSLocalTm(*value, &state->tm);
        }
    }
    if (!ok)
        memset(&state->tm, 0, sizeof state->tm);
    state->valid = ok;
    return ok;
}

void FmtPutDateTime(FmtDateState *state, const char **mask, const char *maskEnd,
                    char **out, char *outEnd)
{
    if (*out >= outEnd)
        return;
    if (!(state->flags & FMTDT_TIMEVALUE) || TimeToTm(state, &state->value))
        Expand(state, *mask, maskEnd, out, outEnd);
    *mask = maskEnd;
    **out = 0;
}

void FmtDateTime(int64_t value, const FmtDateNames *location, const char *name,
                 char separator, const char *mask, char *out, size_t size)
{
    if (!size)
        return;
    out[0] = 0;
    if (!mask)
        return;
    FmtDateState state;
    memset(&state, 0, sizeof state);
    state.flags = FMTDT_TIMEVALUE | FMTDT_SIMPLE_MASK;
    state.value = value;
    state.names = location;
    state.name = name;
    state.separator = separator;
    const char *m = mask;
    char *o = out;
    FmtPutDateTime(&state, &m, mask + strlen(mask), &o, out + size);
}
