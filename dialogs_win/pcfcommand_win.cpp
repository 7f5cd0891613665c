/* WM_COMMAND of the command dialog: each id (menu item, button, toolbar
 * button, accelerator) to its handler: the dialog's own actions to the
 * command engine, location commands to the shell, editor and structure
 * commands to the message editor, view and pane toggles here.  Commands
 * that step or edit a structure are remembered so that 6004 repeats
 * them. */
#include "pcfwin.h"
#include "expwin.h"
#include "fltwin.h"
#include "pcflistwin.h"

#include "bag.h"
#include "cnt.h"
#include "cs.h"
#include "command.h"
#include "consolewnd.h"
#include "mq/mqown.h"
#include "tktoolbar.h"

/* A handler: its result; *repeat set for a repeatable command. */
typedef LRESULT (*CommandFn)(DialogWords *d, int32_t id, int notify, LPARAM lp, int *repeat);

struct CommandRow {
    int32_t first, last;
    CommandFn fn;
};

static HWND Wnd(const DialogWords *d) { return PCFWnd(d->window); }

/* Relabels the view items, lays out and repaints after a toggle. */
static void Relayout(DialogWords *d)
{
    PCFSetShowHideTexts(d);
    PCFSetMenu(d);
    PCFPositionDialogFields(d, 1);
    InvalidateRect(Wnd(d), nullptr, TRUE);
}

/* A shown-part bit kept in the saved dialog or the DLGINFO. */
static void KeepShown(DialogWords *d, uint32_t *word, uint32_t bit, int on)
{
    if (d->saved && !PcfWinPrefs.captureOff) {
        SavedDialogCapture(0, d, nullptr);
        return;
    }
    if (word)
        *word = on ? *word | bit : *word & ~bit;
}

static LRESULT Cancel(DialogWords *d, int32_t, int, LPARAM, int *)
{
    d->stateFlags |= DF_CANCELLED;
    PostMessageA(Wnd(d), WM_CLOSE, 0, 0);
    return 0;
}

static LRESULT FilterDrop(DialogWords *d, int32_t, int notify, LPARAM, int *)
{
    if (notify == CBN_DROPDOWN)
        PCFSetFilterValues(d);
    return 0;
}

static LRESULT FilterButton(DialogWords *d, int32_t, int, LPARAM, int *)
{
    PCFDialogStatus(d, "", nullptr, 0);
    d->displayFlags &= ~0x600u;
    PCFNewFilter(d, 1);
    return 0;
}

/* 26: the history combo's list filled again as it drops down; a combo
 * another window took as its own (the MQSC console's input box) still
 * tells the dialog, which passes it on. */
static LRESULT HistoryDrop(DialogWords *d, int32_t id, int notify, LPARAM lp, int *)
{
    HWND combo = PCFWnd(d->historyCombo), taker = combo ? GetParent(combo) : nullptr;
    if (taker && taker != Wnd(d))
        return SendMessageA(taker, WM_COMMAND, MAKEWPARAM(id, notify), lp);
    if (notify == CBN_DROPDOWN)
        FillHistoryCombo(d->first.location, combo);
    return 0;
}

/* 501, 502, 503, 754: buttons, fields, filter, toolbar shown or hidden. */
static LRESULT ShowHide(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    uint32_t *info = d->dlgInfo ? &d->dlgInfo->optA : nullptr;
    if (id == 754) {
        d->optionFlags ^= DO_TOOLBAR;
        KeepShown(d, d->dlgInfo ? &d->dlgInfo->optB : nullptr, DLGB_TL, (d->optionFlags & DO_TOOLBAR) != 0);
        if (d->toolbar)
            ShowWindow(PCFWnd(d->toolbar), (d->optionFlags & DO_TOOLBAR) ? SW_SHOW : SW_HIDE);
    } else {
        uint32_t bit = id == 501 ? DF_SHOW_BUTTONS : id == 502 ? DF_SHOW_FIELDS : DF_SHOW_FILTER;
        d->stateFlags ^= bit;
        KeepShown(d, info, bit, (d->stateFlags & bit) != 0);
        if (d->toolbar)
            TbSetButtonState(PCFWnd(d->toolbar), id, (d->stateFlags & bit) != 0);
    }
    Relayout(d);
    return 0;
}

static LRESULT AutoRefresh(DialogWords *d, int32_t, int, LPARAM, int *)
{
    PCFAutoRefreshDialog(d);
    return 0;
}

