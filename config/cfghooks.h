/* The configuration library's hooks: what the configuration file, the
 * profile, the repaint announcement and the context menu's usage table
 * ask of the windows and the shell above them.  The shell fills them at
 * start-up (shell/app/wiring.cpp; the repaint's by the colour windows,
 * ColourInitWindows); an unset hook does nothing unless its comment says
 * otherwise. */
#pragma once

#include <cstdint>
#include <cstdio>

struct PRFDATA;

/* ---- the configuration file (cfgfile.h) -------------------------------- */

/* What the file code asks of the windows; an unset hook answers OK. */
struct CFGHOOKS {
    void *context;
    /* An error box: caption and text, the thread's last system error shown
     * when withLastError; OK/Cancel when okCancel.  1 for Cancel. */
    int (*errorBox)(void *ctx, const char *caption, const char *text,
                    int withLastError, int okCancel);
    /* A notice without a choice (authorities file reports). */
    void (*notice)(void *ctx, const char *caption, const char *text);
    /* Fits a rectangle (x, y, cx, cy) into the monitor it overlaps most. */
    void (*fitRect)(void *ctx, int32_t *rect);
    /* Opens the new configuration file for writing, in binary mode: the
     * writer puts the host's line ends (tests replace it). */
    FILE *(*openWrite)(void *ctx, const char *path);
};
void CfgSetHooks(const CFGHOOKS *hooks);
const CFGHOOKS *CfgHooks(void);

/* ---- the profile (prffile.h, prfsect.h) -------------------------------- */

/* What the profile asks of the windows; unset hooks do nothing. */
struct PRFHOOKS {
    void *context;
    /* fills colour slots from `from` upwards from the colour scheme */
    void (*colourScheme)(void *ctx, uint32_t *colours, uint8_t *known, int from);
    /* fits the stored rectangles to the monitors and loads the bitmaps */
    void (*fitAndLoad)(void *ctx, PRFDATA *profile);
    /* "Unrecognised keyboard input codepage" and the like */
    void (*messageBox)(void *ctx, const char *text, const char *caption);
};

void PrfSetHooks(const PRFHOOKS *hooks);
const PRFHOOKS *PrfHooks(void);

/* What the shared filter file reports through the main window
 * (WinPostText with 48); unset: nothing. */
extern void (*PrfPostText)(const char *text, uintptr_t value);

/* ---- the repaint announcement (repaint.h) ------------------------------ */

/* What RepaintAllWindows and LocNotifyWindows ask of the windows. */
struct REPAINTHOOKS {
    void *context;
    /* message 11381 to the main frame */
    void (*postMainFrame)(void *ctx);
    /* on the user-interface thread: carry out a mask */
    void (*apply)(void *ctx, uint32_t mask);
    /* message 11228 with wParam 1 to a location's open window */
    void (*notifyWindow)(void *ctx, void *window);
};
void RepaintSetHooks(const REPAINTHOOKS *hooks);
const REPAINTHOOKS *RepaintHooks(void);

/* ---- the context menu's usage (cmdusage.h) ----------------------------- */

/* The context menu's command table, installed by the shell: set gives a
 * row its last use and mean interval, text writes "(%d %d %d)" of each
 * row through put. */
struct CMDUSAGEHOOKS {
    void (*set)(int32_t commandId, int32_t lastUse, int32_t meanInterval);
    void (*text)(void (*put)(void *ctx, const char *text), void *ctx);
};
void CmdUsageSetHooks(const CMDUSAGEHOOKS *hooks);
const CMDUSAGEHOOKS *CmdUsageHooks(void);
