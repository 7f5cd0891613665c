/* The parse error box of the Windows product, through the toolkit. */
#include "userfmt.h"
#include "tkutil.h"

void UFErrorBox(void *context, void *owner, const char *text, const char *caption)
{
    (void)context;
    UtilMessageBox((HWND)owner, text, caption, MB_OK | MB_ICONERROR);
}
