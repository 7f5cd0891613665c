/* Splash sources: expanding a template for a location, telling a name's
 * kind by its ending, and placing a window on the monitor its owner
 * overlaps most. */
#include "splash.h"

#include <cstdio>
#include <cstring>

static int lower(int c)
{
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

/* appends text while room is left (the last byte stays for the NUL) */
static size_t put(char *out, size_t at, const char *text, size_t n)
{
    while (n-- && *text && at + 1 < SPLASH_NAME)
        out[at++] = *text++;
    return at;
}

/* "[cx,cy]" at p; 0 where a part is missing or not positive */
static void bracket_size(const char *p, SplashSource *s)
{
    int cx = 0, cy = 0;
    if (sscanf(p, "[%d,%d]", &cx, &cy) < 1)
        return;
    s->cx = cx > 0 ? cx : 0;
    s->cy = cy > 0 ? cy : 0;
}

void SplashExpand(const char *templ, const char *qm, const char *group, SplashSource *s)
{
    size_t at = 0;
    memset(s, 0, sizeof *s);
    if (!templ)
        return;
    const char *end = strchr(templ, '[');
    if (end)
        bracket_size(end, s);
    else
        end = templ + strlen(templ);
    for (const char *p = templ; p < end; p++) {
        if (p[0] == '%' && p + 1 < end && (p[1] == 'm' || p[1] == 'g' || p[1] == '%')) {
            const char *v = p[1] == 'm' ? qm : p[1] == 'g' ? group : "%";
            if (v)
                at = put(s->name, at, v, strlen(v));
            p++;
        } else {
            at = put(s->name, at, p, 1);
        }
    }
    s->name[at] = 0;
}

/* 1 when the name ends with the ending (any case) */
static int ends_with(const char *name, const char *ending)
{
    size_t n = strlen(name), e = strlen(ending);
    if (n < e)
        return 0;
    for (size_t i = 0; i < e; i++)
        if (lower(name[n - e + i]) != lower(ending[i]))
            return 0;
    return 1;
}

int SplashKindOf(const char *name)
{
    static const struct { const char *ending; int kind; } endings[] = {
        {".txt", SPLASH_TEXT}, {".rtf", SPLASH_RTF}, {".htm", SPLASH_HTML}, {".html", SPLASH_HTML},
    };
    if (!name)
        return SPLASH_OTHER;
    static const char web[] = "http://";
    size_t i = 0;
    while (i < 7 && lower(name[i]) == web[i])
        i++;
    if (i == 7)
        return SPLASH_WEB;
    for (const auto &e : endings)
        if (ends_with(name, e.ending))
            return e.kind;
    return SPLASH_OTHER;
}

int SplashChooseMonitor(const DisplayLayout *d, const PlaceRect *owner)
{
    int n = d->monitors < 1 ? 1 : d->monitors > 3 ? 3 : d->monitors;
    if (!owner || n == 1)
        return 0;
    int best = 0;
    int64_t most = WinRectOverlap(owner, &d->monitor[0]);
    for (int i = 1; i < n; i++) {
        int64_t o = WinRectOverlap(owner, &d->monitor[i]);
        if (o > most || (i == 1 && o == most)) {
            best = i;
            most = o;
        }
    }
    return best;
}

PlaceRect SplashPlace(const AreaRect *m, int32_t cx, int32_t cy)
{
    int32_t width = m->right - m->left, height = m->bottom - m->top;
    PlaceRect r;
    r.cx = cx > 0 ? cx : width / 2;
    r.cy = cy > 0 ? cy : height / 2;
    if (r.cx > width)
        r.cx = width;
    if (r.cy > height)
        r.cy = height;
    r.x = m->left + (width - r.cx) / 2;
    r.y = m->top + (height - r.cy) / 2;
    return r;
}
