/* End to end against the stand-in queue manager through the command
 * engine, its threads and its reply processing: the Queue Manager and Queue dialogs show the
 * queue manager's values, an alter changes them there; the Message
 * dialog shows a message in its editor pane and an edit updates it on
 * the queue; and the gallery pictures of the Queue dialog's tabs, the
 * Queue Manager dialog and the Message dialog. */
#include "wintest.h"

#include <commctrl.h>

#include <algorithm>

#include "autfile.h"
#include "edpane.h"
#include "eddialog.h"
#include "command.h"
#include "mqengine.h"
#include "mq/mqconst.h"
#include "mqsim.h"
#include "pcflistwin.h"
#include "prfdata.h"

using namespace wintest;
using namespace dlgtest;

namespace {

const char *Qmgr = "QMDLGWIN";

struct EndToEnd : Windows {
    void SetUp() override
    {
        Windows::SetUp();
        AutGlobalMask = ~0ull;
        StandinMqsc(Qmgr, "ALTER QMGR DESCR('as made')\n"
                          "DEFINE QLOCAL(APP.ONE) DESCR('first queue') MAXDEPTH(4000) REPLACE\n"
                          "DEFINE QLOCAL(APP.TWO) REPLACE\n");
        engine.standin = 1;
    }
    /* The line of a field in the shown tab, or -1. */
    static int LineOf(DialogWords *d, uint32_t attrId)
    {
        for (int line = 0; line < d->lineCount; line++) {
            PCFFieldEntry *e = nullptr;
            int32_t element = 0;
            if (!PCFLineAt(d, line, &e, &element, nullptr) && e->field->attrId == attrId)
                return line;
        }
        return -1;
    }
    static std::string Value(DialogWords *d, uint32_t attrId)
    {
        char text[200] = "";
        const char *v = PCFGetValueText(d, attrId, text, sizeof text);
        return v ? v : "";
    }
    static std::string Status(DialogWords *d)
    {
        char text[200] = "";
        GetWindowTextA(PCFWnd(d->statusWindow), text, sizeof text);
        return text;
    }
    /* Types a text into a field's editor and leaves the line with Tab. */
    void Type(DialogWords *d, uint32_t attrId, const char *text)
    {
        int line = LineOf(d, attrId);
        ASSERT_GE(line, 0);
        ActivateField(d, line, 0);
        SetFocus(PCFWnd(d->valueWindow));
        SetWindowTextA(PCFWnd(d->valueWindow), text);
        LoopKey(VK_TAB);
        EXPECT_NE(d->currentLine, (uint32_t)line);
    }
    void Command(DialogWords *d, int id)
    {
        SendMessageA(PCFWnd(d->window), WM_COMMAND, id, 0);
        Settle();
    }
    /* APP.TWO holding the one message "hello queue", and a Message
     * dialog of the location naming that queue, not read yet. */
    DialogWords *HelloDialog(Location &qm);
    static std::string Mqsc(const char *command)
    {
        return StandinMqsc(Qmgr, command);
    }
};

TEST_F(EndToEnd, QueueManagerDialogShowsAndAltersTheQueueManager)
{
    Location qm(Qmgr, 0);
    DialogWords *d = Open(&PCFQueueManagerDef, &qm.q);
    ASSERT_NE(d, nullptr);
    Settle();
    EXPECT_EQ(engine.calls, std::vector<std::string>({ std::string("level ") + Qmgr, "do 1" }));
    EXPECT_EQ(Value(d, MQCA_Q_MGR_NAME), Qmgr);
    EXPECT_EQ(Value(d, MQCA_Q_MGR_DESC), "as made");
    EXPECT_EQ(Value(d, MQIA_COMMAND_LEVEL), std::to_string(qm.q.commandLevel));
    EXPECT_EQ(Status(d), "Status refreshed");          /* the status follow-up ends it */
    Type(d, MQCA_Q_MGR_DESC, "altered from the dialog");
    Command(d, 575);
    EXPECT_NE(Mqsc("DISPLAY QMGR DESCR").find("altered from the dialog"), std::string::npos);
    EXPECT_EQ(Status(d).rfind("Queue manager ", 0), 0u);
    EXPECT_NE(Status(d).find(" altered"), std::string::npos);
    GalleryShot(PCFWnd(d->window), "dialog_queue_manager", true);
}

/* Status adds the queue manager's status to what the dialog shows: the
 * attributes stay, and an Alter after it names the queue manager. */
TEST_F(EndToEnd, StatusKeepsTheAttributesAndAlterNamesTheQueueManager)
{
    Location qm(Qmgr, 0);
    DialogWords *d = Open(&PCFQueueManagerDef, &qm.q);
    ASSERT_NE(d, nullptr);
    Settle();
    std::string platform = Value(d, MQIA_PLATFORM), ccsid = Value(d, MQIA_CODED_CHAR_SET_ID);
    std::string dlq = Value(d, MQCA_DEAD_LETTER_Q_NAME);
    ASSERT_FALSE(platform.empty());
    ASSERT_FALSE(ccsid.empty());
    Command(d, 576);
    EXPECT_EQ(Status(d), "Status refreshed");
    EXPECT_EQ(Value(d, MQCA_Q_MGR_NAME), Qmgr);
    EXPECT_EQ(Value(d, MQIA_PLATFORM), platform);
    EXPECT_EQ(Value(d, MQIA_CODED_CHAR_SET_ID), ccsid);
    EXPECT_EQ(Value(d, MQCA_DEAD_LETTER_Q_NAME), dlq);
    EXPECT_EQ(Value(d, MQCA_Q_MGR_DESC), "as made");
    Command(d, 575);
    EXPECT_EQ(Status(d), std::string("Queue manager '") + Qmgr + "' altered");
    Close(d);
}

/* A command dialog opens at the size its fields need: every tab's lines
 * show without scrolling, the tallest tab leaves at most a line empty
 * below it, and the window is not stretched to the largest default. */
TEST_F(EndToEnd, CommandDialogsOpenAtTheSizeTheirFieldsNeed)
{
    Location qm(Qmgr);
    int screenCx = GetSystemMetrics(SM_CXSCREEN);
    for (PCFCommandDef *def : { &PCFQueueManagerDef, &PCFQueueDef }) {
        SCOPED_TRACE(def->title);
        Forget(&qm.q);
        DialogWords *d = Open(def, &qm.q);
        ASSERT_NE(d, nullptr);
        Settle();
        RECT r;
        GetWindowRect(PCFWnd(d->window), &r);
        EXPECT_LT(r.right - r.left, screenCx * 3 / 4);
        HWND tabs = PCFWnd(d->tabWindow);
        ASSERT_NE(tabs, nullptr);
        int count = (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), tallest = 0;
        for (int i = 0; i < count; i++) {
            TabCtrl_SetCurSel(tabs, i);
            NMHDR n = { tabs, PCFC_TABS, (UINT)TCN_SELCHANGE };
            SendMessageA(PCFWnd(d->window), WM_NOTIFY, PCFC_TABS, (LPARAM)&n);
            Pump();
            EXPECT_LE(d->lineCount, d->visibleLines) << "tab " << i;
            tallest = d->lineCount > tallest ? d->lineCount : tallest;
        }
        EXPECT_LE(d->visibleLines, tallest + 1);
        Close(d);
    }
}

/* The command dialog kinds the other tests leave without a picture. */
TEST_F(EndToEnd, GalleryOfTheRemainingCommandDialogKinds)
{
    Location qm(Qmgr);
    struct { PCFCommandDef *def; const char *picture; } kinds[] = {
        { &PCFCommandLevelDef, "dialog_command_level" },
        { &PCFMessageDetailDef, "dialog_message_detail" },
    };
    for (const auto &k : kinds) {
        SCOPED_TRACE(k.picture);
        DialogWords *d = Open(k.def, &qm.q);
        ASSERT_NE(d, nullptr);
        Settle();
        EXPECT_TRUE(GalleryShot(PCFWnd(d->window), k.picture, true));
        Close(d);
    }
}

TEST_F(EndToEnd, QueueDialogShowsAndAltersAQueue)
{
    Location qm(Qmgr);
    DialogWords *d = Open(&PCFQueueDef, &qm.q);
    ASSERT_NE(d, nullptr);
    MoveWindow(PCFWnd(d->window), 40, 40, 760, 560, TRUE);
    Type(d, MQCA_Q_NAME, "APP.ONE");
    Command(d, 1);
    EXPECT_EQ(Value(d, MQCA_Q_DESC), "first queue");
    EXPECT_EQ(Value(d, MQIA_MAX_Q_DEPTH), "4,000");
    Type(d, MQCA_Q_DESC, "second thoughts");
    Command(d, 575);
    EXPECT_NE(Mqsc("DISPLAY QLOCAL(APP.ONE) DESCR").find("second thoughts"), std::string::npos);
    EXPECT_EQ(Status(d), "Queue 'APP.ONE' altered");
    /* the gallery: one picture per tab */
    HWND tabs = PCFWnd(d->tabWindow);
    ASSERT_NE(tabs, nullptr);
    int count = (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0);
    EXPECT_GE(count, 4);
    for (int i = 0; i < count; i++) {
        TabCtrl_SetCurSel(tabs, i);
        NMHDR n = { tabs, PCFC_TABS, (UINT)TCN_SELCHANGE };
        SendMessageA(PCFWnd(d->window), WM_NOTIFY, PCFC_TABS, (LPARAM)&n);
        Pump();
        char name[40];
        snprintf(name, sizeof name, "dialog_queue_tab%d", i + 1);
        EXPECT_TRUE(GalleryShot(PCFWnd(d->window), name, true));
    }
}

/* Against the location's downloaded default queue: "Display difference
 * from default" leaves the lines whose values differ (and the queue's
 * name and type, always); a second time brings every line back. */
TEST_F(EndToEnd, QueueDialogShowsOnlyTheValuesThatDifferFromTheDefault)
{
    Location qm(Qmgr);
    ASSERT_TRUE(DownloadDefaults(&qm.q));
    DialogWords *d = Open(&PCFQueueDef, &qm.q);
    ASSERT_NE(d, nullptr);
    Type(d, MQCA_Q_NAME, "APP.ONE");
    Command(d, 1);
    ASSERT_EQ(Value(d, MQIA_MAX_Q_DEPTH), "4,000");
    /* the fields shown on every tab, each tab chosen as a click does */
    HWND tabs = PCFWnd(d->tabWindow);
    ASSERT_NE(tabs, nullptr);
    auto shown = [d, tabs] {
        std::vector<uint32_t> ids;
        int count = (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0);
        for (int i = 0; i < count; i++) {
            TabCtrl_SetCurSel(tabs, i);
            NMHDR n = { tabs, PCFC_TABS, (UINT)TCN_SELCHANGE };
            SendMessageA(PCFWnd(d->window), WM_NOTIFY, PCFC_TABS, (LPARAM)&n);
            Pump();
            for (int line = 0; line < d->lineCount; line++) {
                PCFFieldEntry *e = nullptr;
                int32_t element = 0;
                if (!PCFLineAt(d, line, &e, &element, nullptr))
                    ids.push_back(e->field->attrId);
            }
        }
        return ids;
    };
    auto has = [](const std::vector<uint32_t> &ids, uint32_t id) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    std::vector<uint32_t> all = shown();
    ASSERT_TRUE(has(all, MQIA_DEF_PERSISTENCE));
    Command(d, 736);
    std::vector<uint32_t> differing = shown();
    EXPECT_TRUE(has(differing, MQCA_Q_NAME));
    EXPECT_TRUE(has(differing, MQIA_Q_TYPE));
    EXPECT_TRUE(has(differing, MQIA_MAX_Q_DEPTH));     /* 4,000 against 5,000 */
    EXPECT_TRUE(has(differing, MQCA_Q_DESC));
    EXPECT_FALSE(has(differing, MQIA_DEF_PERSISTENCE));
    EXPECT_LT(differing.size(), all.size());
    /* a refresh marks the new values: back at the default, the depth goes */
    Mqsc("ALTER QLOCAL(APP.ONE) MAXDEPTH(5000)\n");
    Command(d, 1);
    ASSERT_EQ(Value(d, MQIA_MAX_Q_DEPTH), "5,000");
    differing = shown();
    EXPECT_FALSE(has(differing, MQIA_MAX_Q_DEPTH));
    EXPECT_TRUE(has(differing, MQCA_Q_DESC));
    Command(d, 736);
    EXPECT_EQ(shown(), all);
}

TEST_F(EndToEnd, SelectedQueuesDeletedAfterThePluralQuestion)
{
    Mqsc("DEFINE QLOCAL(APP.D1) REPLACE\nDEFINE QLOCAL(APP.D2) REPLACE\nDEFINE QLOCAL(APP.D3) REPLACE\n");
    Location qm(Qmgr);
    DialogWords *d = Open(&PCFQueueListDef, &qm.q);
    ASSERT_NE(d, nullptr);
    PCFSetFieldText(d, MQCA_Q_NAME, "APP.D*");
    Command(d, 1);
    HWND list = PCFWnd(d->rightList);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
    SendMessageA(list, LB_SETSEL, TRUE, -1);            /* every row selected */
    uint32_t options = Prf.co;
    Prf.co |= 0x80000000u;                             /* deletes are confirmed */
    std::string question;
    AnswerConfirmation(1, &question);
    Command(d, 578);
    Prf.co = options;
    EXPECT_NE(question.find("delete these 3 queues"), std::string::npos) << question;
    std::string left = Mqsc("DISPLAY QUEUE(APP.D*)");
    EXPECT_EQ(left.find("APP.D1)"), std::string::npos) << left;
    EXPECT_EQ(left.find("APP.D3)"), std::string::npos) << left;
    /* No sends nothing */
    Mqsc("DEFINE QLOCAL(APP.D1) REPLACE\n");
    Command(d, 1);
    SendMessageA(list, LB_SETSEL, TRUE, -1);
    Prf.co |= 0x80000000u;
    AnswerConfirmation(2, &question);
    Command(d, 578);
    Prf.co = options;
    EXPECT_NE(Mqsc("DISPLAY QUEUE(APP.D1)").find("APP.D1)"), std::string::npos);
}

TEST_F(EndToEnd, MessageDialogFrame)
{
    DialogWords *d = Open(&PCFMessageDef);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window);
    SendMessageA(hwnd, WM_COMMAND, 502, 0);
    MoveWindow(hwnd, 40, 40, 760, 560, TRUE);
    Pump();
    RECT fields = InParent(PCFWnd(d->fieldWindow)), data = InParent(PCFWnd(d->dataWindow));
    RECT bar = InParent(PCFWnd(d->toolbar)), count = InParent(PCFWnd(d->countWindow));
    EXPECT_TRUE(IsWindowVisible(PCFWnd(d->fieldWindow)));
    EXPECT_LE(fields.bottom, bar.top);                 /* the toolbar below the fields */
    EXPECT_LE(bar.bottom, data.top);
    EXPECT_GT(data.bottom - data.top, fields.bottom - fields.top);
    EXPECT_EQ(count.right - count.left, 16 * d->charWidth);
    EXPECT_TRUE(GalleryShot(hwnd, "dialog_message_frame", true));
}

