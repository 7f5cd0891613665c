/* The credential dialogs of the window build: the prompt USERIDDLG, the
 * log-on or creation dialog CACHEACCESSDLG and the set-password dialog
 * CACHESETDLG.  PWCInitWindows puts them behind the cache's hooks. */
#pragma once

#include <windows.h>
#include "pwcreds.h"

/* Dialog rows. */
enum {
    PWC_HINT = 471, PWC_PASSWORD = 472, PWC_CONFIRM = 473, PWC_OLDHINT = 474,
    PWC_OLDPASSWORD = 475, PWC_STATUS = 103,
    USR_TEXT = 578, USR_USERID = 322, USR_PASSWORD = 323, USR_WARNING = 576,
    USR_USERGROUP = 600, USR_KDBGROUP = 601, USR_KDBFILE = 602, USR_KDBPASSWORD = 603,
};

/* mainWindow: the owner of the log-on dialog and of error reports. */
void PWCInitWindows(HWND mainWindow);

HWND PWCAccessWindow(void);
HWND PWCSetWindow(void);
/* The set-password dialog (the Preferences dialog's button). */
void PWCSetPasswordDialog(HWND owner);
