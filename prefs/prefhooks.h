/* The Preferences' hooks: what applying the Preferences asks of the
 * windows, the user formats, the password cache, the splash and the
 * sounds above them.  The table starts from the library's own defaults
 * (PrefDefaultHooks); the shell adds the rest at start-up
 * (shell/app/wiring.cpp).  An unset hook does nothing. */
#pragma once

#include <cstddef>
#include <cstdint>

struct PREFHOOKS {
    void *context;
    void (*repaint)(void *ctx, uint32_t mask);                     /* RepaintAllWindows */
    void (*setDlgColours)(void *ctx, void *dialog);                /* SetDlgColours */
    void (*locNotifyWindows)(void *ctx);
    int (*ufLoadFormats)(void *ctx, void *owner, uint32_t flags);  /* 0: failed */
    void (*ufReapplyFormats)(void *ctx);
    void (*tabsChanged)(void *ctx);                                /* 11362 to tabbed dialogs */
    void (*filterManagerRefresh)(void *ctx);
    void (*locListCommand)(void *ctx);
    void (*programIcon)(void *ctx);                                /* the large icon restored */
    void (*dropQueueUserName)(void *ctx);                          /* DynQueueUserName */
    void (*configChanged)(void *ctx);
    /* the password cache */
    void (*pwcResolve)(void *ctx, const char *templ, char *out, size_t size);
    void (*pwcRefresh)(void *ctx);
    void (*pwcSetPassword)(void *ctx, void *owner);
    void (*pwcAccess)(void *ctx, void *owner);
    /* cache state: access still allowed, open, and the open file's name */
    int (*pwcState)(void *ctx, int *open, char *fileName, size_t size);
    void (*splashTest)(void *ctx, int which, const char *source);
    void (*playSound)(void *ctx, const char *name);
    void (*addModeless)(void *ctx, void *window);
    void (*removeModeless)(void *ctx, void *window);
    void (*timeZoneChanged)(void *ctx);                            /* PrfGetTimeZone ran */
};
/* Null: the defaults, which reach the repaint announcement, the dialog
 * colours, the password cache, the modeless list and the Filter Manager
 * directly (the rest do nothing). */
void PrefSetHooks(const PREFHOOKS *hooks);
const PREFHOOKS *PrefHooks(void);
/* Those defaults, for a caller that adds its own hooks to them. */
void PrefDefaultHooks(PREFHOOKS *out);
