/* Making a command dialog: the window classes, the instance from the
 * caller's template (private definition copy, view options, capability
 * array, data area, command-level query, profile), the dialog window
 * with its hidden owner, and its children (menu bar, panes, buttons,
 * toolbar, status line, count window, history combo, split list, filter,
 * queue-manager list, field windows and the message data window). */
#include "pcfwin.h"
#include "edpane.h"
#include "pcflistwin.h"
#include "pcfint.h"

#include <commctrl.h>

#include "bag.h"
#include "cnt.h"
#include "cs.h"
#include "locstore.h"
#include "consolewnd.h"
#include "mq/capability.h"
#include "tkcontrols.h"
#include "tkutil.h"
#include "tkwin.h"

static HINSTANCE Instance;
static int ClassesMade, IconSet;
static uint8_t DefaultCaps[CAP_COUNT];

LRESULT CALLBACK PCFHiddenProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* One class: the dialog background, double clicks where asked. */
static int Register(const char *name, WNDPROC proc, UINT style, HICON icon)
{
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = 80;
    wc.hInstance = Instance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = ColourBrush(4);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int PCFRegisterClasses(void)
{
    if (ClassesMade)
        return 1;
    Instance = GetModuleHandleA(nullptr);
    RegisterControlClasses(Instance);
    HICON icon = LoadIconA(Instance, MAKEINTRESOURCEA(3));
    HICON app = LoadIcon(nullptr, IDI_APPLICATION);
    struct Row { const char *name; WNDPROC proc; UINT style; HICON icon; } rows[] = {
        { PCF_CLASS_FIELDS, PCFFieldProc, CS_DBLCLKS, icon },
        { PCF_CLASS_COMMAND, PCFCommandProc, 0, icon },
        { PCF_CLASS_CHILD, PCFCommandProc, 0, icon },
        { PCF_CLASS_HIDDEN, PCFHiddenProc, 0, app },
        { PCF_CLASS_LISTPANE, PCFListPaneProc, 0, app },
        { PCF_CLASS_FIELDSPANE, PCFFieldsPaneProc, 0, app },
        { PCF_CLASS_COUNT, PCFCountProc, 0, app },
    };
    for (const Row &r : rows)
        if (!Register(r.name, r.proc, r.style, r.icon))
            return 0;
    if (!PCFPaneRegisterClass(Instance))         /* "PCFData", the message editor pane */
        return 0;
    INITCOMMONCONTROLSEX icc = { sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES };
    InitCommonControlsEx(&icc);
    CapSetAll(DefaultCaps);
    ClassesMade = 1;
    return 1;
}

/* ---- the instance ---- */

/* Step 6: a reply-fields definition gets a private copy. */
static int PrivateCopy(DialogWords *d)
{
    if (!(d->definition->flags & PCFD_REPLYFIELDS))
        return 1;
    PCFCommandDef *copy = PCFCopyDef(d->definition, 0);
    if (!copy)
        return 0;
    d->definition = copy;
    d->ownsDefinition = 1;
    uint16_t n = 0;
    while (copy->fields[n].field)
        n++;
    d->fieldCount = n;
    return 1;
}

/* Step 7: view options; the capability array. */
static void ViewAndCaps(DialogWords *d, const uint8_t *caps)
{
    const PCFCommandDef *def = d->definition;
    if (!d->viewOptions) {
        d->viewOptions = PcfWinPrefs.defaultView & ~0x2000000u;
        if (def->flags & PCFD_PAIR)
            d->viewOptions |= 0x40F0000;
        else
            d->viewOptions &= ~0xFC000u;
        if (!PCFHasDownloadEntry(def))
            d->viewOptions &= ~0xF00000u;
    }
    if (caps)
        d->first.caps = (uint8_t *)caps;
    else if (d->first.location)
        d->first.caps = d->first.location->caps;
    else
        d->first.caps = DefaultCaps;
}

/* Step 8: the data area (a previous one kept to compare with). */
static int DataArea(DialogWords *d)
{
    if (d->stateFlags & DF_KEEP_PREVIOUS) {
        d->previousData = d->dataArea;
        d->dataArea = nullptr;
    }
    if ((d->stateFlags & DF_NO_DATA) || d->dataArea)
        return 1;
    const PCFCommandDef *def = d->definition;
    d->dataArea = (uint8_t *)CSGetMem(def->dataSize ? def->dataSize : 1, "Dialog Data Area");
    if (!d->dataArea)
        return 0;
    PCFInitData(d->definition, d->dataArea, d, 0, 0, 0);
    if ((d->stateFlags & DF_KEEP_PREVIOUS) && d->previousData)
        PCFCopyData(def, d->dataArea, d->previousData);
    return 1;
}

/* The refresh marks' bits of a location's queue-manager inquiry. */
#define LEVEL_ASKED  0x1ull
#define LEVEL_KNOWN  0x100000000ull

/* Step 9: the command level of a location not yet asked; 0 when the
 * query could not be sent. */
static int LevelQuery(DialogWords *d)
{
    QMS *location = d->first.location;
    if (!location || (d->definition->flags & 0x8) || (location->downloadState & (LEVEL_ASKED | LEVEL_KNOWN)))
        return 1;
    const PCFHOOKS *h = PCFHooks();
    if (!h->levelQuery)
        return 1;
    if (CSTraceIsOn())
        CSTrace(1, "Command Level Query\n");
    if (h->levelQuery(h->context, location) != 0)
        return 0;
    location->downloadState |= LEVEL_ASKED;
    return 1;
}

/* Step 11: the window, or an operational error. */
static HWND MakeWindow(DialogWords *d, HWND existing, HWND parent)
{
    if (existing) {
        d->window = existing;
        d->ownerWindow = parent;
        SetPropA(existing, "PCFDialog", d);
        return existing;
    }
    HWND hwnd;
    if (d->optionFlags & DO_CHILD) {
        hwnd = CreateWindowExA(0, PCF_CLASS_CHILD, "Command", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                               parent, nullptr, Instance, d);
        d->ownerWindow = parent;
    } else {
        HWND owner = nullptr;
        if (!PcfWinPrefs.ownTaskbarWindows) {
            owner = CreateWindowExA(WS_EX_TOOLWINDOW, PCF_CLASS_HIDDEN, "Dummy Window", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, Instance, nullptr);
            if (!owner) {
                WinOpError("CreateWindow(HIDDEN) failed");
                return nullptr;
            }
        } else {
            d->stateFlags |= DF_NO_HIDDEN_OWNER;
        }
        d->ownerWindow = owner;
        hwnd = CreateWindowExA(0, PCF_CLASS_COMMAND, "Command", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, owner, nullptr, Instance, d);
    }
    if (!hwnd) {
        WinOpError("CreateWindow(COMMAND) failed");
        return nullptr;
    }
    if (!IconSet) {
        IconSet = 1;
        SetClassLongPtrA(hwnd, GCLP_HICON, (LONG_PTR)LoadIconA(Instance, MAKEINTRESOURCEA(3)));
    }
    return hwnd;
}

/* Step 15: whatever was made goes. */
static DialogWords *Fail(DialogWords *d)
{
    HWND hwnd = PCFWnd(d->window), owner = PCFWnd(d->ownerWindow);
    int own = hwnd && !(d->optionFlags & DO_IN_CALLER_WINDOW);
    d->stateFlags |= DF_CANCELLED;
    if (d->menu && (!own || GetMenu(hwnd) != (HMENU)d->menu))
        DestroyMenu((HMENU)d->menu);
    d->menu = nullptr;
    if (own) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    } else if (hwnd) {
        RemovePropA(hwnd, "PCFDialog");
    }
    if (owner && !(d->optionFlags & (DO_CHILD | DO_IN_CALLER_WINDOW)))
        DestroyWindow(owner);
    CSFreeMemAndClear(&d->bag);
    FreeDialogWords(d);
    return nullptr;
}

