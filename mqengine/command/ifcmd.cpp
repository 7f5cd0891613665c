/* Commands in flight: the global list of IFCMD records under lock 5, the
 * request key that finds a record again, the users count that keeps a
 * record alive while a reply handler works on it, the release of a
 * record (at its last reply, when it cannot be sent, when its dialog or
 * location goes) and the sequence block of a command and its follow-up. */
#include "cmdint.h"

#include "cs.h"

static CSLIST InFlight;
static uint32_t Serial;          /* under lock 5 */

IFCMD *IfcmdAdd(const IFCMD *image, const char *tag)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    IFCMD *r = (IFCMD *)CSListAdd(&InFlight, tag, 0, image, sizeof *image);
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return r;
}

void IfcmdMakeKey(IFCMD *r, uint16_t origin, uint32_t sequence)
{
    CMDKEY *k = &r->key;
    memset(k, 0, sizeof *k);
    k->origin = origin;
    k->sequence = sequence;
    k->reference = (uint64_t)(uintptr_t)r;
    k->created = (uint32_t)r->created;
    CSLockGlobal(CSLOCK_DIALOGS);
    k->serial = ++Serial ? Serial : ++Serial;
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

/* ---- sequence blocks ---- */

CMDSEQ *CmdSeqNew(void)
{
    CMDSEQ *s = (CMDSEQ *)CSGetMem(sizeof *s, "CMDSEQ");
    if (s) {
        memset(s, 0, sizeof *s);
        s->users = 2;
    }
    return s;
}

void CmdSeqRelease(CMDSEQ *s)
{
    if (!s)
        return;
    CSLockGlobal(CSLOCK_DIALOGS);
    int last = s->users <= 1;
    if (!last)
        s->users--;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (last) {
        CSFreeMemAndClear(&s->data);
        CSFreeMem(s);
    }
}

/* ---- release ---- */

/* Under lock 5, for a record nobody works on. */
static void Release(IFCMD *r)
{
    CmdSeqRelease(r->sequenceBlock);
    r->sequenceBlock = nullptr;
    MQSCFreeState(r);                         /* closes the console's files first */
    if (r->publish)
        PSFreeQuery(r);
    CSListFree(&r->consoleCommands, nullptr, nullptr);
    CSListRemove(&r->link);
}

static int Listed(const IFCMD *r)
{
    return r && CSListContains(InFlight.first, r) != nullptr;
}

/* Under lock 5: a record released now, or marked for its last handler;
 * a closing dialog whose record went is noted for PCFReleaseClosing. */
static void Drop(IFCMD *r, DialogWords **closing, int *n, int most)
{
    if (r->users) {
        r->released = 1;
        return;
    }
    DialogWords *d = r->dialog;
    Release(r);
    if (d && (d->stateFlags & DF_CLOSING) && *n < most) {
        for (int i = 0; i < *n; i++)
            if (closing[i] == d)
                return;
        closing[(*n)++] = d;
    }
}

static void FreeClosing(DialogWords **closing, int n)
{
    for (int i = 0; i < n; i++)
        PCFReleaseClosing(closing[i]);
}

void IfcmdFree(IFCMD *r)
{
    DialogWords *closing[1];
    int n = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    if (Listed(r))
        Drop(r, closing, &n, 1);
    CSUnlockGlobal(CSLOCK_DIALOGS);
    FreeClosing(closing, n);
}

void IfcmdPurge(int64_t, QMS *location, int all)
{
    DialogWords *closing[64];
    int n = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (CSLISTELEM *e = InFlight.first, *next; e; e = next) {
        next = e->next;
        IFCMD *r = (IFCMD *)e;
        if ((location && r->location != location) || (r->keep && !all))
            continue;
        Drop(r, closing, &n, 64);
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    FreeClosing(closing, n);
}

IFCMD *IfcmdHold(const uint8_t *key)
{
    CMDKEY k;
    memcpy(&k, key, sizeof k);
    CSLockGlobal(CSLOCK_DIALOGS);
    IFCMD *r = (IFCMD *)CSListContains(InFlight.first, (void *)(uintptr_t)k.reference);
    if (r)
        r->users++;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return r;
}

int IfcmdLetGo(IFCMD *r)
{
    DialogWords *closing = nullptr;
    int released = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    if (r->users)
        r->users--;
    /* a kept record (the console's) goes with the handler once its
     * dialog has been closed, answered or not */
    int dialogGone = r->dialog && (r->dialog->stateFlags & DF_CLOSING);
    if (!r->users && (r->released || (r->keep ? dialogGone : r->complete))) {
        if (dialogGone)
            closing = r->dialog;
        Release(r);
        released = 1;
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    if (closing)
        PCFReleaseClosing(closing);
    return released;
}

int IfcmdDropDialog(DialogWords *d)
{
    int busy = 0;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (CSLISTELEM *e = InFlight.first, *next; e; e = next) {
        next = e->next;
        IFCMD *r = (IFCMD *)e;
        if (r->dialog != d)
            continue;
        /* a command's record goes with its last reply; the console's
         * goes with its dialog (a reply still to come finds no record) */
        if (r->users || (!r->complete && !r->keep))
            busy = 1;
        else
            Release(r);
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return busy;
}

IFCMD *IfcmdFind(DialogWords *dialog, IFCMDCALLBACK callback)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    CSLISTELEM *e = InFlight.first;
    while (e && !(((IFCMD *)e)->dialog == dialog && ((IFCMD *)e)->callback == callback && !((IFCMD *)e)->released))
        e = e->next;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return (IFCMD *)e;
}

IFCMD *IfcmdHoldMatch(int (*match)(const IFCMD *, const void *), const void *context)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    CSLISTELEM *e = InFlight.first;
    while (e && (((IFCMD *)e)->released || !match((IFCMD *)e, context)))
        e = e->next;
    if (e)
        ((IFCMD *)e)->users++;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return (IFCMD *)e;
}

int32_t IfcmdCount(void)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    int32_t n = InFlight.count;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return n;
}
