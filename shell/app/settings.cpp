/* The settings of the shell that live in the profile: the default flags
 * and search texts of new frames, the panel width and message-list
 * height, the object dialogs' queue-manager list width, the main
 * window's placement, and the histories of the panel's fields; taken at
 * start-up and put back before the configuration is written. */
#include "shell.h"
#include "shellint.h"

#include <cstdio>

#include "cfgfile.h"
#include "cmddlg.h"
#include "prfdata.h"

/* The frame flags the profile keeps (its option word 2's view bits). */
static const uint32_t keptFlags = FF_SEARCH | FF_MQVERSION | FF_DEPTH | FF_QMNAME | FF_LOCATION |
                                  FF_SEARCHQ | FF_QCOUNT | FF_PREFIX;

CSLIST *ShellHistory(int which)
{
    return &Shell.history[which];
}

void ShellLoadSettings(void)
{
    Shell.defaultFlags = Prf.opt2 & keptFlags;
    snprintf(Shell.defaultSearch[0], sizeof Shell.defaultSearch[0], "%s", Prf.dftsrchloc);
    snprintf(Shell.defaultSearch[1], sizeof Shell.defaultSearch[1], "%s", Prf.dftsrchq);
    for (int i = 0; i < 2; i++)
        Shell.panelWidth[i] = Prf.mainQm[i];
    PcfWinPrefs.listHeightOne = Prf.mainMsgs[0];
    PcfWinPrefs.listHeightMany = Prf.mainMsgs[1];
}

void ShellStoreSettings(void)
{
    Prf.opt2 = (Prf.opt2 & ~keptFlags) | (Shell.defaultFlags & keptFlags);
    snprintf(Prf.dftsrchloc, sizeof Prf.dftsrchloc, "%s", Shell.defaultSearch[0]);
    snprintf(Prf.dftsrchq, sizeof Prf.dftsrchq, "%s", Shell.defaultSearch[1]);
    for (int i = 0; i < 2; i++)
        Prf.mainQm[i] = Shell.panelWidth[i];
    Prf.mainMsgs[0] = PcfWinPrefs.listHeightOne;
    Prf.mainMsgs[1] = PcfWinPrefs.listHeightMany;
    Prf.qmlistwid = PcfWinPrefs.qmListPosition;
}

int ShellWriteConfig(void)
{
    ShellStoreSettings();
    return CfgFileWrite();
}