/* Steps 12 and 13: title, counts, the first messages. */
static void Start(DialogWords *d)
{
    const PCFCommandDef *def = d->definition;
    HWND hwnd = PCFWnd(d->window);
    PCFDialogTitle(d, nullptr);
    PCFCountFields(d);
    PostMessageA(hwnd, UM_INITDLG, 0, 0);
    if (def->list && !d->first.replyArea)
        d->first.replyArea = PCFColumnOnlyList(d->first.columns ? d->first.columns : def->list->current);
    if (def->flags & 0x20)
        d->stateFlags &= ~(DF_REFRESH_ASKED | DF_REFRESH_AT_OPEN);
    int now = 0;
    if (d->refreshRate && d->refreshAlign == -1) {
        d->refreshNext = PCFNow();
        now = 1;
    }
    if (!(d->optionFlags & DO_BACKGROUND) &&
        ((def->flags & PCFD_AUTOREFRESH) || (d->stateFlags & (DF_REFRESH_ASKED | DF_REFRESH_AT_OPEN)) || now)) {
        if (CSTraceIsOn())
            CSTrace(1, "DS_AUTO_REFRESH\n");
        PostMessageA(hwnd, WM_COMMAND, PCFID_DEFAULT, 0);
    }
}

DialogWords *PCFCommandDialog(HWND existing, HWND parent, DialogWords *templ, const uint8_t *caps)
{
    HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    DialogWords *result = nullptr;
    static int prepared;
    if (!PCFRegisterClasses())
        goto done;
    if (!prepared) {
        PCFInitCommandDefs();
        prepared = 1;
    }
    PCFNoteMonitors(UtilDisplayLayout()->monitors);
    if (!templ->definition || !(templ->definition->flags & PCFD_PREPARED))
        goto done;
    if (templ->saved && !PCFResolveObjectName(parent, templ))
        goto done;
    {
        DialogWords *d = GetDialogWords(templ, existing != nullptr);
        if (!d)
            goto done;
        d->stateFlags |= DF_MADE;
        d->window = nullptr;
        if (!PrivateCopy(d) || (ViewAndCaps(d, caps), !DataArea(d)) || !LevelQuery(d)) {
            Fail(d);
            goto done;
        }
        ViewAndCaps(d, caps);
        d->opened = d->lastRefresh = PCFNow();
        PCFGetDialogProfile(d);
        PCFInitAutoRefresh(d);
        d->border = PcfWinPrefs.sizes[0];
        d->lineGap = PcfWinPrefs.sizes[1];
        d->margin = PcfWinPrefs.sizes[2];
        d->fourthSize = PcfWinPrefs.sizes[3];
        d->currentLine = 0xFFFFFFFF;
        if (!MakeWindow(d, existing, parent) || PCFCreateDialogFields(d)) {
            Fail(d);
            goto done;
        }
        Start(d);
        *templ = *d;
        result = d;
    }
done:
    SetCursor(cursor ? cursor : LoadCursor(nullptr, IDC_ARROW));
    return result;
}

