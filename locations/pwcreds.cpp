/* Credentials of a location on the user-interface thread: the cache
 * first, then the prompt; the requests that wait for the cache password;
 * saving, sharing and forgetting credentials; and the decisions of the
 * prompt, the log-on and creation dialog and the set-password dialog. */
#include "pwcreds.h"
#include "locstore.h"
#include "prfdata.h"
#include "cs.h"

#include <cstring>

static CSLIST pending;

static const char CreateFailedText[] =
    "The cache file '%s' could not be created. Ensure that the path exists with the "
    "appropriate authority and try again.";

static const PWCHOOKS &H(void)
{
    return *PWCHooks();
}

static void post_error(QMS *location, const char *text)
{
    if (H().postError)
        H().postError(H().context, location, text);
}

static void preferences_changed(void)
{
    if (H().preferencesChanged)
        H().preferencesChanged(H().context);
}

static int uses_cache(const QMS *r)
{
    return !(r->flags2 & LF2_USRNPWCF) && PWCInUse();
}

/* Replaces a text block (tag "PWD" or "USR"); an empty text leaves none.
 * 1 when the text changed. */
static int set_text(char **slot, const char *text, const char *tag)
{
    const char *old = *slot ? *slot : "";
    if (!text)
        text = "";
    if (!strcmp(old, text))
        return 0;
    if (*slot) {
        memset(*slot, 0, strlen(*slot));
        CSFreeMem(*slot);
        *slot = nullptr;
    }
    size_t n = strlen(text);
    if (n) {
        *slot = (char *)CSGetMem(n + 1, tag);
        if (*slot)
            memcpy(*slot, text, n + 1);
    }
    return 1;
}

/* ---- pending requests ------------------------------------------------ */

void PWCQueueRequest(QMS *location, uint32_t kind)
{
    PWCL r;
    memset(&r, 0, sizeof r);
    r.kind = kind;
    r.location = location;
    CSListAdd(&pending, "PWCL", 0, &r, sizeof r);
}

int PWCPendingCount(void)
{
    return pending.count;
}

void PWCForgetLocation(QMS *location)
{
    for (CSLISTELEM *e = pending.first, *next; e; e = next) {
        next = e->next;
        if (((PWCL *)e)->location == location)
            CSListRemove(e);
    }
}

/* One pass over the requests queued before it.  In fallback a get goes
 * to the prompt and a save or delete is dropped. */
static void run_pending(int fallback)
{
    CSLIST pass = pending;
    pending = CSLIST{};
    for (CSLISTELEM *e = pass.first; e; e = e->next)
        e->list = &pass;
    while (pass.first) {
        PWCL r = *(PWCL *)pass.first;
        CSListRemove(pass.first);
        int get = r.kind == PWCL_GET || r.kind == PWCL_GETKDB;
        if (fallback) {
            if (get)
                UserIdDialog(r.location, 1, r.kind == PWCL_GETKDB);
            continue;
        }
        switch (r.kind) {
        case PWCL_DELETE: PWCDeleteCredentials(r.location); break;
        case PWCL_SAVE: PWCSaveCredentials(r.location); break;
        default: PWCGetCredentials(r.location, 1, r.kind == PWCL_GETKDB); break;
        }
    }
}

void PWCRunPendingRequests(void)
{
    run_pending(!PWCIsOpen());
}

/* Queues a request for the cache password and opens the log-on dialog;
 * when the dialog cannot open, the requests fall back at once. */
static void wait_for_logon(QMS *location, uint32_t kind)
{
    PWCQueueRequest(location, kind);
    if (!PWCAccessDialog(0, 1))
        run_pending(1);
}

/* ---- the dialogs' openers ---------------------------------------------- */

