/* Structure-aware editing: adding and removing whole IBM MQ headers, PCF
 * parameter structures, XML sections of an MQRFH2 and elements of PCF
 * lists, with the header chain (Format, Encoding, CodedCharSetId), the
 * enclosing lengths and the PCF parameter counts kept consistent.  The
 * context sub-menus "<AMP>" (add) and "<RMP>" (remove) are built as a
 * window-free model that the window turns into menus. */
#pragma once

#include "edops.h"

/* Row flags of StructMenuTable */
enum : uint32_t {
    SMR_HEADER = 0x01, SMR_SEPARATOR = 0x02, SMR_POPUP = 0x04, SMR_POPUP_END = 0x08, SMR_PCF_PARM = 0x10,
    SMR_PCF_HEADER = 0x20, SMR_CHAINS = 0x40, SMR_ROOT = 0x80, SMR_NEVER = 0x100, SMR_XML_SECTION = 0x200,
    SMR_RFH2 = 0x400,
};

struct StructMenuRow {
    const void *item;           /* FmtFieldDef of type 8, or a sub-menu's title */
    uint32_t flags;
    uint32_t fixedLength;       /* computed on first use */
    uint32_t ccsidAt, encodingAt, formatAt;     /* offsets, computed once */
    uint32_t reserved;          /* 1: the offsets are computed */
};
/* The rows, an end row (item null, flags 0), then the root row (MQMD). */
extern StructMenuRow StructMenuTable[];
enum { STRUCT_ROWS = 41, STRUCT_ROOT = STRUCT_ROWS + 1 };
enum { SM_BEFORE = 4000, SM_AFTER = 5000, SM_REMOVE = 6000, SM_ELEMENT_BEFORE = 6001,
       SM_ELEMENT_AFTER = 6002, SM_ELEMENT_REMOVE = 6003, SM_REPEAT = 6004 };

/* Context flags */
enum : uint32_t {
    SC_PCF_PARM = 1, SC_HEADER = 2, SC_PCF_HEADER = 4, SC_PREVIOUS_HEADER = 8, SC_XML_SECTION = 16,
    SC_RFH2 = 32,
};

/* One structure met in the message. */
struct StructNode {
    const FmtStructDef *def;
    CSDATA *buffer;
    uint32_t start, length, encoding, ccsid;
    int row;                    /* its StructMenuTable row, -1 none */
    const FmtStructDef *parent; /* nearest enclosing structure (not an XML section) */
    uint32_t parentStart, parentEncoding;
    int hasPcf;                 /* a PCF parameter: the header or group that counts it */
    const FmtStructDef *pcfDef;
    uint32_t pcfStart;
    const FmtStructDef *eph;    /* an MQEPH around it */
    uint32_t ephStart, ephEncoding;
};

struct StructContext {
    DialogWords *dialog;
    PCFDATA *ed;
    StructNode *nodes;          /* tag "STRUCTNODE" */
    uint32_t count, capacity;
    int current, previous;      /* node indexes; -1 none, STRUCT_MD the descriptor */
    StructNode md;
    uint32_t flags;             /* SC_* */
    uint32_t stop;
    int located;
};
enum { STRUCT_MD = -2 };

void StructLocate(StructContext *context, DialogWords *dialog);
void StructFreeContext(StructContext *context);
const StructNode *StructNodeAt(const StructContext *context, int index);
/* 1 for a PCF header or group whose ParameterCount is not 0, and for the
 * PCF header an MQEPH holds: neither may be removed. */
int StructHoldsParameters(const StructNode *node);
/* Whether the current structure is a PCF list and its element index (-1
 * before the values or no list). */
int StructArrayIndex(const StructContext *context, int *index);

int StructInsertBefore(DialogWords *dialog, int id);
int StructInsertAfter(DialogWords *dialog, int id);
int StructRemove(DialogWords *dialog);
int StructAddArrayElementBefore(DialogWords *dialog);
int StructAddArrayElementAfter(DialogWords *dialog);
int StructRemoveArrayElement(DialogWords *dialog);

/* ---- the sub-menus (edstructmenu.cpp) ---- */

enum StructMenuKind { SMI_ITEM, SMI_SEPARATOR, SMI_POPUP, SMI_POPUP_END };
struct StructMenuItem {
    int32_t id;                 /* command id (items) */
    const char *text;           /* items and pop-ups */
    uint8_t kind;               /* StructMenuKind */
};
struct StructMenu {
    StructMenuItem items[512];
    uint32_t count;
    char remove[120];           /* "Remove Structure '%s'" */
    int enabled;                /* anything was offered */
};
/* The "<AMP>" and "<RMP>" contents for the cursor; 1 when anything was offered. */
int StructBuildAddMenu(DialogWords *dialog, StructContext *context, StructMenu *menu);
int StructBuildRemoveMenu(DialogWords *dialog, StructContext *context, StructMenu *menu);
/* The menu text of a table row (its structure's title without a leading "!"). */
const char *StructRowTitle(int row);
const FmtStructDef *StructRowDef(int row);
