/* The repaint announcement carried out on the object dialogs: what each
 * bit of a repaint mask asks of an open command dialog, in table order,
 * the whole window repainted last whatever the mask. */
#include "pcfwin.h"
#include "pcflistwin.h"

#include <initializer_list>

#include "cnt.h"
#include "colours.h"
#include "cs.h"
#include "dlgcolours.h"
#include "tktoolbar.h"
#include "tkutil.h"
#include "tkwin.h"

static HWND Wnd(DialogWords *d)
{
    return PCFWnd(d->window);
}

/* 0x2: back to the placement saved for the monitors there are now. */
static void Place(DialogWords *d)
{
    if (d->optionFlags & (DO_CHILD | DO_IN_CALLER_WINDOW))
        return;
    int slot = UtilDisplayLayout()->monitors > 1 ? 1 : 0;
    if (d->placement[slot][2] > 0 && d->placement[slot][3] > 0)
        PCFMoveToPlacement(d, slot, d->placement[slot][2], d->placement[slot][3]);
}

/* 0x4: the window's colours, the queue-manager list's slots again. */
static void Colours(DialogWords *d)
{
    PCFSetWindowsColours(d);
    if (d->qmList)
        cntSetColours(PCFWnd(d->qmList), ColourRef(CLR_LISTFG), ColourRef(CLR_LISTBG), ColourRef(13));
}

/* 0x8: the program font, laid out again. */
static void Font(DialogWords *d)
{
    SendMessageA(Wnd(d), UM_NEWFONT, 1, 0);
}

/* 0x10: a list's columns measured again before it is repainted. */
static void ListLines(DialogWords *d)
{
    if (!d->splitList)
        return;
    SendMessageA(Wnd(d), UM_RESIZE_COLUMNS, 0, 0);
    RedrawWindow(PCFWnd(d->splitList), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

/* 0x20: the title composed again. */
static void Title(DialogWords *d)
{
    PCFDialogTitle(d, nullptr);
    RedrawWindow(Wnd(d), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

/* 0x40: the toolbar's style as the profile has it. */
static void Toolbar(DialogWords *d)
{
    if (!d->toolbar)
        return;
    TbSetStyle(PCFWnd(d->toolbar), PcfWinPrefs.toolbarStyle);
    PCFPositionDialogFields(d, 1);
}

/* 0x100: the second pane (the message pane and the count of its
 * position) drawn again too. */
static void SecondPane(DialogWords *d)
{
    for (void *w : { d->dataWindow, d->countWindow })
        if (w)
            InvalidateRect(PCFWnd(w), nullptr, TRUE);
}

/* 0x400: the rows of a list built again for the measured font. */
static void Rows(DialogWords *d)
{
    if (!d->splitList)
        return;
    SendMessageA(Wnd(d), UM_NEWFONT, 1, 0);
    PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
}

/* 0x1000: the date fields checked again. */
static void DateFields(DialogWords *d)
{
    SendMessageA(Wnd(d), UM_DATE_FIELDS, 0, 0);
}

/* 0x1, always. */
static void Repaint(DialogWords *d)
{
    RedrawWindow(Wnd(d), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

static const struct {
    uint32_t bit;
    void (*apply)(DialogWords *d);
} Effects[] = {
    { RP_PLACE, Place },     { RP_COLOURS, Colours },       { RP_FONT, Font },
    { RP_LIST, ListLines },  { RP_TITLE, Title },           { RP_TOOLBAR, Toolbar },
    { RP_SECONDPANE, SecondPane }, { RP_ROWS, Rows },       { RP_PANELS, DateFields },
    { RP_ALL, Repaint },
};

void PCFRepaintDialogs(uint32_t mask)
{
    DialogWords *open[256];
    HWND windows[256];
    int n = 0;
    if (mask & RP_TOOLBAR)
        PCFWinPrefsFromProfile();
    if (mask & RP_ROWS)
        WinMeasureFont();
    CSLockGlobal(CSLOCK_DIALOGS);
    for (DialogWords *d = PCFOpenDialogs; d && n < 256; d = d->next)
        if (!(d->stateFlags & DF_CLOSING) && d->window) {
            windows[n] = Wnd(d);
            open[n++] = d;
        }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    for (const auto &e : Effects) {
        if (!(mask & e.bit) && e.bit != RP_ALL)
            continue;
        for (int i = 0; i < n; i++)
            if (IsWindow(windows[i]) && PCFDialogOf(windows[i]) == open[i])
                e.apply(open[i]);
    }
}