int PWCAccessDecide(int offerCreation, int (*ask)(void *ctx, const char *question), void *ctx)
{
    char text[PWC_TEXT_MAX + 100];
    if (!PWCIsEnabled()) {
        post_error(nullptr, PWCLockOutText);
        return -1;
    }
    if (!PWCFileName()[0]) {
        post_error(nullptr, "Please specify a cache file to access");
        return -1;
    }
    PWCHND *h = nullptr;
    int rc = PWCOpen(PWCFileName(), nullptr, nullptr, nullptr, 0, 0, &h);
    PWCClose(&h);
    if (rc == PWC_NOFILE) {
        if (!offerCreation)
            return -1;
        snprintf(text, sizeof text,
                 "!The password cache file '%s' does not exist - do you want to create it?",
                 PWCFileName());
        return ask && ask(ctx, text) ? 1 : -1;
    }
    if (rc == PWC_FORMAT || rc == PWC_STORAGE) {
        post_error(nullptr, PWCErrorText(rc, PWCFileName(), text));
        return -1;
    }
    return 0;
}

static int ask_hook(void *, const char *question)
{
    return H().confirm ? H().confirm(H().context, question) : 0;
}

int PWCAccessDialog(int cancelAllowed, int offerCreation)
{
    if (PWCIsEnabled() && H().accessDialogOpen && H().accessDialogOpen(H().context))
        return 1;
    int mode = PWCAccessDecide(offerCreation, ask_hook, nullptr);
    if (mode < 0 || !H().accessDialog)
        return 0;
    return H().accessDialog(H().context, cancelAllowed, mode);
}

void UserIdDialog(QMS *location, int askUser, int askKdb)
{
    if (H().userIdDialog) {
        H().userIdDialog(H().context, location, askUser, askKdb);
        return;
    }
    CredPromptClosed(location);       /* no prompt can be shown */
}

/* ---- the exchange --------------------------------------------------------- */

static void release_worker(QMS *location)
{
    int held = 0;
    PWCLock(&held);
    location->credentialsPending = 0;
    PWCUnlock(&held);
}

void PWCGetCredentials(QMS *location, int needUser, int needKdb)
{
    int found = 0, askUser = needUser;
    if (needUser) {
        int held = 0;
        PWCLock(&held);
        if (uses_cache(location)) {
            PWCHND *h = nullptr;
            int rc = PWC_NOFILE;
            if (PWCIsOpen()) {
                rc = PWCOpen(PWCFileName(), PWCCurrentPassword(), nullptr, nullptr, 0, 1, &h);
                if (rc == PWC_WRONG)
                    PWCSetPassword("");
            }
            if (rc != PWC_OK) {
                PWCUnlock(&held);
                wait_for_logon(location, needKdb ? PWCL_GETKDB : PWCL_GET);
                return;
            }
            char *user = nullptr, *password = nullptr;
            if (PWCFindEntry(h, location->qmName, location->secondName,
                             location->securityGroup, &user, &password) == PWC_OK) {
                set_text(&location->userId, user, "USR");
                set_text(&location->password, password, "PWD");
                found = 1;
                askUser = 0;
                if (!needKdb)
                    location->credentialsPending = 0;
            }
            if (password) {
                memset(password, 0, strlen(password));
                CSFreeMem(password);
            }
            CSFreeMemAndClear(&user);
            PWCClose(&h);
        }
        PWCUnlock(&held);
    }
    if (found && !needKdb)
        return;
    if (askUser || needKdb)
        UserIdDialog(location, askUser, needKdb);
    else
        release_worker(location);     /* nothing to ask: the worker goes on */
}

void PWCSaveCredentials(QMS *location)
{
    if (!uses_cache(location) || !location->userId || !location->password) {
        ShareGroupCredentials(location);
        return;
    }
    PWCHND *h = nullptr;
    int rc = PWC_NOFILE;
    if (PWCIsOpen()) {
        rc = PWCOpen(PWCFileName(), PWCCurrentPassword(), nullptr, nullptr, 1, 1, &h);
        if (rc == PWC_OK) {
            int written = PWCWriteEntry(h, location->qmName, location->secondName,
                                        location->securityGroup, location->userId,
                                        location->password);
            ShareGroupCredentials(location);
            PWCClose(&h);
            if (written != PWC_OK) {
                char text[PWC_TEXT_MAX];
                post_error(location, PWCErrorText(written, PWCFileName(), text));
            }
            return;
        }
        if (rc == PWC_WRONG)
            PWCSetPassword("");
    }
    wait_for_logon(location, PWCL_SAVE);
}

