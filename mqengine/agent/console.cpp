/* The event console: a program-wide log of events about locations and
 * their objects, in a tree ordered by kind, then local date and time.  A
 * newer event replaces the older ones it makes obsolete, and the log is
 * trimmed to the profile's maximum.  Everything here holds global lock 4.
 *
 * An entry keeps its own copy of the object name: two events concern the
 * same object when the names are equal. */
#include "consoleint.h"

#include <cstring>

#include "cs.h"
#include "prfdata.h"

CSTREE *ConsoleTree;
int32_t ConsoleEntries;
static int32_t lastId;

/* The events a new event makes obsolete besides its own code; the
 * clearing events are not recorded themselves in the normal mode. */
static const struct { int32_t event; int32_t clears[2]; } Clears[] = {
    { MQRC_CHANNEL_ACTIVATED, { MQRC_CHANNEL_NOT_ACTIVATED, 0 } },
    { MQRC_Q_DEPTH_LOW, { MQRC_Q_FULL, MQRC_Q_DEPTH_HIGH } },
    { MQRC_Q_SERVICE_INTERVAL_OK, { MQRC_Q_SERVICE_INTERVAL_HIGH, 0 } },
    { MQRC_CHANNEL_STARTED, { MQRC_CHANNEL_STOPPED_BY_USER, MQRC_CHANNEL_STOPPED } },
    { ZKT_EVENT_LOCATION_AVAILABLE, { ZKT_EVENT_LOCATION_UNAVAILABLE, 0 } },
    { ZKT_EVENT_OBJECT_CLEARED, { ZKT_EVENT_OBJECT_STATE_1, ZKT_EVENT_OBJECT_STATE_2 } },
};

static const int32_t *clears_of(int32_t event)
{
    for (const auto &c : Clears)
        if (c.event == event)
            return c.clears;
    return nullptr;
}

/* 1 when an entry of this event is made obsolete by the new one. */
static int obsolete(int32_t old, int32_t event)
{
    const int32_t *c = clears_of(event);
    return old == event || (c && (old == c[0] || old == c[1]));
}

const char *ConsoleName(const CSLENTRY *e)
{
    return e->nameLength ? (const char *)e + sizeof *e : "";
}

const uint8_t *ConsoleData(const CSLENTRY *e)
{
    return (const uint8_t *)e + sizeof *e + e->nameLength + 1;
}

void ConsoleFreeEntry(CSTREE *, void *)
{
    ConsoleEntries--;
}

static int same_name(const CSLENTRY *e, const char *name, int32_t length)
{
    return e->nameLength == length && !memcmp(ConsoleName(e), name, (size_t)length);
}

/* A new entry with its key: 0 when storage runs out. */
static CSLENTRY *new_entry(QMS *r, int32_t event, int kind, const char *mqDate, const char *mqTime,
                           const char *name, int32_t nameLength, int32_t dataLength, const void *data)
{
    size_t size = sizeof(CSLENTRY) + (size_t)nameLength + 1 + (size_t)dataLength;
    CSLENTRY *e = (CSLENTRY *)CSGetMem(size, "CSL");
    if (!e)
        return nullptr;
    memset(e, 0, sizeof *e);
    e->key.kind = (uint8_t)kind;
    char date[16], time[9];
    if (mqDate && mqTime) {
        UTMQTimeToLocal(mqDate, mqTime, date, time);
    } else {
        int64_t now = MQETime();
        UTTimeToText(&now, date, time);
    }
    memcpy(e->key.date, date, sizeof e->key.date);
    memcpy(e->key.time, time, sizeof e->key.time);
    e->location = r;
    e->event = event;
    e->id = ++lastId;
    e->nameLength = nameLength;
    e->dataLength = dataLength;
    char *tail = (char *)e + sizeof *e;
    if (nameLength)
        memcpy(tail, name, (size_t)nameLength);
    tail[nameLength] = 0;
    if (dataLength)
        memcpy(tail + nameLength + 1, data, (size_t)dataLength);
    return e;
}

/* Adds an entry, raising the last key byte until the key is unique;
 * 1 when recorded (else freed). */
