/* The queue-manager panel's texts: the queue prefix's check, the
 * histories of typed texts, and the location and queue searches with the
 * fields a location search looks at. */
#include "shellrules.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "cs.h"
#include "cstext.h"
#include "qms.h"

/* ---- queue prefix ---- */

static int prefix_char(char c)
{
    return isalnum((unsigned char)c) || c == '.' || c == '%' || c == '/' || c == '_';
}

int ShellCheckPrefix(const char *text, int32_t minimum, char *out, char *error)
{
    char t[50];
    snprintf(t, sizeof t, "%s", text ? text : "");
    size_t n = strlen(t);
    int valid = 0;
    error[0] = 0;
    for (size_t i = 0; i < n; i++) {
        if (t[i] == '*') {
            if (i + 1 != n) {
                strcpy(error, "Asterisk can only be at the end of the Queue prefix");
                return 0;
            }
        } else if (prefix_char(t[i])) {
            valid++;
        } else {
            strcpy(error, "Queue Prefix contains invalid characters");
            return 0;
        }
    }
    if (minimum >= 1 && valid < minimum) {
        snprintf(error, 100, "The Queue Prefix must be at least %d characters", (int)minimum);
        return 0;
    }
    if (!strchr(t, '*') && n < 49)
        t[n++] = '*', t[n] = 0;
    memcpy(out, t, n + 1);
    return 1;
}

/* ---- histories ---- */

static const char *elem_text(const CSLISTELEM *e)
{
    return (const char *)(e + 1);
}

void ShellHistoryAdd(CSLIST *history, const char *text)
{
    char t[SHELL_SEARCH_TEXT + 1];
    snprintf(t, sizeof t, "%s", text ? text : "");
    if (!t[0])
        return;
    for (CSLISTELEM *e = history->first; e; e = e->next) {
        if (strcmp(elem_text(e), t))
            continue;
        if (e == history->first)
            return;
        CSListRemove(e);
        break;
    }
    while (history->count >= SHELL_HISTORY_MAX)
        CSListRemove(history->first);
    CSListAdd(history, "HISTORY", CSLIST_COPYDATA, t, strlen(t) + 1);
}

int ShellHistoryTexts(const CSLIST *history, const char **texts, int max)
{
    int n = 0;
    for (CSLISTELEM *e = history->last; e && n < max; e = e->prev)
        texts[n++] = elem_text(e);
    return n;
}

/* ---- searches ---- */

/* The word at w (its length is word's) equals word, letter case aside. */
static int same_word(const char *w, const char *word)
{
    for (; *word; w++, word++)
        if (tolower((unsigned char)*w) != *word)
            return 0;
    return 1;
}

/* The field words after "<". */
static int32_t field_mask(const char *words)
{
    static const struct { const char *word; int32_t bit; } table[] = {
        { "qm", SF_QMNAME }, { "m", SF_QMNAME }, { "loc", SF_LOCATION }, { "l", SF_LOCATION },
        { "grp", SF_GROUP }, { "g", SF_GROUP }, { "net", SF_NETWORK }, { "n", SF_NETWORK },
        { "conn", SF_CONNECTION }, { "c", SF_CONNECTION },
    };
    int32_t mask = 0;
    const char *p = words;
    while (*p && *p != '>') {
        while (*p == ' ' || *p == ',')
            p++;
        const char *w = p;
        while (*p && *p != ' ' && *p != ',' && *p != '>')
            p++;
        for (const auto &t : table)
            if ((size_t)(p - w) == strlen(t.word) && same_word(w, t.word))
                mask |= t.bit;
    }
    return mask;
}

void ShellSearchFree(SHELLSEARCH *search)
{
    CSFreeMemAndClear(&search->patterns);
    search->fields = -1;
}

void ShellSearchBuild(SHELLSEARCH *search, const char *text, int allowFields)
{
    ShellSearchFree(search);
    char t[SHELL_SEARCH_TEXT + 1];
    snprintf(t, sizeof t, "%s", text ? text : "");
    char *angle = allowFields ? strchr(t, '<') : nullptr;
    if (angle) {
        search->fields = field_mask(angle + 1);
        *angle = 0;
    }
    /* each term becomes "*term*": at most three more bytes a term */
    size_t room = strlen(t) * 3 + 8;
    char *block = (char *)CSGetMem(room, "SEARCH"), *o = block;
    if (!block)
        return;
    int terms = 0;
    for (char *p = t; *p;) {
        while (*p == ' ' || *p == ',')
            p++;
        char *w = p;
        while (*p && *p != ',')
            p++;
        char *end = p;
        while (end > w && end[-1] == ' ')
            end--;
        if (end == w)
            continue;
        *o++ = '*';
        memcpy(o, w, (size_t)(end - w));
        o += end - w;
        *o++ = '*';
        *o++ = 0;
        terms++;
    }
    *o = 0;
    if (!terms) {
        CSFreeMem(block);
        return;
    }
    search->patterns = block;
}

int ShellSearchText(const SHELLSEARCH *search, const char *text)
{
    if (!text)
        return 0;
    int n = (int)strlen(text);
    for (const char *p = search->patterns; p && *p; p += strlen(p) + 1)
        if (UTWildMatchNoCase(text, n, p, (int)strlen(p)))
            return 1;
    return 0;
}

static SHELLSEARCHHOOKS hooks;

void ShellSearchSetHooks(const SHELLSEARCHHOOKS *h)
{
    if (h)
        hooks = *h;
    else
        memset(&hooks, 0, sizeof hooks);
}

const SHELLSEARCHHOOKS *ShellSearchHooks(void)
{
    return &hooks;
}

bool LocMatchesSearch(const SHELLSEARCH *search, const QMS *r)
{
    if (!search || !search->patterns)
        return true;
    if (!search->patterns[0])
        return false;
    int32_t f = search->fields;
    char connection[300];
    if ((f & SF_QMNAME) && ShellSearchText(search, r->qmName))
        return true;
    if ((f & SF_LOCATION) && ShellSearchText(search, ShellLocationName(r)))
        return true;
    if ((f & SF_GROUP) && r->groupName[0] && ShellSearchText(search, r->groupName))
        return true;
    if ((f & SF_NETWORK) && r->networkNames && ShellSearchText(search, r->networkNames))
        return true;
    if ((f & SF_CONNECTION) && hooks.connectionName &&
        ShellSearchText(search, hooks.connectionName(hooks.context, r, connection, sizeof connection)))
        return true;
    return false;
}

bool QMatchesSearch(const SHELLSEARCH *search, const char *queueName)
{
    if (!search || !search->patterns)
        return true;
    return search->patterns[0] && ShellSearchText(search, queueName);
}

/* The timer's test of search typing. */
int ShellSearchDue(uint32_t now, uint32_t tick, int32_t delay)
{
    return tick && (uint32_t)(now - tick) > (uint32_t)(delay > 0 ? delay : 0);
}
