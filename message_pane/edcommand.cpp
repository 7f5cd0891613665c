/* Commands a message dialog hands its pane: the view words and body
 * kinds (then the pane formats again), the display copy to the clipboard,
 * the mark, the view accelerators, and the captions the pane sets. */
#include "edwnd.h"
#include "edops.h"
#include "csmem.h"
#include "prfdata.h"
#include "qms.h"
#include "tkutil.h"
#include "tkwin.h"
#include <cstdio>
#include <cstring>

static EdClipboardCalls clipboard = { OpenClipboard, EmptyClipboard, SetClipboardData };

void EdSetClipboardCalls(const EdClipboardCalls *calls)
{
    clipboard = calls ? *calls : EdClipboardCalls{ OpenClipboard, EmptyClipboard, SetClipboardData };
}

static void Reformat(DialogWords *d)
{
    if (d->dataWindow)
        SendMessageA((HWND)d->dataWindow, UM_PANE_REFORMAT, 0, 0);
}

int EdDialogCommand(DialogWords *d, int id)
{
    switch (id) {
    case 568: case 569: case 570: case 571: case 572: case 573: case 609: case 640: case 673:
    case 674: case 737: case 775: case 936:
        ToggleViewOption(d, &d->viewWords[0], &d->viewWords[1], id);
        Reformat(d);
        return 1;
    case 922: case 923: case 924: case 925: case 926: case 927: case 928: case 929: case 930:
        SetViewModeOption(d, id);
        Reformat(d);
        return 1;
    case 670: case 692: case 813:
        ViewCopyToClipboard(d, id);
        return 1;
    case 905:
        EdSelectAnchor(d);
        return 1;
    case 906:
        EdSelectMark(d);
        return 1;
    case 900:
        return FRShowDialog(d);
    }
    return EdEditCommand(d, id);
}

/* A failed clipboard call: the block is not the clipboard's, the user is told. */
static void ClipboardFailed(HGLOBAL block, const char *what, int opened)
{
    if (opened)
        CloseClipboard();
    GlobalFree(block);
    WinOpError(what);
}

void ViewCopyToClipboard(DialogWords *d, int menuId)
{
    uint32_t size = 0;
    char *text = EdViewCopyText(d, menuId, &size, 1);
    char status[80];
    HGLOBAL block = text ? GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)size + 50) : NULL;
    if (!block) {
        if (text || size) {
            snprintf(status, sizeof status, "Can't allocate %u byte global heap", size);
            EdDialogStatus(d, status, 6);
        }
        if (text)
            CSFreeMem(text);
        return;
    }
    memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    CSFreeMem(text);
    HWND owner = d->dataWindow ? (HWND)d->dataWindow : (HWND)d->window;
    if (!clipboard.open(owner))
        return ClipboardFailed(block, "OpenClipboard", 0);
    if (!clipboard.empty())
        return ClipboardFailed(block, "EmptyClipboard failed", 1);
    if (!clipboard.set(CF_TEXT, block))
        return ClipboardFailed(block, "SetClipboard failed", 1);
    CloseClipboard();
    EdDialogStatus(d, "Copied to clipboard", 1);
}

static const ACCEL viewAccelerators[] = {
    { FVIRTKEY | FCONTROL, 'H', 568 }, { FVIRTKEY | FCONTROL | FSHIFT, 'H', 569 },
    { FVIRTKEY | FCONTROL, '1', 570 }, { FVIRTKEY | FCONTROL, '2', 571 },
    { FVIRTKEY | FCONTROL, '3', 572 }, { FVIRTKEY | FCONTROL, '0', 573 },
};

const ACCEL *EdViewAccelerators(int *count)
{
    *count = (int)(sizeof viewAccelerators / sizeof viewAccelerators[0]);
    return viewAccelerators;
}

void SetFrameTitle(DialogWords *d)
{
    HWND top = d && d->window ? GetAncestor((HWND)d->window, GA_ROOT) : NULL;
    if (!top)
        return;
    char title[300];
    int n = snprintf(title, sizeof title, "Ravolt");
    int tagged = !(Prf.po[0] & PO1_NO_TITLE_TIME) && !(Prf.po[2] & PO3_TIME_ON_RIGHT) &&
                 d->captionText[0];
    if (tagged)
        n += snprintf(title + n, sizeof title - (size_t)n, " - [%s]", d->captionText);
    if (QMS *q = EdLocation(d)) {
        if (d->queueName[0])
            snprintf(title + n, sizeof title - (size_t)n, " - %s/%s", q->qmName, d->queueName);
        else
            snprintf(title + n, sizeof title - (size_t)n, " - %s", q->qmName);
    }
    char shown[sizeof title];
    if (GetWindowTextA(top, shown, sizeof shown) > 0 && strcmp(shown, title) == 0)
        return;                         /* the caption drawn again would look the same */
    SetWindowTextA(top, title);
}

void ViewDebugText(DialogWords *d)
{
    PCFDATA *ed = d->editor;
    char text[200];
    int n = snprintf(text, sizeof text, "Scr(%d,%d,%d) ", (int)d->topLine, (int)d->lineCount,
                     (int)d->visibleLines);
    if (ed)
        snprintf(text + n, sizeof text - (size_t)n, "Scr(%d,%d,%d) ", ed->scroll.top, ed->scroll.lineCount,
                 ed->scroll.visible);
    if (d->window)
        SetWindowTextA((HWND)d->window, text);
}
