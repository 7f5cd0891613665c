/* Stand-ins of the command dialog's services the pane's window calls,
 * until the command dialog is built: the status line takes the text, the
 * count window is repainted, the rest changes nothing. */
#include "edwnd.h"

void PCFDialogStatus(DialogWords *dialog, const char *text, int, int)
{
    if (dialog && dialog->statusLine)
        SetWindowTextA((HWND)dialog->statusLine, text ? text : "");
}

void PCFUpdateBrowseState(DialogWords *) {}
void PCFViewCommand(DialogWords *, int) {}
void PCFSetContextMenuTexts(DialogWords *) {}

void PCFRepaintCount(DialogWords *dialog)
{
    if (dialog && dialog->countWindow)
        InvalidateRect((HWND)dialog->countWindow, NULL, TRUE);
}
