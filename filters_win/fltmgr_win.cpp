/* The Filter Manager: the one modeless dialog that lists, adds, changes,
 * deletes and exports named filters.  Its state record is program-wide;
 * the list is owner-drawn ("[S]" before exportable filters); every user
 * error goes to the status field; the window procedure hands each
 * message to a helper. */
#include "fltwin.h"
#include "dd.h"
#include "confirm.h"
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"
#include "prfdata.h"
#include "cs.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#define F(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}
#define NAME_LIMIT 99                   /* characters of a name */
#define SHARED_MARK 5                   /* average characters of the "[S]" column */

DDFieldDef FilterManagerTable[] = {
    F(DD_STATIC, 0, " Defined Filters", 0, 0),
    {DD_LISTBOX | DDF_NEWROW | DDF_FILL, FLTC_LIST, nullptr, 0, nullptr,
     LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_SORT | LBS_HASSTRINGS | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
     50, 8, 0, 0, 0},
    F(DD_STATIC | DDF_NEWROW, 0, " Filter Name", 0, 0),
    F(DD_EDIT | DDF_NEWROW, FLTC_NAME, "", 30, 0),
    F(DD_CHECKBOX, FLTC_LOCAL, "Local", 0, BS_AUTOCHECKBOX),
    F(DD_CHECKBOX, FLTC_EXPORTABLE, "Exportable", 0, BS_AUTOCHECKBOX),
    F(DD_STATIC | DDF_NEWROW, 0, " Filter Definition", 0, 0),
    {DD_MULTIEDIT | DDF_NEWROW | DDF_FILL, FLTC_DEFINITION, "", 50, nullptr,
     ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP, 50, 6, 0, 0, 0},
    F(DD_EDIT | DDF_NEWROW, FLTC_STATUS, "", 50, ES_READONLY),
    F(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 1, "OK", 1, BS_DEFPUSHBUTTON),
    F(DD_BUTTON | DDF_CLASS2, FLTC_APPLY, "Apply", 1, 0),
    F(DD_BUTTON | DDF_CLASS2, FLTC_DELETE, "Delete", 1, 0),
    F(DD_BUTTON | DDF_CLASS2, FLTC_EXPORT, "Export Shared", 1, 0),
    F(DD_BUTTON | DDF_CLASS2, 2, "Cancel", 1, 0),
    END};

/* The dialog's program-wide state. */
static struct {
    HWND window;
    DDHANDLE dd;
    int suppress;                       /* the dialog fills itself */
    char *shown;                        /* the definition as last shown ("FLTSHOWN") */
    char lastName[FILKEY_NAME];
    int statusSet;
    int lastIndex;
} Fm;

static int Confirm(HWND owner, const char *question, const char *name)
{
    const FLTWINHOOKS *h = FltWinHooks();
    if (h->confirm)
        return h->confirm(h->context, owner, question, name);
    return WinConfirm(owner, 0, question, name, nullptr, 0);
}

HWND FltManagerWindow(void) { return Fm.window; }

static HWND Field(int id) { return Fm.dd ? DDGetFieldWindow(Fm.dd, id, 0) : nullptr; }

static void SetStatus(const char *text)
{
    Fm.suppress++;
    DDSetFieldText(Fm.dd, FLTC_STATUS, 0, text);
    Fm.suppress--;
    Fm.statusSet = text[0] != 0;
}

/* The definition text of the field, as a new block ("FLTDEF"). */
static char *DefinitionText(void)
{
    HWND edit = Field(FLTC_DEFINITION);
    int n = edit ? GetWindowTextLengthA(edit) : 0;
    for (int size = 1000;; size += 1000) {
        if (size <= n)
            continue;
        char *text = (char *)CSGetMem((size_t)size, "FLTDEF");
        if (!text)
            return nullptr;
        text[0] = 0;
        int got = edit ? GetWindowTextA(edit, text, size) : 0;
        if (got < size - 1)
            return text;
        CSFreeMem(text);
        n = got + 1;
    }
}

