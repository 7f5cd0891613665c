/* Add Location (DLG_ADDDLG) and Location Settings (DLG_REMOTEDLG): one
 * window procedure over two definition tables that share their three tab
 * pages.  The fields are read into an RTABINPUT and the rules of
 * rtabrules.cpp decide; this file shows what they answer. */
#include "locdlgwin.h"

#include <cstdio>
#include <cstring>

#include "cs.h"
#include "dialogs.h"
#include "confirm.h"
#include "tkplace.h"
#include "tkutil.h"
#include "prfdata.h"
#include "tkwin.h"

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define SUB(type, id, text, sub) {(uint32_t)(type), id, text, 0, sub, 0, 0, 0, 0, 0, 0}
#define LABEL(text) ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, text, 0, 0)
#define EDIT(id, width) ROW(DD_EDIT, id, "", width, 0)
#define NUMBER(id) ROW(DD_EDIT, id, "", 10, ES_NUMBER)
#define SHOWN(id) ROW(DD_EDIT, id, "", 10, ES_READONLY)
#define COMBO(id, width) ROW(DD_COMBOBOX, id, "", width, 0)
#define CHECK(id, text) ROW(DD_CHECKBOX | DDF_NEWROW, id, text, 0, BS_AUTOCHECKBOX)
#define BOX(text) ROW(DD_GROUPBOX | DDF_NEWROW, 0, text, 0, 0)
#define BOXEND ROW(DD_GROUPE, 0, nullptr, 0, 0)
#define BUTTON(id, text) ROW(DD_BUTTON | DDF_CLASS2, id, text, 1, 0)
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}

static DDFieldDef ConnectionPage[] = {
    LABEL("QM Group"), COMBO(RTF_GROUP, 30),
    LABEL("Network Names"), COMBO(RTF_NETNAMES, 40),
    LABEL("Reply Queue"), EDIT(RTF_REPLYQ, 40),
    LABEL("Reply Prefix"), EDIT(RTF_REPLYPFX, 40),
    LABEL("Command Queue"), EDIT(RTF_CMDQ, 40),
    CHECK(RTF_CLIENT, "Client"), BUTTON(RTF_CONFIGURE, " Configure "),
    CHECK(RTF_MVS, "MVS"), ROW(DD_CHECKBOX, RTF_AUTO, "Auto Connect", 0, BS_AUTOCHECKBOX),
    LABEL("CCDT URL"), EDIT(RTF_CCDT, 40),
    LABEL("Retry Interval"), NUMBER(RTF_RETRY),
    LABEL("Disconnect Interval"), NUMBER(RTF_DISC),
    END};

static DDFieldDef SecurityPage[] = {
    BOX("Passwords"),
    CHECK(RTF_USRP, "Userid and Password"), CHECK(RTF_SECEXIT, "Security Exit Only"),
    CHECK(RTF_USRSUC, "Cache on Success Only"), CHECK(RTF_CACHEFILE, "Store in cache file"),
    BOXEND,
    BOX(" Upper Case "), CHECK(RTF_UCUSER, "Userid"), CHECK(RTF_UCPW, "Password"), BOXEND,
    BOX("Security Group"),
    LABEL(" Name  "), COMBO(RTF_SECGROUP, 30),
    LABEL(" Description  "), COMBO(RTF_SECDESC, 40),
    BOXEND,
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, RTF_SETPW, "Set Password", 1, 0),
    BUTTON(RTF_DELPW, "Delete Password"),
    BOX("Transport Layer Security (TLS)"),
    CHECK(RTF_SSLWK, "Allow Weak Cipher Specs"),
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, RTF_KDB, "Forget KDB Password", 1, 0),
    BOXEND,
    END};

