/* The table through which the engine calls the command agent and the
 * pieces of later libraries; tests replace entries of it.  The later
 * pieces are null here: the program installs them (WireLibraries). */
#include "engint.h"

#include "cmddlg.h"

/* The program's own lists of no location (the event console's). */
static void MarkListsStale(int32_t command)
{
    MarkDialogsStale(nullptr, (uint32_t)command, 0, 1, 0);
}

/* The engine's own pieces; those of later libraries (the frames' lines,
 * the version check's follow-up, the import of the local queue managers,
 * loads and unloads, the debug dump, the configuration file, the message
 * editor, a dialog's export) stay null until the program installs them. */
static const MQEHOOKS defaults = {
    .analyse = AnalyseCommand, .process = ProcessCommand, .errorResponse = SendErrorResponse,
    .requestRefresh = RequestQmgrRefresh, .startDownload = StartDownload,
    .response = ProcessResponse, .markStale = MarkListsStale,
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