/* A connection to the test queue manager and the descriptor of one of
 * its queues; false when the connection fails. */
static bool Connect(const char *queue, MQHCONN *hc, MQOD *od)
{
    char name[48] = {};
    snprintf(name, sizeof name, "%s", Qmgr);
    MQLONG cc = 0, rc = 0;
    MQCONN(name, hc, &cc, &rc);
    MQOD fresh = { MQOD_DEFAULT };
    memset(fresh.ObjectName, ' ', sizeof fresh.ObjectName);
    memcpy(fresh.ObjectName, queue, strlen(queue));
    *od = fresh;
    return cc != MQCC_FAILED;
}

/* The messages of a queue of the stand-in, browsed (formats, bodies). */
static std::vector<std::string> Messages(const char *queue, std::vector<std::string> *formats = nullptr)
{
    std::vector<std::string> out;
    MQHCONN hc = 0;
    MQOD od;
    MQLONG cc = 0, rc = 0;
    if (!Connect(queue, &hc, &od))
        return out;
    MQHOBJ ho = 0;
    MQOPEN(hc, &od, MQOO_BROWSE, &ho, &cc, &rc);
    for (int i = 0; cc != MQCC_FAILED && i < 100; i++) {
        MQMD md = { MQMD_DEFAULT };
        MQGMO gmo = { MQGMO_DEFAULT };
        gmo.Options = MQGMO_NO_WAIT | (i ? MQGMO_BROWSE_NEXT : MQGMO_BROWSE_FIRST);
        char body[4096];
        MQLONG length = 0;
        MQGET(hc, ho, &md, &gmo, sizeof body, body, &length, &cc, &rc);
        if (cc == MQCC_FAILED)
            break;
        out.emplace_back(body, (size_t)length);
        if (formats)
            formats->emplace_back(md.Format, 8);
    }
    MQCLOSE(hc, &ho, MQCO_NONE, &cc, &rc);
    MQDISC(&hc, &cc, &rc);
    return out;
}

