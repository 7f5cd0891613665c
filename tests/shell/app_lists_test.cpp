/* The frame's lists as a user reaches them: the Objects menu's "Default
 * Lists" opening their lists, a Queue List opened from the menu filled
 * at once with its column titles kept through a refresh, and a Queue
 * List row's "Put..." and "Browse" opening the put window and the
 * queue's Message List; the MQSC console opened from the location's
 * context menu and from the Objects menu, running a command; a new
 * frame's hidden panes painted. */
#include <gtest/gtest.h>

#include "apptest.h"
#include "cmddlg.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "mq/mqsc/consolewnd.h"
#include "shellint.h"
#include "tkharness.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

/* Our own top-level windows of a class whose title holds a text. */
HWND OwnWindow(const char *cls, const std::string &title)
{
    for (HWND w : WindowsOfClass(cls))
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() &&
            WindowText(w).find(title) != std::string::npos)
            return w;
    return nullptr;
}

/* RAVOLT.DEMO selected in the main frame's tree. */
FrameWords *DemoSelected(void)
{
    FrameWords *f = AppMain();
    if (!AppDemoExpanded(f))
        return nullptr;
    TreeRecord(f)->selLine = FindLine(f, "RAVOLT.DEMO");
    return f;
}

/* A list dialog of a definition opened from the frame's menu, its rows in. */
DialogWords *OpenFromMenu(FrameWords *f, int32_t id, PCFCommandDef *def)
{
    FrameCommand(f, id);
    PumpAll();
    DialogWords *found = nullptr;
    PumpUntil([&] {
        for (DialogWords *d = PCFOpenDialogs; d; d = d->next)
            if (d->definition == def && !d->ownerSlot && d->rightList &&
                SendMessageA(PCFWnd(d->rightList), LB_GETCOUNT, 0, 0) > 0)
                found = d;
        return found != nullptr;
    }, 20000);
    return found;
}

std::vector<std::string> Titles(DialogWords *d)
{
    std::vector<std::string> out;
    uint32_t mode = (d->stateFlags & DF_TITLE_MODES) ? 0 : DF_TITLE_AUTO;
    for (PCFLISTENTRY *c = PCFDialogColumns(d); c && c->field; c++)
        if (PCFColumnShown(d, c->flags))
            out.push_back(PCFFieldTitle(d, mode, c));
    return out;
}

/* The row of a queue in a list window, or -1. */
int RowOf(DialogWords *d, const char *queue)
{
    HWND list = PCFWnd(d->rightList);
    int n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        PCFROW *row = (PCFROW *)SendMessageA(list, LB_GETITEMDATA, (WPARAM)i, 0);
        int length = 0;
        const char *v = PCFParmText(d, row, nullptr, 2016, &length);
        std::string name = v ? std::string(v, (size_t)length) : "";
        name.erase(name.find_last_not_of(' ') + 1);
        if (name == queue)
            return i;
    }
    return -1;
}

/* A click on a row, brought into view first. */
void ClickRow(DialogWords *d, int index)
{
    HWND list = PCFWnd(d->rightList);
    SendMessageA(list, LB_SETTOPINDEX, (WPARAM)index, 0);
    PumpAll();
    int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    Click(list, 30, (index - top) * height + height / 2);
    PumpAll();
}

}  // namespace

TEST(AppLists, TheDefaultListsMenuOpensEachOfItsLists)
{
    FrameWords *f = DemoSelected();
    ASSERT_NE(f, nullptr);
    SendMessageA(f->window, WM_INITMENU, (WPARAM)f->menu, 0);
    HMENU lists = nullptr;
    for (int i = 0; i < GetMenuItemCount(f->menu) && !lists; i++) {
        HMENU sub = GetSubMenu(f->menu, i);
        for (int j = 0; sub && j < GetMenuItemCount(sub); j++) {
            char text[64] = "";
            GetMenuStringA(sub, (UINT)j, text, sizeof text, MF_BYPOSITION);
            if (!strcmp(text, "Default Lists"))
                lists = GetSubMenu(sub, j);
        }
    }
    ASSERT_NE(lists, nullptr);
    ASSERT_GE(GetMenuItemCount(lists), 2);
    for (int i = 0; i < GetMenuItemCount(lists); i++) {
        char text[64] = "";
        GetMenuStringA(lists, (UINT)i, text, sizeof text, MF_BYPOSITION);
        std::string title(text);
        title = title.substr(0, title.find("..."));
        UINT id = GetMenuItemID(lists, i);
        EXPECT_FALSE(GetMenuState(lists, id, MF_BYCOMMAND) & MF_GRAYED) << text;
        FrameCommand(f, (int32_t)id);
        PumpAll();
        HWND w = OwnWindow(PCF_CLASS_COMMAND, "RAVOLT.DEMO/" + title);
        EXPECT_NE(w, nullptr) << "\"" << text << "\" opened nothing";
        if (w)
            SendMessageA(w, WM_CLOSE, 0, 0);
        PumpAll();
    }
}

