/* The transfer windows as the shell opens them: put, publish and
 * load/unload for a location, and a message dialog's message saved to or
 * loaded from a file (918, 919). */
#include "xferwnd.h"

void ShellPutDialog(QMS *location, int)
{
    PutDialog(location, nullptr);
}

void ShellPublishDialog(QMS *location, void *, int)
{
    PublishDialog(location, nullptr, nullptr);
}

void ShellDraskDialog(QMS *location, int)
{
    DraskDialog(location, nullptr);
}

void ShellMessageFile(void *, DialogWords *dialog, int32_t command)
{
    if (command == 918)
        SaveMsgDialog(dialog);
    else if (command == 919)
        LoadMsgDialog(dialog);
}
