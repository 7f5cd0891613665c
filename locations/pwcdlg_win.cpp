/* The credential dialogs: the prompt for a location's user id, password
 * and key-database password (USERIDDLG), the password cache log-on and
 * creation dialog (CACHEACCESSDLG) and the set-password dialog
 * (CACHESETDLG).  What they decide is pwcreds.cpp's; here they are shown,
 * read and closed. */
#include "pwcwin.h"
#include "dlgcolours.h"
#include "confirm.h"
#include "modeless.h"
#include "prfdata.h"
#include "dd.h"
#include "tkplace.h"
#include "tkutil.h"
#include "tkwin.h"
#include "cs.h"

#include <cstdio>
#include <cstring>

static HWND mainWindow;
static HWND accessWindow, setWindow;
static int accessOpening;

/* A cache dialog's record (tag "PWCWORDS"). */
struct PWCWORDS {
    DDHANDLE dd;
    uint32_t mode;                     /* 1 creation (the set-password dialog too) */
    uint32_t cancel;                   /* Cancel allowed */
    uint32_t set;                      /* the set-password dialog, not log-on or creation */
};

/* The prompt's creation parameters and record. */
struct PWDDLGPARMS {
    QMS *location;
    uint32_t askUser, askKdb;
};

struct USRWORDS {
    DDHANDLE dd;
    QMS *location;
    uint32_t askUser, askKdb;
};

#define ROW(type, id, text, value, style) {(uint32_t)(type), id, text, value, nullptr, style, 0, 0, 0, 0, 0}
#define END {0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0}
#define RO (ES_READONLY | ES_AUTOHSCROLL)
#define PW (ES_PASSWORD | ES_AUTOHSCROLL)
#define LABEL(text) ROW(DD_STATIC | DDF_NEWROW | DDF_CLASS1, 0, text, 0, 0)
#define BUTTONS \
    ROW(DD_BUTTON | DDF_NEWROW | DDF_CLASS2, 1, "OK", 1, BS_DEFPUSHBUTTON), \
    ROW(DD_BUTTON | DDF_CLASS2, 2, "Cancel", 1, 0)

DDFieldDef CACHEACCESSDLG[] = {
    ROW(DD_GROUPBOX, 0, nullptr, 0, 0),
    LABEL("Password Hint  "), ROW(DD_EDIT, PWC_HINT, "", 36, RO),
    LABEL("Password  "), ROW(DD_EDIT, PWC_PASSWORD, "", 36, PW),
    ROW(DD_EDIT | DDF_NEWROW, PWC_STATUS, "", 50, RO),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    BUTTONS, END,
};

DDFieldDef CACHECREATEDLG[] = {
    ROW(DD_GROUPBOX, 0, nullptr, 0, 0),
    LABEL("Password Hint  "), ROW(DD_EDIT, PWC_HINT, "", 36, ES_AUTOHSCROLL),
    LABEL("Password  "), ROW(DD_EDIT, PWC_PASSWORD, "", 36, PW),
    LABEL("Confirm Password  "), ROW(DD_EDIT, PWC_CONFIRM, "", 36, PW),
    ROW(DD_EDIT | DDF_NEWROW, PWC_STATUS, "", 50, RO),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    BUTTONS, END,
};

DDFieldDef CACHESETDLG[] = {
    ROW(DD_GROUPBOX, 0, nullptr, 0, 0),
    LABEL("Password Hint  "), ROW(DD_EDIT, PWC_OLDHINT, "", 40, RO),
    LABEL("Old Password  "), ROW(DD_EDIT, PWC_OLDPASSWORD, "", 40, PW),
    LABEL("New Password  "), ROW(DD_EDIT, PWC_PASSWORD, "", 40, PW),
    LABEL("Confirm Password  "), ROW(DD_EDIT, PWC_CONFIRM, "", 40, PW),
    LABEL("New Password Hint  "), ROW(DD_EDIT, PWC_HINT, "", 40, ES_AUTOHSCROLL),
    ROW(DD_EDIT | DDF_NEWROW, PWC_STATUS, "", 60, RO),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    BUTTONS, END,
};

