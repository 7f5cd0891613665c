/* The command dialog's windows: creation (PCFCommandDialog), the window
 * procedure, the field pane with its editing windows and tabs, buttons,
 * menus and toolbar, layout and placement, status line and title, and
 * the keyboard routing of the program's message loop.  Windows only;
 * the window-free decisions are cmddlg.h's. */
#pragma once

#include <windows.h>
#include "cmddlg.h"
#include "colourwin.h"           /* the live colour table's brushes */
#include "dlgwinhooks.h"

#define PCF_CLASS_COMMAND    "RAVOLT_COMMAND"
#define PCF_CLASS_CHILD      "RAVOLT_CHLD_COMMAND"
#define PCF_CLASS_HIDDEN     "RAVOLT_HIDDEN"
#define PCF_CLASS_FIELDS     "PCFFields"
#define PCF_CLASS_DATA       "PCFData"
#define PCF_CLASS_LISTPANE   "RAVOLT_LISTPANE"
#define PCF_CLASS_FIELDSPANE "RAVOLT_FIELDSPANE"
#define PCF_CLASS_COUNT      "RAVOLT_COUNT"

/* A window slot of the instance as a window. */
inline HWND PCFWnd(void *slot) { return (HWND)slot; }

/* The texts drawn in a dialog's title bar, made at the first call; null
 * without memory.  The instance frees them with itself. */
struct CaptionTexts *PCFCaptionTexts(DialogWords *dialog);

/* The queue-manager list pane's pictures. */
enum { PCF_BMP_CHECKED, PCF_BMP_CHECKED_GREEN, PCF_BMP_UNCHECKED, PCF_BMP_SILENT, PCF_BMP_NOLIST, PCF_BMP_LIST };

/* The message editor pane (PCFPANEHOOKS, dlgwinhooks.h). */
int PCFPaneRegisterClass(HINSTANCE instance);
HWND PCFPaneCreateWindow(DialogWords *dialog, HWND parent, PCFDATA *ed);
void PCFPaneCopyView(DialogWords *dialog, int32_t menuId);
void PCFPaneStructMenus(DialogWords *dialog);
/* The browse-state bits of a message dialog's pane: 1 undo, 2 redo, 0x8 a
 * selection, 0x20 changed; -1 without a pane or a shown message. */
int PCFEditorBrowseBits(DialogWords *dialog);
/* An editing command of a message dialog's pane (894-937, 4000-6003);
 * 1 when the pane took it. */
int PCFEditorCommand(DialogWords *dialog, int32_t command);

/* Rows a dialog carries out itself (pcfownrows_win.cpp): 1 when the id is
 * one of the definition's own such rows (run when it is offered);
 * whether a row is offered; the whole message asked for again. */
int PCFOwnRow(DialogWords *dialog, int32_t id);
int PCFOwnRowOffered(const DialogWords *dialog, int32_t id);
void PCFFetchWholeMessage(DialogWords *dialog);
/* The line-number gutter after the view option changed. */
void PCFEditorLineNumbers(DialogWords *dialog);
/* The edited message of a message dialog for the command engine
 * (PCFEngineHooks fills it). */
void PCFEditorHooks(CMDHOOKS *hooks);

/* Records an open list dialog as a saved dialog (savedlg.h) from what its
 * window shows; the dialog's record, a new one, or null. */
SAVEDDIALOG *SavedDialogCapture(int useTitle, DialogWords *dialog, const char *titleText);

/* The program's active command dialog (set on WM_ACTIVATE). */
extern DialogWords *PCFActiveDialog;

/* ---- creation and the procedure ---- */

int PCFRegisterClasses(void);
DialogWords *PCFCommandDialog(HWND existingWindow, HWND parentWindow, DialogWords *templ,
                              const uint8_t *capabilities);
int PCFCreateDialogFields(DialogWords *dialog);
LRESULT CALLBACK PCFCommandProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK PCFFieldsPaneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK PCFFieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK PCFButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/* The panes of a dialog: the messages they pass to the dialog, and the
 * dialog bound at creation (cleared at the end). */
int PCFPaneForwards(UINT msg);
DialogWords *PCFPaneBind(HWND hwnd, UINT msg, LPARAM lp);
/* The instance of a command dialog window (either class, or an existing
 * window the dialog lives in), or null. */
DialogWords *PCFDialogOf(HWND hwnd);
/* WM_COMMAND of the dialog. */
LRESULT PCFCommand(DialogWords *dialog, WPARAM wp, LPARAM lp);
/* Sends a message to the window of every open dialog (not closing). */
void PCFBroadcast(UINT msg, WPARAM wp, LPARAM lp);
/* WM_CLOSE's steps for a dialog, also for one the caller ends. */
void PCFCloseDialog(DialogWords *dialog);

/* ---- status and title ---- */

void PCFDialogStatus(DialogWords *dialog, const char *text, QMS *location, uint32_t flags);
void PCFDialogStatusShow(DialogWords *dialog, const char *text, QMS *location, uint32_t flags);
void PCFDialogTitle(DialogWords *dialog, const char *suffix);

