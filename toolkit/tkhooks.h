/* The toolkit's hooks: what it asks of the program above it, each filled
 * by the shell at start-up (shell/app/wiring.cpp).  An unset hook asks
 * nothing. */
#pragma once

#include <windows.h>

/* What the toolkit asks of the host, installed with one TkSetHooks call
 * (null, or an unset hook: nothing is asked). */
struct TKHOOKS {
    void *context;
    /* repaint every window (the mask says what changed: 2 the monitors) */
    void (*repaintAllWindows)(void *ctx, int mask);
    /* the bitmap list: name of entry i, null past the end */
    const char *(*bitmapName)(void *ctx, int index);
};
void TkSetHooks(const TKHOOKS *hooks);
const TKHOOKS *TkHooks(void);

/* Colours of dialogs, owned by the settings (null = the system's). */
struct DlgColourSet {
    COLORREF *text, *back;
    HBRUSH *brush;
    COLORREF *bandText, *bandBack;
    HBRUSH *bandBrush;
};
extern DlgColourSet dlgColours;

/* What UtilRemoveModeless calls for a window the list does not hold. */
void ModelessSetNotFound(void (*report)(void *window));
typedef void (*ModelessNotFoundProc)(void *window);
ModelessNotFoundProc ModelessNotFoundHook(void);