DDFieldDef USERIDDLG[] = {
    ROW(DD_GROUPBOX, USR_USERGROUP, nullptr, 0, 0),
    {DD_STATIC, USR_TEXT, "Please enter your connection details:", 0, nullptr, 0, 60, 0, 0, 0, 0},
    LABEL("Userid  "), ROW(DD_EDIT, USR_USERID, "", 40, ES_AUTOHSCROLL),
    LABEL("Password  "), ROW(DD_EDIT, USR_PASSWORD, "", 40, PW),
    {DD_STATIC | DDF_NEWROW, USR_WARNING, "Warning Text", 0, nullptr, 0, 50, 0, 0, 0, 0},
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    ROW(DD_GROUPBOX | DDF_NEWROW, USR_KDBGROUP, nullptr, 0, 0),
    ROW(DD_STATIC, 0, "Please enter the password for Key Database File :", 0, 0),
    ROW(DD_EDIT | DDF_NEWROW, USR_KDBFILE, "", 50, RO),
    ROW(DD_EDIT | DDF_NEWROW, USR_KDBPASSWORD, "", 50, PW),
    ROW(DD_GROUPE, 0, nullptr, 0, 0),
    BUTTONS, END,
};
#undef ROW

/* ---- shared helpers ---------------------------------------------------------- */

static void *record_of(HWND hwnd)
{
    return (void *)GetWindowLongPtrA(hwnd, 0);
}

static int field_has_text(DDHANDLE dd, int id)
{
    return DDGetFieldTextLength(dd, id) > 0;
}

/* a field, or a group box with all it holds */
static void show(DDHANDLE dd, int id, int on)
{
    DDShowFields(dd, &id, 1, on, 0);
}

static void focus(DDHANDLE dd, int id)
{
    HWND f = DDGetFieldWindow(dd, id, 0);
    if (f)
        SetFocus(f);
}

/* font and colours of the program (11236, 11247) */
static int font_and_colours(HWND hwnd, DDHANDLE dd, UINT msg)
{
    if (!dd)
        return 0;
    if (msg == UM_NEWFONT) {
        if (winFonts.mainFont)
            DDSetFont(dd, winFonts.mainFont);
        return 1;
    }
    if (msg == UM_COLOURSCHANGED) {
        ColourDialogChanged(hwnd, dd);
        return 1;
    }
    return 0;
}

/* places a dialog at the cursor, a number of characters wide and lines
 * high, top-most, and shows it */
static void place(HWND hwnd, int columns, int lines)
{
    WinPositionAtCursorChars(hwnd, columns, lines);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(hwnd, SW_SHOW);
}

static void warning_sound(void)
{
    WinPlaySound(Prf.wsnd, 0, 0);
}

static void load_failed(void)
{
    WinOpError("WinLoadDlg failed");
}

/* the status line, the fields to empty and the sound of a refused OK */
static void refused(DDHANDLE dd, const char *status, int clear, int sound, int firstField)
{
    if (clear & 1)
        DDSetFieldText(dd, firstField, 0, "");
    if (clear & 2) {
        DDSetFieldText(dd, PWC_PASSWORD, 0, "");
        DDSetFieldText(dd, PWC_CONFIRM, 0, "");
    }
    /* after the fields: emptying them clears the status line */
    DDSetFieldText(dd, PWC_STATUS, 0, status);
    if (sound)
        warning_sound();
}

/* OK holds while the password fields it needs hold text */
static void update_ok(PWCWORDS *w, int setDialog)
{
    int ok = field_has_text(w->dd, PWC_PASSWORD);
    if (w->mode || setDialog)
        ok = ok && field_has_text(w->dd, PWC_CONFIRM);
    DDEnableField(w->dd, 1, ok, 0);
    DDSetFieldText(w->dd, PWC_STATUS, 0, "");
}

/* ---- CACHEACCESSDLG ---------------------------------------------------------------- */

static void access_init(HWND hwnd, PWCWORDS *w)
{
    char *hint = nullptr;
    int rc = PWCGetHint(PWCFileName(), &hint);
    if (rc == PWC_OK && !w->mode)
        DDSetFieldText(w->dd, PWC_HINT, 0, hint);
    if (rc != PWC_OK && rc != PWC_NOFILE) {
        char text[PWC_TEXT_MAX];
        DDSetFieldText(w->dd, PWC_STATUS, 0, PWCErrorText(rc, PWCFileName(), text));
    }
    CSFreeMemAndClear(&hint);
    if (!w->cancel) {
        show(w->dd, 2, 0);
        SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) & ~WS_SYSMENU);
    }
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    update_ok(w, 0);
    focus(w->dd, w->mode ? PWC_HINT : PWC_PASSWORD);
}