/* Every message of a queue of the stand-in got away, as another program
 * takes them (the program may hold the queue open); how many. */
static int TakeAll(const char *queue)
{
    MQHCONN hc = 0;
    MQOD od;
    MQLONG cc = 0, rc = 0;
    if (!Connect(queue, &hc, &od))
        return -1;
    MQHOBJ ho = 0;
    MQOPEN(hc, &od, MQOO_INPUT_SHARED, &ho, &cc, &rc);
    int taken = 0;
    while (cc != MQCC_FAILED) {
        MQMD md = { MQMD_DEFAULT };
        MQGMO gmo = { MQGMO_DEFAULT };
        gmo.Options = MQGMO_NO_WAIT | MQGMO_ACCEPT_TRUNCATED_MSG;
        char body[16];
        MQLONG length = 0;
        MQGET(hc, ho, &md, &gmo, sizeof body, body, &length, &cc, &rc);
        taken += cc != MQCC_FAILED;
    }
    MQCLOSE(hc, &ho, MQCO_NONE, &cc, &rc);
    MQDISC(&hc, &cc, &rc);
    return taken;
}

/* A text message put to a queue of the stand-in. */
static bool PutText(const char *queue, const std::string &text)
{
    MQHCONN hc = 0;
    MQOD od;
    MQLONG cc = 0, rc = 0;
    if (!Connect(queue, &hc, &od))
        return false;
    MQMD md = { MQMD_DEFAULT };
    memcpy(md.Format, MQFMT_STRING, 8);
    md.CodedCharSetId = 850;
    MQPMO pmo = { MQPMO_DEFAULT };
    pmo.Options = MQPMO_NO_SYNCPOINT;
    MQPUT1(hc, &od, &md, &pmo, (MQLONG)text.size(), (PMQVOID)text.data(), &cc, &rc);
    MQLONG put = cc;
    MQDISC(&hc, &cc, &rc);
    return put != MQCC_FAILED;
}

