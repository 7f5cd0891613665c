/* Version texts: month names, the version-and-date parser used on the
 * version page and on the program's own version text, and the display
 * texts of a version. */
#include "version.h"

#include <cstdio>
#include <cstring>

#include "shellhost.h"

static const char *const monthNames[12] = {
    "January", "February", "March", "April", "May", "June", "July", "August",
    "September", "October", "November", "December",
};

static int lower(int c)
{
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

int MonthIndex(const char *text, size_t length)
{
    if (!text || length < 3)
        return 0;
    for (int m = 0; m < 12; m++) {
        const char *n = monthNames[m];
        if (lower(text[0]) == lower(n[0]) && lower(text[1]) == lower(n[1]) &&
            lower(text[2]) == lower(n[2]))
            return m + 1;
    }
    return 0;
}

/* characters that are a token by themselves */
static int is_single(char c)
{
    return c && strchr(".\\/(){}[]<>*-", c) != nullptr;
}

static int is_separator(char c)
{
    return c == ' ' || c == '\r' || c == '\n';
}

/* the next token at or after *p; 0 when none is left */
static int next_token(const char **p, const char *end, const char **start, size_t *length)
{
    const char *s = *p;
    while (s < end && is_separator(*s))
        s++;
    if (s >= end)
        return 0;
    const char *e = s + 1;
    if (!is_single(*s))
        while (e < end && !is_separator(*e) && !is_single(*e))
            e++;
    *start = s;
    *length = (size_t)(e - s);
    *p = e;
    return 1;
}

/* the leading digits as a number, held at the largest 32-bit value */
static int32_t leading_number(const char *s, size_t length)
{
    int64_t v = 0;
    for (size_t i = 0; i < length && s[i] >= '0' && s[i] <= '9'; i++) {
        v = v * 10 + (s[i] - '0');
        if (v > INT32_MAX)
            v = INT32_MAX;
    }
    return (int32_t)v;
}

int VerParseVersion(int32_t numbers[VER_NUMBERS], const char *start, const char *end)
{
    static const int order[6] = {VER_MAJOR, VER_MINOR, VER_PATCH, VER_MONTH, VER_DAY, VER_YEAR};
    int expected = 0;
    const char *p = start, *tok;
    size_t n;
    if (!start || !end)
        return 0;
    while (next_token(&p, end, &tok, &n)) {
        int field = order[expected];
        if (field == VER_MONTH) {
            int m = MonthIndex(tok, n);
            if (!m)
                continue;
            numbers[field] = m - 1;
        } else {
            if (tok[0] < '0' || tok[0] > '9')
                continue;
            numbers[field] = leading_number(tok, n);
        }
        if (field == VER_YEAR)
            return 1;
        expected++;
    }
    return 0;
}

int VerOwnVersion(int32_t numbers[VER_NUMBERS])
{
    char text[200];
    int n = snprintf(text, sizeof text, "%s %s", RavoltVersionText, RavoltBuildDate);
    if (n < 0 || n >= (int)sizeof text)
        return 0;
    return VerParseVersion(numbers, text, text + n);
}

void VerDateText(const int32_t v[VER_NUMBERS], char *out, size_t size)
{
    if (!size)
        return;
    out[0] = 0;
    if (v[VER_YEAR] == 0)
        return;
    int m = v[VER_MONTH];
    snprintf(out, size, "%d %s %d", v[VER_DAY], m >= 0 && m < 12 ? monthNames[m] : "?",
             v[VER_YEAR]);
}

void VerNumberText(const int32_t v[VER_NUMBERS], char *out, size_t size)
{
    if (!size)
        return;
    out[0] = 0;
    if (v[VER_YEAR] == 0)
        return;
    snprintf(out, size, "%d.%d.%d", v[VER_MAJOR], v[VER_MINOR], v[VER_PATCH]);
}
