/* The transfer windows: the Load/Unload dialog (DRASKDLG), the put and
 * publish windows (RAVOLT_PUT, RAVOLT_PUBLISH), and the single-message
 * load and save dialogs of a message dialog (DLG_LOADMSG, DLG_SAVEMSG);
 * with what they share (field reading, remembered names, sizes, fonts and
 * colours).  User-interface thread only. */
#pragma once

#include <windows.h>

#include "dd.h"
#include "qms.h"
#include "xferfields.h"

struct DialogWords;

/* The transfer windows take FM_TEXT (a text block from the put thread,
 * freed, or none) and UM_LOCATION_ERROR (the sender's text): ravoltids.h. */
#include "ravoltids.h"

/* The windows. */
HWND DraskDialog(QMS *location, const char *queue);
HWND PutDialog(QMS *location, const char *queue);
HWND PublishDialog(QMS *location, const char *stream, const char *topic);
HWND LoadMsgDialog(DialogWords *dialog);
HWND SaveMsgDialog(DialogWords *dialog);
int LoadMsgFromFile(DialogWords *dialog);
int SaveMsgToFile(DialogWords *dialog);

/* A message dialog's commands 918 (save) and 919 (load): the command
 * dialog's shell hook messageFile, which the shell fills with it. */
enum { IDM_SAVEMSG = 918, IDM_LOADMSG = 919 };
void MsgFileCommand(void *ctx, DialogWords *dialog, int32_t command);

/* ---- shared by the windows (xferwnd.cpp) ---- */

/* The record of the put and publish windows (tag "PUTWORDS"). */
struct PUTWORDS {
    DDHANDLE dd;
    HWND window;
    QMS *location;
    char queue[DR_NAME + 1];           /* given at opening */
    char stream[DR_NAME + 1];
    char topic[501];
    int fileGiven;                     /* the file field was not empty */
    int publish;
};

/* A field's text, trailing blanks removed: the length. */
int XferFieldText(DDHANDLE dd, int id, char *out, int size);
/* An error of a field: the text in the status line (103), a beep, the
 * focus on the field; a dialog without status line gets the box. */
void XferFieldError(DDHANDLE dd, int field, const char *text);
void XferStatus(DDHANDLE dd, const char *text);
/* Combo boxes of remembered names: queue managers (every location's and
 * those typed), queues, streams, topics; the text set to current. */
enum { XN_QMGR, XN_QUEUE, XN_STREAM, XN_TOPIC };
void XferFillNames(DDHANDLE dd, int id, int kind, const char *current);
/* Remembers a name typed into a field of a kind. */
void XferRememberName(int kind, const char *name);
/* A combo box from a value table, the entry of value selected. */
void XferFillValues(DDHANDLE dd, int id, const DRVALUE *table, uint32_t value);
/* The value of the selected entry (the text's when typed), or fallback. */
uint32_t XferSelectedValue(DDHANDLE dd, int id, const DRVALUE *table, uint32_t fallback);
/* The platform of a queue manager named in a field (known locations),
 * else the location's. */
int32_t XferPlatformOf(const char *qmgr, QMS *location);
/* The window at its remembered size (slot of Prf.dialogs), else the
 * dialog's own size; shown near the cursor. */
void XferPlaceWindow(HWND hwnd, DDHANDLE dd, int slot);
void XferRememberSize(HWND hwnd, int slot);
/* Fonts and colours of the program (11236, 11247). */
void XferSetFont(DDHANDLE dd);
void XferSetColours(HWND hwnd, DDHANDLE dd);
/* The text block of 11244 shown in 103 and freed (none: the field
 * cleared). */
void XferTakeText(DDHANDLE dd, LPARAM block);
/* Ctrl+A in the message field (PF_MESSAGE) selects its text. */
void XferMessageKeys(DDHANDLE dd);
/* The message field's whole text (a block the caller frees), or null. */
char *XferMessageText(DDHANDLE dd);
/* "Error putting to '%s/%s' RC(%ld) %s" for a refused request. */
void XferPostFailed(DDHANDLE dd, const char *qmgr, const char *queue, int reason);
/* A window class of the transfer registered once: 1, or 0 after the
 * failure's box. */
int XferRegisterClass(const char *name, WNDPROC proc);
/* Creates a put or publish window for its record (freed on failure),
 * registers it with the message loop and shows it. */
HWND XferCreateWindow(const char *cls, const char *title, PUTWORDS *pw, int slot);

/* The messages every transfer window handles alike (texts and errors for
 * the status line, font, colours, the size kept, closing, the record
 * freed with the dialog): 1 when handled.  dd is the record's handle. */
int XferWindowMessage(HWND hwnd, DDHANDLE *dd, void *record, UINT msg, WPARAM wp, LPARAM lp, int slot);

/* The open lists of a queue refreshed, as the program's options ask. */
void XferRefreshLists(const char *qmgr, const char *queue);
