/* The console's file-name dialog on Windows: the common open-file dialog
 * (through the toolkit, whose runner tests may replace). */
#include "mqsc.h"

#include "filedlg.h"

int MQSCSystemFileDialog(MQSCFILEDIALOG *dlg, uint32_t *error)
{
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = dlg->filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = dlg->name;
    ofn.nMaxFile = dlg->size;
    ofn.lpstrInitialDir = dlg->folder;
    ofn.lpstrTitle = dlg->title;
    ofn.Flags = OFN_HIDEREADONLY | (dlg->mustExist ? OFN_FILEMUSTEXIST : OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN);
    if (UIRunFileDialog(&ofn))
        return 1;
    *error = CommDlgExtendedError();
    return 0;
}
