/* "Auto Refresh Rate": the rate of a dialog's automatic refresh (a number
 * with units, stepped by its up-down), the time of day refreshes align
 * to, the last and next refresh times, and the automatic export after
 * each refresh.  One window per dialog; rate and alignment take effect as
 * they are typed, the export page on "OK" or "Apply", which also keep
 * the settings for the dialog's kind when it is the first of its kind. */
#include "pcflistwin.h"
#include "pcfwin.h"

#include <commctrl.h>
#include <cstdio>

#include "confirm.h"
#include "cs.h"
#include "dd.h"
#include "filedlg.h"
#include "prfdata.h"
#include "tkplace.h"
#include "tkwin.h"

enum {
    ID_LAST = 489, ID_NEXT = 490, ID_RATE = 182, ID_RATESPIN = 493, ID_ALIGN = 491, ID_ALIGNSPIN = 492,
    ID_NONE = 406, ID_AUTOEXPORT = 310, ID_FILE = 262, ID_BROWSE = 186, ID_TYPE = 185, ID_STAMP = 397,
    ID_APPEND = 188, ID_HEADER = 396, ID_APPLY = 131, ID_TABS = 400
};

#define F(type, id, text, value) { (uint32_t)(type), id, text, value, nullptr, 0, 0, 0, 0, 0, 0 }
#define W(type, id, cx) { (uint32_t)(type), id, "", 0, nullptr, 0, cx, 1, 0, 0, 0 }
#define T(id, text, sub) { (uint32_t)DD_TAB, id, text, 0, sub, 0, 0, 0, 0, 0, 0 }
#define END { 0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0 }

