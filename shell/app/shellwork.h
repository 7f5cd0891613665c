/* The work of other parts of the program that the shell starts: one table
 * of handlers.  It starts (and ShellWorkDefaults puts it back) with each
 * entry whose part is built filled;
 * an empty entry greys its menu commands (FrameInitMenu) and makes its
 * start-up or timer step do nothing.  Tests empty or replace entries. */
#pragma once

#include <windows.h>
#include <cstdint>

struct QMS;
struct DialogWords;

struct SHELLWORK {
    /* location dialogs and imports */
    HWND (*addLocation)(HWND owner, QMS *copyFrom);          /* 518, 686 */
    HWND (*openLocation)(HWND owner, QMS *location);         /* 749 */
    HWND (*changeLocations)(HWND owner);                     /* 938 */
    HWND (*importCcdt)(void);                                /* 884 */
    void (*importLocal)(int interactive);                    /* 862 */
    HWND (*importExplorer)(void);                            /* 956 */
    HWND (*importConfig)(void);                              /* 931 */
    HWND (*importLocalOpen)(void *list);                     /* 11377 */
    void (*importMaster)(void);                              /* start-up step 1 */
    /* Preferences, colours */
    HWND (*preferences)(HWND owner);                         /* 546 */
    void (*colourDialog)(HWND owner);                        /* 584 */
    void (*repaintAllWindows)(uint32_t mask);                /* 11381 and visual changes */
    /* filters */
    void (*filterManager)(void);                             /* 685 */
    void (*filterRefresh)(void);                             /* after a font change */
    void (*colFilterDeferred)(void);                         /* the timer */
    void (*colFilterFollow)(DialogWords *pane, int x, int y);
    void (*colFilterPlace)(DialogWords *pane, int cx, int cy);
    /* message transfer */
    void (*putDialog)(QMS *location, int flags);             /* 641 */
    void (*publishDialog)(QMS *location, void *topic, int flags);   /* 747 */
    void (*loadUnloadDialog)(QMS *location, int flags);      /* 731 */
    /* the frame's message editor: commands 894-899, 900, 902, 903, 910,
     * 937 (1 when something changed), its state bits, and the discard
     * question before a frame closes (0: may close) */
    int (*editorCommand)(DialogWords *pane, int32_t id);
    uint32_t (*editorState)(DialogWords *pane);             /* ED_* */
    int (*confirmDiscard)(DialogWords *pane);
    /* version check, debug window, splash */
    void (*versionCheck)(HWND window, int interactive);       /* 932, the timer */
    void (*versionResult)(HWND window, void *result);         /* 11387 */
    void (*debugWindow)(void);                                /* 723 */
    int (*splashFile)(HWND owner, const char *title, QMS *location, const char *file,
                      int report, int errorFlag);             /* start-up file */
    int (*splashShow)(HWND owner, const char *title, QMS *location, int report, int force);
    /* user formats */
    int (*loadFormats)(HWND owner, uint32_t flags);           /* start-up step 2 */
    /* credentials and the password cache */
    void (*cachePassword)(const char *password);              /* "-P" */
    void (*getCredentials)(QMS *location, void *request);     /* 11354 */
    void (*saveCredentials)(QMS *location);                   /* 11378 */
    void (*forgetCredentials)(QMS *location);                 /* 11379 */
    /* the location timer and the cached lists */
    int (*timerTick)(int64_t now);
    int (*refreshList[9])(QMS *location);                     /* 11365 to 11373 */
    void (*freeCache)(QMS *location, int alsoSettings);
    int (*runningCount)(void);                                /* locations still running */
    int (*errorCounts)(int32_t *seen, int32_t *inError);
    /* dialogs: replies that got none, waiting dialogs, progress */
    void (*checkResponses)(void);
    void (*releaseWaiting)(QMS *location);                    /* 11374 */
    void (*progressUpdate)(void);
    /* the queue-manager refresh */
    int (*requestRefresh)(QMS *location, uint32_t bits, const char *prefix, int force);
};
extern SHELLWORK ShellWork;
/* The frame's message editor's state bits (editorState). */
enum { ED_ACTIVE = 1, ED_UNDO = 2, ED_REDO = 4, ED_SELECTION = 8, ED_REPEAT = 16 };
void ShellWorkDefaults(void);

/* 1 when the handler behind a menu command is there (or the command
 * needs none). */
int ShellCommandServed(int32_t id);
/* The commands whose handler is missing, for the README's list and tests. */
int ShellMissingCommands(int32_t *ids, int max);

/* The engine's refresh: queue-manager attributes are its bit 0x1; the
 * other callers' requests go through its table of named kinds. */
enum : uint32_t { REFRESH_QMGR = 0x1 };
enum : int32_t { REFRESH_KIND_QLIST = 3, REFRESH_KIND_ALL = 23 };
uint32_t ShellRefreshBits(int32_t kind);
