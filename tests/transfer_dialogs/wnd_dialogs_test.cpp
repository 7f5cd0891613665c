/* The put, publish and Load/Unload windows under Xvfb, opened through the
 * shell's DoAction for a location, working against a stand-in queue
 * manager through the location's put thread: defaults, field checks, a
 * put of three messages under syncpoint with its rate text, the line-end
 * rule, a file's bytes, the target's lists refreshed, the queued and the
 * MQI publish, and loads and unloads with their status texts. */
#include "wndtest.h"
#include "transfer/xferengine.h"

#include <commctrl.h>
#include <algorithm>
#include <cstring>

#include "cs.h"
#include "dialogs.h"
#include "prfdata.h"
#include "tkharness.h"
#include "tkutil.h"

namespace {

class Windows : public Transfer {
public:
    QMS *loc = nullptr;
    void SetUp() override
    {
        Transfer::SetUp();
        StartWindows();
        WindowPort();
        Prf.prgdelay = -1;                          /* no progress windows */
        loc = Location("QM1");
        Connect(loc);
        Rec.Clear();
    }
    void TearDown() override
    {
        for (const char *cls : {"RAVOLT_PUT", "RAVOLT_PUBLISH", "DD_DRASKDLG"})
            while (HWND w = FindTransferWindow(cls))
                DestroyWindow(w);
        Pump();
        Transfer::TearDown();
    }
    /* Opens a window with DoAction: the window and its dialog. */
    HWND Open(int id, const char *cls, DDHANDLE *dd)
    {
        DoAction(nullptr, loc, nullptr, id);
        HWND w = FindTransferWindow(cls);
        EXPECT_NE(w, nullptr) << cls;
        *dd = w ? DDFindHandle(w) : nullptr;
        return w;
    }
    /* Picks a tab of a tab control as a click would. */
    void Tab(HWND w, DDHANDLE dd, int id, int index)
    {
        HWND tab = DDGetFieldWindow(dd, id, 0);
        ASSERT_NE(tab, nullptr);
        SendMessageA(tab, TCM_SETCURSEL, (WPARAM)index, 0);
        NMHDR nm = {tab, (UINT_PTR)id, (UINT)TCN_SELCHANGE};
        SendMessageA(w, WM_NOTIFY, (WPARAM)id, (LPARAM)&nm);
    }
    bool Enabled(DDHANDLE dd, int id)
    {
        HWND f = DDGetFieldWindow(dd, id, 0);
        return f && IsWindowEnabled(f);
    }
};

std::string Text(HWND w)
{
    char text[200] = "";
    GetWindowTextA(w, text, sizeof text);
    return text;
}

std::string Field(DDHANDLE dd, int id)
{
    char text[600] = "";
    DDGetFieldText(dd, id, text, sizeof text);
    return text;
}

/* A list of a queue's messages (or of queues), as open dialogs are,
 * whose refreshes are counted. */
int refreshes;
int CountRefresh(void *, DialogWords *, uint32_t, PCFLISTREQ *, void *)
{
    refreshes++;
    return 0;
}

struct CountedList {
    DialogWords list = {};
    CountedList(QMS *location, const char *queue, PCFCommandDef *definition = &PCFMessageListDef)
    {
        PCFInitCommandDefs();
        list.definition = definition;
        strcpy(list.objectName, queue);
        list.first.location = location;
        list.first.replyArea = PCFColumnOnlyList(definition->list->current);
        list.first.replyArea->rows = 1;
        list.next = PCFOpenDialogs;
        PCFOpenDialogs = &list;
        PcfPrefs.refreshMessageLists = 1;
        PCFHOOKS hooks = {};
        hooks.doCommand = CountRefresh;
        PCFSetHooks(&hooks);
        refreshes = 0;
    }
    ~CountedList()
    {
        PCFOpenDialogs = list.next;
        PCFSetHooks(nullptr);
        ReleaseRefBlock(&list.first.replyArea);
    }
};

} // namespace