TEST(AppLists, AQueueListFromTheMenuIsFilledAtOnceAndKeepsItsTitles)
{
    FrameWords *f = DemoSelected();
    ASSERT_NE(f, nullptr);
    DialogWords *d = OpenFromMenu(f, 534, &PCFQueueListDef);
    ASSERT_NE(d, nullptr) << "the Queue List stayed empty";
    EXPECT_GE(RowOf(d, "DEMO.REQUEST"), 0);
    char count[40];
    PCFCountText(d, count, sizeof count);
    EXPECT_NE(std::string(count), "0 / 0");
    std::vector<std::string> before = Titles(d);
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
    PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(Titles(d), before);
    for (const std::string &t : Titles(d))
        EXPECT_FALSE(t.empty());
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
}

TEST(AppLists, PutAndBrowseOfAQueueListRowOpenTheQueuesWindows)
{
    FrameWords *f = DemoSelected();
    ASSERT_NE(f, nullptr);
    DialogWords *d = OpenFromMenu(f, 534, &PCFQueueListDef);
    ASSERT_NE(d, nullptr);
    int row = RowOf(d, "DEMO.REQUEST");
    ASSERT_GE(row, 0);
    ClickRow(d, row);
    ASSERT_EQ(SendMessageA(PCFWnd(d->rightList), LB_GETSELCOUNT, 0, 0), 1);

    /* Put...: the put window for the location with the row's queue */
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 567, 0);
    PumpAll();
    HWND put = nullptr;
    PumpUntil([&] { return (put = OwnWindow("RAVOLT_PUT", "MQPUT from 'RAVOLT.DEMO'")) != nullptr; }, 5000);
    EXPECT_NE(put, nullptr);
    EXPECT_EQ(OwnWindow(PCF_CLASS_COMMAND, "Message '"), nullptr);
    if (put)
        SendMessageA(put, WM_CLOSE, 0, 0);
    PumpAll();

    /* Browse: the queue's Message List (in the frame's pane, or a window
       of its own), no error on the status line */
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 566, 0);
    PumpAll();
    DialogWords *msgs = nullptr;
    auto queueOf = [](DialogWords *o) {
        char text[64] = "";
        const char *q = PCFGetValueText(o, 2016, text, sizeof text);
        return std::string(q ? q : "");
    };
    PumpUntil([&] {
        for (DialogWords *o = PCFOpenDialogs; o; o = o->next)
            if (o->definition == &PCFMessageListDef && queueOf(o) == "DEMO.REQUEST")
                msgs = o;
        return msgs != nullptr;
    }, 10000);
    PumpUntil([] { return false; }, 1000);
    char status[300] = "";
    GetWindowTextA(PCFWnd(d->statusWindow), status, sizeof status);
    ASSERT_NE(msgs, nullptr) << "Browse opened no Message List; the status says \"" << status << "\"";
    EXPECT_EQ(std::string(status).find("not valid"), std::string::npos) << status;
    char listStatus[300] = "";
    GetWindowTextA(PCFWnd(msgs->statusWindow), listStatus, sizeof listStatus);
    EXPECT_EQ(std::string(listStatus).find("not valid"), std::string::npos) << listStatus;
    EXPECT_EQ(std::string(listStatus).find("rror"), std::string::npos) << listStatus;
    EXPECT_NE(msgs->lastRefresh, 0) << "the Message List was not asked for its messages";
    if (msgs != f->listPane)
        SendMessageA(PCFWnd(msgs->window), WM_CLOSE, 0, 0);
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
}

/* A new frame paints the place of its hidden Message List pane: no black
 * block before a queue is opened. */
