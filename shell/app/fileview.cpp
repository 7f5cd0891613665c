/* The file viewer (class RAVOLT_FILE): a text file shown read-only with
 * reload, browse and find, used for IBM MQ error logs and ini files.  A
 * file of more than 1 MB shows a notice while its text is set. */
#include "shell.h"
#include "shellint.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "cs.h"
#include "cshost.h"
#include "dd.h"
#include "confirm.h"
#include "filedlg.h"
#include "locstore.h"
#include "prfdata.h"
#include "tkplace.h"
#include "tkwin.h"

enum { FV_CLOSE = 2, FV_STATUS = 103, FV_RELOAD = 133, FV_BROWSE = 288, FV_FILE = 412,
       FV_TEXT = 413, FV_FIND = 414, FV_FINDTEXT = 415 };

#define F(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define FW(type, id, text, value, style, cx, cy) {(uint32_t)(type), id, text, value, nullptr, style, cx, cy, 0, 0, 0}

DDFieldDef DLG_FILEVIEW[] = {
    F(DD_STATIC, 0, "File", 0, 0), F(DD_EDIT, FV_FILE, "", 60, ES_AUTOHSCROLL),
    F(DD_BUTTON, FV_BROWSE, "", 0, BS_BITMAP), F(DD_BUTTON, FV_RELOAD, "Reload", 1, 0),
    F(DD_STATIC | DDF_NEWROW, 0, "Find", 0, 0), F(DD_EDIT, FV_FINDTEXT, "", 40, ES_AUTOHSCROLL),
    F(DD_BUTTON, FV_FIND, "Find", 1, 0),
    FW(DD_MULTIEDIT | DDF_NEWROW | DDF_FILL, FV_TEXT, "", 0,
       ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | WS_VSCROLL |
           WS_HSCROLL,
       80, 20),
    FW(DD_STATIC | DDF_NEWROW, FV_STATUS, "", 0, 0, 60, 0), F(DD_BUTTON, FV_CLOSE, "Close", 1, 0),
    {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0},
};

/* One viewer (tag "FILEWORDS"); its first two words are its entry in
 * the refresh-window list. */
struct FILEWORDS {
    REFRESHRECORD entry;
    DDHANDLE dd;
    char file[SHELL_PATH];
    int loaded;
    int keepPosition;
};

static FILEWORDS *record_of(HWND hwnd)
{
    return (FILEWORDS *)GetWindowLongPtrA(hwnd, 0);
}

static void status(FILEWORDS *v, const char *text, int sound)
{
    DDSetFieldText(v->dd, FV_STATUS, 0, text);
    if (sound)
        WinPlaySound(Prf.wsnd[0] ? Prf.wsnd : "beep", 0, 0);
}

/* ---- loading ---- */

/* The text with every line end as CR LF (the edit control's), in a block
 * of its own; null without storage. */
static char *edit_text(const char *text, uint32_t size)
{
    uint32_t extra = 0;
    for (uint32_t i = 0; i < size; i++)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            extra++;
    char *out = (char *)CSGetMem((size_t)size + extra + 1, "FILETEXT");
    if (!out)
        return nullptr;
    char *o = out;
    for (uint32_t i = 0; i < size; i++) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            *o++ = '\r';
        *o++ = text[i] ? text[i] : ' ';
    }
    *o = 0;
    return out;
}

