/* The Preferences window (DLG_PREFERENCE, "Kelvane Preferences"): twelve
 * tabs over the profile's settings.  One at a time; modeless. */
#pragma once

#include <windows.h>
#include "dd.h"
#include "prefs.h"

extern DDFieldDef DLG_PREFERENCE[];

/* Opens the dialog, or activates the open one; its window or null. */
HWND PrefDialog(HWND owner);
LRESULT CALLBACK PrefDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/* The open dialog's window, or null. */
HWND PrefWindow(void);

/* The dialog's own messages (UM_PREF_*) are in ravoltids.h. */
#include "ravoltids.h"

/* Ids of the tab control and of the relative-format labels. */
enum { PF_TABS = 1020, PF_TODAYLABEL = 1012, PF_YESTERDAYLABEL = 1014 };
