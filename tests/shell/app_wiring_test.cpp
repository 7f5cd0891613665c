/* The program's wiring read back as its own start-up leaves it (ShellStartup,
 * ShellInstallHooks and the first frame, before the test's doubles):
 * every hook table, host setting and hook pointer that the libraries'
 * headers declare is found by reading the headers; each must be declared
 * in its library's one hooks header (the shell's own and the tests' seams
 * aside); each member must be installed, neither null nor still its
 * library's default, unless the allowed list names that member alone with
 * its reason; an allowed member that is installed fails as stale, and no
 * default may have been replaced by a null.  A table the headers declare
 * and this check does not know fails it.  Then what the mended seams do,
 * through the real windows. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>

#include "apptest.h"
#include "cfgfile.h"
#include "cmdusage.h"
#include "colfilter.h"
#include "confirm.h"
#include "dd.h"
#include "dlgcolours.h"
#include "edfind.h"
#include "edops.h"
#include "edpane.h"
#include "export.h"
#include "expwin.h"
#include "fapparse.h"
#include "filters.h"
#include "fltwin.h"
#include "locdlg.h"
#include "locimport.h"
#include "loccache.h"
#include "locstore.h"
#include "modeless.h"
#include "command.h"
#include "mqengine.h"
#include "mq/pcf.h"
#include "pcflists.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "prefs.h"
#include "prffile.h"
#include "prfsect.h"
#include "pwcache.h"
#include "repaint.h"
#include "savedlg.h"
#include "shellint.h"
#include "shellrules.h"
#include "shellwork.h"
#include "tkutil.h"
#include "userfmt.h"
#include "xferfields.h"
#include "xferwnd.h"

/* ---- the headers read: identifiers and punctuation, no comments or
 * preprocessor lines ---- */

static std::vector<std::string> Tokens(const std::string &t)
{
    std::vector<std::string> out;
    for (size_t i = 0, e; i < t.size(); i = e) {
        e = i + 1;
        if (t.compare(i, 2, "/*") == 0)
            e = t.find("*/", i) == std::string::npos ? t.size() : t.find("*/", i) + 2;
        else if (t.compare(i, 2, "//") == 0 || (t[i] == '#' && (i == 0 || t[i - 1] == '\n')))
            e = t.find('\n', i) == std::string::npos ? t.size() : t.find('\n', i);
        else if (isalnum((unsigned char)t[i]) || t[i] == '_') {
            while (e < t.size() && (isalnum((unsigned char)t[e]) || t[e] == '_'))
                e++;
            out.push_back(t.substr(i, e - i));
        } else if (!isspace((unsigned char)t[i]))
            out.push_back(t.substr(i, 1));
    }
    return out;
}

static bool Ident(const std::string &s) { return !s.empty() && (isalpha((unsigned char)s[0]) || s[0] == '_'); }

/* A struct's members as slots of a pointer each ("name[i]" for arrays);
 * pointers: every member a pointer or handle; functions: one is a
 * function pointer. */
struct Shape {
    std::vector<std::string> slots;
    bool pointers = true, functions = false;
};

static Shape Members(const std::vector<std::string> &tk, size_t from, size_t to)
{
    Shape s;
    std::vector<std::string> decl;
    for (size_t i = from, parens = 0; i <= to; i++) {
        int depth = 0;
        if (i < to && (parens || (tk[i] != ";" && tk[i] != ","))) {
            parens += (tk[i] == "(") - (tk[i] == ")");
            decl.push_back(tk[i]);
            continue;
        }
        std::string name;
        int count = 1;
        bool pointer = false, function = false;
        for (size_t j = 0; j < decl.size(); j++) {
            const std::string &d = decl[j];
            if (d == "(" && depth++ == 0 && !function && j + 2 < decl.size() && decl[j + 1] == "*") {
                name = decl[j + 2], function = pointer = true;
            } else if (d == ")") {
                depth--;
            } else if (depth == 0 && !function) {
                pointer |= d == "*" || (d.size() > 1 && d[0] == 'H' && std::all_of(d.begin(), d.end(), ::isupper));
                if (Ident(d))
                    name = d;
            }
            if (d == "[" && j + 1 < decl.size() && (depth == 0 || function))
                count = atoi(decl[j + 1].c_str());
        }
        for (int k = 0; !name.empty() && k < count; k++)
            s.slots.push_back(count > 1 ? name + "[" + std::to_string(k) + "]" : name);
        s.pointers &= name.empty() || pointer;
        s.functions |= function;
        decl.clear();                 /* after "T *a,": "*b" is a declarator of its own */
    }
    return s;
}

struct Found {
    std::string header;
    Shape shape;
    bool single;                       /* one hook, not a table */
};

/* A library's hooks header: the one header of its folder whose name ends
 * in "hooks.h". */
static bool HooksHeader(const std::string &path)
{
    return path.size() > 7 && path.compare(path.size() - 7, 7, "hooks.h") == 0;
}

