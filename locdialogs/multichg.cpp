/* Change Multiple Locations without windows: the changeable fields, the
 * location entries with their search and visibility, the list lines, the
 * value of a field in a location, the current value over the selected
 * locations, and setting a value or editing a list in each of them. */
#include "locdlg.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cs.h"
#include "dialogs.h"

/* ---- the field table ---------------------------------------------------- */

static const MultiChgValue YesNo[] = { { "Yes", 1, "YES" }, { "No", 0, "NO" }, { nullptr, 0, nullptr } };
static const MultiChgValue AuthMethods[] = {
    { "IBM MQ Configured", 0, "CONFIG" }, { "Prompt for Password", 1, "PROMPT" }, { nullptr, 0, nullptr } };

#define CONN "connection"
#define CHL "connection,channel,chl,ccdt"
#define SEC "connection,security"
#define CHLSEC "connection,channel,chl,ccdt,security"
#define F1 offsetof(QMS, flags)
#define F2 offsetof(QMS, flags2)

const MultiChgField MultiChgFields[] = {
    { "Reply Queue Name", 150, MCT_STRING, offsetof(QMS, replyModel), 48, 0, CONN, nullptr },
    { "Reply Prefix", 265, MCT_STRING, offsetof(QMS, replyPrefix), 48, 0, CONN, nullptr },
    { "Queue Manager Group", 166, MCT_STRING, offsetof(QMS, groupName), 48, MCF_REGROUP, CONN, nullptr },
    { "Command Queue", 104, MCT_STRING, offsetof(QMS, commandQueue), 48, 0, "commands", nullptr },
    { "CCDT URL", 549, MCT_SHARED, offsetof(QMS, ccdtUrl), 500, 0, CHL, nullptr },
    { "Security Group Name", 577, MCT_SHARED, offsetof(QMS, securityGroup), 48, 0, SEC, nullptr },
    { "Security Group Description", 578, MCT_SHARED, offsetof(QMS, securityGroupDesc), 64, 0, SEC, nullptr },
    { "Network Names", 228, MCT_SHARED, offsetof(QMS, networkNames), 500, MCF_LIST, nullptr, nullptr },
    { "Auto-connect", 151, MCT_FLAG, F1, 0x40, 0, CONN, YesNo },
    { "Uppercase Object Names", 283, MCT_FLAG, F1, 0x1000, 0, "commands", YesNo },
    { "Uppercase Exits", 284, MCT_FLAG, F1, 0x2000, 0, "commands", YesNo },
    { "Userid and Password", 324, MCT_FLAG, F1, 0x100000, 0, SEC, YesNo },
    { "Security Exit Only", 441, MCT_FLAG, F1, 0x80000000u, 0, SEC, YesNo },
    { "Download Object Definitions", 370, MCT_FLAG, F1, 0x2000000, 0, "commands", YesNo },
    { "Disable Auto Update of Dialogs", 375, MCT_FLAG, F1, 0x8000000, 0, "commands", YesNo },
    { "Disable Read-Ahead", 376, MCT_FLAG, F1, 0x10000000, 0, CONN, YesNo },
    { "MVS", 120, MCT_FLAG, F1, 0x2, 0, CONN, YesNo },
    { "Cache password on success only", 442, MCT_FLAG, F2, 0x1, 0, SEC, YesNo },
    { "Use password cache", 480, MCT_FLAG, F2, 0x2, MCF_INVERTED, SEC, YesNo },
    { "Allow Weak Cipher Specs", 519, MCT_FLAG, F2, 0x10, 0, nullptr, YesNo },
    { "Uppercase Userid", 574, MCT_FLAG, F2, 0x80, 0, SEC, YesNo },
    { "Uppercase Password", 575, MCT_FLAG, F2, 0x100, 0, SEC, YesNo },
    { "Retry Interval", 145, MCT_INT, offsetof(QMS, retryInterval), 0, 0, CONN, nullptr },
    { "Disconnect Interval", 146, MCT_INT, offsetof(QMS, disconnectInterval), 0, 0, CONN, nullptr },
    { "Channel Name", 0, MCT_CHLSTRING, 3501, 20, 0, CHL, nullptr },
    { "Security Exit", 0, MCT_CHLSTRING, 3508, 128, 0, CHLSEC, nullptr },
    { "Security Exit Data", 0, MCT_CHLSTRING, 3513, 32, 0, CHLSEC, nullptr },
    { "SSL/TLS Cipher Spec", 0, MCT_CHLSTRING, 3544, 32, 0, CHLSEC, nullptr },
    { "SSL/TLS Peer Name", 0, MCT_CHLSTRING, 3545, 1024, 0, CHLSEC, nullptr },
    { "SSL/TLS Key Repository", 0, MCT_CHLSTRING, 2049, 256, 0, CHLSEC, nullptr },
    { "SSL/TLS Key Repos Auth Method", 0, MCT_CHLENUM, 10297, 0, 0, CHLSEC, AuthMethods },
    { "SSL/TLS Certificate Label", 0, MCT_CHLSTRING, 2121, 64, 0, CHLSEC, nullptr },
    { "Local Address", 0, MCT_CHLSTRING, 3520, 48, 0, CHL, nullptr },
    { "Max Message Length", 0, MCT_CHLINT, 1510, 0, 0, CHL, nullptr },
    { "Heartbeat Interval", 0, MCT_CHLINT, 1563, 0, 0, CHL, nullptr },
    { "Sharing Conversations", 0, MCT_CHLINT, 1615, 0, 0, CHL, nullptr },
    { "Newline CR/LF", 538, MCT_FLAG, F2, 0x40, 0, "edit", YesNo },
};
const int MultiChgFieldCount = sizeof MultiChgFields / sizeof MultiChgFields[0];

