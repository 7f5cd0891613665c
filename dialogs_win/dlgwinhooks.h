/* The dialog windows' hooks: what the command and list dialog windows ask
 * of the shell (its location commands, context menu, modeless list,
 * frames and bitmaps), of the message editor pane's window code, and of
 * the drop targets of a drag.  The shell fills them at start-up
 * (shell/app/wiring.cpp, shell/app/wirelibs.cpp, shell/app/drag.cpp's
 * DragInstallHooks); an unset hook does nothing unless its comment says
 * otherwise.  Below them, what the dialog windows fill in the hooks of the
 * libraries under them. */
#pragma once

#include <windows.h>
#include <cstdint>

struct QMS;
struct DialogWords;
struct PCFDATA;
struct PCFHOOKS;
struct CMDHOOKS;
struct FLTHOOKS;

/* What the shell gives the dialogs: its location commands, context menu,
 * modeless list, frames and named bitmaps.  Unset hooks do nothing. */
struct PCFSHELLHOOKS {
    void *context;
    void (*doAction)(void *ctx, HWND window, QMS *location, void *row, int32_t command);
    void (*contextMenu)(void *ctx, WPARAM wp, LPARAM lp);
    void (*addModeless)(void *ctx, HWND window, int kind, QMS *location, uintptr_t word);
    void (*removeModeless)(void *ctx, HWND window);
    void (*openStartupMessage)(void *ctx, DialogWords *dialog);
    int (*altKeyOption)(void *ctx);
    /* a named toolbar image of a command, or null for a generated one */
    HBITMAP (*toolbarImage)(void *ctx, int32_t command);
    /* the frame's load and save of a message (918, 919) */
    void (*messageFile)(void *ctx, DialogWords *dialog, int32_t command);
    /* a picture of the queue-manager list pane (PCF_BMP_), or null */
    HBITMAP (*listBitmap)(void *ctx, int picture);
};
void PCFSetShellHooks(const PCFSHELLHOOKS *hooks);
const PCFSHELLHOOKS *PCFShellHooks(void);

/* The message editor pane of a message dialog, whose window code the
 * program installs (WireLibraries): the pane's window class, its window,
 * the editing commands it takes and the copy of its view.  Unset: no
 * class to register, no pane window (a message dialog is not made), no
 * command taken, nothing copied. */
struct PCFPANEHOOKS {
    void *context;
    /* 1 registered (or already) */
    int (*registerClass)(void *ctx, HINSTANCE instance);
    /* the pane window of a dialog, child of parent, for the pane state */
    HWND (*createWindow)(void *ctx, DialogWords *dialog, HWND parent, PCFDATA *ed);
    /* an editing command (894-937, 4000-6003): 1 taken */
    int (*command)(void *ctx, DialogWords *dialog, int32_t command);
    /* the view copied to the clipboard (670 page, 692 all, 813 selection) */
    void (*copyView)(void *ctx, DialogWords *dialog, int32_t menuId);
    /* the structure sub-menus ("<AMP>", "<RMP>") of a menu bar filled for
       the cursor's place, just before the menu shows */
    void (*structMenus)(void *ctx, DialogWords *dialog, HMENU bar);
};
void PCFSetPaneHooks(const PCFPANEHOOKS *hooks);
const PCFPANEHOOKS *PCFPaneHooks(void);

/* What a drag over a drop target issues; the shell hooks tell targets. */
struct PCFDRAGHOOKS {
    void *context;
    HCURSOR (*overTarget)(void *ctx, HWND pane, POINT screen);     /* null: none */
    void (*cancel)(void *ctx);
};
void PCFSetDragHooks(const PCFDRAGHOOKS *hooks);
const PCFDRAGHOOKS *PCFDragHooks(void);

/* ---- what the dialog windows fill in the hooks below them -------------- */

/* Fills the window hooks of the core (status, values, focus, repaint);
 * the engine's hooks are left as they are. */
void PCFWindowHooks(PCFHOOKS *hooks);
/* Fills the command engine's window hooks (status, title, menus, the
 * end messages of a command, confirmations, boxes, errors). */
void PCFEngineHooks(CMDHOOKS *hooks);
/* Fills the filters' hooks into the dialog (status, list updates, the
 * filter field's drop-down and recent lists); the caller adds the
 * filters' own window hooks. */
void PCFFilterWindowHooks(FLTHOOKS *hooks);
