/* The location store: creation, lookup, rings, groups, status changes,
 * capabilities and deferred deletion of location records. */
#include "locstore.h"
#include "loccache.h"
#include "pwcreds.h"
#include "cs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

/* no rights until the authorities file has been read (or found absent) */
LOCGLOBALS LocGlobals = { 0, 0, 0, 0, 0, 0, 0, 0, nullptr, {} };
CSTREE *LocTree;
CSTREE *LocGroups;

static LOCHOOKS hooks;
static CSMUTEX storeLock;
static QMS *freedList;                 /* chained through the first word */
struct FREEDBLOCK { FREEDBLOCK *next; };
static FREEDBLOCK *freedBlocks, *freedElements;  /* cached objects */
static char nameList[100];
static int nameListClosed;

#define HOOK(name, ...) do { if (hooks.name) hooks.name(hooks.context __VA_OPT__(,) __VA_ARGS__); } while (0)

static void store_lock(void)
{
    static const int created = CSCreateLock(&storeLock);  /* once; later a load */
    (void)created;
    CSLockRecursive(&storeLock, CS_WAIT_FOREVER);
}

static void store_unlock(void)
{
    CSUnlockRecursive(&storeLock);
}

void LocLockStore(void) { store_lock(); }
void LocUnlockStore(void) { store_unlock(); }

const LOCHOOKS *LocHooks(void)
{
    return &hooks;
}

void LocSetHooks(const LOCHOOKS *h)
{
    if (h)
        hooks = *h;
    else
        memset(&hooks, 0, sizeof hooks);
}

static LOCRELEASEHOOKS releaseHooks;

const LOCRELEASEHOOKS *LocReleaseHooks(void)
{
    return &releaseHooks;
}

void LocSetReleaseHooks(const LOCRELEASEHOOKS *h)
{
    if (h)
        releaseHooks = *h;
    else
        memset(&releaseHooks, 0, sizeof releaseHooks);
}

int64_t LocNow(void)
{
    return LocGlobals.now ? LocGlobals.now : (int64_t)time(nullptr);
}

/* Copies a name into a fixed field of QMS_NAME + 1 bytes, NUL-padding
 * the rest (tree keys are compared as bytes); the text may be the field
 * itself.  Made in a buffer of the field's size and copied whole: calls
 * of a length known only at run time go to library functions that work
 * byte by byte on some hosts, three of them per name. */
static void set_name(char *field, const char *text)
{
    char name[QMS_NAME + 1] = {};
    for (size_t n = 0; n < QMS_NAME && text[n]; n++)
        name[n] = text[n];
    memcpy(field, name, sizeof name);
}

/* Two name fields (QMS_NAME + 1 bytes, NUL-padded) in the order memcmp
 * gives them (a library compare goes byte by byte on some hosts, and a
 * read compares names several times per location). */
static inline int name_order(const char *a, const char *b)
{
    return CSCompareBytes(a, b, QMS_NAME + 1);
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
    set_name(key, qmName);
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
    set_name(key, qmName ? qmName : "");
    set_name(key + QMS_NAME + 1, secondName ? secondName : "");
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
    if (r->downloadState & 0x1ef) {
        r->state |= LST_TOUCHPENDING;
        return;
    }
    r->state &= ~(LST_IDLE | LST_TOUCHPENDING);
    r->lastUsed = LocNow();
    if (r->nextInRing)
        LocRingLatest(r);
}

/* ---- groups ----------------------------------------------------------- */

/* The group helpers run under the store lock.  Groups found lately are
 * kept by a hash of their names: reading a file asks the group tree about
 * a group once rather than once per member (a tree search compares whole
 * names at every level). */
#define GROUP_CACHE 256
static QMSGROUP *groupCache[GROUP_CACHE];

static unsigned group_slot(const char *name)
{
    uint32_t h = 2166136261u;
    for (int i = 0; i < QMS_NAME && name[i]; i++)
        h = (h ^ (uint8_t)name[i]) * 16777619u;
    return (h ^ (h >> 16)) % GROUP_CACHE;
}

