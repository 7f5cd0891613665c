/* Stand-in for the configuration's dialog records (dlgrec_standin.h):
 * the program-wide DLGINFO tree, the saved-dialog type table and a
 * capture that keeps the dialog's own record.  The real records replace
 * this file. */
#include "dlgrec_standin.h"
#include "dialogs.h"

CSTREE *DlgInfoGlobal;

int32_t DlgTypeValue1(int32_t type)
{
    return type == 1 || type == 9 ? 2016 : 0;
}

int32_t DlgTypeValue2(int32_t type)
{
    return type == 1 ? 20 : 0;
}

const void *DlgTypeValue3(int32_t type)
{
    return type == 1 ? (const void *)&PCFQueueListDef : type == 9 ? (const void *)&PCFMessageListDef : nullptr;
}

SAVEDDIALOG *SavedDialogCapture(int, DialogWords *dialog, const char *)
{
    return dialog ? dialog->saved : nullptr;
}