int UtilLoadTextFile(FILE *file, HWND statusWindow, uint32_t *size, char **text)
{
    *text = nullptr;
    *size = 0;
    char *buffer = nullptr;
    size_t capacity = 0, got = 0;
    for (int attempt = 0;; attempt++) {
        if (attempt == 10) {
            SetWindowTextA(statusWindow, "Error reading file content");
            CSFreeMemAndClear(&buffer);
            return 0;
        }
        if (fseek(file, 0, SEEK_END) != 0)
            return 0;
        long length = ftell(file);
        if (length < 0 || (unsigned long)length > FILEVIEW_LIMIT) {
            SetWindowTextA(statusWindow, "The file should be no larger than 50MB");
            WinPlaySound(Prf.wsnd[0] ? Prf.wsnd : "beep", 0, 0);
            CSFreeMemAndClear(&buffer);
            return 0;
        }
        size_t want = ((size_t)length + 24576) & ~(size_t)4095;
        if (want > capacity) {
            CSFreeMemAndClear(&buffer);
            buffer = (char *)CSGetMem(want + 1, "FILE");
            if (!buffer) {
                SetWindowTextA(statusWindow, "No storage");
                return 0;
            }
            capacity = want;
        }
        fseek(file, 0, SEEK_SET);
        got = fread(buffer, 1, capacity, file);
        if (got < capacity)
            break;
    }
    buffer[got] = 0;
    if (!ShellIsText((const unsigned char *)buffer, got)) {
        SetWindowTextA(statusWindow, "The file does not appear to be a text file");
        WinPlaySound(Prf.wsnd[0] ? Prf.wsnd : "beep", 0, 0);
        CSFreeMem(buffer);
        return 0;
    }
    *text = buffer;
    *size = (uint32_t)got;
    return 1;
}

static void set_text(FILEWORDS *v, const char *text)
{
    HWND edit = DDGetFieldWindow(v->dd, FV_TEXT, 0);
    if (!edit)
        return;
    int first = (int)SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(edit, WM_SETREDRAW, FALSE, 0);
    SetWindowTextA(edit, text ? text : "");
    if (v->keepPosition && first > 0)
        SendMessageA(edit, EM_LINESCROLL, 0, first);
    SendMessageA(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
}

static void load(FILEWORDS *v)
{
    char name[SHELL_PATH] = "";
    DDGetFieldText(v->dd, FV_FILE, name, sizeof name);
    if (strcmp(name, v->file)) {
        snprintf(v->file, sizeof v->file, "%s", name);
        v->keepPosition = 0;
    } else {
        v->keepPosition = v->loaded;
    }
    v->loaded = 0;
    FILE *f = fopen(v->file, "rb");
    if (!f) {
        status(v, "Can not open file", 1);
        return;
    }
    HWND statusWindow = DDGetFieldWindow(v->dd, FV_STATUS, 0);
    uint32_t size = 0;
    char *text = nullptr;
    if (UtilLoadTextFile(f, statusWindow, &size, &text)) {
        v->loaded = 1;
        char *shown = edit_text(text, size);
        CSFreeMem(text);
        char clock[16], line[40];
        time_t now = time(nullptr);
        strftime(clock, sizeof clock, "%H:%M:%S", localtime(&now));
        snprintf(line, sizeof line, "File read at %.8s", clock);
        status(v, line, 0);
        if (size > FILEVIEW_LOADING && shown) {
            char notice[80];
            snprintf(notice, sizeof notice, "Loading %lldMB from file, please wait....",
                     (long long)(size / 0x100000));
            set_text(v, notice);
            UpdateWindow(v->entry.window);
            if (!ShellPostBlock(v->entry.window, FRM_FILETEXT, 0, shown))
                shown = nullptr;
        } else if (shown) {
            set_text(v, shown);
            CSFreeMem(shown);
        }
    }
    fclose(f);
}

/* ---- find ---- */

static void find(FILEWORDS *v)
{
    char what[501] = "";
    DDGetFieldText(v->dd, FV_FINDTEXT, what, sizeof what);
    HWND field = DDGetFieldWindow(v->dd, FV_FINDTEXT, 0), edit = DDGetFieldWindow(v->dd, FV_TEXT, 0);
    if (!what[0]) {
        status(v, "Please enter the text to find", 1);
        SetFocus(field);
        return;
    }
    int length = GetWindowTextLengthA(edit);
    char *text = (char *)CSGetMem((size_t)length + 1, "FINDTEXT");
    if (!text)
        return;
    GetWindowTextA(edit, text, length + 1);
    DWORD start = 0;
    SendMessageA(edit, EM_GETSEL, (WPARAM)&start, 0);
    size_t at = 0;
    int found = ShellFindText(text, (size_t)length, start, what, &at);
    CSFreeMem(text);
    if (found) {
        SendMessageA(edit, EM_SETSEL, at, at + strlen(what));
        SendMessageA(edit, EM_SCROLLCARET, 0, 0);
        status(v, found == 2 ? "Wrapped" : "", found == 2);
        return;
    }
    status(v, "Text not found.", 1);
    SetFocus(field);
}

/* ---- the window ---- */

static void set_fonts(FILEWORDS *v)
{
    HFONT font = winFonts.mainFont ? winFonts.mainFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    DDSetFont(v->dd, font);
    DDSetFieldFont(v->dd, FV_TEXT, (HFONT)GetStockObject(ANSI_FIXED_FONT));
}

static int on_create(HWND hwnd, CREATESTRUCTA *cs)
{
    FILEWORDS *v = (FILEWORDS *)CSGetMem(sizeof(FILEWORDS), "FILEWORDS");
    if (!v)
        return -1;
    memset(v, 0, sizeof *v);
    v->entry.window = hwnd;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)v);
    if (DDCreate(hwnd, DLG_FILEVIEW, DDC_ESCAPECLOSES, &v->dd)) {
        WinOpError("DDCreate");
        SetWindowLongPtrA(hwnd, 0, 0);
        CSFreeMem(v);
        return -1;
    }
    DDSetFieldText(v->dd, FV_FILE, 0, (const char *)cs->lpCreateParams);
    DDSendFieldMsg(v->dd, FV_BROWSE, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)ShellBitmap(BMP_BROWSE));
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    load(v);
    AddRefreshWindow(&v->entry);
    return 0;
}

