/* The put window ("RAVOLT_PUT"): puts one or more copies of a typed
 * message or of a file's bytes to a queue of a chosen queue manager, on
 * that location's put thread, and shows the put thread's result. */
#include "xferwnd.h"

#include <cstring>

#include "confirm.h"
#include "cs.h"
#include "filedlg.h"
#include "locstore.h"
#include "mqengine.h"
#include "mq/mqconst.h"
#include "prfdata.h"
#include "tkwin.h"

#define PUT_CLASS "RAVOLT_PUT"

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define ROWS(type, id, text, value, style, cx, cy) {(uint32_t)(type), id, text, value, nullptr, style, cx, cy, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

#define LIST_STYLE (CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP)
#define TEXT_STYLE (ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP)

DDFieldDef DLG_PUT_TABLE[] = {
    ROW(DD_STATIC | DDF_CLASS1, 0, "Target Queue Manager", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, PF_QMGR, "", 30, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Target Queue", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, PF_QUEUE, "", 30, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Message Length", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, PF_LENGTH, "-1", 10, 0),
    ROW(DD_STATIC | DDF_CLASS2 | DDF_NOBREAK, 0, "Persistence", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, PF_PERSISTENCE, "", 20, LIST_STYLE),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Message Count", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, PF_COUNT, "1", 10, 0),
    ROW(DD_CHECKBOX | DDF_CLASS2 | DDF_NOBREAK, PF_SYNCPOINT, "Syncpoint", 0, 0),
    ROW(DD_CHECKBOX | DDF_NOBREAK, PF_ASYNC, "Async", 0, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "File Name", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, PF_FILE, "", 30, 0),
    ROW(DD_BUTTON | DDF_NOBREAK, PF_CHOOSE, "Choose File", 1, 0),
    ROW(DD_STATIC | DDF_NEWROW, 0, "Message", 0, 0),
    ROWS(DD_MULTIEDIT | DDF_NEWROW, PF_MESSAGE, "", 50, TEXT_STYLE, 0, 6),
    ROWS(DD_STATIC | DDF_NEWROW, PF_STATUS, "", 1, 0, 50, 1),
    ROW(DD_BUTTON | DDF_NEWROW, IDOK, "Put", 1, BS_DEFPUSHBUTTON),
    ROW(DD_BUTTON | DDF_NOBREAK, IDCANCEL, "Cancel", 1, 0),
    END,
};

static PUTWORDS *words_of(HWND hwnd)
{
    return (PUTWORDS *)GetWindowLongPtrA(hwnd, 0);
}

/* WM_CREATE: the dialog's fields and their first values. */
static int create_fields(HWND hwnd, PUTWORDS *pw)
{
    if (DDCreate(hwnd, DLG_PUT_TABLE, DDC_ESCAPECLOSES, &pw->dd)) {
        WinOpError("DDCreate");
        return -1;
    }
    pw->window = hwnd;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)pw);
    QMS *r = pw->location;
    XferFillNames(pw->dd, PF_QMGR, XN_QMGR, r ? r->qmName : "");
    XferFillNames(pw->dd, PF_QUEUE, XN_QUEUE, pw->queue[0] ? pw->queue : r ? r->lastQueue : "");
    XferFillValues(pw->dd, PF_PERSISTENCE, PutPersistence, (uint32_t)Prf.putpers);
    DDSetCheck(pw->dd, PF_SYNCPOINT, (Prf.putpmoo & MQPMO_SYNCPOINT) != 0);
    char text[120];
    snprintf(text, sizeof text, "Test message from '%s'", r ? r->qmName : "");
    DDSetFieldText(pw->dd, PF_MESSAGE, -1, text);
    XferMessageKeys(pw->dd);
    XferSetFont(pw->dd);
    XferSetColours(hwnd, pw->dd);
    return 0;
}

/* A file name disables the typed message and its length. */
static void file_changed(PUTWORDS *pw)
{
    char file[DR_FILE + 1];
    int given = XferFieldText(pw->dd, PF_FILE, file, sizeof file) > 0;
    if (given == pw->fileGiven)
        return;
    pw->fileGiven = given;
    DDEnableField(pw->dd, PF_MESSAGE, !given, 0);
    DDEnableField(pw->dd, PF_LENGTH, !given, 0);
}

/* The message field's whole text (a block the caller frees). */
char *XferMessageText(DDHANDLE dd)
{
    int n = DDGetFieldTextLength(dd, PF_MESSAGE);
    char *text = (char *)CSGetMem((size_t)(n > 0 ? n : 0) + 1, "MSGTEXT");
    if (text) {
        text[0] = 0;
        if (n > 0)
            DDGetFieldText(dd, PF_MESSAGE, text, n + 1);
    }
    return text;
}

/* "Error putting to '%s/%s' RC(%ld) %s" for a refused request. */
void XferPostFailed(DDHANDLE dd, const char *qmgr, const char *queue, int reason)
{
    char text[400];
    snprintf(text, sizeof text, "Error putting to '%s/%s' RC(%ld) %s", qmgr, queue, (long)reason,
             MQReasonText(reason));
    XferStatus(dd, text);
}

