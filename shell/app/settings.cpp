/* The settings of the shell that live in the profile: the default flags
 * and search texts of new frames, the panel width and message-list
 * height, the object dialogs' queue-manager list width, the main
 * window's placement, and the histories of the panel's fields; taken at
 * start-up and put back before the configuration is written.  Also what
 * the toolkit reads of the profile's options. */
#include "shell.h"
#include "shellint.h"

#include <cstdio>

#include "cfgfile.h"
#include "cmddlg.h"
#include "prfdata.h"
#include "tkutil.h"

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

/* Whether the main window was left maximised (also when it was then
 * minimised from there, or is still to be maximised at start-up);
 * unknown without a main window. */
static int main_maximised(int *maximised)
{
    WINDOWPLACEMENT wp = { sizeof wp };
    if (!Shell.mainWindow || !IsWindow(Shell.mainWindow) || !GetWindowPlacement(Shell.mainWindow, &wp))
        return 0;
    *maximised = wp.showCmd == SW_SHOWMAXIMIZED || Shell.maximisePending ||
                 (wp.showCmd == SW_SHOWMINIMIZED && (wp.flags & WPF_RESTORETOMAXIMIZED));
    return 1;
}

void ShellStoreSettings(void)
{
    int maximised;
    if (main_maximised(&maximised))
        Prf.mainMax = maximised;
    Prf.opt2 = (Prf.opt2 & ~keptFlags) | (Shell.defaultFlags & keptFlags);
    snprintf(Prf.dftsrchloc, sizeof Prf.dftsrchloc, "%s", Shell.defaultSearch[0]);
    snprintf(Prf.dftsrchq, sizeof Prf.dftsrchq, "%s", Shell.defaultSearch[1]);
    for (int i = 0; i < 2; i++)
        Prf.mainQm[i] = Shell.panelWidth[i];
    Prf.mainMsgs[0] = PcfWinPrefs.listHeightOne;
    Prf.mainMsgs[1] = PcfWinPrefs.listHeightMany;
    Prf.qmlistwid = PcfWinPrefs.qmListPosition;
}

void ShellHostFromProfile(void)
{
    tkHost.wholeDesktop = (Prf.po[1] & PO2_NO_INTEGRAL_MONITOR) != 0;
    tkHost.monitorChecksOff = (Prf.po[1] & PO2_NO_DUAL_MONITOR) != 0;
    tkHost.oemCharset = (Prf.po[0] & PO1_OEM_CHARSET) != 0;
}

int ShellWriteConfig(void)
{
    ShellStoreSettings();
    return CfgFileWrite();
}