static LRESULT AlterList(DialogWords *d, int32_t, int, LPARAM, int *)
{
    if ((d->definition->flags & PCFD_PAIR) && !CheckQmgrPair(d, 1))
        return 0;
    PCFAlterListOpen(d);
    return 0;
}

static LRESULT RefreshAtOpen(DialogWords *d, int32_t, int, LPARAM, int *)
{
    d->stateFlags ^= DF_REFRESH_AT_OPEN;
    if (d->dlgInfo)
        KeepShown(d, &d->dlgInfo->optA, DLGA_INITREFRESH, (d->stateFlags & DF_REFRESH_AT_OPEN) != 0);
    PCFSetMenu(d);
    return 0;
}

static LRESULT StepMessage(DialogWords *d, int32_t id, int, LPARAM, int *repeat)
{
    PCFStepMessage(d, id);
    *repeat = 1;
    return 0;
}

/* 564: the execute target opens for the same location; this one closes. */
static LRESULT Execute(DialogWords *d, int32_t, int, LPARAM, int *)
{
    if (d->executeDef) {
        DialogWords t = {};
        t.definition = d->executeDef;
        t.first.location = d->first.location;
        t.executeWords[0] = d->executeWords[0];
        t.executeWords[1] = d->executeWords[1];
        PCFCommandDialog(nullptr, PCFWnd(d->ownerWindow), &t, nullptr);
    }
    PostMessageA(Wnd(d), WM_CLOSE, 0, 0);
    return 0;
}

static LRESULT View(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    PCFViewCommand(d, id);
    return 0;
}

/* 610-613: exactly one title mode. */
static LRESULT TitleMode(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    static const uint32_t modes[] = { DF_TITLE_AUTO, DF_TITLE_FULL, DF_TITLE_SHORT, DF_TITLE_NAME };
    uint32_t mode = modes[id - 610];
    d->stateFlags = (d->stateFlags & ~DF_TITLE_MODES) | mode;
    if (d->dlgInfo)
        d->dlgInfo->optA = (d->dlgInfo->optA & ~(uint32_t)DF_TITLE_MODES) | mode;
    PCFSetMenu(d);
    PCFCalculateListSizes(d, 0);
    PCFPositionDialogFields(d, 1);
    return 0;
}

/* 616: the filter text, trimmed, as the kind's default filter. */
static LRESULT FilterDefault(DialogWords *d, int32_t, int, LPARAM, int *)
{
    char text[302];
    if (!d->dlgInfo || !d->filterWindow)
        return 0;
    GetWindowTextA(PCFWnd(d->filterWindow), text, sizeof text);
    const char *start = text;
    int n = (int)strlen(text);
    UTTrimSpan(&start, &n);
    CSFreeMemAndClear(&d->dlgInfo->dftFilter);
    if (n > 0 && (d->dlgInfo->dftFilter = (char *)CSGetMem((size_t)n + 1, "DEFFILTER")) != nullptr) {
        memcpy(d->dlgInfo->dftFilter, start, (size_t)n);
        d->dlgInfo->dftFilter[n] = 0;
    }
    return 0;
}

static LRESULT Export(DialogWords *d, int32_t, int, LPARAM, int *)
{
    ExpOpenDialog(d, PCFWnd(d->window));
    return 0;
}

static LRESULT CopyView(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    if (d->editor)
        PCFPaneCopyView(d, id);
    return 0;
}