/* ---- the children ---- */

static HWND Child(DialogWords *d, HWND parent, const char *cls, DWORD style, int id, const char *failure,
                  DWORD exStyle = 0)
{
    HWND w = CreateWindowExA(exStyle, cls, "", WS_CHILD | style, 0, 0, 0, 0, parent, (HMENU)(intptr_t)id,
                             Instance, d);
    if (!w && failure)
        WinOpError(failure);
    return w;
}

/* Step 1: the menu bar and its texts. */
static int MakeMenu(DialogWords *d)
{
    int row = 0;
    HMENU menu = PCFCreateMenu(d, 1, nullptr, -1, d->definition, PCFHasDownloadEntry(d->definition), &row,
                               PCFM_ROWS);
    if (!menu)
        return 0;
    d->menu = menu;
    return 1;
}

/* The console of a definition whose default action issues its input as
 * MQSC commands: its lines take the data window's place, over the
 * dialog's history combo box as its input box. */
static const PCFActionDef *ConsoleAction(const PCFCommandDef *def)
{
    const PCFActionDef *a = def->list ? nullptr : PCFFindActionDef(def->actions, 1);
    return a && (a->flags2 & 0x800) ? a : nullptr;
}

/* Step 4: status line, count window, history combo. */
static int MakeStatus(DialogWords *d, HWND hwnd)
{
    const PCFCommandDef *def = d->definition;
    HWND status = Child(d, hwnd, "COMBOBOX", WS_VISIBLE | CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP | CBS_AUTOHSCROLL,
                        PCFC_STATUS, "WinCreateWindow failed: Status");
    if (!status)
        return 0;
    d->statusWindow = status;
    COMBOBOXINFO info = { sizeof info };
    if (GetComboBoxInfo(status, &info) && info.hwndItem)
        SendMessageA(info.hwndItem, EM_SETREADONLY, 1, 0);
    if (def->list || (def->flags & PCFD_MSGDIALOG)) {
        d->countWindow = Child(d, hwnd, PCF_CLASS_COUNT, WS_VISIBLE, PCFC_COUNT, "WinCreateWindow failed: Count");
        if (!d->countWindow)
            return 0;
    }
    if (ConsoleAction(def))
        d->stateFlags |= DF_HISTORY_COMBO;
    if (d->stateFlags & DF_HISTORY_COMBO) {
        HWND h = Child(d, hwnd, "COMBOBOX", WS_VISIBLE | CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP | CBS_AUTOHSCROLL,
                       PCFC_HISTORY, "WinCreateWindow failed: Status");
        if (!h)
            return 0;
        SendMessageA(h, CB_LIMITTEXT, 300, 0);
        FillHistoryCombo(d->first.location, h);
        d->historyCombo = h;
    }
    return 1;
}

