/* The history combo box of a command dialog (the MQSC console's input
 * box): its list filled again from the MQSC command history, the text
 * typed in it kept. */
#include "consolewnd.h"

#include "cmddlg.h"
#include "cs.h"

/* The history offered: the location's own, or the program's when the
 * option shares the histories; Alt held takes the other one. */
static CSLIST *HistoryOffered(QMS *location)
{
    int global = PcfWinPrefs.filterListGlobal;
    if (GetKeyState(VK_MENU) < 0)
        global = !global;
    return global || !location ? MQSCGlobalHistory() : &location->mqscCommands;
}

void FillHistoryCombo(QMS *location, HWND combo)
{
    if (!combo)
        return;
    int length = GetWindowTextLengthA(combo);
    char *kept = (char *)CSGetMem((size_t)length + 1, "HISTTEXT");
    if (!kept)
        return;
    GetWindowTextA(combo, kept, length + 1);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    SetWindowTextA(combo, kept);
    CSFreeMem(kept);
    CSLockGlobal(CSLOCK_DIALOGS);
    CSLIST *history = HistoryOffered(location);
    for (CSLISTELEM *e = history->first; e; e = e->next)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)(const char *)(e + 1));
    CSUnlockGlobal(CSLOCK_DIALOGS);
}