static std::string Folder(const std::string &path) { return path.substr(0, path.find('/')); }

/* Every hook table (the struct a Set or Install function takes), global
 * table, hook pointer and hook setter the program's headers declare; the
 * hooks headers of each library folder in hooksHeaders. */
static std::map<std::string, Found> ScanHeaders(std::map<std::string, std::vector<std::string>> &hooksHeaders)
{
    std::vector<std::string> dirs = { RAVOLT_TOP }, files;
    static const std::set<std::string> skipped = { "build", "tests", "bench", "mqsim", "docs", "scripts", ".git" };
    while (!dirs.empty()) {
        std::string d = dirs.back();
        dirs.pop_back();
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((d + "/*").c_str(), &fd);
        for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &fd)) {
            std::string n = fd.cFileName;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && n[0] != '.' && !skipped.count(n))
                dirs.push_back(d + "/" + n);
            else if (n.size() > 2 && n.compare(n.size() - 2, 2, ".h") == 0)
                files.push_back(d + "/" + n);
        }
        FindClose(h);
    }
    std::map<std::string, Shape> structs;
    std::set<std::string> fnTypes;
    std::vector<std::pair<std::string, std::vector<std::string>>> headers;
    for (const std::string &f : files) {
        std::ifstream in(f, std::ios::binary);
        headers.push_back({ f.substr(strlen(RAVOLT_TOP) + 1), Tokens(std::string(std::istreambuf_iterator<char>(in), {})) });
        headers.back().second.resize(headers.back().second.size() + 4);   /* a declaration that ends the file is read too */
        if (HooksHeader(headers.back().first))
            hooksHeaders[Folder(headers.back().first)].push_back(headers.back().first);
        const std::vector<std::string> &tk = headers.back().second;
        for (size_t i = 0; i + 3 < tk.size(); i++) {
            if (tk[i] == "struct" && tk[i + 2] == "{") {
                size_t e = i + 3;
                for (int depth = 1; e < tk.size() && depth; e++)
                    depth += (tk[e] == "{") - (tk[e] == "}");
                structs[tk[i + 1]] = Members(tk, i + 3, e - 1);
            }
            if (tk[i] == "typedef")
                for (size_t j = i; j + 2 < tk.size() && tk[j] != ";"; j++)
                    if (tk[j] == "(" && tk[j + 1] == "*") {
                        fnTypes.insert(tk[j + 2]);
                        break;
                    }
        }
    }
    std::map<std::string, Found> found;
    auto shaped = [&](const std::string &type, bool needFunctions) {
        auto s = structs.find(type);
        return s != structs.end() && s->second.pointers && (s->second.functions || !needFunctions);
    };
    for (auto &[header, tk] : headers)
        for (size_t i = 1; i + 4 < tk.size(); i++) {
            size_t j = i + 1 + (tk[i + 1] == "const");
            if (tk[i] == "extern" && tk[j + 2] == ";" && shaped(tk[j], false))
                found[tk[j + 1]] = { header, structs[tk[j]], false };
            for (size_t k = j; tk[i] == "extern" && k + 2 < tk.size() && tk[k] != ";"; k++)
                if (tk[k] == "(" && tk[k + 1] == "*") {
                    found[tk[k + 2]] = { header, {}, true };
                    break;
                }
            j = i + 2 + (tk[i + 2] == "const");
            bool setter = tk[i + 1] == "(" && (tk[i - 1] == "void" || tk[i - 1] == "int") &&
                          (tk[i].find("Set") != std::string::npos || tk[i].find("Install") != std::string::npos);
            if (setter && tk[j + 1] == "*" && shaped(tk[j], true))
                found[tk[i]] = { header, structs[tk[j]], false };
            else if (setter && (fnTypes.count(tk[j]) || (tk[j + 1] == "(" && tk[j + 2] == "*")))
                found[tk[i]] = { header, {}, true };
        }
    return found;
}

/* ---- what the program installed, read back ---- */

struct Table {
    const char *name;                  /* setter, global or pointer */
    const void *(*live)(void);         /* the installed table; null: read under another name, or a seam */
    size_t size;
    const char *why;                   /* a seam: why the library's own is right */
};
template <typename T> static const void *Ptr(T *p) { return (const void *)p; }
#define TABLE(name, type, expr) { name, [] { return Ptr(expr); }, sizeof(type), nullptr }
#define HOOK(name, expr) { name, [] { static const void *v; v = (const void *)(expr); return Ptr(&v); }, sizeof(void *), nullptr }
/* the same table as another entry of Tables, read there */
#define SAME(name) { name, nullptr, 0, nullptr }
/* not read: a seam for tests, or a library's own table that a setter installs; why its own is right */
#define SEAM(name, why) { name, nullptr, 0, why }

