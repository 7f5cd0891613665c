/* Refreshing the open dialogs that show an object after a command has
 * changed it: which lists a response command makes stale, and the
 * refresh at once or after a delay. */
#include "pcfint.h"

#include "cmddlg.h"
#include "cs.h"
#include "pcflists.h"
#include "qms.h"

struct RefreshRow {
    uint32_t response;
    uint32_t command;       /* 0: the dialog kind's own first command */
    int delay;
    uint32_t selectorCommand;
    int selectorDelay;
};

static const RefreshRow RefreshTable[] = {
    { 9, 10002, 0, 0, 0 },
    { 28, 42, 1, 25, 1 },
    { 29, 42, 2, 25, 1 },
    { 31, 98, 1, 0, 0 },
    { 142, 98, 2, 0, 0 },
    { 155, 154, 1, 0, 0 },
    { 156, 154, 2, 0, 0 },
    { 10048, 10002, 0, 0, 0 },
    { 10049, 10002, 0, 0, 0 },
};

/* The name a response gives for an attribute, trimmed. */
static int ResponseName(const uint8_t *response, uint32_t length, uint32_t attrId, char *out, size_t size)
{
    PCFWALK w;
    PCFPARM p;
    if (!attrId || !length || !PCFWalkStart(&w, response, length, 0))
        return 0;
    while (PCFWalkNext(&w, &p))
        if (p.type == MQCFT_STRING && (uint32_t)p.id == attrId) {
            int n = PCFTrimmedLength(p.value, p.valueLength);
            if (!n || (size_t)n >= size)
                return 0;
            memcpy(out, p.value, (size_t)n);
            out[n] = 0;
            return 1;
        }
    return 0;
}

static uint32_t FirstCommand(const PCFCommandDef *def)
{
    return def && def->actions && def->actions->id ? def->actions->command : 0;
}

void PCFRefreshAfterResponse(QMS *location, uint32_t command, const uint8_t *response, uint32_t length,
                             const char *text, DialogWords *dialog, int64_t now)
{
    if (response && length >= 36)
        command = (uint32_t)Get32(response + 12);
    else
        length = 0;                   /* an information message: the command sent */
    if (!command)
        return;
    const PCFCommandDef *def = dialog ? dialog->definition : nullptr;
    uint32_t nameAttr = PCFNameFieldId(def);
    char name[256];
    if (!ResponseName(response, length, nameAttr ? nameAttr : MQCA_Q_NAME, name, sizeof name))
        snprintf(name, sizeof name, "%s", text && *text ? text : dialog ? dialog->objectName : "");
    if (!name[0] || command == 10007)
        return;
    for (const RefreshRow &r : RefreshTable) {
        if (r.response != command)
            continue;
        uint32_t attr = r.command == 10002 ? MQCA_Q_NAME : nameAttr;
        PCFRefreshObjectDialogs(location, def, r.delay, r.command, attr, name, now);
        if (r.selectorCommand && def && (def->flags & PCFD_SELECTOR))
            PCFRefreshObjectDialogs(location, def, r.selectorDelay, r.selectorCommand, attr, name, now);
        return;
    }
    PCFRefreshObjectDialogs(location, def, 0, FirstCommand(def), nameAttr, name, now);
    if (command == 10008 || command == 10009)
        PCFRefreshObjectDialogs(location, def, 0, MQCMD_INQUIRE_Q, MQCA_Q_NAME, name, now);
}

static int NamesMatch(const char *a, const char *b)
{
    int na = (int)strlen(a), nb = (int)strlen(b);
    return UTWildMatch(a, na, b, nb) || UTWildMatch(b, nb, a, na);
}

/* The dialog's list record for the location that a refresh concerns. */
static PCFLISTREQ *ListFor(DialogWords *d, QMS *location)
{
    if (d->definition->flags & PCFD_PAIR) {
        if (d->first.location == location)
            return &d->first;
        if (d->second.location == location)
            return &d->second;
        return nullptr;
    }
    for (PCFLISTREQ *r = d->lists ? d->lists : &d->first; r; r = d->lists ? r->next : nullptr)
        if (r->location == location && r->replyArea && r->replyArea->rows)
            return r;
    return nullptr;
}

int PCFRefreshObjectDialogs(QMS *location, const PCFCommandDef *def, int delay, uint32_t command,
                            uint32_t nameAttr, const char *name, int64_t now)
{
    if (!location || (location->flags & LF_NAU) || !command || !name)
        return 0;
    if (command == 10002 && !PcfPrefs.refreshMessageLists)
        return 0;
    uint32_t selector = def ? (def->flags & PCFD_SELECTOR) : 0;
    int count = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d; d = d->next) {
        const PCFCommandDef *dd = d->definition;
        if ((d->stateFlags & DF_CLOSING) || !dd || !dd->list || FirstCommand(dd) != command || PCFNameFieldId(dd) != nameAttr ||
            (dd->flags & PCFD_SELECTOR) != selector || !d->objectName[0] ||
            !NamesMatch(d->objectName, name))
            continue;
        PCFLISTREQ *r = ListFor(d, location);
        if (!r)
            continue;
        /* the command reads the dialog's windows: off the window thread,
           holding this lock, that would wait for a thread that may be
           waiting for the lock; the window thread's timed check asks
           instead, at its next tick */
        if (!delay && now - d->lastRefresh > 5 && PCFOnUiThread()) {
            d->lastRefresh = now;
            PCFIssueDefaultAction(r, d, nullptr);
        } else {
            r->refreshFlags |= PCFLR_REFRESH_DUE;
            r->refreshDue = now + delay;
            d->stateFlags |= DF_REFRESH_DUE;
            d->optionFlags |= DO_LISTS_WAIT;      /* the timed check re-issues it */
        }
        count++;
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return count;
}
