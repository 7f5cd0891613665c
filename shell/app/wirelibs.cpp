/* The hooks that bind a lower library to a higher one and need no window:
 * installed once by WireLibraries(), which the program calls at start-up
 * (ShellInstallHooks) and tests call to run with the program's wiring. */
#include "wirelibs.h"
#include "cfgfile.h"
#include "dlginfo.h"
#include "locstore.h"

/* ---- the configuration's records read below it ------------------------ */

static void free_client_data(void *, QMS *location)
{
    CfgFreeClientSettings(location);
}

static void free_dialogs(void *, CSTREE **tree)
{
    DlgInfoFreeTree(tree);
}

static void wire_records(void)
{
    LOCRELEASEHOOKS r = {};
    r.freeClientData = free_client_data;
    r.freeDialogs = free_dialogs;
    LocSetReleaseHooks(&r);
}

void WireLibraries(void)
{
    wire_records();
}
