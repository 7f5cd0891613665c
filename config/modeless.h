/* The program's list of open modeless dialogs: the message loop offers
 * each message to them, and font and colour changes reach them. */
#pragma once

#include <windows.h>

int AddModeless(HWND hwnd);
void UtilRemoveModeless(HWND hwnd);
/* The dialog after `after` (null: the first); null at the end. */
HWND ModelessNext(HWND after);
/* The message handled by one of the dialogs (IsDialogMessage). */
int ModelessDialogMessage(MSG *msg);
