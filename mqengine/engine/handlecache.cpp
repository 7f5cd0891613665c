/* The queue handle cache of a connection: twenty open object handles,
 * looked up by queue manager, object, selection string and options, the
 * least recently used one closed when a new one needs its entry.  Used
 * only by a holder of the connection's lock. */
#include "engint.h"

#include <cctype>
#include <cstring>

#include "cs.h"

/* Get options that must agree for a read-ahead handle to be shared. */
#define READ_AHEAD_GMO_MASK 0x1FB7D046

static MQCACHE *cache_of(void **slot)
{
    if (!*slot) {
        MQCACHE *c = (MQCACHE *)CSGetMem(sizeof *c, "pCache");
        if (!c)
            return nullptr;
        memset(c, 0, sizeof *c);
        *slot = c;
    }
    return (MQCACHE *)*slot;
}

/* ---- names ---- */

static CSMUTEX userLock;
static char userName[49];

const char *DynQueueUserName(void)
{
    CSLockRecursive(&userLock, CS_WAIT_FOREVER);
    if (!userName[0]) {
        EngCopy(userName, CSGetUserName(), sizeof userName);
        if (EngUpperUserNames())
            for (char *p = userName; *p; p++)
                *p = (char)toupper((unsigned char)*p);
    }
    CSUnlockRecursive(&userLock);
    return userName;
}

void DynQueueUserNameReset(void)
{
    CSLockRecursive(&userLock, CS_WAIT_FOREVER);
    userName[0] = 0;
    CSUnlockRecursive(&userLock);
}

static int name_char(char c)
{
    return isalnum((unsigned char)c) || c == '.' || c == '/' || c == '_' || c == '%' || c == '*';
}

void MakeDynamicName(const char *templ, const char *user, char *out)
{
    char built[200];
    size_t n = 0;
    if (!templ || !templ[0]) {
        EngFormat(built, sizeof built, ENGINE_DYNAMIC_DEFAULT, user);
        n = strlen(built);
    } else {
        for (const char *p = templ; *p && n < sizeof built - 1; p++) {
            if (p[0] != '%' || !p[1]) {
                built[n++] = *p;
                continue;
            }
            p++;
            if (*p == 'u')
                for (const char *u = user; *u && n < sizeof built - 1; u++)
                    built[n++] = *u;
            else
                built[n++] = *p;
        }
        built[n] = 0;
    }
    for (size_t i = 0; i < n; i++)
        if (!name_char(built[i]))
            built[i] = '_';
    EngCopy(out, built, 49);
}

/* ---- entries ---- */

static void close_entry(MQHCONN hconn, int client, MQCACHEENTRY *e)
{
    MQLONG cc, rc;
    MQHOBJ h = e->hobj;
    if (hconn != MQHC_UNUSABLE_HCONN)
        MQTableFor(client)->MQCLOSE(hconn, &h, MQCO_NONE, &cc, &rc);
    CSFreeMemAndClear(&e->selection);
    memset(e, 0, sizeof *e);
    e->hobj = MQHO_UNUSABLE_HOBJ;
}

void MQEmptyCache(void **slot, int freeBlock)
{
    MQCACHE *c = (MQCACHE *)*slot;
    if (!c)
        return;
    for (MQCACHEENTRY &e : c->entries) {
        CSFreeMemAndClear(&e.selection);
        memset(&e, 0, sizeof e);
    }
    if (freeBlock)
        CSFreeMemAndClear(slot);
}

/* What a request asks for. */
struct Wanted {
    char qm[49];
    char object[49];
    int deadLetter;
    uint32_t match;
    MQLONG options, getOptions;
    const void *selection;
    int32_t selectionLength;
};

static int matches(const MQCACHEENTRY *e, const Wanted *w)
{
    if (e->selectionLength != w->selectionLength ||
        (w->selectionLength && memcmp(e->selection, w->selection, (size_t)w->selectionLength)))
        return 0;
    if ((e->options & MQOO_READ_AHEAD) &&
        (!(w->options & MQOO_READ_AHEAD) ||
         ((e->getOptions ^ (uint32_t)w->getOptions) & READ_AHEAD_GMO_MASK)))
        return 0;
    if (strcmp(e->qmName, w->qm))
        return 0;
    if (strcmp(e->objectName, w->object) && !(w->deadLetter && e->deadLetter))
        return 0;
    if (w->match & MQC_EQUAL)
        return e->options == (uint32_t)w->options;
    return (e->options & (uint32_t)w->options) == (uint32_t)w->options;
}

