/* The debug window's texts and rules: the status line, the help lines,
 * the banner of a message dump, the command keys and how much of the view
 * goes before a new line. */
#include "debugwin.h"

#include <cstdio>

DebugSwitches debugSwitches = {1, 0, 1, 0, 1, 1};

const char *const DebugHelpLines[] = {
    "Enter the character for the effect required:",
    "c) Clear output",
    "h) Toggle HTTP output",
    "m) Toggle Monitor output",
    "r) Toggle Command Requests output",
    "s) Toggle Command Response output",
    "?) Display this help",
    nullptr,
};

static const char *yes_no(int32_t on)
{
    return on ? "yes" : "no";
}

void DebugStatusText(const DebugSwitches *s, const char *file, char *out, size_t size)
{
    snprintf(out, size, "Debug Req(%s] Rsp[%s] HTTP[%s] Lists[%s] Monitor[%s] File[%s]",
             yes_no(s->requests), yes_no(s->responses), yes_no(s->http), yes_no(s->lists),
             yes_no(s->monitor), file ? file : "");
}

int32_t DebugTrimCount(int32_t textLength, int32_t lineCount, int32_t addLength)
{
    int32_t drop = lineCount > DEBUG_LINE_LIMIT ? DEBUG_TRIM : 0;
    while (drop < textLength && (int64_t)textLength - drop + addLength > DEBUG_TEXT_LIMIT)
        drop += DEBUG_TRIM;
    return drop < textLength ? drop : textLength;
}

void DebugBannerText(int isRequest, const char *location, const char *qm, char *out,
                     size_t size)
{
    char c = isRequest ? '>' : '<';
    if (location)
        snprintf(out, size, "********** %c %s %s **********", c, location, qm ? qm : "");
    else
        snprintf(out, size, "********** %c <Unknown> **********", c);
}

int DebugApplyKey(DebugSwitches *s, int key)
{
    switch (key) {
    case '1': case '2': case '3': s->level = key - '0'; return 1;
    case 'h': s->http = !s->http; return 1;
    case 'l': s->lists = !s->lists; return 1;
    case 'm': s->monitor = !s->monitor; return 1;
    case 'r': s->requests = !s->requests; return 1;
    case 's': s->responses = !s->responses; return 1;
    case '\r': case '\n': return 1;
    case '?': return 2;
    case 'c': return 3;
    }
    return 0;
}
