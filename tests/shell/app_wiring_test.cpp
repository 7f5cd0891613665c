/* The program's wiring read back after its own start-up (ShellStartup,
 * ShellInstallHooks and the first frame): every hook table, host setting
 * and hook pointer that the libraries' headers declare is found by
 * reading the headers, and each of its members must be set, or be on the
 * short list of optional members below with its reason; no member that
 * the library sets by default may have been replaced with a null.  A
 * table the headers declare and this test does not know fails it too. */
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "apptest.h"
#include "dd.h"
#include "dlgcolours.h"
#include "expwin.h"
#include "mq/pcf.h"
#include "mqi.h"
#include "pwcwin.h"
#include "tkplace.h"
#include <functional>
#include "cfgfile.h"
#include "cmdusage.h"
#include "colfilter.h"
#include "colourwin.h"
#include "confirm.h"
#include "edfind.h"
#include "edops.h"
#include "edpane.h"
#include "export.h"
#include "fapparse.h"
#include "fltwin.h"
#include "locdlg.h"
#include "locimport.h"
#include "loccache.h"
#include "locstore.h"
#include "modeless.h"
#include "mq/command/command.h"
#include "mq/engine/mqengine.h"
#include "pcflists.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "prefs.h"
#include "prefwin.h"
#include "prffile.h"
#include "prfsect.h"
#include "pwcache.h"
#include "repaint.h"
#include "savedlg.h"
#include "shellrules.h"
#include "shellint.h"
#include "shellwork.h"
#include "tkutil.h"
#include "tkwin.h"
#include "userfmt.h"
#include "cmddlg.h"
#include "filters.h"

/* ---- the headers read ---- */

/* A header cut into identifiers and single punctuation characters, with
 * comments and preprocessor lines left out. */
static std::vector<std::string> Tokens(const std::string &t)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < t.size();) {
        char c = t[i];
        if (c == '/' && i + 1 < t.size() && t[i + 1] == '*') {
            size_t e = t.find("*/", i + 2);
            i = e == std::string::npos ? t.size() : e + 2;
        } else if ((c == '/' && i + 1 < t.size() && t[i + 1] == '/') ||
                   (c == '#' && (out.empty() || i == 0 || t[i - 1] == '\n'))) {
            while (i < t.size() && (t[i] != '\n' || t[i - 1] == '\\'))
                i++;
        } else if (c == '"' || c == '\'') {
            size_t e = i + 1;
            while (e < t.size() && t[e] != c)
                e += t[e] == '\\' ? 2 : 1;
            out.push_back("\"");
            i = e + 1;
        } else if (isalnum((unsigned char)c) || c == '_') {
            size_t e = i;
            while (e < t.size() && (isalnum((unsigned char)t[e]) || t[e] == '_'))
                e++;
            out.push_back(t.substr(i, e - i));
            i = e;
        } else {
            if (!isspace((unsigned char)c))
                out.push_back(std::string(1, c));
            i++;
        }
    }
    return out;
}

static bool Ident(const std::string &s) { return !s.empty() && (isalpha((unsigned char)s[0]) || s[0] == '_'); }
/* HWND, HBRUSH, HINSTANCE ...: handles are pointers */
static bool HandleType(const std::string &s) { return s.size() > 1 && s[0] == 'H' && isupper((unsigned char)s[1]) && s.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos; }

struct Member {
    std::string name;
    int slots = 1;
    bool function = false, pointer = false;
};
struct Shape {
    std::vector<Member> members;
    bool allPointers() const
    {
        for (const Member &m : members)
            if (!m.pointer)
                return false;
        return !members.empty();
    }
    bool functions() const
    {
        for (const Member &m : members)
            if (m.function)
                return true;
        return false;
    }
};

/* The members of a struct body: declarations split at ";", declarators
 * at "," (each keeps the type words before the first one's name). */
