/* The "Find and Replace" dialog of a message dialog (DLG_FINDREPLACE),
 * built by the dynamic dialog engine: the find and replacement combo
 * boxes with their histories, the direction, case and message-data
 * options, the Find, Replace and Replace All buttons and a status line.
 * It reads its controls for the find code (edFind) and hands each button
 * to it; the strings stay in the pane after it closes. */
#include "edwnd.h"
#include "edfind.h"
#include "confirm.h"
#include "dd.h"
#include "prfdata.h"
#include "tkplace.h"
#include "tkwin.h"
#include <cstdio>
#include <cstring>
#include <initializer_list>

enum {
    ID_FIND = 415, ID_DATA_ONLY = 531, ID_REPLACE = 524, ID_FORWARD = 527, ID_BACKWARD = 528,
    ID_MATCH_CASE = 525, ID_IGNORE_CASE = 526, ID_STATUS = 103,
};

#define F(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}
#define COMBO (CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP)
#define RADIO (BS_AUTORADIOBUTTON | WS_TABSTOP)

DDFieldDef DLG_FINDREPLACE[] = {
    F(DD_STATIC | DDF_CLASS1, 0, "Find Text ", 0, 0), F(DD_COMBOBOX, ID_FIND, "", 36, COMBO),
    F(DD_CHECKBOX | DDF_NEWROW, ID_DATA_ONLY, "Find in message data only", 0, BS_AUTOCHECKBOX | WS_TABSTOP),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Replace Text ", 0, 0), F(DD_COMBOBOX, ID_REPLACE, "", 36, COMBO),
    F(DD_RADIO | DDF_NEWROW, ID_FORWARD, "   Forward", 0, RADIO | WS_GROUP), F(DD_RADIO, ID_BACKWARD, "   Backward", 0, RADIO),
    F(DD_RADIO | DDF_NEWROW, ID_MATCH_CASE, "   Match Case", 0, RADIO | WS_GROUP),
    F(DD_RADIO, ID_IGNORE_CASE, "   Ignore Case", 0, RADIO),
    F(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, FR_FIND, " Find ", 1, BS_DEFPUSHBUTTON | WS_TABSTOP),
    F(DD_BUTTON | DDF_CLASS2, FR_REPLACE, " Replace ", 1, WS_TABSTOP),
    F(DD_BUTTON | DDF_CLASS2, FR_REPLACE_ALL, " Replace All ", 1, WS_TABSTOP),
    F(DD_BUTTON | DDF_CLASS2, IDCANCEL, " Cancel ", 1, WS_TABSTOP),
    {DD_STATIC | DDF_NEWROW, ID_STATUS, "", 0, nullptr, 0, 50, 1, 0, 0, 0},
    END,
};

static PlaceRect lastPlace;             /* the program-wide last place and size */

static DialogWords *Owner(HWND hwnd) { return (DialogWords *)GetWindowLongPtrA(hwnd, GWLP_USERDATA); }
static DDHANDLE Handle(const DialogWords *d) { return d ? (DDHANDLE)d->findDialog : nullptr; }

/* ---- what the find code reads and writes ---- */

static int Texts(DialogWords *d, char *find, uint32_t fs, char *replace, uint32_t rs)
{
    DDHANDLE dd = Handle(d);
    if (!dd || !d->findWindow)
        return 0;
    DDGetFieldText(dd, ID_FIND, find, (int)fs);
    DDGetFieldText(dd, ID_REPLACE, replace, (int)rs);
    uint32_t options = 0;
    if (!DDGetCheck(dd, ID_FORWARD))
        options |= FO_BACKWARD;
    if (!DDGetCheck(dd, ID_IGNORE_CASE))
        options |= FO_MATCH_CASE;
    if (DDGetCheck(dd, ID_DATA_ONLY))
        options |= FO_DATA_ONLY;
    d->displayFlags = (d->displayFlags & ~(FO_BACKWARD | FO_MATCH_CASE | FO_DATA_ONLY)) | options;
    return 2;
}

static void Status(DialogWords *d, const char *text)
{
    if (DDHANDLE dd = Handle(d))
        DDSetFieldText(dd, ID_STATUS, 0, text);
}

