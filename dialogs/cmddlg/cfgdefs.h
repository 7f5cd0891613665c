/* What the saved dialogs and the profile's column lists need of the
 * command definitions: finding a definition by its title, its fields by
 * attribute id, its default and current column lists, and walking both
 * definition lists.  Definitions are opaque here; a column list is the
 * definitions' own (PCFLISTENTRY, a null field ending it). */
#pragma once

#include <cstdint>
#include "pcfdefs.h"

/* One column of a column list: a field and its column flags.  Blocks of
 * lists are tagged "PCFLIST". */
typedef PCFLISTENTRY DLGCOLUMN;

/* Column flags read here. */
#define DLGCOL_ALWAYS PCFL_KEEP        /* always-present column */
#define DLGCOL_SORTS  (PCFL_SORT1 | PCFL_SORT2)  /* the sort marks DlgFieldsMergeFlags copies */
#define DLGCOL_DEFAULT_BITS 0x20690    /* taken from the default list */

/* A definition of either list by its title, or null. */
const void *DefFindCommand(const char *title);
const char *DefTitle(const void *def);
/* Definition flags: 0x20 a dialog that never refreshes by itself. */
uint32_t DefFlags(const void *def);
/* The first field of the attribute that the capability flags (null: all)
 * allow, or null; a list's fields are those of its rows. */
const PCFFieldDef *DefFindField(const void *def, int32_t attribute, const uint8_t *caps);
int32_t DefFieldAttribute(const PCFFieldDef *field);
uint32_t DefFieldType(const PCFFieldDef *field);
const DLGCOLUMN *DefDefaultColumns(const void *def);
const DLGCOLUMN *DefCurrentColumns(const void *def);
/* Makes a list (a "PCFLIST" block, or null for the default list) the
 * definition's current one; the definition keeps and frees it. */
void DefSetColumns(const void *def, DLGCOLUMN *columns);
/* Definition index of the first (0) or second (1) list; null past the end. */
const void *DefAt(int list, int index);