static void forget_password(QMS *location)
{
    int held = 0;
    PWCLock(&held);
    set_text(&location->password, nullptr, "PWD");
    PWCUnlock(&held);
    ShareGroupCredentials(location);
}

void PWCDeleteCredentials(QMS *location)
{
    if (!uses_cache(location)) {
        forget_password(location);
        return;
    }
    PWCHND *h = nullptr;
    if (PWCIsOpen()) {
        int rc = PWCOpen(PWCFileName(), PWCCurrentPassword(), nullptr, nullptr, 1, 1, &h);
        if (rc == PWC_OK) {
            int removed = PWCDeleteEntry(h, location->qmName, location->secondName,
                                         location->securityGroup);
            PWCClose(&h);
            forget_password(location);
            if (removed == PWC_CREATE) {
                char text[PWC_TEXT_MAX];
                post_error(location, PWCErrorText(removed, PWCFileName(), text));
            }
            return;
        }
        if (rc == PWC_WRONG)
            PWCSetPassword("");
    }
    wait_for_logon(location, PWCL_DELETE);
}

void ShareGroupCredentials(QMS *location)
{
    if (!location->securityGroup || !location->securityGroup[0])
        return;
    int held = 0;
    PWCLock(&held);
    LocLockStore();
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next) {
        QMS *o = (QMS *)e;
        if (o == location || !StrEqualNull(o->securityGroup, location->securityGroup))
            continue;
        set_text(&o->userId, location->userId, "USR");
        set_text(&o->password, location->password, "PWD");
    }
    LocUnlockStore();
    PWCUnlock(&held);
}

/* ---- the worker's wait ---------------------------------------------------- */

uint32_t CredWaitStep(int64_t slept)
{
    static const struct { int64_t upTo; uint32_t step; } steps[] = {
        { 20000, 200 }, { 40000, 1000 }, { 60000, 2000 }, { 120000, 4000 }, { 300000, 10000 },
    };
    for (const auto &s : steps)
        if (slept <= s.upTo)
            return s.step;
    return 20000;
}

int CredMissing(const QMS *r, int *needUser, int *needKdb)
{
    *needUser = (r->flags & LF_USRP) &&
                (!r->userId || !r->userId[0] || !r->password || !r->password[0]);
    const KDBS *kdb = (const KDBS *)r->kdbEntry;
    *needKdb = kdb && !kdb->password[0];
    return *needUser || *needKdb;
}

/* ---- the prompt ------------------------------------------------------------ */

int CredPromptLines(int askUser, int askKdb)
{
    return askUser && askKdb ? 18 : askUser ? 14 : 11;
}

const char *CredPromptNote(const QMS *r)
{
    int user = (r->flags2 & LF2_UCUSER) != 0, pw = (r->flags2 & LF2_UCPW) != 0;
    if (user)
        return pw ? "Note: Both UserId and Password are uppercased" : "Note: UserId is uppercased";
    return pw ? "Note: Password is uppercased" : nullptr;
}

void CredPromptAccepted(QMS *r, int askUser, int askKdb, const char *userId,
                        const char *password, const char *kdbPassword)
{
    int held = 0;
    if (askUser) {
        char user[200];
        UTStrCopy(user, userId ? userId : "", sizeof user);
        PWCLock(&held);
        int changed = set_text(&r->userId, user, "USR");
        changed |= set_text(&r->password, password, "PWD");
        PWCUnlock(&held);
        ShareGroupCredentials(r);
        if (changed && uses_cache(r)) {
            if (r->flags2 & LF2_USRSUC) {
                LocLockStore();        /* the connecting worker writes the word too */
                r->state |= LST_SAVECREDS;
                LocUnlockStore();
            } else {
                PWCSaveCredentials(r);
            }
        }
    }
    if (askKdb && r->kdbEntry) {
        PWCLock(&held);
        KDBS *kdb = (KDBS *)r->kdbEntry;
        UTStrCopy(kdb->password, kdbPassword ? kdbPassword : "", sizeof kdb->password);
        PWCUnlock(&held);
    }
}

