/* Auto refresh and the timed checks of open dialogs: the next due time of
 * a refresh (at a fixed rate, or aligned to times of day), the texts and
 * up-down steps of the "Auto Refresh Rate" dialog, and the once-a-second
 * check that fires due refreshes, marks queue managers that stopped
 * answering, re-issues waiting lists and reports a command server that
 * never answered. */
#include "pcflists.h"
#include "../pcfint.h"

#include <cstdio>
#include <cstdlib>

#include "cs.h"
#include "csdate.h"
#include "qms.h"

static int64_t LocalOffset(int64_t t)
{
    CSZoneInfo z = {};
    CSGetTimeZone(t, &z);
    return z.offset;
}

static int Alignable(uint32_t rate)
{
    return rate && rate <= 86400 && 86400 % rate == 0;
}

int64_t PCFNextRefreshTime(int64_t last, uint32_t rate, int32_t alignment, int *aligned)
{
    int64_t now = PCFNow(), base = last ? last : now;
    int can = Alignable(rate);
    if (aligned)
        *aligned = can;
    if (!rate)
        return base;
    int64_t next;
    if (can && alignment != -1) {
        int64_t offset = LocalOffset(base), local = base + offset;
        int64_t dayStart = local >= 0 ? local - local % 86400 : local - ((local % 86400) + 86400) % 86400;
        int64_t r = (local - dayStart - alignment) % rate;
        next = (r >= 0 ? local - r : local - 86400 - r) - offset;
    } else {
        next = base + rate;
    }
    if (next <= now)
        next += ((now - next) / rate + 1) * rate;
    return next;
}

void PCFInitAutoRefresh(DialogWords *d)
{
    d->refreshNext = PCFNextRefreshTime(d->refreshLast, d->refreshRate, d->refreshAlign, nullptr);
}

void PCFFmtAlignTime(uint32_t rate, int32_t alignment, char *out, size_t size)
{
    if (!rate)
        snprintf(out, size, "%s", "");
    else if (!Alignable(rate))
        snprintf(out, size, "Unavailable");
    else if (alignment < 0)
        snprintf(out, size, "None");
    else
        snprintf(out, size, "%2.2d:%2.2d:%2.2d", (int)(alignment / 3600), (int)(alignment / 60 % 60),
                 (int)(alignment % 60));
}

int PCFParseAlignment(const char *text, int32_t *alignment)
{
    while (*text == ' ')
        text++;
    if (!*text || strncmp(text, "None", 4) == 0) {
        *alignment = -1;
        return 1;
    }
    if (*text < '0' || *text > '9')
        return 0;
    char *end;
    long parts[3] = { 0, 0, 0 };
    for (int i = 0; i < 3; i++) {
        parts[i] = strtol(text, &end, 10);
        if (*end != ':')
            break;
        text = end + 1;
    }
    int64_t v = ((int64_t)parts[0] * 60 + parts[1]) * 60 + parts[2];
    if (v > 86400)
        v %= 86400;
    *alignment = (int32_t)(v < 0 ? 0 : v);
    return 1;
}

