/* The windows of the export: the "Export IBM MQ Definition" dialog of a
 * command dialog, and the modal Choose Queue Manager dialog. */
#pragma once

#include <windows.h>
#include "dd.h"
#include "export.h"

extern DDFieldDef DLG_EXPORTDLG[];
extern DDFieldDef DLG_COMMANDDLG[];

/* Opens the export dialog of a command dialog (or focuses its open one). */
HWND ExpOpenDialog(DialogWords *dialog, HWND owner);
LRESULT CALLBACK ExpDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/* Puts a text on the clipboard as CF_TEXT; 0 when it cannot. */
int ExpPutClipboard(HWND owner, const char *text, size_t length);

/* Control ids of the export dialog. */
enum ExportId {
    EXD_TYPE = 700, EXD_SELECTION = 701, EXD_TOFILE = 702, EXD_TOCLIP = 703, EXD_FILE = 704,
    EXD_BROWSE = 705, EXD_OVERWRITE = 706, EXD_APPEND = 707, EXD_HEADER = 708,
    EXD_STATUS = 709, EXD_SELECTIONTITLE = 710, EXD_APPLY = 131,
};
#include "ravoltids.h"

/* Choose Queue Manager: 1 with the name (50 bytes) when one was chosen,
 * 0 when cancelled; shown again only for a new generation. */
int ChooseQMgrDialog(HWND owner, char *name, uint32_t generation);
INT_PTR CALLBACK ChooseQMgrProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
#define CQM_NAME 105