TEST_F(Windows, PutDialog)
{
    DDHANDLE dd;
    HWND w = Open(641, "RAVOLT_PUT", &dd);
    ASSERT_NE(dd, nullptr);
    EXPECT_EQ(Text(w), "MQPUT from 'QM1'");
    EXPECT_EQ(Field(dd, PF_QMGR), "QM1");
    EXPECT_EQ(Field(dd, PF_LENGTH), "-1");
    EXPECT_EQ(Field(dd, PF_COUNT), "1");
    EXPECT_EQ(Field(dd, PF_MESSAGE), "Test message from 'QM1'");
    /* Ctrl+A in the message box selects its text: typing replaces it */
    HWND edit = DDGetFieldWindow(dd, PF_MESSAGE, 0);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 5, 5);
    Key(edit, 'A', false, true);
    SendMessageA(edit, WM_CHAR, 1, 0);            /* the key's character types nothing */
    TestType(edit, "Hello");
    EXPECT_EQ(Field(dd, PF_MESSAGE), "Hello");
    DDSetFieldText(dd, PF_MESSAGE, -1, "Test message from 'QM1'");
    /* a mandatory field */
    SendMessageA(w, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Status(dd), "Please enter a value for 'Queue Name'");

    /* three messages under syncpoint: the open message list of Q1
       refreshed, its open queue list only with "refresh after a change" */
    const uint32_t po3 = Prf.po[2];
    for (uint32_t change : { (uint32_t)PO3_REFRESH_AFTER_CHANGE, 0u }) {
        SCOPED_TRACE(change);
        Prf.po[2] = (po3 & ~(uint32_t)PO3_REFRESH_AFTER_CHANGE) | change;
        CountedList list(loc, "Q1"), queues(loc, "Q1", &PCFQueueListDef);
        DDSetFieldText(dd, PF_QUEUE, -1, "Q1");
        DDSetFieldText(dd, PF_COUNT, -1, "3");
        DDSetCheck(dd, PF_SYNCPOINT, 1);
        SendMessageA(w, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(Status(dd), "Putting....");
        ASSERT_TRUE(PumpUntil([&] { return Status(dd).rfind("3 messages put in", 0) == 0; })) << Status(dd);
        EXPECT_EQ(DepthOf("Q1"), change ? 3 : 6);
        EXPECT_EQ(Rec.Count("MQCMIT"), change ? 1u : 2u);
        EXPECT_STREQ(loc->lastQueue, "Q1");
        EXPECT_EQ(refreshes, change ? 2 : 1);
    }
    Prf.po[2] = po3;
    EXPECT_TRUE(GalleryShot(w, "transfer_put", true));

    /* a queue manager of another platform: one LF between the lines */
    loc->platform = MQPL_UNIX;
    DDSetFieldText(dd, PF_COUNT, -1, "1");
    DDSetFieldText(dd, PF_QUEUE, -1, "Q2");
    DDSetFieldText(dd, PF_MESSAGE, -1, "line one\r\nline two");
    SendMessageA(w, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return DepthOf("Q2") == 1; }));
    EXPECT_EQ(Browse("Q2")[0].data, "line one\nline two");

    /* a file: the message and its length are off, its bytes go as they are */
    std::string bytes("a\r\nb\0c", 6);
    HWND file = DDGetFieldWindow(dd, PF_FILE, 0);
    ASSERT_NE(file, nullptr);
    SetWindowTextA(file, TempFile("put.bin", bytes).c_str());
    Pump();
    EXPECT_FALSE(Enabled(dd, PF_MESSAGE));
    EXPECT_FALSE(Enabled(dd, PF_LENGTH));
    DDSetFieldText(dd, PF_QUEUE, -1, "Q3");
    SendMessageA(w, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return DepthOf("Q3") == 1; }));
    EXPECT_EQ(Browse("Q3")[0].data, bytes);
    SetWindowTextA(file, "");
    Pump();
    EXPECT_TRUE(Enabled(dd, PF_MESSAGE));
    EXPECT_TRUE(Enabled(dd, PF_LENGTH));
}

