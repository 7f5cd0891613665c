/* Rate limits of the configured sounds: a minimum gap between alerts, a
 * bounded run of alerts, and a minimum gap between other sounds. */
#include "tklogic.h"
#include <cstdio>

int SoundParseTimes(const char *text, SoundTimes *t)
{
    int a = 0, b = 0, c = 0;
    t->alertGap = t->alertRun = t->otherGap = 0;
    if (!text)
        return 0;
    int n = sscanf(text, "%d:%d:%d", &a, &b, &c);
    if (n < 1)
        return 0;
    t->alertGap = a > 0 ? a : 0;
    t->alertRun = n > 1 && b > 0 ? b : 0;
    t->otherGap = n > 2 && c > 0 ? c : 0;
    return n;
}

/* A run of alerts ends once a whole second interval passed without an
 * alert being asked for, so that alerts sound again later on. */
static int alert_allowed(SoundGate *g, const SoundTimes *t, int64_t now)
{
    if (g->hasRun && t->alertRun && g->hasAsked && now - g->lastAlertAsked >= t->alertRun)
        g->hasRun = 0;
    g->lastAlertAsked = now;
    g->hasAsked = 1;
    if (t->alertGap && g->hasAlert && now - g->lastAlert < t->alertGap)
        return 0;
    if (t->alertRun && g->hasRun && now - g->runStart >= t->alertRun)
        return 0;
    g->lastAlert = now;
    g->hasAlert = 1;
    if (!g->hasRun) {
        g->runStart = now;
        g->hasRun = 1;
    }
    return 1;
}

int SoundGateAllow(SoundGate *g, const SoundTimes *t, int alert, int64_t now)
{
    int ok;
    if (alert)
        ok = alert_allowed(g, t, now);
    else
        ok = !(t->otherGap && g->hasSound && now - g->lastSound < t->otherGap);
    if (ok) {
        g->lastSound = now;
        g->hasSound = 1;
    }
    return ok;
}
