/* The pieces of other subsystems that the command dialog's windows call:
 * the message editor pane of a message dialog (its window, commands and
 * view words), the filters (filters.h, fltwin.h), the export dialog
 * (expwin.h) and the lists (../lists). */
#pragma once

#include <windows.h>
#include "dialogs.h"
#include "filters.h"
#include "fltwin.h"
#include "expwin.h"
#include "edwnd.h"
#include "edops.h"
#include "mq/command/command.h"

/* The queue-manager pair's field changed (its combo box's selection, or
 * with fromList 0 its text): the value is stored, the pair validated and
 * the title set again. */
void PCFQmgrPairChanged(DialogWords *dialog, PCFFieldEntry *entry, int fromList);
/* The browse-state bits of a message dialog's pane: 1 undo, 2 redo, 0x8 a
 * selection, 0x20 changed; -1 without a pane or a shown message. */
int PCFEditorBrowseBits(DialogWords *dialog);
/* An editing command of a message dialog's pane (894-937, 4000-6003);
 * 1 when the pane took it. */
int PCFEditorCommand(DialogWords *dialog, int32_t command);
/* The line-number gutter after the view option changed. */
void PCFEditorLineNumbers(DialogWords *dialog);
/* The edited message of a message dialog for the command engine. */
void PCFEditorHooks(CMDHOOKS *hooks);