static Shape Members(const std::vector<std::string> &tk, size_t from, size_t to)
{
    Shape s;
    std::vector<std::string> decl;
    auto flush = [&] {
        Member m;
        bool star = false, handle = false;
        for (size_t i = 0, depth = 0; i < decl.size(); i++) {
            const std::string &t = decl[i];
            if (t == "(") {
                if (depth++ == 0 && !m.function && i + 2 < decl.size() && decl[i + 1] == "*") {
                    m.name = decl[i + 2];
                    m.function = true;
                    if (i + 4 < decl.size() && decl[i + 3] == "[")
                        m.slots = atoi(decl[i + 4].c_str());
                }
            } else if (t == ")") {
                depth--;
            } else if (depth == 0 && !m.function) {
                star |= t == "*";
                handle |= HandleType(t);
                if (Ident(t))
                    m.name = t;
                if (t == "[" && i + 1 < decl.size())
                    m.slots = atoi(decl[i + 1].c_str());
            }
        }
        m.pointer = m.function || star || handle;
        if (!m.name.empty())
            s.members.push_back(m);
    };
    for (size_t i = from, depth = 0; i < to; i++) {
        const std::string &t = tk[i];
        depth += (t == "{" || t == "(") - (t == "}" || t == ")");
        if (depth == 0 && (t == ";" || t == ",")) {
            std::vector<std::string> type;
            if (t == ",") {
                size_t end = 0;
                while (end < decl.size() && decl[end] != "*")
                    end++;
                type.assign(decl.begin(), decl.begin() + (end < decl.size() ? end : end - 1));
            }
            flush();
            decl = type;
        } else {
            decl.push_back(t);
        }
    }
    return s;
}

struct Found {
    std::string kind, header;    /* "table", "global", "pointer", "setter" */
    Shape shape;
};

/* Every table, global and hook pointer the headers of the program's
 * libraries declare, by name (a table by its setter's name). */
