/* The location timer and what each location caches of its queue manager.
 *
 * LocTimerTick runs every second over every location: idle marks, object
 * downloads, automatic refreshes, status polls, automatic connection and
 * monitor messages, and the counts behind the main window's status text.
 *
 * Each location caches queue information (QINFO, kind 2) and six further
 * object lists (kinds 1 and 3 to 7), filled by the MQ reply processing on
 * worker threads under global lock 1.  Removing stale entries and redraws
 * happen only on the user-interface thread: a refresh function called
 * elsewhere records the work and posts the list's message to the main
 * frame, which calls the same function again. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "cslist.h"
#include "lochooks.h"
#include "qms.h"

/* Refresh request bits of RequestQmgrRefresh. */
enum LocRefreshBits : uint32_t {
    LOCREF_QMGR = 0x1,         /* queue-manager attributes */
    LOCREF_QLIST = 0x2,        /* the queue list */
    LOCREF_POLL = 0x4,         /* status poll */
    LOCREF_DOWNLOAD = 0x8,     /* object-definition download */
    LOCREF_AUTO = 0x10,        /* automatic refresh, quiet on failure */
};

/* The main frame's messages of the cached lists (FRM_LISTA...) are in
 * ravoltids.h. */
#include "ravoltids.h"

/* Counts of the last timer pass. */
struct LOCCOUNTS {
    int32_t seen;              /* locations */
    int32_t inError;
    int32_t running;           /* still running a thread, not yet disconnected */
};
extern LOCCOUNTS LocCounts;
/* The location of the "-m" option, whose queue opens once its queue
 * information first arrives. */
extern QMS *LocStartupLocation;

int LocTimerTick(int64_t now);
int LocTimerOne(QMS *record);
/* A location counts as in error (status 0x8000 or 0x2, or 0x4 without 0x8). */
int LocInError(const QMS *record);

/* ---- queue information (kind 2) ------------------------------------- */

/* QINFO flags. */
enum QInfoFlags : uint16_t {
    QI_UNCONFIRMED = 0x1,      /* not confirmed by the current inquiry */
    QI_REMOVE = 0x4,
    QI_DEPTHKNOWN = 0x10,
    QI_INNAMELIST = 0x20,      /* its cluster came from a cluster namelist */
    QI_CLUSTER = 0x40,
    QI_CLUSALIAS = 0x80,       /* a cluster queue-manager alias */
    QI_KEEP = 0x100,           /* never removed by a refresh, not shown */
};

#define QINFO_LINEWORDS 8
#define QINFO_ATTRMAX 150

/* One queue of a location: the common part, then the depth class and the
 * type's attribute block (116 bytes for local and model queues, 50 for
 * alias, 150 for remote); kept records are allocated to their type's
 * size.  The incoming record of an inquiry has the full size. */
struct QINFO {
    CSTREE tree;
    char name[QMS_NAME + 1];           /* key */
    uint8_t nameLength;
    uint32_t type;                     /* 1 local, 2 model, 3 alias, 6 remote */
    uint8_t descLength;
    char desc[65];
    uint16_t flags;                    /* QInfoFlags */
    const char *text;                  /* shared text */
    QMS *location;
    int32_t line[QINFO_LINEWORDS];     /* the tree line's words */
    uint32_t depthClass;               /* types 1 and 2 */
    uint8_t attrs[QINFO_ATTRMAX];
};

/* The attribute blocks: local and model queues (116 bytes), aliases (50),
 * remote queues (150).  The cluster name is the record's shared text. */
struct QATTRLOCAL {
    int32_t depth, maxDepth, usage, definitionType;
    char initQ[QMS_NAME + 1], process[QMS_NAME + 1];
};
struct QATTRALIAS {
    char baseQ[QMS_NAME + 1];
};
struct QATTRREMOTE {
    char remoteQ[QMS_NAME + 1], remoteQMgr[QMS_NAME + 1], xmitQ[QMS_NAME + 1];
};
static_assert(sizeof(QATTRLOCAL) <= 116 && sizeof(QATTRREMOTE) <= 150, "attribute blocks");
/* Bytes of a type's attribute block; 0 for a type that is not kept. */
size_t QInfoAttrSize(uint32_t type);
QINFO *LocFindQueueInfo(QMS *record, const char *name);
void LocMarkQueues(QMS *record, const char *pattern);
QINFO *LocAddQueueInfo(QINFO *incoming);
QINFO *LocAddQueueInfoRec(QMS *record, const QINFO *incoming);
/* At the end of an inquiry for a name pattern: unconfirmed matches are
 * marked for removal. */