static const char NoChannel[] = "<No Local Channel Definition>";
static const char Multiple[] = "<Multiple Values>";

static char *FieldText(QMS *r, const MultiChgField *f) { return (char *)r + f->offset; }
static const char **FieldShared(QMS *r, const MultiChgField *f) { return (const char **)((char *)r + f->offset); }
static uint32_t *FieldWord(QMS *r, const MultiChgField *f) { return (uint32_t *)((char *)r + f->offset); }
static int32_t *FieldInt(QMS *r, const MultiChgField *f) { return (int32_t *)((char *)r + f->offset); }

static int IsChannel(const MultiChgField *f)
{
    return f->type == MCT_CHLSTRING || f->type == MCT_CHLINT || f->type == MCT_CHLENUM;
}

/* ---- entries, search and visibility -------------------------------------- */

int MultiChgBuild(MCDIALOG *d, CSTREE *tree)
{
    int n = 0;
    for (CSTREE *e = CSTreeFirst(tree); e; e = e->next)
        n += LocMaskMatch(((QMS *)e)->authMask, LOC_CHANGE_MASK);
    d->entries = (MCQMS *)CSGetMem(sizeof(MCQMS) * (size_t)(n ? n : 1), "MCQMS");
    if (!d->entries)
        return 0;
    memset(d->entries, 0, sizeof(MCQMS) * (size_t)(n ? n : 1));
    d->count = 0;
    for (CSTREE *e = CSTreeFirst(tree); e; e = e->next) {
        QMS *r = (QMS *)e;
        if (!LocMaskMatch(r->authMask, LOC_CHANGE_MASK))
            continue;
        d->entries[d->count].location = r;
        d->entries[d->count].visible = 1;
        d->count++;
    }
    d->visibleCount = d->count;
    d->selectedCount = 0;
    return 1;
}

void MultiChgFree(MCDIALOG *d)
{
    CSFreeMemAndClear(&d->entries);
    d->count = 0;
}

int MultiChgForget(MCDIALOG *d, const QMS *location)
{
    for (int i = 0; i < d->count; i++) {
        MCQMS *e = &d->entries[i];
        if (e->location != location)
            continue;
        d->visibleCount -= e->visible != 0;
        d->selectedCount -= e->selected != 0;
        memmove(e, e + 1, sizeof *e * (size_t)(d->count - i - 1));
        d->count--;
        return 1;
    }
    return 0;
}

int MultiChgSetSearch(MCDIALOG *d, const char *text)
{
    size_t n = strlen(text ? text : "");
    if (!n) {
        d->locPattern[0] = 0;
    } else if (text[0] == '\'' || text[0] == '"') {
        size_t end = n > 1 && text[n - 1] == text[0] ? n - 1 : n;
        snprintf(d->locPattern, sizeof d->locPattern, "%.*s", (int)(end - 1), text + 1);
    } else {
        snprintf(d->locPattern, sizeof d->locPattern, "*%s*", text);
    }
    d->locPatternLength = (int)strlen(d->locPattern);
    return MultiChgVisibility(d);
}

