/* The built-in functions on times and texts: MQ stamps to time values,
 * the fields of a local time, day and month names, "date$" with its
 * format letters, findstr, substr$ and str$; printing and formatting of
 * values for status texts and files (every conversion bounded), and the
 * three output-file slots of a context. */
#include "fltint.h"

#include <cctype>
#include <cstdio>

static FVAL *Arg(FVAL *slots, int count, int i) { return &slots[count - 1 - i]; }

static const char *const DayNames[] = { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday",
                                        "Friday", "Saturday" };
static const char *const MonthNames[] = { "January", "February", "March", "April", "May", "June",
                                          "July", "August", "September", "October", "November",
                                          "December" };

/* Local broken-down time of a time value; 0 when it cannot be had. */
static int LocalTime(int64_t value, struct tm *tm)
{
    FmtDateState st = {};
    if (!TimeToTm(&st, &value))
        return 0;
    *tm = st.tm;
    return 1;
}

/* A value as a NUL-terminated text of at most size - 1 characters. */
static int TextOf(const FVAL *v, char *out, size_t size)
{
    if (v->type != FLT_STRING) {
        out[0] = 0;
        return 0;
    }
    return FValText(v, out, size);
}

/* ---- time values ------------------------------------------------------- */

void FltFnMqtime(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r)
{
    char date[FLT_STRING_MAX + 1], time[FLT_STRING_MAX + 1];
    int dl = TextOf(Arg(s, n, 0), date, sizeof date), tl = TextOf(Arg(s, n, 1), time, sizeof time);
    int64_t t = dl == 8 && tl == 8 ? UTMQTimeToTime(date, time) : UTDateTimeToTime(date, dl, time, tl);
    FValInt(r, (int32_t)(uint32_t)t);
}

void FltFnMsgtime(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r)
{
    char date[FLT_STRING_MAX + 1], time[FLT_STRING_MAX + 1];
    int dl = TextOf(Arg(s, n, 0), date, sizeof date), tl = TextOf(Arg(s, n, 1), time, sizeof time);
    FValInt(r, dl == 8 && tl == 8 ? (int32_t)(uint32_t)UTMQTimeToTime(date, time) : 0);
}

void FltFnTime(FilterEvalContext *, const FCALLNODE *call, FVAL *s, int n, FVAL *r)
{
    struct tm tm;
    if (!LocalTime(FValToInt(Arg(s, n, 0)), &tm)) {
        FValInt(r, -1);
        return;
    }
    const char *f = call->func->name;
    int v = !strcmp(f, "hour") ? tm.tm_hour : !strcmp(f, "minute") ? tm.tm_min
          : !strcmp(f, "second") ? tm.tm_sec : !strcmp(f, "weekday") ? tm.tm_wday
          : !strcmp(f, "yearday") ? tm.tm_yday : !strcmp(f, "day") ? tm.tm_mday
          : !strcmp(f, "month") ? tm.tm_mon : tm.tm_year + 1900;
    FValInt(r, v);
}

static int Modulo(int32_t v, int m)
{
    int r = (int)(v % m);
    return r < 0 ? r + m : r;
}

static void Name(FVAL *s, int n, FVAL *r, const char *const *names, int count)
{
    const char *name = names[Modulo(FValToInt(Arg(s, n, 0)), count)];
    size_t len = FValToInt(Arg(s, n, 1)) == 1 ? 3 : strlen(name);
    FValString(r, name, len);
}

void FltFnDayName(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r) { Name(s, n, r, DayNames, 7); }
void FltFnMonthName(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r) { Name(s, n, r, MonthNames, 12); }

/* ---- date$ ------------------------------------------------------------- */

static const char *Suffix(int day)
{
    if (day == 1 || day == 21 || day == 31)
        return "st";
    if (day == 2 || day == 22)
        return "nd";
    if (day == 3 || day == 23)
        return "rd";
    return "th";
}

/* How many times the letter repeats at p (at most max). */
static int Run(const char *p, const char *end, int max)
{
    int k = 1;
    while (k < max && p + k < end && p[k] == p[0])
        k++;
    return k;
}

