/* The live colours in the windows: a brush for every slot of the
 * profile's colour table (Prf.colours, colours.h), and the standard
 * colouring of a dynamic dialog. */
#pragma once

#include <windows.h>
#include "colours.h"
#include "dd.h"

/* The brush of a slot; (re)made from the live colours. */
HBRUSH ColourBrush(int slot);
/* Where a slot's brush is kept (it follows the colour when remade). */
HBRUSH *ColourBrushRef(int slot);
COLORREF *ColourRef(int slot);
void ColourMakeBrushes(void);

void SetDlgColours(DDHANDLE dd);
/* readOnlyDialog: read-only edits take the dialog background. */
void SetDlgColoursEx(DDHANDLE dd, int readOnlyDialog);
/* The answer to 11247: the class background and the controls. */
void ColourDialogChanged(HWND hwnd, DDHANDLE dd);
