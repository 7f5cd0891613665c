/* The location context menu's command table: which rows apply to a
 * location, the order the user's habits give them (how often, how
 * lately), the menu texts, and the usage statistics the profile keeps. */
#include "shellrules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "locstore.h"

enum { KIND_LOCATION = 2 };

CTXROW CtxRows[] = {
    { 749, 516, "Open Location  ...", nullptr, 0x100000000ull, KIND_LOCATION, 0, 0, 0 },
    { -1, 0, nullptr, nullptr, 0, 0, 0, 0, 0 },
    { 542, 0, "Queue &Manager  ...", "General", 0x1000000000000000ull, KIND_LOCATION, 1, 0, 0 },
    { 556, 0, "MQSC &Commands  ...", "General", 0x1000000000000000ull, KIND_LOCATION, 1, 0, 0 },
    { -1, 0, nullptr, nullptr, 0, 0, 0, 0, 0 },
    { 885, 0, "Show Queue Depth", "General", 0, KIND_LOCATION, 0, 0, 0 },
    { -1, 0, nullptr, nullptr, 0, 0, 0, 0, 0 },
    { 621, 0, "Disconnect", "General", 0, KIND_LOCATION, 1, 0, 0 },
};
const int CtxRowCount = (int)(sizeof CtxRows / sizeof CtxRows[0]);

static CTXROW *find_row(int32_t id)
{
    for (CTXROW &r : CtxRows)
        if (r.id == id && id >= 0)
            return &r;
    return nullptr;
}

void NoteCommandUse(int32_t id, int32_t now)
{
    CTXROW *r = find_row(id);
    if (!r)
        return;
    int32_t interval = now - r->lastUse;
    r->meanInterval = r->meanInterval ? r->meanInterval / 8 * 7 + (r->meanInterval % 8) * 7 / 8
                                            + interval / 8
                                      : interval;
    if (!r->meanInterval)
        r->meanInterval = 100;
    r->lastUse = now;
}

void SetCommandUsage(int32_t id, int32_t lastUse, int32_t meanInterval)
{
    CTXROW *r = find_row(id);
    if (!r)
        return;
    r->lastUse = lastUse;
    r->meanInterval = meanInterval;
}

void CommandUsageText(void (*put)(void *ctx, const char *text), void *ctx)
{
    char t[48];
    for (const CTXROW &r : CtxRows)
        if (r.id >= 0) {
            snprintf(t, sizeof t, "(%d %d %d)", (int)r.id, (int)r.lastUse, (int)r.meanInterval);
            put(ctx, t);
        }
}

int CtxRowApplies(const CTXROW *row, const QMS *l, uint32_t kinds, uint32_t po4)
{
    if (row->id < 0 || !l)
        return 0;
    if ((l->flags & LF_FGN) && row->id != 749)
        return 0;
    if (row->mask && !LocMaskMatch(l->authMask, row->mask))
        return 0;
    if (!(row->kinds & kinds))
        return 0;
    if (row->needsConnection && (l->flags & (LF_NC | LF_FGN)))
        return 0;
    int32_t id = row->id;
    if ((l->flags & LF_NOMQTT) && (id == 823 || (id >= 825 && id <= 827) || id == 829))
        return 0;
    if ((po4 & 0x40) && (id == 838 || id == 839))
        return 0;
    return 1;
}

/* A row's text without "&", for the order inside a named submenu. */
static void plain_text(const char *text, char *out, size_t size)
{
    size_t n = 0;
    for (const char *p = text ? text : ""; *p && n + 1 < size; p++)
        if (*p != '&')
            out[n++] = *p;
    out[n] = 0;
}

static const char otherCommands[] = "Other Commands...";

int CtxMenuOrder(const QMS *l, uint32_t kinds, const CTXSETTINGS *s, CTXITEM *out, int max)
{
    uint32_t order = s->po2 & 0x8600;
    int n = 0;
    if (!order) {
        for (int i = 0; i < CtxRowCount && n < max; i++)
            if (CtxRows[i].id < 0 || CtxRowApplies(&CtxRows[i], l, kinds, s->po4))
                out[n++] = { i, nullptr };
        return n;
    }
    int rows[64], count = 0;
    for (int i = 0; i < CtxRowCount && count < 64; i++)
        if (CtxRowApplies(&CtxRows[i], l, kinds, s->po4))
            rows[count++] = i;
    std::stable_sort(rows, rows + count, [&](int a, int b) {
        const CTXROW &x = CtxRows[a], &y = CtxRows[b];
        if (order & 0x200) {
            if (!x.lastUse != !y.lastUse)
                return x.lastUse != 0;
            if (x.meanInterval != y.meanInterval)
                return x.meanInterval < y.meanInterval;
        }
        if (order & 0x400) {
            if (x.lastUse != y.lastUse)
                return x.lastUse > y.lastUse;
        }
        return false;
    });
    int first = s->first < count ? s->first : count;
    for (int i = 0; i < first && n < max; i++)
        out[n++] = { rows[i], nullptr };
    int byName = (s->po3 & 0x200000) != 0;
    int start = n;
    for (int i = first; i < count && n < max; i++) {
        const CTXROW &r = CtxRows[rows[i]];
        out[n++] = { rows[i], byName && r.submenu ? r.submenu : otherCommands };
    }
    if (byName)
        std::stable_sort(out + start, out + n, [](const CTXITEM &a, const CTXITEM &b) {
            int c = strcmp(a.submenu, b.submenu);
            if (c)
                return c < 0;
            char x[100], y[100];
            plain_text(CtxRows[a.row].text, x, sizeof x);
            plain_text(CtxRows[b.row].text, y, sizeof y);
            return strcmp(x, y) < 0;
        });
    return n;
}

void CtxRowText(const CTXROW *row, const QMS *l, int diagnostics, char *out, size_t size)
{
    const char *name = l ? ShellLocationName(l) : "";
    char base[200];
    if (row->id == 749)
        snprintf(base, sizeof base, "Open Location %s...", name);
    else if (row->id == 542)
        snprintf(base, sizeof base, "Queue &Manager (%s)...", name);
    else
        snprintf(base, sizeof base, "%s", row->text ? row->text : "");
    if (diagnostics)
        snprintf(out, size, "%s %d %d", base, (int)row->meanInterval, (int)row->lastUse);
    else
        snprintf(out, size, "%s", base);
}
