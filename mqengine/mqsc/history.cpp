/* The console's command histories: one per location (saved with it as
 * "MQS:") and one for the program, each the 20 newest distinct commands,
 * the newest last. */
#include "mqsc.h"

#include "cs.h"

static CSLIST Global;

CSLIST *MQSCGlobalHistory(void)
{
    return &Global;
}

static const char *Text(CSLISTELEM *e)
{
    return (const char *)(e + 1);
}

void MQSCHistoryPush(CSLIST *history, const char *text)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    if (!history->last || strcmp(Text(history->last), text)) {
        for (CSLISTELEM *e = history->first; e; e = e->next)
            if (!strcmp(Text(e), text)) {
                CSListRemove(e);
                break;
            }
        CSListAdd(history, "HIST", CSLIST_COPYDATA, text, strlen(text) + 1);
        while (history->count > MQSC_HISTORY_SIZE)
            CSListRemove(history->first);
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

void MQSCHistoryAdd(DialogWords *d, const char *text)
{
    if (d && d->first.location)
        MQSCHistoryPush(&d->first.location->mqscCommands, text);
    MQSCHistoryPush(&Global, text);
}
