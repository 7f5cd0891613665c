/* Colours in the window build: the profile's look made live, the repaint
 * announcement carried out on the windows, and the colour chooser
 * (DLG_COLOURDLG).  The brushes and a dialog's colouring are the
 * toolkit's (dlgcolours.h). */
#pragma once

#include <windows.h>
#include "colours.h"
#include "dd.h"
#include "dlgcolours.h"
#include "repaint.h"

/* Chooser controls. */
enum {
    CLRDLG_SCHEME = 217, CLRDLG_RESETSCHEME = 220, CLRDLG_RESETALLSCHEME = 221,
    CLRDLG_RESETORIGINAL = 222, CLRDLG_RESETALLORIGINAL = 223, CLRDLG_CHANGE = 137,
    CLRDLG_TITLE = 408, CLRDLG_LIST = 138, CLRDLG_FILELABEL = 159, CLRDLG_FILE = 412,
    CLRDLG_APPLY = 131, CLRDLG_WRITE = 225, CLRDLG_CONVERT = 242,
};
#include "ravoltids.h"

/* The profile's font and colours made live (fonts and brushes), as the
 * start-up does once the profile is read. */
void PrfApplyLook(void);

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
