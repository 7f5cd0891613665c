/* The frame's lists as a user reaches them: the Objects menu's "Default
 * Lists" opening their lists, a Queue List opened from the menu filled
 * at once with its column titles kept through a refresh and listed in
 * the Windows menu (in the background only while browsers are listed),
 * and a Queue List row's "Put..." and "Browse" opening the put window
 * and the queue's Message List; the MQSC console opened from the
 * location's context menu and from the Objects menu, running a command;
 * a new frame's hidden panes painted. */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "apptest.h"
#include "cmddlg.h"
#include "cs.h"
#include "csdate.h"
#include "dd.h"
#include "filedlg.h"
#include "locstore.h"
#include "message_editor/edbytes.h"
#include "command.h"
#include "mqsim.h"
#include "pcflistwin.h"
#include "pcfwin.h"
#include "consolewnd.h"
#include "mq/pcf.h"
#include "qms.h"
#include "shellint.h"
#include "tkharness.h"
#include "prfdata.h"
#include "userfmt.h"

#include <algorithm>
#include <fstream>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

namespace {

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

/* The text of an item of the menu a right click at a screen point pops
 * up, read as it opens and closed unchosen; empty without one. */
static std::string poppedText;
static int poppedItem;

static LRESULT CALLBACK CatchPopup(int code, WPARAM wp, LPARAM lp)
{
    const CWPSTRUCT *m = (const CWPSTRUCT *)lp;
    if (code == HC_ACTION && m->message == WM_INITMENUPOPUP) {
        char text[100] = "";
        GetMenuStringA((HMENU)m->wParam, (UINT)poppedItem, text, sizeof text, MF_BYCOMMAND);
        poppedText = text;
        SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            EndMenu();
        });
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

std::string PoppedItemText(HWND dialog, HWND over, POINT at, int item)
{
    poppedText.clear();
    poppedItem = item;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CatchPopup, nullptr, GetCurrentThreadId());
    SendMessageA(dialog, WM_CONTEXTMENU, (WPARAM)over, MAKELPARAM(at.x, at.y));
    UnhookWindowsHookEx(hook);
    PumpAll();
    return poppedText;
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

/* The dark pixels of a menu bar item as the screen shows it: a greyed
 * item's text has none. */
int DarkPixels(HWND w, UINT id)
{
    RECT r = {};
    for (int i = 0; i < GetMenuItemCount(GetMenu(w)); i++)
        if (GetMenuItemID(GetMenu(w), i) == id)
            GetMenuItemRect(w, GetMenu(w), (UINT)i, &r);
    HDC screen = GetDC(nullptr);
    int dark = 0;
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++)
            dark += (GetPixel(screen, x, y) & 0xC0C0C0) == 0;
    ReleaseDC(nullptr, screen);
    return dark;
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
    FrameWords *f = AppDemoSelected();
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
        HWND w = AppWindow(PCF_CLASS_COMMAND, "RAVOLT.DEMO/" + title);
        EXPECT_NE(w, nullptr) << "\"" << text << "\" opened nothing";
        if (w)
            SendMessageA(w, WM_CLOSE, 0, 0);
        PumpAll();
    }
}

TEST(AppLists, AQueueListFromTheMenuIsFilledAtOnceAndKeepsItsTitles)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    DialogWords *d = OpenFromMenu(f, 534, &PCFQueueListDef);
    ASSERT_NE(d, nullptr) << "the Queue List stayed empty";
    EXPECT_GE(RowOf(d, "DEMO.REQUEST"), 0);
    char count[40];
    PCFCountText(d, count, sizeof count);
    EXPECT_NE(std::string(count), "0 / 0");
    std::vector<std::string> before = Titles(d);
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
    EXPECT_TRUE(AppSettled());                      /* the refresh answered and shown */
    EXPECT_EQ(Titles(d), before);
    for (const std::string &t : Titles(d))
        EXPECT_FALSE(t.empty());
    /* a right click over a row pops its location's menu up; over the
       status line, the dialog's own */
    HWND w = PCFWnd(d->window), list = PCFWnd(d->rightList);
    SetForegroundWindow(w);
    PumpAll();
    POINT overRow = { 30, (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0) / 2 }, overStatus = { 5, 5 };
    ClientToScreen(list, &overRow);
    ClientToScreen(PCFWnd(d->statusWindow), &overStatus);
    EXPECT_EQ(PoppedItemText(w, list, overRow, 749), "Open Location RAVOLT.DEMO...");
    EXPECT_EQ(PoppedItemText(w, PCFWnd(d->statusWindow), overStatus, 749), "");
    /* the frame's Windows menu lists the list; a list browsing in the
       background only while "list browsers" is on */
    ASSERT_EQ(d->instance, 1u);
    auto listed = [&](const std::string &text) {
        SendMessageA(f->window, WM_INITMENU, (WPARAM)f->menu, 0);
        std::vector<std::string> texts = MenuTexts(WindowsMenu(f));
        return (int)std::count(texts.begin(), texts.end(), text);
    };
    uint32_t po2 = Prf.po[1];
    Prf.po[1] &= ~(uint32_t)PO2_LIST_BROWSERS;
    EXPECT_EQ(listed("RAVOLT.DEMO/Queue List(*)"), 1);
    d->optionFlags |= DO_BACKGROUND;
    EXPECT_EQ(listed("RAVOLT.DEMO/Queue List(*)") + listed("HTTP:RAVOLT.DEMO/Queue List(*)"), 0);
    Prf.po[1] |= PO2_LIST_BROWSERS;
    EXPECT_EQ(listed("HTTP:RAVOLT.DEMO/Queue List(*)"), 1);
    d->optionFlags &= ~(uint32_t)DO_BACKGROUND;
    Prf.po[1] = po2;
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
}