static QMSGROUP *group_get_locked(const char *groupName)
{
    QMSGROUP g;
    memset(&g, 0, sizeof g);
    set_name(g.name, groupName);
    unsigned slot = group_slot(g.name);
    QMSGROUP *found = groupCache[slot];
    if (found) {
        int i = 0;
        while (i < QMS_NAME && g.name[i] && found->name[i] == g.name[i])
            i++;
        if (found->name[i] == g.name[i])
            return found;
    }
    found = (QMSGROUP *)CSTreeFind(LocGroups, g.name, QMS_NAME + 1);
    if (!found)
        found = (QMSGROUP *)CSTreeAdd(&LocGroups, "QMSGROUP", 0, &g, sizeof g, QMS_NAME + 1);
    if (found)
        groupCache[slot] = found;
    return found;
}

static void leave_group_locked(QMS *r)
{
    QMSGROUP *g = r->group;
    if (!g)
        return;
    QMS *before = nullptr;
    for (QMS **p = &g->first; *p; before = *p, p = &(*p)->nextInGroup)
        if (*p == r) {
            *p = r->nextInGroup;
            if (g->last == r)
                g->last = before;
            break;
        }
    r->nextInGroup = nullptr;
    r->group = nullptr;
    if (!g->first) {
        unsigned slot = group_slot(g->name);
        if (groupCache[slot] == g)
            groupCache[slot] = nullptr;
        CSTreeDelete(&LocGroups, nullptr, nullptr, &g->tree, QMS_NAME + 1);
    }
}

/* after every member whose name is not greater: at once after the last
   one when no member's name is greater (a file read in order) */
static void set_group_locked(QMS *r)
{
    leave_group_locked(r);
    QMSGROUP *g = group_get_locked(r->groupName);
    if (!g)
        return;
    QMS **p = &g->first;
    if (g->last && name_order(g->last->qmName, r->qmName) <= 0)
        p = &g->last->nextInGroup;
    while (*p && name_order((*p)->qmName, r->qmName) <= 0)
        p = &(*p)->nextInGroup;
    r->nextInGroup = *p;
    *p = r;
    if (!r->nextInGroup)
        g->last = r;
    r->group = g;
}

static void sync_group_locked(QMS *r)
{
    if (r->groupName[0]) {
        if (!r->group || strcmp(r->group->name, r->groupName) != 0)
            set_group_locked(r);
    } else if (r->group) {
        leave_group_locked(r);
    }
}

QMSGROUP *LocGroupGet(const char *groupName)
{
    store_lock();
    QMSGROUP *found = group_get_locked(groupName);
    store_unlock();
    return found;
}

int LocLeaveGroup(QMS *r)
{
    if (!r->group)
        return 1;
    store_lock();
    leave_group_locked(r);
    store_unlock();
    return 1;
}

int LocSetGroup(QMS *r)
{
    /* one hold of the lock: the group found must not be deleted by its
       last member leaving on another thread before this one joins */
    store_lock();
    set_group_locked(r);
    store_unlock();
    return 1;
}

