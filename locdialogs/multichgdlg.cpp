/* Change Multiple Locations (DLG_MULTICHGDLG): the locations at the left
 * with their search and selection, the changeable fields at the right
 * with the current value and the new one.  The model is multichg.cpp;
 * this file keeps the two lists, the search fields and the buttons in
 * step with it. */
#include "locdlgwin.h"

#include <cstdio>
#include <cstring>

#include "cs.h"
#include "confirm.h"
#include "tklogic.h"
#include "tkplace.h"
#include "tkutil.h"
#include "prfdata.h"
#include "tkwin.h"

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define SIZED(type, id, value, style, mnx, mny) {(uint32_t)(type), id, nullptr, value, nullptr, style, mnx, mny, 0, 0, 0}
#define PANE(id, sub) {(uint32_t)DD_SPANE, id, nullptr, 0, sub, 0, 0, 0, 0, 0, 0}
#define BOX(text) ROW(DD_GROUPBOX | DDF_NEWROW, 0, text, 0, 0)
#define BOXEND ROW(DD_GROUPE, 0, nullptr, 0, 0)
#define BUTTON(id, text) ROW(DD_BUTTON | DDF_CLASS2, id, text, 1, 0)
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

#define LISTSTYLE (WS_VSCROLL | WS_BORDER | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT)

static DDFieldDef LocationsPane[] = {
    BOX("Locations"),
    ROW(DD_EDIT | DDF_NEWROW, MC_LOCSEARCH, "", 24, 0),
    SIZED(DD_LISTBOX | DDF_NEWROW, MC_LOCLIST, 0, LISTSTYLE, 24, 12),   /* in the entries' order */
    BOX("Search"),
    BUTTON(MC_SELECT, "Select"), BUTTON(MC_DESELECT, "Deselect"),
    ROW(DD_CHECKBOX, MC_VALUESONLY, "Values Only", 0, BS_AUTOCHECKBOX),
    ROW(DD_CHECKBOX, MC_INVERT, "Invert", 0, BS_AUTOCHECKBOX),
    BOXEND,
    BOX("All"), BUTTON(MC_DESELECTALL, "Deselect"), BOXEND,
    BOX("Display"),
    ROW(DD_RADIO, MC_BYQM, "QMgr Name", 0, BS_AUTORADIOBUTTON | WS_GROUP),
    ROW(DD_RADIO, MC_BYLOC, "Location", 0, BS_AUTORADIOBUTTON),
    ROW(DD_CHECKBOX, MC_SELECTED, "Selected", 0, BS_AUTOCHECKBOX),
    BOXEND,
    BOXEND,
    END};

static DDFieldDef FieldsPane[] = {
    BOX("Location Fields"),
    ROW(DD_EDIT | DDF_NEWROW, MC_FIELDSEARCH, "", 24, 0),
    SIZED(DD_LISTBOX | DDF_NEWROW, MC_FIELDLIST, 0, LISTSTYLE, 24, 8),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Field Name: ", 0, 0),
    ROW(DD_EDIT, MC_FIELDNAME, "", 30, ES_READONLY),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Current: ", 0, 0),
    ROW(DD_EDIT, MC_CURRENT, "", 30, ES_READONLY),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "New: ", 0, 0),
    ROW(DD_COMBOBOX, MC_NEW, "", 30, 0),
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, MC_SETVALUE, "Set New Value", 1, 0),
    BUTTON(MC_ADD, "Add"), BUTTON(MC_REMOVE, "Remove"),
    BOXEND,
    END};

DDFieldDef DLG_MULTICHGDLG[] = {
    {DD_SPLITLR | DDF_NEWROW, MC_SPLIT, nullptr, 50000, nullptr, 0, 60, 20, 0, 0, 0},
    PANE(0, LocationsPane), PANE(0, FieldsPane),
    ROW(DD_STATIC | DDF_NEWROW, MC_STATUS, "", 0, 0),
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 2, "Cancel", 1, 0),
    END};

#define HOOKS LocDlgHooks()
#define HOOK(name, ...) do { if (HOOKS->name) HOOKS->name(HOOKS->context __VA_OPT__(,) __VA_ARGS__); } while (0)

static const char LocationHint[] = "Queue Manager Search Text";
static const char FieldHint[] = "Fields Search Text";

