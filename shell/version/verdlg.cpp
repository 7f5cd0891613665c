/* The "Ravolt Version Check" dialog (DLG_VERSION_DIALOG): the program's
 * version and build date beside the latest ones, a status line with the
 * verdict, and the product page's address; and what an automatic check's
 * result shows on the main frame. */
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "version.h"
#include "cs.h"
#include "dd.h"
#include "confirm.h"
#include "prfdata.h"
#include "shellhost.h"
#include "splash.h"
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"

/* controls */
enum { VD_CLOSE = 2, VD_STATUS = 103, VD_TITLE = 159, VD_ICON = 398, VD_LINK = 399,
       VD_OWN_DATE = 552, VD_OWN_VERSION = 553, VD_PAGE_DATE = 554, VD_PAGE_VERSION = 555 };

/* one open dialog (tag "VERSIONWORDS"), in the window's first bytes */
struct VERSIONWORDS {
    DDHANDLE dd;
    TK47VERSION v;
};

/* set once an automatic check's result arrived */
int verResultArrived;

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define ROWW(type, id, text, value, cx, cy) {(uint32_t)(type), id, text, value, nullptr, 0, cx, cy, 0, 0, 0}

DDFieldDef DLG_VERSION_DIALOG[] = {
    ROW(DD_STATIC, VD_ICON, nullptr, 2, SS_ICON | SS_NOTIFY),
    ROWW(DD_STATIC, VD_TITLE, "Ravolt", 0, 20, 0),
    ROW(DD_STATIC, VD_CLOSE, nullptr, 2, SS_ICON | SS_NOTIFY),
    ROWW(DD_STATIC | DDF_NEWROW, VD_STATUS, "", 1, 56, 2),
    ROW(DD_GROUPBOX | DDF_NEWROW, 0, " Current ", 0, 0),
    ROW(DD_STATIC | DDF_CLASS1, 0, " Build Version: ", 0, 0),
    ROWW(DD_STATIC, VD_OWN_VERSION, "", 0, 16, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, " Build Date: ", 0, 0),
    ROWW(DD_STATIC, VD_OWN_DATE, "", 0, 16, 0),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    ROW(DD_GROUPBOX, 0, " Latest ", 0, 0),
    ROW(DD_STATIC | DDF_CLASS1, 0, " Build Version: ", 0, 0),
    ROWW(DD_STATIC, VD_PAGE_VERSION, "", 0, 16, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, " Build Date: ", 0, 0),
    ROWW(DD_STATIC, VD_PAGE_DATE, "", 0, 16, 0),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    ROW(DD_STATIC | DDF_NEWROW, 0, " Latest version available at:", 0, 0),
    ROW(DD_BUTTON, VD_LINK, verProductAddress, 1, 0),
    {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
};

static VERSIONWORDS *record_of(HWND hwnd)
{
    return (VERSIONWORDS *)GetWindowLongPtrA(hwnd, 0);
}

/* the program's icon, or the system's when the program has none */
static HICON program_icon(int id)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    return icon ? icon : LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
}

static void show_versions(VERSIONWORDS *rec)
{
    char text[100];
    if (rec->v.own[VER_YEAR]) {
        VerDateText(rec->v.own, text, sizeof text);
        DDSetFieldText(rec->dd, VD_OWN_DATE, 0, text);
        VerNumberText(rec->v.own, text, sizeof text);
        DDSetFieldText(rec->dd, VD_OWN_VERSION, 0, text);
    }
    if (rec->v.page[VER_YEAR]) {
        VerDateText(rec->v.page, text, sizeof text);
        DDSetFieldText(rec->dd, VD_PAGE_DATE, 0, text);
        VerNumberText(rec->v.page, text, sizeof text);
        DDSetFieldText(rec->dd, VD_PAGE_VERSION, 0, text);
    }
}

/* WM_INITDIALOG: the record, fonts, colours, icons and the first texts */
static void init_dialog(HWND hwnd, DDHANDLE dd, VERSIONWORDS *rec)
{
    rec->dd = dd;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)rec);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    DDSendFieldMsg(dd, VD_CLOSE, STM_SETIMAGE, IMAGE_ICON, (LPARAM)program_icon(2));
    DDSendFieldMsg(dd, VD_ICON, STM_SETIMAGE, IMAGE_ICON, (LPARAM)program_icon(5));
    DDSetFieldText(dd, VD_STATUS, 0, rec->v.interactive ? "Retrieving information..." : rec->v.text);
    show_versions(rec);
}

/* UM_VERSION_RESULT: the result replaces the record's copy */
static void take_result(VERSIONWORDS *rec, TK47VERSION *result)
{
    rec->v = *result;
    CSFreeMem(result);
    show_versions(rec);
    if (!rec->v.text[0])
        VerCompare(&rec->v);
    DDSetFieldText(rec->dd, VD_STATUS, 0, rec->v.text);
}