static void access_ok(HWND hwnd, PWCWORDS *w)
{
    char password[PWC_PASSWORD_MAX + 1], confirm[PWC_PASSWORD_MAX + 1], hint[200];
    char status[PWC_TEXT_MAX];
    DDGetFieldText(w->dd, PWC_PASSWORD, password, sizeof password);
    DDGetFieldText(w->dd, PWC_CONFIRM, confirm, sizeof confirm);
    DDGetFieldText(w->dd, PWC_HINT, hint, sizeof hint);
    int clear, sound;
    if (PWCAccessOk(w->mode, password, confirm, hint, status, &clear, &sound) == 0)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    else
        refused(w->dd, status, clear, sound, PWC_PASSWORD);
    SecureZeroMemory(password, sizeof password);
    SecureZeroMemory(confirm, sizeof confirm);
}

static LRESULT CALLBACK PasswordProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

static int open_access(void *, int cancelAllowed, int creation)
{
    PWCWORDS *w = (PWCWORDS *)CSGetMem(sizeof(PWCWORDS), "PWCWORDS");
    if (!w)
        return 0;
    memset(w, 0, sizeof *w);
    w->mode = (uint32_t)creation;
    w->cancel = (uint32_t)cancelAllowed;
    accessOpening = 1;
    HWND hwnd = DDCreateDialog(nullptr, creation ? CACHECREATEDLG : CACHEACCESSDLG, 0,
                               creation ? "Password Cache Creation" : "Password Cache Logon",
                               creation ? "CACHECREATEDLG" : "CACHEACCESSDLG", mainWindow,
                               PasswordProc, (LPARAM)w);
    accessOpening = 0;
    if (!hwnd) {
        CSFreeMem(w);
        load_failed();
        return 0;
    }
    accessWindow = hwnd;
    AddModeless(hwnd, 1, nullptr, nullptr);
    place(hwnd, 60, creation ? 13 : 11);
    return 1;
}

static int access_open(void *)
{
    if (accessOpening)
        return 1;
    if (!accessWindow)
        return 0;
    SetForegroundWindow(accessWindow);
    return 1;
}

HWND PWCAccessWindow(void)
{
    return accessWindow;
}

/* ---- CACHESETDLG -------------------------------------------------------------------- */

static void set_init(HWND hwnd, PWCWORDS *w)
{
    char *hint = nullptr;
    int rc = PWCGetHint(PWCFileName(), &hint);
    if (rc == PWC_OK) {
        DDSetFieldText(w->dd, PWC_OLDHINT, 0, hint);
    } else {
        char text[PWC_TEXT_MAX];
        DDSetFieldText(w->dd, PWC_STATUS, 0, PWCErrorText(rc, PWCFileName(), text));
        warning_sound();
    }
    CSFreeMemAndClear(&hint);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    DDEnableField(w->dd, 1, 0, 0);
    focus(w->dd, PWC_OLDPASSWORD);
}

static void set_ok(HWND hwnd, PWCWORDS *w)
{
    char old[PWC_PASSWORD_MAX + 1], fresh[PWC_PASSWORD_MAX + 1], confirm[PWC_PASSWORD_MAX + 1];
    char hint[200], status[PWC_TEXT_MAX];
    DDGetFieldText(w->dd, PWC_OLDPASSWORD, old, sizeof old);
    DDGetFieldText(w->dd, PWC_PASSWORD, fresh, sizeof fresh);
    DDGetFieldText(w->dd, PWC_CONFIRM, confirm, sizeof confirm);
    DDGetFieldText(w->dd, PWC_HINT, hint, sizeof hint);
    int clear, sound;
    if (PWCSetOk(old, fresh, confirm, hint, status, &clear, &sound) == 0)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    else
        refused(w->dd, status, clear, sound, PWC_OLDPASSWORD);
    SecureZeroMemory(old, sizeof old);
    SecureZeroMemory(fresh, sizeof fresh);
    SecureZeroMemory(confirm, sizeof confirm);
}

