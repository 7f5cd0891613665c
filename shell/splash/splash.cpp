/* Showing a queue manager's splash information: the choice of source
 * from the templates, the checks on a file or web page before a window
 * is made, the placement of the windows, and the error window that says
 * why nothing is shown. */
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "splash.h"
#include "splashint.h"
#include "version.h"
#include "cs.h"
#include "prfdata.h"
#include "qms.h"
#include "shellhost.h"
#include "tkutil.h"

/* the location's open splash window, when it still exists */
static HWND open_window(QMS *location)
{
    HWND w = location ? (HWND)location->splashWindow : nullptr;
    return w && IsWindow(w) ? w : nullptr;
}

PlaceRect SplashPlaceFor(HWND owner, int32_t cx, int32_t cy, int fraction)
{
    const DisplayLayout *d = UtilDisplayLayout();
    RECT rc;
    PlaceRect o, *ownerRect = nullptr;
    if (owner && GetWindowRect(owner, &rc)) {
        o = {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
        ownerRect = &o;
    }
    AreaRect m = d->monitor[SplashChooseMonitor(d, ownerRect)];
    if (m.right <= m.left || m.bottom <= m.top)
        m = d->desktop;
    if (fraction) {
        cx = (m.right - m.left) / 3;
        cy = (m.bottom - m.top) / 5;
    }
    return SplashPlace(&m, cx, cy);
}

int SplashShowError(HWND owner, QMS *location, const char *reason)
{
    char text[SPLASH_NAME + 100];
    snprintf(text, sizeof text, "\nQueue Manager Splash information not shown because......\n\n%s",
             reason);
    SplashRichWindow(owner, "Ravolt Splash Information", location, nullptr, text,
                     SplashPlaceFor(owner, 0, 0, 1));
    return 1;
}

/* reports a reason when asked: 1 when reported, else 0 */
static int report_or_not(HWND owner, QMS *location, int report, const char *format,
                         const char *value)
{
    char reason[SPLASH_NAME + 100];
    if (!report)
        return 0;
    snprintf(reason, sizeof reason, format, value);
    return SplashShowError(owner, location, reason);
}

/* a file to show: -1 not accessible, 0 empty (under 2 bytes), 1 fine */
static int examine_file(const char *name)
{
    FILE *f = fopen(name, "rb");
    if (!f)
        return -1;
    char two[2];
    size_t n = fread(two, 1, 2, f);
    fclose(f);
    return n < 2 ? 0 : 1;
}

/* an "http://" source: shown when the page is there */
static int show_web(HWND owner, const char *title, QMS *location, const SplashSource *s,
                    int report)
{
    VERHTTP h;
    char error[VER_TEXT];
    int ok = VerHttpGet(s->name, &h, error);
    int status = h.status;
    VerHttpFree(&h);
    if (!ok)
        return report_or_not(owner, location, report, "%s", error);
    if (status == 404)
        return report_or_not(owner, location, report, "Web Page '%s' was not found", s->name);
    SplashBrowserWindow(owner, title, location, s->name, SplashPlaceFor(owner, s->cx, s->cy, 0));
    return 1;
}

int SplashShowFile(HWND owner, const char *title, QMS *location, const char *templ, int report,
                   int)
{
    if (HWND w = open_window(location)) {
        ActivateWindow(w);
        return 1;
    }
    if (!templ || !*templ)
        return report ? SplashShowError(owner, location, "No Splash file given.") : 0;
    SplashSource s;
    SplashExpand(templ, location ? location->qmName : nullptr,
                 location ? location->groupName : nullptr, &s);
    if (!s.name[0])
        return report ? SplashShowError(owner, location, "No Splash screen file name supplied.")
                      : 0;
    int kind = SplashKindOf(s.name);
    if (kind == SPLASH_WEB)
        return show_web(owner, title, location, &s, report);
    if (kind == SPLASH_OTHER)
        return report_or_not(owner, location, 1, "Unrecognised file name format '%s'", s.name);
    int state = examine_file(s.name);
    if (state < 0)
        return report_or_not(owner, location, report, "Can not access file '%s'", s.name);
    if (state == 0)
        report_or_not(owner, nullptr, report, "File '%s' apears to be empty", s.name);
    PlaceRect r = SplashPlaceFor(owner, s.cx, s.cy, 0);
    if (kind == SPLASH_HTML)
        SplashBrowserWindow(owner, title, location, s.name, r);
    else
        SplashRichWindow(owner, title, location, s.name, nullptr, r);
    return 1;
}

int SplashShow(HWND owner, const char *title, QMS *location, int reportIfNone, int force)
{
    if (!location)
        return 0;
    if (HWND w = open_window(location)) {
        ActivateWindow(w);
        return 1;
    }
    if (location->splashShown && !force)
        return 0;
    location->splashShown = 1;
    char caption[200];
    if (!title) {
        snprintf(caption, sizeof caption, "Ravolt Splash Information for Queue Manager '%s'",
                 location->qmName);
        title = caption;
    }
    const char *templates[2] = {Prf.splashqms, Prf.splashqmn};
    for (const char *t : templates)
        if (int rc = SplashShowFile(owner, title, location, t, 0, 0))
            return rc;
    if (!reportIfNone)
        return 0;
    /* with reporting, the templates that are set say why they show nothing */
    for (const char *t : templates)
        if (t && *t)
            if (int rc = SplashShowFile(owner, title, location, t, 1, 0))
                return rc;
    char reason[200];
    snprintf(reason, sizeof reason, "No Splash information available for Queue Manager '%s'",
             location->qmName);
    return SplashShowError(owner, location, reason);
}