TEST(AppLists, PutAndBrowseOfAQueueListRowOpenTheQueuesWindows)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    DialogWords *d = OpenFromMenu(f, 534, &PCFQueueListDef);
    ASSERT_NE(d, nullptr);
    int row = RowOf(d, "DEMO.REQUEST");
    ASSERT_GE(row, 0);
    HWND w = PCFWnd(d->window);
    SetForegroundWindow(w);
    PumpAll();
    EXPECT_EQ(DarkPixels(w, 566), 0) << "Browse is drawn enabled with no row selected";
    ClickRow(d, row);
    ASSERT_EQ(SendMessageA(PCFWnd(d->rightList), LB_GETSELCOUNT, 0, 0), 1);
    /* the menu bar is drawn again with the items the selection enables */
    EXPECT_GT(DarkPixels(w, 566), 0) << "Browse stays drawn grey on the menu bar";

    /* Put...: the put window for the location with the row's queue */
    SendMessageA(PCFWnd(d->window), WM_COMMAND, 567, 0);
    PumpAll();
    HWND put = nullptr;
    PumpUntil([&] { return (put = AppWindow("RAVOLT_PUT", "MQPUT from 'RAVOLT.DEMO'")) != nullptr; }, 5000);
    EXPECT_NE(put, nullptr);
    EXPECT_EQ(AppWindow(PCF_CLASS_COMMAND, "Message '"), nullptr);
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
    AppSettled();                                   /* the list's own request answered */
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
    AppSettled();                                   /* its start-up steps taken */
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
 * location, at the size it opens with, runs what is typed into its input
 * box, by Enter (through the program's keyboard) and by Execute, and
 * shows the queue manager's answers; the Objects menu offers the same
 * window. */
TEST(AppLists, TheMqscConsoleFromTheLocationsContextMenuRunsACommand)
{
    FrameWords *f = AppDemoSelected();
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
    HWND w = AppWindow(PCF_CLASS_COMMAND, "RAVOLT.DEMO/MQSC Commands");
    ASSERT_NE(w, nullptr);
    DialogWords *d = PCFDialogOf(w);
    ASSERT_NE(d, nullptr);
    HWND input = MQSCConsoleInput(PCFWnd(d->dataWindow));
    HWND edit = input ? FindWindowExA(input, nullptr, "Edit", nullptr) : nullptr;
    ASSERT_NE(edit, nullptr);
    /* the input box is the dialog's history combo box */
    EXPECT_EQ(d->stateFlags & DF_HISTORY_COMBO, (uint32_t)DF_HISTORY_COMBO);
    EXPECT_EQ(input, PCFWnd(d->historyCombo));
    EXPECT_EQ(GetDlgCtrlID(input), 26);
    std::string all;
    /* a command typed into the box through the program's loop, run by
       Enter or by Execute: whether its answer came */
    auto run = [&](const char *typed, bool execute, const char *answer) {
        SetFocus(edit);
        for (const char *p = typed; *p; p++)
            LoopMessage(edit, WM_CHAR, (WPARAM)(unsigned char)*p, 1);
        if (execute)
            SendMessageA(GetDlgItem(w, 1), BM_CLICK, 0, 0);
        else
            LoopKey(edit, VK_RETURN);
        return PumpUntil([&] {
            all.clear();
            char line[400];
            for (int32_t i = 0; MQSCLineText(MQSCConsoleFind(d), i, line, sizeof line, nullptr); i++)
                all += std::string(line) + "\n";
            return all.find(answer) != std::string::npos;
        }, 15000);
    };
    EXPECT_TRUE(run("DISPLAY QLOCAL(*)", false, "QUEUE(DEMO.REQUEST)")) << "Enter ran nothing: " << all;
    EXPECT_EQ(WindowText(input), "") << "the command stays in the box";
    EXPECT_TRUE(run("DISPLAY QMGR", true, "QMNAME(RAVOLT.DEMO)")) << "Execute ran nothing: " << all;
    /* dropped down, the box offers the location's commands, the newest
       last, and keeps what is typed */
    SetWindowTextA(input, "ALTER");
    SendMessageA(input, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageA(input, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(WindowText(input), "ALTER");
    LRESULT n = SendMessageA(input, CB_GETCOUNT, 0, 0);
    char newest[400] = "";
    if (n > 0)
        SendMessageA(input, CB_GETLBTEXT, (WPARAM)(n - 1), (LPARAM)newest);
    EXPECT_STREQ(newest, "DISPLAY QMGR");
    SetWindowTextA(input, "");
    AppSettled();
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

/* ---- the queued broker's lists ---- */

namespace {

struct Identity {
    const char *qm, *queue, *sub, *user;
};

/* A queued publish/subscribe broker played on RAVOLT.DEMO's queues: the
 * program's broker commands are read from the control queue and answered
 * as a broker answers them, with replies, the streams it supports and
 * one publication of identities for each kind. */
struct Broker : MqiSession {
    std::vector<Identity> subscribers, publishers;
    int commands = 0;

    Broker() : MqiSession("RAVOLT.DEMO") {}
    bool Start() { return Open("SYSTEM.BROKER.CONTROL.QUEUE", MQOO_INPUT_SHARED); }
    static std::string Trim(const char *v, size_t n)
    {
        std::string s(v, n);
        s.erase(s.find_last_not_of(" \0", std::string::npos, 2) + 1);
        return s;
    }
    /* Sends a PCF message back to the command's reply queue. */
    void Send(const MQMD &to, MQPP *pp, MQLONG type, bool reply)
    {
        MQCFH *head = PCFHeader(pp);
        head->Type = type;
        head->Control = MQCFC_LAST;
        MQOD od = { MQOD_DEFAULT };
        memcpy(od.ObjectName, to.ReplyToQ, sizeof od.ObjectName);
        memcpy(od.ObjectQMgrName, to.ReplyToQMgr, sizeof od.ObjectQMgrName);
        MQMD md = { MQMD_DEFAULT };
        md.MsgType = reply ? MQMT_REPLY : MQMT_DATAGRAM;
        memcpy(md.Format, reply ? "MQADMIN " : "MQPCF   ", 8);
        if (reply)
            memcpy(md.MsgId, to.MsgId, sizeof md.MsgId);
        memcpy(md.CorrelId, to.CorrelId, sizeof md.CorrelId);
        MQPMO pmo = { MQPMO_DEFAULT };
        pmo.Options = MQPMO_NO_SYNCPOINT;
        MQLONG cc, rc;
        put1(h, &od, &md, &pmo, pp->position, pp->message, &cc, &rc);
    }
    /* The identity publication of a kind's metatopic. */
    void Identities(const MQMD &to, const std::string &topic, const std::string &stream)
    {
        bool subs = topic.find("/Subscribers/") != std::string::npos;
        alignas(8) uint8_t area[4000];
        void *slot = area;
        MQPP pp;
        MQLONG cc, rc;
        int32_t zero = 0, options = subs ? 1185 : 0;
        PCFInitArea(&pp, &slot, 0, sizeof area, 0, MQCMD_PUBLISH, &cc, &rc);
        std::string shown = topic.substr(0, topic.size() - 1) + "Prices/Fruit";
        PCFAddParm(&pp, MQCFT_STRING, MQCACF_TOPIC, shown.c_str(), -1, 1, &cc, &rc);
        PCFAddParm(&pp, MQCFT_STRING, MQCACF_STREAM_NAME, stream.c_str(), -1, 1, &cc, &rc);
        PCFAddParm(&pp, MQCFT_INTEGER, MQIACF_PUBLICATION_OPTIONS, &zero, 4, 1, &cc, &rc);
        for (const Identity &i : subs ? subscribers : publishers) {
            PCFAddParm(&pp, MQCFT_STRING, MQCACF_REG_Q_MGR_NAME, i.qm, -1, 1, &cc, &rc);
            PCFAddParm(&pp, MQCFT_STRING, MQCACF_REG_Q_NAME, i.queue, -1, 1, &cc, &rc);
            if (i.sub)
                PCFAddParm(&pp, MQCFT_STRING, MQCACF_REG_SUB_NAME, i.sub, -1, 1, &cc, &rc);
            PCFAddParm(&pp, MQCFT_STRING, MQCACF_REG_USER_ID, i.user, -1, 1, &cc, &rc);
            PCFAddParm(&pp, MQCFT_STRING, MQCACF_REG_CORREL_ID, std::string(48, '0').c_str(), -1, 1, &cc, &rc);
            PCFAddParm(&pp, MQCFT_INTEGER, MQIACF_REG_REG_OPTIONS, &options, 4, 1, &cc, &rc);
        }
        Send(to, &pp, MQCFT_COMMAND, false);
    }
    /* Answers one broker command. */
    void Answer(const MQMD &md, const uint8_t *data, MQLONG length)
    {
        MQPP walk;
        MQLONG command = 0, cc, rc;
        PCFInitParse(&walk, data, length, &command, &cc, &rc);
        std::string topic, stream;
        for (;;) {
            MQLONG type, id, n, count;
            void *v;
            PCFGetNextParm(&walk, &type, &id, &v, &n, &count, &cc, &rc);
            if (cc)
                break;
            if (id == MQCACF_TOPIC)
                topic = Trim((const char *)v, (size_t)n);
            if (id == MQCACF_STREAM_NAME)
                stream = Trim((const char *)v, (size_t)n);
        }
        alignas(8) uint8_t area[1000];
        void *slot = area;
        MQPP pp;
        if (command == MQCMD_REQUEST_UPDATE && topic.find("/StreamSupport") != std::string::npos) {
            PCFInitArea(&pp, &slot, 0, sizeof area, 0, MQCMD_PUBLISH, &cc, &rc);
            PCFAddParm(&pp, MQCFT_STRING, MQCACF_TOPIC, topic.c_str(), -1, 1, &cc, &rc);
            PCFAddParm(&pp, MQCFT_STRING, MQCACF_SUPPORTED_STREAM_NAME, "SYSTEM.BROKER.DEFAULT.STREAM", -1, 1, &cc, &rc);
            Send(md, &pp, MQCFT_COMMAND, false);
        } else if (command == MQCMD_REQUEST_UPDATE) {
            Identities(md, topic, stream);
        }
        PCFInitArea(&pp, &slot, 0, sizeof area, 0, command, &cc, &rc);
        Send(md, &pp, MQCFT_RESPONSE, true);
        commands++;
    }
    /* Answers every command waiting on the control queue. */
    void Play()
    {
        for (;;) {
            MQMD md = { MQMD_DEFAULT };
            MQGMO gmo = { MQGMO_DEFAULT };
            gmo.Options = MQGMO_NO_WAIT | MQGMO_NO_SYNCPOINT;
            std::vector<uint8_t> buf(4000);
            MQLONG n = 0, cc, rc;
            get(h, o, &md, &gmo, (MQLONG)buf.size(), buf.data(), &n, &cc, &rc);
            if (cc == MQCC_FAILED)
                return;
            Answer(md, buf.data(), n);
        }
    }
};

/* The rows of a list: each column's text by attribute, in shown order. */
std::vector<std::string> Cells(DialogWords *d, uint32_t attrId)
{
    std::vector<std::string> out;
    HWND list = PCFWnd(d->rightList);
    int n = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        PCFROW *row = (PCFROW *)SendMessageA(list, LB_GETITEMDATA, (WPARAM)i, 0);
        PCFLISTAREA *area = PCFRowArea(d, row);
        PCFLISTPARTS parts;
        uint8_t *value = nullptr;
        std::string text;
        if (area) {
            PCFListAreaPointers(area, &parts);
            if (PCFFindParm(parts.columns, row, attrId, &value, nullptr, nullptr) && (PCFState(value) & PCFS_PRESENT))
                text.assign((const char *)value + PCFLV_TEXT, PCFListLength(value));
        }
        text.erase(text.find_last_not_of(' ') + 1);
        out.push_back(text);
    }
    return out;
}

}  // namespace

/* Objects > Default Lists > Broker Subscribers... and Broker Publishers...
 * list what the location's queued broker answers: one row for each
 * identity; a location whose queue manager has no broker control queue
 * has both greyed. */
TEST(AppLists, TheBrokerListsShowWhatTheQueuedBrokerAnswers)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    const UINT ids[] = { PCFBrokerSubscribersDef.menuId, PCFBrokerPublishersDef.menuId };
    SendMessageA(f->window, WM_INITMENU, (WPARAM)f->menu, 0);
    for (UINT id : ids) {
        ASSERT_NE(GetMenuState(f->menu, id, MF_BYCOMMAND), (UINT)-1) << id;
        EXPECT_FALSE(GetMenuState(f->menu, id, MF_BYCOMMAND) & MF_GRAYED) << id;
    }
    Broker broker;
    ASSERT_TRUE(broker.Start());
    broker.Play();                                /* what earlier tests left */
    broker.subscribers = { { "QMA", "PRICES.IN", "fruit", "alice" }, { "QMB", "PRICES.TOO", "veg", "bob" } };
    broker.publishers = { { "QMC", "FEED.OUT", nullptr, "carol" } };
    struct Expect {
        PCFCommandDef *def;
        const char *picture;
        std::vector<std::string> queues, qmgrs, users;
    } expects[] = {
        { &PCFBrokerSubscribersDef, "broker_subscribers", { "PRICES.IN", "PRICES.TOO" }, { "QMA", "QMB" },
          { "alice", "bob" } },
        { &PCFBrokerPublishersDef, "broker_publishers", { "FEED.OUT" }, { "QMC" }, { "carol" } },
    };
    for (const Expect &e : expects) {
        FrameCommand(f, (int32_t)e.def->menuId);
        DialogWords *d = nullptr;
        PumpUntil([&] {
            broker.Play();
            for (DialogWords *x = PCFOpenDialogs; x; x = x->next)
                if (x->definition == e.def && x->rightList)
                    d = x;
            return d && SendMessageA(PCFWnd(d->rightList), LB_GETCOUNT, 0, 0) >= (LRESULT)e.queues.size();
        }, 20000);
        ASSERT_NE(d, nullptr) << e.def->title << " did not open";
        HWND w = PCFWnd(d->window);
        char status[300] = "";
        GetWindowTextA(PCFWnd(d->statusWindow), status, sizeof status);
        EXPECT_EQ(std::string(status).find("rror"), std::string::npos) << status;
        EXPECT_GT(broker.commands, 0) << "no broker command reached the control queue: " << status;
        EXPECT_NE(WindowText(w).find(std::string("RAVOLT.DEMO/") + e.def->title), std::string::npos);
        EXPECT_EQ(Cells(d, MQCA_Q_NAME), e.queues);
        EXPECT_EQ(Cells(d, MQCA_Q_MGR_NAME), e.qmgrs);
        EXPECT_EQ(Cells(d, MQCACF_REG_USER_ID), e.users);
        for (const std::string &t : Cells(d, MQCACF_TOPIC))
            EXPECT_EQ(t, "Prices/Fruit");
        MoveWindow(w, 40, 40, 900, 360, TRUE);
        /* the move's layout and paint taken: until the thread's queue holds nothing */
        PumpUntil([&] { broker.Play(); return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; }, 10000);
        GalleryDialogShot(w, e.picture);
        SendMessageA(w, WM_CLOSE, 0, 0);
        PumpAll();
    }
    /* without the broker control queue on the queue manager: greyed */
    QMS *demo = AppDemo();
    char kept[sizeof demo->brokerQueue];
    memcpy(kept, demo->brokerQueue, sizeof kept);
    strcpy(demo->brokerQueue, "NO.SUCH.CONTROL.QUEUE");
    SendMessageA(f->window, WM_INITMENU, (WPARAM)f->menu, 0);
    for (UINT id : ids)
        EXPECT_TRUE(GetMenuState(f->menu, id, MF_BYCOMMAND) & MF_GRAYED) << id;
    memcpy(demo->brokerQueue, kept, sizeof kept);
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

/* The window a command opened (left open), or null. */
HWND OpenedBy(const std::function<void()> &run)
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
    return opened;
}

/* Runs a command and answers the window it opened (its title), closing it. */
std::string Opens(const std::function<void()> &run)
{
    HWND opened = OpenedBy(run);
    if (!opened)
        return "";
    std::string title = WindowText(opened);
    SendMessageA(opened, WM_CLOSE, 0, 0);
    PumpAll();
    return title.empty() ? "(untitled window)" : title;
}

/* A window's descendants of a class ("Edit", "Button"). */
std::vector<HWND> Children(HWND parent, const char *cls)
{
    std::vector<HWND> all, found;
    EnumChildWindows(parent, [](HWND w, LPARAM lp) { return ((std::vector<HWND> *)lp)->push_back(w), TRUE; },
                     (LPARAM)&all);
    for (HWND w : all) {
        char name[64] = "";
        GetClassNameA(w, name, sizeof name);
        if (!_stricmp(name, cls))
            found.push_back(w);
    }
    return found;
}

/* What the system's file dialog was asked to start from (name, folder). */
std::string started;
BOOL RecordStart(OPENFILENAMEA *ofn)
{
    started = std::string(ofn->lpstrFile) + "|" + (ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "");
    return FALSE;
}

/* Stack bytes below the caller that are not zero, as a deep call leaves. */
__attribute__((noinline)) void DirtyStack(void)
{
    volatile char junk[32768];
    for (size_t i = 0; i < sizeof junk; i++)
        junk[i] = 'Z';
}

}  // namespace

/* Every window with a file field and a button beside it that chooses a
 * file ("..." or "Choose File", on any page of its tabs) starts the
 * system's file dialog from nothing when the field is empty: not from
 * what the stack held (export, auto refresh, load message, Drask, put). */
TEST(AppLists, FileButtonsOfEmptyFieldsStartFromNothing)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    DialogWords *d = OpenFromMenu(f, 534, &PCFQueueListDef);
    ASSERT_NE(d, nullptr);
    ClickRow(d, RowOf(d, "DEMO.REQUEST"));
    const struct {
        const char *window;
        std::function<void()> open;
        size_t buttons;
    } rows[] = {
        { "export", [&] { SendMessageA(PCFWnd(d->window), WM_COMMAND, 657, 0); }, 1 },
        { "auto refresh", [&] { SendMessageA(PCFWnd(d->window), WM_COMMAND, 504, 0); }, 1 },
        { "load message", [&] { SendMessageA(PCFWnd(f->msgPane->window), WM_COMMAND, 919, 0); }, 1 },
        { "Drask", [&] { FrameCommand(f, 731); }, 3 },
        { "put", [&] { FrameCommand(f, 641); }, 1 },
    };
    UISetFileDialogRunner(RecordStart);
    for (const auto &r : rows) {
        HWND w = OpenedBy(r.open);
        ASSERT_NE(w, nullptr) << r.window << " opened no window";
        std::vector<int> clicked;
        /* every file button shown, on every page of every tab */
        auto clickAll = [&] {
            for (HWND b : Children(w, "Button")) {
                std::string text = WindowText(b);
                int id = GetDlgCtrlID(b);
                if ((text != "..." && text != "Choose File") || !IsWindowVisible(b) ||
                    std::find(clicked.begin(), clicked.end(), id) != clicked.end())
                    continue;
                clicked.push_back(id);
                for (HWND e : Children(w, "Edit"))
                    SetWindowTextA(e, "");
                started = "unasked";
                DirtyStack();
                SendMessageA(GetParent(b), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)b);
                EXPECT_EQ(started, "|") << r.window << " button " << id;
            }
        };
        clickAll();
        for (HWND tab : Children(w, "SysTabControl32"))
            for (int i = 0; i < (int)SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0); i++) {
                SendMessageA(tab, TCM_SETCURSEL, (WPARAM)i, 0);
                NMHDR nm = { tab, (UINT_PTR)GetDlgCtrlID(tab), (UINT)TCN_SELCHANGE };
                SendMessageA(GetParent(tab), WM_NOTIFY, (WPARAM)nm.idFrom, (LPARAM)&nm);
                PumpAll();
                clickAll();
            }
        EXPECT_EQ(clicked.size(), r.buttons) << r.window;
        SendMessageA(w, WM_CLOSE, 0, 0);
        PumpAll();
    }
    UISetFileDialogRunner(nullptr);
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
}

