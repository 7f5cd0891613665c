/* Opening a queue into a frame's panes: a queue line activated (the
 * panes shown with the queue and location, and the caption), the
 * start-up options "-m" and "-q", and a row of the message list opened
 * into the frame's message pane. */
#include <gtest/gtest.h>

#include "apptest.h"
#include "cmddlg.h"
#include "pcfwin.h"
#include "mq/command/command.h"
#include "shellint.h"
#include "edpane.h"
#include "mqi.h"
#include "mq/mqown.h"

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
        { 542, "RAVOLT.DEMO/Queue Manager" }, { 533, "RAVOLT.DEMO/Queue" },
        { 534, "RAVOLT.DEMO/Queue List" }, { 566, "RAVOLT.DEMO/Message List" },
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

/* The frame's message pane shows a text of the message's body. */
static bool PaneShows(FrameWords *f, const char *text)
{
    PCFDATA *ed = f->msgPane ? f->msgPane->editor : nullptr;
    for (int32_t i = 0; ed && i < ed->scroll.lineCount; i++) {
        const LINEDATA *l = EdGetLine(ed, i);
        if (l && l->text && std::string(l->text, l->textLength).find(text) != std::string::npos)
            return true;
    }
    return false;
}

/* A row of the frame's message list opened, by its Open command or by a
 * double click, shows that message in the frame's message pane (no
 * dialog of its own), with the row's position. */
TEST(AppQueue, AMessageListRowOpensInTheFramesMessagePane)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    ASSERT_TRUE(PutTexts("DEMO.REPLY", { "the first message to open", "the second message to open" }));
    cntLINE *q = FindLine(f, "DEMO.REPLY");
    ASSERT_NE(q, nullptr);
    TreeActivated(f, q);
    HWND listWnd = PCFWnd(f->listPane->window);
    HWND rows = ChildOfClass(listWnd, "ZKTLISTBOX");
    ASSERT_NE(rows, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(rows, LB_GETCOUNT, 0, 0) == 2; }, 20000));
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
}

/* ---- the frame's message pane as the user works in it ---- */

namespace wintest {
void AnswerConfirmation(int button, std::string *question);
}

/* The only message of a fresh queue opened into the frame's message pane
 * (a discard question answered yes); the pane's editor. */
