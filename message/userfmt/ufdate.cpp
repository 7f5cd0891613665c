/* Date and time fields of user formats: a mask of tokens ("YYYY", "MM",
 * "hh", "JJJ" ...) walked in step with a character or packed field, shown
 * as "07:05 1st March 2024 ". */
#include "ufint.h"
#include "../fmtint.h"
#include "csdate.h"
#include <cstdio>
#include <cstring>
#include <initializer_list>

enum Part { P_YEAR4, P_YEAR2, P_YEAR_QUOTED, P_MONTH, P_DAY, P_HOUR, P_MINUTE, P_SECOND, P_HUNDREDTHS,
            P_DAY_OF_YEAR, P_COUNT };

static const struct { const char *token; Part part; } tokens[] = {
    { "YYYY", P_YEAR4 }, { "YY", P_YEAR2 }, { "yy", P_YEAR_QUOTED }, { "MM", P_MONTH }, { "DD", P_DAY },
    { "hh", P_HOUR },    { "mm", P_MINUTE }, { "ss", P_SECOND },     { "xx", P_HUNDREDTHS },
    { "JJJ", P_DAY_OF_YEAR },
};

static const char *const months[12] = { "January", "February", "March", "April", "May", "June", "July",
                                        "August", "September", "October", "November", "December" };

struct DateParts {
    int has[P_COUNT];
    int value[P_COUNT];
};

static int IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

static const char *Ordinal(int d)
{
    if (d >= 11 && d <= 13)
        return "th";
    switch (d % 10) {
    case 1: return "st";
    case 2: return "nd";
    case 3: return "rd";
    }
    return "th";
}

/* Data position n: -1 skipped (blank, NUL), -2 not a digit, else the digit. */
static int DigitAt(const FmtFieldDef *f, const FmtCodepage *cp, const unsigned char *data, uint32_t n)
{
    if (f->type == FT_PACKED || f->type == FT_UPACKED) {
        unsigned nibble = n & 1 ? data[n / 2] & 0xF : data[n / 2] >> 4;
        return nibble <= 9 ? (int)nibble : -2;
    }
    unsigned char b = data[n];
    if (b == 0 || b == cp->ch[CP_BLANK])
        return -1;
    unsigned char c = cp->toAscii ? cp->toAscii[b] : b;
    if (c >= '0' && c <= '9')
        return c - '0';
    if (f->type == FT_ZONED) {
        static const char pos[] = "{ABCDEFGHI", neg[] = "}JKLMNOPQR";
        const char *a = strchr(pos, c), *z = strchr(neg, c);
        if (c && a)
            return (int)(a - pos);
        if (c && z)
            return (int)(z - neg);
    }
    return -2;
}

/* Reads the mask over the data; 0 when a value is not valid. */
static int ReadParts(const char *mask, const FmtFieldDef *f, const FmtCodepage *cp, const unsigned char *data,
                     uint32_t positions, DateParts *d)
{
    int packed = f->type == FT_PACKED || f->type == FT_UPACKED;
    uint32_t n = (uint32_t)strlen(mask);
    if (n > positions)
        return 0;                       /* a mask longer than its field */
    for (uint32_t i = 0; i < n;) {
        if (!IsLetter(mask[i])) {
            if (!packed && mask[i] != '?') {
                unsigned char c = cp->toAscii ? cp->toAscii[data[i]] : data[i];
                if (c != (unsigned char)mask[i])
                    return 0;
            }
            i++;
            continue;
        }
        int t = -1;
        uint32_t len = 0;
        for (uint32_t k = 0; k < sizeof tokens / sizeof *tokens && t < 0; k++) {
            len = (uint32_t)strlen(tokens[k].token);
            if (n - i >= len && memcmp(mask + i, tokens[k].token, len) == 0)
                t = (int)k;
        }
        if (t < 0)
            return 0;
        int v = 0;
        for (uint32_t k = 0; k < len; k++) {
            int digit = DigitAt(f, cp, data, i + k);
            if (digit == -2)
                return 0;
            if (digit >= 0)
                v = v * 10 + digit;
        }
        d->has[tokens[t].part] = 1;
        d->value[tokens[t].part] = v;
        i += len;
    }
    return 1;
}

