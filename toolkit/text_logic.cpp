/* Text helpers of the toolkit: tip line breaking, the list filter's
 * match, the operational error text and the batch log line. */
#include "tklogic.h"
#include <cctype>
#include <cstdio>
#include <cstring>

/* longest prefix (at least one character) that fits the limit */
static int fitting_prefix(const char *t, int len, int limit, TipMeasure m, void *ctx)
{
    int n = 1;
    while (n < len && m(ctx, t, n + 1) <= limit)
        n++;
    return n;
}

int TipBreakLines(const char *text, int len, int limit, int single, TipMeasure m, void *ctx,
                  TipLine *lines, int max)
{
    int count = 0;
    if (!text || len <= 0 || max <= 0)
        return 0;
    if (single || (!memchr(text, '\n', len) && m(ctx, text, len) <= limit)) {
        lines[0] = {0, len, m(ctx, text, len)};
        return 1;
    }
    int pos = 0;
    while (pos < len && count < max) {
        const char *nl = (const char *)memchr(text + pos, '\n', len - pos);
        int piece = nl ? (int)(nl - text) - pos : len - pos;
        int take = piece;
        if (piece > 0 && m(ctx, text + pos, piece) > limit)
            take = fitting_prefix(text + pos, piece, limit, m, ctx);
        lines[count++] = {pos, take, take ? m(ctx, text + pos, take) : 0};
        pos += take;
        if (pos < len && text[pos] == '\n')
            pos++;
    }
    return count;
}

int TkContainsNoCase(const char *text, const char *needle)
{
    if (!needle || !*needle)
        return 1;
    if (!text)
        return 0;
    size_t n = strlen(needle);
    for (; *text; text++) {
        size_t i = 0;
        while (i < n && text[i] &&
               tolower((unsigned char)text[i]) == tolower((unsigned char)needle[i]))
            i++;
        if (i == n)
            return 1;
    }
    return 0;
}

void WinOpErrorText(char *out, size_t size, const char *text, long code, const char *sys)
{
    char line[64];
    if (size == 0)
        return;
    snprintf(line, sizeof line, "Last error = %ld (X'%lX') \n\n", code, (unsigned long)code);
    size_t ll = strlen(line);
    size_t room = size - 1 > ll + 2 ? size - 1 - ll - 2 : 0;   /* caller text and "\n\n" */
    size_t tl = text ? strlen(text) : 0;
    if (tl > room)
        tl = room;
    snprintf(out, size, "%.*s\n\n%s%s", (int)tl, text ? text : "", line, sys ? sys : "");
}

void UtilLogLine(char *out, size_t size, const char *caption, const char *text)
{
    snprintf(out, size, "%-25s:%s\n", caption ? caption : "", text ? text : "");
}