static void Remember(const char *definition, const char *name)
{
    size_t n = strlen(definition);
    char *copy = (char *)CSGetMem(n + 1, "FLTSHOWN");
    if (copy)
        memcpy(copy, definition, n + 1);
    CSFreeMemAndClear(&Fm.shown);
    Fm.shown = copy;
    UTStrCopy(Fm.lastName, name, sizeof Fm.lastName);
}

/* ---- the list ----------------------------------------------------------- */

static FILKEY *EntryAt(int index)
{
    HWND lb = Field(FLTC_LIST);
    LRESULT data = lb && index >= 0 ? SendMessageA(lb, LB_GETITEMDATA, (WPARAM)index, 0) : LB_ERR;
    return data == LB_ERR ? nullptr : (FILKEY *)data;
}

static int Selected(void)
{
    HWND lb = Field(FLTC_LIST);
    return lb ? (int)SendMessageA(lb, LB_GETCURSEL, 0, 0) : -1;
}

static void AddEntries(HWND lb, CSTREE *tree, int shared)
{
    for (CSTREE *e = CSTreeFirst(tree); e; e = e->next) {
        const FILKEY *f = (const FILKEY *)e;
        char text[FILKEY_NAME + 2];
        snprintf(text, sizeof text, "%s%s", f->name, shared ? "$" : "");
        LRESULT i = SendMessageA(lb, LB_ADDSTRING, 0, (LPARAM)text);
        if (i >= 0)
            SendMessageA(lb, LB_SETITEMDATA, (WPARAM)i, (LPARAM)f);
    }
}

/* Refills the list; the entry of an element is selected when given, else
 * the previous index stays (bounded). */
static void FillList(const FILKEY *select)
{
    HWND lb = Field(FLTC_LIST);
    if (!lb)
        return;
    int previous = Selected();
    SendMessageA(lb, LB_RESETCONTENT, 0, 0);
    AddEntries(lb, FltLocalFilters, 0);
    AddEntries(lb, FltSharedFilters, 1);
    int n = (int)SendMessageA(lb, LB_GETCOUNT, 0, 0);
    int index = -1;
    for (int i = 0; select && i < n; i++)
        if (EntryAt(i) == select)
            index = i;
    if (index < 0 && !select)
        index = previous >= n ? n - 1 : previous;
    SendMessageA(lb, LB_SETCURSEL, (WPARAM)index, 0);
    Fm.lastIndex = index;
}

void FltEnableButtons(void)
{
    if (!Fm.dd)
        return;
    int local = DDGetCheck(Fm.dd, FLTC_LOCAL);
    for (int id : { (int)FLTC_DEFINITION, (int)FLTC_EXPORTABLE, 1, (int)FLTC_APPLY })
        DDEnableField(Fm.dd, id, local, 0);
    DDEnableField(Fm.dd, FLTC_EXPORT, Prf.sffile[0] && !FltPrefs.exportDisabled, 0);
}

/* Name and definition of the selected entry into the fields. */
static void ShowSelection(void)
{
    FILKEY *f = EntryAt(Selected());
    Fm.suppress++;
    DDSetFieldText(Fm.dd, FLTC_NAME, NAME_LIMIT, f ? f->name : "");
    SetWindowTextA(Field(FLTC_DEFINITION), f && f->text ? f->text : "");
    DDSetCheck(Fm.dd, FLTC_LOCAL, f ? FltIsLocal(f) : 1);
    DDSetCheck(Fm.dd, FLTC_EXPORTABLE, f ? (f->flags & FILKEY_SHARED) != 0 : 0);
    Fm.suppress--;
    Remember(f && f->text ? f->text : "", f ? f->name : "");
    Fm.lastIndex = Selected();
    FltEnableButtons();
}

/* The entry a name selects (exact name; local first), or -1. */
static int FindName(const char *name)
{
    HWND lb = Field(FLTC_LIST);
    int n = lb ? (int)SendMessageA(lb, LB_GETCOUNT, 0, 0) : 0;
    int shared = -1;
    for (int i = 0; i < n; i++) {
        FILKEY *f = EntryAt(i);
        if (f && !strcmp(f->name, name)) {
            if (FltIsLocal(f))
                return i;
            if (shared < 0)
                shared = i;
        }
    }
    return shared;
}

