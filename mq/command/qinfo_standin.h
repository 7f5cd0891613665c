/* Stand-in for the location timer's queue information until it lands:
 * the least form of a location's queue records (one tree per location,
 * kept in QMS.objectCaches) that the queue-manager refresh fills.  The
 * real records and operations replace this header and
 * qinfo_standin.cpp. */
#pragma once

#include <cstdint>
#include "cslist.h"
#include "qms.h"

/* Flags of a queue record. */
enum : uint16_t {
    QI_UNCONFIRMED = 0x1,        /* not confirmed by the current inquiry */
    QI_REMOVE = 0x4,             /* to be removed at the next refresh */
    QI_DEPTHKNOWN = 0x10,        /* depth class known */
    QI_INNAMELIST = 0x20,        /* in a cluster namelist */
    QI_CLUSTER = 0x40,           /* a cluster queue */
    QI_CLUSALIAS = 0x80,         /* a cluster queue-manager alias */
    QI_KEEP = 0x100,             /* never removed by a refresh, not shown */
};

/* One queue of a location: what an inquiry reply brought. */
struct QINFO {
    CSTREE tree;                 /* key: the name */
    char name[QMS_NAME + 1];
    uint8_t nameLength;
    uint32_t type;               /* 1 local, 2 model, 3 alias, 6 remote */
    uint8_t descLength;
    char description[65];
    uint16_t flags;
    const char *cluster;         /* shared text: the cluster name, or null */
    QMS *location;
    uint32_t depthClass;         /* 1 to 5 by depth / maximum, 0 unknown */
    int32_t depth, maxDepth;
    int32_t definitionType, usage;
    char related1[QMS_NAME + 1]; /* base, initiation or remote queue */
    char related2[QMS_NAME + 1]; /* process or remote queue manager */
    char xmitQ[QMS_NAME + 1];
};

/* Merges a queue of a reply into the location's records; the kept record
 * (its shared text passes to it), or null. */
QINFO *LocAddQueueInfo(QINFO *incoming);
/* Marks the records whose names match the pattern as not confirmed. */
void LocMarkQueues(QMS *location, const char *pattern);
/* After the last reply: the unconfirmed records of the pattern are to be
 * removed. */
void LocMarkObjectsByName(QMS *location, const char *pattern);
/* Removes the records marked for removal. */
void LocRefreshQueueInfo(QMS *location);
/* Lookups and the end of a location's records. */
QINFO *LocFindQueueInfo(QMS *location, const char *name);
int32_t LocQueueInfoCount(QMS *location);
void LocFreeQueueInfo(QMS *location);