/* A get thread refreshing the lists that show a changed object, while the
 * window thread runs its once-a-second check and hands a message to every
 * dialog: neither waits for the other for good (the refresh's command
 * reads the dialog's windows, which only the window thread answers), and
 * the refresh is still asked for. */
TEST(AppLists, ARefreshFromAGetThreadBesideTheWindowThreadsChecks)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    DialogWords *d = OpenFromMenu(f, 534, &PCFQueueListDef);
    ASSERT_NE(d, nullptr);
    std::atomic<int> marked{ 0 }, done{ 0 };
    uint32_t asked = d->first.requestCount;
    std::thread getThread([&] {
        for (int i = 0; i < 40; i++, Sleep(25)) {
            d->lastRefresh = 0;               /* long ago: a refresh at once */
            marked += PCFRefreshObjectDialogs(AppDemo(), nullptr, 0, d->definition->actions->command, 2016,
                                              "DEMO.REQUEST", CSGetCurrentTime());
        }
        done = 1;
    });
    std::thread watchdog([&] {
        for (int i = 0; i < 300 && !done; i++)
            Sleep(100);
        if (!done && fprintf(stderr, "the get thread and the window thread wait for each other\n"))
            _exit(3);
    });
    /* the window thread's checks beside the get thread, then until the
       refresh marked is asked for */
    auto checks = [] {
        PCFCheckResponses(CSGetCurrentTime() + 2, nullptr);
        PCFBroadcast(WM_NULL, 0, 0);
    };
    PumpUntil([&] { checks(); return done.load() != 0; }, 60000);
    getThread.join();
    watchdog.join();
    EXPECT_EQ(marked, 40);
    EXPECT_TRUE(PumpUntil([&] { checks(); return d->first.requestCount > asked; }, 20000))
        << "the refresh was never asked for";
    SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
    PumpAll();
}

