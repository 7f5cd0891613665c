/* Opening a queue into a frame's panes: a queue line activated (the
 * panes shown with the queue and location, the caption and who draws its
 * texts), a queue line opened by the Alt-key option, the Objects menu and
 * the location menu's pictures, the start-up options "-m" and "-q", and a
 * row of the message list opened into the frame's message pane. */
#include <gtest/gtest.h>

#include "apptest.h"
#include "cmddlg.h"
#include "pcfwin.h"
#include "pcflistwin.h"
#include "command.h"
#include "shellint.h"
#include "edpane.h"
#include "mqi.h"
#include "mq/mqown.h"
#include "mqsim.h"
#include "prfdata.h"
#include "tktoolbar.h"

#include <cstring>
#include <functional>

static std::string PaneQueue(DialogWords *d)
{
    char text[64] = "";
    const char *q = PCFGetValueText(d, 2016, text, sizeof text);
    return q ? q : "";
}

TEST(AppQueue, ActivatingAQueueLineFillsBothPanes)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    cntLINE *q = FindLine(f, "DEMO.REQUEST");
    ASSERT_NE(q, nullptr);
    TreeActivated(f, q);
    PumpAll();
    EXPECT_EQ(PaneQueue(f->listPane), "DEMO.REQUEST");
    EXPECT_EQ(PaneQueue(f->msgPane), "DEMO.REQUEST");
    EXPECT_EQ(f->listPane->first.location, AppDemo());
    EXPECT_EQ(f->msgPane->first.location, AppDemo());
    EXPECT_TRUE(IsWindowVisible(PCFWnd(f->listPane->window)));
    EXPECT_EQ(WindowText(f->window), "Ravolt - [RAVOLT.DEMO/DEMO.REQUEST]");
    GalleryDialogShot(f->window, "frame_queue_open");

    /* the frame draws the list's caption texts itself only with the time
     * on the right, and not at all without a time */
    CaptionTexts *texts = PCFCaptionTexts(f->listPane);
    ASSERT_NE(texts, nullptr);
    const uint32_t po1 = Prf.po[0], po3 = Prf.po[2];
    const struct { uint32_t po1, po3, active; } captions[] = {
        { 0, 0, 7 }, { 0, PO3_TIME_ON_RIGHT, 1 }, { PO1_NO_TITLE_TIME, PO3_TIME_ON_RIGHT, 7 },
    };
    for (const auto &c : captions) {
        Prf.po[0] = (po1 & ~(uint32_t)PO1_NO_TITLE_TIME) | c.po1;
        Prf.po[2] = (po3 & ~(uint32_t)PO3_TIME_ON_RIGHT) | c.po3;
        texts->active = 7;
        SendMessageA(f->window, WM_NCACTIVATE, 1, 0);
        EXPECT_EQ(texts->active, c.active) << c.po1 << "/" << c.po3;
    }
    Prf.po[0] = po1;
    Prf.po[2] = po3;

    /* an alias queue's picture: the Queue dialog of its own type finds it */
    ASSERT_EQ(QLineOpen(f->tree, FindLine(f, "DEMO.ALIAS")), 1);
    HWND dialog = nullptr;
    std::string status;
    PumpUntil([&] {
        dialog = AppWindow(PCF_CLASS_COMMAND, "RAVOLT.DEMO/Queue");
        status = dialog ? WindowText(PCFWnd(PCFDialogOf(dialog)->statusWindow)) : "";
        return !status.empty() && status.find("Request sent") == std::string::npos;
    }, 15000);
    EXPECT_EQ(status, "Display refreshed");
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    PumpAll();

    /* a local queue opens as its Queue dialog, or as its Message List with
     * the Alt-key option turned round */
    const struct { uint32_t alt; const char *title, *other; } opens[] = {
        { 0, "RAVOLT.DEMO/Queue", "RAVOLT.DEMO/Message List" },
        { PO1_ALT_KEY, "RAVOLT.DEMO/Message List", "RAVOLT.DEMO/Queue" },
    };
    for (const auto &o : opens) {
        Prf.po[0] = (po1 & ~(uint32_t)PO1_ALT_KEY) | o.alt;
        ASSERT_EQ(QLineOpen(f->tree, FindLine(f, "DEMO.REQUEST")), 1);
        Prf.po[0] = po1;
        PumpAll();
        dialog = AppWindow(PCF_CLASS_COMMAND, o.title);
        EXPECT_NE(dialog, nullptr) << o.title;
        EXPECT_EQ(AppWindow(PCF_CLASS_COMMAND, o.other), nullptr) << o.title;
        if (dialog)
            SendMessageA(dialog, WM_CLOSE, 0, 0);
        PumpAll();
    }
}