MCDIALOG *MultiChgRecord(HWND hwnd)
{
    return (MCDIALOG *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

static HWND field(MCDIALOG *d, int id)
{
    return DDGetFieldWindow((DDHANDLE)d->dd, id, 0);
}

/* ---- search fields ------------------------------------------------------ */

static WNDPROC searchFieldProc;     /* the engine's procedure of edit fields */

/* The hint painted over an empty search field. */
static void paint_hint(HWND hwnd)
{
    if (GetWindowTextLengthA(hwnd))
        return;
    int id = GetDlgCtrlID(hwnd);
    HDC dc = GetDC(hwnd);
    HFONT font = (HFONT)SendMessageA(hwnd, WM_GETFONT, 0, 0);
    HGDIOBJ old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(DEFAULT_GUI_FONT));
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT), back = GetSysColor(COLOR_WINDOW);
    SetTextColor(dc, WinBlendColour(text, back, 50));
    SetBkMode(dc, TRANSPARENT);
    RECT rc;
    GetClientRect(hwnd, &rc);
    rc.left += 2;                                /* where typed text starts */
    DrawTextA(dc, id == MC_LOCSEARCH ? LocationHint : FieldHint, -1, &rc,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
}

LRESULT CALLBACK SearchBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT r = searchFieldProc ? CallWindowProcA(searchFieldProc, hwnd, msg, wp, lp)
                                : DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_PAINT)
        paint_hint(hwnd);
    else if (msg == WM_KILLFOCUS)
        InvalidateRect(hwnd, nullptr, TRUE);
    return r;
}

void SubclassSearchBoxes(MCDIALOG *d)
{
    const int ids[] = { MC_LOCSEARCH, MC_FIELDSEARCH };
    for (int id : ids) {
        HWND w = DDGetFieldWindow((DDHANDLE)d->dd, id, 1);
        if (!w || (WNDPROC)GetWindowLongPtrA(w, GWLP_WNDPROC) == SearchBoxProc)
            continue;
        searchFieldProc = (WNDPROC)SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)SearchBoxProc);
    }
}

void InvalidateBuddy(HWND hwnd)
{
    DDHANDLE dd = DDFindHandle(hwnd);
    HWND list = dd ? DDGetFieldWindow(dd, MC_LOCLIST, 0) : nullptr;
    if (list)
        InvalidateRect(list, nullptr, TRUE);
}

/* ---- the lists ----------------------------------------------------------- */

static void add_line(void *ctx, const char *text, int index)
{
    HWND list = (HWND)ctx;
    int row = (int)SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
    if (row >= 0)
        SendMessageA(list, LB_SETITEMDATA, (WPARAM)row, (LPARAM)index);
}

static void show_status(MCDIALOG *d)
{
    char text[100];
    MultiChgStatusText(d, text, sizeof text);
    DDSetFieldValue((DDHANDLE)d->dd, MC_STATUS, text);
}

static void add_choice(void *ctx, const char *text)
{
    HWND combo = (HWND)ctx;
    if (SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text) == CB_ERR)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)text);
}

/* The current value, the choices of "New: " and the buttons. */
static void show_current(MCDIALOG *d)
{
    DDHANDLE dd = (DDHANDLE)d->dd;
    HWND combo = field(d, MC_NEW);
    char text[600], keep[600] = "";
    if (combo) {
        GetWindowTextA(combo, keep, sizeof keep);
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    }
    MultiChgCurrent(d, text, sizeof text, combo ? add_choice : nullptr, combo);
    if (combo)
        SetWindowTextA(combo, keep);
    DDSetFieldValue(dd, MC_CURRENT, text);
    MCBUTTONS b;
    MultiChgButtons(d, &b);
    DDEnableField(dd, MC_SETVALUE, b.setValue, 0);
    DDEnableField(dd, MC_ADD, b.add, 0);
    DDEnableField(dd, MC_REMOVE, b.remove, 0);
    DDEnableField(dd, MC_NEW, b.newValue, 0);
}

static void fill_locations(MCDIALOG *d)
{
    HWND list = field(d, MC_LOCLIST);
    if (!list)
        return;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    MultiChgLines(d, add_line, list);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    show_status(d);
    show_current(d);
}

static void fill_fields(MCDIALOG *d)
{
    HWND list = field(d, MC_FIELDLIST);
    if (!list)
        return;
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < MultiChgFieldCount; i++) {
        const MultiChgField *f = &MultiChgFields[i];
        if (!MultiChgFieldListed(f, d->fieldPattern))
            continue;
        int row = (int)SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)f->name);
        SendMessageA(list, LB_SETITEMDATA, (WPARAM)row, (LPARAM)i);
        if (f == d->field)
            SendMessageA(list, LB_SETCURSEL, (WPARAM)row, 0);
    }
}

