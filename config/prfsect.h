/* The profile's sections after the "AP:" keys: print layouts, filters,
 * context-menu usage, find and replace lists, global dialog entries,
 * customised column lists, saved dialogs, string lists and the
 * object-name lists; and the shared filter file with its export.
 *
 * The sections are read only in their fixed order; a tag out of order,
 * a second section of a kind that does not repeat, or a tag that is no
 * profile section ends the profile there. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include "cslist.h"
#include "fltlist.h"
#include "prftext.h"
#include "cfghooks.h"

#define PRF_OBJLISTS 32

/* A find or replace list entry (tag "FR"). */
struct FRENTRY {
    CSLISTELEM links;
    int32_t number;
    int32_t length;
    int32_t hexDigits;                 /* digits when only hex and blanks, else 0 */
    char *text;                        /* block "FR" */
};

struct PRFSECTIONS {
    PRFLAYOUT layouts[3];              /* "PRT:", "PRH:", "PRF:" */
    CSLIST findList, replaceList;      /* FRENTRY */
    CSLIST qmSearch, qSearch;          /* "QMSRCH", "QSRCH" */
    CSLIST qPrefix;                    /* "QPFX" */
    CSLIST objectNames[PRF_OBJLISTS];  /* "OBJNAME" */
    CSLIST keptColumns;                /* "GDG:" entries of unknown dialogs, as read */
};

extern PRFSECTIONS PrfSections;
extern const char *const PrfObjectTags[PRF_OBJLISTS];

/* Reads the sections from the tag in token (its length len); returns with
 * the tag that ended them (or an empty token) in token. */
int PrfReadSections(PRFIN *in, char *token, int len);
void PrfWriteSections(PRFOUT *out);
void PrfFreeSections(void);

int PrfReadPrintLayout(PRFIN *in, PRFLAYOUT *layout, char *token);
/* selector not 0: the local list; 0: the shared list */
int PrfReadFilters(PRFIN *in, int selector, char *token);
int PrfReadMenuRows(PRFIN *in, char *token);
int PrfReadTextList(PRFIN *in, CSLIST *list, char *token);
int PrfSkipMonitorSection(PRFIN *in, char *token);
void PrfWriteFilter(PRFOUT *out, const FILKEY *filter);
void PrfWriteFilters(PRFOUT *out);
void PrfWriteTextList(PRFOUT *out, const CSLIST *list, const char *tag);

/* The shared filter file named by "sffile". */
void PrfReadSharedFilters(void);
/* Writes the marked local filters and the shared list to the file; the
 * result text in message (at least 400 bytes).  The number written. */
int PrfExportFilters(char *message);

