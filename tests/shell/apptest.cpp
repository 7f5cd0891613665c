/* The shell in the test's own process (apptest.h): start-up over the
 * stand-in, the refresh worker, recorded questions and the tree read
 * back. */
#include "apptest.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "cs.h"
#include "cshost.h"
#include "loccache.h"
#include "locstore.h"
#include "mqsim.h"
#include "mqi.h"
#include "mq/mqbind.h"
#include "mq/pcf.h"
#include "pcfwin.h"
#include "cmddlg.h"
#include "command.h"
#include "mqehooks.h"
#include "prfdata.h"
#include "shellint.h"
#include "shellwork.h"

static MQSimRunMqsc_FN runMqsc;
static int (*engineRefresh)(QMS *, uint32_t, const char *, int);
static std::string configDir;
static QMS *demo;
void (*AppWired)(void);

static void SetEnv(const char *name, const char *value)
{
    _putenv_s(name, value);
    SetEnvironmentVariableA(name, value);
}

int AppMqsc(const char *qmgr, const std::string &text)
{
    std::string copy = text;
    static char out[65536];
    return runMqsc ? (int)runMqsc((PMQCHAR)qmgr, (PMQCHAR)copy.c_str(), sizeof out, out) : -1;
}

static std::string DemoScript(void)
{
    std::ifstream f(std::string(RAVOLT_TOP) + "/scripts/demo.mqsc", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::vector<Question> &Questions(void)
{
    static std::vector<Question> q;
    return q;
}

static int answerWith = 1;

void AnswerQuestions(int answer)
{
    answerWith = answer;
    Questions().clear();
}

static int Answer(HWND, const char *verb, const char *name)
{
    Questions().push_back({verb ? verb : "", name ? name : ""});
    return answerWith;
}

static void WatchRebuilds(void);

HWND AppStart(void)
{
    static bool started;
    if (started)
        return Shell.mainWindow;
    started = true;
    SetEnv("MQM_DLL_PATH", MQSIM_DIR);
    std::string home = ScratchDir() + "qmgrs";
    CreateDirectoryA(home.c_str(), nullptr);
    SetEnv("RAVOLT_MQSIM_HOME", home.c_str());
    void *module = nullptr;
    char error[300];
    if (CSLoadLibrary("mqm.dll", MQSIM_DIR, error, sizeof error, &module) == 0)
        runMqsc = (MQSimRunMqsc_FN)CSGetProcAddress(module, "MQSimRunMqsc");
    AppMqsc("RAVOLT.DEMO", DemoScript());
    configDir = ScratchDir() + "ravolt.cfg.d\\";
    CreateDirectoryA(configDir.c_str(), nullptr);
    static std::string dirArg = configDir.substr(0, configDir.size() - 1);
    static char *argv[] = { (char *)"ravolt.exe", (char *)"-f", (char *)dirArg.c_str(), nullptr };
    RecordBoxesAndLinks();
    if (!ShellStartup(GetModuleHandleA(nullptr), 3, argv))
        return nullptr;
    Prf.po[2] &= ~0x40000u;                /* no exit question unless a test asks */
    QMS t;
    memset(&t, 0, sizeof t);
    InitLocationDefaults(&t);
    strcpy(t.qmName, "RAVOLT.DEMO");
    strcpy(t.locationName, "RAVOLT.DEMO");
    demo = LocCreate(&LocTree, &t, 0);
    if (!demo)
        return nullptr;
    ShellConfirmHook = Answer;
    if (!CreateFrame(nullptr))
        return nullptr;
    if (AppWired)
        AppWired();                        /* the wiring complete, before the test's doubles */
    engineRefresh = ShellWork.requestRefresh;
    ShellWork.requestRefresh = AppRefresh;
    WatchRebuilds();
    PumpUntil([] { return !Shell.startupPending; });
    return Shell.mainWindow;
}

FrameWords *AppMain(void)
{
    AppStart();
    return FrameFirst();
}

QMS *AppDemo(void)
{
    AppStart();
    return demo;
}

std::string AppConfigDir(void)
{
    return configDir;
}

/* ---- messages and objects through the MQI ---- */

typedef void (*MQCONN_FN)(PMQCHAR, PMQHCONN, PMQLONG, PMQLONG);

MqiSession::MqiSession(const char *qmgr)
{
    HMODULE mqm = GetModuleHandleA("mqm.dll");
    if (!mqm)
        return;
    auto conn = (MQCONN_FN)GetProcAddress(mqm, "MQCONN");
    disc = (MQDISC_FN)GetProcAddress(mqm, "MQDISC");
    open = (MQOPEN_FN)GetProcAddress(mqm, "MQOPEN");
    close = (MQCLOSE_FN)GetProcAddress(mqm, "MQCLOSE");
    put1 = (MQPUT1_FN)GetProcAddress(mqm, "MQPUT1");
    get = (MQGET_FN)GetProcAddress(mqm, "MQGET");
    inq = (MQINQ_FN)GetProcAddress(mqm, "MQINQ");
    if (!conn || !disc || !open || !close || !put1 || !get || !inq)
        return;
    MQCHAR qm[MQ_Q_MGR_NAME_LENGTH];
    Name(qm, qmgr, sizeof qm);
    conn(qm, &h, &cc, &rc);
    connected = cc != MQCC_FAILED;
}

MqiSession::~MqiSession()
{
    if (opened)
        close(h, &o, MQCO_NONE, &cc, &rc);
    if (connected)
        disc(&h, &cc, &rc);
}

void MqiSession::Name(MQCHAR *field, const char *text, size_t size)
{
    memset(field, ' ', size);
    if (text)
        memcpy(field, text, strnlen(text, size));
}

bool MqiSession::Open(const char *queue, MQLONG options)
{
    od.ObjectType = queue ? MQOT_Q : MQOT_Q_MGR;
    Name(od.ObjectName, queue, sizeof od.ObjectName);
    if (connected)
        open(h, &od, options, &o, &cc, &rc);
    opened = connected && cc != MQCC_FAILED;
    return opened;
}

bool AppPut(const char *qmgr, const char *queue, std::initializer_list<const char *> texts)
{
    std::vector<std::string> data;
    for (const char *text : texts)
        data.push_back(text);
    return AppPutData(qmgr, queue, MQFMT_STRING, data);
}

bool AppPutData(const char *qmgr, const char *queue, const char *format, const std::vector<std::string> &data,
                int32_t ccsid, int32_t encoding, const std::string &msgId)
{
    MqiSession s(qmgr);
    if (!s.connected)
        return false;
    bool ok = true;
    for (const std::string &bytes : data) {
        MQOD od = { MQOD_DEFAULT };
        MQMD md = { MQMD_DEFAULT };
        MQPMO pmo = { MQPMO_DEFAULT };
        MqiSession::Name(od.ObjectName, queue, sizeof od.ObjectName);
        memcpy(md.Format, format, MQ_FORMAT_LENGTH);
        if (ccsid)
            md.CodedCharSetId = ccsid;
        if (encoding)
            md.Encoding = encoding;
        memcpy(md.MsgId, msgId.data(), msgId.size() < 24 ? msgId.size() : 24);
        pmo.Options = MQPMO_NO_SYNCPOINT;
        s.put1(s.h, &od, &md, &pmo, (MQLONG)bytes.size(), (PMQVOID)bytes.data(), &s.cc, &s.rc);
        ok = ok && s.cc == MQCC_OK;
    }
    return ok;
}

/* One MQINQ of an object (a queue, or the queue manager without a name):
 * the integer or the text of the selector; false when it cannot be read. */
static bool Inquire(const char *qmgr, const char *queue, MQLONG selector, MQLONG *value, std::string *text)
{
    MqiSession s(qmgr);
    if (!s.Open(queue, MQOO_INQUIRE))
        return false;
    char chars[256] = "";
    MQLONG n = 0;
    s.inq(s.h, s.o, 1, &selector, text ? 0 : 1, &n, text ? (MQLONG)sizeof chars - 1 : 0, chars, &s.cc, &s.rc);
    if (value)
        *value = n;
    if (text) {
        std::string t(chars);
        *text = t.substr(0, t.find_last_not_of(' ') + 1);
    }
    return s.cc != MQCC_FAILED;
}

int AppTakeAll(const char *qmgr, const char *queue)
{
    MqiSession s(qmgr);
    if (!s.Open(queue, MQOO_INPUT_SHARED))
        return -1;
    int taken = 0;
    for (;; taken++) {
        MQMD md = { MQMD_DEFAULT };
        MQGMO gmo = { MQGMO_DEFAULT };
        gmo.Options = MQGMO_NO_SYNCPOINT | MQGMO_ACCEPT_TRUNCATED_MSG;
        char byte;
        MQLONG n = 0;
        s.get(s.h, s.o, &md, &gmo, 1, &byte, &n, &s.cc, &s.rc);
        if (s.cc == MQCC_FAILED)
            break;
    }
    return taken;
}

int QueueDepth(const char *qmgr, const char *queue)
{
    MQLONG depth = -1;
    return Inquire(qmgr, queue, MQIA_CURRENT_Q_DEPTH, &depth, nullptr) ? (int)depth : -1;
}

std::string QueueDesc(const char *qmgr, const char *queue)
{
    std::string t;
    return Inquire(qmgr, queue, MQCA_Q_DESC, nullptr, &t) ? t : "(no queue)";
}

std::string QmgrDesc(const char *qmgr)
{
    std::string t;
    return Inquire(qmgr, nullptr, MQCA_Q_MGR_DESC, nullptr, &t) ? t : "(no queue manager)";
}

/* RESET QUEUE STATISTICS through the command server: the queue's count of
 * messages put since the last reset (which it resets again). */
int QueueEnqueuedSinceReset(const char *qmgr, const char *queue)
{
    MqiSession s(qmgr);
    if (!s.Open("SYSTEM.DEFAULT.MODEL.QUEUE", MQOO_INPUT_EXCLUSIVE))
        return -1;
    alignas(8) static char buffer[4096];
    void *area = buffer;
    MQPP pp;
    MQLONG command = 0, count = -1;
    PCFInitArea(&pp, &area, 0, (int32_t)sizeof buffer, 0, MQCMD_RESET_Q_STATS, &s.cc, &s.rc);
    PCFAddParm(&pp, MQCFT_STRING, MQCA_Q_NAME, queue, -1, 1, &s.cc, &s.rc);
    MQOD od = { MQOD_DEFAULT };
    MqiSession::Name(od.ObjectName, "SYSTEM.ADMIN.COMMAND.QUEUE", sizeof od.ObjectName);
    MQMD md = { MQMD_DEFAULT };
    MQPMO pmo = { MQPMO_DEFAULT };
    md.MsgType = MQMT_REQUEST;
    memcpy(md.Format, MQFMT_ADMIN, MQ_FORMAT_LENGTH);
    memcpy(md.ReplyToQ, s.od.ObjectName, sizeof md.ReplyToQ);     /* the dynamic queue made */
    pmo.Options = MQPMO_NO_SYNCPOINT;
    s.put1(s.h, &od, &md, &pmo, (MQLONG)pp.position, pp.message, &s.cc, &s.rc);
    MQMD rmd = { MQMD_DEFAULT };
    MQGMO gmo = { MQGMO_DEFAULT };
    gmo.Options = MQGMO_WAIT | MQGMO_NO_SYNCPOINT;
    gmo.WaitInterval = 5000;
    MQLONG length = 0;
    if (s.cc == MQCC_OK)
        s.get(s.h, s.o, &rmd, &gmo, (MQLONG)sizeof buffer, buffer, &length, &s.cc, &s.rc);
    if (s.cc != MQCC_OK)
        return -1;
    PCFInitParse(&pp, buffer, length, &command, &s.cc, &s.rc);
    for (MQLONG type, id, len, n; s.cc == MQCC_OK;) {
        void *v = nullptr;
        PCFGetNextParm(&pp, &type, &id, &v, &len, &n, &s.cc, &s.rc);
        if (s.cc == MQCC_OK && type == MQCFT_INTEGER && id == MQIA_MSG_ENQ_COUNT)
            count = *(MQLONG *)v;
    }
    return (int)count;
}

/* ---- the refresh worker ---- */

std::vector<RefreshCall> &Refreshes(void)
{
    static std::vector<RefreshCall> calls;
    return calls;
}

int AppRefresh(QMS *r, uint32_t bits, const char *prefix, int force)
{
    Refreshes().push_back({r ? r->qmName : "", prefix ? prefix : "", bits});
    return engineRefresh ? engineRefresh(r, bits, prefix, force) : 0;
}

/* The queue list has arrived and nothing is outstanding. */
static bool Settled(QMS *r)
{
    return (r->refreshMarks & RM_QUEUES_DONE) && !(r->refreshMarks & RM_BUSY);
}

bool AppRefreshDone(int ms, QMS *r)
{
    if (!r)
        r = demo;
    return PumpUntil([r] { return Settled(r); }, ms) && AppSettled(ms);
}

/* ---- the program at rest ---- */

static MQEFRAMELINK marker;             /* the link of no frame */
static std::atomic<int> markerBuilt, builds;
static int (*frameBuild)(void *frame);

/* The analyser's rebuild of a frame's lines, counted; the marker's only
 * noted (no frame has its link). */
static int CountedBuild(void *frame)
{
    if (frame == &marker) {
        markerBuilt = 1;
        return 0;
    }
    int rc = frameBuild ? frameBuild(frame) : 0;
    builds++;
    return rc;
}

static void WatchRebuilds(void)
{
    frameBuild = MQEHooks.qlistBuild;
    MQEHooks.qlistBuild = CountedBuild;
}

/* The analyser has served every request queued so far, and what they
 * posted here is taken: a rebuild of the marker queued behind them (the
 * thread serves its queue in order), waited for. */
static bool AnalyserCaughtUp(int ms)
{
    if (!(MQEProgramState() & PS_ANALYSER))
        return true;
    ThreadRequest t = {};
    t.kind = TRK_REBUILD;
    markerBuilt = 0;
    if (PostThreadRequest((QMS *)(void *)&marker, nullptr, TRF_ANALYSER | TRF_KIND, &t, nullptr, nullptr, 0))
        return false;
    return PumpUntil([] { return markerBuilt.load() != 0; }, ms);
}

/* Whether a location's connection is up: what it was asked can come. */
static bool Connected(const QMS *r)
{
    return r && (r->putThread.state & 0x4);
}

/* One of the program's own commands (a refresh, an inquiry: they are
 * handled by a callback) whose reply can come: of a connected location,
 * to its command server (not a broker's query), not a console's record.
 * A dialog's commands are waited for by the dialog's own mark: a broker
 * list waits for good where no broker runs. */
static bool Answerable(const IFCMD *r)
{
    return r->callback && !r->keep && !r->publish && Connected(r->location);
}

/* The program's commands still waiting for a reply that can come. */
static int Waiting(void)
{
    int n = 0;
    IfcmdHoldMatch([](const IFCMD *r, const void *count) {
        *(int *)count += Answerable(r);
        return 0;                        /* none held: only counted */
    }, &n);
    return n;
}

/* A dialog of a connected location whose request has not been answered. */
static bool DialogWaits(void)
{
    int waits = 0;
    PCFForEachDialog([](DialogWords *d, void *found) {
        *(int *)found |= (d->markFlags & DM_REQUEST_SENT) && Connected(d->first.location);
        return 0;
    }, &waits);
    return waits != 0;
}

bool AppSettled(int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    auto left = [&end] {
        auto n = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        return (int)std::max<long long>(n.count(), 0);
    };
    /* rounds until one in which the analyser built nothing and nothing
       was left posted: a reply's handler posts before its record goes,
       and a rebuild asked before the marker is built before it */
    auto late = [](const char *what) {
        fprintf(stderr, "AppSettled: %s (commands waiting %d, a dialog waiting %d, %d rebuilds)\n", what, Waiting(),
                DialogWaits(), builds.load());
        IfcmdHoldMatch([](const IFCMD *r, const void *) {
            if (Answerable(r))
                fprintf(stderr, "  command %u of %s: %u replies\n", r->command, r->location->qmName,
                        r->errorReplies + r->otherReplies);
            return 0;
        }, nullptr);
        return false;
    };
    for (;;) {
        if (!PumpUntil([] { return Waiting() == 0 && !DialogWaits(); }, left()))
            return late("replies still to come");
        int before = builds;
        if (!AnalyserCaughtUp(left()))
            return late("the analyser not caught up");
        bool posted = HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0;
        PumpAll();
        if (!posted && builds == before && Waiting() == 0 && !DialogWaits())
            return true;
    }
}

void StandInFault(const char *verb, MQLONG count, MQLONG reason)
{
    auto fault = (MQSimFault_FN)GetProcAddress(GetModuleHandleA("mqm.dll"), "MQSimFault");
    if (fault)
        fault((PMQCHAR)verb, count, reason, 0);
}

bool AppConnect(QMS *r)
{
    if (!r)
        r = AppDemo();
    if (!r)
        return false;
    if (!(r->putThread.state & 0x4))
        StartPutThread(r);
    return PumpUntil([r] { return (r->putThread.state & 0x4) && r->commandLevel > 0; }, 20000);
}

QMS *AppLocation(const char *qm)
{
    AppStart();
    QMS t;
    memset(&t, 0, sizeof t);
    InitLocationDefaults(&t);
    snprintf(t.qmName, sizeof t.qmName, "%s", qm);
    snprintf(t.locationName, sizeof t.locationName, "%s", qm);
    return LocCreate(&LocTree, &t, 0);
}

void AppRemoveLocation(QMS *r)
{
    if (r->putThread.state)
        EndPutThread(r, 0);
    PumpUntil([r] { return !((r->putThread.state | r->getThread.state) & QMSTHREAD_RUNNING); }, 20000);
    LocDelete(&LocTree, r, nullptr);
    AppSettled();
}

bool AppDemoExpanded(FrameWords *f)
{
    if (!PumpUntil([f] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000) || !AppConnect(demo))
        return false;
    cntLINE *line = FindLine(f, "RAVOLT.DEMO");
    if (!(line->flags & CNTL_EXPANDED) && !ExpandLine(f, line))
        return false;
    return AppRefreshDone() &&
           PumpUntil([f] { return FindLine(f, "DEMO.REQUEST") != nullptr; }, 5000);
}

/* ---- the tree read back ---- */

static std::string LineText(const cntLINE *l)
{
    std::string text;
    for (cntITEM *it = cntFirstItem(l); it; it = cntNextItem(it))
        if (it->type == CNTI_TEXT)
            text += it->text;
    size_t b = text.find_first_not_of(' ');
    return b == std::string::npos ? "" : text.substr(b);
}

static void Walk(cntLINE *l, int depth, bool visible, std::vector<TreeLine> &out)
{
    for (; l; l = l->next) {
        QMS *r;
        out.push_back({depth, LineText(l), ShellLineKind(l, &r), l});
        if (!visible || (l->flags & CNTL_EXPANDED))
            Walk(l->child, depth + 1, visible, out);
    }
}

std::vector<TreeLine> TreeLines(FrameWords *f, bool visibleOnly)
{
    std::vector<TreeLine> out;
    if (f && f->lines)
        Walk(f->lines->first, 0, visibleOnly, out);
    return out;
}

cntLINE *FindLine(FrameWords *f, const std::string &text)
{
    for (const TreeLine &l : TreeLines(f))
        if (l.text == text || l.text.rfind(text, 0) == 0)
            return l.line;
    return nullptr;
}

std::vector<std::string> ChildTexts(cntLINE *line)
{
    std::vector<std::string> out;
    for (cntLINE *c = line ? line->child : nullptr; c; c = c->next)
        out.push_back(LineText(c));
    return out;
}

CNTW *TreeRecord(FrameWords *f)
{
    return f && f->tree ? (CNTW *)GetWindowLongPtrA(f->tree, GWLP_USERDATA) : nullptr;
}

bool ExpandLine(FrameWords *f, cntLINE *line)
{
    if (!SendMessageA(f->panel, CN_EXPANDING, 0, (LPARAM)line))
        return false;
    line->flags |= CNTL_EXPANDED;
    if (f->lines)
        f->lines->flags |= 1;
    CNTW *rec = TreeRecord(f);
    cntSetFont(f->tree, rec ? rec->font : nullptr);
    return true;
}

FrameWords *AppDemoSelected(void)
{
    FrameWords *f = AppMain();
    if (!AppDemoExpanded(f))
        return nullptr;
    TreeRecord(f)->selLine = FindLine(f, "RAVOLT.DEMO");
    return f;
}

std::vector<std::string> MenuTexts(HMENU menu)
{
    std::vector<std::string> out;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
        char text[200] = "";
        GetMenuStringA(menu, (UINT)i, text, sizeof text, MF_BYPOSITION);
        out.push_back(text);
    }
    return out;
}

HMENU WindowsMenu(FrameWords *f)
{
    for (int i = 0, n = GetMenuItemCount(f->menu); i < n; i++) {
        HMENU sub = GetSubMenu(f->menu, i);
        if (sub && GetMenuState(sub, 651, MF_BYCOMMAND) != (UINT)-1)
            return sub;
    }
    return nullptr;
}

HWND AppWindow(const char *cls, const std::string &title)
{
    for (HWND w : WindowsOfClass(cls))
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() &&
            WindowText(w).find(title) != std::string::npos)
            return w;
    return nullptr;
}