static void Progress(DialogWords *d)
{
    EdDialogCount(d);
    if (d->countWindow)
        UpdateWindow((HWND)d->countWindow);
}

void EdUseFindDialog(void)
{
    edFind = EdFindHost{ Texts, Status, Progress };
}

/* ---- the controls ---- */

/* Buttons enabled exactly when there is a text to find. */
static void FindEnableButtons(DialogWords *d)
{
    DDHANDLE dd = Handle(d);
    if (!dd)
        return;
    int on = DDGetFieldTextLength(dd, ID_FIND) > 0;
    for (int id : { (int)FR_FIND, (int)FR_REPLACE, (int)FR_REPLACE_ALL })
        DDEnableField(dd, id, on, 0);
    if (d->editor)
        d->editor->findState.changed = 1;
}

/* A combo box's list from a history, newest first, keeping the typed text. */
static void FRFillCombo(HWND combo, const CSLIST *history, int keepText)
{
    char typed[256] = "";
    if (keepText)
        GetWindowTextA(combo, typed, sizeof typed);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const CSLISTELEM *e = history->last; e; e = e->prev)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)((const FRText *)e)->text);
    if (keepText)
        SetWindowTextA(combo, typed);
}

static void Fill(DialogWords *d)
{
    DDHANDLE dd = Handle(d);
    static const struct { int id; const CSLIST *history; } combos[] = {
        { ID_FIND, &frFindHistory }, { ID_REPLACE, &frReplaceHistory },
    };
    for (auto &c : combos) {
        HWND combo = DDGetFieldWindow(dd, c.id, 0);
        if (!combo)
            continue;
        FRFillCombo(combo, c.history, 0);
        const FRText *newest = FRNewest(c.history);
        SetWindowTextA(combo, newest ? newest->text : "");
        SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    }
    FindEnableButtons(d);
}

/* ---- the window ---- */

static void OnInit(HWND hwnd, DDHANDLE dd, DialogWords *d)
{
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)d);
    d->findWindow = hwnd;
    d->findDialog = dd;
    DDSetCheck(dd, (d->displayFlags & FO_MATCH_CASE) ? ID_MATCH_CASE : ID_IGNORE_CASE, 1);
    DDSetCheck(dd, (d->displayFlags & FO_BACKWARD) ? ID_BACKWARD : ID_FORWARD, 1);
    DDSetCheck(dd, ID_DATA_ONLY, (d->displayFlags & FO_DATA_ONLY) != 0);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    if (HWND find = DDGetFieldWindow(dd, ID_FIND, 0))
        SetFocus(find);
}

static void OnDestroy(HWND hwnd, DialogWords *d)
{
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    EdDialogModeless(hwnd, d, 0);
    if (!d)
        return;
    DDHANDLE dd = Handle(d);
    d->findWindow = nullptr;
    d->findDialog = nullptr;
    DDDestroy(&dd);
    if (d->dataWindow && IsWindow((HWND)d->dataWindow))
        SetFocus((HWND)d->dataWindow);
}

/* WM_MOVE and WM_SIZE: the place kept in the pane and for the program. */
static void Remember(HWND hwnd, DialogWords *d, int size)
{
    if (!d || !d->editor || IsIconic(hwnd) || !IsWindowVisible(hwnd))
        return;
    RECT r;
    GetWindowRect(hwnd, &r);
    EdFindState *f = &d->editor->findState;
    f->x = r.left;
    f->y = r.top;
    if (size) {
        f->cx = r.right - r.left;
        f->cy = r.bottom - r.top;
        lastPlace.cx = f->cx;
        lastPlace.cy = f->cy;
    }
    lastPlace.x = r.left;
    lastPlace.y = r.top;
}

