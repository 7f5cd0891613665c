/* Test helpers of the command engine (cmdtest.h). */
#include "cmdtest.h"
#include "locstore.h"
#include "../enginetest.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "cs.h"
#include "cmddlg.h"
#include "pcflists.h"
#include "mq/capability.h"

namespace cmdtest {

Hooks *H;

/* ---- the engine's hooks ---- */

/* A status text where the dialog window would show it: its own thread's
 * at once, after what the window has shown; another thread's is posted
 * and comes after those until the window takes its posts. */
static void Show(const Status &s)
{
    std::lock_guard<std::mutex> g(H->lock);
    if (std::this_thread::get_id() != H->owner) {
        H->statuses.push_back(s);
        return;
    }
    size_t at = std::min(H->shown, H->statuses.size());
    H->statuses.insert(H->statuses.begin() + (std::ptrdiff_t)at, s);
    H->shown = at + 1;
}

static void HStatus(void *, DialogWords *d, const char *text, QMS *location, uint32_t kind, int)
{
    Show({ d, text, location, kind });
}

static void HTitle(void *, DialogWords *, const char *suffix)
{
    std::lock_guard<std::mutex> g(H->lock);
    H->titles.push_back(suffix ? suffix : "");
}

static int HDialogMessage(void *, DialogWords *d, uint32_t message, uintptr_t wp, intptr_t lp, int send)
{
    std::lock_guard<std::mutex> g(H->lock);
    H->messages.push_back({ d, message, wp, lp, send });
    return 1;
}

static void HFrame(void *, uint32_t message, uintptr_t wp, QMS *location)
{
    FrameMsg m = { message, wp, location };
    std::function<void(const FrameMsg &)> fn;
    {
        std::lock_guard<std::mutex> g(H->lock);
        H->frames.push_back(m);
        fn = H->onFrame;
    }
    if (fn)
        fn(m);
}

static int Answer(void)
{
    std::lock_guard<std::mutex> g(H->lock);
    if (H->answers.empty())
        return 1;
    int a = H->answers.front();
    H->answers.pop_front();
    return a;
}

static int HConfirm(void *, DialogWords *, uint32_t style, const char *text, const char *name, uint32_t *options,
                    uint32_t bit)
{
    {
        std::lock_guard<std::mutex> g(H->lock);
        H->questions.push_back({ text ? text : "", name ? name : "", style, bit });
    }
    if (options && bit && !(*options & bit))
        return 1;
    return Answer();
}

static int HBox(void *, DialogWords *, const char *text, const char *caption, int yesNo)
{
    {
        std::lock_guard<std::mutex> g(H->lock);
        H->boxes.push_back(std::string(caption) + "|" + text);
    }
    return yesNo ? Answer() : 1;
}

static void HPostError(void *, const char *text)
{
    std::lock_guard<std::mutex> g(H->lock);
    H->errors.push_back(text);
}

static int HPostRequest(QMS *location, const SELECTIONINFO *sel, uint32_t flags, const ThreadRequest *templ,
                        const uint8_t *key, void *block, uint32_t length)
{
    int n;
    {
        std::lock_guard<std::mutex> g(H->lock);
        Sent s = { location, flags, {}, {}, std::string((const char *)block, length) };
        memcpy(&s.key, key, sizeof s.key);
        if (sel)
            s.selection = *sel;
        H->sent.push_back(s);
        n = ++H->posts;
        if (H->swallow) {
            CSFreeMem(block);
            return 0;
        }
    }
    if (n == H->failPost)
        return H->failReason;
    int rc = PostThreadRequest(location, sel, flags, templ, key, block, length);
    if (!rc && H->afterPost)
        H->afterPost();
    return rc;
}

/* An action that opens its own dialog: only noted. */
static void HDialogDialog(void *, DialogWords *, const PCFActionDef *a)
{
    std::lock_guard<std::mutex> g(H->lock);
    H->opened.push_back(a->id);
}

/* ---- the dialogs library's posts ---- */

static int HPost(void *, void *window, uint32_t message, uintptr_t wp, intptr_t lp)
{
    std::lock_guard<std::mutex> g(H->lock);
    DialogWords *d = (DialogWords *)window;     /* the test dialogs' windows are themselves */
    H->queued.push_back({ d, message, wp, lp, 0 });
    H->messages.push_back({ d, message, wp, 0, 0 });
    return 1;
}

static void HLibStatus(void *, DialogWords *d, const char *text, uint32_t flags)
{
    Show({ d, text ? text : "", nullptr, flags });
}

/* The rows a test selected, as the list window's selection would give
 * them (in row order). */
static std::map<DialogWords *, std::vector<PCFROW *>> Selections;

static int TestSelection(DialogWords *d, PCFROW **rows, int max)
{
    auto it = Selections.find(d);
    int n = it == Selections.end() ? 0 : (int)it->second.size();
    for (int i = 0; i < n && i < max; i++)
        rows[i] = it->second[(size_t)i];
    return n;
}

void Hooks::Install()
{
    H = this;
    owner = std::this_thread::get_id();
    PCFSetSelectionSource(TestSelection);
    CMDHOOKS c = {};
    c.status = HStatus;
    c.title = HTitle;
    c.dialogMessage = HDialogMessage;
    c.frameMessage = HFrame;
    c.confirm = HConfirm;
    c.box = HBox;
    c.postError = HPostError;
    c.postRequest = HPostRequest;
    c.dialogDialog = HDialogDialog;
    CmdSetHooks(&c);
    PCFHOOKS p = {};
    p.post = HPost;
    p.status = HLibStatus;
    CmdDialogHooks(&p);
    PCFSetHooks(&p);
}

void Hooks::Remove()
{
    Pump();
    PCFSetSelectionSource(nullptr);
    Selections.clear();
    CmdSetHooks(nullptr);
    PCFSetHooks(nullptr);
    H = nullptr;
}

void Hooks::Pump()
{
    std::vector<DlgMsg> take;
    {
        std::lock_guard<std::mutex> g(lock);
        take.swap(queued);
        shown = statuses.size();      /* the posted texts, taken in their order */
    }
    for (const DlgMsg &m : take) {
        if (m.message == UM_PCF_UPDATE_LIST)
            PCFTakeListArea(m.dialog, (PCFLISTREQ *)m.wParam, (PCFLISTAREA *)m.lParam);
        else if (m.message == UM_PCF_UPDATE_DIALOG)
            PCFTakeDialogData(m.dialog);
    }
}

std::vector<std::string> Hooks::Texts(DialogWords *d)
{
    std::lock_guard<std::mutex> g(lock);
    std::vector<std::string> out;
    for (const Status &s : statuses)
        if (!d || s.dialog == d)
            out.push_back(s.text);
    return out;
}

std::string Hooks::LastText(DialogWords *d)
{
    std::vector<std::string> t = Texts(d);
    return t.empty() ? "" : t.back();
}

size_t Hooks::Count(uint32_t message, DialogWords *d)
{
    std::lock_guard<std::mutex> g(lock);
    size_t n = 0;
    for (const DlgMsg &m : messages)
        n += m.message == message && (!d || m.dialog == d);
    return n;
}

size_t Hooks::Frames(uint32_t message, QMS *location)
{
    std::lock_guard<std::mutex> g(lock);
    size_t n = 0;
    for (const FrameMsg &m : frames)
        n += m.message == message && (!location || m.location == location);
    return n;
}

/* ---- dialogs ---- */

TestDialog::TestDialog(PCFCommandDef *def, QMS *location)
{
    PCFInitCommandDefs();
    DialogWords t = {};
    t.definition = def;
    t.first.location = location;
    t.first.caps = location ? location->caps : nullptr;
    t.listIndex = -1;
    d = GetDialogWords(&t, 0);
    d->window = d;
    d->addContext = PcfWinPrefs.addContext;         /* as the dialog window is made */
    d->updateContext = PcfWinPrefs.updateContext;
    d->dataArea = (uint8_t *)CSGetMem(def->dataSize ? def->dataSize : 1, "Dialog Data Area");
    PCFInitData(def, d->dataArea, d, 0, 0, 0);
    if (def->list)
        d->first.columns = def->list->current;
}

TestDialog::~TestDialog()
{
    if (H)
        H->Pump();
    FreeDialogWords(d);
}

int DoAction(Hooks &hooks, TestDialog &d, uint32_t action)
{
    hooks.Pump();                     /* a user acts once the window took its posts */
    size_t ends = hooks.Count(UM_PCF_UPDATE_DIALOG, d.d);
    int rc = PCFDoCommand(d.d, 0, 1, action, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    EXPECT_TRUE(WaitFor([&] {
        hooks.Pump();
        return IfcmdCount() == 0 && hooks.Count(UM_PCF_UPDATE_DIALOG, d.d) > ends &&
               hooks.LastText(d.d) != "Request sent...";
    })) << "action " << action << ": " << hooks.LastText(d.d);
    hooks.Pump();
    return rc;
}

std::string TestDialog::Value(uint32_t attrId)
{
    char buffer[600] = "";
    const char *v = PCFGetValueText(d, attrId, buffer, sizeof buffer);
    return v ? v : "";
}

int TestDialog::Rows()
{
    int n = 0;
    for (PCFROW *r = PCFFirstRow(d->first.replyArea); r; r = PCFNextRow(d->first.replyArea, r))
        n++;
    return n;
}

std::vector<std::string> TestDialog::Column(uint32_t attrId)
{
    std::vector<std::string> out;
    for (PCFROW *r = PCFFirstRow(d->first.replyArea); r; r = PCFNextRow(d->first.replyArea, r)) {
        uint8_t *v = FindItemAttr(d->first.replyArea, attrId, r);
        out.push_back(v ? std::string((const char *)v + PCFLV_TEXT, PCFListLength(v)) : "");
    }
    return out;
}

void TestDialog::Select(const std::vector<std::string> &names)
{
    std::vector<PCFROW *> &chosen = Selections[d];
    chosen.clear();
    for (PCFLISTREQ *q = d->lists ? d->lists : &d->first; q; q = q->next)
        for (PCFROW *r = PCFFirstRow(q->replyArea); r; r = PCFNextRow(q->replyArea, r)) {
            uint8_t *v = FindItemAttr(q->replyArea, MQCA_Q_NAME, r);
            std::string name = v ? std::string((const char *)v + PCFLV_TEXT, PCFListLength(v)) : "";
            for (const std::string &n : names)
                if (n == name)
                    chosen.push_back(r);
        }
}

void TestDialog::SelectFirst(int n)
{
    std::vector<PCFROW *> &chosen = Selections[d];
    chosen.clear();
    for (PCFROW *r = PCFFirstRow(d->first.replyArea); r && n-- > 0; r = PCFNextRow(d->first.replyArea, r))
        chosen.push_back(r);
}

/* ---- the location timer's wiring ---- */

static int TimerRefresh(void *, QMS *r, uint32_t bits, const char *prefix, int wait)
{
    return MQEHooks.requestRefresh(r, bits, prefix, wait);
}
static void TimerDownloadState(void *, QMS *r, uint32_t bits) { SetDownloadState(r, bits); }
static int TimerDownloading(void *, QMS *r) { return (DownloadState(r) & DL_RUNNING) != 0; }
static void TimerStartPut(void *, QMS *r) { StartPutThread(r); }
static void TimerFreeDownload(void *, QMS *r) { FreeDownloadData(r); }

void InstallTimerWiring(void)
{
    LOCTIMERHOOKS t = {};
    t.requestRefresh = TimerRefresh;
    t.startPutThread = TimerStartPut;
    t.setDownloadState = TimerDownloadState;
    t.downloading = TimerDownloading;
    t.freeDownloadData = TimerFreeDownload;
    LocSetTimerHooks(&t);
}

/* ---- locations and the fixture ---- */

Loc::Loc(const char *name, int32_t level)
{
    snprintf(q.qmName, sizeof q.qmName, "%s", name);
    q.platform = MQPL_WINDOWS_NT;
    q.commandLevel = level;
    q.authMask = ~0ull;
    CapSetForQmgr(q.caps, q.platform, level ? level : 940);
    if (level)
        q.refreshMarks = RM_QMGR_DONE;
}

Loc::~Loc()
{
    IfcmdPurge(0, &q, 1);
    LocFreeCache(&q, 0);
    LocFlushFreed();                 /* records a refresh left for later */
    MQEForgetLocation(&q);
    CSFreeMemAndClear(&q.lastError);
}

int64_t MemBlocks(void)
{
    CSMEMSTATS s;
    CSMemStats(&s);
    return s.blocks;
}

void CmdFixture::SetUp()
{
    PCFInitCommandDefs();
    hooks.Install();
    blocks = MemBlocks();
}

void CmdFixture::TearDown()
{
    hooks.Pump();
    IfcmdPurge(0, nullptr, 1);
    hooks.Remove();
    EXPECT_EQ(MemBlocks(), blocks);
}

/* ---- replies ---- */

MQMD ReplyMd(const CMDKEY &key)
{
    MQMD md = { MQMD_DEFAULT };
    md.MsgType = MQMT_REPLY;
    memcpy(md.Format, "MQADMIN ", 8);
    memcpy(md.MsgId, &key, sizeof key);
    return md;
}

void Feed(QMS *location, const CMDKEY &key, const Reply &reply)
{
    MQMD md = ReplyMd(key);
    std::string copy = reply.data;
    ProcessResponse(location, 0, &md, &copy[0], (uint32_t)copy.size());
}

std::vector<std::pair<int32_t, int32_t>> Parms(const uint8_t *message, uint32_t length)
{
    std::vector<std::pair<int32_t, int32_t>> out;
    MQPP pp;
    MQLONG cc, rc, type, id, len, count;
    void *value;
    PCFInitParse(&pp, message, (int32_t)length, nullptr, &cc, &rc);
    while (!cc) {
        PCFGetNextParm(&pp, &type, &id, &value, &len, &count, &cc, &rc);
        if (!cc)
            out.push_back({ type, id });
    }
    return out;
}

}  // namespace cmdtest
