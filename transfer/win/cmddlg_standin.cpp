/* Stand-in for the command dialog's routing of the message load and save
 * commands until the command dialog exists: 918 opens the save dialog,
 * 919 the load dialog of the message dialog. */
#include "xferwnd.h"

enum { IDM_SAVEMSG = 918, IDM_LOADMSG = 919 };

int PCFDialogCommand(DialogWords *dialog, int id)
{
    if (id == IDM_SAVEMSG)
        return SaveMsgDialog(dialog) != nullptr;
    if (id == IDM_LOADMSG)
        return LoadMsgDialog(dialog) != nullptr;
    return 0;
}