static void OnCommand(HWND hwnd, DialogWords *d, int id, int code)
{
    switch (id) {
    case IDCANCEL:
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    case FR_FIND:
        if (!FRFindNext(d, 1, 0, 1))
            WinPlaySound(Prf.wsnd, 0, 0);
        break;
    case ID_FIND: case ID_REPLACE:
        if (code == CBN_SELCHANGE)
            PostMessageA(hwnd, UM_ENABLE, 0, 0);
        else if (code == CBN_EDITUPDATE)
            FindEnableButtons(d);
        else if (code == CBN_DROPDOWN)
            FRFillCombo((HWND)DDGetFieldWindow(Handle(d), id, 0), id == ID_FIND ? &frFindHistory : &frReplaceHistory, 1);
        break;
    case FR_REPLACE:
        if (FRValidate(d, FR_REPLACE))
            FindReplaceOnce(d, 0);
        break;
    case FR_REPLACE_ALL:
        if (FRValidate(d, FR_REPLACE_ALL))
            FindReplaceAll(d);
        break;
    }
}

static void SetColours(HWND hwnd, DDHANDLE dd)
{
    if (dlgColours.brush)
        SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
    if (dlgColours.text)
        DDSetFieldColours(dd, DD_STATIC, 0, 0, 0, dlgColours.text, dlgColours.back, dlgColours.brush);
}

LRESULT CALLBACK FRDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DialogWords *d = Owner(hwnd);
    DDHANDLE dd = Handle(d);
    switch (msg) {
    case WM_INITDIALOG:
        OnInit(hwnd, (DDHANDLE)wp, (DialogWords *)lp);
        return 0;
    case WM_MOVE:
        Remember(hwnd, d, 0);
        break;
    case WM_SIZE:
        if (wp == SIZE_RESTORED)
            Remember(hwnd, d, 1);
        break;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        OnDestroy(hwnd, d);
        return 0;
    case WM_COMMAND:
        if (d)
            OnCommand(hwnd, d, LOWORD(wp), HIWORD(wp));
        return 0;
    case UM_ENABLE:
        FindEnableButtons(d);
        return 0;
    case UM_FILL:
        if (d)
            Fill(d);
        return 0;
    case UM_NEWFONT:
        if (dd && winFonts.mainFont)
            DDSetFont(dd, winFonts.mainFont);
        return 0;
    case UM_COLOURSCHANGED:
        if (dd)
            SetColours(hwnd, dd);
        return 0;
    case DDM_UNDO:
        if (d && d->editor)
            EdUndo(d->editor, 0);
        return 0;
    case DDM_REDO:
        if (d && d->editor)
            EdRedo(d->editor);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int FRShowDialog(DialogWords *d)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed)
        return 1;
    if (HWND open = (HWND)d->findWindow) {
        SetActiveWindow(open);
        if (HWND find = DDGetFieldWindow(Handle(d), ID_FIND, 0)) {
            SetFocus(find);
            SendMessageA(find, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        }
        return 1;
    }
    HWND w = DDCreateDialog(nullptr, DLG_FINDREPLACE, DDC_ESCAPECLOSES, "Find and Replace", "DLG_FINDREPLACE",
                            (HWND)d->window, FRDlgProc, (LPARAM)d);
    if (!w) {
        WinOpError("Create Find/Replace Dialog");
        return 1;
    }
    SetWindowLongA(w, GWL_STYLE, GetWindowLongA(w, GWL_STYLE) & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EdDialogModeless(w, d, 1);                      /* its keys through the program's loop */
    EdFindState *f = &ed->findState;
    if (!f->cx) {
        SIZE need;
        DDCalcMinSize(Handle(d), &need);
        RECT rc = { 0, 0, need.cx, need.cy };
        AdjustWindowRectEx(&rc, GetWindowLongA(w, GWL_STYLE), FALSE, GetWindowLongA(w, GWL_EXSTYLE));
        AreaRect a = {};
        a.right = lastPlace.cx > 0 ? lastPlace.cx : rc.right - rc.left;
        a.bottom = lastPlace.cy > 0 ? lastPlace.cy : rc.bottom - rc.top;
        WinCentreOnRect(&a, (HWND)d->window);
        f->x = a.left;
        f->y = a.top;
        f->cx = a.right - a.left;
        f->cy = a.bottom - a.top;
    }
    PlaceRect r = {};
    r.x = f->x;
    r.y = f->y;
    r.cx = f->cx;
    r.cy = f->cy;
    WinFitWindowRect(w, &r, 1, 0);
    PostMessageA(w, UM_FILL, 0, 0);
    ShowWindow(w, SW_SHOW);
    return 1;
}
