/* The "Export IBM MQ Definition" dialog (DLG_EXPORTDLG) of a command
 * dialog: the export type and selection, a file or the clipboard, and an
 * export run on OK or Apply. */
#include "expwin.h"

#include <cstdio>
#include <cstring>

#include "cs.h"
#include "confirm.h"
#include "filedlg.h"
#include "prfdata.h"
#include "qms.h"
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define LABEL(id, text) ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, id, text, 0, 0)
#define BUTTON(id, text) ROW(DD_BUTTON | DDF_CLASS2, id, text, 1, 0)
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

DDFieldDef DLG_EXPORTDLG[] = {
    LABEL(0, "Export Type "), ROW(DD_COMBOBOX, EXD_TYPE, "", 16, CBS_DROPDOWNLIST | WS_VSCROLL),
    LABEL(EXD_SELECTIONTITLE, "Export Selection "),
    ROW(DD_COMBOBOX, EXD_SELECTION, "", 16, CBS_DROPDOWNLIST | WS_VSCROLL),
    ROW(DD_RADIO | DDF_NEWROW, EXD_TOFILE, "Export to File", 0, BS_AUTORADIOBUTTON | WS_GROUP),
    ROW(DD_RADIO, EXD_TOCLIP, "Export to Clipboard", 0, BS_AUTORADIOBUTTON),
    LABEL(0, "File name"), ROW(DD_EDIT, EXD_FILE, "", 60, 0), BUTTON(EXD_BROWSE, "..."),
    ROW(DD_CHECKBOX | DDF_NEWROW, EXD_OVERWRITE, "Overwrite", 0, BS_AUTOCHECKBOX),
    ROW(DD_CHECKBOX, EXD_APPEND, "Append", 0, BS_AUTOCHECKBOX),
    ROW(DD_CHECKBOX, EXD_HEADER, "Always Header", 0, BS_AUTOCHECKBOX),
    ROW(DD_EDIT | DDF_NEWROW, EXD_STATUS, "", 50, ES_READONLY),
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 1, "OK", 1, BS_DEFPUSHBUTTON),
    BUTTON(EXD_APPLY, "Apply"), BUTTON(2, "Cancel"),
    END};

struct EXPWORDS {
    HWND hwnd;
    DDHANDLE dd;
    DialogWords *dialog;
};