/* The Objects menu opens its object and list dialogs for the location
 * selected in the tree: Queue Manager, Queue, Queue List, Message List. */
TEST(AppQueue, TheObjectsMenuOpensItsDialogsForTheSelectedLocation)
{
    FrameWords *f = AppMain();
    PumpUntil([&] { return FindLine(f, "RAVOLT.DEMO") != nullptr; }, 5000);
    cntLINE *demo = FindLine(f, "RAVOLT.DEMO");
    ASSERT_NE(demo, nullptr);
    CNTW *tree = TreeRecord(f);
    ASSERT_NE(tree, nullptr);
    cntLINE *was = tree->selLine;
    tree->selLine = demo;
    const struct { int32_t id; const char *title; } items[] = {
        /* an empty caption tag keeps its brackets */
        { 542, "[] RAVOLT.DEMO/Queue Manager" }, { 533, "[] RAVOLT.DEMO/Queue" },
        { 534, "[] RAVOLT.DEMO/Queue List '*'" }, { 566, "[] RAVOLT.DEMO/Message List" },
    };
    for (const auto &item : items) {
        FrameCommand(f, item.id);
        PumpAll();
        HWND found = nullptr;
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, PCF_CLASS_COMMAND, nullptr)) != nullptr;) {
            /* ours only: other test programs share the display */
            if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() &&
                WindowText(w).find(item.title) != std::string::npos)
                found = w;
        }
        EXPECT_NE(found, nullptr) << "menu item " << item.id << " opened no " << item.title;
        if (found)
            SendMessageA(found, WM_CLOSE, 0, 0);
        PumpAll();
    }
    /* status pictures in the location's menu only with "menu bitmaps" */
    HMENU popup = CreatePopupMenu();
    const uint32_t po1 = Prf.po[0];
    for (uint32_t bitmaps : { 0u, (uint32_t)PO1_MENU_BITMAPS }) {
        Prf.po[0] = (po1 & ~(uint32_t)PO1_MENU_BITMAPS) | bitmaps;
        LocContextMenu(AppDemo(), f->panel, 2, popup, 1);
        MENUITEMINFOA mi = { sizeof mi };
        mi.fMask = MIIM_BITMAP;
        ASSERT_TRUE(GetMenuItemInfoA(popup, 749, FALSE, &mi));        /* "Open Location" */
        EXPECT_EQ(mi.hbmpItem != nullptr, bitmaps != 0);
    }
    Prf.po[0] = po1;
    DestroyMenu(popup);
    tree->selLine = was;
}

/* "-m" and "-q": the queue opens in the main frame once the location's
 * queue list has arrived; a queue manager without a location, and a queue
 * that is no local queue, say so in a box. */
TEST(AppQueue, StartupOptionsOpenTheirQueueOrSayWhatIsWrong)
{
    FrameWords *f = AppMain();
    Boxes().clear();
    strcpy(ShellOptions.qmName, "NO.SUCH.QM");
    strcpy(ShellOptions.queue, "START.Q");
    OpenStartupQMgr(f->window);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Ravolt does not have a definition of Queue Manager 'NO.SUCH.QM'.");
    EXPECT_EQ(Boxes()[0].caption, "Ravolt Error");
    EXPECT_STREQ(ShellOptions.qmName, "");
    EXPECT_STREQ(ShellOptions.queue, "");

    /* as at start-up: a location not yet connected */
    ASSERT_EQ(AppMqsc("RAVOLT.START", "DEFINE QLOCAL(START.Q)\nDEFINE QALIAS(START.ALIAS) TARGET(START.Q)\n"), 0);
    QMS *r = AppLocation("RAVOLT.START");
    ASSERT_NE(r, nullptr);
    Boxes().clear();
    Refreshes().clear();
    strcpy(ShellOptions.qmName, "RAVOLT.START");
    strcpy(ShellOptions.queue, "START.ALIAS");
    OpenStartupQMgr(f->window);
    ASSERT_EQ(Refreshes().size(), 1u);
    EXPECT_EQ(Refreshes()[0].bits, (uint32_t)RK_QUEUES);
    ASSERT_TRUE(AppConnect(r));
    ASSERT_TRUE(PumpUntil([] { return !Boxes().empty(); }, 20000));
    EXPECT_EQ(Boxes()[0].text, "Queue 'START.ALIAS' on Queue Manager 'RAVOLT.START' is not a local queue.");
    ASSERT_TRUE(AppRefreshDone(20000, r));

    ASSERT_EQ(AppMqsc("RAVOLT.START", "DEFINE QLOCAL(START.NEW)\n"), 0);
    strcpy(ShellOptions.qmName, "RAVOLT.START");
    strcpy(ShellOptions.queue, "START.NEW");
    OpenStartupQMgr(f->window);
    ASSERT_TRUE(PumpUntil([&] { return PaneQueue(f->listPane) == "START.NEW"; }, 20000));
    EXPECT_EQ(PaneQueue(f->msgPane), "START.NEW");
    EXPECT_EQ(f->listPane->first.location, r);
    EXPECT_STREQ(ShellOptions.queue, "");
    ASSERT_TRUE(AppRefreshDone(20000, r));
    AppRemoveLocation(r);
}

