/* The program's wiring read back after its own start-up (ShellStartup,
 * ShellInstallHooks and the first frame): every hook table, host setting
 * and hook pointer that the libraries' headers declare is found by
 * reading the headers; each member must be set, or be on the short list
 * of optional members with its reason, and no member the library sets by
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

/* Every hook table (the struct a Set or Install function takes), global
 * table, hook pointer and hook setter the program's headers declare. */
static std::map<std::string, Found> ScanHeaders(void)
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
    const void *(*live)(void);         /* the installed table; null: a seam left to its built-in */
    size_t size;
};
template <typename T> static const void *Ptr(T *p) { return (const void *)p; }
#define TABLE(name, type, expr) { name, [] { return Ptr(expr); }, sizeof(type) }
#define HOOK(name, expr) { name, [] { static const void *v; v = (const void *)(expr); return Ptr(&v); }, sizeof(void *) }
/* hooks for tests only: left null, the library uses the system's own */
#define SEAM(name) { name, nullptr, 0 }

static const Table Tables[] = {
    TABLE("PrefSetHooks", PREFHOOKS, PrefHooks()), TABLE("PrfSetHooks", PRFHOOKS, PrfHooks()),
    TABLE("RepaintSetHooks", REPAINTHOOKS, RepaintHooks()), TABLE("CmdUsageSetHooks", CMDUSAGEHOOKS, CmdUsageHooks()),
    TABLE("CfgSetHooks", CFGHOOKS, CfgHooks()), TABLE("LocSetHooks", LOCHOOKS, LocHooks()),
    TABLE("LocSetReleaseHooks", LOCRELEASEHOOKS, LocReleaseHooks()),
    TABLE("LocSetTimerHooks", LOCTIMERHOOKS, LocTimerHooks()), TABLE("PWCSetHooks", PWCHOOKS, PWCHooks()),
    TABLE("LocDlgSetHooks", LOCDLGHOOKS, LocDlgHooks()), TABLE("ImportSetHooks", IMPORTHOOKS, ImportHooks()),
    TABLE("ShellSearchSetHooks", SHELLSEARCHHOOKS, ShellSearchHooks()), TABLE("TkSetHooks", TKHOOKS, TkHooks()),
    TABLE("FltSetHooks", FLTHOOKS, FltHooks()), TABLE("FltInstallWindowHooks", FLTHOOKS, FltHooks()),
    TABLE("FltWinSetHooks", FLTWINHOOKS, FltWinHooks()),
    TABLE("FmtSetConstLinks", FmtConstLinks, (FmtLayoutAll(), FmtGetConstLinks())),
    TABLE("FmtLinks", FmtConstLinks, (FmtLayoutAll(), FmtGetConstLinks())),
    TABLE("PCFSetHooks", PCFHOOKS, PCFHooks()), TABLE("PCFSetPartHooks", PCFPARTHOOKS, PCFPartHooks()),
    TABLE("PCFSetShellHooks", PCFSHELLHOOKS, PCFShellHooks()), TABLE("PCFSetPaneHooks", PCFPANEHOOKS, PCFPaneHooks()),
    TABLE("ExpSetHooks", EXPHOOKS, ExpHooks()), TABLE("PCFSetListFilter", PCFLISTFILTER, PCFListFilter()),
    TABLE("PCFFilterListHooks", PCFLISTFILTER, &PCFFilterListHooks),
    TABLE("PCFSetDownloadStore", PCFDOWNLOADSTORE, PCFDownloadStore()),
    TABLE("PCFSetDragHooks", PCFDRAGHOOKS, PCFDragHooks()), TABLE("SavedDialogSetHooks", SAVEDDLGHOOKS, SavedDialogHooks()),
    TABLE("MQESetClock", MQECLOCK, MQEClock()), TABLE("MQESetPort", MQEPORT, MQEPort()),
    TABLE("MQESetHooks", MQEHOOKS, &MQEHooks), TABLE("MQEHooks", MQEHOOKS, &MQEHooks),
    TABLE("CmdSetHooks", CMDHOOKS, CmdHooks()), TABLE("ShellWork", SHELLWORK, &ShellWork),
    TABLE("dlgColours", DlgColourSet, &dlgColours), TABLE("edClipboard", EdClipboardHost, &edClipboard),
    TABLE("edChoice", EdChoiceHost, &edChoice), TABLE("edHost", EdHost, &edHost), TABLE("edFind", EdFindHost, &edFind),
    HOOK("PrfPostText", PrfPostText), HOOK("ColFilterDestroyPopup", ColFilterDestroyPopup),
    HOOK("PCFColumnRecountSink", PCFColumnRecountSink), HOOK("ColFilterRefreshList", ColFilterRefreshList),
    HOOK("PCFNewListSink", PCFNewListSink), HOOK("ModelessSetNotFound", ModelessNotFoundHook()),
    HOOK("UFSetReformatWalk", UFReformatWalk()), HOOK("UFSetPaneView", UFPaneViewHook()),
    HOOK("PCFSetSelectionSource", PCFSelectionSource()),
    SEAM("ColourChooseProc"), SEAM("PWCReplaceFile"), SEAM("PCFErrorSink"), SEAM("PCFNoticeSink"),
    SEAM("PCFClock"), SEAM("CSSetTimeZoneProc"), SEAM("ShellSetOpenHook"), SEAM("VerSetResolver"),
    SEAM("WinSetSoundHooks"), SEAM("UISetFileDialogRunner"), SEAM("UtilSetMessageBoxSink"),
    SEAM("UtilSetDisplaySource"), SEAM("UFSetErrorReporter"), SEAM("MQSCSetFileRunner"),
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
};

