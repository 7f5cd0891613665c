/* Entry points of pieces built later (the message editor, the filters),
 * as their own parts name them, for the window-free side of the command
 * dialog.  Until those pieces land, later_standin.cpp gives each its
 * least behaviour (nothing to free). */
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
