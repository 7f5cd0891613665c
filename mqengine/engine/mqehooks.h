/* The MQ engine's hooks: its clock, its port to the user interface, the
 * table through which it calls the command agent and the pieces of later
 * libraries (MQEHOOKS), and what the command engine asks of the windows
 * (CMDHOOKS).  The shell fills them at start-up (shell/app/wirelibs.cpp,
 * shell/app/wiring.cpp); tests replace them. */
#pragma once

#include <cstdint>
#include "mqi.h"

struct QMS;
struct DialogWords;
struct ThreadRequest;
struct MQACTION;
struct SELECTIONINFO;
struct CMDMESSAGE;
struct PCFActionDef;

/* ---- the clock ----------------------------------------------------------- */

struct MQECLOCK {
    void *context;
    int64_t (*time)(void *ctx);                 /* wall clock, seconds */
    uint64_t (*tick)(void *ctx);                /* milliseconds, never wraps */
    void (*sleep)(void *ctx, uint32_t ms);      /* an engine sleep of ms */
    uint32_t (*wait)(void *ctx, uint32_t ms);   /* real ms of a queue or MQGET wait of ms */
};

/* Installs a clock (copied); null puts the system's back. */
void MQESetClock(const MQECLOCK *clock);
const MQECLOCK *MQEClock(void);

/* ---- the port ------------------------------------------------------------ */

/* The user interface as the engine sees it.  message posts (send 0) or
 * sends (send 1) a message to a window (null: the main window); a block in
 * lParam passes to the receiver.  Result 0 when nothing received it: the
 * engine then frees the block itself.  opError reports an operational
 * error with flags 1 show, 2 keep as the location's last error, 4 pass to
 * the location's windows. */
struct MQEPORT {
    void *context;
    int (*message)(void *ctx, void *window, uint32_t message, uintptr_t wParam, void *lParam,
                   int send);
    void (*opError)(void *ctx, void *owner, QMS *location, uint32_t flags, const char *text);
};

/* Installs a port (copied); null puts the default back (the Windows build
 * posts to the toolkit's main window; the native one has no message hook,
 * so nothing is received). */
void MQESetPort(const MQEPORT *port);
const MQEPORT *MQEPort(void);

/* ---- the pieces the engine calls ----------------------------------------- */

/* The engine calls them through this table, which tests replace field by
 * field.  The defaults are the engine's own functions (mqengine.h); the
 * pieces of later libraries (the frames' lines, the version check's
 * follow-up, the import of the local queue managers, loads and unloads,
 * the debug dump, the configuration file, the message editor of a dialog
 * around a command that puts or updates an edited message, a dialog's
 * automatic export) are null until the program installs them
 * (WireLibraries).  Without one the engine goes without it; a load or
 * unload and a version check that a user asked for say that they are
 * not available. */
struct MQEHOOKS {
    int (*analyse)(QMS *, int32_t *, MQHCONN, MQMD *, void *, int32_t);
    int (*process)(QMS *, int32_t *, MQHCONN, MQMD *, void *, int32_t);
    int (*errorResponse)(QMS *, int32_t, MQACTION *, MQHCONN, void **, int32_t, MQMD *,
                         int32_t, int32_t, int32_t, int32_t, intptr_t);
    int (*requestRefresh)(QMS *, uint32_t, const char *, int);
    int (*startDownload)(QMS *, uint32_t force);
    int (*qlistBuild)(void *frame);
    int (*verCheckRun)(ThreadRequest *);
    void (*importLocal)(int);   /* ImportLocalQMgrs of the location imports */
    int (*loadUnload)(QMS *, ThreadRequest *, void *);
    void (*debugDump)(QMS *, int, const MQMD *, const void *, int32_t);
    int (*response)(QMS *, uint32_t, MQMD *, void *, uint32_t);
    /* flags for refresh the open list dialogs (of no location) whose
     * actions hold the command */
    void (*markStale)(int32_t command);
    int (*writeConfig)(void);
    int (*confirmDiscard)(DialogWords *);
    void (*setFormatName)(DialogWords *);
    int (*setMessageFormat)(DialogWords *);
    int (*setGenericFormat)(DialogWords *, const char *, int32_t, int32_t);
    /* the MQSC console's command is complete: the dialog's export that
     * was due runs (force 1) */
    int (*autoExport)(DialogWords *, int force);
};
extern MQEHOOKS MQEHooks;
/* Installs the host's table (null: the defaults). */
void MQESetHooks(const MQEHOOKS *hooks);
/* Puts the default hooks back. */
void MQEResetHooks(void);