static DDFieldDef OptionsPage[] = {
    BOX("Commands"), CHECK(RTF_NAU, "Disable Auto Updates"), BOXEND,
    BOX("Operation"), CHECK(RTF_OBJD, "Download Objects"), CHECK(RTF_DRA, "Disable Read Ahead"), BOXEND,
    BOX("Upper Case"), CHECK(RTF_UCO, "Object Names"), CHECK(RTF_UCE, "Exit Names"), BOXEND,
    BOX("New Line Processing"),
    ROW(DD_RADIO | DDF_NEWROW, RTF_CRLF, "   CRLF", 0, BS_AUTORADIOBUTTON | WS_GROUP),
    ROW(DD_RADIO, RTF_LF, "   LF", 0, BS_AUTORADIOBUTTON),
    BOXEND,
    BOX("Default Codepage"),
    LABEL("Preferred "), NUMBER(RTF_CCSIDP),
    LABEL("Queue Manager "), SHOWN(RTF_CCSIDQ), LABEL("Active "), SHOWN(RTF_CCSID),
    BOXEND,
    BOX("Default Encoding"),
    LABEL("Preferred "), COMBO(RTF_ENCP, 24),
    LABEL("Assumed Queue Manager "), ROW(DD_EDIT, RTF_ENCQ, "", 24, ES_READONLY),
    LABEL("Active "), ROW(DD_EDIT, RTF_ENC, "", 24, ES_READONLY),
    BOXEND,
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, RTF_SPLASH, "Show Splash Window", 1, 0),
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, RTF_CMDLVLTITLE, "Command Level", 0, 0),
    NUMBER(RTF_CMDLVL),
    END};

#define HEAD_ROWS                                                                 \
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Location", 0, 0),                \
    EDIT(RTF_LOCATION, 40),                                                       \
    ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, "Queue Manager ", 0, 0),          \
    EDIT(RTF_QMNAME, 40),                                                         \
    SUB(DD_TABCTL | DDF_NEWROW, RTF_TABS, nullptr, nullptr),                      \
    SUB(DD_TAB, 0, "Connection", ConnectionPage), SUB(DD_TAB, 0, "Security", SecurityPage), \
    SUB(DD_TAB, 0, "Options", OptionsPage),                                       \
    ROW(DD_STATIC | DDF_NEWROW, RTF_ERROR, "", 0, 0)

DDFieldDef DLG_ADDDLG[] = {
    HEAD_ROWS,
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 1, "Add", 1, BS_DEFPUSHBUTTON),
    BUTTON(2, "Cancel"),
    END};

DDFieldDef DLG_REMOTEDLG[] = {
    ROW(DD_STATIC | DDF_NEWROW, RTF_STATUS, "", 0, 0),
    HEAD_ROWS,
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 1, "OK", 1, BS_DEFPUSHBUTTON),
    BUTTON(RTF_APPLY, "Apply"), BUTTON(RTF_CONNECT, "Disconnect"),
    BUTTON(RTF_INIFILE, "INI File..."), BUTTON(RTF_ERRLOG, "Error Log..."),
    BUTTON(2, "Cancel"),
    END};

/* The text fields and their places in RTABINPUT, with their limits. */
struct TextField {
    int id;
    size_t offset, size;
    int limit;
};

#define TF(id, member, limit) { id, offsetof(RTABINPUT, member), sizeof(RTABINPUT::member), limit }
static const TextField TextFields[] = {
    TF(RTF_LOCATION, location, QMS_LOCNAME), TF(RTF_QMNAME, qmName, QMS_NAME),
    TF(RTF_GROUP, group, QMS_NAME), TF(RTF_REPLYQ, replyQueue, QMS_NAME),
    TF(RTF_REPLYPFX, replyPrefix, QMS_NAME), TF(RTF_CMDQ, commandQueue, QMS_NAME),
    TF(RTF_NETNAMES, networkNames, RTAB_TEXT - 1), TF(RTF_CCDT, ccdtUrl, RTAB_TEXT - 1),
    TF(RTF_RETRY, retry, 10), TF(RTF_DISC, disconnect, 10), TF(RTF_CCSIDP, ccsid, 10),
    TF(RTF_ENCP, encoding, 30), TF(RTF_CMDLVL, commandLevel, 10),
    TF(RTF_SECGROUP, secGroup, 48), TF(RTF_SECDESC, secGroupDesc, 64),
};

struct CheckField {
    int id;
    uint32_t check;
};

static const CheckField CheckFields[] = {
    { RTF_CRLF, RTC_CRLF }, { RTF_MVS, RTC_MVS }, { RTF_CLIENT, RTC_CLIENT }, { RTF_UCO, RTC_UCO },
    { RTF_UCE, RTC_UCE }, { RTF_NAU, RTC_NAU }, { RTF_AUTO, RTC_AUTO }, { RTF_OBJD, RTC_OBJD },
    { RTF_DRA, RTC_DRA }, { RTF_USRP, RTC_USRP }, { RTF_SECEXIT, RTC_SECEXIT },
    { RTF_USRSUC, RTC_USRSUC }, { RTF_CACHEFILE, RTC_CACHEFILE }, { RTF_SSLWK, RTC_SSLWK },
    { RTF_UCUSER, RTC_UCUSER }, { RTF_UCPW, RTC_UCPW },
};