static void put(PUTWORDS *pw)
{
    PUTFIELDS f = {};
    XferFieldText(pw->dd, PF_QMGR, f.qmgr, sizeof f.qmgr);
    XferFieldText(pw->dd, PF_QUEUE, f.queue, sizeof f.queue);
    XferFieldText(pw->dd, PF_LENGTH, f.length, sizeof f.length);
    XferFieldText(pw->dd, PF_COUNT, f.count, sizeof f.count);
    XferFieldText(pw->dd, PF_FILE, f.file, sizeof f.file);
    char *text = XferMessageText(pw->dd);
    f.text = text;
    f.persistence = (int32_t)XferSelectedValue(pw->dd, PF_PERSISTENCE, PutPersistence, 1);
    f.syncpoint = DDGetCheck(pw->dd, PF_SYNCPOINT);
    f.async = DDGetCheck(pw->dd, PF_ASYNC);
    f.platform = XferPlatformOf(f.qmgr, pw->location);
    f.window = pw->window;
    uint8_t *message;
    uint32_t length;
    ThreadRequest request;
    char error[400];
    int field = 0;
    int rc = PutBuildRequest(&f, &message, &length, &request, error, sizeof error, &field);
    CSFreeMemAndClear(&text);
    if (rc) {
        XferFieldError(pw->dd, field, error);
        return;
    }
    QMS *target = f.qmgr[0] ? LocFind(f.qmgr) : nullptr;
    if (!target)
        target = pw->location;
    if (pw->location)
        UTStrCopy(pw->location->lastQueue, f.queue, sizeof pw->location->lastQueue);
    Prf.putpers = f.persistence;
    Prf.putpmoo = f.syncpoint ? (Prf.putpmoo | MQPMO_SYNCPOINT) : (Prf.putpmoo & ~MQPMO_SYNCPOINT);
    XferRememberName(XN_QUEUE, f.queue);
    XferRememberName(XN_QMGR, f.qmgr);
    XferStatus(pw->dd, "Putting....");
    rc = PostThreadRequest(target, nullptr, TRF_MSGINFO, &request, nullptr, message, length);
    if (rc) {
        XferPostFailed(pw->dd, f.qmgr, f.queue, rc);
        CSFreeMem(message);
    }
}

static void choose_file(PUTWORDS *pw)
{
    char path[300] = "";        /* the dialog starts from it when the field is empty */
    HWND edit = DDGetFieldWindow(pw->dd, PF_FILE, 0);
    if (edit && UIGetFileName(pw->window, edit, UIF_INPUT, path))
        file_changed(pw);
}

static void command(PUTWORDS *pw, int id, int code)
{
    switch (id) {
    case IDOK:
        put(pw);
        break;
    case IDCANCEL:
        PostMessageA(pw->window, WM_CLOSE, 0, 0);
        break;
    case PF_CHOOSE:
        choose_file(pw);
        break;
    case PF_FILE:
        if (code == EN_CHANGE)
            file_changed(pw);
        break;
    }
}

/* 11244: the put thread's text, then the target's lists refreshed. */
static void result_text(PUTWORDS *pw, LPARAM block)
{
    XferTakeText(pw->dd, block);
    char qmgr[DR_NAME + 1], queue[DR_NAME + 1];
    XferFieldText(pw->dd, PF_QMGR, qmgr, sizeof qmgr);
    XferFieldText(pw->dd, PF_QUEUE, queue, sizeof queue);
    XferRefreshLists(qmgr, queue);
}

static LRESULT CALLBACK PutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    PUTWORDS *pw = words_of(hwnd);
    switch (msg) {
    case WM_CREATE:
        return create_fields(hwnd, (PUTWORDS *)((CREATESTRUCTA *)lp)->lpCreateParams);
    case WM_COMMAND:
        if (pw)
            command(pw, LOWORD(wp), HIWORD(wp));
        return 0;
    case FM_TEXT:
        if (pw)
            result_text(pw, lp);
        else if (lp)
            CSFreeMem((void *)lp);
        return 0;
    }
    if (XferWindowMessage(hwnd, pw ? &pw->dd : nullptr, pw, msg, wp, lp, DLG_PUT))
        return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* Registers a window class of the transfer once: 1, or 0 after the
 * failure's box. */
int XferRegisterClass(const char *name, WNDPROC proc)
{
    WNDCLASSA wc = {};
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoA(instance, name, &wc))
        return 1;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = 24;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    if (RegisterClassA(&wc))
        return 1;
    WinOpError("RegisterClass failed");
    return 0;
}

/* Creates a put or publish window for its record and shows it. */
HWND XferCreateWindow(const char *cls, const char *title, PUTWORDS *pw, int slot)
{
    HWND w = CreateWindowExA(0, cls, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), pw);
    if (!w) {
        CSFreeMem(pw);
        WinOpError("CreateWindow failed");
        return nullptr;
    }
    AddModeless(w, 0, pw->location, nullptr);
    XferPlaceWindow(w, pw->dd, slot);
    ShowWindow(w, SW_SHOW);
    return w;
}

HWND PutDialog(QMS *location, const char *queue)
{
    if (!XferRegisterClass(PUT_CLASS, PutProc))
        return nullptr;
    PUTWORDS *pw = (PUTWORDS *)CSGetMem(sizeof *pw, "PUTWORDS");
    if (!pw) {
        WinOpError("Storage allocation failed");
        return nullptr;
    }
    memset(pw, 0, sizeof *pw);
    pw->location = location;
    UTStrCopy(pw->queue, queue ? queue : "", sizeof pw->queue);
    char title[100];
    snprintf(title, sizeof title, "MQPUT from '%s'", location ? location->qmName : "");
    return XferCreateWindow(PUT_CLASS, title, pw, DLG_PUT);
}
