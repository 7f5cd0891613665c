/* Helpers of the dialog engine's window tests: a host window class with
 * room for the engine's saved procedure that records the commands it
 * gets, dialogs built into it, field rectangles and key messages. */
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <vector>
#include "dd.h"

struct DDTestCommand { HWND hwnd; UINT msg; WPARAM wp; LPARAM lp; };

/* the messages the host windows got: WM_COMMAND, WM_CLOSE, 1248, 1249 */
std::vector<DDTestCommand> &DDTestGot(void);
/* a visible host window with a client area of cx by cy */
HWND DDTestWindow(int cx, int cy);
/* a host window with a dialog built from table (handle out); 0 or the error */
int DDTestDialog(DDFieldDef *table, uint32_t flags, int cx, int cy, HWND *hwnd, DDHANDLE *dd);
void DDTestClose(HWND hwnd, DDHANDLE *dd);
void DDTestPump(void);
/* a field's control rectangle in the dialog window's client coordinates */
RECT DDTestRect(DDHANDLE dd, int id);
/* resize the host's client area (the dialog lays itself out) */
void DDTestResize(HWND hwnd, int cx, int cy);
/* a key press (down, char, up) sent to a window, Shift held when asked */
void DDTestKey(HWND hwnd, WPARAM vk, bool shift = false);
/* the window redrawn and its client area written to the gallery as
 * <name>.bmp */
bool DDTestShot(HWND hwnd, const char *name);