#define HOOKS LocDlgHooks()
#define HOOK(name, ...) do { if (HOOKS->name) HOOKS->name(HOOKS->context __VA_OPT__(,) __VA_ARGS__); } while (0)
#define ASK(owner, what, name, ...) WIN_HOOK_OR_SAY(HOOKS, owner, what, name __VA_OPT__(,) __VA_ARGS__)

static RTABWORDS *words_of(HWND hwnd)
{
    return (RTABWORDS *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

/* ---- fields ------------------------------------------------------------ */

/* Reads every field of the dialog whole (a field never cuts what it holds). */
static void read_fields(RTABWORDS *w, RTABINPUT *in)
{
    memset(in, 0, sizeof *in);
    for (const TextField &t : TextFields)
        DDGetFieldText(w->dd, t.id, (char *)in + t.offset, (int)t.size);
    for (const CheckField &c : CheckFields)
        if (DDGetCheck(w->dd, c.id))
            in->checks |= c.check;
}

static void show_fields(RTABWORDS *w, const RTABINPUT *in)
{
    for (const TextField &t : TextFields)
        DDSetFieldText(w->dd, t.id, t.limit, (const char *)in + t.offset);
    for (const CheckField &c : CheckFields)
        DDSetCheck(w->dd, c.id, (in->checks & c.check) != 0);
    DDSetCheck(w->dd, RTF_LF, !(in->checks & RTC_CRLF));
}

static void set_title(RTABWORDS *w)
{
    char qm[QMS_NAME + 1], title[120];
    DDGetFieldText(w->dd, RTF_QMNAME, qm, sizeof qm);
    RtabTitle(w->addMode, qm, title, sizeof title);
    SetWindowTextA(w->hwnd, title);
}

/* The record's check boxes as the dialog holds them now. */
static uint32_t checks_now(RTABWORDS *w)
{
    uint32_t checks = 0;
    for (const CheckField &c : CheckFields)
        if (DDGetCheck(w->dd, c.id))
            checks |= c.check;
    return checks;
}

/* RtabEnableClient and RtabEnableSecurity: the enables that follow the
 * check boxes. */
static void enable_fields(RTABWORDS *w)
{
    RTABENABLES e;
    RtabEnables(w->record, checks_now(w), &e);
    const struct { int id; int on; } rows[] = {
        { RTF_CONFIGURE, e.configure }, { RTF_CCDT, e.ccdtUrl }, { RTF_SECEXIT, e.secExit },
        { RTF_USRSUC, e.usrsuc }, { RTF_CACHEFILE, e.cacheFile }, { RTF_SETPW, e.setPassword },
        { RTF_DELPW, e.deletePassword }, { RTF_UCUSER, e.ucUser }, { RTF_UCPW, e.ucPassword },
        { 1, e.apply }, { RTF_APPLY, e.apply }, { RTF_CMDQ, e.commandQueue },
        { RTF_DISC, e.disconnect },
    };
    for (const auto &r : rows)
        DDEnableField(w->dd, r.id, r.on, 0);
}

/* RtabShowCodepages. */
static void show_codepages(RTABWORDS *w, int withPreferred)
{
    RTABCODEPAGES cp;
    RtabCodepageTexts(w->record, &cp);
    if (withPreferred) {
        DDSetFieldText(w->dd, RTF_CCSIDP, 10, cp.ccsid[0]);
        DDSetFieldText(w->dd, RTF_ENCP, 30, cp.encoding[0]);
    }
    DDSetFieldValue(w->dd, RTF_CCSIDQ, cp.ccsid[1]);
    DDSetFieldValue(w->dd, RTF_CCSID, cp.ccsid[2]);
    DDSetFieldValue(w->dd, RTF_ENCQ, cp.encoding[1]);
    DDSetFieldValue(w->dd, RTF_ENC, cp.encoding[2]);
}

/* A combo box emptied and refilled through one of the rules' walks. */
struct ComboFill {
    HWND combo;
};

static void add_item(void *ctx, const char *text)
{
    SendMessageA(((ComboFill *)ctx)->combo, CB_ADDSTRING, 0, (LPARAM)text);
}

static void refill_combo(RTABWORDS *w, int id, void (*walk)(void (*)(void *, const char *), void *),
                         const char *select)
{
    HWND combo = DDGetFieldWindow(w->dd, id, 0);
    if (!combo)
        return;
    char text[RTAB_TEXT];
    GetWindowTextA(combo, text, sizeof text);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    ComboFill fill = { combo };
    walk(add_item, &fill);
    SetWindowTextA(combo, select ? select : text);
}

static void security_names(void (*add)(void *, const char *), void *ctx) { RtabSecurityGroups(0, add, ctx); }
static void security_descs(void (*add)(void *, const char *), void *ctx) { RtabSecurityGroups(1, add, ctx); }

/* RtabFillSecGroups. */
static void fill_security_groups(RTABWORDS *w)
{
    refill_combo(w, RTF_SECGROUP, security_names, w->record->securityGroup ? w->record->securityGroup : "");
    refill_combo(w, RTF_SECDESC, security_descs,
                 w->record->securityGroupDesc ? w->record->securityGroupDesc : "");
}

/* ---- messages ---------------------------------------------------------- */

static void on_init(HWND hwnd, DDHANDLE dd, QMS *location)
{
    RTABWORDS *w = (RTABWORDS *)CSGetMem(sizeof *w, "RTABWORDS");
    if (!w)
        return;
    memset(w, 0, sizeof *w);
    w->dd = dd;
    w->hwnd = hwnd;
    if (location) {
        w->record = location;
    } else {
        w->addMode = 1;
        w->record = (QMS *)CSGetMem(sizeof(QMS), "QMS - Add");
        if (!w->record) {
            CSFreeMem(w);
            return;
        }
        InitLocationDefaults(w->record);
        memset(w->record->caps, 1, sizeof w->record->caps);
    }
    w->record->settingsWindow = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)w);
    HWND enc = DDGetFieldWindow(dd, RTF_ENCP, 0);
    for (int i = 0; enc && RtabEncodingNames[i]; i++)
        SendMessageA(enc, CB_ADDSTRING, 0, (LPARAM)RtabEncodingNames[i]);
    if (!LocDlgSettings.diagnostics) {
        const int ids[] = { RTF_CMDLVLTITLE, RTF_CMDLVL };
        DDShowFields(dd, ids, 2, 0, 0);
    }
    DDSetFieldText(dd, RTF_NETNAMES, RTAB_TEXT - 1, w->record->networkNames);
    DDSetFieldText(dd, RTF_CCDT, RTAB_TEXT - 1, w->record->ccdtUrl);
    HWND first = DDGetFieldWindow(dd, RTF_LOCATION, 0);
    if (first)
        SetFocus(first);
    set_title(w);
    int enabled;
    DDSetFieldValue(dd, RTF_CONNECT, RtabConnectText(w->record, &enabled));
    DDEnableField(dd, RTF_CONNECT, enabled, 0);
    PostMessageA(hwnd, UM_CAPS_CHANGED, 0, 0);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
}

