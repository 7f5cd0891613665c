/* The program-wide settings the command dialog reads, with their
 * defaults and what the profile gives of them. */
#include "cmddlg.h"

#include <cstring>

#include "cs.h"
#include "prfbits.h"
#include "prfdata.h"

PCFWINPREFS PcfWinPrefs;

/* Profile bits read here. */
#define PO_SAVE_POSITIONS 0x10        /* option word 1 ("savpos") */
#define PO_SAVE_SIZES     0x20        /* option word 1 ("savsize") */

void PCFWinPrefsDefaults(void)
{
    memset(&PcfWinPrefs, 0, sizeof PcfWinPrefs);
    PcfWinPrefs.sizes[0] = 2;        /* border */
    PcfWinPrefs.sizes[1] = 2;        /* line gap */
    PcfWinPrefs.sizes[2] = 8;        /* margin */
    PcfWinPrefs.tabOptions = 0x1;
    PcfWinPrefs.addContext = 32;
    PcfWinPrefs.updateContext = 512;
    PcfWinPrefs.numericWords[0] = 32;
    PcfWinPrefs.numericWords[1] = 512;
    PcfWinPrefs.rememberPositions = 1;
    PcfWinPrefs.rememberSizes = 1;
    PcfWinPrefs.stopOnReadOnly = 1;
    PcfWinPrefs.showObjectName = 1;
    PcfWinPrefs.retitleOnName = 1;
    PcfWinPrefs.showBackground = 0;
    strcpy(PcfWinPrefs.errorSound, "beep");
}

void PCFWinPrefsFromProfile(void)
{
    PcfWinPrefs.addContext = Prf.iactx;
    PcfWinPrefs.updateContext = Prf.iuctx;
    PcfWinPrefs.numericWords[0] = Prf.iactx;
    PcfWinPrefs.numericWords[1] = Prf.iuctx;
    PcfWinPrefs.rememberPositions = (Prf.opt1 & PO_SAVE_POSITIONS) != 0;
    PcfWinPrefs.rememberSizes = (Prf.opt1 & PO_SAVE_SIZES) != 0;
    PcfWinPrefs.arrowKeysMove = (Prf.po[0] & PO1_ARROWS_TAB) != 0;
    PcfWinPrefs.stopOnReadOnly = (Prf.po[1] & PO2_SELECT_READ_ONLY) != 0;
    PcfWinPrefs.noMonitorChecks = (Prf.po[1] & PO2_NO_DUAL_MONITOR) != 0;
    PcfWinPrefs.comboOnNameField = (Prf.po[1] & PO2_NAME_DROPDOWN) != 0;
    PcfWinPrefs.showObjectName = PcfWinPrefs.retitleOnName = (Prf.po[2] & PO3_NAME_IN_TITLE) != 0;
    PcfWinPrefs.filterListGlobal = (Prf.po[2] & PO3_GLOBAL_FILTER_HISTORY) != 0;
    PcfWinPrefs.qmListPosition = Prf.qmlistwid;
    PcfWinPrefs.toolbarStyle = (uint32_t)Prf.tb;
    PcfWinPrefs.tabOptions = (uint32_t)Prf.tds;
    UTStrCopy(PcfWinPrefs.errorSound, Prf.wsnd[0] ? Prf.wsnd : "beep", sizeof PcfWinPrefs.errorSound);
}

static struct WinPrefsInit {
    WinPrefsInit() { PCFWinPrefsDefaults(); }
} winPrefsInit;
