/* The location store: creation, lookup, rings, groups, status changes,
 * capabilities and deferred deletion of location records. */
#include "locstore.h"
#include "cs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

/* no rights until the authorities file has been read (or found absent) */
LOCGLOBALS LocGlobals = { 0, 0, 0, 0, 0, 0, 0, 0, nullptr, {} };
CSTREE *LocTree;
CSTREE *LocGroups;

static LOCHOOKS hooks;
static CSMUTEX storeLock;
static std::once_flag storeLockOnce;
static QMS *freedList;                 /* chained through the first word */
static char nameList[100];
static int nameListClosed;

#define HOOK(name, ...) do { if (hooks.name) hooks.name(hooks.context __VA_OPT__(,) __VA_ARGS__); } while (0)

static void store_lock(void)
{
    std::call_once(storeLockOnce, [] { CSCreateLock(&storeLock); });
    CSLockRecursive(&storeLock, CS_WAIT_FOREVER);
}

static void store_unlock(void)
{
    CSUnlockRecursive(&storeLock);
}

void LocLockStore(void) { store_lock(); }
void LocUnlockStore(void) { store_unlock(); }

void LocSetHooks(const LOCHOOKS *h)
{
    if (h)
        hooks = *h;
    else
        memset(&hooks, 0, sizeof hooks);
}

int64_t LocNow(void)
{
    return LocGlobals.now ? LocGlobals.now : (int64_t)time(nullptr);
}

/* Copies a name into a fixed field, NUL-padding the rest (tree keys are
 * compared as bytes). */
static void set_name(char *field, const char *text, size_t width)
{
    size_t n = strnlen(text, width);
    memmove(field, text, n);
    memset(field + n, 0, width + 1 - n);
}

static int is_program_tree(CSTREE **tree)
{
    return tree == &LocTree;
}

void InitLocationDefaults(QMS *r)
{
    memset(r, 0, sizeof *r);
    strcpy(r->secondName, "RAVOLT");
    strcpy(r->replyModel, "SYSTEM.DEFAULT.MODEL.QUEUE");
    strcpy(r->commandQueue, "SYSTEM.ADMIN.COMMAND.QUEUE");
    strcpy(r->brokerQueue, "SYSTEM.BROKER.CONTROL.QUEUE");
    r->interval[0] = 60;
    r->interval[2] = 1800;
    r->exportType = 1;
    r->authMask = LocGlobals.defaultAuthMask;
    r->autoRefresh = r->autoRefreshOpen = -1;
    r->flags = (LocGlobals.option3 & 0x4000) ? LF_NDFTD : LF_OBJD;
    r->putThread.hConn = r->getThread.hConn = -1;
    memcpy(r->appWindow, "va ", 4);
}

void SetDefaultEncoding(QMS *r)
{
    r->ccsid = r->ccsidOverride ? r->ccsidOverride : r->ccsidQm;
    if (r->encodingQm == 0) {
        switch (r->platform) {
        case 1: r->encodingQm = 785; break;
        case 2: case 5: case 11: case 28: r->encodingQm = 546; break;
        case 3: case 4: case 12: case 13: r->encodingQm = 273; break;
        default: break;
        }
    }
    r->encoding = r->encodingOverride ? r->encodingOverride : r->encodingQm;
}

/* ---- lookup ----------------------------------------------------------- */

static QMS *find_name(CSTREE *tree, const char *qmName)
{
    char key[QMS_NAME + 1];
    set_name(key, qmName, QMS_NAME);
    return (QMS *)CSTreeFind(tree, key, QMS_NAME + 1);
}

QMS *LocFind(const char *qmName)
{
    if (!qmName || !qmName[0])
        return nullptr;
    store_lock();
    QMS *r = find_name(LocTree, qmName);
    store_unlock();
    return r;
}

QMS *LocFindByNames(const char *qmName, const char *secondName)
{
    char key[QMS_KEYLEN];
    set_name(key, qmName ? qmName : "", QMS_NAME);
    set_name(key + QMS_NAME + 1, secondName ? secondName : "", QMS_NAME);
    store_lock();
    QMS *r = (QMS *)CSTreeFind(LocTree, key, QMS_KEYLEN);
    store_unlock();
    return r;
}

void LocForEach(CSTREE *tree, void (*fn)(QMS *, void *), void *context)
{
    for (CSTREE *e = CSTreeFirst(tree); e; e = e->next)
        fn((QMS *)e, context);
}

/* ---- rings ------------------------------------------------------------ */