void PCFFmtRefreshTime(int64_t t, int withSeconds, char *out, size_t size)
{
    static const char *const days[] = { "Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed" };
    static const char *const months[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
    int64_t local = t + LocalOffset(t), now = PCFNow();
    int64_t nowLocal = now + LocalOffset(now);
    int64_t day = local >= 0 ? local / 86400 : (local - 86399) / 86400, secs = local - day * 86400;
    int64_t z = day + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097, yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    int dayOfMonth = (int)(doy - (153 * mp + 2) / 5 + 1), month = (int)(mp < 10 ? mp + 3 : mp - 9);
    long long year = (long long)(yoe + era * 400 + (month <= 2));
    int h = (int)(secs / 3600), m = (int)(secs / 60 % 60), s = (int)(secs % 60);
    char full[40];
    snprintf(full, sizeof full, "%s %s %2d %02d:%02d:%02d %lld", days[((day % 7) + 7) % 7], months[month - 1],
             dayOfMonth, h, m, s, year);
    int seconds = withSeconds || s != 0;
    int sameDay = (nowLocal >= 0 ? nowLocal / 86400 : (nowLocal - 86399) / 86400) == day;
    int from = sameDay ? 11 : 4, length = sameDay ? (seconds ? 8 : 5) : (seconds ? 15 : 12);
    snprintf(out, size, "%.*s", length, full + from);
}

/* ---- up-down steps ---- */

uint32_t PCFRateStep(uint32_t rate, int up)
{
    static const uint32_t upLimits[] = { 60, 600, 3600, 86400 }, steps[] = { 10, 60, 600, 3600, 86400 };
    static const uint32_t downLimits[] = { 11, 61, 601, 3601, 86401 }, downSteps[] = { 1, 10, 60, 600, 3600, 86400 };
    uint32_t step;
    if (up) {
        int i = 0;
        while (i < 4 && rate >= upLimits[i])
            i++;
        step = steps[i];
        uint64_t next = (uint64_t)rate + step;
        return (uint32_t)(next - next % step);
    }
    int i = 0;
    while (i < 5 && rate >= downLimits[i])
        i++;
    step = downSteps[i];
    if (rate <= step)
        return 0;
    uint32_t next = rate - step;
    return next - next % step;
}

int32_t PCFAlignStep(uint32_t rate, int32_t alignment, int up)
{
    int32_t step = rate <= 60 ? 10 : rate <= 300 ? 60 : rate <= 900 ? 300 : rate <= 1200 ? 600
                 : rate <= 3600 ? 900 : rate <= 86400 ? 3600 : 86400;
    if (alignment < 0)
        return up ? 0 : -1;
    int32_t next = up ? alignment + step : alignment - step;
    if (next < 0)
        return -1;
    next -= next % step;
    return next > 86400 ? 86400 : next;
}

static const CSUnitRow RateUnits[] = {
    { 604800, "Week", nullptr, nullptr }, { 86400, "Day", nullptr, nullptr }, { 3600, "Hr", nullptr, nullptr },
    { 60, "Min", nullptr, nullptr },      { 1, "Sec", nullptr, nullptr },     { 0, nullptr, nullptr, nullptr },
};

int64_t PCFParseRate(const char *text)
{
    const char *p = text;
    while (*p == ' ')
        p++;
    if (!*p)
        return 0;
    if ((*p < '0' || *p > '9') && *p != '.')
        return -1;
    int64_t v = CSParseNumberUnits(p, RateUnits, 1);
    return v < 0 || v > 0x7FFFFFFF ? -1 : v;
}

void PCFFmtRate(uint32_t rate, char *out, size_t size)
{
    char text[100];
    UTFormatInterval(text, rate, 1);
    snprintf(out, size, "%s", rate ? text : "0");
}

/* ---- the once-a-second check ---- */

static int StateKnown(const QMS *q)
{
    return q && q->status != 0xFFFFFFFFu;
}

static int Open(DialogWords *d)
{
    int found = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *o = PCFOpenDialogs; o && !found; o = o->next)
        found = o == d && !(o->stateFlags & DF_CLOSING);
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return found;
}

static void Refresh(DialogWords *d, const PCFCHECKHOOKS *h)
{
    if (h && h->refresh)
        h->refresh(h->context, d);
    else
        PCFPost(d->window, PCF_WM_COMMAND, PCFID_DEFAULT, 0);
}

/* Step 2: queue managers that stopped answering.  A background dialog
 * waits the configured time-out, any other a minute; the wait ends once
 * no list record expects answers. */
