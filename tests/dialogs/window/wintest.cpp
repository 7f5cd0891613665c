/* Test helpers of the command dialog's window tests (wintest.h).  The
 * engine's hooks here stand in for the command engine: they record what
 * reaches it and, for the tests that ask, carry out inquiries and alters
 * against the stand-in queue manager on a worker thread, returning the
 * replies through the same calls the engine's reply processing makes
 * (PCFSetDialogData, PCFDialogStatus, UM_PCF_REPLY_DONE). */
#include "wintest.h"

#include <thread>

#include "autfile.h"
#include "cs.h"
#include "locstore.h"
#include "mq/capability.h"
#include "pcfint.h"
#include "tkcontrols.h"

using namespace dlgtest;

namespace wintest {

Engine *Eng;

#define LEVEL_ASKED 0x1ull
#define LEVEL_KNOWN 0x100000000ull

Location::Location(const char *name, int known)
{
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

Location::~Location()
{
    CSTreeFree(&q.dialogs, FreeInfo, nullptr);
    CSFreeMemAndClear(&q.lastError);
}

/* ---- the engine's hooks ---- */

/* The request an action sends, from the dialog's values. */
static Reply Build(DialogWords *d, const PCFActionDef *a)
{
    char nameBuffer[64] = "", textBuffer[200] = "";
    const char *name = PCFGetValueText(d, MQCA_Q_NAME, nameBuffer, sizeof nameBuffer), *text = "";
    if (!name)
        name = "";
    Reply r = Request((int32_t)a->command);
    switch (a->command) {
    case MQCMD_INQUIRE_Q:
        r.Str(MQCA_Q_NAME, name);
        break;
    case MQCMD_CHANGE_Q_MGR:
        text = PCFGetValueText(d, MQCA_Q_MGR_DESC, textBuffer, sizeof textBuffer);
        r.Str(MQCA_Q_MGR_DESC, text ? text : "");
        break;
    case MQCMD_CHANGE_Q:
        text = PCFGetValueText(d, MQCA_Q_DESC, textBuffer, sizeof textBuffer);
        r.Str(MQCA_Q_NAME, name).Int(MQIA_Q_TYPE, MQQT_LOCAL).Str(MQCA_Q_DESC, text ? text : "");
        break;
    }
    return r;
}

/* On the worker: the replies into the dialog, the action's status text. */
static void Run(DialogWords *d, QMS *location, const PCFActionDef *a, Reply request)
{
    std::vector<std::string> replies = StandinAsk(location->qmName, request);
    int failed = 0;
    for (const std::string &reply : replies) {
        MQCFH h;
        memcpy(&h, reply.data(), sizeof h);
        failed |= h.CompCode != MQCC_OK;
        if (a->command == MQCMD_INQUIRE_Q_MGR || a->command == MQCMD_INQUIRE_Q)
            PCFSetDialogData(d, location, nullptr, nullptr, 1, (const uint8_t *)reply.data(), (uint32_t)reply.size(),
                             nullptr);
    }
    if (a->status && !failed) {
        char text[200];
        snprintf(text, sizeof text, a->status, d->objectName[0] ? d->objectName : location->qmName);
        PCFDialogStatus(d, text, location, 0);
    } else if (failed) {
        PCFDialogStatus(d, "Command failed", location, 4);
    }
    PostMessageA(PCFWnd(d->window), UM_PCF_REPLY_DONE, 0, (LPARAM)a->command);
    PostMessageA(PCFWnd(d->window), UM_PCF_UPDATE_DIALOG, 1, 0);
}

static int DoCommand(void *, DialogWords *d, uint32_t id, PCFLISTREQ *, void *)
{
    Eng->calls.push_back("do " + std::to_string(id));
    if (!Eng->standin || !d || !d->first.location)
        return 0;
    const PCFActionDef *a = PCFFindActionDef(d->definition->actions, id);
    if (!a || !a->command)
        return 1;
    Reply request = Build(d, a);
    QMS *location = d->first.location;
    Eng->running++;
    std::thread([=] {
        Run(d, location, a, request);
        Eng->running--;
    }).detach();
    return 0;
}

static int SendToAll(void *ctx, DialogWords *d, uint32_t id)
{
    Eng->calls.push_back("all " + std::to_string(id));
    return Eng->standin ? DoCommand(ctx, d, id, nullptr, nullptr) : 0;
}

/* The level from the queue manager's reply. */
static void TakeLevel(QMS *location, const std::string &reply)
{
    PCFWALK w;
    PCFPARM p;
    if (!PCFWalkStart(&w, (const uint8_t *)reply.data(), (uint32_t)reply.size(), 0))
        return;
    while (PCFWalkNext(&w, &p))
        if (p.type == MQCFT_INTEGER && p.id == MQIA_COMMAND_LEVEL)
            location->commandLevel = Get32(p.value);
        else if (p.type == MQCFT_INTEGER && p.id == MQIA_PLATFORM)
            location->platform = Get32(p.value);
    CapSetForQmgr(location->caps, location->platform, location->commandLevel);
}

static int LevelQuery(void *, QMS *location)
{
    Eng->calls.push_back(std::string("level ") + location->qmName);
    if (Eng->levelFails)
        return 1;
    if (Eng->standin) {
        Eng->running++;
        std::thread([=] {
            for (const std::string &r : StandinAsk(location->qmName, Request(MQCMD_INQUIRE_Q_MGR)))
                TakeLevel(location, r);
            location->downloadState = (location->downloadState & ~LEVEL_ASKED) | LEVEL_KNOWN;
            Eng->running--;
        }).detach();
    }
    return 0;
}

static int DropCommands(void *, DialogWords *)
{
    return Eng ? Eng->busy : 0;
}

/* ---- the fixture ---- */

void Windows::SetUp()
{
    RegisterControlClasses(nullptr);
    ASSERT_TRUE(PCFRegisterClasses());
    PCFInitCommandDefs();
    PCFWinPrefsDefaults();
    PcfWinPrefs.captionTagsOff = 1;
    LocGlobals.uiThread = GetCurrentThreadId();
    Eng = &engine;
    PCFHOOKS h = {};
    PCFWindowHooks(&h);
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
    for (int waited = 0; (Eng && Eng->running) && waited < ms; waited += 10) {
        Pump();
        Sleep(10);
    }
    Pump();
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

}  // namespace wintest
