/* Texts of the export: the type and selection tables, file-name
 * templates with the date, a sequence number and names of the location,
 * the header templates, the time text, extension changes and the count
 * of objects exported. */
#include "export.h"

#include <cstring>

#include "cs.h"
#include "qms.h"

const ExportTypeRow ExportTypes[EXP_TYPES] = {
    { "Text", ".txt", "TEXT" }, { "MQSC", ".mqs", "MQSC" }, { "CSV", ".csv", "CSV" },
    { "XML", ".xml", "XML" }, { "DataPoints", ".csv", "DATAPOINTS" },
};

const PCFValueDef ExportSelections[] = {
    { 0, 0, 0, 0, "All Shown", "SHOWN" }, { 0, 0, 0, 1, "Selected", "SELECTED" },
    { 0, 0, 0, 0, nullptr, nullptr },
};

static const char *const DayNames[7] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
static const char *const MonthNames[12] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };

void ExpTimeText(int64_t now, char *out, size_t size)
{
    FmtDateState s;
    memset(&s, 0, sizeof s);
    if (!TimeToTm(&s, &now)) {
        snprintf(out, size, "%-24s", "");
        return;
    }
    const struct tm &t = s.tm;
    snprintf(out, size, "%s %s %2d %2.2d:%2.2d:%2.2d %4d", DayNames[t.tm_wday % 7],
             MonthNames[t.tm_mon % 12], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
             t.tm_year + 1900);
}

void ExpDateText(int format, char separator, int64_t moment, char *date, size_t dateSize, char *time,
                 size_t timeSize)
{
    FmtDateState s;
    memset(&s, 0, sizeof s);
    TimeToTm(&s, &moment);
    int day = s.tm.tm_mday, month = s.tm.tm_mon + 1, year = s.tm.tm_year + 1900;
    int first = format >= 2 ? month : day, second = format >= 2 ? day : month;
    char sep = separator ? separator : '/';
    if (format == 1 || format == 3)
        snprintf(date, dateSize, "%2.2d%c%2.2d%c%2.2d", first, sep, second, sep, year % 100);
    else
        snprintf(date, dateSize, "%2.2d%c%2.2d%c%4.4d", first, sep, second, sep, year);
    if (time)
        snprintf(time, timeSize, "%2.2d:%2.2d:%2.2d", s.tm.tm_hour, s.tm.tm_min, s.tm.tm_sec);
}

/* ---- file-name templates ------------------------------------------------- */

/* Appends n bytes, never past the 259 characters the output holds; what
 * does not fit marks the name cut (at past 259). */
static void Put(char *out, size_t *at, const char *text, size_t n)
{
    while (n-- && *at < 259)
        out[(*at)++] = *text++;
    out[*at < 259 ? *at : 259] = 0;
    if (n != (size_t)-1)
        *at = 260;
}

int ExpandFileTemplateAt(const QMS *location, EXPTEMPLATECTX *ctx, const char *templ,
                         char *output, int64_t now)
{
    char time[32], number[16];
    ExpTimeText(now, time, sizeof time);
    size_t at = 0;
    output[0] = 0;
    for (const char *p = templ ? templ : ""; *p; p++) {
        if (*p != '%') {
            Put(output, &at, p, 1);
            continue;
        }
        char c = *++p;
        switch (c) {
        case '\0': p--; break;                       /* a "%" at the end is dropped */
        case '%': Put(output, &at, "%", 1); break;
        case 'D': Put(output, &at, time, 3); break;
        case 'm': Put(output, &at, time + 4, 3); break;
        case 'd': Put(output, &at, time + 8, 2); break;
        case 'y': Put(output, &at, time + 20, 4); break;
        case 'H': Put(output, &at, time + 11, 2); break;
        case 'M': Put(output, &at, time + 14, 2); break;
        case 'S': Put(output, &at, time + 17, 2); break;
        case 't':
            Put(output, &at, time + 11, 2);
            Put(output, &at, ".", 1);
            Put(output, &at, time + 14, 2);
            Put(output, &at, ".", 1);
            Put(output, &at, time + 17, 2);
            break;
        case 'i': {
            int32_t maximum = 0;
            while (p[1] >= '0' && p[1] <= '9' && maximum < 100000000)
                maximum = maximum * 10 + (*++p - '0');
            while (p[1] >= '0' && p[1] <= '9')
                p++;
            if (!ctx || !ctx->sequence)
                break;
            if (*ctx->sequence == 0)
                *ctx->sequence = 1;
            ctx->maximum = maximum;
            snprintf(number, sizeof number, "%d", (int)*ctx->sequence);
            Put(output, &at, number, strlen(number));
            break;
        }
        case 'q':
            if (location)
                Put(output, &at, location->qmName, strlen(location->qmName));
            break;
        case 'l':
            if (location)
                Put(output, &at, location->locationName, strlen(location->locationName));
            break;
        default:
            break;                                   /* dropped with its "%" */
        }
    }
    return at <= 259;
}

int ExpandFileTemplate(const QMS *location, EXPTEMPLATECTX *ctx, const char *templ, char *output)
{
    return ExpandFileTemplateAt(location, ctx, templ, output, CSGetCurrentTime());
}

/* ---- headers ------------------------------------------------------------------ */

void ExpHeaderText(const char *templ, const char *qmName, const char *title, int64_t now,
                   char *out, size_t size)
{
    if (!size)
        return;
    out[0] = 0;
    if (!templ)
        return;
    FmtDateNames names = { qmName && *qmName ? qmName : nullptr, nullptr, 0 };
    FmtDateState state;
    memset(&state, 0, sizeof state);
    state.flags = FMTDT_TIMEVALUE;
    state.value = now;
    state.names = &names;
    state.name = title;
    const char *m = templ;
    char *o = out;
    FmtPutDateTime(&state, &m, templ + strlen(templ), &o, out + size);
    /* the header's own line end is the writer's */
    size_t n = strlen(out);
    while (n && (out[n - 1] == '\r' || out[n - 1] == '\n'))
        out[--n] = 0;
}

/* ---- small texts ---------------------------------------------------------------- */

void ExpReplaceExtension(const char *name, int type, char *out, size_t size)
{
    snprintf(out, size, "%s", name ? name : "");
    if (type < 0 || type >= EXP_TYPES)
        return;
    char *dot = strrchr(out, '.');
    char *slash = strrchr(out, '/'), *back = strrchr(out, '\\');
    char *sep = slash > back ? slash : back;
    if (!dot || (sep && dot < sep))
        return;
    *dot = 0;
    size_t n = strlen(out);
    snprintf(out + n, size - n, "%s", ExportTypes[type].extension);
}

void ExpCountText(int count, char *out, size_t size)
{
    if (count <= 0)
        snprintf(out, size, "No objects exported.");
    else if (count == 1)
        snprintf(out, size, "1 object exported.");
    else
        snprintf(out, size, "%d objects exported.", count);
}

int ExpNameInList(const char *list, const char *name, int length)
{
    if (!list || !name || length <= 0)
        return 0;
    for (const char *p = list; *p;) {
        const char *end = strchr(p, ',');
        size_t n = end ? (size_t)(end - p) : strlen(p);
        if (n == (size_t)length && !memcmp(p, name, n))
            return 1;
        if (!end)
            break;
        p = end + 1;
    }
    return 0;
}
