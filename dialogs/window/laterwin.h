/* Entry points of pieces built later, as their own parts name them, that
 * the command dialog's windows call: the list rows, title bars, count
 * window and list pane; the filters; the export; the message editor and
 * its structure editing; a change of the queue-manager pair.  Until those
 * pieces land, later_standin_win.cpp gives each its least behaviour. */
#pragma once

#include <windows.h>
#include "dialogs.h"

/* Lists. */
void PCFUpdateList(DialogWords *dialog, int mode, HDC device, int keepSelection, uintptr_t word,
                   PCFLISTAREA *area);
void PCFCalculateListSizes(DialogWords *dialog, int flags);
void PCFDrawListItem(DialogWords *dialog, const DRAWITEMSTRUCT *draw);
LRESULT PCFDrawTitleBar(DialogWords *dialog, LPARAM drawRecord);
void PCFUpdateListCount(DialogWords *dialog);
void PCFCheckLists(DialogWords *dialog);
void PCFRefreshList(DialogWords *dialog, int postRefresh);
void PCFCopySortMarks(DialogWords *dialog, PCFLISTREQ *request, PCFLISTAREA *area);
void PCFPrintArea(DialogWords *dialog, int first, LPARAM request);
void PCFAlterListOpen(DialogWords *dialog);
void PCFBuildQmList(DialogWords *dialog);
void PCFStepMessage(DialogWords *dialog, int32_t command);
void PCFCopyListText(DialogWords *dialog);
void PCFAutoRefreshDialog(DialogWords *dialog);
void PCFInitAutoRefresh(DialogWords *dialog);
void PCFDiffFromDefault(DialogWords *dialog, PCFLISTREQ *request);
void PCFClickDialog(DialogWords *dialog, int32_t line);
/* The selected rows of the dialog's lists: their number, the first. */
int PCFSelectedRows(DialogWords *dialog, PCFROW **firstRow, PCFLISTAREA **area);
/* Subclasses a list title bar (tool tips, column moves). */
void PCFSubclassTitleBar(DialogWords *dialog, HWND titleBar);
LRESULT CALLBACK PCFListPaneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK PCFCountProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

/* Filters. */
int PCFNewFilter(DialogWords *dialog, int apply);
void PCFCheckVars(DialogWords *dialog);
void ColFilterClearChanged(DialogWords *dialog);

/* Export. */
void ExpOpenDialog(DialogWords *dialog);

/* The message editor of a message dialog and its structure editing. */
LRESULT CALLBACK PCFDataProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void *PCFEditorCreate(DialogWords *dialog);
int EdCommand(DialogWords *dialog, int32_t command);
void SetViewModeOption(DialogWords *dialog, int32_t command);
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
