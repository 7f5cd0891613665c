/* Colours in the window build: a brush for every slot of the live table,
 * the standard colouring of a dynamic dialog, the repaint announcement
 * carried out on the windows, and the colour chooser (DLG_COLOURDLG). */
#pragma once

#include <windows.h>
#include "colours.h"
#include "dd.h"

/* Chooser controls. */
enum {
    CLRDLG_SCHEME = 217, CLRDLG_RESETSCHEME = 220, CLRDLG_RESETALLSCHEME = 221,
    CLRDLG_RESETORIGINAL = 222, CLRDLG_RESETALLORIGINAL = 223, CLRDLG_CHANGE = 137,
    CLRDLG_TITLE = 408, CLRDLG_LIST = 138, CLRDLG_FILELABEL = 159, CLRDLG_FILE = 412,
    CLRDLG_APPLY = 131, CLRDLG_WRITE = 225, CLRDLG_CONVERT = 242,
};
#include "ravoltids.h"

/* The brush of a slot; (re)made from the live colours. */
HBRUSH ColourBrush(int slot);
COLORREF *ColourRef(int slot);
void ColourMakeBrushes(void);
/* The profile's font and colours made live (fonts and brushes), as the
 * start-up does once the profile is read. */
void PrfApplyLook(void);

void SetDlgColours(DDHANDLE dd);
/* readOnlyDialog: read-only edits take the dialog background. */
void SetDlgColoursEx(DDHANDLE dd, int readOnlyDialog);
/* The answer to 11247: the class background and the controls. */
void ColourDialogChanged(HWND hwnd, DDHANDLE dd);

/* Fills the repaint hooks for the windows: 11381 to the main window, and
 * the modeless dialogs recoloured; `more` carries out the rest of a mask
 * (object dialogs and frames), when given. */
void ColourInitWindows(HWND mainWindow, void (*more)(uint32_t mask));

/* The chooser: opens it or gives it the focus; its window. */
HWND PCFColourDialog(HWND owner);
HWND ColourChooserWindow(void);
LRESULT CALLBACK ColourDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/* The system colour dialog (tests put their own answer here): 1 when a
 * colour was chosen into *colour. */
extern int (*ColourChooseProc)(HWND owner, COLORREF *colour);
/* The computer allowed to "Convert" schemes, beside "-d". */
extern const char ColourDeveloperComputer[];
/* The file "Write" appends to. */
extern const char *ColourWriteFile;
