/* The application shell: start-up and shut-down, frame windows with the
 * queue-manager panel and its tree, the main window procedure with the
 * one-second timer and the frame messages, command dispatch with the
 * menus and the Windows menu, and the shell's small services (modeless
 * dialogs, operational errors, About box, file viewer, bitmaps).
 *
 * Everything here runs on the user-interface thread, but the row
 * functions of the tree (LocAddRow, LocUpdateRow, ...) and QListBuild,
 * which other threads may call: off that thread they post (or send) the
 * frame messages to the main frame, which calls them again. */
#pragma once

#include <windows.h>
#include <cstdint>
#include <cstdio>

#include "bag.h"
#include "cnt.h"
#include "shellrules.h"
#include "modeless.h"
#include "mqengine.h"
#include "pcflistwin.h"

struct DialogWords;
struct QMS;

/* The frames' private messages (FRM_*, FM_*) are in ravoltids.h. */
#include "ravoltids.h"

/* Control ids of the panel. */
enum { PANEL_STATUS = 11, PANEL_SEARCH = 31, PANEL_SEARCHQ = 33, PANEL_PREFIX = 34,
       PANEL_COMBOEDIT = 1001 };
enum { SHELL_TIMER = 5 };

/* One top-level frame (its window's user data).  The link comes first:
 * the frames are the list the analyser rebuilds the lines of. */
struct FrameWords {
    MQEFRAMELINK link;             /* next frame and the rebuild mark */
    HWND window;
    HMENU menu;
    HWND panel, tree, status;
    uint32_t flags;                /* FrameFlag */
    HWND prefix, search, searchQ;
    uint32_t searchTick;           /* GetTickCount of the last typing, 0 none */
    SHELLSEARCH locSearch, qSearch;
    int32_t cx, cy, panelCx, panelCy;
    BagRecord bag;
    DialogWords *listPane, *msgPane;
    uint32_t rebuild;
    HWND saveDialog, loadDialog;
    char prefixText[50];
    int32_t prefixLength;
    int prefixError;
    int prefixInUse;
    CntLineSet *lines;             /* the tree's lines */
    uint32_t treeGeneration;       /* of the lines last built */
    HWND windowsMenu;              /* unused: the menu's position is found */
};

/* Program-wide state of the shell. */
struct SHELLSTATE {
    HINSTANCE instance;
    HWND mainWindow;               /* the first frame's window */
    HWND accelTarget;
    HWND statusLine;               /* the main frame's status edit */
    HACCEL accelerators;
    uint16_t status;               /* 1 exit pending, 2 configuration read */
    int startupPending;
    int32_t tick;                  /* the one-second timer's counter */
    int64_t now;
    int searchPending;
    int fillingCombo;
    FrameWords *activeFrame;
    uint32_t defaultFlags;         /* frame flags of new frames */
    uint32_t displayMode;          /* DM_ bits: which locations the trees show, how */
    char defaultSearch[2][SHELL_SEARCH_TEXT + 1];   /* locations, queues */
    int32_t panelWidth[2], listHeight[2];           /* one monitor, several */
    QMS *startupLocation;
    char configError[400];         /* kept until start-up step 1 shows it */
    HBRUSH brushes[9];
    HICON icons[4];                /* 2 main, 3 sub, 4 main error, 5 */
    int noUserInterface;
    int maximisePending;           /* the main frame left maximised, shown normal so far */
    int argc;
    char **argv;
    CSLIST history[3];             /* Search Locations, Search Queues, Queue Prefix */
};
extern SHELLSTATE Shell;
enum { HISTORY_LOCATIONS, HISTORY_QUEUES, HISTORY_PREFIX };
enum { SHELL_EXITING = 1, SHELL_CONFIG_READ = 2 };
/* The display-mode word: row changes only repaint the frames; names by
 * queue manager; only the locations in trouble; no foreign ones. */
enum { DM_REPAINT_ONLY = 0x1, DM_BY_QMGR = 0x10, DM_TROUBLE_ONLY = 0x40, DM_NO_FOREIGN = 0x80 };

/* The frames: the main window's first. */
FrameWords *FrameFirst(void);
FrameWords *FrameNext(FrameWords *frame);
FrameWords *FrameOf(HWND window);
int FrameCount(void);

/* ---- start-up and shut-down (startup.cpp, msgloop.cpp) ---- */

/* WinMain's work: 0 when start-up fails before the message loop, else the
 * quit code. */
int ShellMain(HINSTANCE instance, int argc, char **argv);
/* The steps of start-up before the first frame (1 when it may go on),
 * the message loop and the end; tests run them apart. */
int ShellStartup(HINSTANCE instance, int argc, char **argv);
int ShellMessageLoop(void);
/* One message through the loop's filters: 1 when taken. */
int ShellFilterMessage(MSG *msg);
int ParseOptions(int pass);
INT_PTR CALLBACK UsageDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void ExitProgram(HWND frame);
int LoadConfigAndRefresh(HWND frame, char *errorText);
void StartupStep2(FrameWords *frame);
void OpenStartupQMgr(HWND frame);
void OpenStartupQueue(QMS *location);
void OpenStartupMessage(DialogWords *dialog);
/* The end of the program's state (tests between runs). */
void ShellShutdown(void);

/* ---- frames (frame.cpp, panel.cpp) ---- */

HWND CreateFrame(FrameWords *templ);
int FrameCreateChildren(FrameWords *frame);
int CreateMessagePane(FrameWords *frame);
int CreateMessageListPane(FrameWords *frame);
int CreateQmPanel(FrameWords *frame);
/* The narrowest panel width that stays readable; narrower ones are
 * neither remembered nor given to new frames. */
