/* Entry points of pieces built later, as their own parts name them, that
 * the command dialog's windows call: the message editor and its
 * structure editing.  Until it lands, later_standin_win.cpp gives each
 * its least behaviour.  The filters (filters.h, fltwin.h), the export
 * dialog (expwin.h), the lists (../lists) and the queue-manager pair
 * check (the command engine's) are real. */
#pragma once

#include <windows.h>
#include "dialogs.h"
#include "filters.h"
#include "fltwin.h"
#include "expwin.h"


/* The message editor of a message dialog and its structure editing. */
LRESULT CALLBACK PCFDataProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void *PCFEditorCreate(DialogWords *dialog);
int EdCommand(DialogWords *dialog, int32_t command);
/* The view mode of 922-930 (the editor's SetViewModeOption works on its own
 * dialog record). */
void PCFSetViewMode(DialogWords *dialog, int32_t command);
void ToggleViewOption(DialogWords *dialog, int32_t command);
void ViewCopyToClipboard(DialogWords *dialog, int32_t command);
void EdSetLineNumbers(DialogWords *dialog, int on);
/* Browse-state bits of the editor: 1 undo, 2 redo, 0x20 changed, 0x8
 * a selection; -1 without a shown message. */
int EdBrowseBits(DialogWords *dialog);
void StructInsertBefore(DialogWords *dialog, int32_t command);
void StructInsertAfter(DialogWords *dialog, int32_t command);
void StructRemove(DialogWords *dialog);
void StructAddArrayElement(DialogWords *dialog, int before);
void StructRemoveArrayElement(DialogWords *dialog);

/* The queue-manager pair's field changed. */
void PCFQmgrPairChanged(DialogWords *dialog, PCFFieldEntry *entry, int fromList);