/* Every enabled item of the frame's menus and of a Queue List's menu bar
 * that opens a window opens it; the walk is written out item by item. */
TEST(AppLists, TheMenuWalk)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    SendMessageA(f->window, WM_INITMENU, (WPARAM)f->menu, 0);
    std::vector<MenuItem> items;
    Walk(f->menu, "", &items);
    /* commands that open a window of their own without asking anything
       first; the others act in place, ask through a modal box or a file
       dialog, reach the network or end the program, and are listed */
    const UINT windows[] = { 749, 518, 686, 938, 542, 543, 556, 534, 533, 566, 588, 594, 641, 747, 731, 685,
                             815, 816, 723, 546, 528, PCFBrokerSubscribersDef.menuId,
                             PCFBrokerPublishersDef.menuId };
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

/* ---- lists after a change, and the timed checks of open dialogs ---- */

namespace wintest {
/* The toolkit's confirmation answered by a click on a button once it is
 * up (1 yes, 2 no; confirmwait.cpp). */
void AnswerConfirmation(int button, std::string *question);
}

namespace {

/* The program's clocks (the program's, the locations' and the dialogs')
 * at one time; 0 gives them the real clock again. */
int64_t ClockNow(void)
{
    return CSGetCurrentTime();
}

/* The main frame's timer has ticked once more (at the clock set). */
static void NextTick(void)
{
    int at = Shell.tick;
    PumpUntil([at] { return Shell.tick != at; }, 10000);
}

void SetClock(int64_t t)
{
    CSSetCurrentTime(t);
    LocGlobals.now = t;
    PCFClock = t ? ClockNow : nullptr;
}

/* The text of a row's cell as the list draws it ("" without a value). */
std::string Cell(DialogWords *d, int rowIndex, uint32_t attrId)
{
    PCFROW *row = (PCFROW *)SendMessageA(PCFWnd(d->rightList), LB_GETITEMDATA, (WPARAM)rowIndex, 0);
    PCFLISTAREA *area = row && row != (PCFROW *)LB_ERR ? PCFRowArea(d, row) : nullptr;
    if (!area)
        return "";
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint8_t *value = nullptr;
    int index = -1;
    if (!PCFFindParm(parts.columns, row, attrId, &value, &index, nullptr) || index < 0 ||
        !(PCFState(value) & PCFS_PRESENT))
        return "";
    char buf[300];
    const char *text = nullptr;
    int numeric = 0;
    int n = PCFListCellText(&parts.columns[index], value, buf, sizeof buf, &text, &numeric);
    return text ? std::string(text, (size_t)(n > 0 ? n : 0)) : "";
}

int Rows(DialogWords *d)
{
    return (int)SendMessageA(PCFWnd(d->rightList), LB_GETCOUNT, 0, 0);
}

std::string Status(DialogWords *d)
{
    char text[400] = "";
    GetWindowTextA(PCFWnd(d->statusWindow), text, sizeof text);
    return text;
}

/* The Message List that a Queue List row's Browse opens. */
DialogWords *Browse(DialogWords *queues, const char *queue)
{
    SelectRow(queues, RowOf(queues, queue));
    SendMessageA(PCFWnd(queues->window), WM_COMMAND, 566, 0);
    DialogWords *msgs = nullptr;
    PumpUntil([&] {
        for (DialogWords *o = PCFOpenDialogs; o && !msgs; o = o->next) {
            char text[64] = "";
            const char *q = o->definition == &PCFMessageListDef ? PCFGetValueText(o, MQCA_Q_NAME, text, sizeof text)
                                                                 : nullptr;
            if (q && !strcmp(q, queue) && o->rightList)
                msgs = o;
        }
        return msgs != nullptr;
    }, 10000);
    return msgs;
}

/* The clocks and the command server put back however a test ends. */
struct Restore {
    ~Restore()
    {
        StandInFault(MQSIM_COMMAND_SERVER, 0, MQSIM_CMDSERVER_STOPPED);
        SetClock(0);
    }
};

}  // namespace