TEST_F(Windows, PublishDialog)
{
    Mqsc("QM1", "DEFINE QLOCAL(NEWS.Q)\nDEFINE SUB(NEWS.SUB) TOPICSTR('news/sport') DEST(NEWS.Q)");
    DDHANDLE dd;
    HWND w = Open(747, "RAVOLT_PUBLISH", &dd);
    ASSERT_NE(dd, nullptr);
    EXPECT_EQ(Text(w), "Publish from 'QM1'");
    EXPECT_FALSE(Enabled(dd, PF_ANONYMOUS));
    EXPECT_EQ(Field(dd, PF_PUBLEVEL), "9");
    Tab(w, dd, PF_TABS, 1);
    EXPECT_TRUE(Enabled(dd, PF_ANONYMOUS));
    EXPECT_EQ(Field(dd, PF_STREAM), "SYSTEM.BROKER.DEFAULT.STREAM");
    SendMessageA(w, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Status(dd), "Please enter a value for 'Topic Name'");
    DDSetFieldText(dd, PF_TOPIC, -1, "news/sport");
    /* Ctrl+A and typing replace the message box's text */
    HWND edit = DDGetFieldWindow(dd, PF_MESSAGE, 0);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    Key(edit, 'A', false, true);
    TestType(edit, "kick off");
    EXPECT_EQ(Field(dd, PF_MESSAGE), "kick off");
    SendMessageA(w, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return Status(dd).rfind("1 message put in", 0) == 0; })) << Status(dd);
    std::vector<XMsg> queued = Browse("SYSTEM.BROKER.DEFAULT.STREAM");
    ASSERT_EQ(queued.size(), 1u);
    uint8_t rfh[200];
    uint32_t n = PubRfhHeader("news/sport", 0, 0, rfh, sizeof rfh);
    EXPECT_EQ(queued[0].data, std::string((const char *)rfh, n) + "kick off");
    EXPECT_EQ(std::string(queued[0].md.Format, 8), "MQHRF   ");
    EXPECT_TRUE(GalleryShot(w, "transfer_publish", true));

    Tab(w, dd, PF_TABS, 0);
    EXPECT_FALSE(Enabled(dd, PF_ANONYMOUS));
    SendMessageA(w, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return DepthOf("NEWS.Q") == 1; })) << Status(dd);
    EXPECT_EQ(Browse("NEWS.Q")[0].data, "kick off");
}