int PanelReadableWidth(FrameWords *frame);
void FrameLayout(FrameWords *frame);
void FrameUnlink(FrameWords *previous, FrameWords *frame);
LRESULT CALLBACK QmPanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
int CheckQueuePrefix(FrameWords *frame, int report);
int GetFramePrefix(HWND window, char *prefix);
void ApplySearch(FrameWords *frame);
void AddSearchHistory(int which, HWND field);
void FillComboFromHistory(HWND combo, int which);
FrameWords *FindFrameByList(DialogWords *pane);
FrameWords *GetActiveFrameRec(void);
void OpenQueueInFrame(FrameWords *frame, QMS *location, const char *queue);
void SyncPanelQMgr(DialogWords *pane);
void SetMessagePaneQueue(FrameWords *frame, QMS *location, const char *queue);
void ToggleEditPanel(HWND window);
int IsWindowShown(HWND window);
void SetFrameFonts(FrameWords *frame);
void SetAllFrameFonts(void);
void ShellFrameTitle(FrameWords *frame);

/* ---- the main window (mainwnd.cpp, timer.cpp) ---- */

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void ShellTimerTick(HWND hwnd);

/* ---- commands (command.cpp, doaction.cpp, menus.cpp, winops.cpp) ---- */

void FrameCommand(FrameWords *frame, int32_t id);
DialogWords *DoAction(HWND window, QMS *location, void *object, int32_t id);
/* 1 when a command id is the menu id of a list definition ("Default Lists"). */
int ShellMenuDefinition(int32_t id);
void FrameInitMenu(HWND frame);
void BuildWindowsMenu(HWND frame, int enable, HMENU windows, int rebuild);
void BuildDefaultListsMenu(HMENU submenu);
int PruneEmptySubmenus(HMENU menu);
void DeleteMenuItemAt(HMENU menu, int position);
void WindowOpDialogs(int op);
void WindowOpFrames(int op);
void WindowOpLists(int op);
void DropMinimized(void);
void TileRows(void);
void TileColumns(void);
void ConnectAllShown(FrameWords *frame, int connect);
/* The tiling array (operation 4 collects into it). */
extern HWND TileList[100];
extern int TileCount;

/* ---- the tree (qtree.cpp, qbuild.cpp, qitems.cpp) ---- */

void LocAddRow(QMS *record, uint32_t rowFlags);
void LocUpdateRow(QMS *record, uint32_t rowFlags);
void LocRefreshRow(QMS *record);
void LocListBeginUpdate(void);
void LocListEndUpdate(void);
void LocListCommand(HWND frame, int32_t id);
void LocListRebuild(void);
int QListBuild(void *frame);
QMS *FrameGetSelLocation(HWND frame);
void ActivateWindow(HWND window);
void ActivateMenuWindow(HMENU menu, int32_t id);
int QLineOpen(HWND tree, const cntLINE *line);
HBITMAP LocStatusBitmap(QMS *record);
/* The frame's new lines (11382). */
void FrameTakeLines(FrameWords *frame, CntLineSet *lines, uint32_t generation);
/* Queue bitmaps by index (from bitmap 10). */
HBITMAP QueueBitmap(int index);

/* ---- services (modeless.cpp, operror.cpp, about.cpp, fileview.cpp,
 * bitmaps.cpp, ctxmenu.cpp, drag.cpp) ---- */

/* The modeless list is modeless.h's; a window it does not hold. */
void ModelessNotFound(void *window);
void AddRefreshWindow(void *record);
void RemoveRefreshWindow(void *record);
int AltKeyOption(void);
void ContextMenu(HWND window, POINT point);
int UtilTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
void LocContextMenu(QMS *location, HWND window, uint32_t kinds, HMENU menu, int unused);
void ReportOpError(struct ZORVAERROR *block);
void AboutDialog(HWND owner);
HWND AboutWindow(void);
HWND FileViewCreate(const char *title, const char *path);
int UtilLoadTextFile(FILE *file, HWND status, uint32_t *size, char **text);
void ShowMQErrorLog(QMS *location);
void ShowMQIniFile(QMS *location);
HBITMAP GetBitmapByName(const char *name, int size);
int LoadBitmaps(void);
HBITMAP ShellBitmap(int id);
/* The picture as a menu item shows it (on the menu's background). */
HBITMAP ShellMenuItemBitmap(HBITMAP bitmap);
void LogLine(HWND owner, const char *text, const char *name);
BOOL CALLBACK MonitorEnumProc(HMONITOR monitor, HDC dc, LPRECT rect, LPARAM lp);
HWND UtilTopLevelParent(HWND window);
void ShowHelp(void);
void ShowEndStatus(int force);
void ShowFunctionError(const char *function);
/* The status line of every frame. */
void ShellStatusAll(const char *text);
/* A block posted to a window: 1 posted, else freed here (0). */
int ShellPostBlock(HWND window, UINT msg, WPARAM wp, void *block);
/* Message drag. */
int DragOverTarget(HWND source, POINT screen, HCURSOR *cursor);
void DragSetCursorMode(HWND list, const char *text, int copyAllowed, POINT position);
void DragCancel(void);
int DragInProgress(void);
/* The dialogs' list panes told where a drag of their rows is. */
void DragInstallHooks(void);

/* The confirmation questions of the shell go to this hook when it is set
 * (tests answer them; 1 yes). */
typedef int (*ShellConfirmProc)(HWND owner, const char *verb, const char *name);
extern ShellConfirmProc ShellConfirmHook;

/* The program's hooks in the other subsystems (wiring.cpp). */
void ShellInstallHooks(void);
