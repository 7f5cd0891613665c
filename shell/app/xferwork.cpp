/* The transfer windows as the shell opens them: put, publish and
 * load/unload for a location (a message dialog's 918 and 919 are the
 * transfer windows' MsgFileCommand). */
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