TEST(AppLists, ANewFramePaintsItsHiddenMessageListPane)
{
    HWND w = CreateFrame(AppMain());
    PumpAll();
    FrameWords *f = w ? FrameOf(w) : nullptr;
    ASSERT_NE(f, nullptr);
    ShowWindow(w, SW_SHOW);
    MoveWindow(w, 10, 10, 900, 640, TRUE);
    PumpUntil([] { return false; }, 300);
    ASSERT_NE(f->listPane, nullptr);
    HWND pane = PCFWnd(f->listPane->listPane);
    ASSERT_NE(pane, nullptr);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpAll();
    ASSERT_TRUE(IsWindowVisible(pane));
    int width = 0, height = 0;
    std::vector<uint32_t> px = ScreenCapture(PCFWnd(f->listPane->window), &width, &height);
    ASSERT_GT(width, 4);
    ASSERT_GT(height, 4);
    int black = 0;
    for (uint32_t p : px)
        black += (p & 0xFFFFFF) == 0;
    EXPECT_LT(black, (int)px.size() / 4) << "the hidden pane is left unpainted";
    GalleryDialogShot(w, "frame_new_hidden_panes");
    SendMessageA(w, WM_CLOSE, 0, 0);
    PumpAll();
}

/* "MQSC Commands" from the location's context menu: the console of the
 * location runs a typed command and shows the queue manager's answer;
 * the Objects menu offers the same window. */
TEST(AppLists, TheMqscConsoleFromTheLocationsContextMenuRunsACommand)
{
    FrameWords *f = DemoSelected();
    ASSERT_NE(f, nullptr);
    HMENU menu = CreatePopupMenu();
    LocContextMenu(AppDemo(), f->window, 2, menu, 0);
    HMENU general = nullptr;
    for (int i = 0; i < GetMenuItemCount(menu); i++)
        if (GetSubMenu(menu, i) && GetMenuState(GetSubMenu(menu, i), 556, MF_BYCOMMAND) != (UINT)-1)
            general = GetSubMenu(menu, i);
    bool offered = general || GetMenuState(menu, 556, MF_BYCOMMAND) != (UINT)-1;
    DestroyMenu(menu);
    ASSERT_TRUE(offered) << "the context menu has no MQSC Commands";
    FrameCommand(f, 556);                         /* what the item's click sends */
    PumpAll();
    HWND w = OwnWindow(PCF_CLASS_COMMAND, "RAVOLT.DEMO/MQSC Commands");
    ASSERT_NE(w, nullptr);
    DialogWords *d = PCFDialogOf(w);
    ASSERT_NE(d, nullptr);
    HWND console = PCFWnd(d->dataWindow);
    ASSERT_NE(console, nullptr);
    MoveWindow(w, 30, 30, 760, 520, TRUE);
    PumpAll();
    HWND input = MQSCConsoleInput(console);
    ASSERT_NE(input, nullptr);
    HWND edit = FindWindowExA(input, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(input, "DISPLAY QLOCAL(*)");
    Key(edit, VK_RETURN);
    std::string all;
    PumpUntil([&] {
        all.clear();
        MQSCCONSOLE *c = MQSCConsoleFind(d);
        for (int32_t i = 0; c && i < MQSCLineCount(c); i++) {
            char line[400];
            uint32_t type = 0;
            if (MQSCLineText(c, i, line, sizeof line, &type))
                all += std::string(line) + "\n";
        }
        return all.find("DEMO.REQUEST") != std::string::npos;
    }, 15000);
    EXPECT_NE(all.find("DISPLAY QLOCAL(*)"), std::string::npos) << all;
    EXPECT_NE(all.find("QUEUE(DEMO.REQUEST)"), std::string::npos) << all;
    PumpUntil([] { return false; }, 400);
    GalleryDialogShot(w, "mqsc_console");
    SendMessageA(w, WM_CLOSE, 0, 0);
    PumpAll();

    /* the Objects menu has the same item */
    bool inObjects = false;
    for (int i = 0; i < GetMenuItemCount(f->menu); i++) {
        HMENU sub = GetSubMenu(f->menu, i);
        if (sub && GetMenuState(sub, 556, MF_BYCOMMAND) != (UINT)-1)
            inObjects = !(GetMenuState(sub, 556, MF_BYCOMMAND) & MF_GRAYED);
    }
    EXPECT_TRUE(inObjects);
}

/* ---- the menu walk ---- */

namespace {

struct MenuItem {
    std::string path;
    UINT id;
    bool enabled;
};

void Walk(HMENU menu, const std::string &path, std::vector<MenuItem> *out)
{
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[128] = "";
        GetMenuStringA(menu, (UINT)i, text, sizeof text, MF_BYPOSITION);
        std::string name = path + (path.empty() ? "" : " > ") + text;
        if (HMENU sub = GetSubMenu(menu, i)) {
            Walk(sub, name, out);
            continue;
        }
        UINT state = GetMenuState(menu, (UINT)i, MF_BYPOSITION);
        if (state & MF_SEPARATOR)
            continue;
        out->push_back({ name, GetMenuItemID(menu, i), !(state & (MF_GRAYED | MF_DISABLED)) });
    }
}

/* The visible top-level windows of this thread. */
std::vector<HWND> TopWindows(void)
{
    std::vector<HWND> out;
    EnumWindows([](HWND w, LPARAM lp) -> BOOL {
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && IsWindowVisible(w))
            ((std::vector<HWND> *)lp)->push_back(w);
        return TRUE;
    }, (LPARAM)&out);
    return out;
}