static const Table Tables[] = {
    TABLE("PrefSetHooks", PREFHOOKS, PrefHooks()), TABLE("PrfSetHooks", PRFHOOKS, PrfHooks()),
    TABLE("RepaintSetHooks", REPAINTHOOKS, RepaintHooks()), TABLE("CmdUsageSetHooks", CMDUSAGEHOOKS, CmdUsageHooks()),
    TABLE("CfgSetHooks", CFGHOOKS, CfgHooks()), TABLE("LocSetHooks", LOCHOOKS, LocHooks()),
    TABLE("LocSetReleaseHooks", LOCRELEASEHOOKS, LocReleaseHooks()),
    TABLE("LocSetTimerHooks", LOCTIMERHOOKS, LocTimerHooks()), TABLE("PWCSetHooks", PWCHOOKS, PWCHooks()),
    TABLE("LocDlgSetHooks", LOCDLGHOOKS, LocDlgHooks()), TABLE("ImportSetHooks", IMPORTHOOKS, ImportHooks()),
    TABLE("ShellSearchSetHooks", SHELLSEARCHHOOKS, ShellSearchHooks()), TABLE("TkSetHooks", TKHOOKS, TkHooks()),
    TABLE("FltSetHooks", FLTHOOKS, FltHooks()), SAME("FltInstallWindowHooks"),
    TABLE("FltWinSetHooks", FLTWINHOOKS, FltWinHooks()),
    TABLE("FmtSetConstLinks", FmtConstLinks, (FmtLayoutAll(), FmtGetConstLinks())), SAME("FmtLinks"),
    TABLE("PCFSetHooks", PCFHOOKS, PCFHooks()), TABLE("PCFSetPartHooks", PCFPARTHOOKS, PCFPartHooks()),
    TABLE("PCFSetShellHooks", PCFSHELLHOOKS, PCFShellHooks()), TABLE("PCFSetPaneHooks", PCFPANEHOOKS, PCFPaneHooks()),
    TABLE("ExpSetHooks", EXPHOOKS, ExpHooks()), TABLE("PCFSetListFilter", PCFLISTFILTER, PCFListFilter()),
    SEAM("PCFFilterListHooks", "the filters' own functions, which PCFSetListFilter installs"),
    TABLE("PCFSetDownloadStore", PCFDOWNLOADSTORE, PCFDownloadStore()),
    TABLE("PCFSetDragHooks", PCFDRAGHOOKS, PCFDragHooks()), TABLE("SavedDialogSetHooks", SAVEDDLGHOOKS, SavedDialogHooks()),
    TABLE("MQESetClock", MQECLOCK, MQEClock()), TABLE("MQESetPort", MQEPORT, MQEPort()),
    TABLE("MQESetHooks", MQEHOOKS, &MQEHooks), SAME("MQEHooks"),
    TABLE("CmdSetHooks", CMDHOOKS, CmdHooks()), TABLE("ShellWork", SHELLWORK, &ShellWork),
    TABLE("dlgColours", DlgColourSet, &dlgColours), TABLE("edClipboard", EdClipboardHost, &edClipboard),
    TABLE("edChoice", EdChoiceHost, &edChoice), TABLE("edHost", EdHost, &edHost), TABLE("edFind", EdFindHost, &edFind),
    HOOK("PrfPostText", PrfPostText), HOOK("ColFilterDestroyPopup", ColFilterDestroyPopup),
    HOOK("PCFColumnRecountSink", PCFColumnRecountSink), HOOK("ColFilterRefreshList", ColFilterRefreshList),
    HOOK("PCFNewListSink", PCFNewListSink), HOOK("ModelessSetNotFound", ModelessNotFoundHook()),
    HOOK("UFSetReformatWalk", UFReformatWalk()), HOOK("UFSetPaneView", UFPaneViewHook()),
    HOOK("PCFSetSelectionSource", PCFSelectionSource()),
    HOOK("PCFNoticeSink", PCFNoticeSink),
    SEAM("ColourChooseProc", "null: the system's colour dialog"),
    SEAM("PWCReplaceFile", "CfgHostReplace, the host's file replace below it; tests make it fail"),
    SEAM("PCFErrorSink", "null: the error box"), SEAM("PCFClock", "null: the system's time"),
    SEAM("CSSetTimeZoneProc", "null: the system's time zone"), SEAM("ShellSetOpenHook", "null: the system opens the link"),
    SEAM("VerSetResolver", "null: the system's name lookup"), SEAM("WinSetSoundHooks", "null: the system's clock and sounds"),
    SEAM("UISetFileDialogRunner", "null: the system's file dialog"), SEAM("UtilSetMessageBoxSink", "null: the system's box"),
    SEAM("UtilSetDisplaySource", "null: the system's monitors"), SEAM("UFSetErrorReporter", "null: the default box"),
    SEAM("MQSCSetFileRunner", "null: the console runs the file itself"),
};

/* Members the program may leave null, or at their library's default,
 * each named alone ("*": in every table) with its reason. */
