/* Dialog records ("DLG:" entries): the saved options of one kind of object
 * dialog, kept per location (QMS.dialogs) and globally, keyed by the
 * command definition's title.  An entry whose title names no known
 * definition is kept as read and written back unchanged.
 *
 * Also the column-list helpers shared with the profile's "GDG:" lists.
 * The configuration file reads and writes them (config/cfgdialog.h). */
#pragma once

#include <cstdint>
#include <cstdio>
#include "cfgdefs.h"
#include "cslist.h"

#define DLGINFO_TITLE 40               /* key: the title, at most 39 characters */
#define DLG_MAXCOLUMNS 4000            /* columns a stored list may count */

/* Option word A. */
enum DlgOptionA : uint32_t {
    DLGA_FIELDS = 0x8, DLGA_BUTTONS = 0x10, DLGA_FILTER = 0x20,
    DLGA_POSSAVED = 0x2000, DLGA_SIZESAVED = 0x4000, DLGA_INITREFRESH = 0x8000,
    DLGA_AUTOREFRESH = 0x1000,
    DLGA_TAUTO = 0x1000000,            /* title by column (not written) */
    DLGA_TFULL = 0x2000000, DLGA_TSHORT = 0x4000000, DLGA_TMQSC = 0x8000000,
};
/* Option word B. */
enum DlgOptionB : uint32_t {
    DLGB_AUTOEXP = 0x4, DLGB_AUTOEXPAPP = 0x8, DLGB_AUTOEXPCHNG = 0x10, DLGB_NOSYS = 0x40,
    DLGB_TL = 0x100, DLGB_AUTOEXPAH = 0x10000, DLGB_AUTOEXPTS = 0x20000,
    DLGB_AUTOEXPSYS = 0x4000000, DLGB_AUTOEXPDEF = 0x8000000,
};

struct DLGINFO {
    CSTREE tree;
    char title[DLGINFO_TITLE];         /* key */
    uint32_t optA, optB;
    int32_t x, y, cx, cy, x2, y2, cx2, cy2;
    int32_t ds3, refresh, align, autoexptype, exptype, expseltype;
    char autoexpfile[300], expfile[300];
    char *dftFilter;                   /* block "DFTFILTER" */
    DLGCOLUMN *columns;                /* "PCFLIST", ends with a null field; null: none */
    CSLIST filters;                    /* filter lines, elements "FILTER2" */
    const void *def;                   /* null for an entry kept as read */
    char *raw;                         /* such an entry's text */
};

extern CSTREE *DlgInfoGlobal;          /* the profile's global entries */

DLGINFO *DlgInfoFind(CSTREE *tree, const char *title);
void DlgInfoFreeTree(CSTREE **tree);
/* Frees what one record holds, not the record. */
void DlgInfoFreeData(DLGINFO *info);

/* When no column of target carries a sort mark (0x44), each target column
 * takes those marks from the source column of the same attribute. */
void DlgFieldsMergeFlags(DLGCOLUMN *target, const DLGCOLUMN *source);
int DlgColumnCount(const DLGCOLUMN *list);
/* Whether a list holds a column of the field's attribute. */
int DlgColumnsHold(const DLGCOLUMN *list, int count, int32_t attribute);