static void on_reload(RTABWORDS *w, QMS *source)
{
    PostMessageA(w->hwnd, UM_LOC_CODEPAGES, 0, 0);
    if (source)
        RtabCopySource(w->record, source);
    RTABINPUT in;
    RtabLoad(w->record, &in);
    show_fields(w, &in);
    fill_security_groups(w);
    enable_fields(w);
    set_title(w);
    PostMessageA(w->hwnd, UM_LOC_STATUS, 0, 0);
}

static void on_status(RTABWORDS *w)
{
    QMS *r = w->record;
    int enabled;
    DDSetFieldValue(w->dd, RTF_CONNECT, RtabConnectText(r, &enabled));
    DDEnableField(w->dd, RTF_CONNECT, enabled, 0);
    DDSetFieldValue(w->dd, RTF_CONFIGURE, r->clientSettings ? "Configured" : "Configure");
    enable_fields(w);
    if (w->addMode)
        return;
    DDSetFieldValue(w->dd, RTF_ERROR, r->lastError ? r->lastError : "");
    int64_t diag[3] = { 0, 0, (int64_t)r->downloadState };
    if (LocDlgSettings.diagnostics && HOOKS->getCounters) {
        int32_t a = 0, b = 0;
        HOOKS->getCounters(HOOKS->context, r, &a, &b);
        diag[0] = a;
        diag[1] = b;
    }
    char text[300];
    RtabStatusText(r->putThread.state, r->getThread.state, r->status,
                   LocDlgSettings.diagnostics ? diag : nullptr, text, sizeof text);
    DDSetFieldValue(w->dd, RTF_STATUS, text);
    if (LocDlgSettings.diagnostics) {
        snprintf(text, sizeof text, "Status(%lX)", (unsigned long)r->status);
        SetWindowTextA(w->hwnd, text);
    }
}

