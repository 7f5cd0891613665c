/* The queue-manager refresh: the queue manager's attributes (name,
 * platform, command level, CCSID, dead-letter and transmission queues,
 * repository, queue-sharing group) and its queues asked for through
 * PCFDoCommand without a dialog, their refresh marks in the location, and
 * the refresh kinds of the callers.  The replies are qmreply.cpp's. */
#include "cmdint.h"

#include "cs.h"
#include "locstore.h"
#include "prfdata.h"

#include "ravoltids.h"

/* The refresh name: the queue-name pattern of the last caller that gave
 * one (lock 1). */
static char RefreshName[QMS_NAME + 1];
static int RefreshNameSet;

/* The kinds of the location callers mapped onto the refresh bits. */
static const struct {
    int32_t kind;
    uint32_t bits;
    int force;
} RefreshKinds[] = {
    { 2, RK_QUEUES, 0 },                   /* replies pending: the queue list */
    { 3, RK_QUEUES, 0 },                   /* the queue list of a prefix */
    { 4, RK_POLL, 1 },                     /* status poll */
    { 7, RK_DOWNLOAD, 0 },                 /* object download */
    { 16, RK_AUTO | RK_QMGR | RK_QUEUES, 0 },  /* automatic refresh */
    { 23, RK_QMGR | RK_QUEUES, 1 },        /* everything, forced */
};

uint32_t RefreshKindBits(int32_t kind, int *force)
{
    for (const auto &k : RefreshKinds)
        if (k.kind == kind) {
            if (force)
                *force = k.force;
            return k.bits;
        }
    if (force)
        *force = 0;
    return 0;
}

/* ---- the engine's block of a location ---- */

CMDLOC *CmdLocFind(QMS *r)
{
    MQELOC *e = MQELocFind(r);
    return e ? (CMDLOC *)e->command : nullptr;
}

CMDLOC *CmdLocOf(QMS *r)
{
    MQELOC *e = r ? MQELocOf(r) : nullptr;
    if (!e)
        return nullptr;
    CSLockGlobal(CSLOCK_OBJECTS);
    if (!e->command && (e->command = CSGetMem(sizeof(CMDLOC), "CMDLOC")) != nullptr)
        memset(e->command, 0, sizeof(CMDLOC));
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return (CMDLOC *)e->command;
}

int CmdReported(QMS *r, CMDQMGR *out)
{
    CMDLOC *l = CmdLocFind(r);
    if (!l)
        return 0;
    CSLockGlobal(CSLOCK_OBJECTS);
    *out = l->reported;
    CSUnlockGlobal(CSLOCK_OBJECTS);
    return 1;
}

/* The level is known once a queue-manager reply brought it. */
static int LevelKnown(QMS *r)
{
    return r->commandLevel > 0;
}

/* ---- sending ---- */

int SendQmgrInquiry(QMS *r, int quiet)
{
    if (!r || (r->flags & LF_FGN))
        return 1;
    /* marked before the request goes: its reply may be handled on the get
     * thread before the sender runs again */
    if (!quiet) {
        CSLockGlobal(CSLOCK_OBJECTS);
        r->refreshMarks |= RM_QMGR_ASKED;
        CSUnlockGlobal(CSLOCK_OBJECTS);
    }
    int rc = PCFDoCommand(nullptr, 0, 1, PCFID_DEFAULT, &PCFQmgrInfoDef, nullptr, nullptr, r, 1, 0,
                          quiet ? QmgrInfoReplyQuiet : QmgrInfoReplyUpdate, nullptr, nullptr);
    if (rc) {
        if (!quiet) {
            CSLockGlobal(CSLOCK_OBJECTS);
            r->refreshMarks &= ~(uint64_t)RM_QMGR_ASKED;
            CSUnlockGlobal(CSLOCK_OBJECTS);
        }
        return rc;
    }
    if (!quiet)
        LocSetStatus(r, LS_FIRSTREFRESH, 0, 0);
    return 0;
}

/* One queue inquiry without a dialog: 0 when queued. */
static int Inquire(QMS *r, PCFCommandDef *def, IFCMDCALLBACK callback, const char *name)
{
    return PCFDoCommand(nullptr, 0, 1, PCFID_DEFAULT, def, nullptr, nullptr, r, 1, 0, callback, name, nullptr);
}

