/* A command dialog recorded as a saved dialog: what its window shows
 * (show state, normal rectangle, caption, filter, the name of its object)
 * goes to the saved-dialog list, and its shown parts, refresh and display
 * words become the record's settings. */
#include "pcfwin.h"
#include "qms.h"
#include "cs.h"

/* The show state a saved record keeps: 1 minimised, 2 maximised, else 0. */
static int32_t ShowState(const WINDOWPLACEMENT &wp)
{
    if (wp.showCmd == SW_SHOWMINIMIZED || wp.showCmd == SW_MINIMIZE || wp.showCmd == SW_SHOWMINNOACTIVE)
        return 1;
    return wp.showCmd == SW_SHOWMAXIMIZED ? 2 : 0;
}

SAVEDDIALOG *SavedDialogCapture(int useTitle, DialogWords *d, const char *titleText)
{
    HWND hwnd = PCFWnd(d->window);
    DLGCAPTURE c = {};
    c.def = d->definition;
    c.noSave = (d->optionFlags & DO_BACKGROUND) != 0;
    c.record = d->saved;
    c.qmName = d->first.location ? d->first.location->qmName : "";
    memcpy(c.normal, d->placement[PCFPlacementSlot()], sizeof c.normal);
    WINDOWPLACEMENT wp = { sizeof wp };
    if (hwnd && GetWindowPlacement(hwnd, &wp)) {
        c.showState = ShowState(wp);
        const RECT &n = wp.rcNormalPosition;
        int32_t normal[4] = { n.left, n.top, n.right - n.left, n.bottom - n.top };
        memcpy(c.normal, normal, sizeof c.normal);
    }
    c.flags[0] = d->stateFlags;
    c.flags[1] = d->optionFlags;
    c.flags[2] = d->displayFlags;
    c.flags[3] = d->viewOptions;
    c.flags2 = d->markFlags;
    c.settings[0] = (int32_t)d->refreshRate;
    c.settings[1] = d->refreshAlign;
    c.filterText = d->filterShown;
    char caption[100] = "", name[100] = "";
    if (hwnd)
        GetWindowTextA(hwnd, caption, sizeof caption);
    c.caption = caption;
    int32_t nameAttr = DlgTypeValue1(d->saved ? d->saved->type : DlgTypeOf(d->definition));
    if (nameAttr)
        c.nameValue = PCFGetValueText(d, (uint32_t)nameAttr, name, sizeof name);
    SAVEDDIALOG *r = SavedDialogCapture(useTitle, &c, titleText);
    if (r && !c.noSave)
        PCFPutSavedSettings(d, &r->st);
    return r;
}
