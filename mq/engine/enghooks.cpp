/* The table through which the engine calls the command agent and the
 * pieces of later subsystems; tests replace entries of it. */
#include "engint.h"
#include "locimport.h"

#include "cfgfile.h"

/* The lines of the frames are built by the shell, which installs its
 * builder; until then a rebuild does nothing. */
static int no_lines(void *)
{
    return 0;
}

static const MQEHOOKS defaults = {
    AnalyseCommand, ProcessCommand, SendErrorResponse, RequestQmgrRefresh, StartDownload,
    no_lines, VerCheckRun, ImportLocalQMgrs, LoadUnloadQueue, DebugDumpMessage,
    ProcessResponse, MarkDialogsStale, CfgFileWrite,
    ConfirmDiscardEdits, EdSetFormatName, EdSetMessageFormat, EdSetGenericFormat,
};

MQEHOOKS MQEHooks = defaults;

void MQEResetHooks(void)
{
    MQEHooks = defaults;
}