DialogWords *EndToEnd::HelloDialog(Location &qm)
{
    Mqsc("CLEAR QLOCAL(APP.TWO)\n");
    if (!PutText("APP.TWO", "hello queue"))
        return nullptr;
    DialogWords *d = Open(&PCFMessageDef, &qm.q);
    if (d)
        PCFSetFieldText(d, MQCA_Q_NAME, "APP.TWO");
    return d;
}

/* The message list's own commands and the view commands beside them:
 * Select All, None and Invert act on the rows and leave the view alone;
 * Next Page goes to the engine; All Messages relabels Move to "Move All",
 * which then moves every message of the queue after its question, with
 * no row selected, and once; Commit in Batches is checked by its own
 * bit. */
/* In a window of ordinary width the message and token ids give up room so
 * that the columns after them show their values whole, and the sorted
 * column's title has room for its arrow. */
TEST_F(EndToEnd, MessageListKeepsItsShortColumnsWholeInAnOrdinaryWidth)
{
    Mqsc("DEFINE QLOCAL(APP.WIDTHS) REPLACE\nCLEAR QLOCAL(APP.WIDTHS)\n");
    for (const char *text : { "short", "a longer message" })
        ASSERT_TRUE(PutText("APP.WIDTHS", text));
    Location qm(Qmgr);
    DialogWords *d = Open(&PCFMessageListDef, &qm.q);
    ASSERT_NE(d, nullptr);
    MoveWindow(PCFWnd(d->window), 20, 20, 900, 500, TRUE);
    PCFSetFieldText(d, MQCA_Q_NAME, "APP.WIDTHS");
    Command(d, 1);
    HWND list = PCFWnd(d->rightList);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2) << Status(d);
    PCFLISTSTATE *st = PCFListState(d);
    const PCFLISTENTRY *columns = PCFDialogColumns(d);
    ASSERT_NE(st, nullptr);
    RECT rc;
    GetClientRect(list, &rc);
    int32_t total = 0, sorted = 0;
    for (uint32_t i = 0; i < st->colCount; i++) {
        if (!PCFColumnShown(d, columns[i].flags))
            continue;
        SCOPED_TRACE(columns[i].field->title);
        total += st->cols[i].width;
        int type = columns[i].field->type;
        if (type != PCFT_HEX && type != PCFT_WIDEHEX) {
            EXPECT_GE(st->cols[i].width, st->cols[i].valueWidth + 4);
        }
        if (columns[i].flags & PCFL_SORT1) {
            sorted++;
            EXPECT_GE(st->cols[i].width, st->cols[i].titleWidth);
            EXPECT_GE(st->cols[i].titleWidth, PCF_SORT_MARK_ROOM);
        }
    }
    EXPECT_EQ(sorted, 1);
    EXPECT_LE(total, rc.right);
    GalleryShot(PCFWnd(d->window), "lists_message_list_ordinary_width", true);
    Close(d);
}