/* 11347: selects a filter by name, or says it is not there. */
static void SelectName(const char *name)
{
    int i = FindName(name);
    if (i >= 0) {
        SendMessageA(Field(FLTC_LIST), LB_SETCURSEL, (WPARAM)i, 0);
        ShowSelection();
        return;
    }
    char text[FILKEY_NAME + 60];
    snprintf(text, sizeof text, "Filter definition '%.99s' not found", name);
    SendMessageA(Field(FLTC_LIST), LB_SETCURSEL, (WPARAM)-1, 0);
    Fm.suppress++;
    DDSetFieldText(Fm.dd, FLTC_NAME, NAME_LIMIT, name);
    SetWindowTextA(Field(FLTC_DEFINITION), "");
    Fm.suppress--;
    Remember("", name);
    SetStatus(text);
}

/* ---- drawing ------------------------------------------------------------ */

static void DrawEntry(const DRAWITEMSTRUCT *di)
{
    if (di->itemID == (UINT)-1)
        return;
    const FILKEY *f = (const FILKEY *)di->itemData;
    int selected = (di->itemState & ODS_SELECTED) != 0;
    HDC dc = di->hDC;
    HBRUSH back = CreateSolidBrush(selected ? FltColours.selectBack : FltColours.listBack);
    FillRect(dc, &di->rcItem, back);
    DeleteObject(back);
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    RECT r = di->rcItem;
    int column = SHARED_MARK * tm.tmAveCharWidth;
    if (f && (f->flags & FILKEY_SHARED)) {
        RECT mark = { r.left, r.top, r.left + column, r.bottom };
        HBRUSH b = CreateSolidBrush(FltColours.selectBack);
        FillRect(dc, &mark, b);
        DeleteObject(b);
        SetTextColor(dc, FltColours.selectFore);
        DrawTextA(dc, "[S]", 3, &mark, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    }
    r.left += column + 2;
    SetTextColor(dc, selected ? FltColours.selectFore : FltColours.listFore);
    char text[FILKEY_NAME + 2];
    SendMessageA(di->hwndItem, LB_GETTEXT, di->itemID, (LPARAM)text);
    DrawTextA(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (di->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &di->rcItem);
}

/* ---- commands ------------------------------------------------------------ */

void FltNamedFilterChanged(DialogWords *d, const char *name)
{
    (void)name;
    if (!d || !d->filterText || !strchr(d->filterText, '$'))
        return;
    PCFFilterFree(d);
}

/* Tells every open command dialog that a named filter changed. */
static void Broadcast(const char *name)
{
    for (DialogWords *d = PCFOpenDialogs; d; d = d->next)
        if (d->window)
            SendMessageA((HWND)d->window, UM_FLT_NAMECHANGED, 0, (LPARAM)name);
}

static int Store(int close)
{
    char name[FILKEY_NAME + 1];
    DDGetFieldText(Fm.dd, FLTC_NAME, name, sizeof name);
    char *definition = DefinitionText();
    if (!definition)
        return 0;
    char message[FLT_ERROR_SIZE];
    int start, end;
    if (FltCheckEntry(name, definition, message, &start, &end)) {
        if (start >= 0) {
            SendMessageA(Field(FLTC_DEFINITION), EM_SETSEL, (WPARAM)start, (LPARAM)end);
            SendMessageA(Field(FLTC_DEFINITION), EM_SCROLLCARET, 0, 0);
        }
        SetStatus(message);
        CSFreeMem(definition);
        return 0;
    }
    char *p = UTStripChars(name, " \t");
    FILKEY *kept = nullptr;
    int replaced = FltStoreEntry(p, definition, DDGetCheck(Fm.dd, FLTC_LOCAL), DDGetCheck(Fm.dd, FLTC_EXPORTABLE),
                                 &kept);
    CSFreeMem(definition);
    if (replaced < 0)
        return 0;
    FillList(kept);
    ShowSelection();
    char text[FILKEY_NAME + 60];
    snprintf(text, sizeof text, replaced ? "Filter definition '%.99s' updated" : "Filter definition '%.99s' added", p);
    SetStatus(text);
    Broadcast(p);
    if (close)
        DestroyWindow(Fm.window);
    return 1;
}

static void Delete(void)
{
    FILKEY *f = EntryAt(Selected());
    if (!f) {
        SetStatus("No filter item selected");
        return;
    }
    int local = FltIsLocal(f);
    char name[FILKEY_NAME];
    UTStrCopy(name, f->name, sizeof name);
    if (!Confirm(Fm.window, local ? "delete local filter" : "delete shared filter", name))
        return;
    FltDeleteEntry(f);
    FillList(nullptr);
    ShowSelection();
    char text[FILKEY_NAME + 40];
    snprintf(text, sizeof text, "Filter '%.99s' deleted.", name);
    SetStatus(text);
}

static void Export(void)
{
    char message[400];
    message[0] = 0;
    PrfExportFilters(message);
    SetStatus(message);
}

int FltCheckChanged(HWND hwnd)
{
    if (!Fm.dd || Fm.suppress)
        return 0;
    char *definition = DefinitionText();
    if (!definition)
        return 0;
    int changed = strcmp(definition, Fm.shown ? Fm.shown : "") != 0;
    CSFreeMem(definition);
    if (!changed)
        return 0;
    return !Confirm(hwnd, "!The filter content has changed are you sure you want to continue without saving?",
                    nullptr);
}

static void SelectionChanged(void)
{
    if (FltCheckChanged(Fm.window)) {
        SendMessageA(Field(FLTC_LIST), LB_SETCURSEL, (WPARAM)Fm.lastIndex, 0);
        return;
    }
    ShowSelection();
}

static void OnCommand(HWND hwnd, int id, int code)
{
    switch (id) {
    case FLTC_LIST:
        if (code == LBN_SELCHANGE)
            SelectionChanged();
        break;
    case FLTC_NAME:
        if (code == EN_CHANGE && !Fm.suppress && Fm.statusSet)
            SetStatus("");
        break;
    case FLTC_LOCAL:
        if (code == BN_CLICKED)
            FltEnableButtons();
        break;
    case 1: Store(1); break;
    case FLTC_APPLY: Store(0); break;
    case FLTC_DELETE: Delete(); break;
    case FLTC_EXPORT: Export(); break;
    case 2:
        if (!FltCheckChanged(hwnd))
            DestroyWindow(hwnd);
        break;
    }
}

/* ---- set-up, fonts and colours --------------------------------------------- */

static void Colours(HWND hwnd)
{
    if (dlgColours.brush)
        SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
    DDSetFieldColours(Fm.dd, DD_BACKGROUND, 0, 0, 0, dlgColours.text, dlgColours.back, dlgColours.brush);
    InvalidateRect(hwnd, nullptr, TRUE);
}

static void Fonts(void)
{
    if (winFonts.mainFont)
        DDSetFont(Fm.dd, winFonts.mainFont);
}

static void StatusFont(void)
{
    if (winFonts.smallFont)
        DDSetFieldFont(Fm.dd, FLTC_STATUS, winFonts.smallFont);
}

static void Init(HWND hwnd, DDHANDLE dd)
{
    Fm.window = hwnd;
    Fm.dd = dd;
    SendMessageA(Field(FLTC_NAME), EM_LIMITTEXT, NAME_LIMIT, 0);
    Fonts();
    StatusFont();
    Colours(hwnd);
    FillList(nullptr);
    SendMessageA(Field(FLTC_LIST), LB_SETCURSEL, (WPARAM)-1, 0);
    ShowSelection();
}

static void SavePlacement(HWND hwnd)
{
    RECT r;
    if (!GetWindowRect(hwnd, &r))
        return;
    int32_t *p = Prf.dialogs[DLG_FILTERS];
    p[0] = r.left;
    p[1] = r.top;
    p[2] = r.right - r.left;
    p[3] = r.bottom - r.top;
}

static void OnDestroy(HWND hwnd)
{
    SavePlacement(hwnd);
    DDDestroy(&Fm.dd);
    CSFreeMemAndClear(&Fm.shown);
    Fm.window = nullptr;
    Fm.statusSet = 0;
}

static LRESULT CALLBACK FilterManagerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        Init(hwnd, (DDHANDLE)wp);
        return 0;
    case WM_MEASUREITEM: {
        MEASUREITEMSTRUCT *mi = (MEASUREITEMSTRUCT *)lp;
        int h = winFonts.mainLineHeight ? winFonts.mainLineHeight : (int)mi->itemHeight;
        mi->itemHeight = (UINT)(h < 16 ? 16 : h);
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wp == FLTC_LIST)
            DrawEntry((const DRAWITEMSTRUCT *)lp);
        return TRUE;
    case WM_COMMAND:
        if (Fm.dd)
            OnCommand(hwnd, LOWORD(wp), HIWORD(wp));
        return 0;
    case UM_NEWFONT:
        Fonts();
        return 0;
    case UM_PANE_NEWFONT:
        StatusFont();
        return 0;
    case UM_COLOURSCHANGED:
        Colours(hwnd);
        return 0;
    case UM_FLT_SELECT:
        if (lp)
            SelectName((const char *)lp);
        return 0;
    case WM_CLOSE:
        if (!FltCheckChanged(hwnd))
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        OnDestroy(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* ---- opening ------------------------------------------------------------------ */

static HWND Create(void)
{
    if (Fm.window) {
        SetForegroundWindow(Fm.window);
        return Fm.window;
    }
    HWND hwnd = DDCreateDialog(nullptr, FilterManagerTable, DDC_ESCAPECLOSES, "Filter Manager", "DLG_FILTERS",
                               FltWinHooks()->owner, FilterManagerProc, 0);
    if (!hwnd)
        return nullptr;
    const int32_t *p = Prf.dialogs[DLG_FILTERS];
    if (p[2] > 0 && p[3] > 0) {
        SetWindowPos(hwnd, nullptr, p[0], p[1], p[2], p[3], SWP_NOZORDER);
    } else {
        int cw, ch;
        WinGetCharSize(hwnd, winFonts.mainFont, &cw, &ch);
        SetWindowPos(hwnd, nullptr, 0, 0, 64 * cw, 30 * ch, SWP_NOMOVE | SWP_NOZORDER);
        WinCentreWindow(hwnd);
    }
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

int FltOpenDialog(const char *name)
{
    char text[FLT_TEXT_MAX + 1] = "";
    const FLTWINHOOKS *h = FltWinHooks();
    if (!name && h->activeDialog) {
        DialogWords *d = h->activeDialog(h->context);
        if (d && FltFieldText(d, text, 101) > 0) {
            char *t = UTStripChars(text, " \t");
            memmove(text, t, strlen(t) + 1);
            name = text;
        }
    }
    char remembered[FILKEY_NAME];
    UTStrCopy(remembered, Fm.lastName, sizeof remembered);
    if (!Create())
        return 0;
    if (name && name[0] == '$') {
        SendMessageA(Fm.window, UM_FLT_SELECT, 0, (LPARAM)(name + 1));
        return 0;
    }
    if (!name || !name[0]) {
        if (remembered[0] && FindName(remembered) >= 0) {
            SendMessageA(Fm.window, UM_FLT_SELECT, 0, (LPARAM)remembered);
            return 1;
        }
        return 0;
    }
    return 0;
}

void FltRefreshDialog(void)
{
    if (Fm.window)
        SendMessageA(Fm.window, UM_PANE_NEWFONT, 0, 0);
}

void FltShowError(const char *name, int start, int end)
{
    if (!Create())
        return;
    SendMessageA(Fm.window, UM_FLT_SELECT, 0, (LPARAM)name);
    HWND edit = Field(FLTC_DEFINITION);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, (WPARAM)start, (LPARAM)end);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

void FltCloseDialog(void)
{
    if (Fm.window)
        DestroyWindow(Fm.window);
}
