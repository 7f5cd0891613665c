/* Stand-in for the configuration's dialog records until they land: the
 * saved options of one kind of dialog (DLGINFO, "DLG:" entries, per
 * location in QMS.dialogs and program-wide in DlgInfoGlobal) and the
 * saved dialogs (SAVEDDIALOG), with the fields the command dialog reads.
 * The real records replace this header and dlgrec_standin.cpp. */
#pragma once

#include <cstdint>
#include "cslist.h"
#include "pcfdefs.h"

#define DLGINFO_TITLE 40               /* key: the title, at most 39 characters */
#define PD_UNSET (-999999999)

/* Option word A (the dialog's shown parts, placement and title mode). */
enum DlgOptionA : uint32_t {
    DLGA_FIELDS = 0x8, DLGA_BUTTONS = 0x10, DLGA_FILTER = 0x20,
    DLGA_POSSAVED = 0x2000, DLGA_SIZESAVED = 0x4000, DLGA_INITREFRESH = 0x8000,
    DLGA_TAUTO = 0x1000000, DLGA_TFULL = 0x2000000, DLGA_TSHORT = 0x4000000, DLGA_TMQSC = 0x8000000,
};
/* Option word B (carried into the dialog's option flags). */
enum DlgOptionB : uint32_t { DLGB_NOSYS = 0x40, DLGB_TL = 0x100 };

struct DLGINFO {
    CSTREE tree;
    char title[DLGINFO_TITLE];         /* key */
    uint32_t optA, optB;
    int32_t x, y, cx, cy, x2, y2, cx2, cy2;
    int32_t ds3, refresh, align, autoexptype, exptype, expseltype;
    char autoexpfile[300], expfile[300];
    char *dftFilter;                   /* block "DEFFILTER" */
    PCFLISTENTRY *columns;             /* "PCFLIST", null: none */
    CSLIST filters;                    /* recent filter texts */
    const void *def;
    char *raw;
};
extern CSTREE *DlgInfoGlobal;          /* the program-wide records */

/* Option flags of a saved dialog's state. */
enum PdFlags : uint32_t {
    PDF_INITREFRESH = 0x1, PDF_FILTER = 0x4, PDF_FIELDS = 0x8, PDF_BUTTONS = 0x10, PDF_TL = 0x40,
};

struct PDGSTATE {
    uint32_t flags;                    /* PdFlags */
    int32_t refresh, ds2, ds3, autoexptype, align, rest;
    char autoexpfile[300];
    char fil[100];
    char obj[50];
    int32_t typ;
    int32_t x, y, cx, cy, x2, y2, cx2, cy2;
};

struct SAVEDDIALOG {
    CSTREE tree;
    uint8_t key[4];
    int32_t id;
    int32_t gtype;                     /* non-zero: a group */
    char desc[50];
    char grps[50];
    int32_t type;                      /* 1 queue list, 9 message list */
    int32_t autoStart;
    char qm[50];
    PDGSTATE st;
    int32_t showState;                 /* 1 minimised, 2 maximised, else 0 */
    int32_t normal[4];
    void *openDialog;                  /* the open dialog showing it, or null */
};

/* The name attribute, the second attribute and the definition of a
 * saved-dialog type; 0 or null for a type not in the table. */
int32_t DlgTypeValue1(int32_t type);
int32_t DlgTypeValue2(int32_t type);
const void *DlgTypeValue3(int32_t type);
/* Records an open dialog as a saved dialog (stand-in: the dialog's own
 * record, or null). */
SAVEDDIALOG *SavedDialogCapture(int useTitle, struct DialogWords *dialog, const char *titleText);
