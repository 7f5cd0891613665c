/* Test helpers of the command dialog's window tests (wintest.h).  The
 * engine's hooks record what reaches the command engine and, for the
 * tests that ask, pass it on to the engine itself, whose threads ask the
 * stand-in queue manager linked into the tests and whose replies reach
 * the dialog windows as in the program. */
#include "wintest.h"
#include "pcflistwin.h"

#include "autfile.h"
#include "colourwin.h"
#include "prfdata.h"
#include "mqsim.h"
#include "command.h"
#include "cs.h"
#include "locstore.h"
#include "mq/capability.h"
#include "pcfint.h"
#include "tkcontrols.h"
#include "wirelibs.h"

#include <chrono>

using namespace dlgtest;

namespace wintest {

Engine *Eng;

#define LEVEL_ASKED 0x1ull
#define LEVEL_KNOWN 0x100000000ull

Location::Location(const char *name, int known)
{
    InitLocationDefaults(&q);
    snprintf(q.qmName, sizeof q.qmName, "%s", name);
    q.platform = MQPL_WINDOWS_NT;
    q.commandLevel = 940;
    q.authMask = ~0ull;
    CapSetForQmgr(q.caps, q.platform, q.commandLevel);
    if (known)
        q.downloadState = LEVEL_KNOWN;
}

static void FreeInfo(CSTREE *e, void *)
{
    DLGINFO *info = (DLGINFO *)e;
    CSFreeMemAndClear(&info->dftFilter);
}

/* The thread's messages taken as Pump takes them; how many there were. */
static int Taken(void)
{
    int n = 0;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
        n++;
    }
    return n;
}