/* ---- list windows ---- */

int RowOf(DialogWords *d, const char *queue)
{
    HWND list = PCFWnd(d->rightList);
    int n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        PCFROW *row = (PCFROW *)SendMessageA(list, LB_GETITEMDATA, (WPARAM)i, 0);
        int length = 0;
        const char *v = PCFParmText(d, row, nullptr, MQCA_Q_NAME, &length);
        std::string name = v ? std::string(v, (size_t)length) : "";
        name.erase(name.find_last_not_of(' ') + 1);
        if (name == queue)
            return i;
    }
    return -1;
}

void SelectRow(DialogWords *d, int index)
{
    HWND list = PCFWnd(d->rightList);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    SendMessageA(list, LB_SETSEL, TRUE, index);
    SendMessageA(PCFWnd(d->window), WM_COMMAND, MAKEWPARAM(1000, LBN_SELCHANGE), (LPARAM)list);
    PumpAll();
}

/* ---- keys and messages through the loop ---- */

void LoopMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    MSG m = {};
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    if (!ShellFilterMessage(&m))
        DispatchMessageA(&m);
}

void LoopKey(HWND hwnd, WPARAM vk, bool ctrl, bool shift, bool alt)
{
    BYTE keys[256], saved[256];
    GetKeyboardState(saved);
    memcpy(keys, saved, sizeof keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_MENU] = alt ? 0x80 : 0;
    SetKeyboardState(keys);
    LPARAM down = alt ? (1 << 29) : 0;
    LoopMessage(hwnd, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, down | 1);
    PumpAll();
    LoopMessage(hwnd, alt ? WM_SYSKEYUP : WM_KEYUP, vk, down | 0xC0000001);
    SetKeyboardState(saved);
    PumpAll();
}
