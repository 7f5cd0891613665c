/* Entry points of pieces built later (the message editor, the list
 * rows), as their own parts name them, for the window-free side of the
 * command dialog.  Until those pieces land, later_standin.cpp gives each
 * its least behaviour (nothing to free, every column kept).  A dialog's
 * filter and column filters are the filters library's (filters.h). */
#pragma once

#include "dialogs.h"
#include "filters.h"             /* a dialog's filter and column filters */

/* The message editor's state of a message dialog ("PCFDATA"). */
void PCFEditorFree(DialogWords *dialog);
/* Keeps the column list in *slot when the location supports every
 * column, else a new list of the columns it does support. */
void CheckValidOneList(DialogWords *dialog, QMS *location, PCFLISTENTRY *columns,
                       PCFLISTENTRY **slot, uint32_t *owns);
/* The object-download row of a definition (the default objects a
 * location keeps), or null. */
const void *GetDownloadEntry(const PCFCommandDef *definition);