/* Shows the failure of an apply on its field. */
static void show_failure(RTABWORDS *w, const RTABERROR *e)
{
    HWND field = DDGetFieldWindow(w->dd, e->field, 0);
    char buffer[RTAB_TEXT];
    switch (e->result) {
    case RTAB_MANDATORY:
        DDCheckMandatory(w->dd, e->field, sizeof buffer, buffer, 0, e->title);
        break;
    case RTAB_FIELD_ERROR:
        WinFieldError(field, e->text);
        break;
    case RTAB_NETWORK_NAMES:
        UtilMessageBox(w->hwnd, e->text, "Invalid Network Name", MB_OK | MB_ICONEXCLAMATION);
        if (field)
            SetFocus(field);
        break;
    case RTAB_DUPLICATE:
        WinNoteBox(w->hwnd, 1, 0, e->text);
        break;
    }
}

static void close_client_dialog(QMS *r)
{
    DialogWords *client = (DialogWords *)r->clientDialog;
    if (client)
        HOOK(closeWindow, client->window);
}

static void on_apply(RTABWORDS *w, int ok)
{
    RTABINPUT in;
    read_fields(w, &in);
    if (w->addMode)
        close_client_dialog(w->record);     /* it names the private record */
    QMS *created = nullptr;
    RTABERROR e;
    if (RtabApply(w->record, w->addMode, &in, &created, &e) != RTAB_OK) {
        show_failure(w, &e);
        return;
    }
    if (w->addMode) {
        CSFreeMem(w->record);
        w->record = created;
        w->addMode = 0;
        PostMessageA(w->hwnd, WM_CLOSE, 0, 0);
        return;
    }
    if (ok)
        PostMessageA(w->hwnd, WM_CLOSE, 0, 0);
    else
        PostMessageA(w->hwnd, UM_LOC_CODEPAGES, 0, 0);
}

/* " Configure ": the client-connection command dialog on the location's
 * client channel, or the focus to it when open. */
static void on_configure(RTABWORDS *w)
{
    QMS *r = w->record;
    if (r->clientDialog) {
        HOOK(focusWindow, ((DialogWords *)r->clientDialog)->window);
        return;
    }
    uint8_t *area = RtabClientArea(r);
    if (!HOOKS->commandDialog)
        WinNotAvailable(w->hwnd, "The client connection dialog");
    if (!area || !HOOKS->commandDialog)
        return;
    DialogWords templ;
    memset(&templ, 0, sizeof templ);
    templ.definition = &PCFClientChannelDef;
    templ.first.location = r;
    templ.stateFlags = DF_KEEP_PREVIOUS;
    templ.dataArea = area;
    r->clientDialog = HOOKS->commandDialog(HOOKS->context, w->hwnd, &templ, CfgClient);
}

/* A security check box that takes effect at once. */
static void security_click(RTABWORDS *w, int id)
{
    RTABINPUT in;
    read_fields(w, &in);
    if (id == RTF_USRP)
        UTSetFlag(&w->record->flags, (in.checks & RTC_USRP) != 0, LF_USRP);
    else if (id == RTF_USRSUC)
        UTSetFlag(&w->record->flags2, (in.checks & RTC_USRSUC) != 0, LF2_USRSUC);
    else
        RtabApplySecurity(w->record, &in);
    enable_fields(w);
}

