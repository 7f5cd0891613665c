/* The program's list of open modeless dialogs: the message loop offers
 * each message to those of kind 1, and font and colour changes reach
 * every one.  Each modeless window registers itself when it opens and
 * removes itself on WM_DESTROY. */
#pragma once

#include <windows.h>
#include "tkhooks.h"

/* kind 1: a dialog that needs IsDialogMessage; the owner words name what
 * the window belongs to (a location, a dialog). */
int AddModeless(void *window, int kind, void *owner1, void *owner2);
void UtilRemoveModeless(void *window);
/* The window after `after` (null: the first); null at the end. */
HWND ModelessNext(HWND after);
int ModelessCount(void);
/* The message handled by one of the kind-1 dialogs (IsDialogMessage). */
int ModelessDialogMessage(MSG *msg);
/* Calls fn for each entry: window, kind, owner words, ctx. */
void ModelessForEach(void (*fn)(HWND window, int kind, void *o1, void *o2, void *ctx), void *ctx);