struct Allow {
    const char *table;
    std::vector<std::string> slots;
    const char *why;
    std::vector<const void *> is = {};   /* defaults that do the work: the function each slot must be
                                            (null: not named here) */
};
static const Allow Allowed[] = {
    { "*", { "context" }, "the hooks take no context of their own" },
    /* defaults that do the work */
    { "MQESetHooks", { "analyse", "process", "errorResponse", "requestRefresh", "startDownload", "response", "markStale" },
      "the engine's own functions (markStale: the dialogs' MarkDialogsStale, below it); tests replace them",
      { (const void *)AnalyseCommand, (const void *)ProcessCommand, (const void *)SendErrorResponse,
        (const void *)RequestQmgrRefresh, (const void *)StartDownload, (const void *)ProcessResponse, nullptr } },
    { "MQESetClock", { "time", "tick", "sleep", "wait" }, "the system's clock and sleeps; tests install their own" },
    { "FmtSetConstLinks", { "reasons", "parameters", "commands", "openOptions", "closeOptions", "pmoOptions",
                            "gmoOptions", "sdOptions", "sroOptions", "valueName" },
      "the MQ library's own constant tables and names, below the formatter" },
    { "LocDlgSetHooks", { "userIdDialog", "deleteCredentials", "kdbForget", "setDlgColours" },
      "the credentials, password cache and key database of the locations and the toolkit's dialog colours, below it" },
    { "PrefSetHooks", { "setDlgColours", "pwcResolve", "pwcRefresh", "pwcSetPassword", "pwcAccess", "pwcState" },
      "the password cache of the locations and the toolkit's dialog colours, below it" },
    /* null: the library's own fallback does the work */
    { "PrfSetHooks", { "colourScheme" }, "unset, the profile fills the missing colours from the schemes itself" },
    { "CfgSetHooks", { "openWrite" }, "tests write the file elsewhere; unset, the host opens it" },
    { "ImportSetHooks", { "box" }, "unset, the import's own host part shows the box" },
    { "ImportSetHooks", { "postLocal" }, "unset, the import's own host part posts the list to the main window" },
    { "ImportSetHooks", { "settings" }, "unset, the import's own host part tells the settings dialog" },
    { "CmdSetHooks", { "frameMessage" }, "unset, the engine posts to the main frame itself" },
    { "CmdSetHooks", { "postRequest" }, "a seam for tests; unset, the engine's PostThreadRequest" },
    { "LocSetHooks", { "timerOne" }, "unset, the store runs the location's timer step itself" },
    /* null: nothing is to be done */
    { "ShellWork", { "runningCount" }, "no part counts running locations apart from the exit tick" },
    { "ShellWork", { "refreshList[0]", "refreshList[2]", "refreshList[3]", "refreshList[4]", "refreshList[5]",
                     "refreshList[6]", "refreshList[7]", "refreshList[8]" },
      "only the queue information (11366) has a rebuild; the other lists are read when shown" },
    { "ShellWork", { "releaseWaiting" }, "no dialog waits for a location to become available" },
    { "LocDlgSetHooks", { "configChanged" }, "the configuration is written whole at exit and by Save: a change needs nothing at once" },
    { "PrefSetHooks", { "configChanged" }, "the configuration is written whole at exit and by Save: a change needs nothing at once" },
    { "LocSetHooks", { "freeMqscWindow" }, "the MQSC console keeps its replies in its own dialog, which closeDialogs closes" },
    { "PCFSetHooks", { "convertMessage" }, "messages are kept as the queue holds them; the pane converts only what it shows" },
};

static const char *Why(const std::string &table, const std::string &slot, const void **is = nullptr)
{
    for (const Allow &a : Allowed) {
        auto found = std::find(a.slots.begin(), a.slots.end(), slot);
        if ((table != a.table && strcmp(a.table, "*")) || found == a.slots.end())
            continue;
        size_t at = (size_t)(found - a.slots.begin());
        if (is)
            *is = at < a.is.size() ? a.is[at] : nullptr;
        return a.why;
    }
    return nullptr;
}

static std::vector<const void *> Read(const Table &t)
{
    const void *const *p = (const void *const *)t.live();
    return std::vector<const void *>(p, p + t.size / sizeof(void *));
}

/* The libraries' own defaults, read before the program's start-up ran;
 * the tables as its start-up left them, before the test's own doubles
 * (AppStart hands them over after the shell's wiring and first frame). */
static std::map<std::string, std::vector<const void *>> Defaults, Wired;
struct DefaultsBeforeStart : ::testing::Environment {
    void SetUp() override
    {
        for (const Table &t : Tables)
            if (t.live)
                Defaults[t.name] = Read(t);
    }
};
static ::testing::Environment *const defaultsBeforeStart = ::testing::AddGlobalTestEnvironment(new DefaultsBeforeStart);
static const bool wiredRead = (AppWired = [] {
    for (const Table &t : Tables)
        if (t.live)
            Wired[t.name] = Read(t);
}, true);

