/* What the saved dialogs and the profile's column lists need of the
 * command definitions: finding a definition by its title, its fields by
 * attribute id, its default and current column lists, and walking both
 * definition lists.  Definitions and fields are opaque here. */
#pragma once

#include <cstdint>

/* One column of a column list (PCFLIST): a field and its column flags;
 * a list ends with a null field.  Blocks of lists are tagged "PCFLIST". */
struct DLGCOLUMN {
    const void *field;
    uint32_t flags;
};

/* Column flags read here. */
#define DLGCOL_ALWAYS 0x10             /* always-present column */
#define DLGCOL_SORTS  0x44             /* the sort marks DlgFieldsMergeFlags copies */
#define DLGCOL_DEFAULT_BITS 0x20690    /* taken from the default list */

/* A definition of either list by its title, or null. */
const void *DefFindCommand(const char *title);
const char *DefTitle(const void *def);
/* Definition flags: 0x20 a dialog that never refreshes by itself. */
uint32_t DefFlags(const void *def);
/* The first field of the attribute that the capability flags (null: all)
 * allow, or null. */
const void *DefFindField(const void *def, int32_t attribute, const uint8_t *caps);
int32_t DefFieldAttribute(const void *field);
uint32_t DefFieldType(const void *field);
const DLGCOLUMN *DefDefaultColumns(const void *def);
const DLGCOLUMN *DefCurrentColumns(const void *def);
/* Makes a list (a "PCFLIST" block, or null for the default list) the
 * definition's current one; the definition keeps and frees it. */
void DefSetColumns(const void *def, DLGCOLUMN *columns);
/* Definition index of the first (0) or second (1) list; null past the end. */
const void *DefAt(int list, int index);
