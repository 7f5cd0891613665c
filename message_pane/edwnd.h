/* The message editor pane's window (class "PCFData"): its procedure,
 * painting, caret, the commands a message dialog routes to its pane, the
 * display copy to the clipboard, and the frame caption. */
#pragma once

#include <windows.h>
#include "edpane.h"
#include "eddialog.h"
#include "cscodepage.h"
#include "ravoltids.h"

#define PCFDATA_CLASS "PCFData"

enum {
    PANE_ID = 24,
};

/* Registers the class and fills the pane's host hooks; 0 on failure. */
int EdRegisterPaneClass(HINSTANCE instance);
/* The pane window of a dialog, child of parent, with the state as its
 * creation parameter; null (after "CreateWindow failed: Data window")
 * when it cannot be made. */
HWND EdCreatePaneWindow(DialogWords *dialog, HWND parent, PCFDATA *ed);
LRESULT CALLBACK PCFDataProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

/* Painting (edpaint.cpp). */
void EdPaintLines(PCFDATA *ed, HDC dc, const RECT *area);
int EdPaintLine(PCFDATA *ed, int32_t line, LINEDATA *record, const RECT *row);
void EdDrawCells(HDC dc, COLORREF text, COLORREF back, const WCHAR *wide, const unsigned char *source,
                 int count, const RECT *cell, UINT format, const CPSETTING *cp);
/* A colour of the live table by slot (the editor's fourteen, 47 and 48). */
COLORREF EdColour(int slot);
enum {
    CLR_EDIT_BACK = 19, CLR_EDIT_TEXT = 20, CLR_TITLES_BACK = 23, CLR_TITLES_TEXT = 24,
    CLR_SEARCH_BACK = 47, CLR_SEARCH_TEXT = 48, CLR_BASE_BACK = 56, CLR_BASE_TEXT = 57,
    CLR_CURRENT_BACK = 58, CLR_CURRENT_TEXT = 59, CLR_DEFER_BACK = 60, CLR_DEFER_TEXT = 61,
    CLR_ERROR_BACK = 62, CLR_ERROR_TEXT = 63, CLR_HEADER_BACK = 64, CLR_HEADER_TEXT = 65,
};
/* The pane's font (made by message 11242). */
HFONT EdPaneFont(PCFDATA *ed);
/* 1 while a paint of any pane is in progress. */
int EdPainting(void);

/* Caret (edwnd.cpp). */
void EdCreateCaret(HWND hwnd, PCFDATA *ed);
void EdSetCaretPos(HWND hwnd, PCFDATA *ed, const LINEDATA *line);
void EdInvalidate(HWND hwnd, PCFDATA *ed, int32_t first, int32_t last);
/* The caret last made (width, height), for tests. */
void EdCaretShape(int *width, int *height);

/* Commands of a message dialog for its pane (edcommand.cpp): the view
 * words 568-573, 609, 640, 673, 674, 737, 775, 936, the body kinds
 * 922-930, the display copies 670, 692, 813, the mark 905, 906, the find
 * dialog 900 and the editing commands (EdEditCommand).  1 when the id was
 * one of them. */
int EdDialogCommand(DialogWords *dialog, int id);
void ViewCopyToClipboard(DialogWords *dialog, int menuId);
void SetFrameTitle(DialogWords *dialog);
void ViewDebugText(DialogWords *dialog);
/* The view accelerators a frame's table holds (Ctrl+H, Ctrl+Shift+H,
 * Ctrl+0 to Ctrl+3); count entries. */
const ACCEL *EdViewAccelerators(int *count);
/* Test hook: the clipboard calls (null: the system's). */
struct EdClipboardCalls {
    BOOL (WINAPI *open)(HWND);
    BOOL (WINAPI *empty)(void);
    HANDLE (WINAPI *set)(UINT, HANDLE);
};
void EdSetClipboardCalls(const EdClipboardCalls *calls);

/* The editing hosts of the window build: the pane's window (EdHost, with
 * the user formats' reformat walk over the open panes), the system
 * clipboard, the pane's selection box of named values, the find dialog's
 * controls (the program installs all four: WireLibraries). */
void EdUsePaneHost(void);
void EdUseSystemClipboard(void);
void EdUseSelectionBox(void);
void EdUseFindDialog(void);
/* The "Find and Replace" dialog of a message dialog (menu 900). */
int FRShowDialog(DialogWords *dialog);
LRESULT CALLBACK FRDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/* Fills the "<AMP>" and "<RMP>" pop-ups of a context menu bar for the
 * cursor's place; 1 when either offers anything. */
int StructShowMenus(DialogWords *dialog, HMENU bar);

/* The open panes (the user formats' reformat walk). */
PCFDATA *EdFirstPane(void);
PCFDATA *EdNextPane(PCFDATA *ed);

/* The holding dialog's services (eddlgsvc.cpp): its status line (mode 1
 * information, 6 error), menu state, view command, put-context texts,
 * count window, the whole message fetched, and the program's modeless
 * list (add 1, remove 0). */
void EdDialogStatus(DialogWords *dialog, const char *text, int mode);
void EdDialogBrowseState(DialogWords *dialog);
void EdDialogView(DialogWords *dialog, int id);
void EdDialogContextTexts(DialogWords *dialog);
void EdDialogCount(DialogWords *dialog);
void EdDialogModeless(HWND window, DialogWords *dialog, int add);
/* The dialog asks for the whole message of a partly retrieved one. */
void EdDialogFetchWhole(DialogWords *dialog);