QMS *LocRingLatest(QMS *start)
{
    QMS *best = start, *oldFirst = nullptr, *r = start;
    store_lock();
    do {
        if (r->lastUsed >= best->lastUsed)
            best = r;
        if (r->status & LS_FIRSTOFRING)
            oldFirst = r;
        r->status &= ~LS_FIRSTOFRING;
        r = r->nextInRing;
    } while (r && r != start);
    if (oldFirst && oldFirst != best) {
        best->flags |= oldFirst->flags & LF_NETWORK;
        oldFirst->flags &= ~LF_NETWORK;
        uint32_t moved = oldFirst->placementFlags & 0x24;
        best->placementFlags |= moved;
        oldFirst->placementFlags &= ~0x24u;
        if (moved & 0x4)
            memcpy(best->placement, oldFirst->placement, sizeof best->placement);
    }
    best->status |= LS_FIRSTOFRING;
    store_unlock();
    return best;
}

void LocTouch(QMS *r)
{
    if (r->downloadState & 0x1ef)
        return;
    r->state &= ~LST_IDLE;
    r->lastUsed = LocNow();
    if (r->nextInRing)
        LocRingLatest(r);
}

/* ---- groups ----------------------------------------------------------- */

QMSGROUP *LocGroupGet(const char *groupName)
{
    QMSGROUP g;
    memset(&g, 0, sizeof g);
    set_name(g.name, groupName, QMS_NAME);
    store_lock();
    QMSGROUP *found = (QMSGROUP *)CSTreeFind(LocGroups, g.name, QMS_NAME + 1);
    if (!found)
        found = (QMSGROUP *)CSTreeAdd(&LocGroups, "QMSGROUP", 0, &g, sizeof g, QMS_NAME + 1);
    store_unlock();
    return found;
}

int LocLeaveGroup(QMS *r)
{
    QMSGROUP *g = r->group;
    if (!g)
        return 1;
    store_lock();
    for (QMS **p = &g->first; *p; p = &(*p)->nextInGroup)
        if (*p == r) {
            *p = r->nextInGroup;
            break;
        }
    r->nextInGroup = nullptr;
    r->group = nullptr;
    if (!g->first)
        CSTreeDelete(&LocGroups, nullptr, nullptr, &g->tree, QMS_NAME + 1);
    store_unlock();
    return 1;
}

int LocSetGroup(QMS *r)
{
    /* one hold of the lock: the group found must not be deleted by its
       last member leaving on another thread before this one joins */
    store_lock();
    LocLeaveGroup(r);
    QMSGROUP *g = LocGroupGet(r->groupName);
    if (!g) {
        store_unlock();
        return 1;
    }
    QMS **p = &g->first;
    while (*p && memcmp((*p)->qmName, r->qmName, QMS_NAME + 1) <= 0)
        p = &(*p)->nextInGroup;
    r->nextInGroup = *p;
    *p = r;
    r->group = g;
    store_unlock();
    return 1;
}

int LocSyncGroup(QMS *r)
{
    if (r->groupName[0]) {
        if (!r->group || strcmp(r->group->name, r->groupName) != 0)
            LocSetGroup(r);
    } else if (r->group) {
        LocLeaveGroup(r);
    }
    return 1;
}

/* Takes a record out of its ring; the ring's remaining members choose
 * their latest again.  Called with the store locked. */
static void leave_ring(QMS *r)
{
    if (!r->nextInRing)
        return;
    QMS *pred = r;
    while (pred->nextInRing != r)
        pred = pred->nextInRing;
    pred->nextInRing = (r->nextInRing == pred) ? nullptr : r->nextInRing;
    r->nextInRing = nullptr;
    r->status &= ~LS_FIRSTOFRING;
    LocRingLatest(pred);
}

/* Puts a record into the ring of another record of the same queue
 * manager, just before it, or makes it first of a ring of its own. */
static void join_ring(QMS *r, QMS *same)
{
    if (!same) {
        r->status |= LS_FIRSTOFRING;
        return;
    }
    QMS *pred = same;
    while (pred->nextInRing && pred->nextInRing != same)
        pred = pred->nextInRing;
    pred->nextInRing = r;
    r->nextInRing = same;
}

/* ---- creation and deletion -------------------------------------------- */

