/* The table through which the engine calls the command agent and the
 * pieces of later subsystems; tests replace entries of it. */
#include "engint.h"
#include "locimport.h"

#include "cfgfile.h"
#include "cmddlg.h"

/* The program's own lists of no location (the event console's). */
static void MarkListsStale(int32_t command)
{
    MarkDialogsStale(nullptr, (uint32_t)command, 0, 1, 0);
}

/* The lines of the frames are built by the shell, which installs its
 * builder; until then a rebuild does nothing. */
static int no_lines(void *)
{
    return 0;
}

static const MQEHOOKS defaults = {
    AnalyseCommand, ProcessCommand, SendErrorResponse, RequestQmgrRefresh, StartDownload,
    no_lines, VerCheckRun, ImportLocalQMgrs, LoadUnloadQueue, DebugDumpMessage,
    ProcessResponse, MarkListsStale, CfgFileWrite,
    ConfirmDiscardEdits, EdSetFormatName, EdSetMessageFormat, EdSetGenericFormat,
};

MQEHOOKS MQEHooks = defaults;

void MQEResetHooks(void)
{
    MQEHooks = defaults;
}

/* The host installs its pieces here (null puts back the defaults). */
void MQESetHooks(const MQEHOOKS *hooks)
{
    MQEHooks = hooks ? *hooks : defaults;
}
