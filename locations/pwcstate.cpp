/* Password cache, program-wide state: the cache file name, the current
 * cache password, the log-on with its limit of attempts, the cache lock
 * and the remembered key-database passwords. */
#include "pwcache.h"
#include "cfghost.h"
#include "locstore.h"
#include "prfdata.h"
#include "cs.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

const char PWCLockOutText[] =
    "Due to too many incorrect password attempts, access to the password cache has been "
    "disabled. You must restart the application to have further attempts.";

static PWCHOOKS hooks;
static char fileName[PWC_PATH_MAX + 1];
static char current[PWC_PASSWORD_MAX + 1];
static int attempts = PWC_ATTEMPTS;
static int allowed = 1;
static CSLIST kdbList;
static CSMUTEX cacheLock;
static std::once_flag cacheLockOnce;

void PWCSetHooks(const PWCHOOKS *h)
{
    if (h)
        hooks = *h;
    else
        memset(&hooks, 0, sizeof hooks);
}

const PWCHOOKS *PWCHooks(void)
{
    return &hooks;
}

/* ---- the lock -------------------------------------------------------- */

void PWCLock(int *held)
{
    if (*held)
        return;
    std::call_once(cacheLockOnce, [] { CSCreateLock(&cacheLock); });
    CSLockRecursive(&cacheLock, CS_WAIT_FOREVER);
    *held = 1;
}

void PWCUnlock(int *held)
{
    if (!*held)
        return;
    *held = 0;
    CSUnlockRecursive(&cacheLock);
}

/* ---- state ------------------------------------------------------------ */

static void clear_password(void)
{
    memset(current, 0, sizeof current);
}

void PWCSetPassword(const char *text)
{
    int held = 0;
    PWCLock(&held);
    UTStrCopy(current, text ? text : "", sizeof current);
    PWCUnlock(&held);
}

int PWCIsOpen(void) { return current[0] != 0; }
int PWCIsEnabled(void) { return allowed; }
const char *PWCFileName(void) { return fileName; }
const char *PWCCurrentPassword(void) { return current; }
int PWCAttemptsLeft(void) { return attempts; }
void PWCResetAttempts(void) { attempts = PWC_ATTEMPTS; }

int PWCInUse(void)
{
    return (Prf.po[3] & PO4_USE_CACHE_FILE) && fileName[0] && allowed;
}

int PWCCountFailure(void)
{
    attempts--;
    if (attempts >= 1 || !allowed)
        return 0;
    allowed = 0;
    if (hooks.postError)
        hooks.postError(hooks.context, nullptr, PWCLockOutText);
    return 1;
}

static void free_kdb(CSLISTELEM *e, void *)
{
    memset(((KDBS *)e)->password, 0, sizeof ((KDBS *)e)->password);
}

void PWCResetState(void)
{
    int held = 0;
    PWCLock(&held);
    clear_password();
    attempts = PWC_ATTEMPTS;
    allowed = 1;
    if (kdbList.first)
        CSListFree(&kdbList, free_kdb, nullptr);
    memset(&kdbList, 0, sizeof kdbList);
    PWCUnlock(&held);
}

int PWCLogon(const char *password, const char *hint)
{
    clear_password();
    PWCHND *h = nullptr;
    int rc = PWCOpen(fileName, password, nullptr, hint, hint != nullptr, 0, &h);
    PWCClose(&h);
    if (rc == PWC_OK) {
        PWCSetPassword(password);
        attempts = PWC_ATTEMPTS;
    } else if (rc == PWC_WRONG) {
        PWCCountFailure();
    }
    return rc;
}

/* ---- the file name ---------------------------------------------------- */

/* Replaces each "%NAME%" (or "%NAME" up to a backslash or the end) by the
 * environment variable's value: 0 when the result does not fit. */
static int expand(const char *templ, char *out, size_t size)
{
    size_t at = 0;
    int fits = 1;
    auto put = [&](const char *s, size_t n) {
        for (size_t i = 0; i < n; i++) {
            if (at + 1 >= size) {
                fits = 0;
                return;
            }
            out[at++] = s[i];
        }
    };
    for (const char *p = templ; *p;) {
        if (*p != '%') {
            put(p++, 1);
            continue;
        }
        const char *start = ++p;
        while (*p && *p != '%' && *p != '\\')
            p++;
        size_t n = (size_t)(p - start);
        if (*p == '%')
            p++;
        if (n == 0 || n >= 300)
            continue;
        char name[300];
        memcpy(name, start, n);
        name[n] = 0;
        const char *value = getenv(name);
        if (value)
            put(value, strlen(value));
    }
    out[at] = 0;
    return fits;
}

