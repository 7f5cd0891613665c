/* Colours in the window build: the repaint announcement carried out on
 * the modeless dialogs, and the colour chooser DLG_COLOURDLG: a scheme
 * drop-down, reset buttons and an owner-drawn list of the shown slots
 * with their original, scheme and current colours. */
#include "colourwin.h"
#include "colourtext.h"
#include "modeless.h"
#include "prfdata.h"
#include "savedlg.h"
#include "confirm.h"
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"
#include "cs.h"

#include <commdlg.h>
#include <cstdio>
#include <cstring>
#include <initializer_list>

const char ColourDeveloperComputer[] = "KELVANE-DEV";
const char *ColourWriteFile = "c:\\temp\\schemes.txt";
int (*ColourChooseProc)(HWND owner, COLORREF *colour);

/* ---- the repaint announcement on the windows -------------------------------- */

static HWND mainWindow;
static void (*moreRepaint)(uint32_t mask);

static void post_main(void *)
{
    if (mainWindow)
        PostMessageA(mainWindow, FRM_REPAINT, 0, 0);
}

/* 0x800, the set of locations changed: the windows that list locations
 * (by their dialogs' classes) show them again. */
static void locations_changed(HWND w)
{
    static const char *const importers[] = { "DD_DLG_IMPORTCCDT", "DD_DLG_IMPORTTK47", "DD_DLG_IMPORTMQEX",
                                             "DD_DLG_IMPORT" };
    char cls[40] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (!strcmp(cls, "DD_DLG_MULTICHGDLG"))
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    for (const char *importer : importers)
        if (!strcmp(cls, importer))
            SendMessageA(w, UM_LOCATIONSCHANGED, 0, 0);
}