void CredPromptClosed(QMS *r)
{
    int held = 0;
    PWCLock(&held);
    r->credentialsPending = 0;
    r->credDialog = nullptr;
    PWCUnlock(&held);
}

/* ---- the log-on, creation and set-password dialogs ---------------------- */

static void failure_text(int rc, char *status)
{
    if (rc == PWC_WRONG)
        snprintf(status, PWC_TEXT_MAX, "Incorrect password. %d attempts remaining",
                 PWCAttemptsLeft());
    else
        PWCErrorText(rc, PWCFileName(), status);
}

static void report_create_failure(void)
{
    char text[PWC_TEXT_MAX + 200];
    snprintf(text, sizeof text, CreateFailedText, PWCFileName());
    post_error(nullptr, text);
}

int PWCAccessOk(int creation, const char *password, const char *confirm, const char *hint,
                char *status, int *clear, int *sound)
{
    *clear = *sound = 0;
    status[0] = 0;
    if (creation && strcmp(password, confirm) != 0) {
        snprintf(status, PWC_TEXT_MAX, "Password fields do not match");
        *sound = 1;
        *clear = 2;
        return 1;
    }
    char shortHint[200];
    UTStrCopy(shortHint, hint ? hint : "", sizeof shortHint);
    int wasEnabled = PWCIsEnabled();
    int rc = PWCLogon(password, creation ? shortHint : nullptr);
    if (rc == PWC_OK || (wasEnabled && !PWCIsEnabled())) {
        preferences_changed();
        return 0;
    }
    failure_text(rc, status);
    *sound = 1;
    if (rc == PWC_WRONG)
        *clear = 1;
    if (creation && rc == PWC_CREATE)
        report_create_failure();
    return 1;
}

int PWCSetDecide(void)
{
    if (!PWCIsEnabled()) {
        post_error(nullptr, PWCLockOutText);
        return -1;
    }
    if (!PWCFileName()[0]) {
        post_error(nullptr, "Please specify a cache file to set the password");
        return -1;
    }
    PWCHND *h = nullptr;
    int rc = PWCOpen(PWCFileName(), nullptr, nullptr, nullptr, 0, 0, &h);
    PWCClose(&h);
    if (rc == PWC_NOFILE)
        return 1;
    if (rc == PWC_FORMAT || rc == PWC_STORAGE) {
        char text[PWC_TEXT_MAX];
        post_error(nullptr, PWCErrorText(rc, PWCFileName(), text));
        return -1;
    }
    return 0;
}

int PWCSetOk(const char *oldPassword, const char *newPassword, const char *confirm,
             const char *hint, char *status, int *clear, int *sound)
{
    *clear = *sound = 0;
    status[0] = 0;
    if (strcmp(newPassword, confirm) != 0) {
        snprintf(status, PWC_TEXT_MAX, "Password fields do not match");
        *sound = 1;
        *clear = 2;
        return 1;
    }
    int rc = PWCChangePassword(PWCFileName(), oldPassword, newPassword, hint);
    if (rc == PWC_OK) {
        PWCResetAttempts();
        PWCSetPassword(newPassword);
        preferences_changed();
        return 0;
    }
    if (rc == PWC_WRONG && PWCCountFailure()) {
        preferences_changed();
        return 0;
    }
    failure_text(rc, status);
    if (rc == PWC_WRONG)
        *clear = 1;
    if (rc == PWC_CREATE)
        report_create_failure();
    *sound = 1;
    return 1;
}