static void set_colours(HWND hwnd, DDHANDLE dd)
{
    if (dlgColours.brush)
        SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
    DDSetFieldColours(dd, DD_BACKGROUND, 0, 0, 0, dlgColours.text, dlgColours.back,
                      dlgColours.brush);
    InvalidateRect(hwnd, nullptr, TRUE);
}

/* WM_SIZE: the size is kept for the next dialog */
static void keep_size(HWND hwnd, DDHANDLE dd)
{
    RECT rc;
    if (IsWindowVisible(hwnd) && !IsIconic(hwnd) && GetWindowRect(hwnd, &rc)) {
        Prf.dialogs[DLG_VERSION][2] = rc.right - rc.left;
        Prf.dialogs[DLG_VERSION][3] = rc.bottom - rc.top;
    }
    HWND title = DDGetFieldWindow(dd, VD_TITLE, 0);
    if (title)
        InvalidateRect(title, nullptr, TRUE);
}

/* the link button: its text is the address */
static void open_link(VERSIONWORDS *rec)
{
    char address[300];
    if (!rec)
        return;
    if (DDGetFieldText(rec->dd, VD_LINK, address, sizeof address) <= 0)
        snprintf(address, sizeof address, "%s", verProductAddress);
    ShellOpenLink(rec->dd->root.hwnd, address);
}

static LRESULT CALLBACK VersionProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    VERSIONWORDS *rec = record_of(hwnd);
    switch (msg) {
    case WM_INITDIALOG:
        init_dialog(hwnd, (DDHANDLE)wp, (VERSIONWORDS *)lp);
        return 0;
    case UM_VERSION_RESULT:
        if (rec && lp)
            take_result(rec, (TK47VERSION *)lp);
        else if (lp)
            CSFreeMem((void *)lp);
        return 0;
    case UM_NEWFONT:
        if (rec)
            DDSetFont(rec->dd, winFonts.mainFont ? winFonts.mainFont
                                                 : (HFONT)GetStockObject(DEFAULT_GUI_FONT));
        return 0;
    case UM_COLOURSCHANGED:
        if (rec)
            set_colours(hwnd, rec->dd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == VD_CLOSE || LOWORD(wp) == VD_ICON || LOWORD(wp) == IDCANCEL)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        else if (LOWORD(wp) == VD_LINK)
            open_link(rec);
        return 0;
    case WM_SIZE:
        if (rec)
            keep_size(hwnd, rec->dd);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        UtilRemoveModeless(hwnd);
        ShellDropPostedBlocks(hwnd, UM_VERSION_RESULT);
        if (rec) {
            SetWindowLongPtrA(hwnd, 0, 0);
            DDDestroy(&rec->dd);
            CSFreeMem(rec);
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND VerShowDialog(HWND, int interactive, const TK47VERSION *result)
{
    VERSIONWORDS *rec = (VERSIONWORDS *)CSGetMem(sizeof *rec, "VERSIONWORDS");
    if (!rec)
        return nullptr;
    memset(rec, 0, sizeof *rec);
    if (result) {
        rec->v = *result;
    } else {
        rec->v.interactive = 1;
        VerOwnVersion(rec->v.own);
    }
    (void)interactive;
    HWND w = DDCreateDialog(program_icon(2), DLG_VERSION_DIALOG, DDC_ESCAPECLOSES,
                            "Ravolt Version Check", "TK47_VERSION", nullptr, VersionProc,
                            (LPARAM)rec);
    if (!w) {
        CSFreeMem(rec);
        WinOpError("WinLoadDlg failed");
        return nullptr;
    }
    AddModeless(w, 0, nullptr, nullptr);
    int cx = Prf.dialogs[DLG_VERSION][2], cy = Prf.dialogs[DLG_VERSION][3];
    if (cx <= 0 || cy <= 0) {
        SIZE need;
        DDCalcMinSize(rec->dd, &need);
        RECT frame = {0, 0, need.cx, need.cy};
        AdjustWindowRectEx(&frame, (DWORD)GetWindowLongA(w, GWL_STYLE), FALSE,
                           (DWORD)GetWindowLongA(w, GWL_EXSTYLE));
        cx = frame.right - frame.left;
        cy = frame.bottom - frame.top;
    }
    WinPositionAtCursor(w, cx, cy, 0);
    ShowWindow(w, SW_SHOW);
    return w;
}

void VerCheckResult(HWND window, TK47VERSION *result)
{
    switch (VerResultAction(Prf.vct, Prf.vcf, result)) {
    case VER_SHOW_FAILURE:
        UtilMessageBox(window, result->text, "Ravolt Version Check Failed",
                       MB_OK | MB_ICONINFORMATION);
        break;
    case VER_SHOW_DIALOG:
        VerCompare(result);
        VerShowDialog(window, 0, result);
        break;
    }
    CSFreeMem(result);
    verResultArrived = 1;
}