/* ---- a message opened from the frame's message list ---- */

/* Texts put on a queue of RAVOLT.DEMO through the stand-in's MQI. */
static bool PutTexts(const char *queue, std::initializer_list<const char *> texts)
{
    return AppPut("RAVOLT.DEMO", queue, texts);
}

/* The first descendant window of a class. */
static HWND ChildOfClass(HWND parent, const char *cls)
{
    struct Find { const char *cls; HWND found; } find = { cls, nullptr };
    EnumChildWindows(parent, [](HWND w, LPARAM lp) -> BOOL {
        Find *f = (Find *)lp;
        char name[64] = "";
        GetClassNameA(w, name, sizeof name);
        if (strcmp(name, f->cls))
            return TRUE;
        f->found = w;
        return FALSE;
    }, (LPARAM)&find);
    return find.found;
}

/* The point of a row of a list box, in its client area. */
static LPARAM RowPoint(HWND list, int row)
{
    int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0)
        height = 16;
    int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    return MAKELPARAM(40, (row - top) * height + height / 2);
}

/* The line of the pane's editor showing a text, or -1. */
static int32_t LineOf(PCFDATA *ed, const char *text)
{
    for (int32_t i = 0; ed && i < ed->scroll.lineCount; i++)
        if (const LINEDATA *l = EdGetLine(ed, i))
            if (l->text && std::string(l->text, l->textLength).find(text) != std::string::npos)
                return i;
    return -1;
}

/* The frame's message pane shows a text of the message's body. */
static bool PaneShows(FrameWords *f, const char *text)
{
    return f->msgPane && LineOf(f->msgPane->editor, text) >= 0;
}

namespace wintest {
void AnswerConfirmation(int button, std::string *question);
}