/* ---- field pane ---- */

void PCFSetFontMetrics(DialogWords *dialog);
void PCFCalculateMaxSizes(DialogWords *dialog);
int PCFCreateFieldWindows(DialogWords *dialog, int recreate);
void PCFCountFields(DialogWords *dialog);
void PosField(DialogWords *dialog);
/* The pane's first shown line moved as little as it must for the current
 * line to show; 1 when it moved. */
int PCFKeepFieldInView(DialogWords *dialog);
int ActivateField(DialogWords *dialog, int32_t line, int strict);
void PCFShowFieldValue(DialogWords *dialog, int onlyIfChanged);
int PCFFieldKey(HWND window, WPARAM key, int inCombo);
int PCFStepField(DialogWords *dialog, int forward, int toEnd);
void PCFFillFieldCombo(DialogWords *dialog, int force);
int PCFDependChanged(DialogWords *dialog);
void PCFSelectTab(DialogWords *dialog);
void PCFSizeFieldTabs(HWND tabControl, RECT *rc);
void PCFBuildTabs(DialogWords *dialog);
/* Focus into the field pane at its first (forward) or last field; 1 when
 * the editing window got the focus. */
int PCFFocusFields(DialogWords *dialog, int forward);
void PCFFieldTextChanged(DialogWords *dialog, HWND control, int fromList);
/* The editing window's rectangle for the current line (client
 * coordinates of the field window); 0 when none is placed. */
int PCFEditorRect(DialogWords *dialog, HWND editor, RECT *rc);

/* ---- buttons, menus, toolbar ---- */

HMENU PCFCreateMenu(DialogWords *dialog, int isBar, HMENU parentMenu, int openingRow,
                    const PCFCommandDef *definition, int hasDownloadEntry, int *ioRow, int rowCount);
int PCFCreateButtons(DialogWords *dialog, HMENU menu, int *outHasToolbar, int *ioRow);
/* Items of one name in a menu become one: two submenus join, a command
 * named as a submenu leads it. */
void PCFMergeSameMenus(HMENU menu);
/* A pane's WM_PAINT (print null) or WM_PRINTCLIENT: the dialog
 * background. */
void PCFPaintBackground(HWND hwnd, HDC print);
int PCFCreateToolbar(DialogWords *dialog);
void PCFSetMenu(DialogWords *dialog);
void PCFSetShowHideTexts(DialogWords *dialog);
void PCFSetContextMenuTexts(DialogWords *dialog);
void PCFViewCommand(DialogWords *dialog, int32_t command);
void PCFDrawButton(DialogWords *dialog, const DRAWITEMSTRUCT *draw);
void PCFSetWindowsColours(DialogWords *dialog);
void PCFMeasureBarItem(DialogWords *dialog, MEASUREITEMSTRUCT *measure);
void PCFDrawBarItem(DialogWords *dialog, const DRAWITEMSTRUCT *draw);
void PCFSetFilterValues(DialogWords *dialog);
void PCFUpdateBrowseState(DialogWords *dialog, int notify);
int PCFCheckBrowsable(DialogWords *dialog);
LRESULT CALLBACK PCFTabSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/* The colour pair of a child (WM_CTLCOLOR*): its brush, or null. */
HBRUSH PCFChildColours(DialogWords *dialog, HWND child, HDC dc);

/* ---- layout and placement ---- */

void PCFPositionDialog(DialogWords *dialog);
void PCFFitFieldLines(DialogWords *dialog);
void PCFPositionDialogFields(DialogWords *dialog, int relayout);
/* The window moved to a placement slot of its own at a size, fitted to
 * the monitors. */
void PCFMoveToPlacement(DialogWords *dialog, int slot, int32_t cx, int32_t cy);
/* A repaint announcement (RepaintFlags) carried out on every open
 * command dialog: placement, colours, font, lists, titles, toolbars,
 * panes, rows and date fields as its bits ask, each repainted. */
void PCFRepaintDialogs(uint32_t mask);
void PCFPositionListPane(DialogWords *dialog);
void PCFSizeListArea(DialogWords *dialog);
void PCFPositionButtons(DialogWords *dialog, int relabel);
void PCFSavePlacement(DialogWords *dialog);
int PCFResolveObjectName(HWND owner, DialogWords *templ);
/* Records a move or size of the dialog window. */
void PCFRecordPlacement(DialogWords *dialog, int moved);

/* ---- keys ---- */

HWND TabWindowByPosition(HWND dialogWindow, int tabKey, int forward, int fromEnd);
HWND TabFirstWindowByPosition(HWND dialogWindow, int forward, int fromEnd);
/* The command dialog (either class) that owns the focus, or null. */
DialogWords *GetCommandTarget(void);
/* The message loop's key routing for command dialogs (Tab, Return,
 * Ctrl+Home/End, F5, Alt-characters): 1 when the message was consumed. */
int PCFTranslateKey(const MSG *msg);

