/* The four import windows (Windows only): local queue managers, a channel
 * definition table, a configuration file and an MQ Explorer export file.
 * Each is a modeless dynamic dialog that stays open after an import. */
#pragma once

#include <windows.h>
#include "locimport.h"

/* The messages the windows and the main frame exchange (FRM_IMPORTLOCAL,
 * UM_LOC_RELOAD, UM_LOCATIONSCHANGED) are in ravoltids.h. */
#include "ravoltids.h"

/* Control ids of the windows' fields. */
enum {
    IMPID_FILE = 412, IMPID_BROWSE = 186, IMPID_READ = 520, IMPID_HIDE = 548,
    IMPID_LIST = 470, IMPID_SELECTALL = 540, IMPID_DESELECTALL = 541,
    IMPID_SETNAMES = 1015, IMPID_SETGROUP = 1014, IMPID_GROUP = 166, IMPID_MVS = 120,
    IMPID_NAMES = 228
};

/* 11377: opens the local window on the list, which it takes over. */
HWND ImportLocalOpenDialog(IMPORTLIST *list);
HWND ImportCCDTDialog(void);
HWND ImportConfigDialog(void);
HWND ImportMQExplorerDialog(void);
/* "Import" of a local, channel-table or MQ Explorer window, and of the
 * configuration-file window: the selected rows with the fields' texts. */
void ImportSelected(IMPORTLIST *list);
void ImportConfigSelected(IMPORTLIST *list);
/* The window's record. */
IMPORTLIST *ImportWindowList(HWND hwnd);

/* What differs between the four windows (impdefs_win.cpp). */
struct IMPWINDEF {
    uint32_t kind;
    struct DDFieldDef *table;
    const char *title, *name;          /* caption and dialog (class "DD_" name) */
    int lines;                         /* height in lines; width 90 characters */
    const char *filter;                /* of the browse dialog, or null */
};
const IMPWINDEF *ImportWindowDef(uint32_t kind);
/* Opens a window on a record of this kind (the window takes it over). */
HWND ImportOpenWindow(IMPORTLIST *list);
LRESULT CALLBACK ImportWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