static int record(CSLENTRY *e)
{
    do {
        if (CSTreeAdd(&ConsoleTree, "CSL", CSTREE_INSERT | CSTREE_NORENUM, e, sizeof *e, CSL_KEY)) {
            ConsoleEntries++;
            return 1;
        }
    } while (++e->key.uniq != 0);
    CSFreeMem(e);
    return 0;
}

/* Deletes the other entries of the location and object that the event
 * makes obsolete. */
static void remove_obsolete(QMS *r, int32_t event, const char *name, int32_t length, const CSLENTRY *keep)
{
    for (CSTREE *t = CSTreeFirst(ConsoleTree); t;) {
        CSTREE *next = t->next;
        CSLENTRY *e = (CSLENTRY *)t;
        if (e != keep && e->location == r && same_name(e, name, length) && obsolete(e->event, event))
            CSTreeDelete(&ConsoleTree, ConsoleFreeEntry, nullptr, t, CSL_KEY);
        t = next;
    }
}

static void trim(void)
{
    int32_t most = Prf.maxcsl > 0 ? Prf.maxcsl : 1000;
    while (ConsoleEntries > most && ConsoleTree)
        CSTreeDelete(&ConsoleTree, ConsoleFreeEntry, nullptr, CSTreeFirst(ConsoleTree), CSL_KEY);
}

int ConsoleAddEntry(QMS *r, int32_t event, int mode, int kind, const char *mqDate, const char *mqTime,
                    const char *objectName, int32_t objectNameLength, int32_t dataLength, const void *data)
{
    if (mode < CSL_NORMAL || mode > CSL_REMOVE)
        return 0;
    int32_t nameLength = 0;
    if (objectName)
        nameLength = objectNameLength < 0 ? (int32_t)strlen(objectName)
                                          : (int32_t)strnlen(objectName, (size_t)objectNameLength);
    if (dataLength < 0 || (!data && dataLength))
        dataLength = 0;
    int rec = mode == CSL_RECORD || mode == CSL_RECORD_REMOVE || (mode == CSL_NORMAL && !clears_of(event));
    int rem = mode != CSL_RECORD;
    int rc = 0;
    CSLockGlobal(CSLOCK_EVENTS);
    CSLENTRY *e = nullptr;
    if (rec) {
        e = new_entry(r, event, kind, mqDate, mqTime, objectName, nameLength, dataLength, data);
        if (!e)
            rc = MQRC_STORAGE_NOT_AVAILABLE;
        else if (!record(e))
            e = nullptr;
    }
    if (rem)
        remove_obsolete(r, event, objectName ? objectName : "", nameLength, e);
    trim();
    CSUnlockGlobal(CSLOCK_EVENTS);
    MQEHooks.markStale(MYCMD_INQUIRE_CONSOLE);
    return rc;
}

void ConsoleLocationEvent(void *, QMS *r, int32_t code, int32_t kind)
{
    ConsoleAddEntry(r, code, CSL_NORMAL, kind, nullptr, nullptr, nullptr, 0, 0, nullptr);
}

void ConsoleForgetLocation(QMS *r)
{
    CSLockGlobal(CSLOCK_EVENTS);
    for (CSTREE *t = CSTreeFirst(ConsoleTree); t;) {
        CSTREE *next = t->next;
        if (((CSLENTRY *)t)->location == r)
            CSTreeDelete(&ConsoleTree, ConsoleFreeEntry, nullptr, t, CSL_KEY);
        t = next;
    }
    CSUnlockGlobal(CSLOCK_EVENTS);
}

int32_t ConsoleCount(void)
{
    CSLockGlobal(CSLOCK_EVENTS);
    int32_t n = ConsoleEntries;
    CSUnlockGlobal(CSLOCK_EVENTS);
    return n;
}

void ConsoleClear(void)
{
    CSLockGlobal(CSLOCK_EVENTS);
    CSTreeFree(&ConsoleTree, ConsoleFreeEntry, nullptr);
    ConsoleEntries = 0;
    CSUnlockGlobal(CSLOCK_EVENTS);
}