TEST_F(EndToEnd, MessageListSelectsRowsAndMovesAllMessages)
{
    /* queues of its own: the message commands' worker keeps its handles */
    Mqsc("DEFINE QLOCAL(APP.ALL.FROM) REPLACE\nDEFINE QLOCAL(APP.ALL.TO) REPLACE\n"
         "CLEAR QLOCAL(APP.ALL.FROM)\nCLEAR QLOCAL(APP.ALL.TO)\n");
    for (const char *text : { "one", "two", "three", "four" })
        ASSERT_TRUE(PutText("APP.ALL.FROM", text));
    Location qm(Qmgr);
    DialogWords *d = Open(&PCFMessageListDef, &qm.q);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window), list = PCFWnd(d->rightList);
    HMENU menu = (HMENU)d->menu;
    auto checked = [menu](int id) { return (GetMenuState(menu, (UINT)id, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    auto selected = [list] { return (int)SendMessageA(list, LB_GETSELCOUNT, 0, 0); };
    auto label = [](HWND w) {
        char text[80] = "";
        GetWindowTextA(w, text, sizeof text);
        return std::string(text);
    };
    PCFSetFieldText(d, MQCA_Q_NAME, "APP.ALL.FROM");
    Command(d, 1);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4) << Status(d);
    uint32_t view = d->viewOptions;
    Command(d, 6010);
    EXPECT_EQ(selected(), 4);
    Command(d, 6012);
    EXPECT_EQ(selected(), 0);
    SendMessageA(list, LB_SETSEL, TRUE, 1);
    Command(d, 6012);
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(SendMessageA(list, LB_GETSEL, 1, 0), 0);
    Command(d, 6011);
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(d->viewOptions, view);
    /* Next Page asks for the next hundred, Previous and First Page for
       the first again */
    engine.calls.clear();
    PCFSetFieldText(d, MYPCFA_MSG_RANGE, "1,100");
    Command(d, 6014);
    EXPECT_EQ(engine.calls, std::vector<std::string>({ "do 1" }));
    char range[40] = "";
    EXPECT_STREQ(PCFGetValueText(d, MYPCFA_MSG_RANGE, range, sizeof range), "101,200");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
    Command(d, 6015);
    EXPECT_STREQ(PCFGetValueText(d, MYPCFA_MSG_RANGE, range, sizeof range), "1,100");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    Command(d, 6014);
    Command(d, 6013);
    EXPECT_STREQ(PCFGetValueText(d, MYPCFA_MSG_RANGE, range, sizeof range), "1,100");
    EXPECT_EQ(d->viewOptions, view);

    HWND move = GetDlgItem(hwnd, 598);
    ASSERT_NE(move, nullptr);
    EXPECT_TRUE(GetMenuState(menu, 598, MF_BYCOMMAND) & MF_GRAYED);   /* no row, not all */
    EXPECT_FALSE(GetMenuState(menu, 604, MF_BYCOMMAND) & MF_GRAYED);
    Command(d, 604);
    EXPECT_TRUE(d->viewOptions & 0x8);
    EXPECT_TRUE(checked(604));
    EXPECT_EQ(label(move), "&Move All");
    EXPECT_FALSE(GetMenuState(menu, 598, MF_BYCOMMAND) & MF_GRAYED);
    Command(d, 608);
    EXPECT_TRUE(checked(608));
    EXPECT_TRUE(GalleryShot(hwnd, "dialog_message_list_all", true));

    ASSERT_EQ(StartMessageThread(), 0);                 /* the message commands' worker */
    PCFSetFieldText(d, MYPCFA_TARGET_Q, "APP.ALL.TO");
    PCFSetFieldText(d, MYPCFA_TARGET_QM, Qmgr);
    uint32_t options = Prf.co;
    Prf.co |= 0x8;                                      /* a move of all messages is confirmed */
    std::string question;
    AnswerConfirmation(1, &question);
    Command(d, 598);
    Prf.co = options;
    EXPECT_NE(question.find("move all messages from queue 'APP.ALL.FROM'"), std::string::npos) << question;
    EXPECT_EQ(Messages("APP.ALL.TO"), std::vector<std::string>({ "one", "two", "three", "four" })) << Status(d);
    EXPECT_TRUE(Messages("APP.ALL.FROM").empty());
    EXPECT_NE(Status(d).find("4 messages moved"), std::string::npos) << Status(d);

    /* an action on all messages is one: the list is back on its rows */
    EXPECT_FALSE(checked(604));
    EXPECT_EQ(label(move), "&Move");
    EXPECT_TRUE(checked(608));
    Command(d, 608);
    EXPECT_FALSE(checked(608));
    EXPECT_EQ(d->viewOptions & ~0xFu, view & ~0xFu);
}

/* The line of the pane whose text holds a piece, -1 when none. */
static int32_t PaneLine(PCFDATA *ed, const char *piece)
{
    for (int32_t i = 0; i < ed->scroll.lineCount; i++) {
        const LINEDATA *l = EdGetLine(ed, i);
        if (l && l->text && std::string(l->text, l->textLength).find(piece) != std::string::npos)
            return i;
    }
    return -1;
}

/* Copy in a Message List exports the rows clicked (Shift: every row
 * shown) onto the clipboard and says how many; with Ctrl the rows' text
 * is copied instead. */
TEST_F(EndToEnd, MessageListCopyExportsTheSelectedMessages)
{
    Mqsc("DEFINE QLOCAL(APP.COPY) REPLACE\nCLEAR QLOCAL(APP.COPY)\n");
    for (const char *text : { "alpha message", "bravo message", "charlie message" })
        ASSERT_TRUE(PutText("APP.COPY", text));
    Location qm(Qmgr);
    DialogWords *d = Open(&PCFMessageListDef, &qm.q);
    ASSERT_NE(d, nullptr);
    HWND list = PCFWnd(d->rightList);
    PCFSetFieldText(d, MQCA_Q_NAME, "APP.COPY");
    Command(d, 1);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3) << Status(d);
    int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    MouseDown(list, 30, (0 - top) * height + height / 2);
    MouseUp(list, 30, (0 - top) * height + height / 2);
    MouseDown(list, 30, (2 - top) * height + height / 2, MK_CONTROL);
    MouseUp(list, 30, (2 - top) * height + height / 2, MK_CONTROL);
    Pump();
    ASSERT_EQ((int)SendMessageA(list, LB_GETSELCOUNT, 0, 0), 2);

    CopyWithKeys(d, false, false);
    std::string text = ClipboardText();
    EXPECT_NE(text.find("MsgId"), std::string::npos) << text;      /* the export's column heads */
    EXPECT_NE(text.find("alpha message"), std::string::npos) << text;
    EXPECT_NE(text.find("charlie message"), std::string::npos) << text;
    EXPECT_EQ(text.find("bravo message"), std::string::npos) << text;
    EXPECT_EQ(Status(d), "2 objects exported.");

    CopyWithKeys(d, false, true);
    text = ClipboardText();
    EXPECT_NE(text.find("bravo message"), std::string::npos) << text;
    EXPECT_EQ(Status(d), "3 objects exported.");

    /* with Ctrl: the selected rows' text, one line a row */
    CopyWithKeys(d, true, false);
    text = ClipboardText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(text.find("MsgId"), std::string::npos) << text;
    EXPECT_NE(text.find("charlie message"), std::string::npos) << text;
    Close(d);
}