static int Matches(const char *pattern, int length, const char *text)
{
    return text && UTWildMatchNoCase(text, (int)strlen(text), pattern, length);
}

/* 1 when the pattern matches one of the comma-separated names. */
static int MatchesNames(const char *pattern, int length, const char *names)
{
    for (const char *p = names; p && *p;) {
        const char *end = strchr(p, ',');
        const char *s = p;
        int n = end ? (int)(end - p) : (int)strlen(p);
        UTTrimSpan(&s, &n);
        if (UTWildMatchNoCase(s, n, pattern, length))
            return 1;
        p = end ? end + 1 : nullptr;
    }
    return 0;
}

static int EntryMatches(const MCDIALOG *d, const MCQMS *e)
{
    const QMS *r = e->location;
    if (!d->locPatternLength)
        return !d->valuesOnly || e->matches;
    const char *p = d->locPattern;
    int n = d->locPatternLength;
    int match = Matches(p, n, r->qmName) || Matches(p, n, r->locationName) ||
                Matches(p, n, r->groupName) || MatchesNames(p, n, r->networkNames) ||
                Matches(p, n, r->securityGroup);
    return match && (!d->valuesOnly || e->matches);
}

int MultiChgVisibility(MCDIALOG *d)
{
    int changed = 0;
    d->visibleCount = 0;
    for (int i = 0; i < d->count; i++) {
        MCQMS *e = &d->entries[i];
        uint32_t v = (uint32_t)(EntryMatches(d, e) != d->invert);
        if (v && d->selectedOnly && !e->selected)
            v = 0;
        changed |= v != e->visible;
        e->visible = v;
        d->visibleCount += (int)v;
    }
    return changed;
}

void MultiChgLines(MCDIALOG *d, void (*line)(void *, const char *, int), void *ctx)
{
    char text[QMS_NAME + 16];
    const char *previous = nullptr;
    int number = 0, hidden = 0;
    for (int i = 0; i < d->count; i++) {
        MCQMS *e = &d->entries[i];
        if (!e->visible) {
            hidden += e->selected != 0;
            continue;
        }
        number = previous && !strcmp(previous, e->location->qmName) ? number + 1 : 0;
        previous = e->location->qmName;
        snprintf(text, sizeof text, "%s %3.3d", e->location->qmName, number);
        line(ctx, text, i);
    }
    if (!hidden)
        return;
    line(ctx, "p", -1);
    for (int i = 0; i < d->count; i++)
        if (!d->entries[i].visible && d->entries[i].selected) {
            snprintf(text, sizeof text, "~ %s %3.3d", d->entries[i].location->qmName, 0);
            line(ctx, text, i);
        }
}

void MultiChgStatusText(const MCDIALOG *d, char *out, size_t size)
{
    snprintf(out, size, "%d of %d (%d selected)", d->visibleCount, d->count, d->selectedCount);
}

void MultiChgSelect(MCDIALOG *d, int how, int index)
{
    for (int i = 0; i < d->count; i++) {
        MCQMS *e = &d->entries[i];
        switch (how) {
        case 0: if (e->visible) e->selected = 1; break;
        case 1: if (e->visible) e->selected = 0; break;
        case 2: e->selected = 0; break;
        case 3: if (i == index) e->selected = !e->selected; break;
        }
    }
    d->selectedCount = 0;
    for (int i = 0; i < d->count; i++)
        d->selectedCount += d->entries[i].selected != 0;
}

/* ---- fields ---------------------------------------------------------------- */

int MultiChgFieldListed(const MultiChgField *f, const char *search)
{
    if (!search || !*search)
        return 1;
    char pattern[MC_PATTERN];
    snprintf(pattern, sizeof pattern, "*%s*", search);
    int n = (int)strlen(pattern);
    return Matches(pattern, n, f->name) || MatchesNames(pattern, n, f->categories);
}

void MultiChgChooseField(MCDIALOG *d, const MultiChgField *f, char *title, size_t size)
{
    d->field = f;
    if (f)
        snprintf(title, size, "Change Multiple Location - %s", f->name);
    else
        snprintf(title, size, "Change Multiple Location");
}

static const MultiChgValue *ValueByName(const MultiChgValue *list, const char *text)
{
    for (const MultiChgValue *v = list; v && v->name; v++)
        if (!strcmp(v->name, text) || (v->keyword && !strcmp(v->keyword, text)))
            return v;
    return nullptr;
}