static std::map<std::string, Found> ScanHeaders(void)
{
    std::vector<std::string> files;
    std::vector<std::string> dirs = { RAVOLT_TOP };
    static const std::set<std::string> skipped = { "build", "tests", "bench", "mqsim", "docs", "scripts", ".git", ".ci", "cmake" };
    while (!dirs.empty()) {
        std::string d = dirs.back();
        dirs.pop_back();
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((d + "/*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..")
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!skipped.count(n))
                    dirs.push_back(d + "/" + n);
            } else if (n.size() > 2 && n.compare(n.size() - 2, 2, ".h") == 0) {
                files.push_back(d + "/" + n);
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    std::map<std::string, Shape> structs;
    std::set<std::string> fnTypes;
    std::vector<std::pair<std::string, std::vector<std::string>>> texts;
    for (const std::string &f : files) {
        std::ifstream in(f, std::ios::binary);
        std::vector<std::string> tk = Tokens(std::string(std::istreambuf_iterator<char>(in), {}));
        for (size_t i = 0; i + 2 < tk.size(); i++) {
            if (tk[i] == "struct" && Ident(tk[i + 1]) && tk[i + 2] == "{") {
                size_t e = i + 3;
                for (int depth = 1; e < tk.size() && depth; e++)
                    depth += (tk[e] == "{") - (tk[e] == "}");
                structs[tk[i + 1]] = Members(tk, i + 3, e - 1);
            }
            if (tk[i] == "typedef")
                for (size_t j = i; j + 2 < tk.size() && tk[j] != ";"; j++)
                    if (tk[j] == "(" && tk[j + 1] == "*" && Ident(tk[j + 2])) {
                        fnTypes.insert(tk[j + 2]);
                        break;
                    }
        }
        texts.push_back({ f.substr(strlen(RAVOLT_TOP) + 1), tk });
    }
    std::map<std::string, Found> found;
    auto hookShaped = [&](const std::string &type) {
        auto s = structs.find(type);
        return s != structs.end() && s->second.allPointers() ? &s->second : nullptr;
    };
    for (auto &[header, tk] : texts)
        for (size_t i = 0; i + 4 < tk.size(); i++) {
            const std::string &t = tk[i];
            /* extern TYPE name; and extern RET (*name)(...) */
            if (t == "extern") {
                size_t j = i + 1;
                if (tk[j] == "const")
                    j++;
                if (tk[j + 2] == ";" && hookShaped(tk[j]))
                    found[tk[j + 1]] = { "global", header, *hookShaped(tk[j]) };
                for (size_t k = j; k + 2 < tk.size() && tk[k] != ";"; k++)
                    if (tk[k] == "(" && tk[k + 1] == "*" && Ident(tk[k + 2])) {
                        found[tk[k + 2]] = { "pointer", header, {} };
                        break;
                    }
            }
            /* Set or Install functions taking a hook table or hook procedures */
            if (Ident(t) && tk[i + 1] == "(" && (t.find("Set") != std::string::npos || t.find("Install") != std::string::npos) &&
                i > 0 && (tk[i - 1] == "void" || tk[i - 1] == "int")) {
                size_t j = i + 2;
                if (tk[j] == "const")
                    j++;
                if (tk[j + 1] == "*" && hookShaped(tk[j]) && hookShaped(tk[j])->functions())
                    found[t] = { "table", header, *hookShaped(tk[j]) };
                else if (fnTypes.count(tk[j]) || (tk[j + 1] == "(" && tk[j + 2] == "*"))
                    found[t] = { "setter", header, {} };
            }
        }
    return found;
}

/* ---- what the program installed, read back ---- */

struct Table {
    const char *name;                  /* setter, global or pointer */
    const void *(*live)(void);         /* the installed table or pointer; null: a seam, not read */
    size_t size;
    const char *seam;                  /* why a seam is left to the built-in */
};

template <typename T> static const void *Ptr(T *p) { return (const void *)p; }
/* a table by its address; one hook by its value; a seam not read */
#define TABLE(name, type, expr) { name, [] { return Ptr(expr); }, sizeof(type), nullptr }
#define HOOK(name, expr) { name, [] { static const void *v; v = (const void *)(expr); return Ptr(&v); }, sizeof(void *), nullptr }
#define SEAM(name, why) { name, nullptr, 0, why }

static const Table Tables[] = {
    TABLE("PrefSetHooks", PREFHOOKS, PrefHooks()),
    TABLE("PrfSetHooks", PRFHOOKS, PrfHooks()),
    TABLE("RepaintSetHooks", REPAINTHOOKS, RepaintHooks()),
    TABLE("CmdUsageSetHooks", CMDUSAGEHOOKS, CmdUsageHooks()),
    TABLE("CfgSetHooks", CFGHOOKS, CfgHooks()),
    TABLE("LocSetHooks", LOCHOOKS, LocHooks()),
    TABLE("LocSetReleaseHooks", LOCRELEASEHOOKS, LocReleaseHooks()),
    TABLE("LocSetTimerHooks", LOCTIMERHOOKS, LocTimerHooks()),
    TABLE("PWCSetHooks", PWCHOOKS, PWCHooks()),
    TABLE("LocDlgSetHooks", LOCDLGHOOKS, LocDlgHooks()),
    TABLE("ImportSetHooks", IMPORTHOOKS, ImportHooks()),
    TABLE("ShellSearchSetHooks", SHELLSEARCHHOOKS, ShellSearchHooks()),
    TABLE("TkSetHooks", TKHOOKS, TkHooks()),
    TABLE("FltSetHooks", FLTHOOKS, FltHooks()),
    TABLE("FltInstallWindowHooks", FLTHOOKS, FltHooks()),
    TABLE("FltWinSetHooks", FLTWINHOOKS, FltWinHooks()),
    TABLE("FmtSetConstLinks", FmtConstLinks, (FmtLayoutAll(), FmtGetConstLinks())),
    TABLE("PCFSetHooks", PCFHOOKS, PCFHooks()),
    TABLE("PCFSetPartHooks", PCFPARTHOOKS, PCFPartHooks()),
    TABLE("PCFSetShellHooks", PCFSHELLHOOKS, PCFShellHooks()),
    TABLE("PCFSetPaneHooks", PCFPANEHOOKS, PCFPaneHooks()),
    TABLE("ExpSetHooks", EXPHOOKS, ExpHooks()),
    TABLE("PCFSetListFilter", PCFLISTFILTER, PCFListFilter()),
    TABLE("PCFSetDownloadStore", PCFDOWNLOADSTORE, PCFDownloadStore()),
    TABLE("PCFSetDragHooks", PCFDRAGHOOKS, PCFDragHooks()),
    TABLE("SavedDialogSetHooks", SAVEDDLGHOOKS, SavedDialogHooks()),
    TABLE("MQESetClock", MQECLOCK, MQEClock()),
    TABLE("MQESetPort", MQEPORT, MQEPort()),
    TABLE("MQESetHooks", MQEHOOKS, &MQEHooks),
    TABLE("CmdSetHooks", CMDHOOKS, CmdHooks()),
    TABLE("ShellWork", SHELLWORK, &ShellWork),
    TABLE("dlgColours", DlgColourSet, &dlgColours),
    TABLE("PCFFilterListHooks", PCFLISTFILTER, &PCFFilterListHooks),
    TABLE("FmtLinks", FmtConstLinks, (FmtLayoutAll(), FmtGetConstLinks())),
    TABLE("edClipboard", EdClipboardHost, &edClipboard),
    TABLE("edChoice", EdChoiceHost, &edChoice),
    TABLE("edHost", EdHost, &edHost),
    TABLE("edFind", EdFindHost, &edFind),
    TABLE("MQEHooks", MQEHOOKS, &MQEHooks),
    HOOK("PrfPostText", PrfPostText),
    HOOK("ColFilterDestroyPopup", ColFilterDestroyPopup),
    HOOK("PCFColumnRecountSink", PCFColumnRecountSink),
    HOOK("ColFilterRefreshList", ColFilterRefreshList),
    HOOK("PCFNewListSink", PCFNewListSink),
    HOOK("ModelessSetNotFound", ModelessNotFoundHook()),
    HOOK("UFSetReformatWalk", UFReformatWalk()),
    HOOK("UFSetPaneView", UFPaneViewHook()),
    HOOK("PCFSetSelectionSource", PCFSelectionSource()),
    SEAM("ColourChooseProc", "tests choose a colour; null: the system's colour dialog"),
    SEAM("PWCReplaceFile", "tests fail the rename; its default is the host's replace"),
    SEAM("PCFErrorSink", "tests record the dialog core's errors; null: nothing"),
    SEAM("PCFNoticeSink", "a traced run's date notices for tests; null: nothing"),
    SEAM("PCFClock", "tests stop the dialogs' clock; null: the system's time"),
    SEAM("CSSetTimeZoneProc", "tests fix the zone; null: the system's"),
    SEAM("ShellSetOpenHook", "tests record opened links; null: the shell opens them"),
    SEAM("VerSetResolver", "tests resolve the version host; null: the system's resolver"),
    SEAM("WinSetSoundHooks", "tests record sounds; null: the system's clock and player"),
    SEAM("UISetFileDialogRunner", "tests answer the file dialog; null: the system's"),
    SEAM("UtilSetMessageBoxSink", "tests answer message boxes; null: the system's box"),
    SEAM("UtilSetDisplaySource", "tests give a monitor layout; null: the system's"),
    SEAM("UFSetErrorReporter", "null: the toolkit's box shows format errors"),
    SEAM("MQSCSetFileRunner", "tests run console files; null: the console's own runner"),
};

/* Members that may stay unset, each with its reason. */
static const std::map<std::string, const char *> Optional = {
    { "*.context", "the hooks take no context of their own" },
    { "PrfSetHooks.colourScheme", "unset, the profile fills the missing colours from the schemes itself" },
    { "CfgSetHooks.openWrite", "tests write the file elsewhere; unset, the host opens it" },
    { "ImportSetHooks.box", "unset, the import's own host part shows the box" },
    { "ImportSetHooks.postLocal", "unset, the import's own host part posts the list to the main window" },
    { "ImportSetHooks.settings", "unset, the import's own host part tells the settings dialog" },
    { "ShellWork.runningCount", "no part counts running locations apart from the exit tick" },
    { "ShellWork.refreshList", "only the queue information (11366) has a rebuild; the other lists are read when shown" },
    { "ShellWork.releaseWaiting", "no dialog waits for a location to become available" },
    { "FltWinSetHooks.clock", "unset, the Filter Manager reads the system's time" },
    { "CmdSetHooks.frameMessage", "unset, the engine posts to the main frame itself" },
    { "CmdSetHooks.postRequest", "a seam for tests; unset, the engine's PostThreadRequest" },
    { "LocSetHooks.timerOne", "unset, the store runs the location's timer step itself" },
    { "LocSetHooks.freeMqscWindow", "the MQSC console keeps its replies in its own dialog, which closeDialogs closes" },
    { "PCFSetHooks.convertMessage", "messages are kept as the queue holds them; the pane converts only what it shows" },
    { "PCFSetHooks.findTopic", "no location caches topic objects: old-level topic strings stay whole" },
    { "FltSetHooks.setWhereFilter", "the WHERE condition from a dialog's filter is the filter work's to install" },
    { "FltInstallWindowHooks.setWhereFilter", "the WHERE condition from a dialog's filter is the filter work's to install" },
};

static std::vector<std::string> Names(const Shape &s)
{
    std::vector<std::string> names;
    for (const Member &m : s.members)
        for (int i = 0; i < m.slots; i++)
            names.push_back(m.slots > 1 ? m.name + "[" + std::to_string(i) + "]" : m.name);
    return names;
}

static const char *Why(const std::string &table, const std::string &member)
{
    std::string bare = member.substr(0, member.find('['));
    for (const std::string &key : { table + "." + member, table + "." + bare, "*." + bare })
        if (auto o = Optional.find(key); o != Optional.end())
            return o->second;
    return nullptr;
}

/* The libraries' own defaults, read before the program's start-up ran. */
static std::map<std::string, std::vector<const void *>> &Defaults(void)
{
    static std::map<std::string, std::vector<const void *>> d;
    return d;
}

struct DefaultsBeforeStart : ::testing::Environment {
    void SetUp() override
    {
        for (const Table &t : Tables)
            if (t.live)
                Defaults()[t.name] = std::vector<const void *>((const void *const *)t.live(),
                                                               (const void *const *)t.live() + t.size / sizeof(void *));
    }
};
static ::testing::Environment *const defaultsBeforeStart =
    ::testing::AddGlobalTestEnvironment(new DefaultsBeforeStart);

TEST(Wiring, EveryHookOfEveryLibraryIsInstalledOrOptionalWithItsReason)
{
    ASSERT_TRUE(AppStart());
    std::map<std::string, Found> found = ScanHeaders();
    ASSERT_GT(found.size(), 40u) << "the headers were not read";
    std::map<std::string, const Table *> known;
    for (const Table &t : Tables)
        known[t.name] = &t;
    int members = 0, optional = 0;
    for (auto &[name, f] : found) {
        auto k = known.find(name);
        if (k == known.end()) {
            ADD_FAILURE() << f.header << ": " << name << " is a " << f.kind
                          << " of hooks that this check does not read: add it to Tables";
            continue;
        }
        const Table &t = *k->second;
        if (!t.live)
            continue;
        std::vector<std::string> names = f.kind == "pointer" || f.kind == "setter" ? std::vector<std::string>{ "hook" } : Names(f.shape);
        const void *const *live = (const void *const *)t.live();
        ASSERT_EQ(names.size() * sizeof(void *), t.size) << name << ": its members as the header reads do not fill the table";
        const std::vector<const void *> &before = Defaults()[name];
        for (size_t i = 0; i < names.size(); i++) {
            members++;
            const char *why = Why(name, names[i]);
            optional += why != nullptr;
            if (!live[i] && !why)
                ADD_FAILURE() << f.header << ": " << name << "." << names[i] << " is never installed";
            if (!live[i] && i < before.size() && before[i])
                ADD_FAILURE() << name << "." << names[i] << ": the wiring replaced the library's default with a null";
        }
    }
    for (const Table &t : Tables)
        EXPECT_TRUE(found.count(t.name)) << t.name << " is read here but no header declares it";
    printf("[ wiring ] %zu tables and hooks found in the headers, %d members read, %d optional\n", found.size(),
           members, optional);
}

/* ---- the seams the wiring mends, at work ---- */

/* A modal box run by the code under test: act runs once it is up. */
static std::function<void(DDHANDLE)> modalStep;
static void CALLBACK ModalTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    if (DDModalHandle && DDModalHandle->root.hwnd) {
        KillTimer(nullptr, id);
        auto act = modalStep;
        modalStep = nullptr;
        if (act)
            act(DDModalHandle);
    }
}
static void WhenModal(std::function<void(DDHANDLE)> act)
{
    modalStep = act;
    SetTimer(nullptr, 0, 30, ModalTimer);
}
/* A button of a tab page clicked as the mouse clicks it (a hidden or
 * greyed one takes no click). */