void FltDateText(int64_t value, const char *format, int formatLength, char *out, size_t size)
{
    struct tm tm;
    if (!LocalTime(value, &tm)) {
        snprintf(out, size, "<Unrecognised Date>");
        return;
    }
    if (!format) {
        format = "H:M d/mm/y";
        formatLength = (int)strlen(format);
    }
    const char *p = format, *end = format + formatLength;
    size_t n = 0;
    char piece[64];
    out[0] = 0;
    while (p < end && n + 1 < size) {
        int k = 1;
        piece[0] = 0;
        int hour12 = tm.tm_hour % 12;
        switch (*p) {
        case 'D':
            k = Run(p, end, 2);
            snprintf(piece, sizeof piece, "%.*s", k == 1 ? 3 : 20, DayNames[tm.tm_wday]);
            break;
        case 'H':
            k = Run(p, end, 2);
            snprintf(piece, sizeof piece, k == 1 ? "%2.2d" : "%d", tm.tm_hour);
            break;
        case 'h':
            k = Run(p, end, 2);
            snprintf(piece, sizeof piece, k == 1 ? "%2.2d" : "%d", hour12);
            break;
        case 'M':
            snprintf(piece, sizeof piece, "%2.2d", tm.tm_min);
            break;
        case 'S':
            snprintf(piece, sizeof piece, "%2.2d", tm.tm_sec);
            break;
        case 'P':
            snprintf(piece, sizeof piece, "%s", tm.tm_hour < 12 ? "AM" : "PM");
            break;
        case 'p':
            snprintf(piece, sizeof piece, "%s", tm.tm_hour < 12 ? "am" : "pm");
            break;
        case 'd':
            k = Run(p, end, 2);
            if (k == 1)
                snprintf(piece, sizeof piece, "%2.2d", tm.tm_mday);
            else
                snprintf(piece, sizeof piece, "%d%s", tm.tm_mday, Suffix(tm.tm_mday));
            break;
        case 'j':
            snprintf(piece, sizeof piece, "%d", tm.tm_yday);
            break;
        case 'J':
            snprintf(piece, sizeof piece, "%d", tm.tm_yday + 1);
            break;
        case 'm':
            k = Run(p, end, 3);
            if (k == 1)
                snprintf(piece, sizeof piece, "%.3s", MonthNames[tm.tm_mon]);
            else if (k == 2)
                snprintf(piece, sizeof piece, "%2.2d", tm.tm_mon + 1);
            else
                snprintf(piece, sizeof piece, "%s", MonthNames[tm.tm_mon]);
            break;
        case 'y':
            k = Run(p, end, 2);
            snprintf(piece, sizeof piece, k == 1 ? "%4.4d" : "%2.2d",
                     k == 1 ? tm.tm_year + 1900 : (tm.tm_year + 1900) % 100);
            break;
        case 't':
            snprintf(piece, sizeof piece, "%2.2d:%2.2d:%2.2d", tm.tm_hour, tm.tm_min, tm.tm_sec);
            break;
        case '\\':
            if (p + 1 < end) {
                piece[0] = p[1];
                piece[1] = 0;
                k = 2;
            } else {
                k = 1;
            }
            break;
        default:
            piece[0] = *p;
            piece[1] = 0;
            break;
        }
        p += k;
        size_t len = strlen(piece);
        if (n + len > size - 1)
            len = size - 1 - n;
        memcpy(out + n, piece, len);
        n += len;
        out[n] = 0;
    }
}

void FltFnDate(FilterEvalContext *ctx, const FCALLNODE *, FVAL *s, int n, FVAL *r)
{
    char text[FLT_STRING_MAX + 1];
    if (n > 2) {
        FValString(r, "<Unrecognised Date Parameter>", 29);
        return;
    }
    int64_t value = n ? (int64_t)FValToInt(Arg(s, n, 0)) : CSGetCurrentTime();
    if (n == 2) {
        const FVAL *f = Arg(s, n, 1);
        if (f->type != FLT_STRING) {
            FValString(r, "<Unrecognised Date Format>", 26);
            return;
        }
        FltDateText(value, f->s, f->len > 99 ? 99 : (int)f->len, text, sizeof text);
    } else {
        FltDateText(value, nullptr, 0, text, sizeof text);
    }
    (void)ctx;
    FValString(r, text, strlen(text));
}

