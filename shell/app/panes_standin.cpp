/* Stand-in for a service of the command dialogs that a frame uses on its
 * panes, until the dialogs give it: posting a dialog's default refresh.
 * The dialogs' own version replaces this file. */
#include "shell.h"

#include "cmddlg.h"
#include "pcfwin.h"

void PCFPostRefresh(DialogWords *d)
{
    if (d && d->window)
        PostMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
}