static void Click(HWND dialog, int tabs, int page, int id)
{
    TestSelectTab(DDFindHandle(dialog), dialog, tabs, page);
    SendMessageA(DDGetFieldWindow(DDFindHandle(dialog), id, 0), BM_CLICK, 0, 0);
}
static std::string Field(HWND dialog, int id)
{
    return WindowText(DDGetFieldWindow(DDFindHandle(dialog), id, 0));
}

/* The program's own dialog command (10023 switch, 10024 start) on a
 * saved dialog. */
static void DialogCommandOn(int32_t command, int32_t id)
{
    alignas(8) char buffer[200];
    void *area = buffer;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &area, 0, sizeof buffer, 0, command, &cc, &rc);
    PCFAddParm(&pp, MQCFT_INTEGER, 10095, &id, 4, 1, &cc, &rc);
    DLGREPLY reply = { nullptr, [](void *, const void *, int32_t, int) {} };
    DialogCommand(&reply, command, buffer, pp.position);
}
static DialogWords *OpenFrom(SAVEDDIALOG *s)
{
    static DialogWords *found;
    found = nullptr;
    PumpUntil([s] {
        PCFForEachDialog([](DialogWords *d, void *ctx) { return d->saved == ctx && d->window ? (found = d, 1) : 0; }, s);
        return found != nullptr;
    }, 10000);
    return found;
}

