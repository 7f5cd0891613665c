/* Filters, the windows: the Filter Manager (the modeless dialog that
 * keeps named filters), the column filter pop-up under a list column
 * with the filter mark of the title cells, and the Windows side of a
 * dialog's filter (its field, beeps, sounds and boxes).  User-interface
 * thread only. */
#pragma once

#include <windows.h>
#include "filters.h"
#include "fltwinhooks.h"

/* The messages (UM_NEWFONT, UM_PANE_NEWFONT, UM_COLOURSCHANGED,
 * UM_FLT_NAMECHANGED, UM_FLT_SELECT) are in ravoltids.h. */
#include "ravoltids.h"

/* Filter Manager control ids. */
enum {
    FLTC_LIST = 257, FLTC_NAME = 258, FLTC_DEFINITION = 259, FLTC_DELETE = 260, FLTC_STATUS = 103,
    FLTC_APPLY = 131, FLTC_EXPORTABLE = 467, FLTC_LOCAL = 468, FLTC_EXPORT = 469
};

/* Colours the filter windows draw with (the live colour table's slots;
 * the shell fills them, system colours until then). */
struct FLTWINCOLOURS {
    COLORREF menuBack, menuFore;       /* "Menu Background", "Menu Foreground" */
    COLORREF titlesBack;               /* "List Titles Background" */
    COLORREF listBack, listFore;       /* "List Background", "List Foreground" */
    COLORREF selectBack, selectFore;   /* "List Select Background", "... Foreground" */
};
extern FLTWINCOLOURS FltColours;
void FltColoursDefaults(void);

/* A dialog's filter field text, or -1 without one. */
int FltFieldText(DialogWords *dialog, char *buffer, int size);
/* A named filter changed (11346): a dialog whose filter refers to named
 * filters drops its program so that its next refresh compiles again. */
void FltNamedFilterChanged(DialogWords *dialog, const char *name);

/* ---- the Filter Manager ------------------------------------------------- */

int FltOpenDialog(const char *name);
void FltRefreshDialog(void);
void FltShowError(const char *name, int start, int end);
void FltEnableButtons(void);
int FltCheckChanged(HWND dialog);
HWND FltManagerWindow(void);
void FltCloseDialog(void);

/* ---- column filters ------------------------------------------------------ */

#define ZKT_COLFILTER "ZKTCOLFLT"

/* The dialog's list window and title bar that the pop-up sits under, and
 * the geometry of the filtered column's title cell (client coordinates of
 * the title bar). */
struct COLFANCHOR {
    HWND list, titleBar;
    RECT cell;
};

void ColFilterToggle(DialogWords *dialog, const PCFFieldDef *column, const COLFANCHOR *anchor);
int ColFilterCreate(DialogWords *dialog, const COLFANCHOR *anchor);
void ColFilterClose(DialogWords *dialog);
int ColFilterApply(DialogWords *dialog, int fromValueList);
void ColFilterRecount(DialogWords *dialog);
void ColFilterClearChanged(DialogWords *dialog);
void ColFilterDeferred(void);
void ColFilterFollow(DialogWords *dialog, int x, int y);
void ColFilterPlace(DialogWords *dialog, int dx, int dy);
void ColFilterPosition(DialogWords *dialog, const COLFANCHOR *anchor);
HWND ColFilterWindow(DialogWords *dialog);
/* The filter mark of a title cell: 1 with its rectangle. */
int ColFilterHeaderRect(DialogWords *dialog, const RECT *cell, int rightLimit, int minimumWidth,
                        RECT *mark);
void ColFilterDrawMark(DialogWords *dialog, HDC dc, const RECT *cell, int pressed,
                       const PCFFieldDef *column);