TEST(Wiring, EveryHookOfEveryLibraryIsInstalledOrOptionalWithItsReason)
{
    ASSERT_TRUE(AppStart());
    ASSERT_FALSE(Wired.empty()) << "the start-up did not hand over the tables as its wiring left them";
    std::map<std::string, std::vector<std::string>> hooksHeaders;
    std::map<std::string, Found> found = ScanHeaders(hooksHeaders);
    ASSERT_GT(found.size(), 40u) << "the headers were not read";
    for (auto &[folder, headers] : hooksHeaders)
        EXPECT_EQ(headers.size(), 1u) << folder << "/ declares its hooks in more than one header";
    std::map<std::string, const Table *> known;
    for (const Table &t : Tables)
        known[t.name] = &t;
    std::set<std::string> allowedSeen;
    int members = 0, optional = 0;
    for (auto &[name, f] : found) {
        if (!known.count(name)) {
            ADD_FAILURE() << f.header << ": " << name << " is a table of hooks that this check does not read: add it to Tables";
            continue;
        }
        const Table &t = *known[name];
        std::vector<std::string> slots = f.single ? std::vector<std::string>{ "hook" } : f.shape.slots;
        if (!t.live)
            continue;
        /* the shell is the top: it reaches nothing above it, its own tables stay with their code and
           start as its wiring */
        bool shell = Folder(f.header) == "shell";
        if (!HooksHeader(f.header) && !shell)
            ADD_FAILURE() << f.header << ": " << name << " is a hook declared outside its library's hooks header ("
                          << Folder(f.header) << "/...hooks.h)";
        ASSERT_EQ(slots.size() * sizeof(void *), t.size) << name << ": its members as the header reads do not fill the table";
        const std::vector<const void *> &live = Wired[name], &library = Defaults[name];
        int unset = 0;
        for (size_t i = 0; i < slots.size(); i++, members++) {
            const void *is = nullptr;
            const char *why = Why(name, slots[i], &is);
            if (is && live[i] != is)
                ADD_FAILURE() << name << "." << slots[i] << " is not the library's own function that does the work";
            bool kept = live[i] && live[i] == library[i] && !shell;
            optional += why != nullptr;
            unset += !live[i];
            if (why && slots[i] != "context")
                allowedSeen.insert(name + "." + slots[i]);
            if (!live[i] && !why)
                ADD_FAILURE() << f.header << ": " << name << "." << slots[i] << " is never installed";
            if (!live[i] && library[i])
                ADD_FAILURE() << name << "." << slots[i] << ": the wiring replaced the library's default with a null";
            if (kept && !why)
                ADD_FAILURE() << f.header << ": " << name << "." << slots[i]
                              << " is still the library's default: install the host's, or allow it with its reason";
            if (why && live[i] && !kept && slots[i] != "context")
                ADD_FAILURE() << name << "." << slots[i] << " is installed: its allowed entry is stale (" << why << ")";
        }
        printf("[ wiring ] %s: %zu members, %d set\n", name.c_str(), slots.size(), (int)slots.size() - unset);
    }
    for (const Allow &a : Allowed)
        for (const std::string &slot : a.slots)
            EXPECT_TRUE(a.table[0] == '*' || allowedSeen.count(a.table + ("." + slot)))
                << a.table << "." << slot << " is allowed but no table has it (" << a.why << ")";
    for (const Table &t : Tables)
        EXPECT_TRUE(found.count(t.name)) << t.name << " is read here but no header declares it";
    EXPECT_EQ(tkHost.mainWindow, Shell.mainWindow) << "the toolkit's host setting of the main window";
    printf("[ wiring ] %zu tables and hooks found in the headers, %d members read, %d allowed\n", found.size(),
           members, optional);
}

/* ---- the seams the wiring mends, at work ---- */

/* A modal box of the code under test: act runs once it is up. */
static std::function<void(DDHANDLE)> modalStep;
static void WhenModal(std::function<void(DDHANDLE)> act)
{
    modalStep = act;
    SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        if (DDModalHandle && DDModalHandle->root.hwnd && modalStep) {
            KillTimer(nullptr, id);
            auto step = modalStep;
            modalStep = nullptr;
            step(DDModalHandle);
        }
    });
}

/* The program's own dialog command (10023 switch, 10024 start) on a
 * saved dialog, and the dialog then open from it. */
static DialogWords *DialogCommandOn(int32_t command, SAVEDDIALOG *s)
{
    alignas(8) char buffer[200];
    void *area = buffer;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &area, 0, sizeof buffer, 0, command, &cc, &rc);
    PCFAddParm(&pp, MQCFT_INTEGER, 10095, &s->id, 4, 1, &cc, &rc);
    DLGREPLY reply = { nullptr, [](void *, const void *, int32_t, int) {} };
    DialogCommand(&reply, command, buffer, pp.position);
    static DialogWords *found;
    found = nullptr;
    PumpUntil([s] {
        PCFForEachDialog([](DialogWords *d, void *ctx) { return d->saved == ctx && d->window ? (found = d, 1) : 0; }, s);
        return found != nullptr;
    }, 10000);
    return found;
}