static void on_close(HWND hwnd, FILEWORDS *v)
{
    MSG msg;
    while (PeekMessageA(&msg, hwnd, FRM_FILETEXT, FRM_FILETEXT, PM_REMOVE))
        if (msg.lParam)
            CSFreeMem((void *)msg.lParam);
    if (v) {
        RemoveRefreshWindow(&v->entry);
        SetWindowLongPtrA(hwnd, 0, 0);
        DDDestroy(&v->dd);
        CSFreeMem(v);
    }
    DestroyWindow(hwnd);
}

static void browse(HWND hwnd, FILEWORDS *v)
{
    HWND field = DDGetFieldWindow(v->dd, FV_FILE, 0);
    char current[SHELL_PATH] = "";
    GetWindowTextA(field, current, sizeof current);
    if (UIGetFileName(hwnd, field, 1, current))
        load(v);
}

static LRESULT CALLBACK FileViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    FILEWORDS *v = record_of(hwnd);
    switch (msg) {
    case WM_CREATE:
        return on_create(hwnd, (CREATESTRUCTA *)lp);
    case WM_SIZE:
        if (wp != SIZE_MINIMIZED && IsWindowVisible(hwnd)) {
            RECT rc;
            GetWindowRect(hwnd, &rc);
            Prf.dialogs[DLG_FILE][2] = rc.right - rc.left;
            Prf.dialogs[DLG_FILE][3] = rc.bottom - rc.top;
        }
        break;
    case WM_CLOSE:
        on_close(hwnd, v);
        return 0;
    case WM_COMMAND:
        if (!v)
            break;
        switch (LOWORD(wp)) {
        case FV_CLOSE: PostMessageA(hwnd, WM_CLOSE, 0, 0); return 0;
        case FV_RELOAD: load(v); return 0;
        case FV_BROWSE: browse(hwnd, v); return 0;
        case FV_FIND: find(v); return 0;
        }
        return 0;
    case UM_NEWFONT:
        if (v)
            set_fonts(v);
        return 0;
    case UM_COLOURSCHANGED:
        if (v && dlgColours.brush)
            DDSetFieldColours(v->dd, DD_BACKGROUND, 0, 0, 0, dlgColours.text, dlgColours.back,
                              dlgColours.brush);
        return 0;
    case FRM_FILETEXT:
        if (v)
            set_text(v, (const char *)lp);
        if (lp)
            CSFreeMem((void *)lp);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* The other viewers of this thread (the program's). */
static int other_viewers(HWND self)
{
    struct COUNT { HWND self; int n; } c = { self, 0 };
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM lp) -> BOOL {
        COUNT *c = (COUNT *)lp;
        char cls[16] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (w != c->self && IsWindow(w) && !strcmp(cls, "RAVOLT_FILE"))
            c->n++;
        return TRUE;
    }, (LPARAM)&c);
    return c.n;
}

