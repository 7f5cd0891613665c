/* The table through which the engine calls the command agent and the
 * pieces of later subsystems; tests replace entries of it. */
#include "engint.h"
#include "locimport.h"

#include "cfgfile.h"

static const MQEHOOKS defaults = {
    AnalyseCommand, ProcessCommand, SendErrorResponse, RequestQmgrRefresh, StartDownload,
    QListBuild, VerCheckRun, ImportLocalQMgrs, LoadUnloadQueue, DebugDumpMessage,
    ProcessResponse, MarkDialogsStale, CfgFileWrite,
    ConfirmDiscardEdits, EdSetFormatName, EdSetMessageFormat, EdSetGenericFormat,
};

MQEHOOKS MQEHooks = defaults;

void MQEResetHooks(void)
{
    MQEHooks = defaults;
}
