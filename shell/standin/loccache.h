/* Stand-in for the location caches' queue information until the location
 * timer and caches land (their header of the same name replaces this
 * one, and loccache_standin.cpp goes with it): the queue records of a
 * location and what the tree and the tests use of them. */
#pragma once

#include <cstddef>
#include <cstdint>
#include "cslist.h"
#include "qms.h"

/* QINFO flags. */
enum QInfoFlags : uint16_t {
    QI_UNCONFIRMED = 0x1,
    QI_REMOVE = 0x4,
    QI_DEPTHKNOWN = 0x10,
    QI_CLUSTER = 0x40,
    QI_KEEP = 0x100,
};

#define QINFO_LINEWORDS 8
#define QINFO_ATTRMAX 150

/* One queue of a location. */
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
    int32_t line[QINFO_LINEWORDS];
    uint32_t depthClass;               /* types 1 and 2 */
    uint8_t attrs[QINFO_ATTRMAX];
};

struct LOCCACHES {
    CSTREE *queues;
    CSTREE *lists[8];
    CSTREE *groups;
    CSTREE *named;
};

size_t QInfoAttrSize(uint32_t type);
LOCCACHES *LocCaches(QMS *record);
QINFO *LocFindQueueInfo(QMS *record, const char *name);
void LocMarkQueues(QMS *record, const char *pattern);
QINFO *LocAddQueueInfo(QINFO *incoming);
void LocMarkObjectsByName(const char *pattern, QMS *record);
int LocRefreshQueueInfo(QMS *record);