static DDFieldDef RatePage[] = {
    F(DD_STATIC | DDF_CLASS1, 0, "Last Refresh:  ", 0), W(DD_STATIC, ID_LAST, 24),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Next Refresh:  ", 0), W(DD_STATIC, ID_NEXT, 24),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Rate:  ", 0), W(DD_SPIN, ID_RATESPIN, 0), W(DD_EDIT, ID_RATE, 14),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Refresh Align:  ", 0), W(DD_SPIN, ID_ALIGNSPIN, 0),
    W(DD_EDIT, ID_ALIGN, 14),
    F(DD_BUTTON | DDF_NEWROW, ID_NONE, "No Auto Refresh", 0),
    END,
};
static DDFieldDef ExportPage[] = {
    F(DD_CHECKBOX, ID_AUTOEXPORT, "Auto Export", 0),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Export File", 0), W(DD_EDIT, ID_FILE, 36),
    F(DD_BUTTON, ID_BROWSE, "...", 0),
    F(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Export Type", 0), W(DD_COMBOBOX, ID_TYPE, 16),
    F(DD_CHECKBOX | DDF_NEWROW, ID_STAMP, "Timestamp", 0), F(DD_CHECKBOX, ID_APPEND, "Append", 0),
    F(DD_CHECKBOX, ID_HEADER, "Always Header", 0),
    END,
};
DDFieldDef DLG_AUTOREFRESH[] = {
    F(DD_TABCTL, ID_TABS, nullptr, 0), T(0, "Rate", RatePage), T(0, "Export", ExportPage),
    F(DD_BUTTON | DDF_NEWROW | DDF_HCENTRE, 1, "OK", 1), F(DD_BUTTON, ID_APPLY, "Apply", 0),
    F(DD_BUTTON, 2, "Cancel", 0),
    END,
};

/* The export types the definition allows (type index = row). */
static const char *const ExportTypes[] = { "Text", "MQSC", "CSV", "XML", "DataPoints" };
static const char *const Extensions[] = { ".txt", ".mqsc", ".csv", ".xml", ".dp" };

struct AutoRefresh {
    DialogWords *dialog;
    DDHANDLE dd;
    int setting;                  /* texts being set: no re-reading */
};

static AutoRefresh *Record(HWND hwnd)
{
    return (AutoRefresh *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

static int TypeAllowed(const DialogWords *d, int type)
{
    if (type == 1)
        return (d->definition->flags & PCFD_EXPORTMQSC) != 0;
    if (type == 4)
        return (d->definition->flags & PCFD_EXPORTPOINTS) != 0;
    return 1;
}

static int SelectedType(AutoRefresh *a)
{
    LRESULT sel = DDSendFieldMsg(a->dd, ID_TYPE, CB_GETCURSEL, 0, 0);
    LRESULT type = sel >= 0 ? DDSendFieldMsg(a->dd, ID_TYPE, CB_GETITEMDATA, (WPARAM)sel, 0) : CB_ERR;
    return type == CB_ERR ? 0 : (int)type;
}

/* ---- showing values ---- */

static void ShowTimes(AutoRefresh *a)
{
    DialogWords *d = a->dialog;
    char last[40] = "", next[40] = "";
    int seconds = d->refreshRate && d->refreshRate < 60;
    if (d->refreshLast)
        PCFFmtRefreshTime(d->refreshLast, seconds, last, sizeof last);
    if (d->refreshRate)
        PCFFmtRefreshTime(d->refreshNext, seconds, next, sizeof next);
    DDSetFieldText(a->dd, ID_LAST, 0, last);
    DDSetFieldText(a->dd, ID_NEXT, 0, next);
}

static void ShowAlign(AutoRefresh *a)
{
    DialogWords *d = a->dialog;
    char text[20];
    PCFFmtAlignTime(d->refreshRate, d->refreshAlign, text, sizeof text);
    int can = d->refreshRate && d->refreshRate <= 86400 && 86400 % d->refreshRate == 0;
    a->setting++;
    DDSetFieldText(a->dd, ID_ALIGN, 0, text);
    a->setting--;
    DDEnableField(a->dd, ID_ALIGN, can, 0);
    DDEnableField(a->dd, ID_ALIGNSPIN, can, 0);
}

static void ShowRate(AutoRefresh *a)
{
    char text[100];
    PCFFmtRate(a->dialog->refreshRate, text, sizeof text);
    a->setting++;
    DDSetFieldText(a->dd, ID_RATE, 0, text);
    a->setting--;
    ShowAlign(a);
    ShowTimes(a);
}

static void Enabling(AutoRefresh *a)
{
    int type = SelectedType(a);
    int stamped = type == 0 || type == 2;
    DDEnableField(a->dd, ID_STAMP, stamped, 0);
    DDEnableField(a->dd, ID_HEADER, stamped && DDGetCheck(a->dd, ID_APPEND), 0);
}

static void FillExport(AutoRefresh *a)
{
    DialogWords *d = a->dialog;
    DDSendFieldMsg(a->dd, ID_TYPE, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < 5; i++) {
        if (!TypeAllowed(d, i))
            continue;
        LRESULT at = DDSendFieldMsg(a->dd, ID_TYPE, CB_ADDSTRING, 0, (LPARAM)ExportTypes[i]);
        DDSendFieldMsg(a->dd, ID_TYPE, CB_SETITEMDATA, (WPARAM)at, i);
        if (i == d->exportType)
            DDSendFieldMsg(a->dd, ID_TYPE, CB_SETCURSEL, (WPARAM)at, 0);
    }
    DDSetCheck(a->dd, ID_AUTOEXPORT, (d->optionFlags & DO_AUTO_EXPORT) != 0);
    DDSetCheck(a->dd, ID_APPEND, (d->optionFlags & DO_APPEND) != 0);
    DDSetCheck(a->dd, ID_STAMP, (d->optionFlags & DO_TIMESTAMP) != 0);
    DDSetCheck(a->dd, ID_HEADER, (d->optionFlags & DO_ALWAYS_HEADER) != 0);
    DDSetFieldText(a->dd, ID_FILE, 0, d->exportFile);
    Enabling(a);
}

/* ---- changes ---- */

static void RateTyped(AutoRefresh *a)
{
    char text[100];
    DDGetFieldText(a->dd, ID_RATE, text, sizeof text);
    int64_t rate = PCFParseRate(text);
    if (rate < 0)
        return;
    DialogWords *d = a->dialog;
    d->refreshRate = (uint32_t)rate;
    PCFInitAutoRefresh(d);
    PCFDialogTitle(d, nullptr);
    ShowAlign(a);
    ShowTimes(a);
}

static void AlignTyped(AutoRefresh *a)
{
    char text[40];
    int32_t align;
    DDGetFieldText(a->dd, ID_ALIGN, text, sizeof text);
    if (!PCFParseAlignment(text, &align))
        return;
    a->dialog->refreshAlign = align;
    PCFInitAutoRefresh(a->dialog);
    ShowTimes(a);
}

static void SetRate(AutoRefresh *a, uint32_t rate)
{
    a->dialog->refreshRate = rate;
    PCFInitAutoRefresh(a->dialog);
    PCFDialogTitle(a->dialog, nullptr);
    ShowRate(a);
}

static LRESULT Step(AutoRefresh *a, const NMUPDOWN *n)
{
    DialogWords *d = a->dialog;
    int up = n->iDelta > 0;
    if (n->hdr.idFrom == ID_RATESPIN) {
        SetRate(a, PCFRateStep(d->refreshRate, up));
    } else if (n->hdr.idFrom == ID_ALIGNSPIN) {
        d->refreshAlign = PCFAlignStep(d->refreshRate, d->refreshAlign, up);
        PCFInitAutoRefresh(d);
        ShowAlign(a);
        ShowTimes(a);
    }
    return 1;                     /* the control's own position stays */
}

static void TypeChanged(AutoRefresh *a)
{
    char file[300];
    DDGetFieldText(a->dd, ID_FILE, file, sizeof file);
    char *dot = strrchr(file, '.'), *slash = strrchr(file, '\\');
    if (file[0] && dot && (!slash || dot > slash)) {
        snprintf(dot, sizeof file - (size_t)(dot - file), "%s", Extensions[SelectedType(a)]);
        DDSetFieldText(a->dd, ID_FILE, 0, file);
    }
    Enabling(a);
}

/* "OK"/"Apply": the export page into the dialog and, for the first of
 * its kind, into its DLGINFO. */
static void Take(AutoRefresh *a)
{
    DialogWords *d = a->dialog;
    d->exportType = SelectedType(a);
    DDGetFieldText(a->dd, ID_FILE, d->exportFile, sizeof d->exportFile);
    uint32_t bits = (DDGetCheck(a->dd, ID_AUTOEXPORT) ? DO_AUTO_EXPORT : 0) | (DDGetCheck(a->dd, ID_APPEND) ? DO_APPEND : 0) |
                    (DDGetCheck(a->dd, ID_HEADER) ? DO_ALWAYS_HEADER : 0) |
                    (DDGetCheck(a->dd, ID_STAMP) ? DO_TIMESTAMP : 0);
    uint32_t mask = DO_AUTO_EXPORT | DO_APPEND | DO_ALWAYS_HEADER | DO_TIMESTAMP;
    d->optionFlags = (d->optionFlags & ~mask) | bits;
    if (d->instance == 1 && d->dlgInfo) {
        DLGINFO *info = d->dlgInfo;
        info->refresh = (int32_t)d->refreshRate;
        info->align = d->refreshAlign;
        info->autoexptype = d->exportType;
        UTStrCopy(info->autoexpfile, d->exportFile, sizeof info->autoexpfile);
        info->optB = (info->optB & ~mask) | bits;
    }
}

static void Command(HWND hwnd, AutoRefresh *a, int id, int notify)
{
    switch (id) {
    case ID_RATE: if (notify == EN_CHANGE && !a->setting) RateTyped(a); return;
    case ID_ALIGN: if (notify == EN_CHANGE && !a->setting) AlignTyped(a); return;
    case ID_NONE: SetRate(a, 0); return;
    case ID_TYPE: if (notify == CBN_SELCHANGE) TypeChanged(a); return;
    case ID_APPEND: Enabling(a); return;
    case ID_BROWSE: {
        char path[300] = "";        /* the dialog starts from it when the field is empty */
        UIGetFileName(hwnd, DDGetFieldWindow(a->dd, ID_FILE, 0), 0, path);
        return;
    }
    case 1: Take(a); DestroyWindow(hwnd); return;
    case ID_APPLY: Take(a); ShowRate(a); return;
    case 2: DestroyWindow(hwnd); return;
    }
}

static void Init(HWND hwnd, DDHANDLE dd, DialogWords *d)
{
    AutoRefresh *a = (AutoRefresh *)CSGetMem(sizeof *a, "AUTOREFRESH");
    if (!a)
        return;
    memset(a, 0, sizeof *a);
    a->dialog = d;
    a->dd = dd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)a);
    d->popups[PCF_POPUP_AUTOREFRESH] = hwnd;
    FillExport(a);
    ShowRate(a);
    SendMessageA(hwnd, UM_AR_SHOW, 0, 0);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
}

static void Destroy(HWND hwnd, AutoRefresh *a)
{
    RECT rc;
    if (GetWindowRect(hwnd, &rc) && !IsIconic(hwnd)) {
        Prf.dialogs[DLG_AR][2] = rc.right - rc.left;
        Prf.dialogs[DLG_AR][3] = rc.bottom - rc.top;
    }
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (s->removeModeless)
        s->removeModeless(s->context, hwnd);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (!a)
        return;
    if (a->dialog->popups[PCF_POPUP_AUTOREFRESH] == hwnd) {
        a->dialog->popups[PCF_POPUP_AUTOREFRESH] = nullptr;
        PCFDialogTitle(a->dialog, nullptr);
    }
    DDDestroy(&a->dd);
    CSFreeMem(a);
}

static LRESULT CALLBACK PCFAutoRefreshProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    AutoRefresh *a = Record(hwnd);
    switch (msg) {
    case WM_INITDIALOG: Init(hwnd, (DDHANDLE)wp, (DialogWords *)lp); return 0;
    case UM_INITDLG: ShowWindow(hwnd, SW_SHOW); return 0;
    case WM_COMMAND: if (a) Command(hwnd, a, LOWORD(wp), HIWORD(wp)); return 0;
    case WM_NOTIFY:
        if (a && ((NMHDR *)lp)->code == UDN_DELTAPOS)
            return Step(a, (NMUPDOWN *)lp);
        break;
    case UM_AR_SHOW: if (a) ShowRate(a); return 0;
    case UM_REFRESH_TIMES: if (a) ShowTimes(a); return 0;
    case UM_NEWFONT:
        if (a && winFonts.mainFont)
            DDSetFont(a->dd, winFonts.mainFont);
        return 0;
    case UM_COLOURSCHANGED:
        SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)ColourBrush(4));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: Destroy(hwnd, a); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void PCFAutoRefreshDialog(DialogWords *d)
{
    HWND open = PCFWnd(d->popups[PCF_POPUP_AUTOREFRESH]);
    if (open && IsWindow(open)) {
        SetForegroundWindow(open);
        return;
    }
    HWND w = DDCreateDialog(nullptr, DLG_AUTOREFRESH, 0, "Auto Refresh Rate", "DLG_AUTOREFRESH", PCFWnd(d->window),
                            PCFAutoRefreshProc, (LPARAM)d);
    if (!w) {
        WinOpError("DDCreate");
        return;
    }
    const PCFSHELLHOOKS *s = PCFShellHooks();
    if (s->addModeless)
        s->addModeless(s->context, w, 0, d->first.location, 0);
    SIZE size;
    DDWindowSize(DDFindHandle(w), w, 0, 0, Prf.dialogs[DLG_AR][2], Prf.dialogs[DLG_AR][3], &size);
    WinPositionAtCursor(w, size.cx, size.cy, 0);
    PostMessageA(w, UM_INITDLG, 0, 0);
}