TEST_F(Windows, LoadUnloadDialog)
{
    PutMany("Q1", 10);
    loc->commandLevel = 600;
    DDHANDLE dd;
    HWND w = Open(731, "DD_DRASKDLG", &dd);
    ASSERT_NE(dd, nullptr);
    EXPECT_EQ(Text(w), "Queue Load/Unload from 'QM1'");
    EXPECT_EQ(Field(dd, DF_TXNLIMIT), "200");
    EXPECT_EQ(Field(dd, DF_FORMAT), "Default");
    EXPECT_EQ(Field(dd, DF_CONTEXT), "Set all context");
    EXPECT_EQ(DDGetCheck(dd, DF_READAHEAD), 1);
    EXPECT_EQ(DDGetCheck(dd, DF_FORCERFH2), 0);          /* command level 600 */
    EXPECT_FALSE(Enabled(dd, DF_FORCERFH2));
    EXPECT_EQ(DDGetCheck(dd, DF_ASYNC), 1);
    EXPECT_EQ(DDGetCheck(dd, DF_MULTIPLE), 1);
    SendMessageA(w, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Status(dd), "Please enter a value for 'Input Queue'");
    DDSetFieldText(dd, DF_INQUEUE, -1, "Q1");
    Tab(w, dd, DF_OUTPUTTAB, 1);
    SendMessageA(w, WM_COMMAND, DF_APPLY, 0);
    EXPECT_EQ(Status(dd), "Please enter a value for 'Output File'");
    EXPECT_TRUE(IsWindow(w));

    std::string file = TempDir() + "/dialog.drask";
    DDSetFieldText(dd, DF_OUTFILE, -1, file.c_str());
    DDSetCheck(dd, DF_OVERWRITE, 1);
    struct Range {
        const char *text, *status, *result;
    } const ranges[] = {
        {"", "Processing all messages.", "Completed: 10 Messages (91 Bytes) written"},
        {"7", "Processing message index 7 only.", "Completed: 1 Message (9 Bytes) written"},
        {"7..", "Processing message indexes 7 onwards.", "Completed: 4 Messages (37 Bytes) written"},
        {"5..2", "Processing message indexes 2 to 5.", "Completed: 4 Messages (36 Bytes) written"},
        {"3#1", "Processing message index 3 only.", "Completed: 1 Message (9 Bytes) written"},
        {"..2", "Processing up to message index 2.", "Completed: 2 Messages (18 Bytes) written"},
    };
    /* a run has ended when it closes its queue: its file closed and its
       result sent to the window before */
    for (const Range &r : ranges) {
        SCOPED_TRACE(r.text);
        DDSetFieldText(dd, DF_RANGE, -1, r.text);
        size_t closes = Rec.Count("MQCLOSE", "Q1");
        SendMessageA(w, WM_COMMAND, DF_APPLY, 0);
        EXPECT_EQ(Status(dd), r.status);
        ASSERT_TRUE(PumpUntil([&] { return Rec.Count("MQCLOSE", "Q1") > closes; })) << Status(dd);
        EXPECT_EQ(Status(dd), r.result);
    }
    EXPECT_EQ(ReadMessages(file).msgs.size(), 2u);

    /* Apply twice: two runs */
    size_t opens = Rec.Count("MQOPEN", "Q1"), closes = Rec.Count("MQCLOSE", "Q1");
    DDSetFieldText(dd, DF_RANGE, -1, "");
    SendMessageA(w, WM_COMMAND, DF_APPLY, 0);
    SendMessageA(w, WM_COMMAND, DF_APPLY, 0);
    ASSERT_TRUE(PumpUntil([&] { return Rec.Count("MQCLOSE", "Q1") == closes + 2; }));
    EXPECT_EQ(Rec.Count("MQOPEN", "Q1"), opens + 2);
    EXPECT_EQ(ReadMessages(file).msgs.size(), 10u);
    EXPECT_TRUE(GalleryShot(w, "transfer_loadunload", true));

    /* Purge asks first; No queues nothing: a browse of every message asked
       for after it, which the put thread serves in order, is the one run
       that opened Q1 once it has ended, and finds every message there */
    DDSetCheck(dd, DF_MOVE, 1);
    DDSetCheck(dd, DF_PURGE, 1);
    DDSetFieldText(dd, DF_SEARCH, -1, "message 1");
    opens = Rec.Count("MQOPEN", "Q1");
    closes = Rec.Count("MQCLOSE", "Q1");
    std::string question;
    AnswerConfirmation(2, &question);
    SendMessageA(w, WM_COMMAND, DF_APPLY, 0);
    question.erase(std::remove(question.begin(), question.end(), '\r'), question.end());
    EXPECT_EQ(question, "Are you sure you want to purge the messages which don't match any filter?\n"
                        "This may discard messages. ?");
    DDSetCheck(dd, DF_MOVE, 0);
    DDSetCheck(dd, DF_PURGE, 0);
    DDSetFieldText(dd, DF_SEARCH, -1, "");
    SendMessageA(w, WM_COMMAND, DF_APPLY, 0);
    EXPECT_EQ(Status(dd), "Processing all messages.");
    ASSERT_TRUE(PumpUntil([&] { return Rec.Count("MQCLOSE", "Q1") > closes; }));
    EXPECT_EQ(Status(dd), "Completed: 10 Messages (91 Bytes) written");
    EXPECT_EQ(Rec.Count("MQOPEN", "Q1"), opens + 1);
    EXPECT_EQ(DepthOf("Q1"), 10);
    /* Yes: every message is got, those not matching discarded; the open
       message list of the queue emptied is due a refresh (asked off the
       window thread, so its timed check sends it) */
    DDSetCheck(dd, DF_MOVE, 1);
    DDSetCheck(dd, DF_PURGE, 1);
    DDSetFieldText(dd, DF_SEARCH, -1, "message 1");
    CountedList list(loc, "Q1");
    closes = Rec.Count("MQCLOSE", "Q1");
    AnswerConfirmation(1, &question);
    SendMessageA(w, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(w); }));          /* OK closes the dialog */
    ASSERT_TRUE(PumpUntil([&] { return Rec.Count("MQCLOSE", "Q1") > closes; }));
    EXPECT_EQ(DepthOf("Q1"), 0);
    EXPECT_EQ(ReadMessages(file).msgs.size(), 2u);                  /* "message 1" and "message 10" */
    EXPECT_EQ(list.list.first.refreshFlags & PCFLR_REFRESH_DUE, (uint32_t)PCFLR_REFRESH_DUE);
    EXPECT_EQ(list.list.stateFlags & DF_REFRESH_DUE, (uint32_t)DF_REFRESH_DUE);

    /* Move without Purge empties the queue too, and its list is due a
       refresh; an unload that only browses leaves the list be */
    PutMany("Q1", 2);
    w = Open(731, "DD_DRASKDLG", &dd);
    ASSERT_NE(dd, nullptr);
    DDSetFieldText(dd, DF_INQUEUE, -1, "Q1");
    Tab(w, dd, DF_OUTPUTTAB, 1);
    DDSetFieldText(dd, DF_OUTFILE, -1, file.c_str());
    DDSetCheck(dd, DF_OVERWRITE, 1);
    for (int move : { 0, 1 }) {
        SCOPED_TRACE(move);
        list.list.first.refreshFlags &= ~(uint32_t)PCFLR_REFRESH_DUE;
        list.list.stateFlags &= ~(uint32_t)DF_REFRESH_DUE;
        DDSetCheck(dd, DF_MOVE, move);
        closes = Rec.Count("MQCLOSE", "Q1");
        SendMessageA(w, WM_COMMAND, DF_APPLY, 0);
        ASSERT_TRUE(PumpUntil([&] { return Rec.Count("MQCLOSE", "Q1") > closes; }));
        EXPECT_EQ(DepthOf("Q1"), move ? 0 : 2);
        EXPECT_EQ(list.list.stateFlags & DF_REFRESH_DUE, move ? (uint32_t)DF_REFRESH_DUE : 0u);
    }
    SendMessageA(w, WM_CLOSE, 0, 0);
}