/* The entry to use: a match, else a free one, else the least recently
 * used (its handle closed). */
static MQCACHEENTRY *choose(MQHCONN hconn, int client, MQCACHE *c, const Wanted *w, int *hit)
{
    MQCACHEENTRY *free = nullptr, *oldest = nullptr;
    *hit = 0;
    for (MQCACHEENTRY &e : c->entries) {
        if (!e.objectName[0]) {
            if (!free)
                free = &e;
            continue;
        }
        if (matches(&e, w)) {
            *hit = 1;
            return &e;
        }
        if (!oldest || e.lastUse < oldest->lastUse)
            oldest = &e;
    }
    if (free)
        return free;
    close_entry(hconn, client, oldest);
    return oldest;
}

/* The open itself, dropping read-ahead options a queue manager refuses. */
static void open_object(MQHCONN hconn, int client, const Wanted *w, const char *dynamicTemplate,
                        MQOD *od, MQLONG *options, MQHOBJ *hobj, MQLONG *cc, MQLONG *rc)
{
    const MQOD init = {MQOD_DEFAULT};
    *od = init;
    EngPadName(od->ObjectName, w->object, 48);
    EngPadName(od->ObjectQMgrName, w->qm, 48);
    char dynamic[49];
    MakeDynamicName(dynamicTemplate, DynQueueUserName(), dynamic);
    EngPadName(od->DynamicQName, dynamic, 48);
    if (w->selectionLength) {
        od->Version = MQOD_VERSION_4;
        od->SelectionString.VSPtr = (MQPTR)w->selection;
        od->SelectionString.VSLength = w->selectionLength;
    }
    MQIEntryTable *t = MQTableFor(client);
    for (;;) {
        t->MQOPEN(hconn, od, *options, hobj, cc, rc);
        if (*rc != MQRC_OPTIONS_ERROR)
            return;
        if (*options & MQOO_READ_AHEAD)
            *options &= ~MQOO_READ_AHEAD;
        else if (*options & MQOO_NO_READ_AHEAD)
            *options &= ~MQOO_NO_READ_AHEAD;
        else
            return;
    }
}

void MQOpenCached(MQHCONN hconn, int client, void **cache, uint32_t match, const char *qmName,
                  const char *objectName, const char *dynamicTemplate, char *resolvedName,
                  MQLONG options, MQLONG getOptions, const void *selection,
                  int32_t selectionLength, MQHOBJ *hobj, MQCACHEENTRY **entry,
                  MQLONG *compCode, MQLONG *reason)
{
    *compCode = MQCC_OK;
    *reason = 0;
    *hobj = MQHO_UNUSABLE_HOBJ;
    if (entry)
        *entry = nullptr;
    MQCACHE *c = cache_of(cache);
    if (!c) {
        *compCode = MQCC_FAILED;
        *reason = MQRC_STORAGE_NOT_AVAILABLE;
        return;
    }
    Wanted w = {};
    EngCopy(w.qm, qmName && qmName[0] == '*' ? qmName + 1 : qmName, sizeof w.qm);
    EngTrimName(w.qm, w.qm, 48);
    EngCopy(w.object, objectName, sizeof w.object);
    EngTrimName(w.object, w.object, 48);
    w.deadLetter = !strcmp(w.object, "#DLQ");
    w.match = match;
    w.options = options;
    w.getOptions = getOptions;
    w.selection = selection;
    w.selectionLength = selection ? selectionLength : 0;
    int hit;
    MQCACHEENTRY *e = choose(hconn, client, c, &w, &hit);
    if (hit && !(match & MQC_REOPEN)) {
        e->lastUse = ++c->uses;
        *hobj = e->hobj;
        if (entry)
            *entry = e;
        return;
    }
    if (hit)
        close_entry(hconn, client, e);
    if (w.deadLetter && (*reason = InquireDLQName(hconn, client, w.object)) != 0) {
        *compCode = MQCC_FAILED;
        return;
    }
    MQOD od;
    open_object(hconn, client, &w, dynamicTemplate, &od, &options, hobj, compCode, reason);
    if (*compCode == MQCC_FAILED)
        return;
    if (w.selectionLength) {
        e->selection = (char *)CSGetMem((size_t)w.selectionLength, "Selector");
        if (!e->selection) {
            MQTableFor(client)->MQCLOSE(hconn, hobj, MQCO_NONE, compCode, reason);
            *compCode = MQCC_FAILED;
            *reason = MQRC_STORAGE_NOT_AVAILABLE;
            return;
        }
        memcpy(e->selection, w.selection, (size_t)w.selectionLength);
        e->selectionLength = w.selectionLength;
    }
    EngCopy(e->qmName, w.qm, sizeof e->qmName);
    EngCopy(e->objectName, w.object, sizeof e->objectName);
    e->options = (uint32_t)options;
    e->getOptions = (uint32_t)getOptions;
    e->hobj = *hobj;
    e->deadLetter = w.deadLetter;
    e->lastUse = ++c->uses;
    if (resolvedName)
        EngTrimName(resolvedName, od.ObjectName, 48);
    if (entry)
        *entry = e;
}

