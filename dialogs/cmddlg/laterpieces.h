/* Entry points of pieces built later (the message editor, the filters,
 * the list rows), as their own parts name them, for the window-free side
 * of the command dialog.  Until those pieces land, later_standin.cpp
 * gives each its least behaviour (nothing to free, every column kept). */
#pragma once

#include "dialogs.h"

/* The message editor's state of a message dialog ("PCFDATA"). */
void PCFEditorFree(DialogWords *dialog);
/* The filter: the evaluation context bound to its dialog, freed; the
 * compiled program freed; the column filters freed. */
void PCFEvalBindContext(DialogWords *dialog);
void PCFEvalFreeContext(DialogWords *dialog);
void PCFFilterFree(DialogWords *dialog);
void ColFilterFreeAll(DialogWords *dialog);
/* Keeps the column list in *slot when the location supports every
 * column, else a new list of the columns it does support. */
void CheckValidOneList(DialogWords *dialog, QMS *location, PCFLISTENTRY *columns,
                       PCFLISTENTRY **slot, uint32_t *owns);
/* The object-download row of a definition (the default objects a
 * location keeps), or null. */
const void *GetDownloadEntry(const PCFCommandDef *definition);