/* The default position the system gives a new overlapped window: a
 * cascade from the top-left corner of the work area, each window one
 * caption lower and further right than the one before.  A system that
 * leaves such a window in the corner itself (Wine) gets the same
 * cascade, so that no viewer covers the screen's corner or another
 * viewer exactly. */
static void default_position(HWND w)
{
    RECT wa, rc;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    GetWindowRect(w, &rc);
    if (rc.left != wa.left || rc.top != wa.top)
        return;                               /* the system placed it */
    int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
    int n = 1 + other_viewers(w) % 8;
    PlaceRect r = { wa.left + n * step, wa.top + n * step, rc.right - rc.left, rc.bottom - rc.top };
    WinFitWindowRect(w, &r, 1, 0);
}

HWND FileViewCreate(const char *title, const char *path)
{
    static int registered;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FileViewProc;
        wc.cbWndExtra = 24;
        wc.hInstance = Shell.instance;
        wc.hIcon = Shell.icons[0];
        wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = "RAVOLT_FILE";
        if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            WinOpError("RegisterClass failed");
            return nullptr;
        }
        registered = 1;
    }
    int cx = Prf.dialogs[DLG_FILE][2] > 0 ? Prf.dialogs[DLG_FILE][2] : CW_USEDEFAULT;
    int cy = Prf.dialogs[DLG_FILE][3] > 0 ? Prf.dialogs[DLG_FILE][3] : CW_USEDEFAULT;
    HWND w = CreateWindowExA(0, "RAVOLT_FILE", title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             CW_USEDEFAULT, CW_USEDEFAULT, cx, cy, nullptr, nullptr, Shell.instance,
                             (LPVOID)path);
    if (!w) {
        WinOpError("CreateWindow failed");
        return nullptr;
    }
    default_position(w);
    ShowWindow(w, SW_SHOW);
    return w;
}

/* ---- IBM MQ's error log and ini file of a location ---- */

static int mq_files(QMS *r, SHELLMQFILES *in, char *dataPath, char *errorPath, char *clientIni)
{
    memset(in, 0, sizeof *in);
    in->client = (r->flags & LF_CLIENT) != 0;
    in->separator = CSPathSep;
    in->qmName = r->qmName;
    if (GetEnvironmentVariableA("MQERRORPATH", errorPath, SHELL_PATH))
        in->errorPath = errorPath;
    if (GetEnvironmentVariableA("MQCLNTCF", clientIni, SHELL_PATH))
        in->clientIni = clientIni;
    if (GetQmgrDataPath(r, dataPath) && dataPath[0])
        in->dataPath = dataPath;
    return 1;
}

static void no_directory(void)
{
    ShellBox(Shell.mainWindow, "Can not find MQ data directory configuration", "MQ Configuration error",
             MB_OK | MB_ICONSTOP);
}

void ShowMQErrorLog(QMS *r)
{
    SHELLMQFILES in;
    char data[SHELL_PATH] = "", errors[SHELL_PATH] = "", ini[SHELL_PATH] = "";
    char path[SHELL_PATH], title[100];
    if (!r)
        return;
    mq_files(r, &in, data, errors, ini);
    if (ShellErrorLogPath(&in, path, title))
        FileViewCreate(title, path);
    else
        no_directory();
}

void ShowMQIniFile(QMS *r)
{
    SHELLMQFILES in;
    char data[SHELL_PATH] = "", errors[SHELL_PATH] = "", ini[SHELL_PATH] = "";
    char path[SHELL_PATH], title[100];
    if (!r)
        return;
    mq_files(r, &in, data, errors, ini);
    if (ShellIniPath(&in, path, title))
        FileViewCreate(title, path);
    else
        no_directory();
}