QMS *LocCreate(CSTREE **tree, const QMS *templ, uint32_t rowFlags)
{
    QMS *t = (QMS *)malloc(sizeof(QMS));
    if (!t)
        return nullptr;
    memcpy(t, templ, sizeof *t);
    memset(&t->tree, 0, sizeof t->tree);
    if (!t->interval[0]) t->interval[0] = 60;
    if (!t->interval[2]) t->interval[2] = 1800;
    if (!t->secondName[0]) strcpy(t->secondName, "RAVOLT");
    if (!t->commandQueue[0])
        strcpy(t->commandQueue, (t->flags & LF_MVS) ? "SYSTEM.COMMAND.INPUT"
                                                   : "SYSTEM.ADMIN.COMMAND.QUEUE");
    set_name(t->qmName, t->qmName, QMS_NAME);
    set_name(t->secondName, t->secondName, QMS_NAME);
    t->putThread.hConn = t->getThread.hConn = -1;
    t->authMask = LocGlobals.defaultAuthMask;
    if (!t->appWindow[0])
        memcpy(t->appWindow, "va ", 4);
    SetDefaultEncoding(t);
    t->group = nullptr;
    t->nextInGroup = nullptr;
    t->nextInRing = nullptr;
    t->status &= ~LS_FIRSTOFRING;          /* a copied record may carry it */
    t->state &= ~LST_FREED;

    store_lock();
    QMS *same = find_name(*tree, t->qmName);
    QMS *r = (QMS *)CSTreeAdd(tree, "QMS", CSTREE_NORENUM, t, sizeof *t, QMS_KEYLEN);
    free(t);
    if (!r) {
        store_unlock();
        return nullptr;
    }
    /* the list elements name their owning list: it moved with the record */
    for (CSLISTELEM *e = r->mqscCommands.first; e; e = e->next)
        e->list = &r->mqscCommands;
    join_ring(r, same);
    store_unlock();
    if (!is_program_tree(tree))
        return r;

    if (r->nextInRing)
        LocRingLatest(r);
    LocSyncGroup(r);
    LocSetCapabilities(r, r->platform, r->commandLevel, r->flags & LF_QSG);
    static const int images[4] = { 10, 12, 11, 41 };
    for (int i = 0; i < 4; i++)
        if (r->iconFile[i] && hooks.loadBitmap)
            r->iconBitmap[i] = hooks.loadBitmap(hooks.context, r->iconFile[i], images[i]);
    HOOK(scheduleExport, r);
    r->status |= LS_UNKNOWN;
    r->state &= ~LST_NEW;
    HOOK(addRow, r, rowFlags);
    if (!LocGlobals.loadingConfig)
        CfgBroadcastChange();
    return r;
}

int LocRekey(CSTREE **tree, QMS *r, const char *qmName, const char *secondName)
{
    char key[QMS_KEYLEN];
    set_name(key, qmName ? qmName : "", QMS_NAME);
    set_name(key + QMS_NAME + 1, secondName && secondName[0] ? secondName : "RAVOLT", QMS_NAME);
    store_lock();
    QMS *taken = (QMS *)CSTreeFind(*tree, key, QMS_KEYLEN);
    if (taken) {
        store_unlock();
        return taken == r ? 0 : 1;
    }
    int newRing = memcmp(key, r->qmName, QMS_NAME + 1) != 0;
    CSTreeUnlink(tree, &r->tree, QMS_KEYLEN);
    if (newRing)
        leave_ring(r);
    memcpy(r->qmName, key, QMS_KEYLEN);
    /* inserting clears the element header: the record's links stay */
    CSLINK *links = r->tree.links;
    uint16_t refs = r->tree.refs;
    QMS *same = newRing ? find_name(*tree, r->qmName) : nullptr;
    CSTreeAdd(tree, "QMS", CSTREE_INSERT | CSTREE_NORENUM, r, sizeof *r, QMS_KEYLEN);
    r->tree.links = links;
    r->tree.refs = refs;
    if (newRing) {
        join_ring(r, same);
        if (r->nextInRing)
            LocRingLatest(r);
    }
    if (r->group)
        LocSetGroup(r);                /* members are kept in name order */
    store_unlock();
    if (is_program_tree(tree)) {
        HOOK(removeRow, r);            /* the row moves to its new place */
        HOOK(addRow, r, 0);
        CfgBroadcastChange();
    }
    return 0;
}

static void free_command(CSLISTELEM *, void *) {}

void (*LocFreeClientData)(QMS *record);