TEST_F(EndToEnd, MessageDialogShowsEditsAndUpdatesTheMessage)
{
    Location qm(Qmgr);
    DialogWords *d = HelloDialog(qm);
    ASSERT_NE(d, nullptr);
    HWND hwnd = PCFWnd(d->window);
    MoveWindow(hwnd, 40, 40, 760, 560, TRUE);
    Command(d, 1);                                     /* the engine reads the message */
    PCFDATA *ed = d->editor;
    ASSERT_NE(ed, nullptr);
    ASSERT_EQ(std::string((const char *)ed->data.data, ed->data.length), "hello queue") << Status(d);
    EXPECT_GE(ed->descriptor.length, 324u);
    Command(d, 569);                                   /* formatted, with the descriptor, through the dialog */
    if (!(d->viewWords[0] & VW_SHOW_MD))
        Command(d, 573);
    int32_t line = PaneLine(ed, "hello queue");
    ASSERT_GE(line, 0);
    EXPECT_GE(PaneLine(ed, "MQSTR"), 0);               /* the descriptor's lines first */
    EXPECT_TRUE(GalleryShot(hwnd, "dialog_message_formatted", true));

    /* the editing commands un-grey as the pane's state allows */
    HMENU menu = (HMENU)d->menu;
    EXPECT_TRUE(GetMenuState(menu, 894, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(menu, 937, MF_BYCOMMAND) & MF_GRAYED);
    const LINEDATA *l = EdGetLine(ed, line);
    ASSERT_NE(l, nullptr);
    EdMoveCursor(ed, 0, 0, MC_GOTO, l->valueColumn, line);
    ed->insertMode = 0;
    SetFocus(PCFWnd(d->dataWindow));
    for (char c : std::string("J"))
        SendMessageA(PCFWnd(d->dataWindow), WM_CHAR, (WPARAM)(unsigned char)c, 1);
    Pump();
    EXPECT_EQ(std::string((const char *)ed->data.data, ed->data.length), "Jello queue");
    EXPECT_FALSE(GetMenuState(menu, 894, MF_BYCOMMAND) & MF_GRAYED);
    Command(d, 894);                                   /* undo and redo through the dialog */
    EXPECT_EQ(std::string((const char *)ed->data.data, ed->data.length), "hello queue");
    Command(d, 895);
    EXPECT_EQ(std::string((const char *)ed->data.data, ed->data.length), "Jello queue");

    Command(d, 946);                                   /* Update: the edited message replaces it */
    std::vector<std::string> formats;
    std::vector<std::string> left = Messages("APP.TWO", &formats);
    EXPECT_EQ(left, std::vector<std::string>({ "Jello queue" })) << Status(d);
    EXPECT_EQ(formats, std::vector<std::string>({ "MQSTR   " }));
    Command(d, 1);                                     /* read again: the message as it is now */
    EXPECT_EQ(std::string((const char *)ed->data.data, ed->data.length), "Jello queue") << Status(d);
    EXPECT_EQ(Messages("APP.TWO").size(), 1u);
    /* Next Position goes by position from a token only read with the
       message, and on from a token the user gives (Next) */
    char token[64] = "";
    ASSERT_NE(PCFGetValueText(d, MYPCFA_MSG_TOKEN, token, sizeof token), nullptr);
    for (bool given : { false, true }) {
        if (given) {                                   /* typed again over the one read */
            PCFSetFieldText(d, MYPCFA_MSG_TOKEN, "");
            PCFSetFieldText(d, MYPCFA_MSG_TOKEN, token);
        }
        engine.calls.clear();
        Command(d, 563);
        EXPECT_EQ(engine.calls, std::vector<std::string>({ given ? "do 887" : "do 1" })) << token;
    }
}

/* The count window of a message dialog follows the cursor: its offset in
 * the message data (decimal, or hexadecimal as the preferences ask), or
 * its line while line numbers are shown. */
TEST_F(EndToEnd, MessageCountWindowFollowsTheCursor)
{
    Location qm(Qmgr);
    DialogWords *d = HelloDialog(qm);
    ASSERT_NE(d, nullptr);
    MoveWindow(PCFWnd(d->window), 40, 40, 760, 560, TRUE);
    Command(d, 1);
    PCFDATA *ed = d->editor;
    ASSERT_NE(ed, nullptr);
    ASSERT_EQ(ed->data.length, 11u) << Status(d);
    Command(d, 569);                                   /* the body formatted as text */
    if (d->viewOptions & DV_LINE_NUMBERS)
        Command(d, 834);
    int32_t line = PaneLine(ed, "hello queue");
    ASSERT_GE(line, 0);
    const LINEDATA *l = EdGetLine(ed, line);
    ASSERT_NE(l, nullptr);
    EdMoveCursor(ed, 0, 0, MC_GOTO, l->valueColumn, line);
    SetFocus(PCFWnd(d->dataWindow));
    for (int i = 0; i < 6; i++)
        SendMessageA(PCFWnd(d->dataWindow), WM_KEYDOWN, VK_RIGHT, 1);
    Pump();
    char text[60];
    PCFCountText(d, text, sizeof text);
    EXPECT_EQ(std::string(text), "Offset:         6");
    uint32_t word = Prf.po[3];
    Prf.po[3] |= 0x400000;
    PCFCountText(d, text, sizeof text);
    EXPECT_EQ(std::string(text), "Offset:0x00000006");
    Prf.po[3] = word;
    Command(d, 834);
    PCFCountText(d, text, sizeof text);
    EXPECT_EQ(std::string(text), "Line:" + std::to_string(line + 1));
    Command(d, 834);
}

}  // namespace

