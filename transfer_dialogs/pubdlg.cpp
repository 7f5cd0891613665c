/* The publish window ("RAVOLT_PUBLISH"): publishes one or more copies of
 * a message on a topic, through the MQI (a topic object, a topic string
 * and a publication level) or as a queued publish (an MQRFH command put
 * to a broker stream queue), on the location's put thread. */
#include "xferwnd.h"

#include <commctrl.h>
#include <cstring>

#include "confirm.h"
#include "cs.h"
#include "locstore.h"
#include "mqengine.h"
#include "mq/mqconst.h"
#include "prfdata.h"
#include "tkwin.h"

#define PUB_CLASS "RAVOLT_PUBLISH"
#define DEFAULT_STREAM "SYSTEM.BROKER.DEFAULT.STREAM"

enum { PF_LEVELSPIN = 4240, TAB_MQI = 0, TAB_QUEUED = 1 };

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define ROWS(type, id, text, value, style, cx, cy) {(uint32_t)(type), id, text, value, nullptr, style, cx, cy, 0, 0, 0}
#define PAGE(text, sub) {(uint32_t)DD_TAB, 0, text, 0, sub, 0, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

#define LIST_STYLE (CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP)
#define TEXT_STYLE (ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP)

static DDFieldDef PAGE_MQI[] = {
    ROW(DD_STATIC | DDF_CLASS1, 0, "Topic Object", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, PF_TOPICOBJ, "", 30, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Pub Level", 0, 0),
    ROW(DD_SPIN | DDF_NOBREAK, PF_LEVELSPIN, nullptr, 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, PF_PUBLEVEL, "9", 4, 0),
    END,
};

static DDFieldDef PAGE_QUEUED[] = {
    ROW(DD_STATIC | DDF_CLASS1, 0, "Target Queue Manager", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, PF_QMGR, "", 30, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Stream", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, PF_STREAM, "", 30, 0),
    END,
};

DDFieldDef DLG_PUB_TABLE[] = {
    ROW(DD_TABCTL, PF_TABS, nullptr, 0, 0),
    PAGE("MQI", PAGE_MQI),
    PAGE("Queued", PAGE_QUEUED),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Topic String", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, PF_TOPIC, "", 40, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Message Length", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, PF_LENGTH, "-1", 10, 0),
    ROW(DD_STATIC | DDF_CLASS2 | DDF_NOBREAK, 0, "Persistence", 0, 0),
    ROW(DD_COMBOBOX | DDF_NOBREAK, PF_PERSISTENCE, "", 20, LIST_STYLE),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Message Count", 0, 0),
    ROW(DD_EDIT | DDF_NOBREAK, PF_COUNT, "1", 10, 0),
    ROW(DD_CHECKBOX | DDF_CLASS2 | DDF_NOBREAK, PF_SYNCPOINT, "Syncpoint", 0, 0),
    ROW(DD_CHECKBOX | DDF_NEWROW, PF_LOCAL, "Local", 0, 0),
    ROW(DD_CHECKBOX | DDF_NOBREAK, PF_ANONYMOUS, "Anonymous", 0, 0),
    ROW(DD_STATIC | DDF_NEWROW, 0, "Message", 0, 0),
    ROWS(DD_MULTIEDIT | DDF_NEWROW, PF_MESSAGE, "", 50, TEXT_STYLE, 0, 6),
    ROWS(DD_STATIC | DDF_NEWROW, PF_STATUS, "", 1, 0, 50, 1),
    ROW(DD_BUTTON | DDF_NEWROW, IDOK, "Publish", 1, BS_DEFPUSHBUTTON),
    ROW(DD_BUTTON | DDF_NOBREAK, IDCANCEL, "Cancel", 1, 0),
    END,
};

static PUTWORDS *words_of(HWND hwnd)
{
    return (PUTWORDS *)GetWindowLongPtrA(hwnd, 0);
}

static int queued_tab(PUTWORDS *pw)
{
    return DDGetTabSelection(pw->dd, PF_TABS) == TAB_QUEUED;
}

/* Anonymous applies to the queued publish only. */
static void tab_changed(PUTWORDS *pw)
{
    DDEnableField(pw->dd, PF_ANONYMOUS, queued_tab(pw), 0);
}

static int create_fields(HWND hwnd, PUTWORDS *pw)
{
    if (DDCreate(hwnd, DLG_PUB_TABLE, DDC_ESCAPECLOSES, &pw->dd)) {
        WinOpError("DDCreate");
        return -1;
    }
    pw->window = hwnd;
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)pw);
    QMS *r = pw->location;
    XferFillNames(pw->dd, PF_QMGR, XN_QMGR, r ? r->qmName : "");
    XferFillNames(pw->dd, PF_STREAM, XN_STREAM, pw->stream[0] ? pw->stream : DEFAULT_STREAM);
    XferFillNames(pw->dd, PF_TOPIC, XN_TOPIC, pw->topic);
    XferFillValues(pw->dd, PF_PERSISTENCE, PutPersistence, (uint32_t)Prf.pubpers);
    DDSetCheck(pw->dd, PF_SYNCPOINT, (Prf.pubpmoo & MQPMO_SYNCPOINT) != 0);
    DDSendFieldMsg(pw->dd, PF_LEVELSPIN, UDM_SETRANGE32, 0, 9);
    char text[120];
    snprintf(text, sizeof text, "Test message from '%s'", r ? r->qmName : "");
    DDSetFieldText(pw->dd, PF_MESSAGE, -1, text);
    XferMessageKeys(pw->dd);
    tab_changed(pw);
    XferSetFont(pw->dd);
    XferSetColours(hwnd, pw->dd);
    return 0;
}