/* What the mended seams do that no hook of the check above shows. */
TEST(Wiring, WhatTheMendedSeamsDo)
{
    AppMain();
    HWND main = Shell.mainWindow;
    const std::function<std::string()> probes[] = {
        /* the profile's saved placements fitted to the monitors, icons loaded */
        [&] {
            static PRFDATA p;
            p = Prf;
            static const int32_t offMonitors[4] = { 2500, 100, 400, 300 };
            memcpy(p.dialogs[DLG_FILTERS], offMonitors, sizeof offMonitors);
            static const unsigned char bmp[58] = { 'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0,
                                                   1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                   0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0 };
            std::string file = WriteScratch("seams.bmp", std::string((const char *)bmp, sizeof bmp));
            p.qmicon[0] = (char *)file.c_str();
            PrfHooks()->fitAndLoad(PrfHooks()->context, &p);
            const int32_t *r = p.dialogs[DLG_FILTERS];
            bool loaded = false;
            for (int i = 0; ShellBitmapName(i); i++)
                loaded |= file == ShellBitmapName(i);
            bool fitted = r[0] + r[2] <= UtilDisplayLayout()->desktop.right;
            return std::string(fitted ? "" : "dlgfilters left off the monitors; ") + (loaded ? "" : "qmiconn not loaded");
        },
        /* confirmation boxes: the program's colours; Don't show again saves */
        [&] {
            std::string cfg = AppConfigDir() + "RAVOLT.CFG";
            remove(cfg.c_str());
            uint32_t option = 0x6, was = Prf.colours[CLR_DIALOGBG];
            Prf.colours[CLR_DIALOGBG] = RGB(10, 20, 30);
            ColourMakeBrushes();
            LONG_PTR brush = 0;
            WhenModal([&](DDHANDLE dd) {
                brush = GetClassLongPtrA(dd->root.hwnd, GCLP_HBRBACKGROUND);
                SendMessageA(DDGetFieldWindow(dd, CONFIRM_AGAIN, 0), BM_CLICK, 0, 0);
                SendMessageA(DDGetFieldWindow(dd, 2, 0), BM_CLICK, 0, 0);
            });
            WinConfirm(main, 0, "!Seams?", nullptr, &option, 0x2);
            bool saved = PumpUntil([&] { return GetFileAttributesA(cfg.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
            bool coloured = brush == (LONG_PTR)ColourBrush(CLR_DIALOGBG);
            Prf.colours[CLR_DIALOGBG] = was;
            ColourMakeBrushes();
            return std::string(coloured ? "" : "the box kept the system's colours; ") +
                   (saved ? "" : "no settings written after Don't show again");
        },
        /* saved dialogs: started, switched to, and "<Prompt>" asking */
        [&] {
            SAVEDDIALOG t = {}, *s = nullptr, *asked = nullptr;
            t.type = 1;
            snprintf(t.qm, sizeof t.qm, "RAVOLT.DEMO");
            SavedDialogAdd(&t, &s);
            snprintf(t.qm, sizeof t.qm, "<Prompt>");
            SavedDialogAdd(&t, &asked);
            DialogWords *d = DialogCommandOn(10024, s);
            if (!d || d->first.location != AppDemo() || d->definition != &PCFQueueListDef)
                return std::string("a start opened no Queue List of RAVOLT.DEMO");
            SetForegroundWindow(main);
            DialogCommandOn(10023, s);
            bool forward = GetForegroundWindow() == GetAncestor(PCFWnd(d->window), GA_ROOT);
            WhenModal([&](DDHANDLE dd) {
                SetWindowTextA(DDGetFieldWindow(dd, CQM_NAME, 1), "RAVOLT.DEMO");
                SendMessageA(dd->root.hwnd, WM_COMMAND, IDOK, 0);
            });
            DialogWords *e = DialogCommandOn(10024, asked);
            std::string why = forward ? "" : "a switch did not bring the dialog forward; ";
            if (!e || e->first.location != AppDemo() || !(e->stateFlags & DF_NAME_ASKED))
                why += "<Prompt> did not ask for the queue manager";
            for (DialogWords *x : { d, e })
                if (x)
                    SendMessageA(PCFWnd(x->window), WM_CLOSE, 0, 0);
            return why;
        },
        /* a subscription's topic string from a queue manager below level
           800 loses the topic string of its topic object, as the location
           caches it */
        [&] {
            QMS *r = AppDemo();
            LOCOBJ o;
            memset(&o, 0, sizeof o);
            strcpy(o.name, "SEAM.TOPIC");
            CSLockGlobal(CSLOCK_OBJECTS);
            LOCOBJ *e = LocAddObject(r, 6, &o, sizeof o);
            if (e)
                CSStringSet(&e->shared, "seam/topic", -1);
            CSUnlockGlobal(CSLOCK_OBJECTS);
            alignas(8) char buffer[300] = {};
            void *area = buffer;
            MQPP pp;
            MQLONG cc, rc;
            PCFInitArea(&pp, &area, 0, sizeof buffer, 0, MQCMD_INQUIRE_SUBSCRIPTION, &cc, &rc);
            PCFAddParm(&pp, MQCFT_STRING, MQCA_TOPIC_NAME, "SEAM.TOPIC", -1, 0, &cc, &rc);
            PCFAddParm(&pp, MQCFT_STRING, MQCA_TOPIC_STRING, "seam/topic/leaf", -1, 0, &cc, &rc);
            int32_t level = r->commandLevel;
            r->commandLevel = 710;
            PCFScanResponseParms(nullptr, r, 1, (uint8_t *)buffer, (uint32_t)pp.position);
            r->commandLevel = level;
            std::string topic = "(none)";
            const int32_t *w = (const int32_t *)buffer;
            for (int32_t i = 9; i + 4 < pp.position / 4; i++)
                if (w[i] == MQCFT_STRING && w[i + 2] == MQCA_TOPIC_STRING)
                    topic.assign((const char *)&w[i + 5], (size_t)w[i + 4]);
            if (e) {
                e->flags |= LOCOBJ_STALE;
                LocRefreshListF(r);
            }
            return topic == "leaf" ? std::string() : "the topic string read '" + topic + "'";
        },
        /* the engine's Publish window: the stream and the topic it is given,
           each in its own field */
        [&] {
            const CMDHOOKS *h = CmdHooks();
            h->publishDialog(h->context, AppDemo(), "SEAM.STREAM", "seam/topic");
            HWND w = AppWindow("RAVOLT_PUBLISH", "Publish from 'RAVOLT.DEMO'");
            PUTWORDS *pw = w ? (PUTWORDS *)GetWindowLongPtrA(w, 0) : nullptr;
            char stream[64] = "", topic[64] = "";
            if (pw) {
                XferFieldText(pw->dd, PF_STREAM, stream, sizeof stream);
                XferFieldText(pw->dd, PF_TOPIC, topic, sizeof topic);
                SendMessageA(w, WM_CLOSE, 0, 0);
                PumpAll();
            }
            std::string shown = std::string(stream) + " | " + topic;
            return shown == "SEAM.STREAM | seam/topic" ? std::string() : "Publish shows stream | topic: " + shown;
        },
        /* the menu bar and the column filter pop-up take the "Menu" colours,
           and follow a change of them */
        [&] {
            std::string why;
            COLORREF back = *ColourRef(CLR_MENUBG), fore = *ColourRef(CLR_MENUFG);
            if (FltColours.menuBack != back || FltColours.menuFore != fore)
                why += "the column filter pop-up has the system's menu colours; ";
            *ColourRef(CLR_MENUBG) = RGB(1, 2, 3);
            ColourMakeBrushes();
            RepaintAllWindows(RP_COLOURS);
            PumpAll();
            if (FltColours.menuBack != RGB(1, 2, 3))
                why += "the pop-up kept its colours after a change; ";
            DialogWords *q = DoAction(main, AppDemo(), nullptr, 534);
            PumpAll();
            MENUINFO mi = { sizeof mi };
            mi.fMask = MIM_BACKGROUND;
            if (!q || !q->menu || !GetMenuInfo((HMENU)q->menu, &mi) || mi.hbrBack != ColourBrush(CLR_MENUBG))
                why += "the menu bar is not on Menu Background; ";
            /* its texts in Menu Foreground: the first item drawn by the
               dialog has pixels of that colour, and reads its own text */
            *ColourRef(CLR_MENUFG) = RGB(200, 0, 100);
            ColourMakeBrushes();
            MENUITEMINFOA item = { sizeof item };
            item.fMask = MIIM_FTYPE | MIIM_SUBMENU;
            char first[40] = "";
            if (q && q->menu) {
                GetMenuItemInfoA((HMENU)q->menu, 0, TRUE, &item);
                GetMenuStringA((HMENU)q->menu, 0, first, sizeof first, MF_BYPOSITION);
            }
            HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
            HBITMAP bm = CreateCompatibleBitmap(screen, 80, 20), was = (HBITMAP)SelectObject(dc, bm);
            DRAWITEMSTRUCT di = { ODT_MENU, 0, (UINT)(UINT_PTR)item.hSubMenu, ODA_DRAWENTIRE, 0,
                                  (HWND)(q ? q->menu : nullptr), dc, { 0, 0, 80, 20 }, 0 };
            if (q)
                SendMessageA(PCFWnd(q->window), WM_DRAWITEM, 0, (LPARAM)&di);
            int text = 0, onBack = 0;
            for (int y = 0; y < 20; y++)
                for (int x = 0; x < 80; x++) {
                    COLORREF c = GetPixel(dc, x, y);
                    text += c == RGB(200, 0, 100);
                    onBack += c == RGB(1, 2, 3);
                }
            SelectObject(dc, was);
            DeleteObject(bm);
            DeleteDC(dc);
            ReleaseDC(nullptr, screen);
            *ColourRef(CLR_MENUFG) = fore;
            if (!(item.fType & MFT_OWNERDRAW) || strcmp(first, "Options") || text < 10 || onBack < 800)
                why += "the menu bar's first item '" + std::string(first) + "' is drawn by the system (" +
                       std::to_string(text) + " text pixels in Menu Foreground, " + std::to_string(onBack) +
                       " on Menu Background)";
            if (q)
                SendMessageA(PCFWnd(q->window), WM_CLOSE, 0, 0);
            *ColourRef(CLR_MENUBG) = back;
            ColourMakeBrushes();
            RepaintAllWindows(RP_COLOURS);
            PumpAll();
            return why;
        },
        /* a dialog saved with "Save Dialog" is its record's open window: the
           inquiry answers 1 for it, and a switch brings it forward */
        [&] {
            DialogWords *q = DoAction(main, AppDemo(), nullptr, 534);
            if (!q)
                return std::string("no Queue List opened");
            SendMessageA(PCFWnd(q->window), WM_COMMAND, 696, 0);
            SAVEDDIALOG *s = q->saved;
            if (!s)
                return std::string("Save Dialog recorded nothing");
            static int32_t open;
            open = -1;
            alignas(8) char buffer[200];
            void *area = buffer;
            MQPP pp;
            MQLONG cc, rc;
            PCFInitArea(&pp, &area, 0, sizeof buffer, 0, 10020, &cc, &rc);
            PCFAddParm(&pp, MQCFT_INTEGER, 10095, &s->id, 4, 1, &cc, &rc);
            DLGREPLY reply = { nullptr, [](void *, const void *m, int32_t n, int) {
                                   const int32_t *w = (const int32_t *)m;
                                   for (int32_t i = 0; i + 3 < n / 4; i++)
                                       if (w[i] == MQCFT_INTEGER && w[i + 1] == 16 && w[i + 2] == 10107)
                                           open = w[i + 3];
                               } };
            DialogCommand(&reply, 10020, buffer, pp.position);
            auto lists = [] {
                int n = 0;
                PCFForEachDialog([](DialogWords *d, void *c) { *(int *)c += d->definition == &PCFQueueListDef; return 0; }, &n);
                return n;
            };
            int before = lists();
            SetForegroundWindow(main);
            DialogCommandOn(10023, s);
            PumpAll();
            int after = lists();
            bool forward = GetForegroundWindow() == GetAncestor(PCFWnd(q->window), GA_ROOT);
            PCFForEachDialog([](DialogWords *d, void *c) {
                if (d->saved == c && d->window)
                    PostMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
                return 0;
            }, s);
            PumpAll();
            return std::string(open == 1 ? "" : "10107 answered " + std::to_string(open) + " for the open dialog; ") +
                   (after == before ? "" : "a switch opened a second window; ") +
                   (forward ? "" : "a switch did not bring the saved dialog forward");
        },
        /* a dialog record's placements: only the slot of the monitors as
           they are is fitted; the other one is kept as saved */
        [&] {
            std::string text = "AP:\nQM:SLOT.QM \"\" 11 940\nDLG:\"Queue List\"\nx=2500 y=100 cx=400 cy=300 "
                               "x2=2500 y2=100 cx2=400 cy2=300\n";
            CSTREE *tree = nullptr;
            CfgReadText(text.data(), text.size(), &tree);
            QMS *r = (QMS *)CSTreeFirst(tree);
            DLGINFO *d = r ? (DLGINFO *)CSTreeFirst(r->dialogs) : nullptr;
            std::string why = d ? "" : "no record read";
            if (d) {
                int many = UtilDisplayLayout()->monitors > 1;
                int32_t *mine = many ? &d->x2 : &d->x, *other = many ? &d->x : &d->x2;
                if (mine[0] + mine[2] > UtilDisplayLayout()->desktop.right)
                    why += "the current slot left off the monitors; ";
                if (other[0] != 2500 || other[1] != 100 || other[2] != 400 || other[3] != 300)
                    why += "the other slot was moved to " + std::to_string(other[0]) + "," + std::to_string(other[1]);
            }
            while (tree)
                LocDelete(&tree, (QMS *)CSTreeFirst(tree), nullptr);
            LocFlushFreed();
            return why;
        },
    };
    for (const auto &probe : probes)
        EXPECT_EQ(probe(), "");
}
