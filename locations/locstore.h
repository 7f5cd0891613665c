/* The location store: every location record lives in one balanced tree
 * keyed by queue-manager name and second name, with rings of locations of
 * the same queue manager and named groups.  Records leave the tree only
 * through LocDelete and are freed later by LocFlushFreed on the
 * user-interface thread.
 *
 * What the store asks of later subsystems (tree rows, threads, dialogs,
 * capability tables, commands) goes through LOCHOOKS; an unset hook does
 * nothing. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "qms.h"
#include "lochooks.h"

/* Program-wide settings and state of the store. */
struct LOCGLOBALS {
    uint64_t defaultAuthMask;          /* from the authorities file */
    uint32_t option3;                  /* program option word 3 */
    int32_t maxCommandLevel;           /* 0: no cap */
    int64_t now;                       /* seconds; 0: the clock */
    int loadingConfig;                 /* set while the configuration loads */
    int exiting;
    uint32_t uiThread;                 /* the user-interface thread's id */
    int32_t highestLevel;              /* highest command level seen */
    QMS *highestLocation;
    uint8_t allCaps[QMS_CAPS];         /* union of every capability set */
};

extern LOCGLOBALS LocGlobals;
extern CSTREE *LocTree;                /* the program-wide location tree */
extern CSTREE *LocGroups;              /* the group tree */

int64_t LocNow(void);

void InitLocationDefaults(QMS *record);
/* 1 when a text (of at most max bytes) holds a control character: such a
 * name (a line end a monitor record's reply-to fields carry) is refused
 * where it enters, by LocCreate, LocCreateRecord and LocRekey. */
int LocNameHasControl(const char *text, size_t max);
/* Refused by LocCreate and LocCreateRecord: a queue-manager, second or
 * location name with a control character. */
int LocNamesRefused(const QMS *record);
QMS *LocCreate(CSTREE **tree, const QMS *templ, uint32_t rowFlags);
/* The same without a copy, for a reader of many locations: a block for a
 * new record of the tree, filled by the caller and then taken over by
 * LocCreateRecord (which frees it, its texts and lists included, when the
 * tree refuses it); LocDropRecord frees one that is not wanted.  The
 * block's state holds LST_POOLED when it came from the record pool: a
 * caller that clears the record keeps that bit. */
QMS *LocNewRecord(CSTREE **tree);
QMS *LocCreateRecord(CSTREE **tree, QMS *record, uint32_t rowFlags);
void LocDropRecord(QMS *record);
int LocDelete(CSTREE **tree, QMS *record, const uint32_t *keep);
/* Gives a record of the tree a new queue-manager name and second name
 * (empty: "RAVOLT"): it leaves its ring and joins the ring of its new
 * queue manager, each ring keeping one first-of-ring.  1 when another
 * record holds that pair (nothing changes), else 0. */
int LocRekey(CSTREE **tree, QMS *record, const char *qmName, const char *secondName);
QMS *LocFind(const char *qmName);
QMS *LocFindByNames(const char *qmName, const char *secondName);
void LocTouch(QMS *record);
QMS *LocRingLatest(QMS *record);
QMS *LocSetStatus(QMS *record, uint32_t set, uint32_t clear, int force);
int LocMarkChanged(QMS *record);
void LocSetDefaultLevel(QMS *record, uint32_t changed);
void LocSetCapabilities(QMS *record, int32_t platform, int32_t level, uint32_t qsg);
bool LocMaskMatch(uint64_t mask, uint64_t required);
int LocSyncGroup(QMS *record);
int LocSetGroup(QMS *record);
QMSGROUP *LocGroupGet(const char *groupName);
int LocLeaveGroup(QMS *record);
void LocSetSharedText(QMS *record, const char *text);
/* The location's last error text (at most 249 characters; empty clears
 * it), under the store's lock; 1 when it changed. */
int LocSetLastError(QMS *record, const char *text);
void LocAddToNameList(QMS *record);
const char *LocNameList(void);
void LocResetNameList(void);
void CfgBroadcastChange(void);
void SetDefaultEncoding(QMS *record);
bool StrEqualNull(const char *a, const char *b);
int GetMQDataPath(char *buffer);       /* 300 bytes */
int GetQmgrDataPath(const QMS *record, char *buffer);
/* Frees the freed-record list; only on the user-interface thread (elsewhere
 * -1 and nothing is freed), else the number of records freed. */
int LocFlushFreed(void);
/* Frees what a record owns (texts, lists, kept blocks) but not the record:
 * for a template that LocCreate did not take. */
void LocFreeRecordData(QMS *record);
/* Puts a block of a cached list (from CSGetMem, its first word free) on
 * the freed-record list; LocFlushFreed frees it, after its links when
 * it is a tree element. */
void LocFreeLater(void *block, int treeElement);
/* The store's lock: held while the tree, rings, groups or the freed list
 * change; a walk of the tree that may meet another thread takes it. */
void LocLockStore(void);
void LocUnlockStore(void);
/* Visits every location of a tree in key order. */
void LocForEach(CSTREE *tree, void (*fn)(QMS *, void *), void *context);

/* Host part: the IBM MQ data directory from the registry; 0 when none. */
int LocHostMQDataPath(char *buffer, size_t size);
int LocHostDefaultMQDataPath(char *buffer, size_t size);   /* where an installation puts it */
int LocHostIsDirectory(const char *path);