/* Runs a command and answers the window it opened (its title), closing it. */
std::string Opens(const std::function<void()> &run)
{
    std::vector<HWND> before = TopWindows();
    run();
    HWND opened = nullptr;
    PumpUntil([&] {
        for (HWND w : TopWindows())
            if (std::find(before.begin(), before.end(), w) == before.end())
                opened = w;
        return opened != nullptr;
    }, 4000);
    if (!opened)
        return "";
    std::string title = WindowText(opened);
    SendMessageA(opened, WM_CLOSE, 0, 0);
    PumpAll();
    return title.empty() ? "(untitled window)" : title;
}

}  // namespace

/* Every enabled item of the frame's menus and of a Queue List's menu bar
 * that opens a window opens it; the walk is written out item by item. */
TEST(AppLists, TheMenuWalk)
{
    FrameWords *f = DemoSelected();
    ASSERT_NE(f, nullptr);
    SendMessageA(f->window, WM_INITMENU, (WPARAM)f->menu, 0);
    std::vector<MenuItem> items;
    Walk(f->menu, "", &items);
    /* commands that open a window of their own without asking anything
       first; the others act in place, ask through a modal box or a file
       dialog, reach the network or end the program, and are listed */
    const UINT windows[] = { 749, 518, 686, 938, 542, 543, 556, 534, 533, 566, 588, 594, 641, 747, 731, 685,
                             815, 816, 723, 546, 528 };
    std::string walk;
    for (const MenuItem &m : items) {
        bool opens = std::find(std::begin(windows), std::end(windows), m.id) != std::end(windows);
        std::string what = !m.enabled ? "greyed" : opens ? "" : "acts in place or asks first (not run)";
        if (m.enabled && opens) {
            what = Opens([&] { FrameCommand(f, (int32_t)m.id); });
            EXPECT_FALSE(what.empty()) << "\"" << m.path << "\" (" << m.id << ") opened no window";
            if (what.empty())
                what = "NOTHING";
        }
        walk += "frame: " + m.path + " [" + std::to_string(m.id) + "] -> " + what + "\n";
    }
    /* a Queue List's menu bar, with a row selected */
    DialogWords *d = OpenFromMenu(f, 534, &PCFQueueListDef);
    ASSERT_NE(d, nullptr);
    int row = RowOf(d, "DEMO.REQUEST");
    ASSERT_GE(row, 0);
    ClickRow(d, row);
    PCFSetMenu(d);
    std::vector<MenuItem> listItems;
    Walk((HMENU)d->menu, "", &listItems);
    const UINT listWindows[] = { 505, 504, 657, 517, 566, 567, 583, 584, 565 };
    for (const MenuItem &m : listItems) {
        bool opens = std::find(std::begin(listWindows), std::end(listWindows), m.id) != std::end(listWindows);
        std::string what = !m.enabled ? "greyed" : opens ? "" : "acts in the list (not run)";
        if (m.enabled && opens) {
            ClickRow(d, RowOf(d, "DEMO.REQUEST"));
            what = Opens([&] { SendMessageA(PCFWnd(d->window), WM_COMMAND, m.id, 0); });
            if (what.empty() && f->listPane) {             /* Browse shows in the frame's pane */
                char text[64] = "";
                const char *q = PCFGetValueText(f->listPane, 2016, text, sizeof text);
                if (q && std::string(q) == "DEMO.REQUEST" && m.id == 566)
                    what = "the frame's Message List pane of DEMO.REQUEST";
            }
            EXPECT_FALSE(what.empty()) << "Queue List \"" << m.path << "\" (" << m.id << ") opened no window";
        }
        walk += "Queue List: " + m.path + " [" + std::to_string(m.id) + "] -> " + what + "\n";
    }
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
    printf("%s", walk.c_str());
    WriteScratch("menu_walk.txt", walk);
}