/* ---- the command engine's windows (command.h) ------------------------------ */

struct CMDHOOKS {
    void *context;
    /* status line (show: a hidden dialog is shown first), title, menus */
    void (*status)(void *ctx, DialogWords *dialog, const char *text, QMS *location,
                   uint32_t kind, int show);
    void (*title)(void *ctx, DialogWords *dialog, const char *suffix);
    void (*setMenu)(void *ctx, DialogWords *dialog);
    void (*viewCommand)(void *ctx, DialogWords *dialog, int32_t command);
    void (*activateField)(void *ctx, DialogWords *dialog);
    void (*frameTitle)(void *ctx, DialogWords *dialog);
    void (*syncPanel)(void *ctx, DialogWords *dialog);
    void (*qmListChanged)(void *ctx, DialogWords *dialog);
    /* a message to a dialog's window (send: wait until handled); 1 done */
    int (*dialogMessage)(void *ctx, DialogWords *dialog, uint32_t message, uintptr_t wParam,
                         intptr_t lParam, int send);
    /* 11228 (the location list), 11373 and 11383 to the main window */
    void (*frameMessage)(void *ctx, uint32_t message, uintptr_t wParam, QMS *location);
    void (*splash)(void *ctx, void *window, QMS *location);
    /* a question that the user can switch off with bit of *options: 1 yes */
    int (*confirm)(void *ctx, DialogWords *dialog, uint32_t style, const char *text,
                   const char *name, uint32_t *options, uint32_t bit);
    /* a box (yesNo: a question, 1 yes) with a caption */
    int (*box)(void *ctx, DialogWords *dialog, const char *text, const char *caption, int yesNo);
    /* an error posted to the main window */
    void (*postError)(void *ctx, const char *text);
    /* dialogs an action opens */
    void (*dialogDialog)(void *ctx, DialogWords *dialog, const PCFActionDef *action);
    void (*listDialog)(void *ctx, DialogWords *dialog, const PCFActionDef *action);
    void (*putDialog)(void *ctx, QMS *location, const char *queue);
    void (*draskDialog)(void *ctx, QMS *location, const char *queue);
    void (*publishDialog)(void *ctx, QMS *location, const char *stream, const char *topic);
    /* the dialog's filter compiled: 0 or the compiler's error */
    int (*newFilter)(void *ctx, DialogWords *dialog);
    /* the message editor (unset: the engine's calls of the editor):
     * 1 when the user keeps unsaved edits */
    int (*discardEdits)(void *ctx, DialogWords *dialog);
    void (*formatName)(void *ctx, DialogWords *dialog);
    void (*messageFormat)(void *ctx, DialogWords *dialog);
    void (*genericFormat)(void *ctx, DialogWords *dialog, const char *format);
    int (*notFormatting)(void *ctx, DialogWords *dialog);
    int (*editedMessage)(void *ctx, DialogWords *dialog, CMDMESSAGE *out);
    /* the thread request (PostThreadRequest when unset) */
    int (*postRequest)(QMS *location, const SELECTIONINFO *selection, uint32_t flags,
                       const ThreadRequest *templ, const uint8_t *key, void *block,
                       uint32_t length);
};
void CmdSetHooks(const CMDHOOKS *hooks);
const CMDHOOKS *CmdHooks(void);
