/* Registration of the program's own control classes and the metrics
 * the family shares. */
#include "tkcontrols.h"
#include "tkpriv.h"
#include "tkspin.h"

WNDPROC TkListBoxProc(void);
WNDPROC TkBuddyListProc(void);
WNDPROC TkTitleListProc(void);
WNDPROC TkTitleProc(void);
WNDPROC TkTitleBuddyProc(void);
WNDPROC TkSplitListProc(void);
WNDPROC TkProgressProc(void);
WNDPROC TkFrameProc(void);
WNDPROC TkSelectionBoxProc(void);
WNDPROC TkButtonProc(void);
WNDPROC TkDropTipProc(void);

TkMetrics tkMetrics;
static HINSTANCE instance;
static int registered;

void TkLoadMetrics(void)
{
    tkMetrics.cxEdge = GetSystemMetrics(SM_CXEDGE);
    tkMetrics.cyEdge = GetSystemMetrics(SM_CYEDGE);
    tkMetrics.cxEdge2 = 2 * tkMetrics.cxEdge;
    tkMetrics.cyEdge2 = 2 * tkMetrics.cyEdge;
    tkMetrics.cxVScroll = GetSystemMetrics(SM_CXVSCROLL);
    tkMetrics.cyHScroll = GetSystemMetrics(SM_CYHSCROLL);
}

HINSTANCE TkInstance(void)
{
    return instance ? instance : GetModuleHandleA(NULL);
}

void RectOffset(RECT *rc, int dx, int dy)
{
    rc->left += dx;
    rc->right += dx;
    rc->top += dy;
    rc->bottom += dy;
}

/* one class of the family */
static int register_class(const char *name, WNDPROC proc, UINT style, int cursor)
{
    WNDCLASSA wc;
    if (GetClassInfoA(instance, name, &wc))
        return 1;
    memset(&wc, 0, sizeof wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = 24;
    wc.hInstance = instance;
    wc.hCursor = cursor ? LoadCursor(NULL, IDC_ARROW) : NULL;
    wc.hbrBackground = (HBRUSH)(COLOR_MENU + 1);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

int RegisterControlClasses(HINSTANCE inst)
{
    if (registered)
        return 1;
    instance = inst ? inst : GetModuleHandleA(NULL);
    TkLoadMetrics();
    static const struct { const char *name; WNDPROC (*proc)(void); UINT style; int cursor; } classes[] = {
        {ZKT_LISTBOX, TkListBoxProc, CS_DBLCLKS, 1},
        {ZKT_BUDDYLIST, TkBuddyListProc, CS_DBLCLKS, 1},
        {ZKT_TITLELIST, TkTitleListProc, CS_DBLCLKS, 1},
        {ZKT_TITLE, TkTitleProc, CS_DBLCLKS, 1},
        {ZKT_TITLEBUDDY, TkTitleBuddyProc, CS_DBLCLKS, 1},
        {ZKT_SPLITLIST, TkSplitListProc, CS_DBLCLKS, 1},
        {ZKT_PROGRESS, TkProgressProc, CS_DBLCLKS, 1},
        {ZKT_FRAME, TkFrameProc, CS_DBLCLKS, 1},
        {ZKT_SELECTIONBOX, TkSelectionBoxProc, CS_DBLCLKS, 1},
        {ZKT_BUTTON, TkButtonProc, CS_DBLCLKS, 1},
        {ZKT_DROPTIP, TkDropTipProc, CS_HREDRAW | CS_VREDRAW | CS_PARENTDC, 0},
    };
    for (const auto &c : classes)
        if (!register_class(c.name, c.proc(), c.style, c.cursor))
            return 0;
    if (!SpinRegisterClass(instance))
        return 0;
    registered = 1;
    return 1;
}
