/* The location imports' hooks: their message boxes, the hand-over of the
 * local list to the main frame and the Location Settings dialog.  Unset
 * members fall back to the import's own host part (Win32 in the product,
 * nothing natively); tests put recorders here. */
#pragma once

struct QMS;
struct IMPORTLIST;

struct IMPORTHOOKS {
    void *context;
    /* A box over owner (a window or null); error: the error icon, else the
     * information icon. */
    void (*box)(void *ctx, void *owner, const char *text, const char *caption, int error);
    /* Hands a list of local queue managers to the user-interface thread. */
    void (*postLocal)(void *ctx, IMPORTLIST *list);
    /* The open Location Settings dialog of a location: close it (0), take
     * the location's new client settings (1), show the new settings (2). */
    void (*settings)(void *ctx, QMS *location, int event);
};
void ImportSetHooks(const IMPORTHOOKS *hooks);
const IMPORTHOOKS *ImportHooks(void);
