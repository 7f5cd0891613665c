/* The table through which the engine calls the command agent and the
 * pieces of later libraries; tests replace entries of it.  The later
 * pieces do nothing here: the program installs them (WireLibraries). */
#include "engint.h"

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

/* Until the program installs the later pieces: no version-check
 * follow-up, no import, no load or unload, no dump, no configuration
 * written, no message editor (no edits to keep), no export. */
static int no_vercheck(ThreadRequest *)
{
    return 0;
}

static void no_import(int)
{
}

static int no_load_unload(QMS *, ThreadRequest *, void *)
{
    return 0;
}

static void no_dump(QMS *, int, const MQMD *, const void *, int32_t)
{
}

static int no_write(void)
{
    return 0;
}

static int no_edits(DialogWords *)
{
    return 0;
}

static void no_format_name(DialogWords *)
{
}

static int no_format(DialogWords *)
{
    return 0;
}

static int no_generic_format(DialogWords *, const char *, int32_t, int32_t)
{
    return 0;
}

static int no_export(DialogWords *, int)
{
    return 0;
}

static const MQEHOOKS defaults = {
    AnalyseCommand, ProcessCommand, SendErrorResponse, RequestQmgrRefresh, StartDownload,
    no_lines, no_vercheck, no_import, no_load_unload, no_dump,
    ProcessResponse, MarkListsStale, no_write,
    no_edits, no_format_name, no_format, no_generic_format, no_export,
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