static void apply(void *, uint32_t mask)
{
    for (HWND w = ModelessNext(nullptr); w; w = ModelessNext(w)) {
        if (mask & RP_LOCATIONS)
            locations_changed(w);
        if (mask & RP_COLOURS) {
            SendMessageA(w, UM_COLOURSCHANGED, 0, 0);
            RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
        if (mask & RP_FONT)
            SendMessageA(w, UM_NEWFONT, 0, 0);
        if (mask & RP_ALL)
            InvalidateRect(w, nullptr, TRUE);
    }
    if (moreRepaint)
        moreRepaint(mask);
}

static void notify_window(void *, void *window)
{
    PostMessageA((HWND)window, 11228, 1, 0);
}

static void repaint_from_toolkit(void *, int mask)
{
    RepaintAllWindows((uint32_t)mask);
}

void ColourInitWindows(HWND main, void (*more)(uint32_t mask))
{
    mainWindow = main;
    moreRepaint = more;
    REPAINTHOOKS h = { nullptr, post_main, apply, notify_window };
    RepaintSetHooks(&h);
    TKHOOKS toolkit = *TkHooks();
    toolkit.repaintAllWindows = repaint_from_toolkit;
    TkSetHooks(&toolkit);
    ColourMakeBrushes();
}

/* ---- the chooser: state ---------------------------------------------------- */

struct COLOURWORDS {
    HWND hwnd;
    DDHANDLE dd;
    int listWidth;
    int measure;                       /* the column width is to be measured */
    int columnWidth;
    int nameWidth;
    int scheme;
};

struct WORKING {
    uint32_t colour;
    HBRUSH brush;
    uint8_t selected;
};

static HWND chooser;
static uint32_t opening[CLR_SLOTS];
static WORKING working[CLR_SLOTS];
static int shownCount;
static COLORREF customColours[16];

#define R(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
DDFieldDef DLG_COLOURDLG[] = {
    R(DD_STATIC, 0, "Colour Scheme", 0, 0),
    R(DD_COMBOBOX, CLRDLG_SCHEME, "", 22, CBS_DROPDOWN | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL),
    R(DD_BUTTON | DDF_NEWROW, CLRDLG_RESETSCHEME, "Reset to scheme", 1, 0),
    R(DD_BUTTON, CLRDLG_RESETALLSCHEME, "Reset All to scheme", 1, 0),
    R(DD_BUTTON | DDF_NEWROW, CLRDLG_RESETORIGINAL, "Reset to original", 1, 0),
    R(DD_BUTTON, CLRDLG_RESETALLORIGINAL, "Reset All to original", 1, 0),
    R(DD_BUTTON, CLRDLG_CHANGE, "Change Colour...", 1, 0),
    {DD_USER | DDF_NEWROW, CLRDLG_TITLE, "STATIC", 0, nullptr, SS_OWNERDRAW, 40, 1, 0, 1, 0},
    {DD_LISTBOX | DDF_NEWROW, CLRDLG_LIST, nullptr, 0, nullptr,
     LBS_OWNERDRAWFIXED | LBS_SORT | LBS_HASSTRINGS | LBS_EXTENDEDSEL | LBS_NOTIFY |
         LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER,
     40, 10, 0, 0, 0},
    R(DD_STATIC | DDF_NEWROW, CLRDLG_FILELABEL, "File Name", 0, 0),
    R(DD_EDIT, CLRDLG_FILE, "", 30, 0),
    R(DD_BUTTON | DDF_NEWROW, 1, "OK", 1, BS_DEFPUSHBUTTON),
    R(DD_BUTTON, CLRDLG_APPLY, "Apply", 1, 0),
    R(DD_BUTTON, CLRDLG_WRITE, "Write", 1, 0),
    R(DD_BUTTON, CLRDLG_CONVERT, "Convert", 1, 0),
    R(DD_BUTTON, 2, "Cancel", 1, 0),
    {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
};
#undef R

static COLOURWORDS *words_of(HWND hwnd)
{
    return (COLOURWORDS *)GetWindowLongPtrA(hwnd, 0);
}

HWND ColourChooserWindow(void)
{
    return chooser;
}

static HWND list_of(COLOURWORDS *w)
{
    return DDGetFieldWindow(w->dd, CLRDLG_LIST, 0);
}

static void set_working(int slot, uint32_t colour)
{
    working[slot].colour = colour;
    if (working[slot].brush)
        DeleteObject(working[slot].brush);
    working[slot].brush = CreateSolidBrush(colour);
}

static void free_working(void)
{
    for (WORKING &w : working) {
        if (w.brush)
            DeleteObject(w.brush);
        w = WORKING{};
    }
}

/* ---- the chooser: helpers ---------------------------------------------------- */

/* the three buttons that act on a selection */
static void enable_selection_buttons(COLOURWORDS *w)
{
    int any = 0;
    for (const WORKING &s : working)
        any |= s.selected;
    for (int id : { CLRDLG_RESETORIGINAL, CLRDLG_RESETSCHEME, CLRDLG_CHANGE })
        DDEnableField(w->dd, id, any, 0);
}

/* the list's selection into the working table; Alt spreads a change to
 * every slot of the same current colour */
static void selection_changed(COLOURWORDS *w)
{
    HWND list = list_of(w);
    int n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    int caret = (int)SendMessageA(list, LB_GETCARETINDEX, 0, 0);
    if ((GetKeyState(VK_MENU) & 0x8000) && caret >= 0 && caret < n) {
        int slot = (int)SendMessageA(list, LB_GETITEMDATA, caret, 0);
        int on = SendMessageA(list, LB_GETSEL, caret, 0) > 0;
        uint32_t colour = working[slot].colour;
        int shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        for (int i = 0; i < n; i++) {
            int s = (int)SendMessageA(list, LB_GETITEMDATA, i, 0);
            if (working[s].colour == colour)
                SendMessageA(list, LB_SETSEL, on, i);
            else if (on && !shift && i != caret)
                SendMessageA(list, LB_SETSEL, FALSE, i);
        }
        SendMessageA(list, LB_SETTOPINDEX, top, 0);
    }
    for (WORKING &s : working)
        s.selected = 0;
    for (int i = 0; i < n; i++)
        if (SendMessageA(list, LB_GETSEL, i, 0) > 0)
            working[SendMessageA(list, LB_GETITEMDATA, i, 0)].selected = 1;
    enable_selection_buttons(w);
}

static void repaint_list(COLOURWORDS *w)
{
    InvalidateRect(list_of(w), nullptr, TRUE);
    InvalidateRect(DDGetFieldWindow(w->dd, CLRDLG_TITLE, 0), nullptr, TRUE);
}

static void change_colour(COLOURWORDS *w)
{
    int first = -1;
    for (int i = 0; i < CLR_SLOTS && first < 0; i++)
        if (working[i].selected)
            first = i;
    if (first < 0)
        return;
    COLORREF colour = working[first].colour;
    int chosen;
    if (ColourChooseProc) {
        chosen = ColourChooseProc(w->hwnd, &colour);
    } else {
        CHOOSECOLORA cc = {};
        cc.lStructSize = sizeof cc;
        cc.hwndOwner = w->hwnd;
        cc.rgbResult = colour;
        cc.lpCustColors = customColours;
        cc.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT;
        chosen = ChooseColorA(&cc);
        colour = cc.rgbResult;
    }
    if (!chosen)
        return;
    for (int i = 0; i < CLR_SLOTS; i++)
        if (working[i].selected)
            set_working(i, colour);
    repaint_list(w);
}

static void reset(COLOURWORDS *w, int toScheme, int all)
{
    const uint32_t *scheme = ColourScheme(w->scheme);
    for (int i = 0; i < CLR_SLOTS; i++)
        if (all || working[i].selected)
            set_working(i, toScheme ? scheme[i] : opening[i]);
    repaint_list(w);
}

static void scheme_typed(COLOURWORDS *w)
{
    char text[20];
    HWND combo = DDGetFieldWindow(w->dd, CLRDLG_SCHEME, 0);
    int sel = (int)SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (sel >= 0 && SendMessageA(combo, CB_GETLBTEXTLEN, sel, 0) < (LRESULT)sizeof text)
        SendMessageA(combo, CB_GETLBTEXT, sel, (LPARAM)text);
    else
        GetWindowTextA(combo, text, sizeof text);
    for (int s = 0; s < CLR_SCHEMES; s++)
        if (!lstrcmpiA(text, ColourSchemeNames[s])) {
            w->scheme = s;
            repaint_list(w);
            return;
        }
}

static void apply_colours(void)
{
    for (int i = 0; i < CLR_SLOTS; i++)
        if (ColourSlots[i].shown)
            Prf.colours[i] = working[i].colour;
    ColourMakeBrushes();
    RepaintAllWindows(RP_COLOURS | RP_TOOLBAR);
    if (tkHost.mainWindow)
        PostMessageA(tkHost.mainWindow, UM_SAVESETTINGS, 0, 0);
}

static void write_scheme(void)
{
    uint32_t table[CLR_SLOTS];
    for (int i = 0; i < CLR_SLOTS; i++)
        table[i] = working[i].colour;
    ColourWriteScheme(ColourWriteFile, table);
}

static void convert_scheme(COLOURWORDS *w)
{
    char file[300], message[500];
    DDGetFieldText(w->dd, CLRDLG_FILE, file, sizeof file);
    if (ColourConvertScheme(file, message, sizeof message) != 0)
        UtilMessageBox(w->hwnd, message, "Convert Scheme", MB_OK | MB_ICONEXCLAMATION);
}

/* ---- the chooser: drawing ------------------------------------------------------ */

static void measure_columns(COLOURWORDS *w, HDC dc)
{
    SIZE s;
    GetTextExtentPoint32A(dc, "ABCDEFGH", 8, &s);
    w->columnWidth = s.cx;
    RECT rc;
    GetClientRect(list_of(w), &rc);
    w->listWidth = rc.right;
    w->nameWidth = rc.right - 3 * w->columnWidth;
    if (w->nameWidth < w->columnWidth)
        w->nameWidth = w->columnWidth;
    w->measure = 0;
}

static void swatch(HDC dc, RECT r, COLORREF colour)
{
    InflateRect(&r, -2, -1);
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    HBRUSH b = CreateSolidBrush(colour);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

static void draw_row(COLOURWORDS *w, const DRAWITEMSTRUCT *di)
{
    if (di->itemID == (UINT)-1)
        return;
    HDC dc = di->hDC;
    if (w->measure || !w->columnWidth)
        measure_columns(w, dc);
    int slot = (int)di->itemData;
    RECT r = di->rcItem;
    int selected = (di->itemState & ODS_SELECTED) != 0;
    HBRUSH white = (HBRUSH)GetStockObject(selected ? BLACK_BRUSH : WHITE_BRUSH);
    FillRect(dc, &r, white);
    RECT c = { r.left, r.top, r.left + w->columnWidth, r.bottom - 1 };
    swatch(dc, c, opening[slot]);
    RECT name = { c.right + 4, r.top, c.right + w->nameWidth, r.bottom };
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    DrawTextA(dc, ColourSlots[slot].name, -1, &name, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    c.left = r.left + w->columnWidth + w->nameWidth;
    c.right = c.left + w->columnWidth;
    swatch(dc, c, ColourScheme(w->scheme)[slot]);
    c.left = c.right;
    c.right = c.left + w->columnWidth;
    swatch(dc, c, working[slot].colour);
    if (di->itemState & ODS_FOCUS) {
        DrawFocusRect(dc, &r);
    } else {
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0xC0, 0xC0, 0xC0));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, r.left, r.bottom - 1, nullptr);
        LineTo(dc, r.right, r.bottom - 1);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

static void draw_title(COLOURWORDS *w, const DRAWITEMSTRUCT *di)
{
    HDC dc = di->hDC;
    if (w->measure || !w->columnWidth)
        measure_columns(w, dc);
    RECT r = di->rcItem;
    HBRUSH grey = CreateSolidBrush(RGB(0xC0, 0xC0, 0xC0));
    FillRect(dc, &r, grey);
    DeleteObject(grey);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    /* the last two titles stand over their columns, left of a scroll bar */
    int bar = (GetWindowLongA(list_of(w), GWL_STYLE) & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL)
                                                                    : 0;
    RECT c = { r.left + 2, r.top, r.left + w->columnWidth, r.bottom };
    DrawTextA(dc, "Original", -1, &c, DT_SINGLELINE | DT_VCENTER);
    int right = r.right - bar;
    c.left = right - 2 * w->columnWidth;
    c.right = right - w->columnWidth;
    DrawTextA(dc, "Scheme", -1, &c, DT_SINGLELINE | DT_VCENTER);
    c.left = right - w->columnWidth;
    c.right = right;
    DrawTextA(dc, "Current", -1, &c, DT_SINGLELINE | DT_VCENTER);
}

/* ---- the chooser: messages ------------------------------------------------------- */

static void on_create(HWND hwnd, COLOURWORDS *w)
{
    w->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)w);
    memcpy(opening, Prf.colours, sizeof opening);
    shownCount = 0;
    for (int i = 0; i < CLR_SLOTS; i++) {
        set_working(i, Prf.colours[i]);
        shownCount += ColourSlots[i].shown;
    }
}

static void on_init(COLOURWORDS *w)
{
    SendMessageA(w->hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(w->hwnd, UM_COLOURSCHANGED, 0, 0);
}

static void on_fill(COLOURWORDS *w)
{
    HWND combo = DDGetFieldWindow(w->dd, CLRDLG_SCHEME, 1);
    for (const char *name : ColourSchemeNames)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)name);
    w->scheme = ColourFindScheme(CLR_LAST);
    SendMessageA(combo, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)ColourSchemeNames[w->scheme]);
    HWND list = list_of(w);
    for (int i = 0; i < CLR_SLOTS; i++)
        if (ColourSlots[i].shown) {
            int at = (int)SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)ColourSlots[i].name);
            SendMessageA(list, LB_SETITEMDATA, at, i);
        }
    enable_selection_buttons(w);
    int developer = DlgDeveloperMode != 0;
    int converter = DlgDeveloperMode == 2 && !strcmp(CSGetComputerName(), ColourDeveloperComputer);
    int write[] = { CLRDLG_WRITE }, convert[] = { CLRDLG_CONVERT, CLRDLG_FILELABEL, CLRDLG_FILE };
    DDShowFields(w->dd, write, 1, developer, 0);
    DDShowFields(w->dd, convert, 3, converter, 0);
    ShowWindow(w->hwnd, SW_SHOW);
}