/* A change made through a list shows in every list of the object, also
 * when it comes within five seconds of their last refresh (the refresh is
 * then re-issued by the timer a second later): a message opened from the
 * Message List, edited and saved by Update shows there as it now lies on
 * the queue; messages deleted from a queue's Message List leave it and
 * lower the depth its Queue List shows; a queue deleted from the Queue
 * List leaves it. */
TEST(AppLists, ListsFollowTheChangesMadeThroughThem)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(AppMqsc("RAVOLT.DEMO", "DEFINE QLOCAL(REFRESH.Q) REPLACE\nDEFINE QLOCAL(REFRESH.GONE) REPLACE\n"
                                     "CLEAR QLOCAL(REFRESH.Q)\n"), 0);
    ASSERT_TRUE(AppPut("RAVOLT.DEMO", "REFRESH.Q", { "one to edit", "two", "three" }));
    DialogWords *queues = OpenFromMenu(f, 534, &PCFQueueListDef);
    ASSERT_NE(queues, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return RowOf(queues, "REFRESH.GONE") >= 0; }, 10000));
    DialogWords *msgs = Browse(queues, "REFRESH.Q");
    ASSERT_NE(msgs, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Rows(msgs) == 3; }, 10000));
    AnswerQuestions(1);
    Restore restore;
    int64_t t = CSGetCurrentTime();
    struct Change {
        const char *what;
        int64_t clock;               /* seconds after the start */
        DialogWords *list;
        const char *row;             /* the queue of a Queue List row, or null: the first message */
        int32_t action;
        int messages;                /* rows the Message List shows after */
        const char *depth;           /* the Queue List's depth of REFRESH.Q after */
        bool gone;                   /* REFRESH.GONE no longer listed */
        const char *shown;           /* a message the Message List shows after, or null */
        char typed;                  /* Update: the first letter typed over */
    } changes[] = {
        { "a message opened, its first letter typed over and saved by Update", 10, msgs, nullptr, 946, 3, "3",
          false, "Xne to edit", 'X' },
        { "the message that Update put typed over and saved by Update again from the same window", 15, msgs,
          nullptr, 946, 3, "3", false, "Yne to edit", 'Y' },
        { "a message deleted long after the refresh", 30, msgs, nullptr, 599, 2, "2", false, nullptr },
        { "a message deleted within five seconds of it", 32, msgs, nullptr, 599, 1, "1", false, nullptr },
        { "a queue deleted within five seconds of the Queue List's refresh", 50, queues, "REFRESH.GONE", 578, 1,
          "1", true, nullptr },
    };
    auto shows = [&](const char *text) {
        for (int i = 0; text && i < Rows(msgs); i++)
            if (Cell(msgs, i, MYPCFA_MESSAGE).find(text) != std::string::npos)
                return true;
        return !text;
    };
    DialogWords *edited = nullptr;   /* the message window Update is sent from */
    for (const Change &c : changes) {
        SetClock(t + c.clock);
        if (c.list == queues) {
            SendMessageA(PCFWnd(queues->window), WM_COMMAND, 1, 0);
            PumpUntil([&] { return RowOf(queues, c.row) >= 0; }, 5000);
        }
        SelectRow(c.list, c.row ? RowOf(c.list, c.row) : 0);
        wintest::AnswerConfirmation(1, nullptr);
        HWND to = PCFWnd(c.list->window);
        if (c.action == 946) {       /* Update is the message window's: the row opened and edited */
            if (!edited)
                SendMessageA(to, WM_COMMAND, 596, 0);
            PumpUntil([&] {
                for (DialogWords *o = PCFOpenDialogs; o && !edited; o = o->next)
                    if (o->editor && EdFindLine(o->editor, "one to edit") >= 0)
                        edited = o;
                return edited != nullptr;
            }, 10000);
            ASSERT_NE(edited, nullptr) << c.what;
            int32_t line = EdFindLine(edited->editor, "ne to edit");
            ASSERT_GE(line, 0) << c.what;
            EdMoveCursor(edited->editor, 0, 0, MC_GOTO, EdGetLine(edited->editor, line)->valueColumn, line);
            LoopMessage(PCFWnd(edited->dataWindow), WM_CHAR, (WPARAM)(unsigned char)c.typed, 1);
            to = PCFWnd(edited->window);
        }
        SendMessageA(to, WM_COMMAND, (WPARAM)c.action, 0);
        /* the timer's ticks: a second on, then some more */
        for (int tick = 1; tick <= 12 && !(Rows(msgs) == c.messages && shows(c.shown) &&
                                              Cell(queues, RowOf(queues, "REFRESH.Q"), MQIA_CURRENT_Q_DEPTH) == c.depth &&
                                              (RowOf(queues, "REFRESH.GONE") < 0) == c.gone); tick++) {
            SetClock(t + c.clock + tick);
            NextTick();
            AppSettled();                       /* what the tick asked, answered */
        }
        EXPECT_EQ(Rows(msgs), c.messages) << c.what;
        EXPECT_TRUE(shows(c.shown)) << c.what << ": " << Cell(msgs, Rows(msgs) - 1, MYPCFA_MESSAGE) << " ("
                                    << (edited ? Status(edited) : std::string()) << ")";
        EXPECT_EQ(Cell(queues, RowOf(queues, "REFRESH.Q"), MQIA_CURRENT_Q_DEPTH), c.depth) << c.what;
        EXPECT_EQ(RowOf(queues, "REFRESH.GONE") < 0, c.gone) << c.what;
    }
    if (edited && edited != f->msgPane)
        SendMessageA(PCFWnd(edited->window), WM_CLOSE, 0, 0);
    if (msgs != f->listPane)
        SendMessageA(PCFWnd(msgs->window), WM_CLOSE, 0, 0);
    SendMessageA(PCFWnd(queues->window), WM_CLOSE, 0, 0);
    PumpAll();
}

