/* The services of the command dialog that holds the pane, as the pane's
 * window code calls them: the status line, the menu state, view
 * commands, the put-context texts, the count window, the whole message
 * asked for again, and the program's list of modeless windows for the
 * pane's find dialog. */
#include "edwnd.h"
#include "pcfwin.h"

void EdDialogStatus(DialogWords *d, const char *text, int mode)
{
    if (d)
        PCFDialogStatus(d, text ? text : "", nullptr, (uint32_t)mode);
}

void EdDialogBrowseState(DialogWords *d)
{
    if (d && d->definition)
        PCFUpdateBrowseState(d, 1);
}

void EdDialogView(DialogWords *d, int id)
{
    if (d && d->definition)
        PCFViewCommand(d, id);
}

void EdDialogContextTexts(DialogWords *d)
{
    if (d)
        PCFSetContextMenuTexts(d);
}

void EdDialogCount(DialogWords *d)
{
    if (d && d->countWindow)
        InvalidateRect(PCFWnd(d->countWindow), NULL, TRUE);
}

void EdDialogFetchWhole(DialogWords *d)
{
    if (d && d->definition)
        PCFFetchWholeMessage(d);
}

void EdDialogModeless(HWND window, DialogWords *d, int add)
{
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (add && s->addModeless)
        s->addModeless(s->context, window, 0, EdLocation(d), 0);
    else if (!add && s->removeModeless)
        s->removeModeless(s->context, window);
}