void LocFreeRecordData(QMS *r)
{
    CSStringSet(&r->clientChannel, nullptr, 0);
    CSStringSet(&r->networkNames, nullptr, 0);
    CSStringSet(&r->securityGroup, nullptr, 0);
    CSStringSet(&r->securityGroupDesc, nullptr, 0);
    CSStringSet(&r->ccdtUrl, nullptr, 0);
    for (int i = 0; i < QMS_NAMELISTS; i++)
        CSStringSet(&r->nameLists[i], nullptr, 0);
    for (int i = 0; i < 4; i++)
        CSStringSet(&r->iconFile[i], nullptr, 0);
    CSFreeMemAndClear(&r->userId);
    CSFreeMemAndClear(&r->password);
    CSFreeMemAndClear(&r->rawClient);
    if (r->clientSettings && LocFreeClientData)
        LocFreeClientData(r);
    CSFreeMemAndClear(&r->rawDialogs);
    CSFreeMemAndClear(&r->lastError);
    CSFreeMemAndClear(&r->placeholder);
    CSFreeMemAndClear(&r->displayName);
    if (r->mqscCommands.first)
        CSListFree(&r->mqscCommands, free_command, nullptr);
    memset(&r->mqscCommands, 0, sizeof r->mqscCommands);
}

int LocDelete(CSTREE **tree, QMS *r, const uint32_t *keep)
{
    /* each ended thread may repeat a pending deletion: the first that
       completes it wins, later calls find the record already gone */
    store_lock();
    int gone = (r->state & LST_FREED) != 0;
    store_unlock();
    if (gone)
        return 0;
    int program = is_program_tree(tree);
    r->state |= LST_DELETING;
    if (r->getThread.state & QMSTHREAD_RUNNING) {
        HOOK(endGetThread, r);
        return 0;
    }
    if (r->putThread.state & QMSTHREAD_RUNNING) {
        HOOK(endPutThread, r, 0);
        return 0;
    }
    int leaves = !(keep && *keep);
    store_lock();
    if (leaves)
        CSTreeUnlink(tree, &r->tree, QMS_KEYLEN);
    if (program)
        HOOK(beginBatch);
    leave_ring(r);
    store_unlock();
    if (!LocGlobals.exiting)
        HOOK(freeMqscWindow, r);
    HOOK(closeDialogs, r);
    if (program)
        HOOK(removeRow, r);
    if (r->settingsWindow) HOOK(destroyWindow, r->settingsWindow);
    if (r->secondWindow) HOOK(destroyWindow, r->secondWindow);
    r->settingsWindow = r->secondWindow = nullptr;
    HOOK(freeCache, r);
    CSFreeMemAndClear(&r->rawClient);
    if (r->mqscCommands.first)
        CSListFree(&r->mqscCommands, free_command, nullptr);
    memset(&r->mqscCommands, 0, sizeof r->mqscCommands);
    store_lock();
    if (leaves)
        LocLeaveGroup(r);
    r->tree.left = (CSTREE *)freedList;
    r->state |= LST_FREED;
    freedList = r;
    store_unlock();
    if (program)
        HOOK(endBatch);
    return 0;
}

int LocFlushFreed(void)
{
    if (LocGlobals.uiThread && CSGetThreadId() != LocGlobals.uiThread)
        return -1;
    store_lock();
    QMS *list = freedList;
    freedList = nullptr;
    store_unlock();
    int n = 0;
    while (list) {
        QMS *next = (QMS *)list->tree.left;
        CSLinkRemoveAll(list, 0);
        LocFreeRecordData(list);
        CSFreeMem(list);
        list = next;
        n++;
    }
    return n;
}

/* ---- status and capabilities ------------------------------------------ */

static void run_user_command(QMS *r, const char *command)
{
    if (!command[0] || command[0] == ' ' || !hooks.runCommand)
        return;
    char *error = nullptr;
    hooks.runCommand(hooks.context, r, command, &error);
    if (error)
        CSFreeMem(error);
}

QMS *LocSetStatus(QMS *r, uint32_t set, uint32_t clear, int force)
{
    if (!r)
        return r;
    /* workers change the word too: each change is made under the lock */
    store_lock();
    uint32_t old = r->status;
    uint32_t now = (old | set) & ~clear;
    int change = now != old;
    if (r->state & LST_REDISPLAY) {
        r->state &= ~LST_REDISPLAY;
        change = 1;
    }
    r->status = now;
    store_unlock();
    if (!force && !change)
        return r;
    if (!(now & 0xC006) && (old & 0xC006)) {
        run_user_command(r, r->okCommand);
        if (r->flags & LF_CSL)
            HOOK(consoleEvent, r, 100008, 40);
    }
    if ((now & 0x8006) && !(old & 0x8006)) {
        run_user_command(r, r->failCommand);
        if (r->flags & LF_CSL)
            HOOK(consoleEvent, r, 100007, 40);
    }
    if (now & LS_PROCESSNOW)
        HOOK(timerOne, r);
    HOOK(updateRow, r);
    if (change)
        HOOK(repaint, 128);
    return r;
}