void LocMarkObjectsByName(const char *pattern, QMS *record);

/* ---- the other cached lists ------------------------------------------ */

#define LOCOBJ_STALE 0x1
#define LOCOBJ_LINK 4                  /* link type of cross references */

/* An entry of kinds 1 and 3 to 6: the key (20 bytes for kinds 1 and 5,
 * 48 for the others, NUL-padded), its flags and what a removal releases.
 * The downloaded bytes follow in data. */
struct LOCOBJ {
    CSTREE tree;
    char name[QMS_NAME + 1];
    uint32_t flags;                    /* LOCOBJ_STALE */
    uint32_t typeWord;                 /* kinds 1 and 5: 6 lives in kind 5 */
    const char *shared;                /* kinds 1, 5: name; kind 6: text */
    const char **names;                /* kind 3: shared names */
    int32_t nameCount;
    uint8_t data[8];
};

/* Kind 7: groups, each a tree of members keyed by 117 bytes, and a
 * separate list of named entries the members refer to. */
enum LocMemberFlags : uint32_t {
    LOCM_CHANGED = 0x1, LOCM_STALE = 0x2, LOCM_CHAIN = 0x4, LOCM_PASS = 0x8,
    LOCM_FREED = 0x8000,
};
#define LOCMEMBER_KEY 117

struct LOCNAMED {
    CSTREE tree;
    char name[QMS_NAME + 1];
    uint32_t flags;                    /* LOCOBJ_STALE */
};

struct LOCGROUPENT;
struct LOCMEMBER {
    CSTREE tree;
    char key[LOCMEMBER_KEY];           /* the member's own name is its first 48 */
    uint32_t flags;                    /* LocMemberFlags */
    LOCMEMBER *head;                   /* head of its same-name chain */
    LOCMEMBER *nextSame;
    LOCGROUPENT *group;
    LOCNAMED *named;
    const char *sharedName;            /* the attributes a head passes on */
    int32_t values[3];
    uint32_t flagWord;                 /* bits 0x3000 pass on */
    int64_t values64[3];
    CSTREE *refs[2];                   /* its two reference trees */
};

struct LOCGROUPENT {
    CSTREE tree;
    char name[QMS_NAME + 1];
    uint32_t flags;
    CSTREE *members;
};

/* The cached lists of one location (QMS.objectCaches). */
struct LOCCACHES {
    CSTREE *queues;                    /* kind 2 */
    CSTREE *lists[8];                  /* kinds 1, 3, 4, 5, 6 */
    CSTREE *groups;                    /* kind 7 */
    CSTREE *named;                     /* kind 7's separate list */
};

/* The location's caches, made on first use (null when no storage). */
LOCCACHES *LocCaches(QMS *record);
/* Adds an entry of a kind (1, 3 to 6) from a template; null when the key
 * exists or storage runs out.  size: the whole entry. */
LOCOBJ *LocAddObject(QMS *record, int kind, const LOCOBJ *templ, size_t size);
LOCGROUPENT *LocAddGroupEntry(QMS *record, const char *name);
LOCMEMBER *LocAddMember(QMS *record, LOCGROUPENT *group, const LOCMEMBER *templ);
LOCNAMED *LocAddNamed(QMS *record, const char *name);

int LocRefreshQueueInfo(QMS *record);
int LocRefreshListA(QMS *record);
int LocRefreshListB(QMS *record);
int LocRefreshListC(QMS *record);
int LocRefreshListD(QMS *record);
int LocRefreshListE(QMS *record);
int LocRefreshListF(QMS *record);
/* Frees everything cached for a location; with alsoSettings also its
 * client channel settings. */
void LocFreeCache(QMS *record, int alsoSettings);

/* Whether the calling thread is the user-interface thread (any thread
 * while none is recorded). */
int LocOnUiThread(void);