/* The once-a-second checks of the open dialogs, clock step by clock step:
 * a status text of its own ("not defined to RAVOLT") stays past the five
 * seconds of the no-response watch and goes after ten; the Auto Refresh
 * Rate window shows the times of the refresh that fell due, whose list
 * its Auto Export appends to the file once the replies are in; a stopped
 * command server is told after five seconds and the silent queue manager
 * after a minute, its rows emptied until it answers again. */
TEST(AppLists, TheTimedChecksOfOpenDialogs)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    Restore restore;
    int64_t t = CSGetCurrentTime();
    SetClock(t);

    /* a Queue dialog of a remote queue whose queue manager has no location */
    FrameCommand(f, 533);
    PumpAll();
    DialogWords *queue = nullptr;
    for (DialogWords *o = PCFOpenDialogs; o && !queue; o = o->next)
        if (o->definition == &PCFQueueDef && !o->ownerSlot)
            queue = o;
    ASSERT_NE(queue, nullptr);
    PCFSetFieldText(queue, MQIA_Q_TYPE, "Remote");
    PCFSetFieldText(queue, MQCA_REMOTE_Q_MGR_NAME, "NO.SUCH.QM");
    PCFCountFields(queue);
    int32_t line = -1;
    for (int32_t i = 0; i < (int32_t)queue->lineCount && line < 0; i++) {
        PCFFieldEntry *e = nullptr;
        int32_t element = 0;
        int kind = 0;
        if (!PCFLineAt(queue, i, &e, &element, &kind) && e && e->field->attrId == MQCA_REMOTE_Q_MGR_NAME)
            line = i;
    }
    ASSERT_GE(line, 0);
    int pitch = queue->linePitch ? queue->linePitch : 16;
    SendMessageA(PCFWnd(queue->fieldWindow), WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM(40, (line - (int32_t)queue->topLine) * pitch + pitch / 2));
    const std::string notDefined = "Queue Manager 'NO.SUCH.QM' is not defined to RAVOLT";

    /* a Queue List with its Auto Refresh Rate window, a refresh a minute */
    DialogWords *queues = OpenFromMenu(f, 534, &PCFQueueListDef);
    ASSERT_NE(queues, nullptr);
    SendMessageA(PCFWnd(queues->window), WM_COMMAND, 504, 0);
    PumpAll();
    HWND rate = PCFWnd(queues->popups[PCF_POPUP_AUTOREFRESH]);
    ASSERT_NE(rate, nullptr);
    DDHANDLE dd = DDFindHandle(rate);
    SetWindowTextA(DDGetFieldWindow(dd, 182, 0), "1 Min");
    PumpAll();
    auto field = [&](int id) {
        char text[64] = "";
        DDGetFieldText(dd, id, text, sizeof text);
        return std::string(text);
    };
    std::string next = field(490);
    EXPECT_EQ(field(489), "");
    EXPECT_FALSE(next.empty());
    /* its Auto Export appending to a file that holds a line already */
    std::string exported = WriteScratch("timed-export.txt", "previous\r\n");
    TestSelectTab(dd, rate, 400, 1);
    SetWindowTextA(DDGetFieldWindow(dd, 262, 0), exported.c_str());
    for (int id : { 310, 188 })
        SendMessageA(DDGetFieldWindow(dd, id, 0), BM_CLICK, 0, 0);
    SendMessageA(rate, WM_COMMAND, 131, 0);         /* Apply */
    PumpAll();

    struct Step {
        int64_t clock;               /* seconds after the start */
        const char *what;
        std::function<void()> act;
        std::function<bool()> expect;
    } steps[] = {
        { 6, "a status text of its own outlives the no-response watch", nullptr,
          [&] { return Status(queue) == notDefined; } },
        { 12, "and goes after ten seconds", nullptr, [&] { return Status(queue).empty(); } },
        { 61, "the rate window shows the refresh that fell due", nullptr,
          [&] { return !field(489).empty() && field(490) != next && !(queues->first.state & PCFLR_OUTSTANDING); } },
        { 61, "and the list it brought is exported, after what the file held", nullptr,
          [&] {
              std::string body = ReadWhole(exported);
              return body.rfind("previous", 0) == 0 && body.find("DEMO.REQUEST") != std::string::npos;
          } },
        { 62, "a refresh the stopped command server does not answer",
          [&] {
              SendMessageA(rate, WM_COMMAND, 406, 0);        /* No Auto Refresh */
              SendMessageA(DDGetFieldWindow(dd, 310, 0), BM_CLICK, 0, 0);
              SendMessageA(rate, WM_COMMAND, 1, 0);          /* OK: the kind's settings as they were */
              StandInFault(MQSIM_COMMAND_SERVER, 1, MQSIM_CMDSERVER_STOPPED);
              SendMessageA(PCFWnd(queues->window), WM_COMMAND, 1, 0);
          },
          [&] { return Rows(queues) > 0; } },
        { 68, "is told after five seconds", nullptr,
          [&] { return Status(queues) == "No response from Command Server"; } },
        { 142, "and its queue manager after a minute, its rows gone", nullptr,
          [&] { return Status(queues) == "Queue Manager 'RAVOLT.DEMO' not responding" && Rows(queues) == 0; } },
        { 150, "until it answers again", [] { StandInFault(MQSIM_COMMAND_SERVER, 0, MQSIM_CMDSERVER_STOPPED); },
          [&] { return Rows(queues) > 0 && !(queues->first.flags & PCFLR_SILENT) && Status(queues) == "Display refreshed"; } },
        { 161, "whose answer's text goes after ten seconds", nullptr, [&] { return Status(queues).empty(); } },
    };
    for (const Step &s : steps) {
        SetClock(t + s.clock);
        if (s.act)
            s.act();
        NextTick();                                 /* a tick of the timer at least */
        bool met = PumpUntil(s.expect, 4000);
        EXPECT_TRUE(met) << s.what << ": the list says \"" << Status(queues) << "\", the Queue dialog \""
                         << Status(queue) << "\"";
    }
    SendMessageA(PCFWnd(queue->window), WM_CLOSE, 0, 0);
    SendMessageA(PCFWnd(queues->window), WM_CLOSE, 0, 0);
    PumpAll();
}