/* ---- texts ------------------------------------------------------------- */

static void Find(FVAL *s, int n, FVAL *r, char *(*find)(const void *, int, const void *, int))
{
    const FVAL *text = Arg(s, n, 0), *part = Arg(s, n, 1);
    if (text->type != FLT_STRING || part->type != FLT_STRING || !text->len || !part->len) {
        FValInt(r, 0);
        return;
    }
    const char *at = find(text->s, (int)text->len, part->s, (int)part->len);
    FValInt(r, at ? (int32_t)(at - text->s) + 1 : 0);
}

void FltFnFindstr(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r) { Find(s, n, r, UTMemFind); }
void FltFnFindstri(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r) { Find(s, n, r, UTMemFindNoCase); }

void FltFnSubstr(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r)
{
    const FVAL *text = Arg(s, n, 0);
    int32_t start = FValToInt(Arg(s, n, 1)), count = FValToInt(Arg(s, n, 2));
    FValString(r, "", 0);
    if (text->type != FLT_STRING || !text->len)
        return;
    int64_t len = text->len;
    if (count == -1)
        count = (int32_t)len;
    if (count < 1)
        return;
    int64_t from;
    if (start == -1)
        from = count >= len ? 0 : len - count;
    else if (start < 1)
        return;
    else
        from = (int64_t)start - 1;
    if (from >= len)
        return;
    int64_t take = len - from < count ? len - from : count;
    FValString(r, text->s + from, (size_t)take);
}

void FltFnStr(FilterEvalContext *, const FCALLNODE *, FVAL *s, int n, FVAL *r)
{
    char text[FLT_STRING_MAX + 1];
    int len = FValText(Arg(s, n, 0), text, sizeof text);
    FValString(r, text, (size_t)len);
}

/* ---- printing and formatting ------------------------------------------- */

/* Appends text to out (size bytes, at most size - 1 characters). */
static void Put(char *out, int size, int *n, const char *text, int length)
{
    if (length > size - 1 - *n)
        length = size - 1 - *n;
    if (length > 0) {
        memcpy(out + *n, text, (size_t)length);
        *n += length;
    }
    out[*n] = 0;
}

int FltPrintValues(const FVAL *const *values, int count, char *out, int size)
{
    int n = 0;
    out[0] = 0;
    for (int i = 0; i < count; i++) {
        char text[FLT_STRING_MAX + 64];
        int len = FValText(values[i], text, sizeof text);
        Put(out, size, &n, text, len);
    }
    return n;
}

#define SPEC_MAX 100              /* a conversion this long is copied as text */
#define FIELD_MAX 400             /* widths and precisions above are clamped */

/* Reads digits at *p, clamped; -1 when there are none. */
static int Number(const char **p, const char *end)
{
    if (*p >= end || !isdigit((unsigned char)**p))
        return -1;
    long v = 0;
    while (*p < end && isdigit((unsigned char)**p)) {
        if (v < 100000)
            v = v * 10 + (**p - '0');
        (*p)++;
    }
    return v > FIELD_MAX ? FIELD_MAX : (int)v;
}

/* One conversion from "%" to its letter, formatted with a value; 0 when
 * its flags do not read as flags, width and precision. */