static void publish(PUTWORDS *pw)
{
    PUBFIELDS f = {};
    f.queued = queued_tab(pw);
    XferFieldText(pw->dd, PF_QMGR, f.qmgr, sizeof f.qmgr);
    XferFieldText(pw->dd, PF_STREAM, f.stream, sizeof f.stream);
    XferFieldText(pw->dd, PF_TOPICOBJ, f.topicObject, sizeof f.topicObject);
    XferFieldText(pw->dd, PF_PUBLEVEL, f.pubLevel, sizeof f.pubLevel);
    XferFieldText(pw->dd, PF_TOPIC, f.topic, sizeof f.topic);
    XferFieldText(pw->dd, PF_LENGTH, f.length, sizeof f.length);
    XferFieldText(pw->dd, PF_COUNT, f.count, sizeof f.count);
    char *text = XferMessageText(pw->dd);
    f.text = text;
    f.persistence = (int32_t)XferSelectedValue(pw->dd, PF_PERSISTENCE, PutPersistence, 1);
    f.syncpoint = DDGetCheck(pw->dd, PF_SYNCPOINT);
    f.local = DDGetCheck(pw->dd, PF_LOCAL);
    f.anonymous = f.queued && DDGetCheck(pw->dd, PF_ANONYMOUS);
    f.platform = XferPlatformOf(f.queued ? f.qmgr : "", pw->location);
    f.window = pw->window;
    uint8_t *message;
    uint32_t length, flags;
    ThreadRequest request;
    char error[400];
    int field = 0;
    int rc = PubBuildRequest(&f, &message, &length, &request, &flags, error, sizeof error, &field);
    CSFreeMemAndClear(&text);
    if (rc) {
        XferFieldError(pw->dd, field, error);
        return;
    }
    QMS *target = f.queued && f.qmgr[0] ? LocFind(f.qmgr) : nullptr;
    if (!target)
        target = pw->location;
    Prf.pubpers = f.persistence;
    Prf.pubpmoo = f.syncpoint ? (Prf.pubpmoo | MQPMO_SYNCPOINT) : (Prf.pubpmoo & ~MQPMO_SYNCPOINT);
    XferRememberName(XN_TOPIC, f.topic);
    if (f.queued) {
        XferRememberName(XN_STREAM, f.stream);
        XferRememberName(XN_QMGR, f.qmgr);
    }
    XferStatus(pw->dd, "Publishing....");
    rc = PostThreadRequest(target, nullptr, flags, &request, nullptr, message, length);
    if (rc) {
        XferPostFailed(pw->dd, f.queued ? f.qmgr : "", f.queued ? f.stream : f.topicObject, rc);
        CSFreeMem(message);
    }
}

static LRESULT CALLBACK PublishProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    PUTWORDS *pw = words_of(hwnd);
    switch (msg) {
    case WM_CREATE:
        return create_fields(hwnd, (PUTWORDS *)((CREATESTRUCTA *)lp)->lpCreateParams);
    case WM_COMMAND:
        if (pw && LOWORD(wp) == IDOK)
            publish(pw);
        else if (LOWORD(wp) == IDCANCEL)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_NOTIFY:
        if (pw && ((NMHDR *)lp)->code == (UINT)TCN_SELCHANGE)
            tab_changed(pw);
        return 0;
    }
    if (XferWindowMessage(hwnd, pw ? &pw->dd : nullptr, pw, msg, wp, lp, DLG_PUB))
        return 0;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND PublishDialog(QMS *location, const char *stream, const char *topic)
{
    if (!XferRegisterClass(PUB_CLASS, PublishProc))
        return nullptr;
    PUTWORDS *pw = (PUTWORDS *)CSGetMem(sizeof *pw, "PUTWORDS");
    if (!pw) {
        WinOpError("Storage allocation failed");
        return nullptr;
    }
    memset(pw, 0, sizeof *pw);
    pw->location = location;
    pw->publish = 1;
    UTStrCopy(pw->stream, stream ? stream : "", sizeof pw->stream);
    UTStrCopy(pw->topic, topic ? topic : "", sizeof pw->topic);
    char title[100];
    snprintf(title, sizeof title, "Publish from '%s'", location ? location->qmName : "");
    return XferCreateWindow(PUB_CLASS, title, pw, DLG_PUB);
}