static PCFDATA *OpenOnly(FrameWords *f, const char *queue, const std::string &text)
{
    if (AppMqsc("RAVOLT.DEMO", std::string("DEFINE QLOCAL(") + queue + ")\n") || !PutTexts(queue, { text.c_str() }))
        return nullptr;
    OpenQueueInFrame(f, AppDemo(), queue);
    HWND listWnd = PCFWnd(f->listPane->window), rows = ChildOfClass(listWnd, "ZKTLISTBOX");
    if (!rows || !PumpUntil([&] { return SendMessageA(rows, LB_GETCOUNT, 0, 0) == 1; }, 20000))
        return nullptr;
    LPARAM at = RowPoint(rows, 0);
    SendMessageA(rows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(rows, WM_LBUTTONUP, 0, at);
    std::string asked;
    wintest::AnswerConfirmation(1, &asked);
    SendMessageA(listWnd, WM_COMMAND, 596, 0);
    PCFDATA *ed = f->msgPane->editor;
    bool shown = PumpUntil([&] { return ed->data.length && ed->data.data[0] == (unsigned char)text[0] &&
                                        (ed->data.length == text.size() || ed->data.length == 10000); }, 20000);
    if (asked.empty())                    /* no question came: the answer's timer goes */
        wintest::AnswerConfirmation(0, nullptr);
    return shown ? ed : nullptr;
}

static std::string DataText(const PCFDATA *ed)
{
    return std::string((const char *)ed->data.data, ed->data.length);
}

static int32_t LineOf(PCFDATA *ed, const char *text)
{
    for (int32_t i = 0; i < ed->scroll.lineCount; i++)
        if (const LINEDATA *l = EdGetLine(ed, i))
            if (std::string(l->text, l->textLength).find(text) != std::string::npos)
                return i;
    return -1;
}

/* A click at a column of the line holding text. */
static void ClickAt(FrameWords *f, const char *text, int32_t column)
{
    PCFDATA *ed = f->msgPane->editor;
    int32_t line = LineOf(ed, text);
    int cell = edHost.cellWidth(ed, 850);
    LPARAM at = MAKELPARAM(column * cell + cell / 2, (line - ed->scroll.top) * ed->scroll.lineHeight + 2);
    SendMessageA(PCFWnd(f->msgPane->dataWindow), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(PCFWnd(f->msgPane->dataWindow), WM_LBUTTONUP, 0, at);
}

/* The id of an item of the message dialog's "Add Structure" or "Remove
 * Structure" menu (filled as the menu opens) whose text begins so. */
static UINT StructureItem(FrameWords *f, const char *menu, const char *text)
{
    HMENU bar = (HMENU)f->msgPane->menu;
    SendMessageA(PCFWnd(f->msgPane->window), WM_INITMENU, (WPARAM)bar, 0);
    std::function<UINT(HMENU)> find = [&](HMENU m) -> UINT {
        for (int i = 0; i < GetMenuItemCount(m); i++) {
            char item[120] = "";
            GetMenuStringA(m, (UINT)i, item, sizeof item, MF_BYPOSITION);
            if (HMENU sub = GetSubMenu(m, i)) {
                if (UINT id = find(sub))
                    return id;
            } else if (!strncmp(item, text, strlen(text))) {
                return GetMenuItemID(m, i);
            }
        }
        return 0;
    };
    for (int i = 0; i < GetMenuItemCount(bar); i++) {
        char item[120] = "";
        GetMenuStringA(bar, (UINT)i, item, sizeof item, MF_BYPOSITION);
        if (strstr(item, menu) && GetSubMenu(bar, i))
            return find(GetSubMenu(bar, i));
    }
    return 0;
}

/* What the message loop hands the frame's message pane, and the commands
 * of its dialog's menus: Return types a line end, Ctrl+Home and Tab move
 * in the editor (the focus stays), the structure menus add and remove a
 * header, and a message read in part is read whole when the user agrees
 * to edit it. */
TEST(AppQueue, TheFramesMessagePaneTakesItsKeysAndItsMenus)
{
    FrameWords *f = AppMain();
    ASSERT_TRUE(AppDemoExpanded(f));
    HWND pane = PCFWnd(f->msgPane->dataWindow);
    struct Row {
        const char *name, *queue;
        std::string text;
        std::function<void(PCFDATA *)> act;
        std::function<bool(PCFDATA *)> shows;
    } rows[] = {
        { "Return", "PANE.RETURN", "abc", [&](PCFDATA *) { ClickAt(f, "abc", 1); LoopKey(pane, VK_RETURN); },
          [](PCFDATA *ed) { return DataText(ed) == "a\nbc"; } },
        { "Ctrl+Home", "PANE.HOME", "abc", [&](PCFDATA *) { ClickAt(f, "abc", 2); LoopKey(pane, VK_HOME, true); },
          [&](PCFDATA *ed) { return ed->cursor.line == 0 && ed->cursor.column == 0 && GetFocus() == pane; } },
        { "Tab", "PANE.TAB", "abc", [&](PCFDATA *) { ClickAt(f, "Message Content", 0); LoopKey(pane, VK_TAB); },
          [&](PCFDATA *ed) { return ed->cursor.line == LineOf(ed, "abc") && GetFocus() == pane; } },
        { "Add Structure", "PANE.ADD", "abc",
          [&](PCFDATA *) {
              ClickAt(f, "abc", 0);
              SendMessageA(PCFWnd(f->msgPane->window), WM_COMMAND, StructureItem(f, "Add", "Dead Letter"), 0);
          },
          [](PCFDATA *ed) {
              return !memcmp(ed->descriptor.data + 32, "MQDEAD  ", 8) && DataText(ed).substr(0, 4) == "DLH " &&
                     DataText(ed).substr(116, 8) == "MQSTR   ";
          } },
        { "Remove Structure", "PANE.ADD", "",
          [&](PCFDATA *) {
              ClickAt(f, "Reason", 0);
              SendMessageA(PCFWnd(f->msgPane->window), WM_COMMAND, StructureItem(f, "Re&move", "Remove Structure"), 0);
          },
          [](PCFDATA *ed) { return !memcmp(ed->descriptor.data + 32, "MQSTR   ", 8) && DataText(ed) == "abc"; } },
        { "Whole message", "PANE.WHOLE", std::string(30000, 'w'),
          [&](PCFDATA *ed) {
              ASSERT_EQ(ed->data.length, 10000u);
              std::string asked;
              wintest::AnswerConfirmation(1, &asked);
              ClickAt(f, "www", 1);
              LoopMessage(pane, WM_CHAR, 'v', 1);
              EXPECT_EQ(asked.rfind("In order to edit the message you must have the entire message", 0), 0u);
          },
          [](PCFDATA *ed) { return ed->data.length == 30000; } },
    };
    for (Row &r : rows) {
        SCOPED_TRACE(r.name);
        PCFDATA *ed = r.text.empty() ? f->msgPane->editor : OpenOnly(f, r.queue, r.text);
        ASSERT_NE(ed, nullptr);
        r.act(ed);
        EXPECT_TRUE(PumpUntil([&] { return r.shows(ed); }, 10000)) << DataText(ed).substr(0, 60);
    }
}
