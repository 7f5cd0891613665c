/* Stand-in for the command dialog's count of dialogs whose filter raised
 * the alarm (state flag 0x80), until the dialog instance keeps it: the
 * dialog's FreeDialogWords lowers it and PCFSetFilterMark joins its
 * PCFClearFilterMark there. */
#include "filters.h"

static int32_t FilterMarked;

int32_t PCFFilterMarkedCount(void)
{
    return FilterMarked;
}

void PCFClearFilterMark(DialogWords *dialog)
{
    if (!(dialog->stateFlags & DF_FILTER_MARKED))
        return;
    dialog->stateFlags &= ~DF_FILTER_MARKED;
    if (FilterMarked > 0)
        FilterMarked--;
}

void PCFSetFilterMark(DialogWords *dialog)
{
    if (dialog->stateFlags & DF_FILTER_MARKED)
        return;
    dialog->stateFlags |= DF_FILTER_MARKED;
    FilterMarked++;
}
