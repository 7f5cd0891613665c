/* MQ library binding: choosing the library file and directory, and binding
 * the entry table by exported name.
 *
 * Entries are bound into a scratch table that is copied to the caller's
 * table only when every required entry was found, so no connection ever
 * runs on a partly bound table.  Missing optional entries get fallbacks of
 * their own signature that answer MQCC_FAILED with reason 2298. */
#include "mqbind.h"

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "cshost.h"
#include "cslock.h"

MQIEntryTable MQClientTable;
MQIEntryTable MQServerTable;

int MQTableBound(const MQIEntryTable *table)
{
    return table && table->MQCONN != nullptr;
}

/* ---- fallbacks ------------------------------------------------------------
 * Every MQI verb ends with CompCode and Reason; the fallback of a verb
 * ignores the rest. */

template <typename Fn> struct MQStubUnsupported;
template <typename... Args> struct MQStubUnsupported<void (MQENTRY *)(Args...)> {
    static void MQENTRY Call(Args... args)
    {
        std::tuple<Args...> all(args...);
        PMQLONG compCode = std::get<sizeof...(Args) - 2>(all);
        PMQLONG reason = std::get<sizeof...(Args) - 1>(all);
        if (compCode) *compCode = MQCC_FAILED;
        if (reason) *reason = MQRC_FUNCTION_NOT_SUPPORTED;
    }
};

/* ---- the entries ------------------------------------------------------- */

enum EntryKind { REQUIRED, CLOSE, OPTIONAL };

struct EntryDef {
    const char *name;
    size_t      slot;       /* offset in MQIEntryTable */
    EntryKind   kind;
    void       *fallback;
};

#define SLOT(verb) offsetof(MQIEntryTable, verb)
#define REQ(verb) { #verb, SLOT(verb), REQUIRED, nullptr }
#define OPT(verb) { #verb, SLOT(verb), OPTIONAL, (void *)&MQStubUnsupported<verb##_FN>::Call }

/* In binding order: a missing required entry stops the binding. */
static const EntryDef Entries[] = {
    REQ(MQCONN), REQ(MQDISC), REQ(MQCMIT), REQ(MQBACK), REQ(MQPUT),
    REQ(MQGET), REQ(MQPUT1), REQ(MQINQ), REQ(MQSET), REQ(MQOPEN),
    { "MQCLOSE", SLOT(MQCLOSE), CLOSE, nullptr },
    OPT(MQCONNX), OPT(MQSUB), OPT(MQSUBRQ), OPT(MQCB), OPT(MQCTL),
    OPT(MQCRTMH), OPT(MQDLTMH), OPT(MQINQMP), OPT(MQSETMP), OPT(MQDLTMP),
    OPT(MQBUFMH), OPT(MQMHBUF), OPT(MQSTAT),
};

static int BindEntries(void *module, MQIEntryTable *scratch)
{
    int result = 0;
    for (const EntryDef &e : Entries) {
        void *entry = CSGetProcAddress(module, e.name);
        if (!entry) {
            if (e.kind == REQUIRED) return MQBIND_RC_INCOMPLETE;
            if (e.kind == CLOSE) result = MQBIND_RC_INCOMPLETE;
            entry = e.fallback;
        }
        memcpy((char *)scratch + e.slot, &entry, sizeof entry);
    }
    return result;
}

int MQEntryMissing(const void *entry)
{
    if (!entry)
        return 1;
    for (const EntryDef &e : Entries)
        if (e.fallback == entry)
            return 1;
    return 0;
}

/* Publishes a fully bound table: MQCONN, the slot that marks it bound,
 * is written last, so a thread that sees it set sees every other slot. */
static void Publish(MQIEntryTable *table, const MQIEntryTable *scratch)
{
    MQCONN_FN conn = scratch->MQCONN;
    MQIEntryTable copy = *scratch;
    copy.MQCONN = table->MQCONN;
    *table = copy;
    std::atomic_thread_fence(std::memory_order_release);
    table->MQCONN = conn;
}

/* ---- directories ------------------------------------------------------- */

#ifdef _WIN32
#define BIN64 "\\bin64"
#else
#define BIN64 "/bin64"
#endif

static const char *LibDir(const char *variable, char *built, size_t size)
{
    const char *dir = getenv(variable);
    if (dir) return dir;
    if (!built[0]) {
        const char *install = getenv("MQ_INSTALLATION_PATH");
        if (!install || strlen(install) + sizeof BIN64 > size) return "";
        strcpy(built, install);
        strcat(built, BIN64);
    }
    return built;
}

const char *MQClientLibDir(void)
{
    static char built[600];
    return LibDir("MQIC_DLL_PATH", built, sizeof built);
}

const char *MQServerLibDir(void)
{
    static char built[600];
    return LibDir("MQM_DLL_PATH", built, sizeof built);
}

/* ---- loading ----------------------------------------------------------- */

/* The system's text of the last load that failed (global lock 0). */
static char LastLoadError[300];

static int LoadFrom(const char *file, const char *directory, void **module)
{
    return CSLoadLibrary(file, directory, LastLoadError, sizeof LastLoadError, module);
}

static int LoadNamed(const char *name, void **module)
{
    if (!name || !name[0]) {
        if (LoadFrom("mqm.dll", MQServerLibDir(), module) == 0) return 0;
        return LoadFrom("mqic.dll", MQClientLibDir(), module);
    }
    if (strstr(name, "mqic")) {
        bool plain = !strcmp(name, "mqic") || !strcmp(name, "mqic32");
        return LoadFrom(plain ? "mqic.dll" : name, MQClientLibDir(), module);
    }
    return LoadFrom(!strcmp(name, "mqm") ? "mqm.dll" : name, MQServerLibDir(), module);
}

int LoadMQLibrary(const char *libraryName, MQIEntryTable *table)
{
    CSLockGlobal(CSLOCK_MEMORY);
    void *module = nullptr;
    LastLoadError[0] = 0;
    int result = LoadNamed(libraryName, &module);
    if (result == 0)
        LastLoadError[0] = 0;      /* a first try that failed is no reason now */
    if (result == 0) {
        MQIEntryTable scratch = {};
        result = BindEntries(module, &scratch);
        if (result == 0) Publish(table, &scratch);
    }
    CSUnlockGlobal(CSLOCK_MEMORY);
    return result;
}

void MQBindErrorText(char *out, size_t size)
{
    if (!out || !size)
        return;
    CSLockGlobal(CSLOCK_MEMORY);
    snprintf(out, size, "%s", LastLoadError);
    CSUnlockGlobal(CSLOCK_MEMORY);
}

int MQBindTable(int client)
{
    MQIEntryTable *table = MQTableFor(client);
    if (MQTableBound(table)) return 0;
    const char *name = client ? getenv("RAVOLT_MQLIBNAME") : "mqm.dll";
    if (client && !name) name = "mqic.dll";
    return LoadMQLibrary(name, table);
}