/* Closes the entries a test picks. */
static void close_where(MQHCONN hconn, int client, void **cache,
                        int (*pick)(const MQCACHEENTRY *, const void *), const void *what)
{
    MQCACHE *c = (MQCACHE *)*cache;
    for (int i = 0; c && i < MQCACHE_ENTRIES; i++)
        if (c->entries[i].objectName[0] && pick(&c->entries[i], what))
            close_entry(hconn, client, &c->entries[i]);
}

struct Names {
    char qm[49], object[49];
};

static int same_names(const MQCACHEENTRY *e, const void *what)
{
    const Names *n = (const Names *)what;
    return !strcmp(e->qmName, n->qm) && !strcmp(e->objectName, n->object);
}

static int same_handle(const MQCACHEENTRY *e, const void *what)
{
    return e->hobj == *(const MQHOBJ *)what;
}

void MQCloseCachedByName(MQHCONN hconn, int client, void **cache, const char *qmName,
                         const char *objectName, MQLONG *compCode, MQLONG *reason)
{
    Names n;
    EngCopy(n.qm, qmName && qmName[0] == '*' ? qmName + 1 : qmName, sizeof n.qm);
    EngTrimName(n.qm, n.qm, 48);
    EngCopy(n.object, objectName, sizeof n.object);
    EngTrimName(n.object, n.object, 48);
    close_where(hconn, client, cache, same_names, &n);
    *compCode = MQCC_OK;
    *reason = 0;
}

void MQCloseCachedHandle(MQHCONN hconn, int client, void **cache, MQHOBJ hobj,
                         MQLONG *compCode, MQLONG *reason)
{
    close_where(hconn, client, cache, same_handle, &hobj);
    *compCode = MQCC_OK;
    *reason = 0;
}

int InquireDLQName(MQHCONN hconn, int client, char *name)
{
    MQIEntryTable *t = MQTableFor(client);
    MQOD od = {MQOD_DEFAULT};
    od.ObjectType = MQOT_Q_MGR;
    MQHOBJ h;
    MQLONG cc, rc, selector = MQCA_DEAD_LETTER_Q_NAME;
    char value[48];
    name[0] = 0;
    t->MQOPEN(hconn, &od, MQOO_INQUIRE, &h, &cc, &rc);
    if (cc == MQCC_FAILED)
        return rc;
    t->MQINQ(hconn, h, 1, &selector, 0, nullptr, 48, value, &cc, &rc);
    MQLONG closeCc, closeRc;
    t->MQCLOSE(hconn, &h, MQCO_NONE, &closeCc, &closeRc);
    if (cc == MQCC_FAILED)
        return rc;
    UTStrCopyToBlank(name, value, 48, 48);
    return name[0] ? 0 : MQRC_UNKNOWN_OBJECT_NAME;
}
