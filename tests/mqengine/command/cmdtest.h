/* Test helpers of the command engine: recorders of the engine's window
 * hooks and of the dialogs library's posts (taken over on the test's
 * thread as the dialog window would), headless dialogs on the real
 * definitions, PCF replies built byte by byte, and a reply that names a
 * command in flight. */
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "command.h"
#include "loccache.h"
#include "mq/mqconst.h"
#include "cmddlg.h"
#include "dialogs/dlgtest.h"          /* Reply: PCF messages byte by byte */

namespace cmdtest {

using dlgtest::Reply;

struct Status {
    DialogWords *dialog;
    std::string text;
    QMS *location;
    uint32_t kind;
};
struct DlgMsg {
    DialogWords *dialog;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    int send;
};
struct FrameMsg {
    uint32_t message;
    uintptr_t wParam;
    QMS *location;
};
struct Question {
    std::string text, name;
    uint32_t style, bit;
};

/* A thread request the engine asked for. */
struct Sent {
    QMS *location;
    uint32_t flags;
    CMDKEY key;
    SELECTIONINFO selection;
    std::string data;
};

/* What reached the windows. */
struct Hooks {
    std::mutex lock;
    /* The status texts in the order the dialog window shows them: its own
       thread's at once, another thread's (posted to the window) after
       every text shown before the window next takes its posts (Pump). */
    std::vector<Status> statuses;
    size_t shown = 0;                 /* statuses[0, shown) taken by the window */
    std::thread::id owner;            /* the dialog window's thread: the installer's */
    std::vector<std::string> titles;
    std::vector<DlgMsg> messages;     /* the engine's and the library's, in order */
    std::vector<FrameMsg> frames;
    std::vector<Question> questions;
    std::vector<std::string> boxes, errors;
    std::deque<int> answers;          /* answers of questions and boxes (then yes) */
    int failPost = 0;                 /* the n-th thread request fails */
    MQLONG failReason = MQRC_Q_FULL;
    int posts = 0;
    int swallow = 0;                  /* thread requests are taken and dropped */
    std::vector<Sent> sent;
    std::function<void(const FrameMsg &)> onFrame;
    std::function<void()> afterPost;  /* run when a thread request was queued, before the sender goes on */
    std::vector<DlgMsg> queued;       /* library posts not yet taken over */
    std::vector<uint32_t> opened;     /* actions that opened their own dialog */

    void Install();
    void Remove();
    /* The window's part: posted list and data areas taken over. */
    void Pump();
    std::vector<std::string> Texts(DialogWords *d = nullptr);
    std::string LastText(DialogWords *d = nullptr);
    size_t Count(uint32_t message, DialogWords *d = nullptr);
    size_t Frames(uint32_t message, QMS *location = nullptr);
};
extern Hooks *H;

/* A dialog without a window on a real definition (its data area with
 * the definition's defaults). */
struct TestDialog {
    DialogWords *d = nullptr;
    TestDialog(PCFCommandDef *def, QMS *location);
    ~TestDialog();
    DialogWords *operator->() { return d; }
    std::string Value(uint32_t attrId);
    void Set(uint32_t attrId, const std::string &text) { PCFSetFieldText(d, attrId, text.c_str()); }
    /* The rows of the first list taken over. */
    int Rows();
    std::vector<std::string> Column(uint32_t attrId);
    /* Marks rows selected by their object name, in every list of the dialog. */
    void Select(const std::vector<std::string> &names);
    /* Marks the first n rows selected (rows without an object name). */
    void SelectFirst(int n);
};

/* The action of a dialog, waited for to its end: no command in flight,
 * the dialog told its data changed, and its last text (as the window
 * shows it) other than the notice of a request sent.  What the window
 * would take meanwhile is taken (a command may go on from there). */
int DoAction(Hooks &hooks, TestDialog &d, uint32_t action);

/* A location outside the location tree, a Windows queue manager of a
 * level (0: not yet known). */
struct Loc {
    QMS q = {};
    explicit Loc(const char *name, int32_t level = 940);
    ~Loc();
    QMS *operator&() { return &q; }
};

/* Blocks of the program's allocator now held. */
int64_t MemBlocks(void);

/* The window-free tests: the hooks recorded, every command in flight
 * gone and nothing left over at the end. */
struct CmdFixture : ::testing::Test {
    Hooks hooks;
    int64_t blocks = 0;
    void SetUp() override;
    void TearDown() override;
};

/* The location timer's hooks as the shell installs them: its refresh
 * requests (the wait given as the engine's force), the download state,
 * the put thread and the stored defaults go to the engine. */
void InstallTimerWiring(void);

/* A reply message descriptor carrying a key. */
MQMD ReplyMd(const CMDKEY &key);
/* Feeds a reply to ProcessResponse. */
void Feed(QMS *location, const CMDKEY &key, const Reply &reply);
/* The PCF parameters of a built request: (type, id) pairs. */
std::vector<std::pair<int32_t, int32_t>> Parms(const uint8_t *message, uint32_t length);

}  // namespace cmdtest

/* The queue records a location keeps (those not marked for removal). */
inline int32_t QueueRecords(QMS *r)
{
    LOCCACHES *c = (LOCCACHES *)r->objectCaches;
    int32_t n = 0;
    for (CSTREE *e = c ? CSTreeFirst(c->queues) : nullptr; e; e = e->next)
        n += !(((QINFO *)e)->flags & QI_REMOVE);
    return n;
}