/* A Queue dialog refreshed for a queue of each type (the queue manager
 * answers a Queue Type of "All" for any) shows the queue in its fields;
 * the comparison with the default objects (735, 736) is offered once the
 * location's download has kept them, not before. */
TEST(AppLists, AQueueDialogShowsTheQueueOfAnyType)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    struct Case {
        const char *queue, *type, *description, *base;
        bool download;               /* the defaults downloaded first */
    } cases[] = {
        { "DEMO.REQUEST", "All", "Requests of the demonstration", "", false },
        { "DEMO.REPLY", "Local", "Replies of the demonstration", "", false },
        { "DEMO.ALIAS", "All", "", "DEMO.REQUEST", true },
    };
    for (const Case &c : cases) {
        if (c.download) {
            AppRefresh(AppDemo(), RK_DOWNLOAD, nullptr, 1);
            EXPECT_TRUE(PumpUntil([] { return PCFDefaultsDownloaded(AppDemo(), &PCFQueueDef) != 0; }, 20000));
        }
        FrameCommand(f, 533);
        PumpAll();
        DialogWords *d = nullptr;
        for (DialogWords *o = PCFOpenDialogs; o && !d; o = o->next)
            if (o->definition == &PCFQueueDef && !o->ownerSlot)
                d = o;
        ASSERT_NE(d, nullptr);
        SendMessageA(PCFWnd(d->window), WM_INITMENU, (WPARAM)d->menu, 0);
        for (UINT id : { 735u, 736u })
            EXPECT_EQ((GetMenuState((HMENU)d->menu, id, MF_BYCOMMAND) & MF_GRAYED) == 0, c.download)
                << id << (c.download ? " greyed after" : " offered before") << " the download";
        PCFSetFieldText(d, MQCA_Q_NAME, c.queue);
        PCFSetFieldText(d, MQIA_Q_TYPE, c.type);
        SendMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
        EXPECT_TRUE(PumpUntil([&] { return Status(d) == "Display refreshed"; }, 10000)) << Status(d);
        PumpAll();
        char text[100] = "";
        const char *desc = PCFGetValueText(d, MQCA_Q_DESC, text, sizeof text);
        EXPECT_EQ(std::string(desc ? desc : ""), c.description) << c.queue << " as " << c.type;
        const char *base = PCFGetValueText(d, MQCA_BASE_Q_NAME, text, sizeof text);
        EXPECT_EQ(std::string(base ? base : ""), c.base) << c.queue << " as " << c.type;
        SendMessageA(PCFWnd(d->window), WM_CLOSE, 0, 0);
        PumpAll();
    }
}