static void on_command(RTABWORDS *w, int id, int code)
{
    QMS *r = w->record;
    char buffer[RTAB_TEXT];
    RTABINPUT in;
    switch (id) {
    case 1: case RTF_APPLY:
        on_apply(w, id == 1);
        break;
    case 2:
        PostMessageA(w->hwnd, WM_CLOSE, 0, 0);
        break;
    case RTF_QMNAME:
        if (code == EN_CHANGE)
            set_title(w);
        break;
    case RTF_MVS:
        if (code == BN_CLICKED)
            DDSetFieldText(w->dd, RTF_CMDQ, QMS_NAME, DDGetCheck(w->dd, RTF_MVS)
                                                         ? "SYSTEM.COMMAND.INPUT"
                                                         : "SYSTEM.ADMIN.COMMAND.QUEUE");
        break;
    case RTF_CLIENT: case RTF_AUTO:
        if (code == BN_CLICKED)
            enable_fields(w);
        break;
    case RTF_CONFIGURE:
        on_configure(w);
        break;
    case RTF_CRLF: case RTF_LF:
        if (code == BN_CLICKED) {
            DDSetCheck(w->dd, RTF_CRLF, id == RTF_CRLF);
            DDSetCheck(w->dd, RTF_LF, id == RTF_LF);
        }
        break;
    case RTF_GROUP:
        if (code == CBN_DROPDOWN)
            refill_combo(w, RTF_GROUP, RtabGroupNames, r->groupName);
        break;
    case RTF_NETNAMES:
        if (code == CBN_DROPDOWN)
            refill_combo(w, RTF_NETNAMES, RtabNetworkNamesTexts, nullptr);
        break;
    case RTF_USRP: case RTF_USRSUC: case RTF_SSLWK:
        if (code == BN_CLICKED)
            security_click(w, id);
        break;
    case RTF_SETPW: case RTF_DELPW:
        read_fields(w, &in);
        RtabApplySecurity(r, &in);
        if (id == RTF_SETPW)
            ASK(w->hwnd, "Setting the user id and password", userIdDialog, w->hwnd, r);
        else
            ASK(w->hwnd, "Deleting the saved password", deleteCredentials, r);
        break;
    case RTF_SPLASH:
        if (DDCheckMandatory(w->dd, RTF_QMNAME, sizeof buffer, buffer, 0, "Queue Manager") &&
            DDCheckMandatory(w->dd, RTF_GROUP, sizeof buffer, buffer, 0, "QM Group"))
            ASK(w->hwnd, "The splash display", splashShow, r);
        break;
    case RTF_KDB:
        ASK(w->hwnd, "Forgetting the key database password", kdbForget, r);
        break;
    case RTF_CONNECT:
        if (r->putThread.state & 0x4) {
            r->state |= LST_SUSPENDED;
            ASK(w->hwnd, "Disconnecting", endPutThread, r, 0);
        } else {
            ASK(w->hwnd, "Connecting", startPutThread, r);
        }
        break;
    case RTF_INIFILE:
        ASK(w->hwnd, "Showing the qm.ini file", showIniFile, r);
        break;
    case RTF_ERRLOG:
        ASK(w->hwnd, "Showing the error log", showErrorLog, r);
        break;
    case RTF_CCSIDP:
        if (code == EN_CHANGE)
            PostMessageA(w->hwnd, UM_LOC_READCP, 0, 0);
        break;
    case RTF_ENCP:
        if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)
            PostMessageA(w->hwnd, UM_LOC_READCP, 0, 0);
        break;
    }
}

/* UM_LOC_READCP: the override fields read; a change shows what follows. */
static void on_read_codepages(RTABWORDS *w)
{
    char ccsid[16], encoding[32];
    DDGetFieldText(w->dd, RTF_CCSIDP, ccsid, sizeof ccsid);
    HWND enc = DDGetFieldWindow(w->dd, RTF_ENCP, 0);
    int sel = enc ? (int)SendMessageA(enc, CB_GETCURSEL, 0, 0) : -1;
    if (sel >= 0)
        SendMessageA(enc, CB_GETLBTEXT, (WPARAM)sel, (LPARAM)encoding);
    else
        DDGetFieldText(w->dd, RTF_ENCP, encoding, sizeof encoding);
    if (RtabReadCodepages(w->record, ccsid, encoding)) {
        SetDefaultEncoding(w->record);
        show_codepages(w, 0);
    }
}

