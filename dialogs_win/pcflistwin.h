/* List dialogs, the windows: the list pane and its split list fed from
 * the rows the core builds (pcflists.h), row and title painting, the
 * title bars' mouse (resizing, moving and sorting columns) and tool tips,
 * the count window, the queue-manager list pane, the dialogs a row opens,
 * copying, printing, "Auto Refresh Rate" and "Change List Contents".
 * Windows only; user-interface thread. */
#pragma once

#include <windows.h>
#include "pcflists.h"
#include "tkprint.h"
#include "dlgwinhooks.h"

#define PCF_CLASS_ALTERLIST "RVOLT_ALTERLIST"

/* The list windows' private messages (UM_SORTED, UM_REFRESH_TIMES,
 * UM_FRAME_WHICHPANE, UM_AR_SHOW) are in ravoltids.h. */
#include "ravoltids.h"

/* Installs what the core asks of the windows: the selection read from the
 * list window, and UM_NEW_LIST sent to a dialog. */
void PCFListWindowHooks(void);

/* ---- rows ---- */

/* Rebuilds the rows (a new area of a record taken in first); mode
 * PCFU_ bits; device: measure for a printer too; keep: keep the
 * selection; request and area: a newly arrived list. */
void PCFUpdateList(DialogWords *dialog, int mode, HDC device, int keepSelection, uintptr_t request,
                   PCFLISTAREA *area);
/* Column widths for the list window's room; flags 1 forgets user widths. */
void PCFCalculateListSizes(DialogWords *dialog, int flags);
void PCFRefreshList(DialogWords *dialog, int postRefresh);
void PCFCheckLists(DialogWords *dialog);
void PCFUpdateListCount(DialogWords *dialog);
void PCFDiffFromDefault(DialogWords *dialog, PCFLISTREQ *request);
/* Every row of the list window selected, none, or each one's selection
 * turned over; the count window and the menu state follow. */
enum { PCFSEL_ALL, PCFSEL_NONE, PCFSEL_INVERT };
void PCFSelectRows(DialogWords *dialog, int how);
/* The selected rows: their number, the first and its area. */
int PCFSelectedRows(DialogWords *dialog, PCFROW **firstRow, PCFLISTAREA **area);
/* The character widths of a device's current font. */
void PCFDeviceCharWidths(HDC dc, PCFCHARWIDTHS *out);
/* The room a row needs above its font's height for the edges its cells
 * are drawn with (grid edges, the frame around selected rows). */
int PCFRowEdgeRoom(void);

/* ---- painting ---- */

/* One row painted: the columns and widths of the dialog, the row, the
 * colours and the list's item state (0x1 selected, 0x2000 the row above
 * selected, 0x4000 the row below). */
struct PCFDRAWROW {
    int print;
    DialogWords *dialog;
    const PCFLISTENTRY *columns;  /* the dialog's column list */
    const PCFLISTENTRY *areaColumns;
    PCFROW *row;
    HDC dc;
    COLORREF text, back;
    UINT state;
    RECT rect;                    /* left: minus the scroll offset */
};
void PCFDrawRow(const PCFDRAWROW *draw);
void PCFDrawListItem(DialogWords *dialog, const DRAWITEMSTRUCT *draw);
void PCFDrawDigits(HDC dc, const char *text, int length, const RECT *rect);
LRESULT PCFDrawTitleBar(DialogWords *dialog, LPARAM drawRecord);
/* The program-wide flash phase the drawing reads. */
extern int PCFFlashPhase;

/* ---- title bars ---- */

void PCFSubclassTitleBar(DialogWords *dialog, HWND titleBar);
/* Display flag: the column filters' marks are hidden (command 961). */
#define PCFDISP_NO_COLFILTERS 0x800000
/* The filter mark of a column's title cell (1 with its rectangle) while
 * the dialog shows column filters, and whether it is the one pressed. */
int PCFFilterMarkAt(DialogWords *dialog, const PCFFieldDef *field, const RECT *cell, RECT *mark);
int PCFFilterMarkPressed(DialogWords *dialog, const RECT *mark);
/* A click on the heading at x (title-bar coordinates, scroll added). */
void PCFSortList(DialogWords *dialog, int32_t x);
/* The shown column under the cursor in a title bar and its rectangle. */
const PCFFieldDef *PCFListColumnAtCursor(DialogWords *dialog, HWND titleBar, RECT *rect);
/* The tip text of a title bar at a client x ("%s (%s)", or " "). */
void PCFTitleTipText(DialogWords *dialog, HWND titleBar, int32_t x, char *out, size_t size);

/* ---- panes ---- */

LRESULT CALLBACK PCFListPaneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK PCFCountProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/* The count window's text: "%d / %d" of a list dialog; a message
 * dialog's cursor line or offset. */
void PCFCountText(const DialogWords *dialog, char *out, size_t size);
void PCFShowPanes(DialogWords *dialog, int show);
void PCFPostRefresh(DialogWords *dialog);
void PCFStepMessage(DialogWords *dialog, int32_t command);
void PCFCopyListText(DialogWords *dialog);

/* ---- the queue-manager list pane ---- */

void PCFBuildQmList(DialogWords *dialog);
void PCFQmListInit(DialogWords *dialog);

/* ---- dialogs a row opens ---- */

DialogWords *PCFListDialog(DialogWords *dialog, const PCFActionDef *action);
DialogWords *PCFDialogDialog(DialogWords *dialog, const PCFActionDef *action);
void PCFClickDialog(DialogWords *dialog, int32_t line);

/* ---- printing ---- */

/* 11337 (measure) and 11338 (a page); the print state is freed by 11339. */
void PCFPrintArea(DialogWords *dialog, int measure, LPARAM context);
/* The print dialog, then the dialog's content on the printer chosen; the
 * pages printed or the failure in the status line. */
void PCFPrintDialog(DialogWords *dialog);

/* ---- the two windows ---- */

void PCFAutoRefreshDialog(DialogWords *dialog);
void PCFAlterListOpen(DialogWords *dialog);
/* Fills the window's lists and sort choices again. */
void PCFAlterListFill(CHGLIST *record);
/* The open windows of a dialog (its pop-up slots). */
#define PCF_POPUP_AUTOREFRESH 1
#define PCF_POPUP_ALTERLIST   3