static EXPWORDS *words_of(HWND hwnd)
{
    return (EXPWORDS *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

static void status(EXPWORDS *w, const char *text)
{
    DDSetFieldValue(w->dd, EXD_STATUS, text);
}

/* The export type chosen in the combo box (its item data), or -1. */
static int chosen(EXPWORDS *w, int id)
{
    HWND combo = DDGetFieldWindow(w->dd, id, 0);
    int sel = combo ? (int)SendMessageA(combo, CB_GETCURSEL, 0, 0) : -1;
    return sel < 0 ? -1 : (int)SendMessageA(combo, CB_GETITEMDATA, (WPARAM)sel, 0);
}

/* "Always Header" only for appending Text or CSV to a file. */
static void enable_header(EXPWORDS *w)
{
    int type = chosen(w, EXD_TYPE);
    int on = DDGetCheck(w->dd, EXD_TOFILE) && DDGetCheck(w->dd, EXD_APPEND) &&
             (type == EXP_TEXT || type == EXP_CSV);
    DDEnableField(w->dd, EXD_HEADER, on, 0);
}

static void fill(EXPWORDS *w)
{
    DialogWords *d = w->dialog;
    HWND types = DDGetFieldWindow(w->dd, EXD_TYPE, 0), sel = DDGetFieldWindow(w->dd, EXD_SELECTION, 0);
    uint32_t flags = d->definition ? d->definition->flags : 0;
    for (int t = EXP_TEXT; types && t < EXP_POINTS; t++) {
        if (t == EXP_MQSC && !(flags & PCFD_EXPORTMQSC))
            continue;
        int row = (int)SendMessageA(types, CB_ADDSTRING, 0, (LPARAM)ExportTypes[t].name);
        SendMessageA(types, CB_SETITEMDATA, (WPARAM)row, (LPARAM)t);
        if (t == d->exportType)
            SendMessageA(types, CB_SETCURSEL, (WPARAM)row, 0);
    }
    for (const PCFValueDef *v = ExportSelections; sel && v->name; v++) {
        int row = (int)SendMessageA(sel, CB_ADDSTRING, 0, (LPARAM)v->name);
        SendMessageA(sel, CB_SETITEMDATA, (WPARAM)row, (LPARAM)v->value);
        if (v->value == d->exportSelection)
            SendMessageA(sel, CB_SETCURSEL, (WPARAM)row, 0);
    }
    if (!d->definition || !d->definition->list) {
        const int ids[] = { EXD_SELECTIONTITLE, EXD_SELECTION };
        DDShowFields(w->dd, ids, 2, 0, 0);
    }
    DDSetFieldText(w->dd, EXD_FILE, 299, d->exportFile);
    DDSetCheck(w->dd, EXD_APPEND, d->exportAppend);
    DDSetCheck(w->dd, EXD_HEADER, d->exportAlwaysHeader);
    DDSetCheck(w->dd, EXD_TOCLIP, d->exportToClipboard);
    DDSetCheck(w->dd, EXD_TOFILE, !d->exportToClipboard);
    enable_header(w);
}

/* A new export type replaces the file name's extension. */
static void type_changed(EXPWORDS *w)
{
    int type = chosen(w, EXD_TYPE);
    if (type < 0)
        return;
    char name[300], renamed[300];
    DDGetFieldText(w->dd, EXD_FILE, name, sizeof name);
    ExpReplaceExtension(name, type, renamed, sizeof renamed);
    DDSetFieldValue(w->dd, EXD_FILE, renamed);
    enable_header(w);
}

int ExpPutClipboard(HWND owner, const char *text, size_t length)
{
    if (!length)
        return 1;                      /* nothing written: the clipboard stays */
    if (!OpenClipboard(owner))
        return 0;
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, length + 1);
    char *p = g ? (char *)GlobalLock(g) : nullptr;
    int ok = 0;
    if (p) {
        memcpy(p, text, length);
        p[length] = 0;
        GlobalUnlock(g);
        EmptyClipboard();
        ok = SetClipboardData(CF_TEXT, g) != nullptr;
    }
    if (!ok && g)
        GlobalFree(g);
    CloseClipboard();
    return ok;
}

/* OK and Apply: checks, the target, the run, the status. */
static int run_export(EXPWORDS *w)
{
    DialogWords *d = w->dialog;
    int type = chosen(w, EXD_TYPE), list = d->definition && d->definition->list;
    int selection = list ? chosen(w, EXD_SELECTION) : EXP_SHOWN;
    if (type < 0) {
        status(w, "Please enter a valid export type");
        return -1;
    }
    if (selection < 0) {
        status(w, "Please enter a valid export selection type");
        return -1;
    }
    int toClip = DDGetCheck(w->dd, EXD_TOCLIP), append = DDGetCheck(w->dd, EXD_APPEND);
    int header = DDGetCheck(w->dd, EXD_HEADER) && IsWindowEnabled(DDGetFieldWindow(w->dd, EXD_HEADER, 0));
    char name[300];
    DDGetFieldText(w->dd, EXD_FILE, name, sizeof name);
    EXPTARGET target = { nullptr, nullptr, 0 };
    if (toClip) {
        target.area = ExpNewTextArea(w->hwnd);
        if (!target.area) {
            UtilMessageBox(w->hwnd, "Can not open clipboard", "Sorry, can't access clipboard", MB_OK);
            return -1;
        }
    } else {
        if (!name[0]) {
            UtilMessageBox(w->hwnd, "Please enter a filename", "No filename supplied", MB_OK | MB_ICONEXCLAMATION);
            return -1;
        }
        if (GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES && !append &&
            !DDGetCheck(w->dd, EXD_OVERWRITE) &&
            !WinConfirm(w->hwnd, 0, "!Overwrite current file ?", nullptr, nullptr, 0))
            return -1;
        target.file = fopen(name, append ? "ab" : "wb");
        if (!target.file) {
            UtilMessageBox(w->hwnd, "Can not open file", "File error", MB_OK | MB_ICONEXCLAMATION);
            return -1;
        }
        fseek(target.file, 0, SEEK_END);
    }
    EXPORTRUN run;
    memset(&run, 0, sizeof run);
    run.dialog = d;
    run.type = type;
    run.selection = selection;
    run.target = &target;
    run.appending = target.file && ftell(target.file) > 0;
    const EXPHOOKS *h = ExpHooks();
    run.options = list ? 0 : EXPO_SYSTEM | EXPO_DEFAULTS;
    if (d->exportOnlyDiff && h->defaultObject && h->defaultObject(h->context, d->first.location, d->definition, 0))
        run.options |= EXPO_ONLYDIFF;
    if (header)
        run.options |= EXPO_HEADER;
    int count = ExpRun(&run);
    if (count >= 0 && d->exportMaximum && ++d->exportSequence > d->exportMaximum)
        d->exportSequence = 1;
    if (target.file)
        fclose(target.file);
    if (target.area) {
        if (count >= 0 && !ExpPutClipboard(w->hwnd, target.area->text, target.area->used))
            UtilMessageBox(w->hwnd, "Can not open clipboard", "Sorry, can't access clipboard", MB_OK);
        ExpFreeTextArea(target.area);
    }
    d->exportType = type;
    d->exportSelection = selection < 0 ? 0 : selection;
    snprintf(d->exportFile, sizeof d->exportFile, "%s", name);
    d->exportAppend = (uint8_t)append;
    d->exportAlwaysHeader = (uint8_t)DDGetCheck(w->dd, EXD_HEADER);
    d->exportToClipboard = (uint8_t)toClip;
    d->statusFlags |= DS_EXPORTED;
    char text[420];
    if (count < 0)
        snprintf(text, sizeof text, "%s", run.message);
    else
        ExpCountText(count, text, sizeof text);
    if (run.leftOut) {
        size_t n = strlen(text);
        snprintf(text + n, sizeof text - n, " %s", run.warning);
    }
    status(w, text);
    return count;
}

static void browse(EXPWORDS *w)
{
    char path[300] = "";        /* the dialog starts from it when the field is empty */
    HWND edit = DDGetFieldWindow(w->dd, EXD_FILE, 1);
    UIGetFileName(w->hwnd, edit, 0, path);
    DDReleaseField(w->dd, edit);
}

static void on_command(EXPWORDS *w, int id, int code)
{
    switch (id) {
    case 1:
        if (run_export(w) > 0)
            PostMessageA(w->hwnd, WM_CLOSE, 0, 0);
        break;
    case EXD_APPLY: run_export(w); break;
    case 2: PostMessageA(w->hwnd, WM_CLOSE, 0, 0); break;
    case EXD_TYPE:
        if (code == CBN_SELCHANGE)
            type_changed(w);
        break;
    case EXD_BROWSE: browse(w); break;
    case EXD_TOFILE: case EXD_TOCLIP:
        if (code == BN_CLICKED) {
            DDSetCheck(w->dd, EXD_TOFILE, id == EXD_TOFILE);
            DDSetCheck(w->dd, EXD_TOCLIP, id == EXD_TOCLIP);
        }
        enable_header(w);
        break;
    case EXD_APPEND: enable_header(w); break;
    }
}

/* The remembered size of the last export dialog. */
static void remember(EXPWORDS *w)
{
    if (!IsWindowVisible(w->hwnd) || IsIconic(w->hwnd) || IsZoomed(w->hwnd))
        return;
    RECT rc;
    GetWindowRect(w->hwnd, &rc);
    int32_t *r = Prf.dialogs[DLG_EXP];
    r[0] = rc.left;
    r[1] = rc.top;
    r[2] = rc.right - rc.left;
    r[3] = rc.bottom - rc.top;
}

static void on_start(EXPWORDS *w)
{
    const int32_t *saved = Prf.dialogs[DLG_EXP];
    SIZE size;
    DDWindowSize(w->dd, w->hwnd, 66, 8, saved[2], saved[3], &size);
    WinPositionAtCursor(w->hwnd, size.cx, size.cy, 0);
    ShowWindow(w->hwnd, SW_SHOW);
}

static void on_close(EXPWORDS *w)
{
    HWND hwnd = w->hwnd;
    DDHANDLE dd = w->dd;
    if (w->dialog && w->dialog->exportDialog == hwnd)
        w->dialog->exportDialog = nullptr;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    CSFreeMem(w);
    DDDestroy(&dd);
    DestroyWindow(hwnd);
}

LRESULT CALLBACK ExpDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        EXPWORDS *w = (EXPWORDS *)CSGetMem(sizeof *w, "EXPWORDS");
        if (!w)
            return 0;
        w->hwnd = hwnd;
        w->dd = (DDHANDLE)wp;
        w->dialog = (DialogWords *)lp;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)w);
        fill(w);
        return 0;
    }
    EXPWORDS *w = words_of(hwnd);
    if (!w)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case 11235: on_start(w); return 0;
    case UM_LOCATION_ERROR: status(w, (const char *)lp); return 0;
    case WM_COMMAND: on_command(w, LOWORD(wp), HIWORD(wp)); return 0;
    case WM_MOVE: case WM_SIZE: remember(w); break;
    case WM_CLOSE: on_close(w); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND ExpOpenDialog(DialogWords *dialog, HWND owner)
{
    if (dialog->exportDialog) {
        SetForegroundWindow((HWND)dialog->exportDialog);
        return (HWND)dialog->exportDialog;
    }
    HWND hwnd = DDCreateDialog(nullptr, DLG_EXPORTDLG, 0, "Export IBM MQ Definition", "DLG_EXPORTDLG",
                               owner, ExpDlgProc, (LPARAM)dialog);
    if (!hwnd) {
        PCFHOOKS const *h = PCFHooks();
        if (h->status)
            h->status(h->context, dialog, "CreateDialogParam failed", 0);
        return nullptr;
    }
    dialog->exportDialog = hwnd;
    PostMessageA(hwnd, 11235, 0, 0);
    return hwnd;
}