/* A pattern given becomes the refresh name (also while the request waits
 * for the level). */
static void TakeName(const char *pattern)
{
    if (!pattern)
        return;
    CSLockGlobal(CSLOCK_OBJECTS);
    CmdCopy(RefreshName, pattern, sizeof RefreshName);
    RefreshNameSet = 1;
    CSUnlockGlobal(CSLOCK_OBJECTS);
}

/* 1 when the inquiries were queued. */
static int SendQueues(QMS *r, const char *pattern)
{
    char name[QMS_NAME + 1];
    TakeName(pattern);
    CSLockGlobal(CSLOCK_OBJECTS);
    int have = RefreshNameSet;
    CmdCopy(name, RefreshName, sizeof name);
    CSUnlockGlobal(CSLOCK_OBJECTS);
    if (!have)
        return 0;
    LocMarkQueues(r, name);
    if (Prf.po[3] & PO4_QUEUE_NAMES_ONLY)
        return !Inquire(r, &PCFQueueNamesDef[3], QmgrInfoReplyUpdate, name);
    if (Inquire(r, &PCFQueueNamesDef[0], QmgrInfoReplyQuiet, name))
        return 0;
    return !Inquire(r, &PCFQueueNamesDef[1], QmgrInfoReplyUpdate, name);
}

void SendRefreshCommands(QMS *r, const char *pattern)
{
    SendQueues(r, pattern);
}

int RequestQmgrRefresh(QMS *r, uint32_t kinds, const char *prefix, int force)
{
    if (!r || (r->flags & LF_FGN))
        return 0;
    int quiet = (kinds & (RK_AUTO | RK_POLL)) != 0;
    if (kinds & RK_QUEUES)
        TakeName(prefix);
    if (kinds & RK_DOWNLOAD)
        RequestDownload(r);                /* its own times decide, never the caller's wait */
    if (!(kinds & ~(uint32_t)RK_DOWNLOAD))
        return 0;                          /* nothing of the list's to repaint */
    if (kinds & (RK_QMGR | RK_POLL)) {
        int forced = force || (kinds & RK_POLL);
        CSLockGlobal(CSLOCK_OBJECTS);
        int skip = !forced && (r->refreshMarks & (RM_QMGR_ASKED | RM_QMGR_DONE));
        CSUnlockGlobal(CSLOCK_OBJECTS);
        if (!skip && SendQmgrInquiry(r, (kinds & RK_POLL) != 0)) {
            if (!quiet)
                CmdFrameMessage(MSG_LOCATION_LIST, 0, r);
            return 0;
        }
    }
    CMDLOC *l = CmdLocOf(r);
    int result = 0, send = 0;
    CSLockGlobal(CSLOCK_OBJECTS);
    if (LevelKnown(r)) {
        if (l) {
            kinds |= l->reported.pendingKinds;
            l->reported.pendingKinds = 0;
        }
        int forced = force || (r->refreshDue & RK_QUEUES);
        int known;
        uint64_t need = PCFCommandMask(MQCMD_INQUIRE_Q, &known);
        send = (kinds & RK_QUEUES) && LocMaskMatch(r->authMask, known ? need : 0) &&
               (forced || !(r->refreshMarks & (RM_QUEUES_ASKED | RM_QUEUES_DONE)));
        /* marked before the request goes: its reply may be handled on the
         * get thread before the sender runs again */
        if (send) {
            r->refreshMarks |= RM_QUEUES_ASKED;
            r->refreshDue &= ~(uint64_t)RK_QUEUES;
        }
        result = 1;
    } else if (l) {
        l->reported.pendingKinds |= kinds & RK_QUEUES;
    }
    CSUnlockGlobal(CSLOCK_OBJECTS);
    if (send && !SendQueues(r, prefix)) {
        CSLockGlobal(CSLOCK_OBJECTS);
        r->refreshMarks &= ~RM_QUEUES_ASKED;
        CSUnlockGlobal(CSLOCK_OBJECTS);
    }
    CmdFrameMessage(MSG_LOCATION_LIST, 0, r);
    return result;
}
