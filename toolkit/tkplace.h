/* Window placement: centring, fitting into the best monitor with default
 * sizes, saved single- and multi-monitor placements, and spreading a row
 * of items (WinSpreadItems, WinFitRectIn and WinRectOverlap: tklogic.h). */
#pragma once

#include <windows.h>
#include "tklogic.h"

int WinGetWindowRect(HWND hwnd, PlaceRect *r);
void WinGetClientScreenRect(HWND hwnd, AreaRect *a);
void WinCentreOnRect(AreaRect *a, HWND hwnd);
void WinCentreWindow(HWND hwnd);
void WinCentreOverWindow(HWND hwnd, HWND other);
void WinCentreOnWindow(HWND hwnd, HWND other, int cx, int cy, uint32_t fit);
void WinPositionAtCursor(HWND hwnd, int cx, int cy, uint32_t fit);
/* centred over opener, kept on the screen; at the cursor without opener */
void WinPositionNear(HWND hwnd, HWND opener, int cx, int cy, uint32_t fit);
void WinPositionAtCursorChars(HWND hwnd, int columns, int rows);
void WinFitRect(PlaceRect *r, int clamp, uint32_t fit);
/* pair[0] for one monitor, pair[1] for more */
void WinFitRectSaved(PlaceRect pair[2], int clamp, uint32_t fit);
void WinFitWindowRect(HWND hwnd, PlaceRect *r, int clamp, uint32_t fit);
int WinPointInClient(HWND hwnd, POINT screen);
