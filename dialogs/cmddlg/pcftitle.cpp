/* The window-free part of a dialog's title and status line: the title
 * text in its order of parts, the status text of a location, which shown
 * text a new one may replace, and the program-wide error-sound gate. */
#include "cmddlg.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "cs.h"
#include "qms.h"

/* Appends formatted text within the buffer. */
static void Add(char *out, size_t size, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
static void Add(char *out, size_t size, const char *format, ...)
{
    size_t used = strlen(out);
    if (used + 1 >= size)
        return;
    va_list args;
    va_start(args, format);
    vsnprintf(out + used, size - used, format, args);
    va_end(args);
}

static int SpansQmgrs(const DialogWords *d)
{
    return (d->optionFlags & DO_SEVERAL_QMGRS) ||
           (d->definition && (d->definition->flags & PCFD_PAIR));
}

/* The queue managers: the own one, then the second, with the "/" before
 * the definition's title. */
static void AddLocations(const DialogWords *d, char *out, size_t size)
{
    int spans = SpansQmgrs(d), wrote = 0;
    const QMS *own = d->first.location;
    if (own) {
        if (spans) {
            if (d->first.flags & PCFLR_SELECTED)
                Add(out, size, "%s", own->qmName);
            Add(out, size, "[Multi QMgr]");
        } else {
            Add(out, size, "%s", own->qmName);
        }
        if (d->first.waiting)
            Add(out, size, "(waiting)");
        wrote = 1;
    } else if (d->definition && (d->definition->flags & PCFD_PAIR)) {
        Add(out, size, "(unknown)");
    }
    const QMS *second = d->second.location;
    if (second) {
        Add(out, size, "-%s", second->qmName);
        if (d->second.waiting)
            Add(out, size, "(waiting)");
        Add(out, size, "/");
    } else {
        if (d->definition && (d->definition->flags & PCFD_PAIR))
            Add(out, size, "-(unknown)");
        if (wrote)
            Add(out, size, "/");
    }
}

/* Developer diagnostics: the command level and which column list is used. */
static void AddDiagnostics(const DialogWords *d, char *out, size_t size)
{
    Add(out, size, " CmdLevel(%X) ", d->first.location ? (unsigned)d->first.location->commandLevel : 0u);
    const PCFCommandDef *def = d->definition;
    if (!def || !def->list)
        return;
    const PCFLISTENTRY *used = d->first.columns;
    if (!used)
        Add(out, size, "PCFLIST(NULL) ");
    else if (d->dlgInfo && used == d->dlgInfo->columns)
        Add(out, size, "PCFLIST(DLGINFO) ");
    else if (used == def->list->current)
        Add(out, size, "PCFLIST(GLOBAL) ");
    else
        Add(out, size, "PCFLIST(LOCAL) ");
    int user = 0;
    for (const PCFLISTENTRY *c = used; c && c->field; c++)
        user |= (c->flags & PCFL_USER) != 0;
    Add(out, size, user ? "UserList(Yes) " : "UserList(No) ");
}

void PCFComposeTitle(const DialogWords *d, const char *suffix, char *out, size_t size)
{
    if (!size)
        return;
    out[0] = 0;
    if (!PcfWinPrefs.captionTagsOff)         /* the brackets stand for an empty tag too */
        Add(out, size, "[%s] ", d->captionText);
    if (d->markFlags & DM_HTTP)
        Add(out, size, "HTTP:");
    AddLocations(d, out, size);
    if (d->definition)
        Add(out, size, "%s", d->definition->title);
    if (PcfWinPrefs.showObjectName && d->objectName[0] &&
        !(d->definition && (d->definition->flags & 0x40000))) {
        if (strlen(d->objectName) > 48)
            Add(out, size, " '%20.20s...'", d->objectName);
        else
            Add(out, size, " '%s'", d->objectName);
    }
    if (PCFWhereFilter(d, nullptr))
        Add(out, size, " [WHERE Active]");
    if (d->instance > 1)
        Add(out, size, ":%u", (unsigned)d->instance);
    if (d->refreshRate) {
        char interval[100];
        UTFormatInterval(interval, d->refreshRate, 1);
        Add(out, size, " (auto %s) ", interval);
    }
    if (suffix)
        Add(out, size, "%s", suffix);
    if (PcfWinPrefs.diagnostics)
        AddDiagnostics(d, out, size);
}

/* ---- status ---- */

void PCFStatusText(const DialogWords *d, const char *text, const QMS *location, char *out, size_t size)
{
    if (!size)
        return;
    if (!text)
        text = "";
    if (location && *text && d && SpansQmgrs(d))
        snprintf(out, size, "%s:%.200s", location->qmName, text);
    else
        snprintf(out, size, "%.749s", text);
}

int PCFStatusKeeps(uint32_t shown, uint32_t flags, const char *text)
{
    if ((shown & 0x20) && (!text || !*text || (flags & 0x10)))
        return 1;
    if ((shown & 0x80) && (flags & 0x40))
        return 1;
    return 0;
}

static int64_t LastErrorSound;
static int HadErrorSound;

int PCFErrorSoundDue(int64_t now)
{
    if (HadErrorSound && now - LastErrorSound < 2)
        return 0;
    LastErrorSound = now;
    HadErrorSound = 1;
    return 1;
}

void PCFErrorSoundReset(void)
{
    HadErrorSound = 0;
}