/* The client-channel entry of a row's attribute, or null. */
static PCFFieldEntry *ChannelEntry(const MultiChgField *f)
{
    PCFInitCommandDefs();
    return PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, (uint32_t)f->offset);
}

static const char *ChannelText(const MultiChgField *f, QMS *r, char *buffer, size_t size)
{
    uint8_t *area = (uint8_t *)r->clientSettings;
    snprintf(buffer, size, "%s", area ? "" : NoChannel);
    if (!area)
        return buffer;
    PCFFieldEntry *e = ChannelEntry(f);
    if (!e || !(PCFState(area + e->offset) & (PCFS_PRESENT | PCFS_RECEIVED)))
        return buffer;
    if (f->type == MCT_CHLSTRING) {
        char value[1100];
        snprintf(buffer, size, "%s", PCFValueText(area, e, 0, value, sizeof value, 0));
        return buffer;
    }
    int32_t v = PCFRecInt(area + e->offset);
    if (f->type == MCT_CHLINT) {
        snprintf(buffer, size, "%d", (int)v);
        return buffer;
    }
    const MultiChgValue *row = f->values;
    while (row && row->name && row->value != v)
        row++;
    snprintf(buffer, size, "%s", row && row->name ? row->name : "Unknown");
    return buffer;
}

const char *MultiChgValueText(MCDIALOG *d, char *buffer, size_t size, QMS *r)
{
    const MultiChgField *f = d->field;
    buffer[0] = 0;
    if (!f)
        return buffer;
    switch (f->type) {
    case MCT_STRING:
        snprintf(buffer, size, "%s", FieldText(r, f));
        break;
    case MCT_SHARED:
        snprintf(buffer, size, "%s", *FieldShared(r, f) ? *FieldShared(r, f) : "");
        break;
    case MCT_FLAG: {
        int on = (*FieldWord(r, f) & f->length) != 0;
        snprintf(buffer, size, "%s", (f->flags & MCF_INVERTED ? !on : on) ? "Yes" : "No");
        break;
    }
    case MCT_INT:
        snprintf(buffer, size, "%d", (int)*FieldInt(r, f));
        break;
    case MCT_INTERVAL: {
        int32_t v = *FieldInt(r, f);
        char text[80];
        if (v < 0)
            snprintf(buffer, size, "Default");
        else if (!v)
            snprintf(buffer, size, "Off");
        else {
            UTFormatInterval(text, v, 0);
            UTTrimRight(text, (int)strlen(text));
            snprintf(buffer, size, "%s", text);
        }
        break;
    }
    case MCT_CHLSTRING: case MCT_CHLINT: case MCT_CHLENUM:
        return ChannelText(f, r, buffer, size);
    default:
        snprintf(buffer, size, "Not Supported");
    }
    return buffer;
}

/* The value-matches mark of one value text. */
static int ValueMatches(const MultiChgField *f, const char *text)
{
    switch (f->type) {
    case MCT_FLAG: return !strcmp(text, "Yes");
    case MCT_INT: return atoi(text) != 0;
    case MCT_INTERVAL: return strcmp(text, "Off") != 0;
    case MCT_CHLSTRING: case MCT_CHLENUM: return text[0] && strcmp(text, NoChannel) != 0;
    case MCT_CHLINT: return text[0] && strcmp(text, NoChannel) != 0 && strcmp(text, "0") != 0;
    }
    return text[0] != 0;
}

void MultiChgCurrent(MCDIALOG *d, char *out, size_t size, void (*add)(void *, const char *),
                     void *ctx)
{
    const MultiChgField *f = d->field;
    out[0] = 0;
    d->allEqual = 1;
    if (!f)
        return;
    char text[1100], first[1100];
    int any = 0;
    for (int i = 0; i < d->count; i++) {
        MCQMS *e = &d->entries[i];
        MultiChgValueText(d, text, sizeof text, e->location);
        e->matches = (uint32_t)ValueMatches(f, text);
        if (!e->selected)
            continue;
        if (!any)
            snprintf(first, sizeof first, "%s", text);
        else if (!StrEqualNull(first, text))
            d->allEqual = 0;
        any = 1;
    }
    if (any)
        snprintf(out, size, "%s", d->allEqual ? first : Multiple);
    if (!add)
        return;
    if (f->values) {
        for (const MultiChgValue *v = f->values; v->name; v++)
            add(ctx, v->name);
        return;
    }
    for (int i = 0; i < d->count; i++) {
        if (!d->entries[i].selected)
            continue;
        MultiChgValueText(d, text, sizeof text, d->entries[i].location);
        if (!text[0] || !strcmp(text, NoChannel))
            continue;
        int seen = 0;
        char other[1100];
        for (int j = 0; j < i && !seen; j++)
            seen = d->entries[j].selected &&
                   !strcmp(MultiChgValueText(d, other, sizeof other, d->entries[j].location), text);
        if (!seen)
            add(ctx, text);
    }
}