static void choose_field(MCDIALOG *d, const MultiChgField *f)
{
    char title[120];
    MultiChgChooseField(d, f, title, sizeof title);
    SetWindowTextA((HWND)d->window, title);
    DDSetFieldValue((DDHANDLE)d->dd, MC_FIELDNAME, f ? f->name : "");
    DDSetFieldText((DDHANDLE)d->dd, MC_NEW, -1, "");
    show_current(d);
}

/* 16 by 16 mark in front of a location line: a queue manager's screen, as
 * the tree shows a location. */
static void draw_mark(HDC dc, int x, int y, COLORREF colour)
{
    static const struct { RECT r; int screen; } parts[] = {
        { { 1, 2, 15, 12 }, 0 }, { { 2, 3, 14, 11 }, 1 }, { { 6, 12, 10, 14 }, 0 }, { { 4, 14, 12, 15 }, 0 },
    };
    HBRUSH frame = CreateSolidBrush(colour), screen = CreateSolidBrush(RGB(20, 140, 140));
    for (const auto &p : parts) {
        RECT r = p.r;
        OffsetRect(&r, x, y);
        FillRect(dc, &r, p.screen ? screen : frame);
    }
    DeleteObject(frame);
    DeleteObject(screen);
}

static void draw_line(MCDIALOG *d, const DRAWITEMSTRUCT *di)
{
    if (di->itemID == (UINT)-1)
        return;
    HDC dc = di->hDC;
    RECT rc = di->rcItem;
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT), back = GetSysColor(COLOR_WINDOW);
    int index = (int)di->itemData, selected = 0;
    const char *shown = nullptr;
    char buffer[QMS_LOCNAME + 16];
    if (di->CtlID == MC_LOCLIST) {
        if (index >= 0 && index < d->count) {
            MCQMS *e = &d->entries[index];
            selected = e->selected != 0;
            shown = d->byQmName || !e->location->locationName[0] ? e->location->qmName
                                                                  : e->location->locationName;
        }
    } else {
        selected = (di->itemState & ODS_SELECTED) != 0;
        shown = index >= 0 && index < MultiChgFieldCount ? MultiChgFields[index].name : nullptr;
    }
    if (di->CtlID == MC_LOCLIST && index < 0) {
        /* the plain line between the shown and the hidden selected lines */
        FillRect(dc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
        RECT rule = { rc.left + 2, (rc.top + rc.bottom) / 2, rc.right - 2, (rc.top + rc.bottom) / 2 + 1 };
        FillRect(dc, &rule, (HBRUSH)GetStockObject(GRAY_BRUSH));
        return;
    }
    if (!shown) {
        SendMessageA(di->hwndItem, LB_GETTEXT, di->itemID, (LPARAM)buffer);
        shown = buffer;
    }
    COLORREF fill = selected ? WinBlendColour(GetSysColor(COLOR_HIGHLIGHT), back, 50) : back;
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    int x = rc.left + 2;
    if (di->CtlID == MC_LOCLIST && index >= 0) {
        draw_mark(dc, x, rc.top + (rc.bottom - rc.top - 16) / 2, text);
        x += 20;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
    RECT tr = { x, rc.top, rc.right, rc.bottom };
    DrawTextA(dc, shown, -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (di->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &rc);
}

/* ---- commands ------------------------------------------------------------ */

static void location_clicked(MCDIALOG *d)
{
    HWND list = field(d, MC_LOCLIST);
    int row = (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (row < 0)
        return;
    int index = (int)SendMessageA(list, LB_GETITEMDATA, (WPARAM)row, 0);
    SendMessageA(list, LB_SETCURSEL, (WPARAM)-1, 0);
    if (index < 0)
        return;
    MultiChgSelect(d, 3, index);
    if (d->selectedOnly && MultiChgVisibility(d))
        fill_locations(d);
    InvalidateRect(list, nullptr, TRUE);
    show_status(d);
    show_current(d);
}

static void selection(MCDIALOG *d, int how)
{
    MultiChgSelect(d, how, -1);
    MultiChgVisibility(d);
    fill_locations(d);
}

static void set_new_value(MCDIALOG *d)
{
    if (!d->field)
        return;
    char text[501], question[700];
    DDGetFieldText((DDHANDLE)d->dd, MC_NEW, text, sizeof text);
    if (!MultiChgValueAccepted(d->field, text)) {
        snprintf(question, sizeof question, "'%s' is not a valid value for '%s' - nothing changed",
                 text, d->field->name);
        DDSetFieldValue((DDHANDLE)d->dd, MC_STATUS, question);
        return;
    }
    if (!d->allEqual) {
        snprintf(question, sizeof question,
                 "!The values of '%s' in these locations are currently not all the same. "
                 "Are you sure you want to now set them all to the same value?",
                 d->field->name);
        if (!WinConfirm((HWND)d->window, 0, question, nullptr, nullptr, 0)) {
            DDSetFieldValue((DDHANDLE)d->dd, MC_STATUS, "Set Aborted - nothing changed");
            return;
        }
    }
    MultiChgSetAll(d, text);
    show_current(d);
    InvalidateRect(field(d, MC_LOCLIST), nullptr, TRUE);
    DDSetFieldValue((DDHANDLE)d->dd, MC_STATUS, "Locations set to new values");
}

static void list_edit(MCDIALOG *d, int add)
{
    char text[501];
    DDGetFieldText((DDHANDLE)d->dd, MC_NEW, text, sizeof text);
    MultiChgListEdit(d, text, add);
    show_current(d);
}

static void on_command(MCDIALOG *d, int id, int code)
{
    char text[MC_PATTERN];
    switch (id) {
    case 2:
        PostMessageA((HWND)d->window, WM_CLOSE, 0, 0);
        break;
    case MC_LOCSEARCH:
        if (code != EN_CHANGE)
            break;
        DDGetFieldText((DDHANDLE)d->dd, MC_LOCSEARCH, text, sizeof text - 2);
        if (MultiChgSetSearch(d, text))
            fill_locations(d);
        break;
    case MC_FIELDSEARCH:
        if (code != EN_CHANGE)
            break;
        DDGetFieldText((DDHANDLE)d->dd, MC_FIELDSEARCH, d->fieldPattern, sizeof d->fieldPattern);
        d->fieldPatternLength = (int)strlen(d->fieldPattern);
        fill_fields(d);
        break;
    case MC_LOCLIST:
        if (code == LBN_SELCHANGE)
            location_clicked(d);
        break;
    case MC_FIELDLIST:
        if (code == LBN_SELCHANGE) {
            HWND list = field(d, MC_FIELDLIST);
            int row = (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
            int index = row < 0 ? -1 : (int)SendMessageA(list, LB_GETITEMDATA, (WPARAM)row, 0);
            choose_field(d, index >= 0 && index < MultiChgFieldCount ? &MultiChgFields[index] : nullptr);
        }
        break;
    case MC_SELECT: selection(d, 0); break;
    case MC_DESELECT: selection(d, 1); break;
    case MC_DESELECTALL: selection(d, 2); break;
    case MC_VALUESONLY: case MC_INVERT: case MC_SELECTED:
        if (code != BN_CLICKED)
            break;
        d->valuesOnly = DDGetCheck((DDHANDLE)d->dd, MC_VALUESONLY);
        d->invert = DDGetCheck((DDHANDLE)d->dd, MC_INVERT);
        d->selectedOnly = DDGetCheck((DDHANDLE)d->dd, MC_SELECTED);
        MultiChgVisibility(d);
        fill_locations(d);
        break;
    case MC_BYQM: case MC_BYLOC:
        if (code != BN_CLICKED)
            break;
        DDSetCheck((DDHANDLE)d->dd, MC_BYQM, id == MC_BYQM);
        DDSetCheck((DDHANDLE)d->dd, MC_BYLOC, id == MC_BYLOC);
        d->byQmName = id == MC_BYQM;
        d->measured = 0;
        InvalidateRect(field(d, MC_LOCLIST), nullptr, TRUE);
        break;
    case MC_SETVALUE: set_new_value(d); break;
    case MC_ADD: list_edit(d, 1); break;
    case MC_REMOVE: list_edit(d, 0); break;
    }
}

/* ---- the window ------------------------------------------------------------ */

/* The open dialogs, so that a location being deleted leaves them all. */
static MCDIALOG *openDialogs;

void MultiChgForgetLocation(QMS *location)
{
    for (MCDIALOG *d = openDialogs; d; d = d->next)
        if (MultiChgForget(d, location))
            fill_locations(d);
}

static void on_init(HWND hwnd, DDHANDLE dd)
{
    MCDIALOG *d = (MCDIALOG *)CSGetMem(sizeof *d, "RTABWORDS");
    if (!d)
        return;
    memset(d, 0, sizeof *d);
    d->window = hwnd;
    d->dd = dd;
    d->locList = DDGetFieldWindow(dd, MC_LOCLIST, 1);
    d->fieldList = DDGetFieldWindow(dd, MC_FIELDLIST, 1);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)d);
    d->next = openDialogs;
    openDialogs = d;
    SubclassSearchBoxes(d);
    MultiChgBuild(d, LocTree);
    d->byQmName = 1;
    DDSetCheck(dd, MC_BYQM, 1);
    fill_fields(d);
    fill_locations(d);
    if (Prf.mcsplitp)                                /* the profile's "mcsplitp" */
        DDSendFieldMsg(dd, MC_SPLIT, DDM_SPLITSET, (WPARAM)Prf.mcsplitp, 0);
    choose_field(d, nullptr);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
}

static void on_start(MCDIALOG *d)
{
    HWND hwnd = (HWND)d->window;
    SIZE size;
    DDWindowSize((DDHANDLE)d->dd, hwnd, 110, 32, LocDlgSettings.multiSize[0], LocDlgSettings.multiSize[1], &size);
    WinPositionAtCursor(hwnd, size.cx, size.cy, 0);
    ShowWindow(hwnd, SW_SHOW);
}

static void on_close(MCDIALOG *d)
{
    HWND hwnd = (HWND)d->window;
    DDHANDLE dd = (DDHANDLE)d->dd;
    Prf.mcsplitp = (int32_t)DDSendFieldMsg(dd, MC_SPLIT, DDM_SPLITGET, 0, 0);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    for (MCDIALOG **p = &openDialogs; *p; p = &(*p)->next)
        if (*p == d) {
            *p = d->next;
            break;
        }
    MultiChgFree(d);
    CSFreeMem(d);
    DDDestroy(&dd);
    DestroyWindow(hwnd);
}

LRESULT CALLBACK MultiChgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        on_init(hwnd, (DDHANDLE)wp);
        return 0;
    }
    MCDIALOG *d = MultiChgRecord(hwnd);
    if (msg == WM_MEASUREITEM) {
        MEASUREITEMSTRUCT *mi = (MEASUREITEMSTRUCT *)lp;
        int cw, ch;
        WinGetCharSize(hwnd, winFonts.mainFont, &cw, &ch);
        mi->itemHeight = ch > 16 ? (UINT)ch : 18;
        return TRUE;
    }
    if (!d)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case UM_INITDLG: on_start(d); return 0;
    case WM_DRAWITEM: draw_line(d, (const DRAWITEMSTRUCT *)lp); return TRUE;
    case WM_COMMAND: on_command(d, LOWORD(wp), HIWORD(wp)); return 0;
    case UM_NEWFONT:
        if (winFonts.mainFont)
            DDSetFont((DDHANDLE)d->dd, winFonts.mainFont);
        return 0;
    case UM_COLOURSCHANGED:
        if (dlgColours.brush)
            SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
        HOOK(setDlgColours, d->dd);
        return 0;
    case WM_SIZE:
        if (IsWindowVisible(hwnd) && wp != SIZE_MINIMIZED && wp != SIZE_MAXIMIZED) {
            RECT rc;
            GetWindowRect(hwnd, &rc);
            LocDlgSettings.multiSize[0] = rc.right - rc.left;
            LocDlgSettings.multiSize[1] = rc.bottom - rc.top;
        }
        break;
    case WM_CLOSE: on_close(d); return 0;
    case WM_DESTROY: HOOK(removeModeless, hwnd); break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND MultiChgOpen(HWND owner)
{
    HWND hwnd = DDCreateDialog(nullptr, DLG_MULTICHGDLG, 0, "Change Multiple Locations",
                               "DLG_MULTICHGDLG", owner, MultiChgProc, 0);
    if (!hwnd) {
        UtilMessageBox(owner, "WinLoadDlg failed", "Operational Error", MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    HOOK(addModeless, hwnd, 1, 0, 0);
    PostMessageA(hwnd, UM_INITDLG, 0, 0);
    return hwnd;
}