/* A queue's Message List summarises in its Message column what it knows
 * how to (a dead letter by its header, a message a user format chosen by
 * the queue describes by its summary fields) and shows the text of the
 * rest; a text the browse converted shows the CCSID and the encoding the
 * data came in; a message opened from it that is longer than what was
 * retrieved says so, and the command's own last text does not cover
 * that. */
TEST(AppLists, AMessageListSummarisesAndTellsWhatWasRetrieved)
{
    FrameWords *f = AppDemoSelected();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(AppMqsc("RAVOLT.DEMO", "DEFINE QLOCAL(SUMMARY.Q) REPLACE\nCLEAR QLOCAL(SUMMARY.Q)\n"), 0);
    std::string formats = AppConfigDir() + "SUMMARY.FMT";
    std::ofstream(formats, std::ios::binary) << "struct Ledger ; A ledger entry\n{\n char id[4] : summary; Id\n"
                                                " char note[6];\n}\nqueue SUMMARY.Q\n{\n format LEDGER\n {\n"
                                                "  struct Ledger;\n }\n}\n";
    const PRFDATA profile = Prf;
    snprintf(Prf.userfmtfile, sizeof Prf.userfmtfile, "%s", formats.c_str());
    Prf.po[3] |= UF_OPT_ALLOW | UF_OPT_SUMMARY;
    ASSERT_EQ(UFLoadFormats(nullptr, 0), 1);
    MQDLH dlh = { MQDLH_DEFAULT };
    dlh.Reason = MQRC_UNKNOWN_OBJECT_NAME;
    memset(dlh.DestQName, ' ', sizeof dlh.DestQName);
    memcpy(dlh.DestQName, "TARGET.Q", 8);
    memset(dlh.DestQMgrName, ' ', sizeof dlh.DestQMgrName);
    memcpy(dlh.DestQMgrName, "QM2", 3);
    dlh.CodedCharSetId = 437;
    memcpy(dlh.Format, MQFMT_STRING, 8);
    std::string dead((const char *)&dlh, sizeof dlh);
    ASSERT_TRUE(AppPutData("RAVOLT.DEMO", "SUMMARY.Q", MQFMT_DEAD_LETTER_HEADER, { dead + "lost" }));
    ASSERT_TRUE(AppPutData("RAVOLT.DEMO", "SUMMARY.Q", MQFMT_STRING, { "plain text", std::string(30000, 'x') }));
    ASSERT_TRUE(AppPutData("RAVOLT.DEMO", "SUMMARY.Q", MQFMT_STRING, { "Latin-1 text" }, 819, 785));
    ASSERT_TRUE(AppPutData("RAVOLT.DEMO", "SUMMARY.Q", "LEDGER  ", { "L-42ledger" }));
    /* a Message List of its own (Shift turns the reuse of an open one round) */
    BYTE keys[256], saved[256];
    GetKeyboardState(saved);
    memcpy(keys, saved, sizeof keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    FrameCommand(f, 566);
    SetKeyboardState(saved);
    DialogWords *msgs = nullptr;
    for (DialogWords *o = PCFOpenDialogs; o && !msgs; o = o->next)
        if (o->definition == &PCFMessageListDef && o != f->listPane && o->rightList)
            msgs = o;
    ASSERT_NE(msgs, nullptr);
    PCFSetFieldText(msgs, MQCA_Q_NAME, "SUMMARY.Q");
    SendMessageA(PCFWnd(msgs->window), WM_COMMAND, 1, 0);
    ASSERT_TRUE(PumpUntil([&] { return Rows(msgs) == 5; }, 10000));
    EXPECT_EQ(Cell(msgs, 0, 10034), "DLQ: Reason(Unknown object name) QM2/TARGET.Q");
    EXPECT_EQ(Cell(msgs, 1, 10034), "plain text");
    EXPECT_EQ(Cell(msgs, 3, 10034), "Latin-1 text");
    EXPECT_EQ(Cell(msgs, 3, 10015), "437");     /* CCSID */
    EXPECT_EQ(Cell(msgs, 3, 10014), "546");     /* Encoding */
    EXPECT_EQ(Cell(msgs, 4, 10034), "Id(L-42)");
    SendMessageA(PCFWnd(msgs->rightList), LB_SETSEL, TRUE, 2);
    SendMessageA(PCFWnd(msgs->window), WM_COMMAND, 596, 0);
    DialogWords *shown = nullptr;
    PumpUntil([&] {
        for (DialogWords *o = PCFOpenDialogs; o; o = o->next)
            if (o->definition == &PCFMessageDef && o->statusWindow && Status(o).find("retrieved") != std::string::npos)
                shown = o;
        return shown != nullptr;
    }, 10000);
    ASSERT_NE(shown, nullptr) << "no message dialog tells what was retrieved";
    AppSettled();
    EXPECT_EQ(Status(shown), "Only the first 10000 bytes have been retrieved from the Queue Manager");
    SendMessageA(PCFWnd(shown->window), WM_CLOSE, 0, 0);
    SendMessageA(PCFWnd(msgs->window), WM_CLOSE, 0, 0);
    PumpAll();
    Prf = profile;
    UFLoadFormats(nullptr, 1);
}