static void Silent(DialogWords *d, int64_t now, const PCFCHECKHOOKS *h)
{
    int64_t configured = PcfListPrefs.responseTimeout ? PcfListPrefs.responseTimeout : 10;
    int64_t limit = (d->optionFlags & DO_BACKGROUND) ? configured : 60;
    if (now - d->requestSent <= limit)
        return;
    int rebuild = 0, expecting = 0;
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r)) {
        if (!(r->state & PCFLR_OUTSTANDING)) {
            r->flags &= ~(uint32_t)(PCFLR_SILENT | PCFLR_REPORTED);
            continue;
        }
        expecting = 1;
        if (now - r->lastRequest < configured)
            continue;
        r->flags |= PCFLR_SILENT;
        if (!(r->flags & PCFLR_REPORTED) && r->location) {
            char text[120];
            snprintf(text, sizeof text, "Queue Manager '%s' not responding", r->location->qmName);
            PCFStatus(d, text, 4);
            r->flags |= PCFLR_REPORTED;
        }
        if (!PcfListPrefs.keepRowsOnTimeout && (r->replyArea || r->rebuilt)) {
            ReleaseRefBlock(&r->replyArea);
            ReleaseRefBlock(&r->rebuilt);
            rebuild |= PCFListShown(d, r);
        }
    }
    if (!expecting)
        d->markFlags &= ~DM_WAITING;
    if (rebuild && h && h->rebuild)
        h->rebuild(h->context, d);
}

/* Step 2's pending automatic export: the export itself waits until the
 * lists are complete, so it is offered at every tick until it has run. */
static void Export(DialogWords *d, const PCFCHECKHOOKS *h)
{
    if (!(d->markFlags & DM_EXPORT_DUE) || !d->exportDue)
        return;
    if (h && h->autoExport)
        h->autoExport(h->context, d);
    if (!d->exportDue || !h || !h->autoExport)
        d->markFlags &= ~DM_EXPORT_DUE;
}

/* Step 5: list records waiting to be asked again.  Reply processing marks
 * them under the dialogs' lock: the marks are taken under it too, so that
 * none set meanwhile is cleared unseen; the refreshes go out after. */
static void Waiting(DialogWords *d, int64_t now)
{
    PCFLISTREQ *due[16];
    int n = 0, left = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (PCFLISTREQ *r = PCFFirstList(d); r; r = PCFNextList(d, r)) {
        if (!(r->refreshFlags & PCFLR_REFRESH_DUE))
            continue;
        if (now - r->refreshDue < 1 || n == 16) {
            left = 1;
            continue;
        }
        r->refreshFlags &= ~PCFLR_REFRESH_DUE;
        r->refreshDue = now;
        due[n++] = r;
    }
    if (!left)
        d->optionFlags &= ~DO_LISTS_WAIT;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    for (int i = 0; i < n; i++)
        PCFIssueDefaultAction(due[i], d, nullptr);
}

static void Check(DialogWords *d, int64_t now, const PCFCHECKHOOKS *h)
{
    if ((d->optionFlags & DO_TRANSIENT) && now > d->statusTime + 10) {
        PCFStatus(d, "", 0);
        d->optionFlags &= ~DO_TRANSIENT;
    }
    if (d->markFlags & (DM_WAITING | DM_EXPORT_DUE))
        Silent(d, now, h);
    Export(d, h);
    if (d->refreshRate && StateKnown(d->first.location) && now >= d->refreshNext) {
        d->refreshLast = d->refreshNext;
        d->refreshNext = PCFNextRefreshTime(d->refreshLast, d->refreshRate, d->refreshAlign, nullptr);
        if (h && h->timesChanged)
            h->timesChanged(h->context, d);
        d->stateFlags |= DF_REFRESH_DUE;
        Refresh(d, h);
    }
    if (d->stateFlags & DF_STALE) {
        d->stateFlags = (d->stateFlags & ~DF_STALE) | DF_REFRESH_DUE;
        Refresh(d, h);
    }
    if (d->optionFlags & DO_LISTS_WAIT)
        Waiting(d, now);
    if ((d->markFlags & DM_REQUEST_SENT) && now > d->requestSent + 5) {
        PCFStatus(d, "No response from Command Server", 0);
        d->markFlags &= ~DM_REQUEST_SENT;
        if (h && h->show)
            h->show(h->context, d);
    }
}

void PCFCheckResponses(int64_t now, const PCFCHECKHOOKS *h)
{
    DialogWords *list[256];
    int n = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d && n < 256; d = d->next)
        if (!(d->stateFlags & DF_CLOSING))
            list[n++] = d;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    for (int i = n - 1; i >= 0; i--)
        if (Open(list[i]))
            Check(list[i], now, h);
}
