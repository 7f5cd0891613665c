/* The About box (DLG_ABOUTDLG, "About Kelvane - Ravolt"): the program's
 * name, purpose, version and build date, the product page, the user and
 * the machine, the warranty disclaimer and a button that checks for a
 * later version.  One at a time, modeless. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include <cstdio>

#include "confirm.h"
#include "cs.h"
#include "cshost.h"
#include "dd.h"
#include "shellhost.h"
#include "splash.h"
#include "tkplace.h"
#include "tkwin.h"
#include "version.h"

enum { AB_TITLE = 159, AB_ICON = 398, AB_CLOSE = 131, AB_LINK = 399, AB_VERSION = 155,
       AB_CHECK = 557, AB_USER = 322, AB_MACHINE = 403, AB_WARRANTY = 156 };

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define ROWW(type, id, text, value, cx, cy) {(uint32_t)(type), id, text, value, nullptr, 0, cx, cy, 0, 0, 0}

static const char warranty[] =
    "This program is provided as it is, without warranty of any kind, either expressed or "
    "implied, including but not limited to the implied warranties of merchantability and "
    "fitness for a particular purpose.  The whole risk as to the quality and performance of "
    "the program is with you.  Keep copies of the messages you change.";

DDFieldDef DLG_ABOUTDLG[] = {
    ROW(DD_STATIC, AB_ICON, nullptr, 2, SS_ICON | SS_NOTIFY),
    ROWW(DD_STATIC, AB_TITLE, "Ravolt", 0, 20, 0),
    ROW(DD_STATIC, AB_CLOSE, nullptr, 2, SS_ICON | SS_NOTIFY),
    ROW(DD_STATIC | DDF_NEWROW, 0, "Kelvane", 0, 0),
    ROW(DD_STATIC | DDF_NEWROW, 0,
        "Allows editing, copying and moving messages in all your IBM MQ systems", 0, 0),
    ROW(DD_STATIC | DDF_NEWROW, 0, "Latest version available at:", 0, 0),
    ROW(DD_BUTTON, AB_LINK, verProductAddress, 1, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Version:", 0, 0),
    ROWW(DD_STATIC, AB_VERSION, "", 0, 30, 0),
    ROW(DD_BUTTON, AB_CHECK, "Check for later version...", 0, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "UserId:", 0, 0),
    ROWW(DD_STATIC, AB_USER, "", 0, 30, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Machine Name:   ", 0, 0),
    ROWW(DD_STATIC, AB_MACHINE, "", 0, 30, 0),
    ROWW(DD_STATIC | DDF_NEWROW, AB_WARRANTY, "", 0, 90, 5),
    ROW(DD_BUTTON | DDF_NEWROW, IDOK, "OK", 1, BS_DEFPUSHBUTTON),
    {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
};

static HWND aboutWindow;

static DDHANDLE handle_of(HWND hwnd)
{
    return (DDHANDLE)GetWindowLongPtrA(hwnd, 0);
}

static void init_dialog(HWND hwnd, DDHANDLE dd)
{
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)dd);
    DDSendFieldMsg(dd, AB_CLOSE, STM_SETIMAGE, IMAGE_ICON, (LPARAM)Shell.icons[0]);
    DDSendFieldMsg(dd, AB_ICON, STM_SETIMAGE, IMAGE_ICON, (LPARAM)Shell.icons[3]);
    char text[120];
    snprintf(text, sizeof text, "%s (%s)", RavoltVersionText, RavoltBuildDate);
    DDSetFieldText(dd, AB_VERSION, 0, text);
    DDSetFieldText(dd, AB_WARRANTY, 0, warranty);
    const char *machine = CSGetComputerName(), *user = CSGetUserName();
    DDSetFieldText(dd, AB_MACHINE, 0, machine && *machine ? machine : "Unknown");
    DDSetFieldText(dd, AB_USER, 0, user && *user ? user : "Unknown");
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    HWND close = DDGetFieldWindow(dd, AB_CLOSE, 0);
    if (close)
        SetFocus(close);
}

static LRESULT CALLBACK AboutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    DDHANDLE dd = handle_of(hwnd);
    switch (msg) {
    case WM_INITDIALOG:
        init_dialog(hwnd, (DDHANDLE)wp);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case AB_CLOSE: case AB_ICON: case IDOK: case IDCANCEL:
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case AB_LINK: {
            char address[300];
            if (!dd || DDGetFieldText(dd, AB_LINK, address, sizeof address) <= 0)
                snprintf(address, sizeof address, "%s", verProductAddress);
            ShellOpenLink(hwnd, address);
            return 0;
        }
        case AB_CHECK:
            if (ShellWork.versionCheck)
                ShellWork.versionCheck(hwnd, 1);
            return 0;
        }
        return 0;
    case UM_NEWFONT:
        if (dd)
            DDSetFont(dd, winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT));
        return 0;
    case UM_COLOURSCHANGED:
        if (dd && dlgColours.brush)
            SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
        if (dd)
            DDSetFieldColours(dd, DD_BACKGROUND, 0, 0, 0, dlgColours.text, dlgColours.back,
                              dlgColours.brush);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        aboutWindow = nullptr;
        UtilRemoveModeless(hwnd);
        if (dd) {
            SetWindowLongPtrA(hwnd, 0, 0);
            DDDestroy(&dd);
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void AboutDialog(HWND)
{
    if (aboutWindow) {
        SetFocus(aboutWindow);
        return;
    }
    HWND w = DDCreateDialog(Shell.icons[0], DLG_ABOUTDLG, DDC_ESCAPECLOSES, "About Kelvane - Ravolt",
                            "DLG_ABOUTDLG", nullptr, AboutProc, 0);
    if (!w) {
        WinOpError("DDCreateDialog(ABOUT) failed");
        return;
    }
    aboutWindow = w;
    AddModeless(w, 0, nullptr, nullptr);
    SIZE size;
    DDWindowSize(handle_of(w), w, 0, 0, 0, 0, &size);
    WinPositionAtCursor(w, size.cx, size.cy, 0);
    ShowWindow(w, SW_SHOW);
}

HWND AboutWindow(void)
{
    return aboutWindow;
}