static void on_command(COLOURWORDS *w, int id, int code)
{
    switch (id) {
    case CLRDLG_LIST:
        if (code == LBN_SELCHANGE)
            selection_changed(w);
        else if (code == LBN_DBLCLK)
            change_colour(w);
        break;
    case CLRDLG_SCHEME:
        if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE)
            scheme_typed(w);
        break;
    case CLRDLG_RESETSCHEME: reset(w, 1, 0); break;
    case CLRDLG_RESETALLSCHEME: reset(w, 1, 1); break;
    case CLRDLG_RESETORIGINAL: reset(w, 0, 0); break;
    case CLRDLG_RESETALLORIGINAL: reset(w, 0, 1); break;
    case CLRDLG_CHANGE: change_colour(w); break;
    case CLRDLG_WRITE: write_scheme(); break;
    case CLRDLG_CONVERT: convert_scheme(w); break;
    case 1:
        apply_colours();
        PostMessageA(w->hwnd, WM_CLOSE, 0, 0);
        break;
    case CLRDLG_APPLY: apply_colours(); break;
    case 2: PostMessageA(w->hwnd, WM_CLOSE, 0, 0); break;
    }
}

static void remember_size(HWND hwnd)
{
    if (IsIconic(hwnd) || IsZoomed(hwnd) || !IsWindowVisible(hwnd))
        return;
    RECT rc;
    GetWindowRect(hwnd, &rc);
    Prf.dialogs[DLG_COLOUR][2] = rc.right - rc.left;
    Prf.dialogs[DLG_COLOUR][3] = rc.bottom - rc.top;
}