void MultiChgButtons(const MCDIALOG *d, MCBUTTONS *b)
{
    const MultiChgField *f = d->field;
    int any = d->selectedCount > 0;
    b->setValue = f && any && !(f->flags & MCF_READONLY);
    b->add = b->remove = f && any && (f->flags & MCF_LIST);
    b->newValue = f && !(f->flags & MCF_READONLY);
}

/* ---- setting values ---------------------------------------------------------- */

/* A whole number, blanks around it allowed: 1 with the value, or 0 when
 * the text is no number a location field can hold. */
static int WholeNumber(const char *text, int32_t *value)
{
    while (*text == ' ')
        text++;
    if (!isdigit((unsigned char)*text))
        return 0;
    char *end;
    errno = 0;
    long long v = strtoll(text, &end, 10);
    while (*end == ' ')
        end++;
    if (*end || errno || v > INT32_MAX)
        return 0;
    *value = (int32_t)v;
    return 1;
}

int MultiChgValueAccepted(const MultiChgField *f, const char *text)
{
    int32_t n;
    if (!f || !text)
        return 0;
    switch (f->type) {
    case MCT_FLAG: return ValueByName(f->values, text) != nullptr;
    case MCT_INT: return WholeNumber(text, &n);
    case MCT_INTERVAL:
        return !strcmp(text, "Default") || !strcmp(text, "Off") || UTParseInterval(text) >= 0;
    case MCT_CHLINT: return !text[0] || WholeNumber(text, &n);
    case MCT_CHLENUM: return !text[0] || ValueByName(f->values, text) != nullptr;
    }
    return 1;
}

/* Stores a text into one value record of a client-channel area; 0 when
 * it cannot be converted. */
static int StoreChannel(const MultiChgField *f, PCFFieldEntry *e, uint8_t *area, const char *text)
{
    uint8_t *rec = area + e->offset;
    if (!text[0]) {
        PCFSetState(rec, PCFState(rec) & ~(PCFS_PRESENT | PCFS_RECEIVED));
        return 1;
    }
    if (f->type == MCT_CHLSTRING) {
        int room = e->field->maximum < (int32_t)f->length ? e->field->maximum : (int32_t)f->length;
        snprintf(PCFRecText(rec), (size_t)room + 1, "%s", text);
    } else if (f->type == MCT_CHLINT) {
        int32_t n;
        if (!WholeNumber(text, &n))
            return 0;
        PCFSetRecInt(rec, n);
    } else {
        const MultiChgValue *v = ValueByName(f->values, text);
        if (!v)
            return 0;
        PCFSetRecInt(rec, v->value);
    }
    PCFSetState(rec, PCFS_PRESENT | PCFS_SPECIFIED);
    return 1;
}

static int SetChannel(const MultiChgField *f, QMS *r, const char *text)
{
    PCFFieldEntry *e = ChannelEntry(f);
    if (!r->clientSettings || !e || !StoreChannel(f, e, (uint8_t *)r->clientSettings, text))
        return 0;
    DialogWords *open = (DialogWords *)r->clientDialog;
    if (open && open->dataArea && open->dataArea != r->clientSettings) {
        StoreChannel(f, e, open->dataArea, text);
        const LOCDLGHOOKS *h = LocDlgHooks();
        if (h->post)
            h->post(h->context, open->window, UM_PCF_UPDATE_DIALOG, 1, 0);
    }
    return 1;
}

