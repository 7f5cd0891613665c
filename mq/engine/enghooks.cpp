/* The table through which the engine calls the command agent and the
 * pieces of later subsystems; tests replace entries of it. */
#include "engint.h"
#include "locimport.h"

static const MQEHOOKS defaults = {
    AnalyseCommand, ProcessCommand, SendErrorResponse, RequestQmgrRefresh, StartDownload,
    QListBuild, VerCheckRun, ImportLocalQMgrs, LoadUnloadQueue, DebugDumpMessage,
    ConfirmDiscardEdits, EdSetFormatName, EdSetMessageFormat, EdSetGenericFormat,
};

MQEHOOKS MQEHooks = defaults;

void MQEResetHooks(void)
{
    MQEHooks = defaults;
}
