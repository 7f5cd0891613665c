/* Shared window services: the host settings the toolkit reads, the
 * display layout, the size combo boxes, the viewer list, drawing
 * routines, and error reports and message boxes. */
#pragma once

#include <windows.h>
#include <cstdio>
#include "tklogic.h"
#include "tkhooks.h"

/* Error report block, posted with FRM_OPERROR to the main window from
 * any thread; the receiver frees it with CSFreeMem. */
struct ZORVAERROR {
    uint64_t owner;     /* window or 0 */
    uint64_t location;  /* location record or 0 */
    uint32_t flags;     /* 1 show or log, 2 keep on the location, 4 pass to its views */
    char text[1];       /* with its ending zero */
};
#include "ravoltids.h"

/* What the host (the shell) tells the toolkit: plain settings it fills in. */
struct TkHostSettings {
    HWND mainWindow;            /* receiver of error reports and texts */
    int batch;                  /* no user interface: boxes become log lines */
    FILE *logFile;              /* the batch log, or null */
    int monitorChecksOff;       /* preference bit 0x100000 */
    int wholeDesktop;           /* placement on the whole virtual screen */
    int oemCharset;             /* fonts with the OEM character set */
    int placementLatch, placementOverride;   /* cleared by UtilCheckMonitors */
    void **viewerList;          /* head of the open viewer list (first word links) */
};
extern TkHostSettings tkHost;

/* Test hooks: a message-box sink (returns the box's answer) and the
 * source of the display layout (fills it, returns 1). */
typedef int (*TkMessageBoxSink)(HWND owner, const char *text, const char *caption, UINT type);
void UtilSetMessageBoxSink(TkMessageBoxSink sink);
typedef int (*TkDisplaySource)(DisplayLayout *layout);
void UtilSetDisplaySource(TkDisplaySource source);

const DisplayLayout *UtilDisplayLayout(void);
void UtilCheckMonitors(void);
/* Fills the size combo box of field id of a dynamic dialog (nothing when
 * the field has no window), or a combo box given by its window. */
struct DDHANDLE_;
void UtilFillSizeCombo(DDHANDLE_ *dialog, int fieldId);
void UtilFillSizeComboWindow(HWND combo, int fieldId);
void UtilUnlinkWindow(void *entry);

void DrawCross(HDC dc, const RECT *rc);
int DrawRotatedText(HDC dc, const char *text, int length, const RECT *rc, UINT format, int angle);
int DrawTransparentBitmap(HDC dest, int x, int y, int cx, int cy, HDC src, int sx, int sy,
                          int scx, int scy, COLORREF transparent);

int UtilMessageBox(HWND owner, const char *text, const char *caption, UINT type);
void UtilPostError(void *location, uint32_t flags, const char *text);
void UtilPostErrorEx(HWND owner, void *location, uint32_t flags, const char *text);