static LRESULT SplitList(DialogWords *d, int32_t, int, LPARAM, int *)
{
    d->stateFlags ^= DF_SPLIT_TOGGLE;
    int on = (d->stateFlags & DF_SPLIT_TOGGLE) != 0;
    if (d->menu)
        CheckMenuItem((HMENU)d->menu, 684, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    if (d->toolbar)
        TbSetButtonState(PCFWnd(d->toolbar), 684, on);
    if (d->splitList)
        SendMessageA(PCFWnd(d->splitList), 1229, on, 0);
    return 0;
}

static LRESULT SaveDialog(DialogWords *d, int32_t, int, LPARAM, int *)
{
    char title[100];
    GetWindowTextA(Wnd(d), title, sizeof title);
    SAVEDDIALOG *saved = SavedDialogCapture(1, d, title);
    if (!saved)
        return 0;
    d->saved = saved;
    /* the dialog is its record's open window from now on, as one opened
       from the record is: the inquiry counts it, a switch brings it
       forward, and closing it lets the record go (FreeDialogWords) */
    if (!saved->openDialog)
        saved->openDialog = d;
    return 0;
}

static LRESULT HideSystem(DialogWords *d, int32_t, int, LPARAM, int *)
{
    d->optionFlags ^= DO_HIDE_SYSTEM;
    if (d->dlgInfo)
        KeepShown(d, &d->dlgInfo->optB, DLGB_NOSYS, (d->optionFlags & DO_HIDE_SYSTEM) != 0);
    PCFSetMenu(d);
    PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
    return 0;
}

static LRESULT ResetWidths(DialogWords *d, int32_t, int, LPARAM, int *)
{
    PCFCalculateListSizes(d, 1);
    return 0;
}

/* 780: the queue-manager list pane shown or hidden. */
static LRESULT QmListPane(DialogWords *d, int32_t, int, LPARAM, int *)
{
    if (!d->qmList || !d->bag)
        return 0;
    BagRecord *bag = (BagRecord *)d->bag;
    HWND qm = PCFWnd(d->qmList);
    if (d->optionFlags & DO_QMLIST) {
        d->optionFlags &= ~DO_QMLIST;
        BagHide(bag, qm, BAG_LEFT);
    } else {
        d->optionFlags |= DO_QMLIST;
        if (!(d->optionFlags & DO_QMLIST_PLACED) && PcfWinPrefs.qmListPosition > 0) {
            BagSetPanePos(bag, qm, PcfWinPrefs.qmListPosition, 0, 0);
            d->optionFlags |= DO_QMLIST_PLACED;
        }
        BagShow(bag, qm);
        cntScrollToSelection(qm);
        SetFocus(qm);
    }
    if (d->toolbar)
        TbSetButtonState(PCFWnd(d->toolbar), 780, (d->optionFlags & DO_QMLIST) != 0);
    PCFSetShowHideTexts(d);
    return 0;
}

static LRESULT ResetQmList(DialogWords *d, int32_t, int, LPARAM, int *)
{
    for (PCFLISTREQ *r = d->lists ? d->lists : &d->first; r; r = d->lists ? r->next : nullptr)
        r->flags &= ~PCFLR_SELECTED;
    d->optionFlags |= DO_SEVERAL_QMGRS;
    PCFUpdateListCount(d);
    PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
    return 0;
}

static LRESULT CopyList(DialogWords *d, int32_t, int, LPARAM, int *)
{
    PCFCopyListText(d);
    return 0;
}

/* Editor commands of the pane; those that change the bytes rebuild its
 * lines themselves. */
static LRESULT Editor(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    PCFEditorCommand(d, id);
    return 0;
}

static LRESULT MessageFile(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (s->messageFile)
        s->messageFile(s->context, d, id);
    else
        PCFDialogStatus(d, "Loading and saving messages are not available in this build", nullptr, 5);
    return 0;
}

/* The body kind (922-930): the pane formats again. */
static LRESULT ViewMode(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    PCFEditorCommand(d, id);
    return 0;
}

/* The message-view words, which also become the program-wide defaults. */
static LRESULT ViewOption(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    if (!PCFEditorCommand(d, id))
        return 0;
    PcfWinPrefs.viewWords[0] = d->viewWords[0];
    PcfWinPrefs.viewWords[1] = d->viewWords[1];
    return 0;
}

static LRESULT RemoveColumnFilters(DialogWords *d, int32_t, int, LPARAM, int *)
{
    ColFilterClearChanged(d);
    return 0;
}

static LRESULT ColumnFilterShown(DialogWords *d, int32_t, int, LPARAM, int *)
{
    d->displayFlags ^= 0x800000;
    if (d->saved)
        d->saved->st.ds3 = (int32_t)d->displayFlags;
    else if (d->dlgInfo)
        d->dlgInfo->ds3 = (int32_t)d->displayFlags;
    PCFSetShowHideTexts(d);
    PCFUpdateList(d, 0, nullptr, 1, 0, nullptr);
    InvalidateRect(Wnd(d), nullptr, TRUE);
    return 0;
}

/* What a double click on a row issues: 517 (the object's Properties), or
 * in a list without it, such as a message list, its action that opens
 * the row (Open). */
static int OpenId(DialogWords *d)
{
    const PCFActionDef *actions = d->definition->actions;
    if (PCFFindActionDef(actions, 517))
        return 517;
    const PCFActionDef *open = PCFFindActionFlags(actions, 0x4, 0);
    return open ? open->id : 517;
}

/* Notifications of the lists: a double click opens, a selection sets the menu. */
static LRESULT Lists(DialogWords *d, int32_t, int notify, LPARAM, int *)
{
    if (notify == LBN_DBLCLK) {
        const PCFSHELLHOOKS *s = PCFShellHooks();
        int browse = d->definition == &PCFQueueListDef && s->altKeyOption && s->altKeyOption(s->context) &&
                     PCFCheckBrowsable(d);
        SendMessageA(Wnd(d), WM_COMMAND, browse ? 782 : OpenId(d), 0);
    } else if (notify == LBN_SELCHANGE) {
        PCFSetMenu(d);
    }
    return 0;
}

/* The location of a selected row's queue manager, else the dialog's. */
static LRESULT LocationCommand(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    QMS *location = d->first.location;
    PCFROW *row = nullptr;
    if (d->definition->list && PCFSelectedRows(d, &row, nullptr) > 0 && row && row->request &&
        row->request->location)
        location = row->request->location;
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (s->doAction)
        s->doAction(s->context, Wnd(d), location, nullptr, id);
    else
        PCFDialogStatus(d, "The location commands are not available in this build", location, 5);
    return 0;
}

/* 6010-6012: every row of the list selected, none, or the selection
 * inverted. */
static LRESULT SelectRows(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    static const int how[] = { PCFSEL_ALL, PCFSEL_NONE, PCFSEL_INVERT };
    if (d->definition && d->definition->list)
        PCFSelectRows(d, how[id - 6010]);
    return 0;
}

static LRESULT Structure(DialogWords *d, int32_t id, int, LPARAM, int *repeat)
{
    PCFEditorCommand(d, id);
    *repeat = 1;
    return 0;
}

static LRESULT Repeat(DialogWords *d, int32_t, int, LPARAM, int *)
{
    if (d->repeatMessage)
        PostMessageA(Wnd(d), d->repeatMessage, (WPARAM)d->repeatWParam, (LPARAM)d->repeatLParam);
    return 0;
}

/* A dialog action: to every selected queue manager, or to the engine. */
static LRESULT Action(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    const PCFHOOKS *h = PCFHooks();
    if (id == PCFID_DEFAULT && d->qmList)
        return h->sendToAll ? h->sendToAll(h->context, d, (uint32_t)id) : 0;
    return h->doCommand ? h->doCommand(h->context, d, (uint32_t)id, nullptr, nullptr) : 0;
}

/* 6013-6015: the first, next or previous page of a message list: its
 * range moved, the list asked for again. */
static LRESULT Page(DialogWords *d, int32_t id, int, LPARAM, int *)
{
    static const int how[] = { PCFPAGE_FIRST, PCFPAGE_NEXT, PCFPAGE_PREVIOUS };
    char range[40] = "", paged[40];
    const char *now = PCFGetValueText(d, MYPCFA_MSG_RANGE, range, sizeof range);
    if (!PCFPageRange(now, how[id - 6013], paged, sizeof paged))
        return 0;
    PCFSetFieldText(d, MYPCFA_MSG_RANGE, paged);
    return Action(d, PCFID_DEFAULT, 0, 0, nullptr);
}

static const CommandRow Commands[] = {
    { 2, 2, Cancel }, { 22, 22, FilterDrop }, { 23, 23, FilterButton }, { 26, 26, HistoryDrop },
    { 501, 503, ShowHide }, { 754, 754, ShowHide }, { 504, 504, AutoRefresh }, { 505, 505, AlterList },
    { 515, 515, RefreshAtOpen }, { 562, 563, StepMessage }, { 564, 564, Execute },
    { 600, 604, View }, { 608, 608, View }, { 617, 617, View }, { 697, 697, View }, { 706, 712, View },
    { 735, 736, View }, { 781, 781, View }, { 812, 812, View }, { 834, 834, View }, { 867, 867, View },
    { 892, 892, View }, { 942, 945, View }, { 947, 955, View },
    { 610, 613, TitleMode }, { 616, 616, FilterDefault }, { 657, 657, Export },
    { 670, 670, CopyView }, { 692, 692, CopyView }, { 813, 813, CopyView }, { 684, 684, SplitList },
    { 696, 696, SaveDialog }, { 748, 748, HideSystem }, { 762, 762, ResetWidths }, { 780, 780, QmListPane },
    { 789, 789, ResetQmList }, { 796, 796, CopyList },
    { 894, 900, Editor }, { 902, 903, Editor }, { 905, 906, Editor }, { 910, 912, Editor }, { 914, 917, Editor },
    { 937, 937, Editor },
    { 918, 919, MessageFile }, { 922, 930, ViewMode },
    { 568, 573, ViewOption }, { 609, 609, ViewOption }, { 640, 640, ViewOption }, { 673, 674, ViewOption },
    { 737, 737, ViewOption }, { 775, 775, ViewOption }, { 936, 936, ViewOption },
    { 960, 960, RemoveColumnFilters }, { 961, 961, ColumnFilterShown }, { PCFC_LISTS, PCFC_LISTS, Lists },
    { 523, 523, LocationCommand }, { 533, 534, LocationCommand }, { 536, 542, LocationCommand },
    { 556, 556, LocationCommand },
    { 559, 559, LocationCommand }, { 567, 567, LocationCommand }, { 574, 577, LocationCommand },
    { 618, 619, LocationCommand }, { 624, 626, LocationCommand }, { 671, 672, LocationCommand },
    { 693, 694, LocationCommand }, { 715, 715, LocationCommand }, { 717, 718, LocationCommand },
    { 720, 721, LocationCommand }, { 725, 726, LocationCommand }, { 728, 729, LocationCommand },
    { 733, 733, LocationCommand }, { 740, 741, LocationCommand }, { 743, 744, LocationCommand },
    { 749, 749, LocationCommand }, { 759, 760, LocationCommand }, { 763, 764, LocationCommand },
    { 766, 767, LocationCommand }, { 769, 770, LocationCommand }, { 772, 773, LocationCommand },
    { 783, 784, LocationCommand }, { 786, 787, LocationCommand }, { 803, 803, LocationCommand },
    { 817, 818, LocationCommand }, { 820, 821, LocationCommand }, { 823, 823, LocationCommand },
    { 825, 827, LocationCommand }, { 838, 839, LocationCommand },
    { 4000, 6003, Structure }, { 6004, 6004, Repeat }, { 6010, 6012, SelectRows },
    { 6013, 6015, Page },
};

/* Controls whose notifications are no commands. */
static int IsControl(int32_t id)
{
    return id == PCFC_STATUS || id == PCFC_COUNT || id == PCFC_SPLITLIST || id == PCFC_DATA ||
           id == PCFC_FIELDS || id == PCFC_TABS || id == PCFC_QMLIST || id == PCFC_LISTPANE ||
           id == PCFC_FIELDSPANE || id == PCFC_EDIT || id == PCFC_COMBO || id == PCFC_EDIT2 || id == PCFC_COMBO2;
}

/* A row of the definition that the engine carries out (a command code
 * of its own, the put, load or publish window of the selected rows, or
 * the console's input),
 * which takes the id before the fixed handlers. */
static int EngineAction(const DialogWords *d, int32_t id)
{
    const PCFActionDef *a = d->definition ? PCFFindActionDef(d->definition->actions, (uint32_t)id) : nullptr;
    return a && (a->command != 0 || (a->flags & 0x800) || (a->flags2 & 0x800));
}

LRESULT PCFCommand(DialogWords *d, WPARAM wp, LPARAM lp)
{
    int32_t id = LOWORD(wp);
    int notify = HIWORD(wp);
    if (CSTraceIsOn())
        CSTrace(1, "PCFFP WM_COMMAND(%X,%X)\n", (unsigned)id, (unsigned)notify);
    if (IsControl(id))
        return 0;
    if (!EngineAction(d, id) && PCFOwnRow(d, id)) {
        d->repeatMessage = 0;
        return 0;
    }
    CommandFn fn = Action;
    if (!EngineAction(d, id))
        for (const CommandRow &r : Commands)
            if (id >= r.first && id <= r.last) {
                fn = r.fn;
                break;
            }
    if (lp && notify != BN_CLICKED && fn != FilterDrop && fn != HistoryDrop && fn != Lists)
        return 0;
    int repeat = 0;
    LRESULT rc = fn(d, id, notify, lp, &repeat);
    if (!IsWindow(Wnd(d)) || PCFDialogOf(Wnd(d)) != d)
        return rc;
    /* the refresh a step posts keeps the step to repeat; any other
       command forgets it */
    if (repeat) {
        d->repeatMessage = WM_COMMAND;
        d->repeatWParam = wp;
        d->repeatLParam = lp;
    } else if (fn != Repeat && !(id == PCFID_DEFAULT && notify == PCFN_STEP_REFRESH)) {
        d->repeatMessage = 0;
    }
    return rc;
}
