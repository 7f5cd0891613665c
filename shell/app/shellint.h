/* What the shell's window files share among themselves: the histories,
 * the tree's notifications, the bitmaps the shell draws with, the
 * settings written back at exit and a few small helpers. */
#pragma once

#include "shell.h"
#include "autfile.h"

/* The histories of the panel's fields. */
CSLIST *ShellHistory(int which);

static inline int32_t AutQueuePrefixMinimum(void)
{
    return AutQueuePrefixMin;
}

/* Tree notifications of a frame's panel (qtree.cpp). */
LRESULT TreeExpanding(FrameWords *frame, cntLINE *line);
void TreeSelected(FrameWords *frame, cntLINE *line);
void TreeActivated(FrameWords *frame, cntLINE *line);
/* The kinds of the tree's lines (the second user-data item). */
enum LineKind { LINE_LOCATION = 1, LINE_QGROUP = 2, LINE_QUEUE = 3, LINE_PLACEHOLDER = 4,
                LINE_GROUP = 5 };
int ShellLineKind(const cntLINE *line, QMS **location);
int ShellQueueOfLine(const cntLINE *line, char *queue, QMS **location);
/* A frame's whole tree (qbuild.cpp); null without storage. */
CntLineSet *ShellBuildLines(FrameWords *frame);
/* The type of a location's queue (QT_CLUSTER for a cluster queue); 0
 * when it has none of that name. */
int ShellQueueType(QMS *location, const char *name, uint32_t *type);
/* A local queue's current depth and definition type from its attribute
 * block as the queue-manager refresh fills it: the depths, fill level,
 * definition type and usage as 32-bit values at its start. */
int32_t QInfoDepth(const struct QINFO *queue);
int32_t QInfoDefType(const struct QINFO *queue);

/* A location line's download icon: not loaded, loading while the refresh
 * marks have 0x1ef, idle or loaded. */
HBITMAP ShellDownloadBitmap(QMS *location);

/* Rebuilds every frame's lines (now, on this thread, when asked). */
void ShellRebuildTrees(int now);
/* Raised whenever a location leaves the trees: lines built before are
 * thrown away when they arrive. */
extern volatile uint32_t ShellTreeGeneration;

/* Built-in bitmaps (ids of the resources). */
enum ShellBitmapId {
    BMP_LOC_NORMAL = 10, BMP_LOC_CONNECTED = 11, BMP_LOC_ERROR = 12, BMP_LOC_FOREIGN = 41,
    BMP_DL_NOTLOADED = 13, BMP_DL_LOADING = 14, BMP_DL_IDLE = 15, BMP_DL_DONE = 16,
    BMP_COLLAPSED = 17, BMP_EXPANDED = 18, BMP_PRESSED = 19, BMP_GROUP = 21,
    BMP_QMLIST = 47,            /* the queue-manager list pane's, by PCF_BMP_ (47 to 52) */
    BMP_BROWSE = 501,
};

/* The profile's settings the shell keeps and writes back before the
 * configuration is written (placements, search texts, flags). */
void ShellLoadSettings(void);
void ShellStoreSettings(void);
/* The toolkit's host settings from the profile's options (at start-up
 * and whenever Preferences are applied): placement on the whole virtual
 * screen, the monitor-arrangement checks off, fonts in the OEM set. */
void ShellHostFromProfile(void);
/* CfgFileWrite with the shell's settings stored first; 0 written. */
int ShellWriteConfig(void);
/* Saved dialogs: one opened (a start) or brought forward (a switch), by
 * its id; those marked to start by themselves, at start-up. */
void OpenSavedDialog(int32_t id, int switchTo);
void StartSavedDialogs(void);

/* The exit's step of the timer: threads asked to end; the locations that
 * still run one. */
int ShellExitTick(void);
/* The locations that still run a thread. */
int ShellRunningCount(void);
/* Whether a location can be disconnected: its put thread runs (the File
 * menu and the tree's context menu grey "Disconnect" otherwise). */
int ShellCanDisconnect(const QMS *location);

/* The confirmation dialog (the toolkit's WinConfirm; 1 for yes). */
int ShellConfirm(HWND owner, uint32_t nameChanged, const char *verb, const char *name,
                 uint32_t *option, uint32_t mask);
/* Message boxes of the shell (through the toolkit's, which tests catch). */
int ShellBox(HWND owner, const char *text, const char *caption, UINT type);

/* The frame messages a frame handles (mainwnd.cpp). */
int ShellFrameMessage(FrameWords *frame, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                      LRESULT *result);

/* The colour chooser's repaints, the Filter Manager's owner, the
 * credentials prompt and the password cache's dialogs follow the main
 * window (wiring.cpp); the cache's news goes to the Preferences dialog
 * when open. */
void ShellFollowMainWindow(HWND main);
/* The password cache's news for the Preferences dialog, when it is open
 * (PWCHOOKS.preferencesChanged). */
void ShellCacheNews(void *ctx);

/* The location the Windows-menu, command and context-menu code acts on. */
QMS *ShellSelectedLocation(FrameWords *frame);

/* The refresh-window list's records begin with the link, then the
 * window. */
struct REFRESHRECORD {
    void *link;
    HWND window;
};

/* A context-menu row's bitmap, and the names of the bitmap files
 * loaded (bitmaps.cpp). */
HBITMAP ShellMenuBitmap(int32_t id);
const char *ShellBitmapName(int index);
