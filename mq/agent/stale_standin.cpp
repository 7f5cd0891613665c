/* Stand-in for the dialogs' refresh marks until the dialog windows
 * exist: no dialog is open to be marked. */
#include "agentint.h"

void MarkDialogsStale(int32_t)
{
}
