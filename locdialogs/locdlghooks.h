/* The location dialogs' hooks: what Add Location, Location Settings and
 * Change Multiple Locations ask of the threads, the client-connection
 * command dialog, the splash, the files and the windows above them.  The
 * table starts from the library's own defaults (LocDlgDefaultHooks); the
 * shell adds the rest at start-up (shell/app/wiring.cpp).  An unset hook
 * does nothing. */
#pragma once

#include <cstdint>

struct QMS;
struct DialogWords;

struct LOCDLGHOOKS {
    void *context;
    int (*post)(void *ctx, void *window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    void (*startPutThread)(void *ctx, QMS *location);
    void (*endPutThread)(void *ctx, QMS *location, int mode);
    /* PCFCommandDialog on a template naming the definition, location,
     * flags and data area; done runs when the dialog ends.  The dialog
     * instance, or null. */
    DialogWords *(*commandDialog)(void *ctx, void *owner, DialogWords *templ,
                                  void (*done)(DialogWords *dialog));
    void (*focusWindow)(void *ctx, void *window);
    void (*closeWindow)(void *ctx, void *window);
    void (*userIdDialog)(void *ctx, void *owner, QMS *location);
    void (*deleteCredentials)(void *ctx, QMS *location);
    void (*kdbForget)(void *ctx, QMS *location);
    void (*splashShow)(void *ctx, QMS *location);
    void (*showIniFile)(void *ctx, QMS *location);
    void (*showErrorLog)(void *ctx, QMS *location);
    void (*repaint)(void *ctx, uint32_t mask);                 /* RepaintAllWindows */
    void (*setDlgColours)(void *ctx, void *dialog);            /* SetDlgColours */
    void (*addModeless)(void *ctx, void *window, int kind, uintptr_t owner1, uintptr_t owner2);
    void (*removeModeless)(void *ctx, void *window);
    void (*configChanged)(void *ctx);                          /* saved at exit */
    /* the get-thread counters shown with developer diagnostics */
    void (*getCounters)(void *ctx, QMS *location, int32_t *first, int32_t *second);
};

/* Null: the defaults, which reach a location's credentials and key-database
 * password, the repaint announcement, the dialog colours and the modeless
 * list directly (the rest do nothing). */
void LocDlgSetHooks(const LOCDLGHOOKS *hooks);
const LOCDLGHOOKS *LocDlgHooks(void);
/* Those defaults, for a caller that adds its own hooks to them. */
void LocDlgDefaultHooks(LOCDLGHOOKS *out);