namespace {

/* The engine's editor hooks as the program installs them: Update asks
 * before putting a message the pane could not format. */
TEST_F(EndToEnd, TheEngineReachesTheEditor)
{
    Location qm(Qmgr);
    DialogWords *d = HelloDialog(qm);
    ASSERT_NE(d, nullptr);
    Command(d, 1);
    PCFDATA *ed = d->editor;
    ASSERT_NE(ed, nullptr);
    ASSERT_EQ(std::string((const char *)ed->data.data, ed->data.length), "hello queue") << Status(d);
    uint32_t options = Prf.co;
    Prf.co = (Prf.co | 0x1000) & ~256u;               /* only the formatting question */
    ed->data.data[0] = 'J';
    ed->noFormat = 1;
    std::string question;
    AnswerConfirmation(2, &question);
    Command(d, 946);
    EXPECT_NE(question.find("does not appear to format correctly"), std::string::npos) << question;
    EXPECT_EQ(Messages("APP.TWO"), std::vector<std::string>({ "hello queue" }));
    ed->noFormat = 0;
    Command(d, 946);
    EXPECT_EQ(Messages("APP.TWO"), std::vector<std::string>({ "Jello queue" })) << Status(d);
    Command(d, 1);
    EXPECT_EQ(std::string((const char *)ed->data.data, ed->data.length), "Jello queue") << Status(d);
    Prf.co = options;
}

}  // namespace

