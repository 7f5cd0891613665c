/* Start-up and shut-down: the program's steps before the first frame, the
 * command line with its usage dialog, the two start-up steps every new
 * frame posts itself, the queue manager, queue and message of "-m", "-q"
 * and "-t", and the exit that confirms, writes the configuration and lets
 * the timer end the locations' threads. */
#include "shell.h"
#include "shellint.h"
#include "shellwork.h"

#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "cfgfile.h"
#include "cmddlg.h"
#include "colourwin.h"
#include "cs.h"
#include "dd.h"
#include "filters.h"
#include "locdlg.h"
#include "loccache.h"
#include "locimport.h"
#include "locstore.h"
#include "pcfwin.h"
#include "prffile.h"
#include "tkcontrols.h"
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"
#include "userfmt.h"

static const char errorCaption[] = "Ravolt Error";

/* ---- the command line ---- */

static void option_notice(void *, const char *text, const char *caption)
{
    ShellBox(Shell.mainWindow, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

INT_PTR CALLBACK UsageDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(hwnd, 398, STM_SETIMAGE, IMAGE_ICON, (LPARAM)Shell.icons[3]);
        SendDlgItemMessageA(hwnd, 131, STM_SETIMAGE, IMAGE_ICON, (LPARAM)Shell.icons[0]);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == 398 || LOWORD(wp) == 131 || LOWORD(wp) == IDCANCEL) {
            EndDialog(hwnd, 0);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(hwnd, 0);
        return TRUE;
    }
    return FALSE;
}

/* What the options set in the other parts. */
static void apply_options(int pass)
{
    SHELLOPTIONS &o = ShellOptions;
    CfgNoWrite = o.readOnly;
    MQEGlobals.debugMode = o.diagnostics;
    PcfWinPrefs.diagnostics = o.diagnostics;
    LocDlgSettings.diagnostics = o.diagnostics;
    snprintf(ImportMasterPath, sizeof ImportMasterPath, "%s", o.master);
    ImportMasterPrune = o.pruneMaster;
    if (o.password && ShellWork.cachePassword)
        ShellWork.cachePassword(o.password);
    if (pass == 0 && o.dumpGiven)
        CSInstallExceptionHandler(o.dumpDir, o.dumpFull);
}

int ParseOptions(int pass)
{
    int ok = ShellParseOptions(pass, Shell.argc, Shell.argv, &ShellOptions,
                               pass == 0 ? option_notice : nullptr, nullptr);
    if (ok) {
        apply_options(pass);
        return 1;
    }
    INT_PTR rc = DialogBoxParamA(Shell.instance, "DLG_USAGE", nullptr, UsageDlgProc, 0);
    if (rc != 0)
        WinOpError("DialogBox failed");
    PostQuitMessage(0);
    return 0;
}

/* ---- before the first frame ---- */

static int register_classes(void)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
    wc.cbWndExtra = 8;
    wc.hInstance = Shell.instance;
    wc.hIcon = Shell.icons[0];
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszMenuName = "MENU";
    wc.lpfnWndProc = MainWndProc;
    wc.lpszClassName = "RAVOLT";
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return 0;
    wc.lpfnWndProc = QmPanelProc;
    wc.lpszClassName = "RAVOLTQM";
    return RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

static int load_icons(void)
{
    static const char *const names[] = { "LoadIcon(IDI_MAIN)", "LoadIcon(IDI_SUB)",
                                         "LoadIcon(IDI_MAIN_ERROR)", nullptr };
    for (int i = 0; i < 4; i++) {
        Shell.icons[i] = LoadIconA(Shell.instance, MAKEINTRESOURCEA(2 + i));
        if (!Shell.icons[i] && names[i]) {
            WinOpError(names[i]);
            return 0;
        }
    }
    return 1;
}

static void make_brushes(void)
{
    static const COLORREF colours[9] = {
        RGB(192, 192, 192), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 255), RGB(255, 0, 0),
        RGB(128, 128, 0), RGB(0, 255, 0), RGB(0, 128, 0), RGB(0, 255, 255),
    };
    for (int i = 0; i < 9; i++)
        if (!Shell.brushes[i])
            Shell.brushes[i] = CreateSolidBrush(colours[i]);
}