int PWCResolveFileName(const char *templ, char *out)
{
    char text[PWC_PATH_MAX + 1], dir[PWC_PATH_MAX + 1], name[PWC_PATH_MAX + 1];
    char cfgDir[sizeof ConfigFile], cfgName[sizeof ConfigFile];
    int relative, drive, cfgRelative, cfgDrive;
    out[0] = 0;
    if (!expand(templ ? templ : "", text, sizeof text))
        return 0;
    CSParseFileSpec(ConfigFile, 1, cfgDir, cfgName, &cfgRelative, &cfgDrive);
    const char *spec = text;
    while (*spec == ' ')
        spec++;
    /* an existing directory is one whatever its name holds */
    if (*spec && LocHostIsDirectory(spec)) {
        UTStrCopy(dir, spec, sizeof dir);
        size_t n = strlen(dir);
        if (n > 1 && CSIsPathSep(dir[n - 1]))
            dir[n - 1] = 0;
        name[0] = 0;
        relative = !CSIsAbsolutePath(dir);
        drive = dir[0] && dir[1] == ':';
    } else {
        CSParseFileSpec(text, 0, dir, name, &relative, &drive);
    }
    char full[2 * PWC_PATH_MAX + 4];
    if (relative) {
        if (dir[0])
            CSAppendPath(full, cfgDir, dir);
        else
            UTStrCopy(full, cfgDir, sizeof full);
    } else if (drive || CSRunningOnWine || !(cfgDir[0] && cfgDir[1] == ':')) {
        UTStrCopy(full, dir, sizeof full);
    } else {
        snprintf(full, sizeof full, "%.2s%s", cfgDir, dir);
    }
    const char *file = name[0] ? name : "RAVOLT.PWC";
    if (full[0])
        CSAppendPath(full, full, file);
    else
        UTStrCopy(full, file, sizeof full);
    /* a path cut short would name another file, in another folder */
    if (strlen(full) > PWC_PATH_MAX)
        return 0;
    UTStrCopy(out, full, PWC_PATH_MAX + 1);
    return 1;
}

void PWCRefreshFileName(void)
{
    char resolved[PWC_PATH_MAX + 1];
    if (!PWCResolveFileName(Prf.pwc, resolved) && hooks.postError) {
        char text[PWC_PATH_MAX + 200];
        snprintf(text, sizeof text,
                 "The password cache file name from '%s' is longer than %d characters: no password "
                 "cache file is used.", Prf.pwc, PWC_PATH_MAX);
        hooks.postError(hooks.context, nullptr, text);
    }
    if (strcmp(resolved, fileName) == 0)
        return;
    memcpy(fileName, resolved, sizeof fileName);
    clear_password();
    if (hooks.preferencesChanged)
        hooks.preferencesChanged(hooks.context);
}

/* ---- key-database passwords ------------------------------------------- */

int KDBFind(const char *file, KDBS **slot, int add)
{
    int held = 0;
    PWCLock(&held);
    KDBS *found = nullptr;
    for (CSLISTELEM *e = kdbList.first; e; e = e->next)
        if (strcmp(((KDBS *)e)->file, file) == 0) {
            found = (KDBS *)e;
            break;
        }
    if (!found && add) {
        KDBS image;
        memset(&image, 0, sizeof image);
        UTStrCopy(image.file, file, sizeof image.file);
        found = (KDBS *)CSListAdd(&kdbList, "KDBS", 0, &image, sizeof image);
    }
    int known = found && found->password[0];
    PWCUnlock(&held);
    if (slot)
        *slot = found;
    return known;
}

void KDBForget(KDBS *entry, QMS *location, int notify)
{
    int held = 0;
    PWCLock(&held);
    int had = entry && entry->password[0];
    if (had)
        memset(entry->password, 0, sizeof entry->password);
    PWCUnlock(&held);
    if (notify && location && location->settingsWindow && hooks.settingsText)
        hooks.settingsText(hooks.context, location,
                           had ? "KDB password forgotten" : "No current KDB password known");
}