static int Convert(const char *spec, const char *letter, const FVAL *v, char *out, size_t size)
{
    char flags[8];
    int nf = 0;
    const char *p = spec + 1;
    while (p < letter && strchr("#+-0", *p) && nf < 7)
        flags[nf++] = *p++;
    flags[nf] = 0;
    int width = Number(&p, letter), precision = -1;
    if (p < letter && *p == '.') {
        p++;
        precision = Number(&p, letter);
        if (precision < 0)
            precision = 0;
    }
    if (p != letter)
        return 0;
    char c = *letter == 'S' ? 's' : *letter;
    char format[40];
    int k = snprintf(format, sizeof format, "%%%s", flags);
    if (width >= 0)
        k += snprintf(format + k, sizeof format - (size_t)k, "%d", width);
    if (precision >= 0)
        k += snprintf(format + k, sizeof format - (size_t)k, ".%d", precision);
    if (strchr("diouxX", c)) {
        snprintf(format + k, sizeof format - (size_t)k, "ll%c", c);
        long long i = FValToInt(v);
        if (c == 'd' || c == 'i')
            snprintf(out, size, format, i);
        else
            snprintf(out, size, format, (unsigned long long)i);
    } else if (c == 's') {
        snprintf(format + k, sizeof format - (size_t)k, "s");
        char text[FLT_STRING_MAX + 64];
        FValText(v, text, sizeof text);
        snprintf(out, size, format, text);
    } else {
        snprintf(format + k, sizeof format - (size_t)k, "%c", c);
        snprintf(out, size, format, FValToReal(v));
    }
    return 1;
}

int FltFormatValues(const FVAL *format, const FVAL *const *values, int count, char *out, int size)
{
    char text[FLT_STRING_MAX + 64];
    int tl = FValText(format, text, sizeof text);
    const char *p = text, *end = text + tl;
    int n = 0, next = 0;
    out[0] = 0;
    while (p < end && n < size - 1) {
        if (*p != '%') {
            Put(out, size, &n, p++, 1);
            continue;
        }
        const char *q = p + 1;
        while (q < end && strchr("#+-.0123456789", *q))
            q++;
        if (q >= end) {
            Put(out, size, &n, p, (int)(end - p));
            break;
        }
        int length = (int)(q - p + 1);
        char piece[FIELD_MAX + FLT_STRING_MAX + 64];
        if (!strchr("eEfgGsSdiouxX", *q) || length >= SPEC_MAX || next >= count ||
            !Convert(p, q, values[next], piece, sizeof piece)) {
            Put(out, size, &n, p, length);
        } else {
            next++;
            Put(out, size, &n, piece, (int)strlen(piece));
        }
        p = q + 1;
    }
    return n;
}

/* ---- output files ------------------------------------------------------ */

int FltModeValid(const char *mode)
{
    if (!mode[0] || !strchr("rwa", mode[0]))
        return 0;
    int plus = 0, kind = 0;
    for (const char *p = mode + 1; *p; p++) {
        if (*p == '+' && !plus)
            plus = 1;
        else if ((*p == 'b' || *p == 't') && !kind)
            kind = 1;
        else
            return 0;
    }
    return 1;
}

int FltFileSlot(FilterEvalContext *ctx, const FVAL *file, const char *mode, int open)
{
    if (file->type != FLT_STRING) {
        int32_t handle = FValToInt(file);
        if (handle >= 1 && handle <= FLT_FILES && ctx->files[handle - 1].stream)
            return handle - 1;
        return -1;
    }
    char name[sizeof ctx->files[0].name];
    if (!FValText(file, name, sizeof name))
        return -1;
    for (int i = 0; i < FLT_FILES; i++)
        if (ctx->files[i].stream && !strcmp(ctx->files[i].name, name))
            return i;
    if (!open)
        return -1;
    for (int i = 0; i < FLT_FILES; i++)
        if (!ctx->files[i].stream) {
            FILE *f = fopen(name, mode && FltModeValid(mode) ? mode : "w");
            if (!f)
                return -1;
            ctx->files[i].stream = f;
            UTStrCopy(ctx->files[i].name, name, sizeof ctx->files[i].name);
            return i;
        }
    return -1;
}

void PCFEvalCloseFiles(FilterEvalContext *ctx)
{
    for (FLTFILE &f : ctx->files)
        if (f.stream) {
            fclose(f.stream);
            f.stream = nullptr;
            f.name[0] = 0;
        }
}