/* The window procedure of the log-on, creation and set-password dialogs. */
static LRESULT CALLBACK PasswordProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    PWCWORDS *w = (PWCWORDS *)record_of(hwnd);
    switch (msg) {
    case WM_CREATE:
        SetWindowLongPtrA(hwnd, 0, (LONG_PTR)((CREATESTRUCTA *)lp)->lpCreateParams);
        return 0;
    case WM_INITDIALOG:
        if (w) {
            w->dd = (DDHANDLE)wp;
            if (w->set)
                set_init(hwnd, w);
            else
                access_init(hwnd, w);
        }
        return 0;
    case WM_COMMAND:
        if (!w)
            break;
        if ((LOWORD(wp) == PWC_PASSWORD || LOWORD(wp) == PWC_CONFIRM) && HIWORD(wp) == EN_CHANGE)
            update_ok(w, (int)w->set);
        else if (LOWORD(wp) == 1 && w->set)
            set_ok(hwnd, w);
        else if (LOWORD(wp) == 1)
            access_ok(hwnd, w);
        else if (LOWORD(wp) == 2 && w->cancel)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE: {
        int set = w ? (int)w->set : setWindow == hwnd;
        if (w) {
            DDDestroy(&w->dd);
            SetWindowLongPtrA(hwnd, 0, 0);
            CSFreeMem(w);
        }
        if (!set) {
            accessWindow = nullptr;
            PWCRunPendingRequests();
        }
        DestroyWindow(hwnd);
        return 0;
    }
    case WM_DESTROY:
        if (setWindow == hwnd)
            setWindow = nullptr;
        UtilRemoveModeless(hwnd);
        break;
    default:
        if (w && font_and_colours(hwnd, w->dd, msg))
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void PWCSetPasswordDialog(HWND owner)
{
    if (setWindow) {
        SetForegroundWindow(setWindow);
        return;
    }
    int decision = PWCSetDecide();
    if (decision == 1) {
        PWCAccessDialog(1, 1);
        return;
    }
    if (decision < 0)
        return;
    PWCWORDS *w = (PWCWORDS *)CSGetMem(sizeof(PWCWORDS), "PWCWORDS");
    if (!w)
        return;
    memset(w, 0, sizeof *w);
    w->mode = 1;
    w->cancel = 1;
    w->set = 1;
    HWND hwnd = DDCreateDialog(nullptr, CACHESETDLG, 0, "Password Cache File Set Password",
                               "CACHESETDLG", owner, PasswordProc, (LPARAM)w);
    if (!hwnd) {
        CSFreeMem(w);
        load_failed();
        return;
    }
    setWindow = hwnd;
    AddModeless(hwnd, 1, nullptr, nullptr);
    place(hwnd, 80, 18);
}

HWND PWCSetWindow(void)
{
    return setWindow;
}

/* ---- USERIDDLG ----------------------------------------------------------------------- */

static void user_init(HWND hwnd, USRWORDS *w)
{
    QMS *r = w->location;
    char text[300];
    snprintf(text, sizeof text, "Credentials for connecting to '%s'", r->qmName);
    SetWindowTextA(hwnd, text);
    if (w->askUser) {
        const char *note = CredPromptNote(r);
        if (note)
            DDSetFieldText(w->dd, USR_WARNING, 0, note);
        else
            show(w->dd, USR_WARNING, 0);
        HWND user = DDGetFieldWindow(w->dd, USR_USERID, 0);
        if (user && (r->flags2 & LF2_UCUSER))
            SetWindowLongA(user, GWL_STYLE, GetWindowLongA(user, GWL_STYLE) | ES_UPPERCASE);
        HWND pwd = DDGetFieldWindow(w->dd, USR_PASSWORD, 0);
        if (pwd && (r->flags2 & LF2_UCPW))
            SetWindowLongA(pwd, GWL_STYLE, GetWindowLongA(pwd, GWL_STYLE) | ES_UPPERCASE);
        DDSetFieldText(w->dd, USR_USERID, 199, r->userId ? r->userId : "");
        const char *desc = r->securityGroupDesc;
        if (desc && desc[0])
            snprintf(text, sizeof text, "Please enter your credentials for '%s' : ", desc);
        else
            snprintf(text, sizeof text, "Please enter your credentials : ");
        DDSetFieldText(w->dd, USR_TEXT, 0, text);
        DDSetFieldText(w->dd, USR_PASSWORD, 199, "");
    } else {
        show(w->dd, USR_USERGROUP, 0);
    }
    if (w->askKdb) {
        const KDBS *kdb = (const KDBS *)r->kdbEntry;
        DDSetFieldText(w->dd, USR_KDBFILE, 0, kdb ? kdb->file : "");
        DDSetFieldText(w->dd, USR_KDBPASSWORD, 49, "");
    } else {
        show(w->dd, USR_KDBGROUP, 0);
    }
    DDEnableField(w->dd, 1, 0, 0);
    SendMessageA(hwnd, UM_NEWFONT, 0, 0);
    SendMessageA(hwnd, UM_COLOURSCHANGED, 0, 0);
    focus(w->dd, w->askUser ? USR_PASSWORD : USR_KDBPASSWORD);
}

static void user_changed(USRWORDS *w)
{
    int ok = (!w->askUser || field_has_text(w->dd, USR_PASSWORD)) &&
             (!w->askKdb || field_has_text(w->dd, USR_KDBPASSWORD));
    DDEnableField(w->dd, 1, ok, 0);
}

static void user_ok(HWND hwnd, USRWORDS *w)
{
    char user[200], password[200], kdb[50];
    DDGetFieldText(w->dd, USR_USERID, user, sizeof user);
    DDGetFieldText(w->dd, USR_PASSWORD, password, sizeof password);
    DDGetFieldText(w->dd, USR_KDBPASSWORD, kdb, sizeof kdb);
    if (w->location->flags2 & LF2_UCUSER)
        CharUpperA(user);
    if (w->location->flags2 & LF2_UCPW)
        CharUpperA(password);
    CredPromptAccepted(w->location, w->askUser, w->askKdb, user, password, kdb);
    SecureZeroMemory(password, sizeof password);
    SecureZeroMemory(kdb, sizeof kdb);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

static LRESULT CALLBACK UserIdProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    USRWORDS *w = (USRWORDS *)record_of(hwnd);
    switch (msg) {
    case WM_CREATE:
        SetWindowLongPtrA(hwnd, 0, (LONG_PTR)((CREATESTRUCTA *)lp)->lpCreateParams);
        return 0;
    case WM_INITDIALOG:
        if (w) {
            w->dd = (DDHANDLE)wp;
            user_init(hwnd, w);
        }
        return 0;
    case WM_COMMAND:
        if (!w)
            break;
        if ((LOWORD(wp) == USR_PASSWORD || LOWORD(wp) == USR_KDBPASSWORD) &&
            HIWORD(wp) == EN_CHANGE)
            user_changed(w);
        else if (LOWORD(wp) == 1)
            user_ok(hwnd, w);
        else if (LOWORD(wp) == 2)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        if (w) {
            CredPromptClosed(w->location);
            DDDestroy(&w->dd);
            SetWindowLongPtrA(hwnd, 0, 0);
            CSFreeMem(w);
        }
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        UtilRemoveModeless(hwnd);
        break;
    default:
        if (w && font_and_colours(hwnd, w->dd, msg))
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static void open_prompt(void *, QMS *location, int askUser, int askKdb)
{
    if (location->credDialog && IsWindow((HWND)location->credDialog)) {
        SetForegroundWindow((HWND)location->credDialog);
        return;
    }
    USRWORDS *w = (USRWORDS *)CSGetMem(sizeof(USRWORDS), "USRWORDS");
    if (!w) {
        CredPromptClosed(location);
        return;
    }
    memset(w, 0, sizeof *w);
    w->location = location;
    w->askUser = (uint32_t)askUser;
    w->askKdb = (uint32_t)askKdb;
    HWND hwnd = DDCreateDialog(nullptr, USERIDDLG, 0, "Userid/Password Dialog", "USERIDDLG",
                               nullptr, UserIdProc, (LPARAM)w);
    if (!hwnd) {
        CSFreeMem(w);
        CredPromptClosed(location);  /* the worker goes on without */
        load_failed();
        return;
    }
    location->credDialog = hwnd;
    AddModeless(hwnd, 1, location, nullptr);
    place(hwnd, 80, CredPromptLines(askUser, askKdb));
}

/* ---- the hooks ------------------------------------------------------------------------ */

static void post_error(void *, QMS *location, const char *text)
{
    UtilPostError(location, 1, text);
}

static void settings_text(void *, QMS *location, const char *text)
{
    HWND w = (HWND)location->settingsWindow;
    size_t n = strlen(text);
    ZORVAERROR *block = (ZORVAERROR *)CSGetMem(sizeof(ZORVAERROR) + n, "ZORVAERROR");
    if (!w || !block) {
        if (block)
            CSFreeMem(block);
        return;
    }
    memset(block, 0, sizeof *block);
    block->location = (uint64_t)(uintptr_t)location;
    block->flags = 1;
    memcpy(block->text, text, n + 1);
    if (!PostMessageA(w, FRM_OPERROR, 0, (LPARAM)block))
        CSFreeMem(block);
}

static int confirm(void *, const char *question)
{
    return WinConfirm(mainWindow, 0, question, nullptr, nullptr, 0);
}

void PWCInitWindows(HWND main)
{
    mainWindow = main;
    PWCHOOKS h = {};
    h.postError = post_error;
    h.settingsText = settings_text;
    h.accessDialog = open_access;
    h.accessDialogOpen = access_open;
    h.confirm = confirm;
    h.userIdDialog = open_prompt;
    PWCSetHooks(&h);
}
