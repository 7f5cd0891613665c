/* Private to the column filter pop-up: its window record, the layout
 * tables and the calls its files share (layout, apply, window). */
#pragma once

#include "fltwin.h"
#include "dd.h"
#include "tkspin.h"

#define POPUP_MARGIN 4            /* pixels around and between controls */
#define CAPTION_MIN 18            /* least height of the caption strip */
#define CLOSE_SIZE 18             /* the close button */
#define LIST_ROWS 10              /* rows the value lists show */
#define TEXT_MAX 50               /* characters of the text field */
#define MINMAX_CHARS 15           /* the minimum and maximum edits */

/* The window's record (its user data). */
struct COLPOPUP {
    char eye[4];                  /* "CFLT" */
    HWND hwnd;
    DialogWords *dialog;
    HFONT font;
    int cw, lineHeight, caption;
    int dragging;
    POINT dragStart;              /* screen point of the press */
    RECT dragRect;                /* the window when the drag began */
    int filling;                  /* the controls are being set */
    int fromValueList;            /* the apply comes from a selection of 883 */
    int topValue;                 /* the value on top of list 883 */
};

COLPOPUP *ColPopup(HWND hwnd);
COLFSTATE *ColState(DialogWords *d);
COLFILTER *ColOpenFilter(DialogWords *d);

/* The layout table of a column; its rows end with a zero row. */
const DDFieldDef *ColLayoutFor(DialogWords *d, const PCFFieldDef *column, int *kind);
/* Builds the control table and the controls; 0, or 1 without storage. */
int ColBuildControls(COLPOPUP *p);
/* Places the controls and sizes the window. */
void ColLayout(COLPOPUP *p);
/* The control entry of an id, or null. */
COLFCTL *ColControl(COLFSTATE *st, int id);
HWND ColControlWindow(COLFSTATE *st, int id);
/* Sets the controls from the record. */
void ColSetControls(COLPOPUP *p);
/* The spinners of a point in time (local) and of a length of time. */
void ColWriteTime(HWND spin, const COLTIME *t);
void ColWriteDuration(HWND spin, const COLTIME *t);
/* Fills the value lists (883, 998). */
void ColFillValueList(COLPOPUP *p, int keepTop);
void ColFillEnumList(COLPOPUP *p);
/* Draws an owner-drawn entry or button. */
void ColDrawItem(COLPOPUP *p, const DRAWITEMSTRUCT *di);
/* Commands and spinner reports. */
void ColOnCommand(COLPOPUP *p, int id, int code, HWND control);
void ColOnSpinner(COLPOPUP *p, const SpinNotifyBlock *b);
/* The program clock. */
int64_t ColNow(void);
/* Keeps a window rectangle inside the work area. */
void ColClampToWorkArea(RECT *r);
/* Repaints the title bars the pop-up belongs to. */
void ColRepaintTitles(DialogWords *d);