bool PumpUntil(const std::function<bool()> &done, int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        Pump();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

/* No command in flight and none of their replies waiting: a reply handler
 * posts to its dialog before it lets its record go, so once the count is
 * read as 0 a pass that finds no message has taken every reply (and a
 * command a reply started would count again).  False after ms. */
static bool SettleCommands(int ms)
{
    return PumpUntil([] { return IfcmdCount() == 0 && Taken() == 0 && IfcmdCount() == 0; }, ms);
}

/* The dialogs of a location close before it goes: a message kind's close
 * command still reaches its queue manager. */
static void CloseDialogsOf(QMS *q)
{
    for (int guard = 0; guard < 100; guard++) {
        DialogWords *d = PCFOpenDialogs;
        while (d && (d->first.location != q || !d->window))
            d = d->next;
        if (!d)
            return;
        SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
        SettleCommands(10000);
    }
}

/* The location's threads ended as the main window ends them, the get
 * thread first and then the put thread, each waited for while this thread
 * takes its messages (a thread may send to a window of it). */
static void EndThreads(QMS *q)
{
    auto starting = [q] { return (MQEState(&q->putThread) | MQEState(&q->getThread)) & TS_STARTING; };
    EXPECT_TRUE(PumpUntil([&] { return !starting(); })) << q->qmName << ": a thread never started";
    EndGetThread(q);
    EXPECT_TRUE(PumpUntil([q] { return !MQEState(&q->getThread); })) << q->qmName << ": the get thread did not end";
    EndPutThread(q, 0);
    EXPECT_TRUE(PumpUntil([q] { return !MQEState(&q->putThread); })) << q->qmName << ": the put thread did not end";
}

Location::~Location()
{
    CloseDialogsOf(&q);
    EndThreads(&q);
    IfcmdPurge(0, &q, 1);
    MQEForgetLocation(&q);
    CSTreeFree(&q.dialogs, FreeInfo, nullptr);
    CSFreeMemAndClear(&q.lastError);
}

/* ---- the engine's hooks ---- */

/* The command engine's own hooks, behind the recording ones. */
static PCFHOOKS Real;

static int DoCommand(void *ctx, DialogWords *d, uint32_t id, PCFLISTREQ *entry, void *targets)
{
    Eng->calls.push_back("do " + std::to_string(id));
    return Eng->standin ? Real.doCommand(ctx, d, id, entry, targets) : 0;
}

static int SendToAll(void *ctx, DialogWords *d, uint32_t id)
{
    Eng->calls.push_back("all " + std::to_string(id));
    return Eng->standin ? Real.sendToAll(ctx, d, id) : 0;
}

static int LevelQuery(void *ctx, QMS *location)
{
    Eng->calls.push_back(std::string("level ") + location->qmName);
    if (Eng->levelFails)
        return 1;
    return Eng->standin ? Real.levelQuery(ctx, location) : 0;
}

static int DropCommands(void *ctx, DialogWords *d)
{
    return Eng && Eng->busy ? 1 : Real.dropCommands(ctx, d);
}

/* The main window as the engine sees it: a location's get thread starts
 * when its put side is connected. */
static int PortMessage(void *, void *, uint32_t message, uintptr_t, void *lParam, int)
{
    if (message == FM_PUT_CONNECTED)
        StartGetThread((QMS *)lParam);
    return 0;
}

static void PortError(void *, void *, QMS *, uint32_t, const char *) {}

static const MQEPORT Port = { nullptr, PortMessage, PortError };

/* The engine's library table: the stand-in core linked into the tests. */
static void BindStandIn(void)
{
    MQIEntryTable t = {};
    MQLinkedTable(&t);
    MQServerTable = MQClientTable = t;
}

/* ---- the fixture ---- */

void Windows::SetUp()
{
    /* a first start's colours and the program's fonts: pictures show
     * what a user sees */
    PrfFillColours(-1);
    PrfApplyLook();
    WireLibraries();                 /* the message editor's pane, the filters */
    RegisterControlClasses(nullptr);
    ASSERT_TRUE(PCFRegisterClasses());
    PCFInitCommandDefs();
    PCFWinPrefsDefaults();
    PcfWinPrefs.captionTagsOff = 1;
    LocGlobals.uiThread = GetCurrentThreadId();
    Eng = &engine;
    StandinHome();
    BindStandIn();
    MQESetPort(&Port);
    CMDHOOKS c = {};
    PCFEngineHooks(&c);
    c.listDialog = [](void *, DialogWords *d, const PCFActionDef *a) { PCFListDialog(d, a); };
    c.dialogDialog = [](void *, DialogWords *d, const PCFActionDef *a) { PCFDialogDialog(d, a); };
    CmdSetHooks(&c);
    PCFHOOKS h = {};
    PCFWindowHooks(&h);
    CmdDialogHooks(&Real);
    h.doCommand = DoCommand;
    h.sendToAll = SendToAll;
    h.levelQuery = LevelQuery;
    h.dropCommands = DropCommands;
    PCFSetHooks(&h);
    PCFSetShellHooks(nullptr);
    PCFSetMonitors(1, 1);
    Pump();
    blocks = Blocks();
}

void Windows::TearDown()
{
    Settle();
    engine.busy = 0;
    for (int guard = 0; PCFOpenDialogs && guard < 1000; guard++) {
        DialogWords *d = PCFOpenDialogs;
        if (d->window)
            SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
        else
            FreeDialogWords(d);
        Pump();
    }
    CSTreeFree(&DlgInfoGlobal, FreeInfo, nullptr);
    AutReset();
    CmdSetHooks(nullptr);
    MQESetPort(nullptr);
    PCFSetHooks(nullptr);
    PCFSetShellHooks(nullptr);
    PCFClock = nullptr;
    Eng = nullptr;
    LocGlobals.uiThread = 0;
    PCFWinPrefsDefaults();
    PCFErrorSoundReset();
}

DialogWords *Windows::Open(PCFCommandDef *def, QMS *location, uint32_t options, uint32_t state)
{
    DialogWords t = {};
    t.definition = def;
    t.first.location = location;
    t.optionFlags = options;
    t.stateFlags = state;
    HWND parent = nullptr;
    if (options & DO_CHILD)
        parent = IsWindow(TestHarness().parent) ? TestHarness().parent : TestParent(800, 600);
    DialogWords *d = PCFCommandDialog(nullptr, parent, &t, nullptr);
    Pump();
    return d;
}

void Windows::Forget(QMS *location)
{
    if (location)
        CSTreeFree(&location->dialogs, FreeInfo, nullptr);
    CSTreeFree(&DlgInfoGlobal, FreeInfo, nullptr);
}

void Windows::Close(DialogWords *d)
{
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    Pump();
}

void Windows::Settle(int ms)
{
    EXPECT_TRUE(SettleCommands(ms)) << IfcmdCount() << " commands still in flight after " << ms << " ms";
}

/* ---- lookups and input ---- */

struct Find {
    const char *cls;
    int id;
    HWND found;
};

static BOOL CALLBACK FindProc(HWND w, LPARAM lp)
{
    Find *f = (Find *)lp;
    char cls[64];
    GetClassNameA(w, cls, sizeof cls);
    if (_stricmp(cls, f->cls) == 0 && (f->id < 0 || GetDlgCtrlID(w) == f->id)) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindChild(HWND parent, const char *cls, int id)
{
    Find f = { cls, id, nullptr };
    EnumChildWindows(parent, FindProc, (LPARAM)&f);
    return f.found;
}

static BOOL CALLBACK CountProc(HWND w, LPARAM lp)
{
    auto *c = (std::pair<const char *, int> *)lp;
    char cls[64];
    GetClassNameA(w, cls, sizeof cls);
    if (strcmp(cls, c->first) == 0)
        c->second++;
    return TRUE;
}

int CountWindows(const char *cls)
{
    std::pair<const char *, int> c = { cls, 0 };
    EnumThreadWindows(GetCurrentThreadId(), CountProc, (LPARAM)&c);
    return c.second;
}

std::vector<std::string> MenuItems(HMENU menu)
{
    std::vector<std::string> items;
    for (int i = 0; menu && i < GetMenuItemCount(menu); i++) {
        char text[100] = "";
        MENUITEMINFOA mi = { sizeof mi };
        mi.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE;
        mi.dwTypeData = text;
        mi.cch = sizeof text;
        GetMenuItemInfoA(menu, (UINT)i, TRUE, &mi);
        if (mi.fType & MFT_SEPARATOR)
            items.push_back("-");
        else
            items.push_back((mi.hSubMenu ? ">" : "") + std::string(text));
    }
    return items;
}

HMENU Submenu(HMENU menu, const char *name)
{
    std::vector<std::string> items = MenuItems(menu);
    for (size_t i = 0; i < items.size(); i++)
        if (items[i] == std::string(">") + name)
            return GetSubMenu(menu, (int)i);
    return nullptr;
}

void Loop(void)
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (PCFTranslateKey(&m))
            continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void LoopKey(WPARAM vk, bool shift, bool ctrl)
{
    BYTE ks[256];
    GetKeyboardState(ks);
    ks[VK_SHIFT] = shift ? 0x80 : 0;
    ks[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(ks);
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, vk, 1);
    Loop();
    ks[VK_SHIFT] = ks[VK_CONTROL] = 0;
    SetKeyboardState(ks);
}

RECT InParent(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), (POINT *)&r, 2);
    return r;
}

bool Windows::DownloadDefaults(QMS *location)
{
    RequestQmgrRefresh(location, RK_DOWNLOAD, nullptr, 0);
    return PumpUntil([location] { return FindDownloadedObject(location, MQCA_Q_NAME, MQQT_LOCAL) != nullptr; });
}

std::string ClipboardText(void)
{
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            text = (const char *)GlobalLock(h);
            GlobalUnlock(h);
        }
        CloseClipboard();
    }
    return text;
}

void CopyWithKeys(DialogWords *d, bool ctrl, bool shift)
{
    BYTE ks[256];
    GetKeyboardState(ks);
    ks[VK_CONTROL] = ctrl ? 0x80 : 0;
    ks[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(ks);
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 796, 0);
    ks[VK_CONTROL] = ks[VK_SHIFT] = 0;
    SetKeyboardState(ks);
    Pump();
}

}  // namespace wintest