/* Step 5: the split list, its parts, the filter and the queue-manager list. */
static int MakeLists(DialogWords *d)
{
    const PCFCommandDef *def = d->definition;
    HWND pane = PCFWnd(d->listPane), fields = PCFWnd(d->fieldsPane);
    HWND split = Child(d, pane, ZKT_SPLITLIST,
                       WS_VISIBLE | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL | LBS_NOTIFY, PCFC_SPLITLIST,
                       "WinCreateWindow failed: LISTBOX");
    if (!split)
        return 0;
    d->splitList = split;
    if (def->flags & 0x80000)
        SendMessageA(split, CN_ALLOWDRAG, 1, 0);
    /* the rows are measured by the rebuild, never one by one (lParam) */
    SendMessageA(split, LBM_FIXEDWIDTH, 0, 1);
    SendMessageA(split, LBM_SPLITCOLOUR, 0, (LPARAM)*ColourRef(7));
    if (def->flags & PCFD_QMLIST) {
        HWND qm = cntCreateWindow(PCFWnd(d->window), nullptr, nullptr, nullptr);
        if (!qm) {
            WinOpError("cntCreateWindow(hQmList)");
            return 0;
        }
        SetWindowLongPtrA(qm, GWLP_ID, PCFC_QMLIST);
        ShowWindow(qm, SW_HIDE);
        cntSetColours(qm, ColourRef(8), ColourRef(7), ColourRef(13));
        d->qmList = qm;
    }
    d->rightList = (HWND)SendMessageA(split, LBM_GETLIST, 1, 0);
    d->leftList = (HWND)SendMessageA(split, LBM_GETLIST, 2, 0);
    d->rightTitle = (HWND)SendMessageA(split, LBM_GETTITLE, 1, 0);
    d->leftTitle = (HWND)SendMessageA(split, LBM_GETTITLE, 2, 0);
    PCFSubclassTitleBar(d, PCFWnd(d->leftTitle));
    PCFSubclassTitleBar(d, PCFWnd(d->rightTitle));
    HWND button = CreateWindowExA(0, "BUTTON", "Filter", WS_CHILD | WS_TABSTOP, 0, 0, 0, 0, fields,
                                  (HMENU)(intptr_t)PCFC_FILTERBUTTON, Instance, nullptr);
    if (!button) {
        WinOpError("WinCreateWindow failed: Filter BUTTON");
        return 0;
    }
    d->filterButton = button;
    HWND filter = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP |
                                  CBS_AUTOHSCROLL, 0, 0, 0, 0, fields, (HMENU)(intptr_t)PCFC_FILTER, Instance, nullptr);
    if (!filter) {
        WinOpError("WinCreateWindow failed: Filter");
        return 0;
    }
    SendMessageA(filter, CB_LIMITTEXT, 300, 0);
    d->filterWindow = filter;
    PCFSetFilterValues(d);
    return 1;
}