static const char *Why(const std::string &table, const std::string &slot)
{
    std::string bare = slot.substr(0, slot.find('['));
    for (const std::string &key : { table + "." + bare, "*." + bare })
        if (auto o = Optional.find(key); o != Optional.end())
            return o->second;
    return nullptr;
}

/* The libraries' own defaults, read before the program's start-up ran. */
static std::map<std::string, std::vector<const void *>> Defaults;
struct DefaultsBeforeStart : ::testing::Environment {
    void SetUp() override
    {
        for (const Table &t : Tables)
            if (t.live)
                Defaults[t.name].assign((const void *const *)t.live(), (const void *const *)t.live() + t.size / 8);
    }
};
static ::testing::Environment *const defaultsBeforeStart = ::testing::AddGlobalTestEnvironment(new DefaultsBeforeStart);

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
        if (!known.count(name)) {
            ADD_FAILURE() << f.header << ": " << name << " is a table of hooks that this check does not read: add it to Tables";
            continue;
        }
        const Table &t = *known[name];
        std::vector<std::string> slots = f.single ? std::vector<std::string>{ "hook" } : f.shape.slots;
        if (!t.live)
            continue;
        ASSERT_EQ(slots.size() * sizeof(void *), t.size) << name << ": its members as the header reads do not fill the table";
        const void *const *live = (const void *const *)t.live();
        int unset = 0;
        for (size_t i = 0; i < slots.size(); i++, members++) {
            const char *why = Why(name, slots[i]);
            optional += why != nullptr;
            unset += !live[i];
            if (!live[i] && !why)
                ADD_FAILURE() << f.header << ": " << name << "." << slots[i] << " is never installed";
            if (!live[i] && Defaults[name][i])
                ADD_FAILURE() << name << "." << slots[i] << ": the wiring replaced the library's default with a null";
        }
        printf("[ wiring ] %s: %zu members, %zu set\n", name.c_str(), slots.size(), slots.size() - unset);
    }
    for (const Table &t : Tables)
        EXPECT_TRUE(found.count(t.name)) << t.name << " is read here but no header declares it";
    EXPECT_EQ(tkHost.mainWindow, Shell.mainWindow) << "the toolkit's host setting of the main window";
    printf("[ wiring ] %zu tables and hooks found in the headers, %d members read, %d optional\n", found.size(),
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
    };
    for (const auto &probe : probes)
        EXPECT_EQ(probe(), "");
}