int LocMarkChanged(QMS *r)
{
    LocSetStatus(r, 0, 0x8006, 0);
    return 0;
}

void LocSetCapabilities(QMS *r, int32_t platform, int32_t level, uint32_t qsg)
{
    if (LocGlobals.maxCommandLevel && LocGlobals.maxCommandLevel < level)
        level = LocGlobals.maxCommandLevel;
    uint8_t caps[QMS_CAPS];
    memset(caps, 0, sizeof caps);
    if (hooks.capsForQmgr)
        hooks.capsForQmgr(hooks.context, caps, platform, level);
    (void)qsg;
    if (r->flags & LF_PS)
        caps[28] = 1;
    caps[46] = (caps[22] && (r->flags2 & LF2_SSLWK)) ? 1 : 0;
    if (!r->viaQm[0] || r->sqName[0])
        caps[17] = 1;
    int change = platform != r->platform || level != r->commandLevel ||
                 memcmp(caps, r->caps, sizeof caps) != 0;
    r->platform = platform;
    r->commandLevel = level;
    memcpy(r->caps, caps, sizeof caps);
    if (level > LocGlobals.highestLevel) {
        LocGlobals.highestLevel = level;
        LocGlobals.highestLocation = r;
    }
    for (int i = 0; i < QMS_CAPS; i++)
        LocGlobals.allCaps[i] |= caps[i];
    if (change)
        HOOK(capsChanged, r);
}

void LocSetDefaultLevel(QMS *r, uint32_t changed)
{
    if (changed) {
        r->monitorSent = r->monitorAnswered = 0;
        r->monitorCount = r->monitorTotalMs = 0;
        LocSetCapabilities(r, r->platform, r->commandLevel, r->flags & LF_QSG);
    }
    LocSyncGroup(r);
    if (changed)
        LocSetStatus(r, LS_UNKNOWN, 0x6, 1);
    else
        LocSetStatus(r, 0, 0, 1);
}

bool LocMaskMatch(uint64_t mask, uint64_t required)
{
    uint32_t low = (uint32_t)required, high = (uint32_t)(required >> 32);
    if (low)
        return ((uint32_t)mask & low) == low;
    return high == 0 || ((uint32_t)(mask >> 32) & high) == high;
}

/* ---- small helpers ---------------------------------------------------- */

void LocSetSharedText(QMS *r, const char *text)
{
    CSStringSet(&r->networkNames, text, -1);
}

void LocAddToNameList(QMS *r)
{
    if (nameListClosed)
        return;
    size_t have = strlen(nameList), add = strlen(r->qmName);
    if (have + add >= 95) {
        strcat(nameList, "...");
        nameListClosed = 1;
        return;
    }
    if (have)
        strcat(nameList, ",");
    strcat(nameList, r->qmName);
}

const char *LocNameList(void) { return nameList; }

void LocResetNameList(void)
{
    nameList[0] = 0;
    nameListClosed = 0;
}

void CfgBroadcastChange(void)
{
    if (hooks.broadcast)
        hooks.broadcast(hooks.context);
}

bool StrEqualNull(const char *a, const char *b)
{
    return strcmp(a ? a : "", b ? b : "") == 0;
}

int GetMQDataPath(char *buffer)
{
    const char *env = getenv("MQ_DATA_PATH");
    if (env && env[0]) {
        snprintf(buffer, 300, "%s", env);
        return 1;
    }
    if (LocHostMQDataPath(buffer, 300))
        return 1;
    if (!CSRunningOnWine)
        return 0;
    if (LocHostIsDirectory("/var/mqm")) {
        strcpy(buffer, "/var/mqm");
        return 1;
    }
    const char *user = getenv("USERNAME");
    snprintf(buffer, 300, "/home/%s/IBM/MQ/data", user ? user : "");
    return 1;
}

int GetQmgrDataPath(const QMS *r, char *buffer)
{
    char data[300];
    if (!GetMQDataPath(data) || r->viaQm[0])
        return 0;
    int n;
    if (r->flags & LF_CLIENT)
        n = snprintf(buffer, 300, "%s", data);
    else
        n = snprintf(buffer, 300, "%s%cQmgrs%c%s", data, CSPathSep, CSPathSep, r->qmName);
    return n > 0 && n < 300;                   /* a cut path names no file */
}
