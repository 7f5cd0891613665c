/* The settings the field values and list rows depend on, the hooks to
 * the windows and the command engine, and the chain of open dialogs. */
#include "pcfint.h"

#include <cstdio>

#include "cs.h"
#include "prfdata.h"

PCFPREFS PcfPrefs;
DialogWords *PCFOpenDialogs;

static PCFHOOKS Hooks;

/* Profile bits these settings come from. */

void PCFPrefsDefaults(void)
{
    memset(&PcfPrefs, 0, sizeof PcfPrefs);
    strcpy(PcfPrefs.sep1000, ",");
    strcpy(PcfPrefs.sepList, "; ");
    strcpy(PcfPrefs.sepInt, ", ");
    PcfPrefs.thousands = 1;
    PcfPrefs.wholeMultiStrings = 1;
    PcfPrefs.historyMax = 10;
    PcfPrefs.dataBytesShown = 50;
    PcfPrefs.maxMsgSize = 10000;
    strcpy(PcfPrefs.msgRange, "1,100");
}

void PCFPrefsFromProfile(void)
{
    UTStrCopy(PcfPrefs.sep1000, Prf.sep1000, sizeof PcfPrefs.sep1000);
    UTStrCopy(PcfPrefs.sepList, Prf.seplist, sizeof PcfPrefs.sepList);
    UTStrCopy(PcfPrefs.sepInt, Prf.sepind, sizeof PcfPrefs.sepInt);
    PcfPrefs.thousands = (Prf.po[2] & PO3_THOUSANDS) != 0;
    PcfPrefs.refreshMessageLists = (Prf.po[2] & PO3_AUTO_UPDATE_BROWSE) != 0;
    PcfPrefs.localTime = (Prf.po[1] & PO2_LOCAL_TIMES) != 0;
    PcfPrefs.localOffset = Prf.tzEffective;
    PcfPrefs.maxMsgSize = Prf.maxm;
    UTStrCopy(PcfPrefs.msgRange, Prf.disr[0] ? Prf.disr : "1,100", sizeof PcfPrefs.msgRange);
    if (Prf.msgdsp > 0)
        PcfPrefs.dataBytesShown = Prf.msgdsp;
    PcfPrefs.historyMax = Prf.hso;             /* "History of Object Names" */
}

static struct PrefsInit {
    PrefsInit() { PCFPrefsDefaults(); }
} prefsInit;

void PCFSetHooks(const PCFHOOKS *hooks)
{
    if (hooks)
        Hooks = *hooks;
    else
        memset(&Hooks, 0, sizeof Hooks);
}

const PCFHOOKS *PCFHooks(void)
{
    return &Hooks;
}

int PCFPost(void *window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (!Hooks.post || !window)
        return 0;
    return Hooks.post(Hooks.context, window, message, wParam, lParam);
}

void PCFStatus(DialogWords *dialog, const char *text, uint32_t flags)
{
    if (Hooks.status && dialog)
        Hooks.status(Hooks.context, dialog, text, flags);
}

const uint8_t *PCFDialogCaps(const DialogWords *dialog)
{
    return dialog ? dialog->first.caps : nullptr;
}

/* The unhandled-parameter text: "%d," per id, at most 999 characters. */
void PCFUnhandled(DialogWords *dialog, int32_t id)
{
    if (!dialog || !PcfPrefs.diagnostics)
        return;
    if (!dialog->unhandled) {
        dialog->unhandled = (char *)CSGetMem(1000, "UNHANDLED");
        if (!dialog->unhandled)
            return;
        dialog->unhandled[0] = 0;
    }
    size_t used = strlen(dialog->unhandled);
    char item[16];
    int n = snprintf(item, sizeof item, "%d,", (int)id);
    if (n > 0 && used + (size_t)n <= 999)
        memcpy(dialog->unhandled + used, item, (size_t)n + 1);
}