/* Checks the parts and writes the text; 0 when not valid. */
static int WriteParts(DateParts *d, char *out, uint32_t *length)
{
    int *v = d->value, *has = d->has;
    int yearShown = has[P_YEAR4] || has[P_YEAR2] || has[P_YEAR_QUOTED];
    int year = has[P_YEAR4] ? v[P_YEAR4] : has[P_YEAR2] ? (v[P_YEAR2] < 50 ? 2000 : 1900) + v[P_YEAR2]
             : has[P_YEAR_QUOTED] ? (v[P_YEAR_QUOTED] < 50 ? 2000 : 1900) + v[P_YEAR_QUOTED] : 3;
    int dateParts = yearShown || has[P_MONTH] || has[P_DAY] || has[P_DAY_OF_YEAR];
    int allZero = 1;
    for (Part p : { P_YEAR4, P_YEAR2, P_YEAR_QUOTED, P_MONTH, P_DAY, P_DAY_OF_YEAR })
        if (has[p] && v[p])
            allZero = 0;
    int showDate = dateParts && !allZero;
    int month = v[P_MONTH], day = v[P_DAY], showMonth = has[P_MONTH], showDay = has[P_DAY];
    if (showDate && has[P_DAY_OF_YEAR]) {
        int left = v[P_DAY_OF_YEAR];
        if (left < 1)
            return 0;
        for (month = 1; month <= 12; month++) {
            int days = CSDaysInMonth(year, month);
            if (left <= days)
                break;
            left -= days;
        }
        if (month > 12)
            return 0;                   /* past December */
        day = left;
        showMonth = showDay = 1;
    }
    if (showDate && ((showMonth && (month < 1 || month > 12)) || (showDay && (day < 1 || day > 31))))
        return 0;
    if ((has[P_HOUR] && v[P_HOUR] > 23) || (has[P_MINUTE] && v[P_MINUTE] > 59) ||
        (has[P_SECOND] && v[P_SECOND] > 59) || (has[P_HUNDREDTHS] && v[P_HUNDREDTHS] > 99))
        return 0;
    uint32_t n = 0;
    int time = 0;
    static const struct { Part part; char separator; } clock[] = {
        { P_HOUR, 0 }, { P_MINUTE, ':' }, { P_SECOND, ':' }, { P_HUNDREDTHS, '.' } };
    for (auto &c : clock) {
        if (!has[c.part])
            continue;
        if (time && c.separator)
            out[n++] = c.separator;
        n += (uint32_t)sprintf(out + n, "%2.2d", v[c.part]);
        time = 1;
    }
    if (has[P_HOUR] || has[P_MINUTE] || has[P_SECOND])
        out[n++] = ' ';
    if (showDate) {
        if (showDay)
            n += (uint32_t)sprintf(out + n, "%d%s ", day, Ordinal(day));
        if (showMonth)
            n += (uint32_t)sprintf(out + n, "%s ", months[month - 1]);
        if (has[P_YEAR4] || has[P_YEAR2])
            n += (uint32_t)sprintf(out + n, "%d ", year);
        else if (has[P_YEAR_QUOTED])
            n += (uint32_t)sprintf(out + n, "'%d ", v[P_YEAR_QUOTED]);
    }
    out[n] = 0;
    *length = n;
    return 1;
}

int UFFormatDateTime(uint32_t ccsid, const FmtFieldDef *f, int quiet, const unsigned char *data, char **out)
{
    const char *mask = f->type == FT_PUTDATE ? "YYYYMMDD" : f->type == FT_PUTTIME ? "hhmmssxx"
                                                            : (const char *)f->dateLayout;
    if (!mask)
        return 1;
    const FmtCodepage *cp = FmtGetCodepage(ccsid);
    uint32_t length = f->type == FT_PUTDATE || f->type == FT_PUTTIME ? 8 : f->length;
    int packed = f->type == FT_PACKED || f->type == FT_UPACKED;
    if (!packed && f->type != FT_CHAR && f->type != FT_PUTDATE && f->type != FT_PUTTIME &&
        f->type != FT_ZONED && f->type != FT_DIGITS)
        return 1;
    uint32_t i = 0;
    if (packed) {
        while (i < length && data[i] == 0)
            i++;
    } else if (f->type != FT_ZONED && f->type != FT_DIGITS) {
        while (i < length && (data[i] == 0 || data[i] == cp->ch[CP_BLANK]))
            i++;
    }
    if (i == length && length)
        return 1;                       /* an empty value shows nothing */
    DateParts d = {};
    char text[96];
    uint32_t n = 0;
    uint32_t positions = packed ? (length ? 2 * length - 1 : 0) : length;
    if (!ReadParts(mask, f, cp, data, positions, &d) || !WriteParts(&d, text, &n)) {
        if (quiet)
            return 0;
        memcpy(*out, "Invalid", 8);
        *out += 7;
        return 0;
    }
    if (quiet && n && text[n - 1] == ' ')
        n--;
    memcpy(*out, text, n);
    (*out)[n] = 0;
    *out += n;
    return 1;
}
