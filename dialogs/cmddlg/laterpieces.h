/* Entry points of the pieces the window-free side of the command dialog
 * frees with a dialog: the message editor's state (message/editor) and
 * the filter's (filters/). */
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