static int is_directory(const char *path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

/* Steps 7, 9 and 10: the configuration file and its directory. */
static void config_path(void)
{
    char given[MAX_PATH + 1] = "", current[MAX_PATH + 1] = "";
    if (ShellOptions.configGiven)
        snprintf(given, sizeof given, "%s", ShellOptions.config);
    else if (!GetEnvironmentVariableA("RAVOLT", given, sizeof given) || strlen(given) >= SHELL_PATH) {
        GetModuleFileNameA(nullptr, given, sizeof given);
        if (CSRunningOnWine)
            CSNormalisePath(given);
    }
    GetCurrentDirectoryA(sizeof current, current);
    if (ShellConfigPath(given, current, is_directory, CSPathSep, ConfigFile, ConfigPath) != 0) {
        ConfigFile[0] = ConfigPath[0] = 0;
        return;
    }
    CSSetTraceDir(ConfigPath);
}

/* Step 11: the profile and what it sets up. */
static void load_profile(void)
{
    Shell.accelerators = LoadAcceleratorsA(Shell.instance, "RAVOLTACCEL");
    LoadPrfData();
    ShellHostFromProfile();               /* before the fonts: their character set */
    PrfApplyLook();
    PCFWinPrefsFromProfile();
    PCFPrefsFromProfile();
    PCFListPrefsFromProfile();
    FltPrefsFromProfile();
    static UFPREFS uf;
    static char programDir[SHELL_PATH];
    PrfHostProgramDir(programDir, sizeof programDir);
    uf.options = &Prf.po[3];
    uf.fileName = Prf.userfmtfile;
    uf.programDir = programDir;
    UFSetPreferences(&uf);
    ShellLoadSettings();
}

/* Step 12: a configuration that is there but cannot be read is reported
 * (the text kept until the first frame can show it). */
static void read_config(char *error)
{
    error[0] = 0;
    int exists = GetFileAttributesA(ConfigFile) != INVALID_FILE_ATTRIBUTES;
    CfgFileRead(ConfigFile, &LocTree, exists, error);
}

/* A process whose window station is not the visible one (a service, a
 * task run without a logged-on user) has no user interface: its boxes
 * would wait for a click that never comes, so they become log lines. */
static int without_user_interface(void)
{
    USEROBJECTFLAGS flags = {};
    HWINSTA station = GetProcessWindowStation();
    return station &&
           GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           !(flags.dwFlags & WSF_VISIBLE);
}

int ShellStartup(HINSTANCE instance, int argc, char **argv)
{
    Shell.instance = instance;
    Shell.argc = argc;
    Shell.argv = argv;
    Shell.startupPending = 1;
    Shell.tick = 7;
    CSInitPlatform();
    Shell.noUserInterface = tkHost.batch = without_user_interface();
    make_brushes();
    if (!load_icons() || !register_classes())
        return 0;
    LocGlobals.uiThread = CSGetThreadId();
    InitCommonControls();
    RegisterControlClasses(instance);
    int version = 100;
    DDInitialise(instance, &version, nullptr, nullptr);
    UtilCheckMonitors();
    PCFSetMonitors(UtilDisplayLayout()->monitors, UtilDisplayLayout()->monitors);
    if (!LoadBitmaps())
        return 0;
    ShellWorkDefaults();
    ShellInstallHooks();
    ParseOptions(0);
    config_path();
    if (ShellOptions.trace)
        CSTraceOpen("ravolt.trc");
    load_profile();
    read_config(Shell.configError);
    AutLoad();
    LocGlobals.defaultAuthMask = AutGlobalMask;
    return 1;
}

int ShellMain(HINSTANCE instance, int argc, char **argv)
{
    if (!ShellStartup(instance, argc, argv))
        return 0;
    MSG peek;
    if (PeekMessageA(&peek, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
        return ShellMessageLoop();
    if (!CreateFrame(nullptr))
        return 0;
    return ShellMessageLoop();
}

/* ---- the start-up steps of a frame ---- */

int LoadConfigAndRefresh(HWND frame, char *error)
{
    int failed = 0;
    error[0] = 0;
    if (!(CfgStatus & CFG_STATUS_READ)) {
        read_config(error);
        failed = error[0] != 0;
    }
    /* the first read's text, kept from before any frame, is shown once */
    const char *text = error[0] ? error : Shell.configError;
    if (text[0])
        UtilPostError(nullptr, 1, text);
    Shell.configError[0] = 0;
    if (ShellWork.importMaster)
        ShellWork.importMaster();
    PostMessageA(frame, FRM_STARTUP2, 0, 0);
    return failed;
}

/* Step 2.4: the commands the authorities remove, and the debug window's. */
static void gate_menu(HMENU menu)
{
    if (!menu)
        return;
    const int32_t *ids = AutMenuIds();
    int32_t n = AutMenuCount();
    for (int32_t i = 0; i < n; i++)
        DeleteMenu(menu, (UINT)ids[i], MF_BYCOMMAND);
    if (n)
        for (int i = GetMenuItemCount(menu) - 1; i >= 0; i--) {
            HMENU sub = GetSubMenu(menu, i);
            if (sub && !PruneEmptySubmenus(sub))
                DeleteMenuItemAt(menu, i);
        }
    if (!ShellOptions.debugWindow)
        DeleteMenu(menu, 723, MF_BYCOMMAND);
}

/* Step 2.6: the saved placement, a later frame at the cursor. */
static void place_frame(FrameWords *f)
{
    const int32_t *r = PCFPlacementRect((const int32_t(*)[4])Prf.main);
    PlaceRect rect = { r[0], r[1], r[2], r[3] };
    if (!rect.cx || !rect.cy)
        rect.x = rect.y = CW_USEDEFAULT;
    if (FrameFirst() != f) {
        POINT pt;
        GetCursorPos(&pt);
        rect.x = pt.x;
        rect.y = pt.y;
    }
    WinFitRect(&rect, 1, FIT_TWO_THIRDS);
    if (rect.x == CW_USEDEFAULT || rect.y == CW_USEDEFAULT) {
        const AreaRect &a = UtilDisplayLayout()->desktop;
        rect.x = a.left + (a.right - a.left - rect.cx) / 2;
        rect.y = a.top + (a.bottom - a.top - rect.cy) / 2;
    }
    WinFitWindowRect(f->window, &rect, 1, FIT_TWO_THIRDS);
    ShowWindow(f->window, SW_SHOWNORMAL);
    /* left maximised: so again at the timer's first tick, over this normal
       placement, once the normal showing has been taken in (a display
       server that takes it in after a maximising undoes that: Wine
       without a window manager) */
    if (FrameFirst() == f && Prf.mainMax)
        Shell.maximisePending = 1;
}

void StartupStep2(FrameWords *f)
{
    SetWindowTextA(f->status, "");
    if (Shell.startupPending && ShellWork.loadFormats)
        ShellWork.loadFormats(f->window, 1);
    ParseOptions(1);
    gate_menu(f->menu);
    DrawMenuBar(f->window);
    place_frame(f);
    /* the panes' own start-up has shown their windows: hidden they stay */
    for (DialogWords *pane : { f->listPane, f->msgPane })
        if (pane && (pane->displayFlags & 0x2000))
            PCFShowPanes(pane, 0);
    if (!Shell.startupPending)
        return;
    StartAnalyserThread();
    StartMessageThread();
    if (Prf.splashs && Prf.splashs[0] && ShellWork.splashFile) {
        POINT pt;
        GetCursorPos(&pt);
        ShellWork.splashFile(f->window, "Ravolt Start-up", nullptr, Prf.splashs, 1, 0);
    }
    Shell.startupPending = 0;
    StartSavedDialogs();
    if (ShellOptions.qmName[0])
        OpenStartupQMgr(f->window);
    AnalyserRefresh(nullptr);
}

/* ---- "-m", "-q" and "-t" ---- */

static void clear_startup(void)
{
    Shell.startupLocation = LocStartupLocation = nullptr;
    ShellOptions.qmName[0] = ShellOptions.queue[0] = ShellOptions.token[0] = 0;
}

void OpenStartupQMgr(HWND frame)
{
    QMS *r = LocFind(ShellOptions.qmName);
    FrameWords *f = FrameOf(frame);
    if (r) {
        if (f && CheckQueuePrefix(f, 1)) {
            Shell.startupLocation = LocStartupLocation = r;
            if (ShellWork.requestRefresh)
                ShellWork.requestRefresh(r, ShellRefreshBits(REFRESH_KIND_QLIST), f->prefixText, 1);
        }
    } else {
        char text[200];
        snprintf(text, sizeof text, "Ravolt does not have a definition of Queue Manager '%s'.",
                 ShellOptions.qmName);
        ShellBox(frame, text, errorCaption, MB_OK | MB_ICONEXCLAMATION);
        clear_startup();
    }
    ShellOptions.qmName[0] = 0;
}

void OpenStartupQueue(QMS *location)
{
    QMS *start = Shell.startupLocation;
    if (!ShellOptions.queue[0] || !start || location != start) {
        if (location == start)
            clear_startup();
        return;
    }
    uint32_t type = 0;
    int known = ShellQueueType(location, ShellOptions.queue, &type);
    FrameWords *main = FrameFirst();
    if (known && type == QT_LOCAL && main) {
        OpenQueueInFrame(main, location, ShellOptions.queue);
        ShellOptions.queue[0] = 0;
        if (!ShellOptions.token[0])
            clear_startup();
        return;
    }
    char text[300];
    if (known)
        snprintf(text, sizeof text, "Queue '%s' on Queue Manager '%s' is not a local queue.",
                 ShellOptions.queue, location->qmName);
    else
        snprintf(text, sizeof text, "Queue '%s' is not defined on Queue Manager '%s'.",
                 ShellOptions.queue, location->qmName);
    ShellBox(Shell.mainWindow, text, errorCaption, MB_OK | MB_ICONEXCLAMATION);
    clear_startup();
}

void OpenStartupMessage(DialogWords *d)
{
    FrameWords *main = FrameFirst();
    if (!Shell.startupLocation || !d || d->first.location != Shell.startupLocation)
        return;
    if (main && main->msgPane && ShellOptions.token[0]) {
        PCFSetFieldText(main->msgPane, 10038, ShellOptions.token);
        PCFPostRefresh(main->msgPane);
    }
    clear_startup();
}

/* ---- the exit ---- */

void ExitProgram(HWND window)
{
    FrameWords *f = FrameOf(window), *previous = nullptr;
    if (f && f->msgPane && ShellWork.confirmDiscard && ShellWork.confirmDiscard(f->msgPane))
        return;
    if (!f) {
        DestroyWindow(window);
        return;
    }
    for (FrameWords *p = FrameFirst(); p && p != f; p = FrameNext(p))
        previous = p;
    if (FrameCount() > 1) {
        DestroyWindow(window);
        FrameUnlink(previous, f);
        return;
    }
    int wasPending = (Shell.status & SHELL_EXITING) != 0;
    if (!wasPending) {
        if (!ShellConfirm(Shell.mainWindow, 0, "exit the program", nullptr, &Prf.po[2], PO3_CONFIRM_EXIT))
            return;
        if (ShellWriteConfig() != 0)
            return;
        Shell.status |= SHELL_EXITING;
        LocGlobals.exiting = 1;
    }
    int running = ShellExitTick();
    if (wasPending || running == 0)
        PostQuitMessage(0);
}

void ShellShutdown(void)
{
    for (FrameWords *f = FrameFirst(); f; f = FrameFirst()) {
        if (IsWindow(f->window))
            DestroyWindow(f->window);
        FrameUnlink(nullptr, f);
    }
    Shell.status = 0;
    Shell.startupPending = 1;
    Shell.startupLocation = LocStartupLocation = nullptr;
    LocGlobals.exiting = 0;
}