/* A dead letter put as another program puts it: its MQDLH (reason 2053
 * for DEMO.FULL on RAVOLT.DEMO) and a text. */
static bool PutDeadLetter(const char *queue)
{
    MQDLH dlh = { MQDLH_DEFAULT };
    dlh.Reason = 2053;
    memset(dlh.DestQName, ' ', sizeof dlh.DestQName);
    memcpy(dlh.DestQName, "DEMO.FULL", 9);
    memset(dlh.DestQMgrName, ' ', sizeof dlh.DestQMgrName);
    memcpy(dlh.DestQMgrName, "RAVOLT.DEMO", 11);
    memcpy(dlh.Format, MQFMT_STRING, MQ_FORMAT_LENGTH);
    std::string bytes((const char *)&dlh, sizeof dlh);
    bytes += "undeliverable";
    return AppPutBytes("RAVOLT.DEMO", queue, MQFMT_DEAD_LETTER_HEADER, bytes);
}

/* Each seam the program's wiring installs, at work through its real
 * windows: the behaviour that stayed out while the hook was missing. */
TEST(Wiring, WhatTheInstalledHooksDo)
{
    FrameWords *f = AppMain();
    HWND main = Shell.mainWindow;
    struct Probe {
        const char *what;
        std::function<std::string()> run;    /* "" when it holds, else what went wrong */
    };
    const Probe probes[] = {
        { "Location Settings: Set Password prompts, Delete Password forgets, Forget KDB Password forgets", [&] {
             QMS *r = AppLocation("RAVOLT.SEAMS");
             HWND s = r ? ShellWork.openLocation(main, r) : nullptr;
             if (!s || !PumpUntil([&] { return IsWindowVisible(s); }, 5000))
                 return std::string("no Location Settings");
             std::string why;
             Click(s, RTF_TABS, 1, RTF_USRP);                                 /* "Userid and Password" */
             Click(s, RTF_TABS, 1, RTF_SETPW);
             if (!PumpUntil([r] { return r->credDialog && IsWindow((HWND)r->credDialog); }, 5000))
                 why = "Set Password opened no prompt";
             else {
                 HWND p = (HWND)r->credDialog;
                 SetWindowTextA(DDGetFieldWindow(DDFindHandle(p), USR_USERID, 0), "app");
                 SetWindowTextA(DDGetFieldWindow(DDFindHandle(p), USR_PASSWORD, 0), "pw1");
                 PumpAll();
                 SendMessageA(p, WM_COMMAND, IDOK, 0);
                 PumpAll();
                 if (!r->password || strcmp(r->password, "pw1"))
                     why = "the typed password was not kept";
                 Click(s, RTF_TABS, 1, RTF_DELPW);
                 if (r->password && r->password[0])
                     why += " Delete Password left the password";
             }
             KDBFind("seams.kdb", (KDBS **)&r->kdbEntry, 1);
             snprintf(((KDBS *)r->kdbEntry)->password, sizeof ((KDBS *)r->kdbEntry)->password, "kdbpw");
             Click(s, RTF_TABS, 1, RTF_KDB);                                      /* Forget KDB Password */
             if (!PumpUntil([&] { return Field(s, RTF_ERROR) == "KDB password forgotten"; }, 5000) ||
                 ((KDBS *)r->kdbEntry)->password[0])
                 why += " Forget KDB Password: \"" + Field(s, RTF_ERROR) + "\"";
             SendMessageA(s, WM_CLOSE, 0, 0);
             AppRemoveLocation(r);
             return why;
         } },
        { "Preferences: the cache's Set Password reaches the cache (a missing file is offered for creation)", [&] {
             snprintf(Prf.pwc, sizeof Prf.pwc, "%sseams.pwc", AppConfigDir().c_str());
             HWND p = ShellWork.preferences(main);
             std::string question;
             WhenModal([&](DDHANDLE dd) {
                 char text[512];
                 DDGetFieldText(dd, CONFIRM_QUESTION, text, sizeof text);
                 question = text;
                 SendMessageA(DDGetFieldWindow(dd, 2, 0), BM_CLICK, 0, 0);
             });
             Click(p, PF_TABS, 5, PF_SETPW);
             PumpUntil([&] { return !question.empty(); }, 5000);
             SendMessageA(p, WM_CLOSE, 0, 0);
             return question.find("does not exist - do you want to create it?") != std::string::npos
                        ? std::string() : "asked \"" + question + "\"";
         } },
        { "Message List: a dead letter's summary column names the reason and its destination", [&] {
             AppMqsc("RAVOLT.DEMO", "DEFINE QLOCAL(SEAMS.DLQ) REPLACE");
             if (!AppConnect() || !PutDeadLetter("SEAMS.DLQ"))
                 return std::string("no dead letter put");
             OpenQueueInFrame(f, AppDemo(), "SEAMS.DLQ");
             std::string rows;
             PumpUntil([&] {
                 rows.clear();
                 PCFLISTSTATE *st = PCFListState(f->listPane);
                 for (uint32_t i = 0; st && i < st->count; i++) {
                     char line[2000];
                     PCFRowText(f->listPane, st->rows[i].row, line, sizeof line);
                     rows += std::string(line) + "\n";
                 }
                 return rows.find("DLQ: Reason(Queue full) RAVOLT.DEMO/DEMO.FULL") != std::string::npos;
             }, 20000);
             return rows.find("DLQ: Reason(Queue full) RAVOLT.DEMO/DEMO.FULL") != std::string::npos
                        ? std::string() : "rows:\n" + rows;
         } },
        { "Profile: a saved rectangle off every monitor comes onto one; an icon key's bitmap loads", [&] {
             static PRFDATA p;
             p = Prf;
             memset(p.dialogs, 0, sizeof p.dialogs);
             const int32_t off[4] = { 2500, 100, 400, 300 };
             memcpy(p.dialogs[DLG_FILTERS], off, sizeof off);
             /* a bitmap file of one white pixel */
             static const unsigned char file[58] = { 'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                                     1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0,
                                                     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0 };
             std::string bmp = WriteScratch("seams.bmp", std::string((const char *)file, sizeof file));
             char *icon = (char *)bmp.c_str();
             p.qmicon[0] = icon;
             PrfHooks()->fitAndLoad(PrfHooks()->context, &p);
             const AreaRect &a = UtilDisplayLayout()->desktop;
             const int32_t *r = p.dialogs[DLG_FILTERS];
             bool loaded = false;
             for (int i = 0; ShellBitmapName(i); i++)
                 loaded |= bmp == ShellBitmapName(i);
             if (r[0] < a.left || r[0] + r[2] > a.right || r[1] + r[3] > a.bottom)
                 return "dlgfilters stays at " + std::to_string(r[0]) + "," + std::to_string(r[1]);
             return loaded ? std::string() : std::string("qmiconn's bitmap was not loaded");
         } },
        { "Confirmation: the program's dialog colours; Don't show again writes the settings", [&] {
             std::string cfg = AppConfigDir() + "RAVOLT.CFG";
             remove(cfg.c_str());
             COLORREF was = Prf.colours[CLR_DIALOGBG];
             Prf.colours[CLR_DIALOGBG] = RGB(10, 20, 30);
             ColourMakeBrushes();
             uint32_t option = 0x6;
             LONG_PTR brush = 0;
             WhenModal([&](DDHANDLE dd) {
                 brush = GetClassLongPtrA(dd->root.hwnd, GCLP_HBRBACKGROUND);
                 SendMessageA(DDGetFieldWindow(dd, CONFIRM_AGAIN, 0), BM_CLICK, 0, 0);
                 SendMessageA(DDGetFieldWindow(dd, 2, 0), BM_CLICK, 0, 0);
             });
             WinConfirm(main, 0, "!Seams?", nullptr, &option, 0x2);
             bool written = PumpUntil([&] { return GetFileAttributesA(cfg.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
             bool coloured = brush == (LONG_PTR)ColourBrush(CLR_DIALOGBG);
             Prf.colours[CLR_DIALOGBG] = was;
             ColourMakeBrushes();
             return std::string(coloured ? "" : "the box kept the system's colours; ") +
                    (written ? "" : "no settings written after Don't show again");
         } },
        { "Saved dialogs: a start opens one on its queue manager, a switch brings it forward, <Prompt> asks", [&] {
             SAVEDDIALOG t = {}, *s = nullptr, *asked = nullptr;
             t.type = 1;
             snprintf(t.qm, sizeof t.qm, "RAVOLT.DEMO");
             SavedDialogAdd(&t, &s);
             snprintf(t.qm, sizeof t.qm, "<Prompt>");
             SavedDialogAdd(&t, &asked);
             DialogCommandOn(10024, s->id);
             DialogWords *d = OpenFrom(s);
             if (!d || d->first.location != AppDemo() || d->definition != &PCFQueueListDef)
                 return std::string("a start opened no Queue List of RAVOLT.DEMO");
             SetForegroundWindow(main);
             DialogCommandOn(10023, s->id);
             PumpAll();
             bool forward = GetForegroundWindow() == GetAncestor(PCFWnd(d->window), GA_ROOT);
             bool chose = false;
             WhenModal([&](DDHANDLE dd) {
                 chose = true;
                 SetWindowTextA(DDGetFieldWindow(dd, CQM_NAME, 1), "RAVOLT.DEMO");
                 SendMessageA(dd->root.hwnd, WM_COMMAND, IDOK, 0);
             });
             DialogCommandOn(10024, asked->id);
             DialogWords *e = OpenFrom(asked);
             std::string why = forward ? "" : "a switch did not bring the dialog forward; ";
             if (!chose || !e || e->first.location != AppDemo() || !(e->stateFlags & DF_NAME_ASKED))
                 why += "<Prompt> did not ask for the queue manager";
             for (DialogWords *x : { d, e })
                 if (x && x->window)
                     SendMessageA(PCFWnd(x->window), WM_CLOSE, 0, 0);
             return why;
         } },
    };
    for (const Probe &p : probes)
        EXPECT_EQ(p.run(), "") << p.what;
}