/* Step 7: the message editor's state and its pane window. */
static int MakeDataWindow(DialogWords *d, HWND hwnd)
{
    PCFDATA *ed = EdCreatePane(d);
    if (!ed) {
        WinOpError("CreateWindow failed: Data window");
        return 0;
    }
    return PCFPaneCreateWindow(d, hwnd, ed) != nullptr;
}

static int MakeConsole(DialogWords *d, HWND hwnd, const PCFActionDef *action)
{
    HWND w = MQSCConsoleWindow(hwnd, d, action, PCFC_DATA);
    if (!w) {
        WinOpError("CreateWindow failed: Console");
        return 0;
    }
    d->dataWindow = w;
    return 1;
}

/* Step 8: the pane layout of a list dialog. */
static int MakeBag(DialogWords *d, HWND hwnd)
{
    BagRecord *bag = (BagRecord *)CSGetMem(sizeof *bag, "BAG");
    if (!bag) {
        WinOpError("BagInitialise failed");
        return 0;
    }
    memset(bag, 0, sizeof *bag);
    d->bag = bag;
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (BagInitialise(bag, hwnd, rc.right > 0 ? rc.right : 400, rc.bottom > 0 ? rc.bottom : 300)) {
        WinOpError("BagInitialise failed");
        return 0;
    }
    BagPanePlacement place = {};
    int column = 0;
    if (d->qmList) {
        place.initCx = (uint32_t)(20 * d->charWidth);
        if (BagAdd(bag, PCFWnd(d->qmList), 0, 0, 1, 2, &place, nullptr)) {
            WinOpError("BagAdd(hQmList)");
            return 0;
        }
        column = 1;
    }
    if (BagAdd(bag, PCFWnd(d->fieldsPane), column, 0, column + 1, 1, &place, nullptr) ||
        BagAdd(bag, PCFWnd(d->listPane), column, 1, column + 1, 2, &place, nullptr)) {
        WinOpError("BagAdd(hFields)");
        return 0;
    }
    BagSetOption(bag, UM_PANE_POS);
    if (BagValidate(bag)) {
        WinOpError("BagValidate");
        return 0;
    }
    return 1;
}

int PCFCreateDialogFields(DialogWords *d)
{
    HWND hwnd = PCFWnd(d->window);
    const PCFCommandDef *def = d->definition;
    PCFSetFontMetrics(d);
    if (!MakeMenu(d))
        return 1;
    if (def->list) {
        d->fieldsPane = Child(d, hwnd, PCF_CLASS_FIELDSPANE, WS_VISIBLE | WS_CLIPCHILDREN, PCFC_FIELDSPANE,
                              "WinCreateWindow failed: Field Pane");
        d->listPane = Child(d, hwnd, PCF_CLASS_LISTPANE, WS_VISIBLE | WS_CLIPCHILDREN, PCFC_LISTPANE,
                            "WinCreateWindow failed: List Pane");
        if (!d->fieldsPane || !d->listPane)
            return 1;
    }
    int hasToolbar = 0, row = 0;
    PCFCreateButtons(d, (HMENU)d->menu, &hasToolbar, &row);
    PCFMergeSameMenus((HMENU)d->menu);
    if (d->menu && !(d->optionFlags & (DO_CHILD | DO_IN_CALLER_WINDOW)))
        SetMenu(hwnd, (HMENU)d->menu);
    PCFSetShowHideTexts(d);
    PCFCreateToolbar(d);
    if (!MakeStatus(d, hwnd))
        return 1;
    if (def->list && !MakeLists(d))
        return 1;
    PCFBuildQmList(d);
    if (!PCFCreateFieldWindows(d, 0))
        return 1;
    if ((def->flags & PCFD_MSGDIALOG) && !def->list && !MakeDataWindow(d, hwnd))
        return 1;
    if (const PCFActionDef *console = ConsoleAction(def))
        if (!MakeConsole(d, hwnd, console))
            return 1;
    if (def->list && !MakeBag(d, hwnd))
        return 1;
    PCFCalculateMaxSizes(d);
    return 0;
}