namespace {

/* Once Update has put the edited message, the pane counts it as saved,
 * whatever the reply carried (here the dialog converts to 1208, and the
 * reply's options ask for nothing), so reading on asks nothing; an edit
 * made after it, or an Update that fails, stays unsaved. */
TEST_F(EndToEnd, AfterAnUpdateThePaneCountsAsSaved)
{
    Location qm(Qmgr);
    DialogWords *d = HelloDialog(qm);
    ASSERT_NE(d, nullptr);
    PCFSetFieldText(d, MYPCFA_CONVERT_CCSID, "1208");
    Command(d, 1);
    PCFDATA *ed = d->editor;
    ASSERT_NE(ed, nullptr);
    ASSERT_EQ(std::string((const char *)ed->data.data, ed->data.length), "hello queue") << Status(d);
    Command(d, 569);
    auto type = [&](char c) {
        int32_t line = PaneLine(ed, "ello queue");
        ASSERT_GE(line, 0);
        EdMoveCursor(ed, 0, 0, MC_GOTO, EdGetLine(ed, line)->valueColumn, line);
        ed->insertMode = 0;
        SendMessageA(PCFWnd(d->dataWindow), WM_CHAR, (WPARAM)(unsigned char)c, 1);
        Pump();
    };
    /* the discard question's test, through the engine's view of the
       edited message: the pane's bytes beside the copies kept */
    auto unsaved = [&] {
        CMDMESSAGE m = {};
        const CMDHOOKS *h = CmdHooks();
        if (!h->editedMessage || !h->editedMessage(h->context, d, &m) || !m.dataCopy || !*m.dataCopy ||
            !m.savedMd)
            return true;
        uint32_t n;
        memcpy(&n, (const char *)*m.dataCopy + 4, 4);
        return n != m.dataLength || memcmp((const char *)*m.dataCopy + 8, m.data, n) != 0 ||
               m.savedMdLength != m.mdLength || memcmp(m.savedMd, m.md, m.mdLength) != 0;
    };
    EXPECT_FALSE(unsaved());
    type('J');
    EXPECT_TRUE(unsaved());
    Command(d, 946);
    EXPECT_EQ(Messages("APP.TWO"), std::vector<std::string>({ "Jello queue" })) << Status(d);
    EXPECT_EQ(Status(d), "1 message updated");
    Pump();
    EXPECT_FALSE(unsaved());
    type('K');
    EXPECT_EQ(std::string((const char *)ed->data.data, ed->data.length), "Kello queue");
    EXPECT_TRUE(unsaved());
    /* an Update that fails leaves the edit unsaved: the message it put
       taken away by another program meanwhile */
    ASSERT_EQ(TakeAll("APP.TWO"), 1);
    Command(d, 946);
    EXPECT_NE(Status(d).find("no longer on the queue"), std::string::npos) << Status(d);
    Pump();
    EXPECT_TRUE(unsaved());
}

}  // namespace