int MultiChgSetValue(MCDIALOG *d, MCQMS *entry, const char *text)
{
    const MultiChgField *f = d->field;
    QMS *r = entry->location;
    char current[1100];
    if (!f || !strcmp(MultiChgValueText(d, current, sizeof current, r), text))
        return 0;
    switch (f->type) {
    case MCT_STRING:
        snprintf(FieldText(r, f), (size_t)f->length + 1, "%s", text);
        break;
    case MCT_SHARED:
        CSStringSet(FieldShared(r, f), text[0] ? text : nullptr, -1);
        break;
    case MCT_FLAG: {
        const MultiChgValue *v = ValueByName(f->values, text);
        if (!v)
            return 0;
        int on = (f->flags & MCF_INVERTED) ? !v->value : v->value;
        UTSetFlag(FieldWord(r, f), on, f->length);
        break;
    }
    case MCT_INT:
        if (!WholeNumber(text, FieldInt(r, f)))
            return 0;
        break;
    case MCT_INTERVAL:
        if (!strcmp(text, "Default"))
            *FieldInt(r, f) = -1;
        else if (!strcmp(text, "Off"))
            *FieldInt(r, f) = 0;
        else {
            int64_t s = UTParseInterval(text);
            if (s < 0)
                return 0;
            *FieldInt(r, f) = (int32_t)s;
        }
        break;
    case MCT_CHLSTRING: case MCT_CHLINT: case MCT_CHLENUM:
        if (!SetChannel(f, r, text))
            return 0;
        break;
    default:
        return 0;
    }
    if (f->flags & MCF_REGROUP)
        LocSetDefaultLevel(r, 0);
    if (!IsChannel(f))
        PostDialogRefresh(r);
    return 1;
}

int MultiChgSetAll(MCDIALOG *d, const char *text)
{
    int n = 0;
    for (int i = 0; i < d->count; i++)
        if (d->entries[i].selected)
            n += MultiChgSetValue(d, &d->entries[i], text);
    return n;
}

/* ---- comma lists ------------------------------------------------------------- */

/* The element at p (up to the next comma), trimmed; the position after it. */
static const char *Element(const char *p, const char **start, int *length)
{
    const char *end = strchr(p, ',');
    *start = p;
    *length = end ? (int)(end - p) : (int)strlen(p);
    UTTrimSpan(start, length);
    return end ? end + 1 : nullptr;
}

static void TrimItem(const char *item, const char **s, int *n)
{
    *s = item ? item : "";
    *n = (int)strlen(*s);
    UTTrimSpan(s, n);
}

int MultiChgListAdd(const char *list, const char *item, char *out, size_t size)
{
    const char *s;
    int n;
    TrimItem(item, &s, &n);
    snprintf(out, size, "%s", list ? list : "");
    if (!n)
        return 0;
    for (const char *p = list; p && *p;) {
        const char *e;
        int len;
        p = Element(p, &e, &len);
        if (len == n && !memcmp(e, s, (size_t)n))
            return 0;
    }
    const char *have = list ? list : "";
    int hn = (int)strlen(have);
    UTTrimSpan(&have, &hn);
    if (hn)
        snprintf(out, size, "%.*s, %.*s", hn, have, n, s);
    else
        snprintf(out, size, "%.*s", n, s);
    return 1;
}

int MultiChgListRemove(const char *list, const char *item, char *out, size_t size)
{
    const char *s;
    int n, changed = 0;
    TrimItem(item, &s, &n);
    size_t used = 0;
    out[0] = 0;
    for (const char *p = list; p && *p;) {
        const char *start = p, *e;
        int len;
        const char *next = Element(p, &e, &len);
        size_t raw = next ? (size_t)(next - start) : strlen(start);
        if (n && len == n && !memcmp(e, s, (size_t)n)) {
            changed = 1;
        } else if (used + raw < size) {
            memcpy(out + used, start, raw);
            used += raw;
            out[used] = 0;
        }
        p = next;
    }
    char *t = UTStripChars(out, " ,");
    memmove(out, t, strlen(t) + 1);
    return changed;
}

int MultiChgListEdit(MCDIALOG *d, const char *text, int add)
{
    const MultiChgField *f = d->field;
    if (!f || !(f->flags & MCF_LIST))
        return 0;
    int n = 0;
    char current[1100], updated[1100];
    for (int i = 0; i < d->count; i++) {
        MCQMS *e = &d->entries[i];
        if (!e->selected)
            continue;
        MultiChgValueText(d, current, sizeof current, e->location);
        int changed = add ? MultiChgListAdd(current, text, updated, sizeof updated)
                          : MultiChgListRemove(current, text, updated, sizeof updated);
        if (changed)
            n += MultiChgSetValue(d, e, updated);
    }
    return n;
}
