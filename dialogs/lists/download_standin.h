/* Stand-in for the engine's object-definition download until it lands:
 * the download table's one row (the Queue definition, its list, the
 * default queues' names) and the default objects a location keeps, which
 * tests and the window tests' engine put here.  The real download
 * replaces this header and download_standin.cpp. */
#pragma once

#include <cstdint>
#include "pcfdefs.h"

struct QMS;

struct DOWNLOADROW {
    PCF_TRIPLE;
    const PCFCommandDef *object;       /* the object's definition */
    const PCFCommandDef *list;         /* its list definition */
    const char *pattern;               /* "SYSTEM.DEFAULT.*" */
    uint32_t nameAttr;                 /* 2016 */
    uint32_t typeAttr;                 /* 20, or 0 */
    const char *names;                 /* ",NAME,NAME," */
};

/* The row of a definition (its object or list definition), or null. */
const DOWNLOADROW *GetDownloadEntry(const PCFCommandDef *definition);
const DOWNLOADROW *FindDownloadEntryById(uint32_t nameAttr);
/* The default object of a type kept for a location, or null. */
uint8_t *FindDownloadedObject(QMS *location, uint32_t nameAttr, uint32_t type);
/* 1 when the name is a whole element of the row's names. */
int FindNameInList(const DOWNLOADROW *row, const char *name, int32_t length);

/* The stand-in's store: a data area of the object's definition kept as a
 * location's default object of a type (the store frees it); forgetting a
 * location (null: every one) frees its objects. */
void DownloadStandinKeep(QMS *location, uint32_t type, uint8_t *area);
void DownloadStandinForget(QMS *location);