LRESULT CALLBACK ColourDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    COLOURWORDS *w = words_of(hwnd);
    switch (msg) {
    case WM_CREATE:
        on_create(hwnd, (COLOURWORDS *)((CREATESTRUCTA *)lp)->lpCreateParams);
        return 0;
    case WM_INITDIALOG:
        if (w) {
            w->dd = (DDHANDLE)wp;
            on_init(w);
        }
        return 0;
    case UM_CHOOSERFILL:
        if (w)
            on_fill(w);
        return 0;
    case UM_NEWFONT:
        if (w && winFonts.mainFont) {
            DDSetFont(w->dd, winFonts.mainFont);
            w->measure = 1;
        }
        return 0;
    case UM_COLOURSCHANGED:
        if (w)
            ColourDialogChanged(hwnd, w->dd);
        return 0;
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT *mi = (MEASUREITEMSTRUCT *)lp;
        int cw = 0, lh = 0;
        WinGetCharSize(hwnd, winFonts.mainFont, &cw, &lh);
        mi->itemHeight = (lh > 0 ? lh : 13) + 2;
        return TRUE;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT *di = (const DRAWITEMSTRUCT *)lp;
        if (w && di->CtlID == CLRDLG_LIST)
            draw_row(w, di);
        else if (w && di->CtlID == CLRDLG_TITLE)
            draw_title(w, di);
        return TRUE;
    }
    case WM_COMMAND:
        if (w)
            on_command(w, LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_SIZE:
        if (w)
            w->measure = 1;
        remember_size(hwnd);
        break;
    case WM_CLOSE:
        if (w) {
            DDDestroy(&w->dd);
            SetWindowLongPtrA(hwnd, 0, 0);
            CSFreeMem(w);
            free_working();
        }
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (chooser == hwnd)
            chooser = nullptr;
        UtilRemoveModeless(hwnd);
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND PCFColourDialog(HWND owner)
{
    if (chooser) {
        SetForegroundWindow(chooser);
        SetFocus(chooser);
        return chooser;
    }
    COLOURWORDS *w = (COLOURWORDS *)CSGetMem(sizeof(COLOURWORDS), "ColourWords");
    if (!w)
        return nullptr;
    memset(w, 0, sizeof *w);
    HWND hwnd = DDCreateDialog(nullptr, DLG_COLOURDLG, 0, "Kelvane Colour Chooser",
                               "DLG_COLOURDLG", owner, ColourDlgProc, (LPARAM)w);
    if (!hwnd) {
        CSFreeMem(w);
        return nullptr;
    }
    chooser = hwnd;
    AddModeless(hwnd, 1, nullptr, nullptr);
    int cx = Prf.dialogs[DLG_COLOUR][2], cy = Prf.dialogs[DLG_COLOUR][3];
    if (cx < 200 || cy < 200) {
        SIZE need;
        DDCalcMinSize(w->dd, &need);
        RECT rc = { 0, 0, need.cx + 200, need.cy + 160 };
        AdjustWindowRectEx(&rc, GetWindowLongA(hwnd, GWL_STYLE), FALSE, 0);
        cx = rc.right - rc.left;
        cy = rc.bottom - rc.top;
    }
    WinPositionAtCursor(hwnd, cx, cy, 0);
    PostMessageA(hwnd, UM_CHOOSERFILL, 0, 0);
    return hwnd;
}
