/* The locations library's hooks: what the location store, its timer and
 * caches, and the password cache ask of the engine, the configuration,
 * the dialogs and the windows above them.  The shell fills them at
 * start-up (shell/app/wirelibs.cpp, shell/app/wiring.cpp); the password
 * cache's dialogs are the library's own window part (PWCInitWindows). */
#pragma once

#include <cstdint>

struct QMS;
struct CSTREE;

/* What the store asks of later subsystems (tree rows, threads, dialogs,
 * capability tables, commands); an unset hook does nothing. */
struct LOCHOOKS {
    void *context;
    void (*addRow)(void *ctx, QMS *location, uint32_t rowFlags);
    void (*updateRow)(void *ctx, QMS *location);
    void (*removeRow)(void *ctx, QMS *location);
    void (*beginBatch)(void *ctx);
    void (*endBatch)(void *ctx);
    /* non-zero on success; *errorText: a block for the store to free */
    int (*runCommand)(void *ctx, QMS *location, const char *command, char **errorText);
    void (*consoleEvent)(void *ctx, QMS *location, int32_t code, int32_t category);
    void (*repaint)(void *ctx, uint32_t mask);
    void (*timerOne)(void *ctx, QMS *location);
    void (*endGetThread)(void *ctx, QMS *location);
    void (*endPutThread)(void *ctx, QMS *location, int mode);
    void (*freeMqscWindow)(void *ctx, QMS *location);
    /* destroy the windows of dialogs on the location, post 11245 to others */
    void (*closeDialogs)(void *ctx, QMS *location);
    void (*destroyWindow)(void *ctx, void *window);
    void (*freeCache)(void *ctx, QMS *location);
    void (*capsForQmgr)(void *ctx, uint8_t *caps, int32_t platform, int32_t level);
    void (*capsChanged)(void *ctx, QMS *location);     /* posts 10008 */
    void (*broadcast)(void *ctx);                      /* posts 11245 */
    void *(*loadBitmap)(void *ctx, const char *file, int image);
    void (*scheduleExport)(void *ctx, QMS *location);
};
void LocSetHooks(const LOCHOOKS *hooks);
const LOCHOOKS *LocHooks(void);

/* The parts of a record that the libraries above the store lay out and
 * free: the client-channel data area (the configuration's) and the tree
 * of dialog records (the dialogs'); an unset hook leaves the part alone.
 * The program installs them at start-up (WireLibraries). */
struct LOCRELEASEHOOKS {
    void *context;
    void (*freeClientData)(void *ctx, QMS *record);
    void (*freeDialogs)(void *ctx, CSTREE **tree);
};
void LocSetReleaseHooks(const LOCRELEASEHOOKS *hooks);
const LOCRELEASEHOOKS *LocReleaseHooks(void);

/* What the timer and the caches ask of the engine and the windows; unset
 * hooks do nothing (an unset refresh answers 0). */
struct LOCTIMERHOOKS {
    void *context;
    int (*requestRefresh)(void *ctx, QMS *location, uint32_t bits, const char *prefix,
                          int wait);
    void (*startPutThread)(void *ctx, QMS *location);
    void (*setDownloadState)(void *ctx, QMS *location, uint32_t bits);
    /* 1 while the location's object download runs */
    int (*downloading)(void *ctx, QMS *location);
    void (*postMonitor)(void *ctx, QMS *location);
    /* WM_SETICON (ICON_BIG) on the main window: the error icon or not */
    void (*setMainIcon)(void *ctx, int error);
    /* a main-frame message with the location (none for 11230) in lParam */
    void (*postFrame)(void *ctx, uint32_t message, QMS *location);
    /* a message to the location's open window */
    void (*postWindow)(void *ctx, void *window, uint32_t message);
    /* open object dialogs of the location showing an attribute refresh */
    void (*markDialogsStale)(void *ctx, QMS *location, int32_t attribute);
    void (*openStartupQueue)(void *ctx, QMS *location);
    void (*freeDownloadData)(void *ctx, QMS *location);
    void (*freeClientSettings)(void *ctx, QMS *location);
};
void LocSetTimerHooks(const LOCTIMERHOOKS *hooks);
const LOCTIMERHOOKS *LocTimerHooks(void);

/* What the cache asks of the windows; unset hooks do nothing.  The window
 * build fills the dialogs (PWCInitWindows); tests put recorders here. */
struct PWCHOOKS {
    void *context;
    /* an error report through the main window (UtilPostError) */
    void (*postError)(void *ctx, QMS *location, const char *text);
    /* message 11228 to the Preferences dialog when it is open */
    void (*preferencesChanged)(void *ctx);
    /* message 11227 with a text to a location's settings dialog window */
    void (*settingsText)(void *ctx, QMS *location, const char *text);
    /* the log-on (or creation) dialog, in creation mode when creation is
       set: 1 when it is open */
    int (*accessDialog)(void *ctx, int cancelAllowed, int creation);
    /* whether the log-on dialog is open or opening */
    int (*accessDialogOpen)(void *ctx);
    /* a yes-or-no question ("!..." as WinConfirm takes it): 1 for yes */
    int (*confirm)(void *ctx, const char *question);
    void (*userIdDialog)(void *ctx, QMS *location, int askUser, int askKdb);
};
void PWCSetHooks(const PWCHOOKS *hooks);
const PWCHOOKS *PWCHooks(void);