static void on_close(RTABWORDS *w)
{
    QMS *r = w->record;
    close_client_dialog(r);
    r->settingsWindow = nullptr;
    DDHANDLE dd = w->dd;
    HWND hwnd = w->hwnd;
    if (w->addMode) {
        LocFreeRecordData(r);
        CSFreeMem(r);
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    CSFreeMem(w);
    DDDestroy(&dd);
    DestroyWindow(hwnd);
}

static void on_size(RTABWORDS *w, WPARAM how)
{
    if (!IsWindowVisible(w->hwnd) || how == SIZE_MINIMIZED || how == SIZE_MAXIMIZED)
        return;
    RECT rc;
    GetWindowRect(w->hwnd, &rc);
    int32_t *size = Prf.dialogs[w->addMode ? DLG_ADD : DLG_LOC];   /* "dlgadd", "dlgloc" */
    size[2] = rc.right - rc.left;
    size[3] = rc.bottom - rc.top;
}

/* UM_INITDLG: load, place at the cursor at the present size, show. */
static void on_start(RTABWORDS *w, QMS *source)
{
    SendMessageA(w->hwnd, UM_LOC_RELOAD, 0, (LPARAM)source);
    const int32_t *saved = Prf.dialogs[w->addMode ? DLG_ADD : DLG_LOC];
    SIZE size;
    DDWindowSize(w->dd, w->hwnd, 64, 30, saved[2], saved[3], &size);
    WinPositionAtCursor(w->hwnd, size.cx, size.cy, 0);
    ShowWindow(w->hwnd, SW_SHOW);
}

/* 11227: a note of the password cache for this location ("KDB password
 * forgotten") in the error line; the block is ours. */
static void on_note(RTABWORDS *w, ZORVAERROR *block)
{
    if (!block)
        return;
    DDSetFieldValue(w->dd, RTF_ERROR, block->text);
    CSFreeMem(block);
}

LRESULT CALLBACK RtabProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    RTABWORDS *w = words_of(hwnd);
    if (msg == WM_INITDIALOG) {
        on_init(hwnd, (DDHANDLE)wp, (QMS *)lp);
        return 0;
    }
    if (!w)
        return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case UM_INITDLG: on_start(w, (QMS *)lp); return 0;
    case UM_LOC_RELOAD: on_reload(w, (QMS *)lp); return 0;
    case UM_LOC_STATUS: on_status(w); return 0;
    case UM_LOC_CODEPAGES: show_codepages(w, 1); return 0;
    case UM_LOC_READCP: on_read_codepages(w); return 0;
    case FRM_OPERROR: on_note(w, (ZORVAERROR *)lp); return 0;
    case UM_CAPS_CHANGED:
        if (LocDlgSettings.diagnostics) {
            char level[16];
            snprintf(level, sizeof level, "%d", (int)w->record->commandLevel);
            DDSetFieldText(w->dd, RTF_CMDLVL, 10, level);
        }
        return 0;
    case UM_NEWFONT:
        if (winFonts.mainFont)
            DDSetFont(w->dd, winFonts.mainFont);
        return 0;
    case UM_COLOURSCHANGED:
        if (dlgColours.brush)
            SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, (LONG_PTR)*dlgColours.brush);
        HOOK(setDlgColours, w->dd);
        return 0;
    case WM_COMMAND: on_command(w, LOWORD(wp), HIWORD(wp)); return 0;
    case WM_SIZE: on_size(w, wp); break;
    case WM_CLOSE: on_close(w); return 0;
    case WM_DESTROY: HOOK(removeModeless, hwnd); break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND RtabOpen(HWND owner, QMS *location, QMS *source)
{
    if (location && location->settingsWindow) {
        SetForegroundWindow((HWND)location->settingsWindow);
        return (HWND)location->settingsWindow;
    }
    const char *title = location ? "Location Settings" : "Add Location";
    HWND hwnd = DDCreateDialog(nullptr, location ? DLG_REMOTEDLG : DLG_ADDDLG, 0, title,
                               location ? "DLG_REMOTEDLG" : "DLG_ADDDLG", owner, RtabProc,
                               (LPARAM)location);
    if (!hwnd)
        return nullptr;
    HOOK(addModeless, hwnd, 1, (uintptr_t)location, 0);
    PostMessageA(hwnd, UM_INITDLG, 0, (LPARAM)source);
    return hwnd;
}

int CheckNetworkNames(HWND owner, const char *text)
{
    char message[200];
    if (RtabCheckNetworkNames(text, message, sizeof message))
        return 1;
    UtilMessageBox(owner, message, "Invalid Network Name", MB_OK | MB_ICONEXCLAMATION);
    return 0;
}