int LocSyncGroup(QMS *r)
{
    store_lock();
    sync_group_locked(r);
    store_unlock();
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

/* Records of one queue manager name sit side by side in key order: a
 * neighbour in the tree tells whether the name has a ring already, with
 * no search.  Under the store lock. */
static QMS *same_name_neighbour(QMS *r)
{
    QMS *prev = (QMS *)r->tree.prev, *next = (QMS *)r->tree.next;
    if (prev && !name_order(prev->qmName, r->qmName))
        return prev;
    if (next && !name_order(next->qmName, r->qmName))
        return next;
    return nullptr;
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

/* ---- the record pool --------------------------------------------------- */

/* Records of the program-wide tree come from blocks of QMS_SLAB: one
 * allocation each, which the host's heap serves far faster than as many
 * allocations of a record's size.  A freed record goes back to the pool. */
#define QMS_SLAB 64

struct QMSSLAB {
    QMSSLAB *next;
    void *spare;
    QMS records[QMS_SLAB];
};

static QMSSLAB *slabs;
static QMS *pool;                      /* chained through the first word */

/* under the store lock */
static QMS *record_get(void)
{
    if (!pool) {
        QMSSLAB *s = (QMSSLAB *)CSGetMem(sizeof(QMSSLAB), "QMSSLAB");
        if (s) {
            s->next = slabs;
            slabs = s;
            for (int i = QMS_SLAB - 1; i >= 0; i--) {
                s->records[i].tree.left = (CSTREE *)pool;
                pool = &s->records[i];
            }
        }
    }
    QMS *r = pool;
    if (r) {
        pool = (QMS *)r->tree.left;
        /* the next one handed out is fetched now, to be written: a
           reader fills a record in far less time than it takes to come
           from memory line by line */
        if (pool)
            for (size_t at = 0; at < sizeof *pool; at += 64)
                __builtin_prefetch((const char *)pool + at, 1);
    }
    return r;
}

static void record_put(QMS *r)
{
    store_lock();
    r->tree.left = (CSTREE *)pool;
    pool = r;
    store_unlock();
}

static void record_free(QMS *r)
{
    if (r->state & LST_POOLED)
        record_put(r);
    else
        CSFreeMem(r);
}

/* ---- creation and deletion -------------------------------------------- */

/* A block for a record of a tree: from the pool for the program-wide
 * tree.  Under the store lock. */
static QMS *new_block(int program)
{
    return program ? record_get() : (QMS *)CSGetMem(sizeof(QMS), "QMS");
}

QMS *LocNewRecord(CSTREE **tree)
{
    int program = is_program_tree(tree);
    store_lock();
    QMS *t = new_block(program);
    store_unlock();
    if (t)
        t->state = program ? LST_POOLED : 0;  /* dropped unused, it goes back where it came from */
    return t;
}

void LocDropRecord(QMS *record)
{
    LocFreeRecordData(record);
    record_free(record);
}

/* Puts a filled block into a tree as a new location; on failure the
 * block goes (and its texts and lists when ownsData is set). */
int LocNameHasControl(const char *text, size_t max)
{
    for (size_t i = 0; i < max && text[i]; i++)
        if ((unsigned char)text[i] < 0x20)
            return 1;
    return 0;
}

int LocNamesRefused(const QMS *t)
{
    return LocNameHasControl(t->qmName, QMS_NAME) || LocNameHasControl(t->secondName, QMS_NAME) ||
           LocNameHasControl(t->locationName, QMS_LOCNAME);
}

static QMS *insert_record(CSTREE **tree, QMS *t, uint32_t rowFlags, int ownsData)
{
    int program = is_program_tree(tree);
    store_lock();
    t->state = program ? (t->state | LST_POOLED) : (t->state & ~LST_POOLED);
    if (LocNamesRefused(t)) {
        if (ownsData)
            LocFreeRecordData(t);
        record_free(t);
        store_unlock();
        return nullptr;
    }
    memset(&t->tree, 0, sizeof t->tree);
    if (!t->interval[0]) t->interval[0] = 60;
    if (!t->interval[2]) t->interval[2] = 1800;
    /* blanks alone are no name: written, they would read back as none */
    if (t->secondName[strspn(t->secondName, " ")] == 0)
        memcpy(t->secondName, "RAVOLT", sizeof "RAVOLT");
    if (t->commandQueue[strspn(t->commandQueue, " ")] == 0) {
        if (t->flags & LF_MVS)
            memcpy(t->commandQueue, "SYSTEM.COMMAND.INPUT", sizeof "SYSTEM.COMMAND.INPUT");
        else
            memcpy(t->commandQueue, "SYSTEM.ADMIN.COMMAND.QUEUE", sizeof "SYSTEM.ADMIN.COMMAND.QUEUE");
    }
    set_name(t->qmName, t->qmName);
    set_name(t->secondName, t->secondName);
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

    QMS *r = (QMS *)CSTreeAdd(tree, "QMS", CSTREE_NORENUM | CSTREE_INSERT, t, sizeof *t,
                              QMS_KEYLEN);
    if (!r) {
        if (ownsData)
            LocFreeRecordData(t);
        record_free(t);
        store_unlock();
        return nullptr;
    }
    /* the list elements name their owning list: it moved with the record */
    for (CSLISTELEM *e = r->mqscCommands.first; e; e = e->next)
        e->list = &r->mqscCommands;
    join_ring(r, same_name_neighbour(r));
    if (program)
        sync_group_locked(r);
    store_unlock();
    if (!program)
        return r;

    if (r->nextInRing)
        LocRingLatest(r);
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
    set_name(key, qmName ? qmName : "");
    set_name(key + QMS_NAME + 1, secondName && secondName[0] ? secondName : "RAVOLT");
    if (LocNameHasControl(key, QMS_NAME) || LocNameHasControl(key + QMS_NAME + 1, QMS_NAME))
        return 1;
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
    /* inserting clears the element header: the record's links stay (the
       block itself stays where it is, a pooled one included) */
    CSLINK *links = r->tree.links;
    uint16_t refs = r->tree.refs;
    CSTreeAdd(tree, "QMS", CSTREE_INSERT | CSTREE_NORENUM, r, sizeof *r, QMS_KEYLEN);
    r->tree.links = links;
    r->tree.refs = refs;
    if (newRing) {
        join_ring(r, same_name_neighbour(r));
        if (r->nextInRing)
            LocRingLatest(r);
    }
    if (r->group)
        set_group_locked(r);           /* members are kept in name order */
    store_unlock();
    if (is_program_tree(tree)) {
        HOOK(removeRow, r);            /* the row moves to its new place */
        HOOK(addRow, r, 0);
        CfgBroadcastChange();
    }
    return 0;
}

QMS *LocCreate(CSTREE **tree, const QMS *templ, uint32_t rowFlags)
{
    QMS *t = LocNewRecord(tree);
    if (!t)
        return nullptr;
    memcpy(t, templ, sizeof *t);
    return insert_record(tree, t, rowFlags, 0);
}

QMS *LocCreateRecord(CSTREE **tree, QMS *record, uint32_t rowFlags)
{
    return insert_record(tree, record, rowFlags, 1);
}

static void free_command(CSLISTELEM *, void *) {}

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
    if (r->password) {
        memset(r->password, 0, strlen(r->password));
        CSFreeMem(r->password);
        r->password = nullptr;
    }
    if (r->clientSettings && releaseHooks.freeClientData)
        releaseHooks.freeClientData(releaseHooks.context, r);
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
    PWCForgetLocation(r);              /* its waiting cache requests */
    if (hooks.freeCache)
        hooks.freeCache(hooks.context, r);
    else
        LocFreeCache(r, 1);
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

void LocFreeLater(void *block, int treeElement)
{
    FREEDBLOCK *b = (FREEDBLOCK *)block;
    store_lock();
    FREEDBLOCK **list = treeElement ? &freedElements : &freedBlocks;
    b->next = *list;
    *list = b;
    store_unlock();
}

int LocFlushFreed(void)
{
    if (LocGlobals.uiThread && CSGetThreadId() != LocGlobals.uiThread)
        return -1;
    store_lock();
    QMS *list = freedList;
    freedList = nullptr;
    FREEDBLOCK *elements = freedElements, *blocks = freedBlocks;
    freedElements = freedBlocks = nullptr;
    store_unlock();
    int n = 0;
    for (FREEDBLOCK *b = elements, *next; b; b = next, n++) {
        next = b->next;
        b->next = nullptr;
        CSLinkRemoveAll(b, 0);
        CSFreeMem(b);
    }
    for (FREEDBLOCK *b = blocks, *next; b; b = next, n++) {
        next = b->next;
        CSFreeMem(b);
    }
    while (list) {
        QMS *next = (QMS *)list->tree.left;
        CSLinkRemoveAll(list, 0);
        LocFreeRecordData(list);
        record_free(list);
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
    if (now & LS_PROCESSNOW) {
        if (hooks.timerOne)
            hooks.timerOne(hooks.context, r);
        else
            LocTimerOne(r);
    }
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

int LocSetLastError(QMS *r, const char *text)
{
    if (!text)
        text = "";
    LocLockStore();
    int changed = strncmp(r->lastError ? r->lastError : "", text, 249) != 0;
    if (changed) {
        /* a block of its own each time: whoever wrote the last one, its
           size is never taken for granted */
        char *block = *text ? (char *)CSGetMem(250, "Error") : nullptr;
        if (block)
            UTStrCopy(block, text, 250);
        if (block || !*text)
            CSFreeMemAndClear(&r->lastError);
        if (block)
            r->lastError = block;
        changed = block || !*text;
    }
    LocUnlockStore();
    return changed;
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
    /* the default installation's folder; under Wine proposed even before
     * it exists, as a Windows path rather than a Unix one */
    return LocHostDefaultMQDataPath(buffer, 300) && (CSRunningOnWine || LocHostIsDirectory(buffer));
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