/* An empty file, or one of blank lines, loads no message and says so. */
TEST_F(Windows, LoadingAnEmptyFileSaysSo)
{
    DDHANDLE dd;
    HWND w = Open(731, "DD_DRASKDLG", &dd);
    ASSERT_NE(dd, nullptr);
    Tab(w, dd, DF_INPUTTAB, 1);
    Tab(w, dd, DF_OUTPUTTAB, 0);
    DDSetFieldText(dd, DF_OUTQUEUE, -1, "Q3");
    int serial = 0;
    for (const char *text : { "", "\r\n\n  \n" }) {
        SCOPED_TRACE(serial);
        std::string file = TempFile("empty_load" + std::to_string(serial++) + ".drask", text);
        DDSetFieldText(dd, DF_INFILE, -1, file.c_str());
        DDSetFieldText(dd, DF_STATUS, -1, "");
        SendMessageA(w, WM_COMMAND, DF_APPLY, 0);
        EXPECT_TRUE(PumpUntil([&] { return Status(dd).rfind("Completed", 0) == 0; })) << Status(dd);
        EXPECT_EQ(Status(dd), "Completed: 0 Messages (0 Bytes) written");
    }
    EXPECT_EQ(Rec.Count("MQBACK"), 0u);
    EXPECT_EQ(DepthOf("Q3"), 0);
}

/* As a list dialog opens them for its selected row: the queue, stream or
 * topic given (the focused input queue shown from its start: the focus,
 * given before the window had its size, left it scrolled out of the
 * field); without one the location's last-used queue.  Opened at the
 * pointer in a corner, the window stays on the work area. */