/* A click at a column of the line of the frame's message pane holding text. */
static void ClickAt(FrameWords *f, const char *text, int32_t column)
{
    PCFDATA *ed = f->msgPane->editor;
    int cell = edHost.cellWidth(ed, 850);
    LPARAM at = MAKELPARAM(column * cell + cell / 2, (LineOf(ed, text) - ed->scroll.top) * ed->scroll.lineHeight + 2);
    SendMessageA(PCFWnd(f->msgPane->dataWindow), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(PCFWnd(f->msgPane->dataWindow), WM_LBUTTONUP, 0, at);
}

/* A row of the frame's message list opened, by its Open command or by a
 * double click, shows that message in the frame's message pane (no
 * dialog of its own), with the row's position.  The message loop leaves
 * Return, Ctrl+Home and Tab to the pane's editor; a message read in part
 * is read whole when the user agrees to edit it. */
TEST(AppQueue, AMessageListRowOpensInTheFramesMessagePane)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    static const std::string long30k(30000, 'w');
    ASSERT_TRUE(PutTexts("DEMO.REPLY", { "the first message to open", "the second message to open", long30k.c_str() }));
    cntLINE *q = FindLine(f, "DEMO.REPLY");
    ASSERT_NE(q, nullptr);
    TreeActivated(f, q);
    HWND listWnd = PCFWnd(f->listPane->window);
    HWND rows = ChildOfClass(listWnd, "ZKTLISTBOX");
    ASSERT_NE(rows, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(rows, LB_GETCOUNT, 0, 0) == 3; }, 20000));
    DialogWords *pane = f->msgPane;

    LPARAM at = RowPoint(rows, 1);
    SendMessageA(rows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(rows, WM_LBUTTONUP, 0, at);
    SendMessageA(listWnd, WM_COMMAND, 596, 0);
    EXPECT_TRUE(PumpUntil([&] { return PaneShows(f, "the second message to open"); }, 20000));
    EXPECT_EQ(f->msgPane, pane);
    char text[64] = "";
    const char *position = PCFGetValueText(pane, MYPCFA_POSITION, text, sizeof text);
    EXPECT_STREQ(position ? position : "", "2");
    GalleryDialogShot(f->window, "frame_message_opened");

    at = RowPoint(rows, 0);
    SendMessageA(rows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(rows, WM_LBUTTONUP, 0, at);
    SendMessageA(rows, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_TRUE(PumpUntil([&] { return PaneShows(f, "the first message to open"); }, 20000));
    EXPECT_EQ(f->msgPane, pane);

    PCFDATA *ed = pane->editor;
    HWND edit = PCFWnd(pane->dataWindow);
    ClickAt(f, "the first", 3);
    LoopKey(edit, VK_RETURN);
    EXPECT_TRUE(PaneShows(f, " first message to open") && LineOf(ed, "the first") < 0);
    ClickAt(f, "first message", 4);
    LoopKey(edit, VK_HOME, true);
    EXPECT_TRUE(ed->cursor.line == 0 && ed->cursor.column == 0);
    LoopKey(edit, VK_TAB);
    EXPECT_TRUE(ed->cursor.line == 1 && GetFocus() == edit);

    std::string asked;
    wintest::AnswerConfirmation(1, &asked);          /* the edit dropped */
    at = RowPoint(rows, 2);
    SendMessageA(rows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(rows, WM_LBUTTONUP, 0, at);
    SendMessageA(rows, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ASSERT_TRUE(PumpUntil([&] { return ed->data.length == 10000; }, 20000));
    wintest::AnswerConfirmation(1, &asked);          /* yes, read the whole message */
    ClickAt(f, "www", 1);
    LoopMessage(edit, WM_CHAR, 'v', 1);
    EXPECT_TRUE(PumpUntil([&] { return ed->data.length == 30000; }, 20000));
    EXPECT_NE(asked.find("the entire message retrieved"), std::string::npos) << asked;

    /* a page of one message typed into the list's range: the count says
       how many the queue holds (as the refreshed location reports it) */
    char count[40] = "", range[40] = "";
    PCFSetFieldText(f->listPane, MYPCFA_MSG_RANGE, "1,1");
    SendMessageA(listWnd, WM_COMMAND, 1, 0);
    FrameCommand(f, 508);                                     /* Refresh Information */
    PumpUntil([&] { return PCFCountText(f->listPane, count, sizeof count), !strcmp(count, "1 / 3"); }, 20000);
    EXPECT_STREQ(count, "1 / 3");
    /* Next Page, then another queue opened: it starts at its first page,
       and the pane no longer shows the first queue's message */
    ASSERT_TRUE(PutTexts("DEMO.MESSAGES", { "a message of another queue" }));
    SendMessageA(listWnd, WM_COMMAND, 6014, 0);                /* Range, Next Page */
    EXPECT_TRUE(PumpUntil([&] { return SendMessageA(rows, LB_GETCOUNT, 0, 0) == 1; }, 20000));
    TreeActivated(f, FindLine(f, "DEMO.MESSAGES"));
    EXPECT_TRUE(PumpUntil([&] { return SendMessageA(rows, LB_GETCOUNT, 0, 0) >= 1; }, 20000)) << "the page was kept";
    EXPECT_STREQ(PCFGetValueText(f->listPane, MYPCFA_MSG_RANGE, range, sizeof range), "1,1");
    EXPECT_FALSE(PaneShows(f, "the first message to open")) << "the pane kept the other queue's message";

    /* Update from the pane, twice: the second takes the message the first
       put, as the first took the one read; also when another message
       carries its id (the first Update's put stands behind it, where the
       id alone would find the other) and when its id ends in a zero byte.
       When the message put cannot be found again (the first look for it
       fails), the second Update is refused and nothing more is replaced. */
    PCFSetFieldText(f->listPane, MYPCFA_MSG_RANGE, "");
    TreeActivated(f, FindLine(f, "DEMO.REPLY"));
    auto listed = [&](int index) {
        PCFROW *row = (PCFROW *)SendMessageA(rows, LB_GETITEMDATA, (WPARAM)index, 0);
        int length = 0;
        const char *v = row && row != (PCFROW *)LB_ERR ? PCFParmText(f->listPane, row, nullptr, MYPCFA_MESSAGE, &length)
                                                       : nullptr;
        return v ? std::string(v, (size_t)length) : std::string();
    };
    auto queueShows = [&](const std::vector<std::string> &want) {
        if (SendMessageA(rows, LB_GETCOUNT, 0, 0) != (LRESULT)want.size())
            return false;
        for (size_t i = 0; i < want.size(); i++)
            if (listed((int)i) != want[i])
                return false;
        return true;
    };
    auto shown = [&] {
        std::string all;
        for (int i = 0; i < (int)SendMessageA(rows, LB_GETCOUNT, 0, 0); i++)
            all += "[" + listed(i) + "]";
        return all;
    };
    const struct {
        const char *what;
        std::vector<std::string> put;
        std::string id;                       /* "" the queue manager's own */
        std::vector<std::string> afterU, afterX;
        int lostAt;                           /* the MQGET that fails in the first Update, 0 none */
        std::string refused;                  /* the second Update's status when refused */
    } updates[] = {
        { "own id", { "update me" }, "", { "Update me" }, { "Xpdate me" }, 0, "" },
        { "shared id", { "update me", "the other one" }, "ABCDEFGHIJKLMNOPQRSTUVWX",
          { "the other one", "Update me" }, { "the other one", "Xpdate me" }, 0, "" },
        { "id ending in 0", { "update me" }, std::string("ABCDEFGHIJKLMNOPQRSTUVW") + '\0', { "Update me" },
          { "Xpdate me" }, 0, "" },
        { "put not found", { "update me", "the other one" }, "ABCDEFGHIJKLMNOPQRSTUVWX",
          { "the other one", "Update me" }, { "the other one", "Update me" }, 5,
          "Message is no longer on the queue" },
    };
    auto faultAt = (MQSimFaultAt_FN)GetProcAddress(GetModuleHandleA("mqm.dll"), "MQSimFaultAt");
    ASSERT_NE(faultAt, nullptr);
    for (const auto &u : updates) {
        ASSERT_GE(AppTakeAll("RAVOLT.DEMO", "DEMO.REPLY"), 0);
        ASSERT_TRUE(AppPutData("RAVOLT.DEMO", "DEMO.REPLY", MQFMT_STRING, u.put, 0, 0, u.id));
        SendMessageA(listWnd, WM_COMMAND, 1, 0);
        ASSERT_TRUE(PumpUntil([&] { return queueShows(u.put); }, 20000)) << u.what << ": " << shown();
        at = RowPoint(rows, 0);
        SendMessageA(rows, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(rows, WM_LBUTTONUP, 0, at);
        SendMessageA(rows, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ASSERT_TRUE(PumpUntil([&] { return PaneShows(f, "update me"); }, 20000)) << u.what;
        for (const char *typed : { "U", "X" }) {
            ClickAt(f, "pdate me", 0);
            ed->insertMode = 0;
            LoopMessage(edit, WM_CHAR, (WPARAM)typed[0], 1);
            wintest::AnswerConfirmation(1, &asked);
            SetWindowTextA(PCFWnd(pane->statusWindow), "");
            if (typed[0] == 'U' && u.lostAt)          /* the messages with the id, the end, the one read */
                faultAt((PMQCHAR) "MQGET", (PMQCHAR) "RAVOLT.DEMO", u.lostAt, 1, MQRC_NO_MSG_AVAILABLE);
            SendMessageA(PCFWnd(pane->window), WM_COMMAND, 946, 0);
            std::string status;
            PumpUntil([&] {
                status = WindowText(PCFWnd(pane->statusWindow));
                return !status.empty() && status != "Request sent...";
            }, 20000);
            bool refused = typed[0] == 'X' && !u.refused.empty();
            EXPECT_EQ(status, refused ? u.refused : "1 message updated") << u.what << ", Update " << typed;
            const std::vector<std::string> &want = typed[0] == 'U' ? u.afterU : u.afterX;
            SendMessageA(listWnd, WM_COMMAND, 1, 0);
            EXPECT_TRUE(PumpUntil([&] { return queueShows(want); }, 20000))
                << u.what << ", Update " << typed << ": the queue holds " << shown();
        }
    }
}
