/* Saved dialogs: list and message windows the user saved to reopen, on
 * one program-wide list keyed by a sequence number.  They come from an
 * open dialog (SavedDialogCapture), from the profile's "PDG:" sections and
 * from the program's own dialog commands (10020 to 10025, DialogCommand),
 * whose parameters address the parts of a record by PCF id.
 *
 * Parts and profile keys: 10105 qm, 10096 type, 10097 fil, 10098 rest,
 * 10099 to 10102 x y cx cy, 10126 to 10129 x2 y2 cx2 cy2, 10103
 * initrefresh, 10104 auto, 10108 refresh (seconds), 10110 obj, 10109
 * desc, 10115 ds2, 10116 ds3, 20 and 1511 typ (the selector), 10121
 * filter, 10124 fields, 10125 buttons, 10164 tl, 10122 autoexptype,
 * 10123 autoexpfile, 10198 align (seconds after midnight), 10159 gtype,
 * 10160 grps.  10117, 10130 and the flags of 10162, 10163, 10165 and
 * 10166 have no key and live for the run only. */
#pragma once

#include <cstdint>
#include <cstdio>
#include "cslist.h"
#include "dlghooks.h"

#define PD_UNSET (-999999999)

/* Option flags of a saved dialog (the parts 10121 to 10125, 10162 to 10166). */
enum PdFlags : uint32_t {
    PDF_INITREFRESH = 0x1, PDF_FILTER = 0x4, PDF_FIELDS = 0x8, PDF_BUTTONS = 0x10,
    PDF_TL = 0x40, PDF_10165 = 0x10000, PDF_10166 = 0x20000, PDF_10162 = 0x4000000,
    PDF_10163 = 0x8000000,
};

/* The state the profile keeps twice: as the record has it, and as it was
 * saved ("sav", the "s_" keys). */
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
    uint8_t key[4];                    /* the id, most significant byte first */
    int32_t id;
    int32_t gtype;
    char desc[50];
    char grps[50];
    int32_t type;                      /* 1 queue list, 9 message list */
    int32_t autoStart;
    char qm[50];
    PDGSTATE st;
    int32_t hasSaved;
    PDGSTATE saved;
    int32_t opt10117, opt10130;
    /* captured from the open dialog */
    int32_t showState;                 /* 1 minimised, 2 maximised, else 0 */
    int32_t normal[4];
    uint32_t dialogFlags, dialogFlags2;
    int32_t settings[2];
    char filterText[300];
    char caption[100];
    char nameValue[50];
    void *openDialog;                  /* the open dialog showing it, or null */
};

extern CSTREE *SavedDialogs;
extern int DlgDeveloperMode;           /* "-d": "#" dialogs are listed */

/* The dialog-type table: name attribute, second attribute, definition. */
int32_t DlgTypeValue1(int32_t type);
int32_t DlgTypeValue2(int32_t type);
const void *DlgTypeValue3(int32_t type);
/* The type of a definition in the table, or 0. */
int32_t DlgTypeOf(const void *def);

/* Adds a copy with the next sequence number (returned in *out when given):
 * 0, or 4018. */
int SavedDialogAdd(const SAVEDDIALOG *record, SAVEDDIALOG **out);
/* Copies the parts a 64-bit mask chooses. */
void SavedDialogCopy(void *caller, SAVEDDIALOG *target, const SAVEDDIALOG *source,
                     uint64_t mask);
SAVEDDIALOG *SavedDialogFind(int32_t id);
void SavedDialogFreeAll(void);
/* Called with each record about to be freed (a delete command, the end):
 * the dialogs opened from it let go of it (pcfwords.cpp). */
void PCFForgetSaved(SAVEDDIALOG *record);

/* What an open list dialog shows, as SavedDialogCapture records it. */
struct DLGCAPTURE {
    const void *def;                   /* its command definition */
    uint32_t noSave;                   /* the dialog may not be saved */
    SAVEDDIALOG *record;               /* the dialog's record, or null */
    const char *qmName;
    int32_t showState;
    int32_t normal[4];
    uint32_t flags[4], flags2;
    int32_t settings[2];
    const char *filterText;
    const char *caption;
    const char *nameValue;             /* its name attribute's text */
};
SAVEDDIALOG *SavedDialogCapture(int useTitle, DLGCAPTURE *dialog, const char *titleText);

/* Where the answers of a dialog command go: each built response (an MQCFH
 * and its parameters), the last one marked. */
struct DLGREPLY {
    void *context;
    void (*send)(void *ctx, const void *message, int32_t length, int last);
};
int DialogCommand(DLGREPLY *agent, int32_t command, const void *request, int32_t length);

/* Alignment times: "hh:mm:ss" (or "None" for -1) and back; -2 when the
 * text is no time. */
void PdFormatAlign(int32_t seconds, char *out, size_t size);
int32_t PdParseAlign(const char *text);