TEST_F(Windows, OpenedForASelectedRow)
{
    HWND put = PutDialog(loc, "ROW.Q");
    DDHANDLE dd = DDFindHandle(put);
    EXPECT_EQ(Field(dd, PF_QUEUE), "ROW.Q");
    DestroyWindow(put);
    /* at the pointer in the work area's bottom-right corner, its
       remembered size below the least it takes: wholly on the work area */
    const AreaRect &a = UtilDisplayLayout()->desktop;
    SetCursorPos(a.right - 5, a.bottom - 5);
    int32_t kept[4];
    memcpy(kept, Prf.dialogs[DLG_DRASK], sizeof kept);
    Prf.dialogs[DLG_DRASK][2] = 200;
    Prf.dialogs[DLG_DRASK][3] = 100;
    HWND drask = DraskDialog(loc, "ROW.Q");
    RECT r;
    GetWindowRect(drask, &r);
    EXPECT_TRUE(r.left >= a.left && r.top >= a.top && r.right <= a.right && r.bottom <= a.bottom)
        << r.left << "," << r.top << "-" << r.right << "," << r.bottom << " on " << a.right << "x" << a.bottom;
    dd = DDFindHandle(drask);
    EXPECT_EQ(Field(dd, DF_INQUEUE), "ROW.Q");
    EXPECT_EQ(Field(dd, DF_OUTQUEUE), "ROW.Q");
    COMBOBOXINFO ci = {sizeof ci};
    ASSERT_TRUE(GetComboBoxInfo(DDGetFieldWindow(dd, DF_INQUEUE, 0), &ci));
    EXPECT_EQ(SendMessageA(ci.hwndItem, EM_GETFIRSTVISIBLELINE, 0, 0), 0);     /* the first character shown */
    DestroyWindow(drask);
    memcpy(Prf.dialogs[DLG_DRASK], kept, sizeof kept);
    HWND pub = PublishDialog(loc, "MY.STREAM", "price/fruit");
    dd = DDFindHandle(pub);
    EXPECT_EQ(Field(dd, PF_STREAM), "MY.STREAM");
    EXPECT_EQ(Field(dd, PF_TOPIC), "price/fruit");
    DestroyWindow(pub);
    strcpy(loc->lastQueue, "LAST.Q");
    put = PutDialog(loc, nullptr);
    EXPECT_EQ(Field(DDFindHandle(put), PF_QUEUE), "LAST.Q");
    DestroyWindow(put);
    Pump();
}

/* The put window tiled small and large: laid out again each time, no
 * control cut or over another, never smaller than shows them all, and
 * the message box taking the width it is given. */
TEST_F(Windows, PutWindowLaysOutAgainWhenResized)
{
    DDHANDLE dd;
    HWND w = Open(641, "RAVOLT_PUT", &dd);
    ASSERT_NE(dd, nullptr);
    auto message_width = [&] {
        RECT r;
        GetWindowRect(DDGetFieldWindow(dd, PF_MESSAGE, 0), &r);
        return (int)(r.right - r.left);
    };
    int natural = message_width();
    std::string lines;
    for (const std::string &f : LayoutFaults(w, "put"))
        lines += f + "\n";
    EXPECT_TRUE(lines.empty()) << lines;

    MoveWindow(w, 0, 0, 160, 120, TRUE);                /* smaller than it can be */
    Pump();
    RECT small;
    GetClientRect(w, &small);
    EXPECT_GT(small.right, 160);
    lines.clear();
    for (const std::string &f : LayoutFaults(w, "put small"))
        if (f.find("empty below") == std::string::npos)
            lines += f + "\n";
    EXPECT_TRUE(lines.empty()) << lines;
    EXPECT_TRUE(GalleryShot(w, "transfer_put_small", true));

    MoveWindow(w, 0, 0, 900, 640, TRUE);
    Pump();
    lines.clear();
    for (const std::string &f : LayoutFaults(w, "put large"))
        lines += f + "\n";
    EXPECT_TRUE(lines.empty()) << lines;
    RECT large;
    GetClientRect(w, &large);
    EXPECT_GT(message_width(), natural);
    EXPECT_GE(message_width(), large.right * 3 / 4);
    EXPECT_TRUE(GalleryShot(w, "transfer_put_large", true));
}
